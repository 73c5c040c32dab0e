#include "astro/Viewer.h"

#include "astro/TimeScales.h"

#include <cstdio>

namespace {
// An unnamed site on the Earth at longitude, latitude and altitude 0, zone 0, at
// J2000.0, Gregorian calendar, Universal Time, with the daylight-saving rule on.
constexpr Viewer kViewerDefaults = {
    {}, 0.0, 0.0, 0.0, 0.0, 2451545.0, kCalendarGregorian, false, true, 0, {0.0, 0.0, 0.0}};
} // namespace

Viewer gViewer = kViewerDefaults;

void setViewerDefaults() {
    gViewer = kViewerDefaults;
}

void SetViewerSiteName(const char* name) {
    std::snprintf(gViewer.siteName, sizeof gViewer.siteName, "%s", name != nullptr ? name : "");
}

double ViewerEffectiveTimeZone() {
    // The rule's bounds are stated in local standard time, so the test takes the
    // standard zone, not the effective one it decides.
    return EffectiveTimeZone(gViewer.julianDate, gViewer.timeZone, gViewer.daylightSavings);
}

HereLocation gHere = {{}, 0.0, 0.0, 0.0, 0.0};

void SaveViewerAsHere() {
    std::snprintf(gHere.siteName, sizeof gHere.siteName, "%s", gViewer.siteName);
    gHere.longitude = gViewer.longitude;
    gHere.latitude = gViewer.latitude;
    gHere.altitude = gViewer.altitude;
    gHere.timeZone = gViewer.timeZone;
}

void RestoreViewerFromHere() {
    SetViewerSiteName(gHere.siteName);
    gViewer.longitude = gHere.longitude;
    gViewer.latitude = gHere.latitude;
    gViewer.altitude = gHere.altitude;
    gViewer.timeZone = gHere.timeZone;
}

double ViewerJulianDateFor(double universalJulianDate) {
    if (!gViewer.dynamicTime) return universalJulianDate;
    return universalJulianDate + DeltaT(universalJulianDate) / 86400.0;
}

void SetViewerTimeToNow() { gViewer.julianDate = ViewerJulianDateFor(CurrentUniversalJulianDate()); }
