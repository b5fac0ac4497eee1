#include "tools/offline.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "runtime/demo.h"
#include "setup/dialog.h"
#include "setup/rasterfont.h"
#include "runtime/seam.h"
#include "toolkit/tarvok.h"
#include "toolkit/texman.h"

namespace {
EGLDisplay egldisplay = EGL_NO_DISPLAY;
EGLContext eglcontext = EGL_NO_CONTEXT;
EGLSurface eglsurface = EGL_NO_SURFACE;

bool fail(const char* what) {
  std::fprintf(stderr, "tessivar: offscreen rendering unavailable: %s (EGL error 0x%x)\n", what,
               eglGetError());
  closeoffscreen();
  return false;
}

int attrib(EGLConfig config, EGLint name) {
  EGLint value = 0;
  eglGetConfigAttrib(egldisplay, config, name, &value);
  return value;
}

// The window gets the deepest depth buffer the driver offers and no stencil; match that with a
// plain 8-bit RGBA config (eglChooseConfig would put deeper colour first).
EGLConfig pickconfig(bool stencil) {
  const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                           EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                           EGL_DEPTH_SIZE, 16, EGL_STENCIL_SIZE, stencil ? 8 : 0, EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(egldisplay, wanted, nullptr, 0, &count) || count == 0) return nullptr;
  std::vector<EGLConfig> configs(count);
  eglChooseConfig(egldisplay, wanted, configs.data(), count, &count);
  EGLConfig best = nullptr;
  int bestdepth = 0;
  for (EGLConfig config : configs) {
    const bool rgba8 = attrib(config, EGL_RED_SIZE) == 8 && attrib(config, EGL_GREEN_SIZE) == 8 &&
                       attrib(config, EGL_BLUE_SIZE) == 8 && attrib(config, EGL_ALPHA_SIZE) == 8;
    const bool stencilmatches = (attrib(config, EGL_STENCIL_SIZE) > 0) == stencil;
    const int depth = attrib(config, EGL_DEPTH_SIZE);
    if (rgba8 && stencilmatches && depth > bestdepth) {
      best = config;
      bestdepth = depth;
    }
  }
  return best;
}
}  // namespace

bool openoffscreen(int width, int height, bool stencil) {
  closeoffscreen();
  auto getplatformdisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getplatformdisplay) return fail("no eglGetPlatformDisplayEXT");
  egldisplay = getplatformdisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (egldisplay == EGL_NO_DISPLAY || !eglInitialize(egldisplay, nullptr, nullptr))
    return fail("no surfaceless display");
  EGLConfig config = pickconfig(stencil);
  if (!config) return fail("no 8-bit RGBA pbuffer config");
  if (!eglBindAPI(EGL_OPENGL_API)) return fail("no desktop OpenGL");
  eglcontext = eglCreateContext(egldisplay, config, EGL_NO_CONTEXT, nullptr);
  if (eglcontext == EGL_NO_CONTEXT) return fail("cannot create a context");
  const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  eglsurface = eglCreatePbufferSurface(egldisplay, config, size);
  if (eglsurface == EGL_NO_SURFACE) return fail("cannot create a pbuffer");
  if (!eglMakeCurrent(egldisplay, eglsurface, eglsurface, eglcontext))
    return fail("cannot make the context current");
  setoffscreen(true);
  setofflineticks(0);
  return true;
}

void closeoffscreen() {
  if (egldisplay != EGL_NO_DISPLAY) {
    eglMakeCurrent(egldisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (eglsurface != EGL_NO_SURFACE) eglDestroySurface(egldisplay, eglsurface);
    if (eglcontext != EGL_NO_CONTEXT) eglDestroyContext(egldisplay, eglcontext);
    eglTerminate(egldisplay);
  }
  egldisplay = EGL_NO_DISPLAY;
  eglcontext = EGL_NO_CONTEXT;
  eglsurface = EGL_NO_SURFACE;
  setoffscreen(false);
}

bool openofflinewindow(int width, int height) {
  if (!openoffscreen(width, height)) return false;
  // The dialog builds its font and draws at least one frame, leaving lines smoothed. Its window's
  // 350x130 viewport is not copied: the window's first frame, drawn in it, falls in the black
  // first instants of the show, but a render starting later would open on a squeezed picture.
  makeRasterFont();
  DialogState dialog = startdialog();
  drawdialog(dialog.widgets);
  setscrd(width, height);
  return true;
}

bool startofflinedemo(int width, int height) {
  if (!openofflinewindow(width, height)) return false;
  setofflineticks(0);
  setsoundon(false);  // pictures only: no audio device is opened
  initdemo(0);
  // The player draws a scene untextured when its image is missing; a tool's frames would be wrong.
  if (texturefailure().empty()) return true;
  std::fprintf(stderr, "%s: cannot load %s (run it from the folder that holds data/)\n",
               program_invocation_short_name, texturefailure().c_str());
  stopofflinedemo();
  return false;
}

void stopofflinedemo() {
  freedemo();
  closeoffscreen();
}
