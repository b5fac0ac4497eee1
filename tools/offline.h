#pragma once
// The demo without a window: a surfaceless EGL context on Mesa and the demo's own start-up in it,
// shared by the renderer, the exporter, the bench and the tests.

// A pbuffer with 8-bit RGBA, a depth buffer and, on request, a stencil buffer (the demo window has
// none). Returns false, with a reason on stderr, when it cannot.
bool openoffscreen(int width, int height, bool stencil = false);
void closeoffscreen();

// Opens a width x height context and leaves in it what the setup dialog leaves in the window's
// context before the demo starts. Returns false, with a reason on stderr, when it cannot.
bool openofflinewindow(int width, int height);

// openofflinewindow, then the demo's start-up, silently and without music, with the clock at 0.
// Returns false, with the reason on stderr, when the context cannot open or a texture cannot load.
bool startofflinedemo(int width, int height);
void stopofflinedemo();
