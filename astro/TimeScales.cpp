#include "astro/TimeScales.h"

#include "astro/Report.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <time.h>

namespace {

constexpr double kJ2000 = 2451545.0;
constexpr double kDaysPerJulianYear = 365.25;
constexpr double kDaysPerJulianCentury = 36525.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kMinutesPerDay = 1440.0;
constexpr double kHoursPerDay = 24.0;
constexpr double kOneHour = 1.0 / 24.0;
// A year typed beyond this lies far outside kJulianDateSpan whatever follows it.
constexpr long kLargestYear = 1000000;

// Meeus, Astronomical Algorithms, ch. 7: the calendar counts from 4716 BC so
// that every year of interest is positive, and March starts the computing year
// so that the leap day falls at its end.
constexpr double kJulianYearOffset = 4716.0;
constexpr double kMonthLength = 30.6001;
constexpr double kJulianDateOffset = 1524.5;
constexpr double kDayCountOffset = 1524.0;
constexpr double kYearStartCorrection = 122.1;
constexpr double kGregorianCenturyEpoch = 1867216.25; // 400 March 1, Gregorian
constexpr double kDaysPerGregorianCentury = 36524.25;

// The output text rounds the seconds; from here on they would show as 60.
constexpr double kLastSecondShown = 59.5;
constexpr double kQuarterSecond = 0.25;

// Mean sidereal time, IAU 1982 expression for Greenwich at 0h UT (seconds of time),
// and the ratio of sidereal to solar time.
constexpr double kGmstAt0h = 24110.54841;
constexpr double kGmstPerCentury = 8640184.812866;
constexpr double kGmstPerCentury2 = 0.093104;
constexpr double kGmstPerCentury3 = 6.2e-6;
constexpr double kSiderealPerSolarDay = 1.00273790934;
constexpr double kTwoPi = 6.283185307;

// Julian date of the POSIX clock's epoch, 1970 January 1, 0h UT.
constexpr double kUnixEpochJulianDate = 2440587.5;

// Observed Dynamic Time minus Universal Time, seconds, every five years.
struct DeltaTRow {
    float year;
    float deltaT;
};
constexpr int kDeltaTRows = 82;
constexpr DeltaTRow kDeltaTTable[kDeltaTRows] = {
    {1620.0f, 124.0f},
    {1625.0f, 102.0f},
    {1630.0f, 85.0f},
    {1635.0f, 72.0f},
    {1640.0f, 62.0f},
    {1645.0f, 54.0f},
    {1650.0f, 48.0f},
    {1655.0f, 43.0f},
    {1660.0f, 37.0f},
    {1665.0f, 32.0f},
    {1670.0f, 26.0f},
    {1675.0f, 21.0f},
    {1680.0f, 16.0f},
    {1685.0f, 12.0f},
    {1690.0f, 10.0f},
    {1695.0f, 9.0f},
    {1700.0f, 9.0f},
    {1705.0f, 9.0f},
    {1710.0f, 10.0f},
    {1715.0f, 10.0f},
    {1720.0f, 11.0f},
    {1725.0f, 11.0f},
    {1730.0f, 11.0f},
    {1735.0f, 12.0f},
    {1740.0f, 12.0f},
    {1745.0f, 13.0f},
    {1750.0f, 13.0f},
    {1755.0f, 14.0f},
    {1760.0f, 15.0f},
    {1765.0f, 16.0f},
    {1770.0f, 16.0f},
    {1775.0f, 17.0f},
    {1780.0f, 17.0f},
    {1785.0f, 17.0f},
    {1790.0f, 17.0f},
    {1795.0f, 16.0f},
    {1800.0f, 13.7f},
    {1805.0f, 12.6f},
    {1810.0f, 12.5f},
    {1815.0f, 12.5f},
    {1820.0f, 12.0f},
    {1825.0f, 10.2f},
    {1830.0f, 7.5f},
    {1835.0f, 5.8f},
    {1840.0f, 5.7f},
    {1845.0f, 6.3f},
    {1850.0f, 7.1f},
    {1855.0f, 7.6f},
    {1860.0f, 7.88f},
    {1865.0f, 6.02f},
    {1870.0f, 1.61f},
    {1875.0f, -3.24f},
    {1880.0f, -5.4f},
    {1885.0f, -5.79f},
    {1890.0f, -5.87f},
    {1895.0f, -6.47f},
    {1900.0f, -2.77f},
    {1905.0f, 3.86f},
    {1910.0f, 10.46f},
    {1915.0f, 17.2f},
    {1920.0f, 21.16f},
    {1925.0f, 23.62f},
    {1930.0f, 24.02f},
    {1935.0f, 23.93f},
    {1940.0f, 24.33f},
    {1945.0f, 26.77f},
    {1950.0f, 29.16f},
    {1955.0f, 29.15f},
    {1960.0f, 33.15f},
    {1965.0f, 35.73f},
    {1970.0f, 40.18f},
    {1975.0f, 45.48f},
    {1980.0f, 50.54f},
    {1985.0f, 54.34f},
    {1990.0f, 56.86f},
    {1995.0f, 60.78f},
    {2000.0f, 65.0f},
    // Observed since (IERS): the table's own values stop at 2000, and the old
    // parabola beyond it runs away from the real Earth (127 s in 2000, 165 s
    // in 2026, against 64 s and 69 s measured).
    {2005.0f, 64.69f},
    {2010.0f, 66.07f},
    {2015.0f, 67.64f},
    {2020.0f, 69.36f},
    {2025.0f, 69.2f},
};
constexpr double kDeltaTFirstYear = 1620.0;
constexpr double kDeltaTRowsPerYear = 0.2;
// The table is interpolated only where a row exists on each side of the nearest
// one; outside it the parabola below takes over.
constexpr double kDeltaTTableStart = 1622.5;
constexpr double kDeltaTTableEnd = 2017.5;
// Beyond the last observed row, ahead in time: Espenak and Meeus' expression
// for 2050 to 2150 (seconds, u in centuries from 1820) with its correction
// that joins the long-term parabola at 2150, reached in a straight line from
// the last row's value at 2025.
constexpr double kDeltaTLastRowYear = 2025.0;
constexpr double kDeltaTLastRowValue = 69.2;
constexpr double kDeltaTForecastJoin = 2050.0;
double DeltaTForecast(double y) {
    const double u = (y - 1820.0) / 100.0;
    double longTerm = -20.0 + 32.0 * u * u;
    if (y < 2150.0) longTerm -= 0.5628 * (2150.0 - y);
    return longTerm;
}
// Long-term parabola in centuries from 1900 (minutes of time).
constexpr double kDeltaTParabolaEpoch = 1900.0;
constexpr double kDeltaTParabola0 = 0.41;
constexpr double kDeltaTParabola1 = 1.2053;
constexpr double kDeltaTParabola2 = 0.4992;
constexpr double kSecondsPerMinute = 60.0;

constexpr int kInvalidDateMessage = 525;

// Converts an integral-valued double to an integer type, saturating at the type's
// limits so that an absurd Julian date cannot make the conversion undefined.
template <typename Int> Int ToInteger(double value) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (value >= static_cast<double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(value);
}

std::int64_t FloorDivide(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0))) --quotient;
    return quotient;
}

double ReduceAngle(double angle) {
    double reduced = std::fmod(angle, kTwoPi);
    if (reduced < 0.0) reduced += kTwoPi;
    // A tiny negative angle comes back as exactly the full turn after the addition.
    if (reduced >= kTwoPi) reduced = 0.0;
    return reduced;
}

} // namespace

double JulianDateFromCalendar(std::int32_t year, std::int16_t month, double day, std::int16_t hour,
                              std::int16_t minute, double second, double timeZone,
                              std::int16_t calendar) {
    const double d =
        day + hour / kHoursPerDay + minute / kMinutesPerDay + second / kSecondsPerDay - timeZone;
    // 64-bit so that an extreme year typed by the user cannot overflow.
    std::int64_t y = year;
    std::int64_t m = month;
    if (m < 3) {
        y -= 1;
        m += 12;
    }
    // Days the Gregorian calendar has dropped up to this century. The divisions
    // round down: truncating toward zero would make -100, -200, -300, -500, ...
    // leap years in the proleptic Gregorian calendar and put every date from
    // their March to the next February one day late.
    std::int64_t b = 0;
    if (calendar == kCalendarGregorian) {
        const std::int64_t a = FloorDivide(y, 100);
        b = 2 - a + FloorDivide(a, 4);
    }
    return std::floor(kDaysPerJulianYear * static_cast<double>(y + 4716)) +
           std::floor(kMonthLength * static_cast<double>(m + 1)) + d + static_cast<double>(b) -
           kJulianDateOffset;
}

CalendarDateTime CalendarFromJulianDate(double jd, double timeZone, std::int16_t calendar) {
    const double j = jd + timeZone + 0.5;
    const double z = std::floor(j);
    const double f = j - z;
    double a = z;
    if (calendar == kCalendarGregorian) {
        // Rounded down for the same reason as in JulianDateFromCalendar: truncation
        // would turn March 1 of -1700, -2100, ... into a February 29.
        const double alpha = std::floor((z - kGregorianCenturyEpoch) / kDaysPerGregorianCentury);
        a = z + 1.0 + alpha - std::floor(alpha / 4.0);
    }
    const double b = a + kDayCountOffset;
    const double k = std::floor((b - kYearStartCorrection) / kDaysPerJulianYear);
    const double d = std::floor(kDaysPerJulianYear * k);
    const double e = std::trunc((b - d) / kMonthLength);

    CalendarDateTime result{};
    result.day = b - d - std::floor(kMonthLength * e) + f;
    result.month = ToInteger<std::int16_t>(e < 14.0 ? e - 1.0 : e - 13.0);
    result.year = ToInteger<std::int32_t>(result.month > 2 ? k - kJulianYearOffset
                                                           : k - (kJulianYearOffset - 1.0));
    // f is the fraction of the day itself, before it was added to the whole day,
    // so the clock time keeps every bit of it.
    result.hour = ToInteger<std::int16_t>(std::trunc(f * kHoursPerDay));
    result.minute = ToInteger<std::int16_t>(std::trunc(f * kMinutesPerDay - result.hour * 60.0));
    result.second = f * kSecondsPerDay - result.hour * 3600.0 - result.minute * 60.0;
    return result;
}

double JulianDateFromYear(double year) {
    return kJ2000 + (year - 2000.0) * kDaysPerJulianYear;
}

double YearFromJulianDate(double jd) {
    return 2000.0 + (jd - kJ2000) / kDaysPerJulianYear;
}

int DayOfWeek(double jd, double timeZone) {
    // Julian day 0 began on a Monday at noon.
    const double n = std::fmod(std::floor(jd + timeZone + 1.5), 7.0);
    if (!std::isfinite(n)) return 0;
    int w = static_cast<int>(n);
    // Before Julian day 0 the remainder is negative; the weekday still runs 0..6.
    if (w < 0) w += 7;
    return w;
}

bool IsDaylightSavingTime(double jd, double timeZone) {
    const std::int32_t year = CalendarFromJulianDate(jd, timeZone, kCalendarGregorian).year;
    // The weekdays are those of the local calendar: in a zone far from Greenwich
    // 02:00 local time falls on another day in Universal Time.
    double start = JulianDateFromCalendar(year, 4, 1.0, 2, 0, 0.0, timeZone, kCalendarGregorian);
    const int w = DayOfWeek(start, timeZone);
    if (w > 0) start += 7 - w;
    double end = JulianDateFromCalendar(year, 10, 31.0, 2, 0, 0.0, timeZone, kCalendarGregorian);
    end -= DayOfWeek(end, timeZone);
    return start < jd && jd < end;
}

double DeltaT(double jd) {
    const double y = 2000.0 + (jd - kJ2000) / kDaysPerJulianYear;
    if (kDeltaTTableStart < y && y < kDeltaTTableEnd) {
        // Three-row interpolation about the nearest row (Meeus, ch. 3).
        const int i = static_cast<int>(0.5 + (y - kDeltaTFirstYear) * kDeltaTRowsPerYear);
        const double a = static_cast<double>(kDeltaTTable[i].deltaT) - kDeltaTTable[i - 1].deltaT;
        const double b = static_cast<double>(kDeltaTTable[i + 1].deltaT) - kDeltaTTable[i].deltaT;
        const double n = (y - kDeltaTTable[i].year) * kDeltaTRowsPerYear;
        return kDeltaTTable[i].deltaT + (n / 2.0) * (a + b + n * (b - a));
    }
    if (y >= kDeltaTTableEnd) {
        if (y >= kDeltaTForecastJoin) return DeltaTForecast(y);
        // From the table's last interpolation (2017.5) to its last row (2025),
        // then straight on to where the forecast starts.
        if (y <= kDeltaTLastRowYear) {
            const double atEnd =
                DeltaT(kJ2000 + (kDeltaTTableEnd - 2000.0) * kDaysPerJulianYear - 1e-9);
            return atEnd + (kDeltaTLastRowValue - atEnd) * (y - kDeltaTTableEnd) /
                               (kDeltaTLastRowYear - kDeltaTTableEnd);
        }
        const double join = DeltaTForecast(kDeltaTForecastJoin);
        return kDeltaTLastRowValue + (join - kDeltaTLastRowValue) * (y - kDeltaTLastRowYear) /
                                         (kDeltaTForecastJoin - kDeltaTLastRowYear);
    }
    const double t = (y - kDeltaTParabolaEpoch) / 100.0;
    return kSecondsPerMinute * (kDeltaTParabola0 + kDeltaTParabola1 * t + kDeltaTParabola2 * t * t);
}

double LocalSiderealTime(double jd, double longitude) {
    const double jd0 = std::floor(jd - 0.5) + 0.5;
    const double t = (jd0 - kJ2000) / kDaysPerJulianCentury;
    double theta0 = (kGmstAt0h + kGmstPerCentury * t + kGmstPerCentury2 * t * t -
                     kGmstPerCentury3 * t * t * t) /
                    kSecondsPerDay;
    theta0 -= std::floor(theta0);
    return ReduceAngle(longitude + kTwoPi * (theta0 + (jd - jd0) * kSiderealPerSolarDay));
}

double CurrentJulianDate() {
    const auto now = std::chrono::system_clock::now();
    const auto whole = std::chrono::floor<std::chrono::seconds>(now);
    const double fraction = std::chrono::duration<double>(now - whole).count();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(whole);
    // Picks up a change of the computer's zone made while the program runs.
    tzset();
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return CurrentUniversalJulianDate();
    return JulianDateFromCalendar(local.tm_year + 1900, static_cast<std::int16_t>(local.tm_mon + 1),
                                  local.tm_mday, static_cast<std::int16_t>(local.tm_hour),
                                  static_cast<std::int16_t>(local.tm_min), local.tm_sec + fraction,
                                  0.0, kCalendarGregorian);
}

double CurrentUniversalJulianDate() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const double days = std::chrono::duration<double, std::ratio<86400>>(sinceEpoch).count();
    return kUnixEpochJulianDate + days;
}

std::string FormatDateTime(double jd, double timeZone, std::int16_t calendar) {
    CalendarDateTime t = CalendarFromJulianDate(jd, timeZone, calendar);
    // Seconds of 59.5 or more would be rounded to "60" by the format; they belong
    // to the next minute, so an instant just past that minute is shown instead.
    // A fixed half-second step is not enough: a Julian date of today resolves only
    // about 40 microseconds, so 21:59:59.99999 (as a whole 22:00 often comes out)
    // would land on 22:00:00.50001 and show a second late. A quarter second past
    // the minute is clear of both rounding edges.
    if (t.second >= kLastSecondShown) {
        jd += (60.0 - t.second + kQuarterSecond) / kSecondsPerDay;
        t = CalendarFromJulianDate(jd, timeZone, calendar);
    }
    char text[80];
    std::snprintf(text, sizeof text, "%ld/%02hd/%02.0f %02hd:%02hd:%02.0f",
                  static_cast<long>(t.year), t.month, std::floor(t.day), t.hour, t.minute,
                  t.second);
    return text;
}

bool IsSaneJulianDate(double jd) {
    return std::isfinite(jd) && std::fabs(jd - kJ2000) <= kJulianDateSpan;
}

bool ParseDateTime(const std::string& text, double timeZone, std::int16_t calendar, double* jd) {
    if (ReadDateTime(text, timeZone, calendar, jd)) return true;
    ReportMessage(kInvalidDateMessage, text.c_str());
    return false;
}

bool ReadDateTime(const std::string& text, double timeZone, std::int16_t calendar, double* jd) {
    long year = 0;
    short month = 0;
    double day = 0.0;
    short hour = 0;
    short minute = 0;
    double second = 0.0;
    // As "%ld/%hd/%lf%hd:%hd:%lf", but nothing may follow what was read.
    const char* at = text.c_str();
    int used = 0;
    bool ok = std::sscanf(at, "%ld/%hd/%lf%n", &year, &month, &day, &used) == 3;
    if (ok) {
        at += used;
        if (std::sscanf(at, "%hd%n", &hour, &used) == 1) {
            at += used;
            if (*at == ':' && std::sscanf(at + 1, "%hd%n", &minute, &used) == 1) {
                at += 1 + used;
                if (*at == ':' && std::sscanf(at + 1, "%lf%n", &second, &used) == 1) at += 1 + used;
            }
        }
        while (*at == ' ' || *at == '\t')
            ++at;
        ok = *at == '\0' && std::isfinite(day) && std::isfinite(second) &&
             std::labs(year) <= kLargestYear;
    }
    double result = 0.0;
    if (ok) {
        result = JulianDateFromCalendar(static_cast<std::int32_t>(year), month, day, hour, minute,
                                        second, timeZone, calendar);
        ok = IsSaneJulianDate(result);
    }
    if (!ok) return false;
    if (jd != nullptr) *jd = result;
    return true;
}

double EffectiveTimeZone(double jd, double timeZone, bool daylightSavings) {
    if (daylightSavings && IsDaylightSavingTime(jd, timeZone)) return timeZone + kOneHour;
    return timeZone;
}

double DynamicalJulianDate(double jd, bool dynamicTime) {
    if (dynamicTime) return jd;
    return jd + DeltaT(jd) / kSecondsPerDay;
}
