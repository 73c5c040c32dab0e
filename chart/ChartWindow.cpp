#include "chart/ChartWindow.h"

#include "astro/ComputationOptions.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Overlays.h"
#include "chart/Projection.h"
#include "chart/Render.h"
#include "chart/ViewCommands.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Latitude runs down the vertical bar, longitude along the horizontal one.
constexpr int kLatitudeMinimum = -90, kLatitudeMaximum = 90, kLatitudeStart = 0;
constexpr int kLongitudeMinimum = 1, kLongitudeMaximum = 360, kLongitudeStart = 180;

constexpr int kChartWindowStyle =
    StyleCaption | StyleSystemMenu | StyleSizable | StyleMaximiseBox | StyleMinimiseBox;

constexpr int kRedrawTimingString = 269;
constexpr double kSecondsPerTick = 0.001;
constexpr double kDegreesPerRadianText = 57.29577951;
// A viewpoint move along the line of sight never more than halves or
// doubles-and-a-half the distance at once.
constexpr double kLargestViewpointStep = 0.5;
constexpr double kHalfTurn = 3.141592654;

// A drag in progress: the chart follows the mouse, drawn with fewer details
// so that each redraw is quick, and everything is put back on release.
struct Drag {
    bool active = false;
    int lastX = 0, lastY = 0;
    bool boundaries = false, constellationLabels = false, objectLabels = false;
};
Drag gDrag;

// The box of the last coordinate readout written on the window.
Rect gReadoutBox;
bool gReadoutShown = false;

// The redraw timer ('t').
long gTimingStart = 0;

void StartDrag(int x, int y) {
    DisplayOptions& o = gDisplayOptions;
    gDrag.active = true;
    gDrag.lastX = x;
    gDrag.lastY = y;
    gDrag.boundaries = o.showConstellationBoundaries;
    gDrag.constellationLabels = o.showConstellationLabels;
    gDrag.objectLabels = o.showObjectLabels;
    o.showConstellationBoundaries = false;
    o.showConstellationLabels = false;
    o.showObjectLabels = false;
    AdjustMagnitudeLimits(-100);
}

void EndDrag() {
    if (!gDrag.active) return;
    gDrag.active = false;
    DisplayOptions& o = gDisplayOptions;
    AdjustMagnitudeLimits(+100);
    o.showConstellationBoundaries = gDrag.boundaries;
    o.showConstellationLabels = gDrag.constellationLabels;
    o.showObjectLabels = gDrag.objectLabels;
    RenderChart();
    ShowChart();
}

// The J2000 direction `v` made the chart centre, in the chart's coordinate system.
void CenterOnDirection(const Vector3& v) {
    const Matrix3* frame = FrameMatrix(gInstant.frames, gChartView.coordinateSystem);
    Vector3 u;
    CopyVector(v, u);
    if (frame != nullptr) TransformVector(*frame, u);
    double lon = 0.0, lat = 0.0;
    RectangularToSpherical(u, &lon, &lat, nullptr);
    gChartView.centeredObject = 0;
    ClearTelescopeStayCentered();
    gChartView.centerLongitude = lon;
    gChartView.centerLatitude = lat;
}

void WriteReadout(WindowRef window, int x, int y) {
    Vector3 v;
    if (!UnprojectPoint(x, y, v)) return;
    const Matrix3* frame = FrameMatrix(gInstant.frames, gChartView.coordinateSystem);
    if (frame != nullptr) TransformVector(*frame, v);
    double lon = 0.0, lat = 0.0;
    RectangularToSpherical(v, &lon, &lat, nullptr);
    std::string lonText, latText;
    FormatCoordinates(gChartView.coordinateSystem, lon, lat, kCoordinateLabelledValues,
                      gComputationOptions.precessionEpoch, lonText, latText);
    // No second point yet (measuring comes with object selection): Sep and PA 0.
    char text[256];
    std::snprintf(text, sizeof text, "%s  %s  Sep: %03hd%c %02hd' %04.1f\"  PA: %05.1f%c",
                  lonText.c_str(), latText.c_str(), static_cast<short>(0), '\xB0',
                  static_cast<short>(0), 0.0, 0.0, '\xB0');

    SurfaceRef surface = GetWindowSurface(window);
    if (surface == nullptr) return;
    BeginDrawing(surface);
    SelectChartFont();
    if (gReadoutShown) FillWithSkyColor(gReadoutBox);
    int width = 0, height = 0;
    TextExtent(text, &width, &height);
    SetStandardColor(kForeground, 1, false);
    Text(3, 3, text);
    gReadoutBox = {3, 3, width + 3, height + 3};
    gReadoutShown = true;
    EndDrawing();
    ReleaseWindowSurface(surface);
}

void ToggleRedrawTiming() {
    if (RedrawCount() == 0) {
        SetRedrawCount(1);
        gTimingStart = TickCount();
        return;
    }
    long redraws = RedrawCount() - 1;
    double seconds = (TickCount() - gTimingStart) * kSecondsPerTick;
    SetRedrawCount(0);
    double rate = seconds > 0.0 ? redraws / seconds : 0.0;
    ShowMessage(ButtonsOK, kRedrawTimingString, redraws, seconds, rate);
}

void HandleKey(WindowRef window, int virtualKey, int character) {
    switch (virtualKey) {
    case VKLeft:
        HandleScroll(kHorizontalScrollBar, ScrollLineUp);
        return;
    case VKRight:
        HandleScroll(kHorizontalScrollBar, ScrollLineDown);
        return;
    case VKUp:
        HandleScroll(kVerticalScrollBar, ScrollLineUp);
        return;
    case VKDown:
        HandleScroll(kVerticalScrollBar, ScrollLineDown);
        return;
    default:
        break;
    }
    if (virtualKey != 0) return;
    if ((character == 'A' || character == 'Z') && IsKeyDown(VKShift) &&
        gChartView.centeredObject != 0) {
        if (SlideViewpoint(character == 'A')) UpdateWindow(window);
    } else if (character == 't') {
        ToggleRedrawTiming();
    }
}

} // namespace

// The chart window is the main window.
WindowRef ChartWindow() {
    return MainWindow();
}

void ShowChart() {
    if (ChartDepthChanged()) {
        RenderChart();
        RefreshMenuState();
    }
    UpdateScrollBars();
    PictureRef picture = ChartPicture();
    if (picture == nullptr) return;
    SurfaceRef surface = GetWindowSurface(ChartWindow());
    if (surface == nullptr) return;
    BeginDrawing(surface);
    DrawPicture(picture, nullptr);
    // The telescope's fields are drawn over the copy here once the telescope
    // code provides them.
    EndDrawing();
    ReleaseWindowSurface(surface);
}

void PlaceScrollBars(WindowRef window) {
    ScrollAreas areas = GetScrollAreas(window);
    MoveItem(window, kVerticalScrollBar, areas.vertical);
    MoveItem(window, kHorizontalScrollBar, areas.horizontal);
}

WindowRef CreateChartWindow() {
    WindowRef window = CreateMainWindow(kChartWindowClass, LoadString(kChartTitleString), 0, 0,
                                        1024, 700, false, kChartWindowStyle, 0, ChartWindowHandler);
    if (window == nullptr) return nullptr;
    SetMainMenu(kChartMenu);
    ScrollAreas areas = GetScrollAreas(window);
    CreateScrollBar(window, kVerticalScrollBar, areas.vertical, true, kLatitudeStart,
                    kLatitudeMinimum, kLatitudeMaximum);
    CreateScrollBar(window, kHorizontalScrollBar, areas.horizontal, true, kLongitudeStart,
                    kLongitudeMinimum, kLongitudeMaximum);
    return window;
}

bool PanChart(int dx, int dy) {
    Vector3 v;
    if (!UnprojectPoint(gFrame.centerX - dx, gFrame.centerY - dy, v)) return false;
    CenterOnDirection(v);
    RenderChart();
    ShowChart();
    return true;
}

bool DoubleClickPoint(int x, int y) {
    Vector3 v;
    if (!UnprojectPoint(x, y, v)) return false;
    CenterOnDirection(v);
    RenderChart();
    ShowChart();
    RefreshMenuState();
    return true;
}

bool DragInProgress() {
    return gDrag.active;
}

bool SlideViewpoint(bool toward) {
    ObjectID id = gChartView.centeredObject;
    SkyObject* object = getObject(id);
    if (object == nullptr) return false;
    EnsureComputed(object);
    double distance = ObjectDistance(object);
    // A star of unknown distance can't be approached.
    if (!std::isfinite(distance) || !(distance > 0.0)) return false;
    double f = std::min(kHalfTurn / gChartView.scrollRate, kLargestViewpointStep);
    if (!(f > 0.0)) return false;
    double newDistance = distance * (toward ? 1.0 - f : 1.0 + f);
    Vector3 u;
    ObjectDirection(object, u);
    double length = VectorLength(u);
    if (!(length > 0.0)) return false;
    gViewer.viewerObject = id;
    for (int i = 0; i < 3; ++i)
        gViewer.viewerObjectOffset[i] = -newDistance * u[i] / length;
    RecomputeAndRedraw(true);
    RenderChart();
    ShowChart();
    return true;
}

long ChartWindowHandler(int event, WindowRef window, long a, long b) {
    switch (event) {
    case Resize:
        PlaceScrollBars(window);
        RenderChart();
        UpdateScrollBars();
        InvalidateWindow(window);
        break;
    case Activate:
    case Deactivate:
        if (gDisplayOptions.showChartControls) ShowScrollBars(window, event == Activate);
        break;
    case Paint:
        gReadoutShown = false;
        ShowChart();
        break;
    case ControlNotify:
        if (a == kVerticalScrollBar || a == kHorizontalScrollBar)
            HandleScroll(static_cast<int>(a), static_cast<int>(b));
        break;
    case KeyDown:
        HandleKey(window, static_cast<int>(a), static_cast<int>(b));
        break;
    case MouseDown:
        // A press on the sky drags the chart (choosing objects by clicking
        // comes with the Object Info window).
        StartDrag(static_cast<int>(a), static_cast<int>(b));
        break;
    case MouseDrag:
        if (gDrag.active) {
            int dx = static_cast<int>(a) - gDrag.lastX, dy = static_cast<int>(b) - gDrag.lastY;
            if (dx != 0 || dy != 0) {
                PanChart(dx, dy);
                gDrag.lastX = static_cast<int>(a);
                gDrag.lastY = static_cast<int>(b);
            }
        }
        break;
    case MouseUp:
        EndDrag();
        break;
    case DoubleClick:
        DoubleClickPoint(static_cast<int>(a), static_cast<int>(b));
        break;
    case MouseMove:
        if (gDisplayOptions.showMouseCoordinates)
            WriteReadout(window, static_cast<int>(a), static_cast<int>(b));
        break;
    default:
        break;
    }
    return 1;
}
