// The date counter's story and glyphs, and the letterbox bars.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "borders.h"
#include "offscreen.h"
#include "seam.h"
#include "timer.h"

namespace {
constexpr float perseconds = 0.0067114094f;

std::string textof(const Date& date) {
  showdate(date.day, date.month, date.year);
  return getvisualdate();
}

// The counter's first row for a frame at demo time t.
std::string shownat(float t) {
  CounterRow rows[maxcounterrows];
  countertext(t, t * perseconds, rows);
  return rows[0].text;
}

TEST(DateRun, OwnGeneratorThenTheRunAsTheDemoAlwaysShowedIt) {
  resetcounter();
  const int a = rrand(), b = rrand();
  EXPECT_EQ(a, 16838);  // the first draw of this generator from state 1
  resetcounter();
  std::srand(12345);
  EXPECT_EQ(rrand(), a);
  (void)std::rand();
  EXPECT_EQ(rrand(), b);

  resetcounter();
  initborders();
  const char* const first[] = {"23TH FEBRUARY 1990 ", "1ST MARCH 1991 ", "17TH APRIL 1991 ",
                               "20TH MAY 1991 ",      "10TH JUNE 1991 ", "22TH JUNE 1991 "};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(textof(getdate(i)), first[i]);
  EXPECT_EQ(textof(getdate(datecount - 1)), "18TH APRIL 2006 ");
  for (int i = 0; i < datecount; ++i) {
    const Date& date = getdate(i);
    EXPECT_TRUE(date.month >= 0 && date.month < 12 && date.day >= 1 &&
                date.day <= (date.month == 1 ? 26 : 31))
        << i;
  }
  EXPECT_EQ(textof({2, 2, 1999}), "2ND MARCH 1999 ");
  EXPECT_EQ(textof({3, 8, 2001}), "3RD SEPTEMBER 2001 ");
  EXPECT_EQ(textof({21, 11, 2007}), "21TH DECEMBER 2007 ");
  EXPECT_EQ(textof({5, 12, 2000}), "5TH  2000 ") << "no such month: no name, nothing read past";
}

TEST(CounterPhases, FixedDatesBetweenRandomOnesAndTheRun) {
  resetcounter();
  initborders();
  const std::pair<std::vector<float>, const char*> fixed[] = {
      {{0.5f, 5.21f}, "1ST JANUARY 1970 "},
      {{13.9f, 14.3f}, "23TH FEBRUARY 1990 "},
      {{14.6f}, "1ST MARCH 1991 "},
      {{118.35f, 123.99f}, "27TH DECEMBER 2007 "},
      {{124.0f, 128.99f}, "28TH DECEMBER 2007 "},
      {{129.0f, 132.2f}, "29TH DECEMBER 2007 "},
      {{138.85f, 143.99f}, "6TH JUNE 2008 "}};
  std::set<std::string> flicker;
  for (int i = 0; i < 80; ++i) flicker.insert(shownat(5.22f + i * 0.1f));
  EXPECT_GT(flicker.size(), 60u);
  EXPECT_EQ(flicker.count("1ST JANUARY 1970 "), 0u);
  for (const auto& [times, text] : fixed)
    for (const float t : times) EXPECT_EQ(shownat(t), text) << t;
  EXPECT_EQ(getdatescount(), 2);
  for (const float t : {111.6f, 118.3f, 132.3f, 138.8f}) {
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) seen.insert(shownat(t));
    EXPECT_GT(seen.size(), 15u) << "random dates at " << t;
  }
  for (int i = 0; i < 2000; ++i) {  // random dates are real dates of 1970 to 2009 in its calendar
    int day = 0, year = 0;
    char month[16] = {};
    ASSERT_EQ(std::sscanf(shownat(115).c_str(), "%d%*2s %15s %d", &day, month, &year), 3);
    EXPECT_TRUE(year >= 1970 && year <= 2009 && day >= 1 &&
                day <= (std::strcmp(month, "FEBRUARY") == 0 ? 26 : 31))
        << getvisualdate();
  }
  // However long the run goes on, it stops at its last entry.
  CounterRow rows[maxcounterrows];
  for (int i = 0; i < 200; ++i) countertext(100, 0.7f + i * 0.005f, rows);
  EXPECT_EQ(getdatescount(), datecount - 1);
  EXPECT_STREQ(getvisualdate(), "18TH APRIL 2006 ");
}

TEST(CounterPhases, ClosingTextInBurstsThenForGood) {
  resetcounter();
  initborders();
  CounterRow rows[maxcounterrows];
  const std::pair<float, bool> bursts[] = {{144.5f, false}, {145.1f, true},  {145.5f, false},
                                           {145.95f, true}, {146.1f, false}, {146.4f, true},
                                           {146.7f, false}, {146.9f, true},  {147.2f, false},
                                           {147.6f, true},  {149.0f, true}};
  for (const auto& [t, closing] : bursts) {
    ASSERT_EQ(countertext(t, t * perseconds, rows), 1) << t;
    EXPECT_EQ(rows[0].highlight && std::strcmp(rows[0].text, closingdate) == 0, closing) << t;
  }
  ASSERT_EQ(countertext(149.5f, 149.5f * perseconds, rows), 3);
  const char* const texts[] = {"2ND MORVA 2008 ", "FROM 6TH TO 8TH JUNE ", closingaddress};
  for (int row = 0; row < 3; ++row) {
    EXPECT_STREQ(rows[row].text, texts[row]);
    EXPECT_TRUE(rows[row].row == row && rows[row].highlight);
  }
  // The address: 18 characters the segment font draws, two of them dots, then a space.
  const std::string address = closingaddress;
  ASSERT_EQ(address.size(), 19u);
  EXPECT_EQ(address.back(), ' ');
  EXPECT_EQ(std::count(address.begin(), address.end(), '.'), 2);
  for (const char c : address.substr(0, 18))
    EXPECT_TRUE(glyphpattern(c) && std::strpbrk(glyphpattern(c), "o.")) << c << " draws nothing";
}

// Rendered glyphs: probes that belong to one segment each, in the order top, middle, bottom, dot,
// upper-left, lower-left, upper-right, lower-right, upper-centre, lower-centre.
Rgb cellpixel(const std::vector<unsigned char>& frame, int k, int row, int probe) {
  constexpr float probes[10][2] = {{7.5f, 67.5f},  {7.5f, 87.5f}, {7.5f, 107.5f}, {12.5f, 107.5f},
                                   {2.5f, 77.5f},  {2.5f, 97.5f}, {22.5f, 77.5f}, {22.5f, 97.5f},
                                   {12.5f, 77.5f}, {12.5f, 97.5f}};
  const float x = 2018 - 30 * k + probes[probe][0];
  const float y = 135 + 67.5f * row + probes[probe][1];
  return pixelat(frame, static_cast<int>(x * framewidth() / 2048),
                 static_cast<int>(y * frameheight() / 1536));
}

TEST(CounterGlyphs, FirstDateOnTheOpeningFrame) {
  needdemo(640, 480);
  const auto frame = demoframe(0);
  // "1ST JANUARY 1970 " from its end; the dot probe is also lit by a lower-centre or bottom bar.
  const char* const expected[] = {
      "0000000000", "1011111100", "1000001100", "1111101100", "0001000011", "0000000000",
      "0101101001", "1100011100", "1100111100", "0011111100", "1000111100", "1100111100",
      "0011011100", "0000000000", "1001000011", "1111100100", "0001000011"};
  for (int k = 0; k < 17; ++k) {
    std::string lit;
    for (int probe = 0; probe < 10; ++probe)
      lit += cellpixel(frame, k, 0, probe).r > 30 ? '1' : '0';
    EXPECT_EQ(lit, expected[k]) << "cell " << k;
  }
}

void clearto(float grey) {
  glViewport(0, 0, framewidth(), frameheight());
  glClearColor(grey, grey, grey, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
}

TEST(CounterGlyphs, SegmentsInvertWhatLiesUnder) {
  needdemo(640, 480);
  setofflineticks(0);
  timer_update();
  for (const float grey : {1.0f, 0.5f}) {
    clearto(grey);
    counter(0);
    const auto frame = framepixels();
    const Rgb lit = cellpixel(frame, 1, 0, 0);    // top of the last '0'
    const Rgb unlit = cellpixel(frame, 1, 0, 1);  // its middle, not drawn
    EXPECT_NEAR(lit.r, (1 - grey) * 0.275 * 255, 3);
    EXPECT_NEAR(lit.g, (1 - grey) * 0.2 * 255, 3);
    EXPECT_NEAR(unlit.r, grey * 255, 1);
  }
}

TEST(Bars, CoverExactlyTheTopAndBottomEighths) {
  needdemo(640, 480);
  clearto(1);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  borders(0.5f);
  const auto frame = framepixels();
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      ASSERT_EQ(pixelat(frame, x, y).g, y < 60 || y >= 420 ? 0 : 255) << x << ", " << y;
}
}  // namespace
