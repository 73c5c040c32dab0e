#pragma once

// The physical ephemeris of a body, as plain functions: rising and setting
// hour angles, apparent size and phase, magnitudes by body type, and the
// rotation models that give a body's orientation.

#include "astro/Vectors.h"

#include <cstdint>

constexpr double kSolarRadiusAU = 0.004652;
constexpr double kKilometresPerAU = 149597870.0;
constexpr double kSiderealToSolar = 0.9972695663398204;
// Precise rising and setting: stop when a pass moves the time angle by no
// more than this (about 27.5 s), or after this many passes.
constexpr double kRiseSetTolerance = 0.002;
constexpr int kRiseSetMaxPasses = 10;
// Time angles meaning "never rises" and "never sets".
constexpr double kNeverRises = 0.0;
constexpr double kNeverSets = 6.283185307;
constexpr std::int16_t kMagnitudeNone = 32767;

// The hour angle of rising or setting at horizon altitude h0 for a
// declination and a latitude: kNeverRises (0) when the body never rises, kPi
// when it never sets, otherwise acos of the classic expression. NaN inputs
// give 0.
double RiseSetHourAngle(double horizonAltitude, double declination, double latitude);

// Angular diameter (radians) of a body of radius R seen from distance delta:
// 0 when delta is infinite, kPi when R >= delta. A radius that is not a finite
// non-negative number (unknown size) gives 0, as does a NaN distance.
double AngularDiameter(double radius, double delta);

// Phase angle (radians) at the body: the angle between the unit direction
// from the viewer u and the body's heliocentric position p. 0 when |p| = 0;
// rounding past +-1 gives 0 or pi; NaN inputs give 0.
double PhaseAngle(const Vector3& u, const Vector3& p);

// Whether a body at heliocentric position p with radius R lies in the
// shadow of its primary (heliocentric position primaryPosition, radius
// primaryRadius): the Sun's whole disc, seen from the body, is behind the
// primary's disc. False when either distance is 0 or a radius or position
// is not finite.
bool InPrimaryShadow(const Vector3& p, double radius, const Vector3& primaryPosition,
                     double primaryRadius);

// Inputs of the magnitude laws.
struct MagnitudeInput {
    int type;          // the body's type code
    double delta;      // distance from the viewer, AU
    double r;          // distance from the Sun, AU
    double phase;      // phase angle, radians
    double param1;     // g, or H, in magnitudes (not hundredths); NaN when none
    double param2;     // k, or G; NaN when none
    double saturnSinB; // Saturn: sine of the viewer's latitude above the ring plane,
                       // sin(subViewerLatitude) of OrientationFrom for Saturn's model
};
// Apparent magnitude in hundredths, truncated toward zero; kMagnitudeNone when
// the body can't be seen (phase beyond kMaxVisiblePhase, distance infinite or
// not positive), the law lacks a parameter, or the law has no finite value
// (a logarithm of 0).
std::int16_t MagnitudeOf(const MagnitudeInput& input);
// Seen at a larger phase angle a body shows no magnitude.
constexpr double kMaxVisiblePhase = 3.138451061346;
// Asteroids: the H, G system holds below this phase angle (120 degrees).
constexpr double kMaxAsteroidPhase = 2.0943951026666667;

// A rotation model: the pole's right ascension and declination and the prime
// meridian at dynamical Julian date t (light time already taken off),
// radians. The meridian W is reduced to [0, 2 pi) and, for the bodies whose
// longitudes count east (the Sun, Venus, the Earth, Pluto, the Moon and the
// satellites that turn backwards), negated, so lying in (-2 pi, 0];
// `negatedMeridian` is true exactly for those. Bodies without a model
// (comets, asteroids, spacecraft, Earth satellites, Hyperion, Nereid) get
// pole (0, 90 degrees) and W = 0, not negated.
struct RotationState {
    double poleRA, poleDec, meridian;
    bool negatedMeridian;
};
RotationState RotationModel(int type, double t);

// Central meridian, sub-viewer latitude and north-pole position angle of a
// body seen along the unit direction u (from the viewer to the body). The
// sign of the meridian picks the count: W <= 0 (the negated models, and W = 0
// of a body without a model) gives the east longitude lambda + W of the
// sub-viewer point, W > 0 the west longitude W - lambda, lambda being the
// sub-viewer point's longitude from the node of the body's equator.
struct Orientation {
    double centralMeridian, subViewerLatitude, polePositionAngle;
};
Orientation OrientationFrom(const RotationState& rotation, const Vector3& u);
