#pragma once

// A scratch database in a temporary program directory, the computation reset
// to its defaults with every correction off and the planets on their orbital
// elements, and the helpers that put bodies into it: the common ground of the
// driver and ephemeris tests. A case turns on what it looks at.

#include "astro/ComputationOptions.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "data/Import.h"
#include "data/ObjectStore.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace computation_test {

constexpr double kExactPi = 3.14159265358979323846;
constexpr double kDegree = kExactPi / 180.0;
constexpr double kArcsec = kDegree / 3600.0;
constexpr double kEpoch2000 = 2451545.0;
constexpr double kInf = std::numeric_limits<double>::infinity();
// The speed of light as the light time of one AU, days.
constexpr double kDaysPerAU = 0.005775518;
constexpr std::int64_t kPlentyOfMemory = std::int64_t{1} << 30;

// Lines of the default catalogue (J2000 mean elements).
inline const char* const kSunLine =
    "P1\t2000.0\t0\t0.0\t0.0\t0.0\t0.0\t0.0\t2000/1/1.5\t-26.72\t696000.0\t332946\tSun\t";
inline const char* const kEarthLine =
    "P4\t2000.0\t1.000001018\t0.01670863\t0.0\t102.937348\t0.0\t357."
    "529109\t2000/1/1.5\t-3.86\t6378.137\t1\tEarth\t";
inline const char* const kMarsLine =
    "P5\t2000.0\t1.523679342\t0.09340065\t1.849726\t286.502141\t49."
    "558093\t19.372766\t2000/1/1.5\t-1.52\t3396.19\t0.107447\tMars\t";
inline const char* const kJupiterLine =
    "P6\t2000.0\t5.202603209\t0.04849793\t1.303267\t273.8668\t100."
    "464407\t20.020312\t2000/1/1.5\t-9.4\t71492.0\t317.828\tJupiter\t";
inline const char* const kSaturnLine =
    "P7\t2000.0\t9.554909192\t0.05554814\t2.488879\t339.391734\t113."
    "665503\t317.020207\t2000/1/1.5\t-8.88\t60268.0\t95.161\tSaturn\t";

// Osculating elements of a test body (radians, AU, radians per day).
struct Orbit {
    double q;
    double e = 0.0;
    double inclination = 0.0;
    double perihelion = 0.0;
    double node = 0.0;
    double meanAnomaly = 0.0;
    double meanMotion = 0.0;
    double epoch = kEpoch2000;
};

class ComputationTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-computation-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        SetProgramDirectory(dir);
        SetMessageResponder([this](const MessageRecord&) {
            ++messages;
            return static_cast<int>(AnswerOK);
        });
        SetMessagesEnabled(true);
        ASSERT_TRUE(initObjectStore(kPlentyOfMemory));
        std::string database = dir + "/Database";
        ASSERT_EQ(mkdir(database.c_str(), 0777), 0);
        gObjectStore.indexPath = database + "/Index.nvd";
        gObjectStore.databaseDirectory = database + "/";
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
        ComputationOptions& o = gComputationOptions;
        o.planetComputation = kPlanetsElements;
        o.starParallax = o.starMotion = o.aberration = o.planetLightTime = false;
        o.nutation = o.refraction = o.preciseRiseSet = false;
        o.horizonAltitude = 0.0;
        gViewer.daylightSavings = false;
    }
    void TearDown() override {
        setObjectStoreDefaults();
        setRedrawHandler(nullptr);
        setAnimationRunningQuery(nullptr);
        setCurrentFrameQuery(nullptr);
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
        EXPECT_EQ(messages, 0);
    }

    static SolarSystemObject* Added(SkyObject* object) {
        ObjectID id = addObject(object, 0);
        EXPECT_NE(id, 0);
        return AsSolarSystem(getObject(id));
    }
    // A body from a line of an object text file.
    static SolarSystemObject* AddLine(const char* line) {
        return Added(buildSolarSystemObject(splitImportFields(line)));
    }
    // A body of this type on these elements; radius in AU, magnitude
    // parameters in hundredths (32767: none).
    static SolarSystemObject* AddBody(int type, const Orbit& orbit, ObjectID primary = 0,
                                      double radius = 0.0, std::int16_t param1 = 32767,
                                      std::int16_t param2 = 32767) {
        SolarSystemObject* body = NewSolarSystemObject(type);
        body->epoch = static_cast<float>(orbit.epoch - 2400000.5);
        const std::pair<int, double> values[] = {
            {kPerihelionDistance, orbit.q},    {kEccentricity, orbit.e},
            {kInclination, orbit.inclination}, {kArgumentOfPerihelion, orbit.perihelion},
            {kAscendingNode, orbit.node},      {kMeanAnomaly, orbit.meanAnomaly},
            {kMeanMotion, orbit.meanMotion},   {kRadius, radius}};
        for (const auto& [element, value] : values)
            body->elements[element] = static_cast<float>(value);
        body->primary = primary;
        body->magnitudeParam1 = param1;
        body->magnitudeParam2 = param2;
        return Added(body);
    }
    // A spacecraft sitting still on the ecliptic at (r cos lon, r sin lon, 0),
    // made the viewpoint.
    static SolarSystemObject* ViewFrom(double r, double lon) {
        Orbit orbit{r};
        orbit.meanAnomaly = lon;
        SolarSystemObject* craft = AddBody(kTypeSpacecraft, orbit);
        gViewer.viewerObject = craft->id;
        for (double& c : gViewer.viewerObjectOffset)
            c = 0.0;
        return craft;
    }

    std::string dir;
    int messages = 0;
};

} // namespace computation_test
