// The curve widget and its antialiaser.

#include "widgets/CurveWidgets.h"

#include <algorithm>
#include <cmath>

#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/XmlAttributes.h"

// ---------------------------------------------------------------------------------------
// TAntialiaser

TAntialiaser::TAntialiaser(int32_t size, double softness, TEmit emit, void* context)
    : size_(std::max(size, 0)),
      n_(size_ + 3),
      half_((size_ + 2) / 2),
      empty_(float(n_) * float(n_)),
      softness_(std::isnan(softness) ? 0 : std::clamp(softness, 0.0, 1.0)),
      grid_(size_t(n_) * size_t(n_), empty_),
      emit_(emit),
      context_(context) {}

void TAntialiaser::Reset() {
  active_ = false;
  // Cells left from the last line would otherwise be emitted around the next one's start.
  std::fill(grid_.begin(), grid_.end(), empty_);
}

void TAntialiaser::Accumulate(double x, double y) {
  float px = float(x - originX_ + half_), py = float(y - originY_ + half_);
  for (int32_t i = 0; i < n_; ++i) {
    float gx = px - float(i);
    float* column = &Cell(i, 0);
    for (int32_t j = 0; j < n_; ++j) {
      float gy = py - float(j);
      column[j] = std::min(column[j], gx * gx + gy * gy);
    }
  }
}

void TAntialiaser::Emit(int32_t i, int32_t j, ISurface* target) {
  if (!emit_) return;
  double r = size_ / 2.0;
  double d = std::sqrt(double(Cell(i, j)));
  double weight = 0;
  if (d < r)
    weight = 1;
  else if (d < r + softness_)
    weight = (r + softness_ - d) / softness_;
  else
    return;
  emit_(context_, SaturateInt32(int64_t(i) + originX_), SaturateInt32(int64_t(j) + originY_),
        target, weight);
}

void TAntialiaser::ShiftX(int64_t steps, ISurface* target) {
  // The grid follows the points the whole way: a jump of more than one pixel moves it as
  // far, so the cells keep lying under the pixels they were measured for.
  int32_t k = int32_t(std::min<int64_t>(steps < 0 ? -steps : steps, n_));
  if (steps > 0) {
    for (int32_t i = 0; i < k; ++i)
      for (int32_t j = 0; j < n_; ++j) Emit(i, j, target);
    std::move(grid_.begin() + ptrdiff_t(k) * n_, grid_.end(), grid_.begin());
    std::fill(grid_.end() - ptrdiff_t(k) * n_, grid_.end(), empty_);
  } else {
    for (int32_t i = n_ - 1; i >= n_ - k; --i)
      for (int32_t j = 0; j < n_; ++j) Emit(i, j, target);
    std::move_backward(grid_.begin(), grid_.end() - ptrdiff_t(k) * n_, grid_.end());
    std::fill(grid_.begin(), grid_.begin() + ptrdiff_t(k) * n_, empty_);
  }
}

void TAntialiaser::ShiftY(int64_t steps, ISurface* target) {
  int32_t k = int32_t(std::min<int64_t>(steps < 0 ? -steps : steps, n_));
  for (int32_t i = 0; i < n_; ++i) {
    float* column = &Cell(i, 0);
    if (steps > 0) {
      for (int32_t j = 0; j < k; ++j) Emit(i, j, target);
      std::move(column + k, column + n_, column);
      std::fill(column + n_ - k, column + n_, empty_);
    } else {
      for (int32_t j = n_ - 1; j >= n_ - k; --j) Emit(i, j, target);
      std::move_backward(column, column + n_ - k, column + n_);
      std::fill(column, column + k, empty_);
    }
  }
}

void TAntialiaser::AddPoint(double x, double y, ISurface* target) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  int32_t a = TruncSat(x), b = TruncSat(y);
  if (!active_) {
    active_ = true;
    originX_ = a;
    originY_ = b;
    Accumulate(x, y);
    return;
  }
  if (a != originX_) {
    ShiftX(int64_t(a) - originX_, target);
    originX_ = a;
    Accumulate(x, y);
  }
  if (b != originY_) {
    ShiftY(int64_t(b) - originY_, target);
    originY_ = b;
  }
  Accumulate(x, y);
}

void TAntialiaser::EvaluateKernel(ISurface* target) {
  for (int32_t i = 0; i < n_; ++i)
    for (int32_t j = 0; j < n_; ++j) Emit(i, j, target);
}

// ---------------------------------------------------------------------------------------
// TCurveWidget: life and the interface

void TCurveWidget::Init() {
  TGroupWidget::Init();
  timeToLive_ = 100000;
}

TCurveWidget::~TCurveWidget() = default;

const TPropertyTable& TCurveWidget::Properties() {
  using C = TCurveWidget;
  auto end = [](int32_t row) { return [row](C& c) { return c.GetEnd(row); }; };
  auto setEnd = [](int32_t row) { return [row](C& c, float value) { c.SetEnd(row, value); }; };
  static const TPropertyTable table(
      TGroupWidget::Properties(),
      {
          Attr("curve_time", &C::timeToLive_).Int(100000).Always(),
          Attr("draw_shift", &C::drawShift_).Float(1).Always(),
          Attr("smooth", &C::smooth_).Bool(true).Always(),
          Attr("stepping", &C::stepping_).Bool().Always(),
          Attr("drawtime", &C::drawTime_).Int(1000).Always(),
          Attr("drawmode", &C::drawMode_)
              .Enum("copyrect/fillcolor", TSurfaceWidget::dmFillColor)
              .Always(),
          Attr("blendingmode", &C::blendingMode_)
              .Enum(TTransformWidget::kBlendingModes, bmNormal)
              .Always(),
          Attr("fillcolor", &C::fillColor_).Hex(0xFFFFFFFF).Always(),
          Custom<C>("function", &C::LoadFunction, &C::SaveFunction),
          Prop<C>(
              "fillcolor", [](C& c) { return Variant(int32_t(c.fillColor_)); }, &C::SetFillColor),
          Prop<C>(
              "drawmode", [](C& c) { return Variant(int32_t(c.drawMode_)); }, &C::SetDrawModeText),
          Prop<C>("state", [](C& c) { return int32_t(c.state_); }).ReadOnly(),
          Prop<C>("stepping_direction", nullptr, &C::SetSteppingDirection).WriteOnly(),
          Prop<C>("currentT", nullptr, &C::SetCurrentT).WriteOnly(),
          Prop<C>("x1", end(0), setEnd(0)),
          Prop<C>("y1", end(1), setEnd(1)),
          Prop<C>("x2", end(2), setEnd(2)),
          Prop<C>("y2", end(3), setEnd(3)),
      });
  return table;
}

void TCurveWidget::AskRedraw() {
  needsRedraw_ = true;
  // The bounds may change with the redraw: the old rectangle is posted too.
  changed_ = true;
  SetNeedsRedraw(true);
}

void TCurveWidget::SetFunction(const Ref<IPathFunction>& function) {
  function_ = function;
  if (function_) {
    // A function that was never bound has no cells yet.
    if (function_->GetInputCount() == 0 && function_->GetOutputCount() == 0)
      function_->SetOwner(nullptr);
    function_->Execute();
  }
  AskRedraw();
}

void TCurveWidget::Reinit() {
  if (function_) function_->Execute();
  AskRedraw();
}

void TCurveWidget::SetDrawShift(float value) {
  drawShift_ = value;
  totalSteps_ = 0;
  AskRedraw();
}

float TCurveWidget::GetEnd(int32_t row) {
  Ref<IParamSpace> space = function_ ? function_->GetParamSpace() : nullptr;
  return space ? space->GetCellValue(2, row) : 0;
}

void TCurveWidget::SetEnd(int32_t row, float value) {
  Ref<IParamSpace> space = function_ ? function_->GetParamSpace() : nullptr;
  if (space) space->SetCellValue(2, row, value);
}

void TCurveWidget::SetFillColor(const Variant& value) {
  uint32_t color = 0xFFFFFFFF;
  int32_t number = 0;
  if (value.IsString()) {
    if (TryTextToInt(value.RawText(), number)) color = uint32_t(number);
  } else if (auto given = value.TryInt()) {
    color = uint32_t(*given);
  }
  if (color == fillColor_) return;
  fillColor_ = color;
  AskRedraw();
}

void TCurveWidget::SetDrawModeText(const Variant& value) {
  uint8_t mode = value.IsString() && value.RawText() == "copyrect" ? TSurfaceWidget::dmCopyRect
                                                                   : TSurfaceWidget::dmFillColor;
  if (mode == drawMode_) return;
  drawMode_ = mode;
  AskRedraw();
}

void TCurveWidget::SetSteppingDirection(int32_t direction) {
  if (direction == 1) {
    direction_ = 1;
    currentT_ = 0;
  } else if (direction == -1) {
    direction_ = -1;
    currentT_ = 1;
  } else {
    direction_ = 0;
  }
}

void TCurveWidget::LoadFunction(const Ref<IHierStorage>& node) {
  // Anything under "function" that is no path function is no function of the curve.
  function_ = Supports<IPathFunction>(CreateObjectFromChild(node, "function"));
  if (function_) function_->SetOwner(nullptr);
  AskRedraw();
}

void TCurveWidget::SaveFunction(const Ref<IHierStorage>& node) {
  if (function_) SaveObjectToChild(Ref<IInterface>(function_.get()), node, "function");
}

void TCurveWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TGroupWidget::LoadFromXml(node);
  totalSteps_ = 0;
}

void TCurveWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TGroupWidget::SaveToXml(node);
}

void TCurveWidget::SetOwner(IWidgetOwner* owner) {
  TGroupWidget::SetOwner(owner);
  if (function_) function_->SetOwner(nullptr);
  // Prepared at once: the progressive drawing counts its steps from the path's length.
  if (function_) function_->Execute();
  pen_ = children_->GetByIndex(0);
  width_ = height_ = 0;
  AskRedraw();
  drawnSteps_ = 0;
  direction_ = 1;
  state_ = stepping_ ? 0 : 1;
  ReadScreenSize();
}

void TCurveWidget::ReleaseOwner() {
  if (function_) function_->Clear();
  pen_ = nullptr;
  curve_.Release();
  penImage_.Release();
  TGroupWidget::ReleaseOwner();
}

// ---------------------------------------------------------------------------------------
// Bounds and drawing

bool TCurveWidget::CanDraw() const {
  return function_ && pen_ && drawShift_ != 0 && !std::isnan(drawShift_);
}

int32_t TCurveWidget::StepsOfPath() {
  if (!function_ || drawShift_ == 0) return 0;
  // Half a step rounds to even, as every conversion to whole numbers does; NaN gives 0.
  int64_t steps = RoundHalfEven64(double(function_->GetStoredLength()) / double(drawShift_));
  return int32_t(std::clamp<int64_t>(steps, -kMaxSteps, kMaxSteps));
}

void TCurveWidget::ReadScreenSize() {
  // Unset options mean the design size, as the engine reads them.
  IEngine* engine = GetEngine();
  screenWidth_ = engine ? engine->GetOption("ScreenWidth").ToInt(DesignWidth) : 0;
  screenHeight_ = engine ? engine->GetOption("ScreenHeight").ToInt(DesignHeight) : 0;
}

TRect TCurveWidget::GetRect() {
  if (!needsRedraw_ || !CanDraw()) return bounds_;
  // A screen's widgets may join it before it reaches the engine.
  if (screenWidth_ <= 0 || screenHeight_ <= 0) ReadScreenSize();
  int32_t pw = pen_->GetWidth(), ph = pen_->GetHeight();
  function_->Execute();
  TRect r{};
  function_->GetBounds(r);
  auto grow = [](int32_t value, int32_t by) { return SaturateInt32(int64_t(value) + by); };
  r.Left = std::clamp(grow(r.Left, -(int64_t(pw) + 1)), 0, std::max(screenWidth_, 0));
  r.Right = std::clamp(grow(r.Right, int64_t(pw) + 1), 0, std::max(screenWidth_, 0));
  r.Top = std::clamp(grow(r.Top, -(int64_t(ph) + 1)), 0, std::max(screenHeight_, 0));
  r.Bottom = std::clamp(grow(r.Bottom, int64_t(ph) + 1), 0, std::max(screenHeight_, 0));
  bounds_ = r;
  return bounds_;
}

int32_t TCurveWidget::GetWidth() {
  TRect r = GetRect();
  return SaturateInt32(int64_t(r.Right) - r.Left);
}

int32_t TCurveWidget::GetHeight() {
  TRect r = GetRect();
  return SaturateInt32(int64_t(r.Bottom) - r.Top);
}

void TCurveWidget::DrawPen(ISurface* target, int32_t alpha, int32_t x, int32_t y) {
  ISurface* image = penImage_.Get();
  if (!image || !target) return;
  int32_t pw = penImage_.Width(), ph = penImage_.Height();
  TRect to{x, y, SaturateInt32(int64_t(x) + pw), SaturateInt32(int64_t(y) + ph)};
  uint8_t a = uint8_t(std::clamp(alpha, 0, 255));
  if (drawMode_ == TSurfaceWidget::dmCopyRect)
    target->Draw(image, penImage_.Rect(), blendingMode_, a, to);
  else
    target->DrawColored(fillColor_, image, blendingMode_, a, to, penImage_.Rect());
}

void TCurveWidget::StampPen(void* context, int32_t x, int32_t y, ISurface* target, double weight) {
  auto* self = static_cast<TCurveWidget*>(context);
  self->DrawPen(target, RoundHalfEven(weight * 255),
                SaturateInt32(int64_t(x) + RoundHalfEven(self->pen_->GetAnchorLeft())),
                SaturateInt32(int64_t(y) + RoundHalfEven(self->pen_->GetAnchorTop())));
}

void TCurveWidget::EnsureCurve() {
  TRect r = GetRect();
  int32_t w = SaturateInt32(int64_t(r.Right) - r.Left);
  int32_t h = SaturateInt32(int64_t(r.Bottom) - r.Top);
  if (!curve_.Fit(GetEngine(), w, h)) return;
  if (!needsRedraw_ || !CanDraw()) return;
  width_ = curve_.Width();
  height_ = curve_.Height();
  curve_.Clear();
  DrawWidgetPicture(pen_.get(), GetEngine(), penImage_);
  int32_t total = StepsOfPath();
  totalSteps_ = total;
  if (!stepping_) drawnSteps_ = total;
  // A path of no steps leaves the redraw pending.
  if (total == 0) return;
  function_->SetParamValue("TotalTime", float(total));
  ISurface* target = curve_.Get();
  antialiaser_.Reset();
  int32_t last = std::min(drawnSteps_, kMaxSteps);
  int32_t level = GetTransparentLevel();
  for (int32_t i = 0; i <= last; ++i) {
    function_->SetStep(i);
    double x = function_->GetX(), y = function_->GetY();
    if (smooth_)
      antialiaser_.AddPoint(x - r.Left, y - r.Top, target);
    else
      DrawPen(target, level, SaturateInt32(RoundHalfEven64(x) - r.Left),
              SaturateInt32(RoundHalfEven64(y) - r.Top));
  }
  if (smooth_) antialiaser_.EvaluateKernel(target);
  needsRedraw_ = false;
  ++redraws_;
}

void TCurveWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!surface || !CanDraw()) return;
  EnsureCurve();
  if (!curve_ || width_ <= 0 || height_ <= 0) return;
  TRect r = GetRect();
  int32_t left = SaturateInt32(int64_t(x) + RoundHalfEven(r.Left - anchorLeft_));
  int32_t top = SaturateInt32(int64_t(y) + RoundHalfEven(r.Top - anchorTop_));
  surface->Draw(curve_.Get(), TRect{0, 0, width_, height_}, bmNormal,
                uint8_t(GetTransparentLevel()),
                TRect{left, top, SaturateInt32(int64_t(left) + width_),
                      SaturateInt32(int64_t(top) + height_)});
}

bool TCurveWidget::ContainsPoint(const TPoint& point, bool ignoreVisibility) {
  if (!CanDraw() || !TGroupWidget::ContainsPoint(point, ignoreVisibility)) return false;
  EnsureCurve();
  TRect r = GetRect();
  // The curve's pixel (0, 0) lies on the rectangle's corner, wherever the anchor is.
  int32_t x = SaturateInt32(int64_t(point.X) - r.Left);
  int32_t y = SaturateInt32(int64_t(point.Y) - r.Top);
  if (x >= width_ || y >= height_) return false;
  return (curve_.Pixel(x, y) >> 24) != 0;
}

// ---------------------------------------------------------------------------------------
// Drawing little by little

void TCurveWidget::SetDrawnSteps(int32_t steps) {
  if (steps == drawnSteps_) return;
  drawnSteps_ = steps;
  needsRedraw_ = true;
  SetNeedsRedraw(true);
}

void TCurveWidget::Update(int32_t dt) {
  TGroupWidget::Update(dt);
  if (!stepping_ || drawTime_ == 0) return;
  double c = std::min(1.0, double(dt) / drawTime_);
  state_ = currentT_ > 1 || currentT_ < 0 ? 1 : 0;
  currentT_ += c * direction_;
  if (totalSteps_ == 0) totalSteps_ = StepsOfPath();
  double f = 0;
  if (direction_ == 1) f = std::min(1.0, currentT_);
  if (direction_ == -1) f = std::max(0.0, currentT_);
  SetDrawnSteps(SaturateInt32(RoundHalfEven64(totalSteps_ * f)));
  // A progressive curve lives until its drawing has run out.
  if (IsDead() && state_ != 1) SetDead(false);
}
