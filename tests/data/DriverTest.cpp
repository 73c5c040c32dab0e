// The computation driver: the two stamps, the viewer, the star and
// solar-system pipelines, the guards against orbits without a solution and
// the saved context. Positions are checked against ERFA.

#include "astro/ApparentPlace.h"
#include "astro/Orbits.h"
#include "astro/TimeScales.h"
#include "tests/data/ComputationTestBase.h"

#include <erfa.h>

#include <cmath>
#include <functional>

namespace {

using namespace computation_test;

constexpr double kArcmin = kDegree / 60.0;
constexpr double kFixedScale = 1073741824.0; // 2^30

double Separation(const Vector3& a, const Vector3& b) {
    Vector3 cross;
    CrossProduct(a, b, cross);
    return std::atan2(VectorLength(cross), DotProduct(a, b));
}

void Unit(Vector3& v) {
    const double length = VectorLength(v);
    for (double& c : v)
        c /= length;
}

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
        {"parallax on, the viewer nearer the Sun than the threshold",
         [&] { o.starParallax = true, o.starParallaxThreshold = 1000.0; }, 0, 0},
        {"the viewer moved, parallax not applying", [] { gViewer.longitude += 0.5; }, 0, 1},
        {"parallax applies", [&] { o.starParallaxThreshold = 0.5; }, 1, 0},
        {"motion applies", [&] { o.starMotion = true, o.starMotionThreshold = 0.0; }, 1, 0},
        {"elements to VFP: the viewer moves, parallax applying",
         [&] { o.planetComputation = kPlanetsVFP; }, 1, 1},
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
    // The aberration vector is the Earth's barycentric velocity over c.
    double pvh[2][3], pvb[2][3];
    eraEpv00(gViewer.julianDate, 0.0, pvh, pvb);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(gInstant.aberration[i], pvb[1][i] * kDaysPerAU, 1e-8) << i;

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
    // Seen from a star at an unknown distance the Sun lies opposite it: its
    // altitude is that direction's, whatever the length of the vector.
    gViewer.viewerObject = AddStarAt(1.0, 0.5, kInf)->id;
    PrepareComputation();
    Vector3 sun;
    CopyVector(gInstant.sunDirection, sun);
    Unit(sun);
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
    double pvh[2][3], pvb[2][3], v[3], speed2 = 0.0;
    eraEpv00(gViewer.julianDate, 0.0, pvh, pvb);
    for (int i = 0; i < 3; ++i) {
        v[i] = pvb[1][i] * kDaysPerAU;
        speed2 += v[i] * v[i];
    }
    EnsureComputed(star);
    double natural[3], apparent[3], length = 0.0;
    for (int i = 0; i < 3; ++i)
        natural[i] = star->position[i] / kFixedScale;
    eraPn(natural, &length, natural);
    eraAb(natural, v, eraPm(pvh[0]), std::sqrt(1.0 - speed2), apparent);
    Vector3 u, reference = {apparent[0], apparent[1], apparent[2]};
    ObjectDirection(star, u);
    EXPECT_LT(Separation(u, reference), 0.002 * kArcsec);
}

TEST_F(DriverTest, SunAndMarsFromTheirElementsMatchErfa) {
    AddLine(kEarthLine);
    SolarSystemObject* sun = AddLine(kSunLine);
    SolarSystemObject* mars = AddLine(kMarsLine);
    gViewer.julianDate = 2452073.5; // 2001 June 13, Mars at opposition
    PrepareComputation();
    double pvh[2][3], pvb[2][3], marsPV[2][3];
    eraEpv00(gViewer.julianDate, 0.0, pvh, pvb);
    Vector3 viewer, u, reference; // ERFA's Earth, with the driver's site on it
    for (int i = 0; i < 3; ++i) {
        viewer[i] = pvh[0][i] + gViewer.viewerObjectOffset[i];
        reference[i] = -viewer[i];
    }
    EnsureComputed(sun);
    ObjectDirection(sun, u);
    Unit(reference);
    EXPECT_LT(Separation(u, reference), 1.5 * kArcmin);
    EXPECT_NEAR(sun->distance, VectorLength(viewer), 1e-4);

    // Mars's mean elements are good to an arcminute or two; the light-time shift far closer.
    auto marsFrom = [&](double tau, Vector3& direction) {
        ASSERT_EQ(eraPlan94(gViewer.julianDate - tau, 0.0, 4, marsPV), 0);
        for (int i = 0; i < 3; ++i)
            direction[i] = marsPV[0][i] - viewer[i];
    };
    Vector3 geometric, retarded, offU, onU;
    marsFrom(0.0, geometric);
    double tau = 0.0;
    for (int pass = 0; pass < 5; ++pass) {
        marsFrom(tau, retarded);
        tau = VectorLength(retarded) * kDaysPerAU;
    }
    Unit(geometric);
    Unit(retarded);
    EnsureComputed(mars);
    ObjectDirection(mars, offU);
    Vector3 heliocentric, erfaHeliocentric;
    double r = 0.0;
    ASSERT_TRUE(HeliocentricPosition(mars, heliocentric, &r));
    ASSERT_EQ(eraPlan94(gViewer.julianDate, 0.0, 4, marsPV), 0);
    CopyVector(marsPV[0], erfaHeliocentric);
    EXPECT_LT(Separation(heliocentric, erfaHeliocentric), 2.0 * kArcmin);
    EXPECT_NEAR(r, VectorLength(erfaHeliocentric), 5e-4);

    gComputationOptions.planetLightTime = true;
    PrepareComputation();
    EnsureComputed(mars);
    ObjectDirection(mars, onU);
    Vector3 shift, referenceShift, error;
    VectorSubtract(onU, offU, shift);
    VectorSubtract(retarded, geometric, referenceShift);
    VectorSubtract(shift, referenceShift, error);
    EXPECT_GT(VectorLength(referenceShift), 10 * kArcsec);
    EXPECT_LT(VectorLength(error), 0.05 * VectorLength(referenceShift));
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

TEST_F(DriverTest, BodiesNoTheoryPlacesYetKeepTheirDirection) {
    AddLine(kEarthLine);
    SolarSystemObject* mars = AddLine(kMarsLine);
    SolarSystemObject* comet = AddBody(kTypeComet, {0.9, 0.99, 0.5, 1.0, 2.0, 0.01, 0.001});
    // The planetary satellites wait for their theories.
    SolarSystemObject* io = AddBody(18, {0.0028, 0.004, 0.0, 0.0, 0.0, 0.0, 3.55}, mars->id);
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
    // Seen from it, stars go without parallax rather than be invented a
    // viewpoint, a comet keeps its orbit, and the sky is night, not the
    // daylight of a zero vector's altitude.
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
    EXPECT_EQ(Separation(before, after), 0.0);
    // Stamps given out during the excursion are never reused.
    gViewer.julianDate += 1.0;
    PrepareComputation();
    EXPECT_TRUE(EnsureComputed(excursionOnly));
}

} // namespace
