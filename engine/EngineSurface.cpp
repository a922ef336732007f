#include "engine/EngineSurface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/EngineSurfaceKernels.h"
#include "platform/LargeBlock.h"
#include "foundation/Params.h"

// ---- Region ----

void TRegion::AddRect(TRect rect) {
  // An empty rectangle asks for nothing to be redrawn.
  if (rect.Left >= rect.Right || rect.Top >= rect.Bottom) return;
  bool changed = true;
  while (changed) {
    changed = false;
    for (size_t i = rects_.size(); i-- > 0;) {
      TRect overlap;
      if (!IntersectRects(rects_[i].Rect, rect, overlap)) continue;
      TRect bounds;
      UnionRects(rect, rects_[i].Rect, bounds);
      if (bounds == rects_[i].Rect) return;  // already covered
      rects_.erase(rects_.begin() + std::ptrdiff_t(i));
      rect = bounds;
      changed = true;
    }
  }
  rects_.push_back(TClippingRect{rect});
}

// ---- Life cycle and pixel access ----

TSurface::~TSurface() {
  FreePixels();
}

void TSurface::FreePixels() {
  if (blockBytes_ >= platform::kLargeBlockMinimum)
    platform::FreeLargeBlock(block_, blockBytes_);
  else
    std::free(block_);
  block_ = nullptr;
  blockBytes_ = 0;
  pixels_ = nullptr;
  rows_.clear();
}

void TSurface::SetSize(int32_t width, int32_t height) {
  Resize(width, height, true);
}

void TSurface::SetSizeForOverwrite(int32_t width, int32_t height) {
  Resize(width, height, false);
}

void TSurface::Resize(int32_t width, int32_t height, bool zeroed) {
  FreePixels();
  int64_t w = std::clamp<int64_t>(width, 0, kMaxSide);
  int64_t h = std::clamp<int64_t>(height, 0, kMaxSide);
  if (w * h > kMaxPixels) h = kMaxPixels / w;
  width_ = int32_t(w);
  height_ = int32_t(h);
  if (w * h == 0) return;
  // One block whose pixels start on a cache line, so that whole-row vector stores never
  // straddle two lines. calloc clears only memory used before: memory fresh from the
  // system is zero already and stays untouched, so a big surface costs nothing until it is
  // drawn on (a rectangle's blank stencil never is; a page's first write is dear, on a
  // virtual machine most of all). A decoder that writes every pixel needs no zeroes at all,
  // and a big one has all its pages made present at once. A failed allocation leaves an
  // empty surface, not a crash.
  constexpr size_t kLine = 64;
  const size_t bytes = size_t(w * h) * 4 + kLine - 1;
  if (bytes >= platform::kLargeBlockMinimum)
    block_ = platform::AllocateLargeBlock(bytes, !zeroed);
  else
    block_ = zeroed ? std::calloc(bytes, 1) : std::malloc(bytes);
  if (!block_) {
    width_ = height_ = 0;
    return;
  }
  blockBytes_ = bytes;
  pixels_ = reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(block_) + kLine - 1) &
                                        ~uintptr_t(kLine - 1));
  rows_.resize(size_t(h));
  for (int64_t y = 0; y < h; ++y) rows_[size_t(y)] = pixels_ + y * w;
}

uint32_t* TSurface::GetScanLine(int32_t y) {
  if (!pixels_ || y < 0 || y >= height_) return nullptr;
  return rows_[size_t(y)];
}

uint32_t TSurface::GetPixel(int32_t x, int32_t y) {
  if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return rows_[size_t(y)][x];
}

void TSurface::SetPixel(int32_t x, int32_t y, uint32_t pixel) {
  if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  if (clipEnabled_ &&
      (x < clipRect_.Left || x >= clipRect_.Right || y < clipRect_.Top || y >= clipRect_.Bottom))
    return;
  rows_[size_t(y)][x] = hasAlpha_ ? pixel : pixel | kAlphaMask;
}

void TSurface::Clear() {
  if (pixels_) std::memset(pixels_, 0, size_t(width_) * size_t(height_) * 4);
}

bool TSurface::GetStatistics(IParamCollection* params, uint8_t threshold) {
  if (!params) return false;
  int64_t pixels = int64_t(width_) * height_;
  int64_t opaque = 0;
  for (int64_t i = 0; i < pixels; ++i) opaque += (pixels_[i] >> 24) > threshold ? 1 : 0;
  params->SetValue("PixelsCount", Variant(int(pixels)));
  params->SetValue("TransparentCount", Variant(int(pixels - opaque)));
  params->SetValue("OpaqueCount", Variant(int(opaque)));
  return true;
}

// ---- Surface collection ----

void TSurfaceCollection::AddSurface(const Ref<ISurface>& surface, const std::string& name) {
  if (surface) Items().Add(surface, name);
}

Ref<ISurface> TSurfaceCollection::FindSurface(const Variant& address) {
  return Supports<ISurface>(Items().GetItem(address));
}

// ---- Clip rectangle and region ----

void TSurface::SetClipRect(bool enabled, const TRect& rect) {
  clipEnabled_ = enabled;
  clipRect_ = rect;
  regionActive_ = false;
}

int32_t TSurface::AddRegionRect(const TRect& rect) {
  region_.AddRect(rect);
  if (region_.Count() > 0) clipEnabled_ = regionActive_ = true;
  return region_.Count();
}

void TSurface::ClearRegion() {
  region_.Clear();
  clipEnabled_ = regionActive_ = false;
}

namespace {

struct TRect64 {
  int64_t Left, Top, Right, Bottom;
};

TRect64 Widen(const TRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}
TRect Narrow(const TRect64& r) {
  return {int32_t(r.Left), int32_t(r.Top), int32_t(r.Right), int32_t(r.Bottom)};
}

bool Meets(const TRect64& r, int64_t width, int64_t height) {
  return r.Left < r.Right && r.Top < r.Bottom && r.Right > 0 && r.Bottom > 0 && r.Left < width &&
         r.Top < height;
}

}  // namespace

bool TSurface::ClipRects(TRect& dst, TClipSource* sources, int32_t count) const {
  // In 64 bits: rectangles from data may sit anywhere in the 32-bit range.
  TRect64 d = Widen(dst);
  TRect64 s[2];
  if (count < 1 || count > 2 || !Meets(d, width_, height_)) return false;
  for (int32_t i = 0; i < count; ++i) {
    s[i] = Widen(sources[i].Rect);
    if (!Meets(s[i], sources[i].Width, sources[i].Height)) return false;
  }
  if (clipEnabled_) {
    int64_t cutLeft = std::max<int64_t>(0, int64_t(clipRect_.Left) - d.Left);
    int64_t cutTop = std::max<int64_t>(0, int64_t(clipRect_.Top) - d.Top);
    d.Left += cutLeft;
    d.Top += cutTop;
    for (int32_t i = 0; i < count; ++i) {
      s[i].Left += cutLeft;
      s[i].Top += cutTop;
    }
    d.Right = std::min<int64_t>(d.Right, clipRect_.Right);
    d.Bottom = std::min<int64_t>(d.Bottom, clipRect_.Bottom);
  }
  int64_t w = d.Right - d.Left, h = d.Bottom - d.Top;
  for (int32_t i = 0; i < count; ++i) {
    w = std::min(w, s[i].Right - s[i].Left);
    h = std::min(h, s[i].Bottom - s[i].Top);
  }
  if (w <= 0 || h <= 0) return false;
  // Every rectangle loses on each side what the one cut most there loses.
  int64_t left = std::max<int64_t>(0, -d.Left), top = std::max<int64_t>(0, -d.Top);
  int64_t right = std::max<int64_t>(0, d.Left + w - width_);
  int64_t bottom = std::max<int64_t>(0, d.Top + h - height_);
  for (int32_t i = 0; i < count; ++i) {
    left = std::max(left, -s[i].Left);
    top = std::max(top, -s[i].Top);
    right = std::max(right, s[i].Left + w - sources[i].Width);
    bottom = std::max(bottom, s[i].Top + h - sources[i].Height);
  }
  w -= left + right;
  h -= top + bottom;
  if (w <= 0 || h <= 0) return false;
  auto place = [&](TRect64& r) {
    r.Left += left;
    r.Top += top;
    r.Right = r.Left + w;
    r.Bottom = r.Top + h;
  };
  place(d);
  dst = Narrow(d);
  for (int32_t i = 0; i < count; ++i) {
    place(s[i]);
    sources[i].Rect = Narrow(s[i]);
  }
  return true;
}

// ---- Rectangle operations ----

bool TSurface::Draw(ISurface* source, const TRect& srcRect, uint8_t mode, uint8_t alpha,
                    const TRect& dstRect) {
  if (!source || !pixels_) return false;
  if (!(clipEnabled_ && regionActive_)) return DrawOnce(source, srcRect, mode, alpha, dstRect);
  bool drew = false;
  for (int32_t i = 0; i < region_.Count(); ++i) {
    TRect part;
    if (!IntersectRects(region_.Rect(i), dstRect, part)) continue;
    clipRect_ = part;
    drew = DrawOnce(source, srcRect, mode, alpha, dstRect) || drew;
  }
  return drew;
}

bool TSurface::DrawOnce(ISurface* source, TRect srcRect, uint8_t mode, uint8_t alpha,
                        TRect dstRect) {
  TClipSource from{srcRect, source->GetWidth(), source->GetHeight()};
  if (!ClipRects(dstRect, &from, 1)) return false;
  if (alpha == 0) return true;
  const TRectKernels& k = SurfaceKernels().Rects;
  TBlendRectKernel kernel = nullptr;
  if (mode == bmBltFast) {
    kernel = k.Copy;
  } else if (mode == bmNormal) {
    if (source->GetHasAlpha())
      kernel = alpha == 255 ? k.AlphaBlend : k.ScaledAlphaBlend;
    else
      kernel = alpha == 255 ? k.Copy : k.GlobalAlphaBlend;
  } else if (mode <= bmMaxOpaque) {
    kernel = k.BlendModes[mode];
  } else {
    return false;
  }
  TRowWalk walk;
  if (!Walk(source, from.Rect, dstRect, walk)) return false;
  kernel(walk.Dst, walk.DstStride, walk.Src, walk.SrcStride, walk.Count, walk.Rows, alpha,
         hasAlpha_);
  return true;
}

bool TSurface::Walk(ISurface* source, const TRect& s, const TRect& d, TRowWalk& walk) {
  const int32_t w = d.Width(), h = d.Height();
  const uint32_t* first = source->GetScanLine(s.Top);
  if (!first) return false;
  // Rows of a surface lie a fixed distance apart.
  walk = TRowWalk{rows_[size_t(d.Top)] + d.Left,
                  width_,
                  first + s.Left,
                  h > 1 ? source->GetScanLine(s.Top + 1) - first : 0,
                  w,
                  h};
  TRect shared;
  if (source != static_cast<ISurface*>(this) || !IntersectRects(s, d, shared)) return true;
  // A surface drawn onto itself where the two rectangles meet is drawn from a copy, as if
  // the source were left as it was; so the kernels never see the two sides overlap.
  selfCopy_.resize(size_t(w) * size_t(h));
  for (int32_t y = 0; y < h; ++y)
    std::memcpy(selfCopy_.data() + size_t(y) * size_t(w), walk.Src + y * walk.SrcStride,
                size_t(w) * 4);
  walk.Src = selfCopy_.data();
  walk.SrcStride = w;
  return true;
}

bool TSurface::DrawColored(uint32_t color, ISurface* source, uint8_t mode, uint8_t alpha,
                           const TRect& dstRect, const TRect& srcRect) {
  if (!source || !pixels_) return false;
  if (!(clipEnabled_ && regionActive_))
    return DrawColoredOnce(color, source, mode, alpha, dstRect, srcRect);
  bool drew = false;
  for (int32_t i = 0; i < region_.Count(); ++i) {
    TRect part;
    if (!IntersectRects(region_.Rect(i), dstRect, part)) continue;
    clipRect_ = part;
    drew = DrawColoredOnce(color, source, mode, alpha, dstRect, srcRect) || drew;
  }
  return drew;
}

bool TSurface::DrawColoredOnce(uint32_t color, ISurface* source, uint8_t mode, uint8_t alpha,
                               TRect dstRect, TRect srcRect) {
  TClipSource from{srcRect, source->GetWidth(), source->GetHeight()};
  if (!ClipRects(dstRect, &from, 1)) return false;
  if (alpha == 0) return true;
  const TRectKernels& k = SurfaceKernels().Rects;
  TColorRectKernel kernel = nullptr;
  uint32_t weight = alpha;
  if (mode == bmNormal) {
    weight = alpha * (color >> 24) / 255;
    if (!source->GetHasAlpha())
      kernel = k.ColorFill;
    else
      kernel = weight == 255 ? k.ColorThroughAlpha : k.ScaledColorThroughAlpha;
  } else if (mode <= bmMaxOpaque) {
    kernel = k.ColorModes[mode];
  } else {
    return false;
  }
  TRowWalk walk;
  if (!Walk(source, from.Rect, dstRect, walk)) return false;
  kernel(walk.Dst, walk.DstStride, walk.Src, walk.SrcStride, walk.Count, walk.Rows, color, weight,
         hasAlpha_);
  return true;
}

bool TSurface::DrawMasked(ISurface* source, const TRect& srcRect, const TRect& dstRect,
                          const TRect& maskRect, ISurface* mask) {
  if (!source || !mask || !pixels_) return false;
  // The mask is clipped like the source: it is never read beyond its own size.
  TClipSource from[2] = {{srcRect, source->GetWidth(), source->GetHeight()},
                         {maskRect, mask->GetWidth(), mask->GetHeight()}};
  TRect d = dstRect;
  if (!ClipRects(d, from, 2)) return false;
  const uint32_t forced = hasAlpha_ ? 0 : kAlphaMask;
  const int32_t w = d.Width(), h = d.Height();
  for (int32_t y = 0; y < h; ++y) {
    const uint32_t* srcRow = source->GetScanLine(from[0].Rect.Top + y);
    const uint32_t* maskRow = mask->GetScanLine(from[1].Rect.Top + y);
    if (!srcRow || !maskRow) return false;
    srcRow += from[0].Rect.Left;
    maskRow += from[1].Rect.Left;
    uint32_t* dstRow = rows_[size_t(d.Top + y)] + d.Left;
    for (int32_t x = 0; x < w; ++x)
      if (maskRow[x] >> 24) dstRow[x] = srcRow[x] | forced;
  }
  return true;
}
