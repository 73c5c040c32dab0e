#pragma once

// Ephemeris export: a tab-separated table of one object's place and physical
// data over a range of dates, as seen from the current site, written to a
// text file (File > Export > Ephemeris As Text, and norvane-tool ephemeris).
//
// Texts are 8-bit Windows-1252 (the degree sign is 0xB0, micro 0xB5); the
// file's lines end in CR LF.

#include "astro/Types.h"
#include "shell/Platform.h"

#include <string>

struct SkyObject;

constexpr int kSaveEphemerisTemplate = 267;
// Controls of the Save Ephemeris dialog.
constexpr int kEphemerisSaveButton = 1;
constexpr int kEphemerisCancelButton = 2;
constexpr int kEphemerisObjectName = 4;
constexpr int kEphemerisSelectButton = 5;
constexpr int kEphemerisStartText = 7;
constexpr int kEphemerisEndText = 9;
constexpr int kEphemerisStepText = 11;

// What the dialog remembers between uses (not saved in the settings).
struct EphemerisRequest {
    ObjectID object = 0;
    double start = 0.0; // Julian dates; a start of 0 is not set yet
    double end = 0.0;
    double step = 1.0; // days
    std::string path;  // the file chosen; empty none
};
extern EphemerisRequest gEphemerisRequest;
void setEphemerisDefaults();

// The title block: the object, where it is seen from, and (on the Earth)
// the site, its longitude, latitude, altitude and the zone in force at
// `start`. Lines end in '\n'.
std::string EphemerisHeader(const SkyObject* object, double start);
// The column headings of the object's table (the current instant's epoch and
// the chart's coordinate system), empty for objects that have no table.
std::string EphemerisHeadings(int type);
// The row of the object at the present instant (computed by the caller).
std::string EphemerisRow(SkyObject* object);

// Writes the ephemeris from start to end (local Julian dates of the viewer's
// time scale) by step, with the progress box; the computation context is put
// back afterwards. A cancelled run keeps the rows written so far. False, after
// a message, when the object is gone or the file can't be written (an old
// file of that name is then left as it was).
bool WriteEphemerisFile(ObjectID id, double start, double end, double step,
                        const std::string& path);

// A local date and time as the dialog reads it: in the viewer's zone and
// calendar, an hour earlier inside the daylight-saving interval when the
// viewer keeps it. False (after message 525) when it is no date.
bool ReadLocalDateTime(const std::string& text, double* jd);

// File > Export > Ephemeris As Text.
void exportEphemerisCommand();
long SaveEphemerisHandler(int event, WindowRef dialog, long control, long code);
