// norvane-tool as scripts use it: what each command prints, its error lines
// and exit status, and the files it writes; on small databases of its own and
// on the default database the build made, with the shipped default settings.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool with `arguments` (already quoted for the shell). Each test
// process gets its own file for the error output, since tests run in parallel.
ToolRun Tool(const std::string& arguments) {
    const std::string errFile =
        testing::TempDir() + "norvane-tool-stderr-" + std::to_string(getpid()) + ".txt";
    ToolRun run{-1, {}, {}};
    FILE* pipe =
        popen((std::string(NORVANE_TOOL) + " " + arguments + " 2>" + errFile).c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        run.out += buffer.data();
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    std::remove(errFile.c_str());
    return run;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// "a|b|c" with each bar a line break `end`.
std::string Bar(std::string text, const std::string& end = "\n") {
    for (std::size_t at = text.find('|'); at != std::string::npos; at = text.find('|', at))
        text.replace(at, 1, end);
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Checks that each "Key=value" of "a|b" is a whole line of a settings file.
void ExpectLines(const std::string& text, const std::string& lines) {
    for (const std::string& line : Lines(Bar(lines)))
        EXPECT_NE(text.find("\r\n" + line + "\r\n"), std::string::npos) << line;
}

// A program directory with the default database the build made and the
// shipped default settings, whatever a default the program saved into the
// build's own directory may say. Made once per test process.
const std::string& ShippedProgramDir() {
    static const std::string dir = [] {
        std::string path = testing::TempDir() + "norvane-program-" + std::to_string(getpid());
        std::error_code error;
        fs::remove_all(path, error);
        fs::create_directories(path, error);
        fs::create_directory_symlink(fs::path(NORVANE_PROGRAM_DIR) / "Database",
                                     fs::path(path) / "Database", error);
        fs::copy_file(fs::path(NORVANE_SOURCE_DIR) / "data" / "Norvane.ini",
                      fs::path(path) / "Norvane.ini", error);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(testing::TempDir() + "norvane-program-" + std::to_string(getpid()),
                           ignored);
        });
        return path;
    }();
    return dir;
}

ToolRun Shipped(const std::string& arguments) {
    return Tool("--program-dir '" + ShippedProgramDir() + "' " + arguments);
}

// A test with a scratch directory of its own, removed afterwards.
class ToolTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-tool-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string Quoted(const std::string& name) const { return "'" + Path(name) + "'"; }
    // The tool over a program directory of this test's own.
    ToolRun Run(const std::string& arguments) {
        return Tool("--program-dir '" + dir_ + "' " + arguments);
    }
    std::size_t Entries() const {
        return std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
    }

    std::string dir_;
};

// ---------------------------------------------------------------------------
// Dates, frames and usage

TEST(Tool, DatesAndTheirErrors) {
    const struct {
        const char* arguments;
        int status;
        const char* out;
        const char* err = "";
    } cases[] = {
        {"jd \"2000/01/01 12:00:00\"", 0, "2451545.000000\n"},
        {"date 2451545.0", 0, "2000/01/01 12:00:00\n"},
        // Zone and calendar shape the text; the instant stays the same.
        {"--zone 10 jd \"2000/01/01 22:00:00\"", 0, "2451545.000000\n"},
        {"--zone 10 date 2451545", 0, "2000/01/01 22:00:00\n"},
        {"--zone -5.5 date 2451545", 0, "2000/01/01 06:30:00\n"},
        {"--calendar Julian jd \"333/01/27 12:00\"", 0, "1842713.000000\n"},
        {"--calendar Julian date 1842713", 0, "333/01/27 12:00:00\n"},
        {"jd 1957/10/04.81", 0, "2436116.310000\n"},
        {"jd 2000/1", 1, "",
         "The date \"2000/1\" is invalid.  Please enter the date and time as "
         "\"year/month/day hour:min:sec\" or \"year/month/decimal day\".\n"},
    };
    for (const auto& c : cases) {
        ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_EQ(run.out, c.out) << c.arguments;
        EXPECT_EQ(run.err, c.err) << c.arguments;
    }
    EXPECT_EQ(Tool("--date nonsense date 2451545").status, 1) << "--date is checked alike";
    ToolRun help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* usage : {"jd TEXT", "date JD", "convert --from FRAME --to FRAME LON LAT",
                              "--program-dir", "--epoch YEAR", "--site LON,LAT"})
        EXPECT_NE(help.out.find(usage), std::string::npos) << usage;
}

TEST(Tool, ConvertsBetweenFrames) {
    auto convert = [](const std::string& arguments) {
        ToolRun run = Tool(arguments);
        std::array<double, 2> c{NAN, NAN};
        char end = '\0';
        if (run.status != 0 || std::sscanf(run.out.c_str(), "%lf %lf%c", &c[0], &c[1], &end) != 3 ||
            end != '\n')
            ADD_FAILURE() << arguments << " printed \"" << run.out << "\" " << run.err;
        return c;
    };
    const struct {
        const char* arguments;
        double lon, lat, tolerance; // lon NaN: not checked
    } cases[] = {
        // The galactic north pole, in J2000 and in B1950 coordinates.
        {"convert --from Equatorial --to Galactic 192.859508 27.128336", NAN, 90, 0.001},
        {"--epoch 1950 convert --from Equatorial --to Galactic 192.25 27.4", NAN, 90, 1e-4},
        // The summer solstice lies on the ecliptic, at longitude 90.
        {"convert --from Equatorial --to Ecliptic 90 23.4392911", 90, 0, 1e-4},
        // The galactic centre: R.A. 17h 45.6m, Dec. -28 56'.
        {"convert --from Galactic --to Equatorial 0 0", 266.405, -28.936, 0.01},
        // Equatorial to Equatorial is the identity whatever the epoch.
        {"--epoch 1875.5 convert --from Equatorial --to Equatorial 123.456789 -65.4321", 123.456789,
         -65.4321, 2e-6},
        // The celestial pole of the date stands due north, as high as the
        // latitude (JD 2460000.5 is the decimal year 2023.149897).
        {"--jd 2460000.5 --site -75,40 --epoch 2023.149897 "
         "convert --from Equatorial --to Horizon 10 90",
         0, 40, 1e-4},
        // The zenith at Greenwich at J2000.0: R.A. = sidereal time 18h 41m 50.5s.
        {"convert --from Horizon --to Equatorial 0 90 --jd 2451545 --site 0,51.5", 280.4606, 51.5,
         0.001},
    };
    for (const auto& c : cases) {
        std::array<double, 2> got = convert(c.arguments);
        if (!std::isnan(c.lon)) {
            EXPECT_NEAR(std::remainder(got[0] - c.lon, 360.0), 0.0, c.tolerance) << c.arguments;
        }
        EXPECT_NEAR(got[1], c.lat, c.tolerance) << c.arguments;
    }
    EXPECT_EQ(Tool("convert --from Equatorial --to Ecliptic 90 23.4392911").out,
              "90.000000 0.000000\n");

    // Options before, between or after the command, and --date in its zone as
    // well as --jd, say the same; a negative latitude is a value.
    for (const auto& same :
         {std::vector<std::string>{"convert --from Galactic --to Equatorial 0 -5",
                                   "--from Galactic convert --to Equatorial 0 -5",
                                   "convert 0 -5 --to Equatorial --from Galactic",
                                   "convert --from Galactic --to Equatorial -- 0 -5"},
          {"--jd 2451545 --site 0,51.5 convert --from Horizon --to Equatorial 0 90",
           "--zone 1 --date \"2000/01/01 13:00:00\" --site 0,51.5 "
           "convert --from Horizon --to Equatorial 0 90"}})
        for (const std::string& arguments : same)
            EXPECT_EQ(Tool(arguments).out, Tool(same[0]).out) << arguments;

    // The east point of the horizon and back again.
    const std::string place = "--jd 2455000.3 --site 151.2,-33.9 ";
    std::array<double, 2> g = convert(place + "convert --from Horizon --to Galactic 90 0");
    std::array<double, 2> back = convert(place + "convert --from Galactic --to Horizon " +
                                         std::to_string(g[0]) + " " + std::to_string(g[1]));
    EXPECT_NEAR(std::remainder(back[0] - 90.0, 360.0), 0.0, 1e-5);
    EXPECT_NEAR(back[1], 0.0, 1e-5);
}

// Usage errors: status 2, nothing printed, one line that names the tool, and
// no file written.
TEST_F(ToolTest, UsageErrorsSayOneLineAndExitTwo) {
    const std::string png = " --out " + Quoted("x.png");
    const std::vector<std::string> cases = {
        "", "frobnicate", "--bogus date 2451545", "date", "date 2451545 extra", "date 24515x5",
        "date nan", "--zone date 2451545", "--zone 30 date 2451545",
        "--calendar Islamic date 2451545", "--jd abc date 2451545", "--program-dir",
        // convert
        "convert 10 20", "convert --from Equatorial 10 20", "convert --to Galactic 10 20",
        "convert --from Polar --to Galactic 10 20", "convert --from equatorial --to Galactic 10 20",
        "convert --from Equatorial --to", "convert --from Equatorial --to Galactic 10",
        "convert --from Equatorial --to Galactic 10 20 30",
        "convert --from Equatorial --to Galactic x 20",
        "convert --from Equatorial --to Galactic 10 95",
        "convert --from Equatorial --to Galactic 10 inf",
        "--epoch abc convert --from Equatorial --to Ecliptic 10 20",
        "convert --from Horizon --to Equatorial 10 20 --site 0,50",  // no instant
        "--jd 2451545 convert --from Equatorial --to Horizon 10 20", // no site
        "--jd 2451545 --site 10 convert --from Equatorial --to Horizon 10 20",
        "--jd 2451545 --site 10,91 convert --from Equatorial --to Horizon 10 20",
        "--jd 2451545 --site a,b convert --from Equatorial --to Horizon 10 20",
        // database commands and settings
        "import", "find", "find a b", "stats extra", "settings",
        "settings extra --out " + Quoted("x.nvs"), "--settings",
        // info
        "info Sirius --frame Polar", "info Sirius --planets Kepler",
        "info Sirius --site 0,51.5,high", "info Sirius --site 0,95", "info Sirius --site 10",
        "info Sirius --viewer ''", "info Sirius --epoch next", "info", "info Sirius Vega",
        "info Sirius --sky",
        // render
        "render", "render --size 100x100", "render --out " + Quoted("x.jpg"),
        "render --out " + Quoted("x.png.txt"), "render --out " + Quoted("x"),
        "render" + png + " --size 0x10", "render" + png + " --size 10",
        "render" + png + " --size 20000x10", "render" + png + " --size 10x-4",
        "render" + png + " --size 2.5x10", "render" + png + " --projection Bogus",
        "render" + png + " --projection", "render" + png + " --sky Grey",
        "render" + png + " --field 0", "render" + png + " --field -10",
        "render" + png + " --center 1,95", "render" + png + " --center 1",
        "render" + png + " --center 1,2,3", "render" + png + " --faintest bright",
        "render" + png + " extra"};
    for (const std::string& arguments : cases) {
        ToolRun run = Shipped(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_EQ(run.err.rfind("norvane-tool: ", 0), 0u) << arguments << ": " << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << arguments << ": " << run.err;
    }
    EXPECT_EQ(Entries(), 0u) << "a usage error wrote a file";
}

// ---------------------------------------------------------------------------
// Databases

const char* const kStars =
    "S1\t2000.0\t06 45 08.9\t-16 42 58\t-0.0379\t-1.223\t-1.46\t0.00\t-7.6\t2.64\t\t"
    "Sirius; $a CMa; HR2491\r\n"
    "S3\t2000.0\t02 31 49.1\t+89 15 51\t0.2300\t-0.012\t1.86-2.13\t0.60\t-17\t133\t\t"
    "Polaris; $a UMi; HR424\r\n"
    "S15\t2000.0\t00 42 44.3\t+41 16 09\t\t\t3.44\t\t\t\t189\tAndromeda Galaxy; M31; NGC224\r\n";

TEST_F(ToolTest, DatabaseCommandsOnADatabaseOfItsOwn) {
    // No database yet: find, files and stats say so.
    for (const char* command : {"find Sirius", "files", "stats"}) {
        ToolRun run = Run(command);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_NE(run.err.find("no database"), std::string::npos) << command << ": " << run.err;
    }
    ToolRun missing = Run("import " + Quoted("Nowhere.txt"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("can't open the file \"Nowhere.txt\""), std::string::npos)
        << missing.err;

    WriteFile(Path("Stars.txt"), kStars);
    ToolRun import = Run("import " + Quoted("Stars.txt"));
    ASSERT_EQ(import.status, 0) << import.err;
    EXPECT_EQ(import.out, "Stars.nvd\t3\n");
    EXPECT_EQ(import.err, "");
    // Object IDs: file 2 (the custom file is file 1), object n: 2 << 14 | n.
    // Words match within a name part; --exact wants the whole part.
    const struct {
        const char* arguments;
        int status;
        const char* out;
    } finds[] = {
        {"find Sirius", 0, "32769\tSingle star\tSirius; $a CMa; HR2491\n"},
        {"find '$a UMi'", 0, "32770\tVariable star\tPolaris; $a UMi; HR424\n"},
        {"find M31", 0, "32771\tGalaxy\tAndromeda Galaxy; M31; NGC224\n"},
        {"find Andromeda", 0, "32771\tGalaxy\tAndromeda Galaxy; M31; NGC224\n"},
        {"--exact find Andromeda", 1, ""},
        {"--exact find 'andromeda galaxy'", 0, "32771\tGalaxy\tAndromeda Galaxy; M31; NGC224\n"},
        {"--case --exact find 'andromeda galaxy'", 1, ""},
        {"--all find HR", 0,
         "32769\tSingle star\tSirius; $a CMa; HR2491\n32770\tVariable star\tPolaris; $a UMi; "
         "HR424\n"},
        {"find Betelgeuse", 1, ""},
    };
    for (const auto& f : finds) {
        ToolRun run = Run(f.arguments);
        EXPECT_EQ(run.status, f.status) << f.arguments;
        EXPECT_EQ(run.out, f.out) << f.arguments;
    }
    ToolRun files = Run("files");
    ASSERT_EQ(files.status, 0);
    EXPECT_NE(files.out.find("\n1\tCustom.nvd\t0\t0\t0\t0\t0\t-\t-\t-\t-\tnot loaded\n"),
              std::string::npos)
        << files.out;
    EXPECT_NE(files.out.find("\n2\tStars.nvd\t0\t1\t2\t0\t0\t-1.46\t3.44\t"), std::string::npos)
        << files.out;
    ToolRun stats = Run("stats");
    for (const char* line :
         {"\nobjects\t3\n", "\nbright stars (HR)\t2\n", "\ndeep-sky objects\t1\n"})
        EXPECT_NE(stats.out.find(line), std::string::npos) << stats.out;

    // Importing again: the default answer to "replace the existing file?" is
    // no, so a new name; --replace replaces.
    EXPECT_EQ(Run("import " + Quoted("Stars.txt")).out, "Stars1.nvd\t3\n");
    WriteFile(Path("Stars.txt"), "S1\t2000\t1 0 0\t+10 0 0\t\t\t5.0\t\t\t\t\tHR1\r\n");
    EXPECT_EQ(Run("--replace import " + Quoted("Stars.txt")).out, "Stars.nvd\t1\n");
    // A line naming an object that isn't there: message 523, reading goes on.
    WriteFile(Path("Lines.txt"),
              "C1\tSirius\tVega\tNowhere\r\nS1\t2000\t0 0 0\t0 0 0\t\t\t1\t\t\t\t\tHR7001\r\n");
    ToolRun lines = Run("import " + Quoted("Lines.txt"));
    EXPECT_NE(lines.err.find("There's no object containing the name \"Vega\" in memory!"),
              std::string::npos)
        << lines.err;
    EXPECT_EQ(lines.out, "Lines.nvd\t1\n");
    stats = Run("stats");
    for (const char* line : {"\nobjects\t5\n", "\nfiles\t4\n"})
        EXPECT_NE(("\n" + stats.out).find(line), std::string::npos) << stats.out;
}

TEST(DefaultDatabase, HoldsTheCatalogues) {
    // Whole names: a word such as "Moon" also stands in nebulae's names.
    const std::pair<const char*, const char*> cases[] = {
        {"Sirius", "Multiple star\tSirius; $a CMa"},
        {"$a UMi", "Mult. and var. star\tPolaris"},
        {"M31", "Galaxy\tAndromeda Galaxy; M31"},
        {"Andromeda Galaxy", "Galaxy\tAndromeda Galaxy"},
        {"NGC7000", "Diffuse nebula\tNorth America Nebula"},
        {"Moon", "Earth's moon\tMoon"},
        {"Jupiter", "Jupiter\tJupiter"},
        {"Io", "Io\tIo"},
        {"1P/Halley", "Comet\t1P/Halley"},
        {"1 Ceres", "Asteroid\t1 Ceres"},
    };
    for (const auto& [query, found] : cases) {
        ToolRun run = Shipped(std::string("--exact find '") + query + "'");
        ASSERT_EQ(run.status, 0) << query << ": " << run.err;
        EXPECT_EQ(run.out.find(std::string("\t") + found), run.out.find('\t')) << run.out;
    }

    ToolRun stats = Shipped("stats");
    ASSERT_EQ(stats.status, 0);
    auto count = [&](const std::string& label) {
        std::size_t at = stats.out.find("\n" + label + "\t");
        return at == std::string::npos ? -1L : std::atol(stats.out.c_str() + at + label.size() + 2);
    };
    EXPECT_EQ(count("bright stars (HR)"), 9096);
    EXPECT_GT(count("other stars"), 100000);
    EXPECT_GT(count("deep-sky objects"), 10000);
    EXPECT_GT(count("lines"), 2000);
    EXPECT_GT(count("solar-system bodies"), 4000);
    EXPECT_GT(count("sites"), 300);

    // Every catalogue file is in the index with its objects.
    ToolRun files = Shipped("files");
    ASSERT_EQ(files.status, 0);
    for (const char* line : {"\tBrightStars.nvd\t0\t0\t9096\t0\t0\t-1.46\t",
                             "\tConstellationLines.nvd\t0\t0\t0\t743\t", "\tSolarSystem.nvd\t34\t"})
        EXPECT_NE(files.out.find(line), std::string::npos) << line;
    EXPECT_GE(Lines(files.out).size(), 50u);
}

// ---------------------------------------------------------------------------
// Object Info: the display name and controls 7 to 21, one line each.

enum InfoLine { kName, kType, kRA, kDec, kDistance, kMagnitude, kSize, kRise, kSet, kDetail };
constexpr std::size_t kInfoLines = 16, kFrameLon = 14, kFrameLat = 15;

// The number after `prefix` in `line` ("hh:mm" as hours), or NaN.
double NumberAfter(const std::string& line, const std::string& prefix) {
    if (line.rfind(prefix, 0) != 0) return NAN;
    int h = 0, m = 0;
    if (std::sscanf(line.c_str() + prefix.size(), "%d:%d", &h, &m) == 2 &&
        line.find(':', prefix.size()) != std::string::npos)
        return h + m / 60.0;
    return std::atof(line.c_str() + prefix.size());
}

TEST(ToolInfo, LinesOfRealObjects) {
    const std::string sirius = "Sirius --jd 2451545.0 --site 0,51.5 --zone 0 --frame Equatorial";
    const std::string jupiter = "Jupiter --planets Elements --jd 2451545.0";
    const std::string low = "Sirius --jd 2451545.375 --site 0,51.5,100"; // low in the south-east
    const struct {
        std::string arguments;
        std::size_t line;
        std::string prefix;
        double value = NAN, tolerance = 0; // the number after the prefix
    } cases[] = {
        {sirius, kName, "Sirius"},
        {sirius, kType, "Type: Multiple star"},
        {sirius, kRA, "R.A. (2000.0): 06h 45m "},
        {sirius, kDec, "Dec. (2000.0): -16\xC2\xB0 42' "},
        // A parallax of 0.379" puts it 2.64 pc away; the catalogue rounds to 2.667.
        {sirius, kDistance, "Distance (pc): ", 2.67, 0.03},
        {sirius, kMagnitude, "Magnitude: -1.46"},
        {sirius, kSize, "Separation (\"): "},
        // astronomy-engine puts the geometric rising at 19:30:45 and the
        // setting at 04:35:53 (UT, 51.48 N) that day.
        {sirius, kRise, "Rises at: ", 19 + 31 / 60.0, 0.05},
        {sirius, kSet, "Sets at: ", 4 + 36 / 60.0, 0.05},
        {sirius, kDetail, "R.A. motion (s/yr): -0.0"},
        {sirius, kDetail + 1, "Dec. motion (\"/yr): -1."},
        {sirius, kDetail + 2, "Radial velocity (km/s): -8.0"},
        {sirius, kDetail + 3, "Color Index (B-V): +0.00"},
        {sirius, kFrameLon, "R.A. (2000.0): 06h 45m "}, // the current system is Equatorial
        {sirius, kFrameLat, "Dec. (2000.0): -16\xC2\xB0 42' "},
        // Polaris never sets at fifty degrees north, and stands about as high
        // as the pole (Horizon is the default system; a site's height is optional).
        {"Polaris --site 0,51.5", kRise, "Rises at: (doesn't set)"},
        {"Polaris --site 0,51.5", kSet, "Sets at: (doesn't set)"},
        {"Polaris --site 0,51.5", kFrameLon, "Azimuth: "},
        {"Polaris --site 0,51.5", kFrameLat, "Altitude: +", 51.5, 1.0},
        // On 2000 January 1 Jupiter stood in Aries, R.A. 1h 36m, Dec. +8.6,
        // 4.6 AU away, at magnitude -2.6 and 43" across.
        {jupiter, kType, "Type: Jupiter"},
        {jupiter, kRA, "R.A. (2000.0): 01h 3"},
        {jupiter, kDec, "Dec. (2000.0): +08\xC2\xB0 "},
        {jupiter, kDistance, "Distance (AU): 4.6"},
        {jupiter, kMagnitude, "Magnitude: -2."},
        {jupiter, kSize, "Angular Size: 4"},
        {jupiter, kDetail, "Illumination: 0.99"},
        // Names are whole name parts in any letter case.
        {"'sirius' --jd 2451545.0 --frame Galactic", kName, "Sirius;"},
        {"'sirius' --jd 2451545.0 --frame Galactic", kFrameLon, "Galactic Lon: 227."},
        {"'sirius' --jd 2451545.0 --frame Galactic", kFrameLat, "Galactic Lat: -08."},
        {"'HR2491' --jd 2451545.0", kName, "Sirius;"},
        // Names come in and go out as UTF-8; the database holds them in its
        // code page (the catalogue's sites are Windows-1252).
        {"'S\xC3\xA3o Paulo, Brazil' --jd 2451545.0", kName, "S\xC3\xA3o Paulo, Brazil"},
        // With the equinox held at 1950.0 the labels say so, and the J2000
        // place is precessed back to it: 6h 42m 55s, -16 39' 47" (the star's
        // motion over the 50 years is the epoch's, not the equinox's).
        {"Sirius --jd 2451545.0 --epoch 1950", kRA, "R.A. (1950.0): 06h 42m 5"},
        {"Sirius --jd 2451545.0 --epoch 1950", kDec, "Dec. (1950.0): -16\xC2\xB0 39' "},
        // The Earth seen from the Moon is as far as the Moon seen from the
        // Earth, give or take the site's 6400 km from the Earth's centre.
        {"Earth --viewer Moon --planets Elements --jd 2451545.0", kDistance,
         "Distance (km): ", 381500, 25500},
        {"Moon --planets Elements --jd 2451545.0", kDistance, "Distance (km): ", 381500, 25500},
        // Refraction lifts Sirius low in the sky (checked below).
        {low, kFrameLat, "Altitude: +"},
        {low + " --refraction", kFrameLat, "Altitude: +"},
    };
    std::map<std::string, std::vector<std::string>> runs;
    for (const auto& c : cases) {
        if (runs.count(c.arguments) == 0) {
            ToolRun run = Shipped("info " + c.arguments);
            EXPECT_EQ(run.status, 0) << c.arguments << ": " << run.err;
            EXPECT_EQ(run.err, "") << c.arguments;
            runs[c.arguments] = Lines(run.out);
            runs[c.arguments].resize(kInfoLines);
            EXPECT_EQ(Lines(run.out).size(), kInfoLines) << c.arguments << ": " << run.out;
        }
        const std::string& line = runs[c.arguments][c.line];
        EXPECT_EQ(line.rfind(c.prefix, 0), 0u) << c.arguments << ": " << line;
        if (!std::isnan(c.value)) {
            EXPECT_NEAR(NumberAfter(line, c.prefix), c.value, c.tolerance) << c.arguments;
        }
    }
    EXPECT_EQ(runs[sirius][kDetail + 4], "");
    for (std::size_t k = kDetail + 1; k <= kDetail + 4; ++k) // Jupiter's angles
        EXPECT_EQ(runs[jupiter][k].substr(runs[jupiter][k].size() - 2), "\xC2\xB0") << k;
    auto number = [&](const std::string& arguments, std::size_t line, const char* prefix) {
        return NumberAfter(runs[arguments][line], prefix);
    };
    EXPECT_NEAR(number("Earth --viewer Moon --planets Elements --jd 2451545.0", kDistance,
                       "Distance (km): "),
                number("Moon --planets Elements --jd 2451545.0", kDistance, "Distance (km): "),
                6500);
    const double lift = number(low + " --refraction", kFrameLat, "Altitude: +") -
                        number(low, kFrameLat, "Altitude: +");
    EXPECT_GT(lift, 0.03);
    EXPECT_LT(lift, 0.5);
    EXPECT_EQ(runs[low][kRA], runs[low + " --refraction"][kRA]) << "only the altitude changes";

    // A word within a name is not the name; nor is a viewer unknown.
    for (const char* name : {"Siri", "Planet X", "Vulcan", "Bogot\xC3\xA1 Nowhere"}) {
        ToolRun run = Shipped(std::string(name) == "Vulcan" ? "info Sirius --viewer Vulcan"
                                                            : "info '" + std::string(name) + "'");
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_EQ(run.err, "There's no object containing the name \"" + std::string(name) +
                               "\" in memory!\n");
    }
}

// ---------------------------------------------------------------------------
// Pictures

// 1999 December 31, 21h UT, from 51.5 degrees north on the Greenwich
// meridian: a winter night with the Pleiades near the meridian.
const std::string kNight = "--jd 2451544.375 --site 0,51.5 ";
// 2000 January 1, noon UT, same place: the Sun some 15 degrees up.
const std::string kNoon = "--jd 2451545.0 --site 0,51.5 ";
const std::string kWholeSky = "--frame Equatorial --projection Mollweide --field 360 --grid ";
// A two-degree field on the Pleiades (M45).
const std::string kPleiades = "--frame Equatorial --center 56.75,24.12 --field 2 ";

struct Counts {
    long stars = -1, deepSky = -1, bodies = -1;
    int files = -1;
};

// Renders and reads the one line of counts; a failure is recorded.
Counts Render(const std::string& arguments) {
    ToolRun run = Shipped(arguments + " render");
    Counts c;
    EXPECT_EQ(run.status, 0) << arguments << "\n" << run.err;
    EXPECT_EQ(run.err, "") << arguments;
    const char* format = "%ld stars, %ld deep-sky objects, %ld bodies drawn; %d files loaded\n";
    if (std::sscanf(run.out.c_str(), format, &c.stars, &c.deepSky, &c.bodies, &c.files) != 4)
        ADD_FAILURE() << "not a line of counts: \"" << run.out << "\"";
    char line[160];
    std::snprintf(line, sizeof line, format, c.stars, c.deepSky, c.bodies, c.files);
    EXPECT_EQ(run.out, line) << "exactly one line";
    return c;
}

std::uint32_t Bytes(const std::string& b, std::size_t at, int count, bool bigEndian = false) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= std::uint32_t{static_cast<unsigned char>(b[at + i])}
                 << 8 * (bigEndian ? count - 1 - i : i);
    return value;
}

// A PNG's width and height from its signature and first (IHDR) chunk.
std::array<std::uint32_t, 2> PngSize(const std::string& b) {
    if (b.size() < 33 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || Bytes(b, 8, 4, true) != 13 ||
        b.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    return {Bytes(b, 16, 4, true), Bytes(b, 20, 4, true)};
}

TEST_F(ToolTest, RendersPngOfTheAskedSizeAndCountsWhatItDrew) {
    const std::string out = "--out " + Quoted("sky.png") + " ";
    Counts whole = Render(kNight + kWholeSky + "--faintest 9 --size 320x200 " + out);
    EXPECT_EQ(PngSize(ReadFile(Path("sky.png"))), (std::array<std::uint32_t, 2>{320, 200}));
    // Half the sky is above the horizon: thousands of stars to magnitude 9,
    // hundreds of deep-sky objects, and a few of the Sun's family (the Sun
    // itself is down); only bodies bright enough are drawn.
    EXPECT_GT(whole.stars, 5000);
    EXPECT_GT(whole.deepSky, 50);
    EXPECT_GE(whole.bodies, 1);
    EXPECT_LT(whole.bodies, 200);

    Counts pleiades = Render(kNight + kPleiades + "--faintest 9 --size 200x150 " + out);
    EXPECT_EQ(PngSize(ReadFile(Path("sky.png"))), (std::array<std::uint32_t, 2>{200, 150}))
        << "a second render replaces the first picture";
    // The cluster's six brightest members and M45 itself at least.
    EXPECT_GE(pleiades.stars, 6);
    EXPECT_GE(pleiades.deepSky, 1);
    EXPECT_LT(pleiades.stars, whole.stars);

    // A chart of the brightest stars needs only the files the database keeps
    // in use; the faint star files are loaded only for their part of the sky.
    Counts bright = Render(kNight + kPleiades + "--size 200x150 " + out);
    EXPECT_GT(bright.files, 0);
    EXPECT_LE(bright.stars, pleiades.stars);
    EXPECT_GE(pleiades.files, bright.files);
    EXPECT_LE(pleiades.files, bright.files + 4) << "a few files around the Pleiades";
    EXPECT_GT(whole.files, pleiades.files + 10) << "the whole sky loads most star files";

    // At noon the Sun, the Moon and several planets, whichever theory places
    // them; the two series agree to arc-seconds, so the same bodies are drawn.
    const std::string noon = kNoon + kWholeSky + "--size 320x200 " + out;
    Counts elements = Render(noon + "--planets Elements");
    Counts byDefault = Render(noon);
    EXPECT_GT(elements.bodies, 1);
    EXPECT_GT(byDefault.bodies, 1);
    EXPECT_EQ(Render(noon + "--planets VFP").bodies, byDefault.bodies) << "VFP is the default";
    EXPECT_EQ(Render(noon + "--planets VSOP87").bodies, byDefault.bodies);
    EXPECT_EQ(elements.stars, byDefault.stars) << "the planet mode doesn't move the stars";
}

TEST_F(ToolTest, BmpAndSvgOutputs) {
    Render(kNight + "--size 123x77 --out " + Quoted("chart.bmp"));
    const std::string b = ReadFile(Path("chart.bmp"));
    ASSERT_GE(b.size(), 54u);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(Bytes(b, 2, 4), b.size()) << "the size field is the file's size";
    const std::uint32_t dataOffset = Bytes(b, 10, 4), headerSize = Bytes(b, 14, 4);
    const std::int32_t width = Bytes(b, 18, 4), height = Bytes(b, 22, 4);
    const std::uint32_t bits = Bytes(b, 28, 2);
    EXPECT_EQ(Bytes(b, 26, 2), 1u) << "one plane";
    EXPECT_EQ(width, 123);
    EXPECT_EQ(std::abs(height), 77) << "negative: rows top-down";
    EXPECT_GE(headerSize, 40u);
    EXPECT_EQ(Bytes(b, 30, 4), 0u) << "uncompressed";
    ASSERT_TRUE(bits == 24 || bits == 32) << bits;
    EXPECT_GE(dataOffset, 14u + headerSize);
    EXPECT_LE(dataOffset + (width * bits / 8 + 3) / 4 * 4 * 77, b.size())
        << "every row of pixels is there";

    Render(kNight + "--size 640x400 --out " + Quoted("chart.svg"));
    const std::string svg = ReadFile(Path("chart.svg"));
    const std::size_t element = svg.find("<svg");
    ASSERT_NE(element, std::string::npos) << svg.substr(0, 200);
    EXPECT_NE(svg.substr(element, svg.find('>', element) - element).find("viewBox=\"0 0 640 400\""),
              std::string::npos);
    EXPECT_NE(svg.find("</svg>"), std::string::npos) << "a complete document";

    // Letter case of the extension doesn't matter.
    Render(kNight + "--size 40x30 --out " + Quoted("CHART.PNG"));
    EXPECT_EQ(PngSize(ReadFile(Path("CHART.PNG"))), (std::array<std::uint32_t, 2>{40, 30}));
    EXPECT_EQ(Entries(), 3u) << "no temporary files left beside the pictures";

    // The sky's colour in the BMP's top-left corner, which in the default
    // view (north, 45 degrees up) is sky. The Sun's altitude needs the Earth
    // placed, which the orbital elements do.
    const struct {
        std::string options;
        std::array<int, 3> rgb;
    } skies[] = {
        {kNoon + "--sky Color", {127, 255, 255}}, // daytime
        {kNoon, {0, 0, 0}},                       // Black by default
        {kNoon + "--sky White", {255, 255, 255}},
        {kNight + "--sky Color", {0, 0, 0}}, // night
    };
    for (const auto& sky : skies) {
        Render(sky.options + " --planets Elements --size 200x160 --out " + Quoted("sky.bmp"));
        const std::string p = ReadFile(Path("sky.bmp"));
        ASSERT_GE(p.size(), 54u);
        const std::int32_t h = Bytes(p, 22, 4), w = Bytes(p, 18, 4), bpp = Bytes(p, 28, 2);
        const std::size_t row = h < 0 ? 4 : h - 1 - 4; // pixel (4, 4) from the top
        const std::size_t at = Bytes(p, 10, 4) + row * ((w * bpp / 8 + 3) / 4 * 4) + 4 * bpp / 8;
        EXPECT_EQ((std::array<int, 3>{static_cast<unsigned char>(p[at + 2]),
                                      static_cast<unsigned char>(p[at + 1]),
                                      static_cast<unsigned char>(p[at])}),
                  sky.rgb)
            << sky.options;
    }
}

TEST_F(ToolTest, UnwritablePicturesExitOneAndLeaveNoFile) {
    // A directory standing where the picture should go, for each kind, and
    // a folder that doesn't exist.
    for (const char* name :
         {"taken.png", "taken.bmp", "taken.svg", "missing/x.png", "missing/x.svg"}) {
        const bool taken = std::string(name).rfind("taken", 0) == 0;
        if (taken) {
            ASSERT_TRUE(fs::create_directory(Path(name)));
        }
        ToolRun run = Shipped(kNight + "render --size 64x48 --out " + Quoted(name));
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "") << "no counts for a picture not written";
        EXPECT_NE(run.err.find("can't write"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(fs::path(name).filename().string()), std::string::npos) << run.err;
        if (taken) {
            EXPECT_TRUE(fs::is_directory(Path(name))) << name;
            EXPECT_TRUE(fs::is_empty(Path(name))) << name;
            fs::remove(Path(name));
        }
    }
    EXPECT_EQ(Entries(), 0u) << "no temporary files left behind";
}

// ---------------------------------------------------------------------------
// Settings: --settings read after the default file and before the other
// options, and `settings --out` writing what File > Save Settings writes.

// A settings file as a user would keep one: a description, a place, an
// instant and a view unlike the defaults, and two trails, one inside the
// section and one after it; LF line ends, and no EndOfSettings.
const std::string kObserverFile = Bar(
    "<NorvaneSettingsFile>|FileVersion=3.1.1||<Description>|Winter evening, the Pleiades|"
    "Second line|</Description>||<Settings>|ViewerSiteName=Kitt Peak|ViewerLongitude=-111.600000|"
    "ViewerLatitude=+31.958333|ViewerAltitude=2096.0|TimeZone=-7.0|JulianDate=2461390.708333|"
    "CalendarSystem=Gregorian|DaylightSavingsTime=0|PlanetComputation=VSOP87|Precession=0|"
    "PrecessionEpoch=1950.0|Nutation=1|Aberration=1|ChartProjection=Spherical|"
    "ChartCoordinateSystem=Equatorial|ChartCenterLongitude=56.750000|ChartCenterLatitude=+24."
    "120000|"
    "ChartFieldWidth=20.000000|ShowGridLines=1|FaintestStarMagnitude=+8.00|StarColor=255,128,000|"
    "ChartWindowsFont=DejaVu Sans,11,Bold,Italic|AnimationTimeStep=0.041667|<Trail>|"
    "TrailObject=Mars|TrailType=InSpace|TrailPoints=120|TrailTicksInterval=5|"
    "TrailDatesInterval=10|</Trail>|TelescopeUpdatesPerSec=8|</Settings>|<Trail>|"
    "TrailObject=Jupiter|TrailType=InSky|TrailPoints=30|</Trail>|</NorvaneSettingsFile>|");

class ToolSettings : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        WriteFile(Path("observer.nvs"), kObserverFile);
    }
    // Writes the settings the arguments describe; the file's bytes.
    std::string Save(const std::string& arguments, const std::string& name,
                     const std::string& programDir = ShippedProgramDir()) {
        ToolRun run = Tool("--program-dir '" + programDir + "' " + arguments + " settings --out " +
                           Quoted(name));
        EXPECT_EQ(run.status, 0) << arguments << "\n" << run.err;
        EXPECT_EQ(run.out, "");
        return ReadFile(Path(name));
    }
    std::string Observer() const { return "--settings " + Quoted("observer.nvs") + " "; }
};

TEST_F(ToolSettings, WrittenFileReadBackWritesTheSameBytes) {
    const std::string first =
        Save("--jd 2461390.5 --site 10.5,-33.25,120 --zone 2 --frame Galactic --center 30,-10 "
             "--field 60 --faintest 7.2 --grid --labels --nutation --planets Elements",
             "first.nvs");
    EXPECT_EQ(first.rfind("<NorvaneSettingsFile>\r\nFileVersion=3.1.1\r\n", 0), 0u);
    EXPECT_EQ(first.find('\n'), first.find("\r\n") + 1) << "CR LF line ends";
    EXPECT_TRUE(Save("--settings " + Quoted("first.nvs"), "again.nvs") == first);

    // A user's file, with its description, trails and uncommon keys: what the
    // tool writes of it is stable from the first writing on, and nothing read
    // was recomputed on the way.
    const std::string written = Save(Observer(), "written.nvs");
    EXPECT_TRUE(Save("--settings " + Quoted("written.nvs"), "rewritten.nvs") == written);
    EXPECT_NE(written.find(Bar("|<Description>|Winter evening, the Pleiades|Second line|"
                               "</Description>|",
                               "\r\n")),
              std::string::npos);
    ExpectLines(written,
                "ViewerSiteName=Kitt Peak|JulianDate=2461390.708333|TimeZone=-7.0|"
                "PrecessionEpoch=1950.0|Precession=0|PlanetComputation=VSOP87|"
                "ChartProjection=Spherical|ChartCoordinateSystem=Equatorial|"
                "ChartCenterLongitude=56.750000|ChartCenterLatitude=+24.120000|"
                "ChartFieldWidth=20.000000|FaintestStarMagnitude=+8.00|StarColor=255,128,000|"
                "ChartWindowsFont=DejaVu Sans,11,Bold,Italic|"
                "TelescopeUpdatesPerSec=8|" // a key after a trail block
                "ChartScrollRate=36.000");  // left out: the shipped default's value
    EXPECT_NE(written.find(Bar("|</Settings>||<Trail>|TrailObject=Mars|TrailType=InSpace|"
                               "TrailPoints=120|",
                               "\r\n")),
              std::string::npos);
    EXPECT_NE(
        written.find(Bar("|<Trail>|TrailObject=Jupiter|TrailType=InSky|TrailPoints=30|", "\r\n")),
        std::string::npos);
}

TEST_F(ToolSettings, OptionsWinOverTheFileWhereverTheyStand) {
    // The zone given before --settings still wins, and the date is read in
    // it: 2026 Dec 24 20:00 at UT+3 is 17:00 UT. A site replaces the file's
    // named place, and so wide a field needs the Lambert projection.
    ExpectLines(Save("--zone 3 " + Observer() +
                         "--date '2026/12/24 20:00:00' --site 5,45 --frame Horizon --field 200 "
                         "--sky Color",
                     "changed.nvs"),
                "TimeZone=+3.0|JulianDate=2461399.208333|ViewerLongitude=+005.000000|"
                "ViewerLatitude=+45.000000|ViewerAltitude=0.0|ViewerSiteName=|"
                "ChartCoordinateSystem=Horizon|ChartFieldWidth=200.000000|"
                "ChartProjection=Lambert|SkyBackground=Color|"
                "PrecessionEpoch=1950.0|ChartCenterLongitude=56.750000|"
                "FaintestStarMagnitude=+8.00"); // what no option touched
    // --date in the file's own zone (UT-7) when no --zone is given; an epoch
    // given moves the file's fixed one.
    ExpectLines(Save(Observer() + "--date '2026/12/24 20:00:00' --epoch 2000", "local.nvs"),
                "JulianDate=2461399.625000|TimeZone=-7.0|PrecessionEpoch=2000.0");
}

TEST_F(ToolSettings, DefaultFileOfTheProgramDirectoryIsReadFirst) {
    const std::string program = Path("program");
    ASSERT_TRUE(fs::create_directory(program));
    WriteFile(Path("Stars.txt"), "S1\t2000\t6 45 9\t-16 43 0\t\t\t-1.5\t\t\t\t\tHR2491\r\n");
    ToolRun import = Tool("--program-dir '" + program + "' import " + Quoted("Stars.txt"));
    ASSERT_EQ(import.status, 0) << import.err;
    WriteFile(program + "/Norvane.ini",
              Bar("<NorvaneSettingsFile>|FileVersion=3.1.1|<Settings>|ViewerSiteName=Home|"
                  "TimeZone=+5.5|ChartFieldWidth=90.000000|JulianDate=2451545.000000|</Settings>|",
                  "\r\n"));
    const std::string plain = Save("", "plain.nvs", program);
    ExpectLines(plain, "ViewerSiteName=Home|TimeZone=+5.5|ChartFieldWidth=90.000000");
    EXPECT_EQ(plain.find("JulianDate=2451545.000000"), std::string::npos)
        << "the time is now, as at start-up";
    EXPECT_EQ(plain.find("<Description>"), std::string::npos);

    // The --settings file over the default one, with its own instant.
    WriteFile(Path("other.nvs"),
              "<NorvaneSettingsFile>\n\n<Settings>\nTimeZone=-3.0\nJulianDate=2451000.500000\n");
    ExpectLines(Save("--settings " + Quoted("other.nvs"), "other-out.nvs", program),
                "ViewerSiteName=Home|TimeZone=-3.0|JulianDate=2451000.500000");
}

TEST_F(ToolSettings, FilesThatCantBeReadWriteNothing) {
    WriteFile(Path("picture.nvs"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    for (const char* name : {"absent.nvs", "picture.nvs"})
        for (const std::string& command :
             {"settings --out " + Quoted("out.nvs"), "render --out " + Quoted("x.png"),
              std::string("info Sirius")}) {
            ToolRun run = Shipped("--settings " + Quoted(name) + " " + command);
            EXPECT_EQ(run.status, 1) << name << " " << command;
            EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
        }
    EXPECT_EQ(Entries(), 2u) << "no file written";

    ToolRun nowhere = Shipped("settings --out " + Quoted("no/such/dir/out.nvs"));
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.err, "");

    // An unknown viewer body is said (message 523) and the rest is read on; a
    // file without its end is said to be cut short.
    WriteFile(Path("unknown.nvs"), "<NorvaneSettingsFile>\r\n\r\n<Settings>\r\nTimeZone=+1.0\r\n"
                                   "ViewerObject=Planet Nine\r\nChartFieldWidth=10.0\r\n");
    ToolRun unknown =
        Shipped("--settings " + Quoted("unknown.nvs") + " settings --out " + Quoted("out.nvs"));
    EXPECT_EQ(unknown.status, 0) << unknown.err;
    EXPECT_NE(unknown.err.find("Planet Nine"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("ends early"), std::string::npos) << unknown.err;
    ExpectLines(ReadFile(Path("out.nvs")), "TimeZone=+1.0|ChartFieldWidth=10.000000");
}

TEST_F(ToolSettings, RenderAndInfoUseTheSettings) {
    // A 20-degree field on the Pleiades on a winter night (22h local), as the
    // file keeps it, without its font, which no option sets (the legend's
    // size decides a few stars).
    std::string file = kObserverFile;
    const std::string font = "ChartWindowsFont=DejaVu Sans,11,Bold,Italic\n";
    ASSERT_NE(file.find(font), std::string::npos);
    WriteFile(Path("observer.nvs"), file.erase(file.find(font), font.size()));
    ToolRun byFile = Shipped(Observer() + "render --size 1200x800 --out " + Quoted("file.png"));
    ASSERT_EQ(byFile.status, 0) << byFile.err;
    // The same view by options over the shipped defaults draws the same (the
    // trails' names may have loaded a file more).
    ToolRun byOptions = Shipped(
        "--jd 2461390.708333 --site -111.6,31.958333,2096 --zone -7 --planets VSOP87 --epoch 1950 "
        "--nutation --aberration --frame Equatorial --projection Spherical --center 56.75,24.12 "
        "--field 20 --grid --faintest 8 render --size 1200x800 --out " +
        Quoted("options.png"));
    ASSERT_EQ(byOptions.status, 0) << byOptions.err;
    EXPECT_EQ(byOptions.out.rfind(byFile.out.substr(0, byFile.out.find(';')), 0), 0u)
        << byFile.out << byOptions.out;
    // Hundreds of stars to magnitude 8 in twenty degrees, far fewer than the
    // shipped default's half sky to 5.5 would give, and M45 among the nebulae.
    long stars = 0, deepSky = 0, widerStars = 0;
    ASSERT_EQ(std::sscanf(byFile.out.c_str(), "%ld stars, %ld deep-sky", &stars, &deepSky), 2);
    EXPECT_GT(stars, 200);
    EXPECT_LT(stars, 3000);
    EXPECT_GE(deepSky, 1);
    // A view option over the file's: a wider field draws more.
    ToolRun wider =
        Shipped(Observer() + "--field 40 render --size 1200x800 --out " + Quoted("wider.png"));
    ASSERT_EQ(std::sscanf(wider.out.c_str(), "%ld stars", &widerStars), 1) << wider.out;
    EXPECT_GT(widerStars, stars);

    // Info's last two lines are in the file's Equatorial system, at its equinox.
    ToolRun info = Shipped(Observer() + "info Sirius");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("R.A. (1950.0)"), std::string::npos) << info.out;
}

} // namespace
