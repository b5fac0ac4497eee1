#include "scenes/particles.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "toolkit/tarvok.h"
#include "toolkit/texman.h"

namespace {
unsigned int pparttex = 0;

constexpr int count = 2400;

void fadetoblack(float a) {
  glColor4f(0, 0, 0, a);
  if (a <= 0) return;
  fullscreenfade();
}
}  // namespace

void renderparticles(float t, float h) {
  const float spread = t <= 1 ? 1.1f : 480 * (t - 1) + 1.1f;
  beginadditive(GL_SRC_COLOR);
  beginsprites(pparttex);
  srand(0);
  for (int i = 0; i < count; ++i) {
    const float r1 = randfloat();
    const float r2 = randfloat();
    const float r3 = randfloat();
    const float r4 = randfloat();
    const float r5 = randfloat();
    const float r6 = randfloat();
    const float r7 = randfloat();
    randfloat();  // the eighth draw is not used
    const float r9 = randfloat();

    const float a = 6.283184f * r2;
    const float b = 6.283184f * r1;
    const float radius = 1.6f + 0.4f * r3;
    // Each coordinate has its own random scale, so the burst fills a volume, not a shell.
    float y = 0.1f * spread * r5 * (radius * std::cos(a) - h);
    if (y < -2) y = -2;
    if (y >= 50) continue;
    const float x = 0.1f * spread * r4 * radius * std::sin(a) * std::cos(b);
    const float z = -0.1f * spread * r6 * radius * std::sin(a) * std::sin(b);
    const float g = 0.8f * r7;
    spritecolour(0.8f * g, 0.45f * g, 0.4f * g);
    rendersprite(x, y, z, r9 * 6.283184f, 0.14f);
  }
  endsprites();
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void initparticles() { pparttex = loadpngtex("data/snowa.png", 64); }

void particles(float p) {
  if (p >= 0.25f) return;
  renderparticles(p + 1, -1);
  float a = 0;
  if (p > 0.15f) a = 10 * (p - 0.15f);
  fadetoblack(a);
}

void freeparticles() {}
