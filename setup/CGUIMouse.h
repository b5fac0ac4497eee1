#pragma once
// The dialog's pointer: where it is (dialog pixels, y up) and the left-button latch.

class CGUIMouse {
 public:
  CGUIMouse();

  bool leftDown;    // unused: cleared here, never read
  bool rightDown;   // unused: cleared here, never read
  bool buttonDown;  // a left press has been handled and its release not yet seen
  int x;
  int y;
};

extern CGUIMouse GUIMouseEvent;
