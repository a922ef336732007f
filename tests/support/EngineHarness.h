#pragma once
// A real engine over the headless backend (the game's declarations in force: a
// 1024 x 768 design, the game's aspect ratios) with a FakeClock, started on a game file
// written (enciphered, as the program reads it) into a temporary folder. The engine is
// finalised when the harness goes.

#include <string>

#include "engine/Engine.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeGame.h"
#include "tests/support/TempFolder.h"

// The key the harness enciphers game files with (installed as EngineFileKey).
inline constexpr const char* kTestEngineKey = "harness-engine-key";

class EngineHarness {
 public:
  // Root attributes of the game file's root element beyond its type, e.g.
  // R"(invalidate="0,0,10,10" color="$FFFF0000")".
  explicit EngineHarness(const std::string& rootAttributes = {});
  ~EngineHarness();
  EngineHarness(const EngineHarness&) = delete;
  EngineHarness& operator=(const EngineHarness&) = delete;

  // Writes text enciphered with the engine key as a file of the folder; gives its path.
  std::string WriteEnciphered(const std::string& name, const std::string& text) const;
  // Initialize on the game file; false when the engine refused it.
  bool Start();
  // Steps until a frame has been presented (at most limit steps); false when none was.
  bool StepFrame(int limit = 8);

  TempFolder folder;
  std::string gameFile;
  Ref<TEngine> engine;
  TestPlatform* platform = nullptr;  // owned by the engine
  TFakeGame* game = nullptr;         // after Start
};
