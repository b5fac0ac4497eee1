#include "cells.h"

// Placeholder: this effect is not built yet and draws nothing.
void initcells() {}
void cells(float) {}
void cells_2(float) {}
void freecells() {}
