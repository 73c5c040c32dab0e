#include "astro/PlutoSeries.h"

#include "astro/Frames.h"
#include "astro/theories/TheoryData.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kJ2000Epoch = 2451545.0;
constexpr double kDaysPerJulianCentury = 36525.0;

// Meeus, Astronomical Algorithms (2nd ed.), ch. 37: the mean longitudes of
// Jupiter, Saturn and Pluto, degrees, a0 + a1 T with T in Julian centuries
// from J2000.
constexpr double kJupiter0 = 34.35, kJupiter1 = 3034.9057;
constexpr double kSaturn0 = 50.08, kSaturn1 = 1222.1138;
constexpr double kPluto0 = 238.96, kPluto1 = 144.96;

// The constant and secular parts of the sums: longitude and latitude in
// degrees, radius in AU.
constexpr double kLongitude0 = 238.958116, kLongitude1 = 144.96;
constexpr double kLatitude0 = -3.908239;
constexpr double kRadius0 = 40.7241346;

// The series refer to the ecliptic and equinox J2000; Meeus turns them onto the
// equator with the obliquity 23.4392911 degrees (eq. 37.1).
constexpr double kObliquityJ2000 = 23.4392911 * kDegree;

} // namespace

bool PlutoSeriesPlace(double jde, EclipticPlace& place) {
    if (!std::isfinite(jde) || jde < kPlutoSeriesFirstJDE || jde >= kPlutoSeriesEndJDE)
        return false;
    double T = (jde - kJ2000Epoch) / kDaysPerJulianCentury;
    double J = (kJupiter0 + kJupiter1 * T) * kDegree;
    double S = (kSaturn0 + kSaturn1 * T) * kDegree;
    double P = (kPluto0 + kPluto1 * T) * kDegree;
    double longitude = kLongitude0 + kLongitude1 * T;
    double latitude = kLatitude0;
    double radius = kRadius0;
    for (const PlutoTerm& t : kPlutoTerms) {
        double argument = t.j * J + t.s * S + t.p * P;
        double s = std::sin(argument), c = std::cos(argument);
        longitude += t.longitudeSin * s + t.longitudeCos * c;
        latitude += t.latitudeSin * s + t.latitudeCos * c;
        radius += t.radiusSin * s + t.radiusCos * c;
    }
    longitude = std::fmod(longitude, 360.0);
    if (longitude < 0.0) longitude += 360.0;
    if (longitude >= 360.0) // a tiny negative remainder rounded up by the addition
        longitude = 0.0;
    place.longitude = longitude * kDegree;
    place.latitude = latitude * kDegree;
    place.radius = radius;
    return true;
}

bool PlutoSeriesPosition(double jde, Vector3& position) {
    EclipticPlace place;
    if (!PlutoSeriesPlace(jde, place)) return false;
    static Matrix3 toEquator;
    static bool built = false;
    if (!built) {
        ObliquityMatrix(toEquator, kObliquityJ2000, false);
        built = true;
    }
    SphericalToRectangular(place.longitude, place.latitude, place.radius, position);
    TransformVector(toEquator, position);
    return true;
}
