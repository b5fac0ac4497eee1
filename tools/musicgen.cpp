// tessivar-musicgen: composes and renders the demo's soundtrack and encodes it as MP3.
//   tessivar-musicgen OUTPUT.mp3 [--wav RENDER.wav]
// The same source always gives the same file: all noise comes from fixed seeds.
#include <cstdio>
#include <cstring>
#include <string>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "musicgen/encode.h"
#include "musicgen/master.h"
#include "musicgen/score.h"
#include "musicgen/synth.h"
#include "musicgen/voices.h"

namespace {

// Decaying filter and reverb states would otherwise crawl through denormals.
void flushdenormals() {
#if defined(__SSE__)
  _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
}

std::vector<int16_t> render() {
  using namespace musicgen;
  const std::vector<Note> notes = compose();
  Mix mix(static_cast<size_t>(piecelength * samplerate));
  for (const Note& note : notes) rendernote(note, mix);
  return master(mix, notes);
}

}  // namespace

int main(int argc, char** argv) {
  const bool withwav = argc == 4 && std::strcmp(argv[2], "--wav") == 0;
  if (argc != 2 && !withwav) {
    std::fprintf(stderr, "usage: %s OUTPUT.mp3 [--wav RENDER.wav]\n", argv[0]);
    return 2;
  }
  flushdenormals();
  const std::vector<int16_t> pcm = render();
  if (withwav && !musicgen::writewav(pcm, argv[3])) {
    std::fprintf(stderr, "tessivar-musicgen: cannot write %s\n", argv[3]);
    return 1;
  }
  if (!musicgen::writemp3(pcm, argv[1])) {
    std::fprintf(stderr, "tessivar-musicgen: cannot encode %s\n", argv[1]);
    return 1;
  }
  return 0;
}
