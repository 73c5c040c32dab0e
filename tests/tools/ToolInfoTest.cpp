// norvane-tool info on the default database the build made: the Object Info
// lines of real objects, names matched as a settings file matches them, and
// the options that set the instant, the place and the computation.

#include "tests/tools/ToolRunner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

ToolRun Info(const std::string& arguments) {
    return Tool("--program-dir '" + ShippedProgramDir() + "' info " + arguments);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The display name and controls 7 to 21.
constexpr std::size_t kInfoLines = 16;
constexpr std::size_t kType = 1, kRightAscension = 2, kDeclination = 3, kDistance = 4,
                      kMagnitude = 5, kSize = 6, kRise = 7, kSet = 8, kDetail1 = 9,
                      kFrameLongitude = 14, kFrameLatitude = 15;

// Minutes after midnight of a "Rises at: hh:mm" line, or -1.
int MinutesOf(const std::string& line) {
    std::size_t colon = line.rfind(':');
    if (colon == std::string::npos || colon < 2 || line.size() != colon + 3) return -1;
    return std::atoi(line.substr(colon - 2, 2).c_str()) * 60 + std::atoi(line.c_str() + colon + 1);
}

TEST(ToolInfo, SiriusAtJ2000SeenFromGreenwich) {
    ToolRun run = Info("Sirius --jd 2451545.0 --site 0,51.5 --zone 0 --frame Equatorial");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), kInfoLines) << run.out;
    EXPECT_TRUE(StartsWith(lines[0], "Sirius")) << lines[0];
    EXPECT_TRUE(lines[kType] == "Type: Single star" || lines[kType] == "Type: Multiple star")
        << lines[kType];
    EXPECT_TRUE(StartsWith(lines[kRightAscension], "R.A. (2000.0): 06h 45m "))
        << lines[kRightAscension];
    EXPECT_TRUE(StartsWith(lines[kDeclination], "Dec. (2000.0): -16\xC2\xB0 42' "))
        << lines[kDeclination];
    // A parallax of 0.379" puts it 2.64 pc away; the catalogue rounds to 2.667.
    ASSERT_TRUE(StartsWith(lines[kDistance], "Distance (pc): ")) << lines[kDistance];
    EXPECT_NEAR(std::atof(lines[kDistance].c_str() + 15), 2.67, 0.03) << lines[kDistance];
    EXPECT_TRUE(StartsWith(lines[kMagnitude], "Magnitude: -1.46")) << lines[kMagnitude];
    EXPECT_TRUE(StartsWith(lines[kSize], "Separation (\"): ")) << lines[kSize];
    // astronomy-engine puts the geometric rising at 19:30:45 and the setting
    // at 04:35:53 (UT, 51.48 N) that day.
    ASSERT_TRUE(StartsWith(lines[kRise], "Rises at: ")) << lines[kRise];
    ASSERT_TRUE(StartsWith(lines[kSet], "Sets at: ")) << lines[kSet];
    EXPECT_NEAR(MinutesOf(lines[kRise]), 19 * 60 + 31, 3) << lines[kRise];
    EXPECT_NEAR(MinutesOf(lines[kSet]), 4 * 60 + 36, 3) << lines[kSet];
    EXPECT_TRUE(StartsWith(lines[kDetail1], "R.A. motion (s/yr): -0.0")) << lines[kDetail1];
    EXPECT_TRUE(StartsWith(lines[kDetail1 + 1], "Dec. motion (\"/yr): -1.")) << lines[kDetail1 + 1];
    EXPECT_EQ(lines[kDetail1 + 2], "Radial velocity (km/s): -8.0");
    EXPECT_EQ(lines[kDetail1 + 3], "Color Index (B-V): +0.00");
    EXPECT_EQ(lines[kDetail1 + 4], "");
    // The current system is Equatorial.
    EXPECT_EQ(lines[kFrameLongitude], lines[kRightAscension]);
    EXPECT_EQ(lines[kFrameLatitude], lines[kDeclination]);
}

TEST(ToolInfo, PolarisNeverSetsAtFiftyDegreesNorth) {
    ToolRun run = Info("Polaris --site 0,51.5");
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), kInfoLines) << run.out;
    EXPECT_EQ(lines[kRise], "Rises at: (doesn't set)");
    EXPECT_EQ(lines[kSet], "Sets at: (doesn't set)");
    // Horizon is the default system; Polaris stands about as high as the pole.
    ASSERT_TRUE(StartsWith(lines[kFrameLongitude], "Azimuth: ")) << lines[kFrameLongitude];
    ASSERT_TRUE(StartsWith(lines[kFrameLatitude], "Altitude: +")) << lines[kFrameLatitude];
    EXPECT_NEAR(std::atof(lines[kFrameLatitude].c_str() + 10), 51.5, 1.0);
}

TEST(ToolInfo, JupiterFromOrbitalElements) {
    ToolRun run = Info("Jupiter --planets Elements --jd 2451545.0");
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), kInfoLines) << run.out;
    EXPECT_EQ(lines[kType], "Type: Jupiter");
    // On 2000 January 1 Jupiter stood in Aries, R.A. 1h 36m, Dec. +8.6, 4.6 AU
    // away, at magnitude -2.6 and 43" across.
    EXPECT_TRUE(StartsWith(lines[kRightAscension], "R.A. (2000.0): 01h 3"))
        << lines[kRightAscension];
    EXPECT_TRUE(StartsWith(lines[kDeclination], "Dec. (2000.0): +08\xC2\xB0 ")) << lines[kDeclination];
    ASSERT_TRUE(StartsWith(lines[kDistance], "Distance (AU): 4.6")) << lines[kDistance];
    ASSERT_TRUE(StartsWith(lines[kMagnitude], "Magnitude: -2.")) << lines[kMagnitude];
    ASSERT_TRUE(StartsWith(lines[kSize], "Angular Size: 4")) << lines[kSize];
    EXPECT_TRUE(StartsWith(lines[kDetail1], "Illumination: 0.99")) << lines[kDetail1];
    for (std::size_t k = kDetail1 + 1; k <= kDetail1 + 4; ++k)
        EXPECT_TRUE(lines[k].size() > 2 && lines[k].compare(lines[k].size() - 2, 2, "\xC2\xB0") == 0)
            << lines[k];
}

TEST(ToolInfo, NamesAreWholeNamePartsInAnyLetterCase) {
    ToolRun lower = Info("'sirius' --jd 2451545.0 --frame Galactic");
    ASSERT_EQ(lower.status, 0) << lower.err;
    std::vector<std::string> lines = Lines(lower.out);
    ASSERT_EQ(lines.size(), kInfoLines);
    EXPECT_TRUE(StartsWith(lines[0], "Sirius;"));
    EXPECT_TRUE(StartsWith(lines[kFrameLongitude], "Galactic Lon: 227.")) << lines[kFrameLongitude];
    EXPECT_TRUE(StartsWith(lines[kFrameLatitude], "Galactic Lat: -08.")) << lines[kFrameLatitude];
    EXPECT_EQ(Lines(Info("'HR2491' --jd 2451545.0").out)[0], lines[0]) << "any one part";

    ToolRun part = Info("Siri");
    EXPECT_EQ(part.status, 1) << "a word within a name is not the name";
    EXPECT_EQ(part.out, "");
    EXPECT_EQ(part.err, "There's no object containing the name \"Siri\" in memory!\n");
    ToolRun none = Info("'Planet X'");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "There's no object containing the name \"Planet X\" in memory!\n");
    ToolRun viewer = Info("Sirius --viewer Vulcan");
    EXPECT_EQ(viewer.status, 1);
    EXPECT_EQ(viewer.out, "");
    EXPECT_EQ(viewer.err, "There's no object containing the name \"Vulcan\" in memory!\n");

    // Names come in and go out as UTF-8; the database holds them in its code
    // page (the catalogue's sites are Windows-1252).
    ToolRun accented = Info("'S\xC3\xA3o Paulo, Brazil' --jd 2451545.0");
    ASSERT_EQ(accented.status, 0) << accented.err;
    EXPECT_EQ(Lines(accented.out)[0], "S\xC3\xA3o Paulo, Brazil");
    ToolRun missing = Info("'Bogot\xC3\xA1 Nowhere'");
    EXPECT_EQ(missing.err,
              "There's no object containing the name \"Bogot\xC3\xA1 Nowhere\" in memory!\n");
}

TEST(ToolInfo, FixedEpochAndViewpoint) {
    // With the equinox held at 1950.0 the labels say so, and the J2000 place
    // is precessed back to it: R.A. 6h 42m 55s, Dec. -16 39' 47" (the motion
    // of the star over the 50 years is not taken off: that is the epoch, not
    // the equinox).
    ToolRun old = Info("Sirius --jd 2451545.0 --epoch 1950");
    ASSERT_EQ(old.status, 0) << old.err;
    std::vector<std::string> lines = Lines(old.out);
    ASSERT_EQ(lines.size(), kInfoLines);
    EXPECT_TRUE(StartsWith(lines[kRightAscension], "R.A. (1950.0): 06h 42m 5"))
        << lines[kRightAscension];
    EXPECT_TRUE(StartsWith(lines[kDeclination], "Dec. (1950.0): -16\xC2\xB0 39' "))
        << lines[kDeclination];

    // The Earth seen from the Moon is as far as the Moon seen from the Earth.
    ToolRun earth = Info("Earth --viewer Moon --planets Elements --jd 2451545.0");
    ToolRun moon = Info("Moon --planets Elements --jd 2451545.0");
    ASSERT_EQ(earth.status, 0) << earth.err;
    ASSERT_EQ(moon.status, 0) << moon.err;
    std::string fromMoon = Lines(earth.out)[kDistance], fromEarth = Lines(moon.out)[kDistance];
    ASSERT_TRUE(StartsWith(fromMoon, "Distance (km): ")) << fromMoon;
    ASSERT_TRUE(StartsWith(fromEarth, "Distance (km): ")) << fromEarth;
    double a = std::atof(fromMoon.c_str() + 15), b = std::atof(fromEarth.c_str() + 15);
    EXPECT_GT(a, 356000.0);
    EXPECT_LT(a, 407000.0);
    // The site's 6400 km offset from the Earth's centre is all that differs.
    EXPECT_NEAR(a, b, 6500.0);
}

TEST(ToolInfo, RefractionLiftsTheAltitude) {
    // Sirius low in the south-east from 51.5 N on 2000 January 1, 21:00 UT.
    const std::string base = "Sirius --jd 2451545.375 --site 0,51.5,100";
    ToolRun plain = Info(base);
    ToolRun refracted = Info(base + " --refraction");
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(refracted.status, 0) << refracted.err;
    std::string h0 = Lines(plain.out)[kFrameLatitude], h1 = Lines(refracted.out)[kFrameLatitude];
    ASSERT_TRUE(StartsWith(h0, "Altitude: +")) << h0;
    ASSERT_TRUE(StartsWith(h1, "Altitude: +")) << h1;
    double lift = std::atof(h1.c_str() + 10) - std::atof(h0.c_str() + 10);
    EXPECT_GT(lift, 0.03) << h0 << " / " << h1;
    EXPECT_LT(lift, 0.5) << h0 << " / " << h1;
    // Nothing but the altitude changes.
    EXPECT_EQ(Lines(plain.out)[kRightAscension], Lines(refracted.out)[kRightAscension]);
}

TEST(ToolInfo, BadOptionsSayOneLineAndExitTwo) {
    const char* bad[] = {
        "Sirius --frame Polar",
        "Sirius --planets Kepler",
        "Sirius --site 0,51.5,high",
        "Sirius --site 0,95",
        "Sirius --site 10",
        "Sirius --viewer ''",
        "Sirius --epoch next",
        "",
        "Sirius Vega",
        "Sirius --sky",
    };
    for (const char* arguments : bad) {
        ToolRun run = Info(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_EQ(Lines(run.err).size(), 1u) << arguments << ": " << run.err;
    }
    // The altitude of the site is optional.
    EXPECT_EQ(Info("Sirius --jd 2451545.0 --site 0,51.5,100").status, 0);
    EXPECT_EQ(Info("Sirius --jd 2451545.0 --site -0.5,51.5").status, 0);
}

} // namespace
