#include "toolkit/tarvok.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "toolkit/font.h"
#include "toolkit/objects.h"

namespace {
int scrw = 1024;
int scrh = 768;
int bpp = 32;
bool fullscreen = true;
bool soundon = true;
bool inverted = false;
bool driverFallback = false;
bool demodone = false;

float smatrix[16];

// The sprite batch: texture coordinate, colour and position of every corner, gathered here and sent
// in one draw when the batch ends. The vector keeps its room from frame to frame.
constexpr Interleaved spritelayout{9, 0, 2, 4, -1, 6};
std::vector<float> spritevertices;
float spritergba[4] = {1, 1, 1, 1};
bool spritecoloured = false;

void spritevertex(float s, float t, float x, float y, float z) {
  const float* c = spritergba;
  spritevertices.insert(spritevertices.end(), {s, t, c[0], c[1], c[2], c[3], x, y, z});
}

// A batch given no colour draws in the current one as a constant, as immediate vertices without a
// colour of their own do: rasterizers may round an interpolated colour a step differently.
void drawsprites() {
  if (spritevertices.empty()) return;
  Interleaved layout = spritelayout;
  if (!spritecoloured) layout.colour = -1;
  const int count = static_cast<int>(spritevertices.size()) / layout.stride;
  drawinterleaved(GL_QUADS, spritevertices.data(), count, layout);
  // What the last corner would have left current, had the corners gone one call at a time.
  glTexCoord2f(0, 1);
}
}  // namespace

void setscrd(int w, int h) {
  scrw = w;
  scrh = h;
}
int getscrw() { return scrw; }
int getscrh() { return scrh; }
void setbpp(int b) { bpp = b; }
int getbpp() { return bpp; }
void setfullscreen(bool on) { fullscreen = on; }
bool getfullscreen() { return fullscreen; }
void setDriverFallback(bool on) { driverFallback = on; }
bool isDriverFallback() { return driverFallback; }
void setsoundon(bool on) { soundon = on; }
bool getsoundon() { return soundon; }
void setinverted(bool on) { inverted = on; }
bool getinverted() { return inverted; }
void enddemo() { demodone = true; }
bool getdemo() { return demodone; }

void perspective2DBegin(const int& w, const int& h) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void perspective2DEnd() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void viewReset() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const float aspect = static_cast<float>(scrw) / static_cast<float>(scrh);
  gluPerspective(45, aspect, 0.01f, 10000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void beginsprites(unsigned int texture) {
  glGetFloatv(GL_MODELVIEW_MATRIX, smatrix);
  glPushMatrix();
  glLoadIdentity();
  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_TEXTURE_2D);
  // Sprites take the current colour until the batch is given one.
  glGetFloatv(GL_CURRENT_COLOR, spritergba);
  spritecoloured = false;
  spritevertices.clear();
}

void spritecolour(float r, float g, float b) {
  spritergba[0] = r;
  spritergba[1] = g;
  spritergba[2] = b;
  spritergba[3] = 1;
  spritecoloured = true;
}

void rendersprite(float x, float y, float z, float angle, float size) {
  const float* m = smatrix;
  const float ex = m[0] * x + m[4] * y + m[8] * z + m[12];
  const float ey = m[1] * x + m[5] * y + m[9] * z + m[13];
  const float ez = m[2] * x + m[6] * y + m[10] * z + m[14];
  if (angle == 0) {
    spritevertex(0, 0, ex - size, ey - size, ez);
    spritevertex(1, 0, ex + size, ey - size, ez);
    spritevertex(1, 1, ex + size, ey + size, ez);
    spritevertex(0, 1, ex - size, ey + size, ez);
    return;
  }
  // Turned sprites start from the top-left corner, so their texture is mirrored top to bottom.
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float corners[4][4] = {
      {0, 0, -size, size}, {1, 0, size, size}, {1, 1, size, -size}, {0, 1, -size, -size}};
  for (const auto& k : corners)
    spritevertex(k[0], k[1], ex + (k[2] * c - k[3] * s), ey + (k[2] * s + k[3] * c), ez);
}

void endsprites() {
  drawsprites();
  if (spritecoloured) glColor3f(spritergba[0], spritergba[1], spritergba[2]);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  glPopMatrix();
}

float cosineinterpolate(float a, float b, float x) {
  const double f = (1.0 - std::cos(3.141592 * x)) * 0.5;
  return static_cast<float>(a * (1.0 - f) + b * f);
}

float sineinterpolate(float a, float b, float x) {
  const double s = std::sin(1.570796 * x);
  return static_cast<float>(a * (1.0 - s) + b * s);
}

float sineinterpolate2(float a, float b, float x) {
  const double s = std::sin(3.141592 * x);
  return static_cast<float>(a * s + b * (1.0 - s));
}

float randfloat() { return static_cast<float>((std::rand() % 25000) * 0.00004); }

void beginadditive(unsigned int src) {
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(src, GL_ONE);
  glEnable(GL_BLEND);
}

void endadditive() {
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

int timeseed(float t) { return static_cast<int>(static_cast<double>(t) * 100000.0); }

namespace {
void fadequad(const float* colour) {
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  perspective2DBegin(640, 480);
  if (colour) glColor4f(colour[0], colour[1], colour[2], colour[3]);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(640, 0);
  glVertex2f(640, 480);
  glVertex2f(0, 480);
  glEnd();
  perspective2DEnd();
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}
}  // namespace

void fullscreenfade() { fadequad(nullptr); }

void fullscreenfade(float r, float g, float b, float a) {
  const float colour[] = {r, g, b, a};
  fadequad(colour);
}

void texturedoverlay() {
  perspective2DBegin(640, 480);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(0, 0);
  glTexCoord2f(0, 0);
  glVertex2f(0, 480);
  glTexCoord2f(1, 0);
  glVertex2f(640, 480);
  glTexCoord2f(1, 1);
  glVertex2f(640, 0);
  glEnd();
  perspective2DEnd();
}

void renderloadingbar(float p) {
  const float a = p <= 0.75f ? 1.0f : 1.0f - 4.0f * (p - 0.75f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  viewReset();
  perspective2DBegin(512, 384);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);

  glColor4f(0.2f, 0.7f, 0.9f, a);
  glBegin(GL_QUADS);
  glVertex2f(194, 194);
  glVertex2f(194 + 124 * p, 194);
  glVertex2f(194 + 124 * p, 198);
  glVertex2f(194, 198);
  glEnd();

  glColor4f(1, 1, 1, a);
  glLineWidth(scrw * 0.0009765625f);
  glBegin(GL_LINE_STRIP);
  glVertex2f(194, 194);
  glVertex2f(318, 194);
  glVertex2f(318, 198);
  glVertex2f(194, 198);
  glVertex2f(194, 194);
  glEnd();
  perspective2DEnd();

  // The title text swings in over the first half; its transforms stay on the model-view matrix.
  float ta = a;
  if (p < 0.5f) {
    const float k = 2 * (0.5f - p);
    ta = (1 - k) * a;
    glRotatef(static_cast<float>(k * (-50 * std::cos(3.141592 * p))), 0, 0, 1);
  }
  glTranslatef(-2.9f, 0.21f, -20.0f);
  glColor4f(0.2f, 0.7f, 0.9f, ta);
  text3d("*");
  glTranslatef(0.04f, 0, 0);
  glColor4f(1, 1, 1, ta);
  text3d("zib");
  glDisable(GL_BLEND);
}

int foundinstring(char* text, const char* word) {
  const size_t length = std::strlen(text);
  if (length == 0) return 0;
  for (size_t start = 0; start < length; ++start) {
    // Lines begin at 0 or right after a newline, but never at position 1.
    if (start > 0 && (start < 2 || text[start - 1] != '\n')) continue;
    size_t k = 0;
    for (size_t i = start; i < length && text[i] != '\n'; ++i) {
      if (text[i] == word[k]) ++k;
      const bool lastofline = i + 1 < length && text[i + 1] == '\n';
      if (lastofline && word[k] == '\0') return 1;
    }
  }
  return 0;
}
