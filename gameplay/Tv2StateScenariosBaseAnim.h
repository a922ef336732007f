#pragma once
// The play screen's short animations as state scenarios: the base classes that link a
// scenario to the play screen (IGameManagersOwner), wait for the children it made, fly a
// picture of a widget from one place to another ("state_scenario_move_widget"), and zoom,
// turn and fade a widget in and out (the find and hint animations build on it).
//
// An anim scenario animates one widget: the one its "widget" property was given, else the
// one its owner finds at "widgetname". Its start and end points ("startposx", "startposy",
// "endposx", "endposy") default to the widget's top-left, in its owner's coordinates, or
// on its drawing surface with "process_in_global_coords". "anim_speed" is milliseconds per
// pixel of the way from the widget's anchor to the end point; below 1 the move takes
// "max_anim_time", and a positive "max_anim_time" caps it.
//
//   <widget type="state_scenario_move_widget" name="label_move" widgetname="label"
//           endposx="400" endposy="30" anim_speed="2" max_anim_time="600"
//           change_source_place="yes"/>
//
// Flights are drawn by a child from the factory "fly_picture" ("name", "x1", "y1", "x2",
// "y2", "move_time" and the widget's picture as "surface"), while the widget itself hides.

#include <cstdint>
#include <limits>
#include <string>

#include "gameplay/Tv2Interfaces.h"
#include "widgets/StateScenario.h"

// A state scenario that knows the play screen. Without one it dies at once.
class TStateScenarioGameManager : public TStateScenario {
 public:
  void SetOwner(IWidgetOwner* owner) override;
  IGameManagersOwner* GetGameManagersOwner() const { return gameOwner_; }

  // What the states run on entering them; the classes below fill them in.
  virtual void OnEnterHook() {}
  virtual void OnExitHook() {}

 protected:
  IGameManagersOwner* gameOwner_ = nullptr;
};

// "enter" (OnEnterHook, then the timer) -> "wait_widgets" (OnExitHook: wait for every
// child) -> "exit" (dies).
class TStateScenarioWaitWidgetsGameManager : public TStateScenarioGameManager {
 public:
  void Init() override;
  void OnExitHook() override;
};

class TStateScenarioAbstractAnimWidget : public TStateScenarioGameManager {
 public:
  static constexpr double kNotGiven = std::numeric_limits<int32_t>::min();

  void SetOwner(IWidgetOwner* owner) override;
  // Hides the widget behind a flying picture of it (when it was visible).
  void OnEnterHook() override;
  // Shows a widget that was visible again; dies.
  void OnExitHook() override;
  void Finish() override;

  const Ref<IWidget>& GetAnimatedWidget() const { return widget_; }
  int32_t GetMoveTime() const { return moveTime_; }
  double GetStartX() const { return startX_; }
  double GetStartY() const { return startY_; }
  double GetEndX() const { return endX_; }
  double GetEndY() const { return endY_; }

 protected:
  const TPropertyTable& Properties() override;
  Ref<IWidget> GetWidgetProperty() { return widget_; }
  void SetWidgetProperty(Ref<IWidget> widget) { widget_ = std::move(widget); }
  // The widget's top-left as the start and end points use it.
  TPoint WidgetTopLeft();
  // Creates the flying picture from start to end and hides the widget.
  void StartFlight();

  std::string widgetName_;
  bool changeSourcePlace_ = false;
  bool visibleAtStart_ = false;
  bool globalCoords_ = false;
  Ref<IWidget> widget_;
  Ref<IWidget> flyPicture_;
  double startX_ = kNotGiven;
  double startY_ = kNotGiven;
  double endX_ = kNotGiven;
  double endY_ = kNotGiven;
  int32_t moveTime_ = 0;
  int32_t maxAnimTime_ = 0;
  int32_t animSpeed_ = 0;
  bool exitDone_ = false;
};

// "state_scenario_move_widget": "enter" (the flight; waits for it) -> "exit".
class TStateScenarioSimpleMoveWidget : public TStateScenarioAbstractAnimWidget {
 public:
  void Init() override;
};

// Zooms the widget from its rest zoom out to a target and back, turning it to a target
// angle and fading it to a target transparency on the way.
class TStateScenarioZoomRotateWidget : public TStateScenarioAbstractAnimWidget {
 public:
  virtual void ZoomIn();
  virtual void ZoomOut();
  // The update of the zoom states: the pending changes grow with the elapsed time.
  void ZoomStep(int32_t dt);
  // The zoom states' leave test: applies the pending changes; true once the zoom is done.
  bool ZoomApply();

  double GetTargetZoomX() const { return targetZoomX_; }
  double GetTargetZoomY() const { return targetZoomY_; }
  bool IsRotating() const { return rotating_; }
  bool IsFading() const { return fading_; }

 protected:
  // Adds the two zoom states, with Next after them.
  void AddZoomStates(const std::string& next);
  double WidgetNumber(const char* name, double def);
  void SetWidgetNumber(const char* name, double value);

  // The widget answers "zoomx" and "angle": one that does not is done at once.
  bool zoomable_ = true;
  double pendingZoomX_ = 0;
  double pendingZoomY_ = 0;
  double angleStep_ = 0;
  bool zoomingIn_ = false;
  bool rotating_ = false;
  bool fading_ = false;
  double targetZoomX_ = 0;
  double targetZoomY_ = 0;
  double restZoomX_ = 1;
  double restZoomY_ = 1;
  double zoomSpeedX_ = 0;
  double zoomSpeedY_ = 0;
  double zoomFactor_ = 1;
  double targetAngle_ = 0;
  double pendingAngle_ = 0;
  double transparencyStep_ = 0;
  int32_t pendingTransparency_ = 0;
  int32_t targetTransparency_ = 255;
};
