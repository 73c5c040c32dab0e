// The string table: every text a caller asks for is there, its printf
// directives match the caller's arguments, its bytes are Windows-1252.

#include "resources/Strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using List = std::vector<std::string>;

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
          {533, 552},          {700, 703},   {710, 711},   {730, 733},   {740, 745},   {750, 751},
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

} // namespace
