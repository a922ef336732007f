#pragma once
// The in-game menu ("Tavelor2GameScreenMenu", "GS_GameMenu") over the play screen. Its
// buttons resume, restart, leave for the main menu, or open the options and the rules;
// restarting and leaving ask first ("GS_QueryRestart", "GS_QueryMainMenu"), and a query
// the game file lacks counts as confirmed.
//
// Result: "Button" = the pressed button's name, or the identifier of the confirmed query;
// no result when the menu is left by Escape or by a click beside its controls.

#include <cstdint>
#include <string>

#include "shell/GameScreen.h"

class TTavelor2GameScreenMenu : public TGameScreen {
 public:
  // "current_level_caption" shows the parameter "text".
  void Show(const Ref<IParamCollection>& params) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
};
