// Sexagesimal texts and the coordinate texts of the four frames, byte for byte.

#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// Radians of an R.A. in hours and of an angle in degrees, by the program's own
// constants so that the texts land exactly where the cases mean them to.
double HoursToRadians(int h, int m, double s) {
    return (h + m / 60.0 + s / 3600.0) * 15.0 / kDegreesPerRadian;
}
double DegreesToRadians(double degrees) {
    return degrees / kDegreesPerRadian;
}

struct Texts {
    std::string lon;
    std::string lat;
};

Texts Format(int frame, double lon, double lat, int style, double epoch = kJ2000) {
    Texts t;
    FormatCoordinates(frame, lon, lat, style, epoch, t.lon, t.lat);
    return t;
}

TEST(CoordinateText, SplitSexagesimalTruncatesEachField) {
    Sexagesimal s = SplitSexagesimal(12.5);
    EXPECT_EQ(s.sign, '+');
    EXPECT_EQ(s.units, 12);
    EXPECT_EQ(s.minutes, 30);
    EXPECT_NEAR(s.seconds, 0.0, 1e-9);

    s = SplitSexagesimal(-23.4392911);
    EXPECT_EQ(s.sign, '-');
    EXPECT_EQ(s.units, 23);
    EXPECT_EQ(s.minutes, 26);
    EXPECT_NEAR(s.seconds, 21.44796, 1e-6);

    EXPECT_EQ(SplitSexagesimal(0.0).sign, '+');
    EXPECT_EQ(SplitSexagesimal(-1e-12).sign, '-');

    // No field ever goes negative or reaches 60, whatever the rounding.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> any(-400.0, 400.0);
    for (int i = 0; i < 100000; ++i) {
        s = SplitSexagesimal(any(random));
        ASSERT_GE(s.minutes, 0);
        ASSERT_LT(s.minutes, 60);
        ASSERT_GE(s.seconds, 0.0);
        ASSERT_LT(s.seconds, 60.0 + 1e-9);
    }
}

TEST(CoordinateText, SplitSexagesimalHoldsValuesItCannotHold) {
    Sexagesimal s = SplitSexagesimal(std::nan(""));
    EXPECT_EQ(s.sign, '+');
    EXPECT_EQ(s.units, 0);
    EXPECT_EQ(s.minutes, 0);
    EXPECT_EQ(s.seconds, 0.0);
    s = SplitSexagesimal(-1e12);
    EXPECT_EQ(s.sign, '-');
    EXPECT_EQ(s.units, 32767);
    s = SplitSexagesimal(INFINITY);
    EXPECT_EQ(s.units, 32767);
}

TEST(CoordinateText, SplitRoundedAddsAQuarterStepToTheMagnitude) {
    // A rise time 2 h minus a little shows 02:00 at 60 steps per hour.
    Sexagesimal s = SplitRounded(2.0 - 0.003, 60.0);
    EXPECT_EQ(s.units, 2);
    EXPECT_EQ(s.minutes, 0);
    // A quarter minute is not enough to carry from 1:59:40.
    s = SplitRounded(1.0 + 59.0 / 60.0 + 40.0 / 3600.0, 60.0);
    EXPECT_EQ(s.units, 1);
    EXPECT_EQ(s.minutes, 59);
    // Negative values move away from zero like positive ones.
    s = SplitRounded(-0.5, 36000.0);
    EXPECT_EQ(s.sign, '-');
    EXPECT_EQ(s.units, 0);
    EXPECT_EQ(s.minutes, 30);
    EXPECT_NEAR(s.seconds, 0.025, 1e-9);
    // No steps: no rounding.
    s = SplitRounded(-0.5, 0.0);
    EXPECT_EQ(s.minutes, 30);
    EXPECT_NEAR(s.seconds, 0.0, 1e-9);
}

TEST(CoordinateText, FormatSignedDMS) {
    EXPECT_EQ(FormatSignedDMS(12.5), "+12 30 00.0");
    EXPECT_EQ(FormatSignedDMS(-0.5), "-00 30 00.0");
    EXPECT_EQ(FormatSignedDMS(0.0), "+00 00 00.0");
    EXPECT_EQ(FormatSignedDMS(-122.4194), "-122 25 09.9");
    // 29' 59.96" would round to 60.0 seconds: it shows as the next minute.
    EXPECT_EQ(FormatSignedDMS(29.0 / 60.0 + 59.96 / 3600.0), "+00 30 00.0");
    EXPECT_EQ(FormatSignedDMS(-(59.0 + 59.0 / 60.0 + 59.97 / 3600.0)), "-60 00 00.0");
    // A format of the caller's own.
    EXPECT_EQ(FormatSignedDMS(-122.4194, "%c%03hd %02hd %02.0f"), "-122 25 10");
}

TEST(CoordinateText, ParseSexagesimal) {
    EXPECT_DOUBLE_EQ(ParseSexagesimal("-00 30 00"), -0.5);
    EXPECT_DOUBLE_EQ(ParseSexagesimal("-0 30"), -0.5);
    EXPECT_DOUBLE_EQ(ParseSexagesimal("12 30 36"), 12.51);
    EXPECT_DOUBLE_EQ(ParseSexagesimal("+5 15"), 5.25);
    EXPECT_DOUBLE_EQ(ParseSexagesimal("7"), 7.0);
    EXPECT_DOUBLE_EQ(ParseSexagesimal("-10 30 00.5"), -(10.5 + 0.5 / 3600.0));
    // Blanks before the sign do not lose it.
    EXPECT_DOUBLE_EQ(ParseSexagesimal("  -10 30"), -10.5);
    EXPECT_DOUBLE_EQ(ParseSexagesimal("\t-0 0 36"), -0.01);
    // Nothing readable: 0.
    EXPECT_EQ(ParseSexagesimal(""), 0.0);
    EXPECT_EQ(ParseSexagesimal("north"), 0.0);
    EXPECT_EQ(ParseSexagesimal("-"), 0.0);
    // A scan format of the caller's own.
    EXPECT_DOUBLE_EQ(ParseSexagesimal("-01:30:00", "%hd:%hd:%lf"), -1.5);
}

TEST(CoordinateText, FormatSignedDMSParsesBack) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> any(-180.0, 180.0);
    for (int i = 0; i < 20000; ++i) {
        double degrees = any(random);
        std::string text = FormatSignedDMS(degrees);
        // Tenths of an arcsecond after a quarter-step shift: within 0.075".
        ASSERT_NEAR(ParseSexagesimal(text), degrees, 0.075 / 3600.0) << text;
    }
}

TEST(CoordinateText, EquatorialTexts) {
    double ra = HoursToRadians(5, 34, 31.94);
    double dec = DegreesToRadians(22.0 + 52.2 / 3600.0);
    Texts values = Format(kFrameEquatorial, ra, dec, kCoordinateValues);
    EXPECT_EQ(values.lon, "05 34 31.94");
    EXPECT_EQ(values.lat, "+22 00 52.2");

    Texts labelled = Format(kFrameEquatorial, ra, dec, kCoordinateLabelledValues);
    EXPECT_EQ(labelled.lon, "R.A. (2000.0): 05h 34m 31.94s");
    EXPECT_EQ(labelled.lat, "Dec. (2000.0): +22\xB0 00' 52.2\"");
    ASSERT_EQ(labelled.lat.size(), std::string("Dec. (2000.0): +22 00' 52.2\"").size() + 1);
    EXPECT_EQ(static_cast<unsigned char>(labelled.lat[18]), 0xB0);

    Texts labels = Format(kFrameEquatorial, ra, dec, kCoordinateLabels, JulianDateFromYear(1950.0));
    EXPECT_EQ(labels.lon, "R.A. (1950.0):");
    EXPECT_EQ(labels.lat, "Dec. (1950.0):");
}

TEST(CoordinateText, EquatorialCarriesNeverShow60Or24) {
    // 23h 59m 59.997s rounds to the start of the next day.
    Texts t = Format(kFrameEquatorial, HoursToRadians(23, 59, 59.997), 0.0, kCoordinateValues);
    EXPECT_EQ(t.lon, "00 00 00.00");
    t = Format(kFrameEquatorial, HoursToRadians(12, 59, 59.996), 0.0, kCoordinateValues);
    EXPECT_EQ(t.lon, "13 00 00.00");
    t = Format(kFrameEquatorial, HoursToRadians(12, 58, 59.996), 0.0, kCoordinateValues);
    EXPECT_EQ(t.lon, "12 59 00.00");
    t = Format(kFrameEquatorial, HoursToRadians(12, 58, 59.994), 0.0, kCoordinateValues);
    EXPECT_EQ(t.lon, "12 58 59.99");
    // Just below a full turn.
    t = Format(kFrameEquatorial, 6.2831853071, 0.0, kCoordinateValues);
    EXPECT_EQ(t.lon, "00 00 00.00");

    // Declination: -0 30 00 keeps its sign; 59.95" carries into the minute and
    // the degree.
    t = Format(kFrameEquatorial, 0.0, DegreesToRadians(-0.5), kCoordinateValues);
    EXPECT_EQ(t.lat, "-00 30 00.0");
    t = Format(kFrameEquatorial, 0.0, DegreesToRadians(10.0 + 59.0 / 60.0 + 59.96 / 3600.0),
               kCoordinateValues);
    EXPECT_EQ(t.lat, "+11 00 00.0");
    t = Format(kFrameEquatorial, 0.0, DegreesToRadians(-(10.0 + 20.0 / 60.0 + 59.94 / 3600.0)),
               kCoordinateValues);
    EXPECT_EQ(t.lat, "-10 20 59.9");
    t = Format(kFrameEquatorial, 0.0, DegreesToRadians(90.0), kCoordinateValues);
    EXPECT_EQ(t.lat, "+90 00 00.0");
}

TEST(CoordinateText, LongitudeLatitudeTextsOfTheOtherFrames) {
    double lon = DegreesToRadians(123.45678);
    double lat = DegreesToRadians(-5.4321);
    Texts t = Format(kFrameEcliptic, lon, lat, kCoordinateValues);
    EXPECT_EQ(t.lon, "123.4568");
    EXPECT_EQ(t.lat, "-05.4321");
    t = Format(kFrameEcliptic, lon, lat, kCoordinateLabelledValues);
    EXPECT_EQ(t.lon, "Ecliptic Lon: 123.4568\xB0");
    EXPECT_EQ(t.lat, "Ecliptic Lat: -05.4321\xB0");
    t = Format(kFrameGalactic, lon, lat, kCoordinateLabelledValues);
    EXPECT_EQ(t.lon, "Galactic Lon: 123.4568\xB0");
    EXPECT_EQ(t.lat, "Galactic Lat: -05.4321\xB0");
    t = Format(kFrameHorizon, DegreesToRadians(7.5), DegreesToRadians(45.0),
               kCoordinateLabelledValues);
    EXPECT_EQ(t.lon, "Azimuth: 007.5000\xB0");
    EXPECT_EQ(t.lat, "Altitude: +45.0000\xB0");

    t = Format(kFrameEcliptic, lon, lat, kCoordinateLabels);
    EXPECT_EQ(t.lon, "Ecliptic Lon:");
    EXPECT_EQ(t.lat, "Ecliptic Lat:");
    t = Format(kFrameGalactic, lon, lat, kCoordinateLabels);
    EXPECT_EQ(t.lon, "Galactic Lon:");
    EXPECT_EQ(t.lat, "Galactic Lat:");
    t = Format(kFrameHorizon, lon, lat, kCoordinateLabels);
    EXPECT_EQ(t.lon, "Azimuth:");
    EXPECT_EQ(t.lat, "Altitude:");

    // Zero latitude shows its sign; a longitude a hair below 360 shows as 0.
    t = Format(kFrameGalactic, DegreesToRadians(359.99996), 0.0, kCoordinateValues);
    EXPECT_EQ(t.lon, "000.0000");
    EXPECT_EQ(t.lat, "+00.0000");
    t = Format(kFrameGalactic, DegreesToRadians(359.99994), 0.0, kCoordinateValues);
    EXPECT_EQ(t.lon, "359.9999");
    // A longitude given below zero is shown reduced to a full turn.
    t = Format(kFrameHorizon, DegreesToRadians(-90.0), 0.0, kCoordinateValues);
    EXPECT_EQ(t.lon.substr(0, 6), "270.00");
}

TEST(CoordinateText, UnknownFramesAndStylesGiveEmptyTexts) {
    std::string lon = "old", lat = "old";
    FormatCoordinates(kFrameJ2000, 1.0, 0.5, kCoordinateValues, kJ2000, lon, lat);
    EXPECT_EQ(lon, "");
    EXPECT_EQ(lat, "");
    lon = lat = "old";
    FormatCoordinates(7, 1.0, 0.5, kCoordinateValues, kJ2000, lon, lat);
    EXPECT_EQ(lon, "");
    lon = lat = "old";
    FormatCoordinates(kFrameEquatorial, 1.0, 0.5, 3, kJ2000, lon, lat);
    EXPECT_EQ(lon, "");
    EXPECT_EQ(lat, "");
}

TEST(CoordinateText, CoordinateTextsParseBackToTheirPrecision) {
    std::mt19937 random(2000);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const double twoPi = 6.283185307179586;
    for (int i = 0; i < 20000; ++i) {
        double lon = u(random) * twoPi;
        double lat = std::asin(2.0 * u(random) - 1.0);
        Texts eq = Format(kFrameEquatorial, lon, lat, kCoordinateValues);
        double hours = ParseSexagesimal(eq.lon);
        double expectedHours = lon * kDegreesPerRadian / 15.0;
        double hourError = std::remainder(hours - expectedHours, 24.0);
        // Hundredths of a second of time; tenths of an arcsecond.
        ASSERT_LE(std::fabs(hourError), 0.005 / 3600.0 + 1e-12) << eq.lon;
        ASSERT_LE(std::fabs(ParseSexagesimal(eq.lat) - lat * kDegreesPerRadian),
                  0.05 / 3600.0 + 1e-12)
            << eq.lat;

        for (int frame : {kFrameEcliptic, kFrameGalactic, kFrameHorizon}) {
            Texts t = Format(frame, lon, lat, kCoordinateValues);
            double lonError = std::remainder(
                std::strtod(t.lon.c_str(), nullptr) - lon * kDegreesPerRadian, 360.0);
            ASSERT_LE(std::fabs(lonError), 0.00005 + 1e-12) << t.lon;
            ASSERT_LE(std::fabs(std::strtod(t.lat.c_str(), nullptr) - lat * kDegreesPerRadian),
                      0.00005 + 1e-12)
                << t.lat;
        }
    }
}

} // namespace
