#pragma once
// The MD5 message digest (RFC 1321), computed as a stream: any amount of input in any
// number of pieces, with a constant 64-byte block of state.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

using TMD5Digest = std::array<uint8_t, 16>;

class TCrMD5 {
 public:
  TCrMD5() { Reset(); }

  void Reset();
  void Update(const void* data, size_t length);
  void Update(std::string_view text) { Update(text.data(), text.size()); }
  // The four state words, low byte of the first word first. The object starts over.
  TMD5Digest Final();

  static TMD5Digest Calculate(const void* data, size_t length);
  static TMD5Digest Calculate(std::string_view text) { return Calculate(text.data(), text.size()); }

 private:
  void Transform(const uint8_t* block);

  std::array<uint32_t, 4> state_{};
  std::array<uint8_t, 64> block_{};
  uint64_t length_ = 0;  // bytes so far; the block holds length_ % 64 of them
};
