#pragma once
// Reading the finished frame back from GL and writing images as PNG files.
#include <GL/gl.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/wholefile.h"

// The current framebuffer's lower-left width x height pixels as RGB rows, top row first.
inline std::vector<unsigned char> readframe(int width, int height) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  for (int y = 0; y < height / 2; ++y) {
    unsigned char* top = pixels.data() + static_cast<size_t>(y) * row.size();
    unsigned char* bottom = pixels.data() + static_cast<size_t>(height - 1 - y) * row.size();
    std::copy(top, top + row.size(), row.begin());
    std::copy(bottom, bottom + row.size(), top);
    std::copy(row.begin(), row.end(), bottom);
  }
  return pixels;
}

// A width x height RGB frame at half its size: each pixel the rounded mean of a 2x2 block.
inline std::vector<unsigned char> halveframe(const std::vector<unsigned char>& frame, int width,
                                             int height) {
  const size_t halfwidth = width / 2, halfheight = height / 2, stride = size_t(width) * 3;
  std::vector<unsigned char> half(halfwidth * halfheight * 3);
  for (size_t i = 0; i < half.size(); ++i) {
    const size_t x = i / 3 % halfwidth, y = i / 3 / halfwidth, c = i % 3;
    const size_t at = 2 * y * stride + 2 * x * 3 + c, below = at + stride;
    half[i] = static_cast<unsigned char>(
        (frame[at] + frame[at + 3] + frame[below] + frame[below + 3] + 2) / 4);
  }
  return half;
}

namespace frameio {
// libpng would print its own words and give up on a short write; the reason goes to the caller.
inline void pngwrite(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<WholeFile*>(png_get_io_ptr(png));
  if (std::fwrite(data, 1, length, out->stream()) != length) {
    out->fail(errno);
    png_longjmp(png, 1);
  }
}
inline void pngflush(png_structp) {}
inline void pngfailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
}  // namespace frameio

// Writes 8-bit RGB or RGBA rows, top row first, to path, whole or not at all. Returns the empty
// string on success, else why the file could not be written (an earlier file there is kept).
inline std::string savepng(const std::string& path, int width, int height, int channels,
                           const unsigned char* pixels) {
  WholeFile out(path);
  if (!out.stream()) return out.error();
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, frameio::pngfailed, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return out.error().empty() ? "cannot encode the PNG" : out.error();
  }
  png_set_write_fn(png, &out, frameio::pngwrite, frameio::pngflush);
  png_set_IHDR(png, info, width, height, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(pixels + static_cast<size_t>(y) * width * channels));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out.commit() ? "" : out.error();
}
