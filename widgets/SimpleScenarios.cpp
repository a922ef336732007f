#include "widgets/SimpleScenarios.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"

namespace {

const std::string kTransparentLevel = "transparentlevel";
const std::string kLoop = "loop";

// A value holding a surface, or nothing.
Ref<ISurface> SurfaceOf(const Variant& value) {
  return value.GetKind() == Variant::Kind::Interface ? Supports<ISurface>(value.RawInterface())
                                                     : nullptr;
}

Variant AsVariant(const Ref<ISurface>& surface) {
  return surface ? Variant(Ref<IInterface>(surface.get())) : Variant::Null();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Transparent scenario

void TTransparentScenario::Init() {
  TScenario::Init();
  timeToLive_ = 0;
}

const TPropertyTable& TTransparentScenario::Properties() {
  using T = TTransparentScenario;
  static const TPropertyTable table(
      TScenario::Properties(),
      {
          Attr("start_trans_level", &T::startLevel_).Int(255).Always(),
          Attr("end_trans_level", &T::endLevel_).Int(255).Always(),
          Attr("makeinvisible", &T::makeInvisible_).Bool().Always(),
          Prop<T>(
              "widget", [](T& t) { return t.linked_; },
              [](T& t, const Ref<IWidget>& widget) { t.SetLinkedWidget(widget); }),
      });
  return table;
}

int32_t TTransparentScenario::LevelAt(int32_t time) const {
  // Without a lifetime there is no way through the levels: the start level holds.
  if (timeToLive_ <= 0) return startLevel_;
  int64_t level = int64_t(startLevel_) + (int64_t(endLevel_) - startLevel_) * time / timeToLive_;
  return int32_t(std::clamp<int64_t>(level, 0, 255));
}

void TTransparentScenario::SetLinkedWidget(const Ref<IWidget>& widget) {
  if (linked_) linked_->ReleaseOwner();
  linked_ = widget;
  if (!linked_) return;
  savedLevel_ = uint8_t(std::clamp(linked_->GetTransparentLevel(), 0, 255));
  linked_->SetProperty(kTransparentLevel, Variant(LevelAt(currentTime_)));
}

void TTransparentScenario::Update(int32_t dt) {
  Ref<IWidget> keep(this);
  TScenario::Update(dt);
  int32_t t = currentTime_;
  if (t > 0 && t < timeToLive_ && linked_)
    linked_->SetProperty(kTransparentLevel, Variant(LevelAt(t)));
  if (timeToLive_ < t) {
    Finish();
    SetDead(true);
  }
}

void TTransparentScenario::Finish() {
  if (!linked_) return;
  Ref<IWidget> linked = std::move(linked_);
  linked->SetTransparentLevel(savedLevel_);
  if (makeInvisible_) linked->SetVisible(false);
}

void TTransparentScenario::ReleaseOwner() {
  Finish();
  TScenario::ReleaseOwner();
}

// ---------------------------------------------------------------------------------------
// Move scenario

const TPropertyTable& TMoveScenario::Properties() {
  using T = TMoveScenario;
  static const TPropertyTable table(TTransparentScenario::Properties(),
                                    {
                                        Attr("startposx", &T::startX_).Int().Always(),
                                        Attr("startposy", &T::startY_).Int().Always(),
                                        Attr("endposx", &T::endX_).Int().Always(),
                                        Attr("endposy", &T::endY_).Int().Always(),
                                    });
  return table;
}

void TMoveScenario::Update(int32_t dt) {
  Ref<IWidget> keep(this);
  TTransparentScenario::Update(dt);
  if (currentTime_ > 0 && currentTime_ < timeToLive_) UpdatePosition();
}

void TMoveScenario::UpdatePosition() {
  if (!linked_ || timeToLive_ <= 0) return;
  double share = double(currentTime_) / double(timeToLive_);
  linked_->SetAnchorLeft(startX_ + (double(endX_) - startX_) * share);
  linked_->SetAnchorTop(startY_ + (double(endY_) - startY_) * share);
}

void TMoveScenario::Finish() {
  if (linked_) {
    linked_->SetAnchorLeft(endX_);
    linked_->SetAnchorTop(endY_);
  }
  TTransparentScenario::Finish();
}

// ---------------------------------------------------------------------------------------
// Test scenario

void TTestScenario::Update(int32_t dt) {
  Ref<IWidget> keep(this);
  TScenario::Update(dt);
  if (currentTime_ <= 0) return;
  Pause();
  currentTime_ = 0;
  IWindow* window = owner_ ? owner_->GetWindow() : nullptr;
  Ref<IWidgetCollection> screen = window ? window->GetChildren() : nullptr;
  for (int i = 0; i < 100 && owner_; ++i) {
    ++count_;
    int32_t x = Random(640);
    int32_t y = Random(480);
    Ref<IParamCollection> params = ParamsFromString("name=butterfly" + std::to_string(count_));
    params->SetValue("left", Variant(x));
    params->SetValue("top", Variant(y));
    Ref<IWidget> butterfly = owner_->CreateWidgetFromFactory("Butterfly", params);
    if (butterfly && screen) screen->Add(butterfly);
  }
}

// ---------------------------------------------------------------------------------------
// Transition effects

const TPropertyTable& TTransitionEffectWidget::Properties() {
  using T = TTransitionEffectWidget;
  // Answered after the group's own names, aliases and extra parameters.
  static const TPropertyTable table(
      TScenario::Properties(),
      {
          Prop("durationtime", &T::duration_).Int().Always().AfterAliases(),
          Prop<T>(
              "surface1", [](T& t) { return AsVariant(t.surface1_); },
              [](T& t, const Variant& v) { t.surface1_ = SurfaceOf(v); })
              .AfterAliases(),
          Prop<T>(
              "surface2", [](T& t) { return AsVariant(t.surface2_); },
              [](T& t, const Variant& v) { t.surface2_ = SurfaceOf(v); })
              .AfterAliases(),
      });
  return table;
}

void TTransitionEffectWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TScenario::LoadFromXml(node);
  for (IWidget* child : children_->Widgets()) {
    child->SetVisible(false);
    child->SetPaused(true);
  }
}

void TSequienceTransitionEffectWidget::Init() {
  TTransitionEffectWidget::Init();
  current_ = -1;
}

void TSequienceTransitionEffectWidget::Update(int32_t dt) {
  Ref<IWidget> keep(this);
  TTransitionEffectWidget::Update(dt);
  int32_t count = children_->WidgetCount();
  if (count > 0 && duration_ > 0)
    ShowFrame(RoundHalfEven(double(count) * double(currentTime_) / double(duration_)));
}

void TSequienceTransitionEffectWidget::ShowFrame(int32_t index) {
  int32_t count = children_->WidgetCount();
  if (GetPropertyDef(kLoop, Variant("no")).ToString() == "yes") index = ModSafe(index, count);
  if (index == current_) return;
  if (Ref<IWidget> shown = children_->GetByIndex(current_)) {
    shown->SetVisible(false);
    shown->SetPaused(true);
  }
  current_ = index;
  if (Ref<IWidget> next = children_->GetByIndex(current_)) {
    next->SetProperty("surface1", AsVariant(surface1_));
    next->SetProperty("surface2", AsVariant(surface2_));
    next->SetVisible(true);
    next->SetPaused(false);
  }
}
