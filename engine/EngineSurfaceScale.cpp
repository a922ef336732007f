// Drawing that maps destination pixels back into the source: sub-pixel placement, scaling
// with mirroring, and rotation. Positions are 16.16 fixed point in 64 bits, clamped so that
// no input (huge offsets, tiny scales) can overflow; every sample is checked against the
// source once per row span, and the spans whose samples are all inside go to the kernels.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "engine/EngineSurface.h"
#include "engine/EngineSurfaceKernels.h"
#include "foundation/CheckedMath.h"

namespace {

constexpr int64_t kMaxStep = int64_t(1) << 36;
constexpr int64_t kMaxOrigin = int64_t(1) << 52;
// A position this far lies off every surface, and adding a size to it cannot overflow.
constexpr double kFarAway = double(1 << 30);

int64_t Fixed(double value, int64_t limit) {
  return std::clamp<int64_t>(RoundHalfEven64(value), -limit, limit);
}

int32_t Whole(double value) {
  return int32_t(std::clamp(value, -kFarAway, kFarAway));
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) {
  return -FloorDiv(-a, b);
}

// Narrows [first, last) to the x for which lo <= f0 + x * df < hi. Such x form one run
// because the function is linear.
void NarrowRun(int64_t f0, int64_t df, int64_t lo, int64_t hi, int64_t& first, int64_t& last) {
  int64_t from = first, to = last;
  if (df == 0) {
    if (f0 < lo || f0 >= hi) to = from;
  } else if (df > 0) {
    from = CeilDiv(lo - f0, df);
    to = CeilDiv(hi - f0, df);
  } else {
    from = FloorDiv(f0 - hi, -df) + 1;
    to = FloorDiv(f0 - lo, -df) + 1;
  }
  first = std::max(first, from);
  last = std::min(last, to);
  if (last < first) last = first;
}

bool Finite(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

bool TSurface::TargetBox(TRect& box) const {
  TRect whole{0, 0, width_, height_};
  if (!IntersectRects(box, whole, box)) return false;
  return !clipEnabled_ || IntersectRects(box, clipRect_, box);
}

uint32_t TSurface::Outside(uint32_t d) const {
  return hasAlpha_ ? d & kColourMask : d | kAlphaMask;
}

uint32_t TSurface::EdgePixel(const uint32_t* pixels, int32_t width, int32_t height, int64_t u,
                             int64_t v, uint32_t d, bool smooth, TEdgeRule rule) const {
  const uint32_t forced = hasAlpha_ ? 0 : kAlphaMask;
  const uint32_t outside = Outside(d);
  const int64_t x = u >> 16, y = v >> 16;
  const bool inside = x >= 0 && x < width && y >= 0 && y < height;
  if (!smooth) return inside ? pixels[y * width + x] | forced : outside;
  if (!inside && rule == TEdgeRule::Destination) return outside;
  const uint32_t missing = rule == TEdgeRule::Destination ? d : 0;
  auto at = [&](int64_t px, int64_t py) {
    bool in = px >= 0 && px < width && py >= 0 && py < height;
    return in ? pixels[py * width + px] : missing;
  };
  return BilinearPixel(at(x, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1),
                       uint32_t(u >> 8) & 0xFF, uint32_t(v >> 8) & 0xFF) |
         forced;
}

void TSurface::RenderAffine(ISurface* source, const TAffineMap& map, const TRect& box, bool smooth,
                            TEdgeRule rule) {
  const uint32_t* pixels = source->GetScanLine(0);
  const int32_t sw = source->GetWidth(), sh = source->GetHeight();
  if (!pixels || sw <= 0 || sh <= 0) return;
  // Samples whose neighbours (for smoothing) or own pixel are all inside.
  const int64_t limitU = int64_t(smooth ? sw - 1 : sw) << 16;
  const int64_t limitV = int64_t(smooth ? sh - 1 : sh) << 16;
  const int64_t sourceU = int64_t(sw) << 16, sourceV = int64_t(sh) << 16;
  if (spans_.size() < size_t(box.Height())) spans_.resize(size_t(box.Height()));
  for (int32_t y = box.Top; y < box.Bottom; ++y) {
    uint32_t* row = rows_[size_t(y)];
    const int64_t u0 = map.U0 + y * map.DuDy;
    const int64_t v0 = map.V0 + y * map.DvDy;
    // The run of pixels whose own sample is inside the source, and within it the run whose
    // neighbours are inside too; the rest of the row is off the source or at its edges.
    int64_t near = box.Left, nearEnd = box.Right;
    if (rule == TEdgeRule::Destination) {
      NarrowRun(u0, map.DuDx, 0, sourceU, near, nearEnd);
      NarrowRun(v0, map.DvDx, 0, sourceV, near, nearEnd);
      if (near == nearEnd) near = nearEnd = box.Right;
      for (int64_t x = box.Left; x < near; ++x) row[x] = Outside(row[x]);
      for (int64_t x = nearEnd; x < box.Right; ++x) row[x] = Outside(row[x]);
    }
    int64_t first = near, last = nearEnd;
    NarrowRun(u0, map.DuDx, 0, limitU, first, last);
    NarrowRun(v0, map.DvDx, 0, limitV, first, last);
    if (first == last) first = last = nearEnd;
    for (int64_t x = near; x < first; ++x)
      row[x] =
          EdgePixel(pixels, sw, sh, u0 + x * map.DuDx, v0 + x * map.DvDx, row[x], smooth, rule);
    for (int64_t x = last; x < nearEnd; ++x)
      row[x] =
          EdgePixel(pixels, sw, sh, u0 + x * map.DuDx, v0 + x * map.DvDx, row[x], smooth, rule);
    spans_[size_t(y - box.Top)] = TSpan{int32_t(first), int32_t(last)};
  }
  RenderSpans(pixels, sw, map, box, smooth);
}

void TSurface::RenderSpans(const uint32_t* pixels, int32_t sw, const TAffineMap& map,
                           const TRect& box, bool smooth) {
  // A row of a turned picture crosses many source rows, each in memory pages of its own, so
  // whole rows would keep little in the caches and address translation buffers from one
  // row to the next. The box is rendered in tiles instead: bands of 64 rows, each in strips
  // of columns that cross about 32 source rows (at least 64 columns, so the calls stay
  // few). What one row of a tile brings in is still there for the next.
  constexpr int32_t kBand = 64;
  const int64_t slope = std::max<int64_t>(std::abs(map.DvDx), 1);
  const int32_t strip =
      int32_t(std::clamp<int64_t>((int64_t(32) << 16) / slope, 64, std::max(box.Width(), 64)));
  const TSurfaceKernels& k = SurfaceKernels();
  const uint32_t forced = hasAlpha_ ? 0 : kAlphaMask;
  for (int32_t top = box.Top; top < box.Bottom; top += kBand) {
    const int32_t bottom = box.Bottom - top > kBand ? top + kBand : box.Bottom;
    for (int32_t left = box.Left; left < box.Right; left += strip) {
      const int32_t right = box.Right - left > strip ? left + strip : box.Right;
      for (int32_t y = top; y < bottom; ++y) {
        const TSpan& span = spans_[size_t(y - box.Top)];
        const int32_t first = std::max(span.First, left), last = std::min(span.Last, right);
        if (first >= last) continue;
        uint32_t* row = rows_[size_t(y)];
        const int32_t count = last - first;
        // Every sample of the piece is inside the source, so its position fits 32 bits.
        const int64_t u = map.U0 + y * map.DuDy + first * map.DuDx;
        const int64_t v = map.V0 + y * map.DvDy + first * map.DvDx;
        if (smooth) {
          // Inside a run of two or more samples the steps are below the source's size.
          k.BilinearSpan(row + first, count, pixels, sw, int32_t(u), int32_t(v),
                         count > 1 ? int32_t(map.DuDx) : 0, count > 1 ? int32_t(map.DvDx) : 0,
                         hasAlpha_);
          continue;
        }
        for (int32_t i = 0; i < count; ++i) {
          int64_t pu = u + i * map.DuDx, pv = v + i * map.DvDx;
          row[first + i] = pixels[(pv >> 16) * sw + (pu >> 16)] | forced;
        }
      }
    }
  }
}

bool TSurface::PlainCopy(ISurface* source, int32_t x, int32_t y) {
  const int32_t sw = source->GetWidth(), sh = source->GetHeight();
  TClipSource from{{0, 0, sw, sh}, sw, sh};
  TRect dst{x, y, x + sw, y + sh};
  if (!ClipRects(dst, &from, 1)) return false;
  TRowWalk walk;
  if (!Walk(source, from.Rect, dst, walk)) return false;
  SurfaceKernels().Rects.Copy(walk.Dst, walk.DstStride, walk.Src, walk.SrcStride, walk.Count,
                              walk.Rows, 255, hasAlpha_);
  return true;
}

bool TSurface::DrawAt(ISurface* source, double x, double y) {
  if (!source || !pixels_ || !source->GetScanLine(0) || !Finite({x, y})) return false;
  const int32_t sw = source->GetWidth(), sh = source->GetHeight();
  if (x == std::trunc(x) && y == std::trunc(y)) {
    return PlainCopy(source, Whole(x), Whole(y));
  }
  x = std::clamp(x, -kFarAway, kFarAway);
  y = std::clamp(y, -kFarAway, kFarAway);
  TRect box;
  if (x >= 1 || y >= 1) {
    // As drawn at the fractional parts into a zeroed surface 3 pixels larger that is then
    // copied whole to the whole parts: the margin becomes pixels 0.
    int32_t left = Whole(std::trunc(x)), top = Whole(std::trunc(y));
    box = {left, top, left + sw + 3, top + sh + 3};
  } else {
    // Every pixel that has one of its four neighbours inside the source.
    box = {Whole(std::floor(x)), Whole(std::floor(y)), Whole(std::ceil(x + sw)),
           Whole(std::ceil(y + sh))};
  }
  if (!TargetBox(box)) return false;
  TAffineMap map;
  map.DuDx = map.DvDy = 65536;
  map.U0 = -Fixed(x * 65536.0, kMaxOrigin);
  map.V0 = -Fixed(y * 65536.0, kMaxOrigin);
  RenderAffine(source, map, box, true, TEdgeRule::Transparent);
  return true;
}

bool TSurface::DrawScaled(ISurface* source, bool smooth, double scaleX, double scaleY,
                          double offsetX, double offsetY) {
  if (!source || !pixels_ || !source->GetScanLine(0)) return false;
  if (!Finite({scaleX, scaleY, offsetX, offsetY}) || scaleX == 0 || scaleY == 0) return false;
  smooth =
      smooth && (std::fabs(scaleX) != 1 || std::fabs(scaleY) != 1 || offsetX != 0 || offsetY != 0);
  const int32_t sw = source->GetWidth(), sh = source->GetHeight();
  const int64_t stepX = std::clamp(TruncSat64(65536.0 / scaleX), -kMaxStep, kMaxStep);
  const int64_t stepY = std::clamp(TruncSat64(65536.0 / scaleY), -kMaxStep, kMaxStep);
  // A negative step starts at the source's far edge: the picture is mirrored.
  const int64_t startX =
      Fixed(offsetX * 65536.0, kMaxOrigin) + (stepX < 0 ? (int64_t(sw) << 16) - 1 : 0);
  const int64_t startY =
      Fixed(offsetY * 65536.0, kMaxOrigin) + (stepY < 0 ? (int64_t(sh) << 16) - 1 : 0);
  TRect box{0, 0, width_, height_};
  if (!TargetBox(box)) return false;

  // The run of columns inside the source, with their source columns and weights.
  int64_t first = box.Left, last = box.Right;
  NarrowRun(startX, stepX, 0, int64_t(sw) << 16, first, last);
  const int32_t count = int32_t(last - first);
  if (columns_.size() < size_t(count)) {
    columns_.resize(size_t(count));
    weightsX_.resize(size_t(count));
  }
  for (int32_t i = 0; i < count; ++i) {
    int64_t u = startX + (first + i) * stepX;
    uint32_t wx = uint32_t(u >> 8) & 0xFF;
    columns_[size_t(i)] = int32_t(u >> 16);
    weightsX_[size_t(i)] = (wx << 16) | (256 - wx);
  }
  TScaleRow scale;
  scale.Columns = columns_.data();
  scale.WeightsX = weightsX_.data();
  scale.SourceWidth = sw;
  if (count > 0) {
    scale.FirstColumn = std::min(columns_[0], columns_[size_t(count - 1)]);
    scale.LastColumn = std::max(columns_[0], columns_[size_t(count - 1)]);
    size_t lanes = size_t(scale.LastColumn - scale.FirstColumn + 2) * 4 + 16;
    if (mixed_.size() < lanes) mixed_.resize(lanes);
    scale.Scratch = mixed_.data();
  }

  const TSurfaceKernels& k = SurfaceKernels();
  const uint32_t forced = hasAlpha_ ? 0 : kAlphaMask;
  for (int32_t y = box.Top; y < box.Bottom; ++y) {
    uint32_t* row = rows_[size_t(y)];
    const int64_t v = startY + y * stepY;
    const bool rowInside = count > 0 && v >= 0 && v < (int64_t(sh) << 16);
    const int64_t runFirst = rowInside ? first : box.Right;
    const int64_t runLast = rowInside ? last : box.Right;
    for (int64_t x = box.Left; x < runFirst; ++x) row[x] = Outside(row[x]);
    for (int64_t x = runLast; x < box.Right; ++x) row[x] = Outside(row[x]);
    if (!rowInside) continue;
    const int32_t sy = int32_t(v >> 16);
    const uint32_t* top = source->GetScanLine(sy);
    if (!smooth) {
      for (int32_t i = 0; i < count; ++i) row[first + i] = top[columns_[size_t(i)]] | forced;
      continue;
    }
    scale.Top = top;
    scale.Bottom = source->GetScanLine(sy + 1 < sh ? sy + 1 : sy);
    scale.WeightY = uint32_t(v >> 8) & 0xFF;
    k.BilinearScaleRow(row + first, count, scale, hasAlpha_);
  }
  return true;
}

bool TSurface::DrawTransformed(ISurface* source, TPoint centre, double angle, bool smooth,
                               double scaleX, double scaleY, double offsetX, double offsetY) {
  if (!source || !pixels_ || !source->GetScanLine(0)) return false;
  if (!Finite({angle, scaleX, scaleY, offsetX, offsetY}) || scaleX == 0 || scaleY == 0)
    return false;
  const double radians = angle * std::numbers::pi / 180;
  const double c = std::cos(radians), s = std::sin(radians);
  const double cx = centre.X, cy = centre.Y;
  const int32_t sw = source->GetWidth(), sh = source->GetHeight();
  TAffineMap map;
  TRect box{0, 0, width_, height_};
  const bool rotating = scaleX == scaleY && scaleX > 0;
  if (rotating) {
    const double step = 65536.0 / scaleX;
    map.DuDx = Fixed(c * step, kMaxStep);
    map.DuDy = Fixed(-s * step, kMaxStep);
    map.DvDx = Fixed(s * step, kMaxStep);
    map.DvDy = Fixed(c * step, kMaxStep);
    const bool rightAngle = angle == 0 || angle == 90 || angle == 180 || angle == 270;
    smooth = smooth && (scaleX != 1 || offsetX != 0 || offsetY != 0 || !rightAngle);
  } else {
    const double stepX = double(std::clamp(TruncSat64(65536.0 / scaleX), -kMaxStep, kMaxStep));
    const double stepY = double(std::clamp(TruncSat64(65536.0 / scaleY), -kMaxStep, kMaxStep));
    map.DuDx = Fixed(c * stepX, kMaxStep);
    map.DuDy = Fixed(-s * stepX, kMaxStep);
    map.DvDx = Fixed(s * stepY, kMaxStep);
    map.DvDy = Fixed(c * stepY, kMaxStep);
    smooth = smooth &&
             (std::fabs(scaleX) != 1 || std::fabs(scaleY) != 1 || offsetX != 0 || offsetY != 0);
  }
  // The centre point shows the source position (offset + centre).
  map.U0 = Fixed(double(Fixed((offsetX + cx) * 65536.0, kMaxOrigin)) - double(map.DuDx) * cx -
                     double(map.DuDy) * cy,
                 kMaxOrigin);
  map.V0 = Fixed(double(Fixed((offsetY + cy) * 65536.0, kMaxOrigin)) - double(map.DvDx) * cx -
                     double(map.DvDy) * cy,
                 kMaxOrigin);

  const double det = double(map.DuDx) * double(map.DvDy) - double(map.DuDy) * double(map.DvDx);
  if (rotating && det != 0) {
    // Only the bounding box of the source's corners, widened by 2 pixels, is rendered.
    double minX = kFarAway, minY = kFarAway, maxX = -kFarAway, maxY = -kFarAway;
    for (int corner = 0; corner < 4; ++corner) {
      double a = double((corner & 1) ? int64_t(sw) << 16 : 0) - double(map.U0);
      double b = double((corner & 2) ? int64_t(sh) << 16 : 0) - double(map.V0);
      double x = (double(map.DvDy) * a - double(map.DuDy) * b) / det;
      double y = (double(map.DuDx) * b - double(map.DvDx) * a) / det;
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
    TRect corners{Whole(std::floor(minX) - 2), Whole(std::floor(minY) - 2),
                  Whole(std::ceil(maxX) + 2), Whole(std::ceil(maxY) + 2)};
    if (!IntersectRects(box, corners, box)) return false;
  }
  if (!TargetBox(box)) return false;
  RenderAffine(source, map, box, smooth, TEdgeRule::Destination);
  return true;
}
