// Angles, spherical and rectangular coordinates, vectors, matrices and rotations.

#include "AstroTest.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using namespace astro_test;

void ExpectMatrixNear(const Matrix3& actual, const Matrix3& expected, double tolerance) {
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(actual[i / 3][i % 3], expected[i / 3][i % 3], tolerance) << i;
}

TEST(Vectors, AnglesStayInZeroToTwoPi) {
    const double cases[][3] = {{1, -1, 3 * kTruePi / 4}, {0, 0, 0}, {-1e-9, 1, kTurn - 1e-9}};
    for (const auto& [y, x, angle] : cases)
        EXPECT_NEAR(Atan2Positive(y, x), angle, 1e-15) << y << " " << x;
    EXPECT_FALSE(std::signbit(Atan2Positive(-0.0, 1.0))) << "a negative zero is no negative angle";
    // One ulp below five turns of 6.283185307, where the quotient rounds up to 5.
    for (double angle : {-1e-17, 3 * kTurn, 31.415926534999997})
        EXPECT_TRUE(ReduceAngle(angle) >= 0.0 && ReduceAngle(angle) < kTurn) << angle;
}

TEST(Vectors, SphericalAndRectangularAgreeWithAtan2AndRoundTrip) {
    double lon = -1.0, lat = -1.0, r = -1.0;
    Vector3 zero = {0.0, 0.0, 0.0};
    RectangularToSpherical(zero, &lon, &lat, &r);
    EXPECT_EQ(std::vector<double>({lon, lat, r}), std::vector<double>(3, 0.0));
    // Longitude and latitude are taken by cheaper routes than atan2; they must
    // agree with it on the axes and near the poles.
    const double points[][3] = {{0, 0, -2},        {1, -1e-300, 0},
                                {-0.0, 3, 1e-7},   {-2, -1e-9, 0.70710679},
                                {1e-9, 0.0, -5.0}, {0, -2, 0.70710678}};
    for (const auto& p : points) {
        Vector3 v = {p[0], p[1], p[2]};
        RectangularToSpherical(v, &lon, &lat, nullptr);
        EXPECT_NEAR(lon, Atan2Positive(p[1], p[0]), 1e-15) << p[0] << " " << p[1] << " " << p[2];
        EXPECT_NEAR(lat, std::atan2(p[2], std::hypot(p[0], p[1])), 1e-15) << p[0] << " " << p[1];
    }
    Vector3 v;
    SphericalToRectangular(4.0, -1.2, 3.0, v);
    RectangularToSpherical(v, &lon, &lat, &r);
    EXPECT_TRUE(std::fabs(lon - 4.0) < 1e-12 && std::fabs(lat + 1.2) < 1e-12 &&
                std::fabs(r - 3.0) < 1e-12);
}

TEST(Vectors, SphericalMotionIsTheDerivativeOfThePosition) {
    const double lon = 1.2, lat = -0.4, r = 3.0, dlon = 0.01, dlat = -0.02, dr = 0.5, h = 1e-5;
    Vector3 position, velocity, ahead, behind;
    SphericalToRectangularMotion(lon, lat, r, dlon, dlat, dr, position, velocity);
    SphericalToRectangular(lon + dlon * h, lat + dlat * h, r + dr * h, ahead);
    SphericalToRectangular(lon - dlon * h, lat - dlat * h, r - dr * h, behind);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(position[i], (ahead[i] + behind[i]) / 2.0, 1e-9) << i;
        EXPECT_NEAR(velocity[i], (ahead[i] - behind[i]) / (2.0 * h), 1e-9) << i;
    }
}

TEST(Vectors, OperationsAllowTheOutputToBeAnInput) {
    Vector3 a = {1.0, 2.0, 3.0}, b = {-2.0, 0.5, 4.0};
    CrossProduct(a, b, a);
    EXPECT_EQ(std::vector<double>(a, a + 3), (std::vector<double>{6.5, -10.0, 4.5}));
    Matrix3 m = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}, squared;
    CopyMatrix(m, squared);
    MultiplyMatrix(squared, squared);
    ExpectMatrixNear(squared, {{30, 36, 45}, {66, 81, 102}, {109, 134, 169}}, 0.0);
    Vector3 v = {1.0, -1.0, 2.0}, w = {1.0, -1.0, 2.0};
    TransformVector(m, v);
    UntransformVector(m, w); // by the transpose
    EXPECT_EQ(std::vector<double>(v, v + 3), (std::vector<double>{5, 11, 19}));
    EXPECT_EQ(std::vector<double>(w, w + 3), (std::vector<double>{11, 13, 17}));
    // Rotations about axes that do not exist are none; signs and the order of
    // composition are proved by the precession matrices against ERFA.
    Matrix3 identity;
    IdentityMatrix(identity);
    RotationMatrix(m, {{3, 1.0}, {-1, 1.0}});
    ExpectMatrixNear(m, identity, 0.0);
}

TEST(Vectors, SeparationAndPositionAngle) {
    EXPECT_NEAR(AngularSeparation(1.0, -kTruePi / 2, 2.0, kTruePi / 2), kTruePi, 1e-15);
    // A point against itself, where the cosine rounds to just above 1: not NaN.
    EXPECT_NEAR(AngularSeparation(0.4, 0.7, 0.4, 0.7), 0.0, 1e-7);
    EXPECT_NEAR(PositionAngle(1.0, 0.0, 1.1, 0.0), kTruePi / 2, 1e-9) << "east";
    EXPECT_NEAR(PositionAngle(1.0, 0.0, 1.0, -0.1), kTruePi, 1e-9) << "south";
    std::mt19937 random(13);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 500; ++i) {
        double lon1 = u(random) * kTurn, lat1 = std::asin(1.8 * u(random) - 0.9);
        double lon2 = u(random) * kTurn, lat2 = std::asin(1.8 * u(random) - 0.9);
        Vector3 p1, p2;
        SphericalToRectangular(lon1, lat1, 1.0, p1);
        SphericalToRectangular(lon2, lat2, 1.0, p2);
        ASSERT_NEAR(
            AngleDifference(VectorPositionAngle(p1, p2), PositionAngle(lon1, lat1, lon2, lat2)),
            0.0, 1e-9);
    }
    // At the poles there is no east, and a direction along the position has none: 0.
    Vector3 south = {0, 0, -1}, x = {1, 0, 0}, along = {0.6, 0.8, 0};
    EXPECT_EQ(VectorPositionAngle(south, x), 0.0);
    EXPECT_EQ(VectorPositionAngle(along, along), 0.0);
}

} // namespace
