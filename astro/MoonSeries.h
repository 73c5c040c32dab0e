#pragma once

// The Moon from ELP-2000/82 as Meeus truncates it (Astronomical Algorithms
// ch. 47): 60 terms each in longitude and distance, 60 in latitude, the
// eccentricity factor E on the terms with the Sun's mean anomaly, and the
// additive terms of Venus (A1), Jupiter (A2) and the flattening of the Earth
// (A3). About 10" in longitude and 4" in latitude.

#include "astro/PlanetTheories.h"
#include "astro/Vectors.h"

// Geocentric longitude in [0, 2 pi) and latitude, radians, referred to the
// mean ecliptic and equinox of the date (no nutation), and the distance between
// the centres of the Earth and the Moon in kilometres. False for a non-finite
// time.
bool MoonSeriesPlace(double jde, EclipticPlace& place);

// The same place as a geocentric vector, AU, J2000 equatorial axes: the mean
// ecliptic of the date turned back onto the mean equator of the date by the
// mean obliquity, then precessed to J2000 (without nutation).
bool MoonSeriesPosition(double jde, Vector3& position);
