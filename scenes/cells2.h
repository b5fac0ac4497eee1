#pragma once
// The cell sequence of the middle act: nine sprite cells in a dim sphere, the title logo and a
// trail of balls along a spline through the cells.

struct point3d {
  float radius;
  float x;
  float y;
  float z;
};

constexpr int cellcount = 9;
constexpr int pathsegments = 9;
constexpr int pathsteps = 100;
constexpr int pathsamples = pathsegments * pathsteps;

// The nine cells (record 0 is the centre cell), then the point the path returns to: the origin.
extern const point3d cellPath[cellcount + 1];

void initcells2();
void cells2(float progress);
void cells2_2(float progress);
void cells2_3(float progress);
void cells2_4(float progress);
void freecells2();

void renderlogo(float p);
void rendercell(float radius, float x, float y, float z);
void rendercell_2(float radius, float x, float y, float z, float bulge);
void paskapallo(float x, float y, float z, float size, float p);
// Samples the natural cubic spline through in[0..n] into out[0 .. n*steps-1]; in[n] itself is
// never written out and the radius fields of out are left alone. Needs n >= 1 and steps >= 1.
void createSpline(point3d* out, int n, int steps, const point3d* in);
// The sampled ball path (pathsamples records), filled by initcells2.
const point3d* cellpathsamples();
