// norvane-tool render: the chart drawn as the window would draw it, into a
// PNG, BMP, SVG, PDF or metafile; and pick: the object a click on that chart chooses.

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
#include "data/Search.h"
#include "resources/Menus.h"
#include "shell/Platform.h"
#include "timecontrol/Animation.h"
#include "timecontrol/Trails.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr int kExitFailure = 1;
constexpr int kTitleString = 268;
constexpr int kNoMatchString = 512; // "No matching object found!"
constexpr int kAnimationMenuNumber = 262;
// The tool's trails: a tick at every position and a date at every 10th, and
// room for the whole run.
constexpr std::int32_t kToolTrailPoints = 100;
constexpr std::int32_t kToolTrailDates = 10;

// The menu label without its '&', in lower case.
std::string PlainLabel(const char* label) {
    std::string plain;
    for (const char* c = label; *c != '\0'; ++c)
        if (*c != '&') plain += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    return plain;
}

// Creates the trails and runs the animation as the window's idle steps would;
// false (after a message) when a trail names no object.
bool Animate(const ToolRenderOptions& render) {
    const long steps = std::labs(render.steps);
    for (const std::string& name : render.trails) {
        ObjectID id = 0;
        if (findObjectByName(name, false, true, id) != kStatusSuccess) {
            PrintText(stderr, "norvane-tool: no object named \"%s\"\n", name.c_str());
            return false;
        }
        CreateTrail(id, kTrailInSky, std::max<std::int32_t>(kToolTrailPoints, steps), 1,
                    kToolTrailDates);
    }
    if (render.haveTimeStep) SetTimeStep(render.timeStep);
    SetAnimationMode(render.steps < 0 ? kAnimationBackward : kAnimationForward);
    // A step past the computable dates turns the animation off (and says so).
    for (long i = 0; i < steps && AnimationRunning(); ++i)
        AnimationStep();
    SetAnimationMode(kAnimationOff);
    return true;
}

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
    if (EndsWithIgnoringCase(render.out, ".svg") || EndsWithIgnoringCase(render.out, ".pdf") ||
        EndsWithIgnoringCase(render.out, ".wmf")) {
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
    setTrailLayer(DrawTrails);
    if (!Animate(render)) {
        closeDatabase();
        return false;
    }
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

bool ParseTimeStepOption(const char* text, double* days) {
    if (text == nullptr || *text == '\0') return false;
    const std::string wanted = PlainLabel(text);
    if (const MenuDef* menu = FindMenu(kAnimationMenuNumber)) {
        for (int i = 0; i < kTimeStepItems; ++i) {
            const char* label = menu->items[kFirstTimeStepItem - 1 + i].label;
            if (label != nullptr && PlainLabel(label) == wanted) {
                *days = kMenuTimeSteps[i];
                return true;
            }
        }
    }
    // Typed as the Set Time Step prompt takes it; it must start with the days.
    if (!std::isdigit(static_cast<unsigned char>(text[0])) && text[0] != '-') return false;
    *days = ParseTimeStep(text, 0.0);
    return std::isfinite(*days);
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
