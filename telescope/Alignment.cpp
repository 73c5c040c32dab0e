#include "telescope/Alignment.h"

#include "astro/TimeScales.h"
#include "astro/Viewer.h"
#include "shell/Platform.h"
#include "telescope/Link.h"
#include "telescope/TelescopeState.h"

#include <cmath>

AlignmentState gAlignmentState;

namespace {

constexpr int kFarFromExpectedQuestion = 2715;
constexpr int kTooCloseQuestion = 2716;
constexpr double kMismatchLimitDegrees = 1.0;
constexpr double kClosestStarsDegrees = 10.0;
constexpr double kDegreesPerRadian = 57.29577951308232;

double (*gSiderealSource)() = nullptr;

double SiderealNow() {
    if (gSiderealSource != nullptr) return gSiderealSource();
    return LocalSiderealTime(LinkUniversalTime(), gViewer.longitude);
}

double Separation(const Vector3& a, const Vector3& b) {
    // atan2 of |a x b| and a . b keeps small angles exact.
    Vector3 c;
    CrossProduct(a, b, c);
    return std::atan2(VectorLength(c), DotProduct(a, b)) * kDegreesPerRadian;
}

// The inverse of a 3x3 matrix by its cofactors; false when singular.
bool Invert(const Matrix3& m, Matrix3& inverse) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
            inverse[i][j] = m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];
        }
    double det = m[0][0] * inverse[0][0] + m[0][1] * inverse[1][0] + m[0][2] * inverse[2][0];
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) return false;
    for (auto& row : inverse)
        for (double& x : row)
            x /= det;
    return true;
}

void Normalise(Vector3& v) {
    double length = VectorLength(v);
    if (length > 0.0)
        for (double& x : v)
            x /= length;
}

} // namespace

void ResetAlignment() {
    gAlignmentState = AlignmentState{};
    IdentityMatrix(gAlignmentState.alignMatrix);
}

void SetAlignmentSiderealSource(double (*siderealTime)()) {
    gSiderealSource = siderealTime;
}

void EncoderAngles(const double counts[2], double& lon, double& lat) {
    const TelescopeState& t = gTelescopeState;
    const AlignmentState& a = gAlignmentState;
    double c1 = t.encodersSwapped ? counts[1] : counts[0];
    double c2 = t.encodersSwapped ? counts[0] : counts[1];
    lon = t.lonEncoderSteps != 0 ? (c1 - a.zeroCounts[0]) * kTwoPi / t.lonEncoderSteps : 0.0;
    // The zero point is taken with the tube at the pole of the mount.
    lat = kHalfPi +
          (t.latEncoderSteps != 0 ? (c2 - a.zeroCounts[1]) * kTwoPi / t.latEncoderSteps : 0.0);
    lat = std::remainder(lat, 2.0 * 3.141592653589793);
    if (lat > kHalfPi) {
        lat = kPi - lat;
        lon += kPi;
    } else if (lat < -kHalfPi) {
        lat = -kPi - lat;
        lon += kPi;
    }
    lon = ReduceAngle(lon);
}

void AlignedPosition(double lon, double lat, double& ra, double& dec) {
    const AlignmentState& a = gAlignmentState;
    if (a.alignStage < 3) {
        ra = lon;
        dec = lat;
        return;
    }
    Vector3 v;
    SphericalToRectangular(lon, lat, 1.0, v);
    TransformVector(a.alignMatrix, v);
    double r;
    RectangularToSpherical(v, &ra, &dec, &r);
    if (gTelescopeState.mountType == kMountAltAzimuth) ra = ReduceAngle(SiderealNow() + ra);
}

int AlignStep(const double counts[2], bool countsAreAngles) {
    AlignmentState& a = gAlignmentState;
    const TelescopeState& t = gTelescopeState;
    if (a.alignStage == 0) {
        a.zeroCounts[0] = t.encodersSwapped ? counts[1] : counts[0];
        a.zeroCounts[1] = t.encodersSwapped ? counts[0] : counts[1];
        a.alignStage = 1;
        return 1;
    }
    double lon = counts[0], lat = counts[1];
    if (!countsAreAngles) EncoderAngles(counts, lon, lat);
    Vector3 mount, sky;
    SphericalToRectangular(lon, lat, 1.0, mount);
    // An alt-azimuth mount's longitude is the negative hour angle.
    double skyLon = t.targetRA;
    if (t.mountType == kMountAltAzimuth) skyLon -= SiderealNow();
    SphericalToRectangular(skyLon, t.targetDec, 1.0, sky);
    if (a.alignStage >= 2) {
        double a1 = Separation(mount, a.mountVec[1]);
        double a2 = Separation(sky, a.skyVec[1]);
        double d = std::fabs(a2 - a1);
        if (d > kMismatchLimitDegrees &&
            ShowMessage(ButtonsOKCancel, kFarFromExpectedQuestion, d) != AnswerOK)
            return 0;
        if (a1 < kClosestStarsDegrees &&
            ShowMessage(ButtonsOKCancel, kTooCloseQuestion, a1) != AnswerOK)
            return 0;
    }
    CopyVector(a.mountVec[1], a.mountVec[2]);
    CopyVector(mount, a.mountVec[1]);
    CopyVector(a.skyVec[1], a.skyVec[2]);
    CopyVector(sky, a.skyVec[1]);
    if (a.alignStage < 2) {
        a.alignStage = 2;
        return 1;
    }
    CrossProduct(a.mountVec[1], a.mountVec[2], a.mountVec[0]);
    CrossProduct(a.skyVec[1], a.skyVec[2], a.skyVec[0]);
    Normalise(a.mountVec[0]);
    Normalise(a.skyVec[0]);
    // T M = S for the columns M0 M1 M2 and S0 S1 S2: T = S M^-1.
    Matrix3 m, s, inverse;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            m[i][j] = a.mountVec[j][i];
            s[i][j] = a.skyVec[j][i];
        }
    if (Invert(m, inverse)) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                a.alignMatrix[i][j] =
                    s[i][0] * inverse[0][j] + s[i][1] * inverse[1][j] + s[i][2] * inverse[2][j];
    }
    a.alignStage = 3;
    return 1;
}
