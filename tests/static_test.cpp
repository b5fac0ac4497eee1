// The static: six noise images made at start-up, the strength schedule, and the additive quad.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <set>
#include <vector>

#include "scenecheck.h"
#include "static.h"

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

double meangrey(const std::vector<unsigned char>& pixels, int channels) {
  long long sum = 0;
  for (size_t i = 0; i < pixels.size(); i += channels) sum += pixels[i];
  return double(sum) / (pixels.size() / channels);
}

std::set<std::vector<unsigned char>> allimages() {
  std::set<std::vector<unsigned char>> images;
  for (int k = 0; k < 6; ++k) images.insert(texels(drawnframe(30)));
  return images;
}
}  // namespace

TEST(StaticNoise, SixDistinctGreyImagesBelow192WithDimmerScanlinesFromTheirOwnSeed) {
  const auto images = allimages();
  ASSERT_EQ(images.size(), 6u);
  for (const std::vector<unsigned char>& p : images) {
    int top = 0, rowzero = 0, rowone = 0;
    for (size_t i = 0; i < p.size(); i += 4) {
      ASSERT_TRUE(p[i] == p[i + 1] && p[i] == p[i + 2] && p[i + 3] == 255) << i;
      top = std::max<int>(top, p[i]);
      if (i < side * 4) rowzero = std::max<int>(rowzero, p[i]);
      else if (i < 2 * side * 4) rowone = std::max<int>(rowone, p[i]);
    }
    EXPECT_LE(top, 191);
    EXPECT_LE(rowzero, 95);
    EXPECT_GE(rowzero, 85);
    EXPECT_GE(rowone, 175);  // row 1's scanline factor sin 2 is close to 1
  }
  std::srand(777);
  initpstatic();  // rebuilds from its own seed
  EXPECT_EQ(allimages(), images);
}

TEST(StaticFrames, SevenDrawnFramesCycleAndOffFramesTouchNothing) {
  std::vector<GLint> seen;
  for (int k = 0; k < 7; ++k) {
    seen.push_back(drawnframe(100));
    drawnframe(4.35);  // frames without static do not advance the cycle
    drawnframe(20);
  }
  EXPECT_EQ(std::set<GLint>(seen.begin(), seen.begin() + 6).size(), 6u);
  EXPECT_EQ(seen[6], seen[0]);
  for (double t : {4.35, 12.209, 20.0, 29.135, 56.55, 83.992, 139.849, 148.0})
    EXPECT_TRUE(untouched([t] { pstaticat(t); })) << t;
}

TEST(StaticFrames, AddsNoiseAtTheScheduledStrengthAndLeavesIdentity) {
  // The same image at two strengths: at T = 30 (0.06) and at T = 9 (0.3).
  drawnframe(20);  // builds the noise without drawing
  glTranslatef(1, 2, 3);
  const GLint name = drawnframe(30);
  const std::vector<unsigned char> faint = framepixels();
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1 : 0);
  for (int k = 0; k < 5; ++k) drawnframe(9);
  ASSERT_EQ(drawnframe(9), name);
  const std::vector<unsigned char> strong = framepixels();
  const double noise = meangrey(texels(name), 4);
  EXPECT_NEAR(meangrey(faint, 3), 0.06 * noise, 0.08 * 0.06 * noise);
  EXPECT_NEAR(meangrey(strong, 3), 0.3 * noise, 0.08 * 0.3 * noise);
  EXPECT_LE(*std::max_element(faint.begin(), faint.end()), 12);
  EXPECT_LE(*std::max_element(strong.begin(), strong.end()), 58);
}

TEST(StaticSchedule, FollowsTheShakeButRisesEarlierInTheMainTheme) {
  auto strengthat = [](double t) {
    float a = -1;
    return staticstrength(t, a) ? a : -1.0f;
  };
  // Where the schedule is off is checked on drawn frames above.
  const std::pair<double, float> schedule[] = {{8.786, 1},    {9.5, 1},      {30, 0.2f},
                                               {49.6, 0.2f},  {56.56, 0.2f}, {83.993, 0.2f},
                                               {138.849, 0.8f}};
  for (const auto& [t, strength] : schedule) EXPECT_NEAR(strengthat(t), strength, 1e-4) << t;
  EXPECT_NEAR(strengthat(12.2089), 0, 1e-3);
  EXPECT_NEAR(strengthat(56.5499), 0.604, 1e-3);
  EXPECT_GT(strengthat(49.7), 0.2f);
}
