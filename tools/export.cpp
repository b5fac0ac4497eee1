// tessivar-export: the show as a film. Draws the demo offscreen at a fixed frame rate, one frame
// per video frame as a window drawing at that rate would, and writes it with its soundtrack.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "tools/exportmedia.h"
#include "tools/frameio.h"
#include "tools/offline.h"
#include "runtime/seam.h"
#include "toolkit/datafile.h"
#include "runtime/version.h"

namespace {
constexpr double lasttime = 158.0;
using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t stopsignal = 0;

void onsignal(int signal) { stopsignal = signal; }

int usage(const char* why) {
  if (why) std::fprintf(stderr, "tessivar-export: %s\n", why);
  std::fprintf(
      stderr,
      "usage: tessivar-export [--size WIDTHxHEIGHT] [--fps N] [--from SECONDS] [--to SECONDS]\n"
      "                       [--quality CRF] [--out FILE] [--frames DIRECTORY] [--quiet]\n"
      "                       [--device auto|software]\n"
      "  Writes the demo with its soundtrack to FILE (.mp4: H.264 and AAC, or .mkv).\n"
      "  --size     picture size, even numbers, default 1024x768\n"
      "  --fps      frames per second, 1 to 120, default 30\n"
      "  --from     start of the clip in seconds, default 0\n"
      "  --to       end of the clip in seconds, default %.0f (the whole show)\n"
      "  --quality  x264 constant rate factor, 0 (lossless) to 51, default 20\n"
      "  --out      the file, default tessivar.mp4\n"
      "  --frames   also keep every frame as DIRECTORY/tessivar-SECONDS.png\n"
      "  --quiet    no progress on stderr\n"
      "  --device   auto: the machine's GPU when EGL offers one (default); software: Mesa's\n"
      "             software rasteriser\n"
      "  Run it from the directory that holds data/.\n",
      lasttime);
  return 2;
}

bool parsesize(const char* text, int& width, int& height) {
  char tail = 0;
  if (std::sscanf(text, "%dx%d%c", &width, &height, &tail) != 2) return false;
  // 4:2:0 video needs even sides.
  return width >= 16 && height >= 16 && width <= 4096 && height <= 4096 && width % 2 == 0 &&
         height % 2 == 0;
}

bool parsenumber(const char* text, double low, double high, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value) && value >= low && value <= high;
}

bool parseinteger(const char* text, int low, int high, int& value) {
  double number = 0;
  if (!parsenumber(text, low, high, number) || number != std::floor(number)) return false;
  value = static_cast<int>(number);
  return true;
}

bool endswith(const std::string& text, const char* tail) {
  const size_t length = std::strlen(tail);
  return text.size() > length && text.compare(text.size() - length, length, tail) == 0;
}

struct Options {
  MovieSettings movie;
  std::string frames;
  bool quiet = false;
};

// Returns 0 when the options are complete, else the exit status of the usage message.
int parseargs(int argc, char** argv, Options& options) {
  MovieSettings& movie = options.movie;
  movie = MovieSettings{"tessivar.mp4", datapath(songname), 1024, 768, 30, 20, 0, lasttime};
  for (int i = 1; i < argc; ++i) {
    const char* flag = argv[i];
    if (!std::strcmp(flag, "--help") || !std::strcmp(flag, "-h")) return usage(nullptr);
    if (!std::strcmp(flag, "--quiet")) {
      options.quiet = true;
      continue;
    }
    if (i + 1 >= argc) return usage("every option but --quiet takes a value");
    const char* value = argv[++i];
    if (!std::strcmp(flag, "--size")) {
      if (!parsesize(value, movie.width, movie.height)) return usage("bad --size");
    } else if (!std::strcmp(flag, "--fps")) {
      if (!parseinteger(value, 1, 120, movie.fps)) return usage("bad --fps (1 to 120)");
    } else if (!std::strcmp(flag, "--from")) {
      if (!parsenumber(value, 0, lasttime, movie.from)) return usage("bad --from (0 to 158)");
    } else if (!std::strcmp(flag, "--to")) {
      if (!parsenumber(value, 0, lasttime, movie.to)) return usage("bad --to (0 to 158)");
    } else if (!std::strcmp(flag, "--quality")) {
      if (!parseinteger(value, 0, 51, movie.quality)) return usage("bad --quality (0 to 51)");
    } else if (!std::strcmp(flag, "--out")) {
      movie.path = value;
    } else if (!std::strcmp(flag, "--device")) {
      if (!parseofflinedevice(value)) return usage("bad --device (auto or software)");
    } else if (!std::strcmp(flag, "--frames")) {
      options.frames = value;
    } else {
      return usage("unknown option");
    }
  }
  if (!endswith(movie.path, ".mp4") && !endswith(movie.path, ".mkv"))
    return usage("--out must end in .mp4 or .mkv");
  if (movie.to - movie.from < 1.0 / movie.fps)
    return usage("--to must come at least a frame after --from");
  return 0;
}

// Frame n shows from + n / fps; the clip holds every frame that starts before its end.
int countframes(const MovieSettings& movie) {
  return static_cast<int>(std::ceil((movie.to - movie.from) * movie.fps - 1e-9));
}

unsigned int frameticks(const MovieSettings& movie, int n) {
  return static_cast<unsigned int>(std::lround((movie.from + double(n) / movie.fps) * 1000));
}

std::string clocktext(double seconds) {
  char text[32];
  const long whole = std::lround(seconds);
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

// One updating line on a terminal, a line at every tenth otherwise, nothing when quiet.
void showprogress(const Options& options, int done, int total, Clock::time_point start) {
  static Clock::time_point shown;
  static int tenths = 0;
  if (options.quiet) return;
  const bool terminal = isatty(STDERR_FILENO);
  const Clock::time_point now = Clock::now();
  if (terminal ? (done < total && now - shown < std::chrono::milliseconds(250))
               : done * 10 / total == tenths)
    return;
  shown = now;
  tenths = done * 10 / total;
  const double elapsed = std::chrono::duration<double>(now - start).count();
  const double fps = elapsed > 0 ? done / elapsed : 0;
  const double left = done > 0 ? elapsed / done * (total - done) : 0;
  std::fprintf(stderr, "%stessivar-export: %3d %%  frame %d of %d  %.1f fps  %s left%s",
               terminal ? "\r" : "", done * 100 / total, done, total, fps, clocktext(left).c_str(),
               terminal ? (done == total ? "   \n" : "   ") : "\n");
}

bool keepframe(const Options& options, unsigned int ms, const std::vector<unsigned char>& rgb) {
  char path[4096];
  std::snprintf(path, sizeof path, "%s/tessivar-%07.3f.png", options.frames.c_str(), ms / 1000.0);
  const std::string failure =
      savepng(path, options.movie.width, options.movie.height, 3, rgb.data());
  if (failure.empty()) return true;
  std::fprintf(stderr, "tessivar-export: cannot write %s: %s\n", path, failure.c_str());
  return false;
}

// Each frame goes through the demo's own per-frame path with the clock set to its time.
// Returns 0, 1 on a failure, or 128 + the signal that stopped it.
int drawframes(const Options& options, int total) {
  const MovieSettings& movie = options.movie;
  const Clock::time_point start = Clock::now();
  for (int n = 0; n < total; ++n) {
    if (stopsignal) return 128 + stopsignal;
    const unsigned int ms = frameticks(movie, n);
    setofflineticks(ms);
    dodemo();
    glFinish();
    const std::vector<unsigned char> rgb = readframe(movie.width, movie.height);
    if (!options.frames.empty() && !keepframe(options, ms, rgb)) return 1;
    if (!addframe(rgb.data())) return 1;
    showprogress(options, n + 1, total, start);
  }
  return stopsignal ? 128 + stopsignal : 0;
}

void catchsignals() {
  struct sigaction action {};
  action.sa_handler = onsignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
}  // namespace

int main(int argc, char** argv) {
  if (askedversion(argc, argv)) return printversion("tessivar-export");
  Options options;
  if (const int status = parseargs(argc, argv, options)) return status;
  catchsignals();
  const MovieSettings& movie = options.movie;
  if (!openmovie(movie)) return 1;
  if (!startofflinedemo(movie.width, movie.height)) {
    abandonmovie();
    return 1;
  }
  const Clock::time_point start = Clock::now();
  const int total = countframes(movie);
  const int status = drawframes(options, total);
  stopofflinedemo();
  if (status) {
    abandonmovie();
    if (status > 128)
      std::fprintf(stderr, "tessivar-export: stopped; %s not written\n", movie.path.c_str());
    return status;
  }
  if (!finishmovie()) return 1;
  if (!options.quiet) {
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    const double encoding = encodingseconds() / took;
    std::fprintf(stderr,
                 "tessivar-export: wrote %s: %d frames at %dx%d in %.1f s, %.2f x real time "
                 "(drawing %.0f %%, encoding %.0f %%)\n",
                 movie.path.c_str(), total, movie.width, movie.height, took,
                 (movie.to - movie.from) / took, 100 * (1 - encoding), 100 * encoding);
  }
  return 0;
}
