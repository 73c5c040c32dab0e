// The chart's figures: drawing the default view, the whole sky, a narrow
// field on the Pleiades, a drag step and an animation step, each at 1600 x 1000 into an
// off-screen picture as RenderChart does, over a copy of the default
// database the build made. Nothing is shown.

#include "astro/ComputationOptions.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Render.h"
#include "chart/ViewCommands.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/Search.h"
#include "shell/Platform.h"
#include "timecontrol/Animation.h"

#include "bench/BenchRun.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1600, kHeight = 1000;
constexpr double kDegree = 0.01745329252;
// 2026 December 7, 0h UT, from 51.5 degrees north: a winter night.
constexpr double kNight = 2461381.5;
constexpr double kLatitude = 51.5 * kDegree;

bool OpenDatabaseCopy() {
    static bool tried = false, ready = false;
    if (tried) return ready;
    tried = true;
    std::error_code error;
    fs::copy(fs::path(NORVANE_PROGRAM_DIR) / "Database", fs::path(BenchScratch()) / "Database",
             fs::copy_options::recursive, error);
    if (error) return false;
    SetProgramDirectory(BenchScratch());
    if (!initObjectStore(memoryBudget())) return false;
    ready = openDefaultDatabase();
    return ready;
}

// The program's defaults at a fixed night and place.
void DefaultScene() {
    setViewerDefaults();
    setComputationOptionsDefaults();
    setDriverDefaults();
    setChartViewDefaults();
    setDisplayOptionsDefaults();
    gViewer.latitude = kLatitude;
    gViewer.julianDate = kNight;
    RecomputeAndRedraw(true);
}

// One RenderChart's worth: a new picture, the layers drawn into it.
void DrawOnce() {
    PictureRef picture = CreatePicture(kWidth, kHeight);
    BeginDrawing(SelectPicture(picture));
    DrawChart(Rect{0, 0, kWidth, kHeight});
    EndDrawing();
    DeletePicture(picture);
}

void Report(benchmark::State& state) {
    const DrawCounts& counts = LastDrawCounts();
    state.counters["stars"] = static_cast<double>(counts.stars);
    state.counters["deepSky"] = static_cast<double>(counts.deepSky);
    int loaded = 0;
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        if (const DatabaseFile* file = getFile(id); file != nullptr && isLoaded(file)) ++loaded;
    state.counters["filesLoaded"] = loaded;
}

bool Ready(benchmark::State& state) {
    if (OpenDatabaseCopy()) return true;
    state.SkipWithError("can't open a copy of the default database");
    return false;
}

// The default view: Horizon, Lambert, 180 degrees, default options.
void BM_RenderDefaultView(benchmark::State& state) {
    if (!Ready(state)) return;
    DefaultScene();
    DrawOnce();
    for (auto _ : state)
        DrawOnce();
    Report(state);
}
BENCHMARK(BM_RenderDefaultView)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole sky: Mollweide, 360 degrees, Equatorial, stars to 9.0 and every
// layer on.
void BM_RenderWholeSky(benchmark::State& state) {
    if (!Ready(state)) return;
    DefaultScene();
    gChartView.coordinateSystem = kEquatorial;
    gChartView.projection = kMollweide;
    gChartView.fieldWidth = kMaximumFieldWidth;
    gChartView.centerLatitude = 0.0;
    DisplayOptions& o = gDisplayOptions;
    o.faintestStarMagnitude = 900;
    o.showGridLines = true;
    o.showObjectLabels = true;
    o.showEquator = o.showEcliptic = o.showGalacticEquator = true;
    o.showHorizonMask = false;
    o.showLargeStars = o.showMultipleStars = o.showVariableStars = true;
    DrawOnce();
    for (auto _ : state)
        DrawOnce();
    Report(state);
}
BENCHMARK(BM_RenderWholeSky)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 2 degree field on M45, reached from the default view with automatic
// limits (the faintest stars about magnitude 11), Equatorial.
void BM_RenderPleiades(benchmark::State& state) {
    if (!Ready(state)) return;
    DefaultScene();
    unloadAll();
    gChartView.coordinateSystem = kEquatorial;
    gChartView.projection = kPlanar;
    gDisplayOptions.showHorizonMask = false;
    ObjectID m45 = 0;
    if (findObjectByName("M45", false, true, m45) != kStatusSuccess) {
        state.SkipWithError("no M45");
        return;
    }
    gChartView.centeredObject = m45;
    SetFieldWidth(2.0 * kDegree);
    DrawOnce();
    for (auto _ : state)
        DrawOnce();
    Report(state);
    state.counters["faintest"] = gDisplayOptions.faintestStarMagnitude / 100.0;
}
BENCHMARK(BM_RenderPleiades)->Unit(benchmark::kMillisecond)->UseRealTime();

// A drag step on the default view: the chart is drawn with the lighter
// settings of a drag (no boundaries or labels, limits a magnitude brighter)
// at a centre that moves a little each time.
void BM_DragDefaultView(benchmark::State& state) {
    if (!Ready(state)) return;
    DefaultScene();
    gDisplayOptions.showConstellationBoundaries = false;
    gDisplayOptions.showConstellationLabels = false;
    AdjustMagnitudeLimits(-100);
    for (auto _ : state) {
        gChartView.centerLongitude += 0.01;
        if (gChartView.centerLongitude > 6.28) gChartView.centerLongitude -= 6.28;
        DrawOnce();
    }
    Report(state);
}
BENCHMARK(BM_DragDefaultView)->Unit(benchmark::kMillisecond)->UseRealTime();

// One animation step of the default view: the time moves on a minute, the
// instant is prepared again (every body recomputed, the stars when their
// stamp moves) and the chart is drawn afresh, as each idle step of a running
// animation does.
void BM_AnimationStep(benchmark::State& state) {
    if (!Ready(state)) return;
    DefaultScene();
    constexpr double kMinute = 1.0 / 1440.0;
    DrawOnce();
    for (auto _ : state) {
        gViewer.julianDate += kMinute;
        RecomputeAndRedraw(false);
        DrawOnce();
    }
    Report(state);
}
BENCHMARK(BM_AnimationStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// One step of Animate Forward at "1 Day" on the default view, through the
// animation's own step: the date moves a day, the instant is prepared, every
// body recomputed and the chart drawn afresh by the redraw the step asks for.
void BM_AnimationDayStep(benchmark::State& state) {
    if (!Ready(state)) return;
    DefaultScene();
    setAnimationStateDefaults();
    SetTimeStep(1.0);
    SetAnimationMode(kAnimationForward);
    setRedrawHandler(DrawOnce);
    for (auto _ : state)
        AnimationStep();
    setRedrawHandler(nullptr);
    SetAnimationMode(kAnimationOff);
    Report(state);
}
BENCHMARK(BM_AnimationDayStep)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks("bench_chart", argc, argv, {});
}
