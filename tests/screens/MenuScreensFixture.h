#pragma once
// The fixture of the tests of the menus, pickers and the task map: the gameplay fixture's
// game and data folder with the game's screen classes registered, and helpers to reach a
// screen's widgets and drive it as the player does.

#include <string>
#include <vector>

#include "platform/InputConstants.h"
#include "screens/ScreensRegistration.h"
#include "tests/support/GameplayFixture.h"

class MenuScreensFixture : public GameplayFixture {
 protected:
  using Ids = std::vector<std::string>;

  MenuScreensFixture() { RegisterScreensClasses(); }

  // A game whose main screen "GS_Main" (a test screen) is shown, with Screens besides it.
  void StartScreens(const std::string& screens, const std::string& attrs = {}) {
    Start(GameXml(ScreenXml("GS_Main", Box("m", 0, 0, 4, 4)) + screens,
                  R"(maings="GS_Main" )" + attrs));
    Frame(16);
    ASSERT_EQ(Stack(), (Ids{"GS_Main"}));
  }
  // Shows the screen and lets the input guard pass.
  void ShowAndSettle(const std::string& id, const Ref<IParamCollection>& params = nullptr) {
    ASSERT_TRUE(game->ShowScreen(id, params)) << id;
    Frame(250);
  }

  static std::string Button(const std::string& name) {
    return R"(<widget type="ButtonControl" name=")" + name +
           R"(" width="10" height="10" enabled="yes" visible="yes"/>)";
  }
  // A factory of test boxes named "%name%" at the factory's anchors.
  static std::string BoxFactory(const std::string& name, int width = 100, int height = 20) {
    return R"(<widgetfactory type="WidgetFactory" name=")" + name +
           R"("><widgetstring><widget type="test_box" name="%name%" visible="yes" mousestop="yes"
              anchor_left="%anchor_left%" anchor_top="%anchor_top%" width=")" +
           std::to_string(width) + R"(" height=")" + std::to_string(height) +
           R"("/></widgetstring></widgetfactory>)";
  }
  static std::string Group(const std::string& name) {
    return R"(<widget type="group_widget" name=")" + name + R"(" visible="yes" mousestop="yes"/>)";
  }

  template <class T>
  T* ScreenAs(const std::string& id) {
    return dynamic_cast<T*>(Slave(id));
  }
  // The control's event, as the control sends it.
  void Send(const std::string& id, const std::string& widget, int code = 1) {
    Ref<IWidget> sender = Find(id, widget);
    ASSERT_TRUE(sender) << widget;
    dynamic_cast<IEventHandler*>(Slave(id))->OnWidgetEvent(sender.get(), code, 0);
  }
  bool Press(int x, int y, uint32_t message = input::kLeftButtonDown) {
    return game->HandleMouse(message, {x, y}, 0);
  }
  // The names of the children of the screen's widget at Path.
  std::vector<std::string> Children(const std::string& id, const std::string& path) {
    std::vector<std::string> names;
    Ref<IWidget> group = Find(id, path);
    Ref<IWidgetCollection> children = group ? group->GetChildren() : nullptr;
    for (int i = 0; children && i < children->Count(); ++i)
      names.push_back(children->GetByIndex(i)->GetName());
    return names;
  }
  std::string Param(const Ref<IPersistParamsObject>& record, const std::string& name) {
    return record ? record->GetParamValueDef(name, Variant("(none)")).ToString() : "(no record)";
  }
};
