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

size_t Length(size_t bytes) {
  const size_t page = PageSize();
  return (bytes + page - 1) / page * page;
}

}  // namespace

namespace platform {

void* AllocateLargeBlock(size_t bytes, bool populate) {
  if (bytes == 0) return nullptr;
  const size_t length = Length(bytes);
  // Mapped a huge page wider so that the block can start on a huge page boundary; both
  // ends are given back. Only whole huge pages inside the block become huge.
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
    madvise(start, length, MADV_POPULATE_WRITE);
#endif
  }
  return start;
}

void FreeLargeBlock(void* block, size_t bytes) {
  if (block) munmap(block, Length(bytes));
}

}  // namespace platform
