#pragma once
// "Tv2GameScreenDificult": the new player's choice of play mode ("GS_Dificult"), shown
// with the new-player screen's result. "set_play_mode_timed" and "set_play_mode_untimed"
// choose (the button of the current mode is disabled); accepting closes the screen with
// that result plus "play_mode" (0 timed, 1 untimed); cancelling closes it without one.
// Shown without parameters (a cancelled new-player screen) it closes at once, unseen.

#include <cstdint>

#include "shell/GameScreenUsers.h"

class TTv2GameScreenDificult : public TGameScreenNewUser {
 public:
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void Finish(bool accept) override;

  uint8_t GetPlayMode() const { return playMode_; }

 protected:
  void OnShow(const Ref<IParamCollection>& params) override;

 private:
  void SetPlayMode(uint8_t mode);

  Ref<IParamCollection> params_;
  uint8_t playMode_ = 1;
};
