#include "telescope/TelescopeState.h"

TelescopeState gTelescopeState;

namespace {
// Degrees to radians as the settings file converts them, so that the
// default fields are written back as whole figures.
constexpr double kRadiansPerDegree = 0.017453292520882225;
constexpr std::int16_t kDefaultPort = 1;
constexpr std::int16_t kDefaultUpdatesPerSec = 4;
constexpr std::int32_t kDefaultEncoderSteps = 2160;
} // namespace

void setTelescopeStateDefaults() {
    TelescopeState& t = gTelescopeState;
    t = TelescopeState{};
    t.interface = kTelescopeLX200;
    t.mountType = kMountEquatorial;
    t.port = kDefaultPort;
    t.emulated = false;
    t.updatesPerSec = kDefaultUpdatesPerSec;
    t.lonEncoderSteps = kDefaultEncoderSteps;
    t.latEncoderSteps = kDefaultEncoderSteps;
    t.encodersSwapped = 0;
    t.connected = false;
    t.portHandle = -1;
    t.showFinderField = true;
    t.showEyepieceField = true;
    t.showCameraField = true;
    t.finderFieldWidth = 3.0 * kRadiansPerDegree;
    t.eyepieceFieldWidth = 1.0 * kRadiansPerDegree;
    t.cameraFieldWidth = 0.25 * kRadiansPerDegree;
    t.cameraFieldHeight = kRadiansPerDegree / 6.0;
}
