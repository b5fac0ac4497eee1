// The scenes' texture reset, and stencil shadows drawn for real onto a white wall (the cube model,
// its edge neighbours, the silhouette and both stencil passes in one picture).
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cmath>
#include <vector>

#include "toolkit/objects_internal.h"
#include "offscreen.h"

namespace {
constexpr int width = 160, height = 120;

class Objects : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    needoffscreen(width, height, true);
    ASSERT_EQ(initprimitives(), 0);
    initstencil();
  }
  static void TearDownTestSuite() {
    freestencil();
    freeprimitives();
  }
};

TEST_F(Objects, ResetTexSwitchesBothUnitsOff) {
  setupmultitex(3, 4);
  resettex();
  for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
    glActiveTextureARB(unit);
    for (GLenum what : {GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
      EXPECT_FALSE(glIsEnabled(what)) << unit << " " << what;
  }
}

const double tangent = std::tan(22.5 * M_PI / 180);  // half the 45 degree field of view

// Camera at the origin looking down -z, a white wall at z = -12, and a grey cube at (0, 0, -10)
// in a shadow frame lit from (8, 0, 0); returns the frame before endstencil.
std::vector<unsigned char> shadowframe() {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45, double(width) / height, 0.01, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_BLEND);
  glColor3f(1, 1, 1);
  glTranslatef(0, 0, -12);
  glRectf(-40, -40, 40, 40);
  glLoadIdentity();
  startstencil();
  float light[4] = {8, 0, 0, 1};
  setlightposition(light);
  setuplight();
  resetlight();
  glColor3f(0.5f, 0.5f, 0.5f);
  cube(2, 0, 0, -10, 0, 0, 0);
  return framepixels();
}

int redat(const std::vector<unsigned char>& frame, int px, int py) {  // py from the bottom
  return pixelat(frame, px, height - 1 - py).r;
}

// Whether the segment from a to b passes through the cube [-1, 1] x [-1, 1] x [-11, -9].
bool hitscube(const double* a, const double* b) {
  for (double t = 0; t <= 1; t += 1.0 / 1024) {
    auto at = [&](int k) { return a[k] + t * (b[k] - a[k]); };
    if (std::fabs(at(0)) <= 1 && std::fabs(at(1)) <= 1 && std::fabs(at(2) + 10) <= 1) return true;
  }
  return false;
}

TEST_F(Objects, ShadowDarkensTheWallExactlyWhereTheCubeBlocksTheLight) {
  const std::vector<unsigned char> before = shadowframe();
  EXPECT_EQ(getstencilcount(), 1u);
  endstencil();
  const std::vector<unsigned char> after = framepixels();
  // Through the cube's centre onto the wall (x = -1.6): 45 % black over white.
  const int column = int((-1.6 / 12 / (tangent * width / height) + 1) * width / 2);
  EXPECT_NEAR(redat(after, column, height / 2), 140, 3);
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
  // What the next scene inherits: blending on, stencil and culling off; outside a frame a drawn
  // model registers nothing.
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST) || glIsEnabled(GL_CULL_FACE));
  startstencil();
  endstencil();
  cube(2, 0, 0, -10, 0, 0, 0);
  EXPECT_EQ(getstencilcount(), 0u);
}
}  // namespace
