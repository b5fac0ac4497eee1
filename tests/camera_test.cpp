// The camera: its opening orbit, the orbit's cuts, and the shake.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>

#include "scenes/camera_internal.h"
#include "scenecheck.h"
#include "toolkit/tarvok.h"

namespace {
using Matrix = std::array<float, 16>;

Matrix viewat(double t) {
  needoffscreen(640, 480);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(5, 6, 7);  // whatever a previous frame left must not matter
  cameraat(t);
  Matrix m{};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

double jump(double a, double b) {
  const Matrix m = viewat(a), n = viewat(b);
  double d = 0;
  for (int i = 0; i < 16; ++i) d = std::max(d, double(std::fabs(m[i] - n[i])));
  return d;
}
}  // namespace

TEST(CameraView, OrbitStartsPulledBackCutsAtItsTwoSeamsAndMovesInAtTheEnd) {
  // The first frame: 26.974 back, tilted 68.437 degrees, a full turn about y, rolled -5.141.
  needoffscreen(640, 480);
  glLoadIdentity();
  glTranslatef(0, 0, -26.974f);
  glRotatef(68.437f, 1, 0, 0);
  glRotatef(-5.141f, 0, 0, 1);
  Matrix expected{};
  glGetFloatv(GL_MODELVIEW_MATRIX, expected.data());
  const Matrix first = viewat(0);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(first[i], expected[i], 1e-3) << "element " << i;
  // Small steps within one orbit move the view a little; the cut at s = 0.475 and the end of the
  // offset at s = 0.71 jump it.
  EXPECT_LT(jump(13.80, 13.82), 0.1);
  EXPECT_GT(jump(13.83, 13.85), 0.3);
  EXPECT_LT(jump(20.66, 20.68), 0.1);
  EXPECT_GT(jump(20.68, 20.70), 0.3);
  EXPECT_GT(viewat(29.13)[14], -11.2);  // pulled 16 units in from about 24
}

TEST(CameraView, ShakeTurnsByFewDegreesFromThreeTimeSeededDraws) {
  const Matrix identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  // After the orbit, the quiet stretches and their edges leave the view alone.
  for (double t : {56.5, 83.992, 139.849, 145.0}) EXPECT_EQ(viewat(t), identity) << t;
  const Matrix m = viewat(30);
  // Three turns of 0 to 0.2 degrees: every off-diagonal term stays below sin(0.6 degrees).
  EXPECT_NE(m, identity);
  for (int i : {1, 2, 4, 6, 8, 9}) EXPECT_LT(std::fabs(m[i]), 0.0105) << i;
  EXPECT_EQ(viewat(100), viewat(100));
  EXPECT_NE(viewat(100), viewat(100.016));
  for (float t : {9.5f, 20.0f, 138.5f}) {
    std::srand(1);
    cameraat(t);
    EXPECT_EQ(drawssince(timeseed(t)), t == 20.0f ? 0 : 3) << t;
  }
}
