// norvane-tool as a script uses it, against a scratch database: read-only
// commands never change the database, imports say exactly what they did and
// fail when anything was left out, settings files are read past a bad value,
// and numbers that are not finite or out of range are refused.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

const char* const kStars =
    "S1\t2000.0\t06 45 08.9\t-16 42 58\t-0.0379\t-1.21\t-1.46\t0.00\t-8\t2.64\t\tSirius\r\n"
    "S1\t2000.0\t05 55 10.3\t+07 24 25\t0.0017\t0.01\t0.50\t1.85\t21\t150\t\tBetelgeuse\r\n";

class ToolSafety : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-safety-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        fs::copy_file(fs::path(NORVANE_SOURCE_DIR) / "data/catalog/SolarSystem.txt",
                      dir + "/SolarSystem.txt");
        WriteAll(dir + "/Stars.txt", kStars);
        ToolRun first = Tool("import SolarSystem.txt Stars.txt");
        ASSERT_EQ(first.status, 0);
        EXPECT_EQ(first.err, "") << "a new database has nothing to say";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    // Runs the tool on the scratch program directory, from inside it, and
    // never for longer than a minute (a hang fails the test, not the run).
    ToolRun Tool(const std::string& arguments) const {
        const std::string out = dir + "/stdout.txt", err = dir + "/stderr.txt";
        int status =
            std::system(("cd '" + dir + "' && timeout 60 " + NORVANE_TOOL + " --program-dir '" +
                         dir + "' " + arguments + " >'" + out + "' 2>'" + err + "'")
                            .c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
    }
    std::string Db(const std::string& name) const { return dir + "/Database/" + name; }

    std::string dir;
};

// A data file that can't be read is reported once and left alone; the index
// stays byte for byte as it was, and the file is found again once it is back.
TEST_F(ToolSafety, ReadOnlyCommandsLeaveTheIndexAsItWas) {
    const std::string good = ReadAll(Db("Stars.nvd"));
    struct Case {
        const char* name;
        void (*damage)(const std::string& path, const std::string& good);
    } cases[] = {
        {"missing", [](const std::string&, const std::string&) {}},
        {"truncated",
         [](const std::string& p, const std::string& g) { WriteAll(p, g.substr(0, 300)); }},
        {"garbage",
         [](const std::string& p, const std::string&) { WriteAll(p, std::string(4000, '\x7f')); }},
        {"directory", [](const std::string& p, const std::string&) { fs::create_directory(p); }},
        {"fifo",
         [](const std::string& p, const std::string&) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string index = ReadAll(Db("Index.nvd"));
        fs::remove(Db("Stars.nvd"));
        c.damage(Db("Stars.nvd"), good);
        for (const char* command : {"stats", "find Sirius", "render --size 96x64 --out x.png"}) {
            SCOPED_TRACE(command);
            ToolRun run = Tool(command);
            EXPECT_NE(run.status, -1) << "timed out or crashed";
            EXPECT_EQ(Count(run.err, "Stars.nvd"), 1) << run.err;
            EXPECT_EQ(ReadAll(Db("Index.nvd")), index);
        }
        fs::remove_all(Db("Stars.nvd"));
        WriteAll(Db("Stars.nvd"), good);
        ToolRun found = Tool("find Sirius");
        EXPECT_EQ(found.status, 0) << found.err;
        EXPECT_NE(found.out.find("Sirius"), std::string::npos);
    }
}

TEST_F(ToolSafety, ImportsSayWhatTheyDidAndFailWhenAnythingWasLeftOut) {
    std::mt19937 random(7);
    std::string garbage(5000, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    std::string tooMany;
    for (int i = 0; i < 16001; ++i)
        tooMany += "S1\t2000.0\t01 00 00\t+01 00 00\t\t\t9.0\t\t\t\t\tX" + std::to_string(i) + "\n";
    struct Case {
        const char* file;
        std::string content;
        int status;
        const char* said; // in what the tool printed, "" for nothing in particular
        int objects;      // in the new data file, -1 for no data file
    } cases[] = {
        {"Good.txt", kStars, 0, "Good.nvd\t2", 2},
        {"Bom.txt", "\xEF\xBB\xBF" + std::string(kStars), 0, "Bom.nvd\t2", 2},
        {"OneBad.txt",
         std::string(kStars) + "S1\t2000.0\t25 00 00\t+10 00 00\t\t\t5.0\t\t\t\t\tBad\r\n", 1,
         "right ascension", 2},
        {"NoDec.txt", "S11\t\t\t\t\t\t\t\t\t\t\tJust a name\n", 1, "0 objects imported", -1},
        {"Prose.txt", "My favourite stars.\nSirius is the brightest.\n", 1, "2 lines skipped", -1},
        {"Garbage.txt", garbage, 1, "0 objects imported", -1},
        {"Empty.txt", "", 1, "0 objects imported", -1},
        {"Utf16.txt",
         std::string("\xFF\xFE"
                     "S\0001\0",
                     6),
         1, "UTF-16", -1},
        {"Long.txt",
         std::string(kStars) + "S1\t2000.0\t01 00 00\t+01 00 00\t" + std::string(70000, 'x') + "\n",
         1, "longer than", 2},
        {"Sat.tle", "ISS\n1\n2\n\n\n", 1, "element set", -1},
        {"Index.txt", kStars, 0, "Index1.nvd\t2", 2},
        {"Big.txt", tooMany, 1, "more objects than", -1},
        {"Orbit.txt", "P12\t2000.0\tnan\t0.1\t1\t2\t3\t4\t2000/1/1.5\t\t\t\tNan\n", 1,
         "eccentricity", -1},
    };
    const std::string indexBefore = ReadAll(Db("Index.nvd"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        WriteAll(dir + "/" + c.file, c.content);
        ToolRun run = Tool(std::string("import ") + c.file);
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.said), std::string::npos) << run.out << run.err;
        std::string base = std::string(c.file).substr(0, std::string(c.file).rfind('.'));
        if (base == "Index") base = "Index1";
        EXPECT_EQ(fs::exists(Db(base + ".nvd")), c.objects >= 0);
    }
    // The index is still the index, and lists what was imported.
    EXPECT_NE(ReadAll(Db("Index.nvd")), indexBefore);
    ToolRun files = Tool("files");
    EXPECT_EQ(files.status, 0);
    EXPECT_NE(files.out.find("Index1.nvd"), std::string::npos);
    EXPECT_EQ(files.out.find("Garbage.nvd"), std::string::npos);

    // Nothing but regular files is read: a device never ends, a FIFO never
    // opens, a directory is no text.
    ASSERT_EQ(mkfifo((dir + "/Pipe.txt").c_str(), 0600), 0);
    fs::create_directory(dir + "/Folder.txt");
    for (const char* source : {"/dev/zero", "Pipe.txt", "Folder.txt"}) {
        SCOPED_TRACE(source);
        ToolRun run = Tool(std::string("import ") + source);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    }
}

TEST_F(ToolSafety, NumbersThatAreNotFiniteOrOutOfRangeAreRefused) {
    struct Case {
        const char* arguments;
        int status;
        const char* printed;
    } cases[] = {
        {"jd '2000/1/1.5'", 0, "2451545.000000"},
        {"jd '2000/1/nan'", 1, "is invalid"},
        {"jd '2000/1/1e308'", 1, "is invalid"},
        {"jd '99999999999/1/1'", 1, "is invalid"},
        {"jd '2000/1/1 12:00:00 tomorrow'", 1, "is invalid"},
        {"date 2451545", 0, "2000/01/01 12:00:00"},
        {"date 1e20", 2, "J2000"},
        {"date nan", 2, "Julian date"},
        {"--jd 1e308 info Sirius", 2, "--jd"},
        {"--date 2000/1/nan info Sirius", 1, "is invalid"},
        {"convert --from Equatorial --to Galactic --epoch 1e308 10 10", 2, "--epoch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.printed), std::string::npos) << run.out << run.err;
        EXPECT_EQ(run.out.find("nan"), std::string::npos);
        EXPECT_EQ(run.out.find("inf"), std::string::npos);
    }
}

// One bad value costs the user that value, never the rest of the file.
TEST_F(ToolSafety, SettingsAreReadPastABadValue) {
    const std::string shipped = ReadAll(std::string(NORVANE_SOURCE_DIR) + "/data/Norvane.ini");
    auto with = [](std::string text, const std::string& from, const std::string& to) {
        std::size_t at = text.find(from);
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    std::string later = with(shipped, "ChartProjection=Lambert", "ChartProjection=Mollweide");
    struct Case {
        const char* name;
        std::string file;
        const char* said;
        const char* kept; // a line the saved file must still hold
    } cases[] = {
        {"unknown object", with(later, "ViewerObject=\r\n", "ViewerObject=Plutoo\r\n"), "Plutoo",
         "ChartProjection=Mollweide"},
        {"truncated", later.substr(0, later.find("ChartProjection=Mollweide") + 30), "ends early",
         "ChartProjection=Mollweide"},
        {"nan date", with(later, "JulianDate=2451545.000000", "JulianDate=nan"), "JulianDate",
         "ChartProjection=Mollweide"},
        {"huge trail",
         with(later, "</NorvaneSettingsFile>",
              "<Trail>\r\nTrailObject=Mars\r\nTrailPoints=2147483647\r\n</Trail>\r\n"
              "</NorvaneSettingsFile>"),
         "TrailPoints", "ChartProjection=Mollweide"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(dir + "/in.nvs", c.file);
        fs::remove(dir + "/out.nvs");
        ToolRun run = Tool("--settings in.nvs settings --out out.nvs");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Count(run.err, c.said), 1) << run.err;
        std::string saved = ReadAll(dir + "/out.nvs");
        EXPECT_NE(saved.find(c.kept), std::string::npos);
        EXPECT_EQ(saved.find("nan"), std::string::npos);
        EXPECT_EQ(saved.find("TrailPoints=2147483647"), std::string::npos);
    }
}

} // namespace
