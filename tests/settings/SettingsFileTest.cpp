// The settings file: its lines read, its layout written byte for byte and read back,
// damaged input, and the File menu's settings commands, on a database built in memory.

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

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
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
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&bytes, &size);
    writeSettingsFile(stream, "test");
    std::fclose(stream);
    std::string text(bytes, size);
    std::free(bytes);
    return text;
}

// Whether each line of "a|b" is a whole line of `text` ("!a": no line starts so).
void ExpectLines(const std::string& text, const std::string& lines) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line, '|');) {
        if (line[0] == '!')
            EXPECT_EQ(text.find(kCRLF + line.substr(1)), std::string::npos) << line;
        else
            EXPECT_NE(text.find(kCRLF + line + kCRLF), std::string::npos) << line;
    }
}

// The recorded messages as "number: text" lines.
std::string Messages() {
    std::string text;
    for (const MessageRecord& m : RecordedMessages())
        text += std::to_string(m.number) + ": " + m.text + "\n";
    return text;
}

// Every record at its start-up values, a scratch program directory with a few named objects,
// messages answered and recorded, and the Description dialog of a file read answered OK.
class SettingsFile : public testing::Test {
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
        mars = AddBody(5, "Mars");
        sirius = AddCatalog("Sirius");
        vega = AddCatalog("Vega");
        ASSERT_TRUE(customId != 0 && mars != 0 && sirius != 0 && vega != 0);
        AnswerReadDescription(kOKButton);
        ClearRecordedMessages();
    }
    void TearDown() override {
        ClearDialogResponders();
        SetFileDialogResponder(nullptr);
        ResetRecords();
        setObjectStoreDefaults();
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    static void ResetRecords() {
        setSettingsDefaults();
        setDriverDefaults();
        DeleteAllTrails();
    }
    // The Description dialog of a file being read: records it, puts in any `edit`, presses
    // `button`.
    void AnswerReadDescription(int button, std::string edit = "") {
        SetDialogResponder(
            kReadDescriptionTemplate,
            [this, edit](WindowRef dialog) {
                descriptionShown = GetItemText(dialog, kDescriptionEditControl);
                if (!edit.empty()) SetItemText(dialog, kDescriptionEditControl, edit);
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
    // Exactly one message was shown, `number`, naming the file `title`.
    static void ExpectOneMessage(int number, const std::string& title) {
        const std::string text = Messages();
        EXPECT_TRUE(RecordedMessages().size() == 1 && text.rfind(std::to_string(number), 0) == 0 &&
                    text.find("\"" + title + "\"") != std::string::npos)
            << number << " " << title << ": " << text;
        ClearRecordedMessages();
    }
    std::string PathOf(const std::string& name) const { return dir + "/" + name; }
    // Writes `bytes` to a scratch file and reads it as a settings file.
    bool ReadText(const std::string& bytes) {
        WriteAll(PathOf("test.nvs"), bytes);
        return readSettingsFile(PathOf("test.nvs"));
    }
    // A file with one settings section holding the value lines "a|b|c".
    static std::string SettingsFileWith(const std::string& lines) {
        return Bar("<NorvaneSettingsFile>|FileVersion=3.1.1||<Settings>|" + lines +
                   "|</Settings>||</NorvaneSettingsFile>");
    }
    std::string dir, descriptionShown;
    ObjectID customId = 0, mars = 0, sirius = 0, vega = 0;
};

// Each file is read over the start-up state, and what is written afterwards
// must hold the expected lines. A file with its first line is taken whole.
struct ReadCase {
    std::string file;          // value lines "a|b|c", or a whole file
    std::string lines;         // "a|b" for ExpectLines
    std::string messages = ""; // "number: text" lines
};

const std::string kNoObject = "523: There's no object containing the name ";
const std::string kEndsEarly = "545: The settings file \"test.nvs\" ends early; it may have been "
                               "cut short.  The settings read before its end are in use.\n";

const ReadCase kReadCases[] = {
    // Flags are on for any non-zero byte.
    {"ShowLargeStars=2|ShowStars=0|ShowStarColors=|ShowPlanets=x|ShowPlanetSymbols=256",
     "ShowLargeStars=1|ShowStars=0|ShowStarColors=0|ShowPlanets=0|ShowPlanetSymbols=0"},
    // Magnitudes: hundredths toward zero, 16 bits; empty is none only where allowed.
    {"FaintestPlanetLabelMagnitude=-0.29|BrightestStarMagnitude=1e10|"
     "FaintestOpenClusterMagnitude=-1e10|FaintestGalaxyMagnitude=|FaintestStarMagnitude=|"
     "FaintestStarLabelMagnitude=   ",
     "FaintestPlanetLabelMagnitude=-0.28|BrightestStarMagnitude=+327.67|"
     "FaintestOpenClusterMagnitude=-327.68|FaintestGalaxyMagnitude=|FaintestStarMagnitude=+0.00|"
     "FaintestStarLabelMagnitude="},
    // The old planet flag sets its family of theory (VFP for VSOP87 too) until
    // PlanetComputation overrules it.
    {"PlanetComputation=Elements|PlanetPerturbations=1", "PlanetComputation=VFP"},
    {"PlanetPerturbations=1|PlanetComputation=Elements", "PlanetComputation=Elements"},
    {"PlanetComputation=VSOP87|PlanetPerturbations=0", "PlanetComputation=Elements"},
    // Keywords and keys are exact words: a mismatch changes nothing.
    {"PlanetComputation=VSOP87|PlanetComputation=vsop87|ChartCoordinateSystem=Galactic |"
     "showplanets=0|ShowPlanets =0| ShowDeepSkyObjects=0",
     "PlanetComputation=VSOP87|PlanetPerturbations=1|ChartCoordinateSystem=Horizon|ShowPlanets=1|"
     "ShowDeepSkyObjects=1"},
    // Font: the face held to 31 characters, known style words in their own order.
    {"ChartWindowsFont=" + std::string(40, 'F') +
         ",-9,Strikeout,Extended,Condensed,Shadow,Outline,Underline,Italic,bold,Heavy,Bold,",
     "ChartWindowsFont=" + std::string(31, 'F') +
         ",-9,Bold,Italic,Underline,Outline,Shadow,Condensed,Extended,Strikeout"},
    // Numbers that don't parse read as 0 (a NaN would spread into every computation);
    // a comma must follow a number directly; integers keep the low bits of their width.
    {"JulianDate=soon|ViewerObjectOffset=1,x,3|StarColor=255, 7,x|PlanetColor=1 ,2,3|"
     "TelescopeUpdatesPerSec=12.9|TelescopeConnectionPort=65539|DeepSkyObjectColor=256,-1,511|"
     "TelescopeLatEncoderSteps=-99999999999|TelescopeLonEncoderSteps=+4294967297",
     "JulianDate=0.000000|ViewerObjectOffset=+1.000000000E+00,+0.000000000E+00,+0.000000000E+00|"
     "StarColor=255,007,000|PlanetColor=001,000,000|TelescopeUpdatesPerSec=12|"
     "TelescopeConnectionPort=3|DeepSkyObjectColor=000,255,255|TelescopeLonEncoderSteps=+1|"
     "TelescopeLatEncoderSteps=-1215752191"},
    // A value runs from the first "=" to a NUL; object names are whole names,
    // letter case ignored; a ten-megabyte line is read in pieces, and the tail
    // of a long line is a line of its own.
    {"ViewerSiteName=H=a" + std::string(1, '\0') + "rbour|ViewerObject=MARS|CenteredObject=sirius",
     "ViewerSiteName=H=a|ViewerObject=Mars|CenteredObject=Sirius"},
    {"ViewerSiteName=" + std::string(10 << 20, 'A') + "|JulianDate=2451000.5|" +
         std::string(255, 'x') + "ShowStars=0",
     "ViewerSiteName=" + std::string(47, 'A') + "|JulianDate=2451000.500000|ShowStars=0"},
    // EndOfSettings ends a section; another section is read as well.
    {"<NorvaneSettingsFile>|FileVersion=3.1.1|<Settings>|ShowStars=0|EndOfSettings|ShowPlanets=0|"
     "<Settings>|ShowDeepSkyObjects=0|EndOfSettings=anything|ShowColors=0",
     "ShowStars=0|ShowPlanets=1|ShowDeepSkyObjects=0|ShowColors=1", kEndsEarly},
    // Trail blocks before, inside and after the section; absent numbers are
    // 0, and an unknown type word gives none.
    {"<NorvaneSettingsFile>||<Trail>|TrailObject=Mars|TrailPoints=2|</Trail>|<Settings>|"
     "ShowStars=0|<Trail>|TrailObject=vega|TrailType=Sideways|TrailPoints=1|TrailDatesInterval=3|"
     "</Trail>|</Settings>|<Trail>|TrailObject=Sirius|TrailType=InSky|TrailPoints=4|</Trail>",
     "ShowStars=0|TrailObject=Mars|TrailObject=Sirius|TrailType=InSky|TrailObject=Vega|"
     "TrailDatesInterval=3|!TrailType=Sideways",
     kEndsEarly},
    // No trail without positions to hold, nor without a known object.
    {"<Trail>|TrailObject=Mars|TrailPoints=0|</Trail>|<Trail>|TrailObject=Pluto|TrailPoints=3|"
     "</Trail>|<Trail>|TrailPoints=4|</Trail>|ShowStars=0",
     "ShowStars=0|!<Trail>",
     kNoObject + "\"Pluto\" in memory!\n" + kNoObject + "\"\" in memory!\n"},
    // A block cut off by the end of the file makes no trail, and is said.
    {"<NorvaneSettingsFile>||<Trail>|TrailObject=Mars", "!<Trail>", kEndsEarly},
};

TEST_F(SettingsFile, ValuesKeysAndTrails) {
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.file.substr(0, 300));
        ResetRecords();
        ClearRecordedMessages();
        const bool whole = c.file.rfind("<NorvaneSettingsFile>", 0) == 0;
        ASSERT_TRUE(ReadText(whole ? Bar(c.file) : SettingsFileWith(c.file)));
        const std::string written = Written();
        ExpectLines(written, c.lines);
        EXPECT_EQ(Messages(), c.messages);
    }
}

TEST_F(SettingsFile, RefusedFilesChangeNothingAndAFirstLineAloneOnlyTrails) {
    gSettingsDescription = "Kept";
    ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
    const std::string before = Written();
    // A first line not exactly the header, an empty file, none at all.
    for (auto [bytes, path, message] :
         {std::tuple{"<norvanesettingsfile>\r\n<Settings>\r\nShowStars=0\r\n", PathOf("Odd.nvs"),
                     258},
          {"", PathOf("Empty.nvs"), 258},
          {nullptr, PathOf("Missing.nvs"), 257}}) {
        if (bytes != nullptr) WriteAll(path, bytes);
        EXPECT_FALSE(readSettingsFile(path)) << path;
        ExpectOneMessage(message, std::filesystem::path(path).filename());
        EXPECT_EQ(Written(), before) << "a refused file deletes no trails: " << path;
    }
    // The first line alone is a file cut short: it replaces the trails with none, nothing else.
    ASSERT_TRUE(ReadText("<NorvaneSettingsFile>\nFileVersion=9.9\n"));
    EXPECT_EQ(FirstTrail(), 0);
    ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
    EXPECT_EQ(Written(), before);
    EXPECT_EQ(Messages(), kEndsEarly);
}

TEST_F(SettingsFile, MoreTrailsThanTheTableHoldsAreLeftOutAndTheRestIsRead) {
    std::string bytes = "<NorvaneSettingsFile>\r\n\r\n";
    for (int i = 0; i < 300; ++i) {
        const std::string name = "Star " + std::to_string(i);
        ASSERT_NE(AddCatalog(name.c_str()), 0);
        bytes += Bar("<Trail>|TrailObject=" + name + "|TrailPoints=2|</Trail>");
    }
    ASSERT_TRUE(ReadText(bytes + Bar("<Settings>|ShowStars=0")));
    EXPECT_EQ(gTrailTable.count, kTrailSlots - 1);
    EXPECT_FALSE(gDisplayOptions.showStars);
}

TEST_F(SettingsFile, Description) {
    // Lines ended by CR, LF CR (two ends) or CR LF joined with CR LF, a long
    // line joined again without a break, and shown for editing; the edit is taken.
    const std::string longLine(300, 'd');
    AnswerReadDescription(kOKButton, "Edited\nText");
    ASSERT_TRUE(ReadText("<NorvaneSettingsFile>\n\n<Description>\nFirst\rSecond\n\rThird\r\n" +
                         longLine + "\n\nFourth=4\n</Description>\n<Settings>\nShowStars=0\n"));
    EXPECT_EQ(descriptionShown,
              "First\r\nSecond\r\n\r\nThird\r\n" + longLine + "\r\n\r\nFourth=4\r\n");
    EXPECT_EQ(gSettingsDescription, "Edited\r\nText");
    EXPECT_FALSE(gDisplayOptions.showStars);
    // Cancel stops the reading and keeps the file's text, not the edit.
    AnswerReadDescription(kCancelButton, "Never taken");
    ResetRecords();
    ASSERT_TRUE(ReadText(Bar("<NorvaneSettingsFile>||<Description>|Old|</Description>|"
                             "<Settings>|ShowStars=0")));
    EXPECT_TRUE(gDisplayOptions.showStars);
    EXPECT_EQ(gSettingsDescription, "Old\r\n");
    // A description is bounded at 32767 bytes, and the rest of the file is read.
    AnswerReadDescription(kOKButton);
    std::string text = "<NorvaneSettingsFile>\r\n\r\n<Description>\r\n";
    for (int i = 0; i < 400; ++i)
        text += std::string(98, static_cast<char>('a' + i % 26)) + "\r\n"; // 40 000 bytes
    text += "</Description>\r\n<Settings>\r\nShowStars=0\r\n";
    ASSERT_TRUE(ReadText(text));
    EXPECT_TRUE(gSettingsDescription == text.substr(40, kMaxDescriptionLength));
    EXPECT_FALSE(gDisplayOptions.showStars);
}

// Every key away from its default, with a trail of Mars and one of Sirius,
// written out from the layout.
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
    "TelescopeConnectionPort=3|TelescopeDevice=/dev/"
    "ttyUSB0|TelescopeUpdatesPerSec=10|TelescopeLonEncoderSteps=-4096|"
    "TelescopeLatEncoderSteps=+8192|TelescopeEncodersSwapped=1|ShowTelescopeFinderField=0|"
    "ShowTelescopeEyepieceField=0|ShowTelescopeCameraField=0|TelescopeFinderFieldWidth=5.000000|"
    "TelescopeEyepeiceFieldWidth=0.500000|TelescopeCameraFieldWidth=0.750000|"
    "TelescopeCameraFieldHeight=0.500000|</Settings>||<Trail>|TrailObject=Mars|TrailType=InSpace|"
    "TrailPoints=200|TrailTicksInterval=5|TrailDatesInterval=10|</Trail>||<Trail>|"
    "TrailObject=Sirius|TrailType=InCurrentCoordinates|TrailPoints=50|TrailTicksInterval=0|"
    "TrailDatesInterval=0|</Trail>||</NorvaneSettingsFile>");

TEST_F(SettingsFile, EveryKeyReadAndWrittenBackByteForByte) {
    ASSERT_TRUE(ReadText(kEveryKeyFile));
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(descriptionShown, "First line\r\nSecond line\r\n");
    ASSERT_TRUE(saveSettingsFile(PathOf("Every.nvs")));
    EXPECT_EQ(ReadAll(PathOf("Every.nvs")), kEveryKeyFile);
    // Held in the program's units: radians, days, Julian dates, hundredths.
    const std::pair<double, double> units[] = {
        {gComputationOptions.horizonAltitude, -0.5 * kFileDegree},
        {gViewer.timeZone, -8.0 / 24},
        {gComputationOptions.precessionEpoch, 2433282.5}, // 50 years of 365.25 days before J2000
        {gDisplayOptions.brightestStarMagnitude, -150}};
    for (std::size_t i = 0; i < std::size(units); ++i)
        EXPECT_DOUBLE_EQ(units[i].first, units[i].second) << i;
    // The shipped default file read over every key brings back each of its
    // values and no trail, in the program's own layout, without a message.
    const std::string shipped = std::string(NORVANE_SOURCE_DIR) + "/data/Norvane.ini";
    gSettingsDescription.clear();
    ASSERT_TRUE(readSettingsFile(shipped));
    EXPECT_EQ(Written(), ReadAll(shipped));
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(gTelescopeState.cameraFieldHeight, 0.166667 * kFileDegree)
        << "one sixth of a degree comes back as its six decimals";
}

TEST_F(SettingsFile, LongLinesMagnitudesDescriptionsAndTrailsOfLostObjects) {
    const std::string longName(300, 'N');
    gChartView.centeredObject = AddCatalog(longName.c_str());
    gViewer.julianDate = 1e300;                       // "%.6f" of it runs to some 310 characters
    gDisplayOptions.faintestStarMagnitude = kNoLimit; // a plain magnitude has no "none"
    gDisplayOptions.brightestStarMagnitude = -32768;
    SetTypeLimit(64, -5);
    ObjectID gone = AddBody(12, "Ceres");
    ASSERT_NE(CreateTrail(gone, kTrailInSky, 9, 2, 3), 0);
    ASSERT_NE(CreateTrail(vega, 0, 1, 0, 0), 0);
    FreeObject(removeObject(gone));
    const std::string written = Written();
    ExpectLines(written, "FaintestStarMagnitude=+327.67|"
                         "BrightestStarMagnitude=-327.68|FaintestPlanetaryNebulaMagnitude=-0.05");
    // Value lines are cut to 256 characters.
    EXPECT_NE(written.find(Bar("CenteredObject=" + longName.substr(0, 256 - 15)) +
                           "ChartCenterLongitude"),
              std::string::npos);
    std::size_t at = written.find("\r\nJulianDate=1");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(written.find(kCRLF, at + 2), at + 2 + 256);
    // A trail whose object has gone is written without it.
    EXPECT_NE(written.find(Bar("</Settings>||<Trail>|TrailType=InSky|TrailPoints=9|"
                               "TrailTicksInterval=2|TrailDatesInterval=3|</Trail>||<Trail>|"
                               "TrailObject=Vega|TrailPoints=1|TrailTicksInterval=0|"
                               "TrailDatesInterval=0|</Trail>||</NorvaneSettingsFile>")),
              std::string::npos);
    // A description ends with exactly one line break.
    for (auto [description, lines] :
         {std::pair{"One\r\nTwo\r\n", "One|Two"}, {"One\r\nTwo", "One|Two"}}) {
        gSettingsDescription = description;
        const std::string expected = Bar(std::string("<NorvaneSettingsFile>|FileVersion=3.1.1||") +
                                         "<Description>|" + lines + "|</Description>||<Settings>");
        EXPECT_EQ(Written().substr(0, expected.size()), expected) << description;
    }
}

TEST_F(SettingsFile, OpenByKind) {
    // A settings file is read whatever its name; an index replaces the
    // database, the old one written back when it is closed.
    WriteAll(PathOf("settings.txt"), SettingsFileWith("ChartFieldWidth=90"));
    EXPECT_TRUE(openFileByKind(PathOf("settings.txt")));
    EXPECT_EQ(gChartView.fieldWidth, 90 * kFileDegree);
    ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
    ASSERT_TRUE(writeIndex(gObjectStore.indexPath));
    ASSERT_NE(AddCatalog("Unsaved Star"), 0);
    EXPECT_TRUE(openFileByKind(std::string(gObjectStore.indexPath)));
    auto found = [](const std::string& name) {
        ObjectID id = 0;
        return findObjectByName(name, false, true, id) == kStatusSuccess;
    };
    EXPECT_TRUE(found("Unsaved Star"));
    // Text files are imported by their names' extensions, "TEXT" as the first
    // four characters after the first dot too; a data file or a file gone is refused.
    for (auto [file, message] : {std::pair{PathOf("Upper.TXT"), 0},
                                 {PathOf("Notes.TEXTS.dat"), 0},
                                 {PathOf("Stars.Txt"), 258},
                                 {PathOf("Gone.nvs"), 257},
                                 {gObjectStore.databaseDirectory + "/Custom.nvd", 538}}) {
        const std::string name = std::filesystem::path(file).filename();
        if (!FileExists(file) && message != 257)
            WriteAll(file, "S01\t2000\t6 45 8.9\t-16 42 58\t\t\t5.0\t\t\t\t\t" + name + "\r\n");
        EXPECT_EQ(openFileByKind(file), message == 0) << name;
        EXPECT_EQ(found(name), message == 0) << name;
        if (message != 0) ExpectOneMessage(message, name);
    }
    EXPECT_EQ(Messages(), "");
    // A file too short for a database header leaves the messages as the caller set them.
    WriteAll(PathOf("Short.nvs"), "x");
    SetMessagesEnabled(false);
    EXPECT_FALSE(openFileByKind(PathOf("Short.nvs")));
    EXPECT_FALSE(MessagesEnabled());
    SetMessagesEnabled(true);
}

TEST_F(SettingsFile, SaveCommandsRememberThePathOfTheLastSaveAs) {
    // The file dialog answers `answer`, cancelling while it is empty.
    int asked = 0;
    std::string answer;
    SetFileDialogResponder([&](int, std::string& path) {
        ++asked;
        if (!answer.empty()) path = answer;
        return !answer.empty();
    });
    auto describe = [](const char* text, int button) {
        SetDialogResponder(
            kSaveDescriptionTemplate,
            [text](WindowRef dialog) { SetItemText(dialog, kDescriptionEditControl, text); },
            button);
    };
    // Save As with the description edited; Save Settings then writes there.
    describe("Dark site\nwinter", kOKButton);
    const std::string site = answer = PathOf("Site.nvs");
    saveSettingsAsCommand();
    EXPECT_NE(ReadAll(site).find(Bar("<Description>|Dark site|winter|</Description>")),
              std::string::npos);
    gDisplayOptions.showStars = false;
    saveSettingsCommand();
    EXPECT_EQ(asked, 1);
    EXPECT_NE(ReadAll(site).find("\r\nShowStars=0\r\n"), std::string::npos);
    // A cancelled description dialog writes nothing and keeps the description.
    describe("No", kCancelButton);
    answer = PathOf("Other.nvs");
    saveSettingsAsCommand();
    EXPECT_FALSE(FileExists(answer));
    EXPECT_EQ(gSettingsDescription, "Dark site\r\nwinter");
    // A save that can't open its file keeps the old path for Save Settings.
    describe("Dark site", kOKButton);
    answer = PathOf("Missing/Lost.nvs");
    saveSettingsAsCommand();
    ExpectOneMessage(530, "Lost.nvs");
    EXPECT_EQ(currentSettingsPath(), site);
}

TEST_F(SettingsFile, DefaultSettingsFile) {
    openDefaultSettingsCommand(); // no default file yet
    ExpectOneMessage(257, "Norvane.ini");
    // Saved without the description (start-up must not stop at its dialog),
    // which stays in memory.
    gSettingsDescription = "Only in memory";
    saveSettingsAsDefaultCommand();
    EXPECT_EQ(gSettingsDescription, "Only in memory");
    EXPECT_EQ(ReadAll(PathOf("Norvane.ini")).find("<Description>"), std::string::npos);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    InitPlatform(argc, argv);
    return RUN_ALL_TESTS();
}
