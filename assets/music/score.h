#pragma once
// The piece as a list of note events: "Zib Dovrin Halvenmoor", D minor, 140 beats per minute,
// 4/4, cut to the demo's picture.
#include <vector>

namespace musicgen {

constexpr double tempo = 140.0;
constexpr double beatseconds = 60.0 / tempo;
constexpr double barseconds = 4.0 * beatseconds;
constexpr double piecelength = 158.0;

// Seconds at bar b (counted from 0), plus beats into it.
constexpr double at(double bar, double beat = 0) { return (4.0 * bar + beat) * beatseconds; }

enum class Voice {
  kick, snare, clap, hat, openhat, ride, crash, impact, tom,  // drums and hits
  bass, pad, strings, supersaw, lead, counter, pluck, bell,   // pitched
  staticnoise, riser, reversecymbal, zap, dive, blip    // effects
};

struct Note {
  double time;          // seconds from the start of the piece
  double length;        // gate length in seconds
  Voice voice;
  float pitch;          // MIDI note number
  float velocity;       // 0..1
  float pan = 0;        // -1 left .. 1 right
  float tone = 0.5f;    // brightness 0..1 (filter opening)
  float attack = 0;     // seconds; effect voices use it for their swell
  float release = 0;    // seconds; effect voices use it for their fade
  float glide = 0;      // semitones the pitch starts away from `pitch` and slides in from
};

std::vector<Note> compose();

// The slow filter moves over the whole piece: a factor on the brightness of the pads, strings and
// arpeggio, from about 0.4 (closed) to 1.2 (open), moving over 8 to 16 bars at a time.
float sweep(double time);

const char* voicename(Voice voice);

}  // namespace musicgen
