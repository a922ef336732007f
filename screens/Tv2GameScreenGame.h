#pragma once
// "Tavelor2GameScreenGame": the play screen. It plays one task of the player's progress
// as a level: it makes the level and panel managers of the task's kind, loads the scene
// through "GS_LevelLoading", judges presses through the level manager, keeps score, timer,
// hints and the amulet, switches scene widgets and approaches for the managers, offers the
// skip buttons of mini-games, and ends the level won or lost with "GS_LevelStat".
//
// The unit is split by topic: set-up, start and the screens it opens (this file's .cpp),
// presses and carrying (Clicks), the frame update with timer, score and hints (Update),
// and mini-games, scene widgets, approaches, the amulet and the level end (Level).
//
// Fixed layout (1024 x 768): presses at y 675 or more belong to the item panel, scene
// presses count only above the top of "ui_group" + 56, the hint button is centred on
// (55, 728).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gameplay/Tv2GameplayScreen.h"

class TTavelor2GameScreenGame : public TTv2GameplayScreen {
 public:
  static constexpr int32_t kPanelTop = 675;
  static constexpr int32_t kDefaultGivenTime = 600000;
  // The clock shows minutes in two digits: 99:59 is the most it can show.
  static constexpr int32_t kMaxGivenTime = 99 * 60000 + 59999;
  static constexpr int32_t kStartHintRequirement = 23000;
  static constexpr int32_t kClearHintRequirement = 30000;
  static constexpr int32_t kHintCost = 7000;
  static constexpr int32_t kMaxTimerStep = 1000;
  static constexpr int32_t kIdleShineMs = 6000;
  static constexpr int32_t kComboWindowMs = 4000;
  static constexpr int32_t kHintX = 55, kHintY = 728;
  // The amulet target starts to show within this distance; further than any target.
  static constexpr int32_t kAmuletNear = 110, kAmuletFar = 1310;

  // One switch waiting for its delay.
  struct TDelayedSwitch {
    Ref<IWidget> widget;
    bool on = false;
    int32_t delay = 0;
    bool approach = false;
  };

  // TGameScreen
  void SetOwner(IGameScreenOwner* owner) override;
  void OnShow(const Ref<IParamCollection>& params) override;
  void OnShown(const Ref<IParamCollection>& params) override;
  void Hide() override;
  void ReleaseOwner() override;
  void Deactivate() override;
  void OnActivateApp(bool active) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void Update(int32_t dt) override;

  // IGameManagersOwner: the play screen's own
  void EnableAmulet(const Ref<IWidget>& target) override;
  bool IsAmuletActive() override { return amuletMode_ && amuletTarget_; }
  void StartAmulet() override;
  void StopAmulet() override;
  void DisableAmulet() override;
  bool TakeSceneObject(const Ref<IWidget>& objectWidget, const Ref<IWidget>& source, bool force,
                       const TPoint& clickPoint, const TPoint& centre) override;
  void UpdateObjectsLeftCount() override;
  void AddScores(int32_t points) override;
  void TickTimer(int32_t elapsedMs) override;
  void SetInputBlocked(bool value) override;
  void SetBlackScreen(bool value) override;
  void LevelFailed() override;
  void LevelWon() override;
  void WriteLevelStatistics(bool complete) override;
  void CloseGameScreen(const Ref<IParamCollection>& params) override;
  void ShowTutorial() override;
  void EnableSceneObject(const Ref<ISceneObjectDef>& object, bool force) override;
  int32_t GetTimeSinceLastFind() override;
  void QueueDelayedAction(const Ref<IWidget>& widget, bool on, bool approach,
                          int32_t delay) override;
  void OpenApproach(const std::string& name, int32_t delay) override;
  void ShowSceneWidget(const Ref<IWidget>& widget, bool on) override;

  // Set-up and start
  void ReadUserGameData(const Ref<IParamCollection>& params);
  void SetupTaskUi();
  void ShowTaskLabel(const Ref<IParamCollection>& params);
  void SetupLevel();
  void StartLevel();
  void ShowTaskQuest();
  void ClearScene();
  void ResetTaskProgress();
  void Restart();
  void QuitToMenu();
  void OpenGameMenu();
  void OpenDiary();
  void ShineDiaryButton();
  void ShowAmuletControls(bool active);

  // Presses
  bool OnMouseDown(const TPoint& point, uint32_t keys, int button);
  bool OnMouseUp(const TPoint& point, uint32_t keys, int button);
  bool OnMouseMove(const TPoint& point, uint32_t keys);
  bool CreateCarriedItem(const Ref<ISceneObjectDef>& object, const TPoint& point, bool centred,
                         const TPoint& offset);
  void DropCarriedItem();
  void PutBackCarriedItem();
  void OnFound(const TPoint& point);
  void OnWrongClick(const TPoint& point);
  void DecayClickCounters(int32_t elapsed);
  void UpdateHoverCursor(const Ref<IWidget>& widget);
  // Shows the cursor's "pressed" image, or its "unpressed" one, restarting it.
  void ShowCursorPressed(bool pressed);
  void KillAnimationWidget(const std::string& name);

  // Frames
  void UpdateFades();
  void PlayAccentSound();
  void WatchQuestText();
  void UpdateHintCharge();
  void PlayHintActivation();
  void OnHintReady();
  void UseHint();
  Ref<IWidget> FindHintTarget();
  Ref<IParamCollection> ShowHint(const Ref<IWidget>& target);
  void IdleShine();
  void ProcessDelayedActions(int32_t elapsed);

  // Mini-games, approaches, level end
  void UpdateSkipButtons();
  void HideSkipButtons();
  bool HintMiniGame();
  void ShowMiniGameQuest();
  void ActivateAllInGroup(const Ref<IWidget>& group);
  bool ShowNamedChildEffect(const Ref<IWidget>& widget, const std::string& property);
  void CloseApproach();
  void UpdateAmuletDarkness(const TPoint& point);

  // Read-outs for tests and the harness.
  int32_t GetShownScore() const { return shownScore_; }
  int32_t GetPendingScore() const { return pendingScore_; }
  int32_t GetTimer() const { return timer_; }
  int32_t GetBankedTime() const { return banked_; }
  int32_t GetLevelClock() const { return levelClock_; }
  int32_t GetCombo() const { return combo_; }
  int32_t GetWrongClickAccumulator() const { return wrongAccumulator_; }
  int32_t GetWrongClicks() const { return wrongClicks_; }
  int32_t GetHintsUsed() const { return hintsUsed_; }
  int32_t GetHintCharge() const { return hintCharge_; }
  int32_t GetHintRequirement() const { return hintRequirement_; }
  Ref<IWidget> GetHintTarget() const { return hintTarget_; }
  Ref<IWidget> GetAmuletTarget() const { return amuletTarget_; }
  bool IsAmuletMode() const { return amuletMode_; }
  bool IsTimed() const { return timed_; }
  bool IsLevelRunning() const { return !noLevelRunning_; }
  bool IsLevelOver() const { return levelOver_; }
  bool IsCompleted() const { return completion_; }
  bool IsCarrying() const { return carrying_; }
  const std::vector<TDelayedSwitch>& DelayedSwitches() const { return delayed_; }
  int32_t DelayedSwitchCount() const { return delayedCount_; }

 protected:
  // The managers of a level kind, by their registered names (tests put their own in).
  virtual Ref<IPanelManager> MakePanelManager(int32_t kind);
  virtual Ref<ILevelManager> MakeLevelManager(int32_t kind);

 private:
  // The game's current cursor selected again and kept as the screen's cursor name.
  void ReselectCursor();
  void SelectCursor(const std::string& name);
  Ref<ICursor> CurrentCursor();
  Ref<IPanelManager> PanelManager();
  Ref<IWidget> Ui(std::string_view path);
  // Task parameters.
  Variant TaskParam(const std::string& name, const Variant& def);
  int32_t TaskInt(const std::string& name, int32_t def);
  // The task's "given_time", held to what the clock shows.
  int32_t GivenTime();
  // Tells the author about a task the level cannot play as it is written.
  void WarnAboutTask(const std::string& what);
  std::string TaskText(const std::string& name, const std::string& def = {});
  void SetTaskParam(const std::string& name, const Variant& value);
  // Writes the task's counters when the screen hides or goes.
  void WriteTaskCounters();
  void ShowScoreText();
  void AddToAnimations(const Ref<IWidget>& widget);
  Ref<IWidget> MakeWidget(const std::string& factory, const Ref<IParamCollection>& params);
  void PauseScene(bool pause);
  // The mini-games of the open approach, else of "objects_group".
  void ForEachMiniGame(const std::function<void(const Ref<IWidget>&)>& visit);
  void SetupSkipButton(const Ref<IWidget>& skip, const Ref<IWidget>& game);
  bool IsSkipButtonPress(IWidget* sender, std::string& group);
  void ApplyButtonProps(IWidget* button);
  void SkipLevel();
  void ShowQuestWidget(const Ref<IWidget>& quest);
  Ref<IWidget> HitAt(const Ref<IWidget>& container, const TPoint& point, bool skipSelf);
  Ref<IWidget> HitWithRetries(const Ref<IWidget>& container, const TPoint& point, bool skipSelf);
  bool AnimationUnderMouse();
  void FindAttempt(const Ref<IWidget>& hit, const TPoint& point);
  bool PanelPress(const TPoint& point);
  void ReturnToPanel();
  void SetHintImages(bool visible, bool rotate, double angle);
  void ResetDelayedQueue();
  // The screen has closed itself: what remains of a handler would act on the next one.
  bool closed_ = false;

  // Named widgets, kept from the attachment on.
  Ref<IItemListPanelWidget> panel_;
  Ref<IWidget> backgroundGroup_, objectsGroup_, approachesGroup_, leftObjects_, rightObjects_;
  Ref<IWidget> leftPart_, rightPart_, uiGroup_, animationGroup_;
  Ref<IWidget> hintGroup_, hintButton_, hintFront_, hintBack_, hintAfter_;
  Ref<IWidget> approachObscuring_, obscuring_, blackScreenWidget_, loadingScreen_;
  Ref<IWidget> minuteHand_, secondHand_, timerText_, objectsCountText_, scoresText_;
  Ref<IWidget> menuButton_;

  // Progress
  std::string participant_;
  Ref<IParamCollection> subScreenParams_;

  // Flags
  bool timed_ = true;
  bool levelStarted_ = false;
  bool noLevelRunning_ = true;
  bool obscuringSwitch_ = false;
  bool firstClose_ = false;
  bool firstTick_ = false;
  bool completion_ = true;
  bool completionPending_ = false;
  bool levelOver_ = false;
  bool amuletMode_ = false;
  bool amuletEnabled_ = false;
  bool carrying_ = false;
  bool questShowing_ = false;
  bool hintReady_ = false;
  bool missFlag_ = false;
  bool fromPanel_ = false;

  // Counters and times (ms)
  int32_t shownScore_ = 0, pendingScore_ = 0, countStep_ = 0;
  int32_t timer_ = 0, banked_ = 0, pulseStep_ = 0;
  int32_t levelClock_ = 0, lastClick_ = -1, lastFind_ = -1, idle_ = 0;
  int32_t wrongAccumulator_ = 0, combo_ = 0;
  int32_t hintsUsed_ = 0, wrongClicks_ = 0, successClicks_ = 0;
  int32_t hintCharge_ = -1, hintRequirement_ = kClearHintRequirement;
  double pointingAngle_ = 0;
  int32_t lastSecondShown_ = -1;
  // The timer text's accent, found once: it is asked for at every timed update.
  Ref<ISound> accentSound_;
  std::string timeSeparator_;

  // Held widgets
  Ref<IWidget> carriedSource_;
  TPoint lastCarryPoint_{};
  Ref<IWidget> amuletTarget_;
  Ref<IWidget> hintTarget_, hintScenario_;
  Ref<IWidget> shineObject_, shineWidget_;
  Ref<IWidget> completionScenario_;

  std::string tutorialFactory_;
  std::string questName_ = "none";
  std::string screenCursor_;

  std::vector<TDelayedSwitch> delayed_;
  int32_t delayedCount_ = 0;
};
