// The scene action interpreter: one action's condition and effect.

#include <algorithm>

#include "foundation/Routines.h"
#include "gameplay/Tv2LevelManagers.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The first gate of a condition, by its type.
bool Gate(uint8_t conditionType, const TActionContext& context) {
  switch (conditionType) {
    case 0:
    case 4:
    case 8:
      return true;
    case 1:
    case 5:
    case 9:
    case 12:
    case 13:
    case 14:
      return context.activating;
    case 2:
    case 6:
    case 10:
      return !context.activating;
    case 3:
    case 7:
    case 11:
      return context.byDefault;
    default:
      return false;
  }
}

// The switches of action types 3, 4, 10 and 11: (on, fade).
struct TSwitch {
  bool on;
  bool fade;
};

bool SwitchOf(uint8_t actionType, TSwitch& result) {
  switch (actionType) {
    case 3:
      result = {true, false};
      return true;
    case 4:
      result = {false, false};
      return true;
    case 10:
      result = {true, true};
      return true;
    case 11:
      result = {false, true};
      return true;
    default:
      return false;
  }
}

}  // namespace

void TAbstractLevelManager::ExecuteAction(ISceneObjectAction* action,
                                          const TActionContext& context) {
  if (!action || !owner_) return;
  // A named action leading back to one already running would never end.
  if (std::find(runningActions_.begin(), runningActions_.end(), action) != runningActions_.end())
    return;
  runningActions_.push_back(action);
  Ref<IWidget> looked;
  if (EvaluateCondition(action, context, looked)) PerformAction(action, context, looked);
  runningActions_.pop_back();
  if (looked) looked->Process(0);
}

bool TAbstractLevelManager::EvaluateCondition(ISceneObjectAction* action,
                                              const TActionContext& context, Ref<IWidget>& looked) {
  const uint8_t type = action->GetConditionType();
  if (!Gate(type, context)) return false;
  const std::string condition = action->GetConditionString();
  if (type == 12) {
    Ref<IWidget> carried = owner_->GetCarriedItem();
    if (condition.empty()) return !carried;
    return carried && Contains(condition, carried->GetName());
  }
  const std::vector<std::string> names = SplitString(condition, ';');
  if (names.empty() || type < 4) return true;
  if (type <= 11) {
    // 4 to 7: every named widget shown; 8 to 11: every one missing or hidden.
    const bool wantShown = type <= 7;
    for (const std::string& name : names) {
      Ref<IWidget> widget = owner_->FindSceneWidget(context.widget, name, context.approachName);
      if (widget) looked = widget;
      const bool shown = widget && widget->IsVisible();
      if (shown != wantShown) return false;
    }
    return true;
  }
  Ref<ISceneObjectDef> current = owner_->GetCurrentObject();
  const bool isCurrent = current && Contains(condition, current->GetName());
  return type == 13 ? isCurrent : !isCurrent;
}

void TAbstractLevelManager::PerformAction(ISceneObjectAction* action, const TActionContext& context,
                                          Ref<IWidget>& looked) {
  const uint8_t type = action->GetActionType();
  const std::string argument = action->GetActionString();
  Ref<IParamCollection> params(context.params);
  TSwitch change{};
  if (SwitchOf(type, change)) {
    for (const std::string& name : SplitString(argument, ';'))
      owner_->SwitchWidget(Ref<IWidget>(context.widget), name, change.fade, change.on,
                           action->GetStartDelayTime(), context.approachName);
    return;
  }
  switch (type) {
    case 0: {
      if (!context.sceneDef) return;
      Ref<IWidget> widget = context.sceneDef->CreateWidget(argument, params);
      if (!widget) return;
      looked = widget;
      if (context.approachName.empty()) {
        if (context.groupKind != gkObjects)
          widget->SetAnchorLeft(widget->GetAnchorLeft() -
                                context.sceneDef->GetIdenticalPartShift());
        owner_->AddWidgetToGroup(widget, context.groupKind, {});
      } else {
        owner_->AddWidgetToGroup(widget, gkApproaches, context.approachName);
      }
      if (action->GetStartDelayTime() > 0) {
        widget->SetPaused(true);
        widget->SetVisible(false);
        owner_->QueueDelayedAction(widget, /*on=*/true, /*approach=*/false,
                                   action->GetStartDelayTime());
      }
      return;
    }
    case 1:
      if (context.activating) owner_->OpenApproach(argument, action->GetStartDelayTime());
      return;
    case 2:
    case 6:
      TakeObjectAction(action, context, type == 2, looked);
      return;
    case 5:
    case 7: {
      if (!context.activating) return;
      Ref<IWidget> found = owner_->FindSceneWidget(context.widget, argument, context.approachName);
      if (found) looked = found;
      owner_->TakeSceneObject(found, Ref<IWidget>(context.widget), type == 5, owner_->GetMousePos(),
                              TPoint{0, 0});
      return;
    }
    case 8:
      if (context.activating || action->GetConditionType() == 2) ShowHintText(argument);
      return;
    case 9: {
      if (!context.sceneDef) return;
      Ref<ISceneObjectActionCollection> actions = context.sceneDef->GetActions();
      if (!actions || actions->Count() == 0) return;
      TActionContext named = context;
      named.byDefault = true;
      ExecuteAction(actions->GetItem(Variant(argument)).get(), named);
      return;
    }
    case 12: {
      if (context.activating)
        if (Ref<IWidget> shine = CreateOwnerWidget("diary_shine", params))
          ReplaceInGroup(shine, gkInterface);
      if (Ref<IUserGameData> progress = owner_->GetUserGameData()) progress->AddToJournal(argument);
      return;
    }
    default:
      return;
  }
}

// Action types 2 and 6: the object of the named widget goes into the panel.
void TAbstractLevelManager::TakeObjectAction(ISceneObjectAction* action,
                                             const TActionContext& context, bool enable,
                                             Ref<IWidget>& looked) {
  Ref<IWidget> found =
      owner_->FindSceneWidget(context.widget, action->GetActionString(), context.approachName);
  if (found) looked = found;
  Ref<ISceneObjectDef> object = owner_->GetWidgetObjectDef(found);
  if (!object) return;
  const std::string name = object->GetName();
  if (!object->GetLocationsAllEnabled() && Contains(context.usedList, ";" + name + "/")) return;
  if (context.activating) {
    if (panel_) {
      panel_->AddItem(object);
      if (Ref<IWidget> item = panel_->GetItemWidget(object)) item->SetVisible(false);
    }
    if (fall_) fall_->AddObject(found, Ref<IWidget>(context.widget));
    owner_->PlaySceneSound("sound_success_click");
  } else {
    Ref<IUGDScene> scene = owner_->GetScene();
    const std::string used =
        scene ? scene->GetParamValueDef("names_activate_sequence", Variant("")).ToString() : "";
    Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
    bool placed = false;
    for (int i = 0; locations && i < locations->Count() && !placed; ++i)
      placed = Contains(used, name + "/" + locations->GetItem(Variant(i))->GetName());
    if (placed && panel_) panel_->AddItem(object);
  }
  if (enable) owner_->EnableSceneObject(object, true);
  if (Ref<IItemListPanelWidget> panel = owner_->GetPanelManager()) panel->Invalidate();
}
