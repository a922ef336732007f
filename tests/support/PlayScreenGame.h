#pragma once
// For programs without a test fixture (benchmarks, fuzz targets): a game over the fake
// engine whose "GS_Game" is the real play screen on a window of its groups (objects,
// halves, approaches, animations, the interface with a hint button), with plain screens as
// "GS_LevelLoading", "GS_LevelStat", "GS_GameMenu" and "GS_Diary", in a working folder of
// its own (removed when it goes), warnings kept quiet while it lives.
//
//   PlayScreenGame play;
//   play.Write("scenes.ini", ...);  play.Publish("scene_defs", ...);
//   play.Show("\\case=c\\stage=s\\task=t");  play.CloseTop();  play.Frame(16);

#include <filesystem>
#include <string>
#include <string_view>

#include "foundation/Warnings.h"
#include "screens/Tv2GameScreenGame.h"

class TGame;
class FakeGameEngine;

class PlayScreenGame {
 public:
  // Widgets beside the window's groups, and the window's factories.
  explicit PlayScreenGame(const std::string& widgets = {}, const std::string& factories = {});
  ~PlayScreenGame();
  PlayScreenGame(const PlayScreenGame&) = delete;
  PlayScreenGame& operator=(const PlayScreenGame&) = delete;

  // Writes a file of the working folder (a name without folders).
  void Write(const std::string& name, std::string_view text);
  // The game parameter Name.
  void Publish(const std::string& name, const Ref<IInterface>& value);
  // Shows "GS_Game" with the parameter string and runs one frame.
  void Show(const std::string& params);
  // Closes the top screen (nothing when it is the play screen) and runs one frame.
  void CloseTop();
  // One frame: update, dirty pass.
  void Frame(int32_t dt);
  // The top screen's identifier, '' when none.
  std::string Top();

  Ref<FakeGameEngine> engine;
  Ref<TGame> game;
  TTavelor2GameScreenGame* screen = nullptr;
  std::filesystem::path folder;

 private:
  TWarningHook previousWarningHook_;
  std::filesystem::path previousFolder_;
};
