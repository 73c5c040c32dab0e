#pragma once

// Changing the chart view: the field width with its projection switch, the
// centred object, the View menu and its submenus, the Field and Center
// Coordinates dialogs, and the scroll bars.

#include "astro/Types.h"
#include "shell/Platform.h"

#include <string>

constexpr int kFieldDialogTemplate = 258;
constexpr int kCenterCoordinatesTemplate = 257;

// Sets the field width, offering a wider projection when the current one
// can't show it (question 522; Cancel changes nothing), clamping to 1" and
// 360 degrees and moving the automatic magnitude limits; then re-renders.
void SetFieldWidth(double width);
// The same without the re-rendering; false when nothing changed (no number,
// or Cancel at the question).
bool ApplyFieldWidth(double width);

// A dialog field read for OK: one to `most` numbers (units, minutes, seconds)
// from `minimum` to `maximum`; otherwise the field is refused, message 548
// saying it takes `wanted`, and false (the caller keeps the dialog open).
bool ReadField(WindowRef dialog, int control, const char* field, int most, double minimum,
               double maximum, const char* wanted, double& value);

// Where scrolling and dragging stop short of the poles (radians), and a
// longitude brought into [0, 2 pi).
constexpr double kLatitudeLimit = 1.570796317;
double WrapLongitude(double longitude);

// Keeps an object at the centre (0: none). 1 when the view now centres on it,
// 0 when not (unknown object, or Cancel at the horizon-mask question 540).
int CenterOnObject(ObjectID id);

// View menu (259) and its submenus Center Planet (31), Center Horizon (32),
// Projection (33) and Coordinates (34). Returns 1.
int ViewMenuCommand(int menu, int item);
// Whether ViewMenuCommand acts on that item (for the command routes).
bool ViewMenuHandles(int menu, int item);

// The dialogs; true when closed with OK.
bool RunFieldDialog();
bool RunCenterCoordinatesDialog();

// Scroll bar positions from the view (after every rendering), and a scroll
// bar action (control 1 vertical, 2 horizontal; scroll codes of the platform).
void UpdateScrollBars();
void HandleScroll(int bar, int code);
// HandleScroll with the state of the Shift key given (it orbits the viewer
// round a centred object).
void ScrollChart(int bar, int code, bool shiftHeld);

// The shell, the Object Info window and the telescope sit above the chart, so
// the view commands reach them through hooks they install (nullptr: none).
// UpdateMenuState() of the shell:
void setMenuStateUpdater(void (*updater)());
// Refreshes the Object Info window after the chart's frame changed:
void setInfoRefresher(void (*refresher)());
// Turns the telescope's stay-centred mode off; true when it was on:
void setTelescopeStayCenteredClearer(bool (*clearer)());
// The Select Object dialog: the chosen object, 0 when cancelled:
void setObjectSelector(ObjectID (*selector)());

// Calls the installed hooks (for the other chart commands as well).
void RefreshMenuState();
void RefreshObjectInfo();
// Clears the telescope's stay-centred mode; the menus are refreshed when it
// was on. Returns whether it was on.
bool ClearTelescopeStayCentered();

// The automatic magnitude-limit step of a field change: 100 x log2(old / new)
// hundredths, rounded half away from zero (one halving: one magnitude
// fainter); 0 when either width is not a positive number.
int MagnitudeLimitStep(double oldWidth, double newWidth);

// Text of a projection's item in the Projection menu (the plain name while
// there is no menu).
std::string ProjectionName(int projection);
