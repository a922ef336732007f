// The memory of loaded nodes: the arena, and where every node's memory comes from.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/LargeBlock.h"
#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"

// ---------------------------------------------------------------------------------------
// Arena

TXmlArena::TXmlArena(TXmlNameTable* names) : names_(names) {
  names_->AddRef();
}

TXmlArena* TXmlArena::Make(TXmlNameTable* names, size_t input) {
  // Files that are mostly markup make nodes of about twice their size, after the copy of
  // their text; larger inputs fill blocks of the largest size.
  constexpr size_t kHead = (sizeof(TXmlArena) + 15) & ~size_t(15);
  size_t first = std::clamp(input < SIZE_MAX / 8 ? 4 * input + 1024 : SIZE_MAX, size_t(4096),
                            size_t(64 * 1024));
  auto* room = static_cast<char*>(std::malloc(kHead + first));
  if (!room) throw std::bad_alloc();
  auto* arena = new (room) TXmlArena(names);
  arena->next_ = room + kHead;
  arena->end_ = room + kHead + first;
  arena->blockSize_ = first;
  // A large document's nodes fill a few large blocks rather than many small ones.
  arena->largestBlock_ = std::max(size_t(64 * 1024), input / 8);
  return arena;
}

namespace {

// Each block begins with a link to the block before and its size; the size's low bit
// tells a block mapped from the system from one of the heap.
struct BlockHead {
  void* previous;
  size_t bytes;
};
constexpr size_t kBlockHead = sizeof(BlockHead);
// Large blocks have their pages present at once: a fault for every page costs more than
// the parse of it.
constexpr size_t kMappedBlock = platform::kLargeBlockMinimum;

char* NewBlock(size_t bytes, void* previous) {
  void* room = nullptr;
  bool mapped = bytes >= kMappedBlock;
  if (mapped) {
    room = platform::AllocateLargeBlock(bytes, true);
  } else {
    room = std::malloc(bytes);
  }
  if (!room) throw std::bad_alloc();
  *static_cast<BlockHead*>(room) = {previous, bytes | (mapped ? 1 : 0)};
  return static_cast<char*>(room);
}

void* FreeBlock(void* block) {
  BlockHead head = *static_cast<BlockHead*>(block);
  if (head.bytes & 1)
    platform::FreeLargeBlock(block, head.bytes & ~size_t(1));
  else
    std::free(block);
  return head.previous;
}

}  // namespace

void TXmlArena::Destroy() {
  this->~TXmlArena();
  std::free(this);
}

TXmlArena::~TXmlArena() {
  while (blocks_) blocks_ = FreeBlock(blocks_);
  names_->Release();
}

namespace {

// Copies (when `kCopy`) and scans the bytes of `from`, or those before its first zero byte
// when `upToZero`, and gives their count; `firstWide` becomes the place of the first byte
// beyond ASCII among them (their count when there is none).
template <bool kCopy>
size_t CopyScanning(char* to, std::string_view from, bool upToZero, size_t& firstWide) {
  const char* in = from.data();
  size_t n = from.size();
  firstWide = SIZE_MAX;
  size_t i = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    if constexpr (kCopy) _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), block);
    unsigned wide = firstWide == SIZE_MAX ? unsigned(_mm_movemask_epi8(block)) : 0;
    unsigned zeros = upToZero ? unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, zero))) : 0;
    if (!(wide | zeros)) continue;
    if (zeros) {
      size_t end = i + unsigned(__builtin_ctz(zeros));
      if (wide && unsigned(__builtin_ctz(wide)) < end - i)
        firstWide = i + unsigned(__builtin_ctz(wide));
      if (firstWide == SIZE_MAX) firstWide = end;
      return end;
    }
    firstWide = i + unsigned(__builtin_ctz(wide));
    if (!upToZero) {
      if constexpr (kCopy) std::memcpy(to + i + 16, in + i + 16, n - i - 16);
      return n;
    }
  }
#endif
  for (; i < n; ++i) {
    if (upToZero && in[i] == 0) break;
    if constexpr (kCopy) to[i] = in[i];
    if (firstWide == SIZE_MAX && static_cast<uint8_t>(in[i]) >= 0x80) firstWide = i;
  }
  if (firstWide == SIZE_MAX) firstWide = i;
  return i;
}

}  // namespace

std::string_view TXmlArena::CopyText(std::string_view text, size_t* firstWide, bool upToZero) {
  char* copy = TextRoom(text.size());
  size_t wide;
  size_t length = CopyScanning<true>(copy, text, upToZero, wide);
  if (firstWide) *firstWide = wide;
  std::memset(copy + length, 0, kXmlTextPadding);
  return std::string_view(copy, length);
}

char* TXmlArena::TextRoom(size_t size) {
  if (size > SIZE_MAX / 2) throw std::bad_alloc();
  return static_cast<char*>(Allocate(size + kXmlTextPadding));
}

size_t ScanXmlText(std::string_view text, bool upToZero, size_t& firstWide) {
  return CopyScanning<false>(nullptr, text, upToZero, firstWide);
}

void* TXmlArena::AllocateSlow(size_t size) {
  if (size > SIZE_MAX / 2) throw std::bad_alloc();
  // Something large gets a block of its own; the current block goes on serving the rest.
  bool own = size > blockSize_ / 4;
  size_t bytes = own ? size + kBlockHead : std::max(blockSize_, size + kBlockHead);
  char* block = NewBlock(bytes, blocks_);
  // Blocks are listed only to be freed; the block being filled stays the same for
  // something large.
  blocks_ = block;
  if (own) return block + kBlockHead;
  next_ = block + kBlockHead + size;
  end_ = block + bytes;
  blockSize_ = std::min(blockSize_ * 2, largestBlock_);
  return block + kBlockHead;
}

// ---------------------------------------------------------------------------------------
// Node memory

namespace {
constexpr size_t kNodeHeader = sizeof(TXmlArena*);
}

void* TXmlNode::operator new(size_t size) {
  auto* room = static_cast<char*>(std::malloc(size + kNodeHeader));
  if (!room) throw std::bad_alloc();
  *reinterpret_cast<TXmlArena**>(room) = nullptr;
  return room + kNodeHeader;
}

void* TXmlNode::operator new(size_t size, TXmlArena* arena) {
  if (!arena) return operator new(size);
  auto* room = static_cast<char*>(arena->Allocate(size + kNodeHeader));
  *reinterpret_cast<TXmlArena**>(room) = arena;
  arena->NodeMade();
  return room + kNodeHeader;
}

void TXmlNode::operator delete(void* node) {
  if (!node) return;
  char* room = static_cast<char*>(node) - kNodeHeader;
  if (TXmlArena* arena = *reinterpret_cast<TXmlArena**>(room))
    arena->NodeGone();
  else
    std::free(room);
}

void TXmlNode::operator delete(void* node, TXmlArena*) {
  operator delete(node);
}
