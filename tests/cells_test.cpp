// The cells star, its spark strands and the late filaments: when they draw and how they settle.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "scenes/camera_internal.h"
#include "scenes/cells.h"
#include "scenecheck.h"

namespace {
std::vector<unsigned char> drawn(void (*scene)(float), float p) {
  needdemo(640, 480);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_FOG);
  glDisable(GL_LINE_SMOOTH);  // the late return turns it on and leaves it on
  cameraat(20);
  scene(p);
  return framepixels();
}
}  // namespace

TEST(Cells, NoGlCallOutsideAbout6To29SecondsAndAFadeInFromNothing) {
  needdemo(640, 480);
  for (float p : {0.0f, 0.05f, 0.1049f, 0.51427f, 0.6f, 0.99f})
    EXPECT_TRUE(untouched([p] { cells(p); })) << p;
  EXPECT_GT(framelight(drawn(cells, 8 / 56.55f)), 0);
  EXPECT_GT(framelight(drawn(cells, 0.5142f)), 0);
  // At q = 0 both the sprites and the sparks have brightness 0; a moment later they show.
  EXPECT_EQ(framelight(drawn(cells, 0.105f)), 0);
  EXPECT_GT(framelight(drawn(cells, 0.115f)), 0);
}

TEST(Cells, SameProgressSamePictureWhileTheSparksFlickerAndDieAway) {
  for (float p : {0.11f, 0.2f, 0.45f}) {
    const std::vector<unsigned char> first = drawn(cells, p);
    std::srand(3);
    EXPECT_EQ(drawn(cells, p), first) << p;
  }
  EXPECT_NE(drawn(cells, 0.150f), drawn(cells, 0.1501f));
  // By 1.25 the sparks are black and only the sixteen filaments remain, steady between frames.
  const std::vector<unsigned char> end = drawn(cells_2, 1.25f);
  EXPECT_GT(framelight(end), 0);
  EXPECT_LE(maxdifference(drawn(cells_2, 1.2499f), end), 2);
  EXPECT_GT(framelight(drawn(cells_2, 1.0f)), framelight(end));
}
