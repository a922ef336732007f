#pragma once
// The shared fixture of the gameplay data tests: the built program folder as the game's
// working folder (as the program runs), its language file loaded, and the game file's
// play screen "GS_Game" on the fake owner, its window loaded.

#include <filesystem>

#include "gameplay/Tv2UserGameData.h"
#include "tests/support/FakeGameManagersOwner.h"
#include "tests/support/GameFixture.h"
#include "tests/support/SampleGameEngine.h"
#include "tests/support/WarningCapture.h"

// The key the program folder's game file is enciphered with, as the game declares it
// (taken before any test: the engine harness installs a key of its own).
const std::string& SampleGameKey();


class SampleGameFixture : public GameFixture {
 protected:
  SampleGameFixture();
  ~SampleGameFixture() override;

  // The game file's "GS_Game" element, deciphered as the engine reads it.
  Ref<IHierStorage> GameScreenNode();
  // The play screen of the game file, its window loaded.
  bool LoadPlayScreen();
  // The same for the started game.
  Ref<TUserGameData> PublishDocumentsAndNewStory() { return ::PublishDocumentsAndNewStory(*game); }

  WarningCapture warnings;
  Ref<FakeGameManagersOwner> owner;

 private:
  std::filesystem::path before_;
  Ref<IHierStorageRoot> gameFile_;
};
