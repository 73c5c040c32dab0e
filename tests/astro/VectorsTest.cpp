// Angles, spherical and rectangular coordinates, vectors, matrices and rotations.

#include "astro/Vectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr double kTruePi = 3.14159265358979323846;
constexpr double kTrueTwoPi = 2.0 * kTruePi;

void ExpectMatrixNear(const Matrix3& actual, const Matrix3& expected, double tolerance,
                      const char* what) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(actual[i][j], expected[i][j], tolerance)
                << what << ", element " << i << "," << j;
}

TEST(Vectors, Atan2PositiveGivesEachQuadrantInZeroToTwoPi) {
    EXPECT_DOUBLE_EQ(Atan2Positive(1.0, 1.0), kTruePi / 4.0);
    EXPECT_NEAR(Atan2Positive(1.0, -1.0), 3.0 * kTruePi / 4.0, 1e-15);
    EXPECT_NEAR(Atan2Positive(-1.0, -1.0), 5.0 * kTruePi / 4.0, 1e-15);
    EXPECT_NEAR(Atan2Positive(-1.0, 1.0), 7.0 * kTruePi / 4.0, 1e-15);
    // On the axes.
    EXPECT_EQ(Atan2Positive(0.0, 1.0), 0.0);
    EXPECT_NEAR(Atan2Positive(1.0, 0.0), kTruePi / 2.0, 1e-15);
    EXPECT_NEAR(Atan2Positive(0.0, -1.0), kTruePi, 1e-15);
    EXPECT_NEAR(Atan2Positive(-1.0, 0.0), 3.0 * kTruePi / 2.0, 1e-15);
    EXPECT_EQ(Atan2Positive(0.0, 0.0), 0.0);
    // A negative zero is not a negative angle.
    EXPECT_FALSE(std::signbit(Atan2Positive(-0.0, 1.0)));
    EXPECT_FALSE(std::signbit(Atan2Positive(-0.0, 0.0)));

    std::mt19937 random(7);
    std::uniform_real_distribution<double> any(-1.0, 1.0);
    for (int i = 0; i < 10000; ++i) {
        double a = Atan2Positive(any(random), any(random));
        ASSERT_GE(a, 0.0);
        ASSERT_LT(a, kTrueTwoPi);
    }
    // Just below the positive x axis: too close to a full turn to tell from it.
    EXPECT_EQ(Atan2Positive(-1e-300, 1.0), 0.0);
    double a = Atan2Positive(-1e-9, 1.0);
    EXPECT_GT(a, 0.0);
    EXPECT_LT(a, kTrueTwoPi);
    EXPECT_NEAR(a, kTrueTwoPi - 1e-9, 1e-15);
}

TEST(Vectors, ReduceAngleStaysInZeroToTwoPi) {
    EXPECT_EQ(ReduceAngle(1.0), 1.0);
    EXPECT_NEAR(ReduceAngle(-1.0), kTwoPi - 1.0, 1e-15);
    EXPECT_NEAR(ReduceAngle(7.0), 7.0 - kTwoPi, 1e-15);
    EXPECT_NEAR(ReduceAngle(-7.0), 2.0 * kTwoPi - 7.0, 1e-15);
    // 31.415926534999997 is one ulp below five turns of 6.283185307, where the
    // quotient rounds up to 5.
    for (double angle : {-1e-17, -100.0, 100.0, 1e6, kTrueTwoPi, 3.0 * kTrueTwoPi,
                         31.415926534999997, 62.831853069999994}) {
        double r = ReduceAngle(angle);
        EXPECT_GE(r, 0.0) << angle;
        EXPECT_LT(r, kTrueTwoPi) << angle;
    }
}

TEST(Vectors, SphericalAndRectangularRoundTrip) {
    double lon = -1.0, lat = -1.0, r = -1.0;
    Vector3 zero = {0.0, 0.0, 0.0};
    RectangularToSpherical(zero, &lon, &lat, &r);
    EXPECT_EQ(lon, 0.0);
    EXPECT_EQ(lat, 0.0);
    EXPECT_EQ(r, 0.0);

    Vector3 pole = {0.0, 0.0, -2.0};
    RectangularToSpherical(pole, &lon, &lat, &r);
    EXPECT_EQ(lon, 0.0);
    EXPECT_NEAR(lat, -kTruePi / 2.0, 1e-15);
    EXPECT_EQ(r, 2.0);

    std::mt19937 random(11);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 1000; ++i) {
        double lon0 = u(random) * kTrueTwoPi;
        double lat0 = std::asin(2.0 * u(random) - 1.0);
        double r0 = 0.1 + 10.0 * u(random);
        Vector3 v;
        SphericalToRectangular(lon0, lat0, r0, v);
        EXPECT_NEAR(VectorLength(v), r0, 1e-14 * r0);
        RectangularToSpherical(v, &lon, &lat, &r);
        ASSERT_NEAR(lon, lon0, 1e-12);
        ASSERT_NEAR(lat, lat0, 1e-12);
        ASSERT_NEAR(r, r0, 1e-12 * r0);
    }
}

TEST(Vectors, RectangularToSphericalAgreesWithAtan2AndAsinEverywhere) {
    // Longitude and latitude are taken by cheaper routes than atan2; they must
    // agree with it on every octant, on the axes and near the poles.
    auto check = [](double x, double y, double z) {
        Vector3 v = {x, y, z};
        double lon = 0.0, lat = 0.0;
        RectangularToSpherical(v, &lon, &lat, nullptr);
        EXPECT_NEAR(lon, Atan2Positive(y, x), 1e-15) << x << " " << y << " " << z;
        EXPECT_NEAR(lat, std::atan2(z, std::hypot(x, y)), 1e-15) << x << " " << y << " " << z;
        EXPECT_GE(lon, 0.0);
        EXPECT_LT(lon, kTrueTwoPi);
    };
    for (double x : {-2.0, -1.0, -1e-9, -0.0, 0.0, 1e-9, 1.0, 3.0})
        for (double y : {-2.0, -1.0, -1e-9, -0.0, 0.0, 1e-9, 1.0, 3.0})
            for (double z : {-5.0, -0.9, 0.0, 0.7, 0.70710678, 0.70710679, 1e-7})
                if (x != 0.0 || y != 0.0) check(x, y, z);
    std::mt19937 random(17);
    std::uniform_real_distribution<double> any(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i)
        check(any(random), any(random), 3.0 * any(random));
    // A hair below the +x axis: the longitude is 0 or just under a full turn,
    // never a full turn.
    Vector3 v = {1.0, -1e-300, 0.0};
    double lon = -1.0;
    RectangularToSpherical(v, &lon, nullptr, nullptr);
    EXPECT_EQ(lon, 0.0);
}

TEST(Vectors, SphericalMotionIsTheDerivativeOfThePosition) {
    const double lon = 1.2, lat = -0.4, r = 3.0, dlon = 0.01, dlat = -0.02, dr = 0.5;
    Vector3 position, velocity;
    SphericalToRectangularMotion(lon, lat, r, dlon, dlat, dr, position, velocity);
    Vector3 expected;
    SphericalToRectangular(lon, lat, r, expected);
    const double h = 1e-5;
    Vector3 ahead, behind;
    SphericalToRectangular(lon + dlon * h, lat + dlat * h, r + dr * h, ahead);
    SphericalToRectangular(lon - dlon * h, lat - dlat * h, r - dr * h, behind);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(position[i], expected[i], 1e-15) << i;
        EXPECT_NEAR(velocity[i], (ahead[i] - behind[i]) / (2.0 * h), 1e-9) << i;
    }
}

TEST(Vectors, VectorOperationsAllowTheOutputToBeAnInput) {
    Vector3 a = {1.0, 2.0, 3.0};
    Vector3 b = {-2.0, 0.5, 4.0};
    EXPECT_DOUBLE_EQ(DotProduct(a, b), 11.0);
    Vector3 c;
    CrossProduct(a, b, c);
    EXPECT_DOUBLE_EQ(c[0], 6.5);
    EXPECT_DOUBLE_EQ(c[1], -10.0);
    EXPECT_DOUBLE_EQ(c[2], 4.5);
    EXPECT_NEAR(DotProduct(a, c), 0.0, 1e-14);
    CrossProduct(a, b, a); // into one of its own inputs
    EXPECT_DOUBLE_EQ(a[0], 6.5);
    EXPECT_DOUBLE_EQ(a[1], -10.0);
    EXPECT_DOUBLE_EQ(a[2], 4.5);

    Vector3 s = {1.0, 2.0, 3.0};
    VectorSubtract(s, b, s);
    EXPECT_DOUBLE_EQ(s[0], 3.0);
    EXPECT_DOUBLE_EQ(VectorLength(s), std::sqrt(9.0 + 2.25 + 1.0));
}

TEST(Vectors, MatrixProductAndTranspose) {
    Matrix3 a = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};
    Matrix3 b = {{0, 1, 0}, {-1, 0, 2}, {3, 1, 1}};
    Matrix3 expected = {{7, 4, 7}, {13, 10, 16}, {22, 17, 26}};
    Matrix3 product;
    CopyMatrix(b, product);
    MultiplyMatrix(a, product); // product := a x b
    ExpectMatrixNear(product, expected, 0.0, "a x b");

    Matrix3 squared = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};
    MultiplyMatrix(squared, squared); // a matrix times itself, in place
    Matrix3 expectedSquare = {{30, 36, 45}, {66, 81, 102}, {109, 134, 169}};
    ExpectMatrixNear(squared, expectedSquare, 0.0, "a x a");

    Vector3 v = {1.0, -1.0, 2.0};
    TransformVector(a, v);
    EXPECT_DOUBLE_EQ(v[0], 5.0);
    EXPECT_DOUBLE_EQ(v[1], 11.0);
    EXPECT_DOUBLE_EQ(v[2], 19.0);
    Vector3 w = {1.0, -1.0, 2.0};
    UntransformVector(a, w);
    EXPECT_DOUBLE_EQ(w[0], 11.0);
    EXPECT_DOUBLE_EQ(w[1], 13.0);
    EXPECT_DOUBLE_EQ(w[2], 17.0);
}

TEST(Vectors, ElementaryRotationsHaveTheirSignPatterns) {
    const double angle = 0.3;
    const double c = std::cos(angle), s = std::sin(angle);
    Matrix3 m;
    RotationMatrix(m, {{0, angle}});
    Matrix3 x = {{1, 0, 0}, {0, c, -s}, {0, s, c}};
    ExpectMatrixNear(m, x, 1e-16, "axis 0");
    RotationMatrix(m, {{1, angle}});
    Matrix3 y = {{c, 0, -s}, {0, 1, 0}, {s, 0, c}};
    ExpectMatrixNear(m, y, 1e-16, "axis 1");
    RotationMatrix(m, {{2, angle}});
    Matrix3 z = {{c, -s, 0}, {s, c, 0}, {0, 0, 1}};
    ExpectMatrixNear(m, z, 1e-16, "axis 2");

    // No rotation at all, or an axis that does not exist, leaves the identity.
    Matrix3 identity;
    IdentityMatrix(identity);
    RotationMatrix(m, {});
    ExpectMatrixNear(m, identity, 0.0, "no rotations");
    RotationMatrix(m, {{3, 1.0}, {-1, 1.0}});
    ExpectMatrixNear(m, identity, 0.0, "bad axes");
}

TEST(Vectors, RotationMatrixMultipliesEachNewRotationOnTheLeft) {
    Matrix3 first, second, expected, m;
    RotationMatrix(first, {{0, 0.7}});
    RotationMatrix(second, {{2, -1.1}});
    CopyMatrix(first, expected);
    MultiplyMatrix(second, expected); // second x first
    RotationMatrix(m, {{0, 0.7}, {2, -1.1}});
    ExpectMatrixNear(m, expected, 1e-15, "R2 x R1");

    // Turning the frame by -lon about z and then by +lat about y brings the
    // direction (lon, lat) onto +x: the chart's centring.
    const double lon = 2.1, lat = 0.6;
    Vector3 v;
    SphericalToRectangular(lon, lat, 1.0, v);
    RotationMatrix(m, {{2, -lon}, {1, -lat}});
    TransformVector(m, v);
    EXPECT_NEAR(v[0], 1.0, 1e-15);
    EXPECT_NEAR(v[1], 0.0, 1e-15);
    EXPECT_NEAR(v[2], 0.0, 1e-15);
}

TEST(Vectors, SeparationAndPositionAngle) {
    EXPECT_NEAR(AngularSeparation(0.0, 0.0, kTruePi / 2.0, 0.0), kTruePi / 2.0, 1e-15);
    EXPECT_NEAR(AngularSeparation(1.0, -kTruePi / 2.0, 2.0, kTruePi / 2.0), kTruePi, 1e-15);
    // A point against itself, where the cosine rounds to just above 1.
    for (double lat : {0.3, 0.7, -1.2, 1.5}) {
        double d = AngularSeparation(0.4, lat, 0.4, lat);
        EXPECT_FALSE(std::isnan(d)) << lat;
        EXPECT_NEAR(d, 0.0, 1e-7) << lat;
    }

    // North, east, south and west of a point on the equator.
    EXPECT_NEAR(PositionAngle(1.0, 0.0, 1.0, 0.1), 0.0, 1e-15);
    EXPECT_NEAR(PositionAngle(1.0, 0.0, 1.1, 0.0), kTruePi / 2.0, 1e-9);
    EXPECT_NEAR(PositionAngle(1.0, 0.0, 1.0, -0.1), kTruePi, 1e-9);
    EXPECT_NEAR(PositionAngle(1.0, 0.0, 0.9, 0.0), 3.0 * kTruePi / 2.0, 1e-9);
}

TEST(Vectors, VectorPositionAngleAgreesWithPositionAngle) {
    std::mt19937 random(13);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 500; ++i) {
        double lon1 = u(random) * kTrueTwoPi, lat1 = std::asin(1.8 * u(random) - 0.9);
        double lon2 = u(random) * kTrueTwoPi, lat2 = std::asin(1.8 * u(random) - 0.9);
        Vector3 p1, p2;
        SphericalToRectangular(lon1, lat1, 1.0, p1);
        SphericalToRectangular(lon2, lat2, 1.0, p2);
        double expected = PositionAngle(lon1, lat1, lon2, lat2);
        double actual = VectorPositionAngle(p1, p2);
        double difference = std::remainder(actual - expected, kTrueTwoPi);
        ASSERT_NEAR(difference, 0.0, 1e-9) << i;
    }
    // At the poles there is no east: 0. A direction along the position: 0.
    Vector3 pole = {0.0, 0.0, 1.0};
    Vector3 w = {1.0, 0.0, 0.0};
    EXPECT_EQ(VectorPositionAngle(pole, w), 0.0);
    Vector3 southPole = {0.0, 0.0, -1.0};
    EXPECT_EQ(VectorPositionAngle(southPole, w), 0.0);
    Vector3 u1 = {0.6, 0.8, 0.0};
    EXPECT_EQ(VectorPositionAngle(u1, u1), 0.0);
}

} // namespace
