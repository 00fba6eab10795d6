// vibration_test.cpp - StartPadVibration / StopPadVibration, the time limit run from
// the message pump, the effect rule and the window focus, as felt on the scripted
// pad's two motors (low frequency: constant force; high frequency: the sine).
#include <stdint.h>

#include "tests/media/input/input_fixture.h"

namespace {

class VibrationTest : public InputTest {
protected:
    void StartWithPad(bool rumble = true) {
        pad_ = script::PlugPad(rumble);
        StartLayer();
    }
    // Lets `ms` pass in frame-sized steps with a pump after each step.
    static void RunFor(uint32_t ms) {
        while (ms > 0) {
            uint32_t step = ms < 17 ? ms : 17;
            script::AdvanceMs(step);
            ProcessMessage();
            ms -= step;
        }
    }
    script::Rumble Motors() const { return script::PadRumbleNow(pad_); }

    uint32_t pad_ = 0;
};

// The low motor follows the power on a linear scale: full at 1000.
constexpr int kFull = 65535;

TEST_F(VibrationTest, PowerFiveHundredRunsTheConstantForceOnly) {
    StartWithPad();
    EXPECT_EQ(StartPadVibration(1, 500, -1), 0);
    EXPECT_NEAR(Motors().low, kFull / 2, 1);
    EXPECT_EQ(Motors().high, 0);
    for (int i = 0; i < 10; ++i) {
        RunFor(150);
        EXPECT_NEAR(Motors().low, kFull / 2, 1);
        EXPECT_EQ(Motors().high, 0) << "after " << (i + 1) * 150 << " ms";
    }
}

TEST_F(VibrationTest, PowerAboveFiveHundredAlsoRunsTheSine) {
    StartWithPad();
    EXPECT_EQ(StartPadVibration(1, 501, -1), 0);
    EXPECT_NEAR(Motors().low, kFull * 501 / 1000, 1);
    EXPECT_EQ(Motors().high, 0);  // the sine rises from rest
    // Half a period in, past the attack, the sine is at its top.
    RunFor(750);
    EXPECT_GT(Motors().high, kFull * 9 / 10);
    // A full period in it is back near rest.
    RunFor(750);
    EXPECT_LT(Motors().high, kFull / 10);
    EXPECT_NEAR(Motors().low, kFull * 501 / 1000, 1);
}

TEST_F(VibrationTest, TheSineRisesThroughItsAttack) {
    StartWithPad();
    StartPadVibration(1, 1000, -1);
    // At a quarter period the sine is at half height; the attack (0.5 s) is
    // three quarters through, so the motor stands well below half.
    RunFor(375);
    EXPECT_GT(Motors().high, 0);
    EXPECT_LT(Motors().high, kFull / 2);
    EXPECT_EQ(Motors().low, kFull);
}

TEST_F(VibrationTest, ARepeatedStartWithTheSamePowerRestartsOnlyTheTimer) {
    StartWithPad();
    StartPadVibration(1, 800, 1000);
    RunFor(600);
    int changesBefore = script::RumbleChangeCount(pad_);
    uint16_t lowBefore = Motors().low;
    EXPECT_EQ(StartPadVibration(1, 800, 1000), 0);
    EXPECT_EQ(Motors().low, lowBefore);
    EXPECT_EQ(script::RumbleChangeCount(pad_), changesBefore);
    // The sine was not started again: 750 ms after the first start it is at its top.
    RunFor(150);
    EXPECT_GT(Motors().high, kFull * 9 / 10);
    // The limit counts from the second start: 1000 ms after it, not after the first.
    RunFor(800);
    EXPECT_GT(Motors().low, 0);
    RunFor(250);
    EXPECT_EQ(Motors().low, 0);
    EXPECT_EQ(Motors().high, 0);
}

TEST_F(VibrationTest, ANewPowerChangesTheEffectsAtOnce) {
    StartWithPad();
    StartPadVibration(1, 400, -1);
    EXPECT_NEAR(Motors().low, kFull * 4 / 10, 1);
    StartPadVibration(1, 1000, -1);
    EXPECT_EQ(Motors().low, kFull);
    RunFor(750);
    EXPECT_GT(Motors().high, 0);
    // Power 0, as the game uses it, keeps the pad "vibrating" at no strength.
    StartPadVibration(1, 0, -1);
    EXPECT_EQ(Motors().low, 0);
    EXPECT_EQ(Motors().high, 0);
    // Power is clamped to the scale.
    StartPadVibration(1, 5000, -1);
    EXPECT_EQ(Motors().low, kFull);
    StartPadVibration(1, -300, -1);
    EXPECT_NEAR(Motors().low, kFull * 3 / 10, 1);
}

TEST_F(VibrationTest, ATimeLimitStopsAtTheFirstPumpAtLeastThatLate) {
    StartWithPad();
    StartPadVibration(1, 600, 1000);
    uint32_t start = script::NowMs();
    script::AdvanceMs(999);
    ProcessMessage();
    EXPECT_GT(Motors().low, 0);
    script::AdvanceMs(1);
    ProcessMessage();
    EXPECT_EQ(Motors().low, 0);
    EXPECT_EQ(Motors().high, 0);
    int count = script::RumbleChangeCount(pad_);
    ASSERT_GT(count, 0);
    script::Rumble last = script::RumbleChange(pad_, count - 1);
    EXPECT_EQ(last.atMs - start, 1000u);
    EXPECT_EQ(last.low, 0);
}

TEST_F(VibrationTest, WithoutALimitTheMotorsKeepRunningUntilStopped) {
    StartWithPad();
    StartPadVibration(1, 300, -1);
    RunFor(10000);
    EXPECT_NEAR(Motors().low, kFull * 3 / 10, 1);
    EXPECT_EQ(StopPadVibration(1), 0);
    EXPECT_EQ(Motors().low, 0);
    EXPECT_EQ(Motors().high, 0);
}

TEST_F(VibrationTest, StopRestoresFullPowerForAStartThatKeepsThePower) {
    StartWithPad();
    StartPadVibration(1, 200, -1);
    StopPadVibration(1);
    StartPadVibration(1, -1, -1);
    EXPECT_EQ(Motors().low, kFull);
    RunFor(750);
    EXPECT_GT(Motors().high, 0);
}

TEST_F(VibrationTest, VibrationPausesWhileTheWindowIsInactive) {
    StartWithPad();
    StartPadVibration(1, 900, -1);
    RunFor(750);
    ASSERT_GT(Motors().high, 0);
    script::SetFocus(false);
    ProcessMessage();
    EXPECT_EQ(Motors().low, 0);
    EXPECT_EQ(Motors().high, 0);
    RunFor(3000);
    EXPECT_EQ(Motors().low, 0);
    script::SetFocus(true);
    ProcessMessage();
    EXPECT_NEAR(Motors().low, kFull * 9 / 10, 1);
    EXPECT_EQ(Motors().high, 0);  // the sine starts again from its attack
    RunFor(750);
    EXPECT_GT(Motors().high, 0);
}

TEST_F(VibrationTest, AStopWhileInactiveIsNotUndoneByTheFocus) {
    StartWithPad();
    StartPadVibration(1, 900, -1);
    script::SetFocus(false);
    ProcessMessage();
    StopPadVibration(1);
    script::SetFocus(true);
    ProcessMessage();
    RunFor(100);
    EXPECT_EQ(Motors().low, 0);
    EXPECT_EQ(Motors().high, 0);
}

TEST_F(VibrationTest, InvalidPadsAndPadsWithoutMotorsAreLeftAlone) {
    StartWithPad(false);
    uint32_t rumbler = script::PlugPad(true);
    ProcessMessage();
    EXPECT_EQ(StartPadVibration(1, 1000, -1), 0);  // pad 1 has no motors
    EXPECT_EQ(StartPadVibration(0, 1000, -1), 0);
    EXPECT_EQ(StartPadVibration(3, 1000, -1), 0);
    EXPECT_EQ(StartPadVibration(-1, 1000, -1), 0);
    EXPECT_EQ(StopPadVibration(9), 0);
    RunFor(100);
    EXPECT_EQ(script::RumbleChangeCount(pad_), 0);
    EXPECT_EQ(script::RumbleChangeCount(rumbler), 0);
    // The keyboard bit in the selector does not hide the pad number.
    EXPECT_EQ(StartPadVibration(PAVEX_INPUT_KEYBOARD | 2, 500, -1), 0);
    EXPECT_NEAR(script::PadRumbleNow(rumbler).low, kFull / 2, 1);
}

TEST_F(VibrationTest, APadPulledOutWhileVibratingIsForgotten) {
    StartWithPad();
    StartPadVibration(1, 1000, 500);
    script::UnplugPad(pad_);
    RunFor(1000);
    uint32_t next = script::PlugPad();
    RunFor(100);
    EXPECT_EQ(script::RumbleChangeCount(next), 0);
    StartPadVibration(1, 500, -1);
    EXPECT_NEAR(script::PadRumbleNow(next).low, kFull / 2, 1);
}

TEST_F(VibrationTest, ShutdownStopsTheMotors) {
    StartWithPad();
    StartPadVibration(1, 1000, -1);
    RunFor(750);
    ASSERT_GT(Motors().low, 0);
    EndMediaLayer();
    started_ = false;
    EXPECT_EQ(Motors().low, 0);
    EXPECT_EQ(Motors().high, 0);
}

}  // namespace
