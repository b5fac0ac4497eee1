#include "assets/music/score.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "assets/music/synth.h"
#include "runtime/timeline.h"

namespace musicgen {
namespace {

using Notes = std::vector<Note>;

// A chord: the bass root (around octave 2) and a four-note pad voicing around middle C.
struct Chord {
  float root;
  std::array<float, 4> voicing;
};
constexpr Chord Dm{38, {57, 62, 65, 69}};
constexpr Chord Bb{34, {58, 62, 65, 70}};
constexpr Chord F{41, {57, 60, 65, 69}};
constexpr Chord C{36, {55, 60, 64, 67}};
constexpr Chord Gm{31, {55, 62, 67, 70}};
constexpr Chord A{33, {57, 61, 64, 69}};
constexpr Chord Eb{39, {55, 58, 63, 67}};

// A chord held from a bar for some bars.
struct Span {
  double bar;
  double bars;
  const Chord* chord;
  double start() const { return at(bar); }
  double end() const { return at(bar + bars); }
};
using Harmony = std::vector<Span>;

// One melody note: beat offset from the phrase start, length in beats, MIDI pitch.
struct Tune {
  double beat;
  double beats;
  float pitch;
};
using Phrase = std::vector<Tune>;

constexpr double sixteenth = beatseconds / 4.0;

// Pattern letters per sixteenth: X loud, x medium, o soft, anything else a rest.
float strength(char step) {
  switch (step) {
    case 'X': return 1.0f;
    case 'x': return 0.72f;
    case 'o': return 0.45f;
    default: return 0.0f;
  }
}

void add(Notes& notes, double time, double length, Voice voice, float pitch, float velocity,
         float pan = 0, float tone = 0.5f) {
  notes.push_back(Note{time, length, voice, pitch, velocity, pan, tone, 0, 0});
}

// Effect voices that swell in over `attack` seconds and fade over the last `release` seconds.
void swell(Notes& notes, Voice voice, double from, double to, float attack, float release,
           float velocity, float pitch = 60, float tone = 0.5f) {
  notes.push_back(Note{from, to - from, voice, pitch, velocity, 0, tone, attack, release});
}

// Repeats a drum pattern bar after bar; a pattern may span several bars.
void drums(Notes& notes, Voice voice, double bar, double bars, const std::string& pattern,
           float velocity, float pan = 0) {
  const double end = at(bar + bars) - 1e-6;
  for (int step = 0;; ++step) {
    const double time = at(bar) + step * sixteenth;
    if (time >= end) break;
    const float s = strength(pattern[step % pattern.size()]);
    if (s > 0) add(notes, time, sixteenth, voice, 60, velocity * s, pan);
  }
}

void pads(Notes& notes, const Harmony& harmony, float velocity, float tone,
          float attack = 0, Voice voice = Voice::pad) {
  for (const Span& span : harmony) {
    const float spread[] = {-0.45f, 0.3f, -0.2f, 0.45f};
    for (size_t i = 0; i < span.chord->voicing.size(); ++i) {
      notes.push_back(Note{span.start(), span.end() - span.start(), voice, span.chord->voicing[i],
                           velocity, spread[i], tone, attack, 0});
    }
  }
}

enum class Bassline { drone, offbeats, gallop, eighths };

// Bass under the harmony. The gallop leaves each beat's first sixteenth to the kick.
void bass(Notes& notes, const Harmony& harmony, Bassline style, float velocity, float tone) {
  for (const Span& span : harmony) {
    const float root = span.chord->root;
    if (style == Bassline::drone) {
      add(notes, span.start(), span.end() - span.start() - 0.02, Voice::bass, root, velocity, 0,
          tone);
      continue;
    }
    for (double t = span.start(); t < span.end() - 1e-6; t += beatseconds) {
      switch (style) {
        case Bassline::offbeats:
          add(notes, t + 2 * sixteenth, 1.6 * sixteenth, Voice::bass, root, velocity, 0, tone);
          break;
        case Bassline::eighths:
          add(notes, t, 1.6 * sixteenth, Voice::bass, root, velocity * 0.9f, 0, tone);
          add(notes, t + 2 * sixteenth, 1.6 * sixteenth, Voice::bass, root, velocity, 0, tone);
          break;
        default:
          add(notes, t + sixteenth, 0.8 * sixteenth, Voice::bass, root, velocity * 0.85f, 0, tone);
          add(notes, t + 2 * sixteenth, 0.8 * sixteenth, Voice::bass, root, velocity, 0, tone);
          add(notes, t + 3 * sixteenth, 0.8 * sixteenth, Voice::bass, root + 12, velocity * 0.8f,
              0, tone);
          break;
      }
    }
  }
}

// Sixteenth-note arpeggio up and down the chord over two octaves; the tone may open across a
// passage (from tone to toneto between the first and last span).
void arpeggio(Notes& notes, const Harmony& harmony, float velocity, float tone, float toneto,
              float octave = 12) {
  const double from = harmony.front().start();
  const double to = harmony.back().end();
  const int order[] = {0, 1, 2, 3, 4, 5, 4, 2};
  int step = 0;
  for (const Span& span : harmony) {
    const auto& v = span.chord->voicing;
    const float ladder[] = {v[1], v[2], v[3], v[1] + 12, v[2] + 12, v[3] + 12};
    for (double t = span.start(); t < span.end() - 1e-6; t += sixteenth, ++step) {
      const float progress = static_cast<float>((t - from) / (to - from));
      const float pitch = ladder[order[step % 8]] + octave - 12;
      const float accent = step % 4 == 0 ? 1.0f : 0.75f;
      add(notes, t, sixteenth * 0.9, Voice::pluck, pitch, velocity * accent,
          step % 2 ? 0.6f : -0.6f, tone + (toneto - tone) * progress);
    }
  }
}

void melody(Notes& notes, Voice voice, double bar, const Phrase& phrase, float velocity,
            float transpose = 0, float pan = 0) {
  for (const Tune& n : phrase) {
    add(notes, at(bar, n.beat), n.beats * beatseconds * 0.92, voice, n.pitch + transpose,
        velocity, pan);
  }
}

// The white flashes: a low boom, a crash and the root an octave down.
void hit(Notes& notes, double time, float strength, float root = 26) {
  add(notes, time, 1.0, Voice::impact, root, strength);
  add(notes, time, 2.0, Voice::crash, 60, 0.85f * strength);
  add(notes, time, 1.2, Voice::bass, root + 12, 0.8f * strength, 0, 0.25f);
}

void snareroll(Notes& notes, double from, double to, double step, float vfrom, float vto) {
  for (double t = from; t < to - 1e-6; t += step) {
    const float p = static_cast<float>((t - from) / (to - from));
    add(notes, t, step, Voice::snare, 60, vfrom + (vto - vfrom) * p * p);
  }
}

// Scattered high bell notes on the D minor pentatonic, their density and level following a
// triangle that rises from `from` to `peak` and falls to `to`.
void sparkles(Notes& notes, Noise& noise, double from, double peak, double to, float velocity,
              float density) {
  const float scale[] = {74, 77, 79, 81, 84, 86, 89, 91, 93, 96};
  for (double t = from; t < to; t += sixteenth / 2) {
    const double rise = t < peak ? (t - from) / (peak - from) : (to - t) / (to - peak);
    const float shape = static_cast<float>(rise);
    if (noise.unit() < density * shape) {
      const float pitch = scale[noise.bits() % 10];
      add(notes, t, 0.08, Voice::bell, pitch, velocity * (0.4f + 0.6f * shape), noise.next() * 0.8f);
    }
  }
}

// The main theme: eight bars over Dm Bb F C, answered over Dm Bb Gm A.
const Phrase maintheme = {
    {0, 1.5, 81}, {1.5, 0.5, 79}, {2, 1, 77}, {3, 1, 76},
    {4, 1.5, 74}, {5.5, 0.5, 76}, {6, 1, 77}, {7, 1, 81},
    {8, 1.5, 82}, {9.5, 0.5, 81}, {10, 1, 79}, {11, 1, 77},
    {12, 3, 74},
    {16, 1.5, 72}, {17.5, 0.5, 74}, {18, 1, 77}, {19, 1, 81},
    {20, 1.5, 79}, {21.5, 0.5, 77}, {22, 1, 76}, {23, 1, 77},
    {24, 1.5, 76}, {25.5, 0.5, 77}, {26, 1, 79}, {27, 1, 84},
    {28, 3, 79},
    {32, 1.5, 81}, {33.5, 0.5, 79}, {34, 1, 77}, {35, 1, 76},
    {36, 1.5, 74}, {37.5, 0.5, 76}, {38, 1, 77}, {39, 1, 81},
    {40, 1.5, 86}, {41.5, 0.5, 84}, {42, 1, 82}, {43, 1, 81},
    {44, 3, 77},
    {48, 1.5, 79}, {49.5, 0.5, 81}, {50, 1, 82}, {51, 1, 86},
    {52, 1, 84}, {53, 1, 82}, {54, 1, 81}, {55, 1, 79},
    {56, 1.5, 81}, {57.5, 0.5, 79}, {58, 1, 76}, {59, 1, 73},
    {60, 2, 76}, {62, 2, 69},
};

// The worm's theme: slow and low over Bb Gm Eb A.
const Phrase wormtheme = {
    {0, 3, 74}, {3, 1, 72}, {4, 2, 70}, {6, 2, 77},
    {8, 3, 79}, {11, 1, 77}, {12, 4, 74},
    {16, 3, 75}, {19, 1, 74}, {20, 2, 70}, {22, 2, 79},
    {24, 2, 81}, {26, 1, 79}, {27, 1, 76}, {28, 4, 73},
};

// The feelers' riff over Dm C Bb A: a syncopated figure and a held answer, two bars per chord.
Phrase feelerriff() {
  const float tops[4][5] = {{81, 81, 86, 84, 81}, {79, 79, 88, 86, 84},
                            {77, 77, 82, 81, 77}, {76, 76, 81, 85, 88}};
  const float answers[4] = {77, 76, 74, 73};
  Phrase phrase;
  for (int chord = 0; chord < 4; ++chord) {
    const double beat = 8.0 * chord;
    const double offsets[] = {0, 0.75, 1.5, 2.5, 3};
    for (int i = 0; i < 5; ++i) phrase.push_back({beat + offsets[i], 0.5, tops[chord][i]});
    phrase.push_back({beat + 4, 2.5, answers[chord]});
    phrase.push_back({beat + 7, 0.5, tops[chord][0] - 5});
  }
  return phrase;
}

const Phrase outrotheme = {
    {0, 2, 77}, {2, 2, 74}, {4, 4, 82}, {8, 2, 79}, {10, 1, 81}, {11, 1, 82},
    {12, 4, 81}, {16, 6, 74},
};

const std::string fourfloor = "X...X...X...X...";
const std::string halftime = "X.......X.......";
const std::string backbeat = "....X.......X...";
const std::string sixteenths = "xo.oxo.oxo.oxo.o";
const std::string eighths = "x.o.x.o.x.o.x.o.";
const std::string offbeats = "..x...x...x...x.";
const std::string openoffbeats = "..X...X...X...X.";

// 0-13.84 s: out of silence, the static swelling under the shake, sparks round the cells star.
void intro(Notes& notes, Noise& noise) {
  for (float pitch : {50.0f, 57.0f, 62.0f, 65.0f}) {
    notes.push_back(Note{0.05, 13.6, Voice::pad, pitch, 0.45f, (pitch - 58) / 12, 0.12f, 3.0f, 0});
  }
  notes.push_back(Note{0.05, 13.6, Voice::bass, 26, 0.35f, 0, 0.05f, 4.0f, 0});
  swell(notes, Voice::staticnoise, 4.35, 12.209, 4.436f, 1.94f, 0.9f);
  sparkles(notes, noise, 5.94, 8.76, 11.59, 0.35f, 0.55f);
  const Phrase call = {{0, 3, 69}, {4, 3, 65}, {8, 3, 64}, {12, 6, 62}};
  melody(notes, Voice::bell, 1, call, 0.22f);
  swell(notes, Voice::reversecymbal, 12.3, 13.839, 1.5f, 0.01f, 0.55f);
}

// 13.84-29.14 s: the second orbit, the snow gathering into a ball, the riser into the white-out.
void build(Notes& notes) {
  hit(notes, 13.839, 0.85f);
  const Harmony harmony = {{8, 3, &Dm}, {11, 2, &Bb}, {13, 2, &Gm}, {15, 2, &A}};
  pads(notes, harmony, 0.4f, 0.25f, 0.8f);
  const Harmony arp = {{9, 2, &Dm}, {11, 2, &Bb}, {13, 2, &Gm}, {15, 2, &A}};
  arpeggio(notes, arp, 0.38f, 0.05f, 0.75f);
  const Harmony groove = {{12, 1, &Bb}, {13, 2, &Gm}, {15, 1, &A}};
  bass(notes, groove, Bassline::offbeats, 0.6f, 0.3f);
  drums(notes, Voice::kick, 12, 2, halftime, 0.75f);
  drums(notes, Voice::kick, 14, 2, fourfloor, 0.85f);
  drums(notes, Voice::hat, 12, 2, offbeats, 0.4f, 0.2f);
  drums(notes, Voice::hat, 14, 2, sixteenths, 0.5f, 0.2f);
  drums(notes, Voice::clap, 14, 2, backbeat, 0.6f);
  add(notes, at(16), 0.2, Voice::kick, 60, 0.8f);
  snareroll(notes, at(16, 1), at(16, 3), sixteenth, 0.15f, 0.6f);
  snareroll(notes, at(16, 3), at(17), sixteenth / 2, 0.5f, 0.75f);
  swell(notes, Voice::riser, 27.68, timeline::cellsin, 1.4f, 0.02f, 0.65f, 50);
}

// 29.14-56.57 s: the main theme with the full beat; the static rises from 49.64 and the trail
// drops its balls from 52.03.
void mainsection(Notes& notes) {
  hit(notes, at(17), 1.0f);
  add(notes, at(21), 2.0, Voice::crash, 60, 0.7f);
  add(notes, at(21), 1.0, Voice::impact, 26, 0.5f);
  add(notes, at(25), 2.0, Voice::crash, 60, 0.55f);
  add(notes, at(29), 2.0, Voice::crash, 60, 0.55f);
  const Harmony harmony = {{17, 2, &Dm}, {19, 2, &Bb}, {21, 2, &F},  {23, 2, &C},
                           {25, 2, &Dm}, {27, 2, &Bb}, {29, 2, &Gm}, {31, 2, &A}};
  pads(notes, harmony, 0.42f, 0.45f);
  bass(notes, harmony, Bassline::gallop, 0.8f, 0.45f);
  melody(notes, Voice::lead, 17, maintheme, 0.7f);
  const Harmony secondhalf(harmony.begin() + 4, harmony.end());
  arpeggio(notes, secondhalf, 0.3f, 0.45f, 0.6f, 12);
  drums(notes, Voice::kick, 17, 15, fourfloor, 1.0f);
  drums(notes, Voice::kick, 32, 1, "X...X...X.......", 1.0f);
  drums(notes, Voice::clap, 17, 16, backbeat, 0.85f);
  drums(notes, Voice::snare, 17, 16, backbeat, 0.5f);
  drums(notes, Voice::hat, 17, 16, sixteenths, 0.6f, 0.4f);
  drums(notes, Voice::openhat, 17, 15, openoffbeats, 0.45f, -0.4f);
  snareroll(notes, at(24, 3), at(25), sixteenth, 0.4f, 0.7f);
  snareroll(notes, at(32, 2), at(33), sixteenth, 0.35f, 0.9f);
  swell(notes, Voice::staticnoise, 49.64, timeline::worms1in, 6.8f, 0.05f, 0.45f);
  // A bouncing ball: each bounce shorter and lower than the one before.
  double t = 52.03;
  double gap = 0.42;
  float pitch = 98;
  const float steps[] = {2, 3, 2, 2, 1, 2, 2, 3, 2, 2, 1, 2};
  for (int i = 0; t < 53.81; ++i) {
    add(notes, t, 0.06, Voice::bell, pitch, 0.42f * (1.0f - 0.05f * i), i % 2 ? 0.4f : -0.4f);
    t += gap;
    gap *= 0.8;
    pitch -= steps[i % 12];
  }
}

// 56.57-84.0 s: the worm waits (heartbeat, drone), then approaches (70.27) and the camera
// turns (77.13).
void worms1(Notes& notes, Noise& noise) {
  hit(notes, at(33), 0.95f);
  const Harmony waiting = {{33, 4, &Dm}, {37, 2, &Eb}, {39, 2, &A}};
  const Harmony approach = {{41, 2, &Bb}, {43, 2, &Gm}, {45, 2, &Eb}, {47, 2, &A}};
  pads(notes, waiting, 0.4f, 0.15f, 1.0f);
  pads(notes, approach, 0.4f, 0.4f);
  bass(notes, {{33, 4, &Dm}}, Bassline::drone, 0.55f, 0.1f);
  bass(notes, {{37, 2, &Eb}, {39, 2, &A}}, Bassline::offbeats, 0.65f, 0.25f);
  bass(notes, approach, Bassline::gallop, 0.8f, 0.4f);
  drums(notes, Voice::tom, 33, 4, "X..x............", 0.7f);
  const Phrase watch = {{4, 1, 86}, {5, 1, 81}, {6, 2, 77}, {12, 1, 86}, {13, 1, 81},
                        {14, 1, 75}, {15, 1, 74}};
  melody(notes, Voice::bell, 33, watch, 0.3f);
  drums(notes, Voice::kick, 37, 3, halftime, 0.85f);
  drums(notes, Voice::kick, 40, 1, "X...X...X...X.X.", 0.9f);
  drums(notes, Voice::hat, 37, 4, eighths, 0.45f, 0.4f);
  snareroll(notes, at(40, 1), at(41), sixteenth, 0.2f, 0.75f);
  swell(notes, Voice::riser, at(40), at(41), 1.6f, 0.02f, 0.6f, 45);
  add(notes, at(41), 2.0, Voice::crash, 60, 0.75f);
  add(notes, at(41), 1.0, Voice::impact, 26, 0.55f);
  drums(notes, Voice::kick, 41, 8, fourfloor, 1.0f);
  drums(notes, Voice::clap, 41, 8, backbeat, 0.85f);
  drums(notes, Voice::hat, 41, 8, sixteenths, 0.55f, 0.4f);
  melody(notes, Voice::lead, 41, wormtheme, 0.65f, -12);
  add(notes, at(45), 2.0, Voice::crash, 60, 0.6f);
  drums(notes, Voice::openhat, 45, 4, openoffbeats, 0.45f, -0.4f);
  arpeggio(notes, {{45, 2, &Eb}, {47, 2, &A}}, 0.28f, 0.3f, 0.6f, 12);
  snareroll(notes, at(48, 2), at(49), sixteenth, 0.35f, 0.85f);
  sparkles(notes, noise, at(45), at(47), at(49), 0.2f, 0.15f);
}

// 84.0-111.43 s: the feelers shoot, sparks where they touch; a flash at 97.7 and a camera change
// at 104.55.
void worms2(Notes& notes, Noise& noise) {
  hit(notes, at(49), 1.0f);
  const Harmony harmony = {{49, 2, &Dm}, {51, 2, &C}, {53, 2, &Bb}, {55, 2, &A},
                           {57, 2, &Dm}, {59, 2, &C}, {61, 2, &Bb}, {63, 2, &A}};
  pads(notes, harmony, 0.38f, 0.5f);
  bass(notes, harmony, Bassline::gallop, 0.85f, 0.55f);
  const Harmony first(harmony.begin(), harmony.begin() + 6);
  const Harmony last(harmony.begin() + 6, harmony.end());
  arpeggio(notes, first, 0.3f, 0.55f, 0.75f, 12);
  arpeggio(notes, last, 0.3f, 0.75f, 0.85f, 19);
  const Phrase riff = feelerriff();
  melody(notes, Voice::lead, 49, riff, 0.62f);
  melody(notes, Voice::lead, 57, riff, 0.66f);
  drums(notes, Voice::kick, 49, 15, fourfloor, 1.0f);
  drums(notes, Voice::kick, 64, 1, "X...X...........", 1.0f);
  drums(notes, Voice::clap, 49, 15, backbeat, 0.85f);
  drums(notes, Voice::snare, 49, 15, backbeat, 0.5f);
  drums(notes, Voice::hat, 49, 15, sixteenths, 0.6f, 0.4f);
  drums(notes, Voice::openhat, 49, 12, openoffbeats, 0.45f, -0.4f);
  drums(notes, Voice::openhat, 61, 3, "..X...X...X..XX.", 0.45f, -0.4f);
  hit(notes, at(57), 0.9f);
  add(notes, at(61), 2.0, Voice::crash, 60, 0.6f);
  for (int bar = 49; bar < 64; ++bar) {
    const float pan = bar % 2 ? 0.6f : -0.6f;
    add(notes, at(bar, 2.5), 0.35, Voice::zap, 96, 0.45f, pan);
    if (bar % 4 == 3) add(notes, at(bar, 3.25), 0.3, Voice::zap, 91, 0.35f, -pan);
  }
  sparkles(notes, noise, at(49), at(57), at(64), 0.18f, 0.25f);
  snareroll(notes, at(64), at(64, 3.5), sixteenth, 0.2f, 0.9f);
  swell(notes, Voice::riser, at(64), at(64, 3.5), 1.4f, 0.03f, 0.7f, 50);
}

// 111.43-118.35 s: the dive: the beat drops, the worm collapses into the cell, the centre buds.
void dive(Notes& notes) {
  hit(notes, at(65), 1.0f, 22);
  const Harmony harmony = {{65, 2, &Bb}, {67, 2, &Gm}};
  pads(notes, harmony, 0.42f, 0.22f);
  bass(notes, harmony, Bassline::drone, 0.45f, 0.12f);
  drums(notes, Voice::tom, 65, 4, "X..x............", 0.45f);
  notes.push_back(Note{112.8, 5.5, Voice::dive, 74, 0.55f, 0, 0.6f, 0.4f, 1.0f});
  swell(notes, Voice::staticnoise, 113.0, 117.0, 2.5f, 1.5f, 0.3f, 60, 0.9f);
  add(notes, 115.5, 0.3, Voice::bell, 86, 0.35f, 0.2f);
  add(notes, 115.5, 0.3, Voice::bell, 81, 0.25f, -0.2f);
}

// 118.35-134.65 s: the growth: strings from the cut and the beat back; the camera rushes away
// at 132.0 into the white.
void growth(Notes& notes, Noise& noise) {
  const Harmony harmony = {{69, 2, &Bb}, {71, 2, &C}, {73, 2, &Dm}, {75, 2, &F}};
  Harmony strings = harmony;
  strings.front().bar = timeline::growthin / barseconds;
  strings.front().bars = 71 - strings.front().bar;
  pads(notes, strings, 0.5f, 0.6f, 0.7f, Voice::strings);
  const Phrase line = {{0, 8, 77}, {8, 8, 79}, {16, 8, 81}, {24, 4, 84}, {28, 4, 81}};
  for (const Tune& n : line) {
    const double start = std::max(at(69, n.beat), timeline::growthin);
    notes.push_back(Note{start, at(69, n.beat + n.beats) - start, Voice::strings, n.pitch, 0.42f,
                         0.1f, 0.7f, 1.2f, 0});
  }
  pads(notes, harmony, 0.22f, 0.35f);
  arpeggio(notes, harmony, 0.45f, 0.3f, 0.75f, 12);
  bass(notes, {{69, 2, &Bb}}, Bassline::drone, 0.5f, 0.15f);
  bass(notes, {{71, 2, &C}}, Bassline::offbeats, 0.7f, 0.3f);
  bass(notes, {{73, 2, &Dm}, {75, 2, &F}}, Bassline::gallop, 0.8f, 0.45f);
  drums(notes, Voice::kick, 71, 2, halftime, 0.85f);
  drums(notes, Voice::kick, 73, 4, fourfloor, 1.0f);
  drums(notes, Voice::hat, 71, 2, eighths, 0.45f, 0.4f);
  drums(notes, Voice::hat, 73, 4, sixteenths, 0.55f, 0.4f);
  drums(notes, Voice::clap, 73, 4, backbeat, 0.8f);
  add(notes, at(73), 2.0, Voice::crash, 60, 0.6f);
  snareroll(notes, at(76, 2), at(77), sixteenth, 0.3f, 0.7f);
  add(notes, timeline::growthin, 2.0, Voice::crash, 60, 0.4f);
  // The date counter turns: 27th, 28th, 29th December.
  for (double t : {timeline::growthin, 124.0, 129.0})
    add(notes, t, 0.4, Voice::bell, 93, 0.3f, 0.3f);
  sparkles(notes, noise, at(69), at(73), at(77), 0.15f, 0.12f);
  // 132.0: the camera rushes away and the picture fades to white.
  pads(notes, {{77, timeline::returnin / barseconds - 77, &Bb}}, 0.45f, 0.8f, 1.5f);
  swell(notes, Voice::riser, at(77), timeline::returnin, 2.5f, 0.02f, 0.75f, 46);
  swell(notes, Voice::reversecymbal, 133.1, timeline::returnin, 1.5f, 0.01f, 0.6f);
}

// 134.65-138.85 s: back in the landscape, everything rising to the burst.
void returnbuild(Notes& notes) {
  hit(notes, timeline::returnin, 0.9f, 21);
  const double from = timeline::returnin / barseconds;
  pads(notes, {{from, 81 - from, &A}}, 0.38f, 0.45f);
  bass(notes, {{78.75, 1.25, &A}}, Bassline::eighths, 0.5f, 0.35f);
  drums(notes, Voice::kick, 78.75, 1.25, "X...", 0.7f);
  snareroll(notes, at(79), at(80), 2 * sixteenth, 0.15f, 0.35f);
  snareroll(notes, at(80), at(81), sixteenth, 0.25f, 0.5f);
  swell(notes, Voice::staticnoise, timeline::returnin, 139.849, 4.2f, 1.0f, 0.35f);
  swell(notes, Voice::riser, timeline::returnin, timeline::burstin, 3.9f, 0.02f, 0.4f, 45);
  const Phrase run = {{0, 0.5, 62}, {0.5, 0.5, 64}, {1, 0.5, 65}, {1.5, 0.5, 67},
                      {2, 0.5, 69}, {2.5, 0.5, 70}, {3, 0.5, 72}, {3.5, 0.5, 73}};
  melody(notes, Voice::lead, 80, run, 0.3f, 12);
}

// 138.85-145.7 s: the burst, two bars of everything, a last chord that dies with the picture.
void climax(Notes& notes) {
  hit(notes, at(81), 1.0f, 26);
  add(notes, at(81), 2.5, Voice::crash, 60, 0.8f, 0.5f);
  swell(notes, Voice::staticnoise, at(81), at(81) + 1.0, 0.01f, 0.95f, 0.6f, 60, 0.2f);
  const Harmony harmony = {{81, 2, &Dm}};
  pads(notes, harmony, 0.5f, 0.65f);
  pads(notes, harmony, 0.45f, 0.7f, 0.05f, Voice::strings);
  bass(notes, harmony, Bassline::gallop, 0.85f, 0.55f);
  const Phrase theme(maintheme.begin(), maintheme.begin() + 8);
  melody(notes, Voice::lead, 81, theme, 0.72f);
  arpeggio(notes, harmony, 0.32f, 0.7f, 0.7f, 12);
  drums(notes, Voice::kick, 81, 2, fourfloor, 1.0f);
  drums(notes, Voice::clap, 81, 2, backbeat, 0.85f);
  drums(notes, Voice::snare, 81, 2, backbeat, 0.5f);
  drums(notes, Voice::hat, 81, 2, sixteenths, 0.6f, 0.4f);
  drums(notes, Voice::openhat, 81, 2, openoffbeats, 0.45f, -0.4f);
  hit(notes, at(83), 0.95f, 26);
  for (float pitch : {50.0f, 57.0f, 62.0f, 65.0f, 69.0f}) {
    notes.push_back(Note{at(83), 0.6, Voice::pad, pitch, 0.5f, (pitch - 60) / 12, 0.5f, 0, 0});
  }
  add(notes, at(83), 0.6, Voice::lead, 86, 0.6f);
}

// 145-158 s: glitches under the closing text's bursts, then a quiet close on D.
void outro(Notes& notes, Noise& noise) {
  for (double t = 145.0; t < 147.5; t += sixteenth / 2) {
    if (noise.unit() < 0.3f) {
      add(notes, t, 0.03 + 0.04 * noise.unit(), Voice::blip, 84 + 12 * noise.unit(), 0.25f,
          noise.next() * 0.7f);
    }
  }
  const Harmony harmony = {{145.0 / barseconds, 86 - 145.0 / barseconds, &Dm},
                           {86, 2, &Bb}, {88, 2, &Gm}, {90, 1.6, &Dm}};
  pads(notes, harmony, 0.5f, 0.22f, 1.5f);
  bass(notes, {{88, 2, &Gm}, {90, 1.5, &Dm}}, Bassline::drone, 0.45f, 0.05f);
  melody(notes, Voice::bell, 86, outrotheme, 0.45f);
}

}  // namespace

std::vector<Note> compose() {
  Notes notes;
  Noise noise(0x2007u);
  intro(notes, noise);
  build(notes);
  mainsection(notes);
  worms1(notes, noise);
  worms2(notes, noise);
  dive(notes);
  growth(notes, noise);
  returnbuild(notes);
  climax(notes);
  outro(notes, noise);
  return notes;
}

}  // namespace musicgen
