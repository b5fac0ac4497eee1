#include "toolkit/texman_internal.h"

#include <GL/gl.h>
#include <png.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "toolkit/datafile.h"

namespace {
constexpr int tmcapacity = 64;
// Enough for the only extra chunks read (palette and transparency); libpng's own default lets a
// file make it hold gigabytes of decompressed text.
constexpr png_alloc_size_t pngchunkmemory = 64 * 1024;

struct tmtexture {
  const char* file;
  unsigned int id;
};

std::unique_ptr<tmtexture[]> tmtextures;
int tmci = 0;
std::string firstfailure;

// A failed load gives 0 and is noted, the first one with its reason.
unsigned int failed(const char* file, const char* reason) {
  if (firstfailure.empty()) firstfailure = std::string(file) + ": " + reason;
  return 0;
}

// Texel word with red in the lowest byte, alpha left at 0.
unsigned int rgbword(unsigned int r, unsigned int g, unsigned int b) {
  return r | g << 8 | b << 16;
}

// libpng's default handlers print; the demo prints nothing, so errors only jump back.
void pngerror(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngwarning(png_structp, png_const_charp) {}

// Everything one PNG read holds; volatile because libpng errors return through longjmp.
struct pngread {
  FILE* fp = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  unsigned char* volatile image = nullptr;
  png_bytepp volatile rows = nullptr;
  volatile bool complete = false;
};

void releasepng(pngread& r) {
  std::free(r.rows);
  std::free(r.image);
  r.rows = nullptr;
  r.image = nullptr;
  if (r.png) png_destroy_read_struct(&r.png, r.info ? &r.info : nullptr, nullptr);
  std::fclose(r.fp);
}

// Asks libpng for 8-bit RGB whatever the file holds: alpha and transparency dropped, 16-bit
// channels cut to 8, grey widened to three channels, palettes and low bit depths expanded.
void requestrgb(png_structp png, png_infop info, int bitdepth, int colourtype) {
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if ((colourtype & PNG_COLOR_MASK_ALPHA) || transparency) png_set_strip_alpha(png);
  if (bitdepth > 8) png_set_strip_16(png);
  if (colourtype == PNG_COLOR_TYPE_GRAY || colourtype == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  if (colourtype == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  png_set_interlace_handling(png);
}

// Only the pixels count: every ancillary chunk but transparency is skipped unread.
void skipextrachunks(png_structp png) {
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_set_chunk_malloc_max(png, pngchunkmemory);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  // The fuzzer's mutations would rarely get past the checksums to the decoder.
  png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
}

// Decodes into r.image, picture bottom row first, rows of exactly 3 x size bytes. Returns null
// when done, else why it failed (the caller releases r).
const char* decodepng(pngread& r, unsigned int size) {
  const char* const unreadable = "not a readable PNG of the expected size";
  if (setjmp(png_jmpbuf(r.png))) return unreadable;
  png_init_io(r.png, r.fp);
  png_set_sig_bytes(r.png, 8);
  skipextrachunks(r.png);
  png_read_info(r.png, r.info);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitdepth = 0;
  int colourtype = 0;
  png_get_IHDR(r.png, r.info, &width, &height, &bitdepth, &colourtype, nullptr, nullptr, nullptr);
  if (width != size || height != size) return unreadable;
  requestrgb(r.png, r.info, bitdepth, colourtype);
  png_read_update_info(r.png, r.info);
  const size_t rowbytes = png_get_rowbytes(r.png, r.info);
  // Anything but a size x size 8-bit RGB picture would overrun the buffers below.
  if (rowbytes != 3 * static_cast<size_t>(size) || png_get_bit_depth(r.png, r.info) != 8 ||
      png_get_channels(r.png, r.info) != 3)
    return unreadable;
  const char* const nomemory = "out of memory";
  if (size > SIZE_MAX / rowbytes) return nomemory;
  r.image = static_cast<unsigned char*>(std::malloc(rowbytes * size));
  if (!r.image) return nomemory;
  r.rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * size));
  if (!r.rows) return nomemory;
  for (unsigned int k = 0; k < size; ++k) r.rows[k] = r.image + (size - 1 - k) * rowbytes;
  png_read_image(r.png, r.rows);
  r.complete = true;
  return nullptr;
}

std::vector<unsigned int> rgbtowords(const unsigned char* image, unsigned int size) {
  std::vector<unsigned int> words(static_cast<size_t>(size) * size);
  for (size_t i = 0; i < words.size(); ++i)
    words[i] = rgbword(image[3 * i], image[3 * i + 1], image[3 * i + 2]);
  return words;
}
}  // namespace

void inittexman() {
  tmtextures = std::make_unique<tmtexture[]>(tmcapacity);
  tmci = 0;
  firstfailure.clear();
}

const std::string& texturefailure() { return firstfailure; }

void freetexman() {
  tmtextures.reset();
  tmci = 0;
}

void addtexid(const char* file, unsigned int id) {
  if (!tmtextures || tmci >= tmcapacity) return;
  tmtextures[tmci] = tmtexture{file, id};
  ++tmci;
}

// Compares the names' characters, so equal names from different source files share a texture.
int gettexid(const char* file) {
  if (!tmtextures || !file) return -1;
  for (int i = 0; i < tmci; ++i)
    if (tmtextures[i].file == file || std::strcmp(tmtextures[i].file, file) == 0)
      return static_cast<int>(tmtextures[i].id);
  return -1;
}

unsigned int createtex(int size, unsigned int* pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return name;
}

unsigned int loadpngtex(const char* file, unsigned int size) {
  const int cached = gettexid(file);
  if (cached >= 0) return static_cast<unsigned int>(cached);
  // Cached under the name asked for; a failure names the file actually read.
  const std::string path = datapath(file);
  pngread r;
  r.fp = std::fopen(path.c_str(), "rb");
  if (!r.fp) return failed(path.c_str(), std::strerror(errno));
  png_byte signature[8] = {};
  if (std::fread(signature, 1, 8, r.fp) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    std::fclose(r.fp);
    return failed(path.c_str(), "not a PNG file");
  }
  // Running out of memory gives 0 like every other failure: no caller could tell a 4 from the
  // texture name it may well be.
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngerror, pngwarning);
  if (!r.png) {
    std::fclose(r.fp);
    return failed(path.c_str(), "out of memory");
  }
  r.info = png_create_info_struct(r.png);
  if (!r.info) {
    releasepng(r);
    return failed(path.c_str(), "out of memory");
  }
  const char* const failure = decodepng(r, size);
  if (!r.complete) {
    releasepng(r);
    return failed(path.c_str(), failure);
  }
  std::vector<unsigned int> words = rgbtowords(r.image, size);
  releasepng(r);
  const unsigned int name = createtex(static_cast<int>(size), words.data());
  addtexid(file, name);
  return name;
}

unsigned int loadzibtex(const char* file, unsigned int size) {
  const int cached = gettexid(file);
  if (cached >= 0) return static_cast<unsigned int>(cached);
  const std::string path = datapath(file);
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return failed(path.c_str(), std::strerror(errno));
  std::vector<unsigned int> words(static_cast<size_t>(size) * size);
  for (unsigned int& word : words) {
    const unsigned int r = readbyte(fp);
    const unsigned int g = readbyte(fp);
    const unsigned int b = readbyte(fp);
    word = rgbword(r, g, b);
  }
  std::fclose(fp);
  const unsigned int name = createtex(static_cast<int>(size), words.data());
  addtexid(file, name);
  return name;
}

std::vector<unsigned int> ringmask(unsigned int size) {
  std::vector<unsigned int> a(static_cast<size_t>(size) * size, 0);
  const int h = static_cast<int>(size / 2);
  for (int j = 0; j < 2 * h; ++j)
    for (int i = 0; i < 2 * h; ++i) {
      const int y = j - h;
      const int x = i - h;
      const double d = std::sqrt(static_cast<double>(x * x + y * y));
      a[static_cast<size_t>(j) * size + i] = (d >= 30.0 && d <= 52.0) ? 255 : 0;
    }
  return a;
}

// A missing neighbour at the grid's edge counts as 0 while the divisor stays 5.
void ringblur(const unsigned int* a, unsigned int* b, unsigned int size) {
  for (unsigned int r = 0; r < size; ++r)
    for (unsigned int c = 0; c < size; ++c) {
      const size_t at = static_cast<size_t>(r) * size + c;
      unsigned int sum = a[at];
      if (c > 0) sum += a[at - 1];
      if (c < size - 1) sum += a[at + 1];
      if (r > 0) sum += a[at - size];
      if (r < size - 1) sum += a[at + size];
      b[at] = sum / 5;
    }
}

unsigned int createringtex(unsigned int size) {
  std::vector<unsigned int> a = ringmask(size);
  std::vector<unsigned int> b(a.size(), 0);
  for (int pass = 0; pass < 30; ++pass) {
    ringblur(a.data(), b.data(), size);
    a = b;
  }
  for (unsigned int& v : b) v = rgbword(v, v, v) | 255u << 24;
  return createtex(static_cast<int>(size), b.data());
}

unsigned int createemptytex(int size) {
  std::vector<unsigned int> zeros(static_cast<size_t>(size) * size, 0);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_CLAMP));
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_CLAMP));
  return name;
}
