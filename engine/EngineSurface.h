#pragma once
// The program's only pixel buffer: the frame, every decoded image, every glyph page and
// every scratch buffer is a TSurface. Pixels are 0xAARRGGBB, rows top to bottom without
// padding. All blending is integer arithmetic on 8-bit channels; the row loops go through
// the kernel table chosen at start-up (EngineSurfaceKernels.h).

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"
#include "foundation/GeneralClasses.h"

// One rectangle of a redraw region.
struct TClippingRect {
  TRect Rect;
};

// Rectangles that do not overlap each other; each may be larger than the union of what
// was added, since overlapping rectangles merge into their bounding rectangle.
class TRegion {
 public:
  void AddRect(TRect rect);
  void Clear() { rects_.clear(); }
  int32_t Count() const { return int32_t(rects_.size()); }
  const TRect& Rect(int32_t index) const { return rects_[size_t(index)].Rect; }

 private:
  std::vector<TClippingRect> rects_;
};

class TSurface : public TAbstractObject, public ISurface {
 public:
  // Sizes beyond these are cut down: a side at most kMaxSide, the area at most kMaxPixels.
  static constexpr int32_t kMaxSide = 16384;
  static constexpr int64_t kMaxPixels = int64_t(1) << 25;

  TSurface() = default;
  ~TSurface() override;

  int32_t GetWidth() override { return width_; }
  int32_t GetHeight() override { return height_; }
  void SetSize(int32_t width, int32_t height) override;
  // As SetSize, but the pixels start undefined: for a decoder that writes every one.
  void SetSizeForOverwrite(int32_t width, int32_t height);
  uint32_t* GetScanLine(int32_t y) override;
  uint32_t GetPixel(int32_t x, int32_t y) override;
  void SetPixel(int32_t x, int32_t y, uint32_t pixel) override;
  bool GetHasAlpha() override { return hasAlpha_; }
  void SetHasAlpha(bool value) override { hasAlpha_ = value; }

  bool Draw(ISurface* source, const TRect& srcRect, uint8_t mode, uint8_t alpha,
            const TRect& dstRect) override;
  bool DrawColored(uint32_t color, ISurface* source, uint8_t mode, uint8_t alpha,
                   const TRect& dstRect, const TRect& srcRect) override;
  bool DrawMasked(ISurface* source, const TRect& srcRect, const TRect& dstRect,
                  const TRect& maskRect, ISurface* mask) override;
  bool DrawTransformed(ISurface* source, TPoint centre, double angle, bool smooth, double scaleX,
                       double scaleY, double offsetX, double offsetY) override;
  bool DrawScaled(ISurface* source, bool smooth, double scaleX, double scaleY, double offsetX,
                  double offsetY) override;
  bool DrawAt(ISurface* source, double x, double y) override;

  void SetClipRect(bool enabled, const TRect& rect) override;
  int32_t AddRegionRect(const TRect& rect) override;
  void ClearRegion() override;

  uint32_t* PixelAddress(int32_t x, int32_t y) override { return rows_[size_t(y)] + x; }
  uint32_t PixelValue(int32_t x, int32_t y) override { return rows_[size_t(y)][x]; }
  void Clear() override;
  bool GetStatistics(IParamCollection* params, uint8_t threshold) override;

  bool ClipEnabled() const { return clipEnabled_; }
  const TRect& ClipRect() const { return clipRect_; }
  bool RegionActive() const { return regionActive_; }
  const TRegion& Region() const { return region_; }

  // A rectangle of another surface (or of this one) that an operation reads.
  struct TClipSource {
    TRect Rect;
    int32_t Width = 0;
    int32_t Height = 0;
  };
  // Cuts Dst to this surface (and to the clip rectangle when enabled) and every source to
  // its surface, each losing what the others lose, so that all end with Dst's size.
  // False when nothing remains.
  bool ClipRects(TRect& dst, TClipSource* sources, int32_t count) const;

  // A mapping from destination pixels to source positions in 16.16 fixed point:
  // u = U0 + x * DuDx + y * DuDy, v = V0 + x * DvDx + y * DvDy.
  struct TAffineMap {
    int64_t U0 = 0, V0 = 0;
    int64_t DuDx = 0, DuDy = 0, DvDx = 0, DvDy = 0;
  };

 private:
  void Resize(int32_t width, int32_t height, bool zeroed);
  // How a bilinear sample treats neighbours outside the source.
  enum class TEdgeRule {
    Transparent,  // as pixels 0 (sub-pixel placement)
    Destination,  // as the destination's current pixel (transforms); a sample whose own
                  // pixel is outside gets alpha 0 with the destination's colours
  };

  void FreePixels();
  bool DrawOnce(ISurface* source, TRect srcRect, uint8_t mode, uint8_t alpha, TRect dstRect);
  bool DrawColoredOnce(uint32_t color, ISurface* source, uint8_t mode, uint8_t alpha, TRect dstRect,
                       TRect srcRect);
  // Rows of a rectangle drawn from a source: where each side starts and how far apart its
  // rows lie.
  struct TRowWalk {
    uint32_t* Dst;
    ptrdiff_t DstStride;
    const uint32_t* Src;
    ptrdiff_t SrcStride;
    int32_t Count, Rows;
  };
  // False when the source has no pixels there.
  bool Walk(ISurface* source, const TRect& srcRect, const TRect& dstRect, TRowWalk& walk);
  // The clipped part of Box, or false.
  bool TargetBox(TRect& box) const;
  void RenderAffine(ISurface* source, const TAffineMap& map, const TRect& box, bool smooth,
                    TEdgeRule rule);
  // The samples of Box whose neighbours are all inside the source: spans_ holds each row's.
  void RenderSpans(const uint32_t* pixels, int32_t sw, const TAffineMap& map, const TRect& box,
                   bool smooth);
  // A sample off the source: alpha 0 with the destination's colours (alpha 255 without
  // HasAlpha).
  uint32_t Outside(uint32_t d) const;
  uint32_t EdgePixel(const uint32_t* pixels, int32_t width, int32_t height, int64_t u, int64_t v,
                     uint32_t d, bool smooth, TEdgeRule rule) const;
  bool PlainCopy(ISurface* source, int32_t x, int32_t y);

  int32_t width_ = 0;
  int32_t height_ = 0;
  bool hasAlpha_ = false;
  uint32_t* pixels_ = nullptr;
  void* block_ = nullptr;  // the allocation pixels_ lies in
  size_t blockBytes_ = 0;
  bool clipEnabled_ = false;
  TRect clipRect_;
  TRegion region_;
  bool regionActive_ = false;
  std::vector<uint32_t*> rows_;
  // Working rows of the scaling kernels, kept between calls so drawing allocates nothing
  // once they are large enough.
  std::vector<int32_t> columns_;
  std::vector<uint32_t> weightsX_;
  std::vector<uint16_t> mixed_;
  // Per row of a transform's box: the columns [First, Last) sampled wholly inside.
  struct TSpan {
    int32_t First = 0, Last = 0;
  };
  std::vector<TSpan> spans_;
  // The source rectangle of a surface drawn onto itself.
  std::vector<uint32_t> selfCopy_;
};

// Surfaces kept under names.
class ISurfaceCollection : public virtual ICollection {
 public:
  // Nothing for no surface; a name already present keeps its surface.
  virtual void AddSurface(const Ref<ISurface>& surface, const std::string& name) = 0;
  // A position or a name; nothing when absent.
  virtual Ref<ISurface> FindSurface(const Variant& address) = 0;
};

class TSurfaceCollection : public TCollection, public virtual ISurfaceCollection {
 public:
  void AddSurface(const Ref<ISurface>& surface, const std::string& name) override;
  Ref<ISurface> FindSurface(const Variant& address) override;
};
