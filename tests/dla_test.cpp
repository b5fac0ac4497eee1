// The growth: the aggregate against a direct implementation of the walk, its shape, and the
// display of particles and strings.
#include "dla.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "glcalllog.h"
#include "offscreen.h"
#include "randcount.h"
#include "tarvok.h"

namespace {
using glcalllog::record;

// The walk as plainly as it can be written: an occupancy lattice [z][y][x] and a look at all 26
// neighbours on every step. The demo's growth must agree with it draw for draw.
dlaaggregate directgrowth(int count) {
  static unsigned char grid[70][70][70];
  std::fill(&grid[0][0][0], &grid[0][0][0] + 70 * 70 * 70, 0);
  grid[35][35][35] = 1;
  dlaaggregate out;
  for (int i = 0; i < count; ++i) {
    int x = std::rand() % 70;
    int y = std::rand() % 70;
    int z = std::rand() % 70;
    for (;;) {
      if (x < 1) x = std::rand() % 68 + 1;
      if (x > 68) x = std::rand() % 68 + 1;
      if (y < 1) y = std::rand() % 68 + 1;
      if (y > 68) y = std::rand() % 68 + 1;
      if (z < 1) z = std::rand() % 68 + 1;
      if (z > 68) z = std::rand() % 68 + 1;
      bool stuck = false;
      for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            if ((dx || dy || dz) && grid[z + dz][y + dy][x + dx]) stuck = true;
      if (stuck) break;
      const int m = std::rand() % 6;
      if (m == 0) x = x - 1;
      if (m == 1) x = x + 1;
      if (m == 2) y = y - 1;
      if (m == 3) y = y + 1;
      if (m == 4) z = z - 1;
      if (m == 5) z = z + 1;
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

int lattice(float world) { return static_cast<int>(std::lround(world / 0.0182)) + 35; }

struct cell {
  int x, y, z;
};

cell latticecell(const dlaaggregate& a, int i) {
  return cell{lattice(a.dlapx[i]), lattice(a.dlapy[i]), lattice(a.dlapz[i])};
}

bool neighbours(const cell& a, const cell& b) {
  const int d = std::max({std::abs(a.x - b.x), std::abs(a.y - b.y), std::abs(a.z - b.z)});
  return d == 1;
}

const dlaaggregate& grown() {
  needdemo(640, 480);
  return dlaparticleset();
}
}  // namespace

TEST(Growth, MatchesTheDirectWalkDrawForDraw) {
  std::srand(0);
  const dlaaggregate fast = growdla();
  const int fastdraws = drawssince(0, 3000000);
  std::srand(0);
  const dlaaggregate direct = directgrowth(dlaparticles);
  EXPECT_EQ(drawssince(0, 3000000), fastdraws);
  ASSERT_EQ(fast.dlapx.size(), 1600u);
  EXPECT_EQ(fast.dlapx, direct.dlapx);
  EXPECT_EQ(fast.dlapy, direct.dlapy);
  EXPECT_EQ(fast.dlapz, direct.dlapz);
  EXPECT_EQ(fast.dlapxan, direct.dlapxan);
  EXPECT_EQ(fast.dlapyan, direct.dlapyan);
  EXPECT_EQ(fast.dlapzan, direct.dlapzan);
  EXPECT_EQ(grown().dlapx, fast.dlapx);  // initdla grows the same from srand(0)
}

TEST(Growth, MatchesTheDirectWalkFromOtherSeedsToo) {
  for (const unsigned int seed : {7u, 1234u}) {
    std::srand(seed);
    const dlaaggregate fast = growdla(300);
    std::srand(seed);
    const dlaaggregate direct = directgrowth(300);
    EXPECT_EQ(fast.dlapx, direct.dlapx) << seed;
    EXPECT_EQ(fast.dlapz, direct.dlapz) << seed;
    EXPECT_EQ(fast.dlapzan, direct.dlapzan) << seed;
  }
}

TEST(Growth, EveryParticleSticksToTheSeedOrAnEarlierParticle) {
  const dlaaggregate& a = grown();
  ASSERT_EQ(a.dlapx.size(), 1600u);
  const cell seed{35, 35, 35};
  EXPECT_TRUE(neighbours(latticecell(a, 0), seed));
  for (int i = 1; i < dlaparticles; ++i) {
    const cell c = latticecell(a, i);
    bool touches = neighbours(c, seed);
    for (int k = 0; k < i && !touches; ++k) touches = neighbours(c, latticecell(a, k));
    EXPECT_TRUE(touches) << i;
  }
}

TEST(Growth, StaysInsideTheLatticeAroundTheSeed) {
  const dlaaggregate& a = grown();
  for (const auto* axis : {&a.dlapx, &a.dlapy, &a.dlapz}) {
    const auto [low, high] = std::minmax_element(axis->begin(), axis->end());
    EXPECT_GE(*low, dlaworld(1));
    EXPECT_LE(*high, dlaworld(68));
  }
  EXPECT_NEAR(dlaworld(1), -0.6188f, 1e-4);
  EXPECT_NEAR(dlaworld(68), 0.6006f, 1e-4);
  for (const float angle : a.dlapyan) {
    EXPECT_GE(angle, 0);
    EXPECT_LT(angle, 360);
  }
}

TEST(Display, AtTheStartOnlyTheRootOfEachString) {
  grown();
  glPushMatrix();
  const auto log = record([] { dla(0); });
  glPopMatrix();
  EXPECT_EQ(glcalllog::count(log, "glVertex3f"), 16 * 4);
  EXPECT_EQ(glcalllog::count(log, "glColor3f 0.600000024"), 16);
  EXPECT_EQ(glcalllog::count(log, "glColor3f 0.400000006"), 1);  // the closing grey only
}

TEST(Display, RevealsParticlesInStickingOrderAndAllFromTwoThirds) {
  grown();
  const auto sprites = [](float p) {
    glPushMatrix();
    const auto log = record([p] { dla(p); });
    glPopMatrix();
    return glcalllog::count(log, "glVertex3f") / 4;
  };
  const int strings = 16 * 96;
  EXPECT_EQ(sprites(0.3f), static_cast<int>(0.3f * 2000 * 1.2) + strings);
  EXPECT_EQ(sprites(0.7f), 1600 + strings);
  EXPECT_EQ(sprites(0.79f), 1600 + strings);
}

TEST(Display, StringsTakeTheirOwnDrawsParticlesTurnWithTheSequenceTheyFind) {
  grown();
  for (const float p : {0.0f, 0.1f, 0.5f, 0.75f}) {
    glPushMatrix();
    // Sixteen strings of four draws and 96 sprites, after srand(1).
    EXPECT_EQ(drawcount(1, [p] { dla(p); }), 16 * (4 + 96)) << p;
    glPopMatrix();
  }
  const auto drawnafter = [](int skipped) {
    std::srand(3);
    for (int i = 0; i < skipped; ++i) std::rand();
    glPushMatrix();
    const auto log = record([] { dla(0.5f); });
    glPopMatrix();
    return log;
  };
  const auto first = drawnafter(0);
  EXPECT_EQ(drawnafter(0), first);
  EXPECT_NE(drawnafter(1), first);
}

TEST(Display, FromFourFifthsOnNoCallAndNoDraw) {
  grown();
  glColor3f(0.1f, 0.2f, 0.3f);
  std::srand(9);
  for (const float p : {0.8f, 0.9f}) EXPECT_TRUE(record([p] { dla(p); }).empty());
  EXPECT_EQ(drawssince(9), 0);
  glPushMatrix();
  dla(0.5f);
  glPopMatrix();
  float c[4];
  glGetFloatv(GL_CURRENT_COLOR, c);
  EXPECT_FLOAT_EQ(c[0], 0.4f);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}
