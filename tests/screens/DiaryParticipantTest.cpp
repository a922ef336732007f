// The diary's participant page: the participants of a case on their slots, their
// categories and task buttons, the matching game's start and result, the matched pair.
#include <gtest/gtest.h>

#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2UserGameData.h"
#include "minigames/MiniGameCategory.h"
#include "minigames/MiniGamesRegistration.h"
#include "screens/ScreensRegistration.h"
#include "screens/Tv2GameScreenDiaryParticipant.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/minigames/FeedbackFactories.h"
#include "tests/support/FakeDiary.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

using namespace gameplay_test;

namespace {

constexpr const char* kParticipants = R"(<participants>
    <participant name="odile" type="client" slot="page1/client" categories="light;tea"
                 open_categories="light"/>
    <participant name="bastien" type="ideal_match" slot="page1/candidate1" categories="light;tea"
                 open_categories="tea"/>
    <participant name="milo" slot="page1/candidate2" categories="wool"/>
    <participant name="remy" type="client" slot="page2/client" categories="wool"/>
    <participant name="lost" slot="page1/nowhere"/>
  </participants>)";

// Case c1: the task list is shorter than the participant list, so milo and remy have no
// task; "nobody" is no participant and "lost" has no slot on the page.
std::string Progress(const std::string& stageTasks, const std::string& attrs = {}) {
  return R"(<usergamedata )" + attrs + R"(><cases><case name="c1"><params>
      <param name="participant_list" value="odile;bastien;nobody;milo;lost;remy;"/>
      <param name="participant_tasks" value="t1;t2"/>
    </params><stages><stage name="s1"><tasks>)" +
         stageTasks + "</tasks></stage></stages></case></cases></usergamedata>";
}

std::string Factory(const std::string& name, const std::string& widget) {
  return R"(<widgetfactory name=")" + name + R"(" type="WidgetFactory"><widgetstring>)" + widget +
         "</widgetstring></widgetfactory>";
}

// A participant's card: its factory's parameters kept as extra parameters, and the group
// its categories go into.
std::string Card(const std::string& kind) {
  return R"(<widget type="group_widget" name="%name%" visible="yes" extraparams="\kind=)" + kind +
         R"(\slot=%slot%\caption=%participant_caption%"><widgets>
         <widget type="group_widget" name="category" visible="yes"/></widgets></widget>)";
}

const char* const kPairParams[] = {"client",      "hint_visible",    "need_compare",
                                   "image_top",   "image_bottom",    "text_top",
                                   "text_bottom", "show_bottom_img", "show_bottom_img_text",
                                   "hint_text"};

std::string PairFactory() {
  std::string extra;
  for (const char* p : kPairParams) extra += std::string("\\") + p + "=%" + p + "%";
  return Factory(
      "show_mached_twain",
      R"(<widget type="test_box" name="show_mached_twain" extraparams=")" + extra + R"("/>)");
}

class DiaryParticipant : public WidgetFixture {
 protected:
  DiaryParticipant() {
    RegisterWidgetsClasses();
    RegisterScreensClasses();
    RegisterMiniGamesClasses();
    diary = TAbstractObject::Create<FakeDiary>();
    diary->participants = LoadRecord<TParticipantCollection>(kParticipants);
    Ref<ICategoryCollection> categories = LoadRecord<TCategoryCollection>(
        R"(<categories><category name="light" caption="Light"/><category name="tea" caption="Tea"/>
           </categories>)");
    screens->params["categories"] = Variant(Ref<IInterface>(categories));
  }

  // Sub-page page1 is the matching game with three slots; page2 holds one.
  TDiaryPageParticipant* ShowPage() {
    std::string slots =
        TestBoxes({{"client", 10, 20}, {"candidate1", 100, 20}, {"candidate2", 200, 20}});
    page = Show(
        R"(<widget type="diary_participant_page" name="page_participants" visible="yes">
        <widgetfactories>)" +
        Factory("participant_client", Card("client")) +
        Factory("participant_candidate", Card("candidate")) +
        Factory("category", R"(<widget type="group_widget" name="%name%" anchor_top="%anchor_top%"
                  visible="yes" extraparams="\caption=%category%"><widgets>
                  <widget type="test_box" name="open" paused="yes"/></widgets></widget>)") +
        PairFactory() + R"(</widgetfactories><widgets>
        <widget type="mg_category_widget" name="page1" visible="yes"
                lock_widgets="client;candidate1;candidate2"><widgets>)" +
        slots + R"(</widgets></widget>
        <widget type="group_widget" name="page2" visible="yes"><widgets>)" +
        TestBoxes({{"client", 5, 5}}) + R"(</widgets></widget>
        <widget type="ButtonControl" name="client" visible="no" enabled="no"/>
        <widget type="test_box" name="candidate1" visible="no"/>
        <widget type="test_box" name="candidate2" visible="no"/>
        <widget type="test_box" name="candidate3" visible="yes"/>
        <widget type="test_box" name="button_skip" visible="yes"/>
        <widget type="test_box" name="choose_hint_odile" visible="no"/>
        <widget type="test_box" name="choose_hint_remy" visible="no"/>
        </widgets></widget>)");
    auto* participants = dynamic_cast<TDiaryPageParticipant*>(page.get());
    EXPECT_TRUE(participants);
    participants->SetSelectTask(diary.get());
    participants->SetPageName("page1");
    return participants;
  }

  // The page showing case c1 of that progress.
  TDiaryPageParticipant* ShowCase(const std::string& progress) {
    TDiaryPageParticipant* participants = ShowPage();
    diary->data = LoadRecord<TUserGameData>(progress);
    participants->ShowParticipants(diary->data->CurrentCase());
    return participants;
  }

  Ref<IUGDStage> Stage() { return diary->data->CurrentCase()->CurrentStage(); }
  TMiniGameCategoryWidget* Game() {
    return dynamic_cast<TMiniGameCategoryWidget*>(page->FindWidget("page1").get());
  }
  bool Visible(const std::string& path) { return page->FindWidget(path)->IsVisible(); }
  std::string Property(const std::string& path, const std::string& name) {
    Ref<IWidget> widget = page->FindWidget(path);
    return widget ? widget->GetProperty(name).ToString() : "(none)";
  }
  // The pair widget's parameters that differ from their defaults (empty, "no"):
  // "name=value;" in the factory's order; every one must be given.
  std::string Pair() {
    Ref<IWidget> pair = page->FindWidget("show_mached_twain");
    if (!pair) return "(none)";
    std::string text;
    for (const char* p : kPairParams) {
      std::string value = pair->GetProperty(p).ToString();
      if (value == std::string("%") + p + "%") return std::string(p) + " not given";
      if (!value.empty() && value != "no") text += std::string(p) + "=" + value + ";";
    }
    return text;
  }

  // Captions of participants without a caption pattern are said there; not the point here.
  WarningCapture warnings;
  Ref<FakeDiary> diary;
  Ref<IWidget> page;
};

}  // namespace

TEST_F(DiaryParticipant, ParticipantsTakeTheirSlotsWithTheTasksBesideThem) {
  TDiaryPageParticipant* participants = ShowCase(Progress(R"(<task name="t1"/><task name="t2"/>)"));
  std::vector<std::string> shown;
  for (const auto& record : participants->GetRecords())
    shown.push_back(record.participantName + ":" + record.taskName + (record.task ? "+" : ""));
  // "nobody" is no participant, "lost" has no slot widget: neither is shown.
  EXPECT_EQ(shown, (std::vector<std::string>{"odile:t1+", "bastien:t2+", "milo:", "remy:"}));
  EXPECT_EQ(Property("page1/odile", "kind"), "client");
  EXPECT_EQ(Property("page1/milo", "kind"), "candidate");
  EXPECT_EQ(page->FindWidget("page1/bastien")->GetAnchorLeft(), 100);
  EXPECT_EQ(page->FindWidget("page2/remy")->GetAnchorTop(), 5);
  EXPECT_FALSE(Visible("button_skip"));
  EXPECT_FALSE(participants->IsEmpty());

  EXPECT_EQ(participants->GetTaskParticipant("t2"), "bastien");
  EXPECT_EQ(participants->GetTaskParticipant("T1"), "odile");
  EXPECT_EQ(participants->GetTaskParticipant("t9"), "");
  EXPECT_EQ(participants->GetTaskParticipant(""), "") << "milo's missing task is no task";

  // Shown again, the cards are replaced, not doubled.
  int cards = page->FindWidget("page1")->GetChildren()->Count();
  participants->ShowParticipants(diary->data->CurrentCase());
  Frame(16);
  EXPECT_EQ(page->FindWidget("page1")->GetChildren()->Count(), cards);
  EXPECT_EQ(participants->GetRecords().size(), 4u);
}

TEST_F(DiaryParticipant, CandidatesShowCategoriesAndTheButtonsOfOpenTasks) {
  TDiaryPageParticipant* participants =
      ShowCase(Progress(R"(<task name="t1"/><task name="t2" completed="yes"/>)"));
  participants->ShowCandidates(Stage(), diary->data);
  // A client opens all its categories, a candidate only its open ones.
  struct Chip {
    const char* path;
    int top;
    const char* caption;
    bool opened;
  };
  for (const Chip& c : {Chip{"page1/odile/category/light", 0, "Light", true},
                        Chip{"page1/odile/category/tea", 30, "Tea", true},
                        Chip{"page1/bastien/category/light", 0, "Light", false},
                        Chip{"page1/bastien/category/tea", 30, "Tea", true},
                        Chip{"page1/milo/category/wool", 0, "", false}}) {
    Ref<IWidget> chip = page->FindWidget(c.path);
    ASSERT_TRUE(chip) << c.path;
    EXPECT_EQ(chip->GetAnchorTop(), c.top) << c.path;
    EXPECT_EQ(chip->GetProperty("caption").ToString(), c.caption) << c.path;
    EXPECT_EQ(!chip->FindWidget("open")->IsPaused(), c.opened) << c.path;
  }
  // t1 is open: odile's slot button starts it; t2 is done; milo has no task.
  EXPECT_TRUE(Visible("client"));
  EXPECT_TRUE(page->FindWidget("client")->IsEnabled());
  EXPECT_EQ(Property("client", "task"), "t1");
  EXPECT_FALSE(Visible("candidate1"));
  EXPECT_FALSE(Visible("candidate2"));
  EXPECT_FALSE(Visible("candidate3"));
  // Clients not yet matched get their hint on their own sub-page only.
  EXPECT_TRUE(Visible("choose_hint_odile"));
  EXPECT_FALSE(Visible("choose_hint_remy"));
  EXPECT_EQ(Pair(), "(none)");

  // Shown again, a card keeps one chip per category.
  participants->ShowCandidates(Stage(), diary->data);
  EXPECT_EQ(page->FindWidget("page1/odile/category")->GetChildren()->Count(), 2);
}

TEST_F(DiaryParticipant, AllClientsMatchedShowTheMatchedPairInsteadOfTheButtons) {
  struct Case {
    const char* what;
    std::string tasks;
    std::string openGifts;
    std::string pair;
  };
  const std::string nothing = "client=remy;";
  for (
      const Case& c : {
          Case{"nothing asked", R"(<task name="t1"/>)", "", nothing},
          Case{"a comparison of two scenes",
               R"(<task name="t1"><params><param name="scenename2" value="b"/></params></task>)",
               "",
               "client=remy;need_compare=yes;image_top=remy;image_bottom=bastien;"
               "text_top=%diary_compare_participants%;show_bottom_img=yes;"},
          Case{"a gift chosen, its task still to play",
               R"(<task name="t1"><params><param name="select_scene" value="gift"/>
                   <param name="scenename" value="rose"/></params></task>)",
               "ring;", "client=remy;image_top=rose;text_top=%label_scene_rose%;"},
          Case{
              "a gift to choose",
              R"(<task name="t1"><params><param name="select_scene" value="gift"/></params></task>)",
              "ring;rose;",
              "client=remy;image_top=ring;image_bottom=rose;"
              "text_top=%label_scene_ring%;text_bottom=%label_scene_rose%;show_bottom_img=yes;"
              "show_bottom_img_text=yes;hint_text=%diary_select_place_gift%;"},
          Case{
              "a place to choose, the gifts aside",
              R"(<task name="t1"><params><param name="select_scene" value="place"/></params></task>)",
              "ring;rose;", "client=remy;show_bottom_img=yes;show_bottom_img_text=yes;"},
          Case{"a gift task played", R"(<task name="t1" completed="yes"><params>
                   <param name="select_scene" value="gift"/><param name="scenename" value="rose"/>
                   </params></task>)",
               "ring;", nothing},
      }) {
    TDiaryPageParticipant* participants = ShowCase(
        Progress(c.tasks, R"(matched_clients="odile;remy;" open_gifts=")" + c.openGifts + "\""));
    participants->ShowCandidates(Stage(), diary->data);
    EXPECT_EQ(Pair(), c.pair) << c.what;
    EXPECT_FALSE(Visible("client")) << c.what;
    // The matching game was cleared: only its locked slots are left.
    Frame(16);
    EXPECT_FALSE(page->FindWidget("page1/odile")) << c.what;
    EXPECT_TRUE(page->FindWidget("page1/client")) << c.what;
    participants->RemoveMatchedTwain();
    EXPECT_EQ(Pair(), "(none)") << c.what;
  }
}

TEST_F(DiaryParticipant, AClientIsReadyWhenUnmatchedAndEveryTaskOfItsPageIsDone) {
  struct Case {
    const char* matched;
    const char* tasks;
    bool ready;
  };
  for (const Case& c : {
           Case{"", R"(<task name="t1" completed="yes"/><task name="t2" completed="yes"/>)", true},
           Case{"", R"(<task name="t1"/><task name="t2" completed="yes"/>)", false},
           Case{"odile;", R"(<task name="t1" completed="yes"/><task name="t2" completed="yes"/>)",
                false},
           Case{"remy;", R"(<task name="t1" completed="yes"/><task name="t2" completed="yes"/>)",
                true},
       }) {
    TDiaryPageParticipant* participants = ShowCase(Progress(c.tasks));
    EXPECT_EQ(participants->IsMatchReady(c.matched), c.ready) << c.matched << c.tasks;
    // An unmatched client brings its matching game forward, alone.
    bool unmatched = std::string(c.matched) != "odile;";
    EXPECT_EQ(Visible("page2"), !unmatched) << c.matched << c.tasks;
    EXPECT_TRUE(Visible("page1")) << c.matched << c.tasks;
  }
  TDiaryPageParticipant* empty = ShowPage();
  EXPECT_TRUE(empty->IsEmpty());
  EXPECT_FALSE(empty->IsMatchReady(""));
}

TEST_F(DiaryParticipant, TheMatchingGameGetsItsClientAndReportsTheMatchBack) {
  TDiaryPageParticipant* participants =
      ShowCase(Progress(R"(<task name="t1" completed="yes"/><task name="t2" completed="yes"/>)"));
  ASSERT_TRUE(participants->IsMatchReady(diary->data->GetMatchedClients()));
  participants->MatchClient();
  TMiniGameCategoryWidget* game = Game();
  EXPECT_EQ(game->ClientName(), "odile");
  EXPECT_EQ(game->ControlCategories(), (std::vector<std::string>{"light", "tea"}));
  ASSERT_EQ(game->Candidates().size(), 2u);
  EXPECT_EQ(game->Candidates()[0].name, "bastien");
  EXPECT_EQ(game->Candidates()[1].name, "milo");
  EXPECT_TRUE(game->IsPlaying());

  // The game's win: the diary settles the match, the page shows the pair.
  page->SetProperty("match_client", Variant("odile"));
  EXPECT_EQ(diary->calls, (std::vector<std::string>{"ClientMatched(odile)"}));
  EXPECT_EQ(diary->data->GetMatchedClients(), "odile;");
  EXPECT_EQ(Pair(), "client=remy;");
}

TEST_F(DiaryParticipant, ThePageMayBeRebuiltWhileTheMatchIsSettled) {
  TDiaryPageParticipant* participants = ShowCase(Progress(R"(<task name="t1"/>)"));
  diary->onClientMatched = [&] { window->SetRoot(nullptr); };
  page->SetProperty("match_client", Variant("odile"));
  EXPECT_TRUE(participants->IsEmpty());
  EXPECT_EQ(Pair(), "(none)");
}
