#pragma once
// The fixture of the statistics and in-game menu tests: a game with the play screen
// ("GS_Game", a test screen) at the bottom, the statistics screen with every row, the
// specific parts as factories and the five category frames, the in-game menu with its
// buttons, the data files the statistics read and a player with a progress.

#include <string>
#include <vector>

#include "foundation/MultiLanguages.h"
#include "gameplay/Tv2Declarations.h"
#include "screens/ScreensRegistration.h"
#include "screens/Tv2GameScreenLevelStat.h"
#include "tests/support/GameplayFixture.h"
#include "widgets/WidgetsRegistration.h"

class ScreensFixture : public GameplayFixture {
 protected:
  using Ids = std::vector<std::string>;

  ScreensFixture() {
    Tv2DeclarationsInit();
    RegisterWidgetsClasses();
    RegisterScreensClasses();
    engine->preferenceFolder = preferences.Path().string() + "/";
    MultiLanguages()->SetString("time_separator", ":");
    MultiLanguages()->SetString("participant_caption_pattern", "%participant_name%");
  }
  ~ScreensFixture() override { MultiLanguages()->ClearStrings(); }

  static std::string Factory(const std::string& name, const std::string& widget) {
    return R"(<widgetfactory type="WidgetFactory" name=")" + name + "\"><widgetstring>" + widget +
           "</widgetstring></widgetfactory>";
  }
  static std::string Text(const std::string& name, int top = 0) {
    return R"(<widget type="text_widget" name=")" + name + R"(" visible="yes" anchor_top=")" +
           std::to_string(top) + R"(" width="40" height="10"/>)";
  }
  static std::string Button(const std::string& name, int left, int top) {
    return R"(<widget type="ButtonControl" name=")" + name + R"(" anchor_left=")" +
           std::to_string(left) + R"(" anchor_top=")" + std::to_string(top) +
           R"(" width="20" height="10" enabled="yes" visible="yes"/>)";
  }

  // The frames sit at tops 300, 310, ... 340.
  static std::string LevelStatWindow() {
    std::string factories =
        "<widgetfactories>" +
        Factory("default_specific_part", R"(<widget type="test_box" name="default_part"/>)") +
        Factory("loose_specific_part", R"(<widget type="test_box" name="loose_part"/>)") +
        Factory("gift_specific_part",
                R"(<widget type="test_box" name="gift_part"
                                         extraparams="\resourcename=%resourcename%"/>)") +
        Factory("ho_specific_part", R"(<widget type="group_widget"
                                name="ho_part" visible="yes" extraparams="\avatar=%avatar%)"
                                    R"(\caption=%caption%)"
                                    R"(\description=%description%)"
                                    R"(\is_client=%is_client%)"
                                    R"(\is_not_client=%is_not_client%)"
                                    R"(\frame_num=%frame_num%)"
                                    R"(\frame_angle=%frame_angle%)"
                                    R"(\category0=%category0%)"
                                    R"(\category1=%category1%)"
                                    R"(\category4=%category4%"/>)") +
        Factory("obj_in_frame", R"(<widget type="test_box" name="%name%"
                                anchor_left="%anchor_left%" anchor_top="%anchor_top%"
                                width="10" height="10" caption="%caption%"
                                extraparams="\zoom=%zoom%\zoom2=%zoom2%\maskwidget=)"
                                R"(\shiftleft=%shiftleft%)"
                                R"(\shifttop=%shifttop%"/>)") +
        "</widgetfactories>";
    std::string rows;
    for (const char* row :
         {"label_total_scores", "total_scores", "label_level_time", "level_time",
          "level_time_scores", "label_level_scores", "level_scores", "level_hints",
          "level_hints_scores", "level_mistakes", "level_mistakes_scores", "all_scores"})
      rows += Text(row);
    std::string frames;
    for (int i = 0; i < 5; ++i)
      frames += R"(<widget type="group_widget" name="category_)" + std::to_string(i) +
                R"(" visible="yes" anchor_top=")" + std::to_string(300 + 10 * i) + R"("/>)";
    return factories + "<widgets>" + rows +
           R"(<widget type="group_widget" name="specific_part_group" visible="yes"/>)" +
           R"(<widget type="group_widget" name="window" visible="yes"><widgets>)" + frames +
           "</widgets></widget></widgets>";
  }
  static std::string MenuWindow() {
    return "<widgets>" + Button("button_unpause", 0, 0) + Button("button_options", 0, 20) +
           Button("button_rules", 0, 40) + Button("button_restart", 0, 60) +
           Button("button_main_menu", 0, 80) +
           R"(<widget type="TrackBarControl" name="slider" anchor_top="100" width="100"
                height="10" min="0" max="100" enabled="yes" visible="yes" mousestop="yes"><widgets>
                <widget type="test_box" name="image_slider" width="10" height="10" mousestop="no"
                visible="yes"/></widgets></widget>)" +
           R"(<widget type="text_widget" name="current_level_caption" visible="yes"/>)" +
           "</widgets>";
  }

  // The game with the play screen shown; Queries are further test screens.
  void StartScreens(const Ids& queries = {"GS_QueryRestart", "GS_QueryMainMenu", "GS_Options",
                                          "GS_HowToPlay"}) {
    std::string screens =
        ScreenXml("GS_Game", Box("scene", 0, 0, 4, 4)) +
        ScreenXml("GS_LevelStat", LevelStatWindow(), "Tavelor2GameScreenLevelStat") +
        ScreenXml("GS_GameMenu", MenuWindow(), "Tavelor2GameScreenMenu");
    for (const std::string& id : queries) screens += ScreenXml(id);
    Start(GameXml(screens, R"(maings="GS_Game")"));
    Frame(16);
    ASSERT_EQ(Stack(), (Ids{"GS_Game"}));
    TakeLog();
  }

  // A player named Ann whose progress has a current case, in that play mode and with that
  // stored total.
  void StartPlayer(int playMode, int scores, int level = 3) {
    game->GetUserProfiles()->GetOrCreate("Ann");
    game->GetUserProfiles()->SetCurrent("Ann");
    progress = PublishProgress(
        "<usergamedata play_mode=\"" + std::to_string(playMode) + "\" scores=\"" +
        std::to_string(scores) + "\" Level=\"" + std::to_string(level) +
        R"("><cases><case name="c1"><stages><stage name="s1"/></stages></case></cases>)"
        "</usergamedata>");
  }

  // A level's statistics as the play screen writes them.
  struct Stats {
    int kind = 0;
    bool complete = true;
    int scores = 0;
    int time = 0;
    int hints = 0;
    int mistakes = 0;
    std::string statistic = "normal";
    std::string participant;
    std::string scene;
    std::string objects;
    std::string task = "t1";
  };
  static Ref<IParamCollection> StatParams(const Stats& s) {
    Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
    params->SetValue("tasktype", Variant::Byte(uint8_t(s.kind)));
    params->SetValue("complete", Variant(s.complete));
    params->SetValue("level_statistic", Variant(s.statistic));
    params->SetValue("scores", Variant(s.scores));
    params->SetValue("time", Variant(s.time));
    params->SetValue("hints_used", Variant(s.hints));
    params->SetValue("wrong_clicks", Variant(s.mistakes));
    params->SetValue("task", Variant(s.task));
    params->SetValue("participant", Variant(s.participant));
    if (!s.scene.empty()) params->SetValue("scenename", Variant(s.scene));
    if (!s.objects.empty()) params->SetValue("object_names", Variant(s.objects));
    return params;
  }

  // Shows the statistics with Params, past the input guard.
  TTavelor2GameScreenLevelStat* ShowStats(const Ref<IParamCollection>& params) {
    EXPECT_TRUE(game->ShowScreen("GS_LevelStat", params));
    Frame(250);
    return Stat();
  }
  TTavelor2GameScreenLevelStat* ShowStats(const Stats& s) { return ShowStats(StatParams(s)); }
  // Closes the statistics as its continue button does.
  void CloseStats() {
    ASSERT_EQ(game->GetTopScreenName(), "GS_LevelStat");
    game->CloseScreen(Slave("GS_LevelStat"), nullptr);
    Frame(16);
    ASSERT_EQ(game->GetTopScreenName(), "GS_Game");
  }

  TTavelor2GameScreenLevelStat* Stat() {
    return dynamic_cast<TTavelor2GameScreenLevelStat*>(Slave("GS_LevelStat"));
  }
  std::string StatText(const std::string& row) {
    Ref<IWidget> widget = Find("GS_LevelStat", row);
    return widget ? widget->GetProperty("text").ToString() : "(none)";
  }
  bool StatVisible(const std::string& row) {
    Ref<IWidget> widget = Find("GS_LevelStat", row);
    return widget && widget->IsVisible();
  }
  // The names of the specific parts shown.
  Ids Parts() {
    Ids names;
    Ref<IWidgetCollection> children = Find("GS_LevelStat", "specific_part_group")->GetChildren();
    for (int i = 0; i < children->Count(); ++i) names.push_back(children->GetByIndex(i)->GetName());
    return names;
  }

  Ref<IUserGameData> progress;
};
