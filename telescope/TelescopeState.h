#pragma once

// The telescope: which mount is driven over which port and how often it is
// polled, the encoder set-up, the link's live state, the emulated mount, the
// target, and the fields drawn on the chart. One program-wide record; the
// Telescope menu, its dialogs and the settings file edit it.

#include "astro/Types.h"

#include <cstdint>
#include <string>

// Mount families, as the settings file names them.
enum TelescopeInterface : std::int16_t {
    kTelescopeLX200 = 1,
    kTelescopeMagellanI = 2,
    kTelescopeMagellanII = 3,
    kTelescopeAutostar = 4,
    kTelescopeUltima2000 = 5,
    kTelescopeNexStar = 6,
    kTelescopeAstroMaster = 7,
    kTelescopeSkyWizard = 8,
    kTelescopeNGCMax = 9,
    kTelescopeSkyVector = 10,
    kTelescopeBBox = 11,
    kTelescopeQEICoordinate = 12,
};

enum TelescopeMountType : std::int16_t {
    kMountEquatorial = 1,
    kMountAltAzimuth = 2,
};

struct TelescopeState {
    // The connection.
    std::int16_t interface;       // TelescopeInterface
    std::int16_t mountType;       // TelescopeMountType, used by encoder alignment
    std::int16_t port;            // serial device number, 1 to 13, of older settings
    std::string device;           // the serial device's path; empty: the port's
    bool emulated;                // the built-in emulated telescope instead of the port
    std::int16_t updatesPerSec;   // polls per second; 0 stops polling
    std::int32_t lonEncoderSteps; // encoder counts per revolution, signed
    std::int32_t latEncoderSteps;
    std::int32_t encodersSwapped; // the encoder box reports the axes the other way round

    // The link while it runs.
    bool connected;              // the port is open and the last poll succeeded
    int portHandle;              // the open serial device, -1 when closed
    std::uint32_t lastPollTicks; // tick count of the last successful poll
    double position[2];          // last R.A. and Dec. read, radians, equinox J2000.0

    // The emulated telescope (equinox of date).
    double emuPosition[2];
    double emuTarget[2];
    std::int32_t emuMotion; // 0 none, 1 north, 2 east, 3 south, 4 west, 5 slewing
    double emuRate;         // radians per second
    std::uint32_t emuLastTicks;

    // The target and the chart.
    ObjectID targetObject;      // 0 when the target is bare coordinates
    double targetRA, targetDec; // radians, J2000.0
    bool showFields;
    bool stayCentred;
    bool trackMovingTargets;
    bool showFinderField;
    bool showEyepieceField;
    bool showCameraField;
    double finderFieldWidth; // radians
    double eyepieceFieldWidth;
    double cameraFieldWidth;
    double cameraFieldHeight;
    std::int16_t pressedArrow; // the direction button held down, 0 none
};

extern TelescopeState gTelescopeState;

// The start-up values: an LX200 on port 1 polled 4 times a second, not
// emulated, 2160-step encoders, disconnected; finder 3 degrees, eyepiece
// 1 degree, camera 15 by 10 arcminutes, all three fields shown.
void setTelescopeStateDefaults();
