// Tessivar: the setup dialog collects the choices, then the demo plays in the same window until
// its score ends, Escape, the window's close button, SIGINT or SIGTERM, and the program exits.
#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/demo.h"
#include "setup/dialog.h"
#include "runtime/seam.h"
#include "toolkit/tarvok.h"
#include "runtime/version.h"

namespace {
constexpr int keepgoing = -1;

volatile std::sig_atomic_t caughtsignal = 0;
Window demowindow = 0;  // the top-level X window the demo plays in
bool drawablelost = false;  // X refused a request on a window or drawable that is gone
XErrorHandler sdlxerrorhandler = nullptr;

void onsignal(int number) { caughtsignal = number; }

// SDL turns SIGINT and SIGTERM into the same quit event as the window's close button; handlers of
// our own keep them apart, so that a signal ends the demo with the conventional status.
void catchsignals() {
  struct sigaction action {};
  action.sa_handler = onsignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int ignorexerror(Display*, XErrorEvent*) { return 0; }

// sdl12-compat does not pass X's DestroyNotify on, and the first sign of a destroyed window is an
// error from GL's next request on it, which X's default handler would answer by exiting. Errors
// of any other kind go on to the handler SDL installed.
int notelosterror(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable) {
    drawablelost = true;
    return 0;
  }
  return sdlxerrorhandler ? sdlxerrorhandler(display, error) : 0;
}

// What an event means for the demo: the exit status it ends the demo with, or keepgoing.
int endingstatus(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      return event.key.keysym.sym == SDLK_ESCAPE ? 0 : keepgoing;
    case SDL_QUIT:  // the window's close request (the signals are caught apart)
      return 0;
    case SDL_SYSWMEVENT: {
      const XEvent& x = event.syswm.msg->event.xevent;
      return x.type == DestroyNotify && x.xdestroywindow.window == demowindow ? 1 : keepgoing;
    }
    default:
      return keepgoing;
  }
}

// Only what can end the demo enters SDL's 128-event queue, so that pointer motion and other
// input can never fill it and push an Escape out.
int keepifending(const SDL_Event* event) { return endingstatus(*event) != keepgoing; }

// Watches for the demo's window being destroyed by another program (X reports it to SDL, which
// otherwise ignores it and plays on into nothing).
void watchwindow() {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) == 1 && info.subsystem == SDL_SYSWM_X11) {
    demowindow = info.info.x11.wmwindow;
    sdlxerrorhandler = XSetErrorHandler(notelosterror);
  }
  SDL_SetEventFilter(keepifending);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

// Once the window is gone, SDL's and GL's requests on it fail; those errors are expected.
void windowgone() {
  XSetErrorHandler(ignorexerror);
  std::fprintf(stderr, "tessivar: the demo window was closed by another program\n");
}

// Reads every pending event. Returns the exit status once the demo is to end, else keepgoing; a
// signal outranks the window's loss, which outranks Escape and the close request.
int pollending() {
  int status = keepgoing;
  SDL_Event event;
  while (SDL_PollEvent(&event)) status = std::max(status, endingstatus(event));
  if (drawablelost) status = std::max(status, 1);
  if (status == 1) windowgone();
  return caughtsignal ? 128 + caughtsignal : status;
}

int rundemo(bool fullscreen) {
  catchsignals();
  if (!opendemowindow(getscrw(), getscrh(), fullscreen)) {
    std::fprintf(stderr, "tessivar: cannot open a %dx%d OpenGL window: %s\n", getscrw(),
                 getscrh(), SDL_GetError());
    SDL_Quit();
    return 1;
  }
  watchwindow();
  SDL_ShowCursor(SDL_DISABLE);
  initdemo(0);
  int status = keepgoing;
  while (status == keepgoing && dodemo()) {
    presentframe();
    SDL_Delay(1);
    status = pollending();
  }
  freedemo();
  // With its window gone SDL's teardown of it could only fail (under sdl12-compat, fatally).
  if (status != 1) SDL_Quit();
  return status == keepgoing ? 0 : status;
}

bool isset(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// sdl12-compat (SDL 1.2.50 and up) plays over SDL 2, which drives Wayland as well as X.
bool sdlcandrivewayland() { return SDL_Linked_Version()->patch >= 50; }

// With neither a display nor another video driver asked for, SDL would fall back to a text
// console driver that prints control sequences before failing.
bool havedisplay() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const bool anydriver = !driver || !*driver;
  if (!anydriver && std::strcmp(driver, "x11") != 0) return true;
  if (isset("DISPLAY")) return true;
  if (anydriver && isset("WAYLAND_DISPLAY") && sdlcandrivewayland()) return true;
  std::fprintf(stderr, "tessivar: no display: DISPLAY is not set%s\n",
               isset("WAYLAND_DISPLAY") && !sdlcandrivewayland()
                   ? " (this SDL 1.2 cannot drive Wayland; sdl12-compat can)"
                   : "");
  return false;
}
}  // namespace

int main(int argc, char** argv) {
  if (askedversion(argc, argv)) return printversion("tessivar");
  if (!havedisplay()) return 1;
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
