#pragma once
// Textures: PNG and raw files cached by name, procedural and empty render-target textures.
#include <cstdio>
#include <string>
#include <vector>

#include "toolkit/file.h"

void inittexman();
void freetexman();
void addtexid(const char* file, unsigned int id);
int gettexid(const char* file);
unsigned int createtex(int size, unsigned int* pixels);
unsigned int loadpngtex(const char* file, unsigned int size);
unsigned int loadzibtex(const char* file, unsigned int size);
unsigned int createringtex(unsigned int size);
unsigned int createemptytex(int size);

// A file that failed to load, why, and the errno value behind it where there is one (ENOENT for a
// missing file, ENOMEM when memory ran out), else 0.
struct TextureFailure {
  std::string file, reason;
  int error;
};
// Every file that failed to load since inittexman, once each, in order. The player draws such
// scenes untextured and says so; the tools refuse to draw.
const std::vector<TextureFailure>& texturefailures();
