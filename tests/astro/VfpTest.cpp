// The low-precision theory (VFP): the packed term record, the series sum, the
// fundamental arguments, the Earth from the Sun, the Moon's distance unit, the
// cached frame matrix, the rows that identify the tables, refused inputs, and
// the accuracy of every body against astronomy-engine (reference positions
// written by tools/reference/vfp-fixtures.js).

#include "astro/Vfp.h"
#include "astro/PlanetTheories.h"
#include "astro/Precession.h"
#include "astro/Vectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kTruePi = 3.14159265358979323846;
constexpr double kArcsecond = kTruePi / (180.0 * 3600.0);
constexpr double kEarthRadiusAU = 4.2635232707524516e-05;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr int kSun = 1, kMercury = 2, kVenus = 3, kEarth = 4, kMars = 5, kJupiter = 6, kSaturn = 7,
              kUranus = 8, kNeptune = 9, kPluto = 10, kMoon = 15;

double AngleBetween(const Vector3& a, const Vector3& b) {
    Vector3 cross;
    CrossProduct(a, b, cross);
    return std::atan2(VectorLength(cross), DotProduct(a, b));
}

std::string SourceRoot() {
    std::string file = __FILE__;
    for (int up = 0; up < 3; ++up) {
        std::size_t slash = file.rfind('/');
        if (slash == std::string::npos) return ".";
        file.erase(slash);
    }
    return file;
}

VfpTerm Term(float amplitude, int power, int function, std::initializer_list<int> multipliers) {
    VfpTerm term{};
    term.amplitude = amplitude;
    term.power = static_cast<std::int8_t>(power);
    term.function = static_cast<std::uint8_t>(function);
    int k = 0;
    for (int m : multipliers)
        term.multipliers[k++] = static_cast<std::int8_t>(m);
    return term;
}

// ---------------------------------------------------------------------------

TEST(VfpRecord, PackedFourteenBytesInFieldOrder) {
    EXPECT_EQ(sizeof(VfpTerm), 14u);
    VfpTerm table[2];
    EXPECT_EQ(reinterpret_cast<const char*>(&table[1]) - reinterpret_cast<const char*>(&table[0]),
              14);

    // A record laid out by hand: float amplitude, power, function, eight
    // multipliers, no padding anywhere.
    unsigned char bytes[14];
    float amplitude = -327746.0f;
    std::memcpy(bytes, &amplitude, 4);
    bytes[4] = 2; // power
    bytes[5] = 1; // sine
    const signed char multipliers[8] = {0, 1, -2, 3, -4, 5, 127, -128};
    std::memcpy(bytes + 6, multipliers, 8);
    VfpTerm term;
    std::memcpy(&term, bytes, sizeof term);
    EXPECT_EQ(term.amplitude, -327746.0f);
    EXPECT_EQ(term.power, 2);
    EXPECT_EQ(term.function, 1);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(term.multipliers[k], multipliers[k]) << "multiplier " << k;
}

TEST(VfpSeries, SumsTheChosenRecordsWithFunctionPowerAndMultipliers) {
    const VfpTerm table[] = {
        Term(2.0f, 0, 1, {1, 0, 0, 0, 0, 0, 0, 0}),  // 2 sin a0
        Term(3.0f, 1, 0, {0, 2, -1, 0, 0, 0, 0, 0}), // 3 T cos(2 a1 - a2)
        Term(5.0f, 2, 7, {0, 0, 0, 0, 0, 0, 0, 0}),  // any function but 1 is cosine: 5 T^2
        Term(-1.5f, 0, 1, {0, 0, 0, 0, 0, 0, 0, 3}), // -1.5 sin 3 a7
        Term(0.25f, 3, 1, {1, 1, 1, 1, 1, 1, 1, 1}), // 0.25 T^3 sin(sum)
    };
    const double a[8] = {0.3, 1.1, -0.7, 2.0, 4.0, 5.5, 0.1, 0.9};
    const double T = 1.7;
    double sum = 0.0;
    for (double x : a)
        sum += x;
    const double terms[] = {2.0 * std::sin(a[0]), 3.0 * T * std::cos(2.0 * a[1] - a[2]),
                            5.0 * T * T, -1.5 * std::sin(3.0 * a[7]),
                            0.25 * T * T * T * std::sin(sum)};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(VfpSeries(a, T, table, i, i), terms[i], 1e-12) << "record " << i;
    EXPECT_NEAR(VfpSeries(a, T, table, 0, 4), terms[0] + terms[1] + terms[2] + terms[3] + terms[4],
                1e-12);
    EXPECT_NEAR(VfpSeries(a, T, table, 1, 3), terms[1] + terms[2] + terms[3], 1e-12);
    EXPECT_EQ(VfpSeries(a, T, table, 3, 2), 0.0) << "an empty range";
    // Power 0 is 1 even at T = 0 (1900.0); higher powers vanish there.
    EXPECT_NEAR(VfpSeries(a, 0.0, table, 0, 2), terms[0], 1e-12);
}

TEST(VfpArguments, AtJ2000AndOneHundredDaysLater) {
    double args[8];
    // Mercury: slot 5 is its mean anomaly G, slot 4 its mean longitude.
    ASSERT_TRUE(VfpArguments(kMercury, kJ2000, args));
    EXPECT_NEAR(args[5], kTwoPi * 0.485541, 1e-12);
    EXPECT_NEAR(args[4], kTwoPi * 0.700695, 1e-12);
    EXPECT_EQ(args[0], kTwoPi * 0.606434);
    ASSERT_TRUE(VfpArguments(kMercury, kJ2000 + 100.0, args));
    // 0.485541 + 100 x 0.01136759566 = 1.622300566 revolutions.
    EXPECT_NEAR(args[5], kTwoPi * 0.622300566, 1e-11);
    // 0.606434 + 100 x 0.03660110129 = 4.266544129 revolutions (the Moon's L).
    EXPECT_NEAR(args[0], kTwoPi * 0.266544129, 1e-11);

    // The Moon's node runs backwards: 0.347343 - 0.014709391.
    ASSERT_TRUE(VfpArguments(kMoon, kJ2000 + 100.0, args));
    EXPECT_NEAR(args[4], kTwoPi * 0.332633609, 1e-11);
    // The Moon's slot 7 is Venus' mean longitude.
    EXPECT_NEAR(args[7], kTwoPi * (0.505498 + 0.445046867), 1e-11);

    // Slots a body doesn't use hold 0.
    ASSERT_TRUE(VfpArguments(kPluto, kJ2000 + 100.0, args));
    for (int k = 4; k < 8; ++k)
        EXPECT_EQ(args[k], 0.0) << "Pluto slot " << k;
    ASSERT_TRUE(VfpArguments(kSun, kJ2000, args));
    EXPECT_EQ(args[7], 0.0);

    // The Earth has the Sun's arguments.
    double earth[8];
    ASSERT_TRUE(VfpArguments(kEarth, kJ2000 + 100.0, earth));
    ASSERT_TRUE(VfpArguments(kSun, kJ2000 + 100.0, args));
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(earth[k], args[k]);
}

TEST(VfpPlace, LongitudeInRangeAtEveryEpochAndArgumentAdded) {
    // Before J2000 the arguments are negative (fmod keeps the sign); the
    // longitude still comes out in [0, 2 pi).
    for (int type : {kSun, kMoon, kMercury, kVenus, kEarth, kMars, kJupiter, kSaturn, kUranus,
                     kNeptune, kPluto}) {
        for (double jde : {2378496.5, 2415020.5, 2433282.4, kJ2000, 2470000.7, 2524593.5}) {
            EclipticPlace place;
            ASSERT_TRUE(VfpEclipticPlace(type, jde, place));
            EXPECT_GE(place.longitude, 0.0) << type << " at " << jde;
            EXPECT_LT(place.longitude, 2.0 * kTruePi) << type << " at " << jde;
            EXPECT_LE(std::fabs(place.latitude), kHalfPi);
            EXPECT_GT(place.radius, 0.0);
        }
    }
    // The Sun's geometric longitude at J2000, mean equinox of date, and its
    // distance, as VSOP87 gives them: 280.377843 degrees, 0.9833277 AU.
    EclipticPlace sun;
    ASSERT_TRUE(VfpEclipticPlace(kSun, kJ2000, sun));
    EXPECT_NEAR(sun.longitude / kRadiansPerDegree, 280.377843, 0.002);
    EXPECT_NEAR(sun.radius, 0.9833277, 0.00005);
}

TEST(VfpPlace, EarthIsTheSunTurnedHalfwayRound) {
    for (double jde : {2378496.5, 2415020.5, kJ2000, 2455000.25, 2488069.5}) {
        EclipticPlace sun, earth;
        ASSERT_TRUE(VfpEclipticPlace(kSun, jde, sun));
        ASSERT_TRUE(VfpEclipticPlace(kEarth, jde, earth));
        EXPECT_NEAR(std::remainder(earth.longitude - sun.longitude - kTruePi, 2.0 * kTruePi), 0.0,
                    1e-9);
        EXPECT_LE(earth.longitude, 2.0 * kTruePi);
        EXPECT_EQ(earth.latitude, -sun.latitude);
        EXPECT_EQ(earth.radius, sun.radius);

        // In J2000 axes the heliocentric Earth is the negated geocentric Sun
        // (to the program's 10-digit pi), and the Sun itself is the origin.
        Vector3 geocentricSun, earthPosition, origin = {1.0, 2.0, 3.0};
        SphericalToRectangular(sun.longitude, sun.latitude, sun.radius, geocentricSun);
        TransformVector(VfpFrameMatrix(jde), geocentricSun);
        ASSERT_TRUE(VfpPosition(kEarth, jde, earthPosition));
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(earthPosition[i], -geocentricSun[i], 1e-9);
        ASSERT_TRUE(VfpPosition(kSun, jde, origin));
        EXPECT_EQ(origin[0], 0.0);
        EXPECT_EQ(origin[1], 0.0);
        EXPECT_EQ(origin[2], 0.0);
    }
}

TEST(VfpPlace, MoonRadiusInEarthRadiiAndPositionInAU) {
    for (double jde : {2415020.5, kJ2000, 2460000.5}) {
        EclipticPlace moon;
        ASSERT_TRUE(VfpEclipticPlace(kMoon, jde, moon));
        EXPECT_GT(moon.radius, 55.0) << "Earth radii";
        EXPECT_LT(moon.radius, 64.0);
        Vector3 position;
        ASSERT_TRUE(VfpPosition(kMoon, jde, position));
        EXPECT_NEAR(VectorLength(position), moon.radius * kEarthRadiusAU, 1e-15);
        // Carried back to the ecliptic of date the direction is the series'.
        UntransformVector(VfpFrameMatrix(jde), position);
        double lon, lat, r;
        RectangularToSpherical(position, &lon, &lat, &r);
        EXPECT_NEAR(std::remainder(lon - moon.longitude, 2.0 * kTruePi), 0.0, 1e-12);
        EXPECT_NEAR(lat, moon.latitude, 1e-12);
    }
}

TEST(VfpFrame, MatrixKeptForOneTimeAndRebuiltForAnother) {
    const double jde1 = 2455197.5, jde2 = 2455197.5 + 1.0 / 1440.0;
    Matrix3 first;
    CopyMatrix(VfpFrameMatrix(jde1), first);
    long rebuilds = VfpFrameMatrixRebuilds();
    Vector3 a, b;
    ASSERT_TRUE(VfpPosition(kMars, jde1, a));
    ASSERT_TRUE(VfpPosition(kMars, jde1, b));
    EXPECT_EQ(VfpFrameMatrixRebuilds(), rebuilds) << "same time, no rebuild";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(a[i], b[i]);

    ASSERT_TRUE(VfpPosition(kMars, jde2, b));
    EXPECT_EQ(VfpFrameMatrixRebuilds(), rebuilds + 1) << "a changed time rebuilds";
    // The rebuilt matrix is the one of the new time: the backward obliquity
    // rotation of the date, then precession from the date to J2000.
    Matrix3 expected, obliquity;
    PrecessionMatrix(expected, jde2, kJ2000, false);
    RotationMatrix(obliquity, {{0, MeanObliquity(jde2)}});
    Matrix3 product;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            product[i][j] = 0.0;
            for (int k = 0; k < 3; ++k)
                product[i][j] += expected[i][k] * obliquity[k][j];
        }
    const Matrix3& current = VfpFrameMatrix(jde2);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(current[i][j], product[i][j], 1e-15);

    // Back to the first time: the first matrix again, exactly.
    const Matrix3& again = VfpFrameMatrix(jde1);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(again[i][j], first[i][j]);
    EXPECT_EQ(VfpFrameMatrixRebuilds(), rebuilds + 2);

    // At J2000 precession vanishes: the matrix is the obliquity rotation.
    const Matrix3& atJ2000 = VfpFrameMatrix(kJ2000);
    double eps = MeanObliquity(kJ2000);
    EXPECT_NEAR(atJ2000[0][0], 1.0, 1e-15);
    EXPECT_NEAR(atJ2000[1][1], std::cos(eps), 1e-15);
    EXPECT_NEAR(atJ2000[1][2], -std::sin(eps), 1e-15);
    EXPECT_NEAR(atJ2000[2][1], std::sin(eps), 1e-15);
}

TEST(VfpTables, TellingRowsInPlace) {
    // Mercury's equation of the centre opens its longitude series: 84378" sin G.
    const VfpTerm& mercury = kVfpMercuryTerms[0];
    EXPECT_NEAR(mercury.amplitude, 84378.0f, 5.0f);
    EXPECT_EQ(mercury.power, 0);
    EXPECT_EQ(mercury.function, 1);
    const std::int8_t g[8] = {0, 0, 0, 0, 0, 1, 0, 0};
    EXPECT_EQ(std::memcmp(mercury.multipliers, g, 8), 0);

    // The Moon's radius series (records 93..122) opens with its mean distance,
    // 60.36298 Earth radii, then -327746 cos G (the Moon's mean anomaly).
    const VfpTerm& mean = kVfpMoonTerms[93];
    EXPECT_NEAR(mean.amplitude, 6036298.0f, 100.0f);
    EXPECT_EQ(mean.power, 0);
    EXPECT_NE(mean.function, 1);
    const std::int8_t none[8] = {};
    EXPECT_EQ(std::memcmp(mean.multipliers, none, 8), 0);
    const VfpTerm& anomaly = kVfpMoonTerms[94];
    EXPECT_NEAR(anomaly.amplitude, -327746.0f, 50.0f);
    EXPECT_EQ(anomaly.power, 0);
    EXPECT_NE(anomaly.function, 1);
    const std::int8_t moonG[8] = {0, 1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(anomaly.multipliers, moonG, 8), 0);
}

TEST(VfpRefusals, NonFiniteTimesAndUnknownTypes) {
    for (double jde : {kNaN, kInfinity, -kInfinity}) {
        Vector3 position = {1.0, 2.0, 3.0};
        EclipticPlace place{4.0, 5.0, 6.0};
        double args[8] = {7.0};
        for (int type : {kSun, kEarth, kMoon, kMars, kPluto}) {
            EXPECT_FALSE(VfpPosition(type, jde, position)) << type;
            EXPECT_FALSE(VfpEclipticPlace(type, jde, place)) << type;
            EXPECT_FALSE(VfpArguments(type, jde, args)) << type;
        }
        EXPECT_EQ(position[0], 1.0);
        EXPECT_EQ(position[2], 3.0);
        EXPECT_EQ(place.longitude, 4.0);
        EXPECT_EQ(args[0], 7.0);
    }
    for (int type : {0, -1, 11, 12, 13, 14, 16, 38, 101}) {
        Vector3 position = {1.0, 2.0, 3.0};
        EclipticPlace place{4.0, 5.0, 6.0};
        EXPECT_FALSE(VfpPosition(type, kJ2000, position)) << type;
        EXPECT_FALSE(VfpEclipticPlace(type, kJ2000, place)) << type;
        EXPECT_EQ(position[1], 2.0);
        EXPECT_EQ(place.radius, 6.0);
    }
}

// ---------------------------------------------------------------------------
// Accuracy against astronomy-engine, 120 instants over 1900-2100.

struct Reference {
    double jde;
    int type;
    Vector3 position;
};

std::vector<Reference> ReadReferences() {
    std::vector<Reference> rows;
    std::ifstream in(SourceRoot() + "/tests/data/reference/vfp_positions.csv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line[0] == 'j') continue;
        Reference row;
        char comma;
        std::istringstream fields(line);
        fields >> row.jde >> comma >> row.type >> comma >> row.position[0] >> comma >>
            row.position[1] >> comma >> row.position[2];
        if (fields) rows.push_back(row);
    }
    return rows;
}

TEST(VfpAccuracy, GeocentricDirectionsAndDistancesAgainstReference) {
    std::vector<Reference> rows = ReadReferences();
    ASSERT_EQ(rows.size(), 1200u) << "tests/data/reference/vfp_positions.csv";

    // Bounds over 1900-2100: geocentric direction (arcseconds) and distance
    // (AU). Venus and Mars are nearest the Earth at inferior conjunction and
    // opposition, where the heliocentric errors of both bodies and of the
    // Earth count most: against the full VSOP87 their worst is 82" and 88".
    // astronomy-engine's planets come from a truncated VSOP87 that is itself
    // off by up to 20" for Saturn, Uranus and Neptune, so the outer planets'
    // bounds hold that much more than the theory's own error.
    struct Bound {
        double direction, distance;
    };
    const std::map<int, Bound> bounds = {
        {kSun, {30.0, 2e-4}},    {kMoon, {60.0, 5e-7}},   {kMercury, {60.0, 3e-4}},
        {kVenus, {90.0, 3e-4}},  {kMars, {90.0, 6e-4}},   {kJupiter, {40.0, 1e-3}},
        {kSaturn, {40.0, 2e-3}}, {kUranus, {40.0, 6e-3}}, {kNeptune, {40.0, 6e-3}},
        {kPluto, {300.0, 3e-2}},
    };
    std::map<int, double> worstDirection, worstDistance;

    std::map<double, Vector3> earthByTime;
    for (const Reference& row : rows)
        if (row.type == kEarth) CopyVector(row.position, earthByTime[row.jde]);
    ASSERT_EQ(earthByTime.size(), 120u);

    auto check = [&](int type, double jde, const Vector3& reference, const Vector3& computed) {
        double direction = AngleBetween(reference, computed) / kArcsecond;
        double distance = std::fabs(VectorLength(reference) - VectorLength(computed));
        const Bound& bound = bounds.at(type);
        EXPECT_LE(direction, bound.direction) << "type " << type << " at JDE " << jde;
        EXPECT_LE(distance, bound.distance) << "type " << type << " at JDE " << jde;
        worstDirection[type] = std::max(worstDirection[type], direction);
        worstDistance[type] = std::max(worstDistance[type], distance);
    };

    for (const auto& [jde, earthReference] : earthByTime) {
        Vector3 earth;
        ASSERT_TRUE(VfpPosition(kEarth, jde, earth));
        Vector3 sunReference, sun;
        for (int i = 0; i < 3; ++i) {
            sunReference[i] = -earthReference[i];
            sun[i] = -earth[i];
        }
        check(kSun, jde, sunReference, sun);
    }
    for (const Reference& row : rows) {
        if (row.type == kEarth) continue;
        Vector3 computed;
        ASSERT_TRUE(VfpPosition(row.type, row.jde, computed));
        Vector3 reference;
        CopyVector(row.position, reference);
        if (row.type != kMoon) {
            Vector3 earth;
            ASSERT_TRUE(VfpPosition(kEarth, row.jde, earth));
            VectorSubtract(computed, earth, computed);
            VectorSubtract(reference, earthByTime[row.jde], reference);
        }
        check(row.type, row.jde, reference, computed);
    }
    for (const auto& [type, worst] : worstDirection)
        std::printf("type %2d: worst direction %7.1f\", worst distance %.2e AU\n", type, worst,
                    worstDistance[type]);
}

} // namespace
