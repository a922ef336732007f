// The play screen's mini-games, approaches, amulet and level end.

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/Params.h"
#include "tests/support/PlayScreenFixture.h"

namespace {

using Ids = std::vector<std::string>;

class GameScreenGameLevel : public PlayScreenFixture {
 protected:
  void StartWith(const std::string& params = {}, int type = 0,
                 const std::string& attrs = "play_mode=\"0\"") {
    Progress(type, Param("given_time", "300000") + params, attrs,
             Param("participant", "bastien") + Param("scenename", "room"));
    ASSERT_TRUE(StartLevel());
  }
  // A mini-game stand-in with the protocol's properties.
  Ref<IWidget> AddMiniGame(const std::string& group, const std::string& name,
                           const std::string& hint, bool win = false) {
    Ref<IWidget> game = AddObject(group, name, 5, 20, 20, 100, 100);
    game->SetExtraParam(TTv2GameplayScreen::kObjectDefParam, Variant());
    game->SetExtraParam("need_skip", Variant(1));
    game->SetExtraParam("win", Variant(win));
    if (!hint.empty()) game->SetExtraParam("instance_hint", Variant(hint));
    return game;
  }
  int Count(const std::string& sound) {
    return int(std::count(engine->playedSounds.begin(), engine->playedSounds.end(), sound));
  }
  Ref<IParamCollection> Shown(const std::string& id) {
    TestGameScreen* shown = Screen(id);
    return shown ? shown->GetShowParams() : nullptr;
  }
};

TEST_F(GameScreenGameLevel, SkipButtonIsLaidOutAroundItsText) {
  StartWith();
  AddMiniGame("objects_group", "minigame_pick", "mg_hint_pick");
  screen->UpdateSkipButtons();
  Ref<IWidget> skip = W("ui_group/button_skip");
  ASSERT_TRUE(skip->IsVisible());
  EXPECT_FALSE(W("ui_group/button_skip_level")->IsVisible());
  struct Case {
    const char* child;
    double left;
  };
  const Case cases[] = {
      {"button", -58},  // -w/2 less the left border's width
      {"middle_background", -50},
      {"middle_border", -50},
      {"left_background", -62},
      {"left_border", -58},
      {"right_background", 49},
      {"right_border", 49},
      {"bar", -71},
      {"bar_fin", -71},
  };
  for (const Case& c : cases)
    EXPECT_EQ(skip->FindWidget(c.child)->GetAnchorLeft(), c.left) << c.child;
  EXPECT_EQ(skip->FindWidget("button/text")->GetAnchorLeft(), 8);
  EXPECT_EQ(skip->FindWidget("button/text")->GetWidth(), 100);
  EXPECT_EQ(skip->FindWidget("middle_border")->GetWidth(), 100);
  EXPECT_EQ(skip->FindWidget("bar_fin")->GetWidth(), 143);
  EXPECT_EQ(skip->FindWidget("akkumulate")->GetProperty("value").ToDouble(), 143);
  EXPECT_EQ(skip->FindWidget("button")->GetProperty("props_to_change").ToString(),
            "\\../../../objects_group/minigame_pick/need_skip=0;\\visible=0");
}

TEST_F(GameScreenGameLevel, PausedOrSolvedGamesOfferNoSkip) {
  StartWith();
  Ref<IWidget> game = AddMiniGame("objects_group", "minigame_pick", "mg_hint_pick");
  game->SetPaused(true);
  screen->UpdateSkipButtons();
  EXPECT_FALSE(W("ui_group/button_skip")->IsVisible());
  game->SetPaused(false);
  game->SetExtraParam("need_skip_level", Variant(1));
  screen->UpdateSkipButtons();
  EXPECT_FALSE(W("ui_group/button_skip")->IsVisible());
  EXPECT_TRUE(W("ui_group/button_skip_level")->IsVisible());
}

// The skip control sends a plain click: the screen applies its list as the button
// would, then hides the skip buttons.
TEST_F(GameScreenGameLevel, SkipPressSkipsTheGameInTheOpenApproach) {
  StartWith();
  AddApproach("cupboard");
  Ref<IWidget> game = AddMiniGame("approaches_group/cupboard", "minigame_pick", "mg_hint_pick");
  screen->OpenApproach("cupboard", 0);
  ASSERT_EQ(screen->GetOpenApproach(), W("approaches_group/cupboard"));
  Ref<IWidget> button = W("ui_group/button_skip/button");
  EXPECT_EQ(button->GetProperty("props_to_change").ToString(),
            "\\../../../../approaches_group/cupboard/minigame_pick/need_skip=0;\\visible=0");
  screen->OnWidgetEvent(button.get(), 1, 0);
  EXPECT_EQ(game->GetProperty("need_skip").ToString(), "0;");
  EXPECT_FALSE(button->IsVisible());
  EXPECT_FALSE(W("ui_group/button_skip")->IsVisible());
}

TEST_F(GameScreenGameLevel, QuestShowsOncePerPlayAndAgainAfterARestart) {
  StartWith();
  AddApproach("cupboard");
  AddMiniGame("approaches_group/cupboard", "minigame_pick", "mg_hint_pick");
  screen->OpenApproach("cupboard", 0);
  Ref<IWidget> quest = W("animation_group/task_quest");
  ASSERT_TRUE(quest);
  EXPECT_EQ(quest->GetProperty("caption").ToString(), "%mg_hint_pick%");
  EXPECT_TRUE(W("objects_group")->IsPaused());
  EXPECT_EQ(progress->GetTempList(), "mg_hint_pick;");
  quest->SetDead(true);
  Frame(16);
  screen->OpenApproach("cupboard", 0);  // closes it
  EXPECT_FALSE(screen->GetOpenApproach());
  screen->OpenApproach("cupboard", 0);
  EXPECT_FALSE(W("animation_group/task_quest")) << "once per play";
  screen->ResetTaskProgress();
  EXPECT_EQ(progress->GetTempList(), "");
  screen->CloseApproach();
  screen->OpenApproach("cupboard", 0);
  EXPECT_TRUE(W("animation_group/task_quest")) << "after a restart it shows again";
}

TEST_F(GameScreenGameLevel, GameWithoutHintKeyShowsNoQuest) {
  StartWith();
  AddApproach("chest");
  AddMiniGame("approaches_group/chest", "minigame_jigsaw", "");
  screen->OpenApproach("chest", 0);
  EXPECT_FALSE(W("animation_group/task_quest"));
  EXPECT_TRUE(W("approaches_group")->IsMouseStop()) << "nothing waits for a quest";
  EXPECT_EQ(progress->GetTempList(), "");
  EXPECT_FALSE(screen->HintMiniGame());
}

TEST_F(GameScreenGameLevel, HintButtonFirstHintsTheUnsolvedGame) {
  StartWith();
  AddMiniGame("objects_group", "minigame_pick", "mg_hint_pick");
  AddMiniGame("objects_group", "minigame_done", "mg_hint_done", true);
  screen->UseHint();
  EXPECT_EQ(manager->calls.back(), "ShowHintText(mg_hint_pick)");
  EXPECT_EQ(screen->GetHintsUsed(), 0);
}

TEST_F(GameScreenGameLevel, DelayedApproachOpensOnce) {
  StartWith();
  AddApproach("cupboard");
  screen->OpenApproach("cupboard", 1500);
  Frame(1000);
  Frame(499);
  EXPECT_FALSE(screen->GetOpenApproach());
  Frame(1);
  ASSERT_TRUE(screen->GetOpenApproach());
  EXPECT_TRUE(W("approach_obscuring_widget")->IsVisible());
  screen->CloseApproach();
  EXPECT_FALSE(screen->GetOpenApproach());
  EXPECT_FALSE(W("approaches_group")->IsVisible());
  for (int i = 0; i < 3; ++i) Frame(1000);
  EXPECT_FALSE(screen->GetOpenApproach()) << "entries stay queued but run once";
  EXPECT_EQ(screen->DelayedSwitchCount(), 1);
}

// A close-up its own data hides (a won game's feedback) is closed at the next update: the
// scene takes the presses again, with nothing left paused or darkened and no skip offered.
TEST_F(GameScreenGameLevel, HiddenApproachIsClosedAtTheNextUpdate) {
  StartWith();
  AddApproach("cupboard");
  AddApproach("chest");
  AddMiniGame("approaches_group/cupboard", "minigame_pick", "mg_hint_pick");
  screen->OpenApproach("cupboard", 0);
  W("animation_group/task_quest")->SetDead(true);
  Frame(16);
  ASSERT_TRUE(W("ui_group/button_skip")->IsVisible());
  W("approaches_group/cupboard")->SetVisible(false);
  Frame(16);
  EXPECT_FALSE(screen->GetOpenApproach());
  EXPECT_FALSE(W("approaches_group")->IsVisible());
  EXPECT_FALSE(W("approach_obscuring_widget")->IsVisible());
  EXPECT_FALSE(W("objects_group")->IsPaused());
  EXPECT_FALSE(W("ui_group/button_skip")->IsVisible());
  screen->OpenApproach("chest", 0);
  Frame(16);
  EXPECT_EQ(screen->GetOpenApproach(), W("approaches_group/chest")) << "a shown one stays";
}

TEST_F(GameScreenGameLevel, DelayedQueueGrowsBeforeItFills) {
  StartWith();
  Ref<IWidget> bats = AddObject("objects_group", "bats", 5, 10, 10);
  for (int i = 0; i < 20; ++i) screen->QueueDelayedAction(bats, true, false, 100);
  EXPECT_EQ(screen->DelayedSwitches().size(), 22u);
  bats->SetVisible(false);
  Frame(100);
  EXPECT_TRUE(bats->IsVisible());
}

TEST_F(GameScreenGameLevel, SceneWidgetSwitches) {
  StartWith();
  Ref<IWidget> door = AddObject("objects_group", "door", 5, 10, 10);
  Ref<IWidget> key = AddObject("objects_group", "key", 4, 50, 10);
  key->SetVisible(false);
  key->SetMouseStop(false);
  screen->ShowSceneWidget(door, false);
  EXPECT_FALSE(door->IsVisible());
  EXPECT_TRUE(door->IsPaused());
  screen->ShowSceneWidget(key, true);
  EXPECT_FALSE(key->IsVisible()) << "a hidden disposable object only takes the mouse";
  EXPECT_TRUE(key->IsMouseStop());
  screen->SwitchWidget(nullptr, "door", false, true, 0, "");
  EXPECT_TRUE(door->IsVisible());
}

TEST_F(GameScreenGameLevel, AmuletDarknessFollowsTheDistance) {
  struct Case {
    int dx;
    double level;
  };
  // The widget keeps whole levels: 127.5 is kept as 128.
  const Case cases[] = {{0, 255}, {55, 128}, {110, 0}, {200, 0}};
  StartWith("", 0);
  Ref<IWidget> mask = AddObject("ui_group", "color_mask", 5, 0, 0, 100, 4);
  Ref<IWidget> doll = AddObject("objects_group", "doll", 7, 300, 300);
  screen->EnableAmulet(doll);
  EXPECT_TRUE(W("ui_group/button_amulet")->IsEnabled());
  screen->StartAmulet();
  EXPECT_TRUE(screen->IsAmuletActive());
  EXPECT_FALSE(W("ui_group/button_amulet")->IsVisible());
  EXPECT_TRUE(W("ui_group/button_amulet_return")->IsVisible());
  for (const Case& c : cases) {
    screen->UpdateAmuletDarkness({300 + c.dx, 300});
    EXPECT_DOUBLE_EQ(doll->GetProperty("transparentlevel").ToDouble(), c.level) << c.dx;
  }
  Ref<IWidget> darkness = W("amulet_darkness");
  EXPECT_EQ(darkness->GetAnchorLeft(), 500 - 100);
  EXPECT_EQ(darkness->GetAnchorTop(), 300 - 50);
  screen->UpdateAmuletDarkness({-900, 5000});
  EXPECT_EQ(darkness->GetAnchorLeft(), -421 - 100);
  EXPECT_EQ(darkness->GetAnchorTop(), 768 + 282 - 50);

  // A target outside the view counts as 1310 away: the mask, 100 px wide, is read at its
  // last column.
  Ref<IWidget> away = AddObject("left_part/objects_group", "doll_away", 7, 300, 300);
  screen->EnableAmulet(away);
  screen->UpdateAmuletDarkness({300, 300});
  EXPECT_EQ(away->GetProperty("transparentlevel").ToDouble(), 0);
  EXPECT_TRUE(screen->IsAmuletMode());
  screen->StopAmulet();
  EXPECT_FALSE(screen->IsAmuletMode());
  EXPECT_TRUE(W("ui_group/button_amulet")->IsVisible());
}

TEST_F(GameScreenGameLevel, WonLevelOpensTheStatisticsAfterTheWinAnimation) {
  StartWith(Param("level_statistic", "normal") +
            Param("ingame_win_factory", "win_first_date_level_anim"));
  Ref<IWidget> doll = AddObject("objects_group", "doll", 7, 300, 300);
  screen->EnableAmulet(doll);
  screen->LevelWon();
  EXPECT_TRUE(task->IsCompleted());
  EXPECT_TRUE(W("animation_group/win_level_anim"));
  EXPECT_EQ(Count("sound_level_complete_voodoo"), 1);
  EXPECT_TRUE(screen->IsInputBlocked());
  EXPECT_FALSE(W("obscuring_widget")->IsVisible()) << "the obscuring switch is off";

  screen->AddScores(250);
  screen->WriteLevelStatistics(true);
  ASSERT_EQ(Stack(), (Ids{"GS_Game", "GS_LevelStat"}));
  Ref<IParamCollection> stat = Shown("GS_LevelStat");
  ASSERT_TRUE(stat);
  EXPECT_EQ(stat->GetValue("scores").ToInt(), 250);
  EXPECT_EQ(stat->GetValue("time").ToInt(), 0);
  EXPECT_TRUE(stat->GetValue("complete").ToBool());
  EXPECT_EQ(stat->GetValue("level_statistic").ToString(), "normal");
  EXPECT_EQ(stat->GetValue("tasktype").ToInt(), 0);
  EXPECT_EQ(stat->GetValue("task").ToString(), "t");
  EXPECT_EQ(stat->GetValue("participant").ToString(), "odile") << "the show parameter wins";
  EXPECT_EQ(stat->GetValue("object_names").ToString(), ";");
  EXPECT_EQ(stat->GetValue("hints_used").ToInt(), 0);
  EXPECT_EQ(stat->GetValue("wrong_clicks").ToInt(), 0);
  EXPECT_EQ(screen->GetShownScore(), 0);

  CloseTop();
  Frame(16);
  // The first close plays the close animation; its scenario closes for good.
  ASSERT_TRUE(W("animation_group/close_gamescreen_anim") || Stack() == Ids{});
}

TEST_F(GameScreenGameLevel, RefusedStatisticsKeepThePoints) {
  StartWith();
  screen->AddScores(250);
  game->ShowScreen("GS_LevelStat", nullptr);  // already on the stack: the next show is refused
  Frame(16);
  screen->WriteLevelStatistics(true);
  EXPECT_EQ(SaturateInt32(int64_t(screen->GetShownScore()) + screen->GetPendingScore()) -
                progress->GetScores(),
            250);
}

TEST_F(GameScreenGameLevel, StatisticsTimeCountsTheBankInSixtyFourBits) {
  StartWith(Param("given_time", "2147483647"));
  screen->TickTimer(30000);  // 1000 paid, 29000 banked
  screen->WriteLevelStatistics(false);
  Ref<IParamCollection> stat = Shown("GS_LevelStat");
  ASSERT_TRUE(stat);
  EXPECT_EQ(stat->GetValue("time").ToInt(), 30) << "(given + bank - timer) / 1000";
  EXPECT_FALSE(stat->GetValue("complete").ToBool());
}

TEST_F(GameScreenGameLevel, TaskWithoutStatisticsClosesInTwoPhasesWithACopy) {
  StartWith(Param("levelstat_after_task", "no") + Param("end_screen_name", "GS_Comics_match") +
            Param("sound_complete_scene", "sound_special_win"));
  screen->LevelWon();
  EXPECT_EQ(Stack(), (Ids{"GS_Game"})) << "no statistics screen";
  EXPECT_TRUE(W("animation_group/close_gamescreen_anim"));
  EXPECT_EQ(Count("sound_special_win"), 1);
  screen->CloseGameScreen(task->GetParams());
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{}));
  EXPECT_FALSE(task->GetParams()->FindParam(Variant("show_diary")))
      << "the saved task keeps its own parameters";
}

TEST_F(GameScreenGameLevel, FindPlacesWinBlocksInputDirectly) {
  StartWith({}, 4);
  screen->LevelWon();
  EXPECT_TRUE(W("animation_group/win_first_date_level_anim"));
  EXPECT_TRUE(screen->IsInputBlocked());
  EXPECT_EQ(Count("sound_level_complete"), 1);
}

TEST_F(GameScreenGameLevel, StatisticsClosedCompletedClosesNotCompletedRestarts) {
  StartWith(Param("journal_note_on_end_task", "note_lantern") + Param("select_scene", "gift"));
  progress->SetChosenGifts("ring");
  screen->LevelWon();
  screen->WriteLevelStatistics(true);
  CloseTop();
  EXPECT_EQ(progress->GetJournal(), "note_lantern;");
  EXPECT_EQ(progress->GetChosenGifts(), "");
  EXPECT_TRUE(W("ui_group/diary_shine"));
  EXPECT_TRUE(W("animation_group/close_gamescreen_anim") || Stack().empty());

  manager = TAbstractObject::Create<PlayLevelManager>();
  TestPlayScreen::nextLevelManager = Ref<ILevelManager>(manager.get());
  StartGame();
  StartWith();
  screen->LevelFailed();
  screen->WriteLevelStatistics(false);
  CloseTop();
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_LevelLoading"})) << "played again";
}

TEST_F(GameScreenGameLevel, SkipLevelActivatesEverythingAndWins) {
  StartWith();
  AddObject("objects_group", "cup", 0, 100, 100);
  AddObject("left_part/objects_group", "lamp", 1, 100, 100);
  screen->OnWidgetEvent(W("ui_group/button_skip_level/button").get(), 1, 0);
  EXPECT_EQ(std::count_if(manager->calls.begin(), manager->calls.end(),
                          [](const std::string& c) { return c.rfind("AfterActivation", 0) == 0; }),
            2);
  EXPECT_TRUE(task->IsCompleted());
}

}  // namespace
