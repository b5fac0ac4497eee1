// Stencil shadows drawn for real: a cube between a side light and a white wall darkens the wall
// where the cube blocks the light, and a shadow frame with nothing in it leaves the frame alone.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <vector>

#include "objects.h"
#include "offscreen.h"

namespace {
constexpr int width = 160, height = 120;
const double tangent = std::tan(22.5 * M_PI / 180);  // half the 45 degree field of view

// Camera at the origin looking down -z; a white wall at depth z behind everything.
void drawwall(float z) {
  needoffscreen(width, height, true);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45, double(width) / height, 0.01, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_BLEND);
  glColor3f(1, 1, 1);
  glTranslatef(0, 0, z);
  glRectf(-40, -40, 40, 40);
  glLoadIdentity();
}

// The column where the point (x, 0, z) shows; it shows in row height / 2.
int columnof(double x, double z) {
  return int((x / -z / (tangent * width / height) + 1) * width / 2);
}

// Whether the segment from a to b passes through the cube [-1, 1] x [-1, 1] x [-11, -9].
bool hitscube(const double* a, const double* b) {
  for (double t = 0; t <= 1; t += 1.0 / 1024) {
    auto at = [&](int k) { return a[k] + t * (b[k] - a[k]); };
    if (std::fabs(at(0)) <= 1 && std::fabs(at(1)) <= 1 && std::fabs(at(2) + 10) <= 1) return true;
  }
  return false;
}

int redat(const std::vector<unsigned char>& frame, int px, int py) {  // py from the bottom
  return pixelat(frame, px, height - 1 - py).r;
}

// A cube of grey at (0, 0, -10) in a shadow frame lit from light; the frame before endstencil.
std::vector<unsigned char> shadowframe(float wallz, float* light) {
  drawwall(wallz);
  startstencil();
  setlightposition(light);
  setuplight();
  resetlight();
  glColor3f(0.5f, 0.5f, 0.5f);
  cube(2, 0, 0, -10, 0, 0, 0);
  EXPECT_EQ(getstencilcount(), 1u);
  return framepixels();
}

class Shadows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    needoffscreen(width, height, true);
    initprimitives();
    initstencil();
  }
  static void TearDownTestSuite() {
    freestencil();
    freeprimitives();
  }
};

TEST_F(Shadows, CubeDarkensTheWallWhereItBlocksTheLight) {
  GLint stencilbits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &stencilbits);
  ASSERT_GT(stencilbits, 0);
  float light[4] = {8, 0, 0, 1};
  const std::vector<unsigned char> before = shadowframe(-12, light);
  endstencil();
  const std::vector<unsigned char> after = framepixels();
  // From the light through the cube's centre onto the wall: 45 % black over white.
  EXPECT_NEAR(redat(after, columnof(-1.6, -12), height / 2), 140, 3);
  EXPECT_EQ(redat(after, columnof(3, -12), height / 2), 255);
  EXPECT_EQ(redat(after, width - 3, height / 2), 255);
  // Every darkened pixel is a wall point the cube hides from the light but not from the camera;
  // a pixel or so of difference is allowed along the edges.
  const double eye[3] = {0, 0, 0}, lamp[3] = {8, 0, 0};
  int shadowed = 0, wrong = 0;
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      const double w[3] = {(2 * (px + 0.5) / width - 1) * tangent * width / height * 12,
                           (2 * (py + 0.5) / height - 1) * tangent * 12, -12};
      const bool expected = !hitscube(eye, w) && hitscube(lamp, w);
      shadowed += expected;
      wrong += expected != (redat(after, px, py) < redat(before, px, py));
    }
  EXPECT_GT(shadowed, 300);
  EXPECT_LT(wrong, shadowed / 10);
  EXPECT_FALSE(getstencil());
  // What the next scene inherits: blending on, stencil and culling off.
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST) || glIsEnabled(GL_CULL_FACE));
  glDisable(GL_BLEND);
}

// A light level with the cube throws a short volume sideways; a view in at its front side and out
// at its back must count back to zero (both passes), while the cube's faces turned from the light
// lie inside the volume and darken.
TEST_F(Shadows, LookingThroughAVolumeLeavesTheWallLit) {
  float light[4] = {8, 0, -10, 1};
  const std::vector<unsigned char> before = shadowframe(-20, light);
  endstencil();
  glDisable(GL_BLEND);
  const std::vector<unsigned char> after = framepixels();
  const int through = columnof(-3.6, -20);
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      EXPECT_EQ(redat(after, through + dx, height / 2 + dy), 255) << dx << ", " << dy;
  EXPECT_LT(redat(after, width / 2, height / 2), redat(before, width / 2, height / 2));
}

TEST_F(Shadows, EmptyShadowFrameChangesNothing) {
  drawwall(-12);
  glColor3f(0.25f, 0.5f, 0.75f);
  glTranslatef(1, 2, 3);
  startstencil();
  const std::vector<unsigned char> before = framepixels();
  endstencil();
  EXPECT_FALSE(getstencil());
  EXPECT_EQ(framepixels(), before);
  EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_STENCIL_TEST));
  GLfloat colour[4], matrix[16];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_FLOAT_EQ(colour[1], 0.5f);
  EXPECT_FLOAT_EQ(matrix[13], 2);
  cube(2, 0, 0, -10, 0, 0, 0);
  EXPECT_EQ(getstencilcount(), 0u);  // a closed frame registers nothing
}

}  // namespace
