#pragma once
// The shared fixture of the game and screen tests: the game object loaded from game-file
// text and driven like the engine drives it, over a fake engine that records what the game
// asks of it, with screens that log their hooks and let a test act inside them.
//
//   class MyScreenTest : public GameFixture {};
//   TEST_F(MyScreenTest, ClosesOnOk) {
//     Start(GameXml(ScreenXml("GS_Main", Box("ok", 0, 0, 10, 10), "GameScreenMine")));
//     Frame(16);                        // the load completes, the main screen shows
//     Frame(250);                       // past the input guard
//     game->HandleMouse(input::kLeftButtonDown, {5, 5}, 0);
//     EXPECT_EQ(Stack(), (std::vector<std::string>{}));
//   }
//
// A screen class under test is registered by its test before Start. "test_screen" screens
// log "ID.hook" lines into Log() and run the test's lambdas inside their hooks.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "shell/Game.h"
#include "shell/GameScreen.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WidgetFixture.h"

// ---------------------------------------------------------------------------------------
// Engine: the widget fixture's engine plus what the game asks for.

class FakeGameEngine : public FakeEngine {
 public:
  struct ResourceLoad {
    std::string path, group;
    bool pump = false;
    bool operator==(const ResourceLoad&) const = default;
  };

  int applies = 0;
  int hiddenCursor = 0;
  std::vector<std::pair<std::string, bool>> pausedGroups;  // (group, pause)
  std::vector<std::string> stoppedGroups;
  std::vector<std::string> removedGroups;
  std::vector<ResourceLoad> resourceLoads;  // from files
  std::vector<std::string> storageLoads;    // LoadResources: "group:root element"
  std::vector<std::string> playedMusic, stoppedMusic;
  std::map<std::string, std::string> textFiles;  // "path|key" -> deciphered text
  std::map<std::string, std::string> programFiles;  // written into the program folder
  std::set<std::string> refusedOptions;          // SetOption raises for these
  // Runs for every LoadResourcesFromFile with pumping: the engine's frames between
  // resources.
  std::function<void()> pump;

  void SetOption(const std::string& name, const Variant& value) override;
  void ApplyOptions() override { ++applies; }
  std::string ReadTextFile(const std::string& path, const std::string& key) override;
  void LoadResources(const Ref<IHierStorage>& storage, const std::string& group,
                     bool pump) override;
  void LoadResourcesFromFile(const std::string& path, const std::string& group, bool pump) override;
  void RemoveResources(const std::string& group) override { removedGroups.push_back(group); }
  bool WriteProgramFolderFile(const std::string& text, const std::string& fileName) override {
    programFiles[fileName] = text;
    return true;
  }
  void HideSystemCursor() override { ++hiddenCursor; }
  AudioHandle PlayMusic(const Ref<IMusic>& music) override;
  void StopMusic(const Ref<IMusic>& music) override;
  void PauseSoundGroup(const std::string& group, bool pause) override {
    pausedGroups.emplace_back(group, pause);
  }
  void StopSoundGroup(const std::string& group) override { stoppedGroups.push_back(group); }
};

// ---------------------------------------------------------------------------------------
// Screens

// "test_screen": logs "ID.OnShow", "ID.OnShown", "ID.OnChildClosed(CHILD,RESULT)",
// "ID.OnActivateApp(1)" and "ID.Event(SENDER,CODE)", then runs the lambda of that hook.
class TestGameScreen : public TGameScreen {
 public:
  std::function<void(TestGameScreen&)> onShow, onShown, onChildClosed;
  std::string lastChild;
  Ref<IParamCollection> lastResult;

  void OnShow(const Ref<IParamCollection>& params) override;
  void OnShown(const Ref<IParamCollection>& params) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;
  void OnActivateApp(bool active) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
};

// "test_splash": the splash screen's part of the start. Shown with "LoadComplete" it
// closes itself; hiding after that asks the game for the main screen, once.
class TestSplashScreen : public TestGameScreen {
 public:
  bool waiting = false;
  bool mainRequested = false;

  void Show(const Ref<IParamCollection>& params) override;
  void Hide() override;
};

// "test_control": a test box that is a tab stop ("tabstop"), logs focus and keys into
// the game log as "NAME.SetFocus", "NAME.KillFocus", "NAME.Key(CODE)" and handles the
// keys listed in "handles_keys" (codes separated by ",").
class TestControlWidget : public TestBoxWidget {
 public:
  bool tabStop = false;
  std::vector<uintptr_t> handledKeys;

  bool IsTabStop() override { return tabStop; }
  void SetTabStop(bool value) override { tabStop = value; }
  void OnSetFocus() override;
  void OnKillFocus() override;
  void OnLoseCapture() override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;

 protected:
  const TPropertyTable& Properties() override;
};

// The hooks' log, shared by every test screen.
std::vector<std::string>& GameLog();

// Registers the widget test classes, the shell and the doubles above. Safe to call again.
void RegisterGameTestClasses();

// ---------------------------------------------------------------------------------------

class GameFixture : public ::testing::Test {
 protected:
  GameFixture();
  ~GameFixture() override;

  // Game-file text: the screens inside "gamescreens", the root's attributes and further
  // children (params, cursors, resourcefiles, ...). No logo, splash, main or close-query
  // screen unless Attrs names them.
  static std::string GameXml(const std::string& screens, const std::string& attrs = {},
                             const std::string& children = {});
  static std::string ScreenXml(const std::string& id, const std::string& window = {},
                               const std::string& type = "test_screen",
                               const std::string& attrs = {});
  // A visible "test_box" child at (Left, Top) of Width x Height.
  static std::string Box(const std::string& name, int left, int top, int width, int height,
                         const std::string& attrs = {});
  // The "effects" element of a root with a hide (and optionally show) effect of Ms.
  static std::string HideEffect(int ms);
  static std::string ShowEffect(int ms);

  // The game of that text, loaded; fails the test when none is made.
  Ref<TGame> Load(const std::string& xml);
  // Load, then Initialize with the engine.
  Ref<TGame> Start(const std::string& xml);
  // One engine frame: Update, then InvalidateAll (the engine's records are cleared first).
  void Frame(int32_t dt);
  // A frame of Width x Height (transparent black) drawn by the game.
  TSurfacePtr Render(int32_t width = 64, int32_t height = 64);
  // The stack's identifiers, bottom first.
  std::vector<std::string> Stack();
  TestGameScreen* Screen(const std::string& id);
  // The game's screen Id (null when none), and the widget at Path in its window.
  IGameScreenSlave* Slave(const std::string& id);
  Ref<IWidget> Find(const std::string& id, const std::string& path);
  // The current player's name, "(none)" without one.
  std::string CurrentPlayer();
  // The rows of the list box at Path in the window of the screen Id.
  std::vector<std::string> ListRows(const std::string& id, const std::string& path);
  // The log since the last call.
  std::vector<std::string> TakeLog();

  Ref<FakeGameEngine> engine;
  Ref<TGame> game;
  TempFolder preferences;

 private:
  std::string savedMirrored_;
  std::string preferencePath_;
};
