// live_test.cpp - the live SDL sound device: under SDL's disk driver the tones reach
// the device file at their level; under the dummy driver the API loads, starts,
// changes volumes and deletes on the main thread while the device thread mixes and
// the pump thread streams music (the ThreadSanitizer run of scripts/tsan-sound.sh
// builds this test with -fsanitize=thread).
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>

#include <string>

#include "pavex.h"
#include "tests/media/sound/sound_files.h"
#include "tests/support/log_reader.h"
#include "tests/support/temp_dir.h"

namespace {

namespace sf = sound_files;

TEST(LiveSound, TheDiskDriverReceivesTheTonesAndApiCallsGoOnWhileTheDummyDeviceMixes) {
    TempDir dir;
    auto start = [&](const char* driver) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", dir.file("device.raw").c_str(), 1);
        ChangeWindowMode(1);
        SetAllowDoubleStart(1);
        return InitMediaLayer();
    };
    ASSERT_EQ(start("disk"), 0);
    sf::Write("tone.wav", sf::Wav(sf::Sine(22050, 44100, 441, 20000), 1, 44100));
    int h = LoadSound("tone.wav", 1, -1);
    ASSERT_EQ(SetSoundVolume(128, h), 0);  // -2.99 dB
    ASSERT_EQ(StartSound(h, 0, 1), 0);     // waits until it has played
    EndMediaLayer();
    std::vector<int16_t> out = sf::Samples(logfile::ReadBytes(dir.file("device.raw")));
    int peakL = 0, peakR = 0, cycles = 0;
    for (size_t i = 2; i < out.size(); i += 2) {
        peakL = std::max(peakL, abs(out[i]));
        peakR = std::max(peakR, abs(out[i + 1]));
        cycles += out[i - 2] < 0 && out[i] >= 0;
    }
    const double level = 20000 * pow(10.0, -299 / 2000.0);
    EXPECT_NEAR(peakL, level, 2.0);
    EXPECT_NEAR(peakR, level, 2.0);
    EXPECT_NEAR(cycles, 441 / 2, 2);  // half a second of 441 Hz

    // Under the dummy driver: API calls while the device mixes and the pump streams music.
    ASSERT_EQ(start("dummy"), 0);
    sf::Write("a.wav", sf::Wav(sf::Sine(4410, 44100, 441, 8000), 1, 44100));
    sf::Write("b.wav", sf::Wav(sf::Sine(8820, 22050, 300, 8000, 2), 2, 22050));
    sf::Write("m.wav", sf::Wav(sf::Pattern(44100 * 2), 1, 44100));
    ASSERT_EQ(PlayMusicFile("m.wav", 3), 0);
    int kept = LoadSound("b.wav", 4, -1);
    for (int i = 0; i < 200; ++i) {
        int handle = LoadSound(i % 2 ? "a.wav" : "b.wav", 1 + i % 10, -1);
        EXPECT_EQ(StartSound(handle, i % 3 == 0 ? 3 : 1, 1), 0);
        EXPECT_EQ(StartSound(kept, 1, i % 2), 0);
        EXPECT_EQ(SetSoundVolume(i, handle), 0);
        EXPECT_EQ(SetMusicVolume(255 - i), 0);
        WaitMilliseconds(1);
        EXPECT_EQ(DeleteSound(handle), 0);
        if (i % 50 == 49) {
            ASSERT_EQ(PlayMusicFile("m.wav", i % 100 == 99 ? 1 : 3), 0);
        }
    }
    EXPECT_EQ(HaltMusic(), 0);
    EndMediaLayer();
}

}  // namespace
