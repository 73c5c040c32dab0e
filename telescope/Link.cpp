#include "telescope/Link.h"

#include "astro/Precession.h"
#include "astro/TimeScales.h"
#include "shell/Platform.h"
#include "telescope/TelescopeState.h"

#include <cstdarg>

namespace {

constexpr int kCantOpenDeviceMessage = 580;
constexpr int kCantRead = 2701;
constexpr int kCantWrite = 2702;
constexpr int kBadReplyMessage = 581;
// A mount whose echo habit is not yet known gets this long to send the rest
// of an answer that began like the command.
constexpr long kEchoGraceMilliseconds = 100;

long (*gTicks)() = nullptr;
long gBaudOverride = 0;
double (*gUniversalTime)() = nullptr;

void DiscardWaiting(int handle) {
    char junk[256];
    for (long n = SerialBytesWaiting(handle); n > 0; n = SerialBytesWaiting(handle))
        if (ReadSerialPort(handle, junk, n < 256 ? n : 256) <= 0) break;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::string Printf(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return std::string(buffer, n < 0 ? 0 : (n < 256 ? n : 255));
}

std::string DeviceForPort(int port) {
    if (port >= 10 && port <= 13) return Printf("/dev/lp%d", port - 10);
    return Printf("/dev/ttyS%d", (port >= 1 && port <= 9 ? port : 1) - 1);
}

std::string TelescopeDevicePath() {
    const TelescopeState& t = gTelescopeState;
    return t.device.empty() ? DeviceForPort(t.port) : t.device;
}

bool LinkOpen(long baud) {
    LinkClose();
    std::string device = TelescopeDevicePath();
    gTelescopeState.portHandle = OpenSerialPort(device, gBaudOverride > 0 ? gBaudOverride : baud);
    if (gTelescopeState.portHandle >= 0) return true;
    ShowMessage(ButtonsOK, kCantOpenDeviceMessage, device.c_str());
    return false;
}

void SetLinkBaudOverride(long baud) {
    gBaudOverride = baud;
}

void LinkClose() {
    CloseSerialPort(gTelescopeState.portHandle);
    gTelescopeState.portHandle = -1;
}

bool LinkIsOpen() {
    return gTelescopeState.portHandle >= 0;
}

int LinkExchange(const std::string& command, std::string& reply, int expected, char terminator,
                 int* echo) {
    const int handle = gTelescopeState.portHandle;
    reply.clear();
    if (handle < 0) return kLinkWriteFailed;
    DiscardWaiting(handle);
    if (!WriteSerialPort(handle, command.data(), static_cast<long>(command.size())))
        return kLinkWriteFailed;
    if (expected <= 0) return 0;
    if (expected > kMaxReplyLength) expected = kMaxReplyLength;
    const int withEcho = echo != nullptr ? expected + static_cast<int>(command.size()) : expected;
    const long start = LinkTicks();
    long fullSince = -1;
    std::string got;
    for (;;) {
        // With an echo possible, the answer is complete at the plain count
        // unless it began with the command.
        int wanted = expected;
        if (echo != nullptr && *echo >= 0 && StartsWith(got, command)) wanted = withEcho;
        if (static_cast<int>(got.size()) >= wanted) {
            bool maybeMore = echo != nullptr && *echo == 0 && wanted == expected &&
                             StartsWith(got, command) && static_cast<int>(got.size()) < withEcho;
            if (!maybeMore) break;
            if (fullSince < 0) fullSince = LinkTicks();
            if (LinkTicks() - fullSince > kEchoGraceMilliseconds) break;
        }
        if (!got.empty() && terminator != 0 && got.back() == terminator) break;
        long waiting = SerialBytesWaiting(handle);
        if (waiting < 0) return kLinkReadFailed;
        if (waiting == 0) {
            if (LinkTicks() - start > kReplyTimeoutMilliseconds) return kLinkTimedOut;
            LinkWait(1);
            continue;
        }
        // One byte at a time where a terminator may come, so that nothing of
        // the next answer is taken.
        long room = terminator != 0 ? 1 : withEcho - static_cast<long>(got.size());
        char buffer[kMaxReplyLength * 2];
        long n = ReadSerialPort(handle, buffer, waiting < room ? waiting : room);
        if (n < 0) return kLinkReadFailed;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    if (echo != nullptr && StartsWith(got, command) && static_cast<int>(got.size()) >= withEcho) {
        *echo = 1;
        got.erase(0, command.size());
    } else if (echo != nullptr && !StartsWith(got, command)) {
        *echo = -1;
    }
    reply = got;
    return static_cast<int>(reply.size());
}

void ReportLinkFailure(int code) {
    int message = code == kLinkWriteFailed  ? kCantWrite
                  : code == kLinkReadFailed ? kCantRead
                                            : kNotResponding;
    ShowMessage(ButtonsOK, message);
}

void ReportBadReply(const std::string& reply) {
    std::string shown;
    for (char c : reply)
        shown += (c >= ' ' && c <= '~') ? c : '?';
    ShowMessage(ButtonsOK, kBadReplyMessage, shown.c_str());
}

bool LinkCommand(const std::string& command, std::string& reply, int expected, char terminator) {
    int n = LinkExchange(command, reply, expected, terminator);
    if (n >= 0) return true;
    ReportLinkFailure(n);
    return false;
}

long LinkTicks() {
    return gTicks != nullptr ? gTicks() : TickCount();
}

void LinkWait(long milliseconds) {
    long start = LinkTicks();
    while (LinkTicks() - start < milliseconds)
        Wait(1);
}

double LinkUniversalTime() {
    return gUniversalTime != nullptr ? gUniversalTime() : CurrentUniversalJulianDate();
}

void SetLinkClockForTest(long (*ticks)(), double (*universalTime)()) {
    gTicks = ticks;
    gUniversalTime = universalTime;
}

namespace {

void Precess(double ra, double dec, bool toDate, double& outRa, double& outDec) {
    Matrix3 m;
    PrecessionMatrix(m, kJ2000, LinkUniversalTime(), false);
    Vector3 v;
    SphericalToRectangular(ra, dec, 1.0, v);
    if (toDate)
        TransformVector(m, v);
    else
        UntransformVector(m, v);
    double r;
    RectangularToSpherical(v, &outRa, &outDec, &r);
}

} // namespace

void J2000ToDate(double ra, double dec, double& raDate, double& decDate) {
    Precess(ra, dec, true, raDate, decDate);
}

void DateToJ2000(double raDate, double decDate, double& ra, double& dec) {
    Precess(raDate, decDate, false, ra, dec);
}
