#include "shell/Commands.h"

#include "chart/ChartWindow.h"
#include "chart/DrawCommands.h"
#include "chart/ViewCommands.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Editors.h"
#include "data/Import.h"
#include "data/Satellites.h"
#include "data/SelectObject.h"
#include "data/SkyObject.h"
#include "output/EphemerisExport.h"
#include "output/ObjectInfo.h"
#include "output/PictureExport.h"
#include "output/Printing.h"
#include "settings/Settings.h"
#include "shell/MenuState.h"
#include "shell/Platform.h"
#include "telescope/TelescopeCommands.h"
#include "timecontrol/ComputationCommands.h"
#include "timecontrol/Animation.h"
#include "timecontrol/ComputationCommands.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr int kOutOfMemoryMessage = 256;
constexpr int kHelpFileString = 300;
constexpr int kAboutPicture = 25602;
constexpr int kAboutPictureControl = 2;
constexpr int kAboutVersionControl = 3;
constexpr int kAboutOKButton = 1;
// The creation parameter that makes the About box the splash.
constexpr long kSplashParameter = 1;

struct CommandRoute {
    int menu;
    CommandHandler handler;
    std::vector<int> items;  // the items the handler acts on
    // Instead of the list: asks the owner whether it acts on an item.
    bool (*handles)(int menu, int item) = nullptr;
};

// The chart's menus: the View menu with its four submenus, the Draw menu
// with its two.
template <int Menu>
int ViewCommand(int item) {
    return ViewMenuCommand(Menu, item);
}
template <int Menu>
int DrawCommand(int item) {
    return DrawMenuCommand(Menu, item);
}

// Menus 1 to 3 ask for the chart to be shown afresh.
int RedrawCommand(int) {
    if (WindowRef chart = ChartWindow()) InvalidateWindow(chart);
    return 1;
}

int FileCommand(int item) {
    switch (item) {
    case kFileCloseInfoWindow: CloseObjectInfo(); break;
    case kFileSaveSettings: saveSettingsCommand(); break;
    case kFileSaveSettingsAs: saveSettingsAsCommand(); break;
    case kFileSaveSettingsAsDefault: saveSettingsAsDefaultCommand(); break;
    case kFileDeleteDatabaseFile: deleteDatabaseFileCommand(); break;
    case kFilePrintSetup:
        printSetupCommand();
        break;
    case kFilePrint:
        printChartCommand();
        break;
    case kFileExit: RequestQuit(); break;
    default: break;
    }
    return 1;
}

int OpenCommand(int item) {
    bool opened = false;
    switch (item) {
    case kOpenSettings: openSettingsCommand(); break;
    case kOpenDefaultSettings: openDefaultSettingsCommand(); break;
    case kOpenDatabase: openDatabaseCommand(); break;
    case kOpenDefaultDatabase: opened = openDefaultDatabase(); break;
    case kOpenCdromDatabase: openCdromDatabaseCommand(); break;
    default: return 1;
    }
    // Whatever happened, the old ids are gone: draw what is there now.
    (void)opened;
    RedrawCommand(0);
    UpdateMenuState();
    return 1;
}

// Edit > Edit Constellations: drags between stars draw and erase figure lines.
int ConstellationEditingCommand(int) {
    SetEditingConstellations(!EditingConstellations());
    UpdateMenuState();
    return 1;
}

int ImportCommand(int item) {
    if (item == kImportTextFile) importTextFileCommand();
    if (item == kImportSatelliteFile) importSatelliteFileCommand();
    UpdateMenuState();
    return 1;
}

int ExportCommand(int item) {
    if (item == kExportEphemeris) exportEphemerisCommand();
    if (item == kExportMetafile) exportMetafileCommand();
    if (item == kExportBitmap) exportBitmapCommand();
    if (item == kExportPicture) exportPictureCommand();
    UpdateMenuState();
    return 1;
}

int CopyCommand(int) {
    copyChartCommand();
    return 1;
}

// New objects, and the object commands of the Edit menu.
int NewCommand(int item) {
    newObjectCommand(item == kNewStar ? kTypeSingleStar : kTypeComet);
    UpdateMenuState();
    return 1;
}

int EditCommand(int item) {
    if (item == kEditFindObject) findObjectCommand();
    if (item == kEditEditObject) editObjectCommand();
    if (item == kEditDeleteObject) deleteObjectCommand();
    UpdateMenuState();
    return 1;
}

int ComputationCommand(int item) {
    if (item == kComputationRecomputeAll)
        RecomputeAndRedraw(true);
    else
        ComputationMenuCommand(item);
    return 1;
}

bool ComputationHandles(int, int item) {
    return item == kComputationRecomputeAll || ComputationMenuHandles(item);
}

int HelpCommand(int item) {
    std::string helpFile;
    try {
        helpFile = AppendPathComponent(ProgramDirectory(), LoadString(kHelpFileString));
    } catch (const std::bad_alloc&) {
        ShowMessage(ButtonsOK, kOutOfMemoryMessage);
        return 1;
    }
    SetHelpPageFilter(MarkUnavailableCommands);
    switch (item) {
    case kHelpContents: OpenHelp(helpFile, HelpContents); break;
    case kHelpSearch: OpenHelp(helpFile, HelpSearch); break;
    case kHelpHowToUse: OpenHelp(helpFile, HelpOnHelp); break;
    case kHelpAbout: ShowAboutBox(); break;
    default: break;
    }
    return 1;
}

std::vector<CommandRoute> ProgramRoutes() {
    return {
        {kFileMenu,
         FileCommand,
         {kFileCloseInfoWindow, kFileSaveSettings, kFileSaveSettingsAs, kFileSaveSettingsAsDefault,
          kFileDeleteDatabaseFile, kFilePrintSetup, kFilePrint, kFileExit}},
        {kOpenMenu,
         OpenCommand,
         {kOpenSettings, kOpenDefaultSettings, kOpenDatabase, kOpenDefaultDatabase,
          kOpenCdromDatabase}},
        {kEditMenu, ConstellationEditingCommand, {kEditConstellations}},
        {kViewMenu, ViewCommand<kViewMenu>, {}, ViewMenuHandles},
        {kCenterPlanetMenu, ViewCommand<kCenterPlanetMenu>, {}, ViewMenuHandles},
        {kCenterHorizonMenu, ViewCommand<kCenterHorizonMenu>, {}, ViewMenuHandles},
        {kProjectionMenu, ViewCommand<kProjectionMenu>, {}, ViewMenuHandles},
        {kCoordinatesMenu, ViewCommand<kCoordinatesMenu>, {}, ViewMenuHandles},
        {kDrawMenu, DrawCommand<kDrawMenu>, {}, DrawMenuHandles},
        {kSkyBackgroundMenu, DrawCommand<kSkyBackgroundMenu>, {}, DrawMenuHandles},
        {kCustomColorsMenu, DrawCommand<kCustomColorsMenu>, {}, DrawMenuHandles},
        {kNewMenu, NewCommand, {kNewStar, kNewPlanet}},
        {kEditMenu, EditCommand, {kEditFindObject, kEditEditObject, kEditDeleteObject}},
        {kImportMenu, ImportCommand, {kImportTextFile, kImportSatelliteFile}},
        {kExportMenu,
         ExportCommand,
         {kExportEphemeris, kExportMetafile, kExportBitmap, kExportPicture}},
        {kEditMenu, CopyCommand, {kEditCopy}},
        {kComputationMenu, ComputationCommand, {}, ComputationHandles},
        {kAnimationMenu, AnimationMenuCommand, {}, AnimationMenuHandles},
        {kTelescopeMenu, TelescopeMenuCommand, {}, TelescopeMenuHandles},
        {kHelpMenu, HelpCommand, {kHelpContents, kHelpSearch, kHelpHowToUse, kHelpAbout}},
        {1, RedrawCommand, {}},
        {2, RedrawCommand, {}},
        {3, RedrawCommand, {}},
    };
}

std::vector<CommandRoute>& Routes() {
    static std::vector<CommandRoute> routes = ProgramRoutes();
    return routes;
}

} // namespace

int RouteCommand(int menu, int item) {
    // Test stand-ins are added after the program's own routes and win over them.
    auto& routes = Routes();
    for (auto it = routes.rbegin(); it != routes.rend(); ++it) {
        if (it->menu != menu) continue;
        if (it->handles != nullptr) {
            if (!it->handles(menu, item)) continue;
        } else if (!it->items.empty() &&
                   std::find(it->items.begin(), it->items.end(), item) == it->items.end()) {
            continue;
        }
        return it->handler(item);
    }
    return 1;
}

bool CommandAvailable(int menu, int item) {
    for (const CommandRoute& route : Routes())
        if (route.menu == menu &&
            (route.handles != nullptr
                 ? route.handles(menu, item)
                 : std::find(route.items.begin(), route.items.end(), item) != route.items.end()))
            return true;
    return false;
}

void RegisterCommandRoute(int menu, CommandHandler handler, std::initializer_list<int> items) {
    Routes().push_back({menu, handler, std::vector<int>(items)});
}

void ResetCommandRoutes() { Routes() = ProgramRoutes(); }

std::string MarkUnavailableCommands(const std::string& html) {
    static const std::string kRowStart = "<tr id=\"c";
    static const std::string kCell = "<td>";
    static const std::string kNote =
        "<i style=\"color:#8a5a00\">" + std::string(kUnavailableNote) + "</i> ";
    std::string marked;
    std::size_t copied = 0;
    for (std::size_t row = html.find(kRowStart); row != std::string::npos;
         row = html.find(kRowStart, row + 1)) {
        std::size_t end = html.find("</tr>", row);
        if (end == std::string::npos) break;
        long command = std::strtol(html.c_str() + row + kRowStart.size(), nullptr, 10);
        if (CommandAvailable(static_cast<int>(command / 100), static_cast<int>(command % 100)))
            continue;
        // The note opens the row's last plain cell, the one that says what the command does.
        std::size_t cell = html.rfind(kCell, end);
        if (cell == std::string::npos || cell < row) continue;
        cell += kCell.size();
        marked.append(html, copied, cell - copied).append(kNote);
        copied = cell;
    }
    return marked.append(html, copied, std::string::npos);
}

long AboutBoxHandler(int event, WindowRef window, long a, long b) {
    switch (event) {
    case Create: {
        PictureRef picture = LoadPictureResource(kAboutPicture);
        if (picture != nullptr) {
            SetItemPicture(window, kAboutPictureControl, picture);
            DeletePicture(picture);
        }
        // The build's own version, so that the box can't fall behind it.
        SetItemText(window, kAboutVersionControl, "Version " NORVANE_VERSION);
        if (b == kSplashParameter) HideItem(window, kAboutOKButton);
        CenterOnParent(window);
        break;
    }
    case ControlNotify:
        // OK closes it; so do Escape and the close box, which arrive as Cancel.
        if (a == kAboutOKButton || a == kCancelButton) EndDialogResult(1);
        break;
    default:
        break;
    }
    return 1;
}

void ShowAboutBox() { RunDialog(kAboutTemplate, 0, AboutBoxHandler); }
