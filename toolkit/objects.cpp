#include "objects.h"

// Placeholder until the primitives land.
void sphere(float, int) {}
void sphere(float, float, float, float, float, float, float, int) {}
void sphere(float, float, float, float, float, float, float, float, float, float, int) {}
void setuptex(int) {}
void setupmultitex(int, int) {}
void resettex() {}
void initprimitives() {}
void freeprimitives() {}
void initstencil() {}
void freestencil() {}
