#include "offscreen.h"

#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "runtime/demo.h"
#include "tools/frameio.h"
#include "tools/offline.h"
#include "runtime/seam.h"
#include "toolkit/tarvok.h"

namespace {
int width = 0;
int height = 0;
bool demostarted = false;

void opencontext(int w, int h, bool stencil, bool likewindow) {
  if (isoffscreen()) {
    if (w != width || h != height) FAIL() << "one offscreen size per test program";
    return;
  }
  setofflinesoftware(true);  // the byte-exact reference, whatever GPU the machine has
  if (!(likewindow ? openofflinewindow(w, h) : openoffscreen(w, h, stencil))) {
    std::fprintf(stderr, "test needs an offscreen GL context\n");
    std::abort();
  }
  width = w;
  height = h;
  setscrd(w, h);
}
}  // namespace

void needoffscreen(int w, int h, bool stencil) { opencontext(w, h, stencil, false); }

void needdemo(int w, int h, bool likewindow) {
  opencontext(w, h, false, likewindow);
  if (demostarted) return;
  setofflineticks(0);
  setsoundon(false);  // frames only: no audio device is opened
  initdemo(0);
  demostarted = true;
}

std::vector<unsigned char> demoframe(unsigned int ms) {
  setofflineticks(ms);
  dodemo();
  return framepixels();
}

std::vector<unsigned char> framepixels() {
  glFinish();
  return readframe(width, height);
}

Rgb pixelat(const std::vector<unsigned char>& frame, int x, int y) {
  const size_t at = (static_cast<size_t>(y) * width + x) * 3;
  return Rgb{frame[at], frame[at + 1], frame[at + 2]};
}

int framewidth() { return width; }
int frameheight() { return height; }

Picture readpng(const std::string& path) {
  Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return {};
  picture.width = int(image.width);
  picture.height = int(image.height);
  return picture;
}

std::vector<char> filebytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string buildtool(const std::string& name) {
  const char* bin = std::getenv("TESSIVAR_BIN");
  return std::filesystem::absolute(bin ? bin : "build").string() + "/" + name;
}

Scratch::Scratch(const std::string& name)
    : path(std::filesystem::temp_directory_path() /
           ("tessivar-" + name + "-" + std::to_string(getpid()))) {
  std::filesystem::create_directories(path);
}

Scratch::~Scratch() { std::filesystem::remove_all(path); }
