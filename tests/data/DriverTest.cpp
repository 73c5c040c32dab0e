// The computation driver (the two stamps, the viewer, the star and
// solar-system pipelines, the guards against orbits without a solution, the
// saved context), rising and setting with the refinement, the chart frame with
// refraction, and the physical ephemeris. Checked against ERFA.

#include "astro/ApparentPlace.h"
#include "astro/Frames.h"
#include "astro/Orbits.h"
#include "astro/TimeScales.h"
#include "tests/data/ComputationTestBase.h"

#include <erfa.h>

#include <cmath>
#include <functional>

namespace {

using namespace computation_test;

constexpr double kFixedScale = 1073741824.0; // 2^30

// The elements of a record as the orbit routines take them.
OrbitalElements ElementsOf(const SolarSystemObject* body) {
    const float* el = body->elements;
    return {body->epoch + 2400000.5,   el[kPerihelionDistance],
            el[kEccentricity],         el[kInclination],
            el[kArgumentOfPerihelion], el[kAscendingNode],
            el[kMeanAnomaly],          el[kMeanMotion],
            el[kPerihelionRate],       el[kNodeRate]};
}

class DriverTest : public ComputationTest {
protected:
    void SetUp() override {
        ComputationTest::SetUp();
        gViewer.dynamicTime = true; // the Julian date is the JDE
    }
    static CatalogObject* AddStar(double x, double y, double z, double distance,
                                  std::int16_t magnitude = 100) {
        CatalogObject* star = NewCatalogObject(kTypeSingleStar);
        const double v[3] = {x, y, z}, length = std::sqrt(x * x + y * y + z * z);
        for (int i = 0; i < 3; ++i)
            star->position[i] = static_cast<std::int32_t>(std::lround(v[i] / length * kFixedScale));
        star->catalogDistance = static_cast<float>(distance);
        star->catalogMagnitude = magnitude;
        ObjectID id = addObject(star, 0);
        EXPECT_NE(id, 0);
        return AsCatalog(getObject(id));
    }
    static CatalogObject* AddStarAt(double ra, double dec, double distance) {
        Vector3 v;
        SphericalToRectangular(ra, dec, 1.0, v);
        return AddStar(v[0], v[1], v[2], distance);
    }
};

TEST_F(DriverTest, StampsAdvanceExactlyWhenTheirInputsChange) {
    AddLine(kEarthLine);
    CatalogObject* star = AddStarAt(1.0, 0.4, kInf);
    gViewer.julianDate = 2451900.5;
    PrepareComputation();
    EXPECT_TRUE(EnsureComputed(star));
    EXPECT_FALSE(EnsureComputed(star));
    ComputationOptions& o = gComputationOptions;
    o.starParallaxThreshold = 1000.0; // the viewer nearer the Sun than that
    const struct {
        const char* what;
        std::function<void()> change;
        std::uint32_t fixed, solar;
    } steps[] = {
        {"a time step, motion, parallax and aberration off", [] { gViewer.julianDate += 1; }, 0, 1},
        {"the same instant again", [] {}, 0, 0},
        {"aberration on", [&] { o.aberration = true; }, 1, 1},
        {"a time step with aberration", [] { gViewer.julianDate += 0.25; }, 1, 1},
        {"aberration off", [&] { o.aberration = false; }, 1, 1},
        {"parallax on, not applying", [&] { o.starParallax = true; }, 0, 0},
        {"the viewer moved, parallax not applying", [] { gViewer.longitude += 0.5; }, 0, 1},
        {"parallax applies", [&] { o.starParallaxThreshold = 0.5; }, 1, 0},
        {"motion applies", [&] { o.starMotion = true, o.starMotionThreshold = 0.0; }, 1, 0},
        {"elements to VFP: the viewer moves", [&] { o.planetComputation = kPlanetsVFP; }, 1, 1},
        {"light time", [&] { o.planetLightTime = true; }, 0, 1},
    };
    for (const auto& step : steps) {
        const std::uint32_t fixed = gInstant.fixedStamp, solar = gInstant.solarStamp;
        step.change();
        PrepareComputation();
        EXPECT_EQ(gInstant.fixedStamp, fixed + step.fixed) << step.what;
        EXPECT_EQ(gInstant.solarStamp, solar + step.solar) << step.what;
    }
}

TEST_F(DriverTest, ViewerIsTheSiteOnTheEarthUnlessAnotherBodyExists) {
    SolarSystemObject* earth = AddLine(kEarthLine);
    gViewer.julianDate = 2458849.5; // 2020 January 1, 0h TT
    gViewer.latitude = 0.0;
    gViewer.longitude = 0.3;
    gViewer.altitude = 1000.0;
    // On the equator the site lies one equatorial radius plus its height out.
    const double siteDistance = 4.2635232707524516e-05 + 1000.0 * 6.684587153547039e-12;
    Vector3 centre, offset;
    auto siteOffset = [&] {
        PrepareComputation();
        EXPECT_TRUE(HeliocentricPosition(earth, centre, nullptr));
        VectorSubtract(gInstant.viewerPosition, centre, offset);
        return VectorLength(offset);
    };
    EXPECT_NEAR(siteOffset(), siteDistance, 1e-15);
    // On the mean equator of date (not J2000's), at the local sidereal time.
    double rp[3][3], ofDate[3];
    eraPmat76(2400000.5, gInstant.jde - 2400000.5, rp);
    eraRxp(rp, gViewer.viewerObjectOffset, ofDate);
    EXPECT_NEAR(ofDate[2], 0.0, 1e-13);
    EXPECT_GT(std::fabs(offset[2]), 1e-8) << "not on the J2000 equator in 2020";
    EXPECT_NEAR(
        std::remainder(std::atan2(ofDate[1], ofDate[0]) - gInstant.siderealTime, 2 * kExactPi), 0.0,
        1e-7);
    // Elsewhere the viewer is the body; deleted, it gives way to the Earth.
    SolarSystemObject* craft = ViewFrom(1.5, 1.0);
    ObjectID craftId = craft->id;
    PrepareComputation();
    Vector3 place;
    ASSERT_TRUE(HeliocentricPosition(craft, place, nullptr));
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(gInstant.viewerPosition[i], place[i]);
    FreeObject(removeObject(craftId));
    EXPECT_NEAR(siteOffset(), siteDistance, 1e-15);
    EXPECT_EQ(gViewer.viewerObject, 0);
}

TEST_F(DriverTest, SunAltitudeIsAnAngleAndNightWhereNoSunIsPlaced) {
    AddLine(kEarthLine);
    gViewer.latitude = 51.5 * kDegree;
    gViewer.julianDate = 2451545.0; // noon at Greenwich: the Sun due south, 15 degrees up
    PrepareComputation();
    EXPECT_NEAR(gInstant.sunAltitude, (90.0 - 51.5 - 23.0) * kDegree, 0.5 * kDegree);
    // From a star at an unknown distance, whatever the length of the Sun's vector.
    gViewer.viewerObject = AddStarAt(1.0, 0.5, kInf)->id;
    PrepareComputation();
    double sun[3], length = 0.0;
    eraPn(gInstant.sunDirection, &length, sun);
    EXPECT_NEAR(std::sin(gInstant.sunAltitude), DotProduct(sun, gInstant.frames.horizon[2]), 1e-12);
}

TEST_F(DriverTest, MotionAppliesOnlyBeyondTheThresholdFromJ2000) {
    AddLine(kEarthLine);
    const double after2010 = JulianDateFromCalendar(2010, 1, 1, 0, 0, 0.0, 0.0, kCalendarGregorian);
    const double before1990 =
        JulianDateFromCalendar(1990, 1, 1, 0, 0, 0.0, 0.0, kCalendarGregorian);
    CatalogObject* star = AddStar(0, 0, 1, kInf);
    star->motion[0] = 1000; // 2^30 units a day across the line of sight: 0.19" a day
    gComputationOptions.starMotion = true;
    gComputationOptions.starMotionThreshold = 10 * 365.25;
    const std::pair<double, bool> cases[] = {{after2010 + 1e-4, true},
                                             {after2010 - 1e-4, false},
                                             {before1990 - 1e-4, true},
                                             {before1990 + 1e-4, false}};
    for (const auto& [jd, applies] : cases) {
        gViewer.julianDate = jd;
        PrepareComputation();
        EXPECT_EQ(gInstant.motionApplies, applies) << std::fixed << jd;
        ForceCompute(star);
        Vector3 u;
        ObjectDirection(star, u);
        const double moved = applies ? std::atan(1000.0 / kFixedScale * (jd - kEpoch2000)) : 0.0;
        EXPECT_NEAR(std::atan2(u[0], u[2]), moved, 3e-9) << std::fixed << jd;
    }
}

TEST_F(DriverTest, StarsSeenFromNearby) {
    ViewFrom(1.0, 0.0); // at (1, 0, 0) AU
    gComputationOptions.starParallax = true;
    gComputationOptions.starParallaxThreshold = 0.5;
    CatalogObject* twoAU = AddStar(1, 0, 0, 2.0, 100);
    CatalogObject* oneAU = AddStar(1, 0, 0, 1.0, 300);
    CatalogObject* aside = AddStar(0, 1, 0, 1.0, 300);
    CatalogObject* zeroDistance = AddStar(0, 0, 1, 0.0, 200);
    oneAU->apparentDirection[0] = 11;
    PrepareComputation();
    ASSERT_TRUE(gInstant.parallaxApplies);
    for (CatalogObject* star : {twoAU, oneAU, aside, zeroDistance})
        EnsureComputed(star);
    EXPECT_FLOAT_EQ(twoAU->distance, 1.0f) << "half as far";
    EXPECT_EQ(twoAU->magnitude, 100 - 150) << "5 log10 2 = 1.505 brighter, cut toward zero";
    EXPECT_EQ(oneAU->distance, 0.0f) << "the viewer is at the star";
    EXPECT_EQ(oneAU->magnitude, -32768);
    EXPECT_EQ(oneAU->apparentDirection[0], 11) << "the direction is kept";
    EXPECT_FLOAT_EQ(aside->distance, static_cast<float>(std::sqrt(2.0)));
    EXPECT_EQ(aside->magnitude, 300 + 75) << "500 log10 sqrt 2 = 75.3";
    EXPECT_NEAR(aside->apparentDirection[0] / kFixedScale, -std::sqrt(0.5), 2e-9);
    EXPECT_TRUE(std::isinf(zeroDistance->distance)) << "a distance of 0 is no distance";
    EXPECT_EQ(zeroDistance->magnitude, 200);
}

TEST_F(DriverTest, AnnualAberrationMatchesErfa) {
    AddLine(kEarthLine);
    gViewer.julianDate = 2458849.5;
    gComputationOptions.aberration = true;
    CatalogObject* star = AddStarAt(5.9, 1.4, kInf);
    PrepareComputation();
    double pvh[2][3], pvb[2][3], v[3], natural[3], apparent[3], length = 0.0;
    eraEpv00(gViewer.julianDate, 0.0, pvh, pvb);
    eraSxp(kDaysPerAU, pvb[1], v); // the Earth's barycentric velocity over c
    EnsureComputed(star);
    for (int i = 0; i < 3; ++i)
        natural[i] = star->position[i] / kFixedScale;
    eraPn(natural, &length, natural);
    eraAb(natural, v, eraPm(pvh[0]), std::sqrt(1.0 - eraPdp(v, v)), apparent);
    Vector3 u;
    ObjectDirection(star, u);
    EXPECT_LT(eraSepp(u, apparent), 0.002 * kArcsec);
}

// Mean elements are good to an arcminute or two; the light-time iteration is held
// to the retarded place of a satellite below.
TEST_F(DriverTest, MarsFromItsElementsMatchesErfa) {
    AddLine(kEarthLine);
    SolarSystemObject* mars = AddLine(kMarsLine);
    gViewer.julianDate = 2452073.5; // 2001 June 13, Mars at opposition
    PrepareComputation();
    double marsPV[2][3], r = 0.0;
    Vector3 heliocentric;
    ASSERT_TRUE(HeliocentricPosition(mars, heliocentric, &r));
    ASSERT_EQ(eraPlan94(gViewer.julianDate, 0.0, 4, marsPV), 0);
    EXPECT_LT(eraSepp(heliocentric, marsPV[0]), kDegree / 30.0);
    EXPECT_NEAR(r, eraPm(marsPV[0]), 5e-4);
}

TEST_F(DriverTest, SatelliteOfABodyIsPlacedForTheRetardedTime) {
    AddLine(kEarthLine);
    const ObjectID jupiterId = AddLine(kJupiterLine)->id;
    SolarSystemObject* moon =
        AddBody(kTypeSpacecraft, {0.01, 0.0, 0.2, 0.0, 0.0, 1.0, 2.0}, jupiterId);
    SolarSystemObject* jupiter = AsSolarSystem(getObject(jupiterId));
    gComputationOptions.planetLightTime = true;
    gViewer.julianDate = 2451800.5;
    PrepareComputation();
    EXPECT_TRUE(EnsureComputed(moon));
    EXPECT_EQ(jupiter->computeStamp, gInstant.solarStamp) << "the primary is made sure of first";
    const double tau = moon->distance * kDaysPerAU;
    ASSERT_GT(tau, 0.02);
    Vector3 centre, relative, expected;
    ASSERT_TRUE(ElementsPosition(ElementsOf(jupiter), gInstant.jde - tau, centre));
    ASSERT_TRUE(ElementsPosition(ElementsOf(moon), gInstant.jde - tau, relative));
    VectorAdd(centre, relative, expected);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(moon->position[i], expected[i], 1e-8) << i;
    // The primary's own result is for the instant again, and current.
    EXPECT_FALSE(EnsureComputed(jupiter));
    ASSERT_TRUE(ElementsPosition(ElementsOf(jupiter), gInstant.jde - jupiter->distance * kDaysPerAU,
                                 centre));
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(jupiter->position[i], centre[i], 1e-8);
}

TEST_F(DriverTest, BodiesNoTheoryPlacesKeepTheirDirection) {
    AddLine(kEarthLine);
    SolarSystemObject* mars = AddLine(kMarsLine);
    SolarSystemObject* comet = AddBody(kTypeComet, {0.9, 0.99, 0.5, 1.0, 2.0, 0.01, 0.001});
    // An asteroid without elements has no place; a moon has its theory's.
    SolarSystemObject* io = AddBody(kTypeAsteroid, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}, mars->id);
    SolarSystemObject* deimos = AddBody(17, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}, mars->id);
    CatalogObject* star = AddStarAt(1.0, 0.2, 1e5);
    io->apparentDirection[0] = 7;
    gComputationOptions.starParallax = true;
    gComputationOptions.starParallaxThreshold = 0.0;
    gComputationOptions.planetComputation = kPlanetsVSOP87;
    PrepareComputation();
    Vector3 p;
    EXPECT_TRUE(EnsureComputed(io));
    EXPECT_FALSE(EnsureComputed(io)) << "computed once per stamp even without a place";
    EXPECT_TRUE(std::isinf(io->distance));
    EXPECT_EQ(io->magnitude, 32767);
    EXPECT_EQ(io->apparentDirection[0], 7);
    EXPECT_FALSE(ObjectHeliocentricPosition(io, p, nullptr));
    EnsureComputed(deimos);
    ASSERT_TRUE(ObjectHeliocentricPosition(deimos, p, nullptr));
    VectorSubtract(p, mars->position, p);
    EXPECT_NEAR(VectorLength(p), 1.568e-4, 1e-6) << "Deimos' distance from Mars";
    // Seen from it, stars go without parallax rather than be invented a viewpoint, a
    // comet keeps its orbit, and it is night, not the daylight of a zero vector.
    gViewer.viewerObject = io->id;
    PrepareComputation();
    EXPECT_EQ(gInstant.sunAltitude, -kHalfPi);
    EXPECT_TRUE(std::isinf(gInstant.viewerSolarDistance));
    EXPECT_FALSE(gInstant.parallaxApplies);
    EnsureComputed(star);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(star->apparentDirection[i], star->position[i]);
    EnsureComputed(comet);
    EXPECT_TRUE(ObjectHeliocentricPosition(comet, p, nullptr));
    EXPECT_EQ(comet->magnitude, 32767);
}

TEST_F(DriverTest, OrbitsWithoutASolutionKeepTheirDirection) {
    ViewFrom(1.0, 0.0);
    // Newton's method from E = M runs away here (both exact in single precision).
    const double e = 0.9739999771118164, M = 6.006725311279297;
    double nu = 0.5, r = 2.0;
    ASSERT_FALSE(SolveOrbit(M, e, 1.0, &nu, &r)) << "the solver is expected to fail on this orbit";
    EXPECT_EQ(nu, 0.5);
    EXPECT_EQ(r, 2.0);
    SolarSystemObject* runaway = AddBody(kTypeAsteroid, {1.0, e, 0.0, 0.0, 0.0, M, 0.0});
    SolarSystemObject* atCentre = AddBody(kTypeComet, {0.0, 0.5, 0.1, 0.2, 0.3, 0.4, 0.01});
    SolarSystemObject* infinite = AddBody(kTypeComet, {1.0, 1.5, 0.1, 0.2, 0.3, 0.1, kInf});
    SolarSystemObject* nan = AddBody(kTypeComet, {1.0, 0.5});
    nan->elements[kInclination] = std::numeric_limits<float>::quiet_NaN();
    SolarSystemObject* fine = AddBody(kTypeAsteroid, {1.0, 0.98, 0.0, 0.0, 0.0, M, 0.0});
    for (SolarSystemObject* body : {runaway, atCentre, infinite, nan, fine})
        body->apparentDirection[0] = 3;
    gViewer.julianDate = kEpoch2000 + 10.0;
    PrepareComputation();
    for (SolarSystemObject* body : {runaway, atCentre, infinite, nan, fine}) {
        EnsureComputed(body);
        SCOPED_TRACE(body == fine ? "bisection" : "no solution");
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(std::isfinite(body->position[i]));
        EXPECT_EQ(body->apparentDirection[0] == 3, body != fine);
        EXPECT_EQ(std::isinf(body->distance), body != fine);
    }
}

TEST_F(DriverTest, PrimariesThatCannotBeFollowed) {
    ViewFrom(1.0, 0.0);
    SolarSystemObject* a = AddBody(kTypeSpacecraft, {0.01});
    SolarSystemObject* b = AddBody(kTypeSpacecraft, {0.02}, a->id);
    a->primary = b->id; // a loop, as edited data could make
    SolarSystemObject* self = AddBody(kTypeSpacecraft, {0.01});
    self->primary = self->id;
    SolarSystemObject* orphan = AddBody(kTypeSpacecraft, {0.01});
    orphan->primary = AddBody(kTypeAsteroid, {2.0})->id;
    FreeObject(removeObject(orphan->primary));
    PrepareComputation();
    for (SolarSystemObject* body : {a, b, self, orphan}) {
        EnsureComputed(body);
        EXPECT_EQ(body->computeStamp, gInstant.solarStamp);
        EXPECT_TRUE(std::isinf(body->distance));
    }
}

TEST_F(DriverTest, SavedContextComesBackWithItsResultsCurrent) {
    AddLine(kEarthLine);
    SolarSystemObject* touched = AddBody(kTypeComet, {0.9, 0.5, 0.3, 1.0, 2.0, 0.4, 0.02});
    SolarSystemObject* excursionOnly = AddBody(kTypeComet, {1.9, 0.5, 0.3, 1.0, 2.0, 0.4, 0.01});
    CatalogObject* star = AddStarAt(2.0, 0.3, kInf);
    gViewer.julianDate = 2451700.5;
    gViewer.longitude = 0.2;
    PrepareComputation();
    EnsureComputed(touched);
    EnsureComputed(star);
    Vector3 before, after;
    ObjectDirection(touched, before);
    ComputationContext context;
    SaveContext(context);
    gViewer.julianDate += 10.0;
    gViewer.longitude = 1.0;
    gComputationOptions.aberration = gComputationOptions.planetLightTime = true;
    PrepareComputation();
    EXPECT_TRUE(EnsureComputed(touched));
    EXPECT_TRUE(EnsureComputed(excursionOnly));
    RestoreContext(context);
    EXPECT_EQ(gViewer.julianDate, 2451700.5);
    EXPECT_EQ(gViewer.longitude, 0.2);
    EXPECT_FALSE(gComputationOptions.aberration || gComputationOptions.planetLightTime);
    EXPECT_FALSE(EnsureComputed(star)) << "untouched meanwhile: current again";
    EXPECT_TRUE(EnsureComputed(touched)) << "recomputed meanwhile: computed again";
    ObjectDirection(touched, after);
    EXPECT_EQ(eraSepp(before, after), 0.0);
    // Stamps given out during the excursion are never reused.
    gViewer.julianDate += 1.0;
    PrepareComputation();
    EXPECT_TRUE(EnsureComputed(excursionOnly));
}

constexpr double kSecond = 1.0 / 86400.0; // days
constexpr double kKilometresPerAU = 149597870.7;
// Dynamic minus Universal Time in 2001, seconds.
constexpr double kDeltaT2001 = 64.1;

constexpr double Km(double kilometres) {
    return kilometres / kKilometresPerAU;
}

// The place of 2001 March 21 used by the rising and setting cases: 50 N,
// 10 E, an hour east of Greenwich, at 11:00 UT.
constexpr double kSiteLatitude = 50.0 * kDegree;
constexpr double kSiteLongitude = 10.0 * kDegree;
constexpr double kSiteZone = 1.0 / 24.0;
constexpr double kInstant = 2451989.5 + 11.0 / 24.0;
constexpr double kLocalMidnight = 2451989.5 - 1.0 / 24.0;

// Geometric altitude at the site of a J2000 direction by ERFA (IAU 1976
// precession, 1982 mean sidereal time); time is Universal.
double ErfaAltitude(double ut, const std::function<void(double tt, double p[3])>& direction) {
    double tt = ut + kDeltaT2001 * kSecond;
    double p[3], rp[3][3], ra = 0.0, dec = 0.0;
    direction(tt, p);
    eraPmat76(tt, 0.0, rp);
    eraRxp(rp, p, p);
    eraC2s(p, &ra, &dec);
    double hourAngle = eraGmst82(ut, 0.0) + kSiteLongitude - ra;
    return std::asin(std::sin(kSiteLatitude) * std::sin(dec) +
                     std::cos(kSiteLatitude) * std::cos(dec) * std::cos(hourAngle));
}

// The Universal Time within the local day at which the altitude crosses 0
// upward (rising) or downward, by bisection.
double ErfaCrossing(bool rising, const std::function<void(double tt, double p[3])>& direction) {
    const double step = 600.0 * kSecond;
    for (double t = kLocalMidnight; t < kLocalMidnight + 1.0; t += step) {
        double a = ErfaAltitude(t, direction), b = ErfaAltitude(t + step, direction);
        if ((rising && a < 0.0 && b >= 0.0) || (!rising && a >= 0.0 && b < 0.0)) {
            double lo = t, hi = t + step;
            for (int i = 0; i < 60; ++i) {
                double mid = 0.5 * (lo + hi);
                bool above = ErfaAltitude(mid, direction) >= 0.0;
                ((above == rising) ? hi : lo) = mid;
            }
            return 0.5 * (lo + hi);
        }
    }
    ADD_FAILURE() << "no crossing";
    return 0.0;
}

class EphemerisTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        gViewer.dynamicTime = false;
        gViewer.latitude = kSiteLatitude;
        gViewer.longitude = kSiteLongitude;
        gViewer.timeZone = kSiteZone;
        gViewer.julianDate = kInstant;
    }
};

TEST_F(EphemerisTest, ObjectsThatNeverRiseOrNeverSet) {
    gViewer.latitude = 60.0 * kDegree;
    PrepareComputation();
    RiseSet event{}; // setting (1) and rising (-1) at 60 N
    EXPECT_FALSE(RiseSetTime(1.0, 31 * kDegree, 1, event) || event.event);
    EXPECT_EQ(event.timeAngle, kNeverSets);
    EXPECT_FALSE(RiseSetTime(1.0, -31 * kDegree, -1, event) || event.event);
    EXPECT_EQ(event.timeAngle, kNeverRises);
    EXPECT_TRUE(RiseSetTime(1.0, 29 * kDegree, -1, event) && event.event);
    // A body no theory has placed has no direction to rise or set with.
    gComputationOptions.planetComputation = kPlanetsVFP;
    const ObjectPositionResult place = ObjectPosition(AddBody(5, {1.5}));
    EXPECT_FALSE(place.rise.event || place.set.event);
    EXPECT_EQ(place.rise.timeAngle, kNeverRises);
}

TEST_F(EphemerisTest, RefinementStopsAfterTenPasses) {
    SolarSystemObject* earth = AddLine(kEarthLine);
    // Eight turns a day round the Earth: every pass finds it somewhere else.
    SolarSystemObject* racer =
        AddBody(kTypeSpacecraft, {0.02, 0.0, 0.0, 0.0, 0.0, 0.0, 16 * kExactPi}, earth->id);
    gViewer.latitude = 0.0;
    gComputationOptions.preciseRiseSet = true;
    PrepareComputation();
    RiseSet rise{};
    double ra = 0.0, dec = 0.0;
    Vector3 u;
    EnsureComputed(racer);
    ObjectDirection(racer, u);
    TransformVector(gInstant.frames.equatorial, u);
    RectangularToSpherical(u, &ra, &dec, nullptr);
    ASSERT_TRUE(RiseSetTime(ra, dec, -1, rise));
    const std::uint32_t fixed = gInstant.fixedStamp, solar = gInstant.solarStamp;
    RefineRiseSet(racer, -1, rise);
    EXPECT_EQ(RiseSetRefinementPasses(), kRiseSetMaxPasses);
    // Everything as it was, and the body current and computed for the instant.
    EXPECT_EQ(gViewer.julianDate, kInstant);
    EXPECT_EQ(gInstant.fixedStamp, fixed);
    EXPECT_EQ(gInstant.solarStamp, solar);
    EXPECT_FALSE(EnsureComputed(racer)) << "computed again for the instant";
}

TEST_F(EphemerisTest, PositionInTheChartFrameWithRefraction) {
    const double ra = 2.0, dec = 0.3;
    CatalogObject* star = AddStarAt(ra, dec, kInf);
    auto direction = [&](double, double p[3]) { eraS2c(ra, dec, p); };
    // Just after rising, the star is a few arcminutes up.
    gViewer.julianDate = ErfaCrossing(true, direction) + 60 * kSecond;
    PrepareComputation();
    setCurrentFrameQuery([] { return kFrameEquatorial; });
    ObjectPositionResult place = ObjectPosition(star);
    EXPECT_EQ(place.latitude, place.declination);
    double p[3], rp[3][3], raDate = 0.0, decDate = 0.0;
    eraS2c(ra, dec, p);
    eraPmat76(gViewer.julianDate + kDeltaT2001 * kSecond, 0.0, rp);
    eraRxp(rp, p, p);
    eraC2s(p, &raDate, &decDate);
    EXPECT_NEAR(place.rightAscension, eraAnp(raDate), 0.01 * kArcsec);
    EXPECT_NEAR(place.declination, decDate, 0.01 * kArcsec);
    gComputationOptions.refraction = true;
    EXPECT_EQ(ObjectPosition(star).latitude, place.declination) << "refraction is for altitudes";
    setCurrentFrameQuery(nullptr); // the Horizon frame by default
    gComputationOptions.refraction = false;
    double altitude = ObjectPosition(star).latitude;
    double reference = ErfaAltitude(gViewer.julianDate, direction);
    EXPECT_NEAR(altitude, reference, 2 * kArcsec);
    EXPECT_GT(altitude, 0.0);
    gComputationOptions.refraction = true;
    double refracted = ObjectPosition(star).latitude;
    // Near the horizon the air lifts a star by about half a degree.
    EXPECT_NEAR(refracted - altitude, 0.55 * kDegree, 0.05 * kDegree);
}

TEST_F(EphemerisTest, MoonInTheEarthsShadow) {
    gViewer.latitude = 0.0;
    gViewer.dynamicTime = true;
    gViewer.julianDate = kEpoch2000;
    SolarSystemObject* earth = AddBody(4, {1.0}, 0, Km(6378.137));
    ObjectID earthId = earth->id;
    const double q = 0.00257;
    // Behind the Earth: full, but eclipsed.
    SolarSystemObject* eclipsed = AddBody(kTypeMoon, {q}, earthId, Km(1737.4), 21);
    // At quadrature: half lit.
    SolarSystemObject* quarter =
        AddBody(kTypeMoon, {q, 0.0, 0.0, 0.0, 0.0, 90.0 * kDegree}, earthId, Km(1737.4), 21);
    PrepareComputation();
    EnsureComputed(eclipsed);
    EXPECT_FLOAT_EQ(eclipsed->physical[1], static_cast<float>(kPi));
    EXPECT_EQ(eclipsed->magnitude, 32767);
    EnsureComputed(quarter);
    double phase = quarter->physical[1];
    EXPECT_NEAR(phase, 90.0 * kDegree, 0.2 * kDegree);
    double r = VectorLength(quarter->position), delta = quarter->distance;
    // The Moon's own phase law: a quarter Moon near -10, not -12.
    const double i = phase / kDegree;
    double expected = 0.21 + 5 * std::log10(r * delta) + 0.026 * i + 4e-9 * i * i * i * i;
    EXPECT_NEAR(quarter->magnitude, expected * 100, 1.0);
    // The apparent diameter of the Moon, about half a degree.
    EXPECT_NEAR(quarter->physical[0], 2 * std::asin(1737.4 / kKilometresPerAU / delta), 1e-7);
}

TEST_F(EphemerisTest, AsteroidsHaveNoMagnitudePast120Degrees) {
    ViewFrom(1.0, 0.0);
    gViewer.dynamicTime = true;
    gViewer.julianDate = kEpoch2000;
    // On a circle of radius 0.6 AU inside the viewer's, at phase angles of 119 and 121 degrees.
    SolarSystemObject* before =
        AddBody(kTypeAsteroid, {0.6, 0, 0, 0, 0, 0.5122038028}, 0, Km(500.0), 1000, 15);
    SolarSystemObject* past =
        AddBody(kTypeAsteroid, {0.6, 0, 0, 0, 0, 0.4895525873}, 0, Km(500.0), 1000, 15);
    PrepareComputation();
    EnsureComputed(before);
    EnsureComputed(past);
    EXPECT_NEAR(past->physical[1], 121 * kDegree, 1e-5);
    // Bowell's H, G magnitude with H = 10 and G = 0.15.
    double alpha = before->physical[1];
    double phi1 = std::exp(-3.33 * std::pow(std::tan(alpha / 2), 0.63));
    double phi2 = std::exp(-1.87 * std::pow(std::tan(alpha / 2), 1.22));
    double expected = 10 + 5 * std::log10(VectorLength(before->position) * before->distance) -
                      2.5 * std::log10(0.85 * phi1 + 0.15 * phi2);
    EXPECT_NEAR(before->magnitude, expected * 100, 1.0);
    EXPECT_EQ(past->magnitude, 32767);
}

TEST_F(EphemerisTest, SaturnsRingsBrightenItFromEitherSide) {
    AddLine(kEarthLine);
    SolarSystemObject* saturn = AddLine(kSaturnLine);
    gViewer.julianDate = 2452640.5; // 2003 January 1, 0h UT: the south face open
    PrepareComputation();
    EnsureComputed(saturn);
    // The tilt of the rings from Astronomy Engine (2.1.19) for that instant.
    const double tilt = 26.664751129373627 * kDegree;
    double r = VectorLength(saturn->position), delta = saturn->distance;
    double i = saturn->physical[1] / kDegree;
    double expected = -8.88 + 5 * std::log10(r * delta) + 0.044 * i - 2.6 * std::sin(tilt) +
                      1.25 * std::sin(tilt) * std::sin(tilt);
    EXPECT_NEAR(saturn->magnitude, expected * 100, 1.5);
    EXPECT_NEAR(saturn->magnitude, -53, 15) << "Astronomy Engine: -0.53";
}

TEST_F(EphemerisTest, OrientationSeenAsTheLightLeftTheBody) {
    SolarSystemObject* earth = AddLine(kEarthLine);
    SolarSystemObject* sun = AddLine(kSunLine);
    SolarSystemObject* jupiter = AddLine(kJupiterLine);
    gViewer.dynamicTime = true;
    // From the Sun at the June solstice the sub-solar latitude is the obliquity.
    gViewer.viewerObject = sun->id;
    gViewer.julianDate = 2452081.818; // 2001 June 21, 07:38 UT
    PrepareComputation();
    EXPECT_NEAR(ObjectOrientation(earth).subViewerLatitude, 23.44 * kDegree, 0.05 * kDegree);
    // Jupiter from the Earth shows its central meridian of 35 minutes earlier (870.5
    // degrees a day); from infinitely far there is no light time to take off.
    for (ObjectID viewer : {ObjectID{0}, AddStarAt(1.0, 0.2, kInf)->id}) {
        gViewer.viewerObject = viewer;
        PrepareComputation();
        const Orientation seen = ObjectOrientation(jupiter);
        Vector3 u;
        ObjectDirection(jupiter, u);
        const Orientation now = OrientationFrom(RotationModel(6, gInstant.jde), u);
        const double tau = std::isinf(jupiter->distance) ? 0.0 : jupiter->distance * kDaysPerAU;
        EXPECT_EQ(tau > 0.02, viewer == 0);
        EXPECT_NEAR(std::remainder(now.centralMeridian - seen.centralMeridian, 2 * kExactPi),
                    std::remainder(870.536 * kDegree * tau, 2 * kExactPi), 1e-6);
    }
}

} // namespace
