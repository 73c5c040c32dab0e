// Every drawn star goes through a frame matrix and back to spherical
// coordinates, and every recomputation rebuilds the four frame matrices; these
// figures show what they cost.

#include "astro/ApparentPlace.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Precession.h"
#include "astro/Vectors.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

struct Direction {
    Vector3 v;
};

std::vector<Direction> RandomDirections(std::size_t count) {
    std::mt19937 random(1);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Direction> directions(count);
    for (Direction& d : directions)
        SphericalToRectangular(u(random) * 6.283185307179586, std::asin(2.0 * u(random) - 1.0), 1.0,
                               d.v);
    return directions;
}

void BM_TransformVectorAndRectangularToSpherical(benchmark::State& state) {
    FrameMatrices frames;
    BuildFrameMatrices(frames, 2460000.5, true, 1.3, 0.9);
    std::vector<Direction> directions = RandomDirections(4096);
    std::size_t i = 0;
    for (auto _ : state) {
        Vector3 v = {directions[i].v[0], directions[i].v[1], directions[i].v[2]};
        i = (i + 1) & 4095;
        TransformVector(frames.horizon, v);
        double lon, lat, r;
        RectangularToSpherical(v, &lon, &lat, &r);
        benchmark::DoNotOptimize(lon);
        benchmark::DoNotOptimize(lat);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TransformVectorAndRectangularToSpherical);

void BM_BuildFrameMatrices(benchmark::State& state) {
    FrameMatrices frames;
    double jd = 2460000.5;
    for (auto _ : state) {
        jd += 0.37;
        BuildFrameMatrices(frames, jd, true, 1.3, 0.9);
        benchmark::DoNotOptimize(frames);
    }
}
BENCHMARK(BM_BuildFrameMatrices);

void BM_ConvertFrame(benchmark::State& state) {
    FrameMatrices frames;
    BuildFrameMatrices(frames, 2460000.5, true, 1.3, 0.9);
    double lon = 0.1;
    for (auto _ : state) {
        lon += 0.001;
        double l = lon, b = 0.3;
        ConvertFrame(frames, kFrameEquatorial, kFrameGalactic, &l, &b);
        benchmark::DoNotOptimize(l);
        benchmark::DoNotOptimize(b);
    }
}
BENCHMARK(BM_ConvertFrame);

void BM_EarthVelocityAndAberrate(benchmark::State& state) {
    std::vector<Direction> directions = RandomDirections(4096);
    double jd = 2460000.5;
    std::size_t i = 0;
    for (auto _ : state) {
        jd += 0.37;
        Vector3 velocity;
        EarthVelocity(jd, velocity);
        for (double& c : velocity)
            c *= kLightTimePerAU;
        Vector3 v = {directions[i].v[0], directions[i].v[1], directions[i].v[2]};
        i = (i + 1) & 4095;
        Aberrate(v, velocity);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_EarthVelocityAndAberrate);

void BM_FormatCoordinates(benchmark::State& state) {
    std::string lon, lat;
    double ra = 0.1;
    for (auto _ : state) {
        ra += 0.001;
        FormatCoordinates(kFrameEquatorial, ra, -0.4, kCoordinateLabelledValues, kJ2000, lon, lat);
        benchmark::DoNotOptimize(lon.data());
        benchmark::DoNotOptimize(lat.data());
    }
}
BENCHMARK(BM_FormatCoordinates);

} // namespace
