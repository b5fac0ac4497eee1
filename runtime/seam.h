#pragma once
// The one place that knows where frames go and where time comes from: the SDL window with SDL's
// millisecond ticks, or an offscreen context (opened by the tools, see tools/offline.h) whose ticks
// the caller sets.

void presentframe();        // show the back buffer (SDL_GL_SwapBuffers in the window)
unsigned int getticks();    // milliseconds for the demo clock

// Frames drawn offscreen are read back by the caller instead of being swapped to a window.
void setoffscreen(bool on);
bool isoffscreen();
// From the first call on, the clock reads these ticks instead of SDL's (offscreen and in tests).
void setofflineticks(unsigned int ms);
