// Stencil shadows drawn for real: a cube between a side light and a white wall darkens the wall
// where the cube blocks the light, and a shadow frame with nothing in it leaves the frame alone.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "objects.h"
#include "offscreen.h"

namespace {
constexpr int width = 160, height = 120;
constexpr float wallz = -12;

// Camera at the origin looking down -z; a white wall behind everything.
void drawwall(float z = wallz) {
  needoffscreen(width, height, true);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45, static_cast<double>(width) / height, 0.01, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_BLEND);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  glVertex3f(-40, -40, z);
  glVertex3f(40, -40, z);
  glVertex3f(40, 40, z);
  glVertex3f(-40, 40, z);
  glEnd();
}

// The pixel (x from the left, y from the bottom) where an eye-space point shows.
void pixelof(double x, double y, double z, int& px, int& py) {
  GLdouble model[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLdouble wx = 0, wy = 0, wz = 0;
  gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
  px = static_cast<int>(wx);
  py = static_cast<int>(wy);
}

// Where the segment from a to b meets the box [-1, 1] x [-1, 1] x [-11, -9] (the cube).
bool hitscube(const double* a, const double* b) {
  const double low[3] = {-1, -1, -11}, high[3] = {1, 1, -9};
  double enter = 0, leave = 1;
  for (int k = 0; k < 3; ++k) {
    const double d = b[k] - a[k];
    if (d == 0) {
      if (a[k] < low[k] || a[k] > high[k]) return false;
      continue;
    }
    double t1 = (low[k] - a[k]) / d, t2 = (high[k] - a[k]) / d;
    if (t1 > t2) std::swap(t1, t2);
    enter = std::max(enter, t1);
    leave = std::min(leave, t2);
  }
  return enter <= leave;
}

// The wall point seen through the centre of pixel (px, py), counted from the bottom.
void wallpoint(int px, int py, double* w, double z = wallz) {
  const double tangent = std::tan(22.5 * 3.14159265358979 / 180);
  const double x = (2 * (px + 0.5) / width - 1) * tangent * width / height;
  const double y = (2 * (py + 0.5) / height - 1) * tangent;
  w[0] = x * -z;
  w[1] = y * -z;
  w[2] = z;
}

int redat(const std::vector<unsigned char>& frame, int px, int py) {
  return pixelat(frame, px, height - 1 - py).r;
}

class Shadows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    drawwall();
    initprimitives();
    initstencil();
  }
  static void TearDownTestSuite() {
    freestencil();
    freeprimitives();
  }
};

TEST_F(Shadows, CubeDarkensTheWallBehindItAwayFromTheLight) {
  drawwall();
  GLint stencilbits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &stencilbits);
  ASSERT_GT(stencilbits, 0);
  int shadowx = 0, shadowy = 0, litx = 0, lity = 0;
  // From the light at (8, 0, 0) through the cube's centre (0, 0, -10) onto the wall.
  pixelof(-1.6, 0, wallz, shadowx, shadowy);
  pixelof(3, 0, wallz, litx, lity);

  startstencil();
  float light[4] = {8, 0, 0, 1};
  float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  float diffuse[4] = {1, 1, 1, 1};
  setlightposition(light);
  setambientlight(ambient);
  setdiffuselight(diffuse);
  setuplight();
  resetlight();
  glColor3f(0.5f, 0.5f, 0.5f);
  cube(2, 0, 0, -10, 0, 0, 0);
  EXPECT_EQ(getstencilcount(), 1u);
  const std::vector<unsigned char> before = framepixels();
  EXPECT_EQ(redat(before, shadowx, shadowy), 255);
  endstencil();
  const std::vector<unsigned char> after = framepixels();

  // 45 % black over white.
  EXPECT_NEAR(redat(after, shadowx, shadowy), 140, 3);
  EXPECT_EQ(redat(after, litx, lity), 255);
  // The far side of the wall, on the light's side, stays lit.
  EXPECT_EQ(redat(after, width - 3, height / 2), 255);
  // Every darkened pixel is a wall point hidden from the light by the cube and not behind the
  // cube as the camera sees it; a pixel or so of difference is allowed along the edges.
  const double eye[3] = {0, 0, 0}, lamp[3] = {8, 0, 0};
  int shadowed = 0, wrong = 0;
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      double w[3];
      wallpoint(px, py, w);
      const bool expected = !hitscube(eye, w) && hitscube(lamp, w);
      const bool dark = redat(after, px, py) < redat(before, px, py);
      shadowed += expected;
      wrong += expected != dark;
    }
  EXPECT_GT(shadowed, 300);
  EXPECT_LT(wrong, shadowed / 10);
  EXPECT_FALSE(getstencil());

  // What the next scene inherits: blending on with the darkening colour, stencil and culling off.
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[3], 0.45f);
  GLboolean mask[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  EXPECT_TRUE(mask[0] && mask[3]);
  glDisable(GL_BLEND);
}

// A light level with the cube throws a short volume sideways; a view straight through it, in at
// the front side and out at the back, must count back to zero and leave the far wall lit.
TEST_F(Shadows, LookingThroughAVolumeLeavesTheWallLit) {
  drawwall(-20);
  int throughx = 0, throughy = 0;
  pixelof(-3.6, 0, -20, throughx, throughy);
  startstencil();
  float light[4] = {8, 0, -10, 1};
  setlightposition(light);
  setuplight();
  resetlight();
  glColor3f(0.5f, 0.5f, 0.5f);
  cube(2, 0, 0, -10, 0, 0, 0);
  const std::vector<unsigned char> before = framepixels();
  endstencil();
  glDisable(GL_BLEND);
  const std::vector<unsigned char> after = framepixels();
  EXPECT_EQ(redat(before, throughx, throughy), 255);
  EXPECT_EQ(redat(after, throughx, throughy), 255);
  // Round that view the wall stays lit too; the cube's own faces turned from the light lie in
  // its volume and darken. (Views that leave through the volume's open far end, at x = -2.5, do
  // darken the wall: the volume has no caps.)
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      EXPECT_EQ(redat(after, throughx + dx, throughy + dy), 255) << dx << ", " << dy;
  const double eye[3] = {0, 0, 0};
  int darkcube = 0;
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      double w[3];
      wallpoint(px, py, w, -20);
      darkcube += hitscube(eye, w) && redat(after, px, py) < redat(before, px, py);
    }
  EXPECT_GT(darkcube, 100);
}

TEST_F(Shadows, EmptyShadowFrameChangesNothing) {
  drawwall();
  glColor3f(0.25f, 0.5f, 0.75f);
  glTranslatef(1, 2, 3);
  startstencil();
  const std::vector<unsigned char> before = framepixels();
  endstencil();
  EXPECT_FALSE(getstencil());
  EXPECT_EQ(framepixels(), before);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[1], 0.5f);
  GLfloat matrix[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_FLOAT_EQ(matrix[13], 2);
  // A closed frame registers nothing more.
  cube(2, 0, 0, -10, 0, 0, 0);
  EXPECT_EQ(getstencilcount(), 0u);
}

TEST_F(Shadows, LightSettingsReachGLWhenTheyShould) {
  drawwall();
  float ambient[4] = {0.3f, 0.1f, 0.2f, 1};
  float diffuse[4] = {0.6f, 0.7f, 0.8f, 1};
  GLfloat got[4];
  setambientlight(ambient);
  glGetLightfv(GL_LIGHT1, GL_AMBIENT, got);
  EXPECT_NE(got[0], 0.3f);
  setdiffuselight(diffuse);
  glGetLightfv(GL_LIGHT1, GL_DIFFUSE, got);
  EXPECT_FLOAT_EQ(got[1], 0.7f);
  float light[4] = {1, 2, 3, 1};
  setlightposition(light);
  EXPECT_FLOAT_EQ(getlightposition()[1], 2);
  glTranslatef(10, 0, -5);
  setuplight();
  resetlight();
  glGetLightfv(GL_LIGHT1, GL_AMBIENT, got);
  EXPECT_FLOAT_EQ(got[0], 0.3f);
  EXPECT_FLOAT_EQ(getrlightx(), 11);
  EXPECT_FLOAT_EQ(getrlighty(), 2);
  EXPECT_FLOAT_EQ(getrlightz(), -2);
  EXPECT_FLOAT_EQ(getrlightposition()[3], 1);
  setvolumeinfinity(3);
  EXPECT_FLOAT_EQ(getvolumeinfinity(), 3);
  setvolumeinfinity(0.5f);
}
}  // namespace
