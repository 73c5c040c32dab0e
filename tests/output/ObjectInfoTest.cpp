// The Object Info lines: every text written out by hand, byte for byte (the
// degree sign is the Windows-1252 byte 0xB0), first piece by piece, then for
// whole objects in a store computed by the driver.

#include "output/ObjectInfo.h"

#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr double kExactPi = 3.14159265358979323846;
constexpr double kDegree = kExactPi / 180.0;
constexpr double kArcsecond = kDegree / 3600.0;
constexpr double kArcminute = kDegree / 60.0;
constexpr double kFixed = 1073741824.0; // 2^30
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::int16_t kNone = 32767;
constexpr double kKilometresPerSecondInAUPerDay = 86400.0 / 149597870.0;
// A time angle for a local time of day in hours (24 hours = 2 pi).
double TimeAngle(double hours) {
    return hours * kExactPi / 12.0;
}

// ---------------------------------------------------------------------------
// Pieces

TEST(ObjectInfoText, TypeLineNamesTheTypeFromTheStringTable) {
    EXPECT_EQ(TypeLine(65), "Type: Galaxy");
    EXPECT_EQ(TypeLine(14), "Type: Earth Satellite");
    EXPECT_EQ(TypeLine(54), "Type: Mult. and var. star");
    EXPECT_EQ(TypeLine(15), "Type: Earth's moon");
}

TEST(ObjectInfoText, DistanceLineChoosesItsUnitAtTheRangeEdges) {
    EXPECT_EQ(DistanceLine(kInfinity), "Distance:") << "no parallax: the bare label";
    EXPECT_EQ(DistanceLine(std::nan("")), "Distance:");
    EXPECT_EQ(DistanceLine(0.0), "Distance (km): 0") << "objects without a distance";
    // An Earth satellite 7480 km away.
    EXPECT_EQ(DistanceLine(0.00005), "Distance (km): 7480");
    EXPECT_EQ(DistanceLine(0.0999), "Distance (km): 14944827");
    EXPECT_EQ(DistanceLine(0.1), "Distance (AU): 0.10000") << "0.1 AU belongs to the AU range";
    // The single-precision 0.1 of a catalogue record lies a hair above it.
    EXPECT_EQ(DistanceLine(static_cast<float>(0.1)), "Distance (AU): 0.10000");
    EXPECT_EQ(DistanceLine(5.2), "Distance (AU): 5.20000");
    EXPECT_EQ(DistanceLine(9999.999994), "Distance (AU): 9999.99999");
    EXPECT_EQ(DistanceLine(10000.0), "Distance (pc): 0.048") << "10000 AU is printed in parsecs";
    EXPECT_EQ(DistanceLine(2.667 * 206264.806), "Distance (pc): 2.667");
    EXPECT_EQ(DistanceLine(9.9e9), "Distance (pc): 47996.554");
    EXPECT_EQ(DistanceLine(1e10), "Distance (Mpc): 0.05");
    EXPECT_EQ(DistanceLine(3e11), "Distance (Mpc): 1.45");
}

TEST(ObjectInfoText, RiseAndSetLines) {
    std::string rise = "old rise", set = "old set";
    ASSERT_TRUE(RiseSetLines(0.0, 0.0, rise, set));
    EXPECT_EQ(rise, "Rises at: (doesn't rise)");
    EXPECT_EQ(set, "Sets at: (doesn't rise)");

    ASSERT_TRUE(RiseSetLines(6.283185307, 6.283185307, rise, set)) << "a circumpolar object";
    EXPECT_EQ(rise, "Rises at: (doesn't set)");
    EXPECT_EQ(set, "Sets at: (doesn't set)");

    ASSERT_TRUE(RiseSetLines(TimeAngle(6.0), TimeAngle(18.5), rise, set));
    EXPECT_EQ(rise, "Rises at: 06:00");
    EXPECT_EQ(set, "Sets at: 18:30");

    // A quarter of a minute is added before the minutes are cut: 06:00:44
    // stays in minute 0, 06:00:46 passes into minute 1.
    ASSERT_TRUE(
        RiseSetLines(TimeAngle(6.0 + 44.0 / 3600.0), TimeAngle(7.0 + 46.0 / 3600.0), rise, set));
    EXPECT_EQ(rise, "Rises at: 06:00");
    EXPECT_EQ(set, "Sets at: 07:01");

    // Late in the day the rounding reaches 24:00, which is printed as it falls.
    ASSERT_TRUE(
        RiseSetLines(TimeAngle(0.1), TimeAngle(23.0 + 59.0 / 60.0 + 50.0 / 3600.0), rise, set));
    EXPECT_EQ(rise, "Rises at: 00:06");
    EXPECT_EQ(set, "Sets at: 24:00");

    // Any other pair leaves the lines as they were.
    rise = "old rise";
    set = "old set";
    EXPECT_FALSE(RiseSetLines(0.0, TimeAngle(5.0), rise, set)) << "a rise exactly at midnight";
    EXPECT_FALSE(RiseSetLines(TimeAngle(5.0), 6.283185307, rise, set));
    EXPECT_EQ(rise, "old rise");
    EXPECT_EQ(set, "old set");
}

TEST(ObjectInfoText, MagnitudeTextByTypeAndKnownMagnitudes) {
    struct Case {
        int type, m, m2, m3;
        const char* text;
    };
    const Case cases[] = {
        // Any type without a magnitude.
        {51, kNone, 120, 340, ""},
        {52, kNone, kNone, 340, ""},
        {53, kNone, 120, kNone, ""},
        {54, kNone, 120, 340, ""},
        {65, kNone, kNone, kNone, ""},
        // Multiple stars: the companion after a comma, or a dangling comma.
        {52, -146, 120, 884, "-1.46, +8.84"},
        {52, -146, 120, kNone, "-1.46, "},
        {52, -146, kNone, 884, "-1.46, +8.84"},
        {52, -146, kNone, kNone, "-1.46, "},
        // Variable stars: the range, or a dangling dash without a minimum.
        {53, 186, 213, 500, "+1.86 - +2.13"},
        {53, 186, 213, kNone, "+1.86 - +2.13"},
        {53, 186, kNone, 500, "+1.86 -"},
        {53, 186, kNone, kNone, "+1.86 -"},
        // Both.
        {54, 202, 250, 882, "+2.02 - +2.50, +8.82"},
        {54, 202, 250, kNone, "+2.02 - +2.50, "},
        {54, 202, kNone, 882, "+2.02 - , +8.82"},
        {54, 202, kNone, kNone, "+2.02 - ,"},
        // Every other type: the magnitude alone.
        {51, 3, 120, 340, "+0.03"},
        {51, -27, kNone, kNone, "-0.27"},
        {55, 1234, kNone, kNone, "+12.34"},
        {65, 344, 400, 500, "+3.44"},
        {5, -250, kNone, kNone, "-2.50"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MagnitudeText(c.type, c.m, c.m2, c.m3), c.text)
            << "type " << c.type << " m " << c.m << " m2 " << c.m2 << " m3 " << c.m3;
}

// A catalogue record at R.A. and Dec. (radians) with a motion given as the
// change of its fixed-point vector per day.
CatalogObject* MakeCatalog(int type, double ra, double dec) {
    CatalogObject* object = NewCatalogObject(type);
    if (object == nullptr) return nullptr;
    object->position[0] = static_cast<std::int32_t>(std::cos(dec) * std::cos(ra) * kFixed);
    object->position[1] = static_cast<std::int32_t>(std::cos(dec) * std::sin(ra) * kFixed);
    object->position[2] = static_cast<std::int32_t>(std::sin(dec) * kFixed);
    return object;
}

TEST(ObjectInfoText, CatalogueMagnitudeAddsTheRangeAndTheCompanion) {
    CatalogObject* star = MakeCatalog(kTypeMultipleVariableStar, 0.0, 0.0);
    ASSERT_NE(star, nullptr);
    star->catalogMagnitude = 202;
    star->variableRange = 48;
    star->companionOffset = 680;
    EXPECT_EQ(CatalogMagnitudeText(*star), "+2.02 - +2.50, +8.82");
    // A multiple and variable star known by its companion only.
    star->variableRange = kNone;
    EXPECT_EQ(CatalogMagnitudeText(*star), "+2.02 - , +8.82");
    star->companionOffset = kNone;
    EXPECT_EQ(CatalogMagnitudeText(*star), "+2.02 - ,");
    // Without a magnitude the differences mean nothing.
    star->catalogMagnitude = kNone;
    star->variableRange = 48;
    star->companionOffset = 680;
    EXPECT_EQ(CatalogMagnitudeText(*star), "");
    // A variable star without a known minimum.
    star->type = kTypeVariableStar;
    star->catalogMagnitude = 186;
    star->variableRange = kNone;
    EXPECT_EQ(CatalogMagnitudeText(*star), "+1.86 -");
    FreeObject(star);
}

TEST(ObjectInfoText, ProperMotionComesFromTheMotionVectorAtThePosition) {
    double raRate = 0.0, decRate = 0.0;
    // On the equator at R.A. 0: y is the R.A. direction, z the Dec. one; the
    // radial part along x changes neither.
    CatalogObject* star = MakeCatalog(kTypeSingleStar, 0.0, 0.0);
    ASSERT_NE(star, nullptr);
    star->motion[0] = 777;
    star->motion[1] = 1000;
    star->motion[2] = -500;
    ProperMotionRates(*star, &raRate, &decRate);
    EXPECT_NEAR(raRate, 1000.0 / kFixed, 1e-15);
    EXPECT_NEAR(decRate, -500.0 / kFixed, 1e-15);
    ObjectInfo info;
    CatalogLines(*star, info);
    EXPECT_EQ(info.line(15), "R.A. motion (s/yr): +4.6776");
    EXPECT_EQ(info.line(16), "Dec. motion (\"/yr): -35.082");

    // At Dec. +60 a step east covers twice the R.A. it does on the equator,
    // and a step along -x at R.A. 0 moves the star north.
    FreeObject(star);
    star = MakeCatalog(kTypeSingleStar, 0.0, 60.0 * kDegree);
    ASSERT_NE(star, nullptr);
    star->motion[1] = 1000;
    star->motion[0] = -2000;
    ProperMotionRates(*star, &raRate, &decRate);
    EXPECT_NEAR(raRate, 2000.0 / kFixed, 1e-6 * 2000.0 / kFixed);
    EXPECT_NEAR(decRate, 2000.0 * std::sin(60.0 * kDegree) / kFixed, 1e-3 / kFixed);

    // At the pole there is no R.A. rate, and every motion leads south.
    FreeObject(star);
    star = NewCatalogObject(kTypeSingleStar);
    ASSERT_NE(star, nullptr);
    star->position[2] = static_cast<std::int32_t>(kFixed);
    star->motion[0] = 300;
    star->motion[1] = 400;
    ProperMotionRates(*star, &raRate, &decRate);
    EXPECT_EQ(raRate, 0.0);
    EXPECT_NEAR(decRate, -500.0 / kFixed, 1e-15);
    FreeObject(star);
}

TEST(ObjectInfoText, CatalogueLinesWithAndWithoutValues) {
    // A star with nothing but its place and magnitude.
    CatalogObject* star = MakeCatalog(kTypeSingleStar, 1.0, 0.5);
    ASSERT_NE(star, nullptr);
    star->catalogMagnitude = 650;
    ObjectInfo info;
    info.line(19) = "something old";
    CatalogLines(*star, info);
    EXPECT_EQ(info.line(11), "Magnitude: +6.50");
    EXPECT_EQ(info.line(12), "Separation (\"):");
    EXPECT_EQ(info.line(15), "R.A. motion (s/yr): +0.0000");
    EXPECT_EQ(info.line(16), "Dec. motion (\"/yr): +0.000");
    EXPECT_EQ(info.line(17), "Radial velocity (km/s):");
    EXPECT_EQ(info.line(18), "Color Index (B-V): ") << "nothing after the colon and space";
    EXPECT_EQ(info.line(19), "");

    // And with every value.
    star->type = kTypeMultipleStar;
    star->companionOffset = 1030;
    star->size = static_cast<float>(11.2 * kArcsecond);
    star->radialVelocity = static_cast<float>(-8.0 * kKilometresPerSecondInAUPerDay);
    star->colorIndex = 65;
    CatalogLines(*star, info);
    EXPECT_EQ(info.line(11), "Magnitude: +6.50, +16.80");
    EXPECT_EQ(info.line(12), "Separation (\"): 11.2");
    EXPECT_EQ(info.line(17), "Radial velocity (km/s): -8.0");
    EXPECT_EQ(info.line(18), "Color Index (B-V): +0.65");
    star->radialVelocity = static_cast<float>(0.0);
    star->colorIndex = -12;
    CatalogLines(*star, info);
    EXPECT_EQ(info.line(17), "Radial velocity (km/s): +0.0");
    EXPECT_EQ(info.line(18), "Color Index (B-V): -0.12");
    FreeObject(star);

    // Deep-sky objects give an angular size in arc-minutes; no magnitude at all
    // leaves the label alone.
    CatalogObject* galaxy = MakeCatalog(kTypeGalaxy, 0.2, 0.7);
    ASSERT_NE(galaxy, nullptr);
    CatalogLines(*galaxy, info);
    EXPECT_EQ(info.line(11), "Magnitude: ");
    EXPECT_EQ(info.line(12), "Angular Size ('):");
    galaxy->size = static_cast<float>(189.0 * kArcminute);
    CatalogLines(*galaxy, info);
    EXPECT_EQ(info.line(12), "Angular Size ('): 189.0");
    FreeObject(galaxy);
}

TEST(ObjectInfoText, EphemerisLines) {
    BodyEphemeris e{};
    e.magnitude = 32767;
    e.diameter = 0.0;
    e.phaseAngle = 0.0;
    ObjectInfo info;
    EphemerisLines(e, info);
    EXPECT_EQ(info.line(11), "Magnitude:");
    EXPECT_EQ(info.line(12), "Angular Size:");
    EXPECT_EQ(info.line(15), "Illumination: 1.0000") << "full phase";
    EXPECT_EQ(info.line(16), "P.A. of bright limb: 0.0\xB0");
    EXPECT_EQ(info.line(17), "Central longitude: 0.0\xB0");
    EXPECT_EQ(info.line(18), "Central latitude: 0.0\xB0");
    EXPECT_EQ(info.line(19), "P.A. of N. Pole: 0.0\xB0");

    e.magnitude = -254;
    e.diameter = 42.66 * kArcsecond;
    e.phaseAngle = kExactPi / 2.0;
    e.brightLimbAngle = 248.3 * kDegree;
    e.orientation.centralMeridian = 55.94 * kDegree;
    e.orientation.subViewerLatitude = -2.96 * kDegree;
    e.orientation.polePositionAngle = 337.2 * kDegree;
    EphemerisLines(e, info);
    EXPECT_EQ(info.line(11), "Magnitude: -2.5");
    EXPECT_EQ(info.line(12), "Angular Size: 42.7\"");
    EXPECT_EQ(info.line(15), "Illumination: 0.5000") << "a fraction, not a percentage";
    EXPECT_EQ(info.line(16), "P.A. of bright limb: 248.3\xB0");
    EXPECT_EQ(info.line(17), "Central longitude: 55.9\xB0");
    EXPECT_EQ(info.line(18), "Central latitude: -3.0\xB0");
    EXPECT_EQ(info.line(19), "P.A. of N. Pole: 337.2\xB0");

    e.magnitude = 1234;
    e.diameter = -1.0;
    e.phaseAngle = kExactPi;
    EphemerisLines(e, info);
    EXPECT_EQ(info.line(11), "Magnitude: +12.3");
    EXPECT_EQ(info.line(12), "Angular Size:") << "a diameter that is not positive";
    EXPECT_EQ(info.line(15), "Illumination: 0.0000") << "new phase";
}

// ---------------------------------------------------------------------------
// Whole objects, through the driver

int gFrame = kFrameEquatorial;
int TestFrame() {
    return gFrame;
}

class ObjectInfoFill : public testing::Test {
protected:
    void SetUp() override {
        SetMessageResponder([](const MessageRecord&) { return int{AnswerOK}; });
        ASSERT_TRUE(initObjectStore(std::int64_t{1} << 30));
        fileId = attachFile(newFile("Info.nvd"));
        ASSERT_NE(fileId, 0);
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
        // The equinox of J2000 throughout, so that a star shows its catalogue place.
        gComputationOptions.precession = false;
        gComputationOptions.precessionEpoch = 2451545.0;
        gComputationOptions.preciseRiseSet = false;
        gViewer.daylightSavings = false;
        gViewer.latitude = 50.0 * kDegree;
        gViewer.julianDate = 2451545.0;
        gFrame = kFrameEquatorial;
        setCurrentFrameQuery(TestFrame);
    }
    void TearDown() override { setObjectStoreDefaults(); }

    ObjectID AddStar(int type, double ra, double dec, const char* names) {
        CatalogObject* star = MakeCatalog(type, ra, dec);
        EXPECT_NE(star, nullptr);
        if (star == nullptr) return 0;
        EXPECT_TRUE(setObjectNames(star, names));
        star->catalogDistance = static_cast<float>(kInfinity);
        star->radialVelocity = static_cast<float>(kInfinity);
        ObjectID id = addObject(star, fileId);
        EXPECT_NE(id, 0);
        return id;
    }

    ObjectID fileId = 0;
};

constexpr double kSiriusRA = (6.0 + 45.0 / 60.0 + 8.9 / 3600.0) * 15.0 * kDegree;
constexpr double kSiriusDec = -(16.0 + 42.0 / 60.0 + 58.0 / 3600.0) * kDegree;

TEST_F(ObjectInfoFill, StarWithoutParallaxOrColour) {
    ObjectID id = AddStar(kTypeSingleStar, kSiriusRA, kSiriusDec, "Sirius; $a CMa");
    PrepareComputation();
    ObjectInfo info;
    ASSERT_TRUE(FillObjectInfoLines(id, info));
    EXPECT_EQ(info.name, "Sirius");
    EXPECT_EQ(info.displayName, "Sirius; $a CMa");
    EXPECT_EQ(info.line(7), "Type: Single star");
    EXPECT_EQ(info.line(8), "R.A. (2000.0): 06h 45m 08.90s");
    EXPECT_EQ(info.line(9), "Dec. (2000.0): -16\xB0 42' 58.0\"");
    EXPECT_EQ(info.line(10), "Distance:");
    EXPECT_EQ(info.line(11), "Magnitude: ");
    EXPECT_EQ(info.line(18), "Color Index (B-V): ");
    EXPECT_EQ(info.line(19), "");
    // The current system is Equatorial: the same pair again.
    EXPECT_EQ(info.line(20), info.line(8));
    EXPECT_EQ(info.line(21), info.line(9));
    // It rises and sets at 50 degrees north, some 9 hours apart by the
    // semi-diurnal arc of a declination of -16.7 degrees.
    ASSERT_EQ(info.line(13).rfind("Rises at: ", 0), 0u) << info.line(13);
    ASSERT_EQ(info.line(14).rfind("Sets at: ", 0), 0u) << info.line(14);
    auto minutes = [](const std::string& line) {
        std::size_t colon = line.rfind(':');
        return std::stoi(line.substr(colon - 2, 2)) * 60 + std::stoi(line.substr(colon + 1));
    };
    double arc = std::acos(-std::tan(50.0 * kDegree) * std::tan(kSiriusDec)) * 2.0;
    int expected = static_cast<int>(arc / (2.0 * kExactPi) * 1440.0 * 0.99727);
    int between = (minutes(info.line(14)) - minutes(info.line(13)) + 1440) % 1440;
    // Minutes of a sidereal arc in a local day that may wrap between the two.
    EXPECT_NEAR(between, expected, 5);

    // The last two lines follow the chart's current system.
    gFrame = kFrameGalactic;
    ASSERT_TRUE(FillObjectInfoLines(id, info));
    EXPECT_EQ(info.line(20).rfind("Galactic Lon: ", 0), 0u) << info.line(20);
    EXPECT_EQ(info.line(21).rfind("Galactic Lat: ", 0), 0u) << info.line(21);
    EXPECT_EQ(info.line(20).back(), '\xB0');
    gFrame = kFrameHorizon;
    ASSERT_TRUE(FillObjectInfoLines(id, info));
    EXPECT_EQ(info.line(20).rfind("Azimuth: ", 0), 0u) << info.line(20);
    EXPECT_EQ(info.line(21).rfind("Altitude: ", 0), 0u) << info.line(21);
}

TEST_F(ObjectInfoFill, CircumpolarAndNeverRisingStars) {
    ObjectID north = AddStar(kTypeSingleStar, 1.0, 80.0 * kDegree, "Northern");
    ObjectID south = AddStar(kTypeSingleStar, 1.0, -80.0 * kDegree, "Southern");
    for (bool precise : {false, true}) {
        gComputationOptions.preciseRiseSet = precise;
        PrepareComputation();
        ObjectInfo info;
        ASSERT_TRUE(FillObjectInfoLines(north, info));
        EXPECT_EQ(info.line(13), "Rises at: (doesn't set)");
        EXPECT_EQ(info.line(14), "Sets at: (doesn't set)");
        ASSERT_TRUE(FillObjectInfoLines(south, info));
        EXPECT_EQ(info.line(13), "Rises at: (doesn't rise)");
        EXPECT_EQ(info.line(14), "Sets at: (doesn't rise)");
    }
}

TEST_F(ObjectInfoFill, CatalogueValuesOfAMultipleAndVariableStar) {
    ObjectID id = AddStar(kTypeMultipleVariableStar, 0.66, 89.26 * kDegree, "Polaris; $a UMi");
    CatalogObject* star = AsCatalog(getObject(id));
    ASSERT_NE(star, nullptr);
    star->catalogMagnitude = 202;
    star->companionOffset = 680;
    star->catalogDistance = static_cast<float>(142.857 * 206264.806);
    star->size = static_cast<float>(18.4 * kArcsecond);
    star->colorIndex = 60;
    PrepareComputation();
    ObjectInfo info;
    ASSERT_TRUE(FillObjectInfoLines(id, info));
    EXPECT_EQ(info.line(7), "Type: Mult. and var. star");
    EXPECT_EQ(info.line(10), "Distance (pc): 142.857");
    EXPECT_EQ(info.line(11), "Magnitude: +2.02 - , +8.82");
    EXPECT_EQ(info.line(12), "Separation (\"): 18.4");
    EXPECT_EQ(info.line(18), "Color Index (B-V): +0.60");
}

TEST_F(ObjectInfoFill, ObjectsWithoutAPlaceInTheSkyKeepThoseLines) {
    SiteObject* place = NewSiteObject();
    ASSERT_NE(place, nullptr);
    place->name = CopyText("Greenwich; Royal Observatory");
    ObjectID site = addObject(place, fileId);
    ASSERT_NE(site, 0);
    PrepareComputation();
    ObjectInfo info;
    for (std::string& line : info.lines)
        line = "old";
    ASSERT_TRUE(FillObjectInfoLines(site, info));
    EXPECT_EQ(info.name, "Greenwich");
    EXPECT_EQ(info.line(10), "Distance (km): 0") << "a distance of 0 for any other object";
    for (int control : {8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21})
        EXPECT_EQ(info.line(control), "old") << "control " << control;
}

TEST_F(ObjectInfoFill, AnIdThatNamesNoObjectFillsNothing) {
    ObjectID id = AddStar(kTypeSingleStar, 1.0, 0.2, "Gone");
    PrepareComputation();
    FreeObject(removeObject(id));
    ObjectInfo info;
    info.name = "kept";
    info.line(7) = "kept";
    EXPECT_FALSE(FillObjectInfoLines(id, info));
    EXPECT_FALSE(FillObjectInfoLines(0, info));
    EXPECT_FALSE(FillObjectInfoLines(MakeObjectID(FileID(77), 3), info)) << "no such file";
    EXPECT_EQ(info.name, "kept");
    EXPECT_EQ(info.line(7), "kept");
}

TEST(ObjectInfoName, FirstNameIsTheFirstPartOfTheDisplayName) {
    CatalogObject* star = NewCatalogObject(kTypeSingleStar);
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(ObjectFirstName(star), "") << "no name at all";
    ASSERT_TRUE(setObjectNames(star, "HR2491; $a CMa"));
    EXPECT_EQ(ObjectFirstName(star), DisplayName(star).substr(0, DisplayName(star).find(';')))
        << "a name built from designations: " << DisplayName(star);
    FreeObject(star);
    SolarSystemObject* body = NewSolarSystemObject(kTypeComet);
    ASSERT_NE(body, nullptr);
    body->name = CopyText("  Hale-Bopp ; C/1995 O1");
    EXPECT_EQ(ObjectFirstName(body), "Hale-Bopp");
    body->name = CopyText(" ; second");
    EXPECT_EQ(ObjectFirstName(body), "second") << "empty parts are no names";
    body->name = CopyText(" ;  ");
    EXPECT_EQ(ObjectFirstName(body), "");
    FreeObject(body);
    EXPECT_EQ(ObjectFirstName(nullptr), "");
}

} // namespace
