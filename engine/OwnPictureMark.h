#pragma once
// The mark of the pictures the sample game's asset generator makes: a private ancillary
// PNG chunk right after the header. The game made those files itself and ships them inside
// its own folder, so their decoding skips the checksums (chunk CRCs, the data's Adler-32);
// every other PNG is checked in full.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace own_picture {

inline constexpr std::string_view kChunkType = "tvOg";
inline constexpr std::string_view kChunkData = "made by the asset generator";
// The mark follows the signature (8 bytes) and the header chunk (25 bytes).
inline constexpr size_t kMarkOffset = 33;

constexpr uint32_t Crc32(std::string_view a, std::string_view b) {
  uint32_t crc = 0xFFFFFFFFu;
  for (std::string_view part : {a, b})
    for (char c : part) {
      crc ^= uint8_t(c);
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  return ~crc;
}

inline constexpr size_t kChunkSize = 12 + kChunkData.size();

// The whole chunk: length, type, data, CRC.
constexpr std::array<uint8_t, kChunkSize> Chunk() {
  std::array<uint8_t, kChunkSize> out{};
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
  };
  put32(0, uint32_t(kChunkData.size()));
  for (size_t i = 0; i < 4; ++i) out[4 + i] = uint8_t(kChunkType[i]);
  for (size_t i = 0; i < kChunkData.size(); ++i) out[8 + i] = uint8_t(kChunkData[i]);
  put32(8 + kChunkData.size(), Crc32(kChunkType, kChunkData));
  return out;
}

// Whether the PNG's bytes carry the mark where the generator puts it.
inline bool IsMarked(const uint8_t* data, size_t size) {
  static constexpr std::array<uint8_t, kChunkSize> kChunk = Chunk();
  if (size < kMarkOffset + kChunkSize) return false;
  for (size_t i = 0; i < kChunkSize; ++i)
    if (data[kMarkOffset + i] != kChunk[i]) return false;
  return true;
}

}  // namespace own_picture
