// The growth: the aggregate against a direct implementation of the walk, its shape, and the
// display of particles and strings.
#include "scenes/dla_internal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "glcalllog.h"
#include "offscreen.h"
#include "toolkit/tarvok.h"

namespace {
using glcalllog::count;
using glcalllog::record;

// The walk as plainly as it can be written: an occupancy lattice [z][y][x] and a look at all 26
// neighbours on every step. The demo's growth must agree with it draw for draw.
dlaaggregate directgrowth(int particles) {
  static unsigned char grid[70][70][70];
  std::fill(&grid[0][0][0], &grid[0][0][0] + 70 * 70 * 70, 0);
  grid[35][35][35] = 1;
  dlaaggregate out;
  for (int i = 0; i < particles; ++i) {
    int x = std::rand() % 70, y = std::rand() % 70, z = std::rand() % 70;
    for (;;) {
      for (int* c : {&x, &y, &z})
        if (*c < 1 || *c > 68) *c = std::rand() % 68 + 1;
      bool stuck = false;
      for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            if ((dx || dy || dz) && grid[z + dz][y + dy][x + dx]) stuck = true;
      if (stuck) break;
      const int m = std::rand() % 6;  // -x, +x, -y, +y, -z, +z
      *(m < 2 ? &x : m < 4 ? &y : &z) += m % 2 ? 1 : -1;
    }
    grid[z][y][x] = 1;
    out.dlapx.push_back(static_cast<float>((x - 35) * 1.4 * 0.013));
    out.dlapy.push_back(static_cast<float>((y - 35) * 1.4 * 0.013));
    out.dlapz.push_back(static_cast<float>((z - 35) * 1.4 * 0.013));
    out.dlapxan.push_back(static_cast<float>(randfloat() * 360));
    out.dlapyan.push_back(static_cast<float>(randfloat() * 360));
    out.dlapzan.push_back(static_cast<float>(randfloat() * 360));
  }
  return out;
}

const dlaaggregate& grown() {
  needdemo(640, 480);
  return dlaparticleset();
}

std::vector<std::string> drawn(float p) {
  glPushMatrix();
  const auto log = record([p] { dla(p); });
  glPopMatrix();
  return log;
}
}  // namespace

TEST(Growth, MatchesTheDirectWalkDrawForDraw) {
  for (const auto& [seed, particles] : {std::pair{0u, dlaparticles}, {7u, 300}, {1234u, 300}}) {
    std::srand(seed);
    const dlaaggregate fast = growdla(particles);
    const int fastdraws = drawssince(seed, 3000000);
    std::srand(seed);
    const dlaaggregate direct = directgrowth(particles);
    EXPECT_EQ(drawssince(seed, 3000000), fastdraws) << seed;
    ASSERT_EQ(fast.dlapx.size(), static_cast<size_t>(particles));
    for (auto field : {&dlaaggregate::dlapx, &dlaaggregate::dlapy, &dlaaggregate::dlapz,
                       &dlaaggregate::dlapxan, &dlaaggregate::dlapyan, &dlaaggregate::dlapzan})
      EXPECT_EQ(fast.*field, direct.*field) << seed;
    if (seed == 0) { EXPECT_EQ(grown().dlapx, fast.dlapx); }  // initdla grows the same
  }
}

TEST(Growth, EveryParticleSticksToTheSeedOrAnEarlierOneInsideTheLattice) {
  const dlaaggregate& a = grown();
  ASSERT_EQ(a.dlapx.size(), 1600u);
  std::vector<std::array<long, 3>> stuck{{35, 35, 35}};  // lattice cells, the seed first
  for (int i = 0; i < dlaparticles; ++i) {
    std::array<long, 3> c;
    for (int k = 0; k < 3; ++k)
      c[k] = std::lround((k == 0 ? a.dlapx : k == 1 ? a.dlapy : a.dlapz)[i] / 0.0182) + 35;
    bool touches = false;
    for (const auto& o : stuck)
      touches |= std::max({labs(c[0] - o[0]), labs(c[1] - o[1]), labs(c[2] - o[2])}) == 1;
    EXPECT_TRUE(touches) << i;
    stuck.push_back(c);
  }
  EXPECT_NEAR(dlaworld(1), -0.6188f, 1e-4);
  EXPECT_NEAR(dlaworld(68), 0.6006f, 1e-4);
  for (const auto* axis : {&a.dlapx, &a.dlapy, &a.dlapz}) {
    const auto [low, high] = std::minmax_element(axis->begin(), axis->end());
    EXPECT_GE(*low, dlaworld(1));
    EXPECT_LE(*high, dlaworld(68));
  }
  for (const float angle : a.dlapyan) EXPECT_TRUE(angle >= 0 && angle < 360) << angle;
}

TEST(Display, RootsFirstThenParticlesInStickingOrder) {
  grown();
  const auto start = drawn(0);
  EXPECT_EQ(count(start, "glVertex3f"), 16 * 4);
  EXPECT_EQ(count(start, "glColor3f 0.600000024"), 16);
  EXPECT_EQ(count(start, "glColor3f 0.400000006"), 1);  // the closing grey only
  const int strings = 16 * 96;
  EXPECT_EQ(count(drawn(0.3f), "glVertex3f") / 4, static_cast<int>(0.3f * 2000 * 1.2) + strings);
  EXPECT_EQ(count(drawn(0.7f), "glVertex3f") / 4, 1600 + strings);
  EXPECT_EQ(count(drawn(0.79f), "glVertex3f") / 4, 1600 + strings);
}

TEST(Display, ParticlesTurnWithTheSequenceTheyFindAndFromFourFifthsNothingHappens) {
  grown();
  const auto after = [](int skipped) {
    std::srand(3);
    for (int i = 0; i < skipped; ++i) std::rand();
    return drawn(0.5f);
  };
  const auto first = after(0);
  EXPECT_EQ(after(0), first);
  EXPECT_NE(after(1), first);
  std::srand(9);
  for (const float p : {0.8f, 0.9f}) EXPECT_TRUE(record([p] { dla(p); }).empty());
  EXPECT_EQ(drawssince(9), 0);
}
