// The setup dialog's frames as plain logic: events and pointer positions in, choices out.
#include <gtest/gtest.h>

#include <string>

#include "CGUIMouse.h"
#include "dialog.h"
#include "tarvok.h"

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

TEST_F(Dialog, DefaultsAndEveryChoiceReachTheSettings) {
  EXPECT_EQ(selection(), "000100110");
  const int sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1280, 1024}};
  for (int radio = 0; radio <= 4; ++radio) {  // 4: the defaults
    SetUp();
    if (radio < 4)
      for (const int widget : {radio, musicbox, fallbackbox, fullscreenbox}) click(widget);
    setsoundon(radio < 4);
    setDriverFallback(radio == 4);
    mouse(down, introbutton);
    ASSERT_TRUE(dialog.done && dialogstarts(dialog));
    handoverchoices(dialog);
    EXPECT_EQ(getscrw(), sizes[radio][0]);
    EXPECT_EQ(getscrh(), sizes[radio][1]);
    EXPECT_EQ(getsoundon(), radio == 4);
    EXPECT_EQ(isDriverFallback(), radio < 4);
    EXPECT_EQ(dialog.widgets[fullscreenbox].selected, radio == 4);
  }
}

TEST_F(Dialog, RadioButtonsExcludeEachOtherAmongTheFirstSixWidgets) {
  click(1);
  click(1);  // a chosen resolution stays chosen
  EXPECT_EQ(selection(), "010000110");
  dialog.widgets[fallbackbox].setType(guiradiobutton);
  dialog.widgets[fallbackbox].selected = true;
  dialog.widgets[2].group = 1;
  dialog.widgets[2].selected = true;
  click(0);
  EXPECT_EQ(selection(), "101000111") << "another group and a late radio are left alone";
  EXPECT_FALSE(dialog.done);
}

TEST_F(Dialog, CheckBoxesToggleOncePerPressWhereverTheReleaseIs) {
  mouse(down, fallbackbox);
  mouse(down, musicbox);  // a second left press before the release changes nothing
  mouse(down, introbutton);
  EXPECT_FALSE(dialog.done);
  mouse(up, musicbox);
  EXPECT_EQ(selection(), "000100111");
  click(fallbackbox);
  EXPECT_EQ(selection(), "000100110");
}

TEST_F(Dialog, OtherButtonsAndEventsOnlyRecordTheGrab) {
  mouse(down, diebutton, SDL_BUTTON_RIGHT);
  mouse(down, fallbackbox, SDL_BUTTON_RIGHT);
  EXPECT_EQ(dialog.pressed, fallbackbox);
  EXPECT_EQ(dialog.widgets[fallbackbox].grabX, 167);
  EXPECT_EQ(dialog.widgets[fallbackbox].grabY, 67);
  EXPECT_FALSE(GUIMouseEvent.buttonDown);
  mouse(up, fallbackbox);  // a left release without its press
  mouse(down, musicbox, SDL_BUTTON_MIDDLE);
  mouse(up, musicbox, SDL_BUTTON_MIDDLE);
  for (const Uint8 type : {SDL_MOUSEMOTION, SDL_ACTIVEEVENT, SDL_KEYUP, SDL_KEYDOWN}) {
    const SDL_Event other = key(type == SDL_KEYDOWN ? SDLK_a : SDLK_RETURN, type);
    frame(&other, introbutton);
  }
  EXPECT_EQ(selection(), "000100110");
  EXPECT_FALSE(dialog.done);
  // A press off the widgets forgets the pressed one, and the next release still opens the latch.
  mouse(down, fallbackbox);
  mouse(down, nowhere, SDL_BUTTON_RIGHT);
  EXPECT_EQ(dialog.pressed, -1);
  mouse(up, nowhere);
  click(fallbackbox);
  EXPECT_EQ(selection(), "000100110");
}

TEST_F(Dialog, ReturnStartsWhileDieEscapeAndClosingQuit) {
  mouse(down, diebutton);
  EXPECT_TRUE(dialog.done && dialog.widgets[diebutton].selected);
  EXPECT_FALSE(dialogstarts(dialog));
  mouse(up, nowhere);
  EXPECT_FALSE(dialog.widgets[diebutton].selected) << "push buttons spring back";
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  const SDL_Event ends[] = {key(SDLK_RETURN), key(SDLK_ESCAPE), quit};
  for (int i = 0; i < 3; ++i) {
    SetUp();
    frame(&ends[i], i == 0 ? nowhere : introbutton);  // the pointer plays no part
    EXPECT_TRUE(dialog.done) << i;
    EXPECT_EQ(dialogstarts(dialog), i == 0) << i;
  }
}

TEST_F(Dialog, QueuedEventsMeetThePointerOfTheirOwnFrame) {
  // Worked off one per frame, with empty frames between, while the pointer moves.
  const int pointer[] = {musicbox, nowhere, 1, nowhere};
  for (int i = 0; i < 4; ++i) {
    frame(nullptr, pointer[i]);
    mouse(i % 2 ? up : down, pointer[i]);
  }
  EXPECT_EQ(selection(), "010000100");
}
}  // namespace
