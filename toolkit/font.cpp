#include "toolkit/font.h"

#include <GL/gl.h>

namespace {
unsigned int fonthandle = 0;
unsigned int fonthandle3d = 0;
}  // namespace

void initfont(int, const char*) {}

void text2d(float, float, const char*) {}

void text3d(const char*) {}

void freefont() {
  glDeleteLists(fonthandle, 96);
  glDeleteLists(fonthandle3d, 256);
}
