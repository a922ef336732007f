#include "minigames/MiniGameShooter.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

const TPropertyTable& TShooterWidget::Properties() {
  using S = TShooterWidget;
  static const TPropertyTable table(TMiniGameWidget::Properties(), {
      Attr("time", &S::baseInterval_).Int(500),
      Attr("delta", &S::delta_).Float(1.0),
      Attr("maxscore", &S::maxScore_).Int(10),
      Attr("targetcount", &S::targetCount_).Int(),
  });
  return table;
}

void TShooterWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  interval_ = baseInterval_;
  targets_.clear();
  int32_t count = std::min(targetCount_, int32_t(node->GetChildCount("target")));
  for (int32_t i = 0; i < count; ++i) {
    Ref<IHierStorage> t = node->GetChild("target", i);
    TTarget target;
    target.name = ReadXmlStr(t, "name");
    target.cost = ReadXmlInt(t, "cost", 1);
    const char* names[4] = {"init", "idle", "dead", "leave"};
    for (int k = 0; k < 4; ++k) target.templates[k] = ReadXmlStr(t, names[k], "null_widget");
    targets_.push_back(std::move(target));
  }
  score_ = 0;
  playing_ = true;
  lastShot_ = "NONE_WIDGET";
}

int TShooterWidget::TargetState(const std::string& name) const {
  for (const TTarget& t : targets_)
    if (t.name == name) return t.state;
  return -1;
}

void TShooterWidget::SetState(TTarget& target, uint8_t state) {
  target.state = state;
  if (state == kHidden) return;
  KillChild(target.stateWidget);
  // Appearing, idle, hit and leaving, in the order of the templates.
  static constexpr int kTemplate[5] = {-1, 0, 1, 3, 2};
  TPoint mouse = ToChildSpace(ScreenToLocalPoint(owner_ ? owner_->GetMousePos() : TPoint{}));
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name", Variant(target.name));
  params->SetValue("mouse_x", Variant::Integer(SaturateInt32(int64_t(mouse.X) + 171)));
  params->SetValue("mouse_y", Variant::Integer(mouse.Y));
  Ref<IWidget> widget = MakeChild(target.templates[kTemplate[state]], params);
  target.stateWidget = widget ? widget->GetName() : std::string("null_widget");
}

void TShooterWidget::UpdateTarget(TTarget& target) {
  if (target.stateWidget != "null_widget" && HasChild(target.stateWidget)) return;
  switch (target.state) {
    case kAppearing:
      SetState(target, kIdle);
      break;
    case kIdle:
      SetState(target, kLeaving);
      break;
    case kLeaving:
    case kHit:
      SetState(target, kHidden);
      break;
    default:
      break;
  }
}

void TShooterWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  for (TTarget& target : targets_) UpdateTarget(target);
  if (Ref<IWidget> score = children_->GetByName("score"))
    score->SetProperty("text", Variant::Integer(score_));
  if (!HasChild("time") && playing_) {
    Ref<IParamCollection> params = NewParams();
    params->SetValue("time", Variant::Integer(RoundHalfEven(interval_)));
    MakeChild("time", params);
    SpawnTarget();
  }
}

void TShooterWidget::SpawnTarget() {
  int32_t count = int32_t(targets_.size());
  int32_t n = Random(count);
  int32_t a = 0;
  for (int32_t step = 0; step <= n; ++step) {
    int32_t found = -1;
    for (int32_t j = 1; j <= count && found < 0; ++j)
      if (targets_[size_t((a + j) % count)].state == kHidden) found = (a + j) % count;
    if (found < 0) return;
    a = found;
  }
  if (count > 0) SetState(targets_[size_t(a)], kAppearing);
}

bool TShooterWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (!playing_ || message != input::kLeftButtonDown) return result;
  TTarget* hit = nullptr;
  if (hovered_)
    for (TTarget& t : targets_)
      if (t.name == hovered_->GetName()) hit = &t;
  KillChild(lastShot_);
  Ref<IWidget> shot = MakeChild("shoot", NewParams());
  lastShot_ = shot ? shot->GetName() : std::string("NONE_WIDGET");
  if (hit && hit->state >= kAppearing && hit->state <= kLeaving) {
    SetState(*hit, kHit);
    score_ = SaturateInt32(int64_t(score_) + hit->cost);
    interval_ *= delta_;
    if (score_ >= maxScore_) Win();
  } else {
    interval_ = baseInterval_;
  }
  return result;
}
