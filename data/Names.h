#pragma once

// Object names and catalogue identifiers: the designations of eighteen
// catalogues recognised in a star's or deep-sky object's name text, packed
// into 32-bit identifiers and printed back in one fixed form per catalogue,
// with the constellation and Greek-letter tables they rely on.
//
// Texts are Windows-1252; a "$" marks that the next character is a
// symbol-font character standing for a Greek letter.

#include <cstdint>
#include <string>

struct CatalogObject;

// Catalogue identifier = code x 100,000,000 + payload. Unsigned, because the
// highest codes times 100,000,000 pass the range of a signed 32-bit value.
constexpr std::uint32_t kCatalogCodeUnit = 100000000;

enum CatalogCode : int {
    kCatalogBayer = 1,
    kCatalogVariable = 2,
    kCatalogFlamsteed = 3,
    kCatalogHR = 4,
    kCatalogHD = 5,
    kCatalogSAO = 6,
    kCatalogBD = 7,
    kCatalogCoD = 8,
    kCatalogCPD = 9,
    kCatalogGSC = 10,
    kCatalogMessier = 21,
    kCatalogNGC = 22,
    kCatalogIC = 23,
    kCatalogUGC = 24,
    kCatalogUGCA = 25,
    kCatalogPK = 26,
    kCatalogPNG = 27,
    kCatalogPGC = 28,
};

inline int IdentifierCatalog(std::uint32_t identifier) {
    return static_cast<int>(identifier / kCatalogCodeUnit);
}
inline std::uint32_t IdentifierPayload(std::uint32_t identifier) {
    return identifier % kCatalogCodeUnit;
}

// Only this much of a name text is read for designations.
constexpr std::size_t kMaxNameTextLength = 255;
// 255 characters split at ";" give at most 128 parts.
constexpr int kMaxNameParts = 128;

constexpr int kConstellationCount = 88;
constexpr int kGreekLetterCount = 24;
// Variable-star designations from this number on are written "V335", "V336", ...
constexpr long kFirstNumberedVariable = 335;

// The designations found in a name text, sorted by catalogue code (all of
// them; setObjectNames keeps the first kMaxIdentifiers).
struct NameParse {
    std::uint32_t identifiers[kMaxNameParts] = {};
    int count = 0;
    // False when some part of the text is not a recognised designation.
    bool allIdentifiers = false;
};

// Rules for stars (types 51-56) and for deep-sky objects (types 61-65).
NameParse parseStarNames(const std::string& text);
NameParse parseDeepSkyNames(const std::string& text);

// Parses `text` by the rules of the object's type, replaces the object's
// identifiers with the first 8 found and keeps `text` as its name only when
// some part is not a designation (otherwise the name is rebuilt from the
// identifiers when shown). False when out of memory; the object is then
// unchanged.
bool setObjectNames(CatalogObject* object, const std::string& text);

// The display form of one identifier ("$a1 Cen", "BD+38 3238", "NGC5194A"),
// or empty text when its code has no format or its payload is not one the
// parser could have produced (a damaged file).
std::string formatIdentifier(std::uint32_t identifier);
// The display forms of the identifiers in stored order, joined by "; ".
std::string buildIdentifierName(const std::uint32_t* identifiers, int count);

// 1..88 for a word whose first three characters are an abbreviation of the
// table (letter case ignored), else 0.
int constellationNumber(const std::string& word);
// The three-letter abbreviation / the Latin name of constellation 1..88;
// empty text for any other number.
const char* constellationAbbreviation(int number);
const char* constellationName(int number);

// 1..24 for the symbol-font characters of alpha to omega, else 0.
int greekLetterNumber(char symbol);
// The symbol-font character of Greek letter 1..24, else 0.
char greekSymbol(int number);

// A query with Bayer designations written as people write them ("Alpha
// Centauri", "alpha cen", "alf1 Cen", "α¹ Cen", "Eta Ursae Majoris") turned,
// part by part, into the stored form ("$a Cen"); other parts are kept.
std::string bayerQuery(const std::string& query);
// A name with its Greek letters and superscripts in UTF-8 ("α¹ Cen").
std::string unicodeName(const std::string& name);

// Variable-star designations: 1 "R" ... 9 "Z", 10 "RR" ... 54 "ZZ",
// 55 "AA" ... 334 "QZ" (no J), then "V335" onwards. Empty text below 1.
std::string variableStarDesignation(long number);
// The sequence number of a designation written as above (also "V" followed
// by any number from 1), or 0 when the text is not one.
long variableStarNumber(const std::string& designation);
