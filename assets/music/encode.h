#pragma once
// Writing the finished track: MP3 through LAME for the demo, WAV for inspection.
#include <cstdint>
#include <string>
#include <vector>

namespace musicgen {

// Encodes interleaved 44.1 kHz stereo at 192 kbit/s. The encoder and decoder delay is taken
// off the front, so that a decoder's first sample is the piece's first sample. The file is
// written beside its final name and renamed into place; false (with nothing at the final name
// touched) when anything fails.
bool writemp3(const std::vector<int16_t>& pcm, const std::string& path);

bool writewav(const std::vector<int16_t>& pcm, const std::string& path);

}  // namespace musicgen
