// The score: which scenes draw when, with what progress, and when the demo ends.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "player.h"

namespace {
// The production's score is registered once per test program; the table cannot be reset.
void needscore() {
  if (scene_i == 0) playerAddScenes();
}

const Scene& slot(unsigned int i) {
  needscore();
  return scenes[i];
}

std::vector<unsigned int> activeat(float t) {
  needscore();
  std::vector<unsigned int> active;
  for (unsigned int i = 0; i < maxscenes; ++i)
    if (sceneactive(scenes[i], t)) active.push_back(i);
  return active;
}
}  // namespace

TEST(Score, RowsHoldTheirNamesAndFloatEnds) {
  EXPECT_STREQ(slot(0).name, "Camera");
  EXPECT_STREQ(slot(16).name, "Borders");
  EXPECT_EQ(scene_i, 17u);
  // Each end is the float sum of start and length.
  EXPECT_EQ(slot(2).end, 0.0f + 56.55f);
  EXPECT_EQ(slot(3).end, 29.135f + 27.415f);
  EXPECT_NE(slot(2).end, slot(3).end);
  EXPECT_EQ(slot(4).end, slot(6).start);  // "Worms 1" hands over to "Worms 2" exactly
  EXPECT_EQ(slot(12).span, 1.25f - 1.0f);
  for (unsigned int i = 17; i < maxscenes; ++i) EXPECT_EQ(slot(i).renderfn, nullptr);
}

TEST(Score, IntervalsAreOpenAtBothEnds) {
  const Scene& cells2 = slot(3);
  EXPECT_FALSE(sceneactive(cells2, cells2.start));
  EXPECT_FALSE(sceneactive(cells2, cells2.end));
  EXPECT_TRUE(sceneactive(cells2, std::nextafter(cells2.start, 100.0f)));
  EXPECT_TRUE(sceneactive(cells2, std::nextafter(cells2.end, 0.0f)));
  // At 0 s nothing draws: every scene of the opening starts at 0 exactly.
  EXPECT_TRUE(activeat(0).empty());
}

TEST(Score, CellsReturnOverTwoRowsWithoutACallAtTheSeam) {
  const Scene& first = slot(11);
  const Scene& second = slot(12);
  EXPECT_EQ(first.renderfn, second.renderfn);
  EXPECT_FLOAT_EQ(sceneprogress(first, 136.799f), 0.5f);
  EXPECT_FLOAT_EQ(sceneprogress(second, 138.849f + 6.854f / 2), 1.125f);
  EXPECT_NEAR(sceneprogress(first, std::nextafter(first.end, 0.0f)), 1.0f, 1e-5);
  EXPECT_NEAR(sceneprogress(second, std::nextafter(second.start, 200.0f)), 1.0f, 1e-5);
  const std::vector<unsigned int> atseam = activeat(138.849f);
  for (unsigned int i : atseam) EXPECT_NE(scenes[i].renderfn, first.renderfn);
}

TEST(Score, OnlyParticlesOutliveTheOpeningAndStopAtTheEnd) {
  EXPECT_EQ(activeat(150.0f), std::vector<unsigned int>{13});
  const Scene& particles = slot(13);
  EXPECT_GT(particles.end, 158.0f);
  EXPECT_NEAR(sceneprogress(particles, 158.0f), (158.0f - 138.849f) / 27.415f, 1e-6);
  EXPECT_LT(sceneprogress(particles, 158.0f), 0.7f);
}

TEST(Score, MiddleSectionsSucceedEachOther) {
  EXPECT_EQ(activeat(30.0f), (std::vector<unsigned int>{0, 1, 2, 3, 14, 15, 16}));
  EXPECT_EQ(activeat(100.0f), (std::vector<unsigned int>{0, 1, 6, 7, 14, 15, 16}));
  EXPECT_EQ(activeat(125.0f), (std::vector<unsigned int>{0, 1, 8, 9, 10, 14, 15, 16}));
  EXPECT_EQ(activeat(140.0f), (std::vector<unsigned int>{0, 1, 12, 13, 15, 16}));
}

TEST(Score, TableKeepsItsFirstSixtyFourAndNeverRunsAnEmptyScene) {
  needscore();
  static int calls = 0;
  void (*const count)(float) = [](float) { ++calls; };
  playerAddScene("empty", 5, 0, 0, 1, nullptr, count, nullptr);
  for (float t = 4.9f; t < 5.1f; t = std::nextafter(t, 6.0f) + 0.001f)
    EXPECT_FALSE(sceneactive(scenes[17], t));
  while (scene_i < maxscenes) playerAddScene("filler", 1, 1, 0, 1, nullptr, count, nullptr);
  playerAddScene("one too many", 2, 1, 0, 1, nullptr, count, nullptr);
  EXPECT_EQ(scene_i, maxscenes);
  EXPECT_STREQ(scenes[maxscenes - 1].name, "filler");
  EXPECT_EQ(calls, 0);
}
