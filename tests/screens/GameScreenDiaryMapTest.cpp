// The diary's task map, its labels, the choice of gift and place scenes, map clicks, tabs
// and the buttons of the pages.

#include <gtest/gtest.h>

#include "platform/InputConstants.h"
#include "tests/screens/DiaryTestSupport.h"

using namespace diary_test;

namespace {

class DiaryMap : public DiaryFixture {
 protected:
  Ref<IWidget> Find(std::string_view path) { return diary->FindWidget(path); }

  // The labels on the map, in order, as "name(switch_card)".
  std::vector<std::string> Labels() {
    std::vector<std::string> labels;
    Ref<IWidget> group = Find("page_tasks/labels_group");
    Ref<IWidgetCollection> children = group ? group->GetChildren() : nullptr;
    for (int i = 0; children && i < children->Count(); ++i)
      if (IWidget* label = children->ItemAt(i); label && !label->IsDead())
        labels.push_back(label->GetName() + "(" + label->GetProperty("switch_card").ToString() +
                         ")");
    return labels;
  }

  // The scene choices of a group: "scene@top".
  std::vector<std::string> Choices(std::string_view group) {
    std::vector<std::string> choices;
    Ref<IWidget> widget = Find(group);
    Ref<IWidgetCollection> children = widget ? widget->GetChildren() : nullptr;
    for (int i = 0; children && i < children->Count(); ++i)
      if (IWidget* choice = children->ItemAt(i); choice && !choice->IsDead())
        choices.push_back(choice->GetProperty("scenename").ToString() + "@" +
                          std::to_string(int(choice->GetAnchorTop())));
    return choices;
  }
};

std::string GiftStory(const std::string& attrs, const std::string& taskName = "t1") {
  return Story(Case("c1",
                    Stage("s0", Task("t0", {{"scenename", "market"}}, true), {}, true) +
                        Stage("s1", Task(taskName, {{"select_scene", "gift"}}) +
                                        Task("t2", {{"scenename", "market"}}) + Task("t3")),
                    {{"currentstage", "s1"}}),
               attrs);
}

}  // namespace

TEST_F(DiaryMap, LabelsOfEarlierStagesAndTheSelectedTask) {
  ASSERT_TRUE(OpenDiary(GiftStory("open_gifts=\"ring;rose;\"")));
  EXPECT_EQ(Labels(), (std::vector<std::string>{"label_t0(0)", "label_ring(0)", "label_t2(0)",
                                                "label_t3(0)", "selected_ring(0)"}));
  EXPECT_EQ(Find("page_tasks/labels_group/label_t2")->GetAnchorTop(), 100) << "row 2";
  EXPECT_EQ(Find("page_tasks/labels_group/label_ring")->GetProperty("name1").ToString(), "rose");
  EXPECT_EQ(Find("page_tasks/labels_group/label_t0")->GetProperty("label_caption").ToString(),
            "market");
}

// A level of two scenes (kind 2, whatever the task type's top bit) names both on its
// label, and the start button moves below them.
TEST_F(DiaryMap, ATwoSceneTaskNamesBothScenes) {
  struct Row {
    int type;
    const char* label;
    double buttonTop;
  } rows[] = {{2, "selected_market", 620}, {130, "selected_market", 620}, {0, "selected_t1", 300},
              {128, "selected_t1", 300}};
  for (const Row& c : rows) {
    SCOPED_TRACE(c.type);
    ASSERT_TRUE(OpenDiary(Story(Case("c1", Stage("s1", Task("t1",
                                                               {{"scenename", "market"},
                                                                {"scenename2", "garden"}},
                                                               false, c.type))))));
    Ref<IWidget> label = Find(std::string("page_tasks/labels_group/") + c.label);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->GetProperty("name1").ToString() == "garden", c.buttonTop == 620);
    EXPECT_EQ(Find("page_tasks/button_start")->GetAnchorTop(), c.buttonTop);
    game->Done();
    game = nullptr;
  }
}

TEST_F(DiaryMap, AGiftTaskOffersTheOpenGiftsOrTakesTheOnlyOne) {
  ASSERT_TRUE(
      OpenDiary(GiftStory("open_gifts=\"ring;rose;\""), "show_diary=1", "market;ring;rose;"));
  EXPECT_EQ(GameResult(), "-");
  EXPECT_EQ(Choices("page_tasks/SelectSceneGroup"),
            (std::vector<std::string>{"ring@0", "rose@270"}));
  EXPECT_EQ(Choices("page_participants/SelectSceneGroup"),
            (std::vector<std::string>{"ring@0", "rose@270"}));
  EXPECT_FALSE(Find("task_group/button_start")->IsVisible());
  Click("select_scene_rose", {{"scenename", "rose"}});
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t1;participant=;play_mode=0;");
  EXPECT_EQ(Progress()->GetChosenGifts(), "t1:rose;");
  EXPECT_EQ(Progress()->GetOpenGifts(), "ring;");
  Ref<IUGDTask> task = FindTask("c1", "s1", "t1");
  EXPECT_EQ(task->GetParamValue("scenename").ToString(), "rose");
  EXPECT_EQ(task->GetParamValue("task_quest").ToString(), "hint_rose_task");
  game->Done();
  game = nullptr;

  ASSERT_TRUE(OpenDiary(GiftStory("open_gifts=\"ring;\""), "show_diary=1", "market;ring;"));
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t1;participant=;play_mode=0;");
  EXPECT_EQ(Progress()->GetChosenGifts(), "t1:ring;");
}

TEST_F(DiaryMap, AChosenGiftBelongsToTheWholeTaskName) {
  struct Row {
    const char* chosen;
    const char* scene;  // the task's scene afterwards; '' when the choice is offered
  };
  for (const Row& c : {Row{"t10:rose;", ""}, Row{"x:t1;", ""}, Row{"t10:rose;t1:ring;", "ring"}}) {
    ASSERT_TRUE(OpenDiary(
        GiftStory(std::string("open_gifts=\"moss;lily;\" chosen_gifts=\"") + c.chosen + "\"")));
    EXPECT_EQ(FindTask("c1", "s1", "t1")->GetParamValue("scenename").ToString(), c.scene)
        << c.chosen;
    EXPECT_EQ(Choices("page_tasks/SelectSceneGroup").size(), *c.scene ? 0u : 2u) << c.chosen;
    game->Done();
    game = nullptr;
  }
}

TEST_F(DiaryMap, ClickingAnotherLabelSelectsItAndClickingTheSelectedOneStartsIt) {
  ASSERT_TRUE(
      OpenDiary(Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}}) +
                                                 Task("t2", {{"scenename", "garden"}}) +
                                                 Task("t3", {{"scenename", "garden"}}, true))))));
  Frame(250);  // past the input guard
  ASSERT_EQ(diary->GetCurrentTaskName(), "t1");
  game->HandleMouse(input::kLeftButtonDown, {5, 55}, 0);
  EXPECT_EQ(diary->GetCurrentTaskName(), "t2");
  EXPECT_EQ(Find("page_tasks/labels_group/selected_t2")->GetProperty("switch_card").ToInt(), -1);
  EXPECT_EQ(GameResult(), "-");

  game->HandleMouse(input::kLeftButtonDown, {5, 105}, 0);
  EXPECT_EQ(diary->GetCurrentTaskName(), "t1")
      << "a completed task leaves the first open one selected";
  EXPECT_EQ(Find("page_tasks/labels_group/selected_t1")->GetProperty("switch_card").ToInt(), 0);

  game->HandleMouse(input::kLeftButtonDown, {5, 55}, 0);
  game->HandleMouse(input::kLeftButtonDown, {5, 55}, 0);
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t2;participant=;play_mode=0;");
}

TEST_F(DiaryMap, TabsShowOnePageAndNeedSomethingToShow) {
  ASSERT_TRUE(OpenDiary(Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}}) +
                                                         Task("t2") + Task("t3")))),
                        "show_diary=1\\tab=3"));
  EXPECT_EQ(diary->GetCurrentTab(), 0) << "an empty journal shows the map";
  EXPECT_FALSE(Find("tab_buttons/button_journal")->IsVisible());
  Click("button_voodoo");
  EXPECT_EQ(diary->GetCurrentTab(), 0) << "no dolls found";
  Click("button_participant");
  EXPECT_EQ(diary->GetCurrentTab(), 1);
  EXPECT_FALSE(Find("page_tasks")->IsVisible());
  Progress()->AddToJournal("note_lantern");
  Click("button_journal", {}, 2);
  EXPECT_EQ(diary->GetCurrentTab(), 3) << "the journal button counts on any event";
  EXPECT_TRUE(Find("page_journal")->IsVisible());
  Click("button_next");
  Click("button_prev");
  Click("button_tasks");
  EXPECT_EQ(diary->GetCurrentTab(), 0);
  EXPECT_TRUE(Find("page_tasks")->IsVisible());
  EXPECT_EQ(TestJournalPage::calls,
            (std::vector<std::string>{"SetNotes()", "NextPage", "PrevPage"}));

  Click("set_play_mode_untimed");
  EXPECT_EQ(Progress()->GetPlayMode(), 1);
  Click("set_play_mode_timed", {}, 2);
  EXPECT_EQ(Progress()->GetPlayMode(), 1) << "clicks only";
}

// A hidden tab leaves no gap: the shown tabs take the places the data gives the tabs, in
// order, from the left.
TEST_F(DiaryMap, ShownTabsCloseUpFromTheLeft) {
  ASSERT_TRUE(OpenDiary(Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}})))),
                        "show_diary=1"));
  auto left = [&](std::string_view tab) {
    return int(Find(std::string("tab_buttons/") + std::string(tab))->GetAnchorLeft());
  };
  EXPECT_EQ(left("button_tasks"), 40);
  EXPECT_EQ(left("button_participant"), 190);
  Progress()->AddToJournal("note_lantern");
  Progress()->AddFindedVoodoo("doll_moth");
  TestParticipantPage::empty = true;
  diary->SelectNextTask();
  EXPECT_FALSE(Find("tab_buttons/button_participant")->IsVisible());
  EXPECT_EQ(left("button_voodoo"), 190) << "the dolls take the people's place";
  EXPECT_EQ(left("button_journal"), 340);
  TestParticipantPage::empty = false;
  diary->SelectNextTask();
  EXPECT_EQ(left("button_participant"), 190) << "each back in its own place once shown";
  EXPECT_EQ(left("button_voodoo"), 340);
  EXPECT_EQ(left("button_journal"), 490);
}

TEST_F(DiaryMap, TheParticipantPageStartsItsTasks) {
  ASSERT_TRUE(
      OpenDiary(Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}}) +
                                                 Task("t2", {{"scenename", "garden"}}, true) +
                                                 Task("t3", {{"scenename", "garden"}}))))));
  Click("candidate2", {{"task", "t2"}});
  EXPECT_EQ(GameResult(), "-") << "a completed task does not start";
  Click("candidate2", {{"task", "t3"}});
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t3;participant=;play_mode=0;");
}
