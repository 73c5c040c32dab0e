// Time conversions run for every object on every animation step and for every
// line of an ephemeris; these figures show what they cost.

#include "astro/TimeScales.h"

#include <benchmark/benchmark.h>

namespace {

void BM_JulianDateFromCalendar(benchmark::State& state) {
    double day = 1.0;
    for (auto _ : state) {
        day = day >= 28.0 ? 1.0 : day + 1.0;
        benchmark::DoNotOptimize(
            JulianDateFromCalendar(2026, 12, day, 21, 30, 15.5, 1.0 / 24.0, kCalendarGregorian));
    }
}
BENCHMARK(BM_JulianDateFromCalendar);

void BM_CalendarFromJulianDate(benchmark::State& state) {
    double jd = 2461000.5;
    for (auto _ : state) {
        jd += 0.37;
        benchmark::DoNotOptimize(CalendarFromJulianDate(jd, 0.0, kCalendarGregorian));
    }
}
BENCHMARK(BM_CalendarFromJulianDate);

void BM_FormatDateTime(benchmark::State& state) {
    double jd = 2461000.5;
    for (auto _ : state) {
        jd += 0.37;
        benchmark::DoNotOptimize(FormatDateTime(jd, 0.0, kCalendarGregorian));
    }
}
BENCHMARK(BM_FormatDateTime);

void BM_ParseDateTime(benchmark::State& state) {
    double jd = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseDateTime("2026/12/06 21:30:15", 0.0, kCalendarGregorian, &jd));
    }
}
BENCHMARK(BM_ParseDateTime);

void BM_DeltaTAndSiderealTime(benchmark::State& state) {
    double jd = 2451545.0;
    for (auto _ : state) {
        jd += 1.7;
        benchmark::DoNotOptimize(DeltaT(jd) + LocalSiderealTime(jd, 0.4));
    }
}
BENCHMARK(BM_DeltaTAndSiderealTime);

} // namespace
