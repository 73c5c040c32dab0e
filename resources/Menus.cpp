#include "resources/Menus.h"

#include <iterator>

// Item positions are part of the command numbers (menu x 100 + item, separators counted), so a
// separator is never removed or moved without renumbering every handler that uses the menu.
// Labels are Windows-1252; "&&" is a literal ampersand.

namespace {

constexpr MenuItemDef kSeparator = {nullptr, 0, 0};

// Radio groups: one mark moves among the items of a group.
constexpr int kProjectionGroup = 1;
constexpr int kCoordinateGroup = 2;
constexpr int kSkyBackgroundGroup = 3;
constexpr int kAnimationModeGroup = 4;

const MenuItemDef kFileItems[] = {
    {"&New", 11, 0},
    {"&Open", 12, 0},
    {"Close Info &Window", 0, 0},
    kSeparator,
    {"&Save Settings", 0, 0},
    {"Save Settings &As...", 0, 0},
    {"Save Settings as &Default", 0, 0},
    kSeparator,
    {"&Import", 13, 0},
    {"&Export", 14, 0},
    {"De&lete Database File...", 0, 0},
    kSeparator,
    {"Print Se&tup...", 0, 0},
    {"&Print...", 0, 0},
    kSeparator,
    {"E&xit", 0, 0},
};

const MenuItemDef kNewItems[] = {
    {"&Star...", 0, 0},
    {"&Planet...", 0, 0},
};

// clang-format off
const MenuItemDef kOpenItems[] = {
    {"&Settings...", 0, 0},
    {"&Default Settings", 0, 0},
    kSeparator,
    {"D&atabase...", 0, 0},
    {"Default Data&base", 0, 0},
    {"&Large Database on CD-ROM", 0, 0},
};
// clang-format on

const MenuItemDef kImportItems[] = {
    {"&Norvane Text File...", 0, 0},
    {"NASA &Satellite File...", 0, 0},
};

const MenuItemDef kExportItems[] = {
    {"&Ephemeris As Text...", 0, 0},
    {"Chart As &Metafile...", 0, 0},
    {"Chart As &Bitmap...", 0, 0},
    {"Chart As &PNG, SVG or PDF...", 0, 0},
};

// Undo, Cut, Paste and Delete have accelerators but do nothing; they keep the usual places.
const MenuItemDef kEditItems[] = {
    {"&Undo", 0, 0},
    kSeparator,
    {"Cu&t", 0, 0},
    {"&Copy", 0, 0},
    {"&Paste", 0, 0},
    {"De&lete", 0, 0},
    kSeparator,
    {"&Find Object...", 0, 0},
    {"&Edit Object...", 0, 0},
    {"&Delete Object...", 0, 0},
    kSeparator,
    {"Edit Co&nstellations", 0, 0},
};

const MenuItemDef kViewItems[] = {
    {"Center &Planet", 31, 0},
    {"Center &Horizon", 32, 0},
    {"Center &Object...", 0, 0},
    {"&Center Coordinates...", 0, 0},
    kSeparator,
    {"P&rojection", 33, 0},
    {"Coor&dinates", 34, 0},
    kSeparator,
    {"&Field...", 0, 0},
    {"Zoom I&n", 0, 0},
    {"Zoom O&ut", 0, 0},
    kSeparator,
    {"360\xB0 Field", 0, 0},
    {"270\xB0 Field", 0, 0},
    {"180\xB0 Field", 0, 0},
    {"90\xB0 Field", 0, 0},
    {"45\xB0 Field", 0, 0},
    {"15\xB0 Field", 0, 0},
    {"5\xB0 Field", 0, 0},
    {"1\xB0 Field", 0, 0},
    {"1/2\xB0 Field", 0, 0},
    {"1/6\xB0 Field", 0, 0},
    {"1/20\xB0 Field", 0, 0},
    {"1/60\xB0 Field", 0, 0},
    {"1/120\xB0 Field", 0, 0},
    {"1/360\xB0 Field", 0, 0},
};

// The item's text is the name searched for, so these labels carry no mnemonic.
const MenuItemDef kCenterPlanetItems[] = {
    {"Sun", 0, 0},    {"Moon", 0, 0},    {"Mercury", 0, 0}, {"Venus", 0, 0},
    {"Earth", 0, 0},  {"Mars", 0, 0},    {"Jupiter", 0, 0}, {"Saturn", 0, 0},
    {"Uranus", 0, 0}, {"Neptune", 0, 0}, {"Pluto", 0, 0},
};

const MenuItemDef kCenterHorizonItems[] = {
    {"&North", 0, 0}, {"&East", 0, 0},   {"&South", 0, 0},
    {"&West", 0, 0},  {"&Zenith", 0, 0}, {"N&adir", 0, 0},
};

// The item's text names the projection in the switch question, so no mnemonic either.
const MenuItemDef kProjectionItems[] = {
    {"Planar", 0, kProjectionGroup},    {"Spherical", 0, kProjectionGroup},
    {"Lambert", 0, kProjectionGroup},   {"Mercator", 0, kProjectionGroup},
    {"Mollweide", 0, kProjectionGroup},
};

const MenuItemDef kCoordinateItems[] = {
    {"&Equatorial", 0, kCoordinateGroup},
    {"E&cliptic", 0, kCoordinateGroup},
    {"&Galactic", 0, kCoordinateGroup},
    {"&Horizon", 0, kCoordinateGroup},
};

const MenuItemDef kDrawItems[] = {
    {"&Stars", 0, 0},
    {"&Planets", 0, 0},
    {"&Deep Sky Objects", 0, 0},
    {"&Constellations", 0, 0},
    {"Chart &Legend", 0, 0},
    {"Object La&bels", 0, 0},
    {"&Grid Lines", 0, 0},
    {"&Horizon Mask", 0, 0},
    {"&Mouse Coordinates", 0, 0},
    {"Sc&roll Bars", 0, 0},
    kSeparator,
    {"S&ymbols && Grids...", 0, 0},
    {"&Fainter Limits", 0, 0},
    {"Br&ighter Limits", 0, 0},
    {"&Automatic Limits", 0, 0},
    kSeparator,
    {"Sky Bac&kground", 41, 0},
    {"Custom C&olors", 42, 0},
    {"&Use Color", 0, 0},
    {"Red Scr&een", 0, 0},
    kSeparator,
    {"Chart Fo&nt...", 0, 0},
};

const MenuItemDef kSkyBackgroundItems[] = {
    {"&Black", 0, kSkyBackgroundGroup},
    {"&White", 0, kSkyBackgroundGroup},
    {"&Color", 0, kSkyBackgroundGroup},
};

// Item n edits colour slot n; the separators own the unused slots 4, 7 and 13.
const MenuItemDef kCustomColorItems[] = {
    {"&Star Labels", 0, 0},
    {"&Planet Labels", 0, 0},
    {"&Deep Sky Objects", 0, 0},
    kSeparator,
    {"Constellation &Figures", 0, 0},
    {"Constellation &Boundaries", 0, 0},
    kSeparator,
    {"&R.A./Dec. Grid", 0, 0},
    {"&Equator", 0, 0},
    {"Ecl&iptic", 0, 0},
    {"&Galactic Equator", 0, 0},
    {"&Horizon", 0, 0},
    kSeparator,
    {"Da&ytime Sky", 0, 0},
    {"Ci&vil Twilight Sky", 0, 0},
    {"&Nautical Twilight Sky", 0, 0},
    {"&Astronomical Twilight Sky", 0, 0},
    {"Nigh&t Sky", 0, 0},
};

const MenuItemDef kComputationItems[] = {
    {"&Location...", 0, 0},
    {"&Here", 0, 0},
    kSeparator,
    {"&Date && Time...", 0, 0},
    {"&Julian Date...", 0, 0},
    {"&Now", 0, 0},
    kSeparator,
    {"&Precision...", 0, 0},
    {"&Recompute All", 0, 0},
    kSeparator,
    {"&Find Configuration...", 0, 0},
};

const MenuItemDef kAnimationItems[] = {
    {"Animation &Off", 0, kAnimationModeGroup},
    {"Animate &Backward", 0, kAnimationModeGroup},
    {"&Animate Forward", 0, kAnimationModeGroup},
    kSeparator,
    {"Step Bac&kward", 0, 0},
    {"Step For&ward", 0, 0},
    kSeparator,
    {"&Set Time Step...", 0, 0},
    // The time steps carry independent check marks: a typed step may match none of them.
    {"Real Time", 0, 0},
    {"1 Minute", 0, 0},
    {"10 Minutes", 0, 0},
    {"1 Hour", 0, 0},
    {"1 Day", 0, 0},
    {"1 Week", 0, 0},
    {"1 Month", 0, 0},
    {"1 Year", 0, 0},
    {"100 Years", 0, 0},
    {"10,000 Years", 0, 0},
    kSeparator,
    {"&Trail For...", 0, 0},
    {"&Reset All Trails", 0, 0},
    {"&Delete All Trails", 0, 0},
};

const MenuItemDef kTelescopeItems[] = {
    {"&Display...", 0, 0},
    {"&Connect...", 0, 0},
    {"Di&sconnect", 0, 0},
    kSeparator,
    {"Set &Location", 0, 0},
    {"Set Date && &Time", 0, 0},
    {"Set Target Ob&ject...", 0, 0},
    {"Set Target Co&ordinates...", 0, 0},
    kSeparator,
    {"Show Control &Window", 0, 0},
    {"Show &Fields", 0, 0},
    {"Stay &Centered", 0, 0},
    {"Track &Moving Targets", 0, 0},
};

const MenuItemDef kHelpItems[] = {
    {"&Contents", 0, 0}, {"&Search for Help On...", 0, 0}, kSeparator, {"&How to Use Help", 0, 0},
    kSeparator,          {"&About Norvane...", 0, 0},
};

template <std::size_t N>
constexpr MenuDef Menu(int number, const char* title, const MenuItemDef (&items)[N]) {
    return {number, title, items, static_cast<int>(N)};
}

const MenuDef kMenus[] = {
    Menu(257, "&File", kFileItems),
    Menu(258, "&Edit", kEditItems),
    Menu(259, "&View", kViewItems),
    Menu(260, "&Draw", kDrawItems),
    Menu(261, "&Computation", kComputationItems),
    Menu(262, "&Animation", kAnimationItems),
    Menu(263, "&Telescope", kTelescopeItems),
    Menu(264, "&Help", kHelpItems),
    Menu(11, "&New", kNewItems),
    Menu(12, "&Open", kOpenItems),
    Menu(13, "&Import", kImportItems),
    Menu(14, "&Export", kExportItems),
    Menu(31, "Center &Planet", kCenterPlanetItems),
    Menu(32, "Center &Horizon", kCenterHorizonItems),
    Menu(33, "P&rojection", kProjectionItems),
    Menu(34, "Coor&dinates", kCoordinateItems),
    Menu(41, "Sky Bac&kground", kSkyBackgroundItems),
    Menu(42, "Custom C&olors", kCustomColorItems),
};

constexpr int kMainMenuBar = 256;
constexpr int kMainAccelerators = 256;

const int kMenuBar[] = {257, 258, 259, 260, 261, 262, 263, 264};

const AcceleratorDef kAccelerators[] = {
    {"Ctrl+O", 1201},
    {"Ctrl+W", 25703},
    {"Ctrl+P", 25714},
    {"Ctrl+Z", 25801},
    {"Alt+Backspace", 25801},
    {"Ctrl+X", 25803},
    {"Shift+Del", 25803},
    {"Ctrl+C", 25804},
    {"Ctrl+Ins", 25804},
    {"Ctrl+V", 25805},
    {"Shift+Ins", 25805},
    {"Del", 25806},
    {"Ctrl+F", 25808},
    {"Ctrl+E", 25809},
    {"Ctrl+K", 25904},
    {"Ctrl+1", 3401},
    {"Ctrl+2", 3402},
    {"Ctrl+3", 3403},
    {"Ctrl+4", 3404},
    {"Ctrl+D", 25909},
    {"PgUp", 25910},
    {"PgDown", 25911},
    {"Ctrl+G", 26005},
    {"Ctrl+H", 26008},
    {"Ctrl+Y", 26012},
    {"F3", 26013},
    {"F4", 26014},
    {"Ctrl+U", 26019},
    {"Ctrl+L", 26101},
    {"Ctrl+T", 26104},
    {"Ctrl+N", 26106},
    {"Ctrl+R", 26108},
    {"Ctrl+0", 26201},
    {"Ctrl+B", 26202},
    {"Ctrl+A", 26203},
    {"F5", 26205},
    {"F6", 26206},
    {"F1", 26401},
};

} // namespace

const int* MenuBarMenus(int bar, std::size_t* count) {
    if (bar != kMainMenuBar) {
        if (count) *count = 0;
        return nullptr;
    }
    if (count) *count = std::size(kMenuBar);
    return kMenuBar;
}

const MenuDef* FindMenu(int number) {
    for (const MenuDef& menu : kMenus) {
        if (menu.number == number) return &menu;
    }
    return nullptr;
}

const AcceleratorDef* AcceleratorTable(int table, std::size_t* count) {
    if (table != kMainAccelerators) {
        if (count) *count = 0;
        return nullptr;
    }
    if (count) *count = std::size(kAccelerators);
    return kAccelerators;
}
