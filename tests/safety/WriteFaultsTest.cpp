// Every writer against a failing disk: whether the write, the flush, the close
// or the final rename fails, the file that was there stays byte for byte as it
// was, no temporary file is left behind, and the user is told. An import whose
// index can't be written takes its new data file away again.

#include "chart/ChartView.h"
#include "data/DatabaseFiles.h"
#include "data/Import.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "output/EphemerisExport.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Files named as a replacement's temporary ("<name>.XXXXXX") anywhere below.
int Temporaries(const std::string& dir) {
    int n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        std::size_t dot = name.rfind('.');
        if (dot == std::string::npos || dot == 0 || name.size() - dot != 7) continue;
        n += std::all_of(name.begin() + static_cast<long>(dot) + 1, name.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    }
    return n;
}

class WriteFaults : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-faults-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        SetProgramDirectory(dir);
        SetMessageResponder([](const MessageRecord&) { return AnswerYes; });
        ASSERT_TRUE(initObjectStore(std::int64_t{1} << 30));
        fs::create_directory(dir + "/Database");
        gObjectStore.indexPath = dir + "/Database/Index.nvd";
        gObjectStore.databaseDirectory = dir + "/Database/";
        file = customFile();
        SiteObject* site = NewSiteObject();
        site->name = CopyText("Home");
        ASSERT_NE(addObject(site, file), 0);
        ASSERT_EQ(writeDataFile(file), kStatusSuccess);
        ASSERT_TRUE(writeIndex(gObjectStore.indexPath));
        ASSERT_TRUE(saveSettingsFile(dir + "/Norvane.ini"));
        ASSERT_TRUE(saveSettingsFile(dir + "/My.nvs"));
        std::ofstream(dir + "/Old.eph") << "old";
        ClearRecordedMessages();
    }
    void TearDown() override {
        ClearFileFaultsForTest();
        setObjectStoreDefaults();
        ResetPlatform();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    std::string dir;
    ObjectID file = 0;
};

TEST_F(WriteFaults, EveryWriterKeepsThePreviousFile) {
    struct Writer {
        const char* name;
        std::string target;
        std::function<bool()> write;
    };
    const Writer writers[] = {
        {"data file", "Database/Custom.nvd",
         [this] {
             AsSite(getObject(firstObjectInFile(file)))->name = CopyText("Elsewhere");
             return writeDataFile(file) == kStatusSuccess;
         }},
        {"index", "Database/Index.nvd",
         [this] {
             getFile(file)->siteCount = 7;
             return writeIndex(gObjectStore.indexPath);
         }},
        {"settings", "My.nvs",
         [this] {
             gChartView.fieldWidth *= 0.5;
             return saveSettingsFile(dir + "/My.nvs");
         }},
        {"ephemeris", "Old.eph",
         [this] { return WriteEphemerisFile(firstObjectInFile(file), 0, 1, 1, dir + "/Old.eph"); }},
        {"default settings", "Norvane.ini",
         [] {
             gChartView.fieldWidth *= 0.5;
             saveSettingsAsDefaultCommand();
             return RecordedMessages().empty();
         }},
    };
    for (FileFault fault :
         {FileFault::Write, FileFault::Flush, FileFault::Close, FileFault::Rename}) {
        for (const Writer& writer : writers) {
            SCOPED_TRACE(std::string(writer.name) + " fault " +
                         std::to_string(static_cast<int>(fault)));
            const std::string before = ReadAll(dir + "/" + writer.target);
            ASSERT_FALSE(before.empty());
            ClearRecordedMessages();
            SetFileFaultForTest(fault, 1);
            EXPECT_FALSE(writer.write());
            ClearFileFaultsForTest();
            EXPECT_EQ(ReadAll(dir + "/" + writer.target), before);
            EXPECT_EQ(Temporaries(dir), 0);
            ASSERT_FALSE(RecordedMessages().empty());
            EXPECT_NE(RecordedMessages().back().text.find("can't write"), std::string::npos)
                << RecordedMessages().back().text;
        }
    }
}

TEST_F(WriteFaults, AnImportWhoseIndexCantBeWrittenLeavesTheDatabaseAsItWas) {
    std::ofstream(dir + "/New.txt") << "L\t10\t50\t100\t1\tSomewhere\n";
    const std::string index = ReadAll(gObjectStore.indexPath);
    // The data file's rename is the first, the index's the second.
    SetFileFaultForTest(FileFault::Rename, 2);
    EXPECT_FALSE(importTextFile(dir + "/New.txt"));
    EXPECT_FALSE(fs::exists(dir + "/Database/New.nvd"));
    EXPECT_EQ(ReadAll(gObjectStore.indexPath), index);
    EXPECT_EQ(Temporaries(dir), 0);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_NE(RecordedMessages().back().text.find("Index.nvd"), std::string::npos);
    // Nothing of the failed import is left to be written at close.
    closeDatabase();
    EXPECT_EQ(ReadAll(dir + "/Database/Index.nvd"), index);
}

// A replacement cut short by a crash leaves "<name>.XXXXXX" beside the file;
// opening the database clears those that nobody is writing any more.
TEST_F(WriteFaults, StaleTemporariesAreRemovedWhenTheDatabaseOpens) {
    const std::string stale = dir + "/Database/Index.nvd.a1B2c3";
    const std::string fresh = dir + "/Database/Custom.nvd.Z9y8X7";
    const std::string other = dir + "/Database/notes.txt.a1B2c3";
    for (const std::string& path : {stale, fresh, other})
        std::ofstream(path) << "partial";
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));
    fs::last_write_time(other, fs::file_time_type::clock::now() - std::chrono::hours(1));
    const std::string index = gObjectStore.indexPath;
    closeDatabase();
    ASSERT_TRUE(readIndex(index));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh)) << "still being written, perhaps by another copy";
    EXPECT_TRUE(fs::exists(other)) << "not one of ours";
}

// An index that lists one file number twice keeps both files reachable.
TEST_F(WriteFaults, ADuplicateFileNumberInTheIndexKeepsBothFiles) {
    ObjectID second = attachFile(newFile("Second.nvd"));
    ASSERT_NE(second, 0);
    allocateObjectTable(getFile(second));
    SiteObject* site = NewSiteObject();
    site->name = CopyText("Away");
    ASSERT_NE(addObject(site, second), 0);
    ASSERT_EQ(writeDataFile(second), kStatusSuccess);
    // Both records claim the custom file's number.
    getFile(second)->fileId = file;
    std::string index = gObjectStore.indexPath;
    ASSERT_TRUE(writeIndex(index));
    setObjectStoreDefaults();
    ASSERT_TRUE(initObjectStore(std::int64_t{1} << 30));
    ClearRecordedMessages();
    ASSERT_TRUE(readIndex(index));
    EXPECT_EQ(fileCount(), 2);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("Second.nvd"), std::string::npos);
    int sites = 0;
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id))
        sites += AsSite(getObject(id)) != nullptr;
    EXPECT_EQ(sites, 2);
    EXPECT_FALSE(gObjectStore.indexModified) << "nothing changed on disk";
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    InitPlatform(argc, argv);
    return RUN_ALL_TESTS();
}
