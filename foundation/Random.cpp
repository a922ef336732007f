#include "foundation/Random.h"

#include <chrono>
#include <random>

namespace {

std::mt19937_64& Generator() {
  static std::mt19937_64 generator(0x7a5e11u);
  return generator;
}

}  // namespace

int32_t Random(int32_t n) {
  if (n <= 0) return 0;
  return static_cast<int32_t>(std::uniform_int_distribution<int64_t>(0, int64_t(n) - 1)(Generator()));
}

double RandomFloat() { return std::uniform_real_distribution<double>(0.0, 1.0)(Generator()); }

void SetRandomSeed(uint64_t seed) { Generator().seed(seed); }

void Randomize() {
  SetRandomSeed(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}
