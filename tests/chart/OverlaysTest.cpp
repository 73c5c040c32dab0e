// Overlays: the line primitive (clipping, the horizon mask, the projections'
// valid regions and the cylindrical seam), grid circles and their labels,
// the horizon's compass points, constellation lines from the store, and the
// legend band and its texts, drawn on offscreen pictures.

#include "chart/Overlays.h"

#include "ChartTestSupport.h"

#include "astro/CoordinateText.h"
#include "astro/TimeScales.h"

namespace {

using namespace chart_test;

constexpr RGBColor kMagenta{255, 0, 255};
constexpr int kWidth = 400;
constexpr int kHeight = 300;

void FrameDirection(int frame, double lon, double lat, std::int32_t out[3]) {
    Direction(lon, lat, out, frame);
}

// The altitude (radians) of the sky under a pixel.
double AltitudeAt(int x, int y) {
    Vector3 v;
    EXPECT_TRUE(UnprojectPoint(x, y, v));
    return std::asin(DotProduct(v, gFrame.zenith));
}

class OverlaysTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        gDisplayOptions.showGridLabels = false;
        gViewer.latitude = 40.0 * kDegree;
        picture = std::make_unique<Canvas>(kWidth, kHeight);
        Fill(kBlack);
        SetColor(kInk, 1, false);
    }
    // Drawing again after the picture was read.
    void Resume() { picture->Resume(); }
    void Fill(RGBColor color) {
        Resume();
        SetColor(color, 0, true);
        Rectangle(0, 0, kWidth, kHeight);
    }
    // The chart frame for a view of the whole picture (no legend).
    void Prepare(int system, int projection, double lon, double lat, double width) {
        gChartView.coordinateSystem = static_cast<std::int16_t>(system);
        gChartView.projection = static_cast<std::int16_t>(projection);
        gChartView.centerLongitude = lon;
        gChartView.centerLatitude = lat;
        gChartView.fieldWidth = width;
        PrepareComputation();
        PrepareChartFrame(Rect{0, 0, kWidth, kHeight}, ChartLegendHeight());
    }
    std::vector<Point> PixelsOf(RGBColor color) { return picture->PixelsOf(color); }
};

// ---------------------------------------------------------------------------
// Label texts and grid spacing

TEST(OverlayTexts, DeclinationLabels) {
    EXPECT_EQ(FormatDeclinationLabel(-80.0 * kDegree), "-80\xB0");
    EXPECT_EQ(FormatDeclinationLabel(35.5 * kDegree), "+35\xB0 30'");
    EXPECT_EQ(FormatDeclinationLabel(-0.5 * kDegree), "-00\xB0 30'");
    EXPECT_EQ(FormatDeclinationLabel(5.0 * kDegree + 0.3 / 60.0 * kDegree), "+05\xB0")
        << "minutes under a half are left out";
    EXPECT_EQ(FormatDeclinationLabel(10.0 * kDegree + 59.6 / 60.0 * kDegree), "+11\xB0")
        << "59.6' carries into the degrees";
    EXPECT_EQ(FormatDeclinationLabel(-(10.0 * kDegree + 59.4 / 60.0 * kDegree)), "-10\xB0 59'");
    EXPECT_EQ(FormatDeclinationLabel(-1e-12), "+00\xB0") << "the equator is never -00";
}

TEST(OverlayTexts, RightAscensionLabels) {
    // One and a half hours as the Symbols & Grids dialog stores it.
    const double interval = 1.5 * 0.26179938781323336;
    std::vector<double> meridians = GridRightAscensions(interval);
    ASSERT_EQ(meridians.size(), 16u);
    EXPECT_EQ(FormatRightAscensionLabel(meridians[0]), " 0h");
    EXPECT_EQ(FormatRightAscensionLabel(meridians[1]), " 1h 30m");
    EXPECT_EQ(FormatRightAscensionLabel(meridians[2]), " 3h");
    EXPECT_EQ(FormatRightAscensionLabel(meridians[15]), "22h 30m");
    // The same interval read from a settings file in degrees.
    meridians = GridRightAscensions(22.5 * 0.01745329252);
    ASSERT_EQ(meridians.size(), 16u);
    EXPECT_EQ(FormatRightAscensionLabel(meridians[2]), " 3h");

    const double hour = 0.26179938781323336;
    EXPECT_EQ(FormatRightAscensionLabel((23.0 + 59.6 / 60.0) * hour), " 0h")
        << "23h 59.6m rounds to the next hour, and 24h is 0h";
    EXPECT_EQ(FormatRightAscensionLabel((12.0 + 0.4 / 60.0) * hour), "12h");
    EXPECT_EQ(FormatRightAscensionLabel((9.0 + 59.4 / 60.0) * hour), " 9h 59m");
}

TEST(OverlayTexts, GridCircleCounts) {
    // Ten degrees as the defaults and the dialog make it, as the settings
    // file reads it, and exactly.
    for (double interval : {10.0 * 0.01745329252, 10.0 * 0.017453292520882225, 10.0 * kDegree}) {
        std::vector<double> circles = GridDeclinations(interval);
        ASSERT_EQ(circles.size(), 17u) << "interval " << interval;
        EXPECT_NEAR(circles.front(), -80.0 * kDegree, 1e-9);
        EXPECT_NEAR(circles.back(), 80.0 * kDegree, 1e-9);
        EXPECT_EQ(FormatDeclinationLabel(circles[8]), "+00\xB0");
    }
    EXPECT_EQ(GridRightAscensions(15.0 * 0.01745329252).size(), 24u);
    EXPECT_EQ(GridRightAscensions(0.26179938781323336).size(), 24u);

    // Intervals a settings file may hold that the dialog would not take.
    EXPECT_TRUE(GridDeclinations(0.0).empty());
    EXPECT_TRUE(GridDeclinations(-0.1).empty());
    EXPECT_TRUE(GridDeclinations(std::nan("")).empty());
    EXPECT_TRUE(GridRightAscensions(0.0).empty());
    EXPECT_EQ(GridDeclinations(1e-12).size(), GridDeclinations(0.0002908882086813704).size());
    EXPECT_EQ(GridRightAscensions(1e-12).size(), 1440u);
}

TEST(OverlayTexts, LegendTexts) {
    EXPECT_EQ(FormatViewerDistance(0.05), "7479894 km from");
    EXPECT_EQ(FormatViewerDistance(0.0), "0 km from");
    EXPECT_EQ(FormatViewerDistance(0.1), "0.10000 AU from");
    EXPECT_EQ(FormatViewerDistance(9999.0), "9999.00000 AU from");
    EXPECT_EQ(FormatViewerDistance(206264.8), "1.00 pc from");
    EXPECT_EQ(FormatViewerDistance(2.062648e11), "1.00 Mpc from");

    EXPECT_EQ(FormatSiteAngle(-(71.0 + 30.0 / 60.0 + 59.7 / 3600.0) * kDegree, 'E', 'W'),
              "71\xB0 31' 00\" W")
        << "59.7 seconds carry instead of showing 60";
    EXPECT_EQ(FormatSiteAngle(0.0, 'N', 'S'), "0\xB0 00' 00\" N");
    EXPECT_EQ(FormatSiteAngle((40.0 + 26.0 / 60.0 + 46.0 / 3600.0) * kDegree, 'N', 'S'),
              "40\xB0 26' 46\" N");

    EXPECT_EQ(FormatFieldWidth(3.1415926536), "180\xB0 00' 00\"");
    EXPECT_EQ(FormatFieldWidth(4.848136812202333e-6), "0\xB0 00' 01\"");
    EXPECT_EQ(FormatFieldWidth(0.0002908882086666667), "0\xB0 01' 00\"");

    std::string time, date;
    FormatLocalTime(2451545.0, 0.0, kCalendarGregorian, time, date);
    EXPECT_EQ(time, "12:00:00");
    EXPECT_EQ(date, "2000/01/01");
    // Ten hours east: 22:00 the same day.
    FormatLocalTime(2451545.0, 10.0 / 24.0, kCalendarGregorian, time, date);
    EXPECT_EQ(time, "22:00:00");
    EXPECT_EQ(date, "2000/01/01");
    // 23:59:59.7 shows as midnight of the next day, never as 60 seconds.
    FormatLocalTime(2451545.0 + (11.0 * 3600.0 + 59.0 * 60.0 + 59.7) / 86400.0, 0.0,
                    kCalendarGregorian, time, date);
    EXPECT_EQ(time, "00:00:00");
    EXPECT_EQ(date, "2000/01/02");

    std::array<std::int16_t, 6> samples = LegendMagnitudes(50, 550);
    EXPECT_EQ(samples, (std::array<std::int16_t, 6>{550, 450, 350, 250, 150, 50}));
    samples = LegendMagnitudes(500, 520);
    EXPECT_EQ(samples, (std::array<std::int16_t, 6>{520, 516, 512, 508, 504, 500}));
}

// ---------------------------------------------------------------------------
// Clipping

TEST(OverlayClipping, SegmentsAreClippedToTheAreaWithTheirEnds) {
    // Ends far outside (the projection's overflow values) through the box.
    double x0 = -2147483648.0, y0 = -2147483648.0, x1 = 2147483647.0, y1 = 2147483647.0;
    ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, 0, 0, 399, 299));
    EXPECT_NEAR(x0, 0.0, 1e-6);
    EXPECT_NEAR(y0, 0.0, 1e-6);
    EXPECT_NEAR(x1, 299.0, 1e-3);
    EXPECT_NEAR(y1, 299.0, 1e-3);

    // Ends inside are kept exactly.
    x0 = 10.25, y0 = 20.5, x1 = 5000.0, y1 = 20.5;
    ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, 0, 0, 399, 299));
    EXPECT_EQ(x0, 10.25);
    EXPECT_EQ(y0, 20.5);
    EXPECT_EQ(x1, 399.0);
    EXPECT_EQ(y1, 20.5);

    // The bounds belong to the area: a segment along the edge is drawn.
    x0 = -100.0, y0 = 299.0, x1 = 100.0, y1 = 299.0;
    ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, 0, 0, 399, 299));
    EXPECT_EQ(x0, 0.0);
    EXPECT_EQ(y1, 299.0);

    // Passing beside the box, or wholly to one side of it.
    x0 = -50.0, y0 = 40.0, x1 = 40.0, y1 = -50.0;
    EXPECT_FALSE(ClipSegment(x0, y0, x1, y1, 0, 0, 399, 299));
    x0 = 500.0, y0 = 10.0, x1 = 4e9, y1 = 20.0;
    EXPECT_FALSE(ClipSegment(x0, y0, x1, y1, 0, 0, 399, 299));
    x0 = 100.0, y0 = 300.5, x1 = 200.0, y1 = 300.5;
    EXPECT_FALSE(ClipSegment(x0, y0, x1, y1, 0, 0, 399, 299));
}

TEST_F(OverlaysTest, LineToDirectionWithEndsFarOutside) {
    // Half a degree wide: a point 30 degrees off lands thousands of pixels
    // out, and one a hair short of a quarter turn off (in front, but nearer
    // the tangent plane than one pixel's worth) gets the projection's
    // overflow values.
    Prepare(kEquatorial, kPlanar, 1.0, 0.0, 0.5 * kDegree);
    std::int32_t centre[3], west[3], east[3], far[3];
    FrameDirection(kFrameEquatorial, 1.0, 0.0, centre);
    FrameDirection(kFrameEquatorial, 1.0 + 30.0 * kDegree, 0.0, west);
    FrameDirection(kFrameEquatorial, 1.0 - 30.0 * kDegree, 0.0, east);
    FrameDirection(kFrameEquatorial, 1.0, -(90.0 - 0.0011) * kDegree, far);
    ASSERT_GT(std::abs(ProjectDirection(west).x - gFrame.centerX), 10000);
    ProjectedPoint farPoint = ProjectDirection(far);
    ASSERT_GE(farPoint.depth, 1);
    ASSERT_EQ(farPoint.y, 2147483647);

    // Both ends outside, through the chart: drawn across its whole width.
    MoveToDirection(west);
    LineResult across = LineToDirection(east);
    EXPECT_TRUE(across.drawn);
    EXPECT_FALSE(across.startDrawable);
    EXPECT_FALSE(across.endDrawable);
    EXPECT_EQ(std::min(across.start.x, across.end.x), gFrame.left);
    EXPECT_EQ(std::max(across.start.x, across.end.x), gFrame.right);

    // From the centre to a point at the overflow values: from the centre to
    // the edge.
    MoveToDirection(centre);
    LineResult out = LineToDirection(far);
    EXPECT_TRUE(out.drawn);
    EXPECT_TRUE(out.startDrawable);
    EXPECT_EQ(out.start.x, gFrame.centerX);
    EXPECT_EQ(out.start.y, gFrame.centerY);
    EXPECT_TRUE(out.end.y == gFrame.bottom || out.end.y == gFrame.top || out.end.x == gFrame.left ||
                out.end.x == gFrame.right);

    std::vector<Point> ink = PixelsOf(kInk);
    ASSERT_FALSE(ink.empty());
    bool leftEdge = false, rightEdge = false;
    for (const Point& p : ink) {
        leftEdge = leftEdge || p.x == 0;
        rightEdge = rightEdge || p.x == kWidth - 1;
    }
    EXPECT_TRUE(leftEdge && rightEdge) << "the first line spans the width";
}

TEST_F(OverlaysTest, SegmentsOutsideTheValidRegionAreNotDrawn) {
    // A Planar chart does not draw a segment with an end behind the viewer.
    Prepare(kEquatorial, kPlanar, 0.0, 0.0, 90.0 * kDegree);
    std::int32_t front[3], behind[3], side[3];
    FrameDirection(kFrameEquatorial, 10.0 * kDegree, 0.0, front);
    FrameDirection(kFrameEquatorial, 100.0 * kDegree, 0.0, behind);
    FrameDirection(kFrameEquatorial, 80.0 * kDegree, 0.0, side);
    MoveToDirection(front);
    EXPECT_FALSE(LineToDirection(behind).drawn);
    // The cursor is now the far end: nothing from it either.
    EXPECT_FALSE(LineToDirection(front).drawn);
    EXPECT_TRUE(LineToDirection(side).drawn) << "in front, though off the chart";

    // Spherical: the far hemisphere is not drawn.
    Prepare(kEquatorial, kSpherical, 0.0, 0.0, 180.0 * kDegree);
    MoveToDirection(front);
    EXPECT_TRUE(LineToDirection(side).drawn);
    EXPECT_FALSE(LineToDirection(behind).drawn);

    // Lambert shows nearly the whole sky.
    Prepare(kEquatorial, kLambert, 0.0, 0.0, 270.0 * kDegree);
    MoveToDirection(front);
    EXPECT_TRUE(LineToDirection(behind).drawn);
}

// ---------------------------------------------------------------------------
// The horizon mask

TEST_F(OverlaysTest, GridLineStopsAtTheHorizonAltitude) {
    gComputationOptions.horizonAltitude = 5.0 * kDegree;
    // Looking south, the horizon altitude in the middle of a 30 degree chart.
    Prepare(kHorizon, kPlanar, 180.0 * kDegree, 5.0 * kDegree, 30.0 * kDegree);
    // The hour circle through the south point.
    double ra = 180.0 * kDegree, dec = 0.0;
    ASSERT_TRUE(ConvertFrame(gInstant.frames, kFrameHorizon, kFrameEquatorial, &ra, &dec));

    gDisplayOptions.showHorizonMask = true;
    DrawCoordinateCircle(kMeridian, ra, -kHalfPi, kPi, 36, kFrameEquatorial, "");
    std::vector<Point> ink = PixelsOf(kInk);
    ASSERT_FALSE(ink.empty());
    Point lowest = ink.front();
    for (const Point& p : ink)
        if (p.y > lowest.y) lowest = p;
    EXPECT_NEAR(AltitudeAt(lowest.x, lowest.y), 5.0 * kDegree, 0.15 * kDegree)
        << "the last pixel drawn is at the horizon altitude (" << lowest.x << ", " << lowest.y
        << ")";
    EXPECT_LT(lowest.y, kHeight - 50);

    // Without the mask the same line runs on to the bottom of the chart.
    gDisplayOptions.showHorizonMask = false;
    Resume();
    SetColor(kInk, 1, false);
    DrawCoordinateCircle(kMeridian, ra, -kHalfPi, kPi, 36, kFrameEquatorial, "");
    int bottom = 0;
    for (const Point& p : PixelsOf(kInk))
        bottom = std::max(bottom, p.y);
    EXPECT_GE(bottom, gFrame.bottom - 1);
}

TEST_F(OverlaysTest, LineToDirectionCutsAtTheHorizon) {
    gComputationOptions.horizonAltitude = 5.0 * kDegree;
    Prepare(kHorizon, kPlanar, 180.0 * kDegree, 5.0 * kDegree, 30.0 * kDegree);
    gDisplayOptions.showHorizonMask = true;
    std::int32_t below[3], above[3], deep[3];
    FrameDirection(kFrameHorizon, 178.0 * kDegree, -5.0 * kDegree, below);
    FrameDirection(kFrameHorizon, 183.0 * kDegree, 15.0 * kDegree, above);
    FrameDirection(kFrameHorizon, 186.0 * kDegree, -2.0 * kDegree, deep);

    // Rising out of the horizon: starts on it; the start was not drawable.
    MoveToDirection(below);
    LineResult rising = LineToDirection(above);
    ASSERT_TRUE(rising.drawn);
    EXPECT_FALSE(rising.startDrawable);
    EXPECT_TRUE(rising.endDrawable);
    EXPECT_NEAR(AltitudeAt(rising.start.x, rising.start.y), 5.0 * kDegree, 0.15 * kDegree);
    ProjectedPoint top = ProjectDirection(above);
    EXPECT_EQ(rising.end.x, top.x);
    EXPECT_EQ(rising.end.y, top.y);

    // Setting: ends on it, and the end is not drawable.
    LineResult setting = LineToDirection(deep);
    ASSERT_TRUE(setting.drawn);
    EXPECT_TRUE(setting.startDrawable) << "the cursor kept its own, uncut end";
    EXPECT_FALSE(setting.endDrawable);
    EXPECT_NEAR(AltitudeAt(setting.end.x, setting.end.y), 5.0 * kDegree, 0.15 * kDegree);

    // Both ends below: nothing.
    EXPECT_FALSE(LineToDirection(below).drawn);
}

// ---------------------------------------------------------------------------
// The seam of the cylindrical projections

TEST_F(OverlaysTest, MollweideSplitsASeamCrossingWithOneEndInFront) {
    Prepare(kEquatorial, kMollweide, 0.0, 0.0, kTwoPi);
    std::int32_t a[3], b[3];
    // From 80 degrees (in front) to 190 degrees (behind): the arc between
    // them passes through 180 degrees, not through the centre.
    FrameDirection(kFrameEquatorial, 80.0 * kDegree, 0.0, a);
    FrameDirection(kFrameEquatorial, 190.0 * kDegree, 0.0, b);
    MoveToDirection(a);
    EXPECT_TRUE(LineToDirection(b).drawn);
    for (int x = gFrame.centerX - 20; x <= gFrame.centerX + 20; ++x)
        for (int y = gFrame.centerY - 3; y <= gFrame.centerY + 3; ++y)
            ASSERT_EQ(At(x, y), kBlack) << "drawn through the centre at " << x << ", " << y;
}

// ---------------------------------------------------------------------------
// Grids, horizon and labels

TEST_F(OverlaysTest, GridCirclesAreDrawnWhereTheyBelong) {
    Prepare(kEquatorial, kPlanar, 0.0, 0.0, 60.0 * kDegree);
    DisplayOptions& o = gDisplayOptions;
    o.showGridLines = true;
    o.showHorizonLine = false;
    DrawGrids();
    const RGBColor grid = o.colors[kGridColor];
    // Between two meridians: on the +20 degree circle, and between circles.
    std::int32_t on[3], between[3], meridian[3];
    FrameDirection(kFrameEquatorial, 7.5 * kDegree, 20.0 * kDegree, on);
    FrameDirection(kFrameEquatorial, 7.5 * kDegree, 5.0 * kDegree, between);
    FrameDirection(kFrameEquatorial, 15.0 * kDegree, 5.0 * kDegree, meridian);
    auto lit = [&](const std::int32_t v[3]) {
        ProjectedPoint p = ProjectDirection(v);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (At(p.x + dx, p.y + dy) == grid) return true;
        return false;
    };
    EXPECT_TRUE(lit(on));
    EXPECT_FALSE(lit(between));
    EXPECT_TRUE(lit(meridian)) << "the 1h meridian";
}

TEST_F(OverlaysTest, CompassPointsSitInBoxesOfSkyColour) {
    DisplayOptions& o = gDisplayOptions;
    o.skyBackground = kSkyColor;
    o.showGridLabels = true;
    o.showHorizonMask = true;
    Prepare(kHorizon, kPlanar, 180.0 * kDegree, 0.0, 90.0 * kDegree);
    Fill(kMagenta);
    SelectChartFont();
    DrawHorizon();
    EXPECT_TRUE(o.showHorizonMask) << "the mask is restored";
    const RGBColor horizon = o.colors[kHorizonColor];
    SelectChartFont();
    int w = 0, h = 0;
    TextExtent("S", &w, &h);
    // South is in the middle of the chart.
    std::int32_t south[3];
    FrameDirection(kFrameHorizon, 4 * 0.7853981635, 0.0, south);
    const ProjectedPoint s = ProjectDirection(south);
    ASSERT_LE(std::abs(s.x - gFrame.centerX), 1);
    const int left = s.x - w / 2, top = s.y - h / 2;
    int text = 0;
    for (int y = top - 1; y < top + h; ++y)
        for (int x = left - 1; x < left + w; ++x) {
            // The letter's edges are smoothed into the sky colour.
            RGBColor c = At(x, y);
            ASSERT_FALSE(c == kMagenta) << "at " << x << ", " << y;
            if (c.red > 150 && c.green < 150) ++text;
        }
    EXPECT_GT(text, 5) << "the letter, in the horizon colour";
    EXPECT_EQ(At(left - 1, top - 1), SkyFillColor()) << "the box's corner";
    EXPECT_EQ(At(left - 4, top - 4), kMagenta) << "the box is no larger than the text";
    // The horizon runs through the middle row on either side.
    for (int x : {gFrame.centerX - 100, gFrame.centerX + 100})
        EXPECT_TRUE(At(x, s.y - 1) == horizon || At(x, s.y) == horizon || At(x, s.y + 1) == horizon)
            << "at x = " << x;
}

TEST_F(OverlaysTest, PlaceTextKeepsTheTextInsideTheArea) {
    Prepare(kEquatorial, kPlanar, 0.0, 0.0, 60.0 * kDegree);
    SelectChartFont();
    int w = 0, h = 0;
    TextExtent("Horizon", &w, &h);
    PlaceText("Horizon", gFrame.right - 2, gFrame.bottom - 2);
    std::vector<Point> ink = PixelsOf(kInk);
    ASSERT_FALSE(ink.empty());
    int leftmost = kWidth, topmost = kHeight;
    for (const Point& p : ink) {
        leftmost = std::min(leftmost, p.x);
        topmost = std::min(topmost, p.y);
    }
    EXPECT_GE(leftmost, gFrame.right - w);
    EXPECT_LT(leftmost, gFrame.right - w / 2) << "moved left by its width";
    EXPECT_GE(topmost, gFrame.bottom - h);
}

TEST_F(OverlaysTest, CircleLabelsWhereTheCircleLeavesTheChart) {
    Prepare(kEquatorial, kPlanar, 0.0, 0.0, 60.0 * kDegree);
    // Pixels drawn near the left and right edges of the chart.
    auto edgeInk = [&](bool labels) {
        Fill(kBlack);
        SetColor(kInk, 1, false);
        gDisplayOptions.showGridLabels = labels;
        DrawCoordinateCircle(kLatitudeCircle, 20.0 * kDegree, 0.0, kTwoPi, 72, kFrameEquatorial,
                             "+20\xB0");
        std::pair<int, int> counts{0, 0};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (At(x, y) == kBlack) continue;
                if (x < 20) ++counts.first;
                if (x >= kWidth - 20) ++counts.second;
            }
        return counts;
    };
    const std::pair<int, int> plain = edgeInk(false);
    const std::pair<int, int> labelled = edgeInk(true);
    // The +20 degree circle leaves the chart at both sides; the label is
    // written at each (the right one moved inside).
    EXPECT_GT(plain.first, 0);
    EXPECT_GT(labelled.first, plain.first + 20);
    EXPECT_GT(labelled.second, plain.second + 20);
}

// ---------------------------------------------------------------------------
// Constellations

// A J2000 direction rounded to the store's units.
void Rounded(double ra, double dec, std::int32_t out[3]) {
    Vector3 d;
    SphericalToRectangular(ra, dec, 1.0, d);
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<std::int32_t>(std::lround(d[i] * kUnitVectorScale));
}

class ConstellationTest : public OverlaysTest {
protected:
    static CatalogObject* AddStar(double ra, double dec) {
        CatalogObject* star = NewCatalogObject(kTypeSingleStar);
        Rounded(ra, dec, star->position);
        star->catalogMagnitude = 300;
        ObjectID id = addObject(star, 0);
        EXPECT_NE(id, 0);
        return AsCatalog(getObject(id));
    }
    static LineObject* AddLine(int type, ObjectID a, ObjectID b, const double ends[4],
                               const char* label = nullptr) {
        LineObject* line = NewLineObject(type);
        line->endpointObjects[0] = a;
        line->endpointObjects[1] = b;
        for (int k = 0; k < 2; ++k)
            Rounded(ends[2 * k], ends[2 * k + 1], line->endpointPositions[k]);
        if (label != nullptr) line->label = CopyText(label);
        ObjectID id = addObject(line, 0);
        EXPECT_NE(id, 0);
        return AsLine(getObject(id));
    }
    // Whether a pixel of the colour lies within two pixels of the J2000 direction.
    bool LitNear(double ra, double dec, RGBColor color) {
        std::int32_t v[3];
        Rounded(ra, dec, v);
        ProjectedPoint p = ProjectDirection(v);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (At(p.x + dx, p.y + dy) == color) return true;
        return false;
    }
    void Redraw() {
        Fill(kBlack);
        SelectChartFont();
        EXPECT_EQ(DrawConstellations(), 1);
    }
};

TEST_F(ConstellationTest, FiguresBoundariesAndLabels) {
    // Precession to the date moves nothing here: the chart is J2000.
    gComputationOptions.precession = false;
    gComputationOptions.precessionEpoch = 2451545.0;
    Prepare(kEquatorial, kPlanar, 1.0, 0.2, 40.0 * kDegree);
    DisplayOptions& o = gDisplayOptions;
    CatalogObject* a = AddStar(0.9, 0.2);
    CatalogObject* b = AddStar(1.1, 0.2);
    const ObjectID bId = b->id;
    // The object line's stored positions are stale (elsewhere in the sky):
    // drawing takes them from the stars.
    const double stale[4] = {3.0, -0.5, 3.1, -0.5};
    AddLine(kTypeFigureLine, a->id, bId, stale, "Figure");
    const double boundary[4] = {0.9, 0.3, 1.1, 0.3};
    AddLine(kTypeBoundaryLine, 0, 0, boundary);
    const RGBColor figure = o.colors[kFigureColor], border = o.colors[kBoundaryColor];

    Redraw();
    EXPECT_TRUE(LitNear(1.0, 0.2, figure)) << "the figure line between the stars";
    EXPECT_TRUE(LitNear(1.0, 0.3, border)) << "the boundary line";
    EXPECT_EQ(getFile(customFile())->lastDrawGeneration, gDrawGeneration);

    // The label goes below and right of the line's start, in the figure colour.
    std::int32_t start[3];
    std::copy(a->apparentDirection, a->apparentDirection + 3, start);
    ProjectedPoint s = ProjectDirection(start);
    int labelInk = 0;
    for (int y = s.y + 4; y < s.y + 40; ++y)
        for (int x = s.x + 3; x < s.x + 60; ++x)
            if (At(x, y) == figure) ++labelInk;
    EXPECT_GT(labelInk, 10);

    // Each kind follows its own switch; labels have theirs.
    o.showConstellationBoundaries = false;
    o.showConstellationLabels = false;
    Redraw();
    EXPECT_TRUE(LitNear(1.0, 0.2, figure));
    EXPECT_FALSE(LitNear(1.0, 0.3, border));
    labelInk = 0;
    for (int y = s.y + 4; y < s.y + 40; ++y)
        for (int x = s.x + 20; x < s.x + 60; ++x)
            if (At(x, y) == figure) ++labelInk;
    EXPECT_EQ(labelInk, 0);
    o.showConstellationFigures = false;
    o.showConstellationBoundaries = true;
    Redraw();
    EXPECT_FALSE(LitNear(1.0, 0.2, figure));
    EXPECT_TRUE(LitNear(1.0, 0.3, border));

    // Without colours both are drawn in the foreground colour.
    o.useColor = false;
    o.showConstellationFigures = true;
    Redraw();
    EXPECT_TRUE(LitNear(1.0, 0.2, ForegroundColor()));
    EXPECT_TRUE(LitNear(1.0, 0.3, ForegroundColor()));
    o.useColor = true;

    // An endpoint star that is gone takes its line with it once the data
    // is recomputed; the boundary line stays.
    FreeObject(removeObject(bId));
    RecomputeAndRedraw(true);
    Redraw();
    EXPECT_FALSE(LitNear(1.0, 0.2, figure));
    EXPECT_TRUE(LitNear(1.0, 0.3, border));
}

TEST_F(ConstellationTest, EndpointsFollowTheirObjects) {
    gComputationOptions.precession = false;
    gComputationOptions.precessionEpoch = 2451545.0;
    Prepare(kEquatorial, kPlanar, 1.0, 0.2, 40.0 * kDegree);
    CatalogObject* a = AddStar(0.9, 0.2);
    CatalogObject* b = AddStar(1.1, 0.2);
    const double stale[4] = {0.0, 0.0, 0.0, 0.0};
    LineObject* line = AddLine(kTypeFigureLine, a->id, b->id, stale);
    const RGBColor figure = gDisplayOptions.colors[kFigureColor];
    Redraw();
    ASSERT_TRUE(LitNear(1.0, 0.2, figure));

    // The star moves (a new position, recomputed at the next instant): the
    // line follows it without a full recomputation.
    Rounded(1.1, 0.3, b->position);
    gViewer.julianDate += 1.0;
    RecomputeAndRedraw(false);
    gInstant.fixedStamp += 1; // whatever the options, the stars are stale now
    Redraw();
    EXPECT_FALSE(LitNear(1.0, 0.2, figure));
    EXPECT_TRUE(LitNear(1.0, 0.25, figure));
    EXPECT_EQ(line->endpointPositions[1][2], b->apparentDirection[2]);
}

TEST_F(ConstellationTest, WholeSkyMercatorLinesBehindDoNotCrossTheChart) {
    gComputationOptions.precession = false;
    gComputationOptions.precessionEpoch = 2451545.0;
    Prepare(kEquatorial, kMercator, 0.0, 0.0, kTwoPi);
    // A boundary behind the observer across the meridian opposite the centre.
    const double ends[4] = {175.0 * kDegree, 20.0 * kDegree, 185.0 * kDegree, 20.0 * kDegree};
    AddLine(kTypeBoundaryLine, 0, 0, ends);
    Redraw();
    const RGBColor border = gDisplayOptions.colors[kBoundaryColor];
    std::vector<Point> ink = PixelsOf(border);
    ASSERT_FALSE(ink.empty());
    bool nearLeft = false, nearRight = false;
    for (const Point& p : ink) {
        ASSERT_TRUE(p.x < 20 || p.x >= kWidth - 20) << "across the chart at x = " << p.x;
        // The seam is where the truncated scale puts half a turn.
        nearLeft = nearLeft || p.x <= 3;
        nearRight = nearRight || p.x >= kWidth - 4;
    }
    EXPECT_TRUE(nearLeft && nearRight) << "both pieces reach the seam";
}

// ---------------------------------------------------------------------------
// The legend

TEST_F(OverlaysTest, LegendBandHeightAndPlace) {
    // A picture wide enough for every column.
    const int width = 1600, height = 300;
    picture.reset(); // ends the drawing before the next begins
    picture = std::make_unique<Canvas>(width, height);
    SetColor(RGBColor{0, 200, 0}, 0, true);
    Rectangle(0, 0, width, height);

    SelectChartFont();
    int w = 0, lineHeight = 0;
    TextExtent("A", &w, &lineHeight);
    ASSERT_GT(lineHeight, 0);
    EXPECT_EQ(LegendHeight(), 4 * lineHeight + 1);

    // The chart's drawing area ends where the band begins.
    gDisplayOptions.showChartLegend = true;
    PrepareChartFrame(Rect{0, 0, width, height}, ChartLegendHeight());
    EXPECT_EQ(gFrame.bottom, height - LegendHeight());

    SetStarScale();
    DrawLegend(Rect{0, 0, width, height});
    const int top = height - 4 * lineHeight - 1;
    const RGBColor foreground = ForegroundColor(), background = BackgroundColor();
    EXPECT_EQ(At(width / 2, top - 1), (RGBColor{0, 200, 0})) << "nothing above the band";
    EXPECT_EQ(At(width - 5, top), foreground) << "the frame's top";
    EXPECT_EQ(At(0, top + 2), foreground) << "the frame's left side";
    EXPECT_EQ(At(width - 1, top + 2), foreground) << "the frame's right side";
    EXPECT_EQ(At(width - 5, top + 2), background) << "the band is filled";
    // Text in each of the four rows near the left.
    for (int row = 0; row < 4; ++row)
        EXPECT_GT(picture->CountOf(foreground, 3, top + 1 + row * lineHeight, 200,
                                   top + 1 + (row + 1) * lineHeight),
                  5)
            << "row " << row;
}

TEST_F(OverlaysTest, LegendFromAnObjectNamesIt) {
    SolarSystemObject* craft = ViewFrom(1.0, 0.0);
    craft->name = CopyText("Voyager");
    gViewer.viewerObjectOffset[0] = 0.05;
    PrepareComputation();
    SetStarScale();
    SetColor(RGBColor{0, 200, 0}, 0, true);
    Rectangle(0, 0, kWidth, kHeight);
    DrawLegend(Rect{0, 0, kWidth, kHeight});
    SelectChartFont();
    int w = 0, lineHeight = 0, distanceWidth = 0;
    TextExtent("A", &w, &lineHeight);
    TextExtent("7479894 km from", &distanceWidth, nullptr);
    const int top = kHeight - 4 * lineHeight - 1;
    // Rows 1 and 2 carry the distance and the name; row 3 of the first
    // column is empty (above the frame's bottom line).
    auto ink = [&](int row, int from, int to) {
        int count = 0;
        for (int y = top + 1 + row * lineHeight;
             y < std::min(top + 1 + (row + 1) * lineHeight, kHeight - 1); ++y)
            for (int x = from; x < to; ++x)
                if (At(x, y) == ForegroundColor()) ++count;
        return count;
    };
    EXPECT_GT(ink(1, 3, 3 + distanceWidth), 5);
    EXPECT_GT(ink(2, 3, 40), 5);
    EXPECT_EQ(ink(3, 3, 40), 0);
}

} // namespace
