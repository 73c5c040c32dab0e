// The Symbols & Grids dialog and the colour and font choosers: unusable
// numbers are refused, Cancel changes nothing, and the chosen colours and
// font show in the next drawing.

#include "ChartTestSupport.h"

#include "chart/DrawCommands.h"
#include "chart/Overlays.h"
#include "chart/ViewCommands.h"

namespace {

using namespace chart_test;

constexpr int kDrawMenu = 260;
constexpr int kCustomColorsMenu = 42;

class DrawCommandsTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        setDisplayOptionsDefaults(); // with the legend
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
            count += ChartPixel(x, gFrame.centerY) == color;
        return count;
    }
};

// A field that can't be used is named in a message and keeps the dialog open
// (a scripted dialog then ends as Cancel): nothing changes. The star limits
// and grid intervals keep their fallbacks, which are said.
TEST_F(DrawCommandsTest, DialogsRefuseUnusableNumbersNamingTheField) {
    DisplayOptions& o = gDisplayOptions;
    ChartView& v = gChartView;
    v.coordinateSystem = kHorizon;
    std::vector<MessageRecord> said;
    SetMessageResponder([&](const MessageRecord& m) {
        said.push_back(m);
        return AnswerOK;
    });
    auto state = [&] {
        return std::tuple(o.planetMagnification, o.gridSegmentsPerCircle, TypeLimit(62),
                          TypeLimit(63), v.zoomFactor, v.scrollRate, v.centerLatitude);
    };
    const auto before = state();
    constexpr int kSymbols = kSymbolsAndGridsTemplate, kField = 258, kCenter = 257;
    const struct {
        int templateNumber, control;
        const char *text, *field;
    } refused[] = {{kSymbols, 34, "dim", "globular cluster magnitude"},
                   {kSymbols, 36, "400", "diffuse nebula magnitude"},
                   {kSymbols, 21, "0", "planet magnification"},
                   {kSymbols, 54, "1", "segments per circle"},
                   {kField, 8, "0", "zoom factor"},
                   {kField, 10, "0", "scroll rate"},
                   {kCenter, 9, "abc", "azimuth"},
                   {kCenter, 11, "95", "altitude"}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.field);
        said.clear();
        SetDialogResponder(
            c.templateNumber, [&](WindowRef d) { SetItemText(d, c.control, c.text); }, kOKButton);
        if (c.templateNumber == kSymbols)
            DrawMenuCommand(kDrawMenu, 12);
        else
            ViewMenuCommand(259, c.templateNumber == kField ? 9 : 4);
        ASSERT_EQ(said.size(), 1u);
        EXPECT_EQ(said[0].number, 548);
        EXPECT_NE(said[0].text.find(std::string(c.field) + " \"" + c.text + "\""),
                  std::string::npos)
            << said[0].text;
        EXPECT_EQ(state(), before);
    }

    said.clear();
    const double interval = (1.0 + 59.7 / 60.0) * 0.26179938781323336;
    o.gridRAInterval = interval;
    SetDialogResponder(
        kSymbols,
        [](WindowRef d) {
            EXPECT_EQ(GetItemText(d, 50), "02 00") << "the minutes round up to the hour";
            const std::pair<int, const char*> typed[] = {
                {9, "bright"},                 // unreadable: kept, and said
                {11, "6.3"},                   // 630 hundredths, not 629
                {32, "7.257"},                 // truncated to hundredths
                {34, " "},                     // blank: no limit
                {50, "0 0"},   {52, "-3 10"}}; // not positive: the smallest interval, said
            for (auto [control, text] : typed)
                SetItemText(d, control, text);
        },
        kOKButton);
    DrawMenuCommand(kDrawMenu, 12);
    EXPECT_EQ(
        std::tuple(o.brightestStarMagnitude, o.faintestStarMagnitude, TypeLimit(61), TypeLimit(62)),
        std::tuple(50, 630, 725, kNoLimit));
    EXPECT_DOUBLE_EQ(o.gridRAInterval, 0.004363323130220556) << "one minute of R.A.";
    EXPECT_DOUBLE_EQ(o.gridDecInterval, 0.0002908882086813704) << "one arcminute";
    ASSERT_EQ(said.size(), 3u);
    for (const MessageRecord& m : said)
        EXPECT_EQ(m.number, 549) << m.text;
    SetMessageResponder(nullptr);
}

TEST_F(DrawCommandsTest, ChosenColoursShowInTheNextDrawingAndCancelKeepsThem) {
    OpenChart();
    DisplayOptions& o = gDisplayOptions;
    const RGBColor red = o.colors[kHorizonColor];
    EXPECT_GT(OnTheHorizon(red), 50) << "the horizon in its default colour";
    // The chooser edits its copy, then cancels or accepts.
    RGBColor offered{}, chosen{1, 2, 3};
    bool accept = false;
    SetColorChooserResponder([&](RGBColor& color) {
        offered = color;
        color = chosen;
        return accept;
    });
    const DisplayOptions before = o;
    for (int item = 1; item <= 18; ++item)
        DrawMenuCommand(kCustomColorsMenu, item);
    for (int slot = 0; slot < kColorSlots; ++slot)
        EXPECT_EQ(o.colors[slot], before.colors[slot]) << "slot " << slot;

    accept = true;
    chosen = RGBColor{0, 160, 150};
    DrawMenuCommand(kCustomColorsMenu, kHorizonColor);
    EXPECT_EQ(offered, red) << "the chooser starts from the item's own slot";
    EXPECT_GT(OnTheHorizon(chosen), 50) << "re-rendered with the chosen colour";
    EXPECT_EQ(OnTheHorizon(red), 0);
}

TEST_F(DrawCommandsTest, FontChooserStartsFromTheChartFontAndSetsTheLegendHeight) {
    OpenChart();
    const DisplayOptions& o = gDisplayOptions;
    const int defaultHeight = LegendHeight(), bottom = gFrame.bottom;
    std::string offered;
    auto answer = [&](std::string face, int size, int style, bool ok) {
        SetFontChooserResponder([&offered, face, size, style, ok](std::string& f, int& s, int& t) {
            offered = f + " " + std::to_string(s) + " " + std::to_string(t);
            std::tie(f, s, t) = std::tuple(face, size, style);
            return ok;
        });
        DrawMenuCommand(kDrawMenu, 22);
    };
    // Cancel: nothing changes, whatever the chooser did to its copy.
    answer("Courier", 40, FontItalic, false);
    EXPECT_EQ(offered, "Arial 14 0");
    EXPECT_EQ(std::tuple(o.fontFace, o.fontSize, o.fontStyle), std::tuple("Arial", 14, 0));
    EXPECT_EQ(LegendHeight(), defaultHeight);

    // OK: a bigger bold font; the band grows and the chart above it shrinks.
    answer("Liberation Serif", 28, FontBold, true);
    EXPECT_EQ(offered, "Arial 14 0") << "starts from the chart font, not the cancelled choice";
    EXPECT_EQ(std::tuple(o.fontFace, o.fontSize, o.fontStyle),
              std::tuple("Liberation Serif", 28, FontBold));
    const int bigHeight = LegendHeight();
    EXPECT_GT(bigHeight, defaultHeight + 4 * 8) << "four rows, each some 14 points taller";
    EXPECT_EQ(gFrame.bottom, bottom - (bigHeight - defaultHeight)) << "re-rendered";
    EXPECT_EQ(ChartPixel(gFrame.centerX, gFrame.bottom), ForegroundColor()) << "the band's top";
}

} // namespace
