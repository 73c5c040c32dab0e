// norvane-tool telescope: one exchange with a mount through the program's
// own link, for scripts and for checking a mount from a terminal.

#include "tools/ToolCommands.h"

#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/Search.h"
#include "shell/Platform.h"
#include "telescope/Link.h"
#include "telescope/Telescope.h"
#include "telescope/TelescopeState.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kNoObjectString = 523;
constexpr double kToolDegreesPerRadian = 57.29577951308232;

int Usage(const std::string& message) {
    PrintText(stderr, "norvane-tool: %s (see norvane-tool --help)\n", message.c_str());
    return kExitUsage;
}

// "RA,DEC" in degrees.
bool ParseDegrees(const std::string& text, double& ra, double& dec) {
    char* end = nullptr;
    ra = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != ',') return false;
    const char* second = end + 1;
    dec = std::strtod(second, &end);
    return end != second && *end == '\0' && std::isfinite(ra) && std::fabs(dec) <= 90.0 &&
           ra >= 0.0 && ra < 360.0;
}

// A target by coordinates or by name: the object's place now, J2000.0.
bool TargetFor(const ToolDatabaseOptions& database, const ToolInfoOptions& info,
               const std::string& text, double& ra, double& dec) {
    if (ParseDegrees(text, ra, dec)) {
        ra /= kToolDegreesPerRadian;
        dec /= kToolDegreesPerRadian;
        return true;
    }
    if (!OpenDatabase(false) || !SetUpSettings(info)) return false;
    (void)database;
    PrepareComputation();
    ObjectID id = 0;
    if (findObjectByName(text, false, true, id) != kStatusSuccess &&
        findObjectByName(text, false, false, id) != kStatusSuccess) {
        ShowMessage(ButtonsOK, kNoObjectString, text.c_str());
        return false;
    }
    SkyObject* object = getObject(id);
    if (object == nullptr) return false;
    EnsureComputed(object);
    Vector3 v;
    ObjectDirection(object, v);
    double r;
    RectangularToSpherical(v, &ra, &dec, &r);
    return true;
}

int Direction(const std::string& word) {
    const char* const kWords[] = {"stop", "north", "east", "south", "west"};
    for (int i = 0; i < 5; ++i)
        if (word == kWords[i]) return i;
    return -1;
}

int Rate(const std::string& word) {
    const char* const kWords[] = {"slew", "find", "center", "guide"};
    for (int i = 0; i < 4; ++i)
        if (word == kWords[i]) return i + 1;
    return 0;
}

} // namespace

int ToolTelescope(const ToolDatabaseOptions& database, const ToolInfoOptions& info,
                  const ToolTelescopeOptions& scope, const std::vector<std::string>& arguments) {
    if (scope.device.empty() || scope.mount.empty())
        return Usage("telescope needs --device PATH and --mount WORD");
    int interface = TelescopeInterfaceNamed(scope.mount.c_str());
    if (interface == 0)
        return Usage("--mount needs LX200, MagellanI, MagellanII, Autostar, Ultima2000, NexStar, "
                     "AstroMaster, SkyWizard, NGCMax, SkyVector, BBox or QEICoordinate");
    const std::string command = arguments.empty() ? "" : arguments[0];
    const bool takesWord =
        command == "goto" || command == "sync" || command == "move" || command == "rate";
    const bool plain = command == "position" || command == "stop" || command == "set-site" ||
                       command == "set-time";
    if (!(takesWord && arguments.size() == 2) && !(plain && arguments.size() == 1))
        return Usage("telescope takes position, goto NAME|RA,DEC, sync NAME|RA,DEC, stop, "
                     "move north|east|south|west|stop, rate slew|find|center|guide, set-site "
                     "or set-time");
    if (command == "move" && Direction(arguments[1]) < 0)
        return Usage("move takes north, east, south, west or stop");
    if (command == "rate" && Rate(arguments[1]) == 0)
        return Usage("rate takes slew, find, center or guide");

    StartHeadless(database);
    double ra = 0.0, dec = 0.0;
    if ((command == "goto" || command == "sync") &&
        !TargetFor(database, info, arguments[1], ra, dec))
        return kExitFailure;
    if ((command == "set-site" || command == "set-time") && !SetUpSettings(info))
        return kExitFailure;

    setTelescopeStateDefaults();
    TelescopeState& t = gTelescopeState;
    t.interface = static_cast<std::int16_t>(interface);
    t.device = scope.device;
    SetLinkBaudOverride(scope.baud);
    if (!TelescopeConnect()) return kExitFailure;
    int done = 1;
    if (command == "goto" || command == "sync") {
        bool can = command == "goto" ? TelescopeCanGoTo() : TelescopeCanSync();
        done = can ? (command == "goto" ? TelescopeGoTo(ra, dec) : TelescopeSync(ra, dec)) : -1;
    } else if (command == "stop") {
        done = TelescopeCanMove() ? TelescopeMove(0, kMoveAll) : -1;
    } else if (command == "move") {
        int direction = Direction(arguments[1]);
        done = TelescopeCanMove() ? TelescopeMove(direction == 0 ? 0 : 1, direction) : -1;
    } else if (command == "rate") {
        done = TelescopeCanSetRate() ? TelescopeSetRate(Rate(arguments[1])) : -1;
    } else if (command == "set-site") {
        done = TelescopeSetSite(gViewer.longitude, gViewer.latitude, ViewerEffectiveTimeZone());
    } else if (command == "set-time") {
        double now = CurrentUniversalJulianDate();
        done = TelescopeSetTime(now,
                                EffectiveTimeZone(now, gViewer.timeZone, gViewer.daylightSavings));
    } else {
        PrintText(stdout, "%.6f %.6f\n", t.position[0] * kToolDegreesPerRadian,
                  t.position[1] * kToolDegreesPerRadian);
    }
    if (done < 0)
        PrintText(stderr, "norvane-tool: the %s can't %s\n",
                  LoadString(2500 + interface - 1).c_str(), command.c_str());
    TelescopeDisconnect();
    return done == 1 ? 0 : kExitFailure;
}
