#pragma once
// Checks shared by the scene tests: random draws taken, GL state and pixels left behind.
#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "offscreen.h"

// The number of rand() values taken since srand(seed), found from the generator's next three
// values (which it takes).
inline int drawssince(unsigned int seed, int limit = 100000) {
  const int next[3] = {std::rand(), std::rand(), std::rand()};
  std::srand(seed);
  int window[3] = {std::rand(), std::rand(), std::rand()};
  for (int k = 0; k <= limit; ++k) {
    if (window[0] == next[0] && window[1] == next[1] && window[2] == next[2]) return k;
    window[0] = window[1];
    window[1] = window[2];
    window[2] = std::rand();
  }
  return -1;
}

// The pixels and the GL state the demo's scenes share, flattened into one list.
inline std::vector<float> glsnapshot() {
  std::vector<float> s(22);
  glGetFloatv(GL_MODELVIEW_MATRIX, &s[0]);
  glGetFloatv(GL_CURRENT_COLOR, &s[16]);
  glGetFloatv(GL_LINE_WIDTH, &s[20]);
  glGetFloatv(GL_TEXTURE_BINDING_2D, &s[21]);
  for (GLenum e : {GL_BLEND_SRC, GL_BLEND_DST, GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_FOG,
                   GL_CULL_FACE, GL_LINE_SMOOTH}) {
    s.push_back(0);
    glGetFloatv(e, &s.back());
  }
  for (unsigned char v : framepixels()) s.push_back(v);
  return s;
}

// Runs draw over an unusual GL state: true if it took no random value and changed nothing.
template <typename Draw>
bool untouched(Draw draw) {
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
  std::srand(42);
  const std::vector<float> before = glsnapshot();
  draw();
  return drawssince(42) == 0 && glsnapshot() == before;
}

inline long long framelight(const std::vector<unsigned char>& frame) {
  return std::accumulate(frame.begin(), frame.end(), 0LL);
}

// The software rasteriser may round a large fogged mesh one step differently between frames.
inline int maxdifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  int most = a.size() == b.size() ? 0 : 256;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    most = std::max(most, std::abs(a[i] - b[i]));
  return most;
}
