#pragma once

// Orbital elements: the two-body orbit solution for elliptic, parabolic and
// hyperbolic orbits, the mean motion of an orbit, the mean motion and secular
// rates of an Earth satellite, and the carrying of ecliptic elements from one
// equinox to J2000.

#include "astro/Vectors.h"

// Gaussian gravitational constant squared: GM of the Sun, AU^3 / day^2.
constexpr double kGaussianGM = 0.00029591220828559115;
// The Sun's mass in Earth masses.
constexpr double kSunEarthMassRatio = 332946.0;
// Earth satellites: ke in Earth radii^1.5 per minute, the J2 terms 1.5 k2 and
// 3 k2, the Earth's radius in AU and Earth radii per AU.
constexpr double kSatelliteKe = 0.0743669161;
constexpr double kSatelliteK2Half = 0.0008119620000000001;   // 1.5 k2
constexpr double kSatelliteK2Triple = 0.0016239240000000001; // 3 k2
constexpr double kEarthRadiusAU = 4.2635199284588744e-05;
constexpr double kEarthRadiiPerAU = 23454.79830702862;
constexpr double kMinutesPerDay = 1440.0;

// Mean motion (radians per day) of an orbit of perihelion distance q (AU) and
// eccentricity e about a centre of gravitational parameter gm (AU^3/day^2).
// For a parabola it is the rate of W in Barker's equation. 0 when q <= 0.
double MeanMotion(double gm, double q, double e);

// An Earth satellite's motion from its mean motion n0 (radians per minute),
// eccentricity and inclination: the semi-major axis (Earth radii) corrected
// for the way two-line mean motions are defined, and the secular rates of the
// node and the perigee (radians per minute) from the Earth's oblateness.
struct SatelliteMotion {
    double semiMajorAxis;
    double nodeRate;
    double perigeeRate;
};
SatelliteMotion SatelliteSecularMotion(double n0, double e, double inclination);

// Carries the inclination, node and argument of perihelion of an orbit from
// the ecliptic and equinox of fromJD to those of J2000 (radians in and out).
void PrecessElementsToJ2000(double fromJD, double* inclination, double* node, double* perihelion);

// The iterations of the orbit solution stop at this tolerance or pass count.
constexpr double kOrbitTolerance = 1e-8;
constexpr int kOrbitMaxPasses = 1000;
// At and above this eccentricity an ellipse is solved by bisection, which
// cannot diverge; below it Newton's method is faster and more exact.
constexpr double kBisectionEccentricity = 0.975;

// True anomaly (radians) and radius (AU) for a mean anomaly M (for a
// parabola, Barker's W), eccentricity e and perihelion distance q.
// q = 0 gives 0 and 0; a negative e changes the sign of both e and q (the
// radius comes out negative, which puts the body on the same conic turned half
// round in its plane). Returns false, and leaves both outputs as they were,
// when there is no solution to give: an iteration that stopped at its pass
// limit or ran away without satisfying its equation (Newton's method from
// E = M can do that for eccentricities just under the bisection's), or a
// solution that is not a finite number (NaN or infinite elements, an extreme
// hyperbolic anomaly whose sinh overflows). The caller keeps the body's
// previous position.
bool SolveOrbit(double M, double e, double q, double* trueAnomaly, double* radius);

// The position in the frame of the elements (AU). Returns false, and leaves
// the position as it was, when SolveOrbit fails.
bool OrbitPosition(double q, double e, double inclination, double perihelion, double node,
                   double meanAnomaly, Vector3& position);

// Osculating elements as stored in a body's record, radians and days.
struct OrbitalElements {
    double epoch; // Julian date
    double q, e;
    double inclination, perihelion, node, meanAnomaly;
    double meanMotion;     // radians per day
    double perihelionRate; // radians per day
    double nodeRate;       // radians per day
};

// The position at Julian date `time` (dynamical time) from osculating
// elements referred to the J2000 ecliptic: J2000 equatorial axes, AU,
// relative to the centre of the orbit. Returns false, and leaves the
// position as it was, when the orbit has no finite solution at that time.
bool ElementsPosition(const OrbitalElements& elements, double time, Vector3& position);
