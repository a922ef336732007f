// What showing the level statistics costs (budget 10 ms): the screen shown over the play
// screen with a won hidden-shapes level, reading the scene document (forty objects) to place
// the six objects found in the participant's category frames, the rows, the participant's
// card, the high score and the level record, with the player files written as the game
// writes them. Closing the screen is not counted.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "foundation/ResourceReader.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "screens/ScreensRegistration.h"
#include "shell/Game.h"
#include "tests/support/FakeGameManagersOwner.h"
#include "tests/support/GameFixture.h"
#include "tests/support/QuietGameFolder.h"
#include "widgets/WidgetsRegistration.h"

namespace {

const char* const kCategories[] = {"light", "tea", "sea", "books", "clocks"};

std::string SceneDocument(int objects) {
  std::string text = "<scene_def><object_defs>";
  for (int i = 0; i < objects; ++i) {
    std::string name = "obj" + std::to_string(i);
    text += "<object_def name=\"" + name + "\" objecttype=\"" + (i % 4 == 3 ? "5" : "0") +
            "\" caption=\"cap_" + name + "\" category=\"" + kCategories[i % 5] +
            "\" resourcename=\"img_" + name + "\" width=\"" + std::to_string(30 + i) +
            "\" height=\"40\"><locations><location name=\"l1\" anchor_left=\"" +
            std::to_string(10 + i * 20) + "\" anchor_top=\"300\"/></locations></object_def>";
  }
  return text + "</object_defs></scene_def>";
}

std::string Factory(const std::string& name, const std::string& widget) {
  return R"(<widgetfactory type="WidgetFactory" name=")" + name + "\"><widgetstring>" + widget +
         "</widgetstring></widgetfactory>";
}

std::string StatWindow() {
  std::string text = "<widgetfactories>" +
                     Factory("ho_specific_part", R"(<widget type="group_widget" name="ho_part"
                         visible="yes"><widgets>
                         <widget type="text_widget" name="caption" text="%caption%"/>
                         <widget type="text_widget" name="category0" text="%category0%"/>
                         <widget type="text_widget" name="category1" text="%category1%"/>
                         </widgets></widget>)") +
                     Factory("obj_in_frame", R"(<widget type="group_widget" name="%name%"
                         anchor_left="%anchor_left%" anchor_top="%anchor_top%" visible="yes">
                         <widgets><widget type="text_widget" name="label" text="%caption%"/>
                         </widgets></widget>)") +
                     "</widgetfactories><widgets>";
  for (const char* row :
       {"label_total_scores", "total_scores", "label_level_time", "level_time", "level_time_scores",
        "label_level_scores", "level_scores", "level_hints", "level_hints_scores", "level_mistakes",
        "level_mistakes_scores", "all_scores"})
    text += std::string(R"(<widget type="text_widget" name=")") + row + R"(" visible="yes"/>)";
  text += R"(<widget type="group_widget" name="specific_part_group" visible="yes"/>
             <widget type="group_widget" name="window" visible="yes"><widgets>)";
  for (int i = 0; i < 5; ++i)
    text += "<widget type=\"group_widget\" name=\"category_" + std::to_string(i) +
            "\" visible=\"yes\" anchor_top=\"" + std::to_string(300 + 60 * i) + "\"/>";
  return text + "</widgets></widget></widgets>";
}

struct StatGame : QuietGameFolder {
  Ref<IUserGameData> progress;

  StatGame() : QuietGameFolder("screens_bench_") {
    RegisterGameplayTestClasses();
    RegisterWidgetsClasses();
    RegisterScreensClasses();
    std::filesystem::create_directories(folder / "prefs");
    Write("room.xml", SceneDocument(40));
    Write("scenes.ini", R"(<scene_defs><scene_def name="room" filename="room.xml"/></scene_defs>)");
    Write("participants.ini", R"(<participants><participant name="odile" type="client"
                                   categories="light;tea;sea"/></participants>)");
    std::string categories = "<categories>";
    for (const char* name : kCategories)
      categories += std::string("<category name=\"") + name + "\" caption=\"" + name + "\"/>";
    Write("categories.ini", categories + "</categories>");
    engine->preferenceFolder = (folder / "prefs").string() + "/";

    Start(R"(<game type="Game" name="bench" splashlogosgs="" splashgs="" maings="GS_Game"
                 closequerygs=""><gamescreens>
             <gamescreen type="GameScreen" name="GS_Game"><window/></gamescreen>
             <gamescreen type="Tavelor2GameScreenLevelStat" name="GS_LevelStat"><window>)" +
          StatWindow() + "</window></gamescreen></gamescreens></game>");
    game->Update(16);
    game->SetParamValue("scene_defs",
                        Variant(Ref<IInterface>(LoadSceneDefRefs("scenes.ini").get())));
    game->SetParamValue("participants",
                        Variant(Ref<IInterface>(LoadParticipants("participants.ini").get())));
    game->SetParamValue("categories",
                        Variant(Ref<IInterface>(LoadCategories("categories.ini").get())));
    game->GetUserProfiles()->GetOrCreate("Ann");
    game->GetUserProfiles()->SetCurrent("Ann");
    Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
    std::string problem;
    ParseDataText(R"(<usergamedata><cases><case name="c1"/></cases></usergamedata>)", problem)
        ->LoadObject(data.get());
    progress = Ref<IUserGameData>(data.get());
    game->SetParamValue("user_game_data", Variant(Ref<IInterface>(progress.get())));
  }
  Ref<IParamCollection> Statistics() {
    Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
    params->SetValue("tasktype", Variant(0));
    params->SetValue("complete", Variant(true));
    params->SetValue("level_statistic", Variant("normal"));
    params->SetValue("scores", Variant(progress->GetScores() + 1500));
    params->SetValue("time", Variant(95));
    params->SetValue("hints_used", Variant(1));
    params->SetValue("wrong_clicks", Variant(2));
    params->SetValue("participant", Variant("odile"));
    params->SetValue("scenename", Variant("room"));
    // Six hidden objects of the participant's three categories.
    params->SetValue("object_names", Variant("obj0/l1;obj1/l1;obj2/l1;obj5/l1;obj6/l1;obj10/l1;"));
    return params;
  }
};

void BM_ShowLevelStatistics(benchmark::State& state) {
  StatGame play;
  Ref<IGameScreenSlave> screen = play.game->GetScreens()->GetScreen(Variant("GS_LevelStat"));
  int placed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Ref<IParamCollection> params = play.Statistics();
    state.ResumeTiming();
    play.game->ShowScreen("GS_LevelStat", params);
    state.PauseTiming();
    placed = 0;
    for (int i = 0; i < 5; ++i)
      placed += screen->GetWindow()
                    ->FindWidget("window/category_" + std::to_string(i))
                    ->GetChildren()
                    ->Count();
    play.game->CloseScreen(screen.get(), nullptr);
    play.game->Update(16);
    state.ResumeTiming();
  }
  if (placed != 6) state.SkipWithError("the six objects were not placed");
  state.counters["objects_placed"] = placed;
}
BENCHMARK(BM_ShowLevelStatistics)->Unit(benchmark::kMillisecond);

}  // namespace
