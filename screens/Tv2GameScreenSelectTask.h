#pragma once
// The task map ("Tavelor2GameScreenSelectTask"): the tasks of the player's current stage as
// labels on a map, and the story flow around them. It reads the current player's progress
// when shown (a player without a story gets the scenario "data\ini\scenarios\default.ini"),
// publishes it as "user_game_data" and stores it back when it hides.
//
// Window:
//   "labels_group"           the labels, made from the factories "task_label" and
//                            "selected_task_label" with "name", "text" (" - " and the
//                            task's scene), "anchor_left", "anchor_top" (the task's, else
//                            250 and 50 x its place), "objects_left_visible",
//                            "objects_left_count" and, for the selected one,
//                            "label_objects_left_count" ("%N_label_objects_left_count%");
//                            each label's "task_label_active/count_text" shows the count
//   "current_level_caption"  case and stage ("%tutorial_level%" for a tutorial stage)
//   "button_start"           starts the selected task (so does a second click on it)
//   "animation_group", "hide_desktop_screen", "black_screen", "background_widget"
//   sound "sound_maplabel_select"
//
// Starting a task shows its "start_screen_name" once, else "GS_SelectScene" when it offers
// "select_scene_names", else "GS_Game" with "case", "stage", "task", "play_mode" and "text"
// (the caption). Stages show their start and end screens once; a case that offers
// "select_case_names" opens "GS_SelectCase". When the play screen closes, finished tasks,
// stages and cases are marked, the next stage or case follows and the level counter rises.

#include <cstdint>
#include <string>

#include "gameplay/Tv2Interfaces.h"
#include "screens/Tv2ProgressRecords.h"
#include "shell/GameScreen.h"

class TTavelor2GameScreenSelectTask : public TGameScreen {
 public:
  void SetOwner(IGameScreenOwner* owner) override;
  void ReleaseOwner() override;
  void Hide() override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;

  const Ref<IUserGameData>& GetProgress() const { return progress_; }
  const std::string& GetSelectedTask() const { return selectedTask_; }
  const Ref<IParamCollection>& GetSharedParams() const { return shared_; }

  // The objects still to find in Task: its own "objects_left_count", else its scene's count
  // for its level kind; -1 when unknown.
  int32_t CountObjectsLeft(const Ref<IUGDTask>& task);
  // The text a selected label shows for Count objects left.
  static std::string ObjectsLeftText(int32_t count);

 protected:
  void OnShow(const Ref<IParamCollection>& params) override;
  void OnShown(const Ref<IParamCollection>& params) override;

  void LoadProgress();
  void DropProgress();
  // A new story from the scenario for the current play mode(s); the first case and stage
  // become current.
  void LoadScenario(bool bothModes);
  void RebuildTaskLabels();
  void SelectMapTask();
  void StartSelectedTask();
  // Whether the task's scene can be played; the player gets the task's own scene when
  // the task allows it.
  bool EnsureTaskScene(const Ref<IUGDTask>& task);
  void EnterStage(const Ref<IUGDStage>& stage);
  void AfterChildClosed(bool afterChild);
  // Opens the case picker when the case offers cases; false when it offers none.
  bool OfferCaseSelection(const Ref<IUGDCase>& gameCase);

  Ref<IUGDCase> CurrentCase() { return CurrentCaseOf(progress_); }
  Ref<IUGDStage> CurrentStage() { return CurrentStageOf(progress_); }
  Ref<IUGDTaskCollection> StageTasks();
  // Makes the label of the task at Index; Add puts it on the map.
  Ref<IWidget> MakeLabel(const Ref<IUGDTask>& task, int index, bool selected, bool add);
  void RefreshLabels();
  void ClearLabels();
  // The stage's next open stage becomes current; nothing when none is left.
  Ref<IUGDStage> NextStage(const Ref<IUGDCase>& gameCase);
  // The case after the first that is open and has a stage becomes current.
  Ref<IUGDCase> NextCase();
  void RaiseLevel(int64_t level);

  Ref<IUserGameData> progress_;
  uint8_t playMode_ = 0;
  Ref<IWidget> labelGroup_;
  Ref<IWidget> animationGroup_;
  Ref<IParamCollection> shared_;
  std::string selectedTask_;
  Ref<IWidget> selectedLabel_;
  std::string pendingScreen_;
  bool startScreen_ = false;
  // The level caption; the play screen shows it.
  std::string caption_;
};
