// Loads a widget of the widget library from arbitrary XML text, shows it on a fake screen
// with an image and a font, runs frames with odd steps, pokes its properties, draws it,
// hit-tests it, gives it the mouse and keys as a screen does (a control's click runs its
// action against a fake game) and saves it again: nothing may crash, trap or hang.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/Params.h"
#include "functions/FunctionRegistration.h"
#include "fuzz/FuzzXml.h"
#include "gameplay/GameplayRegistration.h"
#include "gameplay/Tv2Interfaces.h"
#include "platform/InputConstants.h"
#include "shell/HighScores.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/TextWidget.h"
#include "widgets/WidgetsRegistration.h"

namespace {

struct Screen {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  Ref<FakeScreenOwner> screens = TAbstractObject::Create<FakeScreenOwner>();
  Ref<TSurface> frame = NewAlphaSurface(64, 64);
  Ref<TRecordTable> table = TAbstractObject::Create<TRecordTable>(
      "name=0\\max_records=10\\record_structure={param=Score\\param=Player}");

  Screen() {
    RegisterWidgetTestClasses();
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    RegisterGameplayClasses();  // the item panel and the fly widget
    window->engine = engine.get();
    engine->options["ScreenWidth"] = Variant(64);
    engine->options["ScreenHeight"] = Variant(64);
    window->screenOwner = screens.get();
    table->AddScoreRecord(ParamsFromString("Score=1234567\\Player=a%b"));
    table->AddScoreRecord(ParamsFromString("Score=12\\Player=W"));
    Ref<TSurface> image = NewAlphaSurface(16, 16, 0x80FF8040);
    engine->resources->Put("picture", MakeImage(Ref<ISurface>(image.get())));
    Ref<FakeFontResource> font = MakeFixedFont(U"abc 0123.\u3002\u3042\n", 3, 5, 1, -1);
    font->AddGlyph('W', TRect{-4, -4, 40, 9}, -3, 7);  // a glyph partly off its image
    // A glyph table at the limits of 32 bits, as a font read by other code might hold.
    font->AddGlyph('M', TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, INT32_MAX, INT32_MIN);
    engine->resources->Put("font", font);
    // Steps timed by a sound wait for it until the input's frames end it.
    engine->soundsLast = true;
    Ref<TestSoundCollection> sounds = TAbstractObject::Create<TestSoundCollection>();
    sounds->AddSound("S", "snd_S");
    window->gameSounds = Ref<ISoundCollection>(sounds.get());
  }
};

// The mouse and keys as a screen routes them, and what screens ask of controls.
void Controls(Screen& screen, const Ref<IWidget>& widget) {
  const uint32_t mouse[] = {513, 512, 514, 516, 517, 515, 519, 520, 521, 513, 512};
  const TPoint points[] = {{5, 6}, {40, 6}, {5, 6}, {0, 0}, {0, 0},   {5, 6},
                           {2, 2}, {2, 2},  {2, 2}, {9, 9}, {-300, 7}};
  for (size_t i = 0; i < std::size(mouse); ++i) screen.window->HandleMouse(mouse[i], points[i], 0);
  screen.window->ReleaseCapture();
  screen.window->SetFocus(widget);
  const std::pair<uint32_t, uintptr_t> keys[] = {
      {256, 9},      {257, 9},        {256, 35},  {256, 36}, {256, 37},  {256, 39},
      {256, 38},     {256, 40},       {258, 'a'}, {258, 8},  {258, '%'}, {258, 'W'},
      {258, 0xD800}, {258, 0x110000}, {257, 9},   {256, 40},
  };
  for (auto [message, key] : keys) screen.window->HandleKey(message, key, 0);
  screen.window->ClearFocus();
  if (Ref<IListBoxControl> list = Supports<IListBoxControl>(widget)) {
    list->AddRow("a%b", "");
    list->AddRow("0123", "k");
    list->SetSelected(1);
    list->DeleteRow(Variant("k"));
    list->DeleteRow(Variant(9));
    list->GetRow(Variant(0));
  }
  widget->SetProperty("recordtable", Variant(Ref<IInterface>(screen.table.get())));
  widget->SetProperty("position", Variant(7));
  widget->SetProperty("value", Variant("a%W"));
  widget->SetProperty("CheckBoxState", Variant(true));
  widget->Process(16);
  widget->Draw(screen.frame.get(), 1, 2);
  if (Ref<IListBoxControl> list = Supports<IListBoxControl>(widget)) list->ClearRows();
  screen.screens->shown.clear();
  screen.screens->closed.clear();
  screen.engine->opened.clear();
  screen.engine->playedSounds.clear();
  screen.engine->playedVolumePan.clear();
  screen.window->events.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Screen screen;
  Ref<IHierStorageRoot> root = ParseFuzzXml(data, size);
  if (!root) return 0;
  Ref<IWidget> widget = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
  if (!widget) return 0;
  screen.window->SetRoot(widget);
  const int32_t steps[] = {0, 16, 1000, -7, 2147483647, 16};
  for (int32_t dt : steps) {
    if (dt < 0) screen.engine->soundsPlaying.clear();
    widget->Process(dt);
    screen.window->dirtyRects.clear();
    screen.engine->redrawRects.clear();
    widget->UpdateDirtyRects(false, false);
    widget->Draw(screen.frame.get(), 3, 4);
    widget->ContainsPoint(TPoint{5, 6}, true);
  }
  // Controls take the mouse and keys: presses, drags and keys at points near and at the
  // limits, with the focus on.
  widget->OnSetFocus();
  for (TPoint p : {TPoint{5, 6}, TPoint{40, 30}, TPoint{INT32_MIN, INT32_MAX}}) {
    widget->HandleMouse(input::kLeftButtonDown, p, 1);
    widget->HandleMouse(input::kMouseMove, TPoint{p.X / 2 + 9, p.Y / 3}, 1);
    widget->HandleMouse(input::kLeftButtonUp, p, 0);
  }
  for (uintptr_t key : {input::kVkDown, input::kVkEnd, input::kVkTab, input::kVkBack}) {
    widget->HandleKey(input::kKeyDown, key, 0);
    widget->HandleKey(input::kKeyUp, key, 0);
  }
  widget->HandleKey(input::kChar, 'a', 0);
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
  // Particles on request, a source picture and a surface for the particle systems.
  Ref<TParamCollection> request = TAbstractObject::Create<TParamCollection>();
  request->SetValue("particles_count", Variant(3));
  request->SetValue("particle_type", Variant("spark"));
  request->SetValue("x", Variant(5));
  widget->Notify(1, Variant(Ref<IInterface>(request.get())));
  widget->Notify(1, Variant(7));
  if (Ref<IWidgetCollection> children = widget->GetChildren(); children && children->Count() > 0)
    widget->SetProperty("widget", Variant(Ref<IInterface>(children->GetByIndex(0).get())));
  widget->SetProperty("surface", Variant(Ref<IInterface>(screen.frame.get())));
  widget->Process(16);
  widget->Draw(screen.frame.get(), 1, 1);
  widget->Notify(2, Variant());
  // Scripting widgets: clicks end waits, a pause completes steps, new values start again.
  widget->HandleMouse(513, TPoint{5, 6}, 0);
  widget->HandleMouse(514, TPoint{5, 6}, 0);
  widget->SetProperty("properties", Variant("anchor_left;width;text"));
  widget->SetProperty("value", Variant("rnd_inc:-5-9;float:2.5e9;str_inc:x"));
  // Text effects: letters built, shown whole, sent home.
  widget->SetProperty("InitVizualization", Variant(1));
  widget->Process(16);
  widget->Notify(3, Variant());
  widget->SetProperty("init_visualization", Variant(1));
  widget->SetProperty("unshuffle", Variant(1));
  widget->Pause();
  widget->SetPaused(false);
  widget->Restart();
  widget->Process(33);
  widget->Draw(screen.frame.get(), -2, 60);
  Controls(screen, widget);
  if (Ref<IItemListPanelWidget> panel = Supports<IItemListPanelWidget>(widget)) {
    // Items and captions from the panel's own factories, names that clash included.
    Ref<TParamCollection> label = TAbstractObject::Create<TParamCollection>();
    label->SetValue("text", Variant("%a%"));
    for (const char* factory : {"item", "label", ""}) {
      panel->CreateItemWidget("a", "picture", factory, -5, INT32_MAX, 0, -3);
      panel->CreateItem(factory, Ref<IParamCollection>(label.get()));
      panel->LayoutItemLabels(factory, Ref<IParamCollection>(label.get()));
    }
    panel->Process(16);
    panel->RemoveItemLabel();
  }
  if (Ref<ITextWidget> text = Supports<ITextWidget>(widget)) {
    TRect rect;
    text->GetCharRect(2, rect);
    text->GetTextRect(rect);
    text->TextWidth("aW0");
  }
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  SaveObject(widget, Ref<IHierStorage>(saved.get()));
  screen.window->SetRoot(nullptr);
  return 0;
}
