// The dialog's widgets and bitmap font beyond what the dialog's reference picture shows: label
// cells, hit edges and every character of the font.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "setup/CGUIComponent.h"
#include "offscreen.h"
#include "setup/rasterfont.h"

namespace {
constexpr int viewwidth = 350, viewheight = 130;

CGUIComponent widget(int type, const char* text, int x, int y, int width, int height) {
  CGUIComponent made;
  made.setDimension(x, y, width, height);
  made.setType(type);
  made.setText(text, 0);
  return made;
}

TEST(Widget, LabelsShowWholeCellsAndHitsIncludeEveryEdge) {
  CGUIComponent label = widget(guilabel, "abcdefghijklmn", 0, 0, 95, 15);
  const int widths[][2] = {{95, 9}, {80, 8}, {9, 0}, {-30, 0}};
  for (const auto& w : widths) EXPECT_EQ(label.labelPlacement(0, 0, 0, 0, w[0]).count, w[1]);
  label.setText("music", 2);  // right-aligned: five empty cells of ten before it
  EXPECT_EQ(label.labelPlacement(160, 100, 0, 0, 100).x, 160 + 10 * 5);
  const CGUIComponent box = widget(guicheckbox, "", 160, 100, 15, 15);
  int inside = 0;
  for (int x = 150; x <= 185; ++x)
    for (int y = 90; y <= 125; ++y) inside += box.mouseEntered(x, y);
  EXPECT_EQ(inside, 16 * 16);
  EXPECT_TRUE(box.mouseEntered(160, 100) && box.mouseEntered(175, 115));
}

// Prints s in white at (20, 10) in the dialog's pixel space; returns how far the raster position
// moved, and the frame read back.
int print(const std::string& s, std::vector<unsigned char>& frame) {
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  glRasterPos2i(20, 10);
  printString(s);
  GLfloat position[4] = {0, 0, 0, 0};
  glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
  frame = framepixels();
  return static_cast<int>(position[0]) - 20;
}

TEST(Font, EveryGlyphAdvancesOneCellLightingItsBitsAndUnprintablesNothing) {
  needoffscreen(viewwidth, viewheight);
  makeRasterFont();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, viewwidth, 0, viewheight, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  std::vector<unsigned char> frame;
  auto lit = [&](int x, int y) { return pixelat(frame, x, viewheight - 1 - y).r > 128; };
  auto litcount = [&] {
    int count = 0;
    for (int y = 0; y < viewheight; ++y)
      for (int x = 0; x < viewwidth; ++x) count += lit(x, y);
    return count;
  };
  // Each glyph advances one cell and lights as many pixels as it has bits (the dialog's
  // reference picture checks the shapes of the characters it shows).
  for (int c = firstglyph; c < firstglyph + glyphcount; ++c) {
    EXPECT_EQ(print(std::string(1, static_cast<char>(c)), frame), glyphadvance) << "code " << c;
    int expected = 0;
    for (int row = 0; row < glyphheight; ++row)
      expected += __builtin_popcount(rasters[c - firstglyph][row]);
    EXPECT_EQ(litcount(), expected) << c << " spills over";
  }
  std::string unprintable = "\x7f\x80\xff";  // and tabs, which take no room either
  for (int c = 1; c < firstglyph; ++c) unprintable += static_cast<char>(c);
  EXPECT_EQ(print(unprintable, frame), 0);
  EXPECT_EQ(litcount(), 0);
}
}  // namespace
