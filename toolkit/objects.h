#pragma once
#include <vector>

#include "toolkit/Vector.h"
// Immediate-mode primitives, texture-unit set-up, the model table and stencil shadows.

// Primitives. Sizes are full extents (edge lengths, diameters); the placed forms push the
// matrix, translate by t, rotate by rx, ry, rz degrees about x, y, z, translate by o, draw, pop.
void sphere(float size, int n);
void sphere(float size, float tx, float ty, float tz, float rx, float ry, float rz, int n);
void sphere(float size, float tx, float ty, float tz, float ox, float oy, float oz, float rx,
            float ry, float rz, int n);
// Vertices only: the caller opens GL_LINES.
void linecube(float size);
void linecube(float size, float tx, float ty, float tz, float rx, float ry, float rz);
void linecube(float size, float tx, float ty, float tz, float ox, float oy, float oz, float rx,
              float ry, float rz);
// Vertices only: the caller opens GL_LINES.
void gridcube(float size);
// Vertices only: the caller opens GL_QUADS.
void ring(float x, float y, float z, float r1, float r2, int n);
// Vertices only: the caller opens GL_LINES.
void linering(float x, float y, float z, float r, int n);

// One draw of count vertices from interleaved floats, stride floats apart. An attribute whose
// offset is negative is not sent, so its current value applies to every vertex, as it would to
// immediate vertices that never set it. Leaves every client array off.
struct Interleaved {
  int stride;
  int texcoord;  // two floats, texture unit 0
  int colour;
  int coloursize;
  int normal;
  int position;  // three floats
};
void drawinterleaved(unsigned int mode, const float* data, int count, const Interleaved& layout);

void setuptex(int tex);
void setupmultitex(int tex0, int tex1);
void resettex();

// Models.
struct ModelVertex {
  Vector pos;
  float eye[3];
};

struct ModelFace {
  int p[3];
  float s[3];
  float t[3];
  Vector normals[3];
  float plane[4];
  int neigh[3];
  bool visible;
};

struct Model {
  int vertexcount;
  int facecount;
  std::vector<ModelVertex> vertices;
  std::vector<ModelFace> faces;
};

// Returns the cube's index (0).
int initprimitives();
void freeprimitives();
int createcube();
// The stored model, for the shadow code and for checks; null for an index not in use.
Model* getmodel(int model);
void rendermodel(int model, float size);
void rendermodel(int model, float size, float tx, float ty, float tz, float rx, float ry,
                 float rz);
void rendermodel(int model, float size, float tx, float ty, float tz, float ox, float oy,
                 float oz, float rx, float ry, float rz);
void cube(float size);
void cube(float size, float tx, float ty, float tz, float rx, float ry, float rz);
void cube(float size, float tx, float ty, float tz, float ox, float oy, float oz, float rx,
          float ry, float rz);

// Stencil shadows of the registered models, cast by GL_LIGHT1.
void initstencil();
void freestencil();
void startstencil();
bool getstencil();
void addstencilobj(int model);
void setvolumeinfinity(float f);
float getvolumeinfinity();
void setlightposition(float* p);
float* getlightposition();
float* getrlightposition();
float getrlightx();
float getrlighty();
float getrlightz();
void setambientlight(float* c);
void setdiffuselight(float* c);
void setuplight();
void resetlight();
void calcplanes(int model);
void setconnectivity(int model);
void determinevisibility(int model, float size);
void rendershadowvolume(int model);
void renderstencilobjs();
void endstencil();
