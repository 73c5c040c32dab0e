// norvane-tool settings: the settings the options describe, written as the
// program's File > Save Settings would write them.

#include "tools/ToolCommands.h"

#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "settings/Settings.h"

namespace {

constexpr int kExitFailure = 1;

} // namespace

int ToolSettings(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
                 const ToolRenderOptions& render, const std::string& out) {
    StartHeadless(options);
    // The database is open so that the object names of the file are found.
    if (!OpenDatabase(false)) return kExitFailure;
    bool written = SetUpSettings(info);
    if (written) {
        ApplyRenderOptions(render);
        // What was read is written back as it was read: only an option that
        // changes the time, place or computation brings the viewer's offset
        // and the equinox of the date up to date.
        if (ChangesComputation(info)) PrepareComputation();
        written = saveSettingsFile(out);
    }
    closeDatabase();
    return written ? 0 : kExitFailure;
}
