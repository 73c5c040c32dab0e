#include "astro/Vectors.h"

#include <cmath>

namespace {

constexpr double kFullTurn = 6.283185307179586;
constexpr double kHalfTurn = 3.141592653589793;
constexpr double kQuarterTurn = 1.5707963267948966;
constexpr double kSqrtHalf = 0.7071067811865476;

// Rounding can carry a cosine built from unit vectors a hair past 1, where acos
// has no value.
double ClampedAcos(double c) {
    if (c >= 1.0) return 0.0;
    if (c <= -1.0) return std::acos(-1.0);
    return std::acos(c);
}

// Atan2Positive(y, x) for (x, y) not both zero, to an ulp or two. Every drawn
// object passes through here; the arc tangent of a ratio folded into the first
// octant costs well under the library's atan2.
double FastLongitude(double y, double x) {
    double ax = std::fabs(x);
    double ay = std::fabs(y);
    double angle = ay <= ax ? std::atan(ay / ax) : kQuarterTurn - std::atan(ax / ay);
    if (x < 0.0) angle = kHalfTurn - angle;
    if (y < 0.0 && angle > 0.0) {
        angle = kFullTurn - angle;
        if (angle >= kFullTurn) angle = 0.0;
    }
    return angle;
}

} // namespace

double Atan2Positive(double y, double x) {
    double angle = std::atan2(y, x);
    if (angle < 0.0) {
        // The full double-precision turn: with the short constant every angle of
        // the lower half plane came out 1.8e-10 rad small, and a direction turned
        // into coordinates and back did not return to itself.
        angle += kFullTurn;
        // A negative angle too small to show against a full turn is zero.
        if (angle >= kFullTurn) angle = 0.0;
    }
    // atan2 of a negative zero is a negative zero; adding zero makes it positive.
    return angle + 0.0;
}

double ReduceAngle(double angle) {
    double reduced = angle - kTwoPi * std::floor(angle * kInverseTwoPi);
    // Just below a whole number of turns the quotient can round up to it and
    // leave a few ulps below zero.
    return reduced < 0.0 ? reduced + kTwoPi : reduced;
}

void SphericalToRectangular(double lon, double lat, double r, Vector3& v) {
    double rcosLat = r * std::cos(lat);
    v[0] = rcosLat * std::cos(lon);
    v[1] = rcosLat * std::sin(lon);
    v[2] = r * std::sin(lat);
}

void RectangularToSpherical(const Vector3& v, double* lon, double* lat, double* r) {
    double rho2 = v[0] * v[0] + v[1] * v[1];
    double length = std::sqrt(rho2 + v[2] * v[2]);
    if (r != nullptr) *r = length;
    if (lat != nullptr) {
        // The arc sine is much cheaper than a second arc tangent, and as exact
        // where it is well conditioned; near the poles the complement is taken
        // from the distance to the axis instead.
        if (length == 0.0) {
            *lat = 0.0;
        } else {
            double sinLat = v[2] / length;
            if (std::fabs(sinLat) <= kSqrtHalf)
                *lat = std::asin(sinLat);
            else
                *lat = std::copysign(kQuarterTurn - std::asin(std::sqrt(rho2) / length), v[2]);
        }
    }
    if (lon != nullptr) *lon = rho2 == 0.0 ? 0.0 : FastLongitude(v[1], v[0]);
}

void SphericalToRectangularMotion(double lon, double lat, double r, double dlon, double dlat,
                                  double dr, Vector3& position, Vector3& velocity) {
    double cosLon = std::cos(lon), sinLon = std::sin(lon);
    double cosLat = std::cos(lat), sinLat = std::sin(lat);
    position[0] = r * cosLat * cosLon;
    position[1] = r * cosLat * sinLon;
    position[2] = r * sinLat;
    velocity[0] = dr * cosLat * cosLon - r * sinLat * cosLon * dlat - r * cosLat * sinLon * dlon;
    velocity[1] = dr * cosLat * sinLon - r * sinLat * sinLon * dlat + r * cosLat * cosLon * dlon;
    velocity[2] = dr * sinLat + r * cosLat * dlat;
}

void CrossProduct(const Vector3& a, const Vector3& b, Vector3& product) {
    double x = a[1] * b[2] - a[2] * b[1];
    double y = a[2] * b[0] - a[0] * b[2];
    double z = a[0] * b[1] - a[1] * b[0];
    product[0] = x;
    product[1] = y;
    product[2] = z;
}

void IdentityMatrix(Matrix3& m) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = i == j ? 1.0 : 0.0;
}

void CopyMatrix(const Matrix3& from, Matrix3& to) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            to[i][j] = from[i][j];
}

void MultiplyMatrix(const Matrix3& a, Matrix3& b) {
    Matrix3 product;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            product[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    CopyMatrix(product, b);
}

void UntransformVector(const Matrix3& m, Vector3& v) {
    double x = m[0][0] * v[0] + m[1][0] * v[1] + m[2][0] * v[2];
    double y = m[0][1] * v[0] + m[1][1] * v[1] + m[2][1] * v[2];
    double z = m[0][2] * v[0] + m[1][2] * v[1] + m[2][2] * v[2];
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

void RotationMatrix(Matrix3& m, int n, const Rotation* rotations) {
    IdentityMatrix(m);
    for (int k = 0; k < n; ++k) {
        int axis = rotations[k].axis;
        if (axis < 0 || axis > 2) continue;
        double c = std::cos(rotations[k].angle);
        double s = std::sin(rotations[k].angle);
        // The rotation touches only the two rows other than its axis: row i of the
        // product is c row_i - s row_j and row j is s row_i + c row_j, where (i, j)
        // is (1, 2) about x, (0, 2) about y and (0, 1) about z.
        int i = axis == 0 ? 1 : 0;
        int j = axis == 2 ? 1 : 2;
        for (int col = 0; col < 3; ++col) {
            double a = m[i][col];
            double b = m[j][col];
            m[i][col] = c * a - s * b;
            m[j][col] = s * a + c * b;
        }
    }
}

double AngularSeparation(double lon1, double lat1, double lon2, double lat2) {
    return ClampedAcos(std::cos(lon2 - lon1) * std::cos(lat1) * std::cos(lat2) +
                       std::sin(lat1) * std::sin(lat2));
}

double PositionAngle(double lon1, double lat1, double lon2, double lat2) {
    double dlon = lon2 - lon1;
    return Atan2Positive(std::sin(dlon) * std::cos(lat2),
                         std::sin(lat2) * std::cos(lat1) -
                             std::cos(dlon) * std::sin(lat1) * std::cos(lat2));
}

double VectorPositionAngle(const Vector3& u, const Vector3& w) {
    double rho = std::sqrt(1.0 - u[2] * u[2]);
    // At a pole every direction is south (or north); there is no east.
    if (!(rho > 0.0)) return 0.0;
    Vector3 east = {-u[1] / rho, u[0] / rho, 0.0};
    Vector3 north = {-u[0] * u[2] / rho, -u[1] * u[2] / rho, rho};
    double e = DotProduct(w, east);
    double n = DotProduct(w, north);
    if (e == 0.0 && n == 0.0) return 0.0;
    return Atan2Positive(e, n);
}
