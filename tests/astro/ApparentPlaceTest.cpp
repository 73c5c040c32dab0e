// Aberration, the Earth's velocity, the site's geocentric position and refraction.

#include "astro/ApparentPlace.h"
#include "astro/Vectors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr double kArcsecond = 4.848136812202333e-6;

double RefractionDegrees(double altitudeDegrees) {
    return RefractionCorrection(altitudeDegrees * kDegree) / kDegree;
}

TEST(ApparentPlace, RefractionAtTheHorizonAndWhereTheBranchesMeet) {
    // 1013.25 mbar x 0.1594 / 295 K.
    EXPECT_NEAR(RefractionDegrees(0.0), 0.5475, 0.0005);
    // The two formulas meet at 0.2618 rad within a few arcseconds.
    double below = RefractionCorrection(0.2618);
    double above = RefractionCorrection(std::nextafter(0.2618, 1.0));
    EXPECT_GT(below, 0.0);
    EXPECT_NEAR(above, below, 5.0 * kArcsecond);
    EXPECT_NEAR(above / kDegree, 0.0579, 0.0005);
    // Falling all the way from below the horizon to the zenith, where it vanishes.
    double previous = RefractionDegrees(-2.0);
    for (double altitude = -1.9; altitude <= 90.0; altitude += 0.1) {
        double r = RefractionDegrees(altitude);
        ASSERT_LT(r, previous + 0.005) << altitude; // the jump at the branch is tiny
        previous = r;
    }
    EXPECT_NEAR(RefractionCorrection(90.0 * kDegree), 0.0, 1e-15);
}

TEST(ApparentPlace, RefractionScalesWithTheAir) {
    double standard = RefractionCorrection(0.5);
    EXPECT_NEAR(RefractionCorrection(0.5, 2.0 * kStandardPressure, kStandardTemperature),
                2.0 * standard, 1e-15);
    EXPECT_NEAR(RefractionCorrection(0.5, kStandardPressure, -5.0), standard * 295.0 / 268.0,
                1e-15);
    EXPECT_EQ(RefractionCorrection(0.1, 0.0, kStandardTemperature), 0.0);
    // No air at absolute zero or below: no refraction rather than a division by zero.
    EXPECT_EQ(RefractionCorrection(0.1, kStandardPressure, -273.0), 0.0);
    EXPECT_EQ(RefractionCorrection(0.1, kStandardPressure, -300.0), 0.0);
}

TEST(ApparentPlace, SiteGeocentricPositionOnTheEllipsoid) {
    // Palomar (Meeus, example 11.a): latitude 33 21' 22", 1706 m; in Earth radii
    // rho cos phi' = 0.836339 and rho sin phi' = 0.546861.
    double latitude = (33.0 + 21.0 / 60.0 + 22.0 / 3600.0) * kDegree;
    Vector3 p;
    SiteGeocentricPosition(0.0, latitude, 1706.0 / 6378140.0, 1.0, 1.0 / 298.257, p);
    EXPECT_NEAR(p[0], 0.836339, 1e-6);
    EXPECT_NEAR(p[1], 0.0, 1e-15);
    EXPECT_NEAR(p[2], 0.546861, 1e-6);

    // On the equator at sea level: the equatorial radius, toward the sidereal time.
    SiteGeocentricPosition(1.0, 0.0, 0.0, kEarthEquatorialRadius, kEarthFlattening, p);
    EXPECT_NEAR(VectorLength(p), kEarthEquatorialRadius, 1e-20);
    EXPECT_NEAR(std::atan2(p[1], p[0]), 1.0, 1e-15);
    // At the poles: the polar radius, whatever the sidereal time; a height adds to it.
    SiteGeocentricPosition(2.0, -kHalfPi, 1000.0 * kMetresToAU, kEarthEquatorialRadius,
                           kEarthFlattening, p);
    EXPECT_NEAR(p[2], -(kEarthEquatorialRadius * (1.0 - kEarthFlattening) + 1000.0 * kMetresToAU),
                1e-14);
    EXPECT_NEAR(std::hypot(p[0], p[1]), 0.0, 1e-14);
}

TEST(ApparentPlace, AberrationShiftsTowardTheApexByTheExactAngle) {
    const double speed = 1e-4; // about the Earth's orbital speed over c
    Vector3 velocity = {speed, 0.0, 0.0};
    // At right angles to the motion the shift is asin(v/c), toward the apex.
    Vector3 p = {0.0, 2.0, 0.0};
    Aberrate(p, velocity);
    EXPECT_NEAR(VectorLength(p), 2.0, 1e-15);
    EXPECT_NEAR(std::atan2(p[0], p[1]), std::asin(speed), 1e-15);
    // At the apex and the antapex nothing moves.
    Vector3 apex = {3.0, 0.0, 0.0};
    Aberrate(apex, velocity);
    EXPECT_NEAR(apex[0], 3.0, 1e-15);
    EXPECT_EQ(apex[1], 0.0);
    Vector3 antapex = {-1.0, 0.0, 0.0};
    Aberrate(antapex, velocity);
    EXPECT_NEAR(antapex[0], -1.0, 1e-15);
    // Classical aberration to first order at 45 degrees: v/c sin 45.
    Vector3 q = {1.0, 1.0, 0.0};
    Aberrate(q, velocity);
    EXPECT_NEAR(std::atan2(q[1], q[0]), kDegree * 45.0 - speed * std::sqrt(0.5), 1e-8);
    // A zero vector stays zero; no velocity, no change.
    Vector3 zero = {0.0, 0.0, 0.0};
    Aberrate(zero, velocity);
    EXPECT_EQ(zero[0], 0.0);
    EXPECT_EQ(zero[1], 0.0);
    EXPECT_EQ(zero[2], 0.0);
    Vector3 still = {0.3, -0.4, 0.5};
    Vector3 none = {0.0, 0.0, 0.0};
    Aberrate(still, none);
    EXPECT_DOUBLE_EQ(still[0], 0.3);
    EXPECT_DOUBLE_EQ(still[1], -0.4);
    EXPECT_DOUBLE_EQ(still[2], 0.5);
}

} // namespace
