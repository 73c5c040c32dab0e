#include "astro/ApparentPlace.h"

#include "astro/Precession.h"

#include <cmath>
#include <iterator>

namespace {

// The Earth's velocity by the series of Ron and Vondrak (1986), as tabulated by
// Meeus, Astronomical Algorithms, Table 23.A: the first nine argument rows, which
// carry its largest terms. L3, L5 and L6 are the mean longitudes of the Earth,
// Jupiter and Saturn; L', F and M' the Moon's mean longitude, argument of
// latitude and mean anomaly; radians, T in Julian centuries from J2000.
constexpr double kL3_0 = 1.7534703, kL3_1 = 628.3075849;  // Earth
constexpr double kL5_0 = 0.5995465, kL5_1 = 52.9690965;   // Jupiter
constexpr double kL6_0 = 0.8740168, kL6_1 = 21.3299095;   // Saturn
constexpr double kLp_0 = 3.8103444, kLp_1 = 8399.6847337; // Moon's mean longitude
constexpr double kF_0 = 1.6279052, kF_1 = 8433.4661601;   // Moon's argument of latitude
constexpr double kMp_0 = 2.3555559, kMp_1 = 8328.6914289; // Moon's mean anomaly
constexpr double kVelocityUnit = 1e-8;                    // AU per day

// One argument row: the argument as multiples of L3, L5, L6, L', F and M', and
// the sine and cosine amplitudes of X', Y' and Z', each a constant and a rate
// per century.
struct VelocityTerm {
    int l3, l5, l6, lp, f, mp;
    double xSin, xSinT, xCos, xCosT;
    double ySin, ySinT, yCos, yCosT;
    double zSin, zSinT, zCos, zCosT;
};

constexpr VelocityTerm kVelocityTerms[] = {
    // L3
    {1, 0, 0, 0, 0, 0, -1719914, -2, -25, 0, 25, -13, 1578089, 156, 10, 32, 684185, -358},
    // 2 L3
    {2, 0, 0, 0, 0, 0, 6434, 141, 28007, -107, 25697, -95, -5904, -130, 11141, -48, -2559, -55},
    // L5
    {0, 1, 0, 0, 0, 0, 715, 0, 0, 0, 6, 0, -657, 0, -15, 0, -282, 0},
    // L'
    {0, 0, 0, 1, 0, 0, 715, 0, 0, 0, 0, 0, -656, 0, 0, 0, -285, 0},
    // 3 L3
    {3, 0, 0, 0, 0, 0, 486, -5, -236, -4, -216, -4, -446, 5, -94, 0, -193, 0},
    // L6
    {0, 0, 1, 0, 0, 0, 159, 0, 0, 0, 2, 0, -147, 0, -6, 0, -61, 0},
    // F
    {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, -59, 0},
    // L' + M'
    {0, 0, 0, 1, 0, 1, 39, 0, 0, 0, 0, 0, -36, 0, 0, 0, -16, 0},
    // 2 L5
    {0, 2, 0, 0, 0, 0, 33, 0, -10, 0, -9, 0, -30, 0, -5, 0, -13, 0},
};

// Refraction by the two formulas of the Explanatory Supplement to the
// Astronomical Almanac: a cotangent law above 15 degrees and a rational fit
// below it; degrees, for the pressure in mbar and the temperature in kelvin.
constexpr double kRefractionBranchAltitude = 0.2618; // radians, 15 degrees
constexpr double kZeroCelsius = 273.0;
constexpr double kHighRefraction = 0.00452;
constexpr double kLowRefraction0 = 0.1594, kLowRefraction1 = 0.0196, kLowRefraction2 = 0.00002;
constexpr double kLowDenominator1 = 0.505, kLowDenominator2 = 0.0845;

} // namespace

void EarthVelocity(double jde, Vector3& velocity) {
    double T = (jde - kJ2000) * kInverseJulianCentury;
    double l3 = kL3_0 + kL3_1 * T;
    double l5 = kL5_0 + kL5_1 * T;
    double l6 = kL6_0 + kL6_1 * T;
    double lp = kLp_0 + kLp_1 * T;
    double f = kF_0 + kF_1 * T;
    double mp = kMp_0 + kMp_1 * T;
    double x = 0.0, y = 0.0, z = 0.0;
    // Smallest terms first, so that they are not lost against the largest.
    for (int k = static_cast<int>(std::size(kVelocityTerms)) - 1; k >= 0; --k) {
        const VelocityTerm& t = kVelocityTerms[k];
        double argument = t.l3 * l3 + t.l5 * l5 + t.l6 * l6 + t.lp * lp + t.f * f + t.mp * mp;
        double s = std::sin(argument);
        double c = std::cos(argument);
        x += (t.xSin + t.xSinT * T) * s + (t.xCos + t.xCosT * T) * c;
        y += (t.ySin + t.ySinT * T) * s + (t.yCos + t.yCosT * T) * c;
        z += (t.zSin + t.zSinT * T) * s + (t.zCos + t.zCosT * T) * c;
    }
    velocity[0] = x * kVelocityUnit;
    velocity[1] = y * kVelocityUnit;
    velocity[2] = z * kVelocityUnit;
}

void Aberrate(Vector3& direction, const Vector3& velocityOverC) {
    // Lorentz transformation of a light ray's direction (as in the IAU's SOFA
    // routine ab, without its light-deflection term).
    double inverseGamma = std::sqrt(1.0 - DotProduct(velocityOverC, velocityOverC));
    double length = VectorLength(direction);
    double f = length > 0.0 ? DotProduct(direction, velocityOverC) / length : 0.0;
    double w = (1.0 + f / (1.0 + inverseGamma)) * length;
    for (int i = 0; i < 3; ++i)
        direction[i] = (inverseGamma * direction[i] + w * velocityOverC[i]) / (1.0 + f);
}

void SiteGeocentricPosition(double siderealTime, double latitude, double height,
                            double equatorialRadius, double flattening, Vector3& position) {
    double cosLat = std::cos(latitude);
    double sinLat = std::sin(latitude);
    double axisRatio2 = (1.0 - flattening) * (1.0 - flattening);
    double c = 1.0 / std::sqrt(cosLat * cosLat + axisRatio2 * sinLat * sinLat);
    double s = axisRatio2 * c;
    double rho = (equatorialRadius * c + height) * cosLat;
    position[0] = rho * std::cos(siderealTime);
    position[1] = rho * std::sin(siderealTime);
    position[2] = (equatorialRadius * s + height) * sinLat;
}

double RefractionCorrection(double altitude, double pressure, double temperature) {
    double kelvin = kZeroCelsius + temperature;
    if (!(kelvin > 0.0)) return 0.0;
    double degrees = 0.0;
    if (altitude > kRefractionBranchAltitude) {
        degrees = kHighRefraction * pressure / (kelvin * std::tan(altitude));
    } else {
        double a = altitude * kDegreesPerRadian;
        degrees = pressure * (kLowRefraction0 + kLowRefraction1 * a + kLowRefraction2 * a * a) /
                  (kelvin * (1.0 + kLowDenominator1 * a + kLowDenominator2 * a * a));
    }
    return degrees * kRadiansPerDegree;
}
