#include "shell/GameScreenUsers.h"

#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Routines.h"
#include "platform/InputConstants.h"

namespace {

const char* const kEditName = "edit_name";
const char* const kButtonOk = "button_ok";
const char* const kButtonCancel = "button_cancel";
const char* const kButtonCreate = "button_create";
const char* const kButtonDelete = "button_delete";
const char* const kListBox = "listbox_profiles";
const char* const kUserName = "user_name";
const char* const kNecessary = "Necessary";
const char* const kShowHints = "ShowHints";
const char* const kNewUserScreen = "GS_NewUser";
const char* const kNotUniqueScreen = "GS_QueryNotUniqueName";
const char* const kDeleteQueryScreen = "GS_QueryDeleteProfile";

bool Holds(const Ref<IParamCollection>& params, const char* name) {
  return params && params->FindParam(Variant(name));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// A new player's name

void TGameScreenNewUser::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  enteredName_.clear();
  cancelAllowed_ = !Holds(params, kNecessary);
  if (Ref<IWidget> cancel = FindWidget(kButtonCancel)) cancel->SetEnabled(cancelAllowed_);
  Ref<IWidget> edit = FindWidget(kEditName);
  if (edit) {
    edit->SetProperty("text_utf8", Variant(TranslateText("%label_player%")));
    edit->SetProperty("default_value", Variant(true));
  }
  if (!Holds(params, kUserName)) return;
  enteredName_ = params->GetValue(kUserName).ToString();
  if (edit) edit->SetProperty("value", Variant(enteredName_));
}

void TGameScreenNewUser::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (!sender) return;
  std::string name = sender->GetName();
  if (code == control_event::kButtonClick && name == kButtonOk)
    Finish(true);
  else if (code == control_event::kButtonClick && name == kButtonCancel)
    Finish(false);
  else if (code == control_event::kEditChar && name == kEditName)
    enteredName_ = sender->GetProperty("text_utf8").ToString();
}

bool TGameScreenNewUser::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  if (TGameScreen::HandleKey(message, keyCode, keyData)) return true;
  if (message != input::kKeyDown) return false;
  if (keyCode == input::kVkReturn) {
    Finish(true);
    return true;
  }
  if (keyCode != input::kVkEscape) return false;
  if (cancelAllowed_) Finish(false);
  return true;
}

void TGameScreenNewUser::Finish(bool accept) {
  if (!accept) {
    Close(nullptr);
    return;
  }
  // A field that still shows its placeholder holds no name.
  if (enteredName_.empty())
    if (Ref<IWidget> edit = FindWidget(kEditName); edit && !edit->GetProperty("default_value").ToBool())
      enteredName_ = edit->GetProperty("text_utf8").ToString();
  std::string name(TrimBlanks(enteredName_));
  Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr;
  bool unique = !name.empty() && !(profiles && profiles->GetItem(Variant(name)));
  if (unique)
    Close(SingleParam(kUserName, Variant(name)));
  else if (owner_)
    owner_->ShowScreen(kNotUniqueScreen, nullptr);
}

// ---------------------------------------------------------------------------------------
// The players

const TPropertyTable& TGameScreenUserProfiles::Properties() {
  using U = TGameScreenUserProfiles;
  static const TPropertyTable table(
      TGameScreen::Properties(),
      {
          Attr("add_create_new_user_name_listitem", &U::addCreateRow_).Bool(true).SkipDefault(),
      });
  return table;
}

void TGameScreenUserProfiles::SetOwner(IGameScreenOwner* owner) {
  TGameScreen::SetOwner(owner);
  // Straight from the root: the window is loaded whenever the screen gets its owner.
  listBox_ = root_ ? Supports<IListBoxControl>(root_->FindWidget(kListBox)) : nullptr;
}

void TGameScreenUserProfiles::ReleaseOwner() {
  listBox_ = nullptr;
  TGameScreen::ReleaseOwner();
}

void TGameScreenUserProfiles::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  Ref<IListBoxControl> list = listBox_;
  if (!list) return;
  rowOffset_ = addCreateRow_ ? 1 : 0;
  // Rows have keys of their own: a player named like the create row keeps a row, and a
  // row less the offset is always the player's position.
  if (addCreateRow_) {
    // Without a translation the caption stays what it was.
    if (std::string caption = TranslateText(NewUserCaptionKey); !caption.empty())
      NewUserCaption = caption;
    list->AddRow(NewUserCaption, "");
  }
  Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr;
  Ref<IUserProfile> current = profiles ? profiles->GetCurrent() : nullptr;
  selectedName_ = current ? current->GetName() : std::string();
  int count = profiles ? profiles->Count() : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IUserProfile> profile = profiles->GetItem(Variant(i));
    list->AddRow(profile ? profile->GetName() : std::string(), "");
    if (profile && SameText(profile->GetName(), selectedName_)) list->SetSelected(i + rowOffset_);
  }
}

void TGameScreenUserProfiles::Hide() {
  TGameScreen::Hide();
  if (Ref<IListBoxControl> list = listBox_) list->ClearRows();
}

bool TGameScreenUserProfiles::IsProfileRowSelected() {
  int32_t selected = listBox_ ? listBox_->GetSelected() : -1;
  return selected >= rowOffset_;
}

void TGameScreenUserProfiles::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (!sender) return;
  std::string name = sender->GetName();
  Ref<IListBoxControl> list = listBox_;
  if (name == kListBox && list) {
    if (code == control_event::kListBoxClick) {
      int32_t selected = list->GetSelected();
      if (addCreateRow_ && selected == 0) {
        if (owner_) owner_->ShowScreen(kNewUserScreen, nullptr);
      } else {
        selectedName_ = list->GetRow(Variant(int(selected)));
      }
    } else if (code == control_event::kListBoxDoubleClick) {
      SelectAndClose(true);
    }
    return;
  }
  if (code != control_event::kButtonClick) return;
  if (name == kButtonOk) {
    SelectAndClose(true);
  } else if (name == kButtonCancel) {
    SelectAndClose(false);
  } else if (name == kButtonCreate) {
    if (owner_) owner_->ShowScreen(kNewUserScreen, nullptr);
  } else if (name == kButtonDelete && list && IsProfileRowSelected() && owner_) {
    std::string row = list->GetRow(Variant(int(list->GetSelected())));
    owner_->ShowScreen(kDeleteQueryScreen, SingleParam(kUserName, Variant(row)));
  }
}

void TGameScreenUserProfiles::SelectAndClose(bool confirm) {
  Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr;
  if (confirm && listBox_ && profiles) {
    profiles->SetCurrent(selectedName_);
    // The game plays with the hint setting of the player who is current from now on.
    Ref<IUserProfile> chosen = profiles->GetCurrent();
    if (chosen && !owner_->GetParamValue(kShowHints).IsClear()) {
      Variant hints = chosen->GetParams()->GetValue(kShowHints, Variant("yes"));
      owner_->SetParamValue(kShowHints, hints);
    }
    SaveProfiles();
  }
  Close(nullptr);
}

void TGameScreenUserProfiles::OnChildClosed(const std::string& name,
                                            const Ref<IParamCollection>& result) {
  TGameScreen::OnChildClosed(name, result);
  Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr;
  if (!profiles) return;
  if (SameText(name, kNewUserScreen) && Holds(result, kUserName)) {
    std::string userName = result->GetValue(kUserName).ToString();
    if (!profiles->GetOrCreate(userName)) return;
    selectedName_ = userName;
    SelectAndClose(true);
  } else if (SameText(name, kDeleteQueryScreen) && result &&
             result->GetValue("Button").ToString() == "button_yes") {
    DeleteSelectedProfile();
  }
}

void TGameScreenUserProfiles::DeleteSelectedProfile() {
  Ref<IUserProfileCollection> profiles = owner_->GetUserProfiles();
  Ref<IListBoxControl> list = listBox_;
  if (!list || !IsProfileRowSelected()) return;
  int32_t row = list->GetSelected();
  int32_t index = row - rowOffset_;
  if (index < profiles->Count()) profiles->Delete(Variant(int(index)));
  list->DeleteRow(Variant(int(row)));
  int32_t selected = list->GetSelected();
  if (selected < rowOffset_) {
    // No player is left: the game needs one.
    profiles->SetCurrent("");
    owner_->ShowScreen(kNewUserScreen, SingleParam(kNecessary, Variant(true)));
  } else {
    selectedName_ = list->GetRow(Variant(int(selected)));
    if (!profiles->GetCurrent()) profiles->SetCurrent(selectedName_);
  }
  SaveProfiles();
}

void TGameScreenUserProfiles::SaveProfiles() {
  if (Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr)
    profiles->SaveToFile(GetEngine());
}
