// tessivar-render: draws chosen moments of the demo to PNG files without any display.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "tools/frameio.h"
#include "tools/offline.h"
#include "runtime/seam.h"
#include "runtime/timeline.h"
#include "runtime/version.h"

namespace {
constexpr double lasttime = timeline::demoend;
// The compositor copies every frame into a texture of this side.
constexpr long largestside = 2048;

int usage(const std::string& why) {
  if (!why.empty()) std::fprintf(stderr, "tessivar-render: %s\n", why.c_str());
  std::fprintf(stderr,
               "usage: tessivar-render [--size WIDTHxHEIGHT] --time SECONDS [--time SECONDS ...]\n"
               "                       [--repeat N] [--half] [--device auto|software] --out DIRECTORY\n"
               "  Renders each demo time (0 to %.0f s) to DIRECTORY/tessivar-SECONDS.png.\n"
               "  --size     picture size, default 1024x768, at most 2048x2048 (the glow needs\n"
               "             400 or more wide)\n"
               "  --repeat   draw each time N times and report frames per second\n"
               "  --half     write each frame at half the size (2x2 blocks averaged)\n"
               "  --device   auto: the machine's GPU when EGL offers one (default);\n"
               "             software: Mesa's software rasteriser, the golden frames' reference\n"
               "  Run it from the directory that holds data/.\n",
               lasttime);
  return 2;
}

// One side of 16 to 2048 pixels in decimal digits; text moves past them.
bool parseside(const char*& text, int& side) {
  if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  text = end;
  if (errno != 0 || value < 16 || value > largestside) return false;
  side = static_cast<int>(value);
  return true;
}

bool parsesize(const char* text, int& width, int& height) {
  return parseside(text, width) && *text++ == 'x' && parseside(text, height) && *text == '\0';
}

// Seconds into the show, kept as whole milliseconds (the clock's unit; -0 is 0).
bool parsetime(const char* text, unsigned int& milliseconds) {
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(seconds) || seconds < 0 || seconds > lasttime)
    return false;
  milliseconds = static_cast<unsigned int>(std::lround(seconds * 1000));
  return true;
}

bool parsecount(const char* text, int& count) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  count = static_cast<int>(value);
  return end != text && *end == '\0' && value >= 1 && value <= 100000;
}

struct Options {
  int width = 1024;
  int height = 768;
  int repeat = 1;
  bool half = false;
  std::vector<unsigned int> times;  // milliseconds
  std::string out;
};

// Returns 0 when the options are complete, else the exit status of the usage message.
int parseargs(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") return usage("");
    if (flag.compare(0, 2, "--") != 0) return usage("unexpected argument: " + flag);
    if (flag == "--half") {
      options.half = true;
      continue;
    }
    if (i + 1 >= argc) return usage(flag + " takes a value");
    const char* value = argv[++i];
    if (flag == "--size") {
      if (!parsesize(value, options.width, options.height))
        return usage("bad --size (WIDTHxHEIGHT, each from 16 to 2048)");
    } else if (flag == "--time") {
      unsigned int milliseconds = 0;
      if (!parsetime(value, milliseconds))
        return usage("bad --time (seconds from 0 to " + std::to_string(int(lasttime)) + ")");
      if (std::count(options.times.begin(), options.times.end(), milliseconds))
        return usage(std::string("the same --time twice: ") + value);
      options.times.push_back(milliseconds);
    } else if (flag == "--repeat") {
      if (!parsecount(value, options.repeat)) return usage("bad --repeat");
    } else if (flag == "--device") {
      if (!parseofflinedevice(value)) return usage("bad --device (auto or software)");
    } else if (flag == "--out") {
      options.out = value;
    } else {
      return usage("unknown option: " + flag);
    }
  }
  if (options.times.empty()) return usage("no --time given");
  if (options.out.empty()) return usage("no --out given");
  return 0;
}

// The output folder must exist and take files before any frame is drawn.
bool writablefolder(const std::string& folder) {
  struct stat info {};
  const char* why = nullptr;
  if (stat(folder.c_str(), &info) != 0 || access(folder.c_str(), W_OK) != 0)
    why = std::strerror(errno);
  else if (!S_ISDIR(info.st_mode))
    why = "not a folder";
  if (why) std::fprintf(stderr, "tessivar-render: cannot write to %s: %s\n", folder.c_str(), why);
  return !why;
}

bool renderframe(const Options& options, unsigned int milliseconds) {
  setofflineticks(milliseconds);
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < options.repeat; ++i) dodemo();
  glFinish();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  char seconds[16];
  std::snprintf(seconds, sizeof seconds, "%03u.%03u", milliseconds / 1000, milliseconds % 1000);
  if (options.repeat > 1)
    std::printf("%s s at %dx%d: %.1f frames per second\n", seconds, options.width,
                options.height, options.repeat / took.count());
  const std::string path = options.out + "/tessivar-" + seconds + ".png";
  std::vector<unsigned char> frame = readframe(options.width, options.height);
  const int scale = options.half ? 2 : 1;
  if (options.half) frame = halveframe(frame, options.width, options.height);
  const std::string failure =
      savepng(path, options.width / scale, options.height / scale, 3, frame.data());
  if (!failure.empty()) {
    std::fprintf(stderr, "tessivar-render: cannot write %s: %s\n", path.c_str(), failure.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (askedversion(argc, argv)) return printversion("tessivar-render");
  Options options;
  if (const int status = parseargs(argc, argv, options)) return status;
  if (!writablefolder(options.out) || !startofflinedemo(options.width, options.height)) return 1;
  bool written = true;
  for (size_t i = 0; written && i < options.times.size(); ++i)
    written = renderframe(options, options.times[i]);
  stopofflinedemo();
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "tessivar-render: cannot write to standard output: %s\n",
                 std::strerror(errno));
    return 1;
  }
  return written ? 0 : 1;
}
