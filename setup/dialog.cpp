#include "setup/dialog_internal.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "setup/CGUIMouse.h"
#include "runtime/demo.h"
#include "setup/rasterfont.h"
#include "runtime/seam.h"
#include "toolkit/tarvok.h"

namespace {
constexpr int firstresolution = 0;
constexpr int resolutioncount = 4;
// Radio buttons exclude each other only among the first six widgets.
constexpr int radioscope = 6;

struct Resolution {
  int width;
  int height;
  const char* label;
};
constexpr Resolution resolutions[resolutioncount] = {
    {640, 480, "640x480"}, {800, 600, "800x600"}, {1024, 768, "1024x768"}, {1280, 1024, "1280x1024"}};

CGUIComponent makewidget(int type, int x, int y, int width, int height, const char* text,
                         int align, bool selected) {
  CGUIComponent widget;
  widget.setDimension(x, y, width, height);
  widget.setType(type);
  widget.setText(text, align);
  widget.selected = selected;
  return widget;
}

void selectradio(DialogWidgets& widgets, int chosen) {
  CGUIComponent& radio = widgets[chosen];
  if (radio.selected) return;
  radio.selected = true;
  for (int i = 0; i < radioscope; ++i)
    if (i != chosen && widgets[i].type == guiradiobutton && widgets[i].group == radio.group)
      widgets[i].selected = false;
}

// A left press acts at once: boxes toggle, radios select, anything else ends the dialog.
void leftpress(DialogState& dialog, int hit) {
  CGUIComponent& widget = dialog.widgets[hit];
  switch (widget.type) {
    case guicheckbox:
    case guicombobox:
      widget.selected = !widget.selected;
      break;
    case guiradiobutton:
      selectradio(dialog.widgets, hit);
      break;
    default:
      widget.selected = true;
      dialog.done = true;
      break;
  }
  GUIMouseEvent.buttonDown = true;
}

void buttonpress(DialogState& dialog, const SDL_MouseButtonEvent& button, int hit) {
  dialog.pressed = -1;
  if (hit < 0) return;
  CGUIComponent& widget = dialog.widgets[hit];
  widget.grabX = GUIMouseEvent.x;
  widget.grabY = GUIMouseEvent.y;
  if (button.button == SDL_BUTTON_LEFT && !GUIMouseEvent.buttonDown) leftpress(dialog, hit);
  dialog.pressed = hit;
}

// Releasing the left button lets a pressed push button spring back; choices stay.
void buttonrelease(DialogState& dialog, const SDL_MouseButtonEvent& button) {
  if (button.button != SDL_BUTTON_LEFT || !GUIMouseEvent.buttonDown) return;
  // The press may have been replaced by another button's press off the widgets.
  if (dialog.pressed >= 0) {
    CGUIComponent& widget = dialog.widgets[dialog.pressed];
    if (widget.type != guiradiobutton && widget.type != guicheckbox) widget.selected = false;
  }
  GUIMouseEvent.buttonDown = false;
}

void keypress(DialogState& dialog, SDLKey key) {
  if (key == SDLK_RETURN) {
    dialog.widgets[introbutton].selected = true;
    dialog.done = true;
  } else if (key == SDLK_ESCAPE) {
    dialog.done = true;
  }
}

void handleevent(DialogState& dialog, const SDL_Event& event, int hit) {
  switch (event.type) {
    case SDL_QUIT:
      dialog.done = true;
      break;
    case SDL_KEYDOWN:
      keypress(dialog, event.key.keysym.sym);
      break;
    case SDL_MOUSEBUTTONDOWN:
      buttonpress(dialog, event.button, hit);
      break;
    case SDL_MOUSEBUTTONUP:
      buttonrelease(dialog, event.button);
      break;
    default:
      break;
  }
}

bool cannotstart(const char* what) {
  std::fprintf(stderr, "tessivar: cannot %s: %s\n", what, SDL_GetError());
  return false;
}

bool opendialogwindow() {
  if (SDL_Init(SDL_INIT_VIDEO) < 0) return cannotstart("start SDL video");
  SDL_WM_SetCaption(getapptitle(), nullptr);
  if (!SDL_SetVideoMode(dialogwidth, dialogheight, 0, SDL_OPENGL)) {
    cannotstart("open the 350x130 OpenGL setup window");
    SDL_Quit();
    return false;
  }
  return true;
}
}  // namespace

DialogState startdialog() {
  DialogState dialog{};
  for (int i = 0; i < resolutioncount; ++i)
    dialog.widgets[firstresolution + i] = makewidget(guiradiobutton, 10, 100 - 20 * i, 15, 15,
                                                     resolutions[i].label, 0, i == 3);
  dialog.widgets[introbutton] = makewidget(guipushbutton, 10, 10, 60, 25, "Intro", 1, false);
  dialog.widgets[diebutton] = makewidget(guipushbutton, 80, 10, 60, 25, "Die", 1, false);
  dialog.widgets[fullscreenbox] = makewidget(guicheckbox, 160, 100, 15, 15, "fullscreen", 0, true);
  dialog.widgets[musicbox] = makewidget(guicheckbox, 160, 80, 15, 15, "music", 0, true);
  dialog.widgets[fallbackbox] = makewidget(guicheckbox, 160, 60, 15, 15, "fallback", 0, false);
  dialog.done = false;
  dialog.pressed = -1;
  return dialog;
}

int dialoghit(const DialogWidgets& widgets, int x, int y) {
  for (int i = 0; i < dialogwidgetcount; ++i)
    if (widgets[i].mouseEntered(x, y)) return i;
  return -1;
}

void dialogframe(DialogState& dialog, const SDL_Event* event, int windowx, int windowy) {
  GUIMouseEvent.x = windowx;
  GUIMouseEvent.y = dialogheight - windowy;
  // The pointer where this frame finds it decides, not the position the event carries.
  const int hit = dialoghit(dialog.widgets, GUIMouseEvent.x, GUIMouseEvent.y);
  if (event) handleevent(dialog, *event, hit);
}

void drawdialog(DialogWidgets& widgets) {
  glEnable(GL_LINE_SMOOTH);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glClearColor(0, 0, 0, 1);
  glLineWidth(1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);

  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, dialogwidth, 0, dialogheight, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (CGUIComponent& widget : widgets) widget.draw();
  glPopMatrix();

  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.1538461538, 0.01, 1000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool dialogstarts(const DialogState& dialog) { return dialog.widgets[introbutton].selected; }

void handoverchoices(const DialogState& dialog) {
  setsoundon(dialog.widgets[musicbox].selected);
  setDriverFallback(dialog.widgets[fallbackbox].selected);
  for (int i = 0; i < resolutioncount; ++i)
    if (dialog.widgets[firstresolution + i].selected)
      setscrd(resolutions[i].width, resolutions[i].height);
}

namespace {
DialogWidgets lastwidgets;  // as the dialog's last frame drew them
}  // namespace

DialogOutcome runsetupdialog(bool& fullscreen) {
  if (!opendialogwindow()) return DialogOutcome::failed;
  makeRasterFont();
  DialogState dialog = startdialog();
  while (!dialog.done) {
    SDL_Delay(1);
    drawdialog(dialog.widgets);
    presentframe();
    SDL_Event event;
    const bool gotevent = SDL_PollEvent(&event) != 0;
    int windowx = 0, windowy = 0;
    SDL_GetMouseState(&windowx, &windowy);
    dialogframe(dialog, gotevent ? &event : nullptr, windowx, windowy);
  }
  lastwidgets = dialog.widgets;
  if (!dialogstarts(dialog)) return DialogOutcome::quit;
  fullscreen = dialog.widgets[fullscreenbox].selected;
  if (fullscreen) SDL_ShowCursor(SDL_DISABLE);
  handoverchoices(dialog);
  return DialogOutcome::start;
}

SDL_Surface* opendemowindow(int width, int height, bool fullscreen) {
  const Uint32 flags = fullscreen ? (SDL_OPENGL | SDL_FULLSCREEN) : SDL_OPENGL;
  SDL_Surface* surface = SDL_SetVideoMode(width, height, 0, flags);
  if (!surface) return nullptr;
  // A new context has lost the font lists, among the rest.
  if (!glIsList(fontOffset + firstglyph)) {
    makeRasterFont();
    drawdialog(lastwidgets);
  }
  // Classic SDL leaves the dialog's viewport; sdl12-compat sets one the size of the new mode.
  glViewport(0, 0, dialogwidth, dialogheight);
  return surface;
}
