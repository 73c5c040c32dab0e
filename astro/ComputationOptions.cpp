#include "astro/ComputationOptions.h"

ComputationOptions gComputationOptions;

void setComputationOptionsDefaults() {
    gComputationOptions.starParallax = true;
    gComputationOptions.starParallaxThreshold = 1000.0;
    gComputationOptions.starMotion = true;
    gComputationOptions.starMotionThreshold = 365250.0;  // a thousand years
    gComputationOptions.planetComputation = kPlanetsVFP;
    gComputationOptions.planetLightTime = false;
    gComputationOptions.precessionEpoch = 2451545.0;
    gComputationOptions.precession = true;
    gComputationOptions.nutation = false;
    gComputationOptions.aberration = false;
    gComputationOptions.refraction = false;
    gComputationOptions.preciseRiseSet = true;
    gComputationOptions.horizonAltitude = 0.0;
}
