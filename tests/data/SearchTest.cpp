// Finding objects by display name in a store built in memory.

#include "data/Search.h"
#include "data/Names.h"
#include "tests/data/DataTestSupport.h"

#include <cctype>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace data_test;

// A clock that runs 400 ms per reading, so that the third object examined is
// past the one-second mark; it can act on the progress box as it is read.
long gFakeNow = 0;
int gClockReadings = 0;
std::string gCaptionSeen;
bool gPressCancel = false;

long FakeClock() {
    ++gClockReadings;
    if (WindowRef box = ProgressWindow()) {
        if (gCaptionSeen.empty()) gCaptionSeen = GetItemText(box, 1); // the caption
        if (gPressCancel) PressButton(box, kCancelButton);
    }
    return gFakeNow += 400;
}

class Search : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        fileId = attachFile(newFile("Search.nvd"));
        // Store order matters: the one named "M 31" comes first, so a search
        // that wrongly took it for M31 would stop there.
        nebula = AddCatalog(kTypeGalaxy, "Great Nebula; M 31");
        Add(NewLineObject(kTypeFigureLine));
        andromeda = AddCatalog(kTypeGalaxy, "Andromeda Galaxy; M31");
        star = AddCatalog(kTypeSingleStar, "HD 128620; $a1 Cen; HR 5459");
        mars = AddNamed(NewSolarSystemObject(5), "Mars");
        site = AddNamed(NewSiteObject(), "\xC5ngstr\xF6m Observatory");
        gFakeNow = gClockReadings = 0;
        gCaptionSeen.clear();
        gPressCancel = false;
    }
    ObjectID Add(SkyObject* object, ObjectID file = 0) {
        ObjectID id = addObject(object, file ? file : fileId);
        EXPECT_NE(id, 0);
        return id;
    }
    template <class Object> ObjectID AddNamed(Object* object, const char* name, ObjectID file = 0) {
        object->name = CopyText(name);
        return Add(object, file);
    }
    ObjectID AddCatalog(int type, const char* text) {
        CatalogObject* object = NewCatalogObject(type);
        EXPECT_TRUE(setObjectNames(object, text));
        return Add(object);
    }
    // The hit of a search from the start, or the negative result.
    static int Find(const std::string& query, bool caseSensitive, bool exactMatch) {
        ObjectID id = 0;
        int result = findObjectByName(query, caseSensitive, exactMatch, id);
        return result == kStatusSuccess ? id : result;
    }

    ObjectID fileId = 0, nebula = 0, andromeda = 0, star = 0, mars = 0, site = 0;
};

TEST_F(Search, MatchesWholeNamePartsOrAllWordsWithinOne) {
    constexpr bool C = true, E = true, _ = false;
    const int none = kStatusNotFound;
    const struct {
        std::string query;
        bool caseSensitive, exact;
        int expected;
    } cases[] = {
        {"M31", _, E, andromeda}, // M 31 is not M31
        {"m31", _, E, andromeda},
        {"m31", C, E, none},
        {"Andromeda", _, E, none}, // a part must be equal in full
        {"M31; Andromeda Galaxy", _, E, andromeda},
        {"  andromeda galaxy ;M31 ", _, E, andromeda},
        {"M31; Triangulum", _, E, none}, // every part is required
        {"M 31", C, E, nebula},
        // Objects without a name text are found by the name their designations build.
        {"HR5459", _, E, star},
        {"HD128620; $a1 Cen", C, E, star},
        {"HR 5459", _, E, none},
        {"mars", _, E, mars},
        {"andromeda gal", _, _, andromeda},
        {"gal andromeda", _, _, andromeda}, // word order is free
        {"andromeda nebula", _, _, none},   // the words lie in different objects
        {"galaxy m31", _, _, none},         // ... or in different name parts
        {"xyz; nebula", _, _, nebula},      // any one query part will do
        {"andromeda", C, _, none},
        {"Andromeda", C, _, andromeda},
        {"5459", _, _, star},
        {"observatory", _, _, site},
        // Only ASCII letters fold their case.
        {"\xE5ngstr\xF6m", _, _, none},
        {"\xC5NGSTR\xF6M", _, _, site},
        {"\xC5ngstr\xD6m", _, _, none},
        {"\xC5NGSTR\xF6M OBSERVATORY", _, E, site},
        // Only the first 255 characters of the query are read.
        {std::string(255, ' ') + "Mars", _, E, none},
        {std::string(250, ' ') + "Mars", _, E, mars},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Find(c.query, c.caseSensitive, c.exact), c.expected)
            << '"' << c.query << "\" " << c.caseSensitive << c.exact;

    // Repeated name parts neither hide nor stand in for an object.
    ObjectID home = AddNamed(NewSiteObject(), "Home; Home");
    EXPECT_EQ(Find("Home; home", false, true), home);
    EXPECT_EQ(Find("Home; Elsewhere", false, true), none);

    // A query without parts finds nothing, without walking the store.
    setSearchClock(FakeClock);
    for (const char* query : {"", ";", " ; ;  ", "\t;"}) {
        ObjectID id = andromeda;
        EXPECT_EQ(findObjectByName(query, false, true, id), none) << '"' << query;
        EXPECT_EQ(id, andromeda);
    }
    EXPECT_EQ(gClockReadings, 0);
}

TEST_F(Search, ContinuesAfterTheGivenObjectAcrossFiles) {
    ObjectID id = 0;
    ASSERT_EQ(findObjectByName("31", false, false, id), kStatusSuccess);
    EXPECT_EQ(id, nebula);
    ASSERT_EQ(findObjectByName("31", false, false, id), kStatusSuccess);
    EXPECT_EQ(id, andromeda);
    EXPECT_EQ(findObjectByName("31", false, false, id), kStatusNotFound);
    EXPECT_EQ(id, andromeda) << "a failed search leaves the id alone";
    id = mars;
    EXPECT_EQ(findObjectByName("Mars", false, true, id), kStatusNotFound) << "starts after it";
    ObjectID station = AddNamed(NewSiteObject(), "Mars Desert Station", attachFile(newFile("B")));
    id = mars;
    ASSERT_EQ(findObjectByName("mars", false, false, id), kStatusSuccess);
    EXPECT_EQ(id, station);
}

// The progress box is real (offscreen); the clock is the test's, so that the
// one-second mark passes without waiting for it.
TEST_F(Search, ProgressBoxAfterOneSecondAndItsCancelButton) {
    setSearchClock(FakeClock);
    EXPECT_EQ(Find("Mars", false, true), mars);
    EXPECT_EQ(gCaptionSeen, "Searching for \"Mars\"...");
    EXPECT_EQ(ProgressWindow(), nullptr);

    // Cancel: the box opened after the third object, Cancel was pressed
    // while the fourth was examined; going on from there skips nothing.
    gPressCancel = true;
    gCaptionSeen.clear();
    ObjectID id = 0;
    EXPECT_EQ(findObjectByName("nothing of that name", false, false, id), kStatusCancelled);
    EXPECT_EQ(id, star);
    EXPECT_EQ(ProgressWindow(), nullptr);
    setSearchClock(nullptr);
    EXPECT_EQ(findObjectByName("Mars", false, true, id), kStatusSuccess);
    EXPECT_EQ(id, mars);

    // Within the first second no box appears.
    setSearchClock([]() -> long {
        if (ProgressWindow() != nullptr) gCaptionSeen = "shown";
        return 0;
    });
    gCaptionSeen.clear();
    EXPECT_EQ(Find("nothing of that name", false, false), kStatusNotFound);
    EXPECT_EQ(gCaptionSeen, "");

    // A box of another task is left alone.
    gPressCancel = false;
    BeginProgress(true, 1);
    ProgressStage("Importing", 0, 10);
    WindowRef outer = ProgressWindow();
    setSearchClock(FakeClock);
    EXPECT_EQ(Find("Mars", false, true), mars);
    ASSERT_EQ(ProgressWindow(), outer);
    EXPECT_EQ(GetItemText(outer, 1), "Importing");
}

// An exact search compares the query's designations with the packed
// identifiers of objects named by designations alone, instead of building
// their display names. Over many random identifiers of every catalogue
// (damaged ones and unknown codes included) and queries made from their
// display forms, altered or not, it must find exactly what matching the
// display names finds.
namespace reference {

bool Blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
char Fold(char c, bool caseSensitive) {
    return !caseSensitive && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool Same(const std::string& a, std::size_t at, const std::string& b, bool caseSensitive) {
    for (std::size_t i = 0; i < b.size(); ++i)
        if (Fold(a[at + i], caseSensitive) != Fold(b[i], caseSensitive)) return false;
    return true;
}

// Trimmed, non-empty pieces between `separator`s (blanks: between blanks), at most 16.
std::vector<std::string> Pieces(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::string piece;
    for (std::size_t i = 0; i <= text.size() && pieces.size() < 16; ++i) {
        if (i < text.size() && text[i] != separator && !(separator == ' ' && Blank(text[i]))) {
            piece += text[i];
            continue;
        }
        std::size_t first = 0, last = piece.size();
        while (first < last && Blank(piece[first]))
            ++first;
        while (last > first && Blank(piece[last - 1]))
            --last;
        if (last > first) pieces.push_back(piece.substr(first, last - first));
        piece.clear();
    }
    return pieces;
}

bool Matches(const std::string& name, const std::string& query, bool caseSensitive, bool exact) {
    std::vector<std::string> queryParts = Pieces(query.substr(0, 255), ';');
    std::vector<std::string> nameParts = Pieces(name, ';');
    if (queryParts.empty() || nameParts.empty()) return false;
    auto within = [&](const std::string& n, const std::string& w) {
        for (std::size_t at = 0; at + w.size() <= n.size(); ++at)
            if (Same(n, at, w, caseSensitive)) return true;
        return false;
    };
    for (const std::string& q : queryParts) {
        bool found = false;
        for (const std::string& n : nameParts) {
            bool all = !exact || (n.size() == q.size() && Same(n, 0, q, caseSensitive));
            if (!exact)
                for (const std::string& w : Pieces(q, ' '))
                    all = all && within(n, w);
            found = found || all;
        }
        if (exact && !found) return false;
        if (!exact && found) return true;
    }
    return exact;
}

} // namespace reference

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in lo..hi, with the ends drawn more often than their share.
    long in(long lo, long hi) {
        std::uint64_t roll = next() % 8;
        if (roll < 2) return roll == 0 ? lo : hi;
        return lo + static_cast<long>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool chance(int oneIn) { return next() % static_cast<std::uint64_t>(oneIn) == 0; }

private:
    std::uint64_t state_;
};

// The payload fields of each catalogue: place value and range.
struct Field {
    long unit, lo, hi;
};
const std::pair<int, std::vector<Field>> kLayouts[] = {
    {kCatalogBayer, {{1000, 1, 24}, {100, 0, 9}, {1, 1, 88}}},
    {kCatalogVariable, {{100, 1, 999999}, {1, 1, 88}}},
    {kCatalogVariable, {{100, 1, 400}, {1, 1, 88}}},
    {kCatalogFlamsteed, {{100, 1, 999999}, {1, 1, 88}}},
    {kCatalogFlamsteed, {{100, 1, 140}, {1, 1, 88}}},
    {kCatalogHR, {{1, 1, 9999}}},
    {kCatalogHD, {{1, 1, 999999}}},
    {kCatalogSAO, {{1, 1, 999998}}},
    {kCatalogBD, {{10000000, 0, 1}, {100000, 0, 89}, {10, 1, 9999}, {1, 0, 5}}},
    {kCatalogCoD, {{10000000, 0, 1}, {100000, 0, 89}, {1, 1, 99999}}},
    {kCatalogCPD, {{10000000, 0, 1}, {100000, 0, 89}, {1, 1, 99999}}},
    {kCatalogGSC, {{10000, 1, 9537}, {1, 1, 9999}}},
    {kCatalogMessier, {{1, 1, 110}}},
    {kCatalogNGC, {{10, 1, 9999}, {1, 0, 9}}},
    {kCatalogIC, {{10, 1, 9999}, {1, 0, 9}}},
    {kCatalogUGC, {{1, 1, 99999}}},
    {kCatalogUGCA, {{1, 1, 99998}}},
    {kCatalogPK, {{10000, 0, 359}, {1000, 0, 1}, {10, 0, 89}, {1, 1, 9}}},
    {kCatalogPNG, {{10000, 0, 3599}, {1000, 0, 1}, {1, 0, 899}}},
    {kCatalogPGC, {{1, 1, 99999}}},
    {-1, {{1, 0, 99999999}}}, // a damaged record: any payload of a known code
    {-2, {{1, 0, 99999999}}}, // a code without a display form
};

std::uint32_t RandomIdentifier(Random& r) {
    const auto& [code, fields] = kLayouts[r.next() % std::size(kLayouts)];
    long payload = 0;
    for (const Field& f : fields)
        payload += f.unit * r.in(f.lo, f.hi);
    long c = code == -1   ? r.in(1, 28)
             : code == -2 ? (r.chance(2) ? r.in(11, 20) : r.in(29, 42))
                          : code;
    return static_cast<std::uint32_t>(c) * kCatalogCodeUnit + static_cast<std::uint32_t>(payload);
}

// One way of writing a designation that may or may not be its display form.
std::string Altered(std::string text, Random& r) {
    if (text.empty()) return "HD1";
    std::size_t at = static_cast<std::size_t>(r.next() % text.size());
    switch (r.next() % 10) {
    case 2:
    case 3:
        for (char& c : text)
            if (r.chance(2) && std::isalpha(static_cast<unsigned char>(c)))
                c = static_cast<char>(c ^ 0x20);
        return text;
    case 4:
        return "  " + text + "\t";
    case 5:
        return text.insert(at, " ");
    case 6:
        if (!std::isdigit(static_cast<unsigned char>(text[at]))) return text.insert(at, "0");
        text[at] = static_cast<char>('0' + (text[at] - '0' + 1) % 10);
        return text;
    case 7:
        return text + (r.chance(2) ? "a" : "I");
    case 8:
        return text.erase(at, 1);
    case 9:
        return text.substr(at, 1 + r.next() % 4);
    default:
        return text;
    }
}

TEST_F(Search, DesignationsAreFoundExactlyAsTheirDisplayNamesRead) {
    Random r(20261206);
    for (int i = 0; i < 500; ++i) {
        int type = r.chance(3) ? kTypeGalaxy - static_cast<int>(r.next() % 5)
                               : kTypeSingleStar + static_cast<int>(r.next() % 6);
        CatalogObject* object = NewCatalogObject(type);
        int count = static_cast<int>(r.in(0, kMaxIdentifiers));
        if (count > 0) {
            object->identifiers.reset(new std::uint32_t[static_cast<std::size_t>(count)]);
            for (int k = 0; k < count; ++k)
                object->identifiers[k] = RandomIdentifier(r);
            object->identifierCount = static_cast<std::int8_t>(count);
        }
        if (r.chance(5)) {
            std::string name = "Star " + std::to_string(i);
            if (count > 0) name += "; " + formatIdentifier(object->identifiers[0]);
            object->name = CopyText(name.c_str());
        }
        Add(object);
    }
    // The reference: every object's display name, in store order.
    std::vector<std::pair<ObjectID, std::string>> names;
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id))
        names.emplace_back(id, DisplayName(getObject(id)));

    int designationHits = 0;
    for (int n = 0; n < 1500; ++n) {
        std::vector<std::string> parts =
            reference::Pieces(names[r.next() % names.size()].second, ';');
        std::string query;
        for (int p = 0, count = 1 + static_cast<int>(r.next() % 3); p < count; ++p) {
            std::string part = !parts.empty() && !r.chance(5)
                                   ? parts[r.next() % parts.size()]
                                   : formatIdentifier(RandomIdentifier(r));
            query += (p == 0 ? "" : r.chance(2) ? ";" : " ; ") + Altered(part, r);
        }
        for (int mode = 0; mode < 4; ++mode) {
            const bool caseSensitive = (mode & 1) != 0, exact = (mode & 2) != 0;
            int expected = kStatusNotFound;
            for (const auto& [id, name] : names)
                if (reference::Matches(name, query, caseSensitive, exact)) {
                    expected = id;
                    break;
                }
            const CatalogObject* hit = expected > 0 ? AsCatalog(getObject(expected)) : nullptr;
            if (exact && hit != nullptr && !hit->name) ++designationHits;
            ASSERT_EQ(Find(query, caseSensitive, exact), expected)
                << '"' << query << "\" case-sensitive " << caseSensitive << " exact " << exact;
        }
    }
    // Enough exact queries find an object named by designations alone, or
    // the test proves little.
    EXPECT_GT(designationHits, 200);
}

} // namespace
