#pragma once

// Where labels go on a chart. While a chart is drawn every label writer
// claims the box its text will cover before writing it; a box that leaves
// the drawing area or touches a label already written is refused, and the
// writer tries its next place or leaves the label out. What is claimed first
// wins: the compass points are claimed as the chart begins, then come the
// grid and circle labels and the constellation names as their layers are
// drawn, and the objects' labels wait in a queue until every object is drawn
// and are then written brightest first.
//
// Outside a chart drawing (a symbol or a label drawn alone) nothing is
// claimed: every label goes where the label rules put it first.

#include "shell/Platform.h"

#include <cstdint>
#include <string_view>
#include <vector>

struct SkyObject;

// Start a chart's labels with nothing written, inside the projection
// frame's drawing area; the end keeps what was written until the next start.
void BeginChartLabels();
void EndChartLabels();
bool ChartLabelsActive();

// Claims a label's box: true (the box is kept) when no chart is being drawn,
// or when it lies inside the drawing area and keeps at least a pixel clear of
// every label written, or when the same text was written in that very box
// already (a layer drawn twice writes its labels again).
bool ClaimLabel(const Rect& box, std::string_view text);

// A label (DrawLabel's text rules) beside the point (x, y), `gap` pixels off
// it each way: above and to its right, or with belowFirst below and to its
// right, else at the first free of the other places around it (the other
// corners, then beside it, above and below). False when none was free.
bool PlaceLabelAround(const char* text, int x, int y, int gap, bool belowFirst = false);

// An object's label by the label rule, in the given colour: queued while a
// chart is drawn, else written at once.
void QueueObjectLabel(const SkyObject* object, int x, int y, int radius, std::int16_t magnitude,
                      RGBColor color);
// Writes the queued labels, brightest first (in the order queued among
// equals), and empties the queue.
void DrawQueuedLabels();

// The boxes written on the last chart, each with the tag of its text.
struct WrittenLabel {
    Rect box;
    std::uint32_t tag;
};
const std::vector<WrittenLabel>& WrittenLabels();
std::uint32_t LabelTag(std::string_view text);
