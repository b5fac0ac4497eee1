// The camera: its shake schedule, the opening orbit and the view matrix it leaves in GL.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>

#include "camera.h"
#include "scenecheck.h"
#include "tarvok.h"

namespace {
using Matrix = std::array<float, 16>;
const Matrix identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix modelview() {
  Matrix m{};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

Matrix viewat(double t) {
  needoffscreen(640, 480);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(5, 6, 7);  // whatever a previous frame left must not matter
  cameraat(t);
  return modelview();
}

double distance(const Matrix& m) { return std::hypot(m[12], m[13], m[14]); }

double jump(double a, double b) {
  const Matrix m = viewat(a), n = viewat(b);
  double d = 0;
  for (int i = 0; i < 16; ++i) d = std::max(d, double(std::fabs(m[i] - n[i])));
  return d;
}
}  // namespace

TEST(CameraView, StartsOnTheOrbitTurnedAndPulledBack) {
  needoffscreen(640, 480);
  glLoadIdentity();
  glTranslatef(0, 0, -26.974f);
  glRotatef(68.437f, 1, 0, 0);
  glRotatef(360, 0, 1, 0);
  glRotatef(-5.141f, 0, 0, 1);
  const Matrix expected = modelview();
  camera(0);
  const Matrix m = modelview();
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-3) << "element " << i;
}

TEST(CameraView, OrbitsInFrontOfTheEyeWithItsCutsAndFinalApproach) {
  for (double t = 0.05; t < 27.68; t += 0.37) {
    const Matrix m = viewat(t);
    EXPECT_GE(distance(m), 20.9) << t;
    EXPECT_LE(distance(m), 27.1) << t;
    EXPECT_LT(m[14], 0) << t;  // the origin lies ahead of the eye
  }
  EXPECT_LT(distance(viewat(29.13)), 11.2);  // over the last 1.46 s the view moves in 16 units
  EXPECT_GT(distance(viewat(28.0)), distance(viewat(29.0)));
  // Small steps within one orbit move the view a little; the cut at s = 0.475 and the end of the
  // offset at s = 0.71 jump it.
  EXPECT_LT(jump(13.80, 13.82), 0.1);
  EXPECT_GT(jump(13.83, 13.85), 0.3);
  EXPECT_LT(jump(18.0, 18.02), 0.1);
  EXPECT_GT(jump(20.68, 20.70), 0.3);
}

TEST(CameraView, ShakeTurnsByFewDegreesRepeatablyAndIsIdentityWhereOff) {
  for (double t : {139.849, 145.0, 83.992, 56.5}) EXPECT_EQ(viewat(t), identity) << t;
  const Matrix m = viewat(30);
  EXPECT_NE(m, identity);
  for (int i = 12; i < 15; ++i) EXPECT_EQ(m[i], 0);
  // Three turns of 0 to 0.2 degrees: every off-diagonal term stays below sin(0.6 degrees).
  for (int i : {1, 2, 4, 6, 8, 9}) EXPECT_LT(std::fabs(m[i]), 0.0105) << i;
  for (double t : {9.5, 100.0}) {
    EXPECT_EQ(viewat(t), viewat(t)) << t;
    EXPECT_NE(viewat(t), viewat(t + 0.016)) << t;
  }
}

TEST(CameraView, ReseedsFromTheTimeAndDrawsThreeValuesOnlyWhileShaking) {
  needoffscreen(640, 480);
  for (float t : {9.5f, 20.0f, 138.5f}) {
    std::srand(1);
    cameraat(t);
    EXPECT_EQ(drawssince(timeseed(t)), t == 20.0f ? 0 : 3) << t;
  }
}

TEST(CameraShake, FollowsTheScheduleOpenAndClosedEndsAsTabled) {
  auto amplitudeat = [](double t) {
    float a = -1;
    return camerashake(t, a) ? a : -1.0f;
  };
  for (double t = 8.786; t <= 10.269; t += 0.05) EXPECT_NEAR(amplitudeat(t), 1, 1e-4) << t;
  struct Point {
    double t;
    float amplitude, tolerance = 1e-4f;  // -1: no shake
  };
  // Where the view is exactly identity is checked above.
  const Point schedule[] = {
      {4.35, -1},          {4.36, 0, 3e-3},   {6.568, 0.5, 1e-3},    {10.269, 1, 1e-6},
      {11.239, 0.5, 1e-3}, {12.2089, 0, 1e-3}, {12.209, -1},         {20, -1},
      {29.135, -1},        {29.136, 0.2},     {51.38, 0.2},          {56.47, 0.5938, 1e-3},
      {56.475, -1},        {56.55, -1},       {56.56, 0.2},          {83.991, 0.2},
      {83.993, 0.2},       {134.6, 0.2},      {134.649, 0.2, 1e-6},  {136.749, 0.6},
      {138.8489, 1},       {138.849, 0.8, 1e-6}, {139.8489, 0.2},    {149, -1}};
  for (const Point& p : schedule) EXPECT_NEAR(amplitudeat(p.t), p.amplitude, p.tolerance) << p.t;
  EXPECT_GT(amplitudeat(53), 0.3f);
}
