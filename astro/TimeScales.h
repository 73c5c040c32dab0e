#pragma once

// Conversions between the time forms the program uses: calendar date and clock
// time, Julian date, decimal year, Universal and Dynamic Time, standard and
// daylight-saving local time, and mean local sidereal time. Everything inside the
// program keeps time as a Julian date; calendars appear only where people read or
// type a date.
//
// Time zones are in days, local standard time minus Universal Time, east positive.

#include <cstdint>
#include <string>

// Calendar codes as stored in the settings file. Only the Gregorian code changes
// the date arithmetic; Islamic and Indian are kept and written back but are
// computed with the Julian rule.
constexpr std::int16_t kCalendarJulian = 0;
constexpr std::int16_t kCalendarGregorian = 1;
constexpr std::int16_t kCalendarIslamic = 2;
constexpr std::int16_t kCalendarIndian = 3;

struct CalendarDateTime {
    std::int32_t year;  // astronomical numbering: 0 is 1 BC, -1 is 2 BC
    std::int16_t month; // 1 to 12
    double day;         // day of the month with the fraction of the day
    std::int16_t hour;
    std::int16_t minute;
    double second;
};

// Julian date of a local date and time. The day may carry a fraction; hour, minute
// and second add to it. Out-of-range fields are carried through the arithmetic.
double JulianDateFromCalendar(std::int32_t year, std::int16_t month, double day, std::int16_t hour,
                              std::int16_t minute, double second, double timeZone,
                              std::int16_t calendar);

// Local calendar date and time of a Julian date.
CalendarDateTime CalendarFromJulianDate(double jd, double timeZone, std::int16_t calendar);

// Decimal years of exactly 365.25 days counted from J2000.0.
double JulianDateFromYear(double year);
double YearFromJulianDate(double jd);

// Local day of the week, 0 = Sunday to 6 = Saturday.
int DayOfWeek(double jd, double timeZone);

// Whether the instant falls inside daylight-saving time by the United States rule
// in force before 2007 (first Sunday of April to last Sunday of October, 02:00
// local standard time), both bounds exclusive.
bool IsDaylightSavingTime(double jd, double timeZone);

// Dynamic Time minus Universal Time, in seconds, for a Julian date.
double DeltaT(double jd);

// Mean local sidereal time, radians in [0, 2 pi), for a Universal Time Julian date
// and an east longitude in radians.
double LocalSiderealTime(double jd, double longitude);

// The computer's local clock read as a Julian date with time zone 0 (local civil
// time, not Universal Time).
double CurrentJulianDate();

// The computer's clock as a Universal Time Julian date. Unlike subtracting the
// site's zone from CurrentJulianDate, this is right whatever zone the site is in.
double CurrentUniversalJulianDate();

// The one text form of a date and time, "year/month/day hour:minute:second" with
// whole seconds, e.g. "2000/01/01 12:00:00".
std::string FormatDateTime(double jd, double timeZone, std::int16_t calendar);

// Instants the program keeps: within this many days of J2000 (some 270,000
// years either way), far beyond any theory's reach but within what the
// calendars and the date text can hold.
constexpr double kJulianDateSpan = 1.0e8;
// A finite Julian date within kJulianDateSpan of J2000.
bool IsSaneJulianDate(double jd);

// Reads a local date and time typed as "year/month/day hour:min:sec" or
// "year/month/decimal day"; fields after the day may be left out. On a text that
// does not give at least the year, month and day, that holds anything after
// them, a number that is not finite or an instant beyond IsSaneJulianDate, the
// user is told (message 525), false is returned and *jd is left as it was.
bool ParseDateTime(const std::string& text, double timeZone, std::int16_t calendar, double* jd);
// The same without telling the user.
bool ReadDateTime(const std::string& text, double timeZone, std::int16_t calendar, double* jd);

// The zone in force at the instant: the standard zone, plus one hour when the
// daylight-saving flag is set and the instant is inside the daylight-saving interval.
double EffectiveTimeZone(double jd, double timeZone, bool daylightSavings);

// Dynamical Julian date (JDE): the Julian date moved from Universal Time to Dynamic
// Time, unless it is already Dynamic Time.
double DynamicalJulianDate(double jd, bool dynamicTime);
