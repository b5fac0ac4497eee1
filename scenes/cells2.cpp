#include "scenes/cells2.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "toolkit/objects.h"
#include "toolkit/tarvok.h"
#include "toolkit/texman.h"

const point3d cellPath[cellcount + 1] = {
    {0.4f, 0, 0, 0},
    {0.312576f, -0.198f, 0.3036f, -1.8536f},
    {0.205192f, -0.77376f, -0.44832f, -0.1392f},
    {0.254784f, -1.02248f, -1.94856f, -0.35376f},
    {0.20016f, -1.5936f, 0.88752f, 0.9384f},
    {0.219888f, -0.1152f, -0.06576f, -1.36128f},
    {0.378984f, 0.93936f, 1.5612f, 1.68296f},
    {0.270984f, 1.15944f, -1.6496f, -0.74808f},
    {0.277816f, 1.53248f, 1.31208f, 0.92304f},
    {0, 0, 0, 0},  // the last path segment runs from cell 8 back into the centre cell
};

namespace {
unsigned int c2bgtex = 0;
unsigned int c2tex = 0;
unsigned int c2logoa = 0;
unsigned int c2logob = 0;
unsigned int wwormtex = 0;  // the trail balls use the cell sprite
point3d dest[pathsamples] = {};

constexpr int trailballs = 40;

void cellsprite(float radius, float theta, float phi, float bulge, float angle) {
  if (bulge == 0) {
    rendersprite(radius * std::cos(phi) * std::sin(theta), radius * std::cos(theta),
                 -radius * std::sin(phi) * std::sin(theta), angle, 0.21f);
    return;
  }
  const float s = -std::sin(phi) * std::sin(theta);
  const float r = s > 0 ? radius + bulge * s * s * s * s : radius;
  rendersprite(r * (std::cos(phi) * std::sin(theta)), r * std::cos(theta), r * s, angle, 0.21f);
}

// 120 sprites on ten rings of twelve, each jittered by two draws and turned by a third.
void drawcell(float radius, float x, float y, float z, float bulge) {
  glPushMatrix();
  glTranslatef(x, y, z);
  beginadditive(GL_SRC_COLOR);
  beginsprites(c2tex);
  const float grey = std::clamp(0.8f * radius, 0.0f, 1.0f);
  for (int i = 1; i <= 10; ++i) {
    const float ring = static_cast<float>(i * 0.09090909 * 6.283184);
    for (int j = 0; j < 12; ++j) {
      const float r1 = randfloat();
      const float r2 = randfloat();
      const float theta = static_cast<float>(ring + 0.2 * r1);
      const float phi = static_cast<float>(j * 0.09090909 * 6.283184 + 0.2 * r2);
      spritecolour(grey, grey, grey);
      const float r3 = randfloat();
      cellsprite(radius, theta, phi, bulge, static_cast<float>(r3 * 6.283184));
    }
  }
  endsprites();
  endadditive();
  glPopMatrix();
}

float ballgrey(float p) {
  if (p < 0.825f) return 0.55f;
  if (p < 0.85f) return static_cast<float>(0.55 + 8 * (p - 0.825));
  return std::max(0.0f, static_cast<float>(0.75 * (1 - 20 * (p - 0.85))));
}

// One 400 x 400 logo quad reaching past the right and bottom edges of the overlay.
void logoquad(float offset) {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(280 + offset, 200);
  glTexCoord2f(1, 1);
  glVertex2f(680 + offset, 200);
  glTexCoord2f(1, 0);
  glVertex2f(680 + offset, 600);
  glTexCoord2f(0, 0);
  glVertex2f(280 + offset, 600);
  glEnd();
}

void cellgroup() {
  std::srand(4);
  for (int i = 0; i < cellcount; ++i)
    rendercell(cellPath[i].radius, cellPath[i].x, cellPath[i].y, cellPath[i].z);
}

// Adds a faint red texture where the picture is dark and leaves bright areas almost unchanged.
void backgroundsphere() {
  beginadditive(GL_ONE_MINUS_DST_COLOR);
  setuptex(c2bgtex);
  glColor3f(0.1f, 0, 0);
  sphere(40, 16);
  resettex();
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void whiteflash(float a) {
  if (!(a > 0)) return;
  fullscreenfade(1, 1, 1, a);
}

float cutflash(float p) { return p < 0.05f ? static_cast<float>(0.8 * (1 - 20 * p)) : 0.0f; }

void groupmotion(float p) {
  if (p < 0.5f) {
    const float q = static_cast<float>(2 * (p - 0.5));
    glTranslatef(0, 0, static_cast<float>(-2 * std::sin(8 * q - 1.9) - 5));
    // The group arrives from 20 units further back and settles by p = 0.1.
    if (p < 0.1f) glTranslatef(0, 0, -20 * sineinterpolate2(0, 1, 1 - 5 * p));
    glRotatef(20 * std::sin(18 * q), 1, 0, 0);
    glRotatef(p < 0.25f ? 900 * q : -900 * q, 0, 1, 0);
    glRotatef(-20 * std::cos(14 * q), 0, 0, 1);
    return;
  }
  const float u = static_cast<float>((p - 0.25) * 1.3333333333333333);
  const float m = p < 0.75f ? 4.0f : static_cast<float>(4 * (4 * (p - 0.75) + 1));
  glTranslatef(0, 0, m * std::sin(8 * u) - 9);
  glRotatef(20 * std::sin(12 * u), 1, 0, 0);
  glRotatef(360 * std::cos(8 * u), 0, 1, 0);
  glRotatef(-20 * std::cos(6 * u), 0, 0, 1);
}

// Forty balls along the path, ball 39 leading; from p = 0.835 the tail drops off one by one.
void balltrail(float p) {
  if (p < 0.25f) return;
  const int head = static_cast<int>((p - 0.25) * 1288.5);
  if (head + 1 > 898) return;
  const int first = p >= 0.835f ? static_cast<int>((p - 0.835) * 615.3846153846154) : 0;
  if (first > trailballs - 1) return;
  if (head + trailballs >= pathsamples) return;  // never reached in the timeline
  for (int j = first; j < trailballs; ++j) {
    const point3d& at = dest[head + 1 + j];
    paskapallo(at.x, at.y, at.z, static_cast<float>(j * 0.025), p);
  }
}

void splineaxis(float point3d::*axis, point3d* out, int n, int steps, const point3d* in) {
  std::vector<float> gamma(n + 1), delta(n + 1), slope(n + 1);
  const auto v = [&](int i) { return in[i].*axis; };
  gamma[0] = 0.5f;
  for (int i = 1; i < n; ++i) gamma[i] = 1 / (4 - gamma[i - 1]);
  gamma[n] = 1 / (2 - gamma[n - 1]);
  delta[0] = 3 * (v(1) - v(0)) * gamma[0];
  for (int i = 1; i < n; ++i) delta[i] = (3 * (v(i + 1) - v(i - 1)) - delta[i - 1]) * gamma[i];
  delta[n] = (3 * (v(n) - v(n - 1)) - delta[n - 1]) * gamma[n];
  slope[n] = delta[n];
  for (int i = n - 1; i >= 0; --i) slope[i] = delta[i] - gamma[i] * slope[i + 1];

  const float step = 1.0f / steps;
  for (int i = 0; i < n; ++i) {
    const float a = v(i);
    const float b = slope[i];
    const float c = 3 * (v(i + 1) - v(i)) - 2 * slope[i] - slope[i + 1];
    const float d = 2 * (v(i) - v(i + 1)) + slope[i] + slope[i + 1];
    for (int k = 0; k < steps; ++k) {
      const float u = k * step;
      out[i * steps + k].*axis = ((d * u + c) * u + b) * u + a;
    }
  }
}
}  // namespace

void createSpline(point3d* out, int n, int steps, const point3d* in) {
  if (n < 1 || steps < 1 || !out || !in) return;
  splineaxis(&point3d::x, out, n, steps, in);
  splineaxis(&point3d::y, out, n, steps, in);
  splineaxis(&point3d::z, out, n, steps, in);
}

const point3d* cellpathsamples() { return dest; }

void rendercell(float radius, float x, float y, float z) { drawcell(radius, x, y, z, 0); }

void rendercell_2(float radius, float x, float y, float z, float bulge) {
  if (bulge == 0) {
    rendercell(radius, x, y, z);
    return;
  }
  drawcell(radius, x, y, z, bulge);
}

void paskapallo(float x, float y, float z, float size, float p) {
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glEnable(GL_BLEND);
  glPushMatrix();
  glTranslatef(static_cast<float>(x + 0.23 * std::cos(28 * p)),
               static_cast<float>(y + 0.23 * std::sin(36 * p)), z);
  beginsprites(wwormtex);
  const float phasea = static_cast<float>(6 * (p + 0.035));
  const float phaseb = 10 * phasea;
  const float base = static_cast<float>(0.025 * size);
  const float half = static_cast<float>(0.2 * size);
  const float grey = ballgrey(p);
  for (int k = 0; k < 3; ++k) {
    const float r1 = randfloat();
    const float r2 = randfloat();
    const float phi = static_cast<float>(k * 3.141592 + 0.2 * r2);
    const float theta = static_cast<float>(3.1415927 + 0.2 * r1);
    const float radius =
        static_cast<float>(base + 0.03 * std::sin(3 * phi + phasea) * std::sin(3 * theta + phaseb));
    spritecolour(grey, grey, grey);
    const float r3 = randfloat();
    rendersprite(radius * std::cos(phi) * std::sin(theta), radius * std::cos(theta),
                 -radius * std::sin(phi) * std::sin(theta), static_cast<float>(r3 * 6.283184),
                 half);
  }
  endsprites();
  glPopMatrix();
}

void renderlogo(float p) {
  const float offset = static_cast<float>(32 * (p - 0.25) + 4);
  beginadditive(GL_SRC_COLOR);
  perspective2DBegin(640, 480);
  const float grey = static_cast<float>(0.6 + 0.2 * std::fabs(std::sin(25 * p)));
  glColor3f(grey, grey, grey);
  glBindTexture(GL_TEXTURE_2D, c2logoa);
  glEnable(GL_TEXTURE_2D);
  logoquad(offset);
  glBindTexture(GL_TEXTURE_2D, c2logob);
  const float f = static_cast<float>(0.15 * std::fabs(std::sin(45 * p)));
  glColor3f(static_cast<float>(0.85 + f), static_cast<float>(0.7 + f),
            static_cast<float>(0.79 + f));
  logoquad(-offset);
  glDisable(GL_TEXTURE_2D);
  perspective2DEnd();
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void initcells2() {
  c2bgtex = loadpngtex("data/bga.png", 256);
  c2tex = loadpngtex("data/cellc.png", 64);
  c2logoa = loadpngtex("data/logoa.png", 512);
  c2logob = loadpngtex("data/logob.png", 512);
  loadpngtex("data/celle.png", 64);  // loaded with the others though no scene draws it
  wwormtex = c2tex;
  createSpline(dest, pathsegments, pathsteps, cellPath);
}

void cells2(float p) {
  if (p < 0.25f) renderlogo(p);
  groupmotion(p);
  cellgroup();
  glColor3f(1, 1, 1);
  glDisable(GL_DEPTH_TEST);
  balltrail(p);
  backgroundsphere();
  float flash = cutflash(p);
  if (p > 0.25f && p < 0.3f) flash = static_cast<float>(0.8 * (1 - 20 * (p - 0.25)));
  whiteflash(flash);
  glColor3f(0.4f, 0.4f, 0.4f);
}

void cells2_2(float p) {
  cellgroup();
  backgroundsphere();
  whiteflash(cutflash(p));
  glColor3f(0.4f, 0.4f, 0.4f);
}

void cells2_3(float p) {
  cellgroup();
  backgroundsphere();
  float flash = cutflash(p);
  if (p >= 0.5f && p < 0.55f) flash = static_cast<float>(0.8 * (1 - 20 * (p - 0.5)));
  whiteflash(flash);
  glColor3f(0.4f, 0.4f, 0.4f);
}

void cells2_4(float p) {
  if (p >= 0.85f) return;
  std::srand(4);
  // The centre cell swells on its +Z side, where the worm went in, and subsides by p = 0.35.
  float bulge = 0;
  if (p < 0.15f) {
    const float k = 1 - 5 * p;
    bulge = cosineinterpolate(0, 0.8f, 1 - k * k * k);
  } else if (p < 0.35f) {
    const float k = static_cast<float>(1 - 5 * (p - 0.15));
    bulge = cosineinterpolate(0.8f, 0, 1 - k * k * k);
  }
  rendercell_2(cellPath[0].radius, 0, 0, 0, bulge);
  for (int i = 1; i < cellcount; ++i)
    rendercell(cellPath[i].radius, cellPath[i].x, cellPath[i].y, cellPath[i].z);
  backgroundsphere();
  float flash = 0;
  if (p < 0.05f)
    flash = static_cast<float>(0.7 * (1 - 20 * p));
  else if (p >= 0.75f)
    flash = static_cast<float>(8 * (p - 0.75));
  whiteflash(flash);
  glColor3f(0.4f, 0.4f, 0.4f);
}

void freecells2() {}
