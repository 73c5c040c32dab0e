#pragma once

// The small vector library under every position computation: angles, spherical
// and rectangular coordinates, 3-vectors and 3x3 matrices, and rotations.
//
// Angles are radians. Longitudes (and right ascension) run over [0, 2 pi),
// latitudes (and declination, altitude) over [-pi/2, +pi/2]. A vector is three
// doubles (x, y, z); a matrix is 3x3 doubles stored row by row.

#include <cmath>
#include <initializer_list>

using Vector3 = double[3];
using Matrix3 = double[3][3];

// The angle constants as the program has always written them. They are not the
// full double-precision values, and results depend on that, so they stay so.
constexpr double kPi = 3.141592654;
constexpr double kHalfPi = 1.570796327;
constexpr double kTwoPi = 6.283185307;
constexpr double kInverseTwoPi = 0.15915494309644432;
constexpr double kDegreesPerRadian = 57.29577951;
constexpr double kRadiansPerDegree = 0.01745329252;
// Degrees read from the settings file and from dialogs are converted with this one.
constexpr double kSettingsRadiansPerDegree = 0.017453292520882225;
constexpr double kRadiansPerArcsecond = 4.848136812202333e-6;

// Arc tangent of y/x in the quadrant of (x, y), in [0, 2 pi). (0, 0) gives 0.
double Atan2Positive(double y, double x);

// The angle reduced into [0, 2 pi).
double ReduceAngle(double angle);

void SphericalToRectangular(double lon, double lat, double r, Vector3& v);

// A zero vector gives lon 0, lat 0, r 0; a vector on the z axis gives lon 0.
void RectangularToSpherical(const Vector3& v, double* lon, double* lat, double* r);

// Position and velocity of a point moving in spherical coordinates: the rates
// dlon, dlat (radians per unit time) and dr (length per unit time) give the
// rectangular velocity.
void SphericalToRectangularMotion(double lon, double lat, double r, double dlon, double dlat,
                                  double dr, Vector3& position, Vector3& velocity);

inline double VectorLength(const Vector3& v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}
// sum := a + b; difference := a - b. The output may be one of the inputs.
inline void VectorAdd(const Vector3& a, const Vector3& b, Vector3& sum) {
    for (int i = 0; i < 3; ++i)
        sum[i] = a[i] + b[i];
}
inline void VectorSubtract(const Vector3& a, const Vector3& b, Vector3& difference) {
    for (int i = 0; i < 3; ++i)
        difference[i] = a[i] - b[i];
}
inline double DotProduct(const Vector3& a, const Vector3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
// product := a x b. The output may be one of the inputs.
void CrossProduct(const Vector3& a, const Vector3& b, Vector3& product);
inline void CopyVector(const Vector3& from, Vector3& to) {
    for (int i = 0; i < 3; ++i)
        to[i] = from[i];
}

void IdentityMatrix(Matrix3& m);
void CopyMatrix(const Matrix3& from, Matrix3& to);
// b := a x b.
void MultiplyMatrix(const Matrix3& a, Matrix3& b);

// v := m v, a vector carried into the frame of m.
inline void TransformVector(const Matrix3& m, Vector3& v) {
    double x = m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2];
    double y = m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2];
    double z = m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2];
    v[0] = x;
    v[1] = y;
    v[2] = z;
}
// v := transpose(m) v, a vector carried back out of the frame of m.
void UntransformVector(const Matrix3& m, Vector3& v);

// One elementary rotation. Axis 0, 1, 2 is x, y, z; for c = cos angle and
// s = sin angle the matrices are
//   axis 0: (1, 0, 0), (0, c, -s), (0, s, c)
//   axis 1: (c, 0, -s), (0, 1, 0), (s, 0, c)
//   axis 2: (c, -s, 0), (s, c, 0), (0, 0, 1)
// Every frame matrix of the program is built from these exact sign patterns.
struct Rotation {
    int axis;
    double angle;
};

// m := Rn x ... x R1: starting from the identity, each rotation in turn is
// multiplied on the left. A rotation about an axis other than 0, 1 or 2 is skipped.
void RotationMatrix(Matrix3& m, int n, const Rotation* rotations);
inline void RotationMatrix(Matrix3& m, std::initializer_list<Rotation> rotations) {
    RotationMatrix(m, static_cast<int>(rotations.size()), rotations.begin());
}

// Great-circle distance between two points, in [0, pi].
double AngularSeparation(double lon1, double lat1, double lon2, double lat2);

// Direction of point 2 seen from point 1, from north through east, in [0, 2 pi).
double PositionAngle(double lon1, double lat1, double lon2, double lat2);

// Position angle of the direction w at the unit position u, from north (towards
// the +z pole) through east. 0 at the poles and when w points along u.
double VectorPositionAngle(const Vector3& u, const Vector3& w);
