// Import of object text files: the record builders and their units (against
// hand-worked values, ERFA's precession and Meeus's worked example), and the
// import driver with its questions, replacement and clean-up.

#include "data/Import.h"
#include "data/Names.h"
#include "tests/data/AttachedFiles.h"
#include "tests/data/DataTestSupport.h"

#include <erfa.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <tuple>

namespace {

using namespace data_test;
using Names = std::vector<std::string>;

constexpr double kExactPi = 3.14159265358979323846, kDegree = kExactPi / 180.0;
constexpr double kArcsec = kDegree / 3600.0, kArcmin = kDegree / 60.0;
constexpr double kHourAngle = kExactPi / 12.0, kFixedScale = 1073741824.0; // 2^30
constexpr double kEpoch2000 = 2451545.0, kYear = 365.25;
constexpr double kKmPerAU = 149597870.7, kAUPerParsec = 648000.0 / kExactPi;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kGaussK = 0.01720209895; // the mean motion of a 1-AU orbit, radians/day
constexpr std::int16_t kNone = 32767;

double JulianDateOfYear(double year) {
    return kEpoch2000 + (year - 2000.0) * kYear;
}

std::string Line(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& field : fields)
        line += (&field == fields.begin() ? "" : "\t") + field;
    return line;
}

std::string StarLine(const std::string& kind, const std::string& name,
                     const std::string& ra = "0 0 0", const std::string& dec = "0 0 0",
                     const std::string& magnitudes = "5") {
    return Line({kind, "2000", ra, dec, "", "", magnitudes, "", "", "", "", name});
}

// A body line whose empty orbit fields take plain values.
std::string BodyLine(std::initializer_list<std::string> given) {
    std::vector<std::string> fields(given);
    fields.resize(std::max<std::size_t>(fields.size(), 9));
    const char* plain[] = {"1", "0", "0", "0", "0", "0", "2000/1/1.5"};
    std::string line = fields[0];
    for (std::size_t k = 1; k < fields.size(); ++k)
        line += "\t" + (k >= 2 && k <= 8 && fields[k].empty() ? plain[k - 2] : fields[k]);
    return line;
}

std::FILE* StreamOf(const std::string& text) {
    std::FILE* stream = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), stream);
    std::rewind(stream);
    return stream;
}

Owned ReadRecord(const std::string& text, int* result = nullptr) {
    std::FILE* stream = StreamOf(text);
    SkyObject* object = nullptr;
    int status = readTextRecord(stream, &object);
    std::fclose(stream);
    if (result != nullptr) *result = status;
    return Owned(object);
}

const CatalogObject* Cat(const Owned& o) {
    return AsCatalog(o.get());
}
const SolarSystemObject* Body(const Owned& o) {
    return AsSolarSystem(o.get());
}

// Unit position of a star at (ra, dec) and its change per day when it moves
// by dRa and dDec radians per day and recedes by `radial` of its distance per day.
void StarVectors(double ra, double dec, double dRa, double dDec, double radial, double p[3],
                 double m[3]) {
    const double ca = std::cos(ra), sa = std::sin(ra), cd = std::cos(dec), sd = std::sin(dec);
    p[0] = cd * ca, p[1] = cd * sa, p[2] = sd;
    m[0] = radial * p[0] - cd * sa * dRa - sd * ca * dDec;
    m[1] = radial * p[1] + cd * ca * dRa - sd * sa * dDec;
    m[2] = radial * p[2] + cd * dDec;
}

// A still direction of the mean equator and equinox of jd carried to J2000 with ERFA.
void ErfaToJ2000(double jd, const double in[3], double out[3]) {
    double rp[3][3], p[3] = {in[0], in[1], in[2]};
    eraPmat76(jd, 0.0, rp);
    eraTrxp(rp, p, out);
}
void ErfaDirection(double jd, double hours, double degrees, double out[3]) {
    double p[3], none[3];
    StarVectors(hours * kHourAngle, degrees * kDegree, 0.0, 0.0, 0.0, p, none);
    ErfaToJ2000(jd, p, out);
}

void ExpectPosition(const CatalogObject* star, const double p[3], double within,
                    const std::string& what) {
    ASSERT_NE(star, nullptr) << what;
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(star->position[c], p[c] * kFixedScale, within) << what << " component " << c;
}

// The progress box is reached through the search clock: resolving the names
// of a "C1" line reads it while the import's box is up.
bool gPressCancel = false;
long CancellingClock() {
    if (WindowRef box = ProgressWindow())
        if (gPressCancel) PressButton(box, kCancelButton);
    return 0;
}

class ImportTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        gPressCancel = false;
        ASSERT_TRUE(checkDatabaseDirectory());
        customId = Attached("Custom.nvd");
        ASSERT_NE(customId, 0);
        ClearRecordedMessages();
    }
    // An object of the user's own, written to disk, that no failed import may touch.
    void StoreResident() {
        SiteObject* home = NewSiteObject();
        home->name = CopyText("Home");
        ASSERT_NE(addObject(home, customId), 0);
        ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
        residentBytes = ReadAll(In("Custom.nvd"));
    }
    void ExpectResidentIntact() const {
        EXPECT_EQ(ReadAll(In("Custom.nvd")), residentBytes);
        EXPECT_EQ(NamesIn(customId), Names{"Home"});
    }
    // An object built from one line, put into the custom file for later lines to find.
    ObjectID Store(const std::string& line) {
        Owned object = ReadRecord(line);
        ObjectID id = object ? addObject(object.get(), customId) : 0;
        EXPECT_NE(id, 0) << line;
        if (id != 0) object.release();
        return id;
    }
    void Reopen() {
        const std::string index = gObjectStore.indexPath;
        closeDatabase();
        ASSERT_TRUE(readIndex(index));
    }
    ObjectID customId = 0;
    std::string residentBytes;
};

TEST_F(ImportTest, StarPositionAndMotionWorkedByHand) {
    // Barnard's Star: the largest proper motion, approaching fast, close by.
    Owned object =
        ReadRecord(Line({"S1", "2000.0", "17 57 48.97", "+04 41 36.1", "-0.05342", "10.32812",
                         "9.54", "1.57", "-110.6", "1.8266", "0", "Barnard's Star"}));
    const CatalogObject* star = Cat(object);
    ASSERT_NE(star, nullptr);
    // Seconds of time and arcseconds per Julian year, km/s and parsecs.
    double p[3], m[3];
    StarVectors((17.0 + 57.0 / 60.0 + 48.97 / 3600.0) * kHourAngle,
                (4.0 + 41.0 / 60.0 + 36.1 / 3600.0) * kDegree, -0.05342 * 15.0 * kArcsec / kYear,
                10.32812 * kArcsec / kYear,
                -110.6 * kSecondsPerDay / kKmPerAU / (1.8266 * kAUPerParsec), p, m);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(star->position[c], p[c] * kFixedScale, 2.0) << c;
        EXPECT_NEAR(star->motion[c], m[c] * kFixedScale, 1.0) << c;
    }
    EXPECT_NEAR(star->catalogDistance, 376763.3, 0.05);
    EXPECT_NEAR(star->radialVelocity, -0.0638768, 1e-7);
    EXPECT_EQ(star->catalogMagnitude, 954);
    EXPECT_EQ(star->colorIndex, 157);
    // A companion's separation in arcseconds, a deep-sky size in arcminutes.
    for (const auto& [kind, unit] : {std::pair{"S2", kArcsec}, std::pair{"S15", kArcmin}}) {
        Owned o = ReadRecord(Line({kind, "", "0 0 0", "0 0 0", "", "", "", "", "", "", "10", "x"}));
        EXPECT_NEAR(Cat(o)->size, 10.0 * unit, 1e-6 * unit) << kind;
    }
    Owned near = ReadRecord(Line({"S1", "", "0 0 0", "0 0 0", "", "", "", "", "20", "0", "", "x"}));
    EXPECT_EQ(std::vector<int>(Cat(near)->motion, Cat(near)->motion + 3), std::vector<int>(3, 0));
}

TEST_F(ImportTest, MagnitudeFieldsFollowTheType) {
    const struct {
        const char *kind, *magnitudes;
        std::int16_t v, range, companion;
    } cases[] = {
        {"S3", "-1.5-2.0", -150, 350, kNone}, // a negative brightest magnitude
        {"S3", "6.2-6.3", 620, 10, kNone},    // 6.3 - 6.2 is 0.0999... in binary
        {"S2", "2.27,3.95", 227, kNone, 168},  {"S4", "5.5-7.25,8", 550, 175, 250},
        {"S1", "6.2-7.4", 620, kNone, kNone}, // single stars read V alone
        {"S1", "4.35", 435, kNone, kNone},    // 434.99999... hundredths in binary
        {"S1", "bright", kNone, kNone, kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.magnitudes);
        Owned object = ReadRecord(StarLine(c.kind, "x", "0 0 0", "0 0 0", c.magnitudes));
        ASSERT_NE(Cat(object), nullptr);
        EXPECT_EQ(Cat(object)->catalogMagnitude, c.v);
        EXPECT_EQ(Cat(object)->variableRange, c.range);
        EXPECT_EQ(Cat(object)->companionOffset, c.companion);
    }
}

TEST_F(ImportTest, SexagesimalFieldsAndTheSignOfTheDeclination) {
    Owned south = ReadRecord(StarLine("S1", "x", "0 0 0", "-0 30 00"));
    EXPECT_EQ(Cat(south)->position[2], -9370046) << "sin(-0.5 deg) x 2^30, truncated";
    double p[3], m[3];
    StarVectors((23.0 + 59.0 / 60.0 + 59.9 / 3600.0) * kHourAngle,
                -(89.0 + 59.0 / 60.0 + 59.0 / 3600.0) * kDegree, 0.0, 0.0, 0.0, p, m);
    ExpectPosition(Cat(ReadRecord(StarLine("S1", "x", "23 59 59.9", "-89 59 59"))), p, 2.0, "");
    // Seconds rounded up to 60 are the next minute, as catalogues write them.
    EXPECT_NE(ReadRecord(StarLine("S1", "x", "12 30 60.000", "+10 59 60.0")), nullptr);
    // A position that does not read, or lies outside the sky, makes no star.
    const std::pair<const char*, const char*> bad[] = {
        {"", "0"},        {"x", "0"},   {"24 0 1", "0"}, {"12 61 0", "0"},
        {"0", "+90 0 1"}, {"0", "nan"}, {"1 2 3 4", "0"}};
    for (const auto& [ra, dec] : bad) {
        int result = 0;
        EXPECT_EQ(ReadRecord(StarLine("S1", "x", ra, dec), &result), nullptr) << ra << "/" << dec;
        EXPECT_EQ(result, kRecordFailed) << ra << " / " << dec;
    }
}

TEST_F(ImportTest, UnreadableStarFieldsTakeTheirDefaults) {
    Owned object = ReadRecord(
        Line({"S1", "", "0 0 0", "0 0 0", "?", "?", "?", "?", "?", "?", "?", "Junk", "more"}));
    const CatalogObject* star = Cat(object);
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(std::vector<int>(star->position, star->position + 3),
              (std::vector<int>{1073741824, 0, 0}))
        << "equinox 2000: not precessed";
    EXPECT_EQ(std::vector<int>(star->motion, star->motion + 3), std::vector<int>(3, 0));
    EXPECT_EQ(star->catalogMagnitude, kNone);
    EXPECT_EQ(star->colorIndex, kNone);
    EXPECT_TRUE(std::isinf(star->catalogDistance) && std::isinf(star->radialVelocity));
    EXPECT_EQ(DisplayName(star), "Junk");
    // Designations in the name field become identifiers.
    object = ReadRecord(StarLine("S11", "M45; Pleiades"));
    ASSERT_EQ(Cat(object)->identifierCount, 1);
    EXPECT_EQ(IdentifierCatalog(Cat(object)->identifiers[0]), kCatalogMessier);
    // Type numbers: 50 + n for the fifteen types there are, 51 for anything else.
    for (const auto& [kind, type] : {std::pair{"S15", 65}, std::pair{"S99", 51}}) {
        Owned o = ReadRecord(StarLine(kind, "x"));
        EXPECT_EQ(o ? o->type : 0, type) << kind;
    }
    // Names are cut to 255 characters.
    const std::string longName(300, 'n');
    EXPECT_EQ(DisplayName(ReadRecord(StarLine("S1", longName)).get()), longName.substr(0, 255));
    EXPECT_EQ(Numbers(), Messages{});
}

TEST_F(ImportTest, PositionsOfAnotherEquinoxArePrecessedWithTheirMotion) {
    // Regulus for the equinox and epoch 1950.0 (a Julian year count).
    Owned object = ReadRecord(Line({"S1", "1950", "10 05 42.6", "+12 12 45", "-0.0169", "0.006",
                                    "1.35", "-0.11", "5.9", "24.3", "", "Regulus"}));
    const CatalogObject* star = Cat(object);
    ASSERT_NE(star, nullptr);
    const double jd = JulianDateOfYear(1950.0);
    double p[3], m[3], p2000[3], m2000[3];
    StarVectors((10.0 + 5.0 / 60.0 + 42.6 / 3600.0) * kHourAngle,
                (12.0 + 12.0 / 60.0 + 45.0 / 3600.0) * kDegree, -0.0169 * 15.0 * kArcsec / kYear,
                0.006 * kArcsec / kYear, (5.9 * kSecondsPerDay / kKmPerAU) / (24.3 * kAUPerParsec),
                p, m);
    ErfaToJ2000(jd, p, p2000);
    ErfaToJ2000(jd, m, m2000);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(star->position[c], (p2000[c] + m2000[c] * (kEpoch2000 - jd)) * kFixedScale, 3.0)
            << c;
        EXPECT_NEAR(star->motion[c], m2000[c] * kFixedScale, 1.0) << c;
    }
    // The matrix kept between lines of one equinox must follow a change.
    for (const char* year : {"1875.0", "1950.0", "2050.5"}) {
        double q2000[3];
        ErfaDirection(JulianDateOfYear(std::atof(year)), 3.0, -20.0, q2000);
        ExpectPosition(Cat(ReadRecord(Line(
                           {"S1", year, "3 0 0", "-20 0 0", "", "", "", "", "", "", "", "x"}))),
                       q2000, 3.0, year);
    }
}

TEST_F(ImportTest, NutationOptionAddsTheNutationOfJ2000) {
    const std::string line =
        Line({"S1", "1950", "5 55 10.3", "+7 24 25", "", "", "0.5", "", "", "", "", "Betelgeuse"});
    auto read = [&](bool nutation) {
        setImportNutation(nutation);
        Owned o = ReadRecord(line);
        return std::vector<double>(Cat(o)->position, Cat(o)->position + 3);
    };
    std::vector<double> mean = read(false), with = read(true), meanAgain = read(false);
    double p2000[3], expected[3], nutation[3][3];
    ErfaDirection(JulianDateOfYear(1950.0), 5.0 + 55.0 / 60.0 + 10.3 / 3600.0,
                  7.0 + 24.0 / 60.0 + 25.0 / 3600.0, p2000);
    eraNutm80(kEpoch2000, 0.0, nutation);
    eraRxp(nutation, p2000, expected);
    // The program's nutation is a short series, good to about half an arcsecond.
    EXPECT_LT(eraSepp(with.data(), expected) / kArcsec, 1.0);
    EXPECT_GT(eraSepp(with.data(), mean.data()) / kArcsec, 5.0) << "nutation made no change";
    EXPECT_LT(eraSepp(mean.data(), p2000) / kArcsec, 0.001);
    EXPECT_EQ(mean, meanAgain) << "switching nutation off again must rebuild the kept matrix";
}

TEST_F(ImportTest, SolarSystemElementsConverted) {
    Owned object =
        ReadRecord(BodyLine({"P12", "2000", "2.767", "0.0785", "10.59", "73.6", "80.3", "95.99",
                             "2000/1/1.5", "3.34 0.12", "469.7", "0.000157", "Ceres"}));
    const SolarSystemObject* ceres = Body(object);
    ASSERT_NE(ceres, nullptr);
    EXPECT_EQ(ceres->type, kTypeAsteroid);
    const float* el = ceres->elements;
    EXPECT_NEAR(el[kPerihelionDistance], 2.767 * (1.0 - 0.0785), 1e-6);
    EXPECT_NEAR(el[kInclination], 10.59 * kDegree, 1e-7);
    EXPECT_NEAR(el[kMeanAnomaly], 95.99 * kDegree, 1e-7);
    // Kepler's third law: Ceres moves 0.214 degrees a day.
    EXPECT_NEAR(el[kMeanMotion] / kDegree, 0.2141, 0.0002);
    EXPECT_NEAR(el[kRadius], 469.7 / kKmPerAU, 1e-12);
    EXPECT_NEAR(el[kMass], 0.000157 / 332946.0, 1e-15);
    EXPECT_EQ(ceres->magnitudeParam1, 334);
    EXPECT_EQ(ceres->magnitudeParam2, 12);
    // The epoch: Sputnik 1's launch, 1957 October 4.81, is JD 2436116.31.
    Owned sputnik = ReadRecord(BodyLine({"P11", "", "1", "", "", "", "", "", "1957/10/4.81"}));
    EXPECT_NEAR(Body(sputnik)->epoch, 36115.81, 0.008);
    // An orbit field that does not read makes no body.
    for (const std::string& line :
         {Line({"P12", "", "1", "-0.1", "0", "0", "0", "0", "2000/1/1.5"}),
          Line({"P12", "", "1", "0", "0", "0", "0", "0", "2000/13/1"})})
        EXPECT_EQ(ReadRecord(line), nullptr) << line;
}

TEST_F(ImportTest, PerihelionDistanceAndMeanMotionForEveryConic) {
    const struct {
        const char *a, *e;
        double q, n;
    } cases[] = {
        {"", "", 1.0, kGaussK},                                     // the defaults
        {"2", "0.5", 1.0, kGaussK / std::pow(2.0, 1.5)},            // ellipse: q = a(1 - e)
        {"2", "1.5", 1.0, kGaussK / std::pow(2.0, 1.5)},            // hyperbola: q = a(e - 1)
        {"-0.5", "1", 0.5, 3.0 * kGaussK / std::sqrt(2.0 * 0.125)}, // parabola from q
        {"-0.5", "0.5", 0.5, kGaussK},                              // -a is q whatever e is
        {"-2", "1.5", 2.0, kGaussK / 8.0},                          // a = q/(e - 1) = 4
        {"3", "1", 0.0, 0.0},                                       // a parabola needs q
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " " + c.e);
        Owned o = ReadRecord(BodyLine({"P11", "", c.a, c.e}));
        ASSERT_NE(Body(o), nullptr);
        EXPECT_NEAR(Body(o)->elements[kPerihelionDistance], c.q, 1e-7);
        EXPECT_NEAR(Body(o)->elements[kMeanMotion], c.n, c.n * 1e-7);
    }
}

TEST_F(ImportTest, MeanMotionAboutAPrimaryUsesBothMasses) {
    ObjectID earth =
        Store(BodyLine({"P4", "2000", "1.00000011", "0.01671022", "0.00005", "102.94719",
                        "-11.26064", "100.46435", "2000/1/1.5", "", "6378.14", "1", "Earth"}));
    // The Moon about the Earth at 384,400 km with the Earth's and the Moon's GM.
    const double a = 384400.0;
    const double n = std::sqrt((398600.4418 + 4902.8001) / (a * a * a)) * kSecondsPerDay;
    Owned moon = ReadRecord(
        BodyLine({"P15", "2000", "0.0025695553", "0.0549", "5.145", "318.15", "125.08", "135.27",
                  "2000/1/1.5", "0.21", "1737.4", "0.0123", "Moon", " EARTH "}));
    ASSERT_NE(Body(moon), nullptr);
    EXPECT_EQ(Body(moon)->primary, earth) << "the primary found by name, blanks and case aside";
    EXPECT_NEAR(Body(moon)->elements[kMeanMotion], n, n * 1e-5);
    EXPECT_EQ(Numbers(), Messages{});
    int result = 0;
    EXPECT_EQ(ReadRecord(BodyLine({"P15", "2000", "0.00257", "", "", "", "", "", "", "", "", "",
                                   "Moon", "Terra"}),
                         &result),
              nullptr);
    EXPECT_EQ(result, kRecordFailed);
    EXPECT_EQ(Numbers(), Messages{523});
    EXPECT_EQ(Text(0), "There's no object containing the name \"Terra\" in memory!");
}

TEST_F(ImportTest, ElementsOfAnotherEquinoxAreCarriedToJ2000) {
    // Comet Encke for B1950 (Meeus, example 24.a): at J2000 i = 11.94524,
    // node = 334.75006 and perihelion argument = 186.23352 degrees.
    Owned encke =
        ReadRecord(BodyLine({"P11", "1950", "2.2091404", "0.8502196", "11.93911", "186.24444",
                             "334.04096", "0", "1990/10/28.54502", "", "", "", "Encke"}));
    const float* el = Body(encke)->elements;
    EXPECT_NEAR(el[kInclination] / kDegree, 11.94524, 5e-5);
    EXPECT_NEAR(el[kAscendingNode] / kDegree, 334.75006, 5e-5);
    EXPECT_NEAR(el[kArgumentOfPerihelion] / kDegree, 186.23352, 5e-5);
    EXPECT_NEAR(el[kPerihelionDistance], 2.2091404 * (1.0 - 0.8502196), 1e-6)
        << "the shape of the orbit does not precess";
    // An orbit in the ecliptic of 1950 tilts by the ecliptic's motion (47" a century), its
    // perihelion longitude advancing by the general precession, 50.29" a year.
    Owned flat = ReadRecord(BodyLine({"P11", "1950", "3", "0.5", "0", "30", "0"}));
    el = Body(flat)->elements;
    EXPECT_NEAR(el[kInclination] / kArcsec, 23.51, 0.1);
    EXPECT_NEAR(std::remainder(static_cast<double>(el[kAscendingNode]) + el[kArgumentOfPerihelion],
                               2.0 * kExactPi) /
                    kDegree,
                30.0 + 0.6984, 0.001);
}

TEST_F(ImportTest, FigureLinesJoinObjectsFoundByExactName) {
    ObjectID alpha = Store(StarLine("S1", "Alpha Star; HR 1"));
    ObjectID beta = Store(StarLine("S1", "Beta"));
    Owned object = ReadRecord(Line({"C1", "alpha star", "BETA", "Link"}));
    const LineObject* line = AsLine(object.get());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->endpointObjects[0], alpha);
    EXPECT_EQ(line->endpointObjects[1], beta);
    EXPECT_STREQ(line->label.get(), "Link");
    EXPECT_EQ(Numbers(), Messages{});
    // A name not found is said; no name, or a kind other than C1/C2, is not.
    const std::pair<std::string, Messages> bad[] = {
        {Line({"C1", "Alpha", "Beta"}), {523}}, // a word is not a name
        {Line({"C1", "", "Beta"}), {}},
        {Line({"C3", "Beta", "Beta"}), {}}};
    for (const auto& [text, messages] : bad) {
        ClearRecordedMessages();
        int result = 0;
        EXPECT_EQ(ReadRecord(text, &result), nullptr) << text;
        EXPECT_NE(result, kRecordRead) << text;
        EXPECT_EQ(Numbers(), messages) << text;
    }
}

TEST_F(ImportTest, BoundaryPointsArePrecessedFromTheirEquinox) {
    // Constellation boundaries are drawn for the equinox of 1875.
    Owned object = ReadRecord(Line({"C2", "1875", "6.5", "22.5", "18.25", "-35.75"}));
    const LineObject* line = AsLine(object.get());
    ASSERT_NE(line, nullptr);
    const double points[2][2] = {{6.5, 22.5}, {18.25, -35.75}};
    for (int k = 0; k < 2; ++k) {
        double p2000[3];
        ErfaDirection(JulianDateOfYear(1875.0), points[k][0], points[k][1], p2000);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(line->endpointPositions[k][c], p2000[c] * kFixedScale, 3.0) << k << c;
    }
    for (const std::string& bad :
         {Line({"C2", "x", "1", "2", "3", "4"}), Line({"C2", "", "1", "0", "1", "-91"})})
        EXPECT_EQ(ReadRecord(bad), nullptr) << bad;
}

TEST_F(ImportTest, SitesInRadiansAndDays) {
    Owned object = ReadRecord(Line({"L", "-71.0589", "42.3601", "43", "-5", "Boston"}));
    const SiteObject* site = AsSite(object.get());
    ASSERT_NE(site, nullptr);
    EXPECT_NEAR(site->longitude, -71.0589 * kDegree, 1e-7);
    EXPECT_NEAR(site->latitude, 42.3601 * kDegree, 1e-7);
    EXPECT_EQ(site->altitude, 43.0f);
    EXPECT_NEAR(site->timeZone, -5.0 / 24.0, 1e-7);
    // A site needs a place on the Earth and a name.
    for (const std::string& bad :
         {Line({"L", "10", "91", "", "", "Pole"}), Line({"L", "10", "50", "", "25", "Far"}),
          Line({"L", "10", "50", "", "", ""})})
        EXPECT_EQ(ReadRecord(bad), nullptr) << bad;
}

TEST_F(ImportTest, ImportedFileIsWrittenUnloadedAndSummarised) {
    static std::vector<ObjectID> written;
    setImportFileWrittenHandler([](ObjectID id) { written.push_back(id); });
    const std::string path =
        Source("Sky.txt",
               StarLine("S1", "Origin", "0 0 0", "0 0 0", "1.00") + "\r\n" +
                   StarLine("S1", "South", "6 0 0", "-30 0 0", "5.5") + "\n" +
                   StarLine("S12", "Globular", "18 0 0", "60 0 0", "7.25") + "\r" +
                   StarLine("S15", "Galaxy", "12 0 0", "10 0 0", "9") + "\r\n" +
                   BodyLine({"P11", "2000", "-0.5", "1", "", "", "", "", "", "", "", "", "Comet"}) +
                   "\r\n" + Line({"C1", "Origin", "South", "Label"}) + "\r\n" +
                   Line({"C2", "2000", "1", "2", "3", "4"}) + "\r\n" +
                   Line({"L", "10", "50", "100", "1", "Home"}));
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), Messages{});
    const ObjectID id = Attached("Sky.nvd");
    ASSERT_NE(id, 0);
    EXPECT_EQ(written, std::vector<ObjectID>{id});
    EXPECT_FALSE(isLoaded(getFile(id))) << "an imported file is unloaded";
    EXPECT_EQ(getFile(id)->lockCount, 0);
    EXPECT_FALSE(gObjectStore.indexModified) << "the index learns of it at once";
    // The summary box angles are 2^30 units to a full turn.
    auto summary = [](const DatabaseFile* f) {
        return std::make_tuple(f->highestIndex, f->starCount, f->deepSkyCount, f->lineCount,
                               f->starBrightest, f->starFaintest, f->deepSkyBrightest,
                               f->greatestDeclination / 4096, f->leastRightAscension / 4096);
    };
    const auto expected = std::make_tuple(8, 2, 2, 2, 100, 550, 725, 43690, 0);
    EXPECT_EQ(summary(getFile(id)), expected);
    // The objects come back from the data file, the line joined to its neighbours.
    EXPECT_EQ(NamesIn(id),
              (Names{"Origin", "South", "Globular", "Galaxy", "Comet", "", "", "Home"}));
    const LineObject* line = AsLine(getObject(id + 6));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->endpointObjects[0], id + 1);
    EXPECT_EQ(line->endpointObjects[1], id + 2);
    Reopen();
    ASSERT_NE(Attached("Sky.nvd"), 0);
    EXPECT_EQ(summary(getFile(Attached("Sky.nvd"))), expected);
}

TEST_F(ImportTest, RefusedImportsLeaveEveryFileAsItWas) {
    StoreResident();
    const Names before = AttachedNames();
    // Text without records: said, and no data file made.
    EXPECT_TRUE(importTextFile(Source("Empty.txt", "# A comment\r\nX1\t2\r\n \tS1")));
    EXPECT_EQ(Numbers(), Messages{541}) << "nothing imported is said";
    EXPECT_FALSE(OnDisk("Empty.nvd"));
    // A data file of that name that the index has lost holds the user's objects.
    WriteAll(In("Stray.nvd"), "stray bytes");
    EXPECT_TRUE(importTextFile(Source("Stray.txt", "nothing to import\r\n")));
    EXPECT_EQ(ReadAll(In("Stray.nvd")), "stray bytes");
    ClearRecordedMessages();
    gObjectStore.databaseReadOnly = true;
    EXPECT_FALSE(importTextFile(Source("Stars.txt", StarLine("S1", "Vega"))));
    EXPECT_EQ(Numbers(), Messages{539});
    EXPECT_FALSE(OnDisk("Stars.nvd"));
    gObjectStore.databaseReadOnly = false;
    ClearRecordedMessages();
    EXPECT_FALSE(importTextFile(dir + "/Missing.txt"));
    EXPECT_EQ(Numbers(), Messages{257});
    EXPECT_EQ(AttachedNames(), before);
    ExpectResidentIntact();
}

TEST_F(ImportTest, ImportingAgainAsksWhetherToReplace) {
    const std::string path =
        Source("Stars.txt", StarLine("S1", "Alpha") + "\r\n" + StarLine("S1", "Beta") + "\r\n");
    ASSERT_TRUE(importTextFile(path));
    const std::string firstBytes = ReadAll(In("Stars.nvd"));
    Answer(531, AnswerCancel);
    EXPECT_FALSE(importTextFile(path));
    EXPECT_EQ(Numbers(), Messages{531});
    EXPECT_EQ(AttachedNames(), (Names{"Custom.nvd", "Stars.nvd"}));
    // No: a second file with a numbered name.
    Answer(531, AnswerNo);
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(AttachedNames(), (Names{"Custom.nvd", "Stars.nvd", "Stars1.nvd"}));
    EXPECT_EQ(ReadAll(In("Stars1.nvd")), firstBytes);
    EXPECT_EQ(ReadAll(In("Stars.nvd")), firstBytes);
}

TEST_F(ImportTest, ReplacingLeavesOnlyTheNewFile) {
    const std::string path =
        Source("Stars.txt", StarLine("S1", "Alpha") + "\r\n" + StarLine("S1", "Beta") + "\r\n" +
                                Line({"C1", "Alpha", "Beta"}) + "\r\n");
    ASSERT_TRUE(importTextFile(path));
    const ObjectID old = Attached("Stars.nvd");
    // Changes to the old file that were never saved go with it.
    ASSERT_NE(addObject(NewSiteObject(), old), 0);
    Source("Stars.txt", StarLine("S1", "Gamma") + "\r\n" + StarLine("S1", "Alpha") + "\r\n" +
                            StarLine("S1", "Beta") + "\r\n" + Line({"C1", "Alpha", "Beta"}));
    Answer(531, AnswerYes);
    EXPECT_TRUE(importTextFile(path));
    // The replacement takes the old file's number: ids kept elsewhere stay in the file.
    EXPECT_EQ(Attached("Stars.nvd"), old);
    // The line joins the new Alpha and Beta, not the ones of the file replaced.
    const LineObject* line = AsLine(getObject(old + 4));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->endpointObjects[0], old + 2);
    EXPECT_EQ(line->endpointObjects[1], old + 3);
    // Nothing writes the old objects over the new file later.
    Reopen();
    EXPECT_EQ(AttachedNames(), (Names{"Custom.nvd", "Stars.nvd"}));
    EXPECT_EQ(NamesIn(Attached("Stars.nvd")), (Names{"Gamma", "Alpha", "Beta", ""}));
}

TEST_F(ImportTest, FailedOrCancelledImportsKeepTheOldFileAndLeaveNoNewOne) {
    StoreResident();
    const std::string path =
        Source("Stars.txt", StarLine("S1", "Alpha") + "\r\n" + StarLine("S1", "Beta") + "\r\n");
    ASSERT_TRUE(importTextFile(path));
    const ObjectID old = Attached("Stars.nvd");
    const std::string oldBytes = ReadAll(In("Stars.nvd"));
    setSearchClock(CancellingClock);
    const std::string cancelled = StarLine("S1", "Gamma") + "\r\n" +
                                  Line({"C1", "Gamma", "Gamma"}) + "\r\n" + StarLine("S1", "Delta");
    const struct {
        const char* what;
        std::string source, text;
        bool cancel;
        long failAfter;
        bool result;
        Messages messages;
    } cases[] = {
        {"replacement cancelled", "Stars.txt", cancelled, true, -1, true, {531}},
        {"nothing to import", "Stars.txt", "# nothing\r\n", false, -1, true, {531, 541}},
        {"all failed", "Stars.txt", Line({"C1", "X", "Y"}), false, -1, true, {531, 523, 524, 541}},
        {"replacement on a full disk", "Stars.txt", cancelled, false, 300, false, {531, 259}},
        {"new file cancelled", "New.txt", cancelled, true, -1, true, {}},
        {"new file on a full disk", "New.txt", cancelled, false, 100, false, {259}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRecordedMessages();
        gPressCancel = c.cancel;
        setWriteFailureAfterBytesForTest(c.failAfter);
        Answer(531, AnswerYes);
        EXPECT_EQ(importTextFile(Source(c.source, c.text)), c.result);
        setWriteFailureAfterBytesForTest(-1);
        answers.clear();
        EXPECT_EQ(Numbers(), c.messages);
        EXPECT_EQ(AttachedNames(), (Names{"Custom.nvd", "Stars.nvd"}));
        EXPECT_EQ(Attached("Stars.nvd"), old);
        EXPECT_EQ(ReadAll(In("Stars.nvd")), oldBytes);
        ASSERT_TRUE(unloadFile(old));
        EXPECT_EQ(NamesIn(old), (Names{"Alpha", "Beta"}));
        EXPECT_FALSE(OnDisk("New.nvd"));
        EXPECT_EQ(ProgressWindow(), nullptr);
    }
    ExpectResidentIntact();
}

TEST_F(ImportTest, FailedRecordAsksWhetherToKeepReading) {
    const std::string path = Source(
        "Figures.txt", StarLine("S1", "Alpha") + "\r\n" + Line({"C1", "Alpha", "Nobody"}) + "\r\n" +
                           StarLine("S1", "Beta") + "\r\n" + Line({"C9", "Alpha", "Beta"}) +
                           "\r\n" + StarLine("S1", "Gamma") + "\r\n");
    // Yes: the failed records are passed over.
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), (Messages{523, 524, 524, 541}));
    EXPECT_EQ(Text(1), "Do you want to keep reading the file \"" + path + "\"?");
    EXPECT_EQ(NamesIn(Attached("Figures.nvd")), (Names{"Alpha", "Beta", "Gamma"}));
    // No: reading stops, and what was read before is kept.
    ClearRecordedMessages();
    Answer(531, AnswerNo);
    Answer(524, AnswerNo);
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), (Messages{531, 523, 524, 541}));
    EXPECT_EQ(NamesIn(Attached("Figures1.nvd")), Names{"Alpha"});
}

// The failed lookup of a figure's star walks every file, the new one too; it
// used to drag the file being replaced back in with its old lines.
TEST_F(ImportTest, LookupsBeforeTheFirstObjectLeaveTheNewFileAlone) {
    Store(StarLine("S1", "Alpha"));
    Store(StarLine("S1", "Beta"));
    const std::string path =
        Source("Figures.txt", Line({"C1", "Alpha", "Nobody"}) + "\r\n" +
                                  Line({"C1", "Alpha", "Beta", "AB"}) + "\r\n" +
                                  Line({"C1", "Beta", "Alpha", "BA"}) + "\r\n");
    EXPECT_TRUE(importTextFile(path));
    const ObjectID id = Attached("Figures.nvd");
    ASSERT_NE(id, 0);
    Answer(531, AnswerYes);
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Attached("Figures.nvd"), id);
    EXPECT_EQ(getFile(id)->highestIndex, 2);
    EXPECT_EQ(getFile(id)->lineCount, 2);
}

TEST_F(ImportTest, FileListImportsEveryFileNamed) {
    Source("A.txt", StarLine("S1", "Alpha"));
    Source("B.txt", StarLine("S1", "Beta") + "\r\n" + StarLine("S1", "Gamma"));
    EXPECT_TRUE(importTextFile(Source("FileList.txt", "A.txt\r\nB.txt  \r\n\r\n")));
    EXPECT_EQ(AttachedNames(), (Names{"Custom.nvd", "A.nvd", "B.nvd"}));
    EXPECT_EQ(NamesIn(Attached("B.nvd")), (Names{"Beta", "Gamma"}));
    // A name that merely contains the word is an ordinary text file.
    EXPECT_TRUE(importTextFile(Source("MyFileList.txt", StarLine("S1", "Epsilon"))));
    EXPECT_EQ(NamesIn(Attached("MyFileList.nvd")), Names{"Epsilon"});
    EXPECT_EQ(Numbers(), Messages{});
    // A file that fails: asked whether to go on; Cancel stops, OK goes on.
    const std::string list = Source("FileList.txt", "Missing.txt\r\nD.txt\r\n");
    Source("D.txt", StarLine("S1", "Zeta"));
    Answer(524, AnswerCancel);
    EXPECT_FALSE(importTextFile(list));
    ASSERT_EQ(Numbers(), (Messages{257, 524}));
    EXPECT_EQ(Attached("D.nvd"), 0);
    EXPECT_FALSE(importTextFile(list)) << "one file failed";
    EXPECT_NE(Attached("D.nvd"), 0);
}

} // namespace
