// tessivar-export from the outside: its options, the film read back with FFmpeg's libraries,
// picture and music in step at the show's white flashes, frames equal to the renderer's, colours
// and tags as players expect them, and no file left behind when it fails, is stopped or killed.
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

#include "offscreen.h"
#include "tools/wholefile.h"

namespace fs = std::filesystem;

namespace {
// Runs a tool of the build, from the repository root unless told otherwise; its exit status.
int run(const std::string& name, const std::string& args, const std::string& in = ".") {
  const std::string command = "cd " + in + " && " + buildtool(name) + " " + args;
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a player gets from the file: each frame's mean brightness and time, and the sound; the
// frames themselves as RGB when asked for.
struct Film {
  int width = 0, height = 0, rate = 0;
  double fps = 0, seconds = 0, soundseconds = 0;  // as the streams declare them
  double videostart = -1, soundstart = -1;
  AVRational aspect{0, 1};
  bool bt709 = false;  // primaries, transfer and matrix tagged BT.709, in limited range
  std::vector<double> luma, frametime;
  std::vector<double> keyframes;  // the times of the video's key packets
  bool keysareidr = true;         // each holds an IDR picture: its GOP is closed
  std::vector<float> sound;       // the first channel
  bool keeprgb = false;
  std::vector<std::vector<unsigned char>> rgb;
};

// Limited-range BT.709 YUV 4:2:0 to RGB, computed here rather than by swscale.
std::vector<unsigned char> bt709rgb(const AVFrame* frame) {
  std::vector<unsigned char> rgb;
  for (int y = 0; y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x) {
      const double l = 1.164384 * (frame->data[0][y * frame->linesize[0] + x] - 16);
      const double u = frame->data[1][y / 2 * frame->linesize[1] + x / 2] - 128.0;
      const double v = frame->data[2][y / 2 * frame->linesize[2] + x / 2] - 128.0;
      for (const double c : {l + 1.792741 * v, l - 0.213249 * u - 0.532909 * v, l + 2.112402 * u})
        rgb.push_back(static_cast<unsigned char>(std::clamp(std::lround(c), 0L, 255L)));
    }
  return rgb;
}

// Whether an H.264 packet (4-byte lengths before each unit, as in MP4 and Matroska) holds an IDR.
bool hasidr(const AVPacket* packet) {
  for (int at = 0; at + 4 < packet->size;) {
    const uint8_t* unit = packet->data + at;
    if ((unit[4] & 0x1F) == 5) return true;
    at += 4 + (unit[0] << 24 | unit[1] << 16 | unit[2] << 8 | unit[3]);
  }
  return false;
}

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
    if (film.keeprgb) film.rgb.push_back(bt709rgb(frame));
    film.frametime.push_back(frame->best_effort_timestamp * av_q2d(stream->time_base));
  }
  av_frame_free(&frame);
}

Film readfilm(const std::string& path, bool keeprgb = false) {
  Film film;
  film.keeprgb = keeprgb;
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
    const double start = stream->start_time * av_q2d(stream->time_base);
    if (parameters->codec_type == AVMEDIA_TYPE_VIDEO) {
      film.width = parameters->width;
      film.height = parameters->height;
      film.fps = av_q2d(stream->avg_frame_rate);
      film.seconds = seconds;
      film.videostart = start;
      film.aspect = parameters->sample_aspect_ratio;
      film.bt709 = parameters->color_primaries == AVCOL_PRI_BT709 &&
                   parameters->color_trc == AVCOL_TRC_BT709 &&
                   parameters->color_space == AVCOL_SPC_BT709 &&
                   parameters->color_range == AVCOL_RANGE_MPEG;
    } else {
      film.rate = parameters->sample_rate;
      film.soundseconds = seconds;
      film.soundstart = start;
    }
  }
  AVPacket* packet = av_packet_alloc();
  while (av_read_frame(format, packet) >= 0) {
    const AVStream* stream = format->streams[packet->stream_index];
    if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && (packet->flags & AV_PKT_FLAG_KEY)) {
      film.keyframes.push_back(packet->pts * av_q2d(stream->time_base));
      film.keysareidr = film.keysareidr && hasidr(packet);
    }
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

// How far the film's colours are from the frames drawn, over the saturated parts (a channel
// spread of 64 or more) that are flat around each pixel, where 4:2:0 loses nothing.
struct ColourError {
  double bias[3] = {}, mean[3] = {};  // signed and absolute, per channel, in levels
  long pixels = 0;
};

void addcolours(const std::vector<unsigned char>& drawn, const std::vector<unsigned char>& shown,
                int width, int height, ColourError& error) {
  auto at = [&](int x, int y, int c) { return drawn[(size_t(y) * width + x) * 3 + c]; };
  for (int y = 1; y < height - 1; ++y)
    for (int x = 1; x < width - 1; ++x) {
      const int spread = std::max({at(x, y, 0), at(x, y, 1), at(x, y, 2)}) -
                         std::min({at(x, y, 0), at(x, y, 1), at(x, y, 2)});
      bool flat = spread >= 64;
      for (int dy = -1; flat && dy <= 1; ++dy)
        for (int dx = -1; flat && dx <= 1; ++dx)
          for (int c = 0; c < 3; ++c) flat = flat && std::abs(at(x + dx, y + dy, c) - at(x, y, c)) <= 16;
      if (!flat) continue;
      ++error.pixels;
      for (int c = 0; c < 3; ++c) {
        const int off = shown[(size_t(y) * width + x) * 3 + c] - at(x, y, c);
        error.bias[c] += off;
        error.mean[c] += std::abs(off);
      }
    }
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
  const Scratch dir("export");
  for (const char* bad :
       {"--size 320x241", "--size 8x8", "--fps 0", "--fps 121", "--fps 2.5", "--from -1",
        "--to 158.5", "--from 5 --to 5", "--quality 52", "--quality 0", "--out film.avi",
        "--bogus 1", "--size", "--size 2050x2048", "--size ' 32x 32'", "--fps 0x1e",
        "--from 0x10", "--to ' 5'", "--to 1e1", "--fps +30", "--to +1", "--fps 30x"}) {
    // Were one accepted, a tiny film would be written and the status would be 0.
    EXPECT_EQ(run("tessivar-export", "--size 16x16 --to 0.1 --out " + dir / "x.mp4 " + bad), 2)
        << bad;
  }
  EXPECT_TRUE(dir.empty());
}

// 5.4 seconds from 43 s at 15 fps (frame times of no whole millisecond), wide enough for the glow
// and the date counter: the clip's length, size, rate and sound, and its frames are the
// renderer's. What players show is what was drawn: BT.709 limited range, converted and tagged
// so; square pixels; and a keyframe at least every 2 seconds, each an IDR (a closed GOP) for
// seeking.
TEST(Export, ClipShowsTheRenderersFramesInTheirColoursWithTagsAndKeyframes) {
  const Scratch dir("export");
  fs::create_directories(dir / "export");
  fs::create_directories(dir / "render");
  // At CRF 12 the encoder's own loss (about 2 levels of red at the default 20) stays apart from
  // the conversion's.
  const std::string clip = "--size 400x300 --fps 15 --from 43 --to 48.4 --quality 12 --quiet "
                           "--out " + dir / "clip.mp4" + " --frames " + dir / "export";
  ASSERT_EQ(run("tessivar-export", clip), 0);
  Film film = readfilm(dir / "clip.mp4", true);
  EXPECT_TRUE(film.width == 400 && film.height == 300 && film.fps == 15 && film.rate == 44100);
  EXPECT_NEAR(film.seconds, 5.4, 1e-6);
  EXPECT_NEAR(film.soundseconds, 5.4, 1e-6);
  // Decoders drop the encoder's priming; the last packet may carry up to a frame of padding.
  EXPECT_GE(film.sound.size(), 238140u);
  EXPECT_LE(film.sound.size(), 238140u + 1024);
  std::string times;
  for (int n = 0; n < 81; ++n) times += " --time " + std::to_string(43 + n / 15.0);
  ASSERT_EQ(run("tessivar-render", "--size 400x300" + times + " --out " + dir / "render"), 0);
  EXPECT_EQ(std::system(("diff -rq " + dir / "render" + " " + dir / "export").c_str()), 0);

  EXPECT_TRUE(film.bt709);
  EXPECT_EQ(av_cmp_q(film.aspect, AVRational{1, 1}), 0);
  ASSERT_GE(film.keyframes.size(), 3u);
  EXPECT_EQ(film.keyframes.front(), 0.0);
  film.keyframes.push_back(5.4);  // the end
  for (size_t i = 1; i < film.keyframes.size(); ++i)
    EXPECT_LE(film.keyframes[i] - film.keyframes[i - 1], 2.0 + 1e-6) << film.keyframes[i];
  EXPECT_TRUE(film.keysareidr);

  ASSERT_EQ(film.rgb.size(), 81u);
  ColourError error;
  for (size_t n = 0; n < film.rgb.size(); ++n) {
    char name[64];
    std::snprintf(name, sizeof name, "export/tessivar-%07.3f.png", 43 + n / 15.0);
    const std::vector<unsigned char> drawn = readpng(dir / name).rgb;
    ASSERT_EQ(drawn.size(), film.rgb[n].size()) << name;
    addcolours(drawn, film.rgb[n], 400, 300, error);
  }
  ASSERT_GT(error.pixels, 100000);
  for (int c = 0; c < 3; ++c) {
    error.bias[c] /= error.pixels;
    error.mean[c] /= error.pixels;
    EXPECT_LE(std::abs(error.bias[c]), 3.0) << "channel " << c;
    EXPECT_LE(error.mean[c], 3.0) << "channel " << c;
  }
  std::printf("saturated flat pixels: %ld; bias R %+.2f G %+.2f B %+.2f; mean |error| R %.2f "
              "G %.2f B %.2f levels\n", error.pixels, error.bias[0], error.bias[1], error.bias[2],
              error.mean[0], error.mean[1], error.mean[2]);
}

// The picture jumps to white where the music hits, at each of the show's three white flashes, in
// MP4 and in Matroska (named in capitals), where both streams start at 0.
TEST(Export, PictureAndSoundAgreeWithinAFrameAtTheFlashes) {
  const Scratch dir("export");
  for (const auto& [flash, name] : {std::pair{13.84, "flash.MKV"}, {134.65, "flash.mp4"},
                                    {138.85, "flash.mp4"}}) {
    const std::string clip = "--size 320x240 --quiet --out " + dir / name + " --from " +
                             std::to_string(flash - 0.4) + " --to " + std::to_string(flash + 0.4);
    ASSERT_EQ(run("tessivar-export", clip), 0);
    const Film film = readfilm(dir / name);
    EXPECT_NEAR(whitejump(film), 0.4, 1.0 / 30) << flash;
    EXPECT_NEAR(whitejump(film), hit(film), 1.0 / 30) << flash;
    EXPECT_TRUE(film.videostart == 0 && film.soundstart == 0) << name;
  }
}

// A shell command's status, with what it printed in said.
int runsaying(const std::string& command, std::string& said) {
  said.clear();
  FILE* out = popen(command.c_str(), "r");
  for (int c; (c = std::fgetc(out)) != EOF;) said += static_cast<char>(c);
  return pclose(out);
}

// The exporter in a folder of its own, whose data/ holds the images and the given soundtrack.
int runwith(const Scratch& dir, const std::string& soundtrack, const std::string& args,
            std::string& said) {
  fs::remove_all(dir / "play");
  fs::create_directories(dir / "play/data");
  for (const auto& image : fs::directory_iterator("data"))
    if (image.path().extension() == ".png")
      fs::create_symlink(fs::absolute(image.path()), dir.path / "play/data" / image.path().filename());
  const std::string command = "cd " + dir / "play" + " && " + soundtrack + " && " +
                              buildtool("tessivar-export") + " " + args + " 2>&1";
  const int status = runsaying(command, said);
  fs::remove_all(dir / "play");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits until the exporter has its film open (an unnamed file in dir shows in /proc as
// "dir/#123 (deleted)"), then stops it with the signal; its exit status.
int stopwhilewriting(const Scratch& dir, int signal) {
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string exporter = buildtool("tessivar-export"), out = dir / "film.mp4";
    execl(exporter.c_str(), exporter.c_str(), "--quiet", "--out", out.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  for (bool writing = false; !writing && waitpid(pid, &status, WNOHANG) == 0; usleep(10000)) {
    std::error_code error;
    for (const auto& fd : fs::directory_iterator(fds, error))
      writing = writing || fs::read_symlink(fd, error).string().rfind(dir.path.string(), 0) == 0;
  }
  kill(pid, signal);
  waitpid(pid, &status, 0);
  return status;
}

// Folders that cannot be written (told before any drawing, which for the whole show would take
// minutes), soundtracks that are no MP3 stream, and stops by SIGTERM and SIGKILL part-way.
TEST(Export, FailuresAndStopsLeaveNoFile) {
  const Scratch dir("export");
  EXPECT_EQ(run("tessivar-export", "--to 1 --out " + dir / "missing/film.mp4"), 1);
  EXPECT_EQ(run("tessivar-export", "--to 1 --out film.mp4", dir.path.string()), 1);
  EXPECT_TRUE(dir.empty());
  fs::create_directories(dir / "folder.mp4");
  EXPECT_EQ(run("tessivar-export", "--out " + dir / "folder.mp4"), 1);
  EXPECT_EQ(run("tessivar-export", "--out " + dir / "film.mp4 --frames " + dir / "missing"), 1);
  fs::remove(dir / "folder.mp4");

  const std::string music = "data/zib-dovrin-halvenmoor.mp3", film = "--to 1 --out film.mp4";
  const std::pair<std::string, std::string> soundtracks[] = {
      {"mkfifo " + music, music + ": a FIFO, not a regular file"},
      {"printf 'RIFF\\044\\0\\0\\0WAVEfmt ' >" + music, music + " is not a 44.1 kHz stereo MP3 stream"}};
  std::string said;
  for (const auto& [make, reason] : soundtracks) {
    EXPECT_EQ(runwith(dir, make, film, said), 1) << make;
    EXPECT_EQ(said, "tessivar-export: " + reason + "\n") << make;
  }
  EXPECT_TRUE(dir.empty());

  const int stopped = stopwhilewriting(dir, SIGTERM);
  EXPECT_TRUE(WIFEXITED(stopped) && WEXITSTATUS(stopped) == 128 + SIGTERM);
  EXPECT_TRUE(dir.empty());
  const int killed = stopwhilewriting(dir, SIGKILL);
  EXPECT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGKILL);
  EXPECT_TRUE(dir.empty()) << "a killed export left " << fs::directory_iterator(dir.path)->path();
}

// With standard error (and output) closed, the film's file cannot take their place: the progress
// lines go nowhere and the film stays whole. The longest name the folder takes fits, also where a
// film replaces an earlier one, or the folder has no unnamed files, and its stand-in must be a
// hidden named file as long as the name.
TEST(Export, ClosedDescriptorsAndTheLongestNamesGiveWholeFilms) {
  const Scratch dir("export");
  const std::string longest = dir / (std::string(251, 'n') + ".mp4");
  const std::string clip = buildtool("tessivar-export") + " --size 64x48 --to 0.5 --out " + longest;
  for (const char* closed : {"2>&-", ">&- 2>&-"}) {  // the second replaces the first
    ASSERT_EQ(std::system((clip + " " + closed).c_str()), 0) << closed;
    const Film film = readfilm(longest);
    EXPECT_TRUE(film.width == 64 && film.luma.size() == 15u) << closed;
  }
  WholeFile named(longest, true);
  ASSERT_TRUE(named.stream() != nullptr) << named.error();
  EXPECT_FALSE(named.isunnamed());
  std::fputs("whole", named.stream());
  ASSERT_TRUE(named.commit()) << named.error();
  EXPECT_EQ(fs::file_size(longest), 5u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1) << "a stand-in was left";
}

// Without a display, scripts/run.sh hands over to scripts/export.sh: before the export it tells the
// film's size and length and an estimate of the time it takes, afterwards how to watch it with a
// player Debian packages.
TEST(Export, ScriptTellsTheFilmItsTimeAndHowToWatchIt) {
  const Scratch dir("export");
  const std::string build = fs::path(buildtool("tessivar-export")).parent_path().string();
  const std::string command = "bash scripts/export.sh " + build +
                              " --size 400x300 --from 20 --to 21 --quiet --out " + dir / "x.mp4" +
                              " 2>&1 | grep -v '^tessivar-export: drawing with'";
  std::string said;
  ASSERT_EQ(runsaying(command, said), 0) << said;
  const std::string lines[] = {
      "tessivar: the film: 1 s of the show (from 20 to 21 s) at 400x300 and 30 fps, with its "
      "music, into " + dir / "x.mp4",
      "tessivar: making it takes under a minute here",
      "tessivar: the show is in " + dir / "x.mp4"};
  size_t at = 0;
  for (const std::string& line : lines) {
    at = said.find(line, at);
    ASSERT_NE(at, std::string::npos) << line << "\nnot in the order said:\n" << said;
  }
  const bool playerhere = std::system("command -v mpv >/dev/null || command -v vlc >/dev/null") == 0;
  EXPECT_NE(said.find(playerhere ? "tessivar: watch it with: " : "sudo apt install mpv", at),
            std::string::npos) << said;
  EXPECT_EQ(readfilm(dir / "x.mp4").luma.size(), 30u);
}
