#pragma once
// CRC-32 (reflected, polynomial 0xEDB88320) of keys and buffers. Keyed collections store
// only the CRC-32 of a key, never the key; the no-case form folds "a".."z" first.

#include <cstddef>
#include <cstdint>
#include <string_view>

uint32_t UpdateCrc32(uint32_t crc, uint8_t byte);
// Continues from Previous, the result of an earlier call (0 to start): the CRC-32 of
// two buffers in a row is BufCrc32(second, BufCrc32(first)).
uint32_t BufCrc32(const void* buffer, size_t length, uint32_t previous = 0);
// The standard CRC-32 of the text's bytes: "abc" gives 0x352441C2.
uint32_t StrCrc32(std::string_view text);
// CRC-32 of the text with "a".."z" upper-cased: "abc" and "ABC" give 0xA3830348.
uint32_t StrCrc32NoCase(std::string_view text);
