// Import of object text files: the line and field reader, the record builders
// and their unit conversions (checked against values worked out by hand from
// the units involved, against ERFA's precession, and against Meeus's reduction
// of ecliptic elements), and the import driver with its questions, progress
// box, replacement of an existing data file, and clean-up after a failure.

#include "data/Import.h"
#include "data/Names.h"
#include "tests/data/AttachedFiles.h"
#include "tests/data/DataTestSupport.h"

#include <erfa.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <random>

namespace {

using namespace data_test;

// Reference values, written out from their definitions rather than taken
// from the program.
constexpr double kExactPi = 3.14159265358979323846, kDegree = kExactPi / 180.0;
constexpr double kArcsec = kDegree / 3600.0, kArcmin = kDegree / 60.0;
constexpr double kHourAngle = kExactPi / 12.0, kFixedScale = 1073741824.0; // 2^30
constexpr double kEpoch2000 = 2451545.0, kDaysPerJulianYear = 365.25;
constexpr double kKilometresPerAU = 149597870.7, kAUPerParsec = 648000.0 / kExactPi;
constexpr double kSecondsPerDay = 86400.0, kSunPerEarthMass = 332946.0;
constexpr double kGaussK = 0.01720209895; // the mean motion of a 1-AU orbit, radians/day
constexpr double kUnitsPerRadian = kFixedScale / (2.0 * kExactPi); // summary box angles
constexpr std::int16_t kNone = 32767;

double JulianDateOfYear(double year) {
    return kEpoch2000 + (year - 2000.0) * kDaysPerJulianYear;
}

std::string Line(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& field : fields)
        line += (&field == fields.begin() ? "" : "\t") + field;
    return line;
}

// A star (or deep-sky object) line with the fields most tests leave empty.
std::string StarLine(const std::string& kind, const std::string& name,
                     const std::string& ra = "0 0 0", const std::string& dec = "0 0 0",
                     const std::string& magnitudes = "5") {
    return Line({kind, "2000", ra, dec, "", "", magnitudes, "", "", "", "", name});
}

// A body line whose empty orbit fields (semimajor axis, eccentricity, the four
// angles and the epoch, without which no orbit is made) take plain values.
std::string BodyLine(std::initializer_list<std::string> given) {
    std::vector<std::string> fields(given);
    fields.resize(std::max<std::size_t>(fields.size(), 9));
    const char* plain[] = {"1", "0", "0", "0", "0", "0", "2000/1/1.5"};
    for (std::size_t k = 2; k <= 8; ++k)
        if (fields[k].empty()) fields[k] = plain[k - 2];
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k)
        line += (k == 0 ? "" : "\t") + fields[k];
    return line;
}

std::FILE* StreamOf(const std::string& text) {
    std::FILE* stream = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), stream);
    std::rewind(stream);
    return stream;
}

// The first record the text reader makes of `text`.
Owned ReadRecord(const std::string& text, int* result = nullptr) {
    std::FILE* stream = StreamOf(text);
    SkyObject* object = nullptr;
    int status = readTextRecord(stream, &object);
    std::fclose(stream);
    if (result != nullptr) *result = status;
    return Owned(object);
}

// Unit position of a star at (ra, dec) and its change per day when it moves
// by dRa and dDec radians per day and recedes by `radial` of its distance per
// day: the time derivative of (cos d cos a, cos d sin a, sin d).
void StarVectors(double ra, double dec, double dRa, double dDec, double radial, double p[3],
                 double m[3]) {
    const double ca = std::cos(ra), sa = std::sin(ra), cd = std::cos(dec), sd = std::sin(dec);
    p[0] = cd * ca;
    p[1] = cd * sa;
    p[2] = sd;
    m[0] = radial * p[0] - cd * sa * dRa - sd * ca * dDec;
    m[1] = radial * p[1] + cd * ca * dRa - sd * sa * dDec;
    m[2] = radial * p[2] + cd * dDec;
}

// A vector of the mean equator and equinox of jd carried to J2000 with ERFA.
void ErfaToJ2000(double jd, const double in[3], double out[3]) {
    double rp[3][3], p[3] = {in[0], in[1], in[2]};
    eraPmat76(jd, 0.0, rp);
    eraTrxp(rp, p, out);
}

// Meeus, Astronomical Algorithms, "Reduction of ecliptical elements from one
// equinox to another": i, node and argument of perihelion (degrees) of the
// ecliptic and equinox of jd0 referred to those of jd.
void MeeusReduceElements(double jd0, double jd, double i0, double node0, double w0, double* i,
                         double* node, double* w) {
    const double T = (jd0 - kEpoch2000) / 36525.0;
    const double t = (jd - jd0) / 36525.0;
    const double eta = ((47.0029 - 0.06603 * T + 0.000598 * T * T) * t +
                        (-0.03302 + 0.000598 * T) * t * t + 0.000060 * t * t * t) *
                       kArcsec;
    const double bigPi = 174.876384 * kDegree + (3289.4789 * T + 0.60622 * T * T -
                                                 (869.8089 + 0.50491 * T) * t + 0.03536 * t * t) *
                                                    kArcsec;
    const double p = ((5029.0966 + 2.22226 * T - 0.000042 * T * T) * t +
                      (1.11113 - 0.000042 * T) * t * t - 0.000006 * t * t * t) *
                     kArcsec;
    const double si0 = std::sin(i0 * kDegree), ci0 = std::cos(i0 * kDegree);
    const double d = node0 * kDegree - bigPi;
    const double a = si0 * std::sin(d);
    const double b = -std::sin(eta) * ci0 + std::cos(eta) * si0 * std::cos(d);
    const double c = ci0 * std::cos(eta) + si0 * std::sin(eta) * std::cos(d);
    *i = std::atan2(std::hypot(a, b), c) / kDegree;
    *node = std::fmod((bigPi + p + std::atan2(a, b)) / kDegree + 720.0, 360.0);
    const double dw = std::atan2(-std::sin(eta) * std::sin(d),
                                 si0 * std::cos(eta) - ci0 * std::sin(eta) * std::cos(d));
    *w = std::fmod(w0 + dw / kDegree + 720.0, 360.0);
}

// Difference of two angles in radians, folded into (-pi, pi].
double AngleDifference(double a, double b) {
    return std::remainder(a - b, 2.0 * kExactPi);
}

double AngleBetween(const double a[3], const double b[3]) {
    const double cross[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                             a[0] * b[1] - a[1] * b[0]};
    return std::atan2(std::sqrt(cross[0] * cross[0] + cross[1] * cross[1] + cross[2] * cross[2]),
                      a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
}

// The progress box is reached through the search clock: resolving the names
// of a "C1" line reads it while the import's box is up.
bool gPressCancel = false;
std::string gCaptionSeen;

long ProgressWatchingClock() {
    if (WindowRef box = ProgressWindow()) {
        gCaptionSeen = GetItemText(box, 1); // the caption
        if (gPressCancel) PressButton(box, kCancelButton);
    }
    return 0;
}

std::vector<ObjectID> gWrittenFiles;
void RecordWrittenFile(ObjectID fileId) {
    gWrittenFiles.push_back(fileId);
}

class ImportTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        gPressCancel = false;
        gCaptionSeen.clear();
        gWrittenFiles.clear();
        ASSERT_TRUE(checkDatabaseDirectory());
        ASSERT_EQ(Numbers(), Messages{528});
        customId = Attached("Custom.nvd");
        ASSERT_NE(customId, 0);
        ClearRecordedMessages();
    }
    // An object of the user's own in the custom file, written to disk, that
    // no failed import may touch.
    void StoreResident() {
        SiteObject* home = NewSiteObject();
        home->name = CopyText("Home");
        ASSERT_NE(addObject(home, customId), 0);
        ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
        residentBytes = ReadAll(In("Custom.nvd"));
    }
    void ExpectResidentIntact() const {
        EXPECT_EQ(ReadAll(In("Custom.nvd")), residentBytes);
        EXPECT_EQ(NamesIn(customId), std::vector<std::string>{"Home"});
    }
    // Puts an object built from one line into the custom file, where lines
    // and bodies of later records can find it.
    ObjectID Store(const std::string& line) {
        Owned object = ReadRecord(line);
        ObjectID id = object ? addObject(object.get(), customId) : 0;
        EXPECT_NE(id, 0) << line;
        if (id != 0) object.release();
        return id;
    }

    ObjectID customId = 0;
    std::string residentBytes;
};
// ---------------------------------------------------------------------------
// Lines and fields

TEST_F(ImportTest, LinesEndAtAnyLineEndAndAreReadWhole) {
    std::FILE* stream =
        StreamOf("one\rtwo\nthree\r\nfour\r\r\n" + std::string(2500, 'x') + "\n" + "last");
    ASSERT_NE(stream, nullptr);
    const std::vector<std::string> expected = {
        "one", "two", "three", "four", "", std::string(2500, 'x'), "last"};
    std::vector<std::string> pieces;
    std::string line;
    while (readImportLine(stream, line) && pieces.size() < 20)
        pieces.push_back(line);
    EXPECT_EQ(pieces, expected);
    EXPECT_FALSE(readImportLine(stream, line)) << "the end stays the end";
    std::fclose(stream);

    stream = StreamOf("");
    EXPECT_FALSE(readImportLine(stream, line)) << "an empty file has no line";
    std::fclose(stream);
}

TEST_F(ImportTest, LinesSplitIntoSixteenFields) {
    std::vector<std::string> fields = splitImportFields("S1\t2000");
    ASSERT_EQ(fields.size(), 16u);
    EXPECT_EQ(fields[0], "S1");
    EXPECT_EQ(fields[1], "2000");
    for (int f = 2; f < 16; ++f)
        EXPECT_TRUE(fields[f].empty()) << "missing field " << f;

    std::string line;
    for (int f = 0; f < 20; ++f)
        line += (f > 0 ? "\t" : "") + std::string("f") + std::to_string(f);
    fields = splitImportFields(line);
    ASSERT_EQ(fields.size(), 16u);
    EXPECT_EQ(fields[14], "f14");
    EXPECT_EQ(fields[15], "f15\tf16\tf17\tf18\tf19") << "further TABs stay in the last field";

    for (const char* text : {"", "\t", "\t\t\t"}) {
        fields = splitImportFields(text);
        ASSERT_EQ(fields.size(), 16u) << '"' << text << '"';
        for (const std::string& field : fields)
            EXPECT_TRUE(field.empty()) << '"' << text << '"';
    }
    // An empty field keeps its place: the name is still field 11.
    fields = splitImportFields("S1\t\t\t\t\t\t\t\t\t\t\tVega\t\t");
    EXPECT_EQ(fields[11], "Vega");
    EXPECT_EQ(fields[10], "");
}

TEST_F(ImportTest, OnlyLinesOfTheFourKindsAreRecords) {
    const std::string text =
        "\r\n# note\r\nX1\tfoo\r\n \tS1\r\n1\t2\r\nZ\r\n" + StarLine("s1", "lower case") + "\r\n";
    std::FILE* stream = StreamOf(text);
    SkyObject* object = nullptr;
    EXPECT_EQ(readTextRecord(stream, &object), kRecordRead);
    Owned star(object);
    ASSERT_NE(AsCatalog(star.get()), nullptr);
    EXPECT_EQ(star->type, kTypeSingleStar);
    EXPECT_EQ(DisplayName(star.get()), "lower case");
    EXPECT_EQ(readTextRecord(stream, &object), kRecordEndOfFile);
    EXPECT_EQ(object, nullptr);
    std::fclose(stream);
    EXPECT_TRUE(RecordedMessages().empty());

    // Every kind letter, in either case.
    for (const char* kind : {"p11", "P11", "l", "L"}) {
        int result = 0;
        Owned o =
            ReadRecord(std::string(kind) + "\t20\t1\t0\t0\t0\t0\t0\t2000/1/1.5\t\t\t\tX", &result);
        EXPECT_EQ(result, kRecordRead) << kind;
        EXPECT_NE(o, nullptr) << kind;
    }
}

// ---------------------------------------------------------------------------
// Stars and deep-sky objects

TEST_F(ImportTest, StarPositionAndMotionWorkedByHand) {
    // Barnard's Star: the largest proper motion, approaching fast, close by.
    Owned object =
        ReadRecord(Line({"S1", "2000.0", "17 57 48.97", "+04 41 36.1", "-0.05342", "10.32812",
                         "9.54", "1.57", "-110.6", "1.8266", "0", "Barnard's Star"}));
    const CatalogObject* star = AsCatalog(object.get());
    ASSERT_NE(star, nullptr);
    const double ra = (17.0 + 57.0 / 60.0 + 48.97 / 3600.0) * kHourAngle;
    const double dec = (4.0 + 41.0 / 60.0 + 36.1 / 3600.0) * kDegree;
    // Seconds of time (15") and arcseconds per Julian year, to radians per day.
    const double dRa = -0.05342 * 15.0 * kArcsec / kDaysPerJulianYear;
    const double dDec = 10.32812 * kArcsec / kDaysPerJulianYear;
    const double velocity = -110.6 * kSecondsPerDay / kKilometresPerAU; // AU per day
    const double distance = 1.8266 * kAUPerParsec;                      // AU
    double p[3], m[3];
    StarVectors(ra, dec, dRa, dDec, velocity / distance, p, m);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(star->position[c], p[c] * kFixedScale, 2.0) << c;
        EXPECT_NEAR(star->motion[c], m[c] * kFixedScale, 1.0) << c;
    }
    // The motion is about 148 units a day across the sky and 182 towards us.
    double along = 0.0, total = 0.0;
    for (int c = 0; c < 3; ++c) {
        along += star->motion[c] * p[c];
        total += static_cast<double>(star->motion[c]) * star->motion[c];
    }
    EXPECT_NEAR(along, -182.0, 1.5);
    EXPECT_NEAR(std::sqrt(total - along * along), 147.6, 1.5);

    EXPECT_NEAR(star->catalogDistance, 376763.3, 0.05);
    EXPECT_NEAR(star->radialVelocity, -0.0638768, 1e-7);
    EXPECT_EQ(star->catalogMagnitude, 954);
    EXPECT_EQ(star->colorIndex, 157);
    EXPECT_EQ(star->variableRange, kNone);
    EXPECT_EQ(star->companionOffset, kNone);
    EXPECT_EQ(star->size, 0.0f);
    EXPECT_EQ(DisplayName(star), "Barnard's Star");
}

TEST_F(ImportTest, MagnitudeFieldsFollowTheType) {
    const struct {
        const char* kind;
        const char* magnitudes;
        std::int16_t v, range, companion;
    } cases[] = {
        {"S3", "6.2-7.4", 620, 120, kNone},
        {"S3", "-1.5-2.0", -150, 350, kNone}, // a negative brightest magnitude
        {"S3", "6.2", 620, kNone, kNone},
        {"S3", "6.2-6.3", 620, 10, kNone}, // 6.3 - 6.2 is 0.0999... in binary
        {"S2", "2.27,3.95", 227, kNone, 168},
        {"S2", "2.27", 227, kNone, kNone},
        {"S2", ",3.95", kNone, kNone, kNone}, // nothing without V
        {"S4", "5.5-7.25,8", 550, 175, 250},
        {"S4", "5.5-7.25", 550, 175, kNone},
        {"S4", "5.5,8", 550, kNone, 250},
        {"S1", "6.2-7.4", 620, kNone, kNone}, // single stars read V alone
        {"S1", "4.35", 435, kNone, kNone},    // 434.99999... hundredths in binary
        {"S1", "9.54", 954, kNone, kNone},
        {"S1", "-26.74", -2674, kNone, kNone},
        {"S15", "8.4", 840, kNone, kNone},
        {"S1", "", kNone, kNone, kNone},
        {"S1", "bright", kNone, kNone, kNone},
        {"S3", "-", kNone, kNone, kNone},
    };
    for (const auto& c : cases) {
        Owned object = ReadRecord(StarLine(c.kind, "x", "0 0 0", "0 0 0", c.magnitudes));
        const CatalogObject* star = AsCatalog(object.get());
        ASSERT_NE(star, nullptr) << c.kind << " " << c.magnitudes;
        EXPECT_EQ(star->catalogMagnitude, c.v) << c.kind << " " << c.magnitudes;
        EXPECT_EQ(star->variableRange, c.range) << c.kind << " " << c.magnitudes;
        EXPECT_EQ(star->companionOffset, c.companion) << c.kind << " " << c.magnitudes;
    }

    const struct {
        const char* text;
        std::int16_t colour;
    } colours[] = {{"0.29", 29}, {"-0.03", -3}, {"1.57", 157}, {"", kNone}, {"red", kNone}};
    for (const auto& c : colours) {
        Owned object =
            ReadRecord(Line({"S1", "", "0 0 0", "0 0 0", "", "", "1", c.text, "", "", "", "x"}));
        ASSERT_NE(AsCatalog(object.get()), nullptr) << c.text;
        EXPECT_EQ(AsCatalog(object.get())->colorIndex, c.colour) << '"' << c.text << '"';
    }
}

TEST_F(ImportTest, SexagesimalFieldsAndTheSignOfTheDeclination) {
    const struct {
        const char* ra;
        const char* dec;
        double hours, degrees;
    } cases[] = {
        {"0 0 0", "-0 30 00", 0.0, -0.5}, // southern although the degrees read as 0
        {"0 0 0", "+0 30 00", 0.0, 0.5},
        {"0 0 0", "0 30 00", 0.0, 0.5},
        {"12 30 45.5", "-12 15 36", 12.0 + 30.0 / 60.0 + 45.5 / 3600.0, -(12.25 + 36.0 / 3600.0)},
        {"6 30", "45", 6.5, 45.0},
        {"23 59 59.9", "-89 59 59", 23.0 + 59.0 / 60.0 + 59.9 / 3600.0,
         -(89.0 + 59.0 / 60.0 + 59.0 / 3600.0)},
    };
    // A position that does not read, or lies outside the sky, makes no star.
    for (const auto& [ra, dec] :
         std::vector<std::pair<const char*, const char*>>{{"", "0"},
                                                          {"0", ""},
                                                          {"x", "0"},
                                                          {"24 0 1", "0"},
                                                          {"-1 0 0", "0"},
                                                          {"12 60 0", "0"},
                                                          {"0", "+90 0 1"},
                                                          {"0", "45 0 60"},
                                                          {"0", "nan"},
                                                          {"1 2 3 4", "0"}}) {
        int result = 0;
        EXPECT_EQ(ReadRecord(StarLine("S1", "x", ra, dec), &result), nullptr) << ra << " / " << dec;
        EXPECT_EQ(result, kRecordFailed) << ra << " / " << dec;
    }
    for (const auto& c : cases) {
        Owned object = ReadRecord(StarLine("S1", "x", c.ra, c.dec));
        const CatalogObject* star = AsCatalog(object.get());
        ASSERT_NE(star, nullptr) << c.ra << " / " << c.dec;
        double p[3], m[3];
        StarVectors(c.hours * kHourAngle, c.degrees * kDegree, 0.0, 0.0, 0.0, p, m);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(star->position[k], p[k] * kFixedScale, 2.0)
                << c.ra << " / " << c.dec << " component " << k;
    }
    Owned south = ReadRecord(StarLine("S1", "x", "0 0 0", "-0 30 00"));
    EXPECT_EQ(AsCatalog(south.get())->position[2], -9370046) << "sin(-0.5 deg) x 2^30, truncated";
}

TEST_F(ImportTest, SizesDistancesAndVelocitiesInTheProgramsUnits) {
    // Separation of a star's companion in arcseconds, a deep-sky size in arcminutes.
    Owned star = ReadRecord(Line({"S2", "", "0 0 0", "0 0 0", "", "", "", "", "", "", "10", "x"}));
    EXPECT_NEAR(AsCatalog(star.get())->size, 10.0 * kArcsec, 1e-12);
    Owned guide = ReadRecord(Line({"S6", "", "0 0 0", "0 0 0", "", "", "", "", "", "", "10", "x"}));
    EXPECT_NEAR(AsCatalog(guide.get())->size, 10.0 * kArcsec, 1e-12);
    Owned galaxy =
        ReadRecord(Line({"S15", "", "0 0 0", "0 0 0", "", "", "", "", "", "", "10", "x"}));
    EXPECT_NEAR(AsCatalog(galaxy.get())->size, 10.0 * kArcmin, 1e-9);
    Owned cluster =
        ReadRecord(Line({"S11", "", "0 0 0", "0 0 0", "", "", "", "", "", "", "0.5", "x"}));
    EXPECT_NEAR(AsCatalog(cluster.get())->size, 0.5 * kArcmin, 1e-11);

    // Distance in parsecs; a radial velocity without a distance moves nothing.
    Owned far = ReadRecord(Line({"S1", "", "0 0 0", "0 0 0", "", "", "", "", "20", "10", "", "x"}));
    const CatalogObject* c = AsCatalog(far.get());
    EXPECT_NEAR(c->catalogDistance, 10.0 * kAUPerParsec, 0.2);
    EXPECT_NEAR(c->radialVelocity, 20.0 * kSecondsPerDay / kKilometresPerAU, 1e-9);
    EXPECT_NE(c->motion[0], 0) << "receding along +x";
    Owned noDistance =
        ReadRecord(Line({"S1", "", "0 0 0", "0 0 0", "", "", "", "", "20", "", "", "x"}));
    c = AsCatalog(noDistance.get());
    EXPECT_TRUE(std::isinf(c->catalogDistance));
    EXPECT_NEAR(c->radialVelocity, 20.0 * kSecondsPerDay / kKilometresPerAU, 1e-9);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(c->motion[k], 0);
    Owned zeroDistance =
        ReadRecord(Line({"S1", "", "0 0 0", "0 0 0", "", "", "", "", "20", "0", "", "x"}));
    c = AsCatalog(zeroDistance.get());
    EXPECT_EQ(c->catalogDistance, 0.0f);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(c->motion[k], 0) << "no radial term from a distance of 0";
}

TEST_F(ImportTest, UnreadableStarFieldsTakeTheirDefaults) {
    Owned object = ReadRecord(
        Line({"S1", "", "0 0 0", "0 0 0", "?", "?", "?", "?", "?", "?", "?", "Junk", "more"}));
    const CatalogObject* star = AsCatalog(object.get());
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->position[0], 1073741824) << "equinox 2000: not precessed";
    EXPECT_EQ(star->position[1], 0);
    EXPECT_EQ(star->position[2], 0);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(star->motion[c], 0);
    EXPECT_EQ(star->catalogMagnitude, kNone);
    EXPECT_EQ(star->colorIndex, kNone);
    EXPECT_TRUE(std::isinf(star->catalogDistance));
    EXPECT_TRUE(std::isinf(star->radialVelocity));
    EXPECT_EQ(star->size, 0.0f);
    EXPECT_EQ(DisplayName(star), "Junk");
    // Designations in the name field become identifiers.
    object = ReadRecord(
        Line({"S11", "", "0 0 0", "0 0 0", "", "", "", "", "", "", "", "M45; Pleiades"}));
    ASSERT_EQ(AsCatalog(object.get())->identifierCount, 1);
    EXPECT_EQ(IdentifierCatalog(AsCatalog(object.get())->identifiers[0]), kCatalogMessier);

    // Type numbers: 50 + n for the fifteen types there are, 51 for anything else.
    const struct {
        const char* kind;
        int type;
    } types[] = {{"S1", 51},  {"S6", 56},  {"S11", 61},  {"S15", 65}, {"S99", 51},
                 {"S", 51},   {"S0", 51},  {"S-49", 51}, {"S7", 51},  {"S10", 51},
                 {"S16", 51}, {"s12", 62}, {"S 3", 53}};
    for (const auto& t : types) {
        int result = 0;
        Owned o = ReadRecord(StarLine(t.kind, "x"), &result);
        EXPECT_EQ(result, kRecordRead) << t.kind;
        ASSERT_NE(o, nullptr) << t.kind;
        EXPECT_EQ(o->type, t.type) << t.kind;
    }
    EXPECT_EQ(Numbers(), Messages{}) << "no type is a reason to complain";
}

TEST_F(ImportTest, NamesLongerThan255CharactersAreCut) {
    const std::string longName(300, 'n');
    Owned star = ReadRecord(StarLine("S1", longName));
    EXPECT_EQ(DisplayName(star.get()), longName.substr(0, 255));
    Owned comet =
        ReadRecord(BodyLine({"P11", "", "", "", "", "", "", "", "", "", "", "", longName}));
    EXPECT_EQ(DisplayName(comet.get()), longName.substr(0, 255));
    Owned site = ReadRecord(Line({"L", "0", "0", "", "", longName}));
    EXPECT_EQ(DisplayName(site.get()), longName.substr(0, 255));
    Store(StarLine("S1", "First"));
    Store(StarLine("S1", "Second"));
    Owned line = ReadRecord(Line({"C1", "First", "Second", longName}));
    ASSERT_NE(AsLine(line.get()), nullptr);
    EXPECT_EQ(std::string(AsLine(line.get())->label.get()), longName.substr(0, 255));
}

TEST_F(ImportTest, PositionsOfAnotherEquinoxArePrecessedWithTheirMotion) {
    // Regulus for the equinox and epoch 1950.0 (a Julian year count).
    const std::string line = Line({"S1", "1950", "10 05 42.6", "+12 12 45", "-0.0169", "0.006",
                                   "1.35", "-0.11", "5.9", "24.3", "", "Regulus"});
    Owned object = ReadRecord(line);
    const CatalogObject* star = AsCatalog(object.get());
    ASSERT_NE(star, nullptr);
    const double jd = JulianDateOfYear(1950.0);
    double p[3], m[3];
    StarVectors((10.0 + 5.0 / 60.0 + 42.6 / 3600.0) * kHourAngle,
                (12.0 + 12.0 / 60.0 + 45.0 / 3600.0) * kDegree,
                -0.0169 * 15.0 * kArcsec / kDaysPerJulianYear, 0.006 * kArcsec / kDaysPerJulianYear,
                (5.9 * kSecondsPerDay / kKilometresPerAU) / (24.3 * kAUPerParsec), p, m);
    double p2000[3], m2000[3];
    ErfaToJ2000(jd, p, p2000);
    ErfaToJ2000(jd, m, m2000);
    for (int c = 0; c < 3; ++c) {
        const double expected = p2000[c] + m2000[c] * (kEpoch2000 - jd);
        EXPECT_NEAR(star->position[c], expected * kFixedScale, 3.0) << c;
        EXPECT_NEAR(star->motion[c], m2000[c] * kFixedScale, 1.0) << c;
    }
    // Fifty years of precession move Regulus by about 0.7 degrees.
    double stored[3] = {star->position[0] / kFixedScale, star->position[1] / kFixedScale,
                        star->position[2] / kFixedScale};
    EXPECT_NEAR(AngleBetween(p, stored) / kDegree, 0.70, 0.05);

    // A second line of the same equinox, and one of another, come out right too
    // (the matrix is kept between lines of one equinox).
    for (double year : {1950.0, 1875.0, 1950.0, 2050.5}) {
        char field[32];
        std::snprintf(field, sizeof field, "%.1f", year);
        Owned o =
            ReadRecord(Line({"S1", field, "3 0 0", "-20 0 0", "", "", "", "", "", "", "", "x"}));
        double q[3], none[3], q2000[3];
        StarVectors(3.0 * kHourAngle, -20.0 * kDegree, 0.0, 0.0, 0.0, q, none);
        ErfaToJ2000(JulianDateOfYear(year), q, q2000);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(AsCatalog(o.get())->position[c], q2000[c] * kFixedScale, 3.0)
                << year << " component " << c;
    }
}

TEST_F(ImportTest, NutationOptionAddsTheNutationOfJ2000) {
    const std::string line =
        Line({"S1", "1950", "5 55 10.3", "+7 24 25", "", "", "0.5", "", "", "", "", "Betelgeuse"});
    Owned mean = ReadRecord(line);
    setImportNutation(true);
    Owned withNutation = ReadRecord(line);
    setImportNutation(false);
    Owned meanAgain = ReadRecord(line);

    double p[3], m[3], p2000[3], expected[3];
    StarVectors((5.0 + 55.0 / 60.0 + 10.3 / 3600.0) * kHourAngle,
                (7.0 + 24.0 / 60.0 + 25.0 / 3600.0) * kDegree, 0.0, 0.0, 0.0, p, m);
    ErfaToJ2000(JulianDateOfYear(1950.0), p, p2000);
    double nutation[3][3];
    eraNutm80(kEpoch2000, 0.0, nutation);
    eraRxp(nutation, p2000, expected);

    auto vector = [](const Owned& o) {
        const CatalogObject* c = AsCatalog(o.get());
        return std::vector<double>{c->position[0] / kFixedScale, c->position[1] / kFixedScale,
                                   c->position[2] / kFixedScale};
    };
    std::vector<double> a = vector(withNutation), b = vector(mean), c = vector(meanAgain);
    // The program's nutation is a short series, good to about half an arcsecond.
    EXPECT_LT(AngleBetween(a.data(), expected) / kArcsec, 1.0);
    EXPECT_GT(AngleBetween(a.data(), b.data()) / kArcsec, 5.0) << "nutation made no difference";
    EXPECT_LT(AngleBetween(b.data(), p2000) / kArcsec, 0.001);
    EXPECT_EQ(b, c) << "switching nutation off again must rebuild the kept matrix";
}

// ---------------------------------------------------------------------------
// Solar-system bodies

TEST_F(ImportTest, SolarSystemElementsConverted) {
    Owned object =
        ReadRecord(BodyLine({"P12", "2000", "2.767", "0.0785", "10.59", "73.6", "80.3", "95.99",
                             "2000/1/1.5", "3.34 0.12", "469.7", "0.000157", "Ceres"}));
    const SolarSystemObject* ceres = AsSolarSystem(object.get());
    ASSERT_NE(ceres, nullptr);
    EXPECT_EQ(ceres->type, kTypeAsteroid);
    EXPECT_EQ(ceres->primary, 0);
    const float* el = ceres->elements;
    EXPECT_NEAR(el[kPerihelionDistance], 2.767 * (1.0 - 0.0785), 1e-6);
    EXPECT_NEAR(el[kEccentricity], 0.0785, 1e-7);
    EXPECT_NEAR(el[kInclination], 10.59 * kDegree, 1e-7);
    EXPECT_NEAR(el[kArgumentOfPerihelion], 73.6 * kDegree, 1e-7);
    EXPECT_NEAR(el[kAscendingNode], 80.3 * kDegree, 1e-7);
    EXPECT_NEAR(el[kMeanAnomaly], 95.99 * kDegree, 1e-7);
    // Kepler's third law: n = k a^-1.5; Ceres moves 0.214 degrees a day.
    EXPECT_NEAR(el[kMeanMotion], kGaussK / std::pow(2.767, 1.5), 1e-9);
    EXPECT_NEAR(el[kMeanMotion] / kDegree, 0.2141, 0.0002);
    EXPECT_EQ(el[kMeanMotionRate], 0.0f);
    EXPECT_EQ(el[kPerihelionRate], 0.0f);
    EXPECT_EQ(el[kNodeRate], 0.0f);
    EXPECT_NEAR(el[kRadius], 469.7 / kKilometresPerAU, 1e-12);
    EXPECT_NEAR(el[kMass], 0.000157 / kSunPerEarthMass, 1e-15);
    EXPECT_NEAR(ceres->epoch, 51544.5, 0.004) << "J2000.0 as a Modified Julian Date";
    EXPECT_EQ(ceres->magnitudeParam1, 334);
    EXPECT_EQ(ceres->magnitudeParam2, 12);
    EXPECT_EQ(DisplayName(ceres), "Ceres");

    // The epoch: Sputnik 1's launch, 1957 October 4.81, is JD 2436116.31.
    const struct {
        const char* text;
        double mjd;
    } epochs[] = {{"1957/10/4.81", 36115.81},
                  {"1986/2/9.45891", 46470.45891},
                  {"2000/1/1.5", 51544.5},
                  {"", 51544.5},
                  {"1582/10/15", -100840.0}}; // the first Gregorian day
    for (const auto& e : epochs) {
        Owned o = ReadRecord(BodyLine({"P11", "", "1", "", "", "", "", "", e.text}));
        ASSERT_NE(AsSolarSystem(o.get()), nullptr) << e.text;
        EXPECT_NEAR(AsSolarSystem(o.get())->epoch, e.mjd, 0.008) << '"' << e.text << '"';
    }

    // Magnitude parameters: two, one or none.
    const struct {
        const char* text;
        std::int16_t first, second;
    } params[] = {{"5.5 8", 550, 800},
                  {"5.5", 550, kNone},
                  {"", kNone, kNone},
                  {"g k", kNone, kNone},
                  {"-0.29", -29, kNone}};
    for (const auto& p : params) {
        Owned o = ReadRecord(BodyLine({"P11", "", "1", "", "", "", "", "", "", p.text}));
        EXPECT_EQ(AsSolarSystem(o.get())->magnitudeParam1, p.first) << '"' << p.text << '"';
        EXPECT_EQ(AsSolarSystem(o.get())->magnitudeParam2, p.second) << '"' << p.text << '"';
    }
}

TEST_F(ImportTest, PerihelionDistanceAndMeanMotionForEveryConic) {
    const struct {
        const char* a;
        const char* e;
        double q, n;
    } cases[] = {
        {"1", "0", 1.0, kGaussK},                                   // the Earth's orbit, roughly
        {"", "", 1.0, kGaussK},                                     // the defaults
        {"2", "0.5", 1.0, kGaussK / std::pow(2.0, 1.5)},            // ellipse: q = a(1 - e)
        {"2", "1.5", 1.0, kGaussK / std::pow(2.0, 1.5)},            // hyperbola: q = a(e - 1)
        {"-0.5", "1", 0.5, 3.0 * kGaussK / std::sqrt(2.0 * 0.125)}, // parabola from q
        {"-0.5", "0.5", 0.5, kGaussK},                              // -a is q whatever e is
        {"-2", "1.5", 2.0, kGaussK / 8.0},                          // a = q/(e - 1) = 4
        {"3", "1", 0.0, 0.0},                                       // a parabola needs q
    };
    for (const auto& c : cases) {
        Owned o = ReadRecord(BodyLine({"P11", "", c.a, c.e}));
        const SolarSystemObject* body = AsSolarSystem(o.get());
        ASSERT_NE(body, nullptr) << c.a << " " << c.e;
        EXPECT_NEAR(body->elements[kPerihelionDistance], c.q, 1e-7) << c.a << " " << c.e;
        EXPECT_NEAR(body->elements[kMeanMotion], c.n, c.n * 1e-7) << c.a << " " << c.e;
    }
}

TEST_F(ImportTest, MeanMotionAboutAPrimaryUsesBothMasses) {
    ObjectID earth =
        Store(BodyLine({"P4", "2000", "1.00000011", "0.01671022", "0.00005", "102.94719",
                        "-11.26064", "100.46435", "2000/1/1.5", "", "6378.14", "1", "Earth"}));
    ASSERT_NE(earth, 0);
    // The Moon about the Earth at 384,400 km: the two-body mean motion with the
    // Earth's and the Moon's GM, 403,503 km^3/s^2, is 0.23028 radians a day.
    for (const char* primary : {"Earth", "EARTH", " earth "}) {
        Owned object = ReadRecord(
            BodyLine({"P15", "2000", "0.0025695553", "0.0549", "5.145", "318.15", "125.08",
                      "135.27", "2000/1/1.5", "0.21", "1737.4", "0.0123", "Moon", primary}));
        const SolarSystemObject* moon = AsSolarSystem(object.get());
        ASSERT_NE(moon, nullptr) << primary;
        EXPECT_EQ(moon->primary, earth) << primary;
        const double a = 384400.0;
        const double expected = std::sqrt((398600.4418 + 4902.8001) / (a * a * a)) * kSecondsPerDay;
        EXPECT_NEAR(moon->elements[kMeanMotion], expected, expected * 1e-5) << primary;
        EXPECT_NEAR(moon->elements[kMass], 0.0123 / kSunPerEarthMass, 1e-12);
    }
    EXPECT_EQ(Numbers(), Messages{});

    int result = 0;
    Owned orphan = ReadRecord(
        BodyLine({"P15", "2000", "0.00257", "", "", "", "", "", "", "", "", "", "Moon", "Terra"}),
        &result);
    EXPECT_EQ(orphan, nullptr);
    EXPECT_EQ(result, kRecordFailed);
    EXPECT_EQ(Numbers(), Messages{523});
    EXPECT_EQ(Text(0), "There's no object containing the name \"Terra\" in memory!");
}

TEST_F(ImportTest, UnknownAndUnreadableSolarSystemFields) {
    const struct {
        const char* kind;
        int type;
    } types[] = {{"P77", kTypeComet},    {"P", kTypeComet},   {"P0", kTypeComet},
                 {"P39", kTypeComet},    {"P-4", kTypeComet}, {"P4", kTypeEarth},
                 {"p12", kTypeAsteroid}, {"P38", kTypeCharon}};
    for (const auto& t : types) {
        Owned o = ReadRecord(BodyLine({t.kind, "2000", "1"}));
        ASSERT_NE(o, nullptr) << t.kind;
        EXPECT_EQ(o->type, t.type) << t.kind;
    }
    // An orbit field that does not read makes no body; the optional ones
    // (magnitudes, radius, mass) take their defaults.
    for (const std::string& line :
         {Line({"P12", "when", "1", "0", "0", "0", "0", "0", "2000/1/1.5"}),
          Line({"P12", "", "far", "0", "0", "0", "0", "0", "2000/1/1.5"}),
          Line({"P12", "", "1", "-0.1", "0", "0", "0", "0", "2000/1/1.5"}),
          Line({"P12", "", "1", "0", "x", "0", "0", "0", "2000/1/1.5"}),
          Line({"P12", "", "1", "0", "0", "0", "0", "nan", "2000/1/1.5"}),
          Line({"P12", "", "1", "0", "0", "0", "0", "0", "soon"}),
          Line({"P12", "", "1", "0", "0", "0", "0", "0", "2000/13/1"}), Line({"Pxyz", "", "1"})}) {
        int result = 0;
        EXPECT_EQ(ReadRecord(line, &result), nullptr) << line;
        EXPECT_NE(result, kRecordRead) << line;
    }
    Owned object =
        ReadRecord(BodyLine({"P12", "", "", "", "", "", "", "", "", "x x", "big", "heavy", ""}));
    const SolarSystemObject* body = AsSolarSystem(object.get());
    ASSERT_NE(body, nullptr);
    const float* el = body->elements;
    EXPECT_EQ(el[kPerihelionDistance], 1.0f);
    EXPECT_EQ(el[kEccentricity], 0.0f);
    EXPECT_EQ(el[kInclination], 0.0f) << "equinox 2000: not carried anywhere";
    EXPECT_EQ(el[kArgumentOfPerihelion], 0.0f);
    EXPECT_EQ(el[kAscendingNode], 0.0f);
    EXPECT_EQ(el[kMeanAnomaly], 0.0f);
    EXPECT_NEAR(el[kMeanMotion], kGaussK, 1e-9);
    EXPECT_EQ(el[kRadius], 0.0f);
    EXPECT_EQ(el[kMass], 0.0f);
    EXPECT_NEAR(body->epoch, 51544.5, 0.004);
    EXPECT_EQ(body->magnitudeParam1, kNone);
    EXPECT_EQ(body->magnitudeParam2, kNone);
    EXPECT_EQ(body->name, nullptr);
    EXPECT_EQ(Numbers(), Messages{});
}

TEST_F(ImportTest, ElementsOfAnotherEquinoxAreCarriedToJ2000) {
    // Comet Encke for B1950 (Meeus, example 24.a): at J2000 i = 11.94524,
    // node = 334.75006 and perihelion argument = 186.23352 degrees.
    Owned encke =
        ReadRecord(BodyLine({"P11", "1950", "2.2091404", "0.8502196", "11.93911", "186.24444",
                             "334.04096", "0", "1990/10/28.54502", "", "", "", "Encke"}));
    const SolarSystemObject* body = AsSolarSystem(encke.get());
    ASSERT_NE(body, nullptr);
    EXPECT_NEAR(body->elements[kInclination] / kDegree, 11.94524, 5e-5);
    EXPECT_NEAR(body->elements[kAscendingNode] / kDegree, 334.75006, 5e-5);
    EXPECT_NEAR(body->elements[kArgumentOfPerihelion] / kDegree, 186.23352, 5e-5);
    EXPECT_NEAR(body->elements[kPerihelionDistance], 2.2091404 * (1.0 - 0.8502196), 1e-6)
        << "the shape of the orbit does not precess";

    const double jd1950 = JulianDateOfYear(1950.0);
    const struct {
        const char* what;
        double i, node, w;
    } orbits[] = {{"Encke", 11.93911, 334.04096, 186.24444},
                  {"polar", 90.0, 0.0, 0.0},
                  {"polar at node 100", 90.0, 100.0, 40.0},
                  {"retrograde", 162.26, 58.86, 111.33},
                  {"steep", 45.0, 200.0, 300.0}};
    for (const auto& o : orbits) {
        char i[32], node[32], w[32];
        std::snprintf(i, sizeof i, "%.5f", o.i);
        std::snprintf(node, sizeof node, "%.5f", o.node);
        std::snprintf(w, sizeof w, "%.5f", o.w);
        Owned object = ReadRecord(BodyLine({"P11", "1950", "3", "0.5", i, w, node}));
        const float* el = AsSolarSystem(object.get())->elements;
        double ei, enode, ew;
        MeeusReduceElements(jd1950, kEpoch2000, o.i, o.node, o.w, &ei, &enode, &ew);
        EXPECT_NEAR(el[kInclination], ei * kDegree, 2e-6) << o.what;
        EXPECT_NEAR(AngleDifference(el[kAscendingNode], enode * kDegree), 0.0, 2e-6) << o.what;
        EXPECT_NEAR(AngleDifference(el[kArgumentOfPerihelion], ew * kDegree), 0.0, 2e-6) << o.what;
    }

    // A polar orbit's node slides along the ecliptic with the equinox: by the
    // general precession in longitude, 50.29" a year, so 0.698 degrees.
    Owned polar = ReadRecord(BodyLine({"P11", "1950", "3", "0.5", "90", "0", "0"}));
    EXPECT_NEAR(AsSolarSystem(polar.get())->elements[kAscendingNode] / kDegree, 0.6984, 0.001);

    // An orbit in the ecliptic of 1950 keeps within the ecliptic's own motion of
    // the J2000 one (47" a century, so 23.5"), and its longitude of perihelion
    // advances by the general precession.
    Owned flat = ReadRecord(BodyLine({"P11", "1950", "3", "0.5", "0", "30", "0"}));
    const float* el = AsSolarSystem(flat.get())->elements;
    EXPECT_NEAR(el[kInclination] / kArcsec, 23.51, 0.1);
    const double perihelionLongitude = std::remainder(
        static_cast<double>(el[kAscendingNode]) + el[kArgumentOfPerihelion], 2.0 * kExactPi);
    EXPECT_NEAR(perihelionLongitude / kDegree, 30.0 + 0.6984, 0.001);
}

TEST_F(ImportTest, EarthSatelliteMeanMotionFromItsSemiMajorAxis) {
    // A space station 400 km up: a = 6778 km, i = 51.6 degrees.
    const double a = 6778.0;
    char axis[32];
    std::snprintf(axis, sizeof axis, "%.12g", a / kKilometresPerAU);
    // The equinox is not applied: such elements refer to the equator of the date.
    Owned object = ReadRecord(BodyLine({"P14", "1950", axis, "0.0005", "51.6", "90", "250", "10",
                                        "2024/3/1.25", "-1.8", "0.05", "", "Station"}));
    const SolarSystemObject* station = AsSolarSystem(object.get());
    ASSERT_NE(station, nullptr);
    EXPECT_EQ(station->type, kTypeEarthSatellite);
    const float* el = station->elements;
    EXPECT_NEAR(el[kInclination], 51.6 * kDegree, 1e-6);
    EXPECT_NEAR(el[kAscendingNode], 250.0 * kDegree, 1e-6);
    EXPECT_NEAR(el[kArgumentOfPerihelion], 90.0 * kDegree, 1e-6);
    // Kepler's law about the Earth (GM 398,600.8 km^3/s^2 in the satellite
    // constants): 97.75 radians, 15.56 revolutions, a day.
    const double n = std::sqrt(398600.8 / (a * a * a)) * kSecondsPerDay;
    EXPECT_NEAR(el[kMeanMotion], n, n * 1e-5);
    EXPECT_NEAR(el[kMeanMotion] / (2.0 * kExactPi), 15.56, 0.01);
    // The oblate Earth turns the node back by about 5 degrees a day and the
    // perigee forward by about 3.7 (J2 = 0.00108262, Earth radius 6378.135 km).
    const double j2 = 0.00108262, re = 6378.135;
    const double ci = std::cos(51.6 * kDegree);
    const double factor = j2 * (re / a) * (re / a) * n / std::pow(1.0 - 0.0005 * 0.0005, 2.0);
    EXPECT_NEAR(el[kNodeRate], -1.5 * factor * ci, 2e-3 * 1.5 * factor * ci);
    EXPECT_NEAR(el[kPerihelionRate], 0.75 * factor * (5.0 * ci * ci - 1.0),
                2e-3 * 0.75 * factor * (5.0 * ci * ci - 1.0));
    EXPECT_NEAR(el[kNodeRate] / kDegree, -5.0, 0.1);
    // Perigee distance from the semi-major axis the mean motion implies, which
    // differs from the one given by less than 0.1%.
    EXPECT_NEAR(el[kPerihelionDistance] * kKilometresPerAU, a * (1.0 - 0.0005), a * 1e-3);
    EXPECT_EQ(el[kMeanMotionRate], 0.0f);
    EXPECT_EQ(station->magnitudeParam1, -180);
    EXPECT_NEAR(el[kRadius] * kKilometresPerAU, 0.05, 1e-6);
}

// ---------------------------------------------------------------------------
// Lines and sites

TEST_F(ImportTest, FigureLinesJoinObjectsFoundByExactName) {
    ObjectID alpha = Store(StarLine("S1", "Alpha Star; HR 1"));
    ObjectID beta = Store(StarLine("S1", "Beta"));
    int result = 0;
    Owned object = ReadRecord(Line({"C1", "alpha star", "BETA", "Link"}), &result);
    EXPECT_EQ(result, kRecordRead);
    const LineObject* line = AsLine(object.get());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->type, kTypeFigureLine);
    EXPECT_EQ(line->endpointObjects[0], alpha);
    EXPECT_EQ(line->endpointObjects[1], beta);
    EXPECT_STREQ(line->label.get(), "Link");
    Owned unlabelled = ReadRecord(Line({"c1", "Beta", "Alpha Star"}));
    ASSERT_NE(AsLine(unlabelled.get()), nullptr);
    EXPECT_EQ(AsLine(unlabelled.get())->label, nullptr);
    EXPECT_EQ(Numbers(), Messages{});

    const struct {
        std::string line;
        const char* missing;
    } bad[] = {{Line({"C1", "Alpha", "Beta"}), "Alpha"}, // a word is not a name
               {Line({"C1", "Beta", "Gamma"}), "Gamma"},
               {Line({"C1", "", "Beta"}), nullptr}, // no name to look for
               {Line({"C1", "Beta"}), nullptr}};
    for (const auto& b : bad) {
        ClearRecordedMessages();
        Owned none = ReadRecord(b.line, &result);
        EXPECT_EQ(none, nullptr) << b.line;
        EXPECT_EQ(result, kRecordFailed) << b.line;
        if (b.missing == nullptr) {
            EXPECT_EQ(Numbers(), Messages{}) << b.line;
            continue;
        }
        EXPECT_EQ(Numbers(), Messages{523}) << b.line;
        EXPECT_EQ(Text(0), "There's no object containing the name \"" + std::string(b.missing) +
                               "\" in memory!");
    }

    // Any other character after "C" makes no record, without a word.
    for (const char* kind : {"C3", "C", "Cx", "C0"}) {
        ClearRecordedMessages();
        Owned none = ReadRecord(Line({kind, "Alpha Star", "Beta"}), &result);
        EXPECT_EQ(none, nullptr) << kind;
        EXPECT_NE(result, kRecordRead) << kind;
        EXPECT_EQ(Numbers(), Messages{}) << kind;
    }
}

TEST_F(ImportTest, BoundaryPointsArePrecessedFromTheirEquinox) {
    // Constellation boundaries are drawn for the equinox of 1875.
    Owned object = ReadRecord(Line({"C2", "1875", "6.5", "22.5", "18.25", "-35.75"}));
    const LineObject* line = AsLine(object.get());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->type, kTypeBoundaryLine);
    EXPECT_EQ(line->label, nullptr);
    EXPECT_EQ(line->endpointObjects[0], 0);
    const double jd = JulianDateOfYear(1875.0);
    const double points[2][2] = {{6.5, 22.5}, {18.25, -35.75}};
    for (int k = 0; k < 2; ++k) {
        double p[3], none[3], p2000[3];
        StarVectors(points[k][0] * kHourAngle, points[k][1] * kDegree, 0.0, 0.0, 0.0, p, none);
        ErfaToJ2000(jd, p, p2000);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(line->endpointPositions[k][c], p2000[c] * kFixedScale, 3.0)
                << "point " << k << " component " << c;
    }

    // At 2000.0 the points are only turned into vectors.
    object = ReadRecord(Line({"C2", "2000", "12", "-45", "0", "90"}));
    line = AsLine(object.get());
    ASSERT_NE(line, nullptr);
    const double h = std::sqrt(0.5) * kFixedScale; // cos 45 = sin 45
    EXPECT_NEAR(line->endpointPositions[0][0], -h, 1.0);
    EXPECT_NEAR(line->endpointPositions[0][1], 0.0, 1.0);
    EXPECT_NEAR(line->endpointPositions[0][2], -h, 1.0);
    EXPECT_NEAR(line->endpointPositions[1][0], 0.0, 1.0);
    EXPECT_NEAR(line->endpointPositions[1][2], kFixedScale, 1.0);

    // A point that does not read or lies off the sky makes no line.
    for (const std::string& bad :
         {Line({"C2", "x", "1", "2", "3", "4"}), Line({"C2", "", "a", "b"}),
          Line({"C2", "", "25", "0", "1", "1"}), Line({"C2", "", "1", "0", "1", "-91"})})
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
    EXPECT_EQ(DisplayName(site), "Boston");

    // A site needs a place on the Earth and a name.
    for (const std::string& bad :
         {Line({"L", "east", "north", "high", "zone", "Nowhere"}),
          Line({"L", "10", "91", "", "", "Pole"}), Line({"L", "10", "50", "", "25", "Far"}),
          Line({"L", "10", "50", "", "", ""})})
        EXPECT_EQ(ReadRecord(bad), nullptr) << bad;
}

// ---------------------------------------------------------------------------
// The import driver

TEST_F(ImportTest, ImportedFileIsWrittenUnloadedAndSummarised) {
    setImportFileWrittenHandler(RecordWrittenFile);
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
    EXPECT_EQ(gWrittenFiles, std::vector<ObjectID>{id});
    EXPECT_TRUE(OnDisk("Sky.nvd"));
    DatabaseFile* file = getFile(id);
    EXPECT_FALSE(isLoaded(file)) << "an imported file is unloaded";
    EXPECT_FALSE(isModified(file));
    EXPECT_EQ(file->lockCount, 0);
    EXPECT_FALSE(gObjectStore.indexModified) << "the index learns of it at once";

    auto expectSummary = [](const DatabaseFile* f) {
        EXPECT_EQ(f->highestIndex, 8);
        EXPECT_EQ(f->starCount, 2);
        EXPECT_EQ(f->deepSkyCount, 2);
        EXPECT_EQ(f->solarSystemCount, 1);
        EXPECT_EQ(f->lineCount, 2);
        EXPECT_EQ(f->siteCount, 1);
        EXPECT_EQ(f->starBrightest, 100);
        EXPECT_EQ(f->starFaintest, 550);
        EXPECT_EQ(f->deepSkyBrightest, 725);
        EXPECT_EQ(f->deepSkyFaintest, 900);
        EXPECT_NEAR(f->greatestDeclination, 60.0 * kDegree * kUnitsPerRadian, 2.0);
        EXPECT_NEAR(f->leastDeclination, -30.0 * kDegree * kUnitsPerRadian, 2.0);
        EXPECT_NEAR(f->greatestRightAscension, 18.0 * kHourAngle * kUnitsPerRadian, 2.0);
        EXPECT_NEAR(f->leastRightAscension, 0.0, 2.0);
    };
    expectSummary(file);

    // The objects come back from the data file, the line joined to its
    // neighbours in the same file.
    EXPECT_EQ(NamesIn(id), (std::vector<std::string>{"Origin", "South", "Globular", "Galaxy",
                                                     "Comet", "", "", "Home"}));
    const LineObject* line = AsLine(getObject(id + 6));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->endpointObjects[0], id + 1);
    EXPECT_EQ(line->endpointObjects[1], id + 2);
    EXPECT_STREQ(line->label.get(), "Label");

    // Closing the database writes the index; reading it finds the same file.
    const std::string index = gObjectStore.indexPath;
    closeDatabase();
    ASSERT_TRUE(readIndex(index));
    const ObjectID again = Attached("Sky.nvd");
    ASSERT_NE(again, 0);
    expectSummary(getFile(again));
    EXPECT_EQ(DisplayName(getObject(again + 3)), "Globular");
}

TEST_F(ImportTest, TextWithoutRecordsCreatesNoDataFileNorTouchesOne) {
    StoreResident();
    const std::vector<std::string> before = AttachedNames();
    for (const std::string& text :
         {std::string(), std::string("\r\n\r\n"), std::string("# A comment\r\nX1\t2\r\n \tS1\r\n"),
          std::string("1\t2\t3\n\t\t\n")}) {
        ClearRecordedMessages();
        gWrittenFiles.clear();
        EXPECT_TRUE(importTextFile(Source("Empty.txt", text)));
        EXPECT_EQ(Numbers(), Messages{541}) << "nothing imported is said";
        EXPECT_EQ(AttachedNames(), before);
        EXPECT_FALSE(OnDisk("Empty.nvd"));
        EXPECT_EQ(ProgressWindow(), nullptr) << "the progress box is closed";
    }
    ExpectResidentIntact();
    // A data file of that name that the index has lost holds the user's objects.
    WriteAll(In("Stray.nvd"), "stray bytes");
    EXPECT_TRUE(importTextFile(Source("Stray.txt", "nothing to import\r\n")));
    EXPECT_EQ(Attached("Stray.nvd"), 0);
    EXPECT_EQ(ReadAll(In("Stray.nvd")), "stray bytes");
}

TEST_F(ImportTest, ReadOnlyDatabaseAndMissingSourcesAreRefused) {
    StoreResident();
    const std::vector<std::string> before = AttachedNames();
    const std::string path = Source("Stars.txt", StarLine("S1", "Vega"));
    gObjectStore.databaseReadOnly = true;
    EXPECT_FALSE(importTextFile(path));
    EXPECT_EQ(Numbers(), Messages{539});
    EXPECT_EQ(Text(0), "The database file containing this information is a read-only "
                       "file.  You cannot add to or edit any of its contents.");
    EXPECT_EQ(AttachedNames(), before);
    EXPECT_FALSE(OnDisk("Stars.nvd"));
    gObjectStore.databaseReadOnly = false;

    ClearRecordedMessages();
    const std::string missing = dir + "/Missing.txt";
    EXPECT_FALSE(importTextFile(missing));
    EXPECT_EQ(Numbers(), Messages{257});
    EXPECT_NE(Text(0).find(missing), std::string::npos) << Text(0);
    EXPECT_EQ(AttachedNames(), before);
    EXPECT_FALSE(OnDisk("Missing.nvd"));
    ExpectResidentIntact();
}

TEST_F(ImportTest, ImportingAgainAsksWhetherToReplace) {
    const std::string path =
        Source("Stars.txt", StarLine("S1", "Alpha") + "\r\n" + StarLine("S1", "Beta") + "\r\n");
    ASSERT_TRUE(importTextFile(path));
    const ObjectID first = Attached("Stars.nvd");
    ASSERT_NE(first, 0);
    const std::string firstBytes = ReadAll(In("Stars.nvd"));

    // Cancel: nothing happens.
    Answer(531, AnswerCancel);
    EXPECT_FALSE(importTextFile(path));
    EXPECT_EQ(Numbers(), Messages{531});
    EXPECT_EQ(Text(0),
              "There is an existing database file named \"Stars.nvd\".  Replace it with the file "
              "you are importing? (If not, Norvane will create a new database file with a "
              "different name.)");
    EXPECT_EQ(AttachedNames(), (std::vector<std::string>{"Custom.nvd", "Stars.nvd"}));
    EXPECT_EQ(ReadAll(In("Stars.nvd")), firstBytes);

    // No: a second file with a numbered name.
    ClearRecordedMessages();
    Answer(531, AnswerNo);
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), Messages{531});
    EXPECT_EQ(AttachedNames(), (std::vector<std::string>{"Custom.nvd", "Stars.nvd", "Stars1.nvd"}));
    EXPECT_EQ(ReadAll(In("Stars1.nvd")), firstBytes);
    EXPECT_EQ(ReadAll(In("Stars.nvd")), firstBytes);
    EXPECT_EQ(NamesIn(first), (std::vector<std::string>{"Alpha", "Beta"}));
}

TEST_F(ImportTest, ReplacingLeavesOnlyTheNewFile) {
    setImportFileWrittenHandler(RecordWrittenFile);
    const std::string path =
        Source("Stars.txt", StarLine("S1", "Alpha") + "\r\n" + StarLine("S1", "Beta") + "\r\n" +
                                Line({"C1", "Alpha", "Beta"}) + "\r\n");
    ASSERT_TRUE(importTextFile(path));
    const ObjectID old = Attached("Stars.nvd");
    ASSERT_NE(old, 0);
    // Changes to the old file that were never saved go with it.
    ASSERT_NE(addObject(NewSiteObject(), old), 0);

    Source("Stars.txt", StarLine("S1", "Gamma") + "\r\n" + StarLine("S1", "Alpha") + "\r\n" +
                            StarLine("S1", "Beta") + "\r\n" + Line({"C1", "Alpha", "Beta"}) +
                            "\r\n");
    ClearRecordedMessages();
    gWrittenFiles.clear();
    Answer(531, AnswerYes);
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), Messages{531});
    EXPECT_EQ(AttachedNames(), (std::vector<std::string>{"Custom.nvd", "Stars.nvd"}));
    // The replacement takes the old file's number, so ids kept elsewhere of
    // its objects still name objects of the same file.
    const ObjectID replacement = Attached("Stars.nvd");
    EXPECT_EQ(replacement, old);
    EXPECT_EQ(gWrittenFiles, std::vector<ObjectID>{replacement});
    EXPECT_EQ(NamesIn(replacement), (std::vector<std::string>{"Gamma", "Alpha", "Beta", ""}));
    // The line joins the new Alpha and Beta, not the ones of the file replaced.
    const LineObject* line = AsLine(getObject(replacement + 4));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->endpointObjects[0], replacement + 2);
    EXPECT_EQ(line->endpointObjects[1], replacement + 3);

    // Nothing writes the old objects over the new file later.
    const std::string index = gObjectStore.indexPath;
    closeDatabase();
    ASSERT_TRUE(readIndex(index));
    EXPECT_EQ(AttachedNames(), (std::vector<std::string>{"Custom.nvd", "Stars.nvd"}));
    EXPECT_EQ(NamesIn(Attached("Stars.nvd")),
              (std::vector<std::string>{"Gamma", "Alpha", "Beta", ""}));
}

TEST_F(ImportTest, FailedOrCancelledReplacementKeepsTheOldFile) {
    StoreResident();
    const std::string path =
        Source("Stars.txt", StarLine("S1", "Alpha") + "\r\n" + StarLine("S1", "Beta") + "\r\n");
    ASSERT_TRUE(importTextFile(path));
    const ObjectID old = Attached("Stars.nvd");
    ASSERT_NE(old, 0);
    const std::string oldBytes = ReadAll(In("Stars.nvd"));
    setSearchClock(ProgressWatchingClock);

    const struct {
        const char* what;
        std::string text;
        bool cancel;
        long failAfter;
        bool result;
        Messages messages;
    } cases[] = {
        {"cancelled in the progress box",
         StarLine("S1", "Gamma") + "\r\n" + Line({"C1", "Gamma", "Gamma"}) + "\r\n" +
             StarLine("S1", "Delta"),
         true, -1, true, Messages{531}},
        {"nothing to import", "# nothing\r\n", false, -1, true, Messages{531, 541}},
        {"every record failed", Line({"C1", "Nobody", "Gamma"}), false, -1, true,
         Messages{531, 523, 524, 541}},
        {"disk full", StarLine("S1", "Gamma") + "\r\n" + StarLine("S1", "Delta"), false, 300, false,
         Messages{531, 259}},
    };
    for (const auto& c : cases) {
        ClearRecordedMessages();
        gPressCancel = c.cancel;
        setWriteFailureAfterBytesForTest(c.failAfter);
        Source("Stars.txt", c.text);
        Answer(531, AnswerYes);
        EXPECT_EQ(importTextFile(path), c.result) << c.what;
        setWriteFailureAfterBytesForTest(-1);
        EXPECT_EQ(Numbers(), c.messages) << c.what;
        EXPECT_EQ(AttachedNames(), (std::vector<std::string>{"Custom.nvd", "Stars.nvd"})) << c.what;
        EXPECT_EQ(Attached("Stars.nvd"), old) << c.what;
        EXPECT_EQ(ReadAll(In("Stars.nvd")), oldBytes) << c.what;
        ASSERT_TRUE(unloadFile(old)) << c.what;
        EXPECT_EQ(NamesIn(old), (std::vector<std::string>{"Alpha", "Beta"})) << c.what;
        EXPECT_EQ(ProgressWindow(), nullptr) << c.what;
    }
    EXPECT_EQ(gCaptionSeen, "Importing file \"Stars.txt\"...");
    ExpectResidentIntact();
}

TEST_F(ImportTest, CancelOrFailureLeavesNoNewFile) {
    StoreResident();
    setSearchClock(ProgressWatchingClock);
    gPressCancel = true;
    const std::string path =
        Source("Stars.txt", StarLine("S1", "Alpha") + "\r\n" + Line({"C1", "Alpha", "Alpha"}) +
                                "\r\n" + StarLine("S1", "Beta") + "\r\n");
    EXPECT_TRUE(importTextFile(path)) << "a cancelled import is not a failure";
    EXPECT_EQ(Numbers(), Messages{});
    EXPECT_EQ(AttachedNames(), std::vector<std::string>{"Custom.nvd"});
    EXPECT_FALSE(OnDisk("Stars.nvd"));
    EXPECT_EQ(ProgressWindow(), nullptr);

    gPressCancel = false;
    setWriteFailureAfterBytesForTest(100);
    EXPECT_FALSE(importTextFile(path));
    setWriteFailureAfterBytesForTest(-1);
    EXPECT_EQ(Numbers(), Messages{259});
    EXPECT_EQ(AttachedNames(), std::vector<std::string>{"Custom.nvd"});
    EXPECT_FALSE(OnDisk("Stars.nvd"));
    EXPECT_EQ(ProgressWindow(), nullptr);
    ExpectResidentIntact();

    // With the disk back, the same import succeeds under the same name.
    ClearRecordedMessages();
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), Messages{});
    EXPECT_EQ(NamesIn(Attached("Stars.nvd")), (std::vector<std::string>{"Alpha", "", "Beta"}));
}

TEST_F(ImportTest, FailedRecordAsksWhetherToKeepReading) {
    const std::string path = Source(
        "Figures.txt", StarLine("S1", "Alpha") + "\r\n" + Line({"C1", "Alpha", "Nobody"}) + "\r\n" +
                           StarLine("S1", "Beta") + "\r\n" + Line({"C9", "Alpha", "Beta"}) +
                           "\r\n" + StarLine("S1", "Gamma") + "\r\n");
    // Yes: the failed records are passed over.
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), (Messages{523, 524, 524, 541}));
    EXPECT_EQ(Text(0), "There's no object containing the name \"Nobody\" in memory!");
    EXPECT_EQ(Text(1), "Do you want to keep reading the file \"" + path + "\"?");
    EXPECT_EQ(NamesIn(Attached("Figures.nvd")),
              (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));

    // No: reading stops, and what was read before is kept.
    ClearRecordedMessages();
    Answer(531, AnswerNo);
    Answer(524, AnswerNo);
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), (Messages{531, 523, 524, 541}));
    const ObjectID stopped = Attached("Figures1.nvd");
    ASSERT_NE(stopped, 0);
    EXPECT_TRUE(OnDisk("Figures1.nvd"));
    EXPECT_EQ(NamesIn(stopped), std::vector<std::string>{"Alpha"});

    // No at the first record: nothing was read, so no file.
    ClearRecordedMessages();
    Answer(531, AnswerNo);
    Answer(524, AnswerNo);
    Source("Figures.txt", Line({"C1", "Nobody", "Alpha"}) + "\r\n" + StarLine("S1", "Beta"));
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), (Messages{531, 523, 524, 541}));
    EXPECT_EQ(Attached("Figures2.nvd"), 0);
    EXPECT_FALSE(OnDisk("Figures2.nvd"));
}

TEST_F(ImportTest, LookupsBeforeTheFirstObjectLeaveTheNewFileAlone) {
    // Figures drawn between the stars of another file, the first naming a star
    // that is not there: the failed lookup walks every file, the new one too.
    Store(StarLine("S1", "Alpha"));
    Store(StarLine("S1", "Beta"));
    const std::string path =
        Source("Figures.txt", Line({"C1", "Alpha", "Nobody"}) + "\r\n" +
                                  BodyLine({"P11", "2000", "1", "", "", "", "", "", "", "", "", "",
                                            "Moonlet", "Nobody"}) +
                                  "\r\n" + Line({"C1", "Alpha", "Beta", "AB"}) + "\r\n" +
                                  Line({"C1", "Beta", "Alpha", "BA"}) + "\r\n");
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), (Messages{523, 524, 523, 524, 541}));
    const ObjectID id = Attached("Figures.nvd");
    ASSERT_NE(id, 0);
    EXPECT_EQ(getFile(id)->highestIndex, 2);
    EXPECT_EQ(getFile(id)->lineCount, 2);

    // Replacing it the same way: the replacement holds the two new lines, not
    // the old file's as well.
    ClearRecordedMessages();
    Answer(531, AnswerYes);
    EXPECT_TRUE(importTextFile(path));
    EXPECT_EQ(Numbers(), (Messages{531, 523, 524, 523, 524, 541}));
    const ObjectID replacement = Attached("Figures.nvd");
    ASSERT_NE(replacement, 0);
    EXPECT_EQ(replacement, id);
    EXPECT_EQ(getFile(replacement)->highestIndex, 2);
    EXPECT_EQ(getFile(replacement)->lineCount, 2);
    const LineObject* line = AsLine(getObject(replacement + 1));
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line->label.get(), "AB");
    EXPECT_EQ(line->endpointObjects[0], customId + 1);
    EXPECT_EQ(line->endpointObjects[1], customId + 2);
}

TEST_F(ImportTest, MoreObjectsThanAFileHoldsAreRefusedWhole) {
    std::string text;
    text.reserve(16001 * 32);
    for (int n = 1; n <= 16001; ++n)
        text += "S1\t\t0 0 0\t0 0 0\t\t\t5\t\t\t\t\tN" + std::to_string(n) + "\n";
    const std::vector<std::string> before = AttachedNames();
    EXPECT_FALSE(importTextFile(Source("Big.txt", text)));
    ASSERT_EQ(Numbers(), Messages{544});
    EXPECT_EQ(AttachedNames(), before);
    EXPECT_FALSE(OnDisk("Big.nvd"));
}

TEST_F(ImportTest, FileListImportsEveryFileNamed) {
    Source("A.txt", StarLine("S1", "Alpha"));
    Source("B.txt", StarLine("S1", "Beta") + "\r\n" + StarLine("S1", "Gamma"));
    EXPECT_TRUE(importTextFile(Source("FileList.txt", "A.txt\r\nB.txt  \r\n\r\n")));
    EXPECT_EQ(Numbers(), Messages{});
    EXPECT_EQ(AttachedNames(), (std::vector<std::string>{"Custom.nvd", "A.nvd", "B.nvd"}));
    EXPECT_TRUE(OnDisk("A.nvd"));
    EXPECT_TRUE(OnDisk("B.nvd"));
    EXPECT_EQ(NamesIn(Attached("B.nvd")), (std::vector<std::string>{"Beta", "Gamma"}));

    // The list is known by the first eight letters of its title, in any case.
    Source("C.txt", StarLine("S1", "Delta"));
    EXPECT_TRUE(importTextFile(Source("filelist-more.TXT", "C.txt\n")));
    EXPECT_NE(Attached("C.nvd"), 0);
    EXPECT_EQ(Attached("filelist-more.nvd"), 0);
    // A name that merely contains the word is an ordinary text file.
    EXPECT_TRUE(importTextFile(Source("MyFileList.txt", StarLine("S1", "Epsilon"))));
    EXPECT_EQ(NamesIn(Attached("MyFileList.nvd")), std::vector<std::string>{"Epsilon"});
    EXPECT_EQ(Numbers(), Messages{});
}

TEST_F(ImportTest, FileListAsksWhetherToGoOnAfterAFailedFile) {
    Source("B.txt", StarLine("S1", "Beta"));
    const std::string list = Source("FileList.txt", "Missing.txt\r\nB.txt\r\n");
    Answer(524, AnswerCancel);
    EXPECT_FALSE(importTextFile(list));
    ASSERT_EQ(Numbers(), (Messages{257, 524}));
    EXPECT_NE(Text(0).find("Missing.txt"), std::string::npos);
    EXPECT_EQ(Text(1), "Do you want to keep reading the file \"FileList.txt\"?");
    EXPECT_EQ(RecordedMessages()[1].buttons, ButtonsOKCancel);
    EXPECT_EQ(Attached("B.nvd"), 0);

    ClearRecordedMessages();
    EXPECT_FALSE(importTextFile(list)) << "one file failed";
    EXPECT_EQ(Numbers(), (Messages{257, 524}));
    EXPECT_NE(Attached("B.nvd"), 0) << "OK goes on with the next file";

    ClearRecordedMessages();
    EXPECT_FALSE(importTextFile(dir + "/FileList2.txt"));
    EXPECT_EQ(Numbers(), Messages{257});
    EXPECT_EQ(Text(0).find(dir), std::string::npos) << "the list is named by its title";
    EXPECT_NE(Text(0).find("\"FileList2.txt\""), std::string::npos) << Text(0);
}

TEST_F(ImportTest, BinaryGarbageIsReadWithoutHarm) {
    StoreResident();
    Store(StarLine("S1", "Alpha"));
    ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
    const std::string customBytes = ReadAll(In("Custom.nvd"));
    std::mt19937 random(20240229);
    std::uniform_int_distribution<int> byte(0, 255);
    const char kinds[] = "SPCLspcl";
    const char pieces[] = "0123456789.-+,;$\t\t\t\t /eE";
    std::string text;
    for (int line = 0; line < 1500; ++line) {
        // Mostly lines of the four kinds, so that the builders see the garbage.
        text += kinds[byte(random) % 8];
        int length = byte(random) * (line % 7 == 0 ? 8 : 1);
        for (int k = 0; k < length; ++k) {
            int b = byte(random);
            text += b < 128 ? pieces[b % (sizeof pieces - 1)] : static_cast<char>(byte(random));
        }
        text += "\r\n\0\n\r"[byte(random) % 5];
    }
    const std::string path = Source("Garbage.txt", text);
    EXPECT_TRUE(importTextFile(path));
    for (const MessageRecord& m : RecordedMessages())
        EXPECT_TRUE(m.number == 523 || m.number == 524 || m.number == 527 || m.number == 541)
            << m.number;
    // Whatever was made, if anything, survives the trip through its data file.
    EXPECT_EQ(ReadAll(In("Custom.nvd")), customBytes);
    const bool made = Attached("Garbage.nvd") != 0;
    const std::string index = gObjectStore.indexPath;
    closeDatabase();
    ASSERT_TRUE(readIndex(index));
    EXPECT_EQ(Attached("Garbage.nvd") != 0, made);
    if (made) {
        EXPECT_EQ(loadFile(Attached("Garbage.nvd")), kStatusSuccess);
    }
}

} // namespace
