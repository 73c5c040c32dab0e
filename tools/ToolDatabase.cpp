// norvane-tool's database commands: import, find, files, stats, info.

#include "timecontrol/Configuration.h"
#include "tools/ToolCommands.h"

#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Editors.h"
#include "data/Ephemeris.h"
#include "data/Import.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/Satellites.h"
#include "data/Search.h"
#include "output/ObjectInfo.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "shell/Platform.h"
#include "timecontrol/Trails.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

void PrintText(std::FILE* stream, const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, arguments);
        text.resize(static_cast<std::size_t>(length));
        std::fputs(ConsoleText(text).c_str(), stream);
    }
    va_end(arguments);
}

namespace {

// A line naming objects goes out in UTF-8 with its Greek letters ("α CMa",
// not the stored "$a CMa").
void PrintName(const std::string& line) {
    std::fputs((unicodeName(ConsoleText(line)) + "\n").c_str(), stdout);
}

constexpr int kExitFailure = 1;

constexpr int kReplaceQuestion = 531;
constexpr int kCreateDirectoryQuestion = 528;
constexpr int kTypeNameBase = 1000;
constexpr int kNoObjectString = 523;
constexpr int kNoMatchString = 512;                          // "No matching object found!"
constexpr double kDegreesPerTurnUnit = 360.0 / 1073741824.0; // box angles: 2^30 per turn

bool gReplace = false;

// The last lines of info give the position in the chart's coordinate system.
int InfoFrame() {
    return gChartView.coordinateSystem;
}

// The tool never waits for a person: messages are printed, questions get the
// answers the command line chose.
int AnswerMessage(const MessageRecord& message) {
    if (message.number == kReplaceQuestion) return gReplace ? AnswerYes : AnswerNo;
    // Creating a missing database is what the command was asked to do.
    if (message.number == kCreateDirectoryQuestion) return AnswerOK;
    PrintText(stderr, "%s\n", message.text.c_str());
    return AnswerYes;
}

} // namespace

bool FindNamedObject(const std::string& name, std::int32_t& id) {
    id = 0;
    if (findObjectByName(name, false, true, id) == kStatusSuccess) return true;
    id = 0;
    return findObjectByName(name, false, false, id) == kStatusSuccess;
}

// The progress box and the rest of the platform work without a display.
void StartHeadless(const ToolDatabaseOptions& options) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    InitPlatform(0, nullptr);
    SetMessageResponder(AnswerMessage);
    if (!options.programDir.empty()) SetProgramDirectory(options.programDir);
    gReplace = options.replace;
}

namespace {

std::string DatabaseDirectory() {
    return AppendPathComponent(ProgramDirectory(), LoadString(kDatabaseDirectoryString));
}

std::string IndexPath() {
    return AppendPathComponent(DatabaseDirectory(), LoadString(kIndexFileNameString));
}

} // namespace

// Opens the program directory's database. With `create`, a missing database
// directory and index are made (an empty database with its custom file).
bool OpenDatabase(bool create) {
    if (!initObjectStore(memoryBudget())) return false;
    if (!DirectoryExists(DatabaseDirectory())) {
        if (!create) {
            PrintText(stderr, "norvane-tool: no database in %s\n", ProgramDirectory().c_str());
            return false;
        }
        if (!checkDatabaseDirectory()) return false;
    }
    if (FileExists(IndexPath())) return readIndex(IndexPath());
    if (!create) {
        PrintText(stderr, "norvane-tool: no database index %s\n", IndexPath().c_str());
        return false;
    }
    gObjectStore.indexPath = IndexPath();
    gObjectStore.databaseDirectory = StripFileName(gObjectStore.indexPath);
    if (customFile() == 0) return false;
    return writeIndex(gObjectStore.indexPath);
}

namespace {

void PrintWrittenFile(ObjectID fileId) {
    const DatabaseFile* file = getFile(fileId);
    if (file == nullptr) return;
    PrintText(stdout, "%s\t%d\n", file->name ? file->name.get() : "", file->highestIndex);
    std::fflush(stdout);
}

std::string TypeName(int type) {
    return LoadString(kTypeNameBase + type);
}

std::string MagnitudeText(std::int16_t hundredths, std::int16_t start) {
    if (hundredths == start || hundredths == kNoMagnitude) return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", hundredths / 100.0);
    return text;
}

} // namespace

int ToolImport(const ToolDatabaseOptions& options, const std::vector<std::string>& files) {
    StartHeadless(options);
    if (!OpenDatabase(true)) return kExitFailure;
    setImportFileWrittenHandler(PrintWrittenFile);
    bool ok = true;
    for (const std::string& file : files) {
        std::string path = file;
        if (!path.empty() && path[0] != '/')
            path = AppendPathComponent(GetCurrentDirectory(), path);
        if (!FileExists(path) && !DirectoryExists(path)) {
            ShowMessage(ButtonsOK, 257, FileTitle(path).c_str());
            ok = false;
            continue;
        }
        // Two-line element files by their name, everything else as object text.
        resetImportTotals();
        bool imported =
            isSatelliteFileName(path) ? importSatelliteFile(path) : importTextFile(path);
        // Success is everything imported: a line skipped, a record dropped or
        // a file that gave nothing fails the command, so a script notices.
        const ImportTotals& totals = importTotals();
        if (!imported || totals.skipped > 0 || totals.refusedFiles > 0 || totals.imported == 0)
            ok = false;
    }
    closeDatabase();
    return ok ? 0 : kExitFailure;
}

int ToolNewObject(const ToolDatabaseOptions& options, const std::string& line) {
    StartHeadless(options);
    if (!OpenDatabase(true)) return kExitFailure;
    std::string reason;
    ObjectID id = newObjectFromLine(line, reason);
    if (id == 0)
        PrintText(stderr, "norvane-tool: %s\n", reason.c_str());
    else
        PrintText(stdout, "%ld\n", static_cast<long>(id));
    closeDatabase();
    return id != 0 ? 0 : kExitFailure;
}

int ToolFind(const ToolDatabaseOptions& options, const std::string& query) {
    StartHeadless(options);
    if (!OpenDatabase(false)) return kExitFailure;
    ObjectID id = 0;
    int found = 0;
    while (findObjectByName(query, options.caseSensitive, options.exact, id) == kStatusSuccess) {
        if (getObject(id) == nullptr) break;
        PrintObjectLine(id);
        ++found;
        if (!options.all) break;
    }
    if (found == 0) ShowMessage(ButtonsOK, kNoMatchString);
    closeDatabase();
    return found > 0 ? 0 : kExitFailure;
}

void PrintObjectLine(ObjectID id) {
    if (const SkyObject* object = getObject(id))
        PrintName(std::to_string(id) + "\t" + TypeName(object->type) + "\t" + DisplayName(object));
}

int ToolFiles(const ToolDatabaseOptions& options) {
    StartHeadless(options);
    if (!OpenDatabase(false)) return kExitFailure;
    PrintText(stdout, "file\tname\tbodies\tdeep-sky\tstars\tlines\tsites\tbrightest star\t"
                      "brightest deep-sky\tdeclination\tright ascension\tloaded\n");
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id)) {
        const DatabaseFile* f = getFile(id);
        bool hasBox = f->leastDeclination <= f->greatestDeclination;
        char box[96] = "-\t-";
        if (hasBox)
            std::snprintf(box, sizeof box, "%+.2f..%+.2f\t%.2f..%.2f",
                          f->leastDeclination * kDegreesPerTurnUnit,
                          f->greatestDeclination * kDegreesPerTurnUnit,
                          f->leastRightAscension * kDegreesPerTurnUnit,
                          f->greatestRightAscension * kDegreesPerTurnUnit);
        PrintText(stdout, "%d\t%s\t%d\t%d\t%d\t%d\t%d\t%s\t%s\t%s\t%s\n", FileNumber(id),
                  f->name ? f->name.get() : "", f->solarSystemCount, f->deepSkyCount, f->starCount,
                  f->lineCount, f->siteCount,
                  MagnitudeText(f->starBrightest, kBrightestStart).c_str(),
                  MagnitudeText(f->deepSkyBrightest, kBrightestStart).c_str(), box,
                  isLoaded(f) ? "loaded" : "not loaded");
    }
    closeDatabase();
    return 0;
}

int ToolStats(const ToolDatabaseOptions& options) {
    StartHeadless(options);
    if (!OpenDatabase(false)) return kExitFailure;
    long bodies = 0, deepSky = 0, stars = 0, lines = 0, sites = 0;
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id)) {
        const DatabaseFile* f = getFile(id);
        bodies += f->solarSystemCount;
        deepSky += f->deepSkyCount;
        stars += f->starCount;
        lines += f->lineCount;
        sites += f->siteCount;
    }
    // Every star of the Bright Star Catalogue carries its HR number.
    long bright = 0, faint = 0;
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id)) {
        const CatalogObject* star = AsCatalog(getObject(id));
        if (star == nullptr || !IsStarType(star->type)) continue;
        bool hr = false;
        for (int k = 0; k < star->identifierCount; ++k)
            if (IdentifierCatalog(star->identifiers[k]) == kCatalogHR) hr = true;
        if (hr)
            ++bright;
        else
            ++faint;
    }
    PrintText(stdout, "files\t%d\n", fileCount());
    PrintText(stdout, "objects\t%ld\n", objectCount());
    PrintText(stdout, "solar-system bodies\t%ld\n", bodies);
    PrintText(stdout, "stars\t%ld\n", stars);
    PrintText(stdout, "bright stars (HR)\t%ld\n", bright);
    PrintText(stdout, "other stars\t%ld\n", faint);
    PrintText(stdout, "deep-sky objects\t%ld\n", deepSky);
    PrintText(stdout, "lines\t%ld\n", lines);
    PrintText(stdout, "sites\t%ld\n", sites);
    PrintText(stdout, "memory charged\t%lld\n", static_cast<long long>(gObjectStore.totalMemory));
    PrintText(stdout, "memory limit\t%lld\n", static_cast<long long>(gObjectStore.memoryLimit));
    closeDatabase();
    return 0;
}

int ToolInfo(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
             const std::string& name) {
    StartHeadless(options);
    if (!OpenDatabase(false)) return kExitFailure;

    setCurrentFrameQuery(InfoFrame);

    // Names are found as a settings file finds them (the whole name or one of
    // its ";"-separated parts, letter case ignored), else as find finds them.
    int status = SetUpSettings(info) ? 1 : 0;
    ObjectID id = 0;
    ObjectInfo lines;
    if (status == 1) {
        PrepareComputation();
        if (!FindNamedObject(name, id)) {
            ShowMessage(ButtonsOK, kNoObjectString, name.c_str());
            status = 0;
        } else if (!FillObjectInfoLines(id, lines)) {
            status = 0;
        }
    }
    if (status == 1) {
        PrintName(lines.displayName);
        for (const std::string& line : lines.lines)
            PrintName(line);
    }
    closeDatabase();
    return status == 1 ? 0 : kExitFailure;
}

int ToolSearch(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
               const ToolSearchOptions& search, const std::string& first,
               const std::string& second) {
    StartHeadless(options);
    if (!OpenDatabase(false)) return kExitFailure;
    bool ok = SetUpSettings(info);
    ObjectID ids[2] = {0, 0};
    double from = 0.0, to = 0.0;
    if (ok) {
        PrepareComputation();
        const std::string* names[2] = {&first, &second};
        for (int i = 0; i < 2 && ok; ++i)
            if (!FindNamedObject(*names[i], ids[i])) {
                ShowMessage(ButtonsOK, kNoObjectString, names[i]->c_str());
                ok = false;
            }
    }
    ok = ok && ParseDateTime(search.from, gViewer.timeZone, gViewer.calendar, &from) &&
         ParseDateTime(search.to, gViewer.timeZone, gViewer.calendar, &to);
    if (ok && from > to) {
        PrintText(stderr, "norvane-tool: the search starts after it ends\n");
        ok = false;
    }
    // Each extremum found, then on from it ("Next") until the end date.
    for (double cursor = from; ok;) {
        ConfigurationResult found = SearchConfiguration(ids[0], ids[1], cursor, to, search.step,
                                                        search.farthest, search.physical);
        if (!found.found) {
            PrintText(stdout, "Search complete.\n");
            break;
        }
        const double zone =
            EffectiveTimeZone(found.date, gViewer.timeZone, gViewer.daylightSavings);
        const std::string when = FormatDateTime(found.date, zone, gViewer.calendar);
        if (search.physical)
            PrintText(stdout, "%s\t%.6f\n", when.c_str(), found.separation);
        else
            PrintText(stdout, "%s\t%.4f\n", when.c_str(), found.separation * kDegreesPerRadian);
        cursor = found.date > cursor ? found.date : cursor + search.step;
    }
    closeDatabase();
    return ok ? 0 : kExitFailure;
}

bool SetUpSettings(const ToolInfoOptions& info) {
    // As the window starts: defaults, the default settings, the time now.
    setSettingsDefaults();
    setDriverDefaults();
    DeleteAllTrails();
    // A description is shown for editing when a file is read; the tool keeps it.
    SetDialogResponder(kReadDescriptionTemplate, nullptr, kOKButton);
    if (!readDefaultSettingsIfPresent()) return false;
    SetViewerTimeToNow();
    if (!info.settingsPath.empty() && !readSettingsFile(info.settingsPath)) return false;

    if (info.haveZone) gViewer.timeZone = info.zoneDays;
    if (info.haveCalendar) gViewer.calendar = info.calendar;
    if (info.haveSite) {
        gViewer.longitude = info.longitude * kSettingsRadiansPerDegree;
        gViewer.latitude = info.latitude * kSettingsRadiansPerDegree;
        gViewer.altitude = info.altitude;
        // The settings' site name belongs to the settings' site.
        gViewer.siteName[0] = '\0';
    }
    if (!info.dateText.empty()) {
        // Read in the zone and calendar in force, whichever gave them.
        double jd = 0.0;
        if (!ParseDateTime(info.dateText, gViewer.timeZone, gViewer.calendar, &jd)) return false;
        gViewer.julianDate = ViewerJulianDateFor(jd);
    } else if (info.haveInstant) {
        gViewer.julianDate = ViewerJulianDateFor(info.julianDate);
    }
    if (info.haveEpoch) {
        gComputationOptions.precessionEpoch = JulianDateFromYear(info.epochYear);
        gComputationOptions.precession = false;
    }
    if (info.refraction) gComputationOptions.refraction = true;
    if (info.aberration) gComputationOptions.aberration = true;
    if (info.lightTime) gComputationOptions.planetLightTime = true;
    if (info.nutation) gComputationOptions.nutation = true;
    if (info.planets != 0)
        gComputationOptions.planetComputation = static_cast<std::uint8_t>(info.planets);
    if (info.haveFrame && info.frame != gChartView.coordinateSystem) {
        ChartView& view = gChartView;
        view.coordinateSystem = static_cast<std::int16_t>(info.frame);
        // The settings' centre belongs to their own frame: a chart turned to a
        // sky frame starts at its origin (the equinox on the equator or the
        // ecliptic, the galactic centre), unless an object holds the centre
        // or --center gives one. A horizon chart keeps the numbers, as ever.
        if (info.frame != kHorizon && view.centeredObject == 0) {
            view.centerLongitude = 0.0;
            view.centerLatitude = 0.0;
        }
    }

    if (!info.viewer.empty()) {
        ObjectID viewer = 0;
        if (findObjectByName(info.viewer, false, true, viewer) != kStatusSuccess) {
            ShowMessage(ButtonsOK, kNoObjectString, info.viewer.c_str());
            return false;
        }
        gViewer.viewerObject = viewer;
    }
    return true;
}

bool ChangesComputation(const ToolInfoOptions& info) {
    return info.haveInstant || !info.dateText.empty() || info.haveZone || info.haveCalendar ||
           info.haveSite || !info.viewer.empty() || info.haveEpoch || info.refraction ||
           info.aberration || info.lightTime || info.nutation || info.planets != 0;
}
