// AVX2 row kernels, compiled for AVX2 through target attributes and chosen at run time only
// on processors that have it. Nothing here may be called before that check.

#include "engine/EngineSurfaceKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstring>

namespace {

#define SIMD_FN [[gnu::always_inline, gnu::target("avx2")]] inline
#define SIMD_KERNEL [[gnu::target("avx2")]]

using V = __m256i;
constexpr int32_t kPixels = 8;

SIMD_FN V Load(const uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const V*>(p));
}
SIMD_FN void Store(uint32_t* p, V v) {
  _mm256_storeu_si256(reinterpret_cast<V*>(p), v);
}
SIMD_FN V Set16(uint32_t x) {
  return _mm256_set1_epi16(short(x));
}
SIMD_FN V Set32(uint32_t x) {
  return _mm256_set1_epi32(int(x));
}
SIMD_FN V Set64(uint64_t x) {
  return _mm256_set1_epi64x((long long)x);
}
SIMD_FN V Zero() {
  return _mm256_setzero_si256();
}
// Within each 128-bit half, as Pack undoes it.
SIMD_FN V UnpackLo(V x) {
  return _mm256_unpacklo_epi8(x, _mm256_setzero_si256());
}
SIMD_FN V UnpackHi(V x) {
  return _mm256_unpackhi_epi8(x, _mm256_setzero_si256());
}
SIMD_FN V Pack(V lo, V hi) {
  return _mm256_packus_epi16(lo, hi);
}
SIMD_FN V Add16(V a, V b) {
  return _mm256_add_epi16(a, b);
}
SIMD_FN V Sub16(V a, V b) {
  return _mm256_sub_epi16(a, b);
}
SIMD_FN V MulLo16(V a, V b) {
  return _mm256_mullo_epi16(a, b);
}
SIMD_FN V MulHi16(V a, V b) {
  return _mm256_mulhi_epi16(a, b);
}
template <int N>
SIMD_FN V Shl16(V a) {
  return _mm256_slli_epi16(a, N);
}
template <int N>
SIMD_FN V Shr16(V a) {
  return _mm256_srli_epi16(a, N);
}
template <int N>
SIMD_FN V Shr32(V a) {
  return _mm256_srli_epi32(a, N);
}
SIMD_FN V And(V a, V b) {
  return _mm256_and_si256(a, b);
}
SIMD_FN V Or(V a, V b) {
  return _mm256_or_si256(a, b);
}
SIMD_FN V Eq32(V a, V b) {
  return _mm256_cmpeq_epi32(a, b);
}
SIMD_FN V Gt32(V a, V b) {
  return _mm256_cmpgt_epi32(a, b);
}
SIMD_FN V Select(V mask, V a, V b) {
  return _mm256_blendv_epi8(b, a, mask);
}
SIMD_FN bool AllSet(V mask) {
  return _mm256_movemask_epi8(mask) == -1;
}
SIMD_FN bool NoneSet(V mask) {
  return _mm256_testz_si256(mask, mask) != 0;
}
SIMD_FN V AlphaLanes(V x) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, 0xFF), 0xFF);
}

#include "engine/EngineSurfaceKernelsVector.inc"

// ---- Bilinear sampling ----
// As the SSE2 kernels: rows first, exactly, halved into 16-bit lanes; columns by
// _mm256_madd_epi16 on (left, right) lane pairs.

SIMD_FN V RowsMix(V t16, V b16, V wy16) {
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_slli_epi16(t16, 8),
                                            _mm256_mullo_epi16(_mm256_sub_epi16(b16, t16), wy16)),
                           1);
}

// In each 128-bit half, (left b g r a, right b g r a) -> (left b, right b, left g, ...).
SIMD_FN V InterleavePairs(V x) {
  const V order = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8, 9,
                                   2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
  return _mm256_shuffle_epi8(x, order);
}

// Pixels whose 4 x 32-bit results sit in halves (a0 | a1) and (b0 | b1) -> a0 b0 a1 b1.
SIMD_FN __m128i PackFour(V a, V b) {
  V words = _mm256_packs_epi32(a, b);
  V bytes = _mm256_packus_epi16(words, words);
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, 0x08));
}

SIMD_FN __m128i LoadPair(const uint16_t* mixed, int32_t index) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(mixed + index * 4));
}

SIMD_KERNEL void Avx2BilinearScaleRow(uint32_t* dst, int32_t count, const TScaleRow& row,
                                      bool hasAlpha) {
  const int32_t first = row.FirstColumn;
  const int32_t last = row.LastColumn + 1 < row.SourceWidth ? row.LastColumn + 1 : row.LastColumn;
  const int32_t n = last - first + 1;
  const uint32_t wy = row.WeightY;
  const V wy16 = _mm256_set1_epi16(short(wy));
  uint16_t* mixed = row.Scratch;
  int32_t j = 0;
  for (; j + 4 <= n; j += 4) {
    V t = _mm256_cvtepu8_epi16(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.Top + first + j)));
    V b = _mm256_cvtepu8_epi16(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.Bottom + first + j)));
    _mm256_storeu_si256(reinterpret_cast<V*>(mixed + j * 4), RowsMix(t, b, wy16));
  }
  for (; j < n; ++j) {
    uint32_t t = row.Top[first + j], b = row.Bottom[first + j];
    for (int c = 0; c < 4; ++c) {
      int32_t tc = int32_t((t >> (8 * c)) & 0xFF), bc = int32_t((b >> (8 * c)) & 0xFF);
      mixed[j * 4 + c] = uint16_t((tc * 256 + (bc - tc) * int32_t(wy)) >> 1);
    }
  }
  if (last == row.LastColumn) std::memcpy(mixed + n * 4, mixed + (n - 1) * 4, 8);

  const __m128i forced = _mm_set1_epi32(hasAlpha ? 0 : int(kAlphaMask));
  const V spreadA = _mm256_setr_epi32(0, 0, 0, 0, 2, 2, 2, 2);
  const V spreadB = _mm256_setr_epi32(1, 1, 1, 1, 3, 3, 3, 3);
  int32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const int32_t* c = row.Columns + i;
    V a = _mm256_inserti128_si256(_mm256_castsi128_si256(LoadPair(mixed, c[0] - first)),
                                  LoadPair(mixed, c[2] - first), 1);
    V b = _mm256_inserti128_si256(_mm256_castsi128_si256(LoadPair(mixed, c[1] - first)),
                                  LoadPair(mixed, c[3] - first), 1);
    V w =
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row.WeightsX + i)));
    V ra = _mm256_srai_epi32(
        _mm256_madd_epi16(InterleavePairs(a), _mm256_permutevar8x32_epi32(w, spreadA)), 15);
    V rb = _mm256_srai_epi32(
        _mm256_madd_epi16(InterleavePairs(b), _mm256_permutevar8x32_epi32(w, spreadB)), 15);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(PackFour(ra, rb), forced));
  }
  for (; i < count; ++i) {
    __m128i pair = LoadPair(mixed, row.Columns[i] - first);
    __m128i inter = _mm_unpacklo_epi16(pair, _mm_srli_si128(pair, 8));
    __m128i r = _mm_srai_epi32(_mm_madd_epi16(inter, _mm_set1_epi32(int(row.WeightsX[i]))), 15);
    __m128i packed = _mm_packs_epi32(r, r);
    dst[i] = uint32_t(_mm_cvtsi128_si32(_mm_or_si128(_mm_packus_epi16(packed, packed), forced)));
  }
}

SIMD_FN __m128i FourPositions(int32_t start, int32_t step) {
  uint32_t s = uint32_t(start), d = uint32_t(step);
  return _mm_setr_epi32(int(s), int(s + d), int(s + 2 * d), int(s + 3 * d));
}

// In each 128-bit half, the pixel pair at bytes 0..7 (Low) or 8..15 (High) as 16-bit lanes
// ordered (left b, right b, left g, right g, ...), ready for _mm256_madd_epi16.
SIMD_FN V SpreadPairLow(V x) {
  const V order = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4,
                                   -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
  return _mm256_shuffle_epi8(x, order);
}
SIMD_FN V SpreadPairHigh(V x) {
  const V order = _mm256_setr_epi8(8, -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1, 8,
                                   -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1);
  return _mm256_shuffle_epi8(x, order);
}

SIMD_FN __m128i PixelPair(const uint32_t* p) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

// Pairs of neighbouring pixels at four addresses, as (0 1 | 2 3).
SIMD_FN V FourPairs(const uint32_t* const* at, int32_t offset) {
  __m128i a = _mm_unpacklo_epi64(PixelPair(at[0] + offset), PixelPair(at[1] + offset));
  __m128i b = _mm_unpacklo_epi64(PixelPair(at[2] + offset), PixelPair(at[3] + offset));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(a), b, 1);
}

// Four samples at positions (us, vs), whose top left neighbours are at At: the 2 x 2
// neighbours of each blended. Plain loads, not gathers: gathers are slow on many processors.
SIMD_FN __m128i FourSamples(const uint32_t* const* at, int32_t stride, __m128i us, __m128i vs) {
  const __m128i byteMask = _mm_set1_epi32(0xFF);
  // Pixel k's weight spread over the lanes of its pair: pixels 0 | 2 in one vector, 1 | 3
  // in the other, as the gathered pairs sit (0 1 | 2 3).
  const V wyLo = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 8, 9, 8, 9, 8, 9,
                                  8, 9, 8, 9, 8, 9, 8, 9, 8, 9);
  const V wyHi = _mm256_setr_epi8(4, 5, 4, 5, 4, 5, 4, 5, 4, 5, 4, 5, 4, 5, 4, 5, 12, 13, 12, 13,
                                  12, 13, 12, 13, 12, 13, 12, 13, 12, 13, 12, 13);
  const V wxLo = _mm256_setr_epi8(0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 8, 9, 10, 11, 8,
                                  9, 10, 11, 8, 9, 10, 11, 8, 9, 10, 11);
  const V wxHi = _mm256_setr_epi8(4, 5, 6, 7, 4, 5, 6, 7, 4, 5, 6, 7, 4, 5, 6, 7, 12, 13, 14, 15,
                                  12, 13, 14, 15, 12, 13, 14, 15, 12, 13, 14, 15);
  V top = FourPairs(at, 0);
  V bottom = FourPairs(at, stride);
  __m128i wx = _mm_and_si128(_mm_srli_epi32(us, 8), byteMask);
  __m128i wy = _mm_and_si128(_mm_srli_epi32(vs, 8), byteMask);
  __m128i wxPairs = _mm_or_si128(_mm_slli_epi32(wx, 16), _mm_sub_epi32(_mm_set1_epi32(256), wx));
  V wy2 = _mm256_broadcastsi128_si256(wy);
  V wx2 = _mm256_broadcastsi128_si256(wxPairs);
  V lo = RowsMix(SpreadPairLow(top), SpreadPairLow(bottom), _mm256_shuffle_epi8(wy2, wyLo));
  V hi = RowsMix(SpreadPairHigh(top), SpreadPairHigh(bottom), _mm256_shuffle_epi8(wy2, wyHi));
  V rLo = _mm256_srai_epi32(_mm256_madd_epi16(lo, _mm256_shuffle_epi8(wx2, wxLo)), 15);
  V rHi = _mm256_srai_epi32(_mm256_madd_epi16(hi, _mm256_shuffle_epi8(wx2, wxHi)), 15);
  // rLo holds pixels 0 | 2, rHi pixels 1 | 3.
  return PackFour(rLo, rHi);
}

SIMD_KERNEL void Avx2BilinearSpan(uint32_t* dst, int32_t count, const uint32_t* pixels,
                                  int32_t stride, int32_t u, int32_t v, int32_t du, int32_t dv,
                                  bool hasAlpha) {
  const __m128i forced = _mm_set1_epi32(hasAlpha ? 0 : int(kAlphaMask));
  // Positions wrap past the span's end; only positions inside it are used.
  __m128i us = FourPositions(u, du);
  __m128i vs = FourPositions(v, dv);
  const __m128i du4 = _mm_set1_epi32(int(uint32_t(du) * 4));
  const __m128i dv4 = _mm_set1_epi32(int(uint32_t(dv) * 4));
  uint32_t walkU = uint32_t(u), walkV = uint32_t(v);
  const uint32_t* at[4];
  auto next = [&](const uint32_t** out) {
    for (int k = 0; k < 4; ++k) {
      out[k] = pixels + (int32_t(walkV) >> 16) * stride + (int32_t(walkU) >> 16);
      walkU += uint32_t(du);
      walkV += uint32_t(dv);
    }
  };
  int32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    next(at);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                     _mm_or_si128(FourSamples(at, stride, us, vs), forced));
    us = _mm_add_epi32(us, du4);
    vs = _mm_add_epi32(vs, dv4);
  }
  uint32_t forcedAlpha = hasAlpha ? 0 : kAlphaMask;
  for (; i < count; ++i) {
    int64_t pu = int64_t(u) + int64_t(i) * du;
    int64_t pv = int64_t(v) + int64_t(i) * dv;
    const uint32_t* p = pixels + (pv >> 16) * stride + (pu >> 16);
    dst[i] = BilinearPixel(p[0], p[1], p[stride], p[stride + 1], uint32_t(pu >> 8) & 0xFF,
                           uint32_t(pv >> 8) & 0xFF) |
             forcedAlpha;
  }
}

}  // namespace

void FillAvx2Kernels(TSurfaceKernels& k) {
  k.Name = "avx2";
  FillVectorBlendKernels(k);
  k.BilinearScaleRow = Avx2BilinearScaleRow;
  k.BilinearSpan = Avx2BilinearSpan;
}

#else

void FillAvx2Kernels(TSurfaceKernels&) {}

#endif
