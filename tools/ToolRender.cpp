// norvane-tool render: the chart drawn as the window would draw it, into a
// PNG, BMP or SVG file; and pick: the object a click on that chart chooses.

#include "tools/ToolCommands.h"

#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/Vectors.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Render.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "shell/Platform.h"

#include <cmath>
#include <string>

namespace {

constexpr int kExitFailure = 1;
constexpr int kTitleString = 268;
constexpr int kNoMatchString = 512; // "No matching object found!"

// The projection a field needs when none was asked for: the one the View
// menu would switch to, without asking.
std::int16_t ProjectionForField(std::int16_t projection, double width) {
    if (projection == kPlanar && width > kPlanarFieldLimit) projection = kSpherical;
    if (projection == kSpherical && width > kSphericalFieldLimit) projection = kLambert;
    if (projection == kLambert && width > kLambertFieldLimit) projection = kMercator;
    return projection;
}

int LoadedFiles() {
    int loaded = 0;
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        if (const DatabaseFile* file = getFile(id); file != nullptr && isLoaded(file)) ++loaded;
    return loaded;
}

bool Draw(const ToolRenderOptions& render) {
    Rect area{0, 0, render.width, render.height};
    if (EndsWithIgnoringCase(render.out, ".svg")) {
        SurfaceRef surface =
            CreateSvgSurface(render.out, render.width, render.height, LoadString(kTitleString));
        if (surface == nullptr) return false;
        BeginDrawing(surface);
        DrawChart(area);
        EndDrawing();
        return FinishSvgSurface(surface);
    }
    PictureRef picture = CreatePicture(render.width, render.height);
    if (picture == nullptr) return false;
    BeginDrawing(SelectPicture(picture));
    DrawChart(area);
    EndDrawing();
    bool saved = SavePicture(picture, render.out);
    DeletePicture(picture);
    return saved;
}

// The chart set up as render sets it up, after the options; false (after a
// message) when the database or the settings can't be read.
bool StartChart(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
                const ToolRenderOptions& render) {
    StartHeadless(options);
    if (!OpenDatabase(false)) return false;
    if (!SetUpSettings(info)) {
        closeDatabase();
        return false;
    }
    ApplyRenderOptions(render);
    RecomputeAndRedraw(true);
    return true;
}

} // namespace

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
    std::string tail(suffix);
    if (text.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = text[text.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

void ApplyRenderOptions(const ToolRenderOptions& render) {
    ChartView& view = gChartView;
    if (render.haveCenter) {
        view.centerLongitude = ReduceAngle(render.centerLongitude * kSettingsRadiansPerDegree);
        view.centerLatitude = render.centerLatitude * kSettingsRadiansPerDegree;
        // A centre given by hand is no longer held on an object.
        view.centeredObject = 0;
    }
    if (render.haveField) {
        double width = render.field * kSettingsRadiansPerDegree;
        if (width > kMaximumFieldWidth) width = kMaximumFieldWidth;
        if (width < kMinimumFieldWidth) width = kMinimumFieldWidth;
        view.fieldWidth = width;
    }
    if (render.projection != 0)
        view.projection = static_cast<std::int16_t>(render.projection);
    else if (render.haveField)
        view.projection = ProjectionForField(view.projection, view.fieldWidth);
    DisplayOptions& display = gDisplayOptions;
    if (render.haveFaintest)
        display.faintestStarMagnitude = static_cast<std::int16_t>(std::lround(render.faintest * 100.0));
    if (render.sky != 0) display.skyBackground = static_cast<std::int16_t>(render.sky);
    if (render.labels) display.showObjectLabels = true;
    if (render.grid) display.showGridLines = true;
    if (render.noMask) display.showHorizonMask = false;
}

int ToolRender(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
               const ToolRenderOptions& render) {
    if (!StartChart(options, info, render)) return kExitFailure;
    bool written = Draw(render);
    if (!written) {
        PrintText(stderr, "norvane-tool: can't write %s\n", render.out.c_str());
    } else {
        const DrawCounts& counts = LastDrawCounts();
        PrintText(stdout, "%ld stars, %ld deep-sky objects, %ld bodies drawn; %d files loaded\n",
                  counts.stars, counts.deepSky, counts.bodies, LoadedFiles());
    }
    closeDatabase();
    return written ? 0 : kExitFailure;
}

int ToolPick(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
             const ToolRenderOptions& render, int x, int y) {
    if (!StartChart(options, info, render)) return kExitFailure;
    // Hit tests measure against the last drawing, so the chart is drawn first.
    PictureRef picture = CreatePicture(render.width, render.height);
    ObjectID id = 0;
    if (picture != nullptr) {
        BeginDrawing(SelectPicture(picture));
        DrawChart(Rect{0, 0, render.width, render.height});
        EndDrawing();
        DeletePicture(picture);
        id = FindObjectAt(x, y, kClickTolerance);
    }
    if (id != 0)
        PrintObjectLine(id);
    else
        ShowMessage(ButtonsOK, kNoMatchString);
    closeDatabase();
    return id != 0 ? 0 : kExitFailure;
}
