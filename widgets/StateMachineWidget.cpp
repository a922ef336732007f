#include "widgets/StateMachineWidget.h"

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"

// ---------------------------------------------------------------------------------------
// Definitions

void TActionDef::Init() {
  TPersistObject::Init();
  elementName_ = "actiondef";
}

const TPropertyTable& TActionDef::Properties() {
  using A = TActionDef;
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr("state", &A::state_).Int().Always(),
                                        Attr("probability", &A::probability_).Int().Always(),
                                        Attr("duration", &A::duration_).Int().Always(),
                                        Attr("nextstate", &A::nextState_).Int().Always(),
                                        Attr("widgetname", &A::widgetName_).Str().Always(),
                                    });
  return table;
}

void TActionDefCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  elementName_ = "actiondefs";
  itemElementName_ = "actiondef";
  SetItemClass(ClassOf<TActionDef>());
}

void TActionDefCollection::Add(const Ref<IActionDef>& def) {
  if (def) items_->AddWithAutoKey(Ref<IInterface>(def.get()));
}

void TActionDefCollection::ItemLoaded(const Ref<IInterface>& item) {
  Add(Supports<IActionDef>(item));
}

// ---------------------------------------------------------------------------------------
// The machine

void TStateMachineWidget::Init() {
  TVisualGroupWidget::Init();
  defs_ = TAbstractObject::Create<TActionDefCollection>();
  state_ = 0;
  actionDuration_ = 0;
}

int32_t TStateMachineWidget::SumProbability(int32_t state) {
  int64_t sum = 0;
  for (int i = 0; i < defs_->Count(); ++i)
    if (Ref<IActionDef> def = defs_->At(i); def->GetState() == state) sum += def->GetProbability();
  return SaturateInt32(sum);
}

Ref<IActionDef> TStateMachineWidget::PickActionBy(int32_t state, int32_t draw) {
  int64_t left = draw;
  for (int i = 0; i < defs_->Count(); ++i) {
    Ref<IActionDef> def = defs_->At(i);
    if (def->GetState() != state) continue;
    if (def->GetProbability() >= left) return def;
    left -= def->GetProbability();
  }
  return nullptr;
}

Ref<IActionDef> TStateMachineWidget::PickAction(int32_t state) {
  return PickActionBy(state, Random(SumProbability(state)));
}

Ref<IWidget> TStateMachineWidget::ActionChild(const Ref<IActionDef>& def) {
  return def ? children_->GetByName(def->GetWidgetName()) : nullptr;
}

void TStateMachineWidget::StopAction() {
  if (Ref<IWidget> child = ActionChild(current_)) {
    child->SetPaused(true);
    child->SetVisible(false);
  }
}

void TStateMachineWidget::NextAction() {
  if (current_) {
    state_ = current_->GetNextState();
    StopAction();
  } else {
    state_ = 0;
  }
  current_ = PickAction(state_);
  if (!current_) return;  // the next pick starts again from state 0
  actionDuration_ = current_->GetDuration();
  if (Ref<IWidget> child = ActionChild(current_)) {
    child->Restart();
    child->SetVisible(true);
  }
}

void TStateMachineWidget::SetOwner(IWidgetOwner* owner) {
  TVisualGroupWidget::SetOwner(owner);
  NextAction();
}

void TStateMachineWidget::ReleaseOwner() {
  StopAction();
  TVisualGroupWidget::ReleaseOwner();
}

void TStateMachineWidget::Reset() {
  defs_->Clear();
  TVisualGroupWidget::Reset();
}

void TStateMachineWidget::Update(int32_t dt) {
  Ref<IWidget> keep(this);
  TVisualGroupWidget::Update(dt);
  if (currentTime_ < actionDuration_) return;
  currentTime_ = 0;
  NextAction();
  SetNeedsRedraw(true);
}

void TStateMachineWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::LoadFromXml(node);
  for (IWidget* child : children_->Widgets()) {
    child->SetVisible(false);
    child->SetPaused(true);
  }
  defs_->Clear();
  if (node && node->GetChildCount("actiondefs") > 0)
    LoadObjectFromChild(Ref<IInterface>(static_cast<IPersistObject*>(defs_.get())), node,
                        "actiondefs");
}

void TStateMachineWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::SaveToXml(node);
  if (defs_->Count() > 0)
    SaveObjectToChild(Ref<IInterface>(static_cast<IPersistObject*>(defs_.get())), node,
                      "actiondefs");
}
