#include "floaters.h"

// Placeholder: this effect is not built yet and draws nothing.
void initfloaters() {}
void floaters(float) {}
void freefloaters() {}
