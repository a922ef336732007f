#pragma once
// The level's last animations. "state_scenario_end_level" records the level's results
// and opens the statistics screen ("complete": won, the default, or lost);
// "state_scenario_close_screen" closes the play screen first. Either writes the
// statistics once, however it ends.

#include "gameplay/Tv2StateScenariosBaseAnim.h"

class TStateScenarioEndLevel : public TStateScenarioGameManager {
 public:
  void Init() override;
  void OnEnterHook() override;
  void OnExitHook() override;
  void Finish() override;

 protected:
  const TPropertyTable& Properties() override;
  void WriteStatistics();

  bool complete_ = true;
  bool written_ = false;
  bool exitDone_ = false;
};

class TStateScenarioCloseGameScreen : public TStateScenarioEndLevel {
 public:
  void OnExitHook() override;
};
