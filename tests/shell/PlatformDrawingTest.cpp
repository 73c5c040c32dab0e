// Drawing on off-screen pictures and on a window's own surface: exact pixel
// coverage of the shapes, the inverting mode, text placement, the Greek face,
// clipping, picture copies and nested surfaces.

#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const RGBColor kBlack{0, 0, 0};
const RGBColor kWhite{255, 255, 255};
const RGBColor kRed{255, 0, 0};
const RGBColor kBlue{0, 0, 255};

std::string Describe(RGBColor c) {
    return "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
           std::to_string(c.blue) + ")";
}

std::vector<RGBColor> Pixels(PictureRef picture) {
    int width = 0, height = 0;
    PictureSize(picture, &width, &height);
    std::vector<RGBColor> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(PicturePixel(picture, x, y));
    return pixels;
}

// Whether any pixel of the box [left, right) x [top, bottom) differs from `background`.
bool AnyDrawn(PictureRef picture, int left, int top, int right, int bottom,
              RGBColor background = kBlack) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (!(PicturePixel(picture, x, y) == background)) return true;
    return false;
}

class PlatformDrawing : public testing::Test {
protected:
    void SetUp() override {
        picture = CreatePicture(64, 48);
        ASSERT_NE(picture, nullptr);
        BeginDrawing(SelectPicture(picture));
    }
    void TearDown() override {
        ResetPlatform();
        DeletePicture(picture);
    }
    RGBColor At(int x, int y) { return PicturePixel(picture, x, y); }
    // The box edges: the pixels just inside are `inside`, just outside are black.
    void ExpectBoxEdges(int left, int top, int right, int bottom, RGBColor inside,
                        const char* what) {
        int midX = (left + right) / 2, midY = (top + bottom) / 2;
        EXPECT_EQ(At(left, midY), inside) << what << ": left column";
        EXPECT_EQ(At(right - 1, midY), inside) << what << ": right column (right - 1)";
        EXPECT_EQ(At(midX, top), inside) << what << ": top row";
        EXPECT_EQ(At(midX, bottom - 1), inside) << what << ": bottom row (bottom - 1)";
        EXPECT_EQ(At(left - 1, midY), kBlack) << what << ": left of the box";
        EXPECT_EQ(At(right, midY), kBlack) << what << ": right is exclusive";
        EXPECT_EQ(At(midX, top - 1), kBlack) << what << ": above the box";
        EXPECT_EQ(At(midX, bottom), kBlack) << what << ": bottom is exclusive";
    }
    PictureRef picture = nullptr;
};

TEST_F(PlatformDrawing, RectangleCoversLeftToRightMinusOne) {
    EXPECT_EQ(At(0, 0), kBlack) << "a new picture starts black";

    SetPenBrush(kWhite, 1, false);
    Rectangle(10, 10, 31, 21);
    ExpectBoxEdges(10, 10, 31, 21, kWhite, "outline only");
    EXPECT_EQ(At(10, 10), kWhite) << "top-left corner";
    EXPECT_EQ(At(30, 20), kWhite) << "bottom-right corner";
    EXPECT_EQ(At(20, 15), kBlack) << "an outline leaves the inside alone";

    PictureRef filled = CreatePicture(64, 48);
    BeginDrawing(SelectPicture(filled));
    SetPenBrush(kRed, 0, true);
    Rectangle(10, 10, 31, 21);
    EndDrawing();
    std::swap(picture, filled);
    ExpectBoxEdges(10, 10, 31, 21, kRed, "fill only");
    EXPECT_EQ(At(20, 15), kRed);
    EXPECT_EQ(At(30, 20), kRed) << "fill reaches the last pixel";
    EXPECT_EQ(At(31, 21), kBlack);
    std::swap(picture, filled);
    DeletePicture(filled);

    SetPenBrush(kBlue, 1, true);
    Rectangle(40, 30, 50, 40);
    ExpectBoxEdges(40, 30, 50, 40, kBlue, "outline and fill");
    EXPECT_EQ(At(45, 35), kBlue);

    // An empty or inverted box draws nothing.
    std::vector<RGBColor> before = Pixels(picture);
    Rectangle(5, 5, 5, 9);
    Rectangle(9, 9, 5, 5);
    EXPECT_EQ(Pixels(picture), before) << "empty boxes must not draw";
}

TEST_F(PlatformDrawing, EllipseCoversLeftToRightMinusOne) {
    SetPenBrush(kWhite, 1, false);
    Ellipse(10, 10, 31, 21);
    ExpectBoxEdges(10, 10, 31, 21, kWhite, "outline only");
    EXPECT_EQ(At(20, 15), kBlack) << "hollow ellipse";
    EXPECT_EQ(At(10, 10), kBlack) << "the box corner lies outside the ellipse";

    SetPenBrush(kRed, 0, true);
    Ellipse(10, 25, 31, 36);
    ExpectBoxEdges(10, 25, 31, 36, kRed, "fill only");
    EXPECT_EQ(At(20, 30), kRed);

    SetPenBrush(kBlue, 1, true);
    Ellipse(40, 30, 51, 41);
    ExpectBoxEdges(40, 30, 51, 41, kBlue, "outline and fill");
    EXPECT_EQ(At(45, 35), kBlue);
}

TEST_F(PlatformDrawing, PenWidthZeroDrawsNoOutline) {
    SetPenBrush(kWhite, 0, false);
    Rectangle(5, 5, 30, 30);
    Ellipse(5, 5, 30, 30);
    Line(0, 0, 40, 40);
    Point triangle[3] = {{2, 2}, {40, 2}, {2, 40}};
    Polygon(triangle, 3);
    EXPECT_FALSE(AnyDrawn(picture, 0, 0, 64, 48)) << "no outline and no fill: nothing drawn";
    Pixel(3, 4);
    EXPECT_EQ(At(3, 4), kWhite) << "a pixel is drawn whatever the pen width";
}

TEST_F(PlatformDrawing, LineDrawsBothEndPoints) {
    SetPenBrush(kWhite, 1, false);
    Line(5, 5, 20, 5);
    EXPECT_EQ(At(5, 5), kWhite) << "start point";
    EXPECT_EQ(At(20, 5), kWhite) << "end point";
    EXPECT_EQ(At(21, 5), kBlack);
    EXPECT_EQ(At(4, 5), kBlack);

    Line(30, 40, 10, 20);  // drawn backwards and diagonally
    EXPECT_EQ(At(30, 40), kWhite);
    EXPECT_EQ(At(10, 20), kWhite);
    EXPECT_EQ(At(20, 30), kWhite) << "a diagonal passes through its middle";

    Line(50, 10, 50, 10);
    EXPECT_EQ(At(50, 10), kWhite) << "a line of one point is that point";

    MoveTo(40, 40);
    LineTo(60, 40);
    EXPECT_EQ(At(40, 40), kWhite) << "LineTo starts at the current position";
    EXPECT_EQ(At(50, 40), kWhite);
}

TEST_F(PlatformDrawing, XorTwiceRestoresThePictureExactly) {
    // A background with several colours, so that an inversion shows everywhere.
    SetPenBrush(kRed, 0, true);
    Rectangle(0, 0, 32, 48);
    SetPenBrush({10, 200, 30}, 0, true);
    Ellipse(20, 10, 60, 40);
    std::vector<RGBColor> before = Pixels(picture);
    RGBColor underStart = At(3, 3), underEnd = At(60, 44);

    SetXorMode(true);
    SetPenBrush(kWhite, 1, false);
    Line(3, 3, 60, 44);
    RGBColor inverted{static_cast<std::uint8_t>(255 - underStart.red),
                      static_cast<std::uint8_t>(255 - underStart.green),
                      static_cast<std::uint8_t>(255 - underStart.blue)};
    EXPECT_EQ(At(3, 3), inverted) << "start point inverted once, was " << Describe(underStart);
    EXPECT_NE(At(60, 44), underEnd) << "end point inverted once";
    // Rubber-band shapes away from the line, so that each pixel is drawn once.
    auto changed = [&](int x, int y) { return !(At(x, y) == before[y * 64 + x]); };
    Rectangle(30, 2, 50, 12);
    EXPECT_TRUE(changed(30, 2)) << "rectangle corner inverted once, not twice";
    EXPECT_TRUE(changed(49, 11)) << "far rectangle corner inverted once";
    EXPECT_TRUE(changed(49, 2));
    EXPECT_TRUE(changed(30, 11));
    Point triangle[3] = {{2, 20}, {20, 40}, {2, 40}};
    Polygon(triangle, 3);
    EXPECT_TRUE(changed(2, 20)) << "polygon vertex inverted once";
    EXPECT_TRUE(changed(20, 40)) << "polygon vertex inverted once";
    EXPECT_TRUE(changed(2, 40)) << "polygon vertex inverted once";
    Ellipse(52, 20, 63, 31);
    EXPECT_TRUE(changed(52, 25)) << "ellipse left end inverted once";
    SetPenBrush(kWhite, 0, true);
    Ellipse(40, 34, 51, 45);
    EXPECT_TRUE(changed(45, 39)) << "a filled disc inverts its inside";
    SetPenBrush(kWhite, 1, true);
    Rectangle(52, 2, 60, 10);
    EXPECT_TRUE(changed(52, 2)) << "outline and fill invert a corner once";
    EXPECT_TRUE(changed(55, 9)) << "outline and fill invert an edge once";
    EXPECT_TRUE(changed(55, 5)) << "outline and fill invert the inside";
    SetPenBrush(kWhite, 1, false);
    Pixel(62, 2);
    EXPECT_EQ(At(62, 2), kWhite) << "a pixel on black inverts to white";

    // The rubber band goes away: the same drawing again restores every pixel.
    Line(3, 3, 60, 44);
    Rectangle(30, 2, 50, 12);
    Polygon(triangle, 3);
    Ellipse(52, 20, 63, 31);
    SetPenBrush(kWhite, 0, true);
    Ellipse(40, 34, 51, 45);
    SetPenBrush(kWhite, 1, true);
    Rectangle(52, 2, 60, 10);
    Pixel(62, 2);
    EXPECT_EQ(Pixels(picture), before) << "XOR drawing twice must restore the picture";

    SetXorMode(false);
    SetPenBrush(kWhite, 1, false);
    Line(0, 47, 63, 47);
    Line(0, 47, 63, 47);
    EXPECT_EQ(At(10, 47), kWhite) << "back in copy mode, drawing twice keeps the line";
}

TEST_F(PlatformDrawing, PolygonFillsItsInside) {
    SetPenBrush(kWhite, 0, true);
    Point triangle[3] = {{10, 10}, {50, 10}, {10, 40}};
    Polygon(triangle, 3);
    EXPECT_EQ(At(15, 15), kWhite) << "inside the triangle";
    EXPECT_EQ(At(45, 35), kBlack) << "beyond the hypotenuse";
    EXPECT_EQ(At(9, 20), kBlack) << "left of the triangle";

    SetPenBrush(kRed, 1, false);
    Point square[4] = {{30, 30}, {40, 30}, {40, 40}, {30, 40}};
    Polygon(square, 4);
    EXPECT_EQ(At(35, 30), kRed) << "outline of an unfilled polygon";
    EXPECT_EQ(At(30, 35), kRed) << "the closing edge is drawn";
    EXPECT_EQ(At(35, 35), kBlack) << "unfilled inside";
    Point slanted[3] = {{50, 20}, {60, 42}, {50, 42}};
    Polygon(slanted, 3);
    for (const Point& corner : slanted)
        EXPECT_EQ(At(corner.x, corner.y), kRed) << "corner " << corner.x << "," << corner.y;

    std::vector<RGBColor> before = Pixels(picture);
    Polygon(square, 1);
    Polygon(nullptr, 4);
    EXPECT_EQ(Pixels(picture), before) << "degenerate polygons draw nothing";
}

TEST_F(PlatformDrawing, TextHasItsTopLeftAtThePoint) {
    SetPenBrush(kWhite, 1, false);
    SelectFont("Arial", -16, 0);
    Text(20, 20, "HIM");
    EXPECT_TRUE(AnyDrawn(picture, 20, 20, 64, 48)) << "text below and right of the point";
    EXPECT_FALSE(AnyDrawn(picture, 0, 0, 64, 20)) << "nothing above the point";
    EXPECT_FALSE(AnyDrawn(picture, 0, 0, 20, 48)) << "nothing left of the point";

    int width = 0, height = 0;
    TextExtent("HIM", &width, &height);
    EXPECT_GT(width, 10);
    EXPECT_GE(height, 16);
    EXPECT_FALSE(AnyDrawn(picture, 20, 20 + height, 64, 48)) << "text ends within its height";
    int emptyWidth = -1;
    TextExtent("", &emptyWidth, nullptr);
    EXPECT_EQ(emptyWidth, 0);

    // The text colour follows the pen, and SetTextColor changes it alone.
    PictureRef coloured = CreatePicture(40, 30);
    BeginDrawing(SelectPicture(coloured));
    SetPenBrush(kWhite, 1, false);
    SetTextColor(kRed);
    SelectFont("Arial", -20, FontBold);
    Text(2, 2, "H");
    Line(0, 29, 39, 29);
    EndDrawing();
    bool sawRed = false;
    for (int y = 2; y < 28 && !sawRed; ++y)
        for (int x = 2; x < 30 && !sawRed; ++x) {
            RGBColor c = PicturePixel(coloured, x, y);
            sawRed = c.red > 200 && c.green < 50 && c.blue < 50;
        }
    EXPECT_TRUE(sawRed) << "text drawn in the text colour";
    EXPECT_EQ(PicturePixel(coloured, 10, 29), kWhite) << "lines still use the pen colour";
    DeletePicture(coloured);
}

TEST_F(PlatformDrawing, SymbolFaceDrawsGreekLetters) {
    QString family = QApplication::font().family();
    auto render = [&](const std::string& face, const std::string& text) {
        PictureRef p = CreatePicture(40, 40);
        BeginDrawing(SelectPicture(p));
        SetPenBrush(kWhite, 1, false);
        SelectFont(face, -24, 0);
        Text(4, 4, text);
        EndDrawing();
        std::vector<RGBColor> pixels = Pixels(p);
        DeletePicture(p);
        return pixels;
    };
    std::string plain = family.toStdString();
    std::vector<RGBColor> blank(40 * 40, kBlack);
    EXPECT_NE(render("Symbol", "a"), blank) << "the Symbol face draws something";
    EXPECT_NE(render("Symbol", "a"), render(plain, "a")) << "Symbol 'a' is alpha, not a Latin a";
    EXPECT_NE(render("Symbol", "p"), render(plain, "p")) << "Symbol 'p' is pi";
    EXPECT_EQ(render("Symbol", "1"), render(plain, "1")) << "digits are left alone";

    SelectFont("Symbol", -24, 0);
    int greek = 0, height = 0;
    TextExtent("abg", &greek, &height);
    EXPECT_GT(greek, 0);
    EXPECT_GT(height, 0);
}

TEST_F(PlatformDrawing, ClipLimitsDrawingUntilRemoved) {
    SetPenBrush(kWhite, 0, true);
    ClipTo({10, 10, 20, 20});
    Rectangle(0, 0, 64, 48);
    EXPECT_EQ(At(10, 10), kWhite);
    EXPECT_EQ(At(19, 19), kWhite);
    EXPECT_EQ(At(20, 15), kBlack) << "clip right is exclusive";
    EXPECT_EQ(At(15, 9), kBlack) << "above the clip";
    EXPECT_EQ(At(0, 0), kBlack);

    RemoveClip();
    SetPenBrush(kRed, 1, false);
    Line(0, 0, 63, 0);
    EXPECT_EQ(At(0, 0), kRed) << "drawing reaches everywhere again";
    EXPECT_EQ(At(63, 0), kRed);
}

TEST_F(PlatformDrawing, DrawPictureCopiesAndStretches) {
    PictureRef source = CreatePicture(4, 4);
    BeginDrawing(SelectPicture(source));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            SetPenBrush({static_cast<std::uint8_t>(60 * x + 10),
                         static_cast<std::uint8_t>(60 * y + 10), 77},
                        1, false);
            Pixel(x, y);
        }
    EndDrawing();

    SetPenBrush(kWhite, 0, true);
    Rectangle(0, 0, 64, 48);
    DrawPicture(source, nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(x, y), PicturePixel(source, x, y)) << "1:1 copy at " << x << "," << y;
    EXPECT_EQ(At(4, 0), kWhite) << "copy covers only the picture's size";

    Rect destination{20, 20, 28, 28};
    DrawPicture(source, &destination);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(At(20 + x, 20 + y), PicturePixel(source, x / 2, y / 2))
                << "stretched twice at " << x << "," << y;
    EXPECT_EQ(At(28, 24), kWhite) << "destination right is exclusive";
    EXPECT_EQ(At(24, 28), kWhite) << "destination bottom is exclusive";
    DeletePicture(source);
}

TEST_F(PlatformDrawing, NestedSurfacesKeepTheirOwnState) {
    SetPenBrush(kRed, 1, false);
    PictureRef inner = CreatePicture(16, 16);
    BeginDrawing(SelectPicture(inner));
    SetPenBrush(kBlue, 1, false);
    Line(0, 0, 15, 0);
    EndDrawing();

    Line(0, 5, 63, 5);
    EXPECT_EQ(PicturePixel(inner, 8, 0), kBlue) << "the inner surface got its line";
    EXPECT_EQ(PicturePixel(inner, 8, 5), kBlack) << "the outer line did not go to the inner one";
    EXPECT_EQ(At(8, 0), kBlack) << "the inner line did not go to the outer surface";
    EXPECT_EQ(At(8, 5), kRed) << "the outer surface kept its pen after the inner one ended";

    // A surface begun again while it is already current draws on the same picture.
    BeginDrawing(SelectPicture(picture));
    SetPenBrush(kBlue, 1, false);
    Line(0, 10, 63, 10);
    EndDrawing();
    Line(0, 12, 63, 12);
    EXPECT_EQ(At(8, 10), kBlue) << "drawing on a surface that is current twice";
    EXPECT_EQ(At(8, 12), kRed) << "the outer drawing carries on afterwards";
    DeletePicture(inner);

    // Nothing current: the calls are ignored, not crashes.
    EndDrawing();
    EndDrawing();
    Line(0, 0, 5, 5);
    Rectangle(0, 0, 5, 5);
    Text(0, 0, "x");
}

TEST_F(PlatformDrawing, SmoothLinesStaySharpOnTheirPixels) {
    SetAntialiasing(true);
    SetPenBrush(kWhite, 1, false);
    Line(2, 5, 40, 5);
    Line(10, 10, 10, 30);
    // A straight line covers its row or column fully and nothing beside it.
    for (int x = 2; x <= 40; ++x) {
        EXPECT_EQ(At(x, 5), kWhite) << x;
        EXPECT_EQ(At(x, 4), kBlack) << x;
        EXPECT_EQ(At(x, 6), kBlack) << x;
    }
    EXPECT_EQ(At(10, 20), kWhite);
    EXPECT_EQ(At(9, 20), kBlack);
    EXPECT_EQ(At(11, 20), kBlack);
    // A slanting one has partly covered pixels along it.
    Line(20, 12, 50, 40);
    int partial = 0;
    for (int y = 12; y <= 40; ++y)
        for (int x = 20; x <= 50; ++x) {
            RGBColor c = At(x, y);
            if (c.red > 0 && c.red < 255) ++partial;
        }
    EXPECT_GT(partial, 10);
    Pixel(60, 2);
    EXPECT_EQ(At(60, 2), kWhite) << "a pixel is one pixel, smooth or not";
    EXPECT_EQ(At(61, 2), kBlack);
}

TEST_F(PlatformDrawing, InvertingStaysExactWithSmoothing) {
    SetAntialiasing(true);
    SetPenBrush(kRed, 0, true);
    Ellipse(5, 5, 40, 30);
    std::vector<RGBColor> before = Pixels(picture);
    SetXorMode(true);
    SetPenBrush(kWhite, 1, false);
    for (int pass = 0; pass < 2; ++pass) {
        Line(0, 0, 63, 47);
        Ellipse(10, 8, 50, 40);
        Point triangle[3] = {{3, 40}, {30, 2}, {60, 44}};
        Polygon(triangle, 3);
    }
    EXPECT_TRUE(Pixels(picture) == before);
}

TEST_F(PlatformDrawing, PicturesAreWrittenAsPngBmpOrSvg) {
    SetPenBrush(kRed, 0, true);
    Rectangle(0, 0, 10, 10);
    EndDrawing();
    char pattern[] = "/tmp/norvane-pictures-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    auto bytes = [](const std::string& path) {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly)) return QByteArray();
        return file.readAll();
    };

    // PNG and BMP by the extension, in any letter case, read back pixel for pixel.
    for (const char* name : {"/sky.png", "/sky.PNG", "/sky.bmp"}) {
        std::string path = dir + name;
        ASSERT_TRUE(SavePicture(picture, path)) << name;
        QImage image(QString::fromStdString(path));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(64, 48));
        EXPECT_EQ(image.pixelColor(3, 3), QColor(255, 0, 0)) << name;
        EXPECT_EQ(image.pixelColor(20, 20), QColor(0, 0, 0)) << name;
    }
    EXPECT_TRUE(bytes(dir + "/sky.png").startsWith("\x89PNG"));
    EXPECT_TRUE(bytes(dir + "/sky.bmp").startsWith("BM"));
    // Another extension, a missing folder or no picture: nothing is written.
    EXPECT_FALSE(SavePicture(picture, dir + "/sky.jpg"));
    EXPECT_FALSE(FileExists(dir + "/sky.jpg"));
    EXPECT_FALSE(SavePicture(picture, dir + "/no/such/folder/sky.png"));
    EXPECT_FALSE(SavePicture(nullptr, dir + "/none.png"));
    EXPECT_FALSE(FileExists(dir + "/none.png"));

    // SVG: vector drawing of the given size, written when finished.
    SurfaceRef svg = CreateSvgSurface(dir + "/sky.svg", 320, 200, "Sky");
    ASSERT_NE(svg, nullptr);
    BeginDrawing(svg);
    SetPenBrush(kBlue, 1, false);
    Line(0, 0, 319, 199);
    EXPECT_FALSE(FinishSvgSurface(svg)) << "still being drawn on";
    EndDrawing();
    EXPECT_FALSE(FileExists(dir + "/sky.svg")) << "written only when finished";
    ASSERT_TRUE(FinishSvgSurface(svg));
    QByteArray text = bytes(dir + "/sky.svg");
    EXPECT_TRUE(text.contains("<svg")) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains("viewBox=\"0 0 320 200\""));
    EXPECT_TRUE(text.contains("<title>Sky</title>"));
    EXPECT_TRUE(text.trimmed().endsWith("</svg>"));
    EXPECT_FALSE(FinishSvgSurface(svg)) << "a finished surface is gone";
    EXPECT_EQ(CreateSvgSurface(dir + "/empty.svg", 0, 10, ""), nullptr);
    std::system(("rm -rf '" + dir + "'").c_str());
    BeginDrawing(SelectPicture(picture));
}

TEST_F(PlatformDrawing, PicturesRejectBadSizesAndPixels) {
    EXPECT_EQ(CreatePicture(0, 10), nullptr);
    EXPECT_EQ(CreatePicture(10, -1), nullptr);
    EXPECT_EQ(PicturePixel(picture, 64, 0), kBlack) << "outside the picture";
    EXPECT_EQ(PicturePixel(picture, -1, 0), kBlack);
    EXPECT_EQ(PicturePixel(nullptr, 0, 0), kBlack);
    int width = -1, height = -1;
    PictureSize(nullptr, &width, &height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

// ---------------------------------------------------------------------------
// A main window's own surface and its scroll bars.

int gPaints = 0;

long PaintingHandler(int event, WindowRef window, long, long) {
    if (event == Paint) {
        ++gPaints;
        Rect client = GetClientRect(window);
        SetPenBrush(kBlue, 0, true);
        Rectangle(client.left, client.top, client.right, client.bottom);
        // Handlers may also make the window's surface current themselves.
        BeginDrawing(GetWindowSurface(window));
        SetPenBrush(kRed, 1, false);
        Line(0, 0, client.right - 1, 0);
        EndDrawing();
        SetPenBrush(kWhite, 1, false);
        Pixel(5, 5);
    }
    return 1;
}

class PlatformWindow : public testing::Test {
protected:
    void SetUp() override { gPaints = 0; }
    void TearDown() override { ResetPlatform(); }
};

TEST_F(PlatformWindow, PaintDrawsOnTheWindowSurface) {
    WindowRef window =
        CreateMainWindow(100, "Chart", 0, 0, 300, 200, false, StyleCaption, 0, PaintingHandler);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(MainWindow(), window);
    EXPECT_EQ(GetWindowTitle(window), "Chart");
    int before = gPaints;
    InvalidateWindow(window);
    UpdateWindow(window);
    EXPECT_GT(gPaints, before) << "UpdateWindow after InvalidateWindow delivers Paint";
    int after = gPaints;
    UpdateWindow(window);
    EXPECT_EQ(gPaints, after) << "nothing invalid: no new Paint";

    auto* frame = qobject_cast<QMainWindow*>(window->widget.data());
    ASSERT_NE(frame, nullptr);
    QImage shown = frame->centralWidget()->grab().toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(QColor(shown.pixel(20, 20)), QColor(0, 0, 255)) << "the Paint fill shows";
    EXPECT_EQ(QColor(shown.pixel(20, 0)), QColor(255, 0, 0))
        << "drawing on GetWindowSurface inside Paint shows";
    EXPECT_EQ(QColor(shown.pixel(5, 5)), QColor(255, 255, 255))
        << "the Paint surface is still current after the inner EndDrawing";
}

TEST_F(PlatformWindow, ScrollAreasTileTheWindow) {
    WindowRef window =
        CreateMainWindow(100, "Chart", 0, 0, 400, 300, true, StyleCaption, 0, PaintingHandler);
    ASSERT_NE(window, nullptr);
    Rect client = GetClientRect(window);
    ASSERT_GT(client.width(), 100);
    ScrollAreas areas = GetScrollAreas(window);
    EXPECT_EQ(areas.vertical.right, client.right) << "vertical bar at the right edge";
    EXPECT_EQ(areas.vertical.top, 0);
    EXPECT_EQ(areas.horizontal.bottom, client.bottom) << "horizontal bar at the bottom";
    EXPECT_EQ(areas.horizontal.left, 0);
    EXPECT_GT(areas.vertical.width(), 0);
    EXPECT_GT(areas.horizontal.height(), 0);
    EXPECT_EQ(areas.vertical.width(), areas.horizontal.height()) << "one bar thickness";

    // Every pixel of the window is in exactly one of the three areas, apart
    // from the square where the two bars meet.
    auto in = [](const Rect& r, int x, int y) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    int thickness = areas.vertical.width();
    for (int y = 0; y < client.bottom; y += 3)
        for (int x = 0; x < client.right; x += 3) {
            int count = in(areas.vertical, x, y) + in(areas.horizontal, x, y) +
                        in(areas.client, x, y);
            bool corner = x >= client.right - thickness && y >= client.bottom - thickness;
            ASSERT_EQ(count, corner ? 0 : 1) << "at " << x << "," << y;
        }

    ASSERT_TRUE(CreateScrollBar(window, 1, areas.vertical, true, 0, -90, 90));
    ASSERT_TRUE(CreateScrollBar(window, 2, areas.horizontal, true, 180, 1, 360));
    auto* vertical = qobject_cast<QScrollBar*>(ControlOf(window, 1));
    auto* horizontal = qobject_cast<QScrollBar*>(ControlOf(window, 2));
    ASSERT_NE(vertical, nullptr);
    ASSERT_NE(horizontal, nullptr);
    EXPECT_EQ(vertical->orientation(), Qt::Vertical) << "taller than wide";
    EXPECT_EQ(horizontal->orientation(), Qt::Horizontal);
    EXPECT_EQ(GetItemValue(window, 1), 0);
    EXPECT_EQ(GetItemValue(window, 2), 180);
    SetItemValue(window, 1, -45);
    EXPECT_EQ(GetItemValue(window, 1), -45);
    SetItemValue(window, 1, 500);
    EXPECT_EQ(GetItemValue(window, 1), 90) << "clamped to the maximum";
    SetItemValue(window, 2, -7);
    EXPECT_EQ(GetItemValue(window, 2), 1) << "clamped to the minimum";
    ShowScrollBars(window, false);
    EXPECT_FALSE(IsItemVisible(window, 1));
    ShowScrollBars(window, true);
    EXPECT_TRUE(IsItemVisible(window, 2));
}

} // namespace
