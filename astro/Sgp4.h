#pragma once

// The SGP4 model of NORAD two-line elements (Hoots and Roehrich, Spacetrack
// Report #3, 1980, with the corrections of Vallado, Crawford, Hujsak and
// Kelso, "Revisiting Spacetrack Report #3", AIAA 2006-6753): the near-Earth
// theory with its drag and zonal terms, and for periods of 225 minutes and
// more the deep-space one with the lunar-solar terms and the resonances of
// half-day and one-day orbits. Element sets are fitted with this model and
// the WGS-72 constants, and mean what they say only through it.
//
// Positions come out in kilometres in TEME, the frame of the true equator
// and the mean equinox of the instant, as the model works in.

#include "astro/Vectors.h"

// WGS-72, as the element sets assume.
constexpr double kSgp4EarthRadiusKm = 6378.135;
constexpr double kSgp4EarthGM = 398600.8; // km^3/s^2

// The mean elements of one two-line element set.
struct Sgp4Elements {
    double epoch = 0.0;      // Julian date, Universal Time
    double meanMotion = 0.0; // radians per minute, as the two-line set gives it
    double eccentricity = 0.0;
    double inclination = 0.0; // radians, to the equator of date
    double node = 0.0;
    double perigee = 0.0;
    double meanAnomaly = 0.0;
    double bstar = 0.0; // drag term, per Earth radius
};

// Why a set has no position. The numbers are the model's customary error
// codes, so that they can be compared with other programs' reports.
enum Sgp4Status : int {
    kSgp4Ok = 0,
    kSgp4MeanEccentricity = 1,      // mean eccentricity outside [-0.001, 1) after drag
    kSgp4MeanMotion = 2,            // mean motion zero or below
    kSgp4PerturbedEccentricity = 3, // outside [0, 1] with the lunar-solar terms
    kSgp4SemiLatusRectum = 4,       // negative: no ellipse
    kSgp4Decayed = 6,               // below the Earth's surface
};

// The terms of one set that do not depend on the time, made once.
struct Sgp4Model {
    Sgp4Elements el;
    bool deepSpace = false;
    bool simpleDrag = false; // perigee below 220 km, or deep space: fewer drag terms
    // Near-Earth secular and drag terms.
    double meanMotion = 0.0; // recovered ("un-Kozai'd") mean motion, radians per minute
    double aycof = 0.0, con41 = 0.0, cc1 = 0.0, cc4 = 0.0, cc5 = 0.0;
    double d2 = 0.0, d3 = 0.0, d4 = 0.0, delmo = 0.0, eta = 0.0;
    double argpdot = 0.0, omgcof = 0.0, sinmao = 0.0, t2cof = 0.0, t3cof = 0.0;
    double t4cof = 0.0, t5cof = 0.0, x1mth2 = 0.0, x7thm1 = 0.0, mdot = 0.0;
    double nodedot = 0.0, xlcof = 0.0, xmcof = 0.0, nodecf = 0.0;
    // Deep space: per perturbing body (0 the Sun, 1 the Moon), the periodic
    // terms in e, i, l, g + h and h, and the body's mean anomaly at epoch.
    struct Periodics {
        double e2, e3, i2, i3, l2, l3, l4, gh2, gh3, gh4, h2, h3, meanAnomaly;
    } body[2] = {};
    // Secular rates from both bodies, radians (or eccentricity) per minute.
    double dedt = 0.0, didt = 0.0, dmdt = 0.0, dnodt = 0.0, domdt = 0.0;
    // Resonance: 0 none, 1 one-day, 2 half-day.
    int resonance = 0;
    double gsto = 0.0; // Greenwich sidereal angle at epoch
    double del1 = 0.0, del2 = 0.0, del3 = 0.0;
    double d2201 = 0.0, d2211 = 0.0, d3210 = 0.0, d3222 = 0.0, d4410 = 0.0, d4422 = 0.0;
    double d5220 = 0.0, d5232 = 0.0, d5421 = 0.0, d5433 = 0.0;
    double xfact = 0.0, xlamo = 0.0;
};

// Prepares the model of a set and places it at its epoch: kSgp4Ok, or the
// reason the set is refused (a mean motion of zero or less, an eccentricity
// outside [0, 1), an orbit under the ground at epoch).
int Sgp4Init(const Sgp4Elements& elements, Sgp4Model& model);

// The position (km) and velocity (km/s) in TEME `minutes` after the epoch:
// kSgp4Ok, or the reason there is none (then position and velocity are
// left as they were).
int Sgp4Propagate(const Sgp4Model& model, double minutes, Vector3& position, Vector3& velocity);

// Greenwich mean sidereal angle (radians, [0, 2 pi)) at a Julian date of
// Universal Time, by the IAU 1982 expression the model is fitted with.
double Sgp4SiderealAngle(double jdUt);
