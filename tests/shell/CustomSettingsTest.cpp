// Custom settings files and their commands, run at the end of the game's start.

#include "tests/support/GameFixture.h"

namespace {

class CustomSettings : public GameFixture {
 protected:
  // A game whose one settings file ("data\s.ini", key "k") holds Commands.
  void StartWith(const std::string& commands, const std::string& fileText = {}) {
    engine->textFiles["data\\s.ini|k"] =
        fileText.empty() ? "<settings><commands>" + commands + "</commands></settings>" : fileText;
    std::string window = R"(<widgets>
        <widget type="group_widget" name="menu" visible="yes"><widgets>
          <widget type="test_box" name="title" visible="yes" caption="old"/>
        </widgets></widget>
        <widget type="test_box" name="logo" visible="yes" caption="logo"/>
      </widgets>)";
    Start(GameXml(ScreenXml("GS_Main", window), {},
                  R"(<params><param name="Level" value="1"/></params>
                     <custom_settings>
                       <custom_setting name="empty"/>
                       <custom_setting name="s" filename="data\s.ini" key="k"/>
                     </custom_settings>)"));
  }
  std::string Caption(const std::string& path) {
    Ref<IWidget> widget = Screen("GS_Main")->FindWidget(path);
    return widget ? widget->GetProperty("caption").ToString() : "<none>";
  }
};

TEST_F(CustomSettings, ParamAndPropertyCommandsChangeTheBuiltGame) {
  StartWith(R"(
      <command type="param_command" name="p" paramname="Level" value="5"/>
      <command type="param_command" name="p" paramname="Level" value="6"/>
      <command type="param_command" name="q" paramname="" value="7"/>
      <command type="widget_change_property_value_command" name="w1" gamescreenname="GS_Main"
               widgetname=" menu \ title " paramname="caption" value="new"/>
      <command type="widget_change_property_value_command" name="w2" gamescreenname="GS_Main"
               widgetname="nothing\logo" paramname="caption" value="lost"/>
      <command type="widget_change_property_value_command" name="w3" gamescreenname="GS_Other"
               widgetname="logo" paramname="caption" value="lost"/>
      <command type="no_such_command" name="x"/>)");
  EXPECT_EQ(game->GetParamValue("Level").ToString(), "5") << "of two commands named p, the first";
  EXPECT_EQ(Caption("menu/title"), "new");
  EXPECT_EQ(Caption("logo"), "logo");
}

TEST_F(CustomSettings, AddedWidgetsReplaceChildrenOfTheirName) {
  StartWith(R"(
      <command type="add_widget_command" name="a1" gamescreenname="GS_Main" parent_widget_name="menu">
        <storage_string><widget type="test_box" name="title" visible="yes" caption="replaced"/></storage_string>
      </command>
      <command type="add_widget_command" name="a2" gamescreenname="GS_Main" parent_widget_name="">
        <storage_string><widget type="test_box" name="extra" visible="yes" caption="added"/></storage_string>
      </command>
      <command type="add_widget_command" name="a3" gamescreenname="GS_Main" parent_widget_name="logo">
        <storage_string><widget type="test_box" name="inner"/></storage_string>
      </command>
      <command type="add_widget_command" name="a4" gamescreenname="GS_Main" parent_widget_name="menu">
        <storage_string>not xml</storage_string>
      </command>)");
  EXPECT_EQ(Caption("menu/title"), "replaced");
  EXPECT_EQ(Screen("GS_Main")->FindWidget("menu")->GetChildren()->Count(), 1);
  EXPECT_EQ(Caption("extra"), "added") << "an empty parent path is the root";
  EXPECT_EQ(Caption("logo/inner"), "<none>") << "a leaf owns no children";
  EXPECT_EQ(Screen("GS_Main")->FindWidget("menu/title")->GetOwner(),
            dynamic_cast<IWidgetOwner*>(Screen("GS_Main")->FindWidget("menu").get()));
}

TEST_F(CustomSettings, ResourceCommandsLoadWithoutPumping) {
  StartWith(R"(<command type="load_resource_command" name="r" groupname="late">
                 <storage_string><resources><resource name="x"/></resources></storage_string>
               </command>
               <command type="load_resource_command" name="r2" groupname="none"/>)");
  EXPECT_EQ(engine->storageLoads, (std::vector<std::string>{"late:resources"}));
}

TEST_F(CustomSettings, AnUnreadableFileLeavesTheGameAsItIs) {
  for (const char* text : {"<settings><commands><command type=\"param_command\"", "garbage", " "}) {
    StartWith({}, text);
    EXPECT_EQ(game->GetParamValue("Level").ToString(), "1") << text;
    EXPECT_EQ(Caption("menu/title"), "old") << text;
    game->Done();
    game = nullptr;
  }
}

}  // namespace
