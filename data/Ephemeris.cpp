#include "data/Ephemeris.h"

#include "astro/ApparentPlace.h"
#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/TimeScales.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"

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
    bool rises = RiseSetTime(rightAscension, declination, kRise, result.rise);
    bool sets = RiseSetTime(rightAscension, declination, kSet, result.set);
    if (gComputationOptions.preciseRiseSet) {
        if (rises) RefineRiseSet(object, kRise, result.rise);
        if (sets) RefineRiseSet(object, kSet, result.set);
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
