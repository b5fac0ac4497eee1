// tessivar-musicgen: composes and renders the demo's soundtrack and encodes it as MP3.
//   tessivar-musicgen OUTPUT.mp3 [--wav RENDER.wav] [--threads N] [--stems DIR] [--notes FILE]
// --stems writes each instrument group's dry sound as DIR/GROUP.wav, at the level the master
// brought the whole mix up by; --notes lists every note: seconds, voice, MIDI pitch, velocity.
// The same source always gives the same file, however many threads render it: all noise comes
// from fixed seeds, and every sum is formed in the same order.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "assets/music/encode.h"
#include "assets/music/master.h"
#include "assets/music/parallel.h"
#include "assets/music/score.h"
#include "assets/music/synth.h"
#include "assets/music/voices.h"
#include "toolkit/descriptors.h"
#include "runtime/version.h"

namespace {

// Decaying filter and reverb states would otherwise crawl through denormals.
void flushdenormals() {
#if defined(__SSE__)
  _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
}

// Notes render in batches on every thread; while one batch renders, the one before it is added
// into the buses in score order.
void rendermix(const std::vector<musicgen::Note>& notes, musicgen::Mix& mix, int threads) {
  using musicgen::Sounding;
  constexpr size_t batch = 16;
  std::vector<Sounding> rendered, adding;
  size_t addingfrom = 0;
  for (size_t from = 0; from < notes.size() + batch; from += batch) {
    const size_t count = from < notes.size() ? std::min(batch, notes.size() - from) : 0;
    rendered.assign(count, Sounding{});
    musicgen::parallel(count + 1, threads, [&](size_t task) {
      if (task == 0) {
        for (size_t k = 0; k < adding.size(); ++k) mixin(notes[addingfrom + k], adding[k], mix);
      } else {
        rendered[task - 1] = rendernote(notes[from + task - 1], mix.frames);
      }
    });
    std::swap(adding, rendered);
    addingfrom = from;
  }
}

// The note list in time order, one note a line.
bool writenotes(const std::vector<musicgen::Note>& notes, const char* path) {
  std::vector<musicgen::Note> sorted = notes;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.time < b.time; });
  std::string text = "# seconds\tvoice\tpitch\tvelocity\n";
  char line[96];
  for (const musicgen::Note& n : sorted) {
    std::snprintf(line, sizeof line, "%.4f\t%s\t%.2f\t%.3f\n", n.time,
                  musicgen::voicename(n.voice), n.pitch, n.velocity);
    text += line;
  }
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out.flush());
}

bool writestems(const std::vector<musicgen::Stereo>& stems, float gain, const std::string& folder) {
  for (int group = 0; group < musicgen::groups; ++group) {
    const musicgen::Stereo& stem = stems[group];
    std::vector<int16_t> pcm(2 * stem[0].size());
    for (size_t i = 0; i < pcm.size(); ++i) {
      const float v = std::clamp(stem[i % 2][i / 2] * gain, -1.0f, 1.0f);
      pcm[i] = static_cast<int16_t>(std::lrint(v * 32767.0f));
    }
    const std::string path = folder + "/" + musicgen::groupname(group) + ".wav";
    if (!musicgen::writewav(pcm, path)) return false;
  }
  return true;
}

struct Options {
  const char* output = nullptr;
  const char* wav = nullptr;
  const char* stems = nullptr;
  const char* notes = nullptr;
  // Never fewer than two, so that the build itself always shows that threads change nothing.
  int threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2u, 16u));
};

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool hasvalue = i + 1 < argc;
    if (std::strcmp(argv[i], "--wav") == 0 && hasvalue) {
      options.wav = argv[++i];
    } else if (std::strcmp(argv[i], "--stems") == 0 && hasvalue) {
      options.stems = argv[++i];
    } else if (std::strcmp(argv[i], "--notes") == 0 && hasvalue) {
      options.notes = argv[++i];
    } else if (std::strcmp(argv[i], "--threads") == 0 && hasvalue) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (*end || n < 1 || n > 64) return false;
      options.threads = static_cast<int>(n);
    } else if (!options.output && argv[i][0] != '-') {
      options.output = argv[i];
    } else {
      return false;
    }
  }
  return options.output != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (!keepstandarddescriptors()) return 1;
  if (askedversion(argc, argv)) return printversion("tessivar-musicgen");
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s OUTPUT.mp3 [--wav RENDER.wav] [--threads N] [--stems DIR] "
                 "[--notes FILE]\n",
                 argv[0]);
    return 2;
  }
  flushdenormals();
  using namespace musicgen;
  const std::vector<Note> notes = compose();
  if (options.notes && !writenotes(notes, options.notes)) {
    std::fprintf(stderr, "tessivar-musicgen: cannot write %s\n", options.notes);
    return 1;
  }
  Mix mix(static_cast<size_t>(piecelength * samplerate), options.stems != nullptr);
  rendermix(notes, mix, options.threads);
  float gain = 1;
  const std::vector<int16_t> pcm = master(mix, notes, options.threads, &gain);
  if (options.stems && !writestems(mix.stems, gain, options.stems)) {
    std::fprintf(stderr, "tessivar-musicgen: cannot write the stems into %s\n", options.stems);
    return 1;
  }
  if (options.wav && !musicgen::writewav(pcm, options.wav)) {
    std::fprintf(stderr, "tessivar-musicgen: cannot write %s\n", options.wav);
    return 1;
  }
  if (!musicgen::writemp3(pcm, options.output)) {
    std::fprintf(stderr, "tessivar-musicgen: cannot encode %s\n", options.output);
    return 1;
  }
  return 0;
}
