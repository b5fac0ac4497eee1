#pragma once
// Three floats, laid out like float[3], with the arithmetic the shadow volumes and models need.

class Vector {
 public:
  float x, y, z;

  Vector();
  Vector(float* p);
  Vector(const Vector& v);
  Vector(float x, float y, float z);

  void operator=(const Vector& v);
  void operator=(const float& s);
  Vector operator+(const Vector& v);
  Vector operator+(const float& s);
  Vector operator+=(const Vector& v);
  Vector operator+=(const float& s);
  Vector operator-(const Vector& v);
  Vector operator-(const float& s);
  Vector operator-=(const Vector& v);
  Vector operator-=(const float& s);
  Vector operator*(const float& s);
  Vector operator*=(const float& s);
  Vector operator/(const float& s);
  Vector operator/=(const float& s);
  bool operator==(const Vector& v);

  float dotProduct(const Vector& v);
  Vector crossProduct(const Vector& v);
  float length();
  float distance(const Vector& v);
  Vector normalize();
  // Radians in [0, pi]; 0 when either vector has zero length.
  float angle(Vector& v);
  // Ray parameter where the ray (origin, dir) meets the plane with this normal through point.
  // A ray parallel to the plane gives 0 when it lies in the plane, else +infinity.
  float normalDistance(Vector& dir, Vector& origin, Vector& point);
};
