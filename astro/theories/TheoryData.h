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
