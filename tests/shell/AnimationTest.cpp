// The animation clock and object trails: step arithmetic, the Animation menu's
// marks and prompt, single steps, real time, and trails recorded step by step.

#include "timecontrol/Animation.h"
#include "astro/TimeScales.h"
#include "astro/Viewer.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "settings/Settings.h"
#include "shell/Platform.h"
#include "timecontrol/Trails.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

long gFakeTicks = 0;

class Animation : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-animation-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        SetProgramDirectory(dir_);
        SetMessageResponder([](const MessageRecord&) { return int{AnswerOK}; });
        setSettingsDefaults();
        setDriverDefaults();
        setAnimationTickSource([] { return gFakeTicks; });
        ASSERT_TRUE(initObjectStore(std::int64_t{1} << 30));
        ASSERT_TRUE(checkDatabaseDirectory());
        SolarSystemObject* body = NewSolarSystemObject(5);
        body->name = CopyText("Mars");
        mars_ = addObject(body, customFile());
        ASSERT_NE(mars_, 0);
        ClearRecordedMessages();
    }
    void TearDown() override {
        DeleteAllTrails();
        setObjectStoreDefaults();
        setAnimationTickSource(nullptr);
        SetAskResponder(nullptr);
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        std::filesystem::remove_all(dir_);
    }
    std::string dir_;
    ObjectID mars_ = 0;
};

std::string Date() {
    return FormatDateTime(gViewer.julianDate, 0.0, kCalendarGregorian);
}

TEST_F(Animation, StepsAreWholeDayCountsAcrossMonthsYearsAndMillennia) {
    struct Case {
        const char* start;
        int item; // 9 Real Time ... 18 10,000 Years
        std::int16_t mode;
        int steps;
        const char* end;
    } cases[] = {
        {"2023/12/31 12:00:00", 13, kAnimationForward, 1, "2024/01/01 12:00:00"},
        {"2024/02/28 00:00:00", 13, kAnimationForward, 2, "2024/03/01 00:00:00"},
        {"2024/01/31 00:00:00", 15, kAnimationForward, 1, "2024/03/01 00:00:00"},
        {"2000/01/01 12:00:00", 16, kAnimationForward, 1, "2000/12/31 18:00:00"},
        {"2001/02/28 18:00:00", 16, kAnimationBackward, 1, "2000/02/29 12:00:00"},
        {"2000/01/01 00:00:00", 11, kAnimationBackward, 6, "1999/12/31 23:00:00"},
        // 10,000 Julian years are 75 days more than 10,000 Gregorian ones.
        {"2000/01/01 12:00:00", 18, kAnimationForward, 1, "12000/03/16 12:00:00"},
        {"2000/01/01 12:00:00", 18, kAnimationBackward, 1, "-8001/10/18 12:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start + std::string(" item ") + std::to_string(c.item));
        ASSERT_TRUE(ParseDateTime(c.start, 0.0, kCalendarGregorian, &gViewer.julianDate));
        AnimationMenuCommand(c.item);
        SetAnimationMode(c.mode);
        for (int i = 0; i < c.steps; ++i)
            AnimationStep();
        EXPECT_EQ(Date(), c.end);
    }
    // Past the dates the program can compute the animation stops where it was, and says so.
    gViewer.julianDate = 2451545.0 + kJulianDateSpan - 1.0;
    const double before = gViewer.julianDate;
    SetAnimationMode(kAnimationForward);
    AnimationStep();
    EXPECT_EQ(gViewer.julianDate, before);
    EXPECT_EQ(gAnimationState.mode, kAnimationOff);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, kAnimationLimitMessage);
}

TEST_F(Animation, StepMarksAndTheTypedStep) {
    const struct {
        double step;
        int marked; // 0: none
    } cases[] = {{36525.0, 17}, {365.0, 0}, {0.0, 9}, {4e-6, 9}, {1.0 / 1440 + 0.9 / 86400, 10}};
    for (auto c : cases) {
        SCOPED_TRACE(c.step);
        SetTimeStep(c.step);
        for (int item = 9; item <= 18; ++item)
            EXPECT_EQ(AnimationItemChecked(item), item == c.marked) << item;
    }
    // The prompt shows the step and reads a day and a half; Cancel keeps it.
    SetTimeStep(1.0);
    std::string shown;
    SetAskResponder([&shown](const std::string&, std::string& text) {
        shown = text;
        text = "1 12:00:00";
        return true;
    });
    AnimationMenuCommand(8);
    EXPECT_EQ(shown, "1  00:00:00");
    EXPECT_EQ(gAnimationState.timeStep, 1.5);
    for (int item = 9; item <= 18; ++item)
        EXPECT_FALSE(AnimationItemChecked(item)) << item;
    SetAskResponder([](const std::string&, std::string&) { return false; });
    AnimationMenuCommand(8);
    EXPECT_EQ(gAnimationState.timeStep, 1.5);
}

TEST_F(Animation, SingleStepsKeepTheModeAndRealTimeFollowsANewDate) {
    gViewer.julianDate = 2460000.5;
    SetAnimationMode(kAnimationForward);
    AnimationMenuCommand(5); // F5
    EXPECT_EQ(gViewer.julianDate, 2459999.5);
    EXPECT_EQ(gAnimationState.mode, kAnimationForward);

    gFakeTicks = 1000;
    AnimationMenuCommand(9); // real time, based now
    gFakeTicks += 3600000;
    gViewer.julianDate = 2451545.0; // a date set meanwhile rebases the clock
    RebaseAnimationClock();
    gFakeTicks += 60000;
    AnimationStep();
    EXPECT_NEAR(gViewer.julianDate, 2451545.0 + 1.0 / 1440, 1e-9);
}

TEST_F(Animation, TrailsRecordTheNewInstantKeepTheNewestAndReset) {
    gViewer.julianDate = 2460000.5;
    const int slot = CreateTrail(mars_, kTrailInSky, 100, 1, 0);
    SetAnimationMode(kAnimationForward);
    for (int i = 0; i < 150; ++i)
        AnimationStep();
    const Trail* trail = GetTrail(slot);
    ASSERT_NE(trail, nullptr);
    EXPECT_EQ(trail->recorded, 150);
    EXPECT_EQ(TrailPointCount(trail), 100);
    EXPECT_FLOAT_EQ(trail->points[0].time, static_cast<float>(2460150.5 - 2451545.0));
    EXPECT_FLOAT_EQ(trail->points[99].time, static_cast<float>(2460051.5 - 2451545.0));
    // The newest point is where Mars is drawn now, not where it was a step before.
    Vector3 now;
    ObjectDirection(getObject(mars_), now);
    EXPECT_NEAR(trail->points[0].x, now[0], 1e-6);
    EXPECT_NEAR(trail->points[0].y, now[1], 1e-6);

    AnimationMenuCommand(21); // Reset All Trails
    EXPECT_EQ(GetTrail(slot), trail);
    EXPECT_EQ(TrailPointCount(trail), 0);
    FreeObject(removeObject(mars_));
    AnimationStep();
    EXPECT_EQ(FindTrail(mars_), 0);
}

} // namespace
