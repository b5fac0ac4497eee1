// The date counter's story and glyphs; the golden frames pin the letterbox bars.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "scenes/borders_internal.h"
#include "offscreen.h"
#include "runtime/seam.h"
#include "runtime/timer.h"

namespace {
std::string textof(const Date& date) {
  showdate(date.day, date.month, date.year);
  return getvisualdate();
}

// The counter's first row for a frame at demo time t.
std::string shownat(float t) {
  CounterRow rows[maxcounterrows];
  countertext(t, t * 0.0067114094f, rows);
  return rows[0].text;
}

// Dates of 1970 to 2009 in the counter's calendar, where February has 26 days.
bool realdate(int day, bool february, int year) {
  return year >= 1970 && year <= 2009 && day >= 1 && day <= (february ? 26 : 31);
}

TEST(Counter, OwnGeneratorMakesTheRunOfRealDates) {
  // Its own state: the C library's generator in between changes nothing.
  resetcounter();
  const int a = rrand(), b = rrand();
  resetcounter();
  std::srand(12345);
  EXPECT_EQ(rrand(), a);
  (void)std::rand();
  EXPECT_EQ(rrand(), b);
  resetcounter();
  initborders();
  EXPECT_EQ(textof(getdate(datecount - 1)), "18TH APRIL 2006 ");  // the run's last date
  for (int i = 0; i < datecount; ++i) {
    const Date& d = getdate(i);
    EXPECT_TRUE(d.month >= 0 && d.month < 12 && realdate(d.day, d.month == 1, d.year)) << i;
  }
  EXPECT_EQ(textof({2, 2, 1999}), "2ND MARCH 1999 ");
  EXPECT_EQ(textof({21, 11, 2007}), "21TH DECEMBER 2007 ");
  EXPECT_EQ(textof({5, 12, 2000}), "5TH  2000 ") << "no such month: no name, nothing read past";
}

TEST(Counter, FixedDatesBetweenRandomOnesThenTheRunThenTheClosingText) {
  resetcounter();
  initborders();
  const std::pair<float, const char*> fixed[] = {
      {5.21f, "1ST JANUARY 1970 "},     {14.3f, "23TH FEBRUARY 1990 "},
      {118.35f, "27TH DECEMBER 2007 "}, {124.0f, "28TH DECEMBER 2007 "},
      {129.0f, "29TH DECEMBER 2007 "},  {138.85f, "6TH JUNE 2008 "}};
  // Between them, random real dates: changing with time early on, later every frame.
  for (const float t : {5.22f, 111.6f, 115.0f, 118.3f, 132.3f, 138.8f}) {
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
      seen.insert(shownat(t < 14 ? t + 0.4f * i : t));
      int day = 0, year = 0;
      char month[16] = {};
      ASSERT_EQ(std::sscanf(getvisualdate(), "%d%*2s %15s %d", &day, month, &year), 3) << t;
      EXPECT_TRUE(realdate(day, std::strcmp(month, "FEBRUARY") == 0, year)) << getvisualdate();
    }
    EXPECT_GT(seen.size(), 15u) << "random dates at " << t;
  }
  for (const auto& [t, text] : fixed) EXPECT_EQ(shownat(t), text) << t;
  // However long the run goes on, it stops at its last entry.
  CounterRow rows[maxcounterrows];
  for (int i = 0; i < 200; ++i) countertext(100, 0.7f + i * 0.005f, rows);
  EXPECT_EQ(getdatescount(), datecount - 1);
  // The closing date breaks through the flicker in bursts, then three rows stay.
  const std::pair<float, bool> bursts[] = {
      {144.5f, false}, {145.1f, true},  {145.5f, false}, {145.95f, true}, {146.1f, false},
      {146.4f, true},  {146.7f, false}, {146.9f, true},  {147.2f, false}, {147.6f, true}};
  for (const auto& [t, closing] : bursts) {
    ASSERT_EQ(countertext(t, t / 149, rows), 1) << t;
    EXPECT_EQ(rows[0].highlight && std::strcmp(rows[0].text, closingdate) == 0, closing) << t;
  }
  ASSERT_EQ(countertext(149.5f, 149.5f / 149, rows), 3);
  const char* const closing[] = {closingdate, closingdays, closingaddress};
  for (int row = 0; row < 3; ++row)
    EXPECT_TRUE(rows[row].row == row && rows[row].highlight &&
                std::strcmp(rows[row].text, closing[row]) == 0);
  // Every character of the address but its closing space draws something.
  for (const char* c = closingaddress; c[1]; ++c)
    EXPECT_TRUE(glyphpattern(*c) && std::strpbrk(glyphpattern(*c), "o.")) << *c;
}

// Rendered glyphs: probes that belong to one segment each, in the order top, middle, bottom, dot,
// upper-left, lower-left, upper-right, lower-right, upper-centre, lower-centre.
Rgb cellpixel(const std::vector<unsigned char>& frame, int k, int probe) {
  constexpr float probes[10][2] = {{7.5f, 67.5f},  {7.5f, 87.5f}, {7.5f, 107.5f}, {12.5f, 107.5f},
                                   {2.5f, 77.5f},  {2.5f, 97.5f}, {22.5f, 77.5f}, {22.5f, 97.5f},
                                   {12.5f, 77.5f}, {12.5f, 97.5f}};
  const float x = 2018 - 30 * k + probes[probe][0], y = 135 + probes[probe][1];
  return pixelat(frame, int(x * framewidth() / 2048), int(y * frameheight() / 1536));
}

// On the opening frame, "1ST JANUARY 1970 " from its end; the dot probe is also lit by a
// lower-centre or bottom bar. Drawn alone, the segments invert what lies under them.
TEST(Counter, FirstDateOnTheOpeningFrameInvertsWhatLiesUnder) {
  needdemo(640, 480);
  const std::string expected =
      "0000000000 1011111100 1000001100 1111101100 0001000011 0000000000 0101101001 1100011100 "
      "1100111100 0011111100 1000111100 1100111100 0011011100 0000000000 1001000011 1111100100 "
      "0001000011 ";
  std::string seen;
  const auto frame = demoframe(0);
  for (int k = 0; k < 17; ++k) {
    for (int probe = 0; probe < 10; ++probe) seen += cellpixel(frame, k, probe).r > 30 ? '1' : '0';
    seen += ' ';
  }
  EXPECT_EQ(seen, expected);
  setofflineticks(0);
  timer_update();
  glViewport(0, 0, framewidth(), frameheight());
  for (const float grey : {1.0f, 0.5f}) {
    glClearColor(grey, grey, grey, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    counter(0);
    const auto drawn = framepixels();
    const Rgb lit = cellpixel(drawn, 1, 0);    // top of the last '0'
    const Rgb unlit = cellpixel(drawn, 1, 1);  // its middle, not drawn
    EXPECT_NEAR(lit.r, (1 - grey) * 0.275 * 255, 3);
    EXPECT_NEAR(lit.g, (1 - grey) * 0.2 * 255, 3);
    EXPECT_NEAR(unlit.r, grey * 255, 1);
  }
  glClearColor(0, 0, 0, 0);
}
}  // namespace
