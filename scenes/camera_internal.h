#pragma once
// The camera at a given demo time, open to its tests.
#include "scenes/camera.h"

// Loads the view for demo time t (camera() does this for t = 149 * progress).
void cameraat(double t);
