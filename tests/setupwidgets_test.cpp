// The dialog's widgets and bitmap font: geometry and label placement as plain values, then what
// each widget type and each character draws.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
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

TEST(WidgetLabel, PlacementAndWholeCells) {
  const CGUIComponent intro = widget(guipushbutton, "Intro", 10, 10, 60, 25, 1);
  const LabelPlacement introat = intro.labelPlacement(10, 10, 0, 0, 60);
  EXPECT_TRUE(introat.x == 15 && introat.y == 10 + 25 / 2 - 5 && introat.count == 5);
  EXPECT_EQ(widget(guipushbutton, "Die", 80, 10, 60, 25, 1).labelPlacement(80, 10, 0, 0, 60).x, 95);

  CGUIComponent box = widget(guicheckbox, "fullscreen", 160, 100, 15, 15);
  const LabelPlacement beside = box.labelPlacement(160, 100, 15, 0, 100);
  EXPECT_TRUE(beside.x == 160 + 3 + 15 && beside.y == 100 + 7 - 5 && beside.count == 10);
  EXPECT_EQ(box.labelPlacement(40, 50, 1, 2, 100).y, 50 + 2 + 2);
  box.setText("music", 2);
  EXPECT_EQ(box.labelPlacement(160, 100, 0, 0, 100).x, 160 + 10 * 5);

  const CGUIComponent label = widget(guilabel, "abcdefghijklmn", 0, 0, 95, 15);
  const int widths[][2] = {{95, 9}, {80, 8}, {9, 0}, {-30, 0}};
  for (const auto& w : widths) EXPECT_EQ(label.labelPlacement(0, 0, 0, 0, w[0]).count, w[1]);
}

TEST(WidgetGeometry, MouseEnteredIsInclusiveOnAllSides) {
  const CGUIComponent box = widget(guicheckbox, "", 160, 100, 15, 15);
  int inside = 0;
  for (int x = 150; x <= 185; ++x)
    for (int y = 90; y <= 125; ++y) inside += box.mouseEntered(x, y);
  EXPECT_EQ(inside, 16 * 16);
  EXPECT_TRUE(box.mouseEntered(160, 100) && box.mouseEntered(175, 115));
}

TEST(WidgetState, DragButtonColourComesOnlyFromSetType) {
  CGUIComponent drag(guidragbutton, "drag", 1, 2, 3, 4, true);
  EXPECT_FLOAT_EQ(drag.red, 0.0f);
  drag.setType(guidragbutton);
  drag.setType(guipushbutton);
  EXPECT_FLOAT_EQ(drag.red, 0.8f);
  EXPECT_FLOAT_EQ(drag.green + drag.blue, 0.0f);
}

TEST(FontTable, GlyphsAreStoredBottomRowFirst) {
  const unsigned char a[glyphheight] = {0,    0,    0xc3, 0xc3, 0xc3, 0xc3, 0xff,
                                        0xc3, 0xc3, 0xc3, 0x66, 0x3c, 0x18};
  EXPECT_TRUE(std::equal(a, a + glyphheight, rasters['A' - firstglyph]));
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
    EXPECT_FLOAT_EQ(position[1], 10);
    frame = framepixels();
    return static_cast<int>(position[0]) - 20;
  }
  bool lit(int x, int y) const {
    const Rgb c = pixelat(frame, x, viewheight - 1 - y);
    return c.r > 128 && c.g > 128;
  }
  int litcount() const { return litinside(0, 0, viewwidth - 1, viewheight - 1); }
  // Edges on whole coordinates may land on either neighbouring pixel.
  bool edge(int x, int y) const { return litinside(x - 1, y - 1, x, y) > 0; }
  int litinside(int x0, int y0, int x1, int y1) const {
    int count = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) count += lit(x, y);
    return count;
  }

  std::vector<unsigned char> frame;
};

TEST_F(Drawing, SetDimensionSizesKnownTypesWhileTypeSevenOnlyMovesAndDrawsNothing) {
  const int sizes[][2] = {{50, 20},  {100, 15}, {15, 15}, {300, 200},
                          {100, 15}, {15, 15},  {50, 20}, {33, 44}};
  for (int type = 0; type <= 7; ++type) {
    CGUIComponent made = widget(type, "hidden", 1, 2, 33, 44);
    made.setDimension(7, 9);
    EXPECT_TRUE(made.x == 7 && made.y == 9 && made.width == sizes[type][0] &&
                made.height == sizes[type][1])
        << "type " << type;
    if (type == 7) draw(made);
  }
  EXPECT_EQ(litcount(), 0);
}

TEST_F(Drawing, CheckBoxCrossAndRadioSquareOnlyWhenSelected) {
  CGUIComponent box = widget(guicheckbox, "", 160, 60, 15, 15);
  draw(box);
  EXPECT_TRUE(edge(160, 67) && edge(167, 60)) << "outline";
  EXPECT_EQ(litinside(163, 63, 171, 71), 0);
  box.selected = true;
  draw(box);
  EXPECT_TRUE(lit(167, 67) && lit(164, 64) && lit(170, 64)) << "the cross";
  EXPECT_FALSE(lit(167, 63)) << "between the arms";

  CGUIComponent radio(guiradiobutton, "", 10, 40, 15, 15, true);
  draw(radio);
  EXPECT_EQ(litinside(14, 44, 20, 50), 7 * 7) << "the inner square inset by a fifth";
  EXPECT_FALSE(lit(12, 47)) << "a black ring separates it from the outline";
  EXPECT_TRUE(edge(10, 47));
}

TEST_F(Drawing, ComboBoxDividerAndArrow) {
  CGUIComponent combo = widget(guicombobox, "abcdefgh", 100, 50, 100, 15);
  draw(combo);
  const std::vector<unsigned char> eight = frame;
  for (int y = 52; y <= 63; ++y) EXPECT_TRUE(edge(180, y)) << "divider at 0.8 of the width";
  EXPECT_TRUE(lit(190, 60)) << "filled arrow";
  combo.setText("abcdefghij");
  draw(combo);
  EXPECT_EQ(frame, eight) << "eight characters at most";
  combo.selected = true;
  draw(combo);
  EXPECT_FALSE(lit(190, 60)) << "hollow arrow while pressed";
  EXPECT_GT(litinside(188, 53, 191, 55), 0) << "its tip is still drawn";
}

TEST_F(Drawing, EveryGlyphDrawsItsBitsInsideItsCell) {
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
    EXPECT_EQ(litcount(), expected) << "code " << c << " drew outside its cell";
    EXPECT_EQ(expected > 0, c != ' ') << "code " << c;
  }
}

TEST_F(Drawing, UnprintablesDrawNothingAndTabsTakeNoRoom) {
  std::string unprintable;
  for (int c = 1; c < firstglyph; ++c) unprintable += static_cast<char>(c);
  unprintable += "\x7f\x80\xff";
  EXPECT_EQ(print(unprintable), 0);
  EXPECT_EQ(litcount(), 0);
  EXPECT_EQ(print("Tess"), 4 * glyphadvance);
  EXPECT_TRUE(lit(20 + 3 * glyphadvance, 11)) << "the last 's' starts 30 pixels on";
  EXPECT_EQ(print("a\tb"), 2 * glyphadvance);
}
}  // namespace
