#pragma once

// Object trails: the table of trails, each following one object and keeping
// its most recent positions, newest first. Only the definitions (object,
// type, capacity, tick and date intervals) are ever saved; the positions
// live in memory.

#include "astro/Types.h"

#include <cstdint>
#include <string>

enum TrailType : std::int32_t {
    kTrailInSpace = 1,              // physical positions in space
    kTrailInSky = 2,                // apparent directions against the fixed stars
    kTrailInCurrentCoordinates = 3, // apparent directions in the chart's coordinate system
};

// One recorded position: a vector and the time as the Julian date less 2451545.0.
struct TrailPoint {
    float x, y, z;
    float time;
};

struct Trail {
    ObjectID object;
    std::int32_t type;          // TrailType
    std::int32_t ticksInterval; // a tick at every n-th position; 0 none
    std::int32_t datesInterval; // a date at every n-th position; 0 none
    std::int32_t maxPoints;     // capacity, at least 1
    std::int32_t recorded;      // positions recorded since creation or the last reset
    TrailPoint* points;         // maxPoints entries, newest first
};

// Slot 0 is never used, so at most 255 trails exist.
constexpr int kTrailSlots = 256;

struct TrailTable {
    Trail* slots[kTrailSlots];
    int count; // occupied slots
};

extern TrailTable gTrailTable;

// Creates a trail in the lowest free slot after deleting any trail of the
// same object; its slot, or 0 when every slot is taken, maxPoints is below 1
// or memory runs out (nothing is reported).
int CreateTrail(ObjectID object, std::int32_t type, std::int32_t maxPoints,
                std::int32_t ticksInterval, std::int32_t datesInterval);
// Frees the trail and empties its slot; an empty or invalid slot is ignored.
void DeleteTrail(int slot);
// The slot of the object's trail, or 0.
int FindTrail(ObjectID object);
// The trail in a slot, or nullptr.
Trail* GetTrail(int slot);
// Walks the trails in slot order; 0 ends the walk.
int FirstTrail();
int NextTrail(int slot);
// Forgets every trail's positions, keeping the trails.
void ResetAllTrails();
void DeleteAllTrails();
// The number of positions a trail holds: min(recorded, maxPoints).
std::int32_t TrailPointCount(const Trail* trail);

// Records a position of the trail's object for the instant just prepared
// (newest first; the oldest falls off a full trail). A trail whose object is
// gone is deleted instead.
void RecordTrailPoint(int slot);
// The chart's trail layer: every trail's path in slot order, with tick marks
// and date labels; 1, or -8 when Esc stopped it.
int DrawTrails();
// The date a trail's label shows for a point's time (Julian date - J2000.0),
// in the viewer's zone and calendar: "2026/12/07".
std::string TrailDateText(float time);

// What the Edit Object Trail dialog offers for the next trail.
struct TrailDefaults {
    std::int32_t type;
    std::int32_t maxPoints;
    std::int32_t ticksInterval;
    std::int32_t datesInterval;
};
extern TrailDefaults gTrailDefaults;
void setTrailDefaults();

// The Edit Object Trail dialog for one object; on OK its values become the
// defaults and the trail is created. The trail's slot, or 0.
int EditObjectTrail(ObjectID object);
bool HasTrail(ObjectID object);
// The Object Info window's Trail buttons: an object with a trail loses it,
// one without gets the dialog; the chart is redrawn either way. Whether the
// object has a trail afterwards.
bool ToggleTrail(ObjectID object);

// Animation > Trail For... asks the user for an object with this chooser (the
// Select Object dialog); without one the item is greyed. 0 means cancelled.
void setTrailObjectChooser(ObjectID (*chooser)());
bool TrailForAvailable();
void TrailForCommand();

constexpr int kTrailTemplate = 265;
