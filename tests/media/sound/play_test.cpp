// play_test.cpp - what the device plays, as the scripted platform records it: the
// rotating buffers, the from-top rule, volume gains, resampling, saturation, play
// type 0, handles, and a layer without a sound device.
#include <gtest/gtest.h>
#include <math.h>

#include "media/core/tracked_alloc.h"
#include "tests/media/sound/sound_files.h"
#include "tests/support/layer_fixture.h"

namespace {

namespace sf = sound_files;

using PlayTest = LayerTest;

// Loads `samples` written as a WAV file.
int Load(const std::vector<int16_t>& samples, int buffers = 1, int rate = 44100) {
    sf::Write("s.wav", sf::Wav(samples, 1, rate));
    return LoadSound("s.wav", buffers, -1);
}

// The sample the device played `ms` after the recording was cleared (left or right).
int At(int ms, int channel = 0) {
    const std::vector<int16_t>& rec = script::AudioPlayed();
    size_t i = static_cast<size_t>(ms) * 441 / 10 * 2 + channel;
    return i < rec.size() ? rec[i] : -99999;
}

// Four starts on three buffers: at most three copies, the fourth restarts the first.
TEST_F(PlayTest, StartsRotateThroughTheBuffersResumeAndShareOneCopy) {
    Start();
    int h = Load(sf::Pcm(44100, 1000), 3);
    script::ClearAudioPlayed();
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(StartSound(h, 1, 1), 0);
        script::AdvanceMs(100);
    }
    script::AdvanceMs(1200);
    EXPECT_EQ(*std::max_element(script::AudioPlayed().begin(), script::AudioPlayed().end()), 3000);
    EXPECT_EQ(At(50), 1000);
    EXPECT_EQ(At(150, 1), 2000);
    EXPECT_EQ(At(1050), 3000);  // buffers 1 and 2, and 0 restarted at 300 ms
    EXPECT_EQ(At(1250), 1000);
    EXPECT_EQ(At(1400), 0);
    EXPECT_EQ(CheckSoundPlaying(h), 0);

    // From the top or not: a playing buffer is left alone, a stopped one resumes.
    h = Load(sf::Pcm(44100, 1000));
    script::ClearAudioPlayed();
    ASSERT_EQ(StartSound(h, 1, 1), 0);
    script::AdvanceMs(500);
    EXPECT_EQ(StartSound(h, 1, 0), 0);  // playing: nothing happens
    script::AdvanceMs(300);
    EXPECT_EQ(StopSound(h), 0);
    script::AdvanceMs(200);  // stopped at 800 of 1000 ms
    EXPECT_EQ(CheckSoundPlaying(h), 0);
    ASSERT_EQ(StartSound(h, 1, 0), 0);  // resumes: 200 ms left
    script::AdvanceMs(600);
    EXPECT_EQ(At(700), 1000);
    EXPECT_EQ(At(900), 0);
    EXPECT_EQ(At(1100), 1000);
    EXPECT_EQ(At(1300), 0);
    // Played to its end, a buffer starts from the beginning again.
    script::ClearAudioPlayed();
    ASSERT_EQ(StartSound(h, 1, 0), 0);
    script::AdvanceMs(1200);
    EXPECT_EQ(At(900), 1000);

    // Sounds loaded with buffers share one copy of their samples and go at shutdown.
    const size_t before = TrackedTotalSize();
    int one = Load(sf::Pcm(44100, 1), 1);
    const size_t oneBuffer = TrackedTotalSize() - before;
    int ten = Load(sf::Pcm(44100, 1), 12);  // more than 10 counts as 10
    EXPECT_EQ(TrackedTotalSize() - before, 2 * oneBuffer);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(StartSound(ten, 3, 1), 0);
    EXPECT_EQ(StartSound(one, 3, 1), 0);
    script::ClearAudioPlayed();
    script::AdvanceMs(100);
    EXPECT_EQ(At(50), 11);
    EndMediaLayer();  // deletes the sounds that are still loaded
    EXPECT_TRUE(Logged("DirectSound の終了処理は正常に終了しました"));
    EXPECT_EQ(TrackedTotalSize(), 0u);
}

// Volume 0..255 in hundredths of a decibel (255: 0, 128: -299, 60: -628, 1: -2406,
// 0: silent but playing; above 255 counts as 255), applied as the gain 10^(mB/2000).
TEST_F(PlayTest, MixerVolumesResamplingSaturationTypeZeroHandlesAndTheTable) {
    Start();
    int h = Load(sf::Pcm(44100 * 2, 20000));
    const struct {
        int volume, millibels;
    } table[] = {{255, 0}, {128, -299}, {60, -628}, {1, -2406}, {300, 0}, {0, -10000}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.volume);
        ASSERT_EQ(SetSoundVolume(row.volume, h), 0);
        script::ClearAudioPlayed();
        ASSERT_EQ(StartSound(h, 1, 1), 0);
        script::AdvanceMs(100);
        EXPECT_NEAR(At(50), 20000 * pow(10.0, row.millibels / 2000.0), 1.0);
        EXPECT_EQ(CheckSoundPlaying(h), 1);
    }
    StopSound(h);

    // 22050 Hz: every second output frame is a source frame, the others halfway.
    std::vector<int16_t> ramp;
    for (int i = 0; i < 22050; ++i) ramp.push_back(static_cast<int16_t>((i % 200) * 100));
    h = Load(ramp, 1, 22050);
    script::ClearAudioPlayed();
    ASSERT_EQ(StartSound(h, 1, 1), 0);
    script::AdvanceMs(1100);
    const std::vector<int16_t>& rec = script::AudioPlayed();
    size_t first = 0;
    while (first < rec.size() && rec[first] == 0) first += 2;
    first -= 2;                      // the ramp starts at 0
    for (int k = 0; k < 150; ++k) {  // right = left; halfway frames in between
        ASSERT_EQ(rec[first + 4 * k], ramp[k]) << k;
        ASSERT_EQ(rec[first + 4 * k + 1], ramp[k]) << k;
        ASSERT_EQ(rec[first + 4 * k + 2], ramp[k] + 50) << k;
    }
    EXPECT_EQ(At(1050), 0);  // one second of output, then the end
    int loud = Load(sf::Pcm(4410, 30000), 2);
    script::ClearAudioPlayed();
    StartSound(loud, 1, 1);
    StartSound(loud, 1, 1);
    script::AdvanceMs(50);
    EXPECT_EQ(At(20), 32767);

    // Play type 0 waits until the end; handles are checked; the table is finite.
    h = Load(sf::Pcm(22050, 500));
    const uint32_t before = script::NowMs();
    ASSERT_EQ(StartSound(h, 0, 1), 0);
    EXPECT_GE(script::NowMs() - before, 500u - 24);  // within a device period
    EXPECT_EQ(CheckSoundPlaying(h), 0);
    // A stale handle: its slot deleted and taken by a new sound.
    ASSERT_EQ(DeleteSound(h), 0);
    int again = Load(sf::Pcm(100, 1));
    EXPECT_EQ(again & 0xFFFF, h & 0xFFFF);
    EXPECT_EQ(again & 0x78000000, 0x10000000);
    for (int bad : {h, -1, again + 1}) {
        EXPECT_EQ(StartSound(bad, 1, 1), -1);
        EXPECT_EQ(SetSoundVolume(255, bad), -1);
        EXPECT_EQ(CheckSoundPlaying(bad), -1);
        EXPECT_EQ(DeleteSound(bad), -1);
    }
    EXPECT_EQ(StartSound(again, 1, 1), 0);
    int loaded = 4;  // the table holds 4096 sounds; four are loaded here
    while (loaded <= 4096 && LoadSound("s.wav", 1, -1) != -1) ++loaded;
    EXPECT_EQ(loaded, 4096);
    EXPECT_TRUE(Logged("サウンドの数が許容量を越えました"));
}

using NoDeviceTest = LayerTest;

TEST_F(NoDeviceTest, EveryCallAnswersWithoutADevice) {
    script::FailAudioOpen(true);
    Start();
    EXPECT_TRUE(Logged("サウンドデバイスを開けませんでした：no scripted sound device"));
    EXPECT_EQ(Load(sf::Pcm(100, 1)), -1);
    EXPECT_EQ(StartSound(0x10000000, 1, 1), -1);
    EXPECT_EQ(SetSoundVolume(255, 0x10000000), -1);
    EXPECT_EQ(PlayMusicFile("s.wav", 3), -1);
    EXPECT_EQ(SetMusicVolume(60), -1);
    EXPECT_EQ(HaltMusic(), 0);
    EXPECT_EQ(ProcessMessage(), 0);
    EndMediaLayer();
    EXPECT_FALSE(Logged("DirectSound の終了処理"));
}

}  // namespace
