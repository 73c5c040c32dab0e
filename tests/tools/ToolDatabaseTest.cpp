// norvane-tool's database commands on small databases of their own, and
// the default database the build made.

#include "tests/tools/ToolRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

class ToolDatabase : public ScratchDirTest {
protected:
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
    }
    ToolRun Run(const std::string& arguments) {
        return Tool("--program-dir '" + dir_ + "' " + arguments);
    }
};

const char* kStars =
    "S1\t2000.0\t06 45 08.9\t-16 42 58\t-0.0379\t-1.223\t-1.46\t0.00\t-7.6\t2.64\t\t"
    "Sirius; $a CMa; HR2491\r\n"
    "S3\t2000.0\t02 31 49.1\t+89 15 51\t0.2300\t-0.012\t1.86-2.13\t0.60\t-17\t133\t\t"
    "Polaris; $a UMi; HR424\r\n"
    "S15\t2000.0\t00 42 44.3\t+41 16 09\t\t\t3.44\t\t\t\t189\tAndromeda Galaxy; M31; NGC224\r\n";

TEST_F(ToolDatabase, ImportsFindsAndListsItsFiles) {
    Write("Stars.txt", kStars);
    ToolRun import = Run("import '" + dir_ + "/Stars.txt'");
    ASSERT_EQ(import.status, 0) << import.err;
    EXPECT_EQ(import.out, "Stars.nvd\t3\n");
    EXPECT_EQ(import.err, "");

    ToolRun sirius = Run("find Sirius");
    EXPECT_EQ(sirius.status, 0);
    // File 2 (the custom file is file 1), object 1: 2 << 14 | 1.
    EXPECT_EQ(sirius.out, "32769\tSingle star\tSirius; $a CMa; HR2491\n");
    EXPECT_EQ(Run("find '$a UMi'").out, "32770\tVariable star\tPolaris; $a UMi; HR424\n");
    EXPECT_EQ(Run("find M31").out, "32771\tGalaxy\tAndromeda Galaxy; M31; NGC224\n");
    // Words match within a name part; --exact wants the whole part.
    EXPECT_EQ(Run("find Andromeda").status, 0);
    EXPECT_EQ(Run("--exact find Andromeda").status, 1);
    EXPECT_EQ(Run("--exact find 'andromeda galaxy'").status, 0);
    EXPECT_EQ(Run("--case --exact find 'andromeda galaxy'").status, 1);
    // --all lists every match: "HR" is in two names.
    ToolRun all = Run("--all find HR");
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 2);
    ToolRun none = Run("find Betelgeuse");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");

    ToolRun files = Run("files");
    ASSERT_EQ(files.status, 0);
    EXPECT_NE(files.out.find("\n1\tCustom.nvd\t0\t0\t0\t0\t0\t-\t-\t-\t-\tnot loaded\n"),
              std::string::npos)
        << files.out;
    EXPECT_NE(files.out.find("\n2\tStars.nvd\t0\t1\t2\t0\t0\t-1.46\t3.44\t"), std::string::npos)
        << files.out;

    ToolRun stats = Run("stats");
    ASSERT_EQ(stats.status, 0);
    EXPECT_NE(stats.out.find("objects\t3\n"), std::string::npos) << stats.out;
    EXPECT_NE(stats.out.find("bright stars (HR)\t2\n"), std::string::npos) << stats.out;
    EXPECT_NE(stats.out.find("deep-sky objects\t1\n"), std::string::npos) << stats.out;
}

TEST_F(ToolDatabase, ImportingAgainRenamesOrReplaces) {
    Write("Stars.txt", kStars);
    ASSERT_EQ(Run("import '" + dir_ + "/Stars.txt'").status, 0);
    // The default answer to "replace the existing file?" is no: a new name.
    EXPECT_EQ(Run("import '" + dir_ + "/Stars.txt'").out, "Stars1.nvd\t3\n");
    Write("Stars.txt", "S1\t2000\t1 0 0\t+10 0 0\t\t\t5.0\t\t\t\t\tHR1\r\n");
    EXPECT_EQ(Run("--replace import '" + dir_ + "/Stars.txt'").out, "Stars.nvd\t1\n");
    ToolRun stats = Run("stats");
    EXPECT_NE(stats.out.find("objects\t4\n"), std::string::npos) << stats.out;
    EXPECT_NE(stats.out.find("files\t3\n"), std::string::npos) << stats.out;
}

TEST_F(ToolDatabase, ReportsWhatItCannotDo) {
    // No database yet: find, files and stats say so.
    for (const char* command : {"find Sirius", "files", "stats"}) {
        ToolRun run = Run(command);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_NE(run.err.find("no database"), std::string::npos) << command << ": " << run.err;
    }
    // A missing import file: message 257 with its title, status 1.
    ToolRun missing = Run("import '" + dir_ + "/Nowhere.txt'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("can't open the file \"Nowhere.txt\""), std::string::npos)
        << missing.err;
    // A line naming an object that isn't there: message 523, reading goes on.
    Write("Lines.txt", "C1\tSirius\tVega\tNowhere\r\nS1\t2000\t0 0 0\t0 0 0\t\t\t1\t\t\t\t\tHR7001\r\n");
    ToolRun lines = Run("import '" + dir_ + "/Lines.txt'");
    EXPECT_NE(lines.err.find("There's no object containing the name \"Sirius\" in memory!"),
              std::string::npos)
        << lines.err;
    EXPECT_EQ(lines.out, "Lines.nvd\t1\n");
    // Usage errors.
    EXPECT_EQ(Run("import").status, 2);
    EXPECT_EQ(Run("find").status, 2);
    EXPECT_EQ(Run("find a b").status, 2);
    EXPECT_EQ(Run("stats extra").status, 2);
}

TEST(DefaultDatabase, HoldsTheCatalogues) {
    // Read through the tool on the database the build made, as a user would.
    std::string programDir = NORVANE_PROGRAM_DIR;
    // Whole names: a word such as "Moon" also stands in nebulae's names.
    auto find = [&](const std::string& query) {
        return Tool("--program-dir '" + programDir + "' --exact find '" + query + "'");
    };
    struct Expected {
        const char* query;
        const char* type;
        const char* nameStart;
    } cases[] = {
        {"Sirius", "Multiple star", "Sirius; $a CMa"},
        {"$a UMi", "Mult. and var. star", "Polaris"},
        {"M31", "Galaxy", "Andromeda Galaxy; M31"},
        {"Andromeda Galaxy", "Galaxy", "Andromeda Galaxy"},
        {"NGC7000", "Diffuse nebula", "North America Nebula"},
        {"Moon", "Earth's moon", "Moon"},
        {"Jupiter", "Jupiter", "Jupiter"},
        {"Io", "Io", "Io"},
        {"1P/Halley", "Comet", "1P/Halley"},
        {"1 Ceres", "Asteroid", "1 Ceres"},
    };
    for (const Expected& e : cases) {
        ToolRun run = find(e.query);
        ASSERT_EQ(run.status, 0) << e.query << ": " << run.err;
        std::size_t tab = run.out.find('\t');
        ASSERT_NE(tab, std::string::npos) << run.out;
        EXPECT_EQ(run.out.substr(tab + 1, std::string(e.type).size() + 1), std::string(e.type) + "\t")
            << e.query << ": " << run.out;
        EXPECT_NE(run.out.find(std::string("\t") + e.nameStart), std::string::npos)
            << e.query << ": " << run.out;
    }

    ToolRun stats = Tool("--program-dir '" + programDir + "' stats");
    ASSERT_EQ(stats.status, 0);
    auto count = [&](const std::string& label) {
        std::size_t at = stats.out.find("\n" + label + "\t");
        if (at == std::string::npos) return -1L;
        return std::atol(stats.out.c_str() + at + label.size() + 2);
    };
    EXPECT_EQ(count("bright stars (HR)"), 9096);
    EXPECT_GT(count("other stars"), 100000);
    EXPECT_GT(count("deep-sky objects"), 10000);
    EXPECT_GT(count("lines"), 2000);
    EXPECT_GT(count("solar-system bodies"), 4000);
    EXPECT_GT(count("sites"), 300);

    // Every catalogue file is in the index with its objects; none holds more
    // than a data file may.
    ToolRun files = Tool("--program-dir '" + programDir + "' files");
    ASSERT_EQ(files.status, 0);
    EXPECT_NE(files.out.find("\tBrightStars.nvd\t0\t0\t9096\t0\t0\t-1.46\t"), std::string::npos);
    EXPECT_NE(files.out.find("\tConstellationLines.nvd\t0\t0\t0\t743\t"), std::string::npos);
    EXPECT_NE(files.out.find("\tSolarSystem.nvd\t34\t"), std::string::npos);
    int fileLines = static_cast<int>(std::count(files.out.begin(), files.out.end(), '\n'));
    EXPECT_GE(fileLines, 50);
}

} // namespace
