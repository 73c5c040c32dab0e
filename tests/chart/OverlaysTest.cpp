// Overlays: the line primitive (clipping, the horizon mask, the projections'
// valid regions and the cylindrical seam), grid circles and their labels,
// the horizon's compass points, constellation lines from the store, and the
// legend's texts, drawn on offscreen pictures.

#include "chart/Overlays.h"

#include "ChartTestSupport.h"

#include "astro/CoordinateText.h"
#include "astro/TimeScales.h"

namespace {

using namespace chart_test;

constexpr RGBColor kMagenta{255, 0, 255};
constexpr int kWidth = 400;
constexpr int kHeight = 300;

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
};

// ---------------------------------------------------------------------------
// Label texts and grid spacing

TEST(OverlayTexts, LabelsRoundAndCarry) {
    const double hour = 0.26179938781323336, minute = kDegree / 60.0;
    std::string time, date, nextTime, nextDate;
    FormatLocalTime(2451545.0, 10.0 / 24.0, kCalendarGregorian, time, date); // ten hours east
    // 23:59:59.7 shows as midnight of the next day, never as 60 seconds.
    FormatLocalTime(2451545.0 + (11.0 * 3600.0 + 59.0 * 60.0 + 59.7) / 86400.0, 0.0,
                    kCalendarGregorian, nextTime, nextDate);
    const std::pair<std::string, const char*> cases[] = {
        {FormatDeclinationLabel(-80.0 * kDegree), "-80\xB0"},
        {FormatDeclinationLabel(-0.5 * kDegree), "-00\xB0 30'"},
        {FormatDeclinationLabel(5.0 * kDegree + 0.3 * minute), "+05\xB0"},   // under a half: out
        {FormatDeclinationLabel(10.0 * kDegree + 59.6 * minute), "+11\xB0"}, // carries
        {FormatDeclinationLabel(-(10.0 * kDegree + 59.4 * minute)), "-10\xB0 59'"},
        {FormatDeclinationLabel(-1e-12), "+00\xB0"}, // the equator is never -00
        {FormatRightAscensionLabel(1.5 * hour), " 1h 30m"},
        {FormatRightAscensionLabel((23.0 + 59.6 / 60.0) * hour), " 0h"}, // 24h is 0h
        {FormatRightAscensionLabel((9.0 + 59.4 / 60.0) * hour), " 9h 59m"},
        {FormatViewerDistance(0.05), "7479894 km from"},
        {FormatViewerDistance(0.1), "0.10000 AU from"},
        {FormatViewerDistance(9999.0), "9999.00000 AU from"},
        {FormatViewerDistance(206264.8), "1.00 pc from"},
        {FormatViewerDistance(2.062648e11), "1.00 Mpc from"},
        {FormatSiteAngle(-(71.0 + 30.0 / 60.0 + 59.7 / 3600.0) * kDegree, 'E', 'W'),
         "71\xB0 31' 00\" W"}, // 59.7 seconds carry instead of showing 60
        {FormatSiteAngle(0.0, 'N', 'S'), "0\xB0 00' 00\" N"},
        {FormatFieldWidth(3.1415926536), "180\xB0 00' 00\""},
        {FormatFieldWidth(4.848136812202333e-6), "0\xB0 00' 01\""},
        {time + " " + date, "22:00:00 2000/01/01"},
        {nextTime + " " + nextDate, "00:00:00 2000/01/02"}};
    for (const auto& [got, want] : cases)
        EXPECT_EQ(got, want);
    EXPECT_EQ(LegendMagnitudes(50, 550),
              (std::array<std::int16_t, 6>{550, 450, 350, 250, 150, 50}));
    EXPECT_EQ(LegendMagnitudes(500, 520),
              (std::array<std::int16_t, 6>{520, 516, 512, 508, 504, 500}));
}

TEST(OverlayTexts, GridCircleCounts) {
    // Ten degrees as the defaults and the dialog make it, as the settings
    // file reads it, and exactly.
    for (double interval : {10.0 * 0.01745329252, 10.0 * 0.017453292520882225, 10.0 * kDegree}) {
        std::vector<double> circles = GridDeclinations(interval);
        ASSERT_EQ(circles.size(), 17u) << "interval " << interval;
        EXPECT_NEAR(circles.front(), -80.0 * kDegree, 1e-9);
        EXPECT_EQ(FormatDeclinationLabel(circles[8]), "+00\xB0");
    }
    // An hour and a half as the dialog stores it, and in degrees as a
    // settings file holds it.
    for (double interval : {1.5 * 0.26179938781323336, 22.5 * 0.01745329252}) {
        std::vector<double> meridians = GridRightAscensions(interval);
        ASSERT_EQ(meridians.size(), 16u);
        EXPECT_EQ(FormatRightAscensionLabel(meridians[2]), " 3h");
        EXPECT_EQ(FormatRightAscensionLabel(meridians[15]), "22h 30m");
    }
    EXPECT_EQ(GridRightAscensions(0.26179938781323336).size(), 24u);
    // Intervals a settings file may hold that the dialog would not take.
    EXPECT_TRUE(GridDeclinations(0.0).empty());
    EXPECT_TRUE(GridDeclinations(-0.1).empty());
    EXPECT_TRUE(GridDeclinations(std::nan("")).empty());
    EXPECT_TRUE(GridRightAscensions(0.0).empty());
    EXPECT_EQ(GridDeclinations(1e-12).size(), GridDeclinations(0.0002908882086813704).size());
    EXPECT_EQ(GridRightAscensions(1e-12).size(), 1440u);
}

// ---------------------------------------------------------------------------
// Clipping

TEST(OverlayClipping, SegmentsAreClippedToTheAreaWithTheirEnds) {
    struct Case {
        std::array<double, 4> from;
        bool drawn;
        std::array<double, 4> to;
        double tolerance;
    } cases[] = {
        // Ends far outside (the projection's overflow values) through the box.
        {{-2147483648.0, -2147483648.0, 2147483647.0, 2147483647.0}, true, {0, 0, 299, 299}, 1e-3},
        // Ends inside are kept exactly.
        {{10.25, 20.5, 5000.0, 20.5}, true, {10.25, 20.5, 399, 20.5}, 0},
        // The bounds belong to the area: a segment along the edge is drawn.
        {{-100.0, 299.0, 100.0, 299.0}, true, {0, 299, 100, 299}, 0},
        // Passing beside the box, or wholly to one side of it.
        {{-50.0, 40.0, 40.0, -50.0}, false, {}, 0},
        {{500.0, 10.0, 4e9, 20.0}, false, {}, 0},
        {{100.0, 300.5, 200.0, 300.5}, false, {}, 0}};
    for (const Case& c : cases) {
        std::array<double, 4> s = c.from;
        ASSERT_EQ(ClipSegment(s[0], s[1], s[2], s[3], 0, 0, 399, 299), c.drawn) << c.from[0];
        for (int i = 0; c.drawn && i < 4; ++i)
            EXPECT_NEAR(s[i], c.to[i], c.tolerance) << c.from[0] << " end " << i;
    }
}

TEST_F(OverlaysTest, LineToDirectionWithEndsFarOutside) {
    // Half a degree wide: a point 30 degrees off lands thousands of pixels
    // out, and one a hair short of a quarter turn off (in front, but nearer
    // the tangent plane than one pixel's worth) gets the projection's
    // overflow values.
    Prepare(kEquatorial, kPlanar, 1.0, 0.0, 0.5 * kDegree);
    std::int32_t centre[3], west[3], east[3], far[3];
    Direction(1.0, 0.0, centre, kFrameEquatorial);
    Direction(1.0 + 30.0 * kDegree, 0.0, west, kFrameEquatorial);
    Direction(1.0 - 30.0 * kDegree, 0.0, east, kFrameEquatorial);
    Direction(1.0, -(90.0 - 0.0011) * kDegree, far, kFrameEquatorial);
    ASSERT_GT(std::abs(ProjectDirection(west).x - gFrame.centerX), 10000);
    ProjectedPoint farPoint = ProjectDirection(far);
    ASSERT_GE(farPoint.depth, 1);
    ASSERT_EQ(farPoint.y, 2147483647);

    // Both ends outside, through the chart: drawn across its whole width.
    MoveToDirection(west);
    LineResult across = LineToDirection(east);
    EXPECT_TRUE(across.drawn && !across.startDrawable && !across.endDrawable);
    EXPECT_EQ(std::min(across.start.x, across.end.x), gFrame.left);
    EXPECT_EQ(std::max(across.start.x, across.end.x), gFrame.right);
    EXPECT_GT(picture->CountOf(kInk, 0, 0, 1), 0) << "the first line spans the width";
    EXPECT_GT(picture->CountOf(kInk, kWidth - 1, 0), 0);

    // From the centre to a point at the overflow values: from the centre to
    // the edge.
    Resume();
    MoveToDirection(centre);
    LineResult out = LineToDirection(far);
    EXPECT_TRUE(out.drawn && out.startDrawable);
    EXPECT_EQ(out.start.x, gFrame.centerX);
    EXPECT_EQ(out.start.y, gFrame.centerY);
    EXPECT_TRUE(out.end.y == gFrame.bottom || out.end.y == gFrame.top || out.end.x == gFrame.left ||
                out.end.x == gFrame.right);
}

TEST_F(OverlaysTest, SegmentsOutsideTheValidRegionAreNotDrawn) {
    // A Planar chart does not draw a segment with an end behind the viewer.
    Prepare(kEquatorial, kPlanar, 0.0, 0.0, 90.0 * kDegree);
    std::int32_t front[3], behind[3], side[3];
    Direction(10.0 * kDegree, 0.0, front, kFrameEquatorial);
    Direction(100.0 * kDegree, 0.0, behind, kFrameEquatorial);
    Direction(80.0 * kDegree, 0.0, side, kFrameEquatorial);
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

TEST_F(OverlaysTest, LineToDirectionCutsAtTheHorizon) {
    gComputationOptions.horizonAltitude = 5.0 * kDegree;
    // Looking south, the horizon altitude in the middle of a 30 degree chart.
    Prepare(kHorizon, kPlanar, 180.0 * kDegree, 5.0 * kDegree, 30.0 * kDegree);
    gDisplayOptions.showHorizonMask = true;
    std::int32_t below[3], above[3], deep[3];
    Direction(178.0 * kDegree, -5.0 * kDegree, below, kFrameHorizon);
    Direction(183.0 * kDegree, 15.0 * kDegree, above, kFrameHorizon);
    Direction(186.0 * kDegree, -2.0 * kDegree, deep, kFrameHorizon);

    // Rising out of the horizon: starts on it; the start was not drawable.
    MoveToDirection(below);
    LineResult rising = LineToDirection(above);
    ASSERT_TRUE(rising.drawn);
    EXPECT_FALSE(rising.startDrawable);
    EXPECT_TRUE(rising.endDrawable);
    EXPECT_NEAR(AltitudeAt(rising.start.x, rising.start.y), 5.0 * kDegree, 0.15 * kDegree);
    ProjectedPoint top = ProjectDirection(above);
    EXPECT_EQ(std::tuple(rising.end.x, rising.end.y), std::tuple(top.x, top.y));

    // Setting: ends on it, and the end is not drawable.
    LineResult setting = LineToDirection(deep);
    ASSERT_TRUE(setting.drawn);
    EXPECT_TRUE(setting.startDrawable) << "the cursor kept its own, uncut end";
    EXPECT_FALSE(setting.endDrawable);
    EXPECT_NEAR(AltitudeAt(setting.end.x, setting.end.y), 5.0 * kDegree, 0.15 * kDegree);

    // Both ends below: nothing.
    EXPECT_FALSE(LineToDirection(below).drawn);
}

TEST_F(OverlaysTest, MollweideSplitsASeamCrossingWithOneEndInFront) {
    Prepare(kEquatorial, kMollweide, 0.0, 0.0, kTwoPi);
    std::int32_t a[3], b[3];
    // From 80 degrees (in front) to 190 degrees (behind): the arc between
    // them passes through 180 degrees, not through the centre.
    Direction(80.0 * kDegree, 0.0, a, kFrameEquatorial);
    Direction(190.0 * kDegree, 0.0, b, kFrameEquatorial);
    MoveToDirection(a);
    EXPECT_TRUE(LineToDirection(b).drawn);
    EXPECT_EQ(picture->Count(NotBlack, gFrame.centerX - 20, gFrame.centerY - 3, gFrame.centerX + 21,
                             gFrame.centerY + 4),
              0)
        << "drawn through the centre";
}

// ---------------------------------------------------------------------------
// Grids, horizon and labels

TEST_F(OverlaysTest, GridCirclesAreDrawnWhereTheyBelong) {
    Prepare(kEquatorial, kPlanar, 0.0, 0.0, 60.0 * kDegree);
    gDisplayOptions.showGridLines = true;
    gDisplayOptions.showHorizonLine = false;
    DrawGrids();
    // Between two meridians: on the +20 degree circle, and between circles;
    // then on the 1h meridian.
    const std::tuple<double, double, bool> cases[] = {
        {7.5, 20.0, true}, {7.5, 5.0, false}, {15.0, 5.0, true}};
    for (auto [lon, lat, lit] : cases) {
        std::int32_t v[3];
        Direction(lon * kDegree, lat * kDegree, v, kFrameEquatorial);
        ProjectedPoint p = ProjectDirection(v);
        EXPECT_EQ(picture->CountOf(gDisplayOptions.colors[kGridColor], p.x - 1, p.y - 1, p.x + 2,
                                   p.y + 2) > 0,
                  lit)
            << lon << ", " << lat;
    }
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
    Direction(4 * 0.7853981635, 0.0, south, kFrameHorizon);
    const ProjectedPoint s = ProjectDirection(south);
    ASSERT_LE(std::abs(s.x - gFrame.centerX), 1);
    const int left = s.x - w / 2, top = s.y - h / 2;
    // The letter's edges are smoothed into the sky colour.
    EXPECT_EQ(picture->CountOf(kMagenta, left - 1, top - 1, left + w, top + h), 0);
    EXPECT_GT(picture->Count([](RGBColor c) { return c.red > 150 && c.green < 150; }, left - 1,
                             top - 1, left + w, top + h),
              5)
        << "the letter, in the horizon colour";
    EXPECT_EQ(At(left - 1, top - 1), SkyFillColor()) << "the box's corner";
    EXPECT_EQ(At(left - 4, top - 4), kMagenta) << "the box is no larger than the text";
    // The horizon runs through the middle row on either side.
    for (int x : {gFrame.centerX - 100, gFrame.centerX + 100})
        EXPECT_GT(picture->CountOf(horizon, x, s.y - 1, x + 1, s.y + 2), 0) << "at x = " << x;
}

TEST_F(OverlaysTest, TextAndCircleLabelsStayInsideTheArea) {
    Prepare(kEquatorial, kPlanar, 0.0, 0.0, 60.0 * kDegree);
    SelectChartFont();
    int w = 0, h = 0;
    TextExtent("Horizon", &w, &h);
    PlaceText("Horizon", gFrame.right - 2, gFrame.bottom - 2);
    int leftmost = kWidth, topmost = kHeight;
    for (const Point& p : picture->PixelsOf(kInk)) {
        leftmost = std::min(leftmost, p.x);
        topmost = std::min(topmost, p.y);
    }
    EXPECT_GE(leftmost, gFrame.right - w);
    EXPECT_LT(leftmost, gFrame.right - w / 2) << "moved left by its width";
    EXPECT_GE(topmost, gFrame.bottom - h);

    // The +20 degree circle leaves the chart at both sides; its label is
    // written at each (the right one moved inside).
    auto edgeInk = [&](bool labels) {
        Fill(kBlack);
        SetColor(kInk, 1, false);
        gDisplayOptions.showGridLabels = labels;
        DrawCoordinateCircle(kLatitudeCircle, 20.0 * kDegree, 0.0, kTwoPi, 72, kFrameEquatorial,
                             "+20\xB0");
        return std::pair{picture->Count(NotBlack, 0, 0, 20), picture->Count(NotBlack, kWidth - 20)};
    };
    const std::pair<int, int> plain = edgeInk(false), labelled = edgeInk(true);
    EXPECT_GT(plain.first, 0);
    EXPECT_GT(labelled.first, plain.first + 20);
    EXPECT_GT(labelled.second, plain.second + 20);
}

// ---------------------------------------------------------------------------
// Constellations

class ConstellationTest : public OverlaysTest {
protected:
    void SetUp() override {
        OverlaysTest::SetUp();
        // Precession to the date moves nothing here: the chart is J2000.
        gComputationOptions.precession = false;
        gComputationOptions.precessionEpoch = 2451545.0;
        Prepare(kEquatorial, kPlanar, 1.0, 0.2, 40.0 * kDegree);
    }
    // J2000 directions rounded to the store's units.
    static void Rounded(double ra, double dec, std::int32_t out[3]) {
        Vector3 d;
        SphericalToRectangular(ra, dec, 1.0, d);
        for (int i = 0; i < 3; ++i)
            out[i] = static_cast<std::int32_t>(std::lround(d[i] * kUnitVectorScale));
    }
    static CatalogObject* AddStar(double ra, double dec) {
        CatalogObject* star = NewCatalogObject(kTypeSingleStar);
        Rounded(ra, dec, star->position);
        star->catalogMagnitude = 300;
        ObjectID id = addObject(star, 0);
        EXPECT_NE(id, 0);
        return AsCatalog(getObject(id));
    }
    static LineObject* AddLine(int type, ObjectID a, ObjectID b, std::array<double, 4> ends,
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
        return picture->CountOf(color, p.x - 2, p.y - 2, p.x + 3, p.y + 3) > 0;
    }
    void Redraw() {
        Fill(kBlack);
        SelectChartFont();
        EXPECT_EQ(DrawConstellations(), 1);
    }
};

TEST_F(ConstellationTest, FiguresBoundariesAndLabels) {
    DisplayOptions& o = gDisplayOptions;
    CatalogObject* a = AddStar(0.9, 0.2);
    CatalogObject* b = AddStar(1.1, 0.2);
    const ObjectID bId = b->id;
    // The object line's stored positions are stale (elsewhere in the sky):
    // drawing takes them from the stars.
    AddLine(kTypeFigureLine, a->id, bId, {3.0, -0.5, 3.1, -0.5}, "Figure");
    AddLine(kTypeBoundaryLine, 0, 0, {0.9, 0.3, 1.1, 0.3});
    const RGBColor figure = o.colors[kFigureColor], border = o.colors[kBoundaryColor];
    // The label goes below and right of the line's start, in the figure colour.
    auto labelInk = [&] {
        const ProjectedPoint s = ProjectDirection(a->apparentDirection);
        return picture->CountOf(figure, s.x + 20, s.y + 4, s.x + 60, s.y + 40);
    };
    struct Case {
        bool figures, boundaries, labels, colours;
        bool figureShown, boundaryShown;
    } cases[] = {{true, true, true, true, true, true},
                 // Each kind follows its own switch; labels have theirs.
                 {true, false, false, true, true, false},
                 {false, true, false, true, false, true},
                 // Without colours both in the foreground colour.
                 {true, true, false, false, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.figures) + std::to_string(c.boundaries) +
                     std::to_string(c.labels) + std::to_string(c.colours));
        o.showConstellationFigures = c.figures;
        o.showConstellationBoundaries = c.boundaries;
        o.showConstellationLabels = c.labels;
        o.useColor = c.colours;
        Redraw();
        const RGBColor fg = ForegroundColor();
        EXPECT_EQ(LitNear(1.0, 0.2, c.colours ? figure : fg), c.figureShown);
        EXPECT_EQ(LitNear(1.0, 0.3, c.colours ? border : fg), c.boundaryShown);
        EXPECT_EQ(labelInk() > 10, c.labels);
    }
    EXPECT_EQ(getFile(customFile())->lastDrawGeneration, gDrawGeneration);

    // An endpoint star that is gone takes its line with it once the data
    // is recomputed; the boundary line stays.
    o.useColor = true;
    FreeObject(removeObject(bId));
    RecomputeAndRedraw(true);
    Redraw();
    EXPECT_FALSE(LitNear(1.0, 0.2, figure));
    EXPECT_TRUE(LitNear(1.0, 0.3, border));
}

TEST_F(ConstellationTest, EndpointsFollowTheirObjects) {
    CatalogObject* a = AddStar(0.9, 0.2);
    CatalogObject* b = AddStar(1.1, 0.2);
    LineObject* line = AddLine(kTypeFigureLine, a->id, b->id, {0.0, 0.0, 0.0, 0.0});
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
    Prepare(kEquatorial, kMercator, 0.0, 0.0, kTwoPi);
    // A boundary behind the observer across the meridian opposite the centre.
    AddLine(kTypeBoundaryLine, 0, 0,
            {175.0 * kDegree, 20.0 * kDegree, 185.0 * kDegree, 20.0 * kDegree});
    Redraw();
    const RGBColor border = gDisplayOptions.colors[kBoundaryColor];
    ASSERT_GT(picture->CountOf(border), 0);
    EXPECT_EQ(picture->CountOf(border, 20, 0, kWidth - 20), 0) << "across the chart";
    // Both pieces reach the seam, where the truncated scale puts half a turn.
    EXPECT_GT(picture->CountOf(border, 0, 0, 4), 0);
    EXPECT_GT(picture->CountOf(border, kWidth - 4), 0);
}

// ---------------------------------------------------------------------------
// The legend (its band and first row in the scenes)

TEST_F(OverlaysTest, LegendFromAnObjectNamesIt) {
    SolarSystemObject* craft = ViewFrom(1.0, 0.0);
    craft->name = CopyText("Voyager");
    gViewer.viewerObjectOffset[0] = 0.05;
    PrepareComputation();
    SetStarScale();
    DrawLegend(Rect{0, 0, kWidth, kHeight});
    SelectChartFont();
    int w = 0, lineHeight = 0, distanceWidth = 0;
    TextExtent("A", &w, &lineHeight);
    TextExtent("7479894 km from", &distanceWidth, nullptr);
    const int top = kHeight - 4 * lineHeight - 1;
    // Rows 1 and 2 carry the distance and the name; row 3 of the first
    // column is empty (above the frame's bottom line).
    auto ink = [&](int row, int to) {
        const int y = top + 1 + row * lineHeight;
        return picture->CountOf(ForegroundColor(), 3, y, to, std::min(y + lineHeight, kHeight - 1));
    };
    EXPECT_GT(ink(1, 3 + distanceWidth), 5);
    EXPECT_GT(ink(2, 40), 5);
    EXPECT_EQ(ink(3, 40), 0);
}

} // namespace
