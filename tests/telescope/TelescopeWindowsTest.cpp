// The telescope's windows: the field sizes of the Display dialog, and the
// hand paddle of the control window for a mount that has one and one that
// has none.

#include "telescope/TelescopeWindows.h"
#include "shell/Platform.h"
#include "telescope/Telescope.h"
#include "telescope/TelescopeState.h"

#include <gtest/gtest.h>

namespace {

constexpr double kDeg = 0.017453292520882225;

TEST(TelescopeDisplay, FieldSizesShowAndReadBackKeepingMissingParts) {
    struct Case {
        double degrees;
        const char* shown;
        const char* typed;
        double read;
    } const cases[] = {
        {3.0, "3 00 00.0", "2", 2.0},
        {0.25, "0 15 00.0", "0 20", 20.0 / 60},
        {1.0 / 6, "0 10 00.0", "1 2 3.5", 1 + 2 / 60.0 + 3.5 / 3600},
        // 59.97 seconds round up into the next minute, not to "60.0".
        {1 + 59.97 / 3600, "1 01 00.0", "", 1 + 1 / 60.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(FieldSizeText(c.degrees * kDeg), c.shown);
        EXPECT_NEAR(ReadFieldSize(c.typed, c.degrees * kDeg) / kDeg, c.read, 1e-9);
    }
}

TEST(TelescopeControlWindow, ArrowsMoveWhileHeldOnlyOnMountsWithAPaddle) {
    SetMessageResponder([](const MessageRecord&) { return AnswerOK; });
    for (int family : {kTelescopeLX200, kTelescopeMagellanI}) {
        SCOPED_TRACE(family);
        setTelescopeStateDefaults();
        gTelescopeState.interface = static_cast<std::int16_t>(family);
        gTelescopeState.emulated = true;
        ASSERT_EQ(TelescopeConnect(), 1);
        OpenTelescopeWindow();
        WindowRef w = TelescopeWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(IsItemEnabled(w, 17), family == kTelescopeLX200); // Go To
        SendWindowEvent(w, ControlNotify, 23, NotifyPressed);       // south
        EXPECT_EQ(gTelescopeState.emuMotion, family == kTelescopeLX200 ? kMoveSouth : 0);
        SendWindowEvent(w, ControlNotify, 23, NotifyReleased);
        EXPECT_EQ(gTelescopeState.emuMotion, 0);
        TelescopeDisconnect();
        CloseTelescopeWindow();
    }
    SetMessageResponder(nullptr);
}

} // namespace
