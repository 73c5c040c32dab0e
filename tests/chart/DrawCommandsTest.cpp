// The Draw menu and the Symbols & Grids dialog: which items act, what each
// toggles, and how the dialog shows and reads back the display options.

#include "chart/DrawCommands.h"

#include "chart/DisplayOptions.h"
#include "chart/Render.h"
#include "chart/ViewCommands.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr int kDrawMenu = 260;
constexpr double kHour = 0.26179938781323336;
constexpr double kDegree = 0.01745329252;

int gMenuUpdates = 0;
void CountMenuUpdate() {
    ++gMenuUpdates;
}

class DrawCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        setDisplayOptionsDefaults();
        gMenuUpdates = 0;
        setMenuStateUpdater(CountMenuUpdate);
    }
    void TearDown() override {
        ClearDialogResponders();
        setMenuStateUpdater(nullptr);
        setDisplayOptionsDefaults();
        RenderChart(); // puts the red screen away if a case turned it on
        setDisplayOptionsDefaults();
    }

    // Runs the dialog with `edit` filling it, then presses `button`.
    static bool RunDialogWith(const std::function<void(WindowRef)>& edit, int button = kOKButton) {
        SetDialogResponder(kSymbolsAndGridsTemplate, edit, button);
        return RunSymbolsAndGridsDialog();
    }
};

TEST_F(DrawCommandsTest, HandledItems) {
    for (int item = 1; item <= 23; ++item) {
        bool expected = (item >= 1 && item <= 10) || (item >= 12 && item <= 15) || item == 19 ||
                        item == 20 || item == 22;
        EXPECT_EQ(DrawMenuHandles(kDrawMenu, item), expected) << "Draw item " << item;
    }
    for (int item = 0; item <= 4; ++item)
        EXPECT_EQ(DrawMenuHandles(41, item), item >= 1 && item <= 3) << "Sky Background " << item;
    for (int item = 0; item <= 19; ++item) {
        bool expected = item >= 1 && item <= 18 && item != 4 && item != 7 && item != 13;
        EXPECT_EQ(DrawMenuHandles(42, item), expected) << "Custom Colors " << item;
    }
    EXPECT_FALSE(DrawMenuHandles(259, 1));
}

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
    EXPECT_TRUE(o.useColor);

    // Red screen puts colour aside while it is on.
    DrawMenuCommand(kDrawMenu, 20);
    EXPECT_TRUE(o.redScreen);
    EXPECT_FALSE(o.useColor);
    DrawMenuCommand(kDrawMenu, 20);
    EXPECT_FALSE(o.redScreen);
    EXPECT_TRUE(o.useColor);

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
}

TEST_F(DrawCommandsTest, FainterAndBrighterLimits) {
    DisplayOptions& o = gDisplayOptions;
    o.faintestStarLabelMagnitude = kNoLimit;
    DrawMenuCommand(kDrawMenu, 13);
    EXPECT_EQ(o.brightestStarMagnitude, 150);
    EXPECT_EQ(o.faintestStarMagnitude, 650);
    EXPECT_EQ(TypeLimit(65), 1050);
    EXPECT_EQ(o.faintestStarLabelMagnitude, kNoLimit) << "F3 leaves a blank label limit blank";
    DrawMenuCommand(kDrawMenu, 14);
    DrawMenuCommand(kDrawMenu, 14);
    EXPECT_EQ(o.faintestStarMagnitude, 450);
    EXPECT_EQ(o.faintestDeepSkyLabelMagnitude, 950);
}

TEST_F(DrawCommandsTest, DialogShowsTheOptions) {
    DisplayOptions& o = gDisplayOptions;
    o.showLargeStars = true;
    o.showPlanetSymbols = false;
    o.faintestPlanetLabelMagnitude = kNoLimit;
    o.gridRAInterval = (1.0 + 59.7 / 60.0) * kHour; // the minutes round up to the next hour
    o.gridDecInterval = 12.5 * kDegree;
    o.planetMagnification = 3.0;
    std::string texts[64];
    long values[64] = {};
    bool allThere = true;
    EXPECT_FALSE(RunDialogWith(
        [&](WindowRef dialog) {
            for (int control = 1; control <= 55; ++control) {
                texts[control] = GetItemText(dialog, control);
                values[control] = GetItemValue(dialog, control);
            }
            for (int control :
                 {1,  2,  3,  4,  5,  6,  7,  9,  11, 13, 14, 15, 18, 19, 21, 23, 25, 26, 27,
                  28, 29, 30, 32, 34, 36, 38, 40, 42, 43, 44, 45, 46, 47, 48, 50, 52, 54, 55})
                if (!ItemExists(dialog, control)) {
                    allThere = false;
                    ADD_FAILURE() << "no control " << control;
                }
        },
        kCancelButton));
    EXPECT_TRUE(allThere);
    EXPECT_EQ(texts[9], "0.5");
    EXPECT_EQ(texts[11], "5.5");
    EXPECT_EQ(texts[13], "3.5");
    EXPECT_EQ(texts[23], "8.5");
    EXPECT_EQ(texts[25], "") << "no limit shows as an empty field";
    EXPECT_EQ(texts[32], "6.5");
    EXPECT_EQ(texts[34], "7.5");
    EXPECT_EQ(texts[36], "9.5");
    EXPECT_EQ(texts[38], "9.5");
    EXPECT_EQ(texts[40], "9.5");
    EXPECT_EQ(texts[42], "10.5");
    EXPECT_EQ(texts[21], "3");
    EXPECT_EQ(texts[50], "02 00");
    EXPECT_EQ(texts[52], "12 30");
    EXPECT_EQ(texts[54], "72");
    const int checked[] = {3, 4, 5, 14, 15, 26, 27, 28, 29, 30, 47, 48, 55};
    const int unchecked[] = {6, 7, 43, 44, 45, 46};
    for (int control : checked)
        EXPECT_EQ(values[control], 1) << "check box " << control;
    for (int control : unchecked)
        EXPECT_EQ(values[control], 0) << "check box " << control;
    EXPECT_EQ(values[18], 1) << "small bodies as stars";
    EXPECT_EQ(values[19], 0);
}

TEST_F(DrawCommandsTest, DialogReadsEverythingBack) {
    ASSERT_TRUE(RunDialogWith([](WindowRef dialog) {
        // Clicks toggle the boxes and move the radio pair.
        PressButton(dialog, 3);  // stars off
        PressButton(dialog, 6);  // multiple-star symbols on
        PressButton(dialog, 28); // boundaries off
        PressButton(dialog, 44); // equator on
        PressButton(dialog, 18); // small bodies as stars
        EXPECT_EQ(GetItemValue(dialog, 19), 0) << "18 and 19 are one radio pair";
        SetItemText(dialog, 9, "1.25");
        SetItemText(dialog, 11, "6.3");
        SetItemText(dialog, 13, "");   // star labels: none
        SetItemText(dialog, 23, "12"); // planets
        SetItemText(dialog, 25, " ");  // planet labels: none
        SetItemText(dialog, 32, "7.257");
        SetItemText(dialog, 40, "-1.5");
        SetItemText(dialog, 42, "");
        SetItemText(dialog, 21, "5");
        SetItemText(dialog, 50, "1 30");
        SetItemText(dialog, 52, "5 15");
        SetItemText(dialog, 54, "36");
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
    EXPECT_DOUBLE_EQ(o.gridDecInterval, 5.25 * kDegree);
    EXPECT_EQ(o.gridSegmentsPerCircle, 36);

    // A blank label limit then survives Fainter Limits.
    DrawMenuCommand(kDrawMenu, 13);
    EXPECT_EQ(o.faintestStarLabelMagnitude, kNoLimit);
    EXPECT_EQ(o.faintestStarMagnitude, 730);
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

TEST_F(DrawCommandsTest, CancelChangesNothing) {
    EXPECT_FALSE(RunDialogWith(
        [](WindowRef dialog) {
            SetItemValue(dialog, 3, 0);
            SetItemText(dialog, 11, "9.0");
            SetItemText(dialog, 13, "");
            SetItemText(dialog, 54, "12");
        },
        kCancelButton));
    const DisplayOptions& o = gDisplayOptions;
    EXPECT_TRUE(o.showStars);
    EXPECT_EQ(o.faintestStarMagnitude, 550);
    EXPECT_EQ(o.faintestStarLabelMagnitude, 350);
    EXPECT_EQ(o.gridSegmentsPerCircle, 72);
}

TEST_F(DrawCommandsTest, SymbolsAndGridsItemRedrawsOnOK) {
    SetDialogResponder(
        kSymbolsAndGridsTemplate, [](WindowRef dialog) { SetItemValue(dialog, 43, 1); }, kOKButton);
    DrawMenuCommand(kDrawMenu, 12);
    EXPECT_TRUE(gDisplayOptions.showGridLines);
    EXPECT_EQ(gMenuUpdates, 1);
    SetDialogResponder(
        kSymbolsAndGridsTemplate, [](WindowRef dialog) { SetItemValue(dialog, 43, 0); },
        kCancelButton);
    DrawMenuCommand(kDrawMenu, 12);
    EXPECT_TRUE(gDisplayOptions.showGridLines);
    EXPECT_EQ(gMenuUpdates, 1) << "Cancel: no redraw";
}

} // namespace
