#include "engine/OwnPngDecode.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

#include "engine/EngineResourcesImages.h"
#include "platform/LargeBlock.h"

namespace own_png {

namespace {

uint32_t Big32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool Named(const uint8_t* type, const char* name) {
  return std::memcmp(type, name, 4) == 0;
}

bool IsLetter(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// libpng refuses a chunk longer than this, and a skipped chunk longer than a megabyte is
// no picture of ours: both go to libpng, which decides.
constexpr uint32_t kLongestChunk = 0x7FFFFFFFu;
constexpr uint32_t kLongestSkipped = uint32_t(1) << 20;

// Where a picture's parts are.
struct Layout {
  uint32_t width = 0;
  uint32_t height = 0;
  size_t channels = 0;
  size_t rawSize = 0;        // the inflated rows, each with its filter byte
  size_t firstData = 0;      // the first IDAT chunk's offset
  size_t dataChunks = 0;     // IDAT chunks in a row from there
  size_t dataBytes = 0;      // their data together
};

// libpng's own cap on one IDAT chunk: the rows' bytes and deflate's worst overhead.
uint64_t DataChunkCap(uint64_t rawSize, uint64_t rowBytes) {
  uint64_t cap = rawSize + 6 + 5 * (rawSize / std::min<uint64_t>(rowBytes, 32566) + 1);
  return std::min<uint64_t>(cap, kLongestChunk);
}

// The header and the chunks up to the image data, or false for anything the generator
// does not write or libpng would see otherwise.
bool ReadLayout(const uint8_t* p, size_t size, int32_t maxSide, Layout& out) {
  static constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  if (size < 33 || std::memcmp(p, kSignature, 8) != 0) return false;
  if (Big32(p + 8) != 13 || !Named(p + 12, "IHDR")) return false;
  out.width = Big32(p + 16);
  out.height = Big32(p + 20);
  uint8_t depth = p[24], colour = p[25], compression = p[26], filter = p[27], interlace = p[28];
  if (depth != 8 || compression != 0 || filter != 0 || interlace != 0) return false;
  out.channels = colour == 0 ? 1 : colour == 2 ? 3 : colour == 6 ? 4 : 0;
  if (out.channels == 0) return false;
  // A size the surfaces refuse is libpng's to refuse: the same answer, the same way.
  if (!AcceptableImageSize(out.width, out.height, maxSide)) return false;
  uint64_t rowBytes = 1 + uint64_t(out.width) * out.channels;
  out.rawSize = size_t(rowBytes * out.height);
  uint64_t chunkCap = DataChunkCap(out.rawSize, rowBytes);

  size_t at = 33;
  while (size - at >= 12) {
    uint32_t length = Big32(p + at);
    const uint8_t* type = p + at + 4;
    bool whole = length <= kLongestChunk && length <= size - at - 12 &&
                 IsLetter(type[0]) && IsLetter(type[1]) && IsLetter(type[2]) &&
                 IsLetter(type[3]);
    bool data = whole && Named(type, "IDAT");
    if (out.dataChunks > 0) {
      // libpng reads no further than the data, so whatever follows it does not matter.
      if (!data) break;
    } else if (!data) {
      // Before the data only ancillary chunks, and none that changes the pixels.
      bool ancillary = whole && (type[0] & 0x20) != 0;
      if (!ancillary || Named(type, "tRNS") || length > kLongestSkipped) return false;
      at += 12 + size_t(length);
      continue;
    }
    if (length > chunkCap) return false;
    if (out.dataChunks == 0) out.firstData = at;
    ++out.dataChunks;
    out.dataBytes += length;
    at += 12 + size_t(length);
  }
  return out.dataChunks > 0;
}

// Memory kept from one decode to the next on a thread, up to a bound: the inflated rows
// and, when the data comes in several chunks, the chunks' data joined.
class Scratch {
 public:
  ~Scratch() {
    if (inflater_) libdeflate_free_decompressor(inflater_);
  }
  uint8_t* Get(size_t size) {
    if (size > block_.Size()) {
      // Room for most pictures at once, so that the block is mapped (and its pages
      // faulted in) once, not again for each larger picture.
      block_ = platform::LargeBlock();
      block_ = platform::LargeBlock(std::max(size, kRoom), false);
    }
    return block_.Size() >= size ? static_cast<uint8_t*>(block_.Data()) : nullptr;
  }
  void Trim() {
    if (block_.Size() > kKept) block_ = platform::LargeBlock();
  }
  libdeflate_decompressor* Inflater() {
    if (!inflater_) inflater_ = libdeflate_alloc_decompressor();
    return inflater_;
  }

 private:
  static constexpr size_t kRoom = size_t(4) << 20;
  // A full-screen picture's rows and data fit.
  static constexpr size_t kKept = size_t(16) << 20;
  platform::LargeBlock block_;
  libdeflate_decompressor* inflater_ = nullptr;
};

thread_local Scratch tScratch;

// Trims the scratch memory however the decode ends.
struct TrimOnExit {
  ~TrimOnExit() { tScratch.Trim(); }
};

// The zlib stream into exactly size bytes. Its checksum is not looked at (our own
// pictures skip theirs), but the stream must end exactly where the data does.
bool Inflate(const uint8_t* z, size_t length, uint8_t* out, size_t size) {
  if (length < 2 + 4) return false;
  uint8_t method = z[0], flags = z[1];
  if ((method & 0x0F) != 8 || (method >> 4) > 7 || (uint32_t(method) << 8 | flags) % 31 != 0 ||
      (flags & 0x20) != 0) {
    return false;
  }
  libdeflate_decompressor* inflater = tScratch.Inflater();
  if (!inflater) return false;
  size_t used = 0, made = 0;
  libdeflate_result result =
      libdeflate_deflate_decompress_ex(inflater, z + 2, length - 2, out, size, &used, &made);
  return result == LIBDEFLATE_SUCCESS && made == size && used + 2 + 4 == length;
}

// ---------------------------------------------------------------------------------------
// Filters, undone in place; above is the row above, already undone, or null on the first.

void UndoSub(uint8_t* row, size_t n, size_t bpp) {
  size_t i = 0;
#if defined(__SSE2__)
  if (bpp == 4) {
    __m128i before = _mm_setzero_si128();  // the pixel before, in every lane
    for (; i + 16 <= n; i += 16) {
      __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
      x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
      x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
      x = _mm_add_epi8(x, before);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), x);
      before = _mm_shuffle_epi32(x, 0xFF);
    }
  } else if (bpp == 3) {
    // Four pixels a step out of a 16-byte load; the last four bytes are left alone.
    const __m128i firstPixel = _mm_setr_epi8(-1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    __m128i before = _mm_setzero_si128();  // the pixel before, in the first lane
    for (; i + 16 <= n; i += 12) {
      __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
      x = _mm_add_epi8(x, before);
      x = _mm_add_epi8(x, _mm_slli_si128(x, 3));
      x = _mm_add_epi8(x, _mm_slli_si128(x, 6));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(row + i), x);
      uint32_t last = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(x, 8)));
      std::memcpy(row + i + 8, &last, 4);
      before = _mm_and_si128(_mm_srli_si128(x, 9), firstPixel);
    }
  }
#endif
  for (i = std::max(i, bpp); i < n; ++i) row[i] = uint8_t(row[i] + row[i - bpp]);
}

void UndoUp(uint8_t* __restrict row, const uint8_t* __restrict above, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, y));
  }
#endif
  for (; i < n; ++i) row[i] = uint8_t(row[i] + above[i]);
}

void UndoAverage(uint8_t* row, const uint8_t* above, size_t n, size_t bpp) {
  if (!above) {
    for (size_t i = bpp; i < n; ++i) row[i] = uint8_t(row[i] + (row[i - bpp] >> 1));
    return;
  }
  for (size_t i = 0; i < std::min(bpp, n); ++i) row[i] = uint8_t(row[i] + (above[i] >> 1));
  for (size_t i = bpp; i < n; ++i)
    row[i] = uint8_t(row[i] + ((unsigned(row[i - bpp]) + above[i]) >> 1));
}

uint8_t Paeth(int a, int b, int c) {
  int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

void UndoPaeth(uint8_t* row, const uint8_t* above, size_t n, size_t bpp) {
  // With nothing above, the left neighbour is the prediction: Sub.
  if (!above) return UndoSub(row, n, bpp);
  for (size_t i = 0; i < std::min(bpp, n); ++i) row[i] = uint8_t(row[i] + above[i]);
  for (size_t i = bpp; i < n; ++i)
    row[i] = uint8_t(row[i] + Paeth(row[i - bpp], above[i], above[i - bpp]));
}

void Unfilter(uint8_t filter, uint8_t* row, const uint8_t* above, size_t n, size_t bpp) {
  switch (filter) {
    case 1: UndoSub(row, n, bpp); break;
    case 2: if (above) UndoUp(row, above, n); break;
    case 3: UndoAverage(row, above, n, bpp); break;
    case 4: UndoPaeth(row, above, n, bpp); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------------------
// Rows into 0xAARRGGBB pixels (bytes B, G, R, A).

// Returns the AND of every alpha, so the caller learns whether all are opaque.
uint32_t RgbaToPixels(const uint8_t* __restrict in, uint32_t* __restrict out, size_t count) {
  uint32_t alpha = 0xFF000000u;
  for (size_t x = 0; x < count; ++x) {
    uint32_t p;
    std::memcpy(&p, in + 4 * x, 4);  // bytes R, G, B, A
    out[x] = (p & 0xFF00FF00u) | (p & 0xFFu) << 16 | (p >> 16 & 0xFFu);
    alpha &= p;
  }
  return alpha;
}

void RgbToPixelsPlain(const uint8_t* __restrict in, uint32_t* __restrict out, size_t from,
                      size_t count) {
  for (size_t x = from; x < count; ++x) {
    const uint8_t* s = in + 3 * x;
    out[x] = 0xFF000000u | uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8 | s[2];
  }
}

#if defined(__SSE2__) && defined(__GNUC__)
__attribute__((target("ssse3"))) void RgbToPixelsShuffled(const uint8_t* in, uint32_t* out,
                                                          size_t count) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
  size_t x = 0;
  // Four pixels a step from a 16-byte load that stays inside the row.
  for (; 3 * x + 16 <= 3 * count; x += 4) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                     _mm_or_si128(_mm_shuffle_epi8(s, order), opaque));
  }
  RgbToPixelsPlain(in, out, x, count);
}

bool HasShuffle() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3") != 0);
  return has;
}
#endif

void RgbToPixels(const uint8_t* in, uint32_t* out, size_t count) {
#if defined(__SSE2__) && defined(__GNUC__)
  if (HasShuffle()) return RgbToPixelsShuffled(in, out, count);
#endif
  RgbToPixelsPlain(in, out, 0, count);
}

void GreyToPixels(const uint8_t* __restrict in, uint32_t* __restrict out, size_t count) {
  for (size_t x = 0; x < count; ++x) out[x] = 0xFF000000u | uint32_t(in[x]) * 0x010101u;
}

// The rows inflated and every filter byte known, or null (nothing decoded).
uint8_t* InflateRows(const uint8_t* p, const Layout& layout) {
  // The rows first, then room for the data joined when it is in several chunks.
  size_t joinedAt = (layout.rawSize + 63) / 64 * 64;
  bool join = layout.dataChunks > 1;
  uint8_t* rows = tScratch.Get(join ? joinedAt + layout.dataBytes : layout.rawSize);
  if (!rows) return nullptr;
  const uint8_t* z = p + layout.firstData + 8;
  if (join) {
    // Each chunk's data lies between its header and its CRC.
    uint8_t* joined = rows + joinedAt;
    size_t at = layout.firstData, filled = 0;
    for (size_t k = 0; k < layout.dataChunks; ++k) {
      size_t length = Big32(p + at);
      std::memcpy(joined + filled, p + at + 8, length);
      filled += length;
      at += 12 + length;
    }
    z = joined;
  }
  if (!Inflate(z, layout.dataBytes, rows, layout.rawSize)) return nullptr;
  size_t stride = 1 + size_t(layout.width) * layout.channels;
  for (size_t at = 0; at < layout.rawSize; at += stride)
    if (rows[at] > 4) return nullptr;
  return rows;
}

}  // namespace

bool DecodeColour(std::string_view bytes, TSurface& surface, int32_t maxSide) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  Layout layout;
  if (!ReadLayout(p, bytes.size(), maxSide, layout)) return false;
  TrimOnExit trim;
  uint8_t* rows = InflateRows(p, layout);
  if (!rows) return false;
  int32_t width = int32_t(layout.width), height = int32_t(layout.height);
  surface.SetSizeForOverwrite(width, height);
  if (surface.GetWidth() != width || surface.GetHeight() != height) return false;
  uint32_t* pixels = surface.GetScanLine(0);
  size_t n = size_t(width) * layout.channels;
  uint32_t alpha = 0xFF000000u;
  const uint8_t* above = nullptr;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = rows + size_t(y) * (n + 1);
    Unfilter(row[0], row + 1, above, n, layout.channels);
    uint32_t* out = pixels + size_t(y) * size_t(width);
    if (layout.channels == 4)
      alpha &= RgbaToPixels(row + 1, out, size_t(width));
    else if (layout.channels == 3)
      RgbToPixels(row + 1, out, size_t(width));
    else
      GreyToPixels(row + 1, out, size_t(width));
    above = row + 1;
  }
  surface.SetHasAlpha(alpha != 0xFF000000u);
  return true;
}

bool DecodeGrey(std::string_view bytes, std::vector<uint8_t>& grey, int32_t& width,
                int32_t& height, int32_t maxSide) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  Layout layout;
  if (!ReadLayout(p, bytes.size(), maxSide, layout) || layout.channels != 1) return false;
  TrimOnExit trim;
  uint8_t* rows = InflateRows(p, layout);
  if (!rows) return false;
  size_t n = layout.width;
  grey.resize(n * layout.height);
  const uint8_t* above = nullptr;
  for (size_t y = 0; y < layout.height; ++y) {
    uint8_t* row = rows + y * (n + 1);
    Unfilter(row[0], row + 1, above, n, 1);
    std::memcpy(grey.data() + y * n, row + 1, n);
    above = row + 1;
  }
  width = int32_t(layout.width);
  height = int32_t(layout.height);
  return true;
}

}  // namespace own_png
