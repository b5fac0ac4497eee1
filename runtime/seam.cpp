#include "runtime/seam.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

namespace {
bool offscreen = false;
bool manualticks = false;
unsigned int offlineticks = 0;
}  // namespace

void presentframe() {
  if (!offscreen) {
    SDL_GL_SwapBuffers();
    return;
  }
  // Offscreen the frame is only handed to the rasterizer, as a swap would: the loading frames are
  // then drawn while the start-up goes on, not all at once at the first copy.
  glFlush();
}

unsigned int getticks() { return manualticks ? offlineticks : SDL_GetTicks(); }

void setofflineticks(unsigned int ms) {
  manualticks = true;
  offlineticks = ms;
}

void setoffscreen(bool on) { offscreen = on; }

bool isoffscreen() { return offscreen; }
