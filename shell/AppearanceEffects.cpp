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
  return platform::OffsetRect(r, dx, dy);
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

const TPropertyTable& TAbstractEffectWidget::Properties() {
  using E = TAbstractEffectWidget;
  static const TPropertyTable table(
      TVisualGroupWidget::Properties(),
      {
          Prop("enable_effects", &E::enableEffects_).Bool(true),
          Prop("skip_process_mouse", &E::skipProcessMouse_).Bool(true),
          Prop("applyingeffect", &E::running_).ReadOnly(),
          Prop<E>(
              "effect_state",
              [](E& e) { return e.effects_ ? Variant(e.effects_->GetState()) : Variant::Null(); }),
      });
  return table;
}

void TAbstractEffectWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::LoadFromXml(node);
  if (effects_) effects_->ReleaseOwner();
  effects_ = nullptr;
  // Whatever its "type" says, the element is an effect collection.
  if (node && node->GetChildCount("effects") > 0)
    effects_ = CreateAndLoadObject<TAppearanceEffectCollection>(node, "effects");
  if (effects_ && owner_) effects_->SetOwner(this);
}

void TAbstractEffectWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::SaveToXml(node);
  if (effects_) SaveObjectToChild(effects_, node, "effects");
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
  // Starting ran an update of 0 ms; the frame's own update must still advance the effect.
  effect->SetUpdated(false);
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

const TPropertyTable& TAppearanceEffectCollection::Properties() {
  using C = TAppearanceEffectCollection;
  static const TPropertyTable table(TVisualGroupWidget::Properties(),
                                    {
                                        Prop("state", &C::state_, &C::SetState),
                                    });
  return table;
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

const TPropertyTable& TAppearanceEffect::Properties() {
  using A = TAppearanceEffect;
  static const TPropertyTable table(
      TBehaviourWidget::Properties(),
      {
          Attr("sound_effect_name", &A::soundName_).Str("sound_effect"),
          Prop("durationtime", &A::duration_).Int(),
          Prop("state", &A::state_),
      });
  return table;
}

// The values handed to Start answer before every name of the base classes (the names of
// this class and its descendants come first).
Variant TAppearanceEffect::DoGetProperty(const std::string& name) {
  if (startParams_ && !TAppearanceEffect::Properties().Declares(Properties().Reader(name)))
    if (Ref<IParam> param = startParams_->FindParam(Variant(name))) return param->GetValue();
  return TBehaviourWidget::DoGetProperty(name);
}

void TAppearanceEffect::SetProperty(const std::string& name, const Variant& value) {
  if (startParams_ && !TAppearanceEffect::Properties().Declares(Properties().Writer(name)))
    if (Ref<IParam> param = startParams_->FindParam(Variant(name))) return param->SetValue(value);
  TBehaviourWidget::SetProperty(name, value);
}

// Start parameters come and go with every start: only the names of this class and its
// descendants are fixed.
bool TAppearanceEffect::ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                                        const TPropertyRow*& writer) {
  return TBehaviourWidget::ResolveProperty(name, reader, writer) &&
         TAppearanceEffect::Properties().Declares(reader) &&
         TAppearanceEffect::Properties().Declares(writer);
}

// ---------------------------------------------------------------------------------------
// TFunctionAppearanceEffect

void TFunctionAppearanceEffect::SetSurface(const Ref<ISurface>& surface) {
  if (!surfaceParamName_.empty())
    SetProperty(surfaceParamName_, Variant(Ref<IInterface>(surface.get())));
}

const TPropertyTable& TFunctionAppearanceEffect::Properties() {
  static const TPropertyTable table(
      TAppearanceEffect::Properties(),
      {
          Attr("surfaceparamname", &TFunctionAppearanceEffect::surfaceParamName_).Str(),
      });
  return table;
}
