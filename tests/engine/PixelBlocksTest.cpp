// The pixel memory of surfaces: zeroed, aligned, large blocks kept for the next surface.

#include "engine/PixelBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

bool AllZero(const uint32_t* pixels, size_t bytes) {
  return std::all_of(pixels, pixels + bytes / 4, [](uint32_t p) { return p == 0; });
}

TEST(PixelBlocks, BlocksComeZeroedAndAlignedAndAReleasedLargeOneServesTheNext) {
  struct Case {
    size_t Bytes;
    bool Mapped;
  };
  // A small block of the heap, a mapped one in small pages and one in huge pages.
  for (Case c : {Case{1000, false}, Case{600 << 10, true}, Case{3 << 20, true}}) {
    SCOPED_TRACE(c.Bytes);
    pixel_blocks::TBlock first = pixel_blocks::Take(c.Bytes);
    ASSERT_NE(first.Pixels, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first.Pixels) % 64, 0u);
    EXPECT_EQ(first.Length != 0, c.Mapped);
    EXPECT_GE(first.Length, c.Mapped ? c.Bytes : 0);
    EXPECT_TRUE(AllZero(first.Pixels, c.Bytes));
    // Written in part and near its end, the pages between never made.
    std::fill_n(first.Pixels, c.Bytes / 12, 0xFFFFFFFFu);
    first.Pixels[(c.Bytes - 512) / 4] = 0xFFFFFFFFu;
    const size_t keptBefore = pixel_blocks::KeptBytes();
    pixel_blocks::Give(first);
    EXPECT_EQ(pixel_blocks::KeptBytes(), keptBefore + first.Length);
    // A slightly smaller surface takes the kept block, cleared.
    pixel_blocks::TBlock second = pixel_blocks::Take(c.Bytes - 256);
    ASSERT_NE(second.Pixels, nullptr);
    if (c.Mapped) {
      EXPECT_EQ(second.Pixels, first.Pixels);
    }
    EXPECT_EQ(pixel_blocks::KeptBytes(), keptBefore);
    EXPECT_TRUE(AllZero(second.Pixels, c.Bytes - 256));
    pixel_blocks::Give(second);
  }
}

TEST(PixelBlocks, AKeptBlockIsNotSpentOnASurfaceOfLessThanHalfItsSize) {
  pixel_blocks::TBlock big = pixel_blocks::Take(8 << 20);
  ASSERT_NE(big.Pixels, nullptr);
  pixel_blocks::Give(big);
  pixel_blocks::TBlock small = pixel_blocks::Take(1 << 20);
  ASSERT_NE(small.Pixels, nullptr);
  EXPECT_NE(small.Pixels, big.Pixels);
  pixel_blocks::TBlock again = pixel_blocks::Take(8 << 20);
  EXPECT_EQ(again.Pixels, big.Pixels);
  pixel_blocks::Give(small);
  pixel_blocks::Give(again);
}

TEST(PixelBlocks, KeptMemoryIsBoundedAndTheRestGoesBackToTheSystem) {
  // Far more than is kept, released together: what is kept stays within its bound.
  std::vector<pixel_blocks::TBlock> blocks;
  for (int i = 0; i < 48; ++i) blocks.push_back(pixel_blocks::Take(4 << 20));
  for (const pixel_blocks::TBlock& block : blocks) {
    ASSERT_NE(block.Pixels, nullptr);
    pixel_blocks::Give(block);
  }
  EXPECT_GT(pixel_blocks::KeptBytes(), 0u);
  EXPECT_LE(pixel_blocks::KeptBytes(), size_t(64) << 20);
  pixel_blocks::Give({});
}

}  // namespace
