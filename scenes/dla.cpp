#include "scenes/dla_internal.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "toolkit/tarvok.h"
#include "toolkit/texman.h"

namespace {
unsigned int ddlatex1 = 0;
unsigned int ddlatex2 = 0;
dlaaggregate grown;

constexpr int strings = 16;
constexpr int stringsprites = 96;

// The cells that touch the aggregate (one of their 26 neighbours is occupied), rather than the
// aggregate itself: a walker sticks exactly where this is set, so each step is one lookup.
class lattice {
 public:
  lattice() : touching(cells, 0) {}

  void occupy(int x, int y, int z) {
    for (int dz = -1; dz <= 1; ++dz)
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (dx || dy || dz) touching[at(x + dx, y + dy, z + dz)] = 1;
  }
  bool touches(int x, int y, int z) const { return touching[at(x, y, z)] != 0; }

 private:
  static constexpr int cells = dlaside * dlaside * dlaside;
  static int at(int x, int y, int z) { return (z * dlaside + y) * dlaside + x; }
  std::vector<unsigned char> touching;
};

// A walker that leaves 1..68 is put back at a random place on that axis only.
void keepinside(int& c) {
  if (c < 1) c = std::rand() % (dlaside - 2) + 1;
  if (c > dlaside - 2) c = std::rand() % (dlaside - 2) + 1;
}

void walk(int& x, int& y, int& z) {
  switch (std::rand() % 6) {
    case 0:
      --x;
      break;
    case 1:
      ++x;
      break;
    case 2:
      --y;
      break;
    case 3:
      ++y;
      break;
    case 4:
      --z;
      break;
    default:
      ++z;
      break;
  }
}

void drawparticles(int visible) {
  beginadditive(GL_SRC_COLOR);
  beginsprites(ddlatex1);
  // One draw per particle, shown or not, so the strings' seed alone fixes what follows.
  const int stored = static_cast<int>(grown.dlapx.size());
  for (int i = 0; i < dlaparticles; ++i) {
    const float r = randfloat();
    if (i < visible && i < stored) {
      spritecolour(0.4f, 0.4f, 0.4f);
      rendersprite(grown.dlapx[i], grown.dlapy[i], grown.dlapz[i], static_cast<float>(r * 6.283184),
                   0.024f);
    }
  }
  endsprites();
}

// A cubic curve of sprites out of the centre; neighbours pulse out of step so waves run along it.
void drawstring(float reach, float pulse) {
  glPushMatrix();
  glRotatef(static_cast<float>(randfloat() * 360), 1, 0, 0);
  glRotatef(static_cast<float>(randfloat() * 360), 0, 1, 0);
  glRotatef(static_cast<float>(randfloat() * 360), 0, 0, 1);
  float phase = static_cast<float>(randfloat() * 6.283184);
  beginsprites(ddlatex2);
  for (int j = 0; j < stringsprites; ++j) {
    const float r = randfloat();
    const float t = j * 0.010416667f;
    if (t <= reach) {
      spritecolour(0.6f, 0.6f, 0.6f);
      rendersprite(static_cast<float>(2.56 * t * t * t), 0, t, static_cast<float>(r * 6.283184),
                   static_cast<float>(0.038 + 0.034 * std::sin(pulse + phase)));
      phase = static_cast<float>(phase + 0.21);
    }
  }
  endsprites();
  glPopMatrix();
}
}  // namespace

float dlaworld(int c) { return static_cast<float>((c - dlaseed) * 1.4 * 0.013); }

dlaaggregate growdla(int count) {
  dlaaggregate out;
  for (auto* v : {&out.dlapx, &out.dlapy, &out.dlapz, &out.dlapxan, &out.dlapyan, &out.dlapzan})
    v->reserve(count);
  lattice grid;
  grid.occupy(dlaseed, dlaseed, dlaseed);
  for (int i = 0; i < count; ++i) {
    int x = std::rand() % dlaside;
    int y = std::rand() % dlaside;
    int z = std::rand() % dlaside;
    for (;;) {
      keepinside(x);
      keepinside(y);
      keepinside(z);
      if (grid.touches(x, y, z)) break;
      walk(x, y, z);
    }
    grid.occupy(x, y, z);
    out.dlapx.push_back(dlaworld(x));
    out.dlapy.push_back(dlaworld(y));
    out.dlapz.push_back(dlaworld(z));
    out.dlapxan.push_back(static_cast<float>(randfloat() * 360));
    out.dlapyan.push_back(static_cast<float>(randfloat() * 360));
    out.dlapzan.push_back(static_cast<float>(randfloat() * 360));
  }
  return out;
}

const dlaaggregate& dlaparticleset() { return grown; }

void initdla() {
  ddlatex1 = loadpngtex("data/splatb.png", 32);
  ddlatex2 = loadpngtex("data/celld.png", 64);
  std::srand(0);
  grown = growdla();
}

void dla(float p) {
  if (p >= 0.8f) return;
  int visible = static_cast<int>(p * 2000 * 1.2);
  if (visible > dlaparticles) visible = dlaparticles;
  drawparticles(visible);
  std::srand(1);
  // The strings grow out of the centre over the first quarter and stay whole afterwards.
  const float k = p < 0.25f ? 4 * p : 1.0f;
  const float reach = k * k * k;
  const float pulse = 48 * p;
  for (int s = 0; s < strings; ++s) drawstring(reach, pulse);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glColor3f(0.4f, 0.4f, 0.4f);
}

void freedla() { grown = dlaaggregate{}; }
