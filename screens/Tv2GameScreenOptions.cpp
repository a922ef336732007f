#include "screens/Tv2GameScreenOptions.h"

#include "gameplay/Tv2UserGameData.h"
#include "screens/Tv2GameScreenSelectCase.h"

namespace {

const char* const kTimedButton = "set_play_mode_timed";
const char* const kUntimedButton = "set_play_mode_untimed";
constexpr uint8_t kTimed = 0;
constexpr uint8_t kUntimed = 1;

}  // namespace

void TTV2GameScreenOptions::OnShow(const Ref<IParamCollection>& params) {
  TGameScreenOptions::OnShow(params);
  DropOwnProgress();
  Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr;
  Ref<IUserProfile> current = profiles ? profiles->GetCurrent() : nullptr;
  if (!current) return;
  // A fresh copy over the diary's would take the level's points with it when the diary
  // later stores its own.
  progress_ = PublishedProgress(owner_);
  if (!progress_) {
    Ref<TUserGameData> own = TAbstractObject::Create<TUserGameData>();
    own->AttachProfile(current);
    progress_ = Ref<IUserGameData>(own.get());
    ownProgress_ = true;
    owner_->SetParamValue(kUserGameDataParam, Variant(Ref<IInterface>(progress_.get())));
  }
  ShowPlayMode(progress_->GetPlayMode());
}

void TTV2GameScreenOptions::ShowPlayMode(uint8_t mode) {
  if (Ref<IWidget> untimed = FindWidget(kUntimedButton)) untimed->SetEnabled(mode != kUntimed);
  if (Ref<IWidget> timed = FindWidget(kTimedButton)) timed->SetEnabled(mode == kUntimed);
}

void TTV2GameScreenOptions::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreenOptions::OnWidgetEvent(sender, code, param);
  if (!sender || code != control_event::kButtonClick || !progress_) return;
  std::string name = sender->GetName();
  if (name == kTimedButton)
    SetPlayMode(kTimed);
  else if (name == kUntimedButton)
    SetPlayMode(kUntimed);
}

void TTV2GameScreenOptions::SetPlayMode(uint8_t mode) {
  Ref<IUserGameData> progress = progress_;
  ShowPlayMode(mode);
  progress->SetPlayMode(mode);
  progress->StoreToProfile(owner_);
  if (owner_) owner_->SetParamValue(kUserGameDataParam, Variant(Ref<IInterface>(progress.get())));
}

void TTV2GameScreenOptions::Hide() {
  TGameScreenOptions::Hide();
  DropOwnProgress();
}

void TTV2GameScreenOptions::DropOwnProgress() {
  Ref<IUserGameData> progress = progress_;
  progress_ = nullptr;
  if (!progress || !ownProgress_) return;
  ownProgress_ = false;
  // Withdrawn only while it is still the published one.
  if (owner_ && PublishedProgress(owner_) == progress)
    owner_->SetParamValue(kUserGameDataParam, Variant::Null());
  progress->ReleaseLinks();
}
