#include "telescope/mounts/Mounts.h"

#include "astro/Vectors.h"

#include <cmath>

namespace {
constexpr double kTurnsPerRadian = 65536.0 / 6.283185307179586;
}

unsigned TurnsFromAngle(double radians) {
    // Negative declinations go as two's complement of the 16-bit value.
    return static_cast<unsigned>(std::lround(radians * kTurnsPerRadian)) & 0xFFFFu;
}

double AngleFromTurns(unsigned turns) {
    return (turns & 0xFFFFu) / kTurnsPerRadian;
}

double DeclinationFromTurns(unsigned turns) {
    turns &= 0xFFFFu;
    double angle = AngleFromTurns(turns);
    // Past either pole the angle mirrors back (90 to 270 degrees); the last
    // quarter is the southern hemisphere counted the long way round.
    if (turns >= 0xC000u) return angle - 6.283185307179586;
    if (turns > 0x4000u) return 3.141592653589793 - angle;
    return angle;
}

bool ReadDigits(const char* text, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}
