#include "platform/LargeBlock.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

size_t PageSize() {
  static const size_t size = size_t(sysconf(_SC_PAGESIZE));
  return size;
}

size_t RoundUp(size_t bytes, size_t unit) {
  return (bytes + unit - 1) / unit * unit;
}

// The pages the caller asked for.
size_t Length(size_t bytes) {
  return RoundUp(bytes, PageSize());
}

// What is mapped: a block of a huge page or more is mapped in whole huge pages, so that its
// tail is one huge page rather than hundreds of small ones (what is never touched costs
// no memory).
size_t MappedLength(size_t bytes) {
  const size_t length = Length(bytes);
  return length >= kHugePage ? RoundUp(length, kHugePage) : length;
}

}  // namespace

namespace platform {

void* AllocateLargeBlock(size_t bytes, bool populate) {
  if (bytes == 0) return nullptr;
  const size_t length = MappedLength(bytes);
  // Mapped a huge page wider so that the block can start on a huge page boundary; both
  // ends are given back.
  const bool huge = length >= kHugePage;
  const size_t span = huge ? length + kHugePage : length;
  void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  char* room = static_cast<char*>(mapped);
  char* start = room;
  if (huge) {
    start = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(room) + kHugePage - 1) &
                                    ~uintptr_t(kHugePage - 1));
    if (start > room) munmap(room, size_t(start - room));
    char* end = start + length;
    if (room + span > end) munmap(end, size_t(room + span - end));
    madvise(start, length, MADV_HUGEPAGE);
  }
  if (populate) {
#ifdef MADV_POPULATE_WRITE
    // Older kernels refuse the advice; the pages then come one fault at a time.
    madvise(start, Length(bytes), MADV_POPULATE_WRITE);
#endif
  }
  return start;
}

void FreeLargeBlock(void* block, size_t bytes) {
  if (block) munmap(block, MappedLength(bytes));
}

}  // namespace platform
