#pragma once

// The serial link to a mount: opening the chosen device, the command
// exchange every command set shares, the clock the exchanges are timed by,
// and the change of equinox between J2000.0 and the date, which is what
// mounts keep their coordinates in.

#include <string>

// Failures of an exchange, reported to its caller as codes.
constexpr int kLinkTimedOut = -1;
constexpr int kLinkReadFailed = -2;
constexpr int kLinkWriteFailed = -3;

// How long a mount may take to answer.
constexpr long kReplyTimeoutMilliseconds = 2000;
// No reply is longer than this.
constexpr int kMaxReplyLength = 80;
// The message of a mount that doesn't answer.
constexpr int kNotResponding = 2706;

// The device a port number of older settings names: COM1 to COM9 are the
// first nine serial ports, LPT1 to LPT4 the parallel ones.
std::string DeviceForPort(int port);
// The device the link opens: the settings' path, else the port's device.
std::string TelescopeDevicePath();

// Opens the telescope's device at `baud`; on failure says so, naming it.
bool LinkOpen(long baud);
void LinkClose();
// A line speed to use instead of the mount's own (0: the mount's).
void SetLinkBaudOverride(long baud);
bool LinkIsOpen();

// Throws away whatever the mount sent unasked, writes `command`, then, when
// `expected` is above 0, collects at most `expected` bytes (and never more
// than kMaxReplyLength) until the last one is `terminator` (0: none) or the
// count is reached. The reply length, or a failure code. `echo` is for mounts
// that may repeat the command before their answer: it points to what is known
// of that habit (0 unknown, 1 echoes, -1 does not), and the echo is removed.
int LinkExchange(const std::string& command, std::string& reply, int expected, char terminator,
                 int* echo = nullptr);
// As LinkExchange, but a failure is reported with its message (2706, 2701
// or 2702) and gives false.
bool LinkCommand(const std::string& command, std::string& reply, int expected, char terminator);
// The message of a failure code.
void ReportLinkFailure(int code);
// Says that a reply could not be read, quoting it.
void ReportBadReply(const std::string& reply);

// The clock of the link: milliseconds, and the computer's Universal Time as
// a Julian date. Tests put a fast clock and a fixed date in their place.
long LinkTicks();
void LinkWait(long milliseconds);
double LinkUniversalTime();
void SetLinkClockForTest(long (*ticks)(), double (*universalTime)());

// Equinox-of-date angles for J2000.0 angles, and back, for the date of the
// clock now. Radians.
void J2000ToDate(double ra, double dec, double& raDate, double& decDate);
void DateToJ2000(double raDate, double decDate, double& ra, double& dec);

// printf into a std::string, bounded.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
