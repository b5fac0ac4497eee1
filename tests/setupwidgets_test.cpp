// The dialog's widgets and bitmap font beyond what the dialog's reference picture shows: label
// cells, hit edges, the combo box and every character of the font.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "CGUIComponent.h"
#include "offscreen.h"
#include "rasterfont.h"

namespace {
constexpr int viewwidth = 350;
constexpr int viewheight = 130;

CGUIComponent widget(int type, const char* text, int x, int y, int width, int height,
                     int align = 0) {
  CGUIComponent made;
  made.setDimension(x, y, width, height);
  made.setType(type);
  made.setText(text, align);
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

// Drawing in the dialog's pixel space, read back with y counted up like the dialog.
class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    needoffscreen(viewwidth, viewheight);
    static const bool fontmade = (makeRasterFont(), true);
    (void)fontmade;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, viewwidth, 0, viewheight, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
  }
  void draw(CGUIComponent& drawn) {
    glClear(GL_COLOR_BUFFER_BIT);
    drawn.draw();
    frame = framepixels();
  }
  // Prints s in white at (20, 10); returns how far the raster position moved.
  int print(const std::string& s) {
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glRasterPos2i(20, 10);
    printString(s);
    GLfloat position[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    frame = framepixels();
    return static_cast<int>(position[0]) - 20;
  }
  bool lit(int x, int y) const {
    const Rgb c = pixelat(frame, x, viewheight - 1 - y);
    return c.r > 128 && c.g > 128;
  }
  int litinside(int x0, int y0, int x1, int y1) const {
    int count = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) count += lit(x, y);
    return count;
  }

  std::vector<unsigned char> frame;
};

TEST_F(Drawing, ComboBoxDividerArrowAndEightCharacters) {
  CGUIComponent combo = widget(guicombobox, "abcdefgh", 100, 50, 100, 15);
  draw(combo);
  const std::vector<unsigned char> eight = frame;
  // Lines on whole coordinates may land on either neighbouring pixel.
  for (int y = 52; y <= 63; ++y) EXPECT_GT(litinside(179, y - 1, 180, y), 0) << "divider at 0.8";
  EXPECT_TRUE(lit(190, 60)) << "filled arrow";
  combo.setText("abcdefghij");
  draw(combo);
  EXPECT_EQ(frame, eight) << "eight characters at most";
  combo.selected = true;
  draw(combo);
  EXPECT_FALSE(lit(190, 60)) << "hollow arrow while pressed";
  EXPECT_GT(litinside(188, 53, 191, 55), 0) << "its tip is still drawn";
}

TEST_F(Drawing, EveryGlyphDrawsItsBitsInsideItsCellAndUnprintablesNothing) {
  for (int c = firstglyph; c < firstglyph + glyphcount; ++c) {
    EXPECT_EQ(print(std::string(1, static_cast<char>(c))), glyphadvance) << "code " << c;
    // Row 2 of the glyph lies on the raster position, so the cell starts two rows below it.
    int expected = 0;
    for (int row = 0; row < glyphheight; ++row)
      for (int column = 0; column < glyphwidth; ++column) {
        const bool set = (rasters[c - firstglyph][row] >> (7 - column)) & 1;
        expected += set;
        EXPECT_EQ(lit(20 + column, 10 - glyphbaseline + row), set) << c << " " << row;
      }
    EXPECT_EQ(litinside(0, 0, viewwidth - 1, viewheight - 1), expected) << c << " spills over";
    EXPECT_EQ(expected > 0, c != ' ') << "code " << c;
  }
  std::string unprintable = "\x7f\x80\xff";  // and tabs, which take no room either
  for (int c = 1; c < firstglyph; ++c) unprintable += static_cast<char>(c);
  EXPECT_EQ(print(unprintable), 0);
  EXPECT_EQ(litinside(0, 0, viewwidth - 1, viewheight - 1), 0);
}
}  // namespace
