// The compositor on demo frames and on test patterns drawn straight into the back buffer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "filters.h"
#include "offscreen.h"
#include "seam.h"
#include "tarvok.h"
#include "timer.h"

namespace {
void settime(float seconds) {
  setofflineticks(static_cast<unsigned int>(seconds * 1000));
  timer_update();
}

// Black frame with a white square from (200, 200) to (300, 300) and a grey ramp along the bottom.
void drawpattern() {
  glViewport(0, 0, 640, 480);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  perspective2DBegin(640, 480);
  glBegin(GL_QUADS);
  glColor3f(1, 1, 1);
  glVertex2f(200, 200);
  glVertex2f(300, 200);
  glVertex2f(300, 300);
  glVertex2f(200, 300);
  glColor3f(0, 0, 0);
  glVertex2f(0, 400);
  glColor3f(0.6f, 0.3f, 0.1f);
  glVertex2f(640, 400);
  glVertex2f(640, 480);
  glColor3f(0, 0, 0);
  glVertex2f(0, 480);
  glEnd();
  perspective2DEnd();
}

std::vector<unsigned char> compositepattern(float seconds) {
  drawpattern();
  settime(seconds);
  compositeframe(seconds);
  return framepixels();
}

bool black(const Rgb& c) { return c.r == 0 && c.g == 0 && c.b == 0; }
}  // namespace

TEST(Compositor, GlowAddsAHaloAndLeavesFarBlackAlone) {
  needdemo(640, 480);
  const auto frame = compositepattern(0);
  EXPECT_EQ(pixelat(frame, 250, 250).g, 255);
  const int far[][2] = {{100, 250}, {400, 250}, {250, 150}, {250, 350}, {40, 40}};
  for (const auto& at : far) EXPECT_TRUE(black(pixelat(frame, at[0], at[1]))) << at[0] << ", " << at[1];
  // Next to the square the glow reaches at most one fifth of white, and fades with distance.
  const int near = pixelat(frame, 197, 250).g;
  const int further = pixelat(frame, 185, 250).g;
  EXPECT_GT(near, 25);
  EXPECT_LE(near, 52);
  EXPECT_GT(further, 0);
  EXPECT_LT(further, near);
  EXPECT_GT(pixelat(frame, 250, 193).g, 25);
}

TEST(Compositor, StartsTheSharedGeneratorAfreshInEveryGlowingFrame) {
  needdemo(640, 480);
  std::srand(0);
  const int first = std::rand();
  std::srand(77);
  (void)std::rand();
  compositepattern(0);
  EXPECT_EQ(std::rand(), first);
}

TEST(Compositor, LeavesTheStateTheNextFrameStartsFrom) {
  needdemo(640, 480);
  compositepattern(0);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 480);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLint bound = -1, source = 0, destination = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_BLEND_SRC, &source);
  glGetIntegerv(GL_BLEND_DST, &destination);
  EXPECT_EQ(bound, 0);
  EXPECT_EQ(source, GL_SRC_ALPHA);
  EXPECT_EQ(destination, GL_ONE);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[3], 0.2f);
}

TEST(Compositor, InversionInvertsEverything) {
  needdemo(640, 480);
  const auto plain = compositepattern(0);
  setinverted(true);
  const auto inverted = compositepattern(0);
  setinverted(false);
  ASSERT_EQ(plain.size(), inverted.size());
  int worst = 0;
  for (size_t i = 0; i < plain.size(); ++i)
    worst = std::max(worst, std::abs(255 - plain[i] - inverted[i]));
  EXPECT_LE(worst, 1);
}

TEST(Compositor, NarrowWindowHasNeitherGlowNorCounter) {
  needdemo(640, 480);
  setscrd(399, 480);
  std::srand(5);
  (void)std::rand();
  const int second = std::rand();
  std::srand(5);
  (void)std::rand();
  const auto frame = compositepattern(0);
  setscrd(640, 480);
  EXPECT_EQ(std::rand(), second);
  for (int y = 55; y < 85; ++y)
    for (int x = 440; x < 640; ++x) ASSERT_TRUE(black(pixelat(frame, x, y))) << x << ", " << y;
}

TEST(DemoFrames, CounterSitsRightAlignedBelowTheTopBar) {
  needdemo(640, 480);
  const auto frame = demoframe(0);  // no scene draws at 0 s: only the counter is seen
  int left = 640, right = -1, top = 480, bottom = -1;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (black(pixelat(frame, x, y))) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  EXPECT_GE(right, 626);  // the last character's cell ends at 2013 of 2048
  EXPECT_LE(right, 629);
  EXPECT_GE(top, 60);
  EXPECT_LE(bottom, 78);
  EXPECT_GT(left, 470);  // "1ST JANUARY 1970 " starts 16 cells to the left
}

TEST(DemoFrames, BarsStayBlackAtEveryMoment) {
  needdemo(640, 480);
  for (const unsigned int ms : {1000u, 14000u, 29500u, 60000u, 90000u, 116000u, 125000u, 140000u}) {
    const auto frame = demoframe(ms);
    // The glow may reach some 20 pixels into a bar from a bright picture next to it.
    for (int y = 0; y < 480; ++y) {
      if (y >= 24 && y < 456) continue;
      for (int x = 0; x < 640; ++x)
        ASSERT_TRUE(black(pixelat(frame, x, y))) << ms << " ms at " << x << ", " << y;
    }
  }
}
