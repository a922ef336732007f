#pragma once
// The shared fixture of the gameplay data tests: the built program folder as the game's
// working folder (as the program runs), its language file loaded, and the game file's
// play screen "GS_Game" on the fake owner, its window loaded.

#include <filesystem>

#include "gameplay/Tv2UserGameData.h"
#include "tests/support/FakeGameManagersOwner.h"
#include "tests/support/GameFixture.h"
#include "tests/support/WarningCapture.h"

class SampleGameFixture : public GameFixture {
 protected:
  SampleGameFixture();
  ~SampleGameFixture() override;

  // The game file's "GS_Game" element, deciphered as the engine reads it.
  Ref<IHierStorage> GameScreenNode();
  // The play screen of the game file, its window loaded.
  bool LoadPlayScreen();
  // What the main menu and the diary publish: the program folder's scene list and
  // participants as the started game's parameters. Returns a new story (the default
  // scenario's cases), not published.
  Ref<TUserGameData> PublishDocumentsAndNewStory();

  WarningCapture warnings;
  Ref<FakeGameManagersOwner> owner;

 private:
  std::filesystem::path before_;
  Ref<IHierStorageRoot> gameFile_;
};
