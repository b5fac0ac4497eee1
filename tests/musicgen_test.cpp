// The generated soundtrack, decoded by SDL_mixer as the demo plays it: its length, levels, where
// its energy changes against the picture, and that the same source gives the same file,
// sample-aligned with the render.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "mp3decode.h"
#include "offscreen.h"
#include "assets/music/loudness.h"

namespace fs = std::filesystem;
using mp3decode::level;
using mp3decode::rate;

namespace {

constexpr double piecelength = 158.0;

// Level just after minus level just before a moment, each over `span` seconds, `guard` apart.
double rise(const std::vector<int16_t>& pcm, double t, double span, double guard) {
  return level(pcm, t + guard, t + guard + span) - level(pcm, t - guard - span, t - guard);
}

// Highest magnitude in dB, between samples too (Hann-windowed sinc at quarter steps near peaks).
double truepeakdb(const std::vector<int16_t>& pcm) {
  constexpr int reach = 16;
  const long frames = static_cast<long>(pcm.size() / 2);
  int samplepeak = 0;
  for (int16_t s : pcm) samplepeak = std::max(samplepeak, std::abs(int(s)));
  double peak = samplepeak;
  for (long i = 2 * reach; i + 2 * reach < 2 * frames; ++i) {  // i walks both channels
    if (2 * std::max(std::abs(pcm[i]), std::abs(pcm[i + 2])) < samplepeak) continue;
    for (double at : {0.25, 0.5, 0.75}) {
      double v = 0;
      for (long k = 1 - reach; k <= reach; ++k) {
        const double x = at - k, hann = 0.5 + 0.5 * std::cos(M_PI * x / reach);
        v += pcm[i + 2 * k] * std::sin(M_PI * x) / (M_PI * x) * hann;
      }
      peak = std::max(peak, std::fabs(v));
    }
  }
  return 20 * std::log10(peak / 32768.0);
}

// Gated loudness in LUFS of the whole track or of the stretch from `from` to `to` seconds.
double loudness(const std::vector<int16_t>& pcm, double from = 0, double to = 1e9) {
  const size_t first = static_cast<size_t>(from * rate);
  const size_t frames = std::min(pcm.size() / 2, static_cast<size_t>(to * rate)) - first;
  return musicgen::integratedloudness(frames, rate, [&](int side, size_t i) {
    return pcm[2 * (first + i) + side] / 32768.0;
  });
}

class MusicgenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { decoded = mp3decode::decode(songname); }
  void SetUp() override { ASSERT_FALSE(decoded.empty()) << songname << " does not decode"; }
  static std::vector<int16_t> decoded;
};
std::vector<int16_t> MusicgenTest::decoded;

TEST_F(MusicgenTest, LastsThePieceAndLevelsLikeAReleasedTrackWithoutClipping) {
  // The capture ends with the mixer buffer in which the music ran out (4096 frames).
  EXPECT_NEAR(double(decoded.size() / 2) / rate, piecelength, 0.1);
  // Players and encoders reconstruct the wave between the samples; it stays under -1 dBTP.
  const double peak = truepeakdb(decoded);
  EXPECT_LE(peak, -1.0);
  EXPECT_GT(peak, -3.0) << "mastered well below full scale";
  EXPECT_NEAR(loudness(decoded), -14.0, 1.0) << "integrated loudness, LUFS";
  // The main theme and the worm sections play at full level; every 5 s of them near -14 dBFS.
  for (double t = 29.5; t < 110.0; t += 5.0) {
    const double l = level(decoded, t, t + 5.0);
    EXPECT_GT(l, -20.0) << "at " << t << " s";
    EXPECT_LT(l, -11.0) << "at " << t << " s";
  }
}

TEST_F(MusicgenTest, ComesOutOfSilenceAndEndsCleanly) {
  EXPECT_LT(level(decoded, 0, 0.05), -60.0);
  EXPECT_LT(level(decoded, 0, 2.9), level(decoded, 29.2, 56.5) - 15.0) << "the fade from black";
  EXPECT_LT(level(decoded, 157.6, piecelength), -90.0) << "silent by the demo's end";
  EXPECT_LT(level(decoded, 157.0, 157.6), -45.0);
  // The picture is black from 145.7 to the closing text at 147.5.
  EXPECT_LT(level(decoded, 145.7, 147.5), level(decoded, 138.9, 142.9) - 15.0);
  EXPECT_GT(level(decoded, 148.0, 155.0), -35.0) << "an outro under the closing text";
}

TEST_F(MusicgenTest, EnergyChangesWhereTheScoreCuts) {
  // Into the main theme and into the climax: louder by a clear margin over 1.5 s.
  EXPECT_GT(rise(decoded, 29.135, 1.5, 0.05), 6.0);
  EXPECT_GT(rise(decoded, 138.849, 1.5, 0.05), 4.0);
  // The static swells under the shake from 4.35, peaks 8.8-10.3 and is gone by 12.2.
  const double swell = level(decoded, 8.786, 10.269);
  EXPECT_GT(swell, level(decoded, 2.91, 4.35) + 3.0);
  EXPECT_GT(swell, level(decoded, 12.209, 13.7) + 3.0);
  // The worm first waits: quieter than the theme before it and the approach after 70.27.
  const double waiting = level(decoded, 57.0, 63.4);
  EXPECT_LT(waiting, level(decoded, 49.0, 56.5) - 3.0);
  EXPECT_LT(waiting, level(decoded, 70.3, 77.1) - 3.0);
  // The dive drops the beat; the growth brings it back; the rush to white is a quiet rise.
  EXPECT_LT(level(decoded, 115.5, 118.3), level(decoded, 104.6, 111.4) - 6.0);
  EXPECT_GT(level(decoded, 124.0, 132.0), level(decoded, 115.5, 118.3) + 6.0);
  EXPECT_LT(level(decoded, 132.1, 134.6), level(decoded, 134.7, 136.0) - 6.0);
  // The burst is the peak of the piece: clearly louder than every section with a beat.
  const double climax = loudness(decoded, 138.849, 145.7);
  for (const auto& [from, to] : {std::pair{29.135, 56.55}, {56.55, 83.992}, {83.992, 111.407},
                                 {118.345, 134.649}}) {
    EXPECT_GT(climax, loudness(decoded, from, to) + 1.0) << "the section from " << from << " s";
  }
}

TEST_F(MusicgenTest, HitsLandOnTheWhiteFlashes) {
  for (double flash : {13.839, 29.135, 35.99, 56.55, 83.992, 97.7, 111.407, 134.649, 138.849}) {
    EXPECT_GT(rise(decoded, flash, 0.05, 0.02), 3.0) << "no hit at " << flash << " s";
  }
}

TEST(LoudnessMeter, ReadsTonesAtTheirLevelAndGatesOutQuietStretches) {
  auto tone = [](double seconds, double left, double right) {
    std::vector<int16_t> pcm;
    for (long i = 0; i < static_cast<long>(seconds * rate); ++i) {
      const double v = 32767 * std::sin(2 * M_PI * 997 * i / rate);
      pcm.insert(pcm.end(), {int16_t(std::lrint(left * v)), int16_t(std::lrint(right * v))});
    }
    return pcm;
  };
  EXPECT_NEAR(loudness(tone(10, 0.1, 0.1)), -20.0, 0.1);
  EXPECT_NEAR(loudness(tone(10, 0.1, 0)), -23.0, 0.1);
  std::vector<int16_t> fading = tone(10, 0.1, 0.1);
  const std::vector<int16_t> quiet = tone(10, 0.01, 0.01);
  fading.insert(fading.end(), quiet.begin(), quiet.end());
  EXPECT_NEAR(loudness(fading), -20.0, 0.1) << "20 dB under the rest, the tail does not count";
}

// Offset (in frames, within +-range) at which b best matches a around second t.
long bestlag(const std::vector<int16_t>& a, const std::vector<int16_t>& b, double t, long range) {
  const long first = static_cast<long>(t * rate);
  long best = 0;
  double bestcorrelation = -2;
  for (long lag = -range; lag <= range; ++lag) {
    double ab = 0, aa = 0, bb = 0;
    for (long i = first; i < first + 4096; ++i) {
      const double x = a[2 * i], y = b[2 * (i + lag)];
      ab += x * y;
      aa += x * x;
      bb += y * y;
    }
    const double c = ab / std::sqrt(aa * bb + 1e-9);
    if (c > bestcorrelation) {
      bestcorrelation = c;
      best = lag;
    }
  }
  return best;
}

TEST_F(MusicgenTest, SameSourceSameFileOnOneThreadAlignedWithTheRender) {
  const Scratch folder("musicgen");
  // The build composed the song on every core; one thread must give the same bytes.
  const std::string command = buildtool("tessivar-musicgen") + " " + folder / "again.mp3" +
                              " --wav " + folder / "render.wav" + " --threads 1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::vector<char> again = filebytes(folder / "again.mp3");
  EXPECT_FALSE(again.empty());
  EXPECT_TRUE(again == filebytes(songname)) << "a second run gives a different file";
  EXPECT_FALSE(fs::exists(folder / "again.mp3.part"));
  // The decoder's first sample is the render's first: the music keeps time with the picture.
  const std::vector<char> wav = filebytes(folder / "render.wav");
  std::vector<int16_t> render(wav.size() > 44 ? (wav.size() - 44) / 2 : 0);
  std::memcpy(render.data(), wav.data() + 44, render.size() * 2);
  ASSERT_EQ(render.size(), 2 * static_cast<size_t>(piecelength * rate));
  for (double t : {13.8, 30.0, 100.0, 139.0}) EXPECT_EQ(bestlag(render, decoded, t, 2000), 0) << t;
}

}  // namespace
