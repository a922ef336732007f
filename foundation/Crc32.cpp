#include "foundation/Crc32.h"

#include <array>

namespace {

// Built at compile time, so no start-up code depends on initialisation order.
constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
    table[i] = value;
  }
  return table;
}

constexpr std::array<uint8_t, 256> MakeUpCaseTable() {
  std::array<uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = uint8_t((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();
constexpr std::array<uint8_t, 256> kUpCaseTable = MakeUpCaseTable();

}  // namespace

uint32_t UpdateCrc32(uint32_t crc, uint8_t byte) {
  return kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

uint32_t BufCrc32(const void* buffer, size_t length, uint32_t previous) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  uint32_t crc = ~previous;
  for (size_t i = 0; i < length; ++i) crc = UpdateCrc32(crc, bytes[i]);
  return ~crc;
}

uint32_t StrCrc32(std::string_view text) {
  return BufCrc32(text.data(), text.size());
}

uint32_t StrCrc32NoCase(std::string_view text) {
  uint32_t crc = ~0u;
  for (char c : text) crc = UpdateCrc32(crc, kUpCaseTable[static_cast<uint8_t>(c)]);
  return ~crc;
}
