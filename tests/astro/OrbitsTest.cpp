// The two-body orbit solution: Kepler's equation on every branch, the
// boundary between bisection and Newton's method, the degenerate and extreme
// inputs, the invariants of a Kepler orbit, and a real orbit against a
// numerical ephemeris.

#include "astro/Orbits.h"
#include "astro/Precession.h"
#include "astro/Vectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kTruePi = 3.14159265358979323846;
constexpr double kDegree = kTruePi / 180.0;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Difference of two angles folded into (-pi, pi].
double AngleDifference(double a, double b) {
    return std::remainder(a - b, 2.0 * kTruePi);
}

double AngleBetween(const Vector3& a, const Vector3& b) {
    Vector3 cross;
    CrossProduct(a, b, cross);
    return std::atan2(VectorLength(cross), DotProduct(a, b));
}

// The eccentric anomaly that belongs to a true anomaly on an ellipse, and
// Kepler's equation evaluated there: how far the solution is from M.
double KeplerResidual(double M, double e, double nu) {
    double E = 2.0 * std::atan(std::sqrt((1.0 - e) / (1.0 + e)) * std::tan(nu / 2.0));
    return AngleDifference(E - e * std::sin(E), M);
}

// 1 Ceres, osculating elements of the JPL Small-Body Database at MJD 59800
// (J2000 ecliptic and equinox).
OrbitalElements CeresElements() {
    OrbitalElements ceres{};
    ceres.epoch = 59800.0 + 2400000.5;
    ceres.e = 0.07863575691875528;
    ceres.q = 2.549063861972717;
    ceres.inclination = 10.58679512153367 * kDegree;
    ceres.node = 80.2664361119415 * kDegree;
    ceres.perihelion = 73.53162522557164 * kDegree;
    ceres.meanAnomaly = 334.3271698971151 * kDegree;
    ceres.meanMotion = MeanMotion(kGaussianGM, ceres.q, ceres.e);
    return ceres;
}

TEST(SolveOrbit, EllipseSatisfiesKeplersEquationOnBothMethods) {
    const std::vector<double> eccentricities = {0.0,   0.1,   0.5,  0.9,   0.974,
                                                0.975, 0.985, 0.99, 0.999, 0.99999};
    const std::vector<double> anomalies = {0.0,  1e-6, 0.3,   1.5,   3.14159265358979, 3.2, 4.7,
                                           6.28, -0.5, -20.0, 100.25};
    for (double e : eccentricities) {
        for (double M : anomalies) {
            double nu = -1.0, r = -1.0;
            ASSERT_TRUE(SolveOrbit(M, e, 1.3, &nu, &r)) << e << " " << M;
            // Kepler's equation to the tolerance of the iterations (the
            // bisection stops with a step of 1e-8, so E is good to about 2e-8).
            EXPECT_LT(std::fabs(KeplerResidual(M, e, nu)), 3e-8) << "e " << e << " M " << M;
            // The radius is that of the conic at that true anomaly, and lies
            // between perihelion and aphelion.
            // Near aphelion of e = 0.99999, 1 + e cos v cancels to 1e-5 and
            // the rounding of v shows at 1e-11.
            EXPECT_NEAR(r, 1.3 * (1.0 + e) / (1.0 + e * std::cos(nu)), 1e-10 * r);
            EXPECT_GE(r, 1.3 * (1.0 - 1e-12));
            EXPECT_LE(r, 1.3 * (1.0 + e) / (1.0 - e) * (1.0 + 1e-12));
        }
    }
}

TEST(SolveOrbit, BisectionTakesOverAtEccentricity0975) {
    // Newton's method takes one more step after meeting the tolerance and
    // lands on the root to rounding; the bisection stops once its step falls
    // to 1e-8 and is left a few 1e-9 away. Which method ran shows in how
    // exactly Kepler's equation holds.
    int inexactBelow = 0, inexactAt = 0, count = 0;
    for (double M = 0.05; M < 6.28; M += 0.25) {
        double nu = 0.0, r = 0.0;
        ASSERT_TRUE(SolveOrbit(M, 0.974, 1.0, &nu, &r));
        if (std::fabs(KeplerResidual(M, 0.974, nu)) > 1e-12) ++inexactBelow;
        ASSERT_TRUE(SolveOrbit(M, 0.975, 1.0, &nu, &r));
        double residual = std::fabs(KeplerResidual(M, 0.975, nu));
        EXPECT_LT(residual, 3e-8) << M;
        if (residual > 1e-12) ++inexactAt;
        ++count;
    }
    EXPECT_EQ(inexactBelow, 0) << "e = 0.974 should be solved by Newton's method";
    EXPECT_GT(inexactAt, count * 3 / 4) << "e = 0.975 should be solved by bisection";
}

TEST(SolveOrbit, ParabolaFollowsBarkersEquation) {
    // At perihelion, W = 0: exactly the perihelion.
    double nu = 1.0, r = 0.0;
    ASSERT_TRUE(SolveOrbit(0.0, 1.0, 0.7, &nu, &r));
    EXPECT_EQ(nu, 0.0);
    EXPECT_EQ(r, 0.7);
    // Barker's equation: W = 3 tan(v/2) + tan^3(v/2), r = q / cos^2(v/2).
    for (double trueAnomalyDegrees : {-179.0, -120.0, -45.0, 1e-4, 30.0, 90.0, 150.0, 178.0}) {
        double v = trueAnomalyDegrees * kDegree;
        double s = std::tan(v / 2.0);
        double W = 3.0 * s + s * s * s;
        ASSERT_TRUE(SolveOrbit(W, 1.0, 0.7, &nu, &r));
        // The iteration stops once s^3 + 3 s is within 1e-8 of W.
        EXPECT_NEAR(nu, v, 1e-8) << trueAnomalyDegrees;
        double expected = 0.7 / (std::cos(v / 2.0) * std::cos(v / 2.0));
        EXPECT_NEAR(r, expected, 1e-8 * expected) << trueAnomalyDegrees;
    }
}

TEST(SolveOrbit, HyperbolaSatisfiesItsKeplerEquation) {
    for (double e : {1.0001, 1.2, 2.0, 7.5}) {
        for (double M : {-500.0, -3.0, 0.0, 1e-5, 0.7, 40.0, 1e4}) {
            double nu = 0.0, r = 0.0;
            ASSERT_TRUE(SolveOrbit(M, e, 0.5, &nu, &r)) << e << " " << M;
            // The hyperbolic anomaly of that true anomaly, and its equation.
            double H = 2.0 * std::atanh(std::sqrt((e - 1.0) / (e + 1.0)) * std::tan(nu / 2.0));
            EXPECT_NEAR(e * std::sinh(H) - H, M, 1e-7 * std::max(1.0, std::fabs(M)))
                << "e " << e << " M " << M;
            double expected = 0.5 * (e * std::cosh(H) - 1.0) / (e - 1.0);
            EXPECT_NEAR(r, expected, 1e-7 * expected) << "e " << e << " M " << M;
            // The body stays inside the asymptotes.
            EXPECT_LT(std::fabs(nu), std::acos(-1.0 / e));
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
    // A negative eccentricity turns both e and q over: the same conic, with the
    // radius negative, so the orbit in space is turned half round in its plane.
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
    struct Case {
        double M, e, q;
    };
    for (Case c : {Case{kNaN, 0.5, 1.0}, Case{kInfinity, 0.5, 1.0}, Case{1.0, kNaN, 1.0},
                   Case{1.0, 0.5, kInfinity}, Case{kInfinity, 1.0, 1.0}, Case{-kInfinity, 2.0, 1.0},
                   Case{1.0, kInfinity, 1.0}}) {
        double nu = 11.0, r = 22.0;
        EXPECT_FALSE(SolveOrbit(c.M, c.e, c.q, &nu, &r)) << c.M << " " << c.e << " " << c.q;
        EXPECT_EQ(nu, 11.0);
        EXPECT_EQ(r, 22.0);
    }
    // Extreme but finite anomalies: either a finite answer or a refusal, never
    // a NaN. A hyperbolic anomaly of several hundred overflows sinh.
    for (double e : {1.0000001, 1.5, 50.0}) {
        for (double M : {1e15, 1e100, 1e300, -1e300}) {
            double nu = 11.0, r = 22.0;
            if (SolveOrbit(M, e, 1.0, &nu, &r)) {
                EXPECT_TRUE(std::isfinite(nu) && std::isfinite(r)) << e << " " << M;
                EXPECT_GT(r, 0.0) << e << " " << M;
            } else {
                EXPECT_EQ(nu, 11.0);
                EXPECT_EQ(r, 22.0);
            }
        }
    }
    // On a parabola the start s = W overflows when cubed; the solution is
    // still found, far along the orbit: s = W^(1/3), r = q (1 + s^2).
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
    EXPECT_EQ(position[0], 1.0);
    EXPECT_EQ(position[1], 2.0);
    EXPECT_EQ(position[2], 3.0);
}

TEST(ElementsPosition, CeresKeepsTheInvariantsOfItsOrbit) {
    const OrbitalElements ceres = CeresElements();
    const double n = ceres.meanMotion;
    const double period = 2.0 * kTruePi / n;
    const double a = ceres.q / (1.0 - ceres.e);
    // Kepler's third law: about 4.60 years for a = 2.7666 AU.
    EXPECT_NEAR(period / 365.25, 4.6018, 0.001);

    // One period later the body is where it was.
    Vector3 start, later;
    ASSERT_TRUE(ElementsPosition(ceres, ceres.epoch, start));
    ASSERT_TRUE(ElementsPosition(ceres, ceres.epoch + 7.0 * period, later));
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(later[k], start[k], 1e-9);

    // Perihelion at q when the mean anomaly comes round to 0, aphelion half a
    // period later.
    double perihelionTime = ceres.epoch + (2.0 * kTruePi - ceres.meanAnomaly) / n;
    Vector3 p;
    ASSERT_TRUE(ElementsPosition(ceres, perihelionTime, p));
    EXPECT_NEAR(VectorLength(p), ceres.q, 1e-12);
    ASSERT_TRUE(ElementsPosition(ceres, perihelionTime + period / 2.0, p));
    EXPECT_NEAR(VectorLength(p), a * (1.0 + ceres.e), 1e-12);

    // Back on the ecliptic, the orbit's pole is (sin i sin node, -sin i cos
    // node, cos i); the speed follows the vis-viva law and the angular
    // momentum is constant.
    const double obliquity = MeanObliquity(kJ2000);
    const double h = 0.01;
    const double expectedMomentum = std::sqrt(kGaussianGM * a * (1.0 - ceres.e * ceres.e));
    for (double t = ceres.epoch - 900.0; t < ceres.epoch + 900.0; t += 97.0) {
        Vector3 before, here, after;
        ASSERT_TRUE(ElementsPosition(ceres, t - h, before));
        ASSERT_TRUE(ElementsPosition(ceres, t, here));
        ASSERT_TRUE(ElementsPosition(ceres, t + h, after));
        Vector3 velocity;
        for (int k = 0; k < 3; ++k)
            velocity[k] = (after[k] - before[k]) / (2.0 * h);
        double r = VectorLength(here);
        double speed2 = DotProduct(velocity, velocity);
        EXPECT_NEAR(speed2, kGaussianGM * (2.0 / r - 1.0 / a), 1e-7 * speed2) << t;
        Vector3 momentum;
        CrossProduct(here, velocity, momentum);
        EXPECT_NEAR(VectorLength(momentum), expectedMomentum, 1e-7 * expectedMomentum) << t;
        // Equator to ecliptic by hand.
        double c = std::cos(obliquity), s = std::sin(obliquity);
        Vector3 pole = {momentum[0], c * momentum[1] + s * momentum[2],
                        -s * momentum[1] + c * momentum[2]};
        double length = VectorLength(pole);
        EXPECT_NEAR(pole[0] / length, std::sin(ceres.inclination) * std::sin(ceres.node), 1e-9);
        EXPECT_NEAR(pole[1] / length, -std::sin(ceres.inclination) * std::cos(ceres.node), 1e-9);
        EXPECT_NEAR(pole[2] / length, std::cos(ceres.inclination), 1e-9);
    }
}

TEST(ElementsPosition, ParabolicCometKeepsToBarkersLaw) {
    // A comet on a parabola through perihelion at the epoch: the time from
    // perihelion is sqrt(2 q^3 / GM) (D + D^3 / 3), D = tan(v/2), and the radius
    // q (1 + D^2).
    OrbitalElements comet{};
    comet.epoch = 2460000.5;
    comet.q = 0.35;
    comet.e = 1.0;
    comet.inclination = 2.5;
    comet.perihelion = 0.4;
    comet.node = 4.0;
    comet.meanAnomaly = 0.0;
    comet.meanMotion = MeanMotion(kGaussianGM, comet.q, comet.e);
    Vector3 perihelion;
    ASSERT_TRUE(ElementsPosition(comet, comet.epoch, perihelion));
    EXPECT_NEAR(VectorLength(perihelion), comet.q, 1e-15);
    for (double v : {-2.5, -1.0, 0.3, 1.2, 2.8}) {
        double D = std::tan(v / 2.0);
        double t =
            std::sqrt(2.0 * comet.q * comet.q * comet.q / kGaussianGM) * (D + D * D * D / 3.0);
        Vector3 position;
        ASSERT_TRUE(ElementsPosition(comet, comet.epoch + t, position));
        EXPECT_NEAR(VectorLength(position), comet.q * (1.0 + D * D), 1e-8) << v;
        // Seen from the Sun, the comet has turned by v from perihelion.
        EXPECT_NEAR(AngleBetween(position, perihelion), std::fabs(v), 1e-8) << v;
    }
}

TEST(ElementsPosition, EarthFromOsculatingElementsFollowsTheEphemeris) {
    // Osculating elements of the Earth-Moon barycentre at J2000 on the J2000
    // ecliptic, from astronomy-engine's state vector; the mean motion takes the
    // mass of the Earth and Moon with the Sun's. The reference positions are
    // astronomy-engine's heliocentric Earth (J2000 equatorial, AU); the Earth
    // sits up to 4700 km off the barycentre, about 7 arcseconds.
    OrbitalElements earth{};
    earth.epoch = kJ2000;
    earth.q = 0.98328027649897554;
    earth.e = 0.016654137292509023;
    earth.inclination = 0.0000058179446177208710;
    earth.perihelion = 2.6886018416392234;
    earth.node = -0.89222141032454028;
    earth.meanAnomaly = -0.042970537867936635;
    earth.meanMotion = 0.017203846239315916;
    struct Reference {
        double days;
        Vector3 position;
    };
    const Reference references[] = {
        {-60.0, {0.764302347295010, 0.580604025059246, 0.251722972518564}},
        {-20.0, {0.170705357849488, 0.889652016831076, 0.385711326353831}},
        {0.0, {-0.177130105578804, 0.887414947127160, 0.384741230552424}},
        {20.0, {-0.503195287729632, 0.775859423876383, 0.336375838651679}},
        {60.0, {-0.938245304478316, 0.292773608139029, 0.126932531025944}},
    };
    const double arcsecond = kDegree / 3600.0;
    for (const Reference& reference : references) {
        Vector3 position;
        ASSERT_TRUE(ElementsPosition(earth, kJ2000 + reference.days, position));
        EXPECT_LT(AngleBetween(position, reference.position), 20.0 * arcsecond) << reference.days;
        EXPECT_NEAR(VectorLength(position), VectorLength(reference.position), 1e-4)
            << reference.days;
    }
}

TEST(ElementsPosition, RatesTurnTheOrbit) {
    // A circular orbit in the ecliptic with a turning node and perihelion: at
    // M = 0 the body lies at longitude node + perihelion, both advanced by
    // their rates.
    OrbitalElements orbit{};
    orbit.epoch = kJ2000;
    orbit.q = 2.0;
    orbit.e = 0.0;
    orbit.perihelion = 0.5;
    orbit.node = 1.0;
    orbit.perihelionRate = 0.01;
    orbit.nodeRate = -0.003;
    Vector3 position;
    ASSERT_TRUE(ElementsPosition(orbit, kJ2000 + 100.0, position));
    // To the ecliptic by hand.
    double obliquity = MeanObliquity(kJ2000);
    double y = std::cos(obliquity) * position[1] + std::sin(obliquity) * position[2];
    double z = -std::sin(obliquity) * position[1] + std::cos(obliquity) * position[2];
    EXPECT_NEAR(z, 0.0, 1e-12);
    EXPECT_NEAR(AngleDifference(std::atan2(y, position[0]), 0.5 + 1.0 + 100.0 * 0.007), 0.0, 1e-9);
    EXPECT_NEAR(std::hypot(position[0], y), 2.0, 1e-12);
}

} // namespace
