#include "data/Search.h"

#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <string_view>

// A search walks every object of the store, so examining one has to cost
// little: names are read where they lie, never copied, and the display name
// of an object named by its designations alone is not built for an exact
// search. Instead the query's parts are turned once into the designations
// whose display forms they are, and the object's packed identifiers are
// compared with those.

namespace {

constexpr char kPartSeparator = ';';

// The designations one query part can stand for: one in practice (display
// forms differ between catalogues), a few to spare.
constexpr int kMaxDesignationsPerPart = 4;

// Reading the tick count costs about as much as examining an object, so the
// platform's clock is read every this many objects. A clock put in its place
// (tests step it object by object) is read for each.
constexpr long kClockStride = 64;

// No field has more digits than this; a longer run is no number of ours.
constexpr std::size_t kMaxDigits = 9;

// Payload layouts, as the name parser packs them.
constexpr long kGreekLetterUnit = 1000;
constexpr long kSuperscriptUnit = 100;
constexpr long kConstellationUnit = 100;
constexpr long kNorthUnit = 10000000;
constexpr long kZoneUnit = 100000;
constexpr long kBDNumberUnit = 10;
constexpr long kGSCRegionUnit = 10000;
constexpr long kSuffixUnit = 10;
constexpr long kGalacticLongitudeUnit = 10000;
constexpr long kGalacticNorthUnit = 1000;
constexpr long kGalacticLatitudeUnit = 10;
constexpr long kTenthsPerDegree = 10;
constexpr char kBDSuffixLetters[] = "abnps";

SearchClock gSearchClock = nullptr;

long Now() {
    return gSearchClock != nullptr ? gSearchClock() : TickCount();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Only A-Z and a-z fold; the accented letters of Windows-1252 keep their case.
char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char UpperCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameCharacter(char a, char b, bool caseSensitive) {
    return caseSensitive ? a == b : FoldCase(a) == FoldCase(b);
}

bool Equal(std::string_view a, std::string_view b, bool caseSensitive) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!SameCharacter(a[i], b[i], caseSensitive)) return false;
    }
    return true;
}

bool Contains(std::string_view text, std::string_view word, bool caseSensitive) {
    if (word.empty()) return true;
    if (word.size() > text.size()) return false;
    const std::size_t last = text.size() - word.size();
    const std::string_view rest = word.substr(1);
    for (std::size_t at = 0; at <= last; ++at) {
        if (SameCharacter(text[at], word[0], caseSensitive) &&
            Equal(text.substr(at + 1, rest.size()), rest, caseSensitive))
            return true;
    }
    return false;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The first `limit` trimmed, non-empty pieces of `text` between ";"s.
int SplitParts(std::string_view text, std::string_view* parts, int limit) {
    int count = 0;
    while (count < limit) {
        std::size_t separator = text.find(kPartSeparator);
        std::string_view part = Trim(text.substr(0, separator));
        if (!part.empty()) parts[count++] = part;
        if (separator == std::string_view::npos) break;
        text.remove_prefix(separator + 1);
    }
    return count;
}

// The first `limit` blank-separated words of `text`.
int SplitWords(std::string_view text, std::string_view* words, int limit) {
    int count = 0;
    std::size_t at = 0;
    while (count < limit) {
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        if (at >= text.size()) break;
        std::size_t start = at;
        while (at < text.size() && !IsBlank(text[at]))
            ++at;
        words[count++] = text.substr(start, at - start);
    }
    return count;
}

struct Query {
    std::string text; // the parts and words below point into it
    std::string_view parts[kMaxSearchParts];
    int partCount = 0;
    std::string_view words[kMaxSearchParts][kMaxSearchWords];
    int wordCounts[kMaxSearchParts] = {};
    bool caseSensitive = false;
    bool exactMatch = false;
    // Exact search: the identifiers whose display form equals each part.
    // False when a part stands for more designations than are kept here;
    // display names are then built after all.
    bool designationsKnown = false;
    std::uint32_t designations[kMaxSearchParts][kMaxDesignationsPerPart] = {};
    int designationCounts[kMaxSearchParts] = {};
    // Without it no object named by designations alone can match.
    bool everyPartIsDesignation = false;
};

// ---------------------------------------------------------------------------
// Query parts as designations

// The value of a run of decimal digits; -1 when the text is empty, holds
// anything else or is too long for any field.
long DigitValue(std::string_view text) {
    if (text.empty() || text.size() > kMaxDigits) return -1;
    long value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Equal(text.substr(0, prefix.size()), prefix, false);
}

// The sign of BD, CoD, CPD, PK and PNG: 1 north, 0 south, -1 not a sign.
long North(char sign) {
    return sign == '+' ? 1 : sign == '-' ? 0 : -1;
}

// 0 (no identifier) for a payload that would spill into the catalogue code.
std::uint32_t Pack(int code, long payload) {
    if (payload < 0 || payload >= static_cast<long>(kCatalogCodeUnit)) return 0;
    return static_cast<std::uint32_t>(code) * kCatalogCodeUnit +
           static_cast<std::uint32_t>(payload);
}

// Keeps `identifier` for query part q when its display form is that part
// (under the query's letter case rule). The candidates come from a reading
// of the part that checks only its shape, ignoring letter case and the
// catalogues' ranges; this check against the display form is what makes
// the comparison exact. Reading the shape must therefore never miss: every
// identifier whose display form a part is must be among its candidates.
void KeepDesignation(Query& query, int q, std::uint32_t identifier) {
    if (identifier == 0) return;
    std::string shown = formatIdentifier(identifier);
    if (shown.empty() || !Equal(shown, query.parts[q], query.caseSensitive)) return;
    int& count = query.designationCounts[q];
    for (int i = 0; i < count; ++i)
        if (query.designations[q][i] == identifier) return;
    if (count == kMaxDesignationsPerPart) {
        query.designationsKnown = false;
        return;
    }
    query.designations[q][count++] = identifier;
}

// "<designation> <constellation>": Bayer ("$a Cen", "$a1 Cen"), Flamsteed
// ("61 Cyg") and variable-star ("RR Lyr", "V335 Cyg") designations.
void ConstellationDesignations(Query& query, int q) {
    const std::string_view part = query.parts[q];
    const std::size_t n = part.size();
    if (n < 5 || part[n - 4] != ' ') return;
    const std::string_view first = part.substr(0, n - 4);
    const std::string_view abbreviation = part.substr(n - 3);
    std::string upper(first);
    for (char& c : upper)
        c = UpperCase(c);
    const long flamsteed = DigitValue(first);
    const long variable = variableStarNumber(upper);
    for (int c = 1; c <= kConstellationCount; ++c) {
        if (!Equal(abbreviation, constellationAbbreviation(c), false)) continue;
        if (first[0] == '$' && (first.size() == 2 || first.size() == 3)) {
            int letter = greekLetterNumber(FoldCase(first[1]));
            long superscript = first.size() == 3 ? DigitValue(first.substr(2)) : 0;
            if (letter > 0 && superscript >= 0)
                KeepDesignation(query, q,
                                Pack(kCatalogBayer, letter * kGreekLetterUnit +
                                                        superscript * kSuperscriptUnit + c));
        }
        if (flamsteed > 0)
            KeepDesignation(query, q, Pack(kCatalogFlamsteed, flamsteed * kConstellationUnit + c));
        if (variable > 0)
            KeepDesignation(query, q, Pack(kCatalogVariable, variable * kConstellationUnit + c));
    }
}

// A catalogue prefix followed by the number alone: "HR2491", "M31".
void PlainDesignations(Query& query, int q) {
    struct Plain {
        const char* prefix;
        int code;
    };
    static constexpr Plain kPlain[] = {
        {"HR", kCatalogHR},   {"HD", kCatalogHD},     {"SAO", kCatalogSAO}, {"M", kCatalogMessier},
        {"UGC", kCatalogUGC}, {"UGCA", kCatalogUGCA}, {"PGC", kCatalogPGC},
    };
    const std::string_view part = query.parts[q];
    for (const Plain& plain : kPlain) {
        std::string_view prefix(plain.prefix);
        if (StartsWithFolded(part, prefix))
            KeepDesignation(query, q, Pack(plain.code, DigitValue(part.substr(prefix.size()))));
    }
}

// "NGC5194", "NGC5194A", "IC342": the number, then perhaps a suffix letter
// standing for one digit (A = 1).
void NGCDesignations(Query& query, int q) {
    const std::string_view part = query.parts[q];
    for (int code : {kCatalogNGC, kCatalogIC}) {
        std::string_view prefix = code == kCatalogNGC ? "NGC" : "IC";
        if (!StartsWithFolded(part, prefix)) continue;
        std::string_view rest = part.substr(prefix.size());
        long suffix = 0;
        if (!rest.empty() && !IsDigit(rest.back())) {
            suffix = FoldCase(rest.back()) - 'a' + 1;
            rest.remove_suffix(1);
            if (suffix < 1 || suffix >= kSuffixUnit) continue;
        }
        long number = DigitValue(rest);
        if (number >= 0) KeepDesignation(query, q, Pack(code, number * kSuffixUnit + suffix));
    }
}

// "BD+38 3238", "BD-01 4525a", "CoD-38 1234", "CPD-60 789": sign, two-digit
// zone, blank, number, and for BD perhaps a suffix letter.
void ZoneDesignations(Query& query, int q) {
    const std::string_view part = query.parts[q];
    for (int code : {kCatalogBD, kCatalogCoD, kCatalogCPD}) {
        std::string_view prefix = code == kCatalogBD ? "BD" : code == kCatalogCoD ? "CoD" : "CPD";
        const std::size_t p = prefix.size();
        if (part.size() < p + 5 || !StartsWithFolded(part, prefix) || part[p + 3] != ' ') continue;
        long north = North(part[p]);
        long zone = DigitValue(part.substr(p + 1, 2));
        std::string_view rest = part.substr(p + 4);
        long suffix = 0;
        if (code == kCatalogBD && !IsDigit(rest.back())) {
            for (long i = 0; kBDSuffixLetters[i] != '\0'; ++i)
                if (FoldCase(rest.back()) == kBDSuffixLetters[i]) suffix = i + 1;
            rest.remove_suffix(1);
            if (suffix == 0) continue;
        }
        long number = DigitValue(rest);
        if (north < 0 || zone < 0 || number < 0) continue;
        long payload = north * kNorthUnit + zone * kZoneUnit +
                       (code == kCatalogBD ? number * kBDNumberUnit + suffix : number);
        KeepDesignation(query, q, Pack(code, payload));
    }
}

// "GSC0001-0001": two numbers of four digits.
void GSCDesignations(Query& query, int q) {
    const std::string_view part = query.parts[q];
    if (part.size() != 12 || !StartsWithFolded(part, "GSC") || part[7] != '-') return;
    long region = DigitValue(part.substr(3, 4));
    long number = DigitValue(part.substr(8, 4));
    if (region >= 0 && number >= 0)
        KeepDesignation(query, q, Pack(kCatalogGSC, region * kGSCRegionUnit + number));
}

// "PNG205.1+14.2" (three and two digits before the points) and "PK205+14 1"
// (the longitude's digits as they come, two for the latitude, one for the
// sequence).
void GalacticDesignations(Query& query, int q) {
    const std::string_view part = query.parts[q];
    if (part.size() == 13 && StartsWithFolded(part, "PNG") && part[6] == '.' && part[11] == '.') {
        long longitude = DigitValue(part.substr(3, 3));
        long longitudeTenth = DigitValue(part.substr(7, 1));
        long north = North(part[8]);
        long latitude = DigitValue(part.substr(9, 2));
        long latitudeTenth = DigitValue(part.substr(12, 1));
        if (longitude >= 0 && longitudeTenth >= 0 && north >= 0 && latitude >= 0 &&
            latitudeTenth >= 0) {
            long longitudeTenths = longitude * kTenthsPerDegree + longitudeTenth;
            KeepDesignation(query, q,
                            Pack(kCatalogPNG, longitudeTenths * kGalacticLongitudeUnit +
                                                  north * kGalacticNorthUnit +
                                                  latitude * kGalacticLatitudeUnit +
                                                  latitudeTenth));
        }
    }
    if (StartsWithFolded(part, "PK")) {
        std::string_view rest = part.substr(2);
        std::size_t sign = rest.find_first_of("+-");
        if (sign == std::string_view::npos || rest.size() != sign + 5 || rest[sign + 3] != ' ')
            return;
        long longitude = DigitValue(rest.substr(0, sign));
        long north = North(rest[sign]);
        long latitude = DigitValue(rest.substr(sign + 1, 2));
        long sequence = DigitValue(rest.substr(sign + 4, 1));
        if (longitude < 0 || latitude < 0 || sequence < 0) return;
        KeepDesignation(query, q,
                        Pack(kCatalogPK, longitude * kGalacticLongitudeUnit +
                                             north * kGalacticNorthUnit +
                                             latitude * kGalacticLatitudeUnit + sequence));
    }
}

void FindDesignations(Query& query) {
    query.designationsKnown = true;
    for (int q = 0; q < query.partCount; ++q) {
        ConstellationDesignations(query, q);
        PlainDesignations(query, q);
        NGCDesignations(query, q);
        ZoneDesignations(query, q);
        GSCDesignations(query, q);
        GalacticDesignations(query, q);
    }
    query.everyPartIsDesignation = true;
    for (int q = 0; q < query.partCount; ++q)
        if (query.designationCounts[q] == 0) query.everyPartIsDesignation = false;
}

// ---------------------------------------------------------------------------
// Matching

// Every query part must equal some name part. Counting equal (name part,
// query part) pairs instead would let a name repeating one part stand in for
// a query part it lacks, and would miss it when the query names it once.
bool MatchesExactly(const std::string_view* nameParts, int nameCount, const Query& query) {
    for (int q = 0; q < query.partCount; ++q) {
        bool found = false;
        for (int n = 0; n < nameCount && !found; ++n)
            found = Equal(nameParts[n], query.parts[q], query.caseSensitive);
        if (!found) return false;
    }
    return true;
}

// Some query part has all its words, in any order, within one name part.
bool MatchesWords(const std::string_view* nameParts, int nameCount, const Query& query) {
    for (int q = 0; q < query.partCount; ++q) {
        for (int n = 0; n < nameCount; ++n) {
            bool all = true;
            for (int w = 0; w < query.wordCounts[q] && all; ++w)
                all = Contains(nameParts[n], query.words[q][w], query.caseSensitive);
            if (all) return true;
        }
    }
    return false;
}

bool MatchesParts(const std::string_view* nameParts, int nameCount, const Query& query) {
    if (nameCount == 0) return false;
    return query.exactMatch ? MatchesExactly(nameParts, nameCount, query)
                            : MatchesWords(nameParts, nameCount, query);
}

bool MatchesText(const char* text, const Query& query) {
    if (text == nullptr || *text == '\0') return false;
    std::string_view nameParts[kMaxSearchParts];
    int nameCount = SplitParts(text, nameParts, kMaxSearchParts);
    return MatchesParts(nameParts, nameCount, query);
}

// An object named by designations alone: its display name is the display
// forms of its identifiers joined by "; ", none of which holds a ";" or
// begins or ends with a blank, so each non-empty one is one name part.
bool MatchesIdentifiers(const std::uint32_t* identifiers, int count, const Query& query) {
    if (query.exactMatch && query.designationsKnown) {
        if (!query.everyPartIsDesignation) return false;
        for (int q = 0; q < query.partCount; ++q) {
            bool found = false;
            for (int i = 0; i < count && !found; ++i)
                for (int d = 0; d < query.designationCounts[q] && !found; ++d)
                    found = identifiers[i] == query.designations[q][d];
            if (!found) return false;
        }
        return true;
    }
    std::string shown[kMaxIdentifiers];
    std::string_view nameParts[kMaxIdentifiers];
    int nameCount = 0;
    for (int i = 0; i < count && i < kMaxIdentifiers; ++i) {
        shown[nameCount] = formatIdentifier(identifiers[i]);
        if (!shown[nameCount].empty()) {
            nameParts[nameCount] = shown[nameCount];
            ++nameCount;
        }
    }
    return MatchesParts(nameParts, nameCount, query);
}

// Whether the object's display name matches, the display name read from
// where it lies (see DisplayName).
bool Matches(const SkyObject* object, const Query& query) {
    if (const CatalogObject* catalog = AsCatalog(object)) {
        if (catalog->name) return MatchesText(catalog->name.get(), query);
        if (!catalog->identifiers || catalog->identifierCount <= 0) return false;
        int count =
            catalog->identifierCount > kMaxIdentifiers ? kMaxIdentifiers : catalog->identifierCount;
        return MatchesIdentifiers(catalog->identifiers.get(), count, query);
    }
    if (const SolarSystemObject* body = AsSolarSystem(object))
        return MatchesText(body->name.get(), query);
    if (const SiteObject* site = AsSite(object)) return MatchesText(site->name.get(), query);
    return false;
}

} // namespace

void setSearchClock(SearchClock clock) {
    gSearchClock = clock;
}

int findObjectByName(const std::string& queryText, bool caseSensitive, bool exactMatch,
                     ObjectID& inOutId) {
    Query query;
    // Bayer letters written out or in Greek are searched in their stored form.
    query.text = bayerQuery(queryText.substr(0, kMaxQueryLength)).substr(0, kMaxQueryLength);
    query.caseSensitive = caseSensitive;
    query.exactMatch = exactMatch;
    query.partCount = SplitParts(query.text, query.parts, kMaxSearchParts);
    if (query.partCount == 0) return kStatusNotFound;
    if (exactMatch) {
        FindDesignations(query);
    } else {
        for (int q = 0; q < query.partCount; ++q)
            query.wordCounts[q] = SplitWords(query.parts[q], query.words[q], kMaxSearchWords);
    }

    // A task that already shows the progress box (an import resolving line
    // endpoints) keeps it: opening ours would close theirs.
    bool progressAllowed = ProgressWindow() == nullptr;
    bool progressShown = false;
    long start = Now();
    long examined = 0;
    int result = kStatusNotFound;
    for (ObjectID id = inOutId == 0 ? firstObject() : nextObject(inOutId); id != 0;
         id = nextObject(id)) {
        const SkyObject* object = getObject(id);
        if (object != nullptr && Matches(object, query)) {
            inOutId = id;
            result = kStatusSuccess;
            break;
        }
        ++examined;
        if (gSearchClock != nullptr || (!progressShown && examined % kClockStride == 0)) {
            long elapsed = Now() - start;
            if (progressAllowed && !progressShown && elapsed > kSearchProgressDelay) {
                BeginProgress(true, 1);
                ProgressStage(
                    FormatMessage(kSearchingString, queryText.substr(0, kMaxQueryLength).c_str()),
                    0, objectCount());
                progressShown = true;
            }
        }
        if (progressShown && ProgressUpdate(examined) == 0) {
            inOutId = id;
            result = kStatusCancelled;
            break;
        }
    }
    if (progressShown) EndProgress();
    return result;
}
