// norvane-tool: Norvane's command-line companion, for scripts and tests.

#include "astro/Report.h"
#include "astro/TimeScales.h"
#include "resources/Strings.h"

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

const char* kUsage =
    "Usage: norvane-tool [options] COMMAND [ARGUMENTS]\n"
    "\n"
    "Norvane's command-line companion.\n"
    "\n"
    "Commands:\n"
    "  jd TEXT        print the Julian date of a local date and time,\n"
    "                 TEXT as \"year/month/day hour:min:sec\" or \"year/month/decimal day\"\n"
    "  date JD        print the local date and time of a Julian date\n"
    "\n"
    "Options:\n"
    "  --program-dir DIR        the program directory (database, settings);\n"
    "                           default: the directory of norvane-tool\n"
    "  --jd JD                  the instant, as a Julian date\n"
    "  --date \"Y/M/D h:m:s\"     the instant, as a local date and time\n"
    "  --zone HOURS             the time zone, hours east of Greenwich (default 0)\n"
    "  --calendar Julian|Gregorian\n"
    "                           the calendar of dates (default Gregorian)\n"
    "  --help                   show this text\n";

struct Options {
    std::string programDir;
    double zoneDays = 0.0;
    std::int16_t calendar = kCalendarGregorian;
    bool haveInstant = false;
    double instant = 0.0;
    std::string dateText;  // --date, converted once the zone and calendar are known
};

int UsageError(const std::string& message) {
    std::fprintf(stderr, "norvane-tool: %s (see norvane-tool --help)\n", message.c_str());
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

// Prints a message of the string table, as the program would show it.
void PrintReport(int stringNumber, const char* argument) {
    const char* format = StringText(stringNumber);
    if (format == nullptr) {
        std::fprintf(stderr, "norvane-tool: message %d\n", stringNumber);
        return;
    }
    char text[1024];
    std::snprintf(text, sizeof text, format, argument != nullptr ? argument : "");
    std::fprintf(stderr, "%s\n", text);
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
    if (!ParseNumber(arguments[0].c_str(), &jd))
        return UsageError("not a Julian date: \"" + arguments[0] + "\"");
    std::printf("%s\n", FormatDateTime(jd, options.zoneDays, options.calendar).c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    SetReportHandler(PrintReport);
    Options options;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char*) -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (!words.empty()) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--program-dir") {
            const char* v = value("--program-dir");
            if (v == nullptr || *v == '\0') return UsageError("--program-dir needs a directory");
            options.programDir = v;
        } else if (arg == "--zone") {
            const char* v = value("--zone");
            double hours = 0.0;
            if (!ParseNumber(v, &hours) || std::fabs(hours) > kLargestZoneHours)
                return UsageError("--zone needs hours between -24 and +24");
            options.zoneDays = hours / kHoursPerDay;
        } else if (arg == "--calendar") {
            const char* v = value("--calendar");
            if (v != nullptr && std::strcmp(v, "Julian") == 0)
                options.calendar = kCalendarJulian;
            else if (v != nullptr && std::strcmp(v, "Gregorian") == 0)
                options.calendar = kCalendarGregorian;
            else
                return UsageError("--calendar needs Julian or Gregorian");
        } else if (arg == "--jd") {
            const char* v = value("--jd");
            if (!ParseNumber(v, &options.instant)) return UsageError("--jd needs a Julian date");
            options.haveInstant = true;
            options.dateText.clear();
        } else if (arg == "--date") {
            const char* v = value("--date");
            if (v == nullptr) return UsageError("--date needs a date text");
            options.dateText = v;
            options.haveInstant = true;
        } else if (arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9')) {
            return UsageError("unknown option " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) return UsageError("no command given");
    // The date option is read in the zone and calendar given, wherever they stand.
    if (!options.dateText.empty() &&
        !ParseDateTime(options.dateText, options.zoneDays, options.calendar, &options.instant))
        return kExitFailure;

    std::string command = words.front();
    std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (command == "jd") return CommandJulianDate(options, arguments);
    if (command == "date") return CommandDate(options, arguments);
    return UsageError("unknown command \"" + command + "\"");
}
