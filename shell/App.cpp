#include "shell/App.h"

#include "astro/Report.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Render.h"
#include "chart/ViewCommands.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Editors.h"
#include "data/ObjectStore.h"
#include "data/SelectObject.h"
#include "output/ObjectInfo.h"
#include "settings/Settings.h"
#include "shell/Commands.h"
#include "shell/MenuState.h"
#include "telescope/Telescope.h"
#include "telescope/TelescopeCommands.h"
#include "telescope/TelescopeWindows.h"
#include "timecontrol/ComputationCommands.h"
#include "timecontrol/Animation.h"
#include "timecontrol/Trails.h"

#include <new>

namespace {

constexpr int kOutOfMemoryMessage = 256;
constexpr int kCannotOpenMessage = 257;
constexpr long kDefaultSplashMilliseconds = 1000;
// While only a telescope wants idle time, idle passes come this often so
// that a poll is never late by more than this, without keeping a core busy.
constexpr int kTelescopeIdleMilliseconds = 10;

std::vector<int> gStartupSteps;
long gSplashMilliseconds = kDefaultSplashMilliseconds;

void Step(int number) {
    gStartupSteps.push_back(number);
}

// Ids of the closed database mean nothing any more.
void ForgetObjectIds() {
    gChartView.centeredObject = 0;
    gViewer.viewerObject = 0;
    DeleteAllTrails();
    setSelectedObject(0);
    ShowObjectInfo(0);
}

// After a recomputation: the chart is drawn afresh, the Object Info window
// follows the new numbers, so does the telescope's target, and the menus
// follow the state.
void ShowRecomputedState() {
    if (WindowRef chart = ChartWindow(); chart != nullptr && IsWindowVisible(chart)) {
        RenderChart();
        UpdateScrollBars();
        InvalidateWindow(chart);
    }
    RefreshObjectInfo();
    RefreshTarget();
    // A settings file just read may have set the animation running: its
    // clock starts now, and so do the idle steps.
    if (AnimationRunning() && IdleInterval() < 0) RebaseAnimationClock();
    UpdateMenuState();
}

// After objects were added or removed every stored result is suspect: the
// Earth or the viewer object may be among them.
void RecomputeAfterDataChange() {
    RecomputeAndRedraw(true);
}

void OpenStartupDatabase() {
    std::string directory =
        AppendPathComponent(ProgramDirectory(), LoadString(kDatabaseDirectoryString));
    std::string index = AppendPathComponent(directory, LoadString(kIndexFileNameString));
    if (FileExists(index)) {
        openDefaultDatabase();
        return;
    }
    gObjectStore.indexPath = index;
    gObjectStore.databaseDirectory = StripFileName(index);
    customFile();
    writeIndex(index);
}

void StartProgram() {
    gStartupSteps.clear();

    // 1. The splash: the About box, modeless, painted at once.
    long splashShown = TickCount();
    WindowRef splash = CreateDialogWindow(kAboutTemplate, 1, AboutBoxHandler);
    if (splash != nullptr) {
        ShowWindow(splash);
        UpdateWindow(splash);
        PumpMessages();
    }
    Step(1);

    // 2. Every program-wide record to its defaults.
    setSettingsDefaults();
    setDriverDefaults();
    setRedrawHandler(ShowRecomputedState);
    setMenuStateUpdater(UpdateMenuState);
    setObjectSelector(selectObjectDialog);
    setComputationObjectChooser(selectObjectDialog);
    setObjectShower([](ObjectID id) { PresentObjectInfo(id, true); });
    setInfoEditHandler([](ObjectID id) { return editObject(id, 0) != 0; });
    setInfoTrailEditor([](ObjectID id) { return EditObjectTrail(id) != 0; });
    setTrailObjectChooser(selectObjectDialog);
    setClockRebaser(RebaseAnimationClock);
    InstallTelescopeHooks(UpdateMenuState);
    setInfoObjectListener(TargetChosenObject);
    setSkyPointListener(TargetChosenPoint);
    Step(2);

    // 3. The chart window, hidden until start-up is over.
    WindowRef chart = CreateChartWindow();
    if (chart == nullptr) {
        ShowMessage(ButtonsOK, kOutOfMemoryMessage);
        if (splash != nullptr) DestroyWindow(splash);
        RequestQuit();
        return;
    }
    Step(3);

    // 4. The object store and the database directory beside the program;
    // without either the program can't go on.
    if (!initObjectStore(memoryBudget())) {
        ShowMessage(ButtonsOK, kOutOfMemoryMessage);
        if (splash != nullptr) DestroyWindow(splash);
        RequestQuit();
        return;
    }
    setDatabaseClosedHandler(ForgetObjectIds);
    setRecomputeHandler(RecomputeAfterDataChange);
    if (!checkDatabaseDirectory()) {
        if (splash != nullptr) DestroyWindow(splash);
        RequestQuit();
        return;
    }
    Step(4);

    // 5. Menu handles.
    CacheMenuHandles();
    Step(5);

    // 6. No trails yet; the chart draws them below the stars.
    DeleteAllTrails();
    setTrailLayer(DrawTrails);
    Step(6);

    // 7. The Object Info window, hidden until an object is chosen.
    if (CreateObjectInfoWindow() != nullptr) Step(7);

    // 8. The default database. A database directory without an index (a
    // first run, or an index deleted by hand) gets a fresh empty one, so that
    // new objects always have a database to go to.
    OpenStartupDatabase();
    Step(8);

    // 9. The default settings beside the program, when there are any (the
    // program works with its own defaults without them).
    readDefaultSettingsIfPresent();
    Step(9);

    // 10. The location the Here command returns to.
    SaveViewerAsHere();
    Step(10);

    // 11. The time is now.
    SetViewerTimeToNow();
    RebaseAnimationClock();
    Step(11);

    // 12. Everything computed afresh for that instant and place.
    RecomputeAndRedraw(true);
    Step(12);

    // 13. Menus in step with the state.
    UpdateMenuState();
    Step(13);

    // 14. The splash stays up for its minimum time.
    long shown = TickCount() - splashShown;
    if (shown < gSplashMilliseconds) Wait(gSplashMilliseconds - shown);
    if (splash != nullptr) DestroyWindow(splash);
    Step(14);

    // 15. The chart window, maximised, with the chart drawn for its size.
    MaximiseWindow(chart);
    RenderChart();
    UpdateScrollBars();
    InvalidateWindow(chart);
    SetArrowCursor();
    Step(15);
}

void IdlePass() {
    // One animation step per pass while the chart can be seen; the message
    // loop handles everything waiting (keys, menus, paints) between steps,
    // so Esc and Animation > Off reach the program at once.
    bool minimised = true;
    if (AnimationRunning()) {
        WindowRef chart = ChartWindow();
        minimised = chart == nullptr || IsMinimised(chart);
        if (TakeKeyPress(VKEscape) || IsKeyDown(VKEscape)) {
            // Esc may have cut the last drawing short: the chart the
            // animation stops on is drawn whole.
            AnimationMenuCommand(kAnimationOff);
            RecomputeAndRedraw(false);
        } else if (!minimised) {
            AnimationStep();
        }
    }
    // A minimised chart waits for its window to come back without keeping a
    // core busy.
    const bool running = AnimationRunning();
    const bool polling = TelescopeIdle();
    SetIdleInterval(IdleIntervalWanted(running && !minimised, polling || (running && minimised)));
}

void OpenDocumentFile(const char* path) {
    if (path == nullptr || *path == '\0') return;
    if (!FileExists(path)) {
        ShowMessage(ButtonsOK, kCannotOpenMessage, FileTitle(path).c_str());
        return;
    }
    // Settings, a database, a data file or a file to import, by its kind.
    openFileByKind(path);
    UpdateMenuState();
}

long QuitProgram() {
    ApplyRedScreen(false);
    TelescopeDisconnect();
    // The database is written back without asking; settings are saved only
    // when the user asks.
    closeDatabase();
    return 1;
}

} // namespace

long HandleAppEvent(int event, WindowRef, long arg1, long arg2) {
    switch (event) {
    case Startup:
        StartProgram();
        return 1;
    case Idle:
        IdlePass();
        return 1;
    case AppActivated:
        // The red desktop colours only while Norvane is in front.
        ApplyRedScreen(gDisplayOptions.redScreen);
        return 1;
    case AppDeactivated:
        ApplyRedScreen(false);
        return 1;
    case MenuCommand:
        RouteCommand(static_cast<int>(arg1), static_cast<int>(arg2));
        return 1;
    case OpenDocument:
        OpenDocumentFile(reinterpret_cast<const char*>(arg1));
        return 1;
    case Quit:
        return QuitProgram();
    default:
        return 1;
    }
}

const std::vector<int>& StartupSteps() {
    return gStartupSteps;
}

void SetSplashDuration(long milliseconds) {
    gSplashMilliseconds = milliseconds;
}

bool TelescopePollDue(long now, long lastPoll, int updatesPerSec) {
    if (updatesPerSec <= 0) return false;
    return now - lastPoll > 1000 / updatesPerSec;
}

int IdleIntervalWanted(bool animating, bool polling) {
    if (animating) return 0;
    if (polling) return kTelescopeIdleMilliseconds;
    return -1;
}

void ShowReportedMessage(int stringNumber, const char* argument) {
    ShowMessage(ButtonsOK, stringNumber, argument != nullptr ? argument : "");
}
