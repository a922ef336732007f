// The panel managers over any layout keys and any run of the calls a level makes: adds,
// finds, frames, scrolls, busy flags, swaps and captions. Nothing may crash, trap or hang,
// and the item array always keeps a spare record after the items.
//
// Input: a byte for the kind (the five registered managers), a byte for the capacity
// (signed), one byte per layout key (255: a value that is no number; else a signed value,
// odd bytes as they are, even ones times 8), three bytes for each of six objects (width,
// height, flags: which places it has, its type, whether all its places count), then
// three bytes per call (the call, two arguments).
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/Params.h"
#include "foundation/XMLStorage.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2PanelManagers.h"
#include "gameplay/Tv2SceneDefs.h"
#include "tests/support/FakeGameManagersOwner.h"
#include "tests/support/PanelFactories.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr const char* kKinds[] = {"PanelManagerHiddenShapes", "PanelManagerHiddenNames",
                                  "PanelManagerFindIdentical", "PanelManagerHiddenParts",
                                  "PanelManagerFindPlaces"};

constexpr const char* kKeys[] = {"shapes_items_interval",
                                 "shapes_all_items_max_width",
                                 "shapes_max_height",
                                 "shapes_max_width",
                                 "shapes_items_add_type",
                                 "shapes_items_move_speed",
                                 "names_col_interval",
                                 "names_row_height",
                                 "names_col_width",
                                 "names_max_in_column",
                                 "names_left_shift",
                                 "names_top_shift",
                                 "names_max_columns_num",
                                 "names_items_add_type",
                                 "identical_items_interval",
                                 "identical_left_coord",
                                 "identical_top_coord",
                                 "identical_all_items_max_width",
                                 "identical_max_height",
                                 "identical_max_width",
                                 "complete_vertical_obj_max_width",
                                 "complete_vertical_obj_max_height",
                                 "complete_horizontal_obj_max_width",
                                 "complete_horizontal_obj_max_height",
                                 "complete_horizontal_obj_top_shift",
                                 "complete_obj_left_shift",
                                 "disposable_items_interval",
                                 "disposable_all_items_max_width",
                                 "disposable_max_height",
                                 "disposable_max_width",
                                 "disposable_items_add_type",
                                 "disposable_items_move_speed"};
constexpr size_t kKeyCount = std::size(kKeys);
constexpr size_t kObjects = 6;

struct Play : FakePlayScreenGame {
  Play() : FakePlayScreenGame(panel_support::UiGroup(""), panel_support::kPanelItemFactories) {
    Tv2DeclarationsInit();
    panel = owner->GetPanelManager();
  }
  Ref<IItemListPanelWidget> panel;
};

Ref<ISceneObjectDef> MakeObject(size_t index, uint8_t width, uint8_t height, uint8_t flags) {
  std::string name = "o" + std::to_string(index % 4);  // names repeat: pairs and lines
  std::string places;
  if (flags & 1) places += R"(<location name="spec" anchor_left="-7" anchor_top="2147483647"/>)";
  if (flags & 2) places += R"(<location name="l1" zoomx="-1" zoomy="0"/>)";
  if (flags & 4) places += R"(<location name="l2" angle="1e30"/>)";
  std::string text =
      "<object_def name=\"" + name + "\" objecttype=\"" + std::to_string((flags >> 3) % 8) +
      "\" caption=\"%obj_" + name + "%\" width=\"" + std::to_string(int8_t(width) * 3) +
      "\" height=\"" + std::to_string(int8_t(height) * 3) + "\" locations_all_enabled=\"" +
      (flags & 0x80 ? "yes" : "no") + "\"><locations>" + places + "</locations></object_def>";
  Ref<TSceneObjectDef> object = TAbstractObject::Create<TSceneObjectDef>();
  if (Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(text))
    storage->LoadObject(object.get());
  return Ref<ISceneObjectDef>(object.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Play play;
  const size_t header = 2 + kKeyCount + 3 * kObjects;
  if (size < header || !play.panel) return 0;
  for (size_t k = 0; k < kKeyCount; ++k) {
    uint8_t b = data[2 + k];
    Variant value = b == 255 ? Variant("x") : Variant(b & 1 ? int(int8_t(b)) : int(int8_t(b)) * 8);
    play.panel->SetProperty(kKeys[k], value);
  }
  Ref<IPanelManager> manager = Supports<IPanelManager>(CreateNamedObject(kKinds[data[0] % 5]));
  auto* framework = dynamic_cast<TAbstractPanelManager*>(manager.get());
  Check(framework != nullptr);
  manager->Bind(play.owner, int8_t(data[1]));
  play.panel->SetPanelManager(manager);

  std::array<Ref<ISceneObjectDef>, kObjects> objects;
  for (size_t i = 0; i < kObjects; ++i) {
    const uint8_t* o = data + 2 + kKeyCount + 3 * i;
    objects[i] = MakeObject(i, o[0], o[1], o[2]);
  }
  for (size_t at = header; at + 3 <= size; at += 3) {
    const uint8_t a = data[at + 1], b = data[at + 2];
    const Ref<ISceneObjectDef>& object = objects[a % kObjects];
    Ref<IWidget> widget = manager->GetItemWidget(object);
    switch (data[at] % 16) {
      case 0:
        manager->AddItem(object);
        break;
      case 1:
        manager->ObjectFound(object);
        manager->MarkItemFound(object);
        break;
      case 2:
        play.panel->Process(b);
        break;
      case 3:
        manager->ScrollLeft(widget);
        break;
      case 4:
        manager->ScrollRight(b & 1 ? widget : nullptr);
        break;
      case 5:
        if (b & 1)
          manager->ResetScroll();
        else
          manager->RefreshLayout();
        break;
      case 6:
        manager->SetItemBusy(widget, b & 1);
        break;
      case 7:
        manager->DecrementCount(widget);
        break;
      case 8:
        manager->SwapItems(object, objects[b % kObjects]);
        break;
      case 9: {
        int32_t delay = int8_t(b) * 100;
        double x = 0, y = 0;
        manager->ScheduleItem(object, delay, x, y);
        break;
      }
      case 10: {
        Ref<IParamCollection> params = ParamsFromString("");
        manager->AnimateItem(object, params);
        break;
      }
      case 11:
        manager->ShowItemLabel(TPoint{int8_t(a) * 4, int8_t(b) * 4});
        break;
      case 12:
        manager->HideAllShown();
        manager->AfterChange();
        break;
      case 13:
        manager->UpdateItemVisibility(widget, int8_t(b) * 8);
        break;
      case 14:
        manager->SetCapacity(int8_t(b));
        break;
      case 15: {
        Ref<ISceneObjectLocationCollection> places = object->GetLocations();
        if (places && places->Count() > 0)
          manager->FitItem(places->GetItem(Variant(b % places->Count())));
        manager->GetItemProperty(object, b & 1 ? "zoomx" : "angle");
        manager->GetPairedObject(object);
        manager->GetRemainingCount(object);
        manager->GetItemObjectByWidget(widget, b & 1);
        break;
      }
    }
    // A lookup of an unlisted object always finds the spare record (a panel bound with
    // no room at all has none until its first item).
    Check(framework->GetCount() < framework->GetCapacity() || framework->GetCount() == 0);
  }
  manager->Unbind();
  play.panel->SetPanelManager(nullptr);
  if (Ref<IWidgetCollection> children = play.panel->GetChildren()) children->Clear();
  if (Ref<IWidget> labels = play.owner->FindWidget("ui_group/item_labels"))
    labels->GetChildren()->Clear();
  return 0;
}
