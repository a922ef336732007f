// The sample game's diary pages and play-mode window, loaded as the game loads them, with
// the sample's participants, categories and story: what the player sees on them and what
// the matching game makes of clicks on the cards.
#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/MultiLanguages.h"
#include "foundation/XMLStorage.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2UserGameData.h"
#include "minigames/MiniGameCategory.h"
#include "minigames/MiniGamesRegistration.h"
#include "platform/InputConstants.h"
#include "screens/ScreensRegistration.h"
#include "screens/Tv2DiaryPages.h"
#include "screens/Tv2GameScreenDiaryParticipant.h"
#include "screens/Tv2ScreenInterfaces.h"
#include "shell/WidgetFactories.h"
#include "tests/support/FakeDiary.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

namespace fs = std::filesystem;

class DiaryPagesData : public WidgetFixture {
 protected:
  DiaryPagesData() : before_(fs::current_path()) {
    RegisterWidgetsClasses();
    RegisterScreensClasses();
    RegisterMiniGamesClasses();
    Tv2DeclarationsInit();
    // The pages name their files as data paths of the program folder.
    fs::current_path(SOURCE_ROOT);
    ClearXmlStorageRegistry();
    EXPECT_TRUE(MultiLanguages()->LoadFile(R"(data\lang\default.lng)"));
  }
  ~DiaryPagesData() override {
    MultiLanguages()->ClearStrings();
    ClearXmlStorageRegistry();
    fs::current_path(before_);
  }

  // A page made as the diary makes it: from a factory whose widget string names the file.
  Ref<IWidget> ShowFromFactory(const std::string& file) {
    Ref<TWidgetFactory> factory = TAbstractObject::Create<TWidgetFactory>();
    factory->SetWidgetString(R"(<widget _outstorage="file={)" + file + R"(}"/>)");
    Ref<IWidget> page = factory->CreateWidget(NewParamCollection());
    EXPECT_TRUE(page) << file;
    if (!page) return nullptr;
    window->SetRoot(page);
    // The diary shows the page of the tab chosen.
    page->SetVisible(true);
    return page;
  }
  template <class T>
  static Ref<T> LoadFile(const char* path) {
    Ref<T> object = TAbstractObject::Create<T>();
    Ref<IHierStorageRoot> storage = LoadXmlStorageFromFile(path);
    EXPECT_TRUE(storage) << path;
    if (storage) storage->LoadObject(object.get());
    return object;
  }
  void Click(TPoint point) {
    window->mouse = point;
    window->HandleMouse(input::kMouseMove, point, 0);
    Frame(16);
    window->HandleMouse(input::kLeftButtonDown, point, 1);
    window->HandleMouse(input::kLeftButtonUp, point, 0);
  }

  WarningCapture warnings;

 private:
  fs::path before_;
};

}  // namespace

TEST_F(DiaryPagesData, TheJournalHasAPageForEveryNoteOfTheStory) {
  Ref<IWidget> root = Show(R"(<widget _outstorage="file={data\screens\diary_journal.xml}"/>)");
  auto journal = Supports<IDiaryJournal>(root);
  ASSERT_TRUE(journal);
  journal->SetNotes("note_lantern;note_garden;note_clock;note_cellar;");
  EXPECT_TRUE(root->FindWidget("left_page/note_clock"));
  EXPECT_TRUE(root->FindWidget("right_page/note_cellar"));
  EXPECT_TRUE(root->FindWidget("button_prev")->IsVisible());
  journal->PrevPage();
  EXPECT_TRUE(root->FindWidget("left_page/note_lantern"));
  EXPECT_TRUE(root->FindWidget("right_page/note_garden"));
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"snd_page"}));
  EXPECT_EQ(warnings.Lines(), std::vector<std::string>{});
}

TEST_F(DiaryPagesData, TheVoodooPageCountsTheDollsAndTheThirteenthOpensItsGame) {
  std::string dolls = "doll_moth;";
  for (const char* colour : {"rose", "sky", "leaf", "ember", "ash", "sun"})
    for (const char* twin : {"_a;", "_b;"}) dolls += std::string("doll_") + colour + twin;
  for (bool all : {false, true}) {
    Ref<IWidget> page = ShowFromFactory(R"(data\screens\diary_page_voodoo.xml)");
    auto voodoo = Supports<IDiaryPageVoodoo>(page);
    ASSERT_TRUE(voodoo);
    // The diary counts the list's trailing empty item: 13 dolls, 14 items.
    EXPECT_EQ(page->GetProperty("voodoo_count_need").ToInt(), 13);
    voodoo->UpdateCounter(all ? dolls : "doll_moth;");
    EXPECT_TRUE(page->FindWidget("minigame/doll_moth")->IsVisible());
    EXPECT_EQ(page->FindWidget("minigame/doll_sun_b")->IsVisible(), all);
    EXPECT_EQ(page->FindWidget("voodoo_counter1")->GetProperty("text").ToString(),
              all ? "13" : "1");
    Frame(16);
    Frame(16);
    EXPECT_EQ(page->FindWidget("minigame")->IsPaused(), !all) << "the game waits for the 13th";
    EXPECT_EQ(page->FindWidget("playing")->IsVisible(), all);
    EXPECT_FALSE(page->FindWidget("minigame")->GetProperty("win").ToBool());
  }
  EXPECT_EQ(warnings.Lines(), std::vector<std::string>{});
}

TEST_F(DiaryPagesData, OdileIsMatchedWithBastienOnTheParticipantPage) {
  Ref<FakeDiary> diary = TAbstractObject::Create<FakeDiary>();
  diary->participants = LoadFile<TParticipantCollection>(R"(data\ini\participants.ini)");
  screens->params["categories"] =
      Variant(Ref<IInterface>(LoadFile<TCategoryCollection>(R"(data\ini\categories.ini)")));
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  progress->LoadCases(
      Ref<IHierStorage>(LoadXmlStorageFromFile(R"(data\ini\scenarios\default.ini)").get()));
  diary->data = progress;
  Ref<IUGDCase> story = progress->CurrentCase();
  ASSERT_TRUE(story);
  Ref<IUGDStage> stage = story->CurrentStage();

  Ref<IWidget> root = ShowFromFactory(R"(data\screens\diary_page_participants.xml)");
  auto page = Supports<IDiaryPageParticipant>(root);
  ASSERT_TRUE(page);
  page->SetSelectTask(diary.get());
  page->SetPageName("page1");
  page->ShowParticipants(story);
  page->ShowCandidates(stage, progress);
  EXPECT_EQ(page->GetTaskParticipant("t2"), "bastien");
  EXPECT_EQ(root->FindWidget("page1/bastien")->GetAnchorLeft(), 380);
  EXPECT_EQ(root->FindWidget("client")->GetProperty("task").ToString(), "t1");
  EXPECT_TRUE(root->FindWidget("page1/odile/category/tea"));
  EXPECT_FALSE(page->IsMatchReady(progress->GetMatchedClients())) << "no task is played yet";

  for (int i = 0; i < stage->GetTasks()->Count(); ++i)
    stage->GetTasks()->GetItem(Variant(i))->SetCompleted(true);
  ASSERT_TRUE(page->IsMatchReady(progress->GetMatchedClients()));
  page->MatchClient();
  Frame(16);
  // Bastien's light and tea, where the playthrough clicks them.
  Click({500, 353});
  Click({500, 383});
  auto* game = dynamic_cast<TMiniGameCategoryWidget*>(root->FindWidget("page1").get());
  ASSERT_TRUE(game);
  EXPECT_EQ(game->IdealMatch(), "bastien");
  for (int i = 0; i < 200 && diary->calls.empty(); ++i) Frame(16);
  EXPECT_EQ(diary->calls, (std::vector<std::string>{"ClientMatched(odile)"}));
  EXPECT_TRUE(root->FindWidget("show_mached_twain"));
  EXPECT_EQ(warnings.Lines(), std::vector<std::string>{});
}

TEST_F(DiaryPagesData, ThePlayModeWindowHasItsButtonsWhereTheScriptsClick) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="window" visible="yes"
      mousestop="yes" _outstorage="file={data\screens\dificult.xml}"/>)");
  for (const char* name :
       {"set_play_mode_timed", "set_play_mode_untimed", "button_ok", "button_cancel"})
    EXPECT_TRUE(root->FindWidget(name)) << name;
  for (auto [point, name] : {std::pair{TPoint{402, 380}, "set_play_mode_timed"},
                             std::pair{TPoint{402, 456}, "button_ok"}}) {
    Ref<IWidget> hit = root->WidgetAtPos(point);
    EXPECT_EQ(hit ? hit->GetName() : "(none)", name);
  }
}
