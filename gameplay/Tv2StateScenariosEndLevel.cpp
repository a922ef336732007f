#include "gameplay/Tv2StateScenariosEndLevel.h"

void TStateScenarioEndLevel::Init() {
  TStateScenarioGameManager::Init();
  AddState("enter", "exit",
           TStateCallbacks()
               .Enter([this](TState&) { OnEnterHook(); })
               .Leave(When(&TStateScenario::TimerElapsed)));
  AddState("exit", "", TStateCallbacks().Enter([this](TState&) { OnExitHook(); }));
}

const TPropertyTable& TStateScenarioEndLevel::Properties() {
  using S = TStateScenarioEndLevel;
  static const TPropertyTable table(TStateScenarioGameManager::Properties(),
                                    {
                                        Attr("complete", &S::complete_).Bool(true),
                                    });
  return table;
}

// Both hooks run in the same update; a second write would find the score already taken
// and the statistics screen refused, and close the play screen.
void TStateScenarioEndLevel::WriteStatistics() {
  if (written_) return;
  written_ = true;
  if (gameOwner_) gameOwner_->WriteLevelStatistics(complete_);
}

void TStateScenarioEndLevel::OnEnterHook() {
  WriteStatistics();
  SetDead(true);
}

void TStateScenarioEndLevel::OnExitHook() {
  exitDone_ = true;
  WriteStatistics();
  SetDead(true);
}

void TStateScenarioEndLevel::Finish() {
  if (!exitDone_) OnExitHook();
  TStateScenarioGameManager::Finish();
}

void TStateScenarioCloseGameScreen::OnExitHook() {
  if (exitDone_) return;
  if (gameOwner_)
    gameOwner_->CloseGameScreen(
        Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get()));
  TStateScenarioEndLevel::OnExitHook();
}
