#pragma once
// Letter case of ASCII text: "a".."z" and "A".."Z" fold onto each other, every other byte
// stands only for itself. The one case-insensitive comparison of every library (names of
// types, resources, files in archives, screens).

#include <string_view>

namespace platform {

inline char UpCaseAscii(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpCaseAscii(a[i]) != UpCaseAscii(b[i])) return false;
  return true;
}

}  // namespace platform
