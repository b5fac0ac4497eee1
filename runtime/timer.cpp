#include "runtime/timer.h"

#include "runtime/seam.h"

namespace {
float starttime = 0;
float currenttime = 0;

// The tick count times the single-precision 0.001, formed in double and only then rounded.
double tickseconds() { return static_cast<double>(getticks()) * static_cast<double>(0.001f); }
}  // namespace

void timer_init() { starttime = static_cast<float>(tickseconds()); }

void timer_addtime(float dt) { starttime = starttime + dt; }

void timer_update() {
  currenttime = static_cast<float>(tickseconds() - static_cast<double>(starttime));
}

float timer_gettime() { return currenttime; }
