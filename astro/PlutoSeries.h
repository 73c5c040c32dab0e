#pragma once

// Pluto from Meeus' series (Astronomical Algorithms ch. 37), fitted to the
// DE200 ephemeris: heliocentric, ecliptic and equinox J2000, good to about
// 0.5" between 1885 and 2099 and not to be used outside those years.

#include "astro/PlanetTheories.h"
#include "astro/Vectors.h"

// The years the series is made for, as Julian Ephemeris Days: 1885 January 1.0
// up to (not including) 2100 January 1.0.
constexpr double kPlutoSeriesFirstJDE = 2409542.5;
constexpr double kPlutoSeriesEndJDE = 2488069.5;

// Heliocentric longitude in [0, 2 pi) and latitude in radians, radius in AU,
// ecliptic and equinox J2000. False outside the years above or for a
// non-finite time.
bool PlutoSeriesPlace(double jde, EclipticPlace& place);

// The same as a heliocentric vector, AU, J2000 equatorial axes. False outside
// the years above or for a non-finite time.
bool PlutoSeriesPosition(double jde, Vector3& position);
