#include "floaters.h"

#include <GL/gl.h>

#include "tarvok.h"
#include "texman.h"

namespace {
unsigned int ftex = 0;

constexpr int specks = 500;
constexpr float half = 0.08f;

float cubecoordinate() { return 26 * randfloat() - 13; }
}  // namespace

void initfloaters() { ftex = loadpngtex("data/snowa.png", 64); }

// The specks neither seed the generator nor set a colour: their places follow the draws of the
// scenes before them, and they take the grey those scenes leave.
void floaters(float) {
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glEnable(GL_BLEND);
  beginsprites(ftex);
  for (int i = 0; i < specks; ++i) {
    const float a = cubecoordinate();
    const float b = cubecoordinate();
    const float c = cubecoordinate();
    rendersprite(a, b, c, 0, half);
  }
  endsprites();
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void freefloaters() {}
