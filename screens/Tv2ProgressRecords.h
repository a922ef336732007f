#pragma once
// Reading the player's progress the way the diary, its pages and the task map all do: the
// current case and stage, whether a list of tasks or stages is done, and the texts,
// numbers and "yes"/"no" flags its records hold.

#include <cstdint>
#include <string>

#include "gameplay/Tv2Interfaces.h"
#include "shell/GameInterfaces.h"

// The record's parameter as text; Def when the record or the value is missing.
std::string RecordText(IPersistParamsObject* record, const std::string& name,
                       const std::string& def = {});
// The record's parameter as a whole number; Def when the record is missing or the value
// reads as no number.
int32_t RecordInt(IPersistParamsObject* record, const std::string& name, int32_t def);
// Whether the record's parameter (Def when absent) reads "yes", in any case; false without
// a record.
bool RecordYes(IPersistParamsObject* record, const std::string& name, const char* def);

// The game parameter by which the screen that holds the player's progress shares it.
extern const char* const kUserGameDataParam;
// The progress published as "user_game_data", or nothing.
Ref<IUserGameData> PublishedProgress(IGameScreenOwner* owner);

// Tells the author why the scene Scene of the task Task cannot be played, so that the task
// is done without play: the scene list has no such scene, or (OwnSceneRefused) the player
// has no scene of that name and the task's "enable_own_scene" makes none.
void WarnAboutUnplayableTask(const std::string& task, const std::string& scene,
                             bool ownSceneRefused);

// Makes the first case current, at its first stage: where a new story starts.
void StartAtFirstCase(const Ref<IUserGameData>& progress);

Ref<IUGDCase> CurrentCaseOf(const Ref<IUserGameData>& progress);
Ref<IUGDStage> CurrentStageOf(const Ref<IUserGameData>& progress);

// Every task (or stage) of Items is done; a missing list has nothing left to do.
template <class Collection>
bool AllCompleted(const Ref<Collection>& items) {
  if (!items) return true;
  for (int i = 0; i < items->Count(); ++i)
    if (auto item = items->GetItem(Variant(i)); item && !item->IsCompleted()) return false;
  return true;
}
