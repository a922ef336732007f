#include "shell/GameScreenOptions.h"

#include <optional>
#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/Routines.h"
#include "platform/InputConstants.h"
#include "shell/ControlReactions.h"

namespace {

const char* const kShowHints = "ShowHints";
const char* const kSoundVolume = "SoundVolume";
const char* const kCheckBoxState = "CheckBoxState";
const char* const kPosition = "position";

const char* YesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

const std::array<TGameScreenOptions::OptionControl, 5> TGameScreenOptions::kOptionControls = {{
    {"checkbox_screenmode", "FullScreenMode", "IsAvailableWindowedMode", true},
    {"checkbox_widescreenmode", "WideScreenMode", "IsAvailableWideScreenMode", true},
    {"checkbox_showhints", kShowHints, nullptr, true},
    {"trackbar_soundvolume", kSoundVolume, nullptr, false},
    {"trackbar_musicvolume", "MusicVolume", nullptr, false},
}};

// ---------------------------------------------------------------------------------------
// Options

void TGameScreenOptions::SetOwner(IGameScreenOwner* owner) {
  TGameScreen::SetOwner(owner);
  for (size_t i = 0; i < kOptionControls.size(); ++i)
    controls_[i] = root_ ? root_->FindWidget(kOptionControls[i].widgetName) : nullptr;
}

void TGameScreenOptions::ReleaseOwner() {
  for (Ref<IWidget>& control : controls_) control = nullptr;
  TGameScreen::ReleaseOwner();
}

void TGameScreenOptions::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  settingControls_ = true;
  for (size_t i = 0; i < kOptionControls.size(); ++i)
    if (Ref<IWidget> control = controls_[i]) ShowOption(kOptionControls[i], control.get());
  settingControls_ = false;
}

void TGameScreenOptions::ShowOption(const OptionControl& control, IWidget* widget) {
  if (!owner_) return;
  Variant value = owner_->GetParamValue(control.option);
  if (!value.IsClear()) {
    if (control.checkBox) {
      widget->SetProperty(kCheckBoxState, Variant(SameText(value.ToString(), "yes")));
    } else {
      // A value that is no integer puts the slider at 0.
      std::optional<int64_t> position = value.TryInt();
      widget->SetProperty(kPosition, Variant(int(position ? SaturateInt32(*position) : 0)));
    }
  }
  if (!control.availability) return;
  Variant available = owner_->GetParamValue(control.availability);
  if (!available.IsClear()) widget->SetEnabled(!SameText(available.ToString(), "no"));
}

void TGameScreenOptions::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (!sender || !owner_) return;
  static constexpr ControlReaction<TGameScreenOptions> kButtons[] = {
      {"button_close", true, [](TGameScreenOptions& screen, IWidget&) { screen.Close(nullptr); }},
      {"button_highscores", true,
       [](TGameScreenOptions& screen, IWidget&) {
         screen.owner_->ShowScreen("GS_HighScores", nullptr);
       }},
  };
  std::string name = sender->GetName();
  if (code == control_event::kButtonClick) {
    ReactToControl(*this, *sender, name, code, kButtons);
    return;
  }
  if (settingControls_) return;
  for (const OptionControl& control : kOptionControls)
    if (name == control.widgetName) ApplyOption(control, sender, code);
}

void TGameScreenOptions::ApplyOption(const OptionControl& control, IWidget* sender, int32_t code) {
  if (control.checkBox && code == control_event::kCheckBoxToggled) {
    bool checked = sender->GetProperty(kCheckBoxState).ToBool(false);
    owner_->SetOption(control.option, YesNo(checked));
    if (std::string(control.option) != kShowHints) return;
    Ref<IUserProfileCollection> profiles = owner_->GetUserProfiles();
    if (Ref<IUserProfile> current = profiles ? profiles->GetCurrent() : nullptr)
      current->GetParams()->SetValue(kShowHints, Variant(YesNo(checked)));
  } else if (!control.checkBox && code == control_event::kTrackBarMoved) {
    int32_t position = sender->GetProperty(kPosition).ToInt(0);
    owner_->SetOption(control.option, std::to_string(position));
    // A sample of the new volume.
    if (std::string(control.option) == kSoundVolume) sender->PlaySound("sound_checksoundvolume");
  }
}

bool TGameScreenOptions::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  if (TGameScreen::HandleKey(message, keyCode, keyData)) return true;
  if (message != input::kKeyDown || keyCode != input::kVkEscape) return false;
  Close(nullptr);
  return true;
}

// ---------------------------------------------------------------------------------------
// Quit

void TGameScreenQuit::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (code != control_event::kButtonClick || !sender) return;
  static constexpr ControlReaction<TGameScreenQuit> kButtons[] = {
      {"button_exit", true,
       [](TGameScreenQuit& screen, IWidget&) {
         if (IEngine* engine = screen.GetEngine()) engine->Terminate();
       }},
      {"button_cancel", true, [](TGameScreenQuit& screen, IWidget&) { screen.Close(nullptr); }},
  };
  ReactToControl(*this, *sender, sender->GetName(), code, kButtons);
}

void TGameScreenQuit::OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) {
  TGameScreen::OnChildClosed(name, result);
  // Whatever was asked above the quit screen, the game ends.
  if (IEngine* engine = GetEngine()) engine->Terminate();
}
