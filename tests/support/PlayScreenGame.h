#pragma once
// For programs without a test fixture (benchmarks, fuzz targets): a QuietGameFolder whose
// "GS_Game" is the real play screen on a window of its groups (objects, halves,
// approaches, animations, the interface with a hint button), with plain screens as
// "GS_LevelLoading", "GS_LevelStat", "GS_GameMenu" and "GS_Diary".
//
//   PlayScreenGame play;
//   play.Write("scenes.ini", ...);  play.Publish("scene_defs", ...);
//   play.Show("\\case=c\\stage=s\\task=t");  play.CloseTop();  play.Frame(16);

#include <string>

#include "screens/Tv2GameScreenGame.h"
#include "tests/support/QuietGameFolder.h"

class PlayScreenGame : public QuietGameFolder {
 public:
  // Widgets beside the window's groups, and the window's factories.
  explicit PlayScreenGame(const std::string& widgets = {}, const std::string& factories = {});

  // Shows "GS_Game" with the parameter string and runs one frame.
  void Show(const std::string& params);
  // Closes the top screen (nothing when it is the play screen) and runs one frame.
  void CloseTop();
  // One frame: update, dirty pass.
  void Frame(int32_t dt);
  // The top screen's identifier, '' when none.
  std::string Top();

  TTavelor2GameScreenGame* screen = nullptr;
};
