#pragma once
// Text conversions at the boundaries where text leaves or enters the system: UTF-16 as
// other formats store it, UTF-8 (how every string is held), and the one single-byte code
// page (Windows-1252) that older files and the binary XML form use.
//
// Text held inside the system is UTF-8. A UTF-16 unit that is half of a surrogate pair
// with no partner is kept as its three-byte sequence, so that any UTF-16 text survives a
// trip through UTF-8 and back unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Utf8.h"

// Encodes `count` UTF-16 units into at most `capacity` bytes followed by a zero byte.
// A surrogate pair becomes one four-byte sequence; a sequence that does not fit ends the
// conversion. Returns the bytes written plus one; without a destination only counts.
int Utf8FromUnicode(char* dest, size_t capacity, const char16_t* source, size_t count);
// Decodes `length` bytes of UTF-8 into at most `capacity` - 1 units followed by a zero
// unit. Four-byte sequences become surrogate pairs. Returns the units written plus one,
// or -1 when the input is malformed; without a destination only counts.
int UnicodeFromUtf8(char16_t* dest, size_t capacity, const char* source, size_t length);

std::string WideToUtf8(std::u16string_view text);
// Decodes up to the first zero byte; malformed input gives the empty text.
std::u16string Utf8ToWide(std::string_view text);
std::u16string Utf8PCharToWide(const char* text);

// The single-byte code page. Characters it cannot hold become "?".
std::string WideToAnsi(std::u16string_view text);
std::u16string AnsiToWide(std::string_view text);
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);
// Whether every character of the UTF-8 text has a place in the code page.
bool FitsAnsi(std::string_view utf8);

// Appends one code point as UTF-8. A low surrogate that follows a lone high surrogate
// already at the end of `out` joins it into one four-byte sequence.
void AppendUtf8(std::string& out, uint32_t codePoint);

// Reads one character of UTF-8 text: platform/Utf8.h. Overlong forms are accepted and
// give their code point unless asked to be strict.
using platform::DecodeUtf8;

enum class Utf8State { Canonical, NeedsRewrite, Malformed };
// Canonical: well-formed UTF-8 the system can hold as it is. NeedsRewrite: readable but
// holding overlong forms or surrogate pairs written as two three-byte sequences.
Utf8State CheckUtf8(std::string_view text);
// The text re-encoded canonically; false (and `out` unspecified) when malformed.
bool CanonicalUtf8(std::string_view text, std::string& out);

// UTF-16 view of UTF-8 text for the formats that store UTF-16: each code point as one
// unit or a surrogate pair.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
