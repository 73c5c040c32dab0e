#include "astro/Vsop87.h"

#include "astro/MoonSeries.h"
#include "astro/PlutoSeries.h"
#include "astro/theories/TheoryData.h"

#include <cmath>
#include <numbers>

namespace {

constexpr int kTypeSun = 1;
constexpr int kTypeMercury = 2;
constexpr int kTypeNeptune = 9;
constexpr int kTypePluto = 10;
constexpr int kTypeMoon = 15;

constexpr double kJ2000Epoch = 2451545.0;
constexpr double kDaysPerJulianMillennium = 365250.0;
// The full-precision circle: the theory's angles run to thousands of radians
// before they are reduced, where a shortened 2 pi would cost arc-seconds.
constexpr double kFullTurn = 2.0 * std::numbers::pi;

// One series of terms, sum of A cos(B + C tau).
double SumSeries(const Vsop87Term* term, int count, double tau) {
    double sum = 0.0;
    for (const Vsop87Term* end = term + count; term != end; ++term)
        sum += term->amplitude * std::cos(term->phase + term->frequency * tau);
    return sum;
}

// One coordinate, sum over p of tau^p S_p, by Horner's rule from the highest
// power down; advances `terms` past the coordinate's series.
double SumCoordinate(const Vsop87Term*& terms, const int (&count)[kVsop87Powers], double tau) {
    double series[kVsop87Powers];
    for (int p = 0; p < kVsop87Powers; ++p) {
        series[p] = SumSeries(terms, count[p], tau);
        terms += count[p];
    }
    double value = 0.0;
    for (int p = kVsop87Powers - 1; p >= 0; --p)
        value = value * tau + series[p];
    return value;
}

} // namespace

// The VSOP87 ecliptic and equinox of J2000 to the equator and equinox of the
// FK5 catalogue, as published with the theory and in Meeus, Astronomical
// Algorithms (2nd ed.), ch. 26. The 0.9174... and 0.3977... are the cosine and
// sine of 84381.409", the obliquity of the dynamical ecliptic (the IAU's
// 84381.448" belongs to the FK5 mean ecliptic, 0.039" away); the tiny
// off-diagonal entries turn the dynamical equinox by -0.0903" onto FK5's.
// Against ERFA's Earth (DE405, ICRS) this matrix leaves 0.03", the plain
// 84381.448" rotation 0.11".
const Matrix3 kVsop87EclipticToJ2000 = {
    {1.0, 0.000000440360, -0.000000190919},
    {-0.000000479966, 0.917482137087, -0.397776982902},
    {0.0, 0.397776982902, 0.917482137087},
};

bool Vsop87EclipticPlace(int type, double jde, EclipticPlace& place) {
    if (type < kTypeMercury || type > kTypeNeptune || !std::isfinite(jde)) return false;
    const Vsop87Body& body = kVsop87Bodies[type - kTypeMercury];
    double tau = (jde - kJ2000Epoch) / kDaysPerJulianMillennium;
    const Vsop87Term* terms = body.terms;
    double longitude = SumCoordinate(terms, body.count[0], tau);
    double latitude = SumCoordinate(terms, body.count[1], tau);
    double radius = SumCoordinate(terms, body.count[2], tau);
    longitude -= kFullTurn * std::floor(longitude / kFullTurn);
    if (longitude >= kFullTurn) // a few ulps below zero rounded up to a whole turn
        longitude = 0.0;
    place.longitude = longitude;
    place.latitude = latitude;
    place.radius = radius;
    return true;
}

bool Vsop87Position(int type, double jde, Vector3& position) {
    if (!std::isfinite(jde)) return false;
    switch (type) {
    case kTypeSun:
        position[0] = position[1] = position[2] = 0.0;
        return true;
    case kTypePluto:
        // Meeus' series holds only for the years it was fitted over; beyond
        // them the low-precision series, which degrade gently, take over.
        if (jde >= kPlutoSeriesFirstJDE && jde < kPlutoSeriesEndJDE)
            return PlutoSeriesPosition(jde, position);
        return VfpPosition(kTypePluto, jde, position);
    case kTypeMoon:
        return MoonSeriesPosition(jde, position);
    default:
        break;
    }
    EclipticPlace place;
    if (!Vsop87EclipticPlace(type, jde, place)) return false;
    SphericalToRectangular(place.longitude, place.latitude, place.radius, position);
    TransformVector(kVsop87EclipticToJ2000, position);
    return true;
}
