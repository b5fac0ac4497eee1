#pragma once
// The demo without a window: an EGL pbuffer context on the machine's GPU (or Mesa's software
// rasteriser) and the demo's own start-up in it, shared by the renderer, the exporter, the bench
// and the tests.
#include <string>

// Software only (the byte-exact reference the golden frames are drawn with) instead of a GPU.
void setofflinesoftware(bool software);
// "llvmpipe (LLVM 15.0.6, 256 bits) (the software EGL device)": what the open context draws with.
std::string offlinerenderer();
// The tools' --device value: "auto" (a GPU when there is one) or "software". False for others.
bool parseofflinedevice(const char* value);

// A pbuffer with 8-bit RGBA, a depth buffer and, on request, a stencil buffer (the demo window has
// none). Returns false, with a reason on stderr, when it cannot.
bool openoffscreen(int width, int height, bool stencil = false);
void closeoffscreen();

// Opens a width x height context and leaves in it what the setup dialog leaves in the window's
// context before the demo starts. Returns false, with a reason on stderr, when it cannot.
bool openofflinewindow(int width, int height);

// openofflinewindow, then the demo's start-up, silently and without music, with the clock at 0;
// names the renderer on stderr. Returns false, with the reason on stderr, when the context cannot open or a texture cannot load.
bool startofflinedemo(int width, int height);
void stopofflinedemo();
