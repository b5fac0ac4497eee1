#include "toolkit/Vector.h"

#include <cmath>
#include <limits>

Vector::Vector() : x(0), y(0), z(0) {}
Vector::Vector(float* p) : x(p[0]), y(p[1]), z(p[2]) {}
Vector::Vector(const Vector& v) : x(v.x), y(v.y), z(v.z) {}
Vector::Vector(float x, float y, float z) : x(x), y(y), z(z) {}

void Vector::operator=(const Vector& v) {
  x = v.x;
  y = v.y;
  z = v.z;
}

void Vector::operator=(const float& s) { x = y = z = s; }

Vector Vector::operator+(const Vector& v) { return Vector(x + v.x, y + v.y, z + v.z); }
Vector Vector::operator+(const float& s) { return Vector(x + s, y + s, z + s); }

Vector Vector::operator+=(const Vector& v) {
  x += v.x;
  y += v.y;
  z += v.z;
  return *this;
}

Vector Vector::operator+=(const float& s) {
  x += s;
  y += s;
  z += s;
  return *this;
}

Vector Vector::operator-(const Vector& v) { return Vector(x - v.x, y - v.y, z - v.z); }
Vector Vector::operator-(const float& s) { return Vector(x - s, y - s, z - s); }

Vector Vector::operator-=(const Vector& v) {
  x -= v.x;
  y -= v.y;
  z -= v.z;
  return *this;
}

Vector Vector::operator-=(const float& s) {
  x -= s;
  y -= s;
  z -= s;
  return *this;
}

Vector Vector::operator*(const float& s) { return Vector(x * s, y * s, z * s); }

Vector Vector::operator*=(const float& s) {
  x *= s;
  y *= s;
  z *= s;
  return *this;
}

Vector Vector::operator/(const float& s) {
  const float r = 1 / s;
  return Vector(x * r, y * r, z * r);
}

Vector Vector::operator/=(const float& s) {
  x /= s;
  y /= s;
  z /= s;
  return *this;
}

bool Vector::operator==(const Vector& v) { return x == v.x && y == v.y && z == v.z; }

float Vector::dotProduct(const Vector& v) { return y * v.y + x * v.x + z * v.z; }

Vector Vector::crossProduct(const Vector& v) {
  return Vector(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
}

float Vector::length() { return std::sqrt(x * x + y * y + z * z); }

float Vector::distance(const Vector& v) {
  const float dx = x - v.x, dy = y - v.y, dz = z - v.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

Vector Vector::normalize() {
  const float l = length();
  if (l == 0) return Vector();
  const float r = 1 / l;
  return Vector(x * r, y * r, z * r);
}

float Vector::angle(Vector& v) {
  const float lengths = v.length() * length();
  if (lengths == 0) return 0;
  const float c = dotProduct(v) / lengths;
  // Rounding can push |c| a hair above 1 for parallel vectors; keep the sine real.
  const float sine2 = 1 - c * c;
  return std::atan2(std::sqrt(sine2 > 0 ? sine2 : 0), c);
}

float Vector::normalDistance(Vector& dir, Vector& origin, Vector& point) {
  const Vector offset = point - origin;
  const float along = dotProduct(offset);
  const float facing = dir.dotProduct(*this);
  if (facing == 0) return along == 0 ? 0 : std::numeric_limits<float>::infinity();
  return along / facing;
}
