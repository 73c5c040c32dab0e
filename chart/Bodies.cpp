#include "chart/Bodies.h"

#include "astro/Vectors.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Labels.h"
#include "chart/Primitives.h"
#include "chart/Projection.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "data/ObjectStore.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <new>
#include <vector>

namespace {

constexpr int kOutOfMemoryMessage = 256;

// Below this projected radius a body is a mark (icon, dot or star symbol);
// from it up, a disc with its phase.
constexpr int kSmallestDisc = 4;
constexpr int kDotSize = 2;
// Body icons are resources 300 + type code, 32 x 32 pixels, centred on the body.
constexpr int kIconBase = 300;
constexpr int kIconHalfSize = 16;
constexpr int kLastIconType = 15;

// Below this phase angle (radians) the dark part is too thin to draw.
constexpr double kSmallestPhase = 0.05;
constexpr int kTerminatorSegments = 18; // for each half of the dark part
// Saturn's rings: outer edge of ring A and inner edge of ring B, in radii of
// the ball.
constexpr double kOuterRingRadius = 2.28;
constexpr double kInnerRingRadius = 1.24;
constexpr int kRingSegments = 72;
// The surface grid: a line every 30 degrees.
constexpr int kGridStepDegrees = 30;
constexpr int kParallelSegments = 72;
constexpr int kMeridianSegments = 36;

constexpr double kExactPi = 3.14159265358979323846;
constexpr double kRadiansPerDegreeExact = kExactPi / 180.0;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The list of bodies, by id: files may be unloaded between two drawings, and
// an id finds the body again after its file is reloaded.
struct BodyListState {
    std::vector<ObjectID> ids;
    bool valid = false;
    std::uint32_t dataGeneration = 0;
    long solarCount = -1;
};
BodyListState gBodyList;
int gListFailuresForTest = 0;

struct ListedBody {
    ObjectID id;
    double distance;
};

bool BodyListIsCurrent() {
    return gBodyList.valid && gBodyList.dataGeneration == DataGeneration() &&
           gBodyList.solarCount == solarSystemCount();
}

void RebuildBodyList() {
    gBodyList.valid = false;
    gBodyList.ids.clear();
    const long capacity = solarSystemCount();
    std::vector<ListedBody> entries;
    try {
        if (gListFailuresForTest > 0) {
            --gListFailuresForTest;
            throw std::bad_alloc();
        }
        entries.reserve(static_cast<std::size_t>(std::max(capacity, 0L)));
        gBodyList.ids.reserve(static_cast<std::size_t>(std::max(capacity, 0L)));
    } catch (const std::bad_alloc&) {
        gBodyList.ids = std::vector<ObjectID>();
        ShowMessage(ButtonsOK, kOutOfMemoryMessage);
        return;
    }

    for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId)) {
        DatabaseFile* file = getFile(fileId);
        if (file == nullptr || file->solarSystemCount <= 0 || !isLoaded(file)) continue;
        // Computing a body may load its primary's file; this one must stay.
        lockFile(fileId);
        for (ObjectID id = firstObjectInFile(fileId);
             id != 0 && static_cast<long>(entries.size()) < capacity; id = nextObjectInFile(id)) {
            SolarSystemObject* body = AsSolarSystem(getObject(id));
            if (body == nullptr) continue;
            EnsureComputed(body);
            double distance = body->distance;
            // A body without a position is as far as can be (and a NaN would
            // break the ordering).
            if (std::isnan(distance)) distance = kInfinity;
            entries.push_back({id, distance});
        }
        unlockFile(fileId);
    }

    // Farthest first, so that nearer bodies are drawn over farther ones; equal
    // distances keep the order of the store.
    std::stable_sort(entries.begin(), entries.end(), [](const ListedBody& a, const ListedBody& b) {
        return a.distance > b.distance;
    });
    for (const ListedBody& entry : entries)
        gBodyList.ids.push_back(entry.id);
    gBodyList.valid = true;
    gBodyList.dataGeneration = DataGeneration();
    gBodyList.solarCount = capacity;
}

// Pen, brush and text colour in one.
void UseColor(RGBColor color, int penWidth, bool filled) {
    SetColor(color, penWidth, filled);
}

bool HasIcon(int type) {
    return type >= 1 && type <= kLastIconType;
}

// East longitudes (counted with the rotation) for these bodies; the others
// count west longitudes.
bool CountsEastLongitude(int type) {
    return type == 1 || type == 3 || type == 4 || type == 10 || type == 15 || type == 38;
}

// Screen directions (pixels, y down; unit length) of celestial north and east
// at a sky direction. North is the J2000 pole, the one the position angles of
// the bright limb and the body's pole are measured from.
struct ScreenAxes {
    double north[2];
    double east[2];
};

void Normalise(Vector3& v) {
    double length = VectorLength(v);
    if (length > 0.0)
        for (double& c : v)
            c /= length;
}

bool ProjectedStep(const Vector3& u, const Vector3& step, double size, const ProjectedPoint& origin,
                   double out[2]) {
    Vector3 v = {u[0] + size * step[0], u[1] + size * step[1], u[2] + size * step[2]};
    Normalise(v);
    ProjectedPoint p = ProjectVector(v);
    if (!p.visible) return false;
    out[0] = static_cast<double>(p.x) - origin.x;
    out[1] = static_cast<double>(p.y) - origin.y;
    return out[0] != 0.0 || out[1] != 0.0;
}

ScreenAxes ChartAxesAt(const Vector3& u) {
    // Local east and north on the sphere at u.
    Vector3 east, north;
    double rho = std::sqrt(u[0] * u[0] + u[1] * u[1]);
    if (rho > 1e-12) {
        east[0] = -u[1] / rho;
        east[1] = u[0] / rho;
        east[2] = 0.0;
    } else {
        east[0] = 0.0;
        east[1] = 1.0;
        east[2] = 0.0;
    }
    CrossProduct(u, east, north);

    // Project a small step toward north and one toward east; the step is a
    // few hundred pixels long where the integer projection would lose a
    // shorter one, and shorter at high magnification.
    if (gFrame.scale > 0) {
        ProjectedPoint origin = ProjectVector(u);
        double step = std::clamp(2000.0 / gFrame.scale, 1e-6, 0.01);
        double n[2], e[2];
        if (origin.visible && ProjectedStep(u, north, step, origin, n) &&
            ProjectedStep(u, east, step, origin, e)) {
            double length = std::hypot(n[0], n[1]);
            ScreenAxes axes;
            axes.north[0] = n[0] / length;
            axes.north[1] = n[1] / length;
            // East at right angles to north, on the side the projection puts
            // it (a mirrored chart turns the sky over).
            double turn = n[0] * e[1] - n[1] * e[0];
            if (turn < 0.0) {
                axes.east[0] = axes.north[1];
                axes.east[1] = -axes.north[0];
            } else {
                axes.east[0] = -axes.north[1];
                axes.east[1] = axes.north[0];
            }
            return axes;
        }
    }
    // No projection to ask: north up and east left as on the sky, with the
    // chart's mirrors.
    ScreenAxes axes = {{0.0, -1.0}, {-1.0, 0.0}};
    if (gChartView.invertedHorizontally) {
        axes.north[0] = -axes.north[0];
        axes.east[0] = -axes.east[0];
    }
    if (gChartView.invertedVertically) {
        axes.north[1] = -axes.north[1];
        axes.east[1] = -axes.east[1];
    }
    return axes;
}

// A point near the body in local sky coordinates: e toward celestial east,
// n toward celestial north, w toward the viewer (units of the body's radius).
struct Local {
    double e, n, w;
};

Local Combine(double a, const Local& p, double b, const Local& q) {
    return {a * p.e + b * q.e, a * p.n + b * q.n, a * p.w + b * q.w};
}

// The sky plane at the body turned into pixels about (x, y).
struct DiscGeometry {
    int x, y;
    ScreenAxes axes;

    Point At(const Local& p, double scale) const {
        double dx = scale * (p.e * axes.east[0] + p.n * axes.north[0]);
        double dy = scale * (p.e * axes.east[1] + p.n * axes.north[1]);
        return {x + static_cast<int>(std::lround(dx)), y + static_cast<int>(std::lround(dy))};
    }
};

// The body's own axes in local sky coordinates: the pole, the point of its
// equator under the viewer, and the direction of rotation there (the body's
// east).
struct BodyAxes {
    Local pole, facing, ahead;
};

BodyAxes AxesOf(double polePositionAngle, double subViewerLatitude) {
    double sp = std::sin(polePositionAngle), cp = std::cos(polePositionAngle);
    double sb = std::sin(subViewerLatitude), cb = std::cos(subViewerLatitude);
    BodyAxes axes;
    axes.pole = {cb * sp, cb * cp, sb};
    axes.facing = {-sb * sp, -sb * cp, cb};
    // pole x facing: in the sky plane, at the pole's position angle less 90 degrees.
    axes.ahead = {-cp, sp, 0.0};
    return axes;
}

enum class Side { Far, Near };

// A circle of the ring plane, of the given pixel radius; only the half on
// the given side of the ball's centre.
void DrawRingHalf(const DiscGeometry& g, const BodyAxes& axes, int radius, Side side) {
    Point previous{};
    bool previousIn = false;
    for (int k = 0; k <= kRingSegments; ++k) {
        double t = 2.0 * kExactPi * k / kRingSegments;
        Local p = Combine(std::cos(t), axes.facing, std::sin(t), axes.ahead);
        bool in = side == Side::Near ? p.w >= 0.0 : p.w < 0.0;
        Point q = g.At(p, radius);
        if (in && previousIn) Line(previous.x, previous.y, q.x, q.y);
        previous = q;
        previousIn = in;
    }
}

void DrawRings(const DiscGeometry& g, const BodyAxes& axes, int r, Side side) {
    DrawRingHalf(g, axes, static_cast<int>(r * kOuterRingRadius), side);
    DrawRingHalf(g, axes, static_cast<int>(r * kInnerRingRadius), side);
}

// The unlit part: the limb half-circle away from the bright limb and the
// terminator, the half-ellipse of semi-axes r and r cos(phase).
void FillDarkPart(const DiscGeometry& g, int r, double phase, double brightLimb) {
    // L toward the bright limb, T across it.
    Local toward = {std::sin(brightLimb), std::cos(brightLimb), 0.0};
    Local across = {std::cos(brightLimb), -std::sin(brightLimb), 0.0};
    double c = std::cos(phase);
    Point points[2 * kTerminatorSegments];
    int count = 0;
    // The limb, from one end of the terminator round the dark side to the other.
    for (int k = 0; k <= kTerminatorSegments; ++k) {
        double t = kExactPi / 2.0 + kExactPi * k / kTerminatorSegments;
        points[count++] = g.At(Combine(std::cos(t), toward, std::sin(t), across), r);
    }
    // The terminator back, the dark limb squeezed toward the centre by
    // cos(phase) (its end points are the limb's).
    for (int k = kTerminatorSegments - 1; k >= 1; --k) {
        double t = kExactPi / 2.0 + kExactPi * k / kTerminatorSegments;
        points[count++] = g.At(Combine(c * std::cos(t), toward, std::sin(t), across), r);
    }
    Polygon(points, count);
}

// Parallels every 30 degrees and meridians every 30 degrees, the near side only.
void DrawSurfaceGrid(const DiscGeometry& g, const BodyAxes& axes, int r, double centralLongitude,
                     int type) {
    double sense = CountsEastLongitude(type) ? 1.0 : -1.0;
    auto pointAt = [&](double latitude, double longitude) {
        double delta = sense * (longitude - centralLongitude);
        Local equator = Combine(std::cos(delta), axes.facing, std::sin(delta), axes.ahead);
        return Combine(std::cos(latitude), equator, std::sin(latitude), axes.pole);
    };
    auto drawCurve = [&](int segments, auto point) {
        Point previous{};
        bool previousIn = false;
        for (int k = 0; k <= segments; ++k) {
            Local p = point(k);
            bool in = p.w > 0.0;
            Point q = g.At(p, r);
            if (in && previousIn) Line(previous.x, previous.y, q.x, q.y);
            previous = q;
            previousIn = in;
        }
    };
    for (int degrees = -90; degrees <= 90; degrees += kGridStepDegrees) {
        double latitude = degrees * kRadiansPerDegreeExact;
        drawCurve(kParallelSegments,
                  [&](int k) { return pointAt(latitude, 2.0 * kExactPi * k / kParallelSegments); });
    }
    for (int degrees = 0; degrees < 360; degrees += kGridStepDegrees) {
        double longitude = degrees * kRadiansPerDegreeExact;
        drawCurve(kMeridianSegments, [&](int k) {
            return pointAt(-kExactPi / 2.0 + kExactPi * k / kMeridianSegments, longitude);
        });
    }
}

void DrawDisc(SolarSystemObject* body, int x, int y, int r) {
    const DisplayOptions& o = gDisplayOptions;
    const RGBColor color = BodyColor(body->type);
    const RGBColor dark = {static_cast<std::uint8_t>(color.red / 2),
                           static_cast<std::uint8_t>(color.green / 2),
                           static_cast<std::uint8_t>(color.blue / 2)};

    Orientation orientation = ObjectOrientation(body);
    Vector3 u;
    ObjectDirection(body, u);
    if (VectorLength(u) == 0.0) {
        u[0] = 1.0;
        u[1] = u[2] = 0.0;
    }
    DiscGeometry g{x, y, ChartAxesAt(u)};
    BodyAxes axes = AxesOf(orientation.polePositionAngle, orientation.subViewerLatitude);
    const bool rings = body->type == 7;
    const RGBColor markColor = o.useColor ? color : ForegroundColor();
    const RGBColor edgeColor = o.useColor ? BackgroundColor() : ForegroundColor();

    if (rings) {
        UseColor(markColor, 1, false);
        DrawRings(g, axes, r, Side::Far);
    }

    UseColor(o.useColor ? color : BackgroundColor(), 0, true);
    Ellipse(x - r, y - r, x + r + 1, y + r + 1);

    double phase = body->physical[1];
    if (std::isfinite(phase) && phase > kSmallestPhase) {
        double brightLimb = std::isfinite(body->physical[2]) ? body->physical[2] : 0.0;
        UseColor(o.useColor ? dark : ForegroundColor(), 0, true);
        FillDarkPart(g, r, std::min(phase, kExactPi), brightLimb);
    }

    UseColor(edgeColor, 1, false);
    Ellipse(x - r, y - r, x + r + 1, y + r + 1);

    if (o.showPlanetGrids) {
        UseColor(edgeColor, 1, false);
        DrawSurfaceGrid(g, axes, r, orientation.centralMeridian, body->type);
    }

    if (rings) {
        UseColor(markColor, 1, false);
        DrawRings(g, axes, r, Side::Near);
    }
}

} // namespace

const std::vector<ObjectID>& BodyList() {
    if (!BodyListIsCurrent()) RebuildBodyList();
    return gBodyList.ids;
}

void SetBodyListFailuresForTest(int count) {
    gListFailuresForTest = std::max(count, 0);
}

void InvalidateBodyList() {
    gBodyList.valid = false;
    gBodyList.ids.clear();
}

long DrawSolarSystemBodies() {
    const std::vector<ObjectID>& list = BodyList();
    if (!gBodyList.valid) return 0;
    const DisplayOptions& o = gDisplayOptions;
    long drawn = 0;
    for (ObjectID id : list) {
        SolarSystemObject* body = AsSolarSystem(getObject(id));
        DatabaseFile* file = getFile(id);
        if (body == nullptr || file == nullptr) continue;
        // Drawing may compute a primary in another file; this body's file stays.
        lockFile(id);
        file->lastDrawGeneration = gDrawGeneration;
        EnsureComputed(body);
        ProjectedObject p = ProjectObject(body);
        if (p.visible) {
            DrawBody(body, p.x, p.y, p.radius);
            ++drawn;
            if (o.showObjectLabels && o.faintestPlanetLabelMagnitude != kNoLimit &&
                body->magnitude <= o.faintestPlanetLabelMagnitude) {
                QueueObjectLabel(body, p.x, p.y, p.radius, body->magnitude,
                                 o.useColor ? o.colors[kPlanetLabelColor] : ForegroundColor());
            }
        }
        unlockFile(id);
    }
    return drawn;
}

RGBColor BodyColor(int type) {
    // The Sun and the major planets, by type code 1 to 10.
    static constexpr RGBColor kMajorBodyColors[] = {
        {255, 255, 0},   {255, 199, 118}, {255, 255, 255}, {164, 255, 255}, {255, 103, 23},
        {255, 255, 182}, {255, 255, 88},  {164, 255, 210}, {164, 210, 255}, {255, 185, 255},
    };
    constexpr RGBColor kOtherBodyColor = {192, 192, 192};
    constexpr int count = static_cast<int>(std::size(kMajorBodyColors));
    return type >= 1 && type <= count ? kMajorBodyColors[type - 1] : kOtherBodyColor;
}

void DrawBody(SolarSystemObject* body, int x, int y, int radius) {
    if (body == nullptr) return;
    const DisplayOptions& o = gDisplayOptions;
    if (radius >= kSmallestDisc) {
        DrawDisc(body, x, y, radius);
        return;
    }
    UseColor(o.useColor ? BodyColor(body->type) : ForegroundColor(), 1, true);
    const bool asStar = !o.showPlanetSymbols;
    // A planet's moon has no icon: rather than a bare dot beside the planet's
    // disc it gets the star mark of its brightness, as it looks in a telescope.
    const bool moon = body->type > kTypeMoon && body->type <= kTypeCharon &&
                      body->magnitude != kNoMagnitude;
    if ((asStar && body->magnitude < o.faintestStarMagnitude) || (!asStar && moon)) {
        DrawStarSymbol(kPlainStar, x, y, StarSize(body->magnitude));
    } else if (!asStar && HasIcon(body->type)) {
        DrawIcon(kIconBase + body->type, x - kIconHalfSize, y - kIconHalfSize);
    } else {
        Rectangle(x, y, x + kDotSize, y + kDotSize);
    }
}
