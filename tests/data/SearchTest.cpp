// Finding objects by display name in a store built in memory (nothing is
// written: the store is reset without writing at the end of each test).

#include "data/Search.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::int64_t kPlentyOfMemory = std::int64_t{1} << 30;
constexpr int kProgressText = 1; // the progress box's caption control
constexpr int kTypeMars = 5;

// A clock that runs 400 ms per reading, so that the third object examined
// is past the one-second mark; it can act on the progress box as it is read.
long gFakeNow = 0;
int gClockReadings = 0;
std::string gCaptionSeen;
bool gPressCancel = false;

long FakeClock() {
    ++gClockReadings;
    if (WindowRef box = ProgressWindow()) {
        if (gCaptionSeen.empty()) gCaptionSeen = GetItemText(box, kProgressText);
        if (gPressCancel) PressButton(box, kCancelButton);
    }
    return gFakeNow += 400;
}

class Search : public testing::Test {
protected:
    void SetUp() override {
        SetMessageResponder([](const MessageRecord&) { return int{AnswerOK}; });
        ASSERT_TRUE(initObjectStore(kPlentyOfMemory));
        fileId = attachFile(newFile("Search.nvd"));
        ASSERT_NE(fileId, 0);
        // Store order matters: the one named "M 31" comes first, so a search
        // that wrongly took it for M31 would stop there.
        nebula = AddCatalog(kTypeGalaxy, "Great Nebula; M 31");
        line = Add(NewLineObject(kTypeFigureLine));
        andromeda = AddCatalog(kTypeGalaxy, "Andromeda Galaxy; M31");
        star = AddCatalog(kTypeSingleStar, "HD 128620; $a1 Cen; HR 5459");
        SolarSystemObject* body = NewSolarSystemObject(kTypeMars);
        ASSERT_NE(body, nullptr);
        body->name = CopyText("Mars");
        mars = Add(body);
        SiteObject* place = NewSiteObject();
        ASSERT_NE(place, nullptr);
        place->name = CopyText("\xC5ngstr\xF6m Observatory");
        site = Add(place);
        gFakeNow = 0;
        gClockReadings = 0;
        gCaptionSeen.clear();
        gPressCancel = false;
    }

    void TearDown() override {
        setSearchClock(nullptr);
        EndProgress();
        setObjectStoreDefaults();
    }

    ObjectID Add(SkyObject* object) {
        EXPECT_NE(object, nullptr);
        ObjectID id = addObject(object, fileId);
        EXPECT_NE(id, 0);
        return id;
    }

    ObjectID AddCatalog(int type, const char* text) {
        CatalogObject* object = NewCatalogObject(type);
        EXPECT_NE(object, nullptr);
        EXPECT_TRUE(setObjectNames(object, text));
        return Add(object);
    }

    // The hit of a search from the start, or the negative result.
    static int Find(const std::string& query, bool caseSensitive, bool exactMatch) {
        ObjectID id = 0;
        int result = findObjectByName(query, caseSensitive, exactMatch, id);
        return result == kStatusSuccess ? id : result;
    }

    ObjectID fileId = 0;
    ObjectID nebula = 0, line = 0, andromeda = 0, star = 0, mars = 0, site = 0;
};

TEST_F(Search, QueryWithoutPartsFindsNothingWithoutWalking) {
    setSearchClock(FakeClock);
    for (const char* query : {"", ";", " ; ;  ", "\t;"}) {
        ObjectID id = andromeda;
        EXPECT_EQ(findObjectByName(query, false, false, id), kStatusNotFound) << '"' << query;
        EXPECT_EQ(findObjectByName(query, false, true, id), kStatusNotFound) << '"' << query;
        EXPECT_EQ(id, andromeda);
    }
    EXPECT_EQ(gClockReadings, 0) << "the store was walked";
}

TEST_F(Search, ExactMatchComparesWholeNameParts) {
    EXPECT_EQ(Find("M31", false, true), andromeda) << "M 31 is not M31";
    EXPECT_EQ(Find("m31", false, true), andromeda);
    EXPECT_EQ(Find("m31", true, true), kStatusNotFound);
    EXPECT_EQ(Find("Andromeda", false, true), kStatusNotFound) << "a part must be equal in full";
    EXPECT_EQ(Find("M31; Andromeda Galaxy", false, true), andromeda);
    EXPECT_EQ(Find("  andromeda galaxy ;M31 ", false, true), andromeda);
    EXPECT_EQ(Find("M31; Triangulum", false, true), kStatusNotFound) << "every part is required";
    EXPECT_EQ(Find("M 31", true, true), nebula);
    // Objects without a name text are found by the name built from their designations.
    EXPECT_EQ(Find("HR5459", false, true), star);
    EXPECT_EQ(Find("HD128620; $a1 Cen", true, true), star);
    EXPECT_EQ(Find("HR 5459", false, true), kStatusNotFound);
    EXPECT_EQ(Find("mars", false, true), mars);
}

TEST_F(Search, WordMatchNeedsAllWordsOfAPartWithinOneNamePart) {
    EXPECT_EQ(Find("andromeda gal", false, false), andromeda);
    EXPECT_EQ(Find("gal andromeda", false, false), andromeda) << "word order is free";
    EXPECT_EQ(Find("andromeda nebula", false, false), kStatusNotFound)
        << "the words lie in different objects' name parts";
    EXPECT_EQ(Find("galaxy m31", false, false), kStatusNotFound)
        << "the words lie in different name parts";
    EXPECT_EQ(Find("xyz; nebula", false, false), nebula) << "any one query part will do";
    EXPECT_EQ(Find("andromeda", true, false), kStatusNotFound);
    EXPECT_EQ(Find("Andromeda", true, false), andromeda);
    EXPECT_EQ(Find("5459", false, false), star);
    EXPECT_EQ(Find("observatory", false, false), site);
}

TEST_F(Search, OnlyAsciiLettersFoldTheirCase) {
    EXPECT_EQ(Find("\xE5ngstr\xF6m", false, false), kStatusNotFound);
    EXPECT_EQ(Find("\xC5NGSTR\xF6M", false, false), site);
    EXPECT_EQ(Find("\xC5ngstr\xD6m", false, false), kStatusNotFound);
    EXPECT_EQ(Find("\xC5NGSTR\xF6M OBSERVATORY", false, true), site);
}

TEST_F(Search, ContinuesAfterTheGivenObject) {
    ObjectID id = 0;
    ASSERT_EQ(findObjectByName("31", false, false, id), kStatusSuccess);
    EXPECT_EQ(id, nebula);
    ASSERT_EQ(findObjectByName("31", false, false, id), kStatusSuccess);
    EXPECT_EQ(id, andromeda);
    EXPECT_EQ(findObjectByName("31", false, false, id), kStatusNotFound);
    EXPECT_EQ(id, andromeda) << "a failed search leaves the id alone";

    id = mars;
    EXPECT_EQ(findObjectByName("Mars", false, true, id), kStatusNotFound) << "starts after it";

    // Across files: a second file is walked after the first.
    ObjectID second = attachFile(newFile("More.nvd"));
    ASSERT_NE(second, 0);
    SiteObject* place = NewSiteObject();
    ASSERT_NE(place, nullptr);
    place->name = CopyText("Mars Desert Station");
    ObjectID station = addObject(place, second);
    ASSERT_NE(station, 0);
    id = mars;
    ASSERT_EQ(findObjectByName("mars", false, false, id), kStatusSuccess);
    EXPECT_EQ(id, station);
}

TEST_F(Search, OnlyThe255FirstCharactersOfTheQueryAreRead) {
    EXPECT_EQ(Find(std::string(255, ' ') + "Mars", false, true), kStatusNotFound);
    EXPECT_EQ(Find(std::string(250, ' ') + "Mars", false, true), mars);
}

TEST_F(Search, RepeatedNamePartsNeitherHideNorStandInForAnObject) {
    SiteObject* place = NewSiteObject();
    ASSERT_NE(place, nullptr);
    place->name = CopyText("Home; Home");
    ObjectID home = Add(place);
    EXPECT_EQ(Find("Home", false, true), home);
    EXPECT_EQ(Find("Home; Elsewhere", false, true), kStatusNotFound);
    EXPECT_EQ(Find("Home; home", false, true), home);
}

// The progress box is real (offscreen); the clock is the test's, so that the
// one-second mark passes without waiting for it.
TEST_F(Search, ProgressBoxAfterOneSecondClosesWhenDone) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setSearchClock(FakeClock);
    EXPECT_EQ(Find("Mars", false, true), mars);
    EXPECT_EQ(gCaptionSeen, "Searching for \"Mars\"...");
    EXPECT_EQ(ProgressWindow(), nullptr);

    // Within the first second no box appears.
    setSearchClock([]() -> long {
        if (ProgressWindow() != nullptr) gCaptionSeen = "shown";
        return 0;
    });
    gCaptionSeen.clear();
    EXPECT_EQ(Find("nothing of that name", false, false), kStatusNotFound);
    EXPECT_EQ(gCaptionSeen, "");
}

TEST_F(Search, CancelInTheProgressBoxStopsWhereTheSearchWas) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setSearchClock(FakeClock);
    gPressCancel = true;
    ObjectID id = 0;
    EXPECT_EQ(findObjectByName("nothing of that name", false, false, id), kStatusCancelled);
    // The box opened after the third object; Cancel was pressed while the
    // fourth was examined.
    EXPECT_EQ(id, star);
    EXPECT_EQ(gCaptionSeen, "Searching for \"nothing of that name\"...");
    EXPECT_EQ(ProgressWindow(), nullptr);

    // Going on from there skips nothing.
    setSearchClock(nullptr);
    EXPECT_EQ(findObjectByName("Mars", false, true, id), kStatusSuccess);
    EXPECT_EQ(id, mars);
}

TEST_F(Search, LeavesAProgressBoxOfAnotherTaskAlone) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    BeginProgress(true, 1);
    ProgressStage("Importing", 0, 10);
    WindowRef outer = ProgressWindow();
    ASSERT_NE(outer, nullptr);
    setSearchClock(FakeClock);
    EXPECT_EQ(Find("Mars", false, true), mars);
    ASSERT_EQ(ProgressWindow(), outer);
    EXPECT_EQ(GetItemText(outer, kProgressText), "Importing");
    EndProgress();
}

// An exact search compares the query's designations with the packed
// identifiers of objects named by designations alone, instead of building
// their display names. Over many random identifiers of every catalogue
// (damaged ones and unknown codes included) and queries made from their
// display forms, altered or not, it must find exactly what matching the
// display names finds.
namespace reference {

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Same(const std::string& a, const std::string& b, bool caseSensitive) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (caseSensitive ? a[i] != b[i] : Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

bool Within(const std::string& text, const std::string& word, bool caseSensitive) {
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at)
        if (Same(text.substr(at, word.size()), word, caseSensitive)) return true;
    return false;
}

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Trimmed, non-empty pieces between `separator`s (blanks: between blanks),
// at most 16.
std::vector<std::string> Pieces(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::string piece;
    for (std::size_t i = 0; i <= text.size() && pieces.size() < 16; ++i) {
        bool end = i == text.size() || text[i] == separator || (separator == ' ' && Blank(text[i]));
        if (!end) {
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
    if (exact) {
        for (const std::string& q : queryParts) {
            bool found = false;
            for (const std::string& n : nameParts)
                found = found || Same(n, q, caseSensitive);
            if (!found) return false;
        }
        return true;
    }
    for (const std::string& q : queryParts) {
        std::vector<std::string> words = Pieces(q, ' ');
        for (const std::string& n : nameParts) {
            bool all = true;
            for (const std::string& w : words)
                all = all && Within(n, w, caseSensitive);
            if (all) return true;
        }
    }
    return false;
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
        if (roll == 0) return lo;
        if (roll == 1) return hi;
        return lo + static_cast<long>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool chance(int oneIn) { return next() % static_cast<std::uint64_t>(oneIn) == 0; }

private:
    std::uint64_t state_;
};

std::uint32_t Packed(long code, long payload) {
    return static_cast<std::uint32_t>(code) * kCatalogCodeUnit +
           static_cast<std::uint32_t>(payload);
}

std::uint32_t RandomIdentifier(Random& r) {
    auto zone = [&](long highNumber) {
        return r.in(0, 1) * 10000000 + r.in(0, 89) * 100000 + r.in(1, highNumber);
    };
    switch (r.next() % 20) {
    case 0:
        return Packed(kCatalogBayer, r.in(1, 24) * 1000 + r.in(0, 9) * 100 + r.in(1, 88));
    case 1:
        return Packed(kCatalogVariable,
                      (r.chance(4) ? r.in(1, 999999) : r.in(1, 400)) * 100 + r.in(1, 88));
    case 2:
        return Packed(kCatalogFlamsteed,
                      (r.chance(4) ? r.in(1, 999999) : r.in(1, 140)) * 100 + r.in(1, 88));
    case 3:
        return Packed(kCatalogHR, r.in(1, 9999));
    case 4:
        return Packed(kCatalogHD, r.in(1, 999999));
    case 5:
        return Packed(kCatalogSAO, r.in(1, 999998));
    case 6:
        return Packed(kCatalogBD, r.in(0, 1) * 10000000 + r.in(0, 89) * 100000 +
                                      r.in(1, 9999) * 10 + r.in(0, 5));
    case 7:
        return Packed(kCatalogCoD, zone(99999));
    case 8:
        return Packed(kCatalogCPD, zone(99999));
    case 9:
        return Packed(kCatalogGSC, r.in(1, 9537) * 10000 + r.in(1, 9999));
    case 10:
        return Packed(kCatalogMessier, r.in(1, 110));
    case 11:
        return Packed(kCatalogNGC, r.in(1, 9999) * 10 + r.in(0, 9));
    case 12:
        return Packed(kCatalogIC, r.in(1, 9999) * 10 + r.in(0, 9));
    case 13:
        return Packed(kCatalogUGC, r.in(1, 99999));
    case 14:
        return Packed(kCatalogUGCA, r.in(1, 99998));
    case 15:
        return Packed(kCatalogPK,
                      r.in(0, 359) * 10000 + r.in(0, 1) * 1000 + r.in(0, 89) * 10 + r.in(1, 9));
    case 16:
        return Packed(kCatalogPNG, r.in(0, 3599) * 10000 + r.in(0, 1) * 1000 + r.in(0, 899));
    case 17:
        return Packed(kCatalogPGC, r.in(1, 99999));
    case 18: // a damaged record: any payload of a known code
        return Packed(r.in(1, 28), r.in(0, 99999999));
    default: // a code without a display form
        return Packed(r.chance(2) ? r.in(11, 20) : r.in(29, 42), r.in(0, 99999999));
    }
}

// One way of writing a designation that may or may not be its display form.
std::string Altered(const std::string& shown, Random& r) {
    std::string text = shown;
    if (text.empty()) return "HD1";
    std::size_t at = static_cast<std::size_t>(r.next() % text.size());
    switch (r.next() % 10) {
    case 0:
    case 1:
        break;
    case 2:
    case 3:
        for (char& c : text) {
            if (r.chance(2) && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (r.chance(2) && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        break;
    case 4:
        text = "  " + text + "\t";
        break;
    case 5:
        text.insert(at, " ");
        break;
    case 6:
        if (text[at] >= '0' && text[at] <= '9')
            text[at] = static_cast<char>('0' + (text[at] - '0' + 1) % 10);
        else
            text.insert(at, "0");
        break;
    case 7:
        text += r.chance(2) ? "a" : "I";
        break;
    case 8:
        text.erase(at, 1);
        break;
    default:
        text = text.substr(at, 1 + r.next() % 4);
        break;
    }
    return text;
}

TEST_F(Search, DesignationsAreFoundExactlyAsTheirDisplayNamesRead) {
    Random r(20261206);
    for (int i = 0; i < 500; ++i) {
        int type = r.chance(3) ? kTypeGalaxy - static_cast<int>(r.next() % 5)
                               : kTypeSingleStar + static_cast<int>(r.next() % 6);
        CatalogObject* object = NewCatalogObject(type);
        ASSERT_NE(object, nullptr);
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
        const std::string& source = names[r.next() % names.size()].second;
        std::vector<std::string> parts = reference::Pieces(source, ';');
        std::string query;
        int partCount = 1 + static_cast<int>(r.next() % 3);
        for (int p = 0; p < partCount; ++p) {
            std::string part = !parts.empty() && !r.chance(5)
                                   ? parts[r.next() % parts.size()]
                                   : formatIdentifier(RandomIdentifier(r));
            if (p > 0) query += r.chance(2) ? ";" : " ; ";
            query += Altered(part, r);
        }
        for (int mode = 0; mode < 4; ++mode) {
            const bool caseSensitive = (mode & 1) != 0;
            const bool exact = (mode & 2) != 0;
            int expected = kStatusNotFound;
            for (const auto& [id, name] : names) {
                if (reference::Matches(name, query, caseSensitive, exact)) {
                    expected = id;
                    break;
                }
            }
            const CatalogObject* hit = expected > 0 ? AsCatalog(getObject(expected)) : nullptr;
            if (exact && hit != nullptr && !hit->name) ++designationHits;
            ASSERT_EQ(Find(query, caseSensitive, exact), expected)
                << '"' << query << "\" case-sensitive " << caseSensitive << " exact " << exact;
        }
    }
    // Enough of the exact queries find an object named by designations alone,
    // or the test proves little.
    EXPECT_GT(designationHits, 200);
}

} // namespace
