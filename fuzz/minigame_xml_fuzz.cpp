// Loads a mini-game from arbitrary XML text, shows it on a fake screen, runs frames,
// clicks, drags and skips it and saves it again: nothing may crash, trap or hang. A
// placement that is not a number fails the load with its conversion error.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "foundation/Exceptions.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "minigames/MiniGamesRegistration.h"
#include "platform/InputConstants.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

struct Screen {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();

  Screen() {
    RegisterWidgetTestClasses();
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    RegisterMiniGamesClasses();
    window->engine = engine.get();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Screen screen;
  Ref<IWidget> widget;
  try {
    Ref<IHierStorageRoot> root =
        LoadXmlStorageFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!root) return 0;
    widget = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
  } catch (const Exception&) {
    return 0;
  }
  if (!widget) return 0;
  screen.window->SetRoot(widget);
  for (int32_t dt : {0, 16, 16, 1000, -7, 16}) widget->Process(dt);
  // The participant page drives the category game through properties.
  for (auto [name, value] : {std::pair{"match_client", "a"},
                             {"control_categories", "a;b;"},
                             {"test_categories", "card:a;;b"},
                             {"test_categories", "x"},
                             {"start_play", ""}})
    widget->SetProperty(name, Variant(value));
  for (TPoint p : {TPoint{5, 6}, TPoint{40, 30}, TPoint{25, 5}, TPoint{INT32_MIN, INT32_MAX}}) {
    screen.window->mouse = p;
    screen.window->HandleMouse(input::kLeftButtonDown, p, 1);
    screen.window->HandleMouse(input::kMouseMove, TPoint{p.X / 2 + 9, p.Y / 3}, 1);
    screen.window->HandleMouse(input::kLeftButtonUp, p, 0);
    screen.window->HandleMouse(input::kRightButtonDown, p, 0);
    widget->Process(16);
  }
  widget->GetProperty("id");
  widget->GetProperty("list");
  widget->SetProperty("programm", Variant("1:5;x;2:"));
  widget->GetProperty("programm");
  widget->SetProperty("gear_name", Variant("g0"));
  widget->SetProperty("push_gear", Variant(1));
  widget->GetProperty("win");
  widget->SetProperty("turns", Variant("3;-2147483648;x;0;"));
  widget->Process(16);
  widget->SetProperty("need_skip", Variant(false));
  widget->Process(16);
  widget->SetProperty("clear", Variant(1));
  widget->Process(16);
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  SaveObject(Ref<IInterface>(widget.get()), Ref<IHierStorage>(saved.get()));
  screen.window->SetRoot(nullptr);
  return 0;
}
