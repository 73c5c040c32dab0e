#include "timecontrol/ComputationCommands.h"

#include "astro/ComputationOptions.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "chart/ViewCommands.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"
#include "timecontrol/Configuration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kComputationMenu = 261;
constexpr int kLocationItem = 1, kHereItem = 2, kDateTimeItem = 4, kJulianDateItem = 5,
              kNowItem = 6, kPrecisionItem = 8, kConfigurationItem = 11;

constexpr int kObjectNotSelectedString = 513;
constexpr int kJulianDatePromptString = 514;
constexpr int kReplaceLocationString = 520;
constexpr int kCannotAddString = 527;
constexpr int kReadOnlyString = 539;

constexpr double kHoursPerDay = 24.0;
constexpr double kRadiansPerDegree = 0.01745329252;
constexpr double kRadiansPerHour = 0.26179938781323336;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kKilometresPerAU = 149597870.0;
constexpr double kParsecsPerAU = 4.848136812202333e-06;
constexpr double kYearsPerDay = 0.0027378507871321013;
constexpr double kDaysPerYear = 365.25;

void (*gClockRebaser)() = nullptr;
ObjectID (*gObjectChooser)() = nullptr;

void RebaseClock() {
    if (gClockRebaser != nullptr) gClockRebaser();
}

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A number of a dialog field, refused (message 548, the dialog stays open)
// unless within [minimum, maximum].
bool ReadNumberField(WindowRef dialog, int control, const char* field, double minimum,
                     double maximum, double& value) {
    std::string wanted =
        "a number from " + Formatted("%g", minimum) + " to " + Formatted("%g", maximum);
    return ReadField(dialog, control, field, 1, minimum, maximum, wanted.c_str(), value);
}

// A local date and time of a field; message 525 and false when it can't be read.
bool ReadDateField(WindowRef dialog, int control, double& jd) {
    double zone = gViewer.timeZone;
    double read = 0.0;
    if (!ParseDateTime(GetItemText(dialog, control), zone, gViewer.calendar, &read)) return false;
    // A local date in summer is an hour ahead of the zone's standard time.
    if (gViewer.daylightSavings && IsDaylightSavingTime(read, zone)) read -= 1.0 / kHoursPerDay;
    jd = read;
    return true;
}

std::string LocalDateText(double jd) {
    return FormatDateTime(jd, EffectiveTimeZone(jd, gViewer.timeZone, gViewer.daylightSavings),
                          gViewer.calendar);
}

std::string ObjectNameOrNone(ObjectID id) {
    const SkyObject* object = id != 0 ? getObject(id) : nullptr;
    return object != nullptr ? DisplayName(object) : LoadString(kObjectNotSelectedString);
}

// ---------------------------------------------------------------------------
// Date & Time

constexpr int kDateText = 4, kZoneText = 6, kDaylightBox = 7, kJulianRadio = 9,
              kGregorianRadio = 10, kUniversalRadio = 12, kDynamicRadio = 13;

std::int16_t gDialogCalendar = kCalendarGregorian;

long DateTimeHandler(int event, WindowRef dialog, long control, long) {
    if (event == Create) {
        gDialogCalendar = gViewer.calendar;
        SetItemText(
            dialog, kDateText,
            FormatDateTime(gViewer.julianDate, ViewerEffectiveTimeZone(), gViewer.calendar));
        SetItemText(dialog, kZoneText, Formatted("%.1f", gViewer.timeZone * kHoursPerDay));
        CheckRadio(dialog, kJulianRadio, kGregorianRadio,
                   gViewer.calendar == kCalendarJulian ? kJulianRadio : kGregorianRadio);
        CheckRadio(dialog, kUniversalRadio, kDynamicRadio,
                   gViewer.dynamicTime ? kDynamicRadio : kUniversalRadio);
        SetItemValue(dialog, kDaylightBox, gViewer.daylightSavings ? 1 : 0);
        return 1;
    }
    if (event != ControlNotify) return 1;
    if (control == kJulianRadio || control == kGregorianRadio) {
        CheckRadio(dialog, kJulianRadio, kGregorianRadio, static_cast<int>(control));
        std::int16_t calendar = control == kJulianRadio ? kCalendarJulian : kCalendarGregorian;
        // The text is the same instant written in the other calendar; text
        // that can't be read is left alone.
        double jd = 0.0;
        if (calendar != gDialogCalendar &&
            ReadDateTime(GetItemText(dialog, kDateText), 0.0, gDialogCalendar, &jd))
            SetItemText(dialog, kDateText, FormatDateTime(jd, 0.0, calendar));
        gDialogCalendar = calendar;
    } else if (control == kUniversalRadio || control == kDynamicRadio) {
        CheckRadio(dialog, kUniversalRadio, kDynamicRadio, static_cast<int>(control));
    } else if (control == kOKButton) {
        double hours = 0.0, jd = 0.0;
        if (!ReadNumberField(dialog, kZoneText, "time zone", -14.0, 14.0, hours)) return 1;
        const double zone = hours / kHoursPerDay;
        const bool daylight = GetItemValue(dialog, kDaylightBox) != 0;
        if (!ParseDateTime(GetItemText(dialog, kDateText), zone, gDialogCalendar, &jd)) return 1;
        if (daylight && IsDaylightSavingTime(jd, zone)) jd -= 1.0 / kHoursPerDay;
        gViewer.calendar = gDialogCalendar;
        gViewer.dynamicTime = GetItemValue(dialog, kDynamicRadio) != 0;
        gViewer.daylightSavings = daylight;
        gViewer.timeZone = zone;
        gViewer.julianDate = jd;
        EndDialogResult(1);
    } else if (control == kCancelButton) {
        EndDialogResult(0);
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Precision

constexpr int kParallaxBox = 4, kParallaxText = 6, kMotionBox = 8, kMotionText = 10,
              kElementsRadio = 13, kVsopRadio = 15, kLightTimeBox = 16, kAberrationBox = 18,
              kRefractionBox = 19, kFixedEpochRadio = 21, kCurrentEpochRadio = 22, kEpochText = 23,
              kNutationBox = 24, kHorizonText = 27, kPreciseBox = 28;

long PrecisionHandler(int event, WindowRef dialog, long control, long code) {
    ComputationOptions& o = gComputationOptions;
    if (event == Create) {
        SetItemValue(dialog, kParallaxBox, o.starParallax);
        SetItemText(dialog, kParallaxText, Formatted("%.1f", o.starParallaxThreshold));
        SetItemValue(dialog, kMotionBox, o.starMotion);
        SetItemText(dialog, kMotionText, Formatted("%.1f", o.starMotionThreshold * kYearsPerDay));
        CheckRadio(dialog, kElementsRadio, kVsopRadio,
                   kElementsRadio - 1 + std::clamp<int>(o.planetComputation, 1, 3));
        SetItemValue(dialog, kLightTimeBox, o.planetLightTime);
        SetItemValue(dialog, kAberrationBox, o.aberration);
        SetItemValue(dialog, kRefractionBox, o.refraction);
        CheckRadio(dialog, kFixedEpochRadio, kCurrentEpochRadio,
                   o.precession ? kCurrentEpochRadio : kFixedEpochRadio);
        SetItemText(dialog, kEpochText, Formatted("%.1f", YearFromJulianDate(o.precessionEpoch)));
        SetItemValue(dialog, kNutationBox, o.nutation);
        SetItemText(dialog, kHorizonText, Formatted("%.2f", o.horizonAltitude * kDegreesPerRadian));
        SetItemValue(dialog, kPreciseBox, o.preciseRiseSet);
        return 1;
    }
    if (event != ControlNotify) return 1;
    // Typing a threshold or an epoch turns on what it belongs to.
    if (code == NotifyEditChanged) {
        if (control == kParallaxText) SetItemValue(dialog, kParallaxBox, 1);
        if (control == kMotionText) SetItemValue(dialog, kMotionBox, 1);
        if (control == kEpochText)
            CheckRadio(dialog, kFixedEpochRadio, kCurrentEpochRadio, kFixedEpochRadio);
        return 1;
    }
    if (control >= kElementsRadio && control <= kVsopRadio) {
        CheckRadio(dialog, kElementsRadio, kVsopRadio, static_cast<int>(control));
    } else if (control == kFixedEpochRadio || control == kCurrentEpochRadio) {
        CheckRadio(dialog, kFixedEpochRadio, kCurrentEpochRadio, static_cast<int>(control));
    } else if (control == kOKButton) {
        double parallax = 0.0, motion = 0.0, year = 0.0, horizon = 0.0;
        if (!ReadNumberField(dialog, kParallaxText, "parallax threshold", 0.0, 1.0e9, parallax) ||
            !ReadNumberField(dialog, kMotionText, "proper motion threshold", 0.0, 1.0e6, motion) ||
            !ReadNumberField(dialog, kEpochText, "epoch", -100000.0, 100000.0, year) ||
            !ReadNumberField(dialog, kHorizonText, "horizon altitude", -90.0, 90.0, horizon))
            return 1;
        o.starParallax = GetItemValue(dialog, kParallaxBox) != 0;
        o.starParallaxThreshold = parallax;
        o.starMotion = GetItemValue(dialog, kMotionBox) != 0;
        o.starMotionThreshold = motion * kDaysPerYear;
        o.planetComputation = static_cast<std::uint8_t>(
            FirstCheckedRadio(dialog, kElementsRadio, kVsopRadio) - kElementsRadio + 1);
        o.planetLightTime = GetItemValue(dialog, kLightTimeBox) != 0;
        o.aberration = GetItemValue(dialog, kAberrationBox) != 0;
        o.refraction = GetItemValue(dialog, kRefractionBox) != 0;
        o.precession = GetItemValue(dialog, kCurrentEpochRadio) != 0;
        if (!o.precession) o.precessionEpoch = JulianDateFromYear(year);
        o.nutation = GetItemValue(dialog, kNutationBox) != 0;
        o.horizonAltitude = horizon * 0.017453292520882225;
        o.preciseRiseSet = GetItemValue(dialog, kPreciseBox) != 0;
        EndDialogResult(1);
    } else if (control == kCancelButton) {
        EndDialogResult(0);
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Location

constexpr int kEarthRadio = 3, kSiteNameText = 4, kLongitudeText = 6, kLatitudeText = 8,
              kAltitudeText = 10, kZoneFieldText = 12, kSiteList = 13, kAddButton = 14,
              kDeleteButton = 15, kHereButton = 16, kObjectRadio = 17, kObjectName = 18,
              kSelectButton = 19, kDistanceText = 21, kKilometresRadio = 22, kAURadio = 23,
              kParsecsRadio = 24, kOffsetRAText = 26, kOffsetDecText = 28;

struct LocationState {
    std::vector<ObjectID> sites; // the list's entries, in database order
    ObjectID object = 0;         // the object to view from
};
LocationState gLocation;

void FillSiteList(WindowRef dialog, const std::string& selected) {
    ListClear(dialog, kSiteList);
    gLocation.sites.clear();
    // The files holding sites are read in, wherever the chart has looked.
    for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId)) {
        DatabaseFile* file = getFile(fileId);
        if (file != nullptr && file->siteCount > 0 && !isLoaded(file)) loadFile(fileId);
    }
    int chosen = 0;
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id)) {
        const SiteObject* site = AsSite(getObject(id));
        if (site == nullptr) continue;
        std::string name = site->name ? site->name.get() : "";
        gLocation.sites.push_back(id);
        ListAddText(dialog, kSiteList, name);
        if (chosen == 0 && name == selected) chosen = static_cast<int>(gLocation.sites.size());
    }
    if (chosen > 0) SetItemValue(dialog, kSiteList, chosen);
}

void FillEarthFields(WindowRef dialog, const std::string& name, double longitude, double latitude,
                     double altitude, double zone) {
    SetItemText(dialog, kSiteNameText, name);
    SetItemText(dialog, kLongitudeText, FormatSignedDMS(longitude * kDegreesPerRadian));
    SetItemText(dialog, kLatitudeText, FormatSignedDMS(latitude * kDegreesPerRadian));
    SetItemText(dialog, kAltitudeText, Formatted("%.1f", altitude));
    SetItemText(dialog, kZoneFieldText, Formatted("%+.1f", zone * kHoursPerDay));
}

struct EarthFields {
    std::string name;
    double longitude = 0.0, latitude = 0.0, altitude = 0.0, zone = 0.0; // radians, m, days
};

bool ReadEarthFields(WindowRef dialog, EarthFields& f) {
    double lon = 0.0, lat = 0.0, hours = 0.0;
    f.name = GetItemText(dialog, kSiteNameText);
    if (!ReadField(dialog, kLongitudeText, "longitude", 3, -180.0, 180.0,
                   "degrees, minutes and seconds from -180 to +180", lon) ||
        !ReadField(dialog, kLatitudeText, "latitude", 3, -90.0, 90.0,
                   "degrees, minutes and seconds from -90 to +90", lat) ||
        !ReadNumberField(dialog, kAltitudeText, "altitude", -1000.0, 100000.0, f.altitude) ||
        !ReadNumberField(dialog, kZoneFieldText, "time zone", -14.0, 14.0, hours))
        return false;
    f.longitude = lon * kRadiansPerDegree;
    f.latitude = lat * kRadiansPerDegree;
    f.zone = hours / kHoursPerDay;
    return true;
}

void ShowObjectName(WindowRef dialog) {
    SetItemText(dialog, kObjectName, ObjectNameOrNone(gLocation.object));
}

// Stores the fields as a site of the list: a site of that name is replaced
// after the question, a new one goes to the file that receives new objects.
void AddSite(WindowRef dialog) {
    EarthFields f;
    if (!ReadEarthFields(dialog, f)) return;
    SiteObject* site = nullptr;
    for (ObjectID id : gLocation.sites) {
        SiteObject* s = AsSite(getObject(id));
        if (s != nullptr && s->name && f.name == s->name.get()) site = s;
    }
    if (site != nullptr &&
        ShowMessage(ButtonsOKCancel, kReplaceLocationString, f.name.c_str()) != AnswerOK)
        return;
    DatabaseFile* file = getFile(site != nullptr ? site->id : customFile());
    const ObjectID fileId = file != nullptr ? file->fileId : 0;
    if (file == nullptr || isReadOnly(file)) {
        ShowMessage(ButtonsOK, file == nullptr ? kCannotAddString : kReadOnlyString,
                    f.name.c_str());
        return;
    }
    if (site == nullptr) {
        SiteObject* fresh = NewSiteObject();
        if (fresh != nullptr) fresh->name = CopyText(f.name.c_str());
        ObjectID id = fresh != nullptr ? addObject(fresh, fileId) : 0;
        if (id == 0) {
            FreeObject(fresh);
            ShowMessage(ButtonsOK, kCannotAddString, f.name.c_str());
            return;
        }
        site = AsSite(getObject(id));
        if (site == nullptr) return;
    }
    site->longitude = static_cast<float>(f.longitude);
    site->latitude = static_cast<float>(f.latitude);
    site->altitude = static_cast<float>(f.altitude);
    site->timeZone = static_cast<float>(f.zone);
    setModified(file, true);
    writeDataFile(fileId);
    FillSiteList(dialog, f.name);
}

void DeleteSite(WindowRef dialog) {
    long chosen = GetItemValue(dialog, kSiteList);
    if (chosen < 1 || chosen > static_cast<long>(gLocation.sites.size())) return;
    ObjectID id = gLocation.sites[static_cast<std::size_t>(chosen - 1)];
    DatabaseFile* file = getFile(id);
    if (file == nullptr) return;
    const ObjectID fileId = file->fileId;
    if (isReadOnly(file)) {
        ShowMessage(ButtonsOK, kReadOnlyString);
        return;
    }
    FreeObject(removeObject(id));
    setModified(file, true);
    writeDataFile(fileId);
    FillSiteList(dialog, GetItemText(dialog, kSiteNameText));
}

long LocationHandler(int event, WindowRef dialog, long control, long code) {
    LocationState& s = gLocation;
    if (event == Create) {
        // A viewpoint deleted meanwhile is the Earth again.
        s.object = getObject(gViewer.viewerObject) != nullptr ? gViewer.viewerObject : 0;
        FillSiteList(dialog, gViewer.siteName);
        FillEarthFields(dialog, gViewer.siteName, gViewer.longitude, gViewer.latitude,
                        gViewer.altitude, gViewer.timeZone);
        Vector3 offset{gViewer.viewerObjectOffset[0], gViewer.viewerObjectOffset[1],
                       gViewer.viewerObjectOffset[2]};
        double ra = 0.0, dec = 0.0, distance = 0.0;
        RectangularToSpherical(offset, &ra, &dec, &distance);
        std::string raText, decText;
        FormatCoordinates(kFrameEquatorial, ra, dec, kCoordinateValues, kJ2000, raText, decText);
        SetItemText(dialog, kOffsetRAText, raText);
        SetItemText(dialog, kOffsetDecText, decText);
        int unit = distance < 0.1       ? kKilometresRadio
                   : distance < 10000.0 ? kAURadio
                                        : kParsecsRadio;
        CheckRadio(dialog, kKilometresRadio, kParsecsRadio, unit);
        SetItemText(dialog, kDistanceText,
                    unit == kKilometresRadio ? Formatted("%.0f", distance * kKilometresPerAU)
                    : unit == kAURadio       ? Formatted("%.5f", distance)
                                             : Formatted("%.3f", distance * kParsecsPerAU));
        ShowObjectName(dialog);
        CheckRadio(dialog, kEarthRadio, kObjectRadio, s.object != 0 ? kObjectRadio : kEarthRadio);
        CheckRadio(dialog, kObjectRadio, kObjectRadio, s.object != 0 ? kObjectRadio : 0);
        EnableItem(dialog, kSelectButton, gObjectChooser != nullptr);
        return 1;
    }
    if (event != ControlNotify) return 1;
    const auto choose = [dialog](int radio) {
        SetItemValue(dialog, kEarthRadio, radio == kEarthRadio);
        SetItemValue(dialog, kObjectRadio, radio == kObjectRadio);
    };
    if (code == NotifyEditChanged) {
        if (control >= kSiteNameText && control <= kZoneFieldText) choose(kEarthRadio);
        if (control == kDistanceText || control == kOffsetRAText || control == kOffsetDecText)
            choose(kObjectRadio);
        return 1;
    }
    switch (control) {
    case kEarthRadio:
    case kObjectRadio:
        choose(static_cast<int>(control));
        break;
    case kKilometresRadio:
    case kAURadio:
    case kParsecsRadio:
        CheckRadio(dialog, kKilometresRadio, kParsecsRadio, static_cast<int>(control));
        break;
    case kSiteList: {
        long chosen = GetItemValue(dialog, kSiteList);
        if (chosen < 1 || chosen > static_cast<long>(s.sites.size())) break;
        const SiteObject* site = AsSite(getObject(s.sites[static_cast<std::size_t>(chosen - 1)]));
        if (site == nullptr) break;
        FillEarthFields(dialog, site->name ? site->name.get() : "", site->longitude, site->latitude,
                        site->altitude, site->timeZone);
        choose(kEarthRadio);
        break;
    }
    case kAddButton:
        AddSite(dialog);
        break;
    case kDeleteButton:
        DeleteSite(dialog);
        break;
    case kHereButton: {
        EarthFields f;
        if (!ReadEarthFields(dialog, f)) break;
        std::snprintf(gHere.siteName, sizeof gHere.siteName, "%s", f.name.c_str());
        gHere.longitude = f.longitude;
        gHere.latitude = f.latitude;
        gHere.altitude = f.altitude;
        gHere.timeZone = f.zone;
        break;
    }
    case kSelectButton:
        if (gObjectChooser != nullptr) {
            if (ObjectID id = gObjectChooser(); id != 0) {
                s.object = id;
                ShowObjectName(dialog);
                choose(kObjectRadio);
            }
        }
        break;
    case kOKButton:
        if (GetItemValue(dialog, kObjectRadio) != 0) {
            if (s.object == 0 || getObject(s.object) == nullptr) {
                ShowMessage(ButtonsOK, kObjectNotSelectedString);
                break;
            }
            double ra = 0.0, dec = 0.0, distance = 0.0;
            if (!ReadField(dialog, kOffsetRAText, "right ascension", 3, 0.0, 24.0,
                           "hours, minutes and seconds from 0 to 24", ra) ||
                !ReadField(dialog, kOffsetDecText, "declination", 3, -90.0, 90.0,
                           "degrees, minutes and seconds from -90 to +90", dec) ||
                !ReadNumberField(dialog, kDistanceText, "distance", 0.0, 1.0e12, distance))
                break;
            int unit = FirstCheckedRadio(dialog, kKilometresRadio, kParsecsRadio);
            distance *= unit == kKilometresRadio ? 1.0 / kKilometresPerAU
                        : unit == kParsecsRadio  ? 1.0 / kParsecsPerAU
                                                 : 1.0;
            Vector3 offset;
            SphericalToRectangular(ra * kRadiansPerHour, dec * 0.017453292520882225, distance,
                                   offset);
            gViewer.viewerObject = s.object;
            for (int i = 0; i < 3; ++i)
                gViewer.viewerObjectOffset[i] = offset[i];
        } else {
            EarthFields f;
            if (!ReadEarthFields(dialog, f)) break;
            gViewer.viewerObject = 0;
            SetViewerSiteName(f.name.c_str());
            gViewer.longitude = f.longitude;
            gViewer.latitude = f.latitude;
            gViewer.altitude = f.altitude;
            gViewer.timeZone = f.zone;
        }
        EndDialogResult(1);
        break;
    case kCancelButton:
        EndDialogResult(0);
        break;
    default:
        break;
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Find Configuration

constexpr int kSearchButton = 1, kDoneButton = 2, kMinimumRadio = 4, kMaximumRadio = 5,
              kAngularRadio = 6, kPhysicalRadio = 7, kFirstName = 10, kFirstSelect = 11,
              kSecondName = 12, kSecondSelect = 13, kStartText = 15, kEndText = 17, kStepText = 19,
              kResultText = 20, kStopButton = 21, kDisplayButton = 22;

bool gSearching = false;
bool gStopAsked = false;

void ShowConfigurationObjects(WindowRef dialog) {
    const ConfigurationSearch& c = gConfiguration;
    SetItemText(dialog, kFirstName, ObjectNameOrNone(c.first));
    SetItemText(dialog, kSecondName, ObjectNameOrNone(c.second));
    EnableItem(dialog, kSearchButton, c.first != 0 && c.second != 0);
}

// Reads the end date and the step, then searches from the cursor; the
// dialog keeps painting and Stop is seen while the search runs.
void RunSearch(WindowRef dialog) {
    ConfigurationSearch& c = gConfiguration;
    double end = 0.0, step = 0.0;
    if (!ReadDateField(dialog, kEndText, end) ||
        !ReadNumberField(dialog, kStepText, "search step", 0.0001, 1.0e6, step))
        return;
    if (c.cursor > end) {
        ShowMessage(ButtonsOK, kItemRefusedString, "search end date",
                    GetItemText(dialog, kEndText).c_str(), "a date after the start date");
        return;
    }
    c.end = end;
    c.step = step;
    c.maximum = GetItemValue(dialog, kMaximumRadio) != 0;
    c.physical = GetItemValue(dialog, kPhysicalRadio) != 0;
    SetWaitCursor();
    SetItemText(dialog, kStopButton, "Stop");
    EnableItem(dialog, kStopButton, true);
    EnableItem(dialog, kDisplayButton, false);
    EnableItem(dialog, kSearchButton, false);
    SetItemText(dialog, kResultText, "");
    gSearching = true;
    gStopAsked = false;
    const double from = c.cursor;
    long lastPump = TickCount();
    ConfigurationResult r = SearchConfiguration(
        c.first, c.second, from, end, step, c.maximum, c.physical, [&](double date, double) {
            long now = TickCount();
            if (now - lastPump >= 50) {
                lastPump = now;
                int percent = static_cast<int>(100.0 * (date - from) / std::max(end - from, 1e-9));
                SetItemText(dialog, kResultText,
                            "Searching " + LocalDateText(date) + "  (" +
                                std::to_string(std::clamp(percent, 0, 100)) + "%)");
                PumpMessages();
            }
            return !gStopAsked;
        });
    gSearching = false;
    SetArrowCursor();
    EnableItem(dialog, kSearchButton, true);
    if (r.found) {
        c.cursor = r.date;
        c.foundDate = r.date;
        c.foundSeparation = r.separation;
        SetItemText(dialog, kStopButton, "Next");
        std::string line = "Date: " + LocalDateText(r.date) + "  Distance: ";
        line += c.physical ? Formatted("%.5f AU", r.separation)
                           : Formatted("%.1f", r.separation * kDegreesPerRadian) + "\xB0";
        SetItemText(dialog, kResultText, line);
        EnableItem(dialog, kDisplayButton, true);
    } else {
        c.cursor = r.date;
        EnableItem(dialog, kStopButton, r.stopped);
        SetItemText(dialog, kStopButton, "Next");
        SetItemText(dialog, kResultText, r.stopped ? "" : "Search complete.");
    }
}

long ConfigurationHandler(int event, WindowRef dialog, long control, long) {
    ConfigurationSearch& c = gConfiguration;
    if (event == Create) {
        if (c.first != 0 && getObject(c.first) == nullptr) c.first = 0;
        if (c.second != 0 && getObject(c.second) == nullptr) c.second = 0;
        if (c.start == 0.0) {
            c.start = gViewer.julianDate;
            c.end = c.start + 365.0;
        }
        ShowConfigurationObjects(dialog);
        CheckRadio(dialog, kMinimumRadio, kMaximumRadio, c.maximum ? kMaximumRadio : kMinimumRadio);
        CheckRadio(dialog, kAngularRadio, kPhysicalRadio,
                   c.physical ? kPhysicalRadio : kAngularRadio);
        SetItemText(dialog, kStartText, LocalDateText(c.start));
        SetItemText(dialog, kEndText, LocalDateText(c.end));
        SetItemText(dialog, kStepText, Formatted("%.1f", c.step));
        EnableItem(dialog, kStopButton, false);
        EnableItem(dialog, kDisplayButton, false);
        EnableItem(dialog, kFirstSelect, gObjectChooser != nullptr);
        EnableItem(dialog, kSecondSelect, gObjectChooser != nullptr);
        return 1;
    }
    if (event != ControlNotify) return 1;
    if (gSearching) {
        // During a search only Stop (and closing, which stops) is heard.
        if (control == kStopButton || control == kDoneButton) gStopAsked = true;
        return 1;
    }
    switch (control) {
    case kMinimumRadio:
    case kMaximumRadio:
        CheckRadio(dialog, kMinimumRadio, kMaximumRadio, static_cast<int>(control));
        break;
    case kAngularRadio:
    case kPhysicalRadio:
        CheckRadio(dialog, kAngularRadio, kPhysicalRadio, static_cast<int>(control));
        break;
    case kFirstSelect:
    case kSecondSelect:
        if (gObjectChooser != nullptr) {
            if (ObjectID id = gObjectChooser(); id != 0)
                (control == kFirstSelect ? c.first : c.second) = id;
            ShowConfigurationObjects(dialog);
        }
        break;
    case kSearchButton: {
        double start = 0.0;
        if (!ReadDateField(dialog, kStartText, start)) break;
        c.start = start;
        c.cursor = start;
        RunSearch(dialog);
        break;
    }
    case kStopButton: // "Next"
        RunSearch(dialog);
        break;
    case kDisplayButton:
        gViewer.julianDate = c.foundDate;
        CenterOnObject(c.first);
        EndDialogResult(kDisplayButton);
        break;
    case kDoneButton:
        EndDialogResult(kDoneButton);
        break;
    default:
        break;
    }
    return 1;
}

// Julian Date: the prompt box until it holds a date or is cancelled.
bool AskJulianDate() {
    std::string text = Formatted("%f", gViewer.julianDate);
    while (Ask(LoadString(kJulianDatePromptString), text) == 1) {
        double jd = 0.0;
        char extra = 0;
        if (std::sscanf(text.c_str(), "%lf %c", &jd, &extra) == 1 && IsSaneJulianDate(jd)) {
            gViewer.julianDate = jd;
            return true;
        }
        ShowMessage(ButtonsOK, kItemRefusedString, "Julian date", text.c_str(),
                    "a Julian date such as 2451545.0");
    }
    return false;
}

void Recompute() {
    RecomputeAndRedraw(true);
    RefreshMenuState();
}

} // namespace

void setClockRebaser(void (*rebase)()) {
    gClockRebaser = rebase;
}

void setComputationObjectChooser(ObjectID (*choose)()) {
    gObjectChooser = choose;
}

bool RunLocationDialog() {
    return RunDialog(kLocationTemplate, 0, LocationHandler) == 1;
}

bool RunDateTimeDialog() {
    return RunDialog(kDateTimeTemplate, 0, DateTimeHandler) == 1;
}

bool RunPrecisionDialog() {
    return RunDialog(kPrecisionTemplate, 0, PrecisionHandler) == 1;
}

bool RunConfigurationDialog() {
    return RunDialog(kConfigurationTemplate, 0, ConfigurationHandler) == kDisplayButton;
}

void SetTimeToNow() {
    SetViewerTimeToNow();
    RebaseClock();
}

bool ComputationMenuHandles(int item) {
    switch (item) {
    case kLocationItem:
    case kHereItem:
    case kDateTimeItem:
    case kJulianDateItem:
    case kNowItem:
    case kPrecisionItem:
    case kConfigurationItem:
        return true;
    default:
        return false;
    }
}

int ComputationMenuCommand(int item) {
    switch (item) {
    case kLocationItem:
        if (RunLocationDialog()) Recompute();
        break;
    case kHereItem:
        RestoreViewerFromHere();
        gViewer.viewerObject = 0;
        Recompute();
        break;
    case kDateTimeItem:
        if (RunDateTimeDialog()) {
            Recompute();
            RebaseClock();
        }
        break;
    case kJulianDateItem:
        if (AskJulianDate()) {
            Recompute();
            RebaseClock();
        }
        break;
    case kNowItem:
        SetTimeToNow();
        Recompute();
        break;
    case kPrecisionItem:
        if (RunPrecisionDialog()) Recompute();
        break;
    case kConfigurationItem:
        if (RunConfigurationDialog()) {
            Recompute();
            RebaseClock();
        }
        break;
    default:
        break;
    }
    (void)kComputationMenu;
    return 1;
}
