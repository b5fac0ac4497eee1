#pragma once
// The one place that knows where frames go and where time comes from: the SDL window with
// SDL's millisecond ticks, or an offscreen EGL pbuffer whose ticks the caller sets.

void presentframe();        // show the back buffer (SDL_GL_SwapBuffers in the window)
unsigned int getticks();    // milliseconds for the demo clock

// Offscreen: a surfaceless EGL pbuffer with 8-bit RGBA, a depth buffer and, on request, a stencil
// buffer (the demo window has none). Returns false, with a reason on stderr, when it cannot.
bool openoffscreen(int width, int height, bool stencil = false);
void closeoffscreen();
bool isoffscreen();
// From the first call on, the clock reads these ticks instead of SDL's (offscreen and in tests).
void setofflineticks(unsigned int ms);
