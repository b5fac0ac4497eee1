// The score in a real GL context, after the demo's own start-up.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "offscreen.h"
#include "player.h"
#include "seam.h"
#include "timer.h"

// The frame at exactly 158 s is drawn, any later one is not.
TEST(ScoreRun, EndsJustAfterOneHundredFiftyEightSeconds) {
  needdemo();
  glClearColor(0.5f, 0.25f, 1.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  setofflineticks(158001);
  timer_update();
  EXPECT_EQ(playerRun(), 0);
  EXPECT_EQ(pixelat(framepixels(), 10, 10).b, 255);  // nothing was cleared
  setofflineticks(158000);
  timer_update();
  EXPECT_EQ(playerRun(), 1);
  EXPECT_EQ(pixelat(framepixels(), 10, 10).b, 0);  // cleared and drawn
}
