// The cell sequence: the spline, the flashes at its cuts and the draws the floaters continue from.
#include "scenes/cells2.h"

#include <cmath>
#include <tuple>

#include "runtime/player.h"
#include "scenecheck.h"

namespace {
std::vector<point3d> sampled(const point3d* in, int n, int steps) {
  std::vector<point3d> out(static_cast<size_t>(n) * steps, point3d{7, 0, 0, 0});
  createSpline(out.data(), n, steps, in);
  return out;
}

std::tuple<float, float, float> xyz(const point3d& p) { return {p.x, p.y, p.z}; }

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

// cells2_asan_test runs this under AddressSanitizer, where a read past the points faults.
TEST(CreateSpline, SegmentsStartExactlyAtTheTenPointsAndReadNoFurther) {
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

TEST(CellEntries, WhiteFlashesMarkTheCutsAndNothingIsDrawnPastTheBud) {
  needdemo(640, 480);
  // {entry, a moment of a flash, a moment just after it}; the golden frames see few of these.
  const std::vector<std::tuple<void (*)(float), float, float>> flashes = {
      {cells2, 0, 0.06f}, {cells2, 0.26f, 0.31f}, {cells2_3, 0.5f, 0.56f}, {cells2_4, 0.84f, 0.7f}};
  const auto corner = [](void (*scene)(float), float p) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    scene(p);
    glPopMatrix();
    return pixelat(framepixels(), 2, 2).g;
  };
  for (const auto& [scene, flash, after] : flashes) {
    EXPECT_GT(corner(scene, flash), 120) << flash;
    EXPECT_LT(corner(scene, after), 60) << after;
  }
  EXPECT_TRUE(untouched([] { cells2_4(0.85f); }));
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
      {90.0f, {{"Worms 2", 672}, {"Cells 2-3", 3240}}},
      {112.0f, {{"Worms 3", 896}, {"Cells 2-4", 3240}}},
      {125.0f, {{"Worms 3", 896}, {"Cells 2-4", 3240}, {"DLA", 1600}}},
  };
  for (const auto& [t, draws] : expected) {
    EXPECT_EQ(middleactdraws(t), draws) << t;
    EXPECT_EQ(middleactdraws(t), draws) << t << ", drawn again";
  }
}
