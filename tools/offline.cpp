#include "tools/offline.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <sys/resource.h>

#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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
  const EGLint error = eglGetError();
  if (error == EGL_BAD_ALLOC)
    std::fprintf(stderr, "%s: out of memory making the offscreen context (%s)\n",
                 program_invocation_short_name, what);
  else
    std::fprintf(stderr, "%s: offscreen rendering unavailable: %s (EGL error 0x%x)\n",
                 program_invocation_short_name, what, error);
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

bool wantsoftware = false;
std::string renderername;
std::string platformname;

template <typename Function>
Function eglfunction(const char* name) {
  return reinterpret_cast<Function>(eglGetProcAddress(name));
}

bool hasextension(const char* list, const char* name) {
  if (!list) return false;
  const size_t length = std::strlen(name);
  for (const char* at = std::strstr(list, name); at; at = std::strstr(at + length, name))
    if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  return false;
}

// Mesa offers its software rasteriser as an EGL device of its own; any other device is a GPU.
bool issoftwaredevice(EGLDeviceEXT device) {
  auto querydevicestring = eglfunction<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
  return querydevicestring &&
         hasextension(querydevicestring(device, EGL_EXTENSIONS), "EGL_MESA_device_software");
}

// The first EGL device of the kind wanted, or EGL_NO_DEVICE_EXT where the driver enumerates none.
EGLDeviceEXT finddevice(bool software) {
  const char* clientextensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!hasextension(clientextensions, "EGL_EXT_device_enumeration") ||
      !hasextension(clientextensions, "EGL_EXT_platform_device"))
    return EGL_NO_DEVICE_EXT;
  auto querydevices = eglfunction<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
  EGLint count = 0;
  if (!querydevices || !querydevices(0, nullptr, &count) || count <= 0) return EGL_NO_DEVICE_EXT;
  std::vector<EGLDeviceEXT> devices(count);
  if (!querydevices(count, devices.data(), &count)) return EGL_NO_DEVICE_EXT;
  for (int i = 0; i < count; ++i)
    if (issoftwaredevice(devices[i]) == software) return devices[i];
  return EGL_NO_DEVICE_EXT;
}

bool initialise(EGLDisplay display) {
  egldisplay = display;
  if (egldisplay != EGL_NO_DISPLAY && eglInitialize(egldisplay, nullptr, nullptr)) return true;
  egldisplay = EGL_NO_DISPLAY;
  return false;
}

// A GPU device first; Mesa's surfaceless platform otherwise (on Mesa that is the GPU too when its
// driver has one, else the software rasteriser). Asked for software: Mesa's software device, or
// the surfaceless platform told to stay in software.
bool opendisplay() {
  auto getplatformdisplay =
      eglfunction<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
  if (!getplatformdisplay) return false;
  const EGLDeviceEXT device = finddevice(wantsoftware);
  if (device != EGL_NO_DEVICE_EXT &&
      initialise(getplatformdisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr))) {
    platformname = wantsoftware ? "the software EGL device" : "a GPU's EGL device";
    return true;
  }
  if (wantsoftware) setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  platformname = "Mesa's surfaceless platform";
  return initialise(getplatformdisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
}
}  // namespace

void setofflinesoftware(bool software) { wantsoftware = software; }

bool parseofflinedevice(const char* value) {
  if (std::strcmp(value, "auto") && std::strcmp(value, "software")) return false;
  setofflinesoftware(!std::strcmp(value, "software"));
  return true;
}

std::string offlinerenderer() { return renderername + " (" + platformname + ")"; }

bool enoughaddressspace(unsigned long megabytes, const char* what) {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
      limit.rlim_cur >= rlim_t(megabytes) << 20)
    return true;
  std::fprintf(stderr,
               "%s: out of memory making %s: the address space is limited to %llu MB (ulimit -v), "
               "and it takes about %lu MB\n",
               program_invocation_short_name, what,
               static_cast<unsigned long long>(limit.rlim_cur >> 20), megabytes);
  return false;
}

bool openoffscreen(int width, int height, bool stencil) {
  closeoffscreen();
  // Mesa's software rasteriser, its shader compiler and the frames take about 700 MB; with less,
  // its compiler crashes rather than failing.
  if (!enoughaddressspace(768, "the offscreen context")) return false;
  if (!opendisplay()) return fail("no EGL device or surfaceless display");
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
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  renderername = renderer ? renderer : "an unnamed renderer";
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
  if (texturefailures().empty()) {
    std::fprintf(stderr, "%s: drawing with %s\n", program_invocation_short_name,
                 offlinerenderer().c_str());
    return true;
  }
  const TextureFailure& failure = texturefailures().front();
  if (failure.error == ENOMEM)
    std::fprintf(stderr, "%s: out of memory loading %s\n", program_invocation_short_name,
                 failure.file.c_str());
  else
    std::fprintf(stderr, "%s: cannot load %s: %s%s\n", program_invocation_short_name,
                 failure.file.c_str(), failure.reason.c_str(),
                 failure.error == ENOENT ? " (run it from the folder that holds data/)" : "");
  stopofflinedemo();
  return false;
}

void stopofflinedemo() {
  freedemo();
  closeoffscreen();
}
