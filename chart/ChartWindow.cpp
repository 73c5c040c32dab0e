#include "chart/ChartWindow.h"

#include "astro/ComputationOptions.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Overlays.h"
#include "chart/Primitives.h"
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
constexpr int kReadOnlyFileString = 539;
constexpr double kSecondsPerTick = 0.001;
constexpr double kDegreesPerRadianText = 57.29577951;
// A viewpoint move along the line of sight never more than halves or
// doubles-and-a-half the distance at once.
constexpr double kLargestViewpointStep = 0.5;
constexpr double kHalfTurn = 3.141592654;
// The separation is shown to a tenth of an arcsecond.
constexpr double kTenthsOfSecondPerDegree = 36000.0;
// Drawn inverted, white turns every colour into its opposite.
constexpr RGBColor kInvertingInk{255, 255, 255};

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

// A press on an object or a measurement: what was pressed, where and when,
// and what is written over the chart's picture on the window meanwhile.
struct Press {
    PressKind kind = PressKind::None;
    ObjectID object = 0;
    int x = 0, y = 0;       // the press point
    int endX = 0, endY = 0; // the far end of the band
    long ticks = 0;
    bool tagShown = false;  // the object's name beside it
    bool bandDrawn = false; // the inverted band from the press point
};
Press gPress;

InfoWindowHooks gInfoHooks;
void (*gSkyPointListener)(const Vector3&) = nullptr;
bool gEditingConstellations = false;

// The box of the last coordinate readout written on the window.
Rect gReadoutBox;
bool gReadoutShown = false;

// The redraw timer ('t').
long gTimingStart = 0;

void StartDrag(int x, int y) {
    DisplayOptions& o = gDisplayOptions;
    gPress.kind = PressKind::Drag;
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
    gPress.kind = PressKind::None;
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

// The readout at (3, 3) of the window, over the last one.
void WriteReadout(WindowRef window, int x, int y, const Point* from) {
    const std::string text = ReadoutText(x, y, from);
    if (text.empty()) return;
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

// The band from the press point to its far end, inverted: drawn a second
// time it is gone.
void InvertBand(WindowRef window) {
    SurfaceRef surface = GetWindowSurface(window);
    if (surface == nullptr) return;
    BeginDrawing(surface);
    SetXorMode(true);
    SetPenBrush(kInvertingInk, 1, false);
    Line(gPress.x, gPress.y, gPress.endX, gPress.endY);
    SetXorMode(false);
    EndDrawing();
    ReleaseWindowSurface(surface);
    gPress.bandDrawn = !gPress.bandDrawn;
}

void EraseBand(WindowRef window) {
    if (gPress.bandDrawn) InvertBand(window);
}

bool QuickPress() {
    return TickCount() - gPress.ticks < DoubleClickTime();
}

void ShowInInfoWindow(ObjectID id, bool toFront) {
    if (gInfoHooks.show != nullptr) gInfoHooks.show(id, toFront);
}

// While the button is held over the pressed object (once a double click is
// out of the question) its name shows beside it; away from it, it goes.
void FollowNameTag(int x, int y) {
    if (gPress.object == 0 || QuickPress()) return;
    bool over = HitTestObject(gPress.object, x, y, kStillOverTolerance);
    if (over == gPress.tagShown) return;
    if (over)
        ShowNameTag(gPress.object);
    else
        ShowChart();
    gPress.tagShown = over;
}

void BeginPress(WindowRef window, int x, int y) {
    // A second button while one is held changes nothing.
    if (gPress.kind != PressKind::None) return;
    gPress = Press{};
    gPress.x = gPress.endX = x;
    gPress.y = gPress.endY = y;
    gPress.ticks = TickCount();
    gPress.object = FindObjectAt(x, y, kClickTolerance);
    if (gEditingConstellations || !gDisplayOptions.showMouseCoordinates) {
        // Empty sky moves the chart.
        if (gPress.object == 0) {
            StartDrag(x, y);
            return;
        }
        gPress.kind = gEditingConstellations ? PressKind::FigureLine : PressKind::Click;
        return;
    }
    gPress.kind = PressKind::Measure;
    const Point from{x, y};
    WriteReadout(window, x, y, &from);
}

// A press the window lost track of (it went to the background with the
// button down): the chart is drawn as before it, and nothing is chosen.
void CancelPress() {
    const PressKind kind = gPress.kind;
    gPress.kind = PressKind::None;
    if (kind == PressKind::Drag)
        EndDrag();
    else if (kind != PressKind::None)
        ShowChart();
}

void MovePress(WindowRef window, int x, int y) {
    switch (gPress.kind) {
    case PressKind::Drag: {
        int dx = x - gDrag.lastX, dy = y - gDrag.lastY;
        if (dx != 0 || dy != 0) {
            PanChart(dx, dy);
            gDrag.lastX = x;
            gDrag.lastY = y;
        }
        break;
    }
    case PressKind::Click:
        FollowNameTag(x, y);
        break;
    case PressKind::Measure:
    case PressKind::FigureLine: {
        // The band goes first, so that the tag and the readout are written
        // on the chart itself and the band's second drawing restores them.
        EraseBand(window);
        if (gPress.kind == PressKind::Measure) FollowNameTag(x, y);
        const Point from{gPress.x, gPress.y};
        if (gDisplayOptions.showMouseCoordinates) WriteReadout(window, x, y, &from);
        gPress.endX = x;
        gPress.endY = y;
        InvertBand(window);
        break;
    }
    case PressKind::None:
        break;
    }
}

void EndPress(WindowRef window, int x, int y) {
    const Press press = gPress;
    const bool quick = QuickPress();
    gPress.kind = PressKind::None;
    switch (press.kind) {
    case PressKind::Drag:
        EndDrag();
        break;
    case PressKind::Click:
        // Released away from the object, the click was taken back.
        if (!HitTestObject(press.object, x, y, kStillOverTolerance)) {
            if (press.tagShown) ShowChart();
            break;
        }
        ShowChart();
        ShowInInfoWindow(press.object, quick);
        break;
    case PressKind::Measure:
        EraseBand(window);
        ShowChart();
        if (quick && press.object != 0 && HitTestObject(press.object, x, y, kStillOverTolerance))
            ShowInInfoWindow(press.object, true);
        break;
    case PressKind::FigureLine: {
        EraseBand(window);
        ShowChart();
        ObjectID other = FindObjectAt(x, y, kClickTolerance);
        const SkyObject* a = getObject(press.object);
        const SkyObject* b = getObject(other);
        if (other != 0 && other != press.object && a != nullptr && b != nullptr &&
            IsCatalogType(a->type) && IsCatalogType(b->type) &&
            ToggleFigureLine(press.object, other) == 1) {
            RenderChart();
            ShowChart();
        }
        break;
    }
    case PressKind::None:
        break;
    }
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
    WindowRef info = gInfoHooks.window != nullptr ? gInfoHooks.window() : nullptr;
    switch (virtualKey) {
    case VKReturn:
        if (info != nullptr) PressButton(info, kOKButton);
        return;
    case VKEscape:
        if (info != nullptr) PressButton(info, kCancelButton);
        return;
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
    // The copy covers whatever was written over the picture.
    gPress.bandDrawn = false;
    gPress.tagShown = false;
    gReadoutShown = false;
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
    ObjectID info = gInfoHooks.object != nullptr ? gInfoHooks.object() : 0;
    if (info != 0 && HitTestObject(info, x, y, kStillOverTolerance)) {
        if (CenterOnObject(info) != 1) return false;
        RenderChart();
        ShowChart();
        RefreshMenuState();
        return true;
    }
    Vector3 v;
    if (!UnprojectPoint(x, y, v)) return false;
    if (gSkyPointListener != nullptr) gSkyPointListener(v);
    CenterOnDirection(v);
    RenderChart();
    ShowChart();
    RefreshMenuState();
    return true;
}

bool DragInProgress() {
    return gDrag.active;
}

PressKind CurrentPress() {
    return gPress.kind;
}

std::string ReadoutText(int x, int y, const Point* from) {
    Vector3 v;
    if (!UnprojectPoint(x, y, v)) return {};
    const Matrix3* frame = FrameMatrix(gInstant.frames, gChartView.coordinateSystem);
    if (frame != nullptr) TransformVector(*frame, v);
    double lon = 0.0, lat = 0.0;
    RectangularToSpherical(v, &lon, &lat, nullptr);
    std::string lonText, latText;
    FormatCoordinates(gChartView.coordinateSystem, lon, lat, kCoordinateLabelledValues,
                      gComputationOptions.precessionEpoch, lonText, latText);
    double separation = 0.0, angle = 0.0;
    Vector3 w;
    if (from != nullptr && UnprojectPoint(from->x, from->y, w)) {
        if (frame != nullptr) TransformVector(*frame, w);
        double fromLon = 0.0, fromLat = 0.0;
        RectangularToSpherical(w, &fromLon, &fromLat, nullptr);
        separation = AngularSeparation(fromLon, fromLat, lon, lat);
        angle = PositionAngle(fromLon, fromLat, lon, lat);
    }
    Sexagesimal sep = SplitRounded(separation * kDegreesPerRadianText, kTenthsOfSecondPerDegree);
    char text[256];
    std::snprintf(text, sizeof text, "%s  %s  Sep: %03hd%c %02hd' %04.1f\"  PA: %05.1f%c",
                  lonText.c_str(), latText.c_str(), sep.units, kDegreeSign, sep.minutes,
                  sep.seconds, angle * kDegreesPerRadianText, kDegreeSign);
    return text;
}

void setSkyPointListener(void (*listener)(const Vector3& direction)) {
    gSkyPointListener = listener;
}

void CenterChartOn(const Vector3& direction) {
    CenterOnDirection(direction);
    RenderChart();
    ShowChart();
    RefreshMenuState();
}

void setInfoWindowHooks(const InfoWindowHooks& hooks) {
    gInfoHooks = hooks;
}

bool EditingConstellations() {
    return gEditingConstellations;
}

void SetEditingConstellations(bool on) {
    gEditingConstellations = on;
}

bool HitTestObject(ObjectID id, int x, int y, int tolerance) {
    SkyObject* object = id != 0 ? getObject(id) : nullptr;
    if (object == nullptr) return false;
    EnsureComputed(object);
    ProjectedObject p = ProjectObject(object);
    if (!p.visible) return false;
    const long long dx = p.x - static_cast<long long>(x), dy = p.y - static_cast<long long>(y);
    const long long reach = static_cast<long long>(p.radius) + tolerance;
    if (reach < 0) return false;
    switch (object->type) {
    case kTypeDiffuseNebula:
        return std::llabs(dx) + std::llabs(dy) <= reach;
    case kTypeGalaxy:
        return dx * dx + 4 * dy * dy <= reach * reach;
    default:
        return dx * dx + dy * dy <= reach * reach;
    }
}

ObjectID FindObjectAt(int x, int y, int tolerance) {
    ObjectID info = gInfoHooks.object != nullptr ? gInfoHooks.object() : 0;
    if (info != 0 && HitTestObject(info, x, y, tolerance)) return info;
    for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId)) {
        DatabaseFile* file = getFile(fileId);
        // Only what the last drawing drew from can be under the cursor; the
        // others are neither loaded for it nor looked through.
        if (file == nullptr || !isLoaded(file) || file->lastDrawGeneration != DrawingPassNumber())
            continue;
        ObjectID found = 0;
        lockFile(fileId);
        for (int index = 1; index <= file->highestIndex && index <= file->capacity; ++index) {
            if (file->objects[index - 1] == nullptr) continue;
            ObjectID id = MakeObjectID(file->fileId, index);
            if (HitTestObject(id, x, y, tolerance)) {
                found = id;
                break;
            }
        }
        unlockFile(fileId);
        if (found != 0) return found;
    }
    return 0;
}

void ShowNameTag(ObjectID id) {
    SkyObject* object = getObject(id);
    if (object == nullptr) return;
    ProjectedObject p = ProjectObject(object);
    if (!p.visible) return;
    const std::string name = DisplayName(object);
    const int gap = ObjectLabelGap(object, p.radius);
    SurfaceRef surface = GetWindowSurface(ChartWindow());
    if (surface == nullptr) return;
    BeginDrawing(surface);
    ClipTo(Rect{gFrame.left, gFrame.top, gFrame.right, gFrame.bottom});
    SelectChartFont();
    int width = 0, height = 0;
    LabelExtent(name.c_str(), 0, &width, &height);
    const int left = p.x + gap, bottom = p.y - gap;
    FillWithSkyColor(Rect{left, bottom - height, left + width, bottom + 1});
    SetStandardColor(kForeground, 1, false);
    DrawLabel(name.c_str(), 0, left, bottom);
    RemoveClip();
    EndDrawing();
    ReleaseWindowSurface(surface);
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
        if (event == Deactivate) CancelPress();
        if (gDisplayOptions.showChartControls) ShowScrollBars(window, event == Activate);
        break;
    case Paint:
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
        BeginPress(window, static_cast<int>(a), static_cast<int>(b));
        break;
    case MouseDrag:
        MovePress(window, static_cast<int>(a), static_cast<int>(b));
        break;
    case MouseUp:
        EndPress(window, static_cast<int>(a), static_cast<int>(b));
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
        // No button is held any more: a release that never arrived.
        if (gPress.kind != PressKind::None)
            EndPress(window, static_cast<int>(a), static_cast<int>(b));
        if (gDisplayOptions.showMouseCoordinates)
            WriteReadout(window, static_cast<int>(a), static_cast<int>(b), nullptr);
        break;
    default:
        break;
    }
    return 1;
}

int ToggleFigureLine(ObjectID a, ObjectID b) {
    for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId)) {
        const DatabaseFile* file = getFile(fileId);
        if (file == nullptr || file->lineCount <= 0 || loadFile(fileId) != kStatusSuccess) continue;
        for (ObjectID id = firstObjectInFile(fileId); id != 0; id = nextObjectInFile(id)) {
            const LineObject* line = AsLine(getObject(id));
            if (line == nullptr) continue;
            const ObjectID p = line->endpointObjects[0], q = line->endpointObjects[1];
            if (!((p == a && q == b) || (p == b && q == a))) continue;
            if (isReadOnly(getFile(fileId))) {
                ShowMessage(ButtonsOK, kReadOnlyFileString);
                return 0;
            }
            FreeObject(removeObject(id));
            return 1;
        }
    }
    const DatabaseFile* target = getFile(customFile());
    if (target == nullptr) return 0;
    if (isReadOnly(target)) {
        ShowMessage(ButtonsOK, kReadOnlyFileString);
        return 0;
    }
    LineObject* line = NewLineObject(kTypeFigureLine);
    if (line == nullptr) return 0;
    line->endpointObjects[0] = a;
    line->endpointObjects[1] = b;
    if (addObject(line, target->fileId) == 0) {
        FreeObject(line);
        return 0;
    }
    return 1;
}
