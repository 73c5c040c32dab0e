// Database files: the byte layouts written and read (in both byte orders),
// refusal of damaged files, the directory chain, naming, and the database
// commands.

#include "data/DatabaseFiles.h"
#include "tests/data/DataTestSupport.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

using namespace data_test;
// Bytes laid out by hand from the file tables, in either byte order.
class Bytes {
public:
    explicit Bytes(bool bigEndian = false) : big_(bigEndian) {}
    Bytes& u(std::uint64_t value, int size) {
        for (int i = 0; i < size; ++i)
            data += static_cast<char>((value >> (8 * (big_ ? size - 1 - i : i))) & 0xFF);
        return *this;
    }
    Bytes& i8(int v) { return u(static_cast<std::uint8_t>(v), 1); }
    Bytes& i16(int v) { return u(static_cast<std::uint16_t>(v), 2); }
    Bytes& i32(std::int64_t v) { return u(static_cast<std::uint32_t>(v), 4); }
    Bytes& f32(float v) { return u(std::bit_cast<std::uint32_t>(v), 4); }
    Bytes& f64(double v) { return u(std::bit_cast<std::uint64_t>(v), 8); }
    Bytes& raw(const std::string& bytes) { return data += bytes, *this; }
    Bytes& text(const std::string& t) { return raw(t).raw(std::string(1, '\0')); }
    Bytes& header(int kind, int version, int count) {
        return i32(1).i32(kind).i32(version).i32(count).raw(std::string(240, '\0'));
    }
    // A length-prefixed record.
    Bytes& record(const Bytes& payload) {
        return i16(static_cast<int>(payload.data.size())).raw(payload.data);
    }
    Bytes fresh() const { return Bytes(big_); }
    std::string data;

private:
    bool big_;
};

// An index record with the start summary.
Bytes IndexRecord(bool big, std::int32_t fileId, std::int32_t highest, const std::string& name) {
    Bytes p(big);
    p.i32(fileId).i32(highest).i16(0).i16(0).i16(0).i16(0).i16(0);
    p.i16(-32768).i16(32767).i16(-32768).i16(32767);
    p.i32(-0x10000000).i32(0x10000000).i32(0).i32(0x40000000).text(name);
    return p;
}

Bytes SitePayload(bool big, const std::string& name) {
    Bytes p(big);
    p.f32(0.1f).f32(0.8f).f32(120.0f).f32(-0.25f).text(name);
    return p;
}

using DatabaseFilesTest = StoreFixture;

TEST_F(DatabaseFilesTest, DataFileBytesAsTabled) {
    OpenEmpty();
    ObjectID fileId = attachFile(newFile("Mixed.nvd"));
    CatalogObject* star = NewCatalogObject(kTypeMultipleStar);
    const std::int32_t values[6] = {1, -2, 3, 4, 5, -6};
    std::copy(values, values + 3, star->position);
    std::copy(values + 3, values + 6, star->motion);
    star->catalogDistance = 12.5f, star->radialVelocity = -0.25f, star->size = 7.5e-5f;
    star->catalogMagnitude = 227, star->colorIndex = 2, star->companionOffset = 172;
    star->identifierCount = 2;
    star->identifiers.reset(new std::uint32_t[2]{300000079u, 2800000001u});
    star->name = CopyText("Mizar");
    CatalogObject* guide = NewCatalogObject(kTypeGuideStar);
    guide->position[2] = 1073741824, guide->catalogMagnitude = 1234, guide->identifierCount = 1;
    guide->identifiers.reset(new std::uint32_t[1]{1000012345u});
    SolarSystemObject* comet = NewSolarSystemObject(kTypeComet);
    comet->primary = 16385, comet->epoch = 46470.5f;
    for (int i = 0; i < 13; ++i)
        comet->elements[i] = 0.5f * static_cast<float>(i);
    comet->magnitudeParam1 = 550, comet->magnitudeParam2 = 800;
    comet->name = CopyText("Halley");
    LineObject* line = NewLineObject(kTypeFigureLine);
    line->endpointObjects[0] = 16385, line->endpointPositions[1][1] = -1073741824;
    SiteObject* site = NewSiteObject();
    site->longitude = 0.1f, site->latitude = 0.8f, site->altitude = 120.0f, site->timeZone = -0.25f;
    site->name = CopyText("Home");
    for (SkyObject* object :
         std::initializer_list<SkyObject*>{star, NewSiteObject(), guide, comet, line, site})
        ASSERT_NE(addObject(object, fileId), 0);
    FreeObject(removeObject(fileId + 2));
    ASSERT_EQ(writeDataFile(fileId), kStatusSuccess);
    Bytes expected;
    expected.header(2, 3000, 6);
    Bytes p = expected.fresh();
    p.i32(1).i32(-2).i32(3).i32(4).i32(5).i32(-6).f32(12.5f).f32(-0.25f);
    p.i16(227).i16(2).i16(172).i16(32767).f32(7.5e-5f).i8(2).i32(300000079).i32(2800000001u);
    expected.i8(52).record(p.text("Mizar"));
    expected.i8(0); // an empty slot is one zero byte
    expected.i8(55).i32(0).i32(0).i32(1073741824).i16(1234).i32(1000012345);
    p = expected.fresh();
    p.i32(16385).f64(46470.5);
    for (int i = 0; i < 13; ++i)
        p.f32(0.5f * static_cast<float>(i));
    expected.i8(11).record(p.i16(550).i16(800).text("Halley"));
    p = expected.fresh();
    p.i32(16385).i32(0).i32(0).i32(0).i32(0).i32(0).i32(-1073741824).i32(0);
    expected.i8(91).record(p.text(""));
    expected.i8(101).record(SitePayload(false, "Home"));
    EXPECT_EQ(ReadAll(In("Mixed.nvd")), expected.data);
    // Back, and written again byte for byte; a compact record's missing fields take defaults.
    ASSERT_TRUE(unloadFile(fileId));
    EXPECT_EQ(getObject(fileId + 2), nullptr);
    const auto* compact = AsCatalog(getObject(fileId + 3));
    ASSERT_NE(compact, nullptr);
    EXPECT_TRUE(std::isinf(compact->catalogDistance));
    EXPECT_EQ(compact->colorIndex, 32767);
    setModified(getFile(fileId), true);
    ASSERT_EQ(writeDataFile(fileId), kStatusSuccess);
    EXPECT_EQ(ReadAll(In("Mixed.nvd")), expected.data);
}

TEST_F(DatabaseFilesTest, IndexBytesAsTabled) {
    OpenEmpty();
    ObjectID first = attachFile(newFile("Custom.nvd"));
    DatabaseFile* third = newFile("Sub\\Deep.nvd");
    third->fileId = FileID(3), third->highestIndex = 12, third->starCount = 12;
    third->starFaintest = 650, third->starBrightest = -144;
    third->greatestDeclination = 0x0800000, third->leastDeclination = -0x0800000;
    third->greatestRightAscension = 0x3000000, third->leastRightAscension = 0x100;
    attachFile(third);
    ASSERT_TRUE(writeIndex(In("Index.nvd")));
    EXPECT_FALSE(gObjectStore.indexModified);
    Bytes expected;
    expected.header(1, 3000, 2).record(IndexRecord(false, first, 0, "Custom.nvd"));
    Bytes p;
    p.i32(3 * 16384).i32(12).i16(0).i16(0).i16(12).i16(0).i16(0).i16(-32768).i16(32767);
    p.i16(650).i16(-144).i32(0x0800000).i32(-0x0800000).i32(0x3000000).i32(0x100);
    expected.record(p.text("Sub\\Deep.nvd"));
    EXPECT_EQ(ReadAll(In("Index.nvd")), expected.data);
}

TEST_F(DatabaseFilesTest, BigEndianFilesReadWithEveryValueSwapped) {
    OpenEmpty();
    Bytes index(true);
    Bytes p(true);
    p.i32(2 * 16384).i32(2).i16(1).i16(0).i16(1).i16(0).i16(1).i16(-32768).i16(32767);
    p.i16(310).i16(310).i32(0x100).i32(-0x200).i32(0x300).i32(0x400).text("Big.nvd");
    index.header(1, 3000, 1).record(p);
    ASSERT_EQ(index.data.substr(0, 4), std::string("\0\0\0\1", 4));
    WriteAll(In("Index.nvd"), index.data);
    Bytes data(true);
    data.header(2, 3000, 2);
    p = data.fresh();
    p.i32(100).i32(-200).i32(300).i32(1).i32(2).i32(3).f32(2.5f).f32(-1.0f);
    p.i16(310).i16(-5).i16(32767).i16(120).f32(0.001f).i8(1).i32(2200005194u).text("Vega");
    data.i8(53).record(p).i8(101).record(SitePayload(true, "Alto"));
    WriteAll(In("Big.nvd"), data.data);
    ASSERT_TRUE(readIndex(In("Index.nvd")));
    const DatabaseFile* file = getFile(2 * 16384);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->leastDeclination, -0x200);
    const auto* star = AsCatalog(getObject(2 * 16384 + 1));
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->position[1], -200);
    EXPECT_EQ(star->colorIndex, -5);
    EXPECT_EQ(star->identifiers[0], 2200005194u);
    const auto* site = AsSite(getObject(2 * 16384 + 2));
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->timeZone, -0.25f);
    EXPECT_STREQ(site->name.get(), "Alto");
}

TEST_F(DatabaseFilesTest, WrongHeadersAreRefused) {
    OpenEmpty();
    ObjectID kept = attachFile(newFile("Kept.nvd"));
    addObject(NewSiteObject(), kept);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"version 3001", Bytes().header(1, 3001, 0).data},
        {"a data file", Bytes().header(2, 3000, 0).data},
        {"no byte-order mark", Bytes().header(1, 3000, 0).data.replace(0, 1, "\2")},
        {"a short header", Bytes().header(1, 3000, 0).data.substr(0, 100)},
        {"too many records", Bytes().header(1, 3000, 16001).data},
    };
    for (const auto& c : cases) {
        ClearRecordedMessages();
        WriteAll(In("Other.nvd"), c.bytes);
        EXPECT_FALSE(readIndex(In("Other.nvd"))) << c.what;
        EXPECT_EQ(Numbers(), Messages{258}) << c.what;
        EXPECT_EQ(fileCount(), 1) << c.what;
        EXPECT_EQ(gObjectStore.indexPath, In("Index.nvd")) << c.what;
    }
    for (const std::string& bytes :
         {Bytes().header(1, 3000, 0).data, Bytes().header(2, 2999, 0).data}) {
        DatabaseFile* file = newFile("Wrong.nvd");
        file->highestIndex = 1;
        ObjectID id = attachFile(file);
        WriteAll(In("Wrong.nvd"), bytes);
        EXPECT_EQ(loadFile(id), kStatusReadError);
        EXPECT_FALSE(isLoaded(getFile(id)));
        freeFile(detachFile(id));
    }
    EXPECT_NE(getObject(kept + 1), nullptr);
}

TEST_F(DatabaseFilesTest, DamagedRecordsNeverLeaveTheStoreHalfLoaded) {
    OpenEmpty();
    ObjectID good = attachFile(newFile("Good.nvd"));
    addObject(NewSiteObject(), good);
    const std::int64_t goodMemory = getFile(good)->memoryBytes;
    const std::string fields16(16, '\1');
    std::string nineIds = Bytes().i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).f32(1).f32(1).data +
                          std::string(8, '\0') + Bytes().f32(0).i8(9).data + std::string(36, '\0');
    const struct {
        const char* what;
        std::string slot;
        int count;
    } cases[] = {
        {"negative length", Bytes().i8(101).i16(-1).data, 1},
        {"length above the buffer", Bytes().i8(101).i16(1025).data + std::string(1025, 'x'), 1},
        {"record cut short", Bytes().i8(101).i16(21).data + fields16, 1},
        {"text without a NUL", Bytes().i8(101).i16(20).data + fields16 + "Home", 1},
        {"nine identifiers", Bytes().i8(51).record(Bytes().raw(nineIds).text("")).data, 1},
        {"type 200", Bytes().i8(200).record(SitePayload(false, "")).data, 1},
        {"compact record cut short", Bytes().i8(55).data + std::string(10, '\0'), 1},
        {"fewer slots than counted", Bytes().i8(0).data, 2},
    };
    for (const auto& c : cases) {
        DatabaseFile* file = newFile("Bad.nvd");
        file->highestIndex = 1;
        ObjectID id = attachFile(file);
        WriteAll(In("Bad.nvd"), Bytes().header(2, 3000, c.count).data + c.slot);
        EXPECT_EQ(loadFile(id), kStatusReadError) << c.what;
        EXPECT_FALSE(isLoaded(file)) << c.what;
        EXPECT_EQ(file->memoryBytes, 0) << c.what;
        EXPECT_EQ(file->highestIndex, 1) << c.what;
        EXPECT_EQ(gObjectStore.totalMemory, goodMemory) << c.what;
        freeFile(detachFile(id));
    }
    // Each damaged file is said once, by name.
    EXPECT_EQ(Numbers(), Messages(std::size(cases), 258));
    // A record that fills the whole buffer is still accepted.
    WriteAll(
        In("Full.nvd"),
        Bytes().header(2, 3000, 1).i8(101).record(SitePayload(false, std::string(1007, 'n'))).data);
    ObjectID id = attachFile(newFile("Full.nvd"));
    ASSERT_EQ(loadFile(id), kStatusSuccess);
    ASSERT_NE(AsSite(getObject(id + 1)), nullptr);
    EXPECT_EQ(std::strlen(AsSite(getObject(id + 1))->name.get()), 1007u);
}

TEST_F(DatabaseFilesTest, DamagedIndexKeepsWhatWasReadAndIsNeverWrittenOver) {
    mkdir(database.c_str(), 0777);
    WriteAll(In("Good.nvd"),
             Bytes().header(2, 3000, 1).i8(101).record(SitePayload(false, "Home")).data);
    const Bytes good = IndexRecord(false, 16384, 1, "Good.nvd");
    const struct {
        const char* what;
        std::string record;
        int message;
    } cases[] = {
        {"negative length", Bytes().i16(-2).data, 258},
        {"length above the buffer", Bytes().i16(513).data + std::string(513, 'x'), 258},
        {"record cut short", Bytes().i16(60).data + std::string(20, '\0'), 258},
        {"no text",
         Bytes().record(Bytes().raw(IndexRecord(false, 2 * 16384, 0, "X").data.substr(0, 42))).data,
         258},
        {"16001 objects", Bytes().record(IndexRecord(false, 2 * 16384, 16001, "X.nvd")).data, 258},
        {"a name leading out", Bytes().record(IndexRecord(false, 2 * 16384, 0, "..\\X.nvd")).data,
         258},
        {"file number 16001", Bytes().record(IndexRecord(false, 16001 * 16384, 0, "X.nvd")).data,
         527},
        {"a record missing", "", 258},
    };
    for (const auto& c : cases) {
        setObjectStoreDefaults();
        ASSERT_TRUE(initObjectStore(1000000000));
        ClearRecordedMessages();
        const std::string bytes = Bytes().header(1, 3000, 2).record(good).data + c.record;
        WriteAll(In("Index.nvd"), bytes);
        EXPECT_FALSE(readIndex(In("Index.nvd"))) << c.what;
        EXPECT_EQ(Numbers(), Messages{c.message}) << c.what;
        EXPECT_EQ(fileCount(), 1) << c.what;
        EXPECT_NE(getObject(16385), nullptr) << c.what << ": what was read stays usable";
        closeDatabase();
        EXPECT_EQ(ReadAll(In("Index.nvd")), bytes) << c.what;
    }
}

TEST_F(DatabaseFilesTest, DirectoryChainAndNamesThatCannotBeWritten) {
    OpenEmpty();
    for (const char* name : {"Sub\\Deep.nvd", "A/B:C.nvd"}) {
        ObjectID id = attachFile(newFile(name));
        EXPECT_EQ(writeDataFile(id), kStatusSuccess) << name;
    }
    EXPECT_EQ(ReadAll(In("A/B/C.nvd")).size(), 256u);
    WriteAll(In("Block"), "a file, not a directory");
    ObjectID blocked = attachFile(newFile("Block\\X.nvd"));
    EXPECT_EQ(writeDataFile(blocked), kStatusCannotOpenForWriting);
    ASSERT_EQ(Numbers(), Messages{529});
    EXPECT_NE(RecordedMessages()[0].text.find("\"Block\""), std::string::npos);
    ClearRecordedMessages();
    EXPECT_EQ(writeDataFile(attachFile(newFile("..\\Escape.nvd"))), kStatusCannotOpenForWriting);
    EXPECT_EQ(Numbers(), Messages{530});
    EXPECT_FALSE(FileExists(dir + "/Escape.nvd"));
}

// Replacing, numbering and cancelling are seen through the import.
TEST_F(DatabaseFilesTest, ChoosingDataFileNames) {
    OpenEmpty();
    std::string name;
    ObjectID existing = -1;
    attachFile(newFile("Sub\\Deep.nvd"));
    Answer(531, AnswerYes);
    EXPECT_EQ(chooseDataFileName("sub:DEEP", name, existing), kStatusSuccess);
    EXPECT_EQ(Numbers(), Messages{531}) << "separators and case do not tell names apart";
    const std::pair<std::string, std::string> names[] = {
        {".profile", ".profile.nvd"},
        {"list.v2/objects", "list.v2/objects.nvd"},
        {std::string(300, 'x') + ".txt", std::string(255, 'x') + ".nvd"}};
    for (const auto& [source, base] : names) {
        EXPECT_EQ(chooseDataFileName(source, name, existing), kStatusSuccess);
        EXPECT_EQ(name, base);
    }
    for (int n = 0; n <= 99; ++n) // no numbered name left
        attachFile(newFile(("Stars" + (n ? std::to_string(n) : "") + ".nvd").c_str()));
    Answer(531, AnswerNo);
    EXPECT_EQ(chooseDataFileName("Stars.txt", name, existing), kStatusCancelled);
}

TEST_F(DatabaseFilesTest, DatabaseDirectoryAtStartUp) {
    Answer(528, AnswerCancel);
    EXPECT_FALSE(checkDatabaseDirectory());
    ASSERT_EQ(Numbers(), Messages{528});
    EXPECT_FALSE(DirectoryExists(database));
    ClearRecordedMessages();
    EXPECT_TRUE(checkDatabaseDirectory());
    EXPECT_EQ(Numbers(), Messages{528});
    EXPECT_EQ(ReadAll(In("Custom.nvd")), Bytes().header(2, 3000, 0).data);
    EXPECT_EQ(ReadAll(In("Index.nvd")),
              Bytes().header(1, 3000, 1).record(IndexRecord(false, 16384, 0, "Custom.nvd")).data);
    ClearRecordedMessages();
    EXPECT_TRUE(checkDatabaseDirectory());
    EXPECT_TRUE(RecordedMessages().empty());
    setObjectStoreDefaults();
    ASSERT_TRUE(initObjectStore(1000000000));
    ASSERT_EQ(std::system(("rm -rf '" + database + "'").c_str()), 0);
    WriteAll(database, "in the way");
    EXPECT_FALSE(checkDatabaseDirectory());
    EXPECT_EQ(Numbers(), (Messages{528, 529}));
}

TEST_F(DatabaseFilesTest, OpeningTheDefaultDatabase) {
    OpenEmpty();
    ObjectID kept = attachFile(newFile("Kept.nvd"));
    addObject(NewSiteObject(), kept);
    gObjectStore.indexPath.clear();
    EXPECT_FALSE(openDefaultDatabase());
    ASSERT_EQ(Numbers(), Messages{257});
    EXPECT_NE(RecordedMessages()[0].text.find("\"Index.nvd\""), std::string::npos);
    EXPECT_NE(getFile(kept), nullptr) << "the open database stays open";
    ASSERT_TRUE(writeIndex(In("Index.nvd")));
    EXPECT_TRUE(openDefaultDatabase());
    EXPECT_EQ(gObjectStore.indexPath, In("Index.nvd"));
    EXPECT_NE(getObject(kept + 1), nullptr) << "written back on closing, read again";
}

TEST_F(DatabaseFilesTest, LargeDatabaseOnRemovableMediaIsReadOnly) {
    const std::string disc = dir + "/media/user/DISC/database";
    // Other media: a directory named like an index, which is none, and a stick.
    const std::string made = "mkdir -p media/user/DISC/database mnt/disc/Database/Index.nvd "
                             "mnt/stick/DataBase && touch mnt/stick/DataBase/INDEX.nvd";
    ASSERT_EQ(std::system(("cd '" + dir + "' && " + made).c_str()), 0);
    const std::string index = disc + "/Index.NVD";
    const std::string bytes =
        Bytes().header(1, 3000, 1).record(IndexRecord(false, 16384, 1, "Big.nvd")).data;
    WriteAll(index, bytes);
    WriteAll(disc + "/Big.nvd",
             Bytes().header(2, 3000, 1).i8(101).record(SitePayload(false, "Peak")).data);
    chmod(index.c_str(), 0444);
    // The first index of the media, the roots in their order, names in any case.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{dir + "/mnt/*", dir + "/media/*/*"}, dir + "/mnt/stick/DataBase/INDEX.nvd"},
        {{dir + "/run/media/*/*", dir + "/media/*/*", dir + "/mnt/*"}, index}};
    for (const auto& [roots, found] : cases)
        EXPECT_EQ(findMediaIndex(roots), found) << found;
    ASSERT_TRUE(readIndex(index));
    DatabaseFile* file = getFile(16384);
    setReadOnly(file, false);
    EXPECT_TRUE(isReadOnly(file));
    FreeObject(removeObject(16385));
    EXPECT_TRUE(gObjectStore.indexModified);
    closeDatabase();
    EXPECT_EQ(ReadAll(index), bytes) << "a read-only database is never written back";
    EXPECT_EQ(ReadAll(disc + "/Big.nvd").size(), 256u + 24);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(DatabaseFilesTest, DeleteDatabaseFileCommand) {
    OpenEmpty();
    ObjectID sub = attachFile(newFile("Sub\\Deep.nvd"));
    addObject(NewSiteObject(), sub);
    ASSERT_EQ(writeDataFile(sub), kStatusSuccess);
    ASSERT_TRUE(writeIndex(In("Index.nvd")));
    static int recomputed = 0;
    recomputed = 0;
    setRecomputeHandler([] { ++recomputed; });
    std::string chosen;
    SetFileDialogResponder([&](int, std::string& path) {
        path = chosen;
        return true;
    });
    for (const auto& [path, message] : {std::pair{In("Index.nvd"), 533}, {dir + "/X.nvd", 534}}) {
        ClearRecordedMessages();
        chosen = path;
        deleteDatabaseFileCommand();
        EXPECT_EQ(Numbers(), Messages{message}) << path;
    }
    ClearRecordedMessages();
    chosen = In("SUB/deep.NVD");
    Answer(535, AnswerCancel);
    deleteDatabaseFileCommand();
    EXPECT_EQ(Numbers(), Messages{535});
    EXPECT_NE(getFile(sub), nullptr);
    ClearRecordedMessages();
    deleteDatabaseFileCommand();
    EXPECT_EQ(Numbers(), Messages{535});
    EXPECT_EQ(getFile(sub), nullptr);
    EXPECT_FALSE(DirectoryExists(In("Sub")));
    EXPECT_EQ(ReadAll(In("Index.nvd")), Bytes().header(1, 3000, 0).data);
    EXPECT_EQ(recomputed, 1);
}

} // namespace
