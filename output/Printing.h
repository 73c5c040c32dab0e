#pragma once

// Printing the chart: File > Print Setup and File > Print.

#include "shell/Platform.h"

// The question about colour and a dark sky, the print dialog, then one page
// per copy with the chart filling it; the colour and sky are put back after.
void printChartCommand();
void printSetupCommand();

// Drawn on each page after the chart, into the page's rectangle: the
// telescope's marker and fields while one is connected (none by default).
void setPrintOverlay(void (*overlay)(const Rect& page));
