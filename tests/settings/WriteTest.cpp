// Writing settings files: the layout byte for byte, the rules for what is
// left out, a saved file read back, and saving over a file that must survive
// a failed write.

#include "SettingsTestBase.h"

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

namespace settings_test {
namespace {

using WriteSettings = SettingsTest;

// Every key away from its default, with values whose written form can be
// worked out by hand.
void SetEveryKey(ObjectID viewerObject, ObjectID centeredObject) {
    Viewer& v = gViewer;
    v.viewerObject = viewerObject;
    v.viewerObjectOffset[0] = 1.5e-5;
    v.viewerObjectOffset[1] = -2.25;
    v.viewerObjectOffset[2] = 3.0;
    SetViewerSiteName("Mount Wilson Observatory");
    v.longitude = 7.25 * kFileDegree;
    v.latitude = 5.125 * kFileDegree;
    v.altitude = 1742.0;
    v.timeZone = -8.0 / 24.0;
    v.julianDate = 2460000.25;
    v.calendar = 0;
    v.dynamicTime = true;
    v.daylightSavings = false;

    ComputationOptions& c = gComputationOptions;
    c.starParallax = false;
    c.starMotion = false;
    c.starParallaxThreshold = 250.0;
    c.starMotionThreshold = 36525.0;
    c.planetComputation = kPlanetsElements;
    c.planetLightTime = true;
    c.precessionEpoch = 2433282.5; // 1950.0: fifty years of 365.25 days before J2000
    c.precession = false;
    c.nutation = true;
    c.aberration = true;
    c.refraction = true;
    c.preciseRiseSet = false;
    c.horizonAltitude = -0.5 * kFileDegree;

    ChartView& view = gChartView;
    view.projection = kMollweide;
    view.coordinateSystem = kGalactic;
    view.centeredObject = centeredObject;
    view.centerLongitude = 266.4 * kFileDegree;
    view.centerLatitude = -28.9 * kFileDegree;
    view.fieldRotation = 12.5 * kFileDegree;
    view.fieldWidth = 60.0 * kFileDegree;
    view.invertedHorizontally = true;
    view.invertedVertically = true;
    view.scrollRate = 12.0;
    view.zoomFactor = 1.5;

    DisplayOptions& d = gDisplayOptions;
    d.showStars = false;
    d.showStarColors = false;
    d.showLargeStars = true;
    d.showMultipleStars = true;
    d.showVariableStars = true;
    d.showPlanets = false;
    d.showPlanetSymbols = false;
    d.showPlanetGrids = false;
    d.planetMagnification = 2.5;
    d.showDeepSkyObjects = false;
    d.showConstellations = false;
    d.showConstellationFigures = false;
    d.showConstellationBoundaries = false;
    d.showConstellationLabels = false;
    d.showObjectLabels = true;
    d.showChartLegend = false;
    d.showChartControls = false;
    d.showGridLines = true;
    d.showGridLabels = false;
    d.showEcliptic = true;
    d.showEquator = true;
    d.showGalacticEquator = true;
    d.showHorizonLine = false;
    d.showHorizonMask = false;
    d.showRADecGrid = false;
    d.gridRAInterval = 30.0 * kFileDegree;
    d.gridDecInterval = 20.0 * kFileDegree;
    d.brightestStarMagnitude = -150;
    d.faintestStarMagnitude = 725;
    d.faintestStarLabelMagnitude = kNoLimit;
    d.faintestPlanetLabelMagnitude = 1200;
    d.faintestDeepSkyLabelMagnitude = kNoLimit;
    SetTypeLimit(61, 800);
    SetTypeLimit(62, kNoLimit);
    SetTypeLimit(63, 1100);
    SetTypeLimit(64, 1225);
    SetTypeLimit(65, 1300);
    d.automaticMagnitudeLimits = false;
    d.useColor = false;
    d.redScreen = true;
    d.skyBackground = kSkyColor;
    const int slots[] = {kStarLabelColor,        kPlanetLabelColor,
                         kDeepSkyColor,          kFigureColor,
                         kBoundaryColor,         kGridColor,
                         kEquatorColor,          kEclipticColor,
                         kGalacticEquatorColor,  kHorizonColor,
                         kDaytimeSkyColor,       kCivilTwilightColor,
                         kNauticalTwilightColor, kAstronomicalTwilightColor};
    std::uint8_t n = 1;
    for (int slot : slots) {
        d.colors[slot] = {n, static_cast<std::uint8_t>(n + 1), static_cast<std::uint8_t>(n + 2)};
        n = static_cast<std::uint8_t>(n + 3);
    }
    d.colors[kNightSkyColor] = {255, 254, 253};
    d.fontFace = "Times New Roman";
    d.fontSize = 12;
    d.fontStyle = FontBold | FontUnderline | FontStrikeout;

    gAnimationState.mode = kAnimationForward;
    gAnimationState.timeStep = 1.0 / 24.0;

    TelescopeState& t = gTelescopeState;
    t.interface = kTelescopeNexStar;
    t.emulated = true;
    t.port = 3;
    t.updatesPerSec = 10;
    t.lonEncoderSteps = -4096;
    t.latEncoderSteps = 8192;
    t.encodersSwapped = 1;
    t.showFinderField = false;
    t.showEyepieceField = false;
    t.showCameraField = false;
    t.finderFieldWidth = 5.0 * kFileDegree;
    t.eyepieceFieldWidth = 0.5 * kFileDegree;
    t.cameraFieldWidth = 0.75 * kFileDegree;
    t.cameraFieldHeight = 0.5 * kFileDegree;

    gSettingsDescription = "First line\r\nSecond line";
}

// The settings section for SetEveryKey, written out from the layout.
std::string EveryKeySection() {
    return Lines({
        "<Settings>",
        "ViewerObject=Mars",
        "ViewerObjectOffset=+1.500000000E-05,-2.250000000E+00,+3.000000000E+00",
        "ViewerSiteName=Mount Wilson Observatory",
        "ViewerLongitude=+007.250000",
        "ViewerLatitude=+05.125000",
        "ViewerAltitude=1742.0",
        "TimeZone=-8.0",
        "JulianDate=2460000.250000",
        "CalendarSystem=Julian",
        "DynamicTime=1",
        "DaylightSavingsTime=0",
        "StarParallax=0",
        "StarMotion=0",
        "StarParallaxThreshold=250.0",
        "StarMotionThreshold=100.0",
        "PlanetPerturbations=0",
        "PlanetComputation=Elements",
        "PlanetLightTime=1",
        "PrecessionEpoch=1950.0",
        "Precession=0",
        "Nutation=1",
        "Aberration=1",
        "Refraction=1",
        "PreciseRiseSetTimes=0",
        "HorizonAltitude=-0.500",
        "ChartProjection=Mollweide",
        "ChartCoordinateSystem=Galactic",
        "CenteredObject=Sirius",
        "ChartCenterLongitude=266.400000",
        "ChartCenterLatitude=-28.900000",
        "ChartFieldRotation=+12.500000",
        "ChartFieldWidth=60.000000",
        "ChartInvertedHorizontally=1",
        "ChartInvertedVertically=1",
        "ShowStars=0",
        "ShowStarColors=0",
        "ShowLargeStars=1",
        "ShowMultipleStars=1",
        "ShowVariableStars=1",
        "ShowPlanets=0",
        "ShowPlanetSymbols=0",
        "ShowPlanetGrids=0",
        "PlanetMagnification=2.500000",
        "ShowDeepSkyObjects=0",
        "ShowConstellations=0",
        "ShowConstellationFigures=0",
        "ShowConstellationBoundaries=0",
        "ShowConstellationLabels=0",
        "ShowObjectLabels=1",
        "ShowChartLegend=0",
        "ShowChartControls=0",
        "ChartScrollRate=12.000",
        "ChartZoomFactor=1.500",
        "ShowGridLines=1",
        "ShowGridLabels=0",
        "ShowEcliptic=1",
        "ShowEquator=1",
        "ShowGalacticEquator=1",
        "ShowHorizonLine=0",
        "ShowHorizonMask=0",
        "ShowRADecGrid=0",
        "GridRAInterval=30.000000",
        "GridDecInterval=20.000000",
        "BrightestStarMagnitude=-1.50",
        "FaintestStarMagnitude=+7.25",
        "FaintestStarLabelMagnitude=",
        "FaintestPlanetLabelMagnitude=+12.00",
        "FaintestDeepSkyLabelMagnitude=",
        "FaintestOpenClusterMagnitude=+8.00",
        "FaintestGlobularClusterMagnitude=",
        "FaintestDiffuseNebulaMagnitude=+11.00",
        "FaintestPlanetaryNebulaMagnitude=+12.25",
        "FaintestGalaxyMagnitude=+13.00",
        "AutomaticMagnitudeLimits=0",
        "ShowColors=0",
        "RedScreen=1",
        "SkyBackground=Color",
        "StarColor=001,002,003",
        "PlanetColor=004,005,006",
        "DeepSkyObjectColor=007,008,009",
        "ConstellationsColor=010,011,012",
        "ConstellationBoundariesColor=013,014,015",
        "RADecGridColor=016,017,018",
        "EquatorColor=019,020,021",
        "EclipticColor=022,023,024",
        "GalacticEquatorColor=025,026,027",
        "HorizonColor=028,029,030",
        "DaytimeSkyColor=031,032,033",
        "CivilTwilightSkyColor=034,035,036",
        "NauticalTwilightSkyColor=037,038,039",
        "AstronomicalTwilightSkyColor=040,041,042",
        "NightSkyColor=255,254,253",
        "ChartWindowsFont=Times New Roman,12,Bold,Underline,Strikeout",
        "AnimationState=Forward",
        "AnimationTimeStep=0.041667",
        "TelescopeInterface=NexStar",
        "TelescopeEmulated=1",
        "TelescopeConnectionPort=3",
        "TelescopeUpdatesPerSec=10",
        "TelescopeLonEncoderSteps=-4096",
        "TelescopeLatEncoderSteps=+8192",
        "TelescopeEncodersSwapped=1",
        "ShowTelescopeFinderField=0",
        "ShowTelescopeEyepieceField=0",
        "ShowTelescopeCameraField=0",
        "TelescopeFinderFieldWidth=5.000000",
        "TelescopeEyepeiceFieldWidth=0.500000",
        "TelescopeCameraFieldWidth=0.750000",
        "TelescopeCameraFieldHeight=0.500000",
        "</Settings>",
        "",
    });
}

std::string EveryKeyFile() {
    return Lines({"<NorvaneSettingsFile>", "FileVersion=3.1.1", "", "<Description>", "First line",
                  "Second line", "</Description>", ""}) +
           EveryKeySection() +
           Lines({"<Trail>", "TrailObject=Mars", "TrailType=InSpace", "TrailPoints=200",
                  "TrailTicksInterval=5", "TrailDatesInterval=10", "</Trail>", "", "<Trail>",
                  "TrailObject=Sirius", "TrailType=InCurrentCoordinates", "TrailPoints=50",
                  "TrailTicksInterval=0", "TrailDatesInterval=0", "</Trail>", "",
                  "</NorvaneSettingsFile>"});
}

// The lines of a written file that differ from the expected ones, for a
// readable failure.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    std::size_t from = actual.rfind('\n', i == 0 ? 0 : i - 1);
    from = from == std::string::npos ? 0 : from + 1;
    return "at byte " + std::to_string(i) + ": written \"" + actual.substr(from, 80) +
           "\", expected \"" + expected.substr(from, 80) + "\"";
}

TEST_F(WriteSettings, EveryKeyByteForByte) {
    SetEveryKey(mars, sirius);
    ASSERT_NE(CreateTrail(mars, kTrailInSpace, 200, 5, 10), 0);
    ASSERT_NE(CreateTrail(sirius, kTrailInCurrentCoordinates, 50, 0, 0), 0);
    const std::string written = Written();
    const std::string expected = EveryKeyFile();
    EXPECT_TRUE(written == expected) << FirstDifference(written, expected);
}

TEST_F(WriteSettings, DefaultsWithoutDescriptionOrTrails) {
    const std::string written = Written();
    const std::string head =
        Lines({"<NorvaneSettingsFile>",
               "FileVersion=3.1.1",
               "",
               "<Settings>",
               "ViewerObject=",
               "ViewerObjectOffset=+0.000000000E+00,+0.000000000E+00,+0.000000000E+00",
               "ViewerSiteName=",
               "ViewerLongitude=+000.000000",
               "ViewerLatitude=+00.000000",
               "ViewerAltitude=0.0",
               "TimeZone=+0.0",
               "JulianDate=2451545.000000",
               "CalendarSystem=Gregorian",
               "DynamicTime=0",
               "DaylightSavingsTime=1",
               "StarParallax=1",
               "StarMotion=1",
               "StarParallaxThreshold=1000.0",
               "StarMotionThreshold=1000.0",
               "PlanetPerturbations=1",
               "PlanetComputation=VFP",
               "PlanetLightTime=0",
               "PrecessionEpoch=2000.0",
               "Precession=1"});
    ASSERT_GE(written.size(), head.size());
    EXPECT_TRUE(written.compare(0, head.size(), head) == 0) << FirstDifference(written, head);
    const std::string tail =
        Lines({"TelescopeFinderFieldWidth=3.000000", "TelescopeEyepeiceFieldWidth=1.000000",
               "TelescopeCameraFieldWidth=0.250000", "TelescopeCameraFieldHeight=0.166667",
               "</Settings>", "", "</NorvaneSettingsFile>"});
    ASSERT_GE(written.size(), tail.size());
    EXPECT_TRUE(written.compare(written.size() - tail.size(), tail.size(), tail) == 0)
        << written.substr(written.size() - tail.size());
    for (const char* line :
         {"\r\nChartProjection=Lambert\r\n", "\r\nChartCoordinateSystem=Horizon\r\n",
          "\r\nChartCenterLatitude=+45.000000\r\n", "\r\nChartFieldWidth=180.000000\r\n",
          "\r\nFaintestGalaxyMagnitude=+9.50\r\n", "\r\nBrightestStarMagnitude=+0.50\r\n",
          "\r\nChartWindowsFont=Arial,14\r\n", "\r\nAnimationState=Off\r\n",
          "\r\nAnimationTimeStep=1.000000\r\n", "\r\nTelescopeInterface=LX200\r\n",
          "\r\nTelescopeLonEncoderSteps=+2160\r\n", "\r\nStarColor=191,191,191\r\n",
          "\r\nConstellationsColor=000,255,000\r\n", "\r\nSkyBackground=Black\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line;
    EXPECT_EQ(written.find("<Description>"), std::string::npos);
    EXPECT_EQ(written.find("<Trail>"), std::string::npos);
}

TEST_F(WriteSettings, DescriptionEndsWithExactlyOneLineBreak) {
    const std::string head = Lines({"<NorvaneSettingsFile>", "FileVersion=3.1.1", ""});
    for (const char* text : {"One\r\nTwo\r\n", "One\r\nTwo"}) {
        gSettingsDescription = text;
        const std::string expected =
            head + Lines({"<Description>", "One", "Two", "</Description>", "", "<Settings>"});
        EXPECT_EQ(Written().substr(0, expected.size()), expected) << text;
    }
    gSettingsDescription = "\r\n";
    const std::string empty =
        head + Lines({"<Description>", "", "</Description>", "", "<Settings>"});
    EXPECT_EQ(Written().substr(0, empty.size()), empty)
        << "a description of one empty line is still a description";
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
        EXPECT_EQ(written.find(std::string("\r\n") + key), std::string::npos) << key;
    EXPECT_NE(written.find("\r\nPlanetPerturbations=0\r\n"), std::string::npos)
        << "the old flag is written whatever the mode";
    EXPECT_NE(written.find("\r\nChartCenterLongitude=0.000000\r\nChartCenterLatitude="),
              std::string::npos);
}

TEST_F(WriteSettings, OldPlanetFlagMeansWhatItsReadersTakeItFor) {
    // A reader that stops at the old flag (there is no PlanetComputation
    // after it) must get the same family of theory back: the orbital
    // elements, or the perturbed series (VFP standing for VSOP87 too).
    struct Case {
        std::uint8_t mode;
        const char* flag;
        std::uint8_t readBack;
    };
    for (const Case& c : {Case{kPlanetsElements, "0", kPlanetsElements},
                          Case{kPlanetsVFP, "1", kPlanetsVFP}, Case{kPlanetsVSOP87, "1", kPlanetsVFP}}) {
        gComputationOptions.planetComputation = c.mode;
        const std::string written = Written();
        const std::string line = std::string("PlanetPerturbations=") + c.flag;
        EXPECT_NE(written.find(kCRLF + line + kCRLF), std::string::npos) << int(c.mode);
        gComputationOptions.planetComputation = 0;
        ASSERT_TRUE(ReadText(SettingsFileWith({line})));
        EXPECT_EQ(gComputationOptions.planetComputation, c.readBack) << int(c.mode);
    }
}

TEST_F(WriteSettings, ValueLinesAreCutTo256Characters) {
    const std::string longName(300, 'N');
    ObjectID id = AddBody(12, longName.c_str());
    gChartView.centeredObject = id;
    gViewer.julianDate = 1e300; // "%.6f" of it runs to some 310 characters
    const std::string written = Written();
    const std::string centered = "CenteredObject=" + longName.substr(0, 256 - 15);
    EXPECT_NE(written.find("\r\n" + centered + "\r\nChartCenterLongitude"), std::string::npos);
    std::size_t at = written.find("\r\nJulianDate=1");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(written.find("\r\n", at + 2), at + 2 + 256);
}

TEST_F(WriteSettings, TrailsOfLostObjectsAndUnknownTypes) {
    ObjectID gone = AddBody(12, "Ceres");
    ASSERT_NE(CreateTrail(gone, kTrailInSky, 9, 2, 3), 0);
    ASSERT_NE(CreateTrail(vega, 0, 1, 0, 0), 0);
    FreeObject(removeObject(gone));
    const std::string written = Written();
    const std::string expected = Lines(
        {"</Settings>", "", "<Trail>", "TrailType=InSky", "TrailPoints=9", "TrailTicksInterval=2",
         "TrailDatesInterval=3", "</Trail>", "", "<Trail>", "TrailObject=Vega", "TrailPoints=1",
         "TrailTicksInterval=0", "TrailDatesInterval=0", "</Trail>", "", "</NorvaneSettingsFile>"});
    ASSERT_GE(written.size(), expected.size());
    EXPECT_EQ(written.substr(written.size() - expected.size()), expected);
}

TEST_F(WriteSettings, MagnitudesAndNoneByKey) {
    gDisplayOptions.faintestStarMagnitude = kNoLimit;
    gDisplayOptions.brightestStarMagnitude = -32768;
    gDisplayOptions.faintestPlanetLabelMagnitude = kNoLimit;
    SetTypeLimit(64, -5);
    const std::string written = Written();
    EXPECT_NE(written.find("\r\nFaintestStarMagnitude=+327.67\r\n"), std::string::npos)
        << "a plain magnitude has no \"none\"";
    EXPECT_NE(written.find("\r\nBrightestStarMagnitude=-327.68\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nFaintestPlanetLabelMagnitude=\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nFaintestPlanetaryNebulaMagnitude=-0.05\r\n"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Round trips

TEST_F(WriteSettings, SavedFileReadBackReproducesEveryKeyAndTrail) {
    SetEveryKey(mars, sirius);
    ASSERT_NE(CreateTrail(mars, kTrailInSpace, 200, 5, 10), 0);
    ASSERT_NE(CreateTrail(sirius, kTrailInCurrentCoordinates, 50, 0, 0), 0);
    const std::string path = PathOf("Every.nvs");
    ASSERT_TRUE(saveSettingsFile(path));
    const std::string saved = ReadAll(path);
    ASSERT_TRUE(saved == EveryKeyFile()) << FirstDifference(saved, EveryKeyFile());
    ASSERT_EQ(saved.find("EndOfSettings"), std::string::npos);

    ResetRecords();
    ASSERT_TRUE(readSettingsFile(path));
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
    EXPECT_EQ(descriptionShown, "First line\r\nSecond line\r\n");

    // What is read writes the same file again.
    const std::string rewritten = Written();
    EXPECT_TRUE(rewritten == saved) << FirstDifference(rewritten, saved);

    EXPECT_EQ(gViewer.viewerObject, mars);
    EXPECT_EQ(gChartView.centeredObject, sirius);
    EXPECT_EQ(gComputationOptions.planetComputation, kPlanetsElements);
    EXPECT_EQ(gComputationOptions.precessionEpoch, 2433282.5);
    EXPECT_EQ(gChartView.fieldWidth, 60.0 * kFileDegree);
    EXPECT_EQ(gDisplayOptions.fontStyle, FontBold | FontUnderline | FontStrikeout);
    EXPECT_EQ(TypeLimit(62), kNoLimit);
    EXPECT_EQ(gTelescopeState.latEncoderSteps, 8192);
    ASSERT_EQ(gTrailTable.count, 2);
    const Trail* first = GetTrail(FirstTrail());
    EXPECT_EQ(first->object, mars);
    EXPECT_EQ(first->type, kTrailInSpace);
    EXPECT_EQ(first->maxPoints, 200);
    EXPECT_EQ(first->ticksInterval, 5);
    EXPECT_EQ(first->datesInterval, 10);
    const Trail* second = GetTrail(NextTrail(FirstTrail()));
    EXPECT_EQ(second->object, sirius);
    EXPECT_EQ(second->type, kTrailInCurrentCoordinates);
}

TEST_F(WriteSettings, DefaultsSurviveARoundTrip) {
    const std::string defaults = Written();
    const std::string path = PathOf("Defaults.nvs");
    ASSERT_TRUE(saveSettingsFile(path));
    SetEveryKey(mars, sirius);
    gSettingsDescription.clear();
    ASSERT_TRUE(readSettingsFile(path));
    EXPECT_TRUE(Written() == defaults) << FirstDifference(Written(), defaults);
    EXPECT_EQ(gTelescopeState.cameraFieldHeight, 0.166667 * kFileDegree)
        << "one sixth of a degree comes back as its six decimals";
}

// ---------------------------------------------------------------------------
// Saving over an existing file

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(WriteSettings, FailedSaveLeavesThePreviousFile) {
    const std::string path = PathOf("Kept.nvs");
    SetEveryKey(mars, sirius);
    ASSERT_TRUE(saveSettingsFile(path));
    const std::string before = ReadAll(path);
    const std::vector<std::string> files = FilesIn(dir);

    ResetRecords();
    for (rlim_t limit : {rlim_t{0}, rlim_t{100}, rlim_t{2000}}) {
        ClearRecordedMessages();
        bool saved = true;
        {
            FileSizeLimit full(limit); // a disk that fills after `limit` bytes
            saved = saveSettingsFile(path);
        }
        EXPECT_FALSE(saved) << limit;
        ASSERT_EQ(MessageNumbers(), std::vector<int>{259}) << limit;
        EXPECT_NE(RecordedMessages()[0].text.find("\"Kept.nvs\""), std::string::npos);
        EXPECT_TRUE(ReadAll(path) == before) << "the old file was touched at " << limit;
        EXPECT_EQ(FilesIn(dir), files) << "a temporary file was left behind";
    }
    ASSERT_TRUE(saveSettingsFile(path));
    EXPECT_FALSE(ReadAll(path) == before) << "and with room again the new settings are written";
}

TEST_F(WriteSettings, UnopenableFileIsReportedAsSuch) {
    EXPECT_FALSE(saveSettingsFile(PathOf("NoSuchFolder/Lost.nvs")));
    ASSERT_EQ(MessageNumbers(), std::vector<int>{530});
    EXPECT_NE(RecordedMessages()[0].text.find("\"Lost.nvs\""), std::string::npos);
    ClearRecordedMessages();
    EXPECT_FALSE(saveSettingsFile(dir)) << "a directory can't be written over";
    EXPECT_EQ(MessageNumbers(), std::vector<int>{530});
}

} // namespace
} // namespace settings_test
