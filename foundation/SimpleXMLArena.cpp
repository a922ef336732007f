// The memory of loaded nodes: the arena, and where every node's memory comes from.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"

// ---------------------------------------------------------------------------------------
// Arena

TXmlArena::TXmlArena(TXmlNameTable* names) : names_(names) {
  names_->AddRef();
}

TXmlArena::~TXmlArena() {
  while (blocks_) {
    void* previous = *static_cast<void**>(blocks_);
    std::free(blocks_);
    blocks_ = previous;
  }
  names_->Release();
}

namespace {

// Copies `n` bytes and gives the place of the first one beyond ASCII (n when none is).
size_t CopyFindingWide(char* to, const char* from, size_t n) {
  size_t i = 0;
#ifdef __SSE2__
  for (; i + 16 <= n; i += 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), block);
    if (_mm_movemask_epi8(block)) {
      std::memcpy(to + i + 16, from + i + 16, n - i - 16);
      break;
    }
  }
#endif
  if (i + 16 > n && i < n) std::memcpy(to + i, from + i, n - i);
  for (; i < n; ++i)
    if (static_cast<uint8_t>(from[i]) >= 0x80) return i;
  return n;
}

}  // namespace

const char* TXmlArena::CopyText(std::string_view text, size_t* firstWide) {
  if (text.size() > SIZE_MAX / 4) throw std::bad_alloc();
  size_t bytes = text.size() + kXmlTextPadding;
  char* copy;
  if (!blocks_ && text.size() < 16 * 1024) {
    // A small text shares the first block with the nodes made from it, which take about
    // twice its size in files that are mostly markup.
    blockSize_ = std::max(blockSize_, 3 * bytes);
    copy = static_cast<char*>(AllocateSlow((bytes + 7) & ~size_t(7), true));
  } else {
    copy = static_cast<char*>(Allocate(bytes));
  }
  if (firstWide)
    *firstWide = CopyFindingWide(copy, text.data(), text.size());
  else if (!text.empty())
    std::memcpy(copy, text.data(), text.size());
  std::memset(copy + text.size(), 0, kXmlTextPadding);
  return copy;
}

void* TXmlArena::AllocateSlow(size_t size, bool shared) {
  constexpr size_t kLink = sizeof(void*);
  constexpr size_t kLargestBlock = 64 * 1024;
  // Something large gets a block of its own; the current block goes on serving the rest.
  bool own = !shared && size > blockSize_ / 4;
  size_t bytes = own ? size + kLink : std::max(blockSize_, size + kLink);
  auto* block = static_cast<char*>(std::malloc(bytes));
  if (!block) throw std::bad_alloc();
  if (own && blocks_) {
    // Linked behind the newest block, which stays the one being filled.
    *reinterpret_cast<void**>(block) = *static_cast<void**>(blocks_);
    *static_cast<void**>(blocks_) = block;
    return block + kLink;
  }
  *reinterpret_cast<void**>(block) = blocks_;
  blocks_ = block;
  next_ = block + kLink + size;
  end_ = block + bytes;
  if (!own) blockSize_ = std::min(blockSize_ * 2, kLargestBlock);
  return block + kLink;
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
