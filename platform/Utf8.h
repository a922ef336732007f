#pragma once
// Walking UTF-8 text character by character without allocating: the one decoder of every
// library.

#include <cstdint>
#include <string_view>

namespace platform {

// Reads one character of UTF-8 text at P (before End): its code point and the bytes it
// takes, 1 to 4, or 0 when the bytes there are not UTF-8 (a bad lead byte, a missing or
// bad continuation byte, a code past U+10FFFF). Overlong forms and surrogates give their
// code point, unless Strict, which refuses them too.
inline int DecodeUtf8(const char* p, const char* end, uint32_t& codePoint, bool strict = false) {
  if (p >= end) return 0;
  const auto lead = static_cast<uint8_t>(*p);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  int length;
  uint32_t code;
  if (lead >= 0xC0 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF7) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (end - p < length) return 0;
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<uint8_t>(p[i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3Fu);
  }
  if (code > 0x10FFFF) return 0;
  if (strict) {
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  }
  codePoint = code;
  return length;
}

// Calls each(code) for every character of text, in order, and returns true; stops
// and returns false at the first sequence that is not strict UTF-8.
template <class Each>
bool ForEachCodePoint(std::string_view text, Each&& each) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    uint32_t code = 0;
    int length = DecodeUtf8(p, end, code, true);
    if (length == 0) return false;
    each(code);
    p += length;
  }
  return true;
}

}  // namespace platform
