// decode_test.cpp - LoadSound's decoders against files written by independent
// encoders (sox, oggenc, lame) and the samples independent decoders give; the WAV
// chunk walk and the MP3 tag walk on crafted and hostile files.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "media/core/tracked_alloc.h"
#include "media/sound/sound_internal.h"
#include "tests/media/sound/sound_files.h"
#include "tests/support/layer_fixture.h"

namespace {

namespace sf = sound_files;

using DecodeTest = LayerTest;

// The loaded sound's samples, or empty when LoadSound failed.
std::vector<int16_t> Loaded(const std::string& path) {
    int h = LoadSound(path.c_str(), 1, -1);
    if (h == -1) return {};
    SoundRecord* s = SoundGet(h);
    return std::vector<int16_t>(s->samples, s->samples + s->frames * s->channels);
}

// What sox decodes the file to (16-bit signed, no dither).
std::vector<int16_t> SoxDecoded(const std::string& path) {
    EXPECT_TRUE(sf::Run("sox -D " + path + " -t raw -e signed -b 16 -L ref.raw"));
    return sf::Samples(logfile::ReadBytes("ref.raw"));
}

// Signal-to-noise ratio of `got` against `want` in dB.
double Snr(const std::vector<int16_t>& got, const std::vector<int16_t>& want) {
    double s = 0, n = 0;
    for (size_t i = 0; i < got.size() && i < want.size(); ++i) {
        s += double(want[i]) * want[i];
        n += double(got[i] - want[i]) * (got[i] - want[i]);
    }
    return 10 * log10(s / (n + 1));
}

// Every PCM depth, mono, and the compressed encodings sox writes decode to sox's own
// samples: 24 and 32 bits keep their top 16 bits where sox rounds (one step apart), and
// compressed blocks may carry a few padding frames at the end.
TEST_F(DecodeTest, DecodersMatchIndependentOnesAndTheTagAndChunkWalksResistHostileFiles) {
    Start();
    // The reference: 0.5 s of a two-tone stereo chord, written by sox.
    ASSERT_TRUE(sf::Run("sox -n -r 22050 -c 2 -b 16 src.wav synth 0.5 sine 440 sine 660 vol 0.8"));
    // clang-format off
    const struct { const char* options; int tolerance; double slack; } cases[] = {
        {"-b 8 -e unsigned", 0, 0}, {"-b 16 -e signed", 0, 0}, {"-b 24 -e signed", 1, 0},
        {"-b 32 -e signed", 1, 0}, {"-c 1", 0, 0}, {"-e ima-adpcm", 16, 2048},
        {"-e ms-adpcm", 16, 2048}, {"-e u-law", 0, 2048}, {"-e a-law", 0, 2048},
        {"-e floating-point -b 32", 1, 2048}, {"-c 1 -r 8000 -e gsm-full-rate", 64, 2048}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        ASSERT_TRUE(sf::Run(std::string("sox src.wav ") + c.options + " w.wav"));
        std::vector<int16_t> got = Loaded("w.wav"), want = SoxDecoded("w.wav");
        ASSERT_FALSE(got.empty());
        EXPECT_NEAR(double(got.size()), double(want.size()), c.slack);
        int worst = 0;
        for (size_t i = 0; i < got.size() && i < want.size(); ++i)
            worst = std::max(worst, abs(got[i] - want[i]));
        EXPECT_LE(worst, c.tolerance);
    }
    EXPECT_TRUE(Logged("サウンドデバイスの初期化... 成功しました"));

    // Ogg keeps the exact length; MP3 is gapless (the encoder's delay and padding are gone,
    // as lame's own decoder does). Between an ID3v2.4 tag with footer in front and an ID3v1
    // trailer behind, both full of bytes that look like frame syncs, with a last frame cut
    // short against the trailer, the decoder gets exactly the whole frames between the tags.
    ASSERT_TRUE(sf::Run("sox src.wav -r 44100 src44.wav"));
    std::vector<int16_t> source = SoxDecoded("src44.wav");
    ASSERT_TRUE(sf::Run("oggenc -Q -q 6 src44.wav -o s.ogg"));
    std::vector<int16_t> ogg = Loaded("s.ogg");
    EXPECT_EQ(ogg.size(), source.size());
    EXPECT_GT(Snr(ogg, source), 25.0);

    ASSERT_TRUE(sf::Run("lame --quiet -b 128 src44.wav s.mp3"));
    ASSERT_TRUE(sf::Run("lame --quiet --decode s.mp3 lame.wav"));
    std::vector<int16_t> mp3 = Loaded("s.mp3"), lame = SoxDecoded("lame.wav");
    EXPECT_EQ(mp3.size(), source.size());
    EXPECT_EQ(mp3.size(), lame.size());
    EXPECT_GT(Snr(mp3, lame), 40.0);
    EXPECT_GT(Snr(mp3, source), 20.0);

    const std::string bare = logfile::ReadBytes("s.mp3");
    std::string body(300, '\xFF');
    for (size_t i = 1; i < body.size(); i += 4) body[i] = '\xFB';
    // Version 4 with the footer flag; 300 as four 7-bit bytes.
    const std::string tag = std::string("ID3\x04\x00\x10\x00\x00\x02\x2C", 10);
    std::string footer = "3DI" + tag.substr(3);
    std::string trailer = "TAG" + std::string(125, '\xFF');
    const std::string cut = bare.substr(0, bare.size() - 50);
    const std::string tagged = tag + body + footer + cut + trailer;
    sf::Write("cut.mp3", cut);
    sf::Write("tagged.mp3", tagged);

    Mp3Info walk;
    ASSERT_EQ(Mp3Walk(reinterpret_cast<const uint8_t*>(tagged.data()), tagged.size(), &walk), 0);
    EXPECT_EQ(walk.tagBytes, 320u);
    EXPECT_EQ(walk.audioStart, 320u);
    EXPECT_LE(walk.audioEnd, tagged.size() - 128 - 50);
    EXPECT_GT(walk.audioEnd, tagged.size() - 128 - 50 - 420);  // one 128 kbit/s frame
    EXPECT_EQ(walk.channels, 2);
    EXPECT_EQ(walk.rate, 44100);
    EXPECT_EQ(walk.averageBytesPerSecond, 16000);

    std::vector<int16_t> plain = Loaded("cut.mp3");
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(Loaded("tagged.mp3"), plain);

    // The chunk walk takes "fmt " first and pads odd chunks.
    std::vector<int16_t> tone = sf::Sine(1000, 44100, 441, 8000);
    sf::Write("list.wav", sf::Wav(tone, 1, 44100, {{"LIST", "INFOabc"}, {"junk", ""}}));
    EXPECT_EQ(Loaded("list.wav"), tone);
    // The same bytes with another chunk in front of "fmt ".
    const std::string plainWav = sf::Wav(tone, 1, 44100);
    const std::string moved =
        plainWav.substr(0, 12) + std::string("LIST\x04\0\0\0INFO", 12) + plainWav.substr(12);
    sf::Write("moved.wav", moved);
    EXPECT_EQ(LoadSound("moved.wav", 1, -1), -1);
    EXPECT_TRUE(Logged("音声ファイルのＰＣＭへの変換に失敗しました"));
    EXPECT_TRUE(Logged("右記の音声ファイルのロードに失敗しました_2：moved.wav"));
    EXPECT_EQ(LoadSound("missing.wav", 1, -1), -1);
    EXPECT_TRUE(Logged("右記のファイルのオープンに失敗しました：missing.wav"));
    EXPECT_TRUE(Logged("右記の音声ファイルのロードに失敗しました_1：missing.wav"));

    // Truncations, zero-sized and overlong chunks, and a 4 GB data claim in a 1 KB
    // file: every one fails cleanly (or loads what is really there) and nothing large
    // is allocated.
    const std::string good = sf::Wav(sf::Sine(200, 44100, 441, 8000), 1, 44100, {{"LIST", "x"}});
    for (size_t cut = 0; cut < good.size(); ++cut) {
        WavInfo w;
        int r = WavWalk(reinterpret_cast<const uint8_t*>(good.data()), cut, &w);
        EXPECT_TRUE(r == -1 || (w.dataOffset + w.dataBytes <= cut)) << cut;
    }
    // A cut header, a 4 GB data chunk claimed in a 1 KB file, a data chunk of no sound,
    // and sizes of "fmt " (0, past the end), "LIST" and "data" past the end.
    const size_t base = TrackedTotalSize();
    std::string claim = sf::Wav(sf::Pcm(400, 1000), 1, 44100);
    claim.resize(1024, '\0');
    std::vector<std::string> bad = {good.substr(0, 40), sf::Wav({}, 1, 44100),
                                    claim.substr(0, 40) + "\xFF\xFF\xFF\xFF" + claim.substr(44)};
    const std::pair<size_t, uint32_t> sizes[] = {
        {16, 0}, {16, 0xFFFFFFF0u}, {40, 0x7FFFFFFFu}, {50, 0xFFFFFFFFu}, {50, 401}};
    for (const auto& [at, size] : sizes) memcpy(&bad.emplace_back(good)[at], &size, 4);
    for (const std::string& file : bad) {
        sf::Write("bad.wav", file);
        EXPECT_EQ(LoadSound("bad.wav", 1, -1), -1) << &file - bad.data();
    }
    EXPECT_EQ(TrackedTotalSize(), base);
}

}  // namespace
