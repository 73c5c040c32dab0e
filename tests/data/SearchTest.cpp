// Finding objects by display name in a store built in memory.

#include "data/Search.h"
#include "data/Names.h"
#include "tests/data/DataTestSupport.h"

#include <string>

namespace {

using namespace data_test;

// A clock that runs 400 ms per reading, so that the third object examined is
// past the one-second mark; it can press Cancel in the progress box.
long gFakeNow = 0;
int gClockReadings = 0;
bool gPressCancel = false;

long FakeClock() {
    ++gClockReadings;
    if (WindowRef box = ProgressWindow())
        if (gPressCancel) PressButton(box, kCancelButton);
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
        {"m31", _, E, andromeda},                      // M 31 is not M31
        {"Andromeda", _, E, none},                     // a part must be equal in full
        {"  andromeda galaxy ;M31 ", _, E, andromeda}, // in any order
        {"M31; Triangulum", _, E, none},               // every part is required
        // Objects without a name text are found by the name their designations build.
        // An exact search compares designations packed, not spelled: it must
        // still agree with the display name, letter case and all.
        {"HD128620; $a1 Cen", C, E, star},
        {"hr5459", _, E, star},
        {"hr5459", C, E, none},
        {"HR 5459", _, E, none},
        {"gal andromeda", _, _, andromeda}, // word order is free
        {"andromeda nebula", _, _, none},   // the words lie in different objects
        {"galaxy m31", _, _, none},         // ... or in different name parts
        {"xyz; nebula", _, _, nebula},      // any one query part will do
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

    // A query without parts finds nothing, without walking the store.
    setSearchClock(FakeClock);
    for (const char* query : {"", " ; ;  "}) {
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
    // The box opened after the third object, Cancel was pressed while the
    // fourth was examined; going on from there skips nothing.
    gPressCancel = true;
    ObjectID id = 0;
    EXPECT_EQ(findObjectByName("nothing of that name", false, false, id), kStatusCancelled);
    EXPECT_EQ(id, star);
    EXPECT_EQ(ProgressWindow(), nullptr);
    setSearchClock(nullptr);
    EXPECT_EQ(findObjectByName("Mars", false, true, id), kStatusSuccess);
    EXPECT_EQ(id, mars);
}

} // namespace
