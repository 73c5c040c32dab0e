// Command set E: the AIM Controls (QEI) Coordinate, line-oriented text;
// replies end with a line feed and are told apart by their first two
// characters.

#include "astro/CoordinateText.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "shell/Platform.h"
#include "telescope/Link.h"
#include "telescope/mounts/Mounts.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr char kTerminator = '\n';
constexpr int kStopSlewingQuestion = 2803;
// Jog speeds for the slew, find, centre and guide rates.
constexpr int kRateValues[] = {16, 8, 4, 2};

int gRateValue = kRateValues[0];

bool Line(const std::string& command, std::string& reply) {
    return LinkCommand(command, reply, kMaxReplyLength, kTerminator);
}

bool Begins(const std::string& reply, const char* two) {
    return reply.compare(0, 2, two) == 0;
}

int OpenE() {
    gRateValue = kRateValues[0];
    std::string reply;
    if (!Line("D\r", reply)) return 0;
    if (Begins(reply, "00")) return 1;
    ShowMessage(ButtonsOK, kNotResponding);
    return 0;
}

void CloseE() {
    LinkClose();
}

int GetPositionE(double& ra, double& dec) {
    std::string reply;
    if (!Line("R\r", reply)) return 0;
    short rh = 0, rm = 0, dd = 0, dm = 0;
    double rs = 0.0, ds = 0.0;
    char sign = 0;
    if (!Begins(reply, "**") ||
        std::sscanf(reply.c_str(), "** RA:%hd:%hd:%lf DEC:%c%hd:%hd:%lf", &rh, &rm, &rs, &sign, &dd,
                    &dm, &ds) != 7 ||
        (sign != '+' && sign != '-') || rh < 0 || rh > 23 || rm < 0 || rm > 59 || !(rs >= 0) ||
        rs >= 60 || dd < 0 || dd > 90 || dm < 0 || dm > 59 || !(ds >= 0) || ds >= 60) {
        ReportBadReply(reply);
        return 0;
    }
    ra = (rh + rm / 60.0 + rs / 3600.0) / kHoursPerRadianExact;
    dec = (dd + dm / 60.0 + ds / 3600.0) / kDegreesPerRadianExact * (sign == '-' ? -1 : 1);
    return 1;
}

// Whole seconds, carried upward, so that "60" is never sent.
Sexagesimal WholeSeconds(double value) {
    Sexagesimal s = SplitSexagesimal(value);
    long total = std::lround((s.units * 60.0 + s.minutes) * 60.0 + s.seconds);
    s.units = static_cast<std::int16_t>(total / 3600);
    s.minutes = static_cast<std::int16_t>(total / 60 % 60);
    s.seconds = static_cast<double>(total % 60);
    return s;
}

std::string Coordinates(char command, double ra, double dec) {
    Sexagesimal h = WholeSeconds(ReduceAngle(ra) * kHoursPerRadianExact);
    if (h.units >= 24) h.units -= 24;
    Sexagesimal d = WholeSeconds(dec * kDegreesPerRadianExact);
    return Printf("%cRA:%02hd:%02hd:%02.0f DEC:%c%02hd:%02hd:%02.0f\r", command, h.units, h.minutes,
                  h.seconds, d.sign, d.units, d.minutes, d.seconds);
}

int StopAll() {
    std::string reply;
    return Line("TS\r", reply) ? 1 : 0;
}

int GoToE(double ra, double dec) {
    std::string reply;
    if (!Line(Coordinates('X', ra, dec), reply)) return 0;
    if (Begins(reply, "01")) {
        Sexagesimal h = SplitSexagesimal(ReduceAngle(ra) * kHoursPerRadianExact);
        Sexagesimal d = SplitSexagesimal(dec * kDegreesPerRadianExact);
        ShowMessage(ButtonsOK, kInvalidTarget, h.units, h.minutes, h.seconds, d.sign, d.units,
                    d.minutes, d.seconds);
        return 0;
    }
    if (Begins(reply, "02")) {
        if (ShowMessage(ButtonsOKCancel, kStopSlewingQuestion) == AnswerOK) StopAll();
        return 0;
    }
    if (Begins(reply, "04")) ShowMessage(ButtonsOK, kBelowHorizon);
    if (Begins(reply, "05")) ShowMessage(ButtonsOK, kOutOfReach);
    return Begins(reply, "04") || Begins(reply, "05") ? 0 : 1;
}

int SyncE(double ra, double dec) {
    std::string reply;
    return Line(Coordinates('S', ra, dec), reply) ? 1 : 0;
}

int MoveE(int start, int direction) {
    static const char* const kJog[] = {"", "JD-%d\r", "JR-%d\r", "JD+%d\r", "JR+%d\r"};
    std::string reply;
    if (direction < 0 || direction > 4) return 0;
    if (direction == 0) return StopAll();
    if (start == 1) return Line(Printf(kJog[direction], gRateValue), reply) ? 1 : 0;
    return Line(direction % 2 == 1 ? "JD+0\r" : "JR+0\r", reply) ? 1 : 0;
}

int SetRateE(int rate) {
    if (rate < 1 || rate > 4) return 0;
    gRateValue = kRateValues[rate - 1];
    return 1;
}

int SetTimeE(double julianDateUT, double zone) {
    CalendarDateTime t = CalendarFromJulianDate(julianDateUT, zone, kCalendarGregorian);
    double whole = std::floor(t.second);
    double hundredths = std::floor((t.second - whole) * 100.0);
    std::string reply;
    return Line(Printf("I%02hd:%02hd:%02.0f:%02.0f\r", t.hour, t.minute, whole, hundredths), reply)
               ? 1
               : 0;
}

} // namespace

MountDriver CommandSetE() {
    MountDriver d{};
    d.baud = 9600;
    d.open = OpenE;
    d.close = CloseE;
    d.getPosition = GetPositionE;
    d.goTo = GoToE;
    d.sync = SyncE;
    d.move = MoveE;
    d.setRate = SetRateE;
    d.setTime = SetTimeE;
    return d;
}
