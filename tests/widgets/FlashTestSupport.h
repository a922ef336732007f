#pragma once
// A screen for flash-step tests: a root group holding a test box "box", the sound "S"
// (resource "snd_S") and the steps under test.

#include <string>

#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/FlashScenario.h"
#include "widgets/WidgetsRegistration.h"

class FlashFixture : public WidgetFixture {
 protected:
  FlashFixture() { RegisterWidgetsClasses(); }

  // Widgets: the steps (and other children) beside the box; Box: the box's attributes.
  void Build(const std::string& widgets, const std::string& boxAttributes) {
    root = Show(R"(<widget type="group_widget" name="root" visible="yes">
                     <sounds><sound name="S" resourcename="snd_S"/>
                             <sound name="T" resourcename="snd_T"/></sounds>
                     <widgets><widget type="test_box" name="box" visible="yes" )" +
                boxAttributes + "/>" + widgets + "</widgets></widget>");
    box = root->FindWidget("box");
  }

  // The widget as saved.
  static Ref<IHierStorage> Saved(IWidget* widget) {
    Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
    SaveObject(Ref<IInterface>(widget), Ref<IHierStorage>(saved.get()));
    return Ref<IHierStorage>(saved.get());
  }

  TFlashScenario* Step(const std::string& name) {
    auto* step = dynamic_cast<TFlashScenario*>(root->FindWidget(name).get());
    EXPECT_TRUE(step) << name;
    return step;
  }

  Ref<IWidget> root;
  Ref<IWidget> box;
};
