#include "cells2.h"

// Placeholder: this effect is not built yet and draws nothing.
void initcells2() {}
void cells2(float) {}
void cells2_2(float) {}
void cells2_3(float) {}
void cells2_4(float) {}
void freecells2() {}
