#pragma once
// How the game screens reach each other: the diary as its participant page sees it, the
// participant page as the diary sees it, and the statistics screen as the play screen
// sees it. Each is implemented by one screen or page; the others hold it as a plain pointer
// or `Ref` and learn of it through `dynamic_cast`.
#include <string>

#include "gameplay/Tv2Interfaces.h"
#include "shell/GameInterfaces.h"

// The diary: the keeper of the story flow, as the pages that start tasks see it.
class IGameScreenSelectTask : public virtual IInterface {
 public:
  // Starts the current task.
  virtual void StartTask() = 0;
  // Settles the finished task, clears the map and selects the next task.
  virtual void SelectNextTask() = 0;
  // Clears the progress and reloads the cases.
  virtual void ResetGameData() = 0;
  // Settles the current task after it was played or skipped.
  virtual void OnTaskFinished() = 0;
  // Adds the first item of the ";"-list to the matched clients, then settles the task.
  virtual void ClientMatched(const std::string& clients) = 0;
  // The game parameter "participants".
  virtual Ref<IParticipantCollection> GetParticipants() = 0;
  virtual Ref<IUserGameData> GetUserGameData() = 0;
};

// The diary's participant page ("diary_participant_page").
class IDiaryPageParticipant : public virtual IWidget {
 public:
  // Held as a plain back link: the diary outlives its pages.
  virtual void SetSelectTask(IGameScreenSelectTask* selectTask) = 0;
  // Builds the participant widgets of a case.
  virtual void ShowParticipants(const Ref<IUGDCase>& gameCase) = 0;
  // Shows hints, task buttons and categories, or the matched pair.
  virtual void ShowCandidates(const Ref<IUGDStage>& stage, const Ref<IUserGameData>& data) = 0;
  virtual bool IsMatchReady(const std::string& matchedClients) = 0;
  // Hands the client and candidates of the sub-page to the matching game.
  virtual void MatchClient() = 0;
  // True when the page holds no records.
  virtual bool IsEmpty() = 0;
  // The participant of the last record with that task name; empty when none.
  virtual std::string GetTaskParticipant(const std::string& taskName) = 0;
  virtual void RemoveMatchedTwain() = 0;
  virtual std::string GetPageName() = 0;
  virtual void SetPageName(const std::string& value) = 0;
};

// The diary's journal ("diary_journal"): two notes per spread, turned by the diary's
// "button_next" and "button_prev".
class IDiaryJournal : public virtual IWidget {
 public:
  // The progress's journal list: opens on the last spread.
  virtual void SetNotes(const std::string& notes) = 0;
  // Empties both pages.
  virtual void ClearPage() = 0;
  virtual void NextPage() = 0;
  virtual void PrevPage() = 0;
};

// The diary's voodoo-doll page ("diary_page_voodoo"). Its plain property
// "voodoo_count_need" and its child "start_minigame" are the diary's to read and restart.
class IDiaryPageVoodoo : public virtual IWidget {
 public:
  // Shows and counts the found dolls of the progress's list.
  virtual void UpdateCounter(const std::string& foundDolls) = 0;
};

// The level statistics screen, as the play screen asks it after a level.
class ILevelStatScreen : public virtual IInterface {
 public:
  // Whether the level shown was completed.
  virtual bool IsComplete() = 0;
};
