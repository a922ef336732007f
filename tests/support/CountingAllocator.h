#pragma once
// Replaces the global allocation functions of a test binary so that a test can count the
// allocations made while it watches: per-frame paths must allocate nothing. Include this
// header in exactly one source file of a test binary (it defines the replacements); other
// files of the binary define COUNTING_ALLOCATOR_COUNTERS_ONLY before including it and get
// the counters alone.

#include <atomic>
#include <cstdlib>
#include <new>

namespace allocation_count {
inline std::atomic<bool> counting{false};
inline std::atomic<long> allocations{0};

inline void* Allocate(size_t size) {
  if (counting) ++allocations;
  return std::malloc(size ? size : 1);
}

// Allocations per call of `step`, counted over `calls` calls.
template <class F>
double PerCall(int calls, F&& step) {
  allocations = 0;
  counting = true;
  for (int i = 0; i < calls; ++i) step();
  counting = false;
  return double(allocations) / calls;
}
}  // namespace allocation_count

#ifndef COUNTING_ALLOCATOR_COUNTERS_ONLY
// The replacements pair malloc with free; the compiler cannot see that they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  if (void* p = allocation_count::Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) {
  if (void* p = allocation_count::Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return allocation_count::Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return allocation_count::Allocate(size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
#endif
