// Paths and files: the path helpers' edge cases, file kinds and permissions,
// and whole-file writes that replace the old file only once they are complete.

#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Names = std::set<std::string>;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

mode_t Permissions(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class PlatformFiles : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        ResetPlatform();
        EXPECT_EQ(std::system(("chmod -R u+w '" + dir + "' && rm -rf '" + dir + "'").c_str()), 0);
    }
    std::string In(const std::string& name) const { return dir + "/" + name; }
    // The names in the test directory.
    Names Listing() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }
    // Writes `text` through OpenFile and closes it.
    bool Rewrite(const std::string& path, const char* text, const char* mode = "wb") {
        std::FILE* file = OpenFile(path, mode);
        if (file == nullptr) return false;
        std::fputs(text, file);
        return CloseFile(file);
    }
    std::string dir;
};

TEST_F(PlatformFiles, PathHelpersAtTheEdges) {
    EXPECT_EQ(StripFileName("/"), "/");
    EXPECT_EQ(StripFileName("Index.nvd"), "");
    EXPECT_EQ(ReplaceFileName("/data/", "Stars.nvd"), "/data/Stars.nvd");
    EXPECT_EQ(AppendPathComponent("/data/", "Stars.nvd"), "/data/Stars.nvd") << "no doubled '/'";
    EXPECT_EQ(AppendPathComponent("", "data"), "data");
    EXPECT_EQ(FileTitle("/tmp/45\xB0 field.nvs"), "45\xB0 field.nvs") << "8-bit names kept";
    EXPECT_TRUE(SamePath("/Data/INDEX.nvd", "/data/index.NVD")) << "letter case ignored";
    EXPECT_FALSE(SamePath("/data", "/data/"));
}

TEST_F(PlatformFiles, FileKindsPermissionsAndDirectories) {
    std::string file = In("Stars.nvd"), sub = In("Database");
    WriteAll(file, "x");
    EXPECT_TRUE(MakeDirectory(sub) && !MakeDirectory(sub)) << "made once";
    EXPECT_FALSE(FileExists(sub)) << "a directory is not a file";
    // From the permission bits, so that it holds for the superuser too.
    for (auto [mode, readOnly] : {std::pair{0644, false}, {0444, true}, {0464, false}}) {
        ASSERT_EQ(chmod(file.c_str(), mode), 0);
        EXPECT_EQ(IsReadOnly(file), readOnly) << std::oct << mode;
    }
    EXPECT_FALSE(IsReadOnly(In("missing"))) << "a missing file is not read-only";

    WriteAll(In("Database/Index.nvd"), "i");
    EXPECT_FALSE(RemoveDirectory(sub)) << "not empty";
    EXPECT_TRUE(DeleteFile(In("Database/Index.nvd")) && !DeleteFile(In("Database/Index.nvd")));
    EXPECT_TRUE(RemoveDirectory(sub));
}

TEST_F(PlatformFiles, WrittenFileReplacesTheOldOneOnlyWhenClosed) {
    std::string path = In("Sky.nvs");
    WriteAll(path, "old settings\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    std::FILE* file = OpenFile(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("new settings\r\n", file);
    std::fflush(file);
    EXPECT_EQ(ReadAll(path), "old settings\r\n") << "the old file is untouched while writing";
    EXPECT_EQ(Listing().size(), 2u) << "the new text goes to a file beside it";
    EXPECT_TRUE(CloseFile(file));
    EXPECT_EQ(ReadAll(path), "new settings\r\n");
    EXPECT_EQ(Permissions(path), 0640u) << "the replaced file keeps its permission bits";
    EXPECT_EQ(Listing(), (Names{"Sky.nvs"})) << "no temporary file left behind";
    // A read-only file stays read-only after it is rewritten.
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_TRUE(Rewrite(path, "third", "w"));
    EXPECT_EQ(ReadAll(path), "third");
    EXPECT_EQ(Permissions(path), 0444u);

    // A new file appears only when it is complete, with the usual permissions.
    std::string fresh = In("Fresh.eph");
    file = OpenFile(fresh, "w+b");
    ASSERT_NE(file, nullptr);
    std::fputs("JD\tRA\r\n", file);
    std::rewind(file);
    char buffer[8] = {};
    EXPECT_EQ(std::fread(buffer, 1, 7, file), 7u) << "w+ can read back what it wrote";
    EXPECT_FALSE(FileExists(fresh)) << "no half-written file under the final name";
    EXPECT_TRUE(CloseFile(file));
    EXPECT_EQ(ReadAll(fresh), "JD\tRA\r\n");
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(Permissions(fresh), 0666u & ~mask);

    // Writing through a link replaces the file it points to; the link stays.
    MakeDirectory(In("real"));
    WriteAll(In("real/Norvane.ini"), "old");
    ASSERT_EQ(symlink(In("real/Norvane.ini").c_str(), In("Norvane.ini").c_str()), 0);
    EXPECT_TRUE(Rewrite(In("Norvane.ini"), "new"));
    struct stat st {};
    ASSERT_EQ(lstat(In("Norvane.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadAll(In("real/Norvane.ini")), "new");
}

TEST_F(PlatformFiles, AbandonedAndFailedWritesLeaveNothingBehind) {
    WriteAll(In("Index.nvd"), "index");
    for (const char* name : {"Index.nvd", "New.nvd"}) {
        std::FILE* file = OpenFile(In(name), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("partial", file);
        AbandonFile(file);
    }
    EXPECT_EQ(ReadAll(In("Index.nvd")), "index");
    EXPECT_EQ(Listing(), (Names{"Index.nvd"})) << "an abandoned new file never appears";
    AbandonFile(nullptr);
    ASSERT_TRUE(DeleteFile(In("Index.nvd")));

    EXPECT_TRUE(MakeDirectory(In("Database")));
    const std::pair<std::string, const char*> refused[] = {{In("no/such/dir/x.nvd"), "wb"},
                                                           {In("missing.nvd"), "rb"},
                                                           {In("x"), nullptr},
                                                           {In("Database"), "wb"}};
    for (const auto& [path, mode] : refused)
        EXPECT_EQ(OpenFile(path, mode), nullptr) << path << " " << (mode ? mode : "null");
    EXPECT_EQ(Listing(), (Names{"Database"})) << "failed opens leave no files";

    // The move into place fails when a directory took the file's name meanwhile.
    std::string path = In("Trails.nvs");
    WriteAll(path, "old");
    std::FILE* file = OpenFile(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("new", file);
    ASSERT_TRUE(DeleteFile(path));
    ASSERT_TRUE(MakeDirectory(path));
    WriteAll(In("Trails.nvs/keep"), "k");
    EXPECT_FALSE(CloseFile(file)) << "a write that could not be put in place is a failure";
    EXPECT_EQ(ReadAll(In("Trails.nvs/keep")), "k");
    EXPECT_EQ(Listing(), (Names{"Database", "Trails.nvs"})) << "the temporary file is removed";
}

TEST_F(PlatformFiles, ReadingAndAppendingWorkInPlace) {
    std::string path = In("Comets.txt");
    WriteAll(path, "line 1\r\n");
    std::FILE* file = OpenFile(path, "ab");
    ASSERT_NE(file, nullptr);
    std::fputs("line 2\r\n", file);
    std::fflush(file);
    EXPECT_EQ(ReadAll(path), "line 1\r\nline 2\r\n") << "appending writes to the file itself";
    EXPECT_TRUE(CloseFile(file));
    EXPECT_TRUE(Rewrite(path, "LINE", "r+b"));
    EXPECT_EQ(ReadAll(path), "LINE 1\r\nline 2\r\n");
    EXPECT_EQ(Listing(), (Names{"Comets.txt"}));
}

} // namespace
