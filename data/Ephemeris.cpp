#include "data/Ephemeris.h"

#include "astro/ApparentPlace.h"
#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/Satellites.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kTypeSaturn = 7;
constexpr double kHundredths = 100.0;
constexpr int kRise = -1;
constexpr int kSet = 1;

int (*gCurrentFrameQuery)() = nullptr;
int gRefinementPasses = 0;

double MagnitudeParameter(std::int16_t hundredths) {
    return hundredths == kNoMagnitude ? std::numeric_limits<double>::quiet_NaN()
                                      : hundredths / kHundredths;
}

// The object's right ascension and declination in the Equatorial frame of
// the instant, from its stored direction.
// Right ascension and declination on the equator of the precession epoch (as
// reports show them) or, `ofDate`, on the equator of the date, whose hour
// angles rising and setting are reckoned in.
void EquatorialPlace(const SkyObject* object, double* rightAscension, double* declination,
                     bool ofDate = false) {
    Vector3 v;
    ObjectDirection(object, v);
    TransformVector(ofDate ? gInstant.frames.ofDate : gInstant.frames.equatorial, v);
    RectangularToSpherical(v, rightAscension, declination, nullptr);
}

// Earth satellites cross the sky in minutes and rise several times a day, so
// their events come from the orbit itself: the first rising and setting of
// the local day, found by stepping the satellite's altitude a minute at a
// time and halving each crossing down to a second.
constexpr double kPassStep = 1.0 / 1440.0;
constexpr double kPassTolerance = 1.0 / 86400.0;

struct PassGeometry {
    const SolarSystemObject* satellite;
    Matrix3 ofDateToJ2000; // the site's axes (equator of date) to J2000
    double deltaT;         // days, dynamical minus universal time
};

// sin(altitude) of the satellite from the site at the Universal Time `t`
// minus sin(horizon altitude); NaN when the orbit gives no position.
double PassHeight(const PassGeometry& g, double t) {
    Vector3 satellite;
    if (!SatellitePosition(g.satellite, t + g.deltaT, satellite)) return std::nan("");
    const double theta = LocalSiderealTime(t, gViewer.longitude);
    Vector3 site, zenith{std::cos(gViewer.latitude) * std::cos(theta),
                         std::cos(gViewer.latitude) * std::sin(theta), std::sin(gViewer.latitude)};
    SiteGeocentricPosition(theta, gViewer.latitude, gViewer.altitude * kMetresToAU,
                           kEarthEquatorialRadius, kEarthFlattening, site);
    TransformVector(g.ofDateToJ2000, site);
    TransformVector(g.ofDateToJ2000, zenith);
    Vector3 d;
    VectorSubtract(satellite, site, d);
    const double length = VectorLength(d);
    if (!(length > 0.0)) return std::nan("");
    return DotProduct(d, zenith) / length - std::sin(gComputationOptions.horizonAltitude);
}

// Local times of day count from local midnight in Universal Time, as the
// clock on the wall does.
void SatelliteRiseSet(const SolarSystemObject* satellite, ObjectPositionResult& result) {
    PassGeometry g{satellite, {}, DeltaT(gInstant.jde) / 86400.0};
    const double zone = gInstant.effectiveTimeZone;
    const double jd0 = std::floor(gInstant.jde - g.deltaT - 0.5 + zone) + 0.5 - zone;
    PrecessionMatrix(g.ofDateToJ2000, gInstant.jde, kJ2000, false);
    result.rise = {kNeverRises, jd0 + kNeverRises / kTwoPi, false};
    result.set = result.rise;
    double before = PassHeight(g, jd0);
    bool everUp = before > 0.0, everDown = before <= 0.0;
    for (double t = jd0 + kPassStep; t <= jd0 + 1.0 + 1e-9; t += kPassStep) {
        const double now = PassHeight(g, t);
        if (std::isnan(now) || std::isnan(before)) {
            before = now;
            continue;
        }
        everUp = everUp || now > 0.0;
        everDown = everDown || now <= 0.0;
        RiseSet& event = now > 0.0 ? result.rise : result.set;
        if ((before > 0.0) != (now > 0.0) && !event.event) {
            double low = t - kPassStep, high = t;
            while (high - low > kPassTolerance) {
                const double middle = 0.5 * (low + high);
                const double h = PassHeight(g, middle);
                ((h > 0.0) == (now > 0.0) ? high : low) = middle;
            }
            event = {(high - jd0) * kTwoPi, high, true};
        }
        before = now;
    }
    // Up all day (a geostationary satellite high in the sky): it never sets.
    if (!everDown) {
        result.rise = {kNeverSets, jd0 + 1.0, false};
        result.set = result.rise;
    }
}

} // namespace

void setCurrentFrameQuery(int (*query)()) {
    gCurrentFrameQuery = query;
}

int CurrentFrame() {
    return gCurrentFrameQuery != nullptr ? gCurrentFrameQuery() : kFrameHorizon;
}

ObjectPositionResult ObjectPosition(SkyObject* object) {
    ObjectPositionResult result{};
    EnsureComputed(object);
    Vector3 u;
    ObjectDirection(object, u);

    EquatorialPlace(object, &result.rightAscension, &result.declination);
    if (VectorLength(u) == 0.0) {
        // No direction yet (a body no theory has placed, a site): no events
        // to invent from it.
        result.rise = {kNeverRises, gInstant.jde, false};
        result.set = result.rise;
        return result;
    }
    double rightAscension = 0.0, declination = 0.0;
    EquatorialPlace(object, &rightAscension, &declination, true);
    const SolarSystemObject* body = AsSolarSystem(object);
    if (body != nullptr && body->type == kTypeEarthSatellite && gViewer.viewerObject == 0) {
        SatelliteRiseSet(body, result);
    } else {
        bool rises = RiseSetTime(rightAscension, declination, kRise, result.rise);
        bool sets = RiseSetTime(rightAscension, declination, kSet, result.set);
        if (gComputationOptions.preciseRiseSet) {
            if (rises) RefineRiseSet(object, kRise, result.rise);
            if (sets) RefineRiseSet(object, kSet, result.set);
        }
    }

    int frame = CurrentFrame();
    const Matrix3* matrix = FrameMatrix(gInstant.frames, frame);
    if (matrix == nullptr) {
        // A frame code the chart should never hand over: show the horizon.
        frame = kFrameHorizon;
        matrix = &gInstant.frames.horizon;
    }
    TransformVector(*matrix, u);
    RectangularToSpherical(u, &result.longitude, &result.latitude, nullptr);
    if (frame == kFrameHorizon && gComputationOptions.refraction)
        result.latitude +=
            RefractionCorrection(result.latitude, kStandardPressure, kStandardTemperature);
    return result;
}

bool RiseSetTime(double rightAscension, double declination, int sign, RiseSet& result) {
    double h0 =
        RiseSetHourAngle(gComputationOptions.horizonAltitude, declination, gViewer.latitude);
    double zone = gInstant.effectiveTimeZone;
    // Local midnight before the instant, as a Julian date.
    double jd0 = std::floor(gInstant.jde - 0.5 + zone) + 0.5 - zone;
    if (h0 == 0.0 || h0 == kPi) {
        result.timeAngle = h0 == 0.0 ? kNeverRises : kNeverSets;
        result.julianDate = jd0 + result.timeAngle / kTwoPi;
        result.event = false;
        return false;
    }
    double theta0 = LocalSiderealTime(jd0, gViewer.longitude);
    double hourAngle = ReduceAngle(sign * h0 + rightAscension - theta0);
    result.timeAngle = hourAngle * kSiderealToSolar;
    result.julianDate = jd0 + result.timeAngle / kTwoPi;
    result.event = true;
    return true;
}

void RefineRiseSet(SkyObject* object, int sign, RiseSet& result) {
    ComputationContext context;
    SaveContext(context);
    int passes = 0;
    while (passes < kRiseSetMaxPasses) {
        ++passes;
        gViewer.julianDate = result.julianDate;
        PrepareComputation();
        ForceCompute(object);
        double rightAscension = 0.0, declination = 0.0;
        EquatorialPlace(object, &rightAscension, &declination, true);
        double previous = result.timeAngle;
        bool event = RiseSetTime(rightAscension, declination, sign, result);
        if (!event || std::fabs(result.timeAngle - previous) <= kRiseSetTolerance) break;
    }
    gRefinementPasses = passes;
    RestoreContext(context);
    ForceCompute(object);
}

int RiseSetRefinementPasses() {
    return gRefinementPasses;
}

void ComputePhysical(SolarSystemObject* object, const Vector3& direction, const Vector3& position) {
    double delta = object->distance;
    double radius = object->elements[kRadius];
    double diameter = AngularDiameter(radius, delta);
    double phase = PhaseAngle(direction, position);

    // A satellite in its primary's shadow is dark whatever the geometry.
    ObjectID primaryId = BodyPrimary(object);
    if (primaryId != 0) {
        SolarSystemObject* primary = AsSolarSystem(getObject(primaryId));
        if (primary != nullptr && primary != object) {
            Vector3 centre;
            bool placed = primary->computeStamp == gInstant.solarStamp
                              ? ObjectHeliocentricPosition(primary, centre, nullptr)
                              : HeliocentricPosition(primary, centre, nullptr);
            if (placed && InPrimaryShadow(position, radius, centre, primary->elements[kRadius]))
                phase = kPi;
        }
    }

    double limb = VectorPositionAngle(direction, gInstant.sunDirection);
    std::int16_t magnitude = kMagnitudeNone;
    if (delta > 0.0 && std::isfinite(delta))
        magnitude = Magnitude(object, delta, VectorLength(position), phase);

    object->physical[0] = static_cast<float>(diameter);
    object->physical[1] = static_cast<float>(phase);
    object->physical[2] = static_cast<float>(limb);
    object->magnitude = magnitude;
}

std::int16_t Magnitude(const SolarSystemObject* object, double delta, double r, double phase) {
    MagnitudeInput input;
    input.type = object->type;
    input.delta = delta;
    input.r = r;
    input.phase = phase;
    input.param1 = MagnitudeParameter(object->magnitudeParam1);
    input.param2 = MagnitudeParameter(object->magnitudeParam2);
    input.saturnSinB = 0.0;
    if (object->type == kTypeSaturn) {
        // The viewer's latitude above the ring plane, from Saturn's pole of
        // the instant and the direction in which Saturn is seen.
        RotationState pole = RotationModel(kTypeSaturn, gInstant.jde);
        Vector3 u;
        ObjectDirection(object, u);
        double ra = 0.0, dec = 0.0;
        RectangularToSpherical(u, &ra, &dec, nullptr);
        input.saturnSinB = -std::sin(pole.poleDec) * std::sin(dec) -
                           std::cos(pole.poleDec) * std::cos(dec) * std::cos(pole.poleRA - ra);
    }
    return MagnitudeOf(input);
}

Orientation ObjectOrientation(SolarSystemObject* object) {
    if (object == nullptr) return {};
    EnsureComputed(object);
    double delta = object->distance;
    // The body is seen as it was when its light left it.
    double t = std::isinf(delta) ? gInstant.jde : gInstant.jde - delta * kLightTimePerAU;
    Vector3 u;
    ObjectDirection(object, u);
    return OrientationFrom(RotationModel(object->type, t), u);
}
