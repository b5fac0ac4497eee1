// The demo clock over a hand-driven tick source.
#include <gtest/gtest.h>

#include "runtime/seam.h"
#include "runtime/timer.h"

namespace {
float timeafter(unsigned int startms, float offset, unsigned int nowms) {
  setofflineticks(startms);
  timer_init();
  timer_addtime(offset);
  setofflineticks(nowms);
  timer_update();
  return timer_gettime();
}
}  // namespace

TEST(Timer, OneValuePerFrameCountedFromInitAndHeldBackByTheOffset) {
  EXPECT_FLOAT_EQ(timeafter(1000, 0, 3500), 2.5f);
  setofflineticks(9000);  // real time goes on within the frame
  EXPECT_FLOAT_EQ(timer_gettime(), 2.5f);
  timer_update();
  EXPECT_FLOAT_EQ(timer_gettime(), 8.0f);
  EXPECT_FLOAT_EQ(timeafter(0, 2.0f, 5000), 3.0f);
  EXPECT_FLOAT_EQ(timeafter(0, -2.0f, 5000), 7.0f);
}

TEST(Timer, MillisecondsBecomeTheNearestFloatOfTheSinglePrecisionScale) {
  // 158000 ticks times the float 0.001 is 158.0000075 in double: the frame time rounds to 158.
  EXPECT_EQ(timeafter(0, 0, 158000), 158.0f);
  EXPECT_GT(timeafter(0, 0, 158001), 158.0f);
  EXPECT_NEAR(timeafter(20000, 0, 20350), 0.35f, 1e-5);
}
