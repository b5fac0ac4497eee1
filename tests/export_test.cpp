// tessivar-export from the outside: its options, the film read back with FFmpeg's libraries,
// picture and music in step at the show's white flashes, frames equal to the renderer's, and no
// file left behind when it fails or is stopped.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string tool(const std::string& name) {
  const char* bin = std::getenv("TESSIVAR_BIN");
  return fs::absolute(bin ? bin : "build").string() + "/" + name;
}

// Runs a tool of the build, from the repository root unless told otherwise; its exit status.
int run(const std::string& name, const std::string& args, const std::string& in = ".") {
  const std::string command = "cd " + in + " && " + tool(name) + " " + args + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Workdir {
  fs::path path = fs::temp_directory_path() / ("tessivar-export-test-" + std::to_string(getpid()));
  Workdir() { fs::create_directories(path); }
  ~Workdir() { fs::remove_all(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  bool empty() const { return fs::is_empty(path); }
};

// What a player gets from the file: each frame's mean brightness and time, and the sound.
struct Film {
  int width = 0, height = 0, rate = 0;
  double fps = 0, seconds = 0, soundseconds = 0;  // as the streams declare them
  std::vector<double> luma, frametime;
  std::vector<float> sound;  // the first channel
};

void decode(AVCodecContext* codec, const AVPacket* packet, const AVStream* stream, Film& film) {
  AVFrame* frame = av_frame_alloc();
  avcodec_send_packet(codec, packet);
  while (avcodec_receive_frame(codec, frame) == 0) {
    if (codec->codec_type == AVMEDIA_TYPE_AUDIO) {
      const float* samples = reinterpret_cast<const float*>(frame->extended_data[0]);
      film.sound.insert(film.sound.end(), samples, samples + frame->nb_samples);
      continue;
    }
    double sum = 0;
    for (int y = 0; y < frame->height; ++y)
      for (int x = 0; x < frame->width; ++x) sum += frame->data[0][y * frame->linesize[0] + x];
    film.luma.push_back(sum / (frame->width * frame->height));
    film.frametime.push_back(frame->best_effort_timestamp * av_q2d(stream->time_base));
  }
  av_frame_free(&frame);
}

Film readfilm(const std::string& path) {
  Film film;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return film;
  avformat_find_stream_info(format, nullptr);
  std::vector<AVCodecContext*> codecs;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* stream = format->streams[i];
    const AVCodecParameters* parameters = stream->codecpar;
    codecs.push_back(avcodec_alloc_context3(avcodec_find_decoder(parameters->codec_id)));
    avcodec_parameters_to_context(codecs[i], parameters);
    avcodec_open2(codecs[i], nullptr, nullptr);
    const double seconds = stream->duration * av_q2d(stream->time_base);
    if (parameters->codec_type == AVMEDIA_TYPE_VIDEO) {
      film.width = parameters->width;
      film.height = parameters->height;
      film.fps = av_q2d(stream->avg_frame_rate);
      film.seconds = seconds;
    } else {
      film.rate = parameters->sample_rate;
      film.soundseconds = seconds;
    }
  }
  AVPacket* packet = av_packet_alloc();
  while (av_read_frame(format, packet) >= 0) {
    decode(codecs[packet->stream_index], packet, format->streams[packet->stream_index], film);
    av_packet_unref(packet);
  }
  for (unsigned i = 0; i < codecs.size(); ++i) {
    decode(codecs[i], nullptr, format->streams[i], film);
    avcodec_free_context(&codecs[i]);
  }
  av_packet_free(&packet);
  avformat_close_input(&format);
  return film;
}

// The time of the frame with the steepest rise in brightness.
double whitejump(const Film& film) {
  size_t best = 1;
  for (size_t i = 1; i < film.luma.size(); ++i)
    if (film.luma[i] - film.luma[i - 1] > film.luma[best] - film.luma[best - 1]) best = i;
  return film.frametime[best];
}

// The onset of the sharpest hit: the 2 ms window whose energy most exceeds the 20 ms before it.
double hit(const Film& film) {
  const size_t window = film.rate / 500, before = 10;
  std::vector<double> energy(film.sound.size() / window, 1e-9);
  for (size_t i = 0; i < energy.size() * window; ++i)
    energy[i / window] += film.sound[i] * film.sound[i];
  size_t best = before;
  auto rise = [&](size_t i) {
    return energy[i] * before / std::accumulate(&energy[i - before], &energy[i], 0.0);
  };
  for (size_t i = before; i < energy.size(); ++i)
    if (rise(i) > rise(best)) best = i;
  return double(best * window) / film.rate;
}
}  // namespace

TEST(Export, BadOptionsGiveTheUsageAndWriteNothing) {
  Workdir dir;
  for (const char* bad :
       {"--size 320x241", "--size 8x8", "--fps 0", "--fps 121", "--fps 2.5", "--from -1",
        "--to 158.5", "--from 5 --to 5", "--quality 52", "--out film.avi", "--bogus 1", "--size"}) {
    // Were one accepted, a tiny film would be written and the status would be 0.
    EXPECT_EQ(run("tessivar-export", "--size 16x16 --to 0.1 --out " + dir / "x.mp4 " + bad), 2)
        << bad;
  }
  EXPECT_TRUE(dir.empty());
}

// Two seconds from 20 s, wide enough for the glow and the date counter.
TEST(Export, ClipHasItsLengthSizeRateSoundAndTheRenderersFrames) {
  Workdir dir;
  fs::create_directories(dir / "export");
  fs::create_directories(dir / "render");
  const std::string clip = "--size 400x300 --from 20 --to 22 --quiet --out " + dir / "clip.mp4";
  ASSERT_EQ(run("tessivar-export", clip + " --frames " + dir / "export"), 0);
  const Film film = readfilm(dir / "clip.mp4");
  EXPECT_TRUE(film.width == 400 && film.height == 300 && film.fps == 30 && film.rate == 44100);
  EXPECT_EQ(film.luma.size(), 60u);
  EXPECT_NEAR(film.seconds, 2.0, 1e-6);
  EXPECT_NEAR(film.soundseconds, 2.0, 1e-6);
  // Decoders drop the encoder's priming; the last packet may carry up to a frame of padding.
  EXPECT_GE(film.sound.size(), 88200u);
  EXPECT_LE(film.sound.size(), 88200u + 1024);

  std::string times;
  for (int n = 0; n < 60; ++n) times += " --time " + std::to_string(20 + n / 30.0);
  ASSERT_EQ(run("tessivar-render", "--size 400x300" + times + " --out " + dir / "render"), 0);
  EXPECT_EQ(std::system(("diff -rq " + dir / "render" + " " + dir / "export").c_str()), 0);
}

// The picture jumps to white where the music hits, at each of the show's three white flashes.
TEST(Export, PictureAndSoundAgreeWithinAFrameAtTheFlashes) {
  Workdir dir;
  for (const double flash : {13.84, 134.65, 138.85}) {
    const std::string clip = "--size 320x240 --quiet --out " + dir / "flash.mp4" + " --from " +
                             std::to_string(flash - 0.4) + " --to " + std::to_string(flash + 0.4);
    ASSERT_EQ(run("tessivar-export", clip), 0);
    const Film film = readfilm(dir / "flash.mp4");
    EXPECT_NEAR(whitejump(film), 0.4, 1.0 / 30) << flash;
    EXPECT_NEAR(whitejump(film), hit(film), 1.0 / 30) << flash;
  }
}

// A folder that cannot be written, a missing soundtrack, and a stop by SIGTERM part-way.
TEST(Export, FailuresAndStopsLeaveNoFile) {
  Workdir dir;
  EXPECT_EQ(run("tessivar-export", "--to 1 --out " + dir / "missing/film.mp4"), 1);
  EXPECT_EQ(run("tessivar-export", "--to 1 --out film.mp4", dir.path.string()), 1);
  EXPECT_TRUE(dir.empty());

  const pid_t pid = fork();
  if (pid == 0) {
    const std::string exporter = tool("tessivar-export"), out = dir / "film.mp4";
    execl(exporter.c_str(), exporter.c_str(), "--quiet", "--out", out.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;  // stopped once it is writing
  while (dir.empty() && waitpid(pid, &status, WNOHANG) == 0) usleep(10000);
  kill(pid, SIGTERM);
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM);
  EXPECT_TRUE(dir.empty());
}
