#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "file.h"
// Textures: PNG and raw files cached by name, procedural and empty render-target textures.

void inittexman();
void freetexman();
void addtexid(const char* file, unsigned int id);
int gettexid(const char* file);
unsigned int createtex(int size, unsigned int* pixels);
unsigned int loadpngtex(const char* file, unsigned int size);
unsigned int loadzibtex(const char* file, unsigned int size);
unsigned int createringtex(unsigned int size);
unsigned int createemptytex(int size);

// The first load since inittexman that failed, as "FILE: reason", or empty when none has. The
// player draws such scenes untextured; the tools refuse to.
const std::string& texturefailure();

// The ring texture's steps, open for checking: the sharp ring (255 between radius 30 and 52
// around texel (size/2, size/2), else 0) and one blur pass from a into b over a size x size grid.
std::vector<unsigned int> ringmask(unsigned int size);
void ringblur(const unsigned int* a, unsigned int* b, unsigned int size);
