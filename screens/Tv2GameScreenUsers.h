#pragma once
// The game's players ("TV2GameScreenUsers"): the standard profile list, where a new
// player also chooses the play mode. "GS_NewUser" leads to "GS_Dificult", whose answer
// creates the player with its "play_mode" in their profile's data storage; the new player
// is selected in the list but the current player stays current. Deleting the last player
// asks for a new one ("GS_NewUser" with "Necessary").

#include <cstdint>
#include <string>

#include "shell/GameScreenUsers.h"

// Writes Mode as the integer attribute "play_mode" on the root of the profile's data
// storage (a new "gamescreen" document when it holds none; other values stay), then saves
// the profiles.
void WriteProfilePlayMode(IGameScreenOwner* game, const Ref<IUserProfile>& profile, uint8_t mode);

class TTV2GameScreenUsers : public TGameScreenUserProfiles {
 public:
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;

 protected:
  // The new player from the difficulty screen's answer.
  void CreateUser(const Ref<IParamCollection>& result);
  // The rows again, with the selected name's row selected.
  void RefreshList();
};
