#pragma once
// The letterbox bars over the whole demo, and the date counter that the compositor draws in the
// upper-right corner: a segment-font date that runs from 1970 through a generated march of dates
// to June 2008, then hands over to the closing text.

void initborders();
void borders(float progress);
void freeborders();

// f is the demo time times 0.0067114094 (1/149); the counter reads the frame's time itself.
void counter(float f);
void drawDigits(const char* text, float f, bool highlight, int row);
void changeVisualDate(char* buffer);  // buffer holds visualdatesize characters
int rrand();                          // the counter's own generator, 0 to 32767
