#pragma once
// Walking UTF-8 text character by character without allocating.

#include <cstdint>
#include <string_view>

namespace platform {

// Calls each(code) for every character of text, in order, and returns true; stops
// and returns false at the first malformed sequence (bad or missing continuation
// bytes, overlong forms, surrogates, codes past U+10FFFF).
template <class Each>
bool ForEachCodePoint(std::string_view text, Each&& each) {
  static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80         ? 0
                : (lead >> 5) == 6  ? 1
                : (lead >> 4) == 14 ? 2
                : (lead >> 3) == 30 ? 3
                                    : -1;
    if (extra < 0 || size_t(extra) >= text.size() - i) return false;
    uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
    for (int k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + size_t(k)]);
      if ((next >> 6) != 2) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    each(code);
    i += size_t(extra) + 1;
  }
  return true;
}

}  // namespace platform
