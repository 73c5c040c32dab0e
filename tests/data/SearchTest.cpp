// Finding objects by display name in a store built in memory (nothing is
// written: the store is reset without writing at the end of each test).

#include "data/Search.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
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

} // namespace
