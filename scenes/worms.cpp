#include "worms.h"

// Placeholder: this effect is not built yet and draws nothing.
void initworms() {}
void worms(float) {}
void worms_2(float) {}
void worms_3(float) {}
void freeworms() {}
