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

std::pair<std::string, std::string> Format(int frame, double lon, double lat,
                                           int style = kCoordinateValues, double epoch = kJ2000) {
    std::pair<std::string, std::string> t = {"old", "old"};
    FormatCoordinates(frame, lon, lat, style, epoch, t.first, t.second);
    return t;
}

TEST(CoordinateText, SplitTruncatesEachFieldAndHoldsWhatItCannotHold) {
    struct Case {
        double value;
        char sign;
        int units, minutes;
        double seconds;
    };
    const Case cases[] = {{-23.4392911, '-', 23, 26, 21.44796},
                          {-1e-12, '-', 0, 0, 0.0},
                          {std::nan(""), '+', 0, 0, 0.0},
                          {-1e12, '-', 32767, 0, 0.0}};
    for (const Case& c : cases) {
        Sexagesimal s = SplitSexagesimal(c.value);
        EXPECT_EQ(s.sign, c.sign) << c.value;
        EXPECT_EQ(s.units, c.units) << c.value;
        if (c.units == 32767) continue;
        EXPECT_EQ(s.minutes, c.minutes) << c.value;
        EXPECT_NEAR(s.seconds, c.seconds, 1e-6) << c.value;
    }
    // No field ever goes negative or reaches 60, whatever the rounding.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> any(-400.0, 400.0);
    for (int i = 0; i < 20000; ++i) {
        Sexagesimal s = SplitSexagesimal(any(random));
        ASSERT_TRUE(s.minutes >= 0 && s.minutes < 60 && s.seconds >= 0.0 && s.seconds < 60 + 1e-9);
    }
}

TEST(CoordinateText, SplitRoundedAddsAQuarterStepToTheMagnitude) {
    struct Case {
        double value, steps;
        char sign;
        int units, minutes;
        double seconds;
    };
    const Case cases[] = {{2.0 - 0.003, 60.0, '+', 2, 0, -1.0}, // 2 h less a little: 02:00
                          {-0.5, 36000.0, '-', 0, 30, 0.025},   // away from zero
                          {-0.5, 0.0, '-', 0, 30, 0.0}};        // no steps, no rounding
    for (const Case& c : cases) {
        Sexagesimal s = SplitRounded(c.value, c.steps);
        EXPECT_EQ(s.sign, c.sign) << c.value;
        EXPECT_EQ(s.units, c.units) << c.value;
        EXPECT_EQ(s.minutes, c.minutes) << c.value;
        EXPECT_NEAR(c.seconds < 0.0 ? 0.0 : s.seconds - c.seconds, 0.0, 1e-9) << c.value;
    }
}

TEST(CoordinateText, SignedDMSFormatsAndParsesBack) {
    EXPECT_EQ(FormatSignedDMS(0.0), "+00 00 00.0");
    // 59.97" would round to 60.0 seconds: it shows as the next minute.
    EXPECT_EQ(FormatSignedDMS(-(59.0 + 59.0 / 60.0 + 59.97 / 3600.0)), "-60 00 00.0");
    EXPECT_EQ(FormatSignedDMS(-122.4194, "%c%03hd %02hd %02.0f"), "-122 25 10");
    const std::pair<const char*, double> parsed[] = {
        {"-0 30", -0.5},      {"7", 7.0},     {"-10 30 00.5", -(10.5 + 0.5 / 3600.0)},
        {"\t-0 0 36", -0.01}, {"north", 0.0}, {"-", 0.0}}; // blanks before the sign keep it
    for (const auto& [text, value] : parsed)
        EXPECT_DOUBLE_EQ(ParseSexagesimal(text), value) << '"' << text << '"';
    EXPECT_DOUBLE_EQ(ParseSexagesimal("-01:30:00", "%hd:%hd:%lf"), -1.5);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> any(-180.0, 180.0);
    for (int i = 0; i < 5000; ++i) {
        double degrees = any(random);
        std::string text = FormatSignedDMS(degrees);
        // Tenths of an arcsecond after a quarter-step shift: within 0.075".
        ASSERT_NEAR(ParseSexagesimal(text), degrees, 0.075 / 3600.0) << text;
    }
}

TEST(CoordinateText, TextsOfTheFourFramesInEveryStyle) {
    struct Case {
        int frame;
        double lon, lat;
        int style;
        const char* lonText;
        const char* latText;
    };
    const double lon = Degrees(123.45678), lat = Degrees(-5.4321);
    const double ra = Hours(5, 34, 31.94), dec = Degrees(22.0 + 52.2 / 3600.0);
    const Case cases[] = {
        {kFrameEquatorial, ra, dec, kCoordinateLabelledValues, "R.A. (2000.0): 05h 34m 31.94s",
         "Dec. (2000.0): +22\xB0 00' 52.2\""},
        {kFrameEcliptic, lon, lat, kCoordinateValues, "123.4568", "-05.4321"},
        {kFrameGalactic, lon, lat, kCoordinateLabelledValues, "Galactic Lon: 123.4568\xB0",
         "Galactic Lat: -05.4321\xB0"},
        {kFrameHorizon, Degrees(7.5), Degrees(45.0), kCoordinateLabelledValues,
         "Azimuth: 007.5000\xB0", "Altitude: +45.0000\xB0"},
        {kFrameEcliptic, lon, lat, kCoordinateLabels, "Ecliptic Lon:", "Ecliptic Lat:"},
        // Carries never show 60 or 24 hours; a hair below 360 degrees shows 0;
        // a negative longitude is reduced; zero keeps its sign.
        {kFrameEquatorial, Hours(23, 59, 59.997), 0.0, kCoordinateValues, "00 00 00.00",
         "+00 00 00.0"},
        {kFrameEquatorial, Hours(12, 58, 59.996), Degrees(10 + 59 / 60.0 + 59.96 / 3600),
         kCoordinateValues, "12 59 00.00", "+11 00 00.0"},
        {kFrameEquatorial, Hours(12, 58, 59.994), Degrees(-(10 + 20 / 60.0 + 59.94 / 3600)),
         kCoordinateValues, "12 58 59.99", "-10 20 59.9"},
        {kFrameGalactic, Degrees(359.99996), 0.0, kCoordinateValues, "000.0000", "+00.0000"},
        {kFrameHorizon, Degrees(-90.0), 0.0, kCoordinateValues, "270.0000", "+00.0000"},
        // Unknown frames and styles give empty texts.
        {kFrameJ2000, 1.0, 0.5, kCoordinateValues, "", ""},
        {kFrameEquatorial, 1.0, 0.5, 3, "", ""}};
    for (const Case& c : cases) {
        auto [lonText, latText] = Format(c.frame, c.lon, c.lat, c.style);
        EXPECT_EQ(lonText, c.lonText) << "frame " << c.frame << " style " << c.style;
        EXPECT_EQ(latText, c.latText) << "frame " << c.frame << " style " << c.style;
    }
    auto labels = Format(kFrameEquatorial, ra, dec, kCoordinateLabels, JulianDateFromYear(1950));
    EXPECT_EQ(labels, std::make_pair(std::string("R.A. (1950.0):"), std::string("Dec. (1950.0):")));
}

TEST(CoordinateText, CoordinateTextsParseBackToTheirPrecision) {
    std::mt19937 random(2000);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 5000; ++i) {
        double lon = u(random) * kTurn, lat = std::asin(2.0 * u(random) - 1.0);
        auto [raText, decText] = Format(kFrameEquatorial, lon, lat);
        // Hundredths of a second of time; tenths of an arcsecond; by the
        // program's own degree, as the texts were made.
        double hourError =
            std::remainder(ParseSexagesimal(raText) - lon * kDegreesPerRadian / 15.0, 24.0);
        ASSERT_LE(std::fabs(hourError), 0.005 / 3600.0 + 1e-12) << raText;
        ASSERT_LE(std::fabs(ParseSexagesimal(decText) - lat * kDegreesPerRadian),
                  0.05 / 3600.0 + 1e-12)
            << decText;
        for (int frame : {kFrameEcliptic, kFrameGalactic, kFrameHorizon}) {
            auto [lonText, latText] = Format(frame, lon, lat);
            double lonError = std::remainder(std::stod(lonText) - lon * kDegreesPerRadian, 360.0);
            ASSERT_LE(std::fabs(lonError), 0.00005 + 1e-12) << lonText;
            ASSERT_LE(std::fabs(std::stod(latText) - lat * kDegreesPerRadian), 0.00005 + 1e-12)
                << latText;
        }
    }
}

} // namespace
