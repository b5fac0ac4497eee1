// The worm: feeler timing and paths, the spark bursts, the worm's sprites and the three entries.
#include "worms.h"

#include <cmath>
#include <cstring>

#include "glcalllog.h"
#include "offscreen.h"
#include "randcount.h"

namespace {
using glcalllog::record;

struct burst {
  bool active;
  float tstart, tend, px, py, pz, dx, dy, dz;
  bool operator==(const burst& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};

std::vector<burst> bursts() {
  std::vector<burst> out;
  const wpe* all = wormbursts();
  for (int i = 0; i < feelercount; ++i) {
    const wpe& b = all[i];
    burst copy;
    std::memset(&copy, 0, sizeof copy);
    copy.active = b.active;
    copy.tstart = b.tstart;
    copy.tend = b.tend;
    copy.px = b.px;
    copy.py = b.py;
    copy.pz = b.pz;
    copy.dx = b.dx;
    copy.dy = b.dy;
    copy.dz = b.dz;
    out.push_back(copy);
  }
  return out;
}

float length(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

void identityview() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// Centres of the sprite quads in a log.
std::vector<std::vector<float>> spritecentres(const std::vector<std::string>& log) {
  const auto corners = glcalllog::vertices(log);
  std::vector<std::vector<float>> out;
  for (size_t i = 0; i + 3 < corners.size(); i += 4) {
    std::vector<float> c(3, 0);
    for (size_t k = i; k < i + 4; ++k)
      for (int a = 0; a < 3; ++a) c[a] += corners[k][a] / 4;
    out.push_back(c);
  }
  return out;
}

// The scene table's worm entries need initworms; the demo runs it.
void needworms() { needdemo(640, 480); }
}  // namespace

TEST(Feelers, GrowHoldAndWithdrawInsideTheirWindow) {
  const float start = 0.4f, end = start + 0.1f;
  EXPECT_EQ(feelersegments(start - 0.001f, start, end), 0);
  EXPECT_EQ(feelersegments(start, start, end), 0);  // zero length at its start
  EXPECT_EQ(feelersegments(end, start, end), 0);
  EXPECT_EQ(feelersegments(end + 0.01f, start, end), 0);
  EXPECT_EQ(feelersegments(start + 0.05f, start, end), feelersteps);
  int previous = 0;
  for (int k = 1; k <= 30; ++k) {
    const int n = feelersegments(start + 0.001f * k, start, end);
    EXPECT_GE(n, previous) << k;
    EXPECT_LE(std::abs(n - k), 1) << k;  // one segment per thousandth while growing
    previous = n;
  }
  EXPECT_LT(feelersegments(end - 0.002f, start, end), 3);
  EXPECT_FLOAT_EQ(feelerreach(0.015f), 0.5f);
  EXPECT_FLOAT_EQ(feelerreach(0.085f), 0.5f);
}

TEST(Feelers, DrawOneLineSegmentPerStepBrightestAtTheRoot) {
  needworms();
  identityview();
  const float* starts = feelerstarts();
  const float* ends = feelerends();
  ASSERT_NE(starts, nullptr);
  for (const float t : {0.0f, 0.1f, 0.3f, 0.55f, 0.95f}) {
    int segments = 0;
    for (int i = 0; i < feelercount; ++i) segments += feelersegments(t, starts[i], ends[i]);
    const auto log = record([t] { renderwlines(t, 0, 0, 0.55f); });
    EXPECT_EQ(glcalllog::count(log, "glVertex3f"), 2 * segments) << t;
    EXPECT_EQ(glcalllog::count(log, "glBegin"), 1);
  }
  // A feeler starts at its root, each segment starts where the last ended, and it is brightest
  // at the root.
  const float t = starts[0] + 0.05f;
  const auto log = record([&] { renderwlines(t, 0, 0, 0.55f); });
  const auto points = glcalllog::vertices(log);
  int drawn = 0;
  for (int i = 0; i < feelercount; ++i) drawn += feelersegments(t, starts[i], ends[i]) > 0;
  ASSERT_GE(points.size(), 60u);
  EXPECT_EQ(points[0], (std::vector<float>{0, 0, 0.55f}));
  for (size_t k = 2; k < 60; k += 2) EXPECT_EQ(points[k], points[k - 1]) << k;
  EXPECT_EQ(glcalllog::count(log, "glColor3f 0.420000017 0.480000019 0.540000021"), drawn);
}

TEST(Bursts, AnUnarmedBurstDrawsAndOwnsNothing) {
  needoffscreen(640, 480);
  wpe idle;
  EXPECT_TRUE(record([&] { idle.render(0.5f); }).empty());
  EXPECT_EQ(idle.ux, nullptr);
  EXPECT_EQ(idle.speed, nullptr);
}

TEST(Bursts, ArmOnceAndDrawSixteenSparksInsideTheirWindow) {
  needoffscreen(640, 480);
  identityview();
  wpe spark;
  std::srand(2);
  spark.init(0.3f, 0.1f, 0.2f, 0.3f, 0, 0, -1);
  EXPECT_EQ(drawssince(2), 64);
  spark.init(0.6f, 9, 9, 9, 1, 0, 0);
  EXPECT_FLOAT_EQ(spark.tstart, 0.3f);
  EXPECT_FLOAT_EQ(spark.px, 0.1f);
  EXPECT_TRUE(record([&] { spark.render(0.29f); }).empty());
  EXPECT_TRUE(record([&] { spark.render(spark.tend); }).empty());
  const auto start = spritecentres(record([&] { spark.render(0.3f); }));
  ASSERT_EQ(start.size(), 16u);
  for (const auto& c : start) EXPECT_LT(length(c[0] - 0.1f, c[1] - 0.2f, c[2] - 0.3f), 1e-6f);
  for (int k = 0; k < 16; ++k) {
    EXPECT_NEAR(length(spark.ux[k], spark.uy[k], spark.uz[k]), 1, 1e-5);
    EXPECT_GE(spark.speed[k], 0);
    EXPECT_LT(spark.speed[k], 0.2f);
  }
}

TEST(Bursts, InitWormsArmsTheSameBurstsWhereTheFeelersTouchTheCell) {
  needworms();
  const auto armed = bursts();
  std::srand(77);
  freeworms();
  EXPECT_EQ(wormbursts(), nullptr);
  initworms();
  // 120 feelers of three draws each, then four per spark of every armed burst.
  int count = 0;
  for (const burst& b : armed) count += b.active;
  EXPECT_EQ(drawssince(0), feelercount * 3 + count * 64);
  EXPECT_EQ(bursts(), armed);
  EXPECT_GT(count, 0);
  const float* starts = feelerstarts();
  for (int i = 0; i < feelercount; ++i) {
    const burst& b = armed[i];
    if (!b.active) continue;
    EXPECT_LE(length(b.px, b.py, b.pz), 0.415f) << i;
    // The point before the touch was still outside, one feeler step away.
    EXPECT_GT(length(b.px + b.dx, b.py + b.dy, b.pz + b.dz), 0.415f) << i;
    EXPECT_NEAR(length(b.dx, b.dy, b.dz), 0.013333334f, 1e-6) << i;
    const float steps = (b.tstart - starts[i]) / 0.001f;
    EXPECT_NEAR(steps, std::round(steps), 1e-2) << i;
    EXPECT_LT(steps, 30) << i;
    EXPECT_NEAR(b.tend - b.tstart, 0.1f, 1e-6) << i;
  }
}

TEST(Worm, WholeItIsABallAroundItsCentreCollapsedAKnotAtTheOrigin) {
  needworms();
  identityview();
  std::srand(0);
  const auto whole = spritecentres(record([] { renderworm_2(0.3f, 0, 0, 0.55f, 0); }));
  EXPECT_EQ(drawssince(0), 224 * 4);
  ASSERT_EQ(whole.size(), 224u);
  for (const auto& c : whole) {
    const float r = length(c[0], c[1], c[2] - 0.55f);
    EXPECT_GE(r, 0.07f - 1e-5f);
    EXPECT_LE(r, 0.13f + 1e-5f);
  }
  const auto knot = spritecentres(record([] { renderworm_2(0.3f, 0, 0, 0.55f, 1); }));
  for (const auto& c : knot) EXPECT_LE(length(c[0], c[1], c[2]), 0.035f);
  std::srand(0);
  const auto worm = spritecentres(record([] { renderworm(0.3f, 0, 0, 3, 0); }));
  EXPECT_EQ(drawssince(0), 224 * 3);
  ASSERT_EQ(worm.size(), 224u);
}

TEST(WormEntries, TakeTheDrawsTheFloatersInherit) {
  needworms();
  for (const float p : {0.1f, 0.6f, 0.9f}) {
    glPushMatrix();
    EXPECT_EQ(drawcount(0, [p] { worms(p); }), 224 * 3) << p;
    EXPECT_EQ(drawcount(0, [p] { worms_2(p); }), 224 * 3) << p;
    glPopMatrix();
  }
  for (const float p : {0.01f, 0.2f, 0.5f, 0.8f}) {
    glPushMatrix();
    EXPECT_EQ(drawcount(0, [p] { worms_3(p); }), 224 * 4) << p;
    glPopMatrix();
  }
}

TEST(WormEntries, SameProgressSameCallsAndTheSharedState) {
  needworms();
  for (auto scene : {worms, worms_2, worms_3}) {
    for (const float p : {0.02f, 0.3f, 0.55f, 0.72f, 0.8f}) {
      glPushMatrix();
      const auto first = record([&] { scene(p); });
      glPopMatrix();
      glPushMatrix();
      glEnable(GL_BLEND);
      glDisable(GL_DEPTH_TEST);
      const auto second = record([&] { scene(p); });
      glPopMatrix();
      EXPECT_EQ(first, second) << p;
      EXPECT_FALSE(glIsEnabled(GL_BLEND));
      EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
      GLint src = 0, dst = 0;
      glGetIntegerv(GL_BLEND_SRC, &src);
      glGetIntegerv(GL_BLEND_DST, &dst);
      EXPECT_EQ(src, GL_SRC_COLOR);
      EXPECT_EQ(dst, GL_ONE);
    }
  }
}

TEST(WormEntries, TheFeelerEntryDrawsSparksWhereBurstsAreLive) {
  needworms();
  const wpe* all = wormbursts();
  int live = -1;
  for (int i = 0; i < feelercount && live < 0; ++i)
    if (all[i].active) live = i;
  ASSERT_GE(live, 0);
  const float t = all[live].tstart + 0.05f;
  int sparks = 0;
  for (int i = 0; i < feelercount; ++i)
    sparks += all[i].active && all[i].tstart <= t && t < all[i].tend ? 16 : 0;
  int segments = 0;
  for (int i = 0; i < feelercount; ++i)
    segments += feelersegments(t, feelerstarts()[i], feelerends()[i]);
  glPushMatrix();
  const auto log = record([t] { worms_2(t); });
  glPopMatrix();
  EXPECT_EQ(glcalllog::count(log, "glVertex3f"), 4 * (224 + sparks) + 2 * segments);
}

TEST(WormEntries, AfterTheDiveTheLastEntryMakesNoCall) {
  needworms();
  identityview();
  glColor3f(0.1f, 0.2f, 0.3f);
  std::srand(6);
  for (const float p : {0.85f, 0.9f, 0.99f}) EXPECT_TRUE(record([p] { worms_3(p); }).empty());
  EXPECT_EQ(drawssince(6), 0);
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[14], 0);
}
