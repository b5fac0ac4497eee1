#include "runtime/demo.h"

#include <GL/gl.h>

#include "toolkit/font.h"
#include "toolkit/objects.h"
#include "runtime/player.h"
#include "runtime/seam.h"
#include "runtime/sound.h"
#include "runtime/startup.h"
#include "toolkit/tarvok.h"
#include "toolkit/texman.h"
#include "runtime/timer.h"

const float playerRewindTime = -0.0f;
const char* const songname = "data/zib-dovrin-halvenmoor.mp3";

namespace {
const char* const apptitle = "Tessivar";
const char* const fontname = "Georgia";
void (*startupwatch)(const char*) = nullptr;

void loadingstep(float p) {
  renderloadingbar(p);
  presentframe();
  startupstep("loading screen");
}
}  // namespace

const char* getapptitle() { return apptitle; }

void setstartupwatch(void (*watch)(const char*)) { startupwatch = watch; }

void startupstep(const char* step) {
  if (startupwatch) startupwatch(step);
}

void initdemo(int fontsize) {
  startupstep("context");
  initfont(fontsize, fontname);
  glClearColor(0, 0, 0, 0);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  if (isDriverFallback()) {
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  }
  const GLfloat fogcolour[] = {0, 0, 0, 0};
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogfv(GL_FOG_COLOR, fogcolour);
  glFogf(GL_FOG_DENSITY, 0.5f);
  glHint(GL_FOG_HINT, GL_DONT_CARE);
  glEnable(GL_LIGHT1);
  glDepthFunc(GL_LEQUAL);

  inittexman();
  startupstep("state");
  playerInit();
  initprimitives();
  startupstep("primitives");
  loadingstep(0.6f);
  initstencil();
  startupstep("shadows");
  loadingstep(0.7f);
  if (getsoundon() && !sound_init(songname, playerRewindTime)) setsoundon(false);
  startupstep("music");
  loadingstep(0.8f);
  // The clock starts after the music file is open and just before it plays.
  timer_init();
  loadingstep(0.9f);
  // A start offset moves picture and music alike that many seconds into the demo.
  timer_addtime(-playerRewindTime);
  loadingstep(1.0f);
  if (getsoundon()) sound_run();
}

int dodemo() {
  glLineWidth(1.0f);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  timer_update();
  glPushMatrix();
  const int running = playerRun();
  glPopMatrix();
  return running;
}

void freedemo() {
  freetexman();
  playerClose();
  freeprimitives();
  freestencil();
  if (getsoundon()) sound_close();
}
