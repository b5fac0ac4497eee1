#pragma once
// How many values a piece of drawing code took from the C library generator.
#include <cstdlib>
#include <vector>

// The position of the generator's next values in the sequence of srand(seed): the number of
// rand() values taken since that srand. Reads (and so takes) three values; -1 if not found.
inline int drawssince(unsigned int seed, int limit = 100000) {
  const int next[3] = {std::rand(), std::rand(), std::rand()};
  std::srand(seed);
  std::vector<int> sequence(limit + 3);
  for (int& v : sequence) v = std::rand();
  for (int k = 0; k <= limit; ++k)
    if (sequence[k] == next[0] && sequence[k + 1] == next[1] && sequence[k + 2] == next[2])
      return k;
  return -1;
}

// Runs draw after srand(start) and returns how many values it took since srand(seed), the seed
// the code under test sets itself (seed == start when it sets none).
template <typename Draw>
int drawcount(unsigned int seed, Draw draw, unsigned int start = 12345) {
  std::srand(start);
  draw();
  return drawssince(seed);
}
