// When the game ends it lets go of its screens: the stacked ones first, top first, so that
// a screen on view can still write into what a screen below it, or one later in the game
// file, saves as it goes; then the others, last first.

#include "foundation/GeneralClasses.h"
#include "tests/support/GameFixture.h"

namespace {

std::vector<std::string>& Released() {
  static std::vector<std::string> released;
  return released;
}

class ReleaseLoggingScreen : public TestGameScreen {
 public:
  void ReleaseOwner() override {
    if (GetOwner()) Released().push_back(GetName());
    TestGameScreen::ReleaseOwner();
  }
};

class GameReleaseOrder : public GameFixture {
 protected:
  GameReleaseOrder() {
    static const bool registered = [] {
      RegisterClassName<ReleaseLoggingScreen>("release_logging_screen");
      return true;
    }();
    (void)registered;
  }
};

}  // namespace

TEST_F(GameReleaseOrder, StackedScreensGoFirstTopFirstThenTheOthersLastFirst) {
  using Ids = std::vector<std::string>;
  struct Case {
    const char* what;
    Ids file, shown, released;
  };
  const Case cases[] = {
      {"diary after the play screen in the file",
       {"GS_Main", "GS_Game", "GS_Diary"},
       {"GS_Main", "GS_Game"},
       {"GS_Game", "GS_Main", "GS_Diary"}},
      {"diary before the play screen in the file",
       {"GS_Main", "GS_Diary", "GS_Game"},
       {"GS_Main", "GS_Game"},
       {"GS_Game", "GS_Main", "GS_Diary"}},
      {"diary on view over the play screen",
       {"GS_Main", "GS_Game", "GS_Diary"},
       {"GS_Main", "GS_Game", "GS_Diary"},
       {"GS_Diary", "GS_Game", "GS_Main"}},
      {"nothing on view",
       {"GS_Main", "GS_Game", "GS_Diary"},
       {},
       {"GS_Diary", "GS_Game", "GS_Main"}},
  };
  for (const Case& c : cases) {
    std::string screens;
    for (const std::string& id : c.file)
      screens += ScreenXml(id, Box(id, 0, 0, 10, 10), "release_logging_screen");
    Start(GameXml(screens));
    Frame(16);
    for (const std::string& id : c.shown) ASSERT_TRUE(game->ShowScreen(id, nullptr)) << c.what;
    Released().clear();
    game->Done();
    EXPECT_EQ(Released(), c.released) << c.what;
    EXPECT_TRUE(Stack().empty()) << c.what;
    game = nullptr;
    Released().clear();
  }
}
