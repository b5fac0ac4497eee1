// The tools start the demo in the GL state that the setup dialog leaves in the window's context:
// smoothed lines, pixel alignment, clear colour, matrices and font lists.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "dialog.h"
#include "offline.h"
#include "rasterfont.h"

namespace {
using GlState = std::map<std::string, std::vector<double>>;

// Everything the dialog or a fresh context sets that the demo's start-up does not set again
// (the raster position is left out: the demo draws no bitmaps).
GlState glstate() {
  GlState state;
  const std::pair<const char*, GLenum> values[] = {
      {"viewport", GL_VIEWPORT}, {"scissor box", GL_SCISSOR_BOX},
      {"unpack alignment", GL_UNPACK_ALIGNMENT}, {"line smooth hint", GL_LINE_SMOOTH_HINT},
      {"clear colour", GL_COLOR_CLEAR_VALUE}, {"colour", GL_CURRENT_COLOR},
      {"line width", GL_LINE_WIDTH}, {"polygon mode", GL_POLYGON_MODE},
      {"matrix mode", GL_MATRIX_MODE}, {"projection", GL_PROJECTION_MATRIX},
      {"model-view", GL_MODELVIEW_MATRIX}, {"blend source", GL_BLEND_SRC},
      {"blend destination", GL_BLEND_DST}};
  for (const auto& [name, value] : values) {
    std::vector<double> numbers(16);
    glGetDoublev(value, numbers.data());
    state[name] = numbers;
  }
  const std::pair<const char*, GLenum> switches[] = {
      {"line smoothing", GL_LINE_SMOOTH}, {"point smoothing", GL_POINT_SMOOTH},
      {"blending", GL_BLEND}, {"texturing", GL_TEXTURE_2D}, {"depth test", GL_DEPTH_TEST},
      {"scissor test", GL_SCISSOR_TEST}, {"lighting", GL_LIGHTING}, {"fog", GL_FOG}};
  for (const auto& [name, capability] : switches) state[name] = {double(glIsEnabled(capability))};
  for (int c = firstglyph; c < firstglyph + glyphcount; ++c)
    state["font lists"].push_back(glIsList(fontOffset + c));
  return state;
}
}  // namespace

// The window as the program runs it: Return at the dialog's first frame, then the demo's mode
// set on the same window.
TEST(WindowStart, OffscreenContextMatchesTheWindowAfterTheDialog) {
  setenv("SDL_VIDEODRIVER", "x11", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << "needs an X display: " << SDL_GetError();
  SDL_Event enter{};
  enter.type = enter.key.type = SDL_KEYDOWN;
  enter.key.keysym.sym = SDLK_RETURN;
  SDL_PushEvent(&enter);
  bool fullscreen = false;
  ASSERT_EQ(runsetupdialog(fullscreen), DialogOutcome::start);
  ASSERT_NE(SDL_SetVideoMode(640, 480, 0, SDL_OPENGL), nullptr);
  GlState window = glstate();
  SDL_Quit();

  ASSERT_TRUE(openofflinewindow(640, 480));
  GlState offscreen = glstate();
  closeoffscreen();
  // Only the window keeps the dialog's viewport into the demo's first frame (see offline.cpp).
  EXPECT_EQ(window.at("viewport")[2], dialogwidth);
  for (const char* size : {"viewport", "scissor box"}) window.erase(size), offscreen.erase(size);
  for (const auto& [name, numbers] : window) EXPECT_EQ(numbers, offscreen.at(name)) << name;
}
