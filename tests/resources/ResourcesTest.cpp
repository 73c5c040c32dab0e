// The string table and the menu resources: every text a caller asks for is
// there, its printf directives match the caller's arguments, its bytes are
// Windows-1252; every command, key and pop-up lands on an item that can take it.

#include "resources/Menus.h"
#include "resources/Strings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using List = std::vector<std::string>;

const std::vector<int> kAllMenus = {257, 258, 259, 260, 261, 262, 263, 264, 11,
                                    12,  13,  14,  31,  32,  33,  34,  41,  42};

const MenuItemDef* Item(int menu, int item) {
    const MenuDef* def = FindMenu(menu);
    return def && item >= 1 && item <= def->count ? &def->items[item - 1] : nullptr;
}

// The label as the user reads it ("&x" shows x underlined, "&&" one '&'), and
// its mnemonic letter, upper-cased, or 0 with the number of marks.
std::string Plain(const char* label, char* mnemonic = nullptr, int* marks = nullptr) {
    std::string plain;
    for (const char* p = label; *p; ++p) {
        if (*p == '&' && p[1] != '&') {
            if (marks) ++*marks;
            if (mnemonic && !*mnemonic)
                *mnemonic = static_cast<char>(std::toupper(static_cast<unsigned char>(p[1])));
            continue;
        }
        plain += *p;
        p += *p == '&';
    }
    return plain;
}

// The printf directives of a text, "<malformed>" for one outside the grammar.
List Directives(const char* text) {
    List found;
    for (const char* p = std::strchr(text, '%'); p; p = std::strchr(p, '%')) {
        std::size_t n = 1 + std::strspn(p + 1, "-+ 0#");
        n += std::strspn(p + n, "0123456789");
        if (p[n] == '.') n += 1 + std::strspn(p + n + 1, "0123456789");
        n += std::strspn(p + n, "hl");
        if (!p[n] || !std::strchr("sdcfEe%", p[n])) return found.push_back("<malformed>"), found;
        found.emplace_back(p, n + 1);
        p += n + 1;
    }
    return found;
}

TEST(Strings, TableIsSortedAndEveryReferencedNumberIsPresent) {
    std::size_t count = 0;
    const StringEntry* table = StringTable(&count);
    ASSERT_GT(count, 0u);
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_NE(table[i].text, nullptr) << "string " << table[i].number;
        EXPECT_TRUE(i == 0 || table[i - 1].number < table[i].number)
            << table[i].number << " out of order or twice";
        EXPECT_EQ(StringText(table[i].number), table[i].text) << "string " << table[i].number;
    }
    std::vector<int> referenced = {
        256, 257, 258, 259, 268,  269,  510,  511,  512,  513,  514,  515,  520, 521, 522,
        523, 524, 525, 527, 528,  529,  530,  531,  533,  534,  535,  536,  537, 538, 539,
        540, 700, 701, 702, 703,  710,  711,  730,  731,  732,  733,  740,  741, 742, 743,
        744, 745, 750, 751, 2600, 2601, 2700, 2701, 2702, 2800, 2801, 2802, 2803};
    // Ranges: the sites, the type names, the legend, the telescopes, alignment.
    for (auto [first, last] : {std::pair{300, 305},
                               {1001, 1038},
                               {1051, 1056},
                               {1061, 1065},
                               {2048, 2052},
                               {2500, 2511},
                               {2706, 2716}})
        for (int n = first; n <= last; ++n)
            referenced.push_back(n);
    for (int number : referenced) {
        const char* text = StringText(number);
        EXPECT_TRUE(text && *text) << "string " << number << " missing or empty";
    }
    // Around the entries, and lines, sites and unused codes, have no text.
    for (int number : {-1,   0,    255,  260,  299,  306,  509,  999,  1000, 1039, 1050,   1057,
                       1060, 1066, 1091, 1101, 2047, 2053, 2512, 2599, 2717, 2804, 1 << 30})
        EXPECT_EQ(StringText(number), nullptr) << "string " << number;
}

TEST(Strings, DirectivesAreSafeAndMatchTheCallersArguments) {
    // Anything else reaching vsnprintf with the caller's arguments could read past them.
    const std::set<std::string> safe = {"%s", "%ld",   "%.1f",   "%.3f",
                                        "%c", "%02hd", "%04.1f", "%02.0f"};
    std::size_t count = 0;
    const StringEntry* table = StringTable(&count);
    for (std::size_t i = 0; i < count; ++i)
        for (const std::string& directive : Directives(table[i].text))
            EXPECT_TRUE(safe.count(directive)) << "string " << table[i].number << ": " << directive;
    EXPECT_EQ(Directives(StringText(269)), (List{"%ld", "%.3f", "%.3f"}));
    EXPECT_EQ(Directives(StringText(2715)), (List{"%.1f"}));
    EXPECT_EQ(Directives(StringText(2716)), (List{"%.1f"}));
    EXPECT_EQ(Directives(StringText(2800)),
              (List{"%02hd", "%02hd", "%04.1f", "%c", "%02hd", "%02hd", "%02.0f"}));
    for (int number : {257, 258, 259, 511, 520, 522, 523, 524, 525, 527,
                       528, 529, 530, 531, 533, 534, 535, 536, 537, 538})
        EXPECT_EQ(Directives(StringText(number)), (List{"%s"})) << "string " << number;
}

TEST(Strings, BytesAreWindows1252AndFiltersComeInPairs) {
    // The degree sign is the single byte 0xB0, never UTF-8's two bytes, and
    // nothing else outside ASCII or below a blank.
    std::size_t count = 0;
    const StringEntry* table = StringTable(&count);
    std::map<int, int> degrees;
    for (std::size_t i = 0; i < count; ++i)
        for (const char* p = table[i].text; *p; ++p) {
            const auto byte = static_cast<unsigned char>(*p);
            EXPECT_TRUE(byte >= 0x20 && byte != 0x7F && (byte < 0x80 || byte == 0xB0))
                << "string " << table[i].number << " has byte " << int(byte);
            degrees[table[i].number] += byte == 0xB0;
        }
    std::erase_if(degrees, [](const auto& entry) { return entry.second == 0; });
    EXPECT_EQ(degrees, (std::map<int, int>{{2709, 1}, {2710, 1}, {2715, 1}, {2716, 2}}));
    EXPECT_EQ(std::string(StringText(305)), "D:\\DATABASE\\INDEX.NVD") << "single backslashes";
    EXPECT_EQ(std::string(StringText(2051)), "Magnitudes: ") << "the legend needs the blank";

    // File dialog filters: description|pattern| pairs, every pattern with a dot.
    for (int number : {701, 703, 711, 731, 733, 741, 743, 745, 751}) {
        const std::string filter = StringText(number);
        ASSERT_EQ(filter.back(), '|') << "filter " << number;
        List fields;
        for (std::size_t start = 0, bar; (bar = filter.find('|', start)) != std::string::npos;
             start = bar + 1)
            fields.push_back(filter.substr(start, bar - start));
        EXPECT_EQ(fields.size() % 2, 0u) << "filter " << number << " has an unpaired field";
        for (std::size_t i = 0; i < fields.size(); ++i)
            EXPECT_TRUE(!fields[i].empty() &&
                        (i % 2 == 0 || fields[i].find('.') != std::string::npos))
                << "filter " << number << " field " << i;
    }
}

TEST(Menus, BarLookupAndPopUpsInTheirParents) {
    std::size_t count = 0;
    const int* bar = MenuBarMenus(256, &count);
    ASSERT_EQ(std::vector<int>(bar, bar + count),
              (std::vector<int>{257, 258, 259, 260, 261, 262, 263, 264}));
    count = 99;
    EXPECT_EQ(MenuBarMenus(257, &count), nullptr);
    EXPECT_EQ(count, 0u);
    count = 99;
    EXPECT_EQ(AcceleratorTable(1, &count), nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_NE(MenuBarMenus(256, nullptr), nullptr);
    for (int number : {-1, 0, 10, 15, 30, 35, 43, 256, 265})
        EXPECT_EQ(FindMenu(number), nullptr) << "menu " << number;

    const std::map<int, int> parentOf = {{11, 257}, {12, 257}, {13, 257}, {14, 257}, {31, 259},
                                         {32, 259}, {33, 259}, {34, 259}, {41, 260}, {42, 260}};
    std::map<int, int> seen;
    for (int menu : kAllMenus) {
        const MenuDef* def = FindMenu(menu);
        ASSERT_TRUE(def && def->number == menu && def->count > 0 && def->items) << menu;
        for (int i = 0; i < def->count; ++i) {
            const int popup = def->items[i].submenu;
            if (popup == 0) continue;
            ++seen[popup];
            EXPECT_EQ(parentOf.count(popup) ? parentOf.at(popup) : 0, menu) << "pop-up " << popup;
            ASSERT_NE(FindMenu(popup), nullptr) << "pop-up " << popup;
            EXPECT_STREQ(def->items[i].label, FindMenu(popup)->title) << "pop-up " << popup;
        }
    }
    for (const auto& [popup, parent] : parentOf)
        EXPECT_EQ(seen[popup], 1) << "pop-up " << popup << " opened from " << parent;
    EXPECT_EQ(Item(260, 18)->submenu, 42) << "the menu state greys Draw item 18 as Custom Colors";
}

TEST(Menus, CommandsAndKeysLandOnCommandItems) {
    // The items each menu's handler acts on; the last of them closes the menu.
    // clang-format off
    const std::map<int, std::vector<int>> routed = {
        {257, {3, 5, 6, 7, 11, 13, 14, 16}}, {11, {1, 2}}, {12, {1, 2, 4, 5, 6}}, {13, {1, 2}},
        {14, {1, 2, 3}}, {258, {4, 8, 9, 10, 12}},
        {259, {3, 4, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26}},
        {31, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}, {32, {1, 2, 3, 4, 5, 6}}, {33, {1, 2, 3, 4, 5}},
        {34, {1, 2, 3, 4}}, {260, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 19, 20, 22}},
        {41, {1, 2, 3}}, {42, {1, 2, 3, 5, 6, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18}},
        {261, {1, 2, 4, 5, 6, 8, 9, 11}}, {262, {1, 2, 3, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16,
        17, 18, 20, 21, 22}}, {263, {1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13}}, {264, {1, 2, 4, 6}}};
    // clang-format on
    auto isCommand = [](int menu, int item) {
        const MenuItemDef* entry = Item(menu, item);
        return entry && entry->label && entry->submenu == 0;
    };
    for (const auto& [menu, items] : routed) {
        for (int item : items)
            EXPECT_TRUE(isCommand(menu, item)) << "command " << menu * 100 + item;
        EXPECT_EQ(FindMenu(menu)->count, items.back()) << "menu " << menu;
    }
    std::size_t count = 0;
    const AcceleratorDef* table = AcceleratorTable(256, &count);
    std::set<std::string> keys;
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(keys.insert(table[i].key).second) << table[i].key << " bound twice";
        const int menu = table[i].command / 100, item = table[i].command % 100;
        EXPECT_TRUE(isCommand(menu, item)) << table[i].key << " -> " << table[i].command;
    }
    EXPECT_EQ(count, 38u);
}

TEST(Menus, LabelsRadioGroupsAndSeparatorsAreWellFormed) {
    // The planets are searched for and the projections named in a question by
    // their labels: no mnemonics there.
    const char* planets[] = {"Sun",     "Moon",   "Mercury", "Venus",   "Earth", "Mars",
                             "Jupiter", "Saturn", "Uranus",  "Neptune", "Pluto"};
    const char* projections[] = {"Planar", "Spherical", "Lambert", "Mercator", "Mollweide"};
    for (int i = 0; i < 11; ++i)
        EXPECT_STREQ(Item(31, i + 1)->label, planets[i]);
    for (int i = 0; i < 5; ++i)
        EXPECT_STREQ(Item(33, i + 1)->label, projections[i]);

    const std::map<int, std::pair<int, int>> radio = {
        {33, {1, 5}}, {34, {1, 4}}, {41, {1, 3}}, {262, {1, 3}}};
    // "&Connect..." and "Stay &Centered" share a letter in the Telescope menu.
    std::set<std::pair<int, char>> collisions;
    std::set<char> barKeys;
    for (int menu : kAllMenus) {
        const MenuDef* def = FindMenu(menu);
        char titleKey = 0;
        Plain(def->title, &titleKey);
        EXPECT_NE(titleKey, 0) << "menu " << menu << " title " << def->title;
        EXPECT_TRUE(menu < 257 || barKeys.insert(titleKey).second) << "bar key " << titleKey;
        EXPECT_TRUE(def->items[0].label && def->items[def->count - 1].label)
            << "menu " << menu << " starts or ends with a separator";
        const auto group = radio.find(menu);
        const int groupId =
            group == radio.end() ? 0 : def->items[group->second.first - 1].radioGroup;
        std::map<char, int> used;
        for (int i = 1; i <= def->count; ++i) {
            const MenuItemDef& entry = def->items[i - 1];
            const bool inGroup =
                group != radio.end() && i >= group->second.first && i <= group->second.second;
            EXPECT_EQ(entry.radioGroup, inGroup ? groupId : 0) << "menu " << menu << " item " << i;
            if (!entry.label) {
                EXPECT_TRUE(i == def->count || def->items[i].label)
                    << "menu " << menu << ": two separators at " << i;
                EXPECT_EQ(entry.submenu, 0) << "menu " << menu << " item " << i;
                continue;
            }
            char key = 0;
            int marks = 0;
            EXPECT_FALSE(Plain(entry.label, &key, &marks).empty()) << entry.label;
            EXPECT_LE(marks, 1) << entry.label;
            EXPECT_TRUE(marks == 0 || std::isalnum(static_cast<unsigned char>(key))) << entry.label;
            for (const char* p = entry.label; *p; ++p)
                EXPECT_TRUE(*p >= 0x20 || static_cast<unsigned char>(*p) == 0xB0) << entry.label;
            if (key && ++used[key] == 2) collisions.emplace(menu, key);
        }
        EXPECT_NE(groupId == 0, group != radio.end()) << "menu " << menu;
    }
    EXPECT_EQ(collisions, (std::set<std::pair<int, char>>{{263, 'C'}}));
    const MenuDef* colors = FindMenu(42);
    for (int i = 1; i <= colors->count; ++i)
        EXPECT_EQ(colors->items[i - 1].label == nullptr, i == 4 || i == 7 || i == 13) << i;
}

} // namespace
