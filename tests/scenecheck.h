#pragma once
// Checks shared by the scene tests: how many random draws a call took, and whether it touched
// any GL state or pixel at all.
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "offscreen.h"

// The number of rand() values taken since srand(seed): the position of the generator's next value
// in that seed's sequence (-1 if not found within limit).
inline int drawssince(unsigned int seed, int limit = 200000) {
  const int next = std::rand();
  std::srand(seed);
  for (int k = 0; k <= limit; ++k)
    if (std::rand() == next) return k;
  return -1;
}

// Everything a scene could leave behind: the pixels and the state the demo's scenes share.
struct GlSnapshot {
  std::vector<unsigned char> pixels;
  std::array<float, 16> modelview{};
  std::array<float, 4> colour{};
  std::array<int, 2> blendfunc{};
  std::array<bool, 6> enabled{};
  int texture = 0;
  float linewidth = 0;

  bool operator==(const GlSnapshot& other) const {
    return pixels == other.pixels && modelview == other.modelview && colour == other.colour &&
           blendfunc == other.blendfunc && enabled == other.enabled &&
           texture == other.texture && linewidth == other.linewidth;
  }
};

inline GlSnapshot glsnapshot() {
  GlSnapshot s;
  s.pixels = framepixels();
  glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview.data());
  glGetFloatv(GL_CURRENT_COLOR, s.colour.data());
  glGetIntegerv(GL_BLEND_SRC, &s.blendfunc[0]);
  glGetIntegerv(GL_BLEND_DST, &s.blendfunc[1]);
  const GLenum caps[] = {GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_FOG, GL_CULL_FACE,
                         GL_LINE_SMOOTH};
  for (size_t i = 0; i < s.enabled.size(); ++i) s.enabled[i] = glIsEnabled(caps[i]);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
  glGetFloatv(GL_LINE_WIDTH, &s.linewidth);
  return s;
}

// Puts the GL state into an unusual, recognisable shape so that any change shows.
inline void oddstate() {
  glClearColor(0.25f, 0.5f, 0.75f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.5f, -0.25f, -20);
  glRotatef(33, 1, 2, 3);
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_FOG);
  glLineWidth(3);
}

// Sum of all channels of a frame, a coarse measure of how much light it holds.
inline long long framelight(const std::vector<unsigned char>& frame) {
  long long sum = 0;
  for (unsigned char v : frame) sum += v;
  return sum;
}

// The largest difference of any channel between two frames of the same size. The software
// rasteriser may round a large fogged mesh one step differently from frame to frame.
inline int maxdifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  if (a.size() != b.size()) return 256;
  int most = 0;
  for (size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
  return most;
}
