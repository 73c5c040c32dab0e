#include "timecontrol/Animation.h"

AnimationState gAnimationState;

namespace {
constexpr double kDefaultTimeStep = 1.0; // days
constexpr double kJ2000 = 2451545.0;
} // namespace

void setAnimationStateDefaults() {
    gAnimationState.mode = kAnimationOff;
    gAnimationState.timeStep = kDefaultTimeStep;
    gAnimationState.baseTicks = 0;
    gAnimationState.baseJulianDate = kJ2000;
}
