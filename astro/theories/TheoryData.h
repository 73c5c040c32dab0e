#pragma once

// The coefficient tables of the precise planet computation mode. The tables
// themselves are generated (Vsop87Data.cpp, MoonSeriesData.cpp,
// PlutoSeriesData.cpp, by tools/theories/convert-astronomia.js); this header
// only gives their shapes.

// VSOP87B: one term A cos(B + C tau), tau in Julian millennia of Dynamical Time
// from J2000. A in radians for L and B, in AU for R; B in radians; C in radians
// per millennium.
struct Vsop87Term {
    double amplitude, phase, frequency;
};

constexpr int kVsop87BodyCount = 8; // Mercury, Venus, Earth, Mars, Jupiter, Saturn, Uranus, Neptune
constexpr int kVsop87Coordinates = 3; // L, B, R
constexpr int kVsop87Powers = 6;      // series multiplied by tau^0 .. tau^5

// A body's terms lie one series after the other, L0 .. L5, B0 .. B5, R0 .. R5;
// count[c][p] is the length of series c, power p (0 for a power the theory
// doesn't have).
struct Vsop87Body {
    const Vsop87Term* terms;
    int count[kVsop87Coordinates][kVsop87Powers];
};

extern const Vsop87Body kVsop87Bodies[kVsop87BodyCount];

// The Moon (Meeus, Astronomical Algorithms ch. 47): multipliers of the mean
// elongation D, the Sun's mean anomaly M, the Moon's mean anomaly M' and its
// argument of latitude F; amplitudes in millionths of a degree (longitude,
// latitude, sine terms) and thousandths of a kilometre (distance, cosine terms).
struct MoonLongitudeDistanceTerm {
    signed char d, m, mPrime, f;
    int longitude, distance;
};
struct MoonLatitudeTerm {
    signed char d, m, mPrime, f;
    int latitude;
};

constexpr int kMoonLongitudeDistanceTermCount = 60;
constexpr int kMoonLatitudeTermCount = 60;
extern const MoonLongitudeDistanceTerm kMoonLongitudeDistanceTerms[kMoonLongitudeDistanceTermCount];
extern const MoonLatitudeTerm kMoonLatitudeTerms[kMoonLatitudeTermCount];

// Pluto (Meeus ch. 37): multipliers of the mean longitudes J (Jupiter),
// S (Saturn) and P (Pluto); the coefficients of sin and cos of the argument,
// degrees for longitude and latitude, AU for the radius.
struct PlutoTerm {
    signed char j, s, p;
    double longitudeSin, longitudeCos, latitudeSin, latitudeCos, radiusSin, radiusCos;
};

constexpr int kPlutoTermCount = 43;
extern const PlutoTerm kPlutoTerms[kPlutoTermCount];

// The planetary satellites (generated SatelliteData.cpp, by
// tools/theories/convert-satellites.js).

// An angle of a mean-element theory, degrees: constant + per day d + per
// year y + per year squared y^2 + per century c, with d the days from the
// satellite's epoch, y = d/365.25 and c = d/36525.
struct SatelliteAngle {
    double degrees, perDay, perYear, perYear2, perCentury;
};

// Mean elements on a reference plane (AU, degrees). The plane is given by its
// node and inclination on the theory's fundamental frame; the one periodic
// term, where a theory has it, adds amplitude sin(argument) to the mean
// longitude.
struct SatelliteElementSet {
    double epoch; // Julian date
    double semiMajorAxis, eccentricity;
    SatelliteAngle meanLongitude, pericentre, inclination, node, planeNode, planeInclination;
    double periodicAmplitude;
    SatelliteAngle periodicArgument;
};
// Phobos, Deimos (Sinclair 1989), Phoebe (Zadunaisky 1954), Triton (Harris
// 1984), Charon (Tholen 1985).
constexpr int kSatelliteElementSetCount = 5;
extern const SatelliteElementSet kSatelliteElementSets[kSatelliteElementSetCount];

// Nereid: mean elements on Neptune's orbital plane (Jacobson's frame) with
// the Sun's long-period terms, fitted to JPL's ephemeris. Each term adds
// cosine cos 2x + sine sin 2x to its element, x being the mean pericentre's
// longitude (or the mean node's) less Neptune's mean longitude.
enum NereidElement {
    kNereidLongitude, kNereidPericentre, kNereidEccentricity, kNereidInclination, kNereidNode
};
struct NereidTerm {
    NereidElement element;
    bool fromNode;
    double cosine, sine; // degrees, or the eccentricity itself
};
constexpr int kNereidTermCount = 5;
extern const SatelliteElementSet kNereidElements;
extern const SatelliteAngle kNereidNeptuneLongitude;
extern const NereidTerm kNereidTerms[kNereidTermCount];

// The Galilean moons (Meeus, Astronomical Algorithms ch. 44, the series of
// Lieske's E5). A term is amplitude x sin or cos(phase + sum of multiplier x
// argument), the arguments numbered as below, the phase in degrees.
enum GalileanArgument {
    kGalileanL1, kGalileanL2, kGalileanL3, kGalileanL4,       // mean longitudes l
    kGalileanPi1, kGalileanPi2, kGalileanPi3, kGalileanPi4,   // perijoves
    kGalileanOmega1, kGalileanOmega2, kGalileanOmega3, kGalileanOmega4, // nodes
    kGalileanPsi, kGalileanPhiLambda, kGalileanGPrime,        // the linear ones end here
    kGalileanG, kGalileanBigPi,
    kGalileanTrueL1, kGalileanTrueL2, kGalileanTrueL3, kGalileanTrueL4, // L = l + Sigma
    kGalileanSigma1, kGalileanSigma2, kGalileanSigma3, kGalileanSigma4,
    kGalileanArgumentCount
};
constexpr int kGalileanLinearArguments = kGalileanG;
constexpr int kGalileanTermFactors = 5;
struct GalileanTerm {
    double amplitude, phase;
    struct {
        signed char argument; // -1 for an unused slot
        double multiplier;
    } factors[kGalileanTermFactors];
};
// The series of one moon: longitude Sigma (sines, degrees), latitude (sines,
// the tangent of the latitude) and radius (cosines, relative to radiusScale in
// Jupiter radii).
struct GalileanSeries {
    int longitudeFirst, longitudeCount, latitudeFirst, latitudeCount, radiusFirst, radiusCount;
    double radiusScale;
};
// The linear arguments: degrees and degrees per day from JD 2443000.5.
extern const double kGalileanArguments[kGalileanLinearArguments][2];
extern const GalileanSeries kGalileanSeries[4];
extern const GalileanTerm kGalileanTerms[];

// GUST86 (Laskar and Jacobson 1987), Miranda to Oberon: each series term is
// amplitude x sin or cos(phase + frequency t), radians and radians per day
// from JD 2444239.5.
struct Gust86Term {
    double amplitude, phase, frequency;
};
struct Gust86Satellite {
    double gm; // AU^3/day^2
    double meanMotion, meanLongitude, meanLongitudeRate;
    int motionFirst, motionCount;       // cosines added to the mean motion
    int longitudeFirst, longitudeCount; // sines added to the mean longitude
    int eccentricityFirst, eccentricityCount; // k = sum cos, h = sum sin
    int inclinationFirst, inclinationCount;   // q = sum cos, p = sum sin
};
extern const Gust86Satellite kGust86Satellites[5];
extern const Gust86Term kGust86Terms[];
