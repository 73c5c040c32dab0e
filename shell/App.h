#pragma once

#include "shell/Platform.h"

#include <vector>

// The application event handler: start-up, idle, foreground changes,
// documents and quitting.
long HandleAppEvent(int event, WindowRef window, long arg1, long arg2);

// The start-up steps carried out by the last Startup, in the order they ran
// (steps whose subsystem is not part of the program yet are absent).
const std::vector<int>& StartupSteps();

// How long the splash stays up, at least (tests shorten it).
void SetSplashDuration(long milliseconds);

// Whether a telescope poll is due: more than 1000 / updatesPerSec
// milliseconds (integer division) since the last successful poll; never when
// updatesPerSec is 0 or less.
bool TelescopePollDue(long now, long lastPoll, int updatesPerSec);

// The idle pacing the program needs: 0 (every empty pass) while animation
// runs, a short interval while only a telescope is polled, -1 (no idle at
// all) otherwise, so that a quiet program does not spin a core.
int IdleIntervalWanted(bool animating, bool polling);

// Shows a message reported by the computation code.
void ShowReportedMessage(int stringNumber, const char* argument);
