#pragma once
// Loading screens: one loading step per frame, while the screen's widgets run on a
// synthetic clock that hands out "total_updates" milliseconds over the steps, so their
// animation ends exactly with the last step (3 steps in 200 ms: 67, 67 and 66 ms). When
// the steps are done the "progress" widget makes way for "image_loaded", which closes the
// screen when it sends an event; with close_after_load="yes" the screen hides itself
// instead. Both are self-refreshing screens: every visit starts afresh.
//
//   "GameScreenSplashResourceLoad"      shown with "load_list" (resource names separated
//                                       by ";"), one resource loaded per step, and
//                                       "unload_list", unloaded before the first step
//                                       (a name on both lists stays loaded);
//   "GameScreenSplashResourceDefsLoad"  shown with "resource_defs" (resource definitions
//                                       as an interface value), one definition per step.
//
//   <gamescreen type="GameScreenSplashResourceLoad" name="GS_Comics_final"
//               total_updates="600" close_after_load="no">

#include <cstdint>
#include <string>
#include <vector>

#include "engine/EngineResourceDefs.h"
#include "shell/GameScreenSplash.h"

class TGameScreenSplashAbstractLoad : public TGameScreenSplashSelfRefresh {
 public:
  void Show(const Ref<IParamCollection>& params) override;
  void Update(int32_t dt) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void ReleaseOwner() override;

  // Performs step Index and advances it.
  virtual void LoadStep(int32_t& index);
  virtual void BeginLoading();
  virtual void EndLoading();

  int32_t GetStepCount() const { return stepCount_; }
  int32_t GetStepIndex() const { return stepIndex_; }
  int32_t GetTimePerStep() const { return timePerStep_; }
  bool IsFinished() const { return finished_; }

 protected:
  const TPropertyTable& Properties() override;
  void LoadTotalUpdates(const Ref<IHierStorage>& node);
  void SaveTotalUpdates(const Ref<IHierStorage>& node);
  void SaveCloseAfterLoad(const Ref<IHierStorage>& node);
  // The synthetic time of the step just performed.
  int32_t StepTime() const;
  // Loading has ended: hide the screen, or show "image_loaded".
  void EndSteps();

  int32_t stepCount_ = 0;
  int32_t stepIndex_ = 0;
  Ref<IWidget> progress_;
  Ref<IWidget> imageLoaded_;
  // As configured; each show counts from it, the show effect's time added.
  int32_t totalUpdates_ = 200;
  int32_t showTotal_ = 200;
  int32_t timePerStep_ = 200;
  bool finished_ = false;
  bool closeAfterLoad_ = false;
  bool beginPending_ = false;
};

class TGameScreenSplashResourceLoad : public TGameScreenSplashAbstractLoad {
 public:
  void Show(const Ref<IParamCollection>& params) override;
  void BeginLoading() override;
  void LoadStep(int32_t& index) override;
  void EndLoading() override;

  const std::vector<std::string>& GetLoadList() const { return loadList_; }
  const std::vector<std::string>& GetUnloadList() const { return unloadList_; }

 protected:
  std::vector<std::string> loadList_;
  std::vector<std::string> unloadList_;
  int32_t unloadCount_ = 0;
};

class TGameScreenSplashResourceDefsLoad : public TGameScreenSplashAbstractLoad {
 public:
  void Show(const Ref<IParamCollection>& params) override;
  void LoadStep(int32_t& index) override;
  void EndLoading() override;

 protected:
  Ref<IResourceDefCollection> definitions_;
};
