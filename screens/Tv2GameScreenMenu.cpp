#include "screens/Tv2GameScreenMenu.h"

#include "platform/InputConstants.h"
#include "shell/ControlReactions.h"

namespace {

constexpr const char* kQueryMainMenu = "GS_QueryMainMenu";
constexpr const char* kQueryRestart = "GS_QueryRestart";

Ref<IParamCollection> ButtonResult(const std::string& button) {
  return SingleParam("Button", Variant(button));
}

}  // namespace

void TTavelor2GameScreenMenu::Show(const Ref<IParamCollection>& params) {
  if (Ref<IWidget> caption = FindWidget("current_level_caption"); caption && params)
    caption->SetProperty("text_utf8", Variant(params->GetValue("text", Variant("")).ToString()));
  TGameScreen::Show(params);
}

void TTavelor2GameScreenMenu::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  IGameScreenOwner* game = GetOwner();
  if (!sender || !game) return;
  using Screen = TTavelor2GameScreenMenu;
  static constexpr ControlReaction<Screen> kButtons[] = {
      {"button_unpause", false,
       [](Screen& screen, IWidget& button) { screen.Close(ButtonResult(button.GetName())); }},
      {"button_main_menu", false,
       [](Screen& screen, IWidget& button) {
         if (!screen.GetOwner()->ShowScreen(kQueryMainMenu, nullptr))
           screen.Close(ButtonResult(button.GetName()));
       }},
      {"button_options", false,
       [](Screen& screen, IWidget&) { screen.GetOwner()->ShowScreen("GS_Options", nullptr); }},
      {"button_rules", false,
       [](Screen& screen, IWidget&) { screen.GetOwner()->ShowScreen("GS_HowToPlay", nullptr); }},
      {"button_restart", false,
       [](Screen& screen, IWidget& button) {
         if (!screen.GetOwner()->ShowScreen(kQueryRestart, nullptr))
           screen.Close(ButtonResult(button.GetName()));
       }},
  };
  ReactToControl(*this, *sender, sender->GetName(), code, kButtons);
}

void TTavelor2GameScreenMenu::OnChildClosed(const std::string& name,
                                            const Ref<IParamCollection>& result) {
  TGameScreen::OnChildClosed(name, result);
  if (name != kQueryMainMenu && name != kQueryRestart) return;
  if (!result || result->GetValue("Button").ToString() != "button_yes") return;
  result->SetValue("Button", Variant(name));
  Close(result);
}

bool TTavelor2GameScreenMenu::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  if (TGameScreen::HandleKey(message, keyCode, keyData)) return true;
  if (message != input::kKeyDown || keyCode != input::kVkEscape) return false;
  Close(nullptr);
  return true;
}

bool TTavelor2GameScreenMenu::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  // Taken before the event: a slider lets go of the capture on the very release.
  bool captured = bool(GetCapture());
  if (TGameScreen::HandleMouse(message, point, keys)) return true;
  if (captured) return false;
  if (!input::IsButtonUp(message)) return false;
  // A click beside the controls resumes the game.
  Close(nullptr);
  return true;
}
