#include "assets/music/score.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "assets/music/parts.h"
#include "runtime/timeline.h"

namespace musicgen {
namespace {

constexpr Chord Dm{38, {57, 62, 65, 69}};
constexpr Chord Bb{34, {58, 62, 65, 70}};
constexpr Chord F{41, {57, 60, 65, 69}};
constexpr Chord C{36, {55, 60, 64, 67}};
constexpr Chord Gm{31, {55, 62, 67, 70}};
constexpr Chord A{33, {57, 61, 64, 69}, 6, 1};
constexpr Chord Eb{39, {55, 58, 63, 67}, 1, -1};

// The hook everything grows from, one bar: A D F on the 3+3+2 grid, a held E, a quick D, C and a
// rest. Degrees count the D minor scale from D4.
const Motif hook = {{0, 2, 4}, {3, 2, 7}, {6, 2, 9, 1.1f}, {8, 3, 8}, {11, 1, 7, 0.8f}, {12, 2, 6}};
// The same with a turn on beat three.
const Motif turn = {{0, 2, 4}, {3, 2, 7}, {6, 2, 9, 1.1f}, {8, 1, 10},
                    {9, 2, 8}, {11, 1, 7, 0.8f}, {12, 2, 6}};
// Answers: a held note and a rest for the counter-melody, a climbing 3+3+2, two cadences.
const Motif answer = {{0, 4, 5}, {13, 1, 4, 0.8f}, {14, 2, 5}};
const Motif answerhigh = {{0, 4, 10}, {14, 1, 6, 0.8f}, {15, 1, 5}};
const Motif climb = {{0, 3, 5}, {3, 3, 7}, {6, 4, 9, 1.1f}};
const Motif cadence = {{0, 3, 8}, {3, 3, 6}, {6, 10, 4}};
const Motif fall = {{0, 2, 8}, {2, 2, 7}, {4, 2, 6}, {6, 2, 4}, {8, 8, 1}};

// Eight bars of the theme over Dm Bb F C Dm Bb Gm A: hook and answer, the hook a third up over F,
// then a fourth up over Gm into the cadence.
Motif theme(bool second) {
  Motif m = second ? turn : hook;
  m = joined(m, answer, 16);
  m = joined(m, shifted(hook, 2), 32);
  m = joined(m, answerhigh, 48);
  m = joined(m, second ? turn : hook, 64);
  m = joined(m, climb, 80);
  m = joined(m, shifted(hook, 3), 96);
  return joined(m, second ? fall : cadence, 112);
}

// The feelers' riff: the hook upside down, then its tail at double speed twice, one chord in two
// bars, moved down the scale with the chord (Dm C Bb A).
Motif feelers() {
  const Motif upside = shifted(inverted(hook, 4), 7);
  const Motif fast = stretched(Motif(upside.begin() + 2, upside.end()), 0.5);
  Motif bars = joined(upside, joined(shifted(fast, -2), fast, 8), 16);
  Motif riff;
  for (int chord = 0; chord < 4; ++chord) riff = joined(riff, shifted(bars, -chord), 32 * chord);
  return riff;
}

// The worm's theme: the hook at half speed, one chord in two bars (Bb Gm Eb A).
Motif wormtheme() {
  Motif m;
  const int shifts[] = {-2, -4, -6, -3};
  for (int k = 0; k < 4; ++k) m = joined(m, stretched(shifted(hook, shifts[k]), 2), 32 * k);
  return m;
}

// Drum bars; the sections name them by letter.
const std::vector<Kit> kits = {
    // A-D: the main beat and its lifts.
    {"X...X...X...X...", "....X..g....X..g", "....X.......X...", "xoxoxoxoxoxoxoxo", "", "", ""},
    {"X...X...X..xX...", "....X.g.....X...", "....X.......X...", "xoxoxoxoxoxox.xo",
     "..............x.", "", ""},
    {"X...X...X...X...", "....X..g....X..g", "....X.......X...", "xoxoxoxoxoxoxoxo",
     "..x...x...x...x.", "", ""},
    {"X...X...X...X.x.", "....X..g.g..X...", "....X.......X...", "xox.xoxoxox.xoxo",
     "..x...x...x...xx", "", ""},
    // E: four on the floor with a pickup; F, G: fills; H: the beat stops after three beats.
    {"X...X...X...X.X.", "", "", "x.o.x.o.x.o.x.o.", "", "", ""},
    {"X...X...X.....x.", "....X...g.xoXxX.", "....X...........", "xoxoxoxo........", "", "", ""},
    {"X...X...X.......", "....X...........", "....X...........", "xoxoxoxo........", "", "",
     "........XxXxXx.."},
    {"X...X...X.......", "", "....X...........", "xoxoxoxoxoxo....", "", "", ""},
    // I, J: half time; K, L: four on the floor; M: one kick.
    {"X.......X.......", "", "", "..x...x...x...x.", "", "", ""},
    {"X.......X..x....", "", "", "..x...x...x.x.x.", "", "", ""},
    {"X...X...X...X...", "", "....X.......X...", "xoxoxoxoxoxoxoxo", "", "", ""},
    {"X...X...X...X.xx", "...........g....", "....X.......X...", "xoxoxoxoxoxox.xo", "", "", ""},
    {"X...............", "", "", "", "", "", ""},
    // N, O: the worm's slow beat.
    {"X.......X.......", "", "", "x.o.x.o.x.o.x.o.", "", "", ""},
    {"X.......X..x....", "......g.........", "", "x.o.x.o.x.oxx.o.", "", "", ""},
    // P, Q: the feelers' beat; R, S: the ride after the flash.
    {"X...X...X...X...", "..g....g..g....g", "....X.......X...", "x.xox.xox.xox.xo",
     "..x...x...x...x.", "", ""},
    {"X...X..xX...X...", "....X..g.g....g.", "....X.......X...", "x.xox.xox.xoxxxo",
     "..x...x.........", "", ""},
    {"X..xX...X..xX...", "......g..g....g.", "....X.......X...", "", "", "X.x.X.x.X.x.X.x.", ""},
    {"X...X..xX...X.x.", "....X..g.g..X..g", "....X.......X...", "", "", "X.xxX.x.X.xxX.x.", ""},
    // T, U: broken half time under the camera change; V: two kicks into the dive.
    {"X.........X.....", "........X.......", "", "x.x.x.x.x.x.x.x.", "", "X...X...X...X...", ""},
    {"X.x.......X..x..", "....g...X.....g.", "", "x.x.x.x.x.xxx.x.", "", "X...X...X...X.x.", ""},
    {"X...X...........", "", "", "xoxoxoxo........", "", "", ""},
    // W, X: the climax; Y: its last bar, stopping after three beats.
    {"X...X...X...X...", "....X..g....X.gx", "....X.......X...", "xoxoxoxoxoxoxoxo",
     "..x...x...x...x.", "X.x.X.x.X.x.X.x.", ""},
    {"X...X...X...X.X.", "....X..g.g..XxXX", "....X.......X...", "xoxoxoxoxoxoxoxo",
     "..x...x...x...x.", "X.x.X.x.X.x.X.x.", ""},
    {"X...X...X.......", "....X.......", "....X.......", "xoxoxoxoxoxo", "..x...x.....",
     "X.x.X.x.X.x.", ""},
};

const std::string rolling = ".rro.rro.rro.rfa";
const std::string legato = ".r-o.rf-.r-o.g-a";
const std::string octaves = "o.ro.r.fo.ro.rfa";
const std::string offbeats = "..r...r...r...r.";

// 0-13.84 s: out of silence, the static swelling under the shake, sparks round the cells star;
// the hook rings out at a quarter speed on the bells.
void intro(Notes& notes, Noise& noise) {
  for (float pitch : {50.0f, 57.0f, 62.0f, 65.0f}) {
    notes.push_back(Note{0.05, 13.6, Voice::pad, pitch, 0.28f, (pitch - 58) / 12, 0.25f, 3.0f, 0});
  }
  notes.push_back(Note{0.05, 13.6, Voice::bass, 26, 0.15f, 0, 0.05f, 4.0f, 0});
  swell(notes, Voice::staticnoise, 4.35, 12.209, 4.436f, 1.94f, 0.9f);
  const Harmony still = {{0, 8, &Dm}};
  sparkles(notes, noise, still, 5.94, 8.76, 11.59, 0.35f, 0.55f);
  play(notes, Voice::bell, 1, stretched(hook, 4), still, 0.17f);
  swell(notes, Voice::reversecymbal, 12.3, 13.839, 1.5f, 0.01f, 0.55f);
}

// 13.84-29.14 s: the second orbit, the snow gathering into a ball, the riser into the white-out.
void build(Notes& notes, Noise& noise) {
  hit(notes, 13.839, 0.85f);
  const Harmony harmony = {{8, 3, &Dm}, {11, 2, &Bb}, {13, 2, &Gm}, {15, 2, &A}};
  pads(notes, harmony, 0.55f, 0.45f, 0.8f);
  arpeggio(notes, {{9, 2, &Dm}, {11, 2, &Bb}, {13, 2, &Gm}, {15, 2, &A}}, 0.38f, 0.05f, 0.75f);
  bassline(notes, {{12, 1, &Bb}, {13, 2, &Gm}, {15, 1, &A}}, offbeats, 0.6f, 0.3f);
  groove(notes, noise, 12, "IJKL", kits, 0.85f);
  play(notes, Voice::counter, 13, shifted(hook, 3), harmony, 0.3f);
  play(notes, Voice::counter, 15, cadence, harmony, 0.3f);
  add(notes, at(16), 0.2, Voice::kick, 60, 0.8f);
  snareroll(notes, at(16, 1), at(16, 3), sixteenth, 0.15f, 0.6f);
  snareroll(notes, at(16, 3), at(17), sixteenth / 2, 0.5f, 0.75f);
  swell(notes, Voice::riser, 27.68, timeline::cellsin, 1.4f, 0.02f, 0.65f, 50);
}

const Harmony themechords(double bar) {
  const Chord* row[] = {&Dm, &Bb, &F, &C, &Dm, &Bb, &Gm, &A};
  Harmony h;
  for (int i = 0; i < 8; ++i) h.push_back({bar + i, 1, row[i]});
  return h;
}

// 29.14-56.57 s: the theme twice, its second time with the turn, open hats and the arpeggio
// answering; the static rises from 49.64 and the trail drops its balls from 52.03.
void mainsection(Notes& notes, Noise& noise) {
  hit(notes, at(17), 1.0f);
  hit(notes, at(21), 0.75f);
  add(notes, at(25), 2.0, Voice::crash, 60, 0.55f);
  add(notes, at(29), 2.0, Voice::crash, 60, 0.5f);
  Harmony harmony = themechords(17);
  const Harmony second = themechords(25);
  harmony.insert(harmony.end(), second.begin(), second.end());
  pads(notes, harmony, 0.38f, 0.45f);
  bassline(notes, themechords(17), rolling, 0.8f, 0.45f);
  bassline(notes, second, legato, 0.8f, 0.5f);
  play(notes, Voice::lead, 17, theme(false), harmony, 0.62f, 0, 0, 0.6f);
  play(notes, Voice::lead, 25, theme(true), harmony, 0.62f, 0, 0, 0.7f);
  counter(notes, harmony, 0.3f);
  arpeggio(notes, Harmony(harmony.begin() + 4, harmony.end()), 0.3f, 0.4f, 0.65f, 12);
  groove(notes, noise, 17, "ABAFABAGCDCFCDCH", kits, 0.75f);
  snareroll(notes, at(32, 2), at(33), sixteenth, 0.35f, 0.9f);
  swell(notes, Voice::staticnoise, 49.64, timeline::worms1in, 6.8f, 0.05f, 0.45f);
  // A bouncing ball: each bounce shorter and lower than the one before.
  double t = 52.03;
  double gap = 0.42;
  float pitch = 98;
  const float steps[] = {2, 3, 2, 2, 1, 2, 2, 3, 2, 2, 1, 2};
  for (int i = 0; t < 53.81; ++i) {
    add(notes, t, 0.06, Voice::bell, pitch, 0.4f * (1.0f - 0.05f * i), i % 2 ? 0.4f : -0.4f);
    t += gap;
    gap *= 0.8;
    pitch -= steps[i % 12];
  }
}

// 56.57-84.0 s: the worm waits (heartbeat, drone), then approaches (70.27) with its theme, the
// hook slowed down; the camera turns at 77.13.
void worms1(Notes& notes, Noise& noise) {
  hit(notes, at(33), 0.95f);
  const Harmony waiting = {{33, 4, &Dm}, {37, 2, &Eb}, {39, 2, &A}};
  const Harmony approach = {{41, 2, &Bb}, {43, 2, &Gm}, {45, 2, &Eb}, {47, 2, &A}};
  pads(notes, waiting, 0.42f, 0.6f, 1.0f);
  pads(notes, approach, 0.45f, 0.45f);
  // The drone comes in a sixteenth after the flash, under the hit's own D rather than on top of it.
  bassline(notes, {{33, 4, &Dm}}, ".r" + std::string(62, '-'), 0.38f, 0.1f);
  bassline(notes, {{37, 2, &Eb}, {39, 2, &A}}, offbeats, 0.72f, 0.25f);
  bassline(notes, approach, ".rr.r-.fr-.or-.a", 0.8f, 0.4f);
  for (int bar = 33; bar < 37; ++bar) {
    add(notes, at(bar), 0.5, Voice::tom, 33, 0.6f);
    add(notes, at(bar, 0.75), 0.5, Voice::tom, 33, 0.4f);
  }
  // The worm watching: the hook's first notes, slowly, on the bells.
  play(notes, Voice::bell, 33, stretched(Motif(hook.begin(), hook.begin() + 3), 2), waiting, 0.3f,
       12);
  play(notes, Voice::bell, 35, stretched(inverted(Motif(hook.begin(), hook.begin() + 3), 7), 2),
       waiting, 0.26f, 12);
  groove(notes, noise, 37, "NONE", kits, 0.85f);
  snareroll(notes, at(40, 1), at(41), sixteenth, 0.2f, 0.75f);
  swell(notes, Voice::riser, at(40), at(41), 1.6f, 0.02f, 0.6f, 45);
  add(notes, at(41), 2.0, Voice::crash, 60, 0.75f);
  add(notes, at(41), 1.0, Voice::impact, 26, 0.55f);
  groove(notes, noise, 41, "ABAFPQPG", kits, 0.8f);
  play(notes, Voice::lead, 41, wormtheme(), approach, 0.74f, 12, 0, 0.45f);
  add(notes, at(45), 2.0, Voice::crash, 60, 0.6f);
  counter(notes, approach, 0.28f);
  arpeggio(notes, {{45, 2, &Eb}, {47, 2, &A}}, 0.28f, 0.3f, 0.6f, 12);
  snareroll(notes, at(48, 2), at(49), sixteenth, 0.35f, 0.85f);
  sparkles(notes, noise, approach, at(45), at(47), at(49), 0.2f, 0.15f);
}

// 84.0-111.43 s: the feelers shoot, sparks where they touch. The flash at 97.7 brings the ride
// and the hook itself against the riff; the camera change at 104.55 breaks the beat in half.
void worms2(Notes& notes, Noise& noise) {
  hit(notes, at(49), 1.0f);
  const Harmony harmony = {{49, 2, &Dm}, {51, 2, &C}, {53, 2, &Bb}, {55, 2, &A},
                           {57, 2, &Dm}, {59, 2, &C}, {61, 2, &Bb}, {63, 2, &A}};
  pads(notes, harmony, 0.45f, 0.5f);
  const Harmony first(harmony.begin(), harmony.begin() + 4);
  const Harmony flash(harmony.begin() + 4, harmony.begin() + 6);
  const Harmony broken(harmony.begin() + 6, harmony.end());
  bassline(notes, first, rolling, 0.85f, 0.55f);
  bassline(notes, flash, octaves, 0.85f, 0.6f);
  bassline(notes, broken, "r--.....r-.fo-.a", 0.85f, 0.5f);
  const Motif riff = feelers();
  play(notes, Voice::lead, 49, riff, harmony, 0.6f, 0, 0, 0.6f);
  play(notes, Voice::lead, 57, Motif(riff.begin(), riff.begin() + 18), harmony, 0.6f, -12, 0,
       0.8f);
  play(notes, Voice::counter, 57, joined(hook, shifted(hook, -1), 32), harmony, 0.45f, 12);
  play(notes, Voice::lead, 61, stretched(shifted(hook, -2), 2), harmony, 0.6f, 0, 0, 0.9f);
  arpeggio(notes, first, 0.3f, 0.5f, 0.7f, 12);
  arpeggio(notes, Harmony(harmony.begin() + 4, harmony.end()), 0.3f, 0.7f, 0.85f, 12);
  groove(notes, noise, 49, "PQPFPQPG", kits, 0.76f);
  groove(notes, noise, 57, "RSRF", kits, 0.76f);
  groove(notes, noise, 61, "TUTV", kits, 0.85f);
  hit(notes, at(57), 1.0f);
  add(notes, at(61), 2.0, Voice::crash, 60, 0.6f);
  add(notes, at(61), 1.0, Voice::impact, 24, 0.45f);
  // Zaps where feelers shoot: one every other bar, more after the flash, each on a note of the
  // sounding chord.
  for (int bar = 49; bar < 64; ++bar) {
    const float pan = bar % 4 < 2 ? 0.6f : -0.6f;
    const Chord& chord = *harmony[static_cast<size_t>(bar - 49) / 2].chord;
    if (bar % 2 == 1 || bar >= 57) {
      add(notes, at(bar, 2.5), 0.35, Voice::zap, chordtone(chord, 96), 0.4f, pan);
    }
    if (bar % 4 == 3) add(notes, at(bar, 3.25), 0.3, Voice::zap, chordtone(chord, 91), 0.32f, -pan);
  }
  sparkles(notes, noise, harmony, at(49), at(57), at(64), 0.18f, 0.25f);
  snareroll(notes, at(64), at(64, 3.5), sixteenth, 0.2f, 0.9f);
  swell(notes, Voice::riser, at(64), at(64, 3.5), 1.4f, 0.03f, 0.7f, 50);
}

// 111.43-118.35 s: the dive: the beat drops, the worm collapses into the cell, the centre buds.
void dive(Notes& notes) {
  hit(notes, at(65), 1.0f, 22);
  const Harmony harmony = {{65, 2, &Bb}, {67, 2, &Gm}};
  pads(notes, harmony, 0.45f, 0.3f);
  bassline(notes, harmony, "r" + std::string(31, '-'), 0.3f, 0.12f);
  for (int bar = 65; bar < 69; ++bar) add(notes, at(bar), 0.5, Voice::tom, 33, 0.4f);
  notes.push_back(Note{112.8, 5.5, Voice::dive, 74, 0.55f, 0, 0.6f, 0.4f, 1.0f});
  swell(notes, Voice::staticnoise, 113.0, 117.0, 2.5f, 1.5f, 0.3f, 60, 0.9f);
  add(notes, 115.5, 0.3, Voice::bell, 86, 0.35f, 0.2f);
  add(notes, 115.5, 0.3, Voice::bell, 81, 0.25f, -0.2f);
}

// 118.35-134.65 s: the growth: the strings sing the hook at a quarter speed, the beat comes back;
// the camera rushes away at 132.0 into the white.
void growth(Notes& notes, Noise& noise) {
  const Harmony harmony = {{69, 2, &Bb}, {71, 2, &C}, {73, 2, &Dm}, {75, 2, &F}};
  Harmony strings = harmony;
  strings.front().bar = timeline::growthin / barseconds;
  strings.front().bars = 71 - strings.front().bar;
  pads(notes, strings, 0.6f, 0.6f, 0.7f, Voice::strings);
  const Motif line = joined(stretched(hook, 4), shifted(stretched(hook, 4), 2), 64);
  for (const Step& s : line) {
    const double start = std::max(at(69, s.at / 4), timeline::growthin);
    const double end = at(69, (s.at + s.length) / 4);
    notes.push_back(Note{start, end - start, Voice::strings, pitchof(s.degree, Dm) + 12, 0.42f,
                         0.1f, 0.7f, 0.8f, 0});
  }
  pads(notes, harmony, 0.42f, 0.4f);
  arpeggio(notes, harmony, 0.42f, 0.3f, 0.75f, 12);
  bassline(notes, {{69, 2, &Bb}}, "r" + std::string(31, '-'), 0.5f, 0.15f);
  bassline(notes, {{71, 2, &C}}, offbeats, 0.7f, 0.3f);
  bassline(notes, {{73, 2, &Dm}, {75, 2, &F}}, legato, 0.8f, 0.45f);
  groove(notes, noise, 71, "TUPQSH", kits, 0.88f);
  add(notes, at(73), 2.0, Voice::crash, 60, 0.6f);
  snareroll(notes, at(76, 2), at(77), sixteenth, 0.3f, 0.7f);
  add(notes, timeline::growthin, 2.0, Voice::crash, 60, 0.4f);
  // The date counter turns: 27th, 28th, 29th December.
  for (double t : {timeline::growthin, 124.0, 129.0}) add(notes, t, 0.4, Voice::bell, 93, 0.3f, 0.3f);
  sparkles(notes, noise, harmony, at(69), at(73), at(77), 0.15f, 0.12f);
  // 132.0: the camera rushes away and the picture fades to white.
  pads(notes, {{77, timeline::returnin / barseconds - 77, &Bb}}, 0.45f, 0.8f, 1.5f);
  swell(notes, Voice::riser, at(77), timeline::returnin, 2.5f, 0.02f, 0.75f, 46);
  swell(notes, Voice::reversecymbal, 133.1, timeline::returnin, 1.5f, 0.01f, 0.6f);
}

// 134.65-138.85 s: back in the landscape, everything rising, then one beat of almost nothing.
void returnbuild(Notes& notes) {
  hit(notes, timeline::returnin, 0.9f, 21);
  const double from = timeline::returnin / barseconds;
  const double gap = at(80, 3);
  pads(notes, {{from, 80.3 - from, &A}}, 0.42f, 0.45f);
  bassline(notes, {{78.75, 1.25, &A}}, "r.r.", 0.5f, 0.35f);
  add(notes, at(78.75), 0.2, Voice::kick, 60, 0.7f);
  add(notes, at(79), 0.2, Voice::kick, 60, 0.75f);
  snareroll(notes, at(79), at(80), 2 * sixteenth, 0.15f, 0.35f);
  snareroll(notes, at(80), gap, sixteenth, 0.25f, 0.55f);
  swell(notes, Voice::staticnoise, timeline::returnin, gap, 3.3f, 0.1f, 0.35f);
  swell(notes, Voice::riser, timeline::returnin, gap, 3.2f, 0.02f, 0.4f, 45);
  swell(notes, Voice::reversecymbal, gap, timeline::burstin, 0.8f, 0.01f, 0.3f);
  const Motif run = {{0, 2, 0}, {2, 2, 1}, {4, 2, 2}, {6, 2, 3}, {8, 2, 4}, {10, 2, 5}};
  play(notes, Voice::lead, 80, run, {{80, 1, &A}}, 0.32f, 12);
}

// 138.85-145.7 s: the burst: the hook, its climb and the cadence an octave up and doubled below,
// supersaw and strings over the whole beat, Dm Bb A to a last Dm that dies with the picture.
void climax(Notes& notes, Noise& noise) {
  hit(notes, at(81), 1.0f, 26);
  add(notes, at(81), 2.5, Voice::crash, 60, 0.6f, 0.5f);
  swell(notes, Voice::staticnoise, at(81), at(81) + 1.0, 0.01f, 0.95f, 0.6f, 60, 0.2f);
  // The last Dm stops short of the black, so that only the room rings on into it.
  const Harmony harmony = {{81, 1, &Dm}, {82, 1, &Bb}, {83, 1, &A}, {84, 0.8, &Dm}};
  const size_t first = notes.size();
  pads(notes, harmony, 0.6f, 0.7f);
  pads(notes, harmony, 0.6f, 0.75f, 0.05f, Voice::strings);
  pads(notes, harmony, 0.9f, 0.8f, 0.02f, Voice::supersaw);
  for (const Span& span : harmony) {
    for (float pitch : {span.chord->voicing[1] + 12, span.chord->voicing[3] + 12}) {
      notes.push_back(Note{span.start(), span.end() - span.start(), Voice::supersaw, pitch, 0.6f,
                           pitch > 80 ? 0.6f : -0.6f, 0.8f, 0.02f, 0});
    }
  }
  for (size_t i = first; i < notes.size(); ++i) notes[i].release = 0.2f;
  bassline(notes, harmony, ".ror.ror.ror.fga", 0.9f, 0.6f);
  const Motif tune = joined(joined(joined(hook, climb, 16), cadence, 32), {{0, 12, 7}}, 48);
  play(notes, Voice::lead, 81, tune, harmony, 0.75f, 12, 0, 0.9f);
  play(notes, Voice::lead, 81, tune, harmony, 0.5f, 0, 0, 0.7f);
  arpeggio(notes, harmony, 0.32f, 0.8f, 0.8f, 12);
  groove(notes, noise, 81, "WWXY", kits, 0.8f);
  add(notes, at(82), 2.0, Voice::crash, 60, 0.6f, -0.5f);
  add(notes, at(83), 2.0, Voice::crash, 60, 0.6f, 0.5f);
  add(notes, at(84), 1.2, Voice::crash, 60, 0.55f);
}

// 145-158 s: glitches under the closing text's bursts, then a quiet close on D with the hook at
// half speed on the bells.
void outro(Notes& notes, Noise& noise) {
  for (double t = 145.0; t < 147.5; t += sixteenth / 2) {
    if (noise.unit() < 0.3f) {
      add(notes, t, 0.03 + 0.04 * noise.unit(), Voice::blip, 84 + 12 * noise.unit(), 0.25f,
          noise.next() * 0.7f);
    }
  }
  // The pads wait for the closing text at 147.5, just after the bar.
  const Harmony harmony = {{147.5 / barseconds, 88 - 147.5 / barseconds, &Bb}, {88, 2, &Gm},
                           {90, 1.6, &Dm}};
  pads(notes, harmony, 0.5f, 0.3f, 1.5f);
  bassline(notes, {{88, 2, &Gm}}, "r" + std::string(31, '-'), 0.45f, 0.05f);
  bassline(notes, {{90, 1.5, &Dm}}, "r" + std::string(23, '-'), 0.45f, 0.05f);
  play(notes, Voice::bell, 86, joined(stretched(hook, 2), {{32, 16, 0}}, 0), harmony, 0.4f, 12);
}

// A kick on a flash's boom only crowds it: it plays softer, so the hit keeps its punch through
// the limiter.
void softenkicks(Notes& notes) {
  std::vector<double> booms;
  for (const Note& n : notes) {
    if (n.voice == Voice::impact) booms.push_back(n.time);
  }
  for (Note& n : notes) {
    if (n.voice != Voice::kick) continue;
    for (double t : booms) {
      if (std::abs(n.time - t) < 0.01) n.velocity *= 0.5f;
    }
  }
}

// Breakpoints of the slow filter moves: seconds and factor.
constexpr double moves[][2] = {{0, 0.5},      {13.8, 0.55},  {29.1, 0.6},   {56.5, 1.05},
                               {56.6, 0.6},   {70.2, 0.85},  {84.0, 0.7},   {97.7, 1.0},
                               {104.5, 0.8},  {111.4, 1.05}, {118.3, 0.6},  {134.6, 1.15},
                               {145.7, 1.15}, {150, 0.6},    {158, 0.5}};

}  // namespace

float sweep(double time) {
  constexpr size_t count = sizeof(moves) / sizeof(moves[0]);
  for (size_t i = 1; i < count; ++i) {
    if (time < moves[i][0]) {
      const double p = (time - moves[i - 1][0]) / (moves[i][0] - moves[i - 1][0]);
      return static_cast<float>(moves[i - 1][1] + p * (moves[i][1] - moves[i - 1][1]));
    }
  }
  return static_cast<float>(moves[count - 1][1]);
}

const char* voicename(Voice voice) {
  static const char* const names[] = {
      "kick", "snare",  "clap",    "hat",     "openhat", "ride",  "crash",  "impact",
      "tom",  "bass",   "pad",     "strings", "supersaw", "lead", "counter", "pluck",
      "bell", "static", "riser",   "reversecymbal", "zap", "dive", "blip"};
  return names[static_cast<int>(voice)];
}

std::vector<Note> compose() {
  Notes notes;
  Noise noise(0x2007u);
  intro(notes, noise);
  build(notes, noise);
  mainsection(notes, noise);
  worms1(notes, noise);
  worms2(notes, noise);
  dive(notes);
  growth(notes, noise);
  returnbuild(notes);
  climax(notes, noise);
  outro(notes, noise);
  softenkicks(notes);
  return notes;
}

}  // namespace musicgen
