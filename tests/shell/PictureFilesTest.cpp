// Picture files written by hand-checked layout: the placeable metafile read
// back record by record, the bitmap headers of 24 and 8 bits, a one-page PDF,
// and the clipboard.

#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

int Word(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}
long Long(const std::string& b, std::size_t at) {
    return Word(b, at) | static_cast<long>(Word(b, at + 2)) << 16;
}

struct MetaRecord {
    int function;
    std::vector<int> params;
};

// The records after the 22-byte placeable header and the 18-byte metafile
// header, each read by its own size in words; empty when a size runs past the end.
std::vector<MetaRecord> ReadRecords(const std::string& b) {
    std::vector<MetaRecord> records;
    for (std::size_t at = 22 + 18; at + 6 <= b.size();) {
        const std::size_t words = static_cast<std::size_t>(Long(b, at));
        if (words < 3 || at + 2 * words > b.size()) return {};
        MetaRecord r{Word(b, at + 4), {}};
        for (std::size_t i = 3; i < words; ++i)
            r.params.push_back(Word(b, at + 2 * i));
        records.push_back(r);
        at += 2 * words;
    }
    return records;
}

TEST(PictureFiles, PlaceableMetafileRecordByRecord) {
    InitPlatform(0, nullptr);
    SurfaceRef surface = CreateVectorPicture("x.WMF", 300, 200, "");
    ASSERT_NE(surface, nullptr);
    BeginDrawing(surface);
    SetPenBrush({255, 0, 0}, 2, false);
    Line(10, 20, 30, 40);
    SetPenBrush({0, 0, 255}, 1, true);
    Rectangle(1, 2, 11, 12);
    Ellipse(50, 60, 70, 90);
    const Point triangle[] = {{0, 0}, {9, 0}, {0, 9}};
    Polygon(triangle, 3);
    Pixel(5, 6);
    SelectFont("Arial", -13, FontBold);
    Text(100, 100, "Vega");
    std::string bytes;
    EXPECT_FALSE(FinishVectorPicture(surface, bytes)) << "still being drawn on";
    EndDrawing();
    ASSERT_TRUE(FinishVectorPicture(surface, bytes));

    // Key, no handle, the box 0 0 300 200, the screen's units per inch, the
    // checksum of the ten words before it.
    EXPECT_EQ(Long(bytes, 0), 0x9AC6CDD7L);
    EXPECT_EQ(std::vector<int>({Word(bytes, 4), Word(bytes, 6), Word(bytes, 8), Word(bytes, 10),
                                Word(bytes, 12), Word(bytes, 14), Word(bytes, 16)}),
              std::vector<int>({0, 0, 0, 300, 200, ScreenPixelsPerInch(), 0}));
    int sum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
        sum ^= Word(bytes, i);
    EXPECT_EQ(Word(bytes, 20), sum);
    // The metafile header: in memory, 9 words, version 3, its size in words.
    EXPECT_EQ(Word(bytes, 22) | Word(bytes, 24) << 8 | Word(bytes, 26) << 16,
              1 | 9 << 8 | 0x300 << 16);
    EXPECT_EQ(Long(bytes, 28) * 2, static_cast<long>(bytes.size()) - 22);

    const std::vector<MetaRecord> records = ReadRecords(bytes);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().function, 0) << "ends with the end record";
    auto find = [&](int function, std::size_t from = 0) {
        for (std::size_t i = from; i < records.size(); ++i)
            if (records[i].function == function) return i;
        return records.size();
    };
    // A red pen of width 2, then the line from its start to its end.
    const std::size_t pen = find(0x02FA);
    ASSERT_LT(pen, records.size());
    EXPECT_EQ(records[pen].params, std::vector<int>({0, 2, 0, 0x00FF, 0x0000}));
    const std::size_t move = find(0x0214, pen);
    ASSERT_LT(move + 1, records.size());
    EXPECT_EQ(records[move].params, std::vector<int>({20, 10}));
    EXPECT_EQ(records[move + 1].function, 0x0213);
    EXPECT_EQ(records[move + 1].params, std::vector<int>({40, 30}));
    // A solid blue brush; shapes with right and bottom exclusive (bottom,
    // right, top, left); the polygon's points; the pixel in blue.
    const struct {
        int function;
        std::vector<int> params;
    } expected[] = {{0x02FC, {0, 0, 0x00FF, 0}},
                    {0x041B, {12, 11, 2, 1}},
                    {0x0418, {90, 70, 60, 50}},
                    {0x0324, {3, 0, 0, 9, 0, 0, 9}},
                    {0x041F, {0, 0x00FF, 6, 5}}};
    for (const auto& e : expected) {
        const std::size_t at = find(e.function);
        ASSERT_LT(at, records.size()) << std::hex << e.function;
        EXPECT_EQ(records[at].params, e.params) << std::hex << e.function;
    }
    // The font: 13 pixels high, bold, its face; then the text at its baseline.
    const std::size_t font = find(0x02FB);
    ASSERT_LT(font, records.size());
    EXPECT_EQ(records[font].params[0], 0x10000 - 13);
    EXPECT_EQ(records[font].params[4], 700);
    const std::size_t text = find(0x0A32, font);
    ASSERT_LT(text, records.size());
    EXPECT_EQ(records[text].params[1], 100);
    EXPECT_EQ(records[text].params[2], 4);
    EXPECT_EQ(records[text].params[4] | records[text].params[5] << 16,
              'V' | 'e' << 8 | 'g' << 16 | 'a' << 24);
}

TEST(PictureFiles, BitmapsOf24And8BitsAndAOnePagePdf) {
    InitPlatform(0, nullptr);
    PictureRef picture = CreatePicture(3, 2);
    BeginDrawing(SelectPicture(picture));
    SetPenBrush({10, 20, 30}, 0, true);
    Rectangle(0, 1, 1, 2); // the bottom left pixel, the first one written
    EndDrawing();
    // Bits, file size, pixels' offset, image size, the first pixel's bytes.
    const long cases[][5] = {{24, 54 + 24, 54, 24, 30 | 20 << 8 | 10 << 16},
                             {8, 1078 + 8, 1078, 8, -1}};
    for (const auto& [bits, size, offset, imageSize, first] : cases) {
        SCOPED_TRACE(bits);
        const std::string b = BitmapFileBytes(picture, static_cast<int>(bits));
        ASSERT_EQ(static_cast<long>(b.size()), size);
        EXPECT_EQ(b.substr(0, 2), "BM");
        EXPECT_EQ(
            std::vector<long>({Long(b, 2), Long(b, 6), Long(b, 10), Long(b, 14), Long(b, 18),
                               Long(b, 22), Word(b, 26), Word(b, 28), Long(b, 30), Long(b, 34)}),
            std::vector<long>({size, 0, offset, 40, 3, 2, 1, bits, 0, imageSize}));
        if (first >= 0) {
            EXPECT_EQ(Long(b, 54) & 0xFFFFFF, first);
        }
        // An 8-bit pixel indexes the palette: the entry holds its colour.
        if (first < 0) {
            const long entry = 54 + 4 * static_cast<std::uint8_t>(b[1078]);
            EXPECT_EQ(Long(b, static_cast<std::size_t>(entry)), 30 | 20 << 8 | 10 << 16);
        }
    }
    SurfaceRef pdf = CreateVectorPicture("x.pdf", 320, 200, "Sky");
    BeginDrawing(pdf);
    Text(10, 10, "Sirius");
    EndDrawing();
    std::string bytes;
    ASSERT_TRUE(FinishVectorPicture(pdf, bytes));
    EXPECT_TRUE(bytes.starts_with("%PDF-") && bytes.find("/Count 1") != std::string::npos);
    EXPECT_EQ(CreateVectorPicture("x.jpg", 320, 200, ""), nullptr);
    // The clipboard takes the picture and its vector forms.
    ASSERT_TRUE(SetClipboardPicture(picture, "<svg/>", "wmf"));
    EXPECT_TRUE(ClipboardData("image/png").starts_with("\x89PNG"));
    EXPECT_EQ(ClipboardData("image/svg+xml") + ClipboardData("image/x-wmf"), "<svg/>wmf");
    DeletePicture(picture);
}

} // namespace
