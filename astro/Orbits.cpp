#include "astro/Orbits.h"

#include "astro/Frames.h"
#include "astro/Precession.h"
#include "astro/Vectors.h"

#include <cmath>

namespace {

// First step of the eccentric-anomaly bisection: a quarter of pi, written as
// the program always has.
constexpr double kBisectionFirstStep = 0.7853981635;
// Newton's method on an ellipse gives up once the estimate runs this far away.
constexpr double kNewtonRunaway = 1e8;
// A whole turn to double precision: Kepler's equation repeats with exactly
// this period, and a body propagated over many revolutions should not drift.
constexpr double kFullTurn = 6.283185307179586;

// An iteration that stopped without meeting the tolerance (its pass limit,
// or a runaway) is still taken when its last estimate satisfies the equation
// to this much, relative to 1 + |M|: far along a hyperbola, or with a huge
// mean anomaly, rounding alone keeps the residual above the tolerance.
constexpr double kAcceptableResidual = 1e-6;

bool AcceptableResidual(double residual, double M) {
    return std::fabs(residual) <= kAcceptableResidual * (1.0 + std::fabs(M));
}

// The bisection's steps pi/4, pi/8, ... and their sines and cosines, so that
// each step turns the sine and cosine of E by a fixed rotation instead of
// calling sin() again.
struct BisectionSteps {
    static constexpr int kCount = 40;
    double step[kCount], sinStep[kCount], cosStep[kCount];
    int count = 0;
    BisectionSteps() {
        double d = kBisectionFirstStep;
        for (; count < kCount && d > kOrbitTolerance; ++count, d *= 0.5) {
            step[count] = d;
            sinStep[count] = std::sin(d);
            cosStep[count] = std::cos(d);
        }
    }
};

// Eccentric anomaly of an ellipse by bisection. From pi/2 or 3pi/2 the steps
// pi/4, pi/8, ... reach every angle of the half turn the root lies in, and the
// sign of the residual of Kepler's equation says which way to step, so this
// converges for any eccentricity up to 1, where Newton's method can wander.
double EccentricAnomalyByBisection(double M, double e) {
    static const BisectionSteps steps;
    double E = M >= kPi ? 1.5 * kPi : 0.5 * kPi;
    // sin(E) exactly at the start; the rotations add a few units of rounding
    // over the 27 steps, far below the tolerance.
    double sinE = M >= kPi ? -1.0 : 1.0;
    double cosE = 0.0;
    for (int k = 0; k < steps.count; ++k) {
        double s = steps.sinStep[k], c = steps.cosStep[k];
        double sinNext, cosNext;
        if (M - (E - e * sinE) > 0.0) {
            E += steps.step[k];
            sinNext = sinE * c + cosE * s;
            cosNext = cosE * c - sinE * s;
        } else {
            E -= steps.step[k];
            sinNext = sinE * c - cosE * s;
            cosNext = cosE * c + sinE * s;
        }
        sinE = sinNext;
        cosE = cosNext;
    }
    return E;
}

// Eccentric anomaly of an ellipse of eccentricity below 0.975 by Newton's
// method from E = M. The step is taken even on the pass whose residual meets
// the tolerance, so the result is good to rounding. False when it did not
// converge (from E = M it can run away or cycle for eccentricities just under
// the bisection's).
bool EccentricAnomalyByNewton(double M, double e, double* anomaly) {
    double E = M;
    for (int pass = 0; pass < kOrbitMaxPasses; ++pass) {
        double f = E - e * std::sin(E) - M;
        E -= f / (1.0 - e * std::cos(E));
        if (std::fabs(f) <= kOrbitTolerance) {
            *anomaly = E;
            return true;
        }
        if (std::fabs(E) >= kNewtonRunaway) break;
    }
    *anomaly = E;
    // A whole number of turns away from the root is as good as the root.
    return AcceptableResidual(std::remainder(E - e * std::sin(E) - M, kFullTurn), M);
}

// Barker's equation s^3 + 3 s = W for s = tan(v/2), by Newton's method written
// as a fixed-point step. s^3 + 3 s - W is convex on the side of the root W
// lies on, so Newton's method from any start beyond the root comes down to it
// without overshooting. W itself is such a start, and so is the cube root of
// W: for |W| > 1 the cube root is the nearer, and saves the twenty-odd passes
// that only shrink W by a third each (comets decades from perihelion have W
// in the thousands). For |W| beyond about 1e100 the cube of a start overflows;
// the iteration then starts again from the cube root, finite and close.
bool SolveBarker(double W, double* tangent) {
    double s = std::fabs(W) > 1.0 ? std::cbrt(W) : W;
    for (int pass = 0; pass < kOrbitMaxPasses; ++pass) {
        double next = (W + 2.0 * s * s * s) / (3.0 * (s * s + 1.0));
        if (!std::isfinite(next)) {
            if (s == std::cbrt(W)) break;
            next = std::cbrt(W);
        }
        s = next;
        if (std::fabs(s * s * s + 3.0 * s - W) <= kOrbitTolerance) {
            *tangent = s;
            return true;
        }
    }
    *tangent = s;
    // The cube of a huge s can't be formed; its cube root was the answer.
    if (s == std::cbrt(W)) return std::isfinite(s);
    return AcceptableResidual((s * s * s + 3.0 * s - W) / (1.0 + s * s), W);
}

// Hyperbolic anomaly from e sinh H - H = M by Newton's method from
// asinh(M / e). Far out the sinh overflows; an iterate that is not finite ends
// the iteration with the one before it.
bool HyperbolicAnomaly(double M, double e, double* anomaly) {
    double H = std::asinh(M / e);
    for (int pass = 0; pass < kOrbitMaxPasses; ++pass) {
        double f = H - e * std::sinh(H) + M;
        double next = H - f / (1.0 - e * std::cosh(H));
        if (!std::isfinite(next)) break;
        H = next;
        if (std::fabs(f) <= kOrbitTolerance) {
            *anomaly = H;
            return true;
        }
    }
    *anomaly = H;
    double residual = e * std::sinh(H) - H - M;
    return std::isfinite(residual) && AcceptableResidual(residual, M);
}

} // namespace

double MeanMotion(double gm, double q, double e) {
    if (q <= 0.0) return 0.0;
    if (e < 1.0) {
        double a = q / (1.0 - e);
        return std::sqrt(gm / (a * a * a));
    }
    if (e == 1.0) return 3.0 * std::sqrt(gm / (2.0 * q * q * q));
    double a = q / (e - 1.0);
    return std::sqrt(gm / (a * a * a));
}

SatelliteMotion SatelliteSecularMotion(double n0, double e, double inclination) {
    // The two-line mean motion is the Kozai mean motion; recover the
    // semi-major axis it implies (the customary SGP correction).
    double cosI = std::cos(inclination);
    double a1 = std::pow(kSatelliteKe / n0, 2.0 / 3.0);
    double eccentricityTerm = std::pow(1.0 - e * e, 1.5);
    double delta = kSatelliteK2Half * (3.0 * cosI * cosI - 1.0) / (a1 * a1 * eccentricityTerm);
    double a0 =
        a1 * (1.0 - delta / 3.0 - delta * delta - 1.6543209876543208 * delta * delta * delta);
    double p = a0 * (1.0 - e * e);
    double p2 = p * p;
    SatelliteMotion motion;
    motion.semiMajorAxis = a0;
    motion.nodeRate = -kSatelliteK2Triple * cosI * n0 / p2;
    motion.perigeeRate = kSatelliteK2Half * (5.0 * cosI * cosI - 1.0) * n0 / p2;
    return motion;
}

void PrecessElementsToJ2000(double fromJD, double* inclination, double* node, double* perihelion) {
    // The orbit's pole and its perihelion direction are carried as vectors:
    // ecliptic of the old equinox -> its equator -> the J2000 equator (the
    // precession matrix) -> the J2000 ecliptic. This avoids the singular
    // spherical formulas for orbits lying in the ecliptic.
    double i = *inclination, om = *node, w = *perihelion;
    Vector3 pole = {std::sin(i) * std::sin(om), -std::sin(i) * std::cos(om), std::cos(i)};
    Vector3 peri = {std::cos(om) * std::cos(w) - std::sin(om) * std::sin(w) * std::cos(i),
                    std::sin(om) * std::cos(w) + std::cos(om) * std::sin(w) * std::cos(i),
                    std::sin(w) * std::sin(i)};
    Matrix3 toEquator, precession, toEcliptic;
    RotationMatrix(toEquator, {{0, MeanObliquity(fromJD)}});
    PrecessionMatrix(precession, fromJD, kJ2000, false);
    RotationMatrix(toEcliptic, {{0, -MeanObliquity(kJ2000)}});
    for (Vector3* v : {&pole, &peri}) {
        TransformVector(toEquator, *v);
        TransformVector(precession, *v);
        TransformVector(toEcliptic, *v);
    }
    double sinI = std::hypot(pole[0], pole[1]);
    double newI = std::atan2(sinI, pole[2]);
    double newNode, newPerihelion;
    if (sinI < 1e-12) {
        // In the ecliptic the node is undefined: keep the longitude of perihelion.
        newNode = 0.0;
        newPerihelion = Atan2Positive(peri[1], peri[0]);
        if (pole[2] < 0.0) newPerihelion = ReduceAngle(-newPerihelion);
    } else {
        newNode = Atan2Positive(pole[0], -pole[1]);
        Vector3 nodeDirection = {std::cos(newNode), std::sin(newNode), 0.0};
        Vector3 cross;
        CrossProduct(nodeDirection, peri, cross);
        double unitPole[3] = {pole[0], pole[1], pole[2]};
        double length = VectorLength(pole);
        for (double& c : unitPole)
            c /= length;
        newPerihelion = Atan2Positive(DotProduct(cross, unitPole), DotProduct(nodeDirection, peri));
    }
    *inclination = newI;
    *node = newNode;
    *perihelion = newPerihelion;
}

namespace {

// A point of the conic: the cosine and sine of its true anomaly, and its radius.
struct ConicPoint {
    double cosNu, sinNu, r;
};

// The orbit solution. The true anomaly's cosine and sine come from the
// anomaly the iteration found without further trigonometry where that is
// exact algebra (the ellipse and the parabola), which is what the position
// needs; the angle itself is formed only when trueAnomaly is asked for.
bool SolveConic(double M, double e, double q, ConicPoint& point, double* trueAnomaly) {
    if (!std::isfinite(M) || !std::isfinite(e) || !std::isfinite(q)) return false;
    if (q == 0.0) {
        point = {1.0, 0.0, 0.0};
        if (trueAnomaly != nullptr) *trueAnomaly = 0.0;
        return true;
    }
    if (e < 0.0) {
        e = -e;
        q = -q;
    }
    double nu = 0.0, cosNu, sinNu, r;
    if (e < 1.0) {
        M = std::fmod(M, kFullTurn);
        if (M < 0.0) M += kFullTurn;
        double E = 0.0;
        if (e >= kBisectionEccentricity)
            E = EccentricAnomalyByBisection(M, e);
        else if (!EccentricAnomalyByNewton(M, e, &E))
            return false;
        double cosE = std::cos(E), sinE = std::sin(E);
        double d = 1.0 - e * cosE; // r / a, positive for e < 1
        cosNu = (cosE - e) / d;
        sinNu = std::sqrt((1.0 - e) * (1.0 + e)) * sinE / d;
        if (trueAnomaly != nullptr)
            nu = 2.0 * std::atan(std::sqrt((1.0 + e) / (1.0 - e)) * std::tan(E / 2.0));
        r = q * (1.0 + e) / (1.0 + e * cosNu);
    } else if (e == 1.0) {
        double s = 0.0;
        if (!SolveBarker(M, &s)) return false;
        nu = 2.0 * std::atan(s);
        double s2 = s * s;
        if (std::isfinite(1.0 + s2)) {
            cosNu = (1.0 - s2) / (1.0 + s2);
            sinNu = 2.0 * s / (1.0 + s2);
        } else {
            cosNu = std::cos(nu);
            sinNu = std::sin(nu);
        }
        r = q * (1.0 + s2);
    } else {
        double H = 0.0;
        if (!HyperbolicAnomaly(M, e, &H)) return false;
        nu = 2.0 * std::atan(std::sqrt((e + 1.0) / (e - 1.0)) * std::tanh(H / 2.0));
        cosNu = std::cos(nu);
        sinNu = std::sin(nu);
        // Far along the asymptote tanh(H/2) rounds to 1 and the true anomaly to
        // the asymptote's own, where the conic's denominator vanishes.
        double denominator = 1.0 + e * cosNu;
        if (!(denominator > 0.0)) return false;
        r = q * (1.0 + e) / denominator;
    }
    if (!std::isfinite(cosNu) || !std::isfinite(sinNu) || !std::isfinite(r) ||
        !std::isfinite(nu))
        return false;
    point = {cosNu, sinNu, r};
    if (trueAnomaly != nullptr) *trueAnomaly = nu;
    return true;
}

} // namespace

bool SolveOrbit(double M, double e, double q, double* trueAnomaly, double* radius) {
    ConicPoint point;
    double nu = 0.0;
    if (!SolveConic(M, e, q, point, &nu)) return false;
    *trueAnomaly = nu;
    *radius = point.r;
    return true;
}

bool OrbitPosition(double q, double e, double inclination, double perihelion, double node,
                   double meanAnomaly, Vector3& position) {
    ConicPoint point;
    if (!SolveConic(meanAnomaly, e, q, point, nullptr)) return false;
    // u = true anomaly + argument of perihelion, by the angle-sum formulas.
    double cosW = std::cos(perihelion), sinW = std::sin(perihelion);
    double cosU = point.cosNu * cosW - point.sinNu * sinW;
    double sinU = point.sinNu * cosW + point.cosNu * sinW;
    double cosNode = std::cos(node), sinNode = std::sin(node);
    double cosI = std::cos(inclination);
    double r = point.r;
    double x = r * (cosNode * cosU - sinNode * cosI * sinU);
    double y = r * (sinNode * cosU + cosNode * cosI * sinU);
    double z = r * std::sin(inclination) * sinU;
    // Finite elements give a finite position; an infinite angle does not.
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return false;
    position[0] = x;
    position[1] = y;
    position[2] = z;
    return true;
}

bool ElementsPosition(const OrbitalElements& elements, double time, Vector3& position) {
    // The J2000 ecliptic to the J2000 equator: one fixed rotation.
    static const struct EclipticToEquator {
        Matrix3 m;
        EclipticToEquator() { ObliquityMatrix(m, MeanObliquity(kJ2000), false); }
    } toEquator;

    double dt = time - elements.epoch;
    double M = elements.meanAnomaly + elements.meanMotion * dt;
    double perihelion = ReduceAngle(elements.perihelion + dt * elements.perihelionRate);
    double node = ReduceAngle(elements.node + dt * elements.nodeRate);
    Vector3 ecliptic;
    if (!OrbitPosition(elements.q, elements.e, elements.inclination, perihelion, node, M, ecliptic))
        return false;
    TransformVector(toEquator.m, ecliptic);
    CopyVector(ecliptic, position);
    return true;
}
