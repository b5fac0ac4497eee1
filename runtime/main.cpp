// Tessivar: the setup dialog collects the choices, then the demo plays in the same window until
// its score ends or Escape, and the program exits.
#include <SDL/SDL.h>

#include <cstdio>

#include "demo.h"
#include "dialog.h"
#include "seam.h"
#include "tarvok.h"

namespace {
// One event per frame: an Escape press ends the demo, everything else is dropped.
bool escapepressed() {
  SDL_Event event;
  if (!SDL_PollEvent(&event)) return false;
  return event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE;
}

int rundemo(bool fullscreen) {
  const Uint32 flags = fullscreen ? (SDL_OPENGL | SDL_FULLSCREEN) : SDL_OPENGL;
  if (!SDL_SetVideoMode(getscrw(), getscrh(), 0, flags)) {
    std::fprintf(stderr, "tessivar: cannot open a %dx%d OpenGL window: %s\n", getscrw(),
                 getscrh(), SDL_GetError());
    SDL_Quit();
    return 1;
  }
  SDL_ShowCursor(SDL_DISABLE);
  initdemo(0);
  while (dodemo()) {
    presentframe();
    SDL_Delay(1);
    if (escapepressed()) break;
  }
  freedemo();
  SDL_Quit();
  return 0;
}
}  // namespace

int main(int, char**) {
  bool fullscreen = false;
  switch (runsetupdialog(fullscreen)) {
    case DialogOutcome::failed:
      return 1;
    case DialogOutcome::quit:
      SDL_Quit();
      return 0;
    case DialogOutcome::start:
      break;
  }
  return rundemo(fullscreen);
}
