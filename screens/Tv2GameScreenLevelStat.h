#pragma once
// The level statistics ("Tavelor2GameScreenLevelStat"), shown by the play screen after a
// level: the rows of the statistics window with their bonuses, the level total and the
// player's total; a part of its own per level kind (the participant with the objects found,
// sorted into category frames; a gift; the consolation of a lost level); the high-score row
// and the level record.
//
// Shown with the play screen's statistics: "tasktype", "complete", "level_statistic"
// (required), "scores" (the running total: the player's stored total plus the level's
// points), "time" (seconds), "hints_used", "wrong_clicks", "participant", "scenename",
// "object_names", "task". Everything is read afresh at each showing: a total kept from an
// earlier one would store another player's score.
//
// Bonuses of a completed level (0 otherwise):
//   time (timed play only)  below 60 s 2000, below 120 s 1000, below 240 s 500,
//                           below 480 s 250, else 0
//   hints, mistakes         0: 2000, 1: 1000, 2: 500, 3: 250, else 0

#include <array>
#include <cstdint>
#include <string>

#include "gameplay/Tv2Interfaces.h"
#include "screens/Tv2ScreenInterfaces.h"
#include "shell/GameScreen.h"

class TTavelor2GameScreenLevelStat : public TGameScreen, public virtual ILevelStatScreen {
 public:
  static constexpr int kFrameCount = 5;

  // The bonus of a level time in seconds, and of a count of hints or mistakes.
  static int32_t TimeBonus(int32_t seconds);
  static int32_t CountBonus(int32_t count);
  // The step between the found objects of one frame column when the fullest frame holds
  // Deepest objects.
  static int32_t ColumnStep(int32_t deepest);
  // The zoom of an object of that size in its frame.
  static double FrameZoom(int32_t width, int32_t height);

  void SetOwner(IGameScreenOwner* owner) override;
  void ReleaseOwner() override;
  // Closes at once, without result, when the statistics cannot be read.
  void Show(const Ref<IParamCollection>& params) override;
  bool IsComplete() override { return complete_; }

  // What the last showing computed, for whoever inspects the screen.
  int32_t GetLevelScore() const { return levelScore_; }
  int32_t GetTotal() const { return total_; }
  const std::array<std::string, kFrameCount>& GetCategoryNames() const { return categoryNames_; }
  const std::array<int32_t, kFrameCount>& GetCategoryCounts() const { return categoryCounts_; }

 protected:
  void OnShow(const Ref<IParamCollection>& params) override;

 private:
  void LoadContext();
  void ShowStatistics(const Ref<IParamCollection>& params);
  // Fills the rows and returns the sum of the bonuses.
  int32_t FillRows();
  void ShowLevelPart(const Ref<IParamCollection>& params);
  Ref<IWidget> ShowParticipant(const std::string& name);
  void ShowFoundObjects(const std::string& sceneName, const std::string& objectNames,
                        const Ref<IWidget>& group);
  void AddHighScore();

  // A specific part from the factory, added to the specific part group.
  Ref<IWidget> AddSpecificPart(const std::string& factory, const Ref<IParamCollection>& params);
  void ClearSpecificPart();
  // The category frame: inside the participant part when it has one, else the window's.
  Ref<IWidget> Frame(int index, const Ref<IWidget>& group);
  void ClearFrames();
  void SetRowAnchorTop(const char* name, double top);

  Ref<IWidgetCollection> specificParts_;
  Ref<IUserGameData> progress_;
  Ref<IUGDCase> currentCase_;
  Ref<ICategoryCollection> categories_;
  Ref<ISceneDefRefCollection> sceneDefs_;
  uint8_t playMode_ = 0;
  int32_t level_ = 0;
  int32_t levelScore_ = 0;
  int32_t total_ = 0;
  int32_t levelTime_ = 0;
  int32_t hintsUsed_ = 0;
  int32_t mistakes_ = 0;
  bool complete_ = false;
  bool closeWhenShown_ = false;
  std::string statisticKind_;
  uint8_t levelKind_ = 0;
  std::array<std::string, kFrameCount> categoryNames_;
  std::array<int32_t, kFrameCount> categoryCounts_{};
};
