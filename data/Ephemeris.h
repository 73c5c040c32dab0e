#pragma once

// Rise, set and the physical ephemeris of objects at the current instant.

#include "astro/Physical.h"
#include "data/SkyObject.h"

struct RiseSet {
    double timeAngle;   // local time of day, radians; kNeverRises / kNeverSets
    double julianDate;  // of the event
    bool event;         // false when the object never rises or never sets
};

struct ObjectPositionResult {
    double rightAscension, declination;  // Equatorial frame of the epoch, radians
    double longitude, latitude;          // the chart's current frame (refraction applied)
    RiseSet rise, set;
};

// The chart's current coordinate system (frame code 1-4), which the chart
// owns; ObjectPosition gives lon and lat in it.
void setCurrentFrameQuery(int (*query)());
int CurrentFrame();

ObjectPositionResult ObjectPosition(SkyObject* object);

// The first estimate of rising (sign -1) or setting (+1) for a direction in
// the Equatorial frame; false when there is no event.
bool RiseSetTime(double rightAscension, double declination, int sign, RiseSet& result);

// Refines an estimate by recomputing the object at the estimated time.
void RefineRiseSet(SkyObject* object, int sign, RiseSet& result);
// The passes the latest refinement made (at most kRiseSetMaxPasses).
int RiseSetRefinementPasses();

// The last step of the solar-system pipeline: angular diameter, phase angle,
// bright-limb position angle and magnitude, stored in the record.
void ComputePhysical(SolarSystemObject* object, const Vector3& direction, const Vector3& position);

std::int16_t Magnitude(const SolarSystemObject* object, double delta, double r, double phase);

Orientation ObjectOrientation(SolarSystemObject* object);
