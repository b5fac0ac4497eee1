// Easing curves, the shared random helpers, the line search and the loading screen; the golden
// frames pin sprites and overlays.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "offscreen.h"
#include "toolkit/tarvok.h"

TEST(Easing, CurvesMeetTheirEndsAndMiddlesUnclamped) {
  EXPECT_NEAR(cosineinterpolate(2, 6, 0.5f), 4, 1e-6);
  EXPECT_LT(cosineinterpolate(0, 1, 0.1f), 0.1f);  // slow start
  EXPECT_LT(cosineinterpolate(0, 1, 1.5f), 1.0f);  // past 1 it turns back
  EXPECT_NEAR(sineinterpolate(2, 6, 1), 6, 1e-5);
  EXPECT_GT(sineinterpolate(0, 1, 0.1f), 0.1f);  // fast start
  // The bump: b at both ends, a in the middle; 3.141592 falls short of pi, so at x = 1 it still
  // holds 6.5e-7 of a.
  EXPECT_NEAR(sineinterpolate2(2, 6, 0.5f), 2, 1e-5);
  EXPECT_NEAR(sineinterpolate2(1e6f, 0, 1), 0.6536f, 1e-3f);
}

TEST(RandFloat, OneSystemDrawPerValueAndTimeSeedsTruncateTheExactProduct) {
  std::srand(7);
  const int first = std::rand(), second = std::rand();
  std::srand(7);
  EXPECT_FLOAT_EQ(randfloat(), (first % 25000) * 0.00004f);
  EXPECT_EQ(std::rand(), second);
  EXPECT_EQ(timeseed(100.0f), 10000000);
  EXPECT_EQ(timeseed(90.1f), 9009999);  // 90.0999985 s: rounding the product first gives 9010000
}

TEST(FoundInString, MatchesWordLettersInOrderWithinNewlineEndedLines) {
  auto found = [](std::string text, const char* word) { return foundinstring(text.data(), word); };
  EXPECT_EQ(found("hello world\n", "hlo"), 1);  // letters in order, gaps allowed
  EXPECT_EQ(found("abc\nxyz\n", "xz"), 1);  // the second line
  EXPECT_EQ(found("abc\nxyz", "xz"), 0);    // text after the last newline is no line
  EXPECT_EQ(found("ab\ncd\n", "abcd"), 0);  // a match never spans lines
  EXPECT_EQ(found("\nxyz\n", "xz"), 0);     // a line at position 1 is never examined
  EXPECT_EQ(found("abc\n", ""), 1);  // the empty word matches any non-empty line
}

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
