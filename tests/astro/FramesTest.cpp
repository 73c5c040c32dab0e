// The four sky frames: their matrices, their orientation on known points, and
// conversions between them.

#include "astro/Frames.h"
#include "astro/Precession.h"
#include "astro/Vectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr double kTrueTwoPi = 6.283185307179586;

double AngleBetween(double lon1, double lat1, double lon2, double lat2) {
    Vector3 a, b, cross;
    SphericalToRectangular(lon1, lat1, 1.0, a);
    SphericalToRectangular(lon2, lat2, 1.0, b);
    CrossProduct(a, b, cross);
    return std::atan2(VectorLength(cross), DotProduct(a, b));
}

// Difference of two longitudes, folded into (-pi, pi].
double LongitudeDifference(double a, double b) {
    return std::remainder(a - b, kTrueTwoPi);
}

bool IsTranspose(const Matrix3& a, const Matrix3& b, double tolerance) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (std::fabs(a[i][j] - b[j][i]) > tolerance) return false;
    return true;
}

bool IsIdentity(const Matrix3& m, double tolerance) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (std::fabs(m[i][j] - (i == j ? 1.0 : 0.0)) > tolerance) return false;
    return true;
}

TEST(Frames, ConvertFrameRoundTripsBetweenEveryPair) {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    FrameMatrices frames;
    // An epoch far from J2000, nutation on, a southern site.
    BuildFrameMatrices(frames, 2488070.5, true, 4.1, -33.9 * kDegree);
    double worst = 0.0;
    for (int from = kFrameJ2000; from <= kFrameHorizon; ++from) {
        for (int to = kFrameJ2000; to <= kFrameHorizon; ++to) {
            for (int i = 0; i < 200; ++i) {
                double lon0 = u(random) * kTrueTwoPi;
                double lat0 = std::asin(2.0 * u(random) - 1.0);
                double lon = lon0, lat = lat0;
                ASSERT_TRUE(ConvertFrame(frames, from, to, &lon, &lat));
                ASSERT_GE(lon, 0.0);
                ASSERT_LT(lon, kTrueTwoPi);
                ASSERT_LE(std::fabs(lat), kTrueTwoPi / 4.0);
                ASSERT_TRUE(ConvertFrame(frames, to, from, &lon, &lat));
                double error = AngleBetween(lon, lat, lon0, lat0);
                worst = std::max(worst, error);
                ASSERT_LT(error, 1e-12) << from << " -> " << to << " -> " << from;
            }
        }
    }
    EXPECT_LT(worst, 1e-12);
}

TEST(Frames, ConvertFrameRefusesUnknownFrameCodes) {
    FrameMatrices frames;
    BuildFrameMatrices(frames, kJ2000, false, 0.0, 0.0);
    for (int bad : {-1, 5, 100}) {
        double lon = 1.0, lat = 0.5;
        EXPECT_FALSE(ConvertFrame(frames, bad, kFrameGalactic, &lon, &lat)) << bad;
        EXPECT_FALSE(ConvertFrame(frames, kFrameGalactic, bad, &lon, &lat)) << bad;
        EXPECT_EQ(lon, 1.0);
        EXPECT_EQ(lat, 0.5);
        EXPECT_EQ(FrameMatrix(frames, bad), nullptr);
    }
    EXPECT_TRUE(IsIdentity(*FrameMatrix(frames, kFrameJ2000), 0.0));
    EXPECT_EQ(FrameMatrix(frames, kFrameHorizon), &frames.horizon);
}

TEST(Frames, HorizonFrameOnThePoleTheZenithAndTheCardinalPoints) {
    const double jd = 2460000.5; // 2023 February 24
    const double lst = 1.234;
    for (double latitude : {51.5 * kDegree, -33.9 * kDegree, 0.0, 89.0 * kDegree}) {
        FrameMatrices frames;
        // The equator of the date, as when precession follows the instant.
        BuildFrameMatrices(frames, jd, true, lst, latitude);

        // The celestial pole of the date: due north, as high as the latitude.
        double lon = 2.0, lat = kTrueTwoPi / 4.0;
        ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameHorizon, &lon, &lat));
        EXPECT_NEAR(LongitudeDifference(lon, 0.0), 0.0, 1e-9) << latitude;
        EXPECT_NEAR(lat, latitude, 1e-9) << latitude;

        // R.A. = local sidereal time, Dec. = latitude: the zenith.
        lon = lst;
        lat = latitude;
        ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameHorizon, &lon, &lat));
        EXPECT_NEAR(lat, kTrueTwoPi / 4.0, 1e-8) << latitude;

        // Hour angle -6h on the equator: rising due east.
        lon = lst + kTrueTwoPi / 4.0;
        lat = 0.0;
        ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameHorizon, &lon, &lat));
        EXPECT_NEAR(lon, 90.0 * kDegree, 1e-8) << latitude;
        EXPECT_NEAR(lat, 0.0, 1e-9) << latitude;

        // On the meridian 30 degrees south of the zenith: due south, 60 degrees up.
        lon = lst;
        lat = latitude - 30.0 * kDegree;
        ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameHorizon, &lon, &lat));
        EXPECT_NEAR(lon, 180.0 * kDegree, 1e-8) << latitude;
        EXPECT_NEAR(lat, 60.0 * kDegree, 1e-8) << latitude;
    }
}

TEST(Frames, GalacticPoleAndNodeOfB1950) {
    FrameMatrices frames;
    BuildFrameMatrices(frames, kJ2000, false, 0.0, 0.0);
    Matrix3 toJ2000;
    PrecessionMatrix(toJ2000, kB1950, kJ2000, false);

    // The galactic north pole as defined on the equator of B1950.0.
    Vector3 v;
    SphericalToRectangular(192.25 * kDegree, 27.4 * kDegree, 1.0, v);
    TransformVector(toJ2000, v);
    double lon = 0.0, lat = 0.0;
    RectangularToSpherical(v, &lon, &lat, nullptr);
    ASSERT_TRUE(ConvertFrame(frames, kFrameJ2000, kFrameGalactic, &lon, &lat));
    EXPECT_NEAR(lat, 90.0 * kDegree, 1e-9);

    // The ascending node of the galactic plane on the B1950 equator is at l = 33.
    SphericalToRectangular(282.25 * kDegree, 0.0, 1.0, v);
    TransformVector(toJ2000, v);
    RectangularToSpherical(v, &lon, &lat, nullptr);
    ASSERT_TRUE(ConvertFrame(frames, kFrameJ2000, kFrameGalactic, &lon, &lat));
    EXPECT_NEAR(lon, 33.0 * kDegree, 1e-9);
    EXPECT_NEAR(lat, 0.0, 1e-9);

    // The galactic frame does not move with the precession epoch or the site.
    FrameMatrices other;
    BuildFrameMatrices(other, 2300000.5, true, 3.0, 0.7);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(other.galactic[i][j], frames.galactic[i][j]);
}

TEST(Frames, EclipticFrameUsesTheMeanObliquityOfTheEpoch) {
    FrameMatrices frames;
    BuildFrameMatrices(frames, kJ2000, false, 0.0, 0.0);
    double lon = 90.0 * kDegree, lat = 23.4392911 * kDegree;
    ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameEcliptic, &lon, &lat));
    EXPECT_NEAR(lon, 90.0 * kDegree, 1e-9);
    EXPECT_NEAR(lat, 0.0, 0.0001 * kDegree);

    // In 1000 AD the obliquity was larger; the summer solstice of that equinox
    // lies at its own obliquity.
    const double epoch = 2086295.0; // 1000.0
    BuildFrameMatrices(frames, epoch, false, 0.0, 0.0);
    lon = 90.0 * kDegree;
    lat = MeanObliquity(epoch);
    ASSERT_TRUE(ConvertFrame(frames, kFrameEquatorial, kFrameEcliptic, &lon, &lat));
    EXPECT_NEAR(lat, 0.0, 1e-12);
    // The ecliptic pole is at R.A. 18h, Dec. 90 - obliquity.
    lon = 1.0;
    lat = kTrueTwoPi / 4.0;
    ASSERT_TRUE(ConvertFrame(frames, kFrameEcliptic, kFrameEquatorial, &lon, &lat));
    EXPECT_NEAR(lon, 270.0 * kDegree, 1e-9);
    EXPECT_NEAR(lat, kTrueTwoPi / 4.0 - MeanObliquity(epoch), 1e-9);
}

TEST(Frames, BackwardMatricesAreTheTransposes) {
    Matrix3 forward, backward;
    ObliquityMatrix(forward, 0.409, true);
    ObliquityMatrix(backward, 0.409, false);
    EXPECT_TRUE(IsTranspose(forward, backward, 1e-16));

    GalacticMatrix(forward, true);
    GalacticMatrix(backward, false);
    EXPECT_TRUE(IsTranspose(forward, backward, 1e-15));

    for (double latitude : {-1.2, 0.0, 0.9}) {
        HorizonMatrix(forward, 5.1, latitude, true);
        HorizonMatrix(backward, 5.1, latitude, false);
        EXPECT_TRUE(IsTranspose(forward, backward, 1e-15)) << latitude;
        MultiplyMatrix(forward, backward);
        EXPECT_TRUE(IsIdentity(backward, 1e-15)) << latitude;
        // The negated row makes the horizon frame a reflection: x north, y east,
        // z up is a left-handed set.
        HorizonMatrix(forward, 5.1, latitude, true);
        Vector3 x = {forward[0][0], forward[0][1], forward[0][2]};
        Vector3 y = {forward[1][0], forward[1][1], forward[1][2]};
        Vector3 z = {forward[2][0], forward[2][1], forward[2][2]};
        Vector3 xy;
        CrossProduct(x, y, xy);
        EXPECT_NEAR(DotProduct(xy, z), -1.0, 1e-15) << latitude;
    }
}

} // namespace
