// Easing curves, the shared random helpers and the line search.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tarvok.h"

TEST(Easing, CurvesMeetTheirEndsAndMiddlesUnclamped) {
  EXPECT_NEAR(cosineinterpolate(2, 6, 0.5f), 4, 1e-6);
  EXPECT_LT(cosineinterpolate(0, 1, 0.1f), 0.1f);  // slow start
  EXPECT_LT(cosineinterpolate(0, 1, 1.5f), 1.0f);  // past 1 it turns back
  EXPECT_NEAR(sineinterpolate(2, 6, 1), 6, 1e-5);
  EXPECT_GT(sineinterpolate(0, 1, 0.1f), 0.1f);  // fast start
  // The bump: b at both ends, a in the middle; 3.141592 falls short of pi, so at x = 1 it still
  // holds 6.5e-7 of a.
  EXPECT_NEAR(sineinterpolate2(2, 6, 0.5f), 2, 1e-5);
  EXPECT_NEAR(sineinterpolate2(1e6f, 0, 1), 0.6536f, 1e-3f);
}

TEST(RandFloat, OneSystemDrawPerValueAndTimeSeedsTruncateTheExactProduct) {
  std::srand(7);
  const int first = std::rand(), second = std::rand();
  std::srand(7);
  EXPECT_FLOAT_EQ(randfloat(), (first % 25000) * 0.00004f);
  EXPECT_EQ(std::rand(), second);
  EXPECT_EQ(timeseed(100.0f), 10000000);
  EXPECT_EQ(timeseed(90.1f), 9009999);  // 90.0999985 s: rounding the product first gives 9010000
}

TEST(FoundInString, MatchesWordLettersInOrderWithinNewlineEndedLines) {
  auto found = [](std::string text, const char* word) { return foundinstring(text.data(), word); };
  EXPECT_EQ(found("hello world\n", "hlo"), 1);  // letters in order, gaps allowed
  EXPECT_EQ(found("hello world\n", "olh"), 0);
  EXPECT_EQ(found("abc\nxyz\n", "xz"), 1);  // the second line
  EXPECT_EQ(found("abc\nxyz", "xz"), 0);    // text after the last newline is no line
  EXPECT_EQ(found("ab\ncd\n", "abcd"), 0);  // a match never spans lines
  EXPECT_EQ(found("\nxyz\n", "xz"), 0);     // a line at position 1 is never examined
  EXPECT_EQ(found("\n\nxyz\n", "xz"), 1);
  EXPECT_EQ(found("abc\n", ""), 1);  // the empty word matches any non-empty line
  EXPECT_EQ(found("", "a"), 0);
}
