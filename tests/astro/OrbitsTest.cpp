// The two-body orbit: Kepler's equation on every branch, degenerate inputs,
// the invariants of an orbit, and the Earth against an ephemeris.

#include "AstroTest.h"

#include "astro/Orbits.h"
#include "astro/Precession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

using namespace astro_test;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// J2000 equatorial to ecliptic, by hand.
void ToEcliptic(Vector3& v) {
    double c = std::cos(MeanObliquity(kJ2000)), s = std::sin(MeanObliquity(kJ2000));
    double y = c * v[1] + s * v[2], z = -s * v[1] + c * v[2];
    v[1] = y;
    v[2] = z;
}

OrbitalElements Elements(double epoch, double q, double e, double i, double perihelion, double node,
                         double M) {
    return {epoch, q, e, i, perihelion, node, M, MeanMotion(kGaussianGM, q, e), 0.0, 0.0};
}

// A row of the elements fixture: angles in degrees, no mean motion given is
// the one of q and e.
OrbitalElements FixtureElements(int row) {
    const auto e = ReadCsv("tests/astro/elements.csv").at(row);
    OrbitalElements o =
        Elements(e[0], e[1], e[2], e[3] * kDeg, e[4] * kDeg, e[5] * kDeg, e[6] * kDeg);
    if (!std::isnan(e[7])) o.meanMotion = e[7] * kDeg;
    return o;
}

TEST(SolveOrbit, EllipseParabolaAndHyperbolaSatisfyTheirKeplerEquations) {
    double nu = -1.0, r = -1.0;
    // Both methods of the ellipse (the bisection above e = 0.975 stops with a
    // step of 1e-8, so E is good to about 2e-8).
    for (double e : {0.0, 0.974, 0.975, 0.99999})
        for (double M : {1e-6, 3.14159265358979, -20.0}) {
            SCOPED_TRACE(testing::Message() << "e " << e << " M " << M);
            ASSERT_TRUE(SolveOrbit(M, e, 1.3, &nu, &r));
            double E = 2.0 * std::atan(std::sqrt((1.0 - e) / (1.0 + e)) * std::tan(nu / 2.0));
            EXPECT_LT(std::fabs(AngleDifference(E - e * std::sin(E), M)), 3e-8);
            // Near aphelion of e = 0.99999 the rounding of v shows at 1e-11.
            EXPECT_NEAR(r, 1.3 * (1.0 + e) / (1.0 + e * std::cos(nu)), 1e-10 * r);
        }
    // Barker's equation W = 3 tan(v/2) + tan^3(v/2), r = q / cos^2(v/2).
    for (double degrees : {-179.0, 1e-4, 178.0}) {
        double v = degrees * kDeg, s = std::tan(v / 2.0);
        ASSERT_TRUE(SolveOrbit(3.0 * s + s * s * s, 1.0, 0.7, &nu, &r));
        EXPECT_NEAR(nu, v, 1e-8) << degrees;
        EXPECT_NEAR(r, 0.7 * (1.0 + s * s), 1e-8 * r) << degrees;
    }
    // The start s = W overflows when cubed; the solution is still found.
    ASSERT_TRUE(SolveOrbit(1e200, 1.0, 1.0, &nu, &r));
    EXPECT_NEAR(r, std::pow(1e200, 2.0 / 3.0), 1e-9 * r);
    for (double e : {1.0001, 7.5})
        for (double M : {-500.0, 1e-5, 1e4}) {
            SCOPED_TRACE(testing::Message() << "e " << e << " M " << M);
            ASSERT_TRUE(SolveOrbit(M, e, 0.5, &nu, &r));
            double H = 2.0 * std::atanh(std::sqrt((e - 1.0) / (e + 1.0)) * std::tan(nu / 2.0));
            EXPECT_NEAR(e * std::sinh(H) - H, M, 1e-7 * std::max(1.0, std::fabs(M)));
            EXPECT_NEAR(r, 0.5 * (e * std::cosh(H) - 1.0) / (e - 1.0), 1e-7 * r);
        }
}

TEST(SolveOrbit, DegenerateAndNonFiniteInputs) {
    double nu = 5.0, r = 5.0;
    ASSERT_TRUE(SolveOrbit(2.0, 3.0, 0.0, &nu, &r));
    EXPECT_TRUE(nu == 0.0 && r == 0.0) << "zero perihelion";
    // A negative eccentricity turns the orbit half round in its plane.
    Vector3 turned, plain;
    ASSERT_TRUE(OrbitPosition(1.5, -0.4, 0.3, 1.0, 2.0, 2.5, turned));
    ASSERT_TRUE(OrbitPosition(1.5, 0.4, 0.3, 1.0 + kTruePi, 2.0, 2.5, plain));
    EXPECT_LT(AngleBetween(turned, plain), 1e-12);
    // Refusals leave the outputs alone; a hyperbolic anomaly of several
    // hundred overflows sinh: a finite answer or a refusal, never a NaN.
    const double cases[][3] = {{kNaN, 0.5, 1.0}, {1.0, 0.5, kInfinity}, {1e300, 1.5, 1.0}};
    for (const auto& [M, e, q] : cases) {
        nu = 11.0, r = 22.0;
        const bool solved = SolveOrbit(M, e, q, &nu, &r);
        EXPECT_TRUE(solved ? std::isfinite(nu) && std::isfinite(r) && r > 0.0 && M == 1e300
                           : nu == 11.0 && r == 22.0)
            << M << " " << e << " " << q;
    }
    Vector3 position = {1.0, 2.0, 3.0};
    EXPECT_FALSE(OrbitPosition(1.0, 0.5, 0.1, kInfinity, 0.0, 1.0, position));
    EXPECT_FALSE(ElementsPosition(Elements(kNaN, 2.5, 0.1, 0, 0, 0, 0), kJ2000, position));
    EXPECT_EQ(std::vector<double>(position, position + 3), (std::vector<double>{1, 2, 3}));
}

TEST(ElementsPosition, CeresKeepsTheInvariantsOfItsOrbit) {
    const OrbitalElements ceres = FixtureElements(0);
    const double a = ceres.q / (1.0 - ceres.e);
    EXPECT_NEAR(kTurn / ceres.meanMotion / 365.25, 4.6018, 0.001); // Kepler's third law
    // Vis-viva, constant angular momentum, the pole (sin i sin node, -sin i cos
    // node, cos i) on the ecliptic.
    const double h = 0.01, momentum = std::sqrt(kGaussianGM * a * (1.0 - ceres.e * ceres.e));
    const double si = std::sin(ceres.inclination);
    const Vector3 pole = {si * std::sin(ceres.node), -si * std::cos(ceres.node),
                          std::cos(ceres.inclination)};
    for (double t = ceres.epoch - 900.0; t < ceres.epoch + 900.0; t += 397.0) {
        Vector3 before, here, after, velocity, l;
        ASSERT_TRUE(ElementsPosition(ceres, t - h, before) && ElementsPosition(ceres, t, here) &&
                    ElementsPosition(ceres, t + h, after));
        for (int k = 0; k < 3; ++k)
            velocity[k] = (after[k] - before[k]) / (2.0 * h);
        double speed2 = DotProduct(velocity, velocity);
        EXPECT_NEAR(speed2, kGaussianGM * (2.0 / VectorLength(here) - 1.0 / a), 1e-7 * speed2);
        CrossProduct(here, velocity, l);
        EXPECT_NEAR(VectorLength(l), momentum, 1e-7 * momentum) << t;
        ToEcliptic(l);
        EXPECT_LT(AngleBetween(l, pole), 1e-9) << t;
    }
    // A parabolic comet keeps to Barker's law: the time from perihelion is
    // sqrt(2 q^3 / GM) (D + D^3 / 3), D = tan(v/2).
    const OrbitalElements comet = Elements(2460000.5, 0.35, 1.0, 2.5, 0.4, 4.0, 0.0);
    Vector3 perihelion, position;
    const double D = std::tan(-1.25);
    ASSERT_TRUE(ElementsPosition(comet, comet.epoch, perihelion));
    ASSERT_TRUE(ElementsPosition(
        comet, comet.epoch + std::sqrt(2.0 * std::pow(0.35, 3) / kGaussianGM) * (D + D * D * D / 3),
        position));
    EXPECT_NEAR(VectorLength(position), comet.q * (1.0 + D * D), 1e-8);
    EXPECT_NEAR(AngleBetween(position, perihelion), 2.5, 1e-8);
}

TEST(ElementsPosition, EarthFromOsculatingElementsFollowsTheEphemeris) {
    // astronomy-engine's barycentre; its Earth is up to 7" off.
    const OrbitalElements earth = FixtureElements(1);
    // Days after J2000, then the position.
    const double references[][4] = {
        {-60.0, 0.764302347295010, 0.580604025059246, 0.251722972518564},
        {60.0, -0.938245304478316, 0.292773608139029, 0.126932531025944}};
    for (const auto& r : references) {
        Vector3 position, reference = {r[1], r[2], r[3]};
        ASSERT_TRUE(ElementsPosition(earth, kJ2000 + r[0], position));
        EXPECT_LT(AngleBetween(position, reference), 20.0 * kArcsec) << r[0];
        EXPECT_NEAR(VectorLength(position), VectorLength(reference), 1e-4);
    }
    // Rates turn the orbit: a circle in the ecliptic at M = 0 lies at
    // longitude node + perihelion, both advanced by their rates.
    OrbitalElements orbit{kJ2000, 2.0, 0.0, 0.0, 0.5, 1.0, 0.0, 0.0, 0.01, -0.003};
    Vector3 position;
    ASSERT_TRUE(ElementsPosition(orbit, kJ2000 + 100.0, position));
    ToEcliptic(position);
    EXPECT_NEAR(position[2], 0.0, 1e-12);
    EXPECT_NEAR(AngleDifference(std::atan2(position[1], position[0]), 1.5 + 0.7), 0.0, 1e-9);
}

} // namespace
