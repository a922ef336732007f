#include "gameplay/Tv2StateScenariosStartLevel.h"

const TPropertyTable& TStateScenarioGameStartLevel::Properties() {
  using S = TStateScenarioGameStartLevel;
  static const TPropertyTable table(TStateScenarioWaitWidgetsGameManager::Properties(),
                                    {
                                        Attr("show_levelname", &S::showLevelName_).Bool(false),
                                        Attr("LevelName", &S::levelName_).Str(),
                                    });
  return table;
}

void TStateScenarioGameStartLevel::OnEnterHook() {
  if (gameOwner_) gameOwner_->SetInputBlocked(true);
  SetClickToComplete(true);
}

void TStateScenarioGameStartLevel::OnExitHook() {
  if (exitDone_) return;
  exitDone_ = true;
  if (gameOwner_) {
    gameOwner_->ShowTutorial();
    gameOwner_->SetInputBlocked(false);
  }
  TStateScenarioWaitWidgetsGameManager::OnExitHook();
}

void TStateScenarioGameStartLevel::Finish() {
  OnExitHook();
  TStateScenarioWaitWidgetsGameManager::Finish();
}
