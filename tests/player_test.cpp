// The score: which scenes draw when, with what progress, and a table that cannot overflow.
#include <gtest/gtest.h>

#include <cmath>

#include "player.h"

namespace {
// The production's score is registered once per test program; the table cannot be reset.
const Scene& slot(unsigned int i) {
  if (scene_i == 0) playerAddScenes();
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
}

TEST(Score, TableKeepsItsFirstSixtyFourAndNeverRunsAnEmptyScene) {
  slot(0);
  void (*const draw)(float) = [](float) {};
  playerAddScene("empty", 5, 0, 0, 1, nullptr, draw, nullptr);
  for (float t = 4.9f; t < 5.1f; t = std::nextafter(t, 6.0f) + 0.001f)
    EXPECT_FALSE(sceneactive(scenes[17], t));
  while (scene_i < maxscenes) playerAddScene("filler", 1, 1, 0, 1, nullptr, draw, nullptr);
  playerAddScene("one too many", 2, 1, 0, 1, nullptr, draw, nullptr);
  EXPECT_EQ(scene_i, maxscenes);
  EXPECT_STREQ(scenes[maxscenes - 1].name, "filler");
}
