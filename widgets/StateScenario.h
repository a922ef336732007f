#pragma once
// "state_scenario": a non-drawing group that runs a small machine of named states, one
// step per update. The states and what they do come from the class that builds them (the
// gameplay's animations and level sequences derive from it and add their states in Init);
// this class runs them and offers the usual building blocks: a timer on the scenario's own
// clock, a list of children to wait for, children made from factories, and a mode in
// which a click anywhere on the scenario finishes it.
//
//   class TBlink : public TStateScenario {
//     void Init() override {
//       TStateScenario::Init();
//       AddState("enter", "wait", {.OnEnter = [this](TState&) { RestartTimer(300); },
//                                  .CanLeave = When(&TBlink::TimerElapsed)});
//       AddState("wait", "", TStateCallbacks()
//                                .Leave(When(&TBlink::WaitListDone))
//                                .Enter([this](TState&) { CreateChildWidget("spark", {}, true);
//                                }));
//     }
//   };
//
// An update: the children and the clock advance; while the clock is negative (a start
// delay) nothing else happens; the first such update enters "enter" (else the first state
// added); then the current state's OnUpdate runs and, when the state may be left, its
// successor is entered. At most one transition happens per update. A successor that names
// no state ends the scenario.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/WidgetClasses.h"

class TState;

// The callbacks of one state, each optional, taken by name so that callers never depend on
// an order of arguments: designated initializers in the order below, or the setters in any
// order (TStateCallbacks().Leave(...).Enter(...)).
struct TStateCallbacks {
  using TEnter = std::function<void(TState& state)>;
  using TUpdate = std::function<void(TState& state, int32_t dt)>;
  using TCanLeave = std::function<bool(TState& state)>;
  using TGetNext = std::function<void(TState& state, std::string& next)>;

  // On entering the state (also when a state is entered again).
  TEnter OnEnter = nullptr;
  // Every update while the state is current, with the elapsed milliseconds.
  TUpdate OnUpdate = nullptr;
  // Whether the state may be left now; without it the state is left at its first update.
  TCanLeave CanLeave = nullptr;
  // May change the successor (it starts as the state's next name); "next" keeps it.
  TGetNext GetNext = nullptr;

  TStateCallbacks& Enter(TEnter f) { return OnEnter = std::move(f), *this; }
  TStateCallbacks& Update(TUpdate f) { return OnUpdate = std::move(f), *this; }
  TStateCallbacks& Leave(TCanLeave f) { return CanLeave = std::move(f), *this; }
  TStateCallbacks& Next(TGetNext f) { return GetNext = std::move(f), *this; }
};

// One named state of a scenario.
class TState {
 public:
  TState(std::string name, std::string nextName, TStateCallbacks callbacks)
      : name_(std::move(name)), nextName_(std::move(nextName)), callbacks_(std::move(callbacks)) {}

  const std::string& GetName() const { return name_; }
  const std::string& GetNextName() const { return nextName_; }
  void SetNextName(const std::string& name) { nextName_ = name; }
  const TStateCallbacks& Callbacks() const { return callbacks_; }

 private:
  std::string name_;
  std::string nextName_;
  TStateCallbacks callbacks_;
};

// The base of scripting groups: a group widget with nothing of its own.
class TScenario : public TVisualGroupWidget {};

class TStateScenario : public TScenario {
 public:
  void Init() override;

  // False (and nothing added) when a state of that name exists (any case).
  bool AddState(const std::string& name, const std::string& nextName,
                TStateCallbacks callbacks = {});
  // By name (a string, any case) or by position (an integer); nothing when absent.
  TState* FindState(const Variant& key);
  TState* FindState(std::string_view name);
  int StateCount() const { return int(states_.size()); }

  // Enters the named state: the state time starts again and its OnEnter runs. A name of
  // no state ends the scenario (how a last state with an empty next name ends it).
  void GotoState(std::string_view name);
  // Enters "enter", else the first state; nothing without states.
  void Start();
  // Leaves the current state when it may be left.
  void CheckTransition();

  // The scenario's own ending; the base dies.
  virtual void Finish();
  // Dies without Finish.
  void Kill() { SetDead(true); }

  // The timer runs on the scenario's clock: a positive clock goes back to 0 (a negative
  // start delay is kept) and the timer waits Duration milliseconds.
  void RestartTimer(int32_t duration);
  // The clock has reached the duration; the duration then becomes 0, so it stays elapsed
  // until the next RestartTimer.
  bool TimerElapsed();
  // Adds a child's name (a path from the scenario) to the wait list.
  void AddWaitWidget(const std::string& name);
  // No widget of the wait list is alive (missing or dead); the list is then emptied.
  bool WaitListDone();
  bool AlwaysTrue() { return true; }
  // A CanLeave callback from a test of this class or of a derived one:
  // .CanLeave = When(&TStateScenario::TimerElapsed).
  template <class C>
  std::function<bool(TState&)> When(bool (C::*test)()) {
    C* self = static_cast<C*>(this);
    return [self, test](TState&) { return (self->*test)(); };
  }

  // A widget from the factory FactoryName (the scenario's own factories first, then its
  // owners'), added to Parent's children; with AddToWaitList its name joins the wait list.
  // Nothing (and the new widget dropped) when Parent has no children, the factory makes
  // nothing, or Parent has a child of the new widget's name already.
  Ref<IWidget> CreateChildWidget(IWidget* parent, const std::string& factoryName,
                                 bool addToWaitList, const Ref<IParamCollection>& params);
  // The same with the scenario itself as the parent.
  Ref<IWidget> CreateChildWidget(const std::string& factoryName,
                                 const Ref<IParamCollection>& params, bool addToWaitList);

  bool IsForceComplete() const { return forceComplete_; }
  // True sets the flag and finishes the scenario; false changes nothing.
  void SetForceComplete(bool value);

  TState* GetCurrentState() const { return current_; }
  const std::string& GetPreviousStateName() const { return previousStateName_; }
  // Milliseconds since the current state was entered.
  int32_t GetStateTime() const { return stateTime_; }
  const std::string& GetWaitList() const { return waitList_; }
  int32_t GetTimerDuration() const { return timerDuration_; }
  bool IsClickToComplete() const { return clickToComplete_; }
  void SetClickToComplete(bool value) { clickToComplete_ = value; }

  void Update(int32_t dt) override;
  // With click to complete: the scenario itself where no child answers.
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  // With click to complete: any button's release finishes the scenario.
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

 protected:
  const TPropertyTable& Properties() override;

  std::vector<std::unique_ptr<TState>> states_;
  bool firstUpdatePending_ = true;
  bool forceComplete_ = false;
  TState* current_ = nullptr;
  std::string waitList_;
  std::string previousStateName_;
  int32_t stateTime_ = 0;
  bool clickToComplete_ = false;
  int32_t timerDuration_ = 0;

 private:
  // Kept between transitions so that leaving a state allocates nothing.
  std::string successor_;
};
