// The application shell: start-up, menu state, command routing, help and quit,
// and the database it opens.

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
#include "shell/MenuState.h"
#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kArcsecond = 4.848136812202333e-6;
constexpr double kDegree = 0.01745329252;

std::vector<int> gRouted;
int RecordCommand(int item) {
    gRouted.push_back(item);
    return 1;
}

class Shell : public testing::Test {
protected:
    void SetUp() override {
        SetSplashDuration(0);
        SetMessageResponder([](const MessageRecord&) { return static_cast<int>(AnswerOK); });
        gRouted.clear();
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
    static MenuRef Menu(int number) { return FindMenuByNumber(number); }
    std::string programDir_;
};

TEST_F(Shell, StartupRunsItsStepsInOrderAndShowsTheChartWindow) {
    Start();
    // The Object Info window (step 7) joins when it arrives.
    EXPECT_EQ(StartupSteps(), (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15}));
    WindowRef chart = MainWindow();
    EXPECT_EQ(chart, ChartWindow());
    EXPECT_EQ(GetWindowTitle(chart), "Norvane III");
    EXPECT_TRUE(chart->widget->isMaximized());
    int visible = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        visible += w->isVisible();
    EXPECT_EQ(visible, 1) << "only the chart window is left: the splash is gone";

    // Scroll bars, latitude at the right and longitude at the bottom, show the
    // default view: the horizon chart centred at azimuth 0, altitude 45.
    EXPECT_EQ(GetItemValue(chart, kVerticalScrollBar), -45);
    EXPECT_EQ(GetItemValue(chart, kHorizontalScrollBar), 1);
    EXPECT_EQ(GetItemRect(chart, kVerticalScrollBar).right, GetClientRect(chart).right);
    EXPECT_EQ(GetItemRect(chart, kHorizontalScrollBar).bottom, GetClientRect(chart).bottom);

    // The viewer's time is now and Here holds its location; a quiet program
    // asks for no idle passes.
    EXPECT_NEAR(gViewer.julianDate, CurrentUniversalJulianDate(), 5.0 / 86400.0);
    EXPECT_STREQ(gHere.siteName, gViewer.siteName);
    EXPECT_EQ(IdleInterval(), -1);
}

TEST_F(Shell, EveryEnabledMenuItemHasAHandler) {
    Start();
    int enabled = 0;
    std::vector<MenuRef> pending;
    for (int position = 1; position <= 8; ++position)
        pending.push_back(GetMenuBarMenu(position));
    while (!pending.empty()) {
        MenuRef m = pending.back();
        pending.pop_back();
        ASSERT_NE(m, nullptr);
        for (int item = 1; item <= MenuItemCount(m); ++item) {
            if (MenuRef sub = GetSubMenu(m, item)) pending.push_back(sub);
            if (GetSubMenu(m, item) || !IsMenuItemEnabled(m, item)) continue;
            ++enabled;
            EXPECT_TRUE(CommandAvailable(MenuNumber(m), item))
                << "menu " << MenuNumber(m) << " item " << item << " is enabled with no handler";
        }
    }
    // File > Delete Database File, Open > Default and Large Database, Import >
    // NASA Satellite File, File > Exit, Computation > Recompute All and the
    // four Help commands (10); File > Save Settings As and as Default, Open >
    // Settings, Default Settings and Database (5; Save Settings waits for a
    // file saved under a name); View: Center Coordinates, Field, Zoom In and
    // Out and the 14 fixed fields (18), Center Planet (11), Center Horizon (6),
    // Projection less Planar at the 180 degree field (4), Coordinates (4);
    // Draw: items 1 to 10, 12 to 15, 19, 20 and 22 (17), Sky Background (3),
    // Custom Colors (15). Center Object waits for the object selection dialog.
    EXPECT_EQ(enabled, 10 + 5 + 18 + 11 + 6 + 4 + 4 + 17 + 3 + 15);
    EXPECT_FALSE(IsMenuItemEnabled(Menu(kFileMenu), kFileSaveSettings));
    EXPECT_FALSE(IsMenuItemEnabled(Menu(kViewMenu), 3));
    EXPECT_FALSE(IsMenuItemEnabled(Menu(kFileMenu), 1))
        << "a pop-up with nothing enabled is greyed";
    EXPECT_TRUE(IsMenuItemEnabled(Menu(kFileMenu), 2));
    // Undo, Cut, Paste and Delete keep their keys but never act.
    for (int item : {1, 3, 5, 6})
        EXPECT_FALSE(IsMenuItemEnabled(Menu(kEditMenu), item)) << item;
}

TEST_F(Shell, MenuStateFollowsTheFieldTheProjectionAndTheScreen) {
    RegisterCommandRoute(kProjectionMenu, RecordCommand, {1, 2, 3, 4, 5});
    RegisterCommandRoute(kDrawMenu, RecordCommand, {19, 20});
    RegisterCommandRoute(kCustomColorsMenu, RecordCommand,
                         {1, 2, 3, 5, 6, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18});
    RegisterCommandRoute(kSkyBackgroundMenu, RecordCommand, {1, 2, 3});
    Start();
    // A fixed field is checked within an arcsecond of its width.
    const double k45 = kFixedFieldWidths[17 - kFirstFixedFieldItem];
    const std::pair<double, int> fields[] = {
        {k45 + 0.5 * kArcsecond, 17}, {k45 + 2 * kArcsecond, 0}, {kFixedFieldWidths[13], 26}};
    for (auto [width, checked] : fields) {
        gChartView.fieldWidth = width;
        UpdateMenuState();
        for (int item = 13; item <= 26; ++item)
            EXPECT_EQ(IsMenuItemChecked(Menu(kViewMenu), item), item == checked)
                << "field " << width << " rad, item " << item;
    }
    // Planar up to 135 degrees, Spherical up to 270, Lambert below 360.
    // clang-format off
    const std::pair<double, std::vector<bool>> projections[] = {
        {2.3561944905, {true, true, true}}, {2.3561944906, {false, true, true}},
        {4.712388981, {false, false, true}}, {6.2831853072, {false, false, false}}};
    for (const auto& [width, allowed] : projections) {
        gChartView.fieldWidth = width;
        UpdateMenuState();
        for (int item = 1; item <= 5; ++item)
            EXPECT_EQ(IsMenuItemEnabled(Menu(kProjectionMenu), item), item > 3 || allowed[item - 1])
                << width << " item " << item;
    }
    // The radio mark sits on the current projection and coordinate system;
    // choosing an item does not move it by itself, the handler's state does.
    gChartView.fieldWidth = 3.1415926536;
    gChartView.projection = kMercator;
    gChartView.coordinateSystem = kGalactic;
    UpdateMenuState();
    ASSERT_TRUE(InvokeMenuItem(kProjectionMenu, 2));
    EXPECT_EQ(gRouted, std::vector<int>{2});
    for (int item = 1; item <= 5; ++item)
        EXPECT_EQ(IsMenuItemChecked(Menu(kProjectionMenu), item), item == kMercator) << item;
    for (int item = 1; item <= 4; ++item)
        EXPECT_EQ(IsMenuItemChecked(Menu(kCoordinatesMenu), item), item == kGalactic) << item;

    // Colour commands need four bits per pixel.
    for (int depth : {3, 4}) {
        SetFakeScreenDepth(depth);
        UpdateMenuState();
        for (auto [menu, item] :
             {std::pair{kDrawMenu, 18}, {kDrawMenu, 19}, {kDrawMenu, 20}, {kSkyBackgroundMenu, 3}})
            EXPECT_EQ(IsMenuItemEnabled(Menu(menu), item), depth >= 4) << depth << " " << item;
        EXPECT_TRUE(IsMenuItemEnabled(Menu(kSkyBackgroundMenu), 1)) << depth;
    }
}

TEST_F(Shell, CommandsGoToTheActiveWindowFirstThenTheRouter) {
    RegisterCommandRoute(kViewMenu, RecordCommand, {10});
    Start();
    // The chart window does not consume View commands: they reach the router.
    EXPECT_TRUE(InvokeAccelerator("PgUp"));
    // The key of a greyed item does nothing (Location has no handler yet), and
    // items a handler doesn't list never reach it.
    EXPECT_FALSE(InvokeAccelerator("Ctrl+L"));
    EXPECT_EQ(RouteCommand(kViewMenu, 11), 1);
    EXPECT_EQ(gRouted, std::vector<int>{10});
}

TEST_F(Shell, HelpCommandsOpenTheHelpWindowAndTheAboutBox) {
    Start();
    ASSERT_TRUE(InvokeMenuItem(kHelpMenu, kHelpContents));
    WindowRef help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(IsWindowVisible(help));
    auto* browser = help->widget->findChild<QTextBrowser*>("helpBrowser");
    auto* search = help->widget->findChild<QLineEdit*>("helpSearch");
    ASSERT_TRUE(browser != nullptr && search != nullptr);
    EXPECT_TRUE(browser->source().toString().endsWith("index.html"));
    EXPECT_TRUE(browser->toPlainText().contains("Norvane"));
    ASSERT_TRUE(InvokeMenuItem(kHelpMenu, kHelpHowToUse));
    EXPECT_TRUE(browser->source().toString().endsWith("howto.html"));
    // Search starts with an empty keyword in the search field.
    search->setText("leftover");
    ASSERT_TRUE(InvokeMenuItem(kHelpMenu, kHelpSearch));
    EXPECT_TRUE(search->text().isEmpty());
    // About: modal, closed by its OK button.
    bool shown = false;
    SetDialogResponder(
        kAboutTemplate,
        [&](WindowRef about) {
            shown = IsItemVisible(about, 1) && !MainWindow()->widget->isEnabled();
        },
        1);
    ASSERT_TRUE(InvokeMenuItem(kHelpMenu, kHelpAbout));
    EXPECT_TRUE(shown);
    EXPECT_EQ(ModalDialog(), nullptr);
}

TEST_F(Shell, ExitClosesTheMainWindowThroughAQuitTheApplicationMayRefuse) {
    Start();
    static int quits = 0;
    static bool refuse = true;
    SetApplicationHandler([](int event, WindowRef w, long a, long b) -> long {
        if (event == Quit) ++quits;
        if (event == Quit && refuse) return 0;
        return HandleAppEvent(event, w, a, b);
    });
    RequestQuit();
    QCoreApplication::processEvents();
    EXPECT_TRUE(IsWindowVisible(MainWindow()));
    refuse = false;
    QPointer<QWidget> frame = MainWindow()->widget.data();
    ASSERT_TRUE(InvokeMenuItem(kFileMenu, kFileExit));
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 2);
    EXPECT_TRUE(frame == nullptr || !frame->isVisible());
}

TEST_F(Shell, OpenDocumentAndADateTextReportWhatIsWrong) {
    Start();
    ClearRecordedMessages();
    std::string missing = "/nonexistent/folder/Stars.txt";
    HandleAppEvent(OpenDocument, nullptr, reinterpret_cast<long>(missing.c_str()), 0);
    char path[] = "/tmp/norvane-docXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    HandleAppEvent(OpenDocument, nullptr, reinterpret_cast<long>(path), 0);
    std::remove(path);
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

TEST_F(ShellWithDefaultDatabase, OpensItAtStartupAndAgainFromTheMenu) {
    EXPECT_EQ(gObjectStore.indexPath, programDir_ + "/Database/Index.nvd");
    EXPECT_GE(files, 50);
    EXPECT_GT(objectCount(), 140000);
    ASSERT_TRUE(InvokeMenuItem(kOpenMenu, kOpenDefaultDatabase));
    EXPECT_EQ(fileCount(), files);
    EXPECT_TRUE(RecordedMessages().empty());
    // No removable medium with a database: message 257 names the old path,
    // and the open database is kept.
    setRemovableMediaRoots({programDir_ + "/media/*"});
    ASSERT_TRUE(InvokeMenuItem(kOpenMenu, kOpenCdromDatabase));
    setRemovableMediaRoots({});
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 257);
    EXPECT_NE(RecordedMessages()[0].text.find("D:\\DATABASE\\INDEX.NVD"), std::string::npos);
    EXPECT_EQ(fileCount(), files);
}

TEST_F(ShellWithDefaultDatabase, StartupComputesTheInstantAndRecomputeAllMakesEverythingStale) {
    EXPECT_GT(gInstant.jde, gViewer.julianDate);
    EXPECT_LT(gInstant.jde - gViewer.julianDate, 0.01) << "JDE is the clock time plus Delta T";
    // From the orbital elements the viewer stands on the database's Earth,
    // about 1 AU from the Sun; and with nothing changed Recompute All still
    // makes every result stale.
    gComputationOptions.planetComputation = kPlanetsElements;
    ASSERT_TRUE(IsMenuItemEnabled(Menu(kComputationMenu), kComputationRecomputeAll));
    for (int pass = 0; pass < 2; ++pass) {
        std::uint32_t fixedStamp = gInstant.fixedStamp, solarStamp = gInstant.solarStamp;
        ASSERT_TRUE(InvokeMenuItem(kComputationMenu, kComputationRecomputeAll));
        EXPECT_NEAR(gInstant.viewerSolarDistance, 1.0, 0.02);
        EXPECT_NE(gInstant.fixedStamp, fixedStamp) << pass;
        EXPECT_NE(gInstant.solarStamp, solarStamp) << pass;
    }
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ShellWithDefaultDatabase, DeleteDatabaseFileRemovesItFromDiskAndIndex) {
    std::string sites = programDir_ + "/Database/Sites.nvd";
    ASSERT_TRUE(FileExists(sites));
    SetFileDialogResponder([&](int title, std::string& path) {
        EXPECT_EQ(title, 750);
        path = sites;
        return true;
    });
    ASSERT_TRUE(InvokeMenuItem(kFileMenu, kFileDeleteDatabaseFile));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 535);
    EXPECT_FALSE(FileExists(sites));
    EXPECT_EQ(fileCount(), files - 1);
    // The index on disk already lists one file fewer.
    closeDatabase();
    ASSERT_TRUE(readIndex(programDir_ + "/Database/Index.nvd"));
    EXPECT_EQ(fileCount(), files - 1);
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
