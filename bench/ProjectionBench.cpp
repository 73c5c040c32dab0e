// The forward projection, run once per drawn object and line segment: the
// fixed-point path of every projection on a 1000 x 700 chart, and the
// high-magnification path. Figures are projections per second.

#include "astro/Vectors.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Overlays.h"
#include "chart/Projection.h"
#include "data/Driver.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

struct Direction {
    std::int32_t v[3];
};

// Directions spread over the whole sphere, as the stars of a database are.
const std::vector<Direction>& Directions() {
    static const std::vector<Direction> directions = [] {
        std::vector<Direction> list(4096);
        std::mt19937 random(7);
        std::uniform_real_distribution<double> z(-1.0, 1.0), lon(0.0, 6.283185307);
        for (Direction& d : list) {
            Vector3 v;
            double lat = std::asin(z(random));
            SphericalToRectangular(lon(random), lat, 1.0, v);
            for (int i = 0; i < 3; ++i)
                d.v[i] = static_cast<std::int32_t>(v[i] * 1073741824.0);
        }
        return list;
    }();
    return directions;
}

void Prepare(int projection, double width) {
    setChartViewDefaults();
    setDisplayOptionsDefaults();
    gDisplayOptions.showChartLegend = false;
    BuildFrameMatrices(gInstant.frames, 2451545.0, false, 1.2, 0.8);
    gChartView.projection = static_cast<std::int16_t>(projection);
    gChartView.fieldWidth = width;
    gChartView.centerLongitude = 2.0;
    gChartView.centerLatitude = 0.6;
    gChartView.fieldRotation = 0.3;
    PrepareChartFrame(Rect{0, 0, 1000, 700}, ChartLegendHeight());
}

// state.range(0): projection; state.range(1): field width in arcminutes.
void BM_ProjectDirection(benchmark::State& state) {
    Prepare(static_cast<int>(state.range(0)), state.range(1) * 2.908882086657216e-4);
    const std::vector<Direction>& directions = Directions();
    std::int64_t visible = 0;
    for (auto _ : state) {
        for (const Direction& d : directions) {
            ProjectedPoint p = ProjectDirection(d.v);
            visible += p.visible + (p.x & 1);
        }
    }
    benchmark::DoNotOptimize(visible);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(directions.size()));
    state.SetLabel(gFrame.scale >= kHighMagnificationScale ? "double path" : "fixed-point path");
}

void BM_UnprojectPoint(benchmark::State& state) {
    Prepare(static_cast<int>(state.range(0)), 90 * 60 * 2.908882086657216e-4);
    Vector3 d;
    std::int64_t ok = 0;
    for (auto _ : state) {
        for (int y = 0; y < 700; y += 7)
            for (int x = 0; x < 1000; x += 10)
                ok += UnprojectPoint(x, y, d);
    }
    benchmark::DoNotOptimize(ok);
    state.SetItemsProcessed(state.iterations() * 100 * 100);
}

} // namespace

// Planar 90 degrees, Spherical 180, Lambert 180, Mercator and Mollweide 360,
// then Planar and Lambert at 1 degree (the double path).
BENCHMARK(BM_ProjectDirection)
    ->Args({kPlanar, 90 * 60})
    ->Args({kSpherical, 180 * 60})
    ->Args({kLambert, 180 * 60})
    ->Args({kMercator, 360 * 60})
    ->Args({kMollweide, 360 * 60})
    ->Args({kPlanar, 60})
    ->Args({kLambert, 60});
BENCHMARK(BM_UnprojectPoint)->DenseRange(kPlanar, kMollweide);

BENCHMARK_MAIN();
