#include "assets/music/voices.h"

#include <algorithm>
#include <cmath>

#include "assets/music/instruments.h"
#include "assets/music/synth.h"
#include "assets/music/writer.h"

namespace musicgen {

Mix::Mix(size_t length, bool withstems) : frames(length) {
  for (Stereo* bus : {&drums, &hits, &music, &lead, &pads, &reverb, &plate, &echo}) {
    for (auto& channel : *bus) channel.assign(frames, 0.0f);
  }
  if (withstems) stems.assign(groups, Stereo{std::vector<float>(frames), std::vector<float>(frames)});
}

int groupof(Voice voice) {
  switch (voice) {
    case Voice::bass: return 1;
    case Voice::pad: case Voice::strings: case Voice::supersaw: return 2;
    case Voice::lead: case Voice::counter: return 3;
    case Voice::pluck: case Voice::bell: return 4;
    case Voice::staticnoise: case Voice::riser: case Voice::reversecymbal: case Voice::zap:
    case Voice::dive: case Voice::blip: return 5;
    default: return 0;
  }
}

const char* groupname(int group) {
  static const char* const names[groups] = {"drums", "bass", "pads", "lead", "arpeggio", "effects"};
  return names[group];
}

namespace {

enum class Bus { drums, hits, music, lead, pads };

struct Routing {
  Bus bus;
  float gain;
  float reverb;  // send levels
  float plate;
  float echo;
  float lowshelf = 1.0f;  // gain below lowbusfrequency
};

// The kick and the heartbeat tom are shelved a little down below shelffrequency, so that the
// bass's roots carry the low end of each chord.
constexpr float lowbus = 0.5f;

Routing routing(Voice voice) {
  switch (voice) {
    case Voice::kick: return {Bus::drums, 0.34f, 0.02f, 0, 0, lowbus};
    case Voice::snare: return {Bus::drums, 0.24f, 0.18f, 0, 0};
    case Voice::clap: return {Bus::drums, 0.27f, 0.2f, 0, 0};
    case Voice::hat: return {Bus::drums, 0.22f, 0.04f, 0, 0};
    case Voice::openhat: return {Bus::drums, 0.15f, 0.08f, 0, 0};
    case Voice::ride: return {Bus::drums, 0.15f, 0.1f, 0, 0};
    case Voice::crash: return {Bus::hits, 0.12f, 0.25f, 0, 0};
    case Voice::impact: return {Bus::hits, 0.38f, 0.5f, 0, 0};
    case Voice::tom: return {Bus::drums, 0.5f, 0.25f, 0, 0.1f, lowbus};
    case Voice::bass: return {Bus::music, 0.53f, 0, 0, 0};
    case Voice::pad: return {Bus::pads, 0.22f, 0.3f, 0, 0.05f};
    case Voice::strings: return {Bus::pads, 0.2f, 0.4f, 0, 0.05f};
    case Voice::supersaw: return {Bus::pads, 0.18f, 0.3f, 0, 0.05f};
    case Voice::lead: return {Bus::lead, 0.56f, 0.08f, 0.3f, 0.2f};
    case Voice::counter: return {Bus::lead, 0.3f, 0.25f, 0.1f, 0.2f};
    case Voice::pluck: return {Bus::music, 0.4f, 0.12f, 0, 0.3f};
    case Voice::bell: return {Bus::music, 0.16f, 0.4f, 0, 0.3f};
    case Voice::staticnoise: return {Bus::drums, 0.15f, 0.2f, 0, 0};
    case Voice::riser: return {Bus::drums, 0.11f, 0.3f, 0, 0.1f};
    case Voice::reversecymbal: return {Bus::drums, 0.11f, 0.2f, 0, 0};
    case Voice::zap: return {Bus::music, 0.16f, 0.25f, 0, 0.3f};
    case Voice::dive: return {Bus::music, 0.08f, 0.5f, 0, 0.2f};
    case Voice::blip: return {Bus::music, 0.1f, 0.3f, 0, 0.4f};
  }
  return {Bus::music, 0, 0, 0, 0};
}

// Six detuned square waves: the metallic body of hats and cymbals.
class Metal {
 public:
  float next() {
    const float ratios[6] = {1.0f, 1.4826f, 1.8004f, 2.5462f, 2.6304f, 3.8968f};
    float v = 0;
    for (int i = 0; i < 6; ++i) v += oscs[i].pulse(ratios[i] * 342.0f / samplerate, 0.5f);
    return v / 6.0f;
  }

 private:
  Oscillator oscs[6] = {Oscillator(0.1f), Oscillator(0.7f), Oscillator(0.3f),
                        Oscillator(0.9f), Oscillator(0.5f), Oscillator(0.2f)};
};

// The tail rings on A1, the key's fifth, short enough to leave the bass's roots room, and the
// drum is gone before the next beat.
void kick(const Note& note, Writer& out) {
  constexpr float tail = 55.0f, length = 0.36f;
  Oscillator body;
  Noise noise(seedof(note));
  Filter click;
  click.tune(3500, 0.1f);
  for (size_t n = 0; n < samples(length); ++n) {
    const float t = seconds(n);
    const float f = tail + 160.0f * std::exp(-t / 0.02f);
    const float b = body.sine(f / samplerate) * std::exp(-t / 0.075f) * declick(t, 0.0008f);
    const float c = click.lowpass(noise.next()) * std::exp(-t / 0.003f) * 0.5f;
    const float fade = t > length - 0.06f ? (length - t) / 0.06f : 1.0f;
    if (!out.put(n, std::tanh(1.5f * (b + c)) * fade)) return;
  }
}

void snare(const Note& note, Writer& out) {
  Oscillator low, high;
  Noise noise(seedof(note));
  Filter band, air;
  band.tune(2400, 0.25f);
  air.tune(900, 0.0f);
  for (size_t n = 0; n < samples(0.35); ++n) {
    const float t = seconds(n);
    const float tone = (low.sine(182.0f / samplerate) * std::exp(-t / 0.05f) +
                        0.5f * high.sine(331.0f / samplerate) * std::exp(-t / 0.03f));
    const float x = noise.next();
    const float hiss = (band.bandpass(x) * 0.8f + air.highpass(x) * 0.5f) * std::exp(-t / 0.1f);
    if (!out.put(n, (0.6f * tone + hiss) * declick(t))) return;
  }
}

void clap(const Note& note, Writer& out) {
  Noise noise(seedof(note));
  Filter band;
  band.tune(1300, 0.35f);
  for (size_t n = 0; n < samples(0.45); ++n) {
    const float t = seconds(n);
    float env = 0;
    for (float burst : {0.0f, 0.011f, 0.022f}) {
      if (t >= burst) env = std::max(env, std::exp(-(t - burst) / 0.0045f));
    }
    if (t >= 0.022f) env = std::max(env, 0.7f * std::exp(-(t - 0.022f) / 0.12f));
    if (!out.put(n, 1.6f * band.bandpass(noise.next()) * env * declick(t, 0.0005f))) return;
  }
}

void cymbal(const Note& note, Writer& out, float decay, float cutoff, float length) {
  Noise left(seedof(note)), right(seedof(note) ^ 0x5bd1e995u);
  Metal metal;
  Filter hl, hr, hm, tl, tr;
  hl.tune(cutoff, 0.15f);
  hr.tune(cutoff, 0.15f);
  hm.tune(cutoff * 0.9f, 0.1f);
  // Above 11 kHz noise only adds hiss and eats the encoder's bits.
  tl.tune(11000, 0);
  tr.tune(11000, 0);
  for (size_t n = 0; n < samples(length); ++n) {
    const float t = seconds(n);
    const float env = std::exp(-t / decay) * declick(t, 0.001f);
    const float m = 0.6f * hm.highpass(metal.next());
    const float fade = t > length - 0.05f ? (length - t) / 0.05f : 1.0f;
    if (!out.put(n, tl.lowpass(hl.highpass(left.next()) + m) * env * fade,
                 tr.lowpass(hr.highpass(right.next()) + m) * env * fade))
      return;
  }
}

// The boom settles an octave above the flash's root, clear of the master's rumble filter. It and
// the noise burst over it are driven dense rather than tall for their first 50 ms and are gone a
// quarter of a second later, so that the limiter lets the music straight back in; the noise is
// thinned below 50 Hz for the same reason.
void impact(const Note& note, Writer& out) {
  Oscillator boom;
  Noise left(seedof(note)), right(seedof(note) + 17);
  Filter ll, lr, thinl, thinr;
  thinl.tune(50, 0);
  thinr.tune(50, 0);
  const float base = midifrequency(note.pitch + 12);
  for (size_t n = 0; n < samples(1.0); ++n) {
    const float t = seconds(n);
    if (n % 16 == 0) {
      const float cutoff = 120.0f + 3500.0f * std::exp(-t / 0.12f);
      ll.tune(cutoff, 0.1f);
      lr.tune(cutoff, 0.1f);
    }
    const float f = base * (1.0f + 1.2f * std::exp(-t / 0.12f));
    const float after = std::max(0.0f, t - 0.05f);  // the first 50 ms at full strength
    const float b = boom.sine(f / samplerate) * std::exp(-after / 0.06f) * declick(t, 0.001f);
    const float env = 0.7f * std::exp(-after / 0.08f) * declick(t, 0.001f);
    const float fade = t > 0.8f ? (1.0f - t) / 0.2f : 1.0f;
    const float l = std::tanh(3.0f * (b + thinl.highpass(ll.lowpass(left.next())) * env)) * fade;
    const float r = std::tanh(3.0f * (b + thinr.highpass(lr.lowpass(right.next())) * env)) * fade;
    if (!out.put(n, l, r)) return;
  }
}

void tom(const Note& note, Writer& out) {
  Oscillator body;
  const float base = midifrequency(note.pitch);
  for (size_t n = 0; n < samples(0.7); ++n) {
    const float t = seconds(n);
    const float f = base * (1.0f + 0.5f * std::exp(-t / 0.04f));
    const float fade = t > 0.6f ? (0.7f - t) / 0.1f : 1.0f;
    if (!out.put(n, body.sine(f / samplerate) * std::exp(-t / 0.22f) * declick(t) * fade)) return;
  }
}

// Swell shape of the effect voices: rises over note.attack, falls over the last note.release.
float swellshape(const Note& note, float t) {
  const float length = static_cast<float>(note.length);
  if (t >= length) return 0;
  float env = note.attack > 0 ? clampunit(t / note.attack) : 1.0f;
  env *= env;
  if (note.release > 0 && t > length - note.release) env *= (length - t) / note.release;
  return env;
}

// The static: hiss whose band climbs as it grows, crackle, and the camera shake's rumble.
void staticnoise(const Note& note, Writer& out) {
  Noise left(seedof(note)), right(seedof(note) + 99), crackle(seedof(note) + 7);
  Filter bl, br, rl, rr;
  rl.tune(90, 0.2f);
  rr.tune(90, 0.2f);
  for (size_t n = 0; n < samples(note.length); ++n) {
    const float t = seconds(n);
    const float env = swellshape(note, t);
    if (n % 32 == 0) {
      const float centre = 900.0f + 4000.0f * env * (0.5f + note.tone);
      bl.tune(centre, 0.3f);
      br.tune(centre * 1.1f, 0.3f);
    }
    float pop = 0;
    if (crackle.unit() < 0.0015f) pop = crackle.next() * 2.5f;
    const float l = bl.bandpass(left.next()) + 0.4f * pop + 2.2f * rl.lowpass(left.next());
    const float r = br.bandpass(right.next()) + 0.4f * pop + 2.2f * rr.lowpass(right.next());
    if (!out.put(n, l * env, r * env)) return;
  }
}

// Noise swept up a band-pass with a saw gliding two octaves: into every white-out.
void riser(const Note& note, Writer& out) {
  Noise left(seedof(note)), right(seedof(note) + 3);
  Filter bl, br;
  Oscillator glide;
  const float length = static_cast<float>(note.length);
  for (size_t n = 0; n < samples(note.length); ++n) {
    const float t = seconds(n);
    const float p = t / length;
    if (n % 32 == 0) {
      const float centre = 300.0f * std::exp2(5.0f * p);
      bl.tune(centre, 0.55f);
      br.tune(centre * 1.07f, 0.55f);
    }
    const float env = swellshape(note, t) * (0.3f + 0.7f * p);
    const float tone = 0.25f * glide.saw(midifrequency(note.pitch + 24.0f * p) / samplerate);
    if (!out.put(n, (bl.bandpass(left.next()) * 1.5f + tone) * env,
                 (br.bandpass(right.next()) * 1.5f + tone) * env))
      return;
  }
}

void reversecymbal(const Note& note, Writer& out) {
  Noise left(seedof(note)), right(seedof(note) + 5);
  Metal metal;
  Filter hl, hr;
  hl.tune(4500, 0.1f);
  hr.tune(4500, 0.1f);
  const float length = static_cast<float>(note.length);
  for (size_t n = 0; n < samples(note.length); ++n) {
    const float t = seconds(n);
    const float p = t / length;
    const float env = p * p * p * (t > length - 0.008f ? (length - t) / 0.008f : 1.0f);
    const float m = 0.5f * metal.next();
    if (!out.put(n, hl.highpass(left.next() + m) * env, hr.highpass(right.next() + m) * env))
      return;
  }
}

// A feeler shooting out: a fast downward glide through a resonant band.
void zap(const Note& note, Writer& out) {
  Oscillator osc;
  Filter band;
  const float top = midifrequency(note.pitch);
  for (size_t n = 0; n < samples(0.4); ++n) {
    const float t = seconds(n);
    const float f = 90.0f + top * std::exp(-t / 0.06f);
    if (n % 16 == 0) band.tune(f * 1.5f, 0.6f);
    const float env = std::exp(-t / 0.1f) * declick(t, 0.002f) * (t > 0.35f ? (0.4f - t) / 0.05f : 1.0f);
    if (!out.put(n, band.bandpass(osc.saw(f / samplerate)) * 1.5f * env)) return;
  }
}

// The worm collapsing: a chord of saws sliding two octaves down as its filter closes.
void dive(const Note& note, Writer& out) {
  Oscillator oscs[3] = {Oscillator(0.0f), Oscillator(0.33f), Oscillator(0.66f)};
  const float offsets[3] = {0, -5, -12};
  Filter low;
  const float length = static_cast<float>(note.length);
  for (size_t n = 0; n < samples(note.length); ++n) {
    const float t = seconds(n);
    const float p = t / length;
    const float drop = 24.0f * p * p * (3.0f - 2.0f * p);
    if (n % 32 == 0) low.tune(300.0f + 4000.0f * (1.0f - p) * (1.0f - p), 0.3f);
    float v = 0;
    for (int i = 0; i < 3; ++i) {
      v += oscs[i].saw(midifrequency(note.pitch + offsets[i] - drop) / samplerate);
    }
    if (!out.put(n, low.lowpass(v) * swellshape(note, t) / 3.0f)) return;
  }
}

void blip(const Note& note, Writer& out) {
  Oscillator osc;
  const float f = midifrequency(note.pitch) / samplerate;
  const float length = static_cast<float>(note.length);
  for (size_t n = 0; n < samples(note.length); ++n) {
    const float t = seconds(n);
    const float env = declick(t, 0.002f) * (t > length - 0.005f ? (length - t) / 0.005f : 1.0f);
    if (!out.put(n, 0.5f * osc.pulse(f, 0.5f) * env)) return;
  }
}

}  // namespace

Sounding rendernote(const Note& note, size_t frames) {
  Sounding sound;
  const Routing route = routing(note.voice);
  Writer out(note, frames, sound, route.gain, route.lowshelf);
  switch (note.voice) {
    case Voice::kick: kick(note, out); break;
    case Voice::snare: snare(note, out); break;
    case Voice::clap: clap(note, out); break;
    case Voice::hat: cymbal(note, out, 0.035f, 7000, 0.25f); break;
    case Voice::openhat: cymbal(note, out, 0.22f, 6500, 0.9f); break;
    case Voice::ride: cymbal(note, out, 0.3f, 5200, 1.0f); break;
    case Voice::crash: cymbal(note, out, 1.1f, 4200, 4.0f); break;
    case Voice::impact: impact(note, out); break;
    case Voice::tom: tom(note, out); break;
    case Voice::bass: instruments::bass(note, out); break;
    case Voice::pad: instruments::pad(note, out); break;
    case Voice::strings: instruments::strings(note, out); break;
    case Voice::supersaw: instruments::supersaw(note, out); break;
    case Voice::lead: instruments::lead(note, out); break;
    case Voice::counter: instruments::counter(note, out); break;
    case Voice::pluck: instruments::pluck(note, out); break;
    case Voice::bell: instruments::bell(note, out); break;
    case Voice::staticnoise: staticnoise(note, out); break;
    case Voice::riser: riser(note, out); break;
    case Voice::reversecymbal: reversecymbal(note, out); break;
    case Voice::zap: zap(note, out); break;
    case Voice::dive: dive(note, out); break;
    case Voice::blip: blip(note, out); break;
  }
  return sound;
}

void mixin(const Note& note, const Sounding& sound, Mix& mix) {
  const Routing route = routing(note.voice);
  Stereo* buses[] = {&mix.drums, &mix.hits, &mix.music, &mix.lead, &mix.pads};
  Stereo& dry = *buses[static_cast<int>(route.bus)];
  for (size_t n = 0; n < sound.left.size(); ++n) {
    const size_t i = sound.start + n;
    const float l = sound.left[n], r = sound.right[n];
    dry[0][i] += l;
    dry[1][i] += r;
    mix.reverb[0][i] += l * route.reverb;
    mix.reverb[1][i] += r * route.reverb;
    mix.plate[0][i] += l * route.plate;
    mix.plate[1][i] += r * route.plate;
    mix.echo[0][i] += l * route.echo;
    mix.echo[1][i] += r * route.echo;
  }
  if (mix.stems.empty()) return;
  Stereo& stem = mix.stems[groupof(note.voice)];
  for (size_t n = 0; n < sound.left.size(); ++n) {
    stem[0][sound.start + n] += sound.left[n];
    stem[1][sound.start + n] += sound.right[n];
  }
}

}  // namespace musicgen
