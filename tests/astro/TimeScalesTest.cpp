// Calendars, Delta T, sidereal time, daylight saving, date texts, the viewer's now and Here.

#include "AstroTest.h"

#include "astro/Report.h"
#include "astro/TimeScales.h"
#include "astro/Viewer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

using namespace astro_test;

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kHour = 1.0 / 24.0;
constexpr std::int16_t kGreg = kCalendarGregorian, kJul = kCalendarJulian;

double Jd(int year, int month, double day, int hour = 0, int minute = 0, double second = 0,
          std::int16_t calendar = kGreg) {
    return JulianDateFromCalendar(year, month, day, hour, minute, second, 0.0, calendar);
}

std::vector<std::pair<int, std::string>> gReports;
void RecordReport(int number, const char* argument) {
    gReports.emplace_back(number, argument);
}

TEST(TimeScales, JulianDateAndCalendarOfKnownDates) {
    // Meeus ch. 7; proleptic Gregorian years by the 400-year cycle; the reform
    // (the Islamic and Indian codes take the Julian rule); month 13. Year, month,
    // day, hour, zone hours, calendar, JD, whether also back to the calendar.
    const double cases[][8] = {{2000, 1, 1, 22, 10, kGreg, 2451545.0, 0},
                               {-584, 5, 28.63, 0, 0, kJul, 1507900.13, 1},
                               {-4713, 11, 24, 12, 0, kGreg, 0.0, 1},
                               {1582, 10, 15, 0, 0, kGreg, 2299160.5, 1},
                               {1582, 10, 5, 0, 0, kCalendarIslamic, 2299160.5, 1},
                               {1582, 10, 5, 0, 0, kCalendarIndian, 2299160.5, 0},
                               {-1700, 3, 1, 12, 0, kGreg, 1100207.0, 1},
                               {1999, 13, 1, 0, 0, kGreg, 2451544.5, 0}};
    for (const auto& [year, month, day, hour, zone, calendar, jd, back] : cases) {
        const auto code = static_cast<std::int16_t>(calendar);
        SCOPED_TRACE(testing::Message() << year << "/" << month << " calendar " << code);
        EXPECT_NEAR(JulianDateFromCalendar(year, month, day, hour, 0, 0, zone * kHour, code), jd,
                    1e-9);
        if (back == 0) continue;
        const CalendarDateTime t = CalendarFromJulianDate(jd, 0, code);
        EXPECT_TRUE(t.year == year && t.month == month);
        EXPECT_NEAR(t.day, day + hour * kHour, 1e-8);
    }
    // At -5 h midnight UT reaches back across the year; the clock fields are
    // truncated, so 19:00 may come out as 18:59:59.99999.
    const CalendarDateTime t = CalendarFromJulianDate(2451544.5, -5 * kHour, kGreg);
    EXPECT_EQ(t.year * 10000 + t.month * 100 + static_cast<int>(t.day), 19991231);
    EXPECT_NEAR(t.hour * 3600 + t.minute * 60 + t.second, 19 * 3600, 1e-4);
    // Leap years, negative ones too: February 29 of a common year comes back as March 1.
    const int leaps[][3] = {{1900, kGreg, 3}, {-400, kGreg, 2}, {-1, kGreg, 3}, {-100, kJul, 2}};
    for (const auto& [year, calendar, month] : leaps) {
        const auto code = static_cast<std::int16_t>(calendar);
        EXPECT_EQ(CalendarFromJulianDate(Jd(year, 2, 29, 0, 0, 0, code), 0, code).month, month)
            << year;
    }
}

TEST(TimeScales, DecimalYearsAndDayOfWeek) {
    EXPECT_NEAR(YearFromJulianDate(JulianDateFromYear(-3999.123)), -3999.123, 1e-9);
    // Meeus ex. 7.e, 1954 June 30, a Wednesday, in zones east and west; before
    // Julian day 0 the weekday still counts 0..6.
    EXPECT_EQ(DayOfWeek(2434923.5 + 0.9, 10 * kHour), 4);
    EXPECT_EQ(DayOfWeek(2434923.5 + 0.1, -5 * kHour), 2);
    EXPECT_EQ(DayOfWeek(-9.0, 0.0), 6);
}

TEST(TimeScales, DaylightSavingIntervalOfTheUnitedStatesRule) {
    // 2001 starts on April 1, 1999 ends on October 31 itself; ends exclusive, west and east.
    const int cases[][3] = {{1999, 4, 31}, {2001, 1, 28}};
    for (const double zoneHours : {-5.0, 10.0}) {
        const double zone = zoneHours * kHour;
        for (const auto& [year, startDay, endDay] : cases) {
            SCOPED_TRACE(testing::Message() << year << " zone " << zoneHours);
            const double start = JulianDateFromCalendar(year, 4, startDay, 2, 0, 0, zone, kGreg);
            const double end = JulianDateFromCalendar(year, 10, endDay, 2, 0, 0, zone, kGreg);
            std::vector<bool> dst;
            for (double t : {start - kSecond, start, start + kSecond, end - kSecond, end})
                dst.push_back(IsDaylightSavingTime(t, zone));
            EXPECT_EQ(dst, (std::vector<bool>{false, false, true, true, false}));
        }
    }
    EXPECT_DOUBLE_EQ(EffectiveTimeZone(Jd(1999, 7, 1), -5 * kHour, true), -4 * kHour);
    EXPECT_EQ(EffectiveTimeZone(Jd(1999, 7, 1), -5 * kHour, false), -5 * kHour);
}

TEST(TimeScales, DeltaTFromTheTableAndTheParabola) {
    // Table, lower bound, last observed row, forecast, its join to the parabola, the past.
    const auto rows = ReadCsv("tests/astro/deltat.csv");
    ASSERT_EQ(rows.size(), 6u);
    for (const auto& row : rows)
        EXPECT_NEAR(DeltaT(JulianDateFromYear(row[0])), row[1], 1e-3) << row[0];
    // The old parabola stood for the years after the table (127 s in 2000);
    // the observed rows and the forecast carry on without a jump.
    double previous = DeltaT(JulianDateFromYear(1997.0));
    for (double year = 1997.0; year <= 2200.0; year += 0.25) {
        double value = DeltaT(JulianDateFromYear(year));
        ASSERT_TRUE(std::fabs(value - previous) < 1.0 && value > 60.0) << year;
        previous = value;
    }
    const double jd = JulianDateFromYear(1990.0);
    EXPECT_NEAR(DynamicalJulianDate(jd, false) - jd, 56.86 * kSecond, 1e-9);
    EXPECT_EQ(DynamicalJulianDate(jd, true), jd);
}

TEST(TimeScales, MeanSiderealTime) {
    // Meeus ex. 12.b; GMST 1h35m20.2167s on 2000 October 15; west longitudes subtract, wrap.
    const double gmst = (1 + 35 / 60.0 + 20.2167 / 3600.0) / 24.0 * kTurn;
    EXPECT_NEAR(LocalSiderealTime(Jd(1987, 4, 10, 19, 21), 0.0),
                (8 + 34 / 60.0 + 57.0896 / 3600.0) / 24.0 * kTurn, 1e-6);
    EXPECT_NEAR(LocalSiderealTime(2451832.5, -kTruePi / 2), gmst - kTruePi / 2 + kTurn, 1e-6);
    EXPECT_GE(LocalSiderealTime(2451832.5, -gmst - 1e-17), 0.0);
}

TEST(TimeScales, TextsRoundTripShowWholeSecondsAndNever60) {
    // Just below a whole minute the text shows the next minute, never ":60".
    const double late = Jd(1999, 12, 31, 23, 59, 59.7);
    EXPECT_EQ(FormatDateTime(late, 0, kGreg), "2000/01/01 00:00:00");
    EXPECT_EQ(FormatDateTime(late + 10 * kHour, -10 * kHour, kGreg), "2000/01/01 00:00:00");
    EXPECT_EQ(FormatDateTime(std::nextafter(Jd(2024, 6, 30, 12, 35, 0), 0.0), 0, kGreg),
              "2024/06/30 12:35:00");
    EXPECT_EQ(FormatDateTime(0.0, 0, kGreg), "-4713/11/24 12:00:00");
    // Dates of either calendar and any zone come back from their text to the second.
    const double dates[][3] = {{Jd(-3999, 3, 1, 5, 6, 7, kJul), 0.25, kJul},
                               {Jd(3999, 12, 31, 23, 59, 59), -0.5, kGreg}};
    for (const auto& [jd, zone, calendar] : dates) {
        const auto code = static_cast<std::int16_t>(calendar);
        double back = 0.0;
        ASSERT_TRUE(ParseDateTime(FormatDateTime(jd, zone, code), zone, code, &back));
        EXPECT_NEAR(back, jd, 0.5 * kSecond + 1e-8) << FormatDateTime(jd, zone, code);
    }
}

TEST(TimeScales, ParseAcceptsShortFormsAndReportsTooFewFields) {
    ReportHandler previous = SetReportHandler(RecordReport);
    gReports.clear();
    const std::tuple<const char*, double, double> good[] = {
        {"2000/1/1.5", 0, 2451545.0},
        {"2000/01/01 12:30", 0, 2451545.0 + 30.0 / 1440.0},
        {"2000/01/01 22:00:00", 10, 2451545.0}};
    for (const auto& [text, zoneHours, expected] : good) {
        double jd = -1.0;
        EXPECT_TRUE(ParseDateTime(text, zoneHours * kHour, kGreg, &jd)) << text;
        EXPECT_NEAR(jd, expected, 1e-9) << text;
    }
    EXPECT_TRUE(gReports.empty());
    for (const char* bad : {"2000/1", "", "2000-01-01"}) {
        gReports.clear();
        double jd = 2451545.0;
        EXPECT_FALSE(ParseDateTime(bad, 0, kGreg, &jd)) << bad;
        EXPECT_EQ(jd, 2451545.0) << "stored date changed by \"" << bad << "\"";
        EXPECT_EQ(gReports, (std::vector<std::pair<int, std::string>>{{525, bad}}));
    }
    SetReportHandler(previous);
}

// The computer's zone is set for a test and put back after it.
class Viewer : public testing::Test {
protected:
    void SetUp() override { old_ = std::getenv("TZ") ? std::getenv("TZ") : ""; }
    void TearDown() override {
        SetZone(old_.empty() ? nullptr : old_.c_str());
        setViewerDefaults();
    }
    static void SetZone(const char* zone) {
        zone ? setenv("TZ", zone, 1) : unsetenv("TZ");
        tzset();
    }
    std::string old_;
};

TEST_F(Viewer, NowComesFromTheUniversalClockWhateverTheSiteZone) {
    SetZone("JST-9");
    EXPECT_NEAR(CurrentJulianDate() - 9 * kHour, CurrentUniversalJulianDate(), 2 * kSecond);

    // A site in Paris with the computer in Tokyo: the true instant, not 8 hours off.
    gViewer.daylightSavings = false;
    gViewer.timeZone = 1.0 * kHour;
    SetViewerTimeToNow();
    EXPECT_NEAR(gViewer.julianDate, CurrentUniversalJulianDate(), 2 * kSecond);
    gViewer.dynamicTime = true;
    EXPECT_NEAR((ViewerJulianDateFor(2461000.5) - 2461000.5) * 86400.0, DeltaT(2461000.5), 1e-4);
}

TEST_F(Viewer, SiteNameIsCutAndHereKeepsTheLocation) {
    // Names are cut to the 47 characters the record holds.
    SetViewerSiteName(std::string(60, 'x').c_str());
    EXPECT_EQ(std::string(gViewer.siteName), std::string(47, 'x'));
    // Here keeps the location and only the location.
    SetViewerSiteName("Mauna Kea");
    gViewer.longitude = -2.7174;
    gViewer.timeZone = 10 * kHour;
    SaveViewerAsHere();
    SetViewerSiteName("Paranal");
    gViewer.longitude = gViewer.timeZone = 1.0;
    gViewer.julianDate = 2460100.5;
    RestoreViewerFromHere();
    EXPECT_STREQ(gViewer.siteName, "Mauna Kea");
    EXPECT_TRUE(gViewer.longitude == -2.7174 && gViewer.timeZone == 10 * kHour);
    EXPECT_EQ(gViewer.julianDate, 2460100.5) << "the time is not part of the location";
}

} // namespace
