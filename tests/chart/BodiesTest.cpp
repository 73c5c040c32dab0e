// Solar-system bodies on the chart: the list farthest first and when it is
// rebuilt, the marks of small bodies, and discs with their phase and rings,
// checked pixel by pixel in offscreen pictures.

#include "ChartTestSupport.h"

#include "chart/Bodies.h"
#include "chart/Overlays.h"

#include <limits>
#include <tuple>

namespace {

using namespace chart_test;

struct FreeBody {
    void operator()(SolarSystemObject* body) const { FreeObject(body); }
};
using BodyPtr = std::unique_ptr<SolarSystemObject, FreeBody>;

RGBColor Halved(RGBColor c) {
    return {static_cast<std::uint8_t>(c.red / 2), static_cast<std::uint8_t>(c.green / 2),
            static_cast<std::uint8_t>(c.blue / 2)};
}

class BodiesTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        gFrame = ProjectionFrame{};
        InvalidateBodyList();
        gViewer.julianDate = kEpoch2000;
        PrepareComputation();
        gDisplayOptions.showPlanetGrids = false;
    }
    void TearDown() override {
        InvalidateBodyList();
        SetBodyListFailuresForTest(0);
        gDrawGeneration = 0;
        ChartTest::TearDown();
    }
    // An equatorial chart 10 degrees wide centred on (ra, dec): north up and
    // east to the left there.
    static void PrepareFrame(double rightAscension = 0.0, double declination = 0.0) {
        gChartView.coordinateSystem = kEquatorial;
        gChartView.projection = kSpherical;
        gChartView.centerLongitude = rightAscension;
        gChartView.centerLatitude = declination;
        gChartView.fieldWidth = 10.0 * kDegree;
        gFrame = ProjectionFrame{};
        PrepareChartFrame(Rect{0, 0, 400, 400}, ChartLegendHeight());
    }
    // A body record outside the store, computed as far as the drawing cares.
    static BodyPtr HandBody(int type, double phase = 0.0, double brightLimb = 0.0,
                            std::int16_t magnitude = 0, double ra = 0.0, double dec = 0.0) {
        BodyPtr body(NewSolarSystemObject(type));
        Direction(ra, dec, body->apparentDirection);
        body->distance = 1.0f;
        body->magnitude = magnitude;
        body->physical[1] = static_cast<float>(phase);
        body->physical[2] = static_cast<float>(brightLimb);
        body->computeStamp = gInstant.solarStamp;
        return body;
    }
    static int IndexOf(ObjectID id) {
        const std::vector<ObjectID>& list = BodyList();
        auto at = std::find(list.begin(), list.end(), id);
        return at == list.end() ? -1 : static_cast<int>(at - list.begin());
    }
};

TEST_F(BodiesTest, ListIsSortedFarthestFirstWithUnplacedBodiesFirst) {
    SolarSystemObject* sun = AddLine(kSunLine);
    AddLine(kEarthLine);
    SolarSystemObject* mars = AddLine(kMarsLine);
    SolarSystemObject* saturn = AddLine(kSaturnLine);
    // Two bodies the computation could not place, one without a distance and
    // one whose distance is not a number, stay in store order ahead of the rest.
    SolarSystemObject* lost = AddBody(kTypeAsteroid, Orbit{2.0});
    SolarSystemObject* broken = AddBody(kTypeAsteroid, Orbit{2.5});
    PrepareComputation();
    EnsureComputed(lost);
    EnsureComputed(broken);
    lost->distance = std::numeric_limits<float>::infinity();
    broken->distance = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(BodyList().size(), 6u);
    EXPECT_EQ(std::tuple(IndexOf(lost->id), IndexOf(broken->id), IndexOf(saturn->id)),
              std::tuple(0, 1, 2));
    EXPECT_LT(IndexOf(mars->id), IndexOf(sun->id));
}

TEST_F(BodiesTest, ListIsRebuiltForANewBodyOrANewDataGenerationOnly) {
    SolarSystemObject* sun = AddLine(kSunLine);
    AddLine(kEarthLine);
    SolarSystemObject* mars = AddLine(kMarsLine);
    gViewer.julianDate = 2452496.5; // 2002 August 10: Mars beyond the Sun
    RecomputeAndRedraw(true);
    EXPECT_LT(IndexOf(mars->id), IndexOf(sun->id)) << "Mars at conjunction is farther";
    // 2003 August 28, Mars at opposition: a new time alone keeps the order.
    gViewer.julianDate = 2452879.5;
    PrepareComputation();
    EnsureComputed(mars);
    ASSERT_LT(mars->distance, 0.5f);
    EXPECT_LT(IndexOf(mars->id), IndexOf(sun->id)) << "rebuilt without a new data generation";
    RecomputeAndRedraw(true);
    EXPECT_GT(IndexOf(mars->id), IndexOf(sun->id)) << "a new data generation sorts again";
    EXPECT_EQ(IndexOf(AddLine(kJupiterLine)->id), 0) << "so does a body added to the store";
}

TEST_F(BodiesTest, OutOfMemoryForTheListShowsTheMessageAndDrawsNothing) {
    AddLine(kSunLine);
    AddLine(kEarthLine);
    ClearRecordedMessages();
    SetBodyListFailuresForTest(1);
    EXPECT_EQ(DrawSolarSystemBodies(), 0);
    ASSERT_EQ(messages, 1);
    EXPECT_EQ(RecordedMessages().back().number, 256);
    messages = 0;
    EXPECT_EQ(BodyList().size(), 2u) << "the next drawing tries again";
    EXPECT_EQ(messages, 0);
}

TEST_F(BodiesTest, VisibleBodiesAreDrawnAtTheirPlacesAndStampTheirFiles) {
    AddLine(kSunLine);
    AddLine(kEarthLine);
    SolarSystemObject* jupiter = AddLine(kJupiterLine);
    // From a spacecraft in the Earth's orbit (from the ground the Earth itself
    // would fill the lower sky with the horizon mask off).
    ViewFrom(1.0, 0.0);
    PrepareComputation();
    EnsureComputed(jupiter);
    gChartView.coordinateSystem = kEquatorial;
    gChartView.centeredObject = jupiter->id;
    gChartView.fieldWidth = 5.0 * kDegree;
    gDrawGeneration = 41;
    Canvas canvas(200, 200);
    PrepareChartFrame(Rect{0, 0, 200, 200}, ChartLegendHeight());
    EXPECT_EQ(DrawSolarSystemBodies(), 1) << "Jupiter alone in a 5 degree field";
    EXPECT_NE(canvas.At(gFrame.centerX, gFrame.centerY), kBlack) << "its icon at the centre";
    EXPECT_EQ(getFile(jupiter->id)->lastDrawGeneration, 41);
}

TEST_F(BodiesTest, SmallBodiesAreIconsForTypesWithArtAndDotsOtherwise) {
    for (int type = 1; type <= 15; ++type) {
        BodyPtr body = HandBody(type);
        Canvas canvas(64, 64);
        DrawBody(body.get(), 32, 32, 2);
        const int inside = canvas.Count(NotBlack, 16, 16, 48, 48);
        EXPECT_GT(inside, 8) << "type " << type << " has its icon";
        EXPECT_EQ(canvas.Count(NotBlack), inside) << "type " << type << ": 32 x 32 about the body";
    }
    // A planet's moon has no art: the star mark of its magnitude, or a dot
    // when that is unknown.
    for (std::int16_t magnitude : {kNoMagnitude, std::int16_t{-200}}) {
        BodyPtr moon = HandBody(20, 0.0, 0.0, magnitude);
        Canvas canvas(20, 20);
        DrawBody(moon.get(), 8, 8, 3);
        EXPECT_EQ(canvas.Count(NotBlack) == 4, magnitude == kNoMagnitude) << magnitude;
        EXPECT_EQ(canvas.CountOf(BodyColor(20), 8, 8, 10, 10), 4);
    }
}

TEST_F(BodiesTest, InStarsModeBodiesAtTheStarLimitAreDotsAndBrighterOnesStars) {
    gDisplayOptions.showPlanetSymbols = false;
    for (std::int16_t magnitude :
         {gDisplayOptions.faintestStarMagnitude, kNoMagnitude, std::int16_t{-200}}) {
        BodyPtr body = HandBody(5, 0.0, 0.0, magnitude);
        Canvas canvas(20, 20);
        DrawBody(body.get(), 10, 10, 0);
        const bool dot = canvas.Count(NotBlack) == 4 && canvas.At(11, 11) == BodyColor(5);
        EXPECT_EQ(dot, magnitude != -200) << magnitude;
        EXPECT_GT(canvas.CountOf(BodyColor(5)), magnitude == -200 ? 4 : 0) << "a star symbol";
    }
}

// Where a disc drawn at (50, 50) is lit ('L', the body colour), dark ('D',
// half of it), or left black ('B'): "L0,0 D10,0 ...".
void CheckDisc(SolarSystemObject* body, int radius, const std::string& pixels) {
    Canvas canvas(100, 100);
    DrawBody(body, 50, 50, radius);
    std::istringstream in(pixels);
    char expected, comma;
    int dx, dy;
    const RGBColor lit = BodyColor(body->type);
    while (in >> expected >> dx >> comma >> dy) {
        const RGBColor want = expected == 'L' ? lit : expected == 'D' ? Halved(lit) : kBlack;
        const RGBColor got = canvas.At(50 + dx, 50 + dy);
        EXPECT_EQ(got, want) << "at " << dx << ", " << dy << ": " << Show(got);
    }
}

TEST_F(BodiesTest, DiscsAreLitByPhaseTowardTheBrightLimb) {
    PrepareFrame();
    const double pi = kExactPi;
    const std::tuple<const char*, int, double, double, int, const char*> cases[] = {
        {"full", 5, 0.0, 0.0, 20, "L0,0 L12,0 L-12,0 L0,-12 L10,10 L-10,-10 B23,0 B0,-23"},
        // Half lit, north up and east left.
        {"limb north", 2, pi / 2, 0.0, 20, "L0,-10 D0,10 L-10,-10 D-10,10"},
        {"limb west", 2, pi / 2, 3 * pi / 2, 20, "L10,0 D-10,0 L10,10 D-10,10"},
        // Bright limb east: the terminator crosses the axis at -r cos i.
        {"gibbous", 3, 30 * kDegree, pi / 2, 40, "L0,0 L30,0 D37,0"},
        {"crescent", 3, 150 * kDegree, pi / 2, 40, "D0,0 D-30,0 L-37,0"},
        {"below 0.05 rad nothing is darkened", 3, 0.04, pi / 2, 40, "L38,0"}};
    for (auto [what, type, phase, limb, radius, pixels] : cases) {
        SCOPED_TRACE(what);
        CheckDisc(HandBody(type, phase, limb).get(), radius, pixels);
    }
    // Mirrored charts flip the lit side, through the projection frame and by
    // the flags alone without one.
    for (bool framed : {true, false}) {
        gChartView.invertedHorizontally = gChartView.invertedVertically = true;
        PrepareFrame();
        if (!framed) gFrame = ProjectionFrame{};
        SCOPED_TRACE(framed ? "mirrored, framed" : "mirrored");
        CheckDisc(HandBody(2, pi / 2, pi / 2).get(), 20, "L10,0 D-10,0");
        CheckDisc(HandBody(2, pi / 2, 0.0).get(), 20, "L0,10 D0,-10");
    }
}

// The lit side follows celestial north as the chart shows it at the body,
// here turned by the field rotation and away from the chart's centre.
TEST_F(BodiesTest, BrightLimbFollowsTheChartsNorthAtTheBody) {
    const double ra = 0.5, dec = 55 * kDegree;
    gChartView.fieldRotation = 200 * kDegree;
    PrepareFrame(ra + 3 * kDegree, dec + 2 * kDegree);
    Vector3 u, step;
    SphericalToRectangular(ra, dec, 1.0, u);
    SphericalToRectangular(ra, dec + 0.5 * kDegree, 1.0, step);
    ProjectedPoint at = ProjectVector(u), north = ProjectVector(step);
    ASSERT_TRUE(at.visible && north.visible);
    const double nx = north.x - at.x, ny = north.y - at.y, length = std::hypot(nx, ny);
    const long litX = std::lround(12 * nx / length), litY = std::lround(12 * ny / length);
    // Bright limb toward north.
    CheckDisc(HandBody(2, kExactPi / 2, 0.0, 0, ra, dec).get(), 20,
              "L" + std::to_string(litX) + "," + std::to_string(litY) + " D" +
                  std::to_string(-litX) + "," + std::to_string(-litY));
}

TEST_F(BodiesTest, SaturnsRingsReachAboutTwoAndAQuarterRadiiAlongTheirMajorAxis) {
    // Seen from here the rings are open by about 23 degrees.
    const double ra = 40.66 * kDegree, dec = -30.0 * kDegree;
    PrepareFrame(ra, dec);
    BodyPtr saturn = HandBody(7, 0, 0, 0, ra, dec);
    Orientation orientation = ObjectOrientation(saturn.get());
    ASSERT_GT(std::fabs(orientation.subViewerLatitude), 15 * kDegree);
    const int r = 10, c = 60;
    Canvas canvas(120, 120);
    DrawBody(saturn.get(), c, c, r);
    double farthest = 0.0;
    int fx = 0, fy = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            if (canvas.At(x, y) != kBlack && std::hypot(x - c, y - c) > farthest)
                std::tie(farthest, fx, fy) = std::tuple(std::hypot(x - c, y - c), x - c, y - c);
    // Beyond the globe the rings are in the body colour.
    const int globe = canvas.Count(NotBlack, c - 15, c - 15, c + 16, c + 16);
    EXPECT_GT(canvas.Count(NotBlack) - globe, 20);
    EXPECT_EQ(canvas.Count(NotBlack) - globe,
              canvas.CountOf(BodyColor(7)) -
                  canvas.CountOf(BodyColor(7), c - 15, c - 15, c + 16, c + 16));
    EXPECT_NEAR(farthest, static_cast<int>(r * 2.28), 1.5);
    // The major axis is square to the pole's position angle (north up, east left).
    const double p = orientation.polePositionAngle;
    EXPECT_LT(std::fabs((fx * -std::sin(p) + fy * -std::cos(p)) / farthest), 0.15)
        << "farthest ring pixel " << fx << ", " << fy;
}

} // namespace
