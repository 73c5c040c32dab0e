// Precession, nutation, the sky frames, aberration, the site's position and
// refraction: against ERFA, Meeus' worked examples, and on known points.

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

double MaxElementDifference(const Matrix3& a, const double b[3][3]) {
    double worst = 0.0;
    for (int i = 0; i < 9; ++i)
        worst = std::max(worst, std::fabs(a[i / 3][i % 3] - b[i / 3][i % 3]));
    return worst;
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
    std::uniform_real_distribution<double> year(-1000.0, 1000.0);
    double worst[5] = {};
    for (int i = 0; i < 500; ++i) {
        double jd = kJ2000 + year(random) * 365.25, jd1 = kJ2000 + year(random) * 365.25;
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
    // The program's arcsecond is 2.3e-10 larger than ERFA's; Lieske's
    // obliquity coefficients are rounded to degrees.
    EXPECT_TRUE(worst[0] < 1e-9 && worst[1] < 1e-10 && worst[2] < 0.01 * kArcsec);
    EXPECT_TRUE(worst[3] < kArcsec && worst[4] < kArcsec) << worst[3] << " " << worst[4];
}

TEST(ErfaReference, AberrationWithin0Point1ArcsecondOfAbWithEpv00) {
    std::mt19937 random(1986);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    double worst = 0.0;
    for (double jd = kJ2000 - 36525.0; jd <= kJ2000 + 36525.0; jd += 37.3) {
        double pvh[2][3], pvb[2][3], ev[3], reference[3];
        eraEpv00(jd, 0.0, pvh, pvb);
        Vector3 v, p = {unit(random), unit(random), unit(random)};
        EarthVelocity(jd, v);
        for (int k = 0; k < 3; ++k) {
            v[k] *= kLightTimePerAU;
            ev[k] = pvb[1][k] * kLightTimePerAU;
        }
        const double length = VectorLength(p);
        for (double& c : p)
            c /= length;
        eraAb(p, ev, VectorLength(pvh[0]), std::sqrt(1.0 - DotProduct(ev, ev)), reference);
        Aberrate(p, v);
        worst = std::max(worst, AngleBetween(p, reference));
    }
    EXPECT_LT(worst, 0.1 * kArcsec);
    Vector3 zero = {0.0, 0.0, 0.0}, velocity = {1e-4, 0.0, 0.0};
    Aberrate(zero, velocity);
    EXPECT_EQ(VectorLength(zero), 0.0) << "no direction, no shift";
}

TEST(ErfaReference, GalacticFrameWithin2ArcsecondsOfIcrs2g) {
    // Ours reaches the IAU 1958 pole and node on the B1950.0 equator by
    // precession alone; ERFA's adds the FK4 E-terms and equinox correction.
    FrameMatrices frames;
    BuildFrameMatrices(frames, kJ2000, false, 0.0, 0.0);
    std::mt19937 random(1958);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 500; ++i) {
        double ra = (unit(random) + 1.0) * kTruePi, dec = std::asin(unit(random));
        double l = ra, b = dec, el = 0.0, eb = 0.0;
        ASSERT_TRUE(ConvertFrame(frames, kFrameJ2000, kFrameGalactic, &l, &b));
        eraIcrs2g(ra, dec, &el, &eb);
        ASSERT_LT(Angle(l, b, el, eb), 2.0 * kArcsec) << ra << " " << dec;
    }
}

TEST(Frames, ConvertFrameRoundTripsBetweenEveryPairAndRefusesUnknownCodes) {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    FrameMatrices frames;
    // An epoch far from J2000, nutation on, a southern site.
    BuildFrameMatrices(frames, 2488070.5, true, 4.1, -33.9 * kDeg);
    for (int from = kFrameJ2000; from <= kFrameHorizon; ++from)
        for (int to = kFrameJ2000; to <= kFrameHorizon; ++to)
            for (int i = 0; i < 5; ++i) {
                double lon0 = u(random) * kTurn, lat0 = std::asin(2.0 * u(random) - 1.0);
                double lon = lon0, lat = lat0;
                ASSERT_TRUE(ConvertFrame(frames, from, to, &lon, &lat));
                ASSERT_TRUE(lon >= 0.0 && lon < kTurn && std::fabs(lat) <= kTruePi / 2);
                ASSERT_TRUE(ConvertFrame(frames, to, from, &lon, &lat));
                ASSERT_LT(Angle(lon, lat, lon0, lat0), 1e-12) << from << " -> " << to;
            }
    for (int bad : {-1, 5}) {
        double lon = 1.0, lat = 0.5;
        EXPECT_FALSE(ConvertFrame(frames, bad, kFrameGalactic, &lon, &lat) ||
                     ConvertFrame(frames, kFrameGalactic, bad, &lon, &lat))
            << bad;
        EXPECT_TRUE(lon == 1.0 && lat == 0.5 && FrameMatrix(frames, bad) == nullptr);
    }
}

TEST(Frames, HorizonOnThePoleDueEastAndDueSouthAndTheSolsticeOnTheEcliptic) {
    const double lst = 1.234, latitude = -33.9 * kDeg;
    FrameMatrices frames;
    BuildFrameMatrices(frames, 2460000.5, true, lst, latitude);
    // R.A., Dec., azimuth, altitude.
    const double cases[][4] = {{2.0, kTruePi / 2, 0.0, latitude},
                               {lst + kTruePi / 2, 0.0, kTruePi / 2, 0.0},
                               {lst, latitude - 30.0 * kDeg, kTruePi, 60.0 * kDeg}};
    for (const auto& [ra, dec, azimuth, altitude] : cases) {
        double lon = ra, lat = dec;
        ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameHorizon, &lon, &lat));
        EXPECT_NEAR(AngleDifference(lon, azimuth), 0.0, 1e-8) << dec;
        EXPECT_NEAR(lat, altitude, 1e-8) << dec;
    }
    // In 1000 AD the summer solstice lies at that epoch's own obliquity.
    BuildFrameMatrices(frames, 2086295.0, false, 0.0, 0.0);
    double lon = 90.0 * kDeg, lat = MeanObliquity(2086295.0);
    ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameEcliptic, &lon, &lat));
    EXPECT_NEAR(lon, 90.0 * kDeg, 1e-9);
    EXPECT_NEAR(lat, 0.0, 1e-12);
}

TEST(ApparentPlace, Refraction) {
    EXPECT_NEAR(RefractionCorrection(0.0) / kDeg, 0.5475, 0.0005); // 1013.25 mbar x 0.1594 / 295 K
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
}

TEST(ApparentPlace, SiteGeocentricPositionOnTheEllipsoid) {
    // Palomar (Meeus, example 11.a): rho cos phi' 0.836339, rho sin phi' 0.546861.
    Vector3 p;
    SiteGeocentricPosition(0.0, (33.0 + 21.0 / 60.0 + 22.0 / 3600.0) * kDeg, 1706.0 / 6378140.0,
                           1.0, 1.0 / 298.257, p);
    EXPECT_NEAR(p[0], 0.836339, 1e-6);
    EXPECT_NEAR(p[1], 0.0, 1e-15);
    EXPECT_NEAR(p[2], 0.546861, 1e-6);
}

} // namespace
