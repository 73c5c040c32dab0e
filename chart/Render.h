#pragma once

// Drawing the chart: the off-screen picture and the one place that states the
// order of the layers (sky, grids, constellations, trails, stars and deep-sky
// objects, bodies, horizon, legend). The layers are drawn by Sky.h, Bodies.h
// and Overlays.h with the primitives of Primitives.h, on the frame of
// Projection.h; the chart window above copies the picture, and sets its
// scroll bars and menus after a rendering.

#include "chart/Primitives.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <cstdint>

// Draws the whole chart into the off-screen picture, sized to the drawing
// area of the program's main window, the chart window (less the scroll bars
// when shown).
void RenderChart();
// Whether the screen's depth differs from the one the picture was drawn for.
bool ChartDepthChanged();
// The layer sequence into the current drawing surface, clipped to rect.
void DrawChart(const Rect& rect);
// The off-screen picture of the last RenderChart (nullptr before the first).
PictureRef ChartPicture();

// What the last DrawChart drew (the render command reports it).
struct DrawCounts {
    long stars = 0;
    long deepSky = 0;
    long bodies = 0;
    bool aborted = false; // Esc stopped the object layers
};
const DrawCounts& LastDrawCounts();

// Counted at every drawing; each database file drawn from is stamped with it
// (the store's gDrawGeneration).
std::int32_t DrawingPassNumber();

// The object trails layer, drawn by the time-control code above the chart:
// returns 1, or -8 when Esc stopped it (the remaining object layers are then
// skipped). Null: no trails.
void setTrailLayer(int (*drawTrails)());
// Draws the telescope's marker over a finished chart (nullptr: none).
void setTelescopeLayer(void (*drawMarker)());

// The chart window's redraw timer: 0 while it is not timing; RenderChart adds
// one to a non-zero count.
void SetRedrawCount(long count);
long RedrawCount();

// Adds delta hundredths to every magnitude limit (Fainter / Brighter).
void AdjustMagnitudeLimits(int delta);

// The red desktop colours follow the red-screen option (the shell removes
// them while the program is in the background).
void ApplyRedScreen(bool on);
