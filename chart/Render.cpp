#include "chart/Render.h"

#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "chart/Bodies.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Overlays.h"
#include "chart/Projection.h"
#include "chart/ViewCommands.h"
#include "data/Driver.h"
#include "data/Names.h"
#include "data/ObjectStore.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr int kOutOfMemoryString = 256;

// Twilight by the Sun's geometric altitude: the Sun's upper limb at the
// horizon with standard refraction (-0.83 degrees), then the civil, nautical
// and astronomical depressions of 6, 12 and 18 degrees.
constexpr double kDaytimeAltitude = -0.014486232791599999;
constexpr double kCivilTwilightAltitude = -0.10471975512;
constexpr double kNauticalTwilightAltitude = -0.20943951024;
constexpr double kAstronomicalTwilightAltitude = -0.31415926536;

// A radius this large (pixels) is no longer drawn as a disc.
constexpr double kLargestDiscRadius = 16384.0;

// Fields up to a quarter turn are boxed by tracing the drawing area's edges;
// wider ones take the whole sky.
constexpr double kBoxedFieldLimit = 1.570796327;
constexpr int kEdgeSamples = 16;
// Stars are drawn at their apparent places but files are boxed by their
// J2000 catalogue places, so the chart's box is widened: by a fixed margin
// (aberration, the space between edge samples), by the fastest known proper
// motion (Barnard's star, 10.4" a year) over the years since J2000 when
// motion is applied, and by the parallax of the nearest star (Proxima,
// 268,000 AU) for the viewer's distance from the Sun when parallax is.
constexpr double kBoxMargin = 0.0043633231; // 0.25 degrees
constexpr double kBoxMarginPerField = 0.02;
constexpr double kFastestMotionPerDay = 1.38e-10; // radians
constexpr double kNearestStarDistance = 268000.0; // AU
constexpr double kWholeSkyMargin = 0.5;           // radians: beyond this, box nothing
constexpr double kJ2000 = 2451545.0;

constexpr double kAngleUnitsPerRadian = 170891318.89899233; // 2^30 units per turn
constexpr double kHalfTurnRadians = 3.14159265358979323846;

PictureRef gPicture = nullptr;
DrawCounts gCounts;
StarScale gScale{50, 550, 100};
int (*gTrailLayer)() = nullptr;
long gRedrawCount = 0;
int gRenderedDepth = 0;
int gFontExtraStyle = 0;

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

bool LabelWanted(std::int16_t magnitude, std::int16_t limit) {
    // A blank label limit means no labels of that kind at all.
    return limit != kNoLimit && magnitude <= limit;
}

std::int16_t ClampMagnitude(long value, long lowest, long highest) {
    return static_cast<std::int16_t>(std::clamp(value, lowest, highest));
}

// ---------------------------------------------------------------------------
// Star symbols

struct Box {
    int left, top, right, bottom;
};

Box PlainStarBox(int x, int y, int s) {
    if (gDisplayOptions.showLargeStars) return {x - s, y - s, x + s, y + s};
    if (s <= 1) return {x, y, x + 1, y + 1};
    int q = s / 4;
    return {x - q - 1, y - q - 1, x - q - 1 + s, y - q - 1 + s};
}

void DrawPlainStar(int x, int y, int s, Box& box) {
    box = PlainStarBox(x, y, s);
    if (!gDisplayOptions.showLargeStars && s <= 1)
        Pixel(x, y);
    else
        Ellipse(box.left, box.top, box.right, box.bottom);
}

// The variable-star symbol: a disc one size smaller inside a hollow ring two
// pixels larger all round. Returns the ring's box.
Box DrawVariableStar(int x, int y, int s) {
    int v = s - 1;
    Box disc;
    if (gDisplayOptions.showLargeStars) {
        disc = {x - v, y - v, x + v, y + v};
    } else {
        int q = v / 4;
        disc = {x - q - 1, y - q - 1, x - q - 1 + v, y - q - 1 + v};
    }
    Ellipse(disc.left, disc.top, disc.right, disc.bottom);
    Box ring{disc.left - 2, disc.top - 2, disc.right + 2, disc.bottom + 2};
    SetFilled(false);
    Ellipse(ring.left, ring.top, ring.right, ring.bottom);
    SetFilled(true);
    return ring;
}

// The companion's stroke: from the box's bottom-right corner through its
// top-left pixel.
void DrawCompanionLine(const Box& box) {
    Line(box.right, box.bottom, box.left, box.top);
}

// ---------------------------------------------------------------------------
// The chart's box in J2000 right ascension and declination, in the units of
// the files' summaries (2^30 per turn).

struct SkyBox {
    bool allRightAscensions = true;
    std::int64_t raStart = 0; // [0, turn)
    std::int64_t raSpan = kFullTurn;
    std::int32_t decLeast = -kQuarterTurn;
    std::int32_t decGreatest = kQuarterTurn;
};

double WrapHalfTurn(double angle) {
    while (angle > kHalfTurnRadians)
        angle -= 2.0 * kHalfTurnRadians;
    while (angle <= -kHalfTurnRadians)
        angle += 2.0 * kHalfTurnRadians;
    return angle;
}

std::int32_t DeclinationUnits(double radians) {
    double units = std::clamp(radians * kAngleUnitsPerRadian, -static_cast<double>(kQuarterTurn),
                              static_cast<double>(kQuarterTurn));
    return static_cast<std::int32_t>(units);
}

double BoxMargin() {
    double margin = kBoxMargin + gChartView.fieldWidth * kBoxMarginPerField;
    margin += VectorLength(gInstant.aberration);
    if (gInstant.motionApplies) margin += std::fabs(gInstant.jde - kJ2000) * kFastestMotionPerDay;
    if (gInstant.parallaxApplies) {
        double distance = gInstant.viewerSolarDistance;
        if (!std::isfinite(distance)) return kWholeSkyMargin * 2.0;
        margin += distance / kNearestStarDistance;
    }
    return margin;
}

bool PoleInArea(int sign) {
    std::int32_t pole[3] = {0, 0, sign * kUnitFixed30};
    ProjectedPoint p = ProjectDirection(pole);
    return p.visible && p.x >= gFrame.left && p.x <= gFrame.right && p.y >= gFrame.top &&
           p.y <= gFrame.bottom;
}

SkyBox ChartSkyBox() {
    SkyBox box;
    double margin = BoxMargin();
    if (gChartView.fieldWidth > kBoxedFieldLimit || !(margin < kWholeSkyMargin)) return box;

    // Row 0 of the frame matrix is the chart centre in J2000.
    const double cx = gFrame.matrix[0][0], cy = gFrame.matrix[0][1], cz = gFrame.matrix[0][2];
    const double centerRA = std::atan2(cy, cx);
    double decLeast = std::atan2(cz, std::hypot(cx, cy));
    double decGreatest = decLeast;
    double offsetLeast = 0.0, offsetGreatest = 0.0; // right ascension from the centre's
    auto take = [&](int x, int y) {
        Vector3 v;
        if (!UnprojectPoint(x, y, v)) return;
        double dec = std::atan2(v[2], std::hypot(v[0], v[1]));
        double offset = WrapHalfTurn(std::atan2(v[1], v[0]) - centerRA);
        decLeast = std::min(decLeast, dec);
        decGreatest = std::max(decGreatest, dec);
        offsetLeast = std::min(offsetLeast, offset);
        offsetGreatest = std::max(offsetGreatest, offset);
    };
    const int left = gFrame.left, right = gFrame.right, top = gFrame.top, bottom = gFrame.bottom;
    for (int i = 0; i <= kEdgeSamples; ++i) {
        int x = left + (right - left) * i / kEdgeSamples;
        int y = top + (bottom - top) * i / kEdgeSamples;
        take(x, top);
        take(x, bottom);
        take(left, y);
        take(right, y);
    }

    bool allRA = false;
    decLeast -= margin;
    decGreatest += margin;
    if (PoleInArea(+1)) {
        decGreatest = kHalfTurnRadians;
        allRA = true;
    }
    if (PoleInArea(-1)) {
        decLeast = -kHalfTurnRadians;
        allRA = true;
    }
    box.decLeast = DeclinationUnits(decLeast);
    box.decGreatest = DeclinationUnits(decGreatest);

    // Right ascension widens toward the poles by 1 / cos(declination).
    double nearestPole = std::max(std::fabs(decLeast), std::fabs(decGreatest));
    double cosine = nearestPole < kHalfTurnRadians / 2.0 ? std::cos(nearestPole) : 0.0;
    if (allRA || cosine < 0.01) return box;
    double raMargin = margin / cosine;
    double span = offsetGreatest - offsetLeast + 2.0 * raMargin;
    if (span >= 2.0 * kHalfTurnRadians) return box;
    double start = centerRA + offsetLeast - raMargin;
    start = std::fmod(start, 2.0 * kHalfTurnRadians);
    if (start < 0.0) start += 2.0 * kHalfTurnRadians;
    box.allRightAscensions = false;
    box.raStart = std::min<std::int64_t>(static_cast<std::int64_t>(start * kAngleUnitsPerRadian),
                                         kFullTurn - 1);
    box.raSpan = static_cast<std::int64_t>(span * kAngleUnitsPerRadian) + 1;
    return box;
}

bool BoxMeetsFile(const SkyBox& box, const DatabaseFile* file) {
    if (file->greatestDeclination < box.decLeast || file->leastDeclination > box.decGreatest)
        return false;
    if (box.allRightAscensions) return true;
    const std::int64_t least = file->leastRightAscension, greatest = file->greatestRightAscension;
    if (least > greatest) return false;
    // The chart's span may run past 24h into the next turn.
    const std::int64_t end = box.raStart + box.raSpan;
    if (greatest >= box.raStart && least <= end) return true;
    return end > kFullTurn && least <= end - kFullTurn;
}

// ---------------------------------------------------------------------------
// Stars and deep-sky objects

// Draws one file's considered objects; the pen colour of the last star is
// kept across stars to spare the surface a change for every one.
void DrawFileObjects(DatabaseFile* file, bool stars, bool deepSky) {
    const DisplayOptions& o = gDisplayOptions;
    bool starColorSet = false;
    RGBColor starColor{};
    const int count = std::min<int>(file->highestIndex, file->capacity);
    for (int i = 0; i < count; ++i) {
        SkyObject* object = file->objects[i];
        if (object == nullptr) continue;
        const int type = object->type;
        const bool isStar = IsStarType(type);
        if (isStar ? !stars : !(deepSky && IsDeepSkyType(type))) continue;
        EnsureComputed(object);
        ProjectedObject p = ProjectObject(object);
        if (!p.visible) continue;
        const auto* catalog = static_cast<const CatalogObject*>(object);

        if (isStar) {
            RGBColor color = ForegroundColor();
            if (o.useColor && o.showStarColors) color = StarColor(catalog->colorIndex);
            if (!starColorSet || !(color == starColor)) {
                SetColor(color, 1, true);
                starColor = color;
                starColorSet = true;
            }
            const bool multiple = o.showMultipleStars && (type == 52 || type == 54);
            const bool variable = o.showVariableStars && (type == 53 || type == 54);
            StarSymbol symbol = multiple ? (variable ? kMultipleVariableStar : kMultipleStar)
                                         : (variable ? kVariableStar : kPlainStar);
            DrawStarSymbol(symbol, p.x, p.y, StarSize(catalog->magnitude));
            ++gCounts.stars;
            if (o.showObjectLabels &&
                LabelWanted(catalog->magnitude, o.faintestStarLabelMagnitude)) {
                if (o.useColor) {
                    SetColor(o.colors[kStarLabelColor], 1, true);
                    starColorSet = false;
                }
                DrawObjectLabel(object, p.x, p.y, 0);
            }
        } else {
            SetColor(o.useColor ? o.colors[kDeepSkyColor] : ForegroundColor(), 1, false);
            starColorSet = false;
            DrawDeepSkySymbol(type, p.x, p.y, p.radius);
            ++gCounts.deepSky;
            if (o.showObjectLabels &&
                LabelWanted(catalog->magnitude, o.faintestDeepSkyLabelMagnitude))
                DrawObjectLabel(object, p.x, p.y, p.radius);
        }
    }
}

// Walks the database files in order, drawing from those whose summary can
// contribute to this chart. kStatusCancelled when Esc stopped it.
int DrawStarsAndDeepSky() {
    const DisplayOptions& o = gDisplayOptions;
    std::int16_t deepSkyLimit = TypeLimit(kTypeOpenCluster);
    for (int type = kTypeOpenCluster + 1; type <= kTypeGalaxy; ++type)
        deepSkyLimit = std::max(deepSkyLimit, TypeLimit(type));
    const SkyBox box = ChartSkyBox();

    for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId)) {
        if (IsKeyDown(VKEscape)) return kStatusCancelled;
        DatabaseFile* file = getFile(fileId);
        if (file == nullptr) continue;
        // "At or brighter than" the limit: a star exactly at the limit is drawn.
        const bool stars =
            o.showStars && file->starCount > 0 && file->starBrightest <= o.faintestStarMagnitude;
        const bool deepSky = o.showDeepSkyObjects && file->deepSkyCount > 0 &&
                             file->deepSkyBrightest <= deepSkyLimit;
        if (!stars && !deepSky) continue;
        if (!BoxMeetsFile(box, file)) continue;
        if (!isLoaded(file)) {
            if (loadFile(fileId) != kStatusSuccess) continue;
            file = getFile(fileId);
            if (file == nullptr || !isLoaded(file)) continue;
        }
        lockFile(fileId);
        DrawFileObjects(file, stars, deepSky);
        unlockFile(fileId);
        file->lastDrawGeneration = gDrawGeneration;
    }
    return kStatusSuccess;
}

// ---------------------------------------------------------------------------
// Sky background

void DrawSkyBackground() {
    const DisplayOptions& o = gDisplayOptions;
    const int left = gFrame.left, top = gFrame.top, right = gFrame.right, bottom = gFrame.bottom;
    const RGBColor sky = SkyFillColor();
    Vector3 corner;
    if (UnprojectPoint(left, top, corner)) {
        SetColor(sky, 0, true);
        Rectangle(left, top, right, bottom);
        return;
    }
    // The sky is a disc (Spherical) or an ellipse (Mollweide) inside the area.
    SetStandardColor(kBackground, 0, true);
    Rectangle(left, top, right, bottom);
    if (!o.useColor || o.skyBackground != kSkyColor) return;
    const int h = (right - left) / 2;
    const int cx = gFrame.centerX, cy = gFrame.centerY;
    const double width = gChartView.fieldWidth;
    SetColor(sky, 0, true);
    if (gChartView.projection == kSpherical) {
        double radius = h / std::sin(width * 0.5);
        if (!(radius > 0.0)) return;
        int r = static_cast<int>(std::min(radius, 1.0e6));
        Ellipse(cx - r, cy - r, cx + r + 1, cy + r + 1);
    } else if (gChartView.projection == kMollweide) {
        double radius = h * 6.283185307 / width;
        if (!(radius > 0.0)) return;
        int r = static_cast<int>(std::min(radius, 1.0e6));
        Ellipse(cx - r, cy - r / 2, cx + r + 1, cy + r / 2 + 1);
    }
}

// Sine of an apparent radius -> pixels, by the projection's radial law.
int DiscRadius(double s) {
    if (!(s < 1.0)) return 0;
    double a;
    switch (gChartView.projection) {
    case kPlanar:
        a = std::tan(std::asin(s));
        break;
    case kSpherical:
        a = s;
        break;
    case kLambert:
        a = std::tan(std::asin(s) / 2.0);
        break;
    default:
        a = std::asin(s);
        break;
    }
    double r = gFrame.scale * a;
    if (!(r < kLargestDiscRadius) || r < 0.0) return 0;
    return static_cast<int>(r);
}

// Visible, the centre within the area widened by the radius, and above the
// horizon altitude when the mask is on.
ProjectedObject ProjectDisc(const std::int32_t direction[3], int radius) {
    ProjectedObject result;
    ProjectedPoint p = ProjectDirection(direction);
    if (!p.visible) return result;
    if (p.x < gFrame.left - radius || p.x > gFrame.right + radius || p.y < gFrame.top - radius ||
        p.y > gFrame.bottom + radius)
        return result;
    if (gDisplayOptions.showHorizonMask && AltitudeSine(direction) < gFrame.horizonSineFixed30)
        return result;
    result.visible = true;
    result.x = p.x;
    result.y = p.y;
    result.radius = radius;
    return result;
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

    WindowRef window = ChartWindow();
    if (window != nullptr) {
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
    UpdateScrollBars();
    if (gRedrawCount > 0) ++gRedrawCount;
}

void ShowChart() {
    if (ScreenBitsPerPixel() != gRenderedDepth) {
        RenderChart();
        RefreshMenuState();
    }
    if (gPicture == nullptr) return;
    SurfaceRef surface = GetWindowSurface(ChartWindow());
    if (surface == nullptr) return;
    BeginDrawing(surface);
    DrawPicture(gPicture, nullptr);
    // The telescope's fields are drawn over the copy here once the telescope
    // code provides them.
    EndDrawing();
    ReleaseWindowSurface(surface);
}

void DrawChart(const Rect& rect) {
    const DisplayOptions& o = gDisplayOptions;
    gCounts = DrawCounts{};
    SetAntialiasing(true);
    ClipTo(rect);
    SelectChartFont();

    PrepareChartFrame(rect);
    SetStarScale();
    ++gDrawGeneration;

    DrawSkyBackground();
    if (o.showGridLines) DrawGrids();

    bool aborted = false;
    if (o.showConstellations) aborted = DrawConstellations() != 1;
    if (!aborted && gTrailLayer != nullptr &&
        (o.showStars || o.showDeepSkyObjects || o.showPlanets))
        aborted = gTrailLayer() != 1;
    if (!aborted && (o.showStars || o.showDeepSkyObjects))
        aborted = DrawStarsAndDeepSky() == kStatusCancelled;
    if (!aborted && o.showPlanets) gCounts.bodies = DrawSolarSystemBodies();
    gCounts.aborted = aborted;

    if (o.showHorizonMask && o.showHorizonLine) DrawHorizon();
    if (o.showChartLegend) DrawLegend(rect);

    SetStandardColor(kForeground, 1, false);
    Rectangle(rect.left, rect.top, rect.right, rect.bottom);
    RemoveClip();
    SetAntialiasing(false);
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

void setTrailLayer(int (*drawTrails)()) {
    gTrailLayer = drawTrails;
}

void SetRedrawCount(long count) {
    gRedrawCount = count;
}

long RedrawCount() {
    return gRedrawCount;
}

// ---------------------------------------------------------------------------
// Star sizes and colours

const StarScale& CurrentStarScale() {
    return gScale;
}

void SetStarScale() {
    // A limit that is no limit leaves that end of the scale where it was.
    if (gDisplayOptions.brightestStarMagnitude != kNoLimit)
        gScale.brightest = gDisplayOptions.brightestStarMagnitude;
    if (gDisplayOptions.faintestStarMagnitude != kNoLimit)
        gScale.faintest = gDisplayOptions.faintestStarMagnitude;
    int step = (static_cast<int>(gScale.faintest) - gScale.brightest) / 5;
    gScale.step = static_cast<std::int16_t>(std::clamp(step, 1, 32767));
}

int StarSize(std::int16_t magnitude) {
    if (magnitude > gScale.faintest) return 1;
    if (magnitude < gScale.brightest) return 6;
    int size = (gScale.faintest - magnitude) / gScale.step + 1;
    // A range narrower than five steps of one hundredth would otherwise give
    // a star at the brightest limit a bigger symbol than one beyond it.
    return std::min(size, 6);
}

RGBColor StarColor(std::int16_t c) {
    auto byte = [](int v) { return static_cast<std::uint8_t>(v); };
    if (c == kNoMagnitude || c == -32768) return {255, 255, 255};
    if (c < -50) return {127, 127, 255};
    if (c < -25) return {127, byte(127 + (c + 50) * 128 / 25), 255};
    if (c < 0) return {byte(127 + (c + 25) * 128 / 25), 255, 255};
    if (c < 100) return {255, 255, byte(127 + (100 - c) * 128 / 100)};
    if (c < 200) return {255, byte(127 + (200 - c) * 128 / 100), 127};
    return {255, 127, 127};
}

// ---------------------------------------------------------------------------
// Projection of objects

ProjectedObject ProjectObject(const SkyObject* object) {
    const DisplayOptions& o = gDisplayOptions;
    if (object == nullptr) return {};
    const int type = object->type;
    if (IsStarType(type)) {
        const auto* star = static_cast<const CatalogObject*>(object);
        if (!o.showStars || star->magnitude > o.faintestStarMagnitude) return {};
        return ProjectDisc(star->apparentDirection, 0);
    }
    if (IsDeepSkyType(type)) {
        const auto* deep = static_cast<const CatalogObject*>(object);
        if (!o.showDeepSkyObjects || deep->magnitude > TypeLimit(type)) return {};
        double s = deep->size * 0.5;
        int radius = s > 0.0 ? DiscRadius(s) : 0; // not a number: a point
        return ProjectDisc(deep->apparentDirection, radius);
    }
    if (IsSolarSystemType(type)) {
        const auto* body = static_cast<const SolarSystemObject*>(object);
        if (!o.showPlanets) return {};
        if (body->magnitude > o.faintestPlanetMagnitude) return {};
        double d = body->distance;
        double bodyRadius = body->elements[kRadius] * o.planetMagnification;
        int radius = 0;
        if (std::isfinite(d) && d > bodyRadius && bodyRadius > 0.0)
            radius = DiscRadius(bodyRadius / d);
        return ProjectDisc(body->apparentDirection, radius);
    }
    return {};
}

// ---------------------------------------------------------------------------
// Colours

void SetStandardColor(StandardColorKind which, int penWidth, bool filled) {
    SetColor(which == kBackground ? BackgroundColor() : ForegroundColor(), penWidth, filled);
}

void SetColor(RGBColor color, int penWidth, bool filled) {
    SetPenBrush(color, penWidth, filled);
}

int SkyColorSlot() {
    if (gViewer.viewerObject != 0) return kNightSkyColor;
    const double h = gInstant.sunAltitude;
    if (h > kDaytimeAltitude) return kDaytimeSkyColor;
    if (h > kCivilTwilightAltitude) return kCivilTwilightColor;
    if (h > kNauticalTwilightAltitude) return kNauticalTwilightColor;
    if (h > kAstronomicalTwilightAltitude) return kAstronomicalTwilightColor;
    return kNightSkyColor;
}

RGBColor SkyFillColor() {
    const DisplayOptions& o = gDisplayOptions;
    if (o.useColor && o.skyBackground == kSkyColor) return o.colors[SkyColorSlot()];
    return BackgroundColor();
}

// ---------------------------------------------------------------------------
// Symbols

void DrawStarSymbol(StarSymbol symbol, int x, int y, int size) {
    Box box;
    switch (symbol) {
    case kPlainStar:
        DrawPlainStar(x, y, size, box);
        break;
    case kMultipleStar:
        DrawPlainStar(x, y, size, box);
        DrawCompanionLine(box);
        break;
    case kVariableStar:
        DrawVariableStar(x, y, size);
        break;
    case kMultipleVariableStar:
        DrawCompanionLine(DrawVariableStar(x, y, size));
        break;
    }
}

void DrawDeepSkySymbol(int type, int x, int y, int radius) {
    int r = std::max(radius, type == kTypeDiffuseNebula ? 4 : 3);
    SetFilled(false);
    switch (type) {
    case kTypeOpenCluster:
        Ellipse(x - r, y - r, x + r + 1, y + r + 1);
        break;
    case kTypeGlobularCluster:
        Ellipse(x - r, y - r, x + r + 1, y + r + 1);
        Line(x, y - r, x, y + r);
        Line(x - r, y, x + r, y);
        break;
    case kTypeDiffuseNebula: {
        const Point diamond[4] = {{x, y - r}, {x + r, y}, {x, y + r}, {x - r, y}};
        Polygon(diamond, 4);
        break;
    }
    case kTypePlanetaryNebula:
        Ellipse(x - r, y - r, x + r + 1, y + r + 1);
        Line(x, y - r, x, y - 2 * r);
        Line(x - r, y, x - 2 * r, y);
        Line(x + r, y, x + 2 * r, y);
        Line(x, y + r, x, y + 2 * r);
        break;
    case kTypeGalaxy: {
        int half = r / 2;
        Ellipse(x - r, y - half - 1, x + r + 1, y + half + 2);
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Labels

void DrawObjectLabel(const SkyObject* object, int x, int y, int radius) {
    if (object == nullptr) return;
    std::string text;
    if (const CatalogObject* catalog = AsCatalog(object)) {
        if (catalog->name)
            text = catalog->name.get();
        else if (catalog->identifiers && catalog->identifierCount > 0)
            text = formatIdentifier(catalog->identifiers[0]);
    } else {
        text = DisplayName(object);
    }
    if (text.empty()) return;

    int d = IsStarType(object->type) ? 0 : radius;
    if (object->type == kTypeDiffuseNebula)
        d = radius * 7 / 10;
    else if (object->type == kTypeGalaxy)
        d = radius * 2 / 3;
    if (d > 0) d = d * 7 / 10;
    DrawLabel(text.c_str(), 0, x + d + 3, y - d - 3);
}

void DrawLabel(const char* text, int length, int x, int y) {
    if (text == nullptr) return;
    std::size_t n = std::strlen(text);
    if (length > 0)
        n = std::min(n, static_cast<std::size_t>(length));
    else if (const char* semicolon = std::strchr(text, ';'))
        n = static_cast<std::size_t>(semicolon - text);
    if (n == 0) return;

    const char* p = text;
    const char* end = text + n;
    int width = 0, height = 0;
    if (*p == '$') {
        ++p;
        if (p < end) {
            // The Greek letter, in the symbol font at the chart font's size and style.
            const DisplayOptions& o = gDisplayOptions;
            SelectFont("Symbol", o.fontSize, o.fontStyle | gFontExtraStyle);
            std::string letter(1, *p++);
            TextExtent(letter, &width, &height);
            Text(x, y - height, letter);
            x += width;
            SelectChartFont(gFontExtraStyle);
            if (p < end && std::isdigit(static_cast<unsigned char>(*p))) {
                std::string digit(1, *p++);
                TextExtent(digit, &width, &height);
                Text(x, y - height - height / 2, digit);
                x += width;
            }
        }
    }
    if (p >= end) return;
    std::string rest(p, end);
    TextExtent(rest, &width, &height);
    Text(x, y - height, rest);
}

// ---------------------------------------------------------------------------
// Magnitude limits, font and red screen

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

void SelectChartFont(int extraStyle) {
    gFontExtraStyle = extraStyle;
    SelectFont(gDisplayOptions.fontFace, gDisplayOptions.fontSize,
               gDisplayOptions.fontStyle | extraStyle);
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
