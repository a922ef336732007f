// The case and scene pickers: which names get labels and where, selecting and confirming
// by clicks and by controls, and what a confirmation may write.

#include "screens/Tv2GameScreenSelectCase.h"
#include "screens/Tv2GameScreenSelectScene.h"
#include "tests/screens/MenuScreensFixture.h"

namespace {

const char* const kCases = R"(<usergamedata>
    <params><param name="select_case_names" value="c1;c2;c3"/></params>
    <scenes><scene name="s1"/><scene name="s2"/><scene name="s3" completed="yes"/></scenes>
    <cases><case name="c1"/><case name="c2" completed="yes"/><case name="c3"/>
      <case name="stylist_case"><params><param name="select_case_names" value="c1;c3"/>
      </params></case></cases></usergamedata>)";

class Pickers : public MenuScreensFixture {
 protected:
  void StartPickers() {
    std::string caseWindow = "<widgetfactories>" + BoxFactory("case_label") +
                             "</widgetfactories><widgets>" + Group("labels_group") +
                             Button("button_ok") + "</widgets>";
    std::string sceneWindow = "<widgetfactories>" + BoxFactory("scene_label", 50, 20) +
                              "</widgetfactories><widgets>" + Group("labels_group") +
                              Button("button_ok") + "</widgets>";
    StartScreens(ScreenXml("GS_SelectCase", caseWindow, "Tavelor2GameScreenSelectCase") +
                 ScreenXml("GS_SelectScene", sceneWindow, "Tavelor2GameScreenSelectScene"));
    progress = PublishProgress(kCases);
  }
  Ref<IUGDCase> Case(const std::string& name) {
    return progress->GetCases()->GetItem(Variant(name));
  }
  std::string Current() { return Param(progress, "currentcase"); }
  TTavelor2GameScreenSelectCase* CasePicker() {
    return ScreenAs<TTavelor2GameScreenSelectCase>("GS_SelectCase");
  }

  Ref<IUserGameData> progress;
};

TEST_F(Pickers, CaseLabelsForOpenCasesAtTheirPlaceInTheOffer) {
  StartPickers();
  ShowAndSettle("GS_SelectCase");
  EXPECT_EQ(Children("GS_SelectCase", "labels_group"), (Ids{"c1", "c3"}));
  EXPECT_EQ(Find("GS_SelectCase", "labels_group/c1")->GetAnchorTop(), 0);
  EXPECT_EQ(Find("GS_SelectCase", "labels_group/c3")->GetAnchorTop(), 600);
  EXPECT_EQ(Find("GS_SelectCase", "labels_group/c3")->GetProperty("case").ToString(), "c3");
  EXPECT_EQ(Param(progress, "select_case_names"), "c1;c3") << "c2 is done";
  EXPECT_EQ(CasePicker()->GetSelected(), "c1");

  // Shown again, the old labels go.
  Send("GS_SelectCase", "button_ok");
  progress->SetParamValue("select_case_names", Variant("c3"));
  ShowAndSettle("GS_SelectCase");
  EXPECT_EQ(Children("GS_SelectCase", "labels_group"), (Ids{"c3"}));
}

TEST_F(Pickers, AFirstClickSelectsASecondConfirmsAndClearsTheStylistsOffer) {
  struct Row {
    std::vector<std::pair<int, int>> clicks;
    Ids stack;  // after the clicks
    std::string current;
  } rows[] = {
      {{{5, 605}}, {"GS_Main", "GS_SelectCase"}, "(none)"},
      {{{5, 605}, {5, 605}}, {"GS_Main"}, "c3"},
      {{{5, 5}}, {"GS_Main"}, "c1"},                         // c1 is preselected
      {{{5, 300}}, {"GS_Main", "GS_SelectCase"}, "(none)"},  // no label there
  };
  for (const Row& c : rows) {
    SCOPED_TRACE(c.current + " after " + std::to_string(c.clicks.size()) + " clicks");
    StartPickers();
    ShowAndSettle("GS_SelectCase");
    for (auto [x, y] : c.clicks) Press(x, y);
    EXPECT_EQ(Stack(), c.stack);
    EXPECT_EQ(Current(), c.current);
    bool confirmed = c.current != "(none)";
    EXPECT_EQ(Param(Case("stylist_case"), "select_case_names"), confirmed ? "" : "c1;c3");
    game->Done();
    game = nullptr;
  }
}

TEST_F(Pickers, ARightClickOnALabelDoesNothing) {
  StartPickers();
  ShowAndSettle("GS_SelectCase");
  Press(5, 605, input::kRightButtonDown);
  Press(5, 5, input::kRightButtonDown);
  EXPECT_EQ(CasePicker()->GetSelected(), "c1");
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_SelectCase"}));
}

TEST_F(Pickers, AControlConfirmsTheSelectionAndKeepsTheStylistsOffer) {
  StartPickers();
  ShowAndSettle("GS_SelectCase");
  Press(5, 605);
  Send("GS_SelectCase", "button_ok", 2);  // any event code
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(Current(), "c3");
  EXPECT_EQ(Param(Case("stylist_case"), "select_case_names"), "c1;c3");
}

TEST_F(Pickers, ASelectionKeptFromAnEarlierShowingIsNotWritten) {
  StartPickers();
  ShowAndSettle("GS_SelectCase");
  Press(5, 605);
  Send("GS_SelectCase", "button_ok");
  ASSERT_EQ(Current(), "c3");

  // c3 done meanwhile, and nothing open is offered: the kept selection names c3.
  Case("c3")->SetCompleted(true);
  progress->SetParamValue("currentcase", Variant("c1"));
  progress->SetParamValue("select_case_names", Variant("c2;c3;nowhere"));
  ShowAndSettle("GS_SelectCase");
  EXPECT_TRUE(Children("GS_SelectCase", "labels_group").empty());
  EXPECT_EQ(CasePicker()->GetSelected(), "c3");
  Send("GS_SelectCase", "button_ok");
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(Current(), "c1");

  // A case the current offer leaves out is not written either, open or not.
  progress->SetParamValue("select_case_names", Variant("c1"));
  ShowAndSettle("GS_SelectCase");
  Press(5, 5);  // c1 selected and confirmed
  EXPECT_EQ(Current(), "c1");
}

TEST_F(Pickers, WithoutProgressNothingIsShownAndNothingWritten) {
  StartPickers();
  game->SetParamValue("user_game_data", Variant::Null());
  ShowAndSettle("GS_SelectCase");
  EXPECT_TRUE(Children("GS_SelectCase", "labels_group").empty());
  EXPECT_FALSE(Press(5, 5));
  Send("GS_SelectCase", "button_ok");
  EXPECT_EQ(Current(), "(none)");
}

TEST_F(Pickers, SceneLabelsStepRightAndDownAndTheLastOpenOneIsPreselected) {
  StartPickers();
  Ref<IParamCollection> task = ParamsFromString("select_scene_names=s1;s3;s2;ghost\\x=1");
  ShowAndSettle("GS_SelectScene", task);
  EXPECT_EQ(Children("GS_SelectScene", "labels_group"), (Ids{"s1", "s2"}));
  Ref<IWidget> s2 = Find("GS_SelectScene", "labels_group/s2");
  EXPECT_EQ(Find("GS_SelectScene", "labels_group/s1")->GetAnchorLeft(), 0);
  EXPECT_EQ(Find("GS_SelectScene", "labels_group/s1")->GetAnchorTop(), 0);
  EXPECT_EQ(s2->GetAnchorLeft(), 400) << "s3 keeps its place";
  EXPECT_EQ(s2->GetAnchorTop(), 80);
  EXPECT_EQ(s2->GetProperty("scenename").ToString(), "s2");
  EXPECT_EQ(ScreenAs<TTavelor2GameScreenSelectScene>("GS_SelectScene")->GetSelected(), "s2");

  Send("GS_SelectScene", "button_ok", 3);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(DescribeParams(task), "x=1;scenename=s2;");
}

TEST_F(Pickers, SceneLabelsAtTheFirstPlaces) {
  StartPickers();
  Ref<IParamCollection> task = ParamsFromString("select_scene_names=s1;s2");
  ShowAndSettle("GS_SelectScene", task);
  EXPECT_EQ(Find("GS_SelectScene", "labels_group/s2")->GetAnchorLeft(), 200);
  EXPECT_EQ(Find("GS_SelectScene", "labels_group/s2")->GetAnchorTop(), 40);
  Press(5, 5);  // s1 selected
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_SelectScene"}));
  Press(5, 5);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(DescribeParams(task), "scenename=s1;");
}

TEST_F(Pickers, AStaleSceneKeepsTheTasksOffer) {
  StartPickers();
  Ref<IParamCollection> task = ParamsFromString("select_scene_names=s1");
  ShowAndSettle("GS_SelectScene", task);
  Send("GS_SelectScene", "button_ok");
  ASSERT_EQ(DescribeParams(task), "scenename=s1;");

  // Only completed scenes offered now: the kept s1 is not written, the offer stays.
  Ref<IParamCollection> next = ParamsFromString("select_scene_names=s3");
  ShowAndSettle("GS_SelectScene", next);
  Send("GS_SelectScene", "button_ok");
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(DescribeParams(next), "select_scene_names=s3;");

  // Without parameters nothing is shown or written.
  ShowAndSettle("GS_SelectScene");
  EXPECT_TRUE(Children("GS_SelectScene", "labels_group").empty());
  Send("GS_SelectScene", "button_ok");
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
}

}  // namespace
