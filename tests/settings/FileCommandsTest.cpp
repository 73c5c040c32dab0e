// Opening files by their kind, the File menu's settings commands and the
// default settings shipped with the program.

#include "SettingsTestBase.h"

#include "data/Search.h"

namespace settings_test {
namespace {

using FileCommands = SettingsTest;

ObjectID Find(const std::string& name) {
    ObjectID id = 0;
    return findObjectByName(name, false, true, id) == kStatusSuccess ? id : 0;
}

// A hand-made element set (epoch 1999 January 1.5, 15.5 revolutions a day).
const char* const kSatelliteLines[] = {
    "TEST SAT",
    "1 00001U 99001A   99001.50000000  .00012345  12345-3  10000-4 0  9990",
    "2 00001  51.6000 123.4567 0012345 234.5678 345.6789 15.50000000    01",
};

std::string SatelliteFile() {
    return Lines({kSatelliteLines[0], kSatelliteLines[1], kSatelliteLines[2]});
}

std::string StarTextFile(const std::string& name) {
    return "S01\t2000\t6 45 8.9\t-16 42 58\t\t\t5.0\t\t\t\t\t" + name + "\r\n";
}

// ---------------------------------------------------------------------------
// Opening by kind

TEST_F(FileCommands, SettingsFileIsReadWhateverItsName) {
    const std::string path = PathOf("settings.txt");
    WriteAll(path, SettingsFileWith({"ShowStars=0", "ChartFieldWidth=90"}));
    EXPECT_TRUE(openFileByKind(path));
    EXPECT_FALSE(gDisplayOptions.showStars);
    EXPECT_EQ(gChartView.fieldWidth, 90 * kFileDegree);
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
    EXPECT_EQ(Find("Settings"), 0) << "a settings file named .txt is no import";
}

TEST_F(FileCommands, IndexReplacesTheDatabase) {
    ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
    ASSERT_TRUE(writeIndex(gObjectStore.indexPath));
    const std::string index = gObjectStore.indexPath;
    ObjectID extra = AddCatalog(kTypeSingleStar, "Unsaved Star");
    ASSERT_NE(extra, 0);

    EXPECT_TRUE(openFileByKind(index));
    EXPECT_EQ(gObjectStore.indexPath, index);
    EXPECT_NE(Find("Vega"), 0);
    EXPECT_NE(Find("Unsaved Star"), 0) << "the old database was written back when it was closed";
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
}

TEST_F(FileCommands, DataFileIsRefused) {
    ASSERT_EQ(writeDataFile(customId), kStatusSuccess);
    const std::string data = gObjectStore.databaseDirectory + "/Custom.nvd";
    ASSERT_TRUE(FileExists(data));
    const std::string index = gObjectStore.indexPath;
    EXPECT_FALSE(openFileByKind(data));
    ASSERT_EQ(MessageNumbers(), std::vector<int>{538});
    EXPECT_NE(RecordedMessages()[0].text.find("\"Custom.nvd\""), std::string::npos);
    EXPECT_EQ(gObjectStore.indexPath, index);
    EXPECT_EQ(Find("Mars"), mars);
}

TEST_F(FileCommands, ElementAndTextFilesAreImportedByName) {
    AddBody(kTypeEarth, "Earth");
    const std::string tle = PathOf("Stations.tle");
    WriteAll(tle, SatelliteFile());
    EXPECT_TRUE(openFileByKind(tle));
    EXPECT_NE(Find("TEST SAT"), 0);

    const std::string upper = PathOf("Upper.TXT");
    WriteAll(upper, StarTextFile("Upper Star"));
    EXPECT_TRUE(openFileByKind(upper));
    EXPECT_NE(Find("Upper Star"), 0);

    // "TEXT" as the first four characters after the first dot.
    const std::string text = PathOf("Notes.TEXTS.dat");
    WriteAll(text, StarTextFile("Texts Star"));
    EXPECT_TRUE(openFileByKind(text));
    EXPECT_NE(Find("Texts Star"), 0);
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
}

TEST_F(FileCommands, OtherNamesAreRefused) {
    for (const char* name :
         {"Stations.Tle", "Stars.Txt", "Stars.text", "Stars.dat.TEXT", "Stars"}) {
        ClearRecordedMessages();
        const std::string path = PathOf(name);
        WriteAll(path, StarTextFile("Refused Star"));
        EXPECT_FALSE(openFileByKind(path)) << name;
        ASSERT_EQ(MessageNumbers(), std::vector<int>{258}) << name;
        EXPECT_NE(RecordedMessages()[0].text.find(std::string("\"") + name + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(Find("Refused Star"), 0);
}

TEST_F(FileCommands, UnopenableFileAndQuietProbes) {
    EXPECT_FALSE(openFileByKind(PathOf("Gone.nvs")));
    EXPECT_EQ(MessageNumbers(), std::vector<int>{257});

    // A file too short for a database header: the probes say nothing, and
    // the messages are as the caller left them afterwards.
    const std::string path = PathOf("Short.nvs");
    WriteAll(path, "x");
    for (bool enabled : {true, false}) {
        ClearRecordedMessages();
        SetMessagesEnabled(enabled);
        EXPECT_FALSE(openFileByKind(path));
        EXPECT_EQ(MessagesEnabled(), enabled);
        SetMessagesEnabled(true);
        // Only the verdict is reported, and only while messages are on.
        EXPECT_EQ(MessageNumbers(), enabled ? std::vector<int>{258} : std::vector<int>{});
    }
}

// ---------------------------------------------------------------------------
// The File menu

TEST_F(FileCommands, SaveCommandsRememberThePathOfTheLastSaveAs) {
    std::vector<std::pair<int, std::string>> asked;
    std::string answer;
    SetFileDialogResponder([&](int title, std::string& path) {
        asked.emplace_back(title, path);
        if (answer.empty()) return false;
        path = answer;
        return true;
    });
    std::string descriptionOffered;
    SetDialogResponder(
        kSaveDescriptionTemplate,
        [&](WindowRef dialog) {
            descriptionOffered = GetItemText(dialog, kDescriptionEditControl);
            SetItemText(dialog, kDescriptionEditControl, "Dark site\nwinter");
        },
        kOKButton);

    // Nothing saved yet: Save Settings asks for a name, and a cancelled
    // dialog writes nothing.
    ASSERT_EQ(currentSettingsPath(), "");
    saveSettingsCommand();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, 710);
    EXPECT_EQ(currentSettingsPath(), "");

    // Save As with a description.
    gSettingsDescription = "Old words";
    answer = PathOf("Site.nvs");
    saveSettingsAsCommand();
    EXPECT_EQ(currentSettingsPath(), answer);
    EXPECT_EQ(descriptionOffered, "Old words");
    EXPECT_EQ(gSettingsDescription, "Dark site\r\nwinter");
    const std::string saved = ReadAll(answer);
    EXPECT_EQ(saved.substr(0, 90),
              Lines({"<NorvaneSettingsFile>", "FileVersion=3.1.1", "", "<Description>", "Dark site",
                     "winter", "</Description>", "", "<Settings>"})
                  .substr(0, 90));

    // Save Settings now writes there without asking.
    gDisplayOptions.showStars = false;
    asked.clear();
    saveSettingsCommand();
    EXPECT_TRUE(asked.empty());
    EXPECT_NE(ReadAll(answer).find("\r\nShowStars=0\r\n"), std::string::npos);

    // Save As proposes the file last saved; a cancelled description dialog
    // writes nothing and keeps the description.
    SetDialogResponder(
        kSaveDescriptionTemplate,
        [](WindowRef dialog) { SetItemText(dialog, kDescriptionEditControl, "No"); },
        kCancelButton);
    answer = PathOf("Other.nvs");
    saveSettingsAsCommand();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].second, PathOf("Site.nvs"));
    EXPECT_FALSE(FileExists(answer));
    EXPECT_EQ(gSettingsDescription, "Dark site\r\nwinter");
    EXPECT_EQ(currentSettingsPath(), PathOf("Site.nvs"));

    // A save that fails keeps the old path for Save Settings.
    SetDialogResponder(kSaveDescriptionTemplate, nullptr, kOKButton);
    answer = PathOf("Missing/Other.nvs");
    ClearRecordedMessages();
    saveSettingsAsCommand();
    EXPECT_EQ(MessageNumbers(), std::vector<int>{530});
    EXPECT_EQ(currentSettingsPath(), PathOf("Site.nvs"));

    // Save Settings to a file whose folder has gone.
    std::filesystem::create_directory(PathOf("Sub"));
    answer = PathOf("Sub/Away.nvs");
    saveSettingsAsCommand();
    ASSERT_EQ(currentSettingsPath(), answer);
    std::filesystem::remove_all(PathOf("Sub"));
    ClearRecordedMessages();
    saveSettingsCommand();
    ASSERT_EQ(MessageNumbers(), std::vector<int>{530});
    EXPECT_NE(RecordedMessages()[0].text.find("\"Away.nvs\""), std::string::npos);
}

TEST_F(FileCommands, DefaultSettingsAreSavedWithoutDescriptionAndReadBack) {
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
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
}

TEST_F(FileCommands, OpenCommandsUseTheirDialogs) {
    std::vector<int> titles;
    std::string answer;
    SetFileDialogResponder([&](int title, std::string& path) {
        titles.push_back(title);
        if (answer.empty()) return false;
        path = answer;
        return true;
    });
    openSettingsCommand();
    openDatabaseCommand();
    EXPECT_EQ(titles, (std::vector<int>{700, 702}));
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});

    answer = PathOf("Chosen.nvs");
    WriteAll(answer, SettingsFileWith({"ShowPlanets=0"}));
    openSettingsCommand();
    EXPECT_FALSE(gDisplayOptions.showPlanets);

    // Either command opens whatever kind of file is chosen.
    WriteAll(answer, SettingsFileWith({"ShowPlanets=1"}));
    openDatabaseCommand();
    EXPECT_TRUE(gDisplayOptions.showPlanets);
}

TEST_F(FileCommands, MissingDefaultSettingsAreReported) {
    openDefaultSettingsCommand();
    ASSERT_EQ(MessageNumbers(), std::vector<int>{257});
    EXPECT_NE(RecordedMessages()[0].text.find("\"Norvane.ini\""), std::string::npos);
}

// ---------------------------------------------------------------------------
// The shipped default

TEST_F(FileCommands, ShippedDefaultSettings) {
    const std::string path = std::string(NORVANE_SOURCE_DIR) + "/data/Norvane.ini";
    const std::string shipped = ReadAll(path);
    ASSERT_FALSE(shipped.empty());
    ASSERT_TRUE(readSettingsFile(path));
    EXPECT_EQ(MessageNumbers(), std::vector<int>{});
    EXPECT_EQ(descriptionDialogs, 0) << "start-up must not stop at a dialog";
    EXPECT_STREQ(gViewer.siteName, "Mount Wilson Observatory");
    EXPECT_NEAR(gViewer.longitude / kFileDegree, -118.0575, 1e-9);
    EXPECT_NEAR(gViewer.latitude / kFileDegree, 34.225833, 1e-9);
    EXPECT_EQ(gViewer.altitude, 1742.0);
    EXPECT_EQ(gViewer.timeZone * 24.0, -8.0);
    EXPECT_EQ(gChartView.coordinateSystem, kHorizon);
    EXPECT_EQ(gChartView.projection, kLambert);
    EXPECT_EQ(gChartView.centerLongitude, 180.0 * kFileDegree) << "looking south";
    EXPECT_EQ(gChartView.centerLatitude, 45.0 * kFileDegree);
    EXPECT_EQ(gChartView.fieldWidth, 180.0 * kFileDegree);
    EXPECT_TRUE(Written() == shipped) << "the shipped file is in the program's own layout";

    // Apart from the site and the view's direction it holds the defaults.
    ResetRecords();
    const std::string defaults = Written();
    std::size_t differences = 0;
    std::istringstream a(shipped), b(defaults);
    for (std::string x, y; std::getline(a, x) && std::getline(b, y);)
        if (x != y) ++differences;
    EXPECT_EQ(differences, 6u)
        << "site name, longitude, latitude, altitude, zone, centre longitude";
}

} // namespace
} // namespace settings_test
