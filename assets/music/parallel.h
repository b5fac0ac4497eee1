#pragma once
// Sharing independent pieces of the soundtrack's work out over the machine's cores.
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace musicgen {

// Runs task(0) .. task(count - 1), each exactly once, on up to `threads` threads, the caller's
// among them. Tasks start in index order. New threads start in their creator's floating-point
// mode (denormals flushed), so every thread computes the same samples.
template <class F>
void parallel(size_t count, int threads, F task) {
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < count; i = next++) task(i);
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads && static_cast<size_t>(t) < count; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace musicgen
