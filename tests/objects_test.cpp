// Primitives, texture units and the model table, captured through GL's feedback mode: what the
// toolkit sends to GL comes back as object-space positions and texture coordinates.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <functional>
#include <set>
#include <tuple>
#include <vector>

#include "objects.h"
#include "offscreen.h"

namespace {
constexpr float reach = 16;  // the captured box spans -reach..reach on every axis

struct Fed {
  float x, y, z, s, t;
};

struct Capture {
  std::vector<Fed> vertices;
  int polygons = 0, lines = 0, points = 0;
};

// Window coordinates equal object coordinates in x and y; depth maps back linearly to z.
void identitywindow() {
  needoffscreen(64, 64);
  glViewport(static_cast<int>(-reach), static_cast<int>(-reach), static_cast<int>(2 * reach),
             static_cast<int>(2 * reach));
  glDepthRange(0, 1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-reach, reach, -reach, reach, -reach, reach);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_CULL_FACE);
}

Capture capture(const std::function<void()>& draw) {
  identitywindow();
  std::vector<GLfloat> buffer(1 << 20);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const int used = glRenderMode(GL_RENDER);
  Capture out;
  EXPECT_GE(used, 0) << "feedback buffer overflow";
  auto vertex = [&](int& i) {
    const float* v = &buffer[i];
    out.vertices.push_back({v[0], v[1], reach * (1 - 2 * v[2]), v[7], v[8]});
    i += 11;  // x, y, z, RGBA, s t r q
  };
  for (int i = 0; i < used;) {
    const int token = static_cast<int>(buffer[i++]);
    if (token == GL_POLYGON_TOKEN) {
      const int count = static_cast<int>(buffer[i++]);
      ++out.polygons;
      for (int k = 0; k < count; ++k) vertex(i);
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      ++out.lines;
      vertex(i);
      vertex(i);
    } else if (token == GL_POINT_TOKEN) {
      ++out.points;
      vertex(i);
    } else {
      ADD_FAILURE() << "unexpected feedback token " << token;
      break;
    }
  }
  return out;
}

// Vertices-only primitives, opened as points so each vertex comes back once, in order.
Capture aspoints(const std::function<void()>& vertices) {
  return capture([&] {
    glBegin(GL_POINTS);
    vertices();
    glEnd();
  });
}

float length(const Fed& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Sign of the triangle's turn seen from outside the origin: negative when it faces inward.
float outwardness(const Fed& a, const Fed& b, const Fed& c) {
  const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  const float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  return nx * (a.x + b.x + c.x) + ny * (a.y + b.y + c.y) + nz * (a.z + b.z + c.z);
}

constexpr float tolerance = 2e-4f;

TEST(Sphere, FourByFourGivesNinetySixVerticesOnTheUnitSphere) {
  const Capture c = capture([] { sphere(2, 4); });
  EXPECT_EQ(c.polygons, 32);
  ASSERT_EQ(c.vertices.size(), 96u);
  for (const Fed& v : c.vertices) EXPECT_NEAR(length(v), 1.0f, tolerance);
  const Fed& first = c.vertices[0];
  EXPECT_NEAR(first.x, 0, tolerance);
  EXPECT_NEAR(first.y, 1, tolerance);
  EXPECT_NEAR(first.z, 0, tolerance);
  EXPECT_FLOAT_EQ(first.t, 1);
  EXPECT_FLOAT_EQ(first.s, 0.25f);
  for (const Fed& v : c.vertices) EXPECT_NEAR(v.t, (1 + v.y) * 0.5f, tolerance);
}

TEST(Sphere, SweepsAFullTurnSoBothSidesAreCovered) {
  const int n = 12;
  const Capture c = capture([] { sphere(3, n); });
  ASSERT_EQ(c.vertices.size(), static_cast<size_t>(n * n * 6));
  int inward = 0, outward = 0;
  for (size_t i = 0; i < c.vertices.size(); i += 3) {
    const float turn = outwardness(c.vertices[i], c.vertices[i + 1], c.vertices[i + 2]);
    if (std::fabs(turn) < 1e-4f) continue;  // the cells at the poles have a zero side
    const bool firsthalf = i < c.vertices.size() / 2;
    EXPECT_EQ(turn < 0, firsthalf) << "triangle " << i / 3;
    (turn < 0 ? inward : outward)++;
  }
  EXPECT_EQ(inward, outward);
  // The second half of the rows reaches the same points as the first.
  auto key = [](const Fed& v) {
    return std::make_tuple(std::lround(v.x * 1000), std::lround(v.y * 1000),
                           std::lround(v.z * 1000));
  };
  std::set<std::tuple<long, long, long>> firsthalf, secondhalf;
  for (size_t i = 0; i < c.vertices.size(); ++i)
    (i < c.vertices.size() / 2 ? firsthalf : secondhalf).insert(key(c.vertices[i]));
  EXPECT_EQ(firsthalf, secondhalf);
}

TEST(Sphere, NoRowsGiveAnEmptyBatch) {
  EXPECT_TRUE(capture([] { sphere(1, 0); }).vertices.empty());
  EXPECT_TRUE(capture([] { sphere(1, -3); }).vertices.empty());
}

TEST(Sphere, PlacedFormsTranslateRotateThenOffset) {
  const Capture moved = capture([] { sphere(2, 3, 4, 5, 0, 0, 90, 4); });
  ASSERT_EQ(moved.vertices.size(), 96u);
  // The pole (0, 1, 0) turned 90 degrees about z lands at (-1, 0, 0), then moves by (3, 4, 5).
  EXPECT_NEAR(moved.vertices[0].x, 2, tolerance);
  EXPECT_NEAR(moved.vertices[0].y, 4, tolerance);
  EXPECT_NEAR(moved.vertices[0].z, 5, tolerance);
  // The offset is applied in the turned frame: +y becomes -x.
  const Capture offset = capture([] { sphere(2, 3, 4, 5, 0, 2, 0, 0, 0, 90, 4); });
  EXPECT_NEAR(offset.vertices[0].x, 0, tolerance);
  EXPECT_NEAR(offset.vertices[0].y, 4, tolerance);
  // Rotation about x comes before the one about z in the model's frame.
  const Capture both = capture([] { sphere(2, 0, 0, 0, 90, 0, 90, 4); });
  EXPECT_NEAR(both.vertices[0].x, -1, tolerance);
  EXPECT_NEAR(both.vertices[0].z, 0, tolerance);
  // Nothing leaks into the caller's matrix.
  GLfloat matrix[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_FLOAT_EQ(matrix[12], 0);
  EXPECT_FLOAT_EQ(matrix[0], 1);
}

TEST(Lines, GridCubeHasSixteenLinesEachWayFromMinusEightToSeven) {
  const Capture c = aspoints([] { gridcube(16); });
  ASSERT_EQ(c.vertices.size(), 384u);
  std::set<long> levels;
  for (const Fed& v : c.vertices) {
    for (float coordinate : {v.x, v.y, v.z}) {
      EXPECT_GE(coordinate, -8 - tolerance);
      EXPECT_LE(coordinate, 8 + tolerance);
      EXPECT_NEAR(coordinate, std::round(coordinate), tolerance);
    }
    // Every vertex lies on a face of the cube.
    EXPECT_TRUE(std::fabs(std::fabs(v.x) - 8) < tolerance || std::fabs(std::fabs(v.y) - 8) < tolerance ||
                std::fabs(std::fabs(v.z) - 8) < tolerance);
  }
  // The first 24 vertices are the lines at -8; the step to the next set is one unit.
  for (int k = 0; k < 16; ++k) levels.insert(std::lround(c.vertices[k * 24].z));
  EXPECT_EQ(levels.size(), 16u);
  EXPECT_EQ(*levels.begin(), -8);
  EXPECT_EQ(*levels.rbegin(), 7);
  // Each pair is an axis-aligned line across a whole face.
  for (size_t i = 0; i < c.vertices.size(); i += 2) {
    const Fed& a = c.vertices[i];
    const Fed& b = c.vertices[i + 1];
    const float span = std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z);
    EXPECT_NEAR(span, 16, tolerance);
  }
}

TEST(Lines, LineCubeDrawsTwelveEdges) {
  const Capture c = aspoints([] { linecube(2); });
  ASSERT_EQ(c.vertices.size(), 24u);
  for (size_t i = 0; i < 24; i += 2) {
    const Fed& a = c.vertices[i];
    const Fed& b = c.vertices[i + 1];
    for (float coordinate : {a.x, a.y, a.z, b.x, b.y, b.z})
      EXPECT_NEAR(std::fabs(coordinate), 1, tolerance);
    const float span = std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z);
    EXPECT_NEAR(span, 2, tolerance);
  }
  const Capture placed = capture([] { linecube(2, 5, 0, 0, 0, 0, 0); });
  EXPECT_EQ(placed.lines, 12);
  for (const Fed& v : placed.vertices) EXPECT_NEAR(std::fabs(v.x - 5), 1, tolerance);
  const Capture offset = capture([] { linecube(4, 0, 0, 0, 0, 0, 3, 0, 0, 0); });
  EXPECT_EQ(offset.lines, 12);
  for (const Fed& v : offset.vertices) EXPECT_NEAR(std::fabs(v.z - 3), 2, tolerance);
}

TEST(Lines, RingsAndCirclesCountTheirVertices) {
  const Capture annulus = aspoints([] { ring(0, 0, 0, 1, 2, 4); });
  ASSERT_EQ(annulus.vertices.size(), 16u);
  for (size_t i = 0; i < 16; ++i) {
    const Fed& v = annulus.vertices[i];
    EXPECT_NEAR(v.y, 0, tolerance);
    const float radius = std::hypot(v.x, v.z);
    EXPECT_NEAR(radius, i % 4 < 2 ? 1 : 2, tolerance);
  }
  // The first quad starts a quarter turn round, at +z.
  EXPECT_NEAR(annulus.vertices[0].z, 1, tolerance);
  EXPECT_NEAR(annulus.vertices[1].x, -1, tolerance);
  EXPECT_TRUE(aspoints([] { ring(0, 0, 0, 1, 2, 0); }).vertices.empty());
  // Drawn as quads, each quad is one piece of the annulus at height y.
  const Capture quads = capture([] {
    glBegin(GL_QUADS);
    ring(1, 2, 3, 1, 2, 8);
    glEnd();
  });
  EXPECT_GT(quads.polygons, 0);
  for (const Fed& v : quads.vertices) {
    EXPECT_NEAR(v.y, 2, tolerance);
    EXPECT_LE(std::hypot(v.x - 1, v.z - 3), 2 + tolerance);
    EXPECT_GE(std::hypot(v.x - 1, v.z - 3), 1 - tolerance);
  }

  const Capture circle = aspoints([] { linering(0, 1, 0, 3, 4); });
  ASSERT_EQ(circle.vertices.size(), 8u);
  for (const Fed& v : circle.vertices) EXPECT_NEAR(std::hypot(v.x, v.z), 3, tolerance);
  // Each segment is written current point first, so it ends where the previous one began.
  EXPECT_NEAR(circle.vertices[1].x, 3, tolerance);
  EXPECT_NEAR(circle.vertices[0].z, 3, tolerance);
  for (size_t i = 2; i < 8; i += 2) {
    EXPECT_NEAR(circle.vertices[i + 1].x, circle.vertices[i - 2].x, tolerance);
    EXPECT_NEAR(circle.vertices[i + 1].z, circle.vertices[i - 2].z, tolerance);
  }
  EXPECT_TRUE(aspoints([] { linering(0, 0, 0, 1, 0); }).vertices.empty());
  EXPECT_TRUE(aspoints([] { linering(0, 0, 0, 1, -2); }).vertices.empty());
}

GLint activeunit() {
  GLint unit = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
  return unit;
}

float combine(GLenum unit) {
  glActiveTextureARB(unit);
  GLfloat value = 0;
  glGetTexEnvfv(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, &value);
  return value;
}

bool unitenabled(GLenum unit, GLenum what) {
  glActiveTextureARB(unit);
  return glIsEnabled(what) == GL_TRUE;
}

class Models : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    identitywindow();
    cubeindex = initprimitives();
  }
  static void TearDownTestSuite() { freeprimitives(); }
  static int cubeindex;
};
int Models::cubeindex = -1;

TEST_F(Models, TextureUnitsSwitchOnAndOffTogether) {
  GLint mode = 0;
  for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
    glActiveTextureARB(unit);
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
  }
  glActiveTextureARB(GL_TEXTURE0_ARB);

  setupmultitex(3, 4);
  EXPECT_EQ(activeunit(), GL_TEXTURE1_ARB);
  EXPECT_TRUE(unitenabled(GL_TEXTURE1_ARB, GL_TEXTURE_GEN_S));
  EXPECT_TRUE(unitenabled(GL_TEXTURE1_ARB, GL_TEXTURE_GEN_T));
  EXPECT_TRUE(unitenabled(GL_TEXTURE0_ARB, GL_TEXTURE_2D));
  EXPECT_FALSE(unitenabled(GL_TEXTURE0_ARB, GL_TEXTURE_GEN_S));
  EXPECT_EQ(combine(GL_TEXTURE0_ARB), GL_MODULATE);
  EXPECT_EQ(combine(GL_TEXTURE1_ARB), GL_ADD);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 4);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  resettex();
  EXPECT_EQ(activeunit(), GL_TEXTURE0_ARB);
  for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB})
    for (GLenum what : {GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
      EXPECT_FALSE(unitenabled(unit, what)) << unit << " " << what;
  EXPECT_EQ(combine(GL_TEXTURE1_ARB), GL_MODULATE);

  glActiveTextureARB(GL_TEXTURE1_ARB);
  setuptex(5);
  EXPECT_EQ(activeunit(), GL_TEXTURE0_ARB);
  EXPECT_TRUE(unitenabled(GL_TEXTURE0_ARB, GL_TEXTURE_2D));
  GLfloat envmode = 0;
  glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envmode);
  EXPECT_EQ(envmode, GL_COMBINE_ARB);
  resettex();
  EXPECT_FALSE(unitenabled(GL_TEXTURE0_ARB, GL_TEXTURE_2D));
  glActiveTextureARB(GL_TEXTURE0_ARB);
}

TEST_F(Models, CubeIsModelZeroWithEveryEdgeShared) {
  EXPECT_EQ(cubeindex, 0);
  EXPECT_EQ(getmodelcount(), 1);
  const Model* model = getmodel(0);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->facecount, 12);
  ASSERT_EQ(model->vertexcount, 8);
  const int expected[12][3] = {{10, 4, 1}, {8, 6, 0}, {11, 7, 3}, {9, 5, 2},
                               {0, 10, 5}, {3, 8, 4}, {11, 1, 7}, {9, 2, 6},
                               {1, 5, 9},  {3, 7, 8}, {4, 0, 11}, {6, 2, 10}};
  for (int f = 0; f < 12; ++f)
    for (int k = 0; k < 3; ++k) {
      const int n = model->faces[f].neigh[k];
      EXPECT_EQ(n, expected[f][k]) << "face " << f << " edge " << k;
      ASSERT_GE(n, 0);
      const int* back = model->faces[n].neigh;
      EXPECT_TRUE(back[0] == f || back[1] == f || back[2] == f) << f << " and " << n;
    }
  for (const ModelFace& face : model->faces)
    for (const Vector& normal : face.normals) {
      Vector copy = normal;
      EXPECT_FLOAT_EQ(copy.length(), 0.5f);
    }
  EXPECT_FLOAT_EQ(model->vertices[3].pos.x, 1);
  EXPECT_FLOAT_EQ(model->vertices[3].pos.y, 1);
  EXPECT_FLOAT_EQ(model->vertices[3].pos.z, -1);
}

TEST_F(Models, CubeCornersTurnCounterClockwiseOutwards) {
  const Capture c = capture([] { cube(2); });
  ASSERT_EQ(c.vertices.size(), 36u);
  for (size_t i = 0; i < 36; i += 3)
    EXPECT_GT(outwardness(c.vertices[i], c.vertices[i + 1], c.vertices[i + 2]), 0) << i / 3;
  for (const Fed& v : c.vertices)
    for (float coordinate : {v.x, v.y, v.z}) EXPECT_NEAR(std::fabs(coordinate), 1, tolerance);
  const Capture half = capture([] { cube(1, 2, 0, 0, 0, 0, 0); });
  ASSERT_EQ(half.vertices.size(), 36u);
  for (const Fed& v : half.vertices) {
    EXPECT_NEAR(std::fabs(v.x - 2), 0.5f, tolerance);
    EXPECT_NEAR(std::fabs(v.y), 0.5f, tolerance);
  }
  // Face 0's corners carry their texture coordinates.
  EXPECT_FLOAT_EQ(c.vertices[0].s + c.vertices[1].s + c.vertices[2].s, 2);
  EXPECT_FLOAT_EQ(c.vertices[0].t + c.vertices[1].t + c.vertices[2].t, 2);
}

TEST_F(Models, TableIsFullAtTwoHundredFiftySixModels) {
  freeprimitives();
  EXPECT_EQ(createcube(), -1);
  EXPECT_EQ(initprimitives(), 0);
  for (int i = 1; i < 256; ++i) ASSERT_EQ(createcube(), i);
  EXPECT_EQ(createcube(), -1);
  EXPECT_EQ(getmodelcount(), 256);
  freeprimitives();
  EXPECT_EQ(getmodel(0), nullptr);
  freeprimitives();
  EXPECT_EQ(initprimitives(), 0);
}

TEST_F(Models, LightInFrontSeesOnlyTheFrontFacesAndRegistersEachDraw) {
  initstencil();
  EXPECT_TRUE(getstencil());
  EXPECT_EQ(getstencilcount(), 0u);
  EXPECT_FLOAT_EQ(getvolumeinfinity(), 0.5f);
  float light[4] = {0, 0, 10, 1};
  setlightposition(light);
  glLoadIdentity();
  setuplight();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  resetlight();
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FLOAT_EQ(getrlightz(), 10);

  const Capture drawn = capture([] { cube(2); });
  EXPECT_EQ(drawn.vertices.size(), 36u);
  EXPECT_EQ(getstencilcount(), 1u);
  const Model* model = getmodel(0);
  for (int f = 0; f < 12; ++f) EXPECT_EQ(model->faces[f].visible, f == 2 || f == 3) << f;
  EXPECT_FLOAT_EQ(model->faces[2].plane[2], 4);
  EXPECT_FLOAT_EQ(model->faces[2].plane[3], -4);
  EXPECT_FLOAT_EQ(model->faces[2].plane[0], 0);

  // The silhouette is the four edges round the front: four strips pushed half as far again.
  const Capture volume = capture([] { rendershadowvolume(0); });
  ASSERT_EQ(volume.vertices.size(), 24u);
  for (const Fed& v : volume.vertices) {
    const bool corner = std::fabs(v.z - 1) < tolerance;
    if (corner) {
      EXPECT_NEAR(std::fabs(v.x), 1, tolerance);
      EXPECT_NEAR(std::fabs(v.y), 1, tolerance);
    } else {
      EXPECT_NEAR(v.z, -3.5f, tolerance);
      EXPECT_NEAR(std::fabs(v.x), 1.5f, tolerance);
      EXPECT_NEAR(std::fabs(v.y), 1.5f, tolerance);
    }
  }

  // The eye positions follow the matrix the model is drawn under.
  capture([] { cube(2, 0, 0, -4, 0, 0, 0); });
  EXPECT_EQ(getstencilcount(), 2u);
  EXPECT_FLOAT_EQ(model->vertices[7].eye[2], -3);
  EXPECT_TRUE(model->faces[2].visible && model->faces[3].visible);

  endstencil();
  EXPECT_FALSE(getstencil());
  capture([] { cube(2); });
  EXPECT_EQ(getstencilcount(), 2u);
  startstencil();
  EXPECT_EQ(getstencilcount(), 0u);
  for (int i = 0; i < 1005; ++i) addstencilobj(0);
  EXPECT_EQ(getstencilcount(), 1000u);
  endstencil();
  glDisable(GL_BLEND);
  freestencil();
}
}  // namespace
