#pragma once

// The five command sets the mount families speak. Each set is one driver:
// a table of operations over the link, all angles in radians of the equinox
// of date except where a driver says otherwise. An operation a driver lacks
// is left null, and the dispatcher does nothing for it.

struct MountDriver {
    long baud;
    // The driver's positions are J2000.0 already (the encoder boxes, whose
    // alignment stars are J2000.0 places).
    bool positionsInJ2000;
    int (*open)();
    void (*close)();
    int (*getPosition)(double& ra, double& dec);
    int (*goTo)(double ra, double dec);
    int (*sync)(double ra, double dec);
    int (*move)(int start, int direction);
    int (*setRate)(int rate);
    int (*setSite)(double longitude, double latitude, double zone);
    int (*setTime)(double julianDateUT, double zone);
};

// Command set A: Meade LX-200, Magellan I and II, Autostar (by interface).
MountDriver CommandSetA(int interface);
// Command set B: Celestron Ultima 2000.
MountDriver CommandSetB();
// Command set N: Celestron NexStar.
MountDriver CommandSetN();
// Command set D: the encoder boxes (counts become angles by the alignment).
MountDriver CommandSetD();
// Command set E: AIM Controls (QEI) Coordinate.
MountDriver CommandSetE();

// Messages of a go-to the mount refuses.
constexpr int kInvalidTarget = 2800;
constexpr int kBelowHorizon = 2801;
constexpr int kOutOfReach = 2802;
// Exact factors for the sets that speak hours and degrees.
constexpr double kHoursPerRadianExact = 3.819718634205488;
constexpr double kDegreesPerRadianExact = 57.29577951308232;

// Shared by the sets: 16-bit fractions of a turn, and the Dec. folding of
// the sets that use them.
unsigned TurnsFromAngle(double radians);
double AngleFromTurns(unsigned turns);
double DeclinationFromTurns(unsigned turns);
// Strict readers of mount replies: digits only, where digits are expected.
bool ReadDigits(const char* text, int count, int& value);
