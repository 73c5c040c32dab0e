// The horizon turns about the pole of the date whatever equinox the chart's
// coordinates use: a J2000 chart and a chart of the date show the same
// altitude, azimuth, rising and setting.

#include "astro/ComputationOptions.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "data/Import.h"
#include "tests/data/ComputationTestBase.h"

#include <gtest/gtest.h>

namespace {

using namespace computation_test;

class HorizonOfDate : public ComputationTest {};

TEST_F(HorizonOfDate, AFixedEpochLeavesTheHorizonOfTheDate) {
    // Sirius seen from London on 2026 December 14, 0h UT.
    SkyObject* sirius = buildCatalogObject(splitImportFields("S1\t2000\t06 45 09\t-16 42 58"));
    ASSERT_NE(addObject(sirius, 0), 0);
    gViewer.julianDate = 2461388.5;
    gViewer.longitude = -0.1275 * kDegree;
    gViewer.latitude = 51.507 * kDegree;
    setCurrentFrameQuery([] { return kFrameHorizon; });
    for (bool nutation : {false, true}) {
        SCOPED_TRACE(nutation ? "with nutation" : "without nutation");
        gComputationOptions.nutation = nutation;
        ObjectPositionResult place[2];
        Matrix3 horizon[2];
        for (int fixed = 0; fixed < 2; ++fixed) {
            gComputationOptions.precession = fixed == 0;
            gComputationOptions.precessionEpoch = kEpoch2000;
            PrepareComputation();
            CopyMatrix(gInstant.frames.horizon, horizon[fixed]);
            place[fixed] = ObjectPosition(sirius);
        }
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(horizon[1][i][j], horizon[0][i][j], 1e-12);
        EXPECT_NEAR(place[1].longitude, place[0].longitude, 0.1 * kArcsec);
        EXPECT_NEAR(place[1].latitude, place[0].latitude, 0.1 * kArcsec);
        EXPECT_NEAR(place[1].rise.julianDate, place[0].rise.julianDate, 1e-6);
        EXPECT_NEAR(place[1].set.julianDate, place[0].set.julianDate, 1e-6);
        // The report's right ascension stays on the equinox asked for.
        EXPECT_GT(std::fabs(place[1].rightAscension - place[0].rightAscension), 0.1 * kDegree);
    }
    setCurrentFrameQuery(nullptr);
}

} // namespace
