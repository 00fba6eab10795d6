// synth.h - sound synthesis primitives shared by the effects and the music: band-limited
// oscillators, envelopes, a state-variable filter, noise, and note renderers that add a
// voice into a buffer (linear for effects, wrapping for seamless music loops).
#ifndef VORLANE_TOOLS_ASSETGEN_SYNTH_H
#define VORLANE_TOOLS_ASSETGEN_SYNTH_H

#include <cstdint>
#include <vector>

#include "tools/assetgen/canvas.h"  // Lcg

namespace assetgen {

enum class Wave { Sine, Triangle, Saw, Square, Pulse25, Noise };

float MidiHz(float note);

// One oscillator with its own phase; polyBLEP keeps saw and square free of aliasing.
class Osc {
public:
    explicit Osc(Wave w, uint32_t seed = 1) : wave_(w), rng_(seed) {}
    float next(float hz, float rate);

private:
    Wave wave_;
    float phase_ = 0;
    float tri_ = 0;
    Lcg rng_;
};

// Chamberlin state-variable filter (stable for cutoffs below about rate/6).
class Svf {
public:
    float low(float in, float cutoff, float q, float rate);
    float high(float in, float cutoff, float q, float rate);
    // Coefficient form for inner loops: f from Coefficient(), damp = 1 / q.
    static float Coefficient(float cutoff, float rate);
    void stepCoef(float in, float f, float damp);
    float lp() const { return lp_; }
    float hp() const { return hp_; }

private:
    void step(float in, float cutoff, float q, float rate);
    float lp_ = 0, bp_ = 0, hp_ = 0;
};

struct Adsr {
    float attack = 0.005f, decay = 0.1f, sustain = 0.7f, release = 0.1f;
    // Level at time t (s) for a note held `gate` seconds.
    float at(float t, float gate) const;
    float length(float gate) const { return gate + release; }
};

struct Note {
    float start = 0;    // seconds
    float gate = 0.1f;  // seconds held
    float pitch = 60;   // MIDI note (fractional allowed)
    float glide = 0;    // semitones over the note's length (pitch sweep)
    float gain = 0.3f;
    float pan = 0;  // -1 left .. 1 right
    Wave wave = Wave::Square;
    Wave wave2 = Wave::Sine;  // optional second oscillator
    float mix2 = 0;           // its level
    float detune2 = 0;        // its offset in semitones
    Adsr env;
    float cutoff = 0;     // 0: no filter; else low-pass in Hz ...
    float cutoffEnv = 0;  // ... plus this much at the note start, decaying
    float cutoffDecay = 0.1f;
    float q = 0.7f;
    bool highpass = false;  // the filter passes highs instead (hats, hiss)
    float vibrato = 0;      // semitones
    float vibratoHz = 5.5f;
    uint32_t seed = 1;
};

// Adds a note into an interleaved buffer of `channels` at `rate`. With wrap the writes
// go round the end of the buffer (music loops); otherwise they stop at its end.
// A note with the fields every instrument sets; the rest keep their defaults.
Note MakeNote(float start, float gate, float pitch, Wave wave, float gain, Adsr env, float pan = 0);

void RenderNote(std::vector<float>& buf, int channels, int rate, const Note& n, bool wrap);

}  // namespace assetgen

#endif
