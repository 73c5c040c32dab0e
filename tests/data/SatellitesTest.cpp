// Earth satellites from two-line elements: the columns and units of the
// element lines (checked against values written out from the format and from
// the WGS-72 constants the elements are defined with), the name-line rules,
// the secular model's drag and oblateness behaviour, the import of element
// files with every kind of damaged input, and the positions against SGP4
// (satellite.js, carried from its TEME frame to J2000 with ERFA).

#include "data/Satellites.h"

#include "astro/TimeScales.h"
#include "tests/data/AttachedFiles.h"
#include "tests/data/DataTestSupport.h"

#include <erfa.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

using namespace data_test;

constexpr double kExactPi = 3.14159265358979323846, kDegree = kExactPi / 180.0;
constexpr double kTurn = 2.0 * kExactPi, kKilometresPerAU = 149597870.7;
constexpr double kMinutesPerDay = 1440.0, kSecondsPerDay = 86400.0, kMjdOffset = 2400000.5;
// WGS-72, the constants two-line elements are made with: km^3/s^2, km.
constexpr double kEarthMu = 398600.8, kEarthRadiusKm = 6378.135, kJ2 = 0.001082616;
constexpr std::int16_t kNone = 32767;
constexpr int kNoSuchObject = 523, kKeepReading = 524, kImportSummary = 541;

// Element lines put together column by column, so that every field sits
// exactly where the format puts it.
std::string Line1(const std::string& epoch = "99001.50000000",
                  const std::string& meanMotionRate = " .00012345",
                  const std::string& secondTerm = " 12345-3",
                  const std::string& drag = " 10000-4") {
    return "1 00001U 99001A   " + epoch + " " + meanMotionRate + " " + secondTerm + " " + drag +
           " 0  9990";
}
std::string Line2(const std::string& inclination = " 51.6000", const std::string& node = "123.4567",
                  const std::string& eccentricity = "0012345",
                  const std::string& perigee = "234.5678",
                  const std::string& meanAnomaly = "345.6789",
                  const std::string& meanMotion = "15.50000000") {
    return "2 00001 " + inclination + " " + node + " " + eccentricity + " " + perigee + " " +
           meanAnomaly + " " + meanMotion + "123456";
}

// Real element sets of the default catalogue.
const char* const kTerra[] = {
    "TERRA", "1 25994U 99068A   18018.68987256  .00000126  00000-0  38103-4 0  9998",
    "2 25994  98.2102  95.6663 0001032  76.0653 284.0667 14.57113885962059"};
const char* const kFlock[] = {
    "FLOCK 2E'-6", "1 41568U 98067JS  18020.44277298  .00034283  00000-0  18740-3 0  9991",
    "2 41568  51.6293 344.6959 0000617 270.9238  89.1693 15.79522238 93852"};
const char* const kFengyun[] = {
    "FENGYUN 4A", "1 41882U 16077A   18020.54120315 -.00000327  00000-0  00000-0 0  9999",
    "2 41882   0.0145  44.5627 0009553  80.5691 294.1905  1.00275283  4208"};

std::string ElementText(const char* const set[3], const char* end = "\r\n") {
    return std::string(set[0]) + end + set[1] + end + set[2] + end;
}

double Length(const double v[3]) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

double DistanceKm(const double a[3], const double b[3]) {
    const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    return Length(d) * kKilometresPerAU;
}

// Longitude of the ascending node (radians) of the orbit through two nearby
// positions, in the frame of the positions.
double NodeOf(const double r1[3], const double r2[3]) {
    return std::atan2(r1[1] * r2[2] - r1[2] * r2[1], -(r1[2] * r2[0] - r1[0] * r2[2]));
}

// The dynamical time the driver keeps for a Universal Time.
double Jde(double ut) {
    return DynamicalJulianDate(ut, false);
}

class SatellitesTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_TRUE(checkDatabaseDirectory());
        customId = Attached("Custom.nvd");
        ASSERT_NE(customId, 0);
        ClearRecordedMessages();
    }
    // The Earth, in the custom file, written to disk with a site beside it:
    // what an import may never touch.
    void StoreEarth() {
        SolarSystemObject* earth = NewSolarSystemObject(kTypeEarth);
        earth->name = CopyText("Earth");
        earth->elements[kPerihelionDistance] = 0.983f;
        earth->elements[kEccentricity] = 0.0167f;
        earthId = addObject(earth, customId);
        ASSERT_NE(earthId, 0);
        SiteObject* home = NewSiteObject();
        home->name = CopyText("Home");
        ASSERT_NE(addObject(home, customId), 0);
        ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
        residentBytes = ReadAll(In("Custom.nvd"));
    }
    void ExpectResidentIntact() const {
        EXPECT_EQ(ReadAll(In("Custom.nvd")), residentBytes);
        EXPECT_EQ(NamesIn(customId), (std::vector<std::string>{"Earth", "Home"}));
    }
    static Owned Parse(const std::string& name, const std::string& line1,
                       const std::string& line2) {
        return Owned(ParseTwoLineElements(name, line1, line2));
    }
    static const SolarSystemObject* Body(const Owned& object) {
        return AsSolarSystem(object.get());
    }

    ObjectID customId = 0, earthId = 0;
    std::string residentBytes;
};

// ---------------------------------------------------------------------------
// The element lines

TEST_F(SatellitesTest, ColumnsAndUnitsOfAHandMadeElementSet) {
    StoreEarth();
    ASSERT_EQ(Line1().size(), 69u);
    ASSERT_EQ(Line2().size(), 69u);
    Owned object = Parse("TEST SAT", Line1(), Line2());
    const SolarSystemObject* sat = Body(object);
    ASSERT_NE(sat, nullptr);
    EXPECT_EQ(Numbers(), Messages{});
    EXPECT_EQ(sat->type, kTypeEarthSatellite);
    EXPECT_EQ(sat->primary, earthId);
    EXPECT_STREQ(sat->name.get(), "TEST SAT");
    EXPECT_EQ(sat->magnitudeParam1, kNone);
    EXPECT_EQ(sat->magnitudeParam2, kNone);

    // 1999 January 1.5 is JD 2451180.0.
    EXPECT_EQ(sat->epoch, 2451180.0 - kMjdOffset);
    const float* el = sat->elements;
    const double relative = 1e-6;
    EXPECT_NEAR(el[kEccentricity], 0.0012345, 1e-9);
    EXPECT_NEAR(el[kInclination], 51.6 * kDegree, relative);
    EXPECT_NEAR(el[kAscendingNode], 123.4567 * kDegree, relative);
    EXPECT_NEAR(el[kArgumentOfPerihelion], 234.5678 * kDegree, relative);
    EXPECT_NEAR(el[kMeanAnomaly], 345.6789 * kDegree, relative * 6.0);
    // Revolutions per day (squared, cubed) become radians per day (...).
    const double n = 15.5 * kTurn;
    EXPECT_NEAR(el[kMeanMotion] / n, 1.0, relative);
    EXPECT_NEAR(el[kMeanMotionRate] / (0.00012345 * kTurn), 1.0, relative);
    EXPECT_NEAR(el[kMeanMotionSecondTerm] / (0.12345e-3 * kTurn), 1.0, relative);
    EXPECT_EQ(el[kMass], 0.0f);
    EXPECT_EQ(el[kRadius], 0.0f);

    // The semi-major axis: Kepler's third law with the WGS-72 Earth gives the
    // uncorrected one; the two-line mean motion is Kozai's, and the recovered
    // axis is shorter by the J2 term for this inclination.
    const double n0 = n / kMinutesPerDay;       // radians per minute
    const double nSeconds = n / kSecondsPerDay; // radians per second
    const double a1Km = std::cbrt(kEarthMu / (nSeconds * nSeconds));
    const double a1 = a1Km / kEarthRadiusKm;
    const double e = 0.0012345, cosI = std::cos(51.6 * kDegree);
    const double delta1 =
        0.75 * kJ2 * (3.0 * cosI * cosI - 1.0) / (a1 * a1 * std::pow(1.0 - e * e, 1.5));
    const double a0 =
        a1 * (1.0 - delta1 / 3.0 - delta1 * delta1 - 134.0 / 81.0 * delta1 * delta1 * delta1);
    const double qKm = el[kPerihelionDistance] * kKilometresPerAU;
    EXPECT_NEAR(qKm, (1.0 - e) * a0 * kEarthRadiusKm, 0.002) << "within 2 m";
    EXPECT_GT(a1Km * (1.0 - e) - qKm, 0.1) << "the correction shortens the axis here";
    // Secular rates of the node and the perigee from J2 (radians per day).
    const double p = a0 * (1.0 - e * e);
    const double nodeRate = -1.5 * kJ2 * cosI * n0 / (p * p) * kMinutesPerDay;
    const double perigeeRate =
        0.75 * kJ2 * (5.0 * cosI * cosI - 1.0) * n0 / (p * p) * kMinutesPerDay;
    EXPECT_NEAR(el[kNodeRate] / nodeRate, 1.0, relative);
    EXPECT_NEAR(el[kPerihelionRate] / perigeeRate, 1.0, relative);
    // About five degrees a day westward, as for the space station.
    EXPECT_NEAR(el[kNodeRate] / kDegree, -5.0, 0.2);
}

TEST_F(SatellitesTest, TwoDigitYearsAndSignedFields) {
    StoreEarth();
    // January 1.5 of each year, in JD.
    const std::pair<const char*, double> years[] = {{"99", 2451180.0}, {"00", 2451545.0},
                                                    {"50", 2469808.0}, {"51", 2433648.0},
                                                    {"57", 2435840.0}, {" 7", 2454102.0}};
    for (const auto& [year, jd] : years) {
        Owned object = Parse("YEAR", Line1(std::string(year) + "001.50000000"), Line2());
        ASSERT_NE(Body(object), nullptr) << year;
        EXPECT_EQ(Body(object)->epoch, jd - kMjdOffset) << year;
    }
    // Signs, a plus sign and negative exponents.
    Owned object =
        Parse("SIGNS", Line1("18020.50000000", "-.00000327", "-12345-5", "+10000+1"), Line2());
    ASSERT_NE(Body(object), nullptr);
    EXPECT_NEAR(Body(object)->elements[kMeanMotionRate] / (-0.00000327 * kTurn), 1.0, 1e-6);
    EXPECT_NEAR(Body(object)->elements[kMeanMotionSecondTerm] / (-0.12345e-5 * kTurn), 1.0, 1e-6);
    // The day of the year counts from January 1.0: day 32.25 is February 1.25.
    Owned february = Parse("FEB", Line1("00032.25000000"), Line2());
    ASSERT_NE(Body(february), nullptr);
    EXPECT_EQ(Body(february)->epoch, 2451575.75 - kMjdOffset);
}

TEST_F(SatellitesTest, ColumnsAreReadWithinTheirWidthOnly) {
    StoreEarth();
    // A mean motion with a leading blank and the revolution number right
    // behind it: read by its eleven columns, not on into the digits after.
    std::string line2 =
        Line2(" 98.2102", " 95.6663", "0001032", " 76.0653", "284.0667", " 1.00275283");
    line2.replace(63, 5, "12345");
    Owned object = Parse("WIDTH", Line1(), line2);
    ASSERT_NE(Body(object), nullptr);
    EXPECT_NEAR(Body(object)->elements[kMeanMotion] / (1.00275283 * kTurn), 1.0, 1e-7);

    // Lines cut short, or only the leading "1" and "2": an orbit needs every
    // element, none is made up. Two lines of different satellites are no set.
    EXPECT_EQ(Body(Parse("SHORT", "1 00001U 99001A   00001.00", "2 00001  10.0000")), nullptr);
    EXPECT_EQ(Body(Parse("BARE", "1", "2")), nullptr);
    std::string other = kTerra[2];
    other.replace(2, 5, "99999");
    EXPECT_EQ(Body(Parse("MIXED", kTerra[1], other)), nullptr);
    EXPECT_EQ(Numbers(), Messages{});
}

TEST_F(SatellitesTest, NumericColumnsHoldingTextRefuseTheRecord) {
    StoreEarth();
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {Line1("9A001.50000000"), Line2()},       // year
        {Line1("99001.5000O000"), Line2()},       // day, a letter O
        {Line1("99001.50.00000"), Line2()},       // two decimal points
        {Line1(), Line2(" 51.6x00")},             // inclination
        {Line1(), Line2(" 51.6000", "123 4567")}, // two numbers in one column
        {Line1(), Line2(" 51.6000", "123.4567", "00-2345")},
        {Line1(" 99001.5000000", " .0001e-5"), Line2()}, // an exponent
        {Line1(), Line2(" 51.6000", "123.4567", "0012345", "234.5678", "345.6789", "15.5000000x")},
        {Line1(), Line2(" 51.6000", "123.4567", "0012345", "234.5678", "345.6789", "-1.50000000")},
        {Line1(), Line2(" 51.6000", "123.4567", "0012345", "234.5678", "345.6789", " 0.00000000")},
        {Line1(), Line2(" 51.6000", "123.4567", "-012345")}, // negative eccentricity
        {Line1(), Line2("     nan", "123.4567")},
        {Line1("99001.50000000", " .00012345", " 12345-3", " 1ZZ00-4"), Line2()}, // drag
    };
    for (const auto& [line1, line2] : damaged) {
        EXPECT_EQ(Body(Parse("BAD", line1, line2)), nullptr) << line1 << "\n" << line2;
    }
    EXPECT_EQ(Numbers(), Messages{}) << "refusals are told by the import, not here";
}

TEST_F(SatellitesTest, NameLinesOfUpTo36CharactersAreNamesOnly) {
    StoreEarth();
    // Name, length, two more sizes and the magnitude in their columns.
    const std::string fields = "ISS (ZARYA)     30.0 20.0 10.0-1.5";
    ASSERT_EQ(fields.size(), 34u);
    const std::string exactly36 = fields + "  ";
    Owned whole = Parse(exactly36, Line1(), Line2());
    ASSERT_NE(Body(whole), nullptr);
    EXPECT_STREQ(Body(whole)->name.get(), fields.c_str()) << "the whole line, blanks trimmed";
    EXPECT_EQ(Body(whole)->magnitudeParam1, kNone);
    EXPECT_EQ(Body(whole)->elements[kRadius], 0.0f);

    const std::string longer = fields + "  v";
    ASSERT_EQ(longer.size(), 37u);
    Owned cut = Parse(longer, Line1(), Line2());
    ASSERT_NE(Body(cut), nullptr);
    EXPECT_STREQ(Body(cut)->name.get(), "ISS (ZARYA)") << "14 characters, blanks trimmed";
    EXPECT_EQ(Body(cut)->magnitudeParam1, -150);
    // Half of 30 m, in AU.
    EXPECT_NEAR(Body(cut)->elements[kRadius] * kKilometresPerAU, 0.015, 1e-9);

    // Magnitudes with two decimals come out exact.
    Owned precise = Parse("OBJECT WITH SIZE 2.3  1.0  1.02.35 d 0", Line1(), Line2());
    ASSERT_NE(Body(precise), nullptr);
    EXPECT_EQ(Body(precise)->magnitudeParam1, 235);
    EXPECT_STREQ(Body(precise)->name.get(), "OBJECT WITH SI");

    // A long name without a magnitude stays whole; a length alone is kept.
    const std::string longName = "STARLINK-1007 AND A LONG DESCRIPTION OF IT";
    Owned text = Parse(longName, Line1(), Line2());
    ASSERT_NE(Body(text), nullptr);
    EXPECT_STREQ(Body(text)->name.get(), longName.c_str());
    EXPECT_EQ(Body(text)->magnitudeParam1, kNone);
    EXPECT_EQ(Body(text)->elements[kRadius], 0.0f);
    Owned sized = Parse("SOME SATELLITE  12.0 rest of the line", Line1(), Line2());
    ASSERT_NE(Body(sized), nullptr);
    EXPECT_STREQ(Body(sized)->name.get(), "SOME SATELLITE  12.0 rest of the line");
    EXPECT_NEAR(Body(sized)->elements[kRadius] * kKilometresPerAU, 0.006, 1e-9);
    EXPECT_EQ(Body(sized)->magnitudeParam1, kNone);

    // Names longer than the store keeps are cut.
    Owned huge = Parse(std::string(600, 'N'), Line1(), Line2());
    ASSERT_NE(Body(huge), nullptr);
    EXPECT_EQ(std::strlen(Body(huge)->name.get()), kImportNameLength);
}

TEST_F(SatellitesTest, WithoutTheEarthNothingIsMade) {
    Owned object = Parse("TEST", Line1(), Line2());
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(Numbers(), Messages{kNoSuchObject});
    EXPECT_EQ(RecordedMessages()[0].text,
              "There's no object containing the name \"Earth\" in memory!");

    // A site called Earth is not the Earth; a body of that type named so is.
    SiteObject* site = NewSiteObject();
    site->name = CopyText("Earth");
    ASSERT_NE(addObject(site, customId), 0);
    ClearRecordedMessages();
    EXPECT_EQ(Parse("TEST", Line1(), Line2()), nullptr);
    EXPECT_EQ(Numbers(), Messages{kNoSuchObject});
    StoreEarth();
    ClearRecordedMessages();
    Owned found = Parse("TEST", Line1(), Line2());
    ASSERT_NE(Body(found), nullptr);
    EXPECT_EQ(Body(found)->primary, earthId);
    EXPECT_EQ(Numbers(), Messages{});

    // Once it is gone again, satellites are refused again.
    FreeObject(removeObject(earthId));
    ClearRecordedMessages();
    EXPECT_EQ(Parse("TEST", Line1(), Line2()), nullptr);
    EXPECT_EQ(Numbers(), Messages{kNoSuchObject});
}

// ---------------------------------------------------------------------------
// The secular model

TEST_F(SatellitesTest, CircularEquatorialOrbitKeepsItsRadiusAndPeriod) {
    StoreEarth();
    Owned object =
        Parse("RING", Line1("00001.50000000", " .00000000", " 00000-0", " 00000-0"),
              Line2("  0.0000", "  0.0000", "0000000", "  0.0000", "  0.0000", " 2.00000000"));
    const SolarSystemObject* sat = Body(object);
    ASSERT_NE(sat, nullptr);
    const double epoch = 2451545.0;
    double start[3];
    ASSERT_TRUE(SatellitePosition(sat, Jde(epoch), start));
    const double radius = Length(start);
    EXPECT_NEAR(radius, sat->elements[kPerihelionDistance], 1e-12);
    // In the equator of date (the J2000 equator tilted by a few arcseconds).
    EXPECT_LT(std::fabs(start[2]) / radius, 1e-4);
    // At i = 0 the node and perigee turn together at 2K n / p^2 on top of
    // the mean motion; one revolution later the satellite is back.
    const double rate =
        sat->elements[kMeanMotion] + sat->elements[kNodeRate] + sat->elements[kPerihelionRate];
    EXPECT_GT(rate, sat->elements[kMeanMotion]);
    const double period = kTurn / rate;
    double later[3], half[3];
    ASSERT_TRUE(SatellitePosition(sat, Jde(epoch + period), later));
    ASSERT_TRUE(SatellitePosition(sat, Jde(epoch + period / 2.0), half));
    EXPECT_LT(DistanceKm(start, later), 0.1) << "back within 100 m after one period";
    const double opposite[3] = {-start[0], -start[1], -start[2]};
    EXPECT_LT(DistanceKm(half, opposite), 0.1);
    EXPECT_NEAR(Length(later), radius, 1e-12);
    // Two revolutions a day: Kepler's third law puts a 43 200-s orbit at
    // 26 610 km; the J2 correction takes off less than a kilometre.
    EXPECT_NEAR(radius * kKilometresPerAU, 26610.0, 5.0);
}

TEST_F(SatellitesTest, NodeRegressesOnProgradeOrbitsAndAdvancesOnRetrogradeOnes) {
    StoreEarth();
    struct Case {
        const char* inclination;
        double degreesPerDay;
    };
    // The space station's orbit, and a sun-synchronous one, whose node
    // follows the mean Sun: 360 degrees a year.
    const Case cases[] = {{" 51.6000", -5.0}, {" 98.2102", 360.0 / 365.2422}};
    for (const Case& c : cases) {
        Owned object = Parse("NODE", Line1(),
                             Line2(c.inclination, "100.0000", "0001000", " 90.0000", "  0.0000",
                                   c.degreesPerDay < 0 ? "15.50000000" : "14.57113885"));
        const SolarSystemObject* sat = Body(object);
        ASSERT_NE(sat, nullptr);
        const double epoch = 2451180.0, later = epoch + 10.0, step = 1e-3;
        double a[3], b[3], c1[3], d[3];
        ASSERT_TRUE(SatellitePosition(sat, Jde(epoch), a));
        ASSERT_TRUE(SatellitePosition(sat, Jde(epoch + step), b));
        ASSERT_TRUE(SatellitePosition(sat, Jde(later), c1));
        ASSERT_TRUE(SatellitePosition(sat, Jde(later + step), d));
        const double drift = std::remainder(NodeOf(c1, d) - NodeOf(a, b), kTurn) / kDegree / 10.0;
        EXPECT_NEAR(drift, c.degreesPerDay, std::fabs(c.degreesPerDay) * 0.05) << c.inclination;
        EXPECT_NEAR(NodeOf(a, b) / kDegree, 100.0, 0.05) << "J2000 is the equator of 1999 nearly";
    }
}

TEST_F(SatellitesTest, DragShrinksTheOrbitAndADecayedOneKeepsItsElements) {
    StoreEarth();
    // Strong drag: the mean motion grows by 2 x 0.05 revolutions a day every day.
    Owned object =
        Parse("DECAY", Line1("00001.50000000", " .05000000", " 00000-0", " 00000-0"),
              Line2(" 51.6000", "100.0000", "0100000", " 90.0000", "  0.0000", "15.00000000"));
    const SolarSystemObject* sat = Body(object);
    ASSERT_NE(sat, nullptr);
    const double epoch = 2451545.0;
    const double q = sat->elements[kPerihelionDistance], e = sat->elements[kEccentricity];
    const double apogee = q * (1.0 + e) / (1.0 - e);
    const double n = sat->elements[kMeanMotion], nDot = sat->elements[kMeanMotionRate];
    ASSERT_NEAR(nDot / (0.05 * kTurn), 1.0, 1e-6);

    // Ten days on the mean motion is 16 revolutions a day: the axis is
    // shorter by (15/16)^(2/3), below the perigee, and the orbit is a circle.
    double p[3];
    const double dt = 10.0;
    const double f = n / (n + 2.0 * nDot * dt);
    const double a = q / (1.0 - e) * std::pow(f, 2.0 / 3.0);
    ASSERT_LT(a, q);
    for (double t : {dt, dt + 0.013, dt + 0.031}) {
        ASSERT_TRUE(SatellitePosition(sat, Jde(epoch + t), p));
        EXPECT_NEAR(Length(p) * kKilometresPerAU, a * kKilometresPerAU, 1.0);
    }
    // Two days on, the axis has come down less: the perigee stays where it
    // was and the apogee comes down.
    double highest = 0.0, lowest = 1.0;
    for (int k = 0; k < 200; ++k) {
        ASSERT_TRUE(SatellitePosition(sat, Jde(epoch + 2.0 + k * 0.0005), p));
        highest = std::max(highest, Length(p));
        lowest = std::min(lowest, Length(p));
    }
    EXPECT_GT(lowest, q * (1.0 - 1e-6));
    EXPECT_LT(highest, apogee * 0.99);

    // Far before the epoch the mean motion n + 2 nDot dt is below zero: the
    // model has no orbit there, and the stored one is kept as it is.
    const double decayed = -n / (2.0 * nDot) - 5.0;
    for (int k = 0; k < 200; ++k) {
        ASSERT_TRUE(SatellitePosition(sat, Jde(epoch + decayed - k * 0.0005), p));
        const double r = Length(p);
        EXPECT_GE(r, q * (1.0 - 1e-6));
        EXPECT_LE(r, apogee * (1.0 + 1e-6));
        EXPECT_TRUE(std::isfinite(r));
    }
}

TEST_F(SatellitesTest, PositionsAtEpochOfDateAndTheCachedPrecession) {
    StoreEarth();
    Owned terra = Parse(kTerra[0], kTerra[1], kTerra[2]);
    Owned fengyun = Parse(kFengyun[0], kFengyun[1], kFengyun[2]);
    ASSERT_NE(Body(terra), nullptr);
    ASSERT_NE(Body(fengyun), nullptr);
    const double t1 = 2458137.2, t2 = 2458200.7;
    double a1[3], b1[3], a2[3], again[3];
    ASSERT_TRUE(SatellitePosition(Body(terra), Jde(t1), a1));
    ASSERT_TRUE(SatellitePosition(Body(fengyun), Jde(t1), b1));
    ASSERT_TRUE(SatellitePosition(Body(terra), Jde(t2), a2));
    ASSERT_TRUE(SatellitePosition(Body(terra), Jde(t1), again));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(again[i], a1[i]) << "the matrix of another instant is not reused";
    // A geostationary satellite's distance.
    EXPECT_NEAR(Length(b1) * kKilometresPerAU, 42164.0, 60.0);
    // Terra flies about 700 km up.
    EXPECT_NEAR(Length(a1) * kKilometresPerAU - kEarthRadiusKm, 705.0, 30.0);
}

// ---------------------------------------------------------------------------
// Import

TEST_F(SatellitesTest, ImportsAFileOfElementSets) {
    StoreEarth();
    const std::string text =
        ElementText(kTerra, "\r\n") + ElementText(kFlock, "\n") + ElementText(kFengyun, "\r");
    ASSERT_TRUE(importSatelliteFile(Source("Few.tle", text)));
    EXPECT_EQ(Numbers(), Messages{});
    const ObjectID fileId = Attached("Few.nvd");
    ASSERT_NE(fileId, 0);
    EXPECT_TRUE(OnDisk("Few.nvd"));
    EXPECT_EQ(NamesIn(fileId), (std::vector<std::string>{"TERRA", "FLOCK 2E'-6", "FENGYUN 4A"}));
    for (ObjectID id = firstObjectInFile(fileId); id != 0; id = nextObjectInFile(id)) {
        const SolarSystemObject* sat = AsSolarSystem(getObject(id));
        ASSERT_NE(sat, nullptr);
        EXPECT_EQ(sat->type, kTypeEarthSatellite);
        EXPECT_EQ(sat->primary, earthId);
    }
    EXPECT_EQ(getFile(fileId)->solarSystemCount, 3);
    ExpectResidentIntact();

    // The records read back from the data file as they were built.
    const SolarSystemObject* terra = AsSolarSystem(getObject(firstObjectInFile(fileId)));
    Owned direct = Parse(kTerra[0], kTerra[1], kTerra[2]);
    ASSERT_NE(terra, nullptr);
    EXPECT_EQ(terra->epoch, Body(direct)->epoch);
    EXPECT_EQ(std::memcmp(terra->elements, Body(direct)->elements, sizeof terra->elements), 0);
}

TEST_F(SatellitesTest, LinesBetweenSatellitesAndBlankNamesAreSkipped) {
    StoreEarth();
    // Comments, blank lines, a line 2 without its partners, and a satellite
    // whose name line is all blanks.
    const std::string text = std::string("Element sets of January 2018\r\n\r\n") +
                             ElementText(kTerra) + "   \r\n" + kFlock[1] + "\r\n" + kFlock[2] +
                             "\r\n" + kFengyun[2] + "\r\n\r\n" + ElementText(kFengyun);
    ASSERT_TRUE(importSatelliteFile(Source("Mixed.tle", text)));
    EXPECT_EQ(Numbers(), Messages{});
    EXPECT_EQ(NamesIn(Attached("Mixed.nvd")), (std::vector<std::string>{"TERRA", "FENGYUN 4A"}));

    // Only blank names: no satellite and no data file.
    const std::vector<std::string> before = AttachedNames();
    const std::string blank = std::string("\r\n") + kTerra[1] + "\r\n" + kTerra[2] + "\r\n" +
                              "        \r\n" + kFlock[1] + "\r\n" + kFlock[2] + "\r\n";
    ASSERT_TRUE(importSatelliteFile(Source("Blank.tle", blank)));
    EXPECT_EQ(Numbers(), Messages{541}) << "nothing imported is said";
    EXPECT_EQ(AttachedNames(), before);
    EXPECT_FALSE(OnDisk("Blank.nvd"));
    for (const std::string& empty : {std::string(), std::string("\n\n\n"), std::string("1\n2\n")}) {
        ASSERT_TRUE(importSatelliteFile(Source("Empty.tle", empty)));
        EXPECT_EQ(AttachedNames(), before);
        EXPECT_FALSE(OnDisk("Empty.nvd"));
    }
    ExpectResidentIntact();
}

TEST_F(SatellitesTest, ReaderWindowAndLineEnds) {
    StoreEarth();
    // The reader by itself: CR-only line ends, and a name that begins with "1".
    const std::string text = std::string("1998-067A\r") + kFlock[1] + "\r" + kFlock[2] + "\r";
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    std::fwrite(text.data(), 1, text.size(), stream);
    std::rewind(stream);
    SkyObject* object = nullptr;
    EXPECT_EQ(readSatelliteRecord(stream, &object), kRecordRead);
    Owned owned(object);
    ASSERT_NE(Body(owned), nullptr);
    EXPECT_STREQ(Body(owned)->name.get(), "1998-067A");
    EXPECT_EQ(readSatelliteRecord(stream, &object), kRecordEndOfFile);
    EXPECT_EQ(object, nullptr);
    std::fclose(stream);
}

TEST_F(SatellitesTest, DamagedElementSetsAskWhetherToKeepReading) {
    StoreEarth();
    // A satellite missing its line 2 (the next name follows its line 1), one
    // with letters in a numeric column, one whose line 1 runs on past its
    // columns (read whole, its columns are what counts), then a good one, and
    // last a name and line 1 cut off by the end of the file.
    std::string damaged2 = kFlock[2];
    damaged2.replace(9, 3, "abc");
    const std::string longLine1 = std::string(kFlock[1]) + std::string(1100, ' ') + "X";
    const std::string text = std::string("MISSING LINE 2\r\n") + kTerra[1] + "\r\n" +
                             ElementText(kTerra) + "DAMAGED\r\n" + kFlock[1] + "\r\n" + damaged2 +
                             "\r\n" + "LONG\r\n" + longLine1 + "\r\n" + kFlock[2] + "\r\n" +
                             ElementText(kFengyun) + "CUT SHORT\r\n" + kFlock[1] + "\r\n";
    ASSERT_TRUE(importSatelliteFile(Source("Damaged.tle", text)));
    EXPECT_EQ(Numbers(), (Messages{kKeepReading, kKeepReading, kKeepReading, kImportSummary}));
    for (const MessageRecord& m : RecordedMessages())
        EXPECT_NE(m.text.find("Damaged.tle"), std::string::npos) << m.text;
    EXPECT_EQ(NamesIn(Attached("Damaged.nvd")),
              (std::vector<std::string>{"TERRA", "LONG", "FENGYUN 4A"}));
    ExpectResidentIntact();

    // No stops the import; what was read before stays.
    ClearRecordedMessages();
    Answer(kKeepReading, AnswerNo);
    ASSERT_TRUE(importSatelliteFile(Source("Stop.tle", ElementText(kTerra) + "DAMAGED\r\n" +
                                                           kFlock[1] + "\r\n" + damaged2 + "\r\n" +
                                                           ElementText(kFengyun))));
    EXPECT_EQ(Numbers(), (Messages{kKeepReading, kImportSummary}));
    EXPECT_EQ(NamesIn(Attached("Stop.nvd")), std::vector<std::string>{"TERRA"});
    ExpectResidentIntact();
}

TEST_F(SatellitesTest, OverlongNamesAreCut) {
    StoreEarth();
    // A name line of 1500 characters is read whole and cut to what the store keeps.
    const std::string text = std::string(1500, 'N') + "\n" + kTerra[1] + "\n" + kTerra[2] + "\n";
    ASSERT_TRUE(importSatelliteFile(Source("Long.tle", text)));
    EXPECT_EQ(Numbers(), Messages{});
    const ObjectID fileId = Attached("Long.nvd");
    ASSERT_NE(fileId, 0);
    EXPECT_EQ(NamesIn(fileId), std::vector<std::string>{std::string(kImportNameLength, 'N')});
}

TEST_F(SatellitesTest, WithoutTheEarthTheImportAsksAndLeavesNothing) {
    // The custom file holds a site, no Earth.
    SiteObject* home = NewSiteObject();
    home->name = CopyText("Home");
    ASSERT_NE(addObject(home, customId), 0);
    ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
    const std::string custom = ReadAll(In("Custom.nvd"));
    const std::vector<std::string> before = AttachedNames();
    const std::string text = ElementText(kTerra) + ElementText(kFlock);
    ASSERT_TRUE(importSatelliteFile(Source("Orphans.tle", text)));
    EXPECT_EQ(Numbers(),
              (Messages{kNoSuchObject, kKeepReading, kNoSuchObject, kKeepReading, kImportSummary}));
    EXPECT_EQ(AttachedNames(), before);
    EXPECT_FALSE(OnDisk("Orphans.nvd"));
    EXPECT_EQ(ReadAll(In("Custom.nvd")), custom);

    ClearRecordedMessages();
    Answer(kKeepReading, AnswerNo);
    ASSERT_TRUE(importSatelliteFile(Source("Orphans.tle", text)));
    EXPECT_EQ(Numbers(), (Messages{kNoSuchObject, kKeepReading, kImportSummary}));
    EXPECT_EQ(AttachedNames(), before);
}

TEST_F(SatellitesTest, GarbageIsReadWithoutHarm) {
    StoreEarth();
    std::string garbage;
    unsigned state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        char c = static_cast<char>(state >> 16);
        // Plenty of line starts that look like element lines.
        if (i % 70 == 0) garbage += (state & 1) ? "\n1 " : "\r2 ";
        garbage += c;
    }
    EXPECT_TRUE(importSatelliteFile(Source("Garbage.tle", garbage)));
    ExpectResidentIntact();
}

TEST_F(SatellitesTest, SatelliteFilesByNameAndInLists) {
    EXPECT_TRUE(isSatelliteFileName("/a/b/visual.tle"));
    EXPECT_TRUE(isSatelliteFileName("VISUAL.TLE"));
    EXPECT_TRUE(isSatelliteFileName(".tle"));
    EXPECT_FALSE(isSatelliteFileName("visual.Tle"));
    EXPECT_FALSE(isSatelliteFileName("visual.tle.txt"));
    EXPECT_FALSE(isSatelliteFileName("tle"));
    EXPECT_FALSE(isSatelliteFileName("visualtle"));

    StoreEarth();
    Source("Weather.tle", ElementText(kFengyun));
    Source("Bodies.txt", "P11\t2000\t-0.5\t1\t0\t0\t0\t0\t2000/1/1.5\t\t\t\tComet\r\n");
    ASSERT_TRUE(importTextFile(Source("FileList.txt", "Bodies.txt\r\nWeather.tle\r\n")));
    EXPECT_EQ(Numbers(), Messages{});
    EXPECT_EQ(NamesIn(Attached("Weather.nvd")), std::vector<std::string>{"FENGYUN 4A"});
    EXPECT_EQ(NamesIn(Attached("Bodies.nvd")), std::vector<std::string>{"Comet"});
}

TEST_F(SatellitesTest, ReplacingTheFileThatHoldsTheEarthIsRefused) {
    // The Earth lives in "Planets"; an element file of that name replaces it,
    // and its satellites can't orbit an Earth that is on its way out.
    ASSERT_TRUE(importTextFile(Source(
        "Planets.txt",
        "P4\t2000\t1.000001018\t0.01670863\t0\t102.937348\t0\t357.529109\t2000/1/1.5\t\t\t1\t"
        "Earth\r\n")));
    ASSERT_NE(Attached("Planets.nvd"), 0);
    ClearRecordedMessages();
    Answer(531, AnswerYes); // replace the data file
    Answer(kKeepReading, AnswerNo);
    ASSERT_TRUE(importSatelliteFile(Source("Planets.tle", ElementText(kTerra))));
    EXPECT_EQ(Numbers(), (Messages{531, kNoSuchObject, kKeepReading, kImportSummary}));
    const ObjectID planets = Attached("Planets.nvd");
    ASSERT_NE(planets, 0);
    EXPECT_EQ(NamesIn(planets), std::vector<std::string>{"Earth"}) << "the old file stays";
}

// ---------------------------------------------------------------------------
// Against SGP4

struct Reference {
    std::string name;
    double days, jdUtc;
    double teme[3]; // km
};

std::vector<Reference> ReadReferences() {
    std::vector<Reference> rows;
    std::ifstream in(SourceRoot() + "/tests/data/reference/satellites.csv");
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::size_t close = line.find('"', 1);
        if (line[0] != '"' || close == std::string::npos) continue;
        Reference r;
        r.name = line.substr(1, close - 1);
        if (std::sscanf(line.c_str() + close + 1, ",%lf,%lf,%lf,%lf,%lf", &r.days, &r.jdUtc,
                        &r.teme[0], &r.teme[1], &r.teme[2]) == 5)
            rows.push_back(r);
    }
    return rows;
}

// The element sets of the default catalogue by name.
std::map<std::string, std::vector<std::string>> CatalogueElementSets() {
    std::map<std::string, std::vector<std::string>> sets;
    std::ifstream in(SourceRoot() + "/data/catalog/Satellites.tle", std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        if (lines[i + 1].rfind("1 ", 0) == 0 && lines[i + 2].rfind("2 ", 0) == 0) {
            std::string name = lines[i];
            while (!name.empty() && name.back() == ' ')
                name.pop_back();
            sets[name] = {lines[i], lines[i + 1], lines[i + 2]};
            i += 2;
        }
    }
    return sets;
}

// SGP4's TEME (true equator, mean equinox) to the J2000 mean equator and
// equinox: turn by the equation of the equinoxes onto the true equinox, then
// undo the IAU 1980 nutation and the IAU 1976 precession.
void TemeToJ2000(double jdTT, const double teme[3], double out[3]) {
    const double mjd = jdTT - kMjdOffset;
    const double ee = eraEqeq94(kMjdOffset, mjd);
    const double c = std::cos(ee), s = std::sin(ee);
    const double trueOfDate[3] = {c * teme[0] - s * teme[1], s * teme[0] + c * teme[1], teme[2]};
    double npb[3][3];
    eraPnm80(kMjdOffset, mjd, npb);
    double tod[3] = {trueOfDate[0], trueOfDate[1], trueOfDate[2]};
    eraTrxp(npb, tod, out);
}

TEST_F(SatellitesTest, AgreesWithSgp4AtEpoch) {
    StoreEarth();
    const std::vector<Reference> rows = ReadReferences();
    ASSERT_EQ(rows.size(), 20u);
    const auto sets = CatalogueElementSets();
    // 2018: 37 leap seconds, TT - UTC = 69.184 s.
    constexpr double kTTMinusUtc = 69.184 / kSecondsPerDay;
    std::printf("%-20s %6s %12s\n", "satellite", "days", "separation");
    for (const Reference& r : rows) {
        auto set = sets.find(r.name);
        ASSERT_NE(set, sets.end()) << r.name;
        Owned object = Parse(set->second[0], set->second[1], set->second[2]);
        ASSERT_NE(Body(object), nullptr) << r.name;
        double position[3];
        ASSERT_TRUE(SatellitePosition(Body(object), Jde(r.jdUtc), position)) << r.name;
        double reference[3];
        TemeToJ2000(r.jdUtc + kTTMinusUtc, r.teme, reference);
        double ours[3];
        for (int i = 0; i < 3; ++i)
            ours[i] = position[i] * kKilometresPerAU;
        const double d[3] = {ours[0] - reference[0], ours[1] - reference[1],
                             ours[2] - reference[2]};
        const double separation = Length(d);
        std::printf("%-20s %6.1f %9.1f km\n", r.name.c_str(), r.days, separation);
        // At the epoch the two differ by SGP4's periodic terms alone.
        if (r.days == 0.0) {
            EXPECT_LT(separation, 50.0) << r.name;
        }
        EXPECT_TRUE(std::isfinite(separation));
    }
}

} // namespace
