#pragma once

// The observer: where the sky is seen from and when.

#include "astro/Types.h"

#include <cstdint>

struct Viewer {
    char siteName[48];            // name of the observing site, at most 47 characters
    double longitude;             // radians, east positive
    double latitude;              // radians, north positive
    double altitude;              // metres above sea level
    double timeZone;              // days, local standard time minus Universal Time
    double julianDate;            // Universal Time, or Dynamic Time when dynamicTime is set
    std::int16_t calendar;        // kCalendarJulian, kCalendarGregorian, ...
    bool dynamicTime;             // julianDate is Terrestrial Dynamic Time
    bool daylightSavings;         // apply the automatic daylight-saving rule
    ObjectID viewerObject;        // 0: the Earth's surface at the site
    double viewerObjectOffset[3]; // AU, J2000 equatorial axes, from the viewer object
};

extern Viewer gViewer;

// Restores the start-up values: the Earth at longitude, latitude and altitude 0,
// zone 0, J2000.0, Gregorian calendar, Universal Time, daylight saving applied.
void setViewerDefaults();

// Copies the name, cut to the 47 characters the field holds.
void SetViewerSiteName(const char* name);

// The zone in force for the viewer at its Julian date, in days.
double ViewerEffectiveTimeZone();

// The user's own location, kept apart from the viewer's so that the viewer can
// be sent elsewhere and brought back ("Here").
struct HereLocation {
    char siteName[48];
    double longitude;
    double latitude;
    double altitude;
    double timeZone;
};

extern HereLocation gHere;

// Copies the viewer's site name, longitude, latitude, altitude and zone into Here.
void SaveViewerAsHere();
// Puts the Here location back into the viewer.
void RestoreViewerFromHere();

// The Julian date to store for the instant whose Universal Time is given: that
// date itself, or Dynamic Time when the viewer keeps its time in Dynamic Time.
double ViewerJulianDateFor(double universalJulianDate);

// Sets the viewer's time to now. The instant comes from the computer's UTC
// clock, so it is right whatever the site's zone; the zone and the
// daylight-saving flag only shape how the time is shown.
void SetViewerTimeToNow();
