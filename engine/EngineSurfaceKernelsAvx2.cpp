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

// ---- Bilinear spans ----
// Eight samples at a time, in two groups of four: (0 1 | 4 5) and (2 3 | 6 7), so that
// packing the two groups gives the eight in order. Each sample's four neighbours are two
// pixel pairs, of the top and of the bottom row, read at scalar addresses (gathers are slow
// on many processors). The columns are mixed first, exactly in 16-bit lanes as
// l * 256 + (r - l) * wx (the true value lies in 0..65280, so the wrapping products give
// it whole); the rows follow with two unsigned high multiplies by (255 - wy) * 256 + 255
// and wy * 256, which keep the result within one unit of the plain rule (and equal to it
// in all but about one channel in a thousand). The weights come from the positions'
// fractions, kept in every 16-bit lane of their sample.

SIMD_FN __m128i TwoPairs(const uint32_t* base, int32_t first, int32_t second) {
  __m128i low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + first));
  return _mm_castpd_si128(
      _mm_loadh_pd(_mm_castsi128_pd(low), reinterpret_cast<const double*>(base + second)));
}

// The pixel pairs at indices (a b | c d).
SIMD_FN V FourPairs(const uint32_t* base, int32_t a, int32_t b, int32_t c, int32_t d) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(TwoPairs(base, a, b)), TwoPairs(base, c, d),
                                 1);
}

// Each pair's left and right pixel mixed by the weight in its lanes: 16-bit (0 1 | 2 3).
SIMD_FN V MixColumns(V pairs, V wx) {
  const V left = _mm256_setr_epi8(0, -1, 1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1, 0, -1,
                                  1, -1, 2, -1, 3, -1, 8, -1, 9, -1, 10, -1, 11, -1);
  const V right = _mm256_setr_epi8(4, -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1, 4,
                                   -1, 5, -1, 6, -1, 7, -1, 12, -1, 13, -1, 14, -1, 15, -1);
  V l = _mm256_shuffle_epi8(pairs, left), r = _mm256_shuffle_epi8(pairs, right);
  return _mm256_add_epi16(_mm256_slli_epi16(l, 8), _mm256_mullo_epi16(_mm256_sub_epi16(r, l), wx));
}

// Four samples from their pairs and the fractions of their positions. Result: 16-bit
// channels in the pairs' order.
SIMD_FN V FourSamples(V top, V bottom, V fractionU, V fractionV) {
  V wx = _mm256_srli_epi16(fractionU, 8);
  V lower = _mm256_and_si256(fractionV, _mm256_set1_epi16(short(0xFF00)));
  V upper = _mm256_xor_si256(lower, _mm256_set1_epi32(-1));  // (255 - wy) * 256 + 255
  V rows = _mm256_add_epi16(_mm256_mulhi_epu16(MixColumns(top, wx), upper),
                            _mm256_mulhi_epu16(MixColumns(bottom, wx), lower));
  // The truncations lose less than three 256ths; one back makes a plain colour (an opaque
  // alpha above all) come out exactly.
  return _mm256_srli_epi16(_mm256_add_epi16(rows, _mm256_set1_epi16(1)), 8);
}

// The fractions of samples (a b | c d) from Start, each in its four lanes.
SIMD_FN V Fractions(uint32_t start, uint32_t step, int a, int b, int c, int d) {
  auto at = [&](int k) { return short(uint16_t(start + uint32_t(k) * step)); };
  return _mm256_setr_epi16(at(a), at(a), at(a), at(a), at(b), at(b), at(b), at(b), at(c), at(c),
                           at(c), at(c), at(d), at(d), at(d), at(d));
}

SIMD_KERNEL void Avx2BilinearSpan(uint32_t* dst, int32_t count, const uint32_t* pixels,
                                  int32_t stride, int32_t u, int32_t v, int32_t du, int32_t dv,
                                  bool hasAlpha) {
  if (count <= 0) return;
  const V forced = _mm256_set1_epi32(hasAlpha ? 0 : int(kAlphaMask));
  const uint32_t* below = pixels + stride;
  // Positions wrap past the span's end; only positions inside it are used.
  V fractionsU[2] = {Fractions(uint32_t(u), uint32_t(du), 0, 1, 4, 5),
                     Fractions(uint32_t(u), uint32_t(du), 2, 3, 6, 7)};
  V fractionsV[2] = {Fractions(uint32_t(v), uint32_t(dv), 0, 1, 4, 5),
                     Fractions(uint32_t(v), uint32_t(dv), 2, 3, 6, 7)};
  const V stepU = _mm256_set1_epi16(short(uint16_t(uint32_t(du) * 8)));
  const V stepV = _mm256_set1_epi16(short(uint16_t(uint32_t(dv) * 8)));
  uint32_t walkU = uint32_t(u), walkV = uint32_t(v);
  int32_t at[8];
  int32_t i = 0;
  alignas(32) uint32_t rest[8];
  while (i < count) {
    // Past the span's end the lanes repeat its last sample, which is inside the source.
    const int32_t n = count - i < 8 ? count - i : 8;
    for (int32_t k = 0; k < 8; ++k) {
      at[k] = (int32_t(walkV) >> 16) * stride + (int32_t(walkU) >> 16);
      if (k + 1 < n) {
        walkU += uint32_t(du);
        walkV += uint32_t(dv);
      }
    }
    V a = FourSamples(FourPairs(pixels, at[0], at[1], at[4], at[5]),
                      FourPairs(below, at[0], at[1], at[4], at[5]), fractionsU[0], fractionsV[0]);
    V b = FourSamples(FourPairs(pixels, at[2], at[3], at[6], at[7]),
                      FourPairs(below, at[2], at[3], at[6], at[7]), fractionsU[1], fractionsV[1]);
    V out = _mm256_or_si256(_mm256_packus_epi16(a, b), forced);
    if (n == 8) {
      Store(dst + i, out);
      walkU += uint32_t(du);
      walkV += uint32_t(dv);
      for (int g = 0; g < 2; ++g) {
        fractionsU[g] = _mm256_add_epi16(fractionsU[g], stepU);
        fractionsV[g] = _mm256_add_epi16(fractionsV[g], stepV);
      }
    } else {
      _mm256_store_si256(reinterpret_cast<V*>(rest), out);
      for (int32_t k = 0; k < n; ++k) dst[i + k] = rest[k];
    }
    i += n;
  }
}

}  // namespace

void FillAvx2Kernels(TSurfaceKernels& k) {
  k.Name = "avx2";
  // Copies keep the 16-byte kernel of the table this one starts from: measured faster on
  // sprite-sized rows, and no slower on whole frames, where both wait for memory.
  const TBlendRowKernel copyRow = k.Copy;
  const TBlendRectKernel copyRect = k.Rects.Copy;
  FillVectorBlendKernels(k);
  k.Copy = copyRow;
  k.Rects.Copy = copyRect;
  k.BilinearScaleRow = Avx2BilinearScaleRow;
  k.BilinearSpan = Avx2BilinearSpan;
}

#else

void FillAvx2Kernels(TSurfaceKernels&) {}

#endif
