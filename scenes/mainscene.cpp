#include "scenes/mainscene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "toolkit/objects.h"
#include "toolkit/tarvok.h"
#include "toolkit/texman.h"
#include "runtime/timeline.h"

namespace {
unsigned int mfloortex = 0;
unsigned int mskytex = 0;
unsigned int msnowtex = 0;

constexpr int flakes = 2600;
constexpr int floorcells = 100;

// The floor's corners (texture coordinate, grey, position) are the same every frame for the same
// height: worked out once and sent as one array.
constexpr Interleaved floorlayout{8, 0, 2, 3, -1, 5};
std::vector<float> floorvertices;
float floorheight = 0;

void skyfloorsnow(float snowphase) {
  // Seen from inside, only the near covering of the dome faces the eye; culling hides the other.
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  setuptex(static_cast<int>(mskytex));
  glColor3f(1, 1, 1);
  sphere(80, 0, -10, 0, 0, 0, 0, 16);
  resettex();

  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glFogf(GL_FOG_START, 15);
  glFogf(GL_FOG_END, 50);
  glEnable(GL_FOG);
  renderfloor(-4);
  rendersnow(snowphase, -4);
  glDisable(GL_FOG);
}

// The camera moves of the return and the burst; they stay on the matrix for the scenes after.
void returnmoves(double v) {
  const double w = v + 0.14;
  glTranslatef(0, 0, static_cast<float>(-3 * std::sin(24 * w) - 24));
  if (v < 0.1)
    glTranslatef(0, 0, 16 * sineinterpolate2(1, 0, static_cast<float>((10 * v + 1) * 0.5)));
  glRotatef(static_cast<float>((1 + std::cos(13 * w)) * 40), 1, 0, 0);
  glRotatef(static_cast<float>(std::cos(3.141592 * w) * 1080), 0, 1, 0);
  glRotatef(static_cast<float>(-10 * std::sin(9 * w)), 0, 0, 1);
}

void wash(float alpha) {
  if (alpha <= 0) return;
  fullscreenfade();
}

// The opening: fade in from black, the white flash at the orbit cut and the closing white-out.
void opening(double t) {
  const double s = t * 0.03432297923459756;
  skyfloorsnow(static_cast<float>(s - 0.035));
  float alpha = 0;
  if (s < 0.1) {
    alpha = static_cast<float>(1 - 10 * s);
    glColor4f(0, 0, 0, alpha);
  } else if (s >= 0.475 && s < 0.575) {
    alpha = static_cast<float>(1 - 10 * (s - 0.465));
    glColor4f(1, 1, 1, alpha);
  } else if (s >= 0.95) {
    alpha = 0.8f * sineinterpolate2(0, 1, static_cast<float>((20 * (s - 0.95) + 1) * 0.5));
    glColor4f(1, 1, 1, alpha);
  }
  wash(alpha);
}

void landscapereturn(double t) {
  const double v = (t - timeline::returnin) * 0.03644049267546097;
  returnmoves(v);
  skyfloorsnow(static_cast<float>(0.8 + v));
  if (v < 0.05) {
    const float alpha = 0.8f * sineinterpolate2(0, 1, static_cast<float>(1 - 10 * v));
    glColor4f(1, 1, 1, alpha);
    wash(alpha);
  }
}

void burst(double t) {
  const double u = (t - 138.649) * 0.007288098535092194;
  const double q = 5 * u;
  if (q >= 0.25) return;
  const double v = u + 0.15305;
  returnmoves(v);
  skyfloorsnow(static_cast<float>(v + 0.846));
  if (q < 0.1) {
    const float a = static_cast<float>((1 - 10 * q) * 0.7);
    glColor4f(1, cosineinterpolate(0.8f, 1, a), cosineinterpolate(0.4f, 1, a), a);
    wash(a);
  }
}

float floorshade(float x, float z) { return 1.25f / std::max(1.0f, std::sqrt(x * x + z * z)); }

void floorcorner(float u, float t, float x, float y, float z) {
  const float c = floorshade(x, z);
  floorvertices.insert(floorvertices.end(), {u, t, c, c, c, x, y, z});
}

void buildfloor(float y) {
  floorvertices.clear();
  floorheight = y;
  for (int i = 0; i < floorcells; ++i) {
    const float z0 = static_cast<float>((0.01 * i - 0.5) * 40);
    const float z1 = static_cast<float>((0.01 * (i + 1) - 0.5) * 40);
    const float t0 = static_cast<float>(0.04 * i);
    const float t1 = static_cast<float>(0.04 * (i + 1));
    for (int j = 0; j < floorcells; ++j) {
      const float x0 = static_cast<float>((0.01 * j - 0.5) * 40);
      const float x1 = static_cast<float>((0.01 * (j + 1) - 0.5) * 40);
      const float u0 = static_cast<float>(0.04 * j);
      const float u1 = static_cast<float>(0.04 * (j + 1));
      floorcorner(u0, t0, x0, y, z0);
      floorcorner(u1, t0, x1, y, z0);
      floorcorner(u1, t1, x1, y, z1);
      floorcorner(u0, t1, x0, y, z1);
    }
  }
}
}  // namespace

void renderfloor(float y) {
  if (floorvertices.empty() || y != floorheight) buildfloor(y);
  glDisable(GL_DEPTH_TEST);
  glBindTexture(GL_TEXTURE_2D, mfloortex);
  glEnable(GL_TEXTURE_2D);
  const int count = static_cast<int>(floorvertices.size()) / floorlayout.stride;
  drawinterleaved(GL_QUADS, floorvertices.data(), count, floorlayout);
  // The last corner's grey and coordinate stay current, as after immediate vertices.
  const float* last = &floorvertices[floorvertices.size() - floorlayout.stride];
  glColor3f(last[2], last[3], last[4]);
  glTexCoord2f(last[0], last[1]);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  glEnable(GL_DEPTH_TEST);
}

void rendersnow(float p, float ground) {
  float burstscale = 1;
  float drop = 0;
  if (p > 1) {
    burstscale = (p - 0.995f) * 80 + 1;
    drop = (p - 0.995f) * 0.04f;
  }
  beginadditive(GL_SRC_COLOR);
  beginsprites(msnowtex);
  // Every frame starts from seed 0, so each flake keeps its own random values.
  srand(0);
  const float k = std::min((p - 0.5f) * 3, 1.0f);
  // Past p = 1 the ball stops wobbling and only expands.
  const float wobble = p > 1 ? 0 : (p + 0.035f) * 24;
  const float wobble2 = 0.605f * wobble;

  for (int i = 0; i < flakes; ++i) {
    const float f = i * 0.00038476338f;
    const float r1 = randfloat();
    const float r2 = randfloat();
    const float r3 = randfloat();
    const float r4 = randfloat();
    const float r5 = randfloat();

    const float g = 6.283184f * r1;
    const float radius = 27 * r2;
    float x = radius * std::cos(g);
    float z = radius * std::sin(g);
    float y = 140 * r3 - 40 * p - 20;
    float cr = 1, cg = 1, cb = 1;

    if (p >= 0.5f && f < 0.8f) {
      const float a = 6.283184f * r4;
      const float b = 6.283184f * r5;
      const float rb = 3 + std::sin(3 * b + 12 * std::sin(wobble2)) * std::sin(wobble + 3 * a);
      const float bx = rb * std::cos(a) * std::sin(b);
      const float by = rb * std::cos(b) - ground;
      const float bz = -rb * std::sin(a) * std::sin(b);
      x = cosineinterpolate(x, bx, k);
      y = cosineinterpolate(y, by, k);
      z = cosineinterpolate(z, bz, k);
      // In the burst, flakes with a higher index fly further out.
      const float scale = p > 1 ? (0.2f + (f + 0.2f) * 0.8f) * burstscale : burstscale;
      x *= scale;
      y *= scale;
      z *= scale;
      cr = cosineinterpolate(1, 0.6f, k);
      cg = cosineinterpolate(1, 0.65f, k);
      cb = cosineinterpolate(1, 0.9f, k);
    }

    // Flakes below the floor lie on it and fade as if they had sunk further.
    float fade = 1;
    if (y >= 50 || y <= -100) continue;
    if (y < 0) {
      fade = 1 + 0.01f * y;
      y = 0;
    }
    y = std::max(y - drop, 0.0f);
    spritecolour(cr * fade, cg * fade, cb * fade);
    rendersprite(x, y + ground, z, 0, 0.08f);
  }
  endsprites();
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void initmainscene() {
  mfloortex = loadpngtex("data/floorb.png", 512);
  mskytex = loadpngtex("data/skya.png", 512);
  msnowtex = loadpngtex("data/snowa.png", 64);
}

void mainscene(float progress) {
  const double t = timeline::landscapeend * progress;
  if (t <= timeline::cellsin) {
    opening(t);
  } else if (t < timeline::returnin) {
    return;
  } else if (t < timeline::burstin) {
    landscapereturn(t);
  } else {
    burst(t);
  }
}

void freemainscene() {
  floorvertices.clear();
  floorvertices.shrink_to_fit();
}
