#pragma once
// Sharing independent pieces of the soundtrack's work out over the machine's cores.
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace musicgen {

// Runs task(0) .. task(count - 1), each exactly once, on up to `threads` threads, the caller's
// among them. Tasks start in index order. The helpers compute in the caller's floating-point mode
// (denormals flushed or not), or their samples would differ from the caller's.
template <class F>
void parallel(size_t count, int threads, F task) {
#if defined(__SSE__)
  const unsigned int mode = _mm_getcsr();
#endif
  std::atomic<size_t> next{0};
  auto work = [&] {
#if defined(__SSE__)
    _mm_setcsr(mode);
#endif
    for (size_t i = next++; i < count; i = next++) task(i);
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads && static_cast<size_t>(t) < count; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace musicgen
