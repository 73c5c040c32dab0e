// Command set A: the Meade LX-200 protocol, also spoken (in part) by the
// Magellan I and II computers and the ETX Autostar. Text commands framed by
// ':' and '#', replies ending in '#'.

#include "astro/CoordinateText.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "shell/Platform.h"
#include "telescope/Link.h"
#include "telescope/TelescopeState.h"
#include "telescope/mounts/Mounts.h"

#include <cmath>

namespace {

constexpr char kTerminator = '#';
constexpr int kLongReply = 79;
constexpr int kChangeSiteQuestion = 2708;
constexpr long kDateUpdateMilliseconds = 5000;

int OpenA() {
    std::string reply;
    if (!LinkCommand("\x06", reply, 1, 0)) return 0;
    // The alignment mode: Alt-az, Polar or German polar.
    if (reply == "A" || reply == "P" || reply == "G") return 1;
    ShowMessage(ButtonsOK, kNotResponding);
    return 0;
}

void CloseA() {
    LinkClose();
}

// "HH:MM.T#" (tenths of a minute) or "HH:MM:SS#"; "sDD*MM#" or "sDD*MM:SS#",
// any character standing for the degree sign. Every digit is checked.
bool ParseRA(const std::string& reply, double& hours) {
    const char* r = reply.c_str();
    int h = 0, m = 0, tenths = 0, s = 0;
    if (!ReadDigits(r, 2, h) || r[2] != ':' || !ReadDigits(r + 3, 2, m)) return false;
    if (r[5] == '.' && ReadDigits(r + 6, 1, tenths) && r[7] == '#') {
        hours = h + (m + tenths / 10.0) / 60.0;
        return h < 24 && m < 60;
    }
    // The long form's seconds are kept: dropping them would put the
    // telescope up to a quarter of a degree from where the mount says.
    if (r[5] == ':' && ReadDigits(r + 6, 2, s) && r[8] == '#') {
        hours = h + m / 60.0 + s / 3600.0;
        return h < 24 && m < 60 && s < 60;
    }
    return false;
}

bool ParseDec(const std::string& reply, double& degrees) {
    const char* r = reply.c_str();
    int d = 0, m = 0, s = 0;
    if ((r[0] != '+' && r[0] != '-') || !ReadDigits(r + 1, 2, d) || r[3] == '\0' ||
        !ReadDigits(r + 4, 2, m))
        return false;
    if (r[6] == '#') {
        degrees = d + m / 60.0;
    } else if ((r[6] == ':' || r[6] == '\'') && ReadDigits(r + 7, 2, s) && r[9] == '#') {
        degrees = d + m / 60.0 + s / 3600.0;
    } else {
        return false;
    }
    if (r[0] == '-') degrees = -degrees;
    return d <= 90 && m < 60 && s < 60;
}

int GetPositionA(double& ra, double& dec) {
    std::string r, d;
    if (!LinkCommand(":GR#", r, kLongReply, kTerminator)) return 0;
    double hours = 0.0;
    if (!ParseRA(r, hours)) {
        ReportBadReply(r);
        return 0;
    }
    if (!LinkCommand(":GD#", d, kLongReply, kTerminator)) return 0;
    double degrees = 0.0;
    if (!ParseDec(d, degrees)) {
        ReportBadReply(d);
        return 0;
    }
    ra = hours / kHoursPerRadianExact;
    dec = degrees / kDegreesPerRadianExact;
    return 1;
}

// Sends the target R.A. and Dec.; a refusal of either names what was sent.
int SendTarget(double ra, double dec) {
    Sexagesimal h = SplitSexagesimal(ReduceAngle(ra) * kHoursPerRadianExact);
    Sexagesimal d = SplitSexagesimal(dec * kDegreesPerRadianExact);
    // Tenths of a minute, carried, so that "60.0" minutes is never sent.
    long tenths = std::lround((h.units * 60 + h.minutes + h.seconds / 60.0) * 10.0) % 14400;
    std::string reply;
    std::string raCommand = Printf(":Sr %02ld:%04.1f#", tenths / 600, (tenths % 600) / 10.0);
    std::string decCommand = Printf(":Sd %c%02hd*%02hd#", d.sign, d.units, d.minutes);
    for (const std::string& command : {raCommand, decCommand}) {
        if (!LinkCommand(command, reply, 1, 0)) return 0;
        if (reply == "0") {
            ShowMessage(ButtonsOK, kInvalidTarget, h.units, h.minutes, h.seconds, d.sign, d.units,
                        d.minutes, d.seconds);
            return 0;
        }
    }
    return 1;
}

int GoToA(double ra, double dec) {
    if (!SendTarget(ra, dec)) return 0;
    std::string reply;
    if (!LinkCommand(":MS#", reply, 1, 0)) return 0;
    if (reply == "1") ShowMessage(ButtonsOK, kBelowHorizon);
    if (reply == "2") ShowMessage(ButtonsOK, kOutOfReach);
    return reply == "0" ? 1 : 0;
}

int SyncA(double ra, double dec) {
    if (!SendTarget(ra, dec)) return 0;
    std::string reply;
    return LinkCommand(":CM#", reply, kLongReply, kTerminator) ? 1 : 0;
}

int MoveA(int start, int direction) {
    static const char* const kStart[] = {"", ":Mn#", ":Me#", ":Ms#", ":Mw#"};
    static const char* const kStop[] = {":Q#", ":Qn#", ":Qe#", ":Qs#", ":Qw#"};
    std::string reply;
    if (direction < 0 || direction > 4) return 0;
    if (start == 1 && direction != 0) return LinkCommand(kStart[direction], reply, 0, 0);
    if (direction != 0) return LinkCommand(kStop[direction], reply, 0, 0);
    for (const char* command : kStop)
        if (!LinkCommand(command, reply, 0, 0)) return 0;
    return 1;
}

int SetRateA(int rate) {
    static const char* const kRates[] = {":RS#", ":RM#", ":RC#", ":RG#"};
    if (rate < 1 || rate > 4) return 0;
    std::string reply;
    return LinkCommand(kRates[rate - 1], reply, 0, 0) ? 1 : 0;
}

// Whole minutes from minutes and seconds, carried into the units.
void RoundToMinutes(Sexagesimal& s) {
    s.minutes = static_cast<std::int16_t>(std::lround(s.minutes + s.seconds / 60.0));
    if (s.minutes >= 60) {
        s.minutes -= 60;
        ++s.units;
    }
}

int SetSiteA(double longitude, double latitude, double zone) {
    if (ShowMessage(ButtonsOKCancel, kChangeSiteQuestion) != AnswerOK) return 0;
    Sexagesimal lat = SplitSexagesimal(latitude * kDegreesPerRadianExact);
    RoundToMinutes(lat);
    // The mount counts longitude westward from 0 to 360 degrees.
    Sexagesimal west = SplitSexagesimal(ReduceAngle(-longitude) * kDegreesPerRadianExact);
    RoundToMinutes(west);
    if (west.units >= 360) west.units -= 360;
    std::string reply;
    return LinkCommand(Printf(":SG %+03.0f#", zone * -24.0), reply, 1, 0) &&
                   LinkCommand(Printf(":St %c%02hd*%02hd#", lat.sign, lat.units, lat.minutes),
                               reply, 1, 0) &&
                   LinkCommand(Printf(":Sg %03hd*%02hd#", west.units, west.minutes), reply, 1, 0)
               ? 1
               : 0;
}

int SetTimeA(double julianDateUT, double zone) {
    if (ShowMessage(ButtonsOKCancel, kChangeSiteQuestion) != AnswerOK) return 0;
    CalendarDateTime t = CalendarFromJulianDate(julianDateUT, zone, kCalendarGregorian);
    // Half a second later rather than a "60" the mount would refuse.
    if (t.second >= 59.5)
        t = CalendarFromJulianDate(julianDateUT + 0.5 / 86400.0, zone, kCalendarGregorian);
    std::string reply;
    bool sent =
        LinkCommand(Printf(":SG %+03.0f#", zone * -24.0), reply, 1, 0) &&
        LinkCommand(Printf(":SL %02hd:%02hd:%02.0f#", t.hour, t.minute, t.second), reply, 1, 0) &&
        LinkCommand(Printf(":SC %02hd/%02.0f/%02ld#", t.month, std::floor(t.day),
                           static_cast<long>(((t.year % 100) + 100) % 100)),
                    reply, kLongReply, kTerminator);
    if (!sent) return 0;
    // The mount recomputes its planetary tables and hears nothing meanwhile.
    SetWaitCursor();
    LinkWait(kDateUpdateMilliseconds);
    SetArrowCursor();
    return 1;
}

} // namespace

MountDriver CommandSetA(int interface) {
    MountDriver d{};
    d.baud = interface == kTelescopeMagellanI    ? 1200
             : interface == kTelescopeMagellanII ? 300
                                                 : 9600;
    d.open = OpenA;
    d.close = CloseA;
    d.getPosition = GetPositionA;
    d.setSite = SetSiteA;
    d.setTime = SetTimeA;
    if (interface == kTelescopeLX200 || interface == kTelescopeAutostar) {
        d.goTo = GoToA;
        d.sync = SyncA;
        d.move = MoveA;
    }
    if (interface == kTelescopeLX200) d.setRate = SetRateA;
    return d;
}
