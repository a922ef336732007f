// Loads a game from arbitrary game-file text, starts it without an engine, shows every
// screen, runs a few frames with input, ends it and saves it again: nothing may crash or
// hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/EngineSurface.h"
#include "fuzz/FuzzXml.h"
#include "functions/FunctionRegistration.h"
#include "platform/InputConstants.h"
#include "shell/Game.h"
#include "shell/ShellRegistration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegisterFoundationClasses();
  RegisterFunctionsClasses();
  RegisterShellClasses();
  Ref<IHierStorageRoot> root = ParseFuzzXml(data, size);
  if (!root) return 0;
  Ref<TGame> game = TAbstractObject::Create<TGame>();
  LoadObject(game, Ref<IHierStorage>(root.get()));
  game->Initialize(nullptr);
  Ref<TSurface> frame(new TSurface());
  frame->SetSize(64, 48);
  Ref<IGSCollection> screens = game->GetScreens();
  for (int i = 0; i < screens->Count() && i < 16; ++i) {
    if (Ref<IGameScreenSlave> screen = screens->GetScreen(Variant(i)))
      game->ShowScreen(screen->GetName(), nullptr);
    game->Update(300);
    game->InvalidateAll();
    game->Draw(frame.get(), 0, 0);
    game->HandleMouse(input::kLeftButtonDown, TPoint{i * 7, i * 5}, 0);
    game->HandleMouse(input::kLeftButtonUp, TPoint{i * 7, i * 5}, 0);
    game->HandleKey(input::kKeyUp, input::kVkTab, 0);
    game->CanClose();
  }
  for (int i = screens->Count() - 1; i >= 0; --i)
    if (Ref<IGameScreenSlave> top = game->GetStack()->GetScreen(Variant(i)))
      game->CloseScreen(top.get(), nullptr);
  game->Update(16);
  game->Done();
  Ref<IHierStorageRoot> saved = CreateXmlStorage("game");
  SaveObject(game, Ref<IHierStorage>(saved.get()));
  return 0;
}
