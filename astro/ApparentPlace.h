#pragma once

// The corrections between a catalogue direction and the direction the viewer
// sees: the Earth's velocity and annual aberration, the geocentric position of
// the observing site, and atmospheric refraction.

#include "astro/Vectors.h"

constexpr double kLightTimePerAU = 0.005775518;                   // days
constexpr double kEarthEquatorialRadius = 4.2635232707524516e-05; // AU (6378.14 km)
constexpr double kEarthFlattening = 0.0033528131778969143;        // 1/298.257
constexpr double kMetresToAU = 6.684587153547039e-12;

// The standard atmosphere of the refraction formulas: mbar and degrees Celsius.
constexpr double kStandardPressure = 1013.25;
constexpr double kStandardTemperature = 22.0;

// The Earth's velocity relative to the barycentre of the solar system at a
// dynamical Julian date, AU per day, J2000 equatorial axes.
void EarthVelocity(double jde, Vector3& velocity);

// Shifts a direction (any length; the length is kept) for the aberration of an
// observer moving with velocityOverC (the velocity divided by the speed of
// light), in the exact relativistic form.
void Aberrate(Vector3& direction, const Vector3& velocityOverC);

// Geocentric position of a site on the reference ellipsoid, in the units of the
// radius and the height: x toward the local sidereal time on the equator of the
// date, z toward the pole. Angles in radians.
void SiteGeocentricPosition(double siderealTime, double latitude, double height,
                            double equatorialRadius, double flattening, Vector3& position);

// Refraction to add to a true altitude, radians, for the pressure (mbar) and the
// temperature (degrees Celsius) of the air.
double RefractionCorrection(double altitude, double pressure = kStandardPressure,
                            double temperature = kStandardTemperature);
