// libFuzzer target for the soundtrack's stream check, the gate before SDL_mixer's MP3 decoder:
// whatever the bytes, it reads none outside them and answers. An accepted input is checked again
// with a byte more and a byte less, which no chain of whole frames survives.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "runtime/mp3stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's length, so that AddressSanitizer sees any read past its end.
  const std::vector<unsigned char> bytes(data, data + size);
  if (!ismp3stream(bytes.data(), bytes.size())) return 0;
  std::vector<unsigned char> longer = bytes;
  longer.push_back(0);
  if (ismp3stream(longer.data(), longer.size()) || ismp3stream(bytes.data(), bytes.size() - 1))
    std::abort();
  return 0;
}
