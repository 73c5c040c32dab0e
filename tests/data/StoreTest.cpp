// The object store: ids that name nothing, table growth, removal, summaries,
// loading on demand and the order in which the memory limit drops files.

#include "astro/Viewer.h"
#include "data/DatabaseFiles.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <deque>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class StoreTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        SetProgramDirectory(dir);
        SetMessageResponder([this](const MessageRecord&) {
            if (answers.empty()) return static_cast<int>(AnswerOK);
            int answer = answers.front();
            answers.pop_front();
            return answer;
        });
        ClearRecordedMessages();
        SetMessagesEnabled(true);
        ASSERT_TRUE(initObjectStore(1000000000));
        gDrawGeneration = 0;
        setViewerDefaults();
        database = dir + "/Database";
        ASSERT_EQ(mkdir(database.c_str(), 0777), 0);
        gObjectStore.indexPath = database + "/Index.nvd";
        gObjectStore.databaseDirectory = database + "/";
    }
    void TearDown() override {
        setObjectStoreDefaults();
        setDatabaseClosedHandler(nullptr);
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
    }

    static CatalogObject* Star(int type, std::int16_t magnitude, double x, double y, double z) {
        CatalogObject* star = NewCatalogObject(type);
        star->catalogMagnitude = magnitude;
        star->position[0] = static_cast<std::int32_t>(std::lround(x * kUnitVectorScale));
        star->position[1] = static_cast<std::int32_t>(std::lround(y * kUnitVectorScale));
        star->position[2] = static_cast<std::int32_t>(std::lround(z * kUnitVectorScale));
        return star;
    }
    // A file of `count` lines written to disk and unloaded.
    ObjectID FileOnDisk(const char* name, int count) {
        ObjectID fileId = attachFile(newFile(name));
        for (int i = 0; i < count; ++i)
            EXPECT_NE(addObject(NewLineObject(kTypeFigureLine), fileId), 0);
        EXPECT_TRUE(unloadFile(fileId));
        return fileId;
    }
    std::int64_t SumOfFiles() const {
        std::int64_t sum = 0;
        for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
            sum += getFile(id)->memoryBytes;
        return sum;
    }

    std::string dir;
    std::string database;
    std::deque<int> answers;
};

TEST(SkyObjects, StartValuesChargesNamesAndDirections) {
    EXPECT_EQ(NewObject(0), nullptr);
    EXPECT_EQ(NewObject(39), nullptr);
    EXPECT_EQ(NewObject(57), nullptr) << "57 to 60 have no meaning";
    EXPECT_EQ(NewObject(102), nullptr);
    for (int type : {1, 38, 51, 56, 61, 65, 91, 93, 101})
        EXPECT_TRUE(IsKnownType(type)) << type;
    for (int type : {0, 39, 50, 57, 60, 66, 90, 94, 100, 102, 255})
        EXPECT_FALSE(IsKnownType(type)) << type;

    CatalogObject* star = NewCatalogObject(kTypeMultipleStar);
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->type, kTypeMultipleStar);
    EXPECT_TRUE(std::isinf(star->catalogDistance) && star->catalogDistance > 0);
    EXPECT_TRUE(std::isinf(star->radialVelocity) && star->radialVelocity > 0);
    EXPECT_EQ(star->colorIndex, 32767);
    EXPECT_EQ(ChargedSize(star), 82);
    EXPECT_EQ(DisplayName(star), "");
    const std::uint32_t ids[2] = {22 * kCatalogCodeUnit + 5194, 21 * kCatalogCodeUnit + 51};
    star->identifiers.reset(new std::uint32_t[2]{ids[0], ids[1]});
    star->identifierCount = 2;
    EXPECT_EQ(ChargedSize(star), 82 + 8);
    EXPECT_EQ(DisplayName(star), buildIdentifierName(ids, 2));
    star->name = CopyText("Whirlpool");
    EXPECT_EQ(ChargedSize(star), 82 + 8 + 10);
    EXPECT_EQ(DisplayName(star), "Whirlpool");
    FreeObject(star);

    SolarSystemObject* comet = NewSolarSystemObject(kTypeComet);
    EXPECT_EQ(ChargedSize(comet), 132);
    comet->name = CopyText("Halley");
    EXPECT_EQ(ChargedSize(comet), 132 + 7);
    EXPECT_EQ(DisplayName(comet), "Halley");
    FreeObject(comet);

    LineObject* line = NewLineObject(kTypeBoundaryLine);
    line->label = CopyText("a label is not charged");
    line->endpointPositions[0][2] = 1073741824;
    EXPECT_EQ(ChargedSize(line), 46);
    EXPECT_EQ(DisplayName(line), "");
    std::int32_t direction[3] = {};
    EXPECT_TRUE(ApparentDirection(line, direction));
    EXPECT_EQ(direction[2], 1073741824);
    FreeObject(line);

    SiteObject* site = NewSiteObject();
    site->name = CopyText("Home");
    EXPECT_EQ(ChargedSize(site), 26 + 5);
    EXPECT_FALSE(ApparentDirection(site, direction));
    FreeObject(site);
}

TEST_F(StoreTest, IdsThatNameNothingLoadNothing) {
    ObjectID fileId = FileOnDisk("Lines.nvd", 3);
    ASSERT_EQ(fileId, 16384);
    // With its data file gone, any load would drop the file from the table.
    ASSERT_EQ(unlink((database + "/Lines.nvd").c_str()), 0);
    for (ObjectID id : {0, 1, 16000, 16383, -1, 16384, 16384 + 4, 16384 + 16383, 2 * 16384 + 1})
        EXPECT_EQ(getObject(id), nullptr) << id;
    EXPECT_NE(getFile(fileId), nullptr) << "nothing was loaded";
    EXPECT_EQ(getFile(fileId)->loadStamp, 0);

    // The data file deleted behind the program's back: gone at the first access.
    EXPECT_EQ(getObject(fileId + 1), nullptr);
    EXPECT_EQ(getFile(fileId), nullptr);
    EXPECT_EQ(fileCount(), 0);
    EXPECT_TRUE(gObjectStore.indexModified);
    EXPECT_EQ(gObjectStore.totalMemory, 0);
    EXPECT_TRUE(RecordedMessages().empty()) << "on-demand loads are silent";
}

TEST_F(StoreTest, TablesGrowAtOnceAndStopAtSixteenThousand) {
    ObjectID fileId = FileOnDisk("Lines.nvd", 3);
    ASSERT_EQ(loadFile(fileId), kStatusSuccess);
    DatabaseFile* file = getFile(fileId);
    EXPECT_EQ(file->capacity, 3);
    EXPECT_EQ(file->memoryBytes, 3 * 4 + 3 * 46);
    EXPECT_EQ(addObject(NewLineObject(kTypeFigureLine), fileId), fileId + 4);
    EXPECT_EQ(file->capacity, 16000);
    EXPECT_EQ(file->memoryBytes, 16000 * 4 + 4 * 46);

    for (int i = 5; i <= 16000; ++i)
        ASSERT_EQ(addObject(NewLineObject(kTypeFigureLine), fileId), fileId + i);
    std::int64_t total = gObjectStore.totalMemory;
    LineObject* extra = NewLineObject(kTypeFigureLine);
    EXPECT_EQ(addObject(extra, fileId), 0);
    EXPECT_EQ(extra->id, 0);
    EXPECT_EQ(file->highestIndex, 16000);
    EXPECT_EQ(file->lineCount, 16000);
    EXPECT_EQ(gObjectStore.totalMemory, total);
    FreeObject(extra);
    EXPECT_EQ(SumOfFiles(), gObjectStore.totalMemory);
}

TEST_F(StoreTest, RemovalLowersHighestIndexAndRecomputesTheSummary) {
    ObjectID fileId = attachFile(newFile("Stars.nvd"));
    ObjectID a = addObject(Star(kTypeSingleStar, 150, 1, 0, 0), fileId);
    ObjectID b = addObject(Star(kTypeSingleStar, 420, 0, 1, 0), fileId);
    ObjectID c = addObject(Star(kTypeGalaxy, 900, 0, 0, 1), fileId);
    DatabaseFile* file = getFile(fileId);
    ASSERT_EQ(file->highestIndex, 3);
    EXPECT_EQ(file->starBrightest, 150);
    EXPECT_EQ(file->starFaintest, 420);

    SkyObject* removed = removeObject(a);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->id, 0);
    FreeObject(removed);
    EXPECT_EQ(file->highestIndex, 3);
    EXPECT_EQ(file->starBrightest, 420);
    EXPECT_EQ(file->starCount, 1);
    EXPECT_EQ(removeObject(a), nullptr);

    FreeObject(removeObject(c));
    EXPECT_EQ(file->highestIndex, 2) << "drops to the next occupied slot";
    EXPECT_EQ(file->deepSkyCount, 0);
    EXPECT_EQ(file->deepSkyBrightest, 32767);
    EXPECT_EQ(addObject(Star(kTypeSingleStar, 10, 1, 0, 0), fileId), a) << "index 1 is reused";
    FreeObject(removeObject(a));
    FreeObject(removeObject(b));
    EXPECT_EQ(file->highestIndex, 0);
    EXPECT_EQ(file->starCount, 0);
    EXPECT_EQ(file->starFaintest, -32768);
    EXPECT_EQ(file->greatestDeclination, -0x10000000);
    EXPECT_EQ(file->leastRightAscension, 0x40000000);
    EXPECT_EQ(file->memoryBytes, 16000 * 4);
    EXPECT_TRUE(isModified(file));
}

TEST_F(StoreTest, SummaryCountsRangesAndBox) {
    ObjectID fileId = attachFile(newFile("Mixed.nvd"));
    const double h = std::sqrt(0.5);
    addObject(Star(kTypeSingleStar, 150, 0, 1, 0), fileId);         // RA 90 deg, Dec 0
    addObject(Star(kTypeVariableStar, 32767, 1, -1e-6, 0), fileId); // RA just short of 360 deg
    addObject(Star(kTypeGlobularCluster, 580, h, 0, h), fileId);    // RA 0, Dec +45 deg
    addObject(Star(kTypeGalaxy, 1210, 0, 0, -1), fileId);           // Dec -90 deg
    addObject(NewSolarSystemObject(kTypeAsteroid), fileId);
    addObject(NewLineObject(kTypeBoundaryLine), fileId);
    addObject(NewSiteObject(), fileId);
    const DatabaseFile* file = getFile(fileId);
    EXPECT_EQ(file->starCount, 2);
    EXPECT_EQ(file->deepSkyCount, 2);
    EXPECT_EQ(file->solarSystemCount, 1);
    EXPECT_EQ(file->lineCount, 1);
    EXPECT_EQ(file->siteCount, 1);
    EXPECT_EQ(file->starBrightest, 150);
    EXPECT_EQ(file->starFaintest, 32767) << "'none' widens the range too";
    EXPECT_EQ(file->deepSkyBrightest, 580);
    EXPECT_EQ(file->deepSkyFaintest, 1210);
    EXPECT_NEAR(file->greatestDeclination, 0x08000000, 1);
    EXPECT_NEAR(file->leastDeclination, -0x10000000, 1);
    EXPECT_EQ(file->leastRightAscension, 0);
    EXPECT_NEAR(file->greatestRightAscension, 0x40000000, 200);
    EXPECT_LT(file->greatestRightAscension, 0x40000000);
    EXPECT_EQ(solarSystemCount(), 1);
    EXPECT_EQ(objectCount(), 7);
}

TEST_F(StoreTest, ReplacementKeepsFlagsAndSummary) {
    ObjectID fileId = FileOnDisk("Lines.nvd", 2);
    ASSERT_EQ(loadFile(fileId), kStatusSuccess);
    DatabaseFile* file = getFile(fileId);
    std::int32_t before = file->memoryBytes;
    SiteObject* site = NewSiteObject();
    site->name = CopyText("Replacement");
    EXPECT_EQ(addObject(site, fileId + 2), fileId + 2);
    EXPECT_EQ(site->id, fileId + 2);
    EXPECT_EQ(getObject(fileId + 2), site);
    EXPECT_EQ(file->memoryBytes, before - 46 + 26 + 12);
    EXPECT_FALSE(isModified(file));
    EXPECT_EQ(file->lineCount, 2);
    EXPECT_EQ(file->siteCount, 0);
}

TEST_F(StoreTest, IterationAndFileNumbers) {
    ObjectID first = FileOnDisk("A.nvd", 2);
    DatabaseFile* numbered = newFile("B.nvd");
    numbered->fileId = FileID(7);
    ASSERT_EQ(attachFile(numbered), FileID(7));
    addObject(NewSiteObject(), FileID(7));
    addObject(NewSiteObject(), FileID(7));
    FreeObject(removeObject(FileID(7) + 1));
    EXPECT_EQ(gObjectStore.highestFile, 7);
    EXPECT_EQ(nextFile(first), FileID(7));

    std::vector<ObjectID> seen;
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id))
        seen.push_back(id);
    EXPECT_EQ(seen, (std::vector<ObjectID>{first + 1, first + 2, FileID(7) + 2}));

    for (ObjectID bad : {FileID(16001), FileID(3) + 1}) {
        DatabaseFile* file = newFile("Bad.nvd");
        file->fileId = bad;
        EXPECT_EQ(attachFile(file), 0) << bad;
        freeFile(file);
    }
    freeFile(detachFile(FileID(7)));
    EXPECT_EQ(gObjectStore.highestFile, 1);
    EXPECT_EQ(detachFile(FileID(7)), nullptr);
    EXPECT_EQ(SumOfFiles(), gObjectStore.totalMemory);
    EXPECT_GE(memoryBudget(), 8192000);
}

TEST_F(StoreTest, MemoryLimitDropsStaleFilesThenTheMostRecentlyLoaded) {
    ObjectID a = FileOnDisk("A.nvd", 1);
    ObjectID b = FileOnDisk("B.nvd", 1);
    ObjectID c = FileOnDisk("C.nvd", 1);
    auto loadAll = [&] {
        for (ObjectID id : {a, b, c})
            ASSERT_EQ(loadFile(id), kStatusSuccess);
    };
    const std::int64_t perFile = 4 + 46;
    loadAll();
    ASSERT_EQ(gObjectStore.totalMemory, 3 * perFile);

    // Every file locked: nothing can go, and the loop still ends.
    for (ObjectID id : {a, b, c})
        lockFile(id);
    setMemoryLimit(0);
    enforceMemoryLimit();
    EXPECT_EQ(gObjectStore.totalMemory, 3 * perFile);
    for (ObjectID id : {a, b, c})
        unlockFile(id);

    // B was last drawn three drawings ago, C the drawing before this one.
    gDrawGeneration = 10;
    getFile(a)->lastDrawGeneration = 10;
    getFile(b)->lastDrawGeneration = 8;
    getFile(c)->lastDrawGeneration = 9;
    setMemoryLimit(3 * perFile - 1);
    enforceMemoryLimit();
    EXPECT_TRUE(isLoaded(getFile(a)));
    EXPECT_FALSE(isLoaded(getFile(b)));
    EXPECT_TRUE(isLoaded(getFile(c)));

    // All fresh: the most recently loaded go first, locked ones passed over.
    unloadAll();
    for (ObjectID id : {c, a, b})
        ASSERT_EQ(loadFile(id), kStatusSuccess);
    getFile(b)->lastDrawGeneration = 10;
    getFile(c)->lastDrawGeneration = 10;
    setMemoryLimit(2 * perFile);
    lockFile(b);
    enforceMemoryLimit();
    unlockFile(b);
    EXPECT_TRUE(isLoaded(getFile(b))) << "locked: passed over";
    EXPECT_FALSE(isLoaded(getFile(a))) << "the most recent load that could go";
    EXPECT_TRUE(isLoaded(getFile(c))) << "the oldest load stays once the total fits";
    EXPECT_EQ(SumOfFiles(), gObjectStore.totalMemory);
}

// A file without objects brings only its table of 16,000 slots; no object
// placed while loading it pays for that, so the load itself keeps the limit.
TEST_F(StoreTest, LoadingAFileWithoutObjectsKeepsToTheLimit) {
    ObjectID full = FileOnDisk("Full.nvd", 100);
    ObjectID empty = attachFile(newFile("Empty.nvd"));
    ASSERT_EQ(writeDataFile(empty), kStatusSuccess);
    const std::int64_t fullCharge = 100 * (4 + 46);
    const std::int64_t emptyCharge = std::int64_t{kMaxObjectsPerFile} * 4;
    ASSERT_EQ(loadFile(full), kStatusSuccess);
    setMemoryLimit(fullCharge + emptyCharge - 1);
    ASSERT_EQ(loadFile(empty), kStatusSuccess);
    EXPECT_LE(gObjectStore.totalMemory, gObjectStore.memoryLimit);
    EXPECT_TRUE(isLoaded(getFile(empty))) << "the file just loaded stays";
    EXPECT_FALSE(isLoaded(getFile(full)));
    EXPECT_EQ(SumOfFiles(), gObjectStore.totalMemory);
}

TEST_F(StoreTest, ModifiedFilesAreWrittenOnUnloadAndOnClose) {
    ObjectID fileId = attachFile(newFile("Sites.nvd"));
    SiteObject* site = NewSiteObject();
    site->name = CopyText("Hill");
    site->altitude = 412.5f;
    ASSERT_EQ(addObject(site, fileId), fileId + 1);
    lockFile(fileId);
    EXPECT_FALSE(unloadFile(fileId));
    unlockFile(fileId);

    // A write that fails keeps the changes in memory.
    setWriteFailureAfterBytesForTest(10);
    EXPECT_FALSE(unloadFile(fileId));
    setWriteFailureAfterBytesForTest(-1);
    EXPECT_TRUE(isLoaded(getFile(fileId)));
    EXPECT_TRUE(isModified(getFile(fileId)));

    EXPECT_TRUE(unloadFile(fileId));
    EXPECT_EQ(getFile(fileId)->memoryBytes, 0);
    const auto* back = AsSite(getObject(fileId + 1));
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back->name.get(), "Hill");
    EXPECT_EQ(back->altitude, 412.5f);

    SiteObject* second = NewSiteObject();
    ASSERT_EQ(addObject(second, fileId), fileId + 2);
    int closed = 0;
    static int* counter = nullptr;
    counter = &closed;
    setDatabaseClosedHandler([] { ++*counter; });
    gViewer.viewerObject = fileId + 1;
    gViewer.viewerObjectOffset[1] = 2.5;
    closeDatabase();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(gViewer.viewerObject, 0);
    EXPECT_EQ(gViewer.viewerObjectOffset[1], 0.0);
    EXPECT_EQ(fileCount(), 0);
    EXPECT_EQ(gObjectStore.totalMemory, 0);
    EXPECT_TRUE(gObjectStore.indexPath.empty());

    ASSERT_TRUE(readIndex(database + "/Index.nvd"));
    EXPECT_EQ(getFile(fileId)->highestIndex, 2);
    EXPECT_EQ(getFile(fileId)->siteCount, 2);
    EXPECT_NE(getObject(fileId + 2), nullptr);
}

TEST_F(StoreTest, CustomFileIsFileOne) {
    SiteObject* site = NewSiteObject();
    EXPECT_EQ(addObject(site, 0), 16385);
    const DatabaseFile* custom = getFile(16384);
    ASSERT_NE(custom, nullptr);
    EXPECT_STREQ(custom->name.get(), "Custom.nvd");
    struct stat st {};
    ASSERT_EQ(stat((database + "/Custom.nvd").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 256) << "written empty when created";
    EXPECT_EQ(customFile(), 16384);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(StoreTest, CustomFileNameTakenAsksAndNeverReplaces) {
    DatabaseFile* other = newFile("custom.NVD");
    other->fileId = FileID(2);
    ASSERT_EQ(attachFile(other), FileID(2));
    answers = {AnswerCancel};
    EXPECT_EQ(customFile(), 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 531);
    EXPECT_EQ(getFile(16384), nullptr);

    answers = {AnswerYes};
    EXPECT_EQ(customFile(), 16384);
    EXPECT_STREQ(getFile(16384)->name.get(), "Custom1.nvd");
    EXPECT_EQ(getFile(FileID(2)), other) << "the other file keeps its objects";
}

TEST_F(StoreTest, CustomFileLeftOnDiskIsTakenBack) {
    ObjectID fileId = attachFile(newFile("Custom.nvd"));
    ASSERT_EQ(fileId, 16384);
    addObject(NewSiteObject(), fileId);
    addObject(NewSiteObject(), fileId);
    ASSERT_EQ(writeDataFile(fileId), kStatusSuccess);
    freeFile(detachFile(fileId)); // as if the index had lost it

    EXPECT_EQ(customFile(), 16384);
    EXPECT_EQ(getFile(16384)->highestIndex, 2);
    EXPECT_EQ(getFile(16384)->siteCount, 2);
    EXPECT_NE(getObject(16386), nullptr);
}

TEST_F(StoreTest, OutOfMemoryLoadRetriesOnceAfterUnloadingAll) {
    ObjectID a = FileOnDisk("A.nvd", 2);
    ObjectID b = FileOnDisk("B.nvd", 2);
    ASSERT_EQ(loadFile(b), kStatusSuccess);
    setTableAllocationFailuresForTest(1);
    EXPECT_EQ(loadFile(a), kStatusSuccess);
    EXPECT_FALSE(isLoaded(getFile(b))) << "everything unlocked was unloaded first";
    EXPECT_NE(getObject(a + 2), nullptr);
    EXPECT_EQ(getFile(a)->loadStamp, gObjectStore.loadCounter);

    unloadAll();
    setTableAllocationFailuresForTest(2);
    EXPECT_EQ(loadFile(a), kStatusOutOfMemory);
    EXPECT_NE(getFile(a), nullptr) << "still attached";
    EXPECT_FALSE(isLoaded(getFile(a)));
    EXPECT_EQ(getFile(a)->highestIndex, 2);
    EXPECT_EQ(gObjectStore.totalMemory, 0);
    EXPECT_TRUE(RecordedMessages().empty()) << "alerts are off while loading";
    EXPECT_TRUE(MessagesEnabled());
}

TEST_F(StoreTest, AddingToAnUnloadedFileReadsItFirst) {
    ObjectID fileId = FileOnDisk("Lines.nvd", 3);
    EXPECT_EQ(addObject(NewSiteObject(), fileId), fileId + 4);
    ASSERT_TRUE(unloadFile(fileId));
    ASSERT_EQ(loadFile(fileId), kStatusSuccess);
    for (int i = 1; i <= 4; ++i)
        EXPECT_NE(getObject(fileId + i), nullptr) << i;
}

TEST_F(StoreTest, AttachingOverAnOccupiedSlotReleasesTheOccupant) {
    ObjectID fileId = attachFile(newFile("Old.nvd"));
    addObject(NewSiteObject(), fileId);
    DatabaseFile* replacement = newFile("New.nvd");
    replacement->fileId = fileId;
    EXPECT_EQ(attachFile(replacement), fileId);
    EXPECT_EQ(getFile(fileId), replacement);
    EXPECT_EQ(gObjectStore.totalMemory, 0);
    EXPECT_TRUE(access((database + "/Old.nvd").c_str(), F_OK) == 0) << "its changes were saved";
}

} // namespace
