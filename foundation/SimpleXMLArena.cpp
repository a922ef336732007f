// The memory of loaded nodes: the arena, and where every node's memory comes from.
#include <algorithm>
#include <cstdlib>

#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"

// ---------------------------------------------------------------------------------------
// Arena

TXmlArena::~TXmlArena() {
  while (blocks_) {
    void* previous = *static_cast<void**>(blocks_);
    std::free(blocks_);
    blocks_ = previous;
  }
}

void* TXmlArena::AllocateSlow(size_t size) {
  constexpr size_t kLink = sizeof(void*);
  constexpr size_t kLargestBlock = 64 * 1024;
  // Something large gets a block of its own; the current block goes on serving the rest.
  bool own = size > blockSize_ / 4;
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
  arena->AddRef();
  return room + kNodeHeader;
}

void TXmlNode::operator delete(void* node) {
  if (!node) return;
  char* room = static_cast<char*>(node) - kNodeHeader;
  if (TXmlArena* arena = *reinterpret_cast<TXmlArena**>(room))
    arena->Release();
  else
    std::free(room);
}

void TXmlNode::operator delete(void* node, TXmlArena*) {
  operator delete(node);
}
