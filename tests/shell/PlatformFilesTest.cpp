// Paths and files: the path helpers' edge cases, file kinds and permissions,
// and whole-file writes that replace the old file only once they are complete.

#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
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
        std::string command = "chmod -R u+w '" + dir + "' && rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    std::string In(const std::string& name) const { return dir + "/" + name; }
    // The names in the test directory, sorted.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* entry = readdir(d)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string dir;
};

using Names = std::vector<std::string>;

TEST_F(PlatformFiles, PathHelpersAtTheEdges) {
    EXPECT_EQ(StripFileName("/home/sky/Database/Index.nvd"), "/home/sky/Database/");
    EXPECT_EQ(StripFileName("Index.nvd"), "") << "no directory part";
    EXPECT_EQ(StripFileName("/home/sky/"), "/home/sky/") << "trailing slash: nothing to cut";
    EXPECT_EQ(StripFileName("/"), "/");
    EXPECT_EQ(StripFileName(""), "");

    EXPECT_EQ(ReplaceFileName("/data/Index.nvd", "Stars.nvd"), "/data/Stars.nvd");
    EXPECT_EQ(ReplaceFileName("Index.nvd", "Stars.nvd"), "Stars.nvd");
    EXPECT_EQ(ReplaceFileName("/data/", "Stars.nvd"), "/data/Stars.nvd");
    EXPECT_EQ(ReplaceFileName("/Index.nvd", "Stars.nvd"), "/Stars.nvd");

    EXPECT_EQ(AppendPathComponent("/data", "Stars.nvd"), "/data/Stars.nvd");
    EXPECT_EQ(AppendPathComponent("/data/", "Stars.nvd"), "/data/Stars.nvd") << "no doubled '/'";
    EXPECT_EQ(AppendPathComponent("/", "data"), "/data");
    EXPECT_EQ(AppendPathComponent("", "data"), "data");

    EXPECT_EQ(FileTitle("/home/sky/Norvane.ini"), "Norvane.ini");
    EXPECT_EQ(FileTitle("Norvane.ini"), "Norvane.ini");
    EXPECT_EQ(FileTitle("/home/sky/"), "");
    EXPECT_EQ(FileTitle("/tmp/45\xB0 field.nvs"), "45\xB0 field.nvs") << "8-bit names kept";

    EXPECT_TRUE(SamePath("/Data/INDEX.nvd", "/data/index.NVD")) << "letter case ignored";
    EXPECT_TRUE(SamePath("", ""));
    EXPECT_FALSE(SamePath("/data/a.nvd", "/data/b.nvd"));
    EXPECT_FALSE(SamePath("/data", "/data/"));
    EXPECT_FALSE(SamePath("/data/a.nvd", "/data/a.nvd2"));

    std::string program = ProgramPath();
    EXPECT_TRUE(FileExists(program)) << program;
    EXPECT_EQ(ProgramDirectory().back(), '/');
}

TEST_F(PlatformFiles, FileKindsAndPermissions) {
    std::string file = In("Stars.nvd");
    WriteAll(file, "x");
    std::string sub = In("Database");
    EXPECT_TRUE(MakeDirectory(sub));
    EXPECT_FALSE(MakeDirectory(sub)) << "already there";
    EXPECT_FALSE(MakeDirectory(In("no/such/parent")));

    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(sub)) << "a directory is not a file";
    EXPECT_FALSE(FileExists(In("missing")));
    EXPECT_TRUE(DirectoryExists(sub));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DirectoryExists(In("missing")));

    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    EXPECT_FALSE(IsReadOnly(file));
    // From the permission bits, so that it holds for the superuser too.
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    EXPECT_TRUE(IsReadOnly(file));
    ASSERT_EQ(chmod(file.c_str(), 0464), 0);
    EXPECT_FALSE(IsReadOnly(file)) << "writable by the group";
    EXPECT_FALSE(IsReadOnly(In("missing"))) << "a missing file is not read-only";

    WriteAll(In("Database/Index.nvd"), "i");
    EXPECT_FALSE(RemoveDirectory(sub)) << "not empty";
    EXPECT_TRUE(DeleteFile(In("Database/Index.nvd")));
    EXPECT_FALSE(DeleteFile(In("Database/Index.nvd"))) << "already gone";
    EXPECT_TRUE(RemoveDirectory(sub));
    EXPECT_FALSE(DirectoryExists(sub));

    std::string before = GetCurrentDirectory();
    ASSERT_FALSE(before.empty());
    EXPECT_TRUE(SetCurrentDirectory(dir));
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(dir.c_str(), resolved), nullptr);
    EXPECT_EQ(GetCurrentDirectory(), std::string(resolved));
    EXPECT_FALSE(SetCurrentDirectory(In("missing")));
    EXPECT_TRUE(SetCurrentDirectory(before));
}

TEST_F(PlatformFiles, WrittenFileReplacesTheOldOneOnlyWhenClosed) {
    std::string path = In("Sky.nvs");
    WriteAll(path, "old settings\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);

    std::FILE* file = OpenFile(path, "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_GE(std::fputs("new settings\r\n", file), 0);
    std::fflush(file);
    EXPECT_EQ(ReadAll(path), "old settings\r\n") << "the old file is untouched while writing";
    EXPECT_EQ(Listing().size(), 2u) << "the new text goes to a file beside it";

    EXPECT_TRUE(CloseFile(file));
    EXPECT_EQ(ReadAll(path), "new settings\r\n");
    EXPECT_EQ(Permissions(path), 0640u) << "the replaced file keeps its permission bits";
    EXPECT_EQ(Listing(), (Names{"Sky.nvs"})) << "no temporary file left behind";

    // A read-only file keeps being read-only after it is rewritten.
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    file = OpenFile(path, "w");
    ASSERT_NE(file, nullptr);
    std::fputs("third", file);
    EXPECT_TRUE(CloseFile(file));
    EXPECT_EQ(ReadAll(path), "third");
    EXPECT_EQ(Permissions(path), 0444u);

    // A new file appears only when it is complete.
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
    EXPECT_EQ(Permissions(fresh), 0666u & ~mask) << "a new file gets the usual permissions";
}

TEST_F(PlatformFiles, AbandonedWriteLeavesNothingBehind) {
    std::string path = In("Index.nvd");
    WriteAll(path, "index");
    std::FILE* file = OpenFile(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("partial", file);
    AbandonFile(file);
    EXPECT_EQ(ReadAll(path), "index");
    EXPECT_EQ(Listing(), (Names{"Index.nvd"}));

    file = OpenFile(In("New.nvd"), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("partial", file);
    AbandonFile(file);
    EXPECT_EQ(Listing(), (Names{"Index.nvd"})) << "an abandoned new file never appears";

    AbandonFile(nullptr);
    EXPECT_FALSE(CloseFile(nullptr));
}

TEST_F(PlatformFiles, FailuresAreReported) {
    EXPECT_EQ(OpenFile(In("no/such/dir/x.nvd"), "wb"), nullptr) << "missing directory";
    EXPECT_EQ(OpenFile(In("missing.nvd"), "rb"), nullptr);
    EXPECT_EQ(OpenFile("", "rb"), nullptr);
    EXPECT_EQ(OpenFile(In("x"), nullptr), nullptr);
    EXPECT_TRUE(MakeDirectory(In("Database")));
    EXPECT_EQ(OpenFile(In("Database"), "wb"), nullptr) << "a directory is not written over";
    EXPECT_EQ(OpenFile(In("Database"), "rb"), nullptr) << "a directory is not a file to read";
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
    EXPECT_TRUE(DirectoryExists(path));
    EXPECT_EQ(ReadAll(In("Trails.nvs/keep")), "k");
    EXPECT_EQ(Listing(), (Names{"Database", "Trails.nvs"})) << "the temporary file is removed";
}

TEST_F(PlatformFiles, ReadingAndAppendingWorkInPlace) {
    std::string path = In("Comets.txt");
    WriteAll(path, "line 1\r\n");
    std::FILE* file = OpenFile(path, "rb");
    ASSERT_NE(file, nullptr);
    char buffer[16] = {};
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, file), 8u);
    EXPECT_EQ(std::string(buffer), "line 1\r\n");
    EXPECT_TRUE(CloseFile(file));

    file = OpenFile(path, "ab");
    ASSERT_NE(file, nullptr);
    std::fputs("line 2\r\n", file);
    std::fflush(file);
    EXPECT_EQ(ReadAll(path), "line 1\r\nline 2\r\n") << "appending writes to the file itself";
    EXPECT_TRUE(CloseFile(file));

    file = OpenFile(path, "r+b");
    ASSERT_NE(file, nullptr);
    std::fputs("LINE", file);
    EXPECT_TRUE(CloseFile(file));
    EXPECT_EQ(ReadAll(path), "LINE 1\r\nline 2\r\n");
    EXPECT_EQ(Listing(), (Names{"Comets.txt"}));
}

TEST_F(PlatformFiles, WritingThroughALinkReplacesItsTarget) {
    MakeDirectory(In("real"));
    std::string target = In("real/Norvane.ini");
    WriteAll(target, "old");
    std::string link = In("Norvane.ini");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);

    std::FILE* file = OpenFile(link, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("new", file);
    EXPECT_TRUE(CloseFile(file));
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    EXPECT_EQ(ReadAll(target), "new") << "the file it points to gets the new text";
    EXPECT_EQ(Listing(), (Names{"Norvane.ini", "real"}));
}

} // namespace
