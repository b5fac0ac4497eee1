#include "scenes/static_internal.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "toolkit/tarvok.h"
#include "runtime/timeline.h"

namespace {
constexpr int noisetextures = 6;
constexpr int noiseside = 512;

std::vector<GLuint> statictex;
int texi = 0;

// One noise image: grey values below 192, dimmed row by row into faint scanlines.
void fillnoise(std::vector<unsigned char>& pixels) {
  size_t at = 0;
  for (int j = 0; j < noiseside; ++j) {
    const float g = static_cast<float>((std::sin(2.0 * j) + 1) * 0.5);
    for (int i = 0; i < noiseside; ++i) {
      const int n = (std::rand() & 0xff) % 192;
      const auto v = static_cast<unsigned char>(static_cast<int>(n * g));
      pixels[at++] = v;
      pixels[at++] = v;
      pixels[at++] = v;
      pixels[at++] = 255;
    }
  }
}

GLuint uploadnoise(const std::vector<unsigned char>& pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, noiseside, noiseside, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  return name;
}
}  // namespace

bool staticstrength(double t, float& strength) {
  strength = 0;
  if (t <= 4.35) return false;
  if (t < 12.209) {
    if (t < 8.786)
      strength = static_cast<float>((t - 4.35) * 0.2254283137962128);
    else if (t <= 10.269)
      strength = 1;
    else
      strength = static_cast<float>(1 - (t - 10.269) * 0.5154639175257734);
    return true;
  }
  if (t <= timeline::cellsin) return false;
  // Unlike the camera shake, this passage rises from its very start and runs on to the first worms.
  if (t < timeline::worms1in) {
    const double x = (t - timeline::cellsin) * 0.036576444769568395;
    strength = static_cast<float>(x <= 0.75 ? 0.2 : (x - 0.75) * 1.6 + 0.2);
    return true;
  }
  if (t == timeline::worms1in || t == timeline::worms2in) return false;
  if (t < timeline::returnin) {
    strength = 0.2f;
    return true;
  }
  if (t < timeline::burstin) {
    strength = static_cast<float>(0.2 + (t - timeline::returnin) * 0.19047619047619102);
    return true;
  }
  if (t < 139.849) {
    strength = static_cast<float>(0.8 - 0.6 * (t - timeline::burstin));
    return true;
  }
  return false;
}

void initpstatic() {
  statictex.assign(noisetextures, 0);
  std::vector<unsigned char> pixels(static_cast<size_t>(noiseside) * noiseside * 4);
  // One seed for all six images: they differ from each other but are the same in every run.
  srand(0);
  for (GLuint& name : statictex) {
    fillnoise(pixels);
    name = uploadnoise(pixels);
  }
}

void pstaticat(double t) {
  float strength = 0;
  if (!staticstrength(t, strength) || statictex.empty()) return;
  glLoadIdentity();
  beginadditive(GL_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, statictex[texi]);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 0.3f * strength);
  texturedoverlay();
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  // The noise changes only on frames that show it.
  texi = (texi + 1) % noisetextures;
}

void pstatic(float progress) { pstaticat(timeline::landscapeend * progress); }

void freepstatic() {
  statictex.clear();
  statictex.shrink_to_fit();
}
