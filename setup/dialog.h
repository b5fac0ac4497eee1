#pragma once
// The setup dialog: a 350 x 130 window with four resolutions, three options, "Intro" to start
// the demo and "Die" to quit. Each frame draws the widgets and then handles at most one event
// against that frame's pointer position; the handling is plain logic on the widget table.
#include <SDL/SDL.h>

#include <array>

#include "setup/CGUIComponent.h"

constexpr int dialogwidth = 350;
constexpr int dialogheight = 130;
constexpr int dialogwidgetcount = 9;

// Widget indices: radio buttons 0 to 3 (640x480 down to 1280x1024), then these.
constexpr int introbutton = 4;
constexpr int diebutton = 5;
constexpr int fullscreenbox = 6;
constexpr int musicbox = 7;
constexpr int fallbackbox = 8;

using DialogWidgets = std::array<CGUIComponent, dialogwidgetcount>;

struct DialogState {
  DialogWidgets widgets;
  bool done;
  int pressed;  // widget of the most recent button press, -1 for none
};

// The widgets with their starting choices: 1280x1024, full screen and music.
DialogState startdialog();

// The drawing half of one frame, leaving the 3D state the demo expects.
void drawdialog(DialogWidgets& widgets);

enum class DialogOutcome { quit, start, failed };

// Opens the dialog window and runs it to its end. On start, fullscreen tells the demo how to
// set its video mode; the window stays open for it. On failed, a reason is on stderr.
DialogOutcome runsetupdialog(bool& fullscreen);

// Sets the demo's video mode on the dialog's window and leaves the GL state the dialog left (font
// lists, pixel alignment, smoothing, viewport), also where the SDL in use (sdl12-compat) makes a
// new context for the new mode. Returns SDL_SetVideoMode's surface: null when it failed.
SDL_Surface* opendemowindow(int width, int height, bool fullscreen);
