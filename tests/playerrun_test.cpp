// The score in a real GL context, after the demo's own start-up.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "demo.h"
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
  const Rgb untouched = pixelat(framepixels(), 10, 10);
  EXPECT_EQ(untouched.r, 128);  // nothing was cleared
  EXPECT_EQ(untouched.b, 255);

  setofflineticks(158000);
  timer_update();
  EXPECT_EQ(timer_gettime(), 158.0f);
  EXPECT_EQ(playerRun(), 1);
  EXPECT_EQ(pixelat(framepixels(), 10, 10).b, 0);  // cleared and drawn
}

// Start-up leaves the standard projection and the loading screen's last translation, and every
// frame starts from that model-view matrix again.
TEST(ScoreRun, FramesStartFromTheLastLoadingScreensMatrix) {
  needdemo();
  float projection[16], modelview[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[5], 2.4142136f, 1e-5);  // 1 / tan(22.5 degrees)
  EXPECT_NEAR(projection[0], 2.4142136f * 480 / 640, 1e-5);
  for (int frame = 0; frame < 2; ++frame) {
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_NEAR(modelview[12], -2.86f, 1e-5);
    EXPECT_NEAR(modelview[13], 0.21f, 1e-5);
    EXPECT_NEAR(modelview[14], -20.0f, 1e-5);
    EXPECT_EQ(modelview[0], 1.0f);
    demoframe(20000 + frame * 1000);
  }
}
