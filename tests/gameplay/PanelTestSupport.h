#pragma once
// The panel managers' tests: a play screen whose "ui_group" holds the item panel of
// tests/support/PanelFactories.h (its layout keys as extraparams); the panel's sounds are
// recorded by the engine under their own names.

#include <string>
#include <vector>

#include "foundation/Params.h"
#include "gameplay/GameplayRegistration.h"
#include "gameplay/Tv2PanelManagers.h"
#include "gameplay/Tv2SceneDefs.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameplayFixture.h"
#include "tests/support/PanelFactories.h"

namespace gameplay_test {

class PanelFixture : public GameplayFixture {
 protected:
  PanelFixture() {
    RegisterGameplayClasses();
    Tv2DeclarationsInit();
  }

  Ref<IItemListPanelWidget> StartPanel(const std::string& layout) {
    if (!StartOwner(
            PlayWindow({}, panel_support::kPanelItemFactories, panel_support::PanelUi(layout))))
      return nullptr;
    panel = owner->GetPanelManager();
    return panel;
  }
  template <class T>
  Ref<T> Bound(int32_t capacity = -1) {
    Ref<T> manager = TAbstractObject::Create<T>();
    manager->Bind(owner, capacity);
    return manager;
  }
  // An object_def of these attributes (name first) and these locations.
  static Ref<ISceneObjectDef> Object(const std::string& attributes,
                                     const std::string& locations = {}) {
    return Ref<ISceneObjectDef>(LoadRecord<TSceneObjectDef>("<object_def name=" + attributes +
                                                            "><locations>" + locations +
                                                            "</locations></object_def>")
                                    .get());
  }
  // A plain object of that size.
  static Ref<ISceneObjectDef> Sized(const std::string& name, int32_t width = 40,
                                    int32_t height = 60) {
    return Object("\"" + name + "\" resourcename=\"img_" + name + "\" width=\"" +
                  std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"");
  }
  Ref<IWidget> Ui(const std::string& name) { return owner->FindWidget("ui_group/" + name); }
  static int32_t Left(const Ref<IWidget>& w) { return w ? int32_t(w->GetAnchorLeft()) : -1; }
  static int32_t Top(const Ref<IWidget>& w) { return w ? int32_t(w->GetAnchorTop()) : -1; }
  static std::string Text(const Ref<IWidget>& w, const char* name) {
    return w ? w->GetProperty(name).ToString() : "(none)";
  }
  static Ref<IParamCollection> NewParams() {
    return Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
  }
  int Played(const std::string& sound) const {
    int n = 0;
    for (const std::string& s : engine->playedSounds) n += s == sound;
    return n;
  }

  Ref<IItemListPanelWidget> panel;
};

}  // namespace gameplay_test
