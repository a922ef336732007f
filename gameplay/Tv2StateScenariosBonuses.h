#pragma once
// Feedback of scores and penalties.
//
// "state_scenario_fly_bonus": a score text that flies up from the scenario's place. Its
// attributes: "text", "font", "color", "drawmode" (default "copyrect"), "width" (400),
// "height" (40), "textalign" ("left", or "right" near the right edge, where the text
// also moves left by its width, and down 40 px with "push_down_in_right"), "endposx",
// "endposy" (default 50 px above the start). The text is drawn by a child from
// "gamefield_fly_bonus_text" and flown as a picture by one from "gamefield_fly_bonus".
//
// "state_scenario_penalty": the screen goes black for "duration" ms.

#include <string>

#include "gameplay/Tv2StateScenariosBaseAnim.h"

class TStateScenarioFlyBonus : public TStateScenarioWaitWidgetsGameManager {
 public:
  // Past this x on the screen the text is aligned to the right.
  static constexpr int32_t kRightEdge = 1366;

  void OnEnterHook() override;

 protected:
  const TPropertyTable& Properties() override;
  void LoadLook(const Ref<IHierStorage>& node);

  int32_t width_ = 400;
  int32_t height_ = 40;
  std::string textAlign_;
  bool pushDownInRight_ = false;
  std::string endPosX_;
  std::string endPosY_;
  std::string text_;
  std::string font_;
  std::string drawMode_ = "copyrect";
  uint32_t color_ = 0;
};

class TStateScenarioPenalty : public TStateScenarioWaitWidgetsGameManager {
 public:
  void OnEnterHook() override;
  void OnExitHook() override;

 protected:
  const TPropertyTable& Properties() override;

  int32_t duration_ = 0;
};
