#pragma once
// Frames timed one per iteration as the benchmark's manual time, with the median and the
// worst frame in milliseconds as the counters "median_ms" and "worst_ms" (a player sees the
// worst frame stutter, which a mean hides).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

// False when no frame ran.
template <class Frame>
bool TimeFrames(benchmark::State& state, Frame&& frame) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> times;
  times.reserve(1 << 16);
  for (auto _ : state) {
    Clock::time_point begin = Clock::now();
    frame();
    double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    state.SetIterationTime(seconds);
    if (times.size() < times.capacity()) times.push_back(seconds);
  }
  if (times.empty()) return false;
  std::sort(times.begin(), times.end());
  state.counters["median_ms"] = times[times.size() / 2] * 1e3;
  state.counters["worst_ms"] = times.back() * 1e3;
  return true;
}

}  // namespace bench
