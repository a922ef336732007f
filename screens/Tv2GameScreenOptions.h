#pragma once
// The game's options ("TV2GameScreenOptions"): the standard options with the play-mode
// switch "set_play_mode_timed" / "set_play_mode_untimed" (the current mode's button is
// disabled). A switch writes the mode into the current player's progress and stores it in
// their profile.
//
// The progress is the one the game has published as "user_game_data" (the diary's, when
// the options are opened over a level); only when none is published does the screen read
// the current player's own, publish it while it shows and withdraw it when it closes.

#include <cstdint>

#include "gameplay/Tv2Interfaces.h"
#include "shell/GameScreenOptions.h"

class TTV2GameScreenOptions : public TGameScreenOptions {
 public:
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void Hide() override;

  const Ref<IUserGameData>& GetProgress() const { return progress_; }

 protected:
  void OnShow(const Ref<IParamCollection>& params) override;
  void ShowPlayMode(uint8_t mode);
  void SetPlayMode(uint8_t mode);
  // Lets go of a progress this screen published.
  void DropOwnProgress();

  Ref<IUserGameData> progress_;
  // The progress was read by this screen (not borrowed from the one that published it).
  bool ownProgress_ = false;
};
