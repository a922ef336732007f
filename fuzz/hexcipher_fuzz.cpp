// Enciphered files from outside: hexadecimal text read and deciphered under a key taken
// from the input. Besides not crashing, enciphering the result must give back exactly
// the bytes the text held, and text that passes the check of the form must be read whole.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/Cipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t keyLength = std::min<size_t>(data[0] % 33, size - 1);
  std::string key(reinterpret_cast<const char*>(data + 1), keyLength);
  std::string text(reinterpret_cast<const char*>(data + 1 + keyLength), size - 1 - keyLength);

  TStringFormat_HEX hex;
  hex.IsValid(text.data(), static_cast<int64_t>(text.size()), 1);
  std::string bytes = hex.StrTo(text);
  TCipher_Xtea cipher(key);
  std::string plain = cipher.CodeString(text, kCipherDecipher, kFormatHex);
  if (plain.size() != bytes.size()) std::abort();
  if (cipher.CodeString(plain, kCipherEncipher, kFormatHex) != hex.ToStr(bytes)) std::abort();
  // Text the check of the form lets through is read digit for digit: nothing is passed over.
  if (HexTextProblem(text).empty()) {
    std::string digits;
    for (char c : text)
      if (std::isxdigit(static_cast<unsigned char>(c)))
        digits += char(std::toupper(static_cast<unsigned char>(c)));
    if (hex.ToStr(bytes) != digits) std::abort();
  }
  return 0;
}
