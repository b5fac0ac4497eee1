// The compositor on test patterns drawn straight into the back buffer: what the golden frames,
// drawn wide and upright, cannot see.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "offscreen.h"
#include "runtime/filters.h"
#include "runtime/seam.h"
#include "runtime/timer.h"
#include "toolkit/tarvok.h"

namespace {
// Black frame with a white square from (200, 200) to (300, 300) and a brown strip at the bottom,
// run through the compositor at 0 s.
std::vector<unsigned char> compositepattern() {
  glViewport(0, 0, 640, 480);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  perspective2DBegin(640, 480);
  glColor3f(1, 1, 1);
  glRectf(200, 200, 300, 300);
  glColor3f(0.6f, 0.3f, 0.1f);
  glRectf(0, 400, 640, 480);
  perspective2DEnd();
  setofflineticks(0);
  timer_update();
  compositeframe(0);
  return framepixels();
}

bool black(const Rgb& c) { return c.r == 0 && c.g == 0 && c.b == 0; }
}  // namespace

TEST(Compositor, GlowFadesWithDistanceAndReseedsTheGenerator) {
  needdemo(640, 480);
  std::srand(0);
  const int first = std::rand();
  std::srand(77);
  const auto frame = compositepattern();
  EXPECT_EQ(std::rand(), first) << "every glowing frame seeds the shared generator with 0";
  EXPECT_EQ(pixelat(frame, 250, 250).g, 255);
  EXPECT_TRUE(black(pixelat(frame, 100, 250)));
  // Next to the square the glow reaches at most one fifth of white, and fades with distance.
  const int near = pixelat(frame, 197, 250).g, further = pixelat(frame, 185, 250).g;
  EXPECT_TRUE(near > 25 && near <= 52) << near;
  EXPECT_TRUE(further > 0 && further < near) << further;
}

TEST(Compositor, InversionInvertsEverything) {
  needdemo(640, 480);
  const auto plain = compositepattern();
  setinverted(true);
  const auto inverted = compositepattern();
  setinverted(false);
  ASSERT_EQ(plain.size(), inverted.size());
  for (size_t i = 0; i < plain.size(); ++i)
    ASSERT_LE(std::abs(255 - plain[i] - inverted[i]), 1) << i;
}

TEST(Compositor, NarrowWindowHasNeitherGlowNorCounter) {
  needdemo(640, 480);
  setscrd(399, 480);
  std::srand(5);
  const int first = std::rand();
  std::srand(5);
  const auto frame = compositepattern();
  setscrd(640, 480);
  EXPECT_EQ(std::rand(), first) << "the generator is left alone";
  EXPECT_TRUE(black(pixelat(frame, 197, 250)));
  for (int y = 55; y < 85; ++y)
    for (int x = 440; x < 640; ++x) ASSERT_TRUE(black(pixelat(frame, x, y))) << x << ", " << y;
}
