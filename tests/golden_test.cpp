// Golden frames: the demo drawn at the listed times must still look like the references that
// were kept after viewing them. References are made by scripts/golden.sh, never by this test.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frameio.h"
#include "offscreen.h"

namespace {
constexpr int renderwidth = 640;
constexpr int renderheight = 480;
constexpr int keptwidth = renderwidth / 2;
constexpr int keptheight = renderheight / 2;
const char* const goldendir = "tests/golden";

// Frames may differ by the rasteriser's rounding, amplified a little by the glow.
constexpr double meanlimit = 1.5;
constexpr int pixellimit = 24;
constexpr double farpixelshare = 0.005;

std::vector<double> goldentimes() {
  std::ifstream list(std::string(goldendir) + "/times.txt");
  std::vector<double> times;
  std::string line;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    times.push_back(std::stod(line));
  }
  return times;
}

std::string goldenname(double seconds) {
  char name[64];
  std::snprintf(name, sizeof name, "tessivar-%07.3f.png", seconds);
  return name;
}

// Each kept pixel is the rounded mean of a 2x2 block of the render.
std::vector<unsigned char> halve(const std::vector<unsigned char>& frame) {
  std::vector<unsigned char> kept(static_cast<size_t>(keptwidth) * keptheight * 3);
  for (int y = 0; y < keptheight; ++y)
    for (int x = 0; x < keptwidth; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx)
            sum += frame[((2 * y + dy) * static_cast<size_t>(renderwidth) + 2 * x + dx) * 3 + c];
        kept[(static_cast<size_t>(y) * keptwidth + x) * 3 + c] =
            static_cast<unsigned char>((sum + 2) / 4);
      }
  return kept;
}

// Reads an 8-bit RGB PNG of the kept size; returns false if absent or of another shape.
bool readreference(const std::string& path, std::vector<unsigned char>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  if (image.width != keptwidth || image.height != keptheight) {
    png_image_free(&image);
    return false;
  }
  pixels.assign(PNG_IMAGE_SIZE(image), 0);
  return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

bool fileexists(const std::string& path) { return std::ifstream(path).good(); }

struct Difference {
  double mean = 0;
  double farshare = 0;
};

Difference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  long long total = 0, far = 0;
  for (size_t i = 0; i < a.size(); i += 3) {
    int most = 0;
    for (int c = 0; c < 3; ++c) {
      const int d = std::abs(a[i + c] - b[i + c]);
      total += d;
      most = std::max(most, d);
    }
    if (most > pixellimit) ++far;
  }
  return {static_cast<double>(total) / a.size(), static_cast<double>(far) / (a.size() / 3)};
}

// A failing frame is written next to the build, where it can be looked at.
void keepforviewing(const std::string& name, const std::vector<unsigned char>& kept) {
  const char* bin = std::getenv("TESSIVAR_BIN");
  if (!bin) return;
  const std::string path = std::string(bin) + "/golden-actual-" + name;
  writepng(path.c_str(), keptwidth, keptheight, 3, kept.data());
}
}  // namespace

TEST(GoldenFrames, MatchTheKeptReferences) {
  const std::vector<double> times = goldentimes();
  ASSERT_FALSE(times.empty()) << "no times in " << goldendir << "/times.txt";
  needdemo(renderwidth, renderheight);
  std::string missing;
  for (const double seconds : times) {
    // Every listed time is drawn, in order, so that frame-to-frame state matches the renderer's.
    const std::vector<unsigned char> kept =
        halve(demoframe(static_cast<unsigned int>(std::lround(seconds * 1000))));
    const std::string name = goldenname(seconds);
    const std::string path = std::string(goldendir) + "/" + name;
    if (!fileexists(path)) {
      missing += " " + name;
      continue;
    }
    std::vector<unsigned char> reference;
    ASSERT_TRUE(readreference(path, reference)) << path << " is not a 320x240 PNG";
    const Difference d = compare(kept, reference);
    const bool same = d.mean <= meanlimit && d.farshare <= farpixelshare;
    EXPECT_TRUE(same) << seconds << " s: mean difference " << d.mean << ", "
                      << 100 * d.farshare << "% of pixels off by more than " << pixellimit;
    if (!same) keepforviewing(name, kept);
  }
  if (!missing.empty()) GTEST_SKIP() << "no reference yet for" << missing;
}
