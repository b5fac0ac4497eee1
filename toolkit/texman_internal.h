#pragma once
// The ring texture's steps, open to its tests.
#include <vector>

#include "toolkit/texman.h"

// The sharp ring (255 between radius 30 and 52 around texel (size/2, size/2), else 0) and one
// blur pass from a into b over a size x size grid.
std::vector<unsigned int> ringmask(unsigned int size);
void ringblur(const unsigned int* a, unsigned int* b, unsigned int size);
