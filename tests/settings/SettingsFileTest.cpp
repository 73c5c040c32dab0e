// The settings file: its lines and values read, its layout written byte for
// byte and read back, damaged input, a save that must not lose the old file,
// and the File menu's settings commands. Offscreen, against scratch files and
// a database built in memory.

#include "settings/SettingsFile.h"
#include "astro/ComputationOptions.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/Search.h"
#include "data/SkyObject.h"
#include "settings/Settings.h"
#include "shell/Platform.h"
#include "telescope/TelescopeState.h"
#include "timecontrol/Animation.h"
#include "timecontrol/Trails.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// Degrees in a settings file become radians with this factor.
constexpr double kFileDegree = 0.017453292520882225;
const std::string kCRLF = "\r\n";

std::string ReadAll(const std::string& path) {
    return std::string(
        std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// "a|b|c" as the lines a, b and c, each ended with CR LF.
std::string Bar(const std::string& lines) {
    std::string text = lines + kCRLF;
    for (std::size_t at = text.find('|'); at != std::string::npos; at = text.find('|', at))
        text.replace(at, 1, kCRLF);
    return text;
}

// What writeSettingsFile writes for the current state.
std::string Written() {
    std::FILE* stream = std::tmpfile();
    writeSettingsFile(stream, "test");
    std::string text(static_cast<std::size_t>(std::ftell(stream)), '\0');
    std::rewind(stream);
    if (std::fread(text.data(), 1, text.size(), stream) != text.size()) text.clear();
    std::fclose(stream);
    return text;
}

// Where a written file first differs from the expected one, for a readable failure.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::size_t i =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
        actual.begin();
    std::size_t from = actual.rfind('\n', i == 0 ? 0 : i - 1);
    from = from == std::string::npos ? 0 : from + 1;
    return "at byte " + std::to_string(i) + ": written \"" + actual.substr(from, 80) +
           "\", expected \"" + expected.substr(from, 80) + "\"";
}

// The recorded messages as "number: text" lines.
std::string Messages() {
    std::string text;
    for (const MessageRecord& m : RecordedMessages())
        text += std::to_string(m.number) + ": " + m.text + "\n";
    return text;
}

// A clean program state: every record at its start-up values, a scratch
// program directory with an empty database and a few named objects, messages
// answered and recorded, and the Description dialog of a file being read
// answered with OK.
class Settings : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        SetProgramDirectory(dir);
        SetMessagesEnabled(true);
        SetMessageResponder([](const MessageRecord&) { return int{AnswerOK}; });
        ResetRecords();
        ASSERT_TRUE(initObjectStore(std::int64_t{1} << 30));
        ASSERT_TRUE(checkDatabaseDirectory()); // asks to create it: OK
        customId = customFile();
        ASSERT_NE(customId, 0);
        mars = AddBody(5, "Mars");
        sirius = AddCatalog("Sirius");
        vega = AddCatalog("Vega");
        ASSERT_TRUE(mars != 0 && sirius != 0 && vega != 0);
        AnswerReadDescription(kOKButton);
        ClearRecordedMessages();
    }

    void TearDown() override {
        ClearDialogResponders();
        SetFileDialogResponder(nullptr);
        DeleteAllTrails();
        setObjectStoreDefaults();
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        gSettingsDescription.clear();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    static void ResetRecords() {
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        setAnimationStateDefaults();
        setTelescopeStateDefaults();
        DeleteAllTrails();
        gSettingsDescription.clear();
    }

    // The Description dialog of a file being read: records what it showed,
    // optionally replaces the text, then presses `button`.
    void AnswerReadDescription(int button, std::string replacement = "\x01") {
        SetDialogResponder(
            kReadDescriptionTemplate,
            [this, replacement](WindowRef dialog) {
                ++descriptionDialogs;
                descriptionShown = GetItemText(dialog, kDescriptionEditControl);
                if (replacement != "\x01")
                    SetItemText(dialog, kDescriptionEditControl, replacement);
            },
            button);
    }

    ObjectID AddBody(int type, const char* name) {
        SolarSystemObject* body = NewSolarSystemObject(type);
        body->name = CopyText(name);
        return addObject(body, customId);
    }
    ObjectID AddCatalog(const char* names) {
        CatalogObject* object = NewCatalogObject(kTypeSingleStar);
        setObjectNames(object, names);
        return addObject(object, customId);
    }

    static ObjectID Find(const std::string& name) {
        ObjectID id = 0;
        return findObjectByName(name, false, true, id) == kStatusSuccess ? id : 0;
    }
    // Exactly one message was shown, `number`, naming the file `title`.
    static void ExpectOneMessage(int number, const std::string& title) {
        ASSERT_EQ(RecordedMessages().size(), 1u) << Messages();
        EXPECT_EQ(RecordedMessages()[0].number, number) << Messages();
        EXPECT_NE(Messages().find("\"" + title + "\""), std::string::npos) << Messages();
        ClearRecordedMessages();
    }
    // The file dialogs record their titles and proposals, and answer `answer`
    // (cancel while it is empty).
    void AnswerFileDialogs() {
        SetFileDialogResponder([this](int title, std::string& path) {
            asked.emplace_back(title, path);
            if (!answer.empty()) path = answer;
            return !answer.empty();
        });
    }
    std::vector<std::pair<int, std::string>> asked;
    std::string answer;

    std::string PathOf(const std::string& name) const { return dir + "/" + name; }

    // Writes `bytes` to a scratch file and reads it as a settings file.
    bool ReadText(const std::string& bytes, const std::string& name = "test.nvs") {
        WriteAll(PathOf(name), bytes);
        return readSettingsFile(PathOf(name));
    }

    // A file with one settings section holding the value lines "a|b|c".
    static std::string SettingsFileWith(const std::string& lines) {
        return Bar("<NorvaneSettingsFile>|FileVersion=3.1.1||<Settings>|" + lines +
                   "|</Settings>||</NorvaneSettingsFile>");
    }

    std::string dir;
    ObjectID customId = 0, mars = 0, sirius = 0, vega = 0;
    std::string descriptionShown;
    int descriptionDialogs = 0;
};

using ReadSettings = Settings;
using WriteSettings = Settings;
using FileCommands = Settings;

// ---------------------------------------------------------------------------
// Lines

std::vector<std::pair<std::string, bool>> LinesOf(const std::string& bytes) {
    std::FILE* stream = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
    std::vector<std::pair<std::string, bool>> lines;
    SettingsLine line;
    while (ReadSettingsLine(stream, line))
        lines.emplace_back(line.text, line.endedWithBreak);
    std::fclose(stream);
    return lines;
}

TEST(SettingsLines, EveryLineEndLongLinesInPiecesAndNuls) {
    using Pieces = std::vector<std::pair<std::string, bool>>;
    const std::string full(255, 'x');
    const struct {
        std::string bytes;
        Pieces lines;
    } cases[] = {
        {"a\r\nb\nc\rd", {{"a", true}, {"b", true}, {"c", true}, {"d", false}}},
        {"\n\r\r\n", {{"", true}, {"", true}, {"", true}}},  // LF, CR, CR LF
        {"a\n\rb", {{"a", true}, {"", true}, {"b", false}}}, // LF CR is two line ends
        {"", {}},
        {full + "\r\nnext\r\n", {{full, true}, {"next", true}}}, // 255 is still one line
        {full + "\r", {{full, true}}},
        {full + "yz\r\n", {{full, false}, {"yz", true}}}, // longer lines come in pieces of 255
        {full + full + "\n", {{full, false}, {full, true}}},
        {std::string("Key=1\0=2\r\nNext\r\n", 16), {{"Key=1", true}, {"Next", true}}},
        // The NUL and what follows it still count toward the 255 characters.
        {std::string(1, '\0') + std::string(254, 'a') + "Tail\n", {{"", false}, {"Tail", true}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinesOf(c.bytes), c.lines) << testing::PrintToString(c.bytes);

    std::string key, value;
    for (auto [line, k, v] :
         {std::tuple{"A=b=c", "A", "b=c"}, {"NoEquals", "NoEquals", ""}, {"=v", "", "v"}}) {
        SplitValueLine(line, key, value);
        EXPECT_EQ(key + "|" + value, std::string(k) + "|" + v) << line;
    }
}

// ---------------------------------------------------------------------------
// Values: each file is read over the start-up state, and what is written
// afterwards must hold the expected lines (the writer is checked byte for
// byte below). A file with its first line is taken whole.

struct ReadCase {
    std::string file;          // value lines "a|b|c", or a whole file
    std::string lines;         // "a|b": each a line of what is written; "!a": no line starts so
    std::string block = "";    // "a|b|c": lines that must stand together
    std::string messages = ""; // "number: text" lines
};

const std::string kNoObject = "523: There's no object containing the name ";
const std::string kEndsEarly = "545: The settings file \"test.nvs\" ends early; it may have been "
                               "cut short.  The settings read before its end are in use.\n";
std::string Refused(const std::string& value, const std::string& key) {
    return "547: The value \"" + value + "\" of \"" + key +
           "\" is out of range and was not used.\n";
}

const ReadCase kReadCases[] = {
    // Flags are on for any non-zero byte.
    {"ShowLargeStars=2|ShowMultipleStars=1|ShowVariableStars=-1|ShowObjectLabels=257|"
     "ShowGridLines= 3|ShowEcliptic=7abc|ShowStars=0|ShowStarColors=|ShowPlanets=x|"
     "ShowPlanetSymbols=256",
     "ShowLargeStars=1|ShowMultipleStars=1|ShowVariableStars=1|ShowObjectLabels=1|"
     "ShowGridLines=1|ShowEcliptic=1|ShowStars=0|ShowStarColors=0|ShowPlanets=0|"
     "ShowPlanetSymbols=0"},
    // Magnitudes are truncated hundredths: 0.29 * 100 lies just below 29.
    {"FaintestStarMagnitude=+0.29|BrightestStarMagnitude=-0.29|FaintestPlanetLabelMagnitude=0.57|"
     "FaintestOpenClusterMagnitude=12.345|FaintestGalaxyMagnitude=-1.5",
     "FaintestStarMagnitude=+0.28|BrightestStarMagnitude=-0.28|FaintestPlanetLabelMagnitude=+0.56|"
     "FaintestOpenClusterMagnitude=+12.34|FaintestGalaxyMagnitude=-1.50"},
    {"FaintestStarMagnitude=abc|BrightestStarMagnitude=1e10|FaintestOpenClusterMagnitude=-1e10|"
     "FaintestDiffuseNebulaMagnitude=nan|FaintestGalaxyMagnitude=inf",
     "FaintestStarMagnitude=+0.00|BrightestStarMagnitude=+327.67|"
     "FaintestOpenClusterMagnitude=-327.68|FaintestDiffuseNebulaMagnitude=+0.00|"
     "FaintestGalaxyMagnitude=+0.00"},
    // An empty magnitude is none only where none is allowed; all blank is
    // empty; keys not in the file keep their values.
    {"FaintestGalaxyMagnitude=|FaintestStarMagnitude=|FaintestStarLabelMagnitude=   |"
     "BrightestStarMagnitude=  ",
     "FaintestGalaxyMagnitude=|FaintestStarMagnitude=+0.00|FaintestStarLabelMagnitude=|"
     "BrightestStarMagnitude=+0.00|FaintestOpenClusterMagnitude=+6.50"},
    // The old planet flag is overruled by PlanetComputation after it.
    {"PlanetComputation=Elements|PlanetPerturbations=1", "PlanetComputation=VFP"},
    {"PlanetPerturbations=0", "PlanetComputation=Elements"},
    {"PlanetPerturbations=1|PlanetComputation=Elements", "PlanetComputation=Elements"},
    {"PlanetPerturbations=0|PlanetComputation=VSOP87", "PlanetComputation=VSOP87"},
    // Keywords and keys are exact words: a mismatch changes nothing.
    {"PlanetComputation=VSOP87|PlanetComputation=vsop87", "PlanetComputation=VSOP87"},
    {"ChartProjection=Mercator|ChartCoordinateSystem=Galactic |SkyBackground=White|"
     "CalendarSystem=Julian|AnimationState=Backward|TelescopeInterface=QEICoordinate|"
     "showplanets=0|ShowPlanets =0| ShowDeepSkyObjects=0",
     "ChartProjection=Mercator|ChartCoordinateSystem=Horizon|SkyBackground=White|"
     "CalendarSystem=Julian|AnimationState=Backward|TelescopeInterface=QEICoordinate|"
     "ShowPlanets=1|ShowDeepSkyObjects=1"},
    // Font: face, size, and the style words written in their own order;
    // unknown and differently cased words are passed over.
    {"ChartWindowsFont=Times New Roman,12,Italic,Bold",
     "ChartWindowsFont=Times New Roman,12,Bold,Italic"},
    {"ChartWindowsFont=Courier,9,Strikeout,Extended,Condensed,Shadow,Outline,Underline,Italic,Bold",
     "ChartWindowsFont=Courier,9,Bold,Italic,Underline,Outline,Shadow,Condensed,Extended,"
     "Strikeout"},
    {"ChartWindowsFont=Arial,-11,bold,Heavy,Underline,", "ChartWindowsFont=Arial,-11,Underline"},
    {"ChartWindowsFont=" + std::string(40, 'F') + ",10,Bold", // the face has 31 characters
     "ChartWindowsFont=" + std::string(31, 'F') + ",10,Bold"},
    {"ChartWindowsFont=Helvetica", "ChartWindowsFont=Helvetica,0"},
    // Numbers that don't parse read as 0 (a NaN would spread into every
    // computation); an offset stops at its first bad number, and a comma must
    // follow a number directly.
    // A number that is not finite, or becomes so in the program's units, is
    // refused and said; the key keeps its value.
    {"JulianDate=soon|ViewerAltitude=nan|ChartZoomFactor=1e999|ViewerObjectOffset=1,x,3|"
     "TelescopeConnectionPort=COM3|TelescopeLonEncoderSteps=+|StarColor=255, 7,x|"
     "PlanetColor=1 ,2,3|TelescopeUpdatesPerSec=12.9|PrecessionEpoch=1e307|"
     "StarMotionThreshold=-1e307|JulianDate=1e9",
     "JulianDate=0.000000|ViewerAltitude=0.0|"
     "ViewerObjectOffset=+1.000000000E+00,+0.000000000E+00,+0.000000000E+00|"
     "TelescopeConnectionPort=0|TelescopeLonEncoderSteps=+0|StarColor=255,007,000|"
     "PlanetColor=001,000,000|TelescopeUpdatesPerSec=12|PrecessionEpoch=2000.0|"
     "!ChartZoomFactor=0.000|!StarMotionThreshold=0.0",
     "",
     Refused("nan", "ViewerAltitude") + Refused("1e999", "ChartZoomFactor") +
         Refused("1e307", "PrecessionEpoch") + Refused("-1e307", "StarMotionThreshold") +
         Refused("1e9", "JulianDate")},
    // Integers keep the low bits of their width.
    {"TelescopeConnectionPort=65539|StarColor=256,-1,511|TelescopeLatEncoderSteps=-99999999999|"
     "TelescopeLonEncoderSteps=+4294967297",
     "TelescopeConnectionPort=3|StarColor=000,255,255|TelescopeLonEncoderSteps=+1|"
     "TelescopeLatEncoderSteps=-1215752191"},
    {"ViewerSiteName=" + std::string(60, 'S'), "ViewerSiteName=" + std::string(47, 'S')},
    // A NUL ends the value.
    {"ViewerSiteName=Ha" + std::string(1, '\0') + "rbour|ShowStars=0" + std::string(1, '\0') +
         "=1|JulianDate=" + std::string(1, '\0') + "2450000",
     "ViewerSiteName=Ha|ShowStars=0|JulianDate=0.000000"},
    // Object names are whole names, letter case ignored.
    {"ViewerObject=MARS|CenteredObject=sirius", "ViewerObject=Mars|CenteredObject=Sirius"},
    {"ViewerObject=Mars|CenteredObject=Vega|ViewerObject=|CenteredObject=",
     "ViewerObject=|CenteredObject="},
    // An unknown name (a part of one is unknown) is said, its key keeps its
    // value, and the rest of the file is read on.
    {"JulianDate=2450000.5|CenteredObject=Sirius|ViewerObject=Sir|ShowStars=0|CenteredObject=|"
     "<Trail>|TrailObject=Vega|TrailPoints=5|</Trail>",
     "JulianDate=2450000.500000|ViewerObject=|ShowStars=0|CenteredObject=|TrailObject=Vega", "",
     kNoObject + "\"Sir\" in memory!\n"},
    // EndOfSettings ends a section; another section is read as well.
    {"<NorvaneSettingsFile>|FileVersion=3.1.1|<Settings>|ShowStars=0|EndOfSettings|ShowPlanets=0|"
     "<Settings>|ShowDeepSkyObjects=0|EndOfSettings=anything|ShowColors=0",
     "ShowStars=0|ShowPlanets=1|ShowDeepSkyObjects=0|ShowColors=1", "", kEndsEarly},
    // Keys outside a section and unknown keys are passed over; "</Settings>"
    // is no key, so the section runs on to the end of the file.
    {"<NorvaneSettingsFile>|FileVersion=3.1.1|ShowStars=0|<Settings>|NoSuchKey=1|</Settings>|"
     "ShowPlanets=0|</NorvaneSettingsFile>",
     "ShowStars=1|ShowPlanets=0"},
    // Trail blocks inside and after the section; absent numbers are 0, and an
    // unknown type word gives none.
    {"<NorvaneSettingsFile>|FileVersion=3.1.1|<Trail>|TrailObject=Mars|TrailType=InSpace|"
     "TrailPoints=200|TrailTicksInterval=5|TrailDatesInterval=10|</Trail>|<Settings>|ShowStars=0|"
     "<Trail>|TrailObject=vega|TrailType=InCurrentCoordinates|TrailPoints=50|</Trail>|</Settings>|"
     "<Trail>|TrailObject=Sirius|TrailType=Sideways|TrailPoints=1|TrailDatesInterval=3|</Trail>",
     "ShowStars=0",
     "</Settings>||<Trail>|TrailObject=Mars|TrailType=InSpace|TrailPoints=200|"
     "TrailTicksInterval=5|TrailDatesInterval=10|</Trail>||<Trail>|TrailObject=Vega|"
     "TrailType=InCurrentCoordinates|TrailPoints=50|TrailTicksInterval=0|TrailDatesInterval=0|"
     "</Trail>||<Trail>|TrailObject=Sirius|TrailPoints=1|TrailTicksInterval=0|"
     "TrailDatesInterval=3|</Trail>||</NorvaneSettingsFile>",
     kEndsEarly},
    // No trail without positions to hold, nor with more than a trail may hold
    // (said); a trail of an unknown object is said and passed over.
    {"<Trail>|TrailObject=Mars|TrailPoints=0|</Trail>|<Trail>|TrailObject=Mars|TrailPoints=-5|"
     "</Trail>|<Trail>|TrailObject=Mars|TrailPoints=2147483647|</Trail>|<Trail>|TrailObject=Vega|"
     "TrailPoints=3|</Trail>|<Trail>|TrailObject=Pluto|TrailPoints=3|</Trail>|ShowStars=0",
     "ShowStars=0",
     "</Settings>||<Trail>|TrailObject=Vega|TrailPoints=3|TrailTicksInterval=0|"
     "TrailDatesInterval=0|</Trail>||</NorvaneSettingsFile>",
     Refused("-5", "TrailPoints") + Refused("2147483647", "TrailPoints") + kNoObject +
         "\"Pluto\" in memory!\n"},
    {"<NorvaneSettingsFile>||<Trail>|TrailPoints=4|</Trail>|<Settings>|ShowStars=0", "ShowStars=0",
     "", kNoObject + "\"\" in memory!\n" + kEndsEarly},
    // A block cut off by the end of the file makes no trail, and is said.
    {"<NorvaneSettingsFile>||<Trail>|TrailObject=Mars", "!<Trail>", "", kEndsEarly},
};

TEST_F(ReadSettings, ValuesKeysAndTrails) {
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.file);
        ResetRecords();
        ClearRecordedMessages();
        ASSERT_TRUE(ReadText(c.file.rfind("<NorvaneSettingsFile>", 0) == 0
                                 ? Bar(c.file)
                                 : SettingsFileWith(c.file)));
        const std::string written = Written();
        std::istringstream lines(c.lines);
        for (std::string line; std::getline(lines, line, '|');) {
            if (line[0] == '!')
                EXPECT_EQ(written.find(kCRLF + line.substr(1)), std::string::npos) << line;
            else
                EXPECT_NE(written.find(kCRLF + line + kCRLF), std::string::npos) << line;
        }
        if (!c.block.empty()) {
            EXPECT_NE(written.find(kCRLF + Bar(c.block)), std::string::npos);
        }
        EXPECT_EQ(Messages(), c.messages);
    }
}

TEST_F(ReadSettings, OnlyTheFirstLineDeletesTrailsAndChangesNothingElse) {
    gViewer.julianDate = 2455000.25;
    gDisplayOptions.showStars = false;
    gSettingsDescription = "Kept";
    ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
    const std::string before = Written();
    for (const char* text : {"<NorvaneSettingsFile>", "<NorvaneSettingsFile>\r\n",
                             "<NorvaneSettingsFile>\nFileVersion=9.9\n"}) {
        ASSERT_TRUE(ReadText(text)) << text;
        EXPECT_EQ(gTrailTable.count, 0) << text;
        EXPECT_EQ(FirstTrail(), 0);
        ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
        EXPECT_EQ(Written(), before) << "something besides the trails changed: " << text;
    }
    EXPECT_EQ(descriptionDialogs, 0);
    EXPECT_EQ(Messages(), kEndsEarly + kEndsEarly + kEndsEarly)
        << "a file of one line is cut short";
}

TEST_F(ReadSettings, RefusedFilesChangeNothing) {
    std::string noise;
    for (int i = 0; i < 4096; ++i)
        noise += static_cast<char>((i * 131 + 7) & 0xFF);
    gDisplayOptions.showStars = false;
    ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
    const std::string before = Written();
    const struct {
        std::string bytes; // "" with a name: no such file
        const char* name;
        int message;
    } cases[] = {
        {"<NorvaneSettingsFile> \r\n<Settings>\r\nShowStars=1\r\n", "Odd.nvs", 258},
        {"<norvanesettingsfile>\r\n<Settings>\r\nShowStars=1\r\n", "Odd.nvs", 258},
        {"\r\n<NorvaneSettingsFile>\r\n<Settings>\r\nShowStars=1\r\n", "Odd.nvs", 258},
        {"", "Empty.nvs", 258},
        {noise, "Noise.bin", 258},
        {"", "Missing.nvs", 257},
    };
    for (const auto& c : cases) {
        const std::string path = PathOf(c.name);
        if (c.message != 257) WriteAll(path, c.bytes);
        EXPECT_FALSE(readSettingsFile(path)) << c.name;
        ExpectOneMessage(c.message, c.name);
        std::filesystem::remove(path);
        EXPECT_EQ(Written(), before) << "a refused file deletes no trails: " << c.name;
    }
    EXPECT_FALSE(readSettingsFile(dir)) << "a directory is no file";
    ExpectOneMessage(257, std::filesystem::path(dir).filename());
}

TEST_F(ReadSettings, DamagedAndHugeInput) {
    std::string bytes = "<NorvaneSettingsFile>\r\n\r\n<Settings>\r\n";
    for (int i = 0; i < 65536; ++i)
        bytes += static_cast<char>((i * 7919 + 13) & 0xFF);
    ASSERT_TRUE(ReadText(bytes)) << "binary after a good first line breaks nothing";
    EXPECT_EQ(gTrailTable.count, 0);

    // A ten-megabyte line is read in pieces; the tail of a long line is a line of its own.
    bytes = "<NorvaneSettingsFile>\r\n\r\n<Settings>\r\nViewerSiteName=" +
            std::string(10 * 1024 * 1024, 'A') + "\r\nJulianDate=2451000.5\r\n" +
            std::string(255, 'x') + "ShowStars=0\r\n";
    ResetRecords();
    ASSERT_TRUE(ReadText(bytes));
    EXPECT_TRUE(std::string(gViewer.siteName) == std::string(47, 'A'));
    EXPECT_EQ(gViewer.julianDate, 2451000.5);
    EXPECT_FALSE(gDisplayOptions.showStars);
}

TEST_F(ReadSettings, AFileCanHoldMoreTrailsThanTheTable) {
    std::string text = "<NorvaneSettingsFile>|";
    std::vector<ObjectID> stars;
    for (int i = 0; i < 300; ++i) {
        std::string name = "Star " + std::to_string(i);
        stars.push_back(AddCatalog(name.c_str()));
        text += "|<Trail>|TrailObject=" + name + "|TrailPoints=2|</Trail>";
    }
    ASSERT_TRUE(ReadText(Bar(text + "|<Settings>|ShowStars=0")));
    EXPECT_EQ(gTrailTable.count, kTrailSlots - 1);
    EXPECT_NE(FindTrail(stars[254]), 0);
    EXPECT_EQ(FindTrail(stars[255]), 0);
    EXPECT_FALSE(gDisplayOptions.showStars) << "a full table is no reason to stop";
}

TEST_F(ReadSettings, Description) {
    // Lines joined with CR LF, a long line joined again without a break, and
    // shown for editing.
    const std::string longLine(300, 'd');
    ASSERT_TRUE(
        ReadText("<NorvaneSettingsFile>\nFileVersion=3.1.1\n<Description>\nFirst\rSecond\r\n" +
                 longLine + "\n\nFourth=4\n</Description>\n<Settings>\nShowStars=0\n"));
    const std::string expected = "First\r\nSecond\r\n" + longLine + "\r\n\r\nFourth=4\r\n";
    EXPECT_TRUE(gSettingsDescription == expected);
    EXPECT_EQ(descriptionDialogs, 1);
    EXPECT_TRUE(descriptionShown == expected);
    EXPECT_FALSE(gDisplayOptions.showStars);

    const std::string file = Bar("<NorvaneSettingsFile>||<Description>|Old|</Description>|"
                                 "<Settings>|ShowStars=0");
    AnswerReadDescription(kOKButton, "Edited\nText");
    ResetRecords();
    ASSERT_TRUE(ReadText(file));
    EXPECT_EQ(gSettingsDescription, "Edited\r\nText");
    EXPECT_FALSE(gDisplayOptions.showStars);

    // Cancel stops the reading and keeps the file's text, not the edit.
    AnswerReadDescription(kCancelButton, "Never taken");
    ResetRecords();
    ASSERT_TRUE(ReadText(file));
    EXPECT_TRUE(gDisplayOptions.showStars);
    EXPECT_EQ(gSettingsDescription, "Old\r\n");

    // No description section keeps the description, and asks nothing.
    descriptionDialogs = 0;
    gSettingsDescription = "Mine";
    ASSERT_TRUE(ReadText(SettingsFileWith("ShowStars=0")));
    EXPECT_EQ(gSettingsDescription, "Mine");
    EXPECT_EQ(descriptionDialogs, 0);

    AnswerReadDescription(kOKButton);
    ASSERT_TRUE(ReadText("<NorvaneSettingsFile>\r\n\r\n<Description>\r\nLast words"));
    EXPECT_EQ(gSettingsDescription, "Last words") << "a description running to the end";

    // A description is bounded at 32767 bytes, and the rest of the file is read.
    std::string text = "<NorvaneSettingsFile>\r\nFileVersion=3.1.1\r\n<Description>\r\n";
    for (int i = 0; i < 400; ++i)
        text += std::string(98, static_cast<char>('a' + i % 26)) + "\r\n"; // 40 000 bytes
    text += "</Description>\r\n<Settings>\r\nShowStars=0\r\n";
    ASSERT_TRUE(ReadText(text));
    EXPECT_EQ(gSettingsDescription.size(), kMaxDescriptionLength);
    EXPECT_TRUE(gSettingsDescription.substr(0, 100) == std::string(98, 'a') + "\r\n");
    EXPECT_EQ(descriptionShown.size(), kMaxDescriptionLength);
    EXPECT_FALSE(gDisplayOptions.showStars);
    // The dialog's edit is bounded the same way.
    AnswerReadDescription(kOKButton, std::string(40000, 'z'));
    ASSERT_TRUE(ReadText(text));
    EXPECT_TRUE(gSettingsDescription == std::string(kMaxDescriptionLength, 'z'))
        << gSettingsDescription.size() << " bytes";
}

// ---------------------------------------------------------------------------
// Writing

// Every key away from its default, with values whose written form can be
// worked out by hand.
void SetEveryKey(ObjectID viewerObject, ObjectID centeredObject) {
    Viewer& v = gViewer;
    ComputationOptions& c = gComputationOptions;
    ChartView& view = gChartView;
    DisplayOptions& d = gDisplayOptions;
    TelescopeState& t = gTelescopeState;
    for (auto [field, degrees] : {std::pair{&v.longitude, 7.25},
                                  {&v.latitude, 5.125},
                                  {&c.horizonAltitude, -0.5},
                                  {&view.centerLongitude, 266.4},
                                  {&view.centerLatitude, -28.9},
                                  {&view.fieldRotation, 12.5},
                                  {&view.fieldWidth, 60.0},
                                  {&d.gridRAInterval, 30.0},
                                  {&d.gridDecInterval, 20.0},
                                  {&t.finderFieldWidth, 5.0},
                                  {&t.eyepieceFieldWidth, 0.5},
                                  {&t.cameraFieldWidth, 0.75},
                                  {&t.cameraFieldHeight, 0.5}})
        *field = degrees * kFileDegree;
    for (auto [field, value] :
         {std::pair{&v.viewerObjectOffset[0], 1.5e-5},
          {&v.viewerObjectOffset[1], -2.25},
          {&v.viewerObjectOffset[2], 3.0},
          {&v.altitude, 1742.0},
          {&v.timeZone, -8.0 / 24.0},
          {&v.julianDate, 2460000.25},
          {&c.starParallaxThreshold, 250.0},
          {&c.starMotionThreshold, 36525.0},
          {&view.scrollRate, 12.0},
          {&view.zoomFactor, 1.5},
          {&c.precessionEpoch, 2433282.5}, // 1950.0: fifty years of 365.25 days before J2000
          {&d.planetMagnification, 2.5},
          {&gAnimationState.timeStep, 1.0 / 24.0}})
        *field = value;
    v.viewerObject = viewerObject;
    view.centeredObject = centeredObject;
    SetViewerSiteName("Mount Wilson Observatory");
    v.calendar = 0;
    v.dynamicTime = c.planetLightTime = c.nutation = c.aberration = c.refraction =
        view.invertedHorizontally = view.invertedVertically = d.showLargeStars =
            d.showMultipleStars = d.showVariableStars = d.showObjectLabels = d.showGridLines =
                d.showEcliptic = d.showEquator = d.showGalacticEquator = d.redScreen = t.emulated =
                    true;
    v.daylightSavings = c.starParallax = c.starMotion = c.precession = c.preciseRiseSet =
        d.showStars = d.showStarColors = d.showPlanets = d.showPlanetSymbols = d.showPlanetGrids =
            d.showDeepSkyObjects = d.showConstellations = d.showConstellationFigures =
                d.showConstellationBoundaries = d.showConstellationLabels = d.showChartLegend =
                    d.showChartControls = d.showGridLabels = d.showHorizonLine = d.showHorizonMask =
                        d.showRADecGrid = d.automaticMagnitudeLimits = d.useColor =
                            t.showFinderField = t.showEyepieceField = t.showCameraField = false;
    c.planetComputation = kPlanetsElements;
    view.projection = kMollweide;
    view.coordinateSystem = kGalactic;
    d.brightestStarMagnitude = -150;
    d.faintestStarMagnitude = 725;
    d.faintestStarLabelMagnitude = d.faintestDeepSkyLabelMagnitude = kNoLimit;
    d.faintestPlanetLabelMagnitude = 1200;
    for (auto [type, limit] :
         {std::pair{61, 800}, {62, kNoLimit}, {63, 1100}, {64, 1225}, {65, 1300}})
        SetTypeLimit(type, static_cast<std::int16_t>(limit));
    d.skyBackground = kSkyColor;
    std::uint8_t n = 1;
    for (int slot : {kStarLabelColor, kPlanetLabelColor, kDeepSkyColor, kFigureColor,
                     kBoundaryColor, kGridColor, kEquatorColor, kEclipticColor,
                     kGalacticEquatorColor, kHorizonColor, kDaytimeSkyColor, kCivilTwilightColor,
                     kNauticalTwilightColor, kAstronomicalTwilightColor}) {
        d.colors[slot] = {n, static_cast<std::uint8_t>(n + 1), static_cast<std::uint8_t>(n + 2)};
        n = static_cast<std::uint8_t>(n + 3);
    }
    d.colors[kNightSkyColor] = {255, 254, 253};
    d.fontFace = "Times New Roman";
    d.fontSize = 12;
    d.fontStyle = FontBold | FontUnderline | FontStrikeout;
    gAnimationState.mode = kAnimationForward;
    t.interface = kTelescopeNexStar;
    t.port = 3;
    t.updatesPerSec = 10;
    t.lonEncoderSteps = -4096;
    t.latEncoderSteps = 8192;
    t.encodersSwapped = 1;
    gSettingsDescription = "First line\r\nSecond line";
}

// The file for SetEveryKey with a trail of Mars and one of Sirius, written
// out from the layout.
const std::string kEveryKeyFile = Bar(
    "<NorvaneSettingsFile>|FileVersion=3.1.1||<Description>|First line|Second line|"
    "</Description>||<Settings>|ViewerObject=Mars|"
    "ViewerObjectOffset=+1.500000000E-05,-2.250000000E+00,+3.000000000E+00|"
    "ViewerSiteName=Mount Wilson Observatory|ViewerLongitude=+007.250000|ViewerLatitude=+05.125000|"
    "ViewerAltitude=1742.0|TimeZone=-8.0|JulianDate=2460000.250000|CalendarSystem=Julian|"
    "DynamicTime=1|DaylightSavingsTime=0|StarParallax=0|StarMotion=0|StarParallaxThreshold=250.0|"
    "StarMotionThreshold=100.0|PlanetPerturbations=0|PlanetComputation=Elements|"
    "PlanetLightTime=1|PrecessionEpoch=1950.0|Precession=0|Nutation=1|Aberration=1|Refraction=1|"
    "PreciseRiseSetTimes=0|HorizonAltitude=-0.500|ChartProjection=Mollweide|"
    "ChartCoordinateSystem=Galactic|CenteredObject=Sirius|ChartCenterLongitude=266.400000|"
    "ChartCenterLatitude=-28.900000|ChartFieldRotation=+12.500000|ChartFieldWidth=60.000000|"
    "ChartInvertedHorizontally=1|ChartInvertedVertically=1|ShowStars=0|ShowStarColors=0|"
    "ShowLargeStars=1|ShowMultipleStars=1|ShowVariableStars=1|ShowPlanets=0|ShowPlanetSymbols=0|"
    "ShowPlanetGrids=0|PlanetMagnification=2.500000|ShowDeepSkyObjects=0|ShowConstellations=0|"
    "ShowConstellationFigures=0|ShowConstellationBoundaries=0|ShowConstellationLabels=0|"
    "ShowObjectLabels=1|ShowChartLegend=0|ShowChartControls=0|ChartScrollRate=12.000|"
    "ChartZoomFactor=1.500|ShowGridLines=1|ShowGridLabels=0|ShowEcliptic=1|ShowEquator=1|"
    "ShowGalacticEquator=1|ShowHorizonLine=0|ShowHorizonMask=0|ShowRADecGrid=0|"
    "GridRAInterval=30.000000|GridDecInterval=20.000000|BrightestStarMagnitude=-1.50|"
    "FaintestStarMagnitude=+7.25|FaintestStarLabelMagnitude=|FaintestPlanetLabelMagnitude=+12.00|"
    "FaintestDeepSkyLabelMagnitude=|FaintestOpenClusterMagnitude=+8.00|"
    "FaintestGlobularClusterMagnitude=|FaintestDiffuseNebulaMagnitude=+11.00|"
    "FaintestPlanetaryNebulaMagnitude=+12.25|FaintestGalaxyMagnitude=+13.00|"
    "AutomaticMagnitudeLimits=0|ShowColors=0|RedScreen=1|SkyBackground=Color|"
    "StarColor=001,002,003|PlanetColor=004,005,006|DeepSkyObjectColor=007,008,009|"
    "ConstellationsColor=010,011,012|ConstellationBoundariesColor=013,014,015|"
    "RADecGridColor=016,017,018|EquatorColor=019,020,021|EclipticColor=022,023,024|"
    "GalacticEquatorColor=025,026,027|HorizonColor=028,029,030|DaytimeSkyColor=031,032,033|"
    "CivilTwilightSkyColor=034,035,036|NauticalTwilightSkyColor=037,038,039|"
    "AstronomicalTwilightSkyColor=040,041,042|NightSkyColor=255,254,253|"
    "ChartWindowsFont=Times New Roman,12,Bold,Underline,Strikeout|AnimationState=Forward|"
    "AnimationTimeStep=0.041667|TelescopeInterface=NexStar|TelescopeEmulated=1|"
    "TelescopeConnectionPort=3|TelescopeUpdatesPerSec=10|TelescopeLonEncoderSteps=-4096|"
    "TelescopeLatEncoderSteps=+8192|TelescopeEncodersSwapped=1|ShowTelescopeFinderField=0|"
    "ShowTelescopeEyepieceField=0|ShowTelescopeCameraField=0|TelescopeFinderFieldWidth=5.000000|"
    "TelescopeEyepeiceFieldWidth=0.500000|TelescopeCameraFieldWidth=0.750000|"
    "TelescopeCameraFieldHeight=0.500000|</Settings>||<Trail>|TrailObject=Mars|TrailType=InSpace|"
    "TrailPoints=200|TrailTicksInterval=5|TrailDatesInterval=10|</Trail>||<Trail>|"
    "TrailObject=Sirius|TrailType=InCurrentCoordinates|TrailPoints=50|TrailTicksInterval=0|"
    "TrailDatesInterval=0|</Trail>||</NorvaneSettingsFile>");

TEST_F(WriteSettings, EveryKeyByteForByteAndReadBack) {
    const std::string defaultsPath = PathOf("Defaults.nvs");
    ASSERT_TRUE(saveSettingsFile(defaultsPath));
    const std::string defaults = ReadAll(defaultsPath);

    SetEveryKey(mars, sirius);
    ASSERT_NE(CreateTrail(mars, kTrailInSpace, 200, 5, 10), 0);
    ASSERT_NE(CreateTrail(sirius, kTrailInCurrentCoordinates, 50, 0, 0), 0);
    const std::string path = PathOf("Every.nvs");
    ASSERT_TRUE(saveSettingsFile(path));
    const std::string saved = ReadAll(path);
    ASSERT_TRUE(saved == kEveryKeyFile) << FirstDifference(saved, kEveryKeyFile);

    // Read over the defaults, every key and trail comes back: the same file
    // is written again.
    ResetRecords();
    ASSERT_TRUE(readSettingsFile(path));
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(descriptionShown, "First line\r\nSecond line\r\n");
    EXPECT_TRUE(Written() == saved) << FirstDifference(Written(), saved);
    EXPECT_EQ(gComputationOptions.precessionEpoch, 2433282.5);
    EXPECT_EQ(gChartView.fieldWidth, 60.0 * kFileDegree);

    // And the defaults read over every key bring every default back.
    gSettingsDescription.clear();
    ASSERT_TRUE(readSettingsFile(defaultsPath));
    EXPECT_TRUE(Written() == defaults) << FirstDifference(Written(), defaults);
    EXPECT_EQ(gTelescopeState.cameraFieldHeight, 0.166667 * kFileDegree)
        << "one sixth of a degree comes back as its six decimals";
}

TEST_F(WriteSettings, ZerosDefaultsAndTheDescriptionsEnd) {
    const std::string written = Written();
    for (const char* lines :
         {"<NorvaneSettingsFile>|FileVersion=3.1.1||<Settings>|ViewerObject=|"
          "ViewerObjectOffset=+0.000000000E+00,+0.000000000E+00,+0.000000000E+00|ViewerSiteName=|"
          "ViewerLongitude=+000.000000|ViewerLatitude=+00.000000|ViewerAltitude=0.0|"
          "TimeZone=+0.0|JulianDate=2451545.000000|CalendarSystem=Gregorian",
          "ChartWindowsFont=Arial,14",
          "TelescopeCameraFieldHeight=0.166667|</Settings>||</NorvaneSettingsFile>"})
        EXPECT_NE(written.find(Bar(lines)), std::string::npos) << lines;
    EXPECT_EQ(written.rfind("<NorvaneSettingsFile>", 0), 0u);

    // A description ends with exactly one line break; one empty line is still one.
    for (auto [description, lines] :
         {std::pair{"One\r\nTwo\r\n", "<Description>|One|Two|</Description>||<Settings>"},
          {"One\r\nTwo", "<Description>|One|Two|</Description>||<Settings>"},
          {"\r\n", "<Description>||</Description>||<Settings>"}}) {
        gSettingsDescription = description;
        const std::string expected =
            Bar(std::string("<NorvaneSettingsFile>|FileVersion=3.1.1||") + lines);
        EXPECT_EQ(Written().substr(0, expected.size()), expected) << description;
    }
}

TEST_F(WriteSettings, KeywordsOutsideTheirListsWriteNoLine) {
    gChartView.projection = 9;
    gChartView.coordinateSystem = 0;
    gTelescopeState.interface = 13;
    gAnimationState.mode = 0;
    gComputationOptions.planetComputation = 4;
    gViewer.calendar = -1;
    gDisplayOptions.skyBackground = 4;
    const std::string written = Written();
    for (const char* key :
         {"ChartProjection=", "ChartCoordinateSystem=", "TelescopeInterface=", "AnimationState=",
          "PlanetComputation=", "CalendarSystem=", "SkyBackground="})
        EXPECT_EQ(written.find(kCRLF + key), std::string::npos) << key;
    EXPECT_NE(written.find(Bar("|PlanetPerturbations=0")), std::string::npos)
        << "the old flag is written whatever the mode";
    EXPECT_NE(written.find("\r\nChartCenterLongitude=0.000000\r\nChartCenterLatitude="),
              std::string::npos);
}

TEST_F(WriteSettings, OldPlanetFlagMeansWhatItsReadersTakeItFor) {
    // A reader that stops at the old flag (there is no PlanetComputation
    // after it) must get the same family of theory back: the orbital
    // elements, or the perturbed series (VFP standing for VSOP87 too).
    for (auto [mode, flag, readBack] : {std::tuple{kPlanetsElements, "0", kPlanetsElements},
                                        {kPlanetsVFP, "1", kPlanetsVFP},
                                        {kPlanetsVSOP87, "1", kPlanetsVFP}}) {
        gComputationOptions.planetComputation = mode;
        const std::string line = std::string("PlanetPerturbations=") + flag;
        EXPECT_NE(Written().find(kCRLF + line + kCRLF), std::string::npos) << int(mode);
        gComputationOptions.planetComputation = 0;
        ASSERT_TRUE(ReadText(SettingsFileWith(line)));
        EXPECT_EQ(gComputationOptions.planetComputation, readBack) << int(mode);
    }
}

TEST_F(WriteSettings, LongLinesMagnitudesAndTrailsOfLostObjects) {
    const std::string longName(300, 'N');
    gChartView.centeredObject = AddBody(12, longName.c_str());
    gViewer.julianDate = 1e300;                       // "%.6f" of it runs to some 310 characters
    gDisplayOptions.faintestStarMagnitude = kNoLimit; // a plain magnitude has no "none"
    gDisplayOptions.brightestStarMagnitude = -32768;
    gDisplayOptions.faintestPlanetLabelMagnitude = kNoLimit;
    SetTypeLimit(64, -5);
    ObjectID gone = AddBody(12, "Ceres");
    ASSERT_NE(CreateTrail(gone, kTrailInSky, 9, 2, 3), 0);
    ASSERT_NE(CreateTrail(vega, 0, 1, 0, 0), 0);
    FreeObject(removeObject(gone));
    const std::string written = Written();

    // Value lines are cut to 256 characters.
    EXPECT_NE(written.find(Bar("CenteredObject=" + longName.substr(0, 256 - 15)) +
                           "ChartCenterLongitude"),
              std::string::npos);
    std::size_t at = written.find("\r\nJulianDate=1");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(written.find(kCRLF, at + 2), at + 2 + 256);
    for (const char* line :
         {"FaintestStarMagnitude=+327.67", "BrightestStarMagnitude=-327.68",
          "FaintestPlanetLabelMagnitude=", "FaintestPlanetaryNebulaMagnitude=-0.05"})
        EXPECT_NE(written.find(kCRLF + line + kCRLF), std::string::npos) << line;
    const std::string trails =
        Bar("</Settings>||<Trail>|TrailType=InSky|TrailPoints=9|TrailTicksInterval=2|"
            "TrailDatesInterval=3|</Trail>||<Trail>|TrailObject=Vega|TrailPoints=1|"
            "TrailTicksInterval=0|TrailDatesInterval=0|</Trail>||</NorvaneSettingsFile>");
    ASSERT_GE(written.size(), trails.size());
    EXPECT_EQ(written.substr(written.size() - trails.size()), trails);
}

std::size_t Entries(const std::string& dir) {
    using std::filesystem::directory_iterator;
    return std::distance(directory_iterator(dir), directory_iterator());
}

TEST_F(WriteSettings, FailedSaveLeavesThePreviousFile) {
    const std::string path = PathOf("Kept.nvs");
    SetEveryKey(mars, sirius);
    ASSERT_TRUE(saveSettingsFile(path));
    const std::string before = ReadAll(path);
    const std::size_t files = Entries(dir);
    ResetRecords();
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    for (rlim_t limit : {rlim_t{0}, rlim_t{100}, rlim_t{2000}}) {
        rlimit full = unlimited; // a disk that fills after `limit` bytes
        full.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &full);
        const bool saved = saveSettingsFile(path);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        EXPECT_FALSE(saved) << limit;
        ExpectOneMessage(259, "Kept.nvs");
        EXPECT_TRUE(ReadAll(path) == before) << "the old file was touched at " << limit;
        EXPECT_EQ(Entries(dir), files) << "a temporary file was left behind";
    }
    std::signal(SIGXFSZ, handler);
    ASSERT_TRUE(saveSettingsFile(path));
    EXPECT_FALSE(ReadAll(path) == before) << "and with room again the new settings are written";

    // A file that can't be opened for writing: a missing folder, a directory.
    EXPECT_FALSE(saveSettingsFile(PathOf("NoSuchFolder/Lost.nvs")));
    ExpectOneMessage(530, "Lost.nvs");
    EXPECT_FALSE(saveSettingsFile(dir));
    ExpectOneMessage(530, std::filesystem::path(dir).filename());
}

// ---------------------------------------------------------------------------
// Opening files by kind, and the File menu

std::string StarTextFile(const std::string& name) {
    return "S01\t2000\t6 45 8.9\t-16 42 58\t\t\t5.0\t\t\t\t\t" + name + "\r\n";
}

TEST_F(FileCommands, OpenByKind) {
    // A settings file is read whatever its name; an index replaces the
    // database, the old one written back when it is closed.
    WriteAll(PathOf("settings.txt"), SettingsFileWith("ShowStars=0|ChartFieldWidth=90"));
    EXPECT_TRUE(openFileByKind(PathOf("settings.txt")));
    EXPECT_FALSE(gDisplayOptions.showStars);
    EXPECT_EQ(gChartView.fieldWidth, 90 * kFileDegree);
    EXPECT_EQ(Find("Settings"), 0) << "a settings file named .txt is no import";

    ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
    ASSERT_TRUE(writeIndex(gObjectStore.indexPath));
    const std::string index = gObjectStore.indexPath;
    ASSERT_NE(AddCatalog("Unsaved Star"), 0);
    EXPECT_TRUE(openFileByKind(index));
    EXPECT_EQ(gObjectStore.indexPath, index);
    EXPECT_NE(Find("Vega"), 0);
    EXPECT_NE(Find("Unsaved Star"), 0);

    // Element files and text files are imported by their names' extensions:
    // "TEXT" as the first four characters after the first dot.
    AddBody(kTypeEarth, "Earth");
    const std::pair<const char*, std::string> imports[] = {
        {"Stations.tle",
         Bar("TEST SAT|1 00001U 99001A   99001.50000000  .00012345  12345-3  10000-4 0  9990|"
             "2 00001  51.6000 123.4567 0012345 234.5678 345.6789 15.50000000    01")},
        {"Upper.TXT", StarTextFile("Upper Star")},
        {"Notes.TEXTS.dat", StarTextFile("Texts Star")},
    };
    for (const auto& [name, bytes] : imports) {
        WriteAll(PathOf(name), bytes);
        EXPECT_TRUE(openFileByKind(PathOf(name))) << name;
    }
    EXPECT_NE(Find("TEST SAT"), 0);
    EXPECT_NE(Find("Upper Star"), 0);
    EXPECT_NE(Find("Texts Star"), 0);
    EXPECT_EQ(Messages(), "");
}

TEST_F(FileCommands, OpenByKindRefuses) {
    ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
    ASSERT_TRUE(FileExists(gObjectStore.databaseDirectory + "/Custom.nvd"));
    const std::string index = gObjectStore.indexPath;
    const struct {
        std::string path;
        int message;
    } cases[] = {
        {gObjectStore.databaseDirectory + "/Custom.nvd", 538}, // a data file
        {PathOf("Stations.Tle"), 258},
        {PathOf("Stars.Txt"), 258},
        {PathOf("Stars.text"), 258},
        {PathOf("Stars.dat.TEXT"), 258},
        {PathOf("Stars"), 258},
        {PathOf("Gone.nvs"), 257},
    };
    for (const auto& c : cases) {
        if (c.message == 258) WriteAll(c.path, StarTextFile("Refused Star"));
        EXPECT_FALSE(openFileByKind(c.path)) << c.path;
        ExpectOneMessage(c.message, std::filesystem::path(c.path).filename());
    }
    EXPECT_EQ(Find("Refused Star"), 0);
    EXPECT_EQ(gObjectStore.indexPath, index);
    EXPECT_EQ(Find("Mars"), mars);

    // A file too short for a database header: the probes say nothing, only
    // the verdict is reported, only while messages are on, and the messages
    // are as the caller left them afterwards.
    WriteAll(PathOf("Short.nvs"), "x");
    for (bool enabled : {true, false}) {
        ClearRecordedMessages();
        SetMessagesEnabled(enabled);
        EXPECT_FALSE(openFileByKind(PathOf("Short.nvs")));
        EXPECT_EQ(MessagesEnabled(), enabled);
        SetMessagesEnabled(true);
        EXPECT_EQ(RecordedMessages().size(), enabled ? 1u : 0u);
    }
}

TEST_F(FileCommands, SaveCommandsRememberThePathOfTheLastSaveAs) {
    AnswerFileDialogs();
    std::string descriptionOffered;
    SetDialogResponder(
        kSaveDescriptionTemplate,
        [&](WindowRef dialog) {
            descriptionOffered = GetItemText(dialog, kDescriptionEditControl);
            SetItemText(dialog, kDescriptionEditControl, "Dark site\nwinter");
        },
        kOKButton);

    // Nothing saved yet: Save Settings asks for a name; cancelled, it writes nothing.
    saveSettingsCommand();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, 710);
    EXPECT_EQ(currentSettingsPath(), "");

    // Save As with a description.
    gSettingsDescription = "Old words";
    const std::string site = answer = PathOf("Site.nvs");
    saveSettingsAsCommand();
    EXPECT_EQ(currentSettingsPath(), site);
    EXPECT_EQ(descriptionOffered, "Old words");
    EXPECT_EQ(gSettingsDescription, "Dark site\r\nwinter");
    EXPECT_EQ(ReadAll(site).rfind(Bar("<NorvaneSettingsFile>|FileVersion=3.1.1||<Description>|"
                                      "Dark site|winter|</Description>||<Settings>"),
                                  0),
              0u);

    // Save Settings now writes there without asking.
    gDisplayOptions.showStars = false;
    asked.clear();
    saveSettingsCommand();
    EXPECT_TRUE(asked.empty());
    EXPECT_NE(ReadAll(site).find("\r\nShowStars=0\r\n"), std::string::npos);

    // Save As proposes the file last saved; a cancelled description dialog
    // writes nothing and keeps the description.
    SetDialogResponder(
        kSaveDescriptionTemplate,
        [](WindowRef dialog) { SetItemText(dialog, kDescriptionEditControl, "No"); },
        kCancelButton);
    answer = PathOf("Other.nvs");
    saveSettingsAsCommand();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].second, site);
    EXPECT_FALSE(FileExists(answer));
    EXPECT_EQ(gSettingsDescription, "Dark site\r\nwinter");
    EXPECT_EQ(currentSettingsPath(), site);

    // A save that fails keeps the old path for Save Settings.
    SetDialogResponder(kSaveDescriptionTemplate, nullptr, kOKButton);
    answer = PathOf("Missing/Other.nvs");
    saveSettingsAsCommand();
    ExpectOneMessage(530, "Other.nvs");
    EXPECT_EQ(currentSettingsPath(), site);

    // Save Settings to a file whose folder has gone.
    std::filesystem::create_directory(PathOf("Sub"));
    answer = PathOf("Sub/Away.nvs");
    saveSettingsAsCommand();
    ASSERT_EQ(currentSettingsPath(), answer);
    std::filesystem::remove_all(PathOf("Sub"));
    saveSettingsCommand();
    ExpectOneMessage(530, "Away.nvs");
}

TEST_F(FileCommands, DefaultSettingsAndTheOpenCommands) {
    openDefaultSettingsCommand(); // no default file yet
    ExpectOneMessage(257, "Norvane.ini");

    // Saved without the description, which stays in memory, and read back.
    gSettingsDescription = "Only in memory";
    gDisplayOptions.showStars = false;
    gViewer.viewerObject = mars;
    saveSettingsAsDefaultCommand();
    EXPECT_EQ(gSettingsDescription, "Only in memory");
    const std::string saved = ReadAll(PathOf("Norvane.ini"));
    EXPECT_EQ(saved.find("<Description>"), std::string::npos);
    EXPECT_NE(saved.find("\r\nViewerObject=Mars\r\n"), std::string::npos);
    ResetRecords();
    openDefaultSettingsCommand();
    EXPECT_FALSE(gDisplayOptions.showStars);
    EXPECT_EQ(gViewer.viewerObject, mars);
    EXPECT_EQ(descriptionDialogs, 0);

    // Each open command asks with its own title; either opens whatever kind
    // of file is chosen.
    AnswerFileDialogs();
    openSettingsCommand();
    openDatabaseCommand();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].first, 700);
    EXPECT_EQ(asked[1].first, 702);
    answer = PathOf("Chosen.nvs");
    WriteAll(answer, SettingsFileWith("ShowPlanets=0"));
    openSettingsCommand();
    EXPECT_FALSE(gDisplayOptions.showPlanets);
    WriteAll(answer, SettingsFileWith("ShowPlanets=1"));
    openDatabaseCommand();
    EXPECT_TRUE(gDisplayOptions.showPlanets);
    EXPECT_EQ(Messages(), "");
}

TEST_F(FileCommands, ShippedDefaultSettings) {
    const std::string path = std::string(NORVANE_SOURCE_DIR) + "/data/Norvane.ini";
    const std::string shipped = ReadAll(path);
    ASSERT_TRUE(readSettingsFile(path));
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(descriptionDialogs, 0) << "start-up must not stop at a dialog";
    EXPECT_TRUE(Written() == shipped) << "the shipped file is in the program's own layout";
    for (const char* line : {"ViewerLongitude=-118.057500", "ViewerLatitude=+34.225833",
                             "ChartCenterLongitude=180.000000"}) // looking south
        EXPECT_NE(shipped.find(kCRLF + line + kCRLF), std::string::npos) << line;

    // Apart from the site and the view's direction it holds the defaults.
    ResetRecords();
    std::size_t differences = 0;
    std::istringstream a(shipped), b(Written());
    for (std::string x, y; std::getline(a, x) && std::getline(b, y);)
        differences += x != y;
    EXPECT_EQ(differences, 6u)
        << "site name, longitude, latitude, altitude, zone, centre longitude";
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    InitPlatform(argc, argv);
    return RUN_ALL_TESTS();
}
