#pragma once

// How precisely the sky is computed: which corrections apply and which
// theory places the planets. One program-wide record; the Precision dialog
// and the settings file edit it.

#include <cstdint>

enum PlanetComputation : std::uint8_t {
    kPlanetsElements = 1,
    kPlanetsVFP = 2,
    kPlanetsVSOP87 = 3,
};

struct ComputationOptions {
    bool starParallax;
    double starParallaxThreshold;  // AU: parallax applies while the viewer is farther from the Sun
    bool starMotion;
    double starMotionThreshold;    // days: motion applies farther than this from J2000
    std::uint8_t planetComputation;
    bool planetLightTime;
    double precessionEpoch;        // Julian date of the equinox of the chart's frames
    bool precession;               // the epoch follows the instant
    bool nutation;
    bool aberration;
    bool refraction;
    bool preciseRiseSet;
    double horizonAltitude;        // radians
};

extern ComputationOptions gComputationOptions;

void setComputationOptionsDefaults();
