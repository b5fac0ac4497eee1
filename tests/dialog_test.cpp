// The setup dialog's frames as plain logic: events and pointer positions in, choices out.
#include <gtest/gtest.h>

#include <vector>

#include "CGUIMouse.h"
#include "dialog.h"
#include "tarvok.h"

namespace {
// Widget centres in window pixels (y down), as the pointer reaches them.
struct Point {
  int x;
  int y;
};
Point centreof(const CGUIComponent& widget) {
  return Point{widget.x + widget.width / 2, dialogheight - (widget.y + widget.height / 2)};
}
constexpr Point nowhere{300, 20};

SDL_Event buttonevent(Uint8 type, Uint8 button, Point carried = Point{0, 0}) {
  SDL_Event event{};
  event.type = type;
  event.button.type = type;
  event.button.button = button;
  event.button.x = static_cast<Uint16>(carried.x);
  event.button.y = static_cast<Uint16>(carried.y);
  return event;
}

SDL_Event keyevent(Uint8 type, SDLKey key) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.keysym.sym = key;
  return event;
}

class Dialog : public ::testing::Test {
 protected:
  void SetUp() override {
    GUIMouseEvent = CGUIMouse();
    dialog = startdialog();
  }

  void frame(const SDL_Event& event, Point pointer) {
    dialogframe(dialog, &event, pointer.x, pointer.y);
  }
  void press(int index, Uint8 button = SDL_BUTTON_LEFT) {
    frame(buttonevent(SDL_MOUSEBUTTONDOWN, button), centreof(dialog.widgets[index]));
  }
  void release(Point at, Uint8 button = SDL_BUTTON_LEFT) {
    frame(buttonevent(SDL_MOUSEBUTTONUP, button), at);
  }
  void click(int index) {
    press(index);
    release(centreof(dialog.widgets[index]));
  }
  std::vector<bool> selection() const {
    std::vector<bool> selected;
    for (const CGUIComponent& widget : dialog.widgets) selected.push_back(widget.selected);
    return selected;
  }

  DialogState dialog{};
};

TEST_F(Dialog, OpensWithTheLargestResolutionFullScreenAndMusic) {
  EXPECT_EQ(selection(),
            (std::vector<bool>{false, false, false, true, false, false, true, true, false}));
  EXPECT_FALSE(dialog.done);
  EXPECT_EQ(dialog.pressed, -1);
  EXPECT_EQ(dialog.widgets[introbutton].text, "Intro");
  EXPECT_EQ(dialog.widgets[introbutton].textAlign, 1);
  EXPECT_EQ(dialog.widgets[fullscreenbox].textAlign, 0);
  // Every widget is reached at its own centre and nothing overlaps.
  for (int i = 0; i < dialogwidgetcount; ++i) {
    const Point centre = centreof(dialog.widgets[i]);
    EXPECT_EQ(dialoghit(dialog.widgets, centre.x, dialogheight - centre.y), i);
  }
  EXPECT_EQ(dialoghit(dialog.widgets, nowhere.x, dialogheight - nowhere.y), -1);
}

TEST_F(Dialog, IntroStartsWithTheDefaults) {
  press(introbutton);
  EXPECT_TRUE(dialog.done);
  ASSERT_TRUE(dialogstarts(dialog));
  setscrd(1, 1);
  setsoundon(false);
  setDriverFallback(true);
  handoverchoices(dialog);
  EXPECT_EQ(getscrw(), 1280);
  EXPECT_EQ(getscrh(), 1024);
  EXPECT_TRUE(getsoundon());
  EXPECT_FALSE(isDriverFallback());
  EXPECT_TRUE(dialog.widgets[fullscreenbox].selected);
}

TEST_F(Dialog, EveryChoiceReachesTheSettings) {
  const int sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (int radio = 0; radio < 4; ++radio) {
    SetUp();
    click(radio);
    click(musicbox);
    click(fallbackbox);
    click(fullscreenbox);
    press(introbutton);
    handoverchoices(dialog);
    EXPECT_EQ(getscrw(), sizes[radio][0]);
    EXPECT_EQ(getscrh(), sizes[radio][1]);
    EXPECT_FALSE(getsoundon());
    EXPECT_TRUE(isDriverFallback());
    EXPECT_FALSE(dialog.widgets[fullscreenbox].selected);
  }
}

TEST_F(Dialog, RadioButtonsExcludeEachOther) {
  click(1);
  EXPECT_EQ(selection(),
            (std::vector<bool>{false, true, false, false, false, false, true, true, false}));
  click(1);
  EXPECT_TRUE(dialog.widgets[1].selected) << "a chosen resolution stays chosen";
  click(0);
  EXPECT_TRUE(dialog.widgets[0].selected);
  EXPECT_FALSE(dialog.widgets[1].selected);
  EXPECT_FALSE(dialog.done);
}

TEST_F(Dialog, RadioExclusionReachesOnlyTheFirstSixWidgets) {
  CGUIComponent& late = dialog.widgets[fallbackbox];
  late.setType(guiradiobutton);
  late.selected = true;
  click(0);
  EXPECT_TRUE(late.selected);
  EXPECT_FALSE(dialog.widgets[3].selected);

  dialog.widgets[2].group = 1;
  dialog.widgets[2].selected = true;
  click(1);
  EXPECT_TRUE(dialog.widgets[2].selected) << "another group is left alone";
  EXPECT_FALSE(dialog.widgets[0].selected);
}

TEST_F(Dialog, CheckBoxesToggleOncePerClick) {
  press(fallbackbox);
  EXPECT_TRUE(dialog.widgets[fallbackbox].selected);
  release(centreof(dialog.widgets[fallbackbox]));
  EXPECT_TRUE(dialog.widgets[fallbackbox].selected) << "the release keeps the tick";
  click(fallbackbox);
  EXPECT_FALSE(dialog.widgets[fallbackbox].selected);
}

TEST_F(Dialog, ReleaseOverAnotherWidgetTogglesOnlyThePressedOne) {
  press(fallbackbox);
  release(centreof(dialog.widgets[musicbox]));
  EXPECT_TRUE(dialog.widgets[fallbackbox].selected);
  EXPECT_TRUE(dialog.widgets[musicbox].selected);
  EXPECT_FALSE(GUIMouseEvent.buttonDown);
}

TEST_F(Dialog, SecondLeftPressBeforeTheReleaseChangesNothing) {
  press(fallbackbox);
  press(musicbox);
  EXPECT_TRUE(dialog.widgets[musicbox].selected);
  EXPECT_EQ(dialog.pressed, musicbox);
  const Point centre = centreof(dialog.widgets[musicbox]);
  EXPECT_EQ(dialog.widgets[musicbox].grabX, centre.x);
  EXPECT_EQ(dialog.widgets[musicbox].grabY, dialogheight - centre.y);
  press(introbutton);
  EXPECT_FALSE(dialog.done) << "the latch holds until the left button comes up";
}

TEST_F(Dialog, RightButtonOnlyRecordsTheGrab) {
  const std::vector<bool> before = selection();
  press(diebutton, SDL_BUTTON_RIGHT);
  press(fallbackbox, SDL_BUTTON_RIGHT);
  EXPECT_EQ(selection(), before);
  EXPECT_FALSE(dialog.done);
  EXPECT_EQ(dialog.pressed, fallbackbox);
  EXPECT_EQ(dialog.widgets[fallbackbox].grabX, 167);
  EXPECT_EQ(dialog.widgets[fallbackbox].grabY, 67);
  EXPECT_FALSE(GUIMouseEvent.buttonDown);
  release(centreof(dialog.widgets[fallbackbox]));
  EXPECT_EQ(selection(), before) << "a left release without its press does nothing";
}

TEST_F(Dialog, PressingOffTheWidgetsForgetsThePressedOne) {
  press(fallbackbox);
  frame(buttonevent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), nowhere);
  EXPECT_EQ(dialog.pressed, -1);
  release(nowhere);
  EXPECT_TRUE(dialog.widgets[fallbackbox].selected);
  EXPECT_FALSE(GUIMouseEvent.buttonDown) << "the latch opens even without a widget to release";
  click(fallbackbox);
  EXPECT_FALSE(dialog.widgets[fallbackbox].selected);
}

TEST_F(Dialog, PushButtonsActOnThePressAndSpringBack) {
  press(diebutton);
  EXPECT_TRUE(dialog.done);
  EXPECT_TRUE(dialog.widgets[diebutton].selected);
  EXPECT_FALSE(dialogstarts(dialog));
  release(nowhere);
  EXPECT_FALSE(dialog.widgets[diebutton].selected);
}

TEST_F(Dialog, KeysAndClosing) {
  frame(keyevent(SDL_KEYDOWN, SDLK_a), nowhere);
  frame(keyevent(SDL_KEYUP, SDLK_RETURN), nowhere);
  EXPECT_FALSE(dialog.done);

  frame(keyevent(SDL_KEYDOWN, SDLK_RETURN), nowhere);
  EXPECT_TRUE(dialog.done);
  EXPECT_TRUE(dialogstarts(dialog)) << "Return starts wherever the pointer is";

  SetUp();
  frame(keyevent(SDL_KEYDOWN, SDLK_ESCAPE), centreof(dialog.widgets[introbutton]));
  EXPECT_TRUE(dialog.done);
  EXPECT_FALSE(dialogstarts(dialog));

  SetUp();
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  frame(quit, centreof(dialog.widgets[introbutton]));
  EXPECT_TRUE(dialog.done);
  EXPECT_FALSE(dialogstarts(dialog));
}

TEST_F(Dialog, PointerIsFlippedAndEdgesHit) {
  dialogframe(dialog, nullptr, 5, 0);
  EXPECT_EQ(GUIMouseEvent.x, 5);
  EXPECT_EQ(GUIMouseEvent.y, dialogheight) << "the top pixel row";
  // The 640x480 button spans y 100 to 115 and x 10 to 25, edges included.
  frame(buttonevent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), Point{25, dialogheight - 115});
  EXPECT_TRUE(dialog.widgets[0].selected);
  EXPECT_EQ(dialog.pressed, 0);
}

TEST_F(Dialog, QueuedEventsMeetThePointerOfTheirOwnFrame) {
  // A burst of clicks, all carrying coordinates over "fallback", worked off one per frame while
  // the pointer moves: each lands where the pointer is when its frame comes.
  const Point carried = centreof(dialog.widgets[fallbackbox]);
  const std::vector<SDL_Event> queue = {buttonevent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, carried),
                                        buttonevent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, carried),
                                        buttonevent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, carried),
                                        buttonevent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, carried)};
  const std::vector<Point> pointer = {centreof(dialog.widgets[musicbox]), nowhere,
                                      centreof(dialog.widgets[1]), nowhere};
  for (size_t i = 0; i < queue.size(); ++i) {
    dialogframe(dialog, nullptr, pointer[i].x, pointer[i].y);  // a frame with an empty queue
    frame(queue[i], pointer[i]);
  }
  EXPECT_EQ(selection(),
            (std::vector<bool>{false, true, false, false, false, false, true, false, false}));
}

TEST_F(Dialog, OtherEventsAreIgnored) {
  const std::vector<bool> before = selection();
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  frame(motion, centreof(dialog.widgets[introbutton]));
  SDL_Event focus{};
  focus.type = SDL_ACTIVEEVENT;
  frame(focus, centreof(dialog.widgets[introbutton]));
  press(musicbox, SDL_BUTTON_MIDDLE);
  release(centreof(dialog.widgets[musicbox]), SDL_BUTTON_MIDDLE);
  EXPECT_EQ(selection(), before);
  EXPECT_FALSE(dialog.done);
}
}  // namespace
