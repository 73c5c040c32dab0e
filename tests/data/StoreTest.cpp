// The object store: what objects are charged, ids that name nothing, table
// growth, removal, summaries, loading on demand, the order in which the
// memory limit drops files, the custom file; and finding objects by name.

#include "astro/Viewer.h"
#include "data/Names.h"
#include "tests/data/DataTestSupport.h"

#include <cmath>
#include <unistd.h>

namespace {

using namespace data_test;

constexpr int kLineCharge = 46, kSlotCharge = 4;

class StoreTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        OpenEmpty();
        gDrawGeneration = 0;
        setViewerDefaults();
    }
    static CatalogObject* Star(int type, std::int16_t magnitude, double x, double y, double z) {
        CatalogObject* star = NewCatalogObject(type);
        star->catalogMagnitude = magnitude;
        const double v[3] = {x, y, z};
        for (int i = 0; i < 3; ++i)
            star->position[i] = static_cast<std::int32_t>(std::lround(v[i] * kUnitVectorScale));
        return star;
    }
    // A file of `count` lines written to disk and unloaded.
    static ObjectID FileOnDisk(const char* name, int count) {
        ObjectID fileId = attachFile(newFile(name));
        for (int i = 0; i < count; ++i)
            EXPECT_NE(addObject(NewLineObject(kTypeFigureLine), fileId), 0);
        EXPECT_TRUE(unloadFile(fileId));
        return fileId;
    }
    // The files' charges always add up to the store's total.
    static void ExpectTotalsAgree() {
        std::int64_t sum = 0;
        for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
            sum += getFile(id)->memoryBytes;
        EXPECT_EQ(sum, gObjectStore.totalMemory);
    }
};

TEST_F(StoreTest, IdsThatNameNothingLoadNothing) {
    ObjectID fileId = FileOnDisk("Lines.nvd", 3);
    ASSERT_EQ(fileId, 16384);
    // With its data file gone, any load would drop the file from the table.
    ASSERT_EQ(unlink(In("Lines.nvd").c_str()), 0);
    for (ObjectID id : {0, 16383, -1, 16384, 16384 + 4, 2 * 16384 + 1})
        EXPECT_EQ(getObject(id), nullptr) << id;
    EXPECT_EQ(getFile(fileId)->loadStamp, 0) << "nothing was loaded";
    // Its data file moved away: said once, tried no more, kept in the index.
    const bool indexModified = gObjectStore.indexModified;
    EXPECT_EQ(getObject(fileId + 1), nullptr);
    EXPECT_EQ(getObject(fileId + 2), nullptr);
    EXPECT_EQ(getFile(fileId)->highestIndex, 3);
    EXPECT_EQ(gObjectStore.indexModified, indexModified);
    EXPECT_EQ(Numbers(), Messages{257});
}

TEST_F(StoreTest, TablesGrowAtOnceAndStopAtSixteenThousand) {
    ObjectID fileId = FileOnDisk("Lines.nvd", 3);
    ASSERT_EQ(loadFile(fileId), kStatusSuccess);
    DatabaseFile* file = getFile(fileId);
    EXPECT_EQ(file->memoryBytes, 3 * kSlotCharge + 3 * kLineCharge);
    EXPECT_EQ(addObject(NewLineObject(kTypeFigureLine), fileId), fileId + 4);
    EXPECT_EQ(file->memoryBytes, 16000 * kSlotCharge + 4 * kLineCharge);
    for (int i = 5; i <= 16000; ++i)
        ASSERT_EQ(addObject(NewLineObject(kTypeFigureLine), fileId), fileId + i);
    std::int64_t total = gObjectStore.totalMemory;
    LineObject* extra = NewLineObject(kTypeFigureLine);
    EXPECT_EQ(addObject(extra, fileId), 0);
    EXPECT_EQ(extra->id, 0);
    EXPECT_EQ(file->lineCount, 16000);
    EXPECT_EQ(gObjectStore.totalMemory, total);
    FreeObject(extra);
    ExpectTotalsAgree();
}

TEST_F(StoreTest, RemovalAndReplacementKeepTheSummaryRight) {
    ObjectID fileId = attachFile(newFile("Stars.nvd"));
    ObjectID a = addObject(Star(kTypeSingleStar, 150, 1, 0, 0), fileId);
    ObjectID b = addObject(Star(kTypeSingleStar, 420, 0, 1, 0), fileId);
    ObjectID c = addObject(Star(kTypeGalaxy, 900, 0, 0, 1), fileId);
    DatabaseFile* file = getFile(fileId);
    SkyObject* removed = removeObject(a);
    EXPECT_EQ(removed->id, 0);
    FreeObject(removed);
    EXPECT_EQ(file->starBrightest, 420);
    EXPECT_EQ(removeObject(a), nullptr);
    FreeObject(removeObject(c));
    EXPECT_EQ(file->highestIndex, 2) << "drops to the next occupied slot";
    EXPECT_EQ(file->deepSkyBrightest, 32767);
    EXPECT_EQ(addObject(Star(kTypeSingleStar, 10, 1, 0, 0), fileId), a) << "index 1 is reused";
    FreeObject(removeObject(a));
    FreeObject(removeObject(b));
    EXPECT_EQ(file->highestIndex, 0);
    EXPECT_EQ(file->greatestDeclination, -0x10000000);
    EXPECT_EQ(file->memoryBytes, 16000 * kSlotCharge);
    // Put in the place of an object of a file as read: charged, but not a change.
    ObjectID lines = FileOnDisk("Lines.nvd", 2);
    ASSERT_EQ(loadFile(lines), kStatusSuccess);
    std::int32_t before = getFile(lines)->memoryBytes;
    SiteObject* site = NewSiteObject();
    site->name = CopyText("Replacement");
    EXPECT_EQ(addObject(site, lines + 2), lines + 2);
    EXPECT_EQ(getObject(lines + 2), site);
    EXPECT_EQ(getFile(lines)->memoryBytes, before - kLineCharge + 26 + 12);
    EXPECT_FALSE(isModified(getFile(lines)));
}

TEST_F(StoreTest, IterationAndFileNumbers) {
    ObjectID first = FileOnDisk("A.nvd", 2);
    DatabaseFile* numbered = newFile("B.nvd");
    numbered->fileId = FileID(7);
    ASSERT_EQ(attachFile(numbered), FileID(7));
    addObject(NewSiteObject(), FileID(7));
    addObject(NewSiteObject(), FileID(7));
    FreeObject(removeObject(FileID(7) + 1));
    EXPECT_EQ(nextFile(first), FileID(7));
    std::vector<ObjectID> seen;
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id))
        seen.push_back(id);
    EXPECT_EQ(seen, (std::vector<ObjectID>{first + 1, first + 2, FileID(7) + 2}));
    DatabaseFile* bad = newFile("Bad.nvd");
    bad->fileId = FileID(16001);
    EXPECT_EQ(attachFile(bad), 0);
    freeFile(bad);
    // Attached over an occupied slot, the occupant is saved and released.
    ObjectID old = attachFile(newFile("Old.nvd"));
    addObject(NewSiteObject(), old);
    DatabaseFile* replacement = newFile("New.nvd");
    replacement->fileId = old;
    EXPECT_EQ(attachFile(replacement), old);
    EXPECT_EQ(getFile(old), replacement);
    EXPECT_TRUE(FileExists(In("Old.nvd"))) << "its changes were saved";
    ExpectTotalsAgree();
}

TEST_F(StoreTest, MemoryLimitDropsStaleFilesThenTheMostRecentlyLoaded) {
    ObjectID a = FileOnDisk("A.nvd", 1), b = FileOnDisk("B.nvd", 1), c = FileOnDisk("C.nvd", 1);
    const std::int64_t perFile = kSlotCharge + kLineCharge;
    for (ObjectID id : {a, b, c})
        ASSERT_EQ(loadFile(id), kStatusSuccess);
    // B was last drawn three drawings ago, C the drawing before this one.
    gDrawGeneration = 10;
    getFile(a)->lastDrawGeneration = 10;
    getFile(b)->lastDrawGeneration = 8;
    getFile(c)->lastDrawGeneration = 9;
    setMemoryLimit(3 * perFile - 1);
    enforceMemoryLimit();
    EXPECT_FALSE(isLoaded(getFile(b)));
    EXPECT_TRUE(isLoaded(getFile(a)) && isLoaded(getFile(c)));
    // All fresh: the most recently loaded go first, locked ones passed over.
    unloadAll();
    for (ObjectID id : {c, a, b})
        ASSERT_EQ(loadFile(id), kStatusSuccess);
    getFile(b)->lastDrawGeneration = getFile(c)->lastDrawGeneration = 10;
    setMemoryLimit(2 * perFile);
    lockFile(b);
    enforceMemoryLimit();
    unlockFile(b);
    EXPECT_TRUE(isLoaded(getFile(b))) << "locked: passed over";
    EXPECT_FALSE(isLoaded(getFile(a))) << "the most recent load that could go";
    EXPECT_TRUE(isLoaded(getFile(c))) << "the oldest load stays once the total fits";
    ExpectTotalsAgree();
}

// A file without objects brings only its table of 16,000 slots; no object
// placed while loading it pays for that, so the load itself keeps the limit.
TEST_F(StoreTest, LoadingAFileWithoutObjectsKeepsToTheLimit) {
    ObjectID full = FileOnDisk("Full.nvd", 100);
    ObjectID empty = attachFile(newFile("Empty.nvd"));
    ASSERT_EQ(writeDataFile(empty), kStatusSuccess);
    ASSERT_EQ(loadFile(full), kStatusSuccess);
    setMemoryLimit(100 * (kSlotCharge + kLineCharge) + kMaxObjectsPerFile * kSlotCharge - 1);
    ASSERT_EQ(loadFile(empty), kStatusSuccess);
    EXPECT_LE(gObjectStore.totalMemory, gObjectStore.memoryLimit);
    EXPECT_TRUE(isLoaded(getFile(empty))) << "the file just loaded stays";
    EXPECT_FALSE(isLoaded(getFile(full)));
    ExpectTotalsAgree();
}

TEST_F(StoreTest, ModifiedFilesAreWrittenOnUnloadAndOnClose) {
    ObjectID fileId = attachFile(newFile("Sites.nvd"));
    SiteObject* site = NewSiteObject();
    site->name = CopyText("Hill");
    site->altitude = 412.5f;
    ASSERT_EQ(addObject(site, fileId), fileId + 1);
    // A write that fails keeps the changes in memory.
    setWriteFailureAfterBytesForTest(10);
    EXPECT_FALSE(unloadFile(fileId));
    setWriteFailureAfterBytesForTest(-1);
    EXPECT_TRUE(isLoaded(getFile(fileId)) && isModified(getFile(fileId)));
    EXPECT_TRUE(unloadFile(fileId));
    ASSERT_NE(AsSite(getObject(fileId + 1)), nullptr);
    EXPECT_EQ(AsSite(getObject(fileId + 1))->altitude, 412.5f);
    // Closing writes what changed, forgets the viewer object and tells the handler.
    ASSERT_EQ(addObject(NewSiteObject(), fileId), fileId + 2);
    static int closed = 0;
    setDatabaseClosedHandler([] { ++closed; });
    gViewer.viewerObject = fileId + 1;
    gViewer.viewerObjectOffset[1] = 2.5;
    closeDatabase();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(gViewer.viewerObject, 0);
    EXPECT_EQ(gObjectStore.totalMemory, 0);
    ASSERT_TRUE(readIndex(In("Index.nvd")));
    EXPECT_EQ(getFile(fileId)->siteCount, 2);
    EXPECT_NE(getObject(fileId + 2), nullptr);
}

TEST_F(StoreTest, CustomFileIsFileOneAndNeverReplacesAnother) {
    EXPECT_EQ(addObject(NewSiteObject(), 0), 16385);
    EXPECT_STREQ(getFile(16384)->name.get(), "Custom.nvd");
    EXPECT_EQ(ReadAll(In("Custom.nvd")).size(), 256u) << "written empty when created";
    // Left on disk while the index lost it: taken back.
    ASSERT_EQ(writeDataFile(16384), kStatusSuccess);
    freeFile(detachFile(16384));
    EXPECT_EQ(customFile(), 16384);
    EXPECT_EQ(getFile(16384)->siteCount, 1);
    EXPECT_NE(getObject(16385), nullptr);
    // Its name taken by another file: asked, and never that file.
    freeFile(detachFile(16384));
    ASSERT_EQ(unlink(In("Custom.nvd").c_str()), 0);
    DatabaseFile* other = newFile("custom.NVD");
    other->fileId = FileID(2);
    ASSERT_EQ(attachFile(other), FileID(2));
    Answer(531, AnswerCancel);
    EXPECT_EQ(customFile(), 0);
    EXPECT_EQ(Numbers(), Messages{531});
    Answer(531, AnswerYes);
    EXPECT_EQ(customFile(), 16384);
    EXPECT_STREQ(getFile(16384)->name.get(), "Custom1.nvd");
    EXPECT_EQ(getFile(FileID(2)), other) << "the other file keeps its objects";
}

TEST_F(StoreTest, LoadsOnDemandAndRetriesOnceWhenOutOfMemory) {
    ObjectID a = FileOnDisk("A.nvd", 2), b = FileOnDisk("B.nvd", 2);
    // Adding to an unloaded file reads it first.
    EXPECT_EQ(addObject(NewSiteObject(), b), b + 3);
    ASSERT_TRUE(unloadFile(b));
    ASSERT_EQ(loadFile(b), kStatusSuccess);
    for (int i = 1; i <= 3; ++i)
        EXPECT_NE(getObject(b + i), nullptr) << i;
    setTableAllocationFailuresForTest(1);
    EXPECT_EQ(loadFile(a), kStatusSuccess);
    EXPECT_FALSE(isLoaded(getFile(b))) << "everything unlocked was unloaded first";
    EXPECT_NE(getObject(a + 2), nullptr);
    unloadAll();
    setTableAllocationFailuresForTest(2);
    EXPECT_EQ(loadFile(a), kStatusOutOfMemory);
    EXPECT_FALSE(isLoaded(getFile(a))) << "still attached";
    EXPECT_EQ(getFile(a)->highestIndex, 2);
    EXPECT_EQ(gObjectStore.totalMemory, 0);
    EXPECT_TRUE(RecordedMessages().empty()) << "alerts are off while loading";
}

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
        // Designations are compared packed, not spelled, yet must agree with the display
        // name, letter case and all.
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
    // Cancel pressed while the fourth object was examined; going on skips nothing.
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
