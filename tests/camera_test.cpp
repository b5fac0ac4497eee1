// The camera: its shake schedule, the opening orbit and the view matrix it leaves in GL.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdlib>

#include "camera.h"
#include "offscreen.h"
#include "scenecheck.h"

namespace {
using Matrix = std::array<float, 16>;

Matrix viewat(double t) {
  needoffscreen(640, 480);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(5, 6, 7);  // whatever a previous frame left must not matter
  cameraat(t);
  Matrix m{};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

Matrix identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

// Column-major product a * b, as GL composes transforms.
Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row)
      for (int k = 0; k < 4; ++k) r[col * 4 + row] += a[k * 4 + row] * b[col * 4 + k];
  return r;
}

Matrix rotation(double degrees, int axis) {
  const double a = degrees * 3.14159265358979 / 180;
  const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
  Matrix m = identity();
  const int i = (axis + 1) % 3, j = (axis + 2) % 3;
  m[i * 4 + i] = c;
  m[j * 4 + j] = c;
  m[i * 4 + j] = s;
  m[j * 4 + i] = -s;
  return m;
}

double distance(const Matrix& m) { return std::sqrt(m[12] * m[12] + m[13] * m[13] + m[14] * m[14]); }

float amplitudeat(double t) {
  float a = -1;
  return camerashake(t, a) ? a : -1;
}
}  // namespace

TEST(CameraView, StartsOnTheOrbitTurnedAndPulledBack) {
  Matrix expected = identity();
  expected[14] = -26.974f;
  expected = multiply(expected, rotation(68.437, 0));
  expected = multiply(expected, rotation(360, 1));
  expected = multiply(expected, rotation(-5.141, 2));
  needoffscreen(640, 480);
  camera(0);
  Matrix m{};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-3) << "element " << i;
}

TEST(CameraView, OrbitKeepsTheLandscapeInFrontOfTheEye) {
  for (double t = 0.05; t < 27.68; t += 0.37) {
    const Matrix m = viewat(t);
    EXPECT_GE(distance(m), 20.9) << t;
    EXPECT_LE(distance(m), 27.1) << t;
    EXPECT_LT(m[14], 0) << t;  // the origin lies ahead of the eye
  }
  // Over the last 1.46 s the view moves in by up to 16 units.
  EXPECT_LT(distance(viewat(29.13)), 11.2);
  EXPECT_GT(distance(viewat(28.0)), distance(viewat(29.0)));
}

TEST(CameraView, CutsAtTheFlashAndAtTheEndOfTheOffset) {
  // Small steps within one orbit move the view a little; the two cuts jump it.
  auto jump = [](double a, double b) {
    const Matrix m = viewat(a), n = viewat(b);
    double d = 0;
    for (int i = 0; i < 16; ++i) d = std::max(d, static_cast<double>(std::fabs(m[i] - n[i])));
    return d;
  };
  EXPECT_LT(jump(13.80, 13.82), 0.1);
  EXPECT_GT(jump(13.83, 13.85), 0.3);
  EXPECT_LT(jump(18.0, 18.02), 0.1);
  EXPECT_GT(jump(20.68, 20.70), 0.3);
}

TEST(CameraView, IsIdentityOnceTheOrbitAndShakeAreOver) {
  EXPECT_EQ(viewat(139.849), identity());
  EXPECT_EQ(viewat(145), identity());
  EXPECT_EQ(viewat(83.992), identity());
  EXPECT_EQ(viewat(56.5), identity());
}

TEST(CameraView, ShakeOnlyTurnsAboutTheEyeBySmallAngles) {
  const Matrix m = viewat(30);
  EXPECT_NE(m, identity());
  for (int i = 12; i < 15; ++i) EXPECT_EQ(m[i], 0);
  // Three turns of 0 to 0.2 degrees: every off-diagonal term stays below sin(0.6 degrees).
  for (int col = 0; col < 3; ++col)
    for (int row = 0; row < 3; ++row) {
      if (row != col) {
        EXPECT_LT(std::fabs(m[col * 4 + row]), 0.0105) << col << row;
      }
    }
}

TEST(CameraView, SameTimeSameViewAndTheShakeJittersBetweenFrames) {
  EXPECT_EQ(viewat(9.5), viewat(9.5));
  EXPECT_EQ(viewat(100), viewat(100));
  EXPECT_NE(viewat(100), viewat(100.016));
  EXPECT_NE(viewat(9.5), viewat(9.516));
}

TEST(CameraSeed, ReseedsFromTheTimeAndDrawsThreeValuesOnlyWhileShaking) {
  needoffscreen(640, 480);
  cameraat(9.5);
  EXPECT_EQ(drawssince(static_cast<unsigned>(9.5f * 100000.0f)), 3);
  cameraat(20);
  EXPECT_EQ(drawssince(2000000), 0);
  cameraat(138.5);
  EXPECT_EQ(drawssince(static_cast<unsigned>(138.5f * 100000.0f)), 3);
}

TEST(CameraShake, RisesHoldsAndFallsInTheOpening) {
  EXPECT_EQ(amplitudeat(4.35), -1);
  EXPECT_NEAR(amplitudeat(4.36), 0, 0.003);
  EXPECT_NEAR(amplitudeat(6.568), 0.5, 1e-3);
  for (double t = 8.786; t <= 10.269; t += 0.05) EXPECT_NEAR(amplitudeat(t), 1, 1e-4) << t;
  EXPECT_NEAR(amplitudeat(10.269), 1, 1e-6);
  EXPECT_NEAR(amplitudeat(11.239), 0.5, 1e-3);
  EXPECT_NEAR(amplitudeat(12.2089), 0, 1e-3);
  EXPECT_EQ(amplitudeat(12.209), -1);
  EXPECT_EQ(amplitudeat(20), -1);
  EXPECT_EQ(amplitudeat(29.135), -1);
}

TEST(CameraShake, MiddleActHasItsGapsAndItsRise) {
  EXPECT_FLOAT_EQ(amplitudeat(29.136), 0.2f);
  EXPECT_FLOAT_EQ(amplitudeat(30), 0.2f);
  EXPECT_FLOAT_EQ(amplitudeat(51.38), 0.2f);
  EXPECT_GT(amplitudeat(53), 0.3f);
  EXPECT_NEAR(amplitudeat(56.47), 0.5938, 0.001);
  EXPECT_EQ(amplitudeat(56.475), -1);
  EXPECT_EQ(amplitudeat(56.5), -1);
  EXPECT_EQ(amplitudeat(56.55), -1);
  EXPECT_FLOAT_EQ(amplitudeat(56.56), 0.2f);
  EXPECT_FLOAT_EQ(amplitudeat(83.991), 0.2f);
  EXPECT_EQ(amplitudeat(83.992), -1);
  EXPECT_FLOAT_EQ(amplitudeat(83.993), 0.2f);
  EXPECT_FLOAT_EQ(amplitudeat(134.6), 0.2f);
}

TEST(CameraShake, ClimaxRisesToFullThenFadesOut) {
  EXPECT_NEAR(amplitudeat(134.649), 0.2, 1e-6);
  EXPECT_NEAR(amplitudeat(136.749), 0.6, 1e-4);
  EXPECT_NEAR(amplitudeat(138.8489), 1, 1e-4);
  EXPECT_NEAR(amplitudeat(138.849), 0.8, 1e-6);
  EXPECT_NEAR(amplitudeat(139.8489), 0.2, 1e-4);
  EXPECT_EQ(amplitudeat(139.849), -1);
  EXPECT_EQ(amplitudeat(149), -1);
}
