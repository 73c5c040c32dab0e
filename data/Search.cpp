#include "data/Search.h"

#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <string_view>

namespace {

constexpr char kPartSeparator = ';';

SearchClock gSearchClock = nullptr;

long Now() {
    return gSearchClock != nullptr ? gSearchClock() : TickCount();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Only A-Z and a-z fold; the accented letters of Windows-1252 keep their case.
char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
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
    if (word.size() > text.size()) return false;
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        if (Equal(text.substr(at, word.size()), word, caseSensitive)) return true;
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
};

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

bool Matches(const std::string& name, const Query& query) {
    std::string_view nameParts[kMaxSearchParts];
    int nameCount = SplitParts(name, nameParts, kMaxSearchParts);
    if (nameCount == 0) return false;
    return query.exactMatch ? MatchesExactly(nameParts, nameCount, query)
                            : MatchesWords(nameParts, nameCount, query);
}

} // namespace

void setSearchClock(SearchClock clock) {
    gSearchClock = clock;
}

int findObjectByName(const std::string& queryText, bool caseSensitive, bool exactMatch,
                     ObjectID& inOutId) {
    Query query;
    query.text = queryText.substr(0, kMaxQueryLength);
    query.caseSensitive = caseSensitive;
    query.exactMatch = exactMatch;
    query.partCount = SplitParts(query.text, query.parts, kMaxSearchParts);
    if (query.partCount == 0) return kStatusNotFound;
    if (!exactMatch) {
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
        if (object != nullptr) {
            std::string name = DisplayName(object);
            if (!name.empty() && Matches(name, query)) {
                inOutId = id;
                result = kStatusSuccess;
                break;
            }
        }
        ++examined;
        long elapsed = Now() - start;
        if (progressAllowed && !progressShown && elapsed > kSearchProgressDelay) {
            BeginProgress(true, 1);
            ProgressStage(FormatMessage(kSearchingString, query.text.c_str()), 0, objectCount());
            progressShown = true;
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
