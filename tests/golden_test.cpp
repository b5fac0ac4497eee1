// Golden frames: the demo drawn at the listed times must still look like the references that
// were kept after viewing them. References are made by scripts/golden.sh, never by this test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tools/frameio.h"
#include "offscreen.h"

constexpr int keptwidth = 320, keptheight = 240;  // the 640 x 480 render, halved

TEST(GoldenFrames, MatchTheKeptReferences) {
  std::ifstream list("tests/golden/times.txt");
  std::vector<double> times;
  for (std::string line; std::getline(list, line);)
    if (!line.empty() && line[0] != '#') times.push_back(std::stod(line));
  ASSERT_FALSE(times.empty()) << "no times in tests/golden/times.txt";
  needdemo(640, 480, true);  // started as scripts/golden.sh's renderer starts it
  // Every listed time is drawn, in order, so that frame-to-frame state matches the renderer's.
  for (const double seconds : times) {
    const std::vector<unsigned char> kept =
        halveframe(demoframe(unsigned(std::lround(seconds * 1000))), 640, 480);
    char name[64];
    std::snprintf(name, sizeof name, "tessivar-%07.3f.png", seconds);
    const Picture picture = readpng(std::string("tests/golden/") + name);
    ASSERT_TRUE(picture.width == keptwidth && picture.height == keptheight) << name;
    const std::vector<unsigned char>& reference = picture.rgb;
    // Frames may differ by the rasteriser's rounding, amplified a little by the glow.
    long long total = 0, far = 0;
    for (size_t i = 0; i < kept.size(); i += 3) {
      int most = 0;
      for (size_t c = i; c < i + 3; ++c) {
        total += std::abs(kept[c] - reference[c]);
        most = std::max(most, std::abs(kept[c] - reference[c]));
      }
      far += most > 24;
    }
    const double mean = double(total) / kept.size(), farshare = 3.0 * far / kept.size();
    EXPECT_TRUE(mean <= 1.5 && farshare <= 0.005)
        << seconds << " s: mean difference " << mean << ", " << 100 * farshare
        << "% of pixels off by more than 24";
    // A failing frame is written next to the build, where it can be looked at.
    if (mean > 1.5 || farshare > 0.005) {
      if (const char* bin = std::getenv("TESSIVAR_BIN"))
        savepng(std::string(bin) + "/golden-actual-" + name, keptwidth, keptheight, 3,
                kept.data());
    }
  }
}
