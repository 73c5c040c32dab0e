#pragma once

// VSOP87B (Bretagnon and Francou 1988): heliocentric spherical coordinates of
// Mercury to Neptune and the Earth, referred to the ecliptic and equinox J2000
// of the theory, evaluated with every term of the published files.

#include "astro/PlanetTheories.h"
#include "astro/Vectors.h"

// Longitude L in [0, 2 pi) and latitude B in radians, radius R in AU, for the
// body types 2 (Mercury) to 9 (Neptune), the Earth (4) included. False for any
// other type or a non-finite time.
bool Vsop87EclipticPlace(int type, double jde, EclipticPlace& place);

// The matrix from the VSOP87 ecliptic of J2000 to the FK5 equator of J2000,
// as the theory's authors publish it (and Meeus, Astronomical Algorithms
// ch. 26, reprints it): the rotation by the obliquity of the theory's
// dynamical ecliptic, 23 26' 21.409", together with the turn of -0.0903" that
// carries its dynamical equinox onto the FK5 one.
extern const Matrix3 kVsop87EclipticToJ2000;
