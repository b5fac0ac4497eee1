// The texture table, the PNG loader with good and hostile files, and the ring, read back from GL.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "toolkit/file.h"
#include "offscreen.h"
#include "toolkit/texman_internal.h"

namespace {
using Bytes = std::vector<unsigned char>;
using Texel = std::array<int, 4>;
using Colour = std::function<Texel(int x, int y)>;  // y counted from the top of the picture

struct Png {
  int width, height, depth, type;
  std::vector<Bytes> rows;  // packed as libpng expects, top row first
  int interlace = PNG_INTERLACE_NONE;
  int textchunks = 0;  // zTXt chunks of 7 MB of text each
  bool huge = false;   // claims 1000000 x 1000000 pixels, the most libpng accepts, with no data
};

// A picture whose row y holds rowbytes bytes byte(i, y).
Png picture(int width, int height, int depth, int type, int rowbytes,
            const std::function<int(int i, int y)>& byte) {
  Png p{width, height, depth, type, std::vector<Bytes>(height)};
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < rowbytes; ++i) p.rows[y].push_back(byte(i, y));
  return p;
}

Png rgb(int size, int channels, const Colour& colour, int height = 0) {
  const int type = channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  return picture(size, height ? height : size, 8, type, size * channels,
                 [&](int i, int y) { return colour(i / channels, y)[i % channels]; });
}

Texel pattern(int x, int y) { return {x * 4, y * 4, (x + y) & 255, 255}; }
Texel noise(int x, int y) {  // hardly compressible, so a cut file loses real image data
  return {(x * 37 ^ y * 91) & 255, (x * y * 13 + 7) & 255, (x * 151 + y * 17) & 255, 255};
}
Texel grey(int v) { return {v, v, v, 0}; }
int deepbyte(int i, int y) {  // 16-bit RGBA: only the high bytes of R, G, B may count
  const int bytes[] = {i / 8 * 30, 0x77, y * 30, 0x01, 0x40, 0xFF, 0x80, 0x00};
  return bytes[i % 8];
}
const png_color palette[] = {{10, 20, 30}, {200, 100, 50}, {0, 255, 0}};

bool writepng(const char* file, const Png& p) {
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
  const int width = p.huge ? 1000000 : p.width, height = p.huge ? 1000000 : p.height;
  png_set_IHDR(png, info, width, height, p.depth, p.type, p.interlace,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (p.type == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, palette, 3);
    unsigned char transparency[] = {0, 128};
    png_set_tRNS(png, info, transparency, 2, nullptr);
  }
  std::string text(p.textchunks ? 7000000 : 0, 'x');
  std::vector<png_text> texts(p.textchunks);
  for (png_text& t : texts) {
    t = {};
    t.compression = PNG_TEXT_COMPRESSION_zTXt;
    t.key = const_cast<char*>("Comment");
    t.text = text.data();
    t.text_length = text.size();
  }
  png_set_text_compression_level(png, 1);
  png_set_text(png, info, texts.data(), p.textchunks);
  png_write_info(png, info);
  if (p.huge) {
    png_byte idat[] = {0x78, 0x9c, 0x03, 0x00};  // a token of image data
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), idat, sizeof idat);
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
  } else {
    std::vector<png_bytep> rows;
    for (const Bytes& row : p.rows) rows.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rows.data());
    png_write_end(png, info);
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(fp) == 0;
}

void writebytes(const char* file, const Bytes& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Texels of a square texture, row 0 (t = 0) first.
std::vector<Texel> texels(unsigned int name) {
  GLint size = 0;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size);
  Bytes bytes(size_t(size) * size * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  std::vector<Texel> out;
  for (size_t i = 0; i < bytes.size(); i += 4)
    out.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
  return out;
}

// The texture, read back top row of the picture first, is colour(x, y) with alpha 0.
void expectpicture(unsigned int name, int size, const Colour& colour, const char* what = "") {
  ASSERT_NE(name, 0u) << what;
  const std::vector<Texel> t = texels(name);
  ASSERT_EQ(t.size(), size_t(size) * size) << what;
  int wrong = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Texel want = colour(x, y);
      want[3] = 0;
      wrong += t[size_t(size - 1 - y) * size + x] != want;
    }
  EXPECT_EQ(wrong, 0) << what;
}

class Textures : public ::testing::Test {
 protected:
  void SetUp() override {
    needoffscreen(64, 64);
    inittexman();
  }
  void TearDown() override {
    freetexman();
    for (const std::string& name : names) std::remove(name.c_str());
  }
  // The table keeps the caller's pointer, so paths live as long as the test.
  const char* path(const std::string& name) {
    const std::string prefix = ::testing::TempDir() + "texman" + std::to_string(getpid()) + "-";
    return names.emplace_back(prefix + name).c_str();
  }
  std::deque<std::string> names;
};

TEST_F(Textures, TableKeepsOneTexturePerFileUpToSixtyFourAndRetriesMissingOnes) {
  const char* file = path("shared.png");
  ASSERT_TRUE(writepng(file, rgb(16, 3, pattern)));
  const unsigned int first = loadpngtex(file, 16);
  ASSERT_NE(first, 0u);
  ASSERT_EQ(std::remove(file), 0);  // a hit must not open the file again
  EXPECT_EQ(loadpngtex(std::string(file).c_str(), 16), first);  // found by name, not pointer

  const char* later = path("later.png");
  EXPECT_EQ(loadpngtex(later, 8), 0u);
  EXPECT_EQ(loadpngtex(later, 8), 0u);
  ASSERT_EQ(texturefailures().size(), 1u) << "a file that fails twice is noted once";
  EXPECT_EQ(texturefailures()[0].file, later);
  EXPECT_EQ(texturefailures()[0].reason, "No such file or directory");
  EXPECT_EQ(texturefailures()[0].error, ENOENT);
  EXPECT_EQ(gettexid(later), -1);
  ASSERT_TRUE(writepng(later, rgb(8, 3, pattern)));
  EXPECT_NE(loadpngtex(later, 8), 0u);
  // With those two, 62 more fill the table's 64; the 65th loads but is not remembered.
  std::vector<const char*> files;
  std::vector<unsigned int> loaded;
  for (int i = 0; i < 63; ++i) {
    files.push_back(path("f" + std::to_string(i) + ".png"));
    ASSERT_TRUE(writepng(files.back(), rgb(4, 3, pattern)));
    loaded.push_back(loadpngtex(files.back(), 4));
  }
  for (int i = 0; i < 63; ++i) EXPECT_EQ(gettexid(files[i]), i < 62 ? int(loaded[i]) : -1) << i;
  EXPECT_NE(loaded[62], 0u);
}

// Peak resident memory in kB since /proc/self/clear_refs was last given 5.
long peakkilobytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kilobytes = 0;
  while (status >> key && key != "VmHWM:") {}
  status >> kilobytes;
  return kilobytes;
}

// Every kind of PNG that libpng can expand to 8-bit RGB loads as that picture, bottom row first
// (the top row at t near 1), with alpha 0; one padded with compressed text costs only its pixels.
TEST_F(Textures, PngKindsLoadBottomRowFirstWithAlphaZeroAndCostOnlyTheirPixels) {
  Png interlaced = rgb(32, 3, pattern), padded = rgb(16, 3, pattern);
  interlaced.interlace = PNG_INTERLACE_ADAM7;
  padded.textchunks = 8;
  const struct {
    const char* name;
    Png png;
    Colour want;
  } kinds[] = {
      {"rgba", rgb(32, 4, pattern), pattern},
      {"interlaced", interlaced, pattern},
      {"grey", picture(16, 16, 8, PNG_COLOR_TYPE_GRAY, 16, [](int x, int y) { return x * 16 + y; }),
       [](int x, int y) { return grey(x * 16 + y); }},
      {"1-bit grey",
       picture(16, 16, 1, PNG_COLOR_TYPE_GRAY, 2,
               [](int i, int y) { return i ? 0xAA : (y & 1 ? 0xF0 : 0x0F); }),
       [](int x, int y) { return grey((x < 8 ? (y & 1 ? x < 4 : x >= 4) : x % 2 == 0) * 255); }},
      {"16-bit", picture(8, 8, 16, PNG_COLOR_TYPE_RGB_ALPHA, 64, deepbyte),
       [](int x, int y) { return Texel{x * 30, y * 30, 0x40, 0}; }},
      {"palette",
       picture(8, 8, 8, PNG_COLOR_TYPE_PALETTE, 8, [](int x, int y) { return (x + y) % 3; }),
       [](int x, int y) {
         const png_color c = palette[(x + y) % 3];
         return Texel{c.red, c.green, c.blue, 0};
       }},
      {"text-padded", padded, pattern},
  };
  std::vector<const char*> files;
  for (const auto& kind : kinds) {
    files.push_back(path(std::string(kind.name) + ".png"));
    ASSERT_TRUE(writepng(files.back(), kind.png)) << kind.name;
  }
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = peakkilobytes();
  for (size_t i = 0; i < files.size(); ++i)
    expectpicture(loadpngtex(files[i], kinds[i].png.width), kinds[i].png.width, kinds[i].want,
                  kinds[i].name);
  EXPECT_LT(peakkilobytes() - before, 16 * 1024) << "the text is kept in memory";
}

// Hostile or misfitting files never crash or overrun; each gives 0 and stays out of the table.
TEST_F(Textures, BrokenAndMisfittingFilesGiveZero) {
  const char* good = path("good.png");
  ASSERT_TRUE(writepng(good, rgb(64, 3, noise)));
  std::ifstream in(good, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_GT(bytes.size(), 1000u);
  Bytes signature = bytes, corrupt = bytes;
  signature[1] = 'Q';
  for (size_t i = 60; i < corrupt.size() - 20; i += 7) corrupt[i] ^= 0x5A;
  std::vector<const char*> files;
  auto cut = [&](size_t length) { return Bytes(bytes.begin(), bytes.begin() + length); };
  for (const Bytes& b : {cut(bytes.size() / 2), cut(40), cut(5), cut(0), signature, corrupt}) {
    files.push_back(path("broken" + std::to_string(files.size()) + ".png"));
    writebytes(files.back(), b);
  }
  for (const auto& [name, png] : {std::pair{"big.png", rgb(128, 3, pattern)},
                                  {"small.png", rgb(32, 4, pattern)},
                                  {"flat.png", rgb(64, 3, pattern, 32)}}) {
    files.push_back(path(name));
    ASSERT_TRUE(writepng(files.back(), png));
  }
  // A FIFO (which would block an open for reading until a writer came) and a folder.
  const char* const fifo = path("fifo.png");
  const char* const folder = path("folder.png");
  ASSERT_TRUE(mkfifo(fifo, 0600) == 0 && mkdir(folder, 0700) == 0);
  for (const char* file : files) {
    EXPECT_EQ(loadpngtex(file, 64), 0u) << file;
    EXPECT_EQ(gettexid(file), -1) << file;
  }
  EXPECT_EQ(loadpngtex(fifo, 64) + loadpngtex(folder, 64), 0u);
  // Each says why, with the size that was expected where the file is no such picture.
  const std::vector<TextureFailure>& failures = texturefailures();
  ASSERT_EQ(failures.size(), files.size() + 2);
  EXPECT_EQ(failures[3].reason, "not a PNG file (a 64x64 PNG is expected)");
  EXPECT_EQ(failures[6].reason, "a 128x128 PNG, not the 64x64 one expected");
  EXPECT_EQ(failures[0].reason, "not a readable 64x64 PNG");
  EXPECT_EQ(failures[9].reason, "a FIFO, not a regular file");
  EXPECT_EQ(failures[10].reason, "a folder, not a file");
  EXPECT_EQ(loadpngtex(files.back(), 32), 0u);
  EXPECT_NE(loadpngtex(files[files.size() - 3], 128), 0u);  // fine at the size it really has
  Png huge = rgb(1, 3, pattern);
  huge.huge = true;
  const char* hugefile = path("huge.png");  // 3 TB of pixels: the allocation fails
  ASSERT_TRUE(writepng(hugefile, huge));
  EXPECT_EQ(loadpngtex(hugefile, 1000000), 0u);
}

TEST_F(Textures, RingIsABlurredGreyBandAndOddSizesStayInBounds) {
  const std::vector<Texel> ring = texels(createringtex(128));
  for (const Texel& t : ring) ASSERT_TRUE(t[3] == 255 && t[0] == t[1] && t[1] == t[2]);
  auto at = [&](int x, int y) { return ring[y * 128 + x][0]; };
  EXPECT_EQ(at(64, 64), 0);
  EXPECT_GT(at(64, 64 + 41), 200);
  EXPECT_TRUE(at(64 + 30, 64) > 0 && at(64 + 30, 64) < at(64 - 41, 64));  // a soft inner edge
  // The divisor stays 5 at the edges, where fewer neighbours add up.
  const unsigned int full[9] = {255, 255, 255, 255, 255, 255, 255, 255, 255};
  unsigned int out[9] = {};
  ringblur(full, out, 3);
  EXPECT_EQ(out[0], 153u);
  EXPECT_EQ(out[4], 255u);
  EXPECT_NE(createringtex(101), 0u);  // an odd size stays inside its buffers
}

}  // namespace
