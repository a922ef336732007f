#include "engine/PixelBlocks.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace pixel_blocks {
namespace {

constexpr size_t kMappedBytes = size_t(256) << 10;
// From two megabytes on a block lies in huge pages where the system has them: one fault
// for 2 MB instead of one for 4 KB.
constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kSmallPageRound = size_t(64) << 10;
// Kept blocks stay in memory: no more than a few screens' pictures.
constexpr size_t kKeptLimit = size_t(64) << 20;

size_t RoundUp(size_t bytes, size_t unit) {
  return (bytes + unit - 1) & ~(unit - 1);
}

size_t MappedLength(size_t bytes) {
  return bytes >= kHugePage ? RoundUp(bytes, kHugePage) : RoundUp(bytes, kSmallPageRound);
}

// Length bytes, on a huge-page boundary in huge pages when huge; nullptr when the system
// has no room.
uint32_t* Map(size_t length, bool huge) {
  const size_t slack = huge ? kHugePage : 0;
  void* mapped =
      mmap(nullptr, length + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  auto* begin = static_cast<char*>(mapped);
  if (!huge) return reinterpret_cast<uint32_t*>(begin);
  // The slack before the boundary and after the block goes back at once.
  auto* aligned = reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(begin), kHugePage));
  if (aligned > begin) munmap(begin, size_t(aligned - begin));
  if (size_t tail = size_t(begin + slack - aligned); tail > 0) munmap(aligned + length, tail);
  madvise(aligned, length, MADV_HUGEPAGE);
  return reinterpret_cast<uint32_t*>(aligned);
}

struct TKept {
  std::mutex Lock;
  std::vector<TBlock> Blocks;
  size_t Bytes = 0;
};

TKept& Kept() {
  static TKept* kept = new TKept;  // never destroyed: surfaces may outlive static objects
  return *kept;
}

// The smallest kept block of at least length, no more than twice it (a big block stays for
// a big surface); an empty block when none fits.
TBlock TakeKept(size_t length) {
  TKept& kept = Kept();
  std::lock_guard<std::mutex> guard(kept.Lock);
  size_t best = kept.Blocks.size();
  for (size_t i = 0; i < kept.Blocks.size(); ++i) {
    const size_t have = kept.Blocks[i].Length;
    if (have >= length && have / 2 <= length &&
        (best == kept.Blocks.size() || have < kept.Blocks[best].Length))
      best = i;
  }
  if (best == kept.Blocks.size()) return {};
  TBlock block = kept.Blocks[best];
  kept.Blocks[best] = kept.Blocks.back();
  kept.Blocks.pop_back();
  kept.Bytes -= block.Length;
  return block;
}

// Zeroes the first bytes of a kept block. It may never have been written (a blank
// stencil's): its pages that are not in memory are dropped, and read as zeroes without being
// made, which writing zeroes would do at the very cost kept blocks are there to spare.
void Clear(uint32_t* pixels, size_t bytes) {
  static const size_t page = size_t(sysconf(_SC_PAGESIZE));
  thread_local std::vector<unsigned char> resident;
  resident.resize((bytes + page - 1) / page);
  auto* begin = reinterpret_cast<char*>(pixels);
  if (mincore(begin, bytes, resident.data()) != 0) {
    std::memset(begin, 0, bytes);
    return;
  }
  for (size_t i = 0; i < resident.size();) {
    const bool inMemory = resident[i] & 1;
    size_t end = i + 1;
    while (end < resident.size() && bool(resident[end] & 1) == inMemory) ++end;
    const size_t from = i * page, length = std::min(end * page, bytes) - from;
    // A page swapped out is not in memory either, and is dropped rather than read back.
    if (inMemory || madvise(begin + from, RoundUp(length, page), MADV_DONTNEED) != 0)
      std::memset(begin + from, 0, length);
    i = end;
  }
}

}  // namespace

TBlock Take(size_t bytes) {
  bytes = RoundUp(bytes, 64);
  if (bytes < kMappedBytes) {
    auto* pixels = static_cast<uint32_t*>(std::aligned_alloc(64, bytes));
    if (pixels) std::memset(pixels, 0, bytes);
    return {pixels, 0};
  }
  const size_t length = MappedLength(bytes);
  if (TBlock block = TakeKept(length); block.Pixels) {
    Clear(block.Pixels, bytes);
    return block;
  }
  uint32_t* pixels = Map(length, length >= kHugePage);
  return pixels ? TBlock{pixels, length} : TBlock{};
}

void Give(TBlock block) {
  if (!block.Pixels) return;
  if (block.Length == 0) return std::free(block.Pixels);
  TKept& kept = Kept();
  {
    std::lock_guard<std::mutex> guard(kept.Lock);
    if (kept.Bytes + block.Length <= kKeptLimit) {
      kept.Blocks.push_back(block);
      kept.Bytes += block.Length;
      return;
    }
  }
  munmap(block.Pixels, block.Length);
}

size_t KeptBytes() {
  TKept& kept = Kept();
  std::lock_guard<std::mutex> guard(kept.Lock);
  return kept.Bytes;
}

}  // namespace pixel_blocks
