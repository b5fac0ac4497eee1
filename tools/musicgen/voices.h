#pragma once
// The instruments: each note event is rendered on its own into the mix buses.
#include <array>
#include <cstddef>
#include <vector>

#include "score.h"

namespace musicgen {

using Stereo = std::array<std::vector<float>, 2>;

// Drums stay dry of the sidechain; the music bus is ducked under the kick; reverb and echo are
// effect sends.
struct Mix {
  explicit Mix(size_t frames);
  size_t frames;
  Stereo drums, music, reverb, echo;
};

void rendernote(const Note& note, Mix& mix);

}  // namespace musicgen
