#include "mainscene.h"

// Placeholder: this effect is not built yet and draws nothing.
void initmainscene() {}
void mainscene(float) {}
void freemainscene() {}
