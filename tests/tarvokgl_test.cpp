// The loading screen, drawn in a real GL context; the golden frames pin sprites and overlays.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>

#include "offscreen.h"
#include "tarvok.h"

TEST(LoadingBar, FillsFromTheLeftInsideItsFrameAndFadesOut) {
  needoffscreen(640, 480);
  glViewport(0, 0, 640, 480);
  glDisable(GL_DEPTH_TEST);
  renderloadingbar(0.5f);
  auto frame = framepixels();
  // 512 x 384 overlay on 640 x 480: the frame spans x 242.5..397.5, y 242.5..247.5; half full
  // the bar ends at x 320.
  const Rgb fill = pixelat(frame, 318, 245), beyond = pixelat(frame, 321, 245);
  EXPECT_TRUE(std::abs(fill.r - 51) <= 1 && std::abs(fill.g - 178) <= 1 && fill.b >= 229);
  EXPECT_EQ(beyond.r + beyond.g + beyond.b, 0);
  EXPECT_EQ(pixelat(frame, 280, 230).b, 0);  // above the bar
  int framecolumn = 0;
  for (int x = 394; x <= 400; ++x) framecolumn += pixelat(frame, x, 245).r == 255;
  EXPECT_GT(framecolumn, 0) << "right edge of the frame";
  EXPECT_FALSE(glIsEnabled(GL_BLEND));

  // The title swings in while p < 0.5; its turn and translation stay on the model-view matrix.
  float matrix[16];
  renderloadingbar(0.25f);
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_NEAR(matrix[14], -20.0f, 1e-5);
  EXPECT_NE(matrix[1], 0.0f);
  renderloadingbar(1.0f);
  frame = framepixels();
  EXPECT_EQ(*std::max_element(frame.begin(), frame.end()), 0);
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_NEAR(matrix[12], -2.86f, 1e-5);
  EXPECT_EQ(matrix[1], 0.0f);
}
