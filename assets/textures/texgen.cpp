// tessivar-texgen: draws the demo's twelve images from code, the same bytes on every run.
//
//   tessivar-texgen DATADIR [--sheet FILE]
//
// Writes DATADIR/<name>.png for every image the demo loads and, with --sheet, one contact sheet
// that shows them side by side with their names. Each file is written under a temporary name and
// renamed into place, so a demo or test reading DATADIR never sees half an image.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tools/frameio.h"
#include "assets/textures/strokefont.h"
#include "assets/textures/noise.h"
#include "runtime/version.h"

namespace {
using namespace texgen;

struct Colour {
  float r, g, b;
};
Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour operator*(Colour a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Colour mixcolour(Colour a, Colour b, float t) { return a * (1 - t) + b * t; }

class Image {
 public:
  Image(int width, int height) : w(width), h(height), texels(static_cast<size_t>(width) * height) {}
  explicit Image(int size) : Image(size, size) {}
  int width() const { return w; }
  int height() const { return h; }
  Colour& at(int x, int y) { return texels[static_cast<size_t>(y) * w + x]; }
  Colour at(int x, int y) const { return texels[static_cast<size_t>(y) * w + x]; }

  // 8-bit RGB rows, top row first.
  std::vector<unsigned char> bytes() const {
    std::vector<unsigned char> out;
    out.reserve(texels.size() * 3);
    for (const Colour& c : texels)
      for (float v : {c.r, c.g, c.b})
        out.push_back(static_cast<unsigned char>(std::lround(clamp01(v) * 255)));
    return out;
  }

 private:
  int w, h;
  std::vector<Colour> texels;
};

// Every texel from fn(x, y), x and y the texel's column and row (row 0 is the top of the file).
// Rows are shared out over the machine's cores; every texel depends on its position alone, so the
// result is the same however the rows are split.
template <class F>
Image drawtexels(int size, F fn) {
  Image image(size);
  const int workers = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
  auto drawrows = [&](int first) {
    for (int y = first; y < size; y += workers)
      for (int x = 0; x < size; ++x) image.at(x, y) = fn(x, y);
  };
  std::vector<std::thread> threads;
  for (int w = 1; w < workers; ++w) threads.emplace_back(drawrows, w);
  drawrows(0);
  for (std::thread& t : threads) t.join();
  return image;
}

// A sprite: fn(u, v) with u and v from -1 to 1 across the image, averaged over ss x ss samples a
// texel so that thin rims and ragged edges stay smooth at 32 or 64 texels.
template <class F>
Image drawsprite(int size, int ss, F fn) {
  return drawtexels(size, [&](int x, int y) {
    Colour sum{0, 0, 0};
    for (int j = 0; j < ss; ++j)
      for (int i = 0; i < ss; ++i) {
        const float u = ((x + (i + 0.5f) / ss) / size) * 2 - 1;
        const float v = ((y + (j + 0.5f) / ss) / size) * 2 - 1;
        sum = sum + fn(u, v);
      }
    return sum * (1.0f / (ss * ss));
  });
}

// The direction on the unit sphere that the demo's sphere primitive maps texel (x, y) to:
// s runs once around, t from the bottom pole (0) to the top pole (1); the loader puts the file's
// top row at t = 1, so row 0 of the file is the zenith.
Vec3 spheredirection(int x, int y, int size) {
  const float b = 6.2831853f * (x + 0.5f) / size;
  const float t = 1 - (y + 0.5f) / size;
  const float cosa = 2 * t - 1;
  const float sina = std::sqrt(std::fmax(0.0f, 1 - cosa * cosa));
  return {-sina * std::cos(b), cosa, -sina * std::sin(b)};
}

// A bell of height 1 at x = 0 that falls to 1/e at x = width.
float bump(float x, float width) { return std::exp(-(x / width) * (x / width)); }

// Fades a sprite to black well inside its square so no edge shows when it is added to the frame.
float spritewindow(float r, float inner = 0.72f, float outer = 0.94f) {
  return 1 - smoothstep(inner, outer, r);
}

Vec3 warpvector(Vec3 p, int octaves, std::uint32_t seed, int period = 0) {
  return {fbm(p, octaves, seed, period), fbm(p, octaves, seed + 17, period),
          fbm(p, octaves, seed + 31, period)};
}

// ---- sprites ---------------------------------------------------------------------------------

// A soft round snow flake: a white-hot core in a cool halo.
Colour snowflake(float u, float v) {
  const float r = std::hypot(u, v);
  const float core = bump(r, 0.17f);
  const float halo = 0.42f * bump(r, 0.45f);
  return Colour{0.9f, 0.96f, 1.0f} * ((core + halo) * spritewindow(r, 0.6f, 0.92f));
}

Image drawsnowa() { return drawsprite(64, 4, snowflake); }

// A cell: a bright membrane ring with a wobbling outline around a darker, grainy core and a
// nucleus set off centre. `tint` colours the membrane, `inner` the core.
struct CellLook {
  Colour tint, inner;
  float radius, rim, fill, seedoffset;
  std::uint32_t seed;
};

Colour cell(float u, float v, const CellLook& look) {
  const float r = std::hypot(u, v);
  const float angle = std::atan2(v, u);
  const float outline = look.radius + 0.035f * std::sin(5 * angle + look.seedoffset) +
                        0.02f * std::sin(9 * angle + 2 * look.seedoffset);
  const float membrane = bump(r - outline, look.rim);
  const float outerglow = 0.22f * bump((r - outline), 0.18f);
  const float inside = 1 - smoothstep(outline - 0.1f, outline, r);
  const float grain = 0.5f + 0.5f * fbm({u * 4.5f, v * 4.5f, look.seedoffset}, 4, look.seed);
  const float nr = std::hypot(u - 0.14f, v + 0.1f);
  const float nucleus = bump((nr - 0.13f), 0.06f) + 0.5f * bump(nr, 0.08f);
  const Colour core = look.inner * (inside * look.fill * (0.16f + 0.22f * grain + 0.35f * nucleus));
  return (look.tint * (membrane + outerglow) + core) * spritewindow(r);
}

Image drawcella() {
  const CellLook look{{0.55f, 1.0f, 0.88f}, {0.35f, 0.75f, 0.8f}, 0.6f, 0.07f, 1.5f, 0.7f, 11};
  return drawsprite(64, 4, [&](float u, float v) { return cell(u, v, look); });
}

Image drawcellc() {
  const CellLook look{{0.95f, 0.7f, 1.0f}, {0.75f, 0.45f, 0.85f}, 0.58f, 0.06f, 1.0f, 2.1f, 23};
  return drawsprite(64, 4, [&](float u, float v) { return cell(u, v, look); });
}

// A cell fringed with short cilia, in amber.
Image drawcelle() {
  const CellLook look{{1.0f, 0.82f, 0.5f}, {0.8f, 0.55f, 0.3f}, 0.52f, 0.06f, 1.0f, 3.3f, 37};
  return drawsprite(64, 4, [&](float u, float v) {
    const float r = std::hypot(u, v);
    const float angle = std::atan2(v, u);
    const float hair = std::pow(std::fabs(std::cos(angle * 12)), 24.0f) *
                       smoothstep(0.55f, 0.62f, r) * (1 - smoothstep(0.68f, 0.8f, r));
    return cell(u, v, look) + Colour{1.0f, 0.8f, 0.45f} * (0.6f * hair * spritewindow(r));
  });
}

// A bead of the growth's strings: a thin ring around a bright nucleus, in cold blue.
Image drawcelld() {
  return drawsprite(64, 4, [](float u, float v) {
    const float r = std::hypot(u, v);
    const float ring = bump((r - 0.5f), 0.08f);
    const float glow = 0.14f * bump(r, 0.5f);
    const float nucleus = 0.7f * bump(r, 0.13f);
    return (Colour{0.55f, 0.85f, 1.0f} * (ring + glow) + Colour{0.85f, 0.95f, 1.0f} * nucleus) *
           spritewindow(r, 0.66f, 0.9f);
  });
}

// A soft blob of worm skin: translucent flesh ringed by the segment folds of a worm, mottled,
// brighter towards its rim where light passes through.
Image drawworma() {
  return drawsprite(128, 3, [](float u, float v) {
    const float r = std::hypot(u, v);
    const float bend = 0.35f * fbm({u * 1.5f, v * 1.5f, 0.4f}, 3, 51);
    const float folds = 0.5f + 0.5f * std::cos((v + 0.25f * u * u + bend) * 19);
    const float mottle = 0.5f + 0.5f * fbm({u * 6, v * 6, 1.7f}, 4, 53);
    const float body = std::pow(clamp01(1 - (r / 0.82f) * (r / 0.82f)), 0.7f);
    const float rimlight = bump((r - 0.58f), 0.15f);
    // Two hundred of these overlap in a worm, so each stays dim to keep the body from burning
    // white.
    const float skin = 0.7f * (body * (0.2f + 0.5f * folds + 0.3f * mottle) + 0.3f * rimlight);
    return mixcolour(Colour{0.8f, 0.38f, 0.4f}, Colour{1.0f, 0.8f, 0.68f},
                     folds * 0.6f + 0.4f * mottle) *
           (skin * spritewindow(r, 0.62f, 0.92f));
  });
}

// Periodic noise along a circle: the ragged outline of a splat.
float ringnoise(float angle, float frequency, std::uint32_t seed) {
  return gradnoise({std::cos(angle) * frequency, std::sin(angle) * frequency, 0.5f}, seed);
}

// A splat of the growth: a ragged blob with a few flung droplets, pale gold.
Image drawsplatb() {
  constexpr float droplets[5][3] = {{0.66f, 0.12f, 0.1f},
                                    {-0.52f, 0.5f, 0.08f},
                                    {-0.2f, -0.7f, 0.09f},
                                    {0.35f, -0.6f, 0.06f},
                                    {-0.72f, -0.1f, 0.07f}};
  return drawsprite(32, 6, [&](float u, float v) {
    const float r = std::hypot(u, v);
    const float angle = std::atan2(v, u);
    const float outline =
        0.52f + 0.14f * ringnoise(angle, 1.6f, 61) + 0.07f * ringnoise(angle, 4.0f, 62);
    float body = 1 - smoothstep(outline - 0.08f, outline + 0.04f, r);
    for (const auto& d : droplets)
      body = std::fmax(body, 1 - smoothstep(d[2] * 0.6f, d[2], std::hypot(u - d[0], v - d[1])));
    const float heat = 0.7f + 0.3f * bump(r, 0.3f);
    return mixcolour(Colour{0.85f, 0.75f, 0.4f}, Colour{1.0f, 0.97f, 0.85f}, heat) *
           (body * heat * spritewindow(r, 0.8f, 0.95f));
  });
}

// ---- spheres and the floor -------------------------------------------------------------------

// The night sky inside the dome: deep blue at the zenith, a faint glow above the horizon, black
// below it, and a band of nebula clouds with dark lanes arching across.
Colour skycolour(Vec3 d) {
  const Colour zenith{0.01f, 0.016f, 0.05f}, horizon{0.075f, 0.085f, 0.16f};
  const float up = std::pow(smoothstep(0.12f, 0.95f, d.y), 0.6f);
  const float visible = smoothstep(-0.14f, 0.12f, d.y);
  const Colour base = mixcolour(horizon, zenith, up);

  const Vec3 bandnormal{0.38f, 0.52f, 0.76f};
  const float across = dot(d, bandnormal) / length(bandnormal);
  const float band = bump(across, 0.3f);
  const Vec3 q = d * 2.2f + warpvector(d * 1.6f, 4, 71) * 0.9f;
  const float cloud = smoothstep(-0.2f, 0.55f, fbm(q * 1.3f, 6, 72));
  const float lanes = smoothstep(0.05f, 0.45f, fbm(q * 2.8f, 4, 73));
  const float hue = smoothstep(-0.3f, 0.3f, fbm(q * 0.8f, 3, 74));
  const float density = cloud * (1 - 0.7f * lanes) * (0.15f + 0.85f * band);
  const Colour nebula = mixcolour(Colour{0.36f, 0.16f, 0.5f}, Colour{0.08f, 0.34f, 0.46f}, hue);
  const float haze = 0.5f + 0.5f * fbm(d * 5.0f, 3, 75);
  return (base * (0.85f + 0.3f * haze) + nebula * (0.42f * density)) * visible;
}

Image drawskya() {
  constexpr int size = 512;
  return drawtexels(size, [](int x, int y) { return skycolour(spheredirection(x, y, size)); });
}

// The organic cell pattern of the background sphere: warped cell walls, grainy cytoplasm and a
// nucleus in every cell. Only red is seen in the demo (the sphere is tinted (0.1, 0, 0)), so red
// carries the whole pattern at full contrast.
Colour cellwall(Vec3 d) {
  const Vec3 p = d * 4.0f + warpvector(d * 2.5f, 3, 81) * 0.45f;
  const Cells big = cellnoise(p, 82);
  const float gap = big.f2 - big.f1;
  const float wall = bump(gap, 0.08f);
  const float inner = smoothstep(0.0f, 0.45f, gap);
  const float grain = 0.5f + 0.5f * fbm(d * 22.0f, 3, 83);
  const float nucleus = bump(big.f1, 0.2f);
  const Cells fine = cellnoise(d * 11.0f + warpvector(d * 6.0f, 2, 84) * 0.3f, 85);
  const float finewall = bump((fine.f2 - fine.f1), 0.07f);
  const float v =
      0.95f * wall + inner * (0.14f + 0.16f * grain + 0.18f * finewall) + 0.45f * nucleus;
  return Colour{1.0f, 0.3f, 0.34f} * v;
}

Image drawbga() {
  constexpr int size = 256;
  return drawtexels(size, [](int x, int y) { return cellwall(spheredirection(x, y, size)); });
}

// Frozen ground that repeats on both axes: plates of blue ice split by frosted cracks, with
// drifts of snow. All noise is periodic with the image, so the four repeats join invisibly.
Colour groundcolour(float x, float y) {
  constexpr int platecells = 6, finecells = 17, mottleperiod = 5, driftperiod = 2;
  const Vec3 warp = warpvector({x * 4, y * 4, 0}, 3, 91, 4) * 0.12f;
  const Cells plates =
      cellnoise2((x + warp.x) * platecells, (y + warp.y) * platecells, 92, platecells);
  const Cells fine = cellnoise2((x + warp.x) * finecells, (y + warp.y) * finecells, 93, finecells);
  const float crack = 1 - smoothstep(0.0f, 0.028f, plates.f2 - plates.f1);
  const float finecrack = 1 - smoothstep(0.0f, 0.05f, fine.f2 - fine.f1);
  const float platecentre = smoothstep(0.0f, 0.3f, plates.f2 - plates.f1);
  const float tone = 0.82f + 0.3f * hashunit(hashmix(plates.id));
  const float mottle = fbm({x * mottleperiod, y * mottleperiod, 0.75f}, 5, 94, mottleperiod);
  const float drift =
      smoothstep(0.0f, 0.5f, fbm({x * driftperiod, y * driftperiod, 0.1f}, 4, 95, driftperiod));
  const Colour ice =
      Colour{0.2f, 0.3f, 0.42f} * (tone * (0.75f + 0.25f * platecentre) * (0.9f + 0.35f * mottle));
  const Colour frost = Colour{0.55f, 0.66f, 0.78f};
  const Colour cracked = mixcolour(mixcolour(ice, frost, 0.35f * finecrack), frost, 0.8f * crack);
  const Colour snow = Colour{0.6f, 0.66f, 0.74f} * (0.92f + 0.12f * mottle);
  return mixcolour(cracked, snow, drift * 0.7f);
}

Image drawfloorb() {
  constexpr int size = 512;
  return drawtexels(
      size, [](int x, int y) { return groundcolour((x + 0.5f) / size, (y + 0.5f) / size); });
}

// ---- logo ------------------------------------------------------------------------------------

// The title in the upper left of the image: the demo shows a 400 x 400 quad of each layer with
// only its left 90 % and top 70 % on screen, so the lettering stays well inside that part.
constexpr float logoscale = 51.0f;      // texels per x-height
constexpr float logobaseline = 228.0f;  // texel row of the letters' baseline
constexpr float logospacing = 0.3f;     // gap between letters, in x-heights
constexpr float logohalfwidth = 0.09f;  // half the stroke width, in x-heights

TextLine logotext() {
  const float width = TextLine::measure("Tessivar", logospacing) * logoscale;
  return TextLine("Tessivar", 232 - width / 2, logobaseline, logoscale, logospacing);
}

// A thin rule under the title with a small open circle at its left, like a cell.
float logoruledistance(float x, float y) {
  const float rule = segmentdistance(x, y, 62, 262, 412, 262);
  const float ring = std::fabs(std::hypot(x - 42, y - 262) - 9);
  return std::fmin(rule, ring);
}

// Everything the layers draw lies in this box; texels outside it stay black without summing the
// distances to every stroke.
bool nearlogo(float px, float py) { return px > 8 && px < 452 && py > 96 && py < 300; }

// Layer a: solid letters, lit from above, in a cool white.
Image drawlogoa() {
  const TextLine text = logotext();
  const float half = logohalfwidth * logoscale;
  return drawtexels(512, [&](int x, int y) {
    const float px = x + 0.5f, py = y + 0.5f;
    if (!nearlogo(px, py)) return Colour{0, 0, 0};
    const float letters = clamp01(half - text.distance(px, py) + 0.5f);
    const float rule = clamp01(1.2f - logoruledistance(px, py) + 0.5f) * 0.7f;
    const float light = 1 - 0.35f * smoothstep(logobaseline - 80, logobaseline, py);
    return Colour{0.85f, 0.93f, 1.0f} * std::fmax(letters * light, rule);
  });
}

// Layer b: the letters' outline and a soft glow around them, in warm rose: over layer a it
// reads as a lit rim; pulled apart it is the title's shadow image.
Image drawlogob() {
  const TextLine text = logotext();
  const float half = logohalfwidth * logoscale;
  return drawtexels(512, [&](int x, int y) {
    const float px = x + 0.5f, py = y + 0.5f;
    if (!nearlogo(px, py)) return Colour{0, 0, 0};
    const float d = text.distance(px, py) - half;
    const float outline = clamp01(1.6f - std::fabs(d - 2.5f));
    const float glow = d > 0 ? std::exp(-d / 9.0f) * (1 - smoothstep(20, 32, d)) : 0.25f;
    const float rd = logoruledistance(px, py);
    const float ruleglow = std::exp(-rd / 4.0f) * (1 - smoothstep(10, 18, rd));
    const float value = std::fmax(outline, 0.55f * glow) + 0.4f * ruleglow;
    return Colour{1.0f, 0.62f, 0.78f} * value;
  });
}

// ---- output ----------------------------------------------------------------------------------

struct Entry {
  const char* name;
  int size;
  Image (*draw)();
};

const Entry entries[] = {
    {"floorb", 512, drawfloorb}, {"skya", 512, drawskya},    {"snowa", 64, drawsnowa},
    {"cella", 64, drawcella},    {"bga", 256, drawbga},      {"cellc", 64, drawcellc},
    {"logoa", 512, drawlogoa},   {"logob", 512, drawlogob},  {"celle", 64, drawcelle},
    {"worma", 128, drawworma},   {"splatb", 32, drawsplatb}, {"celld", 64, drawcelld},
};

// Writes the PNG whole under its name, or leaves nothing new there.
bool writeimage(const std::string& path, const Image& image) {
  const std::vector<unsigned char> rows = image.bytes();
  return savepng(path, image.width(), image.height(), 3, rows.data()).empty();
}

// ---- contact sheet ---------------------------------------------------------------------------

constexpr int sheettile = 192, sheetgap = 16, sheetlabel = 30, sheetcolumns = 6;

// Bilinear sample with the image's texels at integer + 0.5, clamped at the borders.
Colour sample(const Image& image, float x, float y) {
  const float fx = std::fmin(std::fmax(x - 0.5f, 0.0f), image.width() - 1.0f);
  const float fy = std::fmin(std::fmax(y - 0.5f, 0.0f), image.height() - 1.0f);
  const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
  const int x1 = std::min(x0 + 1, image.width() - 1), y1 = std::min(y0 + 1, image.height() - 1);
  const float tx = fx - x0, ty = fy - y0;
  return mixcolour(mixcolour(image.at(x0, y0), image.at(x1, y0), tx),
                   mixcolour(image.at(x0, y1), image.at(x1, y1), tx), ty);
}

// The image scaled into a tile: averaged over the texels a tile pixel covers when shrinking,
// interpolated when enlarging.
Colour tilepixel(const Image& image, int x, int y) {
  const float scale = static_cast<float>(image.width()) / sheettile;
  const int n = std::max(1, static_cast<int>(std::ceil(scale)));
  Colour sum{0, 0, 0};
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      sum = sum + sample(image, (x + (i + 0.5f) / n) * scale, (y + (j + 0.5f) / n) * scale);
  return sum * (1.0f / (n * n));
}

void drawlabel(Image& sheet, const std::string& text, int left, int top) {
  constexpr float scale = 11.0f, half = 0.9f;
  const float width = TextLine::measure(text, 0.35f) * scale;
  const float start = left + (sheettile - width) / 2;
  const TextLine line(text, start, top + 19.0f, scale, 0.35f);
  for (int y = top; y < top + sheetlabel; ++y)
    for (int x = left; x < left + sheettile; ++x) {
      const float ink = clamp01(half - line.distance(x + 0.5f, y + 0.5f) + 0.5f);
      sheet.at(x, y) = mixcolour(sheet.at(x, y), Colour{0.85f, 0.85f, 0.85f}, ink);
    }
}

Image drawsheet(const std::vector<Image>& images) {
  const int rows = (static_cast<int>(images.size()) + sheetcolumns - 1) / sheetcolumns;
  const int cellw = sheettile + sheetgap, cellh = sheettile + sheetlabel + sheetgap;
  Image sheet(sheetgap + sheetcolumns * cellw, sheetgap + rows * cellh);
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x) sheet.at(x, y) = Colour{0.16f, 0.16f, 0.17f};
  for (size_t k = 0; k < images.size(); ++k) {
    const int left = sheetgap + static_cast<int>(k % sheetcolumns) * cellw;
    const int top = sheetgap + static_cast<int>(k / sheetcolumns) * cellh;
    for (int y = 0; y < sheettile; ++y)
      for (int x = 0; x < sheettile; ++x) sheet.at(left + x, top + y) = tilepixel(images[k], x, y);
    drawlabel(sheet, std::string(entries[k].name) + "  " + std::to_string(entries[k].size), left,
              top + sheettile);
  }
  return sheet;
}

int usage() {
  std::fprintf(stderr, "usage: tessivar-texgen DATADIR [--sheet FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (askedversion(argc, argv)) return printversion("tessivar-texgen");
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--sheet") == 0)) return usage();
  const std::string datadir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(datadir, error);
  std::vector<Image> images;
  for (const Entry& entry : entries) {
    images.push_back(entry.draw());
    if (images.back().width() != entry.size || images.back().height() != entry.size) {
      std::fprintf(stderr, "tessivar-texgen: %s came out at the wrong size\n", entry.name);
      return 1;
    }
    const std::string path = datadir + "/" + entry.name + ".png";
    if (!writeimage(path, images.back())) {
      std::fprintf(stderr, "tessivar-texgen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  if (argc == 4 && !writeimage(argv[3], drawsheet(images))) {
    std::fprintf(stderr, "tessivar-texgen: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
