#pragma once

// The computation driver: the shared state of one instant, prepared from the
// viewer and the computation options, and the lazy computation of objects
// against two stamps (one for stars and deep-sky objects, one for
// solar-system bodies).

#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/Vectors.h"
#include "data/SkyObject.h"

#include <cstdint>

// The state of the instant, read everywhere.
struct InstantState {
    double effectiveTimeZone;  // days
    double jde;                // dynamical Julian date
    double siderealTime;       // radians
    FrameMatrices frames;
    Vector3 viewerPosition;    // heliocentric, AU, J2000 equatorial
    double viewerSolarDistance;  // AU; +infinity when the viewer has no finite position
    Vector3 aberration;        // viewer velocity / c
    bool parallaxApplies;
    bool motionApplies;
    Vector3 sunDirection;      // unit vector from the viewer toward the Sun
    double sunAltitude;        // radians
    std::uint32_t fixedStamp;
    std::uint32_t solarStamp;
};

extern InstantState gInstant;

// Back to the start: stamps 1, nothing seen yet.
void setDriverDefaults();

void PrepareComputation();

// Computes the object when its stamp differs from its class's; true when it did.
bool EnsureComputed(SkyObject* object);
// Computes the object whatever its stamp.
void ForceCompute(SkyObject* object);

// The stored results (call EnsureComputed first).
void ObjectDirection(const SkyObject* object, Vector3& direction);
double ObjectDistance(const SkyObject* object);            // AU, +infinity when unknown
std::int16_t ObjectMagnitude(const SkyObject* object);     // hundredths
// Heliocentric position (AU) and its length; false when the object has none.
bool ObjectHeliocentricPosition(SkyObject* object, Vector3& position, double* distance);

// Stars and deep-sky objects.
void ComputeFixedObject(CatalogObject* object);
void FixedObjectHeliocentricPosition(const CatalogObject* object, Vector3& position,
                                     double* distance);

// Solar-system bodies.
void ComputeSolarSystemObject(SolarSystemObject* object);
// The body's heliocentric position at the current JDE (the dispatch by type
// and planet computation mode); false when no theory places it yet.
bool HeliocentricPosition(SolarSystemObject* object, Vector3& position, double* distance);
// The body whose position another's is relative to (its primary; the Earth
// for a Moon whose record names none); 0 for none.
ObjectID BodyPrimary(const SolarSystemObject* body);

// The computation context saved around work that moves the time.
struct ComputationContext {
    double julianDate;
    bool dynamicTime;
    double timeZone;
    bool daylightSavings;
    ObjectID viewerObject;
    double longitude, latitude, altitude;
    bool starMotion, starParallax;
    double starMotionThreshold, starParallaxThreshold;
    std::uint8_t planetComputation;
    bool planetLightTime;
    double precessionEpoch;
    bool precession, nutation, aberration, refraction;
    double horizonAltitude;
    bool preciseRiseSet;
    std::uint32_t solarStamp, fixedStamp;
};
void SaveContext(ComputationContext& context);
// Restores the context, prepares the instant again and puts the stamps back.
void RestoreContext(const ComputationContext& context);

// After a change of time, place, options or database: prepares the instant
// (advancing both stamps when forceAll) and asks the installed redraw hook
// to show the result (the chart, the Object Info window, the telescope).
void RecomputeAndRedraw(bool forceAll);
void setRedrawHandler(void (*handler)());
// Counts the recomputations that made every result stale (start-up, Recompute
// All, a change of the database): what is built from the store once and kept
// (the chart's list of bodies, constellation endpoints) is rebuilt when it moves.
std::uint32_t DataGeneration();
// Whether an animation runs (no busy cursor then); installed by the animation code.
void setAnimationRunningQuery(bool (*query)());
