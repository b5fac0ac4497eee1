// The worm: feeler timing and paths, the spark bursts and the three worm entries.
#include "scenes/worms_internal.h"

#include <algorithm>
#include <cmath>

#include "glcalllog.h"
#include "offscreen.h"

namespace {
using glcalllog::count;
using glcalllog::record;

// Each burst as {active, tstart, tend, px, py, pz, dx, dy, dz}.
std::vector<std::vector<float>> bursts() {
  std::vector<std::vector<float>> out;
  for (int i = 0; i < feelercount; ++i) {
    const wpe& b = wormbursts()[i];
    out.push_back({b.active ? 1.0f : 0.0f, b.tstart, b.tend, b.px, b.py, b.pz, b.dx, b.dy, b.dz});
  }
  return out;
}

float length(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

int segmentsat(float t) {
  int n = 0;
  for (int i = 0; i < feelercount; ++i) n += feelersegments(t, feelerstarts()[i], feelerends()[i]);
  return n;
}

// The demo's start-up runs initworms and sets a modelview of identity.
void needworms() {
  needdemo(640, 480);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
}  // namespace

TEST(Feelers, GrowHoldAndWithdrawInsideTheirWindow) {
  const float start = 0.4f, end = start + 0.1f;
  for (const float t : {start - 0.001f, start, end, end + 0.01f})
    EXPECT_EQ(feelersegments(t, start, end), 0) << t;  // zero length at exactly its start
  EXPECT_EQ(feelersegments(start + 0.05f, start, end), feelersteps);
  EXPECT_LT(feelersegments(end - 0.002f, start, end), 3);
  int previous = 0;
  for (int k = 1; k <= 30; ++k) {
    const int n = feelersegments(start + 0.001f * k, start, end);
    EXPECT_GE(n, previous) << k;
    EXPECT_LE(std::abs(n - k), 1) << k;  // one segment per thousandth while growing
    previous = n;
  }
  EXPECT_FLOAT_EQ(feelerreach(0.015f), 0.5f);
  EXPECT_FLOAT_EQ(feelerreach(0.085f), 0.5f);
}

TEST(Feelers, OneLineSegmentPerStepFromTheRootBrightestThere) {
  needworms();
  const float t = feelerstarts()[0] + 0.05f;
  const auto log = record([&] { renderwlines(t, 0, 0, 0.55f); });
  EXPECT_EQ(count(log, "glVertex3f"), 2 * segmentsat(t));
  int drawn = 0;
  for (int i = 0; i < feelercount; ++i)
    drawn += feelersegments(t, feelerstarts()[i], feelerends()[i]) > 0;
  EXPECT_EQ(count(log, "glColor3f 0.420000017 0.480000019 0.540000021"), drawn);
  const auto isvertex = [](const std::string& c) { return c.rfind("glVertex3f", 0) == 0; };
  const auto root = std::find_if(log.begin(), log.end(), isvertex);
  ASSERT_NE(root, log.end());
  EXPECT_EQ(*root, "glVertex3f 0 0 0.550000012");
}

TEST(Bursts, UnarmedOwnsAndDrawsNothingArmedOnceSixteenSparksInTheWindow) {
  needworms();
  wpe spark;
  EXPECT_TRUE(record([&] { spark.render(0.5f); }).empty());
  EXPECT_EQ(spark.ux, nullptr);
  EXPECT_EQ(spark.speed, nullptr);
  std::srand(2);
  spark.init(0.3f, 0.1f, 0.2f, 0.3f, 0, 0, -1);
  EXPECT_EQ(drawssince(2), 64);
  spark.init(0.6f, 9, 9, 9, 1, 0, 0);
  EXPECT_FLOAT_EQ(spark.tstart, 0.3f);
  EXPECT_FLOAT_EQ(spark.px, 0.1f);
  EXPECT_TRUE(record([&] { spark.render(0.29f); }).empty());
  EXPECT_TRUE(record([&] { spark.render(spark.tend); }).empty());
  const auto start = glcalllog::centres(record([&] { spark.render(0.3f); }));
  ASSERT_EQ(start.size(), 16u);
  for (const auto& c : start) EXPECT_LT(length(c[0] - 0.1f, c[1] - 0.2f, c[2] - 0.3f), 1e-6f);
  for (int k = 0; k < 16; ++k) EXPECT_NEAR(length(spark.ux[k], spark.uy[k], spark.uz[k]), 1, 1e-5f);
}

TEST(Bursts, InitWormsArmsTheSameBurstsWhereTheFeelersTouchTheCell) {
  needworms();
  const auto armed = bursts();
  std::srand(77);
  freeworms();
  EXPECT_EQ(wormbursts(), nullptr);
  initworms();
  int live = 0;
  for (const auto& b : armed) live += b[0] != 0;
  EXPECT_GT(live, 0);
  EXPECT_EQ(drawssince(0), feelercount * 3 + live * 64);  // three per feeler, four per spark
  EXPECT_EQ(bursts(), armed);
  for (int i = 0; i < feelercount; ++i) {
    const auto& b = armed[i];
    if (!b[0]) continue;
    EXPECT_LE(length(b[3], b[4], b[5]), 0.415f) << i;
    // One feeler step back it was still outside.
    EXPECT_GT(length(b[3] + b[6], b[4] + b[7], b[5] + b[8]), 0.415f) << i;
    EXPECT_NEAR(length(b[6], b[7], b[8]), 0.013333334f, 1e-6) << i;
    EXPECT_TRUE(b[1] >= feelerstarts()[i] && b[1] < feelerstarts()[i] + 0.03f) << i;
  }
}

TEST(WormEntries, FeelersAndLiveSparksDrawnAndNothingAfterTheDive) {
  needworms();
  const wpe* all = wormbursts();
  int first = 0;
  while (first < feelercount && !all[first].active) ++first;
  ASSERT_LT(first, feelercount);
  const float t = all[first].tstart + 0.05f;
  int sparks = 0;
  for (int i = 0; i < feelercount; ++i)
    sparks += all[i].active && all[i].tstart <= t && t < all[i].tend;
  glPushMatrix();
  glEnable(GL_BLEND);
  const auto log = record([t] { worms_2(t); });
  glPopMatrix();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(count(log, "glVertex3f"), 4 * (224 + 16 * sparks) + 2 * segmentsat(t));
  std::srand(6);
  for (const float p : {0.85f, 0.9f, 0.99f}) EXPECT_TRUE(record([p] { worms_3(p); }).empty());
  EXPECT_EQ(drawssince(6), 0);
}
