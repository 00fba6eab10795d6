// vibration_test.cpp - StartPadVibration / StopPadVibration, the time limit run from
// the message pump, the effect rule and the window focus, as felt on the scripted
// pad's two motors (low frequency: constant force; high frequency: the sine).
#include <algorithm>

#include "tests/media/input/input_fixture.h"

namespace {

constexpr int kFull = 65535;  // the low motor follows the power linearly: full at 1000

class VibrationTest : public InputTest {
protected:
    void StartWithPad(bool rumble = true) {
        pad_ = script::PlugPad(rumble);
        StartLayer();
    }
    script::Rumble Motors() const { return script::PadRumbleNow(pad_); }
    // The strongest the high motor runs over one sine period (1.5 s), pumping as the
    // game does; the low motor must hold `low` all the while.
    int PeakHighOverAPeriod(int low) {
        int peak = 0;
        for (int step = 0; step < 30; ++step) {
            RunFor(50);
            EXPECT_NEAR(Motors().low, low, 1);
            peak = std::max(peak, static_cast<int>(Motors().high));
        }
        return peak;
    }
    void ExpectStill() {
        EXPECT_EQ(Motors().low, 0);
        EXPECT_EQ(Motors().high, 0);
    }

    uint32_t pad_ = 0;
};

TEST_F(VibrationTest, PowerSetsTheConstantForceAndAbove500AlsoTheSineUntilStopped) {
    StartWithPad();
    struct Case {
        int power, low;
        bool sine;
    };
    // Powers changed while the pad vibrates without a limit: each is felt at once.
    const Case cases[] = {
        {500, kFull / 2, false},
        {501, kFull * 501 / 1000, true},
        {400, kFull * 4 / 10, false},
        {1000, kFull, true},
        {0, 0, false},
        {5000, kFull, true},
        {-300, kFull * 3 / 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "power " << c.power);
        EXPECT_EQ(StartPadVibration(1, c.power, -1), 0);
        EXPECT_NEAR(Motors().low, c.low, 1);
        int peak = PeakHighOverAPeriod(c.low);
        EXPECT_TRUE(c.sine ? peak > kFull * 9 / 10 : peak == 0) << "sine peak " << peak;
    }
    EXPECT_EQ(StopPadVibration(1), 0);
    ExpectStill();
    StartPadVibration(1, -1, -1);  // keeps the power, which the stop set to full
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
    RunFor(150);  // the sine was not started again: 750 ms after the first start, its top
    EXPECT_GT(Motors().high, kFull * 9 / 10);
    RunFor(800);  // the limit counts from the second start
    EXPECT_GT(Motors().low, 0);
    RunFor(250);
    ExpectStill();
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
    ExpectStill();
    int count = script::RumbleChangeCount(pad_);
    ASSERT_GT(count, 0);
    EXPECT_EQ(script::RumbleChange(pad_, count - 1).atMs - start, 1000u);
}

TEST_F(VibrationTest, VibrationPausesWhileInactiveAndTheSineRestartsThroughItsAttack) {
    StartWithPad();
    StartPadVibration(1, 900, -1);
    RunFor(750);
    ASSERT_GT(Motors().high, 0);
    script::SetFocus(false);
    ProcessMessage();
    ExpectStill();
    RunFor(3000);
    EXPECT_EQ(script::RumbleChange(pad_, script::RumbleChangeCount(pad_) - 1).low, 0);
    script::SetFocus(true);
    ProcessMessage();
    EXPECT_NEAR(Motors().low, kFull * 9 / 10, 1);
    EXPECT_EQ(Motors().high, 0);
    // A quarter period in the sine is at half height with the attack (0.5 s) three
    // quarters through: well below half; half a period in, the top; then back to rest.
    RunFor(375);
    EXPECT_GT(Motors().high, 0);
    EXPECT_LT(Motors().high, kFull / 2);
    RunFor(375);
    EXPECT_GT(Motors().high, kFull * 9 / 10);
    RunFor(750);
    EXPECT_LT(Motors().high, kFull / 10);
    // A stop while inactive is not undone by the focus coming back.
    script::SetFocus(false);
    ProcessMessage();
    StopPadVibration(1);
    script::SetFocus(true);
    RunFor(100);
    ExpectStill();
}

TEST_F(VibrationTest, InvalidPadsAndPadsWithoutMotorsAreLeftAlone) {
    StartWithPad(false);
    uint32_t rumbler = script::PlugPad(true);
    ProcessMessage();
    for (int selector : {1, 0, 3, -1}) EXPECT_EQ(StartPadVibration(selector, 1000, -1), 0);
    EXPECT_EQ(StopPadVibration(9), 0);
    RunFor(100);
    EXPECT_EQ(script::RumbleChangeCount(pad_), 0);
    EXPECT_EQ(script::RumbleChangeCount(rumbler), 0);
    // The keyboard bit in the selector does not hide the pad number.
    EXPECT_EQ(StartPadVibration(PAVEX_INPUT_KEYBOARD | 2, 500, -1), 0);
    EXPECT_NEAR(script::PadRumbleNow(rumbler).low, kFull / 2, 1);
}

TEST_F(VibrationTest, APadPulledOutWhileVibratingIsForgottenAndShutdownStopsTheRest) {
    StartWithPad();
    StartPadVibration(1, 1000, 500);
    script::UnplugPad(pad_);
    RunFor(1000);
    pad_ = script::PlugPad();
    RunFor(100);
    EXPECT_EQ(script::RumbleChangeCount(pad_), 0);
    StartPadVibration(1, 1000, -1);
    RunFor(750);
    ASSERT_EQ(Motors().low, kFull);
    ASSERT_GT(Motors().high, 0);
    EndLayer();
    ExpectStill();
}

}  // namespace
