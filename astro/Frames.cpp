#include "astro/Frames.h"

#include "astro/Precession.h"

namespace {

// The galactic pole and node as the IAU defined them in 1958 on the equator and
// equinox of B1950.0: the node on the equator at R.A. 282.25 degrees, the plane
// inclined 62.6 degrees, and the node at galactic longitude 33 degrees.
constexpr double kGalacticNodeRA = 4.92619181377;             // 282.25 degrees
constexpr double kGalacticInclination = 1.092576111752;       // 62.6 degrees
constexpr double kGalacticNodeLongitude = 0.5759586531600001; // 33 degrees

constexpr Matrix3 kIdentity = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};

} // namespace

const Matrix3* FrameMatrix(const FrameMatrices& frames, int frame) {
    switch (frame) {
    case kFrameJ2000:
        return &kIdentity;
    case kFrameEquatorial:
        return &frames.equatorial;
    case kFrameEcliptic:
        return &frames.ecliptic;
    case kFrameGalactic:
        return &frames.galactic;
    case kFrameHorizon:
        return &frames.horizon;
    default:
        return nullptr;
    }
}

void ObliquityMatrix(Matrix3& m, double obliquity, bool forward) {
    RotationMatrix(m, {{0, forward ? -obliquity : obliquity}});
}

void GalacticMatrix(Matrix3& m, bool forward) {
    double zeta = 0.0, z = 0.0, theta = 0.0;
    PrecessionAngles(kJ2000, kB1950, &zeta, &z, &theta, nullptr, nullptr, nullptr);
    if (forward)
        RotationMatrix(m, {{2, zeta},
                           {1, theta},
                           {2, z},
                           {2, -kGalacticNodeRA},
                           {0, -kGalacticInclination},
                           {2, kGalacticNodeLongitude}});
    else
        RotationMatrix(m, {{2, -kGalacticNodeLongitude},
                           {0, kGalacticInclination},
                           {2, kGalacticNodeRA},
                           {2, -z},
                           {1, -theta},
                           {2, -zeta}});
}

void HorizonMatrix(Matrix3& m, double siderealTime, double latitude, bool forward) {
    // The two rotations leave y pointing west; turning it east makes a
    // left-handed frame, so that azimuth counts from north through east.
    if (forward) {
        RotationMatrix(m, {{2, kPi - siderealTime}, {1, latitude - kHalfPi}});
        for (int col = 0; col < 3; ++col)
            m[1][col] = -m[1][col];
    } else {
        RotationMatrix(m, {{1, kHalfPi - latitude}, {2, siderealTime - kPi}});
        for (int row = 0; row < 3; ++row)
            m[row][1] = -m[row][1];
    }
}

void BuildFrameMatrices(FrameMatrices& frames, double epoch, bool nutation, double siderealTime,
                        double latitude) {
    BuildFrameMatrices(frames, epoch, nutation, siderealTime, latitude, epoch);
}

void BuildFrameMatrices(FrameMatrices& frames, double epoch, bool nutation, double siderealTime,
                        double latitude, double date) {
    PrecessionMatrix(frames.equatorial, kJ2000, epoch, nutation);

    Matrix3 rotation;
    ObliquityMatrix(rotation, MeanObliquity(epoch), true);
    CopyMatrix(frames.equatorial, frames.ecliptic);
    MultiplyMatrix(rotation, frames.ecliptic);

    GalacticMatrix(frames.galactic, true);

    // The sky turns about the pole of the date, whatever equinox the charts'
    // coordinates are given in: the horizon is always reached from the
    // equator of the date (a J2000 equator would tilt it by the precession
    // since 2000, a tenth of a degree by 2026).
    if (date == epoch)
        CopyMatrix(frames.equatorial, frames.ofDate);
    else
        PrecessionMatrix(frames.ofDate, kJ2000, date, nutation);
    HorizonMatrix(rotation, siderealTime, latitude, true);
    CopyMatrix(frames.ofDate, frames.horizon);
    MultiplyMatrix(rotation, frames.horizon);
}

bool ConvertFrame(const FrameMatrices& frames, int fromFrame, int toFrame, double* lon,
                  double* lat) {
    const Matrix3* from = FrameMatrix(frames, fromFrame);
    const Matrix3* to = FrameMatrix(frames, toFrame);
    if (from == nullptr || to == nullptr) return false;
    Vector3 v;
    SphericalToRectangular(*lon, *lat, 1.0, v);
    UntransformVector(*from, v);
    TransformVector(*to, v);
    RectangularToSpherical(v, lon, lat, nullptr);
    return true;
}
