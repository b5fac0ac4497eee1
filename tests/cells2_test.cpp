// The cell sequence: the spline, the cell sprites, the trail balls and the four cell entries.
#include "scenes/cells2.h"

#include <cmath>
#include <tuple>

#include "glcalllog.h"
#include "offscreen.h"
#include "runtime/player.h"

namespace {
using glcalllog::record;
using floats = std::vector<float>;

std::vector<point3d> sampled(const point3d* in, int n, int steps) {
  std::vector<point3d> out(static_cast<size_t>(n) * steps, point3d{7, 0, 0, 0});
  createSpline(out.data(), n, steps, in);
  return out;
}

std::tuple<float, float, float> xyz(const point3d& p) { return {p.x, p.y, p.z}; }

floats currentcolour() {
  floats c(4);
  glGetFloatv(GL_CURRENT_COLOR, c.data());
  return c;
}

// Runs one frame's scenes up to the floaters, noting after each middle-act scene how many draws
// it left taken since its own seed: the floaters continue from the last of these.
std::vector<std::pair<std::string, int>> middleactdraws(float t) {
  std::vector<std::pair<std::string, int>> out;
  glPushMatrix();
  for (const Scene& scene : scenes) {
    const std::string name = scene.name;
    if (name == "Floaters") break;
    if (!scene.renderfn || !sceneactive(scene, t)) continue;
    scene.renderfn(sceneprogress(scene, t));
    if (name.rfind("Cells 2", 0) == 0) out.emplace_back(name, drawssince(4));
    if (name.rfind("Worms", 0) == 0) out.emplace_back(name, drawssince(0));
    if (name == "DLA") out.emplace_back(name, drawssince(1));
  }
  glPopMatrix();
  return out;
}
}  // namespace

TEST(CreateSpline, EvenlySpacedPointsOnALineGiveEvenlySpacedSamples) {
  std::vector<point3d> line;
  for (int i = 0; i <= 5; ++i) line.push_back(point3d{0, 1 + 0.5f * i, -2.0f + i, 3 - 1.5f * i});
  const auto out = sampled(line.data(), 5, 10);
  for (size_t k = 0; k < out.size(); ++k) {
    const float u = k / 10.0f;
    EXPECT_NEAR(out[k].x, 1 + 0.5f * u, 1e-5) << k;
    EXPECT_NEAR(out[k].y, -2 + u, 1e-5) << k;
    EXPECT_NEAR(out[k].z, 3 - 1.5f * u, 1e-5) << k;
  }
}

// cells2_asan_test runs this under AddressSanitizer, where a read past the points faults.
TEST(CreateSpline, SegmentsStartExactlyAtTheTenPointsAndReadNoFurther) {
  EXPECT_EQ(xyz(cellPath[cellcount]), xyz(point3d{}));
  const std::vector<point3d> ten(cellPath, cellPath + pathsegments + 1);
  const auto path = sampled(ten.data(), pathsegments, pathsteps);
  for (int i = 0; i < pathsegments; ++i) EXPECT_EQ(xyz(path[i * pathsteps]), xyz(cellPath[i])) << i;
  for (const point3d& p : path) ASSERT_EQ(p.radius, 7);
  const std::vector<point3d> two(cellPath, cellPath + 2);
  EXPECT_EQ(sampled(two.data(), 1, 1)[0].y, cellPath[0].y);
  point3d untouched{7, 8, 9, 10};
  createSpline(&untouched, 0, 1, cellPath);
  createSpline(&untouched, 1, 0, cellPath);
  EXPECT_EQ(untouched.x, 8);
  needdemo(640, 480);
  const point3d& last = cellpathsamples()[pathsamples - 1];
  EXPECT_LT(std::sqrt(last.x * last.x + last.y * last.y + last.z * last.z), 0.05f);
  EXPECT_EQ(last.radius, 0);
}

TEST(CellSprites, FlatBulgeIsThePlainCellAndTheBulgeMovesOnlyTheFront) {
  needoffscreen(640, 480);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  std::srand(99);
  const auto plain = record([] { rendercell(0.4f, 0.1f, -0.2f, -3); });
  EXPECT_EQ(drawssince(99), 360);
  std::srand(99);
  EXPECT_EQ(record([] { rendercell_2(0.4f, 0.1f, -0.2f, -3, 0); }), plain);
  EXPECT_EQ(drawssince(99), 360);
  std::srand(99);
  const auto bulged = glcalllog::centres(record([] { rendercell_2(0.4f, 0.1f, -0.2f, -3, 0.8f); }));
  EXPECT_EQ(drawssince(99), 360);
  const auto flat = glcalllog::centres(plain);
  ASSERT_EQ(flat.size(), 120u);
  ASSERT_EQ(bulged.size(), 120u);
  int moved = 0;  // the bulge pushes only front sprites, and only towards the viewer
  for (size_t i = 0; i < flat.size(); ++i) {
    const float before = flat[i][2], after = bulged[i][2];
    EXPECT_TRUE(after >= before - 1e-5f && (before > -3 + 1e-4f || after < before + 1e-5f)) << i;
    moved += after > before + 1e-3f;
  }
  EXPECT_GT(moved, 10);
}

TEST(TrailBall, ThreeSpritesOfNineDrawsBlackFromNineTenths) {
  needoffscreen(640, 480);
  for (const float p : {0.9f, 0.95f}) {
    std::srand(3);
    const auto log = record([p] { paskapallo(0.5f, 0.2f, -2, 1, p); });
    EXPECT_EQ(drawssince(3), 9);
    EXPECT_EQ(glcalllog::count(log, "glVertex3f"), 12);
    // 0.9f is just below 0.9, where the grey is a few ten-millionths: black on any screen. The
    // balls' grey stays current after them.
    EXPECT_LT(currentcolour()[0], 1e-6f) << p;
  }
  paskapallo(0, 0, -2, 1, 0.5f);
  EXPECT_EQ(currentcolour(), (floats{0.55f, 0.55f, 0.55f, 1}));
}

TEST(CellEntries, FlashesMarkTheCutsEachEndsGreyPastTheBudNothingIsDrawn) {
  needdemo(640, 480);
  const std::vector<std::tuple<void (*)(float), float, int>> flashes = {
      {cells2, 0, 1},       {cells2, 0.25f, 0},   {cells2, 0.26f, 1},    {cells2_2, 0.2f, 0},
      {cells2_3, 0.5f, 1},  {cells2_3, 0.55f, 0}, {cells2_4, 0.84f, 1}};
  glPushMatrix();
  for (const auto& [scene, p, count] : flashes) {
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    EXPECT_EQ(glcalllog::count(record([&] { scene(p); }), "glColor4f 1 1 1"), count) << p;
    EXPECT_TRUE(!glIsEnabled(GL_BLEND) && glIsEnabled(GL_DEPTH_TEST)) << p;
    EXPECT_EQ(currentcolour(), (floats{0.4f, 0.4f, 0.4f, 1})) << p;
  }
  glPopMatrix();
  glColor3f(0.1f, 0.2f, 0.3f);
  glEnable(GL_BLEND);
  std::srand(8);
  EXPECT_TRUE(record([] { cells2_4(0.85f); }).empty());
  EXPECT_EQ(drawssince(8), 0);
  EXPECT_EQ(currentcolour(), (floats{0.1f, 0.2f, 0.3f, 1}));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  glDisable(GL_BLEND);
}

TEST(MiddleAct, DrawCountsPerFrameStayTheSameForTheSameTime) {
  needdemo(640, 480);
  using counts = std::vector<std::pair<std::string, int>>;
  // Nine cells of 360 draws after srand(4), then nine per trail ball.
  const std::vector<std::pair<float, counts>> expected = {
      {29.2f, {{"Cells 2-1", 3240}}},
      {45.0f, {{"Cells 2-1", 3240 + 40 * 9}}},
      {53.5f, {{"Cells 2-1", 3240 + 7 * 9}}},  // the tail is dropping off
      {60.0f, {{"Worms 1", 672}, {"Cells 2-2", 3240}}},
      {75.0f, {{"Worms 1", 672}, {"Cells 2-2", 3240}}},
      {90.0f, {{"Worms 2", 672}, {"Cells 2-3", 3240}}},
      {97.7f, {{"Worms 2", 672}, {"Cells 2-3", 3240}}},
      {112.0f, {{"Worms 3", 896}, {"Cells 2-4", 3240}}},
      {125.0f, {{"Worms 3", 896}, {"Cells 2-4", 3240}, {"DLA", 1600}}},
      {133.0f, {{"Worms 3", 896}, {"Cells 2-4", 3240}, {"DLA", 1600}}},
  };
  for (const auto& [t, draws] : expected) {
    counts first, second;
    const auto calls = record([&] { first = middleactdraws(t); });
    EXPECT_EQ(first, draws) << t;
    EXPECT_EQ(record([&] { second = middleactdraws(t); }), calls) << t;  // the same calls, too
    EXPECT_EQ(second, first) << t;
  }
}
