#pragma once
// The sample game as the program runs it, on a real engine over the headless backend: the
// program's classes registered, a built program folder reached as a player reaches another
// copy of the data ("-changepath"), a preference folder of its own, the language file read.
// Time is the headless clock, which moves one frame interval per presented frame; presses
// go through the window's event queue as a player's do; the display's picture is read back
// pixel by pixel.
//
//   SampleGameEngine run(folder, key);
//   run.StepUntilLoaded();  run.Game()->ShowScreen(...);  run.Wait(500);
//   run.Click({150, 200});  EXPECT_EQ(run.Pixel(10, 10), ...);

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "gameplay/Tv2UserGameData.h"
#include "platform/Audio.h"
#include "platform/Events.h"
#include "platform/Geometry.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/Game.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

class TEngine;
class TTavelor2GameScreenGame;

// What the main menu and the diary publish: the program folder's scene list and
// participants as Game's parameters. Returns a new story (the default scenario's cases),
// not published.
Ref<TUserGameData> PublishDocumentsAndNewStory(TGame& game);
// The scene SceneName as the diary makes it the player's for Task: the task's object counts
// for the generator, added to Story's scenes.
Ref<TUGDScene> AddTaskScene(TUserGameData& story, IUGDTask& task, const std::string& sceneName);

class SampleGameEngine {
 public:
  // ProgramFolder: the built program folder; EngineKey: the key its game file is
  // enciphered with (installed for the engine's life). Audio, when given, is the engine's
  // output instead of the silent one (a FakeAudio records what the game plays).
  SampleGameEngine(const std::string& programFolder, const std::string& engineKey,
                   std::unique_ptr<IAudio> audio = nullptr);
  ~SampleGameEngine();
  SampleGameEngine(const SampleGameEngine&) = delete;
  SampleGameEngine& operator=(const SampleGameEngine&) = delete;

  // The engine started on the game file; else Failure says why.
  bool Ok() const { return ok_; }
  std::string Failure() const;

  // Steps until every resource list and window has loaded; false when that never happens.
  bool StepUntilLoaded(int limit = 8000);
  // One loop step: one event dispatched, or else a frame (update, draw, present).
  void Step();
  // Steps until a frame has been presented.
  void StepFrame();
  // Steps until Milliseconds of the headless clock have passed.
  void Wait(uint32_t milliseconds);
  // Steps until Done holds (true) or Milliseconds have passed (false).
  template <typename Done>
  bool WaitFor(Done done, uint32_t milliseconds) {
    const uint32_t end = platform_->Milliseconds() + milliseconds;
    while (!done()) {
      if (platform_->Milliseconds() >= end) return false;
      Step();
    }
    return true;
  }

  // A task of a new story played as the diary starts it: the documents and the story
  // published (the task's "given_time" changed when GivenTime is not empty), the task's
  // scene made the player's, the random generator seeded, "GS_Game" shown with the case,
  // its current stage and the task; steps until the start scenario hands input to the
  // player. The play screen, or null when that never happens.
  TTavelor2GameScreenGame* StartTask(const std::string& caseName, const std::string& taskName,
                                     const std::string& participant,
                                     const std::string& givenTime = {});
  // Called by StartTask once the documents are published, before the task is shown: the
  // test's changes to them (a scene list entry pointed at another file, say).
  std::function<void(TGame&)> beforeTask;
  // The first task, the atelier.
  TTavelor2GameScreenGame* StartAtelier(const std::string& givenTime = {}) {
    return StartTask("c1_lantern", "t1", "odile", givenTime);
  }
  Ref<TUserGameData> progress;  // the story StartTask published
  Ref<IUGDTask> task;           // and its task

  // The pointer moved to Point, then a frame.
  void Move(const TPoint& point);
  // Moved there, pressed and released with the left button (or the right), then a frame.
  void Click(const TPoint& point, bool right = false);

  // The display's pixel at (X, Y) of the design space, as 0xAARRGGBB.
  uint32_t Pixel(int32_t x, int32_t y) const;
  TGame* Game() const;
  std::string TopScreen() const;
  TEngine& Engine() const { return *engine_; }
  platform::HeadlessPlatform& Platform() const { return *platform_; }

 private:
  void Post(const platform::Event& event);

  TempFolder preferences_;
  ScopedEnv preferenceEnv_;
  std::string previousKey_;
  std::filesystem::path previousFolder_;
  Ref<TEngine> engine_;
  platform::HeadlessPlatform* platform_ = nullptr;  // owned by the engine
  bool ok_ = false;
};
