#pragma once

// The telescope's windows: the Display and Target dialogs, the target and
// what it shows, the modeless control window of the go-to mounts and the
// alignment window of the encoder boxes.

#include "astro/Types.h"
#include "astro/Vectors.h"
#include "shell/Platform.h"

#include <string>

constexpr int kTelescopeDisplayTemplate = 270;
constexpr int kTelescopeTargetTemplate = 272;
constexpr int kTelescopeControlTemplate = 513;
constexpr int kTelescopeAlignmentTemplate = 514;

// The Display dialog (the fields drawn on the chart); true on OK.
bool RunTelescopeDisplayDialog();
long TelescopeDisplayHandler(int event, WindowRef dialog, long a, long b);
// The Target dialog: on OK the coordinates typed (chart epoch) become the
// target and the telescope goes there; true on OK.
bool RunTelescopeTargetDialog();
long TelescopeTargetHandler(int event, WindowRef dialog, long a, long b);

// A field size as the Display dialog shows it ("3 00 00.0", radians in) and
// reads it back: fields missing from `text` keep those of `previous`.
std::string FieldSizeText(double radians);
double ReadFieldSize(const std::string& text, double previous);

// Makes an object (its place now) or, with 0, bare J2000.0 coordinates the
// target, and shows it in the telescope's window.
void SetTarget(ObjectID object, double ra, double dec);
// After each recomputation: an object target follows its object, and with
// Track Moving Targets the telescope follows it too.
void RefreshTarget();
// The target's name, magnitude and size texts as the window shows them.
struct TargetTexts {
    std::string name, magnitude, size;
};
const TargetTexts& CurrentTargetTexts();

// The chart's choices while connected: an object described in the Object
// Info window, a point double-clicked on the sky.
void TargetChosenObject(ObjectID object);
void TargetChosenPoint(const Vector3& direction);

// The window of the link: the control window (template 513), or the
// alignment window (514) for an encoder box. Made on connecting, gone on
// disconnecting; the menu hides and shows it.
void OpenTelescopeWindow();
void CloseTelescopeWindow();
WindowRef TelescopeWindow();
void ToggleTelescopeWindow();
// Writes the telescope's position into the window (each move it makes).
void ShowTelescopePosition();
long TelescopeControlHandler(int event, WindowRef window, long a, long b);
long TelescopeAlignmentHandler(int event, WindowRef window, long a, long b);
