// The demo's music: SDL_mixer playback through SDL's disk audio driver, the start-up's handling
// of every way the music can fail to open, and the demo's clock staying the same throughout.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/demo.h"
#include "runtime/mp3stream.h"
#include "mp3decode.h"
#include "offscreen.h"
#include "runtime/seam.h"
#include "runtime/sound.h"
#include "toolkit/tarvok.h"
#include "runtime/timer.h"

namespace fs = std::filesystem;
using mp3decode::rate;

namespace {
std::vector<int16_t> readraw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<int16_t> samples(fs::exists(path) ? fs::file_size(path) / 2 : 0);
  in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * 2));
  return samples;
}

bool audioopen() {
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  return Mix_QuerySpec(&frequency, &format, &channels) != 0;
}

bool audioup() { return SDL_WasInit(SDL_INIT_AUDIO) != 0; }

// The first seconds of the music as the module plays them, started at the given offset.
std::vector<int16_t> playthroughmodule(float rewindtime, double seconds) {
  mp3decode::discardedaudio();
  mp3decode::Capture capture;
  if (!sound_init(songname, rewindtime)) return {};
  mp3decode::startcapture(capture, seconds);
  sound_run();
  mp3decode::finishcapture(capture);
  sound_close();
  return capture.samples;
}
}  // namespace

TEST(Sound, PlaysTheFileOnceFromItsStartAndClosesEverything) {
  const std::vector<int16_t> reference = mp3decode::decode(songname, 4.0);
  ASSERT_GE(reference.size(), 2u * 3 * rate) << "the soundtrack does not decode";
  ASSERT_FALSE(audioup());
  // -0.0 is the demo's own offset; an offset before the start plays from the start too.
  for (float rewindtime : {-0.0f, 0.0f, -3.0f}) {
    const std::vector<int16_t> played = playthroughmodule(rewindtime, 3.0);
    ASSERT_GE(played.size(), 2u * 3 * rate) << rewindtime;
    EXPECT_TRUE(std::equal(played.begin(), played.begin() + 2 * 3 * rate, reference.begin()))
        << rewindtime;
    EXPECT_FALSE(audioopen());
    EXPECT_FALSE(audioup()) << "sound_close leaves the audio subsystem as it found it";
  }
  // Half a second before the end the music must run out rather than start again.
  const std::vector<int16_t> last = playthroughmodule(157.5f, 5.0);
  ASSERT_FALSE(last.empty());
  EXPECT_LT(last.size(), 2u * rate) << "the music loops";
}

// Each way the music cannot open leaves no audio device behind, the audio subsystem as it found
// it, and a reason for the player to print; a good file clears it and plays only from sound_run.
TEST(Sound, EveryFailureReleasesWhatItOpenedAndSaysWhy) {
  const Scratch dir("sound");
  const std::string notmusic = dir / "not.mp3", empty = dir / "empty.mp3";
  const std::string folder = dir / "dir.mp3", missing = dir / "missing.mp3";
  std::ofstream(notmusic) << "Tessivar, but not its music\n";
  std::ofstream{empty};
  fs::create_directory(folder);
  // With the audio subsystem already running, first: under sdl12-compat a subsystem brought up
  // again after a failed driver reads as down.
  mp3decode::discardedaudio();
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
  EXPECT_FALSE(sound_init(missing.c_str(), 0));
  EXPECT_TRUE(audioup() && !audioopen());
  EXPECT_FALSE(soundfailure().empty());
  ASSERT_TRUE(sound_init(songname, 0));
  EXPECT_EQ(soundfailure(), "");
  EXPECT_TRUE(audioopen());
  EXPECT_FALSE(Mix_PlayingMusic()) << "nothing plays before sound_run";
  sound_run();
  sound_close();
  EXPECT_TRUE(audioup() && !audioopen());
  SDL_QuitSubSystem(SDL_INIT_AUDIO);

  const std::tuple<std::string, const char*, std::string> cases[] = {
      {missing, "disk", ""}, {folder, "disk", ""}, {empty, "disk", ""},
      {notmusic, "disk", notmusic + " is not a 44.1 kHz stereo MP3 stream"},
      {"/dev/zero", "disk", "/dev/zero: a device, not a regular file"},
      {"data/bga.png", "disk", ""}, {songname, "nosuchdriver", ""}};
  for (const auto& [file, driver, reason] : cases) {
    mp3decode::discardedaudio();
    setenv("SDL_AUDIODRIVER", driver, 1);
    EXPECT_FALSE(sound_init(file.c_str(), 0)) << file << " " << driver;
    EXPECT_FALSE(audioopen()) << file;
    EXPECT_FALSE(audioup()) << file;
    EXPECT_FALSE(soundfailure().empty()) << file;
    EXPECT_TRUE(reason.empty() || soundfailure() == reason) << soundfailure();
  }
}

// The soundtrack's own frames pass with tags around them; other rates, channel counts, frames out
// of step and trailing junk do not, and the reason is kept for the player to print.
TEST(Sound, OnlyAChainOf44kStereoFramesReachesTheDecoder) {
  std::ifstream in(songname, std::ios::binary);
  const std::vector<unsigned char> song{std::istreambuf_iterator<char>(in), {}};
  ASSERT_TRUE(ismp3stream(song.data(), song.size()));
  std::vector<unsigned char> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 1, 2};  // a 130-byte body
  tagged.resize(140, 0);
  tagged.insert(tagged.end(), song.begin(), song.end());
  std::vector<unsigned char> id3v1(128, ' ');
  id3v1[0] = 'T', id3v1[1] = 'A', id3v1[2] = 'G';
  tagged.insert(tagged.end(), id3v1.begin(), id3v1.end());
  EXPECT_TRUE(ismp3stream(tagged.data(), tagged.size()));

  auto changed = [&](auto change) {
    std::vector<unsigned char> bytes = song;
    change(bytes);
    return !ismp3stream(bytes.data(), bytes.size());
  };
  EXPECT_TRUE(changed([](auto& b) { b.push_back(0); }));            // junk after the last frame
  EXPECT_TRUE(changed([](auto& b) { b.resize(b.size() - 1); }));   // the last frame cut short
  EXPECT_TRUE(changed([](auto& b) { b[2] |= 0x04; }));             // 48 kHz
  EXPECT_TRUE(changed([](auto& b) { b[3] |= 0xC0; }));             // mono
  EXPECT_TRUE(changed([](auto& b) { b[1] = 0xF3; }));              // MPEG-2 (22.05 kHz)
  EXPECT_TRUE(changed([](auto& b) { b[2] ^= 0x02; }));             // padding: out of step
  EXPECT_TRUE(changed([](auto& b) { b.erase(b.begin()); }));       // no header where it starts
  EXPECT_FALSE(ismp3stream(tagged.data(), 140)) << "a tag and no frames";
}

// The demo's start-up and shutdown in a child process, SDL's audio written to a file at about the
// pace of a sound card; what the child saw goes to stderr. Every way the music fails to open
// takes the same path from there (sound_init says no), so one stands for them all.
enum class Start { music, nodevice, unticked };

void rundemo(Start setup, const std::string& output) {
  mp3decode::diskaudio(output, 20);
  if (setup == Start::nodevice) setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
  needoffscreen(160, 120);  // the demo's own start-up: the shared needdemo starts it silent
  setofflineticks(0);
  setsoundon(setup != Start::unticked);
  initdemo(0);
  const bool on = getsoundon(), up = audioup();
  if (on) SDL_Delay(2500);
  demoframe(1234);
  const float time = timer_gettime();
  freedemo();
  std::fprintf(stderr, "soundon=%d audio=%d after=%d time=%.3f\n", on, up, audioup(), time);
  std::fflush(stderr);
  std::_Exit(0);
}

// Without an audio device, or with the music unticked, the demo runs silently on the same clock;
// with music, it plays from the piece's first sample.
TEST(SoundDemoDeathTest, StartUpRunsSilentlyOnTimeOrPlaysTheMusicFromItsFirstSample) {
  const Scratch dir("sound");
  const std::string output = dir / "demo.raw";
  for (Start setup : {Start::nodevice, Start::unticked}) {
    EXPECT_EXIT(rundemo(setup, output), ::testing::ExitedWithCode(0),
                "soundon=0 audio=0 after=0 time=1.234");
    EXPECT_FALSE(fs::exists(output)) << "audio was opened";
  }
  EXPECT_EXIT(rundemo(Start::music, output), ::testing::ExitedWithCode(0),
              "soundon=1 audio=1 after=0 time=1.234");
  const std::vector<int16_t> played = readraw(output);
  const std::vector<int16_t> start = mp3decode::decode(songname, 2.5);
  ASSERT_GE(start.size(), 2u * 2 * rate);
  // One second into the piece, a stretch that occurs once; from it, where playback began.
  const auto probe = start.begin() + 2 * rate;
  const long found =
      std::search(played.begin(), played.end(), probe, probe + 4096) - played.begin();
  ASSERT_LT(found, long(played.size())) << "the music is not in the demo's audio output";
  const long begin = found - 2 * rate;
  ASSERT_GE(begin, 0);
  EXPECT_TRUE(std::all_of(played.begin(), played.begin() + begin, [](int16_t s) { return !s; }))
      << "only silence before the music starts";
  const size_t compared = std::min(start.size(), played.size() - begin);
  EXPECT_TRUE(compared >= 2u * 2 * rate &&
              std::equal(start.begin(), start.begin() + compared, played.begin() + begin));
}

