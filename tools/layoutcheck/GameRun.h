#pragma once
// The game of a program folder run as the program runs it, on the headless backend: its
// own preference folder (removed at the end), time moved by stepping frames.

#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/Engine.h"
#include "gameplay/Tv2UserGameData.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/Game.h"
#include "tools/layoutcheck/InternalNames.h"

class GameRun {
 public:
  explicit GameRun(const std::filesystem::path& programFolder);
  ~GameRun();
  GameRun(const GameRun&) = delete;
  GameRun& operator=(const GameRun&) = delete;

  // Started and every resource list and window loaded; else Failure says why.
  bool Ready() const { return ready_; }
  std::string Failure() const { return failure_; }
  TGame& Game() const;

  // A new story published as the diary publishes it, for the screens that show it.
  void StartStory();
  // Shows the screen, lets its show effects and scenarios run, and leaves it on top.
  void ShowAndSettle(const std::string& screen, const Ref<IParamCollection>& params = nullptr);
  // The case picker offering Offer, as a finished case leaves it for the next.
  void OfferCases(const std::string& offer);
  // The scenes of Names made the player's, as the task that offers them does.
  void AddScenes(const TaskToPlay& task, const std::vector<std::string>& names);
  // Plays Task as the diary starts it, every scene of it made the player's; false when the
  // play screen never hands input to the player.
  bool PlayTask(const TaskToPlay& task);
  // Closes the screens above the one that was on top when the run was ready.
  void CloseShownScreens();
  // Closes what a screen opened above itself as it showed (the diary its stage's letter),
  // then lets it settle.
  void CloseScreensAbove(const std::string& screen);
  void Wait(uint32_t milliseconds);

 private:
  std::filesystem::path preferences_;
  Ref<TEngine> engine_;
  platform::HeadlessPlatform* platform_ = nullptr;  // owned by the engine
  Ref<TUserGameData> story_;
  int baseScreens_ = 0;
  bool ready_ = false;
  std::string failure_;
};
