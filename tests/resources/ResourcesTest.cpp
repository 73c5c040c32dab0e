#include "resources/Menus.h"
#include "resources/Strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Text(int number) {
    const char* text = StringText(number);
    return text ? std::string(text) : std::string("<missing>");
}

// The label as the user reads it: "&x" shows x underlined, "&&" shows one '&'.
std::string Plain(const char* label) {
    std::string plain;
    for (const char* p = label; *p; ++p) {
        if (*p == '&') {
            if (p[1] != '&') continue;
            ++p;
        }
        plain += *p;
    }
    return plain;
}

// The mnemonic letter, upper-cased, or 0 when the label has none.
char Mnemonic(const char* label) {
    for (const char* p = label; *p; ++p) {
        if (*p != '&') continue;
        if (p[1] == '&') {
            ++p;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(p[1])));
    }
    return 0;
}

const MenuItemDef* Item(int menu, int item) {
    const MenuDef* def = FindMenu(menu);
    if (!def || item < 1 || item > def->count) return nullptr;
    return &def->items[item - 1];
}

std::string Label(int menu, int item) {
    const MenuItemDef* def = Item(menu, item);
    if (!def) return "<no item>";
    return def->label ? def->label : "<separator>";
}

// Labels compared byte for byte, or as the user reads them when `plain` is set.
void ExpectLabels(int menu, const std::map<int, std::string>& labels, bool plain = false) {
    for (const auto& [item, label] : labels) {
        const std::string actual = Label(menu, item);
        EXPECT_EQ(plain ? Plain(actual.c_str()) : actual, label)
            << "menu " << menu << " item " << item;
    }
}

std::vector<int> Range(int first, int last) {
    std::vector<int> items;
    for (int i = first; i <= last; ++i)
        items.push_back(i);
    return items;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<int> kAllMenus = {257, 258, 259, 260, 261, 262, 263, 264, 11,
                                    12,  13,  14,  31,  32,  33,  34,  41,  42};

// The items each menu's handler acts on.
const std::map<int, std::vector<int>>& RoutedCommands() {
    // clang-format off
    static const std::map<int, std::vector<int>> routed = {
        {257, {3, 5, 6, 7, 11, 13, 14, 16}}, {11, {1, 2}}, {12, {1, 2, 4, 5, 6}}, {13, {1, 2}},
        {14, {1, 2, 3}}, {258, {4, 8, 9, 10, 12}}, {259, Join({3, 4, 9, 10, 11}, Range(13, 26))},
        {31, Range(1, 11)}, {32, Range(1, 6)}, {33, Range(1, 5)}, {34, Range(1, 4)},
        {260, Join(Join(Range(1, 10), Range(12, 15)), {19, 20, 22})}, {41, Range(1, 3)},
        {42, {1, 2, 3, 5, 6, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18}},
        {261, {1, 2, 4, 5, 6, 8, 9, 11}},
        {262, Join(Join({1, 2, 3, 5, 6}, Range(8, 18)), {20, 21, 22})},
        {263, {1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13}}, {264, {1, 2, 4, 6}},
    };
    // clang-format on
    return routed;
}

// clang-format off
const std::vector<std::pair<std::string, int>> kAccelerators = {
    {"Ctrl+O", 1201}, {"Ctrl+W", 25703}, {"Ctrl+P", 25714}, {"Ctrl+Z", 25801},
    {"Alt+Backspace", 25801}, {"Ctrl+X", 25803}, {"Shift+Del", 25803}, {"Ctrl+C", 25804},
    {"Ctrl+Ins", 25804}, {"Ctrl+V", 25805}, {"Shift+Ins", 25805}, {"Del", 25806},
    {"Ctrl+F", 25808}, {"Ctrl+E", 25809}, {"Ctrl+K", 25904}, {"Ctrl+1", 3401}, {"Ctrl+2", 3402},
    {"Ctrl+3", 3403}, {"Ctrl+4", 3404}, {"Ctrl+D", 25909}, {"PgUp", 25910}, {"PgDown", 25911},
    {"Ctrl+G", 26005}, {"Ctrl+H", 26008}, {"Ctrl+Y", 26012}, {"F3", 26013}, {"F4", 26014},
    {"Ctrl+U", 26019}, {"Ctrl+L", 26101}, {"Ctrl+T", 26104}, {"Ctrl+N", 26106},
    {"Ctrl+R", 26108}, {"Ctrl+0", 26201}, {"Ctrl+B", 26202}, {"Ctrl+A", 26203}, {"F5", 26205},
    {"F6", 26206}, {"F1", 26401},
};
// clang-format on

// Splits a printf directive off at text[0] == '%'; returns its length, 0 if malformed.
std::size_t DirectiveLength(const char* text) {
    std::size_t n = 1;
    while (text[n] && std::strchr("-+ 0#", text[n]))
        ++n;
    while (std::isdigit(static_cast<unsigned char>(text[n])))
        ++n;
    if (text[n] == '.') {
        ++n;
        while (std::isdigit(static_cast<unsigned char>(text[n])))
            ++n;
    }
    while (text[n] == 'h' || text[n] == 'l')
        ++n;
    if (!text[n] || !std::strchr("sdcfEe%", text[n])) return 0;
    return n + 1;
}

std::vector<std::string> Directives(const char* text) {
    std::vector<std::string> found;
    for (const char* p = text; *p; ++p) {
        if (*p != '%') continue;
        std::size_t length = DirectiveLength(p);
        if (length == 0) {
            found.push_back("<malformed>");
            break;
        }
        found.emplace_back(p, length);
        p += length - 1;
    }
    return found;
}

} // namespace

TEST(Strings, QuotedTextsAreByteExact) {
    EXPECT_EQ(Text(256), "Norvane can't allocate memory!  If you have other applications running, "
                         "try quitting them.");
    EXPECT_EQ(Text(257), "Norvane can't open the file \"%s\"!  It may be missing or in use by "
                         "another program.");
    EXPECT_EQ(Text(258), "Norvane can't read the file \"%s\"!  It may be corrupted or have an "
                         "obsolete format.");
    EXPECT_EQ(Text(268), "Norvane III");
    EXPECT_EQ(Text(305), "D:\\DATABASE\\INDEX.NVD") << "single backslashes, not doubled";
    EXPECT_EQ(Text(525), "The date \"%s\" is invalid.  Please enter the date and time as "
                         "\"year/month/day hour:min:sec\" or \"year/month/decimal day\".");
    EXPECT_EQ(Text(528), "Norvane can't find the \"%s\" directory, and can't continue without "
                         "one.  Would you like to create a new database directory now?");
    EXPECT_EQ(Text(701), "Norvane Settings (*.nvs)|*.nvs|All Files (*.*)|*.*|");
    EXPECT_EQ(Text(703), "Norvane Database Index|index.nvd|All Files (*.*)|*.*|");
    EXPECT_EQ(Text(1015), "Earth's moon");
    EXPECT_EQ(Text(1054), "Mult. and var. star");
    EXPECT_EQ(Text(1065), "Galaxy");
    EXPECT_EQ(Text(2051), "Magnitudes: ") << "the legend relies on the trailing blank";
    EXPECT_EQ(Text(2500), "Meade LX-200");
    EXPECT_EQ(Text(2511), "AIM Controls Coordinate");
    EXPECT_EQ(Text(2601), "Alt-Azimuth");
    EXPECT_EQ(Text(2715), "The telescope is %.1f\xB0"
                          " from its expected position.  It may not be aligned on the target "
                          "object you selected; or the previous alignment may have been wrong.  "
                          "Continue aligning with this target object?");
    EXPECT_EQ(Text(2716), "The telescope is %.1f\xB0"
                          " from its previous alignment position.  You should select a target "
                          "object farther from the previous one; targets 90\xB0"
                          " apart work best.  Continue aligning with this target object?");
    EXPECT_EQ(Text(2800), "The target coordinates (R.A. %02hd %02hd %04.1f, Dec. %c%02hd %02hd "
                          "%02.0f) are invalid!");

    // The degree sign is the single Windows-1252 byte, never UTF-8's two bytes.
    const std::string align = Text(2709);
    const std::string prefix = "Point the telescope toward 90";
    ASSERT_GT(align.size(), prefix.size());
    EXPECT_EQ(align.compare(0, prefix.size(), prefix), 0);
    EXPECT_EQ(static_cast<unsigned char>(align[prefix.size()]), 0xB0);
    EXPECT_EQ(align[prefix.size() + 1], ' ');
}

TEST(Strings, TableIsSortedAndLookupFindsEveryEntry) {
    std::size_t count = 0;
    const StringEntry* table = StringTable(&count);
    ASSERT_NE(table, nullptr);
    ASSERT_GT(count, 0u);
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_NE(table[i].text, nullptr) << "string " << table[i].number;
        if (i > 0) {
            EXPECT_LT(table[i - 1].number, table[i].number)
                << "string " << table[i].number << " out of order or duplicated";
        }
        EXPECT_EQ(StringText(table[i].number), table[i].text) << "string " << table[i].number;
    }
    EXPECT_NE(StringTable(nullptr), nullptr);

    // Numbers around and between the entries have no text.
    for (int number : {-1,   0,    1,    255,  260,  267,  270,  299,  306,  509,    516,
                       541,  699,  752,  999,  1000, 1039, 1050, 1057, 1060, 1066,   1091,
                       1101, 2047, 2053, 2512, 2599, 2602, 2717, 2799, 2804, 1 << 30}) {
        EXPECT_EQ(StringText(number), nullptr) << "string " << number;
    }
}

TEST(Strings, EveryReferencedNumberIsPresent) {
    std::vector<int> referenced = {256, 257, 258, 259, 268, 269, 300, 301, 302, 303, 304,
                                   305, 510, 511, 512, 513, 514, 515, 520, 521, 522, 523,
                                   524, 525, 527, 528, 529, 530, 531, 533, 534, 535, 536,
                                   537, 538, 539, 540, 700, 701, 702, 703, 710, 711, 730,
                                   731, 732, 733, 740, 741, 742, 743, 744, 745, 750, 751};
    for (int type = 1; type <= 38; ++type)
        referenced.push_back(1000 + type);
    for (int type = 51; type <= 56; ++type)
        referenced.push_back(1000 + type);
    for (int type = 61; type <= 65; ++type)
        referenced.push_back(1000 + type);
    for (int n = 2048; n <= 2052; ++n)
        referenced.push_back(n);
    for (int n = 2500; n <= 2511; ++n)
        referenced.push_back(n);
    referenced.insert(referenced.end(),
                      {2600, 2601, 2700, 2701, 2702, 2706, 2707, 2708, 2709, 2710,
                       2711, 2712, 2713, 2714, 2715, 2716, 2800, 2801, 2802, 2803});
    for (int number : referenced) {
        const char* text = StringText(number);
        ASSERT_NE(text, nullptr) << "string " << number << " missing";
        EXPECT_GT(std::strlen(text), 0u) << "string " << number << " empty";
    }

    // Lines, sites and the unused star and deep-sky codes have no type name.
    for (int type : {0, 39, 50, 57, 58, 59, 60, 91, 92, 93, 101}) {
        EXPECT_EQ(StringText(1000 + type), nullptr) << "type " << type;
    }
}

TEST(Strings, FormatDirectivesAreFromTheSafeSet) {
    // Anything else reaching vsnprintf with the caller's arguments could read past them.
    const std::set<std::string> safe = {"%s", "%ld",   "%.1f",   "%.3f",
                                        "%c", "%02hd", "%04.1f", "%02.0f"};
    std::size_t count = 0;
    const StringEntry* table = StringTable(&count);
    for (std::size_t i = 0; i < count; ++i) {
        for (const std::string& directive : Directives(table[i].text)) {
            EXPECT_TRUE(safe.count(directive))
                << "string " << table[i].number << " has directive " << directive;
        }
    }

    // Callers pass exactly these arguments, in this order.
    using List = std::vector<std::string>;
    EXPECT_EQ(Directives(StringText(269)), (List{"%ld", "%.3f", "%.3f"}));
    EXPECT_EQ(Directives(StringText(522)), (List{"%s"}));
    EXPECT_EQ(Directives(StringText(2715)), (List{"%.1f"}));
    EXPECT_EQ(Directives(StringText(2716)), (List{"%.1f"}));
    EXPECT_EQ(Directives(StringText(2800)),
              (List{"%02hd", "%02hd", "%04.1f", "%c", "%02hd", "%02hd", "%02.0f"}));
    for (int number : {257, 258, 259, 511, 520, 523, 524, 525, 527, 528, 529, 530, 531, 533, 534,
                       535, 536, 537, 538}) {
        EXPECT_EQ(Directives(StringText(number)), (List{"%s"})) << "string " << number;
    }
}

TEST(Strings, TextsAreWindows1252WithoutControlCharacters) {
    std::size_t count = 0;
    const StringEntry* table = StringTable(&count);
    std::map<int, int> degrees;
    for (std::size_t i = 0; i < count; ++i) {
        for (const char* p = table[i].text; *p; ++p) {
            const auto byte = static_cast<unsigned char>(*p);
            EXPECT_GE(byte, 0x20) << "string " << table[i].number << " has a control character";
            EXPECT_NE(byte, 0x7F) << "string " << table[i].number;
            if (byte >= 0x80) {
                EXPECT_EQ(byte, 0xB0)
                    << "string " << table[i].number << " has an unexpected non-ASCII byte";
                ++degrees[table[i].number];
            }
        }
    }
    EXPECT_EQ(degrees, (std::map<int, int>{{2709, 1}, {2710, 1}, {2715, 1}, {2716, 2}}));
}

TEST(Strings, FileFiltersAreDescriptionPatternPairs) {
    for (int number : {701, 703, 711, 731, 733, 741, 743, 745, 751}) {
        const std::string filter = Text(number);
        ASSERT_FALSE(filter.empty());
        EXPECT_EQ(filter.back(), '|') << "filter " << number << " must end with '|'";
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t bar = filter.find('|'); bar != std::string::npos;
             bar = filter.find('|', start)) {
            fields.push_back(filter.substr(start, bar - start));
            start = bar + 1;
        }
        EXPECT_EQ(fields.size() % 2, 0u) << "filter " << number << " has an unpaired field";
        for (std::size_t i = 0; i < fields.size(); ++i) {
            EXPECT_FALSE(fields[i].empty()) << "filter " << number << " field " << i;
            if (i % 2 == 1) {
                EXPECT_NE(fields[i].find('.'), std::string::npos)
                    << "filter " << number << " pattern " << fields[i];
            }
        }
    }
}

TEST(Menus, MenuBarAndLookup) {
    std::size_t count = 0;
    const int* bar = MenuBarMenus(256, &count);
    ASSERT_NE(bar, nullptr);
    const std::vector<int> expected = {257, 258, 259, 260, 261, 262, 263, 264};
    ASSERT_EQ(count, expected.size());
    const std::vector<std::string> titles = {"&File",        "&Edit",      "&View",      "&Draw",
                                             "&Computation", "&Animation", "&Telescope", "&Help"};
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(bar[i], expected[i]) << "menu bar position " << i;
        const MenuDef* menu = FindMenu(bar[i]);
        ASSERT_NE(menu, nullptr) << "menu " << bar[i];
        EXPECT_STREQ(menu->title, titles[i].c_str());
    }

    count = 99;
    EXPECT_EQ(MenuBarMenus(257, &count), nullptr);
    EXPECT_EQ(count, 0u);
    count = 99;
    EXPECT_EQ(AcceleratorTable(1, &count), nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_NE(MenuBarMenus(256, nullptr), nullptr);
    EXPECT_NE(AcceleratorTable(256, nullptr), nullptr);

    for (int number : kAllMenus) {
        const MenuDef* menu = FindMenu(number);
        ASSERT_NE(menu, nullptr) << "menu " << number;
        EXPECT_EQ(menu->number, number);
        EXPECT_GT(menu->count, 0) << "menu " << number;
        EXPECT_NE(menu->items, nullptr) << "menu " << number;
    }
    for (int number : {-1, 0, 1, 10, 15, 21, 30, 35, 40, 43, 255, 256, 265}) {
        EXPECT_EQ(FindMenu(number), nullptr) << "menu " << number;
    }
}

TEST(Menus, RoutedCommandsAreCommandItems) {
    for (const auto& [menu, items] : RoutedCommands()) {
        const MenuDef* def = FindMenu(menu);
        ASSERT_NE(def, nullptr) << "menu " << menu;
        int highest = 0;
        for (int item : items) {
            const MenuItemDef* entry = Item(menu, item);
            ASSERT_NE(entry, nullptr) << "command " << menu * 100 + item << " has no item";
            EXPECT_NE(entry->label, nullptr)
                << "command " << menu * 100 + item << " falls on a separator";
            EXPECT_EQ(entry->submenu, 0) << "command " << menu * 100 + item << " is a pop-up";
            highest = std::max(highest, item);
        }
        // The design's last command closes each menu; nothing dangles after it.
        EXPECT_EQ(def->count, highest) << "menu " << menu;
    }
}

TEST(Menus, AcceleratorsMatchTheTableAndReachCommandItems) {
    std::size_t count = 0;
    const AcceleratorDef* table = AcceleratorTable(256, &count);
    ASSERT_NE(table, nullptr);
    std::multiset<std::pair<std::string, int>> actual;
    std::set<std::string> keys;
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_NE(table[i].key, nullptr);
        actual.emplace(table[i].key, table[i].command);
        EXPECT_TRUE(keys.insert(table[i].key).second) << "key " << table[i].key << " bound twice";

        const int menu = table[i].command / 100;
        const int item = table[i].command % 100;
        const MenuItemDef* entry = Item(menu, item);
        ASSERT_NE(entry, nullptr) << table[i].key << " -> " << table[i].command;
        EXPECT_NE(entry->label, nullptr) << table[i].key << " falls on a separator";
        EXPECT_EQ(entry->submenu, 0) << table[i].key << " opens a pop-up";
    }
    const std::multiset<std::pair<std::string, int>> expected(kAccelerators.begin(),
                                                              kAccelerators.end());
    EXPECT_EQ(actual, expected);
}

TEST(Menus, PopUpsSitInTheirParents) {
    const std::map<int, int> parentOf = {{11, 257}, {12, 257}, {13, 257}, {14, 257}, {31, 259},
                                         {32, 259}, {33, 259}, {34, 259}, {41, 260}, {42, 260}};
    std::map<int, int> seen;
    for (int menu : kAllMenus) {
        const MenuDef* def = FindMenu(menu);
        ASSERT_NE(def, nullptr);
        for (int i = 0; i < def->count; ++i) {
            const int popup = def->items[i].submenu;
            if (popup == 0) continue;
            ++seen[popup];
            ASSERT_TRUE(parentOf.count(popup)) << "menu " << menu << " opens unknown " << popup;
            EXPECT_EQ(parentOf.at(popup), menu) << "pop-up " << popup;
            ASSERT_NE(def->items[i].label, nullptr);
            const MenuDef* child = FindMenu(popup);
            ASSERT_NE(child, nullptr) << "pop-up " << popup;
            EXPECT_STREQ(def->items[i].label, child->title) << "pop-up " << popup;
        }
    }
    for (const auto& [popup, parent] : parentOf) {
        EXPECT_EQ(seen[popup], 1) << "pop-up " << popup << " opened from " << parent;
    }
    // The menu state greys Draw item 18 as "Custom Colors".
    ASSERT_NE(Item(260, 18), nullptr);
    EXPECT_EQ(Item(260, 18)->submenu, 42);
}

TEST(Menus, StatefulItemsCarryTheExpectedLabels) {
    // clang-format off
    ExpectLabels(257, {{3, "Close Info &Window"}, {5, "&Save Settings"}, {16, "E&xit"}});
    ExpectLabels(258, {{4, "&Copy"}, {12, "Edit Co&nstellations"}});
    ExpectLabels(259, {{4, "&Center Coordinates..."}, {9, "&Field..."}, {10, "Zoom I&n"},
                       {11, "Zoom O&ut"}});
    ExpectLabels(259, {{3, "Center Object..."}}, true);
    ExpectLabels(259, {{13, "360\xB0 Field"}, {14, "270\xB0 Field"}, {15, "180\xB0 Field"},
                       {16, "90\xB0 Field"}, {17, "45\xB0 Field"}, {18, "15\xB0 Field"},
                       {19, "5\xB0 Field"}, {20, "1\xB0 Field"}, {21, "1/2\xB0 Field"},
                       {22, "1/6\xB0 Field"}, {23, "1/20\xB0 Field"}, {24, "1/60\xB0 Field"},
                       {25, "1/120\xB0 Field"}, {26, "1/360\xB0 Field"}});
    ExpectLabels(260, {{1, "Stars"}, {2, "Planets"}, {3, "Deep Sky Objects"},
                       {4, "Constellations"}, {5, "Chart Legend"}, {6, "Object Labels"},
                       {7, "Grid Lines"}, {8, "Horizon Mask"}, {9, "Mouse Coordinates"},
                       {10, "Scroll Bars"}, {15, "Automatic Limits"}, {17, "Sky Background"},
                       {18, "Custom Colors"}, {19, "Use Color"}, {20, "Red Screen"}}, true);
    ExpectLabels(260, {{13, "&Fainter Limits"}, {14, "Br&ighter Limits"}});
    ExpectLabels(41, {{3, "&Color"}});
    ExpectLabels(34, {{1, "Equatorial"}, {2, "Ecliptic"}, {3, "Galactic"}, {4, "Horizon"}},
                 true);
    ExpectLabels(32, {{1, "North"}, {2, "East"}, {3, "South"}, {4, "West"}, {5, "Zenith"},
                      {6, "Nadir"}}, true);
    // Used as data, so without mnemonics: the name searched for, and the projection named in
    // the question that offers to switch to it.
    ExpectLabels(31, {{1, "Sun"}, {2, "Moon"}, {3, "Mercury"}, {4, "Venus"}, {5, "Earth"},
                      {6, "Mars"}, {7, "Jupiter"}, {8, "Saturn"}, {9, "Uranus"},
                      {10, "Neptune"}, {11, "Pluto"}});
    ExpectLabels(33, {{1, "Planar"}, {2, "Spherical"}, {3, "Lambert"}, {4, "Mercator"},
                      {5, "Mollweide"}});
    ExpectLabels(261, {{1, "&Location..."}, {2, "&Here"}, {4, "&Date && Time..."},
                       {5, "&Julian Date..."}, {6, "&Now"}, {8, "&Precision..."},
                       {9, "&Recompute All"}, {11, "&Find Configuration..."}});
    ExpectLabels(261, {{4, "Date & Time..."}}, true);
    ExpectLabels(262, {{1, "Animation &Off"}, {2, "Animate &Backward"}, {3, "&Animate Forward"},
                       {5, "Step Bac&kward"}, {6, "Step For&ward"}, {8, "&Set Time Step..."},
                       {9, "Real Time"}, {10, "1 Minute"}, {11, "10 Minutes"}, {12, "1 Hour"},
                       {13, "1 Day"}, {14, "1 Week"}, {15, "1 Month"}, {16, "1 Year"},
                       {17, "100 Years"}, {18, "10,000 Years"}, {20, "&Trail For..."},
                       {21, "&Reset All Trails"}, {22, "&Delete All Trails"}});
    ExpectLabels(263, {{1, "&Display..."}, {2, "&Connect..."}, {3, "Di&sconnect"},
                       {5, "Set &Location"}, {6, "Set Date && &Time"},
                       {7, "Set Target Ob&ject..."}, {8, "Set Target Co&ordinates..."},
                       {10, "Show Control &Window"}, {11, "Show &Fields"},
                       {12, "Stay &Centered"}, {13, "Track &Moving Targets"}});
    ExpectLabels(264, {{1, "&Contents"}, {2, "&Search for Help On..."}, {4, "&How to Use Help"},
                       {6, "&About Norvane..."}});
    // clang-format on
}

TEST(Menus, RadioGroupsAndSeparators) {
    const std::map<int, std::vector<int>> radio = {
        {33, Range(1, 5)}, {34, Range(1, 4)}, {41, Range(1, 3)}, {262, Range(1, 3)}};
    for (int menu : kAllMenus) {
        const MenuDef* def = FindMenu(menu);
        ASSERT_NE(def, nullptr);
        const auto group = radio.find(menu);
        const int first =
            group != radio.end() ? def->items[group->second.front() - 1].radioGroup : 0;
        if (group != radio.end()) {
            EXPECT_NE(first, 0) << "menu " << menu;
        }
        for (int i = 1; i <= def->count; ++i) {
            const bool inGroup =
                group != radio.end() && i >= group->second.front() && i <= group->second.back();
            EXPECT_EQ(def->items[i - 1].radioGroup, inGroup ? first : 0)
                << "menu " << menu << " item " << i;
        }
    }

    const MenuDef* colors = FindMenu(42);
    ASSERT_NE(colors, nullptr);
    ASSERT_EQ(colors->count, 18);
    for (int i = 1; i <= 18; ++i) {
        const bool separator = i == 4 || i == 7 || i == 13;
        EXPECT_EQ(colors->items[i - 1].label == nullptr, separator) << "Custom Colors item " << i;
    }

    for (int menu : kAllMenus) {
        const MenuDef* def = FindMenu(menu);
        ASSERT_NE(def, nullptr);
        EXPECT_NE(def->items[0].label, nullptr) << "menu " << menu << " starts with a separator";
        EXPECT_NE(def->items[def->count - 1].label, nullptr)
            << "menu " << menu << " ends with a separator";
        for (int i = 1; i < def->count; ++i) {
            EXPECT_FALSE(def->items[i - 1].label == nullptr && def->items[i].label == nullptr)
                << "menu " << menu << " has two separators at " << i;
        }
        for (int i = 0; i < def->count; ++i) {
            if (def->items[i].label) continue;
            EXPECT_EQ(def->items[i].submenu, 0) << "menu " << menu << " item " << i + 1;
            EXPECT_EQ(def->items[i].radioGroup, 0) << "menu " << menu << " item " << i + 1;
        }
    }
}

TEST(Menus, LabelsAndMnemonicsAreWellFormed) {
    // The design itself gives "&Connect..." and "Stay &Centered" to the Telescope menu.
    const std::set<std::pair<int, char>> knownCollisions = {{263, 'C'}};
    std::set<std::pair<int, char>> collisions;

    for (int menu : kAllMenus) {
        const MenuDef* def = FindMenu(menu);
        ASSERT_NE(def, nullptr);
        ASSERT_NE(def->title, nullptr);
        EXPECT_NE(Mnemonic(def->title), 0) << "menu " << menu << " title " << def->title;
        std::map<char, int> used;
        for (int i = 0; i < def->count; ++i) {
            const char* label = def->items[i].label;
            if (!label) continue;
            const std::string where = "menu " + std::to_string(menu) + " item " +
                                      std::to_string(i + 1) + " \"" + label + "\"";
            EXPECT_FALSE(Plain(label).empty()) << where;
            int marks = 0;
            for (const char* p = label; *p; ++p) {
                const auto byte = static_cast<unsigned char>(*p);
                EXPECT_TRUE(byte >= 0x20 && (byte < 0x80 || byte == 0xB0)) << where;
                if (*p != '&') continue;
                if (p[1] == '&') {
                    ++p;
                    continue;
                }
                ++marks;
                EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(p[1]))) << where;
            }
            EXPECT_LE(marks, 1) << where;
            if (const char key = Mnemonic(label)) {
                if (++used[key] == 2) collisions.emplace(menu, key);
            }
        }
    }
    EXPECT_EQ(collisions, knownCollisions);

    // The bar's own mnemonics must differ too, or Alt+letter is ambiguous.
    std::size_t count = 0;
    const int* bar = MenuBarMenus(256, &count);
    std::set<char> titles;
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(titles.insert(Mnemonic(FindMenu(bar[i])->title)).second) << bar[i];
    }
}
