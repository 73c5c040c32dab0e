#include "astro/Sgp4.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPiFull = std::numbers::pi;
constexpr double kTurn = 2.0 * std::numbers::pi;
constexpr double kTwoThirds = 2.0 / 3.0;

// WGS-72 zonal harmonics, and ke, the square root of GM in Earth radii^1.5
// per minute.
constexpr double kJ2 = 0.001082616;
constexpr double kJ3 = -0.00000253881;
constexpr double kJ4 = -0.00000165597;
constexpr double kJ3OverJ2 = kJ3 / kJ2;
const double kKe =
    60.0 / std::sqrt(kSgp4EarthRadiusKm * kSgp4EarthRadiusKm * kSgp4EarthRadiusKm / kSgp4EarthGM);
const double kKmPerSecond = kSgp4EarthRadiusKm * kKe / 60.0;

// The density model: the atmosphere's reference height s (78 km) and the
// constant (q0 - s)^4 with q0 = 120 km.
constexpr double kDensityHeightKm = 78.0;
constexpr double kDensityTopKm = 120.0;
// Below these perigee heights the density height is lowered, and below the
// last one the drag terms of higher order are left out.
constexpr double kLowPerigeeKm = 156.0;
constexpr double kVeryLowPerigeeKm = 98.0;
constexpr double kSimpleDragPerigeeKm = 220.0;
// Eccentricities below this drop the terms that divide by e.
constexpr double kSmallEccentricity = 1.0e-4;
// Orbits of this period (minutes) and longer take the deep-space theory.
constexpr double kDeepSpacePeriod = 225.0;
// Inclinations this close to 0 or 180 degrees drop the lunar-solar node terms.
constexpr double kLowInclination = 5.2359877e-2;
// 1 + cos i below this is taken as this, for retrograde equatorial orbits.
constexpr double kNearRetrograde = 1.5e-12;

// The Earth's rotation, radians per minute.
constexpr double kEarthRotation = 4.37526908801129966e-3;

// Lunar-solar constants: the bodies' mean motions (radians per minute),
// orbital eccentricities and force coefficients; the Sun's fixed geometry
// (ecliptic obliquity, argument of perigee).
constexpr double kSolarMotion = 1.19459e-5;
constexpr double kLunarMotion = 1.5835218e-4;
constexpr double kSolarEccentricity = 0.01675;
constexpr double kLunarEccentricity = 0.05490;
constexpr double kSolarCoefficient = 2.9864797e-6;
constexpr double kLunarCoefficient = 4.7968065e-7;
constexpr double kSinSolarInclination = 0.39785416;
constexpr double kCosSolarInclination = 0.91744867;
constexpr double kCosSolarPerigee = 0.1945905;
constexpr double kSinSolarPerigee = -0.98088458;

// Resonance: the tesseral coefficients of the one-day problem, those of the
// half-day problem, and the phases of both.
constexpr double kQ22 = 1.7891679e-6, kQ31 = 2.1460748e-6, kQ33 = 2.2123015e-7;
constexpr double kRoot22 = 1.7891679e-6, kRoot32 = 3.7393792e-7, kRoot44 = 7.3636953e-9;
constexpr double kRoot52 = 1.1428639e-7, kRoot54 = 2.1765803e-9;
constexpr double kFasx2 = 0.13130908, kFasx4 = 2.8843198, kFasx6 = 0.37448087;
constexpr double kG22 = 5.7686396, kG32 = 0.95240898, kG44 = 1.8014998;
constexpr double kG52 = 1.0508330, kG54 = 4.4108898;
// Mean motions (radians per minute) of the two resonant bands.
constexpr double kOneDayLow = 0.0034906585, kOneDayHigh = 0.0052359877;
constexpr double kHalfDayLow = 8.26e-3, kHalfDayHigh = 9.24e-3;
// The resonance integrator's fixed step, minutes, and half its square.
constexpr double kResonanceStep = 720.0;
constexpr double kResonanceStepSquareHalf = 259200.0;

// Days from 1950 January 0.0 UT, the model's own count, and from that to the
// count of the lunar-solar arguments (from 1900 January 0.5).
constexpr double kJulianDate1950 = 2433281.5;
constexpr double kDays1900To1950 = 18261.5;

// The geometry of one perturbing body seen from the orbit (the s and z
// quantities of the deep-space theory).
struct BodyTerms {
    double s1, s2, s3, s4, s5, s6, s7;
    double z1, z2, z3, z11, z12, z13, z21, z22, z23, z31, z32, z33;
};

// Position of the body's orbit (cos and sin of its inclination, node and
// perigee on the equator) against the satellite's orbit.
BodyTerms MakeBodyTerms(double cosg, double sing, double cosi, double sini, double cosh,
                        double sinh, double coefficient, const Sgp4Model& m, double cosim,
                        double sinim, double cosomm, double sinomm) {
    const double em = m.el.eccentricity;
    const double emsq = em * em;
    const double betasq = 1.0 - emsq;
    const double rtemsq = std::sqrt(betasq);
    const double a1 = cosg * cosh + sing * cosi * sinh;
    const double a3 = -sing * cosh + cosg * cosi * sinh;
    const double a7 = -cosg * sinh + sing * cosi * cosh;
    const double a8 = sing * sini;
    const double a9 = sing * sinh + cosg * cosi * cosh;
    const double a10 = cosg * sini;
    const double a2 = cosim * a7 + sinim * a8;
    const double a4 = cosim * a9 + sinim * a10;
    const double a5 = -sinim * a7 + cosim * a8;
    const double a6 = -sinim * a9 + cosim * a10;
    const double x1 = a1 * cosomm + a2 * sinomm;
    const double x2 = a3 * cosomm + a4 * sinomm;
    const double x3 = -a1 * sinomm + a2 * cosomm;
    const double x4 = -a3 * sinomm + a4 * cosomm;
    const double x5 = a5 * sinomm;
    const double x6 = a6 * sinomm;
    const double x7 = a5 * cosomm;
    const double x8 = a6 * cosomm;
    BodyTerms t;
    t.z31 = 12.0 * x1 * x1 - 3.0 * x3 * x3;
    t.z32 = 24.0 * x1 * x2 - 6.0 * x3 * x4;
    t.z33 = 12.0 * x2 * x2 - 3.0 * x4 * x4;
    t.z1 = 3.0 * (a1 * a1 + a2 * a2) + t.z31 * emsq;
    t.z2 = 6.0 * (a1 * a3 + a2 * a4) + t.z32 * emsq;
    t.z3 = 3.0 * (a3 * a3 + a4 * a4) + t.z33 * emsq;
    t.z11 = -6.0 * a1 * a5 + emsq * (-24.0 * x1 * x7 - 6.0 * x3 * x5);
    t.z12 = -6.0 * (a1 * a6 + a3 * a5) +
            emsq * (-24.0 * (x2 * x7 + x1 * x8) - 6.0 * (x3 * x6 + x4 * x5));
    t.z13 = -6.0 * a3 * a6 + emsq * (-24.0 * x2 * x8 - 6.0 * x4 * x6);
    t.z21 = 6.0 * a2 * a5 + emsq * (24.0 * x1 * x5 - 6.0 * x3 * x7);
    t.z22 =
        6.0 * (a4 * a5 + a2 * a6) + emsq * (24.0 * (x2 * x5 + x1 * x6) - 6.0 * (x4 * x7 + x3 * x8));
    t.z23 = 6.0 * a4 * a6 + emsq * (24.0 * x2 * x6 - 6.0 * x4 * x8);
    t.z1 = t.z1 + t.z1 + betasq * t.z31;
    t.z2 = t.z2 + t.z2 + betasq * t.z32;
    t.z3 = t.z3 + t.z3 + betasq * t.z33;
    t.s3 = coefficient / m.meanMotion;
    t.s2 = -0.5 * t.s3 / rtemsq;
    t.s4 = t.s3 * rtemsq;
    t.s1 = -15.0 * em * t.s4;
    t.s5 = x1 * x3 + x2 * x4;
    t.s6 = x2 * x3 + x1 * x4;
    t.s7 = x2 * x4 - x1 * x3;
    return t;
}

// The deep-space set-up: the lunar-solar periodic amplitudes and secular
// rates, and the resonance coefficients.
void InitDeepSpace(Sgp4Model& m) {
    const Sgp4Elements& el = m.el;
    const double em = el.eccentricity;
    const double emsq = em * em;
    const double sinim = std::sin(el.inclination), cosim = std::cos(el.inclination);
    const double snodm = std::sin(el.node), cnodm = std::cos(el.node);
    const double sinomm = std::sin(el.perigee), cosomm = std::cos(el.perigee);

    // The Moon's orbit at epoch: its node on the ecliptic, then its
    // inclination and node on the equator, and its perigee.
    const double day = el.epoch - kJulianDate1950 + kDays1900To1950;
    const double xnodce = std::fmod(4.5236020 - 9.2422029e-4 * day, kTurn);
    const double stem = std::sin(xnodce), ctem = std::cos(xnodce);
    const double zcosil = 0.91375164 - 0.03568096 * ctem;
    const double zsinil = std::sqrt(1.0 - zcosil * zcosil);
    const double zsinhl = 0.089683511 * stem / zsinil;
    const double zcoshl = std::sqrt(1.0 - zsinhl * zsinhl);
    const double gam = 5.8351514 + 0.0019443680 * day;
    double zx = 0.39785416 * stem / zsinil;
    const double zy = zcoshl * ctem + 0.91744867 * zsinhl * stem;
    zx = gam + std::atan2(zx, zy) - xnodce;
    const double zcosgl = std::cos(zx), zsingl = std::sin(zx);

    const BodyTerms terms[2] = {
        MakeBodyTerms(kCosSolarPerigee, kSinSolarPerigee, kCosSolarInclination,
                      kSinSolarInclination, cnodm, snodm, kSolarCoefficient, m, cosim, sinim,
                      cosomm, sinomm),
        MakeBodyTerms(zcosgl, zsingl, zcosil, zsinil, zcoshl * cnodm + zsinhl * snodm,
                      snodm * zcoshl - cnodm * zsinhl, kLunarCoefficient, m, cosim, sinim, cosomm,
                      sinomm)};
    const double bodyEccentricity[2] = {kSolarEccentricity, kLunarEccentricity};
    const double bodyMotion[2] = {kSolarMotion, kLunarMotion};
    m.body[0].meanAnomaly = std::fmod(6.2565837 + 0.017201977 * day, kTurn);
    m.body[1].meanAnomaly = std::fmod(4.7199672 + 0.22997150 * day - gam, kTurn);

    const bool nearEquatorial =
        el.inclination < kLowInclination || el.inclination > kPiFull - kLowInclination;
    m.dedt = m.didt = m.dmdt = m.dnodt = m.domdt = 0.0;
    for (int b = 0; b < 2; ++b) {
        const BodyTerms& t = terms[b];
        Sgp4Model::Periodics& p = m.body[b];
        p.e2 = 2.0 * t.s1 * t.s6;
        p.e3 = 2.0 * t.s1 * t.s7;
        p.i2 = 2.0 * t.s2 * t.z12;
        p.i3 = 2.0 * t.s2 * (t.z13 - t.z11);
        p.l2 = -2.0 * t.s3 * t.z2;
        p.l3 = -2.0 * t.s3 * (t.z3 - t.z1);
        p.l4 = -2.0 * t.s3 * (-21.0 - 9.0 * emsq) * bodyEccentricity[b];
        p.gh2 = 2.0 * t.s4 * t.z32;
        p.gh3 = 2.0 * t.s4 * (t.z33 - t.z31);
        p.gh4 = -18.0 * t.s4 * bodyEccentricity[b];
        p.h2 = -2.0 * t.s2 * t.z22;
        p.h3 = -2.0 * t.s2 * (t.z23 - t.z21);

        // Secular rates.
        const double n = bodyMotion[b];
        m.dedt += t.s1 * n * t.s5;
        m.didt += t.s2 * n * (t.z11 + t.z13);
        m.dmdt -= n * t.s3 * (t.z1 + t.z3 - 14.0 - 6.0 * emsq);
        const double sgh = t.s4 * n * (t.z31 + t.z33 - 6.0);
        // The node term has sin i beneath it; near the equator it is dropped.
        double sh = nearEquatorial ? 0.0 : -n * t.s2 * (t.z21 + t.z23);
        if (sinim != 0.0) sh /= sinim;
        m.dnodt += sh;
        m.domdt += sgh - cosim * sh;
    }

    // Resonances: orbits that keep step with the Earth's rotation feel its
    // tesseral harmonics; their mean motion and longitude are integrated.
    const double n = m.meanMotion;
    m.resonance = 0;
    if (n < kOneDayHigh && n > kOneDayLow) m.resonance = 1;
    if (n >= kHalfDayLow && n <= kHalfDayHigh && em >= 0.5) m.resonance = 2;
    if (m.resonance == 0) return;
    const double theta = m.gsto;
    const double aonv = std::pow(n / kKe, kTwoThirds);
    if (m.resonance == 2) {
        const double cosisq = cosim * cosim;
        const double eoc = em * emsq;
        const double g201 = -0.306 - (em - 0.64) * 0.440;
        double g211, g310, g322, g410, g422, g520, g521, g532, g533;
        if (em <= 0.65) {
            g211 = 3.616 - 13.2470 * em + 16.2900 * emsq;
            g310 = -19.302 + 117.3900 * em - 228.4190 * emsq + 156.5910 * eoc;
            g322 = -18.9068 + 109.7927 * em - 214.6334 * emsq + 146.5816 * eoc;
            g410 = -41.122 + 242.6940 * em - 471.0940 * emsq + 313.9530 * eoc;
            g422 = -146.407 + 841.8800 * em - 1629.014 * emsq + 1083.4350 * eoc;
            g520 = -532.114 + 3017.977 * em - 5740.032 * emsq + 3708.2760 * eoc;
        } else {
            g211 = -72.099 + 331.819 * em - 508.738 * emsq + 266.724 * eoc;
            g310 = -346.844 + 1582.851 * em - 2415.925 * emsq + 1246.113 * eoc;
            g322 = -342.585 + 1554.908 * em - 2366.899 * emsq + 1215.972 * eoc;
            g410 = -1052.797 + 4758.686 * em - 7193.992 * emsq + 3651.957 * eoc;
            g422 = -3581.690 + 16178.110 * em - 24462.770 * emsq + 12422.520 * eoc;
            if (em > 0.715)
                g520 = -5149.66 + 29936.92 * em - 54087.36 * emsq + 31324.56 * eoc;
            else
                g520 = 1464.74 - 4664.75 * em + 3763.64 * emsq;
        }
        if (em < 0.7) {
            g533 = -919.22770 + 4988.6100 * em - 9064.7700 * emsq + 5542.21 * eoc;
            g521 = -822.71072 + 4568.6173 * em - 8491.4146 * emsq + 5337.524 * eoc;
            g532 = -853.66600 + 4690.2500 * em - 8624.7700 * emsq + 5341.4 * eoc;
        } else {
            g533 = -37995.780 + 161616.52 * em - 229838.20 * emsq + 109377.94 * eoc;
            g521 = -51752.104 + 218913.95 * em - 309468.16 * emsq + 146349.42 * eoc;
            g532 = -40023.880 + 170470.89 * em - 242699.48 * emsq + 115605.82 * eoc;
        }
        const double sini2 = sinim * sinim;
        const double f220 = 0.75 * (1.0 + 2.0 * cosim + cosisq);
        const double f221 = 1.5 * sini2;
        const double f321 = 1.875 * sinim * (1.0 - 2.0 * cosim - 3.0 * cosisq);
        const double f322 = -1.875 * sinim * (1.0 + 2.0 * cosim - 3.0 * cosisq);
        const double f441 = 35.0 * sini2 * f220;
        const double f442 = 39.3750 * sini2 * sini2;
        const double f522 = 9.84375 * sinim *
                            (sini2 * (1.0 - 2.0 * cosim - 5.0 * cosisq) +
                             0.33333333 * (-2.0 + 4.0 * cosim + 6.0 * cosisq));
        const double f523 = sinim * (4.92187512 * sini2 * (-2.0 - 4.0 * cosim + 10.0 * cosisq) +
                                     6.56250012 * (1.0 + 2.0 * cosim - 3.0 * cosisq));
        const double f542 =
            29.53125 * sinim * (2.0 - 8.0 * cosim + cosisq * (-12.0 + 8.0 * cosim + 10.0 * cosisq));
        const double f543 =
            29.53125 * sinim * (-2.0 - 8.0 * cosim + cosisq * (12.0 + 8.0 * cosim - 10.0 * cosisq));
        double temp1 = 3.0 * n * n * aonv * aonv;
        double temp = temp1 * kRoot22;
        m.d2201 = temp * f220 * g201;
        m.d2211 = temp * f221 * g211;
        temp1 *= aonv;
        temp = temp1 * kRoot32;
        m.d3210 = temp * f321 * g310;
        m.d3222 = temp * f322 * g322;
        temp1 *= aonv;
        temp = 2.0 * temp1 * kRoot44;
        m.d4410 = temp * f441 * g410;
        m.d4422 = temp * f442 * g422;
        temp1 *= aonv;
        temp = temp1 * kRoot52;
        m.d5220 = temp * f522 * g520;
        m.d5232 = temp * f523 * g532;
        temp = 2.0 * temp1 * kRoot54;
        m.d5421 = temp * f542 * g521;
        m.d5433 = temp * f543 * g533;
        m.xlamo = std::fmod(el.meanAnomaly + el.node + el.node - theta - theta, kTurn);
        m.xfact = m.mdot + m.dmdt + 2.0 * (m.nodedot + m.dnodt - kEarthRotation) - n;
    } else {
        const double g200 = 1.0 + emsq * (-2.5 + 0.8125 * emsq);
        const double g310 = 1.0 + 2.0 * emsq;
        const double g300 = 1.0 + emsq * (-6.0 + 6.60937 * emsq);
        const double f220 = 0.75 * (1.0 + cosim) * (1.0 + cosim);
        const double f311 = 0.9375 * sinim * sinim * (1.0 + 3.0 * cosim) - 0.75 * (1.0 + cosim);
        double f330 = 1.0 + cosim;
        f330 = 1.875 * f330 * f330 * f330;
        const double del1 = 3.0 * n * n * aonv * aonv;
        m.del2 = 2.0 * del1 * f220 * g200 * kQ22;
        m.del3 = 3.0 * del1 * f330 * g300 * kQ33 * aonv;
        m.del1 = del1 * f311 * g310 * kQ31 * aonv;
        m.xlamo = std::fmod(el.meanAnomaly + el.node + el.perigee - theta, kTurn);
        m.xfact = m.mdot + m.argpdot + m.nodedot - kEarthRotation + m.dmdt + m.domdt + m.dnodt - n;
    }
}

// The rates of the resonant mean longitude and mean motion for the state
// (xli, xni) at `atime` minutes after the epoch.
void ResonanceRates(const Sgp4Model& m, double atime, double xli, double xni, double* xldot,
                    double* xndt, double* xnddt) {
    if (m.resonance == 1) {
        *xndt = m.del1 * std::sin(xli - kFasx2) + m.del2 * std::sin(2.0 * (xli - kFasx4)) +
                m.del3 * std::sin(3.0 * (xli - kFasx6));
        *xldot = xni + m.xfact;
        *xnddt = (m.del1 * std::cos(xli - kFasx2) + 2.0 * m.del2 * std::cos(2.0 * (xli - kFasx4)) +
                  3.0 * m.del3 * std::cos(3.0 * (xli - kFasx6))) *
                 *xldot;
        return;
    }
    const double xomi = m.el.perigee + m.argpdot * atime;
    const double x2omi = xomi + xomi;
    const double x2li = xli + xli;
    *xndt = m.d2201 * std::sin(x2omi + xli - kG22) + m.d2211 * std::sin(xli - kG22) +
            m.d3210 * std::sin(xomi + xli - kG32) + m.d3222 * std::sin(-xomi + xli - kG32) +
            m.d4410 * std::sin(x2omi + x2li - kG44) + m.d4422 * std::sin(x2li - kG44) +
            m.d5220 * std::sin(xomi + xli - kG52) + m.d5232 * std::sin(-xomi + xli - kG52) +
            m.d5421 * std::sin(xomi + x2li - kG54) + m.d5433 * std::sin(-xomi + x2li - kG54);
    *xldot = xni + m.xfact;
    *xnddt =
        (m.d2201 * std::cos(x2omi + xli - kG22) + m.d2211 * std::cos(xli - kG22) +
         m.d3210 * std::cos(xomi + xli - kG32) + m.d3222 * std::cos(-xomi + xli - kG32) +
         m.d5220 * std::cos(xomi + xli - kG52) + m.d5232 * std::cos(-xomi + xli - kG52) +
         2.0 * (m.d4410 * std::cos(x2omi + x2li - kG44) + m.d4422 * std::cos(x2li - kG44) +
                m.d5421 * std::cos(xomi + x2li - kG54) + m.d5433 * std::cos(-xomi + x2li - kG54))) *
        *xldot;
}

// Mean elements under the deep-space secular terms and resonances, t minutes
// after the epoch.
void DeepSpaceSecular(const Sgp4Model& m, double t, double* em, double* argpm, double* inclm,
                      double* mm, double* nodem, double* nm) {
    *em += m.dedt * t;
    *inclm += m.didt * t;
    *argpm += m.domdt * t;
    *nodem += m.dnodt * t;
    *mm += m.dmdt * t;
    if (m.resonance == 0) return;
    // Euler-Maclaurin steps of fixed length from the epoch, then a Taylor
    // step for the remainder. Always from the epoch, so that a position
    // never depends on which were asked for before it.
    const double theta = std::fmod(m.gsto + t * kEarthRotation, kTurn);
    const double step = t > 0.0 ? kResonanceStep : -kResonanceStep;
    double atime = 0.0, xli = m.xlamo, xni = m.meanMotion;
    double xldot, xndt, xnddt;
    for (;;) {
        ResonanceRates(m, atime, xli, xni, &xldot, &xndt, &xnddt);
        if (std::fabs(t - atime) < kResonanceStep) break;
        xli += xldot * step + xndt * kResonanceStepSquareHalf;
        xni += xndt * step + xnddt * kResonanceStepSquareHalf;
        atime += step;
    }
    const double ft = t - atime;
    const double n = xni + xndt * ft + xnddt * ft * ft * 0.5;
    const double xl = xli + xldot * ft + xndt * ft * ft * 0.5;
    *mm = m.resonance == 1 ? xl - *nodem - *argpm + theta : xl - 2.0 * *nodem + 2.0 * theta;
    *nm = n;
}

// The lunar-solar periodic terms, added to the mean elements.
void DeepSpacePeriodics(const Sgp4Model& m, double t, double* ep, double* inclp, double* nodep,
                        double* argpp, double* mp) {
    const double bodyEccentricity[2] = {kSolarEccentricity, kLunarEccentricity};
    const double bodyMotion[2] = {kSolarMotion, kLunarMotion};
    double pe = 0.0, pinc = 0.0, pl = 0.0, pgh = 0.0, ph = 0.0;
    for (int b = 0; b < 2; ++b) {
        const Sgp4Model::Periodics& p = m.body[b];
        const double zm = p.meanAnomaly + bodyMotion[b] * t;
        const double zf = zm + 2.0 * bodyEccentricity[b] * std::sin(zm);
        const double sinzf = std::sin(zf);
        const double f2 = 0.5 * sinzf * sinzf - 0.25;
        const double f3 = -0.5 * sinzf * std::cos(zf);
        pe += p.e2 * f2 + p.e3 * f3;
        pinc += p.i2 * f2 + p.i3 * f3;
        pl += p.l2 * f2 + p.l3 * f3 + p.l4 * sinzf;
        pgh += p.gh2 * f2 + p.gh3 * f3 + p.gh4 * sinzf;
        ph += p.h2 * f2 + p.h3 * f3;
    }
    *inclp += pinc;
    *ep += pe;
    const double sinip = std::sin(*inclp), cosip = std::cos(*inclp);
    if (*inclp >= 0.2) {
        ph /= sinip;
        pgh -= cosip * ph;
        *argpp += pgh;
        *nodep += ph;
        *mp += pl;
        return;
    }
    // Near the equator the node is ill-defined: Lyddane's form applies the
    // terms to sin i sin h and sin i cos h, and to the mean longitude.
    const double sinop = std::sin(*nodep), cosop = std::cos(*nodep);
    const double alfdp = sinip * sinop + (ph * cosop + pinc * cosip * sinop);
    const double betdp = sinip * cosop + (-ph * sinop + pinc * cosip * cosop);
    double node = std::fmod(*nodep, kTurn);
    const double xls = *mp + *argpp + cosip * node + (pl + pgh - pinc * node * sinip);
    const double previous = node;
    node = std::atan2(alfdp, betdp);
    if (std::fabs(previous - node) > kPiFull) node += node < previous ? kTurn : -kTurn;
    *mp += pl;
    *argpp = xls - *mp - cosip * node;
    *nodep = node;
}

} // namespace

double Sgp4SiderealAngle(double jdUt) {
    const double t = (jdUt - 2451545.0) / 36525.0;
    // Seconds of time: 24110.54841 s at J2000 (counted from 12h, hence the
    // extra half day), 8640184.812866 s and a whole 876600 hours a century.
    double seconds = -6.2e-6 * t * t * t + 0.093104 * t * t +
                     (876600.0 * 3600.0 + 8640184.812866) * t + 67310.54841;
    double angle = std::fmod(seconds * (kPiFull / 180.0) / 240.0, kTurn);
    if (angle < 0.0) angle += kTurn;
    return angle;
}

int Sgp4Init(const Sgp4Elements& elements, Sgp4Model& m) {
    m = Sgp4Model{};
    m.el = elements;
    const Sgp4Elements& el = m.el;
    const double ecco = el.eccentricity;
    if (!(el.meanMotion > 0.0)) return kSgp4MeanMotion;
    if (!(ecco >= 0.0 && ecco < 1.0)) return kSgp4MeanEccentricity;

    // The two-line mean motion is Kozai's; the theory wants Brouwer's, and
    // the semi-major axis that goes with it.
    const double eccsq = ecco * ecco;
    const double omeosq = 1.0 - eccsq;
    const double rteosq = std::sqrt(omeosq);
    const double cosio = std::cos(el.inclination);
    const double cosio2 = cosio * cosio;
    const double sinio = std::sin(el.inclination);
    const double ak = std::pow(kKe / el.meanMotion, kTwoThirds);
    const double d1 = 0.75 * kJ2 * (3.0 * cosio2 - 1.0) / (rteosq * omeosq);
    double del = d1 / (ak * ak);
    const double adel = ak * (1.0 - del * del - del * (1.0 / 3.0 + 134.0 * del * del / 81.0));
    del = d1 / (adel * adel);
    m.meanMotion = el.meanMotion / (1.0 + del);
    const double ao = std::pow(kKe / m.meanMotion, kTwoThirds);
    const double po = ao * omeosq;
    const double con42 = 1.0 - 5.0 * cosio2;
    m.con41 = -con42 - cosio2 - cosio2;
    const double posq = po * po;
    const double rp = ao * (1.0 - ecco);
    m.gsto = Sgp4SiderealAngle(el.epoch);

    // The atmosphere: the density height, lowered for low perigees.
    const double perigeeKm = (rp - 1.0) * kSgp4EarthRadiusKm;
    m.simpleDrag = perigeeKm < kSimpleDragPerigeeKm;
    double sfour = kDensityHeightKm / kSgp4EarthRadiusKm + 1.0;
    double qzms24 = std::pow((kDensityTopKm - kDensityHeightKm) / kSgp4EarthRadiusKm, 4.0);
    if (perigeeKm < kLowPerigeeKm) {
        sfour = perigeeKm < kVeryLowPerigeeKm ? 20.0 : perigeeKm - kDensityHeightKm;
        qzms24 = std::pow((kDensityTopKm - sfour) / kSgp4EarthRadiusKm, 4.0);
        sfour = sfour / kSgp4EarthRadiusKm + 1.0;
    }
    const double n = m.meanMotion;
    const double pinvsq = 1.0 / posq;
    const double tsi = 1.0 / (ao - sfour);
    m.eta = ao * ecco * tsi;
    const double eta = m.eta;
    const double etasq = eta * eta;
    const double eeta = ecco * eta;
    const double psisq = std::fabs(1.0 - etasq);
    const double coef = qzms24 * std::pow(tsi, 4.0);
    const double coef1 = coef / std::pow(psisq, 3.5);
    const double cc2 = coef1 * n *
                       (ao * (1.0 + 1.5 * etasq + eeta * (4.0 + etasq)) +
                        0.375 * kJ2 * tsi / psisq * m.con41 * (8.0 + 3.0 * etasq * (8.0 + etasq)));
    const double bstar = el.bstar;
    m.cc1 = bstar * cc2;
    double cc3 = 0.0;
    if (ecco > kSmallEccentricity) cc3 = -2.0 * coef * tsi * kJ3OverJ2 * n * sinio / ecco;
    m.x1mth2 = 1.0 - cosio2;
    m.cc4 =
        2.0 * n * coef1 * ao * omeosq *
        (eta * (2.0 + 0.5 * etasq) + ecco * (0.5 + 2.0 * etasq) -
         kJ2 * tsi / (ao * psisq) *
             (-3.0 * m.con41 * (1.0 - 2.0 * eeta + etasq * (1.5 - 0.5 * eeta)) +
              0.75 * m.x1mth2 * (2.0 * etasq - eeta * (1.0 + etasq)) * std::cos(2.0 * el.perigee)));
    m.cc5 = 2.0 * coef1 * ao * omeosq * (1.0 + 2.75 * (etasq + eeta) + eeta * etasq);

    // Secular rates from J2 (to second order) and J4.
    const double cosio4 = cosio2 * cosio2;
    const double temp1 = 1.5 * kJ2 * pinvsq * n;
    const double temp2 = 0.5 * temp1 * kJ2 * pinvsq;
    const double temp3 = -0.46875 * kJ4 * pinvsq * pinvsq * n;
    m.mdot = n + 0.5 * temp1 * rteosq * m.con41 +
             0.0625 * temp2 * rteosq * (13.0 - 78.0 * cosio2 + 137.0 * cosio4);
    m.argpdot = -0.5 * temp1 * con42 + 0.0625 * temp2 * (7.0 - 114.0 * cosio2 + 395.0 * cosio4) +
                temp3 * (3.0 - 36.0 * cosio2 + 49.0 * cosio4);
    const double xhdot1 = -temp1 * cosio;
    m.nodedot =
        xhdot1 + (0.5 * temp2 * (4.0 - 19.0 * cosio2) + 2.0 * temp3 * (3.0 - 7.0 * cosio2)) * cosio;
    m.omgcof = bstar * cc3 * std::cos(el.perigee);
    if (ecco > kSmallEccentricity) m.xmcof = -kTwoThirds * coef * bstar / eeta;
    m.nodecf = 3.5 * omeosq * xhdot1 * m.cc1;
    m.t2cof = 1.5 * m.cc1;
    // The long-period J3 terms divide by 1 + cos i.
    const double onePlusCos =
        std::fabs(cosio + 1.0) > kNearRetrograde ? 1.0 + cosio : kNearRetrograde;
    m.xlcof = -0.25 * kJ3OverJ2 * sinio * (3.0 + 5.0 * cosio) / onePlusCos;
    m.aycof = -0.5 * kJ3OverJ2 * sinio;
    const double delmotemp = 1.0 + eta * std::cos(el.meanAnomaly);
    m.delmo = delmotemp * delmotemp * delmotemp;
    m.sinmao = std::sin(el.meanAnomaly);
    m.x7thm1 = 7.0 * cosio2 - 1.0;

    if (kTurn / n >= kDeepSpacePeriod) {
        m.deepSpace = true;
        m.simpleDrag = true;
        InitDeepSpace(m);
    }
    if (!m.simpleDrag) {
        const double cc1sq = m.cc1 * m.cc1;
        m.d2 = 4.0 * ao * tsi * cc1sq;
        const double temp = m.d2 * tsi * m.cc1 / 3.0;
        m.d3 = (17.0 * ao + sfour) * temp;
        m.d4 = 0.5 * temp * ao * tsi * (221.0 * ao + 31.0 * sfour) * m.cc1;
        m.t3cof = m.d2 + 2.0 * cc1sq;
        m.t4cof = 0.25 * (3.0 * m.d3 + m.cc1 * (12.0 * m.d2 + 10.0 * cc1sq));
        m.t5cof = 0.2 * (3.0 * m.d4 + 12.0 * m.cc1 * m.d3 + 6.0 * m.d2 * m.d2 +
                         15.0 * cc1sq * (2.0 * m.d2 + cc1sq));
    }
    Vector3 r, v;
    return Sgp4Propagate(m, 0.0, r, v);
}

int Sgp4Propagate(const Sgp4Model& m, double t, Vector3& position, Vector3& velocity) {
    const Sgp4Elements& el = m.el;
    // Secular gravity and drag.
    const double xmdf = el.meanAnomaly + m.mdot * t;
    const double argpdf = el.perigee + m.argpdot * t;
    const double nodedf = el.node + m.nodedot * t;
    double argpm = argpdf;
    double mm = xmdf;
    const double t2 = t * t;
    double nodem = nodedf + m.nodecf * t2;
    double tempa = 1.0 - m.cc1 * t;
    double tempe = el.bstar * m.cc4 * t;
    double templ = m.t2cof * t2;
    if (!m.simpleDrag) {
        const double delomg = m.omgcof * t;
        const double delmtemp = 1.0 + m.eta * std::cos(xmdf);
        const double delm = m.xmcof * (delmtemp * delmtemp * delmtemp - m.delmo);
        const double temp = delomg + delm;
        mm = xmdf + temp;
        argpm = argpdf - temp;
        const double t3 = t2 * t;
        const double t4 = t3 * t;
        tempa = tempa - m.d2 * t2 - m.d3 * t3 - m.d4 * t4;
        tempe = tempe + el.bstar * m.cc5 * (std::sin(mm) - m.sinmao);
        templ = templ + m.t3cof * t3 + t4 * (m.t4cof + t * m.t5cof);
    }
    double nm = m.meanMotion;
    double em = el.eccentricity;
    double inclm = el.inclination;
    if (m.deepSpace) DeepSpaceSecular(m, t, &em, &argpm, &inclm, &mm, &nodem, &nm);
    if (!(nm > 0.0)) return kSgp4MeanMotion;
    const double am = std::pow(kKe / nm, kTwoThirds) * tempa * tempa;
    nm = kKe / std::pow(am, 1.5);
    em -= tempe;
    if (!(em < 1.0 && em >= -0.001)) return kSgp4MeanEccentricity;
    if (em < 1.0e-6) em = 1.0e-6;
    mm += m.meanMotion * templ;
    double xlm = mm + argpm + nodem;
    nodem = std::fmod(nodem, kTurn);
    argpm = std::fmod(argpm, kTurn);
    xlm = std::fmod(xlm, kTurn);
    mm = std::fmod(xlm - argpm - nodem, kTurn);

    // Lunar-solar periodics.
    double ep = em, xincp = inclm, argpp = argpm, nodep = nodem, mp = mm;
    double sinip = std::sin(inclm), cosip = std::cos(inclm);
    double aycof = m.aycof, xlcof = m.xlcof;
    double con41 = m.con41, x1mth2 = m.x1mth2, x7thm1 = m.x7thm1;
    if (m.deepSpace) {
        DeepSpacePeriodics(m, t, &ep, &xincp, &nodep, &argpp, &mp);
        if (xincp < 0.0) {
            xincp = -xincp;
            nodep += kPiFull;
            argpp -= kPiFull;
        }
        if (ep < 0.0 || ep > 1.0) return kSgp4PerturbedEccentricity;
        sinip = std::sin(xincp);
        cosip = std::cos(xincp);
        aycof = -0.5 * kJ3OverJ2 * sinip;
        const double onePlusCos =
            std::fabs(cosip + 1.0) > kNearRetrograde ? 1.0 + cosip : kNearRetrograde;
        xlcof = -0.25 * kJ3OverJ2 * sinip * (3.0 + 5.0 * cosip) / onePlusCos;
        const double cosisq = cosip * cosip;
        con41 = 3.0 * cosisq - 1.0;
        x1mth2 = 1.0 - cosisq;
        x7thm1 = 7.0 * cosisq - 1.0;
    }

    // Long-period periodics (J3).
    const double axnl = ep * std::cos(argpp);
    double temp = 1.0 / (am * (1.0 - ep * ep));
    const double aynl = ep * std::sin(argpp) + temp * aycof;
    const double xl = mp + argpp + nodep + temp * xlcof * axnl;

    // Kepler's equation in the equinoctial form, Newton steps kept below
    // 0.95 rad so that high eccentricities can't throw it off.
    const double u = std::fmod(xl - nodep, kTurn);
    double eo1 = u, sineo1 = 0.0, coseo1 = 0.0;
    double tem5 = 9999.9;
    for (int pass = 1; std::fabs(tem5) >= 1.0e-12 && pass <= 10; ++pass) {
        sineo1 = std::sin(eo1);
        coseo1 = std::cos(eo1);
        tem5 = 1.0 - coseo1 * axnl - sineo1 * aynl;
        tem5 = (u - aynl * coseo1 + axnl * sineo1 - eo1) / tem5;
        if (std::fabs(tem5) >= 0.95) tem5 = tem5 > 0.0 ? 0.95 : -0.95;
        eo1 += tem5;
    }

    // Short-period periodics (J2).
    const double ecose = axnl * coseo1 + aynl * sineo1;
    const double esine = axnl * sineo1 - aynl * coseo1;
    const double el2 = axnl * axnl + aynl * aynl;
    const double pl = am * (1.0 - el2);
    if (!(pl >= 0.0)) return kSgp4SemiLatusRectum;
    const double rl = am * (1.0 - ecose);
    const double rdotl = std::sqrt(am) * esine / rl;
    const double rvdotl = std::sqrt(pl) / rl;
    const double betal = std::sqrt(1.0 - el2);
    temp = esine / (1.0 + betal);
    const double sinu = am / rl * (sineo1 - aynl - axnl * temp);
    const double cosu = am / rl * (coseo1 - axnl + aynl * temp);
    double su = std::atan2(sinu, cosu);
    const double sin2u = (cosu + cosu) * sinu;
    const double cos2u = 1.0 - 2.0 * sinu * sinu;
    temp = 1.0 / pl;
    const double temp1 = 0.5 * kJ2 * temp;
    const double temp2 = temp1 * temp;
    const double mrt = rl * (1.0 - 1.5 * temp2 * betal * con41) + 0.5 * temp1 * x1mth2 * cos2u;
    su -= 0.25 * temp2 * x7thm1 * sin2u;
    const double xnode = nodep + 1.5 * temp2 * cosip * sin2u;
    const double xinc = xincp + 1.5 * temp2 * cosip * sinip * cos2u;
    const double mvt = rdotl - nm * temp1 * x1mth2 * sin2u / kKe;
    const double rvdot = rvdotl + nm * temp1 * (x1mth2 * cos2u + 1.5 * con41) / kKe;
    if (mrt < 1.0) return kSgp4Decayed;

    // Orientation: u points to the satellite, v along its motion.
    const double sinsu = std::sin(su), cossu = std::cos(su);
    const double snod = std::sin(xnode), cnod = std::cos(xnode);
    const double sini = std::sin(xinc), cosi = std::cos(xinc);
    const double xmx = -snod * cosi;
    const double xmy = cnod * cosi;
    const Vector3 uv = {xmx * sinsu + cnod * cossu, xmy * sinsu + snod * cossu, sini * sinsu};
    const Vector3 vv = {xmx * cossu - cnod * sinsu, xmy * cossu - snod * sinsu, sini * cossu};
    for (int k = 0; k < 3; ++k) {
        position[k] = mrt * uv[k] * kSgp4EarthRadiusKm;
        velocity[k] = (mvt * uv[k] + rvdot * vv[k]) * kKmPerSecond;
    }
    return kSgp4Ok;
}
