// The two-body orbit: Kepler's equation on every branch, the boundary between
// bisection and Newton's method, degenerate and extreme inputs, the invariants
// of a Kepler orbit, and a real orbit against a numerical ephemeris.

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

// 1 Ceres, osculating elements of the JPL Small-Body Database at MJD 59800
// (J2000 ecliptic and equinox).
OrbitalElements CeresElements() {
    OrbitalElements ceres{};
    ceres.epoch = 59800.0 + 2400000.5;
    ceres.e = 0.07863575691875528;
    ceres.q = 2.549063861972717;
    ceres.inclination = 10.58679512153367 * kDeg;
    ceres.node = 80.2664361119415 * kDeg;
    ceres.perihelion = 73.53162522557164 * kDeg;
    ceres.meanAnomaly = 334.3271698971151 * kDeg;
    ceres.meanMotion = MeanMotion(kGaussianGM, ceres.q, ceres.e);
    return ceres;
}

TEST(SolveOrbit, EllipseSatisfiesKeplersEquationOnBothMethods) {
    for (double e : {0.0, 0.1, 0.5, 0.9, 0.974, 0.975, 0.985, 0.99, 0.999, 0.99999}) {
        for (double M :
             {0.0, 1e-6, 0.3, 1.5, 3.14159265358979, 3.2, 4.7, 6.28, -0.5, -20.0, 100.25}) {
            SCOPED_TRACE(testing::Message() << "e " << e << " M " << M);
            double nu = -1.0, r = -1.0, aphelion = 1.3 * (1.0 + e) / (1.0 - e);
            ASSERT_TRUE(SolveOrbit(M, e, 1.3, &nu, &r));
            // The bisection stops with a step of 1e-8, so E is good to about 2e-8.
            EXPECT_LT(std::fabs(KeplerResidual(M, e, nu)), 3e-8);
            // Near aphelion of e = 0.99999, 1 + e cos v cancels to 1e-5 and the
            // rounding of v shows at 1e-11.
            EXPECT_NEAR(r, 1.3 * (1.0 + e) / (1.0 + e * std::cos(nu)), 1e-10 * r);
            EXPECT_TRUE(r >= 1.3 * (1.0 - 1e-12) && r <= aphelion * (1.0 + 1e-12)) << r;
        }
    }
    // Newton's method takes one more step after meeting the tolerance and lands
    // on the root; the bisection, which takes over at e = 0.975, is left a few
    // 1e-9 away. Which method ran shows in how exactly the equation holds.
    int inexactBelow = 0, inexactAt = 0, count = 0;
    for (double M = 0.05; M < 6.28; M += 0.25, ++count) {
        double nu = 0.0, r = 0.0;
        ASSERT_TRUE(SolveOrbit(M, 0.974, 1.0, &nu, &r));
        inexactBelow += std::fabs(KeplerResidual(M, 0.974, nu)) > 1e-12;
        ASSERT_TRUE(SolveOrbit(M, 0.975, 1.0, &nu, &r));
        inexactAt += std::fabs(KeplerResidual(M, 0.975, nu)) > 1e-12;
    }
    EXPECT_EQ(inexactBelow, 0) << "e = 0.974 should be solved by Newton's method";
    EXPECT_GT(inexactAt, count * 3 / 4) << "e = 0.975 should be solved by bisection";
}

TEST(SolveOrbit, ParabolaFollowsBarkersEquationAndHyperbolaItsKeplerEquation) {
    double nu = 1.0, r = 0.0;
    ASSERT_TRUE(SolveOrbit(0.0, 1.0, 0.7, &nu, &r));
    EXPECT_EQ(nu, 0.0);
    EXPECT_EQ(r, 0.7);
    // W = 3 tan(v/2) + tan^3(v/2), r = q / cos^2(v/2); the iteration stops once
    // the cubic is within 1e-8 of W.
    for (double degrees : {-179.0, -120.0, -45.0, 1e-4, 30.0, 90.0, 150.0, 178.0}) {
        double v = degrees * kDeg, s = std::tan(v / 2.0);
        ASSERT_TRUE(SolveOrbit(3.0 * s + s * s * s, 1.0, 0.7, &nu, &r));
        EXPECT_NEAR(nu, v, 1e-8) << degrees;
        EXPECT_NEAR(r, 0.7 * (1.0 + s * s), 1e-8 * r) << degrees;
    }
    for (double e : {1.0001, 1.2, 2.0, 7.5}) {
        for (double M : {-500.0, -3.0, 0.0, 1e-5, 0.7, 40.0, 1e4}) {
            SCOPED_TRACE(testing::Message() << "e " << e << " M " << M);
            ASSERT_TRUE(SolveOrbit(M, e, 0.5, &nu, &r));
            double H = 2.0 * std::atanh(std::sqrt((e - 1.0) / (e + 1.0)) * std::tan(nu / 2.0));
            EXPECT_NEAR(e * std::sinh(H) - H, M, 1e-7 * std::max(1.0, std::fabs(M)));
            EXPECT_NEAR(r, 0.5 * (e * std::cosh(H) - 1.0) / (e - 1.0), 1e-7 * r);
            EXPECT_LT(std::fabs(nu), std::acos(-1.0 / e)) << "inside the asymptotes";
        }
    }
}

TEST(SolveOrbit, ZeroPerihelionAndNegativeEccentricity) {
    for (double e : {0.0, 0.5, 0.99, 1.0, 3.0, -0.4}) {
        double nu = 5.0, r = 5.0;
        ASSERT_TRUE(SolveOrbit(2.0, e, 0.0, &nu, &r));
        EXPECT_EQ(nu, 0.0);
        EXPECT_EQ(r, 0.0);
    }
    // A negative eccentricity turns both e and q over: the same conic with the
    // radius negative, the orbit in space turned half round in its plane.
    for (double M : {0.0, 0.8, 2.5, 4.0}) {
        double nu1, r1, nu2, r2;
        ASSERT_TRUE(SolveOrbit(M, -0.4, 1.5, &nu1, &r1));
        ASSERT_TRUE(SolveOrbit(M, 0.4, -1.5, &nu2, &r2));
        EXPECT_EQ(nu1, nu2);
        EXPECT_EQ(r1, r2);
        EXPECT_LT(r1, 0.0);
        Vector3 turned, plain;
        ASSERT_TRUE(OrbitPosition(1.5, -0.4, 0.3, 1.0, 2.0, M, turned));
        ASSERT_TRUE(OrbitPosition(1.5, 0.4, 0.3, 1.0 + kTruePi, 2.0, M, plain));
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(turned[k], plain[k], 1e-12) << M;
    }
}

TEST(SolveOrbit, NonFiniteInputsAndResultsAreRefused) {
    const double bad[][3] = {{kNaN, 0.5, 1.0},      {kInfinity, 0.5, 1.0}, {1.0, kNaN, 1.0},
                             {1.0, 0.5, kInfinity}, {kInfinity, 1.0, 1.0}, {-kInfinity, 2.0, 1.0},
                             {1.0, kInfinity, 1.0}};
    for (const auto& c : bad) {
        double nu = 11.0, r = 22.0;
        EXPECT_FALSE(SolveOrbit(c[0], c[1], c[2], &nu, &r)) << c[0] << " " << c[1] << " " << c[2];
        EXPECT_TRUE(nu == 11.0 && r == 22.0);
    }
    // Extreme but finite anomalies: a finite answer or a refusal, never a NaN.
    // A hyperbolic anomaly of several hundred overflows sinh.
    for (double e : {1.0000001, 1.5, 50.0}) {
        for (double M : {1e15, 1e100, 1e300, -1e300}) {
            double nu = 11.0, r = 22.0;
            if (SolveOrbit(M, e, 1.0, &nu, &r))
                EXPECT_TRUE(std::isfinite(nu) && std::isfinite(r) && r > 0.0) << e << " " << M;
            else
                EXPECT_TRUE(nu == 11.0 && r == 22.0);
        }
    }
    // On a parabola the start s = W overflows when cubed; the solution is still
    // found, far along the orbit: s = W^(1/3), r = q (1 + s^2).
    double nu = 0.0, r = 0.0;
    ASSERT_TRUE(SolveOrbit(1e200, 1.0, 1.0, &nu, &r));
    EXPECT_NEAR(nu, kTruePi, 1e-12);
    EXPECT_NEAR(r, std::pow(1e200, 2.0 / 3.0), 1e-9 * r);
    // The position keeps its old value when there is no solution.
    Vector3 position = {1.0, 2.0, 3.0};
    EXPECT_FALSE(OrbitPosition(1.0, 0.5, 0.1, kInfinity, 0.0, 1.0, position));
    OrbitalElements broken = CeresElements();
    broken.epoch = kNaN;
    EXPECT_FALSE(ElementsPosition(broken, kJ2000, position));
    EXPECT_EQ(std::vector<double>(position, position + 3), (std::vector<double>{1, 2, 3}));
}

TEST(ElementsPosition, CeresKeepsTheInvariantsOfItsOrbit) {
    const OrbitalElements ceres = CeresElements();
    const double n = ceres.meanMotion, period = kTurn / n, a = ceres.q / (1.0 - ceres.e);
    EXPECT_NEAR(period / 365.25, 4.6018, 0.001); // Kepler's third law for a = 2.7666 AU
    Vector3 start, later, p;
    ASSERT_TRUE(ElementsPosition(ceres, ceres.epoch, start));
    ASSERT_TRUE(ElementsPosition(ceres, ceres.epoch + 7.0 * period, later));
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(later[k], start[k], 1e-9);
    // Perihelion when the mean anomaly comes round to 0, aphelion half a period later.
    double perihelionTime = ceres.epoch + (kTurn - ceres.meanAnomaly) / n;
    ASSERT_TRUE(ElementsPosition(ceres, perihelionTime, p));
    EXPECT_NEAR(VectorLength(p), ceres.q, 1e-12);
    ASSERT_TRUE(ElementsPosition(ceres, perihelionTime + period / 2.0, p));
    EXPECT_NEAR(VectorLength(p), a * (1.0 + ceres.e), 1e-12);

    // The speed follows the vis-viva law, the angular momentum is constant, and
    // on the ecliptic the orbit's pole is (sin i sin node, -sin i cos node, cos i).
    const double h = 0.01, momentum = std::sqrt(kGaussianGM * a * (1.0 - ceres.e * ceres.e));
    const double si = std::sin(ceres.inclination);
    const Vector3 pole = {si * std::sin(ceres.node), -si * std::cos(ceres.node),
                          std::cos(ceres.inclination)};
    for (double t = ceres.epoch - 900.0; t < ceres.epoch + 900.0; t += 97.0) {
        Vector3 before, here, after, velocity, l;
        ASSERT_TRUE(ElementsPosition(ceres, t - h, before));
        ASSERT_TRUE(ElementsPosition(ceres, t, here));
        ASSERT_TRUE(ElementsPosition(ceres, t + h, after));
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
    // Through perihelion at the epoch: the time from perihelion is
    // sqrt(2 q^3 / GM) (D + D^3 / 3), D = tan(v/2), the radius q (1 + D^2).
    OrbitalElements comet{};
    comet.epoch = 2460000.5;
    comet.q = 0.35;
    comet.e = 1.0;
    comet.inclination = 2.5;
    comet.perihelion = 0.4;
    comet.node = 4.0;
    comet.meanMotion = MeanMotion(kGaussianGM, comet.q, comet.e);
    Vector3 perihelion, position;
    ASSERT_TRUE(ElementsPosition(comet, comet.epoch, perihelion));
    EXPECT_NEAR(VectorLength(perihelion), comet.q, 1e-15);
    for (double v : {-2.5, -1.0, 0.3, 1.2, 2.8}) {
        double D = std::tan(v / 2.0);
        double t = std::sqrt(2.0 * std::pow(comet.q, 3) / kGaussianGM) * (D + D * D * D / 3.0);
        ASSERT_TRUE(ElementsPosition(comet, comet.epoch + t, position));
        EXPECT_NEAR(VectorLength(position), comet.q * (1.0 + D * D), 1e-8) << v;
        EXPECT_NEAR(AngleBetween(position, perihelion), std::fabs(v), 1e-8) << v;
    }
}

TEST(ElementsPosition, EarthFromOsculatingElementsFollowsTheEphemeris) {
    // Osculating elements of the Earth-Moon barycentre at J2000 from
    // astronomy-engine's state vector, the mean motion with the mass of the
    // Earth and Moon; the references are its heliocentric Earth (J2000
    // equatorial, AU), up to 4700 km off the barycentre, about 7".
    // Epoch, q, e, inclination, perihelion, node, mean anomaly, mean motion, rates.
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
    struct Reference {
        double days;
        Vector3 position;
    };
    // clang-format off
    const Reference references[] = {
        {-60.0, {0.764302347295010, 0.580604025059246, 0.251722972518564}},
        {-20.0, {0.170705357849488, 0.889652016831076, 0.385711326353831}},
        {0.0, {-0.177130105578804, 0.887414947127160, 0.384741230552424}},
        {20.0, {-0.503195287729632, 0.775859423876383, 0.336375838651679}},
        {60.0, {-0.938245304478316, 0.292773608139029, 0.126932531025944}}};
    // clang-format on
    for (const Reference& reference : references) {
        Vector3 position;
        ASSERT_TRUE(ElementsPosition(earth, kJ2000 + reference.days, position));
        EXPECT_LT(AngleBetween(position, reference.position), 20.0 * kArcsec) << reference.days;
        EXPECT_NEAR(VectorLength(position), VectorLength(reference.position), 1e-4);
    }
}

TEST(ElementsPosition, RatesTurnTheOrbit) {
    // A circle in the ecliptic: at M = 0 the body lies at longitude node +
    // perihelion, both advanced by their rates.
    OrbitalElements orbit{};
    orbit.epoch = kJ2000;
    orbit.q = 2.0;
    orbit.perihelion = 0.5;
    orbit.node = 1.0;
    orbit.perihelionRate = 0.01;
    orbit.nodeRate = -0.003;
    Vector3 position;
    ASSERT_TRUE(ElementsPosition(orbit, kJ2000 + 100.0, position));
    ToEcliptic(position);
    EXPECT_NEAR(position[2], 0.0, 1e-12);
    EXPECT_NEAR(AngleDifference(std::atan2(position[1], position[0]), 1.5 + 100.0 * 0.007), 0.0,
                1e-9);
    EXPECT_NEAR(std::hypot(position[0], position[1]), 2.0, 1e-12);
}

} // namespace
