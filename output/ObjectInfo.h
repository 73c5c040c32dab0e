#pragma once

// The lines of the Object Info report: what the Object Info window shows for
// one object, and what norvane-tool's info command prints. Each line is the
// text of one static control of the window (controls 7 to 21); the window
// puts them into its controls, the tool prints them.
//
// Texts are 8-bit Windows-1252 (the degree sign is the byte 0xB0).

#include "astro/Physical.h"
#include "astro/Types.h"
#include "shell/Platform.h"

#include <array>
#include <cstdint>
#include <string>

struct CatalogObject;
struct SkyObject;

// The static controls that carry the lines, by number.
constexpr int kInfoTypeLine = 7;
constexpr int kInfoRightAscensionLine = 8;
constexpr int kInfoDeclinationLine = 9;
constexpr int kInfoDistanceLine = 10;
constexpr int kInfoMagnitudeLine = 11;
constexpr int kInfoSizeLine = 12;
constexpr int kInfoRiseLine = 13;
constexpr int kInfoSetLine = 14;
constexpr int kInfoDetailLine1 = 15; // 15 to 19: catalogue data or physical ephemeris
constexpr int kInfoDetailLine5 = 19;
constexpr int kInfoFrameLongitudeLine = 20; // the chart's current coordinate system
constexpr int kInfoFrameLatitudeLine = 21;
constexpr int kInfoFirstLine = kInfoTypeLine;
constexpr int kInfoLastLine = kInfoFrameLatitudeLine;
constexpr int kInfoLineCount = kInfoLastLine - kInfoFirstLine + 1;

struct ObjectInfo {
    std::string name;        // the object's first name, painted above the lines
    std::string displayName; // the whole display name
    std::array<std::string, kInfoLineCount> lines; // controls 7 to 21

    // The text of control 7 to 21.
    std::string& line(int control) { return lines[control - kInfoFirstLine]; }
    const std::string& line(int control) const { return lines[control - kInfoFirstLine]; }
};

// Fills `info` for the object at the present instant (the driver's state of
// PrepareComputation, the chart's current coordinate system). Lines the
// object has no value for keep what they held, as the window's controls do:
// an unclear pair of rise and set times, and the catalogue or ephemeris
// lines of objects that are neither stars, deep-sky objects nor bodies of the
// solar system. False, with `info` untouched, when the id names no object.
bool FillObjectInfoLines(ObjectID id, ObjectInfo& info);

// The pieces of the report, each a plain function of its inputs.

// The first name: the first non-empty ";"-separated part of the display
// name, blanks removed; empty when there is none.
std::string ObjectFirstName(const SkyObject* object);

// "Type: %s" with the type's name.
std::string TypeLine(int type);

// The distance line for a distance in AU: km, AU, pc or Mpc by its size, or
// the bare label when the distance is unknown (not finite).
std::string DistanceLine(double distance);

// Rise and set lines from the two time angles (radians of local time of day,
// 0 on both: never rises, 2 pi on both: never sets). False, with the texts
// untouched, when the pair is neither of those nor a clear pair of times.
bool RiseSetLines(double rise, double set, std::string& riseText, std::string& setText);

// The magnitude text of the report and of the telescope window: m, the
// faintest magnitude m2 of a variable star and the companion's magnitude m3
// of a multiple star, all in hundredths, 32767 none; the form depends on the
// type code (52 multiple, 53 variable, 54 both, any other a single value).
std::string MagnitudeText(int type, int m, int m2, int m3);

// The magnitude text of a star or deep-sky object from its catalogue fields.
std::string CatalogMagnitudeText(const CatalogObject& object);

// The rates of R.A. and Dec. (radians per day) that an object's space motion
// gives at its catalogue position. The radial part of the motion, along the
// position, changes neither.
void ProperMotionRates(const CatalogObject& object, double* rightAscensionRate,
                       double* declinationRate);

// Controls 11, 12 and 15 to 19 of a star or deep-sky object.
void CatalogLines(const CatalogObject& object, ObjectInfo& info);

// The physical ephemeris of a solar-system body as the report shows it.
struct BodyEphemeris {
    std::int16_t magnitude;  // hundredths; 32767 none
    double diameter;         // radians
    double phaseAngle;       // radians
    double brightLimbAngle;  // position angle of the bright limb, radians
    Orientation orientation; // central meridian, sub-viewer latitude, pole angle
};

// Controls 11, 12 and 15 to 19 of a solar-system body.
void EphemerisLines(const BodyEphemeris& ephemeris, ObjectInfo& info);

// ---------------------------------------------------------------------------
// The Object Info window: the one modeless window describing the object last
// chosen, made hidden at start-up from its template and shown, filled and
// hidden as the choice changes. Its lines are the report lines above, so the
// window and norvane-tool's info never disagree.

constexpr int kObjectInfoTemplate = 512;
constexpr int kInfoCenterButton = 1; // the default button
constexpr int kInfoCloseButton = 2;
constexpr int kInfoEditButton = 3;
constexpr int kInfoTrailOnButton = 4;
constexpr int kInfoTrailOffButton = 5;
constexpr int kInfoNameArea = 6; // the name is painted along its bottom edge

// Makes the window, hidden, and connects it to the chart (clicks, Enter and
// Esc, recomputations, the chart's coordinate system). nullptr when the
// window can't be made; the program goes on without it.
WindowRef CreateObjectInfoWindow();
WindowRef ObjectInfoWindow();
// The object described; 0 none.
ObjectID InfoObject();
// Describes the object in the window (repainted when visible; the caller
// shows it). 0, or an id that names no object any more, hides the window.
void ShowObjectInfo(ObjectID id);
// Describes the object and shows the window; with `toFront`, activated too.
void PresentObjectInfo(ObjectID id, bool toFront);
// Writes every line, the name and the buttons' states for the object.
void FillObjectInfo(WindowRef window, ObjectID id);
// Refills the window for its object while it is visible (the numbers follow
// the time and the chart's coordinate system).
void RefreshInfoWindow();
// Hides the window (Close, the close box, File > Close Info Window).
void CloseObjectInfo();
// Told of every object the window is made to describe (the telescope's
// target follows the choice); nullptr: no one.
void setInfoObjectListener(void (*listener)(ObjectID));
// An object's name centred along the bottom of a dialog's static control, in
// the chart's font made bold (a Bayer letter drawn as the chart draws it).
void PaintObjectName(WindowRef window, int control, const std::string& name);
long ObjectInfoHandler(int event, WindowRef window, long a, long b);

// The object editor and the trail dialog open from the window's buttons;
// they return true when they changed something. Without one (nullptr) its
// button is greyed.
void setInfoEditHandler(bool (*editor)(ObjectID id));
void setInfoTrailEditor(bool (*editor)(ObjectID id));
