#pragma once

// norvane-tool's commands that work on a database.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct ToolDatabaseOptions {
    std::string programDir; // empty: the tool's own directory
    bool replace = false;   // replace data files of the same name instead of renaming
    bool exact = false;     // find: the whole name, not words within it
    bool caseSensitive = false;
    bool all = false; // find: every match, not only the first
};

// The settings, instant, place and computation options of the commands that
// compute (info, render, settings). Each is applied only when it was given,
// over the settings read.
struct ToolInfoOptions {
    std::string settingsPath;  // --settings: read after the default settings file
    bool haveInstant = false;  // false: the settings file's instant, or now
    double julianDate = 0.0;   // Universal Time (--jd)
    std::string dateText;      // --date, read in the zone and calendar in force
    bool haveZone = false;
    double zoneDays = 0.0;
    bool haveCalendar = false;
    std::int16_t calendar = 1; // Gregorian
    bool haveSite = false;
    double longitude = 0.0;    // degrees, east positive
    double latitude = 0.0;     // degrees, north positive
    double altitude = 0.0;     // metres
    std::string viewer;        // the body seen from; empty: as the settings say
    bool haveFrame = false;
    int frame = 4;             // the chart's coordinate system (frame code)
    bool haveEpoch = false;    // a fixed equinox instead of the one of the date
    double epochYear = 2000.0;
    bool refraction = false;   // these switch corrections on; absent, the settings hold
    bool aberration = false;
    bool lightTime = false;
    bool nutation = false;
    int planets = 0; // planet computation code; 0: as the settings say
};

// The tool's output: program text (Windows-1252) formatted printf-style and
// written to the stream as UTF-8, as terminals and pipes expect.
void PrintText(std::FILE* stream, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Shared by the commands that open the database.
void StartHeadless(const ToolDatabaseOptions& options);
// Opens the program directory's database (with `create`, makes an empty one).
bool OpenDatabase(bool create);
// The program's state as the window starts with it (the defaults, the
// default settings file, the time now), then the --settings file, then the
// other options. False (after a message) when the settings file can't be
// read, the --date text isn't a date or the --viewer body isn't known.
bool SetUpSettings(const ToolInfoOptions& info);
// Whether an option changes the time, place or computation, so that what
// depends on them (the viewer's offset, the equinox of the date) is due to
// be computed again.
bool ChangesComputation(const ToolInfoOptions& info);

// A name as info reads it: the whole name (or one of its parts) first, then
// as find reads it ("Ceres" is "1 Ceres").
bool FindNamedObject(const std::string& name, std::int32_t& id);

// An object as find prints it: id, type and display name, TAB-separated, in
// UTF-8 with its Greek letters.
void PrintObjectLine(std::int32_t id);

int ToolImport(const ToolDatabaseOptions& options, const std::vector<std::string>& files);
// Adds the object of one import line to the custom file; prints its id.
int ToolNewObject(const ToolDatabaseOptions& options, const std::string& line);
int ToolFind(const ToolDatabaseOptions& options, const std::string& query);
int ToolFiles(const ToolDatabaseOptions& options);
int ToolStats(const ToolDatabaseOptions& options);
// Prints the display name and the Object Info lines of the object with this
// exact name (letter case ignored), one per line.
int ToolInfo(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
             const std::string& name);

// The dates between --from and --to on which two objects come closest (or,
// --farthest, stand farthest apart), one line each, "Search complete." last.
struct ToolSearchOptions {
    std::string from, to; // local dates in the settings' zone and calendar
    double step = 1.0;    // days
    bool farthest = false;
    bool physical = false; // AU in space instead of degrees on the sky
};
int ToolSearch(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
               const ToolSearchOptions& search, const std::string& first,
               const std::string& second);

// The ephemeris file of one object from --from to --to by --step days,
// exactly as File > Export > Ephemeris As Text writes it.
int ToolEphemeris(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
                  const ToolSearchOptions& dates, const std::string& name, const std::string& out);

// The chart as the window would draw it, into a picture file.
struct ToolRenderOptions {
    int width = 1600, height = 1000;
    std::string out;           // .png, .bmp or .svg
    bool haveCenter = false;   // degrees in the chart's coordinate system
    double centerLongitude = 0.0, centerLatitude = 0.0;
    bool haveField = false;    // degrees
    double field = 0.0;
    int projection = 0;        // 1 to 5; 0: the view's own (or the one the field needs)
    bool haveFaintest = false; // faintest star magnitude
    double faintest = 0.0;
    bool labels = false;
    bool grid = false;
    bool noMask = false;
    int sky = 0;               // sky background 1 Black, 2 White, 3 Color; 0: the default
    std::vector<std::string> trails; // objects whose trails the animation records
    long steps = 0;                  // animation steps before drawing; negative: backward
    bool haveTimeStep = false;       // false: the settings' step
    double timeStep = 1.0;           // days
};
// A time step given as an Animation menu label ("1 Day", "10,000 Years",
// letter case ignored) or as the Set Time Step prompt takes it ("1  12:00:00").
bool ParseTimeStepOption(const char* text, double* days);
int ToolRender(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
               const ToolRenderOptions& render);
// The object the window would pick at pixel (x, y) of the chart render would
// draw with the same options; exit status 1, with "No matching object
// found!", when there is none.
int ToolPick(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
             const ToolRenderOptions& render, int x, int y);
// Whether a file name ends with this lower-case extension, in either case.
bool EndsWithIgnoringCase(const std::string& text, const char* suffix);
// The view and display options of render applied to the settings' chart.
void ApplyRenderOptions(const ToolRenderOptions& render);
// Writes the settings after every option, as File > Save Settings would.
int ToolSettings(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
                 const ToolRenderOptions& render, const std::string& out);

// norvane-tool telescope: the mount, its device and line speed.
struct ToolTelescopeOptions {
    std::string device;
    std::string mount; // the settings file's word, "LX200" ... "QEICoordinate"
    long baud = 0;     // 0: the mount's own
};
int ToolTelescope(const ToolDatabaseOptions& database, const ToolInfoOptions& info,
                  const ToolTelescopeOptions& scope, const std::vector<std::string>& arguments);
