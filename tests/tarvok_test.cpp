// Settings, easing curves, the shared random helper and the line search.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tarvok.h"

TEST(Settings, StartAtTheDemoDefaults) {
  EXPECT_EQ(getscrw(), 1024);
  EXPECT_EQ(getscrh(), 768);
  EXPECT_EQ(getbpp(), 32);
  EXPECT_TRUE(getfullscreen());
  EXPECT_TRUE(getsoundon());
  EXPECT_FALSE(getinverted());
  EXPECT_FALSE(isDriverFallback());
  EXPECT_FALSE(getdemo());
  enddemo();
  EXPECT_TRUE(getdemo());
}

TEST(Easing, CurvesMeetTheirEndsAndMiddles) {
  EXPECT_NEAR(cosineinterpolate(2, 6, 0), 2, 1e-6);
  EXPECT_NEAR(cosineinterpolate(2, 6, 0.5f), 4, 1e-6);
  EXPECT_NEAR(cosineinterpolate(2, 6, 1), 6, 1e-5);
  EXPECT_LT(cosineinterpolate(0, 1, 0.1f), 0.1f);  // slow start
  EXPECT_NEAR(sineinterpolate(2, 6, 0), 2, 1e-6);
  EXPECT_NEAR(sineinterpolate(2, 6, 1), 6, 1e-5);
  EXPECT_GT(sineinterpolate(0, 1, 0.1f), 0.1f);  // fast start
  // The bump: b at both ends, a in the middle.
  EXPECT_NEAR(sineinterpolate2(2, 6, 0), 6, 1e-6);
  EXPECT_NEAR(sineinterpolate2(2, 6, 0.5f), 2, 1e-5);
  EXPECT_NEAR(sineinterpolate2(2, 6, 1), 6, 1e-5);
  // No clamping: past 1 the cosine curve turns back.
  EXPECT_LT(cosineinterpolate(0, 1, 1.5f), 1.0f);
}

TEST(Easing, ConstantsAreTheShortHalfTurn) {
  // 3.141592 falls short of pi: at x = 1 the bump still holds 6.5e-7 of a.
  EXPECT_NEAR(sineinterpolate2(1e6f, 0, 1), 0.6536f, 1e-3f);
}

TEST(RandFloat, StaysBelowOneAndRepeatsFromTheSameSeed) {
  std::srand(0);
  float first[100];
  for (float& value : first) {
    value = randfloat();
    EXPECT_GE(value, 0.0f);
    EXPECT_LE(value, 0.99996f);
  }
  std::srand(0);
  for (float value : first) EXPECT_EQ(randfloat(), value);
  // One draw of the system generator per value, in 25000 steps of 0.00004.
  std::srand(7);
  const int raw = std::rand();
  std::srand(7);
  EXPECT_FLOAT_EQ(randfloat(), (raw % 25000) * 0.00004f);
}

TEST(RandFloat, TimeSeedsTruncateTheExactProductOfTheSingleTime) {
  EXPECT_EQ(timeseed(100.0f), 10000000);
  EXPECT_EQ(timeseed(90.1f), 9009999);  // 90.0999985 s: rounding the product first gives 9010000
  EXPECT_EQ(timeseed(64.7f), 6469999);
}

namespace {
int found(std::string text, const char* word) { return foundinstring(text.data(), word); }
}  // namespace

TEST(FoundInString, MatchesWordLettersInOrderOnNewlineEndedLines) {
  EXPECT_EQ(found("", "a"), 0);
  EXPECT_EQ(found("hello world\n", "hlo"), 1);   // letters in order, gaps allowed
  EXPECT_EQ(found("hello world\n", "olh"), 0);   // order matters
  EXPECT_EQ(found("hello world", "hello"), 0);   // no newline, no line
  EXPECT_EQ(found("abc\nxyz\n", "xz"), 1);       // the second line
  EXPECT_EQ(found("abc\nxyz", "xz"), 0);         // text after the last newline is no line
  EXPECT_EQ(found("ab\ncd\n", "abcd"), 0);       // a match never spans lines
}

TEST(FoundInString, LineStartRulesAndEmptyCases) {
  EXPECT_EQ(found("\nxyz\n", "xz"), 0);  // a line at position 1 is never examined
  EXPECT_EQ(found("\n\nxyz\n", "xz"), 1);
  EXPECT_EQ(found("abc\n", ""), 1);      // the empty word matches any non-empty line
  EXPECT_EQ(found("\n", ""), 0);         // an empty line matches nothing
}
