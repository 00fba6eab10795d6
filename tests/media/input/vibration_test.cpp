// vibration_test.cpp - StartPadVibration / StopPadVibration, the time limit run from
// the message pump, the effect rule and the window focus, as felt on the scripted
// pad's two motors (low frequency: constant force; high frequency: the sine).
#include <algorithm>

#include "tests/support/input_fixture.h"

namespace {

constexpr int kFull = 65535;  // the low motor follows the power linearly: full at 1000

class VibrationTest : public InputTest {
protected:
    void StartWithPad(bool rumble = true) {
        pad = script::PlugPad(rumble);
        Start();
    }
    int Low() const { return script::PadRumbleNow(pad).low; }
    int High() const { return script::PadRumbleNow(pad).high; }

    uint32_t pad = 0;
};

}  // namespace

// Powers changed while the pad vibrates without a limit are felt at once; above 500
// the sine runs too (peaking once per 1.5 s period). The motors hold as long as the
// pump renews their lease; a stop stops both.
TEST_F(VibrationTest, PowerLimitRepeatedStartAndPauseWhileInactive) {
    StartWithPad();
    // clang-format off
    const int cases[][3] = {  // power, low motor, sine
        {500, kFull / 2, 0}, {501, kFull * 501 / 1000, 1}, {400, kFull * 4 / 10, 0},
        {1000, kFull, 1}, {0, 0, 0}, {5000, kFull, 1}, {-300, kFull * 3 / 10, 0}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(StartPadVibration(1, c[0], -1), 0);
        int peak = 0;
        for (int step = 0; step < 30; ++step) {
            RunFor(50);
            EXPECT_NEAR(Low(), c[1], 1) << "power " << c[0];
            peak = std::max(peak, High());
        }
        EXPECT_TRUE(c[2] ? peak > kFull * 9 / 10 : peak == 0) << c[0] << ": sine peak " << peak;
    }
    for (int step = 0; step < 200; ++step) {
        RunFor(50);
        ASSERT_NEAR(Low(), kFull * 3 / 10, 1)
            << "the motors' lease ran out " << step * 50 << " ms on";
    }
    EXPECT_EQ(StopPadVibration(1), 0);
    EXPECT_EQ(Low() + High(), 0);
    StartPadVibration(1, -1, -1);  // keeps the power, which the stop set to full
    EXPECT_EQ(Low(), kFull);

    // A limit stops the motors at the first pump at least that late. A repeated start
    // with the same power restarts only the timer: no motor changes, the sine runs on.
    StartPadVibration(1, 600, 1000);
    uint32_t start = script::NowMs();
    script::AdvanceMs(999);
    ProcessMessage();
    EXPECT_GT(Low(), 0);
    script::AdvanceMs(1);
    ProcessMessage();
    EXPECT_EQ(Low() + High(), 0);
    EXPECT_EQ(script::RumbleChange(pad, script::RumbleChangeCount(pad) - 1).atMs - start, 1000u);

    StartPadVibration(1, 800, 1000);
    RunFor(600);
    int changes = script::RumbleChangeCount(pad), low = Low();
    EXPECT_EQ(StartPadVibration(1, 800, 1000), 0);
    EXPECT_EQ(Low(), low);
    EXPECT_EQ(script::RumbleChangeCount(pad), changes);
    RunFor(150);  // 750 ms after the first start: the sine's top
    EXPECT_GT(High(), kFull * 9 / 10);
    RunFor(800);  // the limit counts from the second start
    EXPECT_GT(Low(), 0);
    RunFor(250);
    EXPECT_EQ(Low() + High(), 0);

    // Both motors stop while the window is inactive; back in focus the sine restarts
    // through its 0.5 s attack. A stop while inactive is not undone by the focus.
    StartPadVibration(1, 900, -1);
    RunFor(750);
    ASSERT_GT(High(), 0);
    script::SetFocus(false);
    ProcessMessage();
    EXPECT_EQ(Low() + High(), 0);
    RunFor(3000);
    EXPECT_EQ(Low() + High(), 0);
    script::SetFocus(true);
    ProcessMessage();
    EXPECT_NEAR(Low(), kFull * 9 / 10, 1);
    EXPECT_EQ(High(), 0);
    // A quarter period in the sine is at half height with the attack three quarters
    // through: well below half; half a period in, the top; then back to rest.
    RunFor(375);
    EXPECT_GT(High(), 0);
    EXPECT_LT(High(), kFull / 2);
    RunFor(375);
    EXPECT_GT(High(), kFull * 9 / 10);
    RunFor(750);
    EXPECT_LT(High(), kFull / 10);
    script::SetFocus(false);
    ProcessMessage();
    StopPadVibration(1);
    script::SetFocus(true);
    RunFor(100);
    EXPECT_EQ(Low() + High(), 0);
}

// Selectors without a pad with motors are left alone (the keyboard bit does not hide
// the pad number); a pad pulled out while vibrating is forgotten, one arriving leaves the
// others vibrating; shutdown stops the rest.
TEST_F(VibrationTest, OnlyPadsWithMotorsVibrateAndShutdownStopsThem) {
    StartWithPad(false);
    uint32_t rumbler = script::PlugPad(true);
    ProcessMessage();
    for (int selector : {1, 0, 3, -1}) EXPECT_EQ(StartPadVibration(selector, 1000, -1), 0);
    EXPECT_EQ(StopPadVibration(9), 0);
    RunFor(100);
    EXPECT_EQ(script::RumbleChangeCount(pad) + script::RumbleChangeCount(rumbler), 0);
    EXPECT_EQ(StartPadVibration(PAVEX_INPUT_KEYBOARD | 2, 1000, 500), 0);
    EXPECT_EQ(script::PadRumbleNow(rumbler).low, kFull);
    script::UnplugPad(rumbler);
    RunFor(1000);
    pad = script::PlugPad();
    RunFor(100);
    EXPECT_EQ(script::RumbleChangeCount(pad), 0);
    StartPadVibration(2, 1000, -1);
    RunFor(750);
    ASSERT_EQ(Low(), kFull);
    ASSERT_GT(High(), 0);
    script::PlugPad();  // another pad arrives: the vibrating one keeps its state
    RunFor(2500);
    EXPECT_EQ(Low(), kFull);
    EndMediaLayer();
    EXPECT_EQ(Low() + High(), 0);
}
