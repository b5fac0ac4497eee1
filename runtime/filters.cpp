#include "filters.h"

#include <GL/gl.h>

#include "tarvok.h"

// Placeholder until the compositor lands: frames are shown as the scenes drew them.

void setglowfilter() {}
void setreversefilter() {}
void filters(float) {}
void drawMaintex() {}

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

void createcompositortextures() {}
void compositeframe(float) {}
