// Rise, set and the physical ephemeris: rising and setting against ERFA, the
// refinement, the chart frame with refraction, and size, phase, shadow,
// magnitudes (Saturn's rings against Astronomy Engine) and orientation.

#include "astro/ApparentPlace.h"
#include "astro/Frames.h"
#include "tests/data/ComputationTestBase.h"

#include <erfa.h>

#include <cmath>
#include <functional>

namespace {

using namespace computation_test;

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

class EphemerisTest : public ComputationTest {
protected:
    void SetUp() override {
        ComputationTest::SetUp();
        gViewer.dynamicTime = false;
        gViewer.latitude = kSiteLatitude;
        gViewer.longitude = kSiteLongitude;
        gViewer.timeZone = kSiteZone;
        gViewer.julianDate = kInstant;
    }

    static CatalogObject* AddStar(double ra, double dec) {
        CatalogObject* star = NewCatalogObject(kTypeSingleStar);
        Vector3 v;
        SphericalToRectangular(ra, dec, 1.0, v);
        for (int i = 0; i < 3; ++i)
            star->position[i] = static_cast<std::int32_t>(std::lround(v[i] * 1073741824.0));
        star->catalogMagnitude = 3;
        ObjectID id = addObject(star, 0);
        EXPECT_NE(id, 0);
        return AsCatalog(getObject(id));
    }
};

TEST_F(EphemerisTest, ObjectsThatNeverRiseOrNeverSet) {
    gViewer.latitude = 60.0 * kDegree;
    PrepareComputation();
    const struct {
        double dec;
        int direction; // -1 rising, 1 setting
        bool event;
        double never;
    } cases[] = {{31, 1, false, kNeverSets}, {-31, -1, false, kNeverRises}, {29, -1, true, 0.0}};
    for (const auto& c : cases) {
        RiseSet event{};
        EXPECT_EQ(RiseSetTime(1.0, c.dec * kDegree, c.direction, event), c.event) << c.dec;
        EXPECT_EQ(event.event, c.event) << c.dec;
        if (!c.event) {
            EXPECT_EQ(event.timeAngle, c.never) << c.dec;
        }
    }
    // A body no theory has placed has no direction to rise or set with.
    gComputationOptions.planetComputation = kPlanetsVFP;
    const ObjectPositionResult place = ObjectPosition(AddBody(5, {1.5}));
    EXPECT_FALSE(place.rise.event || place.set.event);
    EXPECT_EQ(place.rise.timeAngle, kNeverRises);
}

TEST_F(EphemerisTest, StarRisesAndSetsWhenErfaSays) {
    const double vegaRA = (18 + 36 / 60.0 + 56.336 / 3600.0) * 15.0 * kDegree;
    const double vegaDec = (38 + 47 / 60.0 + 1.28 / 3600.0) * kDegree;
    CatalogObject* vega = AddStar(vegaRA, vegaDec);
    auto direction = [&](double, double p[3]) { eraS2c(vegaRA, vegaDec, p); };
    PrepareComputation();
    ObjectPositionResult place = ObjectPosition(vega);
    ASSERT_TRUE(place.rise.event && place.set.event);
    EXPECT_NEAR(place.rise.julianDate, ErfaCrossing(true, direction), 5 * kSecond);
    EXPECT_NEAR(place.set.julianDate, ErfaCrossing(false, direction), 5 * kSecond);
    EXPECT_NEAR(place.rise.julianDate - kLocalMidnight, place.rise.timeAngle / (2 * kExactPi), 1e-9)
        << "time angles count from local midnight";

    // A star doesn't move: the refinement's first pass confirms the estimate.
    gComputationOptions.preciseRiseSet = true;
    ObjectPositionResult refined = ObjectPosition(vega);
    EXPECT_EQ(RiseSetRefinementPasses(), 1);
    // (The equinox of the pass's instant moves it by a millisecond.)
    EXPECT_NEAR(refined.rise.julianDate, place.rise.julianDate, 0.01 * kSecond);
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
    CatalogObject* star = AddStar(ra, dec);
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

TEST_F(EphemerisTest, SunsDiameterThroughTheYear) {
    AddLine(kEarthLine);
    SolarSystemObject* sun = AddLine(kSunLine);
    gViewer.dynamicTime = true;
    gViewer.julianDate = 2452095.0; // 2001 July 4, aphelion
    PrepareComputation();
    EnsureComputed(sun);
    double pvh[2][3], pvb[2][3];
    eraEpv00(gViewer.julianDate, 0.0, pvh, pvb);
    EXPECT_NEAR(sun->physical[0], 2 * std::asin(696000.0 / (eraPm(pvh[0]) * kKilometresPerAU)),
                2e-6);
    EXPECT_NEAR(sun->physical[0] / kDegree, 0.5245, 0.0005);
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
    double expected =
        0.21 + 5 * std::log10(r * delta) - 2.5 * std::log10((1 + std::cos(phase)) / 2);
    EXPECT_NEAR(quarter->magnitude, expected * 100, 1.0);
    // The apparent diameter of the Moon, about half a degree.
    EXPECT_NEAR(quarter->physical[0], 2 * std::asin(1737.4 / kKilometresPerAU / delta), 1e-7);
}

TEST_F(EphemerisTest, AsteroidsHaveNoMagnitudePast120Degrees) {
    ViewFrom(1.0, 0.0);
    gViewer.dynamicTime = true;
    gViewer.julianDate = kEpoch2000;
    const double r = 0.6;
    // The phase angle on a circle of radius r inside the viewer's, at
    // heliocentric longitude lon (the Sun at the origin, the viewer at (1, 0)).
    auto phaseAt = [&](double lon) {
        Vector3 p = {r * std::cos(lon), r * std::sin(lon), 0.0}, d = {p[0] - 1.0, p[1], 0.0};
        return std::acos(DotProduct(p, d) / (VectorLength(p) * VectorLength(d)));
    };
    auto longitudeFor = [&](double phase) {
        double lo = 0.0, hi = kExactPi;
        for (int i = 0; i < 60; ++i) {
            double mid = 0.5 * (lo + hi);
            (phaseAt(mid) > phase ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    };
    SolarSystemObject* before = AddBody(kTypeAsteroid, {r, 0, 0, 0, 0, longitudeFor(119 * kDegree)},
                                        0, Km(500.0), 1000, 15);
    SolarSystemObject* past = AddBody(kTypeAsteroid, {r, 0, 0, 0, 0, longitudeFor(121 * kDegree)},
                                      0, Km(500.0), 1000, 15);
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

    // Seen from the Sun at the June solstice the Earth shows its northern
    // hemisphere: the sub-solar latitude is the obliquity.
    gViewer.viewerObject = sun->id;
    gViewer.julianDate = 2452081.818; // 2001 June 21, 07:38 UT
    PrepareComputation();
    EXPECT_NEAR(ObjectOrientation(earth).subViewerLatitude, 23.44 * kDegree, 0.05 * kDegree);

    // Jupiter from the Earth: the central meridian is that of 35 minutes
    // earlier, 870.5 degrees a day behind.
    // From infinitely far there is no light time to take off.
    for (ObjectID viewer : {ObjectID{0}, AddStar(1.0, 0.2)->id}) {
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
