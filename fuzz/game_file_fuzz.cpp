// Loads a game from arbitrary game-file text, starts it without an engine, shows every
// screen, runs a few frames with input, ends it and saves it again: nothing may crash or
// hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/EngineSurface.h"
#include "foundation/Exceptions.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "platform/InputConstants.h"
#include "shell/Game.h"
#include "shell/ShellRegistration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegisterFoundationClasses();
  RegisterFunctionsClasses();
  RegisterShellClasses();
  Ref<IHierStorageRoot> root;
  try {
    root = LoadXmlStorageFromText(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
    return 0;
  }
  if (!root) return 0;
  Ref<TGame> game = TAbstractObject::Create<TGame>();
  LoadObject(Ref<IInterface>(static_cast<IGame*>(game.get())), Ref<IHierStorage>(root.get()));
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
  SaveObject(Ref<IInterface>(static_cast<IGame*>(game.get())), Ref<IHierStorage>(saved.get()));
  return 0;
}
