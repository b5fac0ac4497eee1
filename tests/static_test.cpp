// The static: six noise images made at start-up, the strength schedule, and the additive quad.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <set>
#include <vector>

#include "scenecheck.h"
#include "scenes/static_internal.h"

namespace {
constexpr int side = 512;

// The texture bound by one drawn frame at t; the noise is built once per test program.
GLint drawnframe(double t) {
  needoffscreen(640, 480);
  static const bool built = (initpstatic(), true);
  (void)built;
  glClear(GL_COLOR_BUFFER_BIT);
  pstaticat(t);
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

std::vector<unsigned char> texels(GLint name) {
  std::vector<unsigned char> pixels(size_t(side) * side * 4);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

// The six images in the order the frames show them; frames without static do not advance it.
std::vector<std::vector<unsigned char>> cycle() {
  std::vector<std::vector<unsigned char>> images;
  for (int k = 0; k < 7; ++k) {
    images.push_back(texels(drawnframe(30)));
    drawnframe(20);
  }
  return images;
}
}  // namespace

// The golden frames pin the seed and the scanlines; these are what they do not show.
TEST(Static, SixGreyImagesBelow192CycleOnDrawnFramesOnly) {
  const auto images = cycle();
  EXPECT_EQ(std::set(images.begin(), images.begin() + 6).size(), 6u);
  EXPECT_TRUE(images[6] == images[0]);
  for (const std::vector<unsigned char>& p : images) {
    int top = 0;
    for (size_t i = 0; i < p.size(); i += 4) {
      ASSERT_TRUE(p[i] == p[i + 1] && p[i] == p[i + 2] && p[i + 3] == 255) << i;
      top = std::max<int>(top, p[i]);
    }
    EXPECT_TRUE(top >= 175 && top <= 191) << top;
  }
}

TEST(Static, DrawsAtTheScheduledStrengthOverIdentityOrTouchesNothing) {
  drawnframe(20);  // builds the noise without drawing
  glTranslatef(1, 2, 3);
  const GLint name = drawnframe(30);  // strength 0.2
  const long long faint = framelight(framepixels());
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1 : 0) << "the frame leaves identity";
  for (int k = 0; k < 5; ++k) drawnframe(9);
  ASSERT_EQ(drawnframe(9), name);  // the same image at strength 1
  EXPECT_NEAR(double(framelight(framepixels())) / faint, 5, 0.4);
  for (double t : {4.35, 12.209, 20.0, 29.135, 56.55, 83.992, 139.849, 148.0})
    EXPECT_TRUE(untouched([t] { pstaticat(t); })) << t;
}

// The shake's rise starts at 35.9 s and ends at 56.475 s; the static's spans the whole theme.
TEST(Static, RisesFromTheStartOfTheMainThemeUnlikeTheShake) {
  float early = 0, late = 0;
  ASSERT_TRUE(staticstrength(49.7, early) && staticstrength(56.5499, late));
  EXPECT_NEAR(early, 0.2035f, 1e-3);
  EXPECT_NEAR(late, 0.604f, 1e-3);
}
