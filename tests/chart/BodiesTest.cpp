// Solar-system bodies on the chart: the list farthest first and when it is
// rebuilt, the marks of small bodies, and discs with their phase, rings and
// grid, checked pixel by pixel in offscreen pictures.

#include "ChartTestSupport.h"

#include "chart/Bodies.h"
#include "chart/Overlays.h"

#include <limits>
#include <sstream>
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
    }
    void TearDown() override {
        InvalidateBodyList();
        SetBodyListFailuresForTest(0);
        gDrawGeneration = 0;
        ChartTest::TearDown();
    }

    // An equatorial chart 10 degrees wide centred on (ra, dec): north up and
    // east to the left there, as in the drawing's own fallback without a
    // projection frame.
    static void PrepareFrame(double rightAscension = 0.0, double declination = 0.0) {
        gChartView.coordinateSystem = kEquatorial;
        gChartView.projection = kSpherical;
        gChartView.centerLongitude = rightAscension;
        gChartView.centerLatitude = declination;
        gChartView.fieldWidth = 10.0 * kDegree;
        gFrame = ProjectionFrame{};
        PrepareChartFrame(Rect{0, 0, 400, 400}, ChartLegendHeight());
    }

    // A body record outside the store, computed as far as the drawing cares:
    // direction, distance, phase and bright limb set by hand.
    static BodyPtr HandBody(int type, double phase = 0.0, double brightLimb = 0.0,
                            std::int16_t magnitude = 0) {
        BodyPtr body(NewSolarSystemObject(type));
        Direction(0.0, 0.0, body->apparentDirection);
        body->distance = 1.0f;
        body->magnitude = magnitude;
        body->physical[1] = static_cast<float>(phase);
        body->physical[2] = static_cast<float>(brightLimb);
        body->computeStamp = gInstant.solarStamp;
        return body;
    }

    static int IndexOf(ObjectID id) {
        const std::vector<ObjectID>& list = BodyList();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == id) return static_cast<int>(i);
        return -1;
    }
};

// ---------------------------------------------------------------------------
// The list

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
    for (SolarSystemObject* b : {lost, broken})
        EnsureComputed(b);
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

    SolarSystemObject* jupiter = AddLine(kJupiterLine);
    EXPECT_EQ(IndexOf(jupiter->id), 0) << "so does a body added to the store";
}

TEST_F(BodiesTest, OutOfMemoryForTheListShowsTheMessageAndDrawsNothing) {
    AddLine(kSunLine);
    AddLine(kEarthLine);
    ClearRecordedMessages();
    SetBodyListFailuresForTest(1);
    EXPECT_EQ(DrawSolarSystemBodies(), 0);
    ASSERT_EQ(messages, 1);
    ASSERT_FALSE(RecordedMessages().empty());
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
    gChartView.projection = kSpherical;
    gChartView.centeredObject = jupiter->id;
    gChartView.fieldWidth = 5.0 * kDegree;
    gDrawGeneration = 41;
    Canvas canvas(200, 200);
    PrepareChartFrame(Rect{0, 0, 200, 200}, ChartLegendHeight());
    EXPECT_EQ(DrawSolarSystemBodies(), 1) << "Jupiter alone in a 5 degree field";
    EXPECT_NE(canvas.At(gFrame.centerX, gFrame.centerY), kBlack) << "its icon at the centre";
    EXPECT_EQ(getFile(jupiter->id)->lastDrawGeneration, 41);
}

// ---------------------------------------------------------------------------
// Small bodies

TEST_F(BodiesTest, SmallBodiesAreIconsForTypesWithArtAndDotsOtherwise) {
    for (int type = 1; type <= 15; ++type) {
        BodyPtr body = HandBody(type);
        Canvas canvas(64, 64);
        DrawBody(body.get(), 32, 32, 2);
        const int inside = canvas.Count(NotBlack, 16, 16, 48, 48);
        EXPECT_GT(inside, 8) << "type " << type << " has its icon";
        EXPECT_EQ(canvas.Count(NotBlack), inside) << "type " << type << ": 32 x 32 about the body";
    }
    for (int type : {16, 20, 38}) {
        BodyPtr body = HandBody(type);
        Canvas canvas(20, 20);
        DrawBody(body.get(), 8, 8, 3);
        EXPECT_EQ(canvas.Count(NotBlack), 4) << "type " << type;
        EXPECT_EQ(canvas.CountOf(BodyColor(type), 8, 8, 10, 10), 4) << "type " << type;
    }
}

TEST_F(BodiesTest, InStarsModeBodiesAtTheStarLimitAreDotsAndBrighterOnesStars) {
    gDisplayOptions.showPlanetSymbols = false;
    const std::int16_t limit = gDisplayOptions.faintestStarMagnitude;
    // Magnitude, colours, dot or not.
    const std::tuple<std::int16_t, bool, bool> cases[] = {
        {limit, true, true},
        {static_cast<std::int16_t>(limit + 1), true, true},
        {kNoMagnitude, true, true},
        {-200, true, false},
        {limit, false, true}};
    for (auto [magnitude, colours, dot] : cases) {
        SCOPED_TRACE(std::to_string(magnitude) + (colours ? "" : " without colours"));
        gDisplayOptions.useColor = colours;
        BodyPtr body = HandBody(5, 0.0, 0.0, magnitude);
        Canvas canvas(20, 20);
        DrawBody(body.get(), 10, 10, 0);
        const RGBColor ink = colours ? BodyColor(5) : kWhite; // else the foreground colour
        if (dot) {
            EXPECT_EQ(canvas.Count(NotBlack), 4);
            EXPECT_EQ(canvas.At(11, 11), ink);
        } else {
            EXPECT_GT(canvas.CountOf(ink), 4) << "a star symbol, larger than the dot";
        }
    }
}

// ---------------------------------------------------------------------------
// Discs

// Where a disc drawn at (50, 50) is lit ('L', the body colour), dark ('D',
// half of it), or left black ('B'): "L0,0 D10,0 ...".
void CheckDisc(const std::string& what, int type, double phase, double brightLimb, int radius,
               const char* pixels) {
    SCOPED_TRACE(what);
    BodyPtr body(NewSolarSystemObject(type));
    Direction(0.0, 0.0, body->apparentDirection);
    body->distance = 1.0f;
    body->physical[1] = static_cast<float>(phase);
    body->physical[2] = static_cast<float>(brightLimb);
    body->computeStamp = gInstant.solarStamp;
    Canvas canvas(100, 100);
    DrawBody(body.get(), 50, 50, radius);
    std::istringstream in(pixels);
    char expected, comma;
    int dx, dy;
    while (in >> expected >> dx >> comma >> dy) {
        const RGBColor want = expected == 'L'   ? BodyColor(type)
                              : expected == 'D' ? Halved(BodyColor(type))
                                                : kBlack;
        const RGBColor got = canvas.At(50 + dx, 50 + dy);
        EXPECT_EQ(got, want) << "at " << dx << ", " << dy << ": " << Show(got);
    }
}

TEST_F(BodiesTest, DiscsAreLitByPhaseTowardTheBrightLimb) {
    gDisplayOptions.showPlanetGrids = false;
    PrepareFrame();
    const double pi = kExactPi;
    CheckDisc("full", 5, 0.0, 0.0, 20, "L0,0 L12,0 L-12,0 L0,-12 L10,10 L-10,-10 B23,0 B0,-23");
    // Half lit, north up and east left; across the limb's axis the halves
    // split at the centre line.
    CheckDisc("limb north", 2, pi / 2, 0.0, 20, "L0,-10 D0,10 L-10,-10 D-10,10");
    CheckDisc("limb east", 2, pi / 2, pi / 2, 20, "L-10,0 D10,0 L-10,-10 D10,-10");
    CheckDisc("limb west", 2, pi / 2, 3 * pi / 2, 20, "L10,0 D-10,0 L10,10 D-10,10");
    // Bright limb east: the terminator crosses the axis at -r cos i.
    CheckDisc("gibbous", 3, 30 * kDegree, pi / 2, 40, "L0,0 L30,0 D37,0");
    CheckDisc("crescent", 3, 150 * kDegree, pi / 2, 40, "D0,0 D-30,0 L-37,0");
    CheckDisc("below 0.05 rad nothing is darkened", 3, 0.04, pi / 2, 40, "L38,0");

    // Without colours the dark part and the outline are foreground and the
    // lit part background.
    gDisplayOptions.useColor = false;
    BodyPtr body = HandBody(5, pi / 2, pi / 2);
    Canvas canvas(100, 100);
    DrawBody(body.get(), 50, 50, 20);
    EXPECT_EQ(std::tuple(canvas.At(40, 50), canvas.At(60, 50), canvas.At(50, 30)),
              std::tuple(kBlack, kWhite, kWhite));
}

TEST_F(BodiesTest, MirroredChartsFlipTheLitSide) {
    gDisplayOptions.showPlanetGrids = false;
    struct Case {
        bool horizontal, vertical;
        double brightLimb;
        int litX, litY;
    } cases[] = {{true, false, kExactPi / 2, 10, 0},
                 {false, true, 0.0, 0, 10},
                 {true, true, kExactPi / 2, 10, 0}};
    for (const Case& c : cases)
        // Through the projection frame, and by the flags alone without one.
        for (bool framed : {true, false}) {
            gChartView.invertedHorizontally = c.horizontal;
            gChartView.invertedVertically = c.vertical;
            PrepareFrame();
            if (!framed) gFrame = ProjectionFrame{};
            const std::string pixels = "L" + std::to_string(c.litX) + "," + std::to_string(c.litY) +
                                       " D" + std::to_string(-c.litX) + "," +
                                       std::to_string(-c.litY);
            CheckDisc(std::to_string(c.horizontal) + std::to_string(c.vertical) +
                          (framed ? " framed" : ""),
                      2, kExactPi / 2, c.brightLimb, 20, pixels.c_str());
        }
}

// The lit side follows celestial north as the chart shows it at the body,
// here turned by the field rotation and away from the chart's centre.
TEST_F(BodiesTest, BrightLimbFollowsTheChartsNorthAtTheBody) {
    gDisplayOptions.showPlanetGrids = false;
    const double ra = 0.5, dec = 55 * kDegree;
    for (double rotation : {60 * kDegree, 200 * kDegree}) {
        gChartView.fieldRotation = rotation;
        PrepareFrame(ra + 3 * kDegree, dec + 2 * kDegree);
        Vector3 u, step;
        SphericalToRectangular(ra, dec, 1.0, u);
        SphericalToRectangular(ra, dec + 0.5 * kDegree, 1.0, step);
        ProjectedPoint at = ProjectVector(u), north = ProjectVector(step);
        ASSERT_TRUE(at.visible && north.visible);
        double nx = north.x - at.x, ny = north.y - at.y, length = std::hypot(nx, ny);
        int litX = static_cast<int>(std::lround(12 * nx / length));
        int litY = static_cast<int>(std::lround(12 * ny / length));

        BodyPtr body = HandBody(2, kExactPi / 2, 0.0); // bright limb toward north
        Direction(ra, dec, body->apparentDirection);
        Canvas canvas(100, 100);
        DrawBody(body.get(), 50, 50, 20);
        EXPECT_EQ(canvas.At(50 + litX, 50 + litY), BodyColor(2)) << "rotation " << rotation;
        EXPECT_EQ(canvas.At(50 - litX, 50 - litY), Halved(BodyColor(2))) << "rotation " << rotation;
    }
}

TEST_F(BodiesTest, SaturnsRingsReachAboutTwoAndAQuarterRadiiAlongTheirMajorAxis) {
    gDisplayOptions.showPlanetGrids = false;
    // Seen from here the rings are open by about 23 degrees.
    const double ra = 40.66 * kDegree, dec = -30.0 * kDegree;
    PrepareFrame(ra, dec);
    BodyPtr saturn = HandBody(7);
    Direction(ra, dec, saturn->apparentDirection);
    Orientation orientation = ObjectOrientation(saturn.get());
    ASSERT_GT(std::fabs(orientation.subViewerLatitude), 15 * kDegree);
    const int r = 10, cx = 60, cy = 60;
    Canvas canvas(120, 120);
    DrawBody(saturn.get(), cx, cy, r);

    double farthest = 0.0;
    int fx = 0, fy = 0, ringPixels = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) {
            RGBColor c = canvas.At(x, y);
            if (c == kBlack) continue;
            double d = std::hypot(x - cx, y - cy);
            if (d > 1.5 * r) {
                ++ringPixels;
                EXPECT_EQ(c, BodyColor(7)) << x << ", " << y;
            }
            if (d > farthest) {
                farthest = d;
                fx = x - cx;
                fy = y - cy;
            }
        }
    EXPECT_GT(ringPixels, 20);
    EXPECT_NEAR(farthest, static_cast<int>(r * 2.28), 1.5);
    // The major axis is square to the pole's position angle (north up, east left).
    double p = orientation.polePositionAngle;
    EXPECT_LT(std::fabs((fx * -std::sin(p) + fy * -std::cos(p)) / farthest), 0.15)
        << "farthest ring pixel " << fx << ", " << fy;
}

TEST_F(BodiesTest, SurfaceGridLinesAreDrawnOnlyWhenAskedFor) {
    PrepareFrame();
    for (bool grid : {false, true}) {
        gDisplayOptions.showPlanetGrids = grid;
        BodyPtr jupiter = HandBody(6);
        Canvas canvas(100, 100);
        DrawBody(jupiter.get(), 50, 50, 30);
        int lines = 0;
        for (int y = 20; y <= 80; ++y)
            for (int x = 20; x <= 80; ++x)
                if (std::hypot(x - 50, y - 50) < 27 && canvas.At(x, y) != BodyColor(6)) ++lines;
        EXPECT_EQ(lines > 50, grid) << lines;
        EXPECT_EQ(lines == 0, !grid) << lines;
    }
}

} // namespace
