#include "scenes/worms_internal.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "toolkit/tarvok.h"
#include "toolkit/texman.h"

namespace {
unsigned int wwormtex = 0;
unsigned int wwpetex = 0;
std::vector<float> wlstime;
std::vector<float> wletime;
std::vector<float> wlan1;
std::vector<float> wlan2;
std::unique_ptr<wpe[]> wpes;  // delete[] destroys the bursts last to first

constexpr int sparks = 16;
constexpr float feelerstep = 0.013333334f;  // 0.4 / 30
constexpr float feelerstartz = 0.55f;
constexpr float burstreach = 0.415f;  // the feeler has touched the centre cell

struct feeler {
  float x, y, z;
  float a1, a2;
};

// The next point of a feeler, one step along its current angles.
void feelernext(const feeler& f, float& nx, float& ny, float& nz) {
  nx = static_cast<float>(f.x + feelerstep * (-std::sin(f.a1) * std::sin(f.a2)));
  ny = static_cast<float>(f.y + feelerstep * std::cos(f.a2));
  nz = static_cast<float>(f.z + feelerstep * (std::cos(f.a1) * std::sin(f.a2)));
}

// Turns the feeler towards the point one unit beyond its root on Z, then moves it to (nx, ny, nz).
void feelersteer(feeler& f, float rootz, float nx, float ny, float nz) {
  const float w = nz - (rootz + 1);
  f.a1 = static_cast<float>(f.a1 + 0.06 * std::atan2(w, -nx));
  f.a2 = static_cast<float>(f.a2 + 0.06 * std::atan2(-ny, w));
  f.x = nx;
  f.y = ny;
  f.z = nz;
}

// Walks feeler i from its root and arms its burst where it first comes within reach of the cell.
void armburst(int i) {
  feeler f{0, 0, feelerstartz, wlan1[i], wlan2[i]};
  for (int j = 0; j < feelersteps; ++j) {
    float nx, ny, nz;
    feelernext(f, nx, ny, nz);
    if (std::sqrt(nx * nx + ny * ny + nz * nz) <= burstreach) {
      wpes[i].init(static_cast<float>(wlstime[i] + 0.001 * j), nx, ny, nz, f.x - nx, f.y - ny,
                   f.z - nz);
      return;
    }
    feelersteer(f, feelerstartz, nx, ny, nz);
  }
}

void drawfeeler(int i, int segments, float x, float y, float z) {
  feeler f{x, y, z, wlan1[i], wlan2[i]};
  for (int j = 0; j < segments; ++j) {
    const float c = static_cast<float>(0.4 + 0.2 * (1 - j * 0.03448276));
    glColor3f(static_cast<float>(0.7 * c), static_cast<float>(0.8 * c),
              static_cast<float>(0.9 * c));
    float nx, ny, nz;
    feelernext(f, nx, ny, nz);
    glVertex3f(f.x, f.y, f.z);
    glVertex3f(nx, ny, nz);
    feelersteer(f, z, nx, ny, nz);
  }
}

void beginglow() {
  beginadditive(GL_SRC_COLOR);
  std::srand(0);
}

void endglow() {
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

// Turns the view about the cell, pitched down by up to 90 degrees as s grows, and steps back.
void turndown(float s, float push) {
  glRotatef(90, 0, 1, 0);
  glRotatef(25 * std::sin(6 * s), 0, 0, 1);
  glRotatef(cosineinterpolate(0, -90, s), 1, 0, 0);
  glTranslatef(0, 0, push);
}

void divecamera(float s, float push) {
  glTranslatef(0, 0, cosineinterpolate(0, 1.3f, s) - 2);
  turndown(s, push);
}

void swaycamera(float q) {
  glTranslatef(0, 0, static_cast<float>(0.37 * std::cos(16 * q + 0.4) - 1.3));
  glRotatef(20 * std::sin(12 * q), 1, 0, 0);
  glRotatef(540 * q - 90, 0, 1, 0);
  glRotatef(15 * std::cos(8 * q), 0, 0, 1);
  glTranslatef(0, 0, -0.4f);
}
}  // namespace

void wpe::init(float t, float x, float y, float z, float ddx, float ddy, float ddz) {
  if (active) return;
  tstart = t;
  tend = static_cast<float>(t + 0.1);
  active = true;
  px = x;
  py = y;
  pz = z;
  dx = ddx;
  dy = ddy;
  dz = ddz;
  ux = std::make_unique<float[]>(sparks);
  uy = std::make_unique<float[]>(sparks);
  uz = std::make_unique<float[]>(sparks);
  rot = std::make_unique<float[]>(sparks);
  speed = std::make_unique<float[]>(sparks);
  const float phi0 = static_cast<float>(std::atan2(-dx, -dz) - 1);
  const float theta0 = static_cast<float>(std::atan2(-dz, dy) - 1);
  for (int k = 0; k < sparks; ++k) {
    const float r1 = randfloat();
    const float r2 = randfloat();
    const float phi = phi0 + 2 * r1;
    const float theta = theta0 + 2 * r2;
    ux[k] = -std::sin(phi) * std::sin(theta);
    uy[k] = std::cos(theta);
    uz[k] = std::cos(phi) * std::sin(theta);
    rot[k] = static_cast<float>(randfloat() * 6.283184);
    speed[k] = static_cast<float>(randfloat() * 0.2);
  }
}

// The sparks fly out with an ease-in-out and fade from pale blue to black.
void wpe::render(float t) const {
  if (!active || !(tstart <= t && t < tend)) return;
  beginsprites(wwpetex);
  const float k = cosineinterpolate(0, 1, (t - tstart) / (tend - tstart));
  const float c = static_cast<float>(0.7 * (1 - k));
  spritecolour(static_cast<float>(0.6 * c), static_cast<float>(0.8 * c), c);
  for (int i = 0; i < sparks; ++i) {
    const float s = k * speed[i];
    rendersprite(px + s * ux[i], py + s * uy[i], pz + s * uz[i], rot[i], 0.02f);
  }
  endsprites();
}

float feelerreach(float d) {
  if (d < 0.03f) return static_cast<float>(33.333333333333336 * d);
  if (d < 0.07f) return 1;
  return static_cast<float>(1 - 33.333333333333336 * (d - 0.07));
}

int feelersegments(float t, float start, float end) {
  if (!(start <= t && t < end)) return 0;
  const float g = feelerreach(t - start);
  return g >= 1 ? feelersteps : static_cast<int>(feelersteps * g);
}

const float* feelerstarts() { return wlstime.empty() ? nullptr : wlstime.data(); }
const float* feelerends() { return wletime.empty() ? nullptr : wletime.data(); }
const wpe* wormbursts() { return wpes.get(); }

void renderwlines(float t, float x, float y, float z) {
  glLineWidth(static_cast<float>(getscrw() * 0.001171875));
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glEnable(GL_LINE_SMOOTH);
  glBegin(GL_LINES);
  for (int i = 0; i < static_cast<int>(wlstime.size()); ++i) {
    const int segments = feelersegments(t, wlstime[i], wletime[i]);
    if (segments > 0) drawfeeler(i, segments, x, y, z);
  }
  glEnd();
}

void renderwpes(float) {}

void renderworm(float p, float x, float y, float z, float jitter) {
  glPushMatrix();
  glTranslatef(static_cast<float>(x + jitter * 0.23 * std::cos(28 * p)),
               static_cast<float>(y + jitter * 0.23 * std::sin(36 * p)), z);
  beginsprites(wwormtex);
  const float phasea = static_cast<float>(6 * (p + 0.035));
  const float phaseb = 10 * phasea;
  for (int i = 1; i <= 14; ++i) {
    const float ring = static_cast<float>(i * 0.06666667 * 6.283184);
    for (int j = 0; j < 16; ++j) {
      const float r1 = randfloat();
      const float r2 = randfloat();
      const float theta = static_cast<float>(ring + 0.2 * r1);
      const float phi = static_cast<float>(j * 0.06666667 * 6.283184 + 0.2 * r2);
      const float radius = static_cast<float>(0.1 + 0.03 * std::sin(3 * phi + phasea) *
                                                        std::sin(3 * theta + phaseb));
      spritecolour(0.4f, 0.4f, 0.4f);
      const float r3 = randfloat();
      rendersprite(radius * std::cos(phi) * std::sin(theta), radius * std::cos(theta),
                   -radius * std::sin(phi) * std::sin(theta), static_cast<float>(r3 * 6.283184),
                   0.07f);
    }
  }
  endsprites();
  glPopMatrix();
}

// The worm flies to the origin while its sprites gather into a small trembling knot.
void renderworm_2(float p, float x, float y, float z, float m) {
  glPushMatrix();
  glTranslatef(cosineinterpolate(x, 0, m), cosineinterpolate(y, 0, m), cosineinterpolate(z, 0, m));
  beginsprites(wwormtex);
  const float phasea = static_cast<float>(6 * (p + 0.035));
  const float phaseb = 10 * phasea;
  const float grey = cosineinterpolate(0.4f, 0.2f, m);
  for (int i = 1; i <= 14; ++i) {
    const float ring = static_cast<float>(i * 0.06666667 * 6.283184);
    for (int j = 0; j < 16; ++j) {
      const float r1 = randfloat();
      const float r2 = randfloat();
      const float r3 = randfloat();
      const float r4 = randfloat();
      const float theta = static_cast<float>(ring + 0.2 * r1);
      const float phi = static_cast<float>(j * 0.06666667 * 6.283184 + 0.2 * r2);
      const float psi = static_cast<float>(r3 * 6.283184 * 4.8);
      const float radius = static_cast<float>(0.1 + 0.03 * std::sin(3 * phi + phasea) *
                                                        std::sin(3 * theta + phaseb));
      const float sx = cosineinterpolate(radius * std::cos(phi) * std::sin(theta),
                                         static_cast<float>(0.02 * std::cos(psi - 28 * p)), m);
      const float sy = cosineinterpolate(radius * std::cos(theta),
                                         static_cast<float>(0.02 * std::sin(psi - 36 * p)), m);
      const float sz = cosineinterpolate(-radius * std::sin(phi) * std::sin(theta),
                                         static_cast<float>(0.02 * std::sin(psi + 43 * p)), m);
      spritecolour(grey, grey, grey);
      rendersprite(sx, sy, sz, static_cast<float>(r4 * 6.283184), 0.07f);
    }
  }
  endsprites();
  glPopMatrix();
}

void initworms() {
  wwormtex = loadpngtex("data/worma.png", 128);
  wwpetex = loadpngtex("data/cellc.png", 64);
  wlstime.assign(feelercount, 0);
  wletime.assign(feelercount, 0);
  wlan1.assign(feelercount, 0);
  wlan2.assign(feelercount, 0);
  std::srand(0);
  for (int i = 0; i < feelercount; ++i) {
    wlstime[i] = static_cast<float>((1 - randfloat()) * 0.87 + 0.03);
    wletime[i] = static_cast<float>(wlstime[i] + 0.1);
    wlan1[i] = static_cast<float>(randfloat() * 6.283184);
    wlan2[i] = static_cast<float>(randfloat() * 6.283184);
  }
  wpes = std::make_unique<wpe[]>(feelercount);
  for (int i = 0; i < feelercount; ++i) armburst(i);
}

// "Worms 1": the worm waits three units out, then moves in to 0.6 while the camera circles.
void worms(float p) {
  if (p < 0.5f) {
    const float r = 2 * p;
    glTranslatef(0, 0, -1 - 4.2f * sineinterpolate(0, 1, 1.4f * r));
    glRotatef(static_cast<float>(-16 * std::cos(4.20973328 * r - 0.4) * (1 - r)), 1, 0, 0);
    glRotatef(static_cast<float>(20 * std::sin(6.283184 * r) * (1 - r)), 0, 1, 0);
    glRotatef((32 * r - 16) * (1 - r), 0, 0, 1);
  } else {
    const float q = p > 0.75f ? static_cast<float>(p + 0.32) : p;
    glTranslatef(0, 0, -2);
    glRotatef(20 * std::sin(12 * q), 1, 0, 0);
    glRotatef(p < 0.75f ? 540 * q - 60 : -540 * q - 60, 0, 1, 0);
    glRotatef(15 * std::cos(8 * q), 0, 0, 1);
    glTranslatef(0, 0, -0.6f);
  }
  beginglow();
  if (p < 0.5f) {
    renderworm(p, 0, 0, 3, 0);
  } else if (p < 0.7f) {
    const float k = 5 * (p - 0.5f);
    renderworm(sineinterpolate(2.4f * p, p, k), 0, 0, 0.6f + 2.4f * sineinterpolate(1, 0, k),
               sineinterpolate(0.5f, 0, k));
  } else {
    renderworm(p, 0, 0, 0.6f, 0);
  }
  endglow();
}

// "Worms 2": the feelers reach for the cell and spark where they touch it.
void worms_2(float p) {
  if (p < 0.5f) {
    swaycamera(static_cast<float>(p + 0.5));
  } else if (p < 0.75f) {
    const float v = 4 * p - 2;
    glTranslatef(static_cast<float>(-0.15 * std::cos(5.0265472 * v + 0.3)), 0,
                 cosineinterpolate(-0.1f, 0.1f, v));
    glRotatef(180, 0, 1, 0);
    glRotatef(15 * std::cos(4 * v), 0, 0, 1);
  } else {
    divecamera(static_cast<float>(4 * p - 2.5), -0.4f);
  }
  beginglow();
  renderworm(2 * p, 0, 0, feelerstartz, 0);
  renderwlines(p, 0, 0, feelerstartz);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  if (wpes)
    for (int i = 0; i < feelercount; ++i) wpes[i].render(p);
  endglow();
}

// "Worms 3": the worm dives into the centre cell and dissolves; the camera rushes away at the end.
void worms_3(float p) {
  if (p >= 0.85f) return;
  float phase = 2 * p;
  if (p < 0.12f) {
    phase = cosineinterpolate(static_cast<float>(0.6 * p), 2 * p, 2 * p);
    divecamera(static_cast<float>(2 * phase - 0.5), -0.4f);
  } else if (p < 0.25f) {
    swaycamera(static_cast<float>(p + 0.6));
  } else {
    const float s = p < 0.5f ? static_cast<float>(4 * p - 0.43) : 4 * p;
    glTranslatef(0, 0, cosineinterpolate(0, 1.3f, s) - 2);
    if (p > 0.75f) {
      const float e = std::pow(static_cast<float>(10 * (p - 0.75)), 4.0f);
      glTranslatef(0, 0, -7 * e);
      glRotatef(-220 * e, 0, 1, 0);
    }
    turndown(s, -0.2f);
  }
  float m = 1;
  if (p < 0.05f)
    m = 0;
  else if (p < 0.25f)
    m = static_cast<float>(5 * (p - 0.05));
  beginglow();
  renderworm_2(phase, 0, 0, feelerstartz, m);
  endglow();
}

void freeworms() {
  wlstime.clear();
  wlstime.shrink_to_fit();
  wletime.clear();
  wletime.shrink_to_fit();
  wlan1.clear();
  wlan1.shrink_to_fit();
  wlan2.clear();
  wlan2.shrink_to_fit();
  wpes.reset();
}
