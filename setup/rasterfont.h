#pragma once
// The dialog's 8 x 13 bitmap font, compiled into one display list per character.
#include <string>

constexpr int glyphwidth = 8;
constexpr int glyphheight = 13;
constexpr int glyphbaseline = 2;   // rows below this hold descenders
constexpr int glyphadvance = 10;   // pixels the raster position moves per character
constexpr int firstglyph = 32;     // space
constexpr int glyphcount = 95;     // space to tilde

// Glyph k draws character 32 + k; each row is 8 pixels with bit 7 leftmost, bottom row first.
extern const unsigned char rasters[glyphcount][glyphheight];
extern unsigned int fontOffset;

void makeRasterFont();
void printString(std::string s);
