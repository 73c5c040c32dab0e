#include "data/Names.h"

#include "data/SkyObject.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

namespace {

// ---------------------------------------------------------------------------
// Valid ranges of the catalogue fields.

constexpr long kMaxHR = 9999;
constexpr long kMaxHD = 999999;
constexpr long kMaxSAO = 999998;
constexpr long kMaxZone = 89;
constexpr long kMaxBDNumber = 9999;
constexpr long kMaxBDSuffix = 5;
constexpr long kMaxCoDNumber = 99999;
constexpr long kMaxGSCRegion = 9537;
constexpr long kMaxGSCNumber = 9999;
constexpr long kMaxMessier = 110;
constexpr long kMaxNGCNumber = 9999;
constexpr long kMaxNGCSuffix = 9;
constexpr long kMaxUGC = 99999;
constexpr long kMaxUGCA = 99998;
constexpr long kMaxPGC = 99999;
constexpr long kMaxLongitude = 359;
constexpr long kMaxLatitude = 89;
constexpr long kMaxPKSequence = 9;
constexpr long kMaxTenth = 9;
constexpr long kMaxSuperscript = 9;
// Flamsteed and variable-star numbers share their payload with a two-digit
// constellation number; a larger number would spill into the catalogue code.
constexpr long kMaxDesignationNumber = 999999;

// ---------------------------------------------------------------------------
// Payload layout, per catalogue.

constexpr long kGreekLetterUnit = 1000; // Bayer: letter x 1000 + superscript x 100 + constellation
constexpr long kSuperscriptUnit = 100;
constexpr long kConstellationUnit = 100; // variable, Flamsteed: number x 100 + constellation
constexpr long kNorthUnit = 10000000;    // BD, CoD, CPD: north x 10^7 + zone x 10^5 + ...
constexpr long kZoneUnit = 100000;
constexpr long kBDNumberUnit = 10; // BD: ... + number x 10 + suffix
constexpr long kGSCRegionUnit = 10000;
constexpr long kSuffixUnit = 10;               // NGC, IC: number x 10 + suffix
constexpr long kGalacticLongitudeUnit = 10000; // PK, PNG: longitude (PNG: in tenths) x 10^4 + ...
constexpr long kGalacticNorthUnit = 1000;
constexpr long kGalacticLatitudeUnit = 10;
constexpr double kTenthsPerDegree = 10.0;

// Reading stops growing a number here: every valid field is far smaller, so a
// saturated value is simply out of range.
constexpr long kNumberCeiling = 1000000000;

// BD suffix digits 1-5; NGC and IC suffix digits 1-9 are the letters A to I.
constexpr char kBDSuffixLetters[] = "abnps";
constexpr char kFirstNGCSuffix = 'A';

// Display buffers: the longest identifier text is well below this.
constexpr std::size_t kFormatSize = 64;

constexpr const char* kIdentifierSeparator = "; ";
constexpr char kPartSeparator = ';';
constexpr char kSymbolMark = '$';

struct Constellation {
    const char* abbreviation;
    const char* name;
};

constexpr Constellation kConstellations[kConstellationCount] = {
    {"And", "Andromeda"},
    {"Ant", "Antlia"},
    {"Aps", "Apus"},
    {"Aqr", "Aquarius"},
    {"Aql", "Aquila"},
    {"Ara", "Ara"},
    {"Ari", "Aries"},
    {"Aur", "Auriga"},
    {"Boo", "Bootes"},
    {"Cae", "Caelum"},
    {"Cam", "Camelopardalis"},
    {"Cnc", "Cancer"},
    {"CVn", "Canes Venatici"},
    {"CMa", "Canis Major"},
    {"CMi", "Canis Minor"},
    {"Cap", "Capricornus"},
    {"Car", "Carina"},
    {"Cas", "Cassiopeia"},
    {"Cen", "Centaurus"},
    {"Cep", "Cepheus"},
    {"Cet", "Cetus"},
    {"Cha", "Chameleon"},
    {"Cir", "Circinus"},
    {"Col", "Columba"},
    {"Com", "Coma Berenices"},
    {"CrA", "Corona Australis"},
    {"CrB", "Corona Borealis"},
    {"Crv", "Corvus"},
    {"Crt", "Crater"},
    {"Cru", "Crux"},
    {"Cyg", "Cygnus"},
    {"Del", "Delphinus"},
    {"Dor", "Dorado"},
    {"Dra", "Draco"},
    {"Equ", "Equuleus"},
    {"Eri", "Eridanus"},
    {"For", "Fornax"},
    {"Gem", "Gemini"},
    {"Gru", "Grus"},
    {"Her", "Hercules"},
    {"Hor", "Horologium"},
    {"Hya", "Hydra"},
    {"Hyi", "Hydrus"},
    {"Ind", "Indus"},
    {"Lac", "Lacerta"},
    {"Leo", "Leo"},
    {"LMi", "Leo Minor"},
    {"Lep", "Lepus"},
    {"Lib", "Libra"},
    {"Lup", "Lupus"},
    {"Lyn", "Lynx"},
    {"Lyr", "Lyra"},
    {"Men", "Mensa"},
    {"Mic", "Microscopium"},
    {"Mon", "Monoceros"},
    {"Mus", "Musca"},
    {"Nor", "Norma"},
    {"Oct", "Octans"},
    {"Oph", "Ophiucus"},
    {"Ori", "Orion"},
    {"Pav", "Pavo"},
    {"Peg", "Pegasus"},
    {"Per", "Perseus"},
    {"Phe", "Phoenix"},
    {"Pic", "Pictor"},
    {"Psc", "Pisces"},
    {"PsA", "Piscis Austrinus"},
    {"Pup", "Puppis"},
    {"Pyx", "Pyxis"},
    {"Ret", "Reticulum"},
    {"Sge", "Sagitta"},
    {"Sgr", "Sagittarius"},
    {"Sco", "Scorpius"},
    {"Scl", "Sculptor"},
    {"Sct", "Scutum"},
    {"Ser", "Serpens"},
    {"Sex", "Sextans"},
    {"Tau", "Taurus"},
    {"Tel", "Telescopium"},
    {"Tri", "Triangulum"},
    {"TrA", "Triangulum Australe"},
    {"Tuc", "Tucana"},
    {"UMa", "Ursa Major"},
    {"UMi", "Ursa Minor"},
    {"Vel", "Vela"},
    {"Vir", "Virgo"},
    {"Vol", "Volans"},
    {"Vul", "Vulpecula"},
};

// The symbol font draws these letters as alpha to omega.
constexpr char kGreekSymbols[kGreekLetterCount + 1] = "abgdezhqiklmnxoprstufcyw";

// Variable-star pairs after ZZ start again at AA and never use J; the first
// letter of such a pair runs from A to Q.
constexpr char kPairLetters[] = "ABCDEFGHIKLMNOPQRSTUVWXYZ";
constexpr int kPairLetterCount = sizeof kPairLetters - 1;
constexpr int kLastPairFirstLetter = 15; // index of Q in kPairLetters
constexpr long kFirstRunPairNumber = 10; // RR
constexpr long kFirstPairNumber = 55;    // AA

// ---------------------------------------------------------------------------
// Characters. Texts are Windows-1252, so the C library's classification
// (which takes negative chars badly) is not used.

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
char FoldCase(char c) {
    return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Reads fields the way the C library's formatted input does: a number skips
// leading blanks and takes an optional sign and at least one digit; a
// character takes the very next one, blank or not; a word skips blanks and
// runs to the next blank. Unlike the library, a number too large for any
// field saturates instead of overflowing.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    bool number(long& value) {
        std::size_t at = pos_;
        while (at < text_.size() && IsSpace(text_[at]))
            ++at;
        bool negative = false;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) {
            negative = text_[at] == '-';
            ++at;
        }
        if (at >= text_.size() || !IsDigit(text_[at])) return false;
        long magnitude = 0;
        for (; at < text_.size() && IsDigit(text_[at]); ++at) {
            if (magnitude < kNumberCeiling) magnitude = magnitude * 10 + (text_[at] - '0');
        }
        value = negative ? -magnitude : magnitude;
        pos_ = at;
        return true;
    }

    bool character(char& c) {
        if (pos_ >= text_.size()) return false;
        c = text_[pos_++];
        return true;
    }

    bool word(std::string_view& w) {
        while (pos_ < text_.size() && IsSpace(text_[pos_]))
            ++pos_;
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsSpace(text_[pos_]))
            ++pos_;
        w = text_.substr(start, pos_ - start);
        return !w.empty();
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool InRange(long value, long low, long high) {
    return value >= low && value <= high;
}

std::uint32_t Pack(int code, long payload) {
    return static_cast<std::uint32_t>(code) * kCatalogCodeUnit +
           static_cast<std::uint32_t>(payload);
}

// The sign of BD, CoD, CPD, PK and PNG designations. Only "+" and "-" are
// accepted: taking any other character (a blank, a digit of the zone) as
// "south" would turn "BD +38 3238" or "BD38 3238" into a different star.
bool ReadSign(FieldReader& in, long& north) {
    char sign = 0;
    if (!in.character(sign) || (sign != '+' && sign != '-')) return false;
    north = sign == '+' ? 1 : 0;
    return true;
}

// The BD, NGC and IC suffix letters; a part without one has suffix 0.
long SuffixNumber(char letter, const char* letters) {
    for (long i = 0; letters[i] != '\0'; ++i) {
        if (FoldCase(letter) == FoldCase(letters[i])) return i + 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Star designations.

std::uint32_t ParsePlainNumber(int code, std::string_view rest, long high) {
    FieldReader in(rest);
    long number = 0;
    if (!in.number(number) || !InRange(number, 1, high)) return 0;
    return Pack(code, number);
}

std::uint32_t ParseGSC(std::string_view rest) {
    FieldReader in(rest);
    long region = 0, number = 0;
    char dash = 0;
    if (!in.number(region) || !in.character(dash) || dash != '-' || !in.number(number)) return 0;
    if (!InRange(region, 1, kMaxGSCRegion) || !InRange(number, 1, kMaxGSCNumber)) return 0;
    return Pack(kCatalogGSC, region * kGSCRegionUnit + number);
}

// The zone's sign is the sign character; a zone read with a sign of its own
// ("BD+-38") is refused, as a negative zone would borrow from the catalogue code.
bool ReadZone(FieldReader& in, long& north, long& zone) {
    return ReadSign(in, north) && in.number(zone) && InRange(zone, 0, kMaxZone);
}

std::uint32_t ParseBD(std::string_view rest) {
    FieldReader in(rest);
    long north = 0, zone = 0, number = 0, suffix = 0;
    if (!ReadZone(in, north, zone) || !in.number(number) || !InRange(number, 1, kMaxBDNumber))
        return 0;
    char letter = 0;
    if (in.character(letter)) {
        suffix = SuffixNumber(letter, kBDSuffixLetters);
        if (suffix == 0) return 0;
    }
    return Pack(kCatalogBD,
                north * kNorthUnit + zone * kZoneUnit + number * kBDNumberUnit + suffix);
}

std::uint32_t ParseZoneNumber(int code, std::string_view rest) {
    FieldReader in(rest);
    long north = 0, zone = 0, number = 0;
    if (!ReadZone(in, north, zone) || !in.number(number) || !InRange(number, 1, kMaxCoDNumber))
        return 0;
    return Pack(code, north * kNorthUnit + zone * kZoneUnit + number);
}

// "61 Cyg" or "RR Lyr": a number or a variable-star designation, then the
// constellation.
std::uint32_t ParseNumberedStar(std::string_view part) {
    FieldReader in(part);
    std::string_view first, second;
    if (!in.word(first) || !in.word(second)) return 0;
    int constellation = constellationNumber(std::string(second));
    if (constellation == 0) return 0;
    if (first[0] >= '1' && first[0] <= '9') {
        FieldReader digits(first);
        long number = 0;
        if (!digits.number(number) || !InRange(number, 1, kMaxDesignationNumber)) return 0;
        return Pack(kCatalogFlamsteed, number * kConstellationUnit + constellation);
    }
    if (!IsUpper(first[0])) return 0;
    long number = variableStarNumber(std::string(first));
    if (number == 0) return 0;
    return Pack(kCatalogVariable, number * kConstellationUnit + constellation);
}

// "$a Cen", "$a1 Cen": a symbol-font letter with an optional superscript.
std::uint32_t ParseBayer(std::string_view part) {
    FieldReader in(part);
    std::string_view first, second;
    if (!in.word(first) || !in.word(second) || first.size() < 2) return 0;
    int letter = greekLetterNumber(first[1]);
    if (letter == 0) return 0;
    long superscript = 0;
    if (first.size() > 2 && first[2] >= '1' && first[2] <= '0' + kMaxSuperscript)
        superscript = first[2] - '0';
    int constellation = constellationNumber(std::string(second));
    if (constellation == 0) return 0;
    return Pack(kCatalogBayer,
                letter * kGreekLetterUnit + superscript * kSuperscriptUnit + constellation);
}

std::uint32_t ParseStarPart(std::string_view part) {
    if (StartsWith(part, "GSC")) return ParseGSC(part.substr(3));
    if (StartsWith(part, "BD")) return ParseBD(part.substr(2));
    if (StartsWith(part, "CoD")) return ParseZoneNumber(kCatalogCoD, part.substr(3));
    if (StartsWith(part, "CPD")) return ParseZoneNumber(kCatalogCPD, part.substr(3));
    if (StartsWith(part, "HD")) return ParsePlainNumber(kCatalogHD, part.substr(2), kMaxHD);
    if (StartsWith(part, "SAO")) return ParsePlainNumber(kCatalogSAO, part.substr(3), kMaxSAO);
    if (StartsWith(part, "HR")) return ParsePlainNumber(kCatalogHR, part.substr(2), kMaxHR);
    if (part.empty()) return 0;
    if (part[0] != kSymbolMark) return ParseNumberedStar(part);
    return ParseBayer(part);
}

// ---------------------------------------------------------------------------
// Deep-sky designations.

// "PK205+14 1": longitude, sign, latitude, any separator, sequence.
std::uint32_t ParsePK(std::string_view rest) {
    FieldReader in(rest);
    long longitude = 0, north = 0, latitude = 0, sequence = 0;
    char separator = 0;
    if (!in.number(longitude) || !ReadSign(in, north) || !in.number(latitude) ||
        !in.character(separator) || !in.number(sequence))
        return 0;
    // The latitude's sign is the sign character; a negative one would borrow
    // from the longitude digits.
    if (!InRange(longitude, 0, kMaxLongitude) || !InRange(latitude, 0, kMaxLatitude) ||
        !InRange(sequence, 1, kMaxPKSequence))
        return 0;
    return Pack(kCatalogPK, longitude * kGalacticLongitudeUnit + north * kGalacticNorthUnit +
                                latitude * kGalacticLatitudeUnit + sequence);
}

// "PNG205.1+14.2": longitude and latitude in degrees and tenths.
std::uint32_t ParsePNG(std::string_view rest) {
    FieldReader in(rest);
    long longitude = 0, longitudeTenth = 0, north = 0, latitude = 0, latitudeTenth = 0;
    char point1 = 0, point2 = 0;
    if (!in.number(longitude) || !in.character(point1) || point1 != '.' ||
        !in.number(longitudeTenth) || !ReadSign(in, north) || !in.number(latitude) ||
        !in.character(point2) || point2 != '.' || !in.number(latitudeTenth))
        return 0;
    if (!InRange(longitude, 0, kMaxLongitude) || !InRange(longitudeTenth, 0, kMaxTenth) ||
        !InRange(latitude, 0, kMaxLatitude) || !InRange(latitudeTenth, 0, kMaxTenth))
        return 0;
    long longitudeTenths = longitude * static_cast<long>(kTenthsPerDegree) + longitudeTenth;
    return Pack(kCatalogPNG, longitudeTenths * kGalacticLongitudeUnit + north * kGalacticNorthUnit +
                                 latitude * kGalacticLatitudeUnit + latitudeTenth);
}

// "NGC224", "NGC 5194a": a number and an optional suffix letter A-I.
std::uint32_t ParseNGC(int code, std::string_view rest) {
    FieldReader in(rest);
    long number = 0, suffix = 0;
    if (!in.number(number) || !InRange(number, 1, kMaxNGCNumber)) return 0;
    char letter = 0;
    if (in.character(letter)) {
        if (FoldCase(letter) < 'a' || FoldCase(letter) > 'a' + kMaxNGCSuffix - 1) return 0;
        suffix = FoldCase(letter) - 'a' + 1;
    }
    return Pack(code, number * kSuffixUnit + suffix);
}

std::uint32_t ParseDeepSkyPart(std::string_view part) {
    if (StartsWith(part, "UGCA")) return ParsePlainNumber(kCatalogUGCA, part.substr(4), kMaxUGCA);
    if (StartsWith(part, "UGC")) return ParsePlainNumber(kCatalogUGC, part.substr(3), kMaxUGC);
    if (StartsWith(part, "PGC")) return ParsePlainNumber(kCatalogPGC, part.substr(3), kMaxPGC);
    if (StartsWith(part, "PK")) return ParsePK(part.substr(2));
    if (StartsWith(part, "PNG")) return ParsePNG(part.substr(3));
    if (StartsWith(part, "NGC")) return ParseNGC(kCatalogNGC, part.substr(3));
    if (StartsWith(part, "IC")) return ParseNGC(kCatalogIC, part.substr(2));
    if (StartsWith(part, "M"))
        return ParsePlainNumber(kCatalogMessier, part.substr(1), kMaxMessier);
    return 0;
}

NameParse ParseNames(const std::string& text, std::uint32_t (*parsePart)(std::string_view)) {
    NameParse result;
    result.allIdentifiers = true;
    std::string_view rest(text.data(), std::min(text.size(), kMaxNameTextLength));
    for (;;) {
        std::size_t separator = rest.find(kPartSeparator);
        std::uint32_t identifier = parsePart(Trim(rest.substr(0, separator)));
        if (identifier == 0)
            result.allIdentifiers = false;
        else if (result.count < kMaxNameParts)
            result.identifiers[result.count++] = identifier;
        if (separator == std::string_view::npos) break;
        rest.remove_prefix(separator + 1);
    }
    std::stable_sort(result.identifiers, result.identifiers + result.count,
                     [](std::uint32_t a, std::uint32_t b) {
                         return IdentifierCatalog(a) < IdentifierCatalog(b);
                     });
    return result;
}

// ---------------------------------------------------------------------------
// Formatting. Each unpacks its payload and refuses fields the parser could
// not have produced, so a damaged record shows nothing rather than garbage.

std::string Formatted(const char* format, auto... args) {
    char buffer[kFormatSize];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

char SignCharacter(long north) {
    return north == 1 ? '+' : '-';
}

std::string FormatBayer(long payload) {
    long letter = payload / kGreekLetterUnit;
    long superscript = payload / kSuperscriptUnit % 10;
    long constellation = payload % kSuperscriptUnit;
    if (!InRange(letter, 1, kGreekLetterCount) || !InRange(constellation, 1, kConstellationCount))
        return {};
    const char symbol[2] = {greekSymbol(static_cast<int>(letter)), '\0'};
    const char* abbreviation = constellationAbbreviation(static_cast<int>(constellation));
    if (superscript == 0) return Formatted("$%s %s", symbol, abbreviation);
    return Formatted("$%s%ld %s", symbol, superscript, abbreviation);
}

std::string FormatVariable(long payload) {
    long number = payload / kConstellationUnit;
    long constellation = payload % kConstellationUnit;
    if (number < 1 || !InRange(constellation, 1, kConstellationCount)) return {};
    return Formatted("%s %s", variableStarDesignation(number).c_str(),
                     constellationAbbreviation(static_cast<int>(constellation)));
}

std::string FormatFlamsteed(long payload) {
    long number = payload / kConstellationUnit;
    long constellation = payload % kConstellationUnit;
    if (number < 1 || !InRange(constellation, 1, kConstellationCount)) return {};
    return Formatted("%ld %s", number, constellationAbbreviation(static_cast<int>(constellation)));
}

// A catalogue prefix and the number after it ("HD" 48915: "HD48915"), made
// without the formatted-output machinery: a name search formats the
// designations of every star it passes.
std::string FormatPlain(std::string_view prefix, long payload, long high) {
    if (!InRange(payload, 1, high)) return {};
    char digits[24];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, payload);
    if (error != std::errc()) return {};
    std::string text;
    text.reserve(prefix.size() + static_cast<std::size_t>(end - digits));
    text.append(prefix);
    text.append(digits, end);
    return text;
}

std::string FormatBD(long payload) {
    long north = payload / kNorthUnit;
    int zone = static_cast<int>(payload / kZoneUnit % 100);
    long number = payload % kZoneUnit / kBDNumberUnit;
    long suffix = payload % kBDNumberUnit;
    if (north > 1 || zone > kMaxZone || number < 1 || suffix > kMaxBDSuffix) return {};
    if (suffix == 0) return Formatted("BD%c%02d %ld", SignCharacter(north), zone, number);
    return Formatted("BD%c%02d %ld%c", SignCharacter(north), zone, number,
                     kBDSuffixLetters[suffix - 1]);
}

std::string FormatZoneNumber(const char* format, long payload) {
    long north = payload / kNorthUnit;
    int zone = static_cast<int>(payload / kZoneUnit % 100);
    long number = payload % kZoneUnit;
    if (north > 1 || zone > kMaxZone || number < 1) return {};
    return Formatted(format, SignCharacter(north), zone, number);
}

std::string FormatGSC(long payload) {
    long region = payload / kGSCRegionUnit;
    long number = payload % kGSCRegionUnit;
    if (!InRange(region, 1, kMaxGSCRegion) || number < 1) return {};
    return Formatted("GSC%04ld-%04ld", region, number);
}

std::string FormatNGC(const char* plain, const char* suffixed, long payload) {
    long number = payload / kSuffixUnit;
    long suffix = payload % kSuffixUnit;
    if (!InRange(number, 1, kMaxNGCNumber)) return {};
    if (suffix == 0) return Formatted(plain, number);
    return Formatted(suffixed, number, static_cast<int>(kFirstNGCSuffix + suffix - 1));
}

std::string FormatPK(long payload) {
    long longitude = payload / kGalacticLongitudeUnit;
    long north = payload / kGalacticNorthUnit % 10;
    int latitude = static_cast<int>(payload / kGalacticLatitudeUnit % 100);
    int sequence = static_cast<int>(payload % kGalacticLatitudeUnit);
    if (longitude > kMaxLongitude || north > 1 || latitude > kMaxLatitude || sequence < 1)
        return {};
    return Formatted("PK%ld%c%02d %d", longitude, SignCharacter(north), latitude, sequence);
}

std::string FormatPNG(long payload) {
    long longitudeTenths = payload / kGalacticLongitudeUnit;
    long north = payload / kGalacticNorthUnit % 10;
    long latitudeTenths = payload % kGalacticNorthUnit;
    if (longitudeTenths > kMaxLongitude * 10 + kMaxTenth || north > 1 ||
        latitudeTenths > kMaxLatitude * 10 + kMaxTenth)
        return {};
    return Formatted("PNG%05.1f%c%04.1f", longitudeTenths / kTenthsPerDegree, SignCharacter(north),
                     latitudeTenths / kTenthsPerDegree);
}

} // namespace

// ---------------------------------------------------------------------------

NameParse parseStarNames(const std::string& text) {
    return ParseNames(text, ParseStarPart);
}

NameParse parseDeepSkyNames(const std::string& text) {
    return ParseNames(text, ParseDeepSkyPart);
}

bool setObjectNames(CatalogObject* object, const std::string& text) {
    if (object == nullptr) return false;
    NameParse parse = IsDeepSkyType(object->type) ? parseDeepSkyNames(text) : parseStarNames(text);
    int keep = std::min(parse.count, kMaxIdentifiers);

    std::unique_ptr<std::uint32_t[]> identifiers;
    if (keep > 0) {
        identifiers.reset(new (std::nothrow) std::uint32_t[keep]);
        if (identifiers == nullptr) return false;
        std::copy(parse.identifiers, parse.identifiers + keep, identifiers.get());
    }
    // An empty text names nothing; keeping an empty name would only differ
    // from no name in the bytes written to the data file.
    OwnedText name;
    std::size_t length = std::strlen(text.c_str());
    if (!parse.allIdentifiers && length > 0) {
        name.reset(new (std::nothrow) char[length + 1]);
        if (name == nullptr) return false;
        std::memcpy(name.get(), text.c_str(), length + 1);
    }
    object->identifiers = std::move(identifiers);
    object->identifierCount = static_cast<std::int8_t>(keep);
    object->name = std::move(name);
    return true;
}

std::string formatIdentifier(std::uint32_t identifier) {
    long payload = static_cast<long>(IdentifierPayload(identifier));
    switch (IdentifierCatalog(identifier)) {
    case kCatalogBayer:
        return FormatBayer(payload);
    case kCatalogVariable:
        return FormatVariable(payload);
    case kCatalogFlamsteed:
        return FormatFlamsteed(payload);
    case kCatalogHR:
        return FormatPlain("HR", payload, kMaxHR);
    case kCatalogHD:
        return FormatPlain("HD", payload, kMaxHD);
    case kCatalogSAO:
        return FormatPlain("SAO", payload, kMaxSAO);
    case kCatalogBD:
        return FormatBD(payload);
    case kCatalogCoD:
        return FormatZoneNumber("CoD%c%02d %ld", payload);
    case kCatalogCPD:
        return FormatZoneNumber("CPD%c%02d %ld", payload);
    case kCatalogGSC:
        return FormatGSC(payload);
    case kCatalogMessier:
        return FormatPlain("M", payload, kMaxMessier);
    case kCatalogNGC:
        return FormatNGC("NGC%ld", "NGC%ld%c", payload);
    case kCatalogIC:
        return FormatNGC("IC%ld", "IC%ld%c", payload);
    case kCatalogUGC:
        return FormatPlain("UGC", payload, kMaxUGC);
    case kCatalogUGCA:
        return FormatPlain("UGCA", payload, kMaxUGCA);
    case kCatalogPK:
        return FormatPK(payload);
    case kCatalogPNG:
        return FormatPNG(payload);
    case kCatalogPGC:
        return FormatPlain("PGC", payload, kMaxPGC);
    default:
        return {};
    }
}

std::string buildIdentifierName(const std::uint32_t* identifiers, int count) {
    std::string result;
    if (identifiers == nullptr) return result;
    for (int i = 0; i < count; ++i) {
        std::string text = formatIdentifier(identifiers[i]);
        if (text.empty()) continue;
        if (!result.empty()) result += kIdentifierSeparator;
        result += text;
    }
    return result;
}

int constellationNumber(const std::string& word) {
    if (word.size() < 3) return 0;
    for (int i = 0; i < kConstellationCount; ++i) {
        const char* abbreviation = kConstellations[i].abbreviation;
        if (FoldCase(word[0]) == FoldCase(abbreviation[0]) &&
            FoldCase(word[1]) == FoldCase(abbreviation[1]) &&
            FoldCase(word[2]) == FoldCase(abbreviation[2]))
            return i + 1;
    }
    return 0;
}

const char* constellationAbbreviation(int number) {
    return InRange(number, 1, kConstellationCount) ? kConstellations[number - 1].abbreviation : "";
}

const char* constellationName(int number) {
    return InRange(number, 1, kConstellationCount) ? kConstellations[number - 1].name : "";
}

int greekLetterNumber(char symbol) {
    if (symbol == '\0') return 0;
    const char* found = std::strchr(kGreekSymbols, symbol);
    return found != nullptr ? static_cast<int>(found - kGreekSymbols) + 1 : 0;
}

char greekSymbol(int number) {
    return InRange(number, 1, kGreekLetterCount) ? kGreekSymbols[number - 1] : '\0';
}

std::string variableStarDesignation(long number) {
    if (number < 1) return {};
    if (number >= kFirstNumberedVariable) return Formatted("V%ld", number);
    if (number < kFirstRunPairNumber) return std::string(1, static_cast<char>('R' + number - 1));
    long rest = number - kFirstRunPairNumber;
    if (number < kFirstPairNumber) {
        for (char first = 'R'; first <= 'Z'; ++first) {
            long run = 'Z' - first + 1;
            if (rest < run) return {first, static_cast<char>(first + rest)};
            rest -= run;
        }
    }
    rest = number - kFirstPairNumber;
    for (int first = 0; first <= kLastPairFirstLetter; ++first) {
        long run = kPairLetterCount - first;
        if (rest < run) return {kPairLetters[first], kPairLetters[first + rest]};
        rest -= run;
    }
    return {};
}

long variableStarNumber(const std::string& designation) {
    std::size_t length = designation.size();
    if (length == 1 && designation[0] >= 'R' && designation[0] <= 'Z')
        return designation[0] - 'R' + 1;
    if (length == 2 && IsUpper(designation[0]) && IsUpper(designation[1])) {
        char first = designation[0], second = designation[1];
        if (first >= 'R' && second >= first) {
            long number = kFirstRunPairNumber;
            for (char c = 'R'; c < first; ++c)
                number += 'Z' - c + 1;
            return number + (second - first);
        }
        const char* firstAt = std::strchr(kPairLetters, first);
        const char* secondAt = std::strchr(kPairLetters, second);
        if (firstAt == nullptr || secondAt == nullptr) return 0;
        int i = static_cast<int>(firstAt - kPairLetters);
        int j = static_cast<int>(secondAt - kPairLetters);
        if (i > kLastPairFirstLetter || j < i) return 0;
        long number = kFirstPairNumber;
        for (int k = 0; k < i; ++k)
            number += kPairLetterCount - k;
        return number + (j - i);
    }
    if (length > 1 && designation[0] == 'V') {
        FieldReader in(std::string_view(designation).substr(1));
        long number = 0;
        if (in.number(number) && InRange(number, 1, kMaxDesignationNumber)) return number;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Greek letters as people write them.

namespace {

constexpr const char* kGreekNames[kGreekLetterCount] = {
    "alpha", "beta",  "gamma",  "delta",   "epsilon", "zeta", "eta",     "theta",
    "iota",  "kappa", "lambda", "mu",      "nu",      "xi",   "omicron", "pi",
    "rho",   "sigma", "tau",    "upsilon", "phi",     "chi",  "psi",     "omega"};
// The three-letter forms of catalogues ("alf Cen").
constexpr const char* kGreekShortNames[kGreekLetterCount] = {
    "alf", "bet", "gam", "del", "eps", "zet", "eta", "tet", "iot", "kap", "lam", "mu",
    "nu",  "ksi", "omi", "pi",  "rho", "sig", "tau", "ups", "phi", "chi", "psi", "ome"};

// Code points of the small letters alpha to omega, final sigma skipped.
char32_t GreekCodePoint(int number) {
    return static_cast<char32_t>(0x3B1 + number - 1 + (number >= 18 ? 1 : 0));
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t SuperscriptDigit(char digit) {
    static constexpr char32_t kSuperscripts[10] = {0x2070, 0xB9,   0xB2,   0xB3,   0x2074,
                                                   0x2075, 0x2076, 0x2077, 0x2078, 0x2079};
    return kSuperscripts[digit - '0'];
}

// Reads one UTF-8 character at `at` (advancing it); 0 for a broken sequence.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    unsigned char c = static_cast<unsigned char>(text[at++]);
    int more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : -1;
    if (more < 0) return 0;
    char32_t value = more == 0 ? c : more == 1 ? (c & 0x1F) : (c & 0x0F);
    for (int i = 0; i < more; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) return 0;
        value = value << 6 | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    return value;
}

// Greek letter 1..24 at the start of `word` (a Greek character, small or
// capital, or its name written out), with `rest` what follows; 0 when none.
int LeadingGreekLetter(std::string_view word, std::string_view& rest) {
    std::size_t at = 0;
    char32_t c = NextCodePoint(word, at);
    if (c >= 0x391 && c <= 0x3A9) c += 0x20; // capital to small
    if (c == 0x3C2) c = 0x3C3;               // final sigma
    for (int n = 1; n <= kGreekLetterCount; ++n)
        if (c == GreekCodePoint(n)) {
            rest = word.substr(at);
            return n;
        }
    // The longest written-out name that starts the word ("eta" within "theta" never does).
    int best = 0;
    std::size_t bestLength = 0;
    for (int n = 1; n <= kGreekLetterCount; ++n)
        for (const char* name : {kGreekNames[n - 1], kGreekShortNames[n - 1]}) {
            std::size_t length = std::strlen(name);
            if (length <= bestLength || word.size() < length) continue;
            bool same = true;
            for (std::size_t i = 0; i < length && same; ++i)
                same = FoldCase(word[i]) == name[i];
            if (same) {
                best = n;
                bestLength = length;
            }
        }
    rest = word.substr(bestLength);
    return best;
}

// A superscript written as digits or superscript digits: its value, -1 when
// `text` holds anything else, 0 when empty.
int SuperscriptValue(std::string_view text) {
    int value = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        char32_t c = NextCodePoint(text, at);
        int digit = c >= '0' && c <= '9'         ? static_cast<int>(c - '0')
                    : c == 0xB9                  ? 1
                    : c == 0xB2 || c == 0xB3     ? static_cast<int>(c - 0xB0)
                    : c >= 0x2074 && c <= 0x2079 ? static_cast<int>(c - 0x2070)
                    : c == 0x2070                ? 0
                                                 : -1;
        if (digit < 0 || value > 99) return -1;
        value = value * 10 + digit;
    }
    return value;
}

// The constellation a name means: its abbreviation, or its Latin name in any
// case (nominative or genitive: each word must share its first three letters
// with the name's; the longest shared start wins, then the nearest length).
int SplitBlank(std::string_view text, std::string_view* words, int limit) {
    int count = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) {
            if (count == limit) return limit + 1;
            words[count++] = text.substr(at, end - at);
        }
        at = end + 1;
    }
    return count;
}

int ConstellationOfName(std::string_view name) {
    if (name.size() == 3) return constellationNumber(std::string(name));
    std::string_view written[2], words[2];
    const int count = SplitBlank(name, written, 2);
    int best = 0;
    long bestScore = 0;
    for (int c = 1; c <= kConstellationCount; ++c) {
        if (SplitBlank(kConstellations[c - 1].name, words, 2) != count) continue;
        long score = 0;
        for (int k = 0; k < count && score >= 0; ++k) {
            std::size_t same = 0;
            while (same < words[k].size() && same < written[k].size() &&
                   FoldCase(words[k][same]) == FoldCase(written[k][same]))
                ++same;
            long difference =
                std::abs(static_cast<long>(words[k].size()) - static_cast<long>(written[k].size()));
            score = same < 3 ? -1 : score + static_cast<long>(same) * 100 - difference;
        }
        if (score > bestScore) {
            best = c;
            bestScore = score;
        }
    }
    return best;
}

} // namespace

std::string bayerQuery(const std::string& query) {
    std::string out;
    std::string_view text = query;
    while (true) {
        std::size_t separator = text.find(kPartSeparator);
        std::string_view part = text.substr(0, separator);
        std::size_t first = part.find_first_not_of(' ');
        std::size_t last = part.find_last_not_of(' ');
        std::string_view trimmed = first == std::string_view::npos
                                       ? std::string_view()
                                       : part.substr(first, last - first + 1);
        std::size_t blank = trimmed.find(' ');
        std::string_view rest;
        int letter = blank == std::string_view::npos
                         ? 0
                         : LeadingGreekLetter(trimmed.substr(0, blank), rest);
        int superscript = letter > 0 ? SuperscriptValue(rest) : -1;
        int constellation = superscript >= 0 ? ConstellationOfName(trimmed.substr(blank + 1)) : 0;
        if (constellation > 0) {
            out += kSymbolMark;
            out += greekSymbol(letter);
            if (superscript > 0) out += std::to_string(superscript);
            out += ' ';
            out += constellationAbbreviation(constellation);
        } else {
            out += part;
        }
        if (separator == std::string_view::npos) break;
        out += kPartSeparator;
        text.remove_prefix(separator + 1);
    }
    return out;
}

std::string unicodeName(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        int letter =
            name[i] == kSymbolMark && i + 1 < name.size() ? greekLetterNumber(name[i + 1]) : 0;
        if (letter == 0) {
            out += name[i];
            continue;
        }
        AppendUtf8(out, GreekCodePoint(letter));
        i += 2;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9')
            AppendUtf8(out, SuperscriptDigit(name[i++]));
        --i;
    }
    return out;
}
