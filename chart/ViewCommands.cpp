#include "chart/ViewCommands.h"

#include "astro/ComputationOptions.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Projection.h"
#include "chart/Render.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/Search.h"
#include "shell/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// Menus of the view commands.
constexpr int kViewMenu = 259;
constexpr int kCenterPlanetMenu = 31;
constexpr int kCenterHorizonMenu = 32;
constexpr int kProjectionMenu = 33;
constexpr int kCoordinatesMenu = 34;

// Items of the View menu.
constexpr int kCenterObjectItem = 3;
constexpr int kCenterCoordinatesItem = 4;
constexpr int kFieldItem = 9;
constexpr int kZoomInItem = 10;
constexpr int kZoomOutItem = 11;

// Messages.
constexpr int kProjectionSwitchString = 522;
constexpr int kNoSuchNameString = 523;
constexpr int kBelowHorizonString = 540;

// Field dialog controls.
constexpr int kFieldWidthText = 4;
constexpr int kRotationText = 6;
constexpr int kZoomFactorText = 8;
constexpr int kScrollRateText = 10;
constexpr int kInvertHorizontallyBox = 12;
constexpr int kInvertVerticallyBox = 13;

// Center Coordinates dialog controls: the radio buttons are 3 + frame code.
constexpr int kFirstSystemRadio = 4;
constexpr int kLastSystemRadio = 7;
constexpr int kLongitudeLabel = 8;
constexpr int kLongitudeText = 9;
constexpr int kLatitudeLabel = 10;
constexpr int kLatitudeText = 11;

constexpr double kRadiansPerHour = 0.26179938781323336;
// The scroll bars keep the centre off the poles by this much, so that the
// longitude stays meaningful.
// The Shift orbit turns by half a turn per scrollRate arrow steps.
constexpr double kOrbitTurn = 3.141592654;
constexpr int kFullCircleDegrees = 360;

const char* const kProjectionNames[] = {"Planar", "Spherical", "Lambert", "Mercator", "Mollweide"};
const char* const kPlanetNames[] = {"Sun",     "Moon",   "Mercury", "Venus",   "Earth", "Mars",
                                    "Jupiter", "Saturn", "Uranus",  "Neptune", "Pluto"};
constexpr int kPlanetCount = 11;

// Center Horizon items 1 to 6: North, East, South, West, Zenith, Nadir as
// (longitude, latitude) in degrees.
constexpr double kHorizonPoints[6][2] = {{0, 0},   {90, 0},   {180, 0},
                                         {270, 0}, {180, 90}, {180, -90}};

void (*gMenuStateUpdater)() = nullptr;
void (*gInfoRefresher)() = nullptr;
bool (*gTelescopeClearer)() = nullptr;
ObjectID (*gObjectSelector)() = nullptr;

void RenderAndShow() {
    RenderChart();
    ShowChart();
}

void Redisplay() {
    RenderChart();
    ShowChart();
    RefreshMenuState();
}

std::string FormatNumber(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Degrees as "d mm ss.s", rounded to the tenth of an arcsecond shown.
std::string FormatFieldWidth(double degrees) {
    Sexagesimal s = SplitRounded(degrees, 36000.0);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%hd %02hd %04.1f", s.units, s.minutes, s.seconds);
    return buffer;
}

std::string MenuItemName(int menu, int item, const char* const* names, int count) {
    if (MenuRef ref = FindMenuByNumber(menu); ref != nullptr && item <= MenuItemCount(ref)) {
        std::string text = GetMenuItemText(ref, item);
        if (!text.empty()) return text;
    }
    return item >= 1 && item <= count ? names[item - 1] : std::string();
}

// ---------------------------------------------------------------------------
// Field dialog

long FieldDialogHandler(int event, WindowRef dialog, long control, long) {
    ChartView& view = gChartView;
    if (event == Create) {
        SetItemText(dialog, kFieldWidthText, FormatFieldWidth(view.fieldWidth * kDegreesPerRadian));
        SetItemText(dialog, kRotationText,
                    FormatNumber("%.1f", view.fieldRotation * kDegreesPerRadian));
        SetItemText(dialog, kZoomFactorText, FormatNumber("%.1f", view.zoomFactor));
        SetItemText(dialog, kScrollRateText, FormatNumber("%.1f", view.scrollRate));
        SetItemValue(dialog, kInvertHorizontallyBox, view.invertedHorizontally ? 1 : 0);
        SetItemValue(dialog, kInvertVerticallyBox, view.invertedVertically ? 1 : 0);
        return 1;
    }
    if (event != ControlNotify) return 1;
    if (control == kOKButton) {
        // Everything is checked before anything changes: a refused field
        // leaves the dialog open as typed.
        double width = 0.0, rotation = 0.0, zoom = 0.0, rate = 0.0;
        if (!ReadField(dialog, kFieldWidthText, "field width", 3, 1.0 / 3600.0, 360.0,
                       "degrees, minutes and seconds from 0 00 01 to 360", width) ||
            !ReadField(dialog, kRotationText, "rotation", 1, -360.0, 360.0,
                       "a number of degrees from -360 to 360", rotation) ||
            // A factor of 1 or less would not zoom in; a rate of 0 no step at all.
            !ReadField(dialog, kZoomFactorText, "zoom factor", 1, 1.1, 100.0,
                       "a number from 1.1 to 100", zoom) ||
            !ReadField(dialog, kScrollRateText, "scroll rate", 1, 1.0, 1000.0,
                       "a number from 1 to 1000", rate))
            return 1;
        SetFieldWidth(width * kRadiansPerDegree);
        view.fieldRotation = rotation * kRadiansPerDegree;
        view.zoomFactor = zoom;
        view.scrollRate = rate;
        view.invertedHorizontally = GetItemValue(dialog, kInvertHorizontallyBox) != 0;
        view.invertedVertically = GetItemValue(dialog, kInvertVerticallyBox) != 0;
        EndDialogResult(1);
    } else if (control == kCancelButton) {
        EndDialogResult(0);
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Center Coordinates dialog: the system shown and the centre in it.

struct CenterDialogState {
    int system = kHorizon;
    double longitude = 0.0;
    double latitude = 0.0;
};
CenterDialogState gCenterDialog;

void FillCenterFields(WindowRef dialog) {
    const CenterDialogState& s = gCenterDialog;
    double epoch = gComputationOptions.precessionEpoch;
    std::string lon, lat;
    FormatCoordinates(s.system, s.longitude, s.latitude, kCoordinateLabels, epoch, lon, lat);
    SetItemText(dialog, kLongitudeLabel, lon);
    SetItemText(dialog, kLatitudeLabel, lat);
    FormatCoordinates(s.system, s.longitude, s.latitude, kCoordinateValues, epoch, lon, lat);
    SetItemText(dialog, kLongitudeText, lon);
    SetItemText(dialog, kLatitudeText, lat);
}

// Reads the two fields in the system shown; false, with the field refused,
// when one holds no coordinate of that system (nothing changes then).
bool ReadCenterFields(WindowRef dialog) {
    CenterDialogState& s = gCenterDialog;
    struct Names {
        const char *longitude, *latitude;
    };
    static const Names kNames[] = {{"right ascension", "declination"},
                                   {"ecliptic longitude", "ecliptic latitude"},
                                   {"galactic longitude", "galactic latitude"},
                                   {"azimuth", "altitude"}};
    const Names& names = kNames[std::clamp<int>(s.system, kEquatorial, kHorizon) - kEquatorial];
    const bool hours = s.system == kEquatorial;
    double lon = 0.0, lat = 0.0;
    if (!ReadField(dialog, kLongitudeText, names.longitude, 3, 0.0, hours ? 24.0 : 360.0,
                   hours ? "hours, minutes and seconds from 0 to 24"
                         : "degrees, minutes and seconds from 0 to 360",
                   lon) ||
        !ReadField(dialog, kLatitudeText, names.latitude, 3, -90.0, 90.0,
                   "degrees, minutes and seconds from -90 to +90", lat))
        return false;
    s.longitude = WrapLongitude(lon * (hours ? kRadiansPerHour : kRadiansPerDegree));
    s.latitude = lat * kRadiansPerDegree;
    return true;
}

long CenterDialogHandler(int event, WindowRef dialog, long control, long) {
    CenterDialogState& s = gCenterDialog;
    if (event == Create) {
        s.system = gChartView.coordinateSystem;
        if (s.system < kEquatorial || s.system > kHorizon) s.system = kHorizon;
        s.longitude = gChartView.centerLongitude;
        s.latitude = gChartView.centerLatitude;
        CheckRadio(dialog, kFirstSystemRadio, kLastSystemRadio, kFirstSystemRadio - 1 + s.system);
        FillCenterFields(dialog);
        return 1;
    }
    if (event != ControlNotify) return 1;
    if (control >= kFirstSystemRadio && control <= kLastSystemRadio) {
        int system = static_cast<int>(control) - (kFirstSystemRadio - 1);
        CheckRadio(dialog, kFirstSystemRadio, kLastSystemRadio, static_cast<int>(control));
        if (system == s.system) return 1;
        if (!ReadCenterFields(dialog)) {
            // The coordinates typed must be mended in the system they were typed in.
            CheckRadio(dialog, kFirstSystemRadio, kLastSystemRadio,
                       kFirstSystemRadio - 1 + s.system);
            return 1;
        }
        ConvertFrame(gInstant.frames, s.system, system, &s.longitude, &s.latitude);
        s.system = system;
        FillCenterFields(dialog);
    } else if (control == kOKButton) {
        if (!ReadCenterFields(dialog)) return 1;
        gChartView.centeredObject = 0;
        ClearTelescopeStayCentered();
        gChartView.coordinateSystem = static_cast<std::int16_t>(s.system);
        gChartView.centerLongitude = s.longitude;
        gChartView.centerLatitude = s.latitude;
        EndDialogResult(1);
    } else if (control == kCancelButton) {
        EndDialogResult(0);
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Menus

void CenterPlanet(int item) {
    std::string name = MenuItemName(kCenterPlanetMenu, item, kPlanetNames, kPlanetCount);
    ObjectID id = 0;
    int result = findObjectByName(name, false, true, id);
    if (result == kStatusCancelled) return;
    if (result != kStatusSuccess) {
        ShowMessage(ButtonsOK, kNoSuchNameString, name.c_str());
        return;
    }
    if (CenterOnObject(id) == 1) RenderAndShow();
}

void CenterHorizon(int item) {
    ChartView& view = gChartView;
    view.coordinateSystem = kHorizon;
    view.centeredObject = 0;
    ClearTelescopeStayCentered();
    view.centerLongitude = kHorizonPoints[item - 1][0] * kRadiansPerDegree;
    view.centerLatitude = kHorizonPoints[item - 1][1] * kRadiansPerDegree;
    Redisplay();
}

void ChangeCoordinates(int system) {
    ChartView& view = gChartView;
    ConvertFrame(gInstant.frames, view.coordinateSystem, system, &view.centerLongitude,
                 &view.centerLatitude);
    view.coordinateSystem = static_cast<std::int16_t>(system);
    RenderChart();
    RefreshMenuState();
    ShowChart();
    RefreshObjectInfo();
}

// ---------------------------------------------------------------------------
// Scrolling

// The viewer goes round the centred object at its present distance, so that
// the object is seen against the new centre direction.
void OrbitCenteredObject(SkyObject* object) {
    EnsureComputed(object);
    double distance = ObjectDistance(object);
    const Matrix3* frame = FrameMatrix(gInstant.frames, gChartView.coordinateSystem);
    // Without a finite distance there is no place to move to.
    if (!(distance > 0.0) || !std::isfinite(distance) || frame == nullptr) {
        RenderAndShow();
        return;
    }
    Vector3 offset;
    SphericalToRectangular(gChartView.centerLongitude, gChartView.centerLatitude, -distance,
                           offset);
    UntransformVector(*frame, offset);
    gViewer.viewerObject = object->id;
    for (int i = 0; i < 3; ++i)
        gViewer.viewerObjectOffset[i] = offset[i];
    RecomputeAndRedraw(true);
    if (WindowRef window = ChartWindow()) UpdateWindow(window);
}

} // namespace

bool ReadField(WindowRef dialog, int control, const char* field, int most, double minimum,
               double maximum, const char* wanted, double& value) {
    double v = 0.0;
    if (ReadSexagesimal(GetItemText(dialog, control), most, v) && v >= minimum && v <= maximum) {
        value = v;
        return true;
    }
    RefuseItem(dialog, control, field, wanted);
    return false;
}

double WrapLongitude(double longitude) {
    longitude = std::fmod(longitude, kTwoPi);
    if (longitude < 0.0) longitude += kTwoPi;
    if (!(longitude < kTwoPi) || !(longitude >= 0.0)) longitude = 0.0;
    return longitude;
}

// ---------------------------------------------------------------------------
// Hooks

void setMenuStateUpdater(void (*updater)()) {
    gMenuStateUpdater = updater;
}
void setInfoRefresher(void (*refresher)()) {
    gInfoRefresher = refresher;
}
void setTelescopeStayCenteredClearer(bool (*clearer)()) {
    gTelescopeClearer = clearer;
}
void setObjectSelector(ObjectID (*selector)()) {
    gObjectSelector = selector;
}

void RefreshMenuState() {
    if (gMenuStateUpdater != nullptr) gMenuStateUpdater();
}

void RefreshObjectInfo() {
    if (gInfoRefresher != nullptr) gInfoRefresher();
}

bool ClearTelescopeStayCentered() {
    if (gTelescopeClearer == nullptr || !gTelescopeClearer()) return false;
    RefreshMenuState();
    return true;
}

// ---------------------------------------------------------------------------
// Field width and centring

int MagnitudeLimitStep(double oldWidth, double newWidth) {
    if (!(oldWidth > 0.0) || !(newWidth > 0.0) || !std::isfinite(oldWidth) ||
        !std::isfinite(newWidth))
        return 0;
    return static_cast<int>(std::lround(100.0 * std::log2(oldWidth / newWidth)));
}

std::string ProjectionName(int projection) {
    return MenuItemName(kProjectionMenu, projection, kProjectionNames, kMollweide);
}

void SetFieldWidth(double width) {
    if (ApplyFieldWidth(width)) Redisplay();
}

bool ApplyFieldWidth(double width) {
    ChartView& view = gChartView;
    if (std::isnan(width)) return false;
    int p = view.projection;
    if (p == kPlanar && width > kPlanarFieldLimit) p = kSpherical;
    if (p == kSpherical && width > kSphericalFieldLimit) p = kLambert;
    if (p == kLambert && width > kLambertFieldLimit) p = kMercator;
    if (p != view.projection) {
        std::string name = ProjectionName(p);
        if (ShowMessage(ButtonsOKCancel, kProjectionSwitchString, name.c_str()) != AnswerOK)
            return false;
        view.projection = static_cast<std::int16_t>(p);
    }
    width = std::clamp(width, kMinimumFieldWidth, kMaximumFieldWidth);
    if (gDisplayOptions.automaticMagnitudeLimits) {
        int step = MagnitudeLimitStep(view.fieldWidth, width);
        if (step != 0) AdjustMagnitudeLimits(step);
    }
    view.fieldWidth = width;
    return true;
}

int CenterOnObject(ObjectID id) {
    if (id == 0) {
        gChartView.centeredObject = 0;
        RefreshMenuState();
        return 1;
    }
    SkyObject* object = getObject(id);
    if (object == nullptr) return 0;
    if (gDisplayOptions.showHorizonMask) {
        EnsureComputed(object);
        std::int32_t direction[3] = {0, 0, 0};
        ApparentDirection(object, direction);
        if (AltitudeSine(direction) <= gFrame.horizonSineFixed30) {
            int answer = ShowMessage(ButtonsYesNoCancel, kBelowHorizonString);
            if (answer == AnswerYes)
                gDisplayOptions.showHorizonMask = false;
            else if (answer != AnswerNo)
                return 0;
        }
    }
    gChartView.centeredObject = id;
    ClearTelescopeStayCentered();
    RefreshMenuState();
    return 1;
}

// ---------------------------------------------------------------------------
// The View menu

bool ViewMenuHandles(int menu, int item) {
    switch (menu) {
    case kViewMenu:
        // Center Object needs the object selection dialog; greyed without it.
        if (item == kCenterObjectItem) return gObjectSelector != nullptr;
        return item == kCenterCoordinatesItem || item == kFieldItem ||
               item == kZoomInItem || item == kZoomOutItem ||
               (item >= kFirstFixedFieldItem && item < kFirstFixedFieldItem + kFixedFieldCount);
    case kCenterPlanetMenu:
        return item >= 1 && item <= kPlanetCount;
    case kCenterHorizonMenu:
        return item >= 1 && item <= 6;
    case kProjectionMenu:
        return item >= kPlanar && item <= kMollweide;
    case kCoordinatesMenu:
        return item >= kEquatorial && item <= kHorizon;
    default:
        return false;
    }
}

int ViewMenuCommand(int menu, int item) {
    if (!ViewMenuHandles(menu, item)) return 1;
    ChartView& view = gChartView;
    switch (menu) {
    case kViewMenu:
        if (item == kCenterObjectItem) {
            // A chosen object below a masked horizon is asked about first.
            ObjectID id = gObjectSelector != nullptr ? gObjectSelector() : 0;
            if (id != 0 && CenterOnObject(id) == 1) Redisplay();
        } else if (item == kCenterCoordinatesItem) {
            if (RunCenterCoordinatesDialog()) Redisplay();
        } else if (item == kFieldItem) {
            if (RunFieldDialog()) Redisplay();
        } else if (item == kZoomInItem) {
            SetFieldWidth(view.fieldWidth / view.zoomFactor);
        } else if (item == kZoomOutItem) {
            SetFieldWidth(view.fieldWidth * view.zoomFactor);
        } else {
            SetFieldWidth(kFixedFieldWidths[item - kFirstFixedFieldItem]);
        }
        break;
    case kCenterPlanetMenu:
        CenterPlanet(item);
        break;
    case kCenterHorizonMenu:
        CenterHorizon(item);
        break;
    case kProjectionMenu:
        view.projection = static_cast<std::int16_t>(item);
        Redisplay();
        break;
    case kCoordinatesMenu:
        ChangeCoordinates(item);
        break;
    default:
        break;
    }
    return 1;
}

bool RunFieldDialog() {
    return RunDialog(kFieldDialogTemplate, 0, FieldDialogHandler) == 1;
}

bool RunCenterCoordinatesDialog() {
    return RunDialog(kCenterCoordinatesTemplate, 0, CenterDialogHandler) == 1;
}

// ---------------------------------------------------------------------------
// Scroll bars

void UpdateScrollBars() {
    WindowRef window = ChartWindow();
    if (window == nullptr) return;
    const ChartView& view = gChartView;
    ShowScrollBars(window, gDisplayOptions.showChartControls);
    double latitude = view.centerLatitude * kDegreesPerRadian;
    double longitude = view.centerLongitude * kDegreesPerRadian;
    long vertical = -std::lround(latitude);
    long horizontal = view.coordinateSystem == kHorizon
                          ? static_cast<long>(longitude + 1.5)
                          : static_cast<long>(kFullCircleDegrees - (longitude + 0.5));
    SetItemValue(window, kVerticalScrollBar, vertical);
    SetItemValue(window, kHorizontalScrollBar, horizontal);
}

void HandleScroll(int bar, int code) {
    ScrollChart(bar, code, IsKeyDown(VKShift));
}

void ScrollChart(int bar, int code, bool shiftHeld) {
    if (bar != kVerticalScrollBar && bar != kHorizontalScrollBar) return;
    if (code < ScrollThumbReleased || code > ScrollThumbTracking) return;
    ChartView& view = gChartView;
    SkyObject* orbited = nullptr;
    if (shiftHeld && view.centeredObject != 0) orbited = getObject(view.centeredObject);
    double step = (orbited != nullptr ? kOrbitTurn : view.fieldWidth) / view.scrollRate;
    if (!std::isfinite(step)) step = 0.0; // a scroll rate of 0 from a settings file
    if (orbited == nullptr) view.centeredObject = 0;
    ClearTelescopeStayCentered();

    bool thumb = code == ScrollThumbReleased || code == ScrollThumbTracking;
    double half = view.fieldWidth / 2;
    WindowRef window = ChartWindow();
    if (bar == kHorizontalScrollBar) {
        // Longitude grows to the left on a sky chart but to the right on a
        // horizon chart (azimuth runs north, east, south, west).
        double sign = view.coordinateSystem == kHorizon ? -1.0 : 1.0;
        double& lon = view.centerLongitude;
        if (thumb) {
            long position = window != nullptr ? GetItemValue(window, kHorizontalScrollBar) : 0;
            lon =
                (view.coordinateSystem == kHorizon ? position - 1 : kFullCircleDegrees - position) *
                kRadiansPerDegree;
        } else if (code == ScrollPageUp) {
            lon += sign * half;
        } else if (code == ScrollPageDown) {
            lon -= sign * half;
        } else if (code == ScrollLineUp) {
            lon += sign * step;
        } else {
            lon -= sign * step;
        }
        lon = WrapLongitude(lon);
    } else {
        double& lat = view.centerLatitude;
        if (thumb) {
            long position = window != nullptr ? GetItemValue(window, kVerticalScrollBar) : 0;
            lat = -position * kRadiansPerDegree;
        } else if (code == ScrollPageUp) {
            lat += half;
        } else if (code == ScrollPageDown) {
            lat -= half;
        } else if (code == ScrollLineUp) {
            lat += step;
        } else {
            lat -= step;
        }
        lat = std::clamp(lat, -kLatitudeLimit, kLatitudeLimit);
    }

    if (orbited != nullptr)
        OrbitCenteredObject(orbited);
    else
        RenderAndShow();
}
