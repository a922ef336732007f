#pragma once
// "statemachine_widget": animates a character by switching between its children at
// random. Each child is one action (an idle loop, a blink, a gesture); the "actiondefs"
// table says, for each numbered state, which actions may follow, with what weight, for how
// long, and which state comes after.
//
//   <widget type="statemachine_widget" name="gull" visible="yes">
//     <widgets>...children "idle", "flap", "look"...</widgets>
//     <actiondefs>
//       <actiondef state="0" probability="3" duration="1200" nextstate="0" widgetname="idle"/>
//       <actiondef state="0" probability="1" duration="400" nextstate="1" widgetname="flap"/>
//     </actiondefs>
//   </widget>
//
// The draw is 0 to the sum of the state's weights minus 1, and the first action whose
// weight is at least what is left of the draw wins (each earlier weight is subtracted), so
// the weights are not exact shares: a first weight of 0 still wins a draw of 0, and a
// state whose weights add up to 0 always gets its first action.

#include <cstdint>
#include <string>

#include "shell/WidgetClasses.h"

class IActionDef : public virtual IInterface {
 public:
  virtual int32_t GetState() = 0;
  virtual std::string GetWidgetName() = 0;
  virtual int32_t GetProbability() = 0;
  virtual int32_t GetDuration() = 0;
  virtual int32_t GetNextState() = 0;
};

class TActionDef : public TPersistObject, public virtual IActionDef {
 public:
  void Init() override;
  int32_t GetState() override { return state_; }
  std::string GetWidgetName() override { return widgetName_; }
  int32_t GetProbability() override { return probability_; }
  int32_t GetDuration() override { return duration_; }
  int32_t GetNextState() override { return nextState_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  int32_t state_ = 0;
  int32_t probability_ = 0;
  int32_t duration_ = 0;
  int32_t nextState_ = 0;
  std::string widgetName_;
};

// "actiondefs" of "actiondef" elements, in file order.
class TActionDefCollection : public TStaticCreationPersistItemCollection {
 public:
  void Init() override;
  // Nothing outside 0 .. Count() - 1.
  Ref<IActionDef> At(int index) { return items_->GetAs<IActionDef>(Variant(index)); }
  void Add(const Ref<IActionDef>& def);

 protected:
  // Definitions have no names: each is kept under a key of its own.
  void ItemLoaded(const Ref<IInterface>& item) override;
};

class TStateMachineWidget : public TVisualGroupWidget {
 public:
  void Init() override;

  int32_t SumProbability(int32_t state);
  // The definition of State that Draw falls on; nothing when none of the state does.
  Ref<IActionDef> PickActionBy(int32_t state, int32_t draw);
  Ref<IActionDef> PickAction(int32_t state);
  // Stops the current action and starts one drawn among the definitions of its next
  // state (of state 0 without one).
  void NextAction();

  int32_t GetState() const { return state_; }
  IActionDef* GetCurrentAction() const { return current_.get(); }
  int32_t GetActionDuration() const { return actionDuration_; }
  TActionDefCollection& Definitions() { return *defs_; }

  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  void Reset() override;
  void Update(int32_t dt) override;
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<IWidget> ActionChild(const Ref<IActionDef>& def);
  void StopAction();

  Ref<TActionDefCollection> defs_;
  int32_t state_ = 0;
  Ref<IActionDef> current_;
  int32_t actionDuration_ = 0;
};
