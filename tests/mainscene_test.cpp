// The landscape: snow, floor and sky, its washes and the camera moves it leaves for later scenes;
// checked on whole demo frames and on the scene's own pictures.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "scenes/camera_internal.h"
#include "scenes/mainscene.h"
#include "scenecheck.h"

namespace {
void mainsceneat(double t) { mainscene(static_cast<float>(t / 149)); }

std::array<float, 16> modelview() {
  std::array<float, 16> m{};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

// Only the snow, over black, in the view of the given moment.
std::vector<unsigned char> snowalone(double t, float p) {
  needdemo(640, 480);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  cameraat(t);
  rendersnow(p, -4);
  return framepixels();
}

// Share of the frame's light within 110 pixels of the centre, and its blue against its red.
std::array<double, 2> centreandblue(const std::vector<unsigned char>& frame) {
  long long inside = 0, all = 0, red = 0, blue = 0;
  for (int y = 0; y < frameheight(); ++y)
    for (int x = 0; x < framewidth(); ++x) {
      const Rgb p = pixelat(frame, x, y);
      const int dx = x - framewidth() / 2, dy = y - frameheight() / 2;
      all += p.r + p.g + p.b;
      inside += dx * dx + dy * dy <= 110 * 110 ? p.r + p.g + p.b : 0;
      red += p.r;
      blue += p.b;
    }
  return {double(inside) / std::max(all, 1LL), double(blue) / std::max(red, 1LL)};
}

void expectleftclean() {
  for (GLenum cap : {GL_BLEND, GL_FOG, GL_CULL_FACE, GL_TEXTURE_2D}) EXPECT_FALSE(glIsEnabled(cap));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}
}  // namespace

TEST(MainSceneFrames, BlackOpeningWhiteFlashAndARepeatablePicture) {
  needdemo(640, 480);
  // Darkest and brightest channel in rows [top, bottom), the date counter's corner left out.
  auto extremes = [](const std::vector<unsigned char>& frame, int top, int bottom) {
    int darkest = 255, brightest = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < framewidth(); ++x)
        if (x < 440 || y < 55 || y >= 125) {
          const Rgb p = pixelat(frame, x, y);
          darkest = std::min({darkest, p.r, p.g, p.b});
          brightest = std::max({brightest, p.r, p.g, p.b});
        }
    return std::make_pair(darkest, brightest);
  };
  for (unsigned int ms : {0u, 1u, 40u})
    EXPECT_LE(extremes(demoframe(ms), 0, frameheight()).second, 6) << ms << " ms";
  const std::vector<unsigned char> flash = demoframe(14000);
  EXPECT_GE(extremes(flash, 130, 410).first, 200);
  EXPECT_LT(framelight(demoframe(17000)), framelight(flash) / 3);
  const std::vector<unsigned char> ball = demoframe(20000);
  EXPECT_GT(framelight(ball), 0);
  EXPECT_LE(maxdifference(demoframe(20000), ball), 4);
}

TEST(MainSceneDraws, NothingBetweenTheOpeningAndTheReturnNorAfterTheBurst) {
  needdemo(640, 480);
  for (double t : {29.2, 30.0, 100.0, 134.6, 145.6, 148.9})
    EXPECT_TRUE(untouched([t] { mainsceneat(t); })) << t;
}

TEST(MainSceneDraws, OpeningKeepsTheCameraReturnAndBurstMoveIt) {
  needdemo(640, 480);
  for (double t : {0.5, 14.0, 26.0, 29.1}) {
    cameraat(t);
    const auto before = modelview();
    mainsceneat(t);
    EXPECT_EQ(modelview(), before) << t;
    expectleftclean();
  }
  auto distanceafter = [](double t) {
    glLoadIdentity();
    mainsceneat(t);
    const auto m = modelview();
    return std::hypot(m[12], m[13], m[14]);
  };
  // The return starts 16 units nearer and eases back out; the burst orbits at 21 to 27.
  EXPECT_LT(distanceafter(134.7), 11.5);
  for (double t : {138.0, 142.0}) {
    EXPECT_GT(distanceafter(t), 20.9) << t;
    EXPECT_LT(distanceafter(t), 27.1) << t;
  }
  expectleftclean();
}

TEST(Snow, AlwaysTakes13000DrawsFromSeedZero) {
  for (float p : {-0.035f, 0.2f, 0.5f, 0.8333f, 0.965f, 1.0005f, 1.049f, 3.0f}) {
    std::srand(99);
    snowalone(20, p);
    EXPECT_EQ(drawssince(0), 13000) << p;
  }
}

TEST(Snow, GathersIntoABlueBallAtTheCentreAndBursts) {
  // The camera at T = 26 looks at the origin, where the ball forms.
  const auto falling = centreandblue(snowalone(26, 0.3f));
  const auto ball = centreandblue(snowalone(26, 0.9f));
  const auto burst = centreandblue(snowalone(26, 1.03f));
  EXPECT_GT(ball[0], 0.8);
  EXPECT_LT(falling[0], 0.4);
  EXPECT_LT(burst[0], ball[0] / 2);
  // The flake image has a tint of its own; the ball's colour doubles the blue against the red.
  EXPECT_GT(ball[1], 1.6 * falling[1]);
}
