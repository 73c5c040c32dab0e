#include "astro/Orbits.h"

#include "astro/Precession.h"
#include "astro/Vectors.h"

#include <cmath>

double MeanMotion(double gm, double q, double e) {
    if (q <= 0.0) return 0.0;
    if (e < 1.0) {
        double a = q / (1.0 - e);
        return std::sqrt(gm / (a * a * a));
    }
    if (e == 1.0) return 3.0 * std::sqrt(gm / (2.0 * q * q * q));
    double a = q / (e - 1.0);
    return std::sqrt(gm / (a * a * a));
}

SatelliteMotion SatelliteSecularMotion(double n0, double e, double inclination) {
    // The two-line mean motion is the Kozai mean motion; recover the
    // semi-major axis it implies (the customary SGP correction).
    double cosI = std::cos(inclination);
    double a1 = std::pow(kSatelliteKe / n0, 2.0 / 3.0);
    double eccentricityTerm = std::pow(1.0 - e * e, 1.5);
    double delta = kSatelliteK2Half * (3.0 * cosI * cosI - 1.0) / (a1 * a1 * eccentricityTerm);
    double a0 = a1 * (1.0 - delta / 3.0 - delta * delta - 1.6543209876543208 * delta * delta * delta);
    double p = a0 * (1.0 - e * e);
    double p2 = p * p;
    SatelliteMotion motion;
    motion.semiMajorAxis = a0;
    motion.nodeRate = -kSatelliteK2Triple * cosI * n0 / p2;
    motion.perigeeRate = kSatelliteK2Half * (5.0 * cosI * cosI - 1.0) * n0 / p2;
    return motion;
}

void PrecessElementsToJ2000(double fromJD, double* inclination, double* node, double* perihelion) {
    // The orbit's pole and its perihelion direction are carried as vectors:
    // ecliptic of the old equinox -> its equator -> the J2000 equator (the
    // precession matrix) -> the J2000 ecliptic. This avoids the singular
    // spherical formulas for orbits lying in the ecliptic.
    double i = *inclination, om = *node, w = *perihelion;
    Vector3 pole = {std::sin(i) * std::sin(om), -std::sin(i) * std::cos(om), std::cos(i)};
    Vector3 peri = {std::cos(om) * std::cos(w) - std::sin(om) * std::sin(w) * std::cos(i),
                    std::sin(om) * std::cos(w) + std::cos(om) * std::sin(w) * std::cos(i),
                    std::sin(w) * std::sin(i)};
    Matrix3 toEquator, precession, toEcliptic;
    RotationMatrix(toEquator, {{0, MeanObliquity(fromJD)}});
    PrecessionMatrix(precession, fromJD, kJ2000, false);
    RotationMatrix(toEcliptic, {{0, -MeanObliquity(kJ2000)}});
    for (Vector3* v : {&pole, &peri}) {
        TransformVector(toEquator, *v);
        TransformVector(precession, *v);
        TransformVector(toEcliptic, *v);
    }
    double sinI = std::hypot(pole[0], pole[1]);
    double newI = std::atan2(sinI, pole[2]);
    double newNode, newPerihelion;
    if (sinI < 1e-12) {
        // In the ecliptic the node is undefined: keep the longitude of perihelion.
        newNode = 0.0;
        newPerihelion = Atan2Positive(peri[1], peri[0]);
        if (pole[2] < 0.0) newPerihelion = ReduceAngle(-newPerihelion);
    } else {
        newNode = Atan2Positive(pole[0], -pole[1]);
        Vector3 nodeDirection = {std::cos(newNode), std::sin(newNode), 0.0};
        Vector3 cross;
        CrossProduct(nodeDirection, peri, cross);
        double unitPole[3] = {pole[0], pole[1], pole[2]};
        double length = VectorLength(pole);
        for (double& c : unitPole) c /= length;
        newPerihelion = Atan2Positive(DotProduct(cross, unitPole), DotProduct(nodeDirection, peri));
    }
    *inclination = newI;
    *node = newNode;
    *perihelion = newPerihelion;
}
