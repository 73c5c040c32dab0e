// Overlays: the line primitive (clipping, the horizon mask, the projections'
// valid regions and the cylindrical seam), grid circles, constellation lines
// from the store, and the texts of labels and the legend.

#include "chart/Overlays.h"

#include "ChartTestSupport.h"

#include "astro/CoordinateText.h"
#include "astro/TimeScales.h"

namespace {

using namespace chart_test;

constexpr int kWidth = 400;
constexpr int kHeight = 300;

// The altitude (radians) of the sky under a pixel.
double AltitudeAt(Point p) {
    Vector3 v;
    EXPECT_TRUE(UnprojectPoint(p.x, p.y, v));
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
    void Fill(RGBColor color) {
        picture->Resume();
        SetColor(color, 0, true);
        Rectangle(0, 0, kWidth, kHeight);
    }
    // The chart frame for a view of the whole picture (no legend).
    static void Prepare(int system, int projection, double lon, double lat, double width) {
        gChartView.coordinateSystem = static_cast<std::int16_t>(system);
        gChartView.projection = static_cast<std::int16_t>(projection);
        gChartView.centerLongitude = lon;
        gChartView.centerLatitude = lat;
        gChartView.fieldWidth = width;
        PrepareComputation();
        PrepareChartFrame(Rect{0, 0, kWidth, kHeight}, ChartLegendHeight());
    }
    // The line from one chart-frame direction to another.
    static LineResult Line(int frame, std::array<double, 4> degrees) {
        std::int32_t from[3], to[3];
        Direction(degrees[0] * kDegree, degrees[1] * kDegree, from, frame);
        Direction(degrees[2] * kDegree, degrees[3] * kDegree, to, frame);
        MoveToDirection(from);
        return LineToDirection(to);
    }
};

TEST(OverlayTexts, LabelsRoundAndCarry) {
    const double hour = 0.26179938781323336, minute = kDegree / 60.0;
    std::string time, date, nextTime, nextDate;
    FormatLocalTime(2451545.0, 10.0 / 24.0, kCalendarGregorian, time, date); // ten hours east
    // 23:59:59.7 shows as midnight of the next day, never as 60 seconds.
    FormatLocalTime(2451545.0 + (11.0 * 3600.0 + 59.0 * 60.0 + 59.7) / 86400.0, 0.0,
                    kCalendarGregorian, nextTime, nextDate);
    const std::pair<std::string, const char*> cases[] = {
        {FormatDeclinationLabel(-0.5 * kDegree), "-00\xB0 30'"},
        {FormatDeclinationLabel(5.0 * kDegree + 0.3 * minute), "+05\xB0"},   // under a half: out
        {FormatDeclinationLabel(10.0 * kDegree + 59.6 * minute), "+11\xB0"}, // carries
        {FormatDeclinationLabel(-1e-12), "+00\xB0"},                     // the equator is never -00
        {FormatRightAscensionLabel((23.0 + 59.6 / 60.0) * hour), " 0h"}, // 24h is 0h
        {FormatViewerDistance(0.05), "7479894 km from"},
        {FormatViewerDistance(206264.8), "1.00 pc from"},
        {FormatViewerDistance(2.062648e11), "1.00 Mpc from"},
        {FormatSiteAngle(-(71.0 + 30.0 / 60.0 + 59.7 / 3600.0) * kDegree, 'E', 'W'),
         "71\xB0 31' 00\" W"}, // 59.7 seconds carry instead of showing 60
        {FormatFieldWidth(4.848136812202333e-6), "0\xB0 00' 01\""},
        {time + " " + date, "22:00:00 2000/01/01"},
        {nextTime + " " + nextDate, "00:00:00 2000/01/02"}};
    for (const auto& [got, want] : cases)
        EXPECT_EQ(got, want);
    EXPECT_EQ(LegendMagnitudes(500, 520),
              (std::array<std::int16_t, 6>{520, 516, 512, 508, 504, 500}));
}

TEST(OverlayTexts, GridCircleCounts) {
    // Ten degrees as the defaults and the dialog make it, as the settings
    // file reads it, and exactly.
    for (double interval : {10.0 * 0.01745329252, 10.0 * 0.017453292520882225, 10.0 * kDegree}) {
        ASSERT_EQ(GridDeclinations(interval).size(), 17u) << "interval " << interval;
        EXPECT_EQ(FormatDeclinationLabel(GridDeclinations(interval)[8]), "+00\xB0");
    }
    // An hour and a half as the dialog stores it, and in degrees as a
    // settings file holds it.
    for (double interval : {1.5 * 0.26179938781323336, 22.5 * 0.01745329252}) {
        ASSERT_EQ(GridRightAscensions(interval).size(), 16u);
        EXPECT_EQ(FormatRightAscensionLabel(GridRightAscensions(interval)[15]), "22h 30m");
    }
    // Intervals a settings file may hold that the dialog would not take.
    EXPECT_TRUE(GridDeclinations(-0.1).empty() && GridDeclinations(std::nan("")).empty() &&
                GridRightAscensions(0.0).empty());
    EXPECT_EQ(GridDeclinations(1e-12).size(), GridDeclinations(0.0002908882086813704).size());
    EXPECT_EQ(GridRightAscensions(1e-12).size(), 1440u);
}

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
    // the tangent plane than one pixel's worth) gets the overflow values.
    Prepare(kEquatorial, kPlanar, 1.0, 0.0, 0.5 * kDegree);
    const double lon = 1.0 / kDegree;
    LineResult across = Line(kFrameEquatorial, {lon + 30, 0, lon - 30, 0});
    EXPECT_TRUE(across.drawn && !across.startDrawable && !across.endDrawable);
    EXPECT_EQ(std::min(across.start.x, across.end.x), gFrame.left);
    EXPECT_EQ(std::max(across.start.x, across.end.x), gFrame.right);
    EXPECT_GT(picture->CountOf(kInk, 0, 0, 1), 0) << "the line spans the width";
    EXPECT_GT(picture->CountOf(kInk, kWidth - 1, 0), 0);

    std::int32_t far[3];
    Direction(1.0, -(90.0 - 0.0011) * kDegree, far, kFrameEquatorial);
    ASSERT_EQ(ProjectDirection(far).y, 2147483647);
    picture->Resume();
    LineResult out = Line(kFrameEquatorial, {lon, 0, lon, -(90.0 - 0.0011)});
    EXPECT_TRUE(out.drawn && out.startDrawable);
    EXPECT_EQ(std::tuple(out.start.x, out.start.y), std::tuple(gFrame.centerX, gFrame.centerY));
    EXPECT_EQ(out.end.y, gFrame.bottom) << "from the centre to the edge";
}

TEST_F(OverlaysTest, SegmentsOutsideTheValidRegionAreNotDrawn) {
    // Planar: not with an end behind the viewer; Spherical: not on the far
    // hemisphere; Lambert shows nearly the whole sky.
    const std::tuple<int, double, double, bool> cases[] = {{kPlanar, 90, 100, false},
                                                           {kPlanar, 90, 80, true},
                                                           {kSpherical, 180, 80, true},
                                                           {kSpherical, 180, 100, false},
                                                           {kLambert, 270, 100, true}};
    for (auto [projection, width, to, drawn] : cases) {
        Prepare(kEquatorial, projection, 0.0, 0.0, width * kDegree);
        EXPECT_EQ(Line(kFrameEquatorial, {10, 0, to, 0}).drawn, drawn) << projection << " " << to;
    }
}

TEST_F(OverlaysTest, LineToDirectionCutsAtTheHorizon) {
    gComputationOptions.horizonAltitude = 5.0 * kDegree;
    // Looking south, the horizon altitude in the middle of a 30 degree chart.
    Prepare(kHorizon, kPlanar, 180.0 * kDegree, 5.0 * kDegree, 30.0 * kDegree);
    gDisplayOptions.showHorizonMask = true;
    // Rising out of the horizon: starts on it; the start was not drawable.
    LineResult rising = Line(kFrameHorizon, {178, -5, 183, 15});
    ASSERT_TRUE(rising.drawn);
    EXPECT_FALSE(rising.startDrawable);
    EXPECT_TRUE(rising.endDrawable);
    EXPECT_NEAR(AltitudeAt(rising.start), 5.0 * kDegree, 0.15 * kDegree);
    // Setting: ends on it, and the end is not drawable; the cursor kept its
    // own, uncut end.
    std::int32_t deep[3], below[3];
    Direction(186.0 * kDegree, -2.0 * kDegree, deep, kFrameHorizon);
    LineResult setting = LineToDirection(deep);
    ASSERT_TRUE(setting.drawn);
    EXPECT_TRUE(setting.startDrawable);
    EXPECT_FALSE(setting.endDrawable);
    EXPECT_NEAR(AltitudeAt(setting.end), 5.0 * kDegree, 0.15 * kDegree);
    Direction(178.0 * kDegree, -5.0 * kDegree, below, kFrameHorizon);
    EXPECT_FALSE(LineToDirection(below).drawn) << "both ends below";
}

TEST_F(OverlaysTest, MollweideSplitsASeamCrossingWithOneEndInFront) {
    Prepare(kEquatorial, kMollweide, 0.0, 0.0, kTwoPi);
    // From 80 degrees (in front) to 190 degrees (behind): the arc between
    // them passes through 180 degrees, not through the centre.
    EXPECT_TRUE(Line(kFrameEquatorial, {80, 0, 190, 0}).drawn);
    EXPECT_EQ(picture->Count(NotBlack, gFrame.centerX - 20, gFrame.centerY - 3, gFrame.centerX + 21,
                             gFrame.centerY + 4),
              0)
        << "drawn through the centre";
}

TEST_F(OverlaysTest, GridCirclesAreDrawnWhereTheyBelong) {
    Prepare(kEquatorial, kPlanar, 0.0, 0.0, 60.0 * kDegree);
    gDisplayOptions.showGridLines = true;
    gDisplayOptions.showHorizonLine = false;
    DrawGrids();
    // Between two meridians: on the +20 degree circle, and between circles;
    // then on the 1h meridian.
    for (auto [lon, lat, lit] :
         {std::tuple{7.5, 20.0, true}, std::tuple{7.5, 5.0, false}, std::tuple{15.0, 5.0, true}}) {
        std::int32_t v[3];
        Direction(lon * kDegree, lat * kDegree, v, kFrameEquatorial);
        ProjectedPoint p = ProjectDirection(v);
        EXPECT_EQ(picture->CountOf(gDisplayOptions.colors[kGridColor], p.x - 1, p.y - 1, p.x + 2,
                                   p.y + 2) > 0,
                  lit)
            << lon << ", " << lat;
    }
}

class ConstellationTest : public OverlaysTest {
protected:
    void SetUp() override {
        OverlaysTest::SetUp();
        // Precession to the date moves nothing here: the chart is J2000.
        gComputationOptions.precession = false;
        gComputationOptions.precessionEpoch = 2451545.0;
        Prepare(kEquatorial, kPlanar, 1.0, 0.2, 40.0 * kDegree);
    }
    static CatalogObject* AddStar(double ra, double dec) {
        CatalogObject* star = NewCatalogObject(kTypeSingleStar);
        Direction(ra, dec, star->position);
        star->catalogMagnitude = 300;
        return AsCatalog(getObject(addObject(star, 0)));
    }
    static LineObject* AddLine(int type, ObjectID a, ObjectID b, std::array<double, 4> ends,
                               const char* label = nullptr) {
        LineObject* line = NewLineObject(type);
        line->endpointObjects[0] = a;
        line->endpointObjects[1] = b;
        for (int k = 0; k < 2; ++k)
            Direction(ends[2 * k], ends[2 * k + 1], line->endpointPositions[k]);
        if (label != nullptr) line->label = CopyText(label);
        return AsLine(getObject(addObject(line, 0)));
    }
    // Whether a pixel of the colour lies within two pixels of the J2000 direction.
    bool LitNear(double ra, double dec, RGBColor color) {
        std::int32_t v[3];
        Direction(ra, dec, v);
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
    const ObjectID bId = AddStar(1.1, 0.2)->id;
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
    // Each kind follows its own switch, labels theirs; without colours both
    // are in the foreground colour.
    const std::array<bool, 6> cases[] = {{true, true, true, true, true, true},
                                         {false, true, false, true, false, true},
                                         {true, false, false, false, true, false}};
    for (auto [figures, boundaries, labels, colours, figureShown, boundaryShown] : cases) {
        SCOPED_TRACE(std::to_string(figures) + std::to_string(boundaries) + std::to_string(labels));
        o.showConstellationFigures = figures;
        o.showConstellationBoundaries = boundaries;
        o.showConstellationLabels = labels;
        o.useColor = colours;
        Redraw();
        EXPECT_EQ(LitNear(1.0, 0.2, colours ? figure : ForegroundColor()), figureShown);
        EXPECT_EQ(LitNear(1.0, 0.3, colours ? border : ForegroundColor()), boundaryShown);
        EXPECT_EQ(labelInk() > 10, labels);
    }
    EXPECT_EQ(getFile(customFile())->lastDrawGeneration, gDrawGeneration);

    // An endpoint star that is gone takes its line with it once the data
    // is recomputed; the boundary line stays.
    o.useColor = o.showConstellationBoundaries = true;
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
    Direction(1.1, 0.3, b->position);
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
    EXPECT_EQ(picture->CountOf(border, 20, 0, kWidth - 20), 0) << "across the chart";
    // Both pieces reach the seam, where the truncated scale puts half a turn.
    EXPECT_GT(picture->CountOf(border, 0, 0, 4), 0);
    EXPECT_GT(picture->CountOf(border, kWidth - 4), 0);
}

} // namespace
