// Fixed scenes of the real sky drawn offscreen through DrawChart, over a
// copy of the default database the build made: bright stars where the
// projection puts them and in the colour of their B-V index, the legend band,
// the horizon mask, the whole sky in the cylindrical projections, and zooming
// about a star. Pixel facts only.

#include "ChartTestSupport.h"

#include "chart/Overlays.h"
#include "data/DatabaseFiles.h"
#include "data/Search.h"

#include <filesystem>

namespace {

using namespace chart_test;
namespace fs = std::filesystem;

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

    // 1999 December 31, 21h UT, a winter night at Greenwich, 51.5 degrees
    // north, with the planets from their orbital elements.
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
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
        gComputationOptions.planetComputation = kPlanetsElements;
        gViewer.longitude = 0.0;
        gViewer.latitude = 51.5 * kDegree;
        gViewer.julianDate = 2451544.375;
        RecomputeAndRedraw(true);
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

    void Draw(int width, int height) {
        picture_.reset();
        picture_ = DrawnChart(width, height);
    }
    RGBColor At(int x, int y) const { return picture_->At(x, y); }
    // Where a star is drawn, in the picture; false when it is not.
    bool Place(const CatalogObject* star, ProjectedPoint& p) const {
        p = ProjectDirection(star->apparentDirection);
        return p.visible && picture_->Inside(p.x, p.y);
    }

    // A star of the database by name, computed for the current instant.
    static CatalogObject* Star(const char* name) {
        ObjectID id = 0;
        if (findObjectByName(name, false, true, id) != kStatusSuccess) return nullptr;
        CatalogObject* star = AsCatalog(getObject(id));
        if (star != nullptr) EnsureComputed(star);
        return star;
    }
    // A Planar equatorial chart centred that far from the star.
    static void CenterNear(const CatalogObject* star, double dLon, double dLat, double width) {
        Vector3 v;
        for (int i = 0; i < 3; ++i)
            v[i] = star->apparentDirection[i] / kUnitVectorScale;
        TransformVector(*FrameMatrix(gInstant.frames, kEquatorial), v);
        double lon = 0.0, lat = 0.0, r = 0.0;
        RectangularToSpherical(v, &lon, &lat, &r);
        gChartView.coordinateSystem = kEquatorial;
        gChartView.projection = kPlanar;
        gChartView.fieldWidth = width;
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
    // Vega B-V +0.00 (white), Betelgeuse +1.85 (orange).
    for (const char* name : {"Vega", "Betelgeuse"}) {
        SCOPED_TRACE(name);
        CatalogObject* star = Star(name);
        ASSERT_NE(star, nullptr);
        // Off the centre, so that the place comes from the projection.
        CenterNear(star, 3.0 * kDegree, -2.0 * kDegree, 20.0 * kDegree);
        Draw(400, 300);
        ProjectedPoint p;
        ASSERT_TRUE(Place(star, p)) << p.x << ", " << p.y;
        EXPECT_GT(std::abs(p.x - gFrame.centerX) + std::abs(p.y - gFrame.centerY), 20);
        const RGBColor expected = StarColor(star->colorIndex);
        EXPECT_EQ(At(p.x, p.y), expected) << Show(At(p.x, p.y)) << " for " << Show(expected);
        // A magnitude-0 star is the largest disc, a few pixels across, not more.
        EXPECT_EQ(StarSize(star->magnitude), 6);
        EXPECT_LT(picture_->CountOf(expected, p.x - 9, p.y - 9, p.x + 10, p.y + 10) -
                      picture_->CountOf(expected, p.x - 8, p.y - 8, p.x + 9, p.y + 9),
                  4)
            << "the disc stays within a few pixels";
    }
    EXPECT_NE(StarColor(Star("Betelgeuse")->colorIndex), StarColor(Star("Vega")->colorIndex));
}

TEST_F(ScenesTest, LegendBandAtTheFootWithItsTexts) {
    const int width = 700, height = 400;
    Draw(width, height);
    int w = 0, lineHeight = 0;
    {
        Canvas measure(10, 10);
        SelectChartFont();
        TextExtent("A", &w, &lineHeight);
    }
    const int band = LegendHeight(), top = height - band;
    EXPECT_EQ(band, 4 * lineHeight + 1);
    EXPECT_EQ(gFrame.bottom, top) << "the chart stops where the band begins";
    EXPECT_EQ(gFrame.centerY, top / 2);
    const RGBColor foreground = ForegroundColor();
    for (Point edge : {Point{width / 2, top}, Point{0, top + band / 2},
                       Point{width - 1, top + band / 2}, Point{width / 2, height - 1}})
        EXPECT_EQ(At(edge.x, edge.y), foreground)
            << "the band's edge at " << edge.x << ", " << edge.y;
    EXPECT_EQ(At(width - 5, top + 2), BackgroundColor()) << "the band is filled";
    for (int row = 1; row < 4; ++row)
        EXPECT_GT(picture_->CountOf(foreground, 3, top + 1 + row * lineHeight, 200,
                                    top + 1 + (row + 1) * lineHeight),
                  5)
            << "text in row " << row;

    // The first row begins with "Viewed from:" in bold: the same pixels as
    // that text drawn alone on the band's colour.
    const std::string text = LoadString(kViewedFromString);
    ASSERT_FALSE(text.empty());
    Canvas reference(width, height);
    SetAntialiasing(true);
    SetStandardColor(kBackground, 0, true);
    Rectangle(0, 0, width, height);
    SetStandardColor(kForeground, 1, true);
    SelectChartFont(FontBold);
    int textWidth = 0;
    TextExtent(text, &textWidth, nullptr);
    Text(3, top + 1, text);
    int differing = 0;
    for (int y = top + 1; y < top + 1 + (band - 1) / 4; ++y)
        for (int x = 3; x < 3 + textWidth; ++x)
            if (At(x, y) != reference.At(x, y)) ++differing;
    EXPECT_GT(reference.Count([](RGBColor c) { return c != BackgroundColor(); }, 3, top + 1,
                              3 + textWidth, top + lineHeight),
              20)
        << "the reference has text";
    EXPECT_EQ(differing, 0) << "row 0 shows \"" << text << "\"";

    gDisplayOptions.showChartLegend = false;
    Draw(width, height);
    EXPECT_EQ(gFrame.bottom, height) << "without the legend the chart takes the whole height";
}

TEST_F(ScenesTest, HorizonMaskHidesAStarBelowTheHorizon) {
    // Canopus (Dec. -52.7) never rises at 51.5 degrees north.
    CatalogObject* canopus = Star("Canopus");
    ASSERT_NE(canopus, nullptr);
    CenterNear(canopus, 2.0 * kDegree, 1.0 * kDegree, 20.0 * kDegree);
    gDisplayOptions.showHorizonMask = false;
    Draw(300, 220);
    ProjectedPoint p;
    ASSERT_TRUE(Place(canopus, p));
    EXPECT_EQ(At(p.x, p.y), StarColor(canopus->colorIndex)) << "drawn with the mask off";
    EXPECT_GT(LastDrawCounts().stars, 5);

    gDisplayOptions.showHorizonMask = true;
    Draw(300, 220);
    EXPECT_EQ(At(p.x, p.y), SkyFillColor()) << "not drawn with the mask on: " << Show(At(p.x, p.y));
    EXPECT_EQ(LastDrawCounts().stars, 0) << "the whole field is below the horizon";
    EXPECT_EQ(LastDrawCounts().deepSky, 0);
}

TEST_F(ScenesTest, WholeSkyCylindricalChartsDrawStarsOnBothHalves) {
    DisplayOptions& o = gDisplayOptions;
    o.showHorizonMask = o.showConstellations = o.showDeepSkyObjects = o.showPlanets = false;
    o.showChartLegend = false;
    gChartView.coordinateSystem = kEquatorial;
    gChartView.centerLongitude = 0.0;
    gChartView.centerLatitude = 0.0;
    gChartView.fieldWidth = 360.0 * kDegree;
    CatalogObject* sirius = Star("Sirius"); // R.A. 6h 45m: east of 0h, on the left, south
    CatalogObject* vega = Star("Vega");     // R.A. 18h 37m: west, on the right, north
    ASSERT_TRUE(sirius != nullptr && vega != nullptr);
    const int width = 480, height = 260;
    for (int projection : {kMercator, kMollweide}) {
        SCOPED_TRACE(projection == kMercator ? "Mercator" : "Mollweide");
        gChartView.projection = static_cast<std::int16_t>(projection);
        Draw(width, height);
        EXPECT_GT(LastDrawCounts().stars, 2000);
        const int left = picture_->Count(NotBlack, 2, 2, width / 2 - 2, height - 2);
        const int right = picture_->Count(NotBlack, width / 2 + 2, 2, width - 2, height - 2);
        EXPECT_GT(picture_->Count(NotBlack, 2, 2, width - 2, height / 2 - 2), 500);
        EXPECT_GT(picture_->Count(NotBlack, 2, height / 2 + 2, width - 2, height - 2), 500);
        EXPECT_GT(left, 500);
        EXPECT_GT(left * 2, right) << left << " against " << right;
        EXPECT_GT(right * 2, left) << left << " against " << right;

        ProjectedPoint s, v;
        ASSERT_TRUE(Place(sirius, s) && Place(vega, v));
        EXPECT_LT(s.x, width / 2);
        EXPECT_GT(v.x, width / 2);
        EXPECT_GT(s.y, gFrame.centerY);
        EXPECT_LT(v.y, gFrame.centerY);
        EXPECT_EQ(At(s.x, s.y), StarColor(sirius->colorIndex));
        EXPECT_EQ(At(v.x, v.y), StarColor(vega->colorIndex));
    }
}

TEST_F(ScenesTest, ZoomingKeepsTheCentreStarOnTheCentrePixel) {
    gDisplayOptions.showHorizonMask = false;
    CatalogObject* arcturus = Star("Arcturus");
    ASSERT_NE(arcturus, nullptr);
    CenterNear(arcturus, 0.0, 0.0, 40.0 * kDegree);
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
        EXPECT_TRUE(p.visible && p.x == gFrame.centerX && p.y == gFrame.centerY)
            << p.x << ", " << p.y;
        EXPECT_EQ(At(p.x, p.y), StarColor(arcturus->colorIndex)) << Show(At(p.x, p.y));
    }
    EXPECT_TRUE(highMagnification);
    EXPECT_EQ(gChartView.fieldWidth, kMinimumFieldWidth) << "the last halving stops at 1\"";
}

} // namespace
