// Loads a widget of the widget library from arbitrary XML text, shows it on a fake screen
// with an image and a font, runs frames with odd steps, pokes its properties, draws it,
// hit-tests it and saves it again: nothing may crash, trap or hang.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/Exceptions.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/TextWidget.h"
#include "widgets/WidgetsRegistration.h"

namespace {

struct Screen {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  Ref<TSurface> frame = NewAlphaSurface(64, 64);

  Screen() {
    RegisterWidgetTestClasses();
    RegisterWidgetsClasses();
    RegisterFunctionsClasses();  // the curves' paths
    window->engine = engine.get();
    engine->options["ScreenWidth"] = Variant(64);
    engine->options["ScreenHeight"] = Variant(64);
    Ref<TSurface> image = NewAlphaSurface(16, 16, 0x80FF8040);
    engine->resources["picture"] = MakeImage(Ref<ISurface>(image.get()));
    Ref<FakeFontResource> font = MakeFixedFont(U"abc 0123.\u3002\u3042\n", 3, 5, 1, -1);
    font->AddGlyph('W', TRect{-4, -4, 40, 9}, -3, 7);  // a glyph partly off its image
    // A glyph table at the limits of 32 bits, as a font read by other code might hold.
    font->AddGlyph('M', TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, INT32_MAX, INT32_MIN);
    engine->resources["font"] = font;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Screen screen;
  Ref<IHierStorageRoot> root;
  try {
    root = LoadXmlStorageFromText(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
    return 0;
  }
  if (!root) return 0;
  Ref<IWidget> widget = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
  if (!widget) return 0;
  screen.window->SetRoot(widget);
  const int32_t steps[] = {0, 16, 1000, -7, 2147483647, 16};
  for (int32_t dt : steps) {
    widget->Process(dt);
    screen.window->dirtyRects.clear();
    screen.engine->redrawRects.clear();
    widget->UpdateDirtyRects(false, false);
    widget->Draw(screen.frame.get(), 3, 4);
    widget->ContainsPoint(TPoint{5, 6}, true);
  }
  widget->SetProperty("currentframe", Variant(7));
  widget->SetProperty("framescount", Variant(3));
  widget->SetProperty("loop", Variant(true));
  widget->SetProperty("text", Variant("abc a\n0123 \xE3\x81\x82\xE3\x80\x82 W"));
  // Transforms, masks, pies and curves, changed at run time.
  widget->SetProperty("zoom", Variant(0.5));
  widget->SetProperty("angle", Variant(33.3));
  widget->SetProperty("anchor_left", Variant(-4.25));
  widget->SetProperty("shiftleft", Variant(-9));
  widget->SetProperty("endangle", Variant(400.0));
  widget->SetProperty("contourthickness", Variant(-5));
  widget->SetProperty("fillMaskWithLevel", Variant(-3));
  widget->SetProperty("substractFromMask", Variant(Ref<IInterface>(widget.get())));
  widget->SetProperty("substractFromMaskRect", Variant(Ref<IInterface>(widget.get())));
  widget->SetProperty("stepping_direction", Variant(-1));
  widget->SetProperty("currentT", Variant(2.5));
  widget->SetProperty("x2", Variant(1e9));
  if (Ref<IWidgetOwner> owner = Supports<IWidgetOwner>(widget)) owner->ScreenToLocal(TPoint{5, 6});
  widget->Process(16);
  widget->Draw(screen.frame.get(), 1, 1);
  widget->Notify(104, Variant());
  widget->Restart();
  widget->Process(33);
  widget->Draw(screen.frame.get(), -2, 60);
  if (Ref<ITextWidget> text = Supports<ITextWidget>(widget)) {
    TRect rect;
    text->GetCharRect(2, rect);
    text->GetTextRect(rect);
    text->TextWidth("aW0");
  }
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  SaveObject(Ref<IInterface>(widget.get()), Ref<IHierStorage>(saved.get()));
  screen.window->SetRoot(nullptr);
  return 0;
}
