// Precession and nutation matrices, the precession angles and the obliquity.

#include "astro/Precession.h"
#include "astro/Frames.h"
#include "astro/Vectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr double kArcsecond = 4.848136812202333e-6;
constexpr double kDaysPerCentury = 36525.0;

TEST(Precession, J2000ToJ2000IsTheIdentityAndWithNutationTheNutationMatrix) {
    Matrix3 m;
    PrecessionMatrix(m, kJ2000, kJ2000, false);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(m[i][j], i == j ? 1.0 : 0.0) << i << "," << j;

    PrecessionMatrix(m, kJ2000, kJ2000, true);
    double psi = 0.0, eps = 0.0;
    Nutation(kJ2000, &psi, &eps);
    double epsilon = MeanObliquity(kJ2000);
    Matrix3 nutation;
    RotationMatrix(nutation, {{0, -epsilon}, {2, psi}, {0, epsilon + eps}});
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(m[i][j], nutation[i][j], 1e-16) << i << "," << j;
    // To first order the nutation matrix moves the equinox by dpsi along the
    // ecliptic and tilts the equator by deps.
    EXPECT_NEAR(m[1][0], psi * std::cos(epsilon), 5e-9);
    EXPECT_NEAR(m[2][0], psi * std::sin(epsilon), 5e-9);
    EXPECT_NEAR(m[2][1], eps, 5e-9);
    EXPECT_NE(psi, 0.0);
}

TEST(Precession, AnySubsetOfTheAnglesCanBeAskedFor) {
    const double jd0 = 2400000.5, jd1 = 2500000.5;
    double all[6];
    PrecessionAngles(jd0, jd1, &all[0], &all[1], &all[2], &all[3], &all[4], &all[5]);
    for (int k = 0; k < 6; ++k) {
        double one = -99.0;
        double* wanted[6] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
        wanted[k] = &one;
        PrecessionAngles(jd0, jd1, wanted[0], wanted[1], wanted[2], wanted[3], wanted[4],
                         wanted[5]);
        EXPECT_EQ(one, all[k]) << "angle " << k;
    }
    PrecessionAngles(jd0, jd1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);

    // With no interval only the longitude of the node is left.
    PrecessionAngles(jd1, jd1, &all[0], &all[1], &all[2], &all[3], &all[4], &all[5]);
    for (int k : {0, 1, 2, 3, 5})
        EXPECT_EQ(all[k], 0.0) << "angle " << k;
    EXPECT_NE(all[4], 0.0);
}

TEST(Precession, ForwardThenBackIsTheIdentity) {
    // The angles from jd1 back to jd0 are evaluated from the other end; Lieske's
    // polynomials are built to agree.
    for (double jd1 : {2086295.0, 2415020.0, 2469807.5, 2816795.0}) {
        Matrix3 there, back;
        PrecessionMatrix(there, kJ2000, jd1, false);
        PrecessionMatrix(back, jd1, kJ2000, false);
        MultiplyMatrix(back, there);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(there[i][j], i == j ? 1.0 : 0.0, 1e-14) << jd1 << " " << i << "," << j;
    }
}

TEST(Precession, EclipticAnglesAgreeWithTheEquatorialPath) {
    // An ecliptic position carried by pi, Pi and p (Meeus, eq. 21.5) must land
    // where the equatorial route puts it: off the ecliptic of jd0 by its
    // obliquity, through zeta, z, theta, onto the ecliptic of jd1.
    std::mt19937 random(21);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    double worst = 0.0;
    for (int i = 0; i < 300; ++i) {
        double jd0 = kJ2000 + (u(random) - 0.5) * 6.0 * kDaysPerCentury;
        double jd1 = kJ2000 + (u(random) - 0.5) * 6.0 * kDaysPerCentury;
        double lambda0 = u(random) * 6.283185307179586;
        double beta0 = std::asin(2.0 * u(random) - 1.0);

        double eta = 0.0, bigPi = 0.0, p = 0.0;
        PrecessionAngles(jd0, jd1, nullptr, nullptr, nullptr, &eta, &bigPi, &p);
        double a = std::cos(eta) * std::cos(beta0) * std::sin(bigPi - lambda0) -
                   std::sin(eta) * std::sin(beta0);
        double b = std::cos(beta0) * std::cos(bigPi - lambda0);
        double c = std::cos(eta) * std::sin(beta0) +
                   std::sin(eta) * std::cos(beta0) * std::sin(bigPi - lambda0);
        Vector3 byEcliptic;
        SphericalToRectangular(p + bigPi - std::atan2(a, b), std::asin(c), 1.0, byEcliptic);

        Vector3 byEquator;
        SphericalToRectangular(lambda0, beta0, 1.0, byEquator);
        Matrix3 m;
        ObliquityMatrix(m, MeanObliquity(jd0), false);
        TransformVector(m, byEquator);
        PrecessionMatrix(m, jd0, jd1, false);
        TransformVector(m, byEquator);
        ObliquityMatrix(m, MeanObliquity(jd1), true);
        TransformVector(m, byEquator);

        Vector3 cross;
        CrossProduct(byEcliptic, byEquator, cross);
        worst = std::max(worst, VectorLength(cross));
    }
    EXPECT_LT(worst, 0.05 * kArcsecond);
}

TEST(Precession, MeanObliquityAndNutationAtKnownDates) {
    // At J2000 only the constant term is left: 23 26' 21.448", rounded.
    EXPECT_NEAR(MeanObliquity(kJ2000), 23.439291 * 0.01745329252, 1e-15);
    // 1987 April 10, 0h TD (Meeus, example 22.a): the full theory gives
    // dpsi = -3.788", deps = +9.443"; the short series is within half a second.
    double psi = 0.0, eps = 0.0;
    Nutation(2446895.5, &psi, &eps);
    EXPECT_NEAR(psi / kArcsecond, -3.788, 0.5);
    EXPECT_NEAR(eps / kArcsecond, 9.443, 0.1);
    EXPECT_NEAR(MeanObliquity(2446895.5), (23.0 + 26.0 / 60.0 + 27.407 / 3600.0) * 0.01745329252,
                0.001 * kArcsecond);
    // Either output may be left out.
    double only = 0.0;
    Nutation(2446895.5, &only, nullptr);
    EXPECT_EQ(only, psi);
    Nutation(2446895.5, nullptr, &only);
    EXPECT_EQ(only, eps);
}

} // namespace
