#include "astro/MoonSeries.h"

#include "astro/Frames.h"
#include "astro/Physical.h"
#include "astro/Precession.h"
#include "astro/theories/TheoryData.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// Meeus, Astronomical Algorithms (2nd ed.), eqs. 47.1 to 47.5: the Moon's mean
// longitude L', mean elongation D, the Sun's mean anomaly M, the Moon's mean
// anomaly M' and its argument of latitude F, degrees, as polynomials of the
// Julian centuries T from J2000: c0 + c1 T + c2 T^2 + T^3 / d3 + T^4 / d4
// (a zero divisor stands for a missing term).
struct MeanElement {
    double c0, c1, c2, d3, d4;
};
constexpr MeanElement kMeanLongitude = {218.3164477, 481267.88123421, -0.0015786, 538841.0,
                                        -65194000.0};
constexpr MeanElement kMeanElongation = {297.8501921, 445267.1114034, -0.0018819, 545868.0,
                                         -113065000.0};
constexpr MeanElement kSunMeanAnomaly = {357.5291092, 35999.0502909, -0.0001536, 24490000.0, 0.0};
constexpr MeanElement kMoonMeanAnomaly = {134.9633964, 477198.8675055, 0.0087414, 69699.0,
                                          -14712000.0};
constexpr MeanElement kArgumentOfLatitude = {93.2720950, 483202.0175233, -0.0036539, -3526000.0,
                                             863310000.0};

// The additive arguments: A1 (Venus), A2 (Jupiter), A3 (the flattening of the
// Earth), degrees: a0 + a1 T.
constexpr double kA1_0 = 119.75, kA1_1 = 131.849;
constexpr double kA2_0 = 53.09, kA2_1 = 479264.290;
constexpr double kA3_0 = 313.45, kA3_1 = 481266.484;

// The decreasing eccentricity of the Earth's orbit: E = 1 + e1 T + e2 T^2
// multiplies the terms with M once, and those with 2M twice.
constexpr double kE1 = -0.002516, kE2 = -0.0000074;

// The additive terms, millionths of a degree.
constexpr double kLonA1 = 3958.0, kLonLminusF = 1962.0, kLonA2 = 318.0;
constexpr double kLatL = -2235.0, kLatA3 = 382.0, kLatA1minusF = 175.0, kLatA1plusF = 175.0;
constexpr double kLatLminusM = 127.0, kLatLplusM = -115.0;

// Units of the sums: 1e-6 degree and 1e-3 km; the mean distance in km.
constexpr double kMicrodegree = 1e-6;
constexpr double kMetre = 1e-3;
constexpr double kMeanDistanceKm = 385000.56;

constexpr double kJ2000Epoch = 2451545.0;
constexpr double kDaysPerJulianCentury = 36525.0;

// A mean element in radians, reduced to one turn first so that the large
// multiples of T lose no precision.
double Element(const MeanElement& e, double T) {
    double T2 = T * T;
    double degrees = e.c0 + e.c1 * T + e.c2 * T2;
    if (e.d3 != 0.0) degrees += T2 * T / e.d3;
    if (e.d4 != 0.0) degrees += T2 * T2 / e.d4;
    return std::fmod(degrees, 360.0) * kDegree;
}

double Linear(double a0, double a1, double T) {
    return std::fmod(a0 + a1 * T, 360.0) * kDegree;
}

// The eccentricity factor for a multiple m of M: E^|m|.
double EccentricityFactor(int m, double E) {
    switch (m < 0 ? -m : m) {
    case 0:
        return 1.0;
    case 1:
        return E;
    default:
        return E * E;
    }
}

} // namespace

bool MoonSeriesPlace(double jde, EclipticPlace& place) {
    if (!std::isfinite(jde)) return false;
    double T = (jde - kJ2000Epoch) / kDaysPerJulianCentury;
    double Lp = Element(kMeanLongitude, T);
    double D = Element(kMeanElongation, T);
    double M = Element(kSunMeanAnomaly, T);
    double Mp = Element(kMoonMeanAnomaly, T);
    double F = Element(kArgumentOfLatitude, T);
    double A1 = Linear(kA1_0, kA1_1, T);
    double A2 = Linear(kA2_0, kA2_1, T);
    double A3 = Linear(kA3_0, kA3_1, T);
    double E = 1.0 + T * (kE1 + T * kE2);

    double sumL = kLonA1 * std::sin(A1) + kLonLminusF * std::sin(Lp - F) + kLonA2 * std::sin(A2);
    double sumR = 0.0;
    for (const MoonLongitudeDistanceTerm& t : kMoonLongitudeDistanceTerms) {
        double argument = t.d * D + t.m * M + t.mPrime * Mp + t.f * F;
        double factor = EccentricityFactor(t.m, E);
        sumL += factor * t.longitude * std::sin(argument);
        sumR += factor * t.distance * std::cos(argument);
    }
    double sumB = kLatL * std::sin(Lp) + kLatA3 * std::sin(A3) + kLatA1minusF * std::sin(A1 - F) +
                  kLatA1plusF * std::sin(A1 + F) + kLatLminusM * std::sin(Lp - Mp) +
                  kLatLplusM * std::sin(Lp + Mp);
    for (const MoonLatitudeTerm& t : kMoonLatitudeTerms) {
        double argument = t.d * D + t.m * M + t.mPrime * Mp + t.f * F;
        sumB += EccentricityFactor(t.m, E) * t.latitude * std::sin(argument);
    }

    constexpr double kTurn = 2.0 * std::numbers::pi;
    double longitude = Lp + sumL * kMicrodegree * kDegree;
    longitude -= kTurn * std::floor(longitude / kTurn);
    if (longitude >= kTurn) longitude = 0.0;
    place.longitude = longitude;
    place.latitude = sumB * kMicrodegree * kDegree;
    place.radius = kMeanDistanceKm + sumR * kMetre;
    return true;
}

bool MoonSeriesPosition(double jde, Vector3& position) {
    EclipticPlace place;
    if (!MoonSeriesPlace(jde, place)) return false;
    // M = P(JDE -> J2000) x E^-1(mean obliquity of JDE), kept for the last
    // instant: the light-time passes and the Moon's trail ask again and again.
    static double cachedJde = NAN;
    static Matrix3 toJ2000;
    if (!(jde == cachedJde)) {
        Matrix3 precession;
        ObliquityMatrix(toJ2000, MeanObliquity(jde), false);
        PrecessionMatrix(precession, jde, kJ2000Epoch, false);
        MultiplyMatrix(precession, toJ2000);
        cachedJde = jde;
    }
    SphericalToRectangular(place.longitude, place.latitude, place.radius / kKilometresPerAU,
                           position);
    TransformVector(toJ2000, position);
    return true;
}
