#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Vector.h"

namespace {
void expectvector(const Vector& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}
}  // namespace

TEST(Vector, ConstructsAndLaysOutLikeThreeFloats) {
  expectvector(Vector(), 0, 0, 0);
  float values[4] = {1, 2, 3, 99};
  expectvector(Vector(values), 1, 2, 3);
  static_assert(sizeof(Vector) == 3 * sizeof(float), "a Vector is three floats");
  Vector v(4, 5, 6);
  EXPECT_EQ(&v.y, &v.x + 1);
  EXPECT_EQ(&v.z, &v.x + 2);
  v = 2.5f;
  expectvector(v, 2.5f, 2.5f, 2.5f);
  EXPECT_TRUE(Vector(1, 2, 3) == Vector(1, 2, 3));
  EXPECT_FALSE(Vector(1, 2, 3) == Vector(1, 2, 3.0001f));  // no tolerance
}

TEST(Vector, CompoundOperatorsChangeThisAndYieldTheNewValue) {
  Vector a(1, 2, 3);
  const Vector sum = (a += Vector(1, 1, 1));
  expectvector(a, 2, 3, 4);
  expectvector(sum, 2, 3, 4);
  expectvector(a -= 1.0f, 1, 2, 3);
  expectvector(a *= 2.0f, 2, 4, 6);
  expectvector(a /= 2.0f, 1, 2, 3);
  expectvector(a + 1.0f, 2, 3, 4);
  expectvector(a - Vector(1, 1, 1), 0, 1, 2);
  expectvector(a, 1, 2, 3);  // the plain operators leave it alone
}

TEST(Vector, DivisionByReciprocalDiffersFromTrueDivision) {
  // 1/3 rounded then multiplied is not always the correctly rounded quotient.
  int differing = 0;
  for (int i = 1; i < 200; ++i) {
    Vector byreciprocal = Vector(float(i), 0, 0) / 3.0f;
    Vector divided(float(i), 0, 0);
    divided /= 3.0f;
    EXPECT_EQ(divided.x, float(i) / 3.0f);
    if (byreciprocal.x != divided.x) ++differing;
  }
  EXPECT_GT(differing, 0);
}

TEST(Vector, ProductsLengthsAndNormalize) {
  Vector x(1, 0, 0), y(0, 1, 0);
  expectvector(x.crossProduct(y), 0, 0, 1);
  expectvector(y.crossProduct(x), 0, 0, -1);
  EXPECT_FLOAT_EQ(Vector(1, 2, 3).dotProduct(Vector(4, 5, 6)), 32);
  EXPECT_FLOAT_EQ(Vector(3, 0, 4).length(), 5);
  EXPECT_FLOAT_EQ(Vector(1, 1, 1).distance(Vector(4, 5, 1)), 5);
  Vector source(3, 0, 4);
  expectvector(source.normalize(), 0.6f, 0, 0.8f);
  expectvector(source, 3, 0, 4);
  expectvector(Vector().normalize(), 0, 0, 0);
}

TEST(Vector, AngleCoversZeroToPiAndNeverYieldsNaN) {
  Vector x(1, 0, 0), y(0, 1, 0), minusx(-1, 0, 0), zero;
  EXPECT_FLOAT_EQ(x.angle(y), 1.5707964f);
  EXPECT_FLOAT_EQ(x.angle(minusx), 3.1415927f);
  EXPECT_EQ(zero.angle(x), 0.0f);
  EXPECT_EQ(x.angle(zero), 0.0f);
  // Parallel vectors whose rounded cosine exceeds 1 still give 0, not NaN.
  for (float k = 0.1f; k < 50; k += 0.37f) {
    Vector a(0.3f * k, 0.7f * k, 1.1f * k), b(0.3f, 0.7f, 1.1f);
    const float angle = a.angle(b);
    EXPECT_FALSE(std::isnan(angle));
    EXPECT_NEAR(angle, 0, 1e-3);
  }
}

TEST(Vector, NormalDistanceAlongARay) {
  Vector normal(0, 1, 0), down(0, -1, 0), origin(0, 5, 0), point(0, 0, 0);
  EXPECT_FLOAT_EQ(normal.normalDistance(down, origin, point), 5);
  // A ray parallel to the plane: never meets it, or lies in it.
  Vector sideways(1, 0, 0);
  EXPECT_EQ(normal.normalDistance(sideways, origin, point),
            std::numeric_limits<float>::infinity());
  EXPECT_EQ(normal.normalDistance(sideways, point, point), 0.0f);
}
