// The player's progress: its lists, current case and stage, what it keeps in the profile.

#include <gtest/gtest.h>

#include <functional>

#include "foundation/SimpleXML.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2UserGameData.h"
#include "shell/UserProfile.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameplayFixture.h"
#include "tests/support/WarningCapture.h"

using namespace gameplay_test;

namespace {

constexpr const char* kProgress = R"(<usergamedata name="Mira" Level="3" scores="1200"
    journal="note_lantern;" matched_clients="odile;" finded_voodoo="doll_moth;" open_gifts="ring;"
    chosen_gifts="anna:rose;" open_places="pier;" chosen_places="x:mill;" debug_mode="1"
    play_mode="1" need_mg_category_tut="no">
  <params><param name="currentcase" value="c2"/></params>
  <scenes><scene name="atelier" generated="yes" completed="yes">
    <params><param name="ho_names" value=";lantern/l1;"/></params></scene>
    <scene name="market"/></scenes>
  <cases>
    <case name="c1"><stages><stage name="s1"><tasks>
      <task name="t1" tasktype="0"/><task name="t2"/><task name="t3" tasktype="five"/>
    </tasks></stage></stages></case>
    <case name="c2" completed="yes"><params><param name="currentstage" value="s9"/></params>
      <stages><stage name="s1"/><stage name="s2"/></stages></case>
  </cases>
</usergamedata>)";

Ref<TUserGameData> Progress(const std::string& xml = kProgress) {
  return LoadRecord<TUserGameData>(xml);
}

}  // namespace

TEST(UserGameData, FreshProgressHasTheDefaults) {
  Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
  EXPECT_EQ(data->GetLevel(), 1);
  EXPECT_EQ(data->GetScores(), 0);
  EXPECT_EQ(data->GetPlayMode(), 0);
  EXPECT_EQ(data->GetDebugMode(), 0);
  EXPECT_TRUE(data->GetNeedMgCategoryTut());
  EXPECT_FALSE(data->CurrentCase());
  EXPECT_EQ(Attributes(Saved(*data, "usergamedata")),
            "Level=1 scores=0 journal= matched_clients= finded_voodoo= open_gifts= chosen_gifts= "
            "open_places= chosen_places= debug_mode=0 play_mode=0 need_mg_category_tut=yes");
}

TEST(UserGameData, NameListsAddAndRemoveWholeEntries) {
  using Op = std::function<void(TUserGameData&)>;
  struct Case {
    const char* what;
    std::string (TUserGameData::*list)();
    void (TUserGameData::*set)(const std::string&);
    const char* before;
    Op op;
    const char* after;
  };
  const Case cases[] = {
      {"a name inside another is there already", &TUserGameData::GetJournal,
       &TUserGameData::SetJournal, "wildcat;", [](TUserGameData& d) { d.AddToJournal("cat"); },
       "wildcat;"},
      {"journal appends", &TUserGameData::GetJournal, &TUserGameData::SetJournal, "a;",
       [](TUserGameData& d) { d.AddToJournal("b"); }, "a;b;"},
      {"journal takes an empty name", &TUserGameData::GetJournal, &TUserGameData::SetJournal, "a;",
       [](TUserGameData& d) { d.AddToJournal(""); }, "a;;"},
      {"matched clients", &TUserGameData::GetMatchedClients, &TUserGameData::SetMatchedClients, "",
       [](TUserGameData& d) { d.AddMatchedClient("odile"); }, "odile;"},
      {"open places take an empty name", &TUserGameData::GetOpenPlaces,
       &TUserGameData::SetOpenPlaces, "", [](TUserGameData& d) { d.AddOpenPlace(""); }, ";"},
      {"voodoo ignores an empty name", &TUserGameData::GetFindedVoodoo,
       &TUserGameData::SetFindedVoodoo, "d;", [](TUserGameData& d) { d.AddFindedVoodoo(""); },
       "d;"},
      {"voodoo appends", &TUserGameData::GetFindedVoodoo, &TUserGameData::SetFindedVoodoo, "d;",
       [](TUserGameData& d) { d.AddFindedVoodoo("e"); }, "d;e;"},
      {"temporary list ignores an empty name", &TUserGameData::GetTempList,
       &TUserGameData::SetTempList, "a;", [](TUserGameData& d) { d.AddToTempList(""); }, "a;"},
      {"a gift ends only its own entries", &TUserGameData::GetOpenGifts,
       &TUserGameData::SetOpenGifts, "earring;ring;",
       [](TUserGameData& d) { d.RemoveOpenGift("ring"); }, "earring;"},
      {"gifts compare without case", &TUserGameData::GetOpenGifts, &TUserGameData::SetOpenGifts,
       "ring;rose;RING;", [](TUserGameData& d) { d.RemoveOpenGift("Ring"); }, "rose;"},
      {"an unfinished last entry stays", &TUserGameData::GetOpenPlaces,
       &TUserGameData::SetOpenPlaces, "pier;mill",
       [](TUserGameData& d) { d.RemoveOpenPlace("mill"); }, "pier;mill"},
      {"places end whole entries", &TUserGameData::GetOpenPlaces, &TUserGameData::SetOpenPlaces,
       "windmill;mill;", [](TUserGameData& d) { d.RemoveOpenPlace("mill"); }, "windmill;"},
      {"the temporary list's first entry stays", &TUserGameData::GetTempList,
       &TUserGameData::SetTempList, "a;b;", [](TUserGameData& d) { d.RemoveFromTempList("a"); },
       "a;b;"},
      {"a later temporary entry goes", &TUserGameData::GetTempList, &TUserGameData::SetTempList,
       "a;b;", [](TUserGameData& d) { d.RemoveFromTempList("b"); }, "a;"},
      {"the temporary list ends whole entries", &TUserGameData::GetTempList,
       &TUserGameData::SetTempList, "x;ab;", [](TUserGameData& d) { d.RemoveFromTempList("a"); },
       "x;ab;"},
      {"the temporary list compares with case", &TUserGameData::GetTempList,
       &TUserGameData::SetTempList, "x;a;A;a;", [](TUserGameData& d) { d.RemoveFromTempList("a"); },
       "x;A;"},
  };
  for (const Case& c : cases) {
    Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
    ((*data).*c.set)(c.before);
    c.op(*data);
    EXPECT_EQ(((*data).*c.list)(), c.after) << c.what;
  }
}

TEST(UserGameData, ChoosingAGiftOrPlaceRecordsItOnceAndClosesIt) {
  Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
  data->SetOpenGifts("ring;rose;");
  data->ChooseGift("ring", "anna");
  EXPECT_EQ(data->GetChosenGifts(), "anna:ring;");
  EXPECT_EQ(data->GetOpenGifts(), "rose;");
  data->ChooseGift("ring", "bert");
  EXPECT_EQ(data->GetChosenGifts(), "anna:ring;");
  data->SetOpenPlaces("pier;mill;");
  data->ChoosePlace("mill", "milo");
  EXPECT_EQ(data->GetChosenPlaces(), "milo:mill;");
  EXPECT_EQ(data->GetOpenPlaces(), "pier;");
  EXPECT_FALSE(data->TempListContains(""));
  data->SetTempList("abc;");
  EXPECT_TRUE(data->TempListContains("b"));
}

TEST(UserGameData, CurrentCaseAndStageFallBackToTheFirst) {
  Ref<TUserGameData> data = Progress();
  Ref<IUGDCase> current = data->CurrentCase();
  ASSERT_TRUE(current);
  EXPECT_EQ(current->GetName(), "c2");
  // "s9" names no stage: the first is current and named.
  Ref<IUGDStage> stage = current->CurrentStage();
  ASSERT_TRUE(stage);
  EXPECT_EQ(stage->GetName(), "s1");
  EXPECT_EQ(current->GetParamValue("currentstage").ToString(), "s1");

  data->GetCases()->Delete(Variant("c2"));
  EXPECT_EQ(data->CurrentCase()->GetName(), "c1");
  EXPECT_EQ(data->GetParamValue("currentcase").ToString(), "c1");
  data->GetCases()->Clear();
  EXPECT_FALSE(data->CurrentCase());
}

TEST(UserGameData, ReadsAndWritesEveryPart) {
  Ref<TUserGameData> data = Progress();
  data->SetTempList("x;");
  EXPECT_EQ(data->GetLevel(), 3);
  EXPECT_EQ(data->GetPlayMode(), 1);
  EXPECT_FALSE(data->GetNeedMgCategoryTut());
  Ref<IUGDScene> atelier = data->GetScenes()->GetItem(Variant("atelier"));
  ASSERT_TRUE(atelier);
  EXPECT_TRUE(atelier->IsGenerated());
  EXPECT_TRUE(atelier->IsCompleted());
  Ref<IUGDTaskCollection> tasks =
      data->GetCases()->GetItem(Variant("c1"))->GetStages()->GetItem(Variant(0))->GetTasks();
  EXPECT_EQ(tasks->GetItem(Variant("t1"))->GetTaskType(), 0);
  EXPECT_EQ(tasks->GetItem(Variant("t2"))->GetTaskType(), 4);
  EXPECT_EQ(tasks->GetItem(Variant("t3"))->GetTaskType(), 4);

  Ref<IHierStorage> saved = Saved(*data, "usergamedata");
  EXPECT_EQ(Attributes(saved),
            "name=Mira Level=3 scores=1200 journal=note_lantern; matched_clients=odile; "
            "finded_voodoo=doll_moth; open_gifts=ring; chosen_gifts=anna:rose; open_places=pier; "
            "chosen_places=x:mill; debug_mode=1 play_mode=1 need_mg_category_tut=no");
  Ref<IHierStorage> scenes = saved->GetChild("scenes", 0);
  ASSERT_TRUE(scenes);
  EXPECT_EQ(Attributes(scenes->GetChild("scene", 0)), "name=atelier completed=yes generated=yes");
  EXPECT_EQ(Attributes(scenes->GetChild("scene", 1)), "name=market");
  Ref<IHierStorage> savedTasks = saved->GetChild("cases", 0)
                                     ->GetChild("case", 0)
                                     ->GetChild("stages", 0)
                                     ->GetChild("stage", 0)
                                     ->GetChild("tasks", 0);
  EXPECT_EQ(Attributes(savedTasks->GetChild("task", 0)), "name=t1 tasktype=0");
  EXPECT_EQ(Attributes(savedTasks->GetChild("task", 1)), "name=t2");

  // Loaded again: the same, and the temporary list empty.
  Ref<TUserGameData> again = TAbstractObject::Create<TUserGameData>();
  again->SetTempList("y;");
  again->LoadFromStorage(saved);
  EXPECT_EQ(again->GetTempList(), "");
  EXPECT_EQ(Attributes(Saved(*again, "usergamedata")), Attributes(saved));
}

TEST(UserGameData, ResetScenesAndLoadCasesStartANewStory) {
  Ref<TUserGameData> data = Progress();
  data->ResetScenes();
  EXPECT_FALSE(data->GetScenes()->GetItem(Variant("atelier"))->IsCompleted());
  EXPECT_TRUE(data->GetScenes()->GetItem(Variant("atelier"))->IsGenerated());

  std::string problem;
  Ref<IHierStorageRoot> scenario = ParseDataText(
      R"(<scenario><case name="n1"><stages><stage name="s1"/></stages></case>
         <case name="n2"/></scenario>)",
      problem);
  data->LoadCases(Ref<IHierStorage>(scenario.get()));
  ASSERT_EQ(data->GetCases()->Count(), 2);
  EXPECT_EQ(data->GetCases()->GetItem(Variant(0))->GetName(), "n1");
  data->LoadCases(nullptr);
  EXPECT_EQ(data->GetCases()->Count(), 0);
}

class UserGameDataProfile : public GameplayFixture {};

TEST_F(UserGameDataProfile, AttachesToAProfileAndStoresBackIntoIt) {
  Tv2DeclarationsInit();
  StartOwner();
  engine->preferenceFolder = preferences.Path().string();
  Ref<IUserProfile> profile = game->GetUserProfiles()->GetOrCreate("Mira");
  profile->SetDataStorage(kProgress);

  Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
  data->StoreToProfile(game.get());  // no profile yet: nothing
  EXPECT_EQ(engine->preferenceSaves, 0);
  data->AttachProfile(profile);
  EXPECT_EQ(data->GetProfileName(), "Mira");
  EXPECT_EQ(data->GetScores(), 1200);
  data->SetScores(1500);
  data->AddToJournal("note_garden");
  data->StoreToProfile(nullptr);
  EXPECT_EQ(engine->preferenceSaves, 0);
  data->StoreToProfile(game.get());
  EXPECT_EQ(engine->preferenceSaves, 1);

  Ref<TUserGameData> reread = TAbstractObject::Create<TUserGameData>();
  reread->AttachProfile(profile);
  EXPECT_EQ(reread->GetScores(), 1500);
  EXPECT_EQ(reread->GetJournal(), "note_lantern;note_garden;");
  EXPECT_EQ(reread->GetCases()->Count(), 2);

  data->ReleaseLinks();
  EXPECT_FALSE(data->GetProfile());
  EXPECT_EQ(data->GetCases()->Count(), 0);
  data->StoreToProfile(game.get());
  EXPECT_EQ(engine->preferenceSaves, 1);
}

TEST_F(UserGameDataProfile, UnreadableProgressIsKeptInTheProfileAndNotSavedOver) {
  Tv2DeclarationsInit();
  StartOwner();
  engine->preferenceFolder = preferences.Path().string();
  std::string deep;
  for (int i = 0; i <= kXmlMaxDepth; ++i) deep += "<usergamedata>";
  const std::string texts[] = {"<usergamedata Level=\"4\"", "level 50, 123456 points\r\nand more",
                               deep};
  int saves = 0;
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 30));
    WarningCapture warnings;
    Ref<IUserProfile> profile = game->GetUserProfiles()->GetOrCreate("Mira");
    profile->GetParams()->Clear();
    profile->SetDataStorage(text);
    Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
    data->AttachProfile(profile);
    EXPECT_EQ(data->GetLevel(), 1);
    // The text moved out of the story's way, under a name the game does not read.
    EXPECT_EQ(profile->GetDataStorage(), "");
    EXPECT_EQ(profile->GetParams()->GetValue("damaged_progress").ToString(), text);
    ASSERT_EQ(warnings.Lines().size(), 1u);
    EXPECT_NE(warnings.Lines()[0].find("users.dat: player \"Mira\": progress not read ("),
              std::string::npos)
        << warnings.Lines()[0];
    EXPECT_NE(warnings.Lines()[0].find("); its text is kept in the profile as the parameter "
                                       "\"damaged_progress\"; the story starts anew"),
              std::string::npos)
        << warnings.Lines()[0];

    // The new story is stored; the old text is saved with the profile, as it was.
    data->StoreToProfile(game.get());
    EXPECT_EQ(engine->preferenceSaves, ++saves);
    Ref<TUserProfileCollection> reread = TAbstractObject::Create<TUserProfileCollection>();
    reread->LoadFromFile(engine.get());
    Ref<IUserProfile> again = reread->GetItem(Variant("Mira"));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetParams()->GetValue("damaged_progress").ToString(), text);
    EXPECT_NE(again->GetDataStorage().find("<usergamedata"), std::string::npos);
  }
}

TEST_F(UserGameDataProfile, EachUnreadableProgressIsKeptOnce) {
  WarningCapture warnings;
  Ref<TUserProfile> profile = TAbstractObject::Create<TUserProfile>();
  profile->SetName("Mira");
  const char* const texts[] = {"first damage", "second damage", "first damage"};
  for (const char* text : texts) {
    profile->SetDataStorage(text);
    TAbstractObject::Create<TUserGameData>()->AttachProfile(Ref<IUserProfile>(profile.get()));
  }
  Ref<IParamCollection> params = profile->GetParams();
  EXPECT_EQ(params->Count(), 2);
  EXPECT_EQ(params->GetValue("damaged_progress").ToString(), "first damage");
  EXPECT_EQ(params->GetValue("damaged_progress-2").ToString(), "second damage");
  EXPECT_EQ(warnings.Lines().size(), 2u);
}

TEST_F(UserGameDataProfile, ProgressThatNamesOtherFilesNeitherReadsNorWritesThem) {
  Tv2DeclarationsInit();
  StartOwner();
  engine->preferenceFolder = preferences.Path().string();
  TempFolder program;
  program.Write("data/ini/game.ini", R"(<usergamedata scores="999999"/>)");
  const std::string spec = "file=" + (program / "data/ini/game.ini");
  Ref<IUserProfile> profile = game->GetUserProfiles()->GetOrCreate("Ann");
  profile->SetDataStorage("<usergamedata Level=\"50\" _outstorage=\"" + spec +
                          "\"><cases><case name=\"c1\" template=\"yes\" _outstorage=\"" + spec +
                          "\"/></cases></usergamedata>");
  WarningCapture warnings;
  Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
  data->AttachProfile(profile);
  EXPECT_EQ(data->GetLevel(), 50);
  EXPECT_EQ(data->GetScores(), 0);
  data->StoreToProfile(game.get());
  EXPECT_EQ(program.Read("data/ini/game.ini"), R"(<usergamedata scores="999999"/>)");
  for (const char* reserved : {"_outstorage", "template"})
    EXPECT_EQ(profile->GetDataStorage().find(reserved), std::string::npos)
        << profile->GetDataStorage();
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_EQ(warnings.Lines()[0],
            "warning: users.dat: player \"Ann\": progress: \"_outstorage\" (2 elements), "
            "\"template\" (1 element) dropped: a player's file leans on no other file and is "
            "saved nowhere else");
}

TEST_F(UserGameDataProfile, ReadsThePlayModeANewPlayersStorageHolds) {
  // The new-player screens write a storage of their own, root "gamescreen", before any
  // progress exists.
  Ref<IHierStorageRoot> storage = CreateXmlStorage("gamescreen");
  WriteXmlInt(Ref<IHierStorage>(storage.get()), "play_mode", 1, true);
  Ref<TUserProfile> profile = TAbstractObject::Create<TUserProfile>();
  profile->SetName("Ann");
  profile->SetDataStorage(storage->GetXmlText());
  WarningCapture warnings;
  Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
  data->AttachProfile(Ref<IUserProfile>(profile.get()));
  EXPECT_EQ(data->GetPlayMode(), 1);
  EXPECT_EQ(data->GetLevel(), 1);
  EXPECT_EQ(data->GetCases()->Count(), 0);
  EXPECT_TRUE(warnings.Lines().empty());
}
