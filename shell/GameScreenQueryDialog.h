#pragma once
// Questions to the player.
//
//   "GameScreenQueryDialog"         every show parameter named like one of the screen's
//                                   widgets becomes that widget's text; any button (event
//                                   1) closes the dialog with the result "Button" = the
//                                   button's name.
//   "GameScreenQueryDeleteProfile"  the same, and the player's name from the parameter
//                                   "user_name" in "label_user_profile_name", shown as it
//                                   was typed.

#include <cstdint>

#include "shell/GameScreen.h"

class TGameScreenQueryDialog : public TGameScreen {
 public:
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;

 protected:
  void OnShow(const Ref<IParamCollection>& params) override;
};

class TGameScreenQueryDeleteProfile : public TGameScreenQueryDialog {
 protected:
  void OnShow(const Ref<IParamCollection>& params) override;
};
