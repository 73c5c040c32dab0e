// The string table and the menu resources: every text a caller asks for is
// there, its printf directives match the caller's arguments, its bytes are
// Windows-1252; every command, key and pop-up lands on an item that can take it.

#include "resources/Menus.h"
#include "resources/Strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using List = std::vector<std::string>;

const MenuItemDef* Item(int menu, int item) {
    const MenuDef* def = FindMenu(menu);
    return def && item >= 1 && item <= def->count ? &def->items[item - 1] : nullptr;
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

TEST(Strings, EveryReferencedNumberIsPresentWithTheCallersDirectivesInWindows1252) {
    std::size_t count = 0;
    const StringEntry* table = StringTable(&count);
    // Anything else reaching vsnprintf with the caller's arguments could read past them.
    const std::set<std::string> safe = {"%s", "%ld",   "%.1f",   "%.3f",
                                        "%c", "%02hd", "%04.1f", "%02.0f"};
    std::map<int, int> degrees;
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(table[i].number);
        EXPECT_TRUE(i == 0 || table[i - 1].number < table[i].number) << "out of order or twice";
        EXPECT_EQ(StringText(table[i].number), table[i].text);
        for (const std::string& directive : Directives(table[i].text))
            EXPECT_TRUE(safe.count(directive)) << directive;
        // The degree sign is the single byte 0xB0, never UTF-8's two bytes.
        for (const char* p = table[i].text; *p; ++p) {
            const auto byte = static_cast<unsigned char>(*p);
            EXPECT_TRUE(byte >= 0x20 && byte != 0x7F && (byte < 0x80 || byte == 0xB0)) << +byte;
            degrees[table[i].number] += byte == 0xB0;
        }
    }
    std::erase_if(degrees, [](const auto& entry) { return entry.second == 0; });
    EXPECT_EQ(degrees, (std::map<int, int>{{2709, 1}, {2710, 1}, {2715, 1}, {2716, 2}}));
    // Ranges: the messages, the sites, the type names, the legend, the
    // telescopes, alignment and the file dialogs.
    for (auto [first, last] :
         {std::pair{256, 259}, {268, 269},   {300, 305},   {510, 515},   {520, 525},   {527, 531},
          {533, 540},          {700, 703},   {710, 711},   {730, 733},   {740, 745},   {750, 751},
          {1001, 1038},        {1051, 1056}, {1061, 1065}, {2048, 2052}, {2500, 2511}, {2600, 2601},
          {2700, 2702},        {2706, 2716}, {2800, 2803}})
        for (int n = first; n <= last; ++n)
            EXPECT_TRUE(StringText(n) && *StringText(n)) << "string " << n << " missing or empty";
    for (int number : {-1, 0, 255, 260, 1039, 2804, 1 << 30})
        EXPECT_EQ(StringText(number), nullptr) << "string " << number;
    EXPECT_EQ(Directives(StringText(269)), (List{"%ld", "%.3f", "%.3f"}));
    EXPECT_EQ(Directives(StringText(2800)),
              (List{"%02hd", "%02hd", "%04.1f", "%c", "%02hd", "%02hd", "%02.0f"}));
    for (int number : {257, 258, 511, 520, 525, 528, 535})
        EXPECT_EQ(Directives(StringText(number)), (List{"%s"})) << "string " << number;
    EXPECT_EQ(std::string(StringText(305)), "D:\\DATABASE\\INDEX.NVD") << "single backslashes";
}

TEST(Strings, FileDialogFiltersComeInPairs) {
    // description|pattern| pairs, every pattern with a dot.
    for (int number : {701, 703, 711, 731, 733, 741, 743, 745, 751}) {
        const std::string filter = StringText(number);
        ASSERT_EQ(filter.back(), '|') << "filter " << number;
        List fields;
        for (std::size_t start = 0, bar; (bar = filter.find('|', start)) != std::string::npos;
             start = bar + 1)
            fields.push_back(filter.substr(start, bar - start));
        EXPECT_EQ(fields.size() % 2, 0u) << "filter " << number << " has an unpaired field";
        for (std::size_t i = 1; i < fields.size(); i += 2)
            EXPECT_NE(fields[i].find('.'), std::string::npos) << "filter " << number;
    }
}

TEST(Menus, PopUpsCommandsAndKeysLandOnItemsThatTakeThem) {
    std::size_t count = 0;
    const int* bar = MenuBarMenus(256, &count);
    ASSERT_EQ(std::vector<int>(bar, bar + count),
              (std::vector<int>{257, 258, 259, 260, 261, 262, 263, 264}));
    EXPECT_EQ(MenuBarMenus(257, &count), nullptr);
    EXPECT_EQ(count, 0u);
    // Each pop-up opens from one item of its parent, labelled with its title.
    const std::map<int, int> parentOf = {{11, 257}, {12, 257}, {13, 257}, {14, 257}, {31, 259},
                                         {32, 259}, {33, 259}, {34, 259}, {41, 260}, {42, 260}};
    for (const auto& [popup, parent] : parentOf) {
        int opened = 0;
        for (int i = 1; i <= FindMenu(parent)->count; ++i)
            if (Item(parent, i)->submenu == popup) {
                ++opened;
                EXPECT_STREQ(Item(parent, i)->label, FindMenu(popup)->title) << popup;
            }
        EXPECT_EQ(opened, 1) << "pop-up " << popup;
    }
    // The items each menu's handler acts on; the last of them closes the menu.
    const std::map<int, std::vector<int>> routed = {
        {257, {3, 5, 6, 7, 11, 13, 14, 16}},
        {258, {4, 8, 9, 10, 12}},
        {259, {3, 4, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26}},
        {260, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 19, 20, 22}},
        {42, {1, 2, 3, 5, 6, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18}},
        {261, {1, 2, 4, 5, 6, 8, 9, 11}},
        {262, {1, 2, 3, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21, 22}},
        {263, {1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13}},
        {264, {1, 2, 4, 6}}};
    auto isCommand = [](int menu, int item) {
        const MenuItemDef* entry = Item(menu, item);
        return entry && entry->label && entry->submenu == 0;
    };
    for (const auto& [menu, items] : routed) {
        for (int item : items)
            EXPECT_TRUE(isCommand(menu, item)) << "command " << menu * 100 + item;
        EXPECT_EQ(FindMenu(menu)->count, items.back()) << "menu " << menu;
    }
    const AcceleratorDef* table = AcceleratorTable(256, &count);
    std::set<std::string> keys;
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(keys.insert(table[i].key).second) << table[i].key << " bound twice";
        EXPECT_TRUE(isCommand(table[i].command / 100, table[i].command % 100))
            << table[i].key << " -> " << table[i].command;
    }
    EXPECT_EQ(count, 38u);
}

} // namespace
