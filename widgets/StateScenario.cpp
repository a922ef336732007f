#include "widgets/StateScenario.h"

#include "foundation/CheckedMath.h"
#include "foundation/Routines.h"
#include "platform/InputConstants.h"

void TStateScenario::Init() {
  TScenario::Init();
  states_.clear();
  firstUpdatePending_ = true;
  clickToComplete_ = false;
  current_ = nullptr;
}

const TPropertyTable& TStateScenario::Properties() {
  using S = TStateScenario;
  // Setting the flag does not finish the scenario; SetForceComplete does.
  static const TPropertyTable table(TScenario::Properties(),
                                    {
                                        Prop("force_complete", &S::forceComplete_),
                                    });
  return table;
}

// ---------------------------------------------------------------------------------------
// States

bool TStateScenario::AddState(const std::string& name, const std::string& nextName,
                              TStateCallbacks callbacks) {
  if (FindState(std::string_view(name))) return false;
  // Entering a state may add states; the current one stays where it is.
  states_.push_back(std::make_unique<TState>(name, nextName, std::move(callbacks)));
  return true;
}

TState* TStateScenario::FindState(std::string_view name) {
  for (const auto& state : states_)
    if (SameText(state->GetName(), name)) return state.get();
  return nullptr;
}

TState* TStateScenario::FindState(const Variant& key) {
  if (key.IsString()) return FindState(std::string_view(key.RawText()));
  if (key.IsClear()) return nullptr;
  auto index = key.TryInt();
  if (!index || *index < 0 || *index >= int64_t(states_.size())) return nullptr;
  return states_[size_t(*index)].get();
}

void TStateScenario::GotoState(std::string_view name) {
  if (current_) previousStateName_ = current_->GetName();
  current_ = FindState(name);
  if (!current_) {
    SetDead(true);
    return;
  }
  stateTime_ = 0;
  if (current_->Callbacks().OnEnter) current_->Callbacks().OnEnter(*current_);
}

void TStateScenario::Start() {
  TState* first = FindState(std::string_view("enter"));
  if (!first && !states_.empty()) first = states_.front().get();
  if (first) GotoState(first->GetName());
  previousStateName_.clear();
}

void TStateScenario::CheckTransition() {
  TState* state = current_;
  if (!state) return;
  const TStateCallbacks& callbacks = state->Callbacks();
  if (callbacks.CanLeave && !callbacks.CanLeave(*state)) return;
  successor_ = state->GetNextName();
  if (callbacks.GetNext) {
    callbacks.GetNext(*state, successor_);
    if (successor_ == "next") successor_ = state->GetNextName();
  }
  // GotoState may run callbacks that change successor_ through another transition.
  std::string next = std::move(successor_);
  GotoState(next);
  successor_ = std::move(next);
}

void TStateScenario::Finish() {
  SetDead(true);
}

void TStateScenario::SetForceComplete(bool value) {
  if (!value) return;
  forceComplete_ = true;
  Finish();
}

// ---------------------------------------------------------------------------------------
// Building blocks

void TStateScenario::RestartTimer(int32_t duration) {
  if (currentTime_ > 0) currentTime_ = 0;
  timerDuration_ = duration;
}

bool TStateScenario::TimerElapsed() {
  if (currentTime_ < timerDuration_) return false;
  timerDuration_ = 0;
  return true;
}

void TStateScenario::AddWaitWidget(const std::string& name) {
  waitList_ = waitList_.empty() ? name : name + ";" + waitList_;
}

bool TStateScenario::WaitListDone() {
  std::string_view list = waitList_;
  while (!list.empty()) {
    size_t end = list.find(';');
    std::string_view name = list.substr(0, end);
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    if (name.empty()) continue;
    // A plain name is a child: found without building a key, as this runs every frame.
    Ref<IWidget> widget = name.find('/') == std::string_view::npos && name != "." && name != ".."
                              ? children_->GetByName(name)
                              : FindWidget(name);
    if (widget && !widget->IsDead()) return false;
  }
  waitList_.clear();
  return true;
}

Ref<IWidget> TStateScenario::CreateChildWidget(IWidget* parent, const std::string& factoryName,
                                               bool addToWaitList,
                                               const Ref<IParamCollection>& params) {
  if (!parent) return nullptr;
  Ref<IWidgetCollection> children = parent->GetChildren();
  if (!children) return nullptr;
  Ref<IWidget> widget = CreateWidgetFromFactory(factoryName, params);
  if (!widget) return nullptr;
  std::string name = widget->GetName();
  if (children->GetByName(name) || !children->Add(widget)) return nullptr;
  if (addToWaitList) AddWaitWidget(name);
  return widget;
}

Ref<IWidget> TStateScenario::CreateChildWidget(const std::string& factoryName,
                                               const Ref<IParamCollection>& params,
                                               bool addToWaitList) {
  return CreateChildWidget(this, factoryName, addToWaitList, params);
}

// ---------------------------------------------------------------------------------------
// The machine

void TStateScenario::Update(int32_t dt) {
  // A state's callbacks may close the screen that holds the scenario.
  Ref<IWidget> keep(this);
  TScenario::Update(dt);
  stateTime_ = SaturateInt32(int64_t(stateTime_) + dt);
  if (currentTime_ < 0) return;
  if (firstUpdatePending_) {
    firstUpdatePending_ = false;
    Start();
  }
  if (TState* state = current_) {
    if (state->Callbacks().OnUpdate) state->Callbacks().OnUpdate(*state, dt);
    CheckTransition();
  }
}

Ref<IWidget> TStateScenario::WidgetAtPos(const TPoint& point) {
  Ref<IWidget> hit = TScenario::WidgetAtPos(point);
  if (hit || !clickToComplete_) return hit;
  return IsVisible() && IsMouseStop() ? Ref<IWidget>(this) : nullptr;
}

bool TStateScenario::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool handled = TScenario::HandleMouse(message, point, keys);
  if (clickToComplete_ && input::IsButtonUp(message)) SetForceComplete(true);
  return handled;
}
