#include "scenes/borders_internal.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "toolkit/tarvok.h"
#include "runtime/timer.h"
#include "runtime/timeline.h"

const char* const closingdate = "2ND MORVA 2008 ";
const char* const closingdays = "FROM 6TH TO 8TH JUNE ";
const char* const closingaddress = "MORVA.TESSIVAR.ORG ";

namespace {
const char* const months[12] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
// February has 26 days: the run of dates was tuned with this table, leap years play no part.
constexpr int days[12] = {31, 26, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Nine-segment glyphs: 'o' at 1 top, 3 upper-left, 4 upper-centre, 5 upper-right, 7 middle,
// 9 lower-left, 10 lower-centre, 11 lower-right, 13 bottom ('.' there draws the dot instead).
const char* const g0 = "oooo oo oo oooo";
const char* const g1 = "    o     o    ";
const char* const g5 = "oooo  ooo  oooo";
const char* const g6 = "oooo  oooo oooo";
const char* const g8 = "oooo ooooo oooo";
const char* const gu = "   o o   o oooo";
const char* const blank = "               ";
const char* const charset[36] = {
    g0,  g1,    "ooo  ooooo  ooo", "ooo  oooo  oooo", "o oo oooo  o  o", g5, g6,
    "ooo  o  o  o  o", g8, "oooo oooo  oooo",
    "oooo ooooo oo o", g8, "oooo  o  o  ooo", "ooo  oo oo oooo", "oooo  oooo  ooo",
    "oooo  oooo  o  ", g6, "o oo ooooo oo o", g1, "  o  o  oo oooo", blank,
    "   o     o  ooo", "ooooooo oo oo o", "oooo oo oo oo o", g0, "oooo ooooo  o  ", blank,
    "ooo  ooooo oo o", g5, "ooo o     o    ", gu, gu, blank, blank, "   o o o  o    ",
    "             . "};
constexpr int dotglyph = 35;

struct Segment {
  int position;  // index into a glyph pattern
  float x0, x1, y0, y1;
};
// In drawing order: top, middle, bottom, upper-left, lower-left, upper-right, lower-right,
// upper-centre, lower-centre.
constexpr Segment segments[] = {
    {1, 0, 25, 65, 70},   {7, 0, 25, 85, 90},   {13, 0, 25, 105, 110},
    {3, 0, 5, 65, 85},    {9, 0, 5, 85, 110},   {5, 20, 25, 65, 85},
    {11, 20, 25, 85, 110}, {4, 10, 15, 65, 85}, {10, 10, 15, 85, 110}};
constexpr Segment dot = {13, 10, 15, 105, 110};

Date dates[datecount];
int datesCount = 0;
int day1 = -1;
int month1 = 0;
int year1 = 0;
// Static storage: the buffer exists before any of the demo's code runs and is never released.
char visualDate[visualdatesize] = "";
float nowTime = -1.0f;
std::uint32_t next = 1;

const char* monthname(int month) { return month >= 0 && month < 12 ? months[month] : ""; }

void randomdate() {
  month1 = rrand() % 12;
  day1 = rrand() % days[month1] + 1;
  year1 = rrand() % 40 + 1970;
  changeVisualDate(visualDate);
}

void nextrundate(float f) {
  const Date& date = dates[datesCount];
  day1 = date.day;
  month1 = date.month;
  year1 = date.year;
  datesCount = std::min(datesCount + 1, datecount - 1);
  nowTime = f + 0.00425;
  changeVisualDate(visualDate);
}

// Before 111.5 s: the first date, a flicker of random dates, then the generated run.
void earlydate(float f) {
  if (f <= 0.035) {
    showdate(1, 0, 1970);
  } else if (f <= nowTime) {
    return;
  } else if (f <= 0.0925) {
    randomdate();
    nowTime = f + 0.0001;
  } else {
    nextrundate(f);
  }
}

void choosedate(float t, float f) {
  if (t >= timeline::burstin) {
    showdate(6, 5, 2008);
  } else if (t >= 132.25) {
    randomdate();
  } else if (t >= timeline::growthin) {
    showdate(t < 124 ? 27 : t < 129 ? 28 : 29, 11, 2007);
  } else if (t >= 111.5) {
    randomdate();
  } else {
    earlydate(f);
  }
}

// Between 144 and 147.5 s the closing text breaks through the flicker in short bursts.
bool closingshown(float t) {
  return (t > 145 && t < 145.3) || (t > 145.9 && t < 146) || (t > 146.3 && t < 146.5) ||
         (t > 146.8 && t < 146.95) || t > 147.5;
}

CounterRow closingrow(const char* text, int row) {
  std::snprintf(visualDate, sizeof visualDate, "%s", text);
  return CounterRow{text, true, row};
}

void setdigitcolour(float f, bool highlight, int row) {
  if (f > 0.03 && f < 0.04) {
    glColor4f(0.275f, 0.2f, 0.2f, (f - 0.03) * 10);
  } else if (highlight) {
    const float t = timer_gettime();
    const float k = t > 148 && row >= 1 ? std::min((t - 148) * 0.5f, 1.0f) : 1.0f;
    glColor3f(0.3f * k, 0.225f * k, 0.225f * k);
  } else {
    glColor3f(0.275f, 0.2f, 0.2f);
  }
}

void segmentquad(const Segment& s, float x, float y) {
  glVertex2f(x + s.x0, y + s.y0);
  glVertex2f(x + s.x1, y + s.y0);
  glVertex2f(x + s.x1, y + s.y1);
  glVertex2f(x + s.x0, y + s.y1);
}

void drawglyph(const char* pattern, float x, float y) {
  glBegin(GL_QUADS);
  for (const Segment& s : segments) {
    const char mark = pattern[s.position];
    if (mark == 'o') segmentquad(s, x, y);
    if (mark == '.' && s.position == dot.position) segmentquad(dot, x, y);
  }
  glEnd();
}
}  // namespace

int rrand() {
  next = next * 1103515245u + 12345u;
  return static_cast<int>((next >> 16) & 32767u);
}

void initborders() {
  dates[0] = Date{23, 1, 1990};
  int year = 1990;
  for (int i = 1; i < datecount; ++i) {
    if (i % 10 == 1) ++year;
    const Date& previous = dates[i - 1];
    int month = (rrand() % 2 + previous.month) % 12;
    const int day = previous.day + rrand() % 25;
    if (day > days[month]) month = (month + 1) % 12;
    dates[i] = Date{day % days[month] + 1, month, year};
  }
}

void borders(float) {
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  perspective2DBegin(640, 480);
  glColor3f(0, 0, 0);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(640, 0);
  glVertex2f(640, 60);
  glVertex2f(0, 60);
  glVertex2f(0, 420);
  glVertex2f(640, 420);
  glVertex2f(640, 480);
  glVertex2f(0, 480);
  glEnd();
  perspective2DEnd();
  glEnable(GL_DEPTH_TEST);
}

void freeborders() {}

void changeVisualDate(char* buffer) {
  // Only days 1, 2 and 3 take "ST", "ND" and "RD"; 21, 22, 23 and 31 read "TH" like the rest.
  const char* suffix = day1 == 1 ? "ST" : day1 == 2 ? "ND" : day1 == 3 ? "RD" : "TH";
  std::snprintf(buffer, visualdatesize, "%d%s %s %d ", day1, suffix, monthname(month1), year1);
}

void showdate(int day, int month, int year) {
  day1 = day;
  month1 = month;
  year1 = year;
  changeVisualDate(visualDate);
}

int countertext(float t, float f, CounterRow rows[maxcounterrows]) {
  choosedate(t, f);
  if (t < 144) {
    rows[0] = CounterRow{visualDate, false, 0};
    return 1;
  }
  randomdate();
  if (!closingshown(t)) {
    rows[0] = CounterRow{visualDate, false, 0};
    return 1;
  }
  rows[0] = closingrow(closingdate, 0);
  if (t <= timeline::landscapeend) return 1;
  rows[1] = closingrow(closingdays, 1);
  rows[2] = closingrow(closingaddress, 2);
  return 3;
}

void counter(float f) {
  CounterRow rows[maxcounterrows];
  const int count = countertext(timer_gettime(), f, rows);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  // Each segment shows as (1 - background) x colour: dim red on dark parts, gone on bright ones.
  glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO);
  perspective2DBegin(2048, 1536);
  for (int i = 0; i < count; ++i) drawDigits(rows[i].text, f, rows[i].highlight, rows[i].row);
  perspective2DEnd();
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void drawDigits(const char* text, float f, bool highlight, int row) {
  if (!text || !*text) return;
  const float y = 135 + 67.5f * row;
  const int length = static_cast<int>(std::strlen(text));
  // Right-aligned: the last character's cell starts at 2018, each earlier one 30 to the left.
  for (int k = 0; k < length; ++k) {
    setdigitcolour(f, highlight, row);
    const char* pattern = glyphpattern(text[length - 1 - k]);
    if (pattern) drawglyph(pattern, 2018.0f - 30 * k, y);
  }
}

const char* glyphpattern(char c) {
  if (c >= '0' && c <= '9') return charset[c - '0'];
  if (c >= 'A' && c <= 'Y') return charset[10 + c - 'A'];
  if (c == '.') return charset[dotglyph];
  return nullptr;
}

const char* getvisualdate() { return visualDate; }

const Date& getdate(int index) { return dates[std::clamp(index, 0, datecount - 1)]; }

int getdatescount() { return datesCount; }

void resetcounter() {
  next = 1;
  datesCount = 0;
  day1 = -1;
  month1 = 0;
  year1 = 0;
  visualDate[0] = '\0';
  nowTime = -1.0f;
}
