#pragma once
// Deterministic noise for the texture generator: integer hashing, gradient noise, fractal sums and
// cell (Worley) noise. Every function is a pure function of its arguments, so the images come out
// byte for byte the same on every run. A lattice period above 0 makes the noise tile with that
// period along x and y, which is what the repeating floor needs.
#include <cmath>
#include <cstdint>

namespace texgen {

struct Vec3 {
  float x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float length(Vec3 a) { return std::sqrt(dot(a, a)); }

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float mix(float a, float b, float t) { return a + (b - a) * t; }
inline float smoothstep(float edge0, float edge1, float x) {
  const float t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

inline std::uint32_t hashmix(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352du;
  x ^= x >> 15;
  x *= 0x846ca68bu;
  x ^= x >> 16;
  return x;
}

inline std::uint32_t hashcell(int x, int y, int z, std::uint32_t seed) {
  const std::uint32_t h = seed * 0x9e3779b9u ^ static_cast<std::uint32_t>(x) * 0x8da6b343u ^
                          static_cast<std::uint32_t>(y) * 0xd8163841u ^
                          static_cast<std::uint32_t>(z) * 0xcb1ab31fu;
  return hashmix(hashmix(h));
}

// 0 to 1, from 24 bits of the hash.
inline float hashunit(std::uint32_t h) { return static_cast<float>(h >> 8) * (1.0f / 16777216.0f); }

inline int wrap(int i, int period) {
  if (period <= 0) return i;
  const int m = i % period;
  return m < 0 ? m + period : m;
}

// One of the twelve cube-edge directions, as in improved Perlin noise: cheap, and even enough.
inline Vec3 latticegradient(int x, int y, int z, std::uint32_t seed) {
  static constexpr float edges[12][3] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0},
                                         {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
                                         {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}};
  const float* e = edges[(hashcell(x, y, z, seed) >> 8) % 12];
  return {e[0], e[1], e[2]};
}

inline float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Gradient noise, roughly -1 to 1.
inline float gradnoise(Vec3 p, std::uint32_t seed, int period = 0) {
  const float fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
  const Vec3 f{p.x - fx, p.y - fy, p.z - fz};
  float corner[8];
  for (int c = 0; c < 8; ++c) {
    const int dx = c & 1, dy = (c >> 1) & 1, dz = c >> 2;
    const Vec3 g = latticegradient(wrap(ix + dx, period), wrap(iy + dy, period), iz + dz, seed);
    corner[c] = dot(g, f - Vec3{float(dx), float(dy), float(dz)});
  }
  const float u = fade(f.x), v = fade(f.y), w = fade(f.z);
  const float x00 = mix(corner[0], corner[1], u), x10 = mix(corner[2], corner[3], u);
  const float x01 = mix(corner[4], corner[5], u), x11 = mix(corner[6], corner[7], u);
  return mix(mix(x00, x10, v), mix(x01, x11, v), w);
}

// Fractal sum of gradient noise; each octave doubles the frequency (and the period) and halves
// the amplitude. Roughly -1 to 1.
inline float fbm(Vec3 p, int octaves, std::uint32_t seed, int period = 0) {
  float sum = 0, amplitude = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * gradnoise(p, seed + 101u * o, period);
    norm += amplitude;
    p = p * 2;
    period *= 2;
    amplitude *= 0.5f;
  }
  return sum / norm;
}

struct Cells {
  float f1;          // distance to the nearest feature point
  float f2;          // distance to the second nearest
  std::uint32_t id;  // hash of the nearest point's cell, for per-cell variation
  Vec3 nearest;      // the nearest feature point
};

// Cell noise with one jittered feature point per lattice cell.
inline Cells cellnoise(Vec3 p, std::uint32_t seed, int period = 0, float jitter = 0.9f) {
  const float fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
  Cells best{1e9f, 1e9f, 0, {0, 0, 0}};
  for (int dz = -1; dz <= 1; ++dz)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const std::uint32_t h =
            hashcell(wrap(ix + dx, period), wrap(iy + dy, period), iz + dz, seed);
        const Vec3 offset{(h & 1023) / 1023.0f, ((h >> 10) & 1023) / 1023.0f,
                          ((h >> 20) & 1023) / 1023.0f};
        const Vec3 point = Vec3{fx + dx, fy + dy, fz + dz} +
                           (offset - Vec3{0.5f, 0.5f, 0.5f}) * jitter + Vec3{0.5f, 0.5f, 0.5f};
        const float d = length(point - p);
        if (d < best.f1) {
          best.f2 = best.f1;
          best.f1 = d;
          best.id = h;
          best.nearest = point;
        } else if (d < best.f2) {
          best.f2 = d;
        }
      }
  return best;
}

// Cell noise in the plane, nine cells searched; z of the result is 0. It tiles every periodx
// cells along x and every periody along y (0: no period).
inline Cells cellnoise2(float x, float y, std::uint32_t seed, int periodx = 0, int periody = 0,
                        float jitter = 0.9f) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  Cells best{1e9f, 1e9f, 0, {0, 0, 0}};
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const std::uint32_t h = hashcell(wrap(ix + dx, periodx), wrap(iy + dy, periody), 0, seed);
      const float px = fx + dx + 0.5f + ((h & 1023) / 1023.0f - 0.5f) * jitter;
      const float py = fy + dy + 0.5f + (((h >> 10) & 1023) / 1023.0f - 0.5f) * jitter;
      const float d = std::hypot(px - x, py - y);
      if (d < best.f1) {
        best.f2 = best.f1;
        best.f1 = d;
        best.id = h;
        best.nearest = {px, py, 0};
      } else if (d < best.f2) {
        best.f2 = d;
      }
    }
  return best;
}

}  // namespace texgen
