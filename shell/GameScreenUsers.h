#pragma once
// The players' screens.
//
//   "GameScreenNewUser"       a new player's name: "edit_name" (an edit field), "button_ok"
//                             and "button_cancel", Enter and Escape. A name that is blank,
//                             or that a player has already (in any case), opens
//                             "GS_QueryNotUniqueName" and the screen stays; a good one
//                             closes it with the result "user_name". Shown with "Necessary",
//                             it cannot be cancelled.
//   "GameScreenUserProfiles"  the players in "listbox_profiles", with a first row that
//                             creates a new player (unless
//                             add_create_new_user_name_listitem="no"), and "button_ok",
//                             "button_cancel", "button_create", "button_delete". The chosen
//                             player becomes the current one; "users.dat" is saved after
//                             every change. Deleting the last player asks for a new one.
//
// The buttons these screens handle have no action type: they send event 1.

#include <cstdint>
#include <string>

#include "shell/GameScreen.h"

class TGameScreenNewUser : public TGameScreen {
 public:
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;

  // Accept: the name entered, if unique; otherwise the screen closes with no result.
  virtual void Finish(bool accept);

  const std::string& GetEnteredName() const { return enteredName_; }
  bool IsCancelAllowed() const { return cancelAllowed_; }

 protected:
  void OnShow(const Ref<IParamCollection>& params) override;

  std::string enteredName_;
  bool cancelAllowed_ = true;
};

class TGameScreenUserProfiles : public TGameScreen {
 public:
  void SetOwner(IGameScreenOwner* owner) override;
  void ReleaseOwner() override;
  void Hide() override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;

  const std::string& GetSelectedName() const { return selectedName_; }

 protected:
  const TPropertyTable& Properties() override;
  void OnShow(const Ref<IParamCollection>& params) override;
  // Confirm: the selected player becomes the current one and the game takes their hint
  // setting. The screen closes in any case.
  void SelectAndClose(bool confirm);
  void DeleteSelectedProfile();
  // The selected row is a player's (not the create row, not none).
  bool IsProfileRowSelected();
  void SaveProfiles();

  Ref<IListBoxControl> listBox_;
  bool addCreateRow_ = true;
  int32_t rowOffset_ = 1;
  std::string selectedName_;
};
