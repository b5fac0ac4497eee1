// The generated images: their files and format, the demo's loader, repeatable output, sprite
// borders, seams of the wrapped images and where the logo's lettering lies.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "offscreen.h"
#include "texman.h"

namespace {

struct Picture {
  int width = 0, height = 0, bitdepth = 0, colourtype = -1;
  std::vector<unsigned char> rgb;  // rows top first, three bytes a pixel

  const unsigned char* at(int x, int y) const {
    return &rgb[(static_cast<size_t>(y) * width + x) * 3];
  }
  int brightness(int x, int y) const { return std::max({at(x, y)[0], at(x, y)[1], at(x, y)[2]}); }
};

// Reads a PNG as stored; only 8-bit RGB files get their pixels.
bool readpicture(const std::string& path, Picture& picture) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    png_read_info(png, info);
    picture.width = static_cast<int>(png_get_image_width(png, info));
    picture.height = static_cast<int>(png_get_image_height(png, info));
    picture.bitdepth = png_get_bit_depth(png, info);
    picture.colourtype = png_get_color_type(png, info);
    if (picture.bitdepth == 8 && picture.colourtype == PNG_COLOR_TYPE_RGB) {
      picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
      std::vector<png_bytep> rows(picture.height);
      for (int y = 0; y < picture.height; ++y)
        rows[y] = &picture.rgb[static_cast<size_t>(y) * picture.width * 3];
      png_read_image(png, rows.data());
    }
    ok = true;
  }
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  std::fclose(file);
  return ok;
}

struct Named {
  const char* path;  // the loader caches by this pointer, so each name is one literal
  const char* name;
  int size;
};

const Named images[] = {
    {"data/floorb.png", "floorb", 512}, {"data/skya.png", "skya", 512},
    {"data/snowa.png", "snowa", 64},    {"data/cella.png", "cella", 64},
    {"data/bga.png", "bga", 256},       {"data/cellc.png", "cellc", 64},
    {"data/logoa.png", "logoa", 512},   {"data/logob.png", "logob", 512},
    {"data/celle.png", "celle", 64},    {"data/worma.png", "worma", 128},
    {"data/splatb.png", "splatb", 32},  {"data/celld.png", "celld", 64},
};

const char* const sprites[] = {"snowa", "cella", "cellc", "celle", "worma", "splatb", "celld"};

Picture loadnamed(const std::string& name) {
  Picture picture;
  EXPECT_TRUE(readpicture("data/" + name + ".png", picture)) << name;
  EXPECT_FALSE(picture.rgb.empty()) << name << " is not 8-bit RGB";
  return picture;
}

std::vector<char> filebytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Mean absolute difference of all channels between column (or row) a and b.
double linedifference(const Picture& p, int a, int b, bool columns) {
  const int length = columns ? p.height : p.width;
  double sum = 0;
  for (int i = 0; i < length; ++i)
    for (int c = 0; c < 3; ++c) {
      const int va = columns ? p.at(a, i)[c] : p.at(i, a)[c];
      const int vb = columns ? p.at(b, i)[c] : p.at(i, b)[c];
      sum += std::abs(va - vb);
    }
  return sum / (length * 3);
}

// Across the wrap, from the last line to the first, the picture must change like it does between
// neighbouring lines inside, not like it does between lines half the picture apart.
void expectseamless(const std::string& name, bool columns) {
  const Picture p = loadnamed(name);
  const int n = columns ? p.width : p.height;
  double neighbours = 0, unrelated = 0;
  for (int i = 0; i + 1 < n; ++i) neighbours += linedifference(p, i, i + 1, columns);
  for (int i = 0; i < n; ++i) unrelated += linedifference(p, i, (i + n / 2) % n, columns);
  neighbours /= n - 1;
  unrelated /= n;
  EXPECT_LE(linedifference(p, n - 1, 0, columns), (neighbours + unrelated) / 2)
      << name << (columns ? " across s" : " across t") << ": neighbouring lines differ by "
      << neighbours << ", lines half apart by " << unrelated;
}

TEST(TexgenFiles, EveryImageIsASquareEightBitRgbPngOfItsSize) {
  for (const Named& image : images) {
    Picture p;
    ASSERT_TRUE(readpicture(image.path, p)) << image.path;
    EXPECT_EQ(p.width, image.size) << image.path;
    EXPECT_EQ(p.height, image.size) << image.path;
    EXPECT_EQ(p.bitdepth, 8) << image.path;
    EXPECT_EQ(p.colourtype, PNG_COLOR_TYPE_RGB) << image.path;
  }
}

TEST(TexgenFiles, LoadThroughTheDemoLoaderTexelForTexel) {
  needoffscreen();
  inittexman();
  for (const Named& image : images) {
    const unsigned int texture = loadpngtex(image.path, image.size);
    ASSERT_NE(texture, 0u) << image.path;
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, image.size) << image.path;
    EXPECT_EQ(height, image.size) << image.path;

    // The loader turns the picture upside down: the file's top row becomes texture row size - 1.
    std::vector<unsigned char> texels(static_cast<size_t>(image.size) * image.size * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const Picture p = loadnamed(image.name);
    int mismatches = 0;
    for (int y = 0; y < image.size; ++y)
      for (int x = 0; x < image.size; ++x)
        for (int c = 0; c < 3; ++c)
          mismatches +=
              texels[(static_cast<size_t>(image.size - 1 - y) * image.size + x) * 4 + c] !=
              p.at(x, y)[c];
    EXPECT_EQ(mismatches, 0) << image.path;
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  freetexman();
}

// The generator sits in the build directory, one level above the test programs.
std::filesystem::path generatorpath() {
  if (const char* bin = std::getenv("TESSIVAR_BIN"))
    return std::filesystem::path(bin) / "tessivar-texgen";
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() /
         "tessivar-texgen";
}

// A scratch directory that goes away with the test, passed or failed.
struct ScratchDirectory {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("texgen-test-" + std::to_string(getpid()));
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

TEST(TexgenRun, TwoRunsWriteIdenticalBytesAndAnUpToDateContactSheet) {
  namespace fs = std::filesystem;
  ASSERT_TRUE(fs::exists(generatorpath())) << generatorpath();
  const ScratchDirectory scratch;
  const fs::path& root = scratch.path;
  const std::string generator = generatorpath().string() + " ";
  for (const char* run : {"one", "two"}) {
    const std::string command =
        generator + (root / run).string() + " --sheet " + (root / run).string() + "/sheet.png";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  for (const Named& image : images) {
    const std::string file = std::string(image.name) + ".png";
    const std::vector<char> one = filebytes(root / "one" / file);
    EXPECT_FALSE(one.empty()) << file;
    EXPECT_EQ(one, filebytes(root / "two" / file)) << file;
  }
  // Only the finished files are left behind: no temporary file survives the renames.
  EXPECT_EQ(std::distance(fs::directory_iterator(root / "one"), fs::directory_iterator()), 13);

  // The committed contact sheet shows what the generator draws now. Another compiler or maths
  // library may round a texel differently, so single steps of one are forgiven.
  Picture fresh, committed;
  ASSERT_TRUE(readpicture((root / "one" / "sheet.png").string(), fresh));
  ASSERT_TRUE(readpicture("docs/contact-sheet.png", committed));
  ASSERT_EQ(fresh.width, committed.width);
  ASSERT_EQ(fresh.height, committed.height);
  size_t changed = 0;
  for (size_t i = 0; i < fresh.rgb.size(); ++i)
    changed += std::abs(fresh.rgb[i] - committed.rgb[i]) > 1;
  EXPECT_LE(changed, fresh.rgb.size() / 1000)
      << "docs/contact-sheet.png is stale: regenerate it with "
         "tessivar-texgen DATADIR --sheet docs/contact-sheet.png";
}

TEST(TexgenSprites, BlackAlongTheWholeBorderAndBrightInside) {
  for (const char* name : sprites) {
    const Picture p = loadnamed(name);
    const int n = p.width;
    int border = 0, inside = 0;
    for (int i = 0; i < n; ++i)
      border = std::max({border, p.brightness(i, 0), p.brightness(i, n - 1), p.brightness(0, i),
                         p.brightness(n - 1, i)});
    // Bright somewhere within the middle two thirds: a membrane rim counts, as the core may be
    // dark.
    for (int y = n / 6; y < n - n / 6; ++y)
      for (int x = n / 6; x < n - n / 6; ++x) inside = std::max(inside, p.brightness(x, y));
    EXPECT_EQ(border, 0) << name;
    EXPECT_GE(inside, 128) << name;
    // The fade to black starts well inside the square: the corners' quarter is dark throughout.
    int corner = 0;
    for (int y = 0; y < n / 8; ++y)
      for (int x = 0; x < n / 8; ++x) corner = std::max(corner, p.brightness(x, y));
    EXPECT_EQ(corner, 0) << name;
  }
}

TEST(TexgenWrapped, SpheresJoinAroundAndFloorJoinsBothWays) {
  expectseamless("skya", true);
  expectseamless("bga", true);
  expectseamless("floorb", true);
  expectseamless("floorb", false);
}

TEST(TexgenLogo, LetteringLiesInTheVisiblePartAndTheLayersAgree) {
  // On screen each layer shows its left 90 % and top 70 %, give or take the 4-unit slide
  // (about 5 texels); the file's border stays black so the texture does not bleed round.
  const Picture a = loadnamed("logoa"), b = loadnamed("logob");
  const int right = 512 * 9 / 10 - 6, bottom = 512 * 7 / 10 - 6;
  for (const Picture* p : {&a, &b}) {
    int outside = 0, bright = 0;
    for (int y = 0; y < 512; ++y)
      for (int x = 0; x < 512; ++x) {
        const bool visible = x > 0 && y > 0 && x < right && y < bottom;
        if (!visible) outside = std::max(outside, p->brightness(x, y));
        bright += visible && p->brightness(x, y) >= 128;
      }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(bright, 4000);  // the title is there, not a speck
  }
  // Every solid letter texel of layer a lies where layer b draws, so the two read as one.
  int letters = 0, covered = 0;
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x)
      if (a.brightness(x, y) >= 128) {
        ++letters;
        covered += b.brightness(x, y) > 0;
      }
  EXPECT_EQ(covered, letters);
}

}  // namespace
