#pragma once
// The memory of surfaces' pixels. A large block is mapped from the system: its pages come
// zeroed and are made only when first written, so a big surface costs nothing until it is
// drawn on (a rectangle's blank stencil never is). A page's first write is dear (a fault
// every 4 KB; on a virtual machine the host's own first touch too: milliseconds for a
// full-screen picture), so a released large block is kept and handed, zeroed by hand, to the
// next surface that fits in it: its pages are made already.

#include <cstddef>
#include <cstdint>

namespace pixel_blocks {

struct TBlock {
  uint32_t* Pixels = nullptr;  // on a 64-byte boundary; nullptr: no memory
  size_t Length = 0;           // of the mapping; 0 for a block of the heap
};

// Bytes of zeroes.
TBlock Take(size_t bytes);
// Takes back a block Take gave (an empty one too).
void Give(TBlock block);
// The bytes of released blocks kept for reuse.
size_t KeptBytes();

}  // namespace pixel_blocks
