// The dialog's widgets: geometry and label placement as plain values, then what each type draws.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "CGUIComponent.h"
#include "CGUIMouse.h"
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

TEST(WidgetLabel, CentredButtonLabelsStartByFivePixelsPerFreeCell) {
  const CGUIComponent intro = widget(guipushbutton, "Intro", 10, 10, 60, 25, 1);
  const LabelPlacement introat = intro.labelPlacement(intro.x, intro.y, 0, 0, intro.width);
  EXPECT_EQ(introat.x, 15);
  EXPECT_EQ(introat.y, 10 + 25 / 2 - 5);
  EXPECT_EQ(introat.count, 5);

  const CGUIComponent die = widget(guipushbutton, "Die", 80, 10, 60, 25, 1);
  EXPECT_EQ(die.labelPlacement(die.x, die.y, 0, 0, die.width).x, 95);
}

TEST(WidgetLabel, LeftRightAndOffsets) {
  CGUIComponent box = widget(guicheckbox, "fullscreen", 160, 100, 15, 15);
  // Beside a check box: the box's width as offset, 3 pixels of margin, all ten characters.
  const LabelPlacement beside = box.labelPlacement(box.x, box.y, box.width, 0, 100);
  EXPECT_EQ(beside.x, 160 + 3 + 15);
  EXPECT_EQ(beside.y, 100 + 7 - 5);
  EXPECT_EQ(beside.count, 10);

  box.setText("music", 2);
  EXPECT_EQ(box.labelPlacement(box.x, box.y, 0, 0, 100).x, 160 + 10 * 5);
  EXPECT_EQ(box.labelPlacement(40, 50, 1, 2, 100).y, 50 + 2 + 2);
}

TEST(WidgetLabel, CutToWholeCells) {
  const CGUIComponent label = widget(guilabel, "abcdefghijklmn", 0, 0, 95, 15);
  EXPECT_EQ(label.labelPlacement(0, 0, 0, 0, 95).count, 9);
  EXPECT_EQ(label.labelPlacement(0, 0, 0, 0, 80).count, 8);
  EXPECT_EQ(label.labelPlacement(0, 0, 0, 0, 9).count, 0);
  EXPECT_EQ(label.labelPlacement(0, 0, 0, 0, -30).count, 0);
}

TEST(WidgetGeometry, MouseEnteredIsInclusiveOnAllSides) {
  const CGUIComponent box = widget(guicheckbox, "", 160, 100, 15, 15);
  int inside = 0;
  for (int x = 150; x <= 185; ++x)
    for (int y = 90; y <= 125; ++y) inside += box.mouseEntered(x, y);
  EXPECT_EQ(inside, 16 * 16);
  EXPECT_TRUE(box.mouseEntered(160, 100));
  EXPECT_TRUE(box.mouseEntered(175, 115));
  EXPECT_FALSE(box.mouseEntered(176, 115));
  EXPECT_FALSE(box.mouseEntered(160, 99));
}

TEST(WidgetGeometry, SetDimensionGivesEachTypeItsSize) {
  const int sizes[][2] = {{50, 20}, {100, 15}, {15, 15}, {300, 200}, {100, 15}, {15, 15}, {50, 20}};
  for (int type = 0; type <= 6; ++type) {
    CGUIComponent made;
    made.setType(type);
    made.setDimension(7, 9);
    EXPECT_EQ(made.x, 7);
    EXPECT_EQ(made.y, 9);
    EXPECT_EQ(made.width, sizes[type][0]) << "type " << type;
    EXPECT_EQ(made.height, sizes[type][1]) << "type " << type;
  }
  CGUIComponent unknown = widget(7, "", 1, 2, 33, 44);
  unknown.setDimension(70, 80);
  EXPECT_EQ(unknown.x, 70);
  EXPECT_EQ(unknown.y, 80);
  EXPECT_EQ(unknown.width, 33);
  EXPECT_EQ(unknown.height, 44);
}

TEST(WidgetState, DragButtonColourComesOnlyFromSetType) {
  CGUIComponent drag;
  drag.setType(guidragbutton);
  EXPECT_FLOAT_EQ(drag.red, 0.8f);
  EXPECT_FLOAT_EQ(drag.green, 0.0f);
  EXPECT_FLOAT_EQ(drag.blue, 0.0f);
  drag.setType(guipushbutton);
  EXPECT_FLOAT_EQ(drag.red, 0.8f);

  const CGUIComponent built(guidragbutton, "drag", 1, 2, 3, 4, true);
  EXPECT_FLOAT_EQ(built.red, 0.0f);
  EXPECT_TRUE(built.selected);
  EXPECT_EQ(built.text, "drag");
  EXPECT_EQ(built.textAlign, 0);
  EXPECT_EQ(built.group, 0);
}

// Drawing: one widget in the dialog's pixel space, read back with y counted up like the dialog.
class WidgetDrawing : public ::testing::Test {
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
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    GUIMouseEvent = CGUIMouse();
  }

  void drawandread(CGUIComponent& drawn) {
    drawn.draw();
    frame = framepixels();
  }
  Rgb at(int x, int y) const { return pixelat(frame, x, viewheight - 1 - y); }
  bool lit(int x, int y) const { return at(x, y).r > 128 && at(x, y).g > 128; }
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

TEST_F(WidgetDrawing, UnknownTypeDrawsNothing) {
  CGUIComponent unknown = widget(7, "hidden", 10, 10, 100, 50);
  drawandread(unknown);
  EXPECT_EQ(litinside(0, 0, viewwidth - 1, viewheight - 1), 0);
}

TEST_F(WidgetDrawing, CheckBoxCrossOnlyWhenTicked) {
  CGUIComponent box = widget(guicheckbox, "", 160, 60, 15, 15);
  drawandread(box);
  EXPECT_TRUE(edge(160, 67)) << "left outline";
  EXPECT_TRUE(edge(167, 60)) << "bottom outline";
  EXPECT_EQ(litinside(163, 63, 171, 71), 0);

  box.selected = true;
  drawandread(box);
  EXPECT_TRUE(lit(167, 67)) << "the cross meets in the middle";
  EXPECT_TRUE(lit(164, 64));
  EXPECT_TRUE(lit(170, 64));
  EXPECT_FALSE(lit(167, 63)) << "between the arms";
  GLfloat width = 0;
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_FLOAT_EQ(width, 1.0f);
  GLint modes[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, modes);
  EXPECT_EQ(modes[0], GL_FILL);
}

TEST_F(WidgetDrawing, RadioButtonSquareInsetByAFifth) {
  CGUIComponent radio = widget(guiradiobutton, "", 10, 40, 15, 15);
  radio.selected = true;
  drawandread(radio);
  EXPECT_EQ(litinside(14, 44, 20, 50), 7 * 7) << "the inner square is filled";
  EXPECT_FALSE(lit(12, 47)) << "a black ring separates it from the outline";
  EXPECT_TRUE(edge(10, 47));
}

TEST_F(WidgetDrawing, LabelsSitWhereTheirPlacementSays) {
  CGUIComponent intro = widget(guipushbutton, "Intro", 10, 10, 60, 25, 1);
  drawandread(intro);
  // "I" is a full-height bar in columns 3-4 of its cell, rows 2-12 above the origin.
  const LabelPlacement placed = intro.labelPlacement(10, 10, 0, 0, 60);
  EXPECT_TRUE(lit(placed.x + 3, placed.y));
  EXPECT_TRUE(lit(placed.x + 3, placed.y + 10));
  EXPECT_FALSE(lit(placed.x + 3, placed.y + 11));
  EXPECT_EQ(litinside(12, 12, placed.x - 1, 33), 0) << "nothing left of the text";
  EXPECT_EQ(litinside(placed.x + 50, 12, 68, 33), 0) << "nothing right of five cells";
}

TEST_F(WidgetDrawing, ComboBoxDividerAndArrow) {
  CGUIComponent combo = widget(guicombobox, "abcdefgh", 100, 50, 100, 15);
  drawandread(combo);
  const std::vector<unsigned char> eight = frame;
  for (int y = 52; y <= 63; ++y) EXPECT_TRUE(edge(180, y)) << "divider at 0.8 of the width";
  EXPECT_TRUE(lit(190, 60)) << "filled arrow";

  combo.setText("abcdefghij");
  drawandread(combo);
  EXPECT_EQ(frame, eight) << "eight characters at most";

  combo.selected = true;
  drawandread(combo);
  EXPECT_FALSE(lit(190, 60)) << "hollow arrow while pressed";
  EXPECT_GT(litinside(188, 53, 191, 55), 0) << "its tip is still drawn";
}

TEST_F(WidgetDrawing, DragButtonFillAndGhost) {
  CGUIComponent drag = widget(guidragbutton, "", 20, 20, 50, 20);
  drawandread(drag);
  const Rgb fill = at(45, 30);
  EXPECT_NEAR(fill.r, 204, 2);
  EXPECT_EQ(fill.g, 0);

  drag.selected = true;
  drag.grabX = 30;
  drag.grabY = 25;
  GUIMouseEvent.x = 210;
  GUIMouseEvent.y = 85;
  drawandread(drag);
  // Grabbed 10 right and 5 above the corner, so the ghost's corner is at (200, 80).
  const Rgb corner = lit(200, 90) ? at(200, 90) : at(199, 90);
  EXPECT_NEAR(corner.r, 204, 2);
  EXPECT_NEAR(corner.g, 204, 2);
  EXPECT_EQ(litinside(205, 85, 245, 95), 0) << "the ghost is an outline";

  drag.selected = false;
  drag.rubberBand = true;
  drawandread(drag);
  EXPECT_TRUE(edge(150, 40)) << "rubber band runs from the button to the pointer";
  EXPECT_TRUE(edge(210, 30));
}
}  // namespace
