// synth.cpp - oscillators, filter, envelope and the note renderer.
#include "tools/assetgen/synth.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;

float PolyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

}  // namespace

float MidiHz(float note) {
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

float Osc::next(float hz, float rate) {
    const float dt = std::clamp(hz / rate, 0.0f, 0.45f);
    float v = 0;
    switch (wave_) {
        case Wave::Sine:
            v = std::sin(2.0f * kPi * phase_);
            break;
        case Wave::Saw:
            v = 2.0f * phase_ - 1.0f - PolyBlep(phase_, dt);
            break;
        case Wave::Square:
        case Wave::Pulse25:
        case Wave::Triangle: {
            const float pw = wave_ == Wave::Pulse25 ? 0.25f : 0.5f;
            v = phase_ < pw ? 1.0f : -1.0f;
            v += PolyBlep(phase_, dt);
            float t2 = phase_ - pw;
            if (t2 < 0) t2 += 1.0f;
            v -= PolyBlep(t2, dt);
            if (wave_ == Wave::Triangle) {
                // Leaky integration of the square gives a band-limited triangle.
                tri_ = tri_ * 0.999f + v * 4.0f * dt;
                v = tri_;
            }
            break;
        }
        case Wave::Noise:
            v = rng_.signedUnit();
            break;
    }
    phase_ += dt;
    if (phase_ >= 1.0f) phase_ -= 1.0f;
    return v;
}

float Svf::Coefficient(float cutoff, float rate) {
    return 2.0f * std::sin(kPi * std::clamp(cutoff, 20.0f, rate / 6.5f) / rate);
}

void Svf::stepCoef(float in, float f, float damp) {
    lp_ += f * bp_;
    hp_ = in - lp_ - damp * bp_;
    bp_ += f * hp_;
}

void Svf::step(float in, float cutoff, float q, float rate) {
    const float f = Coefficient(cutoff, rate);
    const float damp = 1.0f / std::max(q, 0.5f);
    lp_ += f * bp_;
    hp_ = in - lp_ - damp * bp_;
    bp_ += f * hp_;
}

float Svf::low(float in, float cutoff, float q, float rate) {
    step(in, cutoff, q, rate);
    return lp_;
}

float Svf::high(float in, float cutoff, float q, float rate) {
    step(in, cutoff, q, rate);
    return hp_;
}

float Adsr::at(float t, float gate) const {
    if (t < 0) return 0;
    auto held = [&](float u) {
        if (u < attack) return attack > 0 ? u / attack : 1.0f;
        u -= attack;
        if (u < decay) return 1.0f - (1.0f - sustain) * (decay > 0 ? u / decay : 1.0f);
        return sustain;
    };
    if (t < gate) return held(t);
    const float level = held(gate);
    const float r = t - gate;
    if (r >= release) return 0;
    return level * (1.0f - r / release) * (1.0f - r / release);
}

Note MakeNote(float start, float gate, float pitch, Wave wave, float gain, Adsr env, float pan) {
    Note n;
    n.start = start;
    n.gate = gate;
    n.pitch = pitch;
    n.wave = wave;
    n.gain = gain;
    n.env = env;
    n.pan = pan;
    return n;
}

void RenderNote(std::vector<float>& buf, int channels, int rate, const Note& n, bool wrap) {
    const long total = static_cast<long>(buf.size() / channels);
    if (total == 0) return;
    const long first = std::lround(n.start * rate);
    const long count = static_cast<long>(n.env.length(n.gate) * rate) + 1;
    Osc a(n.wave, n.seed), b(n.wave2, n.seed * 7 + 3);
    Svf filter;
    const float left = std::sqrt(0.5f * (1.0f - n.pan)), right = std::sqrt(0.5f * (1.0f + n.pan));
    const float len = std::max(n.env.length(n.gate), 1e-4f);
    const float fr = static_cast<float>(rate);
    const bool moving = n.glide != 0 || n.vibrato > 0;
    float hz = MidiHz(n.pitch), hz2 = MidiHz(n.pitch + n.detune2);
    const float damp = 1.0f / std::max(n.q, 0.5f);
    float coef = 0;
    for (long i = 0; i < count; ++i) {
        long pos = first + i;
        if (wrap)
            pos = ((pos % total) + total) % total;
        else if (pos < 0 || pos >= total) {
            if (pos >= total) break;
            continue;
        }
        const float t = static_cast<float>(i) / rate;
        if (moving && (i & 7) == 0) {
            const float vib = n.vibrato > 0 ? n.vibrato * std::sin(2 * kPi * n.vibratoHz * t) *
                                                  std::min(1.0f, t * 4)
                                            : 0;
            const float pitch = n.pitch + n.glide * (t / len) + vib;
            hz = MidiHz(pitch);
            hz2 = MidiHz(pitch + n.detune2);
        }
        float v = a.next(hz, fr);
        if (n.mix2 > 0) v += n.mix2 * b.next(hz2, fr);
        if (n.cutoff > 0) {
            if ((i & 7) == 0) {
                const float cut =
                    n.cutoff + n.cutoffEnv * std::exp(-t / std::max(n.cutoffDecay, 1e-3f));
                coef = Svf::Coefficient(cut, fr);
            }
            filter.stepCoef(v, coef, damp);
            v = n.highpass ? filter.hp() : filter.lp();
        }
        v *= n.env.at(t, n.gate) * n.gain;
        if (channels == 1)
            buf[pos] += v;
        else {
            buf[pos * channels] += v * left;
            buf[pos * channels + 1] += v * right;
        }
    }
}

}  // namespace assetgen
