#pragma once

// The animation clock: the mode (off, backward, forward) and the step by
// which the viewer's Julian date moves at each animation step. One
// program-wide record; the Animation menu and the settings file edit it.

#include <cstdint>

enum AnimationMode : std::int16_t {
    kAnimationOff = 1,
    kAnimationBackward = 2,
    kAnimationForward = 3,
};

struct AnimationState {
    std::int16_t mode;       // kAnimationOff, kAnimationBackward, kAnimationForward
    double timeStep;         // days per step; exactly 0 runs the clock in real time
    std::uint32_t baseTicks; // millisecond tick count when the clock was last based
    double baseJulianDate;   // the viewer's Julian date at that moment
};

extern AnimationState gAnimationState;

// The start-up values: off, one day a step, the clock based at tick 0 on J2000.0.
void setAnimationStateDefaults();
