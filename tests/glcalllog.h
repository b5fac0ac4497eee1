#pragma once
// A log of the GL calls the demo's drawing code makes. Including this header in one test file
// puts these definitions in the test program, where they take the place of the GL library's
// entry points; each one notes its call while logging is on and then calls the library's own.
// Only one file of a test program may include it.
#include <GL/gl.h>
#include <GL/glext.h>
#include <dlfcn.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace glcalllog {
inline bool logging = false;
inline std::vector<std::string> calls;

template <typename... Args>
void note(const char* name, Args... args) {
  if (!logging) return;
  std::ostringstream line;
  line.precision(9);
  line << name;
  ((line << ' ' << args), ...);
  calls.push_back(line.str());
}

template <typename F>
F library(const char* name) {
  void* entry = dlsym(RTLD_NEXT, name);
  if (!entry) std::abort();
  return reinterpret_cast<F>(entry);
}

// Runs draw with logging on and returns the calls it made.
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

// The glVertex3f calls of a log as x, y, z triples.
inline std::vector<std::vector<float>> vertices(const std::vector<std::string>& log) {
  std::vector<std::vector<float>> out;
  for (const std::string& call : log) {
    if (call.compare(0, 11, "glVertex3f ") != 0) continue;
    std::istringstream in(call.substr(11));
    std::vector<float> v(3);
    in >> v[0] >> v[1] >> v[2];
    out.push_back(v);
  }
  return out;
}
}  // namespace glcalllog

#define GLCALL_FORWARD(name, ...)                                                 \
  glcalllog::note(#name, ##__VA_ARGS__);                                          \
  static const auto library##name = glcalllog::library<decltype(&name)>(#name); \
  library##name(__VA_ARGS__)

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
void glBindTexture(GLenum target, GLuint texture) { GLCALL_FORWARD(glBindTexture, target, texture); }
void glLineWidth(GLfloat width) { GLCALL_FORWARD(glLineWidth, width); }
void glHint(GLenum target, GLenum mode) { GLCALL_FORWARD(glHint, target, mode); }
void glTexEnvf(GLenum target, GLenum name, GLfloat value) {
  GLCALL_FORWARD(glTexEnvf, target, name, value);
}
void glTexGeni(GLenum coord, GLenum name, GLint value) { GLCALL_FORWARD(glTexGeni, coord, name, value); }
void glActiveTextureARB(GLenum unit) { GLCALL_FORWARD(glActiveTextureARB, unit); }
void glMultiTexCoord2fARB(GLenum unit, GLfloat s, GLfloat t) {
  GLCALL_FORWARD(glMultiTexCoord2fARB, unit, s, t);
}
}
#undef GLCALL_FORWARD
