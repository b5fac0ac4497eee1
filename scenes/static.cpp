#include "static.h"

// Placeholder: this effect is not built yet and draws nothing.
void initpstatic() {}
void pstatic(float) {}
void freepstatic() {}
