// The projection frame and the five projections: the laws of distance from
// the centre, the depth limits and overflow values, mirroring and rotation,
// the horizon mask, the centred object, and round trips between directions
// and pixels on both the fixed-point and the high-magnification path.

#include "ChartTestSupport.h"

#include "chart/Overlays.h"

#include <limits>
#include <random>

namespace {

using namespace chart_test;
using Fixed = std::array<std::int32_t, 3>;

constexpr double kDeg = kDegree;
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kOne = 1073741824;
const char* const kNames[] = {"", "Planar", "Spherical", "Lambert", "Mercator", "Mollweide"};

Fixed ToFixed(const Vector3& v) {
    return {static_cast<std::int32_t>(v[0] * kOne), static_cast<std::int32_t>(v[1] * kOne),
            static_cast<std::int32_t>(v[2] * kOne)};
}
Fixed FixedAt(double lon, double lat) {
    Vector3 v;
    SphericalToRectangular(lon, lat, 1.0, v);
    return ToFixed(v);
}
double Angle(const Vector3& a, const Vector3& b) {
    Vector3 c;
    CrossProduct(a, b, c);
    return std::atan2(VectorLength(c), DotProduct(a, b));
}

class ProjectionTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        IdentityMatrix(gInstant.frames.equatorial);
        IdentityMatrix(gInstant.frames.ecliptic);
        IdentityMatrix(gInstant.frames.galactic);
        IdentityMatrix(gInstant.frames.horizon);
    }
    // An equatorial chart (J2000 = the chart's frame here) of 1000 x 600 pixels.
    static void Prepare(int projection, double width, double lon = 0.0, double lat = 0.0,
                        int system = kEquatorial, Rect rect = {0, 0, 1000, 600}) {
        gChartView.projection = static_cast<std::int16_t>(projection);
        gChartView.coordinateSystem = static_cast<std::int16_t>(system);
        gChartView.fieldWidth = width;
        gChartView.centerLongitude = lon;
        gChartView.centerLatitude = lat;
        PrepareChartFrame(rect, ChartLegendHeight());
    }
    static ProjectedPoint Project(const Fixed& v) { return ProjectDirection(v.data()); }
};

TEST_F(ProjectionTest, DegenerateAreasAndExtremeFieldsNeverDivideByZero) {
    for (int p = kPlanar; p <= kMollweide; ++p) {
        SCOPED_TRACE(kNames[p]);
        // An empty rectangle, a 1" field on a huge area, a full turn on a tiny one.
        const std::tuple<double, Rect, double> cases[] = {
            {1.0, {5, 5, 5, 5}, 1},
            {kMinimumFieldWidth, {0, 0, 32000, 20000}, kHighMagnificationScale},
            {kMaximumFieldWidth, {0, 0, 2, 2}, 1}};
        for (auto [width, rect, scale] : cases) {
            Prepare(p, width, 0, 0, kEquatorial, rect);
            EXPECT_GE(gFrame.scale, scale);
            EXPECT_GE(gFrame.inverseScaleFixed, 1);
        }
        // Any direction, including non-unit garbage, projects without a trap.
        for (const Fixed& v : {Fixed{kMax32, kMin32, kMax32}, Fixed{kMin32, kMin32, kMin32},
                               Fixed{-1, kMax32, kMin32}, Fixed{0, 1, -1}})
            (void)Project(v);
        Prepare(p, 90 * kDeg);
        EXPECT_FALSE(Project(Fixed{0, 0, 0}).visible) << "the zero vector";
    }
}

TEST_F(ProjectionTest, DistanceFromTheCentreFollowsEachLaw) {
    // 20 degrees due north of the centre, on a 90 degree field, h = 500.
    const double theta = 20 * kDeg;
    const std::pair<int, double> cases[] = {
        {kPlanar, std::trunc(500 / std::tan(45 * kDeg)) * std::tan(theta)},
        {kSpherical, 500 / std::sin(45 * kDeg) * std::sin(theta)},
        {kLambert, std::trunc(500 / std::tan(22.5 * kDeg)) * std::tan(theta / 2)},
        {kMercator, std::trunc(500 / (45 * kDeg)) * std::tan(theta)},
        {kMollweide, 500 / (45 * kDeg) * kHalfPi * std::sin(theta)}};
    for (auto [projection, pixels] : cases) {
        SCOPED_TRACE(kNames[projection]);
        Prepare(projection, 90 * kDeg);
        ProjectedPoint q = Project(FixedAt(0, theta));
        // Mollweide truncates sin(latitude) to whole pixels before the pi/2.
        EXPECT_NEAR(300 - q.y, pixels, projection == kMollweide ? 3.0 : 2.0);
        EXPECT_EQ(q.x, 500);
        EXPECT_GT(Project(FixedAt(0, 0)).depth, 1073600000); // 1 less the fixed-point loss
        EXPECT_LT(Project(FixedAt(10 * kDeg, 0)).x, 450) << "east is to the left";
    }
    // The cylindrical ones spread longitude evenly along the equator.
    Prepare(kMercator, 360 * kDeg);
    EXPECT_NEAR(Project(FixedAt(-170 * kDeg, 0)).x, 500 + std::trunc(500 / kExactPi) * 170 * kDeg,
                1);
    Prepare(kMollweide, 360 * kDeg);
    EXPECT_NEAR(Project(FixedAt(100 * kDeg, 0)).x, 500 - 500 / kExactPi * 100 * kDeg, 1);
}

TEST_F(ProjectionTest, OverflowValuesWhereTheDivisorVanishes) {
    struct Case {
        const char* what;
        int projection;
        double width;
        Fixed v;
        bool visible;
        std::int32_t x, y; // 0: not checked
    } cases[] = {
        // Exactly opposite the centre: k = 0, beyond the depth limit.
        {"Lambert antipode", kLambert, 180, {-kOne, 0, 0}, false, kMax32, kMax32},
        {"Lambert at X = -0.98", kLambert, 180, FixedAt(std::acos(-0.98), 0), true, 0, 0},
        // The centre itself: X + 2^30 is replaced by the 32-bit maximum.
        {"Lambert centre", kLambert, 180, {kOne, 0, 0}, true, 500, 300},
        // A quarter turn off: X = 0, so k = 0; depth 0 is within the limit.
        {"Planar aside (Z = 0 is not positive)", kPlanar, 90, {0, kOne, 0}, true, kMin32, kMax32},
        {"Planar above", kPlanar, 90, {0, -kOne, kOne / 2}, true, kMax32, kMin32},
        {"Planar just behind", kPlanar, 90, FixedAt(90.1 * kDeg, 0), false, 0, 0},
        {"Planar just in front", kPlanar, 90, FixedAt(90.05 * kDeg, 0), true, 0, 0},
        // Mercator at a pole: cos(latitude) = 0.
        {"Mercator north pole", kMercator, 360, {0, 0, kOne}, true, 0, kMin32},
        {"Mercator south pole", kMercator, 360, {0, 0, -kOne}, true, 0, kMax32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prepare(c.projection, c.width * kDeg);
        ProjectedPoint q = Project(c.v);
        EXPECT_EQ(q.visible, c.visible);
        EXPECT_EQ(c.x != 0 ? q.x : 0, c.x);
        EXPECT_EQ(c.y != 0 ? q.y : 0, c.y);
    }
}

TEST_F(ProjectionTest, MirrorRotationAndHorizonOrientation) {
    const Fixed v = FixedAt(12 * kDeg, 7 * kDeg);
    for (int p = kPlanar; p <= kMollweide; ++p) {
        SCOPED_TRACE(kNames[p]);
        Prepare(p, 60 * kDeg);
        const ProjectedPoint plain = Project(v);
        gChartView.invertedHorizontally = gChartView.invertedVertically = true;
        Prepare(p, 60 * kDeg);
        const ProjectedPoint both = Project(v);
        gChartView.invertedHorizontally = gChartView.invertedVertically = false;
        EXPECT_NEAR(both.x - 500, 500 - plain.x, 1);
        EXPECT_NEAR(both.y - 300, 300 - plain.y, 1);
    }
    // A quarter turn takes north from up to the left.
    gChartView.fieldRotation = 90 * kDeg;
    Prepare(kLambert, 90 * kDeg);
    EXPECT_NEAR(Project(FixedAt(0, 10 * kDeg)).x, 394, 2);
    EXPECT_NEAR(Project(FixedAt(0, 10 * kDeg)).y, 300, 2);
    gChartView.fieldRotation = 0;
    // Facing south on a horizon chart, west (greater azimuth) is on the right.
    Prepare(kLambert, 90 * kDeg, 180 * kDeg, 0, kHorizon);
    EXPECT_GT(Project(FixedAt(190 * kDeg, 0)).x, 520);
}

TEST_F(ProjectionTest, PointInChartBoundsAndHorizonMask) {
    Prepare(kSpherical, 180 * kDeg);
    // Sweep east along the equator until the point leaves the area: the last
    // pixel inside must be x = left (bounds included).
    int lastInside = 1000;
    for (double lon = 0; lon < 90 * kDeg; lon += 0.001 * kDeg) {
        Fixed v = FixedAt(lon, 0);
        ProjectedPoint q = Project(v);
        bool inside = q.visible && q.x >= 0 && q.x <= 1000 && q.y >= 0 && q.y <= 600;
        EXPECT_EQ(PointInChart(v.data()), inside);
        if (!inside) break;
        lastInside = q.x;
    }
    EXPECT_EQ(lastInside, 0);

    // The horizon: the zenith is J2000 +Z here; the mask hides what is below.
    Fixed below = FixedAt(0, -5 * kDeg), above = FixedAt(0, 5 * kDeg);
    EXPECT_TRUE(PointInChart(below.data()));
    gDisplayOptions.showHorizonMask = true;
    Prepare(kSpherical, 180 * kDeg);
    EXPECT_EQ(std::tuple(PointInChart(below.data()), PointInChart(above.data()),
                         PointInChart(FixedAt(0, 0).data())), // on the horizon itself
              std::tuple(false, true, true));
    gComputationOptions.horizonAltitude = 10 * kDeg;
    Prepare(kSpherical, 180 * kDeg);
    EXPECT_FALSE(PointInChart(above.data())) << "a raised horizon hides what lies under it";
}

TEST_F(ProjectionTest, UnprojectOffTheSky) {
    Vector3 d;
    // Outside the Spherical disc (the horizon circle's radius in pixels).
    Prepare(kSpherical, 90 * kDeg);
    const int r = static_cast<int>(500 / std::sin(45 * kDeg));
    EXPECT_TRUE(UnprojectPoint(500, 300 - r + 1, d) && !UnprojectPoint(500, 300 - r - 1, d));
    // Outside the Mollweide ellipse: |t| > 1 above and below, |lambda| > pi
    // aside; at 60 degrees of latitude it is half as wide.
    Prepare(kMollweide, 360 * kDeg);
    const int half = static_cast<int>(kHalfPi / gFrame.inverseScale);
    const int y60 = 300 - static_cast<int>(std::sin(60 * kDeg) * half);
    const std::tuple<int, int, bool> cases[] = {{500, 300 - half + 1, true},
                                                {500, 300 - half - 2, false},
                                                {500, 300 + half + 2, false},
                                                {1, 300, true},
                                                {-2, 300, false},
                                                {260, y60, true},
                                                {240, y60, false}};
    for (auto [x, y, inside] : cases)
        EXPECT_EQ(UnprojectPoint(x, y, d), inside) << x << ", " << y;
    Prepare(kLambert, 90 * kDeg);
    EXPECT_TRUE(UnprojectPoint(-5000, 8000, d)) << "Lambert is defined everywhere";
}

// The angle one pixel spans at (x, y): the largest step to one of the eight
// neighbours (truncating x and y can move a point by one in each).
double PixelAngle(int x, int y) {
    Vector3 here, there;
    if (!UnprojectPoint(x, y, here)) return 0;
    double angle = 0;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (UnprojectPoint(x + dx, y + dy, there)) angle = std::max(angle, Angle(here, there));
    return angle;
}

TEST_F(ProjectionTest, RoundTripsWithinAPixelAtEveryField) {
    const double fields[] = {1 * kArcsec, 60 * kArcsec, 1 * kDeg,   15 * kDeg, 90 * kDeg,
                             135 * kDeg,  180 * kDeg,   270 * kDeg, 360 * kDeg};
    const double widest[] = {
        0, kPlanarFieldLimit, kSphericalFieldLimit, kLambertFieldLimit, 360 * kDeg, 360 * kDeg};
    std::mt19937 random(20240601);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    bool sawIntegerPath = false, sawDoublePath = false;
    for (int p = kPlanar; p <= kMollweide; ++p)
        for (double field : fields)
            for (bool mirrored : {false, true}) {
                if (field > widest[p]) continue;
                SCOPED_TRACE(std::string(kNames[p]) + " field " + std::to_string(field / kDeg));
                gChartView.invertedHorizontally = mirrored;
                gChartView.fieldRotation = mirrored ? 33 * kDeg : 0;
                Prepare(p, field, 200 * kDeg, -35 * kDeg, kEquatorial);
                const bool doublePath = gFrame.scale >= kHighMagnificationScale;
                (doublePath ? sawDoublePath : sawIntegerPath) = true;
                // The fixed-point path reads 15-bit components through a
                // 15-bit matrix: it resolves about 2^-15 radian at best.
                const double quantum = doublePath ? 4e-9 : 6.0 / 32768;
                // Mollweide multiplies truncated quotients: cos(latitude) in
                // whole pixels per radian times the longitude (up to pi
                // pixels off) and sin(latitude) in whole pixels times pi/2.
                const double pixels = p == kMollweide ? 4.0 : 1.05;
                int checked = 0;
                for (int n = 0; n < 400; ++n) {
                    const int x = static_cast<int>(500 + 500 * unit(random));
                    const int y = static_cast<int>(300 + 300 * unit(random));
                    Vector3 d, back;
                    if (!UnprojectPoint(x, y, d)) continue;
                    ProjectedPoint q = Project(ToFixed(d));
                    if (!q.visible) continue;
                    ASSERT_TRUE(UnprojectPoint(q.x, q.y, back)) << x << "," << y;
                    EXPECT_LE(Angle(d, back), pixels * PixelAngle(x, y) + quantum)
                        << x << "," << y << " -> " << q.x << "," << q.y;
                    ++checked;
                }
                EXPECT_GT(checked, 100);
            }
    EXPECT_TRUE(sawIntegerPath);
    EXPECT_TRUE(sawDoublePath);
}

// The centred object moves the centre at every drawing; an object that left
// the store is dropped.
TEST_F(ProjectionTest, CentredObjectSetsTheCentre) {
    CatalogObject* star = NewCatalogObject(kTypeSingleStar);
    const Fixed at = FixedAt(75 * kDeg, -20 * kDeg);
    std::copy(at.begin(), at.end(), star->position);
    star->catalogDistance = star->radialVelocity = std::numeric_limits<float>::infinity();
    ObjectID id = addObject(star, 0);
    ASSERT_NE(id, 0);
    gChartView.centeredObject = id;
    Prepare(kLambert, 30 * kDeg, 0, 0, kGalactic);
    double lon = 75 * kDeg, lat = -20 * kDeg;
    ConvertFrame(gInstant.frames, kFrameJ2000, kGalactic, &lon, &lat);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-6);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-6);
    EXPECT_LE(std::abs(Project(at).x - 500) + std::abs(Project(at).y - 300), 2);

    FreeObject(removeObject(id));
    Prepare(kLambert, 30 * kDeg, 1.0, 0.5, kGalactic);
    EXPECT_EQ(gChartView.centeredObject, 0);
    EXPECT_DOUBLE_EQ(gChartView.centerLongitude, 1.0);
}

} // namespace
