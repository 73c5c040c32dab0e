// Rendering of stars and deep-sky objects: star sizes and colours, the
// symbols and labels as pixels, the sky background by twilight, the layer
// order and the skipping of database files, on offscreen pictures.

#include "chart/Render.h"

#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Projection.h"
#include "chart/ViewCommands.h"
#include "data/Names.h"
#include "shell/platform/PlatformInternal.h"
#include "tests/data/ComputationTestBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

using computation_test::kDegree;

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{255, 255, 255};
constexpr RGBColor kInk{255, 200, 100};

bool Lit(RGBColor c) {
    return c.red >= 128 || c.green >= 128 || c.blue >= 128;
}
bool Dark(RGBColor c) {
    return c.red < 64 && c.green < 64 && c.blue < 64;
}

std::string Show(RGBColor c) {
    return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " +
           std::to_string(c.blue) + ")";
}

void UnitVector(double lon, double lat, std::int32_t out[3]) {
    Vector3 v;
    SphericalToRectangular(lon, lat, 1.0, v);
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<std::int32_t>(v[i] * kUnitVectorScale);
}

// A picture to draw single symbols and labels on, with antialiasing on as
// the chart draws them.
class Canvas {
public:
    Canvas(int width, int height) : picture_(CreatePicture(width, height)) {
        BeginDrawing(SelectPicture(picture_));
        SetAntialiasing(true);
        SetColor(kInk, 1, true);
    }
    ~Canvas() {
        Finish();
        DeletePicture(picture_);
    }
    void Finish() {
        if (open_) EndDrawing();
        open_ = false;
    }
    RGBColor At(int x, int y) {
        Finish();
        return PicturePixel(picture_, x, y);
    }
    std::vector<RGBColor> All() {
        Finish();
        int w = 0, h = 0;
        PictureSize(picture_, &w, &h);
        std::vector<RGBColor> pixels;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels.push_back(PicturePixel(picture_, x, y));
        return pixels;
    }
    // The lit pixels' bounding box; false when nothing is lit.
    bool LitBox(int& left, int& top, int& right, int& bottom) {
        Finish();
        int w = 0, h = 0;
        PictureSize(picture_, &w, &h);
        left = top = 1 << 20;
        right = bottom = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (!(PicturePixel(picture_, x, y) == kBlack)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return right >= 0;
    }

private:
    PictureRef picture_;
    bool open_ = true;
};

class RenderTest : public computation_test::ComputationTest {
protected:
    void SetUp() override {
        ComputationTest::SetUp();
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        DisplayOptions& o = gDisplayOptions;
        o.showChartLegend = false;
        o.showConstellations = false;
        o.showPlanets = false;
        o.showHorizonMask = false;
        gChartView.coordinateSystem = kEquatorial;
        gChartView.projection = kPlanar;
        gChartView.centerLongitude = 1.0;
        gChartView.centerLatitude = 0.2;
        gChartView.fieldWidth = 0.5;
        PrepareComputation();
    }
    void TearDown() override {
        NoteKey(VKEscape, false);
        SetFakeScreenDepth(0);
        SetRedrawCount(0);
        setMenuStateUpdater(nullptr);
        if (picture != nullptr) DeletePicture(picture);
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        // Leaves the red screen off and forgets what it put aside.
        RenderChart();
        setDisplayOptionsDefaults();
        ComputationTest::TearDown();
    }

    static ObjectID NewDataFile(const char* name) {
        ObjectID fileId = attachFile(newFile(name));
        EXPECT_NE(fileId, 0);
        return fileId;
    }
    static CatalogObject* AddCatalog(ObjectID fileId, int type, double ra, double dec,
                                     std::int16_t magnitude, std::int16_t colorIndex = kNoMagnitude,
                                     const char* name = nullptr) {
        CatalogObject* object = NewCatalogObject(type);
        UnitVector(ra, dec, object->position);
        object->catalogMagnitude = magnitude;
        object->colorIndex = colorIndex;
        if (name != nullptr) object->name = CopyText(name);
        ObjectID id = addObject(object, fileId);
        EXPECT_NE(id, 0);
        return AsCatalog(getObject(id));
    }
    PictureRef Draw(int width = 200, int height = 150) {
        if (picture != nullptr) DeletePicture(picture);
        picture = CreatePicture(width, height);
        BeginDrawing(SelectPicture(picture));
        DrawChart(Rect{0, 0, width, height});
        EndDrawing();
        return picture;
    }
    RGBColor At(int x, int y) const { return PicturePixel(picture, x, y); }

    PictureRef picture = nullptr;
};

// ---------------------------------------------------------------------------
// Star scale and colours

TEST_F(RenderTest, StarSizesFollowTheScaleOfTheLimits) {
    DisplayOptions& o = gDisplayOptions;
    o.brightestStarMagnitude = 50;
    o.faintestStarMagnitude = 550;
    SetStarScale();
    EXPECT_EQ(CurrentStarScale().step, 100);
    EXPECT_EQ(StarSize(550), 1);
    EXPECT_EQ(StarSize(440), 2);
    EXPECT_EQ(StarSize(50), 6);
    EXPECT_EQ(StarSize(-146), 6);
    EXPECT_EQ(StarSize(600), 1);
    CatalogObject faint;
    faint.type = kTypeSingleStar;
    faint.magnitude = 600;
    EXPECT_FALSE(ProjectObject(&faint).visible) << "fainter than the limit is not drawn";

    o.brightestStarMagnitude = 500;
    o.faintestStarMagnitude = 520;
    SetStarScale();
    EXPECT_EQ(CurrentStarScale().step, 4);
    EXPECT_EQ(StarSize(500), 6);
    EXPECT_EQ(StarSize(517), 1);
    EXPECT_EQ(StarSize(512), 3);

    // Nine hundredths give a step of 1; the star at the bright limit still
    // gets the largest symbol, not a bigger one.
    o.faintestStarMagnitude = 509;
    SetStarScale();
    EXPECT_EQ(CurrentStarScale().step, 1);
    EXPECT_EQ(StarSize(500), 6);
    EXPECT_EQ(StarSize(499), 6);
    EXPECT_EQ(StarSize(508), 2);

    // Limits the wrong way round still give a step of at least 1.
    o.brightestStarMagnitude = 600;
    o.faintestStarMagnitude = 100;
    SetStarScale();
    EXPECT_EQ(CurrentStarScale().step, 1);

    // "No limit" leaves that end of the scale as it was.
    o.brightestStarMagnitude = 50;
    o.faintestStarMagnitude = 550;
    SetStarScale();
    o.faintestStarMagnitude = kNoLimit;
    SetStarScale();
    EXPECT_EQ(CurrentStarScale().faintest, 550);
    EXPECT_EQ(CurrentStarScale().step, 100);
}

TEST_F(RenderTest, StarColorsByColorIndex) {
    EXPECT_EQ(StarColor(-30), (RGBColor{127, 229, 255}));
    EXPECT_EQ(StarColor(50), (RGBColor{255, 255, 191}));
    EXPECT_EQ(StarColor(250), (RGBColor{255, 127, 127}));
    EXPECT_EQ(StarColor(kNoMagnitude), kWhite);
    EXPECT_EQ(StarColor(-32768), kWhite) << "an unknown index is not a blue star";
    // The bands' edges.
    EXPECT_EQ(StarColor(-51), (RGBColor{127, 127, 255}));
    EXPECT_EQ(StarColor(-50), (RGBColor{127, 127, 255}));
    EXPECT_EQ(StarColor(-26), (RGBColor{127, 249, 255}));
    EXPECT_EQ(StarColor(-25), (RGBColor{127, 255, 255}));
    EXPECT_EQ(StarColor(0), (RGBColor{255, 255, 255}));
    EXPECT_EQ(StarColor(99), (RGBColor{255, 255, 128}));
    EXPECT_EQ(StarColor(100), (RGBColor{255, 255, 127}));
    EXPECT_EQ(StarColor(199), (RGBColor{255, 128, 127}));
    EXPECT_EQ(StarColor(200), (RGBColor{255, 127, 127}));
}

// ---------------------------------------------------------------------------
// Sky colour, standard colours and magnitude limits

TEST_F(RenderTest, SkyColorFollowsTheSunsAltitude) {
    struct Case {
        double degrees;
        int slot;
    };
    const Case cases[] = {{10.0, kDaytimeSkyColor},
                          {-0.5, kDaytimeSkyColor},
                          {-0.9, kCivilTwilightColor},
                          {-6.5, kNauticalTwilightColor},
                          {-12.5, kAstronomicalTwilightColor},
                          {-18.5, kNightSkyColor}};
    for (const Case& c : cases) {
        gInstant.sunAltitude = c.degrees * kDegree;
        EXPECT_EQ(SkyColorSlot(), c.slot) << c.degrees << " degrees";
    }
    gInstant.sunAltitude = -0.014486232791599999;
    EXPECT_EQ(SkyColorSlot(), kCivilTwilightColor) << "the threshold itself is twilight";

    gInstant.sunAltitude = 10.0 * kDegree;
    gViewer.viewerObject = FileID(1) | 1;
    EXPECT_EQ(SkyColorSlot(), kNightSkyColor) << "away from the Earth the sky is night";
    gViewer.viewerObject = 0;

    DisplayOptions& o = gDisplayOptions;
    EXPECT_EQ(SkyFillColor(), kBlack) << "a black sky background";
    o.skyBackground = kSkyColor;
    EXPECT_EQ(SkyFillColor(), (RGBColor{127, 255, 255}));
    o.useColor = false;
    EXPECT_EQ(SkyFillColor(), kBlack);
    o.skyBackground = kSkyWhite;
    EXPECT_EQ(SkyFillColor(), kWhite);
}

TEST_F(RenderTest, MagnitudeLimitsMoveTogether) {
    DisplayOptions& o = gDisplayOptions;
    o.faintestStarLabelMagnitude = kNoLimit;
    SetTypeLimit(64, kNoLimit);
    AdjustMagnitudeLimits(100);
    EXPECT_EQ(o.brightestStarMagnitude, 150);
    EXPECT_EQ(o.faintestStarMagnitude, 650);
    EXPECT_EQ(TypeLimit(61), 750);
    EXPECT_EQ(TypeLimit(65), 1050);
    EXPECT_EQ(TypeLimit(51), 100) << "a zero limit is a limit";
    EXPECT_EQ(TypeLimit(64), kNoLimit);
    EXPECT_EQ(o.faintestPlanetMagnitude, 950);
    EXPECT_EQ(o.faintestStarLabelMagnitude, kNoLimit);
    EXPECT_EQ(o.faintestPlanetLabelMagnitude, 950);
    EXPECT_EQ(o.faintestDeepSkyLabelMagnitude, 1150);

    AdjustMagnitudeLimits(-250);
    EXPECT_EQ(o.brightestStarMagnitude, -100);
    EXPECT_EQ(TypeLimit(61), 500);
    EXPECT_EQ(o.faintestStarLabelMagnitude, kNoLimit);

    // Sums stay inside 16 bits and never turn into "no limit".
    o.faintestStarMagnitude = 32700;
    o.faintestPlanetMagnitude = 32700;
    AdjustMagnitudeLimits(100);
    EXPECT_EQ(o.faintestStarMagnitude, 32767);
    EXPECT_EQ(o.faintestPlanetMagnitude, 32766);
    o.brightestStarMagnitude = -32700;
    AdjustMagnitudeLimits(-100);
    EXPECT_EQ(o.brightestStarMagnitude, -32767);
}

// ---------------------------------------------------------------------------
// Symbols as pixels

TEST_F(RenderTest, PlainStarSymbols) {
    {
        Canvas c(40, 40);
        DrawStarSymbol(kPlainStar, 20, 20, 1);
        EXPECT_EQ(c.At(20, 20), kInk) << "size 1 is a single pixel";
        int l, t, r, b;
        ASSERT_TRUE(c.LitBox(l, t, r, b));
        EXPECT_EQ(l, 20);
        EXPECT_EQ(r, 20);
        EXPECT_EQ(t, 20);
        EXPECT_EQ(b, 20);
    }
    {
        // Size 4: q = 1, the box (18, 18) to (22, 22).
        Canvas c(40, 40);
        DrawStarSymbol(kPlainStar, 20, 20, 4);
        for (int x = 19; x <= 20; ++x)
            for (int y = 19; y <= 20; ++y)
                EXPECT_EQ(c.At(x, y), kInk) << x << "," << y;
        int l, t, r, b;
        ASSERT_TRUE(c.LitBox(l, t, r, b));
        EXPECT_EQ(l, 18);
        EXPECT_EQ(t, 18);
        EXPECT_EQ(r, 21);
        EXPECT_EQ(b, 21);
    }
    {
        // Size 6: q = 1, the box (18, 18) to (24, 24), off the centre.
        Canvas c(40, 40);
        DrawStarSymbol(kPlainStar, 20, 20, 6);
        int l, t, r, b;
        ASSERT_TRUE(c.LitBox(l, t, r, b));
        EXPECT_EQ(l, 18);
        EXPECT_EQ(t, 18);
        EXPECT_EQ(r, 23);
        EXPECT_EQ(b, 23);
        EXPECT_EQ(c.At(21, 21), kInk);
    }
    {
        gDisplayOptions.showLargeStars = true;
        Canvas c(40, 40);
        DrawStarSymbol(kPlainStar, 20, 20, 3);
        int l, t, r, b;
        ASSERT_TRUE(c.LitBox(l, t, r, b));
        EXPECT_EQ(l, 17);
        EXPECT_EQ(t, 17);
        EXPECT_EQ(r, 22);
        EXPECT_EQ(b, 22);
        EXPECT_EQ(c.At(20, 20), kInk);
        EXPECT_EQ(c.At(19, 19), kInk);
    }
}

TEST_F(RenderTest, MultipleAndVariableStarSymbols) {
    {
        Canvas plain(40, 40);
        DrawStarSymbol(kPlainStar, 20, 20, 4);
        EXPECT_TRUE(Dark(plain.At(22, 22)));
    }
    {
        // The companion's stroke runs from the box's corner (22, 22) back
        // through the disc.
        Canvas c(40, 40);
        DrawStarSymbol(kMultipleStar, 20, 20, 4);
        EXPECT_FALSE(Dark(c.At(22, 22))) << Show(c.At(22, 22));
        EXPECT_FALSE(Dark(c.At(18, 18)));
        EXPECT_TRUE(Dark(c.At(24, 24)));
        EXPECT_TRUE(Dark(c.At(22, 18))) << "only one diagonal";
    }
    {
        // Size 6: a disc of size 5 in the box (18, 18) to (23, 23) and a ring
        // in (16, 16) to (25, 25), a dark gap between them.
        Canvas c(40, 40);
        DrawStarSymbol(kVariableStar, 20, 20, 6);
        EXPECT_EQ(c.At(20, 20), kInk);
        EXPECT_TRUE(Lit(c.At(16, 20))) << "ring, left";
        EXPECT_TRUE(Lit(c.At(24, 20))) << "ring, right";
        EXPECT_TRUE(Lit(c.At(20, 16))) << "ring, top";
        EXPECT_TRUE(Dark(c.At(17, 20))) << "between disc and ring";
        EXPECT_TRUE(Dark(c.At(20, 17)));
        EXPECT_TRUE(Dark(c.At(23, 20)));
        EXPECT_TRUE(Dark(c.At(15, 20))) << "outside the ring";
        EXPECT_TRUE(Dark(c.At(26, 20)));
    }
    {
        Canvas c(40, 40);
        DrawStarSymbol(kMultipleVariableStar, 20, 20, 6);
        EXPECT_FALSE(Dark(c.At(25, 25))) << "the stroke runs corner to corner of the ring's box";
        EXPECT_FALSE(Dark(c.At(16, 16)));
        EXPECT_TRUE(Lit(c.At(17, 17)));
        EXPECT_TRUE(Dark(c.At(27, 27)));
    }
}

TEST_F(RenderTest, DeepSkySymbols) {
    {
        Canvas c(60, 60);
        DrawDeepSkySymbol(kTypeOpenCluster, 30, 30, 5);
        EXPECT_TRUE(Lit(c.At(35, 30)));
        EXPECT_TRUE(Lit(c.At(25, 30)));
        EXPECT_TRUE(Lit(c.At(30, 25)));
        EXPECT_TRUE(Dark(c.At(30, 30))) << "hollow";
        EXPECT_TRUE(Dark(c.At(37, 30)));
    }
    {
        Canvas c(60, 60);
        DrawDeepSkySymbol(kTypeOpenCluster, 30, 30, 0);
        EXPECT_TRUE(Lit(c.At(33, 30))) << "a point gets the smallest circle, radius 3";
        EXPECT_TRUE(Dark(c.At(35, 30)));
    }
    {
        Canvas c(60, 60);
        DrawDeepSkySymbol(kTypeGlobularCluster, 30, 30, 5);
        EXPECT_EQ(c.At(30, 28), kInk) << "the vertical bar";
        EXPECT_EQ(c.At(30, 33), kInk);
        EXPECT_EQ(c.At(27, 30), kInk) << "the horizontal bar";
        EXPECT_EQ(c.At(33, 30), kInk);
        EXPECT_TRUE(Dark(c.At(28, 28)));
        EXPECT_TRUE(Dark(c.At(30, 37)));
    }
    {
        Canvas c(60, 60);
        DrawDeepSkySymbol(kTypeDiffuseNebula, 30, 30, 0);
        // Radius 4 at least: the corners at (30, 26), (34, 30), (30, 34), (26, 30).
        EXPECT_FALSE(Dark(c.At(30, 26)));
        EXPECT_FALSE(Dark(c.At(34, 30)));
        EXPECT_FALSE(Dark(c.At(30, 34)));
        EXPECT_FALSE(Dark(c.At(26, 30)));
        EXPECT_FALSE(Dark(c.At(32, 28))) << "an edge";
        EXPECT_TRUE(Dark(c.At(30, 30)));
        EXPECT_TRUE(Dark(c.At(30, 23)));
        EXPECT_TRUE(Dark(c.At(33, 33))) << "no circle round it";
    }
    {
        Canvas c(60, 60);
        DrawDeepSkySymbol(kTypePlanetaryNebula, 30, 30, 4);
        EXPECT_EQ(c.At(30, 23), kInk) << "spoke up to (30, 22)";
        EXPECT_EQ(c.At(30, 37), kInk);
        EXPECT_EQ(c.At(23, 30), kInk);
        EXPECT_EQ(c.At(37, 30), kInk);
        EXPECT_TRUE(Dark(c.At(30, 20)));
        EXPECT_TRUE(Dark(c.At(40, 30)));
        EXPECT_TRUE(Dark(c.At(30, 30)));
    }
    {
        // Radius 6: half-height 3, the box (24, 26) to (37, 35).
        Canvas c(60, 60);
        DrawDeepSkySymbol(kTypeGalaxy, 30, 30, 6);
        EXPECT_TRUE(Lit(c.At(30, 26))) << "top";
        EXPECT_TRUE(Lit(c.At(30, 34))) << "bottom";
        EXPECT_TRUE(Lit(c.At(24, 30))) << "left";
        EXPECT_TRUE(Lit(c.At(36, 30))) << "right";
        EXPECT_TRUE(Dark(c.At(30, 24))) << "flattened";
        EXPECT_TRUE(Dark(c.At(30, 30)));
    }
}

// ---------------------------------------------------------------------------
// Labels

TEST_F(RenderTest, LabelsSitOnTheirBaseAndStopAtSemicolons) {
    std::vector<RGBColor> plain, listed, cut;
    {
        Canvas c(200, 60);
        SelectChartFont();
        DrawLabel("Vega", 0, 10, 40);
        int l, t, r, b;
        ASSERT_TRUE(c.LitBox(l, t, r, b));
        EXPECT_GE(l, 10);
        EXPECT_LT(b, 40) << "the text's bottom is at y";
        EXPECT_GT(b, 30);
        plain = c.All();
    }
    {
        Canvas c(200, 60);
        SelectChartFont();
        DrawLabel("Vega;HR 7001", 0, 10, 40);
        listed = c.All();
    }
    {
        Canvas c(200, 60);
        SelectChartFont();
        DrawLabel("Vegas", 4, 10, 40);
        cut = c.All();
    }
    EXPECT_TRUE(plain == listed) << "the text ends at the first ';'";
    EXPECT_TRUE(plain == cut) << "an explicit length";
    {
        Canvas c(200, 60);
        SelectChartFont();
        DrawLabel(";HR 7001", 0, 10, 40);
        DrawLabel("$", 0, 10, 40);
        int l, t, r, b;
        EXPECT_FALSE(c.LitBox(l, t, r, b)) << "empty texts draw nothing";
    }
}

TEST_F(RenderTest, GreekLettersAndSuperscripts) {
    std::vector<RGBColor> greek, latin;
    int greekTop = 0, superTop = 0, l, r, b;
    {
        Canvas c(200, 80);
        SelectChartFont();
        DrawLabel("$a Cen", 0, 10, 60);
        ASSERT_TRUE(c.LitBox(l, greekTop, r, b));
        EXPECT_LT(b, 60);
        greek = c.All();
    }
    {
        Canvas c(200, 80);
        SelectChartFont();
        DrawLabel("a Cen", 0, 10, 60);
        latin = c.All();
    }
    EXPECT_FALSE(greek == latin) << "'$a' is alpha, not a";
    {
        Canvas c(200, 80);
        SelectChartFont();
        DrawLabel("$a2 Cen", 0, 10, 60);
        ASSERT_TRUE(c.LitBox(l, superTop, r, b));
    }
    int height = 0, width = 0;
    {
        Canvas c(10, 10);
        SelectChartFont();
        TextExtent("2", &width, &height);
    }
    EXPECT_LE(superTop, greekTop - height / 2 + 2) << "the digit is raised half a line";
}

TEST_F(RenderTest, ObjectLabelsTakeNameOrDesignationAndOffset) {
    auto labelPixels = [](const SkyObject* object, int radius) {
        Canvas c(200, 100);
        SelectChartFont();
        DrawObjectLabel(object, 50, 70, radius);
        return c.All();
    };
    auto textPixels = [](const std::string& text, int x, int y) {
        Canvas c(200, 100);
        SelectChartFont();
        DrawLabel(text.c_str(), 0, x, y);
        return c.All();
    };

    CatalogObject star;
    star.type = kTypeSingleStar;
    star.name = CopyText("Vega;HR 7001");
    EXPECT_TRUE(labelPixels(&star, 9) == textPixels("Vega", 53, 67)) << "stars ignore the radius";

    CatalogObject designated;
    designated.type = kTypeSingleStar;
    ASSERT_TRUE(setObjectNames(&designated, "HR 7001"));
    ASSERT_GT(designated.identifierCount, 0);
    std::string designation = formatIdentifier(designated.identifiers[0]);
    ASSERT_FALSE(designation.empty());
    EXPECT_TRUE(labelPixels(&designated, 0) == textPixels(designation, 53, 67));

    CatalogObject nameless;
    nameless.type = kTypeSingleStar;
    EXPECT_TRUE(labelPixels(&nameless, 0) == textPixels("", 0, 0)) << "no text, no label";

    CatalogObject cluster;
    cluster.type = kTypeOpenCluster;
    cluster.name = CopyText("M45");
    // d = 20, then 20 x 7 / 10 = 14.
    EXPECT_TRUE(labelPixels(&cluster, 20) == textPixels("M45", 67, 53));
    cluster.type = kTypeGalaxy;
    // d = 20 x 2 / 3 = 13, then 9.
    EXPECT_TRUE(labelPixels(&cluster, 20) == textPixels("M45", 62, 58));
    cluster.type = kTypeDiffuseNebula;
    // d = 20 x 7 / 10 = 14, then 9.
    EXPECT_TRUE(labelPixels(&cluster, 20) == textPixels("M45", 62, 58));
}

// ---------------------------------------------------------------------------
// Projection of objects (with the projection frame)

TEST_F(RenderTest, ObjectsProjectByKindAndLimit) {
    gDisplayOptions.showPlanets = true;
    gChartView.projection = kSpherical;
    gChartView.fieldWidth = 60.0 * kDegree; // scale 200 on a 200-pixel width
    Draw();
    ASSERT_EQ(gFrame.scale, 200);

    std::int32_t center[3];
    UnitVector(1.0, 0.2, center);
    CatalogObject star;
    star.type = kTypeSingleStar;
    star.magnitude = 300;
    std::copy(center, center + 3, star.apparentDirection);
    ProjectedObject p = ProjectObject(&star);
    EXPECT_TRUE(p.visible);
    EXPECT_EQ(p.radius, 0);
    EXPECT_NEAR(p.x, gFrame.centerX, 1);
    EXPECT_NEAR(p.y, gFrame.centerY, 1);
    gDisplayOptions.showStars = false;
    EXPECT_FALSE(ProjectObject(&star).visible);
    gDisplayOptions.showStars = true;
    for (int i = 0; i < 3; ++i)
        star.apparentDirection[i] = -center[i];
    EXPECT_FALSE(ProjectObject(&star).visible) << "behind the observer";

    CatalogObject galaxy;
    galaxy.type = kTypeGalaxy;
    galaxy.magnitude = 900;
    galaxy.size = 0.1f; // sine of the radius 0.05
    std::copy(center, center + 3, galaxy.apparentDirection);
    EXPECT_EQ(ProjectObject(&galaxy).radius, 10);
    galaxy.size = std::numeric_limits<float>::quiet_NaN();
    p = ProjectObject(&galaxy);
    EXPECT_TRUE(p.visible) << "no size: a point";
    EXPECT_EQ(p.radius, 0);
    galaxy.magnitude = 960;
    EXPECT_FALSE(ProjectObject(&galaxy).visible) << "fainter than the galaxy limit";

    // A big disc whose centre is off the area still shows.
    CatalogObject nebula;
    nebula.type = kTypeDiffuseNebula;
    nebula.magnitude = 500;
    nebula.size = 0.4f; // radius 40 pixels
    UnitVector(1.0 + 0.6, 0.2, nebula.apparentDirection);
    p = ProjectObject(&nebula);
    EXPECT_TRUE(p.visible);
    EXPECT_GT(std::abs(p.x - 100), 100) << p.x;
    EXPECT_EQ(p.radius, 40);
    nebula.size = 0.0f;
    EXPECT_FALSE(ProjectObject(&nebula).visible) << "as a point it is off the chart";

    SolarSystemObject body;
    body.type = 5;
    body.magnitude = 0;
    body.distance = 1.0f;
    body.elements[kRadius] = 0.015625f; // sine 1/64: 3.125 pixels
    std::copy(center, center + 3, body.apparentDirection);
    EXPECT_EQ(ProjectObject(&body).radius, 3);
    gDisplayOptions.planetMagnification = 10.0;
    EXPECT_EQ(ProjectObject(&body).radius, 31);
    gDisplayOptions.planetMagnification = 1.0;
    body.distance = std::numeric_limits<float>::infinity();
    p = ProjectObject(&body);
    EXPECT_TRUE(p.visible);
    EXPECT_EQ(p.radius, 0) << "no distance: a point";
    body.distance = 0.01f;
    EXPECT_EQ(ProjectObject(&body).radius, 0) << "inside the body: a point";
    body.distance = 1.0f;
    body.magnitude = 900;
    EXPECT_FALSE(ProjectObject(&body).visible) << "fainter than the planet limit";
    gDisplayOptions.faintestPlanetMagnitude = kNoLimit;
    EXPECT_TRUE(ProjectObject(&body).visible) << "no planet limit";
}

TEST_F(RenderTest, HorizonMaskHidesObjectsBelowIt) {
    gChartView.coordinateSystem = kHorizon;
    gChartView.centerLongitude = 0.0;
    gChartView.centerLatitude = -20.0 * kDegree;
    gChartView.fieldWidth = 90.0 * kDegree;
    Draw();
    Vector3 below;
    ASSERT_TRUE(UnprojectPoint(gFrame.centerX, gFrame.centerY, below));
    CatalogObject star;
    star.type = kTypeSingleStar;
    star.magnitude = 100;
    for (int i = 0; i < 3; ++i)
        star.apparentDirection[i] = static_cast<std::int32_t>(below[i] * kUnitVectorScale);
    EXPECT_TRUE(ProjectObject(&star).visible);
    gDisplayOptions.showHorizonMask = true;
    EXPECT_FALSE(ProjectObject(&star).visible);
}

// ---------------------------------------------------------------------------
// Whole charts

TEST_F(RenderTest, StarIsDrawnWhereItProjects) {
    ObjectID fileId = NewDataFile("Near.nvd");
    CatalogObject* star = AddCatalog(fileId, kTypeSingleStar, 1.02, 0.21, 550, 50);
    ASSERT_NE(star, nullptr);
    Draw();
    ProjectedPoint p = ProjectDirection(star->apparentDirection);
    ASSERT_TRUE(p.visible);
    EXPECT_EQ(At(p.x, p.y), (RGBColor{255, 255, 191})) << "a size-1 star in its B-V colour";
    EXPECT_EQ(At(p.x + 2, p.y), kBlack);
    EXPECT_EQ(At(p.x, p.y - 2), kBlack);
    EXPECT_EQ(LastDrawCounts().stars, 1);
    EXPECT_FALSE(LastDrawCounts().aborted);
    EXPECT_EQ(getFile(fileId)->lastDrawGeneration, DrawingPassNumber());
    EXPECT_EQ(At(100, 0), kWhite) << "the frame";
    EXPECT_EQ(At(199, 75), kWhite);
    EXPECT_EQ(At(100, 149), kWhite);

    gDisplayOptions.showStarColors = false;
    Draw();
    EXPECT_EQ(At(p.x, p.y), kWhite);
    gDisplayOptions.showStarColors = true;
    gDisplayOptions.useColor = false;
    gDisplayOptions.skyBackground = kSkyWhite;
    Draw();
    EXPECT_EQ(At(p.x, p.y), kBlack) << "foreground on a white sky";
    EXPECT_EQ(At(p.x + 2, p.y), kWhite);

    gDisplayOptions.showStars = false;
    gDisplayOptions.skyBackground = kSkyBlack;
    Draw();
    EXPECT_EQ(At(p.x, p.y), kBlack);
    EXPECT_EQ(LastDrawCounts().stars, 0);
}

TEST_F(RenderTest, FilesAreSkippedByTheirSummaries) {
    ObjectID near = NewDataFile("Near.nvd");
    ObjectID far = NewDataFile("Far.nvd");
    ObjectID faint = NewDataFile("Faint.nvd");
    ObjectID deep = NewDataFile("Deep.nvd");
    AddCatalog(near, kTypeSingleStar, 1.02, 0.21, 400);
    AddCatalog(far, kTypeSingleStar, 1.0 + 3.14, -0.2, 400);
    AddCatalog(faint, kTypeSingleStar, 1.01, 0.19, 700);
    AddCatalog(deep, kTypeGalaxy, 0.98, 0.19, 900);
    for (ObjectID id : {near, far, faint, deep})
        ASSERT_TRUE(unloadFile(id));

    Draw();
    const std::int32_t pass = DrawingPassNumber();
    EXPECT_TRUE(isLoaded(getFile(near))) << "loaded on demand";
    EXPECT_EQ(getFile(near)->lastDrawGeneration, pass);
    EXPECT_FALSE(isLoaded(getFile(far))) << "outside the chart's box";
    EXPECT_NE(getFile(far)->lastDrawGeneration, pass);
    EXPECT_FALSE(isLoaded(getFile(faint))) << "nothing bright enough";
    EXPECT_TRUE(isLoaded(getFile(deep)));
    EXPECT_EQ(LastDrawCounts().stars, 1);
    EXPECT_EQ(LastDrawCounts().deepSky, 1);

    // The deep-sky limit is the largest of the five type limits.
    ASSERT_TRUE(unloadFile(deep));
    for (int type = 61; type <= 65; ++type)
        SetTypeLimit(type, 800);
    Draw();
    EXPECT_FALSE(isLoaded(getFile(deep)));
    EXPECT_EQ(LastDrawCounts().deepSky, 0);
    SetTypeLimit(63, 900);
    Draw();
    EXPECT_TRUE(isLoaded(getFile(deep))) << "a galaxy file is considered by any type's limit";
    EXPECT_EQ(LastDrawCounts().deepSky, 0) << "but its galaxy is still too faint";
}

TEST_F(RenderTest, ChartBoxWrapsAtZeroHoursAndTakesInThePoles) {
    ObjectID before = NewDataFile("Before.nvd");
    ObjectID after = NewDataFile("After.nvd");
    AddCatalog(before, kTypeSingleStar, 2.0 * computation_test::kExactPi - 0.02, 0.0, 400);
    AddCatalog(after, kTypeSingleStar, 0.02, 0.0, 400);
    ASSERT_TRUE(unloadFile(before));
    ASSERT_TRUE(unloadFile(after));
    gChartView.centerLongitude = 0.0;
    gChartView.centerLatitude = 0.0;
    Draw();
    EXPECT_EQ(LastDrawCounts().stars, 2) << "both sides of 0h";

    ObjectID polar = NewDataFile("Polar.nvd");
    AddCatalog(polar, kTypeSingleStar, 3.0, 88.5 * kDegree, 400);
    ASSERT_TRUE(unloadFile(polar));
    gChartView.centerLongitude = 0.0;
    gChartView.centerLatitude = 89.0 * kDegree;
    Draw();
    EXPECT_EQ(LastDrawCounts().stars, 1) << "across the pole, twelve hours away";
    EXPECT_TRUE(isLoaded(getFile(polar)));
}

TEST_F(RenderTest, EscapeStopsTheObjectLayers) {
    ObjectID fileId = NewDataFile("Near.nvd");
    AddCatalog(fileId, kTypeSingleStar, 1.02, 0.21, 400);
    NoteKey(VKEscape, true);
    Draw();
    EXPECT_TRUE(LastDrawCounts().aborted);
    EXPECT_EQ(LastDrawCounts().stars, 0);
    EXPECT_EQ(At(100, 0), kWhite) << "the frame is still drawn";
    NoteKey(VKEscape, false);
    Draw();
    EXPECT_FALSE(LastDrawCounts().aborted);
    EXPECT_EQ(LastDrawCounts().stars, 1);
}

TEST_F(RenderTest, StarLabelsFollowTheirLimit) {
    ObjectID fileId = NewDataFile("Near.nvd");
    CatalogObject* star = AddCatalog(fileId, kTypeSingleStar, 1.0, 0.2, 300, kNoMagnitude, "Vega");
    gDisplayOptions.showObjectLabels = true;
    gDisplayOptions.colors[kStarLabelColor] = {0, 255, 0};
    auto greenAboveRight = [&]() {
        ProjectedPoint p = ProjectDirection(star->apparentDirection);
        int count = 0;
        for (int x = p.x + 3; x < p.x + 60 && x < 199; ++x)
            for (int y = std::max(1, p.y - 30); y < p.y - 3; ++y) {
                RGBColor c = At(x, y);
                if (c.green >= 128 && c.red < 64) ++count;
            }
        return count;
    };
    Draw();
    EXPECT_GT(greenAboveRight(), 0) << "label in the star label colour";
    gDisplayOptions.faintestStarLabelMagnitude = 250;
    Draw();
    EXPECT_EQ(greenAboveRight(), 0) << "brighter label limit";
    gDisplayOptions.faintestStarLabelMagnitude = kNoLimit;
    Draw();
    EXPECT_EQ(greenAboveRight(), 0) << "a blank limit: no labels at all";
}

TEST_F(RenderTest, DeepSkyObjectsInTheirColour) {
    ObjectID fileId = NewDataFile("Deep.nvd");
    CatalogObject* cluster = AddCatalog(fileId, kTypeGlobularCluster, 1.0, 0.2, 600);
    gDisplayOptions.colors[kDeepSkyColor] = {255, 0, 255};
    Draw();
    ProjectedPoint p = ProjectDirection(cluster->apparentDirection);
    EXPECT_EQ(At(p.x, p.y - 2), (RGBColor{255, 0, 255})) << "the cluster's bar";
    EXPECT_EQ(LastDrawCounts().deepSky, 1);
}

TEST_F(RenderTest, SkyBackgroundByTwilight) {
    gDisplayOptions.skyBackground = kSkyColor;
    gChartView.fieldWidth = 60.0 * kDegree;
    gInstant.sunAltitude = -0.5 * kDegree;
    Draw();
    EXPECT_EQ(At(100, 75), (RGBColor{127, 255, 255})) << "day";
    EXPECT_EQ(At(3, 3), (RGBColor{127, 255, 255})) << "the corner is on the sky";
    gInstant.sunAltitude = -0.9 * kDegree;
    Draw();
    EXPECT_EQ(At(100, 75), (RGBColor{0, 0, 255})) << "civil twilight";
    gInstant.sunAltitude = -30.0 * kDegree;
    Draw();
    EXPECT_EQ(At(100, 75), kBlack);
}

TEST_F(RenderTest, SphericalDiscWiderThanTheWindow) {
    gDisplayOptions.skyBackground = kSkyColor;
    gInstant.sunAltitude = 10.0 * kDegree;
    gChartView.projection = kSpherical;
    gChartView.fieldWidth = 180.0 * kDegree;
    Draw(200, 150);
    // A disc of radius 100 about (100, 75), higher than the picture.
    const RGBColor day{127, 255, 255};
    EXPECT_EQ(At(100, 75), day);
    EXPECT_EQ(At(100, 2), day) << "the disc runs off the top";
    EXPECT_EQ(At(5, 75), day);
    EXPECT_EQ(At(3, 3), kBlack) << "corners in the background colour";
    EXPECT_EQ(At(196, 146), kBlack);
}

TEST_F(RenderTest, MollweideEllipse) {
    gDisplayOptions.skyBackground = kSkyColor;
    gInstant.sunAltitude = 10.0 * kDegree;
    gChartView.projection = kMollweide;
    gChartView.fieldWidth = 360.0 * kDegree;
    Draw(200, 150);
    // Half-width 100, half-height 50 about (100, 75).
    const RGBColor day{127, 255, 255};
    EXPECT_EQ(At(100, 75), day);
    EXPECT_EQ(At(100, 30), day);
    EXPECT_EQ(At(100, 15), kBlack);
    EXPECT_EQ(At(5, 75), day);
    EXPECT_EQ(At(10, 30), kBlack);
}

// ---------------------------------------------------------------------------
// Rendering into the chart window's picture

TEST_F(RenderTest, RenderChartFillsTheDrawingArea) {
    WindowRef window = CreateChartWindow();
    ASSERT_NE(window, nullptr);
    RenderChart();
    ASSERT_NE(ChartPicture(), nullptr);
    int width = 0, height = 0;
    PictureSize(ChartPicture(), &width, &height);
    Rect area = GetScrollAreas(window).client;
    EXPECT_EQ(width, area.width()) << "less the scroll bars";
    EXPECT_EQ(height, area.height());

    gDisplayOptions.showChartControls = false;
    RenderChart();
    PictureSize(ChartPicture(), &width, &height);
    Rect client = GetClientRect(window);
    EXPECT_EQ(width, client.width());
    EXPECT_EQ(height, client.height());
    ResetPlatform();
    SetMessageResponder([this](const MessageRecord&) {
        ++messages;
        return static_cast<int>(AnswerOK);
    });
}

TEST_F(RenderTest, RedrawTimerCountsRenderings) {
    RenderChart();
    EXPECT_EQ(RedrawCount(), 0) << "not timing";
    SetRedrawCount(1);
    RenderChart();
    RenderChart();
    RenderChart();
    EXPECT_EQ(RedrawCount() - 1, 3);
}

TEST_F(RenderTest, RedScreenTurnsTheDesktopRedAndPutsColourAside) {
    RGBColor before[kSystemColorCount];
    GetSystemColors(0, kSystemColorCount, before);
    gDisplayOptions.redScreen = true;
    RenderChart();
    EXPECT_FALSE(gDisplayOptions.useColor);
    RGBColor red[kSystemColorCount];
    GetSystemColors(0, kSystemColorCount, red);
    for (int i = 0; i < kSystemColorCount; ++i) {
        EXPECT_EQ(red[i].green, 0) << i;
        EXPECT_EQ(red[i].blue, 0) << i;
        EXPECT_EQ(red[i].red, before[i].red) << i;
    }
    EXPECT_EQ(ForegroundColor(), (RGBColor{255, 0, 0}));

    ApplyRedScreen(false); // the program went to the background
    RGBColor restored[kSystemColorCount];
    GetSystemColors(0, kSystemColorCount, restored);
    for (int i = 0; i < kSystemColorCount; ++i)
        EXPECT_EQ(restored[i], before[i]) << i;
    ApplyRedScreen(true);

    gDisplayOptions.redScreen = false;
    RenderChart();
    EXPECT_TRUE(gDisplayOptions.useColor) << "colour comes back";
    GetSystemColors(0, kSystemColorCount, restored);
    for (int i = 0; i < kSystemColorCount; ++i)
        EXPECT_EQ(restored[i], before[i]) << i;
}

TEST_F(RenderTest, ShallowScreensLoseColour) {
    int updates = 0;
    static int* counter = nullptr;
    counter = &updates;
    setMenuStateUpdater([] { ++*counter; });
    gDisplayOptions.skyBackground = kSkyColor;
    RenderChart();
    ShowChart();
    EXPECT_EQ(updates, 0) << "same depth: just copied";
    SetFakeScreenDepth(1);
    ShowChart();
    EXPECT_EQ(updates, 1) << "a new depth re-renders and updates the menus";
    EXPECT_FALSE(gDisplayOptions.useColor);
    EXPECT_EQ(gDisplayOptions.skyBackground, kSkyBlack);
}

} // namespace
