#pragma once
// A game object for engine tests: records every call the engine makes, in order, as a
// line of text ("Update 8", "Draw 170 0", "Key 258 65 536870912"), and does what the
// test sets: answer CanClose, handle input, invalidate a rectangle and fill it with a
// colour. Registered as "FakeGame"; the game file's root may set "color" ($AARRGGBB),
// "screen" (the top screen's name) and "invalidate" ("L,T,R,B", design coordinates).

#include <functional>
#include <string>
#include <vector>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"

class TFakeGame : public TPersistObject, public virtual IGame {
 public:
  void Initialize(const Ref<IEngine>& engine) override;
  void Done() override;
  void Update(int32_t elapsedMs) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;
  void Activate(bool active) override;
  bool CanClose() override;
  void SetOption(const std::string& name, const std::string& value) override;
  void InvalidateAll() override;
  std::string GetTopScreenName() override { return screen; }

  // How many lines of the log start with prefix.
  int Count(const std::string& prefix) const;

  std::vector<std::string> log;
  Ref<IEngine> engine;
  bool canClose = true;
  bool handleInput = true;
  uint32_t color = 0xFF336699;
  std::string screen = "main";
  TRect invalidate{0, 0, 0, 0};  // nothing by default
  int doneCalls = 0;
  // Initialize raises (root attribute "fail_initialize").
  bool failInitialize = false;
  // Done calls of every fake game so far.
  static inline int totalDoneCalls = 0;
  // Called at the end of each Update, for tests that act from inside a frame.
  std::function<void()> onUpdate;

 protected:
  const TPropertyTable& Properties() override;
};

// Registers "FakeGame" once.
void RegisterFakeGame();
// The game the engine created from its game file.
TFakeGame* FakeGameOf(IEngine& engine);
