#include "shell/MenuState.h"

#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "output/ObjectInfo.h"
#include "resources/Menus.h"
#include "settings/Settings.h"
#include "shell/Commands.h"
#include "telescope/TelescopeCommands.h"
#include "telescope/TelescopeState.h"
#include "timecontrol/Animation.h"

#include <cmath>

MenuHandles gMenuHandles{};

namespace {

// Position of the pop-up `submenu` within `parent`, from the menu resources.
int PopupPosition(int parent, int submenu) {
    const MenuDef* def = FindMenu(parent);
    if (def == nullptr) return 0;
    for (int i = 0; i < def->count; ++i)
        if (def->items[i].submenu == submenu) return i + 1;
    return 0;
}

MenuRef Popup(MenuRef parent, int submenu) {
    return GetSubMenu(parent, PopupPosition(MenuNumber(parent), submenu));
}

// Draw menu items whose state the rules name.
constexpr int kDrawCustomColors = 18;
constexpr int kDrawUseColor = 19;
constexpr int kDrawRedScreen = 20;
constexpr int kSkyBackgroundColor = 3;

// The state each rule reads. Parts of the program that do not exist yet
// contribute their neutral state: no settings file, red screen off, no
// telescope.
struct ProgramState {
    bool infoWindowVisible = false;
    bool settingsPathKnown = false;
    bool editingConstellations = false;
    bool redScreen = false;
    bool telescopeConnected = false;
    int screenBits = 24;
};

ProgramState ReadState() {
    ProgramState state;
    state.screenBits = ScreenBitsPerPixel();
    state.redScreen = gDisplayOptions.redScreen;
    state.settingsPathKnown = !currentSettingsPath().empty();
    state.infoWindowVisible = ObjectInfoWindow() != nullptr && IsWindowVisible(ObjectInfoWindow());
    state.editingConstellations = EditingConstellations();
    state.telescopeConnected = gTelescopeState.connected;
    return state;
}

// The Draw menu's check marks: items 1 to 10, 15, 19 and 20 show flags.
bool DrawItemChecked(int item) {
    const DisplayOptions& o = gDisplayOptions;
    switch (item) {
    case 1: return o.showStars;
    case 2: return o.showPlanets;
    case 3: return o.showDeepSkyObjects;
    case 4: return o.showConstellations;
    case 5: return o.showChartLegend;
    case 6: return o.showObjectLabels;
    case 7: return o.showGridLines;
    case 8: return o.showHorizonMask;
    case 9: return o.showMouseCoordinates;
    case 10: return o.showChartControls;
    case 15: return o.automaticMagnitudeLimits;
    case kDrawUseColor: return o.useColor;
    case kDrawRedScreen: return o.redScreen;
    default: return false;
    }
}

// Whether the rules allow an item, handler aside.
bool RuleAllows(const ProgramState& s, int menu, int item) {
    bool colorScreen = s.screenBits >= kMinimumColorDepth;
    switch (menu) {
    case kFileMenu:
        if (item == 3) return s.infoWindowVisible;
        if (item == 5) return s.settingsPathKnown;
        return true;
    case kDrawMenu:
        if (item == kDrawRedScreen) return colorScreen;
        if (item == kDrawCustomColors || item == kDrawUseColor) return colorScreen && !s.redScreen;
        return true;
    case kSkyBackgroundMenu:
        if (item == kSkyBackgroundColor) return colorScreen && !s.redScreen;
        return true;
    case kProjectionMenu:
        if (item == kPlanar) return gChartView.fieldWidth <= kPlanarFieldLimit;
        if (item == kSpherical) return gChartView.fieldWidth <= kSphericalFieldLimit;
        if (item == kLambert) return gChartView.fieldWidth <= kLambertFieldLimit;
        return true;
    case kTelescopeMenu:
        if (item >= 3) return s.telescopeConnected;
        return true;
    default:
        return true;
    }
}

bool ItemChecked(const ProgramState& s, int menu, int item) {
    switch (menu) {
    case kEditMenu:
        return item == kEditConstellations && s.editingConstellations;
    case kViewMenu: {
        int index = item - kFirstFixedFieldItem;
        if (index < 0 || index >= kFixedFieldCount) return false;
        return std::fabs(gChartView.fieldWidth - kFixedFieldWidths[index]) < kFieldCheckTolerance;
    }
    case kDrawMenu:
        return DrawItemChecked(item);
    case kSkyBackgroundMenu:
        return item == gDisplayOptions.skyBackground;
    case kCoordinatesMenu:
        return item == gChartView.coordinateSystem;
    case kProjectionMenu:
        return item == gChartView.projection;
    case kAnimationMenu:
        return AnimationItemChecked(item);
    case kTelescopeMenu:
        return TelescopeMenuItemChecked(item);
    default:
        return false;
    }
}

// Sets every item of a menu; returns whether any item of it is enabled, so
// that a pop-up whose items are all greyed is greyed itself.
bool UpdateMenu(const ProgramState& state, MenuRef menu) {
    const MenuDef* def = FindMenu(MenuNumber(menu));
    if (def == nullptr) return false;
    bool anyEnabled = false;
    for (int i = 0; i < def->count; ++i) {
        const MenuItemDef& item = def->items[i];
        int position = i + 1;
        if (item.label == nullptr) continue;
        bool enabled;
        if (item.submenu != 0) {
            MenuRef popup = GetSubMenu(menu, position);
            enabled = popup != nullptr && UpdateMenu(state, popup);
        } else {
            enabled = CommandAvailable(def->number, position);
        }
        enabled = enabled && RuleAllows(state, def->number, position);
        EnableMenuItem(menu, position, enabled);
        if (item.submenu == 0) CheckMenuItem(menu, position, ItemChecked(state, def->number, position));
        anyEnabled = anyEnabled || enabled;
    }
    return anyEnabled;
}

} // namespace

void CacheMenuHandles() {
    gMenuHandles.file = GetMenuBarMenu(1);
    gMenuHandles.edit = GetMenuBarMenu(2);
    gMenuHandles.view = GetMenuBarMenu(3);
    gMenuHandles.draw = GetMenuBarMenu(4);
    gMenuHandles.computation = GetMenuBarMenu(5);
    gMenuHandles.animation = GetMenuBarMenu(6);
    gMenuHandles.telescope = GetMenuBarMenu(7);
    gMenuHandles.help = GetMenuBarMenu(8);
    gMenuHandles.newMenu = Popup(gMenuHandles.file, kNewMenu);
    gMenuHandles.importMenu = Popup(gMenuHandles.file, kImportMenu);
    gMenuHandles.exportMenu = Popup(gMenuHandles.file, kExportMenu);
    gMenuHandles.centerPlanet = Popup(gMenuHandles.view, kCenterPlanetMenu);
    gMenuHandles.centerHorizon = Popup(gMenuHandles.view, kCenterHorizonMenu);
    gMenuHandles.projection = Popup(gMenuHandles.view, kProjectionMenu);
    gMenuHandles.coordinates = Popup(gMenuHandles.view, kCoordinatesMenu);
    gMenuHandles.skyBackground = Popup(gMenuHandles.draw, kSkyBackgroundMenu);
    gMenuHandles.customColors = Popup(gMenuHandles.draw, kCustomColorsMenu);
}

void UpdateMenuState() {
    // A menu bar loaded afresh invalidates the handles kept from the old one.
    if (gMenuHandles.file != GetMenuBarMenu(1)) CacheMenuHandles();
    ProgramState state = ReadState();
    MenuRef top[] = {gMenuHandles.file,      gMenuHandles.edit,      gMenuHandles.view,
                     gMenuHandles.draw,      gMenuHandles.computation, gMenuHandles.animation,
                     gMenuHandles.telescope, gMenuHandles.help};
    for (MenuRef menu : top)
        if (menu != nullptr) UpdateMenu(state, menu);
}
