#pragma once
// The shadow list's size, open to its tests.
#include "toolkit/objects.h"

// How many models are registered for shadows this frame (at most 1000).
unsigned int getstencilcount();
