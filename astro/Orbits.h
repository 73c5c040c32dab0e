#pragma once

// Orbital elements: the mean motion of a two-body orbit, the mean motion and
// secular rates of an Earth satellite, and the carrying of ecliptic elements
// from one equinox to J2000.

// Gaussian gravitational constant squared: GM of the Sun, AU^3 / day^2.
constexpr double kGaussianGM = 0.00029591220828559115;
// The Sun's mass in Earth masses.
constexpr double kSunEarthMassRatio = 332946.0;
// Earth satellites: ke in Earth radii^1.5 per minute, the J2 terms 1.5 k2 and
// 3 k2, the Earth's radius in AU and Earth radii per AU.
constexpr double kSatelliteKe = 0.0743669161;
constexpr double kSatelliteK2Half = 0.0008119620000000001;  // 1.5 k2
constexpr double kSatelliteK2Triple = 0.0016239240000000001;  // 3 k2
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
void PrecessElementsToJ2000(double fromJD, double* inclination, double* node,
                            double* perihelion);
