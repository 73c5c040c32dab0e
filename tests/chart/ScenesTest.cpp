// Fixed scenes of the real sky drawn offscreen through DrawChart, over a
// copy of the default database the build made: bright stars where the
// projection puts them and in the colour of their B-V index, the horizon
// mask, the whole sky in a cylindrical projection, and zooming about a star.

#include "ChartTestSupport.h"

#include "chart/Overlays.h"
#include "data/DatabaseFiles.h"
#include "data/Search.h"

#include <filesystem>

namespace {

using namespace chart_test;
namespace fs = std::filesystem;

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
        TearDownOptions();
        gComputationOptions.planetComputation = kPlanetsElements;
        gViewer.longitude = 0.0;
        gViewer.latitude = 51.5 * kDegree;
        gViewer.julianDate = 2451544.375;
        RecomputeAndRedraw(true);
        gDisplayOptions.showHorizonMask = gDisplayOptions.showChartLegend = false;
    }
    void TearDown() override {
        picture_.reset();
        setObjectStoreDefaults();
        TearDownOptions();
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        EXPECT_TRUE(messages_.empty()) << messages_.front();
    }
    static void TearDownOptions() {
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
    }

    // The star's pixel in a fresh drawing, and whether it is inside the picture.
    bool Drawn(const CatalogObject* star, ProjectedPoint& p, int width = 320, int height = 240) {
        picture_.reset();
        picture_ = DrawnChart(width, height);
        p = ProjectDirection(star->apparentDirection);
        return p.visible && picture_->Inside(p.x, p.y);
    }
    RGBColor At(ProjectedPoint p) const { return picture_->At(p.x, p.y); }

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

TEST_F(ScenesTest, BrightStarIsDrawnWhereItProjectsInItsColour) {
    // Betelgeuse, B-V +1.85 (orange), off the centre so that the place comes
    // from the projection.
    CatalogObject* star = Star("Betelgeuse");
    ASSERT_NE(star, nullptr);
    CenterNear(star, 3.0 * kDegree, -2.0 * kDegree, 20.0 * kDegree);
    ProjectedPoint p;
    ASSERT_TRUE(Drawn(star, p, 400, 300));
    EXPECT_GT(std::abs(p.x - gFrame.centerX) + std::abs(p.y - gFrame.centerY), 20);
    const RGBColor expected = StarColor(star->colorIndex);
    EXPECT_NE(expected, kWhite);
    EXPECT_EQ(At(p), expected) << Show(At(p));
    // A magnitude-0 star is the largest disc, a few pixels across, not more.
    EXPECT_LT(picture_->CountOf(expected, p.x - 9, p.y - 9, p.x + 10, p.y + 10) -
                  picture_->CountOf(expected, p.x - 8, p.y - 8, p.x + 9, p.y + 9),
              4);
}

TEST_F(ScenesTest, HorizonMaskHidesAStarBelowTheHorizon) {
    // Canopus (Dec. -52.7) never rises at 51.5 degrees north.
    CatalogObject* canopus = Star("Canopus");
    ASSERT_NE(canopus, nullptr);
    CenterNear(canopus, 2.0 * kDegree, 1.0 * kDegree, 20.0 * kDegree);
    ProjectedPoint p;
    ASSERT_TRUE(Drawn(canopus, p));
    EXPECT_EQ(At(p), StarColor(canopus->colorIndex)) << "drawn with the mask off";
    EXPECT_GT(LastDrawCounts().stars, 5);
    gDisplayOptions.showHorizonMask = true;
    Drawn(canopus, p);
    EXPECT_EQ(At(p), SkyFillColor()) << "not drawn with the mask on: " << Show(At(p));
    EXPECT_EQ(LastDrawCounts().stars, 0) << "the whole field is below the horizon";
}

TEST_F(ScenesTest, WholeSkyMollweideDrawsStarsOnBothHalves) {
    gDisplayOptions.showConstellations = gDisplayOptions.showDeepSkyObjects = false;
    gChartView.coordinateSystem = kEquatorial;
    gChartView.projection = kMollweide;
    gChartView.centerLongitude = gChartView.centerLatitude = 0.0;
    gChartView.fieldWidth = 360.0 * kDegree;
    CatalogObject* sirius = Star("Sirius"); // R.A. 6h 45m: east of 0h, on the left, south
    CatalogObject* vega = Star("Vega");     // R.A. 18h 37m: west, on the right, north
    ASSERT_TRUE(sirius != nullptr && vega != nullptr);
    ProjectedPoint s, v;
    ASSERT_TRUE(Drawn(vega, v, 480, 260));
    EXPECT_GT(LastDrawCounts().stars, 2000);
    const int left = picture_->Count(NotBlack, 2, 2, 238, 258);
    const int right = picture_->Count(NotBlack, 242, 2, 478, 258);
    EXPECT_GT(left, 500);
    EXPECT_GT(left * 2, right) << left << " against " << right;
    EXPECT_GT(right * 2, left) << left << " against " << right;
    s = ProjectDirection(sirius->apparentDirection);
    EXPECT_TRUE(s.x < 240 && s.y > gFrame.centerY) << s.x << ", " << s.y;
    EXPECT_TRUE(v.x > 240 && v.y < gFrame.centerY) << v.x << ", " << v.y;
    EXPECT_EQ(At(s), StarColor(sirius->colorIndex));
}

TEST_F(ScenesTest, ZoomingKeepsTheCentreStarOnTheCentrePixel) {
    CatalogObject* arcturus = Star("Arcturus");
    ASSERT_NE(arcturus, nullptr);
    CenterNear(arcturus, 0.0, 0.0, 40.0 * kDegree);
    // Down to the narrowest field, one arcsecond, past the scale where
    // projection turns to double precision.
    bool highMagnification = false;
    for (int halving = 0; halving <= 18; ++halving) {
        SCOPED_TRACE("field " + std::to_string(gChartView.fieldWidth / kDegree) + " degrees");
        if (halving > 0) SetFieldWidth(gChartView.fieldWidth / 2.0);
        ProjectedPoint p;
        ASSERT_TRUE(Drawn(arcturus, p));
        highMagnification = highMagnification || gFrame.scale >= kHighMagnificationScale;
        EXPECT_TRUE(p.x == gFrame.centerX && p.y == gFrame.centerY) << p.x << ", " << p.y;
        EXPECT_EQ(At(p), StarColor(arcturus->colorIndex)) << Show(At(p));
    }
    EXPECT_TRUE(highMagnification);
    EXPECT_EQ(gChartView.fieldWidth, kMinimumFieldWidth) << "the last halving stops at 1\"";
}

} // namespace
