#pragma once
// One widget of the setup dialog. The type code picks how it is drawn and how the dialog
// reacts to a click on it; the widget itself only holds state.
#include <string>

// Type codes.
constexpr int guipushbutton = 0;
constexpr int guilabel = 1;
constexpr int guicheckbox = 2;
constexpr int guitextarea = 3;
constexpr int guicombobox = 4;
constexpr int guiradiobutton = 5;
constexpr int guidragbutton = 6;

// Where drawLabel puts its text: the raster position and how many characters fit.
struct LabelPlacement {
  int x;
  int y;
  int count;
};

class CGUIComponent {
 public:
  CGUIComponent();
  CGUIComponent(int type, std::string text, int x, int y, int width, int height, bool selected);

  void setColor(float r, float g, float b);
  void setType(int type);
  void setDimension(int x, int y, int width, int height);
  void setDimension(int x, int y);
  void setText(std::string text);
  void setText(std::string text, int align);
  bool mouseEntered(int px, int py) const;

  void draw();
  void drawLabel();
  void drawLabel(int dx, int dy, int width);
  void drawLabel(int px, int py, int dx, int dy, int width);
  LabelPlacement labelPlacement(int px, int py, int dx, int dy, int width) const;
  void drawButton();
  void drawCheckBox();
  void drawRadioButton();
  void drawTextArea();
  void drawComboBox();
  void drawDragButton();

  bool rubberBand;
  bool highlighted;
  bool selected;
  int x;
  int y;
  int width;
  int height;
  int type;
  int group;
  int textAlign;  // 0 left, 1 centred, anything else right
  int grabX;
  int grabY;
  float red;
  float green;
  float blue;
  std::string text;
};
