#pragma once
// "state_scenario_hint": the hint's arrow flies from the hint button (53, 726) to the
// hinted widget ("hint_object_widgetname") trailing star lines, the widget lights up,
// zooms up and back and returns to how it was; the button ("button_widgetname") hides
// meanwhile. A hidden widget fades in from nothing and hides again at the end.
//
// Factories: "hint_arrow" ("angle"), "hint_arrow_move" ("duration", "x1", "y1", "x2",
// "y2", the arrow's picture as "surface"), "ps_star_line" ("x", "y", "name"),
// "ps_star_circle_wide" ("radius", "duration", "x", "y", "name").

#include <string>

#include "gameplay/Tv2StateScenariosBaseAnim.h"

class TStateScenarioHint : public TStateScenarioZoomRotateWidget {
 public:
  // Where the arrow starts, and its speed in pixels per millisecond.
  static constexpr int32_t kArrowX = 53;
  static constexpr int32_t kArrowY = 726;
  static constexpr double kArrowSpeed = 0.7;

  void Init() override;
  void ZoomIn() override;
  void ZoomOut() override;
  // Gives the widget back its transparency and visibility and shows the button.
  void Finish() override;
  // Dying is finishing.
  void SetDead(bool value) override;

  int32_t GetFlightTime() const { return flightTime_; }

 protected:
  const TPropertyTable& Properties() override;
  void SetUp();
  void LaunchArrow();
  void Activate();
  // The animation group's free name for the hinted widget's star N.
  std::string StarName(int n);
  void AddToAnimationGroup(const Ref<IWidget>& widget);

  int32_t flightTime_ = 0;
  std::string duration_;
  std::string hintedName_;
  std::string buttonName_;
  std::string angle_;
  Ref<IWidget> button_;
  int32_t savedTransparency_ = 255;
  bool finished_ = false;
};
