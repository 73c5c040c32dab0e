#pragma once

// Digital setting circles: encoder counts become mount angles, and after a
// zero point and two stars, sky coordinates by the matrix that carries the
// mount's frame onto the sky's (two-star alignment). Equatorial and
// alt-azimuth mounts alike.

#include "astro/Vectors.h"

struct AlignmentState {
    int alignStage;       // 0 no zero point, 1 zero taken, 2 one star, 3 aligned
    double zeroCounts[2]; // azimuth / R.A. axis, altitude / Dec. axis
    Vector3 mountVec[3];  // 0 scratch, 1 newest star, 2 the one before (mount frame)
    Vector3 skyVec[3];    // the same in the sky's frame
    Matrix3 alignMatrix;  // mount frame to sky frame
};

extern AlignmentState gAlignmentState;

// Stage 0, zero counts, the identity.
void ResetAlignment();

// Counts (in the box's order) to mount longitude and latitude, radians.
void EncoderAngles(const double counts[2], double& lon, double& lat);

// Mount angles to R.A. and Dec. (J2000.0): unchanged before the alignment,
// through the alignment matrix after it.
void AlignedPosition(double lon, double lat, double& ra, double& dec);

// One press of Align with the box's counts (or, emulated, its angles) and
// the current target as the star. Returns 1 when the step was taken.
int AlignStep(const double counts[2], bool countsAreAngles);

// The universal time and site the alt-azimuth conversions use; tests fix them.
void SetAlignmentSiderealSource(double (*siderealTime)());
