// tessivar-texgen: draws the demo's twelve images from code, the same bytes on every run.
//
//   tessivar-texgen DATADIR [--sheet FILE]
//   tessivar-texgen --frames-sheet FILE FRAME.png...
//
// Writes DATADIR/<name>.png for every image the demo loads and, with --sheet, one contact sheet
// that shows them side by side with their names. --frames-sheet lays rendered frames of the demo
// out four to a row, each at half size and labelled with its time. Each file is written under a temporary name and
// renamed into place, so a demo or test reading DATADIR never sees half an image.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/frameio.h"
#include "toolkit/descriptors.h"
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

// A snow flake: a warm disc that fills most of the sprite, so a flake a few pixels across still
// covers them instead of shrinking to a one-pixel star, held below white so overlapping flakes do
// not burn, with a short soft edge and a faint cool halo that is gone by 56 % of the radius, so
// thousands of flakes stay flakes instead of summing into fog.
Colour snowflake(float u, float v) {
  const float r = std::hypot(u, v);
  const Colour core = Colour{1.0f, 0.9f, 0.76f} * (0.84f * (1 - smoothstep(0.3f, 0.44f, r)));
  const Colour halo = Colour{0.5f, 0.66f, 0.95f} * (0.25f * bump(r, 0.35f));
  return (core + halo) * spritewindow(r, 0.44f, 0.56f);
}

Image drawsnowa() { return drawsprite(64, 4, snowflake); }

// A cell: a bright membrane ring with a wobbling outline around a darker, grainy core and a
// nucleus set off centre. `tint` colours the membrane, `inner` the core.
struct CellLook {
  Colour tint, inner;
  float radius, rim, fill, seedoffset;
  std::uint32_t seed;
  float hollow;  // how much of the fill is left at the very middle
  float glow;    // the faint halo outside the membrane
};

Colour cell(float u, float v, const CellLook& look) {
  const float r = std::hypot(u, v);
  const float angle = std::atan2(v, u);
  const float outline = look.radius + 0.035f * std::sin(5 * angle + look.seedoffset) +
                        0.02f * std::sin(9 * angle + 2 * look.seedoffset);
  const float membrane = bump(r - outline, look.rim);
  const float outerglow = look.glow * bump((r - outline), 0.18f);
  const float inside = 1 - smoothstep(outline - 0.1f, outline, r);
  const float grain = 0.5f + 0.5f * fbm({u * 4.5f, v * 4.5f, look.seedoffset}, 4, look.seed);
  const float nr = std::hypot(u - 0.14f, v + 0.1f);
  const float nucleus = bump((nr - 0.13f), 0.06f) + 0.5f * bump(nr, 0.08f);
  // The fill fades toward the middle: where many copies share a centre, the rims carry the light
  // and the middle stays dark instead of burning white.
  const float hollow = look.hollow + (1 - look.hollow) * smoothstep(0.1f, 0.55f, r);
  const Colour core =
      look.inner * (inside * look.fill * hollow * (0.16f + 0.22f * grain + 0.35f * nucleus));
  return (look.tint * (membrane + outerglow) + core) * spritewindow(r);
}

Image drawcella() {
  const CellLook look{{0.55f, 1.0f, 0.88f}, {0.35f, 0.75f, 0.8f}, 0.6f, 0.045f, 1.1f, 0.7f, 11, 0.1f, 0.12f};
  return drawsprite(64, 4, [&](float u, float v) { return cell(u, v, look); });
}

// A cell of the clusters, a hundred copies deep and, when the camera sits inside a cluster, a
// thousand pixels wide: a membrane driven far past full brightness, so that even its edge texels
// clip and the line stays crisp when a texel covers sixteen pixels, around an almost black inside
// with a soft dim nucleus. Red is held back once the texels are averaged: the line clips to an
// icy white-aqua with a blue fringe, which stacked copies keep as lace on the red tissue.
Image drawcellc() {
  Image image = drawsprite(64, 4, [](float u, float v) {
    const float r = std::hypot(u, v);
    const float angle = std::atan2(v, u);
    const float outline =
        0.6f + 0.03f * std::sin(5 * angle + 2.1f) + 0.018f * std::sin(9 * angle + 4.2f);
    const float membrane = 12 * bump(r - outline, 0.017f);
    const float inside = 1 - smoothstep(outline - 0.12f, outline - 0.02f, r);
    const float grain = 0.5f + 0.5f * fbm({u * 5, v * 5, 2.1f}, 3, 23);
    const float nr = std::hypot(u - 0.12f, v + 0.08f);
    const float nucleus = 0.14f * bump(nr, 0.06f);
    const Colour rim =
        mixcolour(Colour{0.3f, 0.7f, 1.0f}, Colour{1.0f, 0.8f, 1.0f}, bump(r - outline, 0.032f)) *
        membrane;
    const Colour core = Colour{0.7f, 0.45f, 0.9f} * (inside * (0.04f * grain + nucleus));
    return (rim + core) * spritewindow(r);
  });
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.at(x, y).r = std::fmin(image.at(x, y).r, 0.78f);
  return image;
}

// A cell fringed with short cilia, in amber.
Image drawcelle() {
  const CellLook look{{1.0f, 0.82f, 0.5f}, {0.8f, 0.55f, 0.3f}, 0.52f, 0.06f, 1.0f, 3.3f, 37, 1.0f, 0.22f};
  return drawsprite(64, 4, [&](float u, float v) {
    const float r = std::hypot(u, v);
    const float angle = std::atan2(v, u);
    const float hair = std::pow(std::fabs(std::cos(angle * 12)), 24.0f) *
                       smoothstep(0.55f, 0.62f, r) * (1 - smoothstep(0.68f, 0.8f, r));
    return cell(u, v, look) + Colour{1.0f, 0.8f, 0.45f} * (0.6f * hair * spritewindow(r));
  });
}

// A bead of the growth's strings. Hundreds overlap where the strings bunch, so the ring is thin
// and dim, its glow falls off within a few texels and the middle stays dark. The ring wobbles and
// is brighter on one side, so a string of copies reads as a living chain, not a coil spring.
Image drawcelld() {
  return drawsprite(64, 4, [](float u, float v) {
    const float r = std::hypot(u, v);
    const float angle = std::atan2(v, u);
    const float outline =
        0.52f + 0.035f * std::sin(3 * angle + 0.7f) + 0.02f * std::sin(5 * angle + 2.3f);
    const float bead = bump(std::hypot(u - 0.38f, v - 0.3f), 0.08f);
    const float ring =
        (0.62f + 0.3f * bead) * bump(r - outline, 0.045f) + 0.08f * bump(r - outline, 0.12f);
    return Colour{0.42f, 0.78f, 1.0f} * (ring * spritewindow(r, 0.66f, 0.9f));
  });
}

// A segment of the worm: a bright saturated amber rim with seven small beads on it, a faint bare
// inner fold and a dark middle. Turned at random and piled two hundred deep, the rims read as
// ridged skin and the few beads as glints, where more or bigger beads would spot it like a sponge.
Image drawworma() {
  return drawsprite(128, 3, [](float u, float v) {
    const float r = std::hypot(u, v);
    const float angle = std::atan2(v, u);
    const float rim = 1.4f * bump(r - 0.6f, 0.045f) + 0.45f * bump(r - 0.38f, 0.035f);
    const float beads = std::pow(std::fabs(std::cos(angle * 3.5f)), 50.0f) * bump(r - 0.6f, 0.045f);
    const Colour skin = Colour{1.0f, 0.5f, 0.16f} * rim + Colour{1.0f, 0.85f, 0.55f} * beads;
    return skin * spritewindow(r, 0.72f, 0.92f);
  });
}

// A particle of the growth: round, a wide hot core of saturated teal in a cold blue halo, bright
// enough to read as a spark when it is only a few pixels across.
Image drawsplatb() {
  return drawsprite(32, 6, [](float u, float v) {
    const float r = std::hypot(u, v);
    const Colour core = Colour{0.4f, 1.0f, 0.88f} * bump(r, 0.24f);
    const Colour halo = Colour{0.08f, 0.55f, 1.0f} * (0.45f * bump(r, 0.42f));
    return (core + halo) * spritewindow(r, 0.7f, 0.95f);
  });
}

// ---- spheres and the floor -------------------------------------------------------------------

// The aurora: curtains hanging from a wavering, finely kinked base line in the band above the
// horizon, with a crisp bright green hem at their foot, violet higher up, streaked across and
// brighter in folds. Noise is taken on the circle of azimuths so the curtains close round the dome
// without a seam.
Colour aurora(Vec3 d) {
  const float around = std::atan2(d.z, d.x);
  const Vec3 ring{std::cos(around), std::sin(around), 0.0f};
  const float base = 0.3f + 0.07f * fbm(ring * 1.7f, 3, 76) + 0.035f * fbm(ring * 6.0f, 2, 79);
  const float height = d.y - base;
  const float foot = smoothstep(-0.02f, 0.006f, height);
  const float rise = std::exp(-std::fmax(height, 0.0f) / 0.2f);
  const float hem = bump(height - 0.012f, 0.016f);
  const float streaks = std::pow(0.5f + 0.5f * fbm(ring * 9.0f + Vec3{0, 0, d.y * 2.0f}, 4, 77), 2.0f);
  const float folds = smoothstep(-0.25f, 0.45f, fbm(ring * 2.4f + Vec3{0, 0, 3.0f}, 3, 78));
  const Colour colour = mixcolour(Colour{0.3f, 1.0f, 0.62f}, Colour{0.62f, 0.3f, 0.95f},
                                  smoothstep(0.03f, 0.3f, height));
  return colour * (0.95f * foot * rise * (0.25f + 1.2f * streaks) * folds) +
         Colour{0.3f, 1.0f, 0.62f} * (0.5f * hem * folds * (0.4f + streaks));
}

// The night sky inside the dome: deep blue at the zenith, a glow above the horizon that sinks to
// near black at the horizon itself and below it (the dome's lower half shows past the far edge of
// the floor), a band of nebula clouds with dark lanes arching across, and the aurora.
Colour skycolour(Vec3 d) {
  const Colour zenith{0.02f, 0.03f, 0.1f}, horizon{0.06f, 0.09f, 0.24f};
  const float up = std::pow(smoothstep(0.15f, 0.95f, d.y), 0.6f);
  const float glow = std::exp(-std::fabs(d.y - 0.15f) / 0.35f);
  const float below = 0.02f + 0.98f * smoothstep(-0.15f, 0.06f, d.y);
  // Around the horizon the sky sinks almost to black, the floor's far tone, so the edge of the
  // floor dissolves instead of standing as a dark table-top against a blue band.
  const float settle = 0.12f + 0.88f * smoothstep(0.02f, 0.4f, d.y);
  const Colour base = mixcolour(horizon, zenith, up) * ((0.55f + 0.45f * glow) * below * settle);

  const Vec3 bandnormal{0.38f, 0.52f, 0.76f};
  const float across = dot(d, bandnormal) / length(bandnormal);
  const float band = bump(across, 0.3f);
  const Vec3 q = d * 2.2f + warpvector(d * 1.6f, 4, 71) * 0.9f;
  const float cloud = smoothstep(-0.2f, 0.55f, fbm(q * 1.3f, 6, 72));
  const float lanes = smoothstep(0.05f, 0.45f, fbm(q * 2.8f, 4, 73));
  const float hue = smoothstep(-0.3f, 0.3f, fbm(q * 0.8f, 3, 74));
  const float density = cloud * (1 - 0.7f * lanes) * (0.15f + 0.85f * band);
  const Colour nebula = mixcolour(Colour{0.45f, 0.2f, 0.62f}, Colour{0.1f, 0.42f, 0.58f}, hue);
  const float haze = 0.5f + 0.5f * fbm(d * 5.0f, 3, 75);
  const float above = smoothstep(0.0f, 0.25f, d.y);
  return base * (0.85f + 0.3f * haze) + nebula * (0.45f * density * above) + aurora(d);
}

Image drawskya() {
  constexpr int size = 512;
  return drawtexels(size, [](int x, int y) { return skycolour(spheredirection(x, y, size)); });
}

// The tissue on the background sphere, a tile that repeats across and down without a seam.
// Twenty-four cells around by eight from pole to pole: on the sphere's equator the texture is
// stretched about three times as much across as down, so there the cells come out round, and the
// camera, which sees a sixth of the sphere, has a dozen cells in view rather than a smeared few.
// The sphere is magnified several times on screen, so the walls are thick and bright and the
// nuclei large; a finer web of capillaries and dark grainy cytoplasm fill the cells. The demo
// tints the sphere pure red, so red carries the whole pattern; the walls' crimson and the nuclei's
// rose differ only in the file.
Colour tissuecolour(float x, float y) {
  constexpr int across = 24, down = 8;
  const Vec3 warp = warpvector({x * 4, y * 4, 0.3f}, 3, 81, 4);
  const float wx = (x + 0.025f * warp.x) * across, wy = (y + 0.075f * warp.y) * down;
  const Cells big = cellnoise2(wx, wy, 82, across, down);
  const float gap = big.f2 - big.f1;
  const float wall = bump(gap, 0.1f);
  const float inside = smoothstep(0.0f, 0.3f, gap);
  const Cells fine = cellnoise2(wx * 4, wy * 4, 85, across * 4, down * 4);
  const float capillary = bump(fine.f2 - fine.f1, 0.1f) * inside;
  const float nuclearsize = 0.16f + 0.05f * hashunit(hashmix(big.id));
  const float nucleus =
      0.78f * bump(big.f1 - nuclearsize, 0.035f) +
      0.24f * (1 - smoothstep(nuclearsize - 0.04f, nuclearsize, big.f1)) +
      0.48f * bump(std::hypot(big.nearest.x + 0.04f - wx, big.nearest.y - wy), 0.035f);
  // Grain at the scale of single texels: magnified on screen it is what keeps the tissue from
  // reading as a smooth wash.
  const float grain = 0.5f + 0.5f * fbm({x * 64, y * 64, 0.6f}, 2, 83, 64);
  const Colour crimson{1.0f, 0.22f, 0.28f}, rose{0.9f, 0.32f, 0.62f};
  return crimson * (0.9f * wall + inside * (0.01f + 0.06f * grain * grain)) +
         rose * (0.45f * capillary + nucleus * inside);
}

Image drawbga() {
  constexpr int size = 256;
  return drawtexels(
      size, [](int x, int y) { return tissuecolour((x + 0.5f) / size, (y + 0.5f) / size); });
}

// Frozen ground that repeats on both axes: small plates of deep blue-black ice split by soft
// frosted cracks two to three texels wide (the floor is drawn without mipmaps, so a one-texel crack
// breaks into crawling dashes in the distance), with faint dark drifts of snow; the plates stay
// dark, so the floor melts into the night at its far edge. All noise is periodic with the image,
// so the four repeats join invisibly; the plates are many and alike and the warp gentle, so no
// single crack stands out to repeat across the floor.
Colour groundcolour(float x, float y) {
  constexpr int platecells = 10, finecells = 26, mottleperiod = 6, driftperiod = 3;
  const Vec3 warp = warpvector({x * 5, y * 5, 0}, 3, 91, 5) * 0.05f;
  const float wx = x + warp.x, wy = y + warp.y;
  const Cells plates = cellnoise2(wx * platecells, wy * platecells, 92, platecells, platecells);
  const Cells fine = cellnoise2(wx * finecells, wy * finecells, 93, finecells, finecells);
  const float crack = 1 - smoothstep(0.0f, 0.045f, plates.f2 - plates.f1);
  const float finecrack = 1 - smoothstep(0.0f, 0.06f, fine.f2 - fine.f1);
  const float tone = 0.8f + 0.35f * hashunit(hashmix(plates.id));
  const float mottle = fbm({x * mottleperiod, y * mottleperiod, 0.75f}, 5, 94, mottleperiod);
  const float drift =
      smoothstep(0.1f, 0.6f, fbm({x * driftperiod, y * driftperiod, 0.1f}, 4, 95, driftperiod));
  const Colour ice = Colour{0.04375f, 0.075f, 0.175f} * (tone * (0.85f + 0.3f * mottle));
  const Colour frost = Colour{0.7f, 0.85f, 1.0f};
  const Colour cracked = mixcolour(mixcolour(ice, frost, 0.16f * finecrack), frost, 0.6f * crack);
  const Colour snow = Colour{0.12f, 0.16f, 0.26f} * (0.92f + 0.12f * mottle);
  return mixcolour(cracked, snow, drift * 0.35f);
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
    // Chrome: a bright sky in the upper half of each letter, a dark horizon just below the
    // middle, then a cooler glint rising again toward the baseline.
    const float up = (logobaseline - py) / (1.4f * logoscale);
    const float sky = 0.7f + 0.3f * smoothstep(0.5f, 0.95f, up);
    const float ground = 0.35f + 0.45f * smoothstep(0.42f, 0.05f, up);
    const float light = up > 0.46f ? sky : ground;
    const Colour tint = up > 0.46f ? Colour{0.88f, 0.96f, 1.0f} : Colour{0.62f, 0.86f, 1.0f};
    return letters > rule ? tint * (letters * light) : Colour{0.85f, 0.93f, 1.0f} * rule;
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

// ---- contact sheet and frames sheet -----------------------------------------------------------

constexpr int sheetgap = 16, sheetlabel = 30;

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

// The image scaled to a tilewidth-wide tile: averaged over the texels a tile pixel covers when
// shrinking, interpolated when enlarging.
Colour tilepixel(const Image& image, int tilewidth, int x, int y) {
  const float scale = static_cast<float>(image.width()) / tilewidth;
  const int n = std::max(1, static_cast<int>(std::ceil(scale)));
  Colour sum{0, 0, 0};
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      sum = sum + sample(image, (x + (i + 0.5f) / n) * scale, (y + (j + 0.5f) / n) * scale);
  return sum * (1.0f / (n * n));
}

void drawlabel(Image& sheet, const std::string& text, int left, int top, int width) {
  constexpr float scale = 11.0f, half = 0.9f;
  const float start = left + (width - TextLine::measure(text, 0.35f) * scale) / 2;
  const TextLine line(text, start, top + 19.0f, scale, 0.35f);
  for (int y = top; y < top + sheetlabel; ++y)
    for (int x = left; x < left + width; ++x) {
      const float ink = clamp01(half - line.distance(x + 0.5f, y + 0.5f) + 0.5f);
      sheet.at(x, y) = mixcolour(sheet.at(x, y), Colour{0.85f, 0.85f, 0.85f}, ink);
    }
}

// The images in rows of `columns` tiles, each tilewidth wide (as high as its image's aspect
// asks) and labelled underneath.
Image drawsheet(const std::vector<Image>& images, const std::vector<std::string>& labels,
                int columns, int tilewidth) {
  const int tileheight = images.front().height() * tilewidth / images.front().width();
  const int rows = (static_cast<int>(images.size()) + columns - 1) / columns;
  const int cellw = tilewidth + sheetgap, cellh = tileheight + sheetlabel + sheetgap;
  Image sheet(sheetgap + columns * cellw, sheetgap + rows * cellh);
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x) sheet.at(x, y) = Colour{0.16f, 0.16f, 0.17f};
  for (size_t k = 0; k < images.size(); ++k) {
    const int left = sheetgap + static_cast<int>(k % columns) * cellw;
    const int top = sheetgap + static_cast<int>(k / columns) * cellh;
    for (int y = 0; y < tileheight; ++y)
      for (int x = 0; x < tilewidth; ++x)
        sheet.at(left + x, top + y) = tilepixel(images[k], tilewidth, x, y);
    drawlabel(sheet, labels[k], left, top + tileheight, tilewidth);
  }
  return sheet;
}

// A rendered frame as an Image, or an empty optional if it cannot be read.
std::optional<Image> loadframe(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return std::nullopt;
  png.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) return std::nullopt;
  Image image(static_cast<int>(png.width), static_cast<int>(png.height));
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const unsigned char* p = &rgb[(static_cast<size_t>(y) * image.width() + x) * 3];
      image.at(x, y) = Colour{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
    }
  return image;
}

// "frames/tessivar-042.500.png" -> "42.5 s": the renderer names each frame by its demo time.
std::string framelabel(const std::string& path) {
  const std::string name = std::filesystem::path(path).stem().string();
  const size_t dash = name.rfind('-');
  char label[32];
  std::snprintf(label, sizeof label, "%g s", std::atof(name.c_str() + (dash + 1)));
  return label;
}

int framessheet(const std::string& out, const std::vector<std::string>& paths) {
  std::vector<Image> frames;
  std::vector<std::string> labels;
  for (const std::string& path : paths) {
    std::optional<Image> frame = loadframe(path);
    if (!frame || (!frames.empty() && (frame->width() != frames.front().width() ||
                                       frame->height() != frames.front().height()))) {
      std::fprintf(stderr, "tessivar-texgen: %s is not a frame like the others\n", path.c_str());
      return 1;
    }
    frames.push_back(std::move(*frame));
    labels.push_back(framelabel(path));
  }
  if (!writeimage(out, drawsheet(frames, labels, 4, 320))) {
    std::fprintf(stderr, "tessivar-texgen: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: tessivar-texgen DATADIR [--sheet FILE]\n"
               "       tessivar-texgen --frames-sheet FILE FRAME.png...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (!keepstandarddescriptors()) return 1;
  if (askedversion(argc, argv)) return printversion("tessivar-texgen");
  if (argc >= 4 && std::strcmp(argv[1], "--frames-sheet") == 0)
    return framessheet(argv[2], std::vector<std::string>(argv + 3, argv + argc));
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--sheet") == 0)) return usage();
  const std::string datadir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(datadir, error);
  std::vector<Image> images;
  std::vector<std::string> labels;
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
    labels.push_back(std::string(entry.name) + "  " + std::to_string(entry.size));
  }
  if (argc == 4 && !writeimage(argv[3], drawsheet(images, labels, 6, 192))) {
    std::fprintf(stderr, "tessivar-texgen: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
