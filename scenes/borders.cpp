#include "borders.h"

// Placeholder: this effect is not built yet and draws nothing.
void initborders() {}
void borders(float) {}
void freeborders() {}
