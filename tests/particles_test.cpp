// The closing explosion with its fade to black, and the specks of the middle act.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "camera.h"
#include "floaters.h"
#include "offscreen.h"
#include "particles.h"
#include "scenecheck.h"

namespace {
void view(double t) {
  needdemo(640, 480);
  glDisable(GL_FOG);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  cameraat(t);
  glTranslatef(0, 0, -20);
}

std::vector<unsigned char> particlesalone(float p) {
  view(150);
  particles(p);
  return framepixels();
}

// Over a white frame: what is left of the white in the top-left corner after the scene.
int cornerafter(float p) {
  view(150);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  particles(p);
  const Rgb corner = pixelat(framepixels(), 2, 2);
  return corner.g;
}

std::vector<unsigned char> floatersafter(unsigned int seed, float grey) {
  view(20);
  glColor3f(grey, grey, grey);
  std::srand(seed);
  floaters(0.5f);
  return framepixels();
}

// Half the width of the lit area around the centre column, in pixels.
int litspan(const std::vector<unsigned char>& frame) {
  int span = 0;
  for (int y = 0; y < frameheight(); ++y)
    for (int x = 0; x < framewidth(); ++x) {
      const Rgb p = pixelat(frame, x, y);
      if (p.r + p.g + p.b > 30) span = std::max(span, std::abs(x - framewidth() / 2));
    }
  return span;
}
}  // namespace

TEST(ParticleDraws, NineDrawsForEachOf2400FromSeedZero) {
  for (float p : {0.0f, 0.1f, 0.2f, 0.2499f}) {
    std::srand(17);
    particlesalone(p);
    EXPECT_EQ(drawssince(0), 21600) << p;
  }
}

TEST(ParticleDraws, NothingAtAllFromAQuarterOn) {
  view(150);
  for (float p : {0.25f, 0.5f, 1.0f}) {
    oddstate();
    std::srand(42);
    const GlSnapshot before = glsnapshot();
    particles(p);
    EXPECT_EQ(drawssince(42), 0) << p;
    EXPECT_TRUE(glsnapshot() == before) << p;
  }
}

TEST(ParticlePictures, BurstGrowsOutOfASmallBall) {
  const int start = litspan(particlesalone(0));
  const int later = litspan(particlesalone(0.02f));
  EXPECT_GT(start, 0);
  EXPECT_LT(start, 40);  // within 0.22 units of the centre at 20 units away
  EXPECT_GT(later, 2 * start);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST(ParticlePictures, FadesToBlackFromFifteenHundredths) {
  EXPECT_EQ(cornerafter(0.1f), 255);
  EXPECT_EQ(cornerafter(0.15f), 255);
  EXPECT_NEAR(cornerafter(0.2f), 128, 2);
  EXPECT_LE(cornerafter(0.2499f), 1);
}

TEST(FloaterDraws, ContinueTheSequenceWith1500DrawsAndNoSeed) {
  for (unsigned int seed : {3u, 11u}) {
    floatersafter(seed, 0.4f);
    EXPECT_EQ(drawssince(seed), 1500) << seed;
  }
}

TEST(FloaterPictures, TakeTheColourTheScenesBeforeLeft) {
  EXPECT_EQ(framelight(floatersafter(3, 0)), 0);
  EXPECT_GT(framelight(floatersafter(3, 0.4f)), 0);
}

TEST(FloaterPictures, PlacesFollowTheGeneratorState) {
  const std::vector<unsigned char> first = floatersafter(3, 0.4f);
  EXPECT_EQ(floatersafter(3, 0.4f), first);
  EXPECT_NE(floatersafter(4, 0.4f), first);
}

TEST(FloaterState, RestoresTheMatrixAndLeavesTexturingAndBlendingOff) {
  view(30);
  float before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  floaters(0);
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_TRUE(std::equal(before, before + 16, after));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}
