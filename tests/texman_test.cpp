// The texture table, the PNG and raw loaders (good and hostile files), the ring and the empty
// render target, read back from a real GL context.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "file.h"
#include "offscreen.h"
#include "texman.h"

namespace {
struct Texel {
  int r, g, b, a;
};

// A fresh table and a scratch folder for the files each test writes.
class Textures : public ::testing::Test {
 protected:
  void SetUp() override {
    needoffscreen(64, 64);
    inittexman();
    char pattern[] = "/tmp/texmantestXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    freetexman();
    const std::string command = "rm -rf " + folder;
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  // Paths stay alive for the whole test: the table keeps the caller's pointer.
  const char* path(const std::string& name) {
    names.push_back(std::make_unique<std::string>(folder + "/" + name));
    return names.back()->c_str();
  }
  std::string folder;
  std::vector<std::unique_ptr<std::string>> names;
};

struct PngPicture {
  int width = 0, height = 0;
  int bitdepth = 8;
  int colourtype = PNG_COLOR_TYPE_RGB;
  int interlace = PNG_INTERLACE_NONE;
  std::vector<std::vector<unsigned char>> rows;  // packed as libpng expects, top row first
  std::vector<png_color> palette;
  std::vector<unsigned char> transparency;
};

bool writepicture(const char* file, const PngPicture& p) {
  FILE* fp = std::fopen(file, "wb");
  if (!fp) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(fp);
    return false;
  }
  png_init_io(png, fp);
  png_set_IHDR(png, info, p.width, p.height, p.bitdepth, p.colourtype, p.interlace,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!p.palette.empty())
    png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
  if (!p.transparency.empty())
    png_set_tRNS(png, info, p.transparency.data(), static_cast<int>(p.transparency.size()),
                 nullptr);
  png_write_info(png, info);
  std::vector<png_bytep> pointers;
  for (const auto& row : p.rows) pointers.push_back(const_cast<png_bytep>(row.data()));
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(fp) == 0;
}

// An 8-bit picture whose pixel (x, y), y from the top, has the colour colour(x, y).
template <typename Colour>
PngPicture rgbpicture(int size, int channels, Colour colour) {
  PngPicture p;
  p.width = p.height = size;
  p.colourtype = channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  for (int y = 0; y < size; ++y) {
    std::vector<unsigned char> row;
    for (int x = 0; x < size; ++x) {
      const Texel c = colour(x, y);
      row.insert(row.end(), {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                             static_cast<unsigned char>(c.b)});
      if (channels == 4) row.push_back(static_cast<unsigned char>(c.a));
    }
    p.rows.push_back(row);
  }
  return p;
}

Texel pattern(int x, int y) { return {x * 4, y * 4, (x + y) & 255, 255}; }
// Hardly compressible, so a cut file loses real image data.
Texel noise(int x, int y) { return {(x * 37 ^ y * 91) & 255, (x * y * 13 + 7) & 255, (x * 151 + y * 17) & 255, 255}; }

std::vector<unsigned char> filebytes(const char* file) {
  std::vector<unsigned char> bytes;
  FILE* fp = std::fopen(file, "rb");
  if (!fp) return bytes;
  for (int c; (c = std::fgetc(fp)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
  std::fclose(fp);
  return bytes;
}

void writebytes(const char* file, const std::vector<unsigned char>& bytes) {
  FILE* fp = std::fopen(file, "wb");
  ASSERT_NE(fp, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), fp);
  std::fclose(fp);
}

int texturewidth(unsigned int name) {
  glBindTexture(GL_TEXTURE_2D, name);
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  return width;
}

// Texels of a texture, row 0 (t = 0) first.
std::vector<Texel> texels(unsigned int name) {
  const int size = texturewidth(name);
  std::vector<unsigned char> bytes(static_cast<size_t>(size) * size * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  std::vector<Texel> out;
  for (size_t i = 0; i < bytes.size(); i += 4)
    out.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
  return out;
}

// The texture, turned back into a picture read top row first, matches colour(x, y) with alpha 0.
template <typename Colour>
void expectpicture(unsigned int name, int size, Colour colour) {
  ASSERT_NE(name, 0u);
  ASSERT_EQ(texturewidth(name), size);
  const std::vector<Texel> t = texels(name);
  int wrong = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const Texel got = t[static_cast<size_t>(size - 1 - y) * size + x];
      const Texel want = colour(x, y);
      if (got.r != want.r || got.g != want.g || got.b != want.b || got.a != 0) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
}

TEST_F(Textures, OneFileGivesOneTextureAndIsNotOpenedAgain) {
  const char* file = path("shared.png");
  ASSERT_TRUE(writepicture(file, rgbpicture(16, 3, pattern)));
  const unsigned int first = loadpngtex(file, 16);
  ASSERT_NE(first, 0u);
  ASSERT_EQ(std::remove(file), 0);
  EXPECT_EQ(loadpngtex(file, 16), first);
  EXPECT_EQ(loadpngtex(file, 16), first);
  // The same name spelt in another string finds the same record.
  const std::string copy = file;
  EXPECT_EQ(loadpngtex(copy.c_str(), 16), first);
  EXPECT_EQ(gettexid(file), static_cast<int>(first));
  EXPECT_EQ(loadzibtex(file, 16), first);
  // The first load fixes the size; a hit does not look at it.
  EXPECT_EQ(loadpngtex(file, 512), first);
  EXPECT_EQ(texturewidth(first), 16);
}

TEST_F(Textures, MissingFileGivesZeroAndIsTriedAgain) {
  EXPECT_EQ(gettexid("data/none.png"), -1);
  const char* file = path("later.png");
  EXPECT_EQ(loadpngtex(file, 8), 0u);
  EXPECT_EQ(loadpngtex(file, 8), 0u);
  EXPECT_EQ(gettexid(file), -1);
  ASSERT_TRUE(writepicture(file, rgbpicture(8, 3, pattern)));
  const unsigned int name = loadpngtex(file, 8);
  EXPECT_NE(name, 0u);
  EXPECT_EQ(gettexid(file), static_cast<int>(name));
  EXPECT_EQ(loadzibtex(path("none.raw"), 8), 0u);
}

TEST_F(Textures, TableKeepsSixtyFourFilesAndStillLoadsTheNext) {
  std::vector<const char*> files;
  for (int i = 0; i < 65; ++i) {
    files.push_back(path("f" + std::to_string(i) + ".png"));
    ASSERT_TRUE(writepicture(files.back(), rgbpicture(4, 3, pattern)));
  }
  std::vector<unsigned int> loaded;
  for (const char* file : files) loaded.push_back(loadpngtex(file, 4));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(gettexid(files[i]), static_cast<int>(loaded[i]));
  ASSERT_NE(loaded[64], 0u);
  EXPECT_EQ(gettexid(files[64]), -1);
  const unsigned int again = loadpngtex(files[64], 4);
  EXPECT_NE(again, 0u);
  EXPECT_NE(again, loaded[64]);
}

TEST_F(Textures, TableIsEmptyBeforeAndAfterUse) {
  EXPECT_EQ(gettexid("data/snowa.png"), -1);
  freetexman();
  EXPECT_EQ(gettexid("data/snowa.png"), -1);
  addtexid("data/snowa.png", 5);
  EXPECT_EQ(gettexid("data/snowa.png"), -1);
  inittexman();
  addtexid("data/snowa.png", 5);
  EXPECT_EQ(gettexid("data/snowa.png"), 5);
}

TEST_F(Textures, PngLoadsBottomRowFirstWithAlphaZero) {
  const char* file = path("rgba.png");
  ASSERT_TRUE(writepicture(file, rgbpicture(32, 4, pattern)));
  const unsigned int name = loadpngtex(file, 32);
  expectpicture(name, 32, pattern);
  // The top row of the picture sits at t near 1.
  const std::vector<Texel> t = texels(name);
  EXPECT_EQ(t[31 * 32 + 5].g, pattern(5, 0).g);
  EXPECT_EQ(t[5].g, pattern(5, 31).g);
  glBindTexture(GL_TEXTURE_2D, name);
  GLint filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &filter);
  EXPECT_EQ(filter, GL_REPEAT);
}

TEST_F(Textures, GreyPngLoadsAsEqualRedGreenBlue) {
  PngPicture p;
  p.width = p.height = 16;
  p.colourtype = PNG_COLOR_TYPE_GRAY;
  for (int y = 0; y < 16; ++y) {
    std::vector<unsigned char> row;
    for (int x = 0; x < 16; ++x) row.push_back(static_cast<unsigned char>(x * 16 + y));
    p.rows.push_back(row);
  }
  const char* file = path("grey.png");
  ASSERT_TRUE(writepicture(file, p));
  expectpicture(loadpngtex(file, 16), 16, [](int x, int y) {
    const int v = x * 16 + y;
    return Texel{v, v, v, 0};
  });
}

TEST_F(Textures, RawFileLoadsFirstRowFirstAndPadsWith255) {
  const char* file = path("picture.raw");
  std::vector<unsigned char> bytes;
  for (int i = 0; i < 4 * 4 * 3; ++i) bytes.push_back(static_cast<unsigned char>(i * 5));
  bytes.resize(bytes.size() - 4);  // the last texel and the blue of the one before are missing
  writebytes(file, bytes);
  const unsigned int name = loadzibtex(file, 4);
  ASSERT_NE(name, 0u);
  const std::vector<Texel> t = texels(name);
  EXPECT_EQ(t[0].r, 0);
  EXPECT_EQ(t[0].g, 5);
  EXPECT_EQ(t[0].b, 10);
  EXPECT_EQ(t[1].r, 15);
  EXPECT_EQ(t[4].r, 60);
  EXPECT_EQ(t[14].g, 14 * 15 + 5);
  EXPECT_EQ(t[14].b, 255);
  EXPECT_EQ(t[15].r, 255);
  for (const Texel& texel : t) EXPECT_EQ(texel.a, 0);
  EXPECT_EQ(loadzibtex(file, 64), name);
}

TEST(ShippedImages, EveryDemoImageLoadsAtItsSize) {
  needoffscreen(64, 64);
  inittexman();
  const std::pair<const char*, int> images[] = {
      {"data/floorb.png", 512}, {"data/skya.png", 512},  {"data/snowa.png", 64},
      {"data/cella.png", 64},   {"data/bga.png", 256},   {"data/cellc.png", 64},
      {"data/logoa.png", 512},  {"data/logob.png", 512}, {"data/celle.png", 64},
      {"data/worma.png", 128},  {"data/splatb.png", 32}, {"data/celld.png", 64}};
  for (const auto& [file, size] : images) {
    const unsigned int name = loadpngtex(file, size);
    EXPECT_NE(name, 0u) << file;
    EXPECT_EQ(texturewidth(name), size) << file;
  }
  freetexman();
}

TEST(File, BytesAndBigEndianWordsReadAs255PastTheEnd) {
  FILE* fp = std::tmpfile();
  ASSERT_NE(fp, nullptr);
  const unsigned char bytes[] = {0x12, 0x34, 0x56, 0x78, 0xFE, 0x00, 0xAB};
  std::fwrite(bytes, 1, sizeof bytes, fp);
  std::rewind(fp);
  EXPECT_EQ(readint(fp), 0x12345678u);
  EXPECT_EQ(readbyte(fp), 0xFE);
  EXPECT_EQ(readbyte(fp), 0);
  EXPECT_EQ(readbyte(fp), 0xAB);
  EXPECT_EQ(readbyte(fp), 255);
  EXPECT_EQ(readint(fp), 0xFFFFFFFFu);
  std::fclose(fp);
}

TEST_F(Textures, RingIsSharpBetweenRadius30And52ThenBlurredOpaqueGrey) {
  const std::vector<unsigned int> sharp = ringmask(128);
  int wrong = 0;
  for (int j = 0; j < 128; ++j)
    for (int i = 0; i < 128; ++i) {
      const int squared = (i - 64) * (i - 64) + (j - 64) * (j - 64);
      const unsigned int want = squared >= 900 && squared <= 2704 ? 255 : 0;
      if (sharp[j * 128 + i] != want) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(sharp[64 * 128 + 64 + 30], 255u);
  EXPECT_EQ(sharp[64 * 128 + 64 - 52], 255u);
  EXPECT_EQ(sharp[(64 + 52) * 128 + 64], 255u);
  EXPECT_EQ(sharp[64 * 128 + 64 + 29], 0u);

  const std::vector<Texel> ring = texels(createringtex(128));
  ASSERT_EQ(ring.size(), 128u * 128u);
  for (const Texel& t : ring) {
    ASSERT_EQ(t.a, 255);
    ASSERT_TRUE(t.r == t.g && t.g == t.b);
  }
  auto at = [&](int x, int y) { return ring[y * 128 + x].r; };
  EXPECT_EQ(at(64, 64), 0);
  EXPECT_EQ(at(0, 0), 0);
  EXPECT_GT(at(64 + 41, 64), 200);
  EXPECT_GT(at(64 + 30, 64), 0);
  EXPECT_LT(at(64 + 30, 64), at(64 + 41, 64));
  EXPECT_EQ(at(64 + 41, 64), at(64 - 41, 64));
  EXPECT_EQ(at(64, 64 + 41), at(64 + 41, 64));
}

TEST(Ring, BlurDividesByFiveEvenAtTheEdges) {
  const unsigned int full[9] = {255, 255, 255, 255, 255, 255, 255, 255, 255};
  unsigned int out[9] = {};
  ringblur(full, out, 3);
  EXPECT_EQ(out[0], 153u);
  EXPECT_EQ(out[1], 204u);
  EXPECT_EQ(out[4], 255u);
  const unsigned int dot[16] = {9};
  unsigned int spread[16] = {};
  ringblur(dot, spread, 4);
  EXPECT_EQ(spread[0], 1u);
  EXPECT_EQ(spread[1], 1u);
  EXPECT_EQ(spread[4], 1u);
  EXPECT_EQ(spread[5], 0u);
  EXPECT_EQ(spread[2], 0u);
}

TEST_F(Textures, OddRingSizeLeavesTheLastRowAndColumnBlack) {
  const std::vector<unsigned int> sharp = ringmask(101);
  for (int k = 0; k < 101; ++k) {
    EXPECT_EQ(sharp[100 * 101 + k], 0u);
    EXPECT_EQ(sharp[k * 101 + 100], 0u);
  }
  EXPECT_NE(createringtex(101), 0u);
}

TEST_F(Textures, EmptyTextureIsZeroAndClamps) {
  const unsigned int name = createemptytex(2048);
  ASSERT_NE(name, 0u);
  EXPECT_EQ(gettexid(nullptr), -1);
  const std::vector<Texel> t = texels(name);
  ASSERT_EQ(t.size(), 2048u * 2048u);
  size_t nonzero = 0;
  for (const Texel& texel : t) nonzero += (texel.r | texel.g | texel.b | texel.a) != 0;
  EXPECT_EQ(nonzero, 0u);
  glBindTexture(GL_TEXTURE_2D, name);
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
  EXPECT_EQ(value, GL_CLAMP);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
  EXPECT_EQ(value, GL_CLAMP);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR);
}

// Hostile and unusual files: none may crash or overrun; each gives 0 or the right picture, and a
// failure leaves nothing in the table.
TEST_F(Textures, BrokenFilesGiveZero) {
  const char* good = path("good.png");
  ASSERT_TRUE(writepicture(good, rgbpicture(32, 3, noise)));
  const std::vector<unsigned char> bytes = filebytes(good);
  ASSERT_GT(bytes.size(), 1000u);

  std::vector<std::vector<unsigned char>> broken;
  broken.push_back(std::vector<unsigned char>(bytes.begin(), bytes.begin() + bytes.size() / 2));
  broken.push_back(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 40));
  broken.push_back(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 5));
  broken.push_back({});
  std::vector<unsigned char> signature = bytes;
  signature[1] = 'Q';
  broken.push_back(signature);
  std::vector<unsigned char> garbage(bytes.begin(), bytes.begin() + 8);
  for (int i = 0; i < 500; ++i) garbage.push_back(static_cast<unsigned char>(i * 37 + 11));
  broken.push_back(garbage);
  std::vector<unsigned char> corrupt = bytes;
  for (size_t i = 60; i < corrupt.size() - 20; i += 7) corrupt[i] ^= 0x5A;
  broken.push_back(corrupt);

  for (size_t i = 0; i < broken.size(); ++i) {
    const char* file = path("broken" + std::to_string(i) + ".png");
    writebytes(file, broken[i]);
    EXPECT_EQ(loadpngtex(file, 32), 0u) << "broken file " << i;
    EXPECT_EQ(gettexid(file), -1) << "broken file " << i;
  }
}

TEST_F(Textures, PicturesOfAnotherSizeGiveZero) {
  const char* big = path("big.png");
  ASSERT_TRUE(writepicture(big, rgbpicture(128, 3, pattern)));
  EXPECT_EQ(loadpngtex(big, 64), 0u);
  EXPECT_EQ(gettexid(big), -1);
  const char* small = path("small.png");
  ASSERT_TRUE(writepicture(small, rgbpicture(32, 4, pattern)));
  EXPECT_EQ(loadpngtex(small, 64), 0u);
  PngPicture wide = rgbpicture(64, 3, pattern);
  wide.height = 32;
  wide.rows.resize(32);
  const char* flat = path("flat.png");
  ASSERT_TRUE(writepicture(flat, wide));
  EXPECT_EQ(loadpngtex(flat, 64), 0u);
  EXPECT_EQ(loadpngtex(flat, 32), 0u);
  // Still fine at the size it really has.
  EXPECT_NE(loadpngtex(big, 128), 0u);
}

TEST_F(Textures, SixteenBitPicturesLoseTheirLowBytes) {
  PngPicture p;
  p.width = p.height = 8;
  p.bitdepth = 16;
  p.colourtype = PNG_COLOR_TYPE_RGB_ALPHA;
  for (int y = 0; y < 8; ++y) {
    std::vector<unsigned char> row;
    for (int x = 0; x < 8; ++x)
      row.insert(row.end(), {static_cast<unsigned char>(x * 30), 0x77,
                             static_cast<unsigned char>(y * 30), 0x01, 0x40, 0xFF, 0x80, 0x00});
    p.rows.push_back(row);
  }
  const char* file = path("deep.png");
  ASSERT_TRUE(writepicture(file, p));
  expectpicture(loadpngtex(file, 8), 8, [](int x, int y) { return Texel{x * 30, y * 30, 0x40, 0}; });
}

TEST_F(Textures, OneBitGreyExpandsToBlackAndWhite) {
  PngPicture p;
  p.width = p.height = 16;
  p.bitdepth = 1;
  p.colourtype = PNG_COLOR_TYPE_GRAY;
  for (int y = 0; y < 16; ++y)
    p.rows.push_back({static_cast<unsigned char>(y & 1 ? 0xF0 : 0x0F), 0xAA});
  const char* file = path("bits.png");
  ASSERT_TRUE(writepicture(file, p));
  expectpicture(loadpngtex(file, 16), 16, [](int x, int y) {
    const bool white = x < 8 ? ((y & 1) ? x < 4 : x >= 4) : (x % 2 == 0);
    const int v = white ? 255 : 0;
    return Texel{v, v, v, 0};
  });
}

TEST_F(Textures, PaletteWithTransparencyLoadsItsColours) {
  PngPicture p;
  p.width = p.height = 8;
  p.bitdepth = 4;
  p.colourtype = PNG_COLOR_TYPE_PALETTE;
  p.palette = {{10, 20, 30}, {200, 100, 50}, {0, 255, 0}};
  p.transparency = {0, 128};
  for (int y = 0; y < 8; ++y) {
    std::vector<unsigned char> row;
    for (int x = 0; x < 8; x += 2)
      row.push_back(static_cast<unsigned char>(((x + y) % 3) << 4 | (x + 1 + y) % 3));
    p.rows.push_back(row);
  }
  const char* file = path("palette.png");
  ASSERT_TRUE(writepicture(file, p));
  const std::vector<png_color> colours = p.palette;
  expectpicture(loadpngtex(file, 8), 8, [&](int x, int y) {
    const png_color c = colours[(x + y) % 3];
    return Texel{c.red, c.green, c.blue, 0};
  });
}

TEST_F(Textures, InterlacedPictureLoadsLikeAPlainOne) {
  PngPicture p = rgbpicture(32, 3, pattern);
  p.interlace = PNG_INTERLACE_ADAM7;
  const char* file = path("interlaced.png");
  ASSERT_TRUE(writepicture(file, p));
  expectpicture(loadpngtex(file, 32), 32, [](int x, int y) {
    Texel t = pattern(x, y);
    t.a = 0;
    return t;
  });
}
}  // namespace
