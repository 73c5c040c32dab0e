// The Draw menu, the Symbols & Grids dialog and the colour and font
// choosers: what each item toggles, how the dialog shows and reads back the
// display options, and the chosen colours and font in the next drawing.

#include "ChartTestSupport.h"

#include "chart/DrawCommands.h"
#include "chart/Overlays.h"

namespace {

using namespace chart_test;

constexpr int kDrawMenu = 260;
constexpr int kCustomColorsMenu = 42;
constexpr int kChartFontItem = 22;
constexpr double kHour = 0.26179938781323336;
constexpr double kDialogDegree = 0.01745329252; // as the dialog converts

int gMenuUpdates = 0;

class DrawCommandsTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        setDisplayOptionsDefaults();
        gMenuUpdates = 0;
        setMenuStateUpdater([] { ++gMenuUpdates; });
    }
    // Runs the dialog with `edit` filling it, then presses `button`.
    static bool RunDialogWith(const std::function<void(WindowRef)>& edit, int button = kOKButton) {
        SetDialogResponder(kSymbolsAndGridsTemplate, edit, button);
        return RunSymbolsAndGridsDialog();
    }
    // A chart window looking south along the horizon, which crosses the
    // chart's middle row.
    static void OpenChart() {
        gViewer.latitude = 51.5 * kDegree;
        PrepareComputation();
        gChartView.coordinateSystem = kHorizon;
        gChartView.centerLongitude = 180.0 * kDegree;
        gChartView.centerLatitude = 0.0;
        WindowRef window = CreateChartWindow();
        ASSERT_NE(window, nullptr);
        ShowWindow(window);
        PumpMessages();
        RenderChart();
        ASSERT_NE(ChartPicture(), nullptr);
    }
    static RGBColor ChartPixel(int x, int y) { return PicturePixel(ChartPicture(), x, y); }
    // Pixels of a colour on the horizon's row, right of the "S" at the
    // centre and short of "SW".
    static int OnTheHorizon(RGBColor color) {
        int count = 0;
        for (int x = gFrame.centerX + 20; x < gFrame.centerX + 80; ++x)
            if (ChartPixel(x, gFrame.centerY) == color) ++count;
        return count;
    }
};

TEST_F(DrawCommandsTest, TogglesFlipTheirOptions) {
    DisplayOptions& o = gDisplayOptions;
    bool* flags[] = {&o.showStars,          &o.showPlanets,     &o.showDeepSkyObjects,
                     &o.showConstellations, &o.showChartLegend, &o.showObjectLabels,
                     &o.showGridLines,      &o.showHorizonMask, &o.showMouseCoordinates,
                     &o.showChartControls};
    for (int item = 1; item <= 10; ++item) {
        bool before = *flags[item - 1];
        gMenuUpdates = 0;
        EXPECT_EQ(DrawMenuCommand(kDrawMenu, item), 1);
        EXPECT_NE(*flags[item - 1], before) << "item " << item;
        EXPECT_EQ(gMenuUpdates, 1) << "item " << item;
        DrawMenuCommand(kDrawMenu, item);
        EXPECT_EQ(*flags[item - 1], before) << "item " << item << " twice";
    }
    DrawMenuCommand(kDrawMenu, 15);
    EXPECT_FALSE(o.automaticMagnitudeLimits);
    DrawMenuCommand(kDrawMenu, 19);
    EXPECT_FALSE(o.useColor);
    DrawMenuCommand(kDrawMenu, 19);
    // Red screen puts colour aside while it is on.
    DrawMenuCommand(kDrawMenu, 20);
    EXPECT_EQ(std::tuple(o.redScreen, o.useColor), std::tuple(true, false));
    DrawMenuCommand(kDrawMenu, 20);
    EXPECT_EQ(std::tuple(o.redScreen, o.useColor), std::tuple(false, true));
    for (int item = 1; item <= 3; ++item) {
        DrawMenuCommand(41, item);
        EXPECT_EQ(o.skyBackground, item);
    }
    // Items that are not commands change nothing.
    DisplayOptions before = o;
    DrawMenuCommand(kDrawMenu, 11);
    DrawMenuCommand(kDrawMenu, 16);
    EXPECT_EQ(o.showStars, before.showStars);
    EXPECT_EQ(o.skyBackground, before.skyBackground);
    EXPECT_FALSE(DrawMenuHandles(kDrawMenu, 11));
    EXPECT_FALSE(DrawMenuHandles(259, 1));

    // Fainter Limits, then Brighter Limits twice.
    DrawMenuCommand(kDrawMenu, 13);
    EXPECT_EQ(o.faintestStarMagnitude, 650);
    DrawMenuCommand(kDrawMenu, 14);
    DrawMenuCommand(kDrawMenu, 14);
    EXPECT_EQ(o.faintestStarMagnitude, 450);
}

TEST_F(DrawCommandsTest, DialogShowsTheOptions) {
    DisplayOptions& o = gDisplayOptions;
    o.showLargeStars = true;
    o.showPlanetSymbols = false;
    o.faintestPlanetLabelMagnitude = kNoLimit;
    o.gridRAInterval = (1.0 + 59.7 / 60.0) * kHour; // the minutes round up to the next hour
    o.gridDecInterval = 12.5 * kDialogDegree;
    o.planetMagnification = 3.0;
    std::string texts[64];
    long values[64] = {};
    EXPECT_FALSE(RunDialogWith(
        [&](WindowRef dialog) {
            for (int control = 1; control <= 55; ++control) {
                texts[control] = GetItemText(dialog, control);
                values[control] = GetItemValue(dialog, control);
            }
        },
        kCancelButton));
    // No limit shows as an empty field.
    const std::pair<int, const char*> shown[] = {
        {9, "0.5"},   {11, "5.5"}, {13, "3.5"},   {23, "8.5"},   {25, ""},
        {32, "6.5"},  {34, "7.5"}, {36, "9.5"},   {38, "9.5"},   {40, "9.5"},
        {42, "10.5"}, {21, "3"},   {50, "02 00"}, {52, "12 30"}, {54, "72"}};
    for (auto [control, text] : shown)
        EXPECT_EQ(texts[control], text) << "control " << control;
    for (int control : {3, 4, 5, 14, 15, 26, 27, 28, 29, 30, 47, 48, 55, 18})
        EXPECT_EQ(values[control], 1) << "check box " << control;
    for (int control : {6, 7, 43, 44, 45, 46, 19})
        EXPECT_EQ(values[control], 0) << "check box " << control;
}

TEST_F(DrawCommandsTest, DialogReadsEverythingBack) {
    ASSERT_TRUE(RunDialogWith([](WindowRef dialog) {
        // Clicks toggle the boxes and move the radio pair.
        for (int control : {3, 6, 28, 44, 18})
            PressButton(dialog, control);
        EXPECT_EQ(GetItemValue(dialog, 19), 0) << "18 and 19 are one radio pair";
        const std::pair<int, const char*> typed[] = {
            {9, "1.25"},  {11, "6.3"}, {13, ""},  {23, "12"},   {25, " "},    {32, "7.257"},
            {40, "-1.5"}, {42, ""},    {21, "5"}, {50, "1 30"}, {52, "5 15"}, {54, "36"}};
        for (auto [control, text] : typed)
            SetItemText(dialog, control, text);
    }));
    const DisplayOptions& o = gDisplayOptions;
    EXPECT_FALSE(o.showStars);
    EXPECT_TRUE(o.showMultipleStars);
    EXPECT_FALSE(o.showConstellationBoundaries);
    EXPECT_TRUE(o.showEquator);
    EXPECT_TRUE(o.showStarColors) << "untouched boxes keep their state";
    EXPECT_FALSE(o.showPlanetSymbols);
    EXPECT_EQ(o.brightestStarMagnitude, 125);
    EXPECT_EQ(o.faintestStarMagnitude, 630) << "6.3 is 630 hundredths, not 629";
    EXPECT_EQ(o.faintestStarLabelMagnitude, kNoLimit);
    EXPECT_EQ(o.faintestPlanetMagnitude, 1200);
    EXPECT_EQ(o.faintestPlanetLabelMagnitude, kNoLimit);
    EXPECT_EQ(TypeLimit(61), 725) << "truncated to hundredths";
    EXPECT_EQ(TypeLimit(62), 750);
    EXPECT_EQ(TypeLimit(65), -150);
    EXPECT_EQ(o.faintestDeepSkyLabelMagnitude, kNoLimit);
    EXPECT_DOUBLE_EQ(o.planetMagnification, 5.0);
    EXPECT_DOUBLE_EQ(o.gridRAInterval, 1.5 * kHour);
    EXPECT_DOUBLE_EQ(o.gridDecInterval, 5.25 * kDialogDegree);
    EXPECT_EQ(o.gridSegmentsPerCircle, 36);
}

TEST_F(DrawCommandsTest, DialogRejectsUnusableNumbers) {
    ASSERT_TRUE(RunDialogWith([](WindowRef dialog) {
        SetItemText(dialog, 9, "bright"); // keeps 0.50
        SetItemText(dialog, 11, "");      // keeps 5.50
        SetItemText(dialog, 34, "dim");   // unreadable: no limit
        SetItemText(dialog, 36, "400");   // beyond 16 bits: held inside them
        SetItemText(dialog, 21, "0");     // magnification must be positive
        SetItemText(dialog, 50, "0 0");
        SetItemText(dialog, 52, "-3 10");
        SetItemText(dialog, 54, "1"); // a meridian needs two segments
    }));
    const DisplayOptions& o = gDisplayOptions;
    EXPECT_EQ(o.brightestStarMagnitude, 50);
    EXPECT_EQ(o.faintestStarMagnitude, 550);
    EXPECT_EQ(TypeLimit(62), kNoLimit);
    EXPECT_EQ(TypeLimit(63), 32766);
    EXPECT_DOUBLE_EQ(o.planetMagnification, 1.0);
    EXPECT_DOUBLE_EQ(o.gridRAInterval, 0.004363323130220556) << "one minute of right ascension";
    EXPECT_DOUBLE_EQ(o.gridDecInterval, 0.0002908882086813704) << "one arcminute";
    EXPECT_EQ(o.gridSegmentsPerCircle, 72);
    ASSERT_TRUE(RunDialogWith([](WindowRef dialog) {
        SetItemText(dialog, 50, "");
        SetItemText(dialog, 52, "nan");
        SetItemText(dialog, 54, "many");
    }));
    EXPECT_DOUBLE_EQ(o.gridRAInterval, 0.004363323130220556);
    EXPECT_DOUBLE_EQ(o.gridDecInterval, 0.0002908882086813704);
    EXPECT_EQ(o.gridSegmentsPerCircle, 72);
}

TEST_F(DrawCommandsTest, CancelChangesNothingAndOKRedraws) {
    const DisplayOptions& o = gDisplayOptions;
    for (int button : {kCancelButton, kOKButton}) {
        SetDialogResponder(
            kSymbolsAndGridsTemplate,
            [](WindowRef dialog) {
                SetItemValue(dialog, 3, 0);
                SetItemText(dialog, 11, "9.0");
                SetItemText(dialog, 54, "12");
            },
            button);
        DrawMenuCommand(kDrawMenu, 12);
        const bool ok = button == kOKButton;
        EXPECT_EQ(std::tuple(o.showStars, o.faintestStarMagnitude, o.gridSegmentsPerCircle),
                  ok ? std::tuple(false, 900, 12) : std::tuple(true, 550, 72));
        EXPECT_EQ(gMenuUpdates, ok ? 1 : 0) << "a redraw after OK only";
    }
}

// ---------------------------------------------------------------------------
// Choosers

TEST_F(DrawCommandsTest, EachColourItemStartsFromItsSlotAndOKStoresTheChoice) {
    DisplayOptions& o = gDisplayOptions;
    // Distinct colours in every slot, so that each item is seen to start
    // from its own; separators (4, 7, 13) and items beyond open nothing.
    for (int slot = 1; slot <= 18; ++slot)
        o.colors[slot] = RGBColor{static_cast<std::uint8_t>(slot * 10), 7, 200};
    int calls = 0;
    RGBColor offered{};
    for (int item = 0; item <= 19; ++item) {
        SCOPED_TRACE("Custom Colors item " + std::to_string(item));
        const bool isColor = item >= 1 && item <= 18 && item != 4 && item != 7 && item != 13;
        EXPECT_EQ(DrawMenuHandles(kCustomColorsMenu, item), isColor);
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
        ASSERT_EQ(calls, isColor ? 1 : 0);
        if (isColor) {
            EXPECT_EQ(offered, before.colors[item]) << "offered " << Show(offered);
            before.colors[item] = chosen;
        }
        for (int slot = 0; slot < kColorSlots; ++slot)
            EXPECT_EQ(o.colors[slot], before.colors[slot]) << "slot " << slot;
    }
}

TEST_F(DrawCommandsTest, ChosenColoursShowInTheNextDrawingAndCancelKeepsThem) {
    OpenChart();
    DisplayOptions& o = gDisplayOptions;
    const RGBColor red = o.colors[kHorizonColor];
    ASSERT_EQ(red, (RGBColor{255, 0, 0}));
    EXPECT_GT(OnTheHorizon(red), 50) << "the horizon in its default colour";

    // The chooser edits its copy, then cancels or accepts.
    RGBColor chosen{};
    bool accept = false;
    SetColorChooserResponder([&](RGBColor& color) {
        color = chosen;
        return accept;
    });
    const DisplayOptions before = o;
    chosen = RGBColor{1, 2, 3};
    for (int item = 1; item <= 18; ++item)
        DrawMenuCommand(kCustomColorsMenu, item);
    for (int slot = 0; slot < kColorSlots; ++slot)
        EXPECT_EQ(o.colors[slot], before.colors[slot]) << "slot " << slot;

    accept = true;
    chosen = RGBColor{0, 160, 150};
    DrawMenuCommand(kCustomColorsMenu, kHorizonColor);
    EXPECT_GT(OnTheHorizon(chosen), 50) << "re-rendered with the chosen colour";
    EXPECT_EQ(OnTheHorizon(red), 0);

    // The sky colour of the hour, with the Color background.
    DrawMenuCommand(41, kSkyColor);
    const RGBColor sky = chosen = RGBColor{40, 0, 90};
    EXPECT_NE(ChartPixel(3, 3), sky);
    DrawMenuCommand(kCustomColorsMenu, SkyColorSlot());
    EXPECT_EQ(ChartPixel(3, 3), sky) << Show(ChartPixel(3, 3));
    EXPECT_EQ(ChartPixel(gFrame.centerX, gFrame.top + 5), sky);
}

TEST_F(DrawCommandsTest, FontChooserStartsFromTheChartFontAndSetsTheLegendHeight) {
    OpenChart();
    DisplayOptions& o = gDisplayOptions;
    const int defaultHeight = LegendHeight();
    int pictureWidth = 0, pictureHeight = 0;
    PictureSize(ChartPicture(), &pictureWidth, &pictureHeight);
    EXPECT_EQ(gFrame.bottom, pictureHeight - defaultHeight);

    // Each answer: what the chooser was offered, and what it hands back.
    struct Answer {
        std::string face;
        int size, style;
        bool ok;
    };
    Answer offered{};
    auto answer = [&](Answer reply) {
        SetFontChooserResponder([&offered, reply](std::string& face, int& size, int& style) {
            offered = {face, size, style, true};
            face = reply.face;
            size = reply.size;
            style = reply.style;
            return reply.ok;
        });
        DrawMenuCommand(kDrawMenu, kChartFontItem);
    };
    // Cancel: nothing changes, whatever the chooser did to its copy.
    answer({"Courier", 40, FontItalic, false});
    EXPECT_EQ(std::tuple(offered.face, offered.size, offered.style), std::tuple("Arial", 14, 0));
    EXPECT_EQ(std::tuple(o.fontFace, o.fontSize, o.fontStyle), std::tuple("Arial", 14, 0));
    EXPECT_EQ(LegendHeight(), defaultHeight);

    // OK: a bigger bold font; the band grows and the chart above it shrinks.
    answer({"Liberation Serif", 28, FontBold, true});
    EXPECT_EQ(offered.face, "Arial") << "starts from the chart font, not the cancelled choice";
    EXPECT_EQ(std::tuple(o.fontFace, o.fontSize, o.fontStyle),
              std::tuple("Liberation Serif", 28, FontBold));
    const int bigHeight = LegendHeight();
    EXPECT_GT(bigHeight, defaultHeight + 4 * 8) << "four rows, each some 14 points taller";
    EXPECT_EQ(gFrame.bottom, pictureHeight - bigHeight) << "re-rendered with the new font";
    EXPECT_EQ(ChartPixel(gFrame.centerX, pictureHeight - bigHeight), ForegroundColor())
        << "the band's top edge moved up";

    answer({"", 0, 0, false});
    EXPECT_EQ(std::tuple(offered.face, offered.size, offered.style),
              std::tuple("Liberation Serif", 28, FontBold))
        << "the next time it starts from the new font";
    EXPECT_EQ(LegendHeight(), bigHeight);
}

} // namespace
