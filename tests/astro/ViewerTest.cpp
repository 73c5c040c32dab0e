// The viewer's "now" and its Here location.

#include "astro/TimeScales.h"
#include "astro/Viewer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kHour = 1.0 / 24.0;

// The computer's zone for the length of a test.
class ComputerZone {
public:
    explicit ComputerZone(const char* zone) {
        const char* old = std::getenv("TZ");
        hadOld_ = old != nullptr;
        if (hadOld_) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ComputerZone() {
        if (hadOld_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

// "Now" as the computer's local clock less the site's zone (and an hour of
// daylight saving), the way a clock that only knows local time would give it.
double LocalClockLessSiteZone() {
    double local = CurrentJulianDate();
    double zone = gViewer.timeZone;
    if (gViewer.daylightSavings && IsDaylightSavingTime(local - zone, zone)) zone += kHour;
    return local - zone;
}

class ViewerNow : public testing::Test {
protected:
    void TearDown() override { setViewerDefaults(); }
};

TEST_F(ViewerNow, ComesFromTheUniversalClockWhateverTheSiteZone) {
    ComputerZone tokyo("JST-9");
    gViewer.daylightSavings = false;

    // Site in Tokyo, computer in Tokyo: both ways agree.
    gViewer.timeZone = 9.0 * kHour;
    SetViewerTimeToNow();
    EXPECT_NEAR(gViewer.julianDate, CurrentUniversalJulianDate(), 2.0 * kSecond);
    EXPECT_NEAR(gViewer.julianDate, LocalClockLessSiteZone(), 2.0 * kSecond);

    // Site in Paris, computer still in Tokyo: the instant is still the true
    // one; subtracting Paris's zone from Tokyo's clock would be 8 hours off.
    gViewer.timeZone = 1.0 * kHour;
    SetViewerTimeToNow();
    EXPECT_NEAR(gViewer.julianDate, CurrentUniversalJulianDate(), 2.0 * kSecond);
    EXPECT_NEAR(LocalClockLessSiteZone() - gViewer.julianDate, 8.0 * kHour, 2.0 * kSecond);

    // The zone shapes only what is shown: 9 hours ahead in Tokyo's text.
    std::string shownInTokyo = FormatDateTime(gViewer.julianDate, 9.0 * kHour, kCalendarGregorian);
    std::string shownInParis = FormatDateTime(gViewer.julianDate, 1.0 * kHour, kCalendarGregorian);
    EXPECT_NE(shownInTokyo, shownInParis);
}

TEST_F(ViewerNow, IsDynamicTimeWhenTheViewerKeepsDynamicTime) {
    double ut = 2461000.5;
    gViewer.dynamicTime = false;
    EXPECT_EQ(ViewerJulianDateFor(ut), ut);
    gViewer.dynamicTime = true;
    EXPECT_NEAR((ViewerJulianDateFor(ut) - ut) * 86400.0, DeltaT(ut), 1e-4);
}

TEST_F(ViewerNow, HereKeepsTheLocationAndOnlyTheLocation) {
    SetViewerSiteName("Mauna Kea");
    gViewer.longitude = -2.7174;
    gViewer.latitude = 0.3459;
    gViewer.altitude = 4205.0;
    gViewer.timeZone = -10.0 * kHour;
    gViewer.julianDate = 2460000.5;
    SaveViewerAsHere();

    SetViewerSiteName("Paranal");
    gViewer.longitude = -1.2282;
    gViewer.latitude = -0.4298;
    gViewer.altitude = 2635.0;
    gViewer.timeZone = -4.0 * kHour;
    gViewer.julianDate = 2460100.5;
    RestoreViewerFromHere();

    EXPECT_STREQ(gViewer.siteName, "Mauna Kea");
    EXPECT_EQ(gViewer.longitude, -2.7174);
    EXPECT_EQ(gViewer.latitude, 0.3459);
    EXPECT_EQ(gViewer.altitude, 4205.0);
    EXPECT_EQ(gViewer.timeZone, -10.0 * kHour);
    // The time is not part of the location.
    EXPECT_EQ(gViewer.julianDate, 2460100.5);
}

} // namespace
