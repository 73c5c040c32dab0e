// norvane-tool: Norvane's command-line companion, for scripts and tests.

#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/Report.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "data/Names.h"
#include "resources/Strings.h"
#include "shell/Platform.h"
#include "tools/ToolCommands.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr double kHoursPerDay = 24.0;
constexpr double kLargestZoneHours = 24.0;
constexpr double kRightAngleDegrees = 90.0;
constexpr double kDefaultEpochYear = 2000.0;
// Pixels of pick beyond any picture's size are simply off the chart.
constexpr double kLargestPixel = 1000000.0;

// Arguments with characters the program's code page lacks (read as '?').
std::vector<std::string> gLossyArguments;
constexpr double kMostSteps = 1000000.0;

const char* kUsage =
    "Usage: norvane-tool [options] COMMAND [ARGUMENTS]\n"
    "\n"
    "Norvane's command-line companion.\n"
    "\n"
    "Commands:\n"
    "  jd TEXT        print the Julian date of a local date and time,\n"
    "                 TEXT as \"year/month/day hour:min:sec\" or \"year/month/decimal day\"\n"
    "  date JD        print the local date and time of a Julian date\n"
    "  import FILE...  import object text files (or lists of them, \"FileList...\")\n"
    "                 and NASA two-line element files of Earth satellites (*.tle)\n"
    "                 into the database; prints each data file written with its\n"
    "                 object count\n"
    "  find QUERY     print the first object whose name contains the words of\n"
    "                 QUERY: id, type and name, TAB-separated\n"
    "  new-object LINE\n"
    "                 add one object, given as a line of an object text file\n"
    "                 (kind S or P, TAB-separated fields), to the custom data file\n"
    "                 as the Edit Star and Edit Planet dialogs store it; prints its\n"
    "                 id (exit 1 with the reason when the line is refused)\n"
    "  files          list the database's data files with their summaries\n"
    "  stats          count the database's objects by kind; memory charged\n"
    "  search NAME1 NAME2 --from DATE --to DATE [--step DAYS] [--farthest] [--physical]\n"
    "                 the dates between DATE and DATE (local, in the settings'\n"
    "                 zone) on which the two objects come closest together (or\n"
    "                 stand farthest apart), with the separation in degrees (or,\n"
    "                 --physical, in AU in space); the step (default 1 day) must\n"
    "                 be shorter than the event: half a day for the Moon\n"
    "  ephemeris NAME --from DATE --to DATE [--step DAYS] --out FILE\n"
    "                 write the object's ephemeris from DATE to DATE (local, in\n"
    "                 the settings' zone) every DAYS (default 1) exactly as File >\n"
    "                 Export > Ephemeris As Text writes it: tab-separated, CR LF\n"
    "  info NAME      print an object's Object Info lines: its display name, type,\n"
    "                 R.A. and Dec., distance, magnitude, size, rising and setting,\n"
    "                 catalogue data or physical ephemeris, and its position in\n"
    "                 the --frame system; NAME is matched as a settings file\n"
    "                 matches it (the whole name or one of its \";\" parts, letter\n"
    "                 case ignored)\n"
    "  render --out FILE\n"
    "                 draw the chart as the window would into a picture (PNG, BMP,\n"
    "                 SVG, PDF or Windows metafile by the extension) and print how\n"
    "                 many stars, deep-sky objects and bodies were drawn and how\n"
    "                 many data files loaded\n"
    "  pick X Y       print the object a click at pixel X, Y of the chart render\n"
    "                 draws with the same options would choose (a star within 3\n"
    "                 pixels, a deep-sky object or body within 3 pixels of its\n"
    "                 outline): id, type and name as find prints them; none\n"
    "                 exits with status 1\n"
    "  settings --out FILE\n"
    "                 write the settings the options describe, as the program's\n"
    "                 File > Save Settings writes them (the --settings file's\n"
    "                 description included)\n"
    "  telescope --device PATH --mount WORD [--baud N] COMMAND\n"
    "                 one exchange with a telescope mount (WORD as the settings\n"
    "                 file names it: LX200 ... QEICoordinate): position (prints\n"
    "                 R.A. and Dec. J2000 in degrees), goto NAME|RA,DEC,\n"
    "                 sync NAME|RA,DEC, stop, move north|east|south|west|stop,\n"
    "                 rate slew|find|center|guide, set-site, set-time (the\n"
    "                 settings' site and zone); exit 1 when the mount fails\n"
    "  convert --from FRAME --to FRAME LON LAT\n"
    "                 convert a direction between the frames Equatorial, Ecliptic,\n"
    "                 Galactic and Horizon; degrees in and out (R.A. and azimuth\n"
    "                 in degrees too, azimuth from north through east)\n"
    "\n"
    "Options:\n"
    "  --program-dir DIR        the program directory (database, settings);\n"
    "                           default: the directory of norvane-tool\n"
    "  --settings FILE          info, render, settings: read this settings file\n"
    "                           after the default one (Norvane.ini in the program\n"
    "                           directory); the options below win over both\n"
    "  --jd JD                  the instant, as a Julian date\n"
    "  --date \"Y/M/D h:m:s\"     the instant, as a local date and time\n"
    "  --zone HOURS             the time zone, hours east of Greenwich (default 0;\n"
    "                           info, render, settings: the settings')\n"
    "  --calendar Julian|Gregorian\n"
    "                           the calendar of dates (default Gregorian; info,\n"
    "                           render, settings: the settings')\n"
    "  --from FRAME, --to FRAME the frames of convert\n"
    "  --epoch YEAR             the equinox of the Equatorial and Ecliptic frames,\n"
    "                           as a decimal year (convert: default 2000.0; info:\n"
    "                           default the date itself, precession following it)\n"
    "  --site LON,LAT[,ALT]     the observing site, degrees, east and north positive,\n"
    "                           and metres above sea level; convert with Horizon\n"
    "                           needs it and the instant (--jd or --date), and is\n"
    "                           referred to the equator of that date\n"
    "  --viewer NAME            info, render: see the sky from this body instead of\n"
    "                           the Earth\n"
    "  --frame FRAME            info, render: the chart's coordinate system\n"
    "                           (info: of its last two lines), Equatorial,\n"
    "                           Ecliptic, Galactic or Horizon (default)\n"
    "  --refraction, --aberration, --light-time, --nutation\n"
    "                           info, render: switch these corrections on\n"
    "  --planets Elements|VFP|VSOP87\n"
    "                           info, render: how planets are computed\n"
    "  --size WxH               render, pick: the chart's size in pixels (default\n"
    "                           1600x1000)\n"
    "  --out FILE               render: the picture file, .png, .bmp, .svg, .wmf\n"
    "                           or .pdf; settings: the settings file to write;\n"
    "                           ephemeris: the text file\n"
    "  --center LON,LAT         render: the chart centre, degrees in the chart's\n"
    "                           coordinate system\n"
    "  --field DEGREES          render: the field width (the projection becomes the\n"
    "                           one so wide a field needs, unless one is given)\n"
    "  --projection Planar|Spherical|Lambert|Mercator|Mollweide\n"
    "                           render: the projection\n"
    "  --faintest MAG           render: the faintest star magnitude\n"
    "  --labels, --grid         render: draw object labels, the coordinate grid\n"
    "  --no-mask                render: draw the sky below the horizon too\n"
    "  --sky Black|White|Color  render: the sky background (Color shows daylight\n"
    "                           and the twilights)\n"
    "  --trail NAME             render: record a trail of this object while the\n"
    "                           animation runs (repeatable); drawn with a tick at\n"
    "                           every position and a date at every 10th\n"
    "  --steps N                render: run the animation N steps (backward when N\n"
    "                           is negative) before drawing, as the window would\n"
    "  --time-step STEP         render: the animation's step, an Animation menu\n"
    "                           item (\"1 Hour\", \"1 Day\", \"100 Years\"...) or\n"
    "                           \"DAYS HH:MM:SS\" (default: the settings' step)\n"
    "  --replace, --rename      import: replace a data file of the same name, or\n"
    "                           give the new one a numbered name (the default)\n"
    "  --exact                  find: the whole name or designation, not words\n"
    "  --case                   find: letter case matters\n"
    "  --all                    find: every match, not only the first\n"
    "  --help                   show this text\n"
    "\n"
    "info, render, pick and settings start from the program's state as the\n"
    "window starts with it: the default settings file, when the program directory\n"
    "has one, and the time now; then the --settings file (with its own instant),\n"
    "then the other options. The render options apply to pick, and to what\n"
    "settings writes, too.\n"
    "Rise and set are local times of the zone, an hour later inside the\n"
    "daylight-saving interval when the settings keep it, as the program shows\n"
    "them. An unknown NAME exits with status 1.\n"
    "\n"
    "Options may stand before or after the command; \"--\" ends them.\n";

struct Options {
    std::string programDir;
    double zoneDays = 0.0;
    std::int16_t calendar = kCalendarGregorian;
    bool haveInstant = false;
    double instant = 0.0;
    std::string dateText; // --date, converted once the zone and calendar are known
    int fromFrame = -1;   // frame codes of convert; -1 not given
    int toFrame = -1;
    double epochYear = kDefaultEpochYear;
    bool haveEpoch = false;
    bool haveSite = false;
    double siteLongitude = 0.0; // degrees, east positive
    double siteLatitude = 0.0;  // degrees, north positive
    double siteAltitude = 0.0;  // metres
    bool haveZone = false;
    bool haveCalendar = false;
    std::string settingsPath;
    ToolInfoOptions info;
    ToolDatabaseOptions database;
    ToolRenderOptions render;
    ToolTelescopeOptions telescope;
    ToolSearchOptions search;
};

int UsageError(const std::string& message) {
    PrintText(stderr, "norvane-tool: %s (see norvane-tool --help)\n", message.c_str());
    return kExitUsage;
}

// A whole argument as a finite number, or false.
bool ParseNumber(const char* text, double* value) {
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

// A frame by its keyword in the settings file, or -1.
int ParseFrame(const char* text) {
    if (text == nullptr) return -1;
    if (std::strcmp(text, "Equatorial") == 0) return kFrameEquatorial;
    if (std::strcmp(text, "Ecliptic") == 0) return kFrameEcliptic;
    if (std::strcmp(text, "Galactic") == 0) return kFrameGalactic;
    if (std::strcmp(text, "Horizon") == 0) return kFrameHorizon;
    return -1;
}

// "LON,LAT" or "LON,LAT,ALT": degrees, the latitude within +-90, and metres.
bool ParseSite(const char* text, double* longitude, double* latitude, double* altitude) {
    if (text == nullptr) return false;
    const char* comma = std::strchr(text, ',');
    if (comma == nullptr) return false;
    const char* second = std::strchr(comma + 1, ',');
    std::string lon(text, comma);
    std::string lat = second != nullptr ? std::string(comma + 1, second) : std::string(comma + 1);
    double lonValue = 0.0, latValue = 0.0, altValue = 0.0;
    if (!ParseNumber(lon.c_str(), &lonValue) || !ParseNumber(lat.c_str(), &latValue) ||
        std::fabs(latValue) > kRightAngleDegrees)
        return false;
    if (second != nullptr && !ParseNumber(second + 1, &altValue)) return false;
    *longitude = lonValue;
    *latitude = latValue;
    *altitude = altValue;
    return true;
}

// A planet computation mode by its keyword in the settings file, or 0.
int ParsePlanets(const char* text) {
    if (text == nullptr) return 0;
    if (std::strcmp(text, "Elements") == 0) return kPlanetsElements;
    if (std::strcmp(text, "VFP") == 0) return kPlanetsVFP;
    if (std::strcmp(text, "VSOP87") == 0) return kPlanetsVSOP87;
    return 0;
}

// A projection by its View menu name, or 0.
int ParseProjection(const char* text) {
    if (text == nullptr) return 0;
    const char* names[] = {"Planar", "Spherical", "Lambert", "Mercator", "Mollweide"};
    for (int i = 0; i < 5; ++i)
        if (std::strcmp(text, names[i]) == 0) return i + 1;
    return 0;
}

// "WxH" with both between 1 and 16384 pixels.
bool ParseSize(const char* text, int* width, int* height) {
    if (text == nullptr) return false;
    const char* x = std::strchr(text, 'x');
    if (x == nullptr) return false;
    std::string w(text, x);
    double wValue = 0.0, hValue = 0.0;
    if (!ParseNumber(w.c_str(), &wValue) || !ParseNumber(x + 1, &hValue)) return false;
    constexpr double kLargest = 16384.0;
    if (wValue != std::floor(wValue) || hValue != std::floor(hValue) || wValue < 1.0 ||
        hValue < 1.0 || wValue > kLargest || hValue > kLargest)
        return false;
    *width = static_cast<int>(wValue);
    *height = static_cast<int>(hValue);
    return true;
}

// Prints a message of the string table, as the program would show it.
void PrintReport(int stringNumber, const char* argument) {
    const char* format = StringText(stringNumber);
    if (format == nullptr) {
        std::fprintf(stderr, "norvane-tool: message %d\n", stringNumber);
        return;
    }
    char text[1024];
    std::snprintf(text, sizeof text, format, argument != nullptr ? argument : "");
    PrintText(stderr, "%s\n", text);
}

int CommandJulianDate(const Options& options, const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return UsageError("jd takes one date text");
    double jd = 0.0;
    if (!ParseDateTime(arguments[0], options.zoneDays, options.calendar, &jd)) return kExitFailure;
    std::printf("%.6f\n", jd);
    return 0;
}

int CommandDate(const Options& options, const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return UsageError("date takes one Julian date");
    double jd = 0.0;
    if (!ParseNumber(arguments[0].c_str(), &jd) || !IsSaneJulianDate(jd))
        return UsageError("not a Julian date within 100,000,000 days of J2000: \"" + arguments[0] +
                          "\"");
    std::printf("%s\n", FormatDateTime(jd, options.zoneDays, options.calendar).c_str());
    return 0;
}

int CommandConvert(Options options, const std::vector<std::string>& arguments) {
    if (options.search.from.empty() || options.search.to.empty())
        return UsageError("convert needs --from FRAME and --to FRAME");
    options.fromFrame = ParseFrame(options.search.from.c_str());
    options.toFrame = ParseFrame(options.search.to.c_str());
    for (const char* name : {"--from", "--to"})
        if ((name[2] == 'f' ? options.fromFrame : options.toFrame) < 0)
            return UsageError(std::string(name) +
                              " needs Equatorial, Ecliptic, Galactic or Horizon");
    if (arguments.size() != 2) return UsageError("convert takes a longitude and a latitude");
    double lon = 0.0, lat = 0.0;
    if (!ParseNumber(arguments[0].c_str(), &lon))
        return UsageError("not a longitude: \"" + arguments[0] + "\"");
    if (!ParseNumber(arguments[1].c_str(), &lat) || std::fabs(lat) > kRightAngleDegrees)
        return UsageError("not a latitude between -90 and +90: \"" + arguments[1] + "\"");

    FrameMatrices frames;
    const double epoch = JulianDateFromYear(options.epochYear);
    if (options.fromFrame == kFrameHorizon || options.toFrame == kFrameHorizon) {
        if (!options.haveInstant) return UsageError("convert with Horizon needs --jd or --date");
        if (!options.haveSite) return UsageError("convert with Horizon needs --site LON,LAT");
        double jd = options.instant;
        BuildFrameMatrices(frames, epoch, false,
                           LocalSiderealTime(jd, options.siteLongitude * kSettingsRadiansPerDegree),
                           options.siteLatitude * kSettingsRadiansPerDegree,
                           DynamicalJulianDate(jd, false));
    } else {
        BuildFrameMatrices(frames, epoch, false, 0.0, 0.0);
    }
    lon *= kSettingsRadiansPerDegree;
    lat *= kSettingsRadiansPerDegree;
    ConvertFrame(frames, options.fromFrame, options.toFrame, &lon, &lat);
    std::printf("%.6f %.6f\n", lon * kDegreesPerRadian, lat * kDegreesPerRadian);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    SetReportHandler(PrintReport);
    // Arguments arrive as UTF-8; names and paths inside the program are in
    // its code page.
    std::vector<std::string> convertedArguments;
    std::vector<char*> argumentPointers;
    convertedArguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        // Greek letters have no place in the code page: a name written with
        // them ("α CMa") is put in the stored form first.
        std::string argument = argv[i];
        if (argument.find_first_of("\xCE\xCF") != std::string::npos)
            argument = bayerQuery(argument);
        convertedArguments.push_back(FromConsoleText(argument));
        if (ConsoleText(convertedArguments.back()) != argument)
            gLossyArguments.push_back(convertedArguments.back());
    }
    for (std::string& argument : convertedArguments)
        argumentPointers.push_back(argument.data());
    argumentPointers.push_back(nullptr);
    argv = argumentPointers.data();
    Options options;
    std::vector<std::string> words;
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char*) -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (endOfOptions) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            endOfOptions = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--program-dir") {
            const char* v = value("--program-dir");
            if (v == nullptr || *v == '\0') return UsageError("--program-dir needs a directory");
            options.programDir = v;
        } else if (arg == "--settings") {
            const char* v = value("--settings");
            if (v == nullptr || *v == '\0') return UsageError("--settings needs a file name");
            options.settingsPath = v;
        } else if (arg == "--replace" || arg == "--rename") {
            options.database.replace = arg == "--replace";
        } else if (arg == "--exact") {
            options.database.exact = true;
        } else if (arg == "--case") {
            options.database.caseSensitive = true;
        } else if (arg == "--all") {
            options.database.all = true;
        } else if (arg == "--zone") {
            const char* v = value("--zone");
            double hours = 0.0;
            if (!ParseNumber(v, &hours) || std::fabs(hours) > kLargestZoneHours)
                return UsageError("--zone needs hours between -24 and +24");
            options.zoneDays = hours / kHoursPerDay;
            options.haveZone = true;
        } else if (arg == "--calendar") {
            const char* v = value("--calendar");
            if (v != nullptr && std::strcmp(v, "Julian") == 0)
                options.calendar = kCalendarJulian;
            else if (v != nullptr && std::strcmp(v, "Gregorian") == 0)
                options.calendar = kCalendarGregorian;
            else
                return UsageError("--calendar needs Julian or Gregorian");
            options.haveCalendar = true;
        } else if (arg == "--jd") {
            const char* v = value("--jd");
            if (!ParseNumber(v, &options.instant) || !IsSaneJulianDate(options.instant))
                return UsageError("--jd needs a Julian date within 100,000,000 days of J2000");
            options.haveInstant = true;
            options.dateText.clear();
        } else if (arg == "--date") {
            const char* v = value("--date");
            if (v == nullptr) return UsageError("--date needs a date text");
            options.dateText = v;
            options.haveInstant = true;
        } else if (arg == "--from" || arg == "--to") {
            // Frames for convert, dates for search: read by the command.
            const char* v = value(arg.c_str());
            if (v == nullptr) return UsageError(arg + " needs a value");
            (arg == "--from" ? options.search.from : options.search.to) = v;
        } else if (arg == "--epoch") {
            const char* v = value("--epoch");
            if (!ParseNumber(v, &options.epochYear) ||
                !IsSaneJulianDate(JulianDateFromYear(options.epochYear)))
                return UsageError("--epoch needs a year, such as 2000.0");
            options.haveEpoch = true;
        } else if (arg == "--site") {
            const char* v = value("--site");
            if (!ParseSite(v, &options.siteLongitude, &options.siteLatitude, &options.siteAltitude))
                return UsageError(
                    "--site needs LON,LAT[,ALT] in degrees and metres, the latitude within +-90");
            options.haveSite = true;
        } else if (arg == "--viewer") {
            const char* v = value("--viewer");
            if (v == nullptr || *v == '\0') return UsageError("--viewer needs an object's name");
            options.info.viewer = v;
        } else if (arg == "--frame") {
            const char* v = value("--frame");
            int frame = ParseFrame(v);
            if (frame < 0)
                return UsageError("--frame needs Equatorial, Ecliptic, Galactic or Horizon");
            options.info.frame = frame;
            options.info.haveFrame = true;
        } else if (arg == "--planets") {
            const char* v = value("--planets");
            int planets = ParsePlanets(v);
            if (planets == 0) return UsageError("--planets needs Elements, VFP or VSOP87");
            options.info.planets = planets;
        } else if (arg == "--refraction") {
            options.info.refraction = true;
        } else if (arg == "--aberration") {
            options.info.aberration = true;
        } else if (arg == "--light-time") {
            options.info.lightTime = true;
        } else if (arg == "--nutation") {
            options.info.nutation = true;
        } else if (arg == "--size") {
            if (!ParseSize(value("--size"), &options.render.width, &options.render.height))
                return UsageError("--size needs WIDTHxHEIGHT in pixels, each 1 to 16384");
        } else if (arg == "--device" || arg == "--mount") {
            const char* v = value(arg.c_str());
            if (v == nullptr || *v == '\0') return UsageError(arg + " needs a value");
            (arg == "--device" ? options.telescope.device : options.telescope.mount) = v;
        } else if (arg == "--baud") {
            double baud = 0.0;
            if (!ParseNumber(value("--baud"), &baud) || baud != std::trunc(baud) || baud < 300 ||
                baud > 115200)
                return UsageError("--baud needs a line speed from 300 to 115200");
            options.telescope.baud = static_cast<long>(baud);
        } else if (arg == "--out") {
            const char* v = value("--out");
            if (v == nullptr || *v == '\0') return UsageError("--out needs a file name");
            options.render.out = v;
        } else if (arg == "--center") {
            double altitude = 0.0;
            const char* v = value("--center");
            if (!ParseSite(v, &options.render.centerLongitude, &options.render.centerLatitude,
                           &altitude) ||
                std::strchr(std::strchr(v, ',') + 1, ',') != nullptr)
                return UsageError("--center needs LON,LAT in degrees, the latitude within +-90");
            options.render.haveCenter = true;
        } else if (arg == "--field") {
            if (!ParseNumber(value("--field"), &options.render.field) ||
                !(options.render.field > 0.0))
                return UsageError("--field needs a width in degrees, more than 0");
            options.render.haveField = true;
        } else if (arg == "--projection") {
            options.render.projection = ParseProjection(value("--projection"));
            if (options.render.projection == 0)
                return UsageError(
                    "--projection needs Planar, Spherical, Lambert, Mercator or Mollweide");
        } else if (arg == "--faintest") {
            if (!ParseNumber(value("--faintest"), &options.render.faintest) ||
                std::fabs(options.render.faintest) > 300.0)
                return UsageError("--faintest needs a magnitude");
            options.render.haveFaintest = true;
        } else if (arg == "--sky") {
            const char* v = value("--sky");
            const char* names[] = {"Black", "White", "Color"};
            options.render.sky = 0;
            for (int i = 0; i < 3; ++i)
                if (v != nullptr && std::strcmp(v, names[i]) == 0) options.render.sky = i + 1;
            if (options.render.sky == 0) return UsageError("--sky needs Black, White or Color");
        } else if (arg == "--labels") {
            options.render.labels = true;
        } else if (arg == "--grid") {
            options.render.grid = true;
        } else if (arg == "--no-mask") {
            options.render.noMask = true;
        } else if (arg == "--step") {
            const char* v = value("--step");
            char* end = nullptr;
            options.search.step = v != nullptr ? std::strtod(v, &end) : 0.0;
            if (v == nullptr || *end != '\0' || !(options.search.step > 0.0) ||
                !std::isfinite(options.search.step))
                return UsageError("--step needs a positive number of days");
        } else if (arg == "--farthest") {
            options.search.farthest = true;
        } else if (arg == "--physical") {
            options.search.physical = true;
        } else if (arg == "--trail") {
            const char* v = value("--trail");
            if (v == nullptr || *v == '\0') return UsageError("--trail needs an object name");
            options.render.trails.push_back(v);
        } else if (arg == "--steps") {
            double steps = 0.0;
            if (!ParseNumber(value("--steps"), &steps) || steps != std::trunc(steps) ||
                std::fabs(steps) > kMostSteps)
                return UsageError(
                    "--steps needs a whole number of steps, at most 1000000 either way");
            options.render.steps = static_cast<long>(steps);
        } else if (arg == "--time-step") {
            if (!ParseTimeStepOption(value("--time-step"), &options.render.timeStep))
                return UsageError("--time-step needs an Animation menu step such as \"1 Day\", "
                                  "or days and hours:minutes:seconds");
            options.render.haveTimeStep = true;
        } else if (arg.size() > 1 && arg[0] == '-' &&
                   !((arg[1] >= '0' && arg[1] <= '9') || arg[1] == '.')) {
            return UsageError("unknown option " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) return UsageError("no command given");
    std::string command = words.front();
    // The date option is read in the zone and calendar given, wherever they
    // stand; the commands that read settings read it once those are known.
    bool readsSettings = command == "info" || command == "render" || command == "settings" ||
                         command == "search" || command == "pick" || command == "telescope" ||
                         command == "ephemeris";
    if (!readsSettings && !options.dateText.empty() &&
        !ParseDateTime(options.dateText, options.zoneDays, options.calendar, &options.instant))
        return kExitFailure;

    std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (command == "jd") return CommandJulianDate(options, arguments);
    if (command == "date") return CommandDate(options, arguments);
    if (command == "convert") return CommandConvert(options, arguments);
    options.database.programDir = options.programDir;
    if (command == "import") {
        if (arguments.empty()) return UsageError("import needs at least one file");
        return ToolImport(options.database, arguments);
    }
    if (command == "new-object") {
        if (arguments.size() != 1) return UsageError("new-object takes one line (quote it)");
        for (const std::string& lossy : gLossyArguments) {
            if (lossy != arguments[0]) continue;
            PrintText(stderr, "norvane-tool: the line has characters outside Windows-1252\n");
            return kExitFailure;
        }
        return ToolNewObject(options.database, arguments[0]);
    }
    if (command == "find") {
        if (arguments.size() != 1) return UsageError("find takes one query (quote it)");
        return ToolFind(options.database, arguments[0]);
    }
    if (readsSettings) {
        if (command == "info" && arguments.size() != 1)
            return UsageError("info takes one name (quote it)");
        if (command == "ephemeris" && (arguments.size() != 1 || options.search.from.empty() ||
                                       options.search.to.empty() || options.render.out.empty()))
            return UsageError("ephemeris takes one name, --from DATE --to DATE and --out FILE");
        if (command == "search" &&
            (arguments.size() != 2 || options.search.from.empty() || options.search.to.empty()))
            return UsageError("search takes two names and --from DATE --to DATE");
        double pickX = 0.0, pickY = 0.0;
        if (command == "pick" &&
            (arguments.size() != 2 || !ParseNumber(arguments[0].c_str(), &pickX) ||
             !ParseNumber(arguments[1].c_str(), &pickY) || pickX != std::floor(pickX) ||
             pickY != std::floor(pickY) || std::fabs(pickX) > kLargestPixel ||
             std::fabs(pickY) > kLargestPixel))
            return UsageError("pick takes the pixel's X and Y, whole numbers");
        if (command != "info" && command != "pick" && command != "search" &&
            command != "telescope" && command != "ephemeris" && !arguments.empty())
            return UsageError(command + " takes no arguments");
        const std::string& out = options.render.out;
        if (command == "render") {
            if (out.empty()) return UsageError("render needs --out FILE");
            bool known = false;
            for (const char* extension : {".png", ".bmp", ".svg", ".wmf", ".pdf"})
                known = known || EndsWithIgnoringCase(out, extension);
            if (!known) return UsageError("--out needs a .png, .bmp, .svg, .wmf or .pdf file");
        }
        if (command == "settings" && out.empty()) return UsageError("settings needs --out FILE");
        ToolInfoOptions info = options.info;
        info.settingsPath = options.settingsPath;
        info.haveInstant = options.haveInstant;
        info.julianDate = options.instant;
        info.dateText = options.dateText;
        info.haveZone = options.haveZone;
        info.zoneDays = options.zoneDays;
        info.haveCalendar = options.haveCalendar;
        info.calendar = options.calendar;
        info.haveSite = options.haveSite;
        info.longitude = options.siteLongitude;
        info.latitude = options.siteLatitude;
        info.altitude = options.siteAltitude;
        info.haveEpoch = options.haveEpoch;
        info.epochYear = options.epochYear;
        if (command == "telescope")
            return ToolTelescope(options.database, info, options.telescope, arguments);
        if (command == "render") return ToolRender(options.database, info, options.render);
        if (command == "settings") return ToolSettings(options.database, info, options.render, out);
        if (command == "ephemeris")
            return ToolEphemeris(options.database, info, options.search, arguments[0], out);
        if (command == "search")
            return ToolSearch(options.database, info, options.search, arguments[0], arguments[1]);
        if (command == "pick")
            return ToolPick(options.database, info, options.render, static_cast<int>(pickX),
                            static_cast<int>(pickY));
        return ToolInfo(options.database, info, arguments[0]);
    }
    if (command == "files" || command == "stats") {
        if (!arguments.empty()) return UsageError(command + " takes no arguments");
        return command == "files" ? ToolFiles(options.database) : ToolStats(options.database);
    }
    return UsageError("unknown command \"" + command + "\"");
}
