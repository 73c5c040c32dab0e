// Precession, nutation, the obliquity, the four sky frames, aberration, the
// site's geocentric position and refraction: against ERFA, the IAU's standard
// routines, against Meeus' worked examples, and on known points.

#include "AstroTest.h"

#include "astro/ApparentPlace.h"
#include "astro/Frames.h"
#include "astro/Precession.h"

#include <erfa.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using namespace astro_test;

double JulianDateOfYear(double year) {
    return kJ2000 + (year - 2000.0) * 365.25;
}

double MaxElementDifference(const Matrix3& a, const double b[3][3]) {
    double worst = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            worst = std::max(worst, std::fabs(a[i][j] - b[i][j]));
    return worst;
}

bool IsIdentity(const Matrix3& m, double tolerance) {
    double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    return MaxElementDifference(m, identity) <= tolerance;
}

double Angle(double lon1, double lat1, double lon2, double lat2) {
    Vector3 a, b;
    SphericalToRectangular(lon1, lat1, 1.0, a);
    SphericalToRectangular(lon2, lat2, 1.0, b);
    return AngleBetween(a, b);
}

TEST(ErfaReference, PrecessionNutationAndObliquityMatchTheIau1976And1980Routines) {
    // Precession from 1000 to 3000 between any two epochs; nutation from 1900
    // to 2100, where the short nutation series sets the error.
    std::mt19937 random(1977);
    std::uniform_real_distribution<double> year(1000.0, 3000.0);
    double worst[5] = {};
    for (int i = 0; i < 2000; ++i) {
        double jd = JulianDateOfYear(year(random)), jd1 = JulianDateOfYear(year(random));
        double theirs[3][3], ours[3], erfa[3], psi, eps, ePsi, eEps;
        Matrix3 m;
        PrecessionMatrix(m, kJ2000, jd, false);
        eraPmat76(jd, 0.0, theirs);
        worst[0] = std::max(worst[0], MaxElementDifference(m, theirs));
        PrecessionAngles(jd, jd1, &ours[0], &ours[1], &ours[2], nullptr, nullptr, nullptr);
        eraPrec76(jd, 0.0, jd1, 0.0, &erfa[0], &erfa[1], &erfa[2]);
        for (int k = 0; k < 3; ++k)
            worst[1] = std::max(worst[1], std::fabs(ours[k] - erfa[k]));
        worst[2] = std::max(worst[2], std::fabs(MeanObliquity(jd) - eraObl80(jd, 0)));
        if (std::fabs(jd - kJ2000) > 36525.0) continue;
        PrecessionMatrix(m, kJ2000, jd, true);
        eraPnm80(jd, 0.0, theirs);
        Nutation(jd, &psi, &eps);
        eraNut80(jd, 0.0, &ePsi, &eEps);
        worst[3] = std::max({worst[3], MaxElementDifference(m, theirs), std::fabs(eps - eEps)});
        worst[4] = std::max(worst[4], std::fabs(psi - ePsi));
    }
    EXPECT_LT(worst[0], 1e-9);
    // The program's arcsecond is 2.3e-10 larger than ERFA's: under 1e-10 rad
    // in ten centuries.
    EXPECT_LT(worst[1], 1e-10);
    EXPECT_LT(worst[2], 0.01 * kArcsec); // Lieske's coefficients rounded to degrees
    EXPECT_LT(worst[3], kArcsec);
    EXPECT_LT(worst[4], kArcsec);
}

TEST(ErfaReference, AberrationWithin0Point1ArcsecondOfAbWithEpv00) {
    std::mt19937 random(1986);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    double worst = 0.0;
    for (double jd = JulianDateOfYear(1900.0); jd <= JulianDateOfYear(2100.0); jd += 11.3) {
        double pvh[2][3], pvb[2][3];
        eraEpv00(jd, 0.0, pvh, pvb);
        Vector3 v;
        EarthVelocity(jd, v);
        double ev[3];
        for (int k = 0; k < 3; ++k) {
            v[k] *= kLightTimePerAU;
            ev[k] = pvb[1][k] * kLightTimePerAU;
        }
        double bm1 = std::sqrt(1.0 - (ev[0] * ev[0] + ev[1] * ev[1] + ev[2] * ev[2]));
        for (int k = 0; k < 4; ++k) {
            Vector3 p = {unit(random), unit(random), unit(random)};
            double length = VectorLength(p), reference[3];
            for (double& c : p)
                c /= length;
            eraAb(p, ev, VectorLength(pvh[0]), bm1, reference);
            Aberrate(p, v);
            worst = std::max(worst, AngleBetween(p, reference));
        }
    }
    EXPECT_LT(worst, 0.1 * kArcsec);
}

TEST(ErfaReference, GalacticFrameWithin2ArcsecondsOfIcrs2g) {
    // Ours is the IAU 1958 pole and node on the B1950.0 equator, reached from
    // J2000 by precession alone; ERFA's carries them through FK4 to FK5, adding
    // the E-terms and the FK4 equinox correction: about an arcsecond apart.
    FrameMatrices frames;
    BuildFrameMatrices(frames, kJ2000, false, 0.0, 0.0);
    std::mt19937 random(1958);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    double worst = 0.0;
    for (int i = 0; i < 2000; ++i) {
        double ra = (unit(random) + 1.0) * kTruePi, dec = std::asin(unit(random));
        double l = ra, b = dec, el = 0.0, eb = 0.0;
        ASSERT_TRUE(ConvertFrame(frames, kFrameJ2000, kFrameGalactic, &l, &b));
        eraIcrs2g(ra, dec, &el, &eb);
        worst = std::max(worst, Angle(l, b, el, eb));
    }
    EXPECT_LT(worst, 2.0 * kArcsec);
}

TEST(Precession, ForwardThenBackAndAnySubsetOfTheAngles) {
    // The angles back from jd1 are evaluated from the other end; Lieske's
    // polynomials are built to agree.
    for (double jd1 : {2086295.0, 2816795.0}) {
        Matrix3 m, back;
        PrecessionMatrix(m, kJ2000, jd1, false);
        PrecessionMatrix(back, jd1, kJ2000, false);
        MultiplyMatrix(back, m);
        EXPECT_TRUE(IsIdentity(m, 1e-14)) << jd1;
    }
    const double jd0 = 2400000.5, jd1 = 2500000.5;
    double all[6];
    PrecessionAngles(jd0, jd1, &all[0], &all[1], &all[2], &all[3], &all[4], &all[5]);
    for (int k = 0; k < 6; ++k) {
        double one = -99.0;
        double* wanted[6] = {};
        wanted[k] = &one;
        PrecessionAngles(jd0, jd1, wanted[0], wanted[1], wanted[2], wanted[3], wanted[4],
                         wanted[5]);
        EXPECT_EQ(one, all[k]) << "angle " << k;
    }
    double psi = 0.0, eps = 0.0, only = 0.0;
    Nutation(2446895.5, &psi, &eps);
    Nutation(2446895.5, &only, nullptr); // either output may be left out
    EXPECT_EQ(only, psi);
    Nutation(2446895.5, nullptr, &only);
    EXPECT_EQ(only, eps);
}

TEST(Precession, EclipticAnglesAgreeWithTheEquatorialPath) {
    // An ecliptic position carried by pi, Pi and p (Meeus, eq. 21.5) lands where
    // the equatorial route (obliquity, zeta z theta, obliquity) puts it.
    std::mt19937 random(21);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    double worst = 0.0;
    for (int i = 0; i < 100; ++i) {
        double jd0 = kJ2000 + (u(random) - 0.5) * 6.0 * 36525.0;
        double jd1 = kJ2000 + (u(random) - 0.5) * 6.0 * 36525.0;
        double lambda0 = u(random) * kTurn, beta0 = std::asin(2.0 * u(random) - 1.0);
        double eta = 0.0, bigPi = 0.0, p = 0.0;
        PrecessionAngles(jd0, jd1, nullptr, nullptr, nullptr, &eta, &bigPi, &p);
        double a = std::cos(eta) * std::cos(beta0) * std::sin(bigPi - lambda0) -
                   std::sin(eta) * std::sin(beta0);
        double b = std::cos(beta0) * std::cos(bigPi - lambda0);
        double c = std::cos(eta) * std::sin(beta0) +
                   std::sin(eta) * std::cos(beta0) * std::sin(bigPi - lambda0);
        Vector3 byEcliptic, byEquator;
        SphericalToRectangular(p + bigPi - std::atan2(a, b), std::asin(c), 1.0, byEcliptic);
        SphericalToRectangular(lambda0, beta0, 1.0, byEquator);
        Matrix3 m;
        ObliquityMatrix(m, MeanObliquity(jd0), false);
        TransformVector(m, byEquator);
        PrecessionMatrix(m, jd0, jd1, false);
        TransformVector(m, byEquator);
        ObliquityMatrix(m, MeanObliquity(jd1), true);
        TransformVector(m, byEquator);
        worst = std::max(worst, AngleBetween(byEcliptic, byEquator));
    }
    EXPECT_LT(worst, 0.05 * kArcsec);
}

TEST(Frames, ConvertFrameRoundTripsBetweenEveryPairAndRefusesUnknownCodes) {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    FrameMatrices frames;
    // An epoch far from J2000, nutation on, a southern site.
    BuildFrameMatrices(frames, 2488070.5, true, 4.1, -33.9 * kDeg);
    for (int from = kFrameJ2000; from <= kFrameHorizon; ++from)
        for (int to = kFrameJ2000; to <= kFrameHorizon; ++to)
            for (int i = 0; i < 20; ++i) {
                double lon0 = u(random) * kTurn, lat0 = std::asin(2.0 * u(random) - 1.0);
                double lon = lon0, lat = lat0;
                ASSERT_TRUE(ConvertFrame(frames, from, to, &lon, &lat));
                ASSERT_TRUE(lon >= 0.0 && lon < kTurn && std::fabs(lat) <= kTruePi / 2);
                ASSERT_TRUE(ConvertFrame(frames, to, from, &lon, &lat));
                ASSERT_LT(Angle(lon, lat, lon0, lat0), 1e-12) << from << " -> " << to;
            }
    for (int bad : {-1, 5}) {
        double lon = 1.0, lat = 0.5;
        EXPECT_FALSE(ConvertFrame(frames, bad, kFrameGalactic, &lon, &lat)) << bad;
        EXPECT_FALSE(ConvertFrame(frames, kFrameGalactic, bad, &lon, &lat)) << bad;
        EXPECT_TRUE(lon == 1.0 && lat == 0.5);
        EXPECT_EQ(FrameMatrix(frames, bad), nullptr);
    }
    EXPECT_TRUE(IsIdentity(*FrameMatrix(frames, kFrameJ2000), 0.0));
}

TEST(Frames, HorizonFrameOnThePoleTheZenithAndTheCardinalPoints) {
    const double lst = 1.234;
    for (double latitude : {-33.9 * kDeg, 89.0 * kDeg}) {
        SCOPED_TRACE(latitude);
        FrameMatrices frames;
        BuildFrameMatrices(frames, 2460000.5, true, lst, latitude);
        struct Case {
            double ra, dec, azimuth, altitude; // azimuth < 0: any
        };
        const Case cases[] = {{2.0, kTruePi / 2, 0.0, latitude},          // the pole of date
                              {lst, latitude, -1.0, kTruePi / 2},         // the zenith
                              {lst + kTruePi / 2, 0.0, kTruePi / 2, 0.0}, // rising due east
                              {lst, latitude - 30.0 * kDeg, kTruePi, 60.0 * kDeg}}; // due south
        for (const Case& c : cases) {
            double lon = c.ra, lat = c.dec;
            ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameHorizon, &lon, &lat));
            EXPECT_NEAR(c.azimuth < 0.0 ? 0.0 : AngleDifference(lon, c.azimuth), 0.0, 1e-8);
            EXPECT_NEAR(lat, c.altitude, 1e-8);
        }
    }
}

TEST(Frames, GalacticPoleAndNodeOfB1950AndTheEclipticOfTheEpoch) {
    FrameMatrices frames;
    BuildFrameMatrices(frames, kJ2000, false, 0.0, 0.0);
    Matrix3 toJ2000;
    PrecessionMatrix(toJ2000, kB1950, kJ2000, false);
    // The pole at 192.25, +27.4 and the ascending node at R.A. 282.25, l = 33,
    // on the equator of B1950.0.
    const double points[2][4] = {{192.25, 27.4, -1.0, 90.0}, {282.25, 0.0, 33.0, 0.0}};
    for (const auto& p : points) {
        Vector3 v;
        SphericalToRectangular(p[0] * kDeg, p[1] * kDeg, 1.0, v);
        TransformVector(toJ2000, v);
        double lon = 0.0, lat = 0.0;
        RectangularToSpherical(v, &lon, &lat, nullptr);
        ASSERT_TRUE(ConvertFrame(frames, kFrameJ2000, kFrameGalactic, &lon, &lat));
        EXPECT_NEAR(p[2] < 0.0 ? 0.0 : lon - p[2] * kDeg, 0.0, 1e-9);
        EXPECT_NEAR(lat, p[3] * kDeg, 1e-9);
    }
    // The galactic frame does not move with the precession epoch or the site.
    FrameMatrices other;
    BuildFrameMatrices(other, 2300000.5, true, 3.0, 0.7);
    EXPECT_EQ(MaxElementDifference(other.galactic, frames.galactic), 0.0);

    // In 1000 AD the summer solstice lies at that epoch's own obliquity.
    const double epoch = 2086295.0;
    BuildFrameMatrices(frames, epoch, false, 0.0, 0.0);
    double lon = 90.0 * kDeg, lat = MeanObliquity(epoch);
    ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameEcliptic, &lon, &lat));
    EXPECT_NEAR(lon, 90.0 * kDeg, 1e-9);
    EXPECT_NEAR(lat, 0.0, 1e-12);
}

TEST(ApparentPlace, Refraction) {
    auto degrees = [](double altitude) { return RefractionCorrection(altitude * kDeg) / kDeg; };
    EXPECT_NEAR(degrees(0.0), 0.5475, 0.0005); // 1013.25 mbar x 0.1594 / 295 K
    // The two formulas meet at 0.2618 rad within a few arcseconds.
    double below = RefractionCorrection(0.2618);
    double above = RefractionCorrection(std::nextafter(0.2618, 1.0));
    EXPECT_NEAR(above, below, 5.0 * kArcsec);
    EXPECT_NEAR(above / kDeg, 0.0579, 0.0005);
    // It scales with the pressure and the inverse temperature; no air at or
    // below absolute zero refracts nothing rather than divide by zero.
    double standard = RefractionCorrection(0.5);
    EXPECT_NEAR(RefractionCorrection(0.5, 2 * kStandardPressure, kStandardTemperature),
                2 * standard, 1e-15);
    EXPECT_NEAR(RefractionCorrection(0.5, kStandardPressure, -5.0), standard * 295 / 268, 1e-15);
    EXPECT_EQ(RefractionCorrection(0.1, kStandardPressure, -273.0), 0.0);
    EXPECT_EQ(RefractionCorrection(0.1, kStandardPressure, -300.0), 0.0);
}

TEST(ApparentPlace, SiteGeocentricPositionOnTheEllipsoid) {
    // Palomar (Meeus, example 11.a): rho cos phi' 0.836339, rho sin phi' 0.546861.
    Vector3 p;
    SiteGeocentricPosition(0.0, (33.0 + 21.0 / 60.0 + 22.0 / 3600.0) * kDeg, 1706.0 / 6378140.0,
                           1.0, 1.0 / 298.257, p);
    EXPECT_NEAR(p[0], 0.836339, 1e-6);
    EXPECT_NEAR(p[1], 0.0, 1e-15);
    EXPECT_NEAR(p[2], 0.546861, 1e-6);
    // At a pole: the polar radius plus the height, whatever the sidereal time.
    SiteGeocentricPosition(2.0, -kHalfPi, 1000.0 * kMetresToAU, kEarthEquatorialRadius,
                           kEarthFlattening, p);
    EXPECT_NEAR(p[2], -(kEarthEquatorialRadius * (1.0 - kEarthFlattening) + 1000 * kMetresToAU),
                1e-14);
    EXPECT_NEAR(std::hypot(p[0], p[1]), 0.0, 1e-14);
}

TEST(ApparentPlace, AberrationShiftsTowardTheApexByTheExactAngle) {
    const double speed = 1e-4;
    Vector3 velocity = {speed, 0.0, 0.0};
    struct Case {
        Vector3 p;
        double length, angle, tolerance; // angle from +x in the xy plane
    };
    const Case cases[] = {
        {{0, 2, 0}, 2.0, kTruePi / 2 - std::asin(speed), 1e-15}, // at right angles: exactly
        {{1, 1, 0}, std::sqrt(2.0), kTruePi / 4 - speed * std::sqrt(0.5), 1e-8}}; // first order
    for (const Case& c : cases) {
        Vector3 p = {c.p[0], c.p[1], c.p[2]};
        Aberrate(p, velocity);
        EXPECT_NEAR(VectorLength(p), c.length, 1e-15);
        EXPECT_NEAR(Atan2Positive(p[1], p[0]), c.angle, c.tolerance);
        EXPECT_EQ(p[2], 0.0);
    }
    Vector3 zero = {0.0, 0.0, 0.0};
    Aberrate(zero, velocity);
    EXPECT_EQ(VectorLength(zero), 0.0);
}

} // namespace
