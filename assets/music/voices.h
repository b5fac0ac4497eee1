#pragma once
// The instruments: each note event is rendered on its own, then added into the mix buses.
#include <array>
#include <cstddef>
#include <vector>

#include "assets/music/score.h"

namespace musicgen {

using Stereo = std::array<std::vector<float>, 2>;

// Drums stay dry of the sidechain, their transients rounded off; the flashes' hits and crashes
// pass untouched; the music bus (bass, arpeggio, bells) is ducked under the
// kick, the pads a little less and the lead hardly at all; the pads get a chorus; the hall, the
// lead's plate and the echo are effect sends.
struct Mix {
  explicit Mix(size_t frames, bool stems = false);
  size_t frames;
  Stereo drums, hits, music, lead, pads, reverb, plate, echo;
  // Each instrument group's dry sound, for inspection; empty unless asked for.
  std::vector<Stereo> stems;
};

// The instrument groups of the stems.
constexpr int groups = 6;
int groupof(Voice voice);
const char* groupname(int group);

// One note as it reaches the buses: its samples after gain and pan, from its first frame.
struct Sounding {
  size_t start = 0;
  std::vector<float> left, right;
};

// The note's samples, cut where a piece of `frames` frames ends. Depends on nothing but the note,
// so notes can be rendered on any thread.
Sounding rendernote(const Note& note, size_t frames);

// Adds a rendered note into its dry bus and its sends. Adding the notes in one fixed order keeps
// every sum, and so the track, the same to the bit.
void mixin(const Note& note, const Sounding& sound, Mix& mix);

}  // namespace musicgen
