#pragma once
// The score: a fixed table of timed scenes, drawn in table order every frame.

struct Scene {
  const char* name;
  float start;
  float end;
  float from;
  float span;
  void (*initfn)();
  void (*renderfn)(float);
  void (*freefn)();
};

constexpr unsigned int maxscenes = 64;
extern Scene scenes[maxscenes];
extern unsigned int scene_i;

void playerAddScene(const char* name, float start, float length, float from, float to,
                    void (*init)(), void (*render)(float), void (*free)());
void playerAddScenes();  // registers this production's score
void playerInit();
int playerRun();
void playerClose();

// A scene is drawn strictly inside its interval, with its progress scaled into its range.
bool sceneactive(const Scene& scene, float t);
float sceneprogress(const Scene& scene, float t);
