// Rendering of stars and deep-sky objects: star sizes and colours, the
// symbols and labels as pixels, the sky background by twilight, the
// skipping of database files, and whole charts down to one arcsecond.

#include "ChartTestSupport.h"

#include "data/Names.h"

#include <limits>

namespace {

using namespace chart_test;

class RenderTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        gDisplayOptions.showConstellations = false;
        gDisplayOptions.showPlanets = false;
        gChartView.coordinateSystem = kEquatorial;
        gChartView.projection = kPlanar;
        gChartView.centerLongitude = 1.0;
        gChartView.centerLatitude = 0.2;
        gChartView.fieldWidth = 0.5;
        PrepareComputation();
    }
    // A catalogue object at a J2000 place, in a file.
    static CatalogObject* AddCatalog(ObjectID fileId, int type, double ra, double dec,
                                     std::int16_t magnitude, const char* name = nullptr) {
        CatalogObject* object = NewCatalogObject(type);
        Direction(ra, dec, object->position);
        object->catalogMagnitude = magnitude;
        object->colorIndex = 50;
        if (name != nullptr) object->name = CopyText(name);
        ObjectID id = addObject(object, fileId);
        EXPECT_NE(id, 0);
        return AsCatalog(getObject(id));
    }
    // A file of one object, unloaded.
    static ObjectID FileWithStar(const char* name, double ra, double dec, int magnitude,
                                 int type = kTypeSingleStar) {
        ObjectID fileId = attachFile(newFile(name));
        AddCatalog(fileId, type, ra, dec, static_cast<std::int16_t>(magnitude));
        EXPECT_TRUE(unloadFile(fileId));
        return fileId;
    }
};

TEST_F(RenderTest, StarSizesFollowTheScaleOfTheLimits) {
    struct Case {
        std::int16_t brightest, faintest;
        int step;
        std::vector<std::pair<std::int16_t, int>> sizes; // magnitude, size
    } cases[] = {
        // Nine hundredths give a step of 1; the bright limit is still the
        // largest symbol, not a bigger one.
        {500, 509, 1, {{500, 6}, {499, 6}, {508, 2}}},
        {600, 100, 1, {}}, // the wrong way round: still a step of at least 1
        {50, 550, 100, {{550, 1}, {440, 2}, {50, 6}, {-146, 6}, {600, 1}}},
    };
    DisplayOptions& o = gDisplayOptions;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.brightest) + " to " + std::to_string(c.faintest));
        o.brightestStarMagnitude = c.brightest;
        o.faintestStarMagnitude = c.faintest;
        SetStarScale();
        EXPECT_EQ(CurrentStarScale().step, c.step);
        for (auto [magnitude, size] : c.sizes)
            EXPECT_EQ(StarSize(magnitude), size) << magnitude;
    }
    o.faintestStarMagnitude = kNoLimit;
    SetStarScale();
    EXPECT_EQ(CurrentStarScale().faintest, 550) << "no limit leaves that end as it was";
}

TEST_F(RenderTest, StarColorsByColorIndex) {
    const std::pair<std::int16_t, RGBColor> cases[] = {
        {kNoMagnitude, kWhite}, {-32768, kWhite}, // an unknown index is not a blue star
        {-51, {127, 127, 255}}, {-50, {127, 127, 255}}, {-26, {127, 249, 255}},
        {-25, {127, 255, 255}}, {0, {255, 255, 255}},   {99, {255, 255, 128}},
        {100, {255, 255, 127}}, {199, {255, 128, 127}}, {200, {255, 127, 127}}};
    for (auto [index, color] : cases)
        EXPECT_EQ(StarColor(index), color) << index;
}

TEST_F(RenderTest, SkyColorFollowsTheSunsAltitude) {
    const std::pair<double, int> cases[] = {{-0.5 * kDegree, kDaytimeSkyColor},
                                            {-0.014486232791599999, kCivilTwilightColor},
                                            {-6.5 * kDegree, kNauticalTwilightColor},
                                            {-12.5 * kDegree, kAstronomicalTwilightColor},
                                            {-18.5 * kDegree, kNightSkyColor}};
    for (auto [altitude, slot] : cases) {
        gInstant.sunAltitude = altitude;
        EXPECT_EQ(SkyColorSlot(), slot) << altitude;
    }
    gInstant.sunAltitude = 10.0 * kDegree;
    gViewer.viewerObject = FileID(1) | 1;
    EXPECT_EQ(SkyColorSlot(), kNightSkyColor) << "away from the Earth the sky is night";
    gViewer.viewerObject = 0;
    gDisplayOptions.skyBackground = kSkyColor;
    gDisplayOptions.useColor = false;
    EXPECT_EQ(SkyFillColor(), kBlack) << "no sky colour without colours";
}

TEST_F(RenderTest, MagnitudeLimitsMoveTogether) {
    DisplayOptions& o = gDisplayOptions;
    o.faintestStarLabelMagnitude = kNoLimit;
    SetTypeLimit(64, kNoLimit);
    AdjustMagnitudeLimits(100);
    EXPECT_EQ(std::tuple(o.brightestStarMagnitude, o.faintestStarMagnitude, TypeLimit(61),
                         o.faintestPlanetMagnitude, o.faintestDeepSkyLabelMagnitude),
              std::tuple(150, 650, 750, 950, 1150));
    EXPECT_EQ(TypeLimit(51), 100) << "a zero limit is a limit";
    EXPECT_EQ(TypeLimit(64), kNoLimit);
    EXPECT_EQ(o.faintestStarLabelMagnitude, kNoLimit);
    // Sums stay inside 16 bits and never turn into "no limit".
    o.faintestStarMagnitude = o.faintestPlanetMagnitude = 32700;
    o.brightestStarMagnitude = -32700;
    AdjustMagnitudeLimits(100);
    EXPECT_EQ(std::tuple(o.faintestStarMagnitude, o.faintestPlanetMagnitude),
              std::tuple(32767, 32766));
    AdjustMagnitudeLimits(-200);
    EXPECT_EQ(o.brightestStarMagnitude, -32767);
}

// One picture per symbol kind, checked at the pixels that tell it apart.
TEST_F(RenderTest, SymbolPixels) {
    struct Case {
        bool deepSky;
        int kind, size;
        const char *ink, *lit, *dark, *notDark;
    } cases[] = {// Stars about (20, 20). The companion's stroke runs from the box's
                 // corner back through the disc, along one diagonal only.
                 {false, kPlainStar, 4, "-1,-1 0,0", "", "2,2", ""},
                 {false, kMultipleStar, 4, "", "", "4,4 2,-2", "2,2 -2,-2"},
                 // A disc in (18, 18)-(23, 23), a ring in (16, 16)-(25, 25), a dark
                 // gap between them.
                 {false, kVariableStar, 6, "0,0", "-4,0 4,0 0,-4", "-3,0 0,-3 3,0 -5,0 6,0", ""},
                 {false, kMultipleVariableStar, 6, "", "-3,-3", "7,7", "5,5 -4,-4"},
                 // Deep-sky objects about (30, 30): a hollow circle, a cross of two
                 // bars, a diamond of radius 4 at least with no circle round it,
                 // spokes and a ring, a flattened ellipse.
                 {true, kTypeOpenCluster, 5, "", "5,0 -5,0 0,-5", "0,0 7,0", ""},
                 {true, kTypeGlobularCluster, 5, "0,-2 0,3 -3,0 3,0", "", "-2,-2 0,7", ""},
                 {true, kTypeDiffuseNebula, 0, "", "", "0,0 0,-7 3,3", "0,-4 4,0 0,4 -4,0 2,-2"},
                 {true, kTypePlanetaryNebula, 4, "0,-7 0,7 -7,0 7,0", "", "0,-10 10,0 0,0", ""},
                 {true, kTypeGalaxy, 6, "", "0,-4 0,4 -6,0 6,0", "0,-6 0,0", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE((c.deepSky ? "type " : "star symbol ") + std::to_string(c.kind));
        const int centre = c.deepSky ? 30 : 20;
        Canvas canvas(2 * centre, 2 * centre, true);
        if (c.deepSky)
            DrawDeepSkySymbol(c.kind, centre, centre, c.size);
        else
            DrawStarSymbol(static_cast<StarSymbol>(c.kind), centre, centre, c.size);
        auto check = [&](const char* points, const std::function<bool(RGBColor)>& test) {
            for (Point p : Points(points)) {
                RGBColor got = canvas.At(centre + p.x, centre + p.y);
                EXPECT_TRUE(test(got)) << p.x << ", " << p.y << ": " << Show(got);
            }
        };
        check(c.ink, [](RGBColor got) { return got == kInk; });
        check(c.lit, [](RGBColor g) { return g.red >= 128 || g.green >= 128 || g.blue >= 128; });
        check(c.dark, [](RGBColor g) { return g.red < 64 && g.green < 64 && g.blue < 64; });
        check(c.notDark, [](RGBColor g) { return g.red >= 64 || g.green >= 64 || g.blue >= 64; });
    }
}

// The pixels of a label (or an object's label) drawn alone.
std::vector<RGBColor> LabelPixels(const char* text, int x, int y, const SkyObject* object = nullptr,
                                  int radius = 0) {
    Canvas c(200, 100, true);
    SelectChartFont();
    if (object != nullptr)
        DrawObjectLabel(object, x, y, radius);
    else
        DrawLabel(text, 0, x, y);
    return c.All();
}

TEST_F(RenderTest, LabelsSitOnTheirBaseAndStopAtSemicolons) {
    const std::vector<RGBColor> plain = LabelPixels("Vega", 10, 40);
    EXPECT_LT((std::find_if(plain.begin(), plain.end(), NotBlack) - plain.begin()) / 200, 40 - 8)
        << "the text's bottom is at y";
    EXPECT_TRUE(plain == LabelPixels("Vega;HR 7001", 10, 40)) << "the text ends at the ';'";
    const std::vector<RGBColor> empty = LabelPixels(";HR 7001", 10, 40);
    EXPECT_TRUE(empty == LabelPixels("$", 10, 40)) << "empty texts draw nothing";
    EXPECT_FALSE(LabelPixels("$a Cen", 10, 60) == LabelPixels("a Cen", 10, 60)) << "alpha";

    // An object's label: the name before the ';', else the first designation,
    // else nothing; stars ignore the radius.
    CatalogObject star, designated, nameless, cluster;
    star.type = designated.type = nameless.type = kTypeSingleStar;
    star.name = CopyText("Vega;HR 7001");
    EXPECT_TRUE(LabelPixels("", 50, 70, &star, 9) == LabelPixels("Vega", 53, 67));
    ASSERT_TRUE(setObjectNames(&designated, "HR 7001"));
    const std::string designation = formatIdentifier(designated.identifiers[0]);
    ASSERT_FALSE(designation.empty());
    EXPECT_TRUE(LabelPixels("", 50, 70, &designated) == LabelPixels(designation.c_str(), 53, 67));
    EXPECT_TRUE(LabelPixels("", 50, 70, &nameless) == empty);
    // A cluster's label clears 7/10 of the radius each way, a galaxy's and a
    // nebula's 2/3 then 7/10 (radius 20: 14 and 9 pixels).
    cluster.name = CopyText("M45");
    const std::pair<int, Point> offsets[] = {
        {kTypeOpenCluster, {67, 53}}, {kTypeGalaxy, {62, 58}}, {kTypeDiffuseNebula, {62, 58}}};
    for (auto [type, at] : offsets) {
        cluster.type = static_cast<std::uint8_t>(type);
        EXPECT_TRUE(LabelPixels("", 50, 70, &cluster, 20) == LabelPixels("M45", at.x, at.y))
            << type;
    }
}

TEST_F(RenderTest, ObjectsProjectByKindAndLimit) {
    gChartView.projection = kSpherical;
    gChartView.fieldWidth = 60.0 * kDegree; // scale 200 on a 200-pixel width
    Draw();
    ASSERT_EQ(gFrame.scale, 200);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    enum { kCentre, kOffArea, kBehind };
    // Catalogue sizes are the sine of the diameter, a body's the sine of its
    // radius at 1 AU (1/64: 3.125 pixels); radius -1: not drawn.
    struct Case {
        const char* what;
        int type;
        std::int16_t magnitude;
        float size, distance;
        int where;
        double magnification;
        std::int16_t planetLimit;
        int radius;
    } cases[] = {
        {"behind the observer", kTypeSingleStar, 300, 0, 1, kBehind, 1, 800, -1},
        {"fainter than the star limit", kTypeSingleStar, 600, 0, 1, kCentre, 1, 800, -1},
        {"galaxy", kTypeGalaxy, 900, 0.1f, 1, kCentre, 1, 800, 10},
        {"no size: a point", kTypeGalaxy, 900, nan, 1, kCentre, 1, 800, 0},
        {"a big disc off the area", kTypeDiffuseNebula, 500, 0.4f, 1, kOffArea, 1, 800, 40},
        {"planet", 5, 0, 0.015625f, 1, kCentre, 1, 800, 3},
        {"magnified", 5, 0, 0.015625f, 1, kCentre, 10, 800, 31},
        {"no distance: a point", 5, 0, 0.015625f, inf, kCentre, 1, 800, 0},
        {"inside the body: a point", 5, 0, 0.015625f, 0.01f, kCentre, 1, 800, 0},
        {"fainter than the planet limit", 5, 900, 0.015625f, 1, kCentre, 1, 800, -1},
        {"no planet limit", 5, 900, 0.015625f, 1, kCentre, 1, kNoLimit, 3}};
    gDisplayOptions.showPlanets = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gDisplayOptions.planetMagnification = c.magnification;
        gDisplayOptions.faintestPlanetMagnitude = c.planetLimit;
        CatalogObject catalog;
        SolarSystemObject body;
        SkyObject* object = &catalog;
        std::int32_t* direction = catalog.apparentDirection;
        if (c.type < kTypeSingleStar) {
            object = &body;
            direction = body.apparentDirection;
            body.magnitude = c.magnitude;
            body.distance = c.distance;
            body.elements[kRadius] = c.size;
        } else {
            catalog.magnitude = c.magnitude;
            catalog.size = c.size;
        }
        object->type = static_cast<std::uint8_t>(c.type);
        Direction(c.where == kOffArea ? 1.6 : 1.0, 0.2, direction);
        for (int i = 0; c.where == kBehind && i < 3; ++i)
            direction[i] = -direction[i];
        ProjectedObject p = ProjectObject(object);
        EXPECT_EQ(p.visible ? p.radius : -1, c.radius);
        if (c.where == kCentre && p.visible) {
            EXPECT_EQ(std::tuple(p.x, p.y), std::tuple(gFrame.centerX, gFrame.centerY));
        }
    }
}

TEST_F(RenderTest, StarIsDrawnWhereItProjects) {
    ObjectID fileId = attachFile(newFile("Near.nvd"));
    CatalogObject* star = AddCatalog(fileId, kTypeSingleStar, 1.02, 0.21, 550);
    Draw();
    ProjectedPoint p = ProjectDirection(star->apparentDirection);
    ASSERT_TRUE(p.visible);
    EXPECT_EQ(At(p.x, p.y), (RGBColor{255, 255, 191})) << "a size-1 star in its B-V colour";
    EXPECT_EQ(LastDrawCounts().stars, 1);
    EXPECT_EQ(getFile(fileId)->lastDrawGeneration, DrawingPassNumber());
    EXPECT_EQ(std::tuple(At(100, 0), At(199, 75)), std::tuple(kWhite, kWhite)) << "the frame";
    gDisplayOptions.useColor = false;
    gDisplayOptions.skyBackground = kSkyWhite;
    Draw();
    EXPECT_EQ(At(p.x, p.y), kBlack) << "foreground on a white sky";
    EXPECT_EQ(At(p.x + 2, p.y), kWhite);
    gDisplayOptions.useColor = true;
    Draw();
    EXPECT_EQ(At(p.x, p.y), (RGBColor{78, 78, 58})) << "a white star darkened, its tint kept";

    // Escape stops the object layers; the frame is still drawn.
    gDisplayOptions.skyBackground = kSkyBlack;
    NoteKey(VKEscape, true);
    Draw();
    EXPECT_TRUE(LastDrawCounts().aborted);
    EXPECT_EQ(LastDrawCounts().stars, 0);
    EXPECT_EQ(At(100, 0), kWhite) << "the frame";
}

TEST_F(RenderTest, FilesAreSkippedByTheirSummaries) {
    ObjectID near = FileWithStar("Near.nvd", 1.02, 0.21, 400);
    ObjectID far = FileWithStar("Far.nvd", 1.0 + 3.14, -0.2, 400);
    ObjectID faint = FileWithStar("Faint.nvd", 1.01, 0.19, 700);
    ObjectID deep = FileWithStar("Deep.nvd", 0.98, 0.19, 900, kTypeGalaxy);
    Draw();
    EXPECT_TRUE(isLoaded(getFile(near))) << "loaded on demand";
    EXPECT_FALSE(isLoaded(getFile(far))) << "outside the chart's box";
    EXPECT_NE(getFile(far)->lastDrawGeneration, DrawingPassNumber());
    EXPECT_FALSE(isLoaded(getFile(faint))) << "nothing bright enough";
    EXPECT_TRUE(isLoaded(getFile(deep)));
    EXPECT_EQ(std::tuple(LastDrawCounts().stars, LastDrawCounts().deepSky), std::tuple(1, 1));

    // The deep-sky limit is the largest of the five type limits.
    ASSERT_TRUE(unloadFile(deep));
    for (int type = 61; type <= 65; ++type)
        SetTypeLimit(type, 800);
    Draw();
    EXPECT_FALSE(isLoaded(getFile(deep)));
    SetTypeLimit(63, 900);
    Draw();
    EXPECT_TRUE(isLoaded(getFile(deep))) << "a galaxy file is considered by any type's limit";
    EXPECT_EQ(LastDrawCounts().deepSky, 0) << "but its galaxy is still too faint";

    // The chart's box wraps at 0h and takes in the poles.
    FileWithStar("Before.nvd", 2.0 * kExactPi - 0.02, 0.0, 400);
    FileWithStar("After.nvd", 0.02, 0.0, 400);
    gChartView.centerLongitude = gChartView.centerLatitude = 0.0;
    Draw();
    EXPECT_EQ(LastDrawCounts().stars, 2) << "both sides of 0h";
    FileWithStar("Polar.nvd", 3.0, 88.5 * kDegree, 400);
    gChartView.centerLatitude = 89.0 * kDegree;
    Draw();
    EXPECT_EQ(LastDrawCounts().stars, 1) << "across the pole, twelve hours away";
}

TEST_F(RenderTest, LabelsInTheirColourUpToTheirLimit) {
    CatalogObject* star =
        AddCatalog(attachFile(newFile("Near.nvd")), kTypeSingleStar, 1.0, 0.2, 300, "Vega");
    gDisplayOptions.showObjectLabels = true;
    gDisplayOptions.colors[kStarLabelColor] = {0, 255, 0};
    auto greenAboveRight = [&]() {
        ProjectedPoint p = ProjectDirection(star->apparentDirection);
        return picture->Count([](RGBColor c) { return c.green >= 128 && c.red < 64; }, p.x + 3,
                              std::max(1, p.y - 30), std::min(p.x + 60, 199), p.y - 3);
    };
    // The label limit: none, a brighter one, and blank (no labels at all).
    for (std::int16_t limit :
         {gDisplayOptions.faintestStarLabelMagnitude, std::int16_t{250}, std::int16_t{kNoLimit}}) {
        gDisplayOptions.faintestStarLabelMagnitude = limit;
        Draw();
        EXPECT_EQ(greenAboveRight() > 0, limit > 300 && limit != kNoLimit) << limit;
    }
}

TEST_F(RenderTest, SkyBackgroundAndTheShapeOfTheSky) {
    const RGBColor day{127, 255, 255};
    gDisplayOptions.skyBackground = kSkyColor;
    gInstant.sunAltitude = -0.9 * kDegree;
    Draw();
    EXPECT_EQ(At(3, 3), (RGBColor{0, 0, 255})) << "civil twilight up to the corner";
    // A Spherical disc of radius 100 about (100, 75), higher than the
    // picture; a Mollweide ellipse of half-axes 100 and 50.
    gInstant.sunAltitude = 10.0 * kDegree;
    const std::tuple<int, double, const char*, const char*> cases[] = {
        {kSpherical, 180.0, "100,75 100,2 5,75", "3,3 196,146"},
        {kMollweide, 360.0, "100,75 100,30 5,75", "100,15 10,30"}};
    for (auto [projection, width, sky, background] : cases) {
        gChartView.projection = static_cast<std::int16_t>(projection);
        gChartView.fieldWidth = width * kDegree;
        Draw();
        for (Point p : Points(sky))
            EXPECT_EQ(At(p.x, p.y), day) << projection << ": " << p.x << ", " << p.y;
        for (Point p : Points(background))
            EXPECT_EQ(At(p.x, p.y), kBlack) << projection << ": " << p.x << ", " << p.y;
    }
    // The legend sits on the sky, not on black.
    gDisplayOptions.showChartLegend = true;
    gChartView.projection = kPlanar;
    Draw(1000, 300);
    EXPECT_EQ(At(990, 290), day);
}

// Down to the narrowest field, one arcsecond, past the scale where the
// projection turns to double precision.
TEST_F(RenderTest, ZoomingKeepsTheCentredStarOnTheCentrePixel) {
    CatalogObject* star =
        AddCatalog(attachFile(newFile("Near.nvd")), kTypeSingleStar, 1.02, 0.21, 300);
    gChartView.centeredObject = star->id;
    bool highMagnification = false;
    for (int halving = 0; halving <= 18; ++halving) {
        if (halving > 0) SetFieldWidth(gChartView.fieldWidth / 2.0);
        Draw();
        highMagnification = highMagnification || gFrame.scale >= kHighMagnificationScale;
        ProjectedPoint p = ProjectDirection(star->apparentDirection);
        EXPECT_TRUE(p.visible && p.x == gFrame.centerX && p.y == gFrame.centerY)
            << halving << ": " << p.x << ", " << p.y;
        EXPECT_EQ(At(p.x, p.y), StarColor(50)) << halving;
    }
    EXPECT_TRUE(highMagnification);
    EXPECT_EQ(gChartView.fieldWidth, kMinimumFieldWidth);
}

} // namespace
