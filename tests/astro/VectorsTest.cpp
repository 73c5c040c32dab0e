// Angles, vectors, matrices; sexagesimal and coordinate texts of the frames, byte for byte.

#include "AstroTest.h"

#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using namespace astro_test;

TEST(Vectors, AnglesStayInZeroToTwoPi) {
    const double cases[][3] = {{1, -1, 3 * kTruePi / 4}, {0, 0, 0}, {-1e-9, 1, kTurn - 1e-9}};
    for (const auto& [y, x, angle] : cases)
        EXPECT_NEAR(Atan2Positive(y, x), angle, 1e-15) << y << " " << x;
    EXPECT_FALSE(std::signbit(Atan2Positive(-0.0, 1.0))) << "a negative zero is no negative angle";
    // One ulp below five turns of 6.283185307, where the quotient rounds up to 5.
    for (double angle : {-1e-17, 3 * kTurn, 31.415926534999997})
        EXPECT_TRUE(ReduceAngle(angle) >= 0.0 && ReduceAngle(angle) < kTurn) << angle;
}

TEST(Vectors, SphericalAndRectangularAgreeWithAtan2AndRoundTrip) {
    double lon = -1.0, lat = -1.0, r = -1.0;
    Vector3 zero = {0.0, 0.0, 0.0};
    RectangularToSpherical(zero, &lon, &lat, &r);
    EXPECT_EQ(std::vector<double>({lon, lat, r}), std::vector<double>(3, 0.0));
    // Taken by cheaper routes than atan2, they must agree with it on axes and near poles.
    const double points[][3] = {{0, 0, -2},        {1, -1e-300, 0},
                                {-0.0, 3, 1e-7},   {-2, -1e-9, 0.70710679},
                                {1e-9, 0.0, -5.0}, {0, -2, 0.70710678}};
    for (const auto& p : points) {
        Vector3 v = {p[0], p[1], p[2]};
        RectangularToSpherical(v, &lon, &lat, nullptr);
        EXPECT_NEAR(lon, Atan2Positive(p[1], p[0]), 1e-15) << p[0] << " " << p[1] << " " << p[2];
        EXPECT_NEAR(lat, std::atan2(p[2], std::hypot(p[0], p[1])), 1e-15) << p[0] << " " << p[1];
    }
    Vector3 v;
    SphericalToRectangular(4.0, -1.2, 3.0, v);
    RectangularToSpherical(v, &lon, &lat, &r);
    EXPECT_TRUE(std::fabs(lon - 4.0) < 1e-12 && std::fabs(lat + 1.2) < 1e-12 &&
                std::fabs(r - 3.0) < 1e-12);
}

TEST(Vectors, OperationsAllowTheOutputToBeAnInput) {
    Vector3 a = {1.0, 2.0, 3.0}, b = {-2.0, 0.5, 4.0};
    CrossProduct(a, b, a);
    EXPECT_EQ(std::vector<double>(a, a + 3), (std::vector<double>{6.5, -10.0, 4.5}));
    Matrix3 m = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}, squared;
    CopyMatrix(m, squared);
    MultiplyMatrix(squared, squared);
    EXPECT_EQ(std::vector<double>(squared[0], squared[0] + 9),
              (std::vector<double>{30, 36, 45, 66, 81, 102, 109, 134, 169}));
    Vector3 v = {1.0, -1.0, 2.0}, w = {1.0, -1.0, 2.0};
    TransformVector(m, v);
    UntransformVector(m, w); // by the transpose
    EXPECT_EQ(std::vector<double>(v, v + 3), (std::vector<double>{5, 11, 19}));
    EXPECT_EQ(std::vector<double>(w, w + 3), (std::vector<double>{11, 13, 17}));
    // Rotations about axes that do not exist are none; signs and the order of
    // composition are proved by the precession matrices against ERFA.
    RotationMatrix(m, {{3, 1.0}, {-1, 1.0}});
    EXPECT_EQ(std::vector<double>(m[0], m[0] + 9),
              (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
}

TEST(Vectors, SeparationAndPositionAngle) {
    EXPECT_NEAR(AngularSeparation(1.0, -kTruePi / 2, 2.0, kTruePi / 2), kTruePi, 1e-15);
    // A point against itself, where the cosine rounds to just above 1: not NaN.
    EXPECT_NEAR(AngularSeparation(0.4, 0.7, 0.4, 0.7), 0.0, 1e-7);
    EXPECT_NEAR(PositionAngle(1.0, 0.0, 1.1, 0.0), kTruePi / 2, 1e-9) << "east";
    EXPECT_NEAR(PositionAngle(1.0, 0.0, 1.0, -0.1), kTruePi, 1e-9) << "south";
    // At the poles there is no east, and a direction along the position has none: 0.
    Vector3 south = {0, 0, -1}, x = {1, 0, 0}, along = {0.6, 0.8, 0};
    EXPECT_EQ(VectorPositionAngle(south, x), 0.0);
    EXPECT_EQ(VectorPositionAngle(along, along), 0.0);
}

// Radians by the program's own constants, so the texts land exactly as the cases mean.
double Hours(int h, int m, double s) {
    return (h + m / 60.0 + s / 3600.0) * 15.0 / kDegreesPerRadian;
}
double Degrees(double degrees) {
    return degrees / kDegreesPerRadian;
}

TEST(CoordinateText, SplitTruncatesHoldsWhatItCanAndRoundsByAQuarterStep) {
    // Value, steps (0: plain split), sign, units, minutes, seconds (< 0: any).
    const std::tuple<double, double, char, int, int, double> cases[] = {
        {-23.4392911, 0, '-', 23, 26, 21.44796}, {-1e-12, 0, '-', 0, 0, 0.0},
        {std::nan(""), 0, '+', 0, 0, 0.0},       {-1e12, 0, '-', 32767, 0, -1.0},
        {2.0 - 0.003, 60.0, '+', 2, 0, -1.0}, // 2 h less a little: 02:00
        {-0.5, 36000.0, '-', 0, 30, 0.025}};  // away from zero
    for (const auto& [value, steps, sign, units, minutes, seconds] : cases) {
        Sexagesimal s = steps == 0 ? SplitSexagesimal(value) : SplitRounded(value, steps);
        EXPECT_TRUE(s.sign == sign && s.units == units) << value;
        EXPECT_TRUE(units == 32767 || s.minutes == minutes) << value;
        EXPECT_NEAR(seconds < 0.0 ? 0.0 : s.seconds - seconds, 0.0, 1e-6) << value;
    }
}

TEST(CoordinateText, SignedDMSFormatsAndParses) {
    // 59.97" would round to 60.0 seconds: it shows as the next minute.
    EXPECT_EQ(FormatSignedDMS(-(59.0 + 59.0 / 60.0 + 59.97 / 3600.0)), "-60 00 00.0");
    EXPECT_EQ(FormatSignedDMS(-122.4194, "%c%03hd %02hd %02.0f"), "-122 25 10");
    const std::pair<const char*, double> parsed[] = {{"-0 30", -0.5},
                                                     {"-10 30 00.5", -(10.5 + 0.5 / 3600.0)},
                                                     {"\t-0 0 36", -0.01},
                                                     {"north", 0.0},
                                                     {"-", 0.0}}; // blanks before the sign keep it
    for (const auto& [text, value] : parsed)
        EXPECT_DOUBLE_EQ(ParseSexagesimal(text), value) << '"' << text << '"';
    EXPECT_DOUBLE_EQ(ParseSexagesimal("-01:30:00", "%hd:%hd:%lf"), -1.5);
    // What a dialog field takes: NaN marks a refusal.
    const double no = std::nan("");
    const std::pair<const char*, double> typed[] = {
        {" -0 30 ", -0.5}, {"1e2", 100.0}, {"2.5", 2.5}, {"", no},
        {"abc", no},       {"12abc", no},  {"inf", no},  {"0x10", no},
        {"1 60", no},      {"1.5 30", no}, {"5 -3", no}, {"1 2 3 4", no}};
    for (const auto& [text, value] : typed) {
        double read = no;
        EXPECT_EQ(ReadSexagesimal(text, 3, read), !std::isnan(value)) << '"' << text << '"';
        if (!std::isnan(value)) {
            EXPECT_DOUBLE_EQ(read, value);
        }
    }
}

TEST(CoordinateText, TextsOfTheFourFramesInEveryStyle) {
    const double lon = Degrees(123.45678), lat = Degrees(-5.4321);
    const double ra = Hours(5, 34, 31.94), dec = Degrees(22.0 + 52.2 / 3600.0);
    // Carries never show 60 or 24 hours; a hair below 360 degrees shows 0; a
    // negative longitude is reduced; unknown frames and styles give nothing.
    const std::tuple<int, double, double, int, const char*, const char*> cases[] = {
        {kFrameEquatorial, ra, dec, kCoordinateLabelledValues, "R.A. (2000.0): 05h 34m 31.94s",
         "Dec. (2000.0): +22\xB0 00' 52.2\""},
        {kFrameGalactic, lon, lat, kCoordinateLabelledValues, "Galactic Lon: 123.4568\xB0",
         "Galactic Lat: -05.4321\xB0"},
        {kFrameHorizon, Degrees(7.5), Degrees(45.0), kCoordinateLabelledValues,
         "Azimuth: 007.5000\xB0", "Altitude: +45.0000\xB0"},
        {kFrameEcliptic, lon, lat, kCoordinateLabels, "Ecliptic Lon:", "Ecliptic Lat:"},
        {kFrameEquatorial, Hours(23, 59, 59.997), 0.0, kCoordinateValues, "00 00 00.00",
         "+00 00 00.0"},
        {kFrameEquatorial, Hours(12, 58, 59.996), Degrees(10 + 59 / 60.0 + 59.96 / 3600),
         kCoordinateValues, "12 59 00.00", "+11 00 00.0"},
        {kFrameGalactic, Degrees(359.99996), 0.0, kCoordinateValues, "000.0000", "+00.0000"},
        {kFrameHorizon, Degrees(-90.0), 0.0, kCoordinateValues, "270.0000", "+00.0000"},
        {kFrameJ2000, 1.0, 0.5, kCoordinateValues, "", ""},
        {kFrameEquatorial, 1.0, 0.5, 3, "", ""}};
    for (const auto& [frame, lon, lat, style, lonText, latText] : cases) {
        std::string a = "old", b = "old";
        FormatCoordinates(frame, lon, lat, style, kJ2000, a, b);
        EXPECT_EQ(a + "|" + b, std::string(lonText) + "|" + latText) << frame << " " << style;
    }
    std::string a, b;
    FormatCoordinates(kFrameEquatorial, ra, dec, kCoordinateLabels, JulianDateFromYear(1950), a, b);
    EXPECT_EQ(a + "|" + b, "R.A. (1950.0):|Dec. (1950.0):");
}

TEST(CoordinateText, CoordinateTextsParseBackToTheirPrecision) {
    std::mt19937 random(2000);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 2000; ++i) {
        double lon = u(random) * kTurn, lat = std::asin(2.0 * u(random) - 1.0);
        std::string raText, decText;
        FormatCoordinates(kFrameEquatorial, lon, lat, kCoordinateValues, kJ2000, raText, decText);
        // 0.01 s of time, 0.1"; by the program's own degree, as the texts were made.
        const double d = lon * kDegreesPerRadian, b = lat * kDegreesPerRadian;
        ASSERT_LE(std::fabs(std::remainder(ParseSexagesimal(raText) - d / 15.0, 24.0)),
                  0.005 / 3600.0 + 1e-12)
            << raText;
        ASSERT_LE(std::fabs(ParseSexagesimal(decText) - b), 0.05 / 3600.0 + 1e-12) << decText;
    }
}

} // namespace
