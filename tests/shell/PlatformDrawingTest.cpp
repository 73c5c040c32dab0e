// Drawing on off-screen pictures and on a window's own surface: exact pixel
// coverage of the shapes, the inverting mode, text placement, the Greek face,
// clipping, picture copies and files, nested surfaces and scroll bars.

#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const RGBColor kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlue{0, 0, 255};

std::vector<RGBColor> Pixels(PictureRef picture) {
    int width = 0, height = 0;
    PictureSize(picture, &width, &height);
    std::vector<RGBColor> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(PicturePixel(picture, x, y));
    return pixels;
}

// Whether any pixel of the box [left, right) x [top, bottom) is not black.
bool AnyDrawn(PictureRef picture, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (!(PicturePixel(picture, x, y) == kBlack)) return true;
    return false;
}

// A picture drawn by `draw` on a fresh 64 x 48 surface.
PictureRef Drawn(const std::function<void()>& draw, int width = 64, int height = 48) {
    PictureRef p = CreatePicture(width, height);
    BeginDrawing(SelectPicture(p));
    draw();
    EndDrawing();
    return p;
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
    PictureRef picture = nullptr;
};

TEST_F(PlatformDrawing, ShapesCoverLeftToRightMinusOne) {
    EXPECT_EQ(At(0, 0), kBlack) << "a new picture starts black";
    using Shape = void (*)(int, int, int, int);
    struct Case {
        Shape shape;
        int pen;
        bool fill;
        RGBColor centre, corner; // at the middle and the top-left corner of the box
        const char* what;
    };
    const Case cases[] = {{Rectangle, 1, false, kBlack, kWhite, "rectangle outline"},
                          {Rectangle, 0, true, kWhite, kWhite, "rectangle fill"},
                          {Ellipse, 1, true, kWhite, kBlack, "ellipse outline and fill"},
                          {Rectangle, 0, false, kBlack, kBlack, "pen width 0 and no fill"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PictureRef p = Drawn([&] {
            SetPenBrush(kWhite, c.pen, c.fill);
            c.shape(10, 10, 31, 21);
        });
        auto at = [&](int x, int y) { return PicturePixel(p, x, y); };
        RGBColor edge = c.pen == 0 && !c.fill ? kBlack : kWhite;
        EXPECT_EQ(at(10, 15), edge) << "left column";
        EXPECT_EQ(at(30, 15), edge) << "right column (right - 1)";
        EXPECT_EQ(at(20, 10), edge) << "top row";
        EXPECT_EQ(at(20, 20), edge) << "bottom row (bottom - 1)";
        EXPECT_FALSE(AnyDrawn(p, 0, 0, 64, 10) || AnyDrawn(p, 0, 21, 64, 48) ||
                     AnyDrawn(p, 0, 0, 10, 48) || AnyDrawn(p, 31, 0, 64, 48))
            << "nothing outside; right and bottom are exclusive";
        EXPECT_EQ(at(20, 15), c.centre);
        EXPECT_EQ(at(10, 10), c.corner);
        DeletePicture(p);
    }
    // An empty or inverted box, a zero pen, a degenerate polygon draw nothing.
    SetPenBrush(kWhite, 1, true);
    Rectangle(5, 5, 5, 9);
    Rectangle(9, 9, 5, 5);
    Point square[4] = {{30, 30}, {40, 30}, {40, 40}, {30, 40}};
    Polygon(square, 1);
    Polygon(nullptr, 4);
    SetPenBrush(kWhite, 0, false);
    Line(0, 0, 40, 40);
    Polygon(square, 4);
    EXPECT_FALSE(AnyDrawn(picture, 0, 0, 64, 48));
    Pixel(3, 4);
    EXPECT_EQ(At(3, 4), kWhite) << "a pixel is drawn whatever the pen width";
}

TEST_F(PlatformDrawing, LinesAndPolygons) {
    SetPenBrush(kWhite, 1, false);
    Line(5, 5, 20, 5);
    Line(30, 40, 10, 20); // backwards and diagonal
    Line(50, 10, 50, 10); // a line of one point is that point
    MoveTo(40, 44);
    LineTo(60, 44);
    for (auto [x, y] : {std::pair{5, 5}, {20, 5}, {30, 40}, {10, 20}, {20, 30}, {50, 10}, {40, 44}})
        EXPECT_EQ(At(x, y), kWhite) << x << "," << y;
    EXPECT_EQ(At(21, 5), kBlack);
    EXPECT_EQ(At(4, 5), kBlack);

    PictureRef p = Drawn([] {
        SetPenBrush(kWhite, 0, true);
        Point triangle[3] = {{10, 10}, {50, 10}, {10, 40}};
        Polygon(triangle, 3);
        SetPenBrush(kRed, 1, false);
        Point square[4] = {{30, 30}, {40, 30}, {40, 40}, {30, 40}};
        Polygon(square, 4);
        Point slanted[3] = {{50, 20}, {60, 42}, {50, 42}};
        Polygon(slanted, 3);
    });
    const std::pair<std::pair<int, int>, RGBColor> expected[] = {
        {{15, 15}, kWhite}, {{45, 35}, kBlack}, {{9, 20}, kBlack},  // inside, beyond, left
        {{35, 30}, kRed},   {{30, 35}, kRed},   {{35, 35}, kBlack}, // the closing edge drawn
        {{50, 20}, kRed},   {{60, 42}, kRed},   {{50, 42}, kRed}};  // every corner
    for (const auto& [point, colour] : expected)
        EXPECT_EQ(PicturePixel(p, point.first, point.second), colour)
            << point.first << "," << point.second;
    DeletePicture(p);
}

TEST_F(PlatformDrawing, XorTwiceRestoresThePictureExactly) {
    for (bool smooth : {false, true}) {
        SCOPED_TRACE(smooth ? "smooth" : "sharp");
        SetAntialiasing(smooth);
        // A background of several colours, so that an inversion shows everywhere.
        SetPenBrush(kRed, 0, true);
        Rectangle(0, 0, 32, 48);
        SetPenBrush({10, 200, 30}, 0, true);
        Ellipse(20, 10, 60, 40);
        SetXorMode(true);
        std::vector<RGBColor> before = Pixels(picture);
        Point triangle[3] = {{2, 20}, {20, 40}, {2, 40}};
        auto draw = [&] {
            SetPenBrush(kWhite, 1, false);
            Line(3, 3, 60, 44);
            Rectangle(30, 2, 50, 12);
            Polygon(triangle, 3);
            Ellipse(52, 20, 63, 31);
            Pixel(62, 2);
            SetPenBrush(kWhite, 0, true);
            Ellipse(40, 34, 51, 45);
            SetPenBrush(kWhite, 1, true);
            Rectangle(52, 2, 60, 10);
        };
        draw();
        if (!smooth) {
            // Corners and ends where strokes meet are inverted once, not twice.
            for (auto [x, y] : {std::pair{3, 3}, {49, 11}, {20, 40}, {52, 2}, {62, 2}})
                EXPECT_FALSE(At(x, y) == before[y * 64 + x]) << x << "," << y;
            const RGBColor under = before[3 * 64 + 3];
            EXPECT_EQ(At(3, 3),
                      (RGBColor{std::uint8_t(255 - under.red), std::uint8_t(255 - under.green),
                                std::uint8_t(255 - under.blue)}));
            EXPECT_EQ(At(62, 2), kWhite) << "a pixel on black inverts to white";
        }
        draw();
        EXPECT_TRUE(Pixels(picture) == before) << "XOR drawing twice must restore the picture";
        SetXorMode(false);
    }
    SetPenBrush(kWhite, 1, false);
    Line(0, 47, 63, 47);
    Line(0, 47, 63, 47);
    EXPECT_EQ(At(10, 47), kWhite) << "back in copy mode, drawing twice keeps the line";
}

TEST_F(PlatformDrawing, SmoothLinesStaySharpOnTheirPixels) {
    SetAntialiasing(true);
    SetPenBrush(kWhite, 1, false);
    Line(2, 5, 40, 5);
    Line(10, 10, 10, 30);
    Pixel(60, 2);
    // A straight line covers its row or column fully and nothing beside it.
    for (int x = 2; x <= 40; ++x)
        ASSERT_TRUE(At(x, 5) == kWhite && At(x, 4) == kBlack && At(x, 6) == kBlack) << x;
    EXPECT_TRUE(At(10, 20) == kWhite && At(9, 20) == kBlack && At(11, 20) == kBlack);
    EXPECT_TRUE(At(60, 2) == kWhite && At(61, 2) == kBlack) << "a pixel is one pixel";
}

TEST_F(PlatformDrawing, TextHasItsTopLeftAtThePointAndTheColourOfItsOwn) {
    SetPenBrush(kWhite, 1, false);
    SelectFont("Arial", -16, 0);
    Text(20, 20, "HIM");
    int width = 0, height = 0, empty = -1;
    TextExtent("HIM", &width, &height);
    TextExtent("", &empty, nullptr);
    EXPECT_TRUE(width > 10 && height >= 16 && empty == 0) << width << " " << height;
    EXPECT_TRUE(AnyDrawn(picture, 20, 20, 64, 48)) << "text below and right of the point";
    EXPECT_FALSE(AnyDrawn(picture, 0, 0, 64, 20)) << "nothing above the point";
    EXPECT_FALSE(AnyDrawn(picture, 0, 0, 20, 48)) << "nothing left of the point";
    EXPECT_FALSE(AnyDrawn(picture, 20, 20 + height, 64, 48)) << "text ends within its height";

    SetTextColor(kRed);
    Text(0, 0, "H");
    Line(0, 47, 63, 47);
    bool sawRed = false;
    for (int i = 0; i < 20 * 16; ++i)
        sawRed = sawRed || (At(i % 16, i / 16).red > 200 && At(i % 16, i / 16).green < 50);
    EXPECT_TRUE(sawRed) << "text drawn in the text colour";
    EXPECT_EQ(At(10, 47), kWhite) << "lines still use the pen colour";
    // The Symbol face draws Greek letters for Latin ones and leaves digits alone.
    auto render = [](const std::string& face, const char* text) {
        PictureRef p = Drawn(
            [&] {
                SetPenBrush(kWhite, 1, false);
                SelectFont(face, -24, 0);
                Text(4, 4, text);
            },
            40, 40);
        std::vector<RGBColor> pixels = Pixels(p);
        DeletePicture(p);
        return pixels;
    };
    std::string plain = QApplication::font().family().toStdString();
    EXPECT_NE(render("Symbol", "a"), std::vector<RGBColor>(40 * 40, kBlack));
    EXPECT_NE(render("Symbol", "a"), render(plain, "a")) << "alpha, not a Latin a";
    EXPECT_EQ(render("Symbol", "1"), render(plain, "1"));
}

TEST_F(PlatformDrawing, ClipsCopiesAndNestedSurfaces) {
    SetPenBrush(kWhite, 0, true);
    ClipTo({10, 10, 20, 20});
    Rectangle(0, 0, 64, 48);
    EXPECT_TRUE(At(10, 10) == kWhite && At(19, 19) == kWhite);
    EXPECT_TRUE(At(20, 15) == kBlack && At(15, 9) == kBlack) << "clip right is exclusive";
    RemoveClip();
    Rectangle(0, 0, 64, 48);
    EXPECT_EQ(At(0, 0), kWhite) << "drawing reaches everywhere again";

    PictureRef source = Drawn(
        [] {
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) {
                    SetPenBrush({std::uint8_t(60 * x + 10), std::uint8_t(60 * y + 10), 77}, 1,
                                false);
                    Pixel(x, y);
                }
        },
        4, 4);
    DrawPicture(source, nullptr);
    Rect destination{20, 20, 28, 28};
    DrawPicture(source, &destination);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_TRUE(x >= 4 || y >= 4 || At(x, y) == PicturePixel(source, x, y)) << "1:1 copy";
            EXPECT_EQ(At(20 + x, 20 + y), PicturePixel(source, x / 2, y / 2)) << "stretched";
        }
    EXPECT_TRUE(At(4, 0) == kWhite && At(28, 24) == kWhite && At(24, 28) == kWhite)
        << "the copies cover only their size";
    DeletePicture(source);

    // Each surface keeps its own pen; one begun again while current draws on
    // the same picture.
    SetPenBrush(kRed, 1, false);
    PictureRef inner = Drawn([] {
        SetPenBrush(kBlue, 1, false);
        Line(0, 0, 15, 0);
    });
    Line(0, 5, 63, 5);
    BeginDrawing(SelectPicture(picture));
    SetPenBrush(kBlue, 1, false);
    Line(0, 10, 63, 10);
    EndDrawing();
    Line(0, 12, 63, 12);
    EXPECT_TRUE(PicturePixel(inner, 8, 0) == kBlue && PicturePixel(inner, 8, 5) == kBlack);
    EXPECT_TRUE(At(8, 0) == kWhite && At(8, 5) == kRed && At(8, 10) == kBlue && At(8, 12) == kRed);
    DeletePicture(inner);
    EndDrawing();
    EndDrawing();
    Line(0, 0, 5, 5); // nothing current: ignored, no crash
}

TEST_F(PlatformDrawing, PicturesAreWrittenAsPngBmpOrSvgAndRejectBadSizes) {
    SetPenBrush(kRed, 0, true);
    Rectangle(0, 0, 10, 10);
    EndDrawing();
    char pattern[] = "/tmp/norvane-pictures-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    auto bytes = [](const std::string& path) {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    // PNG and BMP by the extension, in any letter case, read back pixel for pixel.
    for (const char* name : {"/sky.PNG", "/sky.bmp"}) {
        ASSERT_TRUE(SavePicture(picture, dir + name)) << name;
        QImage image(QString::fromStdString(dir + name));
        EXPECT_EQ(image.size(), QSize(64, 48)) << name;
        EXPECT_EQ(image.pixelColor(3, 3), QColor(255, 0, 0)) << name;
        EXPECT_EQ(image.pixelColor(20, 20), QColor(0, 0, 0)) << name;
    }
    EXPECT_TRUE(bytes(dir + "/sky.PNG").startsWith("\x89PNG"));
    EXPECT_TRUE(bytes(dir + "/sky.bmp").startsWith("BM"));
    // Another extension, a missing folder or no picture: nothing is written.
    EXPECT_FALSE(SavePicture(picture, dir + "/sky.jpg"));
    EXPECT_FALSE(SavePicture(nullptr, dir + "/none.png"));
    EXPECT_FALSE(FileExists(dir + "/sky.jpg") || FileExists(dir + "/none.png"));

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
    EXPECT_TRUE(text.contains("<svg") && text.contains("viewBox=\"0 0 320 200\"") &&
                text.contains("<title>Sky</title>") && text.trimmed().endsWith("</svg>"))
        << text.left(300).toStdString();
    EXPECT_EQ(CreateSvgSurface(dir + "/empty.svg", 0, 10, ""), nullptr);
    std::system(("rm -rf '" + dir + "'").c_str());

    EXPECT_EQ(CreatePicture(0, 10), nullptr);
    EXPECT_EQ(PicturePixel(picture, 64, 0), kBlack) << "outside the picture";
}

// ---------------------------------------------------------------------------
// A main window's own surface and its scroll bars.

int gPaints = 0;

long PaintingHandler(int event, WindowRef window, long, long) {
    if (event != Paint) return 1;
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
    return 1;
}

class PlatformWindow : public testing::Test {
protected:
    void TearDown() override { ResetPlatform(); }
};

TEST_F(PlatformWindow, PaintDrawsOnTheWindowSurface) {
    WindowRef window =
        CreateMainWindow(100, "Chart", 0, 0, 300, 200, false, StyleCaption, 0, PaintingHandler);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(MainWindow(), window);
    int before = gPaints;
    InvalidateWindow(window);
    UpdateWindow(window);
    EXPECT_GT(gPaints, before) << "UpdateWindow after InvalidateWindow delivers Paint";
    before = gPaints;
    UpdateWindow(window);
    EXPECT_EQ(gPaints, before) << "nothing invalid: no new Paint";
    auto* frame = qobject_cast<QMainWindow*>(window->widget.data());
    ASSERT_NE(frame, nullptr);
    QImage shown = frame->centralWidget()->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(20, 20)), QColor(0, 0, 255)) << "the Paint fill shows";
    EXPECT_EQ(QColor(shown.pixel(20, 0)), QColor(255, 0, 0)) << "GetWindowSurface inside Paint";
    EXPECT_EQ(QColor(shown.pixel(5, 5)), QColor(255, 255, 255))
        << "the Paint surface is still current after the inner EndDrawing";
}

TEST_F(PlatformWindow, ScrollAreasTileTheWindow) {
    WindowRef window =
        CreateMainWindow(100, "Chart", 0, 0, 400, 300, true, StyleCaption, 0, PaintingHandler);
    ASSERT_NE(window, nullptr);
    Rect client = GetClientRect(window);
    ScrollAreas areas = GetScrollAreas(window);
    int thickness = areas.vertical.width();
    EXPECT_GT(thickness, 0);
    EXPECT_EQ(thickness, areas.horizontal.height()) << "one bar thickness";
    // The bars meet at the bottom-right corner square, which neither takes.
    EXPECT_EQ(areas.vertical.right, client.right);
    EXPECT_EQ(areas.vertical.bottom, client.bottom - thickness);
    EXPECT_EQ(areas.horizontal.right, client.right - thickness);
    EXPECT_EQ(areas.client.right, client.right - thickness);
    EXPECT_EQ(areas.client.bottom, client.bottom - thickness);
    ASSERT_TRUE(CreateScrollBar(window, 1, areas.vertical, true, 0, -90, 90));
    ASSERT_TRUE(CreateScrollBar(window, 2, areas.horizontal, true, 180, 1, 360));
    auto* vertical = qobject_cast<QScrollBar*>(ControlOf(window, 1));
    auto* horizontal = qobject_cast<QScrollBar*>(ControlOf(window, 2));
    ASSERT_TRUE(vertical != nullptr && horizontal != nullptr);
    EXPECT_EQ(vertical->orientation(), Qt::Vertical) << "taller than wide";
    EXPECT_EQ(horizontal->orientation(), Qt::Horizontal);
    EXPECT_EQ(GetItemValue(window, 2), 180);
    for (auto [set, get] : {std::pair{-45, -45}, {500, 90}, {-700, -90}}) {
        SetItemValue(window, 1, set);
        EXPECT_EQ(GetItemValue(window, 1), get) << "clamped to the range: " << set;
    }
    ShowScrollBars(window, false);
    EXPECT_FALSE(IsItemVisible(window, 1));
}

} // namespace
