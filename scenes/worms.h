#pragma once
// The worm of the middle act: its approach, its feelers with their spark bursts, and its dive.
#include <memory>

// One spark burst: 16 sprites flying out of one point for 0.1 time units.
class wpe {
 public:
  wpe() = default;
  // Arms the burst once; later calls change nothing.
  void init(float t, float x, float y, float z, float dx, float dy, float dz);
  void render(float t) const;

  bool active = false;
  float tstart = 0;
  float tend = 0;
  float px = 0, py = 0, pz = 0;
  float dx = 0, dy = 0, dz = 0;
  // Allocated only by init, so a burst that was never armed owns nothing.
  std::unique_ptr<float[]> ux, uy, uz, rot, speed;
};

constexpr int feelercount = 120;
constexpr int feelersteps = 30;

void initworms();
void worms(float progress);
void worms_2(float progress);
void worms_3(float progress);
void freeworms();

void renderworm(float phase, float x, float y, float z, float jitter);
void renderworm_2(float phase, float x, float y, float z, float m);
void renderwlines(float t, float x, float y, float z);
void renderwpes(float t);
