#pragma once
// From the mix buses to the finished 16-bit stereo track: sidechain, reverb, echo, mastering.
#include <cstdint>
#include <vector>

#include "assets/music/score.h"
#include "assets/music/voices.h"

namespace musicgen {

// Interleaved left/right samples, mix.frames frames; the same samples on any number of threads.
// `gain`, if given, receives the level the mix was brought up by before the limiter.
std::vector<int16_t> master(Mix& mix, const std::vector<Note>& notes, int threads,
                            float* gain = nullptr);

}  // namespace musicgen
