// The demo's music: SDL_mixer playback through SDL's disk audio driver, the start-up's handling
// of every way the music can fail to open, and the demo's clock staying the same throughout.
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "demo.h"
#include "mp3decode.h"
#include "offscreen.h"
#include "seam.h"
#include "sound.h"
#include "tarvok.h"
#include "timer.h"

namespace fs = std::filesystem;
using mp3decode::Capture;

namespace {

std::string scratch(const std::string& name) {
  return (fs::temp_directory_path() / ("tessivar-sound-" + std::to_string(getpid()) + "-" + name))
      .string();
}

std::vector<int16_t> readraw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// Where `probe` occurs, sample for sample, in `haystack` (-1 when nowhere).
long find(const std::vector<int16_t>& haystack, const std::vector<int16_t>& probe) {
  if (probe.empty() || haystack.size() < probe.size()) return -1;
  const auto at = std::search(haystack.begin(), haystack.end(), probe.begin(), probe.end());
  return at == haystack.end() ? -1 : static_cast<long>(at - haystack.begin());
}

// Normalised correlation of a and b[offset...] over a's length.
double correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, long offset) {
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const long j = offset + static_cast<long>(i);
    if (j < 0 || j >= static_cast<long>(b.size())) return 0;
    ab += double(a[i]) * b[j];
    aa += double(a[i]) * a[i];
    bb += double(b[j]) * b[j];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

bool audioopen() {
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  return Mix_QuerySpec(&frequency, &format, &channels) != 0;
}

bool audioup() { return SDL_WasInit(SDL_INIT_AUDIO) != 0; }

// The first seconds of the music as the module plays them, started at the given offset.
std::vector<int16_t> playthroughmodule(float rewindtime, double seconds) {
  mp3decode::diskaudio("/dev/null", 0);
  Capture capture;
  if (!sound_init(songname, rewindtime)) return {};
  mp3decode::startcapture(capture, seconds);
  sound_run();
  mp3decode::finishcapture(capture);
  sound_close();
  return capture.samples;
}

class SoundTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { reference = mp3decode::decode(songname, 32.0); }
  static std::vector<int16_t> reference;
};
std::vector<int16_t> SoundTest::reference;

TEST_F(SoundTest, PlaysTheFileOnceFromItsFirstSampleAndClosesEverything) {
  ASSERT_GT(reference.size(), 2u * 30 * mp3decode::rate) << "the soundtrack does not decode";
  ASSERT_FALSE(audioup());
  // -0.0 is the demo's own offset; an offset before the start plays from the start too.
  for (float rewindtime : {-0.0f, 0.0f, -3.0f}) {
    const std::vector<int16_t> played = playthroughmodule(rewindtime, 3.0);
    ASSERT_GE(played.size(), 2u * 3 * mp3decode::rate) << "rewind " << rewindtime;
    EXPECT_TRUE(std::equal(played.begin(), played.begin() + 2 * 3 * mp3decode::rate,
                           reference.begin()))
        << "rewind " << rewindtime;
    EXPECT_FALSE(audioopen());
    EXPECT_FALSE(audioup()) << "sound_close leaves the audio subsystem as it found it";
  }
}

TEST_F(SoundTest, OpensAudioAtCdRateWithASmallBuffer) {
  mp3decode::diskaudio("/dev/null", 0);
  ASSERT_TRUE(sound_init(songname, 0));
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_TRUE(Mix_QuerySpec(&frequency, &format, &channels));
  EXPECT_EQ(frequency, 44100);
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(format, AUDIO_S16SYS);
  EXPECT_FALSE(Mix_PlayingMusic()) << "nothing plays before sound_run";
  sound_close();
}

TEST_F(SoundTest, StartOffsetMovesTheMusicForward) {
  ASSERT_GT(reference.size(), 2u * 31 * mp3decode::rate);
  const float offset = 29.135f;
  const std::vector<int16_t> played = playthroughmodule(offset, 1.0);
  ASSERT_GE(played.size(), 2u * mp3decode::rate);
  // Past the decoder's first frame after the seek, compare half a second with the file.
  const size_t skip = 2 * 4096;
  const std::vector<int16_t> probe(played.begin() + skip, played.begin() + skip + mp3decode::rate);
  const long expected = 2L * static_cast<long>(29.135 * mp3decode::rate) + static_cast<long>(skip);
  long best = 0;
  double bestcorrelation = -1;
  // Seeking lands on an MPEG frame (1152 samples); look a few frames either way.
  for (long lag = -2 * 4 * 1152; lag <= 2 * 4 * 1152; lag += 2) {
    const double c = correlation(probe, reference, expected + lag);
    if (c > bestcorrelation) {
      bestcorrelation = c;
      best = lag;
    }
  }
  EXPECT_GT(bestcorrelation, 0.98);
  EXPECT_LE(std::labs(best / 2), 2 * 1152) << "music starts " << best / 2 << " samples off";
}

TEST_F(SoundTest, PlaysOnceAndStops) {
  // Half a second before the end, the music must run out rather than start again.
  const std::vector<int16_t> played = playthroughmodule(157.5f, 5.0);
  ASSERT_FALSE(played.empty());
  EXPECT_LT(played.size(), 2u * mp3decode::rate) << "the music loops";
}

TEST_F(SoundTest, EveryFailureReleasesWhatItOpened) {
  const std::string notmusic = scratch("notmusic.mp3");
  std::ofstream(notmusic) << "Tessivar, but not its music\n";
  const std::string empty = scratch("empty.mp3");
  std::ofstream{empty};
  const std::string folder = scratch("folder.mp3");
  fs::create_directory(folder);
  struct Case {
    const char* what;
    std::string file;
    const char* driver;
  };
  const Case cases[] = {
      {"missing file", scratch("missing.mp3"), "disk"},
      {"unreadable (a folder)", folder, "disk"},
      {"not an MP3", notmusic, "disk"},
      {"an image named .mp3", "data/bga.png", "disk"},
      {"empty file", empty, "disk"},
      {"no audio device", songname, "nosuchdriver"},
  };
  for (const Case& c : cases) {
    mp3decode::diskaudio("/dev/null", 0);
    setenv("SDL_AUDIODRIVER", c.driver, 1);
    EXPECT_FALSE(sound_init(c.file.c_str(), 0)) << c.what;
    EXPECT_FALSE(audioopen()) << c.what;
    EXPECT_FALSE(audioup()) << c.what;
  }
  fs::remove(notmusic);
  fs::remove(empty);
  fs::remove(folder);
}

TEST_F(SoundTest, LeavesAnAudioSubsystemItFoundRunning) {
  mp3decode::diskaudio("/dev/null", 0);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
  EXPECT_FALSE(sound_init(scratch("missing.mp3").c_str(), 0));
  EXPECT_TRUE(audioup());
  EXPECT_FALSE(audioopen());
  ASSERT_TRUE(sound_init(songname, 0));
  sound_run();
  sound_close();
  EXPECT_TRUE(audioup());
  EXPECT_FALSE(audioopen());
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// The demo's start-up and shutdown, run in a child process as the demo runs them, with SDL's
// audio written to a file at about the pace of a sound card. What the child saw goes to stderr.
enum class Setup { music, missingfile, notmp3, nodevice, unticked };

void rundemo(Setup setup, const std::string& output) {
  mp3decode::diskaudio(output, 20);
  if (setup == Setup::nodevice) setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
  fs::path mirror;
  if (setup == Setup::missingfile || setup == Setup::notmp3) {
    // The demo's data with the music missing or replaced, everything else as it is.
    mirror = fs::path(output + ".data");
    fs::create_directories(mirror / "data");
    for (const auto& entry : fs::directory_iterator("data")) {
      if (entry.path().filename() == fs::path(songname).filename()) continue;
      fs::create_symlink(fs::absolute(entry.path()), mirror / "data" / entry.path().filename());
    }
    if (setup == Setup::notmp3) std::ofstream(mirror / songname) << "not music\n";
    fs::current_path(mirror);
  }
  // The demo's own start-up (the shared needdemo starts it silent).
  needoffscreen(160, 120);
  setofflineticks(0);
  setsoundon(setup != Setup::unticked);
  initdemo(0);
  const bool on = getsoundon();
  const bool up = audioup();
  if (on) SDL_Delay(2500);
  demoframe(1234);
  const float time = timer_gettime();
  freedemo();
  if (!mirror.empty()) fs::remove_all(mirror);
  std::fprintf(stderr, "soundon=%d audio=%d after=%d time=%.3f\n", on, up, audioup(), time);
  std::fflush(stderr);
  std::_Exit(0);
}

TEST(SoundDemoDeathTest, StartUpPlaysTheMusicFromItsFirstSample) {
  const std::string output = scratch("demo.raw");
  EXPECT_EXIT(rundemo(Setup::music, output), ::testing::ExitedWithCode(0),
              "soundon=1 audio=1 after=0 time=1.234");
  const std::vector<int16_t> played = readraw(output);
  fs::remove(output);
  const std::vector<int16_t> start = mp3decode::decode(songname, 2.5);
  ASSERT_GE(start.size(), 2u * 2 * mp3decode::rate);
  // One second into the piece, a stretch that occurs once; from it, where playback began.
  const std::vector<int16_t> probe(start.begin() + 2 * mp3decode::rate,
                                   start.begin() + 2 * mp3decode::rate + 4096);
  const long found = find(played, probe);
  ASSERT_GE(found, 0) << "the music is not in the demo's audio output";
  const long begin = found - 2 * mp3decode::rate;
  ASSERT_GE(begin, 0);
  EXPECT_TRUE(std::all_of(played.begin(), played.begin() + begin, [](int16_t s) { return s == 0; }))
      << "only silence before the music starts";
  const size_t compared = std::min(start.size(), played.size() - begin);
  EXPECT_GE(compared, 2u * 2 * mp3decode::rate);
  EXPECT_TRUE(std::equal(start.begin(), start.begin() + compared, played.begin() + begin))
      << "the demo plays the file from its first sample";
  EXPECT_GT(mp3decode::level(std::vector<int16_t>(played.begin() + begin, played.end()), 0, 2),
            -50.0)
      << "the output is not silent";
}

TEST(SoundDemoDeathTest, RunsSilentlyWithUnchangedTimingWhenTheMusicCannotOpen) {
  const std::string output = scratch("silent.raw");
  const std::string expected = "soundon=0 audio=0 after=0 time=1.234";
  EXPECT_EXIT(rundemo(Setup::missingfile, output), ::testing::ExitedWithCode(0), expected);
  EXPECT_EXIT(rundemo(Setup::notmp3, output), ::testing::ExitedWithCode(0), expected);
  EXPECT_EXIT(rundemo(Setup::nodevice, output), ::testing::ExitedWithCode(0), expected);
  // The disk driver may have written a few buffers before the file failed: silence only.
  const std::vector<int16_t> played = readraw(output);
  EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](int16_t s) { return s == 0; }));
  fs::remove(output);
}

TEST(SoundDemoDeathTest, MusicUntickedMakesNoSoundCall) {
  const std::string output = scratch("unticked.raw");
  EXPECT_EXIT(rundemo(Setup::unticked, output), ::testing::ExitedWithCode(0),
              "soundon=0 audio=0 after=0 time=1.234");
  EXPECT_FALSE(fs::exists(output)) << "audio was opened";
}

}  // namespace
