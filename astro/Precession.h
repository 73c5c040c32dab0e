#pragma once

// Precession and nutation as frame matrices, and the mean obliquity of the
// ecliptic: the IAU 1976 precession (Lieske 1977) and a short nutation series.
// Dates are Julian dates of Dynamic Time.

#include "astro/Vectors.h"

constexpr double kJ2000 = 2451545.0;
constexpr double kInverseJulianCentury = 2.7378507871321012e-5; // 1/36525
// The Besselian epoch 1950.0, to which the galactic coordinates are referred.
constexpr double kB1950 = 2433282.423;

// Mean obliquity of the ecliptic at jd, radians.
double MeanObliquity(double jd);

// The precession angles from the mean equator and equinox of jd0 to those of
// jd1, radians: the equatorial angles zeta, z and theta, and the ecliptic angles
// pi (inclination of the ecliptic of jd1 on that of jd0), Pi (longitude of its
// node) and p (general precession in longitude). Any pointer may be null for an
// angle that is not wanted.
void PrecessionAngles(double jd0, double jd1, double* zeta, double* z, double* theta, double* pi,
                      double* bigPi, double* p);

// The matrix that carries mean equatorial vectors of jd0 to the mean equatorial
// frame of jd1 or, with nutation, to the true equatorial frame of jd1.
void PrecessionMatrix(Matrix3& matrix, double jd0, double jd1, bool withNutation);

// Nutation in longitude and in obliquity at jd, radians (good to about 0.5").
void Nutation(double jd, double* deltaPsi, double* deltaEpsilon);
