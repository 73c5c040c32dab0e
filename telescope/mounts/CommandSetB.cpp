// Command set B: the Celestron Ultima 2000, whose angles travel as four
// hexadecimal digits of a 16-bit turn.

#include "telescope/Link.h"
#include "telescope/mounts/Mounts.h"

#include <cstdlib>

namespace {

constexpr char kTerminator = '#';
constexpr int kPositionReply = 16;
constexpr int kShortReply = 2;

bool ReadHex(const char* text, unsigned& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
        if (digit < 0) return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

int OpenB() {
    return 1;
}

void CloseB() {
    LinkClose();
}

int GetPositionB(double& ra, double& dec) {
    std::string reply;
    if (!LinkCommand("E#", reply, kPositionReply, kTerminator)) return 0;
    unsigned r = 0, d = 0;
    const char* p = reply.c_str();
    if (!ReadHex(p, r) || p[4] != ',' || !ReadHex(p + 5, d) || p[9] != '#') {
        ReportBadReply(reply);
        return 0;
    }
    ra = AngleFromTurns(r);
    dec = DeclinationFromTurns(d);
    return 1;
}

int Send(char command, double ra, double dec) {
    std::string reply;
    return LinkCommand(Printf("%c%04X,%04X#", command, TurnsFromAngle(ra), TurnsFromAngle(dec)),
                       reply, kShortReply, kTerminator)
               ? 1
               : 0;
}

int GoToB(double ra, double dec) {
    return Send('R', ra, dec);
}
int SyncB(double ra, double dec) {
    return Send('F', ra, dec);
}

// The mount has one stop for every motion.
int MoveB(int start, int) {
    std::string reply;
    if (start == 1) return 1;
    return LinkCommand("M#", reply, 0, 0) ? 1 : 0;
}

} // namespace

MountDriver CommandSetB() {
    MountDriver d{};
    d.baud = 9600;
    d.open = OpenB;
    d.close = CloseB;
    d.getPosition = GetPositionB;
    d.goTo = GoToB;
    d.sync = SyncB;
    d.move = MoveB;
    return d;
}
