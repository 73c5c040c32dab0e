// The telescope link end to end: the program's drivers against simulated
// mounts on pseudo-terminals, with a fast clock so that time-outs pass in
// a twentieth of their time, and Meeus' precession example for the date.

#include "MountSimulator.h"

#include "shell/Platform.h"
#include "telescope/Alignment.h"
#include "telescope/Link.h"
#include "telescope/Telescope.h"
#include "telescope/TelescopeState.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

constexpr double kDeg = 0.017453292519943295;
constexpr double kArcsec = kDeg / 3600.0;
// Meeus, Astronomical Algorithms, example 21.b: theta Persei (with its
// proper motion applied) at J2000.0, and its mean place at JDE 2462088.69.
constexpr double kStarJ2000[2] = {41.054063, 49.227750};
constexpr double kStarOfDate[2] = {41.547214, 49.348483};

long FastTicks() {
    using namespace std::chrono;
    return 20 * duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
double ExampleDate() {
    return 2462088.69;
}

struct Case {
    const char* name;
    char set;
    int interface;
    bool echo;
    double tolerance; // arc-seconds: the protocol's resolution
    const char* gotoBytes;
};
const Case kCases[] = {
    {"LX200", 'A', kTelescopeLX200, false, 8, ":Sr 02:46.2#:Sd +49*20#:MS#"},
    {"Ultima2000", 'B', kTelescopeUltima2000, false, 12, "R1D8B,2318#"},
    {"NexStar", 'N', kTelescopeNexStar, false, 12, "E?R\x1D\x8B\x23\x18"},
    {"NexStar echoing", 'N', kTelescopeNexStar, true, 12, "E?R\x1D\x8B\x23\x18"},
    {"Coordinate", 'E', kTelescopeQEICoordinate, false, 8, "XRA:02:46:11 DEC:+49:20:55\r"},
};

class TelescopeLink : public testing::Test {
protected:
    void SetUp() override {
        setTelescopeStateDefaults();
        SetLinkClockForTest(FastTicks, ExampleDate);
        SetMessageResponder([](const MessageRecord&) { return AnswerOK; });
        ClearRecordedMessages();
    }
    void TearDown() override {
        TelescopeDisconnect();
        SetLinkClockForTest(nullptr, nullptr);
        SetMessageResponder(nullptr);
    }
    static bool Connect(MountSimulator& sim, int interface) {
        gTelescopeState.interface = static_cast<std::int16_t>(interface);
        gTelescopeState.device = sim.device();
        return TelescopeConnect() == 1;
    }
    // What the mount has heard, once it has heard `bytes` (commands without
    // an answer may still be on the line).
    static std::string Sent(MountSimulator& sim, const std::string& bytes) {
        for (int i = 0; i < 300 && sim.received().size() < bytes.size(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return sim.received();
    }
    static void AwaitArrival(MountSimulator& sim) {
        for (int i = 0; i < 300 && sim.slewing(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    static std::vector<int> Messages() {
        std::vector<int> numbers;
        for (const MessageRecord& m : RecordedMessages())
            numbers.push_back(m.number);
        return numbers;
    }
};

TEST_F(TelescopeLink, EachCommandSetReadsJ2000AndSendsTheGoToOfDate) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        MountSimulator sim(c.set);
        sim.echo = c.echo;
        sim.setPosition(kStarOfDate[0], kStarOfDate[1]);
        ASSERT_TRUE(Connect(sim, c.interface));
        double ra, dec;
        ASSERT_EQ(TelescopeGetPosition(ra, dec), 1);
        EXPECT_NEAR(ra / kDeg, kStarJ2000[0], c.tolerance / 3600 / std::cos(kStarJ2000[1] * kDeg));
        EXPECT_NEAR(dec / kDeg, kStarJ2000[1], c.tolerance / 3600);

        sim.setPosition(100.0, -20.0);
        sim.clearReceived();
        ASSERT_EQ(TelescopeGoTo(kStarJ2000[0] * kDeg, kStarJ2000[1] * kDeg), 1);
        EXPECT_EQ(Sent(sim, c.gotoBytes), c.gotoBytes);
        AwaitArrival(sim);
        double r, d;
        sim.position(r, d);
        EXPECT_NEAR(r, kStarOfDate[0], 0.02);
        EXPECT_NEAR(d, kStarOfDate[1], 0.02);
        // A busy NexStar stands still on the chart until it reports '@'.
        ASSERT_EQ(TelescopePoll(), 1);
        ASSERT_EQ(TelescopePoll(), 1);
        EXPECT_NEAR(gTelescopeState.position[1] / kDeg, kStarJ2000[1], 0.02);
        EXPECT_TRUE(Messages().empty());
        TelescopeDisconnect();
    }
}

TEST_F(TelescopeLink, AFailedPollSaysWhyOnceAndDisconnects) {
    const struct {
        SimFault fault;
        int message;
    } faults[] = {{SimFault::Silent, 2706},
                  {SimFault::Garbage, 581},
                  {SimFault::Half, 2706},
                  {SimFault::Vanish, 2701}};
    for (const Case& c : kCases)
        for (const auto& f : faults) {
            SCOPED_TRACE(std::string(c.name) + " fault " + std::to_string(int(f.fault)));
            MountSimulator sim(c.set);
            ASSERT_TRUE(Connect(sim, c.interface));
            ClearRecordedMessages();
            sim.fault = f.fault;
            EXPECT_EQ(TelescopePoll(), 0);
            EXPECT_FALSE(gTelescopeState.connected);
            int expected = c.set == 'N' && f.message == 581 ? 2706 : f.message;
            EXPECT_EQ(Messages(), std::vector<int>{expected});
        }
}

TEST_F(TelescopeLink, CommandBytesOfRatesMotionsSyncAndRefusals) {
    const struct {
        char set;
        int interface;
        void (*act)();
        const char* bytes;
        int message;
    } cases[] = {
        {'A', kTelescopeLX200,
         [] {
             for (int r = 1; r <= 4; ++r)
                 TelescopeSetRate(r);
         },
         ":RS#:RM#:RC#:RG#", 0},
        {'A', kTelescopeLX200, [] { TelescopeMove(1, kMoveWest), TelescopeMove(0, kMoveAll); },
         ":Mw#:Q#:Qn#:Qe#:Qs#:Qw#", 0},
        {'A', kTelescopeLX200, [] { TelescopeSync(0.5, -0.25); }, ":Sr 01:54.6#:Sd -14*19#:CM#", 0},
        // Rejected at ":Sd": no slew is asked for.
        {'A', kTelescopeLX200, [] { TelescopeGoTo(0.5, -0.25); }, ":Sr 01:54.6#:Sd -14*19#", 2800},
        {'A', kTelescopeMagellanI, [] { TelescopeGoTo(0.5, 0.25), TelescopeSetRate(1); }, "", 0},
        {'A', kTelescopeLX200, [] { TelescopeSetTime(2451545.0 + 59.7 / 86400, -8.0 / 24); },
         ":SG +08#:SL 04:01:00#:SC 01/01/00#", 2708},
        {'A', kTelescopeLX200, [] { TelescopeSetSite(-118.06 * kDeg, 34.2247 * kDeg, -8.0 / 24); },
         ":SG +08#:St +34*13#:Sg 118*04#", 2708},
        {'B', kTelescopeUltima2000, [] { TelescopeSync(kDeg * 90, -kDeg * 45); }, "F4000,E000#", 0},
        {'E', kTelescopeQEICoordinate,
         [] { TelescopeSetRate(2), TelescopeMove(1, kMoveEast), TelescopeMove(0, kMoveNorth); },
         "JR-8\rJD+0\r", 0},
    };
    // At J2000.0 itself, so that the bytes show the angles unprecessed.
    SetLinkClockForTest(FastTicks, [] { return 2451545.0; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        MountSimulator sim(c.set);
        sim.rejectDec = c.message == 2800;
        ASSERT_TRUE(Connect(sim, c.interface));
        sim.clearReceived();
        ClearRecordedMessages();
        c.act();
        EXPECT_EQ(Sent(sim, c.bytes), c.bytes);
        EXPECT_EQ(Messages(), c.message != 0 ? std::vector<int>{c.message} : std::vector<int>{});
        TelescopeDisconnect();
    }
}

TEST_F(TelescopeLink, LX200ShortFormKeepsTenthsOfAMinute) {
    MountSimulator sim('A');
    sim.shortForm = true;
    sim.setPosition(15.0 * (5 + 34.5 / 60), -(12 + 7.0 / 60));
    gTelescopeState.interface = kTelescopeLX200;
    gTelescopeState.device = sim.device();
    ASSERT_TRUE(LinkOpen(9600));
    std::string reply;
    ASSERT_EQ(LinkExchange(":GR#", reply, 79, '#'), 8);
    EXPECT_EQ(reply, "05:34.5#");
    ASSERT_TRUE(LinkCommand(":GD#", reply, 79, '#'));
    EXPECT_EQ(reply, "-12*07#");
}

TEST_F(TelescopeLink, DevicesThatAreNoSerialPortAreRefusedByName) {
    char file[] = "/tmp/norvane-scope-XXXXXX";
    int fd = mkstemp(file);
    ASSERT_GE(fd, 0);
    MountSimulator busy('A');
    int holder = OpenSerialPort(busy.device(), 9600);
    ASSERT_GE(holder, 0);
    for (std::string device :
         {std::string(file), std::string("/tmp"), std::string("/dev/ttyNothing9"), busy.device()}) {
        SCOPED_TRACE(device);
        ClearRecordedMessages();
        gTelescopeState.device = device;
        EXPECT_EQ(TelescopeConnect(), 0);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages()[0].number, 580);
        EXPECT_NE(RecordedMessages()[0].text.find(device), std::string::npos);
    }
    CloseSerialPort(holder);
    close(fd);
    unlink(file);
    EXPECT_EQ(DeviceForPort(11), "/dev/lp1");
}

TEST_F(TelescopeLink, EmulatedSlewCrossesTwentyDegreesInAboutTwoAndAHalfSeconds) {
    for (int rate : {4, 10}) {
        SCOPED_TRACE(rate);
        gTelescopeState.emulated = true;
        gTelescopeState.updatesPerSec = static_cast<std::int16_t>(rate);
        gTelescopeState.emuPosition[0] = 6.2;
        gTelescopeState.emuPosition[1] = 0.3;
        gTelescopeState.emuTarget[0] = std::fmod(6.2 + 20 * kDeg, 2 * M_PI);
        gTelescopeState.emuTarget[1] = 0.3;
        gTelescopeState.emuMotion = 5;
        gTelescopeState.emuLastTicks = 0;
        long now = 1000;
        while (gTelescopeState.emuMotion == 5 && now < 10000)
            StepEmulation(now += 1000 / rate + 1);
        EXPECT_NEAR((now - 1000) / 1000.0, 2.5, 0.3);
        EXPECT_NEAR(gTelescopeState.emuPosition[0], gTelescopeState.emuTarget[0], kArcsec);
    }
}

// A mount turned by a known rotation from the sky; counts of 2^24 a turn
// resolve 0.08 arc-seconds.
double Sidereal() {
    return 1.234;
}

TEST(TelescopeAlignment, TwoStarsRecoverTheMountsRotationOnBothMountTypes) {
    SetMessageResponder([](const MessageRecord&) { return AnswerOK; });
    SetAlignmentSiderealSource(Sidereal);
    const double steps = 16777216.0, zero[2] = {1234567.0, -765432.0};
    const double stars[3][2] = {{1.0, 0.3}, {2.7, -0.4}, {4.4, 1.1}};
    for (int type : {kMountEquatorial, kMountAltAzimuth}) {
        SCOPED_TRACE(type);
        setTelescopeStateDefaults();
        gTelescopeState.mountType = static_cast<std::int16_t>(type);
        gTelescopeState.lonEncoderSteps = gTelescopeState.latEncoderSteps = 16777216;
        gTelescopeState.encodersSwapped = type == kMountAltAzimuth;
        Matrix3 turn;
        RotationMatrix(turn, {{2, 0.4}, {1, -0.05}, {0, 0.02}});
        auto counts = [&](const double* star, double* c) {
            Vector3 v;
            double lon, lat, r;
            double skyLon = star[0] - (type == kMountAltAzimuth ? Sidereal() : 0.0);
            SphericalToRectangular(skyLon, star[1], 1.0, v);
            TransformVector(turn, v);
            RectangularToSpherical(v, &lon, &lat, &r);
            double c1 = std::round(zero[0] + lon / (2 * M_PI) * steps);
            double c2 = std::round(zero[1] + (lat - M_PI / 2) / (2 * M_PI) * steps);
            c[0] = type == kMountAltAzimuth ? c2 : c1;
            c[1] = type == kMountAltAzimuth ? c1 : c2;
        };
        ResetAlignment();
        double c[2] = {type == kMountAltAzimuth ? zero[1] : zero[0],
                       type == kMountAltAzimuth ? zero[0] : zero[1]};
        ASSERT_EQ(AlignStep(c, false), 1);
        for (int i = 0; i < 2; ++i) {
            gTelescopeState.targetRA = stars[i][0];
            gTelescopeState.targetDec = stars[i][1];
            counts(stars[i], c);
            ASSERT_EQ(AlignStep(c, false), 1);
        }
        EXPECT_EQ(gAlignmentState.alignStage, 3);
        double lon, lat, ra, dec;
        counts(stars[2], c);
        EncoderAngles(c, lon, lat);
        AlignedPosition(lon, lat, ra, dec);
        EXPECT_LT(AngularSeparation(ra, dec, stars[2][0], stars[2][1]), kArcsec);
    }
    SetAlignmentSiderealSource(nullptr);
    SetMessageResponder(nullptr);
}

} // namespace

namespace {

double FixedSidereal() {
    return 1.25;
}

// End to end: an encoder box on a pty, aligned on two stars with Sync (as the
// alignment window does), points at a third within the encoders' resolution.
TEST_F(TelescopeLink, AnEncoderBoxAlignedOnTwoStarsFindsAThird) {
    SetAlignmentSiderealSource(FixedSidereal);
    MountSimulator sim('D');
    gTelescopeState.mountType = kMountEquatorial;
    gTelescopeState.lonEncoderSteps = gTelescopeState.latEncoderSteps = 8192;
    ASSERT_TRUE(Connect(sim, kTelescopeSkyVector));
    Matrix3 turn;
    RotationMatrix(turn, {{2, 0.4}, {1, -0.05}, {0, 0.02}});
    const double stars[3][2] = {{1.0, 0.3}, {2.7, -0.4}, {4.4, 1.1}};
    auto point = [&](const double* star) {
        Vector3 v;
        double lon, lat, r;
        SphericalToRectangular(star[0], star[1], 1.0, v);
        TransformVector(turn, v);
        RectangularToSpherical(v, &lon, &lat, &r);
        std::lock_guard<std::mutex> hold(sim.lock);
        sim.counts[0] = std::round(lon / (2 * M_PI) * 8192);
        sim.counts[1] = std::round((lat - M_PI / 2) / (2 * M_PI) * 8192);
    };
    // The first Sync takes the counters' start, as the box reads them.
    ASSERT_EQ(TelescopeSync(0, 0), 1);
    for (int i = 0; i < 2; ++i) {
        gTelescopeState.targetRA = stars[i][0];
        gTelescopeState.targetDec = stars[i][1];
        point(stars[i]);
        ASSERT_EQ(TelescopeSync(stars[i][0], stars[i][1]), 1);
    }
    point(stars[2]);
    double ra = 0, dec = 0;
    ASSERT_EQ(TelescopeGetPosition(ra, dec), 1);
    const double resolution = 2 * M_PI / 8192;
    EXPECT_LT(AngularSeparation(ra, dec, stars[2][0], stars[2][1]), 1.5 * resolution);
    SetAlignmentSiderealSource(nullptr);
}

} // namespace
