#pragma once
// The static's schedule and drawing at a given demo time, open to its tests.
#include "scenes/static.h"

// The noise schedule: whether the static shows at demo time t and with what strength.
bool staticstrength(double t, float& strength);
// Draws the static for demo time t (pstatic() does this for t = 149 * progress).
void pstaticat(double t);
