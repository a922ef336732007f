#pragma once
// Row and rectangle kernels of the software surfaces. The plain kernels apply the
// per-pixel functions at the end of this header one pixel at a time and are the reference:
// integer arithmetic on 8-bit channels, where a channel moves toward its target by
// (target - channel) * weight >> 8 with an arithmetic shift, and the alpha byte follows a
// rule of its own per operation. Vector tables replace the hot entries with SSE2 or AVX2
// forms that agree with them to within one unit per channel. One table is chosen at
// start-up from the processor's features, so the inner loops never test for them.

#include <cstddef>
#include <cstdint>

constexpr uint32_t kAlphaMask = 0xFF000000u;
constexpr uint32_t kColourMask = 0x00FFFFFFu;

// Count pixels of one destination row from one source row. Alpha is the global alpha. The
// two rows never overlap in memory (a surface drawn onto itself is drawn from a copy).
using TBlendRowKernel = void (*)(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t alpha,
                                 bool hasAlpha);
// The source gives only its alpha byte; Color is 0xAARRGGBB.
using TColorRowKernel = void (*)(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t color,
                                 uint32_t alpha, bool hasAlpha);

// The same over Rows rows: row y of each side starts Stride * y pixels after its first (a
// negative stride walks upwards). One call draws a whole rectangle, so the set-up of a
// kernel is paid once per picture rather than once per row.
using TBlendRectKernel = void (*)(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src,
                                  ptrdiff_t srcStride, int32_t count, int32_t rows, uint32_t alpha,
                                  bool hasAlpha);
using TColorRectKernel = void (*)(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src,
                                  ptrdiff_t srcStride, int32_t count, int32_t rows, uint32_t color,
                                  uint32_t alpha, bool hasAlpha);

// One destination row of a bilinear scaling. Columns are inside the source; the right
// neighbour of the source's last column is that column again, and Bottom is Top at the
// source's last row.
struct TScaleRow {
  const uint32_t* Top = nullptr;
  const uint32_t* Bottom = nullptr;
  uint32_t WeightY = 0;                // 0..255, the share of Bottom
  const int32_t* Columns = nullptr;    // left source column per destination pixel
  const uint32_t* WeightsX = nullptr;  // per destination pixel: (wx << 16) | (256 - wx)
  int32_t SourceWidth = 0;
  int32_t FirstColumn = 0;  // smallest and largest entry of Columns
  int32_t LastColumn = 0;
  // Room for (LastColumn - FirstColumn + 2) * 4 + 16 lanes, for kernels that interpolate
  // the two rows first.
  uint16_t* Scratch = nullptr;
};
using TScaleRowKernel = void (*)(uint32_t* dst, int32_t count, const TScaleRow& row, bool hasAlpha);

// Count destination pixels sampled bilinearly along a line of the source in 16.16 fixed
// point: pixel i at (u + i * du, v + i * dv). Every sample has all four neighbours inside
// the source (the caller keeps the edges for itself).
using TBilinearSpanKernel = void (*)(uint32_t* dst, int32_t count, const uint32_t* pixels,
                                     int32_t stride, int32_t u, int32_t v, int32_t du, int32_t dv,
                                     bool hasAlpha);

// The rectangle forms of the row kernels of a table, entry for entry.
struct TRectKernels {
  TBlendRectKernel Copy = nullptr;
  TBlendRectKernel AlphaBlend = nullptr;
  TBlendRectKernel ScaledAlphaBlend = nullptr;
  TBlendRectKernel GlobalAlphaBlend = nullptr;
  TBlendRectKernel BlendModes[6] = {};
  TColorRectKernel ColorFill = nullptr;
  TColorRectKernel ColorThroughAlpha = nullptr;
  TColorRectKernel ScaledColorThroughAlpha = nullptr;
  TColorRectKernel ColorModes[6] = {};
};

struct TSurfaceKernels {
  const char* Name = "";
  TBlendRowKernel Copy = nullptr;
  TBlendRowKernel AlphaBlend = nullptr;        // source with alpha, global alpha 255
  TBlendRowKernel ScaledAlphaBlend = nullptr;  // source with alpha, global alpha below 255
  TBlendRowKernel GlobalAlphaBlend = nullptr;  // source without alpha, global alpha below 255
  TBlendRowKernel BlendModes[6] = {};          // modes 1..5 at their index
  TColorRowKernel ColorFill = nullptr;         // mode 0 with a source without alpha; alpha = a
  TColorRowKernel ColorThroughAlpha = nullptr;
  TColorRowKernel ScaledColorThroughAlpha = nullptr;  // alpha = a
  TColorRowKernel ColorModes[6] = {};                 // modes 1..5; alpha = global alpha
  TScaleRowKernel BilinearScaleRow = nullptr;
  TBilinearSpanKernel BilinearSpan = nullptr;
  TRectKernels Rects;
};

// A rectangle kernel made of a row kernel, for tables whose row kernels have no faster
// rectangle form.
template <TBlendRowKernel kRow>
void BlendRectOfRows(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                     int32_t count, int32_t rows, uint32_t alpha, bool hasAlpha) {
  for (int32_t y = 0; y < rows; ++y, dst += dstStride, src += srcStride)
    kRow(dst, src, count, alpha, hasAlpha);
}
template <TColorRowKernel kRow>
void ColorRectOfRows(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                     int32_t count, int32_t rows, uint32_t color, uint32_t alpha, bool hasAlpha) {
  for (int32_t y = 0; y < rows; ++y, dst += dstStride, src += srcStride)
    kRow(dst, src, count, color, alpha, hasAlpha);
}

const TSurfaceKernels& PlainSurfaceKernels();
// The vector tables, or nothing where the build or the processor lacks them.
const TSurfaceKernels* Sse2SurfaceKernels();
const TSurfaceKernels* Avx2SurfaceKernels();
// The table the surfaces use: the best one the processor runs, chosen on first use.
const TSurfaceKernels& SurfaceKernels();
// Lets tests and benchmarks run the surfaces on another table; nothing restores the best.
void UseSurfaceKernels(const TSurfaceKernels& kernels);

// Builders of the tables: each vector table starts as a copy of the plain one and
// overwrites the entries it accelerates.
void FillPlainBlendModes(TSurfaceKernels& kernels);
void FillSse2Kernels(TSurfaceKernels& kernels);
void FillAvx2Kernels(TSurfaceKernels& kernels);

// ---- Per-pixel rules, shared by the plain kernels and the vector kernels' tails ----

inline bool TakesPart(uint32_t d, bool hasAlpha) {
  return !hasAlpha || (d >> 24) != 0;
}

// dc + (sc - dc) * weight >> 8 on the three colour channels, arithmetic shift.
inline uint32_t MixColour(uint32_t d, uint32_t s, int32_t weight) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int32_t dc = int32_t((d >> shift) & 0xFF);
    int32_t sc = int32_t((s >> shift) & 0xFF);
    out |= uint32_t((dc + (((sc - dc) * weight) >> 8)) & 0xFF) << shift;
  }
  return out;
}

inline uint32_t AlphaBlendPixel(uint32_t d, uint32_t s, bool hasAlpha) {
  uint32_t sa = s >> 24;
  if (sa == 0) return d;
  // Opaque pixels are copied: the blend formula would turn 255 over 0 into 254.
  if (sa == 255) return s;
  if (!TakesPart(d, hasAlpha)) return s;
  uint32_t da = d >> 24;
  uint32_t outA = hasAlpha ? sa + (((255 - sa) * (da + 1)) >> 8) : 255;
  return MixColour(d, s, int32_t(sa)) | (outA << 24);
}

inline uint32_t ScaledAlphaBlendPixel(uint32_t d, uint32_t s, uint32_t g, bool hasAlpha) {
  uint32_t f = ((s >> 24) * g) >> 8;
  if (f == 0) return d;
  if (!TakesPart(d, hasAlpha)) return s;
  uint32_t da = d >> 24;
  uint32_t outA = hasAlpha ? f + da - ((f * da + 255) >> 8) : 255;
  return MixColour(d, s, int32_t(f)) | (outA << 24);
}

inline uint32_t GlobalAlphaBlendPixel(uint32_t d, uint32_t s, uint32_t g, bool hasAlpha) {
  if (!TakesPart(d, hasAlpha)) return s;
  return MixColour(d, s, int32_t(g)) | ((hasAlpha ? g : 255) << 24);
}

inline uint32_t ColorThroughAlphaPixel(uint32_t d, uint32_t s, uint32_t k, bool hasAlpha) {
  uint32_t e = s >> 24;
  if (e == 0) return d;
  if (e == 255) return hasAlpha ? k : k | kAlphaMask;
  if (!TakesPart(d, hasAlpha)) return (k & kColourMask) | (e << 24);
  uint32_t da = d >> 24;
  uint32_t outA = hasAlpha ? (((255 - da) * e) >> 8) + da : 255;
  return MixColour(d, k, int32_t(e)) | (outA << 24);
}

inline uint32_t ScaledColorThroughAlphaPixel(uint32_t d, uint32_t s, uint32_t k, uint32_t a,
                                             bool hasAlpha) {
  uint32_t f = ((s >> 24) * a) >> 8;
  if (f == 0) return d;
  if (!TakesPart(d, hasAlpha)) return (k & kColourMask) | (f << 24);
  uint32_t da = d >> 24;
  uint32_t outA = hasAlpha ? (((255 - da) * f) >> 8) + da : 255;
  return MixColour(d, k, int32_t(f)) | (outA << 24);
}

// Coloured fill of mode 0 with alpha a below 255.
inline uint32_t ColorFillPixel(uint32_t d, uint32_t k, uint32_t a, bool hasAlpha) {
  if (!TakesPart(d, hasAlpha)) return (k & kColourMask) | (a << 24);
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t dc = (d >> shift) & 0xFF;
    uint32_t kc = (k >> shift) & 0xFF;
    out |= (((kc * a + dc * (255 - a) + 255) >> 8) & 0xFF) << shift;
  }
  uint32_t da = d >> 24;
  uint32_t outA = hasAlpha ? (da > a ? da : a) : 255;
  return out | (outA << 24);
}

// Per channel: ((p00 (256 - wx) + p01 wx) (256 - wy) + (p10 (256 - wx) + p11 wx) wy) >> 16.
inline uint32_t BilinearPixel(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, uint32_t wx,
                              uint32_t wy) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t top = ((p00 >> shift) & 0xFF) * (256 - wx) + ((p01 >> shift) & 0xFF) * wx;
    uint32_t bottom = ((p10 >> shift) & 0xFF) * (256 - wx) + ((p11 >> shift) & 0xFF) * wx;
    out |= ((top * (256 - wy) + bottom * wy) >> 16) << shift;
  }
  return out;
}
