// The view commands: field width with the projection switch and the
// automatic magnitude limits, centring on objects, scrolling, and the chart
// window's double click.

#include "ChartTestSupport.h"

#include "chart/Overlays.h"
#include "data/Driver.h"

#include <limits>

namespace {

using namespace chart_test;

constexpr double kDeg = 0.01745329252; // as the view commands convert
constexpr double kFloatInf = std::numeric_limits<float>::infinity();
constexpr double kPole = 1.570796317 / kDeg; // where scrolling stops, in degrees

int gMenuUpdates = 0;
bool gTelescopeStayCentred = false;

class ViewCommandsTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        gDisplayOptions.showConstellations = false;
        gDisplayOptions.automaticMagnitudeLimits = false;
        gViewer.latitude = 40 * kDeg;
        gViewer.julianDate = 2451545.0 + 1234.5;
        PrepareComputation();
        SetMessageResponder([this](const MessageRecord&) { return answer; });
        ClearRecordedMessages();
        gMenuUpdates = 0;
        gTelescopeStayCentred = false;
        setMenuStateUpdater([] { ++gMenuUpdates; });
        setTelescopeStayCenteredClearer([] { return std::exchange(gTelescopeStayCentred, false); });
    }
    void TearDown() override {
        setTelescopeStayCenteredClearer(nullptr);
        ChartTest::TearDown();
    }
    // A star (or a deep-sky object a degree across) at a J2000 position;
    // distance in AU (infinity: unknown).
    static ObjectID AddStar(const char* name, double ra, double dec, float distance = kFloatInf,
                            int type = kTypeSingleStar) {
        CatalogObject* star = NewCatalogObject(type);
        Direction(ra, dec, star->position);
        if (type != kTypeSingleStar) star->size = static_cast<float>(kDeg);
        star->catalogDistance = distance;
        star->radialVelocity = kFloatInf;
        star->catalogMagnitude = 100;
        star->name = CopyText(name);
        ObjectID id = addObject(star, 0);
        EXPECT_NE(id, 0);
        return id;
    }
    // An Equatorial chart centred on (ra, dec), `degrees` wide.
    static void AimAt(double ra, double dec, double degrees = 20) {
        gChartView.coordinateSystem = kEquatorial;
        gChartView.centerLongitude = ra;
        gChartView.centerLatitude = dec;
        gChartView.fieldWidth = degrees * kDeg;
    }
    int answer = AnswerOK;
};

TEST_F(ViewCommandsTest, TooWideAFieldOffersTheFirstProjectionThatFits) {
    struct Case {
        int from;
        double width; // degrees, or 0 for Zoom Out
        int answer;
        const char* offered; // nullptr: no question
        int projection;
        double result; // the width after
    } cases[] = {{kPlanar, 136, AnswerCancel, "Spherical", kPlanar, 90},
                 {kPlanar, 135, AnswerOK, nullptr, kPlanar, 135}, // exactly 135 still fits
                 {kPlanar, 300, AnswerOK, "Mercator", kMercator, 300},
                 {kLambert, 0, AnswerOK, "Mercator", kMercator, 360}, // Zoom Out from 270
                 {kMercator, 0, AnswerOK, nullptr, kMercator, 360}};  // takes any width
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.width));
        gChartView.projection = static_cast<std::int16_t>(c.from);
        gChartView.fieldWidth = c.width == 0 ? 4.7123889804 : 90 * kDeg;
        ClearRecordedMessages();
        answer = c.answer;
        if (c.width == 0)
            ViewMenuCommand(259, 11); // Zoom Out, factor 2
        else
            SetFieldWidth(c.width == 135 ? 2.3561944905 : c.width * kDeg);
        ASSERT_EQ(RecordedMessages().size(), c.offered != nullptr ? 1u : 0u);
        if (c.offered != nullptr) {
            EXPECT_EQ(RecordedMessages()[0].buttons, ButtonsOKCancel);
            EXPECT_EQ(RecordedMessages()[0].text,
                      "This field of view is too large to be displayed with the current chart "
                      "projection.  Switch to a " +
                          std::string(c.offered) + " projection?");
        }
        EXPECT_EQ(gChartView.projection, c.projection);
        EXPECT_NEAR(gChartView.fieldWidth, std::min(c.result * kDeg, 6.283185307), 1e-9);
    }
}

TEST_F(ViewCommandsTest, FieldWidthIsClampedToOneArcsecondAndAFullTurn) {
    gChartView.projection = kMollweide;
    const std::pair<double, double> cases[] = {
        {6.3, 6.283185307}, {-1.0, 4.848136812202333e-6}, {std::nan(""), 4.848136812202333e-6}};
    for (auto [width, clamped] : cases) {
        SetFieldWidth(width);
        EXPECT_DOUBLE_EQ(gChartView.fieldWidth, clamped) << width;
    }
    ViewMenuCommand(259, 10); // Zoom In from 1" stays at 1"
    EXPECT_DOUBLE_EQ(gChartView.fieldWidth, 4.848136812202333e-6);
}

TEST_F(ViewCommandsTest, AutomaticMagnitudeLimits) {
    const std::tuple<double, double, int> steps[] = {
        {2.0, 1.0, 100}, {1.0, 2.0, -100},
        {3.0, 2.0, 58},  {2.0, 3.0, -58}, // 58.496
        {0.0, 1.0, 0},   {1.0, std::numeric_limits<double>::infinity(), 0}};
    for (auto [from, to, step] : steps)
        EXPECT_EQ(MagnitudeLimitStep(from, to), step) << from << " to " << to;

    DisplayOptions& o = gDisplayOptions;
    o.automaticMagnitudeLimits = true;
    o.faintestStarMagnitude = 600;
    gChartView.projection = kLambert;
    gChartView.fieldWidth = 90 * kDeg;
    ViewMenuCommand(259, 10); // Zoom In: one halving
    EXPECT_EQ(o.faintestStarMagnitude, 700);
    // A declined projection switch changes nothing, limits included.
    answer = AnswerCancel;
    ViewMenuCommand(259, 13);
    EXPECT_EQ(o.faintestStarMagnitude, 700);
}

TEST_F(ViewCommandsTest, CenterOnObjectAndTheHorizonMask) {
    // One star at the zenith of now, one at the nadir.
    ObjectID up = AddStar("Up", 0, 0), down = AddStar("Down", 0, 0);
    for (auto [id, sign] : {std::pair{up, 0.999}, {down, -0.999}}) {
        CatalogObject* star = AsCatalog(getObject(id));
        for (int i = 0; i < 3; ++i)
            star->position[i] =
                static_cast<std::int32_t>(gInstant.frames.horizon[2][i] * sign * 1073741824.0);
        star->computeStamp = 0;
    }
    PrepareChartFrame(Rect{0, 0, 800, 600}, ChartLegendHeight());
    EXPECT_EQ(CenterOnObject(MakeObjectID(FileID(77), 5)), 0) << "not in the store";
    EXPECT_EQ(gChartView.centeredObject, 0);
    gDisplayOptions.showHorizonMask = true;
    gTelescopeStayCentred = true;
    EXPECT_EQ(CenterOnObject(up), 1);
    EXPECT_EQ(gChartView.centeredObject, up);
    EXPECT_FALSE(gTelescopeStayCentred);

    // Below the horizon with the mask on: Cancel, No (centre, keep the mask),
    // Yes (centre, drop the mask); then, the mask off, no question.
    const std::tuple<int, int, ObjectID, bool> answers[] = {{AnswerCancel, 0, up, true},
                                                            {AnswerNo, 1, down, true},
                                                            {AnswerYes, 1, down, false},
                                                            {AnswerYes, 1, down, false}};
    for (auto [reply, result, centred, mask] : answers) {
        SCOPED_TRACE(reply);
        answer = reply;
        gChartView.centeredObject = up;
        EXPECT_EQ(CenterOnObject(down), result);
        EXPECT_EQ(gChartView.centeredObject, centred);
        EXPECT_EQ(gDisplayOptions.showHorizonMask, mask);
    }
    ASSERT_EQ(RecordedMessages().size(), 3u);
    EXPECT_EQ(RecordedMessages()[0].buttons, ButtonsYesNoCancel);
}

TEST_F(ViewCommandsTest, CenterMenuFindsItsObjectByTheExactNameOrSaysSo) {
    AddStar("Marsh", 1.0, 0.2); // "Marsh" is not Mars
    ViewMenuCommand(31, 6);     // Mars
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text,
              "There's no object containing the name \"Mars\" in memory!");
    EXPECT_EQ(gChartView.centeredObject, 0);
    ObjectID mars = AddStar("Mars", 1.0, 0.2);
    ViewMenuCommand(31, 6);
    EXPECT_EQ(gChartView.centeredObject, mars);
}

TEST_F(ViewCommandsTest, ScrollingStepsWrapAndStopShortOfThePoles) {
    ASSERT_NE(CreateChartWindow(), nullptr);
    ChartView& v = gChartView;
    v.fieldWidth = 36 * kDeg; // one arrow step: 1 degree at 36 per field; a page half the field
    struct Case {
        int system, bar, action;
        double from, to; // degrees of longitude or latitude
    } cases[] = {
        {kEquatorial, kHorizontalScrollBar, ScrollLineUp, 100, 101}, // line left
        {kHorizon, kHorizontalScrollBar, ScrollLineUp, 100, 99},     // the other way
        {kHorizon, kHorizontalScrollBar, ScrollPageDown, 100, 118},
        {kEquatorial, kHorizontalScrollBar, ScrollLineUp, 359.5, 0.5}, // wraps into [0, 360)
        {kEquatorial, kHorizontalScrollBar, ScrollLineDown, 0.5, 359.5},
        {kEquatorial, kHorizontalScrollBar, 8, 10, 10}, // no scroll action
        {kEquatorial, 3, ScrollLineUp, 10, 10},         // no scroll bar
        {kEquatorial, kVerticalScrollBar, ScrollPageUp, 80, kPole},
        {kEquatorial, kVerticalScrollBar, ScrollLineDown, -89.5, -kPole}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.system) + " " + std::to_string(c.action) + " from " +
                     std::to_string(c.from));
        v.coordinateSystem = static_cast<std::int16_t>(c.system);
        double& value = c.bar == kVerticalScrollBar ? v.centerLatitude : v.centerLongitude;
        value = c.from * kDeg;
        HandleScroll(c.bar, c.action);
        EXPECT_NEAR(value, c.to * kDeg, 1e-9);
    }
}

TEST_F(ViewCommandsTest, ShiftScrollOrbitsTheCentredObject) {
    ASSERT_NE(CreateChartWindow(), nullptr);
    ObjectID star = AddStar("Near", 1.0, 0.3, 2.0e5f);
    gChartView.coordinateSystem = kEquatorial;
    gChartView.centeredObject = star;
    PrepareChartFrame(Rect{0, 0, 800, 600}, ChartLegendHeight());
    const double lon = gChartView.centerLongitude, lat = gChartView.centerLatitude;
    const double distance = ObjectDistance(getObject(star));
    ASSERT_TRUE(std::isfinite(distance));
    Matrix3 equatorial;
    CopyMatrix(gInstant.frames.equatorial, equatorial);

    gTelescopeStayCentred = true;
    ScrollChart(kHorizontalScrollBar, ScrollLineUp, true); // half a turn per 36 steps
    EXPECT_FALSE(gTelescopeStayCentred);
    EXPECT_EQ(gChartView.centeredObject, star);
    EXPECT_EQ(gViewer.viewerObject, star);
    // The object is seen from there, as far, in the new centre direction.
    Vector3 seen{-gViewer.viewerObjectOffset[0], -gViewer.viewerObjectOffset[1],
                 -gViewer.viewerObjectOffset[2]};
    EXPECT_NEAR(VectorLength(seen), distance, distance * 1e-9);
    TransformVector(equatorial, seen);
    double seenLon, seenLat;
    RectangularToSpherical(seen, &seenLon, &seenLat, nullptr);
    EXPECT_NEAR(seenLon, lon + 3.141592654 / 36, 1e-9);
    EXPECT_NEAR(seenLat, lat, 1e-9);

    // An object without a distance can't be orbited: the view stays.
    setViewerDefaults();
    PrepareComputation();
    gChartView.centeredObject = AddStar("Far", 2.0, -0.3);
    ScrollChart(kVerticalScrollBar, ScrollLineDown, true);
    EXPECT_NE(gChartView.centeredObject, 0);
    EXPECT_EQ(gViewer.viewerObject, 0);
    // A plain scroll lets the centred object go.
    HandleScroll(kVerticalScrollBar, ScrollLineUp);
    EXPECT_EQ(gChartView.centeredObject, 0);
}

// Double-clicking centres on the sky under the mouse; outside the disc of a
// Spherical chart there is no sky to centre on, nor to drag from.
TEST_F(ViewCommandsTest, DoubleClickRecentresOnTheSkyOnly) {
    WindowRef window = CreateChartWindow();
    gChartView.coordinateSystem = kEquatorial;
    gChartView.projection = kSpherical;
    gChartView.fieldWidth = 170.0 * kDegree;
    RenderChart();
    const int x = gFrame.centerX + 30, y = gFrame.centerY - 20;
    Vector3 v;
    ASSERT_TRUE(UnprojectPoint(x, y, v));
    ASSERT_FALSE(UnprojectPoint(gFrame.left, gFrame.top, v));
    UnprojectPoint(x, y, v);
    TransformVector(*FrameMatrix(gInstant.frames, kEquatorial), v);
    double lon = 0.0, lat = 0.0;
    RectangularToSpherical(v, &lon, &lat, nullptr);
    gChartView.centeredObject = 77; // a centred object is let go
    SendWindowEvent(window, DoubleClick, x, y);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-9);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-9);
    EXPECT_EQ(gChartView.centeredObject, 0);
    RenderChart();
    SendWindowEvent(window, DoubleClick, gFrame.left, gFrame.top);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-9);
    for (int event : {MouseDown, MouseDrag, MouseUp})
        SendWindowEvent(window, event, gFrame.left + (event == MouseDown ? 1 : 30), gFrame.top + 1);
    EXPECT_FALSE(std::isnan(gChartView.centerLongitude));
}

// Sideways drags used to follow great circles and sink the view (40 drags
// took altitude 45 to 25); the wheel zooms about the sky under the cursor,
// adding up fractions of a notch.
TEST_F(ViewCommandsTest, DragsKeepTheHorizonLevelAndTheWheelZoomsAboutTheCursor) {
    WindowRef window = CreateChartWindow();
    ChartView& v = gChartView;
    v.coordinateSystem = kHorizon;
    v.fieldWidth = 90 * kDeg;
    v.centerLongitude = 180 * kDeg;
    v.centerLatitude = 45 * kDeg;
    ShowWindow(window);
    RenderChart();
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(PanChart(i < 20 ? 37 : -37, 0));
    EXPECT_NEAR(v.centerLatitude, 45 * kDeg, 1e-12);
    EXPECT_NEAR(v.centerLongitude, 180 * kDeg, 1e-9);
    ASSERT_TRUE(PanChart(0, 50));
    EXPECT_NEAR(v.centerLongitude, 180 * kDeg, 1e-9);
    EXPECT_GT(v.centerLatitude, 45 * kDeg);

    const int x = gFrame.centerX + 120, y = gFrame.centerY - 70;
    Vector3 grabbed;
    ASSERT_TRUE(UnprojectPoint(x, y, grabbed));
    const double width = v.fieldWidth;
    SendWindowEvent(window, MouseWheel, 60, PackPoint(x, y));
    EXPECT_EQ(v.fieldWidth, width);
    SendWindowEvent(window, MouseWheel, 60, PackPoint(x, y));
    EXPECT_NEAR(v.fieldWidth, width / v.zoomFactor, 1e-12);
    ProjectedPoint p = ProjectVector(grabbed);
    EXPECT_LE(std::abs(p.x - x) + std::abs(p.y - y), 2);
}

// Clicks pick a point star within 3 pixels but not 4, a diffuse nebula
// within its diamond and a galaxy within an ellipse half as tall as wide,
// each widened by the same 3 pixels.
TEST_F(ViewCommandsTest, ClicksHitStarsDiamondsAndEllipses) {
    AimAt(1.0, 0.3);
    const ObjectID ids[] = {AddStar("Point", 1.0, 0.3),
                            AddStar("Diamond", 1.1, 0.3, kFloatInf, kTypeDiffuseNebula),
                            AddStar("Ellipse", 0.9, 0.3, kFloatInf, kTypeGalaxy)};
    Draw(400, 300);
    struct Case {
        int dx, dy;
        bool hit;
    };
    for (ObjectID id : ids) {
        ProjectedObject p = ProjectObject(getObject(id));
        ASSERT_TRUE(p.visible);
        const int r = p.radius + kClickTolerance, h = r / 2;
        std::vector<Case> cases{{3, 0, true}, {4, 0, false}, {2, -2, true}, {-3, 1, false}};
        if (getObject(id)->type == kTypeDiffuseNebula)
            cases = {{r, 0, true}, {r, 1, false}, {2 - r, -2, true}, {r - 1, 2, false}};
        if (getObject(id)->type == kTypeGalaxy)
            cases = {{-r, 0, true}, {r + 1, 0, false}, {0, h, true}, {0, -h - 1, false}};
        EXPECT_EQ(p.radius > 5, getObject(id)->type != kTypeSingleStar);
        for (const Case& c : cases)
            EXPECT_EQ(HitTestObject(id, p.x + c.dx, p.y + c.dy, kClickTolerance), c.hit)
                << id << ": " << c.dx << ", " << c.dy << " of radius " << p.radius;
    }
}

// A click on an object shows it in the Object Info window, a release away
// from it takes the click back, and a press on empty sky drags the chart as
// before; nothing drawn (too faint) is nothing to pick.
TEST_F(ViewCommandsTest, AClickShowsAnObjectAndEmptySkyDrags) {
    static ObjectID shown = 0, described = 0;
    InfoWindowHooks hooks;
    hooks.show = [](ObjectID id, bool) { shown = id; };
    hooks.object = [] { return described; };
    setInfoWindowHooks(hooks);
    WindowRef window = CreateChartWindow();
    AimAt(1.0, 0.3);
    const ObjectID first = AddStar("First", 1.0, 0.3), second = AddStar("Second", 1.0, 0.3);
    RenderChart();
    const ProjectedObject p = ProjectObject(getObject(first));
    // The first in file order, unless the other is the one described.
    EXPECT_EQ(FindObjectAt(p.x, p.y + 3, kClickTolerance), first);
    described = second;
    EXPECT_EQ(FindObjectAt(p.x, p.y, kClickTolerance), second);
    described = 0;
    struct Case {
        int down, up; // x of the press and of the release
        ObjectID shown;
        bool drags;
    } cases[] = {{p.x + 3, p.x + 5, first, false},
                 {p.x + 3, p.x + 9, 0, false},
                 {p.x + 40, p.x + 50, 0, true}};
    for (const Case& c : cases) {
        shown = 0;
        AimAt(1.0, 0.3);
        RenderChart();
        SendWindowEvent(window, MouseDown, c.down, p.y);
        EXPECT_EQ(DragInProgress(), c.drags);
        SendWindowEvent(window, MouseDrag, c.up, p.y);
        SendWindowEvent(window, MouseUp, c.up, p.y);
        EXPECT_EQ(shown, c.shown) << c.down;
        EXPECT_EQ(gChartView.centerLongitude != 1.0, c.drags) << c.down;
        EXPECT_EQ(CurrentPress(), PressKind::None);
    }
    gDisplayOptions.faintestStarMagnitude = 50;
    RenderChart();
    EXPECT_EQ(FindObjectAt(p.x, p.y, kClickTolerance), 0);
    EXPECT_TRUE(RecordedMessages().empty());
    setInfoWindowHooks({});
}

// The Mouse Coordinates readout measures from the press point (it used to
// show a separation and position angle of 0 whatever the drag).
TEST_F(ViewCommandsTest, TheReadoutMeasuresFromThePressPoint) {
    AimAt(1.0, 0.0, 4);
    Draw(800, 600);
    const Point from{gFrame.centerX, gFrame.centerY};
    EXPECT_NE(ReadoutText(from.x, from.y, nullptr).find("Sep: 000\xB0 00' 00.0\"  PA: 000.0\xB0"),
              std::string::npos);
    // One degree north, east and south: R.A. and Dec. steps, position angle.
    const double towards[][3] = {{0, 1, 0}, {1, 0, 90}, {0, -1, 180}};
    for (const auto& t : towards) {
        std::int32_t v[3];
        Direction(1.0 + t[0] * kDeg, t[1] * kDeg, v, kEquatorial);
        ProjectedPoint p = ProjectDirection(v);
        std::string text = ReadoutText(p.x, p.y, &from);
        int degrees = 0, minutes = 0;
        double seconds = 0.0, angle = 0.0;
        ASSERT_EQ(std::sscanf(text.c_str() + text.find("Sep: "), "Sep: %d\xB0 %d' %lf\"  PA: %lf",
                              &degrees, &minutes, &seconds, &angle),
                  4)
            << text;
        EXPECT_NEAR(degrees * 3600 + minutes * 60 + seconds, 3600.0, 20.0) << text;
        EXPECT_NEAR(std::remainder(angle - t[2], 360.0), 0.0, 0.5) << text;
    }
}

// Edit Constellations: a drag from one star to another adds their figure
// line to the file for new objects, toggling it again either way round takes
// it away, and a read-only file refuses with message 539.
TEST_F(ViewCommandsTest, DragsBetweenStarsToggleFigureLines) {
    WindowRef window = CreateChartWindow();
    AimAt(1.0, 0.3);
    const ObjectID a = AddStar("A", 1.0, 0.3), b = AddStar("B", 1.05, 0.3);
    DatabaseFile* file = getFile(customFile());
    RenderChart();
    const ProjectedObject pa = ProjectObject(getObject(a)), pb = ProjectObject(getObject(b));
    SetEditingConstellations(true);
    SendWindowEvent(window, MouseDown, pa.x, pa.y);
    SendWindowEvent(window, MouseDrag, pb.x + 1, pb.y);
    SendWindowEvent(window, MouseUp, pb.x + 1, pb.y);
    SetEditingConstellations(false);
    ASSERT_EQ(file->lineCount, 1);
    const LineObject* line = AsLine(getObject(MakeObjectID(file->fileId, 3)));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->type == kTypeFigureLine && line->endpointObjects[0] == a &&
                line->endpointObjects[1] == b);
    EXPECT_EQ(ToggleFigureLine(b, a), 1);
    EXPECT_EQ(file->lineCount, 0);
    setReadOnly(file, true);
    ClearRecordedMessages();
    EXPECT_EQ(ToggleFigureLine(a, b), 0);
    EXPECT_EQ(file->lineCount, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 539);
}

} // namespace
