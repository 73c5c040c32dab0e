#include "output/Printing.h"

#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Render.h"
#include "chart/ViewCommands.h"

namespace {

constexpr int kPrintBetterQuestion = 521;

void (*gPrintOverlay)(const Rect&) = nullptr;

} // namespace

void setPrintOverlay(void (*overlay)(const Rect& page)) {
    gPrintOverlay = overlay;
}

void printSetupCommand() {
    PrintSetupDialog();
}

void printChartCommand() {
    DisplayOptions& o = gDisplayOptions;
    const bool useColor = o.useColor;
    const std::int16_t sky = o.skyBackground;
    bool changed = false;
    if (o.useColor || o.skyBackground != kSkyWhite) {
        const int answer = ShowMessage(ButtonsYesNoCancel, kPrintBetterQuestion);
        if (answer == AnswerCancel) return;
        if (answer == AnswerYes) {
            o.useColor = false;
            o.skyBackground = kSkyWhite;
            changed = true;
            RefreshMenuState();
        }
    }
    int copies = 1;
    if (SurfaceRef printer = BeginPrintDocument(&copies)) {
        bool aborted = false;
        for (int copy = 0; copy < copies && !aborted; ++copy) {
            Rect page;
            // A page that can't be started is left blank.
            if (StartPrintPage(printer, &page)) {
                BeginDrawing(printer);
                DrawChart(page);
                if (gPrintOverlay != nullptr) gPrintOverlay(page);
                EndDrawing();
            }
            aborted = !EndPrintPage(printer) || PrintAborted();
        }
        EndPrintDocument(printer, aborted);
    }
    if (changed) {
        o.useColor = useColor;
        o.skyBackground = sky;
        RenderChart();
        ShowChart();
        RefreshMenuState();
    }
}
