#pragma once

// The chart saved as a picture file and copied to the clipboard: a placeable
// Windows metafile and a bitmap (File > Export), PNG, SVG or PDF, and Edit >
// Copy. Vector files are drawn afresh through the chart's drawing code, so
// text stays text and lines stay lines; bitmaps are the picture on the screen.

#include <string>

// Writes the chart into a file of the kind its extension names (".wmf",
// ".svg", ".pdf" drawn afresh at the chart's size; ".bmp", ".png" the
// picture shown). False, after message 257 naming the file, when it can't be
// written; an old file of that name is then left as it was.
bool SaveChartPicture(const std::string& path);

// File > Export > Chart As Metafile, Chart As Bitmap, Chart As PNG, SVG or PDF.
void exportMetafileCommand();
void exportBitmapCommand();
void exportPictureCommand();
// Edit > Copy: the chart as a picture, with its SVG and metafile forms.
bool copyChartCommand();
