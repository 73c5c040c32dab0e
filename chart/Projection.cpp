#include "chart/Projection.h"

#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr double kFixed30 = 1073741824.0;
constexpr double kFixed15 = 32768.0;
// Mollweide: sin(latitude) from the projected height.
constexpr double kMollweideInverseLatitude = 0.6366197722844561; // 2/pi

// The frame before the first drawing: safe to project with (no zero divisor).
ProjectionFrame InitialFrame() {
    ProjectionFrame f{};
    IdentityMatrix(f.matrix);
    for (int i = 0; i < 3; ++i) {
        f.matrixFixed15[i][i] = kUnitFixed15;
        f.matrixFixed30[i][i] = kUnitFixed30;
    }
    f.scale = 1;
    f.inverseScale = 1.0;
    f.inverseScaleFixed = kUnitFixed30;
    f.fixedUnitsPerPixel = kFixed30;
    f.depthLimit = kLambertDepthLimit;
    f.projection = kLambert;
    f.coordinateSystem = kHorizon;
    return f;
}

TelescopeCenterQuery gTelescopeCenterQuery = nullptr;

// A double result as a 32-bit integer, truncated toward zero; results beyond
// the range stay at its ends (a point that far off can't be drawn anyway).
inline std::int32_t Truncate32(double d) {
    if (d >= 2147483647.0) return kInt32Max;
    if (d <= -2147483648.0) return kInt32Min;
    if (d != d) return 0;
    return static_cast<std::int32_t>(d);
}

// A 64-bit result cut to 32 bits as 32-bit arithmetic would leave it.
inline std::int32_t Wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(value);
}

inline std::int16_t Clamp16(int value) {
    return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

// A positive 32-bit quantity from a double: at least 1 (it divides), at most
// the 32-bit maximum.
inline std::int32_t PositiveScale(double d) {
    if (!(d >= 1.0)) return 1;
    if (d >= 2147483647.0) return kInt32Max;
    return static_cast<std::int32_t>(d);
}

// Where the cylindrical projections put the point: its longitude from the
// centre and c = 2^30 cos(latitude), truncated.
// atan(t) / t as a polynomial in t^2 for t within +-tan(pi/8): Chebyshev
// interpolation of degree ten, good to 4e-17 (highest power first).
constexpr double kArcTangentSeries[] = {0.021135373157693246,
                                        -0.04348052215716462,
                                        0.056883492268090106,
                                        -0.06640233930429408,
                                        0.07689953496306857,
                                        -0.09090773074808414,
                                        0.11111106180455946,
                                        -0.14285714180976467,
                                        0.1999999999885511,
                                        -0.3333333333332844,
                                        1.0};
constexpr double kTanEighthTurn = 0.41421356237309503;
constexpr double kEighthTurn = 0.78539816339744828; // pi/4 to the last bit
constexpr double kQuarterTurn = 1.5707963267948966; // pi/2
constexpr double kHalfTurn = 3.1415926535897931;    // pi

// The arc tangent of y / x in (-pi, pi], as atan2 gives it: reduced to an
// angle within an eighth of a turn with one division and summed there by
// Estrin's scheme, which keeps the chain of dependent products short. Within
// three units in the last place of the library's atan2 (far below a pixel at
// any scale) at about half its cost, which is most of what a cylindrical
// projection costs.
inline double ArcTangent2(double y, double x) {
    const double ax = std::fabs(x), ay = std::fabs(y);
    const double lo = std::min(ax, ay), hi = std::max(ax, ay);
    const bool reduced = lo > kTanEighthTurn * hi;
    const double t = (reduced ? lo - hi : lo) / (reduced ? lo + hi : hi);
    const double u = t * t, u2 = u * u, u4 = u2 * u2;
    const double* a = kArcTangentSeries; // a[10] is the constant term
    const double sum = (a[10] + a[9] * u) + (a[8] + a[7] * u) * u2 +
                       ((a[6] + a[5] * u) + (a[4] + a[3] * u) * u2) * u4 +
                       ((a[2] + a[1] * u) + a[0] * u2) * (u4 * u4);
    // The octant is put back by sums with chosen constants rather than by
    // branches: the directions of a chart come in no order a predictor learns.
    double angle = (reduced ? kEighthTurn : 0.0) + t * sum;
    angle = (ay > ax ? kQuarterTurn : 0.0) + (ay > ax ? -angle : angle);
    angle = (x < 0.0 ? kHalfTurn : 0.0) + (x < 0.0 ? -angle : angle);
    return std::copysign(angle, y);
}

inline double CylinderLongitude(std::int32_t X, std::int32_t Y) {
    if (X == 0) return Y > 0 ? kHalfPi : -kHalfPi;
    return ArcTangent2(static_cast<double>(Y), static_cast<double>(X));
}
inline std::int32_t CylinderCosine(std::int32_t Z) {
    double product = (static_cast<double>(Z) + kFixed30) * (kFixed30 - static_cast<double>(Z));
    return product > 0.0 ? static_cast<std::int32_t>(std::sqrt(product)) : 0;
}

// Off the chart in the direction of the point: the ends of the 32-bit range.
inline std::int32_t OverflowValue(std::int32_t component) {
    return component > 0 ? kInt32Min : kInt32Max;
}

} // namespace

ProjectionFrame gFrame = InitialFrame();

void setTelescopeCenterQuery(TelescopeCenterQuery query) {
    gTelescopeCenterQuery = query;
}

void PrepareChartFrame(const Rect& rect, int legendHeight) {
    ChartView& view = gChartView;
    ProjectionFrame& f = gFrame;

    int system = view.coordinateSystem;
    const Matrix3* frameMatrix = FrameMatrix(gInstant.frames, system);
    if (frameMatrix == nullptr || system == kFrameJ2000) {
        system = kHorizon;
        frameMatrix = FrameMatrix(gInstant.frames, system);
    }

    // Hook point of the telescope's stay-centred mode.
    double ra = 0.0, dec = 0.0;
    if (gTelescopeCenterQuery != nullptr && gTelescopeCenterQuery(&ra, &dec)) {
        if (ConvertFrame(gInstant.frames, kFrameJ2000, system, &ra, &dec)) {
            view.centerLongitude = ra;
            view.centerLatitude = dec;
        }
    }

    if (view.centeredObject != 0) {
        SkyObject* object = getObject(view.centeredObject);
        if (object == nullptr) {
            view.centeredObject = 0;
        } else {
            EnsureComputed(object);
            Vector3 direction;
            ObjectDirection(object, direction);
            TransformVector(*frameMatrix, direction);
            RectangularToSpherical(direction, &view.centerLongitude, &view.centerLatitude, nullptr);
        }
    }

    // The centre goes to +X, then the field turns about it.
    Matrix3 rotation;
    RotationMatrix(
        rotation,
        {{2, -view.centerLongitude}, {1, -view.centerLatitude}, {0, -view.fieldRotation}});
    CopyMatrix(*frameMatrix, f.matrix);
    MultiplyMatrix(rotation, f.matrix);
    // A horizon chart faces the sky from below, so east is on the other side
    // than on a chart of the celestial sphere seen from inside.
    bool flipY = view.invertedHorizontally != (system == kHorizon);
    for (int j = 0; j < 3; ++j) {
        if (flipY) f.matrix[1][j] = -f.matrix[1][j];
        if (view.invertedVertically) f.matrix[2][j] = -f.matrix[2][j];
    }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            f.matrixFixed15[i][j] = static_cast<std::int32_t>(f.matrix[i][j] * kFixed15);
            f.matrixFixed30[i][j] = Truncate32(f.matrix[i][j] * kFixed30);
        }

    for (int j = 0; j < 3; ++j) {
        f.zenith[j] = gInstant.frames.horizon[2][j];
        f.zenithFixed15[j] = static_cast<std::int32_t>(f.zenith[j] * kFixed15);
        f.zenithFixed30[j] = Truncate32(f.zenith[j] * kFixed30);
    }
    f.horizonSine = std::sin(gComputationOptions.horizonAltitude);
    f.horizonSineFixed15 = static_cast<std::int32_t>(f.horizonSine * kFixed15);
    f.horizonSineFixed30 = Truncate32(f.horizonSine * kFixed30);

    f.left = Clamp16(rect.left);
    f.top = Clamp16(rect.top);
    f.right = Clamp16(rect.right);
    int bottom = rect.bottom;
    bottom -= legendHeight;
    f.bottom = Clamp16(bottom);
    f.centerX = static_cast<std::int16_t>((f.left + f.right) / 2);
    f.centerY = static_cast<std::int16_t>((f.top + f.bottom) / 2);

    int projection = view.projection;
    if (projection < kPlanar || projection > kMollweide) projection = kLambert;
    f.projection = static_cast<std::int16_t>(projection);
    f.coordinateSystem = static_cast<std::int16_t>(system);

    // Projected units across half the width: h pixels span them. An empty
    // rectangle counts as one pixel wide so that nothing divides by zero.
    int h = std::max((f.right - f.left) / 2, 1);
    double a = view.fieldWidth * 0.5;
    double units;
    switch (projection) {
    case kPlanar:
        units = std::tan(a);
        f.depthLimit = kPlanarDepthLimit;
        break;
    case kSpherical:
        units = std::sin(a);
        f.depthLimit = kPlanarDepthLimit;
        break;
    case kLambert:
        units = std::tan(a / 2);
        f.depthLimit = kLambertDepthLimit;
        break;
    default:
        units = a;
        f.depthLimit = kWholeSphereDepthLimit;
        break;
    }
    f.scale = PositiveScale(h / units);
    f.inverseScale = units / h;
    f.inverseScaleFixed = PositiveScale(f.inverseScale * kFixed30);
    f.fixedUnitsPerPixel = f.inverseScale > 0.0 ? f.inverseScale * kFixed30 : 1.0;
}

ProjectedPoint ProjectDirection(const std::int32_t v[3]) {
    const ProjectionFrame& f = gFrame;
    ProjectedPoint p;
    std::int32_t X, Y, Z;
    const bool highMagnification = f.scale >= kHighMagnificationScale;
    if (!highMagnification) {
        // 15-bit by 15-bit products summed in 32 bits (taken in 64 and cut
        // back, which gives the same bits without overflow in the language).
        std::int64_t a = v[0] >> 15, b = v[1] >> 15, c = v[2] >> 15;
        X = Wrap32(a * f.matrixFixed15[0][0] + b * f.matrixFixed15[0][1] +
                   c * f.matrixFixed15[0][2]);
        Y = Wrap32(a * f.matrixFixed15[1][0] + b * f.matrixFixed15[1][1] +
                   c * f.matrixFixed15[1][2]);
        Z = Wrap32(a * f.matrixFixed15[2][0] + b * f.matrixFixed15[2][1] +
                   c * f.matrixFixed15[2][2]);
    } else {
        double a = v[0], b = v[1], c = v[2];
        X = Truncate32(f.matrix[0][0] * a + f.matrix[0][1] * b + f.matrix[0][2] * c);
        Y = Truncate32(f.matrix[1][0] * a + f.matrix[1][1] * b + f.matrix[1][2] * c);
        Z = Truncate32(f.matrix[2][0] * a + f.matrix[2][1] * b + f.matrix[2][2] * c);
    }

    switch (f.projection) {
    case kPlanar:
    case kLambert: {
        // Planar divides by the depth, Lambert (stereographic) by the
        // distance from the antipode of the centre.
        std::int32_t divisor = X;
        if (f.projection == kLambert) divisor = X >= kUnitFixed30 ? kInt32Max : X + kUnitFixed30;
        std::int32_t k = divisor / f.scale;
        if (k == 0) {
            p.x = OverflowValue(Y);
            p.y = OverflowValue(Z);
        } else if (!highMagnification) {
            // -INT32_MAX keeps the quotient by -1 in range.
            std::int32_t y = std::max(Y, -kInt32Max), z = std::max(Z, -kInt32Max);
            p.x = Wrap32(std::int64_t{f.centerX} - y / k);
            p.y = Wrap32(std::int64_t{f.centerY} - z / k);
        } else {
            // k has too few digits here: divide by its exact value instead.
            double perUnit = static_cast<double>(f.scale) / divisor;
            p.x = Wrap32(std::int64_t{f.centerX} - Truncate32(Y * perUnit));
            p.y = Wrap32(std::int64_t{f.centerY} - Truncate32(Z * perUnit));
        }
        break;
    }
    case kSpherical:
        if (!highMagnification) {
            p.x = Wrap32(std::int64_t{f.centerX} - Y / f.inverseScaleFixed);
            p.y = Wrap32(std::int64_t{f.centerY} - Z / f.inverseScaleFixed);
        } else {
            p.x = Wrap32(std::int64_t{f.centerX} - Truncate32(Y / f.fixedUnitsPerPixel));
            p.y = Wrap32(std::int64_t{f.centerY} - Truncate32(Z / f.fixedUnitsPerPixel));
        }
        break;
    case kMercator: {
        double lambda = CylinderLongitude(X, Y);
        std::int32_t c = CylinderCosine(Z);
        p.x = Truncate32(f.centerX - f.scale * lambda);
        p.y = c != 0 ? Truncate32(f.centerY - static_cast<double>(f.scale) * Z / c)
                     : OverflowValue(Z);
        break;
    }
    default: { // Mollweide
        double lambda = CylinderLongitude(X, Y);
        std::int32_t c = CylinderCosine(Z);
        if (!highMagnification) {
            p.x = Truncate32(f.centerX - lambda * (c / f.inverseScaleFixed));
            p.y = Truncate32(f.centerY - (Z / f.inverseScaleFixed) * kHalfPi);
        } else {
            p.x = Truncate32(f.centerX - lambda * (c / f.fixedUnitsPerPixel));
            p.y = Truncate32(f.centerY - (Z / f.fixedUnitsPerPixel) * kHalfPi);
        }
        break;
    }
    }

    p.depth = X;
    p.visible = (v[0] | v[1] | v[2]) != 0 && X >= f.depthLimit;
    return p;
}

ProjectedPoint ProjectVector(const Vector3& v) {
    std::int32_t fixed[3];
    for (int i = 0; i < 3; ++i)
        fixed[i] = Truncate32(v[i] * kFixed30);
    return ProjectDirection(fixed);
}

std::int32_t AltitudeSine(const std::int32_t v[3]) {
    const std::int32_t* z = gFrame.zenithFixed15;
    std::int64_t a = v[0] >> 15, b = v[1] >> 15, c = v[2] >> 15;
    return Wrap32(a * z[0] + b * z[1] + c * z[2]);
}

bool PointInChart(const std::int32_t v[3]) {
    ProjectedPoint p = ProjectDirection(v);
    const ProjectionFrame& f = gFrame;
    if (!p.visible || p.x < f.left || p.y < f.top || p.x > f.right || p.y > f.bottom) return false;
    return !gDisplayOptions.showHorizonMask || AltitudeSine(v) >= f.horizonSineFixed30;
}

bool UnprojectPoint(int x, int y, Vector3& direction) {
    const ProjectionFrame& f = gFrame;
    double u = (f.centerX - x) * f.inverseScale;
    double w = (f.centerY - y) * f.inverseScale;
    switch (f.projection) {
    case kPlanar: {
        double d = std::sqrt(u * u + w * w + 1.0);
        direction[0] = 1.0 / d;
        direction[1] = u / d;
        direction[2] = w / d;
        break;
    }
    case kSpherical: {
        double s = 1.0 - u * u - w * w;
        if (s <= 0.0) return false;
        direction[0] = std::sqrt(s);
        direction[1] = u;
        direction[2] = w;
        break;
    }
    case kLambert: {
        double d = (u * u + w * w + 1.0) * 0.5;
        direction[0] = 1.0 / d - 1.0;
        direction[1] = u / d;
        direction[2] = w / d;
        break;
    }
    case kMercator: {
        double phi = std::atan(w);
        direction[0] = std::cos(u) * std::cos(phi);
        direction[1] = std::sin(u) * std::cos(phi);
        direction[2] = std::sin(phi);
        break;
    }
    default: { // Mollweide
        double t = w * kMollweideInverseLatitude;
        if (t > 1.0 || t < -1.0) return false;
        double phi = std::asin(t);
        double lambda = u / std::cos(phi);
        // (Written so that the 0/0 of a pole row is refused too.)
        if (!(lambda <= kPi && lambda >= -kPi)) return false;
        direction[0] = std::cos(lambda) * std::cos(phi);
        direction[1] = std::sin(lambda) * std::cos(phi);
        direction[2] = std::sin(phi);
        break;
    }
    }
    // Back out of the chart frame: the transpose undoes mirroring and rotation.
    UntransformVector(f.matrix, direction);
    return true;
}
