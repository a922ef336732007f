// The XML text reader: a recursive-descent parser over UTF-8 bytes, and the choice of
// encoding for files and buffers.
//
// The reader works on a copy of the text in the document's arena, followed by zero bytes,
// so it may look at a block of bytes anywhere without checking for the end first. Values
// that need no change (no reference to replace) are views into that copy.
#include <algorithm>
#include <cstring>
#include <list>
#include <memory>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <istream>
#include <iterator>

#include "foundation/Routines.h"
#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"
#include "foundation/TextConvert.h"

namespace {

static_assert(kXmlTextPadding >= 17, "a name of 16 bytes and the byte after it are read at once");

// ASCII classes, one table lookup per byte. A byte beyond ASCII may go on a name; the
// slow path decides.
enum : uint8_t { kSpace = 1, kNameStart = 2, kNameChar = 4, kNameGoesOn = 8 };

struct CharTable {
  uint8_t flags[256] = {};
  constexpr CharTable() {
    for (int c = 0; c <= 32; ++c) flags[c] = kSpace;
    for (int c = 'a'; c <= 'z'; ++c) flags[c] = kNameStart | kNameChar;
    for (int c = 'A'; c <= 'Z'; ++c) flags[c] = kNameStart | kNameChar;
    for (int c = '0'; c <= '9'; ++c) flags[c] = kNameChar;
    flags[int('_')] = kNameStart | kNameChar;
    flags[int('-')] = flags[int('.')] = flags[int(':')] = kNameChar;
    for (int c = 0; c < 256; ++c)
      if ((flags[c] & kNameChar) || c >= 0x80) flags[c] |= kNameGoesOn;
  }
};
constexpr CharTable kChars;

// "\"<what>\" expected", the message of every construct that is not there.
[[noreturn]] void RaiseExpected(std::string_view what) {
  std::string message;
  message += '"';
  message += what;
  message += "\" expected";
  RaiseXml(message);
}

// The first closing quote, "&" or "<" of an attribute value from `p`, or `end`; whether
// it is the quote.
const char* FindValueStop(const char* p, const char* end, char quote, bool& atQuote) {
  atQuote = false;
#ifdef __SSE2__
  // Sixteen bytes at a time; the zero bytes after the text match nothing.
  const __m128i q = _mm_set1_epi8(quote), amp = _mm_set1_epi8('&'), lt = _mm_set1_epi8('<');
  for (; p < end; p += 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned quotes = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, q)));
    unsigned others = unsigned(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, amp), _mm_cmpeq_epi8(chunk, lt))));
    if (unsigned stops = quotes | others) {
      unsigned at = unsigned(__builtin_ctz(stops));
      if (p + at >= end) return end;
      atQuote = (quotes >> at) & 1;
      return p + at;
    }
  }
  return end;
#else
  for (; p < end; ++p)
    if (*p == quote || *p == '&' || *p == '<') {
      atQuote = *p == quote;
      return p;
    }
  return end;
#endif
}

#ifdef __SSE2__
// Bit i set when byte i of the 16 at `p` is an ASCII name character (a letter, a digit,
// "-", ".", ":" or "_"); bytes beyond ASCII are left to the caller.
unsigned AsciiNameChars(const char* p) {
  __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i lower = _mm_or_si128(block, _mm_set1_epi8(0x20));
  __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                 _mm_cmplt_epi8(lower, _mm_set1_epi8('z' + 1)));
  __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8('0' - 1)),
                                _mm_cmplt_epi8(block, _mm_set1_epi8('9' + 1)));
  __m128i sign = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('-')),
                                           _mm_cmpeq_epi8(block, _mm_set1_epi8('.'))),
                              _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(':')),
                                           _mm_cmpeq_epi8(block, _mm_set1_epi8('_'))));
  return unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letter, digit), sign)));
}
#endif

// The attributes of the element being read: a few in place, more on the heap.
class TPendingAttrs {
 public:
  struct Attr {
    int32_t id;
    uint32_t length;
    const char* text;  // in the arena
  };
  TPendingAttrs() = default;
  TPendingAttrs(const TPendingAttrs&) = delete;
  TPendingAttrs& operator=(const TPendingAttrs&) = delete;
  Attr* begin() { return items_; }
  Attr* end() { return items_ + size_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }
  void push_back(const Attr& attr) {
    if (size_ == capacity_) Grow();
    items_[size_++] = attr;
  }

 private:
  void Grow() {
    auto more = std::make_unique<Attr[]>(capacity_ * 2);
    std::copy(items_, items_ + size_, more.get());
    heap_ = std::move(more);
    items_ = heap_.get();
    capacity_ *= 2;
  }
  Attr local_[16];
  std::unique_ptr<Attr[]> heap_;
  Attr* items_ = local_;
  size_t size_ = 0;
  size_t capacity_ = 16;
};

class TXmlTextReader {
 public:
  // `text` lies in `arena`, followed by kXmlTextPadding zero bytes.
  TXmlTextReader(std::string_view text, TXmlNameTable* names, bool preserve, TXmlArena* arena)
      : p_(text.data()),
        end_(text.data() + text.size()),
        names_(names),
        arena_(arena),
        preserve_(preserve),
        huge_(text.size() >= TXmlValue::kLongest) {}

  // Parses nodes into `owner` until the text ends or an end tag begins (left at its "/").
  void ParseList(TXmlNode* owner, int depth);
  // Reads an XML declaration ("<?xml ...?>") that makes up the whole text and gives the
  // value of its "encoding" attribute; false when there is none.
  bool ReadDeclaredEncoding(std::string& encoding);

 private:
  bool AtEnd() const { return p_ >= end_; }
  uint8_t Cur() const { return static_cast<uint8_t>(*p_); }
  // Hot loops work on a local copy of the position, which the compiler can keep in a
  // register (a member could alias the bytes written meanwhile).
  void SkipSpaces() { p_ = SpacesEnd(p_); }
  // The first byte from `p` that is not a space, or the end.
  const char* SpacesEnd(const char* p) const {
    if (static_cast<uint8_t>(p[0]) > 32) return p;
    // One space, as between attributes, needs no block.
    if (static_cast<uint8_t>(p[1]) > 32 && p < end_) return p + 1;
#ifdef __SSE2__
    // Runs of spaces (indentation) sixteen bytes at a time; the zero bytes after the text
    // count as spaces, so the end is checked once.
    for (;; p += 16) {
      __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i space = _mm_cmpeq_epi8(_mm_max_epu8(block, _mm_set1_epi8(32)), _mm_set1_epi8(32));
      if (unsigned visible = ~unsigned(_mm_movemask_epi8(space)) & 0xFFFF)
        return std::min(p + __builtin_ctz(visible), end_);
      if (p + 16 >= end_) return end_;
    }
#else
    while (p < end_ && static_cast<uint8_t>(*p) <= 32) ++p;
    return p;
#endif
  }
  bool AtNameStart() const {
    if (AtEnd()) return false;
    if (Cur() < 0x80) return kChars.flags[Cur()] & kNameStart;
    return AtWideNameStart();
  }
  bool AtWideNameStart() const;
  std::string_view ReadName();
  // Reads a name and gives its id.
  int32_t ReadNameId();
  // The id of a name at `p` that follows the last one as it did before, and moves `p`
  // past it; -1 when there is none such.
  int32_t KnownNameAt(const char*& p);
  int32_t ReadNameIdSlow();
  void Expect(char c);
  void ExpectText(std::string_view text);
  void ExpectName(std::string_view name);
  // Moves past `terminator` and returns the text before it.
  std::string_view ReadUpTo(std::string_view terminator);
  void ReadReference(std::string& out);
  // A string of the arena: the text itself, or a copy of what was decoded from it.
  std::string_view Keep(std::string_view text);
  std::string_view Keep(const std::string& decoded);
  void ReadAttributes(TXmlNode* node);
  void ReadAttributeList();
  std::string_view ReadDecodedValue(char quote);
  void AddPendingAttr(int32_t id, std::string_view value);
  void AddManyPendingAttr(int32_t id, std::string_view value);
  uint32_t& PlaceOf(int32_t id);
  void ClearPending();
  void StorePendingAttrs(TXmlNode* node);
  void ReadText(TXmlNode* owner);
  void AddText(TXmlNode* owner, std::string_view text);
  void ParseElement(TXmlNode* owner, int depth);
  void ParseProcessingInstruction(TXmlNode* owner);

  const char* p_;
  const char* end_;
  TXmlNameTable* names_;
  TXmlArena* arena_;
  bool preserve_;
  bool huge_;  // the text may hold a value too long for a slot

  // Whether the name is at `p`, whose first sixteen bytes are w0 and w1.
  static bool IsAt(const TXmlNameTable::KnownName& known, const char* p, uint64_t w0, uint64_t w1) {
    // Its bytes are no zero bytes, so they never match past the end of the text; the
    // byte after them must end a name.
    return known.length && (w0 & known.m0) == known.w0 && (w1 & known.m1) == known.w1 &&
           !(kChars.flags[static_cast<uint8_t>(p[known.length])] & kNameGoesOn);
  }
  int32_t last_ = -1;  // the id of the name read last

  std::string token_;  // text with references replaced; reused
  using PendingAttr = TPendingAttrs::Attr;
  TPendingAttrs pending_;
  std::list<std::string> kept_;  // decoded values, when there is no arena
  static constexpr size_t kFewAttrs = 16;
  uint64_t pendingIds_ = 0;  // a bit per id modulo 64 among pending_
  // Per name id: 1 + its place in pending_ while it is there and they are many, else 0.
  std::vector<uint32_t> seenAt_;
  bool seenFilled_ = false;
};

bool TXmlTextReader::AtWideNameStart() const {
  uint32_t cp;
  return DecodeUtf8(p_, end_, cp) != 0 && IsNameStartCodePoint(cp);
}

std::string_view TXmlTextReader::ReadName() {
  if (!AtNameStart()) RaiseXml("Name can only begin with a letter or \"_\"");
  const char* start = p_;
  const char* p = p_;
#ifdef __SSE2__
  // Most names are short and ASCII: one block finds their end (the zero bytes after the
  // text end a name there).
  unsigned stop = ~AsciiNameChars(p) & 0xFFFF;
  if (stop) {
    const char* at = p + __builtin_ctz(stop);
    if (static_cast<uint8_t>(*at) < 0x80) {
      p_ = at;
      return std::string_view(start, size_t(at - start));
    }
    p = at;
  } else {
    p += 16;
  }
#endif
  while (p < end_) {
    uint8_t c = static_cast<uint8_t>(*p);
    if (c < 0x80) {
      if (!(kChars.flags[c] & kNameChar)) break;
      ++p;
      continue;
    }
    uint32_t cp;
    int n = DecodeUtf8(p, end_, cp);
    if (n == 0 || !IsNameCodePoint(cp)) break;
    p += n;
  }
  p_ = std::min(p, end_);
  return std::string_view(start, size_t(p_ - start));
}

inline int32_t TXmlTextReader::ReadNameId() {
  const char* p = p_;
  int32_t id = KnownNameAt(p);
  if (id < 0) return ReadNameIdSlow();
  p_ = p;
  return id;
}

inline int32_t TXmlTextReader::KnownNameAt(const char*& p) {
  TXmlNameTable::KnownName* known = names_->FollowersOf(last_);
  if (!known) return -1;
  uint64_t w0, w1;
  std::memcpy(&w0, p, 8);
  std::memcpy(&w1, p + 8, 8);
  if (IsAt(known[0], p, w0, w1)) {
    p += known[0].length;
    last_ = known[0].id;
    return last_;
  }
  for (int i = 1; i < TXmlNameTable::kFollowers; ++i)
    if (IsAt(known[i], p, w0, w1)) {
      // Those met more often move to the front, one place per meeting.
      std::swap(known[i - 1], known[i]);
      p += known[i - 1].length;
      last_ = known[i - 1].id;
      return last_;
    }
  return -1;
}

int32_t TXmlTextReader::ReadNameIdSlow() {
  std::string_view name = ReadName();
  int32_t id = names_->GetID(name);
  // A name not known takes the first free place after the last name, or the last place.
  if (TXmlNameTable::KnownName* known = name.size() <= 16 ? names_->FollowersOf(last_) : nullptr) {
    int place = 0;
    while (place < TXmlNameTable::kFollowers - 1 && known[place].length) ++place;
    TXmlNameTable::KnownName& entry = known[place];
    size_t n = name.size();
    entry.m0 = n >= 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * n)) - 1;
    entry.m1 = n <= 8 ? 0 : n == 16 ? ~uint64_t(0) : (uint64_t(1) << (8 * (n - 8))) - 1;
    uint64_t w0, w1;
    std::memcpy(&w0, name.data(), 8);
    std::memcpy(&w1, name.data() + 8, 8);
    entry.w0 = w0 & entry.m0;
    entry.w1 = w1 & entry.m1;
    entry.length = uint32_t(n);
    entry.id = id;
  }
  last_ = id;
  return id;
}

void TXmlTextReader::Expect(char c) {
  if (AtEnd() || *p_ != c) RaiseExpected(std::string_view(&c, 1));
  ++p_;
}

void TXmlTextReader::ExpectText(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (AtEnd() || *p_ != text[i]) RaiseExpected(text.substr(i));
    ++p_;
  }
}

void TXmlTextReader::ExpectName(std::string_view name) {
  if (size_t(end_ - p_) >= name.size() && std::memcmp(p_, name.data(), name.size()) == 0) {
    p_ += name.size();
    return;
  }
  for (size_t i = 0; i < name.size(); ++i) {
    if (!AtEnd() && *p_ == name[i]) {
      ++p_;
      continue;
    }
    // Report from the start of the character that differs.
    while (i > 0 && (static_cast<uint8_t>(name[i]) & 0xC0) == 0x80) --i;
    RaiseExpected(name.substr(i));
  }
}

std::string_view TXmlTextReader::ReadUpTo(std::string_view terminator) {
  std::string_view rest(p_, end_ - p_);
  size_t found = rest.find(terminator);
  if (found == std::string_view::npos) RaiseExpected(terminator);
  p_ += found + terminator.size();
  return rest.substr(0, found);
}

void TXmlTextReader::ReadReference(std::string& out) {
  ++p_;  // "&"
  if (AtEnd()) RaiseXml("\"#\" or control symbol name expected");
  if (*p_ != '#') {
    std::string_view name = ReadName();
    Expect(';');
    if (name == "amp") return out.push_back('&');
    if (name == "quot") return out.push_back('"');
    if (name == "lt") return out.push_back('<');
    if (name == "gt") return out.push_back('>');
    if (name == "apos") return out.push_back('\'');
    RaiseXml("Incorrect control symbol name");
  }
  ++p_;
  if (AtEnd()) RaiseXml("Number expected");
  bool hex = *p_ == 'x';
  if (hex) ++p_;
  // A number beyond Unicode names no character: refused like a missing one, rather than
  // read as whatever character its low bits happen to give.
  uint32_t value = 0;
  int digits = 0;
  for (; !AtEnd(); ++p_, ++digits) {
    int d;
    char c = *p_;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      break;
    uint32_t base = hex ? 16 : 10;
    value = std::min<uint64_t>(uint64_t(value) * base + d, 0x110000);
  }
  if (digits == 0 || value > 0x10FFFF)
    RaiseXml(hex ? "Hexadecimal number expected" : "Number expected");
  Expect(';');
  AppendUtf8(out, value);
}

inline std::string_view TXmlTextReader::Keep(std::string_view text) {
  // A value is never longer than the text it comes from.
  if (huge_ && text.size() >= TXmlValue::kLongest) throw Exception("Value too long");
  return text;
}

std::string_view TXmlTextReader::Keep(const std::string& decoded) {
  Keep(std::string_view(decoded));
  if (!arena_) return kept_.emplace_back(decoded);
  auto* copy = static_cast<char*>(arena_->Allocate(decoded.size()));
  if (!decoded.empty()) std::memcpy(copy, decoded.data(), decoded.size());
  return std::string_view(copy, decoded.size());
}

void TXmlTextReader::ReadAttributes(TXmlNode* node) {
  ClearPending();
  try {
    ReadAttributeList();
  } catch (...) {
    StorePendingAttrs(node);
    throw;
  }
  StorePendingAttrs(node);
}

void TXmlTextReader::ReadAttributeList() {
  // The position lives in a register here: p_ could share memory with what is stored
  // meanwhile, as far as the compiler can tell, and would be read back after every store.
  const char* p = p_;
  for (;;) {
    p = SpacesEnd(p);
    uint8_t first = static_cast<uint8_t>(*p);
    // (The zero bytes after the text start no name.)
    if (first < 0x80 ? !(kChars.flags[first] & kNameStart) : (p_ = p, !AtWideNameStart())) break;
    int32_t attrId = KnownNameAt(p);
    if (attrId < 0) {
      p_ = p;
      attrId = ReadNameIdSlow();
      p = p_;
    }
    char quote;
    if (p[0] == '=' && (p[1] == '"' || p[1] == '\'')) {
      // The common case, name="value", read without a test per construct.
      quote = p[1];
      p += 2;
    } else {
      p_ = p;
      SkipSpaces();
      Expect('=');
      SkipSpaces();
      if (AtEnd()) RaiseXml("Attribute value expected");
      quote = *p_;
      if (quote != '"' && quote != '\'') RaiseXml("String literal expected");
      p = p_ + 1;
    }
    const char* start = p;
    bool atQuote;
    const char* stop = FindValueStop(start, end_, quote, atQuote);
    if (atQuote) {
      // The value is the text as written.
      p = stop + 1;
      AddPendingAttr(attrId, Keep(std::string_view(start, size_t(stop - start))));
      continue;
    }
    p_ = stop;
    token_.assign(start, size_t(stop - start));
    AddPendingAttr(attrId, ReadDecodedValue(quote));
    p = p_;
  }
  p_ = p;
}

// The rest of a value that holds references, from the first of them.
std::string_view TXmlTextReader::ReadDecodedValue(char quote) {
  for (;;) {
    if (AtEnd()) RaiseExpected(std::string_view(&quote, 1));
    char c = *p_;
    if (c == quote) break;
    if (c == '<') RaiseXml("\"<\" cannot be used in attribute values");
    if (c == '&') {
      ReadReference(token_);
      continue;
    }
    const char* run = p_;
    bool atQuote;
    p_ = FindValueStop(p_, end_, quote, atQuote);
    token_.append(run, size_t(p_ - run));
  }
  ++p_;  // closing quote
  return Keep(token_);
}

// A repeated name keeps its first place and takes the last value. Among few attributes
// it is found by looking back; among many, by a place per name id, so that it costs the
// same for any count.
inline void TXmlTextReader::AddPendingAttr(int32_t id, std::string_view value) {
  if (pending_.size() >= kFewAttrs) return AddManyPendingAttr(id, value);
  uint64_t bit = uint64_t(1) << (uint32_t(id) & 63);
  if (pendingIds_ & bit) {
    for (PendingAttr& attr : pending_)
      if (attr.id == id) {
        attr.length = uint32_t(value.size());
        attr.text = value.data();
        return;
      }
  }
  pendingIds_ |= bit;
  pending_.push_back(PendingAttr{id, uint32_t(value.size()), value.data()});
}

void TXmlTextReader::AddManyPendingAttr(int32_t id, std::string_view value) {
  if (!seenFilled_) {
    for (const PendingAttr& attr : pending_)
      PlaceOf(attr.id) = uint32_t(&attr - pending_.begin()) + 1;
    seenFilled_ = true;
  }
  if (uint32_t place = PlaceOf(id)) {
    pending_.begin()[place - 1].length = uint32_t(value.size());
    pending_.begin()[place - 1].text = value.data();
    return;
  }
  pending_.push_back(PendingAttr{id, uint32_t(value.size()), value.data()});
  PlaceOf(id) = uint32_t(pending_.size());
}

uint32_t& TXmlTextReader::PlaceOf(int32_t id) {
  if (size_t(id) >= seenAt_.size()) seenAt_.resize(std::max(size_t(id) + 1, seenAt_.size() * 2));
  return seenAt_[size_t(id)];
}

void TXmlTextReader::ClearPending() {
  if (seenFilled_) {
    for (const PendingAttr& attr : pending_) seenAt_[size_t(attr.id)] = 0;
    seenFilled_ = false;
  }
  pending_.clear();
  pendingIds_ = 0;
}

// The attributes go to the node in one piece of the arena of the exact size, each value
// a view of the arena's text.
void TXmlTextReader::StorePendingAttrs(TXmlNode* node) {
  if (pending_.empty()) return;
  TXmlArray<TXmlAttrData>& attrs = node->Attrs();
  attrs.ReserveIn(node->Arena(), attrs.size() + pending_.size());
  for (const PendingAttr& pending : pending_)
    attrs.EmplaceBackReserved(pending.id, std::string_view(pending.text, pending.length));
  ClearPending();
}

void TXmlTextReader::AddText(TXmlNode* owner, std::string_view text) {
  // Simple leaf elements keep their text as the stored value: one object, not two.
  bool endTagFollows = p_[0] == '<' && p_[1] == '/';
  if (endTagFollows && !owner->HasChildren() && owner->NodeType() == NODE_ELEMENT) {
    static_cast<TXmlElement*>(owner)->StoredValue().SetView(text);
    return;
  }
  // Text on both sides of a skipped document type declaration is one text, as written.
  const auto& children = owner->RawChildren();
  if (!children.empty() && children.back()->NodeType() == NODE_TEXT) {
    TXmlValue& value = static_cast<TXmlText*>(children.back().get())->Value();
    value.SetView(Keep(std::string(value.Text()) + std::string(text)));
    return;
  }
  auto* node = new (arena_) TXmlText(names_, arena_);
  owner->AdoptLoaded(node);
  node->Value().SetView(text);
}

void TXmlTextReader::ReadText(TXmlNode* owner) {
  const char* start = p_;
  const char* p = SpacesEnd(p_);
  // Only spaces, as between tags: nothing to keep unless whitespace is preserved.
  if (!preserve_ && (p == end_ || *p == '<')) {
    p_ = p;
    return;
  }
  const void* lt = std::memchr(p, '<', size_t(end_ - p));
  const char* stop = lt ? static_cast<const char*>(lt) : end_;
  const void* amp = std::memchr(p, '&', size_t(stop - p));
  if (!amp) {
    p_ = stop;
    return AddText(owner, Keep(std::string_view(start, size_t(stop - start))));
  }
  p_ = static_cast<const char*>(amp);
  token_.assign(start, size_t(p_ - start));
  while (p_ < end_ && *p_ != '<') {
    if (*p_ == '&') {
      ReadReference(token_);
      continue;
    }
    const char* run = p_;
    while (p_ < end_ && *p_ != '<' && *p_ != '&') ++p_;
    token_.append(run, size_t(p_ - run));
  }
  // Whether it is only spaces is known once references are replaced ("&#32;" is one).
  bool visible = std::any_of(token_.begin(), token_.end(),
                             [](char c) { return static_cast<uint8_t>(c) > 32; });
  if (preserve_ || visible) AddText(owner, Keep(token_));
}

void TXmlTextReader::ParseList(TXmlNode* owner, int depth) {
  while (!AtEnd()) {
    ReadText(owner);
    if (AtEnd()) return;
    ++p_;  // "<"
    if (AtEnd()) return;
    switch (*p_) {
      case '/':
        return;
      case '?':
        ParseProcessingInstruction(owner);
        break;
      case '!':
        ++p_;
        if (!AtEnd() && *p_ == '-') {
          ExpectText("--");
          std::string_view text = ReadUpTo("-->");
          auto* comment = new (arena_) TXmlComment(names_, {}, arena_);
          owner->AdoptLoaded(comment);
          comment->TextSlot().SetView(Keep(text));
        } else if (!AtEnd() && *p_ == '[') {
          ExpectText("[CDATA[");
          std::string_view text = ReadUpTo("]]>");
          auto* section = new (arena_) TXmlCDATASection(names_, {}, arena_);
          owner->AdoptLoaded(section);
          section->TextSlot().SetView(Keep(text));
        } else {
          ExpectText("DOCTYPE");
          ReadUpTo(">");
        }
        break;
      default:
        ParseElement(owner, depth);
    }
  }
}

void TXmlTextReader::ParseElement(TXmlNode* owner, int depth) {
  CheckXmlDepth(depth + 1);
  const char* start = p_;
  int32_t id = ReadNameId();
  std::string_view name(start, size_t(p_ - start));
  if (AtEnd()) RaiseXml("Incomplete element definition");
  if (!(Cur() <= 32 || *p_ == '/' || *p_ == '>')) RaiseXml("Incorrect symbol in the element name");
  auto* element = new (arena_) TXmlElement(names_, id, arena_);
  owner->AdoptLoaded(element);
  ReadAttributes(element);
  if (!AtEnd() && *p_ == '/') return ExpectText("/>");
  Expect('>');
  ParseList(element, depth + 1);
  Expect('/');
  ExpectName(name);
  SkipSpaces();
  Expect('>');
}

void TXmlTextReader::ParseProcessingInstruction(TXmlNode* owner) {
  ++p_;  // "?"
  const char* start = p_;
  int32_t id = ReadNameId();
  std::string_view name(start, size_t(p_ - start));
  auto* instruction = new (arena_) TXmlProcessingInstruction(names_, id, {}, arena_);
  owner->AdoptLoaded(instruction);
  if (name == "xml") {
    ReadAttributes(instruction);
    ExpectText("?>");
    return;
  }
  instruction->TextSlot().SetView(Keep(ReadUpTo("?>")));
}

bool TXmlTextReader::ReadDeclaredEncoding(std::string& encoding) {
  // Only a declaration (target "xml" exactly) has attributes; any other instruction
  // names no encoding.
  ExpectText("<?");
  if (ReadName() != "xml") return false;
  ClearPending();
  ReadAttributeList();
  ExpectText("?>");
  int32_t id = names_->FindID("encoding");
  for (const PendingAttr& pending : pending_) {
    if (pending.id != id) continue;
    encoding.assign(pending.text, pending.length);
    return true;
  }
  return false;
}

// Whether the text's XML declaration names an encoding other than UTF-8.
bool DeclaresOtherEncoding(std::string_view bytes) {
  size_t open = bytes.find("<?");
  if (open == std::string_view::npos) return false;
  size_t close = bytes.find("?>", open);
  if (close == std::string_view::npos) return false;
  // Without the word there is no encoding attribute to read.
  if (bytes.substr(open, close - open).find("encoding") == std::string_view::npos) return false;
  try {
    // The reader needs zero bytes after the text; a declaration is short.
    std::string_view declaration = bytes.substr(open, close + 2 - open);
    char shortCopy[256] = {};
    std::string longCopy;
    char* copy = shortCopy;
    if (declaration.size() + kXmlTextPadding > sizeof shortCopy) {
      longCopy.assign(declaration.size() + kXmlTextPadding, '\0');
      copy = longCopy.data();
    }
    std::memcpy(copy, declaration.data(), declaration.size());
    TXmlTextReader reader(std::string_view(copy, declaration.size()), SharedXmlNameTable(), false,
                          nullptr);
    std::string encoding;
    return reader.ReadDeclaredEncoding(encoding) && !SameText(encoding, "utf-8");
  } catch (const Exception&) {
    return false;
  }
}

// Parses text that lies in the arena of the load, followed by its padding.
void ParseCopy(TXmlDocument& document, std::string_view copy, TXmlArena* arena) {
  TXmlTextReader reader(copy, document.Names(), document.GetPreserveWhiteSpace(), arena);
  reader.ParseList(&document, 0);
}

bool StartsWithMagic(std::string_view bytes) {
  return bytes.substr(0, kBinaryXmlMagic.size()) == kBinaryXmlMagic;
}

}  // namespace

void TXmlDocument::ParseText(std::string_view text) {
  TXmlArena* arena = StartLoad(names_, text.size());
  ParseCopy(*this, arena->CopyText(text), arena);
}

void TXmlDocument::LoadXML(std::string_view text) {
  Reset();
  if (StartsWithMagic(text)) return ReadBinaryXml(*this, text);
  ParseText(text);
}

void TXmlDocument::LoadBinaryXml(std::string_view bytes) {
  Reset();
  ReadBinaryXml(*this, bytes);
}

void TXmlDocument::LoadBytes(std::string_view bytes, bool ansiFallback, bool upToZero) {
  Reset();
  if (StartsWithMagic(bytes)) return ReadBinaryXml(*this, bytes);
  // The text is copied once: the copy is checked for its end and its first byte beyond
  // ASCII on the way; only what follows that byte needs a closer look as UTF-8.
  TXmlArena* arena = StartLoad(names_, bytes.size());
  size_t firstWide;
  std::string_view text = arena->CopyText(bytes, &firstWide, upToZero);
  ParseLoaded(arena, text, firstWide, ansiFallback);
}

void TXmlDocument::ParseLoaded(TXmlArena* arena, std::string_view text, size_t firstWide,
                               bool ansiFallback) {
  if (DeclaresOtherEncoding(text)) return ParseText(AnsiToUtf8(text));
  // A byte-order mark says nothing the parser needs; it is not text of the document.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
    firstWide = 0;
  }
  if (firstWide < text.size()) {
    std::string storage;
    switch (CheckUtf8(text.substr(firstWide))) {
      case Utf8State::Canonical:
        break;
      case Utf8State::NeedsRewrite:
        CanonicalUtf8(text, storage);
        text = arena->CopyText(storage);
        break;
      case Utf8State::Malformed:
        if (!ansiFallback) return;
        storage = AnsiToUtf8(text);
        text = arena->CopyText(storage);
        break;
    }
  }
  ParseCopy(*this, text, arena);
}

void TXmlDocument::LoadFromStream(std::istream& stream) {
  std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (bytes.size() == kBinaryXmlMagic.size() && StartsWithMagic(bytes)) {
    // Exactly the magic and nothing else is not the binary form; read it as text.
    Reset();
    return ParseText(bytes);
  }
  LoadBytes(bytes, true);
}

Ref<IXmlDocument> LoadXmlFromBuffer(const void* bytes, size_t size) {
  Ref<TXmlDocument> document(new TXmlDocument(SharedXmlNameTable()));
  // Text ends at its first zero byte.
  document->LoadBytes(std::string_view(static_cast<const char*>(bytes), bytes ? size : 0), false,
                      true);
  return Ref<IXmlDocument>(document.get());
}
