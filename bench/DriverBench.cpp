// The computation driver's figures: asking for a star that is already
// current, computing a star with space motion and aberration, preparing a new
// instant, and computing every body of the default catalogue (the Sun,
// planets and satellites, the comets and the asteroids) in the Elements mode
// after a time step.
//
// The catalogue is imported into a scratch directory that is removed at the
// end; nothing is shown.

#include "astro/ComputationOptions.h"
#include "astro/Viewer.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Import.h"
#include "data/ObjectStore.h"
#include "shell/Platform.h"

#include "bench/BenchRun.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kCreateDirectoryQuestion = 528;
constexpr std::int64_t kLargeMemoryLimit = std::int64_t{1} << 30;
constexpr double kUnitScale = 1073741824.0;
// A time step of the animation: a tenth of a day.
constexpr double kTimeStep = 0.1;
// 2020 January 1: motion applies with the default thousand-year threshold
// only when told to, aberration whenever it is on.
constexpr double kStartDate = 2458849.5;
constexpr int kStarCount = 1024;




// The Earth at a site in the Elements mode, as the program starts.
void StartInstant() {
    setViewerDefaults();
    setComputationOptionsDefaults();
    setDriverDefaults();
    gComputationOptions.planetComputation = kPlanetsElements;
    gViewer.latitude = 0.9;
    gViewer.longitude = 0.2;
    gViewer.julianDate = kStartDate;
}

// The solar-system files of the default catalogue, imported once.
struct Catalogue {
    bool tried = false;
    bool ready = false;
    std::vector<SkyObject*> bodies;
};
Catalogue gCatalogue;

bool OpenCatalogue() {
    if (gCatalogue.tried) return gCatalogue.ready;
    gCatalogue.tried = true;
    const std::string directory = BenchScratch() + "/catalog";
    std::error_code error;
    fs::create_directories(directory, error);
    SetProgramDirectory(directory);
    setObjectStoreDefaults();
    if (!initObjectStore(kLargeMemoryLimit) || !checkDatabaseDirectory()) return false;
    for (const char* name : {"SolarSystem.txt", "Comets.txt", "Asteroids.txt"}) {
        if (!importTextFile(std::string(NORVANE_SOURCE_DIR "/data/catalog/") + name)) return false;
    }
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id)) {
        SkyObject* object = getObject(id);
        if (object != nullptr && IsSolarSystemType(object->type))
            gCatalogue.bodies.push_back(object);
    }
    gCatalogue.ready = !gCatalogue.bodies.empty();
    return gCatalogue.ready;
}

// Stars in every direction, with proper motions of up to a second of arc a
// year and distances of a few parsecs to a few hundred.
std::vector<CatalogObject*> MakeStars() {
    std::vector<CatalogObject*> stars;
    for (int i = 0; i < kStarCount; ++i) {
        CatalogObject* star = NewCatalogObject(kTypeSingleStar);
        double z = 2.0 * (i + 0.5) / kStarCount - 1.0;
        double lon = 2.399963229728653 * i; // the golden angle
        double rho = std::sqrt(1.0 - z * z);
        double p[3] = {rho * std::cos(lon), rho * std::sin(lon), z};
        for (int c = 0; c < 3; ++c) {
            star->position[c] = static_cast<std::int32_t>(std::lround(p[c] * kUnitScale));
            star->motion[c] = static_cast<std::int32_t>((i * 37 + c * 11) % 29 - 14);
        }
        star->catalogDistance = static_cast<float>(1e6 + 1e5 * (i % 500));
        star->catalogMagnitude = static_cast<std::int16_t>(300 + i % 600);
        stars.push_back(star);
    }
    return stars;
}

void FreeStars(std::vector<CatalogObject*>& stars) {
    for (CatalogObject* star : stars)
        FreeObject(star);
    stars.clear();
}

// EnsureComputed on a star whose result is current: the stamp comparison.
void BM_EnsureComputedCurrentStar(benchmark::State& state) {
    StartInstant();
    PrepareComputation();
    std::vector<CatalogObject*> stars = MakeStars();
    for (CatalogObject* star : stars)
        EnsureComputed(star);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EnsureComputed(stars[next]));
        next = (next + 1) % stars.size();
    }
    FreeStars(stars);
}
BENCHMARK(BM_EnsureComputedCurrentStar);

// A star computed afresh with space motion and annual aberration (and
// parallax, when arg 1).
void BM_ComputeStarWithMotionAndAberration(benchmark::State& state) {
    StartInstant();
    gComputationOptions.starMotion = true;
    gComputationOptions.starMotionThreshold = 0.0;
    gComputationOptions.aberration = true;
    gComputationOptions.starParallax = state.range(0) != 0;
    gComputationOptions.starParallaxThreshold = 0.0;
    if (!OpenCatalogue()) {
        state.SkipWithError("can't import the solar-system catalogue");
        return;
    }
    PrepareComputation();
    std::vector<CatalogObject*> stars = MakeStars();
    std::size_t next = 0;
    for (auto _ : state) {
        ForceCompute(stars[next]);
        benchmark::DoNotOptimize(stars[next]->apparentDirection[0]);
        next = (next + 1) % stars.size();
    }
    FreeStars(stars);
}
BENCHMARK(BM_ComputeStarWithMotionAndAberration)->Arg(0)->Arg(1);

// PrepareComputation for a new instant, viewed from the Earth in the Elements
// mode with nutation and aberration.
void BM_PrepareComputationNewInstant(benchmark::State& state) {
    if (!OpenCatalogue()) {
        state.SkipWithError("can't import the solar-system catalogue");
        return;
    }
    StartInstant();
    gComputationOptions.nutation = true;
    gComputationOptions.aberration = true;
    PrepareComputation();
    for (auto _ : state) {
        gViewer.julianDate += kTimeStep;
        PrepareComputation();
        benchmark::DoNotOptimize(gInstant.viewerPosition[0]);
    }
}
BENCHMARK(BM_PrepareComputationNewInstant);

// Every body of the default catalogue after a time step: the step's
// PrepareComputation and one computation of each body (arg 1: with light time).
void BM_ComputeAllBodiesAfterTimeStep(benchmark::State& state) {
    if (!OpenCatalogue()) {
        state.SkipWithError("can't import the solar-system catalogue");
        return;
    }
    StartInstant();
    gComputationOptions.planetLightTime = state.range(0) != 0;
    PrepareComputation();
    std::int64_t computed = 0;
    for (auto _ : state) {
        gViewer.julianDate += kTimeStep;
        PrepareComputation();
        for (SkyObject* body : gCatalogue.bodies)
            computed += EnsureComputed(body) ? 1 : 0;
    }
    state.counters["bodies"] = static_cast<double>(gCatalogue.bodies.size());
    state.counters["computed/step"] =
        static_cast<double>(computed) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ComputeAllBodiesAfterTimeStep)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same step without the viewer's part of the pipeline (light time,
// aberration, size, phase and magnitude): the dispatch and the orbits alone.
void BM_HeliocentricPositionsOfAllBodies(benchmark::State& state) {
    if (!OpenCatalogue()) {
        state.SkipWithError("can't import the solar-system catalogue");
        return;
    }
    StartInstant();
    PrepareComputation();
    for (auto _ : state) {
        gViewer.julianDate += kTimeStep;
        PrepareComputation();
        for (SkyObject* body : gCatalogue.bodies) {
            Vector3 position;
            benchmark::DoNotOptimize(
                HeliocentricPosition(static_cast<SolarSystemObject*>(body), position, nullptr));
        }
    }
}
BENCHMARK(BM_HeliocentricPositionsOfAllBodies)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks("bench_driver", argc, argv, {kCreateDirectoryQuestion});
}
