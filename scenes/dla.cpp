#include "dla.h"

// Placeholder: this effect is not built yet and draws nothing.
void initdla() {}
void dla(float) {}
void freedla() {}
