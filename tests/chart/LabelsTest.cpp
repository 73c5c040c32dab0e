// Label placement on whole charts: in a crowd no two labels share a pixel and
// none leaves the chart, the brightest object and the compass points keep
// their places, a circle is labelled once where it crosses the chart, and a
// zoomed view still names the constellations it shows.

#include "chart/Labels.h"

#include "ChartTestSupport.h"

namespace {

using namespace chart_test;

class LabelsTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        DisplayOptions& o = gDisplayOptions;
        o.showObjectLabels = o.showGridLines = o.showEquator = o.showEcliptic = true;
        o.faintestStarLabelMagnitude = 900;
        gComputationOptions.precession = false;
    }
    static void View(int system, int projection, double lon, double lat, double width) {
        gChartView.coordinateSystem = static_cast<std::int16_t>(system);
        gChartView.projection = static_cast<std::int16_t>(projection);
        gChartView.centerLongitude = lon;
        gChartView.centerLatitude = lat;
        gChartView.fieldWidth = width;
        PrepareComputation();
        PrepareChartFrame(Rect{0, 0, 400, 300}, 0);
    }
    static const WrittenLabel* Find(const char* text, int* count = nullptr) {
        const WrittenLabel* found = nullptr;
        for (const WrittenLabel& label : WrittenLabels()) {
            if (label.tag != LabelTag(text)) continue;
            found = &label;
            if (count != nullptr) ++*count;
        }
        return found;
    }
    static Point At(double ra, double dec) {
        std::int32_t v[3];
        Direction(ra, dec, v);
        const ProjectedPoint p = ProjectDirection(v);
        return {p.x, p.y};
    }
};

TEST_F(LabelsTest, CrowdedChartsKeepLabelsApartAndInside) {
    const struct {
        int system, projection;
        double lon, lat, width;
        std::vector<const char*> once;
    } cases[] = {{kEquatorial, kPlanar, 0.0, 0.0, 40.0, {"Equator", "Ecliptic", "+00\xB0"}},
                 {kHorizon, kLambert, 180.0, 45.0, 180.0, {"E", "S", "W", "Horizon"}},
                 {kEquatorial, kMercator, 90.0, 0.0, 360.0, {}}};
    const ObjectID file = attachFile(newFile("Crowd.nvd"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.projection);
        View(c.system, c.projection, c.lon * kDegree, c.lat * kDegree, c.width * kDegree);
        // Six by six stars a third of a degree apart, off the circles through
        // the chart's centre, the brightest queued last.
        const std::string brightest = "Brightest " + std::to_string(c.projection);
        Vector3 centre;
        ASSERT_TRUE(UnprojectPoint(gFrame.centerX - 50, gFrame.centerY + 60, centre));
        const double ra = std::atan2(centre[1], centre[0]), dec = std::asin(centre[2]);
        for (int i = 0; i < 36; ++i) {
            CatalogObject* star = NewCatalogObject(kTypeSingleStar);
            Direction(ra + (i % 6) * kDegree / 3, dec + (i / 6) * kDegree / 3, star->position);
            star->catalogMagnitude = static_cast<std::int16_t>(i == 35 ? -100 : 400 + i);
            star->name = CopyText((i == 35 ? brightest : "Star " + std::to_string(i)).c_str());
            ASSERT_NE(addObject(star, file), 0);
        }
        Draw(400, 300);
        const std::vector<WrittenLabel>& labels = WrittenLabels();
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const Rect& a = labels[i].box;
            EXPECT_TRUE(a.left > gFrame.left && a.top > gFrame.top && a.right < gFrame.right &&
                        a.bottom < gFrame.bottom)
                << "label " << i << " leaves the chart";
            for (std::size_t j = 0; j < i; ++j) {
                const Rect& b = labels[j].box;
                EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom &&
                             b.top < a.bottom)
                    << "labels " << j << " and " << i;
            }
        }
        const Point p = At(ra + 5 * kDegree / 3, dec + 5 * kDegree / 3);
        const WrittenLabel* label = Find(brightest.c_str());
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(std::tuple(label->box.left, label->box.bottom), std::tuple(p.x + 3, p.y - 3))
            << "above and right of it, as the label rule puts it";
        for (const char* text : c.once) {
            int count = 0;
            Find(text, &count);
            EXPECT_EQ(count, 1) << text;
        }
    }
}

TEST_F(LabelsTest, AZoomedViewNamesTheConstellationsItShows) {
    View(kEquatorial, kPlanar, 1.0, 0.2, 10.0 * kDegree);
    // Both named lines start off the chart: one figure goes on to a vertex on
    // it, the other only crosses the chart (named at the middle of what shows).
    const std::pair<std::array<double, 4>, const char*> lines[] = {
        {{1.5, 0.2, 1.02, 0.21}, "Testudo"},
        {{1.02, 0.21, 0.99, 0.19}, nullptr},
        {{0.9, 0.15, 1.1, 0.15}, "Pons"}};
    for (const auto& [ends, name] : lines) {
        LineObject* line = NewLineObject(kTypeFigureLine);
        Direction(ends[0], ends[1], line->endpointPositions[0]);
        Direction(ends[2], ends[3], line->endpointPositions[1]);
        if (name != nullptr) line->label = CopyText(name);
        ASSERT_NE(addObject(line, 0), 0);
    }
    Draw(400, 300);
    const std::tuple<const char*, double, double> names[] = {{"Testudo", 1.02, 0.21},
                                                             {"Pons", 1.0, 0.15}};
    for (auto [name, ra, dec] : names) {
        const WrittenLabel* label = Find(name);
        ASSERT_NE(label, nullptr) << name;
        const Point p = At(ra, dec);
        EXPECT_NEAR(label->box.left, p.x + 3, 3) << name << ": below and right of the point";
        EXPECT_NEAR(label->box.top, p.y + 3, 3) << name;
    }
}

} // namespace
