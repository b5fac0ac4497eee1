#include "runtime/player.h"

#include <GL/gl.h>

#include "scenes/borders.h"
#include "scenes/camera.h"
#include "scenes/cells.h"
#include "scenes/cells2.h"
#include "scenes/dla.h"
#include "runtime/filters.h"
#include "scenes/floaters.h"
#include "scenes/mainscene.h"
#include "scenes/particles.h"
#include "runtime/seam.h"
#include "runtime/startup.h"
#include "scenes/static.h"
#include "toolkit/tarvok.h"
#include "toolkit/texman.h"
#include "runtime/timeline.h"
#include "runtime/timer.h"
#include "scenes/worms.h"

Scene scenes[maxscenes];
unsigned int scene_i = 0;

namespace {
constexpr float demoend = static_cast<float>(timeline::demoend);
}  // namespace

void playerAddScene(const char* name, float start, float length, float from, float to,
                    void (*init)(), void (*render)(float), void (*free)()) {
  if (scene_i >= maxscenes) return;
  scenes[scene_i] = Scene{name, start, start + length, from, to - from, init, render, free};
  ++scene_i;
}

void playerAddScenes() {
  using namespace timeline;
  // Each row's times as single-precision seconds, the type the score keeps them in.
  const auto f = [](double seconds) { return static_cast<float>(seconds); };
  const float whole = f(landscapeend);
  playerAddScene("Camera", 0, whole, 0, 1, initcamera, camera, freecamera);
  playerAddScene("Main Scene", 0, whole, 0, 1, initmainscene, mainscene, freemainscene);
  playerAddScene("Cells 1", 0, f(worms1in), 0, 1, initcells, cells, freecells);
  playerAddScene("Cells 2-1", f(cellsin), f(cellslength), 0, 1, initcells2, cells2, freecells2);
  playerAddScene("Worms 1", f(worms1in), f(wormslength), 0, 1, initworms, worms, freeworms);
  playerAddScene("Cells 2-2", f(worms1in), f(wormslength), 0, 1, nullptr, cells2_2, nullptr);
  playerAddScene("Worms 2", f(worms2in), f(cellslength), 0, 1, nullptr, worms_2, nullptr);
  playerAddScene("Cells 2-3", f(worms2in), f(cellslength), 0, 1, nullptr, cells2_3, nullptr);
  playerAddScene("Worms 3", f(worms3in), f(wormslength), 0, 1, nullptr, worms_3, nullptr);
  playerAddScene("Cells 2-4", f(worms3in), f(wormslength), 0, 1, nullptr, cells2_4, nullptr);
  playerAddScene("DLA", f(growthin), f(growthlength), 0, 1, initdla, dla, freedla);
  playerAddScene("Cells 1-2", f(cellsbackin), f(cellsbacklength), 0, 1, nullptr, cells_2, nullptr);
  playerAddScene("Cells 1-2", f(burstin), f(closinglength), 1, 1.25f, nullptr, cells_2, nullptr);
  playerAddScene("Particles", f(burstin), f(cellslength), 0, 1, initparticles, particles,
                 freeparticles);
  playerAddScene("Floaters", f(cellsin), f(floaterslength), 0, 1, initfloaters, floaters,
                 freefloaters);
  playerAddScene("Static", 0, whole, 0, 1, initpstatic, pstatic, freepstatic);
  playerAddScene("Borders", 0, whole, 0, 1, initborders, borders, freeborders);
}

bool sceneactive(const Scene& scene, float t) { return scene.start < t && t < scene.end; }

float sceneprogress(const Scene& scene, float t) {
  return (t - scene.start) / (scene.end - scene.start) * scene.span + scene.from;
}

void playerInit() {
  playerAddScenes();
  createcompositortextures();
  startupstep("render targets");
  for (unsigned int i = 0; i < maxscenes; ++i) {
    renderloadingbar(i * 0.0078125f);
    if (getinverted()) drawinversion();
    presentframe();
    startupstep("loading screen");
    if (!scenes[i].initfn) continue;
    scenes[i].initfn();
    startupstep(scenes[i].name);
  }
}

int playerRun() {
  glClearColor(0, 0, 0, 0);
  glClearStencil(0);
  const float t = timer_gettime();
  if (t > demoend) return 0;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  for (const Scene& scene : scenes) {
    if (sceneactive(scene, t)) scene.renderfn(sceneprogress(scene, t));
  }
  compositeframe(t);
  return 1;
}

void playerClose() {
  for (const Scene& scene : scenes) {
    if (scene.freefn) scene.freefn();
  }
}
