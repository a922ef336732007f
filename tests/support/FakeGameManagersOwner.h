#pragma once
// The play screen as the managers and the generator see it, for the gameplay tests: the
// gameplay screen base loaded from a window like any screen, with the play screen's own
// operations (scores, timer, amulet, carrying, the level's end, scene widgets, delayed
// switches, approaches) recorded as lines instead of done:
//
//   "AddScores(7071)", "ShowSceneWidget(door_open_l1,1)", "QueueDelayedAction(bats,1,0,3000)"
//
// Widgets are named by their names, flags by 0 and 1. A few of them keep the state the
// base reads back (input blocked, black screen, the open approach) or answer what the
// test sets (amulet active, time since the last find).
//
// Registered as the screen type "FakeGameManagersOwner"; GameplayFixture starts a game
// with one as "GS_Game".

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Warnings.h"
#include "gameplay/Tv2GameplayScreen.h"
#include "tests/support/QuietGameFolder.h"

class TGame;
class FakeGameEngine;

class FakeGameManagersOwner : public TTv2GameplayScreen {
 public:
  std::vector<std::string> calls;
  bool amuletActive = false;
  int32_t timeSinceLastFind = 1000;
  // Scene-object widgets made plainly, without their factory (benchmarks of what the
  // generator itself costs).
  bool stubSceneWidgets = false;
  // The generator cannot be made.
  bool noGenerator = false;

  // The records a level is played from (the play screen reads them from the progress).
  void SetProgress(const Ref<IUserGameData>& data, const Ref<IUGDCase>& gameCase,
                   const Ref<IUGDStage>& stage, const Ref<IUGDTask>& task);
  void SetLevelManager(const Ref<ILevelManager>& manager) { levelManager_ = manager; }
  void SetOpenApproach(const Ref<IWidget>& approach) { openApproach_ = approach; }
  // The item the player carries: its moving copy and its object.
  void SetCarried(const Ref<IWidget>& item, const Ref<ISceneObjectDef>& object) {
    carriedItem_ = item;
    carriedObject_ = object;
  }
  Ref<IUGDScene> GetPreviousScene() const { return previousScene_; }
  // The calls since the last take.
  std::vector<std::string> TakeCalls();

  void EnableAmulet(const Ref<IWidget>& target) override;
  bool IsAmuletActive() override { return amuletActive; }
  void StartAmulet() override { Record("StartAmulet()"); }
  void StopAmulet() override { Record("StopAmulet()"); }
  void DisableAmulet() override { Record("DisableAmulet()"); }
  bool TakeSceneObject(const Ref<IWidget>& objectWidget, const Ref<IWidget>& source, bool force,
                       const TPoint& clickPoint, const TPoint& centre) override;
  void UpdateObjectsLeftCount() override { Record("UpdateObjectsLeftCount()"); }
  void AddScores(int32_t points) override;
  void TickTimer(int32_t elapsedMs) override;
  void SetInputBlocked(bool value) override;
  void SetBlackScreen(bool value) override;
  void LevelFailed() override { Record("LevelFailed()"); }
  void LevelWon() override { Record("LevelWon()"); }
  void WriteLevelStatistics(bool value) override;
  void CloseGameScreen(const Ref<IParamCollection>& params) override;
  void ShowTutorial() override { Record("ShowTutorial()"); }
  void EnableSceneObject(const Ref<ISceneObjectDef>& object, bool force) override;
  int32_t GetTimeSinceLastFind() override { return timeSinceLastFind; }
  void QueueDelayedAction(const Ref<IWidget>& widget, bool on, bool approach,
                          int32_t delay) override;
  // At once (delay 0 or less) the approach becomes the open one.
  void OpenApproach(const std::string& name, int32_t delay) override;
  // Shows or hides the widget (and resumes or pauses it).
  void ShowSceneWidget(const Ref<IWidget>& widget, bool on) override;

 protected:
  Ref<ISceneGenerator> MakeSceneGenerator() override;
  Ref<IWidget> MakeSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                     const Ref<ISceneObjectLocation>& location) override;

 private:
  void Record(std::string line) { calls.push_back(std::move(line)); }
};

// Registers "FakeGameManagersOwner" and the game test classes. Safe to call again.
void RegisterGameplayTestClasses();

// For programs without a test fixture (benchmarks, fuzz targets): a QuietGameFolder whose
// "GS_Game" is a FakeGameManagersOwner making its scene widgets plainly.
class FakePlayScreenGame : public QuietGameFolder {
 public:
  // Widgets beside the window's objects, approaches and animation groups, and the
  // window's factories.
  explicit FakePlayScreenGame(const std::string& widgets = {}, const std::string& factories = {});

  FakeGameManagersOwner* owner = nullptr;
};
