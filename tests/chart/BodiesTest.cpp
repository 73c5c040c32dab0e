// Solar-system bodies on the chart: the list farthest first and when it is
// rebuilt, the marks of small bodies, and discs with their phase, rings and
// grid, checked pixel by pixel in off-screen pictures.

#include "chart/Bodies.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Projection.h"
#include "chart/Render.h"
#include "tests/data/ComputationTestBase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

using namespace computation_test;

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{255, 255, 255};

struct FreeBody {
    void operator()(SolarSystemObject* body) const { FreeObject(body); }
};
using BodyPtr = std::unique_ptr<SolarSystemObject, FreeBody>;

// A picture being drawn into; pixels are read once drawing has ended.
class Canvas {
public:
    Canvas(int width, int height) : picture_(CreatePicture(width, height)) {
        BeginDrawing(SelectPicture(picture_));
    }
    ~Canvas() {
        if (drawing_) EndDrawing();
        DeletePicture(picture_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    void Finish() {
        if (drawing_) EndDrawing();
        drawing_ = false;
    }
    RGBColor At(int x, int y) {
        Finish();
        return PicturePixel(picture_, x, y);
    }

private:
    PictureRef picture_;
    bool drawing_ = true;
};

std::string Describe(RGBColor c) {
    return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " +
           std::to_string(c.blue) + ")";
}

RGBColor Halved(RGBColor c) {
    return {static_cast<std::uint8_t>(c.red / 2), static_cast<std::uint8_t>(c.green / 2),
            static_cast<std::uint8_t>(c.blue / 2)};
}

void SetDirection(SolarSystemObject* body, double rightAscension, double declination) {
    Vector3 u;
    SphericalToRectangular(rightAscension, declination, 1.0, u);
    for (int i = 0; i < 3; ++i)
        body->apparentDirection[i] = static_cast<std::int32_t>(u[i] * 1073741824.0);
}

class BodiesTest : public ComputationTest {
protected:
    void SetUp() override {
        ComputationTest::SetUp();
        setDisplayOptionsDefaults();
        setChartViewDefaults();
        gFrame = ProjectionFrame{};
        InvalidateBodyList();
        gViewer.julianDate = 2451545.0;
        PrepareComputation();
    }
    void TearDown() override {
        InvalidateBodyList();
        SetBodyListFailuresForTest(0);
        setDisplayOptionsDefaults();
        setChartViewDefaults();
        gFrame = ProjectionFrame{};
        gDrawGeneration = 0;
        ComputationTest::TearDown();
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
    }

    // An equatorial chart 10 degrees wide centred on (ra, dec): north up and
    // east to the left there, as in the drawing's own fallback without a
    // projection frame.
    static void PrepareFrame(double rightAscension = 0.0, double declination = 0.0) {
        gChartView.coordinateSystem = kEquatorial;
        gChartView.projection = kSpherical;
        gChartView.centeredObject = 0;
        gChartView.centerLongitude = rightAscension;
        gChartView.centerLatitude = declination;
        gChartView.fieldRotation = 0.0;
        gChartView.fieldWidth = 10.0 * kDegree;
        gFrame = ProjectionFrame{};
        PrepareChartFrame(Rect{0, 0, 400, 400});
    }

    // A body record outside the store, computed as far as the drawing cares:
    // direction, distance, phase and bright limb set by hand.
    static BodyPtr HandBody(int type, double phase = 0.0, double brightLimb = 0.0,
                            std::int16_t magnitude = 0) {
        BodyPtr body(NewSolarSystemObject(type));
        SetDirection(body.get(), 0.0, 0.0);
        body->distance = 1.0f;
        body->magnitude = magnitude;
        body->physical[1] = static_cast<float>(phase);
        body->physical[2] = static_cast<float>(brightLimb);
        body->computeStamp = gInstant.solarStamp;
        return body;
    }

    static std::vector<double> ListedDistances() {
        std::vector<double> distances;
        for (ObjectID id : BodyList())
            distances.push_back(AsSolarSystem(getObject(id))->distance);
        return distances;
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
    SolarSystemObject* jupiter = AddLine(kJupiterLine);
    SolarSystemObject* saturn = AddLine(kSaturnLine);
    // Two bodies the computation could not place: one without a distance and
    // one whose distance is not a number. They stay where the store has them
    // relative to each other, ahead of every placed body.
    SolarSystemObject* lost = AddBody(kTypeAsteroid, Orbit{2.0});
    SolarSystemObject* broken = AddBody(kTypeAsteroid, Orbit{2.5});
    PrepareComputation();
    for (SolarSystemObject* b : {lost, broken})
        EnsureComputed(b);
    lost->distance = std::numeric_limits<float>::infinity();
    broken->distance = std::numeric_limits<float>::quiet_NaN();

    const std::vector<ObjectID>& list = BodyList();
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[0], lost->id);
    EXPECT_EQ(list[1], broken->id);
    std::vector<double> distances = ListedDistances();
    for (std::size_t i = 3; i < distances.size(); ++i)
        EXPECT_GE(distances[i - 1], distances[i]) << "at " << i;
    EXPECT_LT(IndexOf(saturn->id), IndexOf(jupiter->id));
    EXPECT_LT(IndexOf(jupiter->id), IndexOf(mars->id));
    EXPECT_LT(IndexOf(mars->id), IndexOf(sun->id));
}

TEST_F(BodiesTest, ListIsRebuiltForANewBodyOrANewDataGenerationOnly) {
    AddLine(kSunLine);
    AddLine(kEarthLine);
    SolarSystemObject* mars = AddLine(kMarsLine);
    // 2002 August 10: Mars beyond the Sun.
    gViewer.julianDate = 2452496.5;
    RecomputeAndRedraw(true);
    ObjectID sunId = 0;
    for (ObjectID id : BodyList())
        if (getObject(id)->type == kTypeSun) sunId = id;
    ASSERT_NE(sunId, 0);
    EXPECT_LT(IndexOf(mars->id), IndexOf(sunId)) << "Mars at conjunction is farther than the Sun";

    // 2003 August 28, Mars at opposition: a new time alone keeps the order.
    gViewer.julianDate = 2452879.5;
    PrepareComputation();
    EnsureComputed(mars);
    ASSERT_LT(mars->distance, 0.5f);
    EXPECT_LT(IndexOf(mars->id), IndexOf(sunId)) << "rebuilt without a new data generation";

    // A new data generation sorts again.
    RecomputeAndRedraw(true);
    EXPECT_GT(IndexOf(mars->id), IndexOf(sunId));

    // So does a body added to the store.
    std::size_t before = BodyList().size();
    SolarSystemObject* jupiter = AddLine(kJupiterLine);
    EXPECT_EQ(BodyList().size(), before + 1);
    EXPECT_EQ(IndexOf(jupiter->id), 0) << "Jupiter is the farthest";
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
    // The next drawing tries again.
    EXPECT_EQ(BodyList().size(), 2u);
    EXPECT_EQ(messages, 0);
}

TEST_F(BodiesTest, DrawingStampsTheFilesOfListedBodies) {
    SolarSystemObject* sun = AddLine(kSunLine);
    AddLine(kEarthLine);
    PrepareComputation();
    PrepareFrame();
    gDrawGeneration = 41;
    Canvas canvas(100, 100);
    DrawSolarSystemBodies();
    canvas.Finish();
    EXPECT_EQ(getFile(sun->id)->lastDrawGeneration, 41);
}

// Needs the projection frame and ProjectObject of the rendering.
TEST_F(BodiesTest, VisibleBodiesAreDrawnAtTheirPlaces) {
    AddLine(kSunLine);
    AddLine(kEarthLine);
    SolarSystemObject* jupiter = AddLine(kJupiterLine);
    // From a spacecraft in the Earth's orbit (from the ground the Earth itself
    // would fill the lower sky with the horizon mask off).
    ViewFrom(1.0, 0.0);
    PrepareComputation();
    EnsureComputed(jupiter);
    gDisplayOptions.showHorizonMask = false;
    gDisplayOptions.showChartLegend = false;
    gChartView.coordinateSystem = kEquatorial;
    gChartView.projection = kSpherical;
    gChartView.centeredObject = jupiter->id;
    gChartView.fieldWidth = 5.0 * kDegree;
    Canvas canvas(200, 200);
    PrepareChartFrame(Rect{0, 0, 200, 200});
    EXPECT_EQ(DrawSolarSystemBodies(), 1) << "Jupiter alone in a 5 degree field";
    RGBColor centre = canvas.At(gFrame.centerX, gFrame.centerY);
    EXPECT_NE(centre, kBlack) << "Jupiter's icon at the centre";
}

// ---------------------------------------------------------------------------
// Small bodies

TEST_F(BodiesTest, SmallBodiesAreIconsForTypesWithArtAndDotsOtherwise) {
    for (int type = 1; type <= 15; ++type) {
        BodyPtr body = HandBody(type);
        Canvas canvas(64, 64);
        DrawBody(body.get(), 32, 32, 2);
        int lit = 0, outside = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                if (canvas.At(x, y) == kBlack) continue;
                if (x >= 16 && x < 48 && y >= 16 && y < 48)
                    ++lit;
                else
                    ++outside;
            }
        EXPECT_GT(lit, 8) << "type " << type << " has its icon";
        EXPECT_EQ(outside, 0) << "type " << type << ": the icon is 32 x 32 about the body";
    }
    for (int type : {16, 20, 38}) {
        BodyPtr body = HandBody(type);
        Canvas canvas(20, 20);
        DrawBody(body.get(), 8, 8, 3);
        int lit = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                if (canvas.At(x, y) != kBlack) ++lit;
        EXPECT_EQ(lit, 4) << "type " << type;
        for (auto [x, y] : {std::pair{8, 8}, {9, 8}, {8, 9}, {9, 9}})
            EXPECT_EQ(canvas.At(x, y), BodyColor(type)) << "type " << type;
    }
}

TEST_F(BodiesTest, InStarsModeBodiesAtOrBeyondTheStarLimitAreDots) {
    gDisplayOptions.showPlanetSymbols = false;
    const std::int16_t limit = gDisplayOptions.faintestStarMagnitude;
    for (std::int16_t magnitude : {limit, static_cast<std::int16_t>(limit + 1), kNoMagnitude}) {
        BodyPtr body = HandBody(5, 0.0, 0.0, magnitude);
        Canvas canvas(20, 20);
        DrawBody(body.get(), 10, 10, 0);
        int lit = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                if (canvas.At(x, y) != kBlack) ++lit;
        EXPECT_EQ(lit, 4) << "magnitude " << magnitude;
        EXPECT_EQ(canvas.At(11, 11), BodyColor(5)) << "magnitude " << magnitude;
    }
    // Without colours the dot is in the foreground colour.
    gDisplayOptions.useColor = false;
    BodyPtr body = HandBody(5, 0.0, 0.0, limit);
    Canvas canvas(20, 20);
    DrawBody(body.get(), 10, 10, 0);
    EXPECT_EQ(canvas.At(10, 10), kWhite);
}

// Needs the star symbols of the rendering.
TEST_F(BodiesTest, InStarsModeBrighterBodiesAreStarSymbols) {
    gDisplayOptions.showPlanetSymbols = false;
    BodyPtr body = HandBody(6, 0.0, 0.0, -200); // as bright as Jupiter: the largest symbol
    Canvas canvas(20, 20);
    DrawBody(body.get(), 10, 10, 0);
    int lit = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (canvas.At(x, y) == BodyColor(6)) ++lit;
    EXPECT_GT(lit, 4) << "a star symbol, larger than the dot";
}

// ---------------------------------------------------------------------------
// Discs

TEST_F(BodiesTest, FullDiscIsFilledInTheBodyColour) {
    gDisplayOptions.showPlanetGrids = false;
    PrepareFrame();
    BodyPtr body = HandBody(5);
    Canvas canvas(100, 100);
    DrawBody(body.get(), 50, 50, 20);
    for (auto [dx, dy] :
         {std::pair{0, 0}, {12, 0}, {-12, 0}, {0, 12}, {0, -12}, {10, 10}, {-10, -10}})
        EXPECT_EQ(canvas.At(50 + dx, 50 + dy), BodyColor(5)) << dx << ", " << dy;
    EXPECT_EQ(canvas.At(50 + 23, 50), kBlack);
    EXPECT_EQ(canvas.At(50, 50 - 23), kBlack);
}

TEST_F(BodiesTest, HalfLitDiscIsDarkAwayFromTheBrightLimb) {
    gDisplayOptions.showPlanetGrids = false;
    PrepareFrame();
    const RGBColor lit = BodyColor(2), dark = Halved(BodyColor(2));
    struct Case {
        double brightLimb;
        int litX, litY; // a point on the lit side, from the centre
        const char* what;
    };
    // North up, east left.
    for (const Case& c :
         {Case{0.0, 0, -10, "bright limb north"}, Case{kExactPi / 2, -10, 0, "east"},
          Case{kExactPi, 0, 10, "south"}, Case{3 * kExactPi / 2, 10, 0, "west"}}) {
        BodyPtr body = HandBody(2, kExactPi / 2, c.brightLimb);
        Canvas canvas(100, 100);
        DrawBody(body.get(), 50, 50, 20);
        EXPECT_EQ(canvas.At(50 + c.litX, 50 + c.litY), lit) << c.what;
        RGBColor away = canvas.At(50 - c.litX, 50 - c.litY);
        EXPECT_EQ(away, dark) << c.what << ": " << Describe(away);
        // Across the bright limb's axis both halves are split at the centre line.
        EXPECT_EQ(canvas.At(50 + c.litX + c.litY, 50 + c.litY + c.litX), lit) << c.what;
        EXPECT_EQ(canvas.At(50 - c.litX + c.litY, 50 - c.litY + c.litX), dark) << c.what;
    }
}

TEST_F(BodiesTest, PhaseSetsHowMuchOfTheDiscIsDark) {
    gDisplayOptions.showPlanetGrids = false;
    PrepareFrame();
    const RGBColor lit = BodyColor(3), dark = Halved(BodyColor(3));
    // Bright limb east (left): the terminator crosses the axis at -r cos i.
    {
        BodyPtr gibbous = HandBody(3, 30 * kDegree, kExactPi / 2);
        Canvas canvas(100, 100);
        DrawBody(gibbous.get(), 50, 50, 40);
        EXPECT_EQ(canvas.At(50, 50), lit);
        EXPECT_EQ(canvas.At(50 + 30, 50), lit);
        EXPECT_EQ(canvas.At(50 + 37, 50), dark) << "the thin dark crescent";
    }
    {
        BodyPtr crescent = HandBody(3, 150 * kDegree, kExactPi / 2);
        Canvas canvas(100, 100);
        DrawBody(crescent.get(), 50, 50, 40);
        EXPECT_EQ(canvas.At(50, 50), dark);
        EXPECT_EQ(canvas.At(50 - 30, 50), dark);
        EXPECT_EQ(canvas.At(50 - 37, 50), lit) << "the thin lit crescent";
    }
    {
        // Below 0.05 rad nothing is darkened.
        BodyPtr full = HandBody(3, 0.04, kExactPi / 2);
        Canvas canvas(100, 100);
        DrawBody(full.get(), 50, 50, 40);
        EXPECT_EQ(canvas.At(50 + 38, 50), lit);
    }
}

TEST_F(BodiesTest, MirroredChartsFlipTheLitSide) {
    gDisplayOptions.showPlanetGrids = false;
    const RGBColor lit = BodyColor(2), dark = Halved(BodyColor(2));
    struct Case {
        bool horizontal, vertical;
        double brightLimb;
        int litX, litY;
    };
    for (const Case& c : {Case{true, false, kExactPi / 2, 10, 0},
                          Case{false, true, kExactPi / 2, -10, 0}, Case{false, true, 0.0, 0, 10},
                          Case{true, false, 0.0, 0, -10}, Case{true, true, kExactPi / 2, 10, 0}}) {
        // Through the projection frame, and by the flags alone when no frame
        // has been prepared.
        for (bool framed : {true, false}) {
            setChartViewDefaults();
            gChartView.invertedHorizontally = c.horizontal;
            gChartView.invertedVertically = c.vertical;
            PrepareFrame();
            if (!framed) gFrame = ProjectionFrame{};
            BodyPtr body = HandBody(2, kExactPi / 2, c.brightLimb);
            Canvas canvas(100, 100);
            DrawBody(body.get(), 50, 50, 20);
            EXPECT_EQ(canvas.At(50 + c.litX, 50 + c.litY), lit)
                << c.horizontal << c.vertical << " limb " << c.brightLimb << " framed " << framed;
            EXPECT_EQ(canvas.At(50 - c.litX, 50 - c.litY), dark)
                << c.horizontal << c.vertical << " limb " << c.brightLimb << " framed " << framed;
        }
    }
}

// Needs the projection: the lit side follows celestial north as the chart
// shows it at the body, here turned by the field rotation and away from the
// chart's centre.
TEST_F(BodiesTest, BrightLimbFollowsTheChartsNorthAtTheBody) {
    gDisplayOptions.showPlanetGrids = false;
    const RGBColor lit = BodyColor(2), dark = Halved(BodyColor(2));
    const double ra = 0.5, dec = 55 * kDegree;
    for (double rotation : {0.0, 60 * kDegree, 200 * kDegree}) {
        setChartViewDefaults();
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
        SetDirection(body.get(), ra, dec);
        Canvas canvas(100, 100);
        DrawBody(body.get(), 50, 50, 20);
        EXPECT_EQ(canvas.At(50 + litX, 50 + litY), lit) << "rotation " << rotation;
        EXPECT_EQ(canvas.At(50 - litX, 50 - litY), dark) << "rotation " << rotation;
    }
}

TEST_F(BodiesTest, WithoutColoursTheDarkPartIsForegroundAndTheLitPartBackground) {
    gDisplayOptions.showPlanetGrids = false;
    gDisplayOptions.useColor = false;
    PrepareFrame();
    BodyPtr body = HandBody(5, kExactPi / 2, kExactPi / 2);
    Canvas canvas(100, 100);
    DrawBody(body.get(), 50, 50, 20);
    EXPECT_EQ(canvas.At(40, 50), kBlack) << "lit half in the background colour";
    EXPECT_EQ(canvas.At(60, 50), kWhite) << "dark half in the foreground colour";
    EXPECT_EQ(canvas.At(50, 50 - 20), kWhite) << "outline in the foreground colour";
}

TEST_F(BodiesTest, SaturnsRingsReachAboutTwoAndAQuarterRadiiAlongTheirMajorAxis) {
    gDisplayOptions.showPlanetGrids = false;
    // Seen from here the rings are open by about 23 degrees.
    const double ra = 40.66 * kDegree, dec = -30.0 * kDegree;
    PrepareFrame(ra, dec);
    BodyPtr saturn = HandBody(7);
    SetDirection(saturn.get(), ra, dec);
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
    const double outer = static_cast<int>(r * 2.28);
    EXPECT_NEAR(farthest, outer, 1.5);
    // The major axis is square to the pole's position angle (north up, east left).
    double p = orientation.polePositionAngle;
    double poleX = -std::sin(p), poleY = -std::cos(p);
    EXPECT_LT(std::fabs((fx * poleX + fy * poleY) / farthest), 0.15)
        << "farthest ring pixel " << fx << ", " << fy;
}

TEST_F(BodiesTest, SurfaceGridLinesAreDrawnOnlyWhenAskedFor) {
    PrepareFrame();
    auto gridPixels = [](bool grid) {
        gDisplayOptions.showPlanetGrids = grid;
        BodyPtr jupiter = HandBody(6);
        Canvas canvas(100, 100);
        DrawBody(jupiter.get(), 50, 50, 30);
        int lines = 0;
        for (int y = 20; y <= 80; ++y)
            for (int x = 20; x <= 80; ++x)
                if (std::hypot(x - 50, y - 50) < 27 && canvas.At(x, y) != BodyColor(6)) ++lines;
        return lines;
    };
    EXPECT_EQ(gridPixels(false), 0);
    EXPECT_GT(gridPixels(true), 50);
}

} // namespace
