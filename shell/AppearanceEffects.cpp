#include "shell/AppearanceEffects.h"

#include "foundation/CheckedMath.h"

namespace {

bool IsVisibilityEffect(const std::string& name) {
  return name == "show_effect" || name == "hide_effect";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TAbstractEffectWidget

void TAbstractEffectWidget::Init() {
  TVisualGroupWidget::Init();
  enableEffects_ = true;
  skipProcessMouse_ = true;
}

TAbstractEffectWidget::~TAbstractEffectWidget() {
  if (effects_) effects_->ReleaseOwner();
}

Ref<IAppearanceEffects> TAbstractEffectWidget::GetEffects() {
  return Ref<IAppearanceEffects>(effects_.get());
}

void TAbstractEffectWidget::ApplyEffect(const std::string& name) {
  if (running_) EndEffect();
  if (enableEffects_ && effects_ && effects_->HasEffect(name) && owner_) {
    TRect rect = TVisualGroupWidget::GetRect();
    offsetX_ = rect.Left - anchorLeft_;
    offsetY_ = rect.Top - anchorTop_;
    if (captured_ && captured_->GetWidth() == rect.Width() &&
        captured_->GetHeight() == rect.Height()) {
      captured_->Clear();
      Draw(captured_.get(), RoundHalfEven(anchorLeft_ - rect.Left),
           RoundHalfEven(anchorTop_ - rect.Top));
    } else {
      captured_ = GetImage();
    }
    Ref<TAppearanceEffectCollection> effects = effects_;
    effects->ApplyEffect(name, captured_, nullptr);
    running_ = effects->GetState() == 0;
  }
  if (running_) {
    changed_ = true;
    SetNeedsRedraw(true);
    applyingName_ = name;
  }
  OnEffectApplied(name, running_);
}

void TAbstractEffectWidget::EndEffect() {
  running_ = false;
  changed_ = true;
  SetNeedsRedraw(true);
  postEffectRects_ = true;
  // The hook may start the next effect, which names itself.
  std::string name = std::move(applyingName_);
  applyingName_.clear();
  OnEffectFinished(name);
}

void TAbstractEffectWidget::OnEffectApplied(const std::string&, bool) {}

void TAbstractEffectWidget::OnEffectFinished(const std::string&) {}

void TAbstractEffectWidget::Update(int32_t dt) {
  if (!running_ || !effects_) return TVisualGroupWidget::Update(dt);
  // The effect runs on the elapsed time as it is; the content stays frozen meanwhile.
  Ref<TAppearanceEffectCollection> effects = effects_;
  effects->Update(dt);
  if (running_ && effects->GetState() != 0) EndEffect();
}

void TAbstractEffectWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!running_ || !effects_) return TVisualGroupWidget::Draw(surface, x, y);
  effects_->Draw(surface, RoundHalfEven(effects_->GetAnchorLeft() + (x + offsetX_)),
                 RoundHalfEven(effects_->GetAnchorTop() + (y + offsetY_)));
}

TRect TAbstractEffectWidget::GetRect() {
  if (!running_ || !effects_) return TVisualGroupWidget::GetRect();
  TRect r = effects_->GetRect();
  int32_t dx = RoundHalfEven(anchorLeft_ + offsetX_);
  int32_t dy = RoundHalfEven(anchorTop_ + offsetY_);
  return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

TPoint TAbstractEffectWidget::ScreenToLocal(const TPoint& point) {
  TPoint p = TVisualGroupWidget::ScreenToLocal(point);
  if (!running_) return p;
  return TPoint{SaturateInt32(int64_t(p.X) - RoundHalfEven(offsetX_)),
                SaturateInt32(int64_t(p.Y) - RoundHalfEven(offsetY_))};
}

void TAbstractEffectWidget::UpdateDirtyRects(bool forceOld, bool forceNew) {
  TVisualGroupWidget::UpdateDirtyRects(forceOld, forceNew);
  if ((running_ || postEffectRects_) && effects_) {
    effects_->UpdateDirtyRects(forceOld || postEffectRects_, forceNew || postEffectRects_);
    if (effects_->IsInvalidated()) invalidated_ = true;
  }
  postEffectRects_ = false;
}

bool TAbstractEffectWidget::IsMouseStop() {
  if (running_ && skipProcessMouse_) return false;
  return TVisualGroupWidget::IsMouseStop();
}

void TAbstractEffectWidget::SetOwner(IWidgetOwner* owner) {
  TVisualGroupWidget::SetOwner(owner);
  captured_ = nullptr;
  if (effects_) effects_->SetOwner(this);
}

void TAbstractEffectWidget::ReleaseOwner() {
  if (effects_) effects_->ReleaseOwner();
  captured_ = nullptr;
  TVisualGroupWidget::ReleaseOwner();
}

void TAbstractEffectWidget::Reset() {
  if (effects_) effects_->ReleaseOwner();
  effects_ = nullptr;
  TVisualGroupWidget::Reset();
}

Variant TAbstractEffectWidget::DoGetProperty(const std::string& name) {
  if (name == "applyingeffect") return Variant(running_);
  if (name == "effect_state") return effects_ ? Variant(effects_->GetState()) : Variant::Null();
  if (name == "enable_effects") return Variant(enableEffects_);
  if (name == "skip_process_mouse") return Variant(skipProcessMouse_);
  return TVisualGroupWidget::DoGetProperty(name);
}

void TAbstractEffectWidget::SetProperty(const std::string& name, const Variant& value) {
  if (name == "applyingeffect" || name == "effect_state") return;
  if (name == "enable_effects") {
    if (auto v = value.TryBool()) enableEffects_ = *v;
  } else if (name == "skip_process_mouse") {
    if (auto v = value.TryBool()) skipProcessMouse_ = *v;
  } else {
    TVisualGroupWidget::SetProperty(name, value);
  }
}

void TAbstractEffectWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::LoadFromXml(node);
  enableEffects_ = ReadXmlBool(node, "enable_effects", true);
  skipProcessMouse_ = ReadXmlBool(node, "skip_process_mouse", true);
  if (effects_) effects_->ReleaseOwner();
  effects_ = nullptr;
  // Whatever its "type" says, the element is an effect collection.
  if (node && node->GetChildCount("effects") > 0)
    effects_ = CreateAndLoadObject<TAppearanceEffectCollection>(node, "effects");
  if (effects_ && owner_) effects_->SetOwner(this);
}

void TAbstractEffectWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::SaveToXml(node);
  WriteXmlBool(node, "enable_effects", enableEffects_, !enableEffects_);
  WriteXmlBool(node, "skip_process_mouse", skipProcessMouse_, !skipProcessMouse_);
  if (effects_) SaveObjectToChild(Ref<IInterface>(static_cast<IWidget*>(effects_.get())), node, "effects");
}

// ---------------------------------------------------------------------------------------
// TAppearanceEffectWidget

void TAppearanceEffectWidget::SetVisible(bool value) {
  if (!effects_) return TVisualWidget::SetVisible(value);
  // A hide effect is running: it ends now, which hides the widget.
  if (running_ && visible_ != pendingVisible_) EndEffect();
  if (value == visible_) return;
  pendingVisible_ = value;
  if (value) TVisualWidget::SetVisible(true);
  ApplyEffect(value ? "show_effect" : "hide_effect");
}

void TAppearanceEffectWidget::OnEffectApplied(const std::string& name, bool started) {
  if (!started && IsVisibilityEffect(name)) TVisualWidget::SetVisible(pendingVisible_);
}

void TAppearanceEffectWidget::OnEffectFinished(const std::string& name) {
  if (IsVisibilityEffect(name)) TVisualWidget::SetVisible(pendingVisible_);
}

// ---------------------------------------------------------------------------------------
// TAppearanceEffectCollection

bool TAppearanceEffectCollection::HasEffect(const std::string& name) {
  return bool(children_->GetByName(name));
}

void TAppearanceEffectCollection::ApplyEffect(const std::string& name, const Ref<ISurface>& surface,
                                              const Ref<IParamCollection>& params) {
  SetState(1);
  Ref<IAppearanceEffect> effect = Supports<IAppearanceEffect>(children_->GetByName(name));
  if (!effect) return;
  SetState(0);
  current_ = effect;
  effect->SetVisible(true);
  effect->SetPaused(false);
  effect->Start(surface, params);
  SetState(effect->GetState());
}

void TAppearanceEffectCollection::SetState(int32_t state) {
  if (state == state_) return;
  state_ = state;
  if (state != 1 || !current_) return;
  Ref<IAppearanceEffect> effect = std::move(current_);
  current_ = nullptr;
  effect->SetVisible(false);
  effect->SetPaused(true);
}

void TAppearanceEffectCollection::Update(int32_t dt) {
  TVisualGroupWidget::Update(dt);
  // One look per update: the effect advances only between updates.
  if (state_ != 0) return;
  if (!current_) return SetState(1);
  Variant state = current_->GetProperty("state");
  auto value = state.TryInt();
  SetState(state.IsClear() || !value ? 1 : SaturateInt32(*value));
}

void TAppearanceEffectCollection::ReleaseOwner() {
  current_ = nullptr;
  TVisualGroupWidget::ReleaseOwner();
}

Variant TAppearanceEffectCollection::DoGetProperty(const std::string& name) {
  if (name == "state") return Variant(state_);
  return TVisualGroupWidget::DoGetProperty(name);
}

void TAppearanceEffectCollection::SetProperty(const std::string& name, const Variant& value) {
  if (name != "state") return TVisualGroupWidget::SetProperty(name, value);
  if (auto v = value.TryInt()) SetState(SaturateInt32(*v));
}

void TAppearanceEffectCollection::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::LoadFromXml(node);
  // Effects are seen only while they run.
  TVisualWidget::SetVisible(true);
  for (IWidget* effect : children_->Widgets()) {
    effect->SetVisible(false);
    effect->SetPaused(true);
  }
}

// ---------------------------------------------------------------------------------------
// TAppearanceEffect

void TAppearanceEffect::Init() {
  TBehaviourWidget::Init();
  soundName_ = "sound_effect";
  state_ = -1;
}

void TAppearanceEffect::Start(const Ref<ISurface>& surface, const Ref<IParamCollection>& params) {
  SetSurface(surface);
  startParams_ = params ? CloneParams(params) : nullptr;
  Restart();
  soundPending_ = true;
}

void TAppearanceEffect::Restart() {
  TBehaviourWidget::Restart();
  state_ = 0;
}

void TAppearanceEffect::Update(int32_t dt) {
  TBehaviourWidget::Update(dt);
  if (soundPending_ && dt > 0) {
    soundPending_ = false;
    PlaySound(soundName_);
  }
  if (currentTime_ >= duration_) state_ = 1;
}

Variant TAppearanceEffect::DoGetProperty(const std::string& name) {
  if (name == "durationtime") return Variant(duration_);
  if (name == "state") return Variant(state_);
  if (startParams_)
    if (Ref<IParam> param = startParams_->FindParam(Variant(name))) return param->GetValue();
  return TBehaviourWidget::DoGetProperty(name);
}

void TAppearanceEffect::SetProperty(const std::string& name, const Variant& value) {
  if (name == "durationtime") {
    if (auto v = value.TryInt()) duration_ = SaturateInt32(*v);
  } else if (name == "state") {
    if (auto v = value.TryInt()) state_ = SaturateInt32(*v);
  } else if (Ref<IParam> param = startParams_ ? startParams_->FindParam(Variant(name)) : nullptr) {
    param->SetValue(value);
  } else {
    TBehaviourWidget::SetProperty(name, value);
  }
}

void TAppearanceEffect::LoadFromXml(const Ref<IHierStorage>& node) {
  TBehaviourWidget::LoadFromXml(node);
  soundName_ = ReadXmlStr(node, "sound_effect_name", "sound_effect");
  duration_ = ReadXmlInt(node, "durationtime", 0);
}

void TAppearanceEffect::SaveToXml(const Ref<IHierStorage>& node) {
  TBehaviourWidget::SaveToXml(node);
  WriteXmlStr(node, "sound_effect_name", soundName_, soundName_ != "sound_effect");
  WriteXmlInt(node, "durationtime", duration_, duration_ != 0);
}

// ---------------------------------------------------------------------------------------
// TFunctionAppearanceEffect

void TFunctionAppearanceEffect::SetSurface(const Ref<ISurface>& surface) {
  if (!surfaceParamName_.empty())
    SetProperty(surfaceParamName_, Variant(Ref<IInterface>(surface.get())));
}

void TFunctionAppearanceEffect::LoadFromXml(const Ref<IHierStorage>& node) {
  TAppearanceEffect::LoadFromXml(node);
  surfaceParamName_ = ReadXmlStr(node, "surfaceparamname");
}

void TFunctionAppearanceEffect::SaveToXml(const Ref<IHierStorage>& node) {
  TAppearanceEffect::SaveToXml(node);
  WriteXmlStr(node, "surfaceparamname", surfaceParamName_, !surfaceParamName_.empty());
}
