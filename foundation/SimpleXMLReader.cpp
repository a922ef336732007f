// The XML text reader: a recursive-descent parser over UTF-8 bytes, and the choice of
// encoding for files and buffers.
#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <istream>
#include <iterator>

#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"
#include "foundation/TextConvert.h"

namespace {

// ASCII classes, one table lookup per byte.
enum : uint8_t { kSpace = 1, kNameStart = 2, kNameChar = 4, kValueStop = 8 };

struct CharTable {
  uint8_t flags[256] = {};
  constexpr CharTable() {
    for (int c = 0; c <= 32; ++c) flags[c] = kSpace;
    for (int c = 'a'; c <= 'z'; ++c) flags[c] = kNameStart | kNameChar;
    for (int c = 'A'; c <= 'Z'; ++c) flags[c] = kNameStart | kNameChar;
    for (int c = '0'; c <= '9'; ++c) flags[c] = kNameChar;
    flags[int('_')] = kNameStart | kNameChar;
    flags[int('-')] = flags[int('.')] = flags[int(':')] = kNameChar;
    for (char c : {'"', '\'', '&', '<'}) flags[uint8_t(c)] |= kValueStop;
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

// The first closing quote, "&" or "<" of an attribute value, or `end`; sixteen bytes
// at a time where the text allows.
const char* FindValueStop(const char* p, const char* end, char quote) {
#ifdef __SSE2__
  const __m128i q = _mm_set1_epi8(quote), amp = _mm_set1_epi8('&'), lt = _mm_set1_epi8('<');
  for (; end - p >= 16; p += 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, q), _mm_cmpeq_epi8(chunk, amp)),
                               _mm_cmpeq_epi8(chunk, lt));
    if (int mask = _mm_movemask_epi8(hit)) return p + __builtin_ctz(unsigned(mask));
  }
#endif
  for (; p < end; ++p) {
    uint8_t c = static_cast<uint8_t>(*p);
    if (kChars.flags[c] & kValueStop && (c == uint8_t(quote) || c == '&' || c == '<')) return p;
  }
  return end;
}

bool HasVisible(std::string_view text) {
  for (char c : text)
    if (static_cast<uint8_t>(c) > 32) return true;
  return false;
}

class TXmlTextReader {
 public:
  TXmlTextReader(std::string_view text, TXmlNameTable* names, bool preserve, TXmlArena* arena)
      : p_(text.data()),
        end_(text.data() + text.size()),
        names_(names),
        arena_(arena),
        preserve_(preserve) {
    pending_.reserve(16);
  }

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
  void SkipSpaces() {
    const char* p = p_;
    while (p < end_ && static_cast<uint8_t>(*p) <= 32) ++p;
    p_ = p;
  }
  bool AtNameStart() const;
  std::string_view ReadName();
  // The id of the name ReadName just gave.
  int32_t InternLastName(std::string_view name);
  void Expect(char c);
  void ExpectText(std::string_view text);
  void ExpectName(std::string_view name);
  // Moves past `terminator` and returns the text before it.
  std::string_view ReadUpTo(std::string_view terminator);
  void ReadReference(std::string& out);
  void ReadAttributes(TXmlNode* node);
  void ReadAttributeList();
  // An attribute read but not yet stored: its value is in the text or in decoded_.
  struct PendingAttr {
    int32_t id;
    uint32_t length;
    const char* text;  // null when the value is in decoded_
    uint32_t decodedOffset;
  };
  // Fields one by one: a struct built on the stack and copied whole would stall on its
  // parts, written separately just before.
  void AddPendingAttr(int32_t id, uint32_t length, const char* text, uint32_t decodedOffset);
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
  struct NameCacheEntry {
    uint64_t w0 = 0, w1 = 0;  // the name's bytes, zero beyond its length
    uint32_t length = 0;
    int32_t id = -1;
  };
  static constexpr int kNameCacheBits = 6;
  NameCacheEntry nameCache_[1 << kNameCacheBits];
  std::string token_;                 // text with references replaced; reused
  std::vector<PendingAttr> pending_;  // attributes of the element being read; reused
  std::string decoded_;               // their values that held references
  // Per name id: 1 + its place in pending_ while it is there, else 0. A repeated name is
  // found at once however many attributes an element has.
  std::vector<uint32_t> seenAt_;
};

bool TXmlTextReader::AtNameStart() const {
  if (AtEnd()) return false;
  if (Cur() < 0x80) return kChars.flags[Cur()] & kNameStart;
  uint32_t cp;
  return DecodeUtf8(p_, end_, cp) != 0 && IsNameStartCodePoint(cp);
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

std::string_view TXmlTextReader::ReadName() {
  if (!AtNameStart()) RaiseXml("Name can only begin with a letter or \"_\"");
  const char* start = p_;
  const char* p = p_;
#ifdef __SSE2__
  // Most names are short and ASCII: one block finds their end.
  if (end_ - p >= 16) {
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
  p_ = p;
  return std::string_view(start, p_ - start);
}

// A document uses few names, over and over. Names of up to 16 bytes are remembered by
// their bytes in a small cache, so most lookups cost two compares instead of a hash.
int32_t TXmlTextReader::InternLastName(std::string_view name) {
  size_t length = name.size();
  if (length > 16 || end_ - name.data() < 16) return names_->GetID(name);
  uint64_t w0, w1;
  std::memcpy(&w0, name.data(), 8);
  std::memcpy(&w1, name.data() + 8, 8);
  // Only the name's own bytes count.
  if (length < 8) {
    w0 &= (uint64_t(1) << (8 * length)) - 1;
    w1 = 0;
  } else if (length < 16) {
    w1 &= (uint64_t(1) << (8 * (length - 8))) - 1;
  }
  uint64_t mix = (w0 ^ (w1 * 31) ^ length) * 0x9E3779B97F4A7C15ull;
  NameCacheEntry& entry = nameCache_[mix >> (64 - kNameCacheBits)];
  if (entry.id >= 0 && entry.w0 == w0 && entry.w1 == w1 && entry.length == length) return entry.id;
  int32_t id = names_->GetID(name);
  entry = {w0, w1, uint32_t(length), id};
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

void TXmlTextReader::ReadAttributes(TXmlNode* node) {
  pending_.clear();
  decoded_.clear();
  try {
    ReadAttributeList();
  } catch (...) {
    StorePendingAttrs(node);
    throw;
  }
  StorePendingAttrs(node);
}

void TXmlTextReader::ReadAttributeList() {
  SkipSpaces();
  while (AtNameStart()) {
    int32_t attrId = InternLastName(ReadName());
    SkipSpaces();
    Expect('=');
    SkipSpaces();
    if (AtEnd()) RaiseXml("Attribute value expected");
    char quote = *p_;
    if (quote != '"' && quote != '\'') RaiseXml("String literal expected");
    ++p_;
    const char* start = p_;
    p_ = FindValueStop(p_, end_, quote);
    if (!AtEnd() && *p_ == quote) {
      // The common case: the value is the text as written.
      ++p_;
      AddPendingAttr(attrId, uint32_t(p_ - 1 - start), start, 0);
      SkipSpaces();
      continue;
    }
    token_.assign(start, p_ - start);
    for (;;) {
      if (AtEnd()) RaiseExpected(std::string_view(&quote, 1));
      char c = *p_;
      if (c == quote) break;
      if (c == '<') RaiseXml("\"<\" cannot be used in attribute values");
      if (c == '&') {
        ReadReference(token_);
        continue;
      }
      token_.push_back(c);
      ++p_;
    }
    ++p_;  // closing quote
    AddPendingAttr(attrId, uint32_t(token_.size()), nullptr, uint32_t(decoded_.size()));
    decoded_ += token_;
    SkipSpaces();
  }
}

inline void TXmlTextReader::AddPendingAttr(int32_t id, uint32_t length, const char* text,
                                           uint32_t decodedOffset) {
  if (size_t(id) >= seenAt_.size()) seenAt_.resize(std::max(size_t(id) + 1, seenAt_.size() * 2), 0);
  uint32_t& seen = seenAt_[size_t(id)];
  if (!seen) {
    pending_.emplace_back();
    seen = uint32_t(pending_.size());
  }
  PendingAttr& attr = pending_[seen - 1];
  attr.id = id;
  attr.length = length;
  attr.text = text;
  attr.decodedOffset = decodedOffset;
}

// The attributes go to the node in one piece of the arena of the exact size, each value
// copied once from the text.
void TXmlTextReader::StorePendingAttrs(TXmlNode* node) {
  for (const PendingAttr& pending : pending_) seenAt_[size_t(pending.id)] = 0;
  TXmlArray<TXmlAttrData>& attrs = node->Attrs();
  TXmlArena* arena = node->Arena();
  attrs.ReserveIn(arena, attrs.size() + pending_.size());
  for (const PendingAttr& pending : pending_) {
    TXmlAttrData& attr = attrs.emplace_back();
    attr.nameId = pending.id;
    const char* data = pending.text ? pending.text : decoded_.data() + pending.decodedOffset;
    attr.SetStringIn(arena, std::string_view(data, pending.length));
  }
  pending_.clear();
}

void TXmlTextReader::AddText(TXmlNode* owner, std::string_view text) {
  // Simple leaf elements keep their text as the stored value: one object, not two.
  bool endTagFollows = end_ - p_ >= 2 && p_[0] == '<' && p_[1] == '/';
  if (endTagFollows && !owner->HasChildren() && owner->NodeType() == NODE_ELEMENT) {
    static_cast<TXmlElement*>(owner)->StoredValue().SetStringIn(owner->Arena(), text);
    return;
  }
  // Text on both sides of a skipped document type declaration is one text, as written.
  const auto& children = owner->RawChildren();
  if (!children.empty() && children.back()->NodeType() == NODE_TEXT) {
    TXmlValue& value = static_cast<TXmlText*>(children.back().get())->Value();
    value.SetString(std::string(value.Text()) + std::string(text));
    return;
  }
  auto* node = new (arena_) TXmlText(names_);
  owner->AdoptLoaded(node);
  node->Value().SetStringIn(arena_, text);
}

void TXmlTextReader::ReadText(TXmlNode* owner) {
  const char* start = p_;
  const void* lt = std::memchr(p_, '<', end_ - p_);
  const char* stop = lt ? static_cast<const char*>(lt) : end_;
  std::string_view raw(start, stop - start);
  if (raw.find('&') == std::string_view::npos) {
    p_ = stop;
    if (preserve_ || HasVisible(raw)) AddText(owner, raw);
    return;
  }
  token_.clear();
  while (p_ < end_ && *p_ != '<') {
    if (*p_ == '&') {
      ReadReference(token_);
      continue;
    }
    const char* run = p_;
    while (p_ < end_ && *p_ != '<' && *p_ != '&') ++p_;
    token_.append(run, p_ - run);
  }
  if (preserve_ || HasVisible(token_)) AddText(owner, token_);
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
          owner->AdoptLoaded(new (arena_) TXmlComment(names_, std::string(text)));
        } else if (!AtEnd() && *p_ == '[') {
          ExpectText("[CDATA[");
          std::string_view text = ReadUpTo("]]>");
          owner->AdoptLoaded(new (arena_) TXmlCDATASection(names_, std::string(text)));
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
  std::string_view name = ReadName();
  if (AtEnd()) RaiseXml("Incomplete element definition");
  if (!(Cur() <= 32 || *p_ == '/' || *p_ == '>')) RaiseXml("Incorrect symbol in the element name");
  auto* element = new (arena_) TXmlElement(names_, InternLastName(name));
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
  std::string_view name = ReadName();
  auto* instruction =
      new (arena_) TXmlProcessingInstruction(names_, names_->GetID(name), std::string());
  owner->AdoptLoaded(instruction);
  if (name == "xml") {
    ReadAttributes(instruction);
    ExpectText("?>");
    return;
  }
  instruction->SetText(ReadUpTo("?>"));
}

bool TXmlTextReader::ReadDeclaredEncoding(std::string& encoding) {
  // Only a declaration (target "xml" exactly) has attributes; any other instruction
  // names no encoding.
  ExpectText("<?");
  if (ReadName() != "xml") return false;
  pending_.clear();
  decoded_.clear();
  ReadAttributeList();
  ExpectText("?>");
  int32_t id = names_->FindID("encoding");
  for (const PendingAttr& pending : pending_) seenAt_[size_t(pending.id)] = 0;
  for (const PendingAttr& pending : pending_) {
    if (pending.id != id) continue;
    const char* data = pending.text ? pending.text : decoded_.data() + pending.decodedOffset;
    encoding.assign(data, pending.length);
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
    TXmlTextReader reader(bytes.substr(open, close + 2 - open), SharedXmlNameTable(), false,
                          nullptr);
    std::string encoding;
    return reader.ReadDeclaredEncoding(encoding) && !EqualsNoCase(encoding, "utf-8");
  } catch (const Exception&) {
    return false;
  }
}

// The bytes of a file or buffer as the UTF-8 text the parser reads, or false when they
// are malformed UTF-8 (and no fallback is wanted).
bool DecodeXmlBytes(std::string_view bytes, bool ansiFallback, std::string& storage,
                    std::string_view& text) {
  if (DeclaresOtherEncoding(bytes)) {
    storage = AnsiToUtf8(bytes);
    text = storage;
    return true;
  }
  // A byte-order mark says nothing the parser needs; it is not text of the document.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  switch (CheckUtf8(bytes)) {
    case Utf8State::Canonical:
      text = bytes;
      return true;
    case Utf8State::NeedsRewrite:
      CanonicalUtf8(bytes, storage);
      text = storage;
      return true;
    case Utf8State::Malformed:
      if (!ansiFallback) return false;
      storage = AnsiToUtf8(bytes);
      text = storage;
      return true;
  }
  return false;
}

bool StartsWithMagic(std::string_view bytes) {
  return bytes.substr(0, kBinaryXmlMagic.size()) == kBinaryXmlMagic;
}

}  // namespace

void TXmlDocument::ParseText(std::string_view text) {
  Ref<TXmlArena> arena(new TXmlArena());
  TXmlTextReader reader(text, names_.get(), preserveWhiteSpace_, arena.get());
  reader.ParseList(this, 0);
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

void TXmlDocument::LoadBytes(std::string_view bytes, bool ansiFallback) {
  Reset();
  if (StartsWithMagic(bytes)) return ReadBinaryXml(*this, bytes);
  std::string storage;
  std::string_view text;
  if (DecodeXmlBytes(bytes, ansiFallback, storage, text)) ParseText(text);
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
  std::string_view view(static_cast<const char*>(bytes), bytes ? size : 0);
  if (!StartsWithMagic(view)) view = view.substr(0, view.find('\0'));
  document->LoadBytes(view, false);
  return Ref<IXmlDocument>(document.get());
}
