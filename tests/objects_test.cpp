// Primitives, texture units and the model table, captured through GL's feedback mode: what the
// toolkit sends to GL comes back as object-space positions and texture coordinates.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <functional>
#include <vector>

#include "objects.h"
#include "offscreen.h"

namespace {
constexpr float reach = 16;  // the captured box spans -reach..reach on every axis
constexpr float tolerance = 2e-4f;

struct Fed {
  float x, y, z, s, t;
};

// Every vertex GL receives, in order; vertices-only primitives are opened as points. Window
// coordinates equal object coordinates in x and y; depth maps back linearly to z.
std::vector<Fed> capture(const std::function<void()>& draw, bool aspoints = false) {
  needoffscreen(64, 64);
  glViewport(-16, -16, 32, 32);
  glDepthRange(0, 1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-reach, reach, -reach, reach, -reach, reach);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_CULL_FACE);
  std::vector<GLfloat> buffer(1 << 20);
  glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  if (aspoints) glBegin(GL_POINTS);
  draw();
  if (aspoints) glEnd();
  const int used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0) << "feedback buffer overflow";
  std::vector<Fed> out;
  for (int i = 0; i < used;) {
    const int token = int(buffer[i++]);
    const int count = token == GL_POLYGON_TOKEN ? int(buffer[i++]) : 1 + (token != GL_POINT_TOKEN);
    for (int k = 0; k < count; ++k, i += 11) {  // x, y, z, RGBA, s t r q
      const float* v = &buffer[i];
      out.push_back({v[0], v[1], reach * (1 - 2 * v[2]), v[7], v[8]});
    }
  }
  return out;
}

// Sign of the triangle's turn seen from outside the origin: negative when it faces inward.
float outwardness(const Fed& a, const Fed& b, const Fed& c) {
  const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  return (uy * vz - uz * vy) * (a.x + b.x + c.x) + (uz * vx - ux * vz) * (a.y + b.y + c.y) +
         (ux * vy - uy * vx) * (a.z + b.z + c.z);
}

void expectat(const Fed& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

TEST(Sphere, FourByFourGivesNinetySixVerticesOnTheUnitSphere) {
  const std::vector<Fed> v = capture([] { sphere(2, 4); });
  ASSERT_EQ(v.size(), 96u);
  for (const Fed& p : v) EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 1, tolerance);
  expectat(v[0], 0, 1, 0);
  EXPECT_FLOAT_EQ(v[0].t, 1);
  EXPECT_FLOAT_EQ(v[0].s, 0.25f);
  EXPECT_TRUE(capture([] { sphere(1, 0); }).empty());
  EXPECT_TRUE(capture([] { sphere(1, -3); }).empty());
}

// The polar sweep turns a full circle: the first half of the rows faces inward, the second out.
TEST(Sphere, SweepsAFullTurnSoBothSidesAreCovered) {
  const std::vector<Fed> v = capture([] { sphere(3, 12); });
  ASSERT_EQ(v.size(), 12u * 12 * 6);
  int wrongside = 0;
  for (size_t i = 0; i < v.size(); i += 3) {
    const float turn = outwardness(v[i], v[i + 1], v[i + 2]);
    // The cells at the poles have a zero side.
    wrongside += std::fabs(turn) > 1e-4f && (turn < 0) != (i < v.size() / 2);
  }
  EXPECT_EQ(wrongside, 0);
}

TEST(Sphere, PlacedFormsTranslateRotateThenOffset) {
  // The pole turned 90 degrees about z lands at (-1, 0, 0), then moves by (3, 4, 5).
  expectat(capture([] { sphere(2, 3, 4, 5, 0, 0, 90, 4); })[0], 2, 4, 5);
  // The offset is applied in the turned frame: +y becomes -x.
  expectat(capture([] { sphere(2, 3, 4, 5, 0, 2, 0, 0, 0, 90, 4); })[0], 0, 4, 5);
  // Rotation about x comes before the one about z in the model's frame.
  expectat(capture([] { sphere(2, 0, 0, 0, 90, 0, 90, 4); })[0], -1, 0, 0);
  GLfloat matrix[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_FLOAT_EQ(matrix[0] + matrix[12], 1);  // nothing leaks into the caller's matrix
}

TEST(Lines, CubesGridsAndRingsSendTheirVertices) {
  const std::vector<Fed> grid = capture([] { gridcube(16); }, true);
  ASSERT_EQ(grid.size(), 384u);
  for (const Fed& v : grid) {
    int onface = 0;
    for (float c : {v.x, v.y, v.z}) {
      EXPECT_TRUE(std::fabs(c) < 8 + tolerance && std::fabs(c - std::round(c)) < tolerance);
      onface += std::fabs(std::fabs(c) - 8) < tolerance;
    }
    EXPECT_GT(onface, 0);
  }
  for (int k = 0; k < 16; ++k) EXPECT_NEAR(grid[k * 24].z, k - 8, tolerance);  // sets of 24

  const std::vector<Fed> edges = capture([] { linecube(2); }, true);
  ASSERT_EQ(edges.size(), 24u);
  for (size_t i = 0; i < 24; i += 2) {
    const Fed &a = edges[i], &b = edges[i + 1];
    for (float c : {a.x, a.y, a.z, b.x, b.y, b.z}) EXPECT_NEAR(std::fabs(c), 1, tolerance);
    EXPECT_NEAR(std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z), 2, tolerance);
  }
  for (const Fed& v : capture([] { linecube(4, 0, 0, 0, 0, 0, 3, 0, 0, 0); }))
    EXPECT_NEAR(std::fabs(v.z - 3), 2, tolerance);

  const std::vector<Fed> annulus = capture([] { ring(0, 0, 0, 1, 2, 4); }, true);
  ASSERT_EQ(annulus.size(), 16u);
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_NEAR(annulus[i].y, 0, tolerance);
    EXPECT_NEAR(std::hypot(annulus[i].x, annulus[i].z), i % 4 < 2 ? 1 : 2, tolerance);
  }
  expectat(annulus[0], 0, 0, 1);  // the first quad starts a quarter turn round
  const std::vector<Fed> circle = capture([] { linering(0, 1, 0, 3, 4); }, true);
  ASSERT_EQ(circle.size(), 8u);
  // Each segment is written current point first, so it ends where the previous one began.
  expectat(circle[0], 0, 1, 3);
  expectat(circle[1], 3, 1, 0);
  for (size_t i = 2; i < 8; i += 2) expectat(circle[i + 1], circle[i - 2].x, 1, circle[i - 2].z);
  EXPECT_TRUE(capture([] { ring(0, 0, 0, 1, 2, 0); }, true).empty());
  EXPECT_TRUE(capture([] { linering(0, 0, 0, 1, -2); }, true).empty());
}

bool unitenabled(GLenum unit, GLenum what) {
  glActiveTextureARB(unit);
  return glIsEnabled(what);
}

// A texture environment value (or, for GL_TEXTURE_GEN_MODE, the s generation mode) of a unit.
GLint unitvalue(GLenum unit, GLenum what) {
  GLint value = 0;
  glActiveTextureARB(unit);
  if (what == GL_TEXTURE_GEN_MODE)
    glGetTexGeniv(GL_S, what, &value);
  else
    glGetTexEnviv(GL_TEXTURE_ENV, what, &value);
  return value;
}

GLint glinteger(GLenum what) {
  GLint value = 0;
  glGetIntegerv(what, &value);
  return value;
}

class Models : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    needoffscreen(64, 64);
    ASSERT_EQ(initprimitives(), 0);
  }
  static void TearDownTestSuite() { freeprimitives(); }
};

TEST_F(Models, TextureUnitsSwitchOnAndOffTogether) {
  EXPECT_EQ(glinteger(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
  for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB})
    EXPECT_EQ(unitvalue(unit, GL_TEXTURE_GEN_MODE), GL_SPHERE_MAP);
  setupmultitex(3, 4);
  EXPECT_EQ(glinteger(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE1_ARB);
  EXPECT_EQ(glinteger(GL_TEXTURE_BINDING_2D), 4);
  EXPECT_TRUE(unitenabled(GL_TEXTURE1_ARB, GL_TEXTURE_GEN_S));
  EXPECT_TRUE(unitenabled(GL_TEXTURE0_ARB, GL_TEXTURE_2D));
  EXPECT_EQ(unitvalue(GL_TEXTURE0_ARB, GL_COMBINE_RGB_ARB), GL_MODULATE);
  EXPECT_EQ(unitvalue(GL_TEXTURE1_ARB, GL_COMBINE_RGB_ARB), GL_ADD);
  resettex();
  EXPECT_EQ(glinteger(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
  for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB})
    for (GLenum what : {GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
      EXPECT_FALSE(unitenabled(unit, what)) << unit << " " << what;
  setuptex(5);  // called with unit 1 active
  EXPECT_EQ(glinteger(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(unitvalue(GL_TEXTURE0_ARB, GL_TEXTURE_ENV_MODE), GL_COMBINE_ARB);
  resettex();
}

TEST_F(Models, CubeIsModelZeroWithEveryEdgeSharedAndFacesOutward) {
  const Model* model = getmodel(0);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->facecount, 12);
  const int expected[12][3] = {{10, 4, 1}, {8, 6, 0},  {11, 7, 3}, {9, 5, 2},
                               {0, 10, 5}, {3, 8, 4},  {11, 1, 7}, {9, 2, 6},
                               {1, 5, 9},  {3, 7, 8},  {4, 0, 11}, {6, 2, 10}};
  for (int f = 0; f < 12; ++f) {
    for (int k = 0; k < 3; ++k) {
      const int n = model->faces[f].neigh[k];
      ASSERT_EQ(n, expected[f][k]) << "face " << f << " edge " << k;
      const int* back = model->faces[n].neigh;
      EXPECT_TRUE(back[0] == f || back[1] == f || back[2] == f) << f << " and " << n;
    }
    for (Vector normal : model->faces[f].normals) EXPECT_FLOAT_EQ(normal.length(), 0.5f);
  }
  const std::vector<Fed> v = capture([] { cube(2); });
  ASSERT_EQ(v.size(), 36u);
  for (size_t i = 0; i < 36; i += 3) {
    EXPECT_GT(outwardness(v[i], v[i + 1], v[i + 2]), 0) << i / 3;
    for (float c : {v[i].x, v[i].y, v[i].z}) EXPECT_NEAR(std::fabs(c), 1, tolerance);
  }
}

TEST_F(Models, TableIsFullAtTwoHundredFiftySixModels) {
  freeprimitives();
  EXPECT_EQ(createcube(), -1);
  EXPECT_EQ(initprimitives(), 0);
  for (int i = 1; i < 256; ++i) ASSERT_EQ(createcube(), i);
  EXPECT_EQ(createcube(), -1);
  freeprimitives();
  EXPECT_EQ(getmodel(0), nullptr);
  EXPECT_EQ(initprimitives(), 0);
}

TEST_F(Models, LightInFrontSeesOnlyTheFrontFacesAndRegistersEachDraw) {
  initstencil();
  float light[4] = {0, 0, 10, 1};
  setlightposition(light);
  glLoadIdentity();
  glTranslatef(10, 2, -5);
  setuplight();  // the light's eye position follows the matrix it is set up under
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(getrlightx() == 10 && getrlighty() == 2 && getrlightz() == 5);
  glLoadIdentity();
  setuplight();
  resetlight();
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(capture([] { cube(2); }).size(), 36u);
  EXPECT_EQ(getstencilcount(), 1u);
  const Model* model = getmodel(0);
  for (int f = 0; f < 12; ++f) EXPECT_EQ(model->faces[f].visible, f == 2 || f == 3) << f;

  // The silhouette is the four edges round the front: four strips pushed half as far again.
  const std::vector<Fed> volume = capture([] { rendershadowvolume(0); });
  ASSERT_EQ(volume.size(), 24u);
  for (const Fed& v : volume) {
    const bool corner = std::fabs(v.z - 1) < tolerance;
    EXPECT_NEAR(std::fabs(v.x), corner ? 1 : 1.5f, tolerance);
    EXPECT_NEAR(std::fabs(v.y), corner ? 1 : 1.5f, tolerance);
    EXPECT_NEAR(v.z, corner ? 1 : -3.5f, tolerance);
  }

  // The eye positions follow the matrix the model is drawn under.
  capture([] { cube(2, 0, 0, -4, 0, 0, 0); });
  EXPECT_EQ(getstencilcount(), 2u);
  EXPECT_FLOAT_EQ(model->vertices[7].eye[2], -3);
  endstencil();
  startstencil();
  for (int i = 0; i < 1005; ++i) addstencilobj(0);
  EXPECT_EQ(getstencilcount(), 1000u);
  endstencil();
  glDisable(GL_BLEND);
  freestencil();
}
}  // namespace
