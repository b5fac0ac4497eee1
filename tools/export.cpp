// tessivar-export: the show as a film. Draws the demo offscreen at a fixed frame rate, one frame
// per video frame as a window drawing at that rate would, and writes it with its soundtrack.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "tools/exportmedia.h"
#include "tools/frameio.h"
#include "tools/offline.h"
#include "tools/options.h"
#include "runtime/seam.h"
#include "toolkit/datafile.h"
#include "runtime/version.h"
#include "toolkit/descriptors.h"

namespace {
constexpr double lasttime = 158.0;
// The compositor copies every frame into a texture of this side.
constexpr int largestside = 2048;
using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t stopsignal = 0;
char making[64] = "the offscreen context and the demo's start-up";  // should memory run out

void onsignal(int signal) { stopsignal = signal; }

int usage(const char* why) {
  if (why) std::fprintf(stderr, "tessivar-export: %s\n", why);
  std::fprintf(
      stderr,
      "usage: tessivar-export [--size WIDTHxHEIGHT] [--fps N] [--from SECONDS] [--to SECONDS]\n"
      "                       [--quality CRF] [--out FILE] [--frames DIRECTORY] [--quiet]\n"
      "                       [--device auto|software]\n"
      "  Writes the demo with its soundtrack to FILE (.mp4: H.264 and AAC, or .mkv).\n"
      "  --size     picture size, even numbers, default 1024x768, at most 2048x2048\n"
      "  --fps      frames per second, 1 to 120, default 30\n"
      "  --from     start of the clip in seconds, default 0\n"
      "  --to       end of the clip in seconds, default %.0f (the whole show)\n"
      "  --quality  x264 constant rate factor, 1 (best) to 51, default 20\n"
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
  // 4:2:0 video needs even sides.
  return parsesides(text, 16, largestside, width, height) && width % 2 == 0 && height % 2 == 0;
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
      if (!parsesize(value, movie.width, movie.height))
        return usage("bad --size (WIDTHxHEIGHT, even, each from 16 to 2048)");
    } else if (!std::strcmp(flag, "--fps")) {
      if (!parsewhole(value, 1, 120, movie.fps)) return usage("bad --fps (1 to 120)");
    } else if (!std::strcmp(flag, "--from")) {
      if (!parsedecimal(value, 0, lasttime, movie.from)) return usage("bad --from (0 to 158)");
    } else if (!std::strcmp(flag, "--to")) {
      if (!parsedecimal(value, 0, lasttime, movie.to)) return usage("bad --to (0 to 158)");
    } else if (!std::strcmp(flag, "--quality")) {
      // x264's CRF 0 is lossless High 4:4:4 Predictive, which hardware decoders refuse.
      if (!std::strcmp(value, "0"))
        return usage("--quality 0 would be lossless H.264, which plays in software players only");
      if (!parsewhole(value, 1, 51, movie.quality)) return usage("bad --quality (1 to 51)");
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
  if (!endsinnocase(movie.path, ".mp4") && !endsinnocase(movie.path, ".mkv"))
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

// Why nothing could be written at path, checked before any drawing: a folder there, or a folder
// that is missing or takes no files. Empty when it looks writable.
std::string unwritable(const std::string& path, bool folder) {
  struct stat info {};
  if (!folder && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return "a folder";
  const size_t slash = path.rfind('/');
  const std::string where = folder ? path : slash == std::string::npos ? "." : path.substr(0, slash + 1);
  if (stat(where.c_str(), &info) != 0) return std::strerror(errno);
  if (!S_ISDIR(info.st_mode)) return "not a folder";
  if (access(where.c_str(), W_OK) != 0) return std::strerror(errno);
  return "";
}

bool writable(const std::string& path, bool folder) {
  const std::string why = unwritable(path, folder);
  if (!why.empty()) std::fprintf(stderr, "tessivar-export: cannot write %s%s: %s\n", path.c_str(),
                                 folder ? "/" : "", why.c_str());
  return why.empty();
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
    std::snprintf(making, sizeof making, "the frame at %.3f s", ms / 1000.0);
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
  action.sa_handler = onsignal;  // no SA_RESTART: a call that could block returns instead
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int exportfilm(const Options& options) {
  catchsignals();
  const MovieSettings& movie = options.movie;
  // The offscreen context and x264's threads beside it.
  if (!enoughaddressspace(1280, "the film")) return 1;
  if (!writable(movie.path, false) || (!options.frames.empty() && !writable(options.frames, true)))
    return 1;
  std::snprintf(making, sizeof making, "the film's encoders");
  if (!openmovie(movie)) return 1;
  std::snprintf(making, sizeof making, "the offscreen context and the demo's start-up");
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
  std::snprintf(making, sizeof making, "the end of the film");
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
}  // namespace

int main(int argc, char** argv) {
  if (!keepstandarddescriptors()) return 1;
  if (askedversion(argc, argv)) return printversion("tessivar-export");
  Options options;
  if (const int status = parseargs(argc, argv, options)) return status;
  try {
    return exportfilm(options);
  } catch (const std::bad_alloc&) {
    abandonmovie();
    std::fprintf(stderr, "tessivar-export: out of memory making %s\n", making);
    return 1;
  }
}
