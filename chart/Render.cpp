#include "chart/Render.h"

#include "chart/Bodies.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Labels.h"
#include "chart/Overlays.h"
#include "chart/Primitives.h"
#include "chart/Projection.h"
#include "chart/Sky.h"
#include "data/ObjectStore.h"

#include <algorithm>

namespace {

constexpr int kOutOfMemoryString = 256;

PictureRef gPicture = nullptr;
DrawCounts gCounts;
int (*gTrailLayer)() = nullptr;
void (*gTelescopeLayer)() = nullptr;
long gRedrawCount = 0;
int gRenderedDepth = 0;

// The red desktop colours: the saved table and its red copy, made the first
// time red is applied.
bool gSystemColorsSaved = false;
bool gRedApplied = false;
RGBColor gSavedSystemColors[kSystemColorCount];
RGBColor gRedSystemColors[kSystemColorCount];
// The red-screen option as the last rendering left it, and the colour option
// it put aside.
bool gRedScreenRendered = false;
bool gUseColorBeforeRed = true;

std::int16_t ClampMagnitude(long value, long lowest, long highest) {
    return static_cast<std::int16_t>(std::clamp(value, lowest, highest));
}

} // namespace

// ---------------------------------------------------------------------------
// Rendering

void RenderChart() {
    DisplayOptions& o = gDisplayOptions;
    if (o.redScreen != gRedScreenRendered) {
        ApplyRedScreen(o.redScreen);
        if (o.redScreen) {
            gUseColorBeforeRed = o.useColor;
            o.useColor = false;
        } else {
            o.useColor = gUseColorBeforeRed;
        }
        gRedScreenRendered = o.redScreen;
    }
    const int depth = ScreenBitsPerPixel();
    gRenderedDepth = depth;
    if (depth < 4) {
        o.useColor = false;
        if (o.skyBackground == kSkyColor) o.skyBackground = kSkyBlack;
    }

    // The chart window's drawing area: its client area, less the scroll bars
    // when they are shown.
    if (WindowRef window = MainWindow()) {
        Rect area = o.showChartControls ? GetScrollAreas(window).client : GetClientRect(window);
        if (area.width() > 0 && area.height() > 0) {
            DeletePicture(gPicture);
            gPicture = CreateScreenPicture(area.width(), area.height());
            if (gPicture == nullptr) {
                ShowMessage(ButtonsOK, kOutOfMemoryString);
                RequestQuit();
                return;
            }
            BeginDrawing(SelectPicture(gPicture));
            DrawChart(Rect{0, 0, area.width(), area.height()});
            EndDrawing();
        }
    }
    if (gRedrawCount > 0) ++gRedrawCount;
}

bool ChartDepthChanged() {
    return ScreenBitsPerPixel() != gRenderedDepth;
}

void DrawChart(const Rect& rect) {
    const DisplayOptions& o = gDisplayOptions;
    gCounts = DrawCounts{};
    SetAntialiasing(true);
    ClipTo(rect);
    SelectChartFont();

    PrepareChartFrame(rect, ChartLegendHeight());
    SetStarScale();
    ++gDrawGeneration;
    BeginChartLabels();
    ReserveCompassPoints();

    DrawSkyBackground();
    if (o.showGridLines) DrawGrids();

    bool aborted = false;
    if (o.showConstellations) aborted = DrawConstellations() != 1;
    if (!aborted && gTrailLayer != nullptr &&
        (o.showStars || o.showDeepSkyObjects || o.showPlanets))
        aborted = gTrailLayer() != 1;
    if (!aborted && (o.showStars || o.showDeepSkyObjects))
        aborted = DrawStarsAndDeepSky(gCounts.stars, gCounts.deepSky) == kStatusCancelled;
    if (!aborted && o.showPlanets) gCounts.bodies = DrawSolarSystemBodies();
    gCounts.aborted = aborted;
    DrawQueuedLabels();

    if (o.showHorizonMask && o.showHorizonLine) DrawHorizon();
    if (o.showChartLegend) DrawLegend(rect);
    if (gTelescopeLayer != nullptr) gTelescopeLayer();

    SetStandardColor(kForeground, 1, false);
    Rectangle(rect.left, rect.top, rect.right, rect.bottom);
    RemoveClip();
    SetAntialiasing(false);
    EndChartLabels();
}

PictureRef ChartPicture() {
    return gPicture;
}

const DrawCounts& LastDrawCounts() {
    return gCounts;
}

std::int32_t DrawingPassNumber() {
    return gDrawGeneration;
}

void setTelescopeLayer(void (*drawMarker)()) {
    gTelescopeLayer = drawMarker;
}

void setTrailLayer(int (*drawTrails)()) {
    gTrailLayer = drawTrails;
}

void SetRedrawCount(long count) {
    gRedrawCount = count;
}

long RedrawCount() {
    return gRedrawCount;
}

void AdjustMagnitudeLimits(int delta) {
    DisplayOptions& o = gDisplayOptions;
    // Sums are held inside 16 bits; a limit never becomes "no limit" by moving.
    auto moveAlways = [delta](std::int16_t& limit) {
        limit = ClampMagnitude(static_cast<long>(limit) + delta, -32767, 32767);
    };
    auto moveLimit = [delta](std::int16_t& limit) {
        if (limit != kNoLimit)
            limit = ClampMagnitude(static_cast<long>(limit) + delta, -32767, 32766);
    };
    moveAlways(o.brightestStarMagnitude);
    moveAlways(o.faintestStarMagnitude);
    for (std::int16_t& limit : o.typeLimits)
        moveLimit(limit);
    moveLimit(o.faintestPlanetMagnitude);
    moveLimit(o.faintestStarLabelMagnitude);
    moveLimit(o.faintestPlanetLabelMagnitude);
    moveLimit(o.faintestDeepSkyLabelMagnitude);
}

void ApplyRedScreen(bool on) {
    if (on) {
        if (!gSystemColorsSaved) {
            GetSystemColors(0, kSystemColorCount, gSavedSystemColors);
            for (int i = 0; i < kSystemColorCount; ++i)
                gRedSystemColors[i] = {gSavedSystemColors[i].red, 0, 0};
            gSystemColorsSaved = true;
        }
        SetSystemColors(0, kSystemColorCount, gRedSystemColors);
        gRedApplied = true;
    } else if (gRedApplied) {
        SetSystemColors(0, kSystemColorCount, gSavedSystemColors);
        gRedApplied = false;
    }
}
