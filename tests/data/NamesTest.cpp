// Catalogue designations: parsing, packing, display forms and the tables.
// Expected packed values are worked out by hand from the payload layouts
// (reference/designations.csv).

#include "data/Names.h"
#include "data/SkyObject.h"
#include "tests/data/DataTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace {

enum class Rules { Star, DeepSky };

NameParse Parse(Rules rules, const std::string& text) {
    return rules == Rules::Star ? parseStarNames(text) : parseDeepSkyNames(text);
}

// The single identifier a one-part text yields, or 0.
std::uint32_t ParseOne(Rules rules, const std::string& text) {
    NameParse parse = Parse(rules, text);
    return parse.count == 1 && parse.allIdentifiers ? parse.identifiers[0] : 0;
}

constexpr Rules S = Rules::Star, D = Rules::DeepSky;

TEST(Names, EveryCatalogueParsesPacksFormatsAndParsesBack) {
    const auto rows = data_test::Rows("designations.csv", {"rules", "text", "display", "packed"});
    ASSERT_EQ(rows.size(), 28u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[1]);
        const Rules rules = row[0] == "S" ? S : D;
        const auto packed = static_cast<std::uint32_t>(std::stoul(row[3]));
        EXPECT_EQ(ParseOne(rules, row[1]), packed);
        if (packed == 0) continue;
        const std::string display = row[2].empty() ? row[1] : row[2];
        EXPECT_EQ(formatIdentifier(packed), display);
        EXPECT_EQ(ParseOne(rules, display), packed) << "the display form reads back";
    }
}

TEST(Names, ConstellationAndGreekLetterTables) {
    for (int n = 1; n <= kConstellationCount; ++n)
        EXPECT_EQ(constellationNumber(constellationAbbreviation(n)), n) << n;
    EXPECT_EQ(constellationNumber("psa"), 67);
    EXPECT_EQ(constellationNumber("Psc"), 66);
    EXPECT_EQ(constellationNumber("Cy"), 0);
    EXPECT_STREQ(constellationName(81), "Triangulum Australe");
    EXPECT_STREQ(constellationAbbreviation(89), "");
    const std::string symbols = "abgdezhqiklmnxoprstufcyw"; // the Symbol font's order
    for (int n = 1; n <= kGreekLetterCount; ++n) {
        EXPECT_EQ(greekSymbol(n), symbols[n - 1]);
        EXPECT_EQ(greekLetterNumber(symbols[n - 1]), n);
    }
    EXPECT_EQ(greekSymbol(25), '\0');
    EXPECT_EQ(greekLetterNumber('j'), 0);
}

TEST(Names, BayerLettersAsPeopleWriteThem) {
    const std::pair<const char*, const char*> queries[] = {
        {"Alpha Centauri", "$a Cen"},          {"alf1 cen", "$a1 Cen"},
        {"\xCE\xB1\xC2\xB9 Cen", "$a1 Cen"},   {"\xCE\xA3 Sco", "$s Sco"},
        {"Eta Ursae Majoris", "$h UMa"},       {"theta Sagittae", "$q Sge"},
        {"tau Sagittarii", "$t Sgr"},          {"mu Leonis Minoris", "$m LMi"},
        {"Omega Canum Venaticorum", "$w CVn"}, {"Sirius; beta ori", "Sirius;$b Ori"},
        {"Alphard Hya", "Alphard Hya"},        {"Nunki Sgr", "Nunki Sgr"},
        {"alpha Nowhere", "alpha Nowhere"},    {"alpha", "alpha"}};
    for (auto [query, stored] : queries)
        EXPECT_EQ(bayerQuery(query), stored) << query;
    EXPECT_EQ(unicodeName("$a1 Cen; $y12 Aqr; $j; US$"),
              "\xCE\xB1\xC2\xB9 Cen; \xCF\x88\xC2\xB9\xC2\xB2 Aqr; $j; US$");
}

TEST(Names, VariableStarSequence) {
    const std::pair<long, const char*> marks[] = {{9, "Z"},   {10, "RR"},  {54, "ZZ"},   {55, "AA"},
                                                  {64, "AK"}, {334, "QZ"}, {335, "V335"}};
    for (const auto& [number, text] : marks) {
        EXPECT_EQ(variableStarDesignation(number), text) << number;
        EXPECT_EQ(variableStarNumber(text), number) << text;
    }
    EXPECT_EQ(variableStarDesignation(0), "");
    for (const char* bad : {"AJ", "RA", "Q", "RZZ", "V0", "rr"})
        EXPECT_EQ(variableStarNumber(bad), 0) << bad;
    EXPECT_EQ(variableStarNumber("V"), 5) << "V alone is the fifth letter";
}

TEST(Names, ObjectNamesKeepTextOnlyWhenItIsMoreThanDesignations) {
    const struct {
        int type;
        const char *text, *name, *display;
        int count;
    } cases[] = {
        {kTypeSingleStar, "HD 128620; $a1 Cen; HR 5459", nullptr, "$a1 Cen; HR5459; HD128620", 3},
        {kTypeSingleStar, "Sirius; HR 2491", "Sirius; HR 2491", "Sirius; HR 2491", 1},
        // Ten catalogues in descending code order: sorted, the first eight kept.
        {kTypeSingleStar,
         "GSC0001-0001; CPD+00 1; CoD-00 1; BD+00 1; SAO 1; HD 1; HR 1; 1 And; R And; $a And",
         nullptr, "$a And; R And; 1 And; HR1; HD1; SAO1; BD+00 1; CoD-00 1", kMaxIdentifiers},
        {kTypeSingleStar, "", nullptr, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<CatalogObject> object(NewCatalogObject(c.type));
        ASSERT_TRUE(setObjectNames(object.get(), "Adhara; HR 1")); // replaced below
        ASSERT_TRUE(setObjectNames(object.get(), c.text));
        EXPECT_EQ(object->name ? object->name.get() : "(none)",
                  std::string(c.name ? c.name : "(none)"));
        EXPECT_EQ(object->identifierCount, c.count);
        EXPECT_EQ(object->identifiers == nullptr, c.count == 0);
        EXPECT_EQ(DisplayName(object.get()), c.display);
    }
    EXPECT_FALSE(setObjectNames(nullptr, "M31"));
    // Only the first 255 characters are parsed; the name is kept whole.
    std::string text = std::string(252, 'x') + "; HR 1";
    EXPECT_EQ(parseStarNames(text).count, 0);
    EXPECT_EQ(parseStarNames(std::string(200, 'x') + "; HR 1").count, 1);
    std::unique_ptr<CatalogObject> star(NewCatalogObject(kTypeSingleStar));
    ASSERT_TRUE(setObjectNames(star.get(), text));
    EXPECT_EQ(std::string(star->name.get()), text);
}

TEST(Names, RangeLimitsAndMalformedDesignations) {
    auto rows = data_test::Rows("designation_limits.csv", {"rules", "text", "reads"});
    ASSERT_EQ(rows.size(), 62u);
    rows.push_back({"D", "PNG205,1+14.2", "0"}); // a comma the fixture can't hold
    for (const auto& row : rows) {
        SCOPED_TRACE('"' + row[1] + '"');
        const Rules rules = row[0] == "S" ? S : D;
        if (row[2] == "1") {
            const std::uint32_t packed = ParseOne(rules, row[1]);
            EXPECT_NE(packed, 0u);
            EXPECT_EQ(ParseOne(rules, formatIdentifier(packed)), packed);
            continue;
        }
        const NameParse parse = Parse(rules, row[1]);
        EXPECT_EQ(parse.count, 0);
        EXPECT_FALSE(parse.allIdentifiers);
    }
}

TEST(Names, FormattingRefusesPayloadsNoTextCouldGive) {
    // No catalogue; code 11 without a format; Bayer letter 25, constellation
    // 89; variable 0; HR10000; BD north digit 2, suffix 6; CoD zone 90; GSC
    // region 0; M111; PK longitude 360; PNG longitude 360.0, latitude 90.0.
    for (std::uint32_t id :
         {0u, 1100000001u, 100025019u, 100001089u, 200000031u, 400010000u, 706000000u, 713832386u,
          809000001u, 1000000001u, 2100000111u, 2603600001u, 2736000000u, 2700000900u})
        EXPECT_EQ(formatIdentifier(id), "") << id;
    const std::uint32_t mixed[] = {400000001u, 1100000001u, 2100000031u, 0u};
    EXPECT_EQ(buildIdentifierName(mixed, 4), "HR1; M31");
    EXPECT_EQ(buildIdentifierName(nullptr, 3), "");
    EXPECT_EQ(buildIdentifierName(mixed + 1, 1), "");
}

} // namespace
