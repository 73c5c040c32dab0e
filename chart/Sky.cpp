#include "chart/Sky.h"

#include "astro/Vectors.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Labels.h"
#include "chart/Primitives.h"
#include "chart/Projection.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"

#include <algorithm>
#include <cmath>

namespace {

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

bool LabelWanted(std::int16_t magnitude, std::int16_t limit) {
    // A blank label limit means no labels of that kind at all.
    return limit != kNoLimit && magnitude <= limit;
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
void DrawFileObjects(DatabaseFile* file, bool stars, bool deepSky, long& starCount,
                     long& deepSkyCount) {
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
            ++starCount;
            if (o.showObjectLabels &&
                LabelWanted(catalog->magnitude, o.faintestStarLabelMagnitude)) {
                QueueObjectLabel(object, p.x, p.y, 0, catalog->magnitude,
                                 o.useColor ? o.colors[kStarLabelColor] : color);
                starColorSet = false;
            }
        } else {
            const RGBColor color = o.useColor ? o.colors[kDeepSkyColor] : ForegroundColor();
            SetColor(color, 1, false);
            starColorSet = false;
            DrawDeepSkySymbol(type, p.x, p.y, p.radius);
            ++deepSkyCount;
            if (o.showObjectLabels &&
                LabelWanted(catalog->magnitude, o.faintestDeepSkyLabelMagnitude))
                QueueObjectLabel(object, p.x, p.y, p.radius, catalog->magnitude, color);
        }
    }
}

} // namespace

int DrawStarsAndDeepSky(long& starCount, long& deepSkyCount) {
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
        DrawFileObjects(file, stars, deepSky, starCount, deepSkyCount);
        unlockFile(fileId);
        file->lastDrawGeneration = gDrawGeneration;
    }
    return kStatusSuccess;
}

void DrawSkyBackground() {
    const DisplayOptions& o = gDisplayOptions;
    const int left = gFrame.left, top = gFrame.top, right = gFrame.right, bottom = gFrame.bottom;
    const RGBColor sky = SkyFillColor();
    Vector3 corner;
    if (UnprojectPoint(left, top, corner)) {
        SetSkyColor(sky);
        Rectangle(left, top, right, bottom);
        return;
    }
    // The sky is a disc (Spherical) or an ellipse (Mollweide) inside the area.
    SetSkyColor(BackgroundColor());
    Rectangle(left, top, right, bottom);
    if (!o.useColor || o.skyBackground != kSkyColor) return;
    const int h = (right - left) / 2;
    const int cx = gFrame.centerX, cy = gFrame.centerY;
    const double width = gChartView.fieldWidth;
    SetSkyColor(sky);
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
