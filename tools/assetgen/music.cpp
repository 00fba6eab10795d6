// music.cpp - the six music loops. A small sequencer writes drums, bass, pads, arpeggio
// and a motif-based lead into a buffer that wraps at the loop length, so every note
// that rings over the end continues at the start and the loop has no seam; the echo is
// run twice round the loop for the same reason. Then the loop is encoded to MP3.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/synth.h"

namespace assetgen {

namespace {

enum class Groove { Anthem, Drive, Rush, Calm, Battle };

struct TrackDef {
    const char* file;
    float bpm;
    int key;  // MIDI tonic of the bass octave + 12
    bool minor;
    std::vector<int> chords;  // scale degree of the chord root, one per bar
    Groove groove;
    Wave lead;
    uint32_t seed;
    float leadGain;
};

const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};

int ScaleNote(const TrackDef& t, int degree) {
    const int* sc = t.minor ? kMinor : kMajor;
    const int oct = degree >= 0 ? degree / 7 : -((-degree + 6) / 7);
    const int d = degree - oct * 7;
    return t.key + oct * 12 + sc[d];
}

struct Song {
    const TrackDef& def;
    float step;                    // seconds per sixteenth
    std::vector<float> main, bus;  // stereo: dry mix and the echo bus
    void add(Note n, bool echo = false) { RenderNote(echo ? bus : main, 2, kRate, n, true); }
};

void Kick(Song& s, float t, float gain) {
    Note n = MakeNote(t, 0.12f, 45, Wave::Sine, gain, Adsr{0.001f, 0.1f, 0.0f, 0.08f});
    n.glide = -22;
    s.add(n);
    Note click =
        MakeNote(t, 0.006f, 60, Wave::Noise, gain * 0.25f, Adsr{0.0005f, 0.005f, 0.0f, 0.004f});
    click.cutoff = 3000;
    s.add(click);
}

void Snare(Song& s, float t, float gain, uint32_t seed) {
    Note body =
        MakeNote(t, 0.05f, 55, Wave::Triangle, gain * 0.6f, Adsr{0.001f, 0.05f, 0.0f, 0.05f});
    body.glide = -5;
    s.add(body);
    Note noise = MakeNote(t, 0.1f, 60, Wave::Noise, gain, Adsr{0.001f, 0.1f, 0.0f, 0.08f});
    noise.cutoff = 2500;
    noise.cutoffEnv = 5000;
    noise.cutoffDecay = 0.05f;
    noise.seed = seed;
    s.add(noise);
}

void Hat(Song& s, float t, float gain, bool open, uint32_t seed) {
    Note n = MakeNote(t, open ? 0.12f : 0.02f, 60, Wave::Noise, gain,
                      Adsr{0.001f, open ? 0.1f : 0.02f, 0.0f, open ? 0.06f : 0.02f}, 0.25f);
    n.cutoff = 7000;
    n.highpass = true;
    n.seed = seed;
    s.add(n);
}

void Drums(Song& s, int bar) {
    const float t0 = bar * 16 * s.step;
    const uint32_t seed = 1000 + bar * 37;
    for (int i = 0; i < 16; ++i) {
        const float t = t0 + i * s.step;
        switch (s.def.groove) {
            case Groove::Anthem:
                if (i == 0 || i == 8 || (i == 10 && bar % 2)) Kick(s, t, 0.9f);
                if (i == 4 || i == 12) Snare(s, t, 0.45f, seed + i);
                if (i % 2 == 0) Hat(s, t, 0.1f, false, seed + i);
                break;
            case Groove::Drive:
                if (i == 0 || i == 6 || i == 8 || (i == 14 && bar % 2)) Kick(s, t, 0.9f);
                if (i == 4 || i == 12) Snare(s, t, 0.5f, seed + i);
                if (i % 2 == 0) Hat(s, t, 0.1f, i % 4 == 2, seed + i);
                break;
            case Groove::Rush:
                if (i % 4 == 0) Kick(s, t, 0.9f);
                if (i == 4 || i == 12 || (i == 15 && bar % 4 == 3)) Snare(s, t, 0.5f, seed + i);
                Hat(s, t, i % 2 ? 0.06f : 0.11f, i % 4 == 2, seed + i);
                break;
            case Groove::Calm:
                if (i == 0 || (i == 10 && bar % 2 == 0)) Kick(s, t, 0.55f);
                if (i == 8) Snare(s, t, 0.18f, seed + i);
                if (i % 2 == 0) Hat(s, t, 0.05f, false, seed + i);
                break;
            case Groove::Battle:
                if (i % 4 == 0 || i == 3 || i == 11) Kick(s, t, 0.9f);
                if (i == 4 || i == 12) Snare(s, t, 0.55f, seed + i);
                if (bar % 4 == 3 && i >= 12) Snare(s, t, 0.35f, seed + 50 + i);
                Hat(s, t, i % 2 ? 0.06f : 0.1f, false, seed + i);
                break;
        }
    }
}

void Bass(Song& s, int bar) {
    const float t0 = bar * 16 * s.step;
    const int root = ScaleNote(s.def, s.def.chords[bar]) - 24;
    const Adsr env{0.003f, 0.08f, 0.6f, 0.04f};
    auto note = [&](int i, int len, int pitch) {
        Note n = MakeNote(t0 + i * s.step, len * s.step * 0.85f, static_cast<float>(pitch),
                          Wave::Saw, 0.32f, env);
        n.cutoff = 400;
        n.cutoffEnv = 1400;
        n.cutoffDecay = 0.06f;
        n.wave2 = Wave::Square;
        n.mix2 = 0.4f;
        n.detune2 = -12;
        s.add(n);
    };
    switch (s.def.groove) {
        case Groove::Calm:
            note(0, 6, root);
            note(6, 2, root + 7);
            note(8, 8, root);
            break;
        case Groove::Anthem:
            for (int i = 0; i < 16; i += 2) note(i, 2, root + ((i / 2) % 4 == 3 ? 12 : 0));
            break;
        default:
            for (int i = 0; i < 16; i += 2) note(i, 2, root + (i % 4 == 2 ? 12 : 0));
            break;
    }
}

void Pad(Song& s, int bar) {
    const float t0 = bar * 16 * s.step;
    const int deg = s.def.chords[bar];
    const float gain = s.def.groove == Groove::Calm ? 0.09f : 0.06f;
    for (int k = 0; k < 3; ++k) {
        Note n =
            MakeNote(t0, 16 * s.step * 0.95f, static_cast<float>(ScaleNote(s.def, deg + 2 * k)),
                     Wave::Saw, gain, Adsr{0.08f, 0.3f, 0.8f, 0.25f},
                     k == 0   ? -0.5f
                     : k == 1 ? 0.5f
                              : 0.0f);
        n.wave2 = Wave::Saw;
        n.mix2 = 0.8f;
        n.detune2 = 0.12f;
        n.cutoff = s.def.groove == Groove::Calm ? 1400 : 1000;
        s.add(n);
    }
}

void Arp(Song& s, int bar) {
    const float t0 = bar * 16 * s.step;
    const int deg = s.def.chords[bar];
    static const int order[8] = {0, 2, 4, 7, 9, 7, 4, 2};
    const bool fast = s.def.groove == Groove::Rush || s.def.groove == Groove::Battle;
    const int every = s.def.groove == Groove::Calm ? 2 : 1;
    for (int i = 0; i < 16; i += every) {
        const int tone = ScaleNote(s.def, deg + order[(i / every) % 8]) + 12;
        Note n = MakeNote(t0 + i * s.step, s.step * 0.5f, static_cast<float>(tone),
                          s.def.groove == Groove::Calm ? Wave::Triangle : Wave::Pulse25,
                          fast ? 0.07f : 0.08f, Adsr{0.002f, 0.08f, 0.2f, 0.05f},
                          (i % 4 < 2) ? -0.4f : 0.4f);
        n.cutoff = 2500;
        n.cutoffEnv = 3000;
        n.cutoffDecay = 0.05f;
        s.add(n, true);
    }
}

// The lead: a two-bar motif of rhythm and scale degrees, moved onto each bar's chord.
void Lead(Song& s) {
    Lcg rng(s.def.seed);
    // Rhythm templates (start step, length) for a bar.
    static const int rhythms[4][8][2] = {
        {{0, 3}, {3, 3}, {6, 2}, {8, 4}, {12, 2}, {14, 2}, {-1, 0}, {-1, 0}},
        {{0, 2}, {2, 2}, {4, 4}, {8, 2}, {10, 2}, {12, 4}, {-1, 0}, {-1, 0}},
        {{0, 4}, {4, 2}, {6, 2}, {8, 6}, {14, 2}, {-1, 0}, {-1, 0}, {-1, 0}},
        {{0, 6}, {6, 2}, {8, 8}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}},
    };
    const int pick = static_cast<int>(rng.next() % 3);
    int degrees[2][8];
    for (int b = 0; b < 2; ++b) {
        int d = b == 0 ? 4 : 2;
        for (int k = 0; k < 8; ++k) {
            const int start = rhythms[b == 0 ? pick : (pick + 1) % 3][k][0];
            if (start < 0) break;
            if (start == 0 || start == 8) {
                static const int chordTones[4] = {0, 2, 4, 7};
                d = chordTones[rng.next() % 4];
            } else {
                d += static_cast<int>(rng.next() % 5) - 2;
                d = std::clamp(d, -1, 9);
            }
            degrees[b][k] = d;
        }
    }
    const int bars = static_cast<int>(s.def.chords.size());
    for (int bar = 0; bar < bars; ++bar) {
        const int phraseBar = bar % 2;
        const bool cadence = (bar % 8) == 7 || bar == bars - 1;
        const int tpl = cadence ? 3 : (phraseBar == 0 ? pick : (pick + 1) % 3);
        const int deg = s.def.chords[bar];
        for (int k = 0; k < 8; ++k) {
            const int start = rhythms[tpl][k][0];
            if (start < 0) break;
            const int len = rhythms[tpl][k][1];
            int d = cadence ? (k == 0 ? 4 : k == 1 ? 2 : 0) : degrees[phraseBar][k];
            // Rest now and then so the tune breathes.
            if (!cadence && k > 0 && (rng.next() % 7) == 0) continue;
            const float pitch = static_cast<float>(ScaleNote(s.def, deg + d) + 12);
            Note n = MakeNote((bar * 16 + start) * s.step, len * s.step * 0.9f, pitch, s.def.lead,
                              s.def.leadGain, Adsr{0.01f, 0.15f, 0.7f, 0.08f}, 0.1f);
            n.wave2 = Wave::Sine;
            n.mix2 = 0.5f;
            n.detune2 = 12;
            n.vibrato = len >= 4 ? 0.18f : 0.0f;
            n.cutoff = 3200;
            n.cutoffEnv = 2500;
            n.cutoffDecay = 0.1f;
            s.add(n, true);
        }
    }
}

// Feedback echo over the wrapping bus: two passes round the loop so the echo tail of
// the end is already present at the start.
void Echo(Song& s, float seconds, float feedback, float wet) {
    const size_t frames = s.bus.size() / 2;
    const size_t delay = static_cast<size_t>(seconds * kRate);
    if (delay == 0 || delay >= frames) return;
    std::vector<float> line(delay * 2, 0.0f);
    size_t w = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < frames; ++i) {
            const float l = line[w * 2], r = line[w * 2 + 1];
            const float inL = s.bus[i * 2], inR = s.bus[i * 2 + 1];
            // Ping-pong: each repeat crosses to the other side.
            line[w * 2] = inL * 0.5f + r * feedback;
            line[w * 2 + 1] = inR * 0.5f + l * feedback;
            if (pass == 1) {
                s.main[i * 2] += inL + l * wet;
                s.main[i * 2 + 1] += inR + r * wet;
            }
            w = (w + 1) % delay;
        }
    }
}

Pcm Render(const TrackDef& def) {
    Song s{def, 60.0f / def.bpm / 4.0f, {}, {}};
    const int bars = static_cast<int>(def.chords.size());
    const size_t frames = static_cast<size_t>(std::lround(bars * 16 * s.step * kRate));
    s.main.assign(frames * 2, 0.0f);
    s.bus.assign(frames * 2, 0.0f);
    for (int bar = 0; bar < bars; ++bar) {
        Drums(s, bar);
        Bass(s, bar);
        Pad(s, bar);
        Arp(s, bar);
    }
    Lead(s);
    Echo(s, s.step * 3, 0.35f, 0.45f);
    Pcm out;
    out.channels = 2;
    out.samples = std::move(s.main);
    // Gentle saturation glues the mix; music peaks well below the effects.
    Normalize(out, 1.0f);
    for (float& v : out.samples) v = std::tanh(v * 1.3f) / std::tanh(1.3f);
    Normalize(out, 0.72f);
    return out;
}

}  // namespace

void GenerateMusic() {
    // Bars are chosen so every loop lasts between about 16 and 21 seconds.
    const TrackDef tracks[6] = {
        {"BGM000.mp3",
         112,
         57,
         true,
         {0, 5, 2, 6, 0, 5, 3, 4},
         Groove::Anthem,
         Wave::Saw,
         11,
         0.18f},
        {"BGM001.mp3",
         126,
         60,
         false,
         {0, 5, 3, 4, 0, 5, 1, 4},
         Groove::Drive,
         Wave::Pulse25,
         23,
         0.2f},
        {"BGM002.mp3",
         138,
         62,
         true,
         {0, 0, 5, 5, 3, 3, 4, 4, 0, 5, 3, 4},
         Groove::Rush,
         Wave::Square,
         37,
         0.17f},
        {"BGM003.mp3",
         148,
         64,
         true,
         {0, 5, 6, 4, 0, 5, 6, 4, 3, 4, 5, 4},
         Groove::Battle,
         Wave::Saw,
         41,
         0.17f},
        {"BGM005.mp3",
         96,
         65,
         false,
         {0, 3, 5, 4, 0, 3, 1, 4},
         Groove::Calm,
         Wave::Triangle,
         53,
         0.22f},
        {"BGM007.mp3",
         160,
         55,
         true,
         {0, 0, 6, 6, 5, 5, 4, 4, 0, 6, 5, 4, 0, 3, 5, 4},
         Groove::Battle,
         Wave::Pulse25,
         67,
         0.17f},
    };
    for (const TrackDef& t : tracks) SaveMp3(std::string("data/Sound/BGM/") + t.file, Render(t));
}

}  // namespace assetgen
