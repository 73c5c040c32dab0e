#pragma once

// The Computation menu: where and when the sky is computed (Location, Here,
// Date & Time, Julian Date, Now), how precisely (Precision), and the search
// for the dates of a configuration of two objects (Find Configuration).

#include "astro/Types.h"

constexpr int kLocationTemplate = 259;
constexpr int kDateTimeTemplate = 260;
constexpr int kPrecisionTemplate = 261;
constexpr int kConfigurationTemplate = 266;

// Computation menu (261) items 1 Location, 2 Here, 4 Date & Time, 5 Julian
// Date, 6 Now, 8 Precision and 11 Find Configuration; returns 1.
int ComputationMenuCommand(int item);
bool ComputationMenuHandles(int item);

// The dialogs; true when closed with OK (Find Configuration: with Display).
bool RunLocationDialog();
bool RunDateTimeDialog();
bool RunPrecisionDialog();
bool RunConfigurationDialog();

// Now: the computer's clock, then the animation clock rebased.
void SetTimeToNow();

// Hooks installed above: the animation clock rebased after every change of
// the date, and the Select Object dialog (the chosen object, 0 when
// cancelled; nullptr: the Select... buttons are disabled).
void setClockRebaser(void (*rebase)());
void setComputationObjectChooser(ObjectID (*choose)());
