// The Draw menu's colour and font choosers, answered through the platform's
// chooser hooks: each Custom Colors item edits its own slot starting from
// the slot's colour, OK shows the new colour in the next drawing, Cancel
// changes nothing; the chart font chooser sets the font and with it the
// legend's height.

#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/DrawCommands.h"
#include "chart/Overlays.h"
#include "chart/Projection.h"
#include "chart/Render.h"
#include "shell/Platform.h"
#include "tests/data/ComputationTestBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using computation_test::kDegree;

constexpr int kDrawMenu = 260;
constexpr int kCustomColorsMenu = 42;
constexpr int kChartFontItem = 22;

std::string Show(RGBColor c) {
    return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " +
           std::to_string(c.blue) + ")";
}

bool IsColorItem(int item) {
    return item >= 1 && item <= 18 && item != 4 && item != 7 && item != 13;
}

class ChoosersTest : public computation_test::ComputationTest {
protected:
    void SetUp() override {
        ComputationTest::SetUp();
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        gViewer.latitude = 51.5 * kDegree;
        PrepareComputation();
        // Looking south along the horizon: it crosses the chart's middle row.
        gChartView.coordinateSystem = kHorizon;
        gChartView.centerLongitude = 180.0 * kDegree;
        gChartView.centerLatitude = 0.0;
        window_ = CreateChartWindow();
        ASSERT_NE(window_, nullptr);
        ShowWindow(window_);
        PumpMessages();
    }
    void TearDown() override {
        ResetPlatform(); // the chart window and the chooser hooks
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        RenderChart();
        setDisplayOptionsDefaults();
        // The base class counts the messages its responder answered.
        SetMessageResponder([this](const MessageRecord&) {
            ++messages;
            return static_cast<int>(AnswerOK);
        });
        ComputationTest::TearDown();
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
    }

    static RGBColor ChartPixel(int x, int y) { return PicturePixel(ChartPicture(), x, y); }
    static void PictureHeight(int* height) {
        int width = 0;
        PictureSize(ChartPicture(), &width, height);
    }
    // Pixels of a colour on the horizon's row, right of the "S" at the centre
    // and short of "SW".
    static int OnTheHorizon(RGBColor color) {
        int count = 0;
        for (int x = gFrame.centerX + 20; x < gFrame.centerX + 80; ++x)
            if (ChartPixel(x, gFrame.centerY) == color) ++count;
        return count;
    }

    WindowRef window_ = nullptr;
};

TEST_F(ChoosersTest, EachColourItemStartsFromItsSlotAndOKStoresTheChoice) {
    DisplayOptions& o = gDisplayOptions;
    // Distinct colours in every slot, so that each item is seen to start
    // from its own.
    for (int slot = 1; slot <= 18; ++slot)
        o.colors[slot] = RGBColor{static_cast<std::uint8_t>(slot * 10), 7, 200};
    int calls = 0;
    RGBColor offered{};
    for (int item = 0; item <= 19; ++item) {
        SCOPED_TRACE("Custom Colors item " + std::to_string(item));
        const RGBColor chosen{static_cast<std::uint8_t>(item * 13 + 1), 99, 33};
        SetColorChooserResponder([&](RGBColor& color) {
            ++calls;
            offered = color;
            color = chosen;
            return true;
        });
        DisplayOptions before = o;
        calls = 0;
        EXPECT_EQ(DrawMenuCommand(kCustomColorsMenu, item), 1);
        if (!IsColorItem(item)) {
            EXPECT_EQ(calls, 0) << "a separator or no item opens no chooser";
            for (int slot = 0; slot < kColorSlots; ++slot)
                EXPECT_EQ(o.colors[slot], before.colors[slot]) << "slot " << slot;
            continue;
        }
        ASSERT_EQ(calls, 1);
        EXPECT_EQ(offered, before.colors[item]) << "offered " << Show(offered);
        EXPECT_EQ(o.colors[item], chosen);
        for (int slot = 0; slot < kColorSlots; ++slot)
            if (slot != item) {
                EXPECT_EQ(o.colors[slot], before.colors[slot]) << "slot " << slot;
            }
    }
}

TEST_F(ChoosersTest, CancelLeavesEveryColourAsItWas) {
    DisplayOptions& o = gDisplayOptions;
    RenderChart();
    const int redPixels = OnTheHorizon(o.colors[kHorizonColor]);
    int calls = 0;
    SetColorChooserResponder([&](RGBColor& color) {
        ++calls;
        color = RGBColor{1, 2, 3}; // edited, then cancelled
        return false;
    });
    const DisplayOptions before = o;
    for (int item = 1; item <= 18; ++item)
        DrawMenuCommand(kCustomColorsMenu, item);
    EXPECT_EQ(calls, 15);
    for (int slot = 0; slot < kColorSlots; ++slot)
        EXPECT_EQ(o.colors[slot], before.colors[slot]) << "slot " << slot;
    RenderChart();
    EXPECT_EQ(OnTheHorizon(before.colors[kHorizonColor]), redPixels);
    EXPECT_EQ(OnTheHorizon(RGBColor{1, 2, 3}), 0);
}

TEST_F(ChoosersTest, ChosenColoursShowInTheNextDrawing) {
    DisplayOptions& o = gDisplayOptions;
    RenderChart();
    ASSERT_NE(ChartPicture(), nullptr);
    const RGBColor red = o.colors[kHorizonColor];
    ASSERT_EQ(red, (RGBColor{255, 0, 0}));
    EXPECT_GT(OnTheHorizon(red), 50) << "the horizon in its default colour";

    const RGBColor teal{0, 160, 150};
    SetColorChooserResponder([&](RGBColor& color) {
        color = teal;
        return true;
    });
    DrawMenuCommand(kCustomColorsMenu, kHorizonColor);
    EXPECT_GT(OnTheHorizon(teal), 50) << "re-rendered with the chosen colour";
    EXPECT_EQ(OnTheHorizon(red), 0);

    // The sky colour of the hour, with the Color background.
    DrawMenuCommand(41, kSkyColor);
    const int slot = SkyColorSlot();
    const RGBColor sky{40, 0, 90};
    SetColorChooserResponder([&](RGBColor& color) {
        color = sky;
        return true;
    });
    EXPECT_NE(ChartPixel(3, 3), sky);
    DrawMenuCommand(kCustomColorsMenu, slot);
    EXPECT_EQ(ChartPixel(3, 3), sky) << Show(ChartPixel(3, 3));
    EXPECT_EQ(ChartPixel(gFrame.centerX, gFrame.top + 5), sky);
}

TEST_F(ChoosersTest, FontChooserStartsFromTheChartFontAndSetsTheLegendHeight) {
    DisplayOptions& o = gDisplayOptions;
    RenderChart();
    const int defaultHeight = LegendHeight();
    int pictureHeight = 0;
    PictureHeight(&pictureHeight);
    EXPECT_EQ(gFrame.bottom, pictureHeight - defaultHeight);

    // Cancel: nothing changes, whatever the chooser did to its copy.
    std::string offeredFace;
    int offeredSize = 0, offeredStyle = -1, calls = 0;
    SetFontChooserResponder([&](std::string& face, int& size, int& style) {
        ++calls;
        offeredFace = face;
        offeredSize = size;
        offeredStyle = style;
        face = "Courier";
        size = 40;
        style = FontItalic;
        return false;
    });
    DrawMenuCommand(kDrawMenu, kChartFontItem);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(offeredFace, "Arial");
    EXPECT_EQ(offeredSize, 14);
    EXPECT_EQ(offeredStyle, 0);
    EXPECT_EQ(o.fontFace, "Arial");
    EXPECT_EQ(o.fontSize, 14);
    EXPECT_EQ(o.fontStyle, 0);
    EXPECT_EQ(LegendHeight(), defaultHeight);

    // OK: a bigger bold font; the legend band grows with it and the chart
    // above it shrinks.
    SetFontChooserResponder([&](std::string& face, int& size, int& style) {
        ++calls;
        offeredFace = face;
        offeredSize = size;
        offeredStyle = style;
        face = "Liberation Serif";
        size = 28;
        style = FontBold;
        return true;
    });
    DrawMenuCommand(kDrawMenu, kChartFontItem);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(offeredFace, "Arial") << "starts from the chart font, not the cancelled choice";
    EXPECT_EQ(offeredSize, 14);
    EXPECT_EQ(o.fontFace, "Liberation Serif");
    EXPECT_EQ(o.fontSize, 28);
    EXPECT_EQ(o.fontStyle, FontBold);
    const int bigHeight = LegendHeight();
    EXPECT_GT(bigHeight, defaultHeight + 4 * 8) << "four rows, each some 14 points taller";
    EXPECT_EQ(gFrame.bottom, pictureHeight - bigHeight) << "re-rendered with the new font";
    EXPECT_EQ(ChartPixel(gFrame.centerX, pictureHeight - bigHeight), ForegroundColor())
        << "the band's top edge moved up";

    // The next time the chooser starts from the new font.
    SetFontChooserResponder([&](std::string& face, int& size, int& style) {
        offeredFace = face;
        offeredSize = size;
        offeredStyle = style;
        return false;
    });
    DrawMenuCommand(kDrawMenu, kChartFontItem);
    EXPECT_EQ(offeredFace, "Liberation Serif");
    EXPECT_EQ(offeredSize, 28);
    EXPECT_EQ(offeredStyle, FontBold);
    EXPECT_EQ(LegendHeight(), bigHeight);
}

} // namespace
