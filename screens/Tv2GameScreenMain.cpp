#include "screens/Tv2GameScreenMain.h"

#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"
#include "gameplay/Tv2Interfaces.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "screens/Tv2DiaryPages.h"

namespace {

constexpr const char* kMenuMusic = "music_background";
constexpr const char* kGameMusic = "sub";

}  // namespace

// ---------------------------------------------------------------------------------------
// The shared documents

void TTavelor2GameScreenMain::SetOwner(IGameScreenOwner* owner) {
  TGameScreen::SetOwner(owner);
  if (owner) LoadSharedDocuments();
}

// Each document that cannot be read is said on the warning channel and leaves its game
// parameter unset; the others still load.
void TTavelor2GameScreenMain::LoadSharedDocuments() {
  if (Ref<ISceneDefRefCollection> scenes = LoadSceneDefRefs(kSceneDefsFile))
    owner_->SetParamValue("scene_defs", Variant(Ref<IInterface>(scenes.get())));
  if (Ref<ICategoryCollection> categories = LoadCategories(kCategoriesFile)) {
    categories->SetEngine(GetEngine());
    owner_->SetParamValue("categories", Variant(Ref<IInterface>(categories.get())));
  }
  if (Ref<IParticipantCollection> participants = LoadParticipants(kParticipantsFile))
    owner_->SetParamValue("participants", Variant(Ref<IInterface>(participants.get())));
}

void TTavelor2GameScreenMain::ReleaseOwner() {
  if (owner_) {
    Ref<ICategoryCollection> categories =
        Supports<ICategoryCollection>(owner_->GetParamValue("categories").RawInterface());
    if (categories) categories->ReleaseEngine();
    owner_->SetParamValue("categories", Variant::Null());
    owner_->SetParamValue("scene_defs", Variant::Null());
  }
  TGameScreen::ReleaseOwner();
}

// ---------------------------------------------------------------------------------------
// The player

void TTavelor2GameScreenMain::Show(const Ref<IParamCollection>& params) {
  TGameScreen::Show(params);
  ShowWelcome(true);
}

void TTavelor2GameScreenMain::ShowWelcome(bool openNewUser) {
  if (!owner_) return;
  Ref<IUserProfileCollection> profiles = owner_->GetUserProfiles();
  if (Ref<IUserProfile> current = profiles ? profiles->GetCurrent() : nullptr) {
    if (Ref<IWidget> welcome = FindWidget("welcome_message")) {
      SetLanguageVariable("username", current->GetName());
      welcome->SetProperty("text_utf8", Variant(TranslateText("%welcome%")));
    }
    return;
  }
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("Necessary", Variant(true));
  if (!openNewUser) return;
  RestartWidget("hide_desktop_screen");
  owner_->ShowScreen("GS_NewUser", params);
}

void TTavelor2GameScreenMain::WriteProfilePlayMode(IGameScreenOwner* game,
                                                   const Ref<IParamCollection>& result) {
  if (!game || !result) return;
  Ref<IUserProfileCollection> profiles = game->GetUserProfiles();
  Ref<IParam> userName = result->FindParam(Variant("user_name"));
  const auto playMode = uint8_t(result->GetValue("play_mode", Variant(0)).ToInt(0));
  if (!userName || !profiles) return;
  const std::string name = userName->GetValue().ToString();
  Ref<IUserProfile> profile = profiles->GetOrCreate(name);
  if (!profile) return;
  profiles->SetCurrent(name);
  profile = profiles->GetItem(Variant(name));
  if (!profile) return;
  const std::string text = profile->GetDataStorage();
  Ref<IHierStorageRoot> storage;
  if (text.empty()) {
    storage = CreateXmlStorage("gamescreen");
  } else {
    std::string problem;
    storage = ParseProgressText(name, text, problem);
    // What the profile holds is kept rather than replaced by a storage of one value.
    if (!storage) {
      Warn(UserProfilesFileName, "player \"" + name + "\": play mode not stored (" + problem + ")");
      return;
    }
  }
  if (!storage) return;
  WriteXmlInt(Ref<IHierStorage>(storage.get()), "play_mode", playMode, true);
  profile->SetDataStorage(storage->GetXmlText());
  profiles->SaveToFile(game->GetEngine());
}

// ---------------------------------------------------------------------------------------
// The game

void TTavelor2GameScreenMain::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (!sender || code != control_event::kButtonClick || sender->GetName() != "button_start" ||
      !owner_)
    return;
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("show_diary", Variant(1));
  params->SetValue("tab", Variant(-1));
  params->SetValue("debug_mode", Variant(0));
  SwitchMusic(kMenuMusic, kGameMusic);
  owner_->ShowScreen("gs_game", params);
}

void TTavelor2GameScreenMain::OnChildClosed(const std::string& name,
                                            const Ref<IParamCollection>& result) {
  TGameScreen::OnChildClosed(name, result);
  if (!owner_) return;
  if ((SameText(name, "GS_NewUser") || SameText(name, "GS_NewUser_FirstRun")) && result)
    owner_->ShowScreen("GS_Dificult", result);
  if (SameText(name, "GS_Dificult") && result) WriteProfilePlayMode(owner_, result);
  // The start request names "gs_game": the play screen comes back under any case.
  if (SameText(name, "GS_Game")) {
    if (result && (result->FindParam(Variant("task")) || result->FindParam(Variant("show_diary"))))
      owner_->ShowScreen("GS_Game", result);
    else
      SwitchMusic(kGameMusic, kMenuMusic);
  }
  ShowWelcome(false);
}

void TTavelor2GameScreenMain::SwitchMusic(const std::string& stop, const std::string& play) {
  IEngine* engine = GetEngine();
  if (!musics_ || !engine) return;
  if (Ref<IMusic> music = musics_->FindMusic(Variant(stop))) engine->StopMusic(music);
  if (Ref<IMusic> music = musics_->FindMusic(Variant(play))) engine->PlayMusic(music);
}
