// The two-body orbit: Kepler's equation on every branch, degenerate and
// extreme inputs, the invariants of a Kepler orbit, and a real orbit against a
// numerical ephemeris.

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

// Kepler's equation at the eccentric anomaly of a true anomaly on an ellipse:
// how far the solution is from M.
double KeplerResidual(double M, double e, double nu) {
    double E = 2.0 * std::atan(std::sqrt((1.0 - e) / (1.0 + e)) * std::tan(nu / 2.0));
    return AngleDifference(E - e * std::sin(E), M);
}

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

TEST(SolveOrbit, EllipseSatisfiesKeplersEquationOnBothMethods) {
    for (double e : {0.0, 0.5, 0.974, 0.975, 0.999, 0.99999})
        for (double M : {0.0, 1e-6, 3.14159265358979, 4.7, -20.0, 100.25}) {
            SCOPED_TRACE(testing::Message() << "e " << e << " M " << M);
            double nu = -1.0, r = -1.0, aphelion = 1.3 * (1.0 + e) / (1.0 - e);
            ASSERT_TRUE(SolveOrbit(M, e, 1.3, &nu, &r));
            // The bisection stops with a step of 1e-8, so E is good to about 2e-8.
            EXPECT_LT(std::fabs(KeplerResidual(M, e, nu)), 3e-8);
            // Near aphelion of e = 0.99999 the rounding of v shows at 1e-11.
            EXPECT_NEAR(r, 1.3 * (1.0 + e) / (1.0 + e * std::cos(nu)), 1e-10 * r);
            EXPECT_TRUE(r >= 1.3 * (1.0 - 1e-12) && r <= aphelion * (1.0 + 1e-12)) << r;
        }
}

TEST(SolveOrbit, ParabolaFollowsBarkersEquationAndHyperbolaItsKeplerEquation) {
    double nu = 1.0, r = 0.0;
    // W = 3 tan(v/2) + tan^3(v/2), r = q / cos^2(v/2).
    for (double degrees : {-179.0, 0.0, 1e-4, 90.0, 178.0}) {
        double v = degrees * kDeg, s = std::tan(v / 2.0);
        ASSERT_TRUE(SolveOrbit(3.0 * s + s * s * s, 1.0, 0.7, &nu, &r));
        EXPECT_NEAR(nu, v, 1e-8) << degrees;
        EXPECT_NEAR(r, 0.7 * (1.0 + s * s), 1e-8 * r) << degrees;
    }
    // The start s = W overflows when cubed; the solution is still found.
    ASSERT_TRUE(SolveOrbit(1e200, 1.0, 1.0, &nu, &r));
    EXPECT_NEAR(nu, kTruePi, 1e-12);
    EXPECT_NEAR(r, std::pow(1e200, 2.0 / 3.0), 1e-9 * r);
    for (double e : {1.0001, 2.0, 7.5})
        for (double M : {-500.0, 0.0, 1e-5, 0.7, 1e4}) {
            SCOPED_TRACE(testing::Message() << "e " << e << " M " << M);
            ASSERT_TRUE(SolveOrbit(M, e, 0.5, &nu, &r));
            double H = 2.0 * std::atanh(std::sqrt((e - 1.0) / (e + 1.0)) * std::tan(nu / 2.0));
            EXPECT_NEAR(e * std::sinh(H) - H, M, 1e-7 * std::max(1.0, std::fabs(M)));
            EXPECT_NEAR(r, 0.5 * (e * std::cosh(H) - 1.0) / (e - 1.0), 1e-7 * r);
            EXPECT_LT(std::fabs(nu), std::acos(-1.0 / e)) << "inside the asymptotes";
        }
}

TEST(SolveOrbit, DegenerateAndNonFiniteInputs) {
    for (double e : {0.5, 1.0, 3.0, -0.4}) {
        double nu = 5.0, r = 5.0;
        ASSERT_TRUE(SolveOrbit(2.0, e, 0.0, &nu, &r));
        EXPECT_TRUE(nu == 0.0 && r == 0.0) << "zero perihelion, e " << e;
    }
    // A negative eccentricity turns the orbit half round in its plane.
    for (double M : {0.0, 2.5}) {
        Vector3 turned, plain;
        ASSERT_TRUE(OrbitPosition(1.5, -0.4, 0.3, 1.0, 2.0, M, turned));
        ASSERT_TRUE(OrbitPosition(1.5, 0.4, 0.3, 1.0 + kTruePi, 2.0, M, plain));
        EXPECT_LT(AngleBetween(turned, plain), 1e-12) << M;
    }
    const double bad[][3] = {
        {kNaN, 0.5, 1.0}, {1.0, kNaN, 1.0}, {1.0, 0.5, kInfinity}, {-kInfinity, 2.0, 1.0}};
    for (const auto& [M, e, q] : bad) {
        double nu = 11.0, r = 22.0;
        EXPECT_FALSE(SolveOrbit(M, e, q, &nu, &r)) << M << " " << e << " " << q;
        EXPECT_TRUE(nu == 11.0 && r == 22.0);
    }
    // A hyperbolic anomaly of several hundred overflows sinh: a finite answer
    // or a refusal, never a NaN.
    for (double M : {1e15, 1e300, -1e300}) {
        double nu = 11.0, r = 22.0;
        const bool solved = SolveOrbit(M, 1.5, 1.0, &nu, &r);
        EXPECT_TRUE(solved ? std::isfinite(nu) && std::isfinite(r) && r > 0.0
                           : nu == 11.0 && r == 22.0)
            << M;
    }
    Vector3 position = {1.0, 2.0, 3.0};
    EXPECT_FALSE(OrbitPosition(1.0, 0.5, 0.1, kInfinity, 0.0, 1.0, position));
    EXPECT_FALSE(ElementsPosition(Elements(kNaN, 2.5, 0.1, 0, 0, 0, 0), kJ2000, position));
    EXPECT_EQ(std::vector<double>(position, position + 3), (std::vector<double>{1, 2, 3}));
}

TEST(ElementsPosition, CeresKeepsTheInvariantsOfItsOrbit) {
    // Osculating elements of the JPL Small-Body Database at MJD 59800.
    const OrbitalElements ceres =
        Elements(2459800.5, 2.549063861972717, 0.07863575691875528, 10.58679512153367 * kDeg,
                 73.53162522557164 * kDeg, 80.2664361119415 * kDeg, 334.3271698971151 * kDeg);
    const double n = ceres.meanMotion, period = kTurn / n, a = ceres.q / (1.0 - ceres.e);
    EXPECT_NEAR(period / 365.25, 4.6018, 0.001); // Kepler's third law for a = 2.7666 AU
    // The speed follows the vis-viva law, the angular momentum is constant, and
    // on the ecliptic the orbit's pole is (sin i sin node, -sin i cos node, cos i).
    const double h = 0.01, momentum = std::sqrt(kGaussianGM * a * (1.0 - ceres.e * ceres.e));
    const double si = std::sin(ceres.inclination);
    const Vector3 pole = {si * std::sin(ceres.node), -si * std::cos(ceres.node),
                          std::cos(ceres.inclination)};
    for (double t = ceres.epoch - 900.0; t < ceres.epoch + 900.0; t += 197.0) {
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
}

TEST(ElementsPosition, ParabolicCometKeepsToBarkersLaw) {
    // The time from perihelion is sqrt(2 q^3 / GM) (D + D^3 / 3), D = tan(v/2).
    const OrbitalElements comet = Elements(2460000.5, 0.35, 1.0, 2.5, 0.4, 4.0, 0.0);
    Vector3 perihelion, position;
    ASSERT_TRUE(ElementsPosition(comet, comet.epoch, perihelion));
    for (double v : {-2.5, 1.2}) {
        double D = std::tan(v / 2.0);
        double t = std::sqrt(2.0 * std::pow(comet.q, 3) / kGaussianGM) * (D + D * D * D / 3.0);
        ASSERT_TRUE(ElementsPosition(comet, comet.epoch + t, position));
        EXPECT_NEAR(VectorLength(position), comet.q * (1.0 + D * D), 1e-8) << v;
        EXPECT_NEAR(AngleBetween(position, perihelion), std::fabs(v), 1e-8) << v;
    }
}

TEST(ElementsPosition, EarthFromOsculatingElementsFollowsTheEphemeris) {
    // Osculating elements of the Earth-Moon barycentre at J2000 from
    // astronomy-engine's state vector; the references are its heliocentric
    // Earth (J2000 equatorial, AU), up to 4700 km off the barycentre, about 7".
    const OrbitalElements earth{kJ2000,
                                0.98328027649897554,
                                0.016654137292509023,
                                0.0000058179446177208710,
                                2.6886018416392234,
                                -0.89222141032454028,
                                -0.042970537867936635,
                                0.017203846239315916,
                                0.0,
                                0.0};
    // Days after J2000, then the position.
    const double references[][4] = {
        {-60.0, 0.764302347295010, 0.580604025059246, 0.251722972518564},
        {0.0, -0.177130105578804, 0.887414947127160, 0.384741230552424},
        {60.0, -0.938245304478316, 0.292773608139029, 0.126932531025944}};
    for (const auto& r : references) {
        Vector3 position, reference = {r[1], r[2], r[3]};
        ASSERT_TRUE(ElementsPosition(earth, kJ2000 + r[0], position));
        EXPECT_LT(AngleBetween(position, reference), 20.0 * kArcsec) << r[0];
        EXPECT_NEAR(VectorLength(position), VectorLength(reference), 1e-4);
    }
}

TEST(ElementsPosition, RatesTurnTheOrbit) {
    // A circle in the ecliptic: at M = 0 the body lies at longitude node +
    // perihelion, both advanced by their rates.
    OrbitalElements orbit{kJ2000, 2.0, 0.0, 0.0, 0.5, 1.0, 0.0, 0.0, 0.01, -0.003};
    Vector3 position;
    ASSERT_TRUE(ElementsPosition(orbit, kJ2000 + 100.0, position));
    ToEcliptic(position);
    EXPECT_NEAR(position[2], 0.0, 1e-12);
    EXPECT_NEAR(AngleDifference(std::atan2(position[1], position[0]), 1.5 + 100.0 * 0.007), 0.0,
                1e-9);
}

} // namespace
