// layoutcheck GAMEFOLDER: runs the game of a built program folder headless, shows each of
// its screens and plays each task's scenes, and reports what a player would see wrong in
// the layout. Exit 0 when nothing is reported, 1 when something is, 2 when the game does
// not run.
#include <cstdio>
#include <filesystem>
#include <set>

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
const char* const kPlayScreen = "GS_Game";
const char* const kCasePicker = "GS_SelectCase";
const char* const kScenePicker = "GS_SelectScene";

std::vector<std::string> SplitOffer(const std::string& offer) {
  std::vector<std::string> names;
  for (const std::string& name : SplitString(offer, ';'))
    if (!name.empty()) names.push_back(name);
  return names;
}

std::string FileOf(const std::map<std::string, std::string>& files, const std::string& screen) {
  auto found = files.find(screen);
  return found != files.end() ? found->second : GameFileName;
}

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
  const std::map<std::string, std::string> files = ReadScreenFiles();
  LayoutReports reports;
  CheckContext context{"", &story.names, TRect{0, 0, DesignWidth, DesignHeight}, &reports};

  run.StartStory();
  Ref<IGSCollection> screens = run.Game().GetScreens();
  for (int i = 0; i < screens->Count(); ++i) {
    Ref<IGameScreenSlave> screen = screens->GetScreen(Variant(i));
    if (!screen || screen->GetName() == kPlayScreen) continue;
    const std::string name = screen->GetName();
    if (!kJudgedAsLoaded.count(name)) run.ShowAndSettle(name);
    context.file = FileOf(files, name);
    CheckWidgetTree(screen->GetRootWidget(), context);
    run.CloseShownScreens();
  }

  // The pickers list what the story offers: each offer once, as the player meets it.
  for (const std::string& offer : story.caseOffers) {
    run.StartStory();
    run.OfferCases(offer);
    run.ShowAndSettle(kCasePicker);
    context.file = FileOf(files, kCasePicker);
    CheckWidgetTree(screens->GetScreen(Variant(kCasePicker))->GetRootWidget(), context);
    run.CloseShownScreens();
  }
  for (const TaskToPlay& task : story.tasks) {
    if (task.sceneOffer.empty()) continue;
    run.StartStory();
    run.AddScenes(task, SplitOffer(task.sceneOffer));
    run.ShowAndSettle(kScenePicker, ParamsFromString("\\select_scene_names=" + task.sceneOffer));
    context.file = FileOf(files, kScenePicker);
    CheckWidgetTree(screens->GetScreen(Variant(kScenePicker))->GetRootWidget(), context);
    run.CloseShownScreens();
  }

  context.file = FileOf(files, kPlayScreen);
  for (const TaskToPlay& task : story.tasks) {
    if (run.PlayTask(task)) {
      Ref<IGameScreenSlave> play = screens->GetScreen(Variant(kPlayScreen));
      CheckWidgetTree(play ? play->GetRootWidget() : nullptr, context);
    } else {
      reports.Add(DefaultScenarioFileName, task.caseName + "\\" + task.stageName + "\\" + task.taskName,
                  "the play screen never handed the task to the player");
    }
    run.CloseShownScreens();
  }

  for (const std::string& line : reports.Lines()) std::printf("%s\n", line.c_str());
  return reports.Empty() ? 0 : 1;
}
