// The chart window's handler: dragging and double-clicking move the centre,
// the arrow keys scroll, 't' times redraws; Shift+A and Shift+Z slide the
// viewpoint along the line of sight to a centred object.

#include "astro/Frames.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Projection.h"
#include "chart/Render.h"
#include "shell/platform/PlatformInternal.h"
#include "tests/data/ComputationTestBase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace computation_test;

class ChartWindowTest : public ComputationTest {
protected:
    void SetUp() override {
        ComputationTest::SetUp();
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        gDisplayOptions.showChartLegend = false;
        gDisplayOptions.showHorizonMask = false;
        gChartView.coordinateSystem = kEquatorial;
        gChartView.projection = kLambert;
        gChartView.centerLongitude = 1.0;
        gChartView.centerLatitude = 0.2;
        gChartView.fieldWidth = 90.0 * kDegree;
        gViewer.julianDate = kEpoch2000;
        PrepareComputation();
        window = CreateChartWindow();
        ASSERT_NE(window, nullptr);
        RenderChart();
    }
    void TearDown() override {
        SetRedrawCount(0);
        ResetPlatform();
        SetMessageResponder([this](const MessageRecord&) {
            ++messages;
            return static_cast<int>(AnswerOK);
        });
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        ComputationTest::TearDown();
    }

    // The chart-frame longitude and latitude of the sky under a pixel.
    static bool SkyAt(int x, int y, double* lon, double* lat) {
        Vector3 v;
        if (!UnprojectPoint(x, y, v)) return false;
        TransformVector(*FrameMatrix(gInstant.frames, gChartView.coordinateSystem), v);
        RectangularToSpherical(v, lon, lat, nullptr);
        return true;
    }
    void Send(int event, long a, long b = 0) { SendWindowEvent(window, event, a, b); }

    WindowRef window = nullptr;
};

TEST_F(ChartWindowTest, DraggingPansAndPutsTheDetailsBackOnRelease) {
    const DisplayOptions before = gDisplayOptions;
    int x = gFrame.centerX, y = gFrame.centerY;
    // Dragging 40 pixels right and 10 down brings the sky that was 40 left
    // and 10 up of the centre to the centre.
    double lon = 0.0, lat = 0.0;
    ASSERT_TRUE(SkyAt(x - 40, y - 10, &lon, &lat));

    Send(MouseDown, x, y);
    EXPECT_TRUE(DragInProgress());
    EXPECT_FALSE(gDisplayOptions.showConstellationBoundaries) << "lighter while dragging";
    EXPECT_FALSE(gDisplayOptions.showConstellationLabels);
    EXPECT_FALSE(gDisplayOptions.showObjectLabels);
    EXPECT_EQ(gDisplayOptions.faintestStarMagnitude, before.faintestStarMagnitude - 100);
    Send(MouseDrag, x + 40, y + 10);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-9);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-9);
    // The next step is measured from where the mouse was last.
    double lon2 = 0.0, lat2 = 0.0;
    ASSERT_TRUE(SkyAt(gFrame.centerX - 5, gFrame.centerY, &lon2, &lat2));
    Send(MouseDrag, x + 45, y + 10);
    EXPECT_NEAR(gChartView.centerLongitude, lon2, 1e-9);
    EXPECT_NEAR(gChartView.centerLatitude, lat2, 1e-9);
    Send(MouseUp, x + 45, y + 10);

    EXPECT_FALSE(DragInProgress());
    EXPECT_EQ(gDisplayOptions.showConstellationBoundaries, before.showConstellationBoundaries);
    EXPECT_EQ(gDisplayOptions.showConstellationLabels, before.showConstellationLabels);
    EXPECT_EQ(gDisplayOptions.showObjectLabels, before.showObjectLabels);
    EXPECT_EQ(gDisplayOptions.faintestStarMagnitude, before.faintestStarMagnitude);
    EXPECT_EQ(gDisplayOptions.brightestStarMagnitude, before.brightestStarMagnitude);
    EXPECT_EQ(gDisplayOptions.faintestDeepSkyLabelMagnitude, before.faintestDeepSkyLabelMagnitude);
    // A release without a press does nothing.
    Send(MouseUp, 0, 0);
    EXPECT_EQ(gDisplayOptions.faintestStarMagnitude, before.faintestStarMagnitude);
}

TEST_F(ChartWindowTest, PressAndReleaseWithoutMovingRedrawsOnceAndChangesNothing) {
    const DisplayOptions before = gDisplayOptions;
    const ChartView view = gChartView;
    SetRedrawCount(1);
    Send(MouseDown, 100, 100);
    Send(MouseDrag, 100, 100);  // no movement: no pan
    Send(MouseUp, 100, 100);
    EXPECT_EQ(RedrawCount() - 1, 1);
    EXPECT_EQ(gChartView.centerLongitude, view.centerLongitude);
    EXPECT_EQ(gChartView.centerLatitude, view.centerLatitude);
    EXPECT_EQ(gDisplayOptions.faintestStarMagnitude, before.faintestStarMagnitude);
    EXPECT_EQ(gDisplayOptions.showConstellationBoundaries, before.showConstellationBoundaries);
}

TEST_F(ChartWindowTest, DoubleClickRecentresOnTheSkyOnly) {
    double lon = 0.0, lat = 0.0;
    ASSERT_TRUE(SkyAt(120, 90, &lon, &lat));
    gChartView.centeredObject = 77;  // a centred object is let go
    Send(DoubleClick, 120, 90);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-9);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-9);
    EXPECT_EQ(gChartView.centeredObject, 0);

    // Outside the disc of a Spherical chart there is no sky to centre on.
    gChartView.projection = kSpherical;
    gChartView.fieldWidth = 170.0 * kDegree;
    RenderChart();
    const ChartView view = gChartView;
    Vector3 v;
    ASSERT_FALSE(UnprojectPoint(gFrame.left, gFrame.top, v));
    Send(DoubleClick, gFrame.left, gFrame.top);
    EXPECT_EQ(gChartView.centerLongitude, view.centerLongitude);
    EXPECT_EQ(gChartView.centerLatitude, view.centerLatitude);
    // Nor beyond the drag's reach: a press there leaves the centre too.
    Send(MouseDown, gFrame.left + 1, gFrame.top + 1);
    Send(MouseDrag, gFrame.left + 30, gFrame.top + 1);
    Send(MouseUp, gFrame.left + 30, gFrame.top + 1);
    EXPECT_FALSE(std::isnan(gChartView.centerLongitude));
}

TEST_F(ChartWindowTest, ArrowKeysScrollLikeTheBarsArrows) {
    double step = gChartView.fieldWidth / gChartView.scrollRate;
    double lon = gChartView.centerLongitude, lat = gChartView.centerLatitude;
    Send(KeyDown, VKLeft);
    EXPECT_NEAR(gChartView.centerLongitude, lon + step, 1e-12) << "east is left on the sky";
    Send(KeyDown, VKRight);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-12);
    Send(KeyDown, VKUp);
    EXPECT_NEAR(gChartView.centerLatitude, lat + step, 1e-12);
    Send(KeyDown, VKDown);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-12);
    // On a horizon chart the horizontal arrows run the other way.
    gChartView.coordinateSystem = kHorizon;
    lon = gChartView.centerLongitude;
    Send(KeyDown, VKLeft);
    EXPECT_NEAR(gChartView.centerLongitude, lon - step, 1e-12);
}

TEST_F(ChartWindowTest, TypingTTwiceReportsTheRedrawsBetween) {
    ClearRecordedMessages();
    Send(KeyDown, 0, 't');
    EXPECT_TRUE(RecordedMessages().empty());
    for (int i = 0; i < 3; ++i)
        Send(Resize, 800, 600);  // each resize renders the chart
    Send(KeyDown, 0, 't');
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 269);
    const std::string& text = RecordedMessages()[0].text;
    EXPECT_EQ(text.rfind("The total elapsed time for 3 window redrawings was ", 0), 0u) << text;
    EXPECT_NE(text.find("frames per second"), std::string::npos);
    EXPECT_EQ(RedrawCount(), 0) << "timing stopped";
    messages -= 1;  // the report is the one message this case expects
}

TEST_F(ChartWindowTest, ShiftAAndZSlideTheViewpointAlongTheLineOfSight) {
    AddLine(kSunLine);
    AddLine(kEarthLine);
    // A spacecraft 2 AU from the Sun, seen from the Earth.
    Orbit orbit{2.0};
    orbit.meanAnomaly = 1.0;
    SolarSystemObject* craft = AddBody(kTypeSpacecraft, orbit);
    PrepareComputation();
    EnsureComputed(craft);
    double distance = craft->distance;
    ASSERT_TRUE(std::isfinite(distance));
    Vector3 u;
    ObjectDirection(craft, u);

    // Without Shift the letters do nothing; with nothing centred neither
    // does the slide.
    gChartView.centeredObject = craft->id;
    Send(KeyDown, 0, 'A');
    EXPECT_EQ(gViewer.viewerObject, 0);
    gChartView.centeredObject = 0;
    EXPECT_FALSE(SlideViewpoint(true));
    EXPECT_EQ(gViewer.viewerObject, 0);

    gChartView.centeredObject = craft->id;
    double f = std::min(3.141592654 / gChartView.scrollRate, 0.5);
    ASSERT_TRUE(SlideViewpoint(true));
    ASSERT_EQ(gViewer.viewerObject, craft->id);
    double closer = distance * (1.0 - f);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(gViewer.viewerObjectOffset[i], -closer * u[i], 1e-7 * distance) << i;
    // Seen from the new viewpoint the craft is that far, in the same direction.
    EnsureComputed(craft);
    EXPECT_NEAR(craft->distance, closer, 1e-6 * distance);
    Vector3 seen;
    ObjectDirection(craft, seen);
    EXPECT_NEAR(DotProduct(seen, u), 1.0, 1e-8);

    ASSERT_TRUE(SlideViewpoint(false));
    EnsureComputed(craft);
    EXPECT_NEAR(craft->distance, closer * (1.0 + f), 1e-6 * distance);
}

} // namespace
