// The blend modes 1 to 5 (screen, overlay, linear light, addition, max-opaque), plain and
// coloured. They share one shape: a coverage from the source alpha and the global alpha,
// a rule per colour channel and a rule for the destination alpha.

#include "engine/EngineSurfaceKernels.h"

namespace {

struct TScreen {
  static uint32_t Channel(uint32_t dc, uint32_t sc, uint32_t e) {
    return (((255 - sc * e / 256) * (256 - dc)) >> 8) ^ 255;
  }
  static uint32_t Alpha(uint32_t da, uint32_t e) { return e + (((255 - e) * da) >> 8); }
};

struct TOverlay {
  static uint32_t Channel(uint32_t dc, uint32_t sc, uint32_t f) {
    uint32_t h = 255 - f;
    uint32_t light =
        dc >= 128 ? ((255 - (255 - sc) * (255 - dc) / 128) * f) >> 8 : (f * (sc * dc)) >> 15;
    return dc * h / 256 + light;
  }
  // The same form as the other modes: an opaque overlay leaves the pixel opaque.
  static uint32_t Alpha(uint32_t da, uint32_t f) { return f + (((255 - f) * da) >> 8); }
};

struct TLinearLight {
  static uint32_t Channel(uint32_t dc, uint32_t sc, uint32_t e) {
    int32_t v = int32_t(dc) + int32_t(e) * (2 * int32_t(sc) - 255) / 256;
    return uint32_t(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
  static uint32_t Alpha(uint32_t da, uint32_t e) { return e + (((255 - e) * da) >> 8); }
};

struct TAddition {
  static uint32_t Channel(uint32_t dc, uint32_t sc, uint32_t e) {
    uint32_t v = dc + ((e * sc) >> 8);
    return v > 255 ? 255 : v;
  }
  static uint32_t Alpha(uint32_t da, uint32_t e) { return e + (255 - e) * da / 256; }
};

// Colour channels come from Colour (the source pixel, or the colour of coloured drawing);
// the coverage is sa * weight >> 8.
template <class Mode>
uint32_t ModePixel(uint32_t d, uint32_t sa, uint32_t colour, uint32_t weight, bool hasAlpha) {
  if (sa == 0) return d;
  uint32_t e = (sa * weight) >> 8;
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t dc = (d >> shift) & 0xFF;
    uint32_t sc = (colour >> shift) & 0xFF;
    out |= (Mode::Channel(dc, sc, e) & 0xFF) << shift;
  }
  uint32_t outA = hasAlpha ? Mode::Alpha(d >> 24, e) & 0xFF : 255;
  return out | (outA << 24);
}

template <class Mode>
void ModeRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t g, bool hasAlpha) {
  for (int32_t i = 0; i < count; ++i)
    dst[i] = ModePixel<Mode>(dst[i], src[i] >> 24, src[i], g, hasAlpha);
}

template <class Mode>
void ColorModeRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t k, uint32_t g,
                  bool hasAlpha) {
  uint32_t weight = (g * (k >> 24)) >> 8;
  for (int32_t i = 0; i < count; ++i)
    dst[i] = ModePixel<Mode>(dst[i], src[i] >> 24, k, weight, hasAlpha);
}

void MaxOpaqueRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t g, bool hasAlpha) {
  for (int32_t i = 0; i < count; ++i) {
    uint32_t e = ((src[i] >> 24) * g) >> 8;
    if (e < (dst[i] >> 24)) continue;
    dst[i] = (src[i] & kColourMask) | ((hasAlpha ? e : 255) << 24);
  }
}

void ColorMaxOpaqueRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t k, uint32_t g,
                       bool hasAlpha) {
  uint32_t weight = (g * (k >> 24)) >> 8;
  uint32_t whole = hasAlpha ? k : k | kAlphaMask;
  for (int32_t i = 0; i < count; ++i) {
    uint32_t e = ((src[i] >> 24) * weight) >> 8;
    if (e >= (dst[i] >> 24)) dst[i] = whole;
  }
}

}  // namespace

void FillPlainBlendModes(TSurfaceKernels& kernels) {
  kernels.BlendModes[1] = ModeRow<TScreen>;
  kernels.BlendModes[2] = ModeRow<TOverlay>;
  kernels.BlendModes[3] = ModeRow<TLinearLight>;
  kernels.BlendModes[4] = ModeRow<TAddition>;
  kernels.BlendModes[5] = MaxOpaqueRow;
  kernels.ColorModes[1] = ColorModeRow<TScreen>;
  kernels.ColorModes[2] = ColorModeRow<TOverlay>;
  kernels.ColorModes[3] = ColorModeRow<TLinearLight>;
  kernels.ColorModes[4] = ColorModeRow<TAddition>;
  kernels.ColorModes[5] = ColorMaxOpaqueRow;
  TRectKernels& rects = kernels.Rects;
  rects.BlendModes[1] = BlendRectOfRows<ModeRow<TScreen>>;
  rects.BlendModes[2] = BlendRectOfRows<ModeRow<TOverlay>>;
  rects.BlendModes[3] = BlendRectOfRows<ModeRow<TLinearLight>>;
  rects.BlendModes[4] = BlendRectOfRows<ModeRow<TAddition>>;
  rects.BlendModes[5] = BlendRectOfRows<MaxOpaqueRow>;
  rects.ColorModes[1] = ColorRectOfRows<ColorModeRow<TScreen>>;
  rects.ColorModes[2] = ColorRectOfRows<ColorModeRow<TOverlay>>;
  rects.ColorModes[3] = ColorRectOfRows<ColorModeRow<TLinearLight>>;
  rects.ColorModes[4] = ColorRectOfRows<ColorModeRow<TAddition>>;
  rects.ColorModes[5] = ColorRectOfRows<ColorMaxOpaqueRow>;
}
