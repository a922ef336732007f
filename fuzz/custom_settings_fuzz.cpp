// Runs the commands of arbitrary settings-file text against a small game built without an
// engine (a main screen with a menu group and a title), then draws and saves the game:
// nothing may crash or hang.
#include <cstddef>
#include <cstdint>

#include "engine/EngineSurface.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "fuzz/FuzzXml.h"
#include "shell/CustomSettings.h"
#include "shell/Game.h"
#include "shell/ShellRegistration.h"
#include "widgets/WidgetsRegistration.h"

namespace {

constexpr const char* kGame =
    R"(<game type="Game" name="g"><params><param name="ShowHints" value="no"/></params>
  <gamescreens><gamescreen type="GameScreen" name="GS_Main"><window><widgets>
    <widget type="group_widget" name="menu_group" visible="yes" mousestop="yes"><widgets>
      <widget type="rect_widget" name="button" width="20" height="10" visible="yes"/></widgets></widget>
    <widget type="text_widget" name="title" width="40" height="10" text="old" visible="yes"/>
  </widgets></window></gamescreen></gamescreens></game>)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegisterFoundationClasses();
  RegisterFunctionsClasses();
  RegisterShellClasses();
  RegisterWidgetsClasses();
  Ref<IHierStorageRoot> root = ParseFuzzXml(data, size);
  if (!root) return 0;
  Ref<TGame> game = TAbstractObject::Create<TGame>();
  LoadObject(game, Ref<IHierStorage>(LoadXmlStorageFromText(kGame).get()));
  game->Initialize(nullptr);
  Ref<TCustomSettings> settings = TAbstractObject::Create<TCustomSettings>();
  settings->LoadCommands(Ref<IHierStorage>(root.get()));
  settings->Apply(game.get());
  game->ShowScreen("GS_Main", nullptr);
  game->Update(16);
  Ref<TSurface> frame(new TSurface());
  frame->SetSize(64, 48);
  game->InvalidateAll();
  game->Draw(frame.get(), 0, 0);
  Ref<IHierStorageRoot> saved = CreateXmlStorage("settings");
  SaveObjectToChild(settings->GetCommands(), Ref<IHierStorage>(saved.get()));
  game->Done();
  return 0;
}
