// The score: which scenes draw when, with what progress, a table that cannot overflow, and the end.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

#include "offscreen.h"
#include "runtime/player.h"
#include "runtime/seam.h"
#include "runtime/timer.h"

namespace {
// The demo's start-up registers the production's score once per test program.
const Scene& slot(unsigned int i) {
  needdemo();
  return scenes[i];
}
}  // namespace

TEST(Score, ScenesDrawStrictlyInsideTheirIntervalsWithScaledProgress) {
  const Scene& cells2 = slot(3);
  EXPECT_FALSE(sceneactive(cells2, cells2.start));
  EXPECT_FALSE(sceneactive(cells2, cells2.end));
  EXPECT_TRUE(sceneactive(cells2, std::nextafter(cells2.start, 100.0f)));
  EXPECT_TRUE(sceneactive(cells2, std::nextafter(cells2.end, 0.0f)));
  // The cells return over two rows: the second runs its progress on from 1 to 1.25.
  const Scene &first = slot(11), &second = slot(12);
  EXPECT_FLOAT_EQ(sceneprogress(first, 136.799f), 0.5f);
  EXPECT_FLOAT_EQ(sceneprogress(second, 138.849f + 6.854f / 2), 1.125f);
  EXPECT_NEAR(sceneprogress(second, std::nextafter(second.start, 200.0f)), 1.0f, 1e-5);
  // After the opening's 149 s only the particles draw, on to the last frame at 158 s.
  for (const float t : {150.0f, 158.0f})
    for (unsigned int i = 0; i < 17; ++i)
      EXPECT_EQ(sceneactive(slot(i), t), i == 13) << scenes[i].name << " at " << t;
}

// The frame at exactly 158 s is drawn, any later one is not.
TEST(Score, EndsJustAfterOneHundredFiftyEightSeconds) {
  slot(0);
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

TEST(Score, TableKeepsItsFirstSixtyFourAndNeverRunsAnEmptyScene) {
  slot(0);
  ASSERT_EQ(scene_i, 17u);
  void (*const draw)(float) = [](float) {};
  playerAddScene("empty", 5, 0, 0, 1, nullptr, draw, nullptr);
  for (float t = 4.9f; t < 5.1f; t = std::nextafter(t, 6.0f) + 0.001f)
    EXPECT_FALSE(sceneactive(scenes[17], t));
  while (scene_i < maxscenes) playerAddScene("filler", 1, 1, 0, 1, nullptr, draw, nullptr);
  playerAddScene("one too many", 2, 1, 0, 1, nullptr, draw, nullptr);
  EXPECT_EQ(scene_i, maxscenes);
  EXPECT_STREQ(scenes[maxscenes - 1].name, "filler");
}
