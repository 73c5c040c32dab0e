// The projection frame and the five projections: geometry of the centre and
// the axes, the depth limits and overflow values, mirroring and rotation, the
// horizon mask, and round trips between directions and pixels on both the
// fixed-point and the high-magnification path.

#include "ChartTestSupport.h"

#include "chart/Overlays.h"

#include <array>
#include <limits>
#include <random>

namespace {

using namespace chart_test;
using Fixed = std::array<std::int32_t, 3>;

constexpr double kDeg = kDegree;
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
const char* const kNames[] = {"", "Planar", "Spherical", "Lambert", "Mercator", "Mollweide"};

Fixed ToFixed(const Vector3& v) {
    Fixed f;
    for (int i = 0; i < 3; ++i)
        f[i] = static_cast<std::int32_t>(v[i] * 1073741824.0);
    return f;
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

void SetIdentityFrames() {
    IdentityMatrix(gInstant.frames.equatorial);
    IdentityMatrix(gInstant.frames.ecliptic);
    IdentityMatrix(gInstant.frames.galactic);
    IdentityMatrix(gInstant.frames.horizon);
}

class ProjectionTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        SetIdentityFrames();
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
    // An empty rectangle, a 1" field on a huge area, a full turn on a tiny one.
    for (int p = kPlanar; p <= kMollweide; ++p) {
        SCOPED_TRACE(kNames[p]);
        Prepare(p, 1.0, 0, 0, kEquatorial, {5, 5, 5, 5});
        EXPECT_GE(gFrame.scale, 1);
        EXPECT_GE(gFrame.inverseScaleFixed, 1);
        Prepare(p, kMinimumFieldWidth, 0, 0, kEquatorial, {0, 0, 32000, 20000});
        EXPECT_GE(gFrame.scale, kHighMagnificationScale);
        EXPECT_GE(gFrame.inverseScaleFixed, 1);
        Prepare(p, kMaximumFieldWidth, 0, 0, kEquatorial, {0, 0, 2, 2});
        EXPECT_GE(gFrame.scale, 1);
        EXPECT_GE(gFrame.inverseScaleFixed, 1);
        // Any direction, including non-unit garbage, projects without a trap.
        for (const Fixed& v : {Fixed{kMax32, kMin32, kMax32}, Fixed{kMin32, kMin32, kMin32},
                               Fixed{-1, kMax32, kMin32}, Fixed{0, 1, -1}})
            (void)Project(v);
    }
}

TEST_F(ProjectionTest, DistanceFromTheCentreFollowsEachLaw) {
    // 20 degrees due north of the centre, on a 90 degree field, h = 500.
    double theta = 20 * kDeg;
    struct Case {
        int projection;
        double pixels;
    } cases[] = {
        {kPlanar, std::trunc(500 / std::tan(45 * kDeg)) * std::tan(theta)},
        {kSpherical, 500 / std::sin(45 * kDeg) * std::sin(theta)},
        {kLambert, std::trunc(500 / std::tan(22.5 * kDeg)) * std::tan(theta / 2)},
        {kMercator, std::trunc(500 / (45 * kDeg)) * std::tan(theta)},
        {kMollweide, 500 / (45 * kDeg) * kHalfPi * std::sin(theta)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kNames[c.projection]);
        Prepare(c.projection, 90 * kDeg);
        ProjectedPoint q = Project(FixedAt(0, theta));
        // Mollweide truncates sin(latitude) to whole pixels before the pi/2.
        EXPECT_NEAR(300 - q.y, c.pixels, c.projection == kMollweide ? 3.0 : 2.0);
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

TEST_F(ProjectionTest, LambertBehindTheCentre) {
    Prepare(kLambert, 180 * kDeg);
    // Exactly opposite the centre: the divisor is zero, so k = 0 and the
    // point takes the overflow values; it is beyond the depth limit.
    ProjectedPoint antipode = Project(Fixed{-1073741824, 0, 0});
    EXPECT_FALSE(antipode.visible);
    EXPECT_EQ(antipode.depth, -1073741824);
    EXPECT_EQ(antipode.x, kMax32);
    EXPECT_EQ(antipode.y, kMax32);
    // At X = -0.98 it is still drawn.
    double x = -0.98, y = std::sqrt(1 - x * x);
    ProjectedPoint near = Project(Fixed{static_cast<std::int32_t>(x * 1073741824.0),
                                        static_cast<std::int32_t>(y * 1073741824.0), 0});
    EXPECT_TRUE(near.visible);
    EXPECT_LT(near.x, 500 - 4000); // far off to the left, but a real position
    // The centre itself: X + 2^30 is replaced by the 32-bit maximum.
    ProjectedPoint centre = Project(Fixed{1073741824, 0, 0});
    EXPECT_EQ(centre.depth, 1073741824);
    EXPECT_EQ(centre.x, 500);
    EXPECT_EQ(centre.y, 300);
}

TEST_F(ProjectionTest, OverflowValuesWhereTheDivisorVanishes) {
    Prepare(kPlanar, 90 * kDeg);
    // 90 degrees off: X = 0, so k = 0.
    ProjectedPoint left = Project(Fixed{0, 1073741824, 0});
    EXPECT_EQ(left.x, kMin32); // Y > 0
    EXPECT_EQ(left.y, kMax32); // Z = 0 counts as not positive
    EXPECT_TRUE(left.visible); // depth 0 is within the limit
    ProjectedPoint top = Project(Fixed{0, -1073741824, 1073741824 / 2});
    EXPECT_EQ(top.x, kMax32);
    EXPECT_EQ(top.y, kMin32);
    // Just behind the centre's plane: below the Planar depth limit.
    EXPECT_FALSE(Project(FixedAt(90.1 * kDeg, 0)).visible);
    EXPECT_TRUE(Project(FixedAt(90.05 * kDeg, 0)).visible);

    // Mercator at a pole: cos(latitude) = 0.
    Prepare(kMercator, 360 * kDeg);
    ProjectedPoint pole = Project(Fixed{0, 0, 1073741824});
    EXPECT_EQ(pole.y, kMin32);
    EXPECT_TRUE(pole.visible);
    EXPECT_EQ(Project(Fixed{0, 0, -1073741824}).y, kMax32);
    // Straight along +Y with X = 0: longitude +pi/2 exactly.
    EXPECT_EQ(Project(Fixed{0, 1073741824, 0}).x,
              static_cast<std::int32_t>(500 - gFrame.scale * 1.570796327));

    // The zero vector is never visible.
    for (int p = kPlanar; p <= kMollweide; ++p) {
        Prepare(p, 90 * kDeg);
        EXPECT_FALSE(Project(Fixed{0, 0, 0}).visible) << kNames[p];
    }
}

TEST_F(ProjectionTest, MirrorFlagsAndHorizonOrientation) {
    Fixed v = FixedAt(12 * kDeg, 7 * kDeg);
    for (int p = kPlanar; p <= kMollweide; ++p) {
        SCOPED_TRACE(kNames[p]);
        Prepare(p, 60 * kDeg);
        ProjectedPoint plain = Project(v);
        gChartView.invertedHorizontally = true;
        Prepare(p, 60 * kDeg);
        ProjectedPoint mirrored = Project(v);
        gChartView.invertedVertically = true;
        Prepare(p, 60 * kDeg);
        ProjectedPoint both = Project(v);
        gChartView.invertedHorizontally = gChartView.invertedVertically = false;
        EXPECT_NEAR(mirrored.x - 500, 500 - plain.x, 1);
        EXPECT_EQ(mirrored.y, plain.y);
        EXPECT_NEAR(both.y - 300, 300 - plain.y, 1);
        EXPECT_NEAR(both.x, mirrored.x, 1);
    }

    // Facing south on a horizon chart, west (greater azimuth) is on the right.
    Prepare(kLambert, 90 * kDeg, 180 * kDeg, 0, kHorizon);
    EXPECT_GT(Project(FixedAt(190 * kDeg, 0)).x, 520);
    // Mirrored, it goes to the left as on a sky chart.
    gChartView.invertedHorizontally = true;
    Prepare(kLambert, 90 * kDeg, 180 * kDeg, 0, kHorizon);
    EXPECT_LT(Project(FixedAt(190 * kDeg, 0)).x, 480);
}

TEST_F(ProjectionTest, RotationTurnsTheChartAboutItsCentre) {
    // North turns from up to the left, then down.
    const std::tuple<double, int, int> cases[] = {{90, 394, 300}, {180, 500, 406}};
    for (auto [degrees, x, y] : cases) {
        gChartView.fieldRotation = degrees * kDeg;
        Prepare(kLambert, 90 * kDeg);
        ProjectedPoint q = Project(FixedAt(0, 10 * kDeg));
        EXPECT_NEAR(q.x, x, 2) << degrees;
        EXPECT_NEAR(q.y, y, 2) << degrees;
    }
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
        if (inside)
            lastInside = q.x;
        else
            break;
    }
    EXPECT_EQ(lastInside, 0);

    // The horizon: the zenith is J2000 +Z here; the mask hides what is below.
    Fixed below = FixedAt(0, -5 * kDeg), above = FixedAt(0, 5 * kDeg);
    EXPECT_TRUE(PointInChart(below.data()));
    gDisplayOptions.showHorizonMask = true;
    Prepare(kSpherical, 180 * kDeg);
    EXPECT_FALSE(PointInChart(below.data()));
    EXPECT_TRUE(PointInChart(above.data()));
    EXPECT_TRUE(PointInChart(FixedAt(0, 0).data())); // on the horizon itself
    // A raised horizon hides what lies under it.
    gComputationOptions.horizonAltitude = 10 * kDeg;
    Prepare(kSpherical, 180 * kDeg);
    EXPECT_FALSE(PointInChart(above.data()));
    EXPECT_EQ(gFrame.horizonSineFixed30,
              static_cast<std::int32_t>(std::sin(10 * kDeg) * 1073741824.0));
}

TEST_F(ProjectionTest, UnprojectOffTheSky) {
    // Outside the Spherical disc.
    Prepare(kSpherical, 90 * kDeg);
    Vector3 d;
    double r = 500 / std::sin(45 * kDeg); // the horizon circle's radius in pixels
    EXPECT_TRUE(UnprojectPoint(500, 300 - static_cast<int>(r) + 1, d));
    EXPECT_FALSE(UnprojectPoint(500, 300 - static_cast<int>(r) - 1, d));
    // Outside the Mollweide ellipse: |t| > 1 above and below, |lambda| > pi aside.
    Prepare(kMollweide, 360 * kDeg);
    double unitsPerPixel = gFrame.inverseScale;
    int halfHeight = static_cast<int>(kHalfPi / unitsPerPixel);
    EXPECT_TRUE(UnprojectPoint(500, 300 - halfHeight + 1, d));
    EXPECT_FALSE(UnprojectPoint(500, 300 - halfHeight - 2, d));
    EXPECT_FALSE(UnprojectPoint(500, 300 + halfHeight + 2, d));
    EXPECT_TRUE(UnprojectPoint(1, 300, d));
    EXPECT_FALSE(UnprojectPoint(-2, 300, d));
    // At 60 degrees of latitude the ellipse is half as wide.
    int y60 = 300 - static_cast<int>(std::sin(60 * kDeg) * kHalfPi / unitsPerPixel);
    EXPECT_TRUE(UnprojectPoint(500 - 240, y60, d));
    EXPECT_FALSE(UnprojectPoint(500 - 260, y60, d));
    // The others are defined everywhere.
    for (int p : {kPlanar, kLambert, kMercator}) {
        Prepare(p, 90 * kDeg);
        EXPECT_TRUE(UnprojectPoint(-5000, 8000, d)) << kNames[p];
        EXPECT_NEAR(VectorLength(d), 1.0, 1e-12);
    }
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
    for (int p = kPlanar; p <= kMollweide; ++p) {
        for (double field : fields) {
            if (field > widest[p]) continue;
            for (bool mirrored : {false, true}) {
                gChartView.invertedHorizontally = mirrored;
                gChartView.fieldRotation = mirrored ? 33 * kDeg : 0;
                Prepare(p, field, 200 * kDeg, -35 * kDeg, kEquatorial);
                bool doublePath = gFrame.scale >= kHighMagnificationScale;
                (doublePath ? sawDoublePath : sawIntegerPath) = true;
                // The fixed-point path reads 15-bit components through a
                // 15-bit matrix: it resolves about 2^-15 radian at best.
                double quantum = doublePath ? 4e-9 : 6.0 / 32768;
                // Mollweide multiplies truncated quotients: cos(latitude) in
                // whole pixels per radian times the longitude (up to pi
                // pixels off) and sin(latitude) in whole pixels times pi/2.
                double pixels = p == kMollweide ? 4.0 : 1.05;
                int checked = 0;
                for (int n = 0; n < 400; ++n) {
                    // A pixel anywhere on the chart, then its direction
                    // nudged by up to a pixel, as a 2^30 vector.
                    int x = static_cast<int>(500 + 500 * unit(random));
                    int y = static_cast<int>(300 + 300 * unit(random));
                    Vector3 d;
                    if (!UnprojectPoint(x, y, d)) continue;
                    double pixel = PixelAngle(x, y);
                    Fixed v = ToFixed(d);
                    ProjectedPoint q = ProjectDirection(v.data());
                    if (!q.visible) continue;
                    Vector3 back;
                    ASSERT_TRUE(UnprojectPoint(q.x, q.y, back))
                        << kNames[p] << " field " << field << " at " << x << "," << y;
                    double error = Angle(d, back);
                    EXPECT_LE(error, pixels * pixel + quantum)
                        << kNames[p] << " field " << field / kDeg << " deg at " << x << "," << y
                        << " -> " << q.x << "," << q.y << " pixel " << pixel;
                    ++checked;
                }
                EXPECT_GT(checked, 100) << kNames[p] << " field " << field;
            }
        }
    }
    gChartView.invertedHorizontally = false;
    gChartView.fieldRotation = 0;
    EXPECT_TRUE(sawIntegerPath);
    EXPECT_TRUE(sawDoublePath);
}

TEST_F(ProjectionTest, ProjectVectorMatchesTheFixedPointForm) {
    Prepare(kLambert, 60 * kDeg, 10 * kDeg, 20 * kDeg);
    Vector3 v;
    SphericalToRectangular(15 * kDeg, 25 * kDeg, 1.0, v);
    ProjectedPoint a = ProjectVector(v), b = ProjectDirection(ToFixed(v).data());
    EXPECT_EQ(std::tuple(a.x, a.y, a.depth, a.visible), std::tuple(b.x, b.y, b.depth, b.visible));
}

// The centred object moves the centre at every drawing; an object that left
// the store is dropped.
TEST_F(ProjectionTest, CentredObjectSetsTheCentre) {
    CatalogObject* star = NewCatalogObject(kTypeSingleStar);
    Fixed at = FixedAt(75 * kDeg, -20 * kDeg);
    for (int i = 0; i < 3; ++i)
        star->position[i] = at[i];
    star->catalogDistance = std::numeric_limits<float>::infinity();
    star->radialVelocity = std::numeric_limits<float>::infinity();
    ObjectID id = addObject(star, 0);
    ASSERT_NE(id, 0);
    gChartView.centeredObject = id;
    Prepare(kLambert, 30 * kDeg, 0, 0, kGalactic);
    double lon = 75 * kDeg, lat = -20 * kDeg;
    ConvertFrame(gInstant.frames, kFrameJ2000, kGalactic, &lon, &lat);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-6);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-6);
    ProjectedPoint q = Project(at);
    EXPECT_NEAR(q.x, 500, 1);
    EXPECT_NEAR(q.y, 300, 1);

    FreeObject(removeObject(id));
    Prepare(kLambert, 30 * kDeg, 1.0, 0.5, kGalactic);
    EXPECT_EQ(gChartView.centeredObject, 0);
    EXPECT_DOUBLE_EQ(gChartView.centerLongitude, 1.0);
}

// The telescope's stay-centred mode puts its J2000 position at the centre.
bool TelescopeAt(double* ra, double* dec) {
    *ra = 2.0;
    *dec = 0.3;
    return true;
}

TEST_F(ProjectionTest, TelescopeStayCentredHook) {
    BuildFrameMatrices(gInstant.frames, 2451545.0 + 3650, false, 1.0, 0.8);
    setTelescopeCenterQuery(TelescopeAt);
    Prepare(kLambert, 30 * kDeg, 0, 0, kEcliptic);
    setTelescopeCenterQuery(nullptr);
    double lon = 2.0, lat = 0.3;
    ConvertFrame(gInstant.frames, kFrameJ2000, kEcliptic, &lon, &lat);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-12);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-12);
}

} // namespace
