#pragma once
// The main menu ("Tavelor2GameScreenMain", shown as "GS_Main"). Besides being the menu it
// loads and publishes the game's shared documents as game parameters ("scene_defs",
// "categories", "participants") when the game hands it its owner, makes sure a player
// exists (new-player screen, then the difficulty screen, whose "play_mode" it stores in
// the new profile), and starts the play screen, which shows the diary first. When the play
// screen closes asking for another task, the menu opens it again with that request.
//
//   window: "welcome_message" (text greeting the current player, "%welcome%" with the
//   language variable "username"), "hide_desktop_screen" (restarted before the
//   new-player screen opens), "button_start"; musics "music_background" and "sub".

#include <string>

#include "shell/GameScreen.h"

class TTavelor2GameScreenMain : public TGameScreen {
 public:
  static constexpr const char* kSceneDefsFile = "data\\ini\\scenes.ini";
  static constexpr const char* kCategoriesFile = "data\\ini\\categories.ini";
  static constexpr const char* kParticipantsFile = "data\\ini\\participants.ini";

  void SetOwner(IGameScreenOwner* owner) override;
  void ReleaseOwner() override;
  void Show(const Ref<IParamCollection>& params) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;

  // Greets the current player; without one, opens the new-player screen when
  // OpenNewUser is set.
  void ShowWelcome(bool openNewUser);

  // The new player of a result ("user_name") becomes current and its profile storage
  // gets the result's "play_mode" (0 timed, 1 untimed); the profiles are saved. The
  // users screen does the same.
  static void WriteProfilePlayMode(IGameScreenOwner* game, const Ref<IParamCollection>& result);

 private:
  void LoadSharedDocuments();
  // Stops one music of the screen and plays another, each only when the screen has it.
  void SwitchMusic(const std::string& stop, const std::string& play);
};
