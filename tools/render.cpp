// tessivar-render: draws chosen moments of the demo to PNG files without any display.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "demo.h"
#include "frameio.h"
#include "offline.h"
#include "seam.h"

namespace {
constexpr double lasttime = 158.0;

int usage(const char* why) {
  if (why) std::fprintf(stderr, "tessivar-render: %s\n", why);
  std::fprintf(stderr,
               "usage: tessivar-render [--size WIDTHxHEIGHT] --time SECONDS [--time SECONDS ...]\n"
               "                       [--repeat N] --out DIRECTORY\n"
               "  Renders each demo time (0 to %.0f s) to DIRECTORY/tessivar-SECONDS.png.\n"
               "  --size     picture size, default 1024x768 (the glow needs 400 or more wide)\n"
               "  --repeat   draw each time N times and report frames per second\n"
               "  Run it from the directory that holds data/.\n",
               lasttime);
  return 2;
}

bool parsesize(const char* text, int& width, int& height) {
  char tail = 0;
  if (std::sscanf(text, "%dx%d%c", &width, &height, &tail) != 2) return false;
  return width >= 16 && height >= 16 && width <= 4096 && height <= 4096;
}

bool parsetime(const char* text, double& seconds) {
  char* end = nullptr;
  seconds = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(seconds) && seconds >= 0 &&
         seconds <= lasttime;
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
  std::vector<double> times;
  std::string out;
};

// Returns 0 when the options are complete, else the exit status of the usage message.
int parseargs(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const char* flag = argv[i];
    if (!std::strcmp(flag, "--help") || !std::strcmp(flag, "-h")) return usage(nullptr);
    if (i + 1 >= argc) return usage("every option takes a value");
    const char* value = argv[++i];
    if (!std::strcmp(flag, "--size")) {
      if (!parsesize(value, options.width, options.height)) return usage("bad --size");
    } else if (!std::strcmp(flag, "--time")) {
      double seconds = 0;
      if (!parsetime(value, seconds)) return usage("bad --time (seconds from 0 to 158)");
      options.times.push_back(seconds);
    } else if (!std::strcmp(flag, "--repeat")) {
      if (!parsecount(value, options.repeat)) return usage("bad --repeat");
    } else if (!std::strcmp(flag, "--out")) {
      options.out = value;
    } else {
      return usage("unknown option");
    }
  }
  if (options.times.empty()) return usage("no --time given");
  if (options.out.empty()) return usage("no --out given");
  return 0;
}

bool renderframe(const Options& options, double seconds) {
  setofflineticks(static_cast<unsigned int>(std::lround(seconds * 1000)));
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < options.repeat; ++i) dodemo();
  glFinish();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  if (options.repeat > 1)
    std::printf("%.3f s at %dx%d: %.1f frames per second\n", seconds, options.width,
                options.height, options.repeat / took.count());
  char path[4096];
  std::snprintf(path, sizeof path, "%s/tessivar-%07.3f.png", options.out.c_str(), seconds);
  const std::vector<unsigned char> frame = readframe(options.width, options.height);
  if (!writepng(path, options.width, options.height, 3, frame.data())) {
    std::fprintf(stderr, "tessivar-render: cannot write %s\n", path);
    return false;
  }
  std::printf("%s\n", path);
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = parseargs(argc, argv, options)) return status;
  if (!startofflinedemo(options.width, options.height)) return 1;
  bool written = true;
  for (const double seconds : options.times) written = renderframe(options, seconds) && written;
  stopofflinedemo();
  return written ? 0 : 1;
}
