#include "foundation/Cipher.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr int kCycles = 32;

uint32_t LoadLE(const char* p) {
  const auto* b = reinterpret_cast<const uint8_t*>(p);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void StoreLE(uint32_t value, char* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(value >> (8 * i));
}

// The round's mix of one half under one key word; added, not exclusive-ored, to the
// key word and to (value xor sum).
inline uint32_t Mix(uint32_t value, uint32_t keyWord, uint32_t sum) {
  return keyWord + (((value << 4) ^ (value >> 5)) + (value ^ sum));
}

#ifdef __SSE2__
// Deciphers four blocks side by side (the blocks are independent): what a game file's
// start-up read spends most of its time on.
void DecipherFourBlocks(char* p, const TXteaKey key) {
  __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  __m128i l = _mm_castps_si128(
      _mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
  __m128i r = _mm_castps_si128(
      _mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(3, 1, 3, 1)));
  auto mix = [](__m128i v, uint32_t keyWord, uint32_t sum) {
    __m128i shifted = _mm_xor_si128(_mm_slli_epi32(v, 4), _mm_srli_epi32(v, 5));
    __m128i salted = _mm_xor_si128(v, _mm_set1_epi32(int32_t(sum)));
    return _mm_add_epi32(_mm_set1_epi32(int32_t(keyWord)), _mm_add_epi32(shifted, salted));
  };
  uint32_t sum = kXteaDelta * kCycles;
  for (int i = 0; i < kCycles; ++i) {
    r = _mm_sub_epi32(r, mix(l, key[(sum >> 11) & 3], sum));
    sum -= kXteaDelta;
    l = _mm_sub_epi32(l, mix(r, key[sum & 3], sum));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi32(l, r));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), _mm_unpackhi_epi32(l, r));
}
#endif

std::string CodeString(std::string_view text, std::string_view key, bool encipher) {
  TXteaKey k;
  XteaKeyWords(key, k);
  std::string out(text);
  size_t blocks = text.size() / 8;
  TXteaBlock mask{k[0] ^ k[2] ^ kXteaDelta, k[1] ^ k[3] ^ kXteaDelta};
  size_t first = 0;
#ifdef __SSE2__
  // All but the last block: the tail's mask is the last block's cipher text.
  if (!encipher) {
    for (; first + 5 <= blocks; first += 4) DecipherFourBlocks(out.data() + 8 * first, k);
  }
#endif
  for (size_t i = first; i < blocks; ++i) {
    char* p = out.data() + 8 * i;
    TXteaBlock block{LoadLE(p), LoadLE(p + 4)};
    if (encipher) {
      XteaEncipherBlock(block, k);
      mask = block;
    } else {
      mask = block;
      XteaDecipherBlock(block, k);
    }
    StoreLE(block.L, p);
    StoreLE(block.R, p + 4);
  }
  size_t tail = text.size() % 8;
  if (tail == 0) return out;
  char padded[8] = {};
  char* p = out.data() + 8 * blocks;
  std::memcpy(padded, p, tail);
  StoreLE(LoadLE(padded) ^ mask.L, padded);
  StoreLE(LoadLE(padded + 4) ^ mask.R, padded + 4);
  std::memcpy(p, padded, tail);
  return out;
}

// Text and length as the format routines take them: null is empty, a negative length
// runs to the first zero byte.
std::string_view TextOf(const char* text, int64_t length) {
  if (!text) return {};
  if (length < 0) return std::string_view(text);
  return std::string_view(text, static_cast<size_t>(length));
}

constexpr char kHexDigits[] = "0123456789ABCDEF";
// The table's last five characters are a double quote, an apostrophe, a tab, a line
// feed and a carriage return.
constexpr char kHexCharTable[] = "0123456789ABCDEFX$ abcdefhHx()[]{},;:-_/\\*+\"'\t\n\r";
static_assert(sizeof(kHexCharTable) - 1 == 48);

}  // namespace

void XteaKeyWords(std::string_view key, TXteaKey words) {
  char bytes[16] = {};
  std::memcpy(bytes, key.data(), std::min<size_t>(key.size(), 16));
  for (int i = 0; i < 4; ++i) words[i] = LoadLE(bytes + 4 * i);
}

void XteaEncipherBlock(TXteaBlock& block, const TXteaKey key) {
  uint32_t sum = 0;
  for (int i = 0; i < kCycles; ++i) {
    block.L += Mix(block.R, key[sum & 3], sum);
    sum += kXteaDelta;
    block.R += Mix(block.L, key[(sum >> 11) & 3], sum);
  }
}

void XteaDecipherBlock(TXteaBlock& block, const TXteaKey key) {
  uint32_t sum = kXteaDelta * kCycles;
  for (int i = 0; i < kCycles; ++i) {
    block.R -= Mix(block.L, key[(sum >> 11) & 3], sum);
    sum -= kXteaDelta;
    block.L -= Mix(block.R, key[sum & 3], sum);
  }
}

std::string XteaEncipherString(std::string_view text, std::string_view key) {
  return CodeString(text, key, true);
}

std::string XteaDecipherString(std::string_view text, std::string_view key) {
  return CodeString(text, key, false);
}

// ---- TStringFormat

std::string TStringFormat::StrTo(const char* text, int64_t length) const {
  return std::string(TextOf(text, length));
}

std::string TStringFormat::ToStr(const char* bytes, size_t length) const {
  if (!bytes) return {};
  return std::string(bytes, length);
}

bool TStringFormat::IsValid(const char*, int64_t, int) const {
  return true;
}

// ---- TStringFormat_HEX

std::string_view TStringFormat_HEX::CharTable() const {
  return std::string_view(kHexCharTable, sizeof(kHexCharTable) - 1);
}

std::string TStringFormat_HEX::ToStr(const char* bytes, size_t length) const {
  if (!bytes) return {};
  std::string text(2 * length, '0');
  for (size_t i = 0; i < length; ++i) {
    auto b = static_cast<uint8_t>(bytes[i]);
    text[2 * i] = kHexDigits[b >> 4];
    text[2 * i + 1] = kHexDigits[b & 15];
  }
  return text;
}

namespace {

// What each byte of hexadecimal text is: its digit value, the restart mark or nothing.
constexpr int8_t kRestart = -2;
constexpr int8_t kSkipped = -1;
constexpr std::array<int8_t, 256> HexValues() {
  std::array<int8_t, 256> values{};
  for (int8_t& v : values) v = kSkipped;
  for (int c = '0'; c <= '9'; ++c) values[size_t(c)] = int8_t(c - '0');
  for (int c = 'A'; c <= 'F'; ++c)
    values[size_t(c)] = values[size_t(c - 'A' + 'a')] = int8_t(c - 'A' + 10);
  values[size_t('$')] = kRestart;
  return values;
}
constexpr std::array<int8_t, 256> kHexValues = HexValues();

}  // namespace

std::string TStringFormat_HEX::StrTo(const char* text, int64_t length) const {
  std::string_view in = TextOf(text, length);
  std::string out;
  out.reserve(in.size() / 2);
  bool restarted = false;
  bool half = false;
  uint8_t high = 0;
  for (char c : in) {
    int8_t nibble = kHexValues[static_cast<uint8_t>(c)];
    if (nibble < 0) {
      // "X" is listed with the digits but is never written; like any other character
      // it is skipped. The first "$" starts the number again.
      if (nibble == kRestart && !restarted) {
        restarted = true;
        out.clear();
        half = false;
      }
      continue;
    }
    if (!half) {
      high = static_cast<uint8_t>(nibble);
      half = true;
    } else {
      out.push_back(static_cast<char>(high << 4 | nibble));
      half = false;
    }
  }
  return out;
}

bool TStringFormat_HEX::IsValid(const char* text, int64_t length, int flag) const {
  if (flag != 1) return true;
  std::string_view table = CharTable();
  for (char c : TextOf(text, length))
    if (table.find(c) == std::string_view::npos) return false;
  return true;
}

// ---- TCipher_Xtea

std::string TCipher_Xtea::CodeString(std::string_view text, int direction, int format) const {
  static const TStringFormat plain;
  static const TStringFormat_HEX hex;
  const TStringFormat* f = format == kFormatPlain ? &plain : format == kFormatHex ? &hex : nullptr;
  if (!f) return {};
  if (direction == kCipherEncipher) return f->ToStr(XteaEncipherString(text, key_));
  if (direction == kCipherDecipher) return XteaDecipherString(f->StrTo(text), key_);
  return {};
}

std::string HexTextProblem(std::string_view text) {
  size_t digits = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (kHexValues[c] >= 0) {
      ++digits;
    } else if (c != ' ' && (c < '\t' || c > '\r')) {
      char where[96];
      std::snprintf(where, sizeof where, "unexpected character 0x%02X at byte %zu", c, i);
      return where;
    }
  }
  if (digits % 2) return "odd number of hexadecimal digits";
  return {};
}
