#pragma once
// Building blocks of the soundtrack's synthesizer: noise, band-limited oscillators, a
// state-variable filter and envelopes. Everything is plain float arithmetic seeded by constants,
// so the same source renders the same samples.
#include <cmath>
#include <cstdint>

namespace musicgen {

constexpr int samplerate = 44100;
constexpr float pi = 3.14159265358979f;

// xorshift32: the generator's own noise source, independent of the C library.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
  uint32_t bits() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  // Uniform in [-1, 1).
  float next() { return static_cast<float>(bits() >> 8) * (2.0f / 16777216.0f) - 1.0f; }
  // Uniform in [0, 1).
  float unit() { return static_cast<float>(bits() >> 8) * (1.0f / 16777216.0f); }

 private:
  uint32_t state;
};

inline float midifrequency(float note) { return 440.0f * std::exp2((note - 69.0f) / 12.0f); }

// Residual that removes the step of a naive waveform at a wrap: keeps saw and pulse from
// folding their harmonics back into the audible band.
inline float polyblep(float t, float dt) {
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

class Oscillator {
 public:
  explicit Oscillator(float startphase = 0) : phase(startphase) {}
  // dt is frequency / samplerate.
  float saw(float dt) {
    const float v = 2.0f * phase - 1.0f - polyblep(phase, dt);
    advance(dt);
    return v;
  }
  float pulse(float dt, float width) {
    float v = phase < width ? 1.0f : -1.0f;
    v += polyblep(phase, dt);
    float shifted = phase + 1.0f - width;
    if (shifted >= 1.0f) shifted -= 1.0f;
    v -= polyblep(shifted, dt);
    advance(dt);
    return v;
  }
  float sine(float dt) {
    const float v = std::sin(2.0f * pi * phase);
    advance(dt);
    return v;
  }
  float triangle(float dt) {
    const float v = phase < 0.5f ? 4.0f * phase - 1.0f : 3.0f - 4.0f * phase;
    advance(dt);
    return v;
  }

 private:
  void advance(float dt) {
    phase += dt;
    while (phase >= 1.0f) phase -= 1.0f;
    while (phase < 0.0f) phase += 1.0f;
  }
  float phase;
};

// Trapezoidal state-variable filter: stable under fast cutoff sweeps, all three outputs at once.
class Filter {
 public:
  // resonance 0 (none) to about 0.95 (ringing).
  void tune(float cutoff, float resonance) {
    const float nyquistguard = 0.45f * samplerate;
    const float f = cutoff < 20.0f ? 20.0f : (cutoff > nyquistguard ? nyquistguard : cutoff);
    g = std::tan(pi * f / samplerate);
    k = 2.0f - 2.0f * resonance;
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
  }
  void process(float in) {
    const float v3 = in - ic2;
    const float v1 = a1 * ic1 + a2 * v3;
    const float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    low = v2;
    band = v1;
    high = in - k * v1 - v2;
  }
  float lowpass(float in) {
    process(in);
    return low;
  }
  float bandpass(float in) {
    process(in);
    return band;
  }
  float highpass(float in) {
    process(in);
    return high;
  }
  float low = 0, band = 0, high = 0;

 private:
  float g = 0, k = 2, a1 = 0, a2 = 0, a3 = 0;
  float ic1 = 0, ic2 = 0;
};

// Attack, decay to sustain while the gate is held, exponential release after it.
struct Envelope {
  float attack, decay, sustain, release;
  float held(float t) const {
    if (t < attack) return t / attack;
    return sustain + (1.0f - sustain) * std::exp(-(t - attack) / decay);
  }
  float at(float t, float gate) const {
    if (t < gate) return held(t);
    return held(gate) * std::exp(-(t - gate) / release);
  }
  // Seconds after the gate until the release has fallen by about 70 dB.
  float tail() const { return 8.0f * release; }
};

inline float clampunit(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }

}  // namespace musicgen
