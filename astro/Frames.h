#pragma once

// The sky frames in which charts and reports are expressed. Positions inside the
// program are vectors on the mean equator and equinox of J2000; each frame has
// one matrix that carries such a vector into it, rebuilt for every instant.

#include "astro/Vectors.h"

// Frame codes, shared with the chart's coordinate system. J2000 is the frame the
// positions are kept in; its matrix is the identity.
constexpr int kFrameJ2000 = 0;
constexpr int kFrameEquatorial = 1;
constexpr int kFrameEcliptic = 2;
constexpr int kFrameGalactic = 3;
constexpr int kFrameHorizon = 4;

// One matrix per frame, each from J2000 equatorial into the frame.
struct FrameMatrices {
    Matrix3 equatorial; // precession (and nutation) to the precession epoch
    Matrix3 ecliptic;   // the equatorial frame turned onto the mean ecliptic of the epoch
    Matrix3 galactic;   // fixed
    Matrix3 horizon;    // the equator of the date turned to the site's horizon: x north,
                        // y east, z zenith
    Matrix3 ofDate;     // precession (and nutation) to the equator of the date, about
                        // whose pole the sky turns; no frame of its own on the chart
};

// The matrix of a frame code, or nullptr for a code that names no frame. The
// J2000 frame has a shared identity matrix.
const Matrix3* FrameMatrix(const FrameMatrices& frames, int frame);

// Equator to ecliptic (forward) or ecliptic to equator for an obliquity, radians.
void ObliquityMatrix(Matrix3& m, double obliquity, bool forward);

// J2000 equatorial to galactic (forward), through the equator of B1950.0 on which
// the galactic pole and node were defined, or back.
void GalacticMatrix(Matrix3& m, bool forward);

// Equator of the epoch to the horizon (forward) for a local sidereal time and a
// latitude, radians, or back. Azimuth = Atan2Positive(y, x) runs from north
// through east; altitude = asin z.
void HorizonMatrix(Matrix3& m, double siderealTime, double latitude, bool forward);

// Fills the four frame matrices for an instant, in the order Equatorial,
// Ecliptic (from Equatorial), Galactic, Horizon. The epoch is the Julian date
// of the equinox of the Equatorial and Ecliptic frames; the Horizon frame is
// reached from the equator of `date` (the instant's JDE), with nutation when
// it is on. Without a date, the epoch is the date.
void BuildFrameMatrices(FrameMatrices& frames, double epoch, bool nutation, double siderealTime,
                        double latitude, double date);
void BuildFrameMatrices(FrameMatrices& frames, double epoch, bool nutation, double siderealTime,
                        double latitude);

// Converts a direction from one frame to another, radians. Returns false, and
// leaves lon and lat as they were, when a code names no frame.
bool ConvertFrame(const FrameMatrices& frames, int fromFrame, int toFrame, double* lon,
                  double* lat);
