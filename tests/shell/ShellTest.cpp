// The application shell: start-up, quit, error reports and the database it opens.

#include "astro/ComputationOptions.h"
#include "astro/Report.h"
#include "astro/TimeScales.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "resources/Menus.h"
#include "shell/App.h"
#include "shell/Commands.h"
#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

class Shell : public testing::Test {
protected:
    void SetUp() override {
        SetSplashDuration(0);
        SetMessageResponder([](const MessageRecord&) { return static_cast<int>(AnswerOK); });
        // A program directory of the test's own: no test touches the build's database.
        char pattern[] = "/tmp/norvane-shell-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        programDir_ = pattern;
        SetProgramDirectory(programDir_);
    }
    void TearDown() override {
        closeDatabase();
        setObjectStoreDefaults();
        ResetCommandRoutes();
        ResetPlatform();
        setChartViewDefaults();
        setViewerDefaults();
        setComputationOptionsDefaults();
        SetProgramDirectory("");
        std::system(("rm -rf '" + programDir_ + "'").c_str());
    }
    // Starts the program as the loop would, without entering the loop.
    void Start() {
        SetApplicationHandler(HandleAppEvent);
        HandleAppEvent(Startup, nullptr, 0, 0);
        ASSERT_NE(MainWindow(), nullptr);
    }
    std::string programDir_;
};

TEST_F(Shell, StartupRunsItsStepsInOrderAndShowsTheChartWindow) {
    Start();
    EXPECT_EQ(StartupSteps(),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(MainWindow(), ChartWindow());
    // The viewer's time is now and Here holds its location; a quiet program
    // asks for no idle passes.
    EXPECT_NEAR(gViewer.julianDate, CurrentUniversalJulianDate(), 5.0 / 86400.0);
    EXPECT_STREQ(gHere.siteName, gViewer.siteName);
    EXPECT_EQ(IdleInterval(), -1);
}

TEST_F(Shell, OpenDocumentAndADateTextReportWhatIsWrong) {
    Start();
    ClearRecordedMessages();
    std::string missing = "/nonexistent/folder/Stars.txt";
    HandleAppEvent(OpenDocument, nullptr, reinterpret_cast<long>(missing.c_str()), 0);
    std::string empty = programDir_ + "/Empty";
    std::fclose(std::fopen(empty.c_str(), "w"));
    HandleAppEvent(OpenDocument, nullptr, reinterpret_cast<long>(empty.c_str()), 0);
    SetReportHandler(ShowReportedMessage);
    double jd = 2451545.0;
    EXPECT_FALSE(ParseDateTime("2000/1", 0.0, kCalendarGregorian, &jd));
    SetReportHandler(nullptr);
    EXPECT_EQ(jd, 2451545.0);
    const std::vector<MessageRecord>& shown = RecordedMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].number, 257);
    EXPECT_NE(shown[0].text.find("\"Stars.txt\""), std::string::npos);
    EXPECT_EQ(shown[1].number, 258) << "an empty file cannot be read";
    EXPECT_EQ(shown[2].number, 525);
    EXPECT_EQ(shown[2].text, "The date \"2000/1\" is invalid.  Please enter the date and time as "
                             "\"year/month/day hour:min:sec\" or \"year/month/decimal day\".");
}

TEST_F(Shell, FirstStartCreatesTheDatabaseOrEndsWithoutOne) {
    // No database directory: the question, and with Cancel the program ends at
    // the store, with no menus and no chart shown.
    SetMessageResponder([](const MessageRecord& m) {
        return static_cast<int>(m.number == 528 ? AnswerCancel : AnswerOK);
    });
    SetApplicationHandler(HandleAppEvent);
    HandleAppEvent(Startup, nullptr, 0, 0);
    EXPECT_EQ(StartupSteps(), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(DirectoryExists(programDir_ + "/Database"));
    EXPECT_TRUE(MainWindow() == nullptr || !IsWindowVisible(MainWindow()));
    ResetPlatform();
    // With OK a new empty database.
    SetMessageResponder([](const MessageRecord&) { return static_cast<int>(AnswerOK); });
    Start();
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages()[0].number, 528);
    EXPECT_TRUE(FileExists(programDir_ + "/Database/Custom.nvd"));
    EXPECT_EQ(gObjectStore.indexPath, programDir_ + "/Database/Index.nvd");
    EXPECT_EQ(fileCount(), 1);
}

class ShellWithDefaultDatabase : public Shell {
protected:
    void SetUp() override {
        Shell::SetUp();
        // A copy of the database the build made.
        std::string copy =
            "cp -r '" + std::string(NORVANE_PROGRAM_DIR) + "/Database' '" + programDir_ + "/'";
        ASSERT_EQ(std::system(copy.c_str()), 0);
        Start();
        ASSERT_TRUE(RecordedMessages().empty()) << RecordedMessages()[0].text;
        files = fileCount();
    }
    int files = 0;
};

TEST_F(ShellWithDefaultDatabase, OpensItAtStartupKeepsItAndRecomputesEverything) {
    EXPECT_EQ(gObjectStore.indexPath, programDir_ + "/Database/Index.nvd");
    EXPECT_GE(files, 50);
    EXPECT_GT(objectCount(), 140000);
    // No medium holds a database: the Open dialog is offered; the database stays.
    int offered = 0;
    SetFileDialogResponder([&](int title, std::string&) { return offered = title, false; });
    setRemovableMediaRoots({programDir_ + "/media/*"});
    ASSERT_TRUE(InvokeMenuItem(kOpenMenu, kOpenCdromDatabase));
    setRemovableMediaRoots({});
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 550);
    EXPECT_EQ(offered, 702);
    EXPECT_EQ(fileCount(), files);
    EXPECT_GT(gInstant.jde, gViewer.julianDate);
    EXPECT_LT(gInstant.jde - gViewer.julianDate, 0.01) << "JDE is the clock time plus Delta T";
    // From the orbital elements the viewer stands on the database's Earth,
    // about 1 AU from the Sun; and with nothing changed Recompute All still
    // makes every result stale.
    gComputationOptions.planetComputation = kPlanetsElements;
    for (int pass = 0; pass < 2; ++pass) {
        std::uint32_t fixedStamp = gInstant.fixedStamp, solarStamp = gInstant.solarStamp;
        ASSERT_TRUE(InvokeMenuItem(kComputationMenu, kComputationRecomputeAll));
        EXPECT_NEAR(gInstant.viewerSolarDistance, 1.0, 0.02);
        EXPECT_NE(gInstant.fixedStamp, fixedStamp) << pass;
        EXPECT_NE(gInstant.solarStamp, solarStamp) << pass;
    }
}

TEST_F(ShellWithDefaultDatabase, DeleteDatabaseFileIsReachedFromTheMenu) {
    // The command itself is tried out with the database files.
    std::string sites = programDir_ + "/Database/Sites.nvd";
    SetFileDialogResponder([&](int title, std::string& path) { return path = sites, title == 750; });
    ASSERT_TRUE(InvokeMenuItem(kFileMenu, kFileDeleteDatabaseFile));
    EXPECT_FALSE(FileExists(sites));
    EXPECT_EQ(fileCount(), files - 1);
}

// Both imports run from the window, each saying how much came in.
TEST_F(ShellWithDefaultDatabase, ImportMenuImportsTextAndSatelliteFiles) {
    const struct {
        int item, title, said;
        const char *name, *text;
    } cases[] = {{kImportTextFile, 730, 551, "Stars.txt",
                  "S1\t2000.0\t06 45 08.9\t-16 42 58\t\t\t-1.46\t\t\t\t\tTest star\n"},
                 {kImportSatelliteFile, 732, 552, "Sats.tle",
                  "TERRA\n1 25994U 99068A   18018.68987256  .00000126  00000-0  38103-4 0  9998\n"
                  "2 25994  98.2102  95.6663 0001032  76.0653 284.0667 14.57113885962059\n"}};
    for (const auto& c : cases) {
        const std::string path = programDir_ + "/" + c.name;
        std::ofstream(path) << c.text;
        SetFileDialogResponder([&](int title, std::string& chosen) {
            chosen = path;
            return title == c.title;
        });
        ClearRecordedMessages();
        ASSERT_TRUE(InvokeMenuItem(kImportMenu, c.item));
        ASSERT_EQ(RecordedMessages().size(), 1u) << c.name;
        EXPECT_EQ(RecordedMessages()[0].number, c.said) << RecordedMessages()[0].text;
        EXPECT_EQ(RecordedMessages()[0].text.rfind("Norvane ", 0), 0u);
        EXPECT_NE(RecordedMessages()[0].text.find(" 1 "), std::string::npos);
    }
    EXPECT_EQ(fileCount(), files + 2);
}

TEST_F(ShellWithDefaultDatabase, QuitWritesTheDatabaseBack) {
    // A new object lands in the custom file; quitting writes it without asking.
    SiteObject* site = NewSiteObject();
    ASSERT_NE(site, nullptr);
    site->name = CopyText("Backyard");
    ObjectID id = addObject(site, 0);
    ASSERT_NE(id, 0);
    EXPECT_EQ(HandleAppEvent(Quit, nullptr, 0, 0), 1);
    EXPECT_TRUE(gObjectStore.indexPath.empty());
    ASSERT_TRUE(readIndex(programDir_ + "/Database/Index.nvd"));
    ASSERT_NE(getObject(id), nullptr);
    EXPECT_EQ(DisplayName(getObject(id)), "Backyard");
}

// Each menu item's label is bold in a row of its menu (<tr id="c25808">) on its
// page, and the row says it is not available exactly when no handler acts on it.
void CheckHelpRows(const std::vector<std::string>& rows, const MenuDef& menu) {
    for (int i = 0; i < menu.count; ++i) {
        const MenuItemDef& item = menu.items[i];
        if (item.submenu != 0) CheckHelpRows(rows, *FindMenu(item.submenu));
        if (item.label == nullptr || item.submenu != 0) continue;
        std::string label = "<b>", row;
        for (const char* p = item.label; *p; ++p) // mnemonic marks out, entities in
            if (*p != '&' || p[1] == '&')
                label += *p == '&' ? (++p, "&amp;") : *p == '\xB0' ? "&deg;" : std::string(1, *p);
        for (const std::string& r : rows)
            if (std::stoi(r.substr(9)) / 100 == menu.number && r.find(label + "</b>") != r.npos)
                row = MarkUnavailableCommands(r);
        ASSERT_NE(row, "") << label;
        EXPECT_EQ(row.find(kUnavailableNote) == row.npos, CommandAvailable(menu.number, i + 1))
            << label;
    }
}

TEST(HelpPages, DescribeEveryMenuItemAndSayWhichAreGrayed) {
    std::size_t count = 0;
    const int* bar = MenuBarMenus(256, &count);
    for (const int* menu = bar; menu != bar + count; ++menu) {
        std::string page = NORVANE_HELP_DIR "/", html;
        for (const char* p = FindMenu(*menu)->title; *p; ++p)
            if (*p != '&') page += static_cast<char>(std::tolower(*p));
        std::getline(std::ifstream(page + ".html"), html, '\0');
        std::vector<std::string> rows;
        for (std::size_t at = 0; (at = html.find("<tr id=\"c", at + 1)) != html.npos;)
            rows.push_back(html.substr(at, html.find("</tr>", at) + 5 - at));
        CheckHelpRows(rows, *FindMenu(*menu));
    }
}

TEST(ShellPacing, TelescopePollsOnlyAfterItsIntervalAndIdleWhenWanted) {
    // Four polls a second: more than 250 ms must have passed; 1000 / 3 is 333;
    // zero or a nonsense negative rate never polls.
    const long cases[][4] = {
        {1250, 1000, 4, 0}, {1251, 1000, 4, 1}, {1333, 1000, 3, 0}, {1000000, 0, -2, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TelescopePollDue(c[0], c[1], static_cast<int>(c[2])), c[3] != 0)
            << c[0] << " " << c[2];
    // Continuous for animation, gentle for a telescope, none otherwise.
    EXPECT_EQ(IdleIntervalWanted(true, false), 0);
    EXPECT_GT(IdleIntervalWanted(false, true), 0);
    EXPECT_LT(IdleIntervalWanted(false, true), 250);
    EXPECT_EQ(IdleIntervalWanted(false, false), -1);
}

} // namespace
