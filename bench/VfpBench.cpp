// The low-precision theory: the Sun, Moon and nine planets for one instant,
// as the driver asks for them after a time step (each new instant rebuilds the
// frame matrix once), and single bodies with the longest and shortest tables.

#include "astro/PlanetTheories.h"
#include "astro/Precession.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kAllBodies[] = {1, 15, 2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr double kStep = 1.0 / 1440.0; // one minute

void BM_VfpAllBodiesOneInstant(benchmark::State& state) {
    double jde = 2460000.5;
    Vector3 position;
    for (auto _ : state) {
        jde += kStep;
        for (int type : kAllBodies) {
            VfpPosition(type, jde, position);
            benchmark::DoNotOptimize(position);
        }
    }
}
BENCHMARK(BM_VfpAllBodiesOneInstant);

void BM_VfpOneBody(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    double jde = 2460000.5;
    EclipticPlace place;
    for (auto _ : state) {
        jde += kStep;
        VfpEclipticPlace(type, jde, place);
        benchmark::DoNotOptimize(place);
    }
}
// Saturn (131 records), the Moon (123), Venus (11).
BENCHMARK(BM_VfpOneBody)->Arg(7)->Arg(15)->Arg(3);

} // namespace

BENCHMARK_MAIN();
