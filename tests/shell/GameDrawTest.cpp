// What the game draws and invalidates: stacked screens not wholly covered, then the border
// screen, then the cursor; and the cursor's life with the mouse.

#include "platform/InputConstants.h"
#include "tests/support/GameFixture.h"

namespace {

using Ids = std::vector<std::string>;

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00, kYellow = 0xFFFFFF00,
                   kWhite = 0xFFFFFFFF;

class GameDraw : public GameFixture {
 protected:
  static std::string Color(uint32_t color) {
    char text[32];
    std::snprintf(text, sizeof text, "color=\"$%08X\"", color);
    return text;
  }
  void StartScreens() {
    // B's rectangle holds A's wholly, though B draws only two pixels of it.
    std::string b = R"(<widgets>
        <widget type="test_box" name="b1" visible="yes" width="1" height="1" )" +
                    Color(kBlue) + R"(/>
        <widget type="test_box" name="b2" visible="yes" anchor_left="39" anchor_top="39" width="1" height="1" )" +
                    Color(kBlue) + R"(/></widgets>)";
    Start(GameXml(ScreenXml("A", Box("a", 0, 0, 40, 40, Color(kRed))) + ScreenXml("B", b) +
                      ScreenXml("C", Box("c", 50, 50, 4, 4, Color(kGreen))) +
                      ScreenXml("GS_Border", Box("frame", 20, 20, 10, 10, Color(kYellow))),
                  {},
                  R"(<cursors><cursor name="arrow" hotspotx="1" hotspoty="1">
                     <widget type="group_widget" name="arrow"><widgets>
                       <widget type="test_box" name="unpressed" visible="yes" width="4" height="4" )" +
                      Color(kWhite) + R"(/>
                       <widget type="test_box" name="pressed" width="4" height="4" )" +
                      Color(kGreen) + R"(/>
                     </widgets></widget></cursor></cursors>)"));
    Frame(16);
  }
};

TEST_F(GameDraw, CoveredScreensAreSkippedAndBorderAndCursorComeLast) {
  StartScreens();
  engine->cursor = {26, 26};
  game->ShowScreen("A", nullptr);
  Frame(16);
  TSurfacePtr frame = Render();
  EXPECT_EQ(frame->GetPixel(10, 10), kRed);
  EXPECT_EQ(frame->GetPixel(22, 22), kYellow) << "the border above the screens";
  EXPECT_EQ(frame->GetPixel(26, 26), kWhite) << "the cursor above the border, at its hot spot";
  EXPECT_EQ(frame->GetPixel(24, 24), kYellow);

  game->ShowScreen("B", nullptr);
  game->ShowScreen("C", nullptr);
  frame = Render();
  EXPECT_EQ(frame->GetPixel(10, 10), 0u) << "A lies wholly inside B's rectangle";
  EXPECT_EQ(frame->GetPixel(39, 39), kBlue);
  EXPECT_EQ(frame->GetPixel(51, 51), kGreen) << "C covers nothing of B and is drawn";

  game->CloseScreen(Screen("C"), nullptr);
  game->CloseScreen(Screen("B"), nullptr);
  EXPECT_EQ(Render()->GetPixel(10, 10), kRed);
}

TEST_F(GameDraw, TheBorderScreenKeepsUpdatingAndPostsItsChanges) {
  StartScreens();
  Ref<IWidget> frame = Screen("GS_Border")->FindWidget("frame");
  ASSERT_TRUE(frame);
  auto* box = dynamic_cast<TestBoxWidget*>(frame.get());
  ASSERT_TRUE(box);
  int before = box->updates;
  for (int i = 0; i < 3; ++i) Frame(16);
  EXPECT_EQ(box->updates, before + 3);

  frame->SetProperty("color", Variant(int32_t(kGreen)));
  Frame(16);
  EXPECT_NE(
      std::find(engine->redrawRects.begin(), engine->redrawRects.end(), TRect{20, 20, 30, 30}),
      engine->redrawRects.end());
  EXPECT_EQ(Render()->GetPixel(25, 25), kGreen);
}

TEST_F(GameDraw, TheCursorFollowsTheMouseAndShowsPresses) {
  Start(GameXml(ScreenXml("A", R"(<widgets>
                    <widget type="test_box" name="button" visible="yes" mousestop="yes" handles="yes"
                            width="10" height="10"/>
                    <widget type="test_box" name="back" visible="yes" mousestop="yes"
                            anchor_left="20" width="10" height="10"/></widgets>)"),
                {}, R"(<cursors><cursor name="arrow" hotspotx="1" hotspoty="2">
                   <widget type="group_widget" name="arrow"><widgets>
                     <widget type="test_box" name="unpressed" visible="yes" width="4" height="4"/>
                     <widget type="test_box" name="pressed" width="4" height="4"/>
                   </widgets></widget></cursor></cursors>)"));
  Frame(16);
  game->ShowScreen("A", nullptr);
  Frame(250);  // past the input guard
  Ref<IWidget> cursor = game->GetCursors()->GetCurrentCursor()->GetWidget();
  Ref<IWidget> pressed = cursor->FindWidget("pressed");
  Ref<IWidget> unpressed = cursor->FindWidget("unpressed");

  engine->cursor = {30, 40};
  Frame(16);
  EXPECT_EQ(cursor->GetAnchorLeft(), 29);
  EXPECT_EQ(cursor->GetAnchorTop(), 38);

  struct Case {
    uint32_t message;
    TPoint point;
    bool handled, restarted, pressedShown;
  } cases[] = {
      {input::kLeftButtonDown, {5, 5}, true, true, true},
      {input::kLeftButtonUp, {5, 5}, true, false, false},
      {input::kRightButtonDown, {25, 5}, false, false, true},  // not handled: no restart
      {input::kRightButtonUp, {25, 5}, false, false, false},
      {input::kMiddleButtonDown, {5, 5}, true, true, true},
      {input::kMouseMove, {5, 5}, true, false, true},  // moves change nothing
      {input::kMiddleButtonUp, {5, 5}, true, false, false},
  };
  for (const Case& c : cases) {
    Frame(16);
    int32_t timeBefore = cursor->GetProperty("currenttime").ToInt();
    ASSERT_GT(timeBefore, 0);
    EXPECT_EQ(game->HandleMouse(c.message, c.point, 0), c.handled) << c.message;
    EXPECT_EQ(cursor->GetProperty("currenttime").ToInt() == 0, c.restarted) << c.message;
    EXPECT_EQ(pressed->IsVisible(), c.pressedShown) << c.message;
    EXPECT_EQ(pressed->IsPaused(), !c.pressedShown) << c.message;
    EXPECT_EQ(unpressed->IsVisible(), !c.pressedShown) << c.message;
    EXPECT_EQ(unpressed->IsPaused(), c.pressedShown) << c.message;
  }
}

}  // namespace
