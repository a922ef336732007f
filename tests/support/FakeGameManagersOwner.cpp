#include "tests/support/FakeGameManagersOwner.h"

#include <unistd.h>

#include <fstream>

#include "foundation/ResourceReader.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "gameplay/GameplayRegistration.h"
#include "gameplay/Tv2Declarations.h"
#include "shell/Game.h"
#include "tests/support/GameFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

std::string NameOf(const Ref<IWidget>& widget) {
  return widget ? widget->GetName() : std::string("-");
}

std::string Flag(bool value) {
  return value ? "1" : "0";
}

}  // namespace

void FakeGameManagersOwner::SetProgress(const Ref<IUserGameData>& data,
                                        const Ref<IUGDCase>& gameCase, const Ref<IUGDStage>& stage,
                                        const Ref<IUGDTask>& task) {
  userGameData_ = data;
  case_ = gameCase;
  stage_ = stage;
  task_ = task;
}

std::vector<std::string> FakeGameManagersOwner::TakeCalls() {
  std::vector<std::string> taken = std::move(calls);
  calls.clear();
  return taken;
}

void FakeGameManagersOwner::EnableAmulet(const Ref<IWidget>& target) {
  Record("EnableAmulet(" + NameOf(target) + ")");
}

bool FakeGameManagersOwner::TakeSceneObject(const Ref<IWidget>& objectWidget,
                                            const Ref<IWidget>& source, bool force,
                                            const TPoint& clickPoint, const TPoint& centre) {
  Record("TakeSceneObject(" + NameOf(objectWidget) + "," + NameOf(source) + "," + Flag(force) +
         "," + std::to_string(clickPoint.X) + "," + std::to_string(clickPoint.Y) + "," +
         std::to_string(centre.X) + "," + std::to_string(centre.Y) + ")");
  return false;
}

void FakeGameManagersOwner::AddScores(int32_t points) {
  Record("AddScores(" + std::to_string(points) + ")");
}

void FakeGameManagersOwner::TickTimer(int32_t elapsedMs) {
  Record("TickTimer(" + std::to_string(elapsedMs) + ")");
}

void FakeGameManagersOwner::SetInputBlocked(bool value) {
  Record("SetInputBlocked(" + Flag(value) + ")");
  inputBlocked_ = value;
}

void FakeGameManagersOwner::SetBlackScreen(bool value) {
  Record("SetBlackScreen(" + Flag(value) + ")");
  blackScreen_ = value;
}

void FakeGameManagersOwner::WriteLevelStatistics(bool value) {
  Record("WriteLevelStatistics(" + Flag(value) + ")");
}

void FakeGameManagersOwner::CloseGameScreen(const Ref<IParamCollection>& params) {
  Record("CloseGameScreen(" + DescribeParams(params) + ")");
}

void FakeGameManagersOwner::EnableSceneObject(const Ref<ISceneObjectDef>& object, bool force) {
  Record("EnableSceneObject(" + (object ? object->GetName() : std::string("-")) + "," +
         Flag(force) + ")");
}

void FakeGameManagersOwner::QueueDelayedAction(const Ref<IWidget>& widget, bool on, bool approach,
                                               int32_t delay) {
  Record("QueueDelayedAction(" + NameOf(widget) + "," + Flag(on) + "," + Flag(approach) + "," +
         std::to_string(delay) + ")");
}

void FakeGameManagersOwner::OpenApproach(const std::string& name, int32_t delay) {
  Record("OpenApproach(" + name + "," + std::to_string(delay) + ")");
  if (delay <= 0) openApproach_ = GetApproach(name);
}

void FakeGameManagersOwner::ShowSceneWidget(const Ref<IWidget>& widget, bool on) {
  Record("ShowSceneWidget(" + NameOf(widget) + "," + Flag(on) + ")");
  if (!widget) return;
  widget->SetVisible(on);
  widget->SetPaused(!on);
}

Ref<ISceneGenerator> FakeGameManagersOwner::MakeSceneGenerator() {
  return noGenerator ? nullptr : TTv2GameplayScreen::MakeSceneGenerator();
}

Ref<IWidget> FakeGameManagersOwner::MakeSceneObjectWidget(
    const Ref<ISceneObjectDef>& object, const Ref<ISceneObjectLocation>& location) {
  if (!stubSceneWidgets) return TTv2GameplayScreen::MakeSceneObjectWidget(object, location);
  Ref<TSurfaceWidget> widget = TAbstractObject::Create<TSurfaceWidget>();
  widget->SetName(object->GetName() + "_" + location->GetName());
  return Ref<IWidget>(widget.get());
}

void RegisterGameplayTestClasses() {
  RegisterGameTestClasses();
  RegisterWidgetsClasses();  // the play screen's window holds the game's widgets
  RegisterGameplayClasses();
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<FakeGameManagersOwner>("FakeGameManagersOwner");
}

FakePlayScreenGame::FakePlayScreenGame(const std::string& widgets, const std::string& factories)
    : engine(new FakeGameEngine()) {
  Tv2DeclarationsInit();
  previousWarningHook_ = SetWarningHook([](const std::string&) {});
  RegisterGameplayTestClasses();
  std::error_code ignored;
  previousFolder_ = std::filesystem::current_path(ignored);
  folder =
      std::filesystem::temp_directory_path() / ("fake_play_screen_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  ClearResourceCache();
  const std::string text =
      R"(<game type="Game" name="play" splashlogosgs="" splashgs="" maings="" closequerygs="">
        <gamescreens><gamescreen type="FakeGameManagersOwner" name="GS_Game"><window>
          <widgetfactories>)" +
      factories + R"(</widgetfactories><widgets>
          <widget type="group_widget" name="objects_group" visible="yes"/>
          <widget type="group_widget" name="approaches_group" visible="yes"/>
          <widget type="group_widget" name="animation_group" visible="yes"/>)" +
      widgets + "</widgets></window></gamescreen></gamescreens></game>";
  game = Ref<TGame>(dynamic_cast<TGame*>(
      CreateObjectFromXml(Ref<IHierStorage>(LoadXmlStorageFromText(text).get())).get()));
  game->Initialize(Ref<IEngine>(engine.get()));
  owner =
      dynamic_cast<FakeGameManagersOwner*>(game->GetScreens()->GetScreen(Variant("GS_Game")).get());
  owner->stubSceneWidgets = true;
  owner->LoadWindow();
}

FakePlayScreenGame::~FakePlayScreenGame() {
  game->Done();
  game = nullptr;
  engine = nullptr;
  std::error_code ignored;
  std::filesystem::current_path(
      previousFolder_.empty() ? std::filesystem::temp_directory_path() : previousFolder_, ignored);
  std::filesystem::remove_all(folder, ignored);
  SetWarningHook(std::move(previousWarningHook_));
}

void FakePlayScreenGame::Write(const std::string& name, std::string_view text) {
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(text.data(), std::streamsize(text.size()));
  out.close();
  ClearResourceCache();
}

void FakePlayScreenGame::Publish(const std::string& name, const Ref<IInterface>& value) {
  game->SetParamValue(name, Variant(value));
}
