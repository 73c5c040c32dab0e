// The application shell: start-up, menu state, command routing, help and quit.

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
#include <QTextBrowser>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kArcsecond = 4.848136812202333e-6;
constexpr double kDegree = 0.01745329252;

std::vector<std::pair<int, int>> gRouted;
int RecordCommand(int item) {
    gRouted.emplace_back(0, item);
    return 1;
}

// A program directory of the test's own, so that no test touches the
// database the build made.
std::string MakeProgramDirectory() {
    char pattern[] = "/tmp/norvane-shell-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return {};
    return pattern;
}

void RemoveTree(const std::string& path) {
    if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
}

class Shell : public testing::Test {
protected:
    void SetUp() override {
        SetSplashDuration(0);
        SetMessageResponder([](const MessageRecord&) { return static_cast<int>(AnswerOK); });
        gRouted.clear();
        programDir_ = MakeProgramDirectory();
        ASSERT_FALSE(programDir_.empty());
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
        RemoveTree(programDir_);
    }
    std::string programDir_;
    // Starts the program as the loop would, without entering the loop.
    void Start() {
        SetApplicationHandler(HandleAppEvent);
        HandleAppEvent(Startup, nullptr, 0, 0);
        ASSERT_NE(MainWindow(), nullptr);
    }
    static MenuRef Menu(int number) { return FindMenuByNumber(number); }
};

TEST_F(Shell, StartupRunsItsStepsInOrderAndShowsTheChartWindow) {
    Start();
    // The Object Info window (step 7) joins when it arrives.
    EXPECT_EQ(StartupSteps(), (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15}));

    WindowRef chart = MainWindow();
    EXPECT_EQ(chart, ChartWindow());
    EXPECT_EQ(GetWindowTitle(chart), "Norvane III");
    EXPECT_TRUE(IsWindowVisible(chart));
    EXPECT_TRUE(chart->widget->isMaximized());
    // Only the chart window is left: the splash is gone.
    int visible = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) ++visible;
    EXPECT_EQ(visible, 1);

    // Scroll bars: latitude at the right, longitude at the bottom, showing
    // the default view (the horizon chart centred at azimuth 0, altitude 45).
    EXPECT_TRUE(ItemExists(chart, kVerticalScrollBar));
    EXPECT_TRUE(ItemExists(chart, kHorizontalScrollBar));
    EXPECT_EQ(GetItemValue(chart, kVerticalScrollBar), -45);
    EXPECT_EQ(GetItemValue(chart, kHorizontalScrollBar), 1);
    SetItemValue(chart, kVerticalScrollBar, 120);
    EXPECT_EQ(GetItemValue(chart, kVerticalScrollBar), 90);
    Rect vertical = GetItemRect(chart, kVerticalScrollBar);
    Rect horizontal = GetItemRect(chart, kHorizontalScrollBar);
    Rect client = GetClientRect(chart);
    EXPECT_EQ(vertical.right, client.right);
    EXPECT_EQ(horizontal.bottom, client.bottom);
    EXPECT_GT(vertical.height(), vertical.width());
    EXPECT_GT(horizontal.width(), horizontal.height());

    // The viewer's time is now and Here holds its location.
    EXPECT_NEAR(gViewer.julianDate, CurrentUniversalJulianDate(), 5.0 / 86400.0);
    EXPECT_STREQ(gHere.siteName, gViewer.siteName);
    EXPECT_EQ(gHere.longitude, gViewer.longitude);
    EXPECT_EQ(gHere.timeZone, gViewer.timeZone);

    // A quiet program asks for no idle passes.
    EXPECT_EQ(IdleInterval(), -1);
}

TEST_F(Shell, SplashIsTheAboutBoxWithoutItsButtonAndStaysUpItsMinimumTime) {
    SetSplashDuration(300);
    long before = TickCount();
    Start();
    // The wait is measured on the program's own clock; this only checks it
    // was not skipped.
    EXPECT_GE(TickCount() - before, 300);

    WindowRef splash = CreateDialogWindow(kAboutTemplate, 1, AboutBoxHandler);
    ASSERT_NE(splash, nullptr);
    EXPECT_FALSE(IsItemVisible(splash, 1));
    Rect picture = GetItemRect(splash, 2);
    EXPECT_EQ(picture.width(), 480);
    EXPECT_EQ(picture.height(), 300);
    DestroyWindow(splash);
}

TEST_F(Shell, EveryEnabledMenuItemHasAHandler) {
    Start();
    int enabled = 0;
    for (int position = 1; position <= 8; ++position) {
        MenuRef menu = GetMenuBarMenu(position);
        ASSERT_NE(menu, nullptr);
        std::vector<MenuRef> pending{menu};
        while (!pending.empty()) {
            MenuRef m = pending.back();
            pending.pop_back();
            for (int item = 1; item <= MenuItemCount(m); ++item) {
                if (MenuRef sub = GetSubMenu(m, item)) {
                    pending.push_back(sub);
                    continue;
                }
                if (!IsMenuItemEnabled(m, item)) continue;
                ++enabled;
                EXPECT_TRUE(CommandAvailable(MenuNumber(m), item))
                    << "menu " << MenuNumber(m) << " item " << item << " is enabled with no handler";
            }
        }
    }
    // File > Delete Database File, Open > Default Database and Large Database,
    // Import > NASA Satellite File, File > Exit, Computation > Recompute All
    // and the four Help commands (10); File > Save Settings As and Save
    // Settings as Default, Open > Settings, Default Settings and Database (5;
    // Save Settings waits for a file saved under a name);
    // View: Center Coordinates, Field, Zoom In and Out and the 14 fixed fields
    // (18), Center Planet (11), Center Horizon (6), Projection less Planar at
    // the 180 degree field (4), Coordinates (4); Draw: items 1 to 10, 12 to
    // 15, 19, 20 and 22 (17), Sky Background (3), Custom Colors (15). Center
    // Object waits for the object selection dialog.
    EXPECT_EQ(enabled, 10 + 5 + 18 + 11 + 6 + 4 + 4 + 17 + 3 + 15);
    EXPECT_FALSE(IsMenuItemEnabled(Menu(kFileMenu), kFileSaveSettings));
    EXPECT_FALSE(IsMenuItemEnabled(Menu(kViewMenu), 3));
    // A pop-up with nothing enabled in it is greyed itself.
    EXPECT_FALSE(IsMenuItemEnabled(Menu(kFileMenu), 1));
    EXPECT_TRUE(IsMenuItemEnabled(Menu(kFileMenu), 2));
    // Undo, Cut, Paste and Delete keep their keys but never act.
    for (int item : {1, 3, 5, 6}) EXPECT_FALSE(IsMenuItemEnabled(Menu(kEditMenu), item));
}

TEST_F(Shell, FixedFieldItemIsCheckedWithinOneArcsecond) {
    Start();
    const int k45 = 17;
    struct Case {
        double width;
        int checkedItem;  // 0: none
    } cases[] = {
        {45.0 * kDegree, k45},
        {kFixedFieldWidths[k45 - kFirstFixedFieldItem] + 0.5 * kArcsecond, k45},
        {kFixedFieldWidths[k45 - kFirstFixedFieldItem] - 0.5 * kArcsecond, k45},
        {kFixedFieldWidths[k45 - kFirstFixedFieldItem] + 2.0 * kArcsecond, 0},
        {kFixedFieldWidths[0], 13},
        {kFixedFieldWidths[13], 26},
        {100.0 * kDegree, 0},
    };
    for (const Case& c : cases) {
        gChartView.fieldWidth = c.width;
        UpdateMenuState();
        for (int item = 13; item <= 26; ++item)
            EXPECT_EQ(IsMenuItemChecked(Menu(kViewMenu), item), item == c.checkedItem)
                << "field " << c.width << " rad, item " << item;
    }
}

TEST_F(Shell, ProjectionItemsFollowTheFieldWidth) {
    RegisterCommandRoute(kProjectionMenu, RecordCommand, {1, 2, 3, 4, 5});
    Start();
    struct Case {
        double width;
        bool planar, spherical, lambert;
    } cases[] = {
        {3.1415926536, false, true, true},  // exactly 180 degrees
        {2.3561944905, true, true, true},   // exactly 135 degrees
        {2.3561944906, false, true, true},
        {4.712388981, false, false, true},  // exactly 270 degrees
        {6.2831853072, false, false, false},
    };
    for (const Case& c : cases) {
        gChartView.fieldWidth = c.width;
        UpdateMenuState();
        MenuRef projection = Menu(kProjectionMenu);
        EXPECT_EQ(IsMenuItemEnabled(projection, 1), c.planar) << c.width;
        EXPECT_EQ(IsMenuItemEnabled(projection, 2), c.spherical) << c.width;
        EXPECT_EQ(IsMenuItemEnabled(projection, 3), c.lambert) << c.width;
        EXPECT_TRUE(IsMenuItemEnabled(projection, 4));
        EXPECT_TRUE(IsMenuItemEnabled(projection, 5));
    }
    // The radio mark sits on the current projection and coordinate system.
    gChartView.fieldWidth = 3.1415926536;
    gChartView.projection = kMercator;
    gChartView.coordinateSystem = kGalactic;
    UpdateMenuState();
    for (int item = 1; item <= 5; ++item)
        EXPECT_EQ(IsMenuItemChecked(Menu(kProjectionMenu), item), item == kMercator);
    for (int item = 1; item <= 4; ++item)
        EXPECT_EQ(IsMenuItemChecked(Menu(kCoordinatesMenu), item), item == kGalactic);
    // Choosing an item does not move the mark by itself; the handler's state does.
    ASSERT_TRUE(InvokeMenuItem(kProjectionMenu, 2));
    EXPECT_TRUE(IsMenuItemChecked(Menu(kProjectionMenu), kMercator));
    EXPECT_FALSE(IsMenuItemChecked(Menu(kProjectionMenu), 2));
    ASSERT_EQ(gRouted.size(), 1u);
    EXPECT_EQ(gRouted[0].second, 2);
}

TEST_F(Shell, ColourCommandsNeedFourBitsPerPixel) {
    RegisterCommandRoute(kDrawMenu, RecordCommand, {19, 20});
    RegisterCommandRoute(kCustomColorsMenu, RecordCommand,
                         {1, 2, 3, 5, 6, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18});
    RegisterCommandRoute(kSkyBackgroundMenu, RecordCommand, {1, 2, 3});
    Start();
    for (int depth : {1, 2, 3}) {
        SetFakeScreenDepth(depth);
        UpdateMenuState();
        EXPECT_FALSE(IsMenuItemEnabled(Menu(kDrawMenu), 18)) << depth;  // Custom Colors
        EXPECT_FALSE(IsMenuItemEnabled(Menu(kDrawMenu), 19)) << depth;  // Use Color
        EXPECT_FALSE(IsMenuItemEnabled(Menu(kDrawMenu), 20)) << depth;  // Red Screen
        EXPECT_FALSE(IsMenuItemEnabled(Menu(kSkyBackgroundMenu), 3)) << depth;
        EXPECT_TRUE(IsMenuItemEnabled(Menu(kSkyBackgroundMenu), 1)) << depth;
    }
    for (int depth : {4, 8, 24}) {
        SetFakeScreenDepth(depth);
        UpdateMenuState();
        EXPECT_TRUE(IsMenuItemEnabled(Menu(kDrawMenu), 18)) << depth;
        EXPECT_TRUE(IsMenuItemEnabled(Menu(kDrawMenu), 19)) << depth;
        EXPECT_TRUE(IsMenuItemEnabled(Menu(kDrawMenu), 20)) << depth;
        EXPECT_TRUE(IsMenuItemEnabled(Menu(kSkyBackgroundMenu), 3)) << depth;
    }
}

TEST_F(Shell, CommandsGoToTheActiveWindowFirstThenTheRouter) {
    RegisterCommandRoute(kViewMenu, RecordCommand, {10});
    Start();
    // The chart window does not consume View commands: they reach the router.
    EXPECT_TRUE(InvokeAccelerator("PgUp"));
    ASSERT_EQ(gRouted.size(), 1u);
    EXPECT_EQ(gRouted[0].second, 10);
    // An accelerator of a greyed item does nothing (Location has no handler yet).
    EXPECT_FALSE(InvokeAccelerator("Ctrl+L"));
    EXPECT_EQ(gRouted.size(), 1u);
    // Items a handler doesn't list never reach it.
    EXPECT_EQ(RouteCommand(kViewMenu, 11), 1);
    EXPECT_EQ(gRouted.size(), 1u);
}

TEST_F(Shell, HelpCommandsOpenTheHelpWindow) {
    Start();
    ASSERT_TRUE(InvokeMenuItem(kHelpMenu, kHelpContents));
    WindowRef help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(IsWindowVisible(help));
    auto* browser = help->widget->findChild<QTextBrowser*>("helpBrowser");
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->source().toString().endsWith("index.html"));
    EXPECT_TRUE(browser->toPlainText().contains("Norvane"));

    ASSERT_TRUE(InvokeMenuItem(kHelpMenu, kHelpHowToUse));
    EXPECT_TRUE(browser->source().toString().endsWith("howto.html"));

    // Search starts with an empty keyword in the search field.
    auto* search = help->widget->findChild<QLineEdit*>("helpSearch");
    ASSERT_NE(search, nullptr);
    search->setText("leftover");
    ASSERT_TRUE(InvokeMenuItem(kHelpMenu, kHelpSearch));
    EXPECT_TRUE(search->text().isEmpty());

    // About: modal, closed by its OK button.
    bool shown = false;
    SetDialogResponder(
        kAboutTemplate,
        [&](WindowRef about) {
            shown = true;
            EXPECT_TRUE(IsItemVisible(about, 1));
            EXPECT_FALSE(MainWindow()->widget->isEnabled());
        },
        1);
    ASSERT_TRUE(InvokeMenuItem(kHelpMenu, kHelpAbout));
    EXPECT_TRUE(shown);
    EXPECT_EQ(ModalDialog(), nullptr);
}

TEST_F(Shell, ExitClosesTheMainWindowThroughQuit) {
    Start();
    static int quits = 0;
    quits = 0;
    SetApplicationHandler([](int event, WindowRef w, long a, long b) -> long {
        if (event == Quit) ++quits;
        return HandleAppEvent(event, w, a, b);
    });
    QPointer<QWidget> frame = MainWindow()->widget.data();
    ASSERT_TRUE(InvokeMenuItem(kFileMenu, kFileExit));
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(frame == nullptr || !frame->isVisible());
}

TEST_F(Shell, QuitCanBeRefusedByTheApplication) {
    Start();
    SetApplicationHandler([](int event, WindowRef w, long a, long b) -> long {
        if (event == Quit) return 0;
        return HandleAppEvent(event, w, a, b);
    });
    RequestQuit();
    QCoreApplication::processEvents();
    EXPECT_TRUE(IsWindowVisible(MainWindow()));
}

TEST_F(Shell, OpenDocumentReportsWhatCannotBeOpened) {
    Start();
    ClearRecordedMessages();
    std::string missing = "/nonexistent/folder/Stars.txt";
    HandleAppEvent(OpenDocument, nullptr, reinterpret_cast<long>(missing.c_str()), 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 257);
    EXPECT_NE(RecordedMessages()[0].text.find("\"Stars.txt\""), std::string::npos);

    char path[] = "/tmp/norvane-docXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    HandleAppEvent(OpenDocument, nullptr, reinterpret_cast<long>(path), 0);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[1].number, 258);
    std::remove(path);
}

TEST_F(Shell, ABadDateTextIsReportedAsMessage525) {
    SetReportHandler(ShowReportedMessage);
    double jd = 2451545.0;
    EXPECT_FALSE(ParseDateTime("2000/1", 0.0, kCalendarGregorian, &jd));
    EXPECT_EQ(jd, 2451545.0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 525);
    EXPECT_EQ(RecordedMessages()[0].text,
              "The date \"2000/1\" is invalid.  Please enter the date and time as \"year/month/day "
              "hour:min:sec\" or \"year/month/decimal day\".");
    SetReportHandler(nullptr);
}

TEST_F(Shell, FirstStartCreatesTheDatabaseOrEndsWithoutOne) {
    // No database directory: the question, and with OK a new empty database.
    Start();
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages()[0].number, 528);
    EXPECT_TRUE(FileExists(programDir_ + "/Database/Index.nvd"));
    EXPECT_TRUE(FileExists(programDir_ + "/Database/Custom.nvd"));
    EXPECT_EQ(gObjectStore.indexPath, programDir_ + "/Database/Index.nvd");
    EXPECT_EQ(fileCount(), 1);
}

TEST_F(Shell, WithoutADatabaseDirectoryTheProgramEnds) {
    SetMessageResponder([](const MessageRecord& m) {
        return static_cast<int>(m.number == 528 ? AnswerCancel : AnswerOK);
    });
    SetApplicationHandler(HandleAppEvent);
    HandleAppEvent(Startup, nullptr, 0, 0);
    // The start-up stopped at the store: no menus, no chart shown.
    EXPECT_EQ(StartupSteps(), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(DirectoryExists(programDir_ + "/Database"));
    EXPECT_TRUE(MainWindow() == nullptr || !IsWindowVisible(MainWindow()));
}

class ShellWithDefaultDatabase : public Shell {
protected:
    void SetUp() override {
        Shell::SetUp();
        // A copy of the database the build made.
        std::string copy = "cp -r '" + std::string(NORVANE_PROGRAM_DIR) + "/Database' '" +
                           programDir_ + "/'";
        ASSERT_EQ(std::system(copy.c_str()), 0);
    }
};

TEST_F(ShellWithDefaultDatabase, OpensItAtStartupAndAgainFromTheMenu) {
    Start();
    EXPECT_TRUE(RecordedMessages().empty()) << RecordedMessages()[0].text;
    EXPECT_EQ(gObjectStore.indexPath, programDir_ + "/Database/Index.nvd");
    int files = fileCount();
    EXPECT_GE(files, 50);
    EXPECT_GT(objectCount(), 140000);

    // Open > Default Database closes and reads it again.
    ASSERT_TRUE(InvokeMenuItem(kOpenMenu, kOpenDefaultDatabase));
    EXPECT_EQ(fileCount(), files);
    EXPECT_EQ(gObjectStore.indexPath, programDir_ + "/Database/Index.nvd");
    EXPECT_TRUE(RecordedMessages().empty());

    // No removable medium with a database: message 257 names the old path;
    // the open database is kept.
    setRemovableMediaRoots({programDir_ + "/media/*"});
    ASSERT_TRUE(InvokeMenuItem(kOpenMenu, kOpenCdromDatabase));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 257);
    EXPECT_NE(RecordedMessages()[0].text.find("D:\\DATABASE\\INDEX.NVD"), std::string::npos);
    EXPECT_EQ(fileCount(), files);
    setRemovableMediaRoots({});
}

TEST_F(ShellWithDefaultDatabase, StartupComputesTheInstantAndRecomputeAllMakesEverythingStale) {
    Start();
    EXPECT_GT(gInstant.jde, gViewer.julianDate);
    EXPECT_LT(gInstant.jde - gViewer.julianDate, 0.01) << "JDE is the clock time plus Delta T";

    // From the orbital elements the viewer stands on the database's Earth,
    // about 1 AU from the Sun.
    gComputationOptions.planetComputation = kPlanetsElements;
    std::uint32_t fixedStamp = gInstant.fixedStamp, solarStamp = gInstant.solarStamp;
    ASSERT_TRUE(IsMenuItemEnabled(Menu(kComputationMenu), kComputationRecomputeAll));
    ASSERT_TRUE(InvokeMenuItem(kComputationMenu, kComputationRecomputeAll));
    EXPECT_NEAR(gInstant.viewerSolarDistance, 1.0, 0.02);
    EXPECT_NE(gInstant.fixedStamp, fixedStamp);
    EXPECT_NE(gInstant.solarStamp, solarStamp);

    // Nothing changed: Recompute All still makes every result stale.
    fixedStamp = gInstant.fixedStamp;
    solarStamp = gInstant.solarStamp;
    ASSERT_TRUE(InvokeMenuItem(kComputationMenu, kComputationRecomputeAll));
    EXPECT_NE(gInstant.fixedStamp, fixedStamp);
    EXPECT_NE(gInstant.solarStamp, solarStamp);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ShellWithDefaultDatabase, DeleteDatabaseFileRemovesItFromDiskAndIndex) {
    Start();
    int files = fileCount();
    std::string sites = programDir_ + "/Database/Sites.nvd";
    ASSERT_TRUE(FileExists(sites));
    SetFileDialogResponder([&](int title, std::string& path) {
        EXPECT_EQ(title, 750);
        path = sites;
        return true;
    });
    ClearRecordedMessages();
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
    Start();
    // A new object lands in the custom file; quitting writes it without asking.
    SiteObject* site = NewSiteObject();
    ASSERT_NE(site, nullptr);
    site->name = CopyText("Backyard");
    ObjectID id = addObject(site, 0);
    ASSERT_NE(id, 0);
    EXPECT_EQ(HandleAppEvent(Quit, nullptr, 0, 0), 1);
    EXPECT_TRUE(gObjectStore.indexPath.empty());
    ASSERT_TRUE(readIndex(programDir_ + "/Database/Index.nvd"));
    const SkyObject* back = getObject(id);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(DisplayName(back), "Backyard");
}

TEST(ShellPacing, TelescopePollsOnlyAfterItsIntervalHasPassed) {
    // Four polls a second: more than 250 ms must have passed.
    EXPECT_FALSE(TelescopePollDue(1250, 1000, 4));
    EXPECT_TRUE(TelescopePollDue(1251, 1000, 4));
    // The interval is an integer division: 1000 / 3 = 333.
    EXPECT_FALSE(TelescopePollDue(1333, 1000, 3));
    EXPECT_TRUE(TelescopePollDue(1334, 1000, 3));
    // Zero (or a nonsense negative rate) never polls.
    EXPECT_FALSE(TelescopePollDue(1000000, 0, 0));
    EXPECT_FALSE(TelescopePollDue(1000000, 0, -2));

    // Idle pacing: continuous for animation, gentle for a telescope, none otherwise.
    EXPECT_EQ(IdleIntervalWanted(true, true), 0);
    EXPECT_EQ(IdleIntervalWanted(true, false), 0);
    EXPECT_GT(IdleIntervalWanted(false, true), 0);
    EXPECT_LT(IdleIntervalWanted(false, true), 250);
    EXPECT_EQ(IdleIntervalWanted(false, false), -1);
}

} // namespace
