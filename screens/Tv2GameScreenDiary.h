#pragma once
// The diary ("Tavelor2GameScreenDiary", shown as "GS_Diary"): the hub between levels and the
// keeper of the story flow. It shows the task map and three pages (participants, voodoo
// dolls, journal), reads and changes the player's progress, opens the start and end
// screens that stages and tasks name, the case and scene selections and the final comics,
// and closes with the task the play screen is to play ("case", "stage", "task",
// "participant", "play_mode").
//
// The progress it holds is published as the game parameter "user_game_data". Lists in the
// progress are ";"-separated; chosen gifts and places are "task:scene;" entries.
//
// The flow re-enters itself (a task whose scene is not ready is settled at once, a refused
// screen goes on as if it had closed); every step stops once the diary has closed itself
// or the story was reset, and a depth guard ends what data could make endless.
//
// Split by topic: Tv2GameScreenDiary.cpp (screen hooks, curtain, tabs, input),
// Tv2GameScreenDiaryMap.cpp (task labels, selection, scene choice),
// Tv2GameScreenDiaryFlow.cpp (starting and settling tasks, stages, cases, the reset).

#include <cstdint>
#include <string>
#include <vector>

#include "screens/Tv2ProgressRecords.h"
#include "screens/Tv2ScreenInterfaces.h"
#include "shell/GameScreen.h"

// Reading and writing the texts of progress records and parameter collections.
namespace diary_text {
template <class T>
std::string Text(const Ref<T>& record, const std::string& name, const std::string& def = {}) {
  return RecordText(record.get(), name, def);
}
template <class T>
void SetText(const Ref<T>& record, const std::string& name, const std::string& value) {
  if (record) record->SetParamValue(name, Variant(value));
}
// The show or result parameter as text; '' when missing.
std::string ParamText(const Ref<IParamCollection>& params, const std::string& name);
}  // namespace diary_text

class TTavelor2GameScreenDiary : public TGameScreen, public virtual IGameScreenSelectTask {
 public:
  static constexpr const char* kScenarioFile = "data\\ini\\scenarios\\default.ini";
  // Deeper re-entry of the flow than any story needs: the rest is dropped with a warning.
  static constexpr int kMaxFlowDepth = 192;
  // The player's progress keeps the voodoo page's game result under this name.
  static constexpr const char* kVoodooResult = "voodoo_minigame";

  // IGameScreenSelectTask
  void StartTask() override;
  void SelectNextTask() override;
  void ResetGameData() override;
  void OnTaskFinished() override;
  void ClientMatched(const std::string& clients) override;
  Ref<IParticipantCollection> GetParticipants() override;
  Ref<IUserGameData> GetUserGameData() override { return progress_; }

  // TGameScreen
  void SetOwner(IGameScreenOwner* owner) override;
  void ReleaseOwner() override;
  void OnShow(const Ref<IParamCollection>& params) override;
  void OnShown(const Ref<IParamCollection>& params) override;
  void Hide() override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  // Keeps the result of the voodoo page's game once it is won.
  void Update(int32_t dt) override;
  void OnShowSounds() override {}
  void OnHideSounds() override {}

  // For tests and the pages.
  int GetCurrentTab() const { return currentTab_; }
  const std::string& GetCurrentTaskName() const { return currentTaskName_; }
  const std::string& GetPendingScreenName() const { return pendingScreen_; }
  bool IsTabLocked() const { return tabLock_; }
  // How often the story was reset since the game began.
  int GetResetCount() const { return resets_; }

  // "out_param:case/name", "out_param:case/stage/name" or "out_param:case/stage/task/name":
  // that record's parameter (default Text); Text itself when a record is missing.
  std::string ResolveOutParam(const std::string& text);

  // (Level div 10 + 1) x 10, saturated.
  static int32_t NextCaseLevel(int32_t level);

 private:
  // Screen plumbing (Tv2GameScreenDiary.cpp).
  void RaiseCurtain();
  void LowerCurtain();
  void UnloadGroups(const char* first, const char* second);
  void SelectTab(int tab);
  void UpdateTabButtons();
  void CloseUpTabs(IWidget& buttons);
  void RebuildPages();
  // Raises the curtain and shows the screen; a screen the game refuses lowers the curtain
  // again and is named on the warning channel: false then.
  bool OpenScreen(const std::string& name, const Ref<IParamCollection>& params);
  void CloseWithResult(const Ref<IParamCollection>& result);
  // The diary has closed itself, reset the story or been shown again since the step took
  // Generation: stop.
  bool Stopped(int generation) const { return generation != generation_; }
  void ReadUserGameData();
  // The scenario's cases, the first case and its first stage current.
  static void ResetCases(const Ref<IUserGameData>& progress);
  void ReleaseUserGameData();
  Ref<IWidget> Widget(std::string_view path);

  // The map (Tv2GameScreenDiaryMap.cpp).
  void RefreshMapAndPages();
  void ClearMap();
  void BuildMap();
  Ref<IWidget> MakeTaskLabel(const Ref<IUGDTask>& task, int row, bool selected, bool putOnMap);
  void SelectOnMap();
  void OfferSceneChoice(const std::string& list);
  void HideSceneChoice();
  void ChooseScene(const std::string& sceneName);
  void ApplyChosenScene(const Ref<IUGDTask>& task, bool place);
  int TaskRow(const std::string& taskName);
  void ClickTask(const std::string& taskName);
  // A task that is not completed becomes current, is selected and starts.
  void StartNamedTask(const std::string& taskName, bool needScene);

  // The story (Tv2GameScreenDiaryFlow.cpp).
  Ref<IUGDCase> CurrentCase() { return CurrentCaseOf(progress_); }
  Ref<IUGDStage> CurrentStage() { return CurrentStageOf(progress_); }
  Ref<IUGDTask> CurrentTask();
  bool TaskSceneReady(const Ref<IUGDTask>& task);
  bool StageFinale(const Ref<IUGDStage>& stage);
  void EnterStage();
  void OpenCaseSelection(const Ref<IUGDCase>& gameCase);
  bool VoodooMiniGameStarts();
  // The voodoo page's game, won ("won") or skipped ("skipped"): the result goes into the
  // player's progress at once, so that the game is not offered again.
  void KeepVoodooResult(const std::string& result);
  void SkipVoodooGame();
  // What follows the closing of the pending start or end screen (or its refusal).
  void PendingScreenClosed();
  void OpenPendingScreen(const std::string& name, const Ref<IParamCollection>& params);
  // The first open case after the first that has a stage becomes current; nothing when
  // there is none.
  Ref<IUGDCase> NextCase();
  // The current stage, or the first open one made current, is entered; false without one.
  bool EnterNextStage();
  // A closed screen's result, also for a task settled without play (as "GS_Game").
  void ChildClosed(const std::string& name, const Ref<IParamCollection>& result);
  // Counts the depth of the flow's re-entry for as long as it lives.
  class TFlowScope {
   public:
    explicit TFlowScope(TTavelor2GameScreenDiary& diary);
    ~TFlowScope() { --diary_.flowDepth_; }
    TFlowScope(const TFlowScope&) = delete;
    TFlowScope& operator=(const TFlowScope&) = delete;
    // False past the depth limit: the step does nothing.
    explicit operator bool() const { return ok_; }

   private:
    TTavelor2GameScreenDiary& diary_;
    bool ok_;
  };

  Ref<IUserGameData> progress_;
  std::string pendingScreen_;
  bool startScreenFlag_ = false;
  int mapRowOffset_ = 0;
  std::string currentTaskName_;
  Ref<IWidget> selectedLabel_;
  int currentTab_ = 0;
  // The tabs' places in the row as the data gives them (tasks, participants, dolls, journal).
  double tabPlaces_[4] = {};
  bool tabPlacesRead_ = false;
  Ref<IWidget> tasksPage_;
  Ref<IDiaryPageParticipant> participantPage_;
  Ref<IDiaryJournal> journalPage_;
  Ref<IDiaryPageVoodoo> voodooPage_;
  Ref<IWidget> taskSceneGroup_;
  Ref<IWidget> participantSceneGroup_;
  Ref<IWidget> labelGroup_;
  bool tabLock_ = false;
  // The progress holds the voodoo game's result (checked every frame, so held here).
  bool voodooResultKept_ = false;
  bool pickedAnotherTask_ = false;
  bool flipCard_ = false;
  int requestedTab_ = -1;
  std::string savedShine_ = "none";

  // The end screen opened from the show parameters; open until it closes. The task's own
  // end screen of that name is then not opened a second time.
  std::string showEndScreen_;
  bool showEndScreenOpen_ = false;
  // The task whose settling waits for the pending end screen.
  std::string settlingTask_;
  // Grows whenever a running flow must stop (see Stopped).
  int generation_ = 0;
  int resets_ = 0;
  int flowDepth_ = 0;
};
