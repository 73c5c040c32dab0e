// Reading settings files: lines and their ends, every kind of value, the
// order rules between keys, trails, the description, and damaged input.

#include "SettingsTestBase.h"

#include "data/Search.h"

#include <cmath>

namespace settings_test {
namespace {

using ReadSettings = SettingsTest;

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

using Pieces = std::vector<std::pair<std::string, bool>>;

TEST(SettingsLines, EveryLineEndAndLongLinesInPieces) {
    EXPECT_EQ(LinesOf("a\r\nb\nc\rd"),
              (Pieces{{"a", true}, {"b", true}, {"c", true}, {"d", false}}));
    EXPECT_EQ(LinesOf("\n\r\r\n"), (Pieces{{"", true}, {"", true}, {"", true}}))
        << "LF, then CR, then CR LF: three empty lines";
    EXPECT_EQ(LinesOf("a\n\rb"), (Pieces{{"a", true}, {"", true}, {"b", false}}))
        << "LF CR is two line ends";
    EXPECT_EQ(LinesOf(""), Pieces{});

    const std::string full(255, 'x');
    EXPECT_EQ(LinesOf(full + "\r\nnext\r\n"), (Pieces{{full, true}, {"next", true}}))
        << "a line of exactly 255 characters is one line with its break";
    EXPECT_EQ(LinesOf(full + "\r"), (Pieces{{full, true}}));
    EXPECT_EQ(LinesOf(full + "yz\r\n"), (Pieces{{full, false}, {"yz", true}}))
        << "a longer line is read as pieces of 255";
    EXPECT_EQ(LinesOf(full + full + "\n"), (Pieces{{full, false}, {full, true}}));
}

TEST(SettingsLines, TextStopsAtANulButTheLineRunsToItsEnd) {
    EXPECT_EQ(LinesOf(std::string("Key=1\0=2\r\nNext\r\n", 16)),
              (Pieces{{"Key=1", true}, {"Next", true}}));
    // The NUL and what follows it still count toward the 255 characters.
    std::string bytes = std::string(1, '\0') + std::string(254, 'a') + "Tail\n";
    EXPECT_EQ(LinesOf(bytes), (Pieces{{"", false}, {"Tail", true}}));
}

TEST(SettingsLines, ValueLineSplitsAtTheFirstEquals) {
    std::string key, value;
    SplitValueLine("A=b=c", key, value);
    EXPECT_EQ(key, "A");
    EXPECT_EQ(value, "b=c");
    SplitValueLine("NoEquals", key, value);
    EXPECT_EQ(key, "NoEquals");
    EXPECT_EQ(value, "");
    SplitValueLine("=v", key, value);
    EXPECT_EQ(key, "");
    EXPECT_EQ(value, "v");
}

TEST_F(ReadSettings, TheSameFileReadsAlikeWithCrLfOrCrLf) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        ResetRecords();
        std::string text = std::string("<NorvaneSettingsFile>") + end + "FileVersion=3.1.1" + end +
                           "<Settings>" + end + "JulianDate=2451000.5" + end + "ShowStars=0" + end +
                           "ViewerObject=mars" + end + "<Trail>" + end + "TrailObject=Vega" + end +
                           "TrailPoints=7" + end + "</Trail>" + end;
        ASSERT_TRUE(ReadText(text));
        EXPECT_EQ(gViewer.julianDate, 2451000.5);
        EXPECT_FALSE(gDisplayOptions.showStars);
        EXPECT_EQ(gViewer.viewerObject, mars) << "names are found with letter case ignored";
        ASSERT_EQ(gTrailTable.count, 1);
        EXPECT_EQ(GetTrail(FindTrail(vega))->maxPoints, 7);
    }
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
}

// ---------------------------------------------------------------------------
// The edge cases of the format

TEST_F(ReadSettings, OnlyTheFirstLineDeletesTrailsAndChangesNothingElse) {
    gViewer.julianDate = 2455000.25;
    gDisplayOptions.showStars = false;
    gSettingsDescription = "Kept";
    ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
    const std::string before = Written();

    for (const char* text : {"<NorvaneSettingsFile>", "<NorvaneSettingsFile>\r\n",
                             "<NorvaneSettingsFile>\nFileVersion=9.9\n"}) {
        ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
        ASSERT_TRUE(ReadText(text)) << text;
        EXPECT_EQ(gTrailTable.count, 0) << text;
        EXPECT_EQ(FirstTrail(), 0);
        ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
        EXPECT_EQ(Written(), before) << "something besides the trails changed: " << text;
        DeleteAllTrails();
    }
    EXPECT_EQ(descriptionDialogs, 0);
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
}

TEST_F(ReadSettings, FlagsAreOnForAnyNonZeroByte) {
    struct Case {
        const char* value;
        bool on;
    } cases[] = {{"2", true},  {"1", true},    {"-1", true},  {"0", false}, {"", false},
                 {"x", false}, {"256", false}, {"257", true}, {" 3", true}, {"7abc", true}};
    for (const Case& c : cases) {
        gDisplayOptions.showStars = !c.on;
        ASSERT_TRUE(ReadText(SettingsFileWith({std::string("ShowStars=") + c.value})));
        EXPECT_EQ(gDisplayOptions.showStars, c.on) << "ShowStars=" << c.value;
    }
}

TEST_F(ReadSettings, EmptyMagnitudesAreNoneOnlyWhereNoneIsAllowed) {
    ASSERT_TRUE(ReadText(
        SettingsFileWith({"FaintestGalaxyMagnitude=", "FaintestStarMagnitude=",
                          "FaintestStarLabelMagnitude=   ", "BrightestStarMagnitude=  "})));
    EXPECT_EQ(TypeLimit(65), kNoLimit);
    EXPECT_EQ(gDisplayOptions.faintestStarMagnitude, 0);
    EXPECT_EQ(gDisplayOptions.faintestStarLabelMagnitude, kNoLimit) << "all blank is empty";
    EXPECT_EQ(gDisplayOptions.brightestStarMagnitude, 0);
    EXPECT_EQ(TypeLimit(61), 650) << "keys not in the file keep their values";
}

TEST_F(ReadSettings, MagnitudesAreTruncatedHundredths) {
    struct Case {
        const char* value;
        std::int16_t hundredths;
    } cases[] = {
        {"+0.29", 28}, // 0.29 * 100 lies just below 29
        {"-0.29", -28}, {"+5.50", 550},  {"0.57", 56},      {"12.345", 1234}, {"-1.5", -150},
        {"abc", 0},     {"1e10", 32767}, {"-1e10", -32768}, {"nan", 0},       {"inf", 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ReadText(SettingsFileWith({std::string("FaintestStarMagnitude=") + c.value})));
        EXPECT_EQ(gDisplayOptions.faintestStarMagnitude, c.hundredths) << c.value;
    }
}

TEST_F(ReadSettings, PlanetPerturbationsIsOverruledByPlanetComputationAfterIt) {
    gComputationOptions.planetComputation = kPlanetsElements;
    ASSERT_TRUE(ReadText(SettingsFileWith({"PlanetPerturbations=1"})));
    EXPECT_EQ(gComputationOptions.planetComputation, kPlanetsVFP);

    ASSERT_TRUE(ReadText(SettingsFileWith({"PlanetPerturbations=0"})));
    EXPECT_EQ(gComputationOptions.planetComputation, kPlanetsElements);

    ASSERT_TRUE(
        ReadText(SettingsFileWith({"PlanetPerturbations=1", "PlanetComputation=Elements"})));
    EXPECT_EQ(gComputationOptions.planetComputation, kPlanetsElements);

    ASSERT_TRUE(ReadText(SettingsFileWith({"PlanetPerturbations=0", "PlanetComputation=VSOP87"})));
    EXPECT_EQ(gComputationOptions.planetComputation, kPlanetsVSOP87);

    ASSERT_TRUE(ReadText(SettingsFileWith({"PlanetComputation=vsop87"})));
    EXPECT_EQ(gComputationOptions.planetComputation, kPlanetsVSOP87)
        << "keywords are compared with their letter case; a mismatch changes nothing";
}

TEST_F(ReadSettings, KeywordsAndKeysAreExactWords) {
    ASSERT_TRUE(ReadText(SettingsFileWith(
        {"ChartProjection=Mercator", "ChartCoordinateSystem=Galactic ", "SkyBackground=White",
         "CalendarSystem=Julian", "AnimationState=Backward", "TelescopeInterface=QEICoordinate",
         "showplanets=0", "ShowPlanets =0", " ShowDeepSkyObjects=0"})));
    EXPECT_EQ(gChartView.projection, kMercator);
    EXPECT_EQ(gChartView.coordinateSystem, kHorizon) << "a trailing blank makes another word";
    EXPECT_EQ(gDisplayOptions.skyBackground, kSkyWhite);
    EXPECT_EQ(gViewer.calendar, 0);
    EXPECT_EQ(gAnimationState.mode, kAnimationBackward);
    EXPECT_EQ(gTelescopeState.interface, kTelescopeQEICoordinate);
    EXPECT_TRUE(gDisplayOptions.showPlanets);
    EXPECT_TRUE(gDisplayOptions.showDeepSkyObjects);
}

TEST_F(ReadSettings, FontFaceSizeAndStyleWords) {
    ASSERT_TRUE(ReadText(SettingsFileWith({"ChartWindowsFont=Times New Roman,12,Italic,Bold"})));
    EXPECT_EQ(gDisplayOptions.fontFace, "Times New Roman");
    EXPECT_EQ(gDisplayOptions.fontSize, 12);
    EXPECT_EQ(gDisplayOptions.fontStyle, FontBold | FontItalic);
    EXPECT_NE(Written().find("\r\nChartWindowsFont=Times New Roman,12,Bold,Italic\r\n"),
              std::string::npos);

    ASSERT_TRUE(ReadText(SettingsFileWith({"ChartWindowsFont=Courier,9,Strikeout,Extended,"
                                           "Condensed,Shadow,Outline,Underline,Italic,Bold"})));
    EXPECT_EQ(gDisplayOptions.fontStyle, 255);
    EXPECT_NE(Written().find("\r\nChartWindowsFont=Courier,9,Bold,Italic,Underline,Outline,Shadow,"
                             "Condensed,Extended,Strikeout\r\n"),
              std::string::npos);

    // Unknown and differently cased words are passed over; so is the size word.
    ASSERT_TRUE(ReadText(SettingsFileWith({"ChartWindowsFont=Arial,-11,bold,Heavy,Underline,"})));
    EXPECT_EQ(gDisplayOptions.fontSize, -11);
    EXPECT_EQ(gDisplayOptions.fontStyle, FontUnderline);

    // A face longer than the font description's 31 characters is cut.
    ASSERT_TRUE(
        ReadText(SettingsFileWith({"ChartWindowsFont=" + std::string(40, 'F') + ",10,Bold"})));
    EXPECT_EQ(gDisplayOptions.fontFace, std::string(31, 'F'));
    EXPECT_EQ(gDisplayOptions.fontStyle, FontBold);

    ASSERT_TRUE(ReadText(SettingsFileWith({"ChartWindowsFont=Helvetica"})));
    EXPECT_EQ(gDisplayOptions.fontFace, "Helvetica");
    EXPECT_EQ(gDisplayOptions.fontSize, 0);
    EXPECT_EQ(gDisplayOptions.fontStyle, 0);
}

TEST_F(ReadSettings, UnitsOfTheRealValues) {
    ASSERT_TRUE(ReadText(SettingsFileWith(
        {"ViewerLongitude=-118.057500", "ViewerLatitude=+34.225833", "TimeZone=-8.0",
         "StarMotionThreshold=100.0", "PrecessionEpoch=1950.0", "HorizonAltitude=-0.500",
         "ChartFieldWidth=60", "ViewerObjectOffset=+1.5E-05,-2.25,3", "AnimationTimeStep=0.25",
         "TelescopeCameraFieldHeight=0.5", "StarParallaxThreshold=12.5"})));
    EXPECT_EQ(gViewer.longitude, -118.0575 * kFileDegree);
    EXPECT_EQ(gViewer.latitude, 34.225833 * kFileDegree);
    EXPECT_EQ(gViewer.timeZone, -8.0 * 0.041666666666666664);
    EXPECT_EQ(gComputationOptions.starMotionThreshold, 36525.0);
    EXPECT_DOUBLE_EQ(gComputationOptions.precessionEpoch, 2451545.0 - 50 * 365.25);
    EXPECT_EQ(gComputationOptions.horizonAltitude, -0.5 * kFileDegree);
    EXPECT_EQ(gChartView.fieldWidth, 60 * kFileDegree);
    EXPECT_EQ(gViewer.viewerObjectOffset[0], 1.5e-5);
    EXPECT_EQ(gViewer.viewerObjectOffset[1], -2.25);
    EXPECT_EQ(gViewer.viewerObjectOffset[2], 3.0);
    EXPECT_EQ(gAnimationState.timeStep, 0.25);
    EXPECT_EQ(gTelescopeState.cameraFieldHeight, 0.5 * kFileDegree);
    EXPECT_EQ(gComputationOptions.starParallaxThreshold, 12.5);
}

TEST_F(ReadSettings, NumbersThatDontParseReadAsZero) {
    ASSERT_TRUE(ReadText(SettingsFileWith(
        {"JulianDate=soon", "ViewerAltitude=nan", "ChartZoomFactor=1e999",
         "ViewerObjectOffset=1,x,3", "TelescopeConnectionPort=COM3", "TelescopeLonEncoderSteps=+",
         "StarColor=255, 7,x", "PlanetColor=1 ,2,3", "TelescopeUpdatesPerSec=12.9",
         "PrecessionEpoch=1e307", "StarMotionThreshold=-1e307"})));
    EXPECT_EQ(gViewer.julianDate, 0.0);
    EXPECT_EQ(gViewer.altitude, 0.0) << "a NaN would spread into every computation";
    EXPECT_EQ(gChartView.zoomFactor, 0.0);
    EXPECT_EQ(gViewer.viewerObjectOffset[0], 1.0);
    EXPECT_EQ(gViewer.viewerObjectOffset[1], 0.0);
    EXPECT_EQ(gViewer.viewerObjectOffset[2], 0.0) << "reading stops at the first bad number";
    EXPECT_EQ(gTelescopeState.port, 0);
    EXPECT_EQ(gTelescopeState.lonEncoderSteps, 0);
    EXPECT_EQ(gDisplayOptions.colors[kStarLabelColor], (RGBColor{255, 7, 0}));
    EXPECT_EQ(gDisplayOptions.colors[kPlanetLabelColor], (RGBColor{1, 0, 0}))
        << "a comma must follow a number directly";
    EXPECT_EQ(gTelescopeState.updatesPerSec, 12);
    EXPECT_EQ(gComputationOptions.precessionEpoch, 0.0) << "years that overflow as days";
    EXPECT_EQ(gComputationOptions.starMotionThreshold, 0.0);
}

TEST_F(ReadSettings, IntegersKeepTheLowBitsOfTheirWidth) {
    ASSERT_TRUE(ReadText(SettingsFileWith({"TelescopeConnectionPort=65539", "StarColor=256,-1,511",
                                           "TelescopeLatEncoderSteps=-99999999999",
                                           "TelescopeLonEncoderSteps=+4294967297"})));
    EXPECT_EQ(gTelescopeState.port, 3);
    EXPECT_EQ(gDisplayOptions.colors[kStarLabelColor], (RGBColor{0, 255, 255}));
    EXPECT_EQ(gTelescopeState.lonEncoderSteps, 1);
    // strtoll holds -99999999999; its low 32 bits are kept.
    EXPECT_EQ(gTelescopeState.latEncoderSteps, static_cast<std::int32_t>(-99999999999LL));
}

TEST_F(ReadSettings, SiteNameIsCutToItsField) {
    ASSERT_TRUE(ReadText(SettingsFileWith({"ViewerSiteName=" + std::string(60, 'S')})));
    EXPECT_EQ(std::string(gViewer.siteName), std::string(47, 'S'));
    ASSERT_TRUE(ReadText(SettingsFileWith({"ViewerSiteName="})));
    EXPECT_EQ(std::string(gViewer.siteName), "");
}

// ---------------------------------------------------------------------------
// Sections, order and trails

TEST_F(ReadSettings, EndOfSettingsEndsTheSectionAndLaterKeysAreIgnored) {
    ASSERT_TRUE(
        ReadText(Lines({"<NorvaneSettingsFile>", "FileVersion=3.1.1", "<Settings>", "ShowStars=0",
                        "EndOfSettings", "ShowPlanets=0", "<Settings>", "ShowDeepSkyObjects=0",
                        "EndOfSettings=anything", "ShowColors=0"})));
    EXPECT_FALSE(gDisplayOptions.showStars);
    EXPECT_TRUE(gDisplayOptions.showPlanets) << "outside a settings section";
    EXPECT_FALSE(gDisplayOptions.showDeepSkyObjects) << "a second section is read as well";
    EXPECT_TRUE(gDisplayOptions.useColor);
}

TEST_F(ReadSettings, KeysOutsideASectionAndUnknownKeysAreIgnored) {
    ASSERT_TRUE(
        ReadText(Lines({"<NorvaneSettingsFile>", "FileVersion=3.1.1", "ShowStars=0", "<Settings>",
                        "NoSuchKey=1", "</Settings>", "ShowPlanets=0", "</NorvaneSettingsFile>"})));
    EXPECT_TRUE(gDisplayOptions.showStars);
    EXPECT_FALSE(gDisplayOptions.showPlanets)
        << "\"</Settings>\" is no key: the section runs on to the end of the file";
}

TEST_F(ReadSettings, FirstLineMustBeExact) {
    gDisplayOptions.showStars = true;
    ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
    for (const char* text : {"<NorvaneSettingsFile> \r\n<Settings>\r\nShowStars=0\r\n",
                             "<norvanesettingsfile>\r\n<Settings>\r\nShowStars=0\r\n",
                             "\r\n<NorvaneSettingsFile>\r\n<Settings>\r\nShowStars=0\r\n", ""}) {
        ClearRecordedMessages();
        EXPECT_FALSE(ReadText(text, "Odd.nvs"));
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages()[0].number, 258);
        EXPECT_NE(RecordedMessages()[0].text.find("\"Odd.nvs\""), std::string::npos);
    }
    EXPECT_TRUE(gDisplayOptions.showStars);
    EXPECT_EQ(gTrailTable.count, 1) << "a refused file deletes no trails";
}

TEST_F(ReadSettings, MissingFileIsReportedWithItsTitle) {
    EXPECT_FALSE(readSettingsFile(PathOf("Missing.nvs")));
    ASSERT_EQ(MessageNumbers(), std::vector<int>{257});
    EXPECT_NE(RecordedMessages()[0].text.find("\"Missing.nvs\""), std::string::npos);
    ClearRecordedMessages();
    EXPECT_FALSE(readSettingsFile(dir)) << "a directory is no file";
    EXPECT_EQ(MessageNumbers(), std::vector<int>{257});
}

TEST_F(ReadSettings, ObjectNamesAreFoundExactlyWithCaseIgnored) {
    ASSERT_TRUE(ReadText(SettingsFileWith({"ViewerObject=MARS", "CenteredObject=sirius"})));
    EXPECT_EQ(gViewer.viewerObject, mars);
    EXPECT_EQ(gChartView.centeredObject, sirius);
    ASSERT_TRUE(ReadText(SettingsFileWith({"ViewerObject=", "CenteredObject="})));
    EXPECT_EQ(gViewer.viewerObject, 0);
    EXPECT_EQ(gChartView.centeredObject, 0);
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
}

TEST_F(ReadSettings, AnUnknownObjectEndsTheReadingAndKeepsWhatWasRead) {
    gChartView.centeredObject = sirius;
    ASSERT_TRUE(ReadText(SettingsFileWith({"JulianDate=2450000.5", "ViewerObject=Sir",
                                           "ShowStars=0", "CenteredObject=", "<Trail>",
                                           "TrailObject=Vega", "TrailPoints=5", "</Trail>"})))
        << "a file read in part is still a file read";
    ASSERT_EQ(MessageNumbers(), std::vector<int>{523});
    EXPECT_EQ(RecordedMessages()[0].text,
              "There's no object containing the name \"Sir\" in memory!")
        << "a part of a name matches nothing";
    EXPECT_EQ(gViewer.julianDate, 2450000.5);
    EXPECT_EQ(gViewer.viewerObject, 0);
    EXPECT_TRUE(gDisplayOptions.showStars);
    EXPECT_EQ(gChartView.centeredObject, sirius);
    EXPECT_EQ(gTrailTable.count, 0);
}

TEST_F(ReadSettings, TrailBlocksInsideAndAfterTheSection) {
    ASSERT_TRUE(ReadText(Lines({"<NorvaneSettingsFile>",
                                "FileVersion=3.1.1",
                                "<Trail>",
                                "TrailObject=Mars",
                                "TrailType=InSpace",
                                "TrailPoints=200",
                                "TrailTicksInterval=5",
                                "TrailDatesInterval=10",
                                "</Trail>",
                                "<Settings>",
                                "ShowStars=0",
                                "<Trail>",
                                "TrailObject=vega",
                                "TrailType=InCurrentCoordinates",
                                "TrailPoints=50",
                                "</Trail>",
                                "</Settings>",
                                "<Trail>",
                                "TrailObject=Sirius",
                                "TrailType=Sideways",
                                "TrailPoints=1",
                                "TrailDatesInterval=3",
                                "</Trail>",
                                "</NorvaneSettingsFile>"})));
    ASSERT_EQ(gTrailTable.count, 3);
    const Trail* t = GetTrail(FirstTrail());
    EXPECT_EQ(t->object, mars);
    EXPECT_EQ(t->type, kTrailInSpace);
    EXPECT_EQ(t->maxPoints, 200);
    EXPECT_EQ(t->ticksInterval, 5);
    EXPECT_EQ(t->datesInterval, 10);
    EXPECT_EQ(t->recorded, 0);
    t = GetTrail(NextTrail(FirstTrail()));
    EXPECT_EQ(t->object, vega);
    EXPECT_EQ(t->type, kTrailInCurrentCoordinates);
    EXPECT_EQ(t->ticksInterval, 0) << "absent numbers are 0";
    t = GetTrail(FindTrail(sirius));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->type, 0) << "an unknown type word gives 0";
    EXPECT_EQ(t->datesInterval, 3);
    EXPECT_FALSE(gDisplayOptions.showStars);
}

TEST_F(ReadSettings, TrailsThatCantBeMadeArePassedOverAndBadOnesStopTheReading) {
    ASSERT_TRUE(ReadText(SettingsFileWith(
        {"<Trail>", "TrailObject=Mars", "TrailPoints=0", "</Trail>", "<Trail>", "TrailObject=Mars",
         "TrailPoints=-5", "</Trail>", "<Trail>", "TrailObject=Vega", "TrailPoints=3", "</Trail>",
         "<Trail>", "TrailObject=Pluto", "TrailPoints=3", "</Trail>", "ShowStars=0"})));
    EXPECT_EQ(gTrailTable.count, 1) << "no trail without positions to hold";
    EXPECT_NE(FindTrail(vega), 0);
    ASSERT_EQ(MessageNumbers(), std::vector<int>{523});
    EXPECT_NE(RecordedMessages()[0].text.find("\"Pluto\""), std::string::npos);
    EXPECT_TRUE(gDisplayOptions.showStars);

    ClearRecordedMessages();
    ASSERT_TRUE(ReadText(Lines({"<NorvaneSettingsFile>", "", "<Trail>", "TrailPoints=4", "</Trail>",
                                "<Settings>", "ShowStars=0"})));
    EXPECT_EQ(MessageNumbers(), std::vector<int>{523}) << "a block without an object names none";
    EXPECT_TRUE(gDisplayOptions.showStars);

    ClearRecordedMessages();
    ASSERT_TRUE(ReadText(Lines({"<NorvaneSettingsFile>", "", "<Trail>", "TrailObject=Mars"})));
    EXPECT_EQ(gTrailTable.count, 0) << "a block cut off by the end of the file makes no trail";
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
}

TEST_F(ReadSettings, AFileCanHoldMoreTrailsThanTheTable) {
    std::string text = Lines({"<NorvaneSettingsFile>", ""});
    std::vector<ObjectID> stars;
    for (int i = 0; i < 300; ++i) {
        std::string name = "Star " + std::to_string(i);
        stars.push_back(AddCatalog(kTypeSingleStar, name.c_str()));
        text += Lines({"<Trail>", "TrailObject=" + name, "TrailPoints=2", "</Trail>"});
    }
    text += Lines({"<Settings>", "ShowStars=0"});
    ASSERT_TRUE(ReadText(text));
    EXPECT_EQ(gTrailTable.count, kTrailSlots - 1);
    EXPECT_NE(FindTrail(stars[254]), 0);
    EXPECT_EQ(FindTrail(stars[255]), 0);
    EXPECT_FALSE(gDisplayOptions.showStars) << "a full table is no reason to stop";
}

// ---------------------------------------------------------------------------
// The description

TEST_F(ReadSettings, DescriptionLinesAreJoinedWithCrLfAndShownForEditing) {
    const std::string longLine(300, 'd');
    ASSERT_TRUE(
        ReadText("<NorvaneSettingsFile>\nFileVersion=3.1.1\n<Description>\nFirst\rSecond\r\n" +
                 longLine + "\n\nFourth=4\n</Description>\n<Settings>\nShowStars=0\n"));
    const std::string expected = "First\r\nSecond\r\n" + longLine + "\r\n\r\nFourth=4\r\n";
    EXPECT_TRUE(gSettingsDescription == expected) << "a long line is joined again without a break";
    EXPECT_EQ(descriptionDialogs, 1);
    EXPECT_TRUE(descriptionShown == expected);
    EXPECT_FALSE(gDisplayOptions.showStars);
}

TEST_F(ReadSettings, EditedDescriptionIsKept) {
    AnswerReadDescription(kOKButton, "Edited\nText");
    ASSERT_TRUE(ReadText(Lines({"<NorvaneSettingsFile>", "", "<Description>", "Old",
                                "</Description>", "<Settings>", "ShowStars=0"})));
    EXPECT_EQ(gSettingsDescription, "Edited\r\nText");
    EXPECT_FALSE(gDisplayOptions.showStars);
}

TEST_F(ReadSettings, CancellingTheDescriptionStopsTheReading) {
    AnswerReadDescription(kCancelButton, "Never taken");
    gDisplayOptions.showStars = true;
    ASSERT_TRUE(ReadText(Lines({"<NorvaneSettingsFile>", "", "<Description>", "About",
                                "</Description>", "<Settings>", "ShowStars=0"})));
    EXPECT_TRUE(gDisplayOptions.showStars);
    EXPECT_EQ(gSettingsDescription, "About\r\n") << "the file's text, not the edit";
}

TEST_F(ReadSettings, NoDescriptionSectionKeepsTheDescription) {
    gSettingsDescription = "Mine";
    ASSERT_TRUE(ReadText(SettingsFileWith({"ShowStars=0"})));
    EXPECT_EQ(gSettingsDescription, "Mine");
    EXPECT_EQ(descriptionDialogs, 0);
}

// ---------------------------------------------------------------------------
// Damaged and hostile input

TEST_F(ReadSettings, BinaryFileIsRefused) {
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>((i * 131 + 7) & 0xFF);
    ASSERT_NE(CreateTrail(mars, kTrailInSky, 10, 1, 0), 0);
    const std::string before = Written();
    EXPECT_FALSE(ReadText(bytes, "Noise.bin"));
    EXPECT_EQ(MessageNumbers(), std::vector<int>{258});
    EXPECT_EQ(Written(), before);
}

TEST_F(ReadSettings, BinaryAfterAGoodFirstLineChangesNothingKnown) {
    std::string bytes = "<NorvaneSettingsFile>\r\n\r\n<Settings>\r\n";
    for (int i = 0; i < 65536; ++i)
        bytes += static_cast<char>((i * 7919 + 13) & 0xFF);
    ASSERT_TRUE(ReadText(bytes));
    EXPECT_EQ(gTrailTable.count, 0);
    setDisplayOptionsDefaults(); // whatever the noise set by chance, nothing broke
}

TEST_F(ReadSettings, NulBytesEndTheValue) {
    const std::string nul(1, '\0');
    const std::string bytes = "<NorvaneSettingsFile>\r\n\r\n<Settings>\r\nShowStars=0" + nul +
                              "=1\r\nViewerSiteName=Ha" + nul + "rbour\r\nJulianDate=" + nul +
                              "2450000\r\n";
    ASSERT_TRUE(ReadText(bytes));
    EXPECT_FALSE(gDisplayOptions.showStars);
    EXPECT_EQ(std::string(gViewer.siteName), "Ha");
    EXPECT_EQ(gViewer.julianDate, 0.0);
}

TEST_F(ReadSettings, TenMegabyteLineIsReadInPieces) {
    std::string bytes = "<NorvaneSettingsFile>\r\n\r\n<Settings>\r\nViewerSiteName=";
    bytes += std::string(10 * 1024 * 1024, 'A');
    bytes += "\r\nJulianDate=2451000.5\r\n";
    // The tail of a long line is a line of its own.
    bytes += std::string(255, 'x') + "ShowStars=0\r\n";
    ASSERT_TRUE(ReadText(bytes));
    EXPECT_TRUE(std::string(gViewer.siteName) == std::string(47, 'A'));
    EXPECT_EQ(gViewer.julianDate, 2451000.5);
    EXPECT_FALSE(gDisplayOptions.showStars);
}

TEST_F(ReadSettings, DescriptionIsBoundedAt32767Bytes) {
    std::string text = "<NorvaneSettingsFile>\r\nFileVersion=3.1.1\r\n<Description>\r\n";
    for (int i = 0; i < 400; ++i)
        text += std::string(98, static_cast<char>('a' + i % 26)) + "\r\n"; // 40 000 bytes
    text += "</Description>\r\n<Settings>\r\nShowStars=0\r\n";
    ASSERT_TRUE(ReadText(text));
    EXPECT_EQ(gSettingsDescription.size(), kMaxDescriptionLength);
    EXPECT_TRUE(gSettingsDescription.substr(0, 100) == std::string(98, 'a') + "\r\n");
    EXPECT_EQ(descriptionShown.size(), kMaxDescriptionLength);
    EXPECT_FALSE(gDisplayOptions.showStars) << "the rest of the file is read";

    // The dialog's edit is bounded the same way.
    AnswerReadDescription(kOKButton, std::string(40000, 'z').c_str());
    ASSERT_TRUE(ReadText(text));
    EXPECT_TRUE(gSettingsDescription == std::string(kMaxDescriptionLength, 'z'))
        << gSettingsDescription.size() << " bytes";
}

TEST_F(ReadSettings, DescriptionRunningToTheEndOfTheFile) {
    ASSERT_TRUE(ReadText("<NorvaneSettingsFile>\r\n\r\n<Description>\r\nLast words"));
    EXPECT_EQ(gSettingsDescription, "Last words");
    EXPECT_EQ(descriptionDialogs, 1);
}

} // namespace
} // namespace settings_test
