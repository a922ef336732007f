#pragma once
// The options and the quit confirmation.
//
//   "GameScreenOptions"  shows and changes the game's options through five controls:
//                        check boxes "checkbox_screenmode" (FullScreenMode),
//                        "checkbox_widescreenmode" (WideScreenMode), "checkbox_showhints"
//                        (ShowHints, also kept in the current player's profile) and track
//                        bars "trackbar_soundvolume" (SoundVolume; plays the track bar's
//                        sound "sound_checksoundvolume" at the new volume) and
//                        "trackbar_musicvolume" (MusicVolume). "IsAvailableWindowedMode" and
//                        "IsAvailableWideScreenMode" set to "no" disable the two screen
//                        boxes. "button_close" and Escape close it, "button_highscores"
//                        opens "GS_HighScores".
//   "GameScreenQuit"     "button_exit" ends the program, "button_cancel" closes the screen;
//                        so does the close of any screen shown above it.
//
// The buttons these screens handle have no action type: they send event 1.

#include <array>
#include <cstdint>

#include "shell/GameScreen.h"

class TGameScreenOptions : public TGameScreen {
 public:
  void SetOwner(IGameScreenOwner* owner) override;
  void ReleaseOwner() override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;

  // One control and the option it shows.
  struct OptionControl {
    const char* widgetName;
    const char* option;
    const char* availability;  // nothing when the control is always available
    bool checkBox;             // else a track bar
  };
  static const std::array<OptionControl, 5> kOptionControls;

 protected:
  void OnShow(const Ref<IParamCollection>& params) override;
  // The control's state from its option, and whether it is enabled.
  void ShowOption(const OptionControl& control, IWidget* widget);
  void ApplyOption(const OptionControl& control, IWidget* sender, int32_t code);

  std::array<Ref<IWidget>, 5> controls_;
  // The show sets the controls, and track bars report every change of position.
  bool settingControls_ = false;
};

class TGameScreenQuit : public TGameScreen {
 public:
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;
};
