#pragma once

// The 23 planetary satellites that have theories of their own, by object type
// code: 16 Phobos, 17 Deimos (Sinclair's mean elements); 18 Io to 21 Callisto
// (the E5 series as Meeus gives them); 22 Mimas to 29 Iapetus (Meeus'
// Saturnian theory); 30 Phoebe, 36 Triton, 37 Nereid, 38 Charon (mean
// elements); 31 Miranda to 35 Oberon (GUST86).

#include "astro/Vectors.h"

constexpr int kFirstPlanetarySatellite = 16;
constexpr int kLastPlanetarySatellite = 38;

// The satellite's position relative to its planet's centre at the Julian date
// jde (Dynamical Time; the light-time-retarded one in the body pipeline): AU,
// J2000 equatorial axes. False for a type that isn't one of the 23 or a time
// that isn't finite; any finite time gives a finite position, far outside a
// theory's span too, though there it is only a sign of where the moon is.
bool SatellitePositionRelative(int type, double jde, Vector3& position);
