// The gathering game: pushes and pops, full groups and replacement, the task test at both
// order levels, random tasks, task widgets, and data that cannot be played as written.
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/Random.h"
#include "minigames/MiniGameGathering.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/ChildClicks.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

using child_clicks::Finish;
using child_clicks::Named;

constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="up" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="up_%id%" paused="yes"
        extraparams="\next=\size=%size%\gc=%group_count%\push=%push_name%\pop=%pop_name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="down" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="down_%id%" paused="yes"
        extraparams="\next=\size=%size%\gc=%group_count%\push=%push_name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="show" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="show_%id%" paused="yes"
        extraparams="\next=\size=%size%\gc=%group_count%\push=%push_name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="remove" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="remove" paused="yes" extraparams="\next="/></widgetstring>
    </widgetfactory>
    <widgetfactory name="next" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="next_%id%" paused="yes"
        extraparams="\next=\current=%current%\tasks_left=%task_left%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

// Element N has push widget pN and pop widget qN.
std::string Element(int id, bool withId = true) {
  std::string n = std::to_string(id);
  return "<element " + (withId ? "id=\"" + n + "\" " : std::string()) + "push_widget=\"p" + n +
         "\" pop_widget=\"q" + n + "\" user_push=\"up\" user_pop=\"down\" game_push=\"show\"/>";
}

// Push widgets p1..p6 on the top row, pop widgets q1..q6 below, then "reset", a sequence
// group and two task widgets.
std::string Children() {
  std::string children;
  for (int i = 1; i <= 6; ++i) {
    std::string n = std::to_string(i), x = std::to_string(i * 20);
    children += "<widget type=\"test_box\" name=\"p" + n + "\" anchor_left=\"" + x +
                "\" width=\"10\" height=\"10\" visible=\"yes\" mousestop=\"yes\"/>";
    children +=
        "<widget type=\"test_box\" name=\"q" + n + "\" anchor_left=\"" + x +
        "\" anchor_top=\"20\" width=\"10\" height=\"10\" visible=\"yes\" mousestop=\"yes\"/>";
  }
  return children + R"(
    <widget type="test_box" name="reset" anchor_left="200" width="10" height="10" visible="yes" mousestop="yes"/>
    <widget type="group_widget" name="seq" visible="yes"/>
    <widget type="group_widget" name="task0" visible="yes"/>
    <widget type="group_widget" name="task1" visible="yes"/>)";
}

class Gathering : public WidgetFixture {
 protected:
  Gathering() { RegisterMiniGamesClasses(); }
  TMiniGameGathering* ShowGame(const std::string& attributes, const std::string& content) {
    Ref<IWidget> w = Show(
        std::string(R"(<widget type="mg_gathering_widget" name="minigame_jars" visible="yes"
        mousestop="yes" reset_widget="reset" )") +
        (attributes.find("sequence=") == std::string::npos ? "sequence=\"seq\" " : "") +
        attributes + ">" + kFactories + content + "<widgets>" + Children() + "</widgets></widget>");
    return dynamic_cast<TMiniGameGathering*>(w.get());
  }
  void Click(const std::string& name) { child_clicks::Press(*window, *window->root, name); }
  Ref<IWidget> Seq() { return window->root->FindWidget("seq"); }
};

// Two groups: elements 1 and 2 in group 0, 3 and 4 in group 1, three of each at most.
std::string TwoGroups(bool firstChecksOrder) {
  return std::string("<element_group max=\"3\"") +
         (firstChecksOrder ? " check_order=\"yes\"" : "") + ">" + Element(1) + Element(2) +
         "</element_group><element_group max=\"3\">" + Element(3) + Element(4) + "</element_group>";
}

TEST_F(Gathering, TaskTestAtBothOrderLevels) {
  struct Case {
    const char* task;
    std::vector<const char*> clicks;
    bool gameOrder, groupOrder, met;
  } cases[] = {
      {"1;2", {"p1", "p2"}, false, false, true},
      {"1;2", {"p2", "p1"}, false, false, true},  // no order on either level
      {"1;2", {"p2", "p1"}, true, false, true},   // one group: the runs agree
      {"1;2", {"p2", "p1"}, false, true, false},  // the group keeps its order
      {"1;3", {"p3", "p1"}, false, false, true},
      {"1;3", {"p3", "p1"}, true, false, false},  // the groups come in the task's order
      {"1;3;2", {"p1", "p3", "p2"}, true, false, true},
      {"1;3;2", {"p1", "p2", "p3"}, true, false, false},  // runs 0,1,0 against 0,1
      {"1;3;2", {"p1", "p2", "p3"}, false, true, true},   // group 0 still reads 1 then 2
      {"1;1;2", {"p1", "p2", "p1"}, false, false, true},  // multisets
      {"1;1;2", {"p1", "p2", "p2"}, false, false, false},
      {"1;2", {"p1"}, false, false, false},                   // one short
      {"1;2", {"p1", "p1", "q1", "p2"}, false, false, true},  // a pop makes it
  };
  for (const Case& c : cases) {
    TMiniGameGathering* game = ShowGame(
        std::string("check_order=\"") + (c.gameOrder ? "yes" : "no") + "\"",
        TwoGroups(c.groupOrder) + "<task element=\"" + c.task + "\"/><task element=\"4\"/>");
    for (const char* click : c.clicks) Click(click);
    EXPECT_EQ(game->CurrentTask(), c.met ? 1 : 0)
        << c.task << " game order " << c.gameOrder << " group order " << c.groupOrder;
  }
}

TEST_F(Gathering, PushesAndPopsGiveFeedback) {
  TMiniGameGathering* game = ShowGame("", TwoGroups(false) + "<task element=\"4;4;4;4\"/>");
  Click("p1");
  Click("p3");
  Click("p1");
  EXPECT_EQ(game->Collection(), (TMiniGameGathering::TiArray{1, 3, 1}));
  auto ups = Named(*Seq(), "up_");
  ASSERT_EQ(ups.size(), 3u);
  EXPECT_EQ(ups[2]->GetProperty("size").ToInt(), 3);
  EXPECT_EQ(ups[2]->GetProperty("gc").ToInt(), 2);  // two of group 0 collected
  EXPECT_EQ(ups[2]->GetProperty("push").ToString(), "p1");
  // The queue looks its tail up among the game's own children: what the sequence widget
  // holds starts at once (steps start their "next" among their own siblings only).
  EXPECT_FALSE(ups[2]->IsPaused());

  Click("q1");  // the last 1 leaves
  EXPECT_EQ(game->Collection(), (TMiniGameGathering::TiArray{1, 3}));
  auto downs = Named(*Seq(), "down_");
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_FALSE(downs[0]->IsPaused());  // started at once
  EXPECT_EQ(downs[0]->GetProperty("size").ToInt(), 2);
  EXPECT_EQ(downs[0]->GetProperty("gc").ToInt(), 1);

  // A pop of an element not collected changes nothing but still answers.
  Click("q2");
  EXPECT_EQ(game->Collection(), (TMiniGameGathering::TiArray{1, 3}));
  EXPECT_EQ(Named(*Seq(), "down_").size(), 2u);

  Click("reset");
  EXPECT_TRUE(game->Collection().empty());
  EXPECT_TRUE(game->GetChildren()->GetByName("remove"));
  EXPECT_EQ(Named(*Seq(), "up_").size(), 3u);  // the sequence widget keeps its widgets
}

TEST_F(Gathering, FullGroupsRefuseOrReplace) {
  struct Case {
    const char* group;
    TMiniGameGathering::TiArray after;
    size_t widgetsOfTheSecondPush;
  } cases[] = {
      {"<element_group max=\"1\">", {1}, 0},
      {"<element_group max=\"1\" replace=\"yes\">", {2}, 2},
      {"<element_group max=\"0\" replace=\"yes\">", {}, 0},  // nothing to give way
  };
  for (const Case& c : cases) {
    TMiniGameGathering* game =
        ShowGame("", std::string(c.group) + Element(1) + Element(2) +
                         "</element_group><task element=\"3\"/>" + "<element_group>" + Element(3) +
                         "</element_group>");
    Click("p1");
    size_t before = Seq()->GetChildren()->Count();
    Click("p2");
    EXPECT_EQ(game->Collection(), c.after) << c.group;
    EXPECT_EQ(size_t(Seq()->GetChildren()->Count()) - before, c.widgetsOfTheSecondPush) << c.group;
    if (c.widgetsOfTheSecondPush == 2) {
      // The old element's pop, then the new one's push, same size and count.
      auto downs = Named(*Seq(), "down_");
      auto ups = Named(*Seq(), "up_");
      ASSERT_EQ(downs.size(), 1u);
      EXPECT_EQ(downs[0]->GetProperty("push").ToString(), "p1");
      EXPECT_EQ(downs[0]->GetProperty("size").ToInt(), 1);
      EXPECT_EQ(ups.back()->GetProperty("push").ToString(), "p2");
      EXPECT_EQ(ups.back()->GetProperty("size").ToInt(), 1);
      EXPECT_EQ(ups.back()->GetProperty("gc").ToInt(), 1);
      EXPECT_FALSE(downs[0]->IsPaused());
      EXPECT_FALSE(ups.back()->IsPaused());
    }
  }
}

TEST_F(Gathering, TasksFinishUntilTheWin) {
  TMiniGameGathering* game =
      ShowGame("task_widgets=\"task0;task1\"",
               TwoGroups(false) + "<task element=\"1;3\"/><task element=\"2;2;4\"/>");
  // Task 0 in the first task widget, task 1 in the second.
  auto shown0 = Named(*window->root->FindWidget("task0"), "show_");
  auto shown1 = Named(*window->root->FindWidget("task1"), "show_");
  ASSERT_EQ(shown0.size(), 2u);
  ASSERT_EQ(shown1.size(), 3u);
  EXPECT_EQ(shown1[1]->GetProperty("push").ToString(), "p2");
  EXPECT_EQ(shown1[1]->GetProperty("size").ToInt(), 1);
  EXPECT_EQ(shown1[1]->GetProperty("gc").ToInt(), 2);  // the second entry of its group so far
  EXPECT_EQ(shown1[2]->GetProperty("gc").ToInt(), 1);

  Click("p3");
  Click("p1");
  EXPECT_EQ(game->CurrentTask(), 1);
  auto next = Named(*game, "next_");
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(next[0]->GetProperty("current").ToInt(), 1);
  EXPECT_EQ(next[0]->GetProperty("tasks_left").ToInt(), 1);
  EXPECT_TRUE(game->Collection().empty());
  EXPECT_TRUE(game->GetChildren()->GetByName("remove"));
  // The widgets move on: task 1 in the first, nothing past the last task.
  EXPECT_EQ(Named(*window->root->FindWidget("task0"), "show_").size(), 3u);
  EXPECT_EQ(Named(*window->root->FindWidget("task1"), "show_").size(), 0u);

  Finish(*game, {"remove"});
  Click("p4");
  Click("p2");
  Click("p2");
  EXPECT_TRUE(game->IsWon());
  next = Named(*game, "next_");
  ASSERT_EQ(next.size(), 2u);
  EXPECT_EQ(next[1]->GetProperty("tasks_left").ToInt(), 0);
  EXPECT_EQ(next[1]->GetProperty("next").ToString(), ";win");  // the win follows it
  EXPECT_FALSE(game->GetChildren()->GetByName("remove"));      // the last task empties nothing
  Click("p1");                                                 // no input once won
  EXPECT_EQ(game->Collection().size(), 3u);
}

TEST_F(Gathering, RandomTasksDrawFromEveryGroupWithElements) {
  SetRandomSeed(11);
  for (int round = 0; round < 20; ++round) {
    TMiniGameGathering* game =
        ShowGame("", "<element_group min=\"1\" max=\"3\">" + Element(1) + Element(2) +
                         "</element_group><element_group min=\"2\" max=\"5\"/><element_group "
                         "min=\"0\" max=\"2\">" +
                         Element(3) + "</element_group><task/><task size=\"4\"/>");
    ASSERT_EQ(game->Tasks().size(), 2u);
    auto inGroup = [](const TMiniGameGathering::TiArray& task, int low, int high) {
      return std::count_if(task.begin(), task.end(),
                           [&](int id) { return id >= low && id <= high; });
    };
    const auto& drawn = game->Tasks()[0];
    EXPECT_GE(inGroup(drawn, 1, 2), 1);
    EXPECT_LE(inGroup(drawn, 1, 2), 3);
    EXPECT_LE(inGroup(drawn, 3, 3), 2);
    // The empty group adds nothing; the task holds only known ids, groups in order.
    EXPECT_EQ(inGroup(drawn, 1, 3), int(drawn.size()));
    auto firstOfLast = std::find(drawn.begin(), drawn.end(), 3);
    EXPECT_EQ(std::count(firstOfLast, drawn.end(), 3), drawn.end() - firstOfLast);
    // With a size: min + 1 of every group.
    EXPECT_EQ(inGroup(game->Tasks()[1], 1, 2), 2);
    EXPECT_EQ(inGroup(game->Tasks()[1], 3, 3), 1);
  }
}

TEST_F(Gathering, DataThatCannotPlayAsWritten) {
  WarningCapture warnings;
  struct Case {
    std::string content;
    std::vector<TMiniGameGathering::TiArray> tasks;
    size_t elements;  // in all groups
    size_t warnings;
  } cases[] = {
      // Running ids: the first element of the first group is 1.
      {"<element_group><element push_widget=\"p1\"/><element/></element_group>"
       "<element_group><element push_widget=\"p3\"/></element_group><task element=\"3;1\"/>",
       {{3, 1}},
       3,
       0},
      // A trailing ";" is no entry, unknown and non-numeric ids are left out with a word.
      {"<element_group>" + Element(1) + "</element_group><task element=\"1;9;x;\"/>", {{1}}, 1, 2},
      // Ids at or below 0 clash with the pop sign: dropped.
      {"<element_group>" + Element(0) + "<element id=\"-2\"/>" + Element(2) +
           "</element_group><task element=\"2;0\"/>",
       {{2}},
       1,
       3},
      {"<element_group>" + Element(1) + "</element_group>", {}, 1, 1},  // no task
  };
  for (const Case& c : cases) {
    warnings.Clear();
    ResetWarnings();  // each case says its lines again
    TMiniGameGathering* game = ShowGame("", c.content);
    EXPECT_EQ(game->Tasks(), c.tasks) << c.content;
    size_t elements = 0;
    for (const auto& group : game->Groups()) elements += group.elements.size();
    EXPECT_EQ(elements, c.elements) << c.content;
    EXPECT_EQ(warnings.Lines().size(), c.warnings) << c.content;
  }
}

TEST_F(Gathering, WithoutTasksOnlySkipEnds) {
  TMiniGameGathering* game =
      ShowGame("", "<element_group max=\"2\">" + Element(1) + "</element_group>");
  Click("p1");
  Click("q1");
  Click("q1");
  EXPECT_FALSE(game->IsWon());
  EXPECT_TRUE(game->GetProperty("need_skip").ToBool());
  game->SetProperty("need_skip", Variant(true));
  EXPECT_TRUE(game->IsWon());
}

TEST_F(Gathering, GroupIdsNameGroupsByPosition) {
  struct Case {
    const char* groups;
    bool met;  // task "1;2" collected as 2, 1
  } cases[] = {
      // Group 0's entries take the order rule of the group at position 1.
      {"<element_group id=\"1\" max=\"2\">E1E2</element_group><element_group id=\"0\" "
       "check_order=\"yes\">E3</element_group>",
       false},
      {"<element_group id=\"1\" max=\"2\" check_order=\"yes\">E1E2</element_group><element_group "
       "id=\"0\">E3</element_group>",
       true},
      // An id that is no position means the group's own rule.
      {"<element_group id=\"7\" max=\"2\" check_order=\"yes\">E1E2</element_group>", false},
      {"<element_group id=\"-3\" max=\"2\">E1E2</element_group>", true},
  };
  for (const Case& c : cases) {
    std::string groups = c.groups;
    for (int id : {1, 2, 3}) {
      std::string key = "E" + std::to_string(id);
      if (size_t at = groups.find(key); at != std::string::npos)
        groups.replace(at, key.size(), Element(id));
    }
    TMiniGameGathering* game =
        ShowGame("", groups + "<task element=\"1;2\"/><task element=\"1\"/>");
    Click("p2");
    Click("p1");
    EXPECT_EQ(game->CurrentTask(), c.met ? 1 : 0) << c.groups;
  }
}

TEST_F(Gathering, WithoutTaskWidgetsPlayGoesOn) {
  TMiniGameGathering* game = ShowGame("sequence=\"\"", TwoGroups(false) + "<task element=\"1\"/>");
  // No sequence widget: the feedback lands among the game's own children.
  Click("p1");
  EXPECT_TRUE(game->IsWon());
  EXPECT_EQ(Named(*game, "up_").size(), 1u);
  EXPECT_EQ(Named(*game, "show_").size(), 0u);
}

}  // namespace
