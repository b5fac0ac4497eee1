#include "assets/music/instruments.h"

#include <algorithm>
#include <cmath>

namespace musicgen::instruments {

// A filtered saw over a sine on the root itself: the fundamental carries the chord.
void bass(const Note& note, Writer& out) {
  Envelope env{note.attack > 0 ? note.attack : 0.003f, 0.25f, 0.75f, 0.03f};
  const float f = midifrequency(note.pitch);
  float dt = f / samplerate;
  Oscillator saw, sub;
  Filter low, body;
  // A broad dip around 350 Hz takes the boxiness out of the saw's low harmonics and leaves the
  // roots below 120 Hz as they are: the band's output times k (1.2 here) peaks at one.
  body.tune(350.0f, 0.4f);
  constexpr float dip = 0.4f * 1.2f;  // about -4.4 dB at the centre
  const size_t length = samples(note.length + env.tail());
  for (size_t n = 0; n < length; ++n) {
    const float t = seconds(n);
    if (n % 16 == 0) {
      const float sweep = 0.3f + 0.7f * std::exp(-t / 0.12f);
      low.tune(2.0f * f + 120.0f + 3200.0f * note.tone * note.tone * sweep, 0.35f);
      if (note.glide != 0) dt = midifrequency(note.pitch + note.glide * std::exp(-t / 0.025f)) / samplerate;
    }
    const float v = 0.8f * low.lowpass(saw.saw(dt)) + 0.7f * sub.sine(dt);
    const float shaped = std::tanh(1.3f * v);
    const float voiced = shaped - dip * body.bandpass(shaped);
    if (!out.put(n, voiced * env.at(t, static_cast<float>(note.length)))) return;
  }
}

// Detuned saws, three a side, behind a slowly breathing low-pass.
void pad(const Note& note, Writer& out) {
  Envelope env{note.attack > 0 ? note.attack : 0.35f, 1.5f, 0.8f, note.release > 0 ? note.release : 0.8f};
  Noise phases(seedof(note));
  const float detune[3] = {-0.11f, 0.0f, 0.12f};
  Oscillator left[3], right[3];
  for (int i = 0; i < 3; ++i) {
    left[i] = Oscillator(phases.unit());
    right[i] = Oscillator(phases.unit());
  }
  float dl[3], dr[3];
  for (int i = 0; i < 3; ++i) {
    dl[i] = midifrequency(note.pitch + detune[i]) / samplerate;
    dr[i] = midifrequency(note.pitch - detune[i] * 0.8f) / samplerate;
  }
  Filter fl, fr;
  const size_t length = samples(note.length + env.tail());
  for (size_t n = 0; n < length; ++n) {
    const float t = seconds(n);
    if (n % 32 == 0) {
      const float tone = note.tone * sweep(note.time + t);
      const float cutoff = 300.0f + 4200.0f * tone * tone;
      const float breath = 1.0f + 0.18f * std::sin(2.0f * pi * 0.23f * static_cast<float>(note.time + t));
      fl.tune(cutoff * breath, 0.15f);
      fr.tune(cutoff / breath, 0.15f);
    }
    float l = 0, r = 0;
    for (int i = 0; i < 3; ++i) {
      l += left[i].saw(dl[i]);
      r += right[i].saw(dr[i]);
    }
    const float e = env.at(t, static_cast<float>(note.length)) / 3.0f;
    if (!out.put(n, fl.lowpass(l) * e, fr.lowpass(r) * e)) return;
  }
}

// Five saws a side with a gentle vibrato, thinned below and softened above: the growth's strings.
void strings(const Note& note, Writer& out) {
  Envelope env{note.attack > 0 ? note.attack : 1.0f, 2.0f, 0.85f, note.release > 0 ? note.release : 1.1f};
  Noise phases(seedof(note));
  const float detune[5] = {-0.16f, -0.07f, 0.0f, 0.08f, 0.15f};
  Oscillator left[5], right[5];
  for (int i = 0; i < 5; ++i) {
    left[i] = Oscillator(phases.unit());
    right[i] = Oscillator(phases.unit());
  }
  Filter ll, lr, hl, hr;
  const float tone = note.tone * sweep(note.time);
  ll.tune(2200.0f + 3000.0f * tone, 0.1f);
  lr.tune(2200.0f + 3000.0f * tone, 0.1f);
  hl.tune(220.0f, 0.0f);
  hr.tune(220.0f, 0.0f);
  float dl[5], dr[5];
  for (int i = 0; i < 5; ++i) {
    dl[i] = midifrequency(note.pitch + detune[i]) / samplerate;
    dr[i] = midifrequency(note.pitch - detune[i]) / samplerate;
  }
  const size_t length = samples(note.length + env.tail());
  for (size_t n = 0; n < length; ++n) {
    const float t = seconds(n);
    const float vibrato = 0.07f * std::sin(2.0f * pi * 5.1f * t) * clampunit(t / 1.5f);
    const float bend = std::exp2(vibrato / 12.0f);
    float l = 0, r = 0;
    for (int i = 0; i < 5; ++i) {
      l += left[i].saw(dl[i] * bend);
      r += right[i].saw(dr[i] * bend);
    }
    const float e = env.at(t, static_cast<float>(note.length)) / 5.0f;
    if (!out.put(n, hl.highpass(ll.lowpass(l)) * e, hr.highpass(lr.lowpass(r)) * e)) return;
  }
}

// Three detuned saws a side over a quiet sub-octave sine, through a low-pass that opens to about
// 6.5 kHz on the attack and settles near 3.5 kHz, then a soft saturation for bite. Above 1.5 kHz
// the two sides are drawn together, so that the tune keeps its presence summed to mono.
void lead(const Note& note, Writer& out) {
  Envelope env{0.004f, 0.3f, 0.75f, 0.14f};
  const float detune[3] = {-0.13f, 0.0f, 0.12f};
  Oscillator left[3] = {Oscillator(0.0f), Oscillator(0.31f), Oscillator(0.67f)};
  Oscillator right[3] = {Oscillator(0.5f), Oscillator(0.13f), Oscillator(0.82f)};
  Oscillator sub;
  float ratiol[3], ratior[3];
  for (int i = 0; i < 3; ++i) {
    ratiol[i] = std::exp2(detune[i] / 12.0f);
    ratior[i] = std::exp2(-0.9f * detune[i] / 12.0f);
  }
  Filter lowl, lowr, side;
  side.tune(1500, 0);
  const float opening = 0.95f + 0.1f * note.tone;
  const size_t length = samples(note.length + env.tail());
  float f = midifrequency(note.pitch) / samplerate;
  for (size_t n = 0; n < length; ++n) {
    const float t = seconds(n);
    if (n % 16 == 0) {
      const float vibrato = 0.12f * std::sin(2.0f * pi * 5.5f * t) * clampunit((t - 0.2f) / 0.3f);
      f = midifrequency(note.pitch + vibrato) / samplerate;
      const float cutoff = opening * (3500.0f + 3000.0f * std::exp(-t / 0.2f));
      lowl.tune(cutoff, 0.2f);
      lowr.tune(cutoff, 0.2f);
    }
    float l = 0, r = 0;
    for (int i = 0; i < 3; ++i) {
      l += left[i].saw(f * ratiol[i]);
      r += right[i].saw(f * ratior[i]);
    }
    const float s = 0.05f * sub.sine(f * 0.5f);
    const float e = 0.55f * env.at(t, static_cast<float>(note.length));
    const float wl = std::tanh(1.8f * (lowl.lowpass(l / 3.0f) + s));
    const float wr = std::tanh(1.8f * (lowr.lowpass(r / 3.0f) + s));
    // The difference of the sides keeps its full width below 1.5 kHz and a third of it above.
    const float mid = 0.5f * (wl + wr), wide = 0.5f * (wl - wr);
    const float narrowed = 0.35f * wide + 0.65f * side.lowpass(wide);
    if (!out.put(n, (mid + narrowed) * e, (mid - narrowed) * e)) return;
  }
}

// A soft, breathy voice for the answers between the lead's phrases.
void counter(const Note& note, Writer& out) {
  Envelope env{0.02f, 0.2f, 0.7f, 0.12f};
  Oscillator tri, pul(0.25f);
  Noise breath(seedof(note));
  Filter low;
  low.tune(2600.0f, 0.1f);
  const float f = midifrequency(note.pitch) / samplerate;
  const size_t length = samples(note.length + env.tail());
  for (size_t n = 0; n < length; ++n) {
    const float t = seconds(n);
    const float bend = std::exp2(0.08f * std::sin(2.0f * pi * 5.0f * t) * clampunit(t / 0.3f) / 12.0f);
    const float v = tri.triangle(f * bend) + 0.3f * pul.pulse(f * bend, 0.3f) + 0.05f * breath.next();
    if (!out.put(n, low.lowpass(v) * 0.6f * env.at(t, static_cast<float>(note.length)))) return;
  }
}

// Seven saws a side spread wide, bright, thinned below: the climax's wall.
void supersaw(const Note& note, Writer& out) {
  Envelope env{note.attack > 0 ? note.attack : 0.02f, 0.6f, 0.8f, note.release > 0 ? note.release : 0.35f};
  Noise phases(seedof(note));
  const float detune[7] = {-0.33f, -0.2f, -0.09f, 0.0f, 0.1f, 0.21f, 0.32f};
  Oscillator left[7], right[7];
  float dl[7], dr[7];
  for (int i = 0; i < 7; ++i) {
    left[i] = Oscillator(phases.unit());
    right[i] = Oscillator(phases.unit());
    dl[i] = midifrequency(note.pitch + detune[i]) / samplerate;
    dr[i] = midifrequency(note.pitch - detune[i]) / samplerate;
  }
  Filter ll, lr, hl, hr;
  for (Filter* low : {&ll, &lr}) low->tune(3000.0f + 5000.0f * note.tone, 0.1f);
  for (Filter* high : {&hl, &hr}) high->tune(180.0f, 0.0f);
  const size_t length = samples(note.length + env.tail());
  for (size_t n = 0; n < length; ++n) {
    const float t = seconds(n);
    float l = 0, r = 0;
    for (int i = 0; i < 7; ++i) {
      l += left[i].saw(dl[i]);
      r += right[i].saw(dr[i]);
    }
    const float e = env.at(t, static_cast<float>(note.length)) / 7.0f;
    if (!out.put(n, hl.highpass(ll.lowpass(l)) * e, hr.highpass(lr.lowpass(r)) * e)) return;
  }
}

void pluck(const Note& note, Writer& out) {
  Oscillator a, b;
  Filter low;
  const float f = midifrequency(note.pitch) / samplerate;
  const float tone = note.tone * sweep(note.time);
  const float brightness = 600.0f + 6000.0f * tone * tone;
  for (size_t n = 0; n < samples(0.6); ++n) {
    const float t = seconds(n);
    if (n % 16 == 0) low.tune(200.0f + brightness * std::exp(-t / 0.07f), 0.3f);
    const float v = a.saw(f) + 0.5f * b.pulse(f * 1.002f, 0.25f);
    const float env = std::exp(-t / 0.16f) * declick(t, 0.002f) * (t > 0.5f ? (0.6f - t) / 0.1f : 1.0f);
    if (!out.put(n, low.lowpass(v) * env * 0.6f)) return;
  }
}

// Two-operator FM with an inharmonic modulator: glass-like bells.
void bell(const Note& note, Writer& out) {
  const float decay = std::min(2.5f, 0.4f + 2.0f * static_cast<float>(note.length));
  const float f = midifrequency(note.pitch) / samplerate;
  // High notes get a lighter modulation so that their sidebands stay below the Nyquist limit.
  const float depth = std::min(1.0f, 900.0f / midifrequency(note.pitch));
  Oscillator modulator;
  // The upper sideband of the high bells lands near 8 kHz and whistles; a gentle lowpass keeps it
  // under the body of the note.
  Filter soft;
  soft.tune(4500.0f, 0.0f);
  float phase = 0;
  const size_t length = samples(6.0f * decay);
  for (size_t n = 0; n < length; ++n) {
    const float t = seconds(n);
    const float index = depth * (2.2f * std::exp(-t / 0.35f) + 0.3f);
    const float m = modulator.sine(f * 3.5f) * index;
    const float v = std::sin(2.0f * pi * phase + m);
    phase += f;
    if (phase >= 1.0f) phase -= 1.0f;
    const float env = std::exp(-t / decay) * declick(t, 0.0015f);
    if (!out.put(n, 0.6f * soft.lowpass(v) * env)) return;
  }
}

}  // namespace musicgen::instruments
