#include "data/Driver.h"

#include "astro/ApparentPlace.h"
#include "astro/Frames.h"
#include "astro/Orbits.h"
#include "astro/PlanetarySatellites.h"
#include "astro/PlanetTheories.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"
#include "astro/Viewer.h"
#include "data/Ephemeris.h"
#include "data/ObjectStore.h"
#include "data/Satellites.h"
#include "shell/Platform.h"

#include <cmath>
#include <cstdint>
#include <limits>

InstantState gInstant;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kInverseUnitVectorScale = 1.0 / kUnitVectorScale; // 2^-30
constexpr double kModifiedJulianDateOffset = 2400000.5;
constexpr std::int16_t kUnknownMagnitude = -32768;
// A magnitude change of a factor ten in distance, in hundredths.
constexpr double kHundredthsPerDecade = 500.0;
// The light-time iteration stops when two passes agree to this many days.
constexpr double kLightTimeTolerance = 1e-6;
// Light time converges by a factor v/c a pass, so a handful always suffices;
// the bound only stops a body with absurd elements from looping for ever.
constexpr int kMaxLightTimePasses = 50;
// Satellites of satellites are fine; a chain longer than this is a loop of
// primaries in edited data.
constexpr int kMaxPrimaryDepth = 8;

// What PrepareComputation last saw, to decide which stamps advance.
struct LastSeen {
    bool valid = false;
    Vector3 viewerPosition = {0.0, 0.0, 0.0};
    double jde = 0.0;
    bool motionApplies = false;
    bool parallaxApplies = false;
    bool aberration = false;
    Vector3 aberrationVector = {0.0, 0.0, 0.0};
    std::uint8_t planetComputation = 0;
    bool lightTime = false;
};
LastSeen gLastSeen;

// The highest stamp ever issued in each class. A stamp put back by
// RestoreContext is lower; the next advance still goes past every value used
// meanwhile, so that nothing computed during the excursion passes for current.
std::uint32_t gFixedIssued = 1;
std::uint32_t gSolarIssued = 1;

// Whether the viewer has a position at all (a body no theory places yet has
// none); without one, star parallax can't be taken.
bool gViewerPlaced = false;
ObjectID gEarthId = 0;
void (*gRedrawHandler)() = nullptr;
bool (*gAnimationRunning)() = nullptr;
int gComputeDepth = 0;
std::uint32_t gDataGeneration = 1;
// Mean equator of the date to J2000, for the site's offset from the Earth.
Matrix3 gSiteMatrix;
double gSiteMatrixJde = std::numeric_limits<double>::quiet_NaN();

std::uint32_t NextStamp(std::uint32_t issued) {
    // 0 is the stamp of a record never computed; it is never issued.
    return issued + 1 == 0 ? 1 : issued + 1;
}

void AdvanceFixedStamp() {
    gInstant.fixedStamp = gFixedIssued = NextStamp(gFixedIssued);
}
void AdvanceSolarStamp() {
    gInstant.solarStamp = gSolarIssued = NextStamp(gSolarIssued);
}

bool SameVector(const Vector3& a, const Vector3& b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

bool FiniteVector(const Vector3& v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

void StoreDirection(const Vector3& unit, std::int32_t direction[3]) {
    for (int i = 0; i < 3; ++i)
        direction[i] = static_cast<std::int32_t>(std::trunc(unit[i] * kUnitVectorScale));
}

// Keeps a file in memory while pointers into it are held across calls that may
// load other files (and so unload some under the memory limit).
class FileLock {
public:
    explicit FileLock(ObjectID id) : id_(id) {
        if (id_ != 0) lockFile(id_);
    }
    ~FileLock() {
        if (id_ != 0) unlockFile(id_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    ObjectID id_;
};

class DepthGuard {
public:
    DepthGuard() { ++gComputeDepth; }
    ~DepthGuard() { --gComputeDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

SolarSystemObject* FindEarth() {
    if (gEarthId != 0) {
        SkyObject* cached = getObject(gEarthId);
        if (cached != nullptr && cached->type == kTypeEarth) return AsSolarSystem(cached);
        gEarthId = 0;
    }
    for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId)) {
        const DatabaseFile* file = getFile(fileId);
        if (file == nullptr || file->solarSystemCount <= 0) continue;
        for (ObjectID id = firstObjectInFile(fileId); id != 0; id = nextObjectInFile(id)) {
            SkyObject* object = getObject(id);
            if (object != nullptr && object->type == kTypeEarth) {
                gEarthId = id;
                return AsSolarSystem(object);
            }
        }
    }
    return nullptr;
}

// The Moon's and an Earth satellite's elements and theories are relative to
// the Earth even when their record names no primary.
ObjectID PrimaryOf(const SolarSystemObject* body) {
    if (body->primary != 0) return body->primary;
    if ((body->type == kTypeMoon || body->type == kTypeEarthSatellite) && FindEarth() != nullptr)
        return gEarthId;
    return 0;
}

// A body that no theory could place has its position zeroed; only the Sun
// truly sits at the origin.
bool HasStoredPosition(const SolarSystemObject* body) {
    return body->type == kTypeSun || body->position[0] != 0.0 || body->position[1] != 0.0 ||
           body->position[2] != 0.0;
}

// The position from the record's osculating elements at the current JDE,
// relative to the centre of the orbit; false when the elements can't give one.
bool PositionFromElements(const SolarSystemObject* body, Vector3& position) {
    const float* el = body->elements;
    if (el[kPerihelionDistance] == 0.0f) {
        // A zero perihelion distance is a point at the centre: right for the
        // Sun, whose "orbit" is the origin, and a sign of missing elements for
        // anything else.
        if (body->type != kTypeSun) return false;
        position[0] = position[1] = position[2] = 0.0;
        return true;
    }
    OrbitalElements elements;
    elements.epoch = static_cast<double>(body->epoch) + kModifiedJulianDateOffset;
    elements.q = el[kPerihelionDistance];
    elements.e = el[kEccentricity];
    elements.inclination = el[kInclination];
    elements.perihelion = el[kArgumentOfPerihelion];
    elements.node = el[kAscendingNode];
    elements.meanAnomaly = el[kMeanAnomaly];
    elements.meanMotion = el[kMeanMotion];
    elements.perihelionRate = el[kPerihelionRate];
    elements.nodeRate = el[kNodeRate];
    double time = gInstant.jde;
    Vector3 p;
    // An orbit the solver can't solve at this time leaves the body unplaced.
    if (!ElementsPosition(elements, time, p) || !FiniteVector(p)) return false;
    CopyVector(p, position);
    return true;
}

// The position of a body relative to the centre its theory uses (its primary,
// or the Sun), by type and planet computation mode.
bool RelativePosition(const SolarSystemObject* body, Vector3& position) {
    int type = body->type;
    // Earth satellites: two-line elements under drag and the Earth's
    // oblateness. The planetary satellites: each its own theory.
    if (type == kTypeEarthSatellite) return SatellitePosition(body, gInstant.jde, position);
    if (type > kTypeMoon && type <= kTypeCharon)
        return SatellitePositionRelative(type, gInstant.jde, position);
    bool major = (type >= kTypeSun && type <= kTypePluto) || type == kTypeMoon;
    if (major) {
        switch (gComputationOptions.planetComputation) {
        case kPlanetsVFP:
            return VfpPosition(type, gInstant.jde, position);
        case kPlanetsVSOP87:
            return Vsop87Position(type, gInstant.jde, position);
        default:
            break; // from the orbital elements below
        }
    }
    // Comets, asteroids, spacecraft, any other type, and the major bodies in
    // the Elements mode.
    return PositionFromElements(body, position);
}

bool PlaceBody(SolarSystemObject* body, Vector3& position, int depth) {
    if (depth > kMaxPrimaryDepth) return false;
    if (!RelativePosition(body, position)) return false;
    ObjectID primaryId = PrimaryOf(body);
    if (primaryId == 0) return true;
    FileLock lock(primaryId);
    SolarSystemObject* primary = AsSolarSystem(getObject(primaryId));
    if (primary == nullptr || primary == body) return false;
    Vector3 centre;
    if (primary->computeStamp == gInstant.solarStamp) {
        if (!HasStoredPosition(primary)) return false;
        CopyVector(primary->position, centre);
    } else if (!PlaceBody(primary, centre, depth + 1)) {
        return false;
    }
    VectorAdd(position, centre, position);
    return FiniteVector(position);
}

// The viewer body's heliocentric position, computed afresh.
bool ViewerHeliocentricPosition(SkyObject* viewer, Vector3& position, double* distance) {
    if (viewer == nullptr) return false;
    if (CatalogObject* star = AsCatalog(viewer)) {
        FixedObjectHeliocentricPosition(star, position, distance);
        return true;
    }
    if (SolarSystemObject* body = AsSolarSystem(viewer))
        return HeliocentricPosition(body, position, distance);
    return false; // a line or a site is nowhere in space
}

// A body no theory can place: it can't be seen, and its direction is left as
// it was rather than invented.
void StoreUnplaced(SolarSystemObject* body) {
    body->distance = static_cast<float>(kInfinity);
    body->magnitude = kNoMagnitude;
    body->position[0] = body->position[1] = body->position[2] = 0.0;
    body->physical[0] = body->physical[1] = body->physical[2] = 0.0f;
}

} // namespace

void setDriverDefaults() {
    gInstant = InstantState{};
    gInstant.viewerSolarDistance = kInfinity;
    gInstant.fixedStamp = 1;
    gInstant.solarStamp = 1;
    gFixedIssued = 1;
    gSolarIssued = 1;
    gLastSeen = LastSeen{};
    gViewerPlaced = false;
    gEarthId = 0;
    gComputeDepth = 0;
}

void PrepareComputation() {
    InstantState& s = gInstant;
    ComputationOptions& options = gComputationOptions;

    s.effectiveTimeZone =
        EffectiveTimeZone(gViewer.julianDate, gViewer.timeZone, gViewer.daylightSavings);
    s.jde = DynamicalJulianDate(gViewer.julianDate, gViewer.dynamicTime);
    s.siderealTime = LocalSiderealTime(gViewer.julianDate, gViewer.longitude);
    if (options.precession) options.precessionEpoch = s.jde;
    BuildFrameMatrices(s.frames, options.precessionEpoch, options.nutation, s.siderealTime,
                       gViewer.latitude, s.jde);

    // Whether space motion applies depends on the instant alone; it is decided
    // before the viewer is placed, since a star chosen as the viewpoint moves
    // with it.
    s.motionApplies = options.starMotion && std::fabs(s.jde - kJ2000) > options.starMotionThreshold;

    SkyObject* viewer = nullptr;
    if (gViewer.viewerObject != 0) {
        viewer = getObject(gViewer.viewerObject);
        if (viewer == nullptr) gViewer.viewerObject = 0;
    }
    if (gViewer.viewerObject == 0) {
        viewer = FindEarth();
        SiteGeocentricPosition(s.siderealTime, gViewer.latitude, gViewer.altitude * kMetresToAU,
                               kEarthEquatorialRadius, kEarthFlattening,
                               gViewer.viewerObjectOffset);
        // The site turns with the mean equator of the date; the offset is
        // kept on J2000 axes like every position. (Taken as it comes, the
        // site would stand a precession angle away, 1.4 degrees a century,
        // and the Moon's parallax would go wrong by up to 1.5'.)
        if (s.jde != gSiteMatrixJde) {
            PrecessionMatrix(gSiteMatrix, s.jde, kJ2000, false);
            gSiteMatrixJde = s.jde;
        }
        TransformVector(gSiteMatrix, gViewer.viewerObjectOffset);
        Vector3 velocity;
        EarthVelocity(s.jde, velocity);
        for (int i = 0; i < 3; ++i)
            s.aberration[i] = velocity[i] * kLightTimePerAU;
    }

    // The viewer body is computed for this instant, never taken from a result
    // stored for an earlier one: for this one computation no stored result is
    // current.
    {
        FileLock lock(viewer != nullptr ? viewer->id : 0);
        std::uint32_t fixedStamp = s.fixedStamp, solarStamp = s.solarStamp;
        s.fixedStamp = NextStamp(gFixedIssued);
        s.solarStamp = NextStamp(gSolarIssued);
        double distance = 0.0;
        gViewerPlaced = ViewerHeliocentricPosition(viewer, s.viewerPosition, &distance);
        s.fixedStamp = fixedStamp;
        s.solarStamp = solarStamp;
        if (!gViewerPlaced) {
            s.viewerPosition[0] = s.viewerPosition[1] = s.viewerPosition[2] = 0.0;
            distance = kInfinity;
        } else if (std::isfinite(distance)) {
            VectorAdd(s.viewerPosition, gViewer.viewerObjectOffset, s.viewerPosition);
            distance = VectorLength(s.viewerPosition);
        }
        s.viewerSolarDistance = distance;
    }

    s.parallaxApplies = options.starParallax && gViewerPlaced &&
                        s.viewerSolarDistance > options.starParallaxThreshold;

    if (std::isinf(s.viewerSolarDistance)) {
        for (int i = 0; i < 3; ++i)
            s.sunDirection[i] = -s.viewerPosition[i];
    } else if (s.viewerSolarDistance > 0.0) {
        for (int i = 0; i < 3; ++i)
            s.sunDirection[i] = -s.viewerPosition[i] / s.viewerSolarDistance;
    } else {
        s.sunDirection[0] = s.sunDirection[1] = s.sunDirection[2] = 0.0;
    }
    // Where no Sun can be placed (the viewer itself unplaced, or at the Sun),
    // its direction is the zero vector; its altitude would come out 0, a
    // daytime sky at any hour. Without a Sun there is no daylight.
    if (VectorLength(s.sunDirection) > 0.0) {
        double zenith =
            DotProduct(s.sunDirection, s.frames.horizon[2]) / VectorLength(s.sunDirection);
        s.sunAltitude = std::asin(std::fmax(-1.0, std::fmin(1.0, zenith)));
    } else {
        s.sunAltitude = -kHalfPi;
    }

    // The aberration vector changes with the viewpoint as well as with the
    // time (it is kept while viewing from another body and taken afresh on
    // coming back to the Earth), so a change of it makes aberrated results stale.
    LastSeen& last = gLastSeen;
    bool jdeChanged = !last.valid || last.jde != s.jde;
    bool viewerMoved = !last.valid || !SameVector(last.viewerPosition, s.viewerPosition);
    bool aberrationMoved =
        options.aberration && (!last.valid || !SameVector(last.aberrationVector, s.aberration));
    bool fixedStale = !last.valid || last.motionApplies != s.motionApplies ||
                      last.parallaxApplies != s.parallaxApplies ||
                      last.aberration != options.aberration || (viewerMoved && s.parallaxApplies) ||
                      ((s.motionApplies || options.aberration) && jdeChanged) || aberrationMoved;
    bool solarStale = !last.valid || last.planetComputation != options.planetComputation ||
                      last.lightTime != options.planetLightTime ||
                      last.aberration != options.aberration || viewerMoved || jdeChanged ||
                      aberrationMoved;
    if (fixedStale) AdvanceFixedStamp();
    if (solarStale) AdvanceSolarStamp();

    last.valid = true;
    CopyVector(s.viewerPosition, last.viewerPosition);
    last.jde = s.jde;
    last.motionApplies = s.motionApplies;
    last.parallaxApplies = s.parallaxApplies;
    last.aberration = options.aberration;
    CopyVector(s.aberration, last.aberrationVector);
    last.planetComputation = options.planetComputation;
    last.lightTime = options.planetLightTime;
}

bool EnsureComputed(SkyObject* object) {
    if (object == nullptr) return false;
    if (IsCatalogType(object->type)) {
        CatalogObject* star = static_cast<CatalogObject*>(object);
        if (star->computeStamp == gInstant.fixedStamp) return false;
        ComputeFixedObject(star);
        return true;
    }
    if (IsSolarSystemType(object->type)) {
        SolarSystemObject* body = static_cast<SolarSystemObject*>(object);
        if (body->computeStamp == gInstant.solarStamp) return false;
        ComputeSolarSystemObject(body);
        return true;
    }
    // A line's endpoints are refreshed by the chart as it draws it, and a site
    // has nothing to compute.
    return false;
}

void ForceCompute(SkyObject* object) {
    if (CatalogObject* star = AsCatalog(object))
        ComputeFixedObject(star);
    else if (SolarSystemObject* body = AsSolarSystem(object))
        ComputeSolarSystemObject(body);
}

void ObjectDirection(const SkyObject* object, Vector3& direction) {
    std::int32_t fixed[3] = {0, 0, 0};
    if (object == nullptr || !ApparentDirection(object, fixed)) fixed[0] = fixed[1] = fixed[2] = 0;
    for (int i = 0; i < 3; ++i)
        direction[i] = fixed[i] * kInverseUnitVectorScale;
}

double ObjectDistance(const SkyObject* object) {
    if (const CatalogObject* star = AsCatalog(object)) return star->distance;
    if (const SolarSystemObject* body = AsSolarSystem(object)) return body->distance;
    return kInfinity;
}

std::int16_t ObjectMagnitude(const SkyObject* object) {
    if (const CatalogObject* star = AsCatalog(object)) return star->magnitude;
    if (const SolarSystemObject* body = AsSolarSystem(object)) return body->magnitude;
    return kNoMagnitude;
}

bool ObjectHeliocentricPosition(SkyObject* object, Vector3& position, double* distance) {
    if (const CatalogObject* star = AsCatalog(object)) {
        FixedObjectHeliocentricPosition(star, position, distance);
        return true;
    }
    const SolarSystemObject* body = AsSolarSystem(object);
    if (body == nullptr || !HasStoredPosition(body)) return false;
    CopyVector(body->position, position);
    if (distance != nullptr) *distance = VectorLength(position);
    return true;
}

void ComputeFixedObject(CatalogObject* object) {
    const InstantState& s = gInstant;
    double d = object->catalogDistance;
    // A distance of zero or less is as good as none: it can't scale a parallax.
    bool distanceKnown = std::isfinite(d) && d > 0.0;
    float catalogDistance = distanceKnown ? object->catalogDistance : static_cast<float>(kInfinity);
    bool parallax = s.parallaxApplies && distanceKnown;
    if (s.motionApplies || parallax) {
        Vector3 p;
        double days = s.jde - kJ2000;
        for (int i = 0; i < 3; ++i) {
            p[i] = object->position[i];
            if (s.motionApplies) p[i] += object->motion[i] * days;
        }
        if (parallax) {
            if (std::isinf(s.viewerSolarDistance)) {
                for (int i = 0; i < 3; ++i)
                    p[i] = -s.viewerPosition[i] * kInverseUnitVectorScale;
            } else {
                double scale = kUnitVectorScale / d;
                for (int i = 0; i < 3; ++i)
                    p[i] -= s.viewerPosition[i] * scale;
            }
        }
        double length = VectorLength(p);
        if (!(length > 0.0)) {
            object->distance = 0.0f;
            object->magnitude = kUnknownMagnitude;
        } else {
            double ratio = length * kInverseUnitVectorScale; // the new distance in units of d
            for (int i = 0; i < 3; ++i)
                object->apparentDirection[i] = static_cast<std::int32_t>(std::trunc(p[i] / ratio));
            if (!distanceKnown) {
                object->distance = catalogDistance;
                object->magnitude = object->catalogMagnitude;
            } else if (std::isinf(s.viewerSolarDistance)) {
                object->distance = static_cast<float>(kInfinity);
                object->magnitude = kNoMagnitude;
            } else {
                object->distance = static_cast<float>(d * ratio);
                std::int16_t catalog = object->catalogMagnitude;
                if (catalog == kNoMagnitude || catalog == kUnknownMagnitude) {
                    object->magnitude = catalog;
                } else {
                    // Kept inside the range that doesn't collide with the
                    // "none" and "unknown" values.
                    double m = std::trunc(catalog + kHundredthsPerDecade * std::log10(ratio));
                    m = std::fmax(kUnknownMagnitude + 1.0, std::fmin(kNoMagnitude - 1.0, m));
                    object->magnitude = static_cast<std::int16_t>(m);
                }
            }
        }
    } else {
        for (int i = 0; i < 3; ++i)
            object->apparentDirection[i] = object->position[i];
        object->distance = catalogDistance;
        object->magnitude = object->catalogMagnitude;
    }
    if (gComputationOptions.aberration && object->distance > 0.0f) {
        Vector3 u;
        for (int i = 0; i < 3; ++i)
            u[i] = object->apparentDirection[i] * kInverseUnitVectorScale;
        Aberrate(u, s.aberration);
        StoreDirection(u, object->apparentDirection);
    }
    object->computeStamp = s.fixedStamp;
}

void FixedObjectHeliocentricPosition(const CatalogObject* object, Vector3& position,
                                     double* distance) {
    double days = gInstant.jde - kJ2000;
    for (int i = 0; i < 3; ++i) {
        position[i] = object->position[i];
        if (gInstant.motionApplies) position[i] += object->motion[i] * days;
    }
    double d = object->catalogDistance;
    if (std::isfinite(d) && d > 0.0) {
        double scale = d * kInverseUnitVectorScale;
        for (int i = 0; i < 3; ++i)
            position[i] *= scale;
        if (distance != nullptr) *distance = VectorLength(position);
        return;
    }
    double length = VectorLength(position);
    if (length > 0.0) {
        for (int i = 0; i < 3; ++i)
            position[i] /= length;
    }
    if (distance != nullptr) *distance = kInfinity;
}

void ComputeSolarSystemObject(SolarSystemObject* object) {
    InstantState& s = gInstant;
    ObjectID primaryId = PrimaryOf(object);
    // Computing the primary may load its file, and loading may unload others.
    FileLock lock(primaryId != 0 ? object->id : 0);
    // A loop of primaries in edited data must not recurse for ever.
    DepthGuard depth;
    if (primaryId != 0 && gComputeDepth <= kMaxPrimaryDepth) {
        FileLock primaryLock(primaryId);
        SkyObject* primary = getObject(primaryId);
        if (primary != object) EnsureComputed(primary);
    }

    Vector3 p = {0.0, 0.0, 0.0}, d = {0.0, 0.0, 0.0};
    double delta = kInfinity, radius = 0.0;
    bool placed;
    if (std::isinf(s.viewerSolarDistance)) {
        placed = HeliocentricPosition(object, p, &radius);
        for (int i = 0; i < 3; ++i)
            d[i] = -s.viewerPosition[i];
        double length = VectorLength(d);
        if (length > 0.0) {
            for (int i = 0; i < 3; ++i)
                d[i] /= length;
        }
    } else {
        // Light time: the body is placed where it was when the light now
        // arriving left it. The retarded passes see no stored result as
        // current, so that primaries are placed for the retarded time too.
        const double jde = s.jde;
        const std::uint32_t solarStamp = s.solarStamp;
        double tau = 0.0;
        placed = false;
        for (int pass = 0; pass < kMaxLightTimePasses; ++pass) {
            if (tau > 0.0) {
                s.jde = jde - tau;
                s.solarStamp = NextStamp(gSolarIssued);
            }
            placed = HeliocentricPosition(object, p, &radius);
            if (!placed) break;
            VectorSubtract(p, s.viewerPosition, d);
            delta = VectorLength(d);
            double newTau = delta * kLightTimePerAU;
            if (!gComputationOptions.planetLightTime ||
                std::fabs(newTau - tau) <= kLightTimeTolerance)
                break;
            tau = newTau;
        }
        s.jde = jde;
        s.solarStamp = solarStamp;
        if (placed && delta > 0.0) {
            for (int i = 0; i < 3; ++i)
                d[i] /= delta;
        }
    }

    if (!placed || !FiniteVector(d) || std::isnan(delta)) {
        StoreUnplaced(object);
        object->computeStamp = s.solarStamp;
        return;
    }
    // Seen from itself (or from a viewpoint with no position) the body has no
    // direction, and keeps the one it had.
    if (delta > 0.0 && VectorLength(d) > 0.0) {
        if (gComputationOptions.aberration) Aberrate(d, s.aberration);
        StoreDirection(d, object->apparentDirection);
    }
    object->distance = static_cast<float>(delta);
    CopyVector(p, object->position);
    Vector3 u;
    ObjectDirection(object, u);
    ComputePhysical(object, u, p);
    object->computeStamp = s.solarStamp;
}

ObjectID BodyPrimary(const SolarSystemObject* body) {
    return body != nullptr ? PrimaryOf(body) : 0;
}

bool HeliocentricPosition(SolarSystemObject* object, Vector3& position, double* distance) {
    if (object == nullptr || !PlaceBody(object, position, 0)) return false;
    if (distance != nullptr) *distance = VectorLength(position);
    return true;
}

void SaveContext(ComputationContext& context) {
    const ComputationOptions& o = gComputationOptions;
    context.julianDate = gViewer.julianDate;
    context.dynamicTime = gViewer.dynamicTime;
    context.timeZone = gViewer.timeZone;
    context.daylightSavings = gViewer.daylightSavings;
    context.viewerObject = gViewer.viewerObject;
    context.longitude = gViewer.longitude;
    context.latitude = gViewer.latitude;
    context.altitude = gViewer.altitude;
    context.starMotion = o.starMotion;
    context.starParallax = o.starParallax;
    context.starMotionThreshold = o.starMotionThreshold;
    context.starParallaxThreshold = o.starParallaxThreshold;
    context.planetComputation = o.planetComputation;
    context.planetLightTime = o.planetLightTime;
    context.precessionEpoch = o.precessionEpoch;
    context.precession = o.precession;
    context.nutation = o.nutation;
    context.aberration = o.aberration;
    context.refraction = o.refraction;
    context.horizonAltitude = o.horizonAltitude;
    context.preciseRiseSet = o.preciseRiseSet;
    context.solarStamp = gInstant.solarStamp;
    context.fixedStamp = gInstant.fixedStamp;
}

void RestoreContext(const ComputationContext& context) {
    ComputationOptions& o = gComputationOptions;
    gViewer.julianDate = context.julianDate;
    gViewer.dynamicTime = context.dynamicTime;
    gViewer.timeZone = context.timeZone;
    gViewer.daylightSavings = context.daylightSavings;
    gViewer.viewerObject = context.viewerObject;
    gViewer.longitude = context.longitude;
    gViewer.latitude = context.latitude;
    gViewer.altitude = context.altitude;
    o.starMotion = context.starMotion;
    o.starParallax = context.starParallax;
    o.starMotionThreshold = context.starMotionThreshold;
    o.starParallaxThreshold = context.starParallaxThreshold;
    o.planetComputation = context.planetComputation;
    o.planetLightTime = context.planetLightTime;
    o.precessionEpoch = context.precessionEpoch;
    o.precession = context.precession;
    o.nutation = context.nutation;
    o.aberration = context.aberration;
    o.refraction = context.refraction;
    o.horizonAltitude = context.horizonAltitude;
    o.preciseRiseSet = context.preciseRiseSet;
    PrepareComputation();
    gInstant.solarStamp = context.solarStamp;
    gInstant.fixedStamp = context.fixedStamp;
}

void RecomputeAndRedraw(bool forceAll) {
    bool animating = gAnimationRunning != nullptr && gAnimationRunning();
    if (!animating) SetWaitCursor();
    PrepareComputation();
    if (forceAll) {
        AdvanceFixedStamp();
        AdvanceSolarStamp();
        ++gDataGeneration;
    }
    if (gRedrawHandler != nullptr) gRedrawHandler();
    if (!animating) SetArrowCursor();
}

void setRedrawHandler(void (*handler)()) {
    gRedrawHandler = handler;
}

std::uint32_t DataGeneration() {
    return gDataGeneration;
}

void setAnimationRunningQuery(bool (*query)()) {
    gAnimationRunning = query;
}
