#include "toolkit/objects_internal.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
constexpr float fullturn = 6.283184f;
constexpr int modelcapacity = 256;
constexpr unsigned int stencilcapacity = 1000;
constexpr int drawpiece = 240;  // vertices: whole quads and whole triangles

std::unique_ptr<Model[]> objects;
int obji = 0;

std::unique_ptr<int[]> voi;
unsigned int cvi = 0;
bool stencilrunning = false;
float volumeinfinity = 0.5f;
float lightpos[4] = {0, 0, 0, 0};
float rlightpos[4] = {0, 0, 0, 0};
float lighta[4] = {0, 0, 0, 0};
float lightd[4] = {0, 0, 0, 0};

// Spheres are the same every frame for the same size and count: their vertices (normal, texture
// coordinate, position) are worked out once and kept.
constexpr Interleaved spherelayout{8, 3, -1, 0, 0, 5};

struct SphereMesh {
  float size;
  int n;
  std::vector<float> vertices;
};
std::vector<SphereMesh> spheres;

void spherevertex(std::vector<float>& out, float r, float a, float b, float s) {
  const float nx = -std::sin(a) * std::cos(b);
  const float ny = std::cos(a);
  const float nz = -std::sin(a) * std::sin(b);
  out.insert(out.end(), {nx, ny, nz, s, (1 + std::cos(a)) * 0.5f, r * nx, r * ny, r * nz});
}

std::vector<float> spherevertices(float size, int n) {
  std::vector<float> out;
  if (n < 1) return out;
  const float r = size * 0.5f;
  const float step = fullturn / n;
  const float inv = 1.0f / n;
  float a = 0;
  for (int i = 0; i < n; ++i) {
    const float a2 = a + step;
    float b = 0;
    for (int j = 0; j < n; ++j) {
      const float b2 = b + step;
      const float s = j * inv;
      const float s2 = (j + 1) * inv;
      spherevertex(out, r, a, b2, s2);
      spherevertex(out, r, a, b, s);
      spherevertex(out, r, a2, b, s);
      spherevertex(out, r, a, b2, s2);
      spherevertex(out, r, a2, b, s);
      spherevertex(out, r, a2, b2, s2);
      b = b2;
    }
    a = a2;
  }
  return out;
}

const std::vector<float>& spheremesh(float size, int n) {
  for (const SphereMesh& mesh : spheres)
    if (mesh.size == size && mesh.n == n) return mesh.vertices;
  spheres.push_back(SphereMesh{size, n, spherevertices(size, n)});
  return spheres.back().vertices;
}

void place(float tx, float ty, float tz, float rx, float ry, float rz) {
  glPushMatrix();
  glTranslatef(tx, ty, tz);
  glRotatef(rx, 1, 0, 0);
  glRotatef(ry, 0, 1, 0);
  glRotatef(rz, 0, 0, 1);
}

void place(float tx, float ty, float tz, float ox, float oy, float oz, float rx, float ry,
           float rz) {
  place(tx, ty, tz, rx, ry, rz);
  glTranslatef(ox, oy, oz);
}

void line(float x1, float y1, float z1, float x2, float y2, float z2) {
  glVertex3f(x1, y1, z1);
  glVertex3f(x2, y2, z2);
}

void linecubelines(float size) {
  glBegin(GL_LINES);
  linecube(size);
  glEnd();
}

void setcombine(float function) {
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<float>(GL_COMBINE_ARB));
  glTexEnvf(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, function);
}

void spheremapgeneration() {
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

struct CubeFace {
  int p[3];
  float st[3][2];
  Vector normal;
};

// Corners counter-clockwise seen from outside; normals of length 0.5, sent as they are.
const CubeFace cubefaces[12] = {
    {{0, 2, 3}, {{1, 0}, {1, 1}, {0, 1}}, Vector(0, 0, -0.5f)},
    {{3, 1, 0}, {{0, 1}, {0, 0}, {1, 0}}, Vector(0, 0, -0.5f)},
    {{6, 4, 5}, {{0, 1}, {0, 0}, {1, 0}}, Vector(0, 0, 0.5f)},
    {{5, 7, 6}, {{1, 0}, {1, 1}, {0, 1}}, Vector(0, 0, 0.5f)},
    {{3, 2, 6}, {{1, 1}, {0, 1}, {0, 0}}, Vector(0, 0.5f, 0)},
    {{6, 7, 3}, {{0, 0}, {1, 0}, {1, 1}}, Vector(0, 0.5f, 0)},
    {{4, 0, 1}, {{0, 1}, {0, 0}, {1, 0}}, Vector(0, -0.5f, 0)},
    {{1, 5, 4}, {{1, 0}, {1, 1}, {0, 1}}, Vector(0, -0.5f, 0)},
    {{1, 3, 7}, {{1, 0}, {1, 1}, {0, 1}}, Vector(0.5f, 0, 0)},
    {{7, 5, 1}, {{0, 1}, {0, 0}, {1, 0}}, Vector(0.5f, 0, 0)},
    {{6, 2, 0}, {{1, 1}, {0, 1}, {0, 0}}, Vector(-0.5f, 0, 0)},
    {{0, 4, 6}, {{0, 0}, {1, 0}, {1, 1}}, Vector(-0.5f, 0, 0)},
};

bool sameedge(int a1, int a2, int b1, int b2) {
  return (a1 == b1 && a2 == b2) || (a1 == b2 && a2 == b1);
}

const float* eyeof(const Model& m, int vertex) { return m.vertices[vertex].eye; }

// One side of a shadow volume: the edge P1-P2 and its copy pushed away from the light.
void extrudededge(const float* p1, const float* p2) {
  const float f = getvolumeinfinity();
  const float lx = rlightpos[0];
  const float ly = rlightpos[1];
  const float lz = rlightpos[2];
  glBegin(GL_TRIANGLE_STRIP);
  glVertex3f(p1[0], p1[1], p1[2]);
  glVertex3f(p1[0] + (p1[0] - lx) * f, p1[1] + (p1[1] - ly) * f, p1[2] + (p1[2] - lz) * f);
  glVertex3f(p2[0], p2[1], p2[2]);
  glVertex3f(p2[0] + (p2[0] - lx) * f, p2[1] + (p2[1] - ly) * f, p2[2] + (p2[2] - lz) * f);
  glEnd();
}

void darkenshadows() {
  glStencilFunc(GL_NOTEQUAL, 0, 0xFFFFFFFF);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColor4f(0, 0, 0, 0.45f);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_TRIANGLE_STRIP);
  glVertex3f(-0.1f, 0.1f, -0.1f);
  glVertex3f(-0.1f, -0.1f, -0.1f);
  glVertex3f(0.1f, 0.1f, -0.1f);
  glVertex3f(0.1f, -0.1f, -0.1f);
  glEnd();
  glPopMatrix();
}
}  // namespace

// The polar angle sweeps a full turn, so the sphere is built twice: once facing inward, once
// outward, and with culling on one covering shows from either side.
void sphere(float size, int n) {
  const std::vector<float>& mesh = spheremesh(size, n);
  if (mesh.empty()) return;
  const int count = static_cast<int>(mesh.size()) / spherelayout.stride;
  drawinterleaved(GL_TRIANGLES, mesh.data(), count, spherelayout);
  // The last vertex's normal and coordinate stay current, as after immediate vertices.
  const float* last = &mesh[mesh.size() - spherelayout.stride];
  glNormal3f(last[0], last[1], last[2]);
  glMultiTexCoord2fARB(GL_TEXTURE0_ARB, last[3], last[4]);
}

void drawinterleaved(unsigned int mode, const float* data, int count, const Interleaved& layout) {
  const GLsizei stride = layout.stride * static_cast<GLsizei>(sizeof(float));
  if (layout.texcoord >= 0) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, data + layout.texcoord);
  }
  if (layout.colour >= 0) {
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(layout.coloursize, GL_FLOAT, stride, data + layout.colour);
  }
  if (layout.normal >= 0) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, data + layout.normal);
  }
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, data + layout.position);
  // Lists of quads or triangles go in pieces: a software rasterizer shades and clips all of a
  // draw's vertices before it sets up any primitive, and in pieces that work stays in the cache
  // (on llvmpipe the snow and floor cost the main thread about half as much). Same primitives,
  // same order.
  const bool list = mode == GL_QUADS || mode == GL_TRIANGLES;
  const int piece = list ? drawpiece : count;
  for (int first = 0; first < count; first += piece)
    glDrawArrays(mode, first, std::min(piece, count - first));
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void sphere(float size, float tx, float ty, float tz, float rx, float ry, float rz, int n) {
  place(tx, ty, tz, rx, ry, rz);
  sphere(size, n);
  glPopMatrix();
}

void sphere(float size, float tx, float ty, float tz, float ox, float oy, float oz, float rx,
            float ry, float rz, int n) {
  place(tx, ty, tz, ox, oy, oz, rx, ry, rz);
  sphere(size, n);
  glPopMatrix();
}

void linecube(float size) {
  const float h = size / 2;
  for (const float z : {h, -h}) {
    line(-h, h, z, h, h, z);
    line(-h, -h, z, h, -h, z);
    line(-h, -h, z, -h, h, z);
    line(h, -h, z, h, h, z);
  }
  line(-h, h, h, -h, h, -h);
  line(h, h, h, h, h, -h);
  line(-h, -h, h, -h, -h, -h);
  line(h, -h, h, h, -h, -h);
}

void linecube(float size, float tx, float ty, float tz, float rx, float ry, float rz) {
  place(tx, ty, tz, rx, ry, rz);
  linecubelines(size);
  glPopMatrix();
}

void linecube(float size, float tx, float ty, float tz, float ox, float oy, float oz, float rx,
              float ry, float rz) {
  place(tx, ty, tz, ox, oy, oz, rx, ry, rz);
  linecubelines(size);
  glPopMatrix();
}

// Sixteen lines a direction on each face; the lines at +h are left out.
void gridcube(float size) {
  const float h = size / 2;
  float c = -h;
  for (int k = 0; k < 16; ++k) {
    line(-h, -h, c, -h, h, c);
    line(-h, c, -h, -h, c, h);
    line(h, -h, c, h, h, c);
    line(h, c, -h, h, c, h);
    line(-h, -h, c, h, -h, c);
    line(c, -h, -h, c, -h, h);
    line(-h, h, c, h, h, c);
    line(c, h, -h, c, h, h);
    line(-h, c, -h, h, c, -h);
    line(c, -h, -h, c, h, -h);
    line(-h, c, h, h, c, h);
    line(c, -h, h, c, h, h);
    c += size * 0.0625f;
  }
}

void ring(float x, float y, float z, float r1, float r2, int n) {
  if (n <= 0) return;
  const float inv = 1.0f / n;
  for (int k = 1; k <= n; ++k) {
    const float a = k * inv * fullturn;
    const float a2 = (k + 1) * inv * fullturn;
    glVertex3f(x + r1 * std::cos(a), y, z + r1 * std::sin(a));
    glVertex3f(x + r1 * std::cos(a2), y, z + r1 * std::sin(a2));
    glVertex3f(x + r2 * std::cos(a2), y, z + r2 * std::sin(a2));
    glVertex3f(x + r2 * std::cos(a), y, z + r2 * std::sin(a));
  }
}

void linering(float x, float y, float z, float r, int n) {
  if (n <= 0) return;
  const float inv = 1.0f / n;
  float px = x + r;
  float pz = z;
  for (int k = 1; k <= n; ++k) {
    const float a = fullturn * k * inv;
    const float qx = x + r * std::cos(a);
    const float qz = z + r * std::sin(a);
    glVertex3f(qx, y, qz);
    glVertex3f(px, y, pz);
    px = qx;
    pz = qz;
  }
}

void setuptex(int tex) {
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, tex);
  setcombine(GL_MODULATE);
}

// tex0 modulated by the vertex colour, plus tex1 as a sphere environment map on unit 1.
void setupmultitex(int tex0, int tex1) {
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, tex0);
  setcombine(GL_MODULATE);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, tex1);
  setcombine(GL_ADD);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
}

void resettex() {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_2D);
  setcombine(GL_MODULATE);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_2D);
  setcombine(GL_MODULATE);
}

int initprimitives() {
  glActiveTextureARB(GL_TEXTURE1_ARB);
  spheremapgeneration();
  glActiveTextureARB(GL_TEXTURE0_ARB);
  spheremapgeneration();
  objects = std::make_unique<Model[]>(modelcapacity);
  obji = 0;
  return createcube();
}

void freeprimitives() {
  spheres.clear();
  spheres.shrink_to_fit();
  objects.reset();
  obji = 0;
}

int createcube() {
  if (!objects || obji >= modelcapacity) return -1;
  Model& m = objects[obji];
  m.vertexcount = 8;
  m.facecount = 12;
  m.vertices.assign(8, ModelVertex{});
  for (int i = 0; i < 8; ++i)
    m.vertices[i].pos = Vector(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f);
  m.faces.assign(12, ModelFace{});
  for (int f = 0; f < 12; ++f) {
    ModelFace& face = m.faces[f];
    for (int k = 0; k < 3; ++k) {
      face.p[k] = cubefaces[f].p[k];
      face.s[k] = cubefaces[f].st[k][0];
      face.t[k] = cubefaces[f].st[k][1];
      face.normals[k] = cubefaces[f].normal;
    }
  }
  setconnectivity(obji);
  return obji++;
}

Model* getmodel(int model) {
  if (!objects || model < 0 || model >= modelcapacity) return nullptr;
  return &objects[model];
}

void rendermodel(int model, float size) {
  if (!objects || model < 0 || model >= obji) return;
  Model& m = objects[model];
  const float h = 0.5f * size;
  float mv[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  for (ModelVertex& v : m.vertices) {
    const float x = v.pos.x;
    const float y = v.pos.y;
    const float z = v.pos.z;
    v.eye[0] = (mv[0] * x + mv[4] * y + mv[8] * z) * h + mv[12];
    v.eye[1] = (mv[1] * x + mv[5] * y + mv[9] * z) * h + mv[13];
    v.eye[2] = (mv[2] * x + mv[6] * y + mv[10] * z) * h + mv[14];
  }
  if (getstencil()) {
    calcplanes(model);
    determinevisibility(model, h);
    addstencilobj(model);
  }
  glBegin(GL_TRIANGLES);
  for (const ModelFace& face : m.faces)
    for (int k = 0; k < 3; ++k) {
      const Vector& pos = m.vertices[face.p[k]].pos;
      glMultiTexCoord2fARB(GL_TEXTURE0_ARB, face.s[k], face.t[k]);
      glNormal3f(face.normals[k].x, face.normals[k].y, face.normals[k].z);
      glVertex3f(h * pos.x, h * pos.y, h * pos.z);
    }
  glEnd();
}

void rendermodel(int model, float size, float tx, float ty, float tz, float rx, float ry,
                 float rz) {
  place(tx, ty, tz, rx, ry, rz);
  rendermodel(model, size);
  glPopMatrix();
}

void rendermodel(int model, float size, float tx, float ty, float tz, float ox, float oy,
                 float oz, float rx, float ry, float rz) {
  place(tx, ty, tz, ox, oy, oz, rx, ry, rz);
  rendermodel(model, size);
  glPopMatrix();
}

void cube(float size) { rendermodel(0, size); }

void cube(float size, float tx, float ty, float tz, float rx, float ry, float rz) {
  rendermodel(0, size, tx, ty, tz, rx, ry, rz);
}

void cube(float size, float tx, float ty, float tz, float ox, float oy, float oz, float rx,
          float ry, float rz) {
  rendermodel(0, size, tx, ty, tz, ox, oy, oz, rx, ry, rz);
}

void initstencil() {
  voi = std::make_unique<int[]>(stencilcapacity);
  cvi = 0;
  stencilrunning = true;
}

void freestencil() {
  voi.reset();
  cvi = 0;
}

void startstencil() {
  stencilrunning = true;
  cvi = 0;
}

bool getstencil() { return stencilrunning; }

void addstencilobj(int model) {
  if (!voi || cvi >= stencilcapacity) return;
  voi[cvi++] = model;
}

unsigned int getstencilcount() { return cvi; }

void setvolumeinfinity(float f) { volumeinfinity = f; }
float getvolumeinfinity() { return volumeinfinity; }

void setlightposition(float* p) {
  for (int i = 0; i < 4; ++i) lightpos[i] = p[i];
}

float* getlightposition() { return lightpos; }
float* getrlightposition() { return rlightpos; }
float getrlightx() { return rlightpos[0]; }
float getrlighty() { return rlightpos[1]; }
float getrlightz() { return rlightpos[2]; }

void setambientlight(float* c) {
  for (int i = 0; i < 4; ++i) lighta[i] = c[i];
}

void setdiffuselight(float* c) {
  for (int i = 0; i < 4; ++i) lightd[i] = c[i];
  glLightfv(GL_LIGHT1, GL_DIFFUSE, lightd);
}

// The light in the eye space of the models drawn under the same camera transform.
void setuplight() {
  glLightfv(GL_LIGHT1, GL_POSITION, lightpos);
  glLightfv(GL_LIGHT1, GL_AMBIENT, lighta);
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  const float* l = lightpos;
  for (int i = 0; i < 4; ++i)
    rlightpos[i] = m[i] * l[0] + m[4 + i] * l[1] + m[8 + i] * l[2] + m[12 + i] * l[3];
  glEnable(GL_LIGHTING);
}

void resetlight() { glDisable(GL_LIGHTING); }

void calcplanes(int model) {
  Model* m = getmodel(model);
  if (!m) return;
  for (ModelFace& face : m->faces) {
    const float* v1 = eyeof(*m, face.p[0]);
    const float* v2 = eyeof(*m, face.p[1]);
    const float* v3 = eyeof(*m, face.p[2]);
    const float x1 = v1[0], y1 = v1[1], z1 = v1[2];
    const float x2 = v2[0], y2 = v2[1], z2 = v2[2];
    const float x3 = v3[0], y3 = v3[1], z3 = v3[2];
    face.plane[0] = y1 * (z2 - z3) + y2 * (z3 - z1) + y3 * (z1 - z2);
    face.plane[1] = z1 * (x2 - x3) + z2 * (x3 - x1) + z3 * (x1 - x2);
    face.plane[2] = x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2);
    face.plane[3] = -(x1 * (y2 * z3 - y3 * z2) + x2 * (y3 * z1 - y1 * z3) + x3 * (y1 * z2 - y2 * z1));
  }
}

// With more than two faces on one edge the last match wins.
void setconnectivity(int model) {
  Model* m = getmodel(model);
  if (!m) return;
  std::vector<ModelFace>& faces = m->faces;
  for (ModelFace& face : faces)
    for (int& n : face.neigh) n = -1;
  const int count = static_cast<int>(faces.size());
  for (int i = 0; i < count; ++i)
    for (int k = 0; k < 3; ++k) {
      if (faces[i].neigh[k] != -1) continue;
      const int a1 = faces[i].p[k];
      const int a2 = faces[i].p[(k + 1) % 3];
      for (int j = 0; j < count; ++j) {
        if (j == i) continue;
        for (int e = 0; e < 3; ++e)
          if (sameedge(a1, a2, faces[j].p[e], faces[j].p[(e + 1) % 3])) {
            faces[i].neigh[k] = j;
            faces[j].neigh[e] = i;
            break;
          }
      }
    }
}

// Faces exactly edge-on to the light count as turned away.
void determinevisibility(int model, float) {
  Model* m = getmodel(model);
  if (!m) return;
  for (ModelFace& face : m->faces)
    face.visible = face.plane[0] * rlightpos[0] + face.plane[1] * rlightpos[1] +
                       face.plane[2] * rlightpos[2] + face.plane[3] >
                   0;
}

// Silhouette edges pushed away from the light by volumeinfinity; no caps. Eye space, so the
// modelview matrix must be identity.
void rendershadowvolume(int model) {
  Model* m = getmodel(model);
  if (!m) return;
  for (const ModelFace& face : m->faces) {
    if (!face.visible) continue;
    for (int k = 0; k < 3; ++k) {
      const int n = face.neigh[k];
      if (n != -1 && m->faces[n].visible) continue;
      extrudededge(eyeof(*m, face.p[k]), eyeof(*m, face.p[(k + 1) % 3]));
    }
  }
}

void renderstencilobjs() {
  for (unsigned int i = 0; i < cvi; ++i) rendershadowvolume(voi[i]);
}

// Depth-pass counting: front sides of the volumes add one, back sides take one away; whatever
// is left non-zero lies in shadow and gets a translucent black quad over it.
void endstencil() {
  stencilrunning = false;
  if (cvi == 0) return;
  glLoadIdentity();
  glColorMask(0, 0, 0, 0);
  glDepthMask(GL_FALSE);
  glEnable(GL_CULL_FACE);
  glEnable(GL_STENCIL_TEST);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(0, 100);
  glStencilFunc(GL_ALWAYS, 1, 0xFFFFFFFF);
  glFrontFace(GL_CCW);
  glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
  renderstencilobjs();
  glFrontFace(GL_CW);
  glStencilOp(GL_KEEP, GL_KEEP, GL_DECR);
  renderstencilobjs();
  glFrontFace(GL_CCW);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDisable(GL_CULL_FACE);
  glColorMask(1, 1, 1, 1);
  glDepthMask(GL_TRUE);
  darkenshadows();
  glDisable(GL_STENCIL_TEST);
}
