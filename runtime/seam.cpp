#include "runtime/seam.h"

#include <SDL/SDL.h>

namespace {
bool offscreen = false;
bool manualticks = false;
unsigned int offlineticks = 0;
}  // namespace

void presentframe() {
  if (!offscreen) SDL_GL_SwapBuffers();
}

unsigned int getticks() { return manualticks ? offlineticks : SDL_GetTicks(); }

void setofflineticks(unsigned int ms) {
  manualticks = true;
  offlineticks = ms;
}

void setoffscreen(bool on) { offscreen = on; }

bool isoffscreen() { return offscreen; }
