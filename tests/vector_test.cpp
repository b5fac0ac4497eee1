#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "toolkit/Vector.h"

namespace {
void expectvector(const Vector& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}
}  // namespace

TEST(Vector, ArithmeticAndProductsYieldNewValuesAndDivideTwoWays) {
  Vector a(1, 2, 3);
  expectvector(a += Vector(1, 1, 1), 2, 3, 4);
  expectvector(a -= 1.0f, 1, 2, 3);
  expectvector(a - Vector(1, 1, 1), 0, 1, 2);
  expectvector(a, 1, 2, 3);
  expectvector(Vector(1, 0, 0).crossProduct(Vector(0, 1, 0)), 0, 0, 1);
  EXPECT_FLOAT_EQ(a.dotProduct(Vector(4, 5, 6)), 32);
  EXPECT_FLOAT_EQ(a.distance(Vector(4, 6, 3)), 5);
  // "/" multiplies by the rounded reciprocal, "/=" divides: the two differ for some values.
  int differing = 0;
  for (int i = 1; i < 200; ++i) {
    Vector divided(float(i), 0, 0);
    divided /= 3.0f;
    EXPECT_EQ(divided.x, float(i) / 3.0f);
    differing += (Vector(float(i), 0, 0) / 3.0f).x != divided.x;
  }
  EXPECT_GT(differing, 0);
}

TEST(Vector, NormalizeAngleAndRayDistanceStayFinite) {
  Vector x(1, 0, 0), minusx(-1, 0, 0), zero, source(3, 0, 4);
  expectvector(source.normalize(), 0.6f, 0, 0.8f);
  expectvector(zero.normalize(), 0, 0, 0);
  EXPECT_FLOAT_EQ(x.angle(minusx), 3.1415927f);
  EXPECT_EQ(zero.angle(x), 0.0f);
  // Parallel vectors whose rounded cosine exceeds 1 still give 0, not NaN.
  for (float k = 0.1f; k < 50; k += 0.37f) {
    Vector a(0.3f * k, 0.7f * k, 1.1f * k), b(0.3f, 0.7f, 1.1f);
    EXPECT_NEAR(a.angle(b), 0, 1e-3) << k;
  }
  Vector normal(0, 1, 0), down(0, -1, 0), sideways(1, 0, 0), origin(0, 5, 0), point;
  EXPECT_FLOAT_EQ(normal.normalDistance(down, origin, point), 5);
  // A ray parallel to the plane never meets it, or lies in it.
  EXPECT_EQ(normal.normalDistance(sideways, origin, point), std::numeric_limits<float>::infinity());
  EXPECT_EQ(normal.normalDistance(sideways, point, point), 0.0f);
}
