// The static: six noise images made at start-up, the strength schedule, and the additive quad.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "offscreen.h"
#include "scenecheck.h"
#include "static.h"

namespace {
constexpr int side = 512;

// Builds the noise once per test program and returns the name bound by one drawn frame.
void needstatic() {
  needoffscreen(640, 480);
  static bool built = false;
  if (!built) initpstatic();
  built = true;
}

GLint drawnframe(double t) {
  needstatic();
  glClear(GL_COLOR_BUFFER_BIT);
  pstaticat(t);
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

std::vector<unsigned char> texels(GLint name) {
  std::vector<unsigned char> pixels(static_cast<size_t>(side) * side * 4);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

double meangrey(const std::vector<unsigned char>& pixels, int channels) {
  long long sum = 0;
  for (size_t i = 0; i < pixels.size(); i += channels) sum += pixels[i];
  return static_cast<double>(sum) / (pixels.size() / channels);
}

float strengthat(double t) {
  float a = -1;
  return staticstrength(t, a) ? a : -1;
}
}  // namespace

TEST(StaticNoise, GreyOpaqueBelow192WithDimmerScanlines) {
  std::set<GLint> names;
  for (int k = 0; k < 6; ++k) names.insert(drawnframe(30));
  ASSERT_EQ(names.size(), 6u);
  std::vector<std::vector<unsigned char>> images;
  for (GLint name : names) {
    const std::vector<unsigned char> p = texels(name);
    int top = 0, rowzero = 0, brightestrow = 0;
    for (size_t i = 0; i < p.size(); i += 4) {
      ASSERT_EQ(p[i], p[i + 1]);
      ASSERT_EQ(p[i], p[i + 2]);
      ASSERT_EQ(p[i + 3], 255);
      top = std::max<int>(top, p[i]);
      if (i < side * 4) rowzero = std::max<int>(rowzero, p[i]);
    }
    // Row 1 has the brightest scanline factor (sin 2 is close to 1): values reach near 191.
    for (int i = 0; i < side; ++i) brightestrow = std::max<int>(brightestrow, p[(side + i) * 4]);
    EXPECT_LE(top, 191);
    EXPECT_LE(rowzero, 95);
    EXPECT_GE(rowzero, 85);
    EXPECT_GE(brightestrow, 175);
    images.push_back(p);
  }
  for (size_t k = 1; k < images.size(); ++k) EXPECT_NE(images[k], images[0]);
}

TEST(StaticNoise, SameImagesWhateverTheGeneratorWasBefore) {
  auto allimages = [] {
    std::set<std::vector<unsigned char>> images;
    for (int k = 0; k < 6; ++k) images.insert(texels(drawnframe(30)));
    return images;
  };
  const auto first = allimages();
  std::srand(777);
  std::rand();
  initpstatic();  // rebuilds from its own seed
  EXPECT_EQ(allimages(), first);
}

TEST(StaticFrames, SevenDrawnFramesCycleThroughTheSixImages) {
  std::vector<GLint> seen;
  for (int k = 0; k < 7; ++k) {
    seen.push_back(drawnframe(100));
    drawnframe(4.35);  // frames without static do not advance the cycle
    drawnframe(20);
  }
  EXPECT_EQ(std::set<GLint>(seen.begin(), seen.begin() + 6).size(), 6u);
  EXPECT_EQ(seen[6], seen[0]);
}

TEST(StaticFrames, NothingHappensWhereTheScheduleIsOff) {
  needstatic();
  for (double t : {4.35, 12.209, 20.0, 29.135, 56.55, 83.992, 139.849, 148.0}) {
    oddstate();
    const GlSnapshot before = glsnapshot();
    pstaticat(t);
    EXPECT_TRUE(glsnapshot() == before) << t;
  }
}

TEST(StaticFrames, AddsNoiseAtTheScheduledStrengthAndLeavesIdentity) {
  needstatic();
  // The same image at two strengths: at T = 30 (0.06) and at T = 9 (0.3).
  glClear(GL_COLOR_BUFFER_BIT);
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
  EXPECT_EQ(strengthat(4.35), -1);
  EXPECT_NEAR(strengthat(8.786), 1, 1e-4);
  EXPECT_FLOAT_EQ(strengthat(9.5), 1);
  EXPECT_NEAR(strengthat(12.2089), 0, 1e-3);
  EXPECT_EQ(strengthat(12.209), -1);
  EXPECT_EQ(strengthat(29.135), -1);
  EXPECT_FLOAT_EQ(strengthat(30), 0.2f);
  EXPECT_FLOAT_EQ(strengthat(49.6), 0.2f);
  EXPECT_GT(strengthat(49.7), 0.2f);
  EXPECT_NEAR(strengthat(56.5499), 0.604, 0.001);
  EXPECT_EQ(strengthat(56.55), -1);
  EXPECT_FLOAT_EQ(strengthat(56.56), 0.2f);
  EXPECT_EQ(strengthat(83.992), -1);
  EXPECT_FLOAT_EQ(strengthat(83.993), 0.2f);
  EXPECT_NEAR(strengthat(138.849), 0.8, 1e-6);
  EXPECT_EQ(strengthat(139.849), -1);
}
