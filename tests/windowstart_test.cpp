// The tools start the demo in the GL state that the setup dialog leaves in the window's context:
// smoothed lines, pixel alignment, clear colour, matrices and font lists.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "setup/dialog.h"
#include "tools/offline.h"
#include "setup/rasterfont.h"

namespace {
using GlState = std::map<GLenum, std::vector<double>>;

// Everything the dialog or a fresh context sets that the demo's start-up does not set again
// (the raster position is left out: the demo draws no bitmaps), and the font lists under key 0.
GlState glstate() {
  GlState state;
  for (const GLenum value :
       {GL_UNPACK_ALIGNMENT, GL_LINE_SMOOTH_HINT, GL_COLOR_CLEAR_VALUE, GL_CURRENT_COLOR,
        GL_LINE_WIDTH, GL_POLYGON_MODE, GL_MATRIX_MODE, GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX,
        GL_BLEND_SRC, GL_BLEND_DST, GL_VIEWPORT}) {
    state[value].resize(16);
    glGetDoublev(value, state[value].data());
  }
  for (const GLenum capability : {GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_BLEND, GL_TEXTURE_2D,
                                  GL_DEPTH_TEST, GL_SCISSOR_TEST, GL_LIGHTING, GL_FOG})
    state[capability] = {double(glIsEnabled(capability))};
  for (int c = firstglyph; c < firstglyph + glyphcount; ++c)
    state[0].push_back(glIsList(fontOffset + c));
  return state;
}
}  // namespace

// The window as the program runs it: Return at the dialog's first frame, then the demo's mode
// set on the same window (a new context under sdl12-compat, the same one under classic SDL).
TEST(WindowStart, OffscreenContextMatchesTheWindowAfterTheDialog) {
  setenv("SDL_VIDEODRIVER", "x11", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << "needs an X display: " << SDL_GetError();
  SDL_Event enter{};
  enter.type = enter.key.type = SDL_KEYDOWN;
  enter.key.keysym.sym = SDLK_RETURN;
  SDL_PushEvent(&enter);
  bool fullscreen = false;
  ASSERT_EQ(runsetupdialog(fullscreen), DialogOutcome::start);
  ASSERT_NE(opendemowindow(640, 480, false), nullptr);
  GlState window = glstate();
  SDL_Quit();

  ASSERT_TRUE(openofflinewindow(640, 480));
  GlState offscreen = glstate();
  closeoffscreen();
  // Only the window keeps the dialog's viewport into the demo's first frame (see offline.cpp).
  EXPECT_EQ(window.at(GL_VIEWPORT)[2], dialogwidth);
  window.erase(GL_VIEWPORT);
  offscreen.erase(GL_VIEWPORT);
  for (const auto& [name, numbers] : window) EXPECT_EQ(numbers, offscreen.at(name)) << name;
}
