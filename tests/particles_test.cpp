// The closing explosion with its fade to black, past the last golden frame.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "scenes/camera_internal.h"
#include "scenes/particles.h"
#include "scenecheck.h"

namespace {
// The explosion drawn over a grey background in the view of 150 s.
std::vector<unsigned char> particlesover(float p, float background = 0) {
  needdemo(640, 480);
  glDisable(GL_FOG);
  glClearColor(background, background, background, background);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  cameraat(150);
  glTranslatef(0, 0, -20);
  particles(p);
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
  for (float p : {0.25f, 0.5f, 1.0f}) EXPECT_TRUE(untouched([p] { particles(p); })) << p;
}

TEST(Particles, BurstGrowsOutOfASmallBallAndFadesToBlackFromFifteenHundredths) {
  const int start = litspan(particlesover(0));
  EXPECT_GT(start, 0);
  EXPECT_LT(start, 40);  // within 0.22 units of the centre at 20 units away
  EXPECT_GT(litspan(particlesover(0.02f)), 2 * start);
  // What is left of a white frame in the top-left corner.
  auto corner = [](float p) { return pixelat(particlesover(p, 1), 2, 2).g; };
  EXPECT_EQ(corner(0.1f), 255);
  EXPECT_EQ(corner(0.15f), 255);
  EXPECT_NEAR(corner(0.175f), 191, 2);
  EXPECT_NEAR(corner(0.2f), 128, 2);
  EXPECT_LE(corner(0.2499f), 1);
}
