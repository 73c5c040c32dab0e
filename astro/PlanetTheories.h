#pragma once

// The theories that place the Sun, Moon and planets for the planet
// computation modes 2 ("VFP", the low-precision series of Van Flandern and
// Pulkkinen) and 3 ("VSOP87": VSOP87B for Mercury to Neptune and the Earth,
// the lunar series of ELP-2000/82 as Meeus truncates it, Pluto from Meeus'
// series). Bodies are named by their object type codes: 1 Sun, 2 Mercury,
// 3 Venus, 4 Earth, 5 Mars, 6 Jupiter, 7 Saturn, 8 Uranus, 9 Neptune,
// 10 Pluto, 15 Moon.
//
// Every position is rectangular, AU, J2000 equatorial axes: heliocentric for
// the planets, Pluto and the Earth, the origin for the Sun, geocentric for
// the Moon. False for a type the theory doesn't place or a non-finite time.

#include "astro/Vectors.h"

bool VfpPosition(int type, double jde, Vector3& position);
bool Vsop87Position(int type, double jde, Vector3& position);

// The series of one VFP body as the published tables give them: longitude
// and latitude in radians, radius in AU (the Moon's in Earth radii), in the
// ecliptic and mean equinox of the date. False for a type without a table.
struct EclipticPlace {
    double longitude, latitude, radius;
};
bool VfpEclipticPlace(int type, double jde, EclipticPlace& place);
