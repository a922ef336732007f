// Screen and widget XML comes from the game's data files: any text must load, run a few
// frames, route the mouse, draw and save again without crashing or hanging.
#include <cstdint>
#include <string_view>

#include "engine/EngineSurface.h"
#include "foundation/XMLStorage.h"
#include "shell/ShellRegistration.h"
#include "shell/WidgetClasses.h"
#include "tests/support/NullWidgetOwner.h"

namespace {

void Exercise(const Ref<IWidget>& root) {
  // No engine above the root: nothing is captured or played.
  Ref<NullWidgetOwner> screen(new NullWidgetOwner());
  root->SetOwner(screen.get());
  root->SetVisible(true);
  Ref<TSurface> frame(new TSurface());
  frame->SetSize(64, 64);
  for (int i = 0; i < 4; ++i) {
    root->Process(40);
    root->UpdateDirtyRects(false, false);
    root->Draw(frame.get(), 0, 0);
    for (TPoint p : {TPoint{1, 1}, TPoint{20, 30}, TPoint{63, 63}})
      if (Ref<IWidget> hit = root->WidgetAtPos(p)) hit->HandleMouse(513, p, 0);
    root->HandleMouse(514, TPoint{5, 5}, 0);
  }
  for (const char* name : {"a", "a/b", "../x", "window:/y", "width", "caching", "state"}) {
    root->SetProperty(name, root->GetProperty(name));
  }
  root->SetVisible(false);
  root->Process(1000);
  if (Ref<IHierStorageRoot> out = CreateXmlStorage("widget"))
    SaveObject(root, Ref<IHierStorage>(out.get()));
  root->ReleaseOwner();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegisterShellClasses();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Ref<IHierStorageRoot> storage;
  try {
    storage = LoadXmlStorageFromText(text);
  } catch (const std::exception&) {
    return 0;
  }
  if (!storage) return 0;
  Ref<IWidget> root = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(storage.get())));
  if (root) Exercise(root);
  return 0;
}
