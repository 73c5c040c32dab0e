// Drawing on off-screen pictures: the extent of the shapes, the inverting
// mode, clipping, picture copies and files.

#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <QApplication>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const RGBColor kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlue{0, 0, 255};

// Whether any pixel of the box [left, right) x [top, bottom) is not black.
bool AnyDrawn(PictureRef picture, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (!(PicturePixel(picture, x, y) == kBlack)) return true;
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
    std::vector<RGBColor> Pixels() {
        std::vector<RGBColor> pixels;
        for (int i = 0; i < 64 * 48; ++i)
            pixels.push_back(At(i % 64, i / 64));
        return pixels;
    }
    PictureRef picture = nullptr;
};

TEST_F(PlatformDrawing, ShapesCoverLeftToRightMinusOne) {
    // Pen, fill, ellipse; the outline of a box is drawn, the right and bottom
    // edges exclusive; an ellipse leaves the box's corner.
    const int cases[][3] = {{1, 0, 0}, {0, 1, 0}, {1, 1, 1}};
    for (const auto& [pen, fill, ellipse] : cases) {
        SCOPED_TRACE(testing::Message() << pen << fill << ellipse);
        SetPenBrush(kBlack, 0, true);
        Rectangle(0, 0, 64, 48);
        SetPenBrush(kWhite, pen, fill != 0);
        (ellipse ? Ellipse : Rectangle)(10, 10, 31, 21);
        EXPECT_TRUE(At(10, 15) == kWhite && At(30, 15) == kWhite && At(20, 10) == kWhite &&
                    At(20, 20) == kWhite);
        EXPECT_FALSE(AnyDrawn(picture, 0, 0, 64, 10) || AnyDrawn(picture, 0, 21, 64, 48) ||
                     AnyDrawn(picture, 0, 0, 10, 48) || AnyDrawn(picture, 31, 0, 64, 48));
        EXPECT_EQ(At(20, 15), fill ? kWhite : kBlack);
        EXPECT_EQ(At(10, 10), ellipse ? kBlack : kWhite);
    }
    // An inverted box, a degenerate polygon, a zero pen draw nothing.
    SetPenBrush(kBlack, 0, true);
    Rectangle(0, 0, 64, 48);
    SetPenBrush(kWhite, 1, true);
    Rectangle(9, 9, 5, 5);
    Polygon(nullptr, 4);
    SetPenBrush(kWhite, 0, false);
    Line(0, 0, 40, 40);
    EXPECT_FALSE(AnyDrawn(picture, 0, 0, 64, 48));
    // A polygon's outline includes the closing edge and every corner.
    Point square[4] = {{30, 30}, {40, 30}, {40, 40}, {30, 40}};
    SetPenBrush(kRed, 1, false);
    Polygon(square, 4);
    EXPECT_TRUE(At(30, 35) == kRed && At(40, 40) == kRed && At(35, 35) == kBlack);
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
        std::vector<RGBColor> before = Pixels();
        Point triangle[3] = {{2, 20}, {20, 40}, {2, 40}};
        auto draw = [&] {
            SetPenBrush(kWhite, 1, false);
            Line(3, 3, 60, 44);
            Rectangle(30, 2, 50, 12);
            Polygon(triangle, 3);
            Pixel(62, 2);
            SetPenBrush(kWhite, 1, true);
            Ellipse(40, 34, 51, 45);
        };
        draw();
        // Corners and ends where strokes meet are inverted once, not twice.
        for (auto [x, y] : {std::pair{3, 3}, {49, 11}, {20, 40}, {62, 2}})
            EXPECT_TRUE(smooth || !(At(x, y) == before[y * 64 + x])) << x << "," << y;
        draw();
        EXPECT_TRUE(Pixels() == before) << "XOR drawing twice must restore the picture";
        SetXorMode(false);
    }
}

TEST_F(PlatformDrawing, ClipsAndStretchedCopies) {
    SetPenBrush(kWhite, 0, true);
    ClipTo({10, 10, 20, 20});
    Rectangle(0, 0, 64, 48);
    EXPECT_TRUE(At(10, 10) == kWhite && At(19, 19) == kWhite);
    EXPECT_TRUE(At(20, 15) == kBlack && At(15, 9) == kBlack) << "clip right is exclusive";
    RemoveClip();
    Rectangle(0, 0, 64, 48);
    // A picture copied into a box is stretched to fill it exactly.
    PictureRef source = CreatePicture(2, 2);
    Rect destination{20, 20, 24, 24};
    DrawPicture(source, &destination);
    EXPECT_TRUE(At(23, 23) == kBlack && At(24, 23) == kWhite && At(23, 24) == kWhite);
    DeletePicture(source);
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
    for (auto [name, magic] : {std::pair{"/sky.PNG", "\x89PNG"}, {"/sky.bmp", "BM"}}) {
        ASSERT_TRUE(SavePicture(picture, dir + name)) << name;
        EXPECT_TRUE(bytes(dir + name).startsWith(magic)) << name;
        QImage image(QString::fromStdString(dir + name));
        EXPECT_EQ(image.size(), QSize(64, 48)) << name;
        EXPECT_TRUE(image.pixelColor(3, 3) == QColor(255, 0, 0) &&
                    image.pixelColor(20, 20) == QColor(0, 0, 0))
            << name;
    }
    // Another extension, a missing folder or no picture: nothing is written.
    EXPECT_FALSE(SavePicture(picture, dir + "/sky.jpg") || SavePicture(nullptr, dir + "/none.png"));
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

// Menu text turned red (element 7) keeps a greyed look, and comes back whole.
TEST_F(PlatformDrawing, RedMenuTextStillShowsGreyedItems) {
    const QPalette before = QApplication::palette();
    RGBColor saved;
    GetSystemColors(7, 1, &saved);
    const RGBColor red{200, 0, 0};
    SetSystemColors(7, 1, &red);
    EXPECT_NE(QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText),
              QColor(200, 0, 0));
    SetSystemColors(7, 1, &saved);
    EXPECT_EQ(QApplication::palette(), before);
}

} // namespace
