// Transform widgets: the kept surfaces, the base, sub-pixel placement, zoom, rotation and
// the masked widget. The outline, viewport, pie and mask widgets are in
// TransformWidgetsShapes.cpp.

#include "widgets/TransformWidgets.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "foundation/CheckedMath.h"
#include "foundation/Warnings.h"
#include "foundation/XmlAttributes.h"

namespace {

// The part after truncation toward zero.
double Frac(double value) {
  return value - std::trunc(value);
}

// Halving that truncates toward zero, as "div 2".
int32_t Half(int32_t value) {
  return value / 2;
}

double Radians(double degrees) {
  return degrees * std::numbers::pi / 180;
}

// Sines and cosines of right angles are not exact in floating point (cos 90 is 6e-17): an
// offset turned by them lands a hair off a whole number, and its fractional part would move
// the picture by a pixel. Such values are taken as the whole number.
double Snapped(double value) {
  double whole = std::round(value);
  return std::fabs(value - whole) < 1e-9 ? whole : value;
}

int32_t Sum(int64_t a, int64_t b) {
  return SaturateInt32(a + b);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TWorkSurface

bool TWorkSurface::Make(IEngine* engine) {
  if (surface_) return true;
  if (!engine) return false;
  surface_ = engine->CreateSurface();
  if (!surface_) return false;
  surface_->SetHasAlpha(true);
  askedWidth_ = askedHeight_ = -1;
  return true;
}

void TWorkSurface::Resize(int32_t width, int32_t height, int32_t capacityWidth,
                          int32_t capacityHeight) {
  if (capacityWidth != askedWidth_ || capacityHeight != askedHeight_) {
    surface_->SetSize(capacityWidth, capacityHeight);
    askedWidth_ = capacityWidth;
    askedHeight_ = capacityHeight;
  }
  // A surface may have cut a huge size down: only what it holds is in use.
  width_ = std::min(width, surface_->GetWidth());
  height_ = std::min(height, surface_->GetHeight());
  surface_->SetClipRect(true, Rect());
}

bool TWorkSurface::Fit(IEngine* engine, int32_t width, int32_t height) {
  if (!Make(engine)) return false;
  width = std::max(width, 0);
  height = std::max(height, 0);
  Resize(width, height, std::max(width, askedWidth_), std::max(height, askedHeight_));
  return true;
}

bool TWorkSurface::FitExactly(IEngine* engine, int32_t width, int32_t height) {
  if (!Make(engine)) return false;
  width = std::max(width, 0);
  height = std::max(height, 0);
  Resize(width, height, width, height);
  return true;
}

void TWorkSurface::Release() {
  surface_ = nullptr;
  width_ = height_ = 0;
  askedWidth_ = askedHeight_ = -1;
}

void TWorkSurface::Clear() {
  if (!surface_) return;
  for (int32_t y = 0; y < height_; ++y)
    if (uint32_t* row = surface_->GetScanLine(y)) std::memset(row, 0, size_t(width_) * 4);
}

uint32_t TWorkSurface::Pixel(int32_t x, int32_t y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return surface_->PixelValue(x, y);
}

void DrawWidgetPicture(IWidget* widget, IEngine* engine, TWorkSurface& picture) {
  if (!widget) return picture.Release();
  if (!picture.FitExactly(engine, widget->GetWidth(), widget->GetHeight())) return;
  picture.Clear();
  if (picture.Width() == 0 || picture.Height() == 0) return;
  widget->Draw(picture.Get(), RoundHalfEven(widget->GetAnchorLeft() - widget->GetLeft()),
               RoundHalfEven(widget->GetAnchorTop() - widget->GetTop()));
}

// ---------------------------------------------------------------------------------------
// TTransformWidget

const TPropertyTable& TTransformWidget::Properties() {
  using T = TTransformWidget;
  static const TPropertyTable table(
      TDecorateWidget::Properties(),
      {
          Prop("need_to_repaint", &T::needsRepaint_),
          Attr("blendingmode", &T::blendingMode_).Enum(kBlendingModes, bmNormal).Always(),
      });
  return table;
}

void TTransformWidget::AdjustDrawOrigin(int32_t&, int32_t&) {}

void TTransformWidget::ToChildPoint(int32_t&, int32_t&) {}

void TTransformWidget::TransformChanged() {
  needsRepaint_ = true;
  changed_ = true;
  SetNeedsRedraw(true);
}

void TTransformWidget::InvalidateSurface() {
  TransformChanged();
  invalidated_ = true;
  childPictureStale_ = true;
}

TPoint TTransformWidget::ChildOffset() const {
  if (!child_) return TPoint{};
  TRect r = child_->GetRect();
  return TPoint{RoundHalfEven(child_->GetAnchorLeft() - r.Left),
                RoundHalfEven(child_->GetAnchorTop() - r.Top)};
}

ISurface* TTransformWidget::ChildPicture() {
  if (!child_) return nullptr;
  if (childPictureStale_ || !childPicture_ || childPicture_.Width() != child_->GetWidth() ||
      childPicture_.Height() != child_->GetHeight()) {
    DrawWidgetPicture(child_.get(), Engine(), childPicture_);
    childPictureStale_ = false;
  }
  if (childPicture_.Width() == 0 || childPicture_.Height() == 0) return nullptr;
  return childPicture_.Get();
}

void TTransformWidget::EnsureSurface() {
  int32_t width = GetWidth(), height = GetHeight();
  bool had = bool(surface_);
  int32_t oldWidth = surface_.Width(), oldHeight = surface_.Height();
  // Without an engine the surface stays empty.
  if (!surface_.Fit(Engine(), width, height)) return;
  if (!had || surface_.Width() != oldWidth || surface_.Height() != oldHeight) needsRepaint_ = true;
  if (!needsRepaint_) return;
  surface_.Clear();
  RebuildSurface();
  needsRepaint_ = false;
  ++rebuilds_;
}

void TTransformWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!child_ || !surface) return;
  EnsureSurface();
  if (!surface_) return;
  AdjustDrawOrigin(x, y);
  surface->Draw(surface_.Get(), surface_.Rect(), blendingMode_, uint8_t(GetTransparentLevel()),
                TRect{x, y, Sum(x, surface_.Width()), Sum(y, surface_.Height())});
}

bool TTransformWidget::ContainsPoint(const TPoint& point, bool ignoreVisibility) {
  if (!TDecorateWidget::ContainsPoint(point, ignoreVisibility)) return false;
  EnsureSurface();
  int32_t ox = 0, oy = 0;
  AdjustDrawOrigin(ox, oy);
  int64_t x = int64_t(point.X) - TruncSat(anchorLeft_) - ox;
  int64_t y = int64_t(point.Y) - TruncSat(anchorTop_) - oy;
  return (surface_.Pixel(SaturateInt32(x), SaturateInt32(y)) >> 24) != 0;
}

TPoint TTransformWidget::ScreenToLocal(const TPoint& point) {
  TPoint p = TDecorateWidget::ScreenToLocal(point);
  int32_t ox = 0, oy = 0;
  AdjustDrawOrigin(ox, oy);
  int32_t x = Sum(p.X, -int64_t(ox)), y = Sum(p.Y, -int64_t(oy));
  ToChildPoint(x, y);
  return TPoint{x, y};
}

void TTransformWidget::AddDirtyRect(const TRect&) {
  needsRepaint_ = true;
  childPictureStale_ = true;
}

void TTransformWidget::UpdateDirtyRects(bool forceOld, bool forceNew) {
  if (child_) {
    child_->UpdateDirtyRects(false, false);
    if (child_->IsInvalidated()) InvalidateSurface();
  }
  TDecorateWidget::UpdateDirtyRects(forceOld, forceNew);
}

void TTransformWidget::Invalidate() {
  TDecorateWidget::Invalidate();
  needsRepaint_ = true;
  childPictureStale_ = true;
}

void TTransformWidget::Notify(int32_t code, const Variant& param) {
  if (code == kReleaseSurfaces) return ReleaseSurfaces();
  TDecorateWidget::Notify(code, param);
}

void TTransformWidget::ReleaseSurfaces() {
  surface_.Release();
  childPicture_.Release();
  childPictureStale_ = true;
  needsRepaint_ = true;
}

void TTransformWidget::ReleaseOwner() {
  // The child may go to another owner: its picture is drawn again when next needed.
  childPictureStale_ = true;
  TDecorateWidget::ReleaseOwner();
}

// ---------------------------------------------------------------------------------------
// TSmoothMoveWidget

namespace {
// The most one widget's cache may come to once every fractional position has been drawn:
// one picture of the transform's size, and its entry, per cell of the grid. 32 MiB holds the
// 400 pictures of a step of 0.05 for a child of up to about 140 x 140 pixels (16 of them up
// to about 700 x 700 at 0.25); beyond it every position is drawn afresh, as without caching.
constexpr double kMaxCacheBytes = 32.0 * 1024 * 1024;
}  // namespace

const TPropertyTable& TSmoothMoveWidget::Properties() {
  using S = TSmoothMoveWidget;
  static const TPropertyTable table(
      TTransformWidget::Properties(),
      {
          Prop<S>("anchor_left", [](S& s) { return s.anchorLeft_ + s.fractionX_; }),
          Prop<S>("anchor_top", [](S& s) { return s.anchorTop_ + s.fractionY_; }),
          Prop("sampling_step", &S::samplingStep_, &S::SetSamplingStep).Float(0.25),
          Prop("caching", &S::caching_, &S::SetCaching).Bool(),
      });
  return table;
}

void TSmoothMoveWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TTransformWidget::LoadFromXml(node);
  // The file's values went straight into the fields: clamp the step, make the cache and
  // split the anchors read.
  SetSamplingStep(samplingStep_);
  fractionX_ = fractionY_ = 0;
  SetAnchorLeft(anchorLeft_);
  SetAnchorTop(anchorTop_);
}

void TSmoothMoveWidget::Split(double value, double& whole, double& fraction, int32_t& index) const {
  index = 0;
  if (!std::isfinite(value)) {
    whole = value;
    fraction = 0;
    return;
  }
  whole = std::floor(value);
  fraction = value - whole;
  if (samplingStep_ == 0) return;
  double steps = std::trunc(fraction / samplingStep_);
  index = TruncSat(steps);
  fraction = steps * samplingStep_;
}

void TSmoothMoveWidget::SetAnchorLeft(double value) {
  double whole = 0, fraction = 0;
  int32_t index = 0;
  Split(value, whole, fraction, index);
  if (fraction != fractionX_) TransformChanged();
  fractionX_ = fraction;
  stepsX_ = index;
  TTransformWidget::SetAnchorLeft(whole);
}

void TSmoothMoveWidget::SetAnchorTop(double value) {
  double whole = 0, fraction = 0;
  int32_t index = 0;
  Split(value, whole, fraction, index);
  if (fraction != fractionY_) TransformChanged();
  fractionY_ = fraction;
  stepsY_ = index;
  TTransformWidget::SetAnchorTop(whole);
}

void TSmoothMoveWidget::SetSamplingStep(double step) {
  samplingStep_ = std::isnan(step) ? 0 : std::clamp(step, 0.0, 1.0);
  // The cache columns of the fractions held, by the new step.
  auto steps = [this](double fraction) {
    return samplingStep_ == 0 ? 0 : TruncSat(fraction / samplingStep_);
  };
  stepsX_ = steps(fractionX_);
  stepsY_ = steps(fractionY_);
  RebuildCache();
}

void TSmoothMoveWidget::SetCaching(bool value) {
  if (value == caching_) return;
  caching_ = value;
  RebuildCache();
}

void TSmoothMoveWidget::RebuildCache() {
  int32_t side = 0;
  if (caching_ && samplingStep_ > 0) side = RoundHalfEven(std::trunc(1 / samplingStep_));
  if (side < 1) side = 0;
  if (side != cacheSize_) {
    // The grid is made when the first picture shows whether it fits (CacheFits).
    cache_.clear();
    cacheSize_ = side;
    cacheRefused_ = false;
  }
  for (TCacheEntry& entry : cache_) entry.valid = false;
  needsRepaint_ = true;
}

bool TSmoothMoveWidget::CacheFits() {
  if (cacheSize_ < 1 || cacheRefused_) return false;
  double cells = double(cacheSize_) * cacheSize_;
  double picture = double(surface_.Width()) * surface_.Height() * 4;
  double bytes = cells * (picture + sizeof(TCacheEntry));
  if (bytes > kMaxCacheBytes) {
    cacheRefused_ = true;
    cache_.clear();
    Warn("", "smooth_move_widget \"" + GetName() + "\": caching with sampling_step " +
                 FormatFloatValue(samplingStep_) + " would keep up to " +
                 std::to_string(cacheSize_ * int64_t(cacheSize_)) + " pictures of " +
                 std::to_string(surface_.Width()) + " x " + std::to_string(surface_.Height()) +
                 " pixels (" + std::to_string(int64_t(bytes / (1024 * 1024))) +
                 " MiB, more than " + std::to_string(int64_t(kMaxCacheBytes / (1024 * 1024))) +
                 "); every position is drawn afresh instead");
    return false;
  }
  if (cache_.empty()) cache_.resize(size_t(cells));
  return true;
}

void TSmoothMoveWidget::ReleaseSurfaces() {
  TTransformWidget::ReleaseSurfaces();
  for (TCacheEntry& entry : cache_) {
    entry.picture.Release();
    entry.valid = false;
  }
}

void TSmoothMoveWidget::InvalidateSurface() {
  TTransformWidget::InvalidateSurface();
  // The pictures are drawn again into the surfaces they had.
  for (TCacheEntry& entry : cache_) entry.valid = false;
}

int32_t TSmoothMoveWidget::GetWidth() {
  return child_ ? Sum(child_->GetWidth(), 1) : 0;
}

int32_t TSmoothMoveWidget::GetHeight() {
  return child_ ? Sum(child_->GetHeight(), 1) : 0;
}

void TSmoothMoveWidget::RebuildSurface() {
  ISurface* picture = ChildPicture();
  if (!picture) return;
  bool cached = stepsX_ >= 0 && stepsY_ >= 0 && stepsX_ < cacheSize_ && stepsY_ < cacheSize_ &&
                CacheFits();
  if (!cached) {
    surface_.Get()->DrawAt(picture, fractionX_, fractionY_);
    return;
  }
  TCacheEntry& entry = cache_[size_t(stepsY_) * size_t(cacheSize_) + size_t(stepsX_)];
  if (!entry.valid) {
    if (!entry.picture.FitExactly(Engine(), surface_.Width(), surface_.Height())) return;
    entry.picture.Clear();
    entry.picture.Get()->DrawAt(picture, fractionX_, fractionY_);
    entry.valid = true;
  }
  surface_.Get()->Draw(entry.picture.Get(), entry.picture.Rect(), bmBltFast, 255,
                       entry.picture.Rect());
}

// ---------------------------------------------------------------------------------------
// TZoomWidget

void TZoomWidget::Init() {
  TSmoothMoveWidget::Init();
  smooth_ = true;
}

const TPropertyTable& TZoomWidget::Properties() {
  using Z = TZoomWidget;
  static const TPropertyTable table(
      TSmoothMoveWidget::Properties(),
      {
          Prop("smooth", &Z::smooth_, &Z::SetSmooth).Bool(),
          Custom<Z>("zoom", &Z::LoadZoom, &Z::SaveZoom),
          Prop("centerx", &Z::centerX_, &Z::SetCenterX).Float().Coordinate(),
          Prop("centery", &Z::centerY_, &Z::SetCenterY).Float().Coordinate(),
          Prop("zoom", &Z::zoomX_, &Z::SetZoom),
          Prop("zoomx", &Z::zoomX_, &Z::SetZoomX),
          Prop("zoomy", &Z::zoomY_, &Z::SetZoomY),
      });
  return table;
}

void TZoomWidget::LoadZoom(const Ref<IHierStorage>& node) {
  double zoom = ReadXmlFloat(node, "zoom", 1);
  SetZoomValue(zoomX_, ReadXmlFloat(node, "zoomx", zoom));
  SetZoomValue(zoomY_, ReadXmlFloat(node, "zoomy", zoom));
}

void TZoomWidget::SaveZoom(const Ref<IHierStorage>& node) {
  if (zoomX_ == zoomY_) {
    WriteXmlFloat(node, "zoom", zoomX_, zoomX_ != 1);
    return;
  }
  WriteXmlFloat(node, "zoomx", zoomX_, true);
  WriteXmlFloat(node, "zoomy", zoomY_, true);
}

bool TZoomWidget::SetZoomValue(double& stored, double value) {
  // A value that is no number keeps the zoom.
  if (std::isnan(value)) return false;
  if (std::fabs(value) < kMinZoom) value = value >= 0 ? kMinZoom : -kMinZoom;
  if (value == stored) return false;
  stored = value;
  return true;
}

void TZoomWidget::SetZoom(double value) {
  SetZoomX(value);
  SetZoomY(value);
}

void TZoomWidget::SetZoomX(double value) {
  if (!SetZoomValue(zoomX_, value)) return;
  TransformChanged();
  ZoomChanged();
}

void TZoomWidget::SetZoomY(double value) {
  if (!SetZoomValue(zoomY_, value)) return;
  TransformChanged();
  ZoomChanged();
}

// The centre only moves the origin: the surface is kept.
void TZoomWidget::SetCenterX(double value) {
  if (value == centerX_) return;
  centerX_ = value;
  changed_ = true;
}

void TZoomWidget::SetCenterY(double value) {
  if (value == centerY_) return;
  centerY_ = value;
  changed_ = true;
}

void TZoomWidget::SetSmooth(bool value) {
  if (value == smooth_) return;
  smooth_ = value;
  needsRepaint_ = true;
}

double TZoomWidget::GetLeft() {
  return std::trunc(anchorLeft_) - std::trunc(std::fabs(zoomX_) * centerX_);
}

double TZoomWidget::GetTop() {
  return std::trunc(anchorTop_) - std::trunc(std::fabs(zoomY_) * centerY_);
}

int32_t TZoomWidget::GetWidth() {
  return Sum(TruncSat(ChildWidth() * std::fabs(zoomX_)), 1);
}

int32_t TZoomWidget::GetHeight() {
  return Sum(TruncSat(ChildHeight() * std::fabs(zoomY_)), 1);
}

void TZoomWidget::AdjustDrawOrigin(int32_t& x, int32_t& y) {
  x = Sum(x, -int64_t(TruncSat(std::fabs(zoomX_) * centerX_)));
  y = Sum(y, -int64_t(TruncSat(std::fabs(zoomY_) * centerY_)));
}

void TZoomWidget::ToChildPoint(int32_t& x, int32_t& y) {
  x = RoundHalfEven(x / zoomX_);
  y = RoundHalfEven(y / zoomY_);
  if (!child_) return;
  x = Sum(x, TruncSat(child_->GetLeft()));
  y = Sum(y, TruncSat(child_->GetTop()));
}

void TZoomWidget::RebuildSurface() {
  if (zoomX_ == 1 && zoomY_ == 1) return TSmoothMoveWidget::RebuildSurface();
  ISurface* picture = ChildPicture();
  if (!picture) return;
  double ox = (Frac(std::fabs(zoomX_) * centerX_) - fractionX_) / zoomX_;
  double oy = (Frac(std::fabs(zoomY_) * centerY_) - fractionY_) / zoomY_;
  surface_.Get()->DrawScaled(picture, smooth_, zoomX_, zoomY_, ox, oy);
}

// ---------------------------------------------------------------------------------------
// TRotateWidget

const TPropertyTable& TRotateWidget::Properties() {
  static const TPropertyTable table(
      TZoomWidget::Properties(),
      {
          Prop("angle", &TRotateWidget::angle_, &TRotateWidget::SetAngle).Float(),
      });
  return table;
}

void TRotateWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TZoomWidget::LoadFromXml(node);
  ZoomChanged();
}

void TRotateWidget::ZoomChanged() {
  int32_t w = ChildWidth(), h = ChildHeight();
  radius_ =
      std::sqrt(double(w) * w + double(h) * h) * std::max(std::fabs(zoomX_), std::fabs(zoomY_)) / 2;
  double x = zoomX_ * (centerX_ - Half(w));
  double y = (centerY_ - Half(h)) * zoomY_;
  double a = Radians(-angle_);
  centerOffsetX_ = Snapped(std::cos(a) * x - std::sin(a) * y);
  centerOffsetY_ = Snapped(std::sin(a) * x + std::cos(a) * y);
}

void TRotateWidget::InvalidateSurface() {
  TZoomWidget::InvalidateSurface();
  ZoomChanged();
}

void TRotateWidget::SetAngle(double value) {
  if (value == angle_ || std::isnan(value)) return;
  angle_ = value;
  TransformChanged();
  ZoomChanged();
}

void TRotateWidget::SetCenterX(double value) {
  if (value == centerX_) return;
  TZoomWidget::SetCenterX(value);
  ZoomChanged();
}

void TRotateWidget::SetCenterY(double value) {
  if (value == centerY_) return;
  TZoomWidget::SetCenterY(value);
  ZoomChanged();
}

double TRotateWidget::GetLeft() {
  return TruncSat(anchorLeft_ - radius_ - centerOffsetX_);
}

double TRotateWidget::GetTop() {
  return TruncSat(anchorTop_ - radius_ - centerOffsetY_);
}

int32_t TRotateWidget::GetWidth() {
  return Sum(TruncSat(2 * radius_), 1);
}

int32_t TRotateWidget::GetHeight() {
  return GetWidth();
}

// The left and top edges truncate the sum of the offsets while the drawing origin adds up
// the truncated offsets; the two may differ by a pixel. The rectangle takes in both, so
// that every pixel drawn is inside the rectangle redrawn.
TRect TRotateWidget::GetRect() {
  int32_t left = TruncSat(GetLeft()), top = TruncSat(GetTop());
  int32_t side = GetWidth();
  TRect r{left, top, Sum(left, side), Sum(top, side)};
  int32_t x = TruncSat(anchorLeft_), y = TruncSat(anchorTop_);
  AdjustDrawOrigin(x, y);
  TRect drawn{x, y, Sum(x, side), Sum(y, side)};
  return TRect{std::min(r.Left, drawn.Left), std::min(r.Top, drawn.Top),
               std::max(r.Right, drawn.Right), std::max(r.Bottom, drawn.Bottom)};
}

void TRotateWidget::AdjustDrawOrigin(int32_t& x, int32_t& y) {
  int64_t r = TruncSat(radius_);
  x = Sum(x, -(r + TruncSat(centerOffsetX_)));
  y = Sum(y, -(r + TruncSat(centerOffsetY_)));
}

void TRotateWidget::ToChildPoint(int32_t& x, int32_t& y) {
  int32_t r = TruncSat(radius_);
  double px = double(x) - r, py = double(y) - r;
  double a = Radians(angle_);
  x = TruncSat(Snapped(std::cos(a) * px - std::sin(a) * py));
  y = TruncSat(Snapped(std::sin(a) * px + std::cos(a) * py));
  TZoomWidget::ToChildPoint(x, y);
  if (!child_) return;
  x = Sum(x, Half(ChildWidth()));
  y = Sum(y, Half(ChildHeight()));
}

void TRotateWidget::RebuildSurface() {
  ISurface* picture = ChildPicture();
  if (!picture) return;
  int32_t w = ChildWidth(), h = ChildHeight();
  double r = TruncSat(radius_);
  ISurface* surface = surface_.Get();
  int64_t whole = RoundHalfEven64(angle_);
  if (double(whole) == angle_ && whole % 360 == 0) {
    if (zoomX_ == 1 && zoomY_ == 1 && fractionX_ == 0 && fractionY_ == 0) {
      childOriginX_ = r + (fractionX_ - Half(w));
      childOriginY_ = r + (fractionY_ - Half(h));
      surface->DrawAt(picture, childOriginX_, childOriginY_);
      return;
    }
    childOriginX_ =
        (zoomX_ > 0 ? Half(w) : Half(-w)) + (Frac(centerOffsetX_) - fractionX_ - r) / zoomX_;
    childOriginY_ =
        (zoomY_ > 0 ? Half(h) : Half(-h)) + (Frac(centerOffsetY_) - fractionY_ - r) / zoomY_;
    surface->DrawScaled(picture, smooth_, zoomX_, zoomY_, childOriginX_, childOriginY_);
    return;
  }
  double a = Radians(angle_);
  double fx = Frac(centerOffsetX_), fy = Frac(centerOffsetY_);
  double cx = Snapped(std::cos(a) * fx - std::sin(a) * fy);
  double cy = Snapped(std::sin(a) * fx + std::cos(a) * fy);
  childOriginX_ = (cx - fractionX_) / zoomX_ + (Half(w) - r);
  childOriginY_ = (cy - fractionY_) / zoomY_ + (Half(h) - r);
  surface->DrawTransformed(picture, TPoint{int32_t(r), int32_t(r)}, angle_, smooth_, zoomX_, zoomY_,
                           childOriginX_, childOriginY_);
}

// ---------------------------------------------------------------------------------------
// TTimedRotateWidget

const TPropertyTable& TTimedRotateWidget::Properties() {
  using T = TTimedRotateWidget;
  static const TPropertyTable table(TRotateWidget::Properties(),
                                    {
                                        Prop("rotate", &T::rotate_).Bool(),
                                        Prop("startangle", &T::startAngle_).Float(),
                                        Prop("rotationtime", &T::rotationTime_).Int(1000),
                                    });
  return table;
}

void TTimedRotateWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TRotateWidget::LoadFromXml(node);
  if (!ReadXmlStr(node, "startangle").empty()) SetAngle(startAngle_);
}

void TTimedRotateWidget::Update(int32_t dt) {
  TRotateWidget::Update(dt);
  if (!rotate_) return;
  // A rotation time of 0 would turn infinitely fast: the widget keeps its start angle.
  if (rotationTime_ == 0) return SetAngle(startAngle_);
  SetAngle(startAngle_ - double(currentTime_) * 360 / rotationTime_);
}

// ---------------------------------------------------------------------------------------
// TMaskedSurfaceWidget

const TPropertyTable& TMaskedSurfaceWidget::Properties() {
  static const TPropertyTable table(
      TTransformWidget::Properties(),
      {
          Attr("resourcename", &TMaskedSurfaceWidget::maskName_).Str().Always(),
      });
  return table;
}

void TMaskedSurfaceWidget::RebuildSurface() {
  IEngine* engine = Engine();
  if (!engine || !child_) return;
  Ref<IImageResource> image = Supports<IImageResource>(engine->GetResource(maskName_));
  Ref<ISurface> mask = image ? image->GetSurface() : nullptr;
  if (!mask) return;
  ISurface* picture = ChildPicture();
  if (!picture) return;
  TRect r = child_->GetRect();
  surface_.Get()->DrawMasked(picture, TRect{0, 0, r.Width(), r.Height()}, r,
                             TRect{0, 0, mask->GetWidth(), mask->GetHeight()}, mask.get());
}
