#include "screens/Tv2GameScreenUsers.h"

#include "foundation/GameDeclarations.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"
#include "gameplay/Tv2UserGameData.h"

namespace {

const char* const kUserName = "user_name";
const char* const kPlayMode = "play_mode";

}  // namespace

void WriteProfilePlayMode(IGameScreenOwner* game, const Ref<IUserProfile>& profile, uint8_t mode) {
  if (!game || !profile) return;
  std::string text = profile->GetDataStorage();
  std::string problem;
  Ref<IHierStorageRoot> storage = text.empty()
                                      ? CreateXmlStorage("gamescreen")
                                      : ParseProgressText(profile->GetName(), text, problem);
  if (!storage) {
    // What the player had stays as it was.
    Warn(UserProfilesFileName,
         "player \"" + profile->GetName() + "\": play mode not stored (" + problem + ")");
    return;
  }
  WriteXmlInt(storage, kPlayMode, mode, true);
  profile->SetDataStorage(storage->GetXmlText());
  if (Ref<IUserProfileCollection> profiles = game->GetUserProfiles())
    profiles->SaveToFile(game->GetEngine());
}

void TTV2GameScreenUsers::OnChildClosed(const std::string& name,
                                        const Ref<IParamCollection>& result) {
  // The profile screen's own handling is replaced: a new player goes through the
  // difficulty screen first, and is not made current.
  TGameScreen::OnChildClosed(name, result);
  if (SameText(name, "GS_NewUser")) {
    // A game without the difficulty screen still gets its player, timed.
    if (owner_ && !owner_->ShowScreen("GS_Dificult", result)) CreateUser(result);
  } else if (SameText(name, "GS_Dificult")) {
    CreateUser(result);
  } else if (SameText(name, "GS_QueryDeleteProfile") && result && owner_ &&
             owner_->GetUserProfiles() && result->GetValue("Button").ToString() == "button_yes") {
    // Only a player's row is deleted: not the create row, not when nothing is selected.
    DeleteSelectedProfile();
  }
}

void TTV2GameScreenUsers::CreateUser(const Ref<IParamCollection>& result) {
  Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr;
  if (!profiles || !result || !result->FindParam(Variant(kUserName))) return;
  uint8_t mode = uint8_t(result->GetValue(kPlayMode, Variant(0)).ToInt(0));
  std::string userName = result->GetValue(kUserName).ToString();
  if (profiles->GetOrCreate(userName))
    if (Ref<IUserProfile> profile = profiles->GetItem(Variant(userName)))
      WriteProfilePlayMode(owner_, profile, mode);
  selectedName_ = userName;
  RefreshList();
}

void TTV2GameScreenUsers::RefreshList() {
  Ref<IListBoxControl> list = listBox_;
  Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr;
  if (!list || !profiles) return;
  list->ClearRows();
  if (addCreateRow_) list->AddRow(NewUserCaption, "");
  for (int i = 0; i < profiles->Count(); ++i) {
    Ref<IUserProfile> profile = profiles->GetItem(Variant(i));
    list->AddRow(profile ? profile->GetName() : std::string(), "");
    if (profile && SameText(profile->GetName(), selectedName_)) list->SetSelected(i + rowOffset_);
  }
}
