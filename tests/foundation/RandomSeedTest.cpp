// Headless runs repeat themselves when GAME_RANDOM_SEED fixes the seed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "foundation/Random.h"
#include "tests/support/WarningCapture.h"

namespace {

std::vector<int32_t> Draws() {
  std::vector<int32_t> draws;
  for (int i = 0; i < 8; ++i) draws.push_back(Random(1000000));
  return draws;
}

TEST(RandomSeed, EnvironmentFixesTheSeed) {
  SetRandomSeed(42);
  std::vector<int32_t> expected = Draws();
  setenv("GAME_RANDOM_SEED", "42", 1);
  Randomize();
  EXPECT_EQ(Draws(), expected);
  // Not a number: said so, and the clock seeds instead.
  WarningCapture warnings;
  setenv("GAME_RANDOM_SEED", "4x2", 1);
  Randomize();
  unsetenv("GAME_RANDOM_SEED");
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("GAME_RANDOM_SEED"), std::string::npos);
}

}  // namespace
