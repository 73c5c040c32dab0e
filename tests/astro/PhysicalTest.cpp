// The physical ephemeris: rising, size, phase, shadow, magnitudes and the
// rotation models, against hand computations, ERFA and astronomy-engine.

#include "AstroTest.h"

#include "astro/Physical.h"
#include "astro/Precession.h"

#include <erfa.h>
#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace astro_test;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Difference of two angles in degrees, folded into (-180, 180].
double DegreesApart(double a, double b) {
    return std::remainder(a - b, 360.0);
}

// The direction from the viewer to a body seen at (ra, dec) from it.
Vector3* TowardBodySeenAt(double raDegrees, double decDegrees, Vector3& u) {
    SphericalToRectangular(raDegrees * kDeg, decDegrees * kDeg, -1.0, u);
    return &u;
}

MagnitudeInput Input(int type, double delta, double r, double phaseDegrees, double p1 = kNaN,
                     double p2 = kNaN, double saturnTiltDegrees = 0.0) {
    return {type, delta, r, phaseDegrees * kDeg, p1, p2, std::sin(saturnTiltDegrees * kDeg)};
}

TEST(Physical, RiseSetHourAngleAngularDiameterAndPhaseAngle) {
    // Horizon, declination, latitude, hour angle.
    const double rises[][4] = {
        {0.0, 31 * kDeg, 60 * kDeg, kPi},          // c = -tan 60 tan 31 = -1.04: circumpolar
        {0.0, -31 * kDeg, 60 * kDeg, kNeverRises}, // and never rising
        {kTruePi / 2, 0.0, 0.0, kNeverRises},      // c exactly 1
        {-0.5667 * kDeg, 20 * kDeg, 40 * kDeg, 1.8956258132148804}, // 108.611359 by hand
        // At the pole the altitude never changes (cos 90 degrees is 6e-17, not 0).
        {0.0, -10 * kDeg, kTruePi / 2, kNeverRises},
        {kNaN, 0.0, 0.0, kNeverRises}};
    for (const auto& [horizon, dec, lat, expected] : rises)
        EXPECT_NEAR(RiseSetHourAngle(horizon, dec, lat), expected, 1e-12) << dec << " " << lat;
    // The Sun from 1 AU is 31.985'; inside a body fills the sky; an unknown
    // size gives no disc.
    const double diameters[][3] = {{0.001, kInfinity, 0.0},
                                   {kSolarRadiusAU, 1.0, 31.98491 / 60 * kDeg},
                                   {0.01, 0.002, kPi},
                                   {kNaN, 3.0, 0.0}};
    for (const auto& d : diameters)
        EXPECT_NEAR(AngularDiameter(d[0], d[1]), d[2], 3e-8) << d[0] << " " << d[1];
    // A direction a hair longer than a unit vector must not give NaN.
    const Vector3 u = {1.0, 0.0, 0.0}, longer = {1.0 + 1e-15, 0.0, 0.0}, nan = {kNaN, 0.0, 0.0};
    const Vector3 behind = {5.0, 0.0, 0.0}, between = {-0.3, 0.0, 0.0}, side = {0.0, 2.0, 0.0};
    const Vector3 sun = {0.0, 0.0, 0.0};
    EXPECT_NEAR(PhaseAngle(u, side), kTruePi / 2, 1e-15);
    EXPECT_EQ(PhaseAngle(u, sun), 0.0);
    EXPECT_EQ(PhaseAngle(longer, behind), 0.0);
    EXPECT_NEAR(PhaseAngle(longer, between), kTruePi, 1e-15);
    EXPECT_EQ(PhaseAngle(nan, side), 0.0);
}

TEST(Physical, InPrimaryShadowOfJupiter) {
    // Jupiter 5.2 AU out, radius 71492 km; Io 421800 km from it, radius 1821 km.
    const double R = 71492.0 / kKilometresPerAU, io = 1821.0 / kKilometresPerAU;
    const double d = 421800.0 / kKilometresPerAU;
    const Vector3 jupiter = {5.2, 0.0, 0.0};
    // Distance from the Sun, radius, primary's radius, shadowed.
    const double cases[][4] = {{5.2 + d, io, R, 1},
                               {5.2 - d, io, R, 0},         // behind, day side
                               {5.2 + d, 2 * R, R, 0},      // larger than its primary
                               {5.2 + d, io, kInfinity, 0}, // unknown primary radius
                               {5.2 + 0.5 * R, io, R, 1}};  // inside its planet
    for (const auto& [x, radius, primaryRadius, shadowed] : cases) {
        const Vector3 p = {x, 0.0, 0.0};
        EXPECT_EQ(InPrimaryShadow(p, radius, jupiter, primaryRadius), shadowed != 0) << x;
    }
    // The eclipsed satellite takes phase pi and so shows no magnitude.
    MagnitudeInput eclipsed = Input(18, 4.3, 5.2, 0.0, -1.68);
    eclipsed.phase = kPi;
    EXPECT_EQ(MagnitudeOf(eclipsed), kMagnitudeNone);
}

TEST(MagnitudeOf, LawsAgainstHandComputationAndUnseenBodies) {
    struct Case {
        MagnitudeInput input;
        int expected;
        const char* why;
    };
    // V(1,0) + 5 log(r delta) + the phase law, worked by hand, times 100 and
    // truncated toward zero.
    const Case cases[] = {
        {Input(1, 5.2, 0.0, 0.0), -2313, "Sun from Jupiter"},
        {Input(3, 0.6, 0.72, 95.0), -453, "Venus -4.5374"},
        {Input(7, 8.6, 9.5, 5.0, kNaN, kNaN, -20.0), 15, "Saturn, rings 20 degrees open"},
        {Input(10, 32.5, 33.0, 1.5), 1420, "Pluto 14.2035"},
        {Input(12, 1.9, 2.77, 119.9, 3.33, 0.12), 1182, "Ceres H 3.33 G 0.12: 11.8202"},
        {Input(12, 1.9, 2.77, 150.0, 3.33, 0.12), kMagnitudeNone, "beyond H, G"},
        {Input(12, 1.9, 2.77, 15.0, 3.33), kMagnitudeNone, "no G"},
        // A slope beyond the law's range: a logarithm of a negative number.
        {Input(12, 1.9, 2.77, 100.0, 3.33, -40.0), kMagnitudeNone, "G -40"},
        {Input(11, 0.9, 1.3, 40.0, 5.5, 4.0), 641, "comet g 5.5 k 4: 6.4106"},
        {Input(11, 0.9, 0.0, 40.0, 5.5, 4.0), kMagnitudeNone, "comet at the Sun"},
        {Input(14, 800 / kKilometresPerAU, 1.0, 60.0, -1.3), -222, "satellite -2.2222"},
        {Input(14, 800 / kKilometresPerAU, 1.0, 60.0), kMagnitudeNone, "satellite without H"},
        {Input(18, 4.4, 5.2, 8.0, -1.68), 512, "Io by the general law: 5.1226"},
        {Input(6, 4.3, 5.2, 3.1385 / kDeg), kMagnitudeNone, "phase beyond 3.138451061346"},
        {Input(6, kInfinity, 5.2, 0.0), kMagnitudeNone, "infinitely far"},
        {Input(13, 1.0, 1.0, 0.0, 400.0), kMagnitudeNone, "beyond the 16-bit field"}};
    for (const Case& c : cases)
        EXPECT_EQ(MagnitudeOf(c.input), c.expected) << c.why;
    MagnitudeInput atLimit = Input(12, 1.9, 2.77, 0.0, 3.33, 0.12);
    atLimit.phase = kMaxAsteroidPhase;
    EXPECT_EQ(MagnitudeOf(atLimit), kMagnitudeNone);
}

TEST(MagnitudeOf, AgainstAstronomyEngine) {
    // Type, phase, r, delta, ring tilt, magnitude, tolerance. Mercury's cubic
    // law (a tenth the term gives -2.5); Saturn's constant differs by 0.13
    // magnitudes, alike on both sides of the rings.
    const double cases[][7] = {
        {5, 7.91003681908, 1.63346660944, 0.659427537340, 0, -1.2320527, 0.011},
        {6, 0.437311830129, 5.07415060946, 4.08942003283, 0, -2.8126881, 0.011},
        {2, 126.530231281, 0.353660870422, 0.747164469620, 0, 1.1161143, 0.1},
        {7, 1.69286830770, 9.03527437790, 8.08490463385, -26.6647468, -0.53255998 + 0.13, 0.02},
        {7, 0.201303319869, 10.0584851279, 9.04339546829, 26.5962084, -0.12031967 + 0.13, 0.02}};
    for (const auto& [type, phase, r, delta, tilt, magnitude, tolerance] : cases)
        EXPECT_NEAR(MagnitudeOf(Input(static_cast<int>(type), delta, r, phase, kNaN, kNaN, tilt)) /
                        100.0,
                    magnitude, tolerance)
            << "type " << type;
}

TEST(RotationModel, MoonFollowsTheIauSeries) {
    // astronomy-engine's axis of the Moon (the IAU series with the node terms)
    // and libration of the sub-Earth point (Meeus), from the geocentric
    // direction; selenographic longitudes count east. JD, direction, pole
    // R.A. and Dec., spin, libration in longitude and latitude.
    const double cases[][9] = {
        {2451545.0, -0.7245854835510359, -0.6627352205138998, -0.18909760579527268, 266.8577334,
         65.64110275, 41.19526398, 5.0221967, -6.6992097},
        {2461234.5, -0.006726480952765872, 0.8838140494625447, 0.46778999607367694, 271.9231377,
         67.88223385, 127708.8694, -0.19036918, -5.7551669}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        RotationState moon = RotationModel(15, c[0]);
        EXPECT_NEAR(moon.poleRA / kDeg, c[4], 1e-4);
        EXPECT_NEAR(moon.poleDec / kDeg, c[5], 1e-4);
        EXPECT_TRUE(moon.negatedMeridian);
        EXPECT_NEAR(DegreesApart(-moon.meridian / kDeg, c[6]), 0.0, 1e-3);
        const Vector3 u = {c[1], c[2], c[3]};
        Orientation seen = OrientationFrom(moon, u);
        EXPECT_NEAR(DegreesApart(seen.centralMeridian / kDeg, c[7]), 0.0, 0.01);
        EXPECT_NEAR(seen.subViewerLatitude / kDeg, c[8], 0.05);
    }
}

TEST(RotationModel, SatellitesShowTheirPlanetTheirPrimeMeridians) {
    // The Galilean prime meridians face Jupiter, on its equator (directions
    // from astronomy-engine's JupiterMoons).
    const double cases[][5] = {
        {2451545.0, 18, 0.9512075156695734, 0.2720754422483627, 0.14553080725082249},
        {2460500.5, 21, 0.47183401206674425, -0.8001895357024293, -0.37022881034480554}};
    for (const auto& [jd, type, x, y, z] : cases) {
        const Vector3 u = {x, y, z};
        Orientation seen = OrientationFrom(RotationModel(static_cast<int>(type), jd), u);
        EXPECT_NEAR(DegreesApart(seen.centralMeridian / kDeg, 0.0), 0.0, 3.0) << type;
        EXPECT_NEAR(seen.subViewerLatitude / kDeg, 0.0, 0.1) << type;
    }
    // A satellite's meridian turns at the rate of its orbit (sidereal periods in
    // days); periodic terms move the day's rate by up to 1.4%.
    const double periods[][2] = {{15, 27.321661},   {16, 0.31891023},  {19, 3.551181041},
                                 {27, 15.94542068}, {33, 4.144176969}, {38, 6.387223}};
    const double t = 2460123.25, h = 0.05;
    for (const auto& [type, period] : periods) {
        RotationState before = RotationModel(static_cast<int>(type), t - h / 2.0);
        RotationState after = RotationModel(static_cast<int>(type), t + h / 2.0);
        double rate = std::fabs(DegreesApart(after.meridian / kDeg, before.meridian / kDeg)) / h;
        EXPECT_NEAR(rate, 360.0 / period, 0.02 * 360.0 / period) << type;
        // Negated meridians lie in (-2 pi, 0], the others in [0, 2 pi).
        EXPECT_LE(after.meridian, after.negatedMeridian ? 0.0 : kTurn) << type;
        EXPECT_GE(after.meridian, after.negatedMeridian ? -kTurn : 0.0) << type;
    }
}

TEST(OrientationFrom, EarthAgainstSiderealTime) {
    // Seen from (alpha, delta) the sub-viewer point is at east longitude
    // alpha - GMST (ERFA's, UT1 = TT - 64 s) and latitude delta.
    const double cases[][3] = {{2451545.0, 0.0, 0.0}, {2451600.1, 300.0, -75.0}};
    for (const auto& [jd, ra, dec] : cases) {
        Vector3 u;
        double gmst = eraGmst06(jd, -64.0 / 86400.0, jd, 0.0) / kDeg;
        Orientation seen = OrientationFrom(RotationModel(4, jd), *TowardBodySeenAt(ra, dec, u));
        EXPECT_NEAR(DegreesApart(seen.centralMeridian / kDeg, ra - gmst), 0.0, 0.04) << jd;
        EXPECT_NEAR(seen.subViewerLatitude / kDeg, dec, 0.01) << jd;
        EXPECT_NEAR(DegreesApart(seen.polePositionAngle / kDeg, 0.0), 0.0, 0.01) << jd;
    }
}

TEST(OrientationFrom, MarsAgainstReferenceGeometry) {
    // Mars's direction and retarded instant from astronomy-engine; the figures
    // by plain vector geometry, and near its own newer IAU model.
    const Vector3 u = {0.903370533129114, -0.332738561364165, -0.270567421644452};
    Orientation seen = OrientationFrom(RotationModel(5, 2452878.49784733), u);
    EXPECT_NEAR(DegreesApart(seen.centralMeridian / kDeg, 338.0723598), 0.0, 1e-5);
    EXPECT_NEAR(seen.subViewerLatitude / kDeg, -18.81301631, 1e-6);
    EXPECT_NEAR(DegreesApart(seen.polePositionAngle / kDeg, 346.1212982), 0.0, 1e-6);
    EXPECT_NEAR(DegreesApart(seen.centralMeridian / kDeg, 337.83566), 0.0, 0.5);
}

TEST(OrientationFrom, BodiesWithoutAModel) {
    // Pole at the celestial north pole, W = 0: the central meridian is the
    // longitude of the viewer from the node at R.A. 90 degrees, counted east.
    Vector3 u;
    Orientation seen = OrientationFrom(RotationModel(12, kJ2000), *TowardBodySeenAt(200, -35, u));
    EXPECT_NEAR(seen.centralMeridian / kDeg, 110.0, 1e-7);
    EXPECT_NEAR(seen.subViewerLatitude / kDeg, -35.0, 1e-7);
    EXPECT_NEAR(DegreesApart(seen.polePositionAngle / kDeg, 0.0), 0.0, 1e-6);
    // Seen from straight above its pole the pole has no position angle.
    Vector3 fromAbove = {0.0, 0.0, -1.0};
    seen = OrientationFrom(RotationModel(12, kJ2000), fromAbove);
    EXPECT_NEAR(seen.subViewerLatitude, kTruePi / 2, 1e-9);
    EXPECT_FALSE(std::isnan(seen.centralMeridian) || std::isnan(seen.polePositionAngle));
    for (int type : {11, -5}) { // no model: the pole at the celestial pole, W = 0
        RotationState none = RotationModel(type, kJ2000 + 1234.5);
        EXPECT_NEAR(std::fabs(none.poleRA) + std::fabs(none.poleDec - kTruePi / 2) +
                        std::fabs(none.meridian),
                    0.0, 1e-8)
            << type;
    }
}

} // namespace
