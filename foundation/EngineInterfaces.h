#pragma once
// Interfaces through which the engine's objects reach each other and the later subsystems.
// Each concern keeps its own section.

#include <algorithm>
#include <cstdint>

#include "foundation/Interface.h"

// ---------------------------------------------------------------------------------------
// Software surfaces
// ---------------------------------------------------------------------------------------

// Right and bottom are exclusive.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// False when the intersection is empty (left not below right, or top not below bottom);
// Out is then the empty rectangle (0, 0, 0, 0).
inline bool IntersectRects(const TRect& a, const TRect& b, TRect& out) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.Left >= r.Right || r.Top >= r.Bottom) {
    out = TRect{};
    return false;
  }
  out = r;
  return true;
}

// The bounding rectangle of both.
inline void UnionRects(const TRect& a, const TRect& b, TRect& out) {
  out = TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
              std::max(a.Bottom, b.Bottom)};
}

// Blend modes of Draw and DrawColored, as data names them by index in
// "/normal/screen/overlay/linearlight/addition/maxopaque/bltfast".
enum TBlendMode : uint8_t {
  bmNormal = 0,
  bmScreen = 1,
  bmOverlay = 2,
  bmLinearLight = 3,
  bmAddition = 4,
  bmMaxOpaque = 5,
  bmBltFast = 6,
};

// A 32-bit pixel buffer; pixels are 0xAARRGGBB. Sources are borrowed for the call only.
class ISurface : public virtual IInterface {
 public:
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual void SetSize(int32_t width, int32_t height) = 0;
  // Nothing outside 0..Height-1 or without pixels.
  virtual uint32_t* GetScanLine(int32_t y) = 0;
  // 0 outside the surface.
  virtual uint32_t GetPixel(int32_t x, int32_t y) = 0;
  virtual void SetPixel(int32_t x, int32_t y, uint32_t pixel) = 0;
  virtual bool GetHasAlpha() = 0;
  virtual void SetHasAlpha(bool value) = 0;

  virtual bool Draw(ISurface* source, const TRect& srcRect, uint8_t mode, uint8_t alpha,
                    const TRect& dstRect) = 0;
  // The source gives only its alpha; the colour comes from Color.
  virtual bool DrawColored(uint32_t color, ISurface* source, uint8_t mode, uint8_t alpha,
                           const TRect& dstRect, const TRect& srcRect) = 0;
  virtual bool DrawMasked(ISurface* source, const TRect& srcRect, const TRect& dstRect,
                          const TRect& maskRect, ISurface* mask) = 0;
  virtual bool DrawTransformed(ISurface* source, TPoint centre, double angle, bool smooth,
                               double scaleX, double scaleY, double offsetX, double offsetY) = 0;
  virtual bool DrawScaled(ISurface* source, bool smooth, double scaleX, double scaleY,
                          double offsetX, double offsetY) = 0;
  virtual bool DrawAt(ISurface* source, double x, double y) = 0;

  virtual void SetClipRect(bool enabled, const TRect& rect) = 0;
  // Returns the number of rectangles in the region.
  virtual int32_t AddRegionRect(const TRect& rect) = 0;
  virtual void ClearRegion() = 0;

  // Unchecked: the caller guarantees 0 <= x < width and 0 <= y < height.
  virtual uint32_t* PixelAddress(int32_t x, int32_t y) = 0;
  virtual uint32_t PixelValue(int32_t x, int32_t y) = 0;
  virtual void Clear() = 0;
};
