// Move and circular-motion widgets.

#include "widgets/MoveWidgets.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "foundation/CheckedMath.h"

// ---------------------------------------------------------------------------------------
// TMoveWidget

void TMoveWidget::Init() {
  TSurfaceWidget::Init();
  anchorLeft_ = anchorTop_ = 0;
  SetTransparentLevel(255);
}

const TPropertyTable& TMoveWidget::Properties() {
  using M = TMoveWidget;
  // Points and levels missing from a file keep what the widget holds; files get none of
  // them back. As properties the points are only written, and move nothing at once.
  static const TPropertyTable table(
      TSurfaceWidget::Properties(),
      {
          Prop("startposx", &M::startX_).Int(&M::startX_).Coordinate().NotSaved().WriteOnly(),
          Prop("startposy", &M::startY_).Int(&M::startY_).Coordinate().NotSaved().WriteOnly(),
          Prop("endposx", &M::endX_).Int(&M::endX_).Coordinate().NotSaved().WriteOnly(),
          Prop("endposy", &M::endY_).Int(&M::endY_).Coordinate().NotSaved().WriteOnly(),
          Attr("start_trans_level", &M::startLevel_).Int(&M::startLevel_).NotSaved(),
          Attr("end_trans_level", &M::endLevel_).Int(&M::endLevel_).NotSaved(),
          Prop("freeze_on_finish", &M::freezeOnFinish_).Bool().NotSaved().WriteOnly(),
          Prop<M>(
              "currenttime", [](M& m) { return m.currentTime_; }, &M::SetCurrentTimeAndPlace),
      });
  return table;
}

void TMoveWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TSurfaceWidget::LoadFromXml(node);
  SetAnchorLeft(startX_);
  SetAnchorTop(startY_);
  SetTransparentLevel(startLevel_);
}

void TMoveWidget::SetCurrentTimeAndPlace(int32_t time) {
  if (time != currentTime_) {
    SetNeedsRedraw(true);
    currentTime_ = time;
  }
  UpdatePosition();
}

int32_t TMoveWidget::LevelAt(int32_t time) const {
  int64_t change = DivSafe64((int64_t(endLevel_) - startLevel_) * time, timeToLive_);
  return int32_t((startLevel_ + change) & 0xFF);
}

void TMoveWidget::Update(int32_t dt) {
  TSurfaceWidget::Update(dt);
  if (currentTime_ < 0) return;
  if (currentTime_ < timeToLive_) {
    UpdatePosition();
    if (startLevel_ != endLevel_) SetTransparentLevel(LevelAt(currentTime_));
    return;
  }
  SetPaused(freezeOnFinish_);
  SetVisible(!freezeOnFinish_);
  SetDead(!freezeOnFinish_);
}

void TMoveWidget::UpdatePosition() {
  if (timeToLive_ == 0) {
    SetAnchorLeft(startX_);
    SetAnchorTop(startY_);
    return;
  }
  // Points and times from data may span the whole 32-bit range: the product is taken in
  // 64 bits, where it always fits.
  // A clock not started yet rests on the start point rather than reaching back beyond it.
  const int32_t time = std::max(currentTime_, 0);
  auto along = [this, time](int32_t start, int32_t end) {
    double travelled = double((int64_t(end) - start) * time) / timeToLive_;
    return double(start) + double(RoundHalfEven64(travelled));
  };
  SetAnchorLeft(along(startX_, endX_));
  SetAnchorTop(along(startY_, endY_));
}

// ---------------------------------------------------------------------------------------
// TCircularMotionWidget

const TPropertyTable& TCircularMotionWidget::Properties() {
  using C = TCircularMotionWidget;
  static const TPropertyTable table(TMoveWidget::Properties(),
                                    {
                                        Attr("centerx", &C::centerX_).Int().Coordinate().NotSaved(),
                                        Attr("centery", &C::centerY_).Int().Coordinate().NotSaved(),
                                    });
  return table;
}

void TCircularMotionWidget::UpdatePosition() {
  if (timeToLive_ == 0) return TMoveWidget::UpdatePosition();
  constexpr double kPi = std::numbers::pi;
  double sx = double(startX_) - centerX_, sy = double(startY_) - centerY_;
  double ex = double(endX_) - centerX_, ey = double(endY_) - centerY_;
  double a0 = std::atan2(sy, sx), a1 = std::atan2(ey, ex);
  if ((a0 > 0 && a1 < 0) || (a0 < 0 && a1 > 0)) {
    if (a0 > kPi / 2) a1 += 2 * kPi;
    if (a0 < -kPi / 2) a0 += 2 * kPi;
  }
  double r0 = std::sqrt(sx * sx + sy * sy), r1 = std::sqrt(ex * ex + ey * ey);
  double f = double(std::max(currentTime_, 0)) / timeToLive_;
  double a = a0 + (a1 - a0) * f;
  double r = r0 + (r1 - r0) * f;
  SetAnchorLeft(std::cos(a) * r + centerX_);
  SetAnchorTop(std::sin(a) * r + centerY_);
}
