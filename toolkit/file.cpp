#include "toolkit/file.h"

int readbyte(FILE* f) {
  const int c = std::fgetc(f);
  return c == EOF ? 255 : c;
}

unsigned int readint(FILE* f) {
  unsigned int value = 0;
  for (int i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned int>(readbyte(f));
  return value;
}
