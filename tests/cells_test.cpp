// The cells star, its spark strands and the late filaments: windows, draw counts and pictures.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <vector>

#include "camera.h"
#include "cells.h"
#include "offscreen.h"
#include "scenecheck.h"

namespace {
constexpr float cellslength = 56.55f;

float progressat(float seconds) { return seconds / cellslength; }

// The seed the sparks take from a phase value.
unsigned int phaseseed(float value) { return static_cast<unsigned int>(value * 100000.0f); }

std::vector<unsigned char> drawn(void (*scene)(float), float p, double viewtime = 20) {
  needdemo(640, 480);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_FOG);
  glDisable(GL_LINE_SMOOTH);  // the late return turns it on and leaves it on
  cameraat(viewtime);
  scene(p);
  return framepixels();
}
}  // namespace

TEST(CellsWindow, NoGlCallBeforeAboutSixSecondsOrAfterAbout29) {
  needdemo(640, 480);
  for (float p : {0.0f, 0.05f, 0.1049f, 0.51427f, 0.6f, 0.99f}) {
    oddstate();
    std::srand(42);
    const GlSnapshot before = glsnapshot();
    cells(p);
    EXPECT_EQ(drawssince(42), 0) << p;
    EXPECT_TRUE(glsnapshot() == before) << p;
  }
  // Just inside both ends the star is drawn.
  EXPECT_GT(framelight(drawn(cells, progressat(8))), 0);
  EXPECT_GT(framelight(drawn(cells, 0.5142f)), 0);
}

TEST(CellsWindow, FadesInFromNothing) {
  // At q = 0 both the sprites and the sparks have brightness 0; a moment later they show.
  EXPECT_EQ(framelight(drawn(cells, 0.105f)), 0);
  EXPECT_GT(framelight(drawn(cells, 0.115f)), 0);
}

TEST(CellsDraws, StarTakes96DrawsFromSeedZero) {
  needdemo(640, 480);
  for (float q : {0.0f, 0.05f, 0.3f}) {
    rendercells(q);
    EXPECT_EQ(drawssince(0), 96) << q;
  }
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
}

TEST(CellsDraws, SparksReseedFromThePhaseAndStopAtTenthOfIt) {
  needdemo(640, 480);
  // Five strands of 17 vertices, three draws each.
  for (float p : {0.106f, 0.15f, 0.2049f}) {
    cells(p);
    EXPECT_EQ(drawssince(phaseseed(static_cast<float>(p - 0.105))), 255) << p;
  }
  for (float p : {0.2051f, 0.4f}) {
    cells(p);
    EXPECT_EQ(drawssince(phaseseed(static_cast<float>(p - 0.105))), 0) << p;
  }
}

TEST(CellsDraws, LateReturnTakesSixteenFilamentsOfHundredDrawsFromSeedOne) {
  needdemo(640, 480);
  for (float p : {0.0f, 0.5f, 0.999f, 1.0f, 1.25f}) {
    cells_2(p);
    EXPECT_EQ(drawssince(1), 1600) << p;
  }
}

TEST(CellsPictures, SameProgressSamePicture) {
  for (float p : {0.11f, 0.2f, 0.45f}) {
    const std::vector<unsigned char> first = drawn(cells, p);
    std::srand(3);
    EXPECT_EQ(drawn(cells, p), first) << p;
  }
  for (float p : {0.3f, 1.1f}) {
    const std::vector<unsigned char> first = drawn(cells_2, p);
    EXPECT_EQ(drawn(cells_2, p), first) << p;
  }
}

TEST(CellsPictures, SparksFlickerFromFrameToFrame) {
  // During the burst two nearby phases draw different strands; afterwards only the star moves,
  // slowly.
  EXPECT_NE(drawn(cells, 0.150f), drawn(cells, 0.1501f));
}

TEST(CellsPictures, FilamentsStayWhileTheSparksDieAway) {
  // After the seam no sprites are drawn; by 1.25 the sparks are black and only the sixteen
  // filaments remain, the same in every frame although the sparks reseed.
  const std::vector<unsigned char> end = drawn(cells_2, 1.25f);
  EXPECT_GT(framelight(end), 0);
  EXPECT_LE(maxdifference(drawn(cells_2, 1.2499f), end), 2);
  EXPECT_GT(framelight(drawn(cells_2, 1.0f)), framelight(end));
}
