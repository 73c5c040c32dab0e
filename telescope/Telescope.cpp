#include "telescope/Telescope.h"

#include "astro/Vectors.h"
#include "shell/Platform.h"
#include "telescope/Alignment.h"
#include "telescope/Link.h"
#include "telescope/TelescopeState.h"
#include "telescope/mounts/Mounts.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kMouseEmulationMessage = 2714;
// The emulated mount's slewing speed, 8 degrees a second.
constexpr double kEmulatedSlewRate = 0.1396263401670578;
constexpr double kEmulatedRatesA[] = {0.1396263401670578, 0.03490658504176445,
                                      0.0023271056698571197, 0.00014544410436606998};
constexpr double kEmulatedRatesE[] = {0.0011635528349285599, 0.0005817764174642799,
                                      0.00029088820873213997, 0.00014544410436606998};
constexpr double kArcsecond = 4.848136812202333e-06;
constexpr double kPoleLimit = 1.570796327;

TelescopeHooks gHooks{};

MountDriver Driver() {
    switch (gTelescopeState.interface) {
    case kTelescopeUltima2000:
        return CommandSetB();
    case kTelescopeNexStar:
        return CommandSetN();
    case kTelescopeQEICoordinate:
        return CommandSetE();
    case kTelescopeLX200:
    case kTelescopeMagellanI:
    case kTelescopeMagellanII:
    case kTelescopeAutostar:
        return CommandSetA(gTelescopeState.interface);
    default:
        return CommandSetD();
    }
}

bool EmulatesMotion() {
    int f = gTelescopeState.interface;
    return f == kTelescopeLX200 || f == kTelescopeAutostar || f == kTelescopeUltima2000 ||
           f == kTelescopeNexStar || f == kTelescopeQEICoordinate;
}

const double* EmulatedRates() {
    return gTelescopeState.interface == kTelescopeQEICoordinate ? kEmulatedRatesE : kEmulatedRatesA;
}

double Clamp(double x, double limit) {
    return x > limit ? limit : x < -limit ? -limit : x;
}

// A raw position of the family (of date, or J2000.0 for the encoder boxes).
int RawPosition(const MountDriver& d, double& ra, double& dec) {
    TelescopeState& t = gTelescopeState;
    if (!t.emulated) return d.getPosition(ra, dec);
    if (TelescopeIsEncoderBox()) {
        AlignedPosition(t.emuPosition[0], t.emuPosition[1], ra, dec);
        return 1;
    }
    ra = t.emuPosition[0];
    dec = t.emuPosition[1];
    return 1;
}

} // namespace

void SetTelescopeHooks(const TelescopeHooks& hooks) {
    gHooks = hooks;
}

int TelescopeInterfaceNamed(const char* word) {
    static const char* const kWords[] = {"LX200",      "MagellanI", "MagellanII",  "Autostar",
                                         "Ultima2000", "NexStar",   "AstroMaster", "SkyWizard",
                                         "NGCMax",     "SkyVector", "BBox",        "QEICoordinate"};
    for (int i = 0; i < 12; ++i)
        if (std::strcmp(word, kWords[i]) == 0) return i + 1;
    return 0;
}

bool TelescopeCanGoTo() {
    return Driver().goTo != nullptr;
}
bool TelescopeCanSync() {
    return Driver().sync != nullptr;
}
bool TelescopeCanMove() {
    return Driver().move != nullptr;
}
bool TelescopeCanSetRate() {
    return Driver().setRate != nullptr;
}
bool TelescopeIsEncoderBox() {
    return gTelescopeState.interface >= kTelescopeAstroMaster &&
           gTelescopeState.interface <= kTelescopeBBox;
}

void StepEmulation(long now) {
    TelescopeState& t = gTelescopeState;
    double d =
        t.emuLastTicks != 0 ? (now - static_cast<long>(t.emuLastTicks)) * t.emuRate * 0.001 : 0.0;
    t.emuLastTicks = static_cast<std::uint32_t>(now);
    if (!EmulatesMotion()) return;
    switch (t.emuMotion) {
    case 1:
        t.emuPosition[1] += d;
        break;
    case 2:
        t.emuPosition[0] += d;
        break;
    case 3:
        t.emuPosition[1] -= d;
        break;
    case 4:
        t.emuPosition[0] -= d;
        break;
    case 5: {
        double step = kEmulatedSlewRate / (t.updatesPerSec > 0 ? t.updatesPerSec : 1);
        double dRA = std::remainder(t.emuTarget[0] - t.emuPosition[0], 2.0 * M_PI);
        double dDec = t.emuTarget[1] - t.emuPosition[1];
        t.emuPosition[0] += Clamp(dRA, step);
        t.emuPosition[1] += Clamp(dDec, step);
        if (std::fabs(dRA) < kArcsecond && std::fabs(dDec) < kArcsecond) t.emuMotion = 0;
        break;
    }
    default:
        break;
    }
    t.emuPosition[0] = ReduceAngle(t.emuPosition[0]);
    t.emuPosition[1] = Clamp(t.emuPosition[1], kPoleLimit);
}

int TelescopeConnect() {
    TelescopeState& t = gTelescopeState;
    if (t.connected) TelescopeDisconnect();
    const MountDriver d = Driver();
    if (t.emulated) {
        t.emuMotion = 0;
        t.emuLastTicks = 0;
        t.emuRate = EmulatedRates()[0];
        if (TelescopeIsEncoderBox()) {
            ResetAlignment();
            t.emuPosition[0] = 0.0;
            t.emuPosition[1] = kPoleLimit;
        } else {
            double ra = t.targetRA, dec = t.targetDec;
            if (gHooks.startPosition != nullptr) gHooks.startPosition(ra, dec);
            J2000ToDate(ra, dec, t.emuPosition[0], t.emuPosition[1]);
        }
        if (!EmulatesMotion()) ShowMessage(ButtonsOK, kMouseEmulationMessage);
    } else if (!LinkOpen(d.baud) || !d.open()) {
        LinkClose();
        return 0;
    }
    // Nothing is drawn for the position read here: it is the first one.
    t.position[0] = t.position[1] = 1e9;
    t.connected = false;
    if (!TelescopePoll()) {
        if (!t.emulated) d.close();
        t.connected = t.showFields = false;
        return 0;
    }
    t.connected = true;
    t.showFields = true;
    t.lastPollTicks = static_cast<std::uint32_t>(LinkTicks());
    if (gHooks.connected != nullptr) gHooks.connected();
    return 1;
}

void TelescopeDisconnect() {
    TelescopeState& t = gTelescopeState;
    if (!t.emulated && LinkIsOpen()) Driver().close();
    LinkClose();
    bool was = t.connected;
    t.connected = t.showFields = t.stayCentred = t.trackMovingTargets = false;
    t.pressedArrow = 0;
    if (was && gHooks.disconnected != nullptr) gHooks.disconnected();
}

int TelescopeGetPosition(double& ra, double& dec) {
    const MountDriver d = Driver();
    double r = 0.0, e = 0.0;
    if (!RawPosition(d, r, e)) return 0;
    if (d.positionsInJ2000) {
        ra = r;
        dec = e;
    } else {
        DateToJ2000(r, e, ra, dec);
    }
    return 1;
}

int TelescopeGoTo(double ra, double dec) {
    TelescopeState& t = gTelescopeState;
    const MountDriver d = Driver();
    if (d.goTo == nullptr) return 0;
    double r, e;
    J2000ToDate(ra, dec, r, e);
    if (t.emulated) {
        t.emuTarget[0] = r;
        t.emuTarget[1] = e;
        t.emuMotion = 5;
        return 1;
    }
    return d.goTo(r, e);
}

int TelescopeSync(double ra, double dec) {
    TelescopeState& t = gTelescopeState;
    const MountDriver d = Driver();
    if (d.sync == nullptr) return 0;
    if (TelescopeIsEncoderBox() && t.emulated) return AlignStep(t.emuPosition, true);
    if (d.positionsInJ2000) return d.sync(ra, dec);
    double r, e;
    J2000ToDate(ra, dec, r, e);
    if (t.emulated) {
        t.emuPosition[0] = r;
        t.emuPosition[1] = e;
        t.emuMotion = 0;
        return 1;
    }
    return d.sync(r, e);
}

int TelescopeMove(int start, int direction) {
    TelescopeState& t = gTelescopeState;
    const MountDriver d = Driver();
    if (d.move == nullptr || direction < kMoveAll || direction > kMoveWest) return 0;
    if (!t.emulated) return d.move(start, direction);
    if (start == 1 && direction != kMoveAll)
        t.emuMotion = direction;
    else if (direction == kMoveAll || t.emuMotion == direction)
        t.emuMotion = 0;
    return 1;
}

int TelescopeSetRate(int rate) {
    TelescopeState& t = gTelescopeState;
    const MountDriver d = Driver();
    if (d.setRate == nullptr || rate < kRateSlew || rate > kRateGuide) return 0;
    if (!t.emulated) return d.setRate(rate);
    t.emuRate = EmulatedRates()[rate - 1];
    return 1;
}

int TelescopeSetSite(double longitude, double latitude, double zone) {
    const MountDriver d = Driver();
    if (d.setSite == nullptr || gTelescopeState.emulated) return 0;
    return d.setSite(longitude, latitude, zone);
}

int TelescopeSetTime(double julianDateUT, double zone) {
    const MountDriver d = Driver();
    if (d.setTime == nullptr || gTelescopeState.emulated) return 0;
    return d.setTime(julianDateUT, zone);
}

int TelescopePoll() {
    TelescopeState& t = gTelescopeState;
    if (t.emulated) StepEmulation(LinkTicks());
    double ra = 0.0, dec = 0.0;
    if (!TelescopeGetPosition(ra, dec)) {
        // The failure has been reported once, by the command that met it.
        TelescopeDisconnect();
        return 0;
    }
    t.lastPollTicks = static_cast<std::uint32_t>(LinkTicks());
    if (std::fabs(ra - t.position[0]) >= kArcsecond ||
        std::fabs(dec - t.position[1]) >= kArcsecond) {
        double oldRA = t.position[0], oldDec = t.position[1];
        t.position[0] = ra;
        t.position[1] = dec;
        if (t.connected && gHooks.moved != nullptr) gHooks.moved(oldRA, oldDec);
    }
    return 1;
}
