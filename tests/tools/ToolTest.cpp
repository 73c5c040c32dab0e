// norvane-tool as scripts use it: each command run once, its exit status and
// error lines, the files it writes or leaves alone, and references proving that
// the options reach the computation.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string out, err;
};

std::string ReadFile(const std::string& path) {
    return std::string(
        std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs the tool with `arguments` (already quoted for the shell). Each test
// process has files of its own for the output, since tests run in parallel.
ToolRun Tool(const std::string& arguments) {
    const std::string out = testing::TempDir() + "norvane-tool-" + std::to_string(getpid());
    const int status =
        std::system((NORVANE_TOOL " " + arguments + " >" + out + ".out 2>" + out + ".err").c_str());
    ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out + ".out"),
                ReadFile(out + ".err")};
    fs::remove(out + ".out");
    fs::remove(out + ".err");
    return run;
}

// The tool over a program directory with the default database the build made
// and the shipped default settings, whatever a default the program saved into
// the build's own directory may say. Made once per test process.
ToolRun Shipped(const std::string& arguments) {
    static const fs::path dir = testing::TempDir() + "norvane-program-" + std::to_string(getpid());
    if (!fs::exists(dir / "Norvane.ini")) {
        fs::create_directories(dir);
        fs::create_directory_symlink(fs::path(NORVANE_PROGRAM_DIR) / "Database", dir / "Database");
        fs::copy_file(fs::path(NORVANE_SOURCE_DIR) / "data/Norvane.ini", dir / "Norvane.ini");
        std::atexit([] { fs::remove_all(dir); });
    }
    return Tool("--program-dir '" + dir.string() + "' " + arguments);
}

// "a|b|c" as its parts.
std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, '|');)
        parts.push_back(part);
    return parts;
}

// A test with a scratch directory of its own, removed afterwards.
class ToolTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-tool-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::string Quoted(const std::string& name) const { return "'" + Path(name) + "'"; }
    ToolRun Run(const std::string& arguments, const std::string& program = "") {
        return Tool("--program-dir '" + (program.empty() ? dir : program) + "' " + arguments);
    }
    std::size_t Entries() const {
        return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    }
    std::string Settings(const std::string& name) const {
        return "--settings " + Quoted(name) + " ";
    }
    // As --settings, a file with LF line ends and a place and view unlike the defaults.
    std::string Observer() {
        WriteFile(Path("observer.nvs"),
                  "<NorvaneSettingsFile>\n\n<Settings>\nViewerSiteName=Kitt Peak\nTimeZone=-7.0\n"
                  "Precession=0\nPrecessionEpoch=1950.0\nChartProjection=Spherical\n"
                  "ChartCoordinateSystem=Equatorial\nChartCenterLongitude=56.75\n"
                  "FaintestStarMagnitude=+8.00\n</Settings>\n</NorvaneSettingsFile>\n");
        return Settings("observer.nvs");
    }
    // Checks that each "Key=value" of "a|b" ("!Key=value": not) is a whole line
    // of the settings the arguments describe, as `settings --out` writes them.
    void ExpectSaved(const std::string& arguments, const std::string& lines,
                     const std::string& program = "") {
        const std::string out = " settings --out " + Quoted("out.nvs");
        ToolRun run = program.empty() ? Shipped(arguments + out) : Run(arguments + out, program);
        EXPECT_EQ(run.status, 0) << arguments << "\n" << run.err;
        const std::string text = ReadFile(Path("out.nvs"));
        for (const std::string& line : Split(lines)) {
            const bool absent = line[0] == '!';
            EXPECT_EQ(text.find("\r\n" + line.substr(absent) + "\r\n") == std::string::npos, absent)
                << line;
        }
    }
    std::string dir;
};

TEST(Tool, DatesInZonesAndCalendars) {
    // Zone and calendar shape the text; the instant stays the same.
    for (auto [arguments, out] :
         {std::pair{"--zone 10 jd \"2000/01/01 22:00:00\"", "2451545.000000\n"},
          {"--zone -5.5 date 2451545", "2000/01/01 06:30:00\n"},
          {"--calendar Julian date 1842713", "333/01/27 12:00:00\n"}}) {
        ToolRun run = Tool(arguments);
        EXPECT_EQ(run.status, 0) << arguments << run.err;
        EXPECT_EQ(run.out, out) << arguments;
    }
    EXPECT_NE(Tool("--help").out.find("convert --from FRAME --to FRAME LON LAT"),
              std::string::npos);
}

TEST(Tool, ConvertsBetweenFrames) {
    const struct {
        const char* arguments;
        double lon, lat, tolerance; // lon NaN: not checked
    } cases[] = {
        // The galactic north pole in B1950 coordinates.
        {"--epoch 1950 convert --from Equatorial --to Galactic 192.25 27.4", NAN, 90, 1e-4},
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
        ToolRun run = Tool(c.arguments);
        double lon = NAN, lat = NAN;
        EXPECT_EQ(run.status, 0) << c.arguments << run.err;
        EXPECT_EQ(std::sscanf(run.out.c_str(), "%lf %lf", &lon, &lat), 2) << run.out;
        if (!std::isnan(c.lon)) {
            EXPECT_NEAR(std::remainder(lon - c.lon, 360.0), 0.0, c.tolerance) << c.arguments;
        }
        EXPECT_NEAR(lat, c.lat, c.tolerance) << c.arguments;
    }
}

// Usage errors: status 2, nothing printed, one line that names the tool, and
// no file written.
TEST_F(ToolTest, UsageErrorsSayOneLineAndExitTwo) {
    // "@" stands for a file in the test's directory.
    const std::string cases =
        "|frobnicate|--bogus date 2451545|date 2451545 extra|--zone 30 date 2451545|"
        "--calendar Islamic date 2451545|--program-dir|convert --from Polar --to Galactic 10 20|"
        "convert --from Equatorial --to Galactic 10 95|settings|info|render --out @.jpg|"
        "render --out @.png --size 20000x10|render --out @.png --sky Grey|"
        "render --out @.png --center 1,95|render --out @.png --faintest bright|pick 10|pick 1 2.5|"
        "telescope --device @ --mount Dobson position|telescope --device @ --mount BBox move up|"
        // a site without an instant, an instant without a site, a latitude past the pole
        "--site 0,50 convert --from Equatorial --to Horizon 10 20|"
        "--jd 2451545 convert --from Equatorial --to Horizon 10 20|"
        "--jd 2451545 --site 10,91 convert --from Equatorial --to Horizon 10 20";
    for (std::string arguments : Split(cases)) {
        if (arguments.find('@') != std::string::npos)
            arguments.replace(arguments.find('@'), 1, Path("x"));
        ToolRun run = Shipped(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_EQ(run.err.rfind("norvane-tool: ", 0), 0u) << arguments << ": " << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << arguments << ": " << run.err;
    }
    EXPECT_EQ(Entries(), 0u) << "a usage error wrote a file";
}

TEST_F(ToolTest, DatabaseCommandsOnADatabaseOfItsOwn) {
    for (const char* command : {"find Sirius", "files", "stats"})
        EXPECT_NE(Run(command).err.find("no database"), std::string::npos) << command;
    EXPECT_NE(
        Run("import " + Quoted("Nowhere.txt")).err.find("can't open the file \"Nowhere.txt\""),
        std::string::npos);
    WriteFile(Path("Stars.txt"),
              "S1\t2000.0\t06 45 08.9\t-16 42 58\t-0.0379\t-1.223\t-1.46\t0.00\t-7.6\t2.64\t\t"
              "Sirius; $a CMa; HR2491\r\n"
              "S3\t2000.0\t02 31 49.1\t+89 15 51\t0.2300\t-0.012\t1.86-2.13\t0.60\t-17\t133\t\t"
              "Polaris; $a UMi; HR424\r\n"
              "S15\t2000.0\t00 42 44.3\t+41 16 09\t\t\t3.44\t\t\t\t189\tAndromeda Galaxy; M31\r\n");
    ToolRun import = Run("import " + Quoted("Stars.txt"));
    EXPECT_EQ(std::to_string(import.status) + import.out + import.err, "0Stars.nvd\t3\n");
    // Object IDs: file 2 (the custom file is file 1), object n: 2 << 14 | n.
    // Words match within a name part; --exact wants the whole part.
    // Greek letters go out in UTF-8 and come in written out or in Greek.
    const std::string m31 = "32771\tGalaxy\tAndromeda Galaxy; M31\n";
    const std::string sirius = "32769\tSingle star\tSirius; \xCE\xB1 CMa; HR2491\n";
    const std::string polaris = "32770\tVariable star\tPolaris; \xCE\xB1 UMi; HR424\n";
    for (auto [arguments, out] : {std::pair<std::string, std::string>{"find Andromeda", m31},
                                  {"--exact find Andromeda", ""},
                                  {"--exact find 'andromeda galaxy'", m31},
                                  {"--case --exact find 'andromeda galaxy'", ""},
                                  {"--all find HR", sirius + polaris},
                                  {"find 'Alpha Canis Majoris'", sirius},
                                  {"--exact find '\xCE\xB1 umi'", polaris}}) {
        ToolRun run = Run(arguments);
        EXPECT_EQ(run.status, out.empty() ? 1 : 0) << arguments;
        EXPECT_EQ(run.out, out) << arguments;
        EXPECT_EQ(run.err, out.empty() ? "No matching object found!\n" : "") << arguments;
    }
    EXPECT_NE(Run("files").out.find("\n2\tStars.nvd\t0\t1\t2\t0\t0\t-1.46\t3.44\t"),
              std::string::npos);
    EXPECT_NE(Run("stats").out.find("\nbright stars (HR)\t2\n"), std::string::npos);
    // Importing again: the default answer to "replace the existing file?" is
    // no, so a new name; --replace replaces.
    EXPECT_EQ(Run("import " + Quoted("Stars.txt")).out, "Stars1.nvd\t3\n");
    EXPECT_EQ(Run("--replace import " + Quoted("Stars.txt")).out, "Stars.nvd\t3\n");
}

TEST(DefaultDatabase, HoldsTheCatalogues) {
    // One object of each catalogue, by whole name: a word such as "Moon" also
    // stands in nebulae's names.
    for (auto [query, found] : {std::pair{"Sirius", "Multiple star\tSirius; \xCE\xB1 CMa"},
                                {"NGC7000", "Diffuse nebula\tNorth America"},
                                {"Moon", "Earth's moon\tMoon"},
                                {"Io", "Io\tIo"},
                                {"1P/Halley", "Comet\t1P/Halley"},
                                {"1 Ceres", "Asteroid\t1 Ceres"}}) {
        ToolRun run = Shipped(std::string("--exact find '") + query + "'");
        EXPECT_EQ(run.out.find(std::string("\t") + found), run.out.find('\t')) << run.out;
    }
    // The Bright Star Catalogue's 9096 stars, and the catalogues no name above
    // finds: over 100 000 other stars, thousands of figure lines, hundreds of sites.
    const std::string stats = "\n" + Shipped("stats").out;
    for (const char* count : {"\nbright stars \\(HR\\)\t9096\n", "\nother stars\t[1-9][0-9]{5,}\n",
                              "\nlines\t[1-9][0-9]{3,}\n", "\nsites\t[1-9][0-9]{2,}\n"})
        EXPECT_TRUE(std::regex_search(stats, std::regex(count))) << count << stats;
}

// Object Info: the display name and controls 7 to 21, one line each.

enum InfoLine { kName, kRA = 2, kDistance = 4, kRise = 7, kSet };
constexpr std::size_t kFrameLat = 15;

TEST_F(ToolTest, InfoLinesOfRealObjects) {
    const std::string sirius = "Sirius --jd 2451545.0 --site 0,51.5 --zone 0 --frame Equatorial";
    const struct {
        std::string arguments;
        std::size_t line;
        std::string prefix;
        double value = NAN, tolerance = 0; // the number after the prefix ("hh:mm" as hours)
    } cases[] = {
        // astronomy-engine puts the geometric rising at 19:30:45 and the
        // setting at 04:35:53 (UT, 51.48 N) that day.
        {sirius, kRise, "Rises at: ", 19 + 31 / 60.0, 0.05},
        {sirius, kSet, "Sets at: ", 4 + 36 / 60.0, 0.05},
        // On 2000 January 1 Jupiter stood in Aries, R.A. 1h 36m, 4.6 AU away.
        {"Jupiter --planets Elements --jd 2451545.0", kDistance, "Distance (AU): 4.6"},
        {"'hr2491' --jd 2451545.0 --frame Galactic", kFrameLat, "Galactic Lat: -08."},
        {"Ceres --jd 2451545.0", kName, "1 Ceres"}, // as find finds it
        // A satellite's events come from its orbit: TERRA's altitude (this
        // Altitude line) crosses 0 at 08:57:29 and 09:05:40 that morning at
        // Mount Wilson; it used to show "24:00" and "00:00". A geostationary
        // satellite over China never rises there.
        {"TERRA --date '2018/01/20 09:00:00' --zone -8", kRise, "Rises at: ", 8 + 57 / 60.0, 0.02},
        {"TERRA --date '2018/01/20 09:00:00' --zone -8", kSet, "Sets at: ", 9 + 5 / 60.0, 0.02},
        {"'FENGYUN 4A' --date '2018/01/20 09:00:00' --zone -8", kRise, "Rises at: (doesn't rise)"},
        // Names come in and go out as UTF-8, the catalogue's sites being Windows-1252.
        {"'S\xC3\xA3o Paulo, Brazil' --jd 2451545.0", kName, "S\xC3\xA3o Paulo, Brazil"},
        // With the equinox held at 1950.0 the J2000 place is precessed back
        // to it: 6h 42m 55s; a settings file's frame and equinox are used.
        {"Sirius --jd 2451545.0 --epoch 1950", kRA, "R.A. (1950.0): 06h 42m 5"},
        {Observer() + "Sirius", kFrameLat, "Dec. (1950.0): "},
    };
    for (const auto& c : cases) {
        ToolRun run = Shipped("info " + c.arguments);
        std::istringstream in(run.out);
        std::string line;
        for (std::size_t i = 0; i <= c.line; ++i)
            std::getline(in, line);
        EXPECT_EQ(line.rfind(c.prefix, 0), 0u) << c.arguments << ": " << run.out << run.err;
        if (std::isnan(c.value) || line.size() < c.prefix.size()) continue;
        int h = 0, m = 0;
        const char* at = line.c_str() + c.prefix.size();
        const double value = std::sscanf(at, "%d:%d", &h, &m) == 2 ? h + m / 60.0 : std::atof(at);
        EXPECT_NEAR(value, c.value, c.tolerance) << line;
    }
}

// The 2020 great conjunction from Mount Wilson: the Swiss Ephemeris (JPL
// DE431; tools/reference/conjunction-swe.c) puts the minimum at 18:18 UT,
// 0.1019°, and the 2021 maximum on July 11 near 08h (a flat one), 19.756°.
// (astronomy-engine's geocentric minimum, 18:27, is 6 minutes off its own
// JPL figure, 18:21: its Saturn is 8" off.) Refined to 0.001 day, the
// answer hardly depends on the step.
TEST(ToolSearch, ConjunctionsAndOppositionsBetweenTwoDates) {
    const std::string jupiterSaturn =
        "--zone 0 --planets VSOP87 --light-time --aberration search Jupiter Saturn ";
    const std::pair<std::string, std::string> cases[] = {
        {"--from 2020/12/1 --to 2020/12/31", "2020/12/21 18:1.:..\t0[.]10..\nSearch complete[.]\n"},
        {"--from 2020/12/1 --to 2020/12/31 --step 0.25",
         "2020/12/21 18:1.:..\t0[.]10..\nSearch complete[.]\n"},
        {"--from 2021/1/1 --to 2021/12/31 --farthest",
         "2021/07/11 0.:..:..\t19[.]75..\n(.*\n)?Search complete[.]\n"},
        {"--from 2020/12/22 --to 2021/1/20", "Search complete[.]\n"}};
    for (const auto& [range, out] : cases) {
        ToolRun run = Shipped(jupiterSaturn + range);
        EXPECT_EQ(run.status, 0) << range << run.err;
        EXPECT_TRUE(std::regex_match(run.out, std::regex(out))) << range << ": " << run.out;
    }
    ToolRun backwards = Shipped(jupiterSaturn + "--from 2021/1/1 --to 2020/1/1");
    EXPECT_EQ(backwards.status, 1);
    EXPECT_NE(backwards.err.find("starts after it ends"), std::string::npos);
}

// 1999 December 31, 21h UT, 51.5 N on the Greenwich meridian: the Pleiades near the meridian.
const std::string kNight = "--jd 2451544.375 --site 0,51.5 ";

// Renders and reads the one line of counts: stars, deep-sky objects, bodies
// drawn and files loaded.
std::array<long, 4> Render(const std::string& arguments) {
    ToolRun run = Shipped(arguments + " render");
    std::array<long, 4> n{-1, -1, -1, -1};
    EXPECT_EQ(run.err, "") << arguments;
    const char* format = "%ld stars, %ld deep-sky objects, %ld bodies drawn; %ld files loaded\n";
    EXPECT_EQ(std::sscanf(run.out.c_str(), format, &n[0], &n[1], &n[2], &n[3]), 4) << run.out;
    return n;
}

TEST_F(ToolTest, RendersWhatTheOptionsAsk) {
    // Half the sky is above the horizon: thousands of stars to magnitude 9,
    // hundreds of deep-sky objects, and a few of the Sun's family (the Sun
    // itself is down), in a picture of the asked size.
    auto whole = Render(kNight +
                        "--frame Equatorial --projection Mollweide --field 360 --grid "
                        "--faintest 9 --size 320x200 --out " +
                        Quoted("a.svg"));
    EXPECT_NE(ReadFile(Path("a.svg")).find("viewBox=\"0 0 320 200\""), std::string::npos);
    EXPECT_GT(whole[0], 5000);
    EXPECT_GT(whole[1], 50);
    EXPECT_TRUE(whole[2] >= 1 && whole[2] < 200) << whole[2];
    // A two-degree field on the Pleiades: the cluster's six brightest members
    // and M45 itself, and only the star files around it loaded.
    auto pleiades = Render(kNight + "--frame Equatorial --center 56.75,24.12 --field 2 " +
                           "--faintest 9 --size 200x150 --out " + Quoted("a.PNG"));
    EXPECT_GE(pleiades[0], 6);
    EXPECT_GE(pleiades[1], 1);
    EXPECT_GT(whole[3], pleiades[3] + 10) << "the whole sky loads most star files";
    // The same drawing as a metafile and a PDF: the same objects drawn.
    const std::string small = kNight + "--size 200x150 --out ";
    const auto counts = Render(small + Quoted("b.bmp"));
    for (auto [name, magic] : {std::pair{"a.wmf", "\xD7\xCD\xC6\x9A"}, {"a.pdf", "%PDF-"}}) {
        EXPECT_EQ(Render(small + Quoted(name)), counts) << name;
        EXPECT_TRUE(ReadFile(Path(name)).starts_with(magic)) << name;
    }
    EXPECT_EQ(Entries(), 5u) << "no temporary files left beside the pictures";
}

// Every tenth day of 2025 at Mount Wilson: 37 rows, each at the place info
// gives for that instant.
TEST_F(ToolTest, EphemerisRowsAreWhereInfoPutsTheObject) {
    const std::string where = "--site -118.06,34.22 --zone -8 ";
    ASSERT_EQ(Shipped(where + "ephemeris Mars --from 2025/1/1 --to 2025/12/31 --step 10 --out " +
                      Quoted("mars.eph"))
                  .status,
              0);
    const std::string text = ReadFile(Path("mars.eph"));
    const std::regex row("\r\n 2025/");
    EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), row), {}), 37);
    for (const char* date : {"2025/01/01 00:00:00", "2025/12/27 00:00:00"}) {
        std::smatch m;
        const std::string info = Shipped(where + "--date '" + date + "' info Mars").out;
        ASSERT_TRUE(std::regex_search(info, m, std::regex("R.A. .*: (..)h (..)m (.....)s")));
        EXPECT_NE(text.find(std::string(date) + "\t    " + m.str(1) + " " + m.str(2) + " " +
                            m.str(3) + "\t"),
                  std::string::npos)
            << info;
    }
}

// pick finds what render draws where it draws it: Sirius at the centre of a
// chart centred on it (no legend below), and nothing a point star's 4 pixels
// beside it.
TEST_F(ToolTest, PicksTheObjectUnderAPixel) {
    WriteFile(Path("bare.nvs"), "<NorvaneSettingsFile>\n\n<Settings>\nShowChartLegend=0\n"
                                "</Settings>\n</NorvaneSettingsFile>\n");
    const std::string chart = Settings("bare.nvs") + kNight +
                              "--frame Equatorial --center 101.287,-16.716 --field 4 --size "
                              "200x150 pick ";
    ToolRun sirius = Shipped(chart + "100 75");
    EXPECT_EQ(sirius.status, 0) << sirius.err;
    EXPECT_NE(sirius.out.find("\tSirius; \xCE\xB1 CMa;"), std::string::npos) << sirius.out;
    ToolRun beside = Shipped(chart + "104 75");
    EXPECT_EQ(beside.status, 1);
    EXPECT_EQ(beside.out + beside.err, "No matching object found!\n");
}

TEST_F(ToolTest, OptionsWinOverTheFileWhereverTheyStand) {
    // Read over the shipped defaults; the zone given before --settings still
    // wins, and the date is read in it: 2026 Dec 24 20:00 at UT+3 is 17:00 UT.
    // A site replaces the file's named place; so wide a field needs Lambert.
    ExpectSaved("--zone 3 " + Observer() +
                    "--date '2026/12/24 20:00:00' --site 5,45 --frame Horizon --field 200 "
                    "--sky Color",
                "TimeZone=+3.0|JulianDate=2461399.208333|ViewerLongitude=+005.000000|"
                "ViewerLatitude=+45.000000|ViewerAltitude=0.0|ViewerSiteName=|"
                "ChartCoordinateSystem=Horizon|ChartFieldWidth=200.000000|"
                "ChartProjection=Lambert|SkyBackground=Color|"
                "PrecessionEpoch=1950.0|ChartCenterLongitude=56.750000|"
                "FaintestStarMagnitude=+8.00"); // what no option touched
    // --date in the file's own zone (UT-7) when no --zone is given; an epoch
    // given moves the file's fixed one.
    ExpectSaved(Observer() + "--date '2026/12/24 20:00:00' --epoch 2000",
                "JulianDate=2461399.625000|TimeZone=-7.0|PrecessionEpoch=2000.0");
    // Another sky frame starts at its origin (the horizon's centre meant
    // nothing there); the settings' own frame keeps its centre.
    ExpectSaved("--frame Galactic --no-mask",
                "ChartCoordinateSystem=Galactic|"
                "ChartCenterLongitude=0.000000|ChartCenterLatitude=+0.000000|ShowHorizonMask=0");
    ExpectSaved(Observer() + "--frame Equatorial", "ChartCenterLongitude=56.750000");
}

TEST_F(ToolTest, DefaultFileOfTheProgramDirectoryIsReadFirst) {
    const std::string program = Path("program");
    ASSERT_TRUE(fs::create_directory(program));
    WriteFile(Path("Stars.txt"), "S1\t2000\t6 45 9\t-16 43 0\t\t\t-1.5\t\t\t\t\tHR2491\r\n");
    ASSERT_EQ(Run("import " + Quoted("Stars.txt"), program).status, 0);
    WriteFile(program + "/Norvane.ini", "<NorvaneSettingsFile>\r\n\r\n<Settings>\r\n"
                                        "ViewerSiteName=Home\r\nJulianDate=2451545.000000\r\n");
    ExpectSaved("", "ViewerSiteName=Home|!JulianDate=2451545.000000", program); // time is now
}

// A picture or settings file that can't be written, settings that can't be read, an object
// not found: status 1, nothing printed, the file or name said, and nothing left behind.
TEST_F(ToolTest, FailuresExitOneAndWriteNothing) {
    ASSERT_TRUE(fs::create_directory(Path("taken.png")));
    WriteFile(Path("picture.nvs"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    for (auto [arguments, name] :
         {std::pair{kNight + "render --size 64x48 --out " + Quoted("taken.png"), "taken.png"},
          {"render --out " + Quoted("missing/x.svg"), "x.svg"},
          {Settings("absent.nvs") + "info Sirius", "absent.nvs"},
          {Settings("picture.nvs") + "render --out " + Quoted("x.png"), "picture.nvs"},
          {"settings --out " + Quoted("no/dir/out.nvs"), "out.nvs"},
          // An unknown name, or viewer.
          {"info Vulcan", "\"Vulcan\""},
          {"info Sirius --viewer Vulcan", "\"Vulcan\""},
          {"ephemeris Vulcan --from 2025/1/1 --to 2025/2/1 --out " + Quoted("x.eph"), "\"Vulcan\""},
          {"ephemeris Mars --from 2025/x/1 --to 2025/2/1 --out " + Quoted("x.eph"), "2025/x/1"},
          {"ephemeris Mars --from 2025/1/1 --to 2025/2/1 --out " + Quoted("no/x.eph"), "x.eph"}}) {
        ToolRun run = Shipped(arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
    }
    EXPECT_TRUE(fs::is_empty(Path("taken.png")));
    EXPECT_EQ(Entries(), 2u) << "no file written, no temporary file left";
}

TEST_F(ToolTest, NewObjectStoresOneLineOrSaysWhyNot) {
    const struct {
        const char* line;
        int status;
        const char *out, *err;
    } cases[] = {
        {"S01\t2000.0\t05 35 17.3\t-05 23 28\t\t\t4.0\t\t\t\t\tMy Star", 0, "16385\n", ""},
        {"S01\t2000.0\t25 00 00\t-05 23 28\t\t\t4.0\t\t\t\t\tBad", 1, "", "right ascension"},
        {"S01\t2000.0\t05 35 17\t-05 23 28\t\t\t4.0x\t\t\t\t\tBad", 1, "", "magnitude"},
        {"L\t10\t50\t0\t1\tSite", 1, "", "only lines of kind S"},
        {"S01\t2000.0\t05 35 17\t-05 23 28\t\t\t\t\t\t\t\tB\xC4\x93", 1, "", "Windows-1252"}};
    for (const auto& c : cases) {
        ToolRun run = Run(std::string("new-object '") + c.line + "'");
        EXPECT_EQ(run.status, c.status) << c.line << run.err;
        EXPECT_EQ(run.out, c.out) << c.line;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
    EXPECT_EQ(Run("find 'My Star'").out, "16385\tSingle star\tMy Star\n");
}

} // namespace
