#pragma once
// The dialog's frame logic, open to its tests: hits, events and the hand-over of the choices.
#include "setup/dialog.h"

// Index of the first widget under (x, y) in dialog pixels (y up), -1 for none.
int dialoghit(const DialogWidgets& widgets, int x, int y);

// The event half of one frame: takes the pointer in window pixels (y down), stores it flipped
// in GUIMouseEvent and applies the event (none when the queue was empty).
void dialogframe(DialogState& dialog, const SDL_Event* event, int windowx, int windowy);

// True when the dialog ended with "Intro" (or Return).
bool dialogstarts(const DialogState& dialog);

// Writes the resolution, music and fallback choices into the runtime settings.
void handoverchoices(const DialogState& dialog);
