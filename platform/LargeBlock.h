#pragma once

#include <cstddef>
#include <utility>

// Memory for large buffers (pictures, frames, big documents) straight from the system. Its
// pages come zeroed, in huge pages where the system grants them, and, when asked, all
// present at once: touching a fresh page one fault at a time costs more than most uses of
// it, on a virtual machine by far.
namespace platform {

// Below this size the heap serves better: a mapping costs two system calls.
inline constexpr size_t kLargeBlockMinimum = size_t(256) << 10;

// A zeroed block of at least `bytes`, or nullptr. With `populate` every page is made
// present before the call returns (for a buffer about to be written whole).
void* AllocateLargeBlock(size_t bytes, bool populate);
// Gives back a block of `AllocateLargeBlock` with the same `bytes`.
void FreeLargeBlock(void* block, size_t bytes);

// An owned block; empty when the allocation failed.
class LargeBlock {
 public:
  LargeBlock() = default;
  LargeBlock(size_t bytes, bool populate)
      : data_(AllocateLargeBlock(bytes, populate)), bytes_(data_ ? bytes : 0) {}
  ~LargeBlock() { FreeLargeBlock(data_, bytes_); }
  LargeBlock(LargeBlock&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}
  LargeBlock& operator=(LargeBlock&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(bytes_, other.bytes_);
    return *this;
  }

  void* Data() const { return data_; }
  size_t Size() const { return bytes_; }

 private:
  void* data_ = nullptr;
  size_t bytes_ = 0;
};

}  // namespace platform
