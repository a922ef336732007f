#pragma once
// The fixture of the play screen's tests: a game whose "GS_Game" is the real play screen
// ("Tavelor2GameScreenGame", or "TestPlayScreen" that plays with a PlayLevelManager the
// test holds), with "test_screen" screens as "GS_LevelLoading", "GS_LevelStat",
// "GS_GameMenu" and "GS_Diary", and a progress of one task.
//
//   class MyTest : public PlayScreenFixture {};
//   TEST_F(MyTest, ...) {
//     Progress("c", "s", "t", 0, Param("given_time", "300000"));
//     StartLevel();                     // shown, set up, "GS_LevelLoading" closed
//     Press({100, 100});
//     EXPECT_EQ(screen->GetCombo(), 1);
//   }

#include <set>
#include <string>
#include <vector>

#include "screens/Tv2GameScreenGame.h"
#include "tests/support/FakeLevelManager.h"
#include "tests/support/GameplayFixture.h"

// A level manager that finds what the test lists and answers the play screen's questions
// from fields.
class PlayLevelManager : public FakeLevelManager {
 public:
  std::set<std::string> findable;  // object names ObjectClicked finds
  int32_t remaining = 0;
  int32_t leftToFind = -1;  // what the counter shows; -1: the remaining count
  std::string used = ";";
  Ref<IWidget> placeTarget;
  Ref<IWidget> wantedHint;
  Ref<IWidget> hintObject;
  Ref<IWidget> completeScene;  // what RunSceneAction("complete_scene") gives

  bool ObjectClicked(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                     const Ref<ISceneObjectLocation>& location, const TPoint& point) override;
  int32_t RemainingCount() override { return remaining; }
  int32_t LeftToFindCount() override { return leftToFind < 0 ? remaining : leftToFind; }
  Ref<IWidget> PlacementHitTest(const Ref<ISceneObjectDef>&, const TPoint&, const std::string&,
                                const Ref<IUGDScene>&) override {
    return placeTarget;
  }
  std::string GetActivateSequence(const Ref<IUGDScene>&) override { return used; }
  Ref<IWidget> ChooseWantedHintObject() override { return wantedHint; }
  Ref<IWidget> ChooseHintObject() override { return hintObject; }
  Ref<IWidget> RunSceneAction(const std::string& name,
                              const Ref<IParamCollection>& params) override;
};

// The play screen with the test's managers: "TestPlayScreen".
class TestPlayScreen : public TTavelor2GameScreenGame {
 public:
  // Given to the next level set up (none: no level manager); the panel manager likewise.
  static inline Ref<ILevelManager> nextLevelManager;
  static inline Ref<IPanelManager> nextPanelManager;
  // The managers the screen's own tables make for Kind.
  Ref<ILevelManager> TableLevelManager(int32_t kind) {
    return TTavelor2GameScreenGame::MakeLevelManager(kind);
  }
  Ref<IPanelManager> TablePanelManager(int32_t kind) {
    return TTavelor2GameScreenGame::MakePanelManager(kind);
  }

 protected:
  Ref<IPanelManager> MakePanelManager(int32_t) override { return nextPanelManager; }
  Ref<ILevelManager> MakeLevelManager(int32_t) override { return nextLevelManager; }
};

class PlayScreenFixture : public GameplayFixture {
 protected:
  PlayScreenFixture();
  ~PlayScreenFixture() override;

  static std::string Param(const std::string& name, const std::string& value);
  // A progress of case C, stage S and task T of that type with those task params, and a
  // scene "room" as the current scene's record; published as "user_game_data".
  Ref<IUserGameData> Progress(int taskType, const std::string& taskParams = {},
                              const std::string& attrs = "play_mode=\"0\"",
                              const std::string& sceneParams = {});
  // The play window with the play screen's named widgets (and Extra inside the root,
  // Ui inside "ui_group", Factories among the window's factories).
  static std::string Window(const std::string& extra = {}, const std::string& ui = {},
                            const std::string& factories = {});
  // Starts the game with "GS_Game" of that window and type.
  void StartGame(const std::string& window = Window(), const std::string& type = "TestPlayScreen");
  // Shows "GS_Game" with case, stage and task (and Params), runs the frame that sets up the
  // level and closes "GS_LevelLoading": the level runs, input unblocked (as the start
  // scenario would). False when the level did not start.
  bool StartLevel(const std::string& extraParams = {});
  // Shows "GS_Game" and runs one frame (set-up done, loading screen shown).
  void ShowPlayScreen(const std::string& extraParams = {});
  // Closes the top "test_screen" with Result and runs the frames that hand it down.
  void CloseTop(const Ref<IParamCollection>& result = nullptr);

  // Input at design coordinates.
  void Press(const TPoint& point, int button = 0);
  void Release(const TPoint& point, int button = 0);
  void Click(const TPoint& point, int button = 0);

  // The screen's widget at Path.
  Ref<IWidget> W(const std::string& path);
  // Names of the children of the widget at Path, in order.
  std::vector<std::string> Children(const std::string& path);
  // A scene-object widget ("test_box" at Left/Top of W x H) of a new object def of that
  // type, added to the group at GroupPath.
  // A hidden approach group "name" at (212, 90) in "approaches_group".
  Ref<IWidget> AddApproach(const std::string& name);
  Ref<IWidget> AddObject(const std::string& groupPath, const std::string& name, int type, int left,
                         int top, int w = 20, int h = 20);

  Ref<IUserGameData> progress;
  Ref<IUGDTask> task;
  Ref<PlayLevelManager> manager;
  TTavelor2GameScreenGame* screen = nullptr;
  std::vector<Ref<ISceneObjectDef>> objects;
};

// Registers the screens library's classes and "TestPlayScreen". Safe to call again.
void RegisterPlayScreenTestClasses();
