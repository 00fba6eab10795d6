// effects.cpp - the 17 sound effects. Each is short and has its own shape, so the
// events of a round are told apart by ear: low thuds for landing and drops, bright
// chirps for rotation and menus, rising sparkle for clears, alarms for danger.
#include <string>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/synth.h"

namespace assetgen {

namespace {

Pcm Mono(float seconds) {
    Pcm p;
    p.channels = 1;
    p.samples.assign(static_cast<size_t>(seconds * kRate), 0.0f);
    return p;
}

void Add(Pcm& p, Note n) {
    RenderNote(p.samples, 1, kRate, n, false);
}

Note Blip(float start, float gate, float pitch, Wave w, float gain) {
    return MakeNote(start, gate, pitch, w, gain, Adsr{0.002f, gate, 0.0f, 0.02f});
}

Note Hit(float start, float gate, float pitch, float glide, Wave w, float gain, float cutoff,
         float cutoffEnv, float decay) {
    Note n = Blip(start, gate, pitch, w, gain);
    n.glide = glide;
    n.cutoff = cutoff;
    n.cutoffEnv = cutoffEnv;
    n.cutoffDecay = decay;
    n.env = Adsr{0.001f, gate * 0.6f, 0.0f, gate * 0.4f};
    return n;
}

Pcm Finish(Pcm p, float peak) {
    Normalize(p, peak);
    FadeOutEnd(p, 6.0f);
    return p;
}

Pcm BlockLanding() {  // every lock: a solid thud with a wooden click
    Pcm p = Mono(0.16f);
    Add(p, Hit(0, 0.14f, 40, -14, Wave::Sine, 0.9f, 0, 0, 0.1f));
    Add(p, Hit(0, 0.03f, 84, -12, Wave::Noise, 0.35f, 1800, 2500, 0.01f));
    Add(p, Hit(0, 0.05f, 64, -5, Wave::Triangle, 0.5f, 0, 0, 0.1f));
    return Finish(p, 0.85f);
}

Pcm Rotation() {  // a quick upward chirp
    Pcm p = Mono(0.07f);
    Note n = Hit(0, 0.06f, 81, 7, Wave::Square, 0.35f, 3500, 3000, 0.03f);
    Add(p, n);
    return Finish(p, 0.55f);
}

Pcm Select() {  // a crisp tick for the menu cursor
    Pcm p = Mono(0.06f);
    Add(p, Blip(0, 0.04f, 91, Wave::Triangle, 0.6f));
    Add(p, Blip(0, 0.015f, 103, Wave::Sine, 0.3f));
    return Finish(p, 0.6f);
}

Pcm Decide() {  // a two-note chime, rising a fifth
    Pcm p = Mono(0.42f);
    for (int k = 0; k < 2; ++k) {
        Note n = Blip(k * 0.08f, 0.3f, k == 0 ? 88 : 95, Wave::Sine, 0.5f);
        n.wave2 = Wave::Sine;
        n.mix2 = 0.35f;
        n.detune2 = 12.02f;
        n.env = Adsr{0.002f, 0.3f, 0.0f, 0.05f};
        Add(p, n);
        Add(p, Blip(k * 0.08f, 0.06f, k == 0 ? 76 : 83, Wave::Square, 0.12f));
    }
    return Finish(p, 0.8f);
}

Pcm DeleteLine() {  // clearing rows: a bright sweep with a sparkle on top
    Pcm p = Mono(0.5f);
    Note sweep = Hit(0, 0.42f, 60, 0, Wave::Noise, 0.45f, 900, 6000, 0.15f);
    sweep.env = Adsr{0.01f, 0.35f, 0.0f, 0.06f};
    Add(p, sweep);
    const float notes[4] = {84, 88, 91, 96};
    for (int k = 0; k < 4; ++k) Add(p, Blip(k * 0.045f, 0.2f, notes[k], Wave::Pulse25, 0.28f));
    return Finish(p, 0.85f);
}

Pcm ConfigSelect() {  // entering an edit or choosing host/join: a firm rising "bweep"
    Pcm p = Mono(0.18f);
    Add(p, Hit(0, 0.16f, 67, 12, Wave::Square, 0.4f, 1200, 4000, 0.08f));
    Add(p, Blip(0.05f, 0.1f, 91, Wave::Sine, 0.3f));
    return Finish(p, 0.75f);
}

Pcm ConfigCancel() {  // leaving an edit: two falling notes
    Pcm p = Mono(0.22f);
    Add(p, Blip(0, 0.08f, 83, Wave::Triangle, 0.5f));
    Add(p, Blip(0.08f, 0.12f, 76, Wave::Triangle, 0.5f));
    return Finish(p, 0.7f);
}

Pcm ScreenShot() {  // a camera shutter: two filtered clicks
    Pcm p = Mono(0.16f);
    Add(p, Hit(0, 0.03f, 60, 0, Wave::Noise, 0.8f, 2500, 5000, 0.01f));
    Add(p, Hit(0.07f, 0.05f, 60, 0, Wave::Noise, 0.7f, 1500, 4000, 0.02f));
    Add(p, Blip(0.07f, 0.02f, 100, Wave::Sine, 0.2f));
    return Finish(p, 0.75f);
}

Pcm AddLine() {  // rows pushed in from below: a menacing rising rumble
    Pcm p = Mono(0.4f);
    Note n = Hit(0, 0.36f, 33, 10, Wave::Saw, 0.6f, 300, 700, 0.2f);
    n.env = Adsr{0.01f, 0.3f, 0.5f, 0.05f};
    n.wave2 = Wave::Square;
    n.mix2 = 0.5f;
    n.detune2 = 0.2f;
    Add(p, n);
    Note grit = Hit(0, 0.36f, 60, 0, Wave::Noise, 0.25f, 400, 300, 0.2f);
    Add(p, grit);
    return Finish(p, 0.9f);
}

Pcm Warning() {  // the fall gauge in danger: two urgent alarm beeps
    Pcm p = Mono(0.34f);
    for (int k = 0; k < 2; ++k) {
        Note n = Blip(k * 0.16f, 0.11f, 86, Wave::Square, 0.4f);
        n.env = Adsr{0.002f, 0.01f, 1.0f, 0.015f};
        n.wave2 = Wave::Square;
        n.mix2 = 0.6f;
        n.detune2 = -4;
        Add(p, n);
    }
    return Finish(p, 0.8f);
}

Pcm Connect() {  // a connection: a quick major arpeggio
    Pcm p = Mono(0.55f);
    const float notes[4] = {72, 76, 79, 84};
    for (int k = 0; k < 4; ++k) {
        Note n = Blip(k * 0.07f, k == 3 ? 0.3f : 0.1f, notes[k], Wave::Pulse25, 0.35f);
        n.env = Adsr{0.002f, 0.2f, 0.3f, 0.08f};
        Add(p, n);
    }
    return Finish(p, 0.8f);
}

Pcm Quartet() {  // four rows at once: a big chord stab over an explosion
    Pcm p = Mono(0.9f);
    Note boom = Hit(0, 0.7f, 60, 0, Wave::Noise, 0.6f, 300, 8000, 0.12f);
    boom.env = Adsr{0.002f, 0.5f, 0.0f, 0.2f};
    Add(p, boom);
    Add(p, Hit(0, 0.4f, 36, -12, Wave::Sine, 0.8f, 0, 0, 0.1f));
    const float chord[4] = {72, 76, 79, 84};
    for (int k = 0; k < 4; ++k) {
        Note n = Blip(0.02f, 0.5f, chord[k], Wave::Saw, 0.18f);
        n.env = Adsr{0.005f, 0.4f, 0.2f, 0.3f};
        n.cutoff = 1500;
        n.cutoffEnv = 5000;
        n.cutoffDecay = 0.2f;
        Add(p, n);
    }
    for (int k = 0; k < 6; ++k)
        Add(p, Blip(0.1f + k * 0.04f, 0.08f, 96 + (k % 3) * 4, Wave::Sine, 0.15f));
    return Finish(p, 0.92f);
}

Pcm Lock() {  // a hard drop settling: a short, hard click
    Pcm p = Mono(0.05f);
    Add(p, Hit(0, 0.03f, 60, 0, Wave::Noise, 0.5f, 3000, 4000, 0.005f));
    Add(p, Blip(0, 0.02f, 95, Wave::Square, 0.25f));
    return Finish(p, 0.6f);
}

Pcm LevelUp() {  // level up: a fast fanfare arpeggio
    Pcm p = Mono(0.8f);
    const float notes[6] = {72, 76, 79, 84, 88, 91};
    for (int k = 0; k < 6; ++k) {
        Note n = Blip(k * 0.06f, k == 5 ? 0.35f : 0.07f, notes[k], Wave::Square, 0.28f);
        n.env = Adsr{0.002f, 0.1f, 0.6f, 0.08f};
        n.vibrato = k == 5 ? 0.25f : 0.0f;
        Add(p, n);
        Add(p, Blip(k * 0.06f, 0.05f, notes[k] + 12, Wave::Sine, 0.12f));
    }
    return Finish(p, 0.85f);
}

Pcm HardDrop() {  // a whoosh down into a heavy slam
    Pcm p = Mono(0.26f);
    Note whoosh = Hit(0, 0.12f, 60, 0, Wave::Noise, 0.35f, 2500, -2000, 0.2f);
    whoosh.env = Adsr{0.03f, 0.06f, 0.5f, 0.03f};
    Add(p, whoosh);
    Add(p, Hit(0.09f, 0.15f, 45, -18, Wave::Sine, 0.9f, 0, 0, 0.1f));
    Add(p, Hit(0.09f, 0.04f, 60, 0, Wave::Noise, 0.4f, 1200, 2000, 0.02f));
    return Finish(p, 0.9f);
}

Pcm BlockLanding2() {  // the piece first touches down: a soft tap
    Pcm p = Mono(0.07f);
    Add(p, Hit(0, 0.06f, 62, -7, Wave::Triangle, 0.6f, 0, 0, 0.1f));
    return Finish(p, 0.5f);
}

Pcm Result() {  // the game clear: a short victory jingle
    Pcm p = Mono(1.6f);
    const float melody[6] = {79, 84, 88, 86, 88, 91};
    const float times[6] = {0, 0.12f, 0.24f, 0.42f, 0.54f, 0.7f};
    const float gates[6] = {0.1f, 0.1f, 0.16f, 0.1f, 0.14f, 0.7f};
    for (int k = 0; k < 6; ++k) {
        Note n = Blip(times[k], gates[k], melody[k], Wave::Pulse25, 0.3f);
        n.env = Adsr{0.003f, 0.1f, 0.7f, 0.12f};
        n.vibrato = k == 5 ? 0.3f : 0.0f;
        Add(p, n);
        Note h = n;
        h.pitch -= 4;
        h.wave = Wave::Triangle;
        h.gain = 0.25f;
        Add(p, h);
    }
    const float chord[3] = {60, 64, 67};
    for (int k = 0; k < 3; ++k) {
        Note n = Blip(0.7f, 0.7f, chord[k], Wave::Saw, 0.12f);
        n.env = Adsr{0.01f, 0.3f, 0.6f, 0.18f};
        n.cutoff = 1800;
        Add(p, n);
    }
    return Finish(p, 0.85f);
}

}  // namespace

void GenerateSoundEffects() {
    struct Entry {
        const char* file;
        Pcm (*make)();
    };
    static const Entry entries[17] = {
        {"BlockLanding.wav", BlockLanding},
        {"Rotation.wav", Rotation},
        {"Select.wav", Select},
        {"Decide.wav", Decide},
        {"DeleteLine.wav", DeleteLine},
        {"ConfigSelect.wav", ConfigSelect},
        {"ConfigCancel.wav", ConfigCancel},
        {"ScreenShot.wav", ScreenShot},
        {"AddLine.wav", AddLine},
        {"Warning.wav", Warning},
        {"Connect.wav", Connect},
        {"Quartet.wav", Quartet},
        {"Lock.wav", Lock},
        {"Lvup.wav", LevelUp},
        {"HardDrop.wav", HardDrop},
        {"BlockLanding2.wav", BlockLanding2},
        {"Result.wav", Result},
    };
    for (const Entry& e : entries) SaveWav(std::string("data/Sound/Effect/") + e.file, e.make());
}

}  // namespace assetgen
