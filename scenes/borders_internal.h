#pragma once
// The date counter's workings, open to its tests: the generated run of dates, the rows chosen for
// a frame, the glyphs and the closing text.
#include "scenes/borders.h"

struct Date {
  int day;    // 1 to 31
  int month;  // 0 to 11
  int year;
};

constexpr int datecount = 160;
constexpr int visualdatesize = 64;

// One row of text the counter draws in a frame.
struct CounterRow {
  const char* text;
  bool highlight;
  int row;
};
constexpr int maxcounterrows = 3;

// The counter's choice for a frame at time t (f = t / 149): moves the shown date on and fills rows
// with what to draw, in drawing order; returns how many rows there are. Draws nothing.
int countertext(float t, float f, CounterRow rows[maxcounterrows]);

// Sets the shown date and writes its text into the counter's buffer.
void showdate(int day, int month, int year);
const char* getvisualdate();
const Date& getdate(int index);  // entry of the generated run, 0 to datecount - 1
int getdatescount();             // index of the next generated date to show

// Puts the counter back as it is when the program starts (generator state 1, nothing shown).
void resetcounter();

// The nine-segment pattern of a character, or nullptr for one outside the font ('Z', space, lower
// case, punctuation), which still takes up its cell.
const char* glyphpattern(char c);

// The closing text's rows, each followed by a space.
extern const char* const closingdate;
extern const char* const closingdays;
extern const char* const closingaddress;
