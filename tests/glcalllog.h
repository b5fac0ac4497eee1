#pragma once
// Logs the GL calls of the demo's drawing code: these definitions take the place of the GL
// library's entry points in the test program (include from one file only), note each call while
// logging is on and pass it on. Also counts the draws taken from the C library generator.
#include <GL/gl.h>
#include <GL/glext.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace glcalllog {
inline bool logging = false;
inline std::vector<std::string> calls;
// Array draws are logged as the glVertex3f calls that would send the same positions.
inline const char* positions = nullptr;
inline GLsizei positionstride = 0;

template <typename... Args>
void note(const char* name, Args... args) {
  if (!logging) return;
  std::ostringstream line;
  line.precision(9);
  line << name;
  ((line << ' ' << args), ...);
  calls.push_back(line.str());
}

template <typename Draw>
std::vector<std::string> record(Draw draw) {
  calls.clear();
  logging = true;
  draw();
  logging = false;
  return calls;
}

inline int count(const std::vector<std::string>& log, const std::string& prefix) {
  int n = 0;
  for (const std::string& call : log) n += call.compare(0, prefix.size(), prefix) == 0;
  return n;
}

// The centres of the sprite quads (four glVertex3f each) in a log.
inline std::vector<std::vector<float>> centres(const std::vector<std::string>& log) {
  std::vector<std::vector<float>> out;
  int corner = 0;
  for (const std::string& call : log) {
    float v[3];
    if (std::sscanf(call.c_str(), "glVertex3f %f %f %f", &v[0], &v[1], &v[2]) != 3) continue;
    if (corner++ % 4 == 0) out.emplace_back(3, 0.0f);
    for (int a = 0; a < 3; ++a) out.back()[a] += v[a] / 4;
  }
  return out;
}
}  // namespace glcalllog

// rand() values taken since srand(seed), found from the next three values (which it takes).
inline int drawssince(unsigned int seed, int limit = 100000) {
  const int next[3] = {std::rand(), std::rand(), std::rand()};
  std::srand(seed);
  std::vector<int> sequence(limit + 3);
  for (int& v : sequence) v = std::rand();
  for (int k = 0; k <= limit; ++k)
    if (sequence[k] == next[0] && sequence[k + 1] == next[1] && sequence[k + 2] == next[2])
      return k;
  return -1;
}

// Each entry point notes its call and passes it on to the GL library's own.
#define GLCALL_FORWARD(name, ...)                                                            \
  glcalllog::note(#name, ##__VA_ARGS__);                                                     \
  static const auto next##name = reinterpret_cast<decltype(&name)>(dlsym(RTLD_NEXT, #name)); \
  next##name(__VA_ARGS__)

extern "C" {
void glBegin(GLenum mode) { GLCALL_FORWARD(glBegin, mode); }
void glEnd() { GLCALL_FORWARD(glEnd); }
void glVertex2f(GLfloat x, GLfloat y) { GLCALL_FORWARD(glVertex2f, x, y); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { GLCALL_FORWARD(glVertex3f, x, y, z); }
void glTexCoord2f(GLfloat s, GLfloat t) { GLCALL_FORWARD(glTexCoord2f, s, t); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { GLCALL_FORWARD(glNormal3f, x, y, z); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { GLCALL_FORWARD(glColor3f, r, g, b); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { GLCALL_FORWARD(glColor4f, r, g, b, a); }
void glEnable(GLenum cap) { GLCALL_FORWARD(glEnable, cap); }
void glDisable(GLenum cap) { GLCALL_FORWARD(glDisable, cap); }
void glBlendFunc(GLenum s, GLenum d) { GLCALL_FORWARD(glBlendFunc, s, d); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { GLCALL_FORWARD(glTranslatef, x, y, z); }
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) { GLCALL_FORWARD(glRotatef, a, x, y, z); }
void glPushMatrix() { GLCALL_FORWARD(glPushMatrix); }
void glPopMatrix() { GLCALL_FORWARD(glPopMatrix); }
void glLoadIdentity() { GLCALL_FORWARD(glLoadIdentity); }
void glMatrixMode(GLenum mode) { GLCALL_FORWARD(glMatrixMode, mode); }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  GLCALL_FORWARD(glOrtho, l, r, b, t, n, f);
}
void glBindTexture(GLenum target, GLuint tex) { GLCALL_FORWARD(glBindTexture, target, tex); }
void glLineWidth(GLfloat width) { GLCALL_FORWARD(glLineWidth, width); }
void glHint(GLenum target, GLenum mode) { GLCALL_FORWARD(glHint, target, mode); }
void glTexEnvf(GLenum target, GLenum name, GLfloat value) {
  GLCALL_FORWARD(glTexEnvf, target, name, value);
}
void glTexGeni(GLenum c, GLenum name, GLint value) { GLCALL_FORWARD(glTexGeni, c, name, value); }
void glActiveTextureARB(GLenum unit) { GLCALL_FORWARD(glActiveTextureARB, unit); }
void glMultiTexCoord2fARB(GLenum unit, GLfloat s, GLfloat t) {
  GLCALL_FORWARD(glMultiTexCoord2fARB, unit, s, t);
}
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* data) {
  glcalllog::positions = static_cast<const char*>(data);
  glcalllog::positionstride = stride ? stride : size * GLsizei(sizeof(GLfloat));
  static const auto next = reinterpret_cast<decltype(&glVertexPointer)>(dlsym(RTLD_NEXT, "glVertexPointer"));
  next(size, type, stride, data);
}
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  for (GLint i = first; i < first + count; ++i) {
    const auto* v = reinterpret_cast<const GLfloat*>(glcalllog::positions + i * glcalllog::positionstride);
    glcalllog::note("glVertex3f", v[0], v[1], v[2]);
  }
  static const auto next = reinterpret_cast<decltype(&glDrawArrays)>(dlsym(RTLD_NEXT, "glDrawArrays"));
  next(mode, first, count);
}
}
#undef GLCALL_FORWARD
