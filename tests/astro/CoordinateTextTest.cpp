// Sexagesimal texts and the coordinate texts of the four frames, byte for byte.

#include "AstroTest.h"

#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace astro_test;

// Radians by the program's own constants, so that the texts land exactly where
// the cases mean them to.
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
        std::string raText, decText, lonText, latText;
        FormatCoordinates(kFrameEquatorial, lon, lat, kCoordinateValues, kJ2000, raText, decText);
        FormatCoordinates(kFrameEcliptic, lon, lat, kCoordinateValues, kJ2000, lonText, latText);
        // Hundredths of a second of time, tenths of an arcsecond, or 0.0001
        // degrees; by the program's own degree, as the texts were made.
        const double d = lon * kDegreesPerRadian, b = lat * kDegreesPerRadian;
        ASSERT_LE(std::fabs(std::remainder(ParseSexagesimal(raText) - d / 15.0, 24.0)),
                  0.005 / 3600.0 + 1e-12)
            << raText;
        ASSERT_LE(std::fabs(ParseSexagesimal(decText) - b), 0.05 / 3600.0 + 1e-12) << decText;
        ASSERT_LE(std::fabs(std::remainder(std::stod(lonText) - d, 360.0)), 0.00005 + 1e-12);
        ASSERT_LE(std::fabs(std::stod(latText) - b), 0.00005 + 1e-12) << latText;
    }
}

} // namespace
