#pragma once
// "state_scenario_game_start_level": the level's opening. Input is blocked while its
// children play (a click ends it early); then the tutorial text shows and input returns.
// "show_levelname" and "LevelName" name the level for the data's own use.

#include <string>

#include "gameplay/Tv2StateScenariosBaseAnim.h"

class TStateScenarioGameStartLevel : public TStateScenarioWaitWidgetsGameManager {
 public:
  void OnEnterHook() override;
  // Once, however the scenario ends.
  void OnExitHook() override;
  void Finish() override;

 protected:
  const TPropertyTable& Properties() override;

  bool showLevelName_ = false;
  std::string levelName_;
  bool exitDone_ = false;
};
