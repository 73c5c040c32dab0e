#include "astro/Precession.h"

#include <cmath>

namespace {

// Mean obliquity, degrees and Julian centuries from J2000 (Lieske 1977).
constexpr double kObliquity0 = 23.439291;
constexpr double kObliquity1 = -0.0130042;
constexpr double kObliquity2 = -1.6e-7;
constexpr double kObliquity3 = 5.04e-7;

// Precession angles of Lieske (1977) as tabulated by Meeus, Astronomical
// Algorithms ch. 21: arcseconds, T the starting epoch and t the interval, both
// in Julian centuries.
constexpr double kZeta0 = 2306.2181, kZetaT = 1.39656, kZetaT2 = -0.000139;
constexpr double kZetaTt = 0.30188, kZetaTtT = -0.000344, kZetaTtt = 0.017998;
constexpr double kZTt = 1.09468, kZTtT = 0.000066, kZTtt = 0.018203;
constexpr double kTheta0 = 2004.3109, kThetaT = -0.8533, kThetaT2 = -0.000217;
constexpr double kThetaTt = -0.42665, kThetaTtT = -0.000217, kThetaTtt = -0.041833;
constexpr double kPi0 = 47.0029, kPiT = -0.06603, kPiT2 = 0.000598;
constexpr double kPiTt = -0.03302, kPiTtT = 0.000598, kPiTtt = 0.00006;
constexpr double kBigPi0 = 3.0521686847918477; // radians (174.876384 degrees)
constexpr double kBigPiT = 3289.4789, kBigPiT2 = 0.60622;
constexpr double kBigPit = -869.8089, kBigPitT = -0.50491, kBigPitt = 0.03536;
constexpr double kP0 = 5029.0966, kPT = 2.222226, kPT2 = -0.0000042;
constexpr double kPTt = 1.11113, kPTtT = -0.000042, kPTtt = -0.000006;

// The four largest terms of the IAU 1980 nutation (Meeus ch. 22): degrees for
// the arguments, arcseconds for the amplitudes.
constexpr double kFullCircleDegrees = 360.0;
constexpr double kMoonNode0 = 125.0445, kMoonNodeT = -1934.1363;
constexpr double kSunLongitude0 = 280.4665, kSunLongitudeT = 36000.7698;
constexpr double kMoonLongitude0 = 218.3165, kMoonLongitudeT = 481267.8813;
constexpr double kPsiNode = -17.2, kPsiSun = -1.32, kPsiMoon = -0.23, kPsiNode2 = 0.21;
constexpr double kEpsNode = 9.2, kEpsSun = 0.57, kEpsMoon = 0.1, kEpsNode2 = -0.09;

} // namespace

double MeanObliquity(double jd) {
    double T = (jd - kJ2000) * kInverseJulianCentury;
    return (kObliquity0 + T * (kObliquity1 + T * (kObliquity2 + T * kObliquity3))) *
           kRadiansPerDegree;
}

void PrecessionAngles(double jd0, double jd1, double* zeta, double* z, double* theta, double* pi,
                      double* bigPi, double* p) {
    double T = (jd0 - kJ2000) * kInverseJulianCentury;
    double t = (jd1 - jd0) * kInverseJulianCentury;
    double t2 = t * t;
    double t3 = t2 * t;
    double zetaT = kZeta0 + kZetaT * T + kZetaT2 * T * T;
    if (zeta != nullptr)
        *zeta = (zetaT * t + (kZetaTt + kZetaTtT * T) * t2 + kZetaTtt * t3) * kRadiansPerArcsecond;
    if (z != nullptr)
        *z = (zetaT * t + (kZTt + kZTtT * T) * t2 + kZTtt * t3) * kRadiansPerArcsecond;
    if (theta != nullptr)
        *theta = ((kTheta0 + kThetaT * T + kThetaT2 * T * T) * t + (kThetaTt + kThetaTtT * T) * t2 +
                  kThetaTtt * t3) *
                 kRadiansPerArcsecond;
    if (pi != nullptr)
        *pi = ((kPi0 + kPiT * T + kPiT2 * T * T) * t + (kPiTt + kPiTtT * T) * t2 + kPiTtt * t3) *
              kRadiansPerArcsecond;
    if (bigPi != nullptr)
        *bigPi = kBigPi0 +
                 (kBigPiT * T + kBigPiT2 * T * T + (kBigPit + kBigPitT * T) * t + kBigPitt * t2) *
                     kRadiansPerArcsecond;
    if (p != nullptr)
        *p = ((kP0 + kPT * T + kPT2 * T * T) * t + (kPTt + kPTtT * T) * t2 + kPTtt * t3) *
             kRadiansPerArcsecond;
}

void PrecessionMatrix(Matrix3& matrix, double jd0, double jd1, bool withNutation) {
    double zeta = 0.0, z = 0.0, theta = 0.0;
    PrecessionAngles(jd0, jd1, &zeta, &z, &theta, nullptr, nullptr, nullptr);
    if (!withNutation) {
        RotationMatrix(matrix, {{2, zeta}, {1, theta}, {2, z}});
        return;
    }
    // Nutation turns the mean equator of jd1 into the true one: down onto the
    // ecliptic, along it by the nutation in longitude, and up again by the true
    // obliquity.
    double epsilon = MeanObliquity(jd1);
    double deltaPsi = 0.0, deltaEpsilon = 0.0;
    Nutation(jd1, &deltaPsi, &deltaEpsilon);
    RotationMatrix(
        matrix,
        {{2, zeta}, {1, theta}, {2, z}, {0, -epsilon}, {2, deltaPsi}, {0, epsilon + deltaEpsilon}});
}

void Nutation(double jd, double* deltaPsi, double* deltaEpsilon) {
    double T = (jd - kJ2000) * kInverseJulianCentury;
    double node = std::fmod(kMoonNode0 + kMoonNodeT * T, kFullCircleDegrees) * kRadiansPerDegree;
    double sun =
        std::fmod(kSunLongitude0 + kSunLongitudeT * T, kFullCircleDegrees) * kRadiansPerDegree;
    double moon =
        std::fmod(kMoonLongitude0 + kMoonLongitudeT * T, kFullCircleDegrees) * kRadiansPerDegree;
    if (deltaPsi != nullptr)
        *deltaPsi = (kPsiNode * std::sin(node) + kPsiSun * std::sin(2.0 * sun) +
                     kPsiMoon * std::sin(2.0 * moon) + kPsiNode2 * std::sin(2.0 * node)) *
                    kRadiansPerArcsecond;
    if (deltaEpsilon != nullptr)
        *deltaEpsilon = (kEpsNode * std::cos(node) + kEpsSun * std::cos(2.0 * sun) +
                         kEpsMoon * std::cos(2.0 * moon) + kEpsNode2 * std::cos(2.0 * node)) *
                        kRadiansPerArcsecond;
}
