#pragma once

// The animation clock: the mode (off, backward, forward) and the step by
// which the viewer's Julian date moves at each animation step. One
// program-wide record; the Animation menu and the settings file edit it.

#include <cstdint>
#include <string>

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

// Backward or Forward bases the clock on now and the viewer's date, even when
// the mode stays; a new mode is stored and the menus follow it.
void SetAnimationMode(std::int16_t mode);
// After any change of the viewer's date: the real-time clock counts on from
// the new date (SetAnimationMode with the mode in force).
void RebaseAnimationClock();
void SetTimeStep(double days);
// One step: the date moves by the step (or to the base plus the time passed,
// in real time), every trail records a point, and the sky is recomputed and
// redrawn. A step that would leave the dates the program can compute stops
// the animation with a message instead.
void AnimationStep();
bool AnimationRunning();

// The Animation menu (menu 262): its handler, whether an item has an action,
// and the check marks of the mode items 1 to 3 and the step items 9 to 18.
int AnimationMenuCommand(int item);
bool AnimationMenuHandles(int menu, int item);
bool AnimationItemChecked(int item);

// The step items' values in days, items 9 ("Real Time") to 18 ("10,000 Years").
constexpr int kFirstTimeStepItem = 9;
constexpr int kTimeStepItems = 10;
extern const double kMenuTimeSteps[kTimeStepItems];
// A step item is checked while the step is within one second of its value.
constexpr double kTimeStepCheckTolerance = 1.1574074074074073e-05;
// The step as the Set Time Step prompt shows it ("1  12:00:00"), and a reply
// read over it: fields that can't be read keep the values of `shown`.
std::string TimeStepText(double days);
double ParseTimeStep(const std::string& reply, double shown);

// The message shown when an animation reaches the end of the computable dates.
constexpr int kAnimationLimitMessage = 570;

// The millisecond clock the real-time animation reads (tests replace it;
// nullptr: the platform's tick count).
void setAnimationTickSource(long (*ticks)());
