#pragma once
// The high scores ("Tavelor2GameScreenHighScores"): the grid "high_scores_grid" shows one
// table per play mode, the untimed one (table 1) first. "button_classic" switches to the
// timed table and "button_relax" back; only the other mode's button is visible, and
// "label_playmode" names the mode shown ("%play_mode0%", "%play_mode1%"). When the query
// "GS_ClearHighScores" is answered "button_yes", the tables are cleared, the program
// folder's defaults are read again and the tables are saved.

#include <cstdint>

#include "shell/GameScreen.h"

class TTavelor2GameScreenHighScores : public TGameScreen {
 public:
  void SetOwner(IGameScreenOwner* owner) override;
  void ReleaseOwner() override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;

  // The table of that play mode (0 timed, 1 untimed) in the grid.
  void ShowTable(uint8_t mode);

 protected:
  void OnShow(const Ref<IParamCollection>& params) override;

  Ref<IWidget> grid_;
};
