// The precise planet computation mode sums every term of VSOP87B (about 35,000
// cosines for the eight bodies) at each new instant and at each light-time
// pass: these figures show what one instant costs, in all and body by body.

#include "astro/PlanetTheories.h"
#include "astro/PlanetarySatellites.h"
#include "astro/Vsop87.h"

#include <benchmark/benchmark.h>

namespace {

// The Sun, the Moon, Mercury to Neptune with the Earth, and Pluto: what the
// driver asks for at one instant with the default catalogue.
constexpr int kAllBodies[] = {1, 15, 2, 3, 4, 5, 6, 7, 8, 9, 10};

void BM_Vsop87AllBodiesOneInstant(benchmark::State& state) {
    double jde = 2460000.5;
    for (auto _ : state) {
        // A new instant each time, as an animation step gives, so that no
        // cached matrix is reused.
        jde += 0.01;
        for (int type : kAllBodies) {
            Vector3 v;
            benchmark::DoNotOptimize(Vsop87Position(type, jde, v));
            benchmark::DoNotOptimize(v);
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Vsop87AllBodiesOneInstant)->Unit(benchmark::kMicrosecond);

void BM_Vsop87OneBody(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    double jde = 2460000.5;
    for (auto _ : state) {
        jde += 0.01;
        Vector3 v;
        benchmark::DoNotOptimize(Vsop87Position(type, jde, v));
        benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Vsop87OneBody)
    ->ArgName("type")
    ->DenseRange(2, 10)
    ->Arg(15)
    ->Unit(benchmark::kMicrosecond);

// The 23 planetary moons placed relative to their planets for one instant.
void BM_PlanetaryMoonsOneInstant(benchmark::State& state) {
    double jde = 2460000.5;
    for (auto _ : state) {
        jde += 0.01;
        for (int type = kFirstPlanetarySatellite; type <= kLastPlanetarySatellite; ++type) {
            Vector3 v;
            benchmark::DoNotOptimize(SatellitePositionRelative(type, jde, v));
            benchmark::DoNotOptimize(v);
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlanetaryMoonsOneInstant)->Unit(benchmark::kMicrosecond);

} // namespace
