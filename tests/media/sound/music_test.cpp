// music_test.cpp - streamed music as the device plays it: loops that join without a
// gap, also through stalls of the main thread and of the pump (so the ring must stay
// well ahead), the end of a type-1 track, HaltMusic, and the stream entry rules.
#include <gtest/gtest.h>

#include "media/core/api_lock.h"
#include "tests/media/sound/sound_files.h"
#include "tests/support/layer_fixture.h"

namespace {

namespace sf = sound_files;

using MusicTest = LayerTest;

// The first frame of the recording that is not silent (its end when none is).
size_t FirstSound() {
    const std::vector<int16_t>& rec = script::AudioPlayed();
    size_t f = 0;
    while (f < rec.size() / 2 && rec[2 * f] == 0) ++f;
    return f;
}

// Frames of the recording from `start` that equal the looped track (left).
size_t MatchingRun(const std::vector<int16_t>& track, size_t start) {
    const std::vector<int16_t>& rec = script::AudioPlayed();
    size_t n = 0;
    while ((start + n) * 2 < rec.size() && rec[(start + n) * 2] == track[n % track.size()]) ++n;
    return n;
}

// A looped track crosses its end with no gap: the recording is the track, again
// and again, sample for sample - also while the main thread is blocked for 2 s at a
// time and while the pump stalls for 2.5 s (the queue holds 3 to 4 s).
TEST_F(MusicTest, LoopsAreSeamlessTypeOneEndsHaltIsHarmlessAndStreamEntriesPlayInTurn) {
    Start();
    std::vector<int16_t> track = sf::Pattern(44100 * 7 / 2);  // 3.5 s
    sf::Write("m.wav", sf::Wav(track, 1, 44100));
    script::ClearAudioPlayed();
    ASSERT_EQ(PlayMusicFile("m.wav", 3), 0);
    for (int i = 0; i < 4; ++i) script::AdvanceMs(2000);
    EnterApiLock();  // the pump cannot run
    script::AdvanceMs(2500);
    LeaveApiLock();
    script::AdvanceMs(1000);
    const size_t start = FirstSound();
    EXPECT_LT(start, 2048u);
    EXPECT_GE(MatchingRun(track, start), 44100u * 11);

    // An MP3 loop: the decoder cuts the encoder's delay and padding, so each pass is
    // exactly as long as the source and the passes are the same samples.
    ASSERT_TRUE(sf::Run("sox -n -r 44100 -c 1 -b 16 t.wav synth 1 sine 441 vol 0.5"));
    ASSERT_TRUE(sf::Run("lame --quiet -b 128 t.wav t.mp3"));
    script::ClearAudioPlayed();
    ASSERT_EQ(PlayMusicFile("t.mp3", 3), 0);
    script::AdvanceMs(3200);
    const std::vector<int16_t>& rec = script::AudioPlayed();
    const size_t first = FirstSound();
    ASSERT_LT(first, 4096u);
    int worstStep = 0, worstRepeat = 0;
    for (size_t f = first + 2; f < first + 2 * 44100; ++f) {
        worstStep = std::max(worstStep, abs(rec[2 * f] - rec[2 * f - 2]));
        worstRepeat = std::max(worstRepeat, abs(rec[2 * f] - rec[2 * (f + 44100)]));
    }
    EXPECT_LE(worstStep, 1200);  // a 441 Hz sine of 16384 moves at most 1029 a frame
    EXPECT_LE(worstRepeat, 2);

    // The tracks are longer than the first fill, so their end is met by a top-up.
    std::vector<int16_t> five = sf::Pattern(44100 * 5);
    sf::Write("m.wav", sf::Wav(five, 1, 44100));
    script::ClearAudioPlayed();
    ASSERT_EQ(PlayMusicFile("m.wav", 1), 0);
    ASSERT_EQ(SetMusicVolume(255), 0);
    script::AdvanceMs(5500);
    const size_t begin = FirstSound();
    EXPECT_EQ(MatchingRun(five, begin), 44100u * 5);
    for (size_t i = (begin + 44100 * 5) * 2; i < rec.size(); ++i) ASSERT_EQ(rec[i], 0) << i;
    // A streamed sound of type 1 stops after its data.
    ASSERT_EQ(SetSoundCreateMode(2), 0);
    int h = LoadSound("m.wav", 1, -1);
    ASSERT_EQ(StartSound(h, 1, 1), 0);
    script::AdvanceMs(4900);
    EXPECT_EQ(CheckSoundPlaying(h), 1);
    script::AdvanceMs(200);
    EXPECT_EQ(CheckSoundPlaying(h), 0);

    ASSERT_EQ(PlayMusicFile("m.wav", 3), 0);
    EXPECT_EQ(SetMusicVolume(60), 0);
    EXPECT_EQ(HaltMusic(), 0);
    EXPECT_EQ(HaltMusic(), 0);
    EXPECT_EQ(SetMusicVolume(60), 0);
    script::ClearAudioPlayed();
    script::AdvanceMs(200);
    for (int16_t v : script::AudioPlayed()) ASSERT_EQ(v, 0);
    EXPECT_EQ(PlayMusicFile("none.mp3", 3), -1);
    EXPECT_TRUE(Logged("ミュージックファイル none.mp3 の読み込みに失敗しました in LoadMusicMem"));

    // Entries play one after the other with their repeats; the rules of adding them.
    std::vector<int16_t> a = sf::Pattern(4410), b = sf::Pcm(4410, 777);
    sf::Write("a.wav", sf::Wav(a, 1, 44100));
    sf::Write("b.wav", sf::Wav(b, 1, 44100));
    sf::Write("s.wav", sf::Wav(a, 1, 22050));
    ASSERT_EQ(SetSoundCreateMode(2), 0);
    h = LoadSound("a.wav", 1, -1);
    ASSERT_EQ(AddStreamSoundFile("b.wav", 1, h), 0);  // twice
    EXPECT_EQ(AddStreamSoundFile("s.wav", 0, h), -1);
    EXPECT_TRUE(Logged("フォーマットの違う音声データは同時に使うことは出来ません"));
    ASSERT_EQ(SetSoundCreateMode(0), 0);
    ASSERT_EQ(AddStreamSoundFile("a.wav", 0, h), 0);  // decoded first
    EXPECT_EQ(AddStreamSoundFile("a.wav", 0, h), -1);
    EXPECT_TRUE(Logged("ストリーム風サウンドの制御データ領域がいっぱいです"));
    int plain = LoadSound("a.wav", 1, -1);
    EXPECT_EQ(AddStreamSoundFile("a.wav", 0, plain), -1);
    EXPECT_TRUE(
        Logged("ストリーム風サウンドではないサウンドデータが渡されました in AddSreamSound"));
    ASSERT_EQ(SetSoundCreateMode(2), 0);
    int playing = LoadSound("b.wav", 1, -1);
    ASSERT_EQ(StartSound(playing, 3, 1), 0);
    EXPECT_EQ(AddStreamSoundFile("b.wav", 0, playing), -1);
    EXPECT_TRUE(Logged("既に再生中のストリームサウンドデータにデータを追加しようとしました"));
    ASSERT_EQ(DeleteSound(playing), 0);
    script::ClearAudioPlayed();
    ASSERT_EQ(StartSound(h, 1, 1), 0);
    script::AdvanceMs(800);
    std::vector<int16_t> want = a;  // a, b twice, a, then silence
    for (const auto* part : {&b, &b, &a}) want.insert(want.end(), part->begin(), part->end());
    want.push_back(0);
    EXPECT_EQ(MatchingRun(want, FirstSound()), want.size());
}

}  // namespace
