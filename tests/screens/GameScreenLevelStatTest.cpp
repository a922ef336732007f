// The level statistics: rows and bonuses, the player's total, the part of each level kind,
// the found objects in their frames, the high score and the level record.

#include <climits>

#include "foundation/Random.h"
#include "gameplay/Tv2Participants.h"
#include "tests/screens/LevelStatTestSupport.h"

namespace {

class LevelStat : public ScreensFixture {
 protected:
  // The scene "room": a, b, c hidden objects (categories light, tea, light), d of a
  // category nobody has, "prop" scenery, "flat" without a height.
  void WriteRoom(const std::string& extraObjects = {}) {
    WriteData("data\\scenes\\room.xml",
              R"(<scene_def><object_defs>
                   <object_def name="a" objecttype="0" caption="%cap_a%" width="40" height="40"
                               category="light"/>
                   <object_def name="b" objecttype="0" caption="%cap_b%" width="20" height="60"
                               category="tea"/>
                   <object_def name="c" objecttype="0" caption="%cap_c%" width="200" height="150"
                               category="Light"/>
                   <object_def name="d" objecttype="0" caption="%cap_d%" width="40" height="40"
                               category="other"/>
                   <object_def name="prop" objecttype="5" width="40" height="40"
                               category="light"/>
                   <object_def name="flat" objecttype="0" caption="%cap_flat%" width="30"
                               height="0"/>)" +
                  extraObjects + "</object_defs></scene_def>");
    PublishSceneDefs(R"(<scene_defs><scene_def name="room" filename="data\scenes\room.xml"/>
                        </scene_defs>)");
  }
  void WriteCast() {
    PublishParticipants(
        R"(<participants>
             <participant name="odile" type="client" categories="light;tea" avatar="img_odile"
                          description="desc_odile"/>
             <participant name="milo" type="ideal_match" avatar="img_milo"/>
             <participant name="zoe" type="client" categories="c1;c2;c3;c4;c5;c6;c7"/>
           </participants>)");
    std::string categories = R"(<categories><category name="light" caption="Light"/>
                                <category name="tea" caption="Tea"/>)";
    for (int i = 1; i <= 7; ++i)
      categories +=
          "<category name=\"c" + std::to_string(i) + "\" caption=\"C" + std::to_string(i) + "\"/>";
    WriteData("data\\ini\\categories.ini", categories + "</categories>");
    SetGameParam("categories", Ref<IInterface>(LoadCategories("data\\ini\\categories.ini").get()));
  }

  // A timed player with nothing stored, the cast and the room written: the statistics of a
  // level in the room where the participant found the objects listed ("name/location;").
  Stats FoundInRoom(const std::string& participant, const std::string& objects,
                    const std::string& extraRoomObjects = {}) {
    StartScreens();
    WriteCast();
    WriteRoom(extraRoomObjects);
    StartPlayer(0, 0);
    Stats stats;
    stats.participant = participant;
    stats.scene = "room";
    stats.objects = objects;
    return stats;
  }

  Ref<IWidget> Placed(int frame, const std::string& name) {
    Ref<IWidget> parent = Find("GS_LevelStat", "window/category_" + std::to_string(frame));
    return parent ? parent->GetChildren()->GetByName(name) : nullptr;
  }
  Ids PlacedNames(int frame) {
    Ids names;
    Ref<IWidgetCollection> children =
        Find("GS_LevelStat", "window/category_" + std::to_string(frame))->GetChildren();
    for (int i = 0; i < children->Count(); ++i) names.push_back(children->GetByIndex(i)->GetName());
    return names;
  }
  static std::string Extra(const Ref<IWidget>& widget, const std::string& name) {
    return widget ? widget->GetProperty(name).ToString() : "(none)";
  }

  Ref<IRecordTable> ScoreTable(const char* name) {
    return game->GetHighScores()->GetTables()->GetItem(Variant(name));
  }
  Ref<ILevelRecord> LevelRecord(const char* table, int level) {
    return game->GetLevelRecords()->GetTables()->GetItem(Variant(table))->GetRecord(level);
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Bonuses

TEST_F(LevelStat, TimeBonusFallsAtOneTwoFourAndEightMinutes) {
  StartScreens();
  StartPlayer(0, 0);
  struct Case {
    int seconds, bonus;
  };
  for (Case c : {Case{59, 2000}, Case{60, 1000}, Case{119, 1000}, Case{120, 500}, Case{239, 500},
                 Case{240, 250}, Case{479, 250}, Case{480, 0}}) {
    Stats stats;
    stats.scores = progress->GetScores();
    stats.time = c.seconds;
    ShowStats(stats);
    EXPECT_EQ(StatText("level_time_scores"), std::to_string(c.bonus)) << c.seconds;
    CloseStats();
  }
}

TEST_F(LevelStat, HintsAndMistakesBonusesFromNoneToThreeOnly) {
  StartScreens();
  StartPlayer(1, 0);
  struct Case {
    int count, bonus;
  };
  for (Case c :
       {Case{-1, 0}, Case{0, 2000}, Case{1, 1000}, Case{2, 500}, Case{3, 250}, Case{4, 0}}) {
    Stats stats;
    stats.scores = progress->GetScores();
    stats.hints = c.count;
    stats.mistakes = c.count;
    ShowStats(stats);
    EXPECT_EQ(StatText("level_hints"), std::to_string(c.count));
    EXPECT_EQ(StatText("level_hints_scores"), std::to_string(c.bonus)) << c.count;
    EXPECT_EQ(StatText("level_mistakes"), std::to_string(c.count));
    EXPECT_EQ(StatText("level_mistakes_scores"), std::to_string(c.bonus)) << c.count;
    CloseStats();
  }
}

// ---------------------------------------------------------------------------------------
// Rows and the player's total

TEST_F(LevelStat, CompleteLevelShowsTheTimeRowsOnlyWhenTimed) {
  StartScreens();
  struct Case {
    int playMode, total;
    int scores, time, hints, mistakes;
    bool timed;
    int levelScoresTop;
    const char* timeScores;
    const char* mistakesScores;
    int levelScore;
    const char* totalScores;
    int allScores;
  };
  // Untimed: 500 for the level, 1000 + 500 for one hint and two mistakes. Timed: 800 for
  // the level, 1000 for 75 s, 2000 for no hint, nothing for four mistakes.
  for (const Case& c : {Case{1, 1000, 1500, 30, 1, 2, false, 245, "0", "500", 500, "2000", 3000},
                        Case{0, 200, 1000, 75, 0, 4, true, 210, "1000", "0", 800, "3800", 4000}}) {
    StartPlayer(c.playMode, c.total);
    Stats stats;
    stats.scores = c.scores;
    stats.time = c.time;
    stats.hints = c.hints;
    stats.mistakes = c.mistakes;
    TTavelor2GameScreenLevelStat* stat = ShowStats(stats);
    SCOPED_TRACE(c.timed ? "timed" : "untimed");
    EXPECT_TRUE(stat->IsComplete());
    EXPECT_TRUE(Supports<ILevelStatScreen>(Ref<IInterface>(Slave("GS_LevelStat")))->IsComplete());
    for (const char* row : {"label_level_time", "level_time", "level_time_scores"})
      EXPECT_EQ(StatVisible(row), c.timed) << row;
    for (const char* row :
         {"label_total_scores", "total_scores", "label_level_scores", "level_scores", "all_scores"})
      EXPECT_TRUE(StatVisible(row)) << row;
    if (c.timed) {
      EXPECT_EQ(StatText("level_time"), "01:15");
    }
    EXPECT_EQ(StatText("level_time_scores"), c.timeScores);
    EXPECT_EQ(StatText("level_mistakes_scores"), c.mistakesScores);
    EXPECT_EQ(Find("GS_LevelStat", "label_level_scores")->GetAnchorTop(), c.levelScoresTop);
    EXPECT_EQ(Find("GS_LevelStat", "level_scores")->GetAnchorTop(), c.levelScoresTop);
    EXPECT_EQ(StatText("level_scores"), std::to_string(c.levelScore));
    EXPECT_EQ(stat->GetLevelScore(), c.levelScore);
    EXPECT_EQ(StatText("total_scores"), c.totalScores);
    EXPECT_EQ(StatText("all_scores"), std::to_string(c.allScores));
    EXPECT_EQ(progress->GetScores(), c.allScores);
    CloseStats();
  }
}

TEST_F(LevelStat, TimedLostLevelShowsOnlyTheConsolation) {
  StartScreens();
  StartPlayer(0, 1000);
  Stats won;
  won.scores = 1400;
  ShowStats(won);
  CloseStats();
  const int stored = progress->GetScores();
  const int rows = ScoreTable("0")->GetRecords()->Count();

  Stats lost;
  lost.complete = false;
  lost.scores = stored + 300;
  lost.participant = "odile";
  TTavelor2GameScreenLevelStat* stat = ShowStats(lost);
  EXPECT_FALSE(stat->IsComplete());
  EXPECT_EQ(Parts(), (Ids{"loose_part"}));
  EXPECT_EQ(progress->GetScores(), stored);
  EXPECT_EQ(ScoreTable("0")->GetRecords()->Count(), rows);
  // The rows of the won level are not left standing beside it.
  for (const char* row : {"total_scores", "level_scores", "all_scores", "level_time"})
    EXPECT_FALSE(StatVisible(row)) << row;
  // Nor are its hints and mistakes, whose rows show as the window has them.
  for (const char* row :
       {"level_hints", "level_hints_scores", "level_mistakes", "level_mistakes_scores"})
    EXPECT_EQ(StatText(row), "") << row;
}

TEST_F(LevelStat, UntimedLostLevelFillsRowsWithoutBonusesAndConsoles) {
  StartScreens();
  StartPlayer(1, 1000);
  Stats lost;
  lost.complete = false;
  lost.scores = 1000;
  ShowStats(lost);
  EXPECT_EQ(StatText("level_hints_scores"), "0");
  EXPECT_EQ(StatText("level_mistakes_scores"), "0");
  EXPECT_EQ(StatText("level_time_scores"), "0");
  for (const char* row : {"label_total_scores", "total_scores", "label_level_scores",
                          "level_scores", "all_scores", "level_time"})
    EXPECT_FALSE(StatVisible(row)) << row;
  EXPECT_EQ(Parts(), (Ids{"loose_part"}));
  EXPECT_EQ(progress->GetScores(), 1000);
  EXPECT_EQ(ScoreTable("1")->GetRecords()->Count(), 0);
  EXPECT_FALSE(LevelRecord("1", 3));
}

TEST_F(LevelStat, TotalPlusBonusesSaturates) {
  StartScreens();
  StartPlayer(0, INT_MAX - 100);
  Stats stats;
  stats.scores = INT_MAX - 10;
  ShowStats(stats);
  EXPECT_EQ(StatText("all_scores"), std::to_string(INT_MAX));
  EXPECT_EQ(StatText("level_scores"), "90");
  EXPECT_EQ(StatText("total_scores"), "6090");
  EXPECT_EQ(progress->GetScores(), INT_MAX);
}

TEST_F(LevelStat, EveryShowingReadsItsOwnTotal) {
  StartScreens();
  StartPlayer(1, 5000);
  Stats stats;
  stats.scores = 6000;
  ShowStats(stats);
  CloseStats();
  ASSERT_EQ(progress->GetScores(), 5000 + 1000 + 4000);

  // Another player, and statistics without a running total: nothing of Ann's remains.
  game->GetUserProfiles()->GetOrCreate("Bob");
  game->GetUserProfiles()->SetCurrent("Bob");
  progress = PublishProgress(
      R"(<usergamedata play_mode="1" scores="200"><cases><case name="c1"/></cases></usergamedata>)");
  Ref<IParamCollection> params = StatParams(stats);
  params->Delete(Variant("scores"));
  TTavelor2GameScreenLevelStat* stat = ShowStats(params);
  EXPECT_EQ(stat->GetLevelScore(), 0);
  EXPECT_EQ(StatText("level_scores"), "0");
  EXPECT_EQ(progress->GetScores(), 200 + 4000);
}

TEST_F(LevelStat, UnreadableStatisticsCloseAtOnceWithoutResult) {
  StartScreens();
  StartPlayer(0, 100);
  struct Case {
    const char* param;
    Variant value;  // empty: removed
  };
  for (const Case& c : {Case{"tasktype", {}}, Case{"complete", {}}, Case{"level_statistic", {}},
                        Case{"complete", Variant("maybe")}, Case{"tasktype", Variant("two")}}) {
    Ref<IParamCollection> params = StatParams(Stats{});
    if (c.value.IsEmpty())
      params->Delete(Variant(c.param));
    else
      params->SetValue(c.param, c.value);
    ASSERT_TRUE(game->ShowScreen("GS_LevelStat", params));
    Frame(16);
    EXPECT_EQ(Stack(), (Ids{"GS_Game"})) << c.param;
    EXPECT_EQ(progress->GetScores(), 100) << c.param;
    EXPECT_EQ(TakeLog().back(), "GS_Game.OnChildClosed(GS_LevelStat,)") << c.param;
  }
  EXPECT_EQ(ScoreTable("0")->GetRecords()->Count(), 0);
}

TEST_F(LevelStat, WithoutProgressTheLevelScoreStaysAndNothingIsStored) {
  StartScreens();
  Stats stats;
  stats.scores = 700;
  stats.participant = "odile";
  TTavelor2GameScreenLevelStat* stat = ShowStats(stats);
  EXPECT_EQ(stat->GetLevelScore(), 0);
  EXPECT_EQ(StatText("all_scores"), "6700");
  EXPECT_EQ(Parts(), Ids{});
}

// ---------------------------------------------------------------------------------------
// The part of the level kind

TEST_F(LevelStat, EachLevelKindShowsItsPart) {
  StartScreens();
  WriteCast();
  WriteRoom();
  struct Case {
    int kind;
    const char* statistic;
    const char* participant;
    const char* task;
    Ids parts;
  };
  for (const Case& c :
       {Case{0, "empty", "odile", "t1", {"default_part"}},
        Case{0, "normal", "", "t1", {"default_part"}},
        Case{1, "normal", "odile", "t1", {"ho_part"}},
        Case{2, "normal", "odile", "t3", {"default_part"}},
        Case{3, "normal", "odile", "t3", {"default_part"}},
        Case{4, "normal", "", "t5_gift", {"gift_part"}},
        Case{4, "normal", "", "t4", {"default_part"}}, Case{5, "normal", "odile", "t6", {}},
        // The task type's top bit is no part of the level kind.
        Case{128 | 1, "normal", "odile", "t1", {"ho_part"}},
        Case{128 | 4, "normal", "", "t5_gift", {"gift_part"}}}) {
    StartPlayer(1, 0);
    Stats stats;
    stats.kind = c.kind;
    stats.statistic = c.statistic;
    stats.participant = c.participant;
    stats.task = c.task;
    stats.scene = "room";
    ShowStats(stats);
    EXPECT_EQ(Parts(), c.parts) << c.kind << " " << c.task;
    if (c.parts == Ids{"gift_part"}) {
      EXPECT_EQ(Extra(Find("GS_LevelStat", "specific_part_group/gift_part"), "resourcename"),
                "room");
    }
    CloseStats();
  }
  // A progress without a current case shows no part.
  progress = PublishProgress(R"(<usergamedata play_mode="1"/>)");
  ShowStats(Stats{});
  EXPECT_EQ(Parts(), Ids{});
}

TEST_F(LevelStat, ParticipantPartCarriesTheCardAndTheFirstFiveCategories) {
  StartScreens();
  WriteCast();
  WriteRoom();
  StartPlayer(0, 0);
  SetRandomSeed(7);
  struct Case {
    const char* participant;
    const char* avatar;
    const char* isClient;
    const char* isNotClient;
    std::array<std::string, 5> names;
  };
  for (const Case& c : {Case{"odile", "img_odile", "yes", "no", {"light", "tea", "", "", ""}},
                        Case{"milo", "img_milo", "no", "yes", {}},
                        Case{"zoe", "", "yes", "no", {"c1", "c2", "c3", "c4", "c5"}},
                        Case{"stranger", "", "no", "yes", {}}}) {
    Stats stats;
    stats.participant = c.participant;
    TTavelor2GameScreenLevelStat* stat = ShowStats(stats);
    Ref<IWidget> part = Find("GS_LevelStat", "specific_part_group/ho_part");
    ASSERT_TRUE(part) << c.participant;
    EXPECT_EQ(Extra(part, "avatar"), c.avatar);
    EXPECT_EQ(Extra(part, "is_client"), c.isClient);
    EXPECT_EQ(Extra(part, "is_not_client"), c.isNotClient);
    int frame = part->GetProperty("frame_num").ToInt(-1);
    EXPECT_TRUE(frame >= 0 && frame <= 4) << frame;
    int angle = part->GetProperty("frame_angle").ToInt(-100);
    EXPECT_TRUE(angle >= -5 && angle <= 6) << angle;
    EXPECT_EQ(stat->GetCategoryNames(), c.names) << c.participant;
    if (std::string(c.participant) == "odile") {
      EXPECT_EQ(Extra(part, "description"), "desc_odile");
      EXPECT_EQ(Extra(part, "category0"), "Light");
      EXPECT_EQ(Extra(part, "category1"), "Tea");
    }
    // Rows past the participant's categories are empty, not the factory's own macro.
    if (c.names[4].empty()) EXPECT_EQ(Extra(part, "category4"), "") << c.participant;
    if (std::string(c.participant) == "zoe") {
      EXPECT_EQ(Extra(part, "category4"), "C5");
    }
    CloseStats();
  }
}

// ---------------------------------------------------------------------------------------
// Found objects

TEST_F(LevelStat, ThreeObjectsWithoutCategoriesLineUpInTheMiddleFrame) {
  ShowStats(FoundInRoom("milo", "a/l1;b/l1;c/l1;"));
  for (int frame : {0, 1, 3, 4}) EXPECT_EQ(PlacedNames(frame), Ids{}) << frame;
  ASSERT_EQ(PlacedNames(2), (Ids{"a", "b", "c"}));
  struct Case {
    const char* name;
    int left;
    double zoom, zoom2;
  };
  // The column starts at 170 - 18 x 3 = 116 and steps by 55; the frame's top is 320.
  for (const Case& c :
       {Case{"a", 196, 0.95, 1}, Case{"b", 251, 0.8, 1}, Case{"c", 306, 0.19, 0.817}}) {
    Ref<IWidget> widget = Placed(2, c.name);
    EXPECT_EQ(widget->GetAnchorLeft(), c.left) << c.name;
    EXPECT_EQ(widget->GetAnchorTop(), 320) << c.name;
    EXPECT_NEAR(widget->GetProperty("zoom").ToDouble(), c.zoom, 1e-9) << c.name;
    EXPECT_NEAR(widget->GetProperty("zoom2").ToDouble(), c.zoom2, 1e-9) << c.name;
    EXPECT_EQ(widget->GetProperty("shiftleft").ToInt(), -c.left - 355) << c.name;
    EXPECT_EQ(widget->GetProperty("shifttop").ToInt(), 280 - 320) << c.name;
  }
  EXPECT_EQ(Extra(Placed(2, "a"), "caption"), "%cap_a%");
  EXPECT_EQ(Extra(Placed(2, "c"), "maskwidget"), "image_normal");
  EXPECT_NE(Extra(Placed(2, "a"), "maskwidget"), "image_normal");
}

TEST_F(LevelStat, ObjectsGoToTheFramesOfTheirCategories) {
  Stats stats = FoundInRoom("odile", "a/l1;b/l1;c/l1;d/l1;prop/l1;ghost/l1;flat/l1;");
  TTavelor2GameScreenLevelStat* stat = ShowStats(stats);
  EXPECT_EQ(PlacedNames(0), (Ids{"a", "c"}));
  EXPECT_EQ(PlacedNames(1), (Ids{"b"}));
  for (int frame : {2, 3, 4}) EXPECT_EQ(PlacedNames(frame), Ids{}) << frame;
  EXPECT_EQ(stat->GetCategoryCounts(), (std::array<int32_t, 5>{2, 1, 0, 0, 0}));
  // Every column starts at 0; the fullest frame holds two, so the step is 55.
  EXPECT_EQ(Placed(0, "a")->GetAnchorLeft(), 80);
  EXPECT_EQ(Placed(0, "c")->GetAnchorLeft(), 135);
  EXPECT_EQ(Placed(1, "b")->GetAnchorLeft(), 80);
  EXPECT_EQ(Placed(1, "b")->GetAnchorTop(), 310);
  EXPECT_EQ(Extra(Placed(0, "c"), "maskwidget"), "image_normal");
  EXPECT_EQ(Extra(Placed(1, "b"), "maskwidget"), "image_normal");
  EXPECT_NE(Extra(Placed(0, "a"), "maskwidget"), "image_normal");

  // The next showing starts with empty frames.
  CloseStats();
  stats.objects = "b/l1;";
  ShowStats(stats);
  EXPECT_EQ(PlacedNames(0), Ids{});
  EXPECT_EQ(PlacedNames(1), (Ids{"b"}));
}

TEST_F(LevelStat, ColumnStepNarrowsWithTheFullestFrame) {
  struct Case {
    int deepest, step;
  };
  // 13: 70 + round(-42.5) rounds half to even.
  for (Case c : {Case{1, 36}, Case{2, 55}, Case{3, 55}, Case{5, 55}, Case{7, 55}, Case{8, 47},
                 Case{9, 41}, Case{13, 28}})
    EXPECT_EQ(TTavelor2GameScreenLevelStat::ColumnStep(c.deepest), c.step) << c.deepest;
}

TEST_F(LevelStat, TwelveObjectsOrMoreStartLeftOfTheFrame) {
  std::string objects, names;
  for (int i = 0; i < 13; ++i) {
    std::string name = "o" + std::to_string(i);
    objects +=
        "<object_def name=\"" + name + R"(" objecttype="0" caption="x" width="40" height="40"/>)";
    names += name + "/l1;";
  }
  ShowStats(FoundInRoom("milo", names, objects));
  ASSERT_EQ(PlacedNames(2).size(), 13u);
  EXPECT_EQ(Placed(2, "o0")->GetAnchorLeft(), -28 + 80);
  EXPECT_EQ(Placed(2, "o1")->GetAnchorLeft(), -28 + 80 + 28);
  EXPECT_EQ(Placed(2, "o12")->GetAnchorLeft(), -28 + 80 + 12 * 28);
}

TEST_F(LevelStat, ZoomFitsTheLongerSideAndSparesObjectsWithoutArea) {
  struct Case {
    int width, height;
    double zoom;
  };
  for (Case c :
       {Case{40, 40, 0.95}, Case{20, 20, 1}, Case{55, 40, 38.0 / 55}, Case{56, 40, 48.0 / 56},
        Case{20, 60, 0.8}, Case{0, 30, 1}, Case{30, 0, 1}, Case{0, 0, 1}, Case{-5, 40, 1}})
    EXPECT_NEAR(TTavelor2GameScreenLevelStat::FrameZoom(c.width, c.height), c.zoom, 1e-12)
        << c.width << "x" << c.height;

  ShowStats(FoundInRoom("milo", "flat/l1;"));
  ASSERT_TRUE(Placed(2, "flat"));
  EXPECT_EQ(Placed(2, "flat")->GetProperty("zoom").ToDouble(), 1);
}

// ---------------------------------------------------------------------------------------
// High score and level record

TEST_F(LevelStat, CompleteLevelEntersTheHighScoresOfItsPlayMode) {
  StartScreens();
  StartPlayer(0, 0, 4);
  Stats stats;
  stats.scores = 500;
  stats.time = 80;
  ShowStats(stats);
  Ref<IRecordTable> timed = ScoreTable("0");
  ASSERT_EQ(timed->GetRecords()->Count(), 1);
  Ref<IParamCollection> row = timed->GetRecords()->GetItem(Variant(0))->GetParams();
  EXPECT_EQ(row->GetValue("Player").ToString(), "Ann");
  EXPECT_EQ(row->GetValue("Score").ToInt(), 500 + 1000 + 2000 + 2000);
  EXPECT_EQ(row->GetValue("Level").ToInt(), 4);
  EXPECT_EQ(ScoreTable("1")->GetRecords()->Count(), 0);
  EXPECT_EQ(
      game->GetUserProfiles()->GetCurrent()->GetParams()->GetValue("ShowHighScores").ToString(),
      "yes");
  for (const char* file : {"highscores.dat", "records.dat", "users.dat"})
    EXPECT_TRUE(std::filesystem::exists(preferences / file)) << file;
}

TEST_F(LevelStat, LevelRecordKeepsTheBestScoreAndTheShortestTime) {
  StartScreens();
  struct Case {
    int level;
    int recordScore, recordTime;  // -1: no such value
    int score, time;
    int expectedScore;
    const char* scoreName;
    int expectedTime;
    const char* timeName;
  };
  for (const Case& c : {Case{1, 900, 95, 500, 80, 900, "Bob", 80, "Ann"},
                        Case{2, 100, 60, 500, 80, 500, "Ann", 60, "Bob"},
                        Case{3, -1, -1, 500, 80, 500, "Ann", 80, "Ann"}}) {
    Ref<ILevelRecord> record = game->GetLevelRecords()->GetRecord(nullptr, "0", c.level);
    if (c.recordScore >= 0) {
      record->SetIntValue("Score", c.recordScore);
      record->SetValue("Scorename", "Bob");
      record->SetIntValue("time", c.recordTime);
      record->SetValue("timename", "Bob");
    }
    StartPlayer(0, 1000, c.level);
    Stats stats;
    stats.scores = 1000 + c.score;
    stats.time = c.time;
    ShowStats(stats);
    Ref<ILevelRecord> after = LevelRecord("0", c.level);
    ASSERT_TRUE(after) << c.level;
    EXPECT_EQ(after->GetIntValue("Score", -1, false), c.expectedScore) << c.level;
    EXPECT_EQ(after->GetValue("Scorename", "", false), c.scoreName) << c.level;
    EXPECT_EQ(after->GetIntValue("time", -1, false), c.expectedTime) << c.level;
    EXPECT_EQ(after->GetValue("timename", "", false), c.timeName) << c.level;
    CloseStats();
  }
}

// ---------------------------------------------------------------------------------------
// A player's total through a session

TEST_F(LevelStat, PlayersTotalFollowsWonLostRestartedQuitAndOptionsVisitedLevels) {
  StartScreens();
  StartPlayer(0, 0);
  auto play = [&](bool complete, int levelPoints, int time, int hints, int mistakes) {
    Stats stats;
    stats.complete = complete;
    // The play screen counts from the player's stored total.
    stats.scores = progress->GetScores() + levelPoints;
    stats.time = time;
    stats.hints = hints;
    stats.mistakes = mistakes;
    ShowStats(stats);
    CloseStats();
  };
  auto menu = [&](const std::string& button, const char* answer) {
    ASSERT_TRUE(game->ShowScreen("GS_GameMenu", nullptr));
    Frame(250);
    IGameScreenSlave* menuScreen = Slave("GS_GameMenu");
    dynamic_cast<IEventHandler*>(menuScreen)
        ->OnWidgetEvent(Find("GS_GameMenu", button).get(), control_event::kButtonClick, 0);
    Frame(16);
    if (!answer) return;
    Ref<IParamCollection> reply(TAbstractObject::Create<TParamCollection>().get());
    reply->SetValue("Button", Variant(answer));
    game->CloseScreen(Slave(game->GetTopScreenName()), reply);
    Frame(16);
  };

  play(true, 1200, 50, 0, 1);  // 2000 + 2000 + 1000
  EXPECT_EQ(progress->GetScores(), 6200);
  play(false, 300, 600, 0, 6);  // time ran out: nothing kept
  EXPECT_EQ(progress->GetScores(), 6200);

  menu("button_restart", "button_yes");
  EXPECT_EQ(TakeLog().back(), "GS_Game.OnChildClosed(GS_GameMenu,Button=GS_QueryRestart;)");
  play(true, 700, 130, 2, 0);  // 500 + 500 + 2000
  EXPECT_EQ(progress->GetScores(), 9900);

  menu("button_options", "button_close");
  ASSERT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"}));
  dynamic_cast<IEventHandler*>(Slave("GS_GameMenu"))
      ->OnWidgetEvent(Find("GS_GameMenu", "button_unpause").get(), control_event::kButtonClick, 0);
  Frame(16);
  play(true, 400, 300, 3, 3);  // 250 x 3
  EXPECT_EQ(progress->GetScores(), 11050);

  menu("button_main_menu", "button_yes");
  EXPECT_EQ(TakeLog().back(), "GS_Game.OnChildClosed(GS_GameMenu,Button=GS_QueryMainMenu;)");
  EXPECT_EQ(progress->GetScores(), 11050);
  Ref<IRecordTable> timed = ScoreTable("0");
  ASSERT_EQ(timed->GetRecords()->Count(), 1);
  EXPECT_EQ(timed->GetRecords()->GetItem(Variant(0))->GetScore(), 11050);
}
