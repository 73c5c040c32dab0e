// Earth satellites: reading a two-line element set and placing the new
// satellite once (what an import of a large element file costs per
// satellite, and what the first drawing of each adds), placing a satellite
// at the instant every other one shares, all of them for one instant, and one
// at a new instant each time (the frame matrix made afresh).
//
// The element sets are the default catalogue's; the store holds only the
// Earth they orbit, in a scratch database removed at the end.

#include "astro/TimeScales.h"
#include "data/DatabaseFiles.h"
#include "data/ObjectStore.h"
#include "data/Satellites.h"
#include "shell/Platform.h"

#include "bench/BenchRun.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kCreateDirectoryQuestion = 528;
constexpr std::int64_t kLargeMemoryLimit = std::int64_t{1} << 30;
// 2018 January 21, among the epochs of the catalogue's element sets.
constexpr double kInstant = 2458140.0;
// A time step of the animation: a tenth of a day.
constexpr double kTimeStep = 0.1;




struct ElementSet {
    std::string name, line1, line2;
};

struct Setting {
    bool tried = false;
    bool ready = false;
    std::vector<ElementSet> sets;
};
Setting gSetting;

std::vector<ElementSet> ReadElementSets(const std::string& path) {
    std::vector<ElementSet> sets;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        if (lines[i + 1].rfind("1 ", 0) == 0 && lines[i + 2].rfind("2 ", 0) == 0) {
            sets.push_back({lines[i], lines[i + 1], lines[i + 2]});
            i += 2;
        }
    }
    return sets;
}

// A database with the Earth in its custom file, and the element sets.
bool Prepare() {
    if (gSetting.tried) return gSetting.ready;
    gSetting.tried = true;
    SetProgramDirectory(BenchScratch());
    if (!initObjectStore(kLargeMemoryLimit) || !checkDatabaseDirectory()) return false;
    ObjectID custom = customFile();
    SolarSystemObject* earth = NewSolarSystemObject(kTypeEarth);
    if (custom == 0 || earth == nullptr) return false;
    earth->name = CopyText("Earth");
    if (addObject(earth, custom) == 0) return false;
    gSetting.sets =
        ReadElementSets(std::string(NORVANE_SOURCE_DIR) + "/data/catalog/Satellites.tle");
    gSetting.ready = !gSetting.sets.empty();
    return gSetting.ready;
}

void BM_ParseAndFirstPosition(benchmark::State& state) {
    if (!Prepare()) {
        state.SkipWithError("no element sets");
        return;
    }
    const double time = DynamicalJulianDate(kInstant, false);
    std::size_t k = 0;
    for (auto _ : state) {
        const ElementSet& set = gSetting.sets[k];
        if (++k == gSetting.sets.size()) k = 0;
        SkyObject* satellite = ParseTwoLineElements(set.name, set.line1, set.line2);
        Vector3 position;
        benchmark::DoNotOptimize(SatellitePosition(AsSolarSystem(satellite), time, position));
        benchmark::DoNotOptimize(position[0]);
        FreeObject(satellite);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseAndFirstPosition);

// Every satellite of the catalogue at one instant, as a chart draws them.
void BM_PositionAtSharedInstant(benchmark::State& state) {
    if (!Prepare()) {
        state.SkipWithError("no element sets");
        return;
    }
    std::vector<SkyObject*> satellites;
    for (const ElementSet& set : gSetting.sets)
        if (SkyObject* s = ParseTwoLineElements(set.name, set.line1, set.line2))
            satellites.push_back(s);
    const double time = DynamicalJulianDate(kInstant, false);
    std::size_t k = 0;
    for (auto _ : state) {
        Vector3 position;
        benchmark::DoNotOptimize(SatellitePosition(AsSolarSystem(satellites[k]), time, position));
        benchmark::DoNotOptimize(position[0]);
        if (++k == satellites.size()) k = 0;
    }
    for (SkyObject* s : satellites)
        FreeObject(s);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PositionAtSharedInstant);

// All satellites of the default catalogue placed for one instant: what a
// chart of the whole sky costs in them (each is set up and run by SGP4).
void BM_AllSatellitesAtOneInstant(benchmark::State& state) {
    if (!Prepare()) {
        state.SkipWithError("no element sets");
        return;
    }
    std::vector<SkyObject*> satellites;
    for (const ElementSet& set : gSetting.sets)
        if (SkyObject* s = ParseTwoLineElements(set.name, set.line1, set.line2))
            satellites.push_back(s);
    const double time = DynamicalJulianDate(kInstant, false);
    for (auto _ : state) {
        for (SkyObject* s : satellites) {
            Vector3 position;
            benchmark::DoNotOptimize(SatellitePosition(AsSolarSystem(s), time, position));
            benchmark::DoNotOptimize(position[0]);
        }
    }
    state.counters["satellites"] = static_cast<double>(satellites.size());
    for (SkyObject* s : satellites)
        FreeObject(s);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(satellites.size()));
}
BENCHMARK(BM_AllSatellitesAtOneInstant)->Unit(benchmark::kMillisecond);

// One satellite, a new instant each time.
void BM_PositionAtNewInstant(benchmark::State& state) {
    if (!Prepare()) {
        state.SkipWithError("no element sets");
        return;
    }
    const ElementSet& set = gSetting.sets.front();
    SkyObject* satellite = ParseTwoLineElements(set.name, set.line1, set.line2);
    double time = DynamicalJulianDate(kInstant, false);
    for (auto _ : state) {
        Vector3 position;
        time += kTimeStep;
        benchmark::DoNotOptimize(SatellitePosition(AsSolarSystem(satellite), time, position));
        benchmark::DoNotOptimize(position[0]);
    }
    FreeObject(satellite);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PositionAtNewInstant);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks("bench_satellites", argc, argv, {kCreateDirectoryQuestion});
}
