// Tessivar: the setup dialog collects the choices, then the demo plays in the same window until
// its score ends, Escape, SIGINT or SIGTERM, and the program exits.
#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/demo.h"
#include "runtime/seam.h"
#include "runtime/sound.h"
#include "setup/dialog.h"
#include "toolkit/descriptors.h"
#include "toolkit/tarvok.h"
#include "toolkit/texman.h"
#include "runtime/version.h"

namespace {
constexpr int keepgoing = -1;

volatile std::sig_atomic_t caughtsignal = 0;
Window demowindow = 0;  // the top-level X window the demo plays in
bool windowlost = false;  // X told of its destruction, or refused a request on a drawable gone
XErrorHandler sdlxerrorhandler = nullptr;
const char* making = "the setup dialog";  // for the one line should memory run out

void onsignal(int number) { caughtsignal = number; }

// SDL would turn SIGINT and SIGTERM into the same quit event as the window's close button; handlers
// of our own, in place before SDL starts (it then leaves them), end the dialog and the demo with
// the conventional status. No SA_RESTART: a blocking call returns rather than waiting on.
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
    windowlost = true;
    return 0;
  }
  return sdlxerrorhandler ? sdlxerrorhandler(display, error) : 0;
}

// Only an Escape press, the one event that ends the demo, enters SDL's 128-event queue, so that
// pointer motion and other input can never fill it and push an Escape out. The close request is
// dropped here; the window's destruction (X reports it to SDL, which would play on into nothing)
// is noted beside the queue.
int keepescape(const SDL_Event* event) {
  switch (event->type) {
    case SDL_KEYDOWN:
      return event->key.keysym.sym == SDLK_ESCAPE;
    case SDL_SYSWMEVENT: {
      const XEvent& x = event->syswm.msg->event.xevent;
      if (x.type == DestroyNotify && x.xdestroywindow.window == demowindow) windowlost = true;
      return 0;
    }
    default:
      return 0;
  }
}

// Watches for the demo's window being destroyed by another program.
void watchwindow() {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) == 1 && info.subsystem == SDL_SYSWM_X11) {
    demowindow = info.info.x11.wmwindow;
    sdlxerrorhandler = XSetErrorHandler(notelosterror);
  }
  SDL_SetEventFilter(keepescape);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

// Once the window is gone, SDL's and GL's requests on it fail; those errors are expected.
void windowgone() {
  XSetErrorHandler(ignorexerror);
  std::fprintf(stderr, "tessivar: the demo window was closed by another program\n");
}

// At most one event a frame: an Escape ends the demo with 0. A signal outranks the window's loss
// (1), which outranks Escape; both are flags, outside the queue. Returns keepgoing otherwise.
int frameending() {
  SDL_Event event;
  const bool escape = SDL_PollEvent(&event) == 1 && event.type == SDL_KEYDOWN &&
                      event.key.keysym.sym == SDLK_ESCAPE;
  if (caughtsignal) return 128 + caughtsignal;
  if (windowlost) {
    windowgone();
    return 1;
  }
  return escape ? 0 : keepgoing;
}

// The demo plays on without what failed to load (untextured, or silent) and says what that was.
void warnmissingdata(bool musicchosen) {
  for (const TextureFailure& failure : texturefailures())
    std::fprintf(stderr, "tessivar: cannot load %s: %s; its scenes draw untextured\n",
                 failure.file.c_str(), failure.reason.c_str());
  if (musicchosen && !getsoundon())
    std::fprintf(stderr, "tessivar: music off: %s\n", soundfailure().c_str());
}

int rundemo(bool fullscreen) {
  making = "the demo window";
  if (!opendemowindow(getscrw(), getscrh(), fullscreen)) {
    std::fprintf(stderr, "tessivar: cannot open a %dx%d OpenGL window: %s\n", getscrw(),
                 getscrh(), SDL_GetError());
    SDL_Quit();
    return 1;
  }
  watchwindow();
  SDL_ShowCursor(SDL_DISABLE);
  const bool musicchosen = getsoundon();
  making = "the demo's textures, scenes and music";
  initdemo(0);
  warnmissingdata(musicchosen);
  making = "the demo's frames";
  int status = keepgoing;
  while (status == keepgoing && dodemo()) {
    presentframe();
    SDL_Delay(1);
    status = frameending();
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

int play() {
  catchsignals();
  bool fullscreen = false;
  switch (runsetupdialog(fullscreen, &caughtsignal)) {
    case DialogOutcome::failed:
      return 1;
    case DialogOutcome::quit:
      SDL_Quit();
      return caughtsignal ? 128 + caughtsignal : 0;
    case DialogOutcome::start:
      break;
  }
  return rundemo(fullscreen);
}
}  // namespace

int main(int argc, char** argv) {
  if (!keepstandarddescriptors()) return 1;
  if (askedversion(argc, argv)) return printversion("tessivar");
  if (!havedisplay()) return 1;
  try {
    return play();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tessivar: out of memory making %s\n", making);
    return 1;
  }
}
