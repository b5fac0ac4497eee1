// The generated images: repeatable output, sprite borders, seams of the wrapped images and where
// the logo's lettering lies.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "offscreen.h"

namespace {
namespace fs = std::filesystem;

const unsigned char* at(const Picture& p, int x, int y) { return &p.rgb[(size_t(y) * p.width + x) * 3]; }
int brightness(const Picture& p, int x, int y) {
  return std::max({at(p, x, y)[0], at(p, x, y)[1], at(p, x, y)[2]});
}

Picture loadnamed(const std::string& name) { return readpng("data/" + name + ".png"); }

// Mean absolute difference of all channels between column (or row) a and b.
double linedifference(const Picture& p, int a, int b, bool columns) {
  double sum = 0;
  for (int i = 0; i < p.width; ++i)
    for (int c = 0; c < 3; ++c)
      sum += std::abs(columns ? at(p, a, i)[c] - at(p, b, i)[c] : at(p, i, a)[c] - at(p, i, b)[c]);
  return sum / (p.width * 3);
}

// Across the wrap the picture must change like it does between neighbouring lines inside, not
// like it does between lines half the picture apart.
void expectseamless(const std::string& name, bool columns) {
  const Picture p = loadnamed(name);
  const int n = p.width;
  ASSERT_GT(n, 0) << name;
  double neighbours = 0, unrelated = 0;
  for (int i = 0; i + 1 < n; ++i) neighbours += linedifference(p, i, i + 1, columns) / (n - 1);
  for (int i = 0; i < n; ++i) unrelated += linedifference(p, i, (i + n / 2) % n, columns) / n;
  EXPECT_LE(linedifference(p, n - 1, 0, columns), (neighbours + unrelated) / 2)
      << name << (columns ? " across s" : " across t");
}
}  // namespace

TEST(Texgen, TwoRunsWriteIdenticalBytesAndFramesSheetsTakeOneSize) {
  const std::string generator = buildtool("tessivar-texgen");
  const Scratch root("texgen");
  for (const std::string& dir : {root / "one", root / "two"}) {
    const std::string command = generator + " " + dir + " --sheet " + dir + "/sheet.png";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  // Twelve images and the sheet, and no temporary file left behind by the renames.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(root / "one")) {
    const std::vector<char> one = filebytes(entry.path());
    EXPECT_FALSE(one.empty()) << entry.path();
    EXPECT_EQ(one, filebytes(root / "two/" + entry.path().filename().string())) << entry.path();
    ++files;
  }
  EXPECT_EQ(files, 13);

  // A frames sheet takes frames of one size; a stray picture of another size is refused, not
  // sampled as if it were one, and leaves no sheet behind.
  const std::string one = root / "one", sheet = generator + " --frames-sheet " + root / "frames.png";
  const std::string alike = " " + one + "/floorb.png " + one + "/skya.png";
  EXPECT_NE(std::system((sheet + alike + " " + one + "/snowa.png").c_str()), 0);
  EXPECT_FALSE(fs::exists(root / "frames.png"));
  EXPECT_EQ(std::system((sheet + alike).c_str()), 0);
  EXPECT_FALSE(filebytes(root / "frames.png").empty());
}

TEST(Texgen, SpritesFadeToBlackWrappedImagesJoinAndTheLogoStaysVisible) {
  for (const char* name : {"snowa", "cella", "cellc", "celle", "worma", "splatb", "celld"}) {
    const Picture p = loadnamed(name);
    const int n = p.width;
    ASSERT_GT(n, 0) << name;
    // Black along the border and throughout the corner squares; bright somewhere in the middle
    // two thirds (a membrane's rim counts, as its core may be dark).
    int outer = 0, inside = 0;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        const int nearest = std::min({x, y, n - 1 - x, n - 1 - y}), v = brightness(p, x, y);
        if (nearest == 0 || (x < n / 8 && y < n / 8)) outer = std::max(outer, v);
        if (nearest >= n / 6) inside = std::max(inside, v);
      }
    EXPECT_EQ(outer, 0) << name;
    EXPECT_GE(inside, 128) << name;
  }
  expectseamless("skya", true);
  expectseamless("bga", true);
  expectseamless("bga", false);
  expectseamless("floorb", true);
  expectseamless("floorb", false);

  // On screen each layer shows its left 90 % and top 70 %, give or take the 4-unit slide (about
  // 5 texels); the file's border stays black so the texture does not bleed round. Every solid
  // letter texel of layer a lies where layer b draws, so the two read as one.
  const Picture a = loadnamed("logoa"), b = loadnamed("logob");
  ASSERT_TRUE(a.width == 512 && b.width == 512);
  int outside = 0, bright = 0, uncovered = 0;
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) {
      const bool visible = x > 0 && y > 0 && x < 512 * 9 / 10 - 6 && y < 512 * 7 / 10 - 6;
      const int brightest = std::max(brightness(a, x, y), brightness(b, x, y));
      if (!visible) outside = std::max(outside, brightest);
      bright += visible && brightness(a, x, y) >= 128;
      uncovered += brightness(a, x, y) >= 128 && brightness(b, x, y) == 0;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(bright, 4000);  // the title is there, not a speck
  EXPECT_EQ(uncovered, 0);
}
