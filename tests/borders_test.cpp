// The date counter's story and glyphs, and the letterbox bars.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "borders.h"
#include "offscreen.h"
#include "seam.h"
#include "tarvok.h"
#include "timer.h"

namespace {
constexpr float perseconds = 0.0067114094f;

void freshcounter() {
  resetcounter();
  initborders();
}

std::string textof(const Date& date) {
  showdate(date.day, date.month, date.year);
  return getvisualdate();
}

// Runs the counter's choice for a frame at demo time t and returns its first row.
std::string shownat(float t) {
  CounterRow rows[maxcounterrows];
  countertext(t, t * perseconds, rows);
  return rows[0].text;
}

// A shown date read back into its parts; false when the text is not a date.
bool parsedate(const std::string& text, int& day, std::string& month, int& year) {
  char suffix[3] = {};
  char name[16] = {};
  return std::sscanf(text.c_str(), "%d%2s %15s %d", &day, suffix, name, &year) == 4 &&
         (month = name, true);
}
}  // namespace

TEST(DateRun, ReadsAsTheDemoAlwaysShowedIt) {
  freshcounter();
  const char* const first[] = {"23TH FEBRUARY 1990 ", "1ST MARCH 1991 ", "17TH APRIL 1991 ",
                               "20TH MAY 1991 ",      "10TH JUNE 1991 ", "22TH JUNE 1991 "};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(textof(getdate(i)), first[i]) << "entry " << i;
  EXPECT_EQ(textof(getdate(datecount - 1)), "18TH APRIL 2006 ");
  EXPECT_EQ(getdate(10).year, 1991);
  EXPECT_EQ(getdate(11).year, 1992);
  for (int i = 0; i < datecount; ++i) {
    const Date& date = getdate(i);
    EXPECT_TRUE(date.month >= 0 && date.month < 12) << i;
    EXPECT_TRUE(date.day >= 1 && date.day <= (date.month == 1 ? 26 : 31)) << i;
  }
}

TEST(DateRun, OwnGeneratorIgnoresTheSystemOne) {
  resetcounter();
  const int a = rrand(), b = rrand(), c = rrand();
  EXPECT_EQ(a, 16838);  // the first draw of this generator from state 1
  resetcounter();
  std::srand(0);
  EXPECT_EQ(rrand(), a);
  std::srand(12345);
  (void)std::rand();
  EXPECT_EQ(rrand(), b);
  EXPECT_EQ(rrand(), c);
}

TEST(DateText, SuffixesAndUnknownMonths) {
  resetcounter();
  showdate(1, 0, 1970);
  EXPECT_STREQ(getvisualdate(), "1ST JANUARY 1970 ");
  showdate(2, 2, 1999);
  EXPECT_STREQ(getvisualdate(), "2ND MARCH 1999 ");
  showdate(3, 8, 2001);
  EXPECT_STREQ(getvisualdate(), "3RD SEPTEMBER 2001 ");
  for (const int day : {21, 22, 23, 31}) {
    showdate(day, 11, 2007);
    EXPECT_EQ(std::string(getvisualdate()), std::to_string(day) + "TH DECEMBER 2007 ");
  }
  showdate(5, 12, 2000);  // no such month: no name, and nothing read past the table
  EXPECT_STREQ(getvisualdate(), "5TH  2000 ");
}

TEST(CounterPhases, FirstDateFlickerAndTheRun) {
  freshcounter();
  EXPECT_EQ(shownat(0.5f), "1ST JANUARY 1970 ");
  EXPECT_EQ(shownat(5.21f), "1ST JANUARY 1970 ");
  std::set<std::string> flicker;
  for (int i = 0; i < 80; ++i) flicker.insert(shownat(5.22f + i * 0.1f));
  EXPECT_GT(flicker.size(), 60u);
  EXPECT_EQ(flicker.count("1ST JANUARY 1970 "), 0u);
  EXPECT_EQ(shownat(13.9f), "23TH FEBRUARY 1990 ");
  EXPECT_EQ(shownat(14.3f), "23TH FEBRUARY 1990 ");  // a date holds for about 0.63 s
  EXPECT_EQ(shownat(14.6f), "1ST MARCH 1991 ");
  EXPECT_EQ(getdatescount(), 2);
  // However long the run goes on, it stops at its last entry.
  CounterRow rows[maxcounterrows];
  for (int i = 0; i < 200; ++i) countertext(100, 0.7f + i * 0.005f, rows);
  EXPECT_EQ(getdatescount(), datecount - 1);
  EXPECT_STREQ(getvisualdate(), "18TH APRIL 2006 ");
}

TEST(CounterPhases, FixedDatesAndRandomOnesLateInTheDemo) {
  freshcounter();
  EXPECT_EQ(shownat(118.35f), "27TH DECEMBER 2007 ");
  EXPECT_EQ(shownat(123.99f), "27TH DECEMBER 2007 ");
  EXPECT_EQ(shownat(124.0f), "28TH DECEMBER 2007 ");
  EXPECT_EQ(shownat(128.99f), "28TH DECEMBER 2007 ");
  EXPECT_EQ(shownat(129.0f), "29TH DECEMBER 2007 ");
  EXPECT_EQ(shownat(132.2f), "29TH DECEMBER 2007 ");
  EXPECT_EQ(shownat(138.85f), "6TH JUNE 2008 ");
  EXPECT_EQ(shownat(143.99f), "6TH JUNE 2008 ");
  for (const float t : {111.6f, 118.3f, 132.3f, 138.8f}) {
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) seen.insert(shownat(t));
    EXPECT_GT(seen.size(), 15u) << "random dates at " << t;
  }
  // Random dates are real dates of 1970 to 2009 in the counter's calendar.
  for (int i = 0; i < 2000; ++i) {
    int day = 0, year = 0;
    std::string month;
    ASSERT_TRUE(parsedate(shownat(115), day, month, year)) << getvisualdate();
    EXPECT_TRUE(year >= 1970 && year <= 2009) << getvisualdate();
    EXPECT_TRUE(day >= 1 && day <= (month == "FEBRUARY" ? 26 : 31)) << getvisualdate();
  }
}

TEST(CounterPhases, ClosingTextInBurstsThenForGood) {
  freshcounter();
  CounterRow rows[maxcounterrows];
  const auto closingat = [&](float t) {
    const int count = countertext(t, t * perseconds, rows);
    return count >= 1 && rows[0].highlight && std::strcmp(rows[0].text, closingdate) == 0;
  };
  for (const float t : {144.5f, 145.5f, 146.1f, 146.7f, 147.2f}) EXPECT_FALSE(closingat(t)) << t;
  for (const float t : {145.1f, 145.95f, 146.4f, 146.9f, 147.6f, 149.0f}) {
    EXPECT_TRUE(closingat(t)) << t;
    EXPECT_EQ(countertext(t, t * perseconds, rows), 1) << t;
  }
  ASSERT_EQ(countertext(149.5f, 149.5f * perseconds, rows), 3);
  const char* const texts[] = {closingdate, closingdays, closingaddress};
  for (int row = 0; row < 3; ++row) {
    EXPECT_STREQ(rows[row].text, texts[row]);
    EXPECT_EQ(rows[row].row, row);
    EXPECT_TRUE(rows[row].highlight);
  }
  EXPECT_STREQ(closingdate, "2ND MORVA 2008 ");
  EXPECT_STREQ(closingdays, "FROM 6TH TO 8TH JUNE ");
}

TEST(CounterPhases, AddressIsEighteenDrawableCharactersWithTwoDots) {
  const std::string address = closingaddress;
  ASSERT_EQ(address.size(), 19u);
  EXPECT_EQ(address.back(), ' ');
  int dots = 0;
  for (const char c : address.substr(0, 18)) {
    dots += c == '.';
    const char* pattern = glyphpattern(c);
    ASSERT_NE(pattern, nullptr) << c;
    EXPECT_NE(std::string(pattern).find_first_of("o."), std::string::npos) << c << " draws nothing";
  }
  EXPECT_EQ(dots, 2);
}

// Rendered glyphs: which segments of a character cell are lit, read at points that belong to one
// segment only, in the order top, middle, bottom, dot, upper-left, lower-left, upper-right,
// lower-right, upper-centre, lower-centre.
namespace {
constexpr float probes[10][2] = {{7.5f, 67.5f},  {7.5f, 87.5f},  {7.5f, 107.5f}, {12.5f, 107.5f},
                                 {2.5f, 77.5f},  {2.5f, 97.5f},  {22.5f, 77.5f}, {22.5f, 97.5f},
                                 {12.5f, 77.5f}, {12.5f, 97.5f}};

Rgb cellpixel(const std::vector<unsigned char>& frame, int k, int row, int probe) {
  const float x = 2018 - 30 * k + probes[probe][0];
  const float y = 135 + 67.5f * row + probes[probe][1];
  return pixelat(frame, static_cast<int>(x * framewidth() / 2048),
                 static_cast<int>(y * frameheight() / 1536));
}

// '1' for each lit probe, '0' for each dark one.
std::string litsegments(const std::vector<unsigned char>& frame, int k, int row) {
  std::string lit;
  for (int probe = 0; probe < 10; ++probe) lit += cellpixel(frame, k, row, probe).r > 30 ? '1' : '0';
  return lit;
}

void clearto(float grey) {
  glViewport(0, 0, framewidth(), frameheight());
  glClearColor(grey, grey, grey, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
}

void settime(float seconds) {
  setofflineticks(static_cast<unsigned int>(seconds * 1000));
  timer_update();
}
}  // namespace

TEST(CounterGlyphs, FirstDateOnTheOpeningFrame) {
  needdemo(640, 480);
  const auto frame = demoframe(0);
  // "1ST JANUARY 1970 " from its end; the dot probe is also lit by a lower-centre or bottom bar.
  const char* const expected[] = {
      "0000000000", "1011111100", "1000001100", "1111101100", "0001000011", "0000000000",
      "0101101001", "1100011100", "1100111100", "0011111100", "1000111100", "1100111100",
      "0011011100", "0000000000", "1001000011", "1111100100", "0001000011"};
  for (int k = 0; k < 17; ++k) EXPECT_EQ(litsegments(frame, k, 0), expected[k]) << "cell " << k;
}

TEST(CounterGlyphs, ClosingRowsFadeInAndDotsAreSmallBlocks) {
  needdemo(640, 480);
  for (const float t : {149.2f, 150.2f}) {
    clearto(0);
    settime(t);
    counter(t * perseconds);
    const auto frame = framepixels();
    // 'M' of "2ND MORVA 2008 " (k 10) in row 0; 'F' of "FROM ..." (k 20) in row 1.
    const int first = cellpixel(frame, 10, 0, 0).r;
    const int second = cellpixel(frame, 20, 1, 0).r;
    EXPECT_NEAR(first, 76, 3) << t;
    EXPECT_NEAR(second, t < 150 ? 46 : 76, 3) << t;
    EXPECT_EQ(litsegments(frame, 4, 2), "0001000000") << "the dot before ORG";
  }
}

TEST(CounterGlyphs, SegmentsInvertWhatLiesUnder) {
  needdemo(640, 480);
  settime(0);
  for (const float grey : {1.0f, 0.5f}) {
    clearto(grey);
    counter(0);
    const auto frame = framepixels();
    const Rgb lit = cellpixel(frame, 1, 0, 0);     // top of the last '0'
    const Rgb unlit = cellpixel(frame, 1, 0, 1);   // its middle, not drawn
    EXPECT_NEAR(lit.r, (1 - grey) * 0.275 * 255, 3);
    EXPECT_NEAR(lit.g, (1 - grey) * 0.2 * 255, 3);
    EXPECT_NEAR(unlit.r, grey * 255, 1);
  }
  clearto(0);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  perspective2DBegin(2048, 1536);
  drawDigits("Z1", 0.5f, false, 0);  // a 'Z' keeps its cell but draws nothing
  perspective2DEnd();
  const auto frame = framepixels();
  EXPECT_EQ(litsegments(frame, 0, 0), "0001000011");
  EXPECT_EQ(litsegments(frame, 1, 0), "0000000000");
}

TEST(Bars, CoverExactlyTheTopAndBottomEighths) {
  needdemo(640, 480);
  clearto(1);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  borders(0.5f);
  const auto frame = framepixels();
  for (int x = 0; x < 640; ++x) {
    for (int y = 0; y < 480; ++y) {
      const int expected = y < 60 || y >= 420 ? 0 : 255;
      ASSERT_EQ(pixelat(frame, x, y).g, expected) << x << ", " << y;
    }
  }
}
