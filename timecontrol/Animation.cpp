#include "timecontrol/Animation.h"

#include "astro/CoordinateText.h"
#include "astro/TimeScales.h"
#include "astro/Viewer.h"
#include "chart/ViewCommands.h"
#include "data/Driver.h"
#include "shell/Platform.h"
#include "timecontrol/Trails.h"

#include <cmath>
#include <cstdio>

AnimationState gAnimationState;

const double kMenuTimeSteps[kTimeStepItems] = {
    0.0,                   // Real Time
    0.0006944444444444445, // 1 minute
    0.006944444444444444,  // 10 minutes
    0.041666666666666664,  // 1 hour
    1.0,                   // 1 day
    7.0,                   // 1 week
    30.0,                  // 1 month: always 30 days
    365.25,                // 1 year: always 365.25 days
    36525.0,               // 100 years
    3652500.0,             // 10,000 years
};

namespace {

constexpr double kDefaultTimeStep = 1.0; // days
constexpr double kJ2000 = 2451545.0;
constexpr double kDaysPerMillisecond = 1.1574074074074074e-08;
constexpr double kHoursPerDay = 24.0;
// The prompt shows the step to the second, after a quarter of a tenth of a
// second is added so that the truncated fields read as rounded ones.
constexpr double kTenthSecondsPerHour = 36000.0;
constexpr const char* kTimeStepFormat = "%ld  %02hd:%02hd:%02.0f";
constexpr const char* kTimeStepScan = "%ld %hd:%hd:%lf";
constexpr int kTimeStepPrompt = 515;

enum AnimationItem : int {
    kItemOff = 1,
    kItemBackward = 2,
    kItemForward = 3,
    kItemStepBackward = 5,
    kItemStepForward = 6,
    kItemSetTimeStep = 8,
    kItemRealTime = 9,
    kItemLastStep = 18,
    kItemTrailFor = 20,
    kItemResetTrails = 21,
    kItemDeleteTrails = 22,
};

long (*gTicks)() = nullptr;

std::uint32_t Ticks() {
    return static_cast<std::uint32_t>(gTicks != nullptr ? gTicks() : TickCount());
}

bool Running() {
    return gAnimationState.mode > kAnimationOff;
}

void SetTimeStepCommand() {
    const double shown = gAnimationState.timeStep;
    std::string text = TimeStepText(shown);
    if (Ask(LoadString(kTimeStepPrompt), text) != 1) return;
    const double step = ParseTimeStep(text, shown);
    // A step that is no number would make every date after it nonsense.
    if (std::isfinite(step)) SetTimeStep(step);
}

} // namespace

void setAnimationStateDefaults() {
    gAnimationState.mode = kAnimationOff;
    gAnimationState.timeStep = kDefaultTimeStep;
    gAnimationState.baseTicks = 0;
    gAnimationState.baseJulianDate = kJ2000;
    setAnimationRunningQuery(Running);
}

void SetAnimationMode(std::int16_t mode) {
    AnimationState& a = gAnimationState;
    if (mode == kAnimationBackward || mode == kAnimationForward) {
        // An Esc pressed before the animation began (closing a dialog, say)
        // must not stop it.
        if (a.mode == kAnimationOff) TakeKeyPress(VKEscape);
        a.baseTicks = Ticks();
        a.baseJulianDate = gViewer.julianDate;
        // Steps come with every empty pass of the message loop from now on;
        // the shell lets idle time go again once the animation is off.
        if (IdleInterval() != 0) SetIdleInterval(0);
    }
    if (mode != a.mode) {
        a.mode = mode;
        RefreshMenuState();
    }
}

void RebaseAnimationClock() {
    SetAnimationMode(gAnimationState.mode);
}

void SetTimeStep(double days) {
    gAnimationState.timeStep = days;
    RefreshMenuState();
}

bool AnimationRunning() {
    return Running();
}

void AnimationStep() {
    AnimationState& a = gAnimationState;
    double increment = a.timeStep;
    if (a.timeStep == 0.0) {
        // Real time: always the base plus the time passed, so the clock can't
        // drift by summing steps.
        gViewer.julianDate = a.baseJulianDate;
        const auto elapsed = static_cast<std::int32_t>(Ticks() - a.baseTicks);
        increment = elapsed * kDaysPerMillisecond;
    }
    if (a.mode == kAnimationOff) return;
    const double next = a.mode == kAnimationBackward ? gViewer.julianDate - increment
                                                     : gViewer.julianDate + increment;
    if (!IsSaneJulianDate(next)) {
        // Past what the calendars and theories can hold the chart would show
        // nonsense: stop on the last date that was drawn and say why.
        SetAnimationMode(kAnimationOff);
        const std::string date =
            FormatDateTime(gViewer.julianDate, gInstant.effectiveTimeZone, gViewer.calendar);
        ShowMessage(ButtonsOK, kAnimationLimitMessage, date.c_str());
        return;
    }
    gViewer.julianDate = next;
    // The trails record positions of the new instant, so it is prepared first.
    PrepareComputation();
    for (int slot = FirstTrail(); slot != 0; slot = NextTrail(slot))
        RecordTrailPoint(slot);
    RecomputeAndRedraw(false);
}

std::string TimeStepText(double days) {
    const long whole = static_cast<long>(days);
    const Sexagesimal hours =
        SplitRounded((days - static_cast<double>(whole)) * kHoursPerDay, kTenthSecondsPerHour);
    char text[64];
    std::snprintf(text, sizeof text, kTimeStepFormat, whole, hours.units, hours.minutes,
                  hours.seconds);
    return text;
}

double ParseTimeStep(const std::string& reply, double shown) {
    long days = 0;
    short hours = 0, minutes = 0;
    double seconds = 0.0;
    std::sscanf(TimeStepText(shown).c_str(), kTimeStepScan, &days, &hours, &minutes, &seconds);
    std::sscanf(reply.c_str(), kTimeStepScan, &days, &hours, &minutes, &seconds);
    return static_cast<double>(days) + hours / 24.0 + minutes / 1440.0 + seconds / 86400.0;
}

int AnimationMenuCommand(int item) {
    AnimationState& a = gAnimationState;
    switch (item) {
    case kItemOff:
    case kItemBackward:
    case kItemForward:
        SetAnimationMode(static_cast<std::int16_t>(item));
        break;
    case kItemStepBackward:
    case kItemStepForward: {
        // One step the chosen way; a running animation then goes on as before,
        // counting from where the step left the date.
        const std::int16_t kept = a.mode;
        SetAnimationMode(item == kItemStepBackward ? kAnimationBackward : kAnimationForward);
        AnimationStep();
        SetAnimationMode(kept);
        break;
    }
    case kItemSetTimeStep:
        SetTimeStepCommand();
        break;
    case kItemRealTime:
        SetTimeStep(0.0);
        RebaseAnimationClock();
        break;
    case kItemTrailFor:
        TrailForCommand();
        break;
    case kItemResetTrails:
        ResetAllTrails();
        RecomputeAndRedraw(false);
        break;
    case kItemDeleteTrails:
        DeleteAllTrails();
        RecomputeAndRedraw(false);
        break;
    default:
        if (item > kItemRealTime && item <= kItemLastStep)
            SetTimeStep(kMenuTimeSteps[item - kFirstTimeStepItem]);
        break;
    }
    return 1;
}

bool AnimationMenuHandles(int, int item) {
    if (item == kItemTrailFor) return TrailForAvailable();
    return (item >= kItemOff && item <= kItemForward) || item == kItemStepBackward ||
           item == kItemStepForward || (item >= kItemSetTimeStep && item <= kItemLastStep) ||
           item == kItemResetTrails || item == kItemDeleteTrails;
}

bool AnimationItemChecked(int item) {
    const AnimationState& a = gAnimationState;
    if (item >= kItemOff && item <= kItemForward) return item == a.mode;
    if (item < kFirstTimeStepItem || item > kItemLastStep) return false;
    return std::fabs(a.timeStep - kMenuTimeSteps[item - kFirstTimeStepItem]) <
           kTimeStepCheckTolerance;
}

void setAnimationTickSource(long (*ticks)()) {
    gTicks = ticks;
}
