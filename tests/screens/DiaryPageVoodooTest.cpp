// The diary's voodoo-doll page: found dolls shown and counted; the thirteenth starts the
// page's mini-game.
#include <gtest/gtest.h>

#include "screens/ScreensRegistration.h"
#include "screens/Tv2DiaryPageVoodoo.h"
#include "tests/support/WidgetFixture.h"

namespace {

class DiaryPageVoodoo : public WidgetFixture {
 protected:
  DiaryPageVoodoo() { RegisterScreensClasses(); }

  // A page whose mini-game group holds the dolls d1 .. d14, all hidden.
  TDiaryDiaryPageVoodoo* ShowPage(bool withMiniGame = true, const std::string& attrs = {}) {
    std::string dolls;
    for (int i = 1; i <= 14; ++i)
      dolls += R"(<widget type="test_box" name="d)" + std::to_string(i) + R"(" visible="no"/>)";
    std::string miniGame = withMiniGame
                               ? R"(<widget type="group_widget" name="minigame"><widgets>)" +
                                     dolls + "</widgets></widget>"
                               : std::string();
    page = Show(R"(<widget type="diary_page_voodoo" name="page_voodoo" )" + attrs + "><widgets>" +
                miniGame + R"(
        <widget type="test_box" name="voodoo_counter1" extraparams="\text=untouched"/>
        <widget type="test_box" name="start_minigame" paused="yes"/>
        <widget type="test_box" name="show_won" paused="yes"/>
        </widgets></widget>)");
    auto* voodoo = dynamic_cast<TDiaryDiaryPageVoodoo*>(page.get());
    EXPECT_TRUE(voodoo);
    return voodoo;
  }
  // "d1;d2;...;dN;", as the progress writes it.
  static std::string Dolls(int count, const std::string& extra = {}) {
    std::string list;
    for (int i = 1; i <= count; ++i) list += "d" + std::to_string(i) + ";";
    return list + extra;
  }
  std::string Counter() {
    return page->FindWidget("voodoo_counter1")->GetProperty("text").ToString();
  }
  bool MiniGameStarted() { return !page->FindWidget("start_minigame")->IsPaused(); }

  Ref<IWidget> page;
};

}  // namespace

TEST_F(DiaryPageVoodoo, TheThirteenthDollStartsTheMiniGame) {
  struct Case {
    std::string list;
    int found;
    bool starts;
  };
  for (const Case& c : {
           Case{Dolls(12), 12, false},
           Case{Dolls(13), 13, true},
           Case{Dolls(14), 14, false},
           // Names the group does not hold are no dolls; a doll named twice counts once.
           Case{Dolls(12, "ghost;"), 12, false},
           Case{Dolls(12, "d12;"), 12, false},
           Case{";" + Dolls(13), 13, true},
       }) {
    TDiaryDiaryPageVoodoo* voodoo = ShowPage();
    voodoo->UpdateCounter(c.list);
    EXPECT_EQ(voodoo->GetFoundCount(), c.found) << c.list;
    EXPECT_EQ(Counter(), std::to_string(c.found)) << c.list;
    EXPECT_EQ(MiniGameStarted(), c.starts) << c.list;
    EXPECT_EQ(page->FindWidget("minigame/d12")->IsVisible(), true) << c.list;
    EXPECT_EQ(page->FindWidget("minigame/d14")->IsVisible(), c.found == 14) << c.list;
  }
}

TEST_F(DiaryPageVoodoo, AGameAlreadyPlayedShowsItsResultInsteadOfStartingAgain) {
  struct Case {
    std::string result;
    bool starts;
    bool showsWon;
  };
  for (const Case& c : {Case{"", true, false}, Case{"won", false, true},
                        // No widget for that result: nothing restarts, nothing breaks.
                        Case{"skipped", false, false}}) {
    TDiaryDiaryPageVoodoo* voodoo = ShowPage();
    page->SetProperty("minigame_result", Variant(c.result));
    voodoo->UpdateCounter(Dolls(13));
    EXPECT_EQ(Counter(), "13") << c.result;
    EXPECT_EQ(MiniGameStarted(), c.starts) << c.result;
    EXPECT_EQ(!page->FindWidget("show_won")->IsPaused(), c.showsWon) << c.result;
    EXPECT_EQ(voodoo->GetMiniGameResult(), c.result);
  }
}

TEST_F(DiaryPageVoodoo, WithoutItsMiniGameThePageIgnoresTheList) {
  TDiaryDiaryPageVoodoo* voodoo = ShowPage(false);
  voodoo->UpdateCounter(Dolls(13));
  EXPECT_EQ(Counter(), "untouched");
  EXPECT_FALSE(MiniGameStarted());
}

TEST_F(DiaryPageVoodoo, TheDiaryReadsHowManyDollsAFinishedTaskNeeds) {
  EXPECT_EQ(ShowPage(true, R"(voodoo_count_need="12")")->GetProperty("voodoo_count_need").ToInt(),
            12);
  EXPECT_EQ(ShowPage(true, R"(extraparams="\voodoo_count_need=7")")
                ->GetProperty("voodoo_count_need")
                .ToInt(),
            7);
}

TEST_F(DiaryPageVoodoo, TheMiniGameGroupGoesWithThePage) {
  ShowPage();
  Ref<IWidget> miniGame = page->FindWidget("minigame");
  page->ReleaseOwner();
  EXPECT_TRUE(miniGame->IsDead());
}
