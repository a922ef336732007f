#include "foundation/TextConvert.h"

#include <cstring>

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five the code page leaves undefined map to the
// control characters of the same number, so every byte has a character and back.
constexpr char16_t kAnsiHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t AnsiCharToUnicode(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return kAnsiHigh[byte - 0x80];
  return byte;
}

// The byte for a code point, or -1 when the code page has none.
int UnicodeToAnsiChar(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
  for (int i = 0; i < 32; ++i)
    if (kAnsiHigh[i] == cp) return 0x80 + i;
  return -1;
}

bool IsHighSurrogate(uint32_t cp) {
  return cp >= 0xD800 && cp <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t cp) {
  return cp >= 0xDC00 && cp <= 0xDFFF;
}

int EncodedLength(uint32_t cp) {
  if (cp < 0x80) return 1;
  if (cp < 0x800) return 2;
  if (cp < 0x10000) return 3;
  return 4;
}

int EncodeUtf8(char* out, uint32_t cp) {
  if (cp < 0x80) {
    out[0] = char(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = char(0xC0 | (cp >> 6));
    out[1] = char(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = char(0xE0 | (cp >> 12));
    out[1] = char(0x80 | ((cp >> 6) & 0x3F));
    out[2] = char(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = char(0xF0 | (cp >> 18));
  out[1] = char(0x80 | ((cp >> 12) & 0x3F));
  out[2] = char(0x80 | ((cp >> 6) & 0x3F));
  out[3] = char(0x80 | (cp & 0x3F));
  return 4;
}

// Lenient reading of text already inside the system: a byte that is not UTF-8 reads as
// U+FFFD, one byte long.
uint32_t NextCodePoint(const char*& p, const char* end) {
  uint32_t cp;
  int n = DecodeUtf8(p, end, cp);
  if (n == 0) {
    ++p;
    return 0xFFFD;
  }
  p += n;
  return cp;
}

bool AllAscii(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  for (; end - p >= 8; p += 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    if (word & 0x8080808080808080ull) return false;
  }
  for (; p < end; ++p)
    if (static_cast<uint8_t>(*p) & 0x80) return false;
  return true;
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t cp) {
  size_t n = out.size();
  if (IsLowSurrogate(cp) && n >= 3 && static_cast<uint8_t>(out[n - 3]) == 0xED &&
      (static_cast<uint8_t>(out[n - 2]) & 0xF0) == 0xA0) {
    uint32_t high = 0xD000 | ((static_cast<uint8_t>(out[n - 2]) & 0x3F) << 6) |
                    (static_cast<uint8_t>(out[n - 1]) & 0x3F);
    out.resize(n - 3);
    cp = 0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00);
  }
  char buffer[4];
  out.append(buffer, EncodeUtf8(buffer, cp));
}

Utf8State CheckUtf8(std::string_view text) {
  if (AllAscii(text)) return Utf8State::Canonical;
  const char* p = text.data();
  const char* end = p + text.size();
  Utf8State state = Utf8State::Canonical;
  bool afterHigh = false;
  while (p < end) {
    if (static_cast<uint8_t>(*p) < 0x80) {
      ++p;
      afterHigh = false;
      continue;
    }
    uint32_t cp;
    int n = DecodeUtf8(p, end, cp);
    if (n == 0) return Utf8State::Malformed;
    if (n != EncodedLength(cp) || (afterHigh && IsLowSurrogate(cp)))
      state = Utf8State::NeedsRewrite;
    afterHigh = IsHighSurrogate(cp);
    p += n;
  }
  return state;
}

bool CanonicalUtf8(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    uint32_t cp;
    int n = DecodeUtf8(p, end, cp);
    if (n == 0) return false;
    AppendUtf8(out, cp);
    p += n;
  }
  return true;
}

int Utf8FromUnicode(char* dest, size_t capacity, const char16_t* source, size_t count) {
  size_t written = 0;
  for (size_t i = 0; i < count; ++i) {
    uint32_t cp = source[i];
    size_t used = 1;
    if (IsHighSurrogate(cp) && i + 1 < count && IsLowSurrogate(source[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (source[i + 1] - 0xDC00);
      used = 2;
    }
    int length = EncodedLength(cp);
    if (dest) {
      if (capacity == 0 || written + length > capacity - 1) break;
      EncodeUtf8(dest + written, cp);
    }
    written += length;
    i += used - 1;
  }
  if (dest && capacity > 0) dest[written] = 0;
  return int(written + 1);
}

int UnicodeFromUtf8(char16_t* dest, size_t capacity, const char* source, size_t length) {
  const char* p = source;
  const char* end = source + length;
  size_t written = 0;
  while (p < end) {
    uint32_t cp;
    int n = DecodeUtf8(p, end, cp);
    if (n == 0) return -1;
    size_t units = cp >= 0x10000 ? 2 : 1;
    if (dest) {
      if (capacity == 0 || written + units > capacity - 1) break;
      if (units == 2) {
        dest[written] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
        dest[written + 1] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        dest[written] = char16_t(cp);
      }
    }
    written += units;
    p += n;
  }
  if (dest && capacity > 0) dest[written] = 0;
  return int(written + 1);
}

std::string WideToUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  std::string out(text.size() * 3 + 1, '\0');
  int n = Utf8FromUnicode(out.data(), out.size(), text.data(), text.size());
  out.resize(n - 1);
  return out;
}

std::u16string Utf8ToWide(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return {};
  std::u16string out(text.size() + 1, u'\0');
  int n = UnicodeFromUtf8(out.data(), out.size(), text.data(), text.size());
  if (n <= 0) return {};
  out.resize(n - 1);
  return out;
}

std::u16string Utf8PCharToWide(const char* text) {
  return text ? Utf8ToWide(std::string_view(text)) : std::u16string();
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (IsHighSurrogate(cp) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
    int byte = UnicodeToAnsiChar(cp);
    out += byte < 0 ? '?' : char(byte);
  }
  return out;
}

std::u16string AnsiToWide(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = AnsiCharToUnicode(uint8_t(text[i]));
  return out;
}

std::string AnsiToUtf8(std::string_view text) {
  if (AllAscii(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (char c : text) AppendUtf8(out, AnsiCharToUnicode(uint8_t(c)));
  return out;
}

std::string Utf8ToAnsi(std::string_view text) {
  if (AllAscii(text)) return std::string(text);
  std::string out;
  out.reserve(text.size());
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    int byte = UnicodeToAnsiChar(NextCodePoint(p, end));
    out += byte < 0 ? '?' : char(byte);
  }
  return out;
}

bool FitsAnsi(std::string_view utf8) {
  if (AllAscii(utf8)) return true;
  const char* p = utf8.data();
  const char* end = p + utf8.size();
  while (p < end)
    if (UnicodeToAnsiChar(NextCodePoint(p, end)) < 0) return false;
  return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  const char* p = utf8.data();
  const char* end = p + utf8.size();
  while (p < end) {
    uint32_t cp = NextCodePoint(p, end);
    if (cp >= 0x10000) {
      out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
      out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += char16_t(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (char16_t unit : utf16) AppendUtf8(out, unit);
  return out;
}
