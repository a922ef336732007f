#pragma once
// The cipher of the game's own data files: a 64-bit block cipher of the XTEA family whose
// rounds add where the textbook form exclusive-ors, a string mode that keeps the length
// of the text, and the hexadecimal text form the files are stored in.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr uint32_t kXteaDelta = 0x9E3779B9u;

struct TXteaBlock {
  uint32_t L, R;
};
using TXteaKey = uint32_t[4];

// Words of the key string, little-endian; missing bytes count as 0, bytes after the
// 16th are ignored.
void XteaKeyWords(std::string_view key, TXteaKey words);

void XteaEncipherBlock(TXteaBlock& block, const TXteaKey key);
void XteaDecipherBlock(TXteaBlock& block, const TXteaKey key);

// Same length as Text: full blocks in electronic code book order, then a tail of 1 to 7
// bytes exclusive-ored with the last cipher block (or a mask derived from the key when
// the text has no full block).
std::string XteaEncipherString(std::string_view text, std::string_view key);
std::string XteaDecipherString(std::string_view text, std::string_view key);

// Converts between bytes and their text form. The base copies bytes both ways.
class TStringFormat {
 public:
  virtual ~TStringFormat() = default;
  // Text to bytes; a negative Length means up to the first zero byte, a null Text is
  // empty.
  virtual std::string StrTo(const char* text, int64_t length) const;
  // Bytes to text.
  virtual std::string ToStr(const char* bytes, size_t length) const;
  virtual bool IsValid(const char* text, int64_t length, int flag) const;

  std::string StrTo(std::string_view text) const {
    return StrTo(text.data(), static_cast<int64_t>(text.size()));
  }
  std::string ToStr(std::string_view bytes) const { return ToStr(bytes.data(), bytes.size()); }
};

// Upper-case hexadecimal, high nibble first. Reading skips anything that is not a digit
// and restarts the output at the first "$".
class TStringFormat_HEX : public TStringFormat {
 public:
  // "0123456789ABCDEFX$", then the characters that may appear around hexadecimal text.
  virtual std::string_view CharTable() const;

  using TStringFormat::StrTo;
  using TStringFormat::ToStr;
  std::string StrTo(const char* text, int64_t length) const override;
  std::string ToStr(const char* bytes, size_t length) const override;
  // Flag 1: true only when every character is in the table; any other flag accepts all.
  bool IsValid(const char* text, int64_t length, int flag) const override;
};

constexpr int kCipherEncipher = 0;
constexpr int kCipherDecipher = 1;
constexpr int kFormatPlain = 1;
constexpr int kFormatHex = 16;

// Empty when Text is hexadecimal text as the game writes its files (digits of either case,
// white space between them allowed, an even number of digits); else what is wrong with it,
// for the author ("odd number of hexadecimal digits"). Reading the form itself passes
// over whatever is no digit, so a file that is not hexadecimal deciphers to noise.
std::string HexTextProblem(std::string_view text);

class TCipher {
 public:
  virtual ~TCipher() = default;
  // Direction kCipherEncipher or kCipherDecipher; Format kFormatPlain or kFormatHex.
  // Any other direction or format gives ''.
  virtual std::string CodeString(std::string_view text, int direction, int format) const = 0;
};

class TCipher_Xtea : public TCipher {
 public:
  explicit TCipher_Xtea(std::string key) : key_(std::move(key)) {}
  // Enciphers and then formats, or reads the format and then deciphers.
  std::string CodeString(std::string_view text, int direction, int format) const override;
  const std::string& Key() const { return key_; }

 private:
  std::string key_;
};
