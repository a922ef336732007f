// layoutcheck GAMEFOLDER: runs the game of a built program folder headless, shows each of
// its screens and plays each task's scenes, and reports what a player would see wrong in
// the layout. Exit 0 when nothing is reported, 1 when something is, 2 when the game does
// not run.
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/EngineDeclarations.h"
#include "foundation/Params.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2Declarations.h"
#include "shell/GameScreen.h"
#include "tools/layoutcheck/GameRun.h"
#include "tools/layoutcheck/InternalNames.h"
#include "tools/layoutcheck/ScreenFiles.h"
#include "tools/layoutcheck/WidgetChecks.h"

namespace {

// Screens that are not shown on request: the start-up ones have run already, the border
// is drawn above every screen; their windows are judged as they stand.
const std::set<std::string> kJudgedAsLoaded = {"GS_SplashLogos", "GS_Splash", "GS_Border"};
// What a screen is shown with where the game shows it so: the diary reads the player's
// story when the play screen asks it to.
const std::map<std::string, std::string> kShowParams = {{"GS_Diary", "\\show_diary=1"}};
const char* const kPlayScreen = "GS_Game";
const char* const kCasePicker = "GS_SelectCase";
const char* const kScenePicker = "GS_SelectScene";
const char* const kTabButtons = "tab_buttons";
constexpr uint32_t kPageSettleMs = 1500;

std::vector<std::string> SplitOffer(const std::string& offer) {
  std::vector<std::string> names;
  for (const std::string& name : SplitString(offer, ';'))
    if (!name.empty()) names.push_back(name);
  return names;
}

struct Check {
  GameRun& run;
  const StoryNames& story;
  std::map<std::string, std::string> files;
  CheckContext context;

  // The screen's widget tree as it stands now, reported under its window's file.
  void Judge(const std::string& screenName) {
    auto found = files.find(screenName);
    context.file = found != files.end() ? found->second : GameFileName;
    Ref<IGameScreenSlave> screen = run.Game().GetScreens()->GetScreen(Variant(screenName));
    if (screen) CheckWidgetTree(screen->GetRootWidget(), context);
  }

  void EveryScreen() {
    run.StartStory();
    Ref<IGSCollection> screens = run.Game().GetScreens();
    for (int i = 0; i < screens->Count(); ++i) {
      Ref<IGameScreenSlave> screen = screens->GetScreen(Variant(i));
      if (!screen || screen->GetName() == kPlayScreen) continue;
      const std::string name = screen->GetName();
      if (!kJudgedAsLoaded.count(name)) {
        auto params = kShowParams.find(name);
        run.ShowAndSettle(name,
                          params != kShowParams.end() ? ParamsFromString(params->second) : nullptr);
        run.CloseScreensAbove(name);
      }
      Judge(name);
      EveryTab(*screen);
      run.CloseShownScreens();
    }
  }

  // A screen with pages behind tab buttons (the diary): each page the buttons show, as a
  // click on its button opens it.
  void EveryTab(IGameScreenSlave& screen) {
    IWindow* window = screen.GetWindow();
    auto* handler = dynamic_cast<IEventHandler*>(&screen);
    Ref<IWidget> tabs = window ? window->FindWidget(kTabButtons) : nullptr;
    Ref<IWidgetCollection> buttons = tabs ? tabs->GetChildren() : nullptr;
    if (!handler || !buttons) return;
    std::vector<Ref<IWidget>> shown;
    for (int i = 0; i < buttons->Count(); ++i)
      if (IWidget* button = buttons->ItemAt(i); button && button->IsVisible())
        shown.emplace_back(button);
    for (const Ref<IWidget>& button : shown) {
      handler->OnWidgetEvent(button.get(), control_event::kButtonClick, 0);
      run.Wait(kPageSettleMs);
      Judge(screen.GetName());
    }
  }

  // The pickers list what the story offers: each offer once, as the player meets it.
  void EveryOffer() {
    for (const std::string& offer : story.caseOffers) {
      run.StartStory();
      run.OfferCases(offer);
      run.ShowAndSettle(kCasePicker);
      Judge(kCasePicker);
      run.CloseShownScreens();
    }
    for (const TaskToPlay& task : story.tasks) {
      if (task.sceneOffer.empty()) continue;
      run.StartStory();
      run.AddScenes(task, SplitOffer(task.sceneOffer));
      run.ShowAndSettle(kScenePicker, ParamsFromString("\\select_scene_names=" + task.sceneOffer));
      Judge(kScenePicker);
      run.CloseShownScreens();
    }
  }

  void EveryTask() {
    for (const TaskToPlay& task : story.tasks) {
      if (run.PlayTask(task))
        Judge(kPlayScreen);
      else
        context.reports->Add(DefaultScenarioFileName,
                             task.caseName + "\\" + task.stageName + "\\" + task.taskName,
                             "the play screen never handed the task to the player");
      run.CloseShownScreens();
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: layoutcheck GAMEFOLDER\n");
    return 2;
  }
  GameRun run(argv[1]);
  if (!run.Ready()) {
    std::fprintf(stderr, "layoutcheck: %s: %s\n", argv[1], run.Failure().c_str());
    return 2;
  }
  const StoryNames story = ReadStoryNames();
  LayoutReports reports;
  Check check{run, story, ReadScreenFiles(),
              CheckContext{"", &story.names, TRect{0, 0, DesignWidth, DesignHeight}, &reports}};
  check.EveryScreen();
  check.EveryOffer();
  check.EveryTask();

  for (const std::string& line : reports.Lines()) std::printf("%s\n", line.c_str());
  return reports.Empty() ? 0 : 1;
}
