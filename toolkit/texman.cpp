#include "texman.h"

// Placeholder until the texture manager lands: nothing loads, scenes draw untextured.
void inittexman() {}
void freetexman() {}
void addtexid(const char*, unsigned int) {}
int gettexid(const char*) { return -1; }
unsigned int createtex(int, unsigned int*) { return 0; }
unsigned int loadpngtex(const char*, unsigned int) { return 0; }
unsigned int loadzibtex(const char*, unsigned int) { return 0; }
unsigned int createringtex(unsigned int) { return 0; }
unsigned int createemptytex(int) { return 0; }
