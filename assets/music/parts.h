#pragma once
// The score's building blocks: chords and harmony, motifs in scale degrees and their variations,
// bass lines, answering arpeggios, drum grooves, bells drawn from the chord, hits and rolls.
#include <array>
#include <string>
#include <vector>

#include "assets/music/score.h"
#include "assets/music/synth.h"

namespace musicgen {

using Notes = std::vector<Note>;
constexpr double sixteenth = beatseconds / 4.0;

// A chord: the bass root (octave 1 or 2), a four-note pad voicing around middle C, and the scale
// degree it alters by a semitone against D natural minor (the major third of A, the flat E of Eb).
struct Chord {
  float root;
  std::array<float, 4> voicing;
  int altered = -1;
  int by = 0;
};

// A chord held from a bar for some bars.
struct Span {
  double bar;
  double bars;
  const Chord* chord;
  double start() const { return at(bar); }
  double end() const { return at(bar + bars); }
};
using Harmony = std::vector<Span>;

// One motif note: sixteenths from the motif's start, length in sixteenths, and its degree of the
// D minor scale counted from D4 (0); 7 is D5, -3 is A3.
struct Step {
  double at;
  double length;
  int degree;
  float accent = 1;
};
using Motif = std::vector<Step>;

Motif shifted(Motif motif, int degrees);
Motif inverted(Motif motif, int axis);  // mirrored around the degree `axis`
Motif stretched(Motif motif, double factor);
Motif joined(Motif first, const Motif& second, double offset);
float pitchof(int degree, const Chord& chord);
// The note of the chord nearest to `pitch`, in any octave; the lower one where two are as near.
float chordtone(const Chord& chord, float pitch);

void add(Notes& notes, double time, double length, Voice voice, float pitch, float velocity,
         float pan = 0, float tone = 0.5f);
// Effect voices that swell in over `attack` seconds and fade over the last `release` seconds.
void swell(Notes& notes, Voice voice, double from, double to, float attack, float release,
           float velocity, float pitch = 60, float tone = 0.5f);
void play(Notes& notes, Voice voice, double bar, const Motif& motif, const Harmony& harmony,
          float velocity, float transpose = 0, float pan = 0, float tone = 0.5f);
void pads(Notes& notes, const Harmony& harmony, float velocity, float tone, float attack = 0,
          Voice voice = Voice::pad);

// One bar of bass per 16 letters, repeated over each span: r root, o octave, f fifth, a a step
// towards the next chord's root, g the octave glided up from the root, - holds, . rests.
void bassline(Notes& notes, const Harmony& harmony, const std::string& figure, float velocity,
              float tone);
// Sixteenths through the chord, one figure a bar from `figures`; loud where the lead rests and
// soft under its notes, so it answers the tune rather than running beside it.
void arpeggio(Notes& notes, const Harmony& harmony, float velocity, float tone, float toneto,
              float octave = 12);
// Short answers in the lead's rests longer than a beat, on the chord's notes below the tune.
void counter(Notes& notes, const Harmony& harmony, float velocity);

// A drum bar: one 16-step lane per drum, X loud, x medium, o soft, g ghost, . rest.
struct Kit {
  std::string kick, snare, clap, hat, openhat, ride, tom;
};
// Bars of drums from `bar` on, one kit letter a bar (A the first kit); each hit's level varies a
// little and the off sixteenths of the hats swing late.
void groove(Notes& notes, Noise& noise, double bar, const std::string& bars,
            const std::vector<Kit>& kits, float level);

// Bell notes from the sounding chord, an octave or two above its voicing, their density and level
// rising from `from` to `peak` and falling to `to`.
void sparkles(Notes& notes, Noise& noise, const Harmony& harmony, double from, double peak,
              double to, float velocity, float density);
// The white flashes: a low boom, a crash and the root an octave down.
void hit(Notes& notes, double time, float strength, float root = 26);
void snareroll(Notes& notes, double from, double to, double step, float vfrom, float vto);

}  // namespace musicgen
