#include "foundation/Random.h"

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>

#include "foundation/Warnings.h"

namespace {

std::mt19937_64& Generator() {
  static std::mt19937_64 generator(0x7a5e11u);
  return generator;
}

}  // namespace

int32_t Random(int32_t n) {
  if (n <= 0) return 0;
  return static_cast<int32_t>(
      std::uniform_int_distribution<int64_t>(0, int64_t(n) - 1)(Generator()));
}

double RandomFloat() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(Generator());
}

void SetRandomSeed(uint64_t seed) {
  Generator().seed(seed);
}

void Randomize() {
  // Headless runs that must repeat themselves fix the seed from the environment.
  if (const char* fixed = std::getenv("GAME_RANDOM_SEED"); fixed && *fixed) {
    char* end = nullptr;
    unsigned long long seed = std::strtoull(fixed, &end, 10);
    if (end && *end == '\0') return SetRandomSeed(seed);
    Warn("", "GAME_RANDOM_SEED \"" + std::string(fixed) +
                 "\" is not a decimal number; the clock seeds the random numbers");
  }
  SetRandomSeed(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}
