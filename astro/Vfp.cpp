#include "astro/Vfp.h"

#include "astro/PlanetTheories.h"
#include "astro/Precession.h"

#include <cmath>

namespace {

// Object type codes of the bodies the theory places.
constexpr int kSun = 1, kMercury = 2, kVenus = 3, kEarth = 4, kMars = 5, kJupiter = 6, kSaturn = 7,
              kUranus = 8, kNeptune = 9, kPluto = 10, kMoon = 15;

// Series units: arcseconds for longitude and latitude, 1e-5 AU (1e-5 Earth
// radii for the Moon) for radius.
constexpr double kRadiusUnit = 1e-5;
constexpr double kEarthRadiusAU = 4.2635232707524516e-05; // 6378.14 km
constexpr double kDaysPerCentury = 36525.0;

// One fundamental argument: a + b t revolutions, t in days from J2000.
struct Argument {
    double a, b;
};

struct VfpBody {
    Argument arguments[8];
    int meanLongitude; // slot of the argument the longitude series is added to
    const VfpTerm* terms;
    int longitudeFirst, longitudeLast;
    int latitudeFirst, latitudeLast;
    int radiusFirst, radiusLast;
};

// The arguments that recur: the Moon's mean longitude and node, the Sun's mean
// longitude and anomaly, and the mean anomalies (or longitudes) of the planets.
constexpr Argument kMoonL{0.606434, 0.03660110129};
constexpr Argument kMoonNode{0.347343, -0.00014709391};
constexpr Argument kSunL{0.779072, 0.00273790931};
constexpr Argument kSunM{0.993126, 0.0027377785};
constexpr Argument kVenusL{0.505498, 0.00445046867};
constexpr Argument kVenusM{0.140023, 0.00445036173};
constexpr Argument kMarsM{0.053856, 0.00145561327};
constexpr Argument kJupiterM{0.056531, 0.00023080893};
constexpr Argument kSaturnM{0.882987, 0.00009294371};
constexpr Argument kUranusL{0.870169, 0.00003269438};
constexpr Argument kUranusM{0.400589, 0.00003269438};
constexpr Argument kNeptuneM{0.725368, 0.00001672092};
constexpr Argument kUnused{0.0, 0.0};

// clang-format off
const VfpBody kSunBody{
    {kMoonL, kMoonNode, kSunL, kSunM, kVenusM, kMarsM, kJupiterM, kUnused},
    2, kVfpSunTerms, 0, 11, 12, 12, 13, 15};
const VfpBody kMoonBody{
    {kMoonL, {0.374897, 0.03629164709}, {0.259091, 0.0367481952}, {0.827362, 0.03386319198},
     kMoonNode, kSunL, kSunM, kVenusL},
    0, kVfpMoonTerms, 0, 54, 55, 92, 93, 122};
const VfpBody kMercuryBody{
    {kMoonL, kMoonNode, kSunL, kSunM, {0.700695, 0.011367714}, {0.485541, 0.01136759566},
     {0.566441, 0.01136762384}, kVenusM},
    4, kVfpMercuryTerms, 0, 14, 15, 25, 26, 30};
const VfpBody kVenusBody{
    {kMoonL, kMoonNode, kSunL, kSunM, kVenusL, kVenusM, {0.292498, 0.00445040017}, kMarsM},
    4, kVfpVenusTerms, 0, 5, 6, 8, 9, 10};
const VfpBody kMarsBody{
    {kMoonNode, kSunL, kSunM, kVenusM, {0.987353, 0.00145575328}, kMarsM,
     {0.849694, 0.00145569465}, kJupiterM},
    4, kVfpMarsTerms, 0, 22, 23, 26, 27, 30};
const VfpBody kJupiterBody{
    {kMoonNode, kSunL, kSunM, {0.089608, 0.00023080893}, kJupiterM, kSaturnM, kUranusM, kUnused},
    3, kVfpJupiterTerms, 0, 53, 54, 65, 66, 83};
const VfpBody kSaturnBody{
    {kMoonNode, kSunL, kSunM, kJupiterM, {0.133295, 0.00009294371}, kSaturnM,
     {0.821218, 0.00009294371}, kUranusM},
    4, kVfpSaturnTerms, 0, 77, 78, 105, 106, 130};
const VfpBody kUranusBody{
    {kJupiterM, kSaturnM, kUranusL, kUranusM, {0.664614, 0.00003265562}, kNeptuneM, kUnused,
     kUnused},
    2, kVfpUranusTerms, 0, 37, 38, 40, 41, 53};
const VfpBody kNeptuneBody{
    {kJupiterM, kSaturnM, kUranusL, kUranusM, {0.846912, 0.00001672092}, kNeptuneM,
     {0.480856, 0.00001663715}, kUnused},
    4, kVfpNeptuneTerms, 0, 13, 14, 17, 18, 25};
const VfpBody kPlutoBody{
    {{0.663854, 0.00001115482}, {0.04102, 0.00001104864}, {0.357355, 0.00001104864}, kSunL,
     kUnused, kUnused, kUnused, kUnused},
    0, kVfpPlutoTerms, 0, 11, 12, 21, 22, 27};
// clang-format on

// The body whose series place a type; the Earth is placed from the Sun's.
const VfpBody* BodyOf(int type) {
    switch (type) {
    case kSun:
    case kEarth:
        return &kSunBody;
    case kMercury:
        return &kMercuryBody;
    case kVenus:
        return &kVenusBody;
    case kMars:
        return &kMarsBody;
    case kJupiter:
        return &kJupiterBody;
    case kSaturn:
        return &kSaturnBody;
    case kUranus:
        return &kUranusBody;
    case kNeptune:
        return &kNeptuneBody;
    case kPluto:
        return &kPlutoBody;
    case kMoon:
        return &kMoonBody;
    default:
        return nullptr;
    }
}

void BodyArguments(const VfpBody& body, double jde, double arguments[8]) {
    double t = jde - kJ2000;
    for (int k = 0; k < 8; ++k)
        arguments[k] = kTwoPi * std::fmod(body.arguments[k].a + body.arguments[k].b * t, 1.0);
}

// The place of a body with a table: geocentric for the Sun and Moon,
// heliocentric for the others.
void SeriesPlace(const VfpBody& body, double jde, EclipticPlace& place) {
    double arguments[8];
    BodyArguments(body, jde, arguments);
    double T = 1.0 + (jde - kJ2000) / kDaysPerCentury;
    double longitude =
        arguments[body.meanLongitude] +
        VfpSeries(arguments, T, body.terms, body.longitudeFirst, body.longitudeLast) *
            kRadiansPerArcsecond;
    // fmod keeps the sign of a negative argument (times before J2000); the
    // longitude is brought into [0, 2 pi) like every other longitude.
    longitude = std::fmod(longitude, kTwoPi);
    if (longitude < 0.0) longitude += kTwoPi;
    place.longitude = longitude;
    place.latitude = VfpSeries(arguments, T, body.terms, body.latitudeFirst, body.latitudeLast) *
                     kRadiansPerArcsecond;
    place.radius =
        VfpSeries(arguments, T, body.terms, body.radiusFirst, body.radiusLast) * kRadiusUnit;
}

struct FrameCache {
    bool valid = false;
    double jde = 0.0;
    Matrix3 matrix;
    long rebuilds = 0;
};
FrameCache gFrameCache;

} // namespace

double VfpSeries(const double arguments[8], double T, const VfpTerm* table, int first, int last) {
    // Powers of T up to the highest the tables use are kept at hand.
    constexpr int kKeptPowers = 4;
    double powers[kKeptPowers] = {1.0, T, T * T, T * T * T};
    double sum = 0.0;
    for (int i = first; i <= last; ++i) {
        const VfpTerm& term = table[i];
        double angle = 0.0;
        for (int k = 0; k < 8; ++k)
            if (term.multipliers[k] != 0) angle += term.multipliers[k] * arguments[k];
        double value = term.function == kVfpSine ? std::sin(angle) : std::cos(angle);
        int power = term.power;
        double factor = power >= 0 && power < kKeptPowers ? powers[power] : std::pow(T, power);
        sum += static_cast<double>(term.amplitude) * factor * value;
    }
    return sum;
}

bool VfpArguments(int type, double jde, double arguments[8]) {
    const VfpBody* body = BodyOf(type);
    if (body == nullptr || !std::isfinite(jde)) return false;
    BodyArguments(*body, jde, arguments);
    return true;
}

const Matrix3& VfpFrameMatrix(double jde) {
    if (!gFrameCache.valid || gFrameCache.jde != jde) {
        // E^-1(eps) first, then P(JDE -> J2000).
        double zeta = 0.0, z = 0.0, theta = 0.0;
        PrecessionAngles(jde, kJ2000, &zeta, &z, &theta, nullptr, nullptr, nullptr);
        RotationMatrix(gFrameCache.matrix,
                       {{0, MeanObliquity(jde)}, {2, zeta}, {1, theta}, {2, z}});
        gFrameCache.jde = jde;
        gFrameCache.valid = true;
        ++gFrameCache.rebuilds;
    }
    return gFrameCache.matrix;
}

long VfpFrameMatrixRebuilds() {
    return gFrameCache.rebuilds;
}

bool VfpEclipticPlace(int type, double jde, EclipticPlace& place) {
    const VfpBody* body = BodyOf(type);
    if (body == nullptr || !std::isfinite(jde)) return false;
    SeriesPlace(*body, jde, place);
    if (type == kEarth) {
        // The Earth seen from the Sun: the opposite direction, same distance.
        place.longitude += kPi;
        if (place.longitude > kTwoPi) place.longitude -= kTwoPi;
        place.latitude = -place.latitude;
    }
    return true;
}

bool VfpPosition(int type, double jde, Vector3& position) {
    if (!std::isfinite(jde) || BodyOf(type) == nullptr) return false;
    if (type == kSun) {
        // The Sun is the origin of the heliocentric positions.
        position[0] = position[1] = position[2] = 0.0;
        return true;
    }
    EclipticPlace place;
    VfpEclipticPlace(type, jde, place);
    if (type == kMoon) place.radius *= kEarthRadiusAU;
    SphericalToRectangular(place.longitude, place.latitude, place.radius, position);
    TransformVector(VfpFrameMatrix(jde), position);
    return true;
}
