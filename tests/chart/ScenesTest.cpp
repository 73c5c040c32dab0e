// Fixed scenes of the real sky drawn offscreen through DrawChart, over a
// copy of the default database the build made: bright stars where the
// projection puts them and in the colour of their B-V index, the legend band,
// the sky colour by the Sun's altitude, the horizon mask, the whole sky in
// the cylindrical projections, and zooming about a star. Pixel facts only.

#include "ChartTestSupport.h"

#include "chart/Overlays.h"
#include "data/DatabaseFiles.h"
#include "data/Search.h"

#include <filesystem>

namespace {

using namespace chart_test;
namespace fs = std::filesystem;

// 1999 December 31, 21h UT: a winter night at Greenwich, 51.5 degrees north.
constexpr double kNight = 2451544.375;
// 2000 March 20, 0h UT: the equinox, from which the twilight instants are
// searched over one day.
constexpr double kEquinox = 2451623.5;
constexpr double kLatitude = 51.5 * kDegree;
constexpr int kViewedFromString = 2048;

class ScenesTest : public testing::Test {
protected:
    // One copy of the database for the suite: the scenes only read it.
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/norvane-scenes-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
        std::error_code error;
        fs::copy(fs::path(NORVANE_PROGRAM_DIR) / "Database", fs::path(scratch_) / "Database",
                 fs::copy_options::recursive, error);
        ASSERT_FALSE(error) << error.message();
    }
    static void TearDownTestSuite() {
        std::error_code error;
        fs::remove_all(scratch_, error);
    }

    void SetUp() override {
        SetProgramDirectory(scratch_);
        SetMessageResponder([this](const MessageRecord& message) {
            messages_.push_back(message.text);
            return static_cast<int>(AnswerOK);
        });
        ASSERT_TRUE(initObjectStore(kPlentyOfMemory));
        ASSERT_TRUE(openDefaultDatabase());
        ASSERT_GT(fileCount(), 10);
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        Scene(kNight);
    }
    void TearDown() override {
        picture_.reset();
        setObjectStoreDefaults();
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        EXPECT_TRUE(messages_.empty()) << messages_.front();
    }

    // The program's computation defaults at Greenwich, 51.5 north, at jd,
    // with the planets (and so the Earth and the Sun's altitude) from their
    // orbital elements.
    static void Scene(double jd) {
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
        gComputationOptions.planetComputation = kPlanetsElements;
        gViewer.longitude = 0.0;
        gViewer.latitude = kLatitude;
        gViewer.julianDate = jd;
        RecomputeAndRedraw(true);
    }

    void Draw(int width, int height) {
        picture_.reset();
        picture_ = std::make_unique<Canvas>(width, height);
        DrawChart(Rect{0, 0, width, height});
        picture_->Finish();
    }
    RGBColor At(int x, int y) const { return picture_->At(x, y); }
    bool Inside(int x, int y) const {
        return x >= 0 && y >= 0 && x < picture_->width && y < picture_->height;
    }
    // Pixels that are not black in the box [x0, x1) x [y0, y1).
    int LitPixels(int x0, int y0, int x1, int y1) const {
        return picture_->Count([](RGBColor c) { return c != kBlack; }, x0, y0, x1, y1);
    }

    // A star of the database by name, computed for the current instant.
    static CatalogObject* Star(const char* name) {
        ObjectID id = 0;
        if (findObjectByName(name, false, true, id) != kStatusSuccess) return nullptr;
        CatalogObject* star = AsCatalog(getObject(id));
        if (star != nullptr) EnsureComputed(star);
        return star;
    }
    // Its place in one of the chart's coordinate systems (radians).
    static void Coordinates(const CatalogObject* star, int system, double* lon, double* lat) {
        Vector3 v;
        for (int i = 0; i < 3; ++i)
            v[i] = star->apparentDirection[i] / kUnitVectorScale;
        TransformVector(*FrameMatrix(gInstant.frames, system), v);
        double r = 0.0;
        RectangularToSpherical(v, lon, lat, &r);
    }
    void CenterNear(const CatalogObject* star, double dLon, double dLat) {
        double lon = 0.0, lat = 0.0;
        Coordinates(star, kEquatorial, &lon, &lat);
        gChartView.coordinateSystem = kEquatorial;
        gChartView.centerLongitude = lon + dLon;
        gChartView.centerLatitude = lat + dLat;
    }

    static std::string scratch_;
    std::vector<std::string> messages_;
    std::unique_ptr<Canvas> picture_;
};

std::string ScenesTest::scratch_;

TEST_F(ScenesTest, BrightStarsAreDrawnWhereTheyProjectInTheirColours) {
    gDisplayOptions.showHorizonMask = false;
    gChartView.projection = kPlanar;
    gChartView.fieldWidth = 20.0 * kDegree;
    // Vega B-V +0.00 (white), Arcturus +1.23 (yellow-orange), Betelgeuse
    // +1.85 (orange), Rigel -0.03 (a touch blue).
    for (const char* name : {"Vega", "Arcturus", "Betelgeuse", "Rigel"}) {
        SCOPED_TRACE(name);
        CatalogObject* star = Star(name);
        ASSERT_NE(star, nullptr);
        // Off the centre, so that the place comes from the projection.
        CenterNear(star, 3.0 * kDegree, -2.0 * kDegree);
        Draw(400, 300);
        ASSERT_NE(getObject(star->id), nullptr) << "still in memory";
        ProjectedPoint p = ProjectDirection(star->apparentDirection);
        ASSERT_TRUE(p.visible);
        ASSERT_TRUE(Inside(p.x, p.y)) << p.x << ", " << p.y;
        EXPECT_GT(std::abs(p.x - gFrame.centerX) + std::abs(p.y - gFrame.centerY), 20);
        const RGBColor expected = StarColor(star->colorIndex);
        EXPECT_EQ(At(p.x, p.y), expected) << "B-V " << star->colorIndex << ": "
                                          << Show(At(p.x, p.y)) << " for " << Show(expected);
        EXPECT_FALSE(At(p.x, p.y) == SkyFillColor());
        // A magnitude-0 star is the largest disc, a few pixels across, not more.
        EXPECT_EQ(StarSize(star->magnitude), 6);
        int ring = 0;
        for (int d = -9; d <= 9; ++d)
            for (auto [x, y] : {std::pair{p.x + d, p.y - 9}, std::pair{p.x + d, p.y + 9},
                                std::pair{p.x - 9, p.y + d}, std::pair{p.x + 9, p.y + d}})
                if (At(x, y) == expected) ++ring;
        EXPECT_LT(ring, 4) << "the disc stays within a few pixels";
    }
    // The colours do differ: the test above is not one of white on black.
    EXPECT_NE(StarColor(Star("Arcturus")->colorIndex), StarColor(Star("Vega")->colorIndex));
}

TEST_F(ScenesTest, LegendBandAtTheFootWithItsFirstText) {
    const int width = 700, height = 400;
    Draw(width, height);
    const int band = LegendHeight();
    const int top = height - band;
    ASSERT_GT(band, 20);
    EXPECT_EQ(gFrame.bottom, top) << "the chart stops where the band begins";
    EXPECT_EQ(gFrame.centerY, top / 2);
    const RGBColor foreground = ForegroundColor();
    EXPECT_EQ(At(width / 2, top), foreground) << "the band's top edge";
    EXPECT_EQ(At(0, top + band / 2), foreground) << "left edge";
    EXPECT_EQ(At(width - 1, top + band / 2), foreground) << "right edge";
    EXPECT_EQ(At(width / 2, height - 1), foreground) << "bottom edge";

    // The first row begins with "Viewed from:" in bold: the same pixels as
    // that text drawn alone on the band's colour.
    const std::string text = LoadString(kViewedFromString);
    ASSERT_FALSE(text.empty());
    PictureRef reference = CreatePicture(width, height);
    BeginDrawing(SelectPicture(reference));
    SetAntialiasing(true);
    SetStandardColor(kBackground, 0, true);
    Rectangle(0, 0, width, height);
    SetStandardColor(kForeground, 1, true);
    SelectChartFont(FontBold);
    int textWidth = 0, textHeight = 0;
    TextExtent(text, &textWidth, &textHeight);
    Text(3, top + 1, text);
    EndDrawing();
    int lineHeight = (band - 1) / 4;
    int differing = 0, ink = 0;
    for (int y = top + 1; y < top + 1 + lineHeight; ++y)
        for (int x = 3; x < 3 + textWidth; ++x) {
            RGBColor expected = PicturePixel(reference, x, y);
            if (!(expected == BackgroundColor())) ++ink;
            if (!(At(x, y) == expected)) ++differing;
        }
    DeletePicture(reference);
    EXPECT_GT(ink, 20) << "the reference has text";
    EXPECT_EQ(differing, 0) << "row 0 shows \"" << text << "\"";

    // Without the legend the chart takes the whole height.
    gDisplayOptions.showChartLegend = false;
    Draw(width, height);
    EXPECT_EQ(gFrame.bottom, height);
}

TEST_F(ScenesTest, SkyColourFollowsTheSunsAltitude) {
    gDisplayOptions.skyBackground = kSkyColor; // --sky Color
    // Instants of the equinox day found by the Sun's altitude: well up,
    // within civil twilight, and deep night.
    struct Wanted {
        double lowest, highest;
        int slot;
        double jd = 0.0;
    };
    Wanted wanted[] = {{10.0 * kDegree, 90.0 * kDegree, kDaytimeSkyColor},
                       {-5.0 * kDegree, -1.5 * kDegree, kCivilTwilightColor},
                       {-90.0 * kDegree, -25.0 * kDegree, kNightSkyColor}};
    for (int step = 0; step < 24 * 12; ++step) {
        double jd = kEquinox + step / (24.0 * 12.0);
        gViewer.julianDate = jd;
        PrepareComputation();
        for (Wanted& w : wanted)
            if (w.jd == 0.0 && gInstant.sunAltitude > w.lowest && gInstant.sunAltitude < w.highest)
                w.jd = jd;
    }
    for (const Wanted& w : wanted) {
        SCOPED_TRACE("slot " + std::to_string(w.slot));
        ASSERT_NE(w.jd, 0.0) << "no such instant that day";
        Scene(w.jd);
        EXPECT_EQ(SkyColorSlot(), w.slot) << gInstant.sunAltitude / kDegree << " degrees";
        Draw(300, 220);
        const RGBColor sky = gDisplayOptions.colors[w.slot];
        EXPECT_EQ(At(3, 3), sky) << Show(At(3, 3));
        // The corner block is sky but where a line or a star crosses it.
        int skyPixels = 0;
        for (int y = 1; y < 21; ++y)
            for (int x = 1; x < 21; ++x)
                if (At(x, y) == sky) ++skyPixels;
        EXPECT_GT(skyPixels, 300);
    }
    // The three are told apart, and only the Color background shows them.
    EXPECT_NE(gDisplayOptions.colors[kDaytimeSkyColor], gDisplayOptions.colors[kNightSkyColor]);
    EXPECT_NE(gDisplayOptions.colors[kCivilTwilightColor], gDisplayOptions.colors[kNightSkyColor]);
    Scene(wanted[0].jd);
    gDisplayOptions.skyBackground = kSkyBlack;
    Draw(300, 220);
    EXPECT_EQ(At(3, 3), kBlack) << "a black sky by day";
    gDisplayOptions.skyBackground = kSkyColor;
    gDisplayOptions.useColor = false;
    Draw(300, 220);
    EXPECT_EQ(At(3, 3), kBlack) << "no colours: the background colour";
}

TEST_F(ScenesTest, HorizonMaskHidesAStarBelowTheHorizon) {
    // Canopus (Dec. -52.7) never rises at 51.5 degrees north.
    CatalogObject* canopus = Star("Canopus");
    ASSERT_NE(canopus, nullptr);
    CenterNear(canopus, 2.0 * kDegree, 1.0 * kDegree);
    gChartView.projection = kPlanar;
    gChartView.fieldWidth = 20.0 * kDegree;
    gDisplayOptions.showHorizonMask = false;
    Draw(300, 220);
    ProjectedPoint p = ProjectDirection(canopus->apparentDirection);
    ASSERT_TRUE(p.visible);
    ASSERT_TRUE(Inside(p.x, p.y));
    EXPECT_EQ(At(p.x, p.y), StarColor(canopus->colorIndex)) << "drawn with the mask off";
    EXPECT_GT(LastDrawCounts().stars, 5);
    EXPECT_LT(AltitudeSine(canopus->apparentDirection), gFrame.horizonSineFixed30);

    gDisplayOptions.showHorizonMask = true;
    Draw(300, 220);
    EXPECT_EQ(At(p.x, p.y), SkyFillColor()) << "not drawn with the mask on: " << Show(At(p.x, p.y));
    EXPECT_EQ(LastDrawCounts().stars, 0) << "the whole field is below the horizon";
    EXPECT_EQ(LastDrawCounts().deepSky, 0);
}

TEST_F(ScenesTest, WholeSkyCylindricalChartsDrawStarsOnBothHalves) {
    DisplayOptions& o = gDisplayOptions;
    o.showHorizonMask = false;
    o.showConstellations = false;
    o.showDeepSkyObjects = false;
    o.showPlanets = false;
    o.showChartLegend = false;
    gChartView.coordinateSystem = kEquatorial;
    gChartView.centerLongitude = 0.0;
    gChartView.centerLatitude = 0.0;
    gChartView.fieldWidth = 360.0 * kDegree;
    CatalogObject* sirius = Star("Sirius"); // R.A. 6h 45m: east of 0h, on the left
    CatalogObject* vega = Star("Vega");     // R.A. 18h 37m: west, on the right
    ASSERT_NE(sirius, nullptr);
    ASSERT_NE(vega, nullptr);
    const int width = 480, height = 260;
    for (int projection : {kMercator, kMollweide}) {
        SCOPED_TRACE(projection == kMercator ? "Mercator" : "Mollweide");
        gChartView.projection = static_cast<std::int16_t>(projection);
        Draw(width, height);
        EXPECT_GT(LastDrawCounts().stars, 2000);
        const int left = LitPixels(2, 2, width / 2 - 2, height - 2);
        const int right = LitPixels(width / 2 + 2, 2, width - 2, height - 2);
        const int upper = LitPixels(2, 2, width - 2, height / 2 - 2);
        const int lower = LitPixels(2, height / 2 + 2, width - 2, height - 2);
        EXPECT_GT(left, 500);
        EXPECT_GT(right, 500);
        EXPECT_GT(upper, 500);
        EXPECT_GT(lower, 500);
        EXPECT_GT(left * 2, right) << left << " against " << right;
        EXPECT_GT(right * 2, left) << left << " against " << right;

        ProjectedPoint s = ProjectDirection(sirius->apparentDirection);
        ProjectedPoint v = ProjectDirection(vega->apparentDirection);
        ASSERT_TRUE(s.visible && v.visible);
        EXPECT_LT(s.x, width / 2);
        EXPECT_GT(v.x, width / 2);
        EXPECT_GT(s.y, gFrame.centerY) << "south of the equator, below the middle";
        EXPECT_LT(v.y, gFrame.centerY);
        ASSERT_TRUE(Inside(s.x, s.y) && Inside(v.x, v.y));
        EXPECT_EQ(At(s.x, s.y), StarColor(sirius->colorIndex));
        EXPECT_EQ(At(v.x, v.y), StarColor(vega->colorIndex));
    }
}

TEST_F(ScenesTest, ZoomingKeepsTheCentreStarOnTheCentrePixel) {
    gDisplayOptions.showHorizonMask = false;
    CatalogObject* arcturus = Star("Arcturus");
    ASSERT_NE(arcturus, nullptr);
    CenterNear(arcturus, 0.0, 0.0);
    gChartView.projection = kPlanar;
    gChartView.fieldWidth = 40.0 * kDegree;
    const RGBColor color = StarColor(arcturus->colorIndex);
    // Down to the narrowest field, one arcsecond, past the scale where
    // projection turns to double precision.
    bool highMagnification = false;
    for (int halving = 0; halving <= 18; ++halving) {
        SCOPED_TRACE("field " + std::to_string(gChartView.fieldWidth / kDegree) + " degrees");
        if (halving > 0) SetFieldWidth(gChartView.fieldWidth / 2.0);
        EXPECT_EQ(gChartView.projection, kPlanar);
        Draw(320, 240);
        highMagnification = highMagnification || gFrame.scale >= kHighMagnificationScale;
        ProjectedPoint p = ProjectDirection(arcturus->apparentDirection);
        ASSERT_TRUE(p.visible);
        EXPECT_EQ(p.x, gFrame.centerX);
        EXPECT_EQ(p.y, gFrame.centerY);
        EXPECT_EQ(At(gFrame.centerX, gFrame.centerY), color)
            << Show(At(gFrame.centerX, gFrame.centerY));
    }
    EXPECT_TRUE(highMagnification);
    EXPECT_EQ(gChartView.fieldWidth, kMinimumFieldWidth) << "the last halving stops at 1\"";
}

} // namespace
