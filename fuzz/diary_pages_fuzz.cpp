// The diary's pages read the player's progress: the journal its notes, the voodoo page its
// dolls, the participant page the current case's participant and task lists, the matched
// clients and the stage's tasks. Any progress text, as a profile hands it over, must go
// through showing, turning, matching and rebuilding without a crash or hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/Warnings.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2UserGameData.h"
#include "minigames/MiniGamesRegistration.h"
#include "screens/ScreensRegistration.h"
#include "screens/Tv2ScreenInterfaces.h"
#include "shell/UserProfile.h"
#include "tests/support/FakeDiary.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// Factories that make a named group (a card, a chip with "open", a note, the pair).
std::string Factory(const std::string& name, const std::string& widgetName,
                    const std::string& children = {}) {
  return "<widgetfactory name=\"" + name +
         "\" type=\"WidgetFactory\"><widgetstring><widget type=\"group_widget\" name=\"" +
         widgetName + "\" visible=\"yes\" anchor_top=\"%anchor_top%\"><widgets>" + children +
         "</widgets></widget></widgetstring></widgetfactory>";
}

const std::string kPages =
    R"(<widget type="group_widget" name="diary" visible="yes"><widgets>
    <widget type="diary_journal" name="page_journal" visible="yes"><widgetfactories>)" +
    Factory("note_a", "%name%") + Factory("note_b", "%name%") + R"(</widgetfactories><widgets>
      <widget type="group_widget" name="left_page"/><widget type="group_widget" name="right_page"/>
      <widget type="test_box" name="button_next"/><widget type="test_box" name="button_prev"/>
    </widgets></widget>
    <widget type="diary_page_voodoo" name="page_voodoo" voodoo_count_need="1"><widgets>
      <widget type="group_widget" name="minigame"><widgets>
        <widget type="test_box" name="doll_a"/><widget type="test_box" name="doll_b"/>
      </widgets></widget>
      <widget type="test_box" name="voodoo_counter1"/><widget type="test_box" name="start_minigame"/>
    </widgets></widget>
    <widget type="diary_participant_page" name="page_participants" visible="yes"><widgetfactories>)" +
    Factory("participant_client", "%name%", R"(<widget type="group_widget" name="category"/>)") +
    Factory("participant_candidate", "%name%", R"(<widget type="group_widget" name="category"/>)") +
    Factory("category", "%name%", R"(<widget type="test_box" name="open"/>)") +
    Factory("show_mached_twain", "show_mached_twain") + R"(</widgetfactories><widgets>
      <widget type="mg_category_widget" name="page1" visible="yes" lock_widgets="client;candidate1"><widgets>
        <widget type="test_box" name="client"/><widget type="test_box" name="candidate1"/>
      </widgets></widget>
      <widget type="test_box" name="client"/><widget type="test_box" name="candidate1"/>
    </widgets></widget>
  </widgets></widget>)";

struct Setup {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  Ref<FakeScreenOwner> game = TAbstractObject::Create<FakeScreenOwner>();
  Ref<FakeDiary> diary = TAbstractObject::Create<FakeDiary>();

  Setup() {
    // Bad progress is said on the warning channel; here it is only fed.
    SetWarningHook([](const std::string&) {});
    Tv2DeclarationsInit();
    RegisterWidgetTestClasses();
    RegisterWidgetsClasses();
    RegisterScreensClasses();
    RegisterMiniGamesClasses();
    window->engine = engine.get();
    window->screenOwner = game.get();
    diary->participants = Load<TParticipantCollection, IParticipantCollection>(
        R"(<participants><participant name="ann" type="client" slot="page1/client"
             categories="a;b" open_categories="a"/><participant name="bo" type="ideal_match"
             slot="page1/candidate1" categories="a;b;;"/><participant name="cy" slot="/"/>
           </participants>)");
    game->params["categories"] =
        Variant(Ref<IInterface>(Load<TCategoryCollection, ICategoryCollection>(
            R"(<categories><category name="a" caption="A"/></categories>)")));
  }

  template <class T, class I>
  static Ref<I> Load(const char* xml) {
    Ref<T> list = TAbstractObject::Create<T>();
    LoadXmlStorageFromText(xml)->LoadObject(list.get());
    return Ref<I>(list.get());
  }
};

void Run(Setup& setup, const Ref<IUserGameData>& data) {
  Ref<IWidget> root = Supports<IWidget>(
      CreateObjectFromXml(Ref<IHierStorage>(LoadXmlStorageFromText(kPages).get())));
  if (!root) return;
  setup.window->SetRoot(root);
  auto journal = Supports<IDiaryJournal>(root->FindWidget("page_journal"));
  auto voodoo = Supports<IDiaryPageVoodoo>(root->FindWidget("page_voodoo"));
  auto page = Supports<IDiaryPageParticipant>(root->FindWidget("page_participants"));
  if (!journal || !voodoo || !page) std::abort();
  journal->SetNotes(data->GetJournal());
  for (int i = 0; i < 3; ++i) journal->PrevPage();
  for (int i = 0; i < 4; ++i) journal->NextPage();
  voodoo->UpdateCounter(data->GetFindedVoodoo());

  page->SetSelectTask(setup.diary.get());
  Ref<IUGDCase> gameCase = data->CurrentCase();
  Ref<IUGDStage> stage = gameCase ? gameCase->CurrentStage() : nullptr;
  page->SetPageName(stage ? stage->GetParamValueDef("participant_page", Variant("page1")).ToString()
                          : "page1");
  page->ShowParticipants(gameCase);
  page->ShowCandidates(stage, data);
  root->Process(16);
  if (page->IsMatchReady(data->GetMatchedClients())) page->MatchClient();
  root->Process(16);
  Ref<IUGDTaskCollection> tasks = stage ? stage->GetTasks() : nullptr;
  for (int i = 0; tasks && i < tasks->Count(); ++i)
    if (Ref<IUGDTask> task = tasks->GetItem(Variant(i))) page->GetTaskParticipant(task->GetName());
  page->SetProperty("match_client", Variant("ann"));
  page->ShowCandidates(stage, data);
  page->RemoveMatchedTwain();
  root->Process(16);
  // Rebuilt, as the diary rebuilds its pages at every showing.
  page->ShowParticipants(gameCase);
  setup.window->SetRoot(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  Ref<TUserProfile> profile = TAbstractObject::Create<TUserProfile>();
  profile->SetDataStorage(std::string(reinterpret_cast<const char*>(data), size));
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  progress->AttachProfile(Ref<IUserProfile>(profile.get()));
  setup.diary->data = Ref<IUserGameData>(progress.get());
  Run(setup, setup.diary->data);
  setup.diary->data = nullptr;
  setup.diary->calls.clear();
  progress->ReleaseLinks();
  return 0;
}
