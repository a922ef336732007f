#pragma once
// Parameter strings: the short lists every subsystem keeps in data, such as
// "name=logo\timetolive=2000\list={a\b}". Items are separated by one character; a
// separator inside the item's first brace group does not split, and empty items are
// dropped. Positions are 1-based, as in all text handling of the system.

#include <string>
#include <string_view>
#include <vector>

#include "platform/AsciiCase.h"

using TOneArrayOfString = std::vector<std::string>;

struct TNameValuePair {
  std::string Name;
  std::string Value;
  friend bool operator==(const TNameValuePair&, const TNameValuePair&) = default;
};
using TTwoArrayOfString = std::vector<TNameValuePair>;

// Position of the "}" that closes the "{" at Position (1-based): the first position,
// walking from Position, where the brace depth is back to 0. 0 when the end comes
// first or Position is outside the text.
int FindClosingBrace(std::string_view text, int position);

// The non-empty items of Text at Separator, after trimming blanks (codes 0-32) off the
// two ends of Text (items themselves are not trimmed). The first brace group of an item
// protects the separators inside it; a later group of the same item, or an unclosed
// one, does not. The count is the size of the result.
TOneArrayOfString SplitString(std::string_view text, char separator);

// One entry per item of SplitString: items holding PairSeparator give (name without
// trailing blanks, value without leading blanks and without one pair of enclosing
// braces) in item order; each item without it leaves one (empty, empty) entry at the
// end, so callers always see as many entries as there were items.
TTwoArrayOfString SplitNameValuePairs(std::string_view text, char separator, char pairSeparator);

// The value of the first entry of SplitNameValuePairs whose name equals Name without
// ASCII case. Value is emptied first; an empty Name matches the (empty, empty) entries.
bool GetNamedValue(std::string_view text, std::string_view name, char separator, char pairSeparator,
                   std::string& value);

// Blanks are the codes 0 to 32.
inline bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeftBlanks(std::string_view text);
std::string_view TrimRightBlanks(std::string_view text);

// ASCII case: "a".."z" fold to "A".."Z", every other byte stays (platform/AsciiCase.h).
using platform::SameText;
using platform::UpCaseAscii;
std::string UpperCaseAscii(std::string_view text);
// <0, 0 or >0 as a sorts before, with or after b, comparing upper-cased bytes unsigned.
int CompareText(std::string_view a, std::string_view b);

// Text with "&", "<", ">", '"' and "'" written as XML entities: safe inside element text
// and inside a quoted attribute value of XML that is put together from pieces.
std::string EscapeXml(std::string_view text);
