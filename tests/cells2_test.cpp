// The cell sequence: the spline, the cell sprites, the trail balls and the four cell entries.
#include "cells2.h"

#include <cmath>
#include <cstring>

#include "glcalllog.h"
#include "offscreen.h"
#include "player.h"
#include "randcount.h"

namespace {
using glcalllog::record;

std::vector<point3d> sampled(const point3d* in, int n, int steps) {
  std::vector<point3d> out(static_cast<size_t>(n) * steps, point3d{7, 0, 0, 0});
  createSpline(out.data(), n, steps, in);
  return out;
}

struct sprite {
  float x, y, z;
};

// Sprite centres from a log of sprite quads (four corners each).
std::vector<sprite> spritecentres(const std::vector<std::string>& log) {
  const auto corners = glcalllog::vertices(log);
  std::vector<sprite> out;
  for (size_t i = 0; i + 3 < corners.size(); i += 4) {
    sprite s{0, 0, 0};
    for (size_t k = i; k < i + 4; ++k) {
      s.x += corners[k][0] / 4;
      s.y += corners[k][1] / 4;
      s.z += corners[k][2] / 4;
    }
    out.push_back(s);
  }
  return out;
}

std::vector<std::string> colours(const std::vector<std::string>& log) {
  std::vector<std::string> out;
  for (const std::string& call : log)
    if (call.compare(0, 9, "glColor3f") == 0) out.push_back(call);
  return out;
}

void identityview() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// Walks one frame's scenes up to the floaters and notes, after each scene of the middle act, how
// many draws it left taken since its own seed: the floaters continue from the last of these.
std::vector<std::pair<std::string, int>> middleactdraws(float t) {
  std::vector<std::pair<std::string, int>> out;
  glPushMatrix();
  for (const Scene& scene : scenes) {
    if (!scene.renderfn) continue;
    const std::string name = scene.name;
    if (name == "Floaters") break;
    if (!sceneactive(scene, t)) continue;
    scene.renderfn(sceneprogress(scene, t));
    if (name.rfind("Cells 2", 0) == 0) out.emplace_back(name, drawssince(4));
    if (name.rfind("Worms", 0) == 0) out.emplace_back(name, drawssince(0));
    if (name == "DLA") out.emplace_back(name, drawssince(1));
  }
  glPopMatrix();
  return out;
}

bool enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }

std::vector<float> currentcolour() {
  std::vector<float> c(4);
  glGetFloatv(GL_CURRENT_COLOR, c.data());
  return c;
}
}  // namespace

TEST(CreateSpline, EvenlySpacedPointsOnALineGiveEvenlySpacedSamples) {
  std::vector<point3d> line;
  for (int i = 0; i <= 5; ++i)
    line.push_back(point3d{0, 1 + 0.5f * i, -2 + 1.0f * i, 3 - 1.5f * i});
  const auto out = sampled(line.data(), 5, 10);
  for (size_t k = 0; k < out.size(); ++k) {
    const float u = k / 10.0f;
    EXPECT_NEAR(out[k].x, 1 + 0.5f * u, 1e-5) << k;
    EXPECT_NEAR(out[k].y, -2 + 1.0f * u, 1e-5) << k;
    EXPECT_NEAR(out[k].z, 3 - 1.5f * u, 1e-5) << k;
  }
}

TEST(CreateSpline, EachSegmentStartsExactlyAtItsPointAndRadiiAreLeftAlone) {
  const auto out = sampled(cellPath, pathsegments, pathsteps);
  for (int i = 0; i < pathsegments; ++i) {
    const point3d& start = out[i * pathsteps];
    EXPECT_EQ(start.x, cellPath[i].x) << i;
    EXPECT_EQ(start.y, cellPath[i].y) << i;
    EXPECT_EQ(start.z, cellPath[i].z) << i;
  }
  for (const point3d& p : out) ASSERT_EQ(p.radius, 7);
}

// Run under AddressSanitizer too (cells2_asan_test), where any read past the points faults.
TEST(CreateSpline, ReadsNothingPastTheLastPoint) {
  const std::vector<point3d> path(cellPath, cellPath + pathsegments + 1);
  const auto out = sampled(path.data(), pathsegments, pathsteps);
  EXPECT_EQ(out[800].x, cellPath[8].x);
  const std::vector<point3d> two(cellPath, cellPath + 2);  // the smallest call
  EXPECT_EQ(sampled(two.data(), 1, 1)[0].y, cellPath[0].y);
}

TEST(CreateSpline, RefusesEmptyRequests) {
  point3d out{7, 8, 9, 10};
  createSpline(&out, 0, 1, cellPath);
  createSpline(&out, 1, 0, cellPath);
  EXPECT_EQ(out.x, 8);
  EXPECT_EQ(out.z, 10);
}

TEST(CellPath, TheTenthPointIsTheOriginAndThePathEndsThere) {
  EXPECT_EQ(cellPath[cellcount].x, 0);
  EXPECT_EQ(cellPath[cellcount].y, 0);
  EXPECT_EQ(cellPath[cellcount].z, 0);
  needdemo(640, 480);
  const point3d* path = cellpathsamples();
  const point3d& last = path[pathsamples - 1];
  EXPECT_LT(std::sqrt(last.x * last.x + last.y * last.y + last.z * last.z), 0.05f);
  EXPECT_EQ(path[800].z, cellPath[8].z);
  EXPECT_EQ(path[pathsamples - 1].radius, 0);
}

TEST(CellSprites, AFlatCellIsTheCellWithTheSameDraws) {
  needoffscreen(640, 480);
  identityview();
  std::srand(99);
  const auto plain = record([] { rendercell(0.3f, 0.1f, -0.2f, -3); });
  EXPECT_EQ(drawssince(99), 360);
  std::srand(99);
  const auto flat = record([] { rendercell_2(0.3f, 0.1f, -0.2f, -3, 0); });
  EXPECT_EQ(drawssince(99), 360);
  EXPECT_EQ(flat, plain);
  EXPECT_EQ(spritecentres(plain).size(), 120u);
}

TEST(CellSprites, TheBulgeMovesOnlyTheFrontSpritesAndTakesTheSameDraws) {
  needoffscreen(640, 480);
  identityview();
  std::srand(5);
  const auto plain = spritecentres(record([] { rendercell(0.4f, 0, 0, -3); }));
  std::srand(5);
  const auto log = record([] { rendercell_2(0.4f, 0, 0, -3, 0.8f); });
  EXPECT_EQ(drawssince(5), 360);
  const auto bulged = spritecentres(log);
  ASSERT_EQ(bulged.size(), plain.size());
  int moved = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    const bool front = plain[i].z > -3 + 1e-4f;
    if (!front) {
      EXPECT_NEAR(bulged[i].z, plain[i].z, 1e-5) << i;
      continue;
    }
    EXPECT_GE(bulged[i].z, plain[i].z - 1e-5f) << i;
    moved += bulged[i].z > plain[i].z + 1e-3f;
  }
  EXPECT_GT(moved, 10);
}

TEST(TrailBall, ThreeSpritesThatFadeToBlackAtTheEnd) {
  needoffscreen(640, 480);
  identityview();
  for (const float p : {0.9f, 0.95f}) {
    std::srand(3);
    const auto log = record([p] { paskapallo(0.5f, 0.2f, -2, 1, p); });
    EXPECT_EQ(drawssince(3), 9);
    const auto shades = colours(log);
    ASSERT_EQ(shades.size(), 3u);
    // 0.9f lies just below 0.9, where the grey is a few ten-millionths: black on any screen.
    for (const auto& c : shades) {
      float grey = 1;
      std::istringstream(c.substr(10)) >> grey;
      EXPECT_LT(grey, 1e-6f) << p;
    }
  }
  const auto lit = colours(record([] { paskapallo(0, 0, -2, 1, 0.5f); }));
  EXPECT_EQ(lit.front(), "glColor3f 0.550000012 0.550000012 0.550000012");
}

TEST(CellEntries, TakeTheDrawsTheFloatersInherit) {
  needdemo(640, 480);
  glPushMatrix();
  // Nine cells of 360 draws after srand(4), then nine per trail ball.
  EXPECT_EQ(drawcount(4, [] { cells2(0.1f); }), 3240);
  EXPECT_EQ(drawcount(4, [] { cells2(0.5f); }), 3240 + 40 * 9);
  EXPECT_EQ(drawcount(4, [] { cells2(0.85f); }), 3240 + 31 * 9);
  EXPECT_EQ(drawcount(4, [] { cells2(0.95f); }), 3240);
  EXPECT_EQ(drawcount(4, [] { cells2_2(0.3f); }), 3240);
  EXPECT_EQ(drawcount(4, [] { cells2_3(0.52f); }), 3240);
  EXPECT_EQ(drawcount(4, [] { cells2_4(0.1f); }), 3240);
  EXPECT_EQ(drawcount(
                321, [] { cells2_4(0.85f); }, 321),
            0);
  glPopMatrix();
}

TEST(CellEntries, SameProgressSameCalls) {
  needdemo(640, 480);
  for (auto scene : {cells2, cells2_2, cells2_3, cells2_4}) {
    for (const float p : {0.02f, 0.27f, 0.6f, 0.84f}) {
      glPushMatrix();
      std::srand(11);
      const auto first = record([&] { scene(p); });
      glPopMatrix();
      glPushMatrix();
      std::srand(12);
      const auto second = record([&] { scene(p); });
      glPopMatrix();
      EXPECT_EQ(first, second) << p;
      EXPECT_FALSE(first.empty());
    }
  }
}

TEST(CellEntries, LeaveBlendingOffDepthOnAndTheSharedGrey) {
  needdemo(640, 480);
  for (auto scene : {cells2, cells2_2, cells2_3, cells2_4}) {
    for (const float p : {0.01f, 0.26f, 0.51f, 0.8f}) {
      glPushMatrix();
      glEnable(GL_BLEND);
      glDisable(GL_DEPTH_TEST);
      scene(p);
      glPopMatrix();
      EXPECT_FALSE(enabled(GL_BLEND)) << p;
      EXPECT_TRUE(enabled(GL_DEPTH_TEST)) << p;
      EXPECT_EQ(currentcolour(), (std::vector<float>{0.4f, 0.4f, 0.4f, 1})) << p;
    }
  }
}

TEST(CellEntries, PastTheBudTheLastEntryDrawsAndChangesNothing) {
  needdemo(640, 480);
  identityview();
  glColor3f(0.1f, 0.2f, 0.3f);
  glEnable(GL_BLEND);
  std::srand(8);
  const auto log = record([] { cells2_4(0.85f); });
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(drawssince(8), 0);
  EXPECT_EQ(currentcolour(), (std::vector<float>{0.1f, 0.2f, 0.3f, 1}));
  EXPECT_TRUE(enabled(GL_BLEND));
  glDisable(GL_BLEND);
}

TEST(CellEntries, FlashesMarkTheCuts) {
  needdemo(640, 480);
  const auto flashes = [](void (*scene)(float), float p) {
    const auto log = record([&] { scene(p); });
    return glcalllog::count(log, "glColor4f 1 1 1");
  };
  glPushMatrix();
  EXPECT_EQ(flashes(cells2, 0), 1);
  EXPECT_EQ(flashes(cells2, 0.25f), 0);
  EXPECT_EQ(flashes(cells2, 0.26f), 1);
  EXPECT_EQ(flashes(cells2_3, 0.5f), 1);
  EXPECT_EQ(flashes(cells2_3, 0.55f), 0);
  EXPECT_EQ(flashes(cells2_4, 0.84f), 1);
  EXPECT_EQ(flashes(cells2_2, 0.2f), 0);
  glPopMatrix();
}

TEST(MiddleAct, DrawCountsPerFrameStayTheSameForTheSameTime) {
  needdemo(640, 480);
  using counts = std::vector<std::pair<std::string, int>>;
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
    const counts first = middleactdraws(t);
    EXPECT_EQ(first, draws) << t;
    EXPECT_EQ(middleactdraws(t), first) << t;
  }
}

namespace {
long long framelight(const std::vector<unsigned char>& frame) {
  long long sum = 0;
  for (const unsigned char v : frame) sum += v;
  return sum;
}
}  // namespace

TEST(MiddleActFrames, FlashesLightUpTheCuts) {
  needdemo(640, 480);
  const long long opening = framelight(demoframe(29200));
  const long long settled = framelight(demoframe(31000));
  const long long flash = framelight(demoframe(97700));
  const long long before = framelight(demoframe(96500));
  EXPECT_GT(opening, settled * 3 / 2);
  EXPECT_GT(flash, before * 3 / 2);
}
