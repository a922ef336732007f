// The plain row kernels, one call of a per-pixel function per pixel, and the choice of the
// table the surfaces use.

#include "engine/EngineSurfaceKernels.h"

#include <cstring>

#include "foundation/EngineDeclarations.h"

namespace {

void CopyRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t, bool hasAlpha) {
  if (count <= 0) return;
  if (hasAlpha) {
    std::memcpy(dst, src, size_t(count) * 4);
    return;
  }
  for (int32_t i = 0; i < count; ++i) dst[i] = src[i] | kAlphaMask;
}

void AlphaBlendRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t, bool hasAlpha) {
  for (int32_t i = 0; i < count; ++i) dst[i] = AlphaBlendPixel(dst[i], src[i], hasAlpha);
}

void ScaledAlphaBlendRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t g,
                         bool hasAlpha) {
  for (int32_t i = 0; i < count; ++i) dst[i] = ScaledAlphaBlendPixel(dst[i], src[i], g, hasAlpha);
}

void GlobalAlphaBlendRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t g,
                         bool hasAlpha) {
  for (int32_t i = 0; i < count; ++i) dst[i] = GlobalAlphaBlendPixel(dst[i], src[i], g, hasAlpha);
}

void ColorFillRow(uint32_t* dst, const uint32_t*, int32_t count, uint32_t k, uint32_t a,
                  bool hasAlpha) {
  if (a >= 255) {
    uint32_t whole = hasAlpha ? k : k | kAlphaMask;
    for (int32_t i = 0; i < count; ++i) dst[i] = whole;
    return;
  }
  for (int32_t i = 0; i < count; ++i) dst[i] = ColorFillPixel(dst[i], k, a, hasAlpha);
}

void ColorThroughAlphaRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t k, uint32_t,
                          bool hasAlpha) {
  for (int32_t i = 0; i < count; ++i) dst[i] = ColorThroughAlphaPixel(dst[i], src[i], k, hasAlpha);
}

void ScaledColorThroughAlphaRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t k,
                                uint32_t a, bool hasAlpha) {
  for (int32_t i = 0; i < count; ++i)
    dst[i] = ScaledColorThroughAlphaPixel(dst[i], src[i], k, a, hasAlpha);
}

void BilinearScaleRow(uint32_t* dst, int32_t count, const TScaleRow& row, bool hasAlpha) {
  uint32_t forced = hasAlpha ? 0 : kAlphaMask;
  for (int32_t i = 0; i < count; ++i) {
    int32_t c = row.Columns[i];
    int32_t c1 = c + 1 < row.SourceWidth ? c + 1 : c;
    uint32_t wx = row.WeightsX[i] >> 16;
    dst[i] =
        BilinearPixel(row.Top[c], row.Top[c1], row.Bottom[c], row.Bottom[c1], wx, row.WeightY) |
        forced;
  }
}

void BilinearSpan(uint32_t* dst, int32_t count, const uint32_t* pixels, int32_t stride, int32_t u,
                  int32_t v, int32_t du, int32_t dv, bool hasAlpha) {
  uint32_t forced = hasAlpha ? 0 : kAlphaMask;
  for (int32_t i = 0; i < count; ++i) {
    // In 64 bits: the position after the last pixel may leave the 32-bit range.
    int64_t pu = int64_t(u) + int64_t(i) * du;
    int64_t pv = int64_t(v) + int64_t(i) * dv;
    const uint32_t* p = pixels + (pv >> 16) * stride + (pu >> 16);
    dst[i] = BilinearPixel(p[0], p[1], p[stride], p[stride + 1], uint32_t(pu >> 8) & 0xFF,
                           uint32_t(pv >> 8) & 0xFF) |
             forced;
  }
}

TSurfaceKernels MakePlainKernels() {
  TSurfaceKernels k;
  k.Name = "plain";
  k.Copy = CopyRow;
  k.AlphaBlend = AlphaBlendRow;
  k.ScaledAlphaBlend = ScaledAlphaBlendRow;
  k.GlobalAlphaBlend = GlobalAlphaBlendRow;
  k.ColorFill = ColorFillRow;
  k.ColorThroughAlpha = ColorThroughAlphaRow;
  k.ScaledColorThroughAlpha = ScaledColorThroughAlphaRow;
  k.BilinearScaleRow = BilinearScaleRow;
  k.BilinearSpan = BilinearSpan;
  k.Rects.Copy = BlendRectOfRows<CopyRow>;
  k.Rects.AlphaBlend = BlendRectOfRows<AlphaBlendRow>;
  k.Rects.ScaledAlphaBlend = BlendRectOfRows<ScaledAlphaBlendRow>;
  k.Rects.GlobalAlphaBlend = BlendRectOfRows<GlobalAlphaBlendRow>;
  k.Rects.ColorFill = ColorRectOfRows<ColorFillRow>;
  k.Rects.ColorThroughAlpha = ColorRectOfRows<ColorThroughAlphaRow>;
  k.Rects.ScaledColorThroughAlpha = ColorRectOfRows<ScaledColorThroughAlphaRow>;
  FillPlainBlendModes(k);
  return k;
}

bool ProcessorHasAvx2() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

const TSurfaceKernels* activeKernels = nullptr;

}  // namespace

const TSurfaceKernels& PlainSurfaceKernels() {
  static const TSurfaceKernels kernels = MakePlainKernels();
  return kernels;
}

const TSurfaceKernels* Sse2SurfaceKernels() {
#if defined(__x86_64__)
  static const TSurfaceKernels kernels = [] {
    TSurfaceKernels k = PlainSurfaceKernels();
    FillSse2Kernels(k);
    return k;
  }();
  return &kernels;
#else
  return nullptr;
#endif
}

const TSurfaceKernels* Avx2SurfaceKernels() {
#if defined(__x86_64__)
  if (!ProcessorHasAvx2()) return nullptr;
  static const TSurfaceKernels kernels = [] {
    TSurfaceKernels k = *Sse2SurfaceKernels();
    FillAvx2Kernels(k);
    return k;
  }();
  return &kernels;
#else
  return nullptr;
#endif
}

const TSurfaceKernels& SurfaceKernels() {
  if (activeKernels) return *activeKernels;
  activeKernels = Avx2SurfaceKernels();
  if (!activeKernels) activeKernels = Sse2SurfaceKernels();
  if (!activeKernels) activeKernels = &PlainSurfaceKernels();
  // The flag tells the rest of the engine that vector row kernels are in use.
  MmxAvailable = activeKernels != &PlainSurfaceKernels();
  return *activeKernels;
}

void UseSurfaceKernels(const TSurfaceKernels& kernels) {
  activeKernels = &kernels;
}
