#pragma once

#include "shell/Platform.h"

// The chart window: the program's main window, carrying the menu bar, the
// accelerators and the two scroll bars.

constexpr int kChartWindowClass = 100;
constexpr int kChartTitleString = 268;
constexpr int kChartMenu = 256;
constexpr int kVerticalScrollBar = 1;
constexpr int kHorizontalScrollBar = 2;

// Creates the chart window hidden, with its menus and scroll bars; nullptr on failure.
WindowRef CreateChartWindow();
WindowRef ChartWindow();

// Copies the chart's picture onto the window (rendering it again first when
// the screen's depth changed) and sets the scroll bars from the view.
void ShowChart();

long ChartWindowHandler(int event, WindowRef window, long a, long b);

// Puts the scroll bars along the right and bottom edges of the window.
void PlaceScrollBars(WindowRef window);

// Moves the chart so that the sky under the pixel (centre x - dx, centre y -
// dy) of the drawing area comes to the centre, and redraws; false (nothing
// changes) off the sky.
bool PanChart(int dx, int dy);
// PanChart's change of the chart centre without the redrawing: the centre's
// longitude moves by the part of the drag across its meridian and its
// latitude by the part along it, so a sideways drag keeps the latitude.
bool ShiftCenter(int dx, int dy);
// The mouse wheel: `notches` Zoom In steps (negative: Zoom Out) keeping the
// sky under (x, y) where it is (the centre, with a centred object); redraws.
// False when the field didn't change.
bool ZoomAbout(int x, int y, int notches);
// Re-centres on the sky under the pixel; false off the sky.
bool DoubleClickPoint(int x, int y);
// True between a press on the chart and its release.
bool DragInProgress();
// Shift+A (toward) and Shift+Z: the viewpoint slides along the line of sight
// to the centred object by a step of the scroll rate; false (nothing changes)
// without a centred object at a known distance.
bool SlideViewpoint(bool toward);
