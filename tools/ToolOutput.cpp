// norvane-tool ephemeris: the Save Ephemeris dialog's file, written from the
// command line.

#include "tools/ToolCommands.h"

#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "output/EphemerisExport.h"
#include "shell/Platform.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kNoObjectString = 523;

// The second pair of columns is in the chart's coordinate system.
int ChartFrame() {
    return gChartView.coordinateSystem;
}

} // namespace

int ToolEphemeris(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
                  const ToolSearchOptions& dates, const std::string& name, const std::string& out) {
    StartHeadless(options);
    if (!OpenDatabase(false)) return kExitFailure;
    setCurrentFrameQuery(ChartFrame);
    bool ok = SetUpSettings(info);
    ObjectID id = 0;
    if (ok) {
        PrepareComputation();
        if (!FindNamedObject(name, id)) {
            ShowMessage(ButtonsOK, kNoObjectString, name.c_str());
            ok = false;
        }
    }
    // The dates are read as the dialog reads them, in the settings' zone.
    double start = 0.0, end = 0.0;
    ok = ok && ReadLocalDateTime(dates.from, &start) && ReadLocalDateTime(dates.to, &end) &&
         WriteEphemerisFile(id, start, end, dates.step, out);
    closeDatabase();
    return ok ? 0 : kExitFailure;
}
