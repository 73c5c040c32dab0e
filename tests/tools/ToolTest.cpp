// norvane-tool as scripts use it: output, error lines and exit status.

#include "tests/tools/ToolRunner.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

TEST(Tool, ConvertsDatesBothWays) {
    ToolRun jd = Tool("jd \"2000/01/01 12:00:00\"");
    EXPECT_EQ(jd.status, 0);
    EXPECT_EQ(jd.out, "2451545.000000\n");

    ToolRun date = Tool("date 2451545.0");
    EXPECT_EQ(date.status, 0);
    EXPECT_EQ(date.out, "2000/01/01 12:00:00\n");

    // Zone and calendar shape the text; the instant stays the same.
    EXPECT_EQ(Tool("--zone 10 jd \"2000/01/01 22:00:00\"").out, "2451545.000000\n");
    EXPECT_EQ(Tool("--zone 10 date 2451545").out, "2000/01/01 22:00:00\n");
    EXPECT_EQ(Tool("--zone -5.5 date 2451545").out, "2000/01/01 06:30:00\n");
    EXPECT_EQ(Tool("--calendar Julian jd \"333/01/27 12:00\"").out, "1842713.000000\n");
    EXPECT_EQ(Tool("--calendar Julian date 1842713").out, "333/01/27 12:00:00\n");
    EXPECT_EQ(Tool("jd 1957/10/04.81").out, "2436116.310000\n");
}

TEST(Tool, ABadDateTextGivesMessage525AndStatus1) {
    ToolRun run = Tool("jd 2000/1");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "The date \"2000/1\" is invalid.  Please enter the date and time as "
              "\"year/month/day hour:min:sec\" or \"year/month/decimal day\".\n");
    // The same check applies to the --date option.
    EXPECT_EQ(Tool("--date nonsense date 2451545").status, 1);
}

// Runs `arguments` and expects a usage error: status 2, nothing on stdout and
// exactly one line on stderr.
void ExpectUsageError(const std::string& arguments) {
    ToolRun run = Tool(arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    ASSERT_FALSE(run.err.empty()) << arguments;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << arguments << ": " << run.err;
}

struct Converted {
    int status;
    double lon;
    double lat;
};

// Runs a conversion and reads its one line "LON LAT".
Converted Convert(const std::string& arguments) {
    ToolRun run = Tool(arguments);
    Converted c{run.status, NAN, NAN};
    char end = '\0';
    if (std::sscanf(run.out.c_str(), "%lf %lf%c", &c.lon, &c.lat, &end) != 3 || end != '\n')
        ADD_FAILURE() << arguments << " printed \"" << run.out << "\"";
    return c;
}

// Difference of two angles in degrees, folded into (-180, 180].
double DegreesApart(double a, double b) {
    return std::remainder(a - b, 360.0);
}

TEST(Tool, UsageErrorsGiveOneLineAndStatus2) {
    const char* cases[] = {
        "",                         // no command
        "frobnicate",               // unknown command
        "--bogus date 2451545",     // unknown option
        "date",                     // missing argument
        "date 2451545 extra",       // extra argument
        "date 24515x5",             // not a number
        "date nan",                 // not a finite number
        "--zone date 2451545",      // option without its value
        "--zone 30 date 2451545",   // zone out of range
        "--calendar Islamic date 2451545",
        "--jd abc date 2451545",
        "--program-dir",
    };
    for (const char* arguments : cases)
        ExpectUsageError(arguments);
}

TEST(Tool, ConvertsBetweenFrames) {
    // The galactic north pole in J2000 coordinates.
    Converted c = Convert("convert --from Equatorial --to Galactic 192.859508 27.128336");
    EXPECT_EQ(c.status, 0);
    EXPECT_NEAR(c.lat, 90.0, 0.001);

    // The summer solstice lies on the ecliptic, at longitude 90.
    c = Convert("convert --from Equatorial --to Ecliptic 90 23.4392911");
    EXPECT_EQ(c.status, 0);
    EXPECT_NEAR(c.lon, 90.0, 0.0001);
    EXPECT_NEAR(c.lat, 0.0, 0.0001);
    EXPECT_EQ(Tool("convert --from Equatorial --to Ecliptic 90 23.4392911").out,
              "90.000000 0.000000\n");

    // Options before, between or after the command; a negative latitude is a value.
    std::string expected = Tool("convert --from Galactic --to Equatorial 0 -5").out;
    EXPECT_EQ(Tool("--from Galactic convert --to Equatorial 0 -5").out, expected);
    EXPECT_EQ(Tool("convert 0 -5 --to Equatorial --from Galactic").out, expected);
    EXPECT_EQ(Tool("convert --from Galactic --to Equatorial -- 0 -5").out, expected);
    // The galactic centre: R.A. 17h 45.6m, Dec. -28 56'.
    c = Convert("convert --from Galactic --to Equatorial 0 0");
    EXPECT_NEAR(c.lon, 266.405, 0.01);
    EXPECT_NEAR(c.lat, -28.936, 0.01);

    // The equinox of the Equatorial frame: the pole of B1950 in B1950 coordinates.
    c = Convert("--epoch 1950 convert --from Equatorial --to Galactic 192.25 27.4");
    EXPECT_NEAR(c.lat, 90.0, 0.0001);
    // Equatorial to Equatorial is the identity whatever the epoch.
    c = Convert("--epoch 1875.5 convert --from Equatorial --to Equatorial 123.456789 -65.4321");
    EXPECT_NEAR(c.lon, 123.456789, 2e-6);
    EXPECT_NEAR(c.lat, -65.4321, 2e-6);
}

TEST(Tool, ConvertsToAndFromTheHorizon) {
    // The celestial pole of the date stands due north, as high as the latitude.
    // JD 2460000.5 is the decimal year 2023.149897.
    Converted c = Convert("--jd 2460000.5 --site -75,40 --epoch 2023.149897 "
                          "convert --from Equatorial --to Horizon 10 90");
    EXPECT_EQ(c.status, 0);
    EXPECT_NEAR(DegreesApart(c.lon, 0.0), 0.0, 1e-4);
    EXPECT_NEAR(c.lat, 40.0, 1e-4);

    // The zenith at Greenwich at J2000.0: R.A. = sidereal time 18h 41m 50.5s.
    c = Convert("convert --from Horizon --to Equatorial 0 90 --jd 2451545 --site 0,51.5");
    EXPECT_NEAR(c.lon, 280.4606, 0.001);
    EXPECT_NEAR(c.lat, 51.5, 0.001);
    // --date does as well as --jd, in the zone given.
    Converted d = Convert("--zone 1 --date \"2000/01/01 13:00:00\" --site 0,51.5 "
                          "convert --from Horizon --to Equatorial 0 90");
    EXPECT_NEAR(d.lon, c.lon, 1e-6);
    EXPECT_NEAR(d.lat, c.lat, 1e-6);

    // East point of the horizon and back again.
    c = Convert("--jd 2455000.3 --site 151.2,-33.9 convert --from Horizon --to Galactic 90 0");
    std::string back = "--jd 2455000.3 --site 151.2,-33.9 convert --from Galactic --to Horizon " +
                       std::to_string(c.lon) + " " + std::to_string(c.lat);
    Converted b = Convert(back);
    EXPECT_NEAR(DegreesApart(b.lon, 90.0), 0.0, 1e-5);
    EXPECT_NEAR(b.lat, 0.0, 1e-5);
}

TEST(Tool, ConvertUsageErrorsGiveStatus2) {
    const char* cases[] = {
        "convert 10 20",                                    // no frames
        "convert --from Equatorial 10 20",                  // no --to
        "convert --to Galactic 10 20",                      // no --from
        "convert --from Polar --to Galactic 10 20",         // unknown frame
        "convert --from equatorial --to Galactic 10 20",    // keywords are exact
        "convert --from Equatorial --to",                   // option without its value
        "convert --from Equatorial --to Galactic 10",       // one value
        "convert --from Equatorial --to Galactic 10 20 30", // three values
        "convert --from Equatorial --to Galactic x 20",     // not a number
        "convert --from Equatorial --to Galactic 10 95",    // latitude beyond the pole
        "convert --from Equatorial --to Galactic 10 inf",   // not finite
        "--epoch abc convert --from Equatorial --to Ecliptic 10 20",
        "convert --from Horizon --to Equatorial 10 20 --site 0,50",  // no instant
        "--jd 2451545 convert --from Equatorial --to Horizon 10 20", // no site
        "--jd 2451545 --site 10 convert --from Equatorial --to Horizon 10 20",
        "--jd 2451545 --site 10,91 convert --from Equatorial --to Horizon 10 20",
        "--jd 2451545 --site a,b convert --from Equatorial --to Horizon 10 20",
    };
    for (const char* arguments : cases)
        ExpectUsageError(arguments);
}

TEST(Tool, HelpListsTheCommands) {
    ToolRun run = Tool("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("jd TEXT"), std::string::npos);
    EXPECT_NE(run.out.find("date JD"), std::string::npos);
    EXPECT_NE(run.out.find("--program-dir"), std::string::npos);
    EXPECT_NE(run.out.find("convert --from FRAME --to FRAME LON LAT"), std::string::npos);
    EXPECT_NE(run.out.find("--epoch YEAR"), std::string::npos);
    EXPECT_NE(run.out.find("--site LON,LAT"), std::string::npos);
}

} // namespace
