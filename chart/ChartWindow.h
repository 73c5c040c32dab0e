#pragma once

#include "astro/Types.h"
#include "astro/Vectors.h"
#include "shell/Platform.h"

#include <string>

// The chart window: the program's main window, carrying the menu bar, the
// accelerators and the two scroll bars.

constexpr int kChartWindowClass = 100;
constexpr int kChartTitleString = 268;
constexpr int kChartMenu = 256;
constexpr int kVerticalScrollBar = 1;
constexpr int kHorizontalScrollBar = 2;

// Creates the chart window hidden, with its menus and scroll bars; nullptr on failure.
WindowRef CreateChartWindow();
WindowRef ChartWindow();

// Copies the chart's picture onto the window (rendering it again first when
// the screen's depth changed) and sets the scroll bars from the view.
void ShowChart();

long ChartWindowHandler(int event, WindowRef window, long a, long b);

// Puts the scroll bars along the right and bottom edges of the window.
void PlaceScrollBars(WindowRef window);

// Moves the chart so that the sky under the pixel (centre x - dx, centre y -
// dy) of the drawing area comes to the centre, and redraws; false (nothing
// changes) off the sky.
bool PanChart(int dx, int dy);
// PanChart's change of the chart centre without the redrawing: the centre's
// longitude moves by the part of the drag across its meridian and its
// latitude by the part along it, so a sideways drag keeps the latitude.
bool ShiftCenter(int dx, int dy);
// The mouse wheel: `notches` Zoom In steps (negative: Zoom Out) keeping the
// sky under (x, y) where it is (the centre, with a centred object); redraws.
// False when the field didn't change.
bool ZoomAbout(int x, int y, int notches);
// Re-centres on the sky under the pixel; false off the sky.
bool DoubleClickPoint(int x, int y);
// True between a press on the chart and its release.
bool DragInProgress();
// Shift+A (toward) and Shift+Z: the viewpoint slides along the line of sight
// to the centred object by a step of the scroll rate; false (nothing changes)
// without a centred object at a known distance.
bool SlideViewpoint(bool toward);

// Choosing objects with the mouse. The chart's own pixels are those of the
// last drawing (gFrame), so a click is measured against what the user sees.
constexpr int kClickTolerance = 3;     // pixels around a symbol that still pick it
constexpr int kStillOverTolerance = 5; // how far the cursor may stray and stay on it

// Whether the object as drawn now lies within `tolerance` pixels of (x, y):
// a diffuse nebula by its diamond, a galaxy by an ellipse half as tall as
// wide, everything else by its disc (a point for stars). False for an object
// the chart doesn't show (hidden kind, too faint, below the horizon mask).
bool HitTestObject(ObjectID id, int x, int y, int tolerance);
// The object under (x, y): the one in the Object Info window when it is hit,
// else the first hit in the database files the last drawing drew from, in
// file order and object order within each (the first, not the nearest); 0
// when none.
ObjectID FindObjectAt(int x, int y, int tolerance);
// Writes the object's name beside its symbol straight onto the window, where
// its label would go, over a patch of sky.
void ShowNameTag(ObjectID id);

// The Object Info window lives above the chart; the chart reaches it through
// these hooks (any of them nullptr: no window).
struct InfoWindowHooks {
    void (*show)(ObjectID id, bool toFront) = nullptr; // describe the object and show the window
    ObjectID (*object)() = nullptr;                    // the object described, 0 none
    WindowRef (*window)() = nullptr;                   // the window itself
};
void setInfoWindowHooks(const InfoWindowHooks& hooks);
// A double click on the sky hands its J2000 direction here before the chart
// is centred on it (the telescope takes it as its target); nullptr: no one.
void setSkyPointListener(void (*listener)(const Vector3& direction));
// Centres the chart on a J2000 direction (no object centred) and redraws.
void CenterChartOn(const Vector3& direction);

// The press that is going on: a drag of the chart, a click on an object
// (its name shown while the button is held over it), or a measurement from
// the press point (Mouse Coordinates on). What is pressed is decided at the
// press; the rest follows the platform's mouse events, so the window keeps
// painting and the release always arrives.
enum class PressKind { None, Drag, Click, Measure, FigureLine };
PressKind CurrentPress();

// The Mouse Coordinates readout for the pixel (x, y): its coordinates in the
// chart's system, and the separation and position angle from the pixel
// `from` (both 0 without one). Empty off the sky.
std::string ReadoutText(int x, int y, const Point* from);

// Constellation editing (Edit > Edit Constellations): a drag from one star or
// deep-sky object to another adds the figure line between them, or removes
// it when there is one.
bool EditingConstellations();
void SetEditingConstellations(bool on);
// Removes the line joining a and b (either way round) from whatever file
// holds it, or adds a figure line from a to b to the file that receives new
// objects. 1 changed; 0 not (a read-only file, after message 539; no memory).
int ToggleFigureLine(ObjectID a, ObjectID b);
