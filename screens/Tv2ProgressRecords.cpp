#include "screens/Tv2ProgressRecords.h"

#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "gameplay/Tv2Declarations.h"

const char* const kUserGameDataParam = "user_game_data";

Ref<IUserGameData> PublishedProgress(IGameScreenOwner* owner) {
  return owner ? Supports<IUserGameData>(owner->GetParamValue(kUserGameDataParam).RawInterface())
               : nullptr;
}

void WarnAboutUnplayableTask(const std::string& task, const std::string& scene,
                             bool ownSceneRefused) {
  const std::string why = ownSceneRefused
                              ? "\" is no scene of the player's and \"enable_own_scene\" makes none"
                              : "\" is not in the scene list (" + ScenesFileName + ")";
  Warn(DefaultScenarioFileName,
       "task \"" + task + "\": scene \"" + scene + why + "; the task is done without play");
}

std::string RecordText(IPersistParamsObject* record, const std::string& name,
                       const std::string& def) {
  if (!record) return def;
  Variant value = record->GetParamValueDef(name, Variant(def));
  return value.IsClear() ? def : value.ToString();
}

int32_t RecordInt(IPersistParamsObject* record, const std::string& name, int32_t def) {
  return record ? record->GetParamValueDef(name, Variant(def)).ToInt(def) : def;
}

bool RecordYes(IPersistParamsObject* record, const std::string& name, const char* def) {
  return record && SameText(record->GetParamValueDef(name, Variant(def)).ToString(), "yes");
}

void StartAtFirstCase(const Ref<IUserGameData>& progress) {
  Ref<IUGDCaseCollection> cases = progress ? progress->GetCases() : nullptr;
  Ref<IUGDCase> first = cases ? cases->GetItem(Variant(0)) : nullptr;
  if (!first) return;
  Ref<IUGDStageCollection> stages = first->GetStages();
  if (Ref<IUGDStage> stage = stages ? stages->GetItem(Variant(0)) : nullptr)
    first->SetParamValue("currentstage", Variant(stage->GetName()));
  progress->SetParamValue("currentcase", Variant(first->GetName()));
}

Ref<IUGDCase> CurrentCaseOf(const Ref<IUserGameData>& progress) {
  return progress ? progress->CurrentCase() : nullptr;
}

Ref<IUGDStage> CurrentStageOf(const Ref<IUserGameData>& progress) {
  Ref<IUGDCase> gameCase = CurrentCaseOf(progress);
  return gameCase ? gameCase->CurrentStage() : nullptr;
}
