#include "output/ObjectInfo.h"

#include "astro/ComputationOptions.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Vectors.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/Primitives.h"
#include "chart/Render.h"
#include "chart/ViewCommands.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "data/ObjectStore.h"
#include "data/Satellites.h"
#include "data/SelectObject.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"
#include "timecontrol/Trails.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

// Distance ranges of the distance line, AU, and the factors into its units.
constexpr double kKilometreRangeEnd = 0.1;
constexpr double kAstronomicalUnitRangeEnd = 10000.0;
constexpr double kParsecRangeEnd = 1e10;
constexpr double kParsecsPerAU = 4.848136812202333e-06; // 1 / 206264.806
constexpr double kMegaparsecsPerAU = 4.848136812202333e-12;

// A time angle (radians of a 24-hour day) in hours, and the display steps per
// hour of the rise and set times: whole minutes, rounded by a quarter minute.
constexpr double kHoursPerTimeRadian = 3.819718634; // 12 / pi
constexpr double kMinutesPerHour = 60.0;

// Unit changes of the catalogue and ephemeris lines.
constexpr double kArcminutesPerRadian = 3437.74677;
constexpr double kArcsecondsPerRadian = 206264.8062;
constexpr double kTimeSecondsPerYearPerRadianPerDay = 5022548.03097;
constexpr double kArcsecondsPerYearPerRadianPerDay = 75338220.46455;
constexpr double kKilometresPerSecondPerAUPerDay = 1731.4568287037036;
constexpr double kHundredth = 0.01;

constexpr int kTypeNameBase = 1000;

// Two-line elements are fitted to a few days of observations; weeks away from
// their epoch no model says where the satellite is.
constexpr double kStaleElementsDays = 21.0;
constexpr double kModifiedJulianDateOffset = 2400000.5;

// The computed physical quantities of a body's record, in the order the
// pipeline stores them.
constexpr int kBodyDiameter = 0;
constexpr int kBodyPhaseAngle = 1;
constexpr int kBodyBrightLimbAngle = 2;

// printf into a string; every line of the report fits well within the buffer.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A magnitude plus a difference, none when either is.
int MagnitudeSum(int m, int difference) {
    if (m == kNoMagnitude || difference == kNoMagnitude) return kNoMagnitude;
    return m + difference;
}

// "Rises at: hh:mm" for a time angle.
std::string TimeOfDayLine(const char* label, double timeAngle) {
    Sexagesimal t = SplitRounded(timeAngle * kHoursPerTimeRadian, kMinutesPerHour);
    return Format("%s%02hd:%02hd", label, t.units, t.minutes);
}

// The R.A. and Dec. lines of the epoch, and the two lines of the chart's frame.
void PositionLines(const ObjectPositionResult& position, int frame, ObjectInfo& info) {
    double epoch = gComputationOptions.precessionEpoch;
    FormatCoordinates(kFrameEquatorial, position.rightAscension, position.declination,
                      kCoordinateLabelledValues, epoch, info.line(kInfoRightAscensionLine),
                      info.line(kInfoDeclinationLine));
    FormatCoordinates(frame, position.longitude, position.latitude, kCoordinateLabelledValues,
                      epoch, info.line(kInfoFrameLongitudeLine), info.line(kInfoFrameLatitudeLine));
}

} // namespace

std::string ObjectFirstName(const SkyObject* object) {
    if (object == nullptr) return {};
    // Names are the ";"-separated parts of the display name, trimmed; empty
    // parts are no names, as for the name search.
    std::string name = DisplayName(object);
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find(';', start);
        if (end == std::string::npos) end = name.size();
        std::size_t first = start, last = end;
        while (first < last && IsBlank(name[first]))
            ++first;
        while (last > first && IsBlank(name[last - 1]))
            --last;
        if (last > first) return name.substr(first, last - first);
        start = end + 1;
    }
    return {};
}

std::string TypeLine(int type) {
    return "Type: " + LoadString(kTypeNameBase + type);
}

std::string DistanceLine(double d) {
    if (!std::isfinite(d)) return "Distance:";
    if (d < kKilometreRangeEnd) return Format("Distance (km): %.0f", d * kKilometresPerAU);
    if (d < kAstronomicalUnitRangeEnd) return Format("Distance (AU): %.5f", d);
    if (d < kParsecRangeEnd) return Format("Distance (pc): %.3f", d * kParsecsPerAU);
    return Format("Distance (Mpc): %.2f", d * kMegaparsecsPerAU);
}

bool RiseSetLines(double rise, double set, std::string& riseText, std::string& setText) {
    if (rise == kNeverRises && set == kNeverRises) {
        riseText = "Rises at: (doesn't rise)";
        setText = "Sets at: (doesn't rise)";
        return true;
    }
    if (rise == kNeverSets && set == kNeverSets) {
        riseText = "Rises at: (doesn't set)";
        setText = "Sets at: (doesn't set)";
        return true;
    }
    if (rise > 0.0 && set < kNeverSets) {
        riseText = TimeOfDayLine("Rises at: ", rise);
        setText = TimeOfDayLine("Sets at: ", set);
        return true;
    }
    return false;
}

std::string MagnitudeText(int type, int m, int m2, int m3) {
    if (m == kNoMagnitude) return {};
    bool haveFaintest = m2 != kNoMagnitude;
    bool haveCompanion = m3 != kNoMagnitude;
    double v = m * kHundredth, v2 = m2 * kHundredth, v3 = m3 * kHundredth;
    switch (type) {
    case kTypeMultipleStar:
        return haveCompanion ? Format("%+.2f, %+.2f", v, v3) : Format("%+.2f, ", v);
    case kTypeVariableStar:
        return haveFaintest ? Format("%+.2f - %+.2f", v, v2) : Format("%+.2f -", v);
    case kTypeMultipleVariableStar:
        if (haveFaintest && haveCompanion) return Format("%+.2f - %+.2f, %+.2f", v, v2, v3);
        if (haveFaintest) return Format("%+.2f - %+.2f, ", v, v2);
        if (haveCompanion) return Format("%+.2f - , %+.2f", v, v3);
        return Format("%+.2f - ,", v);
    default:
        return Format("%+.2f", v);
    }
}

std::string CatalogMagnitudeText(const CatalogObject& object) {
    int m = object.catalogMagnitude;
    return MagnitudeText(object.type, m, MagnitudeSum(m, object.variableRange),
                         MagnitudeSum(m, object.companionOffset));
}

void ProperMotionRates(const CatalogObject& object, double* rightAscensionRate,
                       double* declinationRate) {
    // With p the position and v its change per day, R.A. = atan2(y, x) and
    // Dec. = atan2(z, rho), rho = sqrt(x^2 + y^2); differentiating gives the
    // rates below. Both are ratios of like powers of the fixed-point scale,
    // so the integers serve as they are.
    double x = object.position[0], y = object.position[1], z = object.position[2];
    double vx = object.motion[0], vy = object.motion[1], vz = object.motion[2];
    double rho2 = x * x + y * y;
    double r2 = rho2 + z * z;
    *rightAscensionRate = rho2 > 0.0 ? (x * vy - y * vx) / rho2 : 0.0;
    if (rho2 > 0.0 && r2 > 0.0) {
        double rho = std::sqrt(rho2);
        double rhoRate = (x * vx + y * vy) / rho;
        *declinationRate = (rho * vz - z * rhoRate) / r2;
    } else {
        // At a pole the declination can only decrease, at the rate of the
        // motion across the pole.
        double across = std::sqrt(vx * vx + vy * vy);
        *declinationRate = r2 > 0.0 ? -across / std::sqrt(r2) : 0.0;
    }
}

void CatalogLines(const CatalogObject& object, ObjectInfo& info) {
    info.line(kInfoMagnitudeLine) = "Magnitude: " + CatalogMagnitudeText(object);

    double size = object.size;
    bool sized = size != 0.0 && std::isfinite(size);
    if (IsDeepSkyType(object.type))
        info.line(kInfoSizeLine) =
            sized ? Format("Angular Size ('): %.1f", size * kArcminutesPerRadian)
                  : "Angular Size ('):";
    else
        info.line(kInfoSizeLine) =
            sized ? Format("Separation (\"): %.1f", size * kArcsecondsPerRadian)
                  : "Separation (\"):";

    double raRate = 0.0, decRate = 0.0;
    ProperMotionRates(object, &raRate, &decRate);
    info.line(kInfoDetailLine1) =
        Format("R.A. motion (s/yr): %+.4f", raRate * kTimeSecondsPerYearPerRadianPerDay);
    info.line(kInfoDetailLine1 + 1) =
        Format("Dec. motion (\"/yr): %+.3f", decRate * kArcsecondsPerYearPerRadianPerDay);

    double velocity = object.radialVelocity;
    info.line(kInfoDetailLine1 + 2) =
        std::isfinite(velocity)
            ? Format("Radial velocity (km/s): %+.1f", velocity * kKilometresPerSecondPerAUPerDay)
            : "Radial velocity (km/s):";
    info.line(kInfoDetailLine1 + 3) =
        "Color Index (B-V): " +
        MagnitudeText(kTypeSingleStar, object.colorIndex, kNoMagnitude, kNoMagnitude);
    info.line(kInfoDetailLine5).clear();
}

void EphemerisLines(const BodyEphemeris& e, ObjectInfo& info) {
    info.line(kInfoMagnitudeLine) = e.magnitude == kNoMagnitude
                                        ? "Magnitude:"
                                        : Format("Magnitude: %+.1f", e.magnitude * kHundredth);
    info.line(kInfoSizeLine) =
        e.diameter > 0.0 ? Format("Angular Size: %.1f\"", e.diameter * kArcsecondsPerRadian)
                         : "Angular Size:";
    // The illuminated fraction of the disc (not a percentage).
    info.line(kInfoDetailLine1) =
        Format("Illumination: %.4f", (1.0 + std::cos(e.phaseAngle)) / 2.0);
    info.line(kInfoDetailLine1 + 1) =
        Format("P.A. of bright limb: %.1f%c", e.brightLimbAngle * kDegreesPerRadian, kDegreeSign);
    info.line(kInfoDetailLine1 + 2) =
        Format("Central longitude: %.1f%c", e.orientation.centralMeridian * kDegreesPerRadian,
               kDegreeSign);
    info.line(kInfoDetailLine1 + 3) =
        Format("Central latitude: %.1f%c", e.orientation.subViewerLatitude * kDegreesPerRadian,
               kDegreeSign);
    info.line(kInfoDetailLine5) =
        Format("P.A. of N. Pole: %.1f%c", e.orientation.polePositionAngle * kDegreesPerRadian,
               kDegreeSign);
}

// The reason SGP4 gives no position for a satellite.
const char* NoPositionText(int status) {
    switch (status) {
    case kSgp4MeanMotion:
        return "No position: mean motion of zero or less";
    case kSgp4SemiLatusRectum:
        return "No position: the elements give no orbit";
    case kSgp4Decayed:
        return "No position: decayed";
    default:
        return "No position: eccentricity out of range";
    }
}

// An Earth satellite's last line (a pole means nothing for it): why the model
// gives no position, or how far from their epoch the elements are asked to
// reach when that is weeks.
void SatelliteLine(const SolarSystemObject& body, ObjectInfo& info) {
    Vector3 position;
    const int status = SatellitePositionStatus(&body, gInstant.jde, position);
    const double age = gInstant.jde - (body.epoch + kModifiedJulianDateOffset);
    if (status != kSgp4Ok)
        info.line(kInfoDetailLine5) = NoPositionText(status);
    else if (std::fabs(age) > kStaleElementsDays)
        info.line(kInfoDetailLine5) = Format("elements %.0f days old", std::trunc(age));
}

bool FillObjectInfoLines(ObjectID id, ObjectInfo& info) {
    SkyObject* object = id != 0 ? getObject(id) : nullptr;
    if (object == nullptr) return false;

    EnsureComputed(object);
    info.name = ObjectFirstName(object);
    info.displayName = DisplayName(object);
    info.line(kInfoTypeLine) = TypeLine(object->type);

    double distance = 0.0;
    if (const CatalogObject* catalog = AsCatalog(object))
        distance = catalog->catalogDistance;
    else if (AsSolarSystem(object) != nullptr)
        distance = ObjectDistance(object);
    info.line(kInfoDistanceLine) = DistanceLine(distance);

    // Sites have no direction in the sky, so no position and no rising; a
    // body that no theory could place shows the labels without values rather
    // than a direction it never had.
    std::int32_t direction[3];
    Vector3 heliocentric;
    if (AsSolarSystem(object) != nullptr &&
        !ObjectHeliocentricPosition(object, heliocentric, nullptr)) {
        double epoch = gComputationOptions.precessionEpoch;
        FormatCoordinates(kFrameEquatorial, 0.0, 0.0, kCoordinateLabels, epoch,
                          info.line(kInfoRightAscensionLine), info.line(kInfoDeclinationLine));
        FormatCoordinates(CurrentFrame(), 0.0, 0.0, kCoordinateLabels, epoch,
                          info.line(kInfoFrameLongitudeLine), info.line(kInfoFrameLatitudeLine));
    } else if (ApparentDirection(object, direction)) {
        ObjectPositionResult position = ObjectPosition(object);
        PositionLines(position, CurrentFrame(), info);
        RiseSetLines(position.rise.timeAngle, position.set.timeAngle, info.line(kInfoRiseLine),
                     info.line(kInfoSetLine));
    }

    if (const CatalogObject* catalog = AsCatalog(object)) {
        CatalogLines(*catalog, info);
    } else if (SolarSystemObject* body = AsSolarSystem(object)) {
        BodyEphemeris ephemeris{};
        ephemeris.magnitude = ObjectMagnitude(body);
        ephemeris.diameter = body->physical[kBodyDiameter];
        ephemeris.phaseAngle = body->physical[kBodyPhaseAngle];
        ephemeris.brightLimbAngle = body->physical[kBodyBrightLimbAngle];
        ephemeris.orientation = ObjectOrientation(body);
        EphemerisLines(ephemeris, info);
        if (body->type == kTypeEarthSatellite) SatelliteLine(*body, info);
    }
    return true;
}

// ---------------------------------------------------------------------------
// The Object Info window

namespace {

WindowRef gInfoWindow = nullptr;
bool gInfoWindowPlaced = false;
ObjectID gInfoObject = 0;
// What the window's lines hold: a line the next object has no value for keeps
// its text, as the controls do.
ObjectInfo gInfoLines;
void (*gInfoListener)(ObjectID) = nullptr;
bool (*gInfoEditor)(ObjectID) = nullptr;
bool (*gTrailEditor)(ObjectID) = nullptr;

constexpr RGBColor kNameInk{0, 0, 0};

int ChartFrame() {
    return gChartView.coordinateSystem;
}

// The name centred along the bottom of its area, in the chart's font made
// bold, with a Bayer name's Greek letter drawn as the chart draws it.
void PaintName(WindowRef window, const std::string& name) {
    PaintObjectName(window, kInfoNameArea, name);
}

void CenterInfoObject() {
    if (gInfoObject == 0 || CenterOnObject(gInfoObject) != 1) return;
    CloseObjectInfo();
    RenderChart();
    ShowChart();
}

// After the trail buttons: the window's buttons and the chart show the change.
void AfterTrailChange() {
    FillObjectInfo(ObjectInfoWindow(), gInfoObject);
    RenderChart();
    ShowChart();
}

} // namespace

void PaintObjectName(WindowRef window, int control, const std::string& name) {
    // Any text clears the last name's picture (the surface would draw over
    // it), and the new picture replaces the text.
    SetItemText(window, control, " ");
    SurfaceRef surface = GetItemSurface(window, control);
    if (surface == nullptr) return;
    const Rect area = GetItemRect(window, control);
    BeginDrawing(surface);
    SelectChartFont(FontBold);
    SetPenBrush(kNameInk, 1, false);
    int width = 0, height = 0;
    LabelExtent(name.c_str(), static_cast<int>(name.size()), &width, &height);
    if (!name.empty())
        DrawLabel(name.c_str(), static_cast<int>(name.size()), (area.width() - width) / 2,
                  area.height() - 1);
    EndDrawing();
    ReleaseItemSurface(surface);
}

void setInfoObjectListener(void (*listener)(ObjectID)) {
    gInfoListener = listener;
}

WindowRef CreateObjectInfoWindow() {
    if (ObjectInfoWindow() == nullptr) {
        gInfoWindow = CreateDialogWindow(kObjectInfoTemplate, 0, ObjectInfoHandler);
        gInfoWindowPlaced = false;
    }
    gInfoObject = 0;
    setCurrentFrameQuery(ChartFrame);
    setInfoRefresher(RefreshInfoWindow);
    InfoWindowHooks hooks;
    hooks.show = PresentObjectInfo;
    hooks.object = InfoObject;
    hooks.window = ObjectInfoWindow;
    setInfoWindowHooks(hooks);
    return gInfoWindow;
}

WindowRef ObjectInfoWindow() {
    // The window lives as long as the program, but a test may reset the
    // platform under it.
    if (!WindowExists(gInfoWindow) || WindowHandler(gInfoWindow) != ObjectInfoHandler)
        gInfoWindow = nullptr;
    return gInfoWindow;
}

ObjectID InfoObject() {
    return gInfoObject;
}

void ShowObjectInfo(ObjectID id) {
    gInfoObject = id;
    // What the window describes is what Edit Object and Delete Object act on.
    if (id != 0) setSelectedObject(id);
    if (id != 0 && gInfoListener != nullptr) gInfoListener(id);
    if (id == 0) {
        CloseObjectInfo();
        return;
    }
    WindowRef window = ObjectInfoWindow();
    FillObjectInfo(window, id);
    if (gInfoObject != 0 && IsWindowVisible(window)) InvalidateWindow(window);
}

void PresentObjectInfo(ObjectID id, bool toFront) {
    ShowObjectInfo(id);
    WindowRef window = ObjectInfoWindow();
    if (gInfoObject == 0 || window == nullptr) return;
    // Shown for the first time: off the middle of the chart, where the object
    // chosen (or centred) usually is, so that the chart stays in view.
    if (!gInfoWindowPlaced) PlaceAtTopRight(window);
    gInfoWindowPlaced = true;
    if (toFront)
        BringToFront(window);
    else
        ShowWindow(window);
    RefreshMenuState();
}

void FillObjectInfo(WindowRef window, ObjectID id) {
    if (!FillObjectInfoLines(id, gInfoLines)) {
        ShowObjectInfo(0);
        return;
    }
    if (window == nullptr) return;
    for (int control = kInfoFirstLine; control <= kInfoLastLine; ++control)
        SetItemText(window, control, gInfoLines.line(control));
    PaintName(window, gInfoLines.name);
    const bool trail = FindTrail(id) != 0;
    EnableItem(window, kInfoEditButton, gInfoEditor != nullptr);
    EnableItem(window, kInfoTrailOnButton, !trail && gTrailEditor != nullptr);
    EnableItem(window, kInfoTrailOffButton, trail);
}

void RefreshInfoWindow() {
    WindowRef window = ObjectInfoWindow();
    if (gInfoObject != 0 && IsWindowVisible(window)) FillObjectInfo(window, gInfoObject);
}

void CloseObjectInfo() {
    WindowRef window = ObjectInfoWindow();
    if (!IsWindowVisible(window)) return;
    HideWindow(window);
    RefreshMenuState();
}

long ObjectInfoHandler(int event, WindowRef, long a, long b) {
    if (event == CloseRequest) {
        CloseObjectInfo();
        return 1;
    }
    if (event != ControlNotify || b != NotifyClicked) return 1;
    const ObjectID id = gInfoObject;
    switch (a) {
    case kInfoCenterButton:
        CenterInfoObject();
        break;
    case kInfoCloseButton:
        CloseObjectInfo();
        break;
    case kInfoEditButton:
        if (id != 0 && gInfoEditor != nullptr && gInfoEditor(id)) RefreshInfoWindow();
        break;
    case kInfoTrailOnButton:
        if (id == 0 || gTrailEditor == nullptr) break;
        gTrailEditor(id);
        AfterTrailChange();
        break;
    case kInfoTrailOffButton:
        if (id == 0) break;
        if (int slot = FindTrail(id); slot != 0) DeleteTrail(slot);
        AfterTrailChange();
        break;
    default:
        break;
    }
    return 1;
}

void setInfoEditHandler(bool (*editor)(ObjectID id)) {
    gInfoEditor = editor;
    if (gInfoObject != 0) RefreshInfoWindow();
}

void setInfoTrailEditor(bool (*editor)(ObjectID id)) {
    gTrailEditor = editor;
    if (gInfoObject != 0) RefreshInfoWindow();
}
