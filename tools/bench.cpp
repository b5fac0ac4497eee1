// tessivar-bench: plays the timeline offscreen and shows where each frame's time goes: per row of
// the score the frame times, the main thread's share, the fragments drawn and how close they come to
// the machine's own fill limit, and the start-up split. It measures and never judges.
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL/SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "tools/offline.h"
#include "runtime/player.h"
#include "runtime/seam.h"
#include "runtime/sound.h"
#include "runtime/startup.h"
#include "toolkit/tarvok.h"
#include "runtime/timer.h"
#include "runtime/version.h"

namespace {
constexpr double lasttime = 158.0;
constexpr unsigned int firstframems = 20;

struct Size {
  int width, height;
};

struct Options {
  std::vector<Size> sizes;
  int frames = 3;
  double step = 0.5;
  double from = 0;
  double to = lasttime;
  std::string json;
};

// One measured frame.
struct Frame {
  double t;          // demo seconds, as the frame saw them
  double ms;         // wall time from the first call to the finished picture
  double mainms;     // CPU time of the thread that submits (vertex work, binning, copies)
  double cpums;      // CPU time of all threads, the rasterizer's included: the work, however busy
                     // the machine
  double fragments;  // samples that passed, compositor included
};

// A part of the start-up: wall seconds, and CPU seconds of the thread that starts the demo.
struct Startup {
  const char* name;
  double seconds;
  double cpu;
};

// What one size gives; filled in a child process and handed back as JSON.
struct Result {
  Size size{};
  double from = 0, to = 0;  // the part of the timeline played
  double peak = 0;          // fragments per second
  std::vector<Startup> startup;
  std::vector<Frame> frames;
  std::vector<Frame> empty;
  std::string audio;
  std::string renderer;  // what drew the frames
};

int usage(const char* why) {
  if (why) std::fprintf(stderr, "tessivar-bench: %s\n", why);
  std::fprintf(stderr,
               "usage: tessivar-bench [--size WIDTHxHEIGHT ...] [--frames K] [--step SECONDS]\n"
               "                      [--from SECONDS] [--to SECONDS] [--json FILE]\n"
               "                      [--device auto|software]\n"
               "  Plays the timeline offscreen, K frames (default 3) at every STEP seconds\n"
               "  (default 0.5) from --from to --to (default 0 to %.0f), and prints a table per\n"
               "  size (default 640x480 and 1280x1024). --json writes the same, every frame\n"
               "  included, to FILE. --device software draws on Mesa's software rasteriser\n"
               "  instead of the machine's GPU.\n"
               "  Run it from the directory that holds data/.\n",
               lasttime);
  return 2;
}

bool parsesize(const char* text, Size& size) {
  char tail = 0;
  if (std::sscanf(text, "%dx%d%c", &size.width, &size.height, &tail) != 2) return false;
  return size.width >= 16 && size.height >= 16 && size.width <= 4096 && size.height <= 4096;
}

bool parsenumber(const char* text, double low, double high, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value) && value >= low && value <= high;
}

int parseargs(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const char* flag = argv[i];
    if (!std::strcmp(flag, "--help") || !std::strcmp(flag, "-h")) return usage(nullptr);
    if (i + 1 >= argc) return usage("every option takes a value");
    const char* value = argv[++i];
    double number = 0;
    if (!std::strcmp(flag, "--size")) {
      Size size{};
      if (!parsesize(value, size)) return usage("bad --size");
      options.sizes.push_back(size);
    } else if (!std::strcmp(flag, "--frames")) {
      if (!parsenumber(value, 1, 1000, number) || number != std::floor(number))
        return usage("bad --frames (1 to 1000)");
      options.frames = static_cast<int>(number);
    } else if (!std::strcmp(flag, "--step")) {
      if (!parsenumber(value, 0.01, lasttime, number)) return usage("bad --step (0.01 to 158)");
      options.step = number;
    } else if (!std::strcmp(flag, "--from")) {
      if (!parsenumber(value, 0, lasttime, options.from)) return usage("bad --from (0 to 158)");
    } else if (!std::strcmp(flag, "--to")) {
      if (!parsenumber(value, 0, lasttime, options.to)) return usage("bad --to (0 to 158)");
    } else if (!std::strcmp(flag, "--device")) {
      if (!parseofflinedevice(value)) return usage("bad --device (auto or software)");
    } else if (!std::strcmp(flag, "--json")) {
      options.json = value;
    } else {
      return usage("unknown option");
    }
  }
  if (options.from > options.to) return usage("--from is after --to");
  if (options.sizes.empty()) options.sizes = {{640, 480}, {1280, 1024}};
  return 0;
}

double seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double processseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

double threadseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

// One updating line on a terminal, nothing in a script.
void progress(const Size& size, const char* what, double t) {
  if (!isatty(STDERR_FILENO)) return;
  std::fprintf(stderr, "\r\033[Ktessivar-bench %dx%d: %s %.1f s of %.0f", size.width, size.height,
               what, t, lasttime);
  std::fflush(stderr);
}

void endprogress() {
  if (isatty(STDERR_FILENO)) std::fprintf(stderr, "\r\033[K");
}

// Start-up: the demo names its steps as they end; each step's time goes to its group.
std::vector<Startup>* startupsplit = nullptr;
double laststep = 0;
double laststepcpu = 0;

const char* startupgroup(const char* step) {
  if (!std::strcmp(step, "context")) return "context";
  if (!std::strcmp(step, "render targets")) return "render targets";
  if (!std::strcmp(step, "loading screen")) return "loading screen";
  if (!std::strcmp(step, "Static")) return "static noise";
  if (!std::strcmp(step, "DLA")) return "growth";
  if (!std::strcmp(step, "state") || !std::strcmp(step, "primitives") ||
      !std::strcmp(step, "shadows") || !std::strcmp(step, "music"))
    return "other";
  return "textures";  // the other scenes' set-up is their images
}

// Adds the time since the last step to the group (a negative time marks it unavailable).
void addstartup(const char* group, bool available = true) {
  const double now = seconds();
  const double nowcpu = threadseconds();
  const double took = available ? now - laststep : -1;
  const double cpu = available ? nowcpu - laststepcpu : -1;
  laststep = now;
  laststepcpu = nowcpu;
  for (Startup& s : *startupsplit)
    if (!std::strcmp(s.name, group)) {
      s.seconds += took;
      s.cpu += cpu;
      return;
    }
  startupsplit->push_back(Startup{group, took, cpu});
}

void onstartupstep(const char* step) { addstartup(startupgroup(step)); }

// The music is opened apart from the silent start-up and closed again; without an audio device
// SDL's dummy driver still shows what opening the file costs.
void openmusic(std::string& audio) {
  bool opened = sound_init(songname, playerRewindTime);
  if (!opened && !std::getenv("SDL_AUDIODRIVER")) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    addstartup("other");  // the failed try is not the music's
    opened = sound_init(songname, playerRewindTime);
  }
  char name[32] = "";
  if (opened && SDL_AudioDriverName(name, sizeof name)) audio = name;
  addstartup("music open", opened);
  if (opened) sound_close();
}

Frame drawframe(unsigned int ms, GLuint query) {
  setofflineticks(ms);
  const double wall = seconds();
  const double cpu = threadseconds();
  const double allcpu = processseconds();
  glBeginQuery(GL_SAMPLES_PASSED, query);
  dodemo();
  glEndQuery(GL_SAMPLES_PASSED);
  glFinish();
  Frame frame{timer_gettime(), 1000 * (seconds() - wall), 1000 * (threadseconds() - cpu),
              1000 * (processseconds() - allcpu), 0};
  GLuint samples = 0;
  glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
  frame.fragments = samples;
  return frame;
}

void playtimeline(const Options& options, const Size& size, GLuint query, Result& result) {
  for (int n = 0;; ++n) {
    const double t = options.from + n * options.step;
    if (t > options.to + 1e-9) break;
    progress(size, "at", t);
    const auto ms = static_cast<unsigned int>(std::lround(t * 1000));
    for (int k = 0; k < options.frames; ++k) result.frames.push_back(drawframe(ms, query));
  }
}

// The empty frame: the score emptied for a moment, so only the clear, the compositor and the
// counter draw, at a time every ten seconds.
void playempty(const Options& options, const Size& size, GLuint query, Result& result) {
  Scene saved[maxscenes];
  std::copy(scenes, scenes + maxscenes, saved);
  for (Scene& scene : scenes) scene.start = scene.end = 0;
  for (double t = 5; t < lasttime; t += 10) {
    progress(size, "empty frame at", t);
    const auto ms = static_cast<unsigned int>(std::lround(t * 1000));
    for (int k = 0; k < options.frames; ++k) result.empty.push_back(drawframe(ms, query));
  }
  std::copy(saved, saved + maxscenes, scenes);
}

// The machine's peak rate for the demo's typical fragment: full-screen quads of a linear-filtered
// 64 x 64 texture, added with (GL_SRC_COLOR, GL_ONE). The best of five runs of about 16 M. It draws
// over the frame and leaves its own state: the next frame starts from another colour and blending,
// which changes no timing.
double measurepeak(const Size& size) {
  std::vector<unsigned char> texels(64 * 64 * 4);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<unsigned char>(i * 37 % 251);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glViewport(0, 0, size.width, size.height);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glEnable(GL_BLEND);
  glColor3f(0.3f, 0.3f, 0.3f);
  perspective2DBegin(size.width, size.height);
  const double pixels = static_cast<double>(size.width) * size.height;
  const int quads = std::max(4, static_cast<int>(16e6 / pixels));
  double best = 0;
  for (int run = 0; run < 5; ++run) {
    glFinish();
    const double begin = seconds();
    glBegin(GL_QUADS);
    for (int q = 0; q < quads; ++q) {
      glTexCoord2f(0, 0);
      glVertex2f(0, 0);
      glTexCoord2f(1, 0);
      glVertex2f(size.width, 0);
      glTexCoord2f(1, 1);
      glVertex2f(size.width, size.height);
      glTexCoord2f(0, 1);
      glVertex2f(0, size.height);
    }
    glEnd();
    glFinish();
    best = std::max(best, quads * pixels / (seconds() - begin));
  }
  perspective2DEnd();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glDeleteTextures(1, &texture);
  return best;
}

bool measure(const Options& options, const Size& size, Result& result) {
  result.size = size;
  result.from = options.from;
  result.to = options.to;
  startupsplit = &result.startup;
  progress(size, "starting", 0);
  laststep = seconds();
  laststepcpu = threadseconds();
  setstartupwatch(onstartupstep);
  if (!startofflinedemo(size.width, size.height)) return false;
  setstartupwatch(nullptr);
  result.renderer = offlinerenderer();
  addstartup("other");
  openmusic(result.audio);
  GLuint query = 0;
  glGenQueries(1, &query);
  // The window's first frame comes a moment after the clock starts, with the opening scenes on.
  drawframe(firstframems, query);
  addstartup("first frame");
  // Measured before and after the frames, and the best kept: on a shared machine one of the two
  // may fall in a busy moment.
  progress(size, "fill limit", 0);
  result.peak = measurepeak(size);
  playtimeline(options, size, query, result);
  playempty(options, size, query, result);
  progress(size, "fill limit", lasttime);
  result.peak = std::max(result.peak, measurepeak(size));
  glDeleteQueries(1, &query);
  endprogress();
  stopofflinedemo();
  return true;
}

// Statistics over a set of frames.
double percentile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double at = q * (values.size() - 1);
  const auto low = static_cast<size_t>(std::floor(at));
  const size_t high = std::min(low + 1, values.size() - 1);
  return values[low] + (at - low) * (values[high] - values[low]);
}

struct Row {
  std::string name;
  double from, to;
  int count;
  double median, p95, mean, mainms, waitms, cpums, fragments, efficiency;
};

Row summarise(const std::string& name, double from, double to, const std::vector<Frame>& frames,
              double peak) {
  std::vector<double> ms, mainms, waitms, cpums, fragments, efficiency;
  double total = 0;
  for (const Frame& f : frames) {
    ms.push_back(f.ms);
    mainms.push_back(f.mainms);
    waitms.push_back(std::max(0.0, f.ms - f.mainms));
    cpums.push_back(f.cpums);
    fragments.push_back(f.fragments);
    efficiency.push_back(peak > 0 && f.ms > 0 ? 1000 * f.fragments / peak / f.ms : 0);
    total += f.ms;
  }
  const int count = static_cast<int>(frames.size());
  return Row{name,
             from,
             to,
             count,
             percentile(ms, 0.5),
             percentile(ms, 0.95),
             count ? total / count : 0,
             percentile(mainms, 0.5),
             percentile(waitms, 0.5),
             percentile(cpums, 0.5),
             percentile(fragments, 0.5),
             percentile(efficiency, 0.5)};
}

std::vector<Row> tablerows(const Result& result) {
  std::vector<Row> rows;
  for (unsigned int i = 0; i < scene_i; ++i) {
    const Scene& scene = scenes[i];
    std::vector<Frame> inside;
    for (const Frame& f : result.frames)
      if (sceneactive(scene, static_cast<float>(f.t))) inside.push_back(f);
    rows.push_back(summarise(scene.name, scene.start, std::min<double>(scene.end, lasttime),
                             inside, result.peak));
  }
  rows.push_back(summarise("Empty frame", -1, -1, result.empty, result.peak));
  rows.push_back(summarise("Timeline", result.from, result.to, result.frames, result.peak));
  return rows;
}

void printtable(const Result& result, const Options& options) {
  std::printf("tessivar-bench %dx%d: %d frame%s every %g s from %g to %g s\n", result.size.width,
              result.size.height, options.frames, options.frames == 1 ? "" : "s", options.step,
              options.from, options.to);
  std::printf("renderer: %s\n", result.renderer.c_str());
  std::printf("fill limit: %.1f M fragments/s (full-screen textured additive quads)\n\n",
              result.peak * 1e-6);
  std::printf("%-15s %-13s %7s %7s %6s %7s %6s %6s %7s %7s %6s %5s\n", "row", "seconds", "median",
              "p95", "fps", "mean", "main", "wait", "cpu", "Mfrags", "fill", "eff");
  for (const Row& row : tablerows(result)) {
    char span[32] = "-";
    if (row.from >= 0) std::snprintf(span, sizeof span, "%.2f-%.2f", row.from, row.to);
    if (row.count == 0) {
      std::printf("%-15s %-13s %7s\n", row.name.c_str(), span, "-");
      continue;
    }
    const double fillms = result.peak > 0 ? 1000 * row.fragments / result.peak : 0;
    std::printf("%-15s %-13s %7.1f %7.1f %6.1f %7.1f %6.1f %6.1f %7.1f %7.2f %6.1f %4.0f%%\n",
                row.name.c_str(), span, row.median, row.p95, 1000 / row.median, row.mean,
                row.mainms, row.waitms, row.cpums, row.fragments * 1e-6, fillms,
                100 * row.efficiency);
  }
  std::printf("\n%-15s %7s %7s\n", "start-up", "wall s", "main s");
  double total = 0, totalcpu = 0;
  for (const Startup& s : result.startup) {
    if (s.seconds < 0) {
      std::printf("%-15s %7s\n", s.name, "-");
      continue;
    }
    std::printf("%-15s %7.3f %7.3f\n", s.name, s.seconds, s.cpu);
    total += s.seconds;
    totalcpu += s.cpu;
  }
  std::printf("%-15s %7.3f %7.3f\n", "to first frame", total, totalcpu);
  if (!result.audio.empty()) std::printf("(music opened on SDL's %s driver)\n", result.audio.c_str());
  std::printf("\n");
}

// JSON: one object per size, every frame included.
std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string jsonframes(const std::vector<Frame>& frames) {
  std::string out = "[";
  for (size_t i = 0; i < frames.size(); ++i) {
    const Frame& f = frames[i];
    out += (i ? ",\n    " : "\n    ") + std::string("{\"t\": ") + number(f.t) +
           ", \"ms\": " + number(f.ms) + ", \"main_ms\": " + number(f.mainms) +
           ", \"cpu_ms\": " + number(f.cpums) +
           ", \"fragments\": " + number(f.fragments) + "}";
  }
  return out + "]";
}

std::string jsonescaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  return out;
}

std::string jsonresult(const Result& result) {
  std::string out = "{\"width\": " + std::to_string(result.size.width) +
                    ", \"height\": " + std::to_string(result.size.height) +
                    ", \"renderer\": \"" + jsonescaped(result.renderer) + "\"" +
                    ", \"peak_fragments_per_second\": " + number(result.peak) + ",\n  \"startup\": {";
  for (size_t i = 0; i < result.startup.size(); ++i)
    out += (i ? ", \"" : "\"") + std::string(result.startup[i].name) +
           "\": " + (result.startup[i].seconds < 0 ? "null" : number(result.startup[i].seconds));
  out += "},\n  \"startup_main_cpu\": {";
  for (size_t i = 0; i < result.startup.size(); ++i)
    out += (i ? ", \"" : "\"") + std::string(result.startup[i].name) +
           "\": " + (result.startup[i].cpu < 0 ? "null" : number(result.startup[i].cpu));
  out += "},\n  \"rows\": [";
  const std::vector<Row> rows = tablerows(result);
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    out += (i ? ",\n    " : "\n    ") + std::string("{\"name\": \"") + r.name +
           "\", \"from\": " + number(r.from) + ", \"to\": " + number(r.to) +
           ", \"frames\": " + std::to_string(r.count) + ", \"median_ms\": " + number(r.median) +
           ", \"p95_ms\": " + number(r.p95) + ", \"mean_ms\": " + number(r.mean) +
           ", \"main_ms\": " + number(r.mainms) + ", \"wait_ms\": " + number(r.waitms) +
           ", \"cpu_ms\": " + number(r.cpums) +
           ", \"fragments\": " + number(r.fragments) + ", \"efficiency\": " + number(r.efficiency) +
           "}";
  }
  out += "],\n  \"frames\": " + jsonframes(result.frames) +
         ",\n  \"empty_frames\": " + jsonframes(result.empty) + "}";
  return out;
}

// Each size runs in a child process of its own: the demo starts once per process.
bool runsize(const Options& options, const Size& size, std::string& json) {
  int channel[2];
  if (pipe(channel) != 0) return false;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close(channel[0]);
    Result result;
    if (!measure(options, size, result)) _exit(1);
    printtable(result, options);
    std::fflush(stdout);
    const std::string text = jsonresult(result);
    size_t sent = 0;
    while (sent < text.size()) {
      const ssize_t n = write(channel[1], text.data() + sent, text.size() - sent);
      if (n <= 0) _exit(1);
      sent += static_cast<size_t>(n);
    }
    _exit(0);
  }
  close(channel[1]);
  char buffer[65536];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) json.append(buffer, n);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool writejson(std::FILE* file, const std::vector<std::string>& results) {
  std::fprintf(file, "{\"sizes\": [\n");
  for (size_t i = 0; i < results.size(); ++i)
    std::fprintf(file, "%s %s\n", i ? "," : "", results[i].c_str());
  std::fprintf(file, "]}\n");
  return std::fclose(file) == 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (askedversion(argc, argv)) return printversion("tessivar-bench");
  Options options;
  if (const int status = parseargs(argc, argv, options)) return status;
  // Opened first, so that a run is not spent on a file that cannot be written.
  std::FILE* json = options.json.empty() ? nullptr : std::fopen(options.json.c_str(), "w");
  if (!options.json.empty() && !json) {
    std::fprintf(stderr, "tessivar-bench: cannot write %s\n", options.json.c_str());
    return 1;
  }
  std::vector<std::string> results;
  for (const Size& size : options.sizes) {
    std::string result;
    if (!runsize(options, size, result)) {
      std::fprintf(stderr, "tessivar-bench: the %dx%d run failed\n", size.width, size.height);
      if (json) std::fclose(json);
      return 1;
    }
    results.push_back(result);
  }
  if (json && !writejson(json, results)) {
    std::fprintf(stderr, "tessivar-bench: cannot write %s\n", options.json.c_str());
    return 1;
  }
  return 0;
}
