// norvane-tool's settings: --settings read after the default file and before
// the other options, `settings --out` writing what File > Save Settings
// writes, the round trip between them byte for byte, and render drawing the
// view a settings file describes.

#include "tests/tools/ToolRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// The value of "Key=" in a written file ("" when the key isn't there; a key
// written empty reads as "" too, so tests of empty values look at Has).
std::string Value(const std::string& text, const std::string& key) {
    std::string marker = "\r\n" + key + "=";
    std::size_t at = text.find(marker);
    if (at == std::string::npos) return "";
    at += marker.size();
    return text.substr(at, text.find("\r\n", at) - at);
}

bool Has(const std::string& text, const std::string& line) {
    return text.find("\r\n" + line + "\r\n") != std::string::npos;
}

// A settings file as a user would keep one: a description, a place, an
// instant and a view unlike the defaults, the Moon as the viewer's body and
// two trails, one inside the section and one after it; LF line ends, and no
// EndOfSettings.
const char* const kObserverFile =
    "<NorvaneSettingsFile>\n"
    "FileVersion=3.1.1\n"
    "\n"
    "<Description>\n"
    "Winter evening, the Pleiades\n"
    "Second line\n"
    "</Description>\n"
    "\n"
    "<Settings>\n"
    "ViewerSiteName=Kitt Peak\n"
    "ViewerLongitude=-111.600000\n"
    "ViewerLatitude=+31.958333\n"
    "ViewerAltitude=2096.0\n"
    "TimeZone=-7.0\n"
    "JulianDate=2461390.708333\n"
    "CalendarSystem=Gregorian\n"
    "DaylightSavingsTime=0\n"
    "PlanetComputation=VSOP87\n"
    "Precession=0\n"
    "PrecessionEpoch=1950.0\n"
    "Nutation=1\n"
    "Aberration=1\n"
    "ChartProjection=Spherical\n"
    "ChartCoordinateSystem=Equatorial\n"
    "ChartCenterLongitude=56.750000\n"
    "ChartCenterLatitude=+24.120000\n"
    "ChartFieldWidth=20.000000\n"
    "ShowGridLines=1\n"
    "FaintestStarMagnitude=+8.00\n"
    "StarColor=255,128,000\n"
    "ChartWindowsFont=DejaVu Sans,11,Bold,Italic\n"
    "AnimationTimeStep=0.041667\n"
    "<Trail>\n"
    "TrailObject=Mars\n"
    "TrailType=InSpace\n"
    "TrailPoints=120\n"
    "TrailTicksInterval=5\n"
    "TrailDatesInterval=10\n"
    "</Trail>\n"
    "TelescopeUpdatesPerSec=8\n"
    "</Settings>\n"
    "<Trail>\n"
    "TrailObject=Jupiter\n"
    "TrailType=InSky\n"
    "TrailPoints=30\n"
    "</Trail>\n"
    "</NorvaneSettingsFile>\n";

class ToolSettings : public ScratchDirTest {
protected:
    // The tool over the default database and its shipped default settings.
    static ToolRun Run(const std::string& arguments) {
        return Tool("--program-dir '" + ShippedProgramDir() + "' " + arguments);
    }
    // Writes the settings the arguments describe; the file's bytes, or "".
    std::string Save(const std::string& arguments, const std::string& name) {
        ToolRun run = Run(arguments + " settings --out '" + Path(name) + "'");
        EXPECT_EQ(run.status, 0) << arguments << "\n" << run.err;
        EXPECT_EQ(run.out, "");
        return ReadFile(Path(name));
    }
};

TEST_F(ToolSettings, WrittenFileReadBackWritesTheSameBytes) {
    // Settings the options made.
    const std::string first =
        Save("--jd 2461390.5 --site 10.5,-33.25,120 --zone 2 --frame Galactic --center 30,-10 "
             "--field 60 --faintest 7.2 --grid --labels --nutation --planets Elements",
             "first.nvs");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.rfind("<NorvaneSettingsFile>\r\nFileVersion=3.1.1\r\n", 0), 0u);
    EXPECT_EQ(first.find('\n'), first.find("\r\n") + 1) << "CR LF line ends";
    const std::string again = Save("--settings '" + Path("first.nvs") + "'", "again.nvs");
    EXPECT_TRUE(again == first) << again;

    // A user's file, with its description, trails and uncommon keys: what the
    // tool writes of it is stable from the first writing on.
    WriteFile(Path("observer.nvs"), kObserverFile);
    const std::string written = Save("--settings '" + Path("observer.nvs") + "'", "written.nvs");
    const std::string rewritten = Save("--settings '" + Path("written.nvs") + "'", "rewritten.nvs");
    EXPECT_TRUE(rewritten == written) << rewritten;

    // Nothing of what was read was recomputed on the way: the instant, the
    // fixed equinox, the view and the trails are the file's.
    EXPECT_NE(written.find("<Description>\r\nWinter evening, the Pleiades\r\nSecond line\r\n"
                           "</Description>\r\n"),
              std::string::npos)
        << "the description is kept";
    EXPECT_EQ(Value(written, "ViewerSiteName"), "Kitt Peak");
    EXPECT_EQ(Value(written, "JulianDate"), "2461390.708333");
    EXPECT_EQ(Value(written, "TimeZone"), "-7.0");
    EXPECT_EQ(Value(written, "PrecessionEpoch"), "1950.0");
    EXPECT_EQ(Value(written, "Precession"), "0");
    EXPECT_EQ(Value(written, "PlanetComputation"), "VSOP87");
    EXPECT_EQ(Value(written, "ChartProjection"), "Spherical");
    EXPECT_EQ(Value(written, "ChartCoordinateSystem"), "Equatorial");
    EXPECT_EQ(Value(written, "ChartCenterLongitude"), "56.750000");
    EXPECT_EQ(Value(written, "ChartCenterLatitude"), "+24.120000");
    EXPECT_EQ(Value(written, "ChartFieldWidth"), "20.000000");
    EXPECT_EQ(Value(written, "FaintestStarMagnitude"), "+8.00");
    EXPECT_EQ(Value(written, "StarColor"), "255,128,000");
    EXPECT_EQ(Value(written, "ChartWindowsFont"), "DejaVu Sans,11,Bold,Italic");
    EXPECT_EQ(Value(written, "TelescopeUpdatesPerSec"), "8") << "a key after a trail block";
    EXPECT_NE(written.find("</Settings>\r\n\r\n<Trail>\r\nTrailObject=Mars\r\nTrailType=InSpace\r\n"
                           "TrailPoints=120\r\n"),
              std::string::npos);
    EXPECT_NE(written.find("<Trail>\r\nTrailObject=Jupiter\r\nTrailType=InSky\r\nTrailPoints=30\r\n"),
              std::string::npos);
    // Keys the file left out keep the shipped default file's values.
    EXPECT_EQ(Value(written, "ChartScrollRate"), "36.000");
}

TEST_F(ToolSettings, OptionsWinOverTheFileWhereverTheyStand) {
    WriteFile(Path("observer.nvs"), kObserverFile);
    // The zone and calendar given before --settings still win, and the date
    // is read in them: 2026 Dec 24 20:00 at UT+3 is 17:00 UT.
    const std::string text =
        Save("--zone 3 --settings '" + Path("observer.nvs") +
                 "' --date '2026/12/24 20:00:00' --site 5,45 --frame Horizon --field 200 "
                 "--sky Color",
             "changed.nvs");
    EXPECT_EQ(Value(text, "TimeZone"), "+3.0");
    EXPECT_EQ(Value(text, "JulianDate"), "2461399.208333");
    EXPECT_EQ(Value(text, "ViewerLongitude"), "+005.000000");
    EXPECT_EQ(Value(text, "ViewerLatitude"), "+45.000000");
    EXPECT_EQ(Value(text, "ViewerAltitude"), "0.0");
    EXPECT_TRUE(Has(text, "ViewerSiteName=")) << "the file's name was of another place";
    EXPECT_EQ(Value(text, "ChartCoordinateSystem"), "Horizon");
    EXPECT_EQ(Value(text, "ChartFieldWidth"), "200.000000");
    EXPECT_EQ(Value(text, "ChartProjection"), "Lambert") << "what so wide a field needs";
    EXPECT_EQ(Value(text, "SkyBackground"), "Color");
    // What no option touched stays as the file has it.
    EXPECT_EQ(Value(text, "PrecessionEpoch"), "1950.0");
    EXPECT_EQ(Value(text, "ChartCenterLongitude"), "56.750000");
    EXPECT_EQ(Value(text, "FaintestStarMagnitude"), "+8.00");

    // --date in the file's own zone (UT-7) when no --zone is given.
    const std::string local = Save("--settings '" + Path("observer.nvs") +
                                       "' --date '2026/12/24 20:00:00'",
                                   "local.nvs");
    EXPECT_EQ(Value(local, "JulianDate"), "2461399.625000");
    EXPECT_EQ(Value(local, "TimeZone"), "-7.0");

    // A precession epoch given moves the file's fixed one.
    EXPECT_EQ(Value(Save("--settings '" + Path("observer.nvs") + "' --epoch 2000", "epoch.nvs"),
                    "PrecessionEpoch"),
              "2000.0");
}

TEST_F(ToolSettings, DefaultFileOfTheProgramDirectoryIsReadFirst) {
    // A program directory of its own: a small database and a default file.
    const std::string program = Path("program");
    ASSERT_EQ(mkdir(program.c_str(), 0755), 0);
    WriteFile(Path("Stars.txt"), "S1\t2000\t6 45 9\t-16 43 0\t\t\t-1.5\t\t\t\t\tHR2491\r\n");
    ToolRun import = Tool("--program-dir '" + program + "' import '" + Path("Stars.txt") + "'");
    ASSERT_EQ(import.status, 0) << import.err;
    WriteFile(program + "/Norvane.ini",
              "<NorvaneSettingsFile>\r\nFileVersion=3.1.1\r\n<Settings>\r\n"
              "ViewerSiteName=Home\r\nTimeZone=+5.5\r\nChartFieldWidth=90.000000\r\n"
              "JulianDate=2451545.000000\r\n</Settings>\r\n");
    auto save = [&](const std::string& arguments, const std::string& name) {
        ToolRun run = Tool("--program-dir '" + program + "' " + arguments + " settings --out '" +
                           Path(name) + "'");
        EXPECT_EQ(run.status, 0) << run.err;
        return ReadFile(Path(name));
    };
    const std::string plain = save("", "plain.nvs");
    EXPECT_EQ(Value(plain, "ViewerSiteName"), "Home");
    EXPECT_EQ(Value(plain, "TimeZone"), "+5.5");
    EXPECT_EQ(Value(plain, "ChartFieldWidth"), "90.000000");
    EXPECT_NE(Value(plain, "JulianDate"), "2451545.000000") << "the time is now, as at start-up";
    EXPECT_EQ(plain.find("<Description>"), std::string::npos);

    WriteFile(Path("other.nvs"),
              "<NorvaneSettingsFile>\n\n<Settings>\nTimeZone=-3.0\nJulianDate=2451000.500000\n");
    const std::string other = save("--settings '" + Path("other.nvs") + "'", "other-out.nvs");
    EXPECT_EQ(Value(other, "ViewerSiteName"), "Home") << "from the default file";
    EXPECT_EQ(Value(other, "TimeZone"), "-3.0") << "the --settings file over the default";
    EXPECT_EQ(Value(other, "JulianDate"), "2451000.500000") << "the file's own instant";
}

TEST_F(ToolSettings, FilesThatCantBeReadWriteNothing) {
    const std::string out = Path("out.nvs");
    ToolRun missing =
        Run("--settings '" + Path("absent.nvs") + "' settings --out '" + out + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("absent.nvs"), std::string::npos) << missing.err;
    EXPECT_FALSE(Exists(out));

    WriteFile(Path("picture.nvs"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    ToolRun binary =
        Run("--settings '" + Path("picture.nvs") + "' settings --out '" + out + "'");
    EXPECT_EQ(binary.status, 1);
    EXPECT_NE(binary.err.find("picture.nvs"), std::string::npos) << binary.err;
    EXPECT_FALSE(Exists(out));

    // render and info stop the same way.
    EXPECT_EQ(Run("--settings '" + Path("absent.nvs") + "' render --out '" + Path("x.png") + "'")
                  .status,
              1);
    EXPECT_FALSE(Exists(Path("x.png")));
    EXPECT_EQ(Run("--settings '" + Path("absent.nvs") + "' info Sirius").status, 1);

    // A directory that isn't there: no file, and a failure.
    ToolRun nowhere = Run("settings --out '" + Path("no/such/dir/out.nvs") + "'");
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.err, "");

    // An unknown viewer body ends the section with message 523; what was read
    // before it stays, and the tool goes on.
    WriteFile(Path("unknown.nvs"), "<NorvaneSettingsFile>\r\n\r\n<Settings>\r\nTimeZone=+1.0\r\n"
                                   "ViewerObject=Planet Nine\r\nChartFieldWidth=10.0\r\n");
    ToolRun unknown =
        Run("--settings '" + Path("unknown.nvs") + "' settings --out '" + out + "'");
    EXPECT_EQ(unknown.status, 0) << unknown.err;
    EXPECT_NE(unknown.err.find("Planet Nine"), std::string::npos) << unknown.err;
    const std::string text = ReadFile(out);
    EXPECT_EQ(Value(text, "TimeZone"), "+1.0");
    EXPECT_EQ(Value(text, "ChartFieldWidth"), "180.000000") << "after the unknown name: not read";

    // Usage errors.
    EXPECT_EQ(Run("settings").status, 2);
    EXPECT_EQ(Run("settings extra --out '" + out + "'").status, 2);
    EXPECT_EQ(Run("--settings").status, 2);
}

TEST_F(ToolSettings, RenderDrawsTheViewTheSettingsDescribe) {
    // A 20-degree field on the Pleiades on a winter night (22h local), as the
    // file keeps it. (Without its font, which no option sets: the legend's
    // size decides a few stars.)
    std::string file = kObserverFile;
    const std::string font = "ChartWindowsFont=DejaVu Sans,11,Bold,Italic\n";
    ASSERT_NE(file.find(font), std::string::npos);
    file.erase(file.find(font), font.size());
    WriteFile(Path("observer.nvs"), file);
    const std::string fromFile = Path("file.png");
    ToolRun byFile = Run("--settings '" + Path("observer.nvs") + "' render --size 1200x800 --out '" +
                         fromFile + "'");
    ASSERT_EQ(byFile.status, 0) << byFile.err;
    EXPECT_TRUE(Exists(fromFile));
    // The same view by options over the shipped defaults draws the same.
    ToolRun byOptions = Run(
        "--jd 2461390.708333 --site -111.6,31.958333,2096 --zone -7 --planets VSOP87 --epoch 1950 "
        "--nutation --aberration --frame Equatorial --projection Spherical --center 56.75,24.12 "
        "--field 20 --grid --faintest 8 render --size 1200x800 --out '" +
        Path("options.png") + "'");
    ASSERT_EQ(byOptions.status, 0) << byOptions.err;
    // (The trails' names may have loaded a file more.)
    long stars = 0, deepSky = 0, bodies = 0;
    ASSERT_EQ(std::sscanf(byFile.out.c_str(), "%ld stars, %ld deep-sky objects, %ld bodies", &stars,
                          &deepSky, &bodies),
              3)
        << byFile.out;
    EXPECT_EQ(byOptions.out.rfind(byFile.out.substr(0, byFile.out.find(';')), 0), 0u)
        << byFile.out << byOptions.out;
    // Hundreds of stars to magnitude 8 in twenty degrees, far fewer than the
    // shipped default's half sky to 5.5 would give, and M45 among the nebulae.
    EXPECT_GT(stars, 200);
    EXPECT_LT(stars, 3000);
    EXPECT_GE(deepSky, 1);
    // And a view option over the file's: a wider field draws more.
    ToolRun wider = Run("--settings '" + Path("observer.nvs") + "' --field 40 render --size "
                        "1200x800 --out '" + Path("wider.png") + "'");
    long widerStars = 0;
    ASSERT_EQ(std::sscanf(wider.out.c_str(), "%ld stars", &widerStars), 1) << wider.out;
    EXPECT_GT(widerStars, stars);
}

TEST_F(ToolSettings, InfoUsesTheSettingsPlaceAndCoordinateSystem) {
    WriteFile(Path("observer.nvs"), kObserverFile);
    ToolRun run = Run("--settings '" + Path("observer.nvs") + "' info Sirius");
    ASSERT_EQ(run.status, 0) << run.err;
    // The last two lines are in the file's Equatorial system, at its equinox.
    EXPECT_NE(run.out.find("R.A. (1950.0)"), std::string::npos) << run.out;
}

} // namespace
