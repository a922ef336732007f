#pragma once
// The shared fixture of the gameplay tests: a game (GameFixture) whose "GS_Game" screen is
// a FakeGameManagersOwner on a play window, a working folder for data files, and the
// game parameters the play screen reads ("scene_defs", "participants", "categories",
// "user_game_data").
//
//   class MyTest : public GameplayFixture {};
//   TEST_F(MyTest, ...) {
//     WriteData("data\\scenes\\room.xml",
//     R"(<scene_def><object_defs>...</object_defs></scene_def>)");
//     PublishSceneDefs(R"(<scene_defs><scene_def name="room"
//     filename="data\scenes\room.xml"/></scene_defs>)"); FakeGameManagersOwner* owner =
//     StartOwner();
//     ...
//   }

#include <string>
#include <utility>
#include <vector>

#include "gameplay/Tv2Interfaces.h"
#include "tests/support/FakeGameManagersOwner.h"
#include "tests/support/GameFixture.h"
#include "tests/support/TempFolder.h"

class GameplayFixture : public GameFixture {
 protected:
  GameplayFixture();
  ~GameplayFixture() override;

  // A play window: the seven groups (and "left_part", "right_part" around theirs), the
  // factories "widget_sceneobject" (a "test_box" of the object's size at its place, its
  // zooms kept as extra parameters),
  // "widget_sceneapproach" (a hidden group) and "smooth_action"; Widgets and Factories
  // are added inside, Ui inside "ui_group".
  static std::string PlayWindow(const std::string& widgets = {}, const std::string& factories = {},
                                const std::string& ui = {});
  // A game with "GS_Game" of that window; the owner, attached to the game.
  FakeGameManagersOwner* StartOwner(const std::string& window = PlayWindow());

  // Parameters published before StartOwner are set when the game starts.
  // Writes a data file (a data path, "\" separators) into the working folder.
  void WriteData(const std::string& path, const std::string& text);
  // The list of the text, read from a data file, set as the game parameter.
  Ref<ISceneDefRefCollection> PublishSceneDefs(const std::string& xml);
  Ref<IParticipantCollection> PublishParticipants(const std::string& xml);
  // A progress read from "usergamedata" text, set as "user_game_data".
  Ref<IUserGameData> PublishProgress(const std::string& xml);
  void SetGameParam(const std::string& name, const Ref<IInterface>& value);

  TempFolder data;
  FakeGameManagersOwner* owner = nullptr;

 private:
  std::string previousFolder_;
  std::vector<std::pair<std::string, Ref<IInterface>>> pending_;
};
