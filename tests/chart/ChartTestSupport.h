#pragma once

// What the chart tests share: a fixture over the computation's scratch
// database with the chart view and the display options at their defaults,
// pictures to draw into and read back pixel by pixel, and directions in the
// store's 2^30 units.

#include "astro/Frames.h"
#include "astro/Vectors.h"
#include "chart/ChartView.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Projection.h"
#include "chart/Render.h"
#include "chart/ViewCommands.h"
#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"
#include "tests/data/ComputationTestBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace chart_test {

using namespace computation_test;

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{255, 255, 255};
constexpr RGBColor kInk{255, 200, 100};

inline std::string Show(RGBColor c) {
    return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " +
           std::to_string(c.blue) + ")";
}
inline bool NotBlack(RGBColor c) {
    return c != kBlack;
}

// A direction as the store keeps it (components truncated to 2^30 units);
// lon and lat in the given chart frame, J2000 when the frame is negative.
inline void Direction(double lon, double lat, std::int32_t out[3], int frame = -1) {
    Vector3 v;
    SphericalToRectangular(lon, lat, 1.0, v);
    if (frame >= 0) UntransformVector(*FrameMatrix(gInstant.frames, frame), v);
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<std::int32_t>(v[i] * kUnitVectorScale);
}

// Points "dx,dy dx,dy ..." from a symbol's centre.
inline std::vector<Point> Points(const char* text) {
    std::vector<Point> points;
    std::istringstream in(text);
    Point p;
    char comma;
    while (in >> p.x >> comma >> p.y)
        points.push_back(p);
    return points;
}

// A picture being drawn into; reading a pixel ends the drawing, Resume
// takes it up again. With ink, antialiased strokes in kInk as the chart
// draws its symbols.
class Canvas {
public:
    Canvas(int width, int height, bool ink = false)
        : width(width), height(height), picture_(CreatePicture(width, height)) {
        BeginDrawing(SelectPicture(picture_));
        if (ink) {
            SetAntialiasing(true);
            SetColor(kInk, 1, true);
        }
    }
    ~Canvas() {
        Finish();
        DeletePicture(picture_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    void Finish() {
        if (open_) EndDrawing();
        open_ = false;
    }
    void Resume() {
        if (!open_) BeginDrawing(SelectPicture(picture_));
        open_ = true;
    }
    RGBColor At(int x, int y) {
        Finish();
        return PicturePixel(picture_, x, y);
    }
    std::vector<RGBColor> All() {
        std::vector<RGBColor> pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(At(x, y));
        return pixels;
    }
    // Pixels of [x0, x1) x [y0, y1) that pass the test (x1, y1 < 0: to the edge).
    int Count(const std::function<bool(RGBColor)>& test, int x0 = 0, int y0 = 0, int x1 = -1,
              int y1 = -1) {
        int count = 0;
        for (int y = std::max(0, y0); y < (y1 < 0 ? height : std::min(y1, height)); ++y)
            for (int x = std::max(0, x0); x < (x1 < 0 ? width : std::min(x1, width)); ++x)
                if (test(At(x, y))) ++count;
        return count;
    }
    int CountOf(RGBColor color, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
        return Count([color](RGBColor c) { return c == color; }, x0, y0, x1, y1);
    }
    const int width, height;

private:
    PictureRef picture_;
    bool open_ = true;
};

// The whole chart drawn into a fresh picture of that size.
inline std::unique_ptr<Canvas> DrawnChart(int width, int height) {
    auto picture = std::make_unique<Canvas>(width, height);
    DrawChart(Rect{0, 0, width, height});
    picture->Finish();
    return picture;
}

class ChartTest : public ComputationTest {
protected:
    void SetUp() override {
        ComputationTest::SetUp();
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        gDisplayOptions.showChartLegend = false;
        gDisplayOptions.showHorizonMask = false;
    }
    void TearDown() override {
        picture.reset();
        NoteKey(VKEscape, false);
        SetRedrawCount(0);
        setMenuStateUpdater(nullptr);
        ResetPlatform(); // windows, dialogs, choosers, the screen depth, the responder
        SetMessageResponder([this](const MessageRecord&) {
            ++messages;
            return static_cast<int>(AnswerOK);
        });
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        RenderChart(); // puts a red screen away and forgets what it put aside
        setDisplayOptionsDefaults();
        gFrame = ProjectionFrame{};
        ComputationTest::TearDown();
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
    }

    void Draw(int width = 200, int height = 150) {
        picture.reset();
        picture = DrawnChart(width, height);
    }
    RGBColor At(int x, int y) const { return picture->At(x, y); }

    std::unique_ptr<Canvas> picture;
};

} // namespace chart_test
