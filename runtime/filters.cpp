#include "runtime/filters.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "scenes/borders.h"
#include "toolkit/tarvok.h"
#include "toolkit/texman.h"
#include "runtime/timer.h"

namespace {
constexpr int maintexsize = 2048;
constexpr int rendertexsize = 256;
constexpr int glowtexsize = 128;

unsigned int maintex = 0;
unsigned int rendertex = 0;
unsigned int glowtex = 0;

bool filter_glow = false;
bool filter_reverse = false;

// The lower-left square of the back buffer into the bound texture, as an RGB image.
void copyframe(int size) { glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, size, size, 0); }

// A linear-filtered, clamped square texture already in the RGB form every copy gives it, so the
// copies reuse its storage. Nothing reads a texel before a copy has written it: no upload.
unsigned int rendertarget(int size) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_CLAMP));
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_CLAMP));
  return name;
}

// The bound texture stretched over the 640 x 480 overlay 32 times, each copy displaced 8 units in
// another direction: with additive blending the copies sum to 3.2 times the image, smeared in a ring.
void blursweep() {
  glBegin(GL_QUADS);
  for (int i = 0; i < 32; ++i) {
    const float angle = i * 0.03125f * 6.283184f;
    const float dx = 8 * std::cos(angle);
    const float dy = 8 * std::sin(angle);
    glColor4f(1, 1, 1, 0.1f);
    glTexCoord2f(0, 1);
    glVertex2f(dx, dy);
    glTexCoord2f(0, 0);
    glVertex2f(dx, dy + 480);
    glTexCoord2f(1, 0);
    glVertex2f(dx + 640, dy + 480);
    glTexCoord2f(1, 1);
    glVertex2f(dx + 640, dy);
  }
  glEnd();
}

void overlayblursweep() {
  perspective2DBegin(640, 480);
  blursweep();
  perspective2DEnd();
}

// Blurs the 256 x 256 squeezed frame twice into the 128 x 128 glowtex.
void buildglow() {
  glBindTexture(GL_TEXTURE_2D, rendertex);
  copyframe(rendertexsize);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, glowtexsize, glowtexsize);
  glEnable(GL_TEXTURE_2D);
  beginadditive(GL_SRC_ALPHA);
  overlayblursweep();
  glBindTexture(GL_TEXTURE_2D, glowtex);
  copyframe(glowtexsize);
  glClear(GL_COLOR_BUFFER_BIT);
  overlayblursweep();
  copyframe(glowtexsize);
  glClear(GL_COLOR_BUFFER_BIT);
}

// The glow added over the whole frame at one fifth of its brightness.
void addglow() {
  glClearColor(0, 0, 0, 0);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, glowtex);
  glColor4f(1, 1, 1, 0.2f);
  texturedoverlay();
  glBindTexture(GL_TEXTURE_2D, 0);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
}

// Sharp frame, then the date counter over it, then the glow made from the scene alone.
void glowfilter() {
  // Every frame that glows restarts the shared generator, so the next frame's scenes that draw
  // before seeding it see the same numbers each time.
  std::srand(0);
  buildglow();
  glViewport(0, 0, getscrw(), getscrh());
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  // Still within the corner: only there did the glow overwrite the scenes' picture.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  drawMaintex();
  glDisable(GL_SCISSOR_TEST);
  counter(timer_gettime() * 0.0067114094f);
  addglow();
}
}  // namespace

void setglowfilter() { filter_glow = true; }
void setreversefilter() { filter_reverse = true; }

void filters(float) {
  if (getscrw() > 399) setglowfilter();
  if (getinverted()) setreversefilter();
}

void drawMaintex() {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, maintex);
  const int w = getscrw();
  const int h = getscrh();
  perspective2DBegin(w, h);
  const float u = w * 0.00048828125f;
  const float v = h / 2048.0f;
  glBegin(GL_QUADS);
  glTexCoord2f(u, 0);
  glVertex2f(w, h);
  glTexCoord2f(0, 0);
  glVertex2f(0, h);
  glTexCoord2f(0, v);
  glVertex2f(0, 0);
  glTexCoord2f(u, v);
  glVertex2f(w, 0);
  glEnd();
  perspective2DEnd();
  glDisable(GL_TEXTURE_2D);
}

void drawinversion() {
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO);
  glEnable(GL_BLEND);
  perspective2DBegin(640, 480);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(0, 480);
  glVertex2f(640, 480);
  glVertex2f(640, 0);
  glEnd();
  perspective2DEnd();
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

void createcompositortextures() {
  maintex = rendertarget(maintexsize);
  rendertex = rendertarget(rendertexsize);
  glowtex = rendertarget(glowtexsize);
}

void compositeframe(float t) {
  glBindTexture(GL_TEXTURE_2D, maintex);
  copyframe(maintexsize);
  filter_glow = false;
  filter_reverse = false;
  filters(t);
  if (filter_glow) {
    // The glow works in the lower-left corner only; fencing its clears and draws in there leaves
    // the rest of the frame as the scenes drew it, so it need not be cleared and drawn again.
    glViewport(0, 0, rendertexsize, rendertexsize);
    glScissor(0, 0, rendertexsize, rendertexsize);
    glEnable(GL_SCISSOR_TEST);
  }
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
  drawMaintex();
  glClearColor(0, 0, 0, 0);
  if (filter_glow) glowfilter();
  if (filter_reverse) drawinversion();
}
