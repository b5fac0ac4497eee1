#include "scenes/floaters.h"

#include <GL/gl.h>

#include <vector>

#include "toolkit/objects.h"
#include "toolkit/tarvok.h"
#include "toolkit/texman.h"

namespace {
unsigned int ftex = 0;

constexpr int specks = 500;
constexpr float half = 0.08f;

// Texture coordinate and position of each corner, sent as one array; the vector keeps its room.
constexpr Interleaved specklayout{5, 0, -1, 0, -1, 2};
std::vector<float> speckvertices;

float cubecoordinate() { return 26 * randfloat() - 13; }
}  // namespace

void initfloaters() { ftex = loadpngtex("data/snowa.png", 64); }

// The specks neither seed the generator nor set a colour: their places follow the draws of the
// scenes before them, and they take the grey those scenes leave. Each is a screen-aligned quad at
// the eye-space place of its point in the cube.
void floaters(float) {
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  glPushMatrix();
  glLoadIdentity();
  beginadditive(GL_SRC_COLOR);
  glBindTexture(GL_TEXTURE_2D, ftex);
  glEnable(GL_TEXTURE_2D);
  speckvertices.clear();
  for (int i = 0; i < specks; ++i) {
    const float a = cubecoordinate();
    const float b = cubecoordinate();
    const float c = cubecoordinate();
    const float ex = a * m[0] + b * m[4] + c * m[8] + m[12];
    const float ey = a * m[1] + b * m[5] + c * m[9] + m[13];
    const float ez = a * m[2] + b * m[6] + c * m[10] + m[14];
    const auto corner = [ez](float s, float t, float x, float y) {
      speckvertices.insert(speckvertices.end(), {s, t, x, y, ez});
    };
    corner(0, 0, ex - half, ey - half);
    corner(1, 0, ex + half, ey - half);
    corner(1, 1, ex + half, ey + half);
    corner(0, 1, ex - half, ey + half);
  }
  drawinterleaved(GL_QUADS, speckvertices.data(), 4 * specks, specklayout);
  glTexCoord2f(0, 1);  // the last corner's coordinate stays current, as after immediate vertices
  glDisable(GL_TEXTURE_2D);
  endadditive();
  glPopMatrix();
}

void freefloaters() {
  speckvertices.clear();
  speckvertices.shrink_to_fit();
}
