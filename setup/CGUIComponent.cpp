#include "setup/CGUIComponent.h"

#include <GL/gl.h>

#include <algorithm>
#include <utility>

#include "setup/CGUIMouse.h"
#include "setup/rasterfont.h"

namespace {
constexpr int cellwidth = 10;  // pixels per character of a label
constexpr int leftmargin = 3;

struct Size {
  int width;
  int height;
};
// Default sizes by type code, as setDimension(x, y) hands them out.
constexpr Size defaultsizes[] = {{50, 20}, {100, 15}, {15, 15}, {300, 200},
                                 {100, 15}, {15, 15}, {50, 20}};

bool knowntype(int type) { return type >= guipushbutton && type <= guidragbutton; }

void quad(float x0, float y0, float x1, float y1) {
  glBegin(GL_QUADS);
  glVertex2f(x0, y0);
  glVertex2f(x0, y1);
  glVertex2f(x1, y1);
  glVertex2f(x1, y0);
  glEnd();
}

void line(float x0, float y0, float x1, float y1) {
  glBegin(GL_LINES);
  glVertex2f(x0, y0);
  glVertex2f(x1, y1);
  glEnd();
}

// Black fill and white outline; leaves line mode and white on for the widget's own part.
void beginbox(const CGUIComponent& widget, bool thickoutline) {
  const float x = widget.x, y = widget.y, w = widget.width, h = widget.height;
  glPushMatrix();
  glPushAttrib(GL_COLOR_BUFFER_BIT);
  glColor3f(0, 0, 0);
  quad(x, y, x + w, y + h);
  if (thickoutline) glLineWidth(2.0f);
  glColor3f(1, 1, 1);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  quad(x, y, x + w, y + h);
}

void endbox(bool resetlinewidth) {
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  if (resetlinewidth) glLineWidth(1.0f);
  glPopAttrib();
  glPopMatrix();
}
}  // namespace

CGUIComponent::CGUIComponent()
    : CGUIComponent(guipushbutton, std::string(), 0, 0, 0, 0, false) {}

CGUIComponent::CGUIComponent(int type, std::string text, int x, int y, int width, int height,
                             bool selected)
    : rubberBand(false),
      highlighted(false),
      selected(selected),
      x(x),
      y(y),
      width(width),
      height(height),
      type(type),
      group(0),
      textAlign(0),
      grabX(0),
      grabY(0),
      red(0.0f),
      green(0.0f),
      blue(0.0f),
      text(std::move(text)) {}

void CGUIComponent::setColor(float r, float g, float b) {
  red = r;
  green = g;
  blue = b;
}

void CGUIComponent::setType(int newtype) {
  type = newtype;
  if (type == guidragbutton) setColor(0.8f, 0.0f, 0.0f);
}

void CGUIComponent::setDimension(int newx, int newy, int newwidth, int newheight) {
  x = newx;
  y = newy;
  width = newwidth;
  height = newheight;
}

void CGUIComponent::setDimension(int newx, int newy) {
  x = newx;
  y = newy;
  if (!knowntype(type)) return;
  width = defaultsizes[type].width;
  height = defaultsizes[type].height;
}

void CGUIComponent::setText(std::string newtext) { text = std::move(newtext); }

void CGUIComponent::setText(std::string newtext, int align) {
  text = std::move(newtext);
  textAlign = align;
}

bool CGUIComponent::mouseEntered(int px, int py) const {
  return px >= x && px <= x + width && py >= y && py <= y + height;
}

void CGUIComponent::draw() {
  switch (type) {
    case guipushbutton: drawButton(); break;
    case guilabel: drawLabel(); break;
    case guicheckbox: drawCheckBox(); break;
    case guitextarea: drawTextArea(); break;
    case guicombobox: drawComboBox(); break;
    case guiradiobutton: drawRadioButton(); break;
    case guidragbutton: drawDragButton(); break;
    default: break;
  }
}

LabelPlacement CGUIComponent::labelPlacement(int px, int py, int dx, int dy,
                                             int labelwidth) const {
  const int n = labelwidth / cellwidth;
  const int shown = std::max(0, std::min(n, static_cast<int>(text.size())));
  int rasterx = px;
  if (textAlign == 0)
    rasterx += leftmargin;
  else if (textAlign == 1)
    rasterx += 5 * (n - shown);
  else
    rasterx += cellwidth * (n - shown);
  return LabelPlacement{rasterx + dx, py + dy + height / 2 - 5, shown};
}

void CGUIComponent::drawLabel() { drawLabel(x, y, 0, 0, width); }

void CGUIComponent::drawLabel(int dx, int dy, int labelwidth) {
  drawLabel(x, y, dx, dy, labelwidth);
}

void CGUIComponent::drawLabel(int px, int py, int dx, int dy, int labelwidth) {
  const LabelPlacement at = labelPlacement(px, py, dx, dy, labelwidth);
  glRasterPos2i(at.x, at.y);
  printString(text.substr(0, at.count));
}

void CGUIComponent::drawButton() {
  beginbox(*this, highlighted);
  drawLabel(0, 0, width);
  endbox(true);
}

void CGUIComponent::drawCheckBox() {
  beginbox(*this, highlighted);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  if (selected) {
    const float w = width, h = height, inx = 0.2f * w, iny = 0.2f * h;
    glLineWidth(0.2f * w);
    line(x + inx, y + iny, x + w - inx, y + h - iny);
    line(x + w - inx, y + iny, x + inx, y + h - iny);
  }
  drawLabel(width, 0, 100);
  endbox(true);
}

void CGUIComponent::drawRadioButton() {
  beginbox(*this, highlighted);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  if (selected) {
    const float w = width, h = height;
    quad(x + 0.2f * w, y + 0.2f * h, x + w - 0.2f * w, y + h - 0.2f * h);
  }
  drawLabel(width, 0, 100);
  endbox(true);
}

void CGUIComponent::drawTextArea() {
  beginbox(*this, false);
  drawLabel();
  endbox(false);
}

void CGUIComponent::drawComboBox() {
  beginbox(*this, false);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  const float w = width, h = height;
  const float a = 0.8f * w;
  const float b = w - a;
  line(x + a, y, x + a, y + h);
  // A pressed combo box shows its arrow hollow.
  if (selected) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glBegin(GL_TRIANGLES);
  glVertex2f(x + a + 0.2f * b, y + 0.8f * h);
  glVertex2f(x + a + 0.8f * b, y + 0.8f * h);
  glVertex2f(x + a + 0.5f * b, y + h - 0.8f * h);
  glEnd();
  drawLabel(0, 0, static_cast<int>(a));
  endbox(false);
}

void CGUIComponent::drawDragButton() {
  const float w = width, h = height;
  glPushMatrix();
  glPushAttrib(GL_COLOR_BUFFER_BIT);
  glColor3f(red, green, blue);
  quad(x, y, x + w, y + h);
  glColor3f(1, 1, 1);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  quad(x, y, x + w, y + h);
  drawLabel(0, 0, width);
  const int pointerx = GUIMouseEvent.x, pointery = GUIMouseEvent.y;
  glColor3f(0.8f, 0.8f, 0.8f);
  if (rubberBand) {
    quad(x, y, pointerx, y + h);
  } else if (selected) {
    // The ghost keeps the point where the button was grabbed under the pointer.
    const int gx = pointerx - (grabX - x);
    const int gy = pointery - (grabY - y);
    quad(gx, gy, gx + w, gy + h);
    drawLabel(gx, gy, 0, 0, width);
  }
  endbox(true);
}
