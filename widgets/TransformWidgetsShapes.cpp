// Transform widgets that outline, frame, cut or mask their child: contour, scroll area,
// cut sector and mask widgets.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "widgets/TransformWidgets.h"

namespace {

int32_t Sum(int64_t a, int64_t b) {
  return SaturateInt32(a + b);
}

uint8_t Alpha(uint32_t pixel) {
  return uint8_t(pixel >> 24);
}

// The rows of a surface's part in use, read and written without a call per pixel.
class TRows {
 public:
  TRows(ISurface* surface, int32_t width, int32_t height)
      : surface_(surface), width_(width), height_(height) {}
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  uint32_t* Row(int32_t y) const { return surface_->PixelAddress(0, y); }
  // 0 outside.
  uint32_t At(int32_t x, int32_t y) const { return Inside(x, y) ? Row(y)[x] : 0; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  ISurface* surface_;
  int32_t width_, height_;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// TContourWidget

const TPropertyTable& TContourWidget::Properties() {
  using C = TContourWidget;
  static const TPropertyTable table(
      TTransformWidget::Properties(),
      {
          Prop("alphalimit", &C::alphaLimit_, &C::SetAlphaLimit).Int().Always(),
          Prop("contourcolor", &C::color_, &C::SetColor).Hex().Always(),
          Prop("contourthickness", &C::thickness_, &C::SetThickness).Int(1).Always(),
          Prop("showcontour", &C::showContour_, &C::SetShowContour).Bool(true).Always(),
          Prop("smooth", &C::smooth_).Bool().NotSaved(),
          Attr("blendingmode", &C::blendingMode_).Enum(kBlendingModes, bmNormal).Always(),
      });
  return table;
}

void TContourWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TTransformWidget::LoadFromXml(node);
  // The file's values went straight into the fields.
  int32_t read = thickness_;
  thickness_ = std::clamp(read, 0, kMaxThickness);
  if (read != thickness_)
    Warn(StorageDataFile(node), "contour_widget \"" + GetName() + "\": contourthickness " +
                                    std::to_string(read) + " read as " +
                                    std::to_string(thickness_));
  alphaLimit_ = std::clamp(alphaLimit_, 0, 255);
}

void TContourWidget::Repaint() {
  needsRepaint_ = true;
  SetNeedsRedraw(true);
}

void TContourWidget::SetThickness(int32_t value) {
  // A negative thickness is none; a huge one is drawn at the largest.
  value = std::clamp(value, 0, kMaxThickness);
  if (value == thickness_) return;
  thickness_ = value;
  Repaint();
  changed_ = true;  // the widget grows or shrinks with it
}

void TContourWidget::SetShowContour(bool value) {
  if (value == showContour_) return;
  showContour_ = value;
  Repaint();
}

void TContourWidget::SetAlphaLimit(int32_t value) {
  value = std::clamp(value, 0, 255);
  if (value == alphaLimit_) return;
  alphaLimit_ = value;
  Repaint();
}

void TContourWidget::SetColor(uint32_t value) {
  if (value == color_) return;
  color_ = value;
  Repaint();
}

double TContourWidget::GetLeft() {
  if (!child_) return TTransformWidget::GetLeft();
  return TTransformWidget::GetLeft() - ChildOffset().X - thickness_;
}

double TContourWidget::GetTop() {
  if (!child_) return TTransformWidget::GetTop();
  return TTransformWidget::GetTop() - ChildOffset().Y - thickness_;
}

int32_t TContourWidget::GetWidth() {
  return child_ ? Sum(child_->GetWidth(), int64_t(thickness_) * 2) : 0;
}

int32_t TContourWidget::GetHeight() {
  return child_ ? Sum(child_->GetHeight(), int64_t(thickness_) * 2) : 0;
}

TRect TContourWidget::GetRect() {
  int32_t left = RoundHalfEven(anchorLeft_), top = RoundHalfEven(anchorTop_);
  if (!child_) return TRect{left, top, left, top};
  TRect r = child_->GetRect();
  TPoint offset = ChildOffset();
  left = Sum(int64_t(left) - offset.X, -int64_t(thickness_));
  top = Sum(int64_t(top) - offset.Y, -int64_t(thickness_));
  return TRect{left, top, Sum(int64_t(left) + r.Width(), int64_t(thickness_) * 2),
               Sum(int64_t(top) + r.Height(), int64_t(thickness_) * 2)};
}

void TContourWidget::AdjustDrawOrigin(int32_t& x, int32_t& y) {
  TPoint offset = ChildOffset();
  x = Sum(x, -(int64_t(offset.X) + thickness_));
  y = Sum(y, -(int64_t(offset.Y) + thickness_));
}

void TContourWidget::ReleaseSurfaces() {
  TTransformWidget::ReleaseSurfaces();
  scratch_.Release();
}

void TContourWidget::RebuildSurface() {
  if (!child_) return;
  TPoint offset = ChildOffset();
  int32_t x = Sum(offset.X, thickness_), y = Sum(offset.Y, thickness_);
  if (!showContour_) {
    if (child_->IsVisible()) child_->Draw(surface_.Get(), x, y);
    return;
  }
  // The outline is found around the child's pixels, drawn apart so the outline's pixels do
  // not count as the child's.
  if (!scratch_.Fit(Engine(), surface_.Width(), surface_.Height())) return;
  scratch_.Clear();
  child_->Draw(scratch_.Get(), x, y);
  if (child_->IsVisible())
    surface_.Get()->Draw(scratch_.Get(), scratch_.Rect(), bmNormal, 255, scratch_.Rect());
  if (smooth_)
    SmoothContour(surface_.Get());
  else
    HardContour(surface_.Get());
}

void TContourWidget::HardContour(ISurface* target) {
  const TRows source(scratch_.Get(), scratch_.Width(), scratch_.Height());
  const TRows out(target, scratch_.Width(), scratch_.Height());
  const int32_t limit = alphaLimit_, t = thickness_;
  const uint32_t rgb = color_ & 0x00FFFFFFu;
  const double colorAlpha = Alpha(color_);
  auto opaque = [&](int32_t x, int32_t y) { return Alpha(source.At(x, y)) > limit; };
  auto paint = [&](int32_t x, int32_t y, double weight) {
    if (!source.Inside(x, y) || Alpha(source.Row(y)[x]) > limit) return;
    uint32_t& pixel = out.Row(y)[x];
    int32_t alpha = std::max<int32_t>(RoundHalfEven(colorAlpha * weight), Alpha(pixel));
    pixel = rgb | uint32_t(alpha) << 24;
  };
  const double t2 = double(t) * t;
  auto weightAt = [&](int64_t dx, int64_t dy) {
    return std::min(t2 / double(dx * dx + dy * dy), 1.0);
  };
  for (int32_t y = 0; y < source.Height(); ++y) {
    for (int32_t x = 0; x < source.Width(); ++x) {
      if (Alpha(source.Row(y)[x]) <= limit) continue;
      if (t == 1) {
        bool left = opaque(x - 1, y), right = opaque(x + 1, y);
        bool up = opaque(x, y - 1), down = opaque(x, y + 1);
        paint(x - 1, y, 1);
        paint(x + 1, y, 1);
        paint(x, y - 1, 1);
        paint(x, y + 1, 1);
        if (!left && !up) paint(x - 1, y - 1, 0.5);
        if (!right && !up) paint(x + 1, y - 1, 0.5);
        if (!left && !down) paint(x - 1, y + 1, 0.5);
        if (!right && !down) paint(x + 1, y + 1, 0.5);
        continue;
      }
      if (t < 1) continue;
      // How far each direction reaches before an opaque pixel. Pixels past the edge of the
      // picture take no paint, so no reach goes beyond it.
      auto reach = [&](int32_t dx, int32_t dy, int32_t room) {
        int32_t k = 1;
        for (; k <= std::min(t, room); ++k) {
          if (opaque(x + k * dx, y + k * dy)) break;
          paint(x + k * dx, y + k * dy, weightAt(k, 0));
        }
        return k - 1;
      };
      int32_t left = reach(-1, 0, x), right = reach(1, 0, source.Width() - 1 - x);
      int32_t up = reach(0, -1, y), down = reach(0, 1, source.Height() - 1 - y);
      auto quadrant = [&](int32_t across, int32_t sx, int32_t along, int32_t sy) {
        if (across < 1 || along < 1) return;
        for (int32_t j = 1; j <= along; ++j)
          for (int32_t i = 1; i <= across; ++i) paint(x + i * sx, y + j * sy, weightAt(i, j));
      };
      quadrant(left, -1, up, -1);
      quadrant(right, 1, up, -1);
      quadrant(left, -1, down, 1);
      quadrant(right, 1, down, 1);
    }
  }
}

void TContourWidget::BuildKernel() {
  if (kernelThickness_ == thickness_) return;
  kernel_.clear();
  const int32_t t = thickness_;
  for (int32_t dy = -t; dy <= t; ++dy)
    for (int32_t dx = -t; dx <= t; ++dx) {
      double d = std::sqrt(double(dx) * dx + double(dy) * dy);
      if (d > t) continue;
      double fade = std::pow((d - 0.25) / t, 8);
      kernel_.push_back({dx, dy, std::clamp(RoundHalfEven(255 - 255 * fade), 0, 255)});
    }
  kernelThickness_ = t;
}

void TContourWidget::SmoothContour(ISurface* target) {
  if (thickness_ == 0) return;
  BuildKernel();
  const TRows source(scratch_.Get(), scratch_.Width(), scratch_.Height());
  const TRows out(target, scratch_.Width(), scratch_.Height());
  const int32_t limit = alphaLimit_, c = std::min(2, thickness_);
  const uint32_t rgb = color_ & 0x00FFFFFFu;
  auto opaque = [&](int32_t x, int32_t y) { return Alpha(source.At(x, y)) > limit; };
  for (int32_t y = 0; y < source.Height(); ++y) {
    const uint32_t* row = source.Row(y);
    for (int32_t x = 0; x < source.Width(); ++x) {
      const int32_t a = Alpha(row[x]);
      if (a <= limit) continue;
      if (opaque(x + c, y) && opaque(x - c, y) && opaque(x, y + c) && opaque(x, y - c)) continue;
      for (const TKernelEntry& k : kernel_) {
        int32_t tx = x + k.dx, ty = y + k.dy;
        if (!source.Inside(tx, ty) || Alpha(source.Row(ty)[tx]) > limit) continue;
        int32_t value = std::min(RoundHalfEven(double(k.weight) * a / 100), 255);
        uint32_t& pixel = out.Row(ty)[tx];
        pixel = rgb | uint32_t(std::max<int32_t>(value, Alpha(pixel))) << 24;
      }
      if (a == 255) continue;
      // A translucent edge pixel takes on the outline's colour.
      const int32_t l = 255 - a;
      uint32_t& pixel = out.Row(y)[x];
      const uint32_t g = pixel;
      if (Alpha(g) == 0) {
        pixel = rgb | uint32_t(l) << 24;
        continue;
      }
      uint32_t mixed = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        int32_t gc = int32_t(g >> shift & 0xFF), kc = int32_t(color_ >> shift & 0xFF);
        mixed |= uint32_t((gc + ((l * (kc - gc)) >> 8)) & 0xFF) << shift;
      }
      uint32_t alpha = uint32_t((((Alpha(g) + 1) * (255 - l)) >> 8) + l) & 0xFF;
      pixel = mixed | alpha << 24;
    }
  }
}

// ---------------------------------------------------------------------------------------
// TScrollAreaWidget

const TPropertyTable& TScrollAreaWidget::Properties() {
  using S = TScrollAreaWidget;
  static const TPropertyTable table(
      TTransformWidget::Properties(),
      {
          Prop("width", &S::areaWidth_, &S::SetAreaWidth).Int().Coordinate().Always().WriteOnly(),
          Prop("height", &S::areaHeight_, &S::SetAreaHeight)
              .Int()
              .Coordinate()
              .Always()
              .WriteOnly(),
          Prop<S>(
              "shiftleft", [](S& s) { return s.shiftLeft_; },
              [](S& s, int32_t v) { s.SetShift(&S::shiftLeft_, v); })
              .Int(),
          Prop<S>(
              "shifttop", [](S& s) { return s.shiftTop_; },
              [](S& s, int32_t v) { s.SetShift(&S::shiftTop_, v); })
              .Int(),
      });
  return table;
}

void TScrollAreaWidget::SetAreaWidth(int32_t value) {
  if (value == areaWidth_) return;
  areaWidth_ = value;
  TransformChanged();
}

void TScrollAreaWidget::SetAreaHeight(int32_t value) {
  if (value == areaHeight_) return;
  areaHeight_ = value;
  TransformChanged();
}

void TScrollAreaWidget::SetShift(int32_t TScrollAreaWidget::*shift, int32_t value) {
  if (this->*shift == value) return;
  this->*shift = value;
  TransformChanged();
}

void TScrollAreaWidget::ToChildPoint(int32_t& x, int32_t& y) {
  x = Sum(x, shiftLeft_);
  y = Sum(y, shiftTop_);
}

void TScrollAreaWidget::RebuildSurface() {
  if (!child_) return;
  child_->Draw(surface_.Get(), Sum(RoundHalfEven(child_->GetAnchorLeft()), -int64_t(shiftLeft_)),
               Sum(RoundHalfEven(child_->GetAnchorTop()), -int64_t(shiftTop_)));
}

// ---------------------------------------------------------------------------------------
// TChildOffsetWidget

double TChildOffsetWidget::GetLeft() {
  return TTransformWidget::GetLeft() - (child_ ? ChildOffset().X : 0);
}

double TChildOffsetWidget::GetTop() {
  return TTransformWidget::GetTop() - (child_ ? ChildOffset().Y : 0);
}

void TChildOffsetWidget::AdjustDrawOrigin(int32_t& x, int32_t& y) {
  TPoint offset = ChildOffset();
  x = Sum(x, -int64_t(offset.X));
  y = Sum(y, -int64_t(offset.Y));
}

// ---------------------------------------------------------------------------------------
// TCutSectorWidget

const TPropertyTable& TCutSectorWidget::Properties() {
  using S = TCutSectorWidget;
  auto row = [](const char* name, double S::*field) {
    return Prop<S>(
               name, [field](S& s) { return s.*field; },
               [field](S& s, double v) { s.SetValue(field, v); })
        .Float();
  };
  static const TPropertyTable table(TTransformWidget::Properties(),
                                    {
                                        row("centerx", &S::centerX_),
                                        row("centery", &S::centerY_),
                                        row("startangle", &S::startAngle_),
                                        row("endangle", &S::endAngle_),
                                    });
  return table;
}

void TCutSectorWidget::SetValue(double TCutSectorWidget::*field, double value) {
  if (this->*field == value) return;
  this->*field = value;
  SetNeedsRedraw(true);
  needsRepaint_ = true;
}

void TCutSectorWidget::RebuildSurface() {
  if (!child_) return;
  TPoint offset = ChildOffset();
  child_->Draw(surface_.Get(), offset.X, offset.Y);
  EraseSector(surface_.Get(), surface_.Width(), surface_.Height(), centerX_, centerY_, startAngle_,
              endAngle_);
}

namespace {

// The angle of a pixel as the sector reads it: degrees, -180..180, rows growing downward.
double PixelAngle(double dx, double dy) {
  return std::atan2(dy, dx) * 180 / std::numbers::pi;
}

// The sector's membership test on an angle of PixelAngle.
bool AngleInSector(double a, double start, double end) {
  if (start >= 0) {
    if (a < 0) a += 360;
    return start <= a && a < end;
  }
  a += start <= a ? 360 : 720;
  return start + 360 <= a && a < end + 360;
}

}  // namespace

bool TCutSectorWidget::InSector(double col, double row, double centerX, double centerY,
                                double start, double end) {
  return AngleInSector(PixelAngle(col - centerX, row - centerY), start, end);
}

// Along one row the pixel's angle changes monotonically (or, on the centre's row, jumps
// once from 180 to 0 at the centre), so membership can change only where the angle passes
// one of the angles the test compares with: 0, the start and the end, each also less a
// turn. Each such passage is found from the ray's equation, and membership is worked out
// exactly, by the angle, at the three columns about it; between those columns it holds.
void TCutSectorWidget::EraseSector(ISurface* target, int32_t width, int32_t height, double centerX,
                                   double centerY, double start, double end) {
  if (!target || width <= 0 || height <= 0) return;
  const double critical[] = {0, start, end, start - 360, end - 360};
  constexpr int kMaxBreaks = 3 * 6 + 1;
  for (int32_t row = 0; row < height; ++row) {
    const double dy = row - centerY;
    double crossings[6];
    int count = 0;
    if (dy == 0) {
      crossings[count++] = centerX;  // 180 to the left of the centre, 0 from it on
    } else {
      for (double angle : critical) {
        // Angles of this row: (0, 180) below the centre, (-180, 0) above it.
        if (!(dy > 0 ? angle > 0 && angle < 180 : angle < 0 && angle > -180)) continue;
        double radians = angle * std::numbers::pi / 180;
        crossings[count++] = centerX + dy * std::cos(radians) / std::sin(radians);
      }
    }
    // Columns where membership may differ from the column before; sorted, unique.
    int32_t breaks[kMaxBreaks];
    int breakCount = 0;
    breaks[breakCount++] = 0;
    for (int i = 0; i < count; ++i) {
      if (!std::isfinite(crossings[i])) continue;
      double first = std::floor(std::clamp(crossings[i], -4.0, double(width) + 4));
      for (int k = 0; k < 3; ++k) {
        int32_t column = int32_t(first) + k;
        if (column > 0 && column < width) breaks[breakCount++] = column;
      }
    }
    std::sort(breaks, breaks + breakCount);
    breakCount = int(std::unique(breaks, breaks + breakCount) - breaks);
    uint32_t* pixels = target->GetScanLine(row);
    if (!pixels) continue;
    for (int i = 0; i < breakCount; ++i) {
      int32_t from = breaks[i], to = i + 1 < breakCount ? breaks[i + 1] : width;
      if (InSector(from, row, centerX, centerY, start, end))
        std::memset(pixels + from, 0, size_t(to - from) * 4);
    }
  }
}

// ---------------------------------------------------------------------------------------
// TMaskWidget

const TPropertyTable& TMaskWidget::Properties() {
  using M = TMaskWidget;
  static const TPropertyTable table(
      TTransformWidget::Properties(),
      {
          Prop("alphalimit", &M::alphaLimit_, &M::SetAlphaLimit),
          Prop<M>("fillMaskWithLevel", nullptr,
                  [](M& m, int32_t level) { m.FillMask(uint8_t(level & 0xFF)); }),
          Prop<M>("substractFromMask", nullptr,
                  [](M& m, const Variant& v) { m.SubtractShape(v, false); }),
          Prop<M>("substractFromMaskRect", nullptr,
                  [](M& m, const Variant& v) { m.SubtractShape(v, true); }),
      });
  return table;
}

void TMaskWidget::SetAlphaLimit(int32_t value) {
  if (value == alphaLimit_) return;
  alphaLimit_ = value;
  needsRepaint_ = true;
  SetNeedsRedraw(true);
}

void TMaskWidget::ReleaseSurfaces() {
  TTransformWidget::ReleaseSurfaces();
  mask_.Release();
  uniformLevel_ = -1;
}

bool TMaskWidget::EnsureMask(int32_t width, int32_t height) {
  if (mask_) return true;
  if (!mask_.FitExactly(Engine(), width, height)) return false;
  uniformLevel_ = -1;
  FillMask(255);
  return true;
}

void TMaskWidget::InvalidateSurface() {
  TTransformWidget::InvalidateSurface();
  if (child_) EnsureMask(ChildWidth(), ChildHeight());
}

void TMaskWidget::FillMask(uint8_t level) {
  // A level set before the first frame is kept: the mask is made for it.
  if (!mask_ && !(child_ && EnsureMask(ChildWidth(), ChildHeight()))) return;
  if (uniformLevel_ == level) return;
  const uint32_t pixel = 0x00FFFFFFu | uint32_t(level) << 24;
  for (int32_t y = 0; y < mask_.Height(); ++y) {
    uint32_t* row = mask_.Get()->GetScanLine(y);
    if (row) std::fill(row, row + mask_.Width(), pixel);
  }
  uniformLevel_ = level;
  // The new mask shows at once.
  needsRepaint_ = true;
  SetNeedsRedraw(true);
}

void TMaskWidget::SubtractShape(const Variant& value, bool wholeRectangle) {
  if (value.GetKind() != Variant::Kind::Interface) return;
  if (Ref<IWidget> shape = Supports<IWidget>(value.RawInterface()))
    SubtractFromMask(shape.get(), wholeRectangle);
}

void TMaskWidget::SubtractFromMask(IWidget* shape, bool wholeRectangle) {
  if (!shape) return;
  TRect r = GetRect();
  if (!EnsureMask(r.Width(), r.Height())) return;
  Ref<ISurface> image = shape->GetImage();
  if (!image) return;
  // Where the shape's picture lies in the mask: both left edges in screen coordinates.
  TPoint mine = ScreenToLocalPoint(TPoint{}), theirs = shape->ScreenToLocalPoint(TPoint{});
  int64_t dx = RoundHalfEven64((mine.X - GetLeft()) - (theirs.X - shape->GetLeft()));
  int64_t dy = RoundHalfEven64((mine.Y - GetTop()) - (theirs.Y - shape->GetTop()));
  const int64_t left = std::max<int64_t>(0, dx), top = std::max<int64_t>(0, dy);
  const int64_t right = std::min<int64_t>(mask_.Width(), image->GetWidth() + dx);
  const int64_t bottom = std::min<int64_t>(mask_.Height(), image->GetHeight() + dy);
  if (left >= right || top >= bottom) return;
  for (int64_t y = top; y < bottom; ++y) {
    uint32_t* row = mask_.Get()->GetScanLine(int32_t(y));
    const uint32_t* from = image->GetScanLine(int32_t(y - dy));
    if (!row || !from) continue;
    for (int64_t x = left; x < right; ++x)
      if (wholeRectangle || Alpha(from[x - dx]) != 0) row[x] &= 0x00FFFFFFu;
  }
  uniformLevel_ = -1;
  needsRepaint_ = true;
  SetNeedsRedraw(true);
}

void TMaskWidget::RebuildSurface() {
  ISurface* picture = ChildPicture();
  if (!picture || !EnsureMask(ChildWidth(), ChildHeight())) return;
  // A child that grew after the mask was made shows only where the mask reaches.
  TRect rect{0, 0, std::min(picture->GetWidth(), mask_.Width()),
             std::min(picture->GetHeight(), mask_.Height())};
  if (rect.Empty()) return;
  surface_.Get()->DrawMasked(picture, rect, rect, rect, mask_.Get());
}
