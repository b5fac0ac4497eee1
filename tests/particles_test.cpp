// The closing explosion with its fade to black, and the specks of the middle act.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "scenes/camera_internal.h"
#include "scenes/floaters.h"
#include "scenes/particles.h"
#include "scenecheck.h"

namespace {
void view(double t, float background = 0) {
  needdemo(640, 480);
  glDisable(GL_FOG);
  glClearColor(background, background, background, background);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  cameraat(t);
  glTranslatef(0, 0, -20);
}

std::vector<unsigned char> particlesover(float p, float background = 0) {
  view(150, background);
  particles(p);
  return framepixels();
}

// Floaters over the colour and generator state the scenes before left; they restore the matrix.
std::vector<unsigned char> floatersafter(unsigned int seed, float grey) {
  view(20);
  glColor3f(grey, grey, grey);
  float before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  std::srand(seed);
  floaters(0.5f);
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_TRUE(std::equal(before, before + 16, after));
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

TEST(Particles, NineDrawsForEachOf2400FromSeedZeroAndNothingFromAQuarterOn) {
  for (float p : {0.0f, 0.1f, 0.2f, 0.2499f}) {
    std::srand(17);
    particlesover(p);
    EXPECT_EQ(drawssince(0), 21600) << p;
  }
  view(150);
  for (float p : {0.25f, 0.5f, 1.0f}) EXPECT_TRUE(untouched([p] { particles(p); })) << p;
}

TEST(Particles, BurstGrowsOutOfASmallBallAndFadesToBlackFromFifteenHundredths) {
  const int start = litspan(particlesover(0));
  EXPECT_GT(start, 0);
  EXPECT_LT(start, 40);  // within 0.22 units of the centre at 20 units away
  EXPECT_GT(litspan(particlesover(0.02f)), 2 * start);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  // What is left of a white frame in the top-left corner.
  auto corner = [](float p) { return pixelat(particlesover(p, 1), 2, 2).g; };
  EXPECT_EQ(corner(0.1f), 255);
  EXPECT_EQ(corner(0.15f), 255);
  EXPECT_NEAR(corner(0.2f), 128, 2);
  EXPECT_LE(corner(0.2499f), 1);
}

TEST(Floaters, Take1500DrawsAndTheColourAndSequenceTheScenesBeforeLeft) {
  for (unsigned int seed : {3u, 11u}) {
    floatersafter(seed, 0.4f);
    EXPECT_EQ(drawssince(seed), 1500) << seed;
  }
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(framelight(floatersafter(3, 0)), 0);
  const std::vector<unsigned char> first = floatersafter(3, 0.4f);
  EXPECT_GT(framelight(first), 0);
  EXPECT_EQ(floatersafter(3, 0.4f), first);
  EXPECT_NE(floatersafter(4, 0.4f), first);
}
