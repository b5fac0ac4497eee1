#include "setup/CGUIMouse.h"

CGUIMouse GUIMouseEvent;

CGUIMouse::CGUIMouse() : leftDown(false), rightDown(false), buttonDown(false), x(0), y(0) {}
