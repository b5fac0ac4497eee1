#pragma once
// Textures: PNG and raw files cached by name, procedural and empty render-target textures.
#include <cstdio>
#include <string>

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

// The first load since inittexman that failed, as "FILE: reason", or empty when none has. The
// player draws such scenes untextured; the tools refuse to.
const std::string& texturefailure();
