// Catalogue designations: parsing, packing, display forms and the tables.
// Expected packed values are worked out by hand from the payload layouts.

#include "data/Names.h"
#include "data/SkyObject.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

enum class Rules { Star, DeepSky };

NameParse Parse(Rules rules, const std::string& text) {
    return rules == Rules::Star ? parseStarNames(text) : parseDeepSkyNames(text);
}

// The single identifier a one-part text yields, or 0.
std::uint32_t ParseOne(Rules rules, const std::string& text) {
    NameParse parse = Parse(rules, text);
    if (parse.count != 1 || !parse.allIdentifiers) return 0;
    return parse.identifiers[0];
}

struct Sample {
    Rules rules;
    const char* text;
    std::uint32_t packed;
    const char* display;
};

// Every catalogue, with the examples of the display forms among them.
const Sample kSamples[] = {
    {Rules::Star, "$a Cen", 100001019u, "$a Cen"},
    {Rules::Star, "$a1 Cen", 100001119u, "$a1 Cen"},
    {Rules::Star, "$w9 Vul", 100024988u, "$w9 Vul"},
    {Rules::Star, "RR Lyr", 200001052u, "RR Lyr"},
    {Rules::Star, "T CrB", 200000327u, "T CrB"},
    {Rules::Star, "V1500 Cyg", 200150031u, "V1500 Cyg"},
    {Rules::Star, "61 Cyg", 300006131u, "61 Cyg"},
    {Rules::Star, "HR2491", 400002491u, "HR2491"},
    {Rules::Star, "HD 48915", 500048915u, "HD48915"},
    {Rules::Star, "SAO 151881", 600151881u, "SAO151881"},
    {Rules::Star, "BD+38 3238", 713832380u, "BD+38 3238"},
    {Rules::Star, "BD-16 1591s", 701615915u, "BD-16 1591s"},
    {Rules::Star, "BD+05 1668N", 710516683u, "BD+05 1668n"},
    {Rules::Star, "CoD-52 914", 805200914u, "CoD-52 914"},
    {Rules::Star, "CPD+60 1234", 916001234u, "CPD+60 1234"},
    {Rules::Star, "GSC0001-0001", 1000010001u, "GSC0001-0001"},
    {Rules::DeepSky, "M31", 2100000031u, "M31"},
    {Rules::DeepSky, "NGC5194A", 2200051941u, "NGC5194A"},
    {Rules::DeepSky, "NGC 224", 2200002240u, "NGC224"},
    {Rules::DeepSky, "IC 2602b", 2300026022u, "IC2602B"},
    {Rules::DeepSky, "UGC 12158", 2400012158u, "UGC12158"},
    {Rules::DeepSky, "UGCA 86", 2500000086u, "UGCA86"},
    {Rules::DeepSky, "PK205+14 1", 2602051141u, "PK205+14 1"},
    {Rules::DeepSky, "PK 9-05 2", 2600090052u, "PK9-05 2"},
    {Rules::DeepSky, "PNG205.1+14.2", 2720511142u, "PNG205.1+14.2"},
    {Rules::DeepSky, "PNG 0.5-2.3", 2700050023u, "PNG000.5-02.3"},
    {Rules::DeepSky, "PGC 99999", 2800099999u, "PGC99999"},
};

TEST(Names, EveryCatalogueParsesPacksFormatsAndParsesBack) {
    for (const Sample& s : kSamples) {
        SCOPED_TRACE(s.text);
        std::uint32_t packed = ParseOne(s.rules, s.text);
        EXPECT_EQ(packed, s.packed);
        std::string display = formatIdentifier(packed);
        EXPECT_EQ(display, s.display);
        EXPECT_EQ(ParseOne(s.rules, display), s.packed) << "the display form reads back";
    }
}

TEST(Names, EachRuleSetKnowsOnlyItsOwnCatalogues) {
    EXPECT_EQ(ParseOne(Rules::Star, "M31"), 0u);
    EXPECT_EQ(ParseOne(Rules::Star, "NGC 224"), 0u);
    EXPECT_EQ(ParseOne(Rules::DeepSky, "HR 2491"), 0u);
    EXPECT_EQ(ParseOne(Rules::DeepSky, "$a Cen"), 0u);
    // Prefixes are case-sensitive.
    EXPECT_EQ(ParseOne(Rules::Star, "hr 2491"), 0u);
    EXPECT_EQ(ParseOne(Rules::DeepSky, "ngc 224"), 0u);
    EXPECT_EQ(ParseOne(Rules::DeepSky, "m31"), 0u);
}

TEST(Names, MessierNumberAfterOptionalBlanks) {
    EXPECT_EQ(ParseOne(Rules::DeepSky, "M 31"), 2100000031u);
    EXPECT_EQ(ParseOne(Rules::DeepSky, "M31"), 2100000031u);
    EXPECT_EQ(ParseOne(Rules::DeepSky, "  M  31  "), 2100000031u) << "parts are trimmed";
    EXPECT_EQ(ParseOne(Rules::DeepSky, "NGC 5194a"), 2200051941u);
    EXPECT_EQ(formatIdentifier(2200051941u), "NGC5194A");
}

TEST(Names, ConstellationWordsMatchByTheirFirstThreeLetters) {
    EXPECT_EQ(ParseOne(Rules::Star, "61 Cygni"), 300006131u);
    EXPECT_EQ(ParseOne(Rules::Star, "$a Centauri"), 100001019u);
    EXPECT_EQ(ParseOne(Rules::Star, "RR LYRAE"), 200001052u);
    EXPECT_EQ(ParseOne(Rules::Star, "61 Cy"), 0u) << "shorter than three letters";
    EXPECT_EQ(ParseOne(Rules::Star, "61 Xyz"), 0u);
    EXPECT_EQ(ParseOne(Rules::Star, "61"), 0u) << "no constellation word";

    EXPECT_EQ(constellationNumber("cyg"), 31);
    EXPECT_EQ(constellationNumber("psa"), 67);
    EXPECT_EQ(constellationNumber("Psc"), 66);
    EXPECT_EQ(constellationNumber("CVn"), 13);
    EXPECT_EQ(constellationNumber("Cy"), 0);
    EXPECT_EQ(constellationNumber(""), 0);
    for (int n = 1; n <= kConstellationCount; ++n)
        EXPECT_EQ(constellationNumber(constellationAbbreviation(n)), n) << n;
    EXPECT_STREQ(constellationAbbreviation(1), "And");
    EXPECT_STREQ(constellationAbbreviation(88), "Vul");
    EXPECT_STREQ(constellationName(31), "Cygnus");
    EXPECT_STREQ(constellationName(81), "Triangulum Australe");
    EXPECT_STREQ(constellationAbbreviation(0), "");
    EXPECT_STREQ(constellationAbbreviation(89), "");
    EXPECT_STREQ(constellationName(-1), "");
}

TEST(Names, GreekLettersInSymbolFontOrder) {
    const std::string symbols = "abgdezhqiklmnxoprstufcyw";
    for (int n = 1; n <= kGreekLetterCount; ++n) {
        EXPECT_EQ(greekSymbol(n), symbols[n - 1]);
        EXPECT_EQ(greekLetterNumber(symbols[n - 1]), n);
    }
    EXPECT_EQ(greekSymbol(0), '\0');
    EXPECT_EQ(greekSymbol(25), '\0');
    EXPECT_EQ(greekLetterNumber('j'), 0);
    EXPECT_EQ(greekLetterNumber('A'), 0) << "the capitals are other symbols";
    EXPECT_EQ(greekLetterNumber('\0'), 0);
    EXPECT_EQ(ParseOne(Rules::Star, "$j Cen"), 0u);
    EXPECT_EQ(ParseOne(Rules::Star, "$ Cen"), 0u);
    EXPECT_EQ(ParseOne(Rules::Star, "$a"), 0u);
}

TEST(Names, VariableStarSequence) {
    const std::pair<long, const char*> marks[] = {
        {1, "R"},   {9, "Z"},   {10, "RR"}, {18, "RZ"}, {19, "SS"},  {54, "ZZ"},    {55, "AA"},
        {63, "AI"}, {64, "AK"}, {79, "AZ"}, {80, "BB"}, {334, "QZ"}, {335, "V335"}, {1500, "V1500"},
    };
    for (const auto& [number, text] : marks) {
        EXPECT_EQ(variableStarDesignation(number), text) << number;
        EXPECT_EQ(variableStarNumber(text), number) << text;
    }
    std::string previous;
    for (long n = 1; n < kFirstNumberedVariable; ++n) {
        std::string text = variableStarDesignation(n);
        ASSERT_FALSE(text.empty()) << n;
        EXPECT_EQ(text.find('J'), std::string::npos) << n;
        if (text.size() == 2) {
            EXPECT_LE(text[0], text[1]) << n;
        }
        EXPECT_NE(text, previous);
        EXPECT_EQ(variableStarNumber(text), n) << text;
        previous = text;
    }
    EXPECT_EQ(variableStarDesignation(0), "");
    EXPECT_EQ(variableStarDesignation(-3), "");
    for (const char* bad : {"AJ", "JK", "JJ", "RA", "ZR", "Q", "A", "RZZ", "V0", "Vega", "", "rr"})
        EXPECT_EQ(variableStarNumber(bad), 0) << bad;
    EXPECT_EQ(variableStarNumber("V"), 5) << "V alone is the fifth letter";
    EXPECT_EQ(variableStarNumber("V1"), 1);
}

TEST(Names, DesignationsOnlyKeepNoNameAndDisplayInCodeOrder) {
    std::unique_ptr<CatalogObject> star(NewCatalogObject(kTypeSingleStar));
    ASSERT_NE(star, nullptr);
    ASSERT_TRUE(setObjectNames(star.get(), "HD 128620; $a1 Cen; HR 5459"));
    EXPECT_EQ(star->name, nullptr);
    ASSERT_EQ(star->identifierCount, 3);
    EXPECT_EQ(star->identifiers[0], 100001119u);
    EXPECT_EQ(star->identifiers[1], 400005459u);
    EXPECT_EQ(star->identifiers[2], 500128620u);
    EXPECT_EQ(DisplayName(star.get()), "$a1 Cen; HR5459; HD128620");
}

TEST(Names, ProperNameKeepsTheWholeTextAndItsDesignations) {
    std::unique_ptr<CatalogObject> star(NewCatalogObject(kTypeSingleStar));
    ASSERT_NE(star, nullptr);
    ASSERT_TRUE(setObjectNames(star.get(), "Sirius; HR 2491"));
    ASSERT_NE(star->name, nullptr);
    EXPECT_STREQ(star->name.get(), "Sirius; HR 2491");
    ASSERT_EQ(star->identifierCount, 1);
    EXPECT_EQ(star->identifiers[0], 400002491u);
    EXPECT_EQ(DisplayName(star.get()), "Sirius; HR 2491");

    // Setting names again replaces both.
    ASSERT_TRUE(setObjectNames(star.get(), "Adhara"));
    EXPECT_STREQ(star->name.get(), "Adhara");
    EXPECT_EQ(star->identifierCount, 0);
    EXPECT_EQ(star->identifiers, nullptr);

    ASSERT_TRUE(setObjectNames(star.get(), ""));
    EXPECT_EQ(star->name, nullptr);
    EXPECT_EQ(DisplayName(star.get()), "");

    EXPECT_FALSE(setObjectNames(nullptr, "M31"));
}

TEST(Names, DeepSkyObjectsUseTheDeepSkyRules) {
    std::unique_ptr<CatalogObject> galaxy(NewCatalogObject(kTypeGalaxy));
    ASSERT_NE(galaxy, nullptr);
    ASSERT_TRUE(setObjectNames(galaxy.get(), "NGC 224; M 31; UGC 454; PGC 2557"));
    EXPECT_EQ(galaxy->name, nullptr);
    EXPECT_EQ(DisplayName(galaxy.get()), "M31; NGC224; UGC454; PGC2557");
}

TEST(Names, OnlyTheFirstEightAfterSortingAreKept) {
    // Ten catalogues, given in descending code order.
    const char* text = "GSC0001-0001; CPD+00 1; CoD-00 1; BD+00 1; SAO 1; HD 1; HR 1; 1 And; "
                       "R And; $a And";
    NameParse parse = parseStarNames(text);
    ASSERT_EQ(parse.count, 10);
    EXPECT_TRUE(parse.allIdentifiers);
    for (int i = 0; i < parse.count; ++i)
        EXPECT_EQ(IdentifierCatalog(parse.identifiers[i]), i + 1) << "sorted by code";

    std::unique_ptr<CatalogObject> star(NewCatalogObject(kTypeSingleStar));
    ASSERT_NE(star, nullptr);
    ASSERT_TRUE(setObjectNames(star.get(), text));
    EXPECT_EQ(star->name, nullptr);
    ASSERT_EQ(star->identifierCount, kMaxIdentifiers);
    EXPECT_EQ(IdentifierCatalog(star->identifiers[kMaxIdentifiers - 1]), kCatalogCoD);
    EXPECT_EQ(DisplayName(star.get()), "$a And; R And; 1 And; HR1; HD1; SAO1; BD+00 1; CoD-00 1");
}

TEST(Names, OnlyTheFirst255CharactersAreRead) {
    std::string text(252, 'x');
    text += "; HR 1"; // the designation starts past the 255th character
    NameParse parse = parseStarNames(text);
    EXPECT_EQ(parse.count, 0);
    EXPECT_FALSE(parse.allIdentifiers);

    std::string shorter(200, 'x');
    shorter += "; HR 1";
    EXPECT_EQ(parseStarNames(shorter).count, 1);

    std::unique_ptr<CatalogObject> star(NewCatalogObject(kTypeSingleStar));
    ASSERT_NE(star, nullptr);
    ASSERT_TRUE(setObjectNames(star.get(), text));
    EXPECT_EQ(std::string(star->name.get()), text) << "the name is kept whole";
}

TEST(Names, RangeLimitsOfEveryCatalogue) {
    struct Limit {
        Rules rules;
        const char* inside;
        const char* outside;
    };
    const Limit limits[] = {
        {Rules::Star, "$w Cen", "$j Cen"},
        {Rules::Star, "$a9 Cen", "$a Xxx"},
        {Rules::Star, "Z Cyg", "Y1 Cyg"},
        {Rules::Star, "V1 Cyg", "V0 Cyg"},
        {Rules::Star, "V999999 Cyg", "V1000000 Cyg"},
        {Rules::Star, "QZ Cyg", "ZQ Cyg"},
        {Rules::Star, "1 Cyg", "0 Cyg"},
        {Rules::Star, "999999 Cyg", "1000000 Cyg"},
        {Rules::Star, "HR1", "HR0"},
        {Rules::Star, "HR9999", "HR10000"},
        {Rules::Star, "HD1", "HD0"},
        {Rules::Star, "HD999999", "HD1000000"},
        {Rules::Star, "SAO1", "SAO0"},
        {Rules::Star, "SAO999998", "SAO999999"},
        {Rules::Star, "BD+89 1", "BD+90 1"},
        {Rules::Star, "BD-00 9999", "BD-00 10000"},
        {Rules::Star, "BD+38 1", "BD+38 0"},
        {Rules::Star, "BD+38 3238s", "BD+38 3238x"},
        {Rules::Star, "CoD-89 99999", "CoD-89 100000"},
        {Rules::Star, "CoD-89 1", "CoD-90 1"},
        {Rules::Star, "CoD+00 1", "CoD+00 0"},
        {Rules::Star, "CPD-89 99999", "CPD-89 100000"},
        {Rules::Star, "CPD-89 1", "CPD-90 1"},
        {Rules::Star, "GSC0001-0001", "GSC0000-0001"},
        {Rules::Star, "GSC9537-9999", "GSC9538-0001"},
        {Rules::Star, "GSC0001-9999", "GSC0001-10000"},
        {Rules::Star, "GSC0001-0001", "GSC0001-0000"},
        {Rules::DeepSky, "M1", "M0"},
        {Rules::DeepSky, "M110", "M111"},
        {Rules::DeepSky, "NGC1", "NGC0"},
        {Rules::DeepSky, "NGC9999", "NGC10000"},
        {Rules::DeepSky, "NGC9999I", "NGC9999J"},
        {Rules::DeepSky, "IC1", "IC0"},
        {Rules::DeepSky, "IC9999i", "IC10000"},
        {Rules::DeepSky, "UGC99999", "UGC100000"},
        {Rules::DeepSky, "UGC1", "UGC0"},
        {Rules::DeepSky, "UGCA99998", "UGCA99999"},
        {Rules::DeepSky, "UGCA1", "UGCA0"},
        {Rules::DeepSky, "PGC99999", "PGC100000"},
        {Rules::DeepSky, "PGC1", "PGC0"},
        {Rules::DeepSky, "PK0+00 1", "PK0+00 0"},
        {Rules::DeepSky, "PK359-89 9", "PK360-89 9"},
        {Rules::DeepSky, "PK359+89 9", "PK359+90 9"},
        {Rules::DeepSky, "PK10+10 9", "PK10+10 10"},
        {Rules::DeepSky, "PNG000.0+00.0", "PNG360.0+00.0"},
        {Rules::DeepSky, "PNG359.9-89.9", "PNG359.9-90.0"},
        {Rules::DeepSky, "PNG359.9-89.9", "PNG359.10-89.9"},
        {Rules::DeepSky, "PNG359.9-89.9", "PNG359.9-89.10"},
    };
    for (const Limit& limit : limits) {
        SCOPED_TRACE(std::string(limit.inside) + " / " + limit.outside);
        std::uint32_t packed = ParseOne(limit.rules, limit.inside);
        EXPECT_NE(packed, 0u);
        EXPECT_EQ(ParseOne(limit.rules, formatIdentifier(packed)), packed);
        NameParse outside = Parse(limit.rules, limit.outside);
        EXPECT_EQ(outside.count, 0);
        EXPECT_FALSE(outside.allIdentifiers);
    }
}

TEST(Names, MalformedDesignationsYieldNothing) {
    const char* starParts[] = {
        "GSC0001 0001", "GSC0001-",
        "GSC",          "BD38 3238",
        "BD +38 3238",  "BD+-38 3238",
        "BD+38",        "BD+38 3238 a",
        "CoD*52 914",   "CPD+60",
        "HD",           "HDE 1234",
        "SAO-5",        "HR 99999999999999999999",
        "Rr Lyr",       "rr Lyr",
        "Sirius",       "$",
        "Alpha Cen",
    };
    for (const char* part : starParts) {
        NameParse parse = parseStarNames(part);
        EXPECT_EQ(parse.count, 0) << part;
        EXPECT_FALSE(parse.allIdentifiers) << part;
    }
    const char* deepSkyParts[] = {
        "PK205 14 1",    "PK205+-14 1",
        "PK205+14",      "PNG205.1 14.2",
        "PNG205,1+14.2", "PNG205.1+-14.2",
        "PNG205.1+14",   "NGC 224 x",
        "NGC",           "Messier 31",
        "M-31",          "UGC",
        "Andromeda",     "",
        "   ",
    };
    for (const char* part : deepSkyParts) {
        NameParse parse = parseDeepSkyNames(part);
        EXPECT_EQ(parse.count, 0) << '"' << part << '"';
        EXPECT_FALSE(parse.allIdentifiers) << '"' << part << '"';
    }
}

TEST(Names, FormattingRefusesPayloadsNoTextCouldGive) {
    const std::uint32_t damaged[] = {
        0u,          // no catalogue
        1100000001u, // code 11 has no format
        2900000001u, // nor has 29
        100001000u,  // Bayer without a constellation
        100025019u,  // Bayer letter 25
        100001089u,  // constellation 89
        200000031u,  // variable number 0
        400000000u,  // HR0
        400010000u,  // HR10000
        706000000u,  // BD number 0
        720000010u,  // BD north digit 2
        713832386u,  // BD suffix 6
        809000001u,  // CoD zone 90
        1000000001u, // GSC region 0
        2100000111u, // M111
        2200000005u, // NGC0E
        2602051140u, // PK sequence 0
        2603600001u, // PK longitude 360
        2736000000u, // PNG longitude 360.0
        2700000900u, // PNG latitude 90.0
    };
    for (std::uint32_t id : damaged)
        EXPECT_EQ(formatIdentifier(id), "") << id;

    const std::uint32_t mixed[] = {400000001u, 1100000001u, 2100000031u, 0u};
    EXPECT_EQ(buildIdentifierName(mixed, 4), "HR1; M31");
    EXPECT_EQ(buildIdentifierName(mixed, 0), "");
    EXPECT_EQ(buildIdentifierName(nullptr, 3), "");
    EXPECT_EQ(buildIdentifierName(mixed + 1, 1), "");
}

} // namespace
