// The setup dialog's frames as plain logic: events and pointer positions in, choices out.
#include <gtest/gtest.h>

#include <string>

#include "setup/CGUIMouse.h"
#include "setup/dialog_internal.h"
#include "toolkit/tarvok.h"

namespace {
constexpr int nowhere = -1;
constexpr Uint8 down = SDL_MOUSEBUTTONDOWN;
constexpr Uint8 up = SDL_MOUSEBUTTONUP;

SDL_Event key(SDLKey sym, Uint8 type = SDL_KEYDOWN) {
  SDL_Event event{};
  event.type = event.key.type = type;
  event.key.keysym.sym = sym;
  return event;
}

class Dialog : public ::testing::Test {
 protected:
  void SetUp() override {
    GUIMouseEvent = CGUIMouse();
    dialog = startdialog();
  }
  // Runs one frame with the pointer (window pixels, y down) at a widget's centre or off them all.
  void frame(const SDL_Event* event, int over) {
    if (over < 0) return dialogframe(dialog, event, 300, 20);
    const CGUIComponent& w = dialog.widgets[over];
    dialogframe(dialog, event, w.x + w.width / 2, dialogheight - (w.y + w.height / 2));
  }
  // Every mouse event carries the position of "fallback": only the frame's pointer may decide.
  void mouse(Uint8 type, int over, Uint8 button = SDL_BUTTON_LEFT) {
    SDL_Event event{};
    event.button = SDL_MouseButtonEvent{type, 0, button, 0, 167, 130 - 67};
    frame(&event, over);
  }
  void click(int over) {
    mouse(down, over);
    mouse(up, over);
  }
  std::string selection() const {
    std::string selected;
    for (const CGUIComponent& widget : dialog.widgets) selected += widget.selected ? '1' : '0';
    return selected;
  }

  DialogState dialog{};
};

TEST_F(Dialog, RadiosExcludeEachOtherAmongTheFirstSixAndChoicesReachTheSettings) {
  EXPECT_EQ(selection(), "000100110");
  click(1);
  click(1);  // a chosen resolution stays chosen
  EXPECT_EQ(selection(), "010000110");
  dialog.widgets[fallbackbox].setType(guiradiobutton);
  dialog.widgets[fallbackbox].selected = true;
  dialog.widgets[2].group = 1;
  dialog.widgets[2].selected = true;
  click(0);
  EXPECT_EQ(selection(), "101000111") << "another group and a late radio are left alone";
  dialog = startdialog();
  for (const int widget : {0, musicbox, fallbackbox, fullscreenbox}) click(widget);
  setsoundon(true);
  setDriverFallback(false);
  mouse(down, introbutton);
  ASSERT_TRUE(dialog.done && dialogstarts(dialog));
  handoverchoices(dialog);
  EXPECT_TRUE(getscrw() == 640 && getscrh() == 480);
  EXPECT_FALSE(getsoundon() || dialog.widgets[fullscreenbox].selected);
  EXPECT_TRUE(isDriverFallback());
}

TEST_F(Dialog, BoxesToggleOncePerLeftPressWhereverTheReleaseIsAndOtherButtonsOnlyGrab) {
  mouse(down, fallbackbox);
  mouse(down, musicbox);                   // a second left press before the release changes nothing
  mouse(up, musicbox, SDL_BUTTON_MIDDLE);  // nor does another button's release
  mouse(down, introbutton);
  EXPECT_FALSE(dialog.done);
  mouse(up, musicbox);
  EXPECT_EQ(selection(), "000100111");
  mouse(down, diebutton, SDL_BUTTON_RIGHT);
  mouse(down, fallbackbox, SDL_BUTTON_MIDDLE);
  EXPECT_EQ(dialog.pressed, fallbackbox);
  EXPECT_TRUE(dialog.widgets[fallbackbox].grabX == 167 && dialog.widgets[fallbackbox].grabY == 67);
  mouse(up, fallbackbox);  // a left release without its press
  const SDL_Event keyup = key(SDLK_RETURN, SDL_KEYUP), other = key(SDLK_a);
  frame(&keyup, introbutton);
  frame(&other, introbutton);
  EXPECT_EQ(selection(), "000100111");
  EXPECT_FALSE(dialog.done);
  // A press off the widgets forgets the pressed one, and the next release still opens the latch.
  mouse(down, fallbackbox);
  mouse(down, nowhere, SDL_BUTTON_RIGHT);
  EXPECT_EQ(dialog.pressed, -1);
  mouse(up, nowhere);
  click(diebutton);
  EXPECT_TRUE(dialog.done && !dialogstarts(dialog) && !dialog.widgets[diebutton].selected);
  EXPECT_EQ(selection(), "000100110");
}
}  // namespace
