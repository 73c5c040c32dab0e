#include "astro/PlanetarySatellites.h"

#include "astro/Orbits.h"
#include "astro/Precession.h"
#include "astro/theories/TheoryData.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDegrees = 0.017453292519943295; // radians per degree
constexpr double kKmPerAU = 149597870.7;
constexpr double kDaysPerYear = 365.25;
constexpr double kDaysPerCentury = 36525.0;
// The mean obliquity of B1950.0, to which Meeus refers Saturn's moons and
// Zadunaisky Phoebe's ecliptic.
constexpr double kObliquityB1950 = 23.4457889 * kDegrees;

// The units of the radii of Meeus' Jovian and Saturnian theories, km:
// Jupiter's equatorial radius as Meeus gives it, and for Saturn the radius
// that puts Rhea, Titan and Iapetus on JPL's orbits (with 60330 km they come
// out 0.12% short, 0.5" at Iapetus' elongation).
constexpr double kJupiterRadiusKm = 71398.0;
constexpr double kSaturnRadiusKm = 60400.0;

// Indexes of kSatelliteElementSets.
enum { kSetPhobos, kSetDeimos, kSetPhoebe, kSetTriton, kSetCharon };

double Reduced(double degrees) {
    return std::fmod(degrees, 360.0);
}

double AngleAt(const SatelliteAngle& a, double days) {
    double y = days / kDaysPerYear;
    // The day rate is reduced on its own: at thousands of years from the epoch
    // it is the term that runs to millions of degrees.
    double value = a.degrees + Reduced(a.perDay * days) + a.perYear * y + a.perYear2 * y * y +
                   a.perCentury * days / kDaysPerCentury;
    return Reduced(value) * kDegrees;
}

// Mean equator and equinox of B1950.0 to J2000, the last step of every theory
// referred to B1950 (the FK4 frame's small offsets don't show in a moon's
// offset from its planet).
const Matrix3& FromB1950() {
    static const struct Precession {
        Matrix3 m;
        Precession() { PrecessionMatrix(m, kB1950, kJ2000, false); }
    } precession;
    return precession.m;
}

// A vector on a reference plane carried to the frame in which the plane's
// node and inclination are given, then to J2000 when that frame is B1950.
void FromPlane(double node, double inclination, bool b1950, Vector3& v) {
    Matrix3 m;
    RotationMatrix(m, {{0, inclination}, {2, node}});
    TransformVector(m, v);
    if (b1950) TransformVector(FromB1950(), v);
}

bool Kepler(double a, double e, double inclination, double perihelion, double node,
            double meanAnomaly, Vector3& v) {
    return OrbitPosition(a * (1.0 - e), e, inclination, perihelion, node,
                         std::fmod(meanAnomaly, 2.0 * M_PI), v);
}

// Phobos, Deimos, Phoebe, Triton and Charon, each from its mean
// elements composed as its theory defines them.
bool ElementSetPosition(int index, double jde, Vector3& v) {
    const SatelliteElementSet& s = kSatelliteElementSets[index];
    double d = jde - s.epoch;
    double lambda = AngleAt(s.meanLongitude, d);
    double varpi = AngleAt(s.pericentre, d);
    double i = AngleAt(s.inclination, d);
    double node = AngleAt(s.node, d);
    double planeNode = AngleAt(s.planeNode, d);
    double planeInclination = AngleAt(s.planeInclination, d);
    double a = s.semiMajorAxis, e = s.eccentricity;
    switch (index) {
    case kSetPhobos:
    case kSetDeimos:
        // Sinclair's longitudes are broken at the Laplacian plane's node on
        // the equator and at the orbit's node on that plane.
        lambda += s.periodicAmplitude * kDegrees * std::sin(AngleAt(s.periodicArgument, d));
        if (!Kepler(a, e, i, varpi - node - planeNode, node, lambda - varpi, v)) return false;
        FromPlane(planeNode, planeInclination, true, v);
        return true;
    case kSetPhoebe:
        // Retrograde, with longitudes counted against the motion.
        if (!Kepler(a, e, i, node - varpi, node, varpi - lambda, v)) return false;
        FromPlane(0.0, planeInclination, true, v);
        return true;
    case kSetTriton: {
        // Harris' L is the argument of latitude from the orbit's node on the
        // plane perpendicular to Neptune's pole, which precesses.
        double T = (jde - kJ2000) / kDaysPerCentury;
        double N = Reduced(359.28 + 54.308 * T) * kDegrees;
        double ra = (298.72 + 2.58 * std::sin(N) - 0.04 * std::sin(2.0 * N)) * kDegrees;
        double dec = (42.63 - 1.9 * std::cos(N) + 0.01 * std::cos(2.0 * N)) * kDegrees;
        if (!Kepler(a, 0.0, i, 0.0, node, lambda, v)) return false;
        FromPlane(ra + M_PI / 2.0, M_PI / 2.0 - dec, false, v);
        return true;
    }
    default: // Charon: the mean longitude counts from the node on the B1950 equator
        if (!Kepler(a, 0.0, i, 0.0, node, lambda, v)) return false;
        TransformVector(FromB1950(), v);
        return true;
    }
}

// Nereid: mean elements with the Sun's long-period terms, on Neptune's
// orbital plane in the B1950 frame.
bool NereidPosition(double jde, Vector3& v) {
    const SatelliteElementSet& s = kNereidElements;
    double d = jde - s.epoch;
    double el[5] = {AngleAt(s.meanLongitude, d), AngleAt(s.pericentre, d), s.eccentricity,
                    AngleAt(s.inclination, d), AngleAt(s.node, d)};
    double neptune = AngleAt(kNereidNeptuneLongitude, d);
    double x[2] = {2.0 * (el[kNereidPericentre] - neptune), 2.0 * (el[kNereidNode] - neptune)};
    double terms[5] = {};
    for (const NereidTerm& t : kNereidTerms) {
        double angle = x[t.fromNode ? 1 : 0];
        terms[t.element] += t.cosine * std::cos(angle) + t.sine * std::sin(angle);
    }
    for (int k = 0; k < 5; ++k) el[k] += k == kNereidEccentricity ? terms[k] : terms[k] * kDegrees;
    double lambda = el[kNereidLongitude], varpi = el[kNereidPericentre];
    double node = el[kNereidNode];
    if (!Kepler(s.semiMajorAxis, el[kNereidEccentricity], el[kNereidInclination], varpi - node,
                node, lambda - varpi, v))
        return false;
    FromPlane(AngleAt(s.planeNode, d), AngleAt(s.planeInclination, d), true, v);
    return true;
}

// ---- Io, Europa, Ganymede, Callisto: Meeus ch. 44 ---------------------------

double GalileanSum(const double* args, int first, int count, bool sine) {
    double sum = 0.0;
    for (int k = first; k < first + count; ++k) {
        const GalileanTerm& term = kGalileanTerms[k];
        double angle = term.phase;
        for (const auto& f : term.factors) {
            if (f.argument >= 0) angle += f.multiplier * args[f.argument];
        }
        angle = Reduced(angle) * kDegrees;
        sum += term.amplitude * (sine ? std::sin(angle) : std::cos(angle));
    }
    return sum;
}

bool GalileanPosition(int moon, double jde, Vector3& v) {
    double t = jde - 2443000.5;
    double args[kGalileanArgumentCount] = {};
    for (int k = 0; k < kGalileanLinearArguments; ++k)
        args[k] = Reduced(kGalileanArguments[k][0] + Reduced(kGalileanArguments[k][1] * t));
    // The libration of the Jovian mean anomaly, and the longitude of Jupiter's
    // perihelion.
    double gamma = 0.33033 * std::sin(Reduced(163.679 + 0.0010512 * t) * kDegrees) +
                   0.03439 * std::sin(Reduced(34.486 - 0.0161731 * t) * kDegrees);
    args[kGalileanG] = Reduced(30.23756 + Reduced(0.0830925701 * t) + gamma);
    args[kGalileanBigPi] = 13.469942;

    const GalileanSeries& s = kGalileanSeries[moon];
    double sigma = GalileanSum(args, s.longitudeFirst, s.longitudeCount, true);
    args[kGalileanSigma1 + moon] = sigma;
    args[kGalileanTrueL1 + moon] = args[kGalileanL1 + moon] + sigma;
    double latitude = std::atan(GalileanSum(args, s.latitudeFirst, s.latitudeCount, true));
    double radius = s.radiusScale * (1.0 + GalileanSum(args, s.radiusFirst, s.radiusCount, false));

    // The longitudes are counted from the equinox of B1950: P carries them
    // (and the node psi of Jupiter's equator) to the equinox of the date.
    double T0 = (jde - kB1950) / kDaysPerCentury;
    double P = (1.3966626 + 0.0003088 * T0) * T0;
    double L = (args[kGalileanTrueL1 + moon] + P) * kDegrees;
    double psi = (args[kGalileanPsi] + P) * kDegrees;
    double r = radius * kJupiterRadiusKm / kKmPerAU;
    v[0] = r * std::cos(L - psi) * std::cos(latitude);
    v[1] = r * std::sin(L - psi) * std::cos(latitude);
    v[2] = r * std::sin(latitude);

    // Jupiter's equator to its orbit (inclination I), the orbit to the
    // ecliptic of the date, then to the equator of the date and to J2000.
    double T = (jde - 2415020.0) / kDaysPerCentury;
    double I = (3.120262 + 0.0006 * T) * kDegrees;
    double Tj = (jde - kJ2000) / kDaysPerCentury;
    double node =
        Reduced(100.464407 + Tj * (1.0209774 + Tj * (0.00040315 + Tj * 0.000000404))) * kDegrees;
    double inclination =
        (1.303267 + Tj * (-0.0054965 + Tj * (0.00000466 + Tj * -0.000000002))) * kDegrees;
    Matrix3 m, precession;
    RotationMatrix(m,
                   {{0, I}, {2, psi - node}, {0, inclination}, {2, node}, {0, MeanObliquity(jde)}});
    TransformVector(m, v);
    PrecessionMatrix(precession, jde, kJ2000, false);
    TransformVector(precession, v);
    return true;
}

// ---- Mimas to Iapetus: Meeus ch. 46 ------------------------------------------

// The time arguments and common angles of the Saturnian theory (degrees).
struct SaturnArguments {
    double t1, t2, t3, t4, t5, t6, t7, t8, t9, t10, t11;
    double W0, W1, W2, W3, W4, W5, W6, W7, W8;
    explicit SaturnArguments(double jde) {
        t1 = jde - 2411093.0;
        t2 = t1 / kDaysPerYear;
        t3 = (jde - 2433282.423) / kDaysPerYear + 1950.0;
        t4 = jde - 2411368.0;
        t5 = t4 / kDaysPerYear;
        t6 = jde - 2415020.0;
        t7 = t6 / kDaysPerCentury;
        t8 = t6 / kDaysPerYear;
        t9 = (jde - 2442000.5) / kDaysPerYear;
        t10 = jde - 2409786.0;
        t11 = t10 / kDaysPerCentury;
        W0 = Reduced(5.095 * (t3 - 1866.39));
        W1 = Reduced(74.4 + 32.39 * t2);
        W2 = Reduced(134.3 + 92.62 * t2);
        W3 = Reduced(42.0 - 0.5118 * t5);
        W4 = Reduced(276.59 + 0.5118 * t5);
        W5 = Reduced(267.2635 + 1222.1136 * t7);
        W6 = Reduced(175.4762 + 1221.5515 * t7);
        W7 = Reduced(2.4891 + 0.002435 * t7);
        W8 = Reduced(113.35 - 0.2597 * t7);
    }
};

// A moon's orbit in the theory's terms: true longitude lambda, radius r
// (Saturn radii), inclination gamma and node Omega on the theory's plane.
struct SaturnOrbit {
    double lambda, r, gamma, node;
};

double Sin(double degrees) {
    return std::sin(degrees * kDegrees);
}
double Cos(double degrees) {
    return std::cos(degrees * kDegrees);
}
constexpr double kSaturnNode = 168.8112; // of the theory's plane on the B1950 ecliptic
constexpr double kSaturnPlane = 28.0817; // its inclination

// Rhea to Iapetus: from mean elements on Saturn's orbital plane of date to the
// theory's plane, the equation of the centre as a series in e (radians in,
// degrees out).
SaturnOrbit SaturnSubroutine(double lambda, double p, double e, double a, double node, double i) {
    double M = (lambda - p) * kDegrees;
    double e2 = e * e, e3 = e2 * e, e4 = e2 * e2, e5 = e3 * e2;
    double C = (2.0 * e - 0.25 * e3 + 0.0520833333 * e5) * std::sin(M) +
               (1.25 * e2 - 0.458333333 * e4) * std::sin(2.0 * M) +
               (1.083333333 * e3 - 0.671875 * e5) * std::sin(3.0 * M) +
               1.072917 * e4 * std::sin(4.0 * M) + 1.142708 * e5 * std::sin(5.0 * M);
    SaturnOrbit o;
    o.r = a * (1.0 - e2) / (1.0 + e * std::cos(M + C));
    double g = (node - kSaturnNode) * kDegrees;
    double ir = i * kDegrees;
    double a1 = std::sin(ir) * std::sin(g);
    double a2 = Cos(kSaturnPlane) * std::sin(ir) * std::cos(g) - Sin(kSaturnPlane) * std::cos(ir);
    o.gamma = std::asin(std::min(1.0, std::hypot(a1, a2)));
    double u = std::atan2(a1, a2);
    o.node = kSaturnNode * kDegrees + u;
    double h = Cos(kSaturnPlane) * std::sin(ir) - Sin(kSaturnPlane) * std::cos(ir) * std::cos(g);
    double psi = std::atan2(Sin(kSaturnPlane) * std::sin(g), h);
    o.lambda = lambda * kDegrees + C + u - g - psi;
    return o;
}

SaturnOrbit Mimas(const SaturnArguments& q) {
    double L = 127.64 + Reduced(381.994497 * q.t1) - 43.57 * Sin(q.W0) - 0.72 * Sin(3.0 * q.W0) -
               0.02144 * Sin(5.0 * q.W0);
    double p = 106.1 + 365.549 * q.t2;
    double M = (L - p) * kDegrees;
    double C =
        (2.18287 * std::sin(M) + 0.025988 * std::sin(2.0 * M) + 0.00043 * std::sin(3.0 * M)) *
        kDegrees;
    return {L * kDegrees + C, 3.06879 / (1.0 + 0.01905 * std::cos(M + C)), 1.563 * kDegrees,
            (54.5 - 365.072 * q.t2) * kDegrees};
}

SaturnOrbit Enceladus(const SaturnArguments& q) {
    double L = 200.317 + Reduced(262.7319002 * q.t1) + 0.25667 * Sin(q.W1) + 0.20883 * Sin(q.W2);
    double p = 309.107 + 123.44121 * q.t2;
    double M = (L - p) * kDegrees;
    double C = (0.55577 * std::sin(M) + 0.00168 * std::sin(2.0 * M)) * kDegrees;
    return {L * kDegrees + C, 3.94118 / (1.0 + 0.00485 * std::cos(M + C)), 0.0262 * kDegrees,
            (348.0 - 151.95 * q.t2) * kDegrees};
}

SaturnOrbit Tethys(const SaturnArguments& q) {
    double lambda = 285.306 + Reduced(190.69791226 * q.t1) + 2.063 * Sin(q.W0) +
                    0.03409 * Sin(3.0 * q.W0) + 0.001015 * Sin(5.0 * q.W0);
    return {lambda * kDegrees, 4.880998, 1.0976 * kDegrees, (111.33 - 72.2441 * q.t2) * kDegrees};
}

SaturnOrbit Dione(const SaturnArguments& q) {
    double L = 254.712 + Reduced(131.53493193 * q.t1) - 0.0215 * Sin(q.W1) - 0.01733 * Sin(q.W2);
    double p = 174.8 + 30.82 * q.t2;
    double M = (L - p) * kDegrees;
    double C = (0.24717 * std::sin(M) + 0.00033 * std::sin(2.0 * M)) * kDegrees;
    return {L * kDegrees + C, 6.24871 / (1.0 + 0.002157 * std::cos(M + C)), 0.0139 * kDegrees,
            (232.0 - 30.27 * q.t2) * kDegrees};
}

SaturnOrbit Rhea(const SaturnArguments& q) {
    double pPrime = 342.7 + 10.057 * q.t2;
    double a1 = 0.000265 * Sin(pPrime) + 0.001 * Sin(q.W4);
    double a2 = 0.000265 * Cos(pPrime) + 0.001 * Cos(q.W4);
    double e = std::hypot(a1, a2);
    double p = std::atan2(a1, a2) / kDegrees;
    double N = 345.0 - 10.057 * q.t2;
    double lambda = 359.244 + Reduced(79.6900472 * q.t1) + 0.086754 * Sin(N);
    double i = 28.0362 + 0.346898 * Cos(N) + 0.0193 * Cos(q.W3);
    double node = 168.8034 + 0.736936 * Sin(N) + 0.041 * Sin(q.W3);
    return SaturnSubroutine(lambda, p, e, 8.725924, node, i);
}

SaturnOrbit Titan(const SaturnArguments& q) {
    double L = 261.1582 + Reduced(22.57697855 * q.t4) + 0.074025 * Sin(q.W3);
    double iPrime = 27.45141 + 0.295999 * Cos(q.W3);
    double nodePrime = 168.66925 + 0.628808 * Sin(q.W3);
    double a1 = Sin(q.W7) * Sin(nodePrime - q.W8);
    double a2 = Cos(q.W7) * Sin(iPrime) - Sin(q.W7) * Cos(iPrime) * Cos(nodePrime - q.W8);
    double g0 = 102.8623;
    double psi = std::atan2(a1, a2) / kDegrees;
    double s = std::hypot(a1, a2);
    double g = q.W4 - nodePrime - psi;
    double varpi = 0.0;
    for (int pass = 0; pass < 3; ++pass) {
        varpi = q.W4 + 0.37515 * (Sin(2.0 * g) - Sin(2.0 * g0));
        g = varpi - nodePrime - psi;
    }
    double ePrime = 0.029092 + 0.00019048 * (Cos(2.0 * g) - Cos(2.0 * g0));
    double qq = 2.0 * (q.W5 - varpi);
    double b1 = Sin(iPrime) * Sin(nodePrime - q.W8);
    double b2 = Cos(q.W7) * Sin(iPrime) * Cos(nodePrime - q.W8) - Sin(q.W7) * Cos(iPrime);
    double theta = std::atan2(b1, b2) / kDegrees + q.W8;
    double e = ePrime + 0.002778797 * ePrime * Cos(qq);
    double p = varpi + 0.159215 * Sin(qq);
    double u = 2.0 * q.W5 - 2.0 * theta + psi;
    double h = 0.9375 * ePrime * ePrime * Sin(qq) + 0.1875 * s * s * Sin(2.0 * (q.W5 - theta));
    double e1 = 0.05589 - 0.000346 * q.t7;
    double lambda = L - 0.254744 * (e1 * Sin(q.W6) + 0.75 * e1 * e1 * Sin(2.0 * q.W6) + h);
    double i = iPrime + 0.031843 * s * Cos(u);
    double node = nodePrime + 0.031843 * s * Sin(u) / Sin(iPrime);
    return SaturnSubroutine(lambda, p, e, 20.216193, node, i);
}

SaturnOrbit Hyperion(const SaturnArguments& q) {
    double eta = 92.39 + 0.5621071 * q.t6;
    double zeta = 148.19 - 19.18 * q.t8;
    double theta = 184.8 - 35.41 * q.t9;
    double thetaPrime = theta - 7.5;
    double as = 176.0 + 12.22 * q.t8;
    double bs = 8.0 + 24.44 * q.t8;
    double cs = bs + 5.0;
    double varpi = 69.898 - 18.67088 * q.t8;
    double phi = 2.0 * (varpi - q.W5);
    double chi = 94.9 - 2.292 * q.t8;
    double a =
        24.50601 - 0.08686 * Cos(eta) - 0.00166 * Cos(zeta + eta) + 0.00175 * Cos(zeta - eta);
    double e = 0.103458 - 0.004099 * Cos(eta) - 0.000167 * Cos(zeta + eta) +
               0.000235 * Cos(zeta - eta) + 0.02303 * Cos(zeta) - 0.00212 * Cos(2.0 * zeta) +
               0.000151 * Cos(3.0 * zeta) + 0.00013 * Cos(phi);
    double p = varpi + 0.15648 * Sin(chi) - 0.4457 * Sin(eta) - 0.2657 * Sin(zeta + eta) -
               0.3573 * Sin(zeta - eta) - 12.872 * Sin(zeta) + 1.668 * Sin(2.0 * zeta) -
               0.2419 * Sin(3.0 * zeta) - 0.07 * Sin(phi);
    double lambda = 177.047 + Reduced(16.91993829 * q.t6) + 0.15648 * Sin(chi) + 9.142 * Sin(eta) +
                    0.007 * Sin(2.0 * eta) - 0.014 * Sin(3.0 * eta) + 0.2275 * Sin(zeta + eta) +
                    0.2112 * Sin(zeta - eta) - 0.26 * Sin(zeta) - 0.0098 * Sin(2.0 * zeta) -
                    0.013 * Sin(as) + 0.017 * Sin(bs) - 0.0303 * Sin(phi);
    double i =
        27.3347 + 0.6434886 * Cos(chi) + 0.315 * Cos(q.W3) + 0.018 * Cos(theta) - 0.018 * Cos(cs);
    double node = 168.6812 + 1.40136 * Cos(chi) + 0.68599 * Sin(q.W3) - 0.0392 * Sin(cs) +
                  0.0366 * Sin(thetaPrime);
    return SaturnSubroutine(lambda, p, e, a, node, i);
}

SaturnOrbit Iapetus(const SaturnArguments& q) {
    double L = 261.1582 + Reduced(22.57697855 * q.t4);
    double varpiPrime = 91.796 + 0.562 * q.t7;
    double psi = 4.367 - 0.195 * q.t7;
    double theta = 146.819 - 3.198 * q.t7;
    double phi = 60.47 + 1.521 * q.t7;
    double Phi = 205.055 - 2.091 * q.t7;
    double ePrime = 0.028298 + 0.001156 * q.t11;
    double varpi0 = 352.91 + 11.71 * q.t11;
    double mu = 76.3852 + Reduced(4.53795125 * q.t10);
    double t = q.t11;
    double iPrime = 18.4602 + t * (-0.9518 + t * (-0.072 + t * 0.0054));
    double nodePrime = 143.198 + t * (-3.919 + t * (0.116 + t * 0.008));
    double l = mu - varpi0;
    double g = varpi0 - nodePrime - psi;
    double g1 = varpi0 - nodePrime - phi;
    double ls = q.W5 - varpiPrime;
    double gs = varpiPrime - theta;
    double lT = L - q.W4;
    double gT = q.W4 - Phi;
    double u1 = 2.0 * (l + g - ls - gs);
    double u2 = l + g1 - lT - gT;
    double u3 = l + 2.0 * (g - ls - gs);
    double u4 = lT + gT - g1;
    double u5 = 2.0 * (ls + gs);
    double a = 58.935028 + 0.004638 * Cos(u1) + 0.058222 * Cos(u2);
    double e = ePrime - 0.0014097 * Cos(g1 - gT) + 0.0003733 * Cos(u5 - 2.0 * g) +
               0.000118 * Cos(u3) + 0.0002408 * Cos(l) + 0.0002849 * Cos(l + u2) +
               0.000619 * Cos(u4);
    double w = 0.08077 * Sin(g1 - gT) + 0.02139 * Sin(u5 - 2.0 * g) - 0.00676 * Sin(u3) +
               0.0138 * Sin(l) + 0.01632 * Sin(l + u2) + 0.03547 * Sin(u4);
    double p = varpi0 + w / ePrime;
    double lambda = mu - 0.04299 * Sin(u2) - 0.00789 * Sin(u1) - 0.06312 * Sin(ls) -
                    0.00295 * Sin(2.0 * ls) - 0.02231 * Sin(u5) + 0.0065 * Sin(u5 + psi);
    double i = iPrime + 0.04204 * Cos(u5 + psi) + 0.00235 * Cos(l + g1 + lT + gT + phi) +
               0.0036 * Cos(u2 + phi);
    double wPrime =
        0.04204 * Sin(u5 + psi) + 0.00235 * Sin(l + g1 + lT + gT + phi) + 0.00358 * Sin(u2 + phi);
    double node = nodePrime + wPrime / Sin(iPrime);
    return SaturnSubroutine(lambda, p, e, a, node, i);
}

bool SaturnianPosition(int moon, double jde, Vector3& v) {
    static SaturnOrbit (*const kTheories[])(const SaturnArguments&) = {
        Mimas, Enceladus, Tethys, Dione, Rhea, Titan, Hyperion, Iapetus};
    SaturnOrbit o = kTheories[moon](SaturnArguments(jde));
    double u = o.lambda - o.node;
    double w = o.node - kSaturnNode * kDegrees;
    double r = o.r * kSaturnRadiusKm / kKmPerAU;
    v[0] = r * (std::cos(u) * std::cos(w) - std::sin(u) * std::cos(o.gamma) * std::sin(w));
    v[1] = r * (std::sin(u) * std::cos(w) * std::cos(o.gamma) + std::cos(u) * std::sin(w));
    v[2] = r * std::sin(u) * std::sin(o.gamma);
    // The theory's plane to the ecliptic of B1950, to its equator, to J2000.
    Matrix3 m;
    RotationMatrix(
        m, {{0, kSaturnPlane * kDegrees}, {2, kSaturnNode * kDegrees}, {0, kObliquityB1950}});
    TransformVector(m, v);
    TransformVector(FromB1950(), v);
    return true;
}

// ---- Miranda to Oberon: GUST86 --------------------------------------------------

double Gust86Sum(int first, int count, double t, bool sine) {
    double sum = 0.0;
    for (int k = first; k < first + count; ++k) {
        const Gust86Term& term = kGust86Terms[k];
        double angle = std::fmod(term.phase + term.frequency * t, 2.0 * M_PI);
        sum += term.amplitude * (sine ? std::sin(angle) : std::cos(angle));
    }
    return sum;
}

bool UranianPosition(int moon, double jde, Vector3& v) {
    const Gust86Satellite& s = kGust86Satellites[moon];
    double t = jde - 2444239.5;
    double n = s.meanMotion + Gust86Sum(s.motionFirst, s.motionCount, t, false);
    double lambda = s.meanLongitude + std::fmod(s.meanLongitudeRate * t, 2.0 * M_PI) +
                    Gust86Sum(s.longitudeFirst, s.longitudeCount, t, true);
    double k = Gust86Sum(s.eccentricityFirst, s.eccentricityCount, t, false);
    double h = Gust86Sum(s.eccentricityFirst, s.eccentricityCount, t, true);
    double q = Gust86Sum(s.inclinationFirst, s.inclinationCount, t, false);
    double p = Gust86Sum(s.inclinationFirst, s.inclinationCount, t, true);
    double a = std::cbrt(s.gm / (n * n));
    double e = std::hypot(k, h);
    double varpi = std::atan2(h, k);
    double node = std::atan2(p, q);
    double i = 2.0 * std::asin(std::min(1.0, std::hypot(q, p)));
    if (!Kepler(a, e, i, varpi - node, node, lambda - varpi, v)) return false;
    // GUST86's frame: Uranus' equator with its x axis at the node 180 degrees
    // from R.A. pole + 90 on the B1950 equator. Without the half-turn about
    // the pole every moon would come out on the wrong side of the planet.
    Matrix3 m;
    RotationMatrix(m, {{2, M_PI}, {0, 74.9678 * kDegrees}, {2, 166.6068 * kDegrees}});
    TransformVector(m, v);
    TransformVector(FromB1950(), v);
    return true;
}

} // namespace

bool SatellitePositionRelative(int type, double jde, Vector3& position) {
    if (!std::isfinite(jde)) return false;
    Vector3 v = {0.0, 0.0, 0.0};
    bool placed;
    if (type == 16 || type == 17)
        placed = ElementSetPosition(type == 16 ? kSetPhobos : kSetDeimos, jde, v);
    else if (type >= 18 && type <= 21)
        placed = GalileanPosition(type - 18, jde, v);
    else if (type >= 22 && type <= 29)
        placed = SaturnianPosition(type - 22, jde, v);
    else if (type == 30)
        placed = ElementSetPosition(kSetPhoebe, jde, v);
    else if (type >= 31 && type <= 35)
        placed = UranianPosition(type - 31, jde, v);
    else if (type == 36 || type == 38)
        placed = ElementSetPosition(type == 36 ? kSetTriton : kSetCharon, jde, v);
    else if (type == 37)
        placed = NereidPosition(jde, v);
    else
        return false;
    if (!placed || !std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2]))
        return false;
    CopyVector(v, position);
    return true;
}
