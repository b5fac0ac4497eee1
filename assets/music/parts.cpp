#include "assets/music/parts.h"

#include <algorithm>
#include <cmath>

namespace musicgen {
namespace {

// Pattern letters: X loud, x medium, o soft, g ghost, anything else a rest.
float strength(char step) {
  switch (step) {
    case 'X': return 1.0f;
    case 'x': return 0.75f;
    case 'o': return 0.5f;
    case 'g': return 0.22f;
    default: return 0.0f;
  }
}

const Span& spanat(const Harmony& harmony, double time) {
  for (const Span& span : harmony) {
    if (time < span.end() - 1e-6) return span;
  }
  return harmony.back();
}

bool leadsounds(const Notes& notes, double from, double to) {
  for (const Note& n : notes) {
    if (n.voice == Voice::lead && n.time < to && n.time + n.length > from) return true;
  }
  return false;
}

// How far apart two notes' pitch classes are, in semitones (0 to 6).
int apart(float a, int b) {
  const int d = ((static_cast<int>(a) - b) % 12 + 12) % 12;
  return std::min(d, 12 - d);
}

// Whether a passing note sits well over the chord: one of its tones, or a note of the key (with
// the chord's alteration) that is not a semitone away from any of them.
bool fits(const Chord& chord, int pitch) {
  const std::array<float, 5> tones = {chord.root, chord.voicing[0], chord.voicing[1],
                                      chord.voicing[2], chord.voicing[3]};
  bool inkey = false, rubs = false;
  for (int degree = 0; degree < 7; ++degree) {
    inkey = inkey || apart(pitchof(degree, chord), pitch) == 0;
  }
  for (float tone : tones) {
    if (apart(tone, pitch) == 0) return true;
    rubs = rubs || apart(tone, pitch) == 1;
  }
  return inkey && !rubs;
}

// The last sixteenth before the next chord: a semitone under its root or a tone over it, moved
// further away until it fits the chord still sounding.
float approach(const Chord& chord, float next) {
  const bool up = next > chord.root;
  int pitch = static_cast<int>(next) + (up ? -1 : 2);
  for (int tries = 0; tries < 3 && !fits(chord, pitch); ++tries) pitch += up ? -1 : 1;
  return static_cast<float>(pitch);
}

}  // namespace

Motif shifted(Motif motif, int degrees) {
  for (Step& s : motif) s.degree += degrees;
  return motif;
}

Motif inverted(Motif motif, int axis) {
  for (Step& s : motif) s.degree = 2 * axis - s.degree;
  return motif;
}

Motif stretched(Motif motif, double factor) {
  for (Step& s : motif) {
    s.at *= factor;
    s.length *= factor;
  }
  return motif;
}

Motif joined(Motif first, const Motif& second, double offset) {
  for (Step s : second) {
    s.at += offset;
    first.push_back(s);
  }
  return first;
}

float pitchof(int degree, const Chord& chord) {
  constexpr int scale[7] = {0, 2, 3, 5, 7, 8, 10};
  const int octave = degree >= 0 ? degree / 7 : -((6 - degree) / 7);
  const int step = degree - 7 * octave;
  const int alteration = step == chord.altered ? chord.by : 0;
  return static_cast<float>(62 + 12 * octave + scale[step] + alteration);
}

float chordtone(const Chord& chord, float pitch) {
  float best = pitch, distance = 1e9f;
  for (float note : chord.voicing) {
    const float candidate = note + 12.0f * std::round((pitch - note) / 12.0f);
    const float d = std::fabs(candidate - pitch);
    if (d < distance || (d == distance && candidate < best)) {
      best = candidate;
      distance = d;
    }
  }
  return best;
}

void add(Notes& notes, double time, double length, Voice voice, float pitch, float velocity,
         float pan, float tone) {
  notes.push_back(Note{time, length, voice, pitch, velocity, pan, tone, 0, 0});
}

void swell(Notes& notes, Voice voice, double from, double to, float attack, float release,
           float velocity, float pitch, float tone) {
  notes.push_back(Note{from, to - from, voice, pitch, velocity, 0, tone, attack, release});
}

void play(Notes& notes, Voice voice, double bar, const Motif& motif, const Harmony& harmony,
          float velocity, float transpose, float pan, float tone) {
  for (const Step& s : motif) {
    const double time = at(bar) + s.at * sixteenth;
    const float pitch = pitchof(s.degree, *spanat(harmony, time).chord) + transpose;
    add(notes, time, s.length * sixteenth * 0.9, voice, pitch, velocity * s.accent, pan, tone);
  }
}

void pads(Notes& notes, const Harmony& harmony, float velocity, float tone, float attack,
          Voice voice) {
  const float spread[] = {-0.45f, 0.3f, -0.2f, 0.45f};
  for (size_t k = 0; k < harmony.size(); ++k) {
    const Span& span = harmony[k];
    for (size_t i = 0; i < span.chord->voicing.size(); ++i) {
      notes.push_back(Note{span.start(), span.end() - span.start(), voice,
                           span.chord->voicing[i], velocity, spread[i], tone, attack, 0});
    }
  }
}

void bassline(Notes& notes, const Harmony& harmony, const std::string& figure, float velocity,
              float tone) {
  for (size_t k = 0; k < harmony.size(); ++k) {
    const Span& span = harmony[k];
    const float root = span.chord->root;
    const float next = k + 1 < harmony.size() ? harmony[k + 1].chord->root : root;
    const size_t steps = static_cast<size_t>(std::lround(span.bars * 16));
    for (size_t i = 0; i < steps; ++i) {
      const char c = figure[i % figure.size()];
      if (c == '-' || c == '.') continue;
      size_t held = 1;
      while (i + held < steps && figure[(i + held) % figure.size()] == '-') ++held;
      const bool last = i + 16 >= steps;
      float pitch = root, glide = 0;
      if (c == 'o') pitch = root + 12;
      if (c == 'f') pitch = root + 7;
      if (c == 'a') pitch = last ? approach(*span.chord, next) : root + 5;
      if (c == 'g') {
        pitch = root + 12;
        glide = -12;
      }
      const float accent = i % 4 == 0 ? 1.0f : 0.85f;
      Note n{span.start() + i * sixteenth, (held - 0.2) * sixteenth, Voice::bass, pitch,
             velocity * accent, 0, tone, 0, 0};
      n.glide = glide;
      notes.push_back(n);
    }
  }
}

void arpeggio(Notes& notes, const Harmony& harmony, float velocity, float tone, float toneto,
              float octave) {
  static const int figures[4][8] = {{0, 1, 2, 3, 4, 5, 4, 2}, {5, 3, 4, 2, 3, 1, 2, 0},
                                    {0, 2, 1, 3, 2, 4, 3, 5}, {3, 0, 4, 1, 5, 2, 4, 1}};
  const double from = harmony.front().start();
  const double to = harmony.back().end();
  Notes arp;
  for (const Span& span : harmony) {
    const auto& v = span.chord->voicing;
    const float ladder[] = {v[1], v[2], v[3], v[1] + 12, v[2] + 12, v[3] + 12};
    for (double t = span.start(); t < span.end() - 1e-6; t += sixteenth) {
      const long step = std::lround((t - from) / sixteenth);
      const int* figure = figures[(step / 16) % 4];
      const float progress = static_cast<float>((t - from) / (to - from));
      const float accent = step % 4 == 0 ? 1.0f : (step % 2 ? 0.7f : 0.82f);
      const float answer = leadsounds(notes, t, t + sixteenth) ? 0.45f : 1.0f;
      add(arp, t, sixteenth * 0.9, Voice::pluck, ladder[figure[step % 8]] + octave - 12,
          velocity * accent * answer, step % 2 ? 0.6f : -0.6f, tone + (toneto - tone) * progress);
    }
  }
  notes.insert(notes.end(), arp.begin(), arp.end());
}

void counter(Notes& notes, const Harmony& harmony, float velocity) {
  Notes answers;
  const double from = harmony.front().start(), to = harmony.back().end();
  for (double t = from; t < to - 1e-6; t += beatseconds / 2) {
    if (leadsounds(notes, t - beatseconds / 2, t + 1.5 * beatseconds)) continue;
    // Three eighths falling through the chord, then the lead's turn again.
    const auto& v = spanat(harmony, t).chord->voicing;
    const float line[] = {v[3] + 12, v[2] + 12, v[1] + 12};
    for (int i = 0; i < 3; ++i) {
      add(answers, t + i * beatseconds / 2, beatseconds * 0.45, Voice::counter, line[i],
          velocity * (1.0f - 0.15f * i), i % 2 ? 0.35f : -0.35f);
    }
    t += 1.5 * beatseconds;
  }
  notes.insert(notes.end(), answers.begin(), answers.end());
}

void groove(Notes& notes, Noise& noise, double bar, const std::string& bars,
            const std::vector<Kit>& kits, float level) {
  constexpr double swing = 0.14 * sixteenth;
  for (size_t b = 0; b < bars.size(); ++b) {
    const Kit& kit = kits[static_cast<size_t>(bars[b] - 'A')];
    const struct {
      const std::string& lane;
      Voice voice;
      float gain, pan;
    } lanes[] = {{kit.kick, Voice::kick, 1.0f, 0},        {kit.snare, Voice::snare, 0.6f, 0.05f},
                 {kit.clap, Voice::clap, 0.85f, 0},       {kit.hat, Voice::hat, 0.6f, 0.4f},
                 {kit.openhat, Voice::openhat, 0.45f, -0.4f}, {kit.ride, Voice::ride, 0.5f, -0.3f},
                 {kit.tom, Voice::tom, 0.7f, 0}};
    for (const auto& lane : lanes) {
      for (size_t i = 0; i < lane.lane.size(); ++i) {
        const float s = strength(lane.lane[i]);
        if (s == 0) continue;
        const bool swung = (lane.voice == Voice::hat || lane.voice == Voice::ride) && i % 2;
        const double time = at(bar + b) + i * sixteenth + (swung ? swing : 0);
        const float humanised = lane.voice == Voice::kick ? 1.0f : 0.88f + 0.24f * noise.unit();
        // Toms fall in pitch across the bar, from a high tom to a floor tom.
        const float pitch = lane.voice == Voice::tom ? 57.0f - 0.8f * i : 60.0f;
        add(notes, time, sixteenth, lane.voice, pitch, level * lane.gain * s * humanised, lane.pan);
      }
    }
  }
}

void sparkles(Notes& notes, Noise& noise, const Harmony& harmony, double from, double peak,
              double to, float velocity, float density) {
  for (double t = from; t < to; t += sixteenth / 2) {
    const double rise = t < peak ? (t - from) / (peak - from) : (to - t) / (to - peak);
    const float shape = static_cast<float>(rise);
    if (noise.unit() < density * shape) {
      const auto& v = spanat(harmony, t).chord->voicing;
      const float pitch = v[noise.bits() % 4] + 12.0f * static_cast<float>(1 + noise.bits() % 2);
      add(notes, t, 0.08, Voice::bell, pitch, velocity * (0.4f + 0.6f * shape), noise.next() * 0.8f);
    }
  }
}

void hit(Notes& notes, double time, float strength, float root) {
  add(notes, time, 1.0, Voice::impact, root, strength);
  add(notes, time, 2.0, Voice::crash, 60, 0.85f * strength);
  add(notes, time, 1.2, Voice::bass, root + 12, 0.65f * strength, 0, 0.25f);
}

void snareroll(Notes& notes, double from, double to, double step, float vfrom, float vto) {
  for (double t = from; t < to - 1e-6; t += step) {
    const float p = static_cast<float>((t - from) / (to - from));
    add(notes, t, step, Voice::snare, 60, vfrom + (vto - vfrom) * p * p);
  }
}

}  // namespace musicgen
