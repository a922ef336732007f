// SSE2 row kernels: the baseline of every x86-64 processor.

#include "engine/EngineSurfaceKernels.h"

#if defined(__x86_64__)

#include <emmintrin.h>

#include <cstring>

namespace {

#define SIMD_FN [[gnu::always_inline]] inline
#define SIMD_KERNEL

using V = __m128i;
constexpr int32_t kPixels = 4;

SIMD_FN V Load(const uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const V*>(p));
}
SIMD_FN void Store(uint32_t* p, V v) {
  _mm_storeu_si128(reinterpret_cast<V*>(p), v);
}
SIMD_FN V Set16(uint32_t x) {
  return _mm_set1_epi16(short(x));
}
SIMD_FN V Set32(uint32_t x) {
  return _mm_set1_epi32(int(x));
}
SIMD_FN V Set64(uint64_t x) {
  return _mm_set1_epi64x((long long)x);
}
SIMD_FN V Zero() {
  return _mm_setzero_si128();
}
SIMD_FN V UnpackLo(V x) {
  return _mm_unpacklo_epi8(x, _mm_setzero_si128());
}
SIMD_FN V UnpackHi(V x) {
  return _mm_unpackhi_epi8(x, _mm_setzero_si128());
}
SIMD_FN V Pack(V lo, V hi) {
  return _mm_packus_epi16(lo, hi);
}
SIMD_FN V Add16(V a, V b) {
  return _mm_add_epi16(a, b);
}
SIMD_FN V Sub16(V a, V b) {
  return _mm_sub_epi16(a, b);
}
SIMD_FN V MulLo16(V a, V b) {
  return _mm_mullo_epi16(a, b);
}
SIMD_FN V MulHi16(V a, V b) {
  return _mm_mulhi_epi16(a, b);
}
template <int N>
SIMD_FN V Shl16(V a) {
  return _mm_slli_epi16(a, N);
}
template <int N>
SIMD_FN V Shr16(V a) {
  return _mm_srli_epi16(a, N);
}
template <int N>
SIMD_FN V Shr32(V a) {
  return _mm_srli_epi32(a, N);
}
SIMD_FN V And(V a, V b) {
  return _mm_and_si128(a, b);
}
SIMD_FN V Or(V a, V b) {
  return _mm_or_si128(a, b);
}
SIMD_FN V Eq32(V a, V b) {
  return _mm_cmpeq_epi32(a, b);
}
SIMD_FN V Gt32(V a, V b) {
  return _mm_cmpgt_epi32(a, b);
}
SIMD_FN V Select(V mask, V a, V b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
SIMD_FN bool AllSet(V mask) {
  return _mm_movemask_epi8(mask) == 0xFFFF;
}
SIMD_FN bool NoneSet(V mask) {
  return _mm_movemask_epi8(mask) == 0;
}
SIMD_FN V AlphaLanes(V x) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xFF), 0xFF);
}

#include "engine/EngineSurfaceKernelsVector.inc"

// ---- Bilinear sampling ----
// Both rows are interpolated first, exactly, into 16-bit lanes (halved so that the second
// step fits a signed multiply-add); the columns follow with _mm_madd_epi16. The halving
// and the two truncations keep the result within one unit of the plain rule.

// Rows top and bottom at 16-bit lanes: ((t << 8) + (b - t) * wy) >> 1, exact modulo 2^16.
SIMD_FN V RowsMix(V t16, V b16, V wy16) {
  return _mm_srli_epi16(
      _mm_add_epi16(_mm_slli_epi16(t16, 8), _mm_mullo_epi16(_mm_sub_epi16(b16, t16), wy16)), 1);
}

// Two pixels' row mixes (left, right) in 8 lanes -> the interpolated pixel in 4 x 32 bits.
SIMD_FN V ColumnsMix(V pair16, uint32_t weightsX) {
  V interleaved = _mm_unpacklo_epi16(pair16, _mm_srli_si128(pair16, 8));
  return _mm_srai_epi32(_mm_madd_epi16(interleaved, _mm_set1_epi32(int(weightsX))), 15);
}

void Sse2BilinearScaleRow(uint32_t* dst, int32_t count, const TScaleRow& row, bool hasAlpha) {
  const int32_t first = row.FirstColumn;
  const int32_t last = row.LastColumn + 1 < row.SourceWidth ? row.LastColumn + 1 : row.LastColumn;
  const int32_t n = last - first + 1;
  const uint32_t wy = row.WeightY;
  const V wy16 = _mm_set1_epi16(short(wy));
  uint16_t* mixed = row.Scratch;
  int32_t j = 0;
  for (; j + 4 <= n; j += 4) {
    V t = Load(row.Top + first + j);
    V b = Load(row.Bottom + first + j);
    _mm_storeu_si128(reinterpret_cast<V*>(mixed + j * 4), RowsMix(UnpackLo(t), UnpackLo(b), wy16));
    _mm_storeu_si128(reinterpret_cast<V*>(mixed + j * 4 + 8),
                     RowsMix(UnpackHi(t), UnpackHi(b), wy16));
  }
  for (; j < n; ++j) {
    uint32_t t = row.Top[first + j], b = row.Bottom[first + j];
    for (int c = 0; c < 4; ++c) {
      int32_t tc = int32_t((t >> (8 * c)) & 0xFF), bc = int32_t((b >> (8 * c)) & 0xFF);
      mixed[j * 4 + c] = uint16_t((tc * 256 + (bc - tc) * int32_t(wy)) >> 1);
    }
  }
  // The last source column is its own right neighbour.
  if (last == row.LastColumn) std::memcpy(mixed + n * 4, mixed + (n - 1) * 4, 8);

  const V forced = hasAlpha ? Zero() : Set32(kAlphaMask);
  int32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    V r[4];
    for (int p = 0; p < 4; ++p) {
      V pair =
          _mm_loadu_si128(reinterpret_cast<const V*>(mixed + (row.Columns[i + p] - first) * 4));
      r[p] = ColumnsMix(pair, row.WeightsX[i + p]);
    }
    V packed = _mm_packus_epi16(_mm_packs_epi32(r[0], r[1]), _mm_packs_epi32(r[2], r[3]));
    Store(dst + i, Or(packed, forced));
  }
  for (; i < count; ++i) {
    V pair = _mm_loadu_si128(reinterpret_cast<const V*>(mixed + (row.Columns[i] - first) * 4));
    V r = ColumnsMix(pair, row.WeightsX[i]);
    V packed = _mm_packus_epi16(_mm_packs_epi32(r, r), r);
    dst[i] = uint32_t(_mm_cvtsi128_si32(Or(packed, forced)));
  }
}

SIMD_FN V SpanPixel(const uint32_t* pixels, int32_t stride, int64_t u, int64_t v) {
  const uint32_t* p = pixels + (v >> 16) * stride + (u >> 16);
  V t = UnpackLo(_mm_loadl_epi64(reinterpret_cast<const V*>(p)));
  V b = UnpackLo(_mm_loadl_epi64(reinterpret_cast<const V*>(p + stride)));
  uint32_t wx = uint32_t(u >> 8) & 0xFF;
  V mixed = RowsMix(t, b, _mm_set1_epi16(short(uint32_t(v >> 8) & 0xFF)));
  return ColumnsMix(mixed, (wx << 16) | (256 - wx));
}

void Sse2BilinearSpan(uint32_t* dst, int32_t count, const uint32_t* pixels, int32_t stride,
                      int32_t u, int32_t v, int32_t du, int32_t dv, bool hasAlpha) {
  const V forced = hasAlpha ? Zero() : Set32(kAlphaMask);
  int32_t i = 0;
  for (; i + 2 <= count; i += 2) {
    V r0 = SpanPixel(pixels, stride, int64_t(u) + int64_t(i) * du, int64_t(v) + int64_t(i) * dv);
    V r1 = SpanPixel(pixels, stride, int64_t(u) + int64_t(i + 1) * du,
                     int64_t(v) + int64_t(i + 1) * dv);
    V packed = _mm_packs_epi32(r0, r1);
    _mm_storel_epi64(reinterpret_cast<V*>(dst + i), Or(_mm_packus_epi16(packed, packed), forced));
  }
  if (i < count) {
    V r = SpanPixel(pixels, stride, int64_t(u) + int64_t(i) * du, int64_t(v) + int64_t(i) * dv);
    V packed = _mm_packs_epi32(r, r);
    dst[i] = uint32_t(_mm_cvtsi128_si32(Or(_mm_packus_epi16(packed, packed), forced)));
  }
}

}  // namespace

void FillSse2Kernels(TSurfaceKernels& k) {
  k.Name = "sse2";
  FillVectorBlendKernels(k);
  k.BilinearScaleRow = Sse2BilinearScaleRow;
  k.BilinearSpan = Sse2BilinearSpan;
}

#else

void FillSse2Kernels(TSurfaceKernels&) {}

#endif
