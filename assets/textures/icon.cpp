// tessivar-icon: the application icon, made from the title's two logo layers in data/.
//   tessivar-icon DATADIR SIZE OUTPUT.png
// The layers are added as the demo adds them, the lit part is cut out as a square and scaled down
// by area averaging. Light added over black is read as premultiplied colour whose alpha is its
// brightest channel, so the icon's background is transparent and its glow fades out.
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/frameio.h"

namespace {
constexpr int lit = 8;               // the least channel value that counts as part of the logo
constexpr double margin = 0.06;      // empty border around the logo, as a share of the side

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<double> rgb;  // 0 to 255, rows top first
  double at(int x, int y, int c) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return rgb[(static_cast<size_t>(y) * width + x) * 3 + c];
  }
};

bool readrgb(const std::string& path, Picture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return false;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb.assign(bytes.begin(), bytes.end());
  return true;
}

// The smallest square, with its margin, around every lit texel: left, top and side.
bool litsquare(const Picture& p, double& left, double& top, double& side) {
  int x0 = p.width, y0 = p.height, x1 = -1, y1 = -1;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (std::max({p.at(x, y, 0), p.at(x, y, 1), p.at(x, y, 2)}) >= lit) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) return false;
  side = std::max(x1 - x0 + 1, y1 - y0 + 1) / (1 - 2 * margin);
  left = (x0 + x1 + 1 - side) / 2;
  top = (y0 + y1 + 1 - side) / 2;
  return true;
}

// The mean of channel c over the source area [x, x + step) x [y, y + step), texels counted by the
// part of them the area covers.
double areamean(const Picture& p, double x, double y, double step, int c) {
  double sum = 0;
  for (int ty = static_cast<int>(std::floor(y)); ty < y + step; ++ty) {
    const double h = std::min(ty + 1.0, y + step) - std::max<double>(ty, y);
    for (int tx = static_cast<int>(std::floor(x)); tx < x + step; ++tx) {
      const double w = std::min(tx + 1.0, x + step) - std::max<double>(tx, x);
      sum += w * h * p.at(tx, ty, c);
    }
  }
  return sum / (step * step);
}

std::vector<unsigned char> drawicon(const Picture& logo, int size, double left, double top,
                                    double side) {
  const double step = side / size;
  std::vector<unsigned char> rgba(static_cast<size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double colour[3];
      for (int c = 0; c < 3; ++c) colour[c] = areamean(logo, left + x * step, top + y * step, step, c);
      const double alpha = std::max({colour[0], colour[1], colour[2]});
      unsigned char* out = &rgba[(static_cast<size_t>(y) * size + x) * 4];
      for (int c = 0; c < 3; ++c)
        out[c] = static_cast<unsigned char>(alpha > 0 ? std::lround(255 * colour[c] / alpha) : 0);
      out[3] = static_cast<unsigned char>(std::lround(alpha));
    }
  return rgba;
}

int usage() {
  std::fprintf(stderr, "usage: tessivar-icon DATADIR SIZE OUTPUT.png   (SIZE 16 to 512)\n");
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return usage();
  const std::string datadir = argv[1];
  char* end = nullptr;
  const long size = std::strtol(argv[2], &end, 10);
  if (*argv[2] == '\0' || *end != '\0' || size < 16 || size > 512) return usage();
  Picture a, b;
  for (auto [name, picture] : {std::pair{"logoa", &a}, std::pair{"logob", &b}})
    if (!readrgb(datadir + "/" + name + ".png", *picture)) {
      std::fprintf(stderr, "tessivar-icon: cannot read %s/%s.png\n", datadir.c_str(), name);
      return 1;
    }
  if (a.width != b.width || a.height != b.height) {
    std::fprintf(stderr, "tessivar-icon: the two logo layers differ in size\n");
    return 1;
  }
  for (size_t i = 0; i < a.rgb.size(); ++i) a.rgb[i] = std::min(255.0, a.rgb[i] + b.rgb[i]);
  double left = 0, top = 0, side = 0;
  if (!litsquare(a, left, top, side)) {
    std::fprintf(stderr, "tessivar-icon: the logo layers are black\n");
    return 1;
  }
  const int pixels = static_cast<int>(size);
  const std::string failure =
      savepng(argv[3], pixels, pixels, 4, drawicon(a, pixels, left, top, side).data());
  if (failure.empty()) return 0;
  std::fprintf(stderr, "tessivar-icon: cannot write %s: %s\n", argv[3], failure.c_str());
  return 1;
}
