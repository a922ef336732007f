#pragma once
// The one random generator of the system, seeded once at start-up; tests seed it to
// make draws repeatable.

#include <cstdint>

// Uniform in 0..n-1; 0 when n <= 0.
int32_t Random(int32_t n);
// Uniform in [0, 1).
double RandomFloat();
void SetRandomSeed(uint64_t seed);
// Seeds from the clock, or from the environment variable GAME_RANDOM_SEED (a decimal
// number) when it is set; called once at start-up.
void Randomize();
