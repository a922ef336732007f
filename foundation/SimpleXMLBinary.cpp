// The binary-xml form: names once in a table, packed integers, typed values.
#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <ostream>

#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"
#include "foundation/TextConvert.h"

// The few small readers every value goes through, kept in the loops that call them.
#if defined(__GNUC__)
#define XML_HOT [[gnu::always_inline]] inline
#else
#define XML_HOT inline
#endif

namespace {

constexpr size_t kStreamBuffer = 65536;

enum ValueCode : int32_t {
  kEmpty = 0,
  kNull = 1,
  kSmallInt = 2,
  kInteger = 3,
  kSingle = 4,
  kDouble = 5,
  kCurrency = 6,
  kDate = 7,
  kWideString = 8,
  kBoolean = 11,
  kByte = 17,
  kByteString = 256,
  kByteArray = 0x2011,
};

size_t PackInteger(int32_t v, uint8_t* out) {
  if (v >= 0 && v <= 127) {
    out[0] = uint8_t(v);
    return 1;
  }
  if (v >= 128 && v <= 0x7EFF) {
    out[0] = uint8_t(0x80 | (v >> 8));
    out[1] = uint8_t(v & 0xFF);
    return 2;
  }
  out[0] = 0xFF;
  for (int i = 0; i < 4; ++i) out[1 + i] = uint8_t(uint32_t(v) >> (8 * i));
  return 5;
}

// ---------------------------------------------------------------------------------------
// Writer

class TBinXmlWriter {
 public:
  TBinXmlWriter(std::string& out, std::ostream* stream, uint32_t flags)
      : out_(out), stream_(stream), flags_(flags) {
    Write(kBinaryXmlMagic.data(), kBinaryXmlMagic.size());
    WriteU32(flags);
  }
  ~TBinXmlWriter() { Flush(); }

  void Write(const void* data, size_t count) {
    out_.append(static_cast<const char*>(data), count);
    if (stream_ && out_.size() >= kStreamBuffer) Flush();
  }
  void Flush() {
    if (!stream_ || out_.empty()) return;
    stream_->write(out_.data(), std::streamsize(out_.size()));
    out_.clear();
  }
  void WriteByte(uint8_t b) { Write(&b, 1); }
  void WriteU16(uint16_t v) {
    uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    Write(b, 2);
  }
  void WriteU32(uint32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    Write(b, 4);
  }
  void WriteU64(uint64_t v) {
    WriteU32(uint32_t(v));
    WriteU32(uint32_t(v >> 32));
  }
  void WriteDouble(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    WriteU64(bits);
  }

  void WriteInteger(int32_t v) {
    uint8_t bytes[5];
    Write(bytes, PackInteger(v, bytes));
  }
  void WriteAnsiString(std::string_view bytes) {
    WriteInteger(int32_t(bytes.size()));
    Write(bytes.data(), bytes.size());
  }
  void WriteWideString(std::string_view utf8) {
    std::u16string units = Utf8ToUtf16(utf8);
    WriteInteger(int32_t(units.size()));
    std::string bytes(units.size() * 2, '\0');
    for (size_t i = 0; i < units.size(); ++i) {
      bytes[2 * i] = char(units[i] & 0xFF);
      bytes[2 * i + 1] = char(units[i] >> 8);
    }
    Write(bytes.data(), bytes.size());
  }
  void WriteXmlString(std::string_view utf8) {
    if (flags_ & 1) return WriteWideString(utf8);
    WriteAnsiString(Utf8ToAnsi(utf8));
  }

  void WriteValue(const TXmlValue& value) {
    if (value.IsEmpty()) return WriteInteger(kEmpty);
    if (value.IsString()) {
      WriteInteger(kWideString);
      return WriteWideString(value.Text());
    }
    WriteVariant(value.Get());
  }

  void WriteVariant(const Variant& v) {
    using K = Variant::Kind;
    switch (v.GetKind()) {
      case K::Empty:
        return WriteInteger(kEmpty);
      case K::Null:
        return WriteInteger(kNull);
      case K::SmallInt:
        WriteInteger(kSmallInt);
        return WriteU16(uint16_t(v.RawInt()));
      case K::Integer:
        WriteInteger(kInteger);
        return WriteU32(uint32_t(v.RawInt()));
      case K::Single: {
        WriteInteger(kSingle);
        float f = float(v.RawFloat());
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return WriteU32(bits);
      }
      case K::Double:
        WriteInteger(kDouble);
        return WriteDouble(v.RawFloat());
      case K::Currency:
        WriteInteger(kCurrency);
        return WriteU64(uint64_t(v.RawInt()));
      case K::Date:
        WriteInteger(kDate);
        return WriteDouble(v.RawFloat());
      case K::WideString:
        WriteInteger(kWideString);
        return WriteWideString(v.RawText());
      case K::Boolean:
        WriteInteger(kBoolean);
        return WriteU16(v.RawInt() ? 0xFFFF : 0);
      case K::Byte:
        WriteInteger(kByte);
        return WriteByte(uint8_t(v.RawInt()));
      case K::ByteString:
        WriteInteger(kByteString);
        return WriteAnsiString(v.RawText());
      case K::ByteArray:
        WriteInteger(kByteArray);
        WriteInteger(int32_t(v.RawBytes().size()));
        return Write(v.RawBytes().data(), v.RawBytes().size());
      default:
        RaiseXml("Value writing error: incorrect type");
    }
  }

  void WriteNameTable(const TXmlNameTable& names) {
    WriteInteger(names.Count());
    for (int32_t id = 0; id < names.Count(); ++id) WriteXmlString(names.Name(id));
    // The buckets: every named id under the hash of its name, in increasing order.
    WriteInteger(names.BucketCount());
    std::vector<std::pair<int32_t, int32_t>> entries;  // bucket, id
    for (int32_t id = 0; id < names.Count(); ++id)
      if (!names.Name(id).empty()) entries.emplace_back(names.BucketOfName(names.Name(id)), id);
    std::sort(entries.begin(), entries.end());
    int32_t used = 0;
    for (size_t i = 0; i < entries.size(); ++i)
      used += i == 0 || entries[i].first != entries[i - 1].first;
    WriteInteger(used);
    for (size_t i = 0; i < entries.size();) {
      size_t end = i;
      while (end < entries.size() && entries[end].first == entries[i].first) ++end;
      WriteInteger(entries[i].first);
      WriteInteger(int32_t(end - i));
      for (; i < end; ++i) WriteU32(uint32_t(entries[i].second));
    }
  }

  void WriteBody(TXmlNode& node, int depth) {
    CheckXmlDepth(depth);
    WriteInteger(int32_t(node.Attrs().size()));
    for (const TXmlAttrData& attr : node.Attrs()) {
      WriteInteger(attr.nameId);
      WriteValue(attr);
    }
    const auto& children = node.RawChildren();
    WriteInteger(int32_t(children.size()));
    for (const Ref<TXmlNode>& child : children) WriteChild(*child, depth + 1);
  }

  void WriteChild(TXmlNode& node, int depth) {
    int type = node.NodeType();
    switch (type) {
      case NODE_ELEMENT: {
        WriteByte(uint8_t(type));
        WriteInteger(node.NodeNameId());
        TXmlValue& value = static_cast<TXmlElement&>(node).StoredValue();
        if (node.HasChildren())
          WriteInteger(kEmpty);
        else
          WriteValue(value);
        return WriteBody(node, depth);
      }
      case NODE_TEXT:
        WriteByte(uint8_t(type));
        return WriteValue(static_cast<TXmlText&>(node).Value());
      case NODE_CDATA_SECTION:
      case NODE_COMMENT:
        WriteByte(uint8_t(type));
        return WriteXmlString(static_cast<TXmlCharacterData&>(node).RawText());
      case NODE_PROCESSING_INSTRUCTION:
        WriteByte(uint8_t(type));
        WriteInteger(node.NodeNameId());
        WriteXmlString(static_cast<TXmlProcessingInstruction&>(node).RawText());
        return WriteBody(node, depth);
      default:
        RaiseXml("Binary XML writing error: incorrect node type");
    }
  }

 private:
  std::string& out_;
  std::ostream* stream_;
  uint32_t flags_;
};

// Whether every text string of the document (names, CDATA, comments, instructions) has a
// place in the single-byte code page.
bool TextsFitAnsi(TXmlNode& node, int depth) {
  CheckXmlDepth(depth);
  for (const Ref<TXmlNode>& child : node.RawChildren()) {
    switch (child->NodeType()) {
      case NODE_CDATA_SECTION:
      case NODE_COMMENT:
        if (!FitsAnsi(static_cast<TXmlCharacterData&>(*child).RawText())) return false;
        break;
      case NODE_PROCESSING_INSTRUCTION:
        if (!FitsAnsi(static_cast<TXmlProcessingInstruction&>(*child).RawText())) return false;
        break;
      case NODE_ELEMENT:
        if (!TextsFitAnsi(*child, depth + 1)) return false;
        break;
    }
  }
  return true;
}

bool NamesFitAnsi(const TXmlNameTable& names) {
  for (int32_t id = 0; id < names.Count(); ++id)
    if (!FitsAnsi(names.Name(id))) return false;
  return true;
}

// ---------------------------------------------------------------------------------------
// Reader: every count, length, index and id is checked against what the bytes can hold.

class TBinXmlReader {
 public:
  explicit TBinXmlReader(std::string_view bytes)
      : p_(reinterpret_cast<const uint8_t*>(bytes.data())), end_(p_ + bytes.size()) {
    Need(kBinaryXmlMagic.size());
    p_ += kBinaryXmlMagic.size();
    flags_ = ReadU32();
  }

  // Where the nodes go.
  void SetArena(TXmlArena* arena) { arena_ = arena; }
  size_t Left() const { return size_t(end_ - p_); }
  void Need(size_t count) const {
    if (Left() < count) RaiseXml("Data reading error");
  }
  XML_HOT uint8_t ReadByte() {
    Need(1);
    return *p_++;
  }
  uint16_t ReadU16() {
    Need(2);
    uint16_t v = uint16_t(p_[0] | (p_[1] << 8));
    p_ += 2;
    return v;
  }
  uint32_t ReadU32() {
    Need(4);
    uint32_t v =
        uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 | uint32_t(p_[3]) << 24;
    p_ += 4;
    return v;
  }
  uint64_t ReadU64() {
    uint64_t low = ReadU32();
    return low | uint64_t(ReadU32()) << 32;
  }
  double ReadDouble() {
    uint64_t bits = ReadU64();
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
  }

  XML_HOT int32_t ReadInteger() {
    // Away from the end, a packed integer is read without a check per byte.
    if (Left() >= 5) {
      uint8_t first = p_[0];
      if (first < 0x80) {
        ++p_;
        return first;
      }
      if (first != 0xFF) {
        int32_t value = ((first & 0x7F) << 8) | p_[1];
        p_ += 2;
        return value;
      }
    }
    uint8_t first = ReadByte();
    if (first < 0x80) return first;
    if (first == 0xFF) return int32_t(ReadU32());
    return int32_t(((first & 0x7F) << 8) | ReadByte());
  }
  // A count of items that take at least `minBytes` each.
  XML_HOT int32_t ReadCount(size_t minBytes) {
    int32_t n = ReadInteger();
    if (n < 0 || size_t(n) > Left() / minBytes) RaiseXml("Data reading error");
    return n;
  }

  std::string ReadAnsiString() {
    int32_t n = ReadCount(1);
    std::string bytes(reinterpret_cast<const char*>(p_), size_t(n));
    p_ += n;
    return bytes;
  }
  std::string ReadWideString() {
    int32_t n = ReadCount(2);
    std::string out(size_t(n), '\0');
    for (int32_t i = 0; i < n; ++i) {
      uint16_t unit = uint16_t(p_[2 * i] | (p_[2 * i + 1] << 8));
      if (unit >= 0x80) {
        // Not plain ASCII: finish through the general conversion.
        out.resize(size_t(i));
        for (; i < n; ++i) AppendUtf8(out, uint16_t(p_[2 * i] | (p_[2 * i + 1] << 8)));
        break;
      }
      out[size_t(i)] = char(unit);
    }
    p_ += size_t(n) * 2;
    return out;
  }
  // Plain ASCII (nearly every value) goes straight into the slot, eight units at a time.
  XML_HOT void ReadWideStringInto(TXmlValue& slot, TXmlArena* arena) {
    const uint8_t* start = p_;
    size_t n = size_t(ReadCount(2));
    char* out = slot.PrepareString(n, arena);
    if (!NarrowAscii(p_, n, Left(), out)) {
      p_ = start;
      return slot.SetStringIn(arena, ReadWideString());
    }
    p_ += n * 2;
  }
#ifdef __SSE2__
  // The first `n` (at most eight) of the sixteen bytes of UTF-16 units at `units` as bytes
  // in the low half of `packed`, zero beyond them; false when one is beyond ASCII.
  XML_HOT static bool NarrowBlock(const uint8_t* units, size_t n, __m128i& packed) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    __m128i keep =
        _mm_cmplt_epi16(_mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7), _mm_set1_epi16(int16_t(n)));
    block = _mm_and_si128(block, keep);
    __m128i high = _mm_and_si128(block, _mm_set1_epi16(int16_t(0xFF80)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) return false;
    packed = _mm_packus_epi16(block, block);
    return true;
  }
#endif
  // The same for at most eight units, given as the bytes of a word (zero beyond them).
  XML_HOT static bool NarrowShort(const uint8_t* units, size_t n, size_t readable,
                                  uint64_t& bytes) {
#if defined(__SSE2__) && defined(__x86_64__)
    if (readable >= 16) {
      __m128i packed;
      if (!NarrowBlock(units, n, packed)) return false;
      bytes = uint64_t(_mm_cvtsi128_si64(packed));
      return true;
    }
#endif
    char out[8] = {};
    if (!NarrowAscii(units, n, readable, out)) return false;
    std::memcpy(&bytes, out, sizeof bytes);
    return true;
  }
  // Copies `n` UTF-16 units below 0x80 as bytes; false when there is another unit.
  // `readable` bytes may be read from `units`; `out` has room for 8 bytes whenever n is
  // below 8 (such a string sits in its slot).
  XML_HOT static bool NarrowAscii(const uint8_t* units, size_t n, size_t readable, char* out) {
#ifdef __SSE2__
    if (n < 8 && readable >= 16) {
      __m128i packed;
      if (!NarrowBlock(units, n, packed)) return false;
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
      return true;
    }
#endif
    if (n >= 8) {
      // Blocks of eight, the last one overlapping the one before when n is no multiple.
      for (size_t i = 0;; i += 8) {
        if (i + 8 > n) i = n - 8;
        if (!NarrowEight(units + 2 * i, out + i)) return false;
        if (i + 8 == n) return true;
      }
    }
    if (n >= 4) return NarrowFour(units, out) && NarrowFour(units + 2 * (n - 4), out + n - 4);
    for (size_t i = 0; i < n; ++i) {
      if (units[2 * i] >= 0x80 || units[2 * i + 1] != 0) return false;
      out[i] = char(units[2 * i]);
    }
    return true;
  }
  static bool NarrowFour(const uint8_t* units, char* out) {
    uint64_t word;
    std::memcpy(&word, units, 8);
    if (word & 0xFF80FF80FF80FF80ull) return false;
    uint32_t bytes = uint32_t((word & 0xFF) | (word >> 8 & 0xFF00) | (word >> 16 & 0xFF0000) |
                              (word >> 24 & 0xFF000000));
    std::memcpy(out, &bytes, 4);
    return true;
  }
  static bool NarrowEight(const uint8_t* units, char* out) {
#ifdef __SSE2__
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    __m128i high = _mm_and_si128(block, _mm_set1_epi16(int16_t(0xFF80)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) return false;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(block, block));
    return true;
#else
    return NarrowFour(units, out) && NarrowFour(units + 8, out + 4);
#endif
  }

  std::string ReadXmlString() {
    if (flags_ & 1) return ReadWideString();
    return AnsiToUtf8(ReadAnsiString());
  }

  // Into a slot of a node that lives in `arena` (none: the heap).
  XML_HOT void ReadValue(TXmlValue& slot, TXmlArena* arena) {
    int32_t code = ReadInteger();
    if (code == kWideString) return ReadWideStringInto(slot, arena);
    if (code == kEmpty) return slot.Clear();
    // Other kinds are boxed on the heap: the nodes of the arena own more than its memory.
    if (arena) arena->MarkChanged();
    ReadTypedValue(slot, code);
  }
  // Values of the other kinds, kept apart so that the common ones above stay small.
  __attribute__((noinline)) void ReadTypedValue(TXmlValue& slot, int32_t code) {
    switch (code) {
      case kEmpty:
        return slot.Clear();
      case kNull:
        return slot.Set(Variant::Null());
      case kSmallInt:
        return slot.Set(Variant::SmallInt(int16_t(ReadU16())));
      case kInteger:
        return slot.Set(Variant::Integer(int32_t(ReadU32())));
      case kSingle: {
        uint32_t bits = ReadU32();
        float f;
        std::memcpy(&f, &bits, 4);
        return slot.Set(Variant(f));
      }
      case kDouble:
        return slot.Set(Variant(ReadDouble()));
      case kCurrency:
        return slot.Set(Variant::Currency(int64_t(ReadU64())));
      case kDate:
        return slot.Set(Variant::Date(ReadDouble()));
      case kBoolean:
        return slot.Set(Variant(ReadU16() != 0));
      case kByte:
        return slot.Set(Variant::Byte(ReadByte()));
      case kByteString:
        return slot.Set(Variant::ByteString(ReadAnsiString()));
      case kByteArray: {
        std::string bytes = ReadAnsiString();
        return slot.Set(Variant::ByteArray(std::vector<uint8_t>(bytes.begin(), bytes.end())));
      }
      default:
        RaiseXml("Value reading error: incorrect type");
    }
  }

  // The stored buckets are checked and skipped: the table rebuilds its own from the names.
  Ref<TXmlNameTable> ReadNameTable() {
    Ref<TXmlNameTable> names(new TXmlNameTable(4096, false));
    int32_t count = ReadCount(1);
    // A name listed twice keeps both ids, but nodes use the first, so that lookups by
    // name find every node of that name.
    canonical_.resize(size_t(count));
    names->Reserve(size_t(count) + 5);
    for (int32_t i = 0; i < count; ++i) {
      canonical_[size_t(i)] = AppendName(*names);
      identical_ = identical_ && canonical_[size_t(i)] == i;
    }
    int32_t buckets = ReadInteger();
    if (buckets < 0) RaiseXml("Data reading error");
    int32_t used = ReadCount(2);
    for (int32_t i = 0; i < used; ++i) {
      int32_t index = ReadInteger();
      if (index < 0 || index >= buckets) RaiseXml("Data reading error");
      int32_t length = ReadCount(4);
      for (int32_t k = 0; k < length; ++k)
        if (int32_t id = int32_t(ReadU32()); id < 0 || id >= count) RaiseXml("Data reading error");
    }
    names->RefreshCachedIds();
    seenAt_.assign(size_t(count) + 1, 0);
    nameCount_ = count;
    return names;
  }

  // Reads a name of the table into it; plain ASCII as it is.
  int32_t AppendName(TXmlNameTable& names) {
    if (flags_ & 1) return names.AppendName(ReadWideString());
    int32_t n = ReadCount(1);
    std::string_view bytes(reinterpret_cast<const char*>(p_), size_t(n));
    p_ += n;
    bool ascii = std::all_of(bytes.begin(), bytes.end(),
                             [](char c) { return static_cast<uint8_t>(c) < 0x80; });
    return ascii ? names.AppendName(bytes) : names.AppendName(AnsiToUtf8(bytes));
  }

  XML_HOT int32_t ReadNameId() {
    int32_t id = ReadInteger();
    if (id < -1 || id >= int32_t(canonical_.size())) RaiseXml("Data reading error");
    return id < 0 || identical_ ? id : canonical_[size_t(id)];
  }

  void ReadBody(TXmlNode& node, int depth) {
    CheckXmlDepth(depth);
    int32_t attrs = ReadCount(2);
    if (attrs > 0) ReadAttrs(node, attrs);
    int32_t children = ReadCount(2);
    if (children > 0) node.PrepareChildren();
    node.ReserveChildren(size_t(std::min(children, 4096)));
    for (int32_t i = 0; i < children; ++i) ReadChild(node, depth + 1);
  }

  // A name given twice in one node keeps its first place and its last value. Which names
  // a node has so far is kept per name id, so that this costs the same for any count.
  void ReadAttrs(TXmlNode& node, int32_t count) {
    TXmlArray<TXmlAttrData>& attrs = node.Attrs();
    TXmlArena* arena = node.Arena();
    attrs.ReserveIn(arena, attrs.size() + size_t(std::min(count, 4096)));
    if (count <= 16 && attrs.empty()) {
      // Few: a repeated name is found by looking back. The position and the count live
      // in registers here: p_ and the array's size could share memory with the strings
      // written, as far as the compiler can tell, and would be read back after each.
      uint64_t seen = 0;
      const uint8_t* p = p_;
      TXmlAttrData* made = attrs.begin();
      size_t used = 0;
      // The array learns of the slots made before anything that may raise.
      auto commit = [&] { attrs.CommitReserved(used - attrs.size()); };
      for (int32_t i = 0; i < count; ++i) {
        // Nearly every attribute is a one-byte name id and a short ASCII string: read
        // with one check of the room left.
        size_t left = size_t(end_ - p);
        bool plain = identical_ && left >= 3 && p[0] < 0x80 && p[1] == kWideString && p[2] < 0x80 &&
                     int32_t(p[0]) < nameCount_ && size_t(p[2]) * 2 <= left - 3;
        int32_t id;
        if (plain) {
          id = p[0];
        } else {
          commit();
          p_ = p;
          id = ReadNameId();
          p = p_;
        }
        TXmlAttrData* slot = nullptr;
        // Names of small ids are known present or absent at once.
        uint64_t bit = id >= 0 && id < 64 ? uint64_t(1) << id : 0;
        if (!bit || (seen & bit))
          for (size_t k = 0; k < used; ++k)
            if (made[k].nameId == id) slot = &made[k];
        seen |= bit;
        if (plain && !slot && arena) {
          // A new attribute with a plain value: its slot is made whole, at once.
          size_t n = p[2];
          if (n <= 8) {
            uint64_t bytes;
            if (NarrowShort(p + 3, n, left - 3, bytes)) {
              new (made + used++) TXmlAttrData(id, bytes, n);
              p += 3 + 2 * n;
              continue;
            }
          } else {
            auto* out = static_cast<char*>(arena->Allocate(n));
            if (NarrowAscii(p + 3, n, left - 3, out)) {
              new (made + used++) TXmlAttrData(id, std::string_view(out, n));
              p += 3 + 2 * n;
              continue;
            }
          }
        }
        if (!slot) {
          slot = new (made + used++) TXmlAttrData();
          slot->nameId = id;
        }
        commit();
        if (plain) {
          size_t n = p[2];
          if (NarrowAscii(p + 3, n, left - 3, slot->PrepareString(n, arena))) {
            p += 3 + 2 * n;
            continue;
          }
          ++p;  // the value is read the long way
        }
        p_ = p;
        ReadValue(*slot, arena);
        p = p_;
      }
      commit();
      p_ = p;
      return;
    }
    for (TXmlAttrData& attr : attrs)
      seenAt_[size_t(attr.nameId + 1)] = uint32_t(&attr - attrs.begin() + 1);
    try {
      for (int32_t i = 0; i < count; ++i) {
        int32_t id = ReadNameId();
        uint32_t& seen = seenAt_[size_t(id + 1)];
        if (!seen) {
          attrs.EmplaceBackIn(arena).nameId = id;
          seen = uint32_t(attrs.size());
        }
        ReadValue(attrs[seen - 1], arena);
      }
    } catch (...) {
      for (const TXmlAttrData& attr : attrs) seenAt_[size_t(attr.nameId + 1)] = 0;
      throw;
    }
    for (const TXmlAttrData& attr : attrs) seenAt_[size_t(attr.nameId + 1)] = 0;
  }

  void ReadChild(TXmlNode& owner, int depth) {
    TXmlNameTable* names = owner.Names();
    switch (ReadByte()) {
      case NODE_ELEMENT: {
        auto* element = new (arena_) TXmlElement(names, ReadNameId(), arena_);
        owner.AdoptLoaded(element);
        ReadValue(element->StoredValue(), arena_);
        return ReadBody(*element, depth);
      }
      case NODE_TEXT: {
        auto* text = new (arena_) TXmlText(names, arena_);
        owner.AdoptLoaded(text);
        return ReadValue(text->Value(), arena_);
      }
      case NODE_CDATA_SECTION:
        return owner.AdoptLoaded(new (arena_) TXmlCDATASection(names, ReadXmlString(), arena_));
      case NODE_COMMENT:
        return owner.AdoptLoaded(new (arena_) TXmlComment(names, ReadXmlString(), arena_));
      case NODE_PROCESSING_INSTRUCTION: {
        int32_t id = ReadNameId();
        auto* instruction =
            new (arena_) TXmlProcessingInstruction(names, id, ReadXmlString(), arena_);
        owner.AdoptLoaded(instruction);
        return ReadBody(*instruction, depth);
      }
      default:
        RaiseXml("Binary XML reading error: incorrect node type");
    }
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  uint32_t flags_ = 0;
  TXmlArena* arena_ = nullptr;
  std::vector<int32_t> canonical_;  // file id -> the id nodes use
  bool identical_ = true;           // every file id is the id nodes use
  int32_t nameCount_ = 0;
  std::vector<uint32_t> seenAt_;  // per name id + 1: 1 + its place in the node being read
};

}  // namespace

std::string PackXmlInteger(int32_t value) {
  uint8_t bytes[5];
  return std::string(reinterpret_cast<char*>(bytes), PackInteger(value, bytes));
}

int32_t UnpackXmlInteger(std::string_view bytes, size_t& pos) {
  // The reader skips the magic and reads the flags first; give it both.
  std::string image(kBinaryXmlMagic);
  image.append(4, '\0');
  image.append(bytes.substr(std::min(pos, bytes.size())));
  TBinXmlReader reader(image);
  size_t before = reader.Left();
  int32_t value = reader.ReadInteger();
  pos += before - reader.Left();
  return value;
}

void WriteBinaryXml(TXmlDocument& document, uint32_t flags, std::string& out,
                    std::ostream* stream) {
  // Single-byte strings would lose what the code page cannot hold; such documents are
  // written with UTF-16 strings, which every reader of the form understands.
  if (!(flags & 1) && (!NamesFitAnsi(*document.Names()) || !TextsFitAnsi(document, 0))) flags |= 1;
  TBinXmlWriter writer(out, stream, flags);
  writer.WriteNameTable(*document.Names());
  writer.WriteBody(document, 0);
}

void ReadBinaryXml(TXmlDocument& document, std::string_view bytes) {
  TBinXmlReader reader(bytes);
  Ref<TXmlNameTable> names = reader.ReadNameTable();
  document.SetNameTable(names.get());
  reader.SetArena(document.StartLoad(names.get(), bytes.size()));
  reader.ReadBody(document, 0);
}

std::string TXmlDocument::SaveBinaryXml() {
  std::string out;
  WriteBinaryXml(*this, 0, out, nullptr);
  return out;
}

void TXmlDocument::SaveBinaryToStream(std::ostream& stream, uint32_t flags) {
  std::string buffer;
  WriteBinaryXml(*this, flags, buffer, &stream);
}

void TXmlDocument::SaveBinaryToFile(const std::string& path, uint32_t flags) {
  std::string bytes;
  WriteBinaryXml(*this, flags, bytes, nullptr);
  if (!WriteXmlFileBytes(path, bytes)) throw Exception("Cannot create file \"" + path + "\"");
}
