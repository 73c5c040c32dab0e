// The Object Info lines: every text written out by hand, byte for byte (the
// degree sign is the Windows-1252 byte 0xB0), first piece by piece, then for
// whole objects in a store computed by the driver.

#include "output/ObjectInfo.h"

#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/Satellites.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr double kExactPi = 3.14159265358979323846;
constexpr double kDegree = kExactPi / 180.0;
constexpr double kArcsecond = kDegree / 3600.0;
constexpr double kFixed = 1073741824.0; // 2^30
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::int16_t kNone = 32767;

// A time angle for a local time of day in hours (24 hours = 2 pi).
double TimeAngle(double hours) {
    return hours * kExactPi / 12.0;
}

using Texts = std::vector<std::string>;

// The lines of these controls, in order.
Texts Lines(const ObjectInfo& info, std::initializer_list<int> controls) {
    Texts texts;
    for (int control : controls)
        texts.push_back(info.line(control));
    return texts;
}

// A catalogue record at R.A. and Dec. (radians).
CatalogObject* MakeCatalog(int type, double ra, double dec) {
    CatalogObject* object = NewCatalogObject(type);
    object->position[0] = static_cast<std::int32_t>(std::cos(dec) * std::cos(ra) * kFixed);
    object->position[1] = static_cast<std::int32_t>(std::cos(dec) * std::sin(ra) * kFixed);
    object->position[2] = static_cast<std::int32_t>(std::sin(dec) * kFixed);
    return object;
}

TEST(ObjectInfoText, TypeDistanceAndRiseSetLines) {
    const std::pair<double, const char*> distances[] = {
        {kInfinity, "Distance:"},  // no parallax: the bare label
        {0.0, "Distance (km): 0"}, // objects without a distance
        {0.0999, "Distance (km): 14944827"},
        {static_cast<float>(0.1), "Distance (AU): 0.10000"}, // a catalogue's 0.1 AU is in AU
        {9999.999994, "Distance (AU): 9999.99999"},
        {10000.0, "Distance (pc): 0.048"},
        {9.9e9, "Distance (pc): 47996.554"},
        {1e10, "Distance (Mpc): 0.05"}};
    for (auto [au, text] : distances)
        EXPECT_EQ(DistanceLine(au), text) << au;

    // A quarter of a minute is added before the minutes are cut: 06:00:44
    // stays in minute 0, 07:00:46 passes into minute 1; late in the day the
    // rounding reaches 24:00, printed as it falls.
    struct Case {
        double rise, set;
        const char* riseText;
        const char* setText;
    };
    const Case cases[] = {
        {0.0, 0.0, "Rises at: (doesn't rise)", "Sets at: (doesn't rise)"},
        {6.283185307, 6.283185307, "Rises at: (doesn't set)", "Sets at: (doesn't set)"},
        {TimeAngle(6.0), TimeAngle(18.5), "Rises at: 06:00", "Sets at: 18:30"},
        {TimeAngle(6.0 + 44.0 / 3600), TimeAngle(7.0 + 46.0 / 3600), "Rises at: 06:00",
         "Sets at: 07:01"},
        {TimeAngle(0.1), TimeAngle(23.0 + 59.0 / 60 + 50.0 / 3600), "Rises at: 00:06",
         "Sets at: 24:00"},
        // Any other pair leaves the lines as they were.
        {0.0, TimeAngle(5.0), "old", "old"},
        {TimeAngle(5.0), 6.283185307, "old", "old"}};
    for (const Case& c : cases) {
        std::string rise = "old", set = "old";
        const bool filled = RiseSetLines(c.rise, c.set, rise, set);
        EXPECT_EQ(filled, rise != "old") << c.rise << " " << c.set;
        EXPECT_EQ(rise, c.riseText);
        EXPECT_EQ(set, c.setText);
    }
}

TEST(ObjectInfoText, MagnitudeTextByTypeAndKnownMagnitudes) {
    struct Case {
        int type, m, m2, m3;
        const char* text;
    };
    // Multiple stars (52) give the companion after a comma, variable stars
    // (53) the range, both (54) both; a missing value leaves its dash or comma
    // dangling. Every other type gives the magnitude alone.
    const Case cases[] = {
        {52, kNone, kNone, 340, ""},          {52, -146, kNone, 884, "-1.46, +8.84"},
        {52, -146, 120, kNone, "-1.46, "},    {53, 186, 213, 500, "+1.86 - +2.13"},
        {53, 186, kNone, kNone, "+1.86 -"},   {54, 202, 250, 882, "+2.02 - +2.50, +8.82"},
        {54, 202, kNone, kNone, "+2.02 - ,"}, {65, 344, 400, 500, "+3.44"}};
    for (const Case& c : cases)
        EXPECT_EQ(MagnitudeText(c.type, c.m, c.m2, c.m3), c.text)
            << "type " << c.type << " m " << c.m << " m2 " << c.m2 << " m3 " << c.m3;
    // From a catalogue record: the range and the companion as differences,
    // which mean nothing without a magnitude.
    CatalogObject* star = MakeCatalog(kTypeMultipleVariableStar, 0.0, 0.0);
    star->variableRange = 48;
    star->companionOffset = 680;
    for (auto [magnitude, text] : {std::pair{202, "+2.02 - +2.50, +8.82"}, {int{kNone}, ""}}) {
        star->catalogMagnitude = static_cast<std::int16_t>(magnitude);
        EXPECT_EQ(CatalogMagnitudeText(*star), text);
    }
    FreeObject(star);
}

TEST(ObjectInfoText, ProperMotionComesFromTheMotionVectorAtThePosition) {
    // On the equator at R.A. 0, y is the R.A. direction, z the Dec. one, and
    // the radial x changes neither. At Dec. +60 a step east covers twice the
    // R.A., and a step along -x moves the star north. At the pole there is no
    // R.A. rate, and every motion leads south. Dec., motion, rates (units of
    // the motion), tolerance.
    const double cases[][7] = {
        {0.0, 777, 1000, -500, 1000.0, -500.0, 1e-15},
        {60.0, -2000, 1000, 0, 2000.0, 2000.0 * std::sin(60.0 * kDegree), 1e-3},
        {90.0, 300, 400, 0, 0.0, -500.0, 1e-15}};
    for (const auto& [dec, x, y, z, raRate, decRate, tolerance] : cases) {
        CatalogObject* star = MakeCatalog(kTypeSingleStar, 0.0, dec * kDegree);
        star->motion[0] = static_cast<int>(x);
        star->motion[1] = static_cast<int>(y);
        star->motion[2] = static_cast<int>(z);
        double ra = 0.0, de = 0.0;
        ProperMotionRates(*star, &ra, &de);
        EXPECT_NEAR(ra * kFixed, raRate, tolerance) << dec;
        EXPECT_NEAR(de * kFixed, decRate, tolerance) << dec;
        ObjectInfo info;
        CatalogLines(*star, info);
        const std::string motion = info.line(15) + "|" + info.line(16);
        EXPECT_TRUE(dec != 0.0 ||
                    motion == "R.A. motion (s/yr): +4.6776|Dec. motion (\"/yr): -35.082")
            << motion;
        FreeObject(star);
    }
}

TEST(ObjectInfoText, LinesWithoutValuesKeepTheirLabels) {
    // A galaxy without a magnitude leaves the label alone and gives its size in
    // arc-minutes; a star's unused line is emptied.
    CatalogObject* galaxy = MakeCatalog(kTypeGalaxy, 1.0, 0.5);
    galaxy->size = static_cast<float>(189.0 * kDegree / 60.0);
    ObjectInfo info;
    info.line(19) = "something old";
    CatalogLines(*galaxy, info);
    EXPECT_EQ(Lines(info, {11, 12, 19}), (Texts{"Magnitude: ", "Angular Size ('): 189.0", ""}));
    FreeObject(galaxy);
    // A body's ephemeris with nothing known and a diameter that is not
    // positive; half lit is a fraction, not a percentage.
    BodyEphemeris e{};
    e.magnitude = kNone;
    e.diameter = -1.0;
    e.phaseAngle = kExactPi / 2.0;
    e.orientation = {0.0, -2.96 * kDegree, 0.0};
    EphemerisLines(e, info);
    EXPECT_EQ(Lines(info, {11, 12, 15, 18}),
              (Texts{"Magnitude:", "Angular Size:", "Illumination: 0.5000",
                     "Central latitude: -3.0\xB0"}));
}

TEST(ObjectInfoText, FirstNameIsTheFirstPartOfTheName) {
    SolarSystemObject* body = NewSolarSystemObject(kTypeComet);
    const std::pair<const char*, const char*> names[] = {
        {"  Hale-Bopp ; C/1995 O1", "Hale-Bopp"}, {" ; second", "second"}, {" ;  ", ""}};
    for (auto [name, first] : names) {
        body->name = CopyText(name);
        EXPECT_EQ(ObjectFirstName(body), first) << '"' << name << '"';
    }
    FreeObject(body);
    EXPECT_EQ(ObjectFirstName(nullptr), "");
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
        gComputationOptions.precession = gComputationOptions.preciseRiseSet = false;
        gComputationOptions.precessionEpoch = 2451545.0;
        gViewer.daylightSavings = false;
        gViewer.latitude = 50.0 * kDegree;
        gViewer.julianDate = 2451545.0;
        gFrame = kFrameEquatorial;
        setCurrentFrameQuery(TestFrame);
    }
    void TearDown() override { setObjectStoreDefaults(); }

    ObjectID AddStar(int type, double ra, double dec, const char* names) {
        CatalogObject* star = MakeCatalog(type, ra, dec);
        EXPECT_TRUE(setObjectNames(star, names));
        star->catalogDistance = static_cast<float>(kInfinity);
        star->radialVelocity = static_cast<float>(kInfinity);
        return addObject(star, fileId);
    }
    ObjectID fileId = 0;
};

TEST_F(ObjectInfoFill, StarWithoutParallaxOrColour) {
    const double dec = -(16.0 + 42.0 / 60.0 + 58.0 / 3600.0) * kDegree;
    ObjectID id = AddStar(kTypeSingleStar, (6.0 + 45.0 / 60.0 + 8.9 / 3600.0) * 15.0 * kDegree, dec,
                          "Sirius; $a CMa");
    PrepareComputation();
    ObjectInfo info;
    ASSERT_TRUE(FillObjectInfoLines(id, info));
    EXPECT_EQ(info.name + "|" + info.displayName, "Sirius|Sirius; $a CMa");
    EXPECT_EQ(Lines(info, {7, 8, 9, 10, 11, 19}),
              (Texts{"Type: Single star", "R.A. (2000.0): 06h 45m 08.90s",
                     "Dec. (2000.0): -16\xB0 42' 58.0\"", "Distance:", "Magnitude: ", ""}));
    EXPECT_TRUE(info.line(20) == info.line(8) && info.line(21) == info.line(9));
    // It rises and sets at 50 degrees north (the times are the driver's).
    EXPECT_TRUE(info.line(13).starts_with("Rises at: ") && info.line(14).starts_with("Sets at: "));
    // The last two lines follow the chart's current system.
    gFrame = kFrameGalactic;
    ASSERT_TRUE(FillObjectInfoLines(id, info));
    EXPECT_TRUE(info.line(20).starts_with("Galactic Lon: ") &&
                info.line(21).starts_with("Galactic Lat: "));
}

TEST_F(ObjectInfoFill, CircumpolarAndNeverRisingStars) {
    ObjectID north = AddStar(kTypeSingleStar, 1.0, 80.0 * kDegree, "Northern");
    ObjectID south = AddStar(kTypeSingleStar, 1.0, -80.0 * kDegree, "Southern");
    ObjectInfo info;
    for (bool precise : {false, true}) {
        gComputationOptions.preciseRiseSet = precise;
        PrepareComputation();
        ASSERT_TRUE(FillObjectInfoLines(north, info));
        EXPECT_EQ(info.line(13) + "|" + info.line(14),
                  "Rises at: (doesn't set)|Sets at: (doesn't set)");
        ASSERT_TRUE(FillObjectInfoLines(south, info));
        EXPECT_EQ(info.line(14), "Sets at: (doesn't rise)") << precise;
    }
}

TEST_F(ObjectInfoFill, ObjectsWithoutAPlaceKeepThoseLinesAndGoneOnesFillNothing) {
    SiteObject* place = NewSiteObject();
    place->name = CopyText("Greenwich; Royal Observatory");
    ObjectID site = addObject(place, fileId);
    ObjectID gone = AddStar(kTypeSingleStar, 1.0, 0.2, "Gone");
    ObjectID lost = addObject(NewSolarSystemObject(kTypeAsteroid), fileId);
    PrepareComputation();
    FreeObject(removeObject(gone));
    ObjectInfo info;
    for (std::string& line : info.lines)
        line = "old";
    ASSERT_TRUE(FillObjectInfoLines(site, info));
    EXPECT_EQ(info.name, "Greenwich");
    EXPECT_EQ(info.line(10), "Distance (km): 0") << "a distance of 0 for any other object";
    EXPECT_EQ(Lines(info, {8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}), Texts(13, "old"));
    // An asteroid without elements is nowhere: no invented 00h 00m 00s.
    ASSERT_TRUE(FillObjectInfoLines(lost, info));
    EXPECT_EQ(Lines(info, {8, 9, 10}), (Texts{"R.A. (2000.0):", "Dec. (2000.0):", "Distance:"}));
    info.name = info.line(7) = "kept";
    EXPECT_FALSE(FillObjectInfoLines(gone, info));
    EXPECT_FALSE(FillObjectInfoLines(MakeObjectID(FileID(77), 3), info)) << "no such file";
    EXPECT_TRUE(info.name == "kept" && info.line(7) == "kept");
}

// The window shows the report's very lines, which the tool prints (the
// last two in the chart's own coordinate system, which the window used to
// ignore); buttons with nothing to do are greyed; an object that is gone
// hides the window.
TEST_F(ObjectInfoFill, TheWindowShowsTheReportLines) {
    WindowRef window = CreateObjectInfoWindow();
    ASSERT_NE(window, nullptr);
    gChartView.coordinateSystem = kFrameGalactic;
    ObjectID id = AddStar(kTypeSingleStar, 1.0, 0.2, "Sirius; $a CMa");
    PrepareComputation();
    PresentObjectInfo(id, false);
    ObjectInfo info;
    ASSERT_TRUE(FillObjectInfoLines(id, info));
    EXPECT_TRUE(info.line(kInfoFrameLongitudeLine).starts_with("Galactic Lon: "));
    for (int control = kInfoFirstLine; control <= kInfoLastLine; ++control)
        EXPECT_EQ(GetItemText(window, control), info.line(control)) << control;
    EXPECT_TRUE(IsWindowVisible(window) && InfoObject() == id);
    for (int button : {kInfoEditButton, kInfoTrailOnButton, kInfoTrailOffButton})
        EXPECT_FALSE(IsItemEnabled(window, button)) << button;
    setInfoEditHandler([](ObjectID) { return false; });
    EXPECT_TRUE(IsItemEnabled(window, kInfoEditButton));
    setInfoEditHandler(nullptr);
    FreeObject(removeObject(id));
    RefreshInfoWindow();
    EXPECT_FALSE(IsWindowVisible(window) || InfoObject() != 0);
    setChartViewDefaults();
    ResetPlatform();
}

// Elements weeks from their epoch are marked as such; a set the model refuses at the
// instant says why, and the satellite then has no distance.
TEST_F(ObjectInfoFill, SatellitesTellTheAgeOfTheirElementsOrWhyTheyHaveNoPosition) {
    SolarSystemObject* earth = NewSolarSystemObject(kTypeEarth);
    earth->name = CopyText("Earth");
    ASSERT_NE(addObject(earth, fileId), 0);
    const struct {
        const char *line1, *line2;
        double days;
        const char* last;
    } cases[] = {
        {"1 25994U 99068A   18018.50000000  .00000126  00000-0  38103-4 0  9998",
         "2 25994  98.2102  95.6663 0001032  76.0653 284.0667 14.57113885962059", 40.25,
         "elements 40 days old"},
        {"1 00001U 00001A   18018.50000000  .05000000  00000-0  50000-1 0  9990",
         "2 00001  51.6000 100.0000 0100000  90.0000   0.0000 16.00000000 12345", 20.0,
         "No position: eccentricity out of range"},
    };
    for (const auto& c : cases) {
        SolarSystemObject* sat = AsSolarSystem(ParseTwoLineElements("SAT", c.line1, c.line2));
        ASSERT_NE(sat, nullptr);
        gViewer.julianDate = sat->epoch + 2400000.5 + c.days;
        const ObjectID id = addObject(sat, fileId);
        PrepareComputation();
        ObjectInfo info;
        ASSERT_TRUE(FillObjectInfoLines(id, info));
        EXPECT_EQ(info.line(19), c.last);
        EXPECT_EQ(info.line(10) == "Distance:", c.last[0] == 'N') << info.line(10);
    }
}

} // namespace
