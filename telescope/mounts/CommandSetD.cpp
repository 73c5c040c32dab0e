// Command set D: the encoder boxes (AstroMaster, SkyWizard, NGC-MAX,
// SkyVector, BBox). They know only two encoder counts; the alignment turns
// them into sky positions.

#include "shell/Platform.h"
#include "telescope/Alignment.h"
#include "telescope/Link.h"
#include "telescope/TelescopeState.h"
#include "telescope/mounts/Mounts.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

constexpr char kTerminator = '\r';

// Whole numbers with an optional sign, separated by blanks, nothing else.
bool ReadCounts(const std::string& reply, double counts[2]) {
    const char* p = reply.c_str();
    for (int i = 0; i < 2; ++i) {
        while (*p == ' ' || *p == '\t')
            ++p;
        const char* start = p;
        if (*p == '+' || *p == '-') ++p;
        if (*p < '0' || *p > '9') return false;
        char* end = nullptr;
        counts[i] = std::strtod(start, &end);
        for (; p < end; ++p)
            if ((*p < '0' || *p > '9') && *p != '.') return false;
        if (!std::isfinite(counts[i])) return false;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return *p == '\r' || *p == '\0';
}

int OpenD() {
    ResetAlignment();
    std::string reply;
    if (!LinkCommand("P", reply, kMaxReplyLength, kTerminator)) return 0;
    // The box answers with its firmware's number.
    int version = 0;
    const char* p = reply.c_str();
    int digits = 0;
    while (p[digits] >= '0' && p[digits] <= '9' && digits < 3)
        ++digits;
    if (digits > 0 && ReadDigits(p, digits, version) && (p[digits] == '\r' || p[digits] == 0))
        return 1;
    ShowMessage(ButtonsOK, kNotResponding);
    return 0;
}

void CloseD() {
    LinkClose();
}

int ReadEncoderCounts(double counts[2]) {
    std::string reply;
    if (!LinkCommand("Q", reply, kMaxReplyLength, kTerminator)) return 0;
    if (ReadCounts(reply, counts)) return 1;
    ReportBadReply(reply);
    return 0;
}

int GetPositionD(double& ra, double& dec) {
    double counts[2], lon, lat;
    if (!ReadEncoderCounts(counts)) return 0;
    EncoderAngles(counts, lon, lat);
    AlignedPosition(lon, lat, ra, dec);
    return 1;
}

int SyncD(double, double) {
    double counts[2];
    if (!ReadEncoderCounts(counts)) return 0;
    return AlignStep(counts, false);
}

} // namespace

MountDriver CommandSetD() {
    MountDriver d{};
    d.baud = 9600;
    d.positionsInJ2000 = true;
    d.open = OpenD;
    d.close = CloseD;
    d.getPosition = GetPositionD;
    d.sync = SyncD;
    return d;
}
