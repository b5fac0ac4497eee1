// Overlay space, the sprite batch and the loading screen, drawn in a real GL context.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "offscreen.h"
#include "tarvok.h"

namespace {
constexpr int width = 640, height = 480;

// Eye space in pixels with y up, so sprite corners land on known pixels.
void pixelprojection() {
  needoffscreen(width, height);
  glViewport(0, 0, width, height);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, 0, height, -10, 10);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Texture row 0 (t = 0) red, row 1 blue.
unsigned int redbluetexture() {
  const unsigned char texels[] = {255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255};
  unsigned int name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  return name;
}

bool lit(const Rgb& c) { return c.r + c.g + c.b > 0; }

// y counted from the top of the frame, as pixelat does.
Rgb at(const std::vector<unsigned char>& frame, int x, int yup) {
  return pixelat(frame, x, height - 1 - yup);
}
}  // namespace

TEST(Sprites, FollowTheMatrixPositionButNeverItsTurnOrScale) {
  pixelprojection();
  glTranslatef(200, 100, 0);
  glRotatef(45, 0, 0, 1);
  glScalef(3, 3, 3);
  glColor3f(1, 1, 1);
  beginsprites(0);
  rendersprite(0, 0, 0, 0, 20);
  rendersprite(10, 0, 0, 0, 5);  // 30 eye units along the turned, scaled x axis
  endsprites();
  const auto frame = framepixels();
  // An upright 40 x 40 square around (200, 100).
  EXPECT_TRUE(lit(at(frame, 181, 81)));
  EXPECT_TRUE(lit(at(frame, 218, 118)));
  EXPECT_FALSE(lit(at(frame, 178, 100)));
  EXPECT_FALSE(lit(at(frame, 222, 100)));
  EXPECT_FALSE(lit(at(frame, 200, 122)));
  // The second sprite sits at (200, 100) + 30 * (cos 45, sin 45) and stays 10 wide.
  EXPECT_TRUE(lit(at(frame, 221 + 4, 121 + 4)));
  EXPECT_FALSE(lit(at(frame, 221 + 7, 121)));
  // The batch restores the caller's matrix.
  float matrix[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_NEAR(matrix[12], 200, 1e-4);
  EXPECT_NEAR(matrix[0], 3 * 0.70710678f, 1e-5);
}

TEST(Sprites, AnyTurnMirrorsTheTextureTopToBottom) {
  pixelprojection();
  const unsigned int texture = redbluetexture();
  beginsprites(texture);
  rendersprite(100, 100, 0, 0, 20);
  rendersprite(300, 100, 0, 1e-6f, 20);
  endsprites();
  const auto frame = framepixels();
  // Upright: t = 0 at the bottom. Turned by a hair: t = 0 at the top.
  EXPECT_EQ(at(frame, 100, 90).r, 255);
  EXPECT_EQ(at(frame, 100, 110).b, 255);
  EXPECT_EQ(at(frame, 300, 110).r, 255);
  EXPECT_EQ(at(frame, 300, 90).b, 255);
  glDeleteTextures(1, &texture);
}

TEST(Overlay, TopLeftOriginYDownAndBothMatricesRestored) {
  pixelprojection();
  glMatrixMode(GL_PROJECTION);
  glRotatef(10, 0, 1, 0);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(1, 2, 3);
  float before[2][16], after[2][16];
  glGetFloatv(GL_PROJECTION_MATRIX, before[0]);
  glGetFloatv(GL_MODELVIEW_MATRIX, before[1]);
  perspective2DBegin(640, 480);
  glColor3f(0, 1, 0);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(0, 20);
  glVertex2f(20, 20);
  glVertex2f(20, 0);
  glEnd();
  perspective2DEnd();
  const auto frame = framepixels();
  EXPECT_EQ(pixelat(frame, 5, 5).g, 255);
  EXPECT_EQ(pixelat(frame, 5, height - 6).g, 0);
  glGetFloatv(GL_PROJECTION_MATRIX, after[0]);
  glGetFloatv(GL_MODELVIEW_MATRIX, after[1]);
  EXPECT_EQ(0, std::memcmp(before, after, sizeof before));
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST(LoadingBar, FillsFromTheLeftInsideItsFrameAndFadesOut) {
  needoffscreen(width, height);
  glViewport(0, 0, width, height);
  glDisable(GL_DEPTH_TEST);
  renderloadingbar(0.5f);
  auto frame = framepixels();
  // 512 x 384 overlay on 640 x 480: the bar spans x 242.5..397.5 and y 242.5..247.5.
  const Rgb fill = pixelat(frame, 280, 245);
  EXPECT_NEAR(fill.r, 51, 1);
  EXPECT_NEAR(fill.g, 178, 1);
  EXPECT_NEAR(fill.b, 230, 1);
  EXPECT_FALSE(lit(pixelat(frame, 360, 245)));  // beyond the half-full bar
  EXPECT_FALSE(lit(pixelat(frame, 280, 230)));  // above it
  int framecolumn = 0;
  for (int x = 394; x <= 400; ++x)
    if (pixelat(frame, x, 245).r == 255 && pixelat(frame, x, 245).b == 255) framecolumn = x;
  EXPECT_NE(framecolumn, 0) << "right edge of the frame";
  GLboolean blending = GL_TRUE;
  glGetBooleanv(GL_BLEND, &blending);
  EXPECT_FALSE(blending);

  // The text steps leave their turn (while p < 0.5) and translation on the model-view matrix.
  float matrix[16];
  renderloadingbar(0.25f);
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_NEAR(matrix[14], -20.0f, 1e-5);
  EXPECT_NE(matrix[1], 0.0f);

  renderloadingbar(1.0f);
  frame = framepixels();
  EXPECT_EQ(*std::max_element(frame.begin(), frame.end()), 0);
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_NEAR(matrix[12], -2.86f, 1e-5);
  EXPECT_EQ(matrix[1], 0.0f);
}
