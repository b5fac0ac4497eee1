// The landscape: snow, floor and sky, its washes and the camera moves it leaves for later scenes;
// checked on whole demo frames and on the scene's own pictures.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "camera.h"
#include "mainscene.h"
#include "offscreen.h"
#include "scenecheck.h"

namespace {
constexpr float spanseconds = 149;

// The date counter sits in the top-right corner, just below the top bar.
bool incounter(int x, int y) { return x >= 440 && y >= 55 && y < 125; }

// Share of a frame's light that falls within radius pixels of the centre.
double centreshare(const std::vector<unsigned char>& frame, int radius) {
  long long inside = 0, all = 0;
  for (int y = 0; y < frameheight(); ++y)
    for (int x = 0; x < framewidth(); ++x) {
      const Rgb p = pixelat(frame, x, y);
      const int light = p.r + p.g + p.b;
      all += light;
      const int dx = x - framewidth() / 2, dy = y - frameheight() / 2;
      if (dx * dx + dy * dy <= radius * radius) inside += light;
    }
  return all ? static_cast<double>(inside) / all : 0;
}

// Only the snow, over black, in the view of the given moment.
std::vector<unsigned char> snowalone(double t, float p) {
  needdemo(640, 480);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  cameraat(t);
  rendersnow(p, -4);
  return framepixels();
}

void expectnothingat(double t) {
  needdemo(640, 480);
  oddstate();
  std::srand(42);
  const GlSnapshot before = glsnapshot();
  mainscene(static_cast<float>(t / spanseconds));
  EXPECT_EQ(drawssince(42), 0) << t;
  EXPECT_TRUE(glsnapshot() == before) << t;
}

void expectleftclean() {
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}
}  // namespace

TEST(MainSceneFrames, OpensInBlackWithOnlyTheDateCounter) {
  needdemo(640, 480);
  for (unsigned int ms : {0u, 1u, 40u}) {
    const std::vector<unsigned char> frame = demoframe(ms);
    int brightest = 0;
    for (int y = 0; y < frameheight(); ++y)
      for (int x = 0; x < framewidth(); ++x) {
        if (incounter(x, y)) continue;
        const Rgb p = pixelat(frame, x, y);
        brightest = std::max({brightest, p.r, p.g, p.b});
      }
    EXPECT_LE(brightest, 6) << ms << " ms";
  }
}

TEST(MainSceneFrames, WhiteFlashAtTheOrbitCut) {
  needdemo(640, 480);
  const std::vector<unsigned char> frame = demoframe(14000);
  int darkest = 255;
  for (int y = 130; y < 410; ++y)
    for (int x = 0; x < framewidth(); ++x) {
      const Rgb p = pixelat(frame, x, y);
      darkest = std::min({darkest, p.r, p.g, p.b});
    }
  EXPECT_GE(darkest, 200);
  // Well after the flash the landscape is dark again.
  EXPECT_LT(framelight(demoframe(17000)), framelight(frame) / 3);
}

TEST(MainSceneFrames, SameTimeSamePicture) {
  needdemo(640, 480);
  const std::vector<unsigned char> first = demoframe(20000);
  EXPECT_LE(maxdifference(demoframe(20000), first), 4);
  EXPECT_GT(framelight(first), 0);
}

TEST(MainSceneDraws, NothingBetweenTheOpeningAndTheReturnNorAfterTheBurst) {
  for (double t : {29.2, 30.0, 100.0, 134.6, 145.6, 148.9}) expectnothingat(t);
}

TEST(MainSceneDraws, OpeningLeavesTheCameraMatrixAsItFoundIt) {
  needdemo(640, 480);
  for (double t : {0.5, 14.0, 26.0, 29.1}) {
    cameraat(t);
    float before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    mainscene(static_cast<float>(t / spanseconds));
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(before, before + 16, after)) << t;
    expectleftclean();
  }
}

TEST(MainSceneDraws, ReturnAndBurstMoveTheViewForTheScenesAfter) {
  needdemo(640, 480);
  auto distanceafter = [](double t) {
    glLoadIdentity();
    mainscene(static_cast<float>(t / spanseconds));
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return std::sqrt(m[12] * m[12] + m[13] * m[13] + m[14] * m[14]);
  };
  // The return starts 16 units nearer and eases back out; the burst orbits at 21 to 27.
  EXPECT_LT(distanceafter(134.7), 11.5);
  expectleftclean();
  EXPECT_GT(distanceafter(138.0), 20.9);
  EXPECT_LT(distanceafter(138.0), 27.1);
  EXPECT_GT(distanceafter(142.0), 20.9);
  EXPECT_LT(distanceafter(142.0), 27.1);
  expectleftclean();
}

TEST(Snow, AlwaysTakes13000DrawsFromSeedZero) {
  for (float p : {-0.035f, 0.2f, 0.5f, 0.8333f, 0.965f, 1.0005f, 1.049f, 3.0f}) {
    std::srand(99);
    snowalone(20, p);
    EXPECT_EQ(drawssince(0), 13000) << p;
  }
}

TEST(Snow, GathersIntoABallAtTheCentreAndBursts) {
  // The camera at T = 26 looks at the origin, where the ball forms.
  const double falling = centreshare(snowalone(26, 0.3f), 110);
  const double ball = centreshare(snowalone(26, 0.9f), 110);
  const double burst = centreshare(snowalone(26, 1.03f), 110);
  EXPECT_GT(ball, 0.8);
  EXPECT_LT(falling, 0.4);
  EXPECT_LT(burst, ball / 2);
}

TEST(Snow, BallFlakesTurnCoolBlue) {
  auto colourbalance = [](const std::vector<unsigned char>& frame) {
    long long red = 0, blue = 0;
    for (size_t i = 0; i < frame.size(); i += 3) {
      red += frame[i];
      blue += frame[i + 2];
    }
    return static_cast<double>(blue) / std::max(red, 1LL);
  };
  // The flake image has a tint of its own; the ball's colour doubles the blue against the red.
  EXPECT_GT(colourbalance(snowalone(26, 0.9f)), 1.6 * colourbalance(snowalone(26, 0.3f)));
}

TEST(Snow, SameFlakesEveryFrameWhateverCameBefore) {
  std::srand(5);
  const std::vector<unsigned char> first = snowalone(24, 0.7f);
  std::srand(6);
  std::rand();
  EXPECT_EQ(snowalone(24, 0.7f), first);
}
