#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/LargeBlock.h"

namespace {

using platform::LargeBlock;

// Sizes below, at and past a huge page, the latter not a whole number of pages.
TEST(LargeBlock, BlocksComeZeroedWritableAndWhole) {
  for (size_t bytes : {size_t(5000), size_t(1) << 20, (size_t(3) << 20) + 123}) {
    for (bool populate : {false, true}) {
      LargeBlock block(bytes, populate);
      ASSERT_NE(block.Data(), nullptr) << bytes;
      EXPECT_EQ(block.Size(), bytes);
      auto* bytesAt = static_cast<uint8_t*>(block.Data());
      size_t nonZero = 0;
      for (size_t i = 0; i < bytes; i += 4096) nonZero += bytesAt[i] != 0;
      EXPECT_EQ(nonZero + bytesAt[bytes - 1], 0u) << bytes;
      std::memset(bytesAt, 0xAB, bytes);
      EXPECT_EQ(bytesAt[bytes - 1], 0xAB);
    }
  }
}

TEST(LargeBlock, MovingHandsTheBlockOver) {
  LargeBlock first(size_t(2) << 20, true);
  void* data = first.Data();
  LargeBlock second(std::move(first));
  EXPECT_EQ(second.Data(), data);
  EXPECT_EQ(first.Data(), nullptr);
  LargeBlock third;
  third = std::move(second);
  EXPECT_EQ(third.Data(), data);
  EXPECT_EQ(third.Size(), size_t(2) << 20);
  EXPECT_EQ(LargeBlock(0, true).Data(), nullptr);
}

}  // namespace
