// Finding objects by display name in a store built in memory.

#include "data/Search.h"
#include "data/Names.h"
#include "tests/data/DataTestSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <random>
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
        {"m31", _, E, andromeda}, // M 31 is not M31
        {"m31", C, E, none},
        {"Andromeda", _, E, none},                     // a part must be equal in full
        {"  andromeda galaxy ;M31 ", _, E, andromeda}, // in any order
        {"M31; Triangulum", _, E, none},               // every part is required
        // Objects without a name text are found by the name their designations build.
        {"HD128620; $a1 Cen", C, E, star},
        {"HR 5459", _, E, none},
        {"gal andromeda", _, _, andromeda}, // word order is free
        {"andromeda nebula", _, _, none},   // the words lie in different objects
        {"galaxy m31", _, _, none},         // ... or in different name parts
        {"xyz; nebula", _, _, nebula},      // any one query part will do
        {"andromeda", C, _, none},
        {"5459", _, _, star},
        // Only ASCII letters fold their case.
        {"\xE5ngstr\xF6m", _, _, none},
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
// display forms, altered or not, it must find what matching the display
// names part for part finds.
std::vector<std::string> Parts(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; start <= text.size(); start = end + 1) {
        end = std::min(text.find(';', start), text.size());
        const std::size_t first = text.find_first_not_of(" \t\n\v\f\r", start);
        if (first < end)
            parts.push_back(
                text.substr(first, text.find_last_not_of(" \t\n\v\f\r", end - 1) + 1 - first));
    }
    return parts;
}

bool SameFolded(const std::string& a, const std::string& b, bool caseSensitive) {
    auto fold = [&](char c) { return !caseSensitive && c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

// Every query part equals one of the name's parts.
bool ExactMatch(const std::string& name, const std::string& query, bool caseSensitive) {
    const std::vector<std::string> queryParts = Parts(query), nameParts = Parts(name);
    if (queryParts.empty() || nameParts.empty()) return false;
    for (const std::string& q : queryParts)
        if (std::none_of(nameParts.begin(), nameParts.end(),
                         [&](const std::string& n) { return SameFolded(n, q, caseSensitive); }))
            return false;
    return true;
}

// The payload fields of each catalogue: place value and range.
struct Field {
    long unit, lo, hi;
};
const std::pair<int, std::vector<Field>> kLayouts[] = {
    {kCatalogBayer, {{1000, 1, 24}, {100, 0, 9}, {1, 1, 88}}},
    {kCatalogVariable, {{100, 1, 999999}, {1, 1, 88}}},
    {kCatalogFlamsteed, {{100, 1, 140}, {1, 1, 88}}},
    {kCatalogHR, {{1, 1, 9999}}},
    {kCatalogSAO, {{1, 1, 999998}}},
    {kCatalogBD, {{10000000, 0, 1}, {100000, 0, 89}, {10, 1, 9999}, {1, 0, 5}}},
    {kCatalogCPD, {{10000000, 0, 1}, {100000, 0, 89}, {1, 1, 99999}}},
    {kCatalogGSC, {{10000, 1, 9537}, {1, 1, 9999}}},
    {kCatalogMessier, {{1, 1, 110}}},
    {kCatalogNGC, {{10, 1, 9999}, {1, 0, 9}}},
    {kCatalogUGCA, {{1, 1, 99998}}},
    {kCatalogPK, {{10000, 0, 359}, {1000, 0, 1}, {10, 0, 89}, {1, 1, 9}}},
    {kCatalogPNG, {{10000, 0, 3599}, {1000, 0, 1}, {1, 0, 899}}},
    {-1, {{1, 0, 99999999}}}, // a damaged record: any payload of a known code
    {-2, {{1, 0, 99999999}}}, // a code without a display form
};

class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t next() { return engine_(); }
    // Uniform in lo..hi, with the ends drawn more often than their share.
    long in(long lo, long hi) {
        const std::uint64_t roll = next() % 8;
        if (roll < 2) return roll == 0 ? lo : hi;
        return lo + static_cast<long>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool chance(int oneIn) { return next() % static_cast<std::uint64_t>(oneIn) == 0; }

private:
    std::mt19937_64 engine_;
};

std::uint32_t RandomIdentifier(Random& r) {
    const auto& [code, fields] = kLayouts[r.next() % std::size(kLayouts)];
    long payload = 0;
    for (const Field& f : fields)
        payload += f.unit * r.in(f.lo, f.hi);
    const long c = code == -1 ? r.in(1, 28) : code == -2 ? r.in(29, 42) : code;
    return static_cast<std::uint32_t>(c) * kCatalogCodeUnit + static_cast<std::uint32_t>(payload);
}

// One way of writing a designation that may or may not be its display form.
std::string Altered(std::string text, Random& r) {
    if (text.empty()) return "HD1";
    const std::size_t at = static_cast<std::size_t>(r.next() % text.size());
    switch (r.next() % 6) {
    case 1:
        for (char& c : text)
            if (r.chance(2) && std::isalpha(static_cast<unsigned char>(c)))
                c = static_cast<char>(c ^ 0x20);
        return text;
    case 2:
        return "  " + text.insert(at, " ") + "\t";
    case 3:
        if (std::isdigit(static_cast<unsigned char>(text[at])))
            text[at] = static_cast<char>('0' + (text[at] - '0' + 1) % 10);
        return text;
    case 4:
        return text.erase(at, 1) + (r.chance(2) ? "a" : "");
    default:
        return text;
    }
}

TEST_F(Search, DesignationsAreFoundExactlyAsTheirDisplayNamesRead) {
    Random r(20261206);
    for (int i = 0; i < 500; ++i) {
        CatalogObject* object = NewCatalogObject(r.chance(3) ? kTypeGalaxy : kTypeSingleStar);
        const int count = static_cast<int>(r.in(0, kMaxIdentifiers));
        if (count > 0) {
            object->identifiers.reset(new std::uint32_t[static_cast<std::size_t>(count)]);
            for (int k = 0; k < count; ++k)
                object->identifiers[k] = RandomIdentifier(r);
            object->identifierCount = static_cast<std::int8_t>(count);
        }
        if (r.chance(5))
            object->name =
                CopyText(("Star " + std::to_string(i) +
                          (count > 0 ? "; " + formatIdentifier(object->identifiers[0]) : ""))
                             .c_str());
        Add(object);
    }
    std::vector<std::pair<ObjectID, std::string>> names;
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id))
        names.emplace_back(id, DisplayName(getObject(id)));

    int designationHits = 0;
    for (int n = 0; n < 1500; ++n) {
        const std::vector<std::string> parts = Parts(names[r.next() % names.size()].second);
        std::string query;
        for (int p = 0, count = 1 + static_cast<int>(r.next() % 3); p < count; ++p) {
            const std::string part = !parts.empty() && !r.chance(5)
                                         ? parts[r.next() % parts.size()]
                                         : formatIdentifier(RandomIdentifier(r));
            query += (p == 0 ? "" : r.chance(2) ? ";" : " ; ") + Altered(part, r);
        }
        for (bool caseSensitive : {false, true}) {
            int expected = kStatusNotFound;
            for (const auto& [id, name] : names)
                if (ExactMatch(name, query, caseSensitive)) {
                    expected = id;
                    break;
                }
            const CatalogObject* hit = expected > 0 ? AsCatalog(getObject(expected)) : nullptr;
            if (hit != nullptr && !hit->name) ++designationHits;
            ASSERT_EQ(Find(query, caseSensitive, true), expected)
                << '"' << query << "\" case-sensitive " << caseSensitive;
        }
    }
    // Enough queries find an object named by designations alone, or the test proves little.
    EXPECT_GT(designationHits, 200);
}

} // namespace
