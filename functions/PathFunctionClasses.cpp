#include "functions/PathFunctionClasses.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "foundation/CheckedMath.h"

namespace {

constexpr double kPi = 3.1415926535897932385;
constexpr double kTwoPi = 6.283185307179586477;
constexpr double kHalfPi = kPi / 2;

int32_t FloorInt(double value) {
  return TruncSat(std::floor(value));
}

// Ceil for values at or above 0, Floor below.
int32_t RoundAwayFromZero(double value) {
  return TruncSat(value >= 0 ? std::ceil(value) : std::floor(value));
}

}  // namespace

// --- The base -------------------------------------------------------------------------

const TPropertyTable& TAbstractPathFunction::Properties() {
  static const TPropertyTable table(
      TFunction::Properties(), {
                                   Attr("loop", &TAbstractPathFunction::loop_).Bool().SkipDefault(),
                               });
  return table;
}

void TAbstractPathFunction::SetOwner(IFunctionOwner* owner) {
  TFunction::SetOwner(owner);
  ready_ = CellsReady();
}

void TAbstractPathFunction::Clear() {
  ready_ = false;
  TFunction::Clear();
}

bool TAbstractPathFunction::Bound(std::initializer_list<std::pair<int32_t, int32_t>> cells) const {
  for (const auto& [col, row] : cells)
    if (!Cell(col, row)) return false;
  return true;
}

int32_t TAbstractPathFunction::GetDuration() {
  return TruncSat(paramSpace_->GetCellValue(2, 4));
}

float TAbstractPathFunction::GetStoredLength() {
  return paramSpace_->GetCellValue(2, 5);
}

void TAbstractPathFunction::SetStep(int32_t step) {
  paramSpace_->SetCellValue(1, 0, static_cast<float>(step));
  Calculate();
}

void TAbstractPathFunction::DoCalculate() {
  paramSpace_->SetCellValue(2, 5, GetLength());
}

int32_t TAbstractPathFunction::GetStep() {
  int32_t step = TruncSat(paramSpace_->GetCellValue(1, 0));
  if (!loop_) return step;
  return static_cast<int32_t>(ModSafe64(step, GetDuration()));
}

float TAbstractPathFunction::GetT() {
  int32_t duration = GetDuration();
  if (duration == 0) return 1.0f;
  return static_cast<float>(static_cast<double>(GetStep()) / duration);
}

// --- Segment --------------------------------------------------------------------------

bool TSegmentPathFunction::CellsReady() {
  return Bound({{0, 0}, {0, 1}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}});
}

void TSegmentPathFunction::Calculate() {
  if (!ready_) return;
  float t = GetT();
  float x1 = *Cell(2, 0), y1 = *Cell(2, 1), x2 = *Cell(2, 2), y2 = *Cell(2, 3);
  *Cell(0, 0) = x1 + (x2 - x1) * t;
  *Cell(0, 1) = y1 + t * (y2 - y1);
}

float TSegmentPathFunction::GetLength() {
  if (!ready_) return 0;
  double dx = double(*Cell(2, 2)) - *Cell(2, 0), dy = double(*Cell(2, 3)) - *Cell(2, 1);
  return static_cast<float>(std::sqrt(static_cast<double>(RoundHalfEven64(dx * dx + dy * dy))));
}

void TSegmentPathFunction::GetBounds(TRect& bounds) {
  bounds = TRect{};
  if (!ready_) return;
  float x1 = *Cell(2, 0), y1 = *Cell(2, 1), x2 = *Cell(2, 2), y2 = *Cell(2, 3);
  bounds.Left = RoundHalfEven(std::min(x1, x2));
  bounds.Top = RoundHalfEven(std::min(y1, y2));
  bounds.Right = RoundHalfEven(std::max(x1, x2));
  bounds.Bottom = RoundHalfEven(std::max(y1, y2));
}

// --- Accelerated segment --------------------------------------------------------------

bool TAccelerateSegmentPathFunction::CellsReady() {
  return TSegmentPathFunction::CellsReady() && Bound({{2, 5}, {2, 6}, {2, 7}});
}

void TAccelerateSegmentPathFunction::Calculate() {
  if (!ready_) return;
  float x1 = *Cell(2, 0), y1 = *Cell(2, 1), x2 = *Cell(2, 2), y2 = *Cell(2, 3);
  float length = *Cell(2, 5);
  // A segment without length has nowhere to go: it stays at its start.
  if (length == 0) {
    *Cell(0, 0) = x1;
    *Cell(0, 1) = y1;
    return;
  }
  int64_t s = GetStep();
  float speed = *Cell(2, 6), acceleration = *Cell(2, 7);
  // The square of the step needs 64 bits: in 32 it overflows after about 46 s of
  // milliseconds.
  float d = static_cast<float>(static_cast<double>(s * s) * acceleration / 2 +
                               static_cast<double>(s) * speed);
  *Cell(0, 0) = x1 + (x2 - x1) * d / length;
  *Cell(0, 1) = y1 + d * (y2 - y1) / length;
}

// --- Arc ------------------------------------------------------------------------------

bool TArcPathFunction::CellsReady() {
  return Bound({{0, 0},
                {0, 1},
                {1, 0},
                {2, 0},
                {2, 1},
                {2, 2},
                {2, 3},
                {2, 4},
                {2, 6},
                {2, 7},
                {3, 0},
                {3, 1},
                {3, 2},
                {3, 3}});
}

void TArcPathFunction::Execute() {
  TAbstractPathFunction::Execute();
  if (!ready_) return;
  double x1 = *Cell(2, 0), y1 = *Cell(2, 1), x2 = *Cell(2, 2), y2 = *Cell(2, 3);
  double cx = *Cell(2, 6), cy = *Cell(2, 7);
  double start = std::atan2(y1 - cy, x1 - cx);
  double end = std::atan2(y2 - cy, x2 - cx);
  // Without a direction cell the angles stay as computed.
  float* direction = Cell(4, 0);
  if (direction && *direction == 1 && start > end) end += kTwoPi;
  if (direction && *direction == 0 && start < end) start += kTwoPi;
  *Cell(3, 0) = static_cast<float>(std::hypot(x1 - cx, y1 - cy));
  *Cell(3, 1) = static_cast<float>(std::hypot(x2 - cx, y2 - cy));
  *Cell(3, 2) = static_cast<float>(start);
  *Cell(3, 3) = static_cast<float>(end);
  paramSpace_->SetCellValue(2, 5, GetLength());
}

void TArcPathFunction::Calculate() {
  if (!ready_) return;
  float t = GetT();
  float r1 = *Cell(3, 0), r2 = *Cell(3, 1), start = *Cell(3, 2), end = *Cell(3, 3);
  float angle = start + t * (end - start);
  float r = r1 + t * (r2 - r1);
  *Cell(0, 0) = static_cast<float>(*Cell(2, 6) + r * std::cos(double(angle)));
  *Cell(0, 1) = static_cast<float>(*Cell(2, 7) + r * std::sin(double(angle)));
}

float TArcPathFunction::GetLength() {
  if (!ready_) return 0;
  return std::fabs(*Cell(3, 2) - *Cell(3, 3)) * *Cell(3, 0);
}

void TArcPathFunction::GetBounds(TRect& bounds) {
  bounds = TRect{};
  if (!ready_) return;
  double x1 = *Cell(2, 0), y1 = *Cell(2, 1), x2 = *Cell(2, 2), y2 = *Cell(2, 3);
  double cx = *Cell(2, 6), cy = *Cell(2, 7), r1 = *Cell(3, 0);
  double left = std::min(x1, x2), top = std::min(y1, y2);
  double right = std::max(x1, x2), bottom = std::max(y1, y2);
  double low = std::min(*Cell(3, 2), *Cell(3, 3)), high = std::max(*Cell(3, 2), *Cell(3, 3));
  if (std::isfinite(low) && std::isfinite(high)) {
    // The extreme points of the circle whose angles the arc passes. The angles span at
    // most two turns; the count bounds the walk for values set by hand.
    double q = std::trunc(low / kHalfPi) * kHalfPi;
    if (q < low) q += kHalfPi;
    for (int n = 0; q < high && n < 9; ++n, q += kHalfPi) {
      double x = cx + r1 * std::cos(q), y = cy + r1 * std::sin(q);
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
    }
  }
  bounds.Left = FloorInt(left);
  bounds.Top = FloorInt(top);
  bounds.Right = RoundAwayFromZero(right);
  bounds.Bottom = RoundAwayFromZero(bottom);
}

// --- Bezier ---------------------------------------------------------------------------

namespace {

struct TPointF {
  float X, Y;
};

TPointF Mid(TPointF a, TPointF b) {
  return {(a.X + b.X) / 2, (a.Y + b.Y) / 2};
}

float BezierLength(TPointF p0, TPointF p1, TPointF p2, TPointF p3, int depth) {
  double dx = double(p3.X) - p0.X, dy = double(p3.Y) - p0.Y;
  int64_t squared = RoundHalfEven64(dx * dx + dy * dy);
  double chord2 = static_cast<double>(squared);
  auto offset = [&](TPointF p) {
    double w = dx * (double(p.Y) - p0.Y) - dy * (double(p.X) - p0.X);
    return w * w;
  };
  // Flat when both controls lie less than 1 unit from the chord line; a piece that never
  // becomes flat (a chord under 0.71, NaN) takes its chord at the depth limit.
  if ((offset(p1) < chord2 && offset(p2) < chord2) || depth >= TBezierPathFunction::kMaxLengthDepth)
    return static_cast<float>(std::sqrt(chord2));
  TPointF m01 = Mid(p0, p1), m12 = Mid(p1, p2), m23 = Mid(p2, p3);
  TPointF a = Mid(m01, m12), c = Mid(m12, m23), mid = Mid(a, c);
  return BezierLength(p0, m01, a, mid, depth + 1) + BezierLength(mid, c, m23, p3, depth + 1);
}

}  // namespace

bool TBezierPathFunction::CellsReady() {
  return Bound({{0, 0},
                {0, 1},
                {1, 0},
                {2, 0},
                {2, 1},
                {2, 2},
                {2, 3},
                {2, 4},
                {2, 6},
                {2, 7},
                {2, 8},
                {2, 9}});
}

void TBezierPathFunction::Calculate() {
  if (!ready_) return;
  float t = GetT(), u = 1 - t;
  float a = u * u * u, b = 3 * t * u * u, c = 3 * t * t * u, d = t * t * t;
  *Cell(0, 0) = a * *Cell(2, 0) + b * *Cell(2, 6) + c * *Cell(2, 8) + d * *Cell(2, 2);
  *Cell(0, 1) = a * *Cell(2, 1) + b * *Cell(2, 7) + c * *Cell(2, 9) + d * *Cell(2, 3);
}

float TBezierPathFunction::GetLength() {
  if (!ready_) return 0;
  return BezierLength({*Cell(2, 0), *Cell(2, 1)}, {*Cell(2, 6), *Cell(2, 7)},
                      {*Cell(2, 8), *Cell(2, 9)}, {*Cell(2, 2), *Cell(2, 3)}, 0);
}

namespace {

// The least and the greatest value one coordinate of the curve takes for t in 0..1: the
// ends, and where the derivative 3(a t^2 + b t + c) is zero inside.
std::pair<double, double> BezierRange(double p0, double p1, double p2, double p3) {
  double low = std::min(p0, p3), high = std::max(p0, p3);
  auto widen = [&](double t) {
    if (!(t > 0 && t < 1)) return;
    double u = 1 - t;
    double v = u * u * u * p0 + 3 * t * u * u * p1 + 3 * t * t * u * p2 + t * t * t * p3;
    low = std::min(low, v);
    high = std::max(high, v);
  };
  double a = -p0 + 3 * p1 - 3 * p2 + p3, b = 2 * (p0 - 2 * p1 + p2), c = p1 - p0;
  const double scale = std::max({std::fabs(a), std::fabs(b), std::fabs(c)});
  if (std::fabs(a) <= 1e-12 * scale) {
    if (b != 0) widen(-c / b);
  } else {
    double discriminant = b * b - 4 * a * c;
    if (discriminant >= 0) {
      double root = std::sqrt(discriminant);
      widen((-b + root) / (2 * a));
      widen((-b - root) / (2 * a));
    }
  }
  return {low, high};
}

}  // namespace

void TBezierPathFunction::GetBounds(TRect& bounds) {
  bounds = TRect{};
  if (!ready_) return;
  auto [left, right] = BezierRange(*Cell(2, 0), *Cell(2, 6), *Cell(2, 8), *Cell(2, 2));
  auto [top, bottom] = BezierRange(*Cell(2, 1), *Cell(2, 7), *Cell(2, 9), *Cell(2, 3));
  bounds.Left = FloorInt(left);
  bounds.Top = FloorInt(top);
  bounds.Right = RoundAwayFromZero(right);
  bounds.Bottom = RoundAwayFromZero(bottom);
}

// --- Composite ------------------------------------------------------------------------

bool TCompositePathFunction::CellsReady() {
  return Bound({{0, 0}, {0, 1}, {1, 0}, {2, 2}, {2, 3}});
}

void TCompositePathFunction::DropCursor() {
  cursor_ = -1;
  cursorStart_ = 0;
}

void TCompositePathFunction::SetOwner(IFunctionOwner* owner) {
  TComplexPathFunction::SetOwner(owner);
  paths_.clear();
  for (IFunction* child : functions_->Functions()) paths_.push_back(Supports<IPathFunction>(child));
  DropCursor();
}

void TCompositePathFunction::Clear() {
  DropCursor();
  paths_.clear();
  TComplexPathFunction::Clear();
}

int64_t TCompositePathFunction::ChildDuration(size_t index) const {
  return paths_[index] ? paths_[index]->GetDuration() : 0;
}

void TCompositePathFunction::RunBefore() {
  TComplexPathFunction::RunBefore();
  if (paths_.empty()) return;
  int64_t total = 0;
  for (size_t i = 0; i < paths_.size(); ++i) total += ChildDuration(i);
  paramSpace_->SetCellValue(2, 4, static_cast<float>(total));
}

float TCompositePathFunction::GetLength() {
  float total = 0;
  for (const Ref<IPathFunction>& path : paths_)
    if (path) total += path->GetStoredLength();
  return total;
}

void TCompositePathFunction::Calculate() {
  if (!ready_) return;
  float* x = Cell(0, 0);
  float* y = Cell(0, 1);
  if (paths_.empty()) {
    *x = *Cell(2, 2);
    *y = *Cell(2, 3);
    return;
  }
  int64_t s = GetStep();
  if (cursor_ < 0 || s < cursorStart_) {
    cursor_ = 0;
    cursorStart_ = 0;
  }
  size_t last = paths_.size() - 1;
  while (static_cast<size_t>(cursor_) < last &&
         s >= cursorStart_ + ChildDuration(size_t(cursor_))) {
    cursorStart_ += ChildDuration(size_t(cursor_));
    ++cursor_;
  }
  IPathFunction* child = paths_[size_t(cursor_)].get();
  if (child && s - cursorStart_ < ChildDuration(size_t(cursor_))) {
    child->SetStep(SaturateInt32(s - cursorStart_));
    *x = child->GetX();
    *y = child->GetY();
  } else {
    *x = *Cell(2, 2);
    *y = *Cell(2, 3);
  }
}

void TCompositePathFunction::GetBounds(TRect& bounds) {
  bounds = TRect{};
  bool first = true;
  for (const Ref<IPathFunction>& path : paths_) {
    if (!path) continue;
    TRect part;
    path->GetBounds(part);
    if (first) {
      bounds = part;
      first = false;
      continue;
    }
    bounds.Left = std::min(bounds.Left, part.Left);
    bounds.Top = std::min(bounds.Top, part.Top);
    bounds.Right = std::max(bounds.Right, part.Right);
    bounds.Bottom = std::max(bounds.Bottom, part.Bottom);
  }
}

// --- Arbitrary ------------------------------------------------------------------------

void TArbitraryPathFunction::Calculate() {
  functions_->CalculateAll();
}
