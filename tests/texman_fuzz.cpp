// libFuzzer target for the PNG texture loader: every input is a file on disk that the loader must
// survive, asked for at the side its header claims so that inputs reach the decoder.
#include <GL/gl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "toolkit/texman.h"

// The loader's calls into GL, answered here without a driver. The upload reads every texel it is
// handed, so that a buffer shorter than size x size words shows under AddressSanitizer.
extern "C" {
void glGenTextures(GLsizei count, GLuint* names) {
  for (GLsizei i = 0; i < count; ++i) names[i] = 1;
}
void glBindTexture(GLenum, GLuint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTexParameterf(GLenum, GLenum, GLfloat) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei width, GLsizei height, GLint, GLenum, GLenum,
                  const GLvoid* pixels) {
  const auto* bytes = static_cast<const volatile unsigned char*>(pixels);
  for (size_t i = 0; i < static_cast<size_t>(width) * height * 4; ++i) (void)bytes[i];
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("texman_fuzz", 0);
  static char path[40];
  if (!path[0]) std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  // The width in the header where it is a side the demo could ask for, else a common one.
  unsigned int side = 64;
  if (size >= 20) {
    const unsigned int width = static_cast<unsigned int>(data[16]) << 24 | data[17] << 16 |
                               data[18] << 8 | data[19];
    if (width >= 1 && width <= 1024) side = width;
  }
  inittexman();
  loadpngtex(path, side);
  freetexman();
  return 0;
}
