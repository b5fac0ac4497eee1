#include "particles.h"

// Placeholder: this effect is not built yet and draws nothing.
void initparticles() {}
void particles(float) {}
void freeparticles() {}
