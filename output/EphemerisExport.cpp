#include "output/EphemerisExport.h"

#include "astro/ComputationOptions.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "data/ObjectStore.h"
#include "data/SelectObject.h"
#include "data/SkyObject.h"
#include "output/ObjectInfo.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <new>

EphemerisRequest gEphemerisRequest;

namespace {

constexpr int kOutOfMemoryString = 256;
constexpr int kCannotOpenString = 257;
constexpr int kCannotWriteString = 259;
constexpr int kWritingEphemerisString = 510;
constexpr int kObjectNotSelectedString = 513;
constexpr int kSaveEphemerisTitle = 740;
constexpr int kEphemerisFilter = 741;

constexpr double kDaysPerYear = 365.0;
constexpr double kHoursPerDay = 24.0;
// Longitude and latitude are split to whole seconds of arc, rounded.
constexpr double kArcSecondSteps = 36000.0;
// Rise and set: a time angle (radians of a day) in hours, to whole minutes.
constexpr double kHoursPerTimeRadian = 3.819718634;
constexpr double kMinutesPerHour = 60.0;
constexpr double kArcsecondsPerRadian = 206264.8062;
constexpr double kParsecsPerAU = 4.848136812202333e-06;
constexpr double kTimeSecondsPerYearPerRadianPerDay = 5022548.03097;
constexpr double kArcsecondsPerYearPerRadianPerDay = 75338220.46455;
constexpr double kKilometresPerSecondPerAUPerDay = 1731.4568287037036;
constexpr double kHundredth = 0.01;
constexpr char kMicroSign = '\xB5';

// The physical quantities of a body's record, in the order the pipeline stores them.
constexpr int kBodyDiameter = 0;
constexpr int kBodyPhaseAngle = 1;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string Angle(const char* format, double radians) {
    Sexagesimal s = SplitRounded(radians * kDegreesPerRadian, kArcSecondSteps);
    return Format(format, s.sign, s.units, s.minutes, s.seconds);
}

std::string TimeOfDay(double timeAngle) {
    Sexagesimal t = SplitRounded(timeAngle * kHoursPerTimeRadian, kMinutesPerHour);
    return Format("%02hd:%02hd\t", t.units, t.minutes);
}

std::string LocalDate(double jd) {
    return FormatDateTime(jd, EffectiveTimeZone(jd, gViewer.timeZone, gViewer.daylightSavings),
                          gViewer.calendar);
}

// Text lines end in CR LF in the file.
bool PutText(std::FILE* file, const std::string& text) {
    for (char c : text) {
        if (c == '\n' && std::fputc('\r', file) == EOF) return false;
        if (std::fputc(c, file) == EOF) return false;
    }
    return true;
}

struct EphemerisRun {
    std::FILE* file;
    bool failed = false;
    bool cancelled = false;
};

// Computes and writes every row; the context is the caller's to save.
void WriteRows(EphemerisRun& run, SkyObject* object, double start, double end, double step) {
    const long total = static_cast<long>(std::fmin((end - start) / step, 2e9));
    BeginProgress(true, 1);
    ProgressStage(LoadString(kWritingEphemerisString), 0, total > 0 ? total : 1);
    // Each date from the start by whole steps, so that rounding does not add up.
    for (long i = 0;; ++i) {
        const double jd = start + static_cast<double>(i) * step;
        if (!(jd <= end)) break;
        gViewer.julianDate = jd;
        PrepareComputation();
        ForceCompute(object);
        if (!PutText(run.file, EphemerisRow(object))) {
            run.failed = true;
            break;
        }
        if (ProgressUpdate(i + 1) == 0) {
            run.cancelled = true;
            break;
        }
    }
    EndProgress();
}

} // namespace

void setEphemerisDefaults() {
    gEphemerisRequest = EphemerisRequest{};
}

std::string EphemerisHeader(const SkyObject* object, double start) {
    std::string text = Format("Ephemeris for: %s\n\n", DisplayName(object).c_str());
    if (gViewer.viewerObject != 0) {
        const SkyObject* viewer = getObject(gViewer.viewerObject);
        return text + Format("Viewed from: %s\n", viewer ? DisplayName(viewer).c_str() : "");
    }
    const double zone = EffectiveTimeZone(start, gViewer.timeZone, gViewer.daylightSavings);
    text += Format("Viewed from: %s\n", gViewer.siteName);
    text += "East Longitude: " + Angle("%c%03hd %02hd %02.0f", gViewer.longitude) + "\n";
    text += "North Latitude:  " + Angle("%c%02hd %02hd %02.0f", gViewer.latitude) + "\n";
    text += Format("Altitude: %.1f m\n", gViewer.altitude);
    return text + Format("Time Zone: %+.1f hrs\n\n", zone * kHoursPerDay);
}

std::string EphemerisHeadings(int type) {
    if (!IsSolarSystemType(type) && !IsCatalogType(type)) return {};
    const double epoch = gComputationOptions.precessionEpoch;
    std::string ra, dec, lon, lat;
    FormatCoordinates(kFrameEquatorial, 0.0, 0.0, kCoordinateLabels, epoch, ra, dec);
    FormatCoordinates(CurrentFrame(), 0.0, 0.0, kCoordinateLabels, epoch, lon, lat);
    if (IsCatalogType(type))
        return Format("%20s\t%15s\t%15s\t%10s\t%10s\t%15s\t%15s\t%5s\t%5s\t%10s\t%10s\t%10s\n",
                      "Date:       Time:    ", ra.c_str(), dec.c_str(),
                      "Dist(pc):", "Mag:", lon.c_str(), lat.c_str(),
                      "Rises:", "Sets:", (kMicroSign + std::string("RA(s):")).c_str(),
                      (kMicroSign + std::string("Dec(\"):")).c_str(), "RV(kps):");
    return Format("%20s\t%15s\t%15s\t%10s\t%10s\t%15s\t%15s\t%5s\t%5s\t%10s\t%10s\t"
                  "%7s%c%s\t%7s%c%s\t%7s%c%s\n",
                  "Date:      Time:   ", ra.c_str(), dec.c_str(), "Dist(AU):", "Mag:", lon.c_str(),
                  lat.c_str(), "Rises:", "Sets:", "Size(\"):", "Illum:", "L0(", kDegreeSign,
                  "):", "B0(", kDegreeSign, "):", "PN(", kDegreeSign, "):");
}

std::string EphemerisRow(SkyObject* object) {
    ObjectPositionResult place = ObjectPosition(object);
    const double epoch = gComputationOptions.precessionEpoch;
    std::string ra, dec, lon, lat;
    FormatCoordinates(kFrameEquatorial, place.rightAscension, place.declination, kCoordinateValues,
                      epoch, ra, dec);
    FormatCoordinates(CurrentFrame(), place.longitude, place.latitude, kCoordinateValues, epoch,
                      lon, lat);
    const std::string date = LocalDate(gViewer.julianDate);
    const std::string riseSet = TimeOfDay(place.rise.timeAngle) + TimeOfDay(place.set.timeAngle);
    const double distance = ObjectDistance(object);
    const double magnitude = ObjectMagnitude(object) * kHundredth;
    if (const CatalogObject* star = AsCatalog(object)) {
        double raRate = 0.0, decRate = 0.0;
        ProperMotionRates(*star, &raRate, &decRate);
        return Format("%20s\t%15s\t%15s\t%10.2f\t%10.2f\t%15s\t%15s\t%s%+10.4f\t%+10.3f\t%+10.1f\n",
                      date.c_str(), ra.c_str(), dec.c_str(), distance * kParsecsPerAU, magnitude,
                      lon.c_str(), lat.c_str(), riseSet.c_str(),
                      raRate * kTimeSecondsPerYearPerRadianPerDay,
                      decRate * kArcsecondsPerYearPerRadianPerDay,
                      star->radialVelocity * kKilometresPerSecondPerAUPerDay);
    }
    SolarSystemObject* body = AsSolarSystem(object);
    if (body == nullptr) return {};
    const Orientation pole = ObjectOrientation(body);
    return Format(
        "%20s\t%15s\t%15s\t%10.5f\t%10.1f\t%15s\t%15s\t%s%10.1f\t%10.4f\t%10.1f\t%+10.1f\t"
        "%10.1f\n",
        date.c_str(), ra.c_str(), dec.c_str(), distance, magnitude, lon.c_str(), lat.c_str(),
        riseSet.c_str(), body->physical[kBodyDiameter] * kArcsecondsPerRadian,
        (1.0 + std::cos(body->physical[kBodyPhaseAngle])) / 2.0,
        pole.centralMeridian * kDegreesPerRadian, pole.subViewerLatitude * kDegreesPerRadian,
        pole.polePositionAngle * kDegreesPerRadian);
}

bool WriteEphemerisFile(ObjectID id, double start, double end, double step,
                        const std::string& path) {
    SkyObject* object = id != 0 ? getObject(id) : nullptr;
    if (object == nullptr) {
        ShowMessage(ButtonsOK, kObjectNotSelectedString);
        return false;
    }
    // A step that does not move the date would never reach the end.
    if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(start) || !std::isfinite(end))
        return false;
    const std::string title = FileTitle(path);
    std::FILE* file = OpenFile(path, "wb");
    if (file == nullptr) {
        ShowMessage(ButtonsOK, kCannotOpenString, title.c_str());
        return false;
    }
    EphemerisRun run{file};
    ComputationContext context;
    SaveContext(context);
    try {
        // The epoch of the headings is that of the first row.
        gViewer.julianDate = start;
        PrepareComputation();
        const std::string headings = EphemerisHeadings(object->type);
        run.failed = !PutText(file, EphemerisHeader(object, start)) || !PutText(file, headings);
        // Objects without a table get the header alone.
        if (!run.failed && !headings.empty()) WriteRows(run, object, start, end, step);
    } catch (const std::bad_alloc&) {
        EndProgress();
        RestoreContext(context);
        ForceCompute(object);
        AbandonFile(file);
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return false;
    }
    RestoreContext(context);
    ForceCompute(object);
    // A full disk shows in the stream or when the file is flushed; the old
    // file of that name then stays as it was.
    bool written = !run.failed && std::ferror(file) == 0;
    if (!written)
        AbandonFile(file);
    else
        written = CloseFile(file);
    if (!written) ShowMessage(ButtonsOK, kCannotWriteString, title.c_str());
    return written;
}

bool ReadLocalDateTime(const std::string& text, double* jd) {
    double read = 0.0;
    if (!ParseDateTime(text, gViewer.timeZone, gViewer.calendar, &read)) return false;
    // A local date in summer is an hour ahead of the zone's standard time.
    if (gViewer.daylightSavings && IsDaylightSavingTime(read, gViewer.timeZone))
        read -= 1.0 / kHoursPerDay;
    *jd = read;
    return true;
}

namespace {

void ShowEphemerisObject(WindowRef dialog) {
    SkyObject* object =
        gEphemerisRequest.object != 0 ? getObject(gEphemerisRequest.object) : nullptr;
    if (object == nullptr) gEphemerisRequest.object = 0;
    SetItemText(dialog, kEphemerisObjectName,
                object ? DisplayName(object) : LoadString(kObjectNotSelectedString));
    EnableItem(dialog, kEphemerisSaveButton, object != nullptr);
}

// Save As: the dates and the step are read, then the file is chosen; any
// field that can't be used keeps the dialog open.
void SaveEphemerisAs(WindowRef dialog) {
    double start = 0.0, end = 0.0, step = 0.0;
    if (!ReadLocalDateTime(GetItemText(dialog, kEphemerisStartText), &start) ||
        !ReadLocalDateTime(GetItemText(dialog, kEphemerisEndText), &end))
        return;
    const std::string stepText = GetItemText(dialog, kEphemerisStepText);
    char rest = 0;
    if (std::sscanf(stepText.c_str(), "%lf %c", &step, &rest) != 1 || !(step > 0.0) ||
        !std::isfinite(step)) {
        RefuseItem(dialog, kEphemerisStepText, "time step", "a number of days more than 0");
        return;
    }
    gEphemerisRequest.start = start;
    gEphemerisRequest.end = end;
    gEphemerisRequest.step = step;
    std::string path = gEphemerisRequest.path;
    if (!SaveFileDialog(kSaveEphemerisTitle, kEphemerisFilter, path, "eph")) return;
    gEphemerisRequest.path = path;
    EndDialogResult(1);
}

} // namespace

long SaveEphemerisHandler(int event, WindowRef dialog, long control, long code) {
    EphemerisRequest& r = gEphemerisRequest;
    if (event == Create) {
        ShowEphemerisObject(dialog);
        if (r.start == 0.0) {
            r.start = gViewer.julianDate;
            r.end = r.start + kDaysPerYear;
            r.step = 1.0;
        }
        SetItemText(dialog, kEphemerisStartText, LocalDate(r.start));
        SetItemText(dialog, kEphemerisEndText, LocalDate(r.end));
        SetItemText(dialog, kEphemerisStepText, Format("%.4f", r.step));
        return 1;
    }
    if (event != ControlNotify || code != NotifyClicked) return 1;
    if (control == kEphemerisSelectButton) {
        if (ObjectID id = selectObjectDialog(); id != 0) r.object = id;
        ShowEphemerisObject(dialog);
    } else if (control == kEphemerisSaveButton) {
        SaveEphemerisAs(dialog);
    } else if (control == kEphemerisCancelButton) {
        r.path.clear();
        EndDialogResult(0);
    }
    return 1;
}

void exportEphemerisCommand() {
    if (RunDialog(kSaveEphemerisTemplate, 0, SaveEphemerisHandler) != 1) return;
    EphemerisRequest& r = gEphemerisRequest;
    if (r.path.empty()) return;
    SetWaitCursor();
    WriteEphemerisFile(r.object, r.start, r.end, r.step, r.path);
    SetArrowCursor();
    r.path.clear();
}
