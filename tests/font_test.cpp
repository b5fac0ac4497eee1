// The dialog's bitmap font: the glyph table's layout and what each character puts on screen.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "offscreen.h"
#include "rasterfont.h"

namespace {
constexpr int viewwidth = 64;
constexpr int viewheight = 32;
constexpr int originx = 20;
constexpr int originy = 10;

using Glyph = std::array<unsigned char, glyphheight>;

Glyph glyphof(char c) {
  Glyph glyph{};
  for (int row = 0; row < glyphheight; ++row) glyph[row] = rasters[c - firstglyph][row];
  return glyph;
}

TEST(FontTable, GivenGlyphsAreExact) {
  EXPECT_EQ(glyphof('A'), (Glyph{0x00, 0x00, 0xc3, 0xc3, 0xc3, 0xc3, 0xff, 0xc3, 0xc3, 0xc3, 0x66,
                                 0x3c, 0x18}));
  EXPECT_EQ(glyphof('g'), (Glyph{0x7e, 0xc3, 0x03, 0x03, 0x7f, 0xc3, 0xc3, 0xc3, 0x7e, 0x00, 0x00,
                                 0x00, 0x00}));
  EXPECT_EQ(glyphof(' '), Glyph{});
}

TEST(FontTable, GlyphsStandOnRowTwo) {
  const std::string descenders = "gjpqy,;_";
  for (char c = '!'; c <= '~'; ++c) {
    const Glyph glyph = glyphof(c);
    int ink = 0;
    for (unsigned char row : glyph) ink += row != 0;
    EXPECT_GT(ink, 0) << "'" << c << "' is blank";
    if (descenders.find(c) == std::string::npos) {
      EXPECT_EQ(glyph[0] | glyph[1], 0) << "'" << c << "' reaches below the base line";
    }
  }
  // Letters and digits sit on the base line itself.
  for (const char c : std::string("AZaz09fx"))
    EXPECT_NE(glyphof(c)[glyphbaseline], 0) << "'" << c << "' floats above the base line";
}

class FontDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    needoffscreen(viewwidth, viewheight);
    static bool fontmade = false;
    if (!fontmade) makeRasterFont();
    fontmade = true;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, viewwidth, 0, viewheight, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glColor3f(1, 1, 1);
  }

  // Prints s at the origin; returns how far the raster position moved.
  int print(const std::string& s) {
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(originx, originy);
    printString(s);
    GLfloat position[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    EXPECT_FLOAT_EQ(position[1], originy);
    frame = framepixels();
    return static_cast<int>(position[0]) - originx;
  }
  bool lit(int x, int y) const { return pixelat(frame, x, viewheight - 1 - y).r > 128; }
  int litcount() const {
    int count = 0;
    for (int y = 0; y < viewheight; ++y)
      for (int x = 0; x < viewwidth; ++x) count += lit(x, y);
    return count;
  }

  std::vector<unsigned char> frame;
};

TEST_F(FontDrawing, EveryGlyphDrawsItsBitsInsideItsCell) {
  for (int c = firstglyph; c < firstglyph + glyphcount; ++c) {
    EXPECT_EQ(print(std::string(1, static_cast<char>(c))), glyphadvance) << "code " << c;
    // Row 2 of the glyph lies on the raster position, so the cell starts two rows below it.
    int expected = 0;
    for (int row = 0; row < glyphheight; ++row)
      for (int column = 0; column < glyphwidth; ++column) {
        const bool set = (rasters[c - firstglyph][row] >> (7 - column)) & 1;
        expected += set;
        EXPECT_EQ(lit(originx + column, originy - glyphbaseline + row), set)
            << "code " << c << " row " << row << " column " << column;
      }
    EXPECT_EQ(litcount(), expected) << "code " << c << " drew outside its cell";
  }
}

TEST_F(FontDrawing, ControlCodesAndHighCodesDrawNothing) {
  std::string unprintable;
  for (int c = 1; c < firstglyph; ++c) unprintable += static_cast<char>(c);
  unprintable += '\x7f';
  unprintable += '\x80';
  unprintable += '\xff';
  EXPECT_EQ(print(unprintable), 0);
  EXPECT_EQ(litcount(), 0);
}

TEST_F(FontDrawing, StringsAdvanceTenPixelsPerCharacter) {
  EXPECT_EQ(print("Tess"), 4 * glyphadvance);
  EXPECT_TRUE(lit(originx + 3 * glyphadvance, originy + 1)) << "the last 's' starts 30 pixels on";
  EXPECT_EQ(print("a\tb"), 2 * glyphadvance) << "a tab takes no room";
}
}  // namespace
