#include "foundation/Routines.h"

#include <algorithm>

std::string_view TrimLeftBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimRightBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  return TrimRightBlanks(TrimLeftBlanks(text));
}

std::string UpperCaseAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpCaseAscii(c);
  return result;
}

int CompareText(std::string_view a, std::string_view b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    auto ca = static_cast<unsigned char>(UpCaseAscii(a[i]));
    auto cb = static_cast<unsigned char>(UpCaseAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int FindClosingBrace(std::string_view text, int position) {
  if (position < 1) return 0;
  int depth = 0;
  for (size_t i = size_t(position) - 1; i < text.size(); ++i) {
    if (text[i] == '{') {
      ++depth;
    } else if (text[i] == '}') {
      --depth;
    }
    if (depth == 0) return int(i) + 1;
  }
  return 0;
}

namespace {

constexpr size_t kNone = std::string_view::npos;

// For every "{" of Text the index of the "}" that closes it (kNone when unclosed), found
// in one pass: walking from a "{", the depth is back to 0 exactly where a stack of open
// braces pops it. Splitting then stays linear however many groups the text holds.
std::vector<size_t> MatchBraces(std::string_view text) {
  std::vector<size_t> closing(text.size(), kNone);
  std::vector<size_t> open;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{') {
      open.push_back(i);
    } else if (text[i] == '}' && !open.empty()) {
      closing[open.back()] = i;
      open.pop_back();
    }
  }
  return closing;
}

}  // namespace

TOneArrayOfString SplitString(std::string_view text, char separator) {
  TOneArrayOfString items;
  std::string_view all = TrimBlanks(text);
  if (all.empty()) return items;
  std::vector<size_t> closing;
  if (all.find('{') != kNone) closing = MatchBraces(all);

  size_t start = 0;  // Rest is all[start..]
  while (true) {
    size_t p = all.find(separator, start);
    // Only a group that opens before the first separator protects it.
    size_t limit = p == kNone ? p : p - start;
    size_t b = all.substr(start, limit).find('{');
    if (p != kNone && b != kNone && !closing.empty()) {
      size_t c = closing[start + b];
      if (c != kNone) p = all.find(separator, c + 1);
    }
    size_t end = p == kNone ? all.size() : p;
    if (end > start) items.emplace_back(all.substr(start, end - start));
    if (p == kNone) break;
    start = p + 1;
  }
  return items;
}

TTwoArrayOfString SplitNameValuePairs(std::string_view text, char separator, char pairSeparator) {
  TOneArrayOfString items = SplitString(text, separator);
  TTwoArrayOfString pairs(items.size());
  size_t next = 0;
  for (const std::string& item : items) {
    size_t e = item.find(pairSeparator);
    if (e == std::string::npos) continue;
    std::string_view whole(item);
    std::string_view name = TrimRightBlanks(whole.substr(0, e));
    std::string_view value = TrimLeftBlanks(whole.substr(e + 1));
    if (value.size() >= 2 && value.front() == '{' && value.back() == '}')
      value = value.substr(1, value.size() - 2);
    pairs[next].Name = name;
    pairs[next].Value = value;
    ++next;
  }
  return pairs;
}

bool GetNamedValue(std::string_view text, std::string_view name, char separator, char pairSeparator,
                   std::string& value) {
  value.clear();
  for (TNameValuePair& pair : SplitNameValuePairs(text, separator, pairSeparator)) {
    if (SameText(pair.Name, name)) {
      value = std::move(pair.Value);
      return true;
    }
  }
  return false;
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}
