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

// The instant, place and computation options of the info command.
struct ToolInfoOptions {
    bool haveInstant = false; // false: now
    double julianDate = 0.0;  // Universal Time
    double zoneDays = 0.0;
    std::int16_t calendar = 1; // Gregorian
    double longitude = 0.0;    // degrees, east positive
    double latitude = 0.0;     // degrees, north positive
    double altitude = 0.0;     // metres
    std::string viewer;        // the body seen from; empty: the Earth at the site
    int frame = 4;             // the chart's coordinate system (frame code), Horizon
    bool haveEpoch = false;    // a fixed equinox instead of the one of the date
    double epochYear = 2000.0;
    bool refraction = false;
    bool aberration = false;
    bool lightTime = false;
    bool nutation = false;
    int planets = 0; // planet computation code; 0: the program's default
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
// The viewer, time and computation options of the info and render commands.
void SetUpComputation(const ToolInfoOptions& info);
// The --viewer body; false (after message 523) when there is none of that name.
bool SetUpViewer(const ToolInfoOptions& info);

int ToolImport(const ToolDatabaseOptions& options, const std::vector<std::string>& files);
int ToolFind(const ToolDatabaseOptions& options, const std::string& query);
int ToolFiles(const ToolDatabaseOptions& options);
int ToolStats(const ToolDatabaseOptions& options);
// Prints the display name and the Object Info lines of the object with this
// exact name (letter case ignored), one per line.
int ToolInfo(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
             const std::string& name);

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
    int sky = 0;               // sky background 1 Black, 2 White, 3 Color; 0: the default
};
int ToolRender(const ToolDatabaseOptions& options, const ToolInfoOptions& info,
               const ToolRenderOptions& render);
