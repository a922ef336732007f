#pragma once
// Widgets that carry a picture from a start point to an end point over their time to live,
// fading between two transparency levels on the way: in a straight line ("move_widget") or
// on an arc around a centre ("circular_motion_widget").
//
// The picture is the surface widget's "surface", handed over at run time: by code, or by
// "redefinedparams" from another widget's "image" ("surface=../logo/image").
//
// The move is the widget's own clock: "timetolive" is its duration and "currenttime" its
// progress. The fields and the update below are what widgets of the game that fly things
// about derive from: they call Update first and may then place the widget themselves from
// the same fields.

#include <cstdint>

#include "shell/WidgetClasses.h"

class TMoveWidget : public TSurfaceWidget {
 public:
  void Init() override;
  // The clock first; while the clock is negative the widget rests where it is. Before the
  // end: placed for the time and faded. At the end (at once for a time to live of 0) it
  // is not moved onto the end point: frozen, it stays alive, paused and hidden; otherwise
  // it is visible and dead.
  void Update(int32_t dt) override;
  // Places the widget for the current time.
  virtual void UpdatePosition();

  // Both anchors on the start point, at the start level.
  void LoadFromXml(const Ref<IHierStorage>& node) override;

  int32_t GetStartX() const { return startX_; }
  int32_t GetStartY() const { return startY_; }
  int32_t GetEndX() const { return endX_; }
  int32_t GetEndY() const { return endY_; }

 protected:
  const TPropertyTable& Properties() override;
  // "currenttime": the clock, then the place for it.
  void SetCurrentTimeAndPlace(int32_t time);
  // The transparency at Time: start + (end - start) * time div timetolive.
  int32_t LevelAt(int32_t time) const;

  uint8_t startLevel_ = 255;
  uint8_t endLevel_ = 255;
  int32_t startX_ = 0;
  int32_t startY_ = 0;
  int32_t endX_ = 0;
  int32_t endY_ = 0;
  bool freezeOnFinish_ = false;
};

// The arc from the start to the end point around the centre: angle and radius both change
// evenly with the time, and the arc crosses the negative x axis rather than going the long
// way round through angle 0.
class TCircularMotionWidget : public TMoveWidget {
 public:
  void UpdatePosition() override;

 protected:
  const TPropertyTable& Properties() override;

  int32_t centerX_ = 0;
  int32_t centerY_ = 0;
};
