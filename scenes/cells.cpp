#include "scenes/cells.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "toolkit/tarvok.h"
#include "toolkit/texman.h"

namespace {
unsigned int ctex = 0;

constexpr int strands = 5;
constexpr int strandsteps = 16;
constexpr int filaments = 16;
constexpr int filamentsteps = 96;

void sparkvertex(float a, float b, float r) {
  glVertex3f(r * std::cos(a) * std::sin(b), r * std::cos(b), -r * std::sin(a) * std::sin(b));
}

float sparkradius() { return static_cast<float>(1.45 + 0.1 * randfloat()); }

// Five strands wandering over a shell of radius about 1.5; the caller seeds them.
void sparks() {
  for (int k = 0; k < strands; ++k) {
    float a = static_cast<float>(randfloat() * 6.283184);
    float b = static_cast<float>(randfloat() * 6.283184);
    float r = sparkradius();
    glBegin(GL_LINE_STRIP);
    sparkvertex(a, b, r);
    for (int i = 0; i < strandsteps; ++i) {
      a = static_cast<float>(a + (randfloat() * 0.4 - 0.2));
      b = static_cast<float>(b + (randfloat() * 0.4 - 0.2));
      r = sparkradius();
      sparkvertex(a, b, r);
    }
    glEnd();
  }
}

void sparkcolour(float c) {
  glColor3f(0.7f * c, 0.8f * c, 0.9f * c);
  glLineWidth(static_cast<float>(getscrw() * 0.00078125));
}

// One filament: a cubic curve in its own turned XZ plane, grown up to t = p.
void filament(float p) {
  glPushMatrix();
  glRotatef(static_cast<float>(randfloat() * 360), 1, 0, 0);
  glRotatef(static_cast<float>(randfloat() * 360), 0, 1, 0);
  glRotatef(static_cast<float>(randfloat() * 360), 0, 0, 1);
  randfloat();  // drawn and never used; it keeps the later filaments where they are
  glBegin(GL_LINES);
  float px = 0, pz = 0;
  for (int i = 0; i < filamentsteps; ++i) {
    randfloat();  // likewise unused
    const float t = i * 0.010416667f;
    if (t > p) continue;
    const float dim = 1 - t;
    glColor3f(dim * 0.6f, dim * 0.65f, dim * 0.9f);
    glVertex3f(px, 0, pz);
    px = 3.12f * t * t * t;
    pz = 1.5f * t;
    glVertex3f(px, 0, pz);
  }
  glEnd();
  glPopMatrix();
}
}  // namespace

void rendercells(float q) {
  const float a = q < 0.1f ? 10 * q : 1;
  const float spread = q < 0.1f ? 6 - 3 * a : 3;
  srand(0);
  for (int axis = 0; axis < 3; ++axis) {
    for (int i = -16; i < 16; ++i) {
      const float f = i * 0.0625f;
      const float out = std::fabs(f);
      float position[3] = {0, 0, 0};
      position[axis] = spread * f;
      glPushMatrix();
      const float g = static_cast<float>((1 - out) * a * 0.85);
      glColor3f(g, g, g);
      // The angles depend on how far out the sprite sits, so each arm twists along its length.
      glRotatef(static_cast<float>(90 * std::sin(14 * q - 0.54 * out)), 1, 0, 0);
      glRotatef(static_cast<float>(-180 * std::sin(20 * q - 0.9 * out)), 0, 1, 0);
      glRotatef(static_cast<float>(60 * std::cos(11 * q - 0.72 * out)), 0, 0, 1);
      beginsprites(ctex);
      rendersprite(position[0], position[1], position[2],
                   static_cast<float>(randfloat() * 6.283184), 0.5f);
      endsprites();
      glPopMatrix();
    }
  }
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void initcells() { ctex = loadpngtex("data/cella.png", 64); }

void cells(float p) {
  if (56.475 * p >= 29.043 || p < 0.105) return;
  const float q = static_cast<float>(p - 0.105);
  beginadditive(GL_SRC_COLOR);
  rendercells(q);
  // Seeding from the phase gives the strands a new course every frame: they flicker.
  srand(timeseed(q));
  if (q < 0.1f) {
    const float c = q < 0.05f ? cosineinterpolate(0, 0.6f, 20 * q)
                              : cosineinterpolate(0.6f, 0, 20 * (q - 0.05f));
    sparkcolour(c);
    sparks();
  }
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void cells_2(float p) {
  beginadditive(GL_SRC_COLOR);
  float c = 0;
  if (p < 1) {
    rendercells(static_cast<float>(0.27 * p + 0.1));
    c = cosineinterpolate(0.2f, 0.6f, p);
  } else {
    c = cosineinterpolate(0.4f, 0, 4 * (p - 1));
  }
  srand(timeseed(p));
  sparkcolour(c);
  sparks();

  // The same sixteen filaments every frame.
  srand(1);
  glLineWidth(static_cast<float>(getscrw() * 0.001171875));
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glEnable(GL_LINE_SMOOTH);
  for (int k = 0; k < filaments; ++k) filament(p);
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void freecells() {}
