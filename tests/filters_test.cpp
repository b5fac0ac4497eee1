// The compositor on demo frames and on test patterns drawn straight into the back buffer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "runtime/filters.h"
#include "offscreen.h"
#include "runtime/seam.h"
#include "toolkit/tarvok.h"
#include "runtime/timer.h"

namespace {
// Black frame with a white square from (200, 200) to (300, 300) and a brown strip at the bottom,
// run through the compositor at 0 s.
std::vector<unsigned char> compositepattern() {
  glViewport(0, 0, 640, 480);
  glClearColor(0, 0, 0, 0);
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

TEST(Compositor, GlowFrameHaloGeneratorAndTheStateLeftBehind) {
  needdemo(640, 480);
  std::srand(0);
  const int first = std::rand();
  std::srand(77);
  const auto frame = compositepattern();
  EXPECT_EQ(std::rand(), first) << "every glowing frame seeds the shared generator with 0";

  EXPECT_EQ(pixelat(frame, 250, 250).g, 255);
  for (const auto& at : {std::pair{100, 250}, {400, 250}, {250, 150}, {250, 350}, {40, 40}})
    EXPECT_TRUE(black(pixelat(frame, at.first, at.second))) << at.first << ", " << at.second;
  // Next to the square the glow reaches at most one fifth of white, and fades with distance.
  const int near = pixelat(frame, 197, 250).g;
  const int further = pixelat(frame, 185, 250).g;
  EXPECT_TRUE(near > 25 && near <= 52) << near;
  EXPECT_TRUE(further > 0 && further < near) << further;
  EXPECT_GT(pixelat(frame, 250, 193).g, 25);

  GLint viewport[4], bound = -1, source = 0, destination = 0;
  GLfloat colour[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_BLEND_SRC, &source);
  glGetIntegerv(GL_BLEND_DST, &destination);
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_TRUE(viewport[2] == 640 && viewport[3] == 480);
  EXPECT_TRUE(!glIsEnabled(GL_BLEND) && !glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(bound == 0 && source == GL_SRC_ALPHA && destination == GL_ONE);
  EXPECT_FLOAT_EQ(colour[3], 0.2f);
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
  for (int y = 55; y < 85; ++y)
    for (int x = 440; x < 640; ++x) ASSERT_TRUE(black(pixelat(frame, x, y))) << x << ", " << y;
}

TEST(DemoFrames, CounterSitsRightAlignedBelowTheTopBar) {
  needdemo(640, 480);
  const auto frame = demoframe(0);  // no scene draws at 0 s: only the counter is seen
  int left = 640, right = -1, top = 480, bottom = -1;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      if (!black(pixelat(frame, x, y))) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  EXPECT_TRUE(right >= 626 && right <= 629) << right;  // the last cell ends at 2013 of 2048
  EXPECT_TRUE(top >= 60 && bottom <= 78) << top << " to " << bottom;
  EXPECT_GT(left, 470);  // "1ST JANUARY 1970 " starts 16 cells to the left
}

TEST(DemoFrames, BarsStayBlackAtEveryMoment) {
  needdemo(640, 480);
  for (const unsigned int ms : {1000u, 14000u, 29500u, 60000u, 90000u, 116000u, 125000u, 140000u}) {
    const auto frame = demoframe(ms);
    // The glow may reach some 20 pixels into a bar from a bright picture next to it.
    for (const int top : {0, 456})
      for (int y = top; y < top + 24; ++y)
        for (int x = 0; x < 640; ++x)
          ASSERT_TRUE(black(pixelat(frame, x, y))) << ms << " ms at " << x << ", " << y;
  }
}
}  // namespace
