#include "tests/support/FakeGameManagersOwner.h"

#include "foundation/Warnings.h"
#include "gameplay/GameplayRegistration.h"
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
    : QuietGameFolder("fake_play_screen_") {
  RegisterGameplayTestClasses();
  Start(R"(<game type="Game" name="play" splashlogosgs="" splashgs="" maings="" closequerygs="">
        <gamescreens><gamescreen type="FakeGameManagersOwner" name="GS_Game"><window>
          <widgetfactories>)" +
        factories + R"(</widgetfactories><widgets>
          <widget type="group_widget" name="objects_group" visible="yes"/>
          <widget type="group_widget" name="approaches_group" visible="yes"/>
          <widget type="group_widget" name="animation_group" visible="yes"/>)" +
        widgets + "</widgets></window></gamescreen></gamescreens></game>");
  owner =
      dynamic_cast<FakeGameManagersOwner*>(game->GetScreens()->GetScreen(Variant("GS_Game")).get());
  owner->stubSceneWidgets = true;
  owner->LoadWindow();
}
