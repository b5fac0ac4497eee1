// The worm: feeler timing, where the spark bursts sit, and the quiet after the dive.
#include "scenes/worms_internal.h"

#include <cmath>

#include "scenecheck.h"

namespace {
float length(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }
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
}

TEST(Bursts, InitWormsArmsTheSameBurstsWhereTheFeelersTouchTheCell) {
  needdemo(640, 480);
  const auto bursts = [] {
    std::vector<std::vector<float>> out;  // {active, tstart, px, py, pz, dx, dy, dz}
    for (int i = 0; i < feelercount; ++i) {
      const wpe& b = wormbursts()[i];
      out.push_back({b.active ? 1.0f : 0.0f, b.tstart, b.px, b.py, b.pz, b.dx, b.dy, b.dz});
    }
    return out;
  };
  const auto armed = bursts();
  freeworms();
  initworms();
  EXPECT_EQ(bursts(), armed);
  int live = 0;
  for (int i = 0; i < feelercount; ++i) {
    const auto& b = armed[i];
    if (!b[0]) continue;
    ++live;
    EXPECT_LE(length(b[2], b[3], b[4]), 0.415f) << i;
    // One feeler step back it was still outside.
    EXPECT_GT(length(b[2] + b[5], b[3] + b[6], b[4] + b[7]), 0.415f) << i;
    EXPECT_TRUE(b[1] >= feelerstarts()[i] && b[1] < feelerstarts()[i] + 0.03f) << i;
  }
  EXPECT_GT(live, 0);
  for (const float p : {0.85f, 0.9f, 0.99f}) EXPECT_TRUE(untouched([p] { worms_3(p); })) << p;
}
