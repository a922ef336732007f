// The atelier played through the real play screen on the game's own window (the game
// file's "GS_Game", its window read through "_outstorage"), with the gameplay's documents
// of the built program folder read by the game's loaders and a new story, published as the
// main menu and the diary will publish them; "GS_Game" is shown with the case, stage and
// task, a seeded level is generated, loaded, started and played by presses.

#include <gtest/gtest.h>

#include "foundation/GameDeclarations.h"
#include "foundation/Params.h"
#include "foundation/Random.h"
#include "foundation/ResourceReader.h"
#include "foundation/XmlAttributes.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "platform/InputConstants.h"
#include "screens/ScreensRegistration.h"
#include "screens/Tv2GameScreenGame.h"
#include "tests/e2e/SampleGameFixture.h"

namespace {

class PlayScreen : public SampleGameFixture {
 protected:
  PlayScreen() { RegisterScreensClasses(); }
  ~PlayScreen() override {
    if (game) game->Done();
    game = nullptr;
    if (progress) progress->ReleaseLinks();
  }

  // The game with the game file's "GS_Game" and stand-ins for the screens around it.
  void Open(const std::string& givenTime = {}) {
    Ref<IHierStorage> node = GameScreenNode();
    ASSERT_TRUE(node);
    EXPECT_EQ(ReadXmlStr(node, "type"), "Tavelor2GameScreenGame");
    // The amulet needs a cursor to shine through.
    Start(GameXml(ScreenXml("GS_LevelLoading") + ScreenXml("GS_LevelStat") + ScreenXml("GS_Diary") +
                      ScreenXml("GS_GameMenu"),
                  {},
                  R"(<cursors><cursor name="default"><widget type="group_widget" name="arrow">
                       <widgets><widget type="test_box" name="shine" visible="yes"/></widgets>
                     </widget></cursor></cursors>)"));
    game->GetCursors()->SetCursor("default");
    Ref<IGameScreenSlave> slave = Supports<IGameScreenSlave>(CreateObjectFromXml(node));
    screen = dynamic_cast<TTavelor2GameScreenGame*>(slave.get());
    ASSERT_TRUE(screen);
    game->GetScreens()->AddItem(slave);
    slave->AttachOwner(game.get());
    slave->LoadWindow();

    // What the main menu and the diary publish: the documents and a new story.
    progress = PublishDocumentsAndNewStory();
    game->SetParamValue("user_game_data", Variant(Ref<IInterface>(progress.get())));
    task = progress->GetCases()
               ->GetItem(Variant("c1_lantern"))
               ->CurrentStage()
               ->GetTasks()
               ->GetItem(Variant("t1"));
    ASSERT_TRUE(task);
    if (!givenTime.empty()) task->SetParamValue("given_time", Variant(givenTime));
    Ref<TUGDScene> scene = TAbstractObject::Create<TUGDScene>();
    scene->SetName("atelier");
    scene->SetParamValue("scenename", Variant("atelier"));
    scene->SetParamValue("ho_count", task->GetParamValue("ho_count"));
    progress->GetScenes()->Add(Ref<IUGDScene>(scene.get()));
  }

  // "GS_Game" shown with the task; the loading screen closed; frames until the start
  // scenario hands input to the player.
  void StartLevel() {
    SetRandomSeed(1);
    game->ShowScreen("GS_Game", ParamsFromString("\\case=c1_lantern\\stage=s1\\task=t1"
                                                 "\\participant=odile"));
    Frame(16);
    ASSERT_EQ(Stack(), (std::vector<std::string>{"GS_Game", "GS_LevelLoading"}));
    game->CloseScreen(game->GetScreens()->GetScreen(Variant("GS_LevelLoading")).get(), nullptr);
    for (int i = 0; i < 600 && screen->IsInputBlocked(); ++i) Frame(16);
    ASSERT_FALSE(screen->IsInputBlocked()) << "the start scenario never handed over";
    for (int i = 0; i < 20; ++i) Frame(16);
  }

  void Click(const TPoint& point) {
    engine->cursor = point;
    game->HandleMouse(input::kMouseMove, point, 0);
    game->HandleMouse(input::kLeftButtonDown, point, 0);
    game->HandleMouse(input::kLeftButtonUp, point, 0);
  }
  void Frames(int count) {
    for (int i = 0; i < count; ++i) Frame(16);
  }

  TTavelor2GameScreenGame* screen = nullptr;
  Ref<TUserGameData> progress;
  Ref<IUGDTask> task;
};

TEST_F(PlayScreen, AtelierFindsComboMissAndWin) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_NO_FATAL_FAILURE(StartLevel());
  ASSERT_TRUE(screen->GetLevelManager());
  EXPECT_EQ(screen->GetLevelManager()->RemainingCount(), 7) << "six shapes and the doll";
  EXPECT_TRUE(screen->FindWidget("objects_group/lantern_l1"));
  EXPECT_GT(screen->GetTimer(), 290000);
  EXPECT_LE(screen->GetTimer(), 300000);

  // Three quick finds: the combo's 300 on top of the finds' own points.
  const int32_t before = screen->GetShownScore();
  Click({150, 200});
  Frames(10);
  Click({330, 430});
  Frames(10);
  Click({520, 300});
  EXPECT_EQ(screen->GetCombo(), 3);
  Frames(200);
  EXPECT_GE(screen->GetShownScore() - before, 300);
  EXPECT_EQ(screen->GetLevelManager()->RemainingCount(), 4);

  // A miss on the bare workbench wall.
  Click({60, 560});
  EXPECT_EQ(screen->GetWrongClicks(), 1);

  for (const TPoint& point : {TPoint{700, 480}, TPoint{850, 200}, TPoint{620, 140}}) {
    Click(point);
    Frames(60);
  }
  Frames(200);
  EXPECT_EQ(screen->GetLevelManager()->RemainingCount(), 1) << "the doll is left";

  // The amulet finds the doll; the level is won.
  ASSERT_TRUE(screen->GetAmuletTarget()) << "the doll enabled the amulet";
  Ref<IWidget> amulet = screen->FindWidget("ui_group/button_amulet");
  ASSERT_TRUE(amulet);
  EXPECT_TRUE(amulet->IsEnabled());
  screen->OnWidgetEvent(amulet.get(), 1, 0);
  EXPECT_TRUE(screen->IsAmuletMode());
  Click({420, 560});
  for (int i = 0; i < 1000 && !task->IsCompleted(); ++i) Frame(16);
  EXPECT_TRUE(task->IsCompleted());
  EXPECT_TRUE(progress->GetScenes()->GetItem(Variant("atelier"))->IsCompleted());
  EXPECT_EQ(progress->GetFindedVoodoo(), "doll_moth;");
}

TEST_F(PlayScreen, AtelierLostWhenTheTimeRunsOut) {
  ASSERT_NO_FATAL_FAILURE(Open("25000"));
  const int32_t total = progress->GetScores();
  ASSERT_NO_FATAL_FAILURE(StartLevel());
  for (int i = 0; i < 2000 && !screen->IsLevelOver(); ++i) Frame(16);
  EXPECT_TRUE(screen->IsLevelOver());
  EXPECT_FALSE(screen->IsCompleted());
  EXPECT_FALSE(task->IsCompleted());
  EXPECT_EQ(progress->GetScores(), total);
}

}  // namespace
