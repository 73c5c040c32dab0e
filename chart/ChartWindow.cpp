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

// Wheel turns not yet a whole notch (eighths of a degree).
constexpr int kWheelNotch = 120;
int gWheelTurn = 0;

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
    if (!ShiftCenter(dx, dy)) return false;
    RenderChart();
    ShowChart();
    return true;
}

bool ShiftCenter(int dx, int dy) {
    // The centre's longitude moves with the part of the drag across the
    // centre's meridian, its latitude with the part along it: a sideways drag
    // keeps the horizon level however long it goes on, where re-centring on
    // the pixel dragged from would follow a great circle and sink.
    ChartView& view = gChartView;
    const ProjectionFrame& f = gFrame;
    const Matrix3* frame = FrameMatrix(gInstant.frames, view.coordinateSystem);
    if (frame == nullptr) return false;
    const double lon = view.centerLongitude, lat = view.centerLatitude;
    // North at the centre, in the frame, then on the screen (x right, y down).
    Vector3 north{-std::sin(lat) * std::cos(lon), -std::sin(lat) * std::sin(lon), std::cos(lat)};
    Vector3 j2000{}, chart{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) j2000[i] += (*frame)[j][i] * north[j];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) chart[i] += f.matrix[i][j] * j2000[j];
    double nx = -chart[1], ny = -chart[2], length = std::hypot(nx, ny);
    if (!(length > 0.0)) return false;
    nx /= length;
    ny /= length;
    const double along = dx * nx + dy * ny;
    const double acrossX = dx - along * nx, acrossY = dy - along * ny;

    Vector3 side, up;
    if (!UnprojectPoint(f.centerX - static_cast<int>(std::lround(acrossX)),
                        f.centerY - static_cast<int>(std::lround(acrossY)), side) ||
        !UnprojectPoint(f.centerX - static_cast<int>(std::lround(along * nx)),
                        f.centerY - static_cast<int>(std::lround(along * ny)), up))
        return false;
    TransformVector(*frame, side);
    TransformVector(*frame, up);
    double sideLon = 0.0, sideLat = 0.0;
    RectangularToSpherical(side, &sideLon, &sideLat, nullptr);
    Vector3 center{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
    Vector3 cross;
    CrossProduct(center, up, cross);
    double arc = std::atan2(VectorLength(cross), DotProduct(center, up));
    // Dragged toward the screen's north, the sky south of the centre comes in.
    double newLat = std::clamp(lat + (along > 0.0 ? -arc : arc), -kLatitudeLimit, kLatitudeLimit);
    double newLon = WrapLongitude(lon + std::remainder(sideLon - lon, 2.0 * kHalfTurn));
    view.centeredObject = 0;
    ClearTelescopeStayCentered();
    view.centerLongitude = newLon;
    view.centerLatitude = newLat;
    return true;
}

bool ZoomAbout(int x, int y, int notches) {
    ChartView& view = gChartView;
    if (notches == 0 || !(view.zoomFactor > 0.0)) return false;
    // A centred object stays centred; otherwise the sky under the cursor stays under it.
    Vector3 grabbed;
    bool keepPoint = view.centeredObject == 0 && UnprojectPoint(x, y, grabbed);
    if (!ApplyFieldWidth(view.fieldWidth * std::pow(view.zoomFactor, -notches))) return false;
    // A few corrections bring that point back under the cursor to the pixel;
    // one that makes things worse (a wide field, far from the centre) is undone.
    const Rect area{gFrame.left, gFrame.top, gFrame.right, gFrame.bottom};
    long miss = -1;
    double lon = view.centerLongitude, lat = view.centerLatitude;
    for (int pass = 0; keepPoint && pass < 4; ++pass) {
        PrepareChartFrame(area, 0);
        ProjectedPoint p = ProjectVector(grabbed);
        long now = std::labs(long{p.x} - x) + std::labs(long{p.y} - y);
        if (!p.visible || (miss >= 0 && now >= miss)) {
            view.centerLongitude = lon;
            view.centerLatitude = lat;
            break;
        }
        miss = now;
        lon = view.centerLongitude;
        lat = view.centerLatitude;
        if (now == 0 || !ShiftCenter(x - p.x, y - p.y)) break;
    }
    RenderChart();
    ShowChart();
    RefreshMenuState();
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
    case MouseWheel: {
        gWheelTurn += static_cast<int>(std::clamp(a, -100L * kWheelNotch, 100L * kWheelNotch));
        int notches = gWheelTurn / kWheelNotch;
        gWheelTurn -= notches * kWheelNotch;
        if (notches == 0 || gDrag.active) break;
        if (IsKeyDown(VKControl)) {
            // Ctrl+wheel scrolls up and down the sky, a scroll-bar step a notch.
            for (int i = 0; i < std::abs(notches); ++i)
                ScrollChart(kVerticalScrollBar, notches > 0 ? ScrollLineUp : ScrollLineDown,
                            false);
        } else {
            ZoomAbout(PointX(b), PointY(b), notches);
        }
        break;
    }
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
