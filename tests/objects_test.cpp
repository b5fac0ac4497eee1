// Primitives and the cube model captured through GL's feedback mode (what the toolkit sends to GL
// comes back as object-space positions), then stencil shadows drawn for real onto a white wall.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "objects.h"
#include "offscreen.h"

namespace {
constexpr int width = 160, height = 120;
constexpr float reach = 16;  // the captured box spans -reach..reach on every axis
constexpr float tolerance = 2e-4f;

struct Fed {
  float x, y, z;
};

// Every vertex GL receives, in order; vertices-only primitives are opened as points.
std::vector<Fed> capture(const std::function<void()>& draw, bool aspoints = false) {
  glViewport(-16, -16, 32, 32);  // window x and y equal object x and y
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-reach, reach, -reach, reach, -reach, reach);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  std::vector<GLfloat> buffer(1 << 20);
  glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
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
    for (int k = 0; k < count; ++k, i += 3)
      out.push_back({buffer[i], buffer[i + 1], reach * (1 - 2 * buffer[i + 2])});
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

class Objects : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    needoffscreen(width, height, true);
    ASSERT_EQ(initprimitives(), 0);
    initstencil();
  }
  static void TearDownTestSuite() {
    freestencil();
    freeprimitives();
  }
};

// The golden frames pin the sphere the scenes draw; the placed forms' turn order and the empty
// tessellations are checked here, with the vertices-only primitives.
TEST_F(Objects, PrimitivesSendTheirVerticesWherePlaced) {
  // Placed forms translate, turn about x before z, then offset in the turned frame.
  expectat(capture([] { sphere(2, 0, 0, 0, 90, 0, 90, 4); })[0], -1, 0, 0);
  expectat(capture([] { sphere(2, 3, 4, 5, 0, 2, 0, 0, 0, 90, 4); })[0], 0, 4, 5);
  EXPECT_TRUE(capture([] { sphere(1, 0); }).empty());
  const std::vector<Fed> grid = capture([] { gridcube(16); }, true);
  ASSERT_EQ(grid.size(), 384u);
  for (const Fed& v : grid)
    EXPECT_NEAR(std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}), 8, tolerance);
  for (int k = 0; k < 16; ++k) EXPECT_NEAR(grid[k * 24].z, k - 8, tolerance);  // sets of 24
  // The cube's twelve edges, each from a corner of the placed cube and one edge long.
  const std::vector<Fed> edges = capture([] { linecube(2, 0, 0, 3, 0, 0, 0); });
  ASSERT_EQ(edges.size(), 24u);
  for (size_t i = 0; i < 24; i += 2) {
    const Fed &a = edges[i], &b = edges[i + 1];
    EXPECT_NEAR(std::hypot(a.x, a.y, a.z - 3), std::sqrt(3.0f), tolerance) << i;
    EXPECT_NEAR(std::hypot(a.x - b.x, a.y - b.y, a.z - b.z), 2, tolerance) << i;
  }
  const std::vector<Fed> annulus = capture([] { ring(0, 0, 0, 1, 2, 4); }, true);
  ASSERT_EQ(annulus.size(), 16u);
  expectat(annulus[0], 0, 0, 1);  // the first quad starts a quarter turn round
  for (size_t i = 0; i < 16; ++i)
    EXPECT_NEAR(std::hypot(annulus[i].x, annulus[i].z), i % 4 < 2 ? 1 : 2, tolerance);
  // Each segment is written current point first, so it ends where the previous one began.
  const std::vector<Fed> circle = capture([] { linering(0, 1, 0, 3, 4); }, true);
  ASSERT_EQ(circle.size(), 8u);
  expectat(circle[1], 3, 1, 0);
  for (size_t i = 2; i < 8; i += 2) expectat(circle[i + 1], circle[i - 2].x, 1, circle[i - 2].z);
  EXPECT_TRUE(capture([] { linering(0, 0, 0, 1, -2); }, true).empty());
}

TEST_F(Objects, ResetTexSwitchesBothUnitsOff) {
  setupmultitex(3, 4);
  resettex();
  for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
    glActiveTextureARB(unit);
    for (GLenum what : {GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
      EXPECT_FALSE(glIsEnabled(what)) << unit << " " << what;
  }
}

TEST_F(Objects, CubeFacesOutwardWithEveryEdgeSharedAndTablesStopAtCapacity) {
  const Model* model = getmodel(0);
  ASSERT_TRUE(model && model->facecount == 12);
  for (int f = 0; f < 12; ++f)
    for (int k = 0; k < 3; ++k) {
      const int n = model->faces[f].neigh[k];
      ASSERT_TRUE(n >= 0 && n < 12 && n != f) << f;
      const int* back = model->faces[n].neigh;
      EXPECT_TRUE(back[0] == f || back[1] == f || back[2] == f) << f << " and " << n;
    }
  const std::vector<Fed> v = capture([] { cube(2); });
  ASSERT_EQ(v.size(), 36u);
  for (size_t i = 0; i < 36; i += 3) {
    EXPECT_GT(outwardness(v[i], v[i + 1], v[i + 2]), 0) << i / 3;
    for (float c : {v[i].x, v[i].y, v[i].z}) EXPECT_NEAR(std::fabs(c), 1, tolerance);
  }
  for (int i = getmodelcount(); i < 256; ++i) ASSERT_EQ(createcube(), i);
  EXPECT_EQ(createcube(), -1);
  startstencil();
  for (int i = 0; i < 1005; ++i) addstencilobj(0);
  EXPECT_EQ(getstencilcount(), 1000u);
  startstencil();
}

// A light 10 in front of a cube, both placed by the same matrix: only the two front faces see it,
// and the silhouette is the four edges round them, pushed half as far again from the light.
TEST_F(Objects, LightInFrontCastsFourStripsFromTheFrontSilhouette) {
  float light[4] = {0, 0, 10, 1};
  setlightposition(light);
  glLoadIdentity();
  glTranslatef(1, 2, -4);
  setuplight();  // the light follows the matrix it is set up under
  resetlight();
  startstencil();
  capture([] { cube(2, 1, 2, -4, 0, 0, 0); });
  EXPECT_EQ(getstencilcount(), 1u);
  const Model* model = getmodel(0);
  for (int f = 0; f < 12; ++f) EXPECT_EQ(model->faces[f].visible, f == 2 || f == 3) << f;
  const std::vector<Fed> volume = capture([] { rendershadowvolume(0); });
  ASSERT_EQ(volume.size(), 24u);
  for (const Fed& v : volume) {
    const bool corner = std::fabs(v.z + 3) < tolerance;
    EXPECT_NEAR(std::fabs(v.x - 1), corner ? 1 : 1.5f, tolerance);
    EXPECT_NEAR(std::fabs(v.y - 2), corner ? 1 : 1.5f, tolerance);
    EXPECT_NEAR(v.z, corner ? -3 : -7.5f, tolerance);
  }
  startstencil();
}

// Camera at the origin looking down -z, a white wall at depth z, and a grey cube at (0, 0, -10)
// in a shadow frame lit from light; returns the frame before endstencil.
std::vector<unsigned char> shadowframe(float wallz, float* light) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45, double(width) / height, 0.01, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_BLEND);
  glColor3f(1, 1, 1);
  glTranslatef(0, 0, wallz);
  glRectf(-40, -40, 40, 40);
  glLoadIdentity();
  startstencil();
  setlightposition(light);
  setuplight();
  resetlight();
  glColor3f(0.5f, 0.5f, 0.5f);
  cube(2, 0, 0, -10, 0, 0, 0);
  return framepixels();
}

const double tangent = std::tan(22.5 * M_PI / 180);  // half the 45 degree field of view

// The column where the point (x, 0, z) shows; it shows in row height / 2.
int columnof(double x, double z) {
  return int((x / -z / (tangent * width / height) + 1) * width / 2);
}

int redat(const std::vector<unsigned char>& frame, int px, int py) {  // py from the bottom
  return pixelat(frame, px, height - 1 - py).r;
}

// Whether the segment from a to b passes through the cube [-1, 1] x [-1, 1] x [-11, -9].
bool hitscube(const double* a, const double* b) {
  for (double t = 0; t <= 1; t += 1.0 / 1024) {
    auto at = [&](int k) { return a[k] + t * (b[k] - a[k]); };
    if (std::fabs(at(0)) <= 1 && std::fabs(at(1)) <= 1 && std::fabs(at(2) + 10) <= 1) return true;
  }
  return false;
}

TEST_F(Objects, ShadowDarkensTheWallExactlyWhereTheCubeBlocksTheLight) {
  float light[4] = {8, 0, 0, 1};
  const std::vector<unsigned char> before = shadowframe(-12, light);
  endstencil();
  const std::vector<unsigned char> after = framepixels();
  // From the light through the cube's centre onto the wall: 45 % black over white.
  EXPECT_NEAR(redat(after, columnof(-1.6, -12), height / 2), 140, 3);
  // Every darkened pixel is a wall point the cube hides from the light but not from the camera;
  // a pixel or so of difference is allowed along the edges.
  const double eye[3] = {0, 0, 0}, lamp[3] = {8, 0, 0};
  int shadowed = 0, wrong = 0;
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      const double w[3] = {(2 * (px + 0.5) / width - 1) * tangent * width / height * 12,
                           (2 * (py + 0.5) / height - 1) * tangent * 12, -12};
      const bool expected = !hitscube(eye, w) && hitscube(lamp, w);
      shadowed += expected;
      wrong += expected != (redat(after, px, py) < redat(before, px, py));
    }
  EXPECT_GT(shadowed, 300);
  EXPECT_LT(wrong, shadowed / 10);
  // What the next scene inherits: blending on, stencil and culling off.
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST) || glIsEnabled(GL_CULL_FACE));
}

// A light level with the cube throws a short volume sideways; a view in at its front side and out
// at its back must count back to zero (both passes), while the cube's faces turned from the light
// lie inside the volume and darken.
TEST_F(Objects, LookingThroughAVolumeLeavesTheWallLitAndAnEmptyFrameChangesNothing) {
  float light[4] = {8, 0, -10, 1};
  const std::vector<unsigned char> before = shadowframe(-20, light);
  endstencil();
  const std::vector<unsigned char> after = framepixels();
  const int through = columnof(-3.6, -20);
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      EXPECT_EQ(redat(after, through + dx, height / 2 + dy), 255) << dx << ", " << dy;
  EXPECT_LT(redat(after, width / 2, height / 2), redat(before, width / 2, height / 2));

  glDisable(GL_BLEND);
  startstencil();
  endstencil();
  EXPECT_FALSE(getstencil());
  EXPECT_EQ(framepixels(), after);
  EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_STENCIL_TEST));
  cube(2, 0, 0, -10, 0, 0, 0);
  EXPECT_EQ(getstencilcount(), 0u);  // a closed frame registers nothing
}
}  // namespace
