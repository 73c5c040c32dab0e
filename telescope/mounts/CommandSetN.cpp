// Command set N: the Celestron NexStar, single-letter commands and binary
// 16-bit turns, big-endian. Some hand controls repeat each command before
// answering; either habit is accepted. During a go-to the mount answers
// nothing until it arrives, then sends '@' (or '#').

#include "shell/Platform.h"
#include "telescope/Link.h"
#include "telescope/TelescopeState.h"
#include "telescope/mounts/Mounts.h"

namespace {

constexpr long kGoToSettleMilliseconds = 500;
// No slew takes this long: a mount silent for longer is gone, not busy.
constexpr long kLongestSlewMilliseconds = 180000;

struct NexStarState {
    int echo = 0; // 0 unknown, 1 repeats commands, -1 does not
    bool busy = false;
    long busySince = 0;
    double ra = 0.0, dec = 0.0; // the last position read
};
NexStarState gNexStar;

int Exchange(const std::string& command, std::string& reply, int expected) {
    return LinkExchange(command, reply, expected, 0, &gNexStar.echo);
}

int OpenN() {
    gNexStar = NexStarState{};
    std::string reply;
    int n = LinkExchange("?", reply, 1, 0);
    if (n < 0) ReportLinkFailure(n);
    return n > 0 ? 1 : 0;
}

void CloseN() {
    gNexStar.busy = false;
    LinkClose();
}

int ReadPosition(double& ra, double& dec) {
    std::string reply;
    int n = Exchange("E", reply, 4);
    if (n < 0) {
        ReportLinkFailure(n);
        return 0;
    }
    if (n < 4) {
        ReportBadReply(reply);
        return 0;
    }
    auto word = [&](int i) {
        return static_cast<unsigned>(static_cast<unsigned char>(reply[i])) << 8 |
               static_cast<unsigned char>(reply[i + 1]);
    };
    gNexStar.ra = ra = AngleFromTurns(word(0));
    gNexStar.dec = dec = DeclinationFromTurns(word(2));
    return 1;
}

int GetPositionN(double& ra, double& dec) {
    const int handle = gTelescopeState.portHandle;
    if (gNexStar.busy) {
        long waiting = SerialBytesWaiting(handle);
        if (waiting < 0) {
            ReportLinkFailure(kLinkReadFailed);
            return 0;
        }
        char byte = 0;
        bool arrived =
            waiting > 0 && ReadSerialPort(handle, &byte, 1) == 1 && (byte == '@' || byte == '#');
        if (!arrived && LinkTicks() - gNexStar.busySince < kLongestSlewMilliseconds) {
            ra = gNexStar.ra;
            dec = gNexStar.dec;
            return 1;
        }
        gNexStar.busy = false;
    }
    return ReadPosition(ra, dec);
}

int GoToN(double ra, double dec) {
    double r, d;
    if (!GetPositionN(r, d)) return 0;
    LinkWait(kGoToSettleMilliseconds);
    std::string reply;
    int n = LinkExchange("?", reply, 1, 0);
    if (n < 0) {
        ReportLinkFailure(n);
        return 0;
    }
    unsigned a = TurnsFromAngle(ra), b = TurnsFromAngle(dec);
    std::string command = {'R', static_cast<char>(a >> 8), static_cast<char>(a & 0xFF),
                           static_cast<char>(b >> 8), static_cast<char>(b & 0xFF)};
    n = LinkExchange(command, reply, 0, 0);
    if (n < 0) {
        ReportLinkFailure(n);
        return 0;
    }
    gNexStar.busy = true;
    gNexStar.busySince = LinkTicks();
    return 1;
}

} // namespace

MountDriver CommandSetN() {
    MountDriver d{};
    d.baud = 9600;
    d.open = OpenN;
    d.close = CloseN;
    d.getPosition = GetPositionN;
    d.goTo = GoToN;
    return d;
}
