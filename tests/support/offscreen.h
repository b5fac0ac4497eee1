#pragma once
// Test support: an offscreen GL context for the whole test program, and the demo drawn in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// A PNG file as RGB, top row first, with its size; empty where it cannot be read.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};
Picture readpng(const std::string& path);
// A whole file's bytes; empty where it cannot be read.
std::vector<char> filebytes(const std::string& path);
// A program of the build, in the folder TESSIVAR_BIN names (ctest sets it), else in build/.
std::string buildtool(const std::string& name);

// A folder of the test's own in the temporary folder, removed with all it holds at the end.
struct Scratch {
  explicit Scratch(const std::string& name);
  ~Scratch();
  Scratch(const Scratch&) = delete;
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  bool empty() const { return std::filesystem::is_empty(path); }
  std::filesystem::path path;
};

// Opens (once per test program) an offscreen context of the given size.
void needoffscreen(int width = 640, int height = 480, bool stencil = false);

// Starts the demo offscreen and silent once per test program (scrw x scrh = width x height);
// likewindow: in what the setup dialog leaves in the window's context, as the tools start it.
void needdemo(int width = 640, int height = 480, bool likewindow = false);

// Draws one demo frame at the given time in milliseconds and returns it as RGB, top row first.
std::vector<unsigned char> demoframe(unsigned int ms);

// The current framebuffer as RGB, top row first.
std::vector<unsigned char> framepixels();

struct Rgb {
  int r, g, b;
};
// Pixel (x, y) of an RGB frame of the current width, y counted from the top.
Rgb pixelat(const std::vector<unsigned char>& frame, int x, int y);
int framewidth();
int frameheight();
