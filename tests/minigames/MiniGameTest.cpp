// The mini-game base: the result protocol, the feedback queue, follow widgets, drags'
// block rectangle and the text helpers the games share.
#include <gtest/gtest.h>

#include "foundation/Exceptions.h"
#include "foundation/GeneralClasses.h"
#include "minigames/MiniGame.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WidgetFixture.h"

namespace {

// The base registers no name; a game that opens input at once stands in for the games.
class TestMiniGame : public TMiniGameWidget {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override {
    TMiniGameWidget::LoadFromXml(node);
    playing_ = true;
  }
};

// Feedback templates as the sample writes them: unique "%id%" names, created paused.
constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="fx" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="fx_%id%" paused="yes" extraparams="\next="/></widgetstring>
    </widgetfactory>
    <widgetfactory name="plain" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="plain_%id%" paused="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

class MiniGameBase : public WidgetFixture {
 protected:
  MiniGameBase() {
    static bool registered = false;
    if (!registered) RegisterClassName<TestMiniGame>("test_minigame");
    registered = true;
    RegisterMiniGamesClasses();
  }
  TestMiniGame* ShowGame(const std::string& attributes, const std::string& children = "") {
    game_ = Show(
        "<widget type=\"test_minigame\" name=\"minigame_t\" visible=\"yes\" mousestop=\"yes\" " +
        attributes + ">" + kFactories + "<widgets>" + children + "</widgets></widget>");
    return dynamic_cast<TestMiniGame*>(game_.get());
  }
  Ref<IWidget> game_;
};

TEST_F(MiniGameBase, FollowWidgetsPlacements) {
  struct Case {
    const char* text;
    std::vector<TMiniGameWidget::TFollowRecord> records;  // name, kx, ky, bx, by
  } cases[] = {
      {"", {}},
      {"a;b:2x3", {{"a", 1, 1, 0, 0}, {"b", 2, 3, 0, 0}}},
      {"glass:1_-32x1_-32", {{"glass", 1, 1, -32, -32}}},
      {"bar:0_125x1", {{"bar", 0, 1, 125, 0}}},
      {"marker:2", {{"marker", 2, 0, 0, 0}}},
      {"m:0.5_1.5x_-2;", {{"m", 0.5, 0, 1.5, -2}}},
  };
  for (const Case& c : cases) {
    auto records = TMiniGameWidget::ParseFollowWidgets(c.text);
    ASSERT_EQ(records.size(), c.records.size()) << c.text;
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].name, c.records[i].name) << c.text;
      EXPECT_EQ(records[i].kx, c.records[i].kx) << c.text;
      EXPECT_EQ(records[i].ky, c.records[i].ky) << c.text;
      EXPECT_EQ(records[i].bx, c.records[i].bx) << c.text;
      EXPECT_EQ(records[i].by, c.records[i].by) << c.text;
    }
  }
  EXPECT_THROW(TMiniGameWidget::ParseFollowWidgets("g:two"), Exception);
}

TEST_F(MiniGameBase, ResultProtocol) {
  TestMiniGame* game = ShowGame("");
  EXPECT_EQ(game->GetProperty("id").ToInt(), 0);
  EXPECT_EQ(game->GetProperty("id").ToInt(), 1);
  EXPECT_TRUE(game->GetProperty("need_skip").ToBool());  // attached, not solved
  EXPECT_FALSE(game->GetProperty("win").ToBool());
  EXPECT_TRUE(game->GetProperty("Win").IsNull() || !game->GetProperty("Win").ToBool());

  // Any value skips, false too; the "win" feedback is made once.
  game->SetProperty("need_skip", Variant(false));
  EXPECT_TRUE(game->GetProperty("win").ToBool());
  EXPECT_FALSE(game->GetProperty("need_skip").ToBool());
  EXPECT_FALSE(game->IsPlaying());
  game->Win();
  EXPECT_EQ(game->GetChildren()->Count(), 1);
  Ref<IWidget> win = game->FindWidget("win");
  ASSERT_TRUE(win);
  EXPECT_FALSE(win->IsPaused());  // nothing queued before: started at once

  // Attached again once won, it offers no skip.
  window->SetRoot(nullptr);
  window->SetRoot(game_);
  EXPECT_FALSE(game->GetProperty("need_skip").ToBool());
}

// Whatever "need_skip" is set to skips, also texts that are no Boolean: the play screen's
// skip list leaves "0;".
TEST_F(MiniGameBase, AnyValueOfNeedSkipSkips) {
  for (const Variant& value : {Variant(false), Variant("0;"), Variant("")}) {
    TestMiniGame* game = ShowGame("");
    game->SetProperty("need_skip", value);
    EXPECT_TRUE(game->GetProperty("win").ToBool()) << value.ToString();
    EXPECT_FALSE(game->GetProperty("need_skip").ToBool()) << value.ToString();
  }
}

TEST_F(MiniGameBase, QueuePlaysOneAfterAnother) {
  TestMiniGame* game = ShowGame("");
  EXPECT_FALSE(game->IsQueueBusy());
  Ref<IWidget> a = game->MakeFeedback("fx"), b = game->MakeFeedback("fx"),
               c = game->MakeFeedback("fx");
  ASSERT_TRUE(a && b && c);
  EXPECT_FALSE(a->IsPaused());
  EXPECT_TRUE(b->IsPaused());
  EXPECT_TRUE(c->IsPaused());
  EXPECT_EQ(a->GetProperty("next").ToString(), ";" + b->GetName());
  EXPECT_EQ(b->GetProperty("next").ToString(), ";" + c->GetName());
  EXPECT_TRUE(game->IsQueueBusy());

  // A tail without "next" cannot start another: the widget after it starts at once.
  Ref<IWidget> d = game->MakeFeedback("plain"), e = game->MakeFeedback("fx");
  EXPECT_TRUE(d->IsPaused());
  EXPECT_FALSE(e->IsPaused());
  // A dead tail, likewise; once the tail is gone the queue is idle.
  Ref<IWidget> f = game->MakeFeedback("fx");
  EXPECT_TRUE(f->IsPaused());
  f->SetDead(true);
  Ref<IWidget> g = game->MakeFeedback("fx");
  EXPECT_FALSE(g->IsPaused());
  g->SetDead(true);
  Frame(1);
  EXPECT_FALSE(game->IsQueueBusy());
  // A factory that makes nothing leaves the feedback out.
  EXPECT_FALSE(game->MakeFeedback("missing"));
}

TEST_F(MiniGameBase, QueueFollowsAnAliasedNext) {
  TestMiniGame* game = ShowGame("", R"(
    <widget type="group_widget" name="outer" aliases="\next=inner/next">
      <widgets><widget type="test_box" name="inner" extraparams="\next="/></widgets>
    </widget>)");
  Ref<IWidget> outer = game->FindWidget("outer"), inner = game->FindWidget("outer/inner");
  EXPECT_EQ(TMiniGameWidget::GetAlias(outer.get(), "next"), "inner/next");
  Ref<IWidget> tail = outer;
  Ref<IWidget> a = game->MakeChild("fx", TMiniGameWidget::NewParams());
  game->AppendNext(a, tail);
  EXPECT_TRUE(a->IsPaused());
  EXPECT_EQ(inner->GetProperty("next").ToString(), ";" + a->GetName());
  EXPECT_EQ(tail, a);
  // The inner widget has ended: a new one starts at once.
  inner->SetDead(true);
  tail = outer;
  Ref<IWidget> b = game->MakeChild("fx", TMiniGameWidget::NewParams());
  game->AppendNext(b, tail);
  EXPECT_FALSE(b->IsPaused());
}

TEST_F(MiniGameBase, AliasLookup) {
  struct Case {
    const char* aliases;
    const char* name;
    const char* expected;
  } cases[] = {
      {R"(\next=a/next)", "next", "a/next"},
      {R"(\x=1 \ next = b / next \y=2)", "next", "b/next"},
      {R"(next=a/next)", "next", ""},  // no backslash before it
      {R"(\next)", "next", ""},
      {"", "next", ""},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w =
        Load(std::string("<widget type=\"test_box\" name=\"w\" aliases=\"") + c.aliases + "\"/>");
    EXPECT_EQ(TMiniGameWidget::GetAlias(w.get(), c.name), c.expected) << c.aliases;
  }
  EXPECT_EQ(TMiniGameWidget::GetAlias(nullptr, "next"), "");
}

TEST_F(MiniGameBase, SplitKeepsEmptyPieces) {
  using V = std::vector<std::string>;
  EXPECT_EQ(TMiniGameWidget::Split("", ';'), V{""});
  EXPECT_EQ(TMiniGameWidget::Split("a;b;", ';'), (V{"a", "b", ""}));
  EXPECT_EQ(TMiniGameWidget::Split("a-b-c", '-'), (V{"a", "b", "c"}));
}

TEST_F(MiniGameBase, BlockRectangleEdgesAreInside) {
  TestMiniGame* off =
      ShowGame("block_left=\"10\" block_top=\"20\" block_width=\"30\" block_height=\"40\"");
  EXPECT_FALSE(off->IsOutsideBlock({-500, -500}));
  TestMiniGame* game = ShowGame(
      "block_drag=\"yes\" block_left=\"10\" block_top=\"20\" block_width=\"30\" "
      "block_height=\"40\"");
  struct Case {
    TPoint p;
    bool outside;
  } cases[] = {{{10, 20}, false}, {{40, 60}, false}, {{41, 30}, true},
               {{9, 30}, true},   {{20, 19}, true},  {{20, 61}, true}};
  for (const Case& c : cases)
    EXPECT_EQ(game->IsOutsideBlock(c.p), c.outside) << c.p.X << "," << c.p.Y;
  // Without block_width and block_height the block is the game's own size.
  TestMiniGame* sized =
      ShowGame("block_drag=\"yes\"",
               R"(<widget type="test_box" name="a" width="50" height="30" visible="yes"/>)");
  EXPECT_FALSE(sized->IsOutsideBlock({50, 30}));
  EXPECT_TRUE(sized->IsOutsideBlock({51, 30}));
}

TEST_F(MiniGameBase, HitsOnChildrenReachTheGameInAnOffsetGame) {
  TestMiniGame* game = ShowGame("anchor_left=\"100\" anchor_top=\"50\"", R"(
      <widget type="test_box" name="a" anchor_left="10" anchor_top="10" width="20" height="20"
              visible="yes" mousestop="yes"/>)");
  EXPECT_EQ(game->WidgetAtPos({115, 65}).get(), static_cast<IWidget*>(game));
  EXPECT_FALSE(game->WidgetAtPos({5, 5}));  // falls through to what lies beneath
  window->mouse = {115, 65};
  EXPECT_EQ(game->GetHoveredWidgetName(), "a");
  window->mouse = {300, 300};
  EXPECT_EQ(game->GetHoveredWidgetName(), "null_widget");
  // The mouse point kept for drags is in the game's child space.
  window->HandleMouse(513, {115, 65}, 0);
  EXPECT_EQ(game->MousePoint(), (TPoint{15, 15}));
}

TEST_F(MiniGameBase, FollowWidgetsTrackTheMouseInsideTheArea) {
  // Area in the owner's space (100..300 x 50..250); placement in the game's space.
  TestMiniGame* game = ShowGame(
      "anchor_left=\"100\" anchor_top=\"50\" follow_widgets=\"glass:1_-10x1_-10;bar:0_5x1\" "
      "follow_left=\"100\" follow_top=\"50\" follow_width=\"200\" follow_height=\"200\"",
      R"(<widget type="test_box" name="bg" width="400" height="400" visible="yes" mousestop="yes"/>
         <widget type="test_box" name="glass" width="4" height="4"/>
         <widget type="test_box" name="bar" width="4" height="4"/>)");
  Ref<IWidget> glass = game->FindWidget("glass"), bar = game->FindWidget("bar");
  game->WidgetAtPos({160, 90});
  EXPECT_EQ(glass->GetAnchorLeft(), 50);
  EXPECT_EQ(glass->GetAnchorTop(), 30);
  EXPECT_TRUE(glass->IsVisible());
  EXPECT_EQ(bar->GetAnchorLeft(), 5);
  EXPECT_EQ(bar->GetAnchorTop(), 40);
  EXPECT_TRUE(bar->IsVisible());
  // Near the area's top-left corner the glass's own place lies outside it.
  game->WidgetAtPos({105, 55});
  EXPECT_FALSE(glass->IsVisible());
  EXPECT_TRUE(bar->IsVisible());
  game->WidgetAtPos({350, 90});  // outside the area: all hidden
  EXPECT_FALSE(glass->IsVisible());
  EXPECT_FALSE(bar->IsVisible());
  game->WidgetAtPos({160, 90});
  game->Win();
  EXPECT_FALSE(glass->IsVisible());
  EXPECT_FALSE(bar->IsVisible());
  game->WidgetAtPos({160, 90});  // no longer playing: they stay hidden
  EXPECT_FALSE(glass->IsVisible());
}

TEST_F(MiniGameBase, CopyNumberedParamsStopsAtTheFirstGap) {
  TestMiniGame* game =
      ShowGame("", R"(<widget type="test_box" name="e" extraparams="\val1=a\val2=b\val4=d"/>)");
  Ref<IParamCollection> params = TMiniGameWidget::NewParams();
  game->CopyNumberedParams(params, game->FindWidget("e").get(), "val");
  EXPECT_EQ(params->GetValue("id").ToInt(), 0);
  EXPECT_EQ(params->GetValue("val1").ToString(), "a");
  EXPECT_EQ(params->GetValue("val2").ToString(), "b");
  EXPECT_TRUE(params->GetValue("val4").IsEmpty());
}

TEST_F(MiniGameBase, ScreenTypeIsRegistered) {
  EXPECT_TRUE(ClassesRegistry().FindClass("MiniGameScreenMagnifyingGlass"));
}

}  // namespace
