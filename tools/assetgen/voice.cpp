// voice.cpp - the level-up voice "Level up!". Spoken by espeak-ng (whose output is the
// same bytes on every run) and dressed as an arcade announcer: doubled, brightened, with
// a short echo. If espeak-ng is missing or its output does not parse, a small formant
// synthesiser says the same three syllables instead.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/synth.h"

namespace assetgen {

namespace {

uint32_t ReadU32(const std::vector<uint8_t>& b, size_t o) {
    return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (static_cast<uint32_t>(b[o + 3]) << 24);
}

// Reads a 16-bit PCM mono WAV from memory; every offset is checked. Empty on failure.
Pcm ParseWav16(const std::vector<uint8_t>& b) {
    Pcm out;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return out;
    size_t pos = 12;
    int channels = 0, bits = 0, rate = 0;
    while (pos + 8 <= b.size()) {
        const uint32_t size = ReadU32(b, pos + 4);
        const size_t body = pos + 8;
        // espeak-ng writes 0x7FFFFFFF as the data size when it streams to a pipe.
        const size_t avail = b.size() - body;
        const size_t len = std::min<size_t>(size, avail);
        if (std::memcmp(b.data() + pos, "fmt ", 4) == 0 && len >= 16) {
            const int format = b[body] | (b[body + 1] << 8);
            channels = b[body + 2] | (b[body + 3] << 8);
            rate = static_cast<int>(ReadU32(b, body + 4));
            bits = b[body + 14] | (b[body + 15] << 8);
            if (format != 1) return out;
        } else if (std::memcmp(b.data() + pos, "data", 4) == 0) {
            if (channels != 1 || bits != 16 || rate < 8000 || rate > 96000) return out;
            out.rate = rate;
            out.channels = 1;
            for (size_t i = 0; i + 1 < len; i += 2) {
                const int16_t v = static_cast<int16_t>(b[body + i] | (b[body + i + 1] << 8));
                out.samples.push_back(v / 32768.0f);
            }
            return out;
        }
        if (size > avail) break;
        pos = body + size + (size & 1);
    }
    return Pcm();
}

Pcm Speak() {
    std::vector<uint8_t> bytes;
    FILE* p =
        popen("espeak-ng -v en-us -s 140 -p 62 -a 160 --stdout \"Level up!\" 2>/dev/null", "r");
    if (!p) return Pcm();
    uint8_t chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, p)) > 0 && bytes.size() < (8u << 20))
        bytes.insert(bytes.end(), chunk, chunk + n);
    if (pclose(p) != 0) return Pcm();
    return ParseWav16(bytes);
}

Pcm Resample(const Pcm& in, int rate) {
    Pcm out;
    out.rate = rate;
    out.channels = 1;
    if (in.samples.empty() || in.rate <= 0) return out;
    const size_t frames =
        static_cast<size_t>(static_cast<double>(in.samples.size()) * rate / in.rate);
    out.samples.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double src = static_cast<double>(i) * in.rate / rate;
        const size_t a = static_cast<size_t>(src);
        const size_t b = std::min(a + 1, in.samples.size() - 1);
        const float f = static_cast<float>(src - a);
        out.samples[i] = in.samples[a] * (1 - f) + in.samples[b] * f;
    }
    // Smooth the interpolation images.
    Svf lp;
    for (float& v : out.samples) v = lp.low(v, 6500, 0.7f, static_cast<float>(rate));
    return out;
}

// Formant speech for "le-vel-up": a pulse source through three resonators per vowel.
Pcm FormantVoice() {
    struct Seg {
        float dur, f1, f2, f3, voiced, noise, pitch;
    };
    const Seg segs[] = {
        {0.06f, 360, 1300, 2700, 0.6f, 0.0f, 150},  // l
        {0.12f, 560, 1800, 2500, 1.0f, 0.0f, 165},  // e
        {0.06f, 300, 1400, 2400, 0.5f, 0.3f, 160},  // v
        {0.07f, 560, 1750, 2500, 1.0f, 0.0f, 150},  // e
        {0.07f, 360, 1200, 2700, 0.6f, 0.0f, 145},  // l
        {0.20f, 640, 1190, 2390, 1.0f, 0.0f, 185},  // u
        {0.05f, 0, 0, 0, 0.0f, 0.0f, 150},          // closure
        {0.03f, 0, 0, 0, 0.0f, 0.8f, 150},          // p burst
    };
    Pcm out;
    out.channels = 1;
    Lcg rng(77);
    float phase = 0;
    float state[3][2] = {{0, 0}, {0, 0}, {0, 0}};
    for (const Seg& s : segs) {
        const int n = static_cast<int>(s.dur * kRate);
        for (int i = 0; i < n; ++i) {
            phase += s.pitch / kRate;
            float src = 0;
            if (phase >= 1) {
                phase -= 1;
                src = s.voiced;
            }
            src += s.noise * rng.signedUnit() * 0.3f;
            float v = 0;
            const float fs[3] = {s.f1, s.f2, s.f3};
            for (int k = 0; k < 3; ++k) {
                if (fs[k] <= 0) {
                    v += src * 0.2f;
                    continue;
                }
                const float r = 0.985f, w = 2.0f * 3.14159265f * fs[k] / kRate;
                const float y = src + 2 * r * std::cos(w) * state[k][0] - r * r * state[k][1];
                state[k][1] = state[k][0];
                state[k][0] = y;
                v += y * (k == 0 ? 1.0f : 0.6f);
            }
            out.samples.push_back(v);
        }
    }
    return out;
}

}  // namespace

void GenerateVoice() {
    Pcm spoken = Speak();
    Pcm voice = spoken.samples.size() > 2000 ? Resample(spoken, kRate) : FormantVoice();
    // Announcer treatment: a slightly delayed double and a short echo.
    Pcm out;
    out.channels = 1;
    const size_t tail = kRate / 4;
    out.samples.assign(voice.samples.size() + tail, 0.0f);
    const size_t dbl = kRate * 12 / 1000, echo = kRate * 110 / 1000;
    for (size_t i = 0; i < voice.samples.size(); ++i) {
        const float v = voice.samples[i];
        out.samples[i] += v;
        out.samples[i + dbl] += v * 0.45f;
        out.samples[i + echo] += v * 0.25f;
    }
    Normalize(out, 0.9f);
    FadeOutEnd(out, 20.0f);
    SaveWav("data/Sound/Voice/Voice_Lvup.wav", out);
}

}  // namespace assetgen
