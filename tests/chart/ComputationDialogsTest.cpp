// The Computation menu's dialogs: dates read in either calendar and zone,
// with daylight saving; every Precision control read back as shown; the
// viewer's offset in the unit its size calls for.

#include "ChartTestSupport.h"

#include "astro/ComputationOptions.h"
#include "astro/Report.h"
#include "astro/TimeScales.h"
#include "timecontrol/ComputationCommands.h"

#include <cstring>
#include <functional>

namespace {

using namespace chart_test;

class ComputationDialogsTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        // As the program does: a date that can't be read is said.
        SetReportHandler([](int n, const char* text) { ShowMessage(ButtonsOK, n, text); });
    }
    void TearDown() override {
        SetReportHandler(nullptr);
        ChartTest::TearDown();
    }
    // Runs the dialog with `fill` and OK; the messages said.
    std::vector<int> Run(int templateNumber, const std::function<void(WindowRef)>& fill,
                         bool (*run)()) {
        std::vector<int> said;
        SetMessageResponder([&](const MessageRecord& m) {
            said.push_back(m.number);
            return static_cast<int>(AnswerOK);
        });
        SetDialogResponder(templateNumber, fill, kOKButton);
        run();
        SetMessageResponder(nullptr);
        return said;
    }
};

TEST_F(ComputationDialogsTest, DateAndTimeInEitherCalendarZoneAndDaylightSaving) {
    const struct {
        const char* text;
        const char* zone;
        bool julian, daylight;
        double jd; // 0: refused with message 525, the date kept
    } cases[] = {{"2030/1/1 22:00:00", "10", false, false, 2462503.0},
                 {"2020/7/1 12:00:00", "-5", false, true, 2459032.0 + 4.0 / 24}, // EDT: 16h UT
                 {"2020/1/1 12:00:00", "-5", false, true, 2458850.0 + 5.0 / 24}, // winter: EST
                 {"2000/01/01 00:00:00", "0", true, false, 2451557.5}, // Julian 1 Jan = 14 Jan
                 {"noon", "0", false, false, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        gViewer.julianDate = 2451545.0;
        gViewer.calendar = kCalendarGregorian;
        std::vector<int> said = Run(
            kDateTimeTemplate,
            [&](WindowRef d) {
                SetItemText(d, 4, c.text);
                SetItemText(d, 6, c.zone);
                SetItemValue(d, 7, c.daylight);
                // Clicking a calendar converts the text: the text is then typed again.
                if (c.julian) SendWindowEvent(d, ControlNotify, 9, NotifyClicked);
                SetItemText(d, 4, c.text);
            },
            RunDateTimeDialog);
        EXPECT_NEAR(gViewer.julianDate, c.jd != 0.0 ? c.jd : 2451545.0, 1e-6);
        EXPECT_EQ(said, c.jd != 0.0 ? std::vector<int>{} : std::vector<int>{525});
    }
    // Switching from Gregorian to Julian writes the same instant in the Julian calendar.
    gViewer.calendar = kCalendarGregorian;
    std::string shown;
    SetDialogResponder(
        kDateTimeTemplate,
        [&](WindowRef d) {
            SetItemText(d, 4, "2000/01/14 00:00:00");
            SendWindowEvent(d, ControlNotify, 9, NotifyClicked);
            shown = GetItemText(d, 4);
        },
        kCancelButton);
    RunDateTimeDialog();
    EXPECT_EQ(shown, "2000/01/01 00:00:00");
}

TEST_F(ComputationDialogsTest, PrecisionShowsEveryOptionAndReadsItBack) {
    ComputationOptions& o = gComputationOptions;
    o.starParallax = true;
    o.starParallaxThreshold = 2.5;
    o.starMotionThreshold = 36525.0; // 100.0 years
    o.planetComputation = kPlanetsVSOP87;
    o.aberration = o.nutation = o.preciseRiseSet = true;
    o.precession = false;
    o.precessionEpoch = JulianDateFromYear(1950.0);
    o.horizonAltitude = -0.5 * 0.017453292520882225;
    const ComputationOptions before = o;
    EXPECT_TRUE(Run(kPrecisionTemplate, nullptr, RunPrecisionDialog).empty());
    EXPECT_EQ(std::memcmp(&before, &o, sizeof o), 0) << "shown and read back unchanged";
    // A horizon beyond the zenith is refused by name; nothing changes.
    EXPECT_EQ(
        Run(
            kPrecisionTemplate, [](WindowRef d) { SetItemText(d, 27, "95"); }, RunPrecisionDialog),
        std::vector<int>{548});
    EXPECT_EQ(std::memcmp(&before, &o, sizeof o), 0);
}

TEST_F(ComputationDialogsTest, ViewerOffsetInTheUnitItsSizeCallsFor) {
    ObjectID star = Added(NewSolarSystemObject(kTypeAsteroid))->id;
    const struct {
        double au;
        int radio;
        const char* shown;
    } cases[] = {{0.05, 22, "7479894"}, {5.0, 23, "5.00000"}, {20000.0, 24, "0.097"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        gViewer.viewerObject = star;
        gViewer.viewerObjectOffset[0] = c.au;
        gViewer.viewerObjectOffset[1] = gViewer.viewerObjectOffset[2] = 0.0;
        std::string distance;
        long radio = 0;
        EXPECT_TRUE(Run(
                        kLocationTemplate,
                        [&](WindowRef d) {
                            distance = GetItemText(d, 21);
                            radio = GetItemValue(d, c.radio);
                        },
                        RunLocationDialog)
                        .empty());
        EXPECT_EQ(distance, c.shown);
        EXPECT_EQ(radio, 1);
        // Read back in the same unit: the same offset, to the digits shown.
        EXPECT_NEAR(gViewer.viewerObjectOffset[0], c.au, c.au * 5e-3);
        EXPECT_EQ(gViewer.viewerObject, star);
    }
}

} // namespace
