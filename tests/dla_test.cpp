// The growth: the aggregate against a direct implementation of the walk, and the quiet after it.
#include "scenes/dla_internal.h"

#include <algorithm>
#include <cstdlib>

#include "scenecheck.h"
#include "toolkit/tarvok.h"

namespace {

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
}  // namespace

TEST(Growth, MatchesTheDirectWalkDrawForDraw) {
  for (const auto& [seed, particles] : {std::pair{0u, dlaparticles}, {7u, 300}, {1234u, 300}}) {
    std::srand(seed);
    const dlaaggregate fast = growdla(particles);
    const int fastdraws = drawssince(seed, 3000000);
    std::srand(seed);
    const dlaaggregate direct = directgrowth(particles);
    EXPECT_GT(fastdraws, 0) << seed;
    EXPECT_EQ(drawssince(seed, 3000000), fastdraws) << seed;
    ASSERT_EQ(fast.dlapx.size(), static_cast<size_t>(particles));
    for (auto field : {&dlaaggregate::dlapx, &dlaaggregate::dlapy, &dlaaggregate::dlapz,
                       &dlaaggregate::dlapxan, &dlaaggregate::dlapyan, &dlaaggregate::dlapzan})
      EXPECT_EQ(fast.*field, direct.*field) << seed;
    if (seed == 0) {  // initdla grows the same
      needdemo(640, 480);
      EXPECT_EQ(dlaparticleset().dlapx, fast.dlapx);
    }
  }
}

TEST(Growth, FromFourFifthsNothingIsDrawn) {
  needdemo(640, 480);
  for (const float p : {0.8f, 0.9f}) EXPECT_TRUE(untouched([p] { dla(p); })) << p;
}

