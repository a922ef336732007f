#include "tests/support/GameplayFixture.h"

#include <filesystem>

#include "foundation/ResourceReader.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"

namespace {

std::string NativeRelative(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

}  // namespace

GameplayFixture::GameplayFixture() {
  RegisterGameplayTestClasses();
  previousFolder_ = std::filesystem::current_path().string();
  std::filesystem::current_path(data.Path());
  ClearResourceCache();
}

GameplayFixture::~GameplayFixture() {
  std::filesystem::current_path(previousFolder_);
  ClearResourceCache();
}

std::string GameplayFixture::PlayWindow(const std::string& widgets, const std::string& factories,
                                        const std::string& ui) {
  auto group = [](const std::string& name, int z, const std::string& inner = {}) {
    return R"(<widget type="group_widget" name=")" + name + R"(" visible="yes" z=")" +
           std::to_string(z) + "\">" + (inner.empty() ? "" : "<widgets>" + inner + "</widgets>") +
           "</widget>";
  };
  return R"(<widgetfactories>
      <widgetfactory type="WidgetFactory" name="widget_sceneobject"><widgetstring>
        <widget type="test_box" name="%name%" anchor_left="%anchor_left%" anchor_top="%anchor_top%"
                width="%width%" height="%height%" z="%z%" extraparams="\zoomx=%zoomx%\zoomy=%zoomy%"/>
      </widgetstring></widgetfactory>
      <widgetfactory type="WidgetFactory" name="widget_sceneapproach"><widgetstring>
        <widget type="group_widget" name="%name%" anchor_left="%anchor_left%" anchor_top="%anchor_top%"/>
      </widgetstring></widgetfactory>
      <widgetfactory type="WidgetFactory" name="smooth_action"><widgetstring>
        <widget type="test_box" name="%name%" caption="%properties%=%value%/%duration%"/>
      </widgetstring></widgetfactory>)" +
         factories + "</widgetfactories><widgets>" + group("background_group", 0) +
         group("objects_group", 10) + group("left_part", 11, group("objects_group", 10)) +
         group("right_part", 12, group("objects_group", 10)) + group("approaches_group", 30) +
         group("animation_group", 40) + group("ui_group", 50, ui) + widgets + "</widgets>";
}

FakeGameManagersOwner* GameplayFixture::StartOwner(const std::string& window) {
  Start(GameXml(ScreenXml("GS_Game", window, "FakeGameManagersOwner")));
  if (!game) return nullptr;
  for (auto& [name, value] : pending_) game->SetParamValue(name, Variant(value));
  pending_.clear();
  Ref<IGameScreenSlave> screen = game->GetScreens()->GetScreen(Variant("GS_Game"));
  owner = dynamic_cast<FakeGameManagersOwner*>(screen.get());
  EXPECT_TRUE(owner) << "GS_Game is no FakeGameManagersOwner";
  if (owner) owner->LoadWindow();
  return owner;
}

void GameplayFixture::WriteData(const std::string& path, const std::string& text) {
  data.Write(NativeRelative(path), text);
  ClearResourceCache();
}

void GameplayFixture::SetGameParam(const std::string& name, const Ref<IInterface>& value) {
  if (game)
    game->SetParamValue(name, Variant(value));
  else
    pending_.emplace_back(name, value);
}

Ref<ISceneDefRefCollection> GameplayFixture::PublishSceneDefs(const std::string& xml) {
  WriteData("data\\ini\\scenes.ini", xml);
  Ref<ISceneDefRefCollection> list = LoadSceneDefRefs("data\\ini\\scenes.ini");
  SetGameParam("scene_defs", Ref<IInterface>(list.get()));
  return list;
}

Ref<IParticipantCollection> GameplayFixture::PublishParticipants(const std::string& xml) {
  WriteData("data\\ini\\participants.ini", xml);
  Ref<IParticipantCollection> list = LoadParticipants("data\\ini\\participants.ini");
  SetGameParam("participants", Ref<IInterface>(list.get()));
  return list;
}

Ref<IUserGameData> GameplayFixture::PublishProgress(const std::string& xml) {
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  std::string problem;
  if (Ref<IHierStorageRoot> storage = ParseDataText(xml, problem))
    storage->LoadObject(progress.get());
  else
    ADD_FAILURE() << "progress not read: " << problem;
  Ref<IUserGameData> result(progress.get());
  SetGameParam("user_game_data", Ref<IInterface>(result.get()));
  return result;
}
